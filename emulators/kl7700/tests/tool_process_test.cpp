// The kl7700-emu tool as a process: reached over TCP and over its pseudo-terminal.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

extern char** environ;

namespace {

constexpr int kLimitMs = 5000; // generous bound for every wait on the tool

using Clock = std::chrono::steady_clock;

int remainingMs(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// Reads from fd until `done` holds for what was read, or the time limit passes.
template <typename Done>
std::string readUntil(int fd, Done done)
{
    std::string text;
    const auto deadline = Clock::now() + std::chrono::milliseconds(kLimitMs);
    while (!done(text)) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, remainingMs(deadline)) <= 0) break;
        char buffer[512];
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got <= 0) break;
        text.append(buffer, static_cast<size_t>(got));
    }
    return text;
}

std::string readReply(int fd)
{
    return readUntil(fd, [](const std::string& t) { return !t.empty() && t.back() == '>'; });
}

// The tool started with the given arguments; its first output line is read at once.
class ToolProcess {
public:
    explicit ToolProcess(std::vector<std::string> args)
    {
        int out[2];
        if (::pipe(out) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        args.insert(args.begin(), KL7700_EMU_PATH);
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        if (posix_spawn(&pid_, KL7700_EMU_PATH, &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        stdout_ = out[0];
        const std::string text = readUntil(stdout_, [](const std::string& t) { return t.find('\n') != std::string::npos; });
        firstLine = text.substr(0, text.find('\n'));
    }
    ~ToolProcess()
    {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            int status = 0;
            ::waitpid(pid_, &status, 0);
        }
        if (stdout_ >= 0) ::close(stdout_);
    }

    std::string firstLine;

private:
    pid_t pid_ = -1;
    int stdout_ = -1;
};

int connectTo(uint16_t port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

void send(int fd, std::string_view text) { ASSERT_EQ(::write(fd, text.data(), text.size()), ssize_t(text.size())); }

TEST(ToolProcess, ServesTcpClientsOneAfterAnotherWithOneCameraState)
{
    ToolProcess tool({"--tcp", "0", "--variant", "0x4031", "--serial", "99"});
    ASSERT_EQ(tool.firstLine.rfind("127.0.0.1:", 0), 0u) << tool.firstLine;
    const uint16_t port = static_cast<uint16_t>(std::stoi(tool.firstLine.substr(10)));

    const int first = connectTo(port);
    ASSERT_GE(first, 0);
    send(first, "V\r");
    EXPECT_EQ(readReply(first), "V\r\r\nSorvel SX-20B\r\nVersion: 3.2.1.8\r\n>");
    send(first, "E=00000123\r");
    EXPECT_EQ(readReply(first), "E=00000123\r\r\n>");
    send(first, "E=0000"); // a half command the next client must not inherit
    ::close(first);

    const int second = connectTo(port);
    ASSERT_GE(second, 0);
    send(second, "b=?\r");
    EXPECT_EQ(readReply(second), "b=?\r\r\n=4031\r\n>");
    send(second, "E=?\r");
    EXPECT_EQ(readReply(second), "E=?\r\r\n=00000123\r\n>");
    ::close(second);
}

int openRawTerminal(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY);
    if (fd < 0) return -1;
    termios settings{};
    ::tcgetattr(fd, &settings);
    ::cfmakeraw(&settings);
    ::tcsetattr(fd, TCSANOW, &settings);
    return fd;
}

TEST(ToolProcess, ServesItsPseudoTerminalAcrossReopening)
{
    ToolProcess tool({"--pty", "--name", "KL-7700", "--no-dual-output"});
    ASSERT_EQ(tool.firstLine.rfind("/dev/", 0), 0u) << tool.firstLine;

    const int first = openRawTerminal(tool.firstLine);
    ASSERT_GE(first, 0) << tool.firstLine;
    send(first, "V\r");
    EXPECT_EQ(readReply(first), "V\r\r\nKL-7700\r\nVersion: 3.2.1.8\r\n>");
    ::close(first);

    const int second = openRawTerminal(tool.firstLine);
    ASSERT_GE(second, 0);
    send(second, "S=?\r");
    EXPECT_EQ(readReply(second), "S=?\r\r\nError: unknown command\r\n>");
    ::close(second);
}

TEST(ToolProcess, BadArgumentsExitWithTwo)
{
    pid_t pid = -1;
    char program[] = KL7700_EMU_PATH;
    char bad[] = "--tcp";
    char value[] = "port";
    char* argv[] = {program, bad, value, nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    ASSERT_EQ(posix_spawn(&pid, program, &actions, nullptr, argv, environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 2);
}

} // namespace
