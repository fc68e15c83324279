// A serial port's device over TCP, against an echoing peer on 127.0.0.1.
#include "gige_sim/TcpDevice.h"

#include "SimTestSupport.h"
#include "gige_sim/Network.h"
#include "mk_api_core/Library.h"

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

// A socket bound to an ephemeral port of 127.0.0.1: refuses connections until listen().
class BoundPort {
public:
    BoundPort()
    {
        socket_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(socket_, reinterpret_cast<sockaddr*>(&a), sizeof a);
        socklen_t length = sizeof a;
        ::getsockname(socket_, reinterpret_cast<sockaddr*>(&a), &length);
        endpoint_ = "127.0.0.1:" + std::to_string(ntohs(a.sin_port));
    }
    ~BoundPort() { ::close(socket_); }
    void listen() { ::listen(socket_, 1); }
    // Takes one waiting connection and closes it at once.
    void acceptAndHangUp()
    {
        const int c = ::accept(socket_, nullptr, nullptr);
        if (c >= 0)
            ::close(c);
    }
    const std::string& endpoint() const { return endpoint_; }

private:
    int socket_ = -1;
    std::string endpoint_;
};

class NoWaitTime : public mkapi::TimeSource {
public:
    uint64_t nowUs() const override { return clock.nowUs(); }
    void waitUntil(std::unique_lock<std::mutex>&, std::condition_variable&, uint64_t) const override {}
    testing::ManualClock clock;
};

NetworkSetup oneCamera(const std::string& device)
{
    NetworkSetup setup;
    CameraSetup camera;
    camera.uniqueId = 7;
    camera.name = "Bench";
    camera.ip.address = 0x140AA8C0; // 192.168.10.20
    camera.ip.mask = 0x00FFFFFF;
    camera.serialPorts = 2;
    setup.cameras.push_back(camera);
    setup.attachments.push_back({7, 1, device, "bench.ini:9"});
    return setup;
}

TEST(TcpDevice, AnUnreachableDescribedEndpointIsReportedUntilTheDeviceIsAttached)
{
    BoundPort peer;
    NoWaitTime time;
    std::vector<std::unique_ptr<mkapi::Backend>> backends;
    backends.push_back(std::make_unique<Network>(oneCamera("tcp:" + peer.endpoint()), time));
    auto* network = static_cast<Network*>(backends.front().get());
    mkapi::Library library(std::move(backends), time, false);

    const std::string expected = "bench.ini:9: camera Bench (7) serial port 1: cannot connect to " + peer.endpoint() +
        "; the port has no device (try again with 'attach 7 1 tcp:" + peer.endpoint() + "')\n";
    EXPECT_EQ(library.status(), expected);
    EXPECT_EQ(network->withCamera(7, [](SimCamera* c) { return c->serialPort(1)->device(); }), nullptr);
    char reply[512];
    const std::string attach = "attach 7 1 tcp:" + peer.endpoint();
    EXPECT_EQ(library.control(attach.c_str(), reply, sizeof reply), uint32_t(MK_ERR_BAD_PARAMETER));
    EXPECT_EQ(std::string(reply), "error: cannot connect to " + peer.endpoint()) << "still refused, said at once";
    EXPECT_EQ(library.status(), expected) << "the port still has no device";

    peer.listen();
    EXPECT_EQ(library.control(attach.c_str(), reply, sizeof reply), 0u) << reply;
    EXPECT_EQ(library.status(), "ok");
    EXPECT_EQ(network->withCamera(7, [](SimCamera* c) { return c->serialPort(1)->device()->name(); }),
              "tcp:" + peer.endpoint());
}

TEST(TcpDevice, APeerThatHangsUpIsReportedAndBytesToItAreCounted)
{
    BoundPort peer;
    peer.listen();
    std::string error;
    auto device = makeTcpDevice(peer.endpoint(), error);
    ASSERT_TRUE(device) << error;
    EXPECT_EQ(device->problem(), "");
    peer.acceptAndHangUp();
    uint64_t now = 1000;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (device->problem().empty() && std::chrono::steady_clock::now() < deadline) {
        now += 2000;
        EXPECT_EQ(device->takeOutput(now), "");
        std::this_thread::yield();
    }
    EXPECT_EQ(device->problem(), "the connection to " + peer.endpoint() + " was closed; the port has no device until it is attached again");
    EXPECT_FALSE(device->nextOutputUs()) << "nothing more to look for";
    device->receive('x', now);
    device->receive('y', now);
    EXPECT_EQ(device->problem(), "the connection to " + peer.endpoint() + " was closed; the port has no device until it is attached again; 2 byte(s) to " + peer.endpoint() + " lost");

    // The network names the camera and port of the device that stopped working.
    NoWaitTime time;
    Network network(oneCamera("none"), time);
    ASSERT_EQ(network.attach(7, 0, std::move(device)), 0);
    const std::vector<std::string> problems = network.problems();
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].rfind("camera Bench (7) serial port 0: the connection to " + peer.endpoint(), 0), 0u)
        << problems[0];
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
