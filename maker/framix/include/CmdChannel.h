// CCmdChannel: the base of command channels (the framework's serial port, the
// plug-ins' channels), a doubly linked list held by the grabber.
#pragma once

#include "FramixTypes.h"

class CIniFile_0;

// Every operation returns a UG_ERRCODE (0 = success) and catches what it
// throws. The order of the virtual operations is a calling contract with the
// plug-ins: never reorder or insert.
class FRAMIX_API CCmdChannel {
public:
    CCmdChannel();
    CCmdChannel(const CCmdChannel&) = delete;
    CCmdChannel& operator=(const CCmdChannel&) = delete;

    virtual void SetPrev(CCmdChannel* prev);                                                     // 0
    virtual void SetNext(CCmdChannel* next);                                                     // 1
    virtual CCmdChannel* GetPrev();                                                              // 2
    virtual CCmdChannel* GetNext();                                                              // 3
    virtual void SetCmdName(const char* name);                                                   // 4: cut at 1024 characters
    virtual const char* GetCmdName();                                                            // 5
    virtual const char* GetTypeName();                                                           // 6
    virtual const char* GetConfigString();                                                       // 7
    virtual void SetIni(CIniFile_0* store);                                                      // 8
    virtual CIniFile_0* GetIni();                                                                // 9
    virtual UG_ERRCODE SetConfig();                                                              // 10: save to the store
    virtual UG_ERRCODE GetConfig();                                                              // 11: load from the store
    virtual void SetGrabberSectionNum(int32_t section);                                          // 12
    virtual int32_t GetGrabberSectionNum();                                                      // 13
    virtual void SetIniKeyIndex(uint32_t index);                                                 // 14
    virtual uint32_t GetIniKeyIndex();                                                           // 15
    virtual UG_ERRCODE ConfigDialog(HWND parent, int32_t* exitCode);                             // 16
    virtual UG_ERRCODE Open();                                                                   // 17
    virtual UG_ERRCODE ReadByte(uint8_t* byte, uint32_t* count);                                 // 18
    virtual UG_ERRCODE WriteByte(uint8_t byte, uint32_t* count);                                 // 19
    virtual UG_ERRCODE ReadBuffer(void* buffer, uint64_t size, uint64_t* count);                 // 20
    virtual UG_ERRCODE WriteBuffer(const void* buffer, uint64_t size, uint64_t* count);          // 21
    virtual UG_ERRCODE WriteCString(const char* text, uint64_t* count);                          // 22
    virtual UG_ERRCODE Purge(uint32_t flags);                                                    // 23
    virtual UG_ERRCODE Close();                                                                  // 24
    virtual CCmdChannel* operator[](uint64_t index);                                             // 25: index steps along the list
    virtual UG_ERRCODE WriteBufferWithDelay(const void* buffer, uint64_t size, uint64_t* count); // 26
    virtual ~CCmdChannel();                                                                      // 27, 28
    virtual uint32_t GetChannelType();                                                           // 29

    // The wait between two bytes of WriteBufferWithDelay (default: Sleep);
    // tests hand in their own clock.
    typedef void (*DelayFunction)(void* context, uint32_t milliseconds);
    void SetDelayFunction(DelayFunction function, void* context);

    int32_t IsOpen() const { return m_bOpen; }
    uint32_t GetInterCharDelay() const { return m_InterCharDelay; }
    void SetInterCharDelay(uint32_t milliseconds) { m_InterCharDelay = milliseconds; }
    const char* GetTypeKey() const { return m_TypeKey; }
    const char* GetGrabberSection() const { return m_GrabberSection; }
    const char* GetCmdSection() const { return m_CmdSection; }

protected:
    void UpdateSectionNames();

    CCmdChannel* m_pPrev = nullptr;
    CCmdChannel* m_pNext = nullptr;
    char m_CmdName[1025];      // the channel's name (a port name for serial channels)
    char m_TypeName[256];      // filled by GetTypeName
    char m_ConfigString[1024]; // filled by GetConfigString
    char m_TypeKey[256];       // the channel type's key text, saved with the channel
    CIniFile_0* m_pIniFile = nullptr;
    char m_GrabberSection[96]; // "Grabber_<n>": the grabber's section
    char m_CmdSection[96];     // "Grabber_<n>_CmdChannel_<k>": the channel's own section
    int32_t m_GrabberSectionNum = 0;
    uint32_t m_IniKeyIndex = 0;
    int32_t m_bOpen = 0;
    uint32_t m_InterCharDelay = 0; // milliseconds between two bytes; 0 = none

private:
    DelayFunction m_delay;
    void* m_delayContext = nullptr;
};

// The framework's own serial-port channel (type tag 1), over the Windows comm API.
extern "C" FRAMIX_API CCmdChannel* CreateCmdSerialInstance();
extern "C" FRAMIX_API void DeleteCmdSerialInstance(CCmdChannel* channel);
