// The ini grammar: top-level comments, section headers, key lines and the
// comment lines of section bodies.
#include "ini_parser.h"

#include "config_store/IniFile.h"

#include <cstring>

namespace config_store {

bool TextFileLines::NextLine(std::string_view& line)
{
    if (pos_ >= text_.size()) return false;
    size_t end = text_.find('\n', pos_);
    if (end == std::string_view::npos) {
        line = text_.substr(pos_);
        pos_ = text_.size();
        return !line.empty();
    }
    line = text_.substr(pos_, end - pos_);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    pos_ = end + 1;
    return true;
}

bool MemoryBlockLines::NextLine(std::string_view& line)
{
    if (pos_ >= size_ || data_[pos_] == '\0') return false;
    size_t start = pos_;
    while (pos_ < size_ && data_[pos_] != '\n' && data_[pos_] != '\r' && data_[pos_] != '\0') ++pos_;
    line = std::string_view(data_ + start, pos_ - start);
    if (pos_ >= size_ || data_[pos_] == '\0') return !line.empty();
    // One line end: LF or CR, and the other one of the pair right after it.
    char first = data_[pos_++];
    char partner = first == '\n' ? '\r' : '\n';
    if (pos_ < size_ && data_[pos_] == partner) ++pos_;
    return true;
}

namespace {

// Stop characters of the tokenizer as a table: one lookup per character.
class StopSet {
public:
    constexpr explicit StopSet(std::string_view stops) : table_{}
    {
        for (char c : stops) table_[static_cast<unsigned char>(c)] = true;
    }
    constexpr bool Contains(char c) const { return table_[static_cast<unsigned char>(c)]; }

private:
    bool table_[256];
};

constexpr StopSet kTokenStops("[]=# ");
constexpr StopSet kSectionNameStops("[]=#");

// Cuts tokens from one line.
class LineTokenizer {
public:
    explicit LineTokenizer(std::string_view line) : line_(line) {}

    // Skips blanks, then takes characters up to a stop character; a stop
    // character met first becomes a token of its own.
    std::string_view NextToken(const StopSet& stops = kTokenStops)
    {
        while (pos_ < line_.size() && line_[pos_] == ' ') ++pos_;
        size_t start = pos_;
        while (pos_ < line_.size() && !stops.Contains(line_[pos_])) ++pos_;
        if (pos_ == start && pos_ < line_.size()) ++pos_;
        return line_.substr(start, pos_ - start);
    }

    std::string_view Rest() const { return line_.substr(pos_); }

private:
    std::string_view line_;
    size_t pos_ = 0;
};

bool IsCommentToken(std::string_view token)
{
    return token.empty() || token[0] == '#' || token[0] == ';' || token.substr(0, 2) == "//";
}

// Reads a section header after its "[" and appends the section; null on error.
IniSection* ParseHeader(LineTokenizer& tokens, IniTree& tree)
{
    std::string_view name = tokens.NextToken(kSectionNameStops);
    while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
    if (name.empty() || tokens.NextToken() != "]") return nullptr;
    return tree.AppendSection(name);
}

} // namespace

int ParseIniText(LineSource& source, IniTree& tree)
{
    tree.Clear();
    IniSection* section = nullptr; // the section whose body is being read
    std::string_view line;
    while (source.NextLine(line)) {
        LineTokenizer tokens(line);
        std::string_view token = tokens.NextToken();
        if (token == "[") {
            section = ParseHeader(tokens, tree);
            if (!section) return INIERR_SYNTAX;
            continue;
        }
        if (IsCommentToken(token)) {
            if (section) {
                tree.AppendComment(*section, line);
            } else {
                tree.AppendComment(line);
            }
            continue;
        }
        if (!section) return INIERR_SYNTAX;
        std::string_view after = tokens.NextToken();
        if (after == "=") {
            tree.AppendKey(*section, token, tokens.Rest());
            continue;
        }
        // A key without "=" ends the body; what follows it decides the rest.
        if (IsCommentToken(after)) {
            tree.AppendComment(line);
            section = nullptr;
        } else if (after == "[") {
            section = ParseHeader(tokens, tree);
            if (!section) return INIERR_SYNTAX;
        } else {
            return INIERR_SYNTAX;
        }
    }
    return 0;
}

} // namespace config_store
