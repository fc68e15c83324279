// A communication device for test doubles: every operation answers as an idle
// device that carries no data, so a double overrides only what its test watches.
#pragma once

#include "HapDeviceComm.h"

class HapDeviceCommStub : public CHapDeviceComm_0 {
public:
    unsigned long GetObjType() override { return 0; }
    long GetParamLimits(unsigned long, unsigned long long*, unsigned long long*, unsigned long long*,
                        unsigned long long*, unsigned long long*, unsigned long long*, unsigned long long*,
                        unsigned long long*) override
    {
        return EKIV_ERR_NOT_SUPPORTED;
    }
    long SetParam(unsigned long, unsigned long long, unsigned long long, unsigned long long,
                  unsigned long long) override
    {
        return EKIV_ERR_NOT_SUPPORTED;
    }
    long GetParam(unsigned long, unsigned long long*, unsigned long long*, unsigned long long*,
                  unsigned long long*) override
    {
        return EKIV_ERR_NOT_SUPPORTED;
    }
    void SetConfigStore(CIniFile_0*) override {}
    int Init() override { return 0; }
    int Exit() override { return 0; }
    int RestoreConfig() override { return 0; }
    int Detach() override { return 0; }
    int ShowConfigDialog(HWND) override { return 0; }
    const char* GetInfoText(int, long) override { return nullptr; }
    int Lock(const void*, unsigned long) override { return 0; }
    const void* GetLockOwner() override { return nullptr; }
    void Unlock(const void*) override {}
    int Open() override { return 0; }
    int GetState() override { return HAPCOMM_STATE_CLOSED; }
    int Close() override { return 0; }
    int ReadChar(char*, unsigned long* count) override { return nothingMoved(count); }
    int WriteChar(const char*, unsigned long* count) override { return nothingMoved(count); }
    int ReadData(void*, unsigned long, unsigned long* count) override { return nothingMoved(count); }
    int WriteData(const void*, unsigned long, unsigned long* count) override { return nothingMoved(count); }
    int WriteText(const char*, unsigned long* count) override { return nothingMoved(count); }
    int Purge(unsigned long) override { return 0; }

private:
    static int nothingMoved(unsigned long* count)
    {
        if (count)
            *count = 0;
        return 0;
    }
};
