// The description file's ini reading: sections, keys, values, and the line of each.
#include "mk_api_core/Description.h"

#include <algorithm>
#include <cctype>

namespace mkapi {
namespace {

std::string_view trim(std::string_view text)
{
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
    return text;
}

bool equalNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

} // namespace

const DescriptionEntry* DescriptionSection::find(std::string_view key) const
{
    for (const DescriptionEntry& entry : entries)
        if (equalNoCase(entry.key, key))
            return &entry;
    return nullptr;
}

std::string DescriptionError::text() const
{
    if (line <= 0)
        return file + ": " + message;
    return file + ":" + std::to_string(line) + ": " + message;
}

// A ';' after a blank starts a comment to the end of the line, so a description can
// explain its values where they stand ("Sensor=mono   ; mono or colour"). A ';' inside a
// value, as in "tcp:host:4001;x", is kept: only a blank in front makes it a comment.
static std::string_view withoutTrailingComment(std::string_view line)
{
    for (size_t i = 1; i < line.size(); ++i)
        if (line[i] == ';' && (line[i - 1] == ' ' || line[i - 1] == '\t'))
            return line.substr(0, i);
    return line;
}

std::optional<Description> Description::parse(std::string_view text, std::string file, DescriptionError& error)
{
    Description description;
    description.file_ = std::move(file);
    int lineNumber = 0;
    while (!text.empty()) {
        ++lineNumber;
        const size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        line = trim(withoutTrailingComment(line));
        if (line.empty() || line.front() == ';' || line.front() == '#')
            continue;
        if (line.front() == '[') {
            if (line.back() != ']') {
                error = description.errorAt(lineNumber, "a section line must end with ']'");
                return std::nullopt;
            }
            const std::string_view name = trim(line.substr(1, line.size() - 2));
            if (name.empty()) {
                error = description.errorAt(lineNumber, "empty section name");
                return std::nullopt;
            }
            description.sections_.push_back({std::string(name), lineNumber, {}});
            continue;
        }
        const size_t equals = line.find('=');
        if (equals == std::string_view::npos) {
            error = description.errorAt(lineNumber, "expected 'Key=Value', got '" + std::string(line) + "'");
            return std::nullopt;
        }
        const std::string_view key = trim(line.substr(0, equals));
        if (key.empty()) {
            error = description.errorAt(lineNumber, "a key is missing before '='");
            return std::nullopt;
        }
        if (description.sections_.empty()) {
            error = description.errorAt(lineNumber, "key '" + std::string(key) + "' before the first section");
            return std::nullopt;
        }
        DescriptionSection& section = description.sections_.back();
        if (section.find(key)) {
            error = description.errorAt(lineNumber, "key '" + std::string(key) + "' given twice in [" + section.name + "]");
            return std::nullopt;
        }
        section.entries.push_back({std::string(key), std::string(trim(line.substr(equals + 1))), lineNumber});
    }
    return description;
}

const DescriptionSection* Description::section(std::string_view name) const
{
    for (const DescriptionSection& section : sections_)
        if (equalNoCase(section.name, name))
            return &section;
    return nullptr;
}

DescriptionError Description::errorAt(int line, std::string message) const
{
    return {file_, line, std::move(message)};
}

} // namespace mkapi
