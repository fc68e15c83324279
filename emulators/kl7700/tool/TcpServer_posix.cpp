// TCP listening and client links on POSIX sockets.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "Servers.h"

namespace kl7700emu {
namespace {

constexpr int kWriteTimeoutMs = 1000;

class Socket {
public:
    explicit Socket(int fd) : fd_(fd) {}
    ~Socket()
    {
        if (fd_ >= 0) ::close(fd_);
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    int fd() const { return fd_; }

private:
    int fd_;
};

class TcpLink : public Link {
public:
    explicit TcpLink(int fd) : socket_(fd) {}

    int read(char* buffer, int capacity, int timeoutMs) override
    {
        pollfd p{socket_.fd(), POLLIN, 0};
        const int ready = ::poll(&p, 1, timeoutMs);
        if (ready < 0) return errno == EINTR ? 0 : -1;
        if (ready == 0) return 0;
        const ssize_t got = ::recv(socket_.fd(), buffer, static_cast<size_t>(capacity), 0);
        if (got < 0 && (errno == EINTR || errno == EAGAIN)) return 0;
        return got > 0 ? static_cast<int>(got) : -1;
    }

    bool write(std::string_view bytes) override
    {
        while (!bytes.empty()) {
            pollfd p{socket_.fd(), POLLOUT, 0};
            if (::poll(&p, 1, kWriteTimeoutMs) <= 0) return false; // a client that stopped reading is dropped
            const ssize_t sent = ::send(socket_.fd(), bytes.data(), bytes.size(), MSG_NOSIGNAL);
            if (sent < 0 && errno == EINTR) continue;
            if (sent <= 0) return false;
            bytes.remove_prefix(static_cast<size_t>(sent));
        }
        return true;
    }

private:
    Socket socket_;
};

} // namespace

bool serveTcp(uint16_t port, Camera& camera, const MillisecondClock& clock, std::ostream* log,
              const std::atomic<bool>& stop, std::ostream& out, std::string& error)
{
    Socket listener(::socket(AF_INET, SOCK_STREAM, 0));
    if (listener.fd() < 0) {
        error = std::string("cannot create a socket: ") + std::strerror(errno);
        return false;
    }
    const int on = 1;
    ::setsockopt(listener.fd(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(listener.fd(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener.fd(), 4) != 0) {
        error = "cannot listen on 127.0.0.1:" + std::to_string(port) + ": " + std::strerror(errno);
        return false;
    }
    socklen_t length = sizeof address;
    ::getsockname(listener.fd(), reinterpret_cast<sockaddr*>(&address), &length);
    out << "127.0.0.1:" << ntohs(address.sin_port) << std::endl;

    while (!stop.load()) {
        pollfd p{listener.fd(), POLLIN, 0};
        if (::poll(&p, 1, 200) <= 0) continue;
        const int client = ::accept(listener.fd(), nullptr, nullptr);
        if (client < 0) continue;
        TcpLink link(client);
        camera.discardPartialCommand(); // a half line of the previous client is no command of this one
        serveLink(link, camera, clock, log, stop);
    }
    return true;
}

} // namespace kl7700emu
