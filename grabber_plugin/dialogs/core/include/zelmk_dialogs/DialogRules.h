// The rules of the camera dialogs that need no window: the serial dialog's
// choices and delay text, the camera list's texts, notifications and listing,
// the IP dialog's buttons and addresses, and the title menu's geometry.
#pragma once

#include "zelmk/MkApiTable.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zelmk {

// ---------------------------------------------------------------- serial dialog

// A serial port the camera reports: its index 0..2, table name and
// description, and its supported-settings register.
struct SerialPortEntry {
    int32_t index = 0;
    std::string name;
    std::string description;
    uint32_t supportedSettings = 0;
};

// What the serial dialog edits: the chosen position in the port list
// (-1 = none) and the channel's four indices and its intercharacter delay.
struct SerialDialogSettings {
    int64_t position = -1;
    int32_t baud = 9;     // 0 "300" .. 10 "230400"
    int32_t parity = 0;   // 0 No, 1 Odd, 2 Even
    int32_t byteSize = 3; // 0 "5" .. 3 "8"
    int32_t stopBits = 0; // 0 "1", 1 "1.5", 2 "2"
    uint32_t delayMs = 0;
};

enum class SerialSetting { Baud,
                           Parity,
                           ByteSize,
                           StopBits };

// One item of a combo box: its text and the index it stands for (its item data).
struct SerialChoice {
    std::string_view text;
    int32_t value;
    friend bool operator==(const SerialChoice&, const SerialChoice&) = default;
};

// The items a port offers for one setting: one per set bit of its
// supported-settings word (baud bits 0..10, parity 16..18, byte size 20..23,
// stop bits 24..26), in index order.
std::vector<SerialChoice> SerialChoices(SerialSetting setting, uint32_t supportedSettings);

// The delay text as an unsigned decimal: blanks, then digits, and whatever
// follows them is ignored ("12a" is 12). Nothing when no digit leads, when
// a sign leads or when the number does not fit 32 bits.
std::optional<uint32_t> ParseDelayText(std::string_view text);

// ---------------------------------------------------------------- camera list

// The list's notifications to its window (message 0x8002): choose the
// camera (double click, Enter), or the camera options (right click, Space).
inline constexpr uint32_t kFinderChoose = 0;
inline constexpr uint32_t kFinderOptions = 1;

// What a key pressed in the camera list sends; nothing for keys that get the
// default handling.
std::optional<uint32_t> FinderKeyNotification(unsigned virtualKey);

// Column 2: "%u.%u.%u.%u/%u.%u.%u.%u" from addresses whose first octet is in the lowest byte.
std::string AddressColumnText(uint32_t address, uint32_t mask);
// Column 2's width: the client width less the two 120-pixel columns, at least 100.
int AddressColumnWidth(int clientWidth);
// The row's state and overlay image: 1 reachable (icon 7011), 2 unreachable (icon 7012).
inline constexpr int FinderRowImage(bool reachable) { return reachable ? 1 : 2; }

struct ListedCamera {
    struct MkCameraInfo info; // "struct": a function of the library has the same name
    bool reachable;
};
// The cameras on the network, reachable first (MkCameraCount, then
// MkCameraListEx), then the unreachable ones (asked once with room for one
// to learn the total, then with room for the total). Counts a library
// answers beyond what it was given room for are held to that room.
std::vector<ListedCamera> ListFinderCameras(const MkApiFunctions& api);

// ---------------------------------------------------------------- IP dialog

struct ModeButtonState {
    bool checked;
    bool enabled;
    friend bool operator==(const ModeButtonState&, const ModeButtonState&) = default;
};
// "Persistent IP-Address", "DHCP", "Auto IP": checked by the configuration
// mode's bits 0, 1, 2, enabled by the same bits of the supported modes.
std::array<ModeButtonState, 3> ModeButtonStates(uint32_t configMode, uint32_t supportedModes);
// The configuration mode of the checked buttons (1, 2, 4).
uint32_t ModeFromButtons(bool persistent, bool dhcp, bool autoIp);

// An address as the record keeps it (first octet lowest) and as the address
// control keeps it (first octet highest); the conversion is its own inverse.
constexpr uint32_t SwapAddressOctets(uint32_t address)
{
    return (address & 0xFFu) << 24 | (address & 0xFF00u) << 8 | (address >> 8 & 0xFF00u) | address >> 24;
}

// ---------------------------------------------------------------- title menu

struct TitleItemSize {
    int width;
    int height;
    friend bool operator==(const TitleItemSize&, const TitleItemSize&) = default;
};
// The title item: text width + check-mark width + 10, text height + 2.
constexpr TitleItemSize TitleMenuItemSize(int textWidth, int textHeight, int checkMarkWidth)
{
    return {textWidth + checkMarkWidth + 10, textHeight + 2};
}
// The title text starts check-mark width + 8 pixels right of the item's left edge.
constexpr int TitleMenuTextLeft(int itemLeft, int checkMarkWidth) { return itemLeft + checkMarkWidth + 8; }

} // namespace zelmk
