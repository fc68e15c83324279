// Reading and rebuilding the field lists held in a key's text.
#include "field_list.h"

#include "name_compare.h"

#include <cstring>

namespace config_store {
namespace {

struct ListItem {
    std::string name;
    std::string value;
};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

void SkipBlanks(std::string_view text, size_t& pos)
{
    while (pos < text.size() && IsBlank(text[pos])) ++pos;
}

// Walks the items of a list in order, checking the separator after each.
class ListReader {
public:
    explicit ListReader(std::string_view text) : text_(text) {}

    bool AtEnd() const { return done_; }

    ListItem Next()
    {
        ListItem item;
        item.name = ReadListToken(text_, pos_);
        SkipBlanks(text_, pos_);
        if (pos_ < text_.size() && text_[pos_] == '=') ++pos_;
        item.value = ReadListToken(text_, pos_);
        return item;
    }

    // After an item: true when a comma follows (more items) or the text ends;
    // false when anything else follows (the list is malformed).
    bool Separator()
    {
        SkipBlanks(text_, pos_);
        if (pos_ >= text_.size()) {
            done_ = true;
            return true;
        }
        if (text_[pos_] != ',') return false;
        ++pos_;
        return true;
    }

private:
    std::string_view text_;
    size_t pos_ = 0;
    bool done_ = false;
};

void AppendItem(std::string& list, std::string_view name, std::string_view value)
{
    if (!list.empty()) list += ", ";
    list += QuoteListToken(name);
    list += '=';
    list += QuoteListToken(value);
}

} // namespace

bool IsKeyChar(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-' ||
        c == '.';
}

std::string ReadListToken(std::string_view text, size_t& pos)
{
    SkipBlanks(text, pos);
    std::string token;
    if (pos < text.size() && text[pos] == '"') {
        ++pos;
        while (pos < text.size() && text[pos] != '"' && text[pos] != '\n' && text[pos] != '\0') token += text[pos++];
        if (pos < text.size() && text[pos] == '"') ++pos;
        return token;
    }
    while (pos < text.size()) {
        char c = text[pos];
        if (IsKeyChar(c)) {
            token += c;
        } else if (c != '"') {
            break;
        }
        ++pos;
    }
    return token;
}

std::string QuoteListToken(std::string_view token)
{
    bool plain = true;
    for (char c : token) plain = plain && IsKeyChar(c);
    if (plain) return std::string(token);
    std::string quoted;
    quoted.reserve(token.size() + 2);
    quoted += '"';
    quoted += token;
    quoted += '"';
    return quoted;
}

std::optional<std::string> FindListField(std::string_view text, std::string_view field)
{
    ListReader reader(text);
    while (!reader.AtEnd()) {
        ListItem item = reader.Next();
        if (item.name.empty()) return std::nullopt;
        if (NamesEqual(item.name, field)) return item.value;
        if (!reader.Separator()) return std::nullopt;
    }
    return std::nullopt;
}

size_t CountListFields(std::string_view text)
{
    ListReader reader(text);
    size_t count = 0;
    while (!reader.AtEnd()) {
        if (reader.Next().name.empty() || !reader.Separator()) return 0;
        ++count;
    }
    return count;
}

std::optional<std::string> ListFieldName(std::string_view text, size_t index)
{
    ListReader reader(text);
    for (size_t i = 0; !reader.AtEnd(); ++i) {
        ListItem item = reader.Next();
        if (item.name.empty() || !reader.Separator()) return std::nullopt;
        if (i == index) return item.name;
    }
    return std::nullopt;
}

std::optional<std::string> ListWithField(std::string_view text, std::string_view field, std::string_view value)
{
    ListReader reader(text);
    std::string list;
    bool placed = false;
    while (!reader.AtEnd()) {
        ListItem item = reader.Next();
        if (!item.name.empty() && !NamesEqual(item.name, field)) {
            AppendItem(list, item.name, item.value);
        } else if (!placed) {
            AppendItem(list, field, value);
            placed = true;
        }
        if (!reader.Separator()) return std::nullopt;
    }
    if (!placed) AppendItem(list, field, value);
    return list;
}

std::optional<std::string> ListWithoutField(std::string_view text, std::string_view field)
{
    ListReader reader(text);
    std::string list;
    while (!reader.AtEnd()) {
        ListItem item = reader.Next();
        if (item.name.empty() && !item.value.empty()) return std::nullopt;
        if (!item.name.empty() && !NamesEqual(item.name, field)) AppendItem(list, item.name, item.value);
        if (!reader.Separator()) return std::nullopt;
    }
    return list;
}

} // namespace config_store
