// CCmdChannel: the list links, the framework's keys in the channel's sections,
// and the byte-by-byte write with a delay between bytes.
#include "CmdChannel.h"

#include "config_store/IniFile.h"
#include "framix_core/IniLayout.h"

#include <cstdio>
#include <cstring>

namespace {

void SleepDelay(void*, uint32_t milliseconds)
{
    Sleep(milliseconds);
}

void CopyText(char* target, size_t size, const char* text)
{
    if (!text)
        text = "";
    std::snprintf(target, size, "%s", text);
}

} // namespace

CCmdChannel::CCmdChannel() : m_delay(SleepDelay)
{
    m_CmdName[0] = 0;
    m_TypeName[0] = 0;
    m_ConfigString[0] = 0;
    m_TypeKey[0] = 0;
    UpdateSectionNames();
}

CCmdChannel::~CCmdChannel() = default;

void CCmdChannel::SetPrev(CCmdChannel* prev) { m_pPrev = prev; }
void CCmdChannel::SetNext(CCmdChannel* next) { m_pNext = next; }
CCmdChannel* CCmdChannel::GetPrev() { return m_pPrev; }
CCmdChannel* CCmdChannel::GetNext() { return m_pNext; }

void CCmdChannel::SetCmdName(const char* name)
{
    CopyText(m_CmdName, sizeof m_CmdName, name);
}

const char* CCmdChannel::GetCmdName() { return m_CmdName; }

const char* CCmdChannel::GetTypeName()
{
    CopyText(m_TypeName, sizeof m_TypeName, "Command channel");
    return m_TypeName;
}

const char* CCmdChannel::GetConfigString()
{
    std::snprintf(m_ConfigString, sizeof m_ConfigString, "Intercharacter delay = %u ms", m_InterCharDelay);
    return m_ConfigString;
}

void CCmdChannel::SetIni(CIniFile_0* store) { m_pIniFile = store; }
CIniFile_0* CCmdChannel::GetIni() { return m_pIniFile; }

UG_ERRCODE CCmdChannel::SetConfig()
{
    if (!m_pIniFile)
        return UG_ERR_NO_CONFIG_STORE;
    try {
        if (m_pIniFile->WriteString(m_CmdSection, framix::kKeyCmdName, m_CmdName) != 0 ||
            m_pIniFile->WriteString(m_CmdSection, framix::kKeyCmdTypeKey, m_TypeKey) != 0 ||
            m_pIniFile->WriteUInt(m_CmdSection, framix::kKeyCmdDelay, m_InterCharDelay) != 0)
            return UG_ERR_CMD_CONFIG_NOT_SAVED;
        return UG_OK;
    } catch (...) {
        return UG_ERR_EXCEPTION;
    }
}

UG_ERRCODE CCmdChannel::GetConfig()
{
    if (!m_pIniFile)
        return UG_ERR_NO_CONFIG_STORE;
    try {
        char name[sizeof m_CmdName];
        const size_t length = m_pIniFile->GetString(m_CmdSection, framix::kKeyCmdName, m_CmdName, name, sizeof name, nullptr);
        if (length < sizeof name)
            SetCmdName(name);
        m_InterCharDelay = m_pIniFile->GetUInt(m_CmdSection, framix::kKeyCmdDelay, m_InterCharDelay, nullptr);
        return UG_OK;
    } catch (...) {
        return UG_ERR_EXCEPTION;
    }
}

void CCmdChannel::SetGrabberSectionNum(int32_t section)
{
    m_GrabberSectionNum = section;
    UpdateSectionNames();
}

int32_t CCmdChannel::GetGrabberSectionNum() { return m_GrabberSectionNum; }

void CCmdChannel::SetIniKeyIndex(uint32_t index)
{
    m_IniKeyIndex = index;
    UpdateSectionNames();
}

uint32_t CCmdChannel::GetIniKeyIndex() { return m_IniKeyIndex; }

UG_ERRCODE CCmdChannel::ConfigDialog(HWND, int32_t* exitCode)
{
    if (exitCode)
        *exitCode = 0;
    return UG_ERR_NOT_SUPPORTED;
}

// The base is no transport: a channel type overrides the operations below.
UG_ERRCODE CCmdChannel::Open() { return UG_ERR_NOT_SUPPORTED; }

UG_ERRCODE CCmdChannel::ReadByte(uint8_t*, uint32_t* count)
{
    if (count)
        *count = 0;
    return UG_ERR_NOT_SUPPORTED;
}

UG_ERRCODE CCmdChannel::WriteByte(uint8_t, uint32_t* count)
{
    if (count)
        *count = 0;
    return UG_ERR_NOT_SUPPORTED;
}

UG_ERRCODE CCmdChannel::ReadBuffer(void*, uint64_t, uint64_t* count)
{
    if (count)
        *count = 0;
    return UG_ERR_NOT_SUPPORTED;
}

UG_ERRCODE CCmdChannel::WriteBuffer(const void*, uint64_t, uint64_t* count)
{
    if (count)
        *count = 0;
    return UG_ERR_NOT_SUPPORTED;
}

UG_ERRCODE CCmdChannel::WriteCString(const char* text, uint64_t* count)
{
    if (!text) {
        if (count)
            *count = 0;
        return UG_ERR_PARAMETER;
    }
    uint64_t written = 0;
    const UG_ERRCODE result = WriteBuffer(text, std::strlen(text), &written);
    if (count)
        *count = written;
    return result;
}

UG_ERRCODE CCmdChannel::Purge(uint32_t) { return UG_ERR_NOT_SUPPORTED; }

UG_ERRCODE CCmdChannel::Close()
{
    m_bOpen = 0;
    return UG_OK;
}

CCmdChannel* CCmdChannel::operator[](uint64_t index)
{
    CCmdChannel* channel = this;
    for (uint64_t i = 0; channel && i < index; ++i)
        channel = channel->GetNext();
    return channel;
}

UG_ERRCODE CCmdChannel::WriteBufferWithDelay(const void* buffer, uint64_t size, uint64_t* count)
{
    uint64_t written = 0;
    UG_ERRCODE result = UG_OK;
    if (!buffer && size > 0) {
        result = UG_ERR_PARAMETER;
    } else {
        const uint8_t* bytes = static_cast<const uint8_t*>(buffer);
        for (uint64_t i = 0; i < size; ++i) {
            // The delay separates bytes: none before the first or after the last.
            if (i > 0 && m_InterCharDelay > 0)
                m_delay(m_delayContext, m_InterCharDelay);
            uint32_t one = 0;
            result = WriteByte(bytes[i], &one);
            if (result != UG_OK || one != 1) {
                if (result == UG_OK)
                    result = UG_ERR_CMD_WRITE_FAILED;
                break;
            }
            ++written;
        }
    }
    if (count)
        *count = written;
    return result;
}

uint32_t CCmdChannel::GetChannelType() { return UG_CMDTYPE_PLUGIN; }

void CCmdChannel::SetDelayFunction(DelayFunction function, void* context)
{
    m_delay = function ? function : SleepDelay;
    m_delayContext = function ? context : nullptr;
}

void CCmdChannel::UpdateSectionNames()
{
    CopyText(m_GrabberSection, sizeof m_GrabberSection, framix::GrabberSection(m_GrabberSectionNum).c_str());
    CopyText(m_CmdSection, sizeof m_CmdSection, framix::CmdChannelSection(m_GrabberSectionNum, m_IniKeyIndex).c_str());
}
