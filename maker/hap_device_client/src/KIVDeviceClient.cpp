// CKIVDeviceClient: the base of every device client, with the modeless-dialog handling.
#include "KIVDeviceClient.h"

#include "KIVDialog.h"

namespace {

void Zero(unsigned long long* value)
{
    if (value)
        *value = 0;
}

} // namespace

CKIVDeviceClient::CKIVDeviceClient() = default;

CKIVDeviceClient::~CKIVDeviceClient()
{
    // The host is releasing us: it is not told about the window we close now.
    m_hasEventData = false;
    try {
        DeleteDialog();
    } catch (...) {
    }
}

unsigned long CKIVDeviceClient::GetObjType()
{
    return 0;
}

long CKIVDeviceClient::GetParamLimits(unsigned long, unsigned long long* min1, unsigned long long* max1,
                                      unsigned long long* min2, unsigned long long* max2,
                                      unsigned long long* min3, unsigned long long* max3,
                                      unsigned long long* min4, unsigned long long* max4)
{
    for (unsigned long long* v : {min1, max1, min2, max2, min3, max3, min4, max4})
        Zero(v);
    return EKIV_ERR_NOT_SUPPORTED;
}

long CKIVDeviceClient::SetParam(unsigned long, unsigned long long, unsigned long long, unsigned long long,
                                unsigned long long)
{
    return EKIV_ERR_NOT_SUPPORTED;
}

long CKIVDeviceClient::GetParam(unsigned long, unsigned long long* v1, unsigned long long* v2,
                                unsigned long long* v3, unsigned long long* v4)
{
    for (unsigned long long* v : {v1, v2, v3, v4})
        Zero(v);
    return EKIV_ERR_NOT_SUPPORTED;
}

EKIV_ERR_ERRCODE_ CKIVDeviceClient::Connect(CHapDeviceComm_0* device)
{
    m_pDeviceComm = device;
    if (m_pDialog)
        m_pDialog->SetDeviceComm(device);
    return EKIV_ERR_OK;
}

EKIV_ERR_ERRCODE_ CKIVDeviceClient::Call(unsigned long, unsigned long long, unsigned long long,
                                         unsigned long long, unsigned long long)
{
    return EKIV_ERR_NOT_SUPPORTED;
}

EKIV_ERR_ERRCODE_ CKIVDeviceClient::ShowDialogNonModal(HWND parent)
{
    try {
        if (IsNonModalDialogOpen()) {
            m_pDialog->ShowWindow(SW_SHOW);
            m_pDialog->BringWindowToTop();
            return EKIV_ERR_OK;
        }
        // A dialog whose window was closed is replaced by a fresh object, so
        // every run starts from the dialog's initial state.
        DeleteDialog();
        CKIVDialog* dialog = CreateDialogObject(parent);
        if (!dialog)
            return EKIV_ERR_NOT_SUPPORTED;
        m_pDialog = dialog;
        m_dialogWindowGone = false;
        dialog->SetOwnerClient(this);
        dialog->SetDeviceComm(m_pDeviceComm);
        if (!dialog->Create(parent) || !::IsWindow(dialog->GetSafeHwnd())) {
            DeleteDialog();
            return EKIV_ERR_FAILED;
        }
        dialog->ShowWindow(SW_SHOW);
        return EKIV_ERR_OK;
    } catch (...) {
        return EKIV_ERR_FAILED;
    }
}

EKIV_ERR_ERRCODE_ CKIVDeviceClient::CloseDialogNonModal()
{
    try {
        DeleteDialog();
        return EKIV_ERR_OK;
    } catch (...) {
        return EKIV_ERR_FAILED;
    }
}

int CKIVDeviceClient::IsNonModalDialogOpen()
{
    return m_pDialog && !m_dialogWindowGone && ::IsWindow(m_pDialog->GetSafeHwnd()) ? 1 : 0;
}

void CKIVDeviceClient::SetDlgEventData(_TKIV_DLGEVENTDATA* data)
{
    m_hasEventData = data != nullptr;
    m_eventData = data ? *data : _TKIV_DLGEVENTDATA{};
}

CKIVDialog* CKIVDeviceClient::CreateDialogObject(HWND)
{
    return nullptr;
}

unsigned long CKIVDeviceClient::SignalDlgEvent(unsigned long event)
{
    if (!m_hasEventData || !m_eventData.callback)
        return 0;
    // The callback gets its own copy: it may re-register or release us.
    _TKIV_DLGEVENTDATA data = m_eventData;
    try {
        return static_cast<unsigned long>(data.callback(&data, event));
    } catch (...) {
        return 0;
    }
}

void CKIVDeviceClient::OnDialogWindowDestroyed(CKIVDialog* dialog)
{
    if (dialog != m_pDialog)
        return;
    m_dialogWindowGone = true;
    // Last statement: the host's callback may close the dialog or even
    // release this client, so nothing of either is touched afterwards.
    SignalDlgEvent(KIV_DLGEVENT_CLOSED);
}

void CKIVDeviceClient::DeleteDialog()
{
    CKIVDialog* dialog = m_pDialog;
    if (!dialog)
        return;
    const bool wasOpen = IsNonModalDialogOpen() != 0;
    // Forget the dialog first: nothing that runs while its window goes down
    // (its handlers, the host's callback) can reach it through us.
    m_pDialog = nullptr;
    dialog->SetOwnerClient(nullptr);
    // The window goes while the whole object is alive, so the derived
    // dialog's own destroy handlers still run.
    if (wasOpen)
        dialog->DestroyWindow();
    delete dialog;
    if (wasOpen)
        SignalDlgEvent(KIV_DLGEVENT_CLOSED); // last statement: the host may release us
}
