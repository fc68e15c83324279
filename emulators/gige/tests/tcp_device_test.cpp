// A serial port's device over TCP, against an echoing peer on 127.0.0.1.
#include "gige_sim/TcpDevice.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <chrono>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace gigesim {
namespace {

using namespace serial_reg;

// Listens on an ephemeral port of 127.0.0.1 and echoes one connection until it closes.
class EchoPeer {
public:
    EchoPeer()
    {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(listener_, reinterpret_cast<sockaddr*>(&a), sizeof a);
        socklen_t length = sizeof a;
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&a), &length);
        port_ = ntohs(a.sin_port);
        ::listen(listener_, 1);
        thread_ = std::thread([this] {
            const int c = ::accept(listener_, nullptr, nullptr);
            char buffer[256];
            for (ssize_t n; c >= 0 && (n = ::recv(c, buffer, sizeof buffer, 0)) > 0;) ::send(c, buffer, size_t(n), 0);
            if (c >= 0)
                ::close(c);
        });
    }
    ~EchoPeer()
    {
        ::shutdown(listener_, SHUT_RDWR);
        ::close(listener_);
        thread_.join();
    }
    uint16_t port() const { return port_; }

private:
    int listener_ = -1;
    uint16_t port_ = 0;
    std::thread thread_;
};

TEST(TcpDevice, BytesGoToThePeerAndItsAnswerComesBack)
{
    EchoPeer peer;
    std::string error;
    {
        auto device = makeTcpDevice("127.0.0.1:" + std::to_string(peer.port()), error);
        ASSERT_TRUE(device) << error;
        SerialPort port;
        port.attach(std::move(device));
        uint32_t code = 0;
        uint64_t now = 1000;
        ASSERT_TRUE(port.write(kTxControl, 3, now, code));
        ASSERT_TRUE(port.write(kRxControl, 3, now, code));
        ASSERT_TRUE(port.write(kTxBuffer, 0x68656C6C, now, code)); // "hell"
        ASSERT_TRUE(port.write(kTxBuffer + 4, 0x6F000000, now, code));
        ASSERT_TRUE(port.write(kTxLength, 5, now, code));
        uint32_t waiting = 0;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (waiting < 5 && std::chrono::steady_clock::now() < deadline) {
            now += 1000;
            ASSERT_TRUE(port.read(kRxLength, waiting, now));
            std::this_thread::yield();
        }
        ASSERT_EQ(waiting, 5u);
        uint32_t first = 0;
        ASSERT_TRUE(port.read(kRxBuffer, first, now));
        EXPECT_EQ(first, 0x68656C6Cu);
    }
}

TEST(TcpDevice, BadEndpointsAreRefusedWithAReason)
{
    int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t length = sizeof a;
    ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &length);
    const std::string closed = "127.0.0.1:" + std::to_string(ntohs(a.sin_port));
    ::close(s); // nobody listens there now
    const struct {
        std::string endpoint, error;
    } cases[] = {
        {"127.0.0.1", "expected tcp:HOST:PORT with a dotted address, got 'tcp:127.0.0.1'"},
        {"localhost:23", "expected tcp:HOST:PORT with a dotted address, got 'tcp:localhost:23'"},
        {"127.0.0.1:70000", "expected tcp:HOST:PORT with a dotted address, got 'tcp:127.0.0.1:70000'"},
        {closed, "cannot connect to " + closed},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.endpoint);
        std::string error;
        EXPECT_FALSE(makeTcpDevice(c.endpoint, error));
        EXPECT_EQ(error, c.error);
    }
}

} // namespace
} // namespace gigesim
