// Port settings: stored keys and dialog fields in, configurations and texts out.
#include "kiv_comm_device/PortConfig.h"

#include <gtest/gtest.h>

namespace kivinst {
namespace {

StoredPortKeys portOnly(const char* port)
{
    StoredPortKeys keys;
    keys.port = port;
    return keys;
}

TEST(PortConfig, StoredPortFormsAndTheirTexts)
{
    struct Case {
        const char* port;
        const char* description;
        const char* settings;
        const char* lockName;
    };
    const Case cases[] = {
        {"COM3", "COM3", "COM3, 115200 Baud, 8N1", "Local\\Quarnel.CommDev.COM3"},
        {" com12 ", "COM12", "COM12, 115200 Baud, 8N1", "Local\\Quarnel.CommDev.COM12"},
        {"TCP:127.0.0.1:5000", "TCP 127.0.0.1:5000", "127.0.0.1:5000", "Local\\Quarnel.CommDev.TCP:127.0.0.1:5000"},
        {"tcp:Camera-Server:4001", "TCP Camera-Server:4001", "Camera-Server:4001",
         "Local\\Quarnel.CommDev.TCP:CAMERA-SERVER:4001"},
        {"TCP:[::1]:7000", "TCP ::1:7000", "::1:7000", "Local\\Quarnel.CommDev.TCP:[::1]:7000"},
        {"EMULATOR", "Built-in KL-7700 emulator", "In-process, no line settings", "Local\\Quarnel.CommDev.EMULATOR"},
        {"emulator", "Built-in KL-7700 emulator", "In-process, no line settings", "Local\\Quarnel.CommDev.EMULATOR"},
        {"GRABBER", "Command channel of grabber 0", "Grabber 0, its camera and channel as Framix.ini sets them",
         "Local\\Quarnel.CommDev.GRABBER"},
        {"grabber:12", "Command channel of grabber 12", "Grabber 12, its camera and channel as Framix.ini sets them",
         "Local\\Quarnel.CommDev.GRABBER:12"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.port);
        const ConfigResult result = parseStoredKeys(portOnly(c.port));
        ASSERT_TRUE(result.config) << result.error;
        EXPECT_EQ(c.description, describePort(*result.config));
        EXPECT_EQ(c.settings, describeSettings(*result.config));
        EXPECT_EQ(c.lockName, portLockName(*result.config));
    }
}

TEST(PortConfig, UnusableStoredKeysAreRefusedWithAReason)
{
    struct Case {
        const char* name;
        StoredPortKeys keys;
    };
    const Case cases[] = {
        {"missing port", {}},
        {"empty port", portOnly("  ")},
        {"unknown form", portOnly("LPT1")},
        {"COM without number", portOnly("COM")},
        {"COM 0", portOnly("COM0")},
        {"COM 256", portOnly("COM256")},
        {"COM with blank", portOnly("COM 3")},
        {"COM with letters", portOnly("COM3x")},
        {"TCP without port", portOnly("TCP:localhost")},
        {"TCP without host", portOnly("TCP::5000")},
        {"TCP port 0", portOnly("TCP:localhost:0")},
        {"TCP port too big", portOnly("TCP:localhost:65536")},
        {"grabber without number", portOnly("GRABBER:")},
        {"grabber 10000", portOnly("GRABBER:10000")},
        {"grabber with blank", portOnly("GRABBER: 1")},
        {"grabber with letters", portOnly("GRABBERS")},
        {"garbage baud", {"COM1", "fast", {}, {}, {}}},
        {"zero baud", {"COM1", "0", {}, {}, {}}},
        {"bad parity", {"COM1", {}, "X", {}, {}}},
        {"bad data bits", {"COM1", {}, {}, "9", {}}},
        {"bad stop bits", {"COM1", {}, {}, {}, "3"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ConfigResult result = parseStoredKeys(c.keys);
        EXPECT_FALSE(result.config);
        EXPECT_FALSE(result.error.empty());
    }
}

TEST(PortConfig, SerialKeysOverrideDefaultsAndRoundTrip)
{
    const ConfigResult result = parseStoredKeys({"COM7", " 9600", "e", "7", "1.5"});
    ASSERT_TRUE(result.config) << result.error;
    const SerialSettings& s = result.config->serial;
    EXPECT_EQ(7u, s.comNumber);
    EXPECT_EQ(9600u, s.baud);
    EXPECT_EQ('E', s.parity);
    EXPECT_EQ(7u, s.dataBits);
    EXPECT_EQ(StopBits::OneHalf, s.stopBits);
    EXPECT_EQ("COM7, 9600 Baud, 7E1.5", describeSettings(*result.config));

    const StoredPortKeys written = toStoredKeys(*result.config);
    EXPECT_EQ(StoredPortKeys({"COM7", "9600", "E", "7", "1.5"}), written);
    const ConfigResult again = parseStoredKeys(written);
    ASSERT_TRUE(again.config);
    EXPECT_EQ(*result.config, *again.config);
}

TEST(PortConfig, TcpAndEmulatorKeepTheSerialSettings)
{
    const ConfigResult tcp = parseStoredKeys({"TCP:[fe80::1]:23", "19200", "O", "8", "2"});
    ASSERT_TRUE(tcp.config) << tcp.error;
    EXPECT_EQ("fe80::1", tcp.config->host);
    EXPECT_EQ(19200u, tcp.config->serial.baud);
    const StoredPortKeys written = toStoredKeys(*tcp.config);
    EXPECT_EQ("TCP:[fe80::1]:23", *written.port);
    EXPECT_EQ(*tcp.config, *parseStoredKeys(written).config);
}

TEST(PortConfig, FormFieldsAreCheckedForTheChosenKind)
{
    PortConfig base;
    base.kind = PortKind::Tcp;
    base.host = "10.0.0.2";
    base.tcpPort = 4001;
    const PortForm good = toForm(base);
    const ConfigResult ok = parseForm(good);
    ASSERT_TRUE(ok.config) << ok.error;
    EXPECT_EQ(base, *ok.config);

    struct Case {
        const char* name;
        void (*spoil)(PortForm&);
    };
    const Case bad[] = {
        {"COM number 0", [](PortForm& f) { f.comNumber = "0"; }},
        {"COM number empty", [](PortForm& f) { f.comNumber = ""; }},
        {"baud letters", [](PortForm& f) { f.baud = "9600x"; }},
        {"baud too big", [](PortForm& f) { f.baud = "99999999"; }},
        {"host empty", [](PortForm& f) { f.host = " "; }},
        {"host with blank", [](PortForm& f) { f.host = "my host"; }},
        {"port empty", [](PortForm& f) { f.tcpPort = ""; }},
        {"port 70000", [](PortForm& f) { f.tcpPort = "70000"; }},
    };
    for (const Case& c : bad) {
        SCOPED_TRACE(c.name);
        PortForm form = good;
        c.spoil(form);
        EXPECT_FALSE(parseForm(form).config);
    }

    // The grabber's number matters for the grabber kind only.
    PortForm grabber = good;
    grabber.kind = PortKind::Grabber;
    for (const char* number : {"", "x", "10000", "-1"}) {
        SCOPED_TRACE(number);
        grabber.grabber = number;
        EXPECT_FALSE(parseForm(grabber).config);
    }
    grabber.grabber = " 3 ";
    const ConfigResult gr = parseForm(grabber);
    ASSERT_TRUE(gr.config) << gr.error;
    EXPECT_EQ("GRABBER:3", portKeyText(*gr.config));
    EXPECT_EQ("3", toForm(*gr.config).grabber);
    PortForm tcpWithBadGrabber = good;
    tcpWithBadGrabber.grabber = "x";
    EXPECT_TRUE(parseForm(tcpWithBadGrabber).config);

    // The TCP fields do not matter for the other kinds.
    PortForm emulator = good;
    emulator.kind = PortKind::Emulator;
    emulator.host = "";
    emulator.tcpPort = "";
    const ConfigResult em = parseForm(emulator);
    ASSERT_TRUE(em.config) << em.error;
    EXPECT_EQ("EMULATOR", portKeyText(*em.config));
}

} // namespace
} // namespace kivinst
