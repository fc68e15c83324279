// A raw TCP stream (terminal server, camera emulator tool) as the
// communication device's stream; every socket wait is bounded by select().
#include "win32/unique_socket.h"

#include <ws2tcpip.h>

#include <algorithm>
#include <utility>

#include "SystemError.h"
#include "WinTransports.h"

namespace kivinst {
namespace {

constexpr long kConnectLimitMs = 3000;
constexpr long kWriteLimitMs = 2000;
constexpr size_t kPurgeLimitBytes = 1 << 20; // a peer that never stops sending cannot hold purge

timeval toTimeval(long ms)
{
    timeval tv;
    tv.tv_sec = ms / 1000;
    tv.tv_usec = (ms % 1000) * 1000;
    return tv;
}

// 1 ready, 0 time is up, -1 failure.
int waitFor(SOCKET s, bool forWrite, long ms)
{
    fd_set set;
    FD_ZERO(&set);
    FD_SET(s, &set);
    fd_set errors;
    FD_ZERO(&errors);
    FD_SET(s, &errors);
    timeval tv = toTimeval(ms);
    const int n = select(0, forWrite ? nullptr : &set, forWrite ? &set : nullptr, &errors, &tv);
    if (n < 0 || FD_ISSET(s, &errors))
        return -1;
    return n > 0 ? 1 : 0;
}

class TcpTransport final : public Transport {
public:
    explicit TcpTransport(const PortConfig& config) : config_(config) {}
    ~TcpTransport() override { close(); }

    bool open(std::string& error) override
    {
        close();
        WSADATA data;
        if (WSAStartup(MAKEWORD(2, 2), &data) != 0) {
            error = "Windows sockets are not available";
            return false;
        }
        started_ = true;
        addrinfo hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        hints.ai_protocol = IPPROTO_TCP;
        addrinfo* found = nullptr;
        const std::string service = std::to_string(config_.tcpPort);
        if (getaddrinfo(config_.host.c_str(), service.c_str(), &hints, &found) != 0 || !found) {
            error = "Cannot find the host \"" + config_.host + "\"";
            close();
            return false;
        }
        std::string lastError = "no address";
        for (addrinfo* a = found; a && !socket_; a = a->ai_next)
            connectTo(a, lastError);
        freeaddrinfo(found);
        if (!socket_) {
            error = "Cannot connect to " + describe() + ": " + lastError;
            close();
            return false;
        }
        return true;
    }

    void close() override
    {
        socket_.reset();
        if (started_)
            WSACleanup();
        started_ = false;
    }

    IoStatus write(const char* data, size_t size, size_t& written) override
    {
        written = 0;
        if (!socket_)
            return IoStatus::Broken;
        const ULONGLONG deadline = GetTickCount64() + kWriteLimitMs;
        while (written < size) {
            const ULONGLONG now = GetTickCount64();
            if (now >= deadline)
                return IoStatus::Timeout;
            const int ready = waitFor(socket_.get(), true, static_cast<long>(deadline - now));
            if (ready < 0)
                return IoStatus::Broken;
            if (ready == 0)
                continue;
            const int chunk = static_cast<int>(std::min<size_t>(size - written, 1 << 16));
            const int sent = send(socket_.get(), data + written, chunk, 0);
            if (sent == SOCKET_ERROR) {
                if (WSAGetLastError() == WSAEWOULDBLOCK)
                    continue;
                return IoStatus::Broken;
            }
            written += static_cast<size_t>(sent);
        }
        return IoStatus::Ok;
    }

    IoStatus read(char* buffer, size_t size, uint32_t timeoutMs, size_t& got) override
    {
        got = 0;
        if (!socket_)
            return IoStatus::Broken;
        const int ready = waitFor(socket_.get(), false, static_cast<long>(timeoutMs));
        if (ready < 0)
            return IoStatus::Broken;
        if (ready == 0)
            return IoStatus::Ok;
        const int n = recv(socket_.get(), buffer, static_cast<int>(std::min<size_t>(size, 1 << 20)), 0);
        if (n == 0)
            return IoStatus::Broken; // the peer closed the stream
        if (n == SOCKET_ERROR)
            return WSAGetLastError() == WSAEWOULDBLOCK ? IoStatus::Ok : IoStatus::Broken;
        got = static_cast<size_t>(n);
        return IoStatus::Ok;
    }

    bool purge(unsigned long flags) override
    {
        if (!socket_)
            return false;
        // Sent bytes are the network's; only unread input can be dropped.
        if (flags & 1) {
            char scrap[4096];
            for (size_t dropped = 0; dropped < kPurgeLimitBytes;) {
                const int ready = waitFor(socket_.get(), false, 0);
                if (ready < 0)
                    return false;
                if (ready == 0)
                    break;
                const int n = recv(socket_.get(), scrap, sizeof scrap, 0);
                if (n <= 0)
                    return n == SOCKET_ERROR && WSAGetLastError() == WSAEWOULDBLOCK;
                dropped += static_cast<size_t>(n);
            }
        }
        return true;
    }

    std::string describe() const override { return describePort(config_); }

private:
    // Non-blocking connect so that an unreachable host costs at most kConnectLimitMs.
    void connectTo(const addrinfo* a, std::string& lastError)
    {
        win32::UniqueSocket owned(socket(a->ai_family, a->ai_socktype, a->ai_protocol));
        const SOCKET s = owned.get();
        if (!owned) {
            lastError = systemErrorText(WSAGetLastError());
            return;
        }
        u_long nonBlocking = 1;
        ioctlsocket(s, FIONBIO, &nonBlocking);
        if (connect(s, a->ai_addr, static_cast<int>(a->ai_addrlen)) == SOCKET_ERROR &&
            WSAGetLastError() != WSAEWOULDBLOCK) {
            lastError = systemErrorText(WSAGetLastError());
            return;
        }
        const int ready = waitFor(s, true, kConnectLimitMs);
        int soError = 0;
        int length = sizeof soError;
        getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&soError), &length);
        if (ready <= 0 || soError != 0) {
            lastError = ready == 0 ? "no answer within 3 s" : systemErrorText(soError ? soError : WSAGetLastError());
            return;
        }
        BOOL noDelay = TRUE; // commands are short; send each at once
        setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay), sizeof noDelay);
        socket_ = std::move(owned);
    }

    PortConfig config_;
    win32::UniqueSocket socket_;
    bool started_ = false;
};

} // namespace

std::unique_ptr<Transport> makeTcpTransport(const PortConfig& config)
{
    return std::make_unique<TcpTransport>(config);
}

} // namespace kivinst
