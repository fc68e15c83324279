// CCamCntrlDlgBase: the update message, enabling and modeless creation.
#include "CamCntrlDlgBase.h"

CCamCntrlDlgBase::CCamCntrlDlgBase(UINT templateId, CWnd* parent) : CDialog(templateId, parent) {}

CCamCntrlDlgBase::~CCamCntrlDlgBase() = default;

BEGIN_MESSAGE_MAP(CCamCntrlDlgBase, CDialog)
END_MESSAGE_MAP()

void CCamCntrlDlgBase::DoDataExchange(CDataExchange* dx)
{
    CDialog::DoDataExchange(dx);
}

void CCamCntrlDlgBase::UpdateCamCntrlDlg(uint32_t) {}

void CCamCntrlDlgBase::DisableCamCntrlDlg()
{
    if (GetSafeHwnd())
        ::EnableWindow(GetSafeHwnd(), FALSE);
}

void CCamCntrlDlgBase::EnableCamCntrlDlg()
{
    if (GetSafeHwnd())
        ::EnableWindow(GetSafeHwnd(), TRUE);
}

BOOL CCamCntrlDlgBase::CreateCamCntrlDlg(UINT templateId, CWnd* parent)
{
    return CDialog::Create(templateId, parent);
}

UINT CCamCntrlDlgBase::UpdateMessage()
{
    static const UINT message = ::RegisterWindowMessageA("FramixCamCntrlDlgUpdate");
    return message;
}

BOOL CCamCntrlDlgBase::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (message != 0 && message == UpdateMessage()) {
        m_UpdateMask = static_cast<uint32_t>(wParam);
        try {
            UpdateCamCntrlDlg(m_UpdateMask);
        } catch (...) {
            // A window procedure lets nothing through.
        }
        if (result)
            *result = 0;
        return TRUE;
    }
    return CDialog::OnWndMsg(message, wParam, lParam, result);
}
