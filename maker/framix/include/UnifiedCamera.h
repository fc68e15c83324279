// CUnifiedCamera: the base of a grabber's camera, a doubly linked list held by
// the grabber; each camera owns its graphics modes.
#pragma once

#include "FramixTypes.h"

class CUnifiedGfxMode;
class CUnifiedGrabber;

// The order of the virtual operations is a calling contract with the
// plug-ins: never reorder or insert.
class FRAMIX_API CUnifiedCamera {
public:
    CUnifiedCamera();
    CUnifiedCamera(const CUnifiedCamera&) = delete;
    CUnifiedCamera& operator=(const CUnifiedCamera&) = delete;

    virtual void SetNext(CUnifiedCamera* next);                                 // 0
    virtual void SetPrev(CUnifiedCamera* prev);                                 // 1
    virtual CUnifiedCamera* GetNext();                                          // 2
    virtual CUnifiedCamera* GetPrev();                                          // 3
    virtual void SetCameraSectionNum(int32_t section);                          // 4: -1 = none yet
    virtual int32_t GetCameraSectionNum();                                      // 5
    virtual void SetCameraUniqueID(uint32_t id);                                // 6
    virtual uint32_t GetCameraUniqueID();                                       // 7
    virtual void SetHAPCameraID(uint32_t id);                                   // 8
    virtual uint32_t GetHAPCameraID();                                          // 9
    virtual void SetCameraName(const char* name);                               // 10: cut at 255 characters
    virtual const char* GetCameraName();                                        // 11
    virtual void SetFirstGfxMode(CUnifiedGfxMode* mode);                        // 12: the camera owns the list from here
    virtual CUnifiedGfxMode* GetFirstGfxMode();                                 // 13
    virtual int64_t GetNumGfxModes();                                           // 14
    virtual CUnifiedGfxMode* GetGfxMode(int64_t index);                         // 15
    virtual UG_ERRCODE SetActGfxModeIndex(int64_t index);                       // 16
    virtual int64_t GetActGfxModeIndex();                                       // 17
    virtual CUnifiedGfxMode* GetActGfxMode();                                   // 18
    virtual void SetCamCntrlDlgIndex(int32_t index);                            // 19: 0 = the framework's dialog
    virtual int32_t GetCamCntrlDlgIndex();                                      // 20
    virtual void DeleteGfxModeList();                                           // 21
    virtual uint32_t GetCameraStatus();                                         // 22: status bits, 0 = none
    virtual ~CUnifiedCamera();                                                  // 23, 24: deletes the modes
    virtual CUnifiedGfxMode* CreateGfxMode();                                   // 25
    virtual void SetCameraDesc(const char* text);                               // 26: cut at 255 characters
    virtual const char* GetCameraDesc();                                        // 27
    virtual int64_t BuildGfxModeList(uint32_t flags, CUnifiedGrabber* grabber); // 28: number of modes

    // The camera's name buffer (zero-terminated, at most 255 characters).
    char m_CameraName[256];

protected:
    CUnifiedCamera* m_pNext = nullptr;
    CUnifiedCamera* m_pPrev = nullptr;
    int32_t m_SectionNum = -1;
    uint32_t m_UniqueID = 0;
    uint32_t m_HAPCameraID = 0;
    CUnifiedGfxMode* m_pFirstGfxMode = nullptr;
    int64_t m_ActGfxModeIndex = 0;
    int32_t m_CamCntrlDlgIndex = 0;
    char m_CameraDesc[256];
};
