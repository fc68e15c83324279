// Runs a program as a child process with prepared input and captured output.
#pragma once

#include "win32/lean_windows.h"

#include <functional>
#include <string>
#include <vector>

namespace merrow_test {

struct ChildRun {
    std::string program; // full path of the .exe
    std::vector<std::string> arguments;
    std::string currentDirectory;                                   // empty: the program's folder
    std::string input;                                              // what standard input holds
    std::string pathVariable = "C:\\windows\\system32;C:\\windows"; // PATH of the child
    // Called repeatedly while the child runs, e.g. to close its dialogs.
    std::function<void(HANDLE process)> whileRunning;
    DWORD timeLimitMs = 60000;
};

struct ChildResult {
    bool started = false;
    bool timedOut = false; // the child was ended by the time limit
    DWORD exitCode = 0;
    std::string output; // standard output and standard error, as bytes
};

ChildResult RunChild(const ChildRun& run);

// The same text with every "\n" written as "\r\n", as a console program's
// text-mode output appears in a file.
std::string Crlf(const std::string& text);

} // namespace merrow_test
