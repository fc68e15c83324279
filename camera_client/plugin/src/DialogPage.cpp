// Tab pages and their tab control.
#include "DialogPage.h"

#include "KIV_KL7700CtrlDlg.h"
#include "PluginShared.h"

namespace {
constexpr COLORREF kLimitBackground = RGB(0x5A, 0x5A, 0x5A);
constexpr COLORREF kLimitText = RGB(0xFF, 0xFF, 0xFF);
constexpr COLORREF kLimitTextDisabled = RGB(0x96, 0x96, 0x96);
constexpr int kTipWidth = 250;
} // namespace

BEGIN_MESSAGE_MAP(CDialogPage, CDialog)
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CDialogPage::CDialogPage(UINT templateId, CKIV_KL7700CtrlDlg* owner) : CDialog(templateId), m_owner(owner) {}

bool CDialogPage::DataTransfer(bool) { return true; }
void CDialogPage::AfterTransfer() {}
void CDialogPage::OnActivation(bool) {}
void CDialogPage::OnEnterKey(int) {}

BOOL CDialogPage::OnInitDialog()
{
    CDialog::OnInitDialog();
    kl7700plugin::PluginDialogWindows().Add(m_hWnd);
    m_toolTip.Create(this, TTS_ALWAYSTIP);
    m_toolTip.SetMaxTipWidth(kTipWidth);
    return TRUE;
}

void CDialogPage::AddTip(int id, const char* text)
{
    if (CWnd* control = GetDlgItem(id)) m_toolTip.AddTool(control, text);
}

void CDialogPage::OnOK()
{
    if (CWnd* focus = CWnd::GetFocus(); focus != nullptr && IsChild(focus)) OnEnterKey(focus->GetDlgCtrlID());
}

void CDialogPage::OnCancel() {}

void CDialogPage::OnDestroy()
{
    kl7700plugin::PluginDialogWindows().Remove(m_hWnd);
    if (::IsWindow(m_toolTip.m_hWnd)) m_toolTip.DestroyWindow();
    CDialog::OnDestroy();
}

void CDialogPage::AttachLimitLabel(int id)
{
    auto label = std::make_unique<CColorStatic>();
    if (!label->SubclassDlgItem(id, this)) return;
    label->SetBkColor(kLimitBackground);
    label->SetTextColor(kLimitText);
    m_limitLabels.push_back(std::move(label));
}

void CDialogPage::RecolourLimitLabels()
{
    for (const auto& label : m_limitLabels) {
        const COLORREF wanted = label->IsWindowEnabled() ? kLimitText : kLimitTextDisabled;
        if (label->GetTextColor() != wanted) label->SetTextColor(wanted);
    }
}

void CDialogPage::AttachIntegerField(int id, UINT maxChars)
{
    auto field = std::make_unique<CNumericEdit>();
    if (!field->SubclassDlgItem(id, this)) return;
    field->SetLimitText(maxChars);
    m_integerFields.push_back(std::move(field));
}

void CDialogPage::AttachRealField(int id, unsigned decimals, unsigned groupSize)
{
    auto field = std::make_unique<CDoubleNumberEdit>();
    if (!field->SubclassDlgItem(id, this)) return;
    field->SetDecimalSeparator('.');
    field->SetGroupSeparator(' ');
    field->SetDecimals(decimals);
    field->SetGroupSize(groupSize);
    m_realFields.push_back(std::move(field));
}

// Mouse messages go to the tooltip as well; they are never consumed here.
BOOL CDialogPage::PreTranslateMessage(MSG* msg)
{
    if (msg->message >= WM_MOUSEFIRST && msg->message <= WM_MOUSELAST && ::IsWindow(m_toolTip.m_hWnd)) {
        MSG relayed = *msg;
        m_toolTip.RelayEvent(&relayed);
        return FALSE;
    }
    return CDialog::PreTranslateMessage(msg);
}

bool CDialogPageCtrl::AddPage(CDialogPage* page, const char* title)
{
    const int index = InsertItem(GetItemCount(), title);
    if (index < 0 || index >= kMaxPages) {
        if (index >= 0) DeleteItem(index);
        return false;
    }
    m_pages[index] = page;
    m_count = std::max(m_count, index + 1);
    page->SetTabIndex(index);
    return true;
}

int CDialogPageCtrl::HeaderHeight() const
{
    RECT item = {};
    return GetItemCount() > 0 && GetItemRect(0, &item) ? item.bottom : 0;
}

void CDialogPageCtrl::SelectPage()
{
    for (int i = 0; i < m_count; ++i) {
        if (m_pages[i] != nullptr && m_pages[i]->IsWindowVisible()) {
            m_pages[i]->ShowWindow(SW_HIDE);
            m_pages[i]->OnActivation(false);
        }
    }
    CDialogPage* page = Page(GetCurSel());
    if (page == nullptr || !::IsWindow(page->m_hWnd)) return;
    RECT pageRect = {};
    page->GetWindowRect(&pageRect);
    const int width = pageRect.right - pageRect.left;
    const int height = pageRect.bottom - pageRect.top;
    const int header = HeaderHeight();
    SetWindowPos(nullptr, 0, 0, width + 8, height + header + 10, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    page->SetWindowPos(nullptr, 4, header + 4, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    page->ShowWindow(SW_SHOW);
    page->OnActivation(true);
}

bool CDialogPageCtrl::TransferAll(bool save)
{
    for (int i = 0; i < m_count; ++i) {
        if (m_pages[i] == nullptr) continue;
        if (!m_pages[i]->DataTransfer(save)) {
            SetCurSel(i);
            SelectPage();
            return false;
        }
        m_pages[i]->AfterTransfer();
    }
    return true;
}

int TrackPresetMenu(CWnd* owner, const std::vector<PresetItem>& items)
{
    CMenu menu;
    if (!menu.CreatePopupMenu()) return -1;
    for (size_t i = 0; i < items.size(); ++i) {
        menu.AppendMenu(MF_STRING | (items[i].enabled ? 0u : MF_GRAYED), i + 1, items[i].text.c_str());
    }
    POINT cursor = {};
    ::GetCursorPos(&cursor);
    const int chosen = menu.TrackPopupMenu(TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, cursor.x, cursor.y, owner);
    return chosen > 0 ? chosen - 1 : -1;
}
