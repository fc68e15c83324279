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
    auto line = std::make_unique<IniLine>();
    line->isComment = true;
    line->key = text;
    section.lines.push_back(std::move(line));
}

void IniTree::AppendKey(IniSection& section, std::string_view key, std::string_view value)
{
    auto line = std::make_unique<IniLine>();
    line->key = key;
    line->value = value;
    section.keyLines.push_back(line.get());
    section.keyIndex.InsertIfAbsent(line.get());
    section.lines.push_back(std::move(line));
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
    auto line = std::make_unique<IniLine>();
    line->key = key;
    line->value = value;
    section->keyLines.push_back(line.get());
    section->keyIndex.InsertIfAbsent(line.get());
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAt), std::move(line));
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
        while (!lines.empty() && lines.back()->isComment) lines.pop_back();
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
    auto& lines = section->lines;
    lines.erase(std::find_if(lines.begin(), lines.end(), [&](const auto& l) { return l.get() == line; }));
}

void IniTree::Clear()
{
    sectionIndex_.Clear();
    sections_.clear();
    entries_.clear();
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
