// CUnifiedGrabber: the base of every grabber plug-in, with the framework's own
// operations (configuration, camera list, frame delivery, dialog registry,
// command channels, timer, features) and the ones a plug-in overrides.
#pragma once

#include "FramixTypes.h"

#include <string>

class CIniFile_0;
class CUnifiedCamera;
class CCmdChannel;
class CGrabberLog;
class CCamCntrlDlgBase;

// The timer of the grabber: two framework words and two durations in ticks of
// 10^exponent seconds (exponent -6..0).
struct UG_TIMER_SETTINGS {
    uint32_t wordA;
    uint32_t wordB;
    uint32_t first;
    uint32_t second;
    int32_t exponent;
};
struct UG_TIMER_PENDING {
    uint32_t wordA;
    uint32_t first;
    uint32_t second;
    int32_t exponent;
};

// Most operations return a UG_ERRCODE (0 = success). None lets an exception
// out. The order of the virtual operations is a calling contract with the
// plug-ins: never reorder or insert.
class FRAMIX_API CUnifiedGrabber {
public:
    explicit CUnifiedGrabber(HINSTANCE module);
    CUnifiedGrabber(const CUnifiedGrabber&) = delete;
    CUnifiedGrabber& operator=(const CUnifiedGrabber&) = delete;

    // Configuration in the store the framework gives ("Grabber_<n>" and below).
    virtual UG_ERRCODE SetGrabberIni(CIniFile_0* store, int32_t sectionNum);                                          // 0
    virtual UG_ERRCODE SetCameraIni(CIniFile_0* store);                                                               // 1
    virtual UG_ERRCODE LoadGrabberConfig();                                                                           // 2
    virtual int32_t GetCamSpecInt32(int64_t cameraIndex, const char* key, int32_t def);                               // 3
    virtual size_t GetCamSpecString(int64_t cameraIndex, const char* key, const char* def, char* buf, size_t bufLen); // 4
    virtual int32_t GetModeSpecInt32(int64_t cameraIndex, int64_t modeIndex, const char* key, int32_t def);           // 5
    virtual int32_t GetGrabberInt32(const char* key, int32_t def);                                                    // 6
    virtual size_t GetGrabberString(const char* key, const char* def, char* buf, size_t bufLen);                      // 7
    virtual int32_t GetActCamSpecInt32(const char* key, int32_t def);                                                 // 8
    virtual size_t GetActCamSpecString(const char* key, const char* def, char* buf, size_t bufLen);                   // 9
    virtual int32_t GetActModeSpecInt32(const char* key, int32_t def);                                                // 10
    virtual size_t GetActModeSpecString(const char* key, const char* def, char* buf, size_t bufLen);                  // 11
    virtual UG_ERRCODE SaveGrabberInt32(const char* key, int32_t value);                                              // 12
    virtual UG_ERRCODE SaveGrabberHex32(const char* key, uint32_t value);                                             // 13
    virtual UG_ERRCODE SaveGrabberString(const char* key, const char* value);                                         // 14
    virtual UG_ERRCODE SaveCameraModeConfig();                                                                        // 15
    virtual UG_ERRCODE SaveGrabberConfig();                                                                           // 16
    // Life of the grabber and its camera.
    virtual UG_ERRCODE Init();              // 17
    virtual UG_ERRCODE DeInit();            // 18
    virtual UG_ERRCODE OpenActCamera();     // 19
    virtual int32_t IsActCameraOpen();      // 20
    virtual UG_ERRCODE CloseActCamera();    // 21
    virtual const char* GetDriverDesc();    // 22
    virtual const char* GetDriverName();    // 23
    virtual const char* GetDriverVersion(); // 24
    // The camera list.
    virtual int64_t GetNumCameras();                                       // 25
    virtual int64_t GetActCameraIndex();                                   // 26
    virtual int64_t GetCameraIndexByHAPCameraID(uint32_t id);              // 27: -1 = none
    virtual int64_t GetCameraIndexByCameraUniqueID(uint32_t id);           // 28: -1 = none
    virtual CUnifiedCamera* GetFirstCamera();                              // 29
    virtual CUnifiedCamera* GetCamera(int64_t index);                      // 30
    virtual CUnifiedCamera* GetActCamera();                                // 31
    virtual CUnifiedCamera* GetLastCamera();                               // 32
    virtual UG_ERRCODE SetActCameraIndex(int64_t index);                   // 33: -1 = none
    virtual UG_ERRCODE SelectCameraDialog(HWND parent, int32_t* exitCode); // 34
    virtual UG_ERRCODE SelectModeDialog(HWND parent, int32_t* exitCode);   // 35
    // Frames.
    virtual UG_ERRCODE PrepareFrameBuffers();                                                      // 36
    virtual UG_ERRCODE GetLastFilledBuffer(uint64_t* index);                                       // 37
    virtual void* GetFrameBuffer(uint64_t index);                                                  // 38
    virtual UG_ERRCODE ReleaseFrameBuffer(uint64_t index);                                         // 39
    virtual UG_ERRCODE InstPostProcessMsgWnd(HWND window, UINT message);                           // 40
    virtual UG_ERRCODE InstPostProcessThreadID(DWORD threadId, UINT message);                      // 41
    virtual UG_ERRCODE InstPostProcessCallBack(UG_POSTPROCESS_CALLBACK callback, void* context);   // 42
    virtual UG_ERRCODE InstCamCfgChangeMsgWnd(HWND window, UINT message);                          // 43
    virtual UG_ERRCODE InstCamCfgChangeThreadID(DWORD threadId, UINT message);                     // 44
    virtual UG_ERRCODE InstCamCfgChangeCallBack(UG_CAMCFGCHANGE_CALLBACK callback, void* context); // 45
    virtual UG_ERRCODE RescanCameras();                                                            // 46
    virtual UG_ERRCODE GetGrabberParamLimits(UG_GRABBERFEATURE feature, uint64_t* min1, uint64_t* max1,
                                             uint64_t* min2, uint64_t* max2);                          // 47
    virtual UG_ERRCODE GetGrabberParam(UG_GRABBERFEATURE feature, uint64_t* value1, uint64_t* value2); // 48
    virtual UG_ERRCODE SetGrabberParam(UG_GRABBERFEATURE feature, uint64_t value1, uint64_t value2);   // 49
    virtual UG_ERRCODE Snap(int32_t type);                                                             // 50
    virtual int32_t GetSnapMode();                                                                     // 51
    virtual UG_ERRCODE StopSnap();                                                                     // 52
    // Camera control dialogs.
    virtual UG_ERRCODE CamCntrlDialog(HWND parent);                                        // 53
    virtual UG_ERRCODE CloseCamCntrlDialog();                                              // 54
    virtual int32_t IsCamCntrlDialogOpen();                                                // 55
    virtual UG_ERRCODE InstCamCntrlMsgWnd(HWND window, UINT message);                      // 56
    virtual UG_ERRCODE InstCamCntrlThreadID(DWORD threadId, UINT message);                 // 57
    virtual UG_ERRCODE InstCamCntrlCallBack(UG_CAMCNTRL_CALLBACK callback, void* context); // 58
    virtual UG_ERRCODE GrabberConfigDialog(HWND parent, int32_t* exitCode);                // 59
    // Command channels: the list and the active channel.
    virtual int64_t GetNumCmdChannels();                                                   // 60
    virtual UG_ERRCODE SetActCmdChannelIndex(int64_t index);                               // 61: -1 = none
    virtual CCmdChannel* GetFirstCmdChannel();                                             // 62
    virtual CCmdChannel* GetActCmdChannel();                                               // 63
    virtual CCmdChannel* GetCmdChannel(int64_t index);                                     // 64
    virtual int64_t GetActCmdChannelIndex();                                               // 65
    virtual UG_ERRCODE SelectCmdDialog(HWND parent, int32_t* exitCode);                    // 66
    virtual UG_ERRCODE CMDOpen();                                                          // 67
    virtual UG_ERRCODE CMDReadByte(uint8_t* byte, uint32_t* count);                        // 68
    virtual UG_ERRCODE CMDWriteByte(uint8_t byte, uint32_t* count);                        // 69
    virtual UG_ERRCODE CMDReadBuffer(void* buffer, uint64_t size, uint64_t* count);        // 70
    virtual UG_ERRCODE CMDWriteBuffer(const void* buffer, uint64_t size, uint64_t* count); // 71
    virtual UG_ERRCODE CMDWriteCString(const char* text, uint64_t* count);                 // 72
    virtual UG_ERRCODE CMDPurge(uint32_t flags);                                           // 73
    virtual UG_ERRCODE CMDClose();                                                         // 74
    // Bits, features and the timer.
    virtual UG_ERRCODE SetGrabberBit(uint32_t bit, int32_t value);                               // 75: bits 0..63
    virtual int32_t GetGrabberBit(uint32_t bit);                                                 // 76
    virtual int32_t GetFeatureStatus(UG_GRABBERFEATURE feature);                                 // 77: 1 = supported now
    virtual uint64_t GetFeatureMask();                                                           // 78
    virtual UG_ERRCODE SetFeature(UG_GRABBERFEATURE feature, uint64_t value);                    // 79
    virtual UG_ERRCODE GetFeature(UG_GRABBERFEATURE feature, uint64_t* value);                   // 80
    virtual UG_ERRCODE StartTimer();                                                             // 81
    virtual UG_ERRCODE StopTimer();                                                              // 82
    virtual UG_ERRCODE ChangeTimerTB(uint32_t firstTicks, uint32_t secondTicks, uint32_t wordB); // 83
    virtual UG_ERRCODE GetTimerPeriod(uint64_t* firstUs, uint64_t* secondUs);                    // 84
    virtual UG_ERRCODE SetTimerPeriod(uint64_t firstUs, uint64_t secondUs);                      // 85
    virtual uint32_t GetNumCmdChannelTypes();                                                    // 86
    virtual CCmdChannel* CreateCmdChannel(uint32_t type);                                        // 87
    virtual void DeleteCmdChannel(CCmdChannel* channel);                                         // 88
    virtual UG_ERRCODE DeleteCmdChannelList();                                                   // 89
    // Signals to the host and the dialogs.
    virtual void SignalCamCfgChange();                               // 90
    virtual uint32_t SignalCamCntrlDlgEvent(uint32_t event);         // 91
    virtual void UpdateCamCntrlDialogs(uint32_t mask);               // 92
    virtual UG_ERRCODE RegisterWindowHandle(HWND window);            // 93
    virtual UG_ERRCODE UnRegisterWindowHandle(HWND window);          // 94
    virtual void DoPostProcess(uint64_t bufferIndex, uint32_t flag); // 95
    virtual void SetSnapMode(int32_t mode);                          // 96
    virtual UG_ERRCODE SetDefaultIodTimerConfigToGrabber();          // 97
    virtual UG_ERRCODE GetDefaultIodTimerConfigFromGrabber();        // 98
    virtual ~CUnifiedGrabber();                                      // 99, 100
    virtual void SetDriverDesc(const char* text);                    // 101
    virtual void SetFirstCamera(CUnifiedCamera* camera);             // 102
    virtual CUnifiedCamera* CreateCamera();                          // 103
    virtual int32_t GetBiggestSectionNum();                          // 104: -1 = none

    // Deletes every camera (the list is the grabber's); the active index becomes -1.
    UG_ERRCODE DeleteInternalList();
    // Adds a channel made by CreateCmdChannel(type) at the end of the list,
    // numbered for the store; the grabber owns it from here.
    UG_ERRCODE AddCmdChannel(CCmdChannel* channel, uint32_t type);
    bool IsTimerRunning() const;

    void SetLog(CGrabberLog* log) { m_pLog = log; }
    CGrabberLog* GetLog() const { return m_pLog; }
    HINSTANCE GetModule() const { return m_hModule; }
    int32_t GetGrabberSectionNum() const { return m_GrabberSectionNum; }
    CIniFile_0* GetGrabberIni() const { return m_pIniFile; }
    uint64_t GetNumFrameBuffers() const { return m_NumFrameBuffers; }
    int32_t IsInitialized() const { return m_bInitialized; }
    int32_t AreBuffersReady() const { return m_bBuffersReady; }
    // Set by DoPostProcess on every frame; set when the snap mode returns to 0.
    HANDLE GetFrameEvent() const { return m_hFrameEvent; }
    HANDLE GetSnapDoneEvent() const { return m_hSnapDoneEvent; }
    const UG_TIMER_SETTINGS& GetTimerSettings() const { return m_Timer; }
    const UG_TIMER_PENDING& GetPendingTimerSettings() const { return m_TimerPending; }
    // Frames DoPostProcess has delivered since the grabber was made.
    uint64_t GetDeliveredFrames() const;

protected:
    HINSTANCE m_hModule;
    uint64_t m_NumFrameBuffers = 4; // requested; plug-ins read it only
    char m_DriverDesc[256];
    char m_DriverName[256];
    char m_DriverVersion[256];
    int32_t m_bInitialized = 0;
    int32_t m_bCameraOpen = 0;
    int32_t m_bBuffersReady = 0;
    int32_t m_SnapMode = 0;
    int64_t m_ActCameraIndex = -1;
    CUnifiedCamera* m_pFirstCamera = nullptr;
    int32_t m_GrabberSectionNum = 0;
    CIniFile_0* m_pIniFile = nullptr;
    CIniFile_0* m_pCamIniFile = nullptr;        // null: the grabber's store
    CCamCntrlDlgBase* m_pCamCntrlDlg = nullptr; // the plug-in's camera control dialog, null until first shown
    // Two manual-reset events the plug-in creates (and closes) for the framework.
    HANDLE m_hFrameEvent = nullptr;
    HANDLE m_hSnapDoneEvent = nullptr;
    UG_TIMER_SETTINGS m_Timer = {0, 0, 0, 0, -3};
    UG_TIMER_PENDING m_TimerPending = {0, 0, 0, -3};
    CGrabberLog* m_pLog = nullptr; // may be null

private:
    // The camera's section name; with create, a camera without one gets the next number.
    std::string CameraSectionOf(CUnifiedCamera* camera, bool create);
    void NotifyCamCntrl(uint32_t event, uint32_t* answer);
    void DestroyOwnDialog();

    struct Impl;
    Impl* m_pImpl;
};
