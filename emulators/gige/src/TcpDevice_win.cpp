// The TCP device on Winsock.
#include "gige_sim/TcpDevice.h"

#include "win32/unique_socket.h"

#include <ws2tcpip.h>

#include <algorithm>

namespace gigesim {
namespace {

constexpr size_t kMaxPending = 64 * 1024;
constexpr uint64_t kPollUs = 2000;

bool winsockReady()
{
    static const bool ready = [] {
        WSADATA data;
        return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return ready;
}

class TcpDevice : public SerialDevice {
public:
    TcpDevice(win32::UniqueSocket socket, std::string name) : socket_(std::move(socket)), name_(std::move(name)) {}

    std::string name() const override { return "tcp:" + name_; }
    void receive(uint8_t byte, uint64_t nowUs) override
    {
        lastUs_ = std::max(lastUs_, nowUs);
        if (closed_ || pending_.size() >= kMaxPending) {
            ++lost_;
            return;
        }
        pending_.push_back(char(byte));
        flush();
    }
    std::string takeOutput(uint64_t nowUs) override
    {
        lastUs_ = std::max(lastUs_, nowUs);
        flush();
        std::string out;
        char buffer[4096];
        for (int i = 0; i < 16 && !closed_; ++i) {
            const int n = ::recv(socket_.get(), buffer, sizeof buffer, 0);
            if (n < 0 && ::WSAGetLastError() == WSAEWOULDBLOCK)
                break;
            if (n <= 0)
                return closed_ = true, out; // the peer has gone: said by problem(), not retried
            out.append(buffer, size_t(n));
        }
        return out;
    }
    std::optional<uint64_t> nextOutputUs() const override
    {
        if (closed_)
            return std::nullopt;
        return lastUs_ + kPollUs;
    }
    std::string problem() const override
    {
        std::string text;
        if (closed_)
            text = "the connection to " + name_ + " was closed; the port has no device until it is attached again";
        if (lost_)
            text += (text.empty() ? "" : "; ") + std::to_string(lost_) + " byte(s) to " + name_ + " lost";
        return text;
    }

private:
    void flush()
    {
        while (!pending_.empty() && !closed_) {
            const int n = ::send(socket_.get(), pending_.data(), int(pending_.size()), 0);
            if (n < 0 && ::WSAGetLastError() != WSAEWOULDBLOCK) {
                closed_ = true;
                lost_ += pending_.size();
                pending_.clear();
            }
            if (n <= 0)
                return;
            pending_.erase(0, size_t(n));
        }
    }

    win32::UniqueSocket socket_;
    std::string name_, pending_;
    uint64_t lastUs_ = 0, lost_ = 0;
    bool closed_ = false;
};

} // namespace

std::unique_ptr<SerialDevice> makeTcpDevice(std::string_view hostPort, std::string& error)
{
    const size_t colon = hostPort.rfind(':');
    const std::string host(hostPort.substr(0, colon == std::string_view::npos ? 0 : colon));
    const std::string portText(colon == std::string_view::npos ? "" : hostPort.substr(colon + 1));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    char* end = nullptr;
    const unsigned long port = std::strtoul(portText.c_str(), &end, 10);
    if (portText.empty() || *end || port == 0 || port > 65535 ||
        ::inet_pton(AF_INET, host.c_str(), &address.sin_addr) != 1) {
        error = "expected tcp:HOST:PORT with a dotted address, got 'tcp:" + std::string(hostPort) + "'";
        return nullptr;
    }
    if (!winsockReady()) {
        error = "Winsock is not available";
        return nullptr;
    }
    address.sin_port = htons(uint16_t(port));
    win32::UniqueSocket s(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    if (!s) {
        error = "no socket";
        return nullptr;
    }
    u_long nonBlocking = 1;
    ::ioctlsocket(s.get(), FIONBIO, &nonBlocking);
    int rc = ::connect(s.get(), reinterpret_cast<sockaddr*>(&address), sizeof address);
    if (rc != 0 && ::WSAGetLastError() == WSAEWOULDBLOCK) {
        fd_set writable, failed;
        FD_ZERO(&writable);
        FD_ZERO(&failed);
        FD_SET(s.get(), &writable);
        FD_SET(s.get(), &failed);
        timeval limit{2, 0};
        rc = ::select(0, nullptr, &writable, &failed, &limit) == 1 && FD_ISSET(s.get(), &writable) ? 0 : -1;
    }
    if (rc != 0) {
        error = "cannot connect to " + std::string(hostPort);
        return nullptr;
    }
    const BOOL one = TRUE;
    ::setsockopt(s.get(), IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&one), sizeof one);
    return std::make_unique<TcpDevice>(std::move(s), std::string(hostPort));
}

} // namespace gigesim
