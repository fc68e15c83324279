// The framework's camera control dialog.
#include "FramixCamDialog.h"

#include "FramixResources.h"
#include "UnifiedCamera.h"
#include "UnifiedGfxMode.h"
#include "UnifiedGrabber.h"

#include <cstdio>
#include <string>

static_assert(CFramixCamDialog::kTemplate == IDD_FRAMIX_CAMERA);

BOOL CFramixCamDialog::OnInitDialog()
{
    CCamCntrlDlgBase::OnInitDialog();
    if (m_pOwner)
        m_pOwner->RegisterWindowHandle(GetSafeHwnd());
    UpdateCamCntrlDlg(0xFFFFFFFFu);
    return TRUE;
}

// Close hides the dialog when the grabber agrees; the grabber destroys it.
void CFramixCamDialog::OnCancel()
{
    if (!m_pOwner || m_pOwner->SignalCamCntrlDlgEvent(UG_DLGEVENT_CLOSE) == 1)
        ShowWindow(SW_HIDE);
}

BOOL CFramixCamDialog::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (message == WM_DESTROY && m_pOwner)
        m_pOwner->UnRegisterWindowHandle(GetSafeHwnd());
    return CCamCntrlDlgBase::OnWndMsg(message, wParam, lParam, result);
}

std::string CFramixCamDialog::InfoText()
{
    CUnifiedCamera* camera = m_pOwner ? m_pOwner->GetActCamera() : nullptr;
    if (!camera)
        return "No camera selected.";
    char text[1024];
    int n = std::snprintf(text, sizeof text, "Camera: %s\r\nUnique id: %u\r\nOpen: %s", camera->GetCameraName(),
                          camera->GetCameraUniqueID(), m_pOwner->IsActCameraOpen() ? "yes" : "no");
    if (CUnifiedGfxMode* mode = camera->GetActGfxMode(); mode && n > 0 && size_t(n) < sizeof text)
        std::snprintf(text + n, sizeof text - size_t(n), "\r\nMode: %u x %u, %u x %u bit, colour coding %u", mode->GetxRes(),
                      mode->GetyRes(), mode->GetNumComponents(), mode->GetBitPerComponent(), mode->GetColorCoding());
    return text;
}

void CFramixCamDialog::UpdateCamCntrlDlg(uint32_t)
{
    if (GetSafeHwnd())
        ::SetDlgItemTextA(GetSafeHwnd(), IDC_FRAMIX_CAMERA_INFO, InfoText().c_str());
}
