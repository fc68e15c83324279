// The communication device: the serial command channel that the framework
// instance hands out as object id 0 and that device clients receive through
// Connect. The slot order is a calling contract; never reorder.
#pragma once

#include "KIVObject.h"

#include <cstddef>
#include <cstdint>

class CIniFile_0;

// Purge flags.
enum : unsigned long {
    HAPCOMM_PURGE_RX = 1, // drop what was received and not yet read
    HAPCOMM_PURGE_TX = 2, // drop what was written and not yet sent
};

// GetInfoText kinds.
enum : int {
    HAPCOMM_INFO_PORT_DESCRIPTION = 0,
    HAPCOMM_INFO_PORT_CONFIGURATION = 1,
    HAPCOMM_INFO_ERROR_TEXT = 2,
};

// GetState results.
enum : int {
    HAPCOMM_STATE_CLOSED = 0,
    HAPCOMM_STATE_OPEN = 1,
};

class CHapDeviceComm_0 : public CKIVObject_0 {
public:
    virtual void SetConfigStore(CIniFile_0* store) = 0;                                    // 4
    virtual int Init() = 0;                                                                // 5
    virtual int Exit() = 0;                                                                // 6
    virtual int RestoreConfig() = 0;                                                       // 7: nonzero = no usable configuration
    virtual int Detach() = 0;                                                              // 8
    virtual int ShowConfigDialog(HWND parent) = 0;                                         // 9
    virtual const char* GetInfoText(int which, long code) = 0;                             // 10
    virtual int Lock(const void* owner, unsigned long timeoutMs) = 0;                      // 11: 0 = held by the caller
    virtual const void* GetLockOwner() = 0;                                                // 12
    virtual void Unlock(const void* owner) = 0;                                            // 13
    virtual int Open() = 0;                                                                // 14: 0 = opened
    virtual int GetState() = 0;                                                            // 15: 1 = open
    virtual int Close() = 0;                                                               // 16: 0 = closed
    virtual int ReadChar(char* c, unsigned long* count) = 0;                               // 17
    virtual int WriteChar(const char* c, unsigned long* count) = 0;                        // 18
    virtual int ReadData(void* buffer, unsigned long size, unsigned long* count) = 0;      // 19: 0 = success
    virtual int WriteData(const void* data, unsigned long size, unsigned long* count) = 0; // 20
    virtual int WriteText(const char* text, unsigned long* count) = 0;                     // 21
    virtual int Purge(unsigned long flags) = 0;                                            // 22
    virtual ~CHapDeviceComm_0() = default;                                                 // 23
};
