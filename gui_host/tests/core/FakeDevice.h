// A communication device and device client that record the calls they get.
#pragma once

#include <string>
#include <vector>

#include "HapDeviceComm.h"
#include "KIVObject.h"
#include "gui_host/PortStatus.h"

namespace varnik_test {

class FakeDevice : public CHapDeviceComm_0 {
public:
    std::vector<std::string> calls;
    bool lockedByOther = false;
    int state = HAPCOMM_STATE_CLOSED;
    int openResult = 0;
    int closeResult = 0;
    const char* description = "COM1";
    const char* configuration = "115200,N,8,1";
    int lockDepth = 0;

    unsigned long GetObjType() override { return 0; }
    long GetParamLimits(unsigned long, unsigned long long*, unsigned long long*, unsigned long long*,
                        unsigned long long*, unsigned long long*, unsigned long long*, unsigned long long*,
                        unsigned long long*) override { return 0; }
    long SetParam(unsigned long, unsigned long long, unsigned long long, unsigned long long,
                  unsigned long long) override { return 0; }
    long GetParam(unsigned long, unsigned long long*, unsigned long long*, unsigned long long*,
                  unsigned long long*) override { return 0; }
    void SetConfigStore(CIniFile_0*) override { calls.push_back("SetConfigStore"); }
    int Init() override { return 0; }
    int Exit() override { return 0; }
    int RestoreConfig() override { return 0; }
    int Detach() override { return 0; }
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
    const void* GetLockOwner() override { return nullptr; }
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
    int ReadChar(char*, unsigned long*) override { return 0; }
    int WriteChar(const char*, unsigned long*) override { return 0; }
    int ReadData(void*, unsigned long, unsigned long*) override { return 0; }
    int WriteData(const void*, unsigned long, unsigned long*) override { return 0; }
    int WriteText(const char*, unsigned long*) override { return 0; }
    int Purge(unsigned long) override { return 0; }
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
