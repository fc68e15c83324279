// A communication device and device client that record the calls they get.
#pragma once

#include <string>
#include <vector>

#include "kiv_testing/HapDeviceCommStub.h"
#include "KIVObject.h"
#include "gui_host/PortStatus.h"

namespace varnik_test {

class FakeDevice : public HapDeviceCommStub {
public:
    std::vector<std::string> calls;
    bool lockedByOther = false;
    int state = HAPCOMM_STATE_CLOSED;
    int openResult = 0;
    int closeResult = 0;
    const char* description = "COM1";
    const char* configuration = "115200,N,8,1";
    int lockDepth = 0;

    void SetConfigStore(CIniFile_0*) override { calls.push_back("SetConfigStore"); }
    int ShowConfigDialog(HWND) override
    {
        calls.push_back(lockDepth ? "ShowConfigDialog(locked)" : "ShowConfigDialog(unlocked)");
        return 0;
    }
    const char* GetInfoText(int which, long) override
    {
        calls.push_back("GetInfoText");
        return which == 0 ? description : configuration;
    }
    int Lock(const void*, unsigned long timeout) override
    {
        calls.push_back("Lock(" + std::to_string(timeout) + ")");
        if (lockedByOther)
            return 1;
        ++lockDepth;
        return 0;
    }
    void Unlock(const void*) override
    {
        calls.push_back("Unlock");
        --lockDepth;
    }
    int Open() override
    {
        calls.push_back("Open");
        if (openResult == 0)
            state = HAPCOMM_STATE_OPEN;
        return openResult;
    }
    int GetState() override { return state; }
    int Close() override
    {
        calls.push_back("Close");
        if (closeResult == 0)
            state = HAPCOMM_STATE_CLOSED;
        return closeResult;
    }
};

struct RecordedMessage {
    std::string text;
    std::string caption;
    varnik::MessageIcon icon;
};

class RecordingMessages : public varnik::UserMessages {
public:
    std::vector<RecordedMessage> shown;
    void Show(std::string_view text, std::string_view caption, varnik::MessageIcon icon) override
    {
        shown.push_back({std::string(text), std::string(caption), icon});
    }
};

} // namespace varnik_test
