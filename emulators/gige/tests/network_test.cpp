// The simulated network: the built-in network, opening rules, reconfiguration with link
// events, unplugs under an open session, the description file's errors and the control
// commands.
#include "gige_sim/Network.h"
#include "mk_api/MkApi.h"
#include "SimTestSupport.h"

#include <gtest/gtest.h>

#include <set>

namespace gigesim {
namespace {

using testing::ManualClock;
using testing::RecordingEvents;
using testing::RecordingSink;

constexpr uint32_t kMono = 100001, kColour = 100002, kElsewhere = 100003;

struct Fixture {
    ManualClock clock;
    RecordingEvents events;
    std::unique_ptr<mkapi::Backend> network;

    explicit Fixture(const char* text = defaultNetworkDescription())
    {
        mkapi::DescriptionError error;
        auto description = mkapi::Description::parse(text, "net.ini", error);
        EXPECT_TRUE(description) << error.text();
        std::vector<mkapi::DescriptionError> errors;
        network = simulatedNetworkFactory().make(*description, clock, errors);
        EXPECT_TRUE(network) << (errors.empty() ? "" : errors[0].text());
        network->start(events);
    }
    Network& sim() { return static_cast<Network&>(*network); }
    mkapi::CameraEntry entry(uint32_t id)
    {
        for (const auto& e : network->cameras())
            if (e.uniqueId == id)
                return e;
        return {};
    }
};

TEST(SimNetwork, BuiltInNetworkHasTwoReachableCamerasAndOneElsewhere)
{
    Fixture f;
    const auto cameras = f.network->cameras();
    ASSERT_EQ(cameras.size(), 3u);
    EXPECT_TRUE(f.entry(kMono).reachable);
    EXPECT_TRUE(f.entry(kColour).reachable);
    EXPECT_FALSE(f.entry(kElsewhere).reachable);
    EXPECT_EQ(f.entry(kMono).name, "Mono");
    EXPECT_EQ(f.entry(kMono).serialNumber, "ZX640M-0001");
    EXPECT_EQ(f.entry(kMono).address, 21u << 24 | 10u << 16 | 168u << 8 | 192u) << "first octet lowest";
    mkapi::IpConfig ip;
    ASSERT_EQ(f.network->ipSettings(kColour, ip), 0u);
    EXPECT_EQ(ip.mode, uint32_t(MK_IP_DHCP));
    EXPECT_EQ(ip.supportedModes, uint32_t(MK_IP_PERSISTENT | MK_IP_DHCP | MK_IP_AUTO));
    EXPECT_EQ(ip.mask, 0x00FFFFFFu);
}

TEST(SimNetwork, OpeningFollowsReachabilityAndAccess)
{
    Fixture f;
    std::unique_ptr<mkapi::CameraSession> master, second, monitor, elsewhere, unknown;
    EXPECT_EQ(f.network->open(kMono, MK_ACCESS_MASTER, master), 0u);
    EXPECT_TRUE(f.entry(kMono).masterTaken);
    EXPECT_EQ(f.network->open(kMono, MK_ACCESS_MASTER, second), uint32_t(MK_ERR_ACCESS_DENIED));
    EXPECT_EQ(f.network->open(kMono, MK_ACCESS_MONITOR, monitor), 0u);
    EXPECT_EQ(f.network->open(kElsewhere, MK_ACCESS_MASTER, elsewhere), uint32_t(MK_ERR_ACCESS_DENIED));
    EXPECT_EQ(f.network->open(424242, MK_ACCESS_MASTER, unknown), uint32_t(MK_ERR_NOT_FOUND));
    EXPECT_EQ(monitor->set("Gain", MK_ATTR_FLOAT32, 2.0f), uint32_t(MK_ERR_FORBIDDEN)) << "a monitor only reads";
    EXPECT_EQ(master->set("Gain", MK_ATTR_FLOAT32, 2.0f), 0u);
    mkapi::AttrValue gain;
    EXPECT_EQ(monitor->get("Gain", MK_ATTR_FLOAT32, gain), 0u);
    EXPECT_EQ(std::get<float>(gain), 2.0f);
    ASSERT_EQ(master->set("DeviceUserID", MK_ATTR_STRING, std::string("Left")), 0u);
    EXPECT_EQ(f.entry(kMono).name, "Left") << "the list shows the name the camera holds now";
    ASSERT_EQ(master->set("DeviceUserID", MK_ATTR_STRING, std::string()), 0u);
    EXPECT_EQ(f.entry(kMono).name, "ZX-640M") << "no user-defined name: the model";
    EXPECT_EQ(master->close(), 0u);
    EXPECT_EQ(f.network->open(kMono, MK_ACCESS_MASTER, second), 0u) << "free again after close";
}

TEST(SimNetwork, ReconfiguredCameraLeavesAndComesBackReachable)
{
    Fixture f;
    mkapi::IpConfig ip;
    ASSERT_EQ(f.network->ipSettings(kElsewhere, ip), 0u);
    ip.mode = MK_IP_PERSISTENT;
    ip.persistentAddress = 60u << 24 | 10u << 16 | 168u << 8 | 192u;
    ip.persistentMask = 0x00FFFFFF;
    ip.persistentGateway = 1u << 24 | 10u << 16 | 168u << 8 | 192u;
    ASSERT_EQ(f.network->changeIpSettings(kElsewhere, ip), 0u);
    ASSERT_EQ(f.events.links.size(), 1u);
    EXPECT_EQ(f.events.links[0], std::make_pair(uint32_t(MK_LINK_REMOVE), kElsewhere));
    EXPECT_EQ(f.network->cameras().size(), 2u) << "gone while it restarts";
    std::unique_ptr<mkapi::CameraSession> session;
    EXPECT_EQ(f.network->open(kElsewhere, MK_ACCESS_MASTER, session), uint32_t(MK_ERR_NOT_FOUND));
    const uint64_t due = f.network->nextDueUs();
    EXPECT_EQ(due, f.clock.nowUs() + 2000000);
    f.clock.set(due - 1);
    f.network->advance(f.clock.nowUs());
    EXPECT_EQ(f.events.links.size(), 1u);
    f.clock.set(due);
    f.network->advance(f.clock.nowUs());
    ASSERT_EQ(f.events.links.size(), 2u);
    EXPECT_EQ(f.events.links[1], std::make_pair(uint32_t(MK_LINK_ADD), kElsewhere));
    EXPECT_TRUE(f.entry(kElsewhere).reachable);
    EXPECT_EQ(f.entry(kElsewhere).address, ip.persistentAddress);
    EXPECT_EQ(f.network->open(kElsewhere, MK_ACCESS_MASTER, session), 0u);
}

TEST(SimNetwork, IpSettingsAreChecked)
{
    const struct {
        const char* what;
        uint32_t mode, address, mask;
        uint32_t code;
    } cases[] = {
        {"no mode", 0, 1, 0x00FFFFFF, MK_ERR_BAD_PARAMETER},
        {"unknown mode bit", 9, 1, 0x00FFFFFF, MK_ERR_BAD_PARAMETER},
        {"persistent without an address", MK_IP_PERSISTENT, 0, 0x00FFFFFF, MK_ERR_BAD_PARAMETER},
        {"mask with a hole", MK_IP_PERSISTENT, 1, 0x00FF00FF, MK_ERR_BAD_PARAMETER},
        {"dhcp", MK_IP_DHCP, 0, 0, 0},
        {"link-local", MK_IP_AUTO, 0, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Fixture f;
        mkapi::IpConfig ip;
        ASSERT_EQ(f.network->ipSettings(kMono, ip), 0u);
        ip.mode = c.mode, ip.persistentAddress = c.address, ip.persistentMask = c.mask;
        EXPECT_EQ(f.network->changeIpSettings(kMono, ip), c.code);
        if (c.code == 0) {
            f.clock.advance(2000000);
            f.network->advance(f.clock.nowUs());
            EXPECT_EQ(f.entry(kMono).reachable, c.mode == MK_IP_DHCP) << "a link-local address is elsewhere";
        }
    }
}

TEST(SimNetwork, UnplugEndsTheSessionAndTheStream)
{
    Fixture f;
    std::unique_ptr<mkapi::CameraSession> session;
    ASSERT_EQ(f.network->open(kMono, MK_ACCESS_MASTER, session), 0u);
    RecordingSink sink;
    sink.queue(640 * 480);
    ASSERT_EQ(session->startStream(sink), 0u);
    ASSERT_EQ(session->run("AcquisitionStart"), 0u);
    ASSERT_EQ(f.sim().unplug(kMono), 0u);
    EXPECT_TRUE(session->lost());
    EXPECT_EQ(session->run("AcquisitionStop"), uint32_t(MK_ERR_UNPLUGGED));
    uint32_t value = 0, done = 0;
    const uint32_t address = kPixelFormatRegister;
    EXPECT_EQ(session->readRegisters({&address, 1}, {&value, 1}, done), uint32_t(MK_ERR_UNPLUGGED));
    f.clock.advance(1000000);
    f.network->advance(f.clock.nowUs());
    EXPECT_TRUE(sink.done.empty()) << "no frame reaches a lost stream";
    EXPECT_EQ(session->close(), 0u);
    EXPECT_EQ(f.network->cameras().size(), 2u);
    ASSERT_EQ(f.sim().plug(kMono), 0u);
    ASSERT_EQ(f.events.links.size(), 2u);
    EXPECT_EQ(f.events.links[0].first, uint32_t(MK_LINK_REMOVE));
    EXPECT_EQ(f.events.links[1].first, uint32_t(MK_LINK_ADD));
    EXPECT_EQ(f.network->open(kMono, MK_ACCESS_MASTER, session), 0u);
}

TEST(SimNetwork, MemoryIsTheRegistersInWireOrder)
{
    Fixture f;
    std::unique_ptr<mkapi::CameraSession> session;
    ASSERT_EQ(f.network->open(kMono, MK_ACCESS_MASTER, session), 0u);
    uint8_t bytes[4] = {};
    uint32_t done = 0;
    ASSERT_EQ(session->readMemory(kPixelFormatRegister, bytes, done), 0u);
    EXPECT_EQ(done, 4u);
    EXPECT_EQ(bytes[0], 0x01);
    EXPECT_EQ(bytes[3], 0x01); // Mono8 0x01080001
    EXPECT_EQ(session->readMemory(kPixelFormatRegister + 2, bytes, done), uint32_t(MK_ERR_BAD_PARAMETER));
    const uint32_t addresses[] = {kPixelFormatRegister, 0x12345678};
    uint32_t values[2] = {};
    EXPECT_EQ(session->readRegisters(addresses, values, done), uint32_t(MK_ERR_BAD_PARAMETER));
    EXPECT_EQ(done, 1u) << "the first register went through";
}

TEST(SimNetwork, DescriptionErrorsNameFileAndLine)
{
    const struct {
        const char* text;
        const char* expected;
    } cases[] = {
        {"[Camera A]\nUniqueId=1\nAddress=192.168.10\n",
         "net.ini:3: [Camera A] Address: expected an address a.b.c.d, got '192.168.10'"},
        {"[Camera A]\nUniqueId=1\nColour=yes\n", "net.ini:3: [Camera A] Colour: unknown key"},
        {"[Camera A]\nModel=x\n", "net.ini:1: [Camera A] needs a UniqueId"},
        {"[Camera A]\nUniqueId=1\nAttribute.Width=5000\n",
         "net.ini:3: [Camera A] Attribute.Width: value out of range ('5000')"},
        {"[Camera A]\nUniqueId=1\nPixelFormat=Mono99\n", "net.ini:3: [Camera A] PixelFormat: value out of range ('Mono99')"},
        {"[Camera A]\nUniqueId=1\nSerialPorts=1\nSerialPort2=kl7700\n",
         "net.ini:4: [Camera A] SerialPort2: the camera has 1 serial port(s)"},
        {"[Camera A]\nUniqueId=1\nSerialPort0=modem\n",
         "net.ini:3: [Camera A] SerialPort0: unknown device 'modem' (kl7700, loopback, tcp:HOST:PORT or none)"},
        {"[Camera A]\nUniqueId=1\n[Camera B]\nUniqueId=1\n", "net.ini:3: [Camera B] UniqueId 1 given twice"},
        {"[Network]\nHostMask=255.255.0.256\n", "net.ini:2: [Network] HostMask: expected an address a.b.c.d, got '255.255.0.256'"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        mkapi::DescriptionError error;
        auto description = mkapi::Description::parse(c.text, "net.ini", error);
        ASSERT_TRUE(description) << error.text();
        std::vector<mkapi::DescriptionError> errors;
        EXPECT_FALSE(readNetworkSetup(*description, errors));
        ASSERT_FALSE(errors.empty());
        EXPECT_EQ(errors[0].text(), c.expected);
    }
}

TEST(SimNetwork, DescribedCameraTakesItsInitialValues)
{
    Fixture f("[Network]\nHostAddress=10.1.0.1\nHostMask=255.255.0.0\n"
              "[Camera Left]\nUniqueId=0x10\nAddress=10.1.2.3\nMask=255.255.0.0\nSensor=colour\nBayerLayout=BG\n"
              "PixelFormats=Bayer8,Bayer16,Rgb24\nPixelFormat=Bayer16\nFrameRate=12.5\nSerialPorts=3\n"
              "SerialPort2=loopback\nAttribute.Width=320\nAttribute.DeviceUserID=left one\n");
    ASSERT_EQ(f.network->cameras().size(), 1u);
    EXPECT_TRUE(f.entry(16).reachable);
    std::unique_ptr<mkapi::CameraSession> s;
    ASSERT_EQ(f.network->open(16, MK_ACCESS_MASTER, s), 0u);
    mkapi::AttrValue v;
    ASSERT_EQ(s->get("Width", MK_ATTR_UINT32, v), 0u);
    EXPECT_EQ(std::get<uint32_t>(v), 320u);
    ASSERT_EQ(s->get("AcquisitionFrameRate", MK_ATTR_FLOAT32, v), 0u);
    EXPECT_EQ(std::get<float>(v), 12.5f);
    ASSERT_EQ(s->get("DeviceUserID", MK_ATTR_STRING, v), 0u);
    EXPECT_EQ(std::get<std::string>(v), "left one");
    mkapi::AttrRange r;
    ASSERT_EQ(s->range("PixelFormat", MK_ATTR_ENUM, r), 0u);
    EXPECT_EQ(r.choices, (std::vector<std::string>{"Bayer8", "Bayer16", "Rgb24"}));
    uint32_t value = 0, done = 0;
    const uint32_t address = kPixelFormatRegister;
    ASSERT_EQ(s->readRegisters({&address, 1}, {&value, 1}, done), 0u);
    EXPECT_EQ(value, 0x01100013u) << "Bayer16 from a 12-bit BG sensor";
    const uint32_t port2 = 0x61000;
    ASSERT_EQ(s->readRegisters({&port2, 1}, {&value, 1}, done), 0u);
    EXPECT_EQ(value & 3, 3u);
}

TEST(SimNetwork, ExtraAttributesOfEveryTypeSomeDrifting)
{
#define NET "[Network]\nHostAddress=10.1.0.1\nHostMask=255.255.0.0\n[Camera A]\nUniqueId=1\nAddress=10.1.2.3\nMask=255.255.0.0\n"
    Fixture plain(NET);
    Fixture f(NET "ExtraAttributes=60\nExtraVolatile=7\n");
#undef NET
    std::unique_ptr<mkapi::CameraSession> s, p;
    ASSERT_EQ(f.network->open(1, MK_ACCESS_MASTER, s), 0u);
    ASSERT_EQ(plain.network->open(1, MK_ACCESS_MASTER, p), 0u);
    std::vector<std::string> names, plainNames;
    ASSERT_EQ(s->attributeNames(names), 0u);
    ASSERT_EQ(p->attributeNames(plainNames), 0u);
    ASSERT_EQ(names.size(), plainNames.size() + 60);
    EXPECT_EQ(names[plainNames.size()], "Extra0001");
    EXPECT_EQ(names.back(), "Extra0060");
    std::set<uint32_t> types;
    std::vector<std::string> drifting;
    for (size_t i = plainNames.size(); i < names.size(); ++i) {
        mkapi::AttrDescription d;
        ASSERT_EQ(s->describe(names[i], d), 0u);
        types.insert(d.type);
        EXPECT_EQ(d.category, i - plainNames.size() < 25 ? "/Extra/Group01" : i - plainNames.size() < 50 ? "/Extra/Group02"
                                                                                                         : "/Extra/Group03");
        if (d.flags & MK_FLAG_VOLATILE) {
            drifting.push_back(names[i]);
            EXPECT_EQ(d.flags, uint32_t(MK_FLAG_READ | MK_FLAG_VOLATILE)) << names[i];
        } else {
            EXPECT_EQ(d.flags, uint32_t(MK_FLAG_READ | MK_FLAG_WRITE)) << names[i];
        }
    }
    EXPECT_EQ(types, (std::set<uint32_t>{MK_ATTR_STRING, MK_ATTR_ENUM, MK_ATTR_UINT32, MK_ATTR_FLOAT32, MK_ATTR_INT64, MK_ATTR_BOOLEAN}));
    ASSERT_EQ(drifting.size(), 7u);
    EXPECT_EQ(drifting.front(), "Extra0009") << "spread over the whole range";
    EXPECT_EQ(drifting.back(), "Extra0060");
    mkapi::AttrValue before, after;
    ASSERT_EQ(s->get("Extra0009", MK_ATTR_UINT32, before), 0u);
    f.clock.advance(300000);
    ASSERT_EQ(s->get("Extra0009", MK_ATTR_UINT32, after), 0u);
    EXPECT_EQ(std::get<uint32_t>(after), std::get<uint32_t>(before) + 3) << "one step per 100 ms";
    EXPECT_EQ(s->set("Extra0009", MK_ATTR_UINT32, uint32_t(1)), uint32_t(MK_ERR_FORBIDDEN));
    EXPECT_EQ(s->set("Extra0001", MK_ATTR_UINT32, uint32_t(77)), 0u);
    EXPECT_EQ(s->set("Extra0006", MK_ATTR_ENUM, std::string("High")), 0u);

    const struct {
        const char* text;
        const char* expected;
    } errors[] = {
        {"[Camera A]\nUniqueId=1\nExtraVolatile=5\n", "net.ini:3: [Camera A] ExtraVolatile: more than ExtraAttributes"},
        {"[Camera A]\nUniqueId=1\nExtraAttributes=lots\n", "net.ini:3: [Camera A] ExtraAttributes: expected 0 to 100000"},
    };
    for (const auto& c : errors) {
        SCOPED_TRACE(c.text);
        mkapi::DescriptionError error;
        auto description = mkapi::Description::parse(c.text, "net.ini", error);
        ASSERT_TRUE(description);
        std::vector<mkapi::DescriptionError> found;
        EXPECT_FALSE(readNetworkSetup(*description, found));
        ASSERT_FALSE(found.empty());
        EXPECT_EQ(found[0].text(), c.expected);
    }
}

TEST(SimNetwork, ControlCommands)
{
    Fixture f;
    const struct {
        const char* command;
        uint32_t code;
        const char* reply; // null: not checked
    } cases[] = {
        {"set 100001 Gain 6.5", 0, "ok"},
        {"get 100001 Gain", 0, "6.500000"},
        {"set 100001 DeviceModelName other", 0, "ok"}, // behind the caller's back: read-only is no bar
        {"get 100001 DeviceModelName", 0, "other"},
        {"set 100001 Width 13", MK_ERR_OUT_OF_RANGE, "error: cannot set 'Width' to '13'"},
        {"get 100001 Nothing", MK_ERR_NOT_FOUND, "error: no attribute 'Nothing'"},
        {"set 999 Gain 1", MK_ERR_NOT_FOUND, "error: no camera 999"},
        {"attach 100001 1 kl7700", 0, "ok"},
        {"attach 100001 2 kl7700", MK_ERR_BAD_PARAMETER, nullptr},
        {"attach 100001 0 modem", MK_ERR_BAD_PARAMETER, "error: unknown or unreachable device 'modem' (kl7700, loopback, tcp:HOST:PORT or none)"},
        {"unplug 100002", 0, "ok"},
        {"plug x", MK_ERR_BAD_PARAMETER, "error: expected a camera's unique id after 'plug'"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command);
        uint32_t code = 99;
        std::string reply;
        ASSERT_TRUE(f.network->control(c.command, code, reply));
        EXPECT_EQ(code, c.code);
        if (c.reply) {
            EXPECT_EQ(reply, c.reply);
        }
    }
    EXPECT_EQ(f.network->cameras().size(), 2u);
    uint32_t code = 0;
    std::string reply;
    EXPECT_FALSE(f.network->control("fail MkCameraOpen 7", code, reply)) << "not the network's command";
}

} // namespace
} // namespace gigesim
