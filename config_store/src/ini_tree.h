// The ordered tree of an ini text (sections, key lines, comments and blank lines
// in their original order) with name indexes for first-match lookups.
#pragma once

#include "name_index.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace config_store {

struct IniLine {
    bool isComment = false; // comment or blank line: `key` holds the whole line
    std::string key;
    std::string value;

    std::string_view IndexName() const { return key; }
};

// Cache-line aligned, with the name and the key index first: a lookup touches
// one line of the section.
struct alignas(64) IniSection {
    std::string text;               // section name, or the whole comment line
    NameIndex<IniLine> keyIndex;    // key lines only; first of each name
    bool isComment = false;         // top-level comment or blank line
    std::vector<IniLine*> lines;    // owned by the tree's line pool
    std::vector<IniLine*> keyLines; // key lines in order, for enumeration

    std::string_view IndexName() const { return text; }
};

// Sections and keys are found by name without regard to letter case; the first
// one of a name wins, later duplicates are kept, counted and written.
class IniTree {
public:
    using Entries = std::vector<std::unique_ptr<IniSection>>;

    const Entries& entries() const { return entries_; }
    bool empty() const { return entries_.empty(); }

    IniSection* FindSection(std::string_view name) const { return sectionIndex_.Find(name); }
    static IniLine* FindKey(const IniSection& section, std::string_view key) { return section.keyIndex.Find(key); }

    void AppendComment(std::string_view text);
    IniSection* AppendSection(std::string_view name);
    void AppendComment(IniSection& section, std::string_view text);
    void AppendKey(IniSection& section, std::string_view key, std::string_view value);

    // Sets a key's value, creating the section and key as the store's writes do.
    void SetValue(std::string_view section, std::string_view key, std::string_view value);

    // Removes the section and the comment block in front of it.
    void RemoveSection(std::string_view name);
    void RemoveKey(std::string_view section, std::string_view key);
    void Clear();

    size_t SectionCount() const { return sections_.size(); }
    // Sections only (comment entries skipped), from 0; null past the end.
    const IniSection* SectionAt(size_t index) const { return index < sections_.size() ? sections_[index] : nullptr; }
    static size_t KeyCount(const IniSection& section) { return section.keyLines.size(); }
    static const IniLine* KeyAt(const IniSection& section, size_t index)
    {
        return index < section.keyLines.size() ? section.keyLines[index] : nullptr;
    }

private:
    // Lines come from chunks of a few hundred, so a large text costs few
    // allocations; removed lines are reused.
    class LinePool {
    public:
        IniLine* Make(bool isComment, std::string_view key, std::string_view value);
        void Release(IniLine* line);
        void Clear();

    private:
        static constexpr size_t kChunk = 256;
        std::vector<std::unique_ptr<IniLine[]>> chunks_;
        size_t usedInLastChunk_ = kChunk;
        std::vector<IniLine*> free_;
    };

    void RemoveSectionAt(size_t position);
    void InsertKey(IniSection& section, size_t position, std::string_view key, std::string_view value);

    LinePool pool_;
    Entries entries_;
    std::vector<IniSection*> sections_; // section entries in order
    NameIndex<IniSection> sectionIndex_;
};

// Writes the tree as ini text, each line ended by `lineEnd`.
std::string FormatIniText(const IniTree& tree, std::string_view lineEnd);

} // namespace config_store
