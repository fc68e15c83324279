// The framework's serial-port channel: its settings in the store, and the
// real port against the camera emulator on a pseudo-terminal mapped to a Wine
// COM port (by serial_pty_test.sh).
#include "framix_fixture.h"

#include "CmdChannel.h"

#include "config_store/IniFile.h"

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

struct ChannelDeleter {
    void operator()(CCmdChannel* c) const { DeleteCmdSerialInstance(c); }
};
using Serial = std::unique_ptr<CCmdChannel, ChannelDeleter>;

struct StoreDeleter {
    void operator()(CIniFile* s) const { DeleteIniFile(s); }
};

TEST(SerialPort, SettingsGoToTheChannelsSectionAndComeBack)
{
    std::unique_ptr<CIniFile, StoreDeleter> store(CreateIniFile(INIKIND_MEM));
    Serial a(CreateCmdSerialInstance());
    ASSERT_TRUE(a);
    EXPECT_EQ(uint32_t(UG_CMDTYPE_SERIAL), a->GetChannelType());
    EXPECT_EQ(UG_ERR_NO_CONFIG_STORE, a->SetConfig());
    a->SetIni(store.get());
    a->SetGrabberSectionNum(2);
    a->SetIniKeyIndex(1);
    a->SetCmdName("COM7");
    a->SetInterCharDelay(4);
    ASSERT_EQ(UG_OK, a->SetConfig());
    char text[64];
    store->GetString("Grabber_2_CmdChannel_1", "PORTNAME", "", text, sizeof text, nullptr);
    EXPECT_STREQ("COM7", text);
    store->GetString("Grabber_2_CmdChannel_1", "TypeKey", "", text, sizeof text, nullptr);
    EXPECT_STREQ("SERIALPORT", text);
    store->WriteString("Grabber_2_CmdChannel_1", "BAUD", "9600");
    store->WriteString("Grabber_2_CmdChannel_1", "PARITY", "even");
    store->WriteString("Grabber_2_CmdChannel_1", "BYTESIZE", "7");
    store->WriteString("Grabber_2_CmdChannel_1", "STOPBITS", "2");

    Serial b(CreateCmdSerialInstance());
    b->SetIni(store.get());
    b->SetGrabberSectionNum(2);
    b->SetIniKeyIndex(1);
    ASSERT_EQ(UG_OK, b->GetConfig());
    EXPECT_STREQ("COM7", b->GetCmdName());
    EXPECT_EQ(4u, b->GetInterCharDelay());
    EXPECT_STREQ("COM7: 9600 Baud, Parity = Even, Bytesize = 7, Stopbits = 2", b->GetConfigString());
    // Unknown texts fall back to the defaults.
    store->WriteString("Grabber_2_CmdChannel_1", "PARITY", "Mark");
    store->WriteString("Grabber_2_CmdChannel_1", "BYTESIZE", "9");
    store->WriteString("Grabber_2_CmdChannel_1", "STOPBITS", "3");
    ASSERT_EQ(UG_OK, b->GetConfig());
    EXPECT_STREQ("COM7: 9600 Baud, Parity = No, Bytesize = 8, Stopbits = 1", b->GetConfigString());
    // Not open: every transfer fails clearly.
    uint8_t byte = 0;
    uint32_t one = 9;
    EXPECT_EQ(UG_ERR_CMD_READ_FAILED, b->ReadByte(&byte, &one));
    EXPECT_EQ(0u, one);
    uint64_t count = 9;
    EXPECT_EQ(UG_ERR_CMD_WRITE_FAILED, b->WriteCString("x", &count));
    EXPECT_EQ(0u, count);
    EXPECT_EQ(UG_ERR_CMD_PURGE_FAILED, b->Purge(UG_PURGE_RX));
    EXPECT_EQ(UG_OK, b->Close());
    DeleteCmdSerialInstance(nullptr);
}

// Reads until the prompt ">" or 5 s have passed.
std::string ReadReply(CCmdChannel& channel)
{
    std::string text;
    const ULONGLONG deadline = GetTickCount64() + 5000;
    while (GetTickCount64() < deadline && (text.empty() || text.back() != '>')) {
        char buffer[256];
        uint64_t n = 0;
        if (channel.ReadBuffer(buffer, sizeof buffer, &n) != UG_OK)
            break;
        text.append(buffer, static_cast<size_t>(n));
        if (n == 0)
            Sleep(5); // the emulator's reply travels through the pseudo-terminal
    }
    return text;
}

struct Waits {
    std::vector<uint32_t> delays;
    static void Record(void* context, uint32_t ms) { static_cast<Waits*>(context)->delays.push_back(ms); }
};

TEST(SerialPort, TalksToTheEmulatorOnAPseudoTerminal)
{
    const char* port = std::getenv("FRAMIX_TEST_SERIAL_PORT");
    if (!port || !*port)
        GTEST_SKIP() << "FRAMIX_TEST_SERIAL_PORT is not set";
    Serial channel(CreateCmdSerialInstance());
    channel->SetCmdName(port);
    ASSERT_EQ(UG_OK, channel->Open());
    EXPECT_EQ(1, channel->IsOpen());
    EXPECT_EQ(UG_ERR_CMD_ALREADY_OPEN, channel->Open());
    uint64_t count = 0;
    ASSERT_EQ(UG_OK, channel->WriteCString("V\r", &count));
    EXPECT_EQ(2u, count);
    std::string reply = ReadReply(*channel);
    EXPECT_EQ(0u, reply.rfind("V\r", 0)) << "expected the echo first, got: " << reply;
    EXPECT_NE(std::string::npos, reply.find("Version: ")) << reply;
    EXPECT_EQ('>', reply.empty() ? 0 : reply.back()) << reply;

    // With an intercharacter delay the bytes go one by one, the waits between them.
    Waits waits;
    channel->SetDelayFunction(&Waits::Record, &waits);
    channel->SetInterCharDelay(3);
    ASSERT_EQ(UG_OK, channel->Purge(UG_PURGE_RX | UG_PURGE_TX));
    ASSERT_EQ(UG_OK, channel->WriteCString("V\r", &count));
    EXPECT_EQ(std::vector<uint32_t>{3}, waits.delays);
    reply = ReadReply(*channel);
    EXPECT_NE(std::string::npos, reply.find("Version: ")) << reply;

    // Closed and opened again, it still talks.
    ASSERT_EQ(UG_OK, channel->Close());
    EXPECT_EQ(0, channel->IsOpen());
    ASSERT_EQ(UG_OK, channel->Open());
    uint8_t byte = 0;
    uint32_t one = 9;
    EXPECT_EQ(UG_ERR_CMD_READ_FAILED, channel->ReadByte(&byte, &one)); // nothing has arrived
    ASSERT_EQ(UG_OK, channel->WriteByte('V', &one));
    ASSERT_EQ(UG_OK, channel->WriteByte('\r', &one));
    reply = ReadReply(*channel);
    EXPECT_NE(std::string::npos, reply.find("Version: ")) << reply;
}

} // namespace
