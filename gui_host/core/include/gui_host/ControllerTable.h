// The device controllers the user can start: the framework's objects of the
// device-client type, in the order they were first seen.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "HapDeviceComm.h"
#include "KIVInst.h"
#include "KIVObject.h"
#include "gui_host/PortStatus.h"

namespace varnik {

struct ControllerEntry {
    uint32_t id = 0;
    CKIVDeviceClient_0* object = nullptr; // never null in the table
    std::string name;
};

class ControllerTable {
public:
    // Appends every device-client id the instance knows and the table does not
    // hold yet; existing rows keep their index. Returns the number appended.
    size_t Refresh(CKIVInstance_0& instance);
    // Gives every object back to the instance, last first, and empties the table.
    void Release(CKIVInstance_0& instance);

    const std::vector<ControllerEntry>& Entries() const { return entries_; }
    bool Contains(uint32_t id) const;

private:
    std::vector<ControllerEntry> entries_;
};

inline constexpr std::string_view kSelectFirstText = "Please select a device controller first!";

// Starts the controller at row k: opens the device without the lock (result
// ignored), refreshes the status, connects the controller to the device (null
// allowed) and shows its modeless dialog. Returns 1 when started; 0 after
// telling the user to select a row first.
int StartController(const ControllerTable& table, int k, CHapDeviceComm_0* device,
                    const std::function<void()>& refreshStatus, UserMessages& messages);

// What Enter does in the main window.
enum class EnterAction { Nothing,
                         EndDialog,
                         StartSelected };

// focusId: control id of the focused window (0 when none or not a child);
// selectedCount: rows selected in the list.
EnterAction DecideEnter(int focusId, int closeId, int listId, unsigned selectedCount);

} // namespace varnik
