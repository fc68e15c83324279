// UDP over Winsock.
#include "mk_gev/UdpSocket.h"

#include "win32/unique_socket.h"

#include <algorithm>
#include <chrono>
#include <mutex>
#include <ws2tcpip.h>

namespace mkgev {

namespace {

// Winsock is started once per process and left running: other modules of the process may
// use it too, and WSACleanup at an arbitrary point would pull it from under them.
bool winsockStarted(std::string& error)
{
    static std::once_flag once;
    static int result = 0;
    std::call_once(once, [] {
        WSADATA data;
        result = WSAStartup(MAKEWORD(2, 2), &data);
    });
    if (result != 0)
        error = "cannot start Winsock (error " + std::to_string(result) + ")";
    return result == 0;
}

} // namespace

struct UdpSocket::Impl {
    win32::UniqueSocket socket;
};

UdpSocket::UdpSocket(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
UdpSocket::~UdpSocket() = default;

std::unique_ptr<UdpSocket> UdpSocket::open(uint32_t localAddress, uint16_t localPort, std::string& error)
{
    if (!winsockStarted(error))
        return nullptr;
    auto impl = std::make_unique<Impl>();
    impl->socket = win32::UniqueSocket(::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP));
    if (!impl->socket) {
        error = "cannot create a UDP socket (error " + std::to_string(WSAGetLastError()) + ")";
        return nullptr;
    }
    // Without this an ICMP "port unreachable" for an earlier datagram makes the next
    // receive fail with WSAECONNRESET.
    BOOL off = FALSE;
    DWORD returned = 0;
    WSAIoctl(impl->socket.get(), _WSAIOW(IOC_VENDOR, 12), &off, sizeof off, nullptr, 0, &returned, nullptr, nullptr);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(localAddress);
    local.sin_port = htons(localPort);
    if (::bind(impl->socket.get(), reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
        error = "cannot bind a UDP socket (error " + std::to_string(WSAGetLastError()) + ")";
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
    int size = sizeof local;
    if (::getsockname(impl_->socket.get(), reinterpret_cast<sockaddr*>(&local), &size) != 0)
        return 0;
    return ntohs(local.sin_port);
}

uint32_t UdpSocket::localAddress() const
{
    sockaddr_in local{};
    int size = sizeof local;
    if (::getsockname(impl_->socket.get(), reinterpret_cast<sockaddr*>(&local), &size) != 0)
        return 0;
    return ntohl(local.sin_addr.s_addr);
}

bool UdpSocket::setReceiveBuffer(uint32_t bytes)
{
    int size = int(std::min<uint32_t>(bytes, 0x7FFFFFFF));
    return ::setsockopt(impl_->socket.get(), SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&size),
                        sizeof size) == 0;
}

bool UdpSocket::enableBroadcast()
{
    BOOL on = TRUE;
    return ::setsockopt(impl_->socket.get(), SOL_SOCKET, SO_BROADCAST, reinterpret_cast<const char*>(&on),
                        sizeof on) == 0;
}

DatagramStatus UdpSocket::send(std::span<const uint8_t> datagram)
{
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_addr.s_addr = htonl(peerAddress_);
    peer.sin_port = htons(peerPort_);
    int sent = ::sendto(impl_->socket.get(), reinterpret_cast<const char*>(datagram.data()), int(datagram.size()), 0,
                        reinterpret_cast<sockaddr*>(&peer), sizeof peer);
    if (sent == int(datagram.size()))
        return DatagramStatus::Ok;
    int error = WSAGetLastError();
    if (error == WSAEWOULDBLOCK || error == WSAENOBUFS || error == WSAECONNRESET)
        return DatagramStatus::Timeout;
    return DatagramStatus::Broken;
}

DatagramStatus UdpSocket::receive(std::span<uint8_t> buffer, uint64_t timeoutUs, size_t& got)
{
    got = 0;
    // The socket is the edge to real time: it alone reads the system clock.
    auto deadline =
        std::chrono::steady_clock::now() + std::chrono::microseconds(std::min<uint64_t>(timeoutUs, 60000000));
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::microseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() < 0)
            return DatagramStatus::Timeout;
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(impl_->socket.get(), &readable);
        timeval wait{long(left.count() / 1000000), long(left.count() % 1000000)};
        int ready = ::select(0, &readable, nullptr, nullptr, &wait);
        if (ready == SOCKET_ERROR)
            return DatagramStatus::Broken;
        if (ready == 0)
            continue;
        sockaddr_in from{};
        int size = sizeof from;
        int n = ::recvfrom(impl_->socket.get(), reinterpret_cast<char*>(buffer.data()), int(buffer.size()), 0,
                           reinterpret_cast<sockaddr*>(&from), &size);
        if (n == SOCKET_ERROR) {
            int error = WSAGetLastError();
            if (error == WSAEMSGSIZE) {
                n = int(buffer.size());
            } else if (error == WSAECONNRESET || error == WSAEWOULDBLOCK) {
                continue;
            } else {
                return DatagramStatus::Broken;
            }
        }
        uint32_t sender = ntohl(from.sin_addr.s_addr);
        if (peerAddress_ != 0 && sender != peerAddress_)
            continue;
        lastSender_ = sender;
        got = size_t(n);
        return DatagramStatus::Ok;
    }
}

} // namespace mkgev
