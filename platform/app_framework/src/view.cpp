// CView and CFormView: the view class, painting through OnDraw, child dialogs from templates.
#include "framework_internal.h"

#include "app_framework/dc.h"
#include "app_framework/view.h"

#include <cstring>
#include <vector>

namespace {

constexpr const char* kViewClass = "AppFramework.View";
constexpr const char* kDialogClass = "#32770";

HINSTANCE frameworkModule()
{
    HMODULE module = nullptr;
    ::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<LPCSTR>(&frameworkModule), &module);
    return module;
}

// Styles a template may carry that make no sense for a child pane.
constexpr DWORD kTopLevelStyles =
    WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | DS_MODALFRAME | WS_VISIBLE;
constexpr DWORD kTopLevelExStyles = WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE | WS_EX_APPWINDOW | WS_EX_TOPMOST;

// A copy of the template with the style turned into a child pane's. Both
// layouts are handled: DLGTEMPLATEEX (version 1, signature 0xFFFF, help id,
// extended style, style) and DLGTEMPLATE (style, extended style).
std::vector<BYTE> childTemplate(HINSTANCE module, UINT templateId, DWORD style)
{
    HRSRC resource = ::FindResourceA(module, MAKEINTRESOURCEA(templateId), MAKEINTRESOURCEA(5)); // RT_DIALOG
    if (!resource)
        return {};
    HGLOBAL loaded = ::LoadResource(module, resource);
    DWORD size = ::SizeofResource(module, resource);
    const void* data = loaded ? ::LockResource(loaded) : nullptr;
    if (!data || size < 18)
        return {};
    std::vector<BYTE> copy(static_cast<const BYTE*>(data), static_cast<const BYTE*>(data) + size);
    WORD version = 0, signature = 0;
    std::memcpy(&version, copy.data(), 2);
    std::memcpy(&signature, copy.data() + 2, 2);
    size_t styleOffset = 0, exStyleOffset = 4;
    if (version == 1 && signature == 0xFFFF) {
        if (size < 26)
            return {};
        exStyleOffset = 8;
        styleOffset = 12;
    }
    DWORD oldStyle = 0, exStyle = 0;
    std::memcpy(&oldStyle, copy.data() + styleOffset, 4);
    std::memcpy(&exStyle, copy.data() + exStyleOffset, 4);
    DWORD newStyle = (oldStyle & ~kTopLevelStyles) | WS_CHILD | DS_CONTROL | (style & ~WS_VISIBLE);
    exStyle = (exStyle & ~kTopLevelExStyles) | WS_EX_CONTROLPARENT;
    std::memcpy(copy.data() + styleOffset, &newStyle, 4);
    std::memcpy(copy.data() + exStyleOffset, &exStyle, 4);
    return copy;
}

bool isKeyboardMessage(const MSG* msg)
{
    return msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST;
}

} // namespace

const char* AfxViewClassName()
{
    static const bool registered = [] {
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof wc;
        // Global: a plug-in creates views with its own instance handle.
        wc.style = CS_DBLCLKS | CS_GLOBALCLASS;
        wc.lpfnWndProc = ::DefWindowProcA;
        wc.hInstance = frameworkModule();
        wc.hCursor = ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)); // IDC_ARROW
        wc.lpszClassName = kViewClass;
        return ::RegisterClassExA(&wc) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    }();
    (void)registered;
    return kViewClass;
}

// ---- CView

BEGIN_MESSAGE_MAP(CView, CWnd)
    ON_WM_PAINT()
END_MESSAGE_MAP()

CView::CView() = default;
CView::~CView() = default;

BOOL CView::Create(const char* className, const char* windowName, DWORD style, const RECT& rect, CWnd* parent,
                   UINT id, void* param)
{
    if (!CWnd::Create(className ? className : AfxViewClassName(), windowName, style, rect, parent, id, param))
        return FALSE;
    OnInitialUpdate();
    return TRUE;
}

void CView::OnInitialUpdate()
{
}

void CView::OnPaint()
{
    CPaintDC dc(this);
    OnDraw(&dc);
}

// ---- CFormView

CFormView::CFormView(UINT templateId) : m_nIDTemplate(templateId)
{
}

CFormView::~CFormView() = default;

BOOL CFormView::Create(const char*, const char* windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id,
                       void*)
{
    if (m_hWnd || !parent || !parent->m_hWnd)
        return FALSE;
    HINSTANCE module = nullptr;
    for (HINSTANCE candidate : {AfxGetResourceHandle(), ::GetModuleHandleA(nullptr)}) {
        if (candidate && ::FindResourceA(candidate, MAKEINTRESOURCEA(m_nIDTemplate), MAKEINTRESOURCEA(5))) {
            module = candidate;
            break;
        }
    }
    if (!module)
        return FALSE;
    std::vector<BYTE> dialogTemplate = childTemplate(module, m_nIDTemplate, style);
    if (dialogTemplate.empty())
        return FALSE;
    AfxInitCommonControls();
    HWND window;
    {
        AfxCreationHook hook(this, kDialogClass);
        window = ::CreateDialogIndirectParamA(module, reinterpret_cast<LPCDLGTEMPLATEA>(dialogTemplate.data()),
                                              parent->m_hWnd, &AfxDlgProc, 0);
    }
    if (!window)
        return FALSE;
    if (m_hWnd != window) {
        if (!CWnd::FromHandlePermanent(window))
            ::DestroyWindow(window);
        return FALSE;
    }
    ::SetWindowLongPtrA(m_hWnd, GWLP_ID, static_cast<LONG_PTR>(id));
    if (windowName)
        ::SetWindowTextA(m_hWnd, windowName);
    ::SetWindowPos(m_hWnd, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    OnInitialUpdate();
    if (m_hWnd && (style & WS_VISIBLE))
        ::ShowWindow(m_hWnd, SW_SHOWNOACTIVATE);
    return m_hWnd != nullptr;
}

void CFormView::OnDraw(CDC*)
{
}

void CFormView::OnInitialUpdate()
{
    UpdateData(FALSE);
}

BOOL CFormView::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (message == WM_INITDIALOG) {
        *result = FALSE; // a pane takes no focus when it is made
        return TRUE;
    }
    if (message == WM_PAINT)
        return FALSE; // the dialog manager paints the controls' pane
    return CView::OnWndMsg(message, wParam, lParam, result);
}

BOOL CFormView::PreTranslateMessage(MSG* msg)
{
    if (!m_hWnd || !isKeyboardMessage(msg))
        return FALSE;
    if (msg->hwnd != m_hWnd && !::IsChild(m_hWnd, msg->hwnd))
        return FALSE;
    HWND top = ::GetAncestor(m_hWnd, GA_ROOT);
    char name[16] = {};
    if (top && ::GetClassNameA(top, name, sizeof name) && std::strcmp(name, kDialogClass) == 0)
        return FALSE; // the top-level dialog tabs through this pane too
    return ::IsDialogMessageA(m_hWnd, msg);
}
