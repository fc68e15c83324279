// CUnifiedGfxMode: the base of a camera's graphics mode (the image a frame
// buffer holds), a doubly linked list held by the camera.
#pragma once

#include "FramixTypes.h"

class CUnifiedGrabber;

// The base keeps every value it is given; a plug-in overrides the getters
// that it answers live. The order of the virtual operations is a calling
// contract with the plug-ins: never reorder or insert.
class FRAMIX_API CUnifiedGfxMode {
public:
    CUnifiedGfxMode();
    CUnifiedGfxMode(const CUnifiedGfxMode&) = delete;

    virtual void SetPrev(CUnifiedGfxMode* prev);                                               // 0
    virtual void SetNext(CUnifiedGfxMode* next);                                               // 1
    virtual CUnifiedGfxMode* GetPrev();                                                        // 2
    virtual CUnifiedGfxMode* GetNext();                                                        // 3
    virtual void SetRelatedCameraUniqueID(uint32_t id);                                        // 4
    virtual void SetxRes(uint32_t value);                                                      // 5
    virtual void SetyRes(uint32_t value);                                                      // 6
    virtual void SetCompressed(uint32_t value);                                                // 7
    virtual void SetBinning(uint32_t value);                                                   // 8
    virtual void SetLineScan(uint32_t value);                                                  // 9
    virtual void SetNumComponents(uint32_t value);                                             // 10
    virtual void SetAllocatedBitPerComponent(uint32_t value);                                  // 11
    virtual void SetBitStartComponent(uint32_t value);                                         // 12
    virtual void SetBitPerComponent(uint32_t value);                                           // 13
    virtual void SetFramesPerImage(uint32_t value);                                            // 14
    virtual void SetInterlace(uint32_t value);                                                 // 15
    virtual void SetColorCoding(UG_COLORCODING value);                                         // 16
    virtual void SetCFAxOffset(uint32_t value);                                                // 17
    virtual void SetCFAyOffset(uint32_t value);                                                // 18
    virtual void SetPixelPerSecond(uint64_t value);                                            // 19
    virtual void SetLinesPerSecond(uint64_t value);                                            // 20
    virtual void SetMinDarkTime(uint32_t value);                                               // 21
    virtual void SetFrameTransferDuration(uint32_t value);                                     // 22
    virtual void SetModeDesc(const char* text);                                                // 23: cut at 255 characters
    virtual uint32_t GetRelatedCameraUniqueID();                                               // 24
    virtual uint32_t GetxRes();                                                                // 25
    virtual uint32_t GetyRes();                                                                // 26
    virtual uint32_t GetCompressed();                                                          // 27
    virtual uint32_t GetBinning();                                                             // 28
    virtual uint32_t GetLineScan();                                                            // 29
    virtual uint32_t GetNumComponents();                                                       // 30
    virtual uint32_t GetAllocatedBitPerComponent();                                            // 31
    virtual uint32_t GetBitStartComponent();                                                   // 32
    virtual uint32_t GetBitPerComponent();                                                     // 33
    virtual uint32_t GetFramesPerImage();                                                      // 34
    virtual uint32_t GetInterlace();                                                           // 35
    virtual UG_COLORCODING GetColorCoding();                                                   // 36
    virtual uint32_t GetCFAxOffset();                                                          // 37
    virtual uint32_t GetCFAyOffset();                                                          // 38
    virtual uint64_t GetPixelPerSecond();                                                      // 39
    virtual uint64_t GetLinesPerSecond();                                                      // 40
    virtual uint32_t GetFrameTransferDuration();                                               // 41
    virtual uint32_t GetMinDarkTime();                                                         // 42
    virtual const char* GetModeDesc();                                                         // 43
    virtual uint64_t GetPixelCount();                                                          // 44: xRes * yRes
    virtual uint64_t GetFrameBufferSize();                                                     // 45: components * allocated bits * pixels / 8
    virtual UG_ERRCODE GfxModeConfigDialog(HWND parent, int32_t* exitCode);                    // 46
    virtual CUnifiedGfxMode* operator[](uint64_t index);                                       // 47: index steps along the list
    virtual CUnifiedGfxMode& operator=(const UG_GFXMODE_RECORD& record);                       // 48
    virtual void StoreTo(UG_GFXMODE_RECORD& record);                                           // 49
    virtual bool operator==(const UG_GFXMODE_RECORD& record);                                  // 50
    virtual ~CUnifiedGfxMode();                                                                // 51, 52
    virtual uint32_t GetGrabberXRes();                                                         // 53: line length the grabber uses (0 = xRes)
    virtual void SetGrabberXRes(uint32_t value);                                               // 54
    virtual UG_ERRCODE GfxModeConfigExtDialog(HWND parent, int32_t* exitCode, uint32_t flags); // 55
    virtual UG_CONVERSION_FUNCTION GetConversionFunction();                                    // 56: null = none
    virtual uint32_t GetIntermediateBufferSize();                                              // 57: 0 without conversion

protected:
    CUnifiedGfxMode* m_pPrev = nullptr;
    CUnifiedGfxMode* m_pNext = nullptr;
    uint32_t m_RelatedCameraUniqueID = 0;
    UG_GFXMODE_RECORD m_Mode;
    uint32_t m_GrabberXRes = 0;
};
