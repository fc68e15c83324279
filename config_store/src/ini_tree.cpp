// Changes to the ordered ini tree that keep its name indexes and enumeration
// lists in step with the entries.
#include "ini_tree.h"

#include <algorithm>

namespace config_store {
namespace {

template <class T>
void EraseValue(std::vector<T*>& list, const T* value)
{
    auto it = std::find(list.begin(), list.end(), value);
    if (it != list.end()) list.erase(it);
}

// After the indexed first entry of a name goes, the next one of that name (if
// any) becomes the one that lookups find.
template <class T>
void ReindexAfterRemoval(NameIndex<T>& index, const std::vector<T*>& ordered, const T* removed)
{
    if (index.Find(removed->IndexName()) != removed) return;
    index.Erase(removed->IndexName());
    for (T* candidate : ordered) {
        if (candidate != removed && NamesEqual(candidate->IndexName(), removed->IndexName())) {
            index.InsertIfAbsent(candidate);
            return;
        }
    }
}

} // namespace

void IniTree::AppendComment(std::string_view text)
{
    auto entry = std::make_unique<IniSection>();
    entry->isComment = true;
    entry->text = text;
    entries_.push_back(std::move(entry));
}

IniSection* IniTree::AppendSection(std::string_view name)
{
    auto entry = std::make_unique<IniSection>();
    entry->text = name;
    IniSection* section = entry.get();
    entries_.push_back(std::move(entry));
    sections_.push_back(section);
    sectionIndex_.InsertIfAbsent(section);
    return section;
}

void IniTree::AppendComment(IniSection& section, std::string_view text)
{
    section.lines.push_back(pool_.Make(true, text, std::string_view()));
}

void IniTree::AppendKey(IniSection& section, std::string_view key, std::string_view value)
{
    InsertKey(section, section.lines.size(), key, value);
}

void IniTree::InsertKey(IniSection& section, size_t position, std::string_view key, std::string_view value)
{
    IniLine* line = pool_.Make(false, key, value);
    section.keyLines.push_back(line);
    section.keyIndex.InsertIfAbsent(line);
    section.lines.insert(section.lines.begin() + static_cast<std::ptrdiff_t>(position), line);
}

void IniTree::SetValue(std::string_view sectionName, std::string_view key, std::string_view value)
{
    IniSection* section = FindSection(sectionName);
    if (!section) {
        if (!entries_.empty()) AppendComment(std::string_view());
        AppendKey(*AppendSection(sectionName), key, value);
        return;
    }
    if (IniLine* line = FindKey(*section, key)) {
        line->value = value;
        return;
    }
    // The new key goes after the last non-empty line, so the empty lines that
    // separate this section from the next stay where they are.
    auto& lines = section->lines;
    size_t insertAt = lines.size();
    while (insertAt > 0 && lines[insertAt - 1]->isComment && lines[insertAt - 1]->key.empty()) --insertAt;
    InsertKey(*section, insertAt, key, value);
}

void IniTree::RemoveSection(std::string_view name)
{
    IniSection* section = FindSection(name);
    if (!section) return;
    auto it = std::find_if(entries_.begin(), entries_.end(), [&](const auto& e) { return e.get() == section; });
    RemoveSectionAt(static_cast<size_t>(it - entries_.begin()));
}

void IniTree::RemoveSectionAt(size_t position)
{
    IniSection* section = entries_[position].get();
    ReindexAfterRemoval(sectionIndex_, sections_, section);
    EraseValue(sections_, section);
    for (IniLine* line : section->lines) pool_.Release(line);
    entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(position));

    // The comment block that stood before the section goes with it: top-level
    // comment entries directly in front, then the comment lines that end the
    // body of the section before.
    while (position > 0 && entries_[position - 1]->isComment) {
        entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(position - 1));
        --position;
    }
    if (position > 0) {
        auto& lines = entries_[position - 1]->lines;
        while (!lines.empty() && lines.back()->isComment) {
            pool_.Release(lines.back());
            lines.pop_back();
        }
    }
}

void IniTree::RemoveKey(std::string_view sectionName, std::string_view key)
{
    IniSection* section = FindSection(sectionName);
    if (!section) return;
    IniLine* line = FindKey(*section, key);
    if (!line) return;
    ReindexAfterRemoval(section->keyIndex, section->keyLines, line);
    EraseValue(section->keyLines, line);
    EraseValue(section->lines, line);
    pool_.Release(line);
}

void IniTree::Clear()
{
    sectionIndex_.Clear();
    sections_.clear();
    entries_.clear();
    pool_.Clear();
}

IniLine* IniTree::LinePool::Make(bool isComment, std::string_view key, std::string_view value)
{
    IniLine* line;
    if (!free_.empty()) {
        line = free_.back();
        free_.pop_back();
    } else {
        if (usedInLastChunk_ == kChunk) {
            chunks_.push_back(std::make_unique<IniLine[]>(kChunk));
            usedInLastChunk_ = 0;
        }
        line = &chunks_.back()[usedInLastChunk_++];
    }
    line->isComment = isComment;
    line->key = key;
    line->value = value;
    return line;
}

void IniTree::LinePool::Release(IniLine* line)
{
    line->key = std::string();
    line->value = std::string();
    free_.push_back(line);
}

void IniTree::LinePool::Clear()
{
    free_.clear();
    chunks_.clear();
    usedInLastChunk_ = kChunk;
}

std::string FormatIniText(const IniTree& tree, std::string_view lineEnd)
{
    std::string text;
    for (const auto& entry : tree.entries()) {
        if (entry->isComment) {
            text += entry->text;
            text += lineEnd;
            continue;
        }
        text += '[';
        text += entry->text;
        text += ']';
        text += lineEnd;
        for (const auto& line : entry->lines) {
            text += line->key;
            if (!line->isComment) {
                text += '=';
                text += line->value;
            }
            text += lineEnd;
        }
    }
    return text;
}

} // namespace config_store
