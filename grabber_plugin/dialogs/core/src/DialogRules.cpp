// The camera dialogs' rules without windows.
#include "zelmk_dialogs/DialogRules.h"

#include <algorithm>
#include <cstdio>

namespace zelmk {

namespace {

struct SettingTable {
    unsigned firstBit;
    std::vector<std::string_view> texts;
};

const SettingTable& TableOf(SerialSetting setting)
{
    static const SettingTable baud{0,
                                   {"300 Baud", "600 Baud", "1200 Baud", "2400 Baud", "4800 Baud", "9600 Baud",
                                    "19200 Baud", "38400 Baud", "57600 Baud", "115200 Baud", "230400 Baud"}};
    static const SettingTable parity{16, {"No Parity", "Odd Parity", "Even Parity"}};
    static const SettingTable byteSize{20, {"5 Bit", "6 Bit", "7 Bit", "8 Bit"}};
    static const SettingTable stopBits{24, {"1 Stopbit", "1.5 Stopbit", "2 Stopbit"}};
    switch (setting) {
    case SerialSetting::Baud: return baud;
    case SerialSetting::Parity: return parity;
    case SerialSetting::ByteSize: return byteSize;
    case SerialSetting::StopBits: break;
    }
    return stopBits;
}

} // namespace

std::vector<SerialChoice> SerialChoices(SerialSetting setting, uint32_t supportedSettings)
{
    const SettingTable& table = TableOf(setting);
    std::vector<SerialChoice> choices;
    for (size_t i = 0; i < table.texts.size(); ++i)
        if (supportedSettings >> (table.firstBit + i) & 1u) choices.push_back({table.texts[i], static_cast<int32_t>(i)});
    return choices;
}

std::optional<uint32_t> ParseDelayText(std::string_view text)
{
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    // A minus sign is refused: read as unsigned it would wrap to a delay of weeks per character.
    if (i < text.size() && text[i] == '+') ++i;
    if (i == text.size() || text[i] < '0' || text[i] > '9') return std::nullopt;
    uint64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + static_cast<uint64_t>(text[i] - '0');
        if (value > 0xFFFFFFFFu) return std::nullopt;
    }
    return static_cast<uint32_t>(value);
}

std::optional<uint32_t> FinderKeyNotification(unsigned virtualKey)
{
    // Enter only chooses: the options menu after a choice that closes the
    // dialog would pop up over a window already going.
    switch (virtualKey) {
    case 0x0D: return kFinderChoose;  // VK_RETURN
    case 0x20: return kFinderOptions; // VK_SPACE
    default: return std::nullopt;
    }
}

std::string AddressColumnText(uint32_t address, uint32_t mask)
{
    char text[40];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u/%u.%u.%u.%u", address & 0xFF, address >> 8 & 0xFF, address >> 16 & 0xFF,
                  address >> 24, mask & 0xFF, mask >> 8 & 0xFF, mask >> 16 & 0xFF, mask >> 24);
    return text;
}

int AddressColumnWidth(int clientWidth) { return std::max(clientWidth - 240, 100); }

std::vector<ListedCamera> ListFinderCameras(const MkApiFunctions& api)
{
    std::vector<ListedCamera> cameras;
    constexpr uint32_t kRecordSize = sizeof(struct MkCameraInfo);
    const uint32_t count = api.MkCameraCount();
    if (count > 0) {
        std::vector<struct MkCameraInfo> records(count);
        const uint32_t n = std::min(api.MkCameraListEx(records.data(), count, nullptr, kRecordSize), count);
        for (uint32_t i = 0; i < n; ++i) cameras.push_back({records[i], true});
    }
    struct MkCameraInfo first {};
    uint32_t total = 0;
    if (api.MkCameraListUnreachableEx(&first, 1, &total, kRecordSize) > 0) {
        // At least the one record already read, whatever the total says.
        total = std::max(total, 1u);
        std::vector<struct MkCameraInfo> records(total);
        const uint32_t n = std::min(api.MkCameraListUnreachableEx(records.data(), total, &total, kRecordSize),
                                    static_cast<uint32_t>(records.size()));
        for (uint32_t i = 0; i < n; ++i) cameras.push_back({records[i], false});
    }
    return cameras;
}

std::array<ModeButtonState, 3> ModeButtonStates(uint32_t configMode, uint32_t supportedModes)
{
    std::array<ModeButtonState, 3> states{};
    for (unsigned bit = 0; bit < 3; ++bit) states[bit] = {(configMode >> bit & 1u) != 0, (supportedModes >> bit & 1u) != 0};
    return states;
}

uint32_t ModeFromButtons(bool persistent, bool dhcp, bool autoIp)
{
    return (persistent ? 1u : 0u) | (dhcp ? 2u : 0u) | (autoIp ? 4u : 0u);
}

} // namespace zelmk
