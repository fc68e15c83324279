// The framework instance of KIVInst.dll: plug-in discovery and the objects by id.
// Both programs load the library at run time and bind the two exports by name;
// the slot order of CKIVInstance_0 is a calling contract; never reorder.
#pragma once

#include <cstddef>
#include <cstdint>

class CKIVObject_0;

// Object ids of the framework's own objects; plug-in objects use their type.
enum : uint32_t {
    KIV_ID_COMM_DEVICE = 0,
    KIV_ID_TERMINAL = 4096,
    KIV_ID_SCRIPT_PROCESSOR = 4098,
};

// Script processor commands (CKIVDeviceClient_0::Call).
enum : unsigned long {
    KIV_SCRIPT_RUN_TEXT = 4096, // a1 = script text, a2 = print callback
    KIV_SCRIPT_RUN_FILE = 4097, // a1 = script file path, a2 = print callback
};

// Print callback handed to the script processor: context (unused), text.
typedef int (*TKIV_PRINTCALLBACK)(void* context, const char* text);

class CKIVInstance_0 {
public:
    virtual int Init(const char* folder, const char* pattern, int flag) = 0; // 0
    virtual int LoadDeviceClient(const char* path) = 0;                      // 1: 0 = loaded
    virtual const char* GetVersionText() = 0;                                // 2
    virtual uintptr_t GetObjInfo(uint32_t id, int kind) = 0;                 // 3: 0 name, 1 type
    virtual size_t GetNumObj() = 0;                                          // 4
    virtual uint32_t GetObjID(size_t index) = 0;                             // 5
    virtual CKIVObject_0* CreateObj(uint32_t id) = 0;                        // 6
    virtual void DeleteObj(CKIVObject_0* object) = 0;                        // 7

protected:
    ~CKIVInstance_0() = default;
};

extern "C" {
typedef CKIVInstance_0* (*PFN_CreateKIVInstance)();
typedef void (*PFN_DeleteKIVInstance)(CKIVInstance_0* instance);
}
