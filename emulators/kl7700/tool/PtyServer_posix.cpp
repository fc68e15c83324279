// The pseudo-terminal link on POSIX systems.
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "Servers.h"

namespace kl7700emu {
namespace {

constexpr int kWriteTimeoutMs = 200;

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor()
    {
        if (fd_ >= 0) ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int fd() const { return fd_; }

private:
    int fd_;
};

class PtyLink : public Link {
public:
    explicit PtyLink(int master) : master_(master) {}

    int read(char* buffer, int capacity, int timeoutMs) override
    {
        pollfd p{master_, POLLIN, 0};
        const int ready = ::poll(&p, 1, timeoutMs);
        if (ready <= 0) return 0;
        const ssize_t got = ::read(master_, buffer, static_cast<size_t>(capacity));
        if (got > 0) return static_cast<int>(got);
        if (got < 0 && (errno == EINTR || errno == EAGAIN)) return 0;
        // No peer at the moment (the terminal side is closed): wait for the next one.
        if (got < 0 && errno == EIO) {
            ::poll(nullptr, 0, timeoutMs);
            return 0;
        }
        return -1;
    }

    bool write(std::string_view bytes) override
    {
        while (!bytes.empty()) {
            pollfd p{master_, POLLOUT, 0};
            // A peer that does not read loses the reply; the terminal stays served.
            if (::poll(&p, 1, kWriteTimeoutMs) <= 0) return true;
            const ssize_t sent = ::write(master_, bytes.data(), bytes.size());
            if (sent < 0 && (errno == EINTR || errno == EAGAIN)) continue;
            if (sent <= 0) return true;
            bytes.remove_prefix(static_cast<size_t>(sent));
        }
        return true;
    }

private:
    int master_;
};

} // namespace

bool ptyAvailable() { return true; }

bool servePty(Camera& camera, const MillisecondClock& clock, std::ostream* log,
              const std::atomic<bool>& stop, std::ostream& out, std::string& error)
{
    FileDescriptor master(::posix_openpt(O_RDWR | O_NOCTTY));
    if (master.fd() < 0 || ::grantpt(master.fd()) != 0 || ::unlockpt(master.fd()) != 0) {
        error = std::string("cannot create a pseudo-terminal: ") + std::strerror(errno);
        return false;
    }
    const char* name = ::ptsname(master.fd());
    if (name == nullptr) {
        error = "cannot name the pseudo-terminal";
        return false;
    }
    const std::string path = name;
    // Holding the terminal side open keeps its settings and spares the master
    // the hang-up each time the peer closes; the peer may reopen at will.
    FileDescriptor terminal(::open(path.c_str(), O_RDWR | O_NOCTTY));
    termios settings{};
    if (terminal.fd() < 0 || ::tcgetattr(terminal.fd(), &settings) != 0) {
        error = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    ::cfmakeraw(&settings);
    ::cfsetispeed(&settings, B115200);
    ::cfsetospeed(&settings, B115200);
    if (::tcsetattr(terminal.fd(), TCSANOW, &settings) != 0) {
        error = "cannot set raw mode on " + path + ": " + std::strerror(errno);
        return false;
    }
    ::fcntl(master.fd(), F_SETFL, ::fcntl(master.fd(), F_GETFL) | O_NONBLOCK);
    out << path << std::endl;

    PtyLink link(master.fd());
    while (!stop.load()) serveLink(link, camera, clock, log, stop);
    return true;
}

} // namespace kl7700emu
