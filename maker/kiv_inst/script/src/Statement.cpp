// Line parser of the script language: one statement per line, strings with C escapes.
#include "kiv_script/Statement.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace kivscript {
namespace {

struct Keyword {
    std::string_view name;
    Op op;
};

// Statements and the arguments they take.
constexpr std::array kKeywords{
    Keyword{"send", Op::Send},
    Keyword{"sendln", Op::SendLine},
    Keyword{"expect", Op::Expect},
    Keyword{"wait", Op::Wait},
    Keyword{"print", Op::Print},
    Keyword{"println", Op::PrintLine},
    Keyword{"query", Op::Query},
    Keyword{"ExecuteJobFile", Op::ExecuteJobFile},
};

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

int hexValue(char c)
{
    if (isDigit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// A cursor over the rest of the line.
class Cursor {
public:
    explicit Cursor(std::string_view text) : m_rest(text) {}

    void skipBlanks()
    {
        while (!m_rest.empty() && isBlank(m_rest.front()))
            m_rest.remove_prefix(1);
    }
    bool atEnd() const { return m_rest.empty(); }
    char peek() const { return m_rest.empty() ? '\0' : m_rest.front(); }
    std::string_view rest() const { return m_rest; }
    void advance(std::size_t n) { m_rest.remove_prefix(n); }

    bool take(char c)
    {
        skipBlanks();
        if (peek() != c)
            return false;
        advance(1);
        return true;
    }

    std::string_view word()
    {
        std::size_t n = 0;
        while (n < m_rest.size() && isLetter(m_rest[n]))
            ++n;
        std::string_view w = m_rest.substr(0, n);
        advance(n);
        return w;
    }

private:
    std::string_view m_rest;
};

LineKind fail(ParseError& error, ErrorKind kind, std::string message)
{
    error.kind = kind;
    error.message = std::move(message);
    return LineKind::Error;
}

bool readString(Cursor& cursor, std::string& value, ParseError& error, std::string_view statement)
{
    cursor.skipBlanks();
    if (cursor.peek() != '"') {
        error = {ErrorKind::BadArgument, std::string(statement) + " needs a double-quoted text"};
        return false;
    }
    std::size_t consumed = 0;
    std::string why;
    if (!ParseStringLiteral(cursor.rest(), value, consumed, why)) {
        error = {ErrorKind::BadStringLiteral, "bad string literal: " + why};
        return false;
    }
    cursor.advance(consumed);
    return true;
}

// A decimal number of milliseconds up to kMaxTimeMs.
bool readTime(Cursor& cursor, uint32_t& ms, ParseError& error, std::string_view statement)
{
    cursor.skipBlanks();
    if (!isDigit(cursor.peek())) {
        error = {ErrorKind::BadArgument, std::string(statement) + " needs a time in milliseconds"};
        return false;
    }
    uint64_t value = 0;
    while (isDigit(cursor.peek())) {
        value = value * 10 + static_cast<uint64_t>(cursor.peek() - '0');
        cursor.advance(1);
        if (value > kMaxTimeMs) {
            error = {ErrorKind::BadArgument,
                     std::string(statement) + " time exceeds the limit of " + std::to_string(kMaxTimeMs) + " ms"};
            return false;
        }
    }
    if (isLetter(cursor.peek()) || cursor.peek() == '_') {
        error = {ErrorKind::BadArgument, std::string(statement) + " needs a time in whole milliseconds"};
        return false;
    }
    ms = static_cast<uint32_t>(value);
    return true;
}

bool startsTime(Cursor cursor)
{
    cursor.skipBlanks();
    return isDigit(cursor.peek());
}

bool readArguments(Op op, std::string_view name, Cursor& cursor, Statement& st, ParseError& error)
{
    switch (op) {
    case Op::Send:
    case Op::SendLine:
    case Op::Print:
    case Op::PrintLine:
        return readString(cursor, st.text, error, name);
    case Op::Expect:
    case Op::Query:
        if (!readString(cursor, st.text, error, name))
            return false;
        if (op == Op::Expect && st.text.empty()) {
            error = {ErrorKind::BadArgument, "expect needs a text that is not empty"};
            return false;
        }
        st.ms = kDefaultTimeoutMs;
        return !startsTime(cursor) || readTime(cursor, st.ms, error, name);
    case Op::Wait:
        return readTime(cursor, st.ms, error, name);
    case Op::ExecuteJobFile:
        if (!cursor.take('(')) {
            error = {ErrorKind::BadArgument, "ExecuteJobFile needs (\"path\")"};
            return false;
        }
        if (!readString(cursor, st.text, error, name))
            return false;
        if (!cursor.take(')')) {
            error = {ErrorKind::BadArgument, "ExecuteJobFile needs a closing parenthesis"};
            return false;
        }
        if (st.text.empty()) {
            error = {ErrorKind::BadArgument, "ExecuteJobFile needs a path that is not empty"};
            return false;
        }
        return true;
    }
    return false;
}

} // namespace

bool ParseStringLiteral(std::string_view text, std::string& value, std::size_t& consumed, std::string& error)
{
    value.clear();
    if (text.empty() || text.front() != '"') {
        error = "missing opening quote";
        return false;
    }
    for (std::size_t i = 1; i < text.size(); ++i) {
        char c = text[i];
        if (c == '"') {
            consumed = i + 1;
            return true;
        }
        if (c != '\\') {
            value += c;
            continue;
        }
        if (++i == text.size())
            break;
        switch (text[i]) {
        case 'r': value += '\r'; break;
        case 'n': value += '\n'; break;
        case 't': value += '\t'; break;
        case '\\': value += '\\'; break;
        case '"': value += '"'; break;
        case 'x': {
            int high = i + 1 < text.size() ? hexValue(text[i + 1]) : -1;
            int low = i + 2 < text.size() ? hexValue(text[i + 2]) : -1;
            if (high < 0 || low < 0) {
                error = "\\x needs two hexadecimal digits";
                return false;
            }
            value += static_cast<char>(high * 16 + low);
            i += 2;
            break;
        }
        default:
            error = std::string("unknown escape \\") + text[i];
            return false;
        }
    }
    error = "missing closing quote";
    return false;
}

std::string QuoteLiteral(std::string_view bytes)
{
    std::string out = "\"";
    for (char c : bytes) {
        switch (c) {
        case '\r': out += "\\r"; break;
        case '\n': out += "\\n"; break;
        case '\t': out += "\\t"; break;
        case '\\': out += "\\\\"; break;
        case '"': out += "\\\""; break;
        default:
            if (static_cast<unsigned char>(c) < 32 || static_cast<unsigned char>(c) >= 127) {
                char hex[5];
                std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned char>(c));
                out += hex;
            } else {
                out += c;
            }
        }
    }
    out += '"';
    return out;
}

LineKind ParseLine(std::string_view line, Statement& statement, ParseError& error)
{
    if (line.size() > kMaxLineLength)
        return fail(error, ErrorKind::LineTooLong,
                    "line too long (" + std::to_string(line.size()) + " characters, at most " +
                        std::to_string(kMaxLineLength) + ")");
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    Cursor cursor(line);
    cursor.skipBlanks();
    if (cursor.atEnd() || cursor.peek() == '#')
        return LineKind::Empty;

    std::string_view name = cursor.word();
    const Keyword* keyword = nullptr;
    for (const Keyword& k : kKeywords)
        if (k.name == name)
            keyword = &k;
    if (!keyword || (!cursor.atEnd() && !isBlank(cursor.peek()) && cursor.peek() != '"' && cursor.peek() != '(')) {
        std::string_view shown = line.substr(line.find_first_not_of(" \t"));
        shown = shown.substr(0, std::min<std::size_t>(shown.find_first_of(" \t"), 40));
        return fail(error, ErrorKind::UnknownStatement, "unknown statement " + QuoteLiteral(shown));
    }

    statement = Statement{};
    statement.op = keyword->op;
    if (!readArguments(keyword->op, keyword->name, cursor, statement, error))
        return LineKind::Error;

    cursor.take(';');
    cursor.skipBlanks();
    if (!cursor.atEnd() && cursor.peek() != '#')
        return fail(error, ErrorKind::BadArgument,
                    "unexpected text after " + std::string(keyword->name) + ": " +
                        QuoteLiteral(cursor.rest().substr(0, 40)));
    return LineKind::Statement;
}

} // namespace kivscript
