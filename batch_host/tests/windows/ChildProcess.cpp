// Child-process runner for the Merrow tests: files for input and output, a
// private environment, a time limit and a hook called while the child runs.
#include "ChildProcess.h"

#include "win32/unique_handle.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>

namespace merrow_test {
namespace {

std::string TempFileName(const char* prefix)
{
    char folder[MAX_PATH] = {};
    char file[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    GetTempFileNameA(folder, prefix, 0, file);
    return file;
}

win32::UniqueFileHandle OpenInheritable(const std::string& path, DWORD access, DWORD disposition)
{
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    return win32::UniqueFileHandle(CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                               disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
}

std::string Quote(const std::string& argument)
{
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos)
        return argument;
    return "\"" + argument + "\"";
}

// The parent's environment with PATH replaced, so that nothing is found on the
// test runner's search path that does not lie beside the program.
std::string ChildEnvironment(const std::string& pathVariable)
{
    std::string block;
    char* strings = GetEnvironmentStringsA();
    for (const char* entry = strings; *entry; entry += std::strlen(entry) + 1) {
        if (_strnicmp(entry, "PATH=", 5) != 0)
            block.append(entry).push_back('\0');
    }
    FreeEnvironmentStringsA(strings);
    block.append("PATH=" + pathVariable).push_back('\0');
    block.push_back('\0');
    return block;
}

std::string ReadWholeFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

} // namespace

ChildResult RunChild(const ChildRun& run)
{
    ChildResult result;
    std::string inputFile = TempFileName("min");
    std::string outputFile = TempFileName("mou");
    std::ofstream(inputFile, std::ios::binary) << run.input;

    win32::UniqueFileHandle input = OpenInheritable(inputFile, GENERIC_READ, OPEN_EXISTING);
    win32::UniqueFileHandle output = OpenInheritable(outputFile, GENERIC_WRITE, CREATE_ALWAYS);
    std::string commandLine = Quote(run.program);
    for (const std::string& argument : run.arguments)
        commandLine += " " + Quote(argument);
    std::string environment = ChildEnvironment(run.pathVariable);
    std::string folder = run.currentDirectory.empty()
        ? run.program.substr(0, run.program.rfind('\\'))
        : run.currentDirectory;

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input.get();
    startup.hStdOutput = output.get();
    startup.hStdError = output.get();
    PROCESS_INFORMATION info = {};
    result.started = CreateProcessA(run.program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0,
                                    environment.data(), folder.c_str(), &startup, &info);
    // The child holds its own copies; the output file is read once it ends.
    input.reset();
    output.reset();
    if (result.started) {
        const win32::UniqueProcess child(info);
        const HANDLE process = child.process.get();
        DWORD deadline = GetTickCount() + run.timeLimitMs;
        while (WaitForSingleObject(process, 50) == WAIT_TIMEOUT) {
            if (static_cast<LONG>(GetTickCount() - deadline) >= 0) {
                result.timedOut = true;
                TerminateProcess(process, 0xDEAD);
                WaitForSingleObject(process, 5000);
                break;
            }
            if (run.whileRunning)
                run.whileRunning(process);
        }
        GetExitCodeProcess(process, &result.exitCode);
    }
    result.output = ReadWholeFile(outputFile);
    DeleteFileA(inputFile.c_str());
    DeleteFileA(outputFile.c_str());
    return result;
}

std::string Crlf(const std::string& text)
{
    std::string converted;
    for (char c : text) {
        if (c == '\n')
            converted += '\r';
        converted += c;
    }
    return converted;
}

} // namespace merrow_test
