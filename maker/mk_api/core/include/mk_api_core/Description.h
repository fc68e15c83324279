// The network description file: ini sections of keys, each remembered with its line, so that
// every backend can report a bad entry by file and line.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mkapi {

struct DescriptionEntry {
    std::string key;
    std::string value;
    int line = 0;
};

struct DescriptionSection {
    std::string name; // the text between the brackets, trimmed
    int line = 0;
    std::vector<DescriptionEntry> entries;

    const DescriptionEntry* find(std::string_view key) const; // keys compare without case
};

// "FILE:LINE: message".
struct DescriptionError {
    std::string file;
    int line = 0;
    std::string message;
    std::string text() const;
};

class Description {
public:
    // Parses ini text: "[Section]" lines, "Key=Value" lines, ';' or '#' comment lines.
    // On failure returns nothing and fills `error`.
    static std::optional<Description> parse(std::string_view text, std::string file, DescriptionError& error);

    const std::string& file() const { return file_; }
    const std::vector<DescriptionSection>& sections() const { return sections_; }
    // The first section of that name (compared without case), or null.
    const DescriptionSection* section(std::string_view name) const;
    DescriptionError errorAt(int line, std::string message) const;

private:
    std::string file_;
    std::vector<DescriptionSection> sections_;
};

} // namespace mkapi
