// The TCP device on POSIX sockets.
#include "gige_sim/TcpDevice.h"

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace gigesim {
namespace {

constexpr size_t kMaxPending = 64 * 1024;
constexpr uint64_t kPollUs = 2000;

class TcpDevice : public SerialDevice {
public:
    TcpDevice(int socket, std::string name) : socket_(socket), name_(std::move(name)) {}
    ~TcpDevice() override { ::close(socket_); }

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
            const ssize_t n = ::recv(socket_, buffer, sizeof buffer, MSG_DONTWAIT);
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
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
            const ssize_t n = ::send(socket_, pending_.data(), pending_.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
            if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
                closed_ = true;
                lost_ += pending_.size();
                pending_.clear();
            }
            if (n <= 0)
                return;
            pending_.erase(0, size_t(n));
        }
    }

    int socket_;
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
    if (portText.empty() || *end || port == 0 || port > 65535 || ::inet_pton(AF_INET, host.c_str(), &address.sin_addr) != 1) {
        error = "expected tcp:HOST:PORT with a dotted address, got 'tcp:" + std::string(hostPort) + "'";
        return nullptr;
    }
    address.sin_port = htons(uint16_t(port));
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    if (s < 0) {
        error = "no socket";
        return nullptr;
    }
    ::fcntl(s, F_SETFL, ::fcntl(s, F_GETFL) | O_NONBLOCK);
    int rc = ::connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
    if (rc != 0 && errno == EINPROGRESS) {
        pollfd p{s, POLLOUT, 0};
        int soError = 0;
        socklen_t length = sizeof soError;
        rc = ::poll(&p, 1, 2000) == 1 && ::getsockopt(s, SOL_SOCKET, SO_ERROR, &soError, &length) == 0 && soError == 0
            ? 0
            : -1;
    }
    if (rc != 0) {
        ::close(s);
        error = "cannot connect to " + std::string(hostPort);
        return nullptr;
    }
    const int one = 1;
    ::setsockopt(s, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    return std::make_unique<TcpDevice>(s, std::string(hostPort));
}

} // namespace gigesim
