// The objects the framework instance hands out (communication device, device
// clients, script processor) and the device-client interface of the maker's
// HapDeviceClient library. The order of the virtual operations is a calling
// contract with modules built apart from each other: never reorder, insert or
// remove one. A virtual destructor, where present, is always the last slot.
#pragma once

#include <cstdint>

#ifndef _WINDEF_
struct HWND__;
typedef HWND__* HWND;
#endif

class CHapDeviceComm_0;
class CKIVDialog;

// Result code of the device-client operations: 0 = success.
typedef long EKIV_ERR_ERRCODE_;
enum : long {
    EKIV_ERR_OK = 0,
    EKIV_ERR_FAILED = 1,
    EKIV_ERR_NOT_SUPPORTED = 2,
    EKIV_ERR_PARAM = 3,
    EKIV_ERR_NO_DEVICE = 4,
};

struct _TKIV_DLGEVENTDATA;

// Called by the library when a device-client dialog signals an event (for
// example, that it was closed). The host returns 1 when it handled the event.
typedef int (*TKIV_DLGEVENTCALLBACK)(_TKIV_DLGEVENTDATA* data, unsigned long event);

// Registered with SetDlgEventData; the library keeps a copy.
struct _TKIV_DLGEVENTDATA {
    TKIV_DLGEVENTCALLBACK callback;
    void* context;
    void* reserved1;
    void* reserved2;
    uint32_t flags;
};

// Dialog events passed to the callback.
enum : unsigned long {
    KIV_DLGEVENT_CLOSED = 1,
};

// Object types reported by GetObjInfo(id, 1).
enum : int {
    KIV_OBJTYPE_OTHER = 0,
    KIV_OBJTYPE_DEVICE_CLIENT = 1,
};

// Slots 0 to 3 of every framework object.
class CKIVObject_0 {
public:
    virtual unsigned long GetObjType() = 0; // 0
    virtual long GetParamLimits(unsigned long id, unsigned long long* min1, unsigned long long* max1,
                                unsigned long long* min2, unsigned long long* max2,
                                unsigned long long* min3, unsigned long long* max3,
                                unsigned long long* min4, unsigned long long* max4) = 0; // 1
    virtual long SetParam(unsigned long id, unsigned long long v1, unsigned long long v2,
                          unsigned long long v3, unsigned long long v4) = 0; // 2
    virtual long GetParam(unsigned long id, unsigned long long* v1, unsigned long long* v2,
                          unsigned long long* v3, unsigned long long* v4) = 0; // 3

protected:
    ~CKIVObject_0() = default;
};

class CKIVDeviceClient_0 : public CKIVObject_0 {
public:
    virtual EKIV_ERR_ERRCODE_ Connect(CHapDeviceComm_0* device) = 0; // 4
    virtual EKIV_ERR_ERRCODE_ Call(unsigned long command, unsigned long long a1, unsigned long long a2,
                                   unsigned long long a3, unsigned long long a4) = 0; // 5
    virtual EKIV_ERR_ERRCODE_ ShowDialogNonModal(HWND parent) = 0;                    // 6
    virtual EKIV_ERR_ERRCODE_ CloseDialogNonModal() = 0;                              // 7
    virtual int IsNonModalDialogOpen() = 0;                                           // 8
    virtual void SetDlgEventData(_TKIV_DLGEVENTDATA* data) = 0;                       // 9
    virtual CKIVDialog* CreateDialogObject(HWND parent) = 0;                          // 10

protected:
    virtual unsigned long SignalDlgEvent(unsigned long event) = 0; // 11

public:
    virtual ~CKIVDeviceClient_0() = default; // 12
};
