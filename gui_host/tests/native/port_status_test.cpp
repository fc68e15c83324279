// The status text and button table, and the port commands' lock discipline.
#include "FakeDevice.h"

#include <gtest/gtest.h>

using namespace varnik;
using varnik_test::FakeDevice;
using varnik_test::RecordingMessages;

TEST(PortStatus, StateTable)
{
    struct Case {
        const char* name;
        bool device;
        bool lock;
        int state;
        const char* text;
        bool open;
        bool close;
    };
    const Case cases[] = {
        {"no device", false, false, 0, "No communication device...", false, false},
        {"lock refused, closed", true, false, 0, "", true, false},
        {"lock refused, open", true, false, 1, "", false, true},
        {"closed", true, true, 0, "Port description: COM1\nPort configuration: 9600\nState: closed", true, false},
        {"open", true, true, 1, "Port description: COM1\nPort configuration: 9600\nState: open", false, true},
        {"other state", true, true, 7, "Port description: COM1\nPort configuration: 9600\nState: closed", false,
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PortReading reading{c.device, c.lock, "COM1", "9600", c.state, c.state};
        PortStatusView view = DescribePort(reading);
        EXPECT_EQ(c.text, view.text);
        EXPECT_EQ(c.open, view.openEnabled);
        EXPECT_EQ(c.close, view.closeEnabled);
    }
}

TEST(PortStatus, ReadsUnderLockAndAlwaysUnlocks)
{
    FakeDevice device;
    device.state = HAPCOMM_STATE_OPEN;
    device.description = nullptr; // a device may answer no text
    PortStatusView view = ReadPortStatus(&device, &device);
    EXPECT_EQ("Port description: \nPort configuration: 115200,N,8,1\nState: open", view.text);
    EXPECT_EQ(0, device.lockDepth);
    EXPECT_EQ((std::vector<std::string>{"Lock(0)", "GetInfoText", "GetInfoText", "Unlock"}), device.calls);

    device.lockedByOther = true;
    device.calls.clear();
    view = ReadPortStatus(&device, &device);
    EXPECT_EQ("", view.text);
    EXPECT_TRUE(view.closeEnabled);
    EXPECT_EQ((std::vector<std::string>{"Lock(0)"}), device.calls) << "no unlock of a lock not held";

    view = ReadPortStatus(nullptr, &device);
    EXPECT_EQ("No communication device...", view.text);
}

TEST(PortCommands, ConfigureReopensAnOpenPortAfterUnlocking)
{
    RecordingMessages messages;
    for (int state : {HAPCOMM_STATE_OPEN, HAPCOMM_STATE_CLOSED}) {
        SCOPED_TRACE(state);
        FakeDevice device;
        device.state = state;
        ConfigurePort(&device, &device, nullptr, messages);
        std::vector<std::string> expected{"Lock(0)", "Close", "ShowConfigDialog(locked)", "Unlock"};
        if (state == HAPCOMM_STATE_OPEN)
            expected.push_back("Open");
        EXPECT_EQ(expected, device.calls);
        EXPECT_EQ(state, device.state);
    }
    EXPECT_TRUE(messages.shown.empty());
}

TEST(PortCommands, FailuresAndLockedDevice)
{
    struct Case {
        const char* name;
        void (*command)(CHapDeviceComm_0*, const void*, UserMessages&);
        bool lockedByOther;
        int result;
        std::vector<std::string> calls;
        const char* text; // null: no message
        const char* caption;
        MessageIcon icon;
    };
    const Case cases[] = {
        {"open", &OpenPort, false, 0, {"Lock(0)", "Open", "Unlock"}, nullptr, "", MessageIcon::None},
        {"open fails", &OpenPort, false, 5, {"Lock(0)", "Open", "Unlock"}, "Open failed", "Error", MessageIcon::None},
        {"close fails", &ClosePort, false, 5, {"Lock(0)", "Close", "Unlock"}, "Close failed", "Error", MessageIcon::None},
        {"open locked", &OpenPort, true, 0, {"Lock(0)"}, "Communication device is locked", "Error", MessageIcon::Exclamation},
        {"close locked", &ClosePort, true, 0, {"Lock(0)"}, "Communication device is locked", "Error", MessageIcon::Exclamation},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeDevice device;
        device.lockedByOther = c.lockedByOther;
        device.openResult = device.closeResult = c.result;
        RecordingMessages messages;
        c.command(&device, &device, messages);
        EXPECT_EQ(c.calls, device.calls);
        EXPECT_EQ(0, device.lockDepth);
        if (!c.text) {
            EXPECT_TRUE(messages.shown.empty());
            continue;
        }
        ASSERT_EQ(1u, messages.shown.size());
        EXPECT_EQ(c.text, messages.shown[0].text);
        EXPECT_EQ(c.caption, messages.shown[0].caption);
        EXPECT_EQ(c.icon, messages.shown[0].icon);
    }

    FakeDevice device;
    device.lockedByOther = true;
    RecordingMessages messages;
    ConfigurePort(&device, &device, nullptr, messages);
    EXPECT_EQ((std::vector<std::string>{"Lock(0)"}), device.calls);
    ASSERT_EQ(1u, messages.shown.size());
    EXPECT_EQ("Communication device is locked", messages.shown[0].text);

    // Without a device every command is silent.
    messages.shown.clear();
    ConfigurePort(nullptr, &device, nullptr, messages);
    OpenPort(nullptr, &device, messages);
    ClosePort(nullptr, &device, messages);
    EXPECT_TRUE(messages.shown.empty());
}
