// TCP listening and client links on Winsock.
#include "win32/unique_socket.h"

#include <ws2tcpip.h>

#include "Servers.h"

namespace kl7700emu {
namespace {

constexpr int kWriteTimeoutMs = 1000;

class WinsockSession {
public:
    WinsockSession() { ok_ = ::WSAStartup(MAKEWORD(2, 2), &data_) == 0; }
    ~WinsockSession()
    {
        if (ok_) ::WSACleanup();
    }
    WinsockSession(const WinsockSession&) = delete;
    WinsockSession& operator=(const WinsockSession&) = delete;
    bool ok() const { return ok_; }

private:
    WSADATA data_{};
    bool ok_ = false;
};

using win32::UniqueSocket;

// Waits up to timeoutMs until the socket can be read (or written): 1 ready, 0 not, -1 error.
int waitFor(SOCKET s, bool forWrite, int timeoutMs)
{
    fd_set set;
    FD_ZERO(&set);
    FD_SET(s, &set);
    timeval limit{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    const int ready = ::select(0, forWrite ? nullptr : &set, forWrite ? &set : nullptr, nullptr, &limit);
    return ready == SOCKET_ERROR ? -1 : ready;
}

class TcpLink : public Link {
public:
    explicit TcpLink(SOCKET s) : socket_(s) {}

    int read(char* buffer, int capacity, int timeoutMs) override
    {
        const int ready = waitFor(socket_.get(), false, timeoutMs);
        if (ready <= 0) return ready;
        const int got = ::recv(socket_.get(), buffer, capacity, 0);
        return got > 0 ? got : -1;
    }

    bool write(std::string_view bytes) override
    {
        while (!bytes.empty()) {
            if (waitFor(socket_.get(), true, kWriteTimeoutMs) <= 0) return false;
            const int sent = ::send(socket_.get(), bytes.data(), static_cast<int>(bytes.size()), 0);
            if (sent <= 0) return false;
            bytes.remove_prefix(static_cast<size_t>(sent));
        }
        return true;
    }

private:
    UniqueSocket socket_;
};

} // namespace

bool serveTcp(uint16_t port, Camera& camera, const MillisecondClock& clock, std::ostream* log,
              const std::atomic<bool>& stop, std::ostream& out, std::string& error)
{
    WinsockSession winsock;
    if (!winsock.ok()) {
        error = "cannot start Winsock";
        return false;
    }
    UniqueSocket listener(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    if (!listener) {
        error = "cannot create a socket, error " + std::to_string(::WSAGetLastError());
        return false;
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(listener.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener.get(), 4) != 0) {
        error = "cannot listen on 127.0.0.1:" + std::to_string(port) + ", error " +
            std::to_string(::WSAGetLastError());
        return false;
    }
    int length = sizeof address;
    ::getsockname(listener.get(), reinterpret_cast<sockaddr*>(&address), &length);
    out << "127.0.0.1:" << ntohs(address.sin_port) << std::endl;

    while (!stop.load()) {
        if (waitFor(listener.get(), false, 200) <= 0) continue;
        const SOCKET client = ::accept(listener.get(), nullptr, nullptr);
        if (client == INVALID_SOCKET) continue;
        TcpLink link(client);
        camera.discardPartialCommand(); // a half line of the previous client is no command of this one
        serveLink(link, camera, clock, log, stop);
    }
    return true;
}

} // namespace kl7700emu
