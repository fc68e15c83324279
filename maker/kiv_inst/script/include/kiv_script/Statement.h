// The statements of the script language and the parser of one script line.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kivscript {

// Every failure of a run has one of these kinds; the code returned to the
// caller names the registered text, the kind travels with it for the host.
enum class ErrorKind {
    FileMissing = 1,
    FileUnreadable,
    FileTooLarge,
    LineTooLong,
    UnknownStatement,
    BadStringLiteral,
    BadArgument,
    NestingTooDeep,
    NoDevice,
    DeviceLocked,
    WriteFailed,
    ReadFailed,
    ExpectTimedOut,
};

enum class Op { Send,
                SendLine,
                Expect,
                Wait,
                Print,
                PrintLine,
                Query,
                ExecuteJobFile };

struct Statement {
    Op op = Op::Print;
    std::string text; // decoded string argument (send, expect, print, query, job path)
    uint32_t ms = 0;  // wait time or time limit
};

struct ParseError {
    ErrorKind kind = ErrorKind::UnknownStatement;
    std::string message;
};

enum class LineKind { Empty,
                      Statement,
                      Error };

constexpr std::size_t kMaxLineLength = 4096;
constexpr uint32_t kDefaultTimeoutMs = 1000;
constexpr uint32_t kMaxTimeMs = 600000; // ten minutes: no wait is unbounded

// Parses one line (without its line end; a trailing CR is tolerated).
LineKind ParseLine(std::string_view line, Statement& statement, ParseError& error);

// Decodes a double-quoted literal at the start of text: \r \n \t \\ \" \xHH.
// On success sets consumed to the length including both quotes.
bool ParseStringLiteral(std::string_view text, std::string& value, std::size_t& consumed, std::string& error);

// The bytes as a double-quoted literal with the same escapes, for messages.
std::string QuoteLiteral(std::string_view bytes);

} // namespace kivscript
