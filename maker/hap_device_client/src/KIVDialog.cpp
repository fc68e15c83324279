// CKIVDialog: the base of device-client dialogs, which receive the communication device.
#include "KIVDialog.h"

#include "KIVDeviceClient.h"

BEGIN_MESSAGE_MAP(CKIVDialog, CDialog)
    ON_WM_CLOSE()
    ON_WM_TIMER()
END_MESSAGE_MAP()

CKIVDialog::CKIVDialog(UINT templateId, CWnd* parent) : CDialog(templateId, parent) {}

CKIVDialog::~CKIVDialog()
{
    // The client deletes us after destroying the window; a dialog deleted
    // any other way must not call back into a client.
    m_pClient = nullptr;
    if (::IsWindow(m_hWnd))
        DestroyWindow();
}

BOOL CKIVDialog::Create(HWND parent)
{
    return CDialog::Create(m_nIDHelp, CWnd::FromHandle(parent));
}

void CKIVDialog::OnOK()
{
    if (IsModal()) {
        CDialog::OnOK();
        return;
    }
    if (UpdateData(TRUE))
        DestroyWindow();
}

void CKIVDialog::OnCancel()
{
    if (IsModal()) {
        CDialog::OnCancel();
        return;
    }
    DestroyWindow();
}

void CKIVDialog::OnClose()
{
    if (IsModal()) {
        CDialog::OnCancel();
        return;
    }
    DestroyWindow();
}

void CKIVDialog::OnTimer(UINT_PTR id)
{
    CDialog::OnTimer(id);
}

void CKIVDialog::PostNcDestroy()
{
    CDialog::PostNcDestroy();
    // Last statement: the client's event may delete this object.
    if (CKIVDeviceClient* client = m_pClient)
        client->OnDialogWindowDestroyed(this);
}
