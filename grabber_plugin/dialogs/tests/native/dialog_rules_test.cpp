// The camera dialogs' rules: the serial dialog's choices and delay text, the
// camera list's texts, keys and listing protocol, the IP dialog's buttons and
// addresses, the title menu's geometry.
#include "zelmk_dialogs/DialogRules.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using zelmk::SerialChoice;
using zelmk::SerialSetting;

TEST(SerialChoices, OneItemPerSupportedBitWithItsIndex)
{
    struct Case {
        const char* what;
        SerialSetting setting;
        uint32_t supported;
        std::vector<SerialChoice> expected;
    };
    const Case cases[] = {
        {"bits 5 and 9 offer two rates", SerialSetting::Baud, (1u << 5) | (1u << 9), {{"9600 Baud", 5}, {"115200 Baud", 9}}},
        {"bits 5 and 9 offer no byte size", SerialSetting::ByteSize, (1u << 5) | (1u << 9), {}},
        {"every rate", SerialSetting::Baud, 0x7FF, {{"300 Baud", 0}, {"600 Baud", 1}, {"1200 Baud", 2}, {"2400 Baud", 3}, {"4800 Baud", 4}, {"9600 Baud", 5}, {"19200 Baud", 6}, {"38400 Baud", 7}, {"57600 Baud", 8}, {"115200 Baud", 9}, {"230400 Baud", 10}}},
        {"rate bits stop at 10", SerialSetting::Baud, 1u << 11, {}},
        {"parity bits 16 to 18", SerialSetting::Parity, 0x7u << 16, {{"No Parity", 0}, {"Odd Parity", 1}, {"Even Parity", 2}}},
        {"parity even only", SerialSetting::Parity, 1u << 18, {{"Even Parity", 2}}},
        {"byte sizes 20 to 23", SerialSetting::ByteSize, 0xFu << 20, {{"5 Bit", 0}, {"6 Bit", 1}, {"7 Bit", 2}, {"8 Bit", 3}}},
        {"byte size bit 19 is not one", SerialSetting::ByteSize, 1u << 19, {}},
        {"stop bits 24 to 26", SerialSetting::StopBits, 0x7u << 24, {{"1 Stopbit", 0}, {"1.5 Stopbit", 1}, {"2 Stopbit", 2}}},
        {"stop bit 27 is not one", SerialSetting::StopBits, 1u << 27, {}},
        {"nothing supported", SerialSetting::Baud, 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.expected, zelmk::SerialChoices(c.setting, c.supported));
    }
}

TEST(DelayText, LeadingDigitsGiveTheNumber)
{
    struct Case {
        const char* text;
        std::optional<uint32_t> expected;
    };
    const Case cases[] = {
        {"12", 12u},
        {"12a", 12u},
        {"0", 0u},
        {"  7 ms", 7u},
        {"+5", 5u},
        {"4294967295", 4294967295u},
        {"abc", std::nullopt},
        {"", std::nullopt},
        {"   ", std::nullopt},
        {"a12", std::nullopt},
        {"-1", std::nullopt},
        {"+", std::nullopt},
        {"4294967296", std::nullopt},
        {"99999999999999999999", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("\"") + c.text + "\"");
        EXPECT_EQ(c.expected, zelmk::ParseDelayText(c.text));
    }
}

TEST(CameraList, KeysTextsAndWidths)
{
    EXPECT_EQ(zelmk::kFinderChoose, zelmk::FinderKeyNotification(0x0D));
    EXPECT_EQ(zelmk::kFinderOptions, zelmk::FinderKeyNotification(0x20));
    for (unsigned key : {0x41u, 0x26u, 0x28u, 0x1Bu, 0x09u}) EXPECT_EQ(std::nullopt, zelmk::FinderKeyNotification(key)) << key;

    // First octet in the lowest byte.
    EXPECT_EQ("192.168.10.21/255.255.255.0", zelmk::AddressColumnText(0x150AA8C0, 0x00FFFFFF));
    EXPECT_EQ("0.0.0.0/0.0.0.0", zelmk::AddressColumnText(0, 0));
    EXPECT_EQ("255.255.255.255/255.255.255.255", zelmk::AddressColumnText(0xFFFFFFFF, 0xFFFFFFFF));

    EXPECT_EQ(300, zelmk::AddressColumnWidth(540));
    EXPECT_EQ(100, zelmk::AddressColumnWidth(340));
    EXPECT_EQ(100, zelmk::AddressColumnWidth(300));
    EXPECT_EQ(100, zelmk::AddressColumnWidth(0));
    EXPECT_EQ(1, zelmk::FinderRowImage(true));
    EXPECT_EQ(2, zelmk::FinderRowImage(false));
}

// A library of reachable and unreachable cameras that records how it is asked.
struct FakeNetwork {
    uint32_t reachable = 0;
    uint32_t unreachable = 0;
    uint32_t overReport = 0; // answers this many records more than it was given room for
    std::vector<std::string> calls;
};
FakeNetwork g_net;

void Fill(struct MkCameraInfo* list, uint32_t n, uint32_t firstId)
{
    for (uint32_t i = 0; i < n; ++i) {
        list[i] = {};
        list[i].uniqueId = firstId + i;
    }
}

uint32_t MKAPI_CALL FakeCount() { return g_net.reachable; }
uint32_t MKAPI_CALL FakeList(struct MkCameraInfo* list, uint32_t length, uint32_t* total, uint32_t size)
{
    g_net.calls.push_back("list " + std::to_string(length) + (total ? " total" : "") + " " + std::to_string(size));
    const uint32_t n = std::min(length, g_net.reachable);
    Fill(list, n, 100);
    return n + g_net.overReport;
}
uint32_t MKAPI_CALL FakeUnreachable(struct MkCameraInfo* list, uint32_t length, uint32_t* total, uint32_t size)
{
    g_net.calls.push_back("unreachable " + std::to_string(length) + (total ? " total" : "") + " " + std::to_string(size));
    if (total) *total = g_net.unreachable;
    const uint32_t n = std::min(length, g_net.unreachable);
    Fill(list, n, 900);
    return n + (n ? g_net.overReport : 0);
}

zelmk::MkApiFunctions FakeApi()
{
    zelmk::MkApiFunctions api{};
    api.MkCameraCount = &FakeCount;
    api.MkCameraListEx = &FakeList;
    api.MkCameraListUnreachableEx = &FakeUnreachable;
    return api;
}

TEST(CameraList, ReachableFirstThenUnreachableAskedForTheirTotal)
{
    struct Case {
        const char* what;
        uint32_t reachable, unreachable, overReport;
        std::vector<std::string> calls;
        std::vector<std::pair<uint32_t, bool>> listed;
    };
    const Case cases[] = {
        {"none", 0, 0, 0, {"unreachable 1 total 180"}, {}},
        {"two reachable", 2, 0, 0, {"list 2 180", "unreachable 1 total 180"}, {{100, true}, {101, true}}},
        {"one unreachable", 0, 1, 0, {"unreachable 1 total 180", "unreachable 1 total 180"}, {{900, false}}},
        {"both kinds", 1, 3, 0, {"list 1 180", "unreachable 1 total 180", "unreachable 3 total 180"}, {{100, true}, {900, false}, {901, false}, {902, false}}},
        {"a library answering more than the room", 1, 2, 5, {"list 1 180", "unreachable 1 total 180", "unreachable 2 total 180"}, {{100, true}, {900, false}, {901, false}}},
    };
    const zelmk::MkApiFunctions api = FakeApi();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        g_net = {c.reachable, c.unreachable, c.overReport, {}};
        std::vector<std::pair<uint32_t, bool>> listed;
        for (const zelmk::ListedCamera& camera : zelmk::ListFinderCameras(api)) listed.emplace_back(camera.info.uniqueId, camera.reachable);
        EXPECT_EQ(c.calls, g_net.calls);
        EXPECT_EQ(c.listed, listed);
    }
}

TEST(IpDialog, ButtonsFollowTheModeBitsAndComeBackAsAMode)
{
    using S = zelmk::ModeButtonState;
    struct Case {
        const char* what;
        uint32_t mode, supported;
        std::array<S, 3> expected;
    };
    const Case cases[] = {
        {"DHCP only", 2, 2, {S{false, false}, S{true, true}, S{false, false}}},
        {"persistent of all three", 1, 7, {S{true, true}, S{false, true}, S{false, true}}},
        {"two modes at once", 3, 3, {S{true, true}, S{true, true}, S{false, false}}},
        {"upper bits ignored", 0xF8, 0xF8, {S{false, false}, S{false, false}, S{false, false}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.expected, zelmk::ModeButtonStates(c.mode, c.supported));
    }
    EXPECT_EQ(0u, zelmk::ModeFromButtons(false, false, false));
    EXPECT_EQ(1u, zelmk::ModeFromButtons(true, false, false));
    EXPECT_EQ(2u, zelmk::ModeFromButtons(false, true, false));
    EXPECT_EQ(4u, zelmk::ModeFromButtons(false, false, true));
    EXPECT_EQ(7u, zelmk::ModeFromButtons(true, true, true));

    // 192.168.10.21 as the record keeps it and as the address control does.
    static_assert(zelmk::SwapAddressOctets(0x150AA8C0) == 0xC0A80A15);
    static_assert(zelmk::SwapAddressOctets(zelmk::SwapAddressOctets(0x12345678)) == 0x12345678);
}

TEST(TitleMenu, SizeAndTextPlace)
{
    EXPECT_EQ((zelmk::TitleItemSize{100 + 13 + 10, 16 + 2}), zelmk::TitleMenuItemSize(100, 16, 13));
    EXPECT_EQ(5 + 13 + 8, zelmk::TitleMenuTextLeft(5, 13));
}

} // namespace
