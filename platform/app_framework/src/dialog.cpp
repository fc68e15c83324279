// CDialog: templates from the current resource module, modal and modeless runs, OK/Cancel, keyboard pre-translation.
#include "framework_internal.h"

#include "app_framework/dialog.h"

#include <algorithm>
#include <vector>

namespace {

constexpr const char* kDialogClass = "#32770";

bool isKeyboardMessage(const MSG* msg)
{
    return msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST;
}

std::vector<HWND>& modelessDialogs()
{
    static std::vector<HWND> dialogs;
    return dialogs;
}

} // namespace

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_COMMAND(IDOK, OnOK)
    ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog(UINT templateId, CWnd* parent) : m_nIDHelp(templateId), m_pParentWnd(parent)
{
}

CDialog::~CDialog() = default;

HINSTANCE CDialog::FindTemplateModule(UINT templateId) const
{
    for (HINSTANCE module : {AfxGetResourceHandle(), ::GetModuleHandleA(nullptr)}) {
        if (module && ::FindResourceA(module, MAKEINTRESOURCEA(templateId), MAKEINTRESOURCEA(5))) // RT_DIALOG
            return module;
    }
    return nullptr;
}

INT_PTR CDialog::DoModal()
{
    if (m_hWnd)
        return -1;
    HINSTANCE module = FindTemplateModule(m_nIDHelp);
    if (!module)
        return -1;
    AfxInitCommonControls();
    m_modal = true;
    m_result = -1;
    INT_PTR result;
    {
        AfxCreationHook hook(this, kDialogClass);
        result = ::DialogBoxParamA(module, MAKEINTRESOURCEA(m_nIDHelp), AfxGetSafeHwnd(m_pParentWnd), &AfxDlgProc, 0);
    }
    m_modal = false;
    if (m_hWnd) // the window outlived its loop (should not happen); do not leave it bound
        AfxWndAccess::Unbind(this);
    return result;
}

BOOL CDialog::Create(UINT templateId, CWnd* parent)
{
    if (m_hWnd)
        return FALSE;
    m_nIDHelp = templateId;
    if (parent)
        m_pParentWnd = parent;
    HINSTANCE module = FindTemplateModule(templateId);
    if (!module)
        return FALSE;
    AfxInitCommonControls();
    m_modal = false;
    HWND window;
    {
        AfxCreationHook hook(this, kDialogClass);
        window = ::CreateDialogParamA(module, MAKEINTRESOURCEA(templateId), AfxGetSafeHwnd(m_pParentWnd), &AfxDlgProc, 0);
    }
    if (window && m_hWnd != window) {
        // Not bound (a template naming its own window class): the object could
        // never drive it, so do not leave it behind.
        if (::IsWindow(window) && !CWnd::FromHandlePermanent(window))
            ::DestroyWindow(window);
        return FALSE;
    }
    return window != nullptr;
}

void CDialog::EndDialog(int result)
{
    m_result = result;
    if (!m_hWnd)
        return;
    if (m_modal)
        ::EndDialog(m_hWnd, result);
    else
        ::DestroyWindow(m_hWnd);
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK()
{
    if (UpdateData(TRUE))
        EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

BOOL CDialog::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (message == WM_INITDIALOG) {
        *result = OnInitDialog();
        return TRUE;
    }
    return CWnd::OnWndMsg(message, wParam, lParam, result);
}

BOOL CDialog::PreTranslateMessage(MSG* msg)
{
    if (!m_hWnd || !isKeyboardMessage(msg) || (GetStyle() & WS_CHILD))
        return FALSE;
    if (msg->hwnd != m_hWnd && !::IsChild(m_hWnd, msg->hwnd))
        return FALSE;
    return ::IsDialogMessageA(m_hWnd, msg);
}

void AfxRegisterModelessDialog(HWND dialog)
{
    auto& dialogs = modelessDialogs();
    if (dialog && std::find(dialogs.begin(), dialogs.end(), dialog) == dialogs.end())
        dialogs.push_back(dialog);
}

void AfxUnregisterModelessDialog(HWND dialog)
{
    auto& dialogs = modelessDialogs();
    dialogs.erase(std::remove(dialogs.begin(), dialogs.end(), dialog), dialogs.end());
}

BOOL AfxPreTranslateMessage(MSG* msg)
{
    if (!msg || !msg->hwnd)
        return FALSE;
    try {
        for (HWND window = msg->hwnd; window;) {
            bool child = (::GetWindowLongPtrA(window, GWL_STYLE) & WS_CHILD) != 0;
            HWND parent = child ? ::GetParent(window) : nullptr;
            if (CWnd* object = CWnd::FromHandlePermanent(window)) {
                if (AfxWndAccess::Guarded(object, [&] { return object->PreTranslateMessage(msg); }))
                    return TRUE;
            }
            window = parent;
        }
        if (!isKeyboardMessage(msg))
            return FALSE;
        std::vector<HWND> dialogs = modelessDialogs(); // a dialog may unregister while we walk
        for (HWND dialog : dialogs) {
            if (!::IsWindow(dialog)) {
                AfxUnregisterModelessDialog(dialog);
                continue;
            }
            if ((dialog == msg->hwnd || ::IsChild(dialog, msg->hwnd)) && ::IsDialogMessageA(dialog, msg))
                return TRUE;
        }
    } catch (...) {
        // a pre-translation runs inside message loops and hooks: nothing may escape
    }
    return FALSE;
}
