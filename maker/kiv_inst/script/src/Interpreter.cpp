// Runs scripts and jobs: statements against the device port, jobs as lists of files.
#include "kiv_script/Interpreter.h"

#include "kiv_script/ErrorTexts.h"

#include <algorithm>
#include <optional>

namespace kivscript {
namespace {

// Bytes kept for expect; a device that streams longer than this within one
// time limit loses its oldest bytes rather than growing the buffer forever.
constexpr std::size_t kMaxReceived = 64 * 1024;
constexpr uint32_t kPollMs = 10;

// Where a statement or a file reference stands, for error texts.
struct Place {
    std::string_view file;
    std::size_t line = 0; // 0: the file as a whole
};

struct Failure {
    ErrorKind kind;
    std::string text;
};

std::string prefix(const Place& at)
{
    std::string p(at.file);
    if (at.line > 0)
        p += "(" + std::to_string(at.line) + ")";
    return p + ": ";
}

bool endsWithJobExtension(std::string_view path)
{
    if (path.size() < 4)
        return false;
    std::string_view ext = path.substr(path.size() - 4);
    return ext[0] == '.' && (ext[1] | 0x20) == 'v' && (ext[2] | 0x20) == 'k' && (ext[3] | 0x20) == 'j';
}

std::string_view trimmed(std::string_view s)
{
    std::size_t begin = s.find_first_not_of(" \t\r");
    if (begin == std::string_view::npos)
        return {};
    std::size_t end = s.find_last_not_of(" \t\r");
    return s.substr(begin, end - begin + 1);
}

// A reply as the user reads it: without the command's echo and the prompt,
// line ends as "\n", surrounding line ends and blanks removed.
std::string readableReply(std::string_view reply, std::string_view command)
{
    std::string echo = std::string(command) + '\r';
    if (reply.substr(0, echo.size()) == echo)
        reply.remove_prefix(echo.size());
    std::string out;
    for (std::size_t i = 0; i < reply.size(); ++i) {
        if (reply[i] == '\r') {
            out += '\n';
            if (i + 1 < reply.size() && reply[i + 1] == '\n')
                ++i;
        } else {
            out += reply[i];
        }
    }
    std::size_t begin = out.find_first_not_of(" \t\n");
    if (begin == std::string::npos)
        return {};
    out = out.substr(begin, out.find_last_not_of(" \t\n") - begin + 1);
    // A parameter query is answered "=value": shown as "E=value", it says which.
    if (command.size() > 2 && command.substr(command.size() - 2) == "=?" && out.front() == '=')
        out.insert(0, command.substr(0, command.size() - 2));
    return out;
}

class Runner {
public:
    explicit Runner(const Environment& env) : m_env(env) {}
    ~Runner()
    {
        if (m_locked)
            m_env.port->Unlock();
    }
    Runner(const Runner&) = delete;
    Runner& operator=(const Runner&) = delete;

    // Each returns the failure that stopped it, or nothing.
    std::optional<Failure> runText(std::string_view text, std::string_view name, const std::string& folder);
    std::optional<Failure> runFile(const std::string& path, const Place& from, bool isJob);

private:
    std::optional<Failure> runJobText(std::string_view text, const std::string& path);
    std::optional<Failure> execute(const Statement& st, const Place& at, const std::string& folder);
    std::optional<Failure> useDevice(std::string_view statement, const Place& at);
    std::optional<Failure> send(const Statement& st, std::string_view bytes, const Place& at);
    std::optional<Failure> awaitText(std::string_view statement, std::string_view wanted, uint32_t timeoutMs,
                                     const Place& at, std::string* before);
    void print(std::string_view text)
    {
        if (m_env.print && !text.empty())
            m_env.print(text);
    }

    const Environment& m_env;
    bool m_locked = false;
    std::string m_received; // bytes since the last send, not yet consumed by expect
    int m_jobDepth = 0;
};

std::optional<Failure> Runner::runText(std::string_view text, std::string_view name, const std::string& folder)
{
    std::size_t lineNumber = 0;
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        Place at{name, ++lineNumber};
        Statement st;
        ParseError error;
        switch (ParseLine(line, st, error)) {
        case LineKind::Empty:
            break;
        case LineKind::Error:
            return Failure{error.kind, prefix(at) + error.message};
        case LineKind::Statement:
            if (auto failure = execute(st, at, folder))
                return failure;
            break;
        }
    }
    return std::nullopt;
}

std::optional<Failure> Runner::runFile(const std::string& path, const Place& from, bool isJob)
{
    const char* what = isJob ? "job file" : "script file";
    if (isJob && m_jobDepth == kMaxJobDepth)
        return Failure{ErrorKind::NestingTooDeep, prefix(from) + "job nesting too deep: \"" + path + "\" would be level " + std::to_string(kMaxJobDepth + 1) + " (at most " + std::to_string(kMaxJobDepth) + ")"};
    if (m_env.onFile)
        m_env.onFile(path);
    std::string content;
    switch (m_env.files->ReadFile(path, content)) {
    case ReadStatus::Ok:
        break;
    case ReadStatus::Missing:
        return Failure{ErrorKind::FileMissing, prefix(from) + "cannot find " + what + " \"" + path + "\""};
    case ReadStatus::Unreadable:
        return Failure{ErrorKind::FileUnreadable, prefix(from) + "cannot read " + what + " \"" + path + "\""};
    case ReadStatus::TooLarge:
        return Failure{ErrorKind::FileTooLarge, prefix(from) + what + " \"" + path + "\" is larger than " + std::to_string(kMaxFileSize) + " bytes"};
    }
    if (!isJob)
        return runText(content, path, FolderOf(path, m_env.pathStyle));
    ++m_jobDepth;
    auto failure = runJobText(content, path);
    --m_jobDepth;
    return failure;
}

// A job names one file per line: scripts, or further jobs (".vkj").
std::optional<Failure> Runner::runJobText(std::string_view text, const std::string& path)
{
    std::string folder = FolderOf(path, m_env.pathStyle);
    std::size_t lineNumber = 0;
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        Place at{path, ++lineNumber};
        if (line.size() > kMaxLineLength)
            return Failure{ErrorKind::LineTooLong, prefix(at) + "line too long (" + std::to_string(line.size()) + " characters, at most " + std::to_string(kMaxLineLength) + ")"};
        std::string_view entry = trimmed(line);
        if (entry.empty() || entry.front() == '#')
            continue;
        std::string resolved = ResolvePath(folder, entry, m_env.pathStyle);
        if (auto failure = runFile(resolved, at, endsWithJobExtension(entry)))
            return failure;
    }
    return std::nullopt;
}

std::optional<Failure> Runner::execute(const Statement& st, const Place& at, const std::string& folder)
{
    switch (st.op) {
    case Op::Send:
        return send(st, st.text, at);
    case Op::SendLine:
        return send(st, st.text + '\r', at);
    case Op::Expect:
        if (auto failure = useDevice("expect", at))
            return failure;
        return awaitText("expect", st.text, st.ms, at, nullptr);
    case Op::Query: {
        if (auto failure = send(st, st.text + '\r', at))
            return failure;
        std::string reply;
        if (auto failure = awaitText("query", ">", st.ms, at, &reply))
            return failure;
        std::string readable = readableReply(reply, st.text);
        if (!readable.empty())
            print(readable + '\n');
        return std::nullopt;
    }
    case Op::Wait:
        m_env.clock->SleepMs(st.ms);
        return std::nullopt;
    case Op::Print:
        print(st.text);
        return std::nullopt;
    case Op::PrintLine:
        print(st.text + '\n');
        return std::nullopt;
    case Op::ExecuteJobFile:
        return runFile(ResolvePath(folder, st.text, m_env.pathStyle), at, true);
    }
    return std::nullopt;
}

// The device is taken once per run, at the first statement that needs it.
std::optional<Failure> Runner::useDevice(std::string_view statement, const Place& at)
{
    if (!m_env.port)
        return Failure{ErrorKind::NoDevice, prefix(at) + std::string(statement) + ": no communication device connected"};
    if (!m_locked) {
        if (!m_env.port->Lock())
            return Failure{ErrorKind::DeviceLocked,
                           prefix(at) + std::string(statement) + ": communication device is locked by another owner"};
        m_locked = true;
    }
    return std::nullopt;
}

// Bytes that arrived before a command cannot be its reply: they are dropped.
std::optional<Failure> Runner::send(const Statement& st, std::string_view bytes, const Place& at)
{
    std::string_view name = st.op == Op::Query ? "query" : st.op == Op::SendLine ? "sendln"
                                                                                 : "send";
    if (auto failure = useDevice(name, at))
        return failure;
    std::string stale;
    if (!m_env.port->Read(stale))
        return Failure{ErrorKind::ReadFailed, prefix(at) + std::string(name) + ": reading from the communication device failed"};
    m_received.clear();
    if (!m_env.port->Write(bytes))
        return Failure{ErrorKind::WriteFailed, prefix(at) + std::string(name) + ": writing to the communication device failed"};
    return std::nullopt;
}

// Polls the port until the wanted text has arrived or the time limit passes.
// On success everything up to and including the text is consumed; the bytes
// before it go to *before when asked for.
std::optional<Failure> Runner::awaitText(std::string_view statement, std::string_view wanted, uint32_t timeoutMs,
                                         const Place& at, std::string* before)
{
    const uint64_t deadline = m_env.clock->NowMs() + timeoutMs;
    for (;;) {
        if (!m_env.port->Read(m_received))
            return Failure{ErrorKind::ReadFailed,
                           prefix(at) + std::string(statement) + ": reading from the communication device failed"};
        std::size_t found = m_received.find(wanted);
        if (found != std::string::npos) {
            if (before)
                *before = m_received.substr(0, found);
            m_received.erase(0, found + wanted.size());
            return std::nullopt;
        }
        std::size_t keep = std::max(kMaxReceived, wanted.size());
        if (m_received.size() > keep)
            m_received.erase(0, m_received.size() - keep);
        uint64_t now = m_env.clock->NowMs();
        if (now >= deadline) {
            std::string seen = m_received.empty() ? "nothing received"
                                                  : "received " + QuoteLiteral(std::string_view(m_received).substr(m_received.size() - std::min<std::size_t>(m_received.size(), 80)));
            std::string what = statement == "query" ? "query got no prompt \">\" within "
                                                    : "expect " + QuoteLiteral(wanted) + " timed out after ";
            return Failure{ErrorKind::ExpectTimedOut, prefix(at) + what + std::to_string(timeoutMs) + " ms; " + seen};
        }
        m_env.clock->SleepMs(static_cast<uint32_t>(std::min<uint64_t>(kPollMs, deadline - now)));
    }
}

Outcome toOutcome(std::optional<Failure> failure)
{
    if (!failure)
        return {};
    return Outcome{false, failure->kind, std::move(failure->text)};
}

long toCode(const Outcome& outcome)
{
    return outcome.ok ? 0 : kivinst::RegisterErrorText(outcome.text);
}

} // namespace

Outcome Execute(const ScriptSource& source, const Environment& env)
{
    Runner runner(env);
    return toOutcome(runner.runText(source.text, source.name, source.folder));
}

Outcome ExecuteFile(const std::string& scriptPath, const Environment& env)
{
    Runner runner(env);
    return toOutcome(runner.runFile(scriptPath, Place{scriptPath, 0}, false));
}

long Run(const ScriptSource& source, const Environment& env) { return toCode(Execute(source, env)); }

long RunFile(const std::string& scriptPath, const Environment& env) { return toCode(ExecuteFile(scriptPath, env)); }

} // namespace kivscript
