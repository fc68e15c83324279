// Line parser: every statement form, string escapes and every syntax error.
#include "kiv_script/Statement.h"

#include <gtest/gtest.h>

namespace kivscript {
namespace {

struct GoodLine {
    const char* line;
    Op op;
    std::string text;
    uint32_t ms;
};

TEST(ParseLine, AcceptsEveryStatementForm)
{
    const GoodLine cases[] = {
        {"send \"V\"", Op::Send, "V", 0},
        {"sendln \"E=?\"", Op::SendLine, "E=?", 0},
        {"  \tsendln\t\"a=?\"  ", Op::SendLine, "a=?", 0},
        {"send\"x\"", Op::Send, "x", 0},
        {"expect \">\"", Op::Expect, ">", kDefaultTimeoutMs},
        {"expect \"OK>\" 250", Op::Expect, "OK>", 250},
        {"expect \"#;\" 0 # a comment", Op::Expect, "#;", 0},
        {"wait 50", Op::Wait, "", 50},
        {"wait 600000", Op::Wait, "", kMaxTimeMs},
        {"print \"hello\"", Op::Print, "hello", 0},
        {"println \"hello\";", Op::PrintLine, "hello", 0},
        {"query \"E=?\"", Op::Query, "E=?", kDefaultTimeoutMs},
        {"query \"V\" 3000", Op::Query, "V", 3000},
        {"ExecuteJobFile(\"C:\\\\jobs\\\\a.vkj\");", Op::ExecuteJobFile, "C:\\jobs\\a.vkj", 0},
        {"ExecuteJobFile ( \"b.vkj\" )", Op::ExecuteJobFile, "b.vkj", 0},
        {"sendln \"V\"\r", Op::SendLine, "V", 0},
    };
    for (const GoodLine& c : cases) {
        SCOPED_TRACE(c.line);
        Statement st;
        ParseError error;
        ASSERT_EQ(LineKind::Statement, ParseLine(c.line, st, error)) << error.message;
        EXPECT_EQ(c.op, st.op);
        EXPECT_EQ(c.text, st.text);
        EXPECT_EQ(c.ms, st.ms);
    }
}

TEST(ParseLine, TheJobCallOfTheConsoleProgramNamesThePathUndoubled)
{
    // The console program doubles every backslash of the path it was given.
    std::string path = "C:\\Program Files\\Quarnel\\jobs\\night run.vkj";
    std::string doubled;
    for (char c : path)
        doubled += c == '\\' ? std::string("\\\\") : std::string(1, c);
    Statement st;
    ParseError error;
    ASSERT_EQ(LineKind::Statement, ParseLine("ExecuteJobFile(\"" + doubled + "\");", st, error));
    EXPECT_EQ(path, st.text);
}

TEST(ParseLine, BlankAndCommentLinesAreEmpty)
{
    for (const char* line : {"", "   ", "\t", "# send \"x\"", "   # note", "\r"}) {
        SCOPED_TRACE(line);
        Statement st;
        ParseError error;
        EXPECT_EQ(LineKind::Empty, ParseLine(line, st, error));
    }
}

struct BadLine {
    std::string line;
    ErrorKind kind;
    std::string message;
};

TEST(ParseLine, ReportsEveryErrorWithItsCause)
{
    const BadLine cases[] = {
        {"sned \"V\"", ErrorKind::UnknownStatement, "unknown statement \"sned\""},
        {"Send \"V\"", ErrorKind::UnknownStatement, "unknown statement \"Send\""},
        {"sendx", ErrorKind::UnknownStatement, "unknown statement \"sendx\""},
        {"send2 \"V\"", ErrorKind::UnknownStatement, "unknown statement \"send2\""},
        {"\"V\"", ErrorKind::UnknownStatement, "unknown statement \"\\\"V\\\"\""},
        {"send V", ErrorKind::BadArgument, "send needs a double-quoted text"},
        {"send", ErrorKind::BadArgument, "send needs a double-quoted text"},
        {"send \"V", ErrorKind::BadStringLiteral, "bad string literal: missing closing quote"},
        {"send \"V\\", ErrorKind::BadStringLiteral, "bad string literal: missing closing quote"},
        {"send \"\\q\"", ErrorKind::BadStringLiteral, "bad string literal: unknown escape \\q"},
        {"send \"\\x4\"", ErrorKind::BadStringLiteral, "bad string literal: \\x needs two hexadecimal digits"},
        {"send \"\\xG0\"", ErrorKind::BadStringLiteral, "bad string literal: \\x needs two hexadecimal digits"},
        {"send \"V\" \"W\"", ErrorKind::BadArgument, "unexpected text after send: \"\\\"W\\\"\""},
        {"send \"V\";;", ErrorKind::BadArgument, "unexpected text after send: \";\""},
        {"expect \"\"", ErrorKind::BadArgument, "expect needs a text that is not empty"},
        {"expect \">\" 10s", ErrorKind::BadArgument, "expect needs a time in whole milliseconds"},
        {"expect \">\" -5", ErrorKind::BadArgument, "unexpected text after expect: \"-5\""},
        {"wait", ErrorKind::BadArgument, "wait needs a time in milliseconds"},
        {"wait 100ms", ErrorKind::BadArgument, "wait needs a time in whole milliseconds"},
        {"wait 600001", ErrorKind::BadArgument, "wait time exceeds the limit of 600000 ms"},
        {"wait 99999999999999999999999", ErrorKind::BadArgument, "wait time exceeds the limit of 600000 ms"},
        {"ExecuteJobFile \"a.vkj\"", ErrorKind::BadArgument, "ExecuteJobFile needs (\"path\")"},
        {"ExecuteJobFile(\"a.vkj\"", ErrorKind::BadArgument, "ExecuteJobFile needs a closing parenthesis"},
        {"ExecuteJobFile(\"\")", ErrorKind::BadArgument, "ExecuteJobFile needs a path that is not empty"},
        {"ExecuteJobFile(\"C:\\jobs\\a.vkj\");", ErrorKind::BadStringLiteral, "bad string literal: unknown escape \\j"},
        {std::string(kMaxLineLength + 1, ' '), ErrorKind::LineTooLong, "line too long (4097 characters, at most 4096)"},
    };
    for (const BadLine& c : cases) {
        SCOPED_TRACE(c.line);
        Statement st;
        ParseError error;
        ASSERT_EQ(LineKind::Error, ParseLine(c.line, st, error));
        EXPECT_EQ(c.kind, error.kind);
        EXPECT_EQ(c.message, error.message);
    }
}

TEST(StringLiteral, DecodesEveryEscape)
{
    std::string value;
    std::size_t consumed = 0;
    std::string error;
    ASSERT_TRUE(ParseStringLiteral(R"("a\r\n\t\\\"\x41\x0d\x00z" tail)", value, consumed, error)) << error;
    EXPECT_EQ(std::string("a\r\n\t\\\"A\r\0z", 10), value);
    EXPECT_EQ(std::string_view(R"("a\r\n\t\\\"\x41\x0d\x00z")").size(), consumed);
}

TEST(StringLiteral, QuotingRoundTripsEveryByte)
{
    std::string bytes;
    for (int c = 0; c < 256; ++c)
        bytes += static_cast<char>(c);
    std::string quoted = QuoteLiteral(bytes);
    std::string value;
    std::size_t consumed = 0;
    std::string error;
    ASSERT_TRUE(ParseStringLiteral(quoted, value, consumed, error)) << error;
    EXPECT_EQ(bytes, value);
    EXPECT_EQ(quoted.size(), consumed);
}

} // namespace
} // namespace kivscript
