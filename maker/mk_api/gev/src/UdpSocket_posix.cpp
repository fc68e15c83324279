// UDP over POSIX sockets.
#include "mk_gev/UdpSocket.h"

#include <arpa/inet.h>
#include <algorithm>
#include <chrono>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace mkgev {

struct UdpSocket::Impl {
    int fd = -1;
    ~Impl()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

UdpSocket::UdpSocket(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
UdpSocket::~UdpSocket() = default;

std::unique_ptr<UdpSocket> UdpSocket::open(uint32_t localAddress, uint16_t localPort, std::string& error)
{
    auto impl = std::make_unique<Impl>();
    impl->fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_UDP);
    if (impl->fd < 0) {
        error = std::string("cannot create a UDP socket: ") + std::strerror(errno);
        return nullptr;
    }
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(localAddress);
    local.sin_port = htons(localPort);
    if (::bind(impl->fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
        error = std::string("cannot bind a UDP socket: ") + std::strerror(errno);
        return nullptr;
    }
    return std::unique_ptr<UdpSocket>(new UdpSocket(std::move(impl)));
}

void UdpSocket::setPeer(uint32_t address, uint16_t port)
{
    peerAddress_ = address;
    peerPort_ = port;
}

uint16_t UdpSocket::localPort() const
{
    sockaddr_in local{};
    socklen_t size = sizeof local;
    if (::getsockname(impl_->fd, reinterpret_cast<sockaddr*>(&local), &size) != 0)
        return 0;
    return ntohs(local.sin_port);
}

uint32_t UdpSocket::localAddress() const
{
    sockaddr_in local{};
    socklen_t size = sizeof local;
    if (::getsockname(impl_->fd, reinterpret_cast<sockaddr*>(&local), &size) != 0)
        return 0;
    return ntohl(local.sin_addr.s_addr);
}

bool UdpSocket::setReceiveBuffer(uint32_t bytes)
{
    int size = int(std::min<uint32_t>(bytes, 0x7FFFFFFF));
    return ::setsockopt(impl_->fd, SOL_SOCKET, SO_RCVBUF, &size, sizeof size) == 0;
}

bool UdpSocket::enableBroadcast()
{
    int on = 1;
    return ::setsockopt(impl_->fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on) == 0;
}

DatagramStatus UdpSocket::send(std::span<const uint8_t> datagram)
{
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_addr.s_addr = htonl(peerAddress_);
    peer.sin_port = htons(peerPort_);
    ssize_t sent = ::sendto(impl_->fd, datagram.data(), datagram.size(), 0, reinterpret_cast<sockaddr*>(&peer),
                            sizeof peer);
    if (sent == ssize_t(datagram.size()))
        return DatagramStatus::Ok;
    // A full send queue or an ICMP error from an earlier datagram is not the end of the
    // path: the command is retried by its caller.
    if (sent < 0 && (errno == EAGAIN || errno == ENOBUFS || errno == ECONNREFUSED || errno == EINTR))
        return DatagramStatus::Timeout;
    return DatagramStatus::Broken;
}

DatagramStatus UdpSocket::receive(std::span<uint8_t> buffer, uint64_t timeoutUs, size_t& got)
{
    got = 0;
    // The socket is the edge to real time: it alone reads the system clock.
    auto deadline = std::chrono::steady_clock::now() + std::chrono::microseconds(std::min<uint64_t>(timeoutUs, 60000000));
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::microseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() < 0)
            return DatagramStatus::Timeout;
        pollfd p{impl_->fd, POLLIN, 0};
        // Whole milliseconds, rounded up so a short wait still waits.
        int ready = ::poll(&p, 1, int((left.count() + 999) / 1000));
        if (ready < 0 && errno != EINTR)
            return DatagramStatus::Broken;
        if (ready <= 0)
            continue;
        sockaddr_in from{};
        socklen_t size = sizeof from;
        ssize_t n = ::recvfrom(impl_->fd, buffer.data(), buffer.size(), MSG_DONTWAIT,
                               reinterpret_cast<sockaddr*>(&from), &size);
        if (n < 0) {
            if (errno == EAGAIN || errno == EINTR || errno == ECONNREFUSED)
                continue;
            return DatagramStatus::Broken;
        }
        uint32_t sender = ntohl(from.sin_addr.s_addr);
        // Datagrams from anyone but the peer are not ours.
        if (peerAddress_ != 0 && sender != peerAddress_)
            continue;
        lastSender_ = sender;
        got = size_t(n);
        return DatagramStatus::Ok;
    }
}

} // namespace mkgev
