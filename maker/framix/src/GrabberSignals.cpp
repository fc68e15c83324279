// CUnifiedGrabber: frame delivery and the host notifications, the camera
// control dialogs and their events, the command channels.
#include "GrabberImpl.h"

#include "CmdChannel.h"
#include "FramixCamDialog.h"
#include "GrabberLog.h"
#include "UnifiedCamera.h"

#include "app_framework/module_state.h"

#include <algorithm>

namespace {

template <class Target>
void Post(const Target& t, WPARAM wParam, LPARAM lParam)
{
    if (t.window && t.windowMessage)
        ::PostMessageA(t.window, t.windowMessage, wParam, lParam);
    if (t.thread && t.threadMessage)
        ::PostThreadMessageA(t.thread, t.threadMessage, wParam, lParam);
}

} // namespace

// ---------------------------------------------------------------- frames

UG_ERRCODE CUnifiedGrabber::PrepareFrameBuffers()
{
    std::lock_guard<std::mutex> guard(m_pImpl->lock);
    m_pImpl->lastFilled = -1;
    return UG_OK;
}

UG_ERRCODE CUnifiedGrabber::GetLastFilledBuffer(uint64_t* index)
{
    if (!index)
        return UG_ERR_PARAMETER;
    std::lock_guard<std::mutex> guard(m_pImpl->lock);
    if (m_pImpl->lastFilled < 0)
        return UG_ERR_NO_FILLED_BUFFER;
    *index = static_cast<uint64_t>(m_pImpl->lastFilled);
    return UG_OK;
}

// The base holds no buffers.
void* CUnifiedGrabber::GetFrameBuffer(uint64_t)
{
    return nullptr;
}

// The host is done with the image of that buffer: it is no longer the last filled one.
UG_ERRCODE CUnifiedGrabber::ReleaseFrameBuffer(uint64_t index)
{
    if (index >= m_NumFrameBuffers)
        return UG_ERR_OUT_OF_RANGE;
    std::lock_guard<std::mutex> guard(m_pImpl->lock);
    if (m_pImpl->lastFilled == static_cast<int64_t>(index))
        m_pImpl->lastFilled = -1;
    return UG_OK;
}

void CUnifiedGrabber::DoPostProcess(uint64_t bufferIndex, uint32_t flag)
{
    HostTarget<UG_POSTPROCESS_CALLBACK> target;
    {
        std::lock_guard<std::mutex> guard(m_pImpl->lock);
        m_pImpl->lastFilled = static_cast<int64_t>(bufferIndex);
        target = m_pImpl->postProcess;
    }
    m_pImpl->delivered.fetch_add(1);
    if (m_hFrameEvent)
        ::SetEvent(m_hFrameEvent);
    Post(target, static_cast<WPARAM>(bufferIndex), static_cast<LPARAM>(flag));
    if (target.callback) {
        try {
            target.callback(target.context, bufferIndex, flag);
        } catch (...) {
        }
    }
}

uint64_t CUnifiedGrabber::GetDeliveredFrames() const
{
    return m_pImpl->delivered.load();
}

UG_ERRCODE CUnifiedGrabber::InstPostProcessMsgWnd(HWND window, UINT message)
{
    std::lock_guard<std::mutex> guard(m_pImpl->lock);
    m_pImpl->postProcess.window = window;
    m_pImpl->postProcess.windowMessage = message;
    return UG_OK;
}

UG_ERRCODE CUnifiedGrabber::InstPostProcessThreadID(DWORD threadId, UINT message)
{
    std::lock_guard<std::mutex> guard(m_pImpl->lock);
    m_pImpl->postProcess.thread = threadId;
    m_pImpl->postProcess.threadMessage = message;
    return UG_OK;
}

UG_ERRCODE CUnifiedGrabber::InstPostProcessCallBack(UG_POSTPROCESS_CALLBACK callback, void* context)
{
    std::lock_guard<std::mutex> guard(m_pImpl->lock);
    m_pImpl->postProcess.callback = callback;
    m_pImpl->postProcess.context = context;
    return UG_OK;
}

UG_ERRCODE CUnifiedGrabber::InstCamCfgChangeMsgWnd(HWND window, UINT message)
{
    std::lock_guard<std::mutex> guard(m_pImpl->lock);
    m_pImpl->camCfgChange.window = window;
    m_pImpl->camCfgChange.windowMessage = message;
    return UG_OK;
}

UG_ERRCODE CUnifiedGrabber::InstCamCfgChangeThreadID(DWORD threadId, UINT message)
{
    std::lock_guard<std::mutex> guard(m_pImpl->lock);
    m_pImpl->camCfgChange.thread = threadId;
    m_pImpl->camCfgChange.threadMessage = message;
    return UG_OK;
}

UG_ERRCODE CUnifiedGrabber::InstCamCfgChangeCallBack(UG_CAMCFGCHANGE_CALLBACK callback, void* context)
{
    std::lock_guard<std::mutex> guard(m_pImpl->lock);
    m_pImpl->camCfgChange.callback = callback;
    m_pImpl->camCfgChange.context = context;
    return UG_OK;
}

// May run on a camera library's thread: it only posts and calls.
void CUnifiedGrabber::SignalCamCfgChange()
{
    HostTarget<UG_CAMCFGCHANGE_CALLBACK> target;
    {
        std::lock_guard<std::mutex> guard(m_pImpl->lock);
        target = m_pImpl->camCfgChange;
    }
    Post(target, 0, 0);
    if (target.callback) {
        try {
            target.callback(target.context);
        } catch (...) {
        }
    }
}

void CUnifiedGrabber::SetSnapMode(int32_t mode)
{
    m_SnapMode = mode;
    if (mode == 0 && m_hSnapDoneEvent)
        ::SetEvent(m_hSnapDoneEvent);
}

int32_t CUnifiedGrabber::GetSnapMode() { return m_SnapMode; }

// The base grabs nothing.
UG_ERRCODE CUnifiedGrabber::Snap(int32_t type)
{
    return UG_ERR_NOT_SUPPORTED;
}

UG_ERRCODE CUnifiedGrabber::StopSnap()
{
    return m_SnapMode == 0 ? UG_OK : UG_ERR_NOT_SUPPORTED;
}

// ---------------------------------------------------------------- dialogs

UG_ERRCODE CUnifiedGrabber::CamCntrlDialog(HWND parent)
{
    if (!GetActCamera())
        return UG_ERR_NO_ACTIVE_CAMERA;
    return Guarded<UG_ERRCODE>(UG_ERR_EXCEPTION, [&]() -> UG_ERRCODE {
        AFX_MANAGE_STATE(AfxGetStaticModuleState());
        if (!m_pImpl->ownDialog) {
            auto dialog = new CFramixCamDialog;
            dialog->SetOwnerClass(this);
            if (!dialog->CreateCamCntrlDlg(CFramixCamDialog::kTemplate, CWnd::FromHandle(parent))) {
                delete dialog;
                return UG_ERR_DIALOG;
            }
            m_pImpl->ownDialog = dialog;
        }
        m_pImpl->ownDialog->UpdateCamCntrlDlg(0xFFFFFFFFu);
        m_pImpl->ownDialog->ShowWindow(SW_SHOW);
        return UG_OK;
    });
}

void CUnifiedGrabber::DestroyOwnDialog()
{
    if (CFramixCamDialog* own = m_pImpl->ownDialog) {
        m_pImpl->ownDialog = nullptr;
        try {
            if (own->GetSafeHwnd())
                own->DestroyWindow();
        } catch (...) {
        }
        delete own;
    }
}

UG_ERRCODE CUnifiedGrabber::CloseCamCntrlDialog()
{
    return Guarded<UG_ERRCODE>(UG_ERR_EXCEPTION, [&]() -> UG_ERRCODE {
        DestroyOwnDialog();
        // The plug-in's dialog is the plug-in's to destroy: it is hidden.
        if (m_pCamCntrlDlg && m_pCamCntrlDlg->GetSafeHwnd())
            ::ShowWindow(m_pCamCntrlDlg->GetSafeHwnd(), SW_HIDE);
        return UG_OK;
    });
}

int32_t CUnifiedGrabber::IsCamCntrlDialogOpen()
{
    auto visible = [](CCamCntrlDlgBase* d) { return d && d->GetSafeHwnd() && ::IsWindowVisible(d->GetSafeHwnd()); };
    return visible(m_pImpl->ownDialog) || visible(m_pCamCntrlDlg) ? 1 : 0;
}

UG_ERRCODE CUnifiedGrabber::InstCamCntrlMsgWnd(HWND window, UINT message)
{
    std::lock_guard<std::mutex> guard(m_pImpl->lock);
    m_pImpl->camCntrl.window = window;
    m_pImpl->camCntrl.windowMessage = message;
    return UG_OK;
}

UG_ERRCODE CUnifiedGrabber::InstCamCntrlThreadID(DWORD threadId, UINT message)
{
    std::lock_guard<std::mutex> guard(m_pImpl->lock);
    m_pImpl->camCntrl.thread = threadId;
    m_pImpl->camCntrl.threadMessage = message;
    return UG_OK;
}

UG_ERRCODE CUnifiedGrabber::InstCamCntrlCallBack(UG_CAMCNTRL_CALLBACK callback, void* context)
{
    std::lock_guard<std::mutex> guard(m_pImpl->lock);
    m_pImpl->camCntrl.callback = callback;
    m_pImpl->camCntrl.context = context;
    return UG_OK;
}

void CUnifiedGrabber::NotifyCamCntrl(uint32_t event, uint32_t* answer)
{
    HostTarget<UG_CAMCNTRL_CALLBACK> target;
    {
        std::lock_guard<std::mutex> guard(m_pImpl->lock);
        target = m_pImpl->camCntrl;
    }
    Post(target, static_cast<WPARAM>(event), 0);
    if (target.callback) {
        try {
            const uint32_t a = target.callback(target.context, event);
            if (answer)
                *answer = a;
        } catch (...) {
        }
    }
}

uint32_t CUnifiedGrabber::SignalCamCntrlDlgEvent(uint32_t event)
{
    return Guarded<uint32_t>(0, [&]() -> uint32_t {
        switch (event) {
        case UG_DLGEVENT_CLOSE:
            NotifyCamCntrl(event, nullptr);
            return 1;
        case UG_DLGEVENT_STOP_ACQUISITION: {
            const int32_t mode = GetSnapMode();
            m_pImpl->restartSnapMode = 0;
            if (mode == UG_SNAP_CONTINUOUS || mode == UG_SNAP_ASYNC_SINGLE) {
                const UG_ERRCODE stopped = StopSnap();
                if (stopped != UG_OK) {
                    if (m_pLog)
                        m_pLog->Print(0, "CUnifiedGrabber::SignalCamCntrlDlgEvent: stopping the acquisition failed (code %u)", stopped);
                    return 0;
                }
                // A single asynchronous frame is not started again.
                m_pImpl->restartSnapMode = mode == UG_SNAP_CONTINUOUS ? mode : 0;
            }
            NotifyCamCntrl(event, nullptr);
            return 1;
        }
        case UG_DLGEVENT_RESTART_ACQUISITION: {
            const int32_t mode = m_pImpl->restartSnapMode;
            m_pImpl->restartSnapMode = 0;
            NotifyCamCntrl(event, nullptr);
            if (mode == 0)
                return 1;
            // The change may have altered the image format: buffers are sized anew first.
            UG_ERRCODE result = PrepareFrameBuffers();
            if (result == UG_OK)
                result = Snap(mode);
            if (result != UG_OK && m_pLog)
                m_pLog->Print(0, "CUnifiedGrabber::SignalCamCntrlDlgEvent: restarting the acquisition failed (code %u)", result);
            return result == UG_OK ? 1 : 0;
        }
        default: {
            uint32_t answer = 0;
            NotifyCamCntrl(event, &answer);
            return answer;
        }
        }
    });
}

// A dialog of another thread is told by a posted message, so the caller never
// waits on a thread that may be waiting on it.
void CUnifiedGrabber::UpdateCamCntrlDialogs(uint32_t mask)
{
    std::vector<HWND> windows;
    try {
        std::lock_guard<std::mutex> guard(m_pImpl->lock);
        windows = m_pImpl->dialogWindows;
    } catch (...) {
        return;
    }
    const UINT message = CCamCntrlDlgBase::UpdateMessage();
    for (HWND window : windows) {
        if (!::IsWindow(window))
            continue;
        if (::GetWindowThreadProcessId(window, nullptr) == ::GetCurrentThreadId())
            ::SendMessageA(window, message, static_cast<WPARAM>(mask), 0);
        else
            ::PostMessageA(window, message, static_cast<WPARAM>(mask), 0);
    }
}

UG_ERRCODE CUnifiedGrabber::RegisterWindowHandle(HWND window)
{
    if (!window)
        return UG_ERR_PARAMETER;
    return Guarded<UG_ERRCODE>(UG_ERR_EXCEPTION, [&]() -> UG_ERRCODE {
        std::lock_guard<std::mutex> guard(m_pImpl->lock);
        auto& list = m_pImpl->dialogWindows;
        if (std::find(list.begin(), list.end(), window) == list.end())
            list.push_back(window);
        return UG_OK;
    });
}

UG_ERRCODE CUnifiedGrabber::UnRegisterWindowHandle(HWND window)
{
    std::lock_guard<std::mutex> guard(m_pImpl->lock);
    auto& list = m_pImpl->dialogWindows;
    auto it = std::find(list.begin(), list.end(), window);
    if (it == list.end())
        return UG_ERR_NOT_FOUND;
    list.erase(it);
    return UG_OK;
}

// ---------------------------------------------------------------- command channels

int64_t CUnifiedGrabber::GetNumCmdChannels()
{
    int64_t n = 0;
    for (CCmdChannel* c = m_pImpl->firstChannel; c; c = c->GetNext()) ++n;
    return n;
}

UG_ERRCODE CUnifiedGrabber::SetActCmdChannelIndex(int64_t index)
{
    if (index < -1 || index >= GetNumCmdChannels())
        return UG_ERR_OUT_OF_RANGE;
    m_pImpl->actChannel = index;
    return UG_OK;
}

CCmdChannel* CUnifiedGrabber::GetFirstCmdChannel() { return m_pImpl->firstChannel; }
CCmdChannel* CUnifiedGrabber::GetActCmdChannel() { return GetCmdChannel(m_pImpl->actChannel); }

CCmdChannel* CUnifiedGrabber::GetCmdChannel(int64_t index)
{
    if (index < 0)
        return nullptr;
    CCmdChannel* c = m_pImpl->firstChannel;
    for (int64_t i = 0; c && i < index; ++i) c = c->GetNext();
    return c;
}

int64_t CUnifiedGrabber::GetActCmdChannelIndex() { return m_pImpl->actChannel; }

UG_ERRCODE CUnifiedGrabber::AddCmdChannel(CCmdChannel* channel, uint32_t type)
{
    if (!channel)
        return UG_ERR_PARAMETER;
    return Guarded<UG_ERRCODE>(UG_ERR_EXCEPTION, [&]() -> UG_ERRCODE {
        m_pImpl->channelTypes.push_back(type);
        CCmdChannel* last = m_pImpl->firstChannel;
        while (last && last->GetNext()) last = last->GetNext();
        channel->SetPrev(last);
        channel->SetNext(nullptr);
        if (last)
            last->SetNext(channel);
        else
            m_pImpl->firstChannel = channel;
        channel->SetIni(m_pIniFile);
        channel->SetGrabberSectionNum(m_GrabberSectionNum);
        channel->SetIniKeyIndex(static_cast<uint32_t>(m_pImpl->channelTypes.size() - 1));
        return UG_OK;
    });
}

UG_ERRCODE CUnifiedGrabber::SelectCmdDialog(HWND parent, int32_t* exitCode)
{
    if (exitCode)
        *exitCode = 0;
    CCmdChannel* channel = GetActCmdChannel();
    if (!channel)
        return UG_ERR_NO_CMD_CHANNEL;
    // The active channel's own configuration dialog.
    return channel->ConfigDialog(parent, exitCode);
}

UG_ERRCODE CUnifiedGrabber::CMDOpen()
{
    CCmdChannel* c = GetActCmdChannel();
    return c ? c->Open() : UG_ERR_NO_CMD_CHANNEL;
}

UG_ERRCODE CUnifiedGrabber::CMDReadByte(uint8_t* byte, uint32_t* count)
{
    CCmdChannel* c = GetActCmdChannel();
    return c ? c->ReadByte(byte, count) : UG_ERR_NO_CMD_CHANNEL;
}

UG_ERRCODE CUnifiedGrabber::CMDWriteByte(uint8_t byte, uint32_t* count)
{
    CCmdChannel* c = GetActCmdChannel();
    return c ? c->WriteByte(byte, count) : UG_ERR_NO_CMD_CHANNEL;
}

UG_ERRCODE CUnifiedGrabber::CMDReadBuffer(void* buffer, uint64_t size, uint64_t* count)
{
    CCmdChannel* c = GetActCmdChannel();
    return c ? c->ReadBuffer(buffer, size, count) : UG_ERR_NO_CMD_CHANNEL;
}

UG_ERRCODE CUnifiedGrabber::CMDWriteBuffer(const void* buffer, uint64_t size, uint64_t* count)
{
    CCmdChannel* c = GetActCmdChannel();
    return c ? c->WriteBuffer(buffer, size, count) : UG_ERR_NO_CMD_CHANNEL;
}

UG_ERRCODE CUnifiedGrabber::CMDWriteCString(const char* text, uint64_t* count)
{
    CCmdChannel* c = GetActCmdChannel();
    return c ? c->WriteCString(text, count) : UG_ERR_NO_CMD_CHANNEL;
}

UG_ERRCODE CUnifiedGrabber::CMDPurge(uint32_t flags)
{
    CCmdChannel* c = GetActCmdChannel();
    return c ? c->Purge(flags) : UG_ERR_NO_CMD_CHANNEL;
}

UG_ERRCODE CUnifiedGrabber::CMDClose()
{
    CCmdChannel* c = GetActCmdChannel();
    return c ? c->Close() : UG_ERR_NO_CMD_CHANNEL;
}

// The framework's own channel type: 0, the serial port.
uint32_t CUnifiedGrabber::GetNumCmdChannelTypes() { return 1; }

CCmdChannel* CUnifiedGrabber::CreateCmdChannel(uint32_t type)
{
    return type == 0 ? CreateCmdSerialInstance() : nullptr;
}

void CUnifiedGrabber::DeleteCmdChannel(CCmdChannel* channel)
{
    if (!channel)
        return;
    const uint32_t tag = channel->GetChannelType();
    if (tag == UG_CMDTYPE_SERIAL)
        DeleteCmdSerialInstance(channel);
    else if (tag == UG_CMDTYPE_PLUGIN)
        delete channel;
}

UG_ERRCODE CUnifiedGrabber::DeleteCmdChannelList()
{
    CCmdChannel* c = m_pImpl->firstChannel;
    m_pImpl->firstChannel = nullptr;
    m_pImpl->channelTypes.clear();
    m_pImpl->actChannel = -1;
    while (c) {
        CCmdChannel* next = c->GetNext();
        c->SetNext(nullptr);
        c->SetPrev(nullptr);
        try {
            DeleteCmdChannel(c);
        } catch (...) {
        }
        c = next;
    }
    return UG_OK;
}
