// Status text, button states and port commands of the main window.
#include "gui_host/PortStatus.h"

namespace varnik {

namespace {

// The device owns the texts it answers; they are copied before the lock is
// given back. A null text leaves the line empty after its colon.
std::string CopyText(const char* text) { return text ? std::string(text) : std::string(); }

} // namespace

PortStatusView DescribePort(const PortReading& reading)
{
    PortStatusView view;
    if (!reading.devicePresent) {
        view.text = "No communication device...";
        return view;
    }
    if (reading.lockGranted) {
        view.text = "Port description: ";
        view.text += reading.description;
        view.text += "\nPort configuration: ";
        view.text += reading.configuration;
        view.text += "\nState: ";
        view.text += reading.lockedState == HAPCOMM_STATE_OPEN ? "open" : "closed";
    }
    view.openEnabled = reading.state == HAPCOMM_STATE_CLOSED;
    view.closeEnabled = reading.state == HAPCOMM_STATE_OPEN;
    return view;
}

PortStatusView ReadPortStatus(CHapDeviceComm_0* device, const void* owner)
{
    PortReading reading;
    reading.devicePresent = device != nullptr;
    if (device) {
        reading.lockGranted = device->Lock(owner, 0) == 0;
        if (reading.lockGranted) {
            reading.description = CopyText(device->GetInfoText(HAPCOMM_INFO_PORT_DESCRIPTION, 0));
            reading.configuration = CopyText(device->GetInfoText(HAPCOMM_INFO_PORT_CONFIGURATION, 0));
            reading.lockedState = device->GetState();
            device->Unlock(owner);
        }
        reading.state = device->GetState();
    }
    return DescribePort(reading);
}

void ConfigurePort(CHapDeviceComm_0* device, const void* owner, HWND parent, UserMessages& messages)
{
    if (!device)
        return;
    if (device->Lock(owner, 0) != 0) {
        messages.Show(kLockedText, "Error", MessageIcon::Exclamation);
        return;
    }
    const bool wasOpen = device->GetState() == HAPCOMM_STATE_OPEN;
    device->Close();
    device->ShowConfigDialog(parent);
    // Given back before the reopening, so the device opens with the new settings
    // on its own terms.
    device->Unlock(owner);
    if (wasOpen)
        device->Open();
}

namespace {

void RunLocked(CHapDeviceComm_0* device, const void* owner, UserMessages& messages, int (CHapDeviceComm_0::*command)(),
               std::string_view failureText)
{
    if (!device)
        return;
    if (device->Lock(owner, 0) != 0) {
        messages.Show(kLockedText, "Error", MessageIcon::Exclamation);
        return;
    }
    if ((device->*command)() != 0)
        messages.Show(failureText, "Error", MessageIcon::None);
    device->Unlock(owner);
}

} // namespace

void OpenPort(CHapDeviceComm_0* device, const void* owner, UserMessages& messages)
{
    RunLocked(device, owner, messages, &CHapDeviceComm_0::Open, "Open failed");
}

void ClosePort(CHapDeviceComm_0* device, const void* owner, UserMessages& messages)
{
    RunLocked(device, owner, messages, &CHapDeviceComm_0::Close, "Close failed");
}

} // namespace varnik
