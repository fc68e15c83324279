// The control dialog: initialisation, buttons, header, write-back timer and window life.
#include "KIV_KL7700CtrlDlg.h"

#include "PluginShared.h"
#include "resource.h"
#include "win32/module.h"

#include "kl7700/Commands.h"

namespace {

constexpr COLORREF kHeaderBackground = RGB(0, 0, 0);
constexpr COLORREF kHeaderText = RGB(0xFF, 0xFF, 0xFF);
constexpr COLORREF kErrorBackground = 0x0000FF; // red as a Windows colour value
constexpr UINT kStatusBarId = 0xE801;
constexpr int kTipWidth = 250;
constexpr int kHeaderIds[] = {IDC_CAMERA_NAME_TEXT, IDC_SERIAL_NUMBER_TEXT, IDC_VERSION_TEXT, IDC_RESOLUTION_TEXT,
                              IDC_VARIANT_CODE_TEXT, IDC_FRAME_RATE_TEXT, IDC_DATA_RATE_TEXT};
constexpr const char* kCaption = "Sorvel SX-20 / KL-7700";

struct Tip {
    int id;
    const char* text;
};
constexpr Tip kTips[] = {
    {IDC_CAMERA_NAME_TEXT, "Camera name."},
    {IDC_SERIAL_NUMBER_TEXT, "Camera serial number."},
    {IDC_VARIANT_CODE_TEXT, "Camera product variant code."},
    {IDC_VERSION_TEXT, "Camera firmware version."},
    {IDC_RESOLUTION_TEXT, "Current resolution."},
    {IDC_FRAME_RATE_TEXT, "Current and maximum frame rate of the camera."},
    {IDC_DATA_RATE_TEXT, "Current and maximum data rate."},
    {IDC_READ_FROM_CAMERA, "Reload all parameters from camera."},
    {IDC_RXTX_DEBUG, "Show/Hide serial command debugging window."},
    {IDC_LOAD_DEFAULTS, "Load default values from camera. Right click to reset to factory default parameters."},
    {IDC_SAVE_DEFAULTS, "Save current parameters as default parameters in camera."},
};

bool IsWindowsXPOrLater()
{
    OSVERSIONINFOA os = {};
    os.dwOSVersionInfoSize = sizeof os;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!::GetVersionExA(&os)) return false;
#pragma GCC diagnostic pop
    return os.dwMajorVersion > 5 || (os.dwMajorVersion == 5 && os.dwMinorVersion >= 1);
}

// The common-controls library's major version, as its DllGetVersion reports it.
DWORD CommonControlsMajorVersion()
{
    struct VersionInfo {
        DWORD size, major, minor, build, platform;
    };
    using GetVersionFn = HRESULT(CALLBACK*)(VersionInfo*);
    HMODULE comctl = ::GetModuleHandleA("comctl32.dll");
    auto getVersion = win32::BindExport<GetVersionFn>(comctl, "DllGetVersion");
    VersionInfo info = {sizeof(VersionInfo), 0, 0, 0, 0};
    return getVersion != nullptr && SUCCEEDED(getVersion(&info)) ? info.major : 0;
}

} // namespace

BEGIN_MESSAGE_MAP(CKIV_KL7700CtrlDlg, CKIVDialog)
    ON_BN_CLICKED(IDC_READ_FROM_CAMERA, OnReadFromCamera)
    ON_BN_CLICKED(IDC_SAVE_DEFAULTS, OnSaveDefaults)
    ON_BN_CLICKED(IDC_LOAD_DEFAULTS, OnLoadDefaults)
    ON_BN_CLICKED(IDC_RXTX_DEBUG, OnRxTxDebug)
    ON_NOTIFY(TCN_SELCHANGE, IDC_PAGES, OnTabChange)
    ON_WM_TIMER()
    ON_WM_DESTROY()
    ON_WM_PAINT()
    ON_WM_CLOSE()
    ON_WM_CONTEXTMENU()
    ON_WM_SHOWWINDOW()
    ON_MESSAGE(WM_KL7700_DEBUG_HIDDEN, OnDebugWindowHidden)
END_MESSAGE_MAP()

CKIV_KL7700CtrlDlg::CKIV_KL7700CtrlDlg(CWnd* parent, kl7700::Clock* clock)
    : CKIVDialog(IDD_KL7700_CTRL, parent),
      m_ownClock(clock == nullptr ? std::make_unique<kl7700plugin::SystemClock>() : nullptr),
      m_session(nullptr, clock != nullptr ? *clock : *m_ownClock, *this),
      m_page1(this),
      m_page2(this)
{
}

CKIV_KL7700CtrlDlg::~CKIV_KL7700CtrlDlg()
{
    if (::IsWindow(m_hWnd)) DestroyWindow();
    m_debugWindow.reset();
}

BOOL CKIV_KL7700CtrlDlg::Create(HWND parent)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    AfxInitCommonControls(); // tab, spin and slider classes of the templates
    return CKIVDialog::Create(parent);
}

void CKIV_KL7700CtrlDlg::DoDataExchange(CDataExchange* dx)
{
    CKIVDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_READ_FROM_CAMERA, m_readButton);
    DDX_Control(dx, IDC_RXTX_DEBUG, m_debugButton);
    DDX_Control(dx, IDC_LOAD_DEFAULTS, m_loadButton);
    DDX_Control(dx, IDC_SAVE_DEFAULTS, m_saveButton);
    DDX_Control(dx, IDOK, m_closeButton);
    DDX_Control(dx, IDC_PAGES, m_pages);
    for (size_t i = 0; i < std::size(kHeaderIds); ++i) DDX_Control(dx, kHeaderIds[i], m_headerFields[i]);
    DDX_Text(dx, IDC_CAMERA_NAME_TEXT, m_cameraName);
    DDX_Text(dx, IDC_SERIAL_NUMBER_TEXT, m_serialNumber);
    DDX_Text(dx, IDC_VERSION_TEXT, m_version);
    DDX_Text(dx, IDC_RESOLUTION_TEXT, m_resolution);
    DDX_Text(dx, IDC_VARIANT_CODE_TEXT, m_variantCode);
    DDX_Text(dx, IDC_FRAME_RATE_TEXT, m_frameRate);
    DDX_Text(dx, IDC_DATA_RATE_TEXT, m_dataRate);
}

BOOL CKIV_KL7700CtrlDlg::OnInitDialog()
{
    CKIVDialog::OnInitDialog();
    kl7700plugin::PluginDialogWindows().Add(m_hWnd);
    m_session.SetDevice(m_pDeviceComm != nullptr ? &m_device : nullptr);
    m_device.Attach(m_pDeviceComm);

    for (CColorStatic& field : m_headerFields) {
        field.SetBkColor(kHeaderBackground);
        field.SetTextColor(kHeaderText);
        field.SetWindowText("");
    }

    m_page1.Create(&m_pages);
    m_page2.Create(&m_pages);
    EnablePageThemes();
    CreateStatusBar();

    RECT tab = {}, button = {}, client = {};
    m_pages.GetWindowRect(&tab);
    m_readButton.GetWindowRect(&button);
    GetClientRect(&client);
    m_tabGap = button.top - tab.bottom;
    m_sideMargin = (client.right - client.left) - (tab.right - tab.left);

    m_pages.AddPage(&m_page1, "Image Parameters");
    m_pages.AddPage(&m_page2, "Timer && Hardware Parameters");
    m_pages.SetCurSel(0);
    m_pages.SelectPage();

    m_debugWindow = std::make_unique<CRxTxDebugDlg>(this);
    m_debugWindow->Create(this);

    if (m_pDeviceComm != nullptr) ProbePrompt();
    CreateToolTips();

    ReadCameraAndShow();
    LayoutWindow();
    m_initialised = true;
    if (!m_session.CommunicationError()) SetTimer(kWriteBackTimerId, kWriteBackPeriodMs);
    return TRUE;
}

void CKIV_KL7700CtrlDlg::ReadCameraAndShow()
{
    m_session.ResetRecords();
    m_session.ReadFromCamera(); // the full read, the rules of lines, line increment, Camera Link mode and frame duration, and a refresh
}

bool CKIV_KL7700CtrlDlg::ProbePrompt() { return m_session.WakeCamera(); }

void CKIV_KL7700CtrlDlg::EnablePageThemes()
{
    m_themeLibrary.reset(::LoadLibraryA("UxTheme.dll"));
    if (!m_themeLibrary) return;
    using IsThemeFn = BOOL(WINAPI*)();
    using EnableTextureFn = HRESULT(WINAPI*)(HWND, DWORD);
    auto isAppThemed = win32::BindExport<IsThemeFn>(m_themeLibrary.get(), "IsAppThemed");
    auto isThemeActive = win32::BindExport<IsThemeFn>(m_themeLibrary.get(), "IsThemeActive");
    auto enableTexture = win32::BindExport<EnableTextureFn>(m_themeLibrary.get(), "EnableThemeDialogTexture");
    if (isAppThemed == nullptr || isThemeActive == nullptr || enableTexture == nullptr) return;
    if (IsWindowsXPOrLater() && isAppThemed() && isThemeActive() && CommonControlsMajorVersion() >= 6) {
        constexpr DWORD kTabTexture = 6; // enable, with the tab's texture
        enableTexture(m_page1.m_hWnd, kTabTexture);
        enableTexture(m_page2.m_hWnd, kTabTexture);
    }
}

void CKIV_KL7700CtrlDlg::CreateStatusBar()
{
    m_statusBar.Create(WS_CHILD | WS_VISIBLE, RECT{0, 0, 0, 0}, this, kStatusBarId);
    const std::string version = kl7700plugin::StatusBarVersionText();
    int versionWidth = 0;
    if (win32::UniqueWindowDC dc = win32::GetWindowDC(m_statusBar.m_hWnd)) {
        HGDIOBJ previous = ::SelectObject(dc.get(), reinterpret_cast<HFONT>(m_statusBar.SendMessage(WM_GETFONT)));
        SIZE size = {};
        ::GetTextExtentPoint32A(dc.get(), version.c_str(), static_cast<int>(version.size()), &size);
        versionWidth = size.cx;
        ::SelectObject(dc.get(), previous);
    }
    m_versionPaneWidth = versionWidth + 8; // the text plus the pane's borders
    SizeStatusPanes();
    m_statusBar.SetText(version.c_str(), 1);
    m_statusBar.SendMessage(WM_SIZE);
}

// Pane 0 takes what pane 1, exactly as wide as the version text, leaves.
void CKIV_KL7700CtrlDlg::SizeStatusPanes()
{
    RECT client = {};
    GetClientRect(&client);
    const int parts[2] = {std::max(0, static_cast<int>(client.right) - m_versionPaneWidth), -1};
    m_statusBar.SetParts(2, parts);
}

void CKIV_KL7700CtrlDlg::CreateToolTips()
{
    m_toolTip.Create(this, TTS_ALWAYSTIP);
    m_toolTip.SetMaxTipWidth(kTipWidth);
    for (const Tip& tip : kTips) {
        if (CWnd* control = GetDlgItem(tip.id)) m_toolTip.AddTool(control, tip.text);
    }
    m_toolTip.Activate(TRUE);
}

void CKIV_KL7700CtrlDlg::RefreshPages()
{
    if (::IsWindow(m_pages.m_hWnd)) m_pages.TransferAll(false);
    RefreshHeader();
}

void CKIV_KL7700CtrlDlg::RefreshHeader()
{
    const kl7700::HeaderTexts& texts = m_session.RefreshHeader();
    m_cameraName = texts.cameraName;
    m_serialNumber = texts.serialNumber;
    m_version = texts.version;
    m_resolution = texts.resolution;
    m_variantCode = texts.variantCode;
    m_frameRate = texts.frameRate;
    m_dataRate = texts.dataRate;
    if (!::IsWindow(m_hWnd)) return;
    if (m_nameShowsError != texts.showsError) {
        m_nameShowsError = texts.showsError;
        m_headerFields[0].SetBkColor(texts.showsError ? kErrorBackground : kHeaderBackground);
    }
    m_loadButton.EnableWindow(texts.defaultsEnabled);
    m_saveButton.EnableWindow(texts.defaultsEnabled);
    UpdateData(FALSE);
}

void CKIV_KL7700CtrlDlg::LayoutWindow()
{
    if (!::IsWindow(m_pages.m_hWnd)) return;
    m_pages.SelectPage();
    RECT tab = {};
    m_pages.GetWindowRect(&tab);
    ScreenToClient(&tab);
    int rowTop = tab.bottom + m_tabGap;
    int rowHeight = 0;
    for (CButton* button : {&m_readButton, &m_debugButton, &m_loadButton, &m_saveButton}) {
        RECT r = {};
        button->GetWindowRect(&r);
        ScreenToClient(&r);
        rowHeight = r.bottom - r.top;
        button->SetWindowPos(nullptr, r.left, rowTop, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    RECT close = {};
    m_closeButton.GetWindowRect(&close);
    ScreenToClient(&close);
    const int closeTop = rowTop + rowHeight + m_tabGap;
    m_closeButton.SetWindowPos(nullptr, close.left, closeTop, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);

    RECT bar = {};
    m_statusBar.GetWindowRect(&bar);
    const int clientWidth = (tab.right - tab.left) + m_sideMargin;
    const int clientHeight = closeTop + (close.bottom - close.top) + m_tabGap + (bar.bottom - bar.top);
    RECT frame = {0, 0, clientWidth, clientHeight};
    ::AdjustWindowRectEx(&frame, GetStyle(), FALSE, GetExStyle());
    SetWindowPos(nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    m_statusBar.SendMessage(WM_SIZE);
    SizeStatusPanes();
    Invalidate();
}

// ---- session notices

void CKIV_KL7700CtrlDlg::OnSerialLog(kl7700::LogKind kind, std::string_view bytes)
{
    if (m_debugWindow != nullptr && ::IsWindow(m_debugWindow->m_hWnd)) m_debugWindow->AddLog(static_cast<int>(kind), bytes);
}

void CKIV_KL7700CtrlDlg::OnStatusText(std::string_view text)
{
    if (::IsWindow(m_statusBar.m_hWnd)) m_statusBar.SetText(std::string(text).c_str(), 0);
}

void CKIV_KL7700CtrlDlg::OnHeaderChanged() { RefreshHeader(); }

void CKIV_KL7700CtrlDlg::OnPagesChanged() { RefreshPages(); }

void CKIV_KL7700CtrlDlg::OnVariantText(std::string_view text)
{
    if (::IsWindow(m_toolTip.m_hWnd)) {
        m_toolTip.UpdateTipText(std::string(text).c_str(), GetDlgItem(IDC_VARIANT_CODE_TEXT));
    }
}

void CKIV_KL7700CtrlDlg::OnWriteBackTimer(bool running)
{
    if (!::IsWindow(m_hWnd)) return;
    if (running)
        SetTimer(kWriteBackTimerId, kWriteBackPeriodMs);
    else
        KillTimer(kWriteBackTimerId);
}

// ---- messages

void CKIV_KL7700CtrlDlg::OnTimer(UINT_PTR id)
{
    if (id == kWriteBackTimerId) m_session.WriteChangedParameters();
    CKIVDialog::OnTimer(id);
}

void CKIV_KL7700CtrlDlg::OnReadFromCamera()
{
    kl7700plugin::WaitCursor wait;
    m_session.ReadFromCamera();
}

bool CKIV_KL7700CtrlDlg::Ask(const char* question)
{
    return AfxShowMessageBox(m_hWnd, question, kCaption, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void CKIV_KL7700CtrlDlg::OnSaveDefaults()
{
    if (!Ask("Save current settings as default values?")) return;
    kl7700plugin::WaitCursor wait;
    m_session.SaveDefaults();
}

void CKIV_KL7700CtrlDlg::OnLoadDefaults()
{
    if (!Ask("Load default settings from camera?")) return;
    kl7700plugin::WaitCursor wait;
    m_session.LoadDefaults(); // the command, the full read and a refresh of the pages
}

void CKIV_KL7700CtrlDlg::ResetToFactory()
{
    m_session.ResetToFactory();
}

BOOL CKIV_KL7700CtrlDlg::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (LOWORD(wParam) == ID_RESET_TO_FACTORY && lParam == 0) {
        ResetToFactory();
        return TRUE;
    }
    return CKIVDialog::OnCommand(wParam, lParam);
}

void CKIV_KL7700CtrlDlg::OnContextMenu(CWnd* window, CPoint point)
{
    if (window == nullptr || window->m_hWnd != m_loadButton.m_hWnd || !m_loadButton.IsWindowEnabled()) return;
    CMenu menu;
    if (!menu.CreatePopupMenu()) return;
    menu.AppendMenu(MF_STRING | (ResetMenuItemEnabled() ? 0u : MF_GRAYED), ID_RESET_TO_FACTORY,
                    "Reset to factory parameters");
    if (point.x == -1 && point.y == -1) { // from the keyboard: below the button
        RECT r = {};
        m_loadButton.GetWindowRect(&r);
        point = CPoint(r.left, r.bottom);
    }
    menu.TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON, point.x, point.y, this);
}

void CKIV_KL7700CtrlDlg::OnRxTxDebug()
{
    if (m_debugWindow == nullptr || !::IsWindow(m_debugWindow->m_hWnd)) return;
    m_debugWindow->ShowWindow(m_debugButton.GetCheck() == BST_CHECKED ? SW_SHOW : SW_HIDE);
}

LRESULT CKIV_KL7700CtrlDlg::OnDebugWindowHidden(WPARAM, LPARAM)
{
    m_debugButton.SetCheck(BST_UNCHECKED);
    return 0;
}

void CKIV_KL7700CtrlDlg::HideDebugWindow()
{
    if (m_debugWindow != nullptr && ::IsWindow(m_debugWindow->m_hWnd)) m_debugWindow->ShowWindow(SW_HIDE);
    m_debugButton.SetCheck(BST_UNCHECKED);
}

void CKIV_KL7700CtrlDlg::OnTabChange(NMHDR*, LRESULT* result)
{
    LayoutWindow();
    *result = 0;
}

void CKIV_KL7700CtrlDlg::OnOK()
{
    HideDebugWindow();
    CWnd* focus = CWnd::GetFocus();
    if (focus != nullptr && focus->m_hWnd == m_closeButton.m_hWnd) {
        CKIVDialog::OnOK();
        return;
    }
    // Enter in a page's field applies that field, as the page's own Enter does.
    for (int i = 0; i < m_pages.PageCount(); ++i) {
        CDialogPage* page = m_pages.Page(i);
        if (focus != nullptr && page != nullptr && ::IsChild(page->m_hWnd, focus->m_hWnd)) {
            page->OnEnterKey(focus->GetDlgCtrlID());
        }
    }
}

void CKIV_KL7700CtrlDlg::OnClose()
{
    HideDebugWindow();
    CKIVDialog::OnClose();
}

void CKIV_KL7700CtrlDlg::OnShowWindow(BOOL show, UINT status)
{
    CKIVDialog::OnShowWindow(show, status);
    if (!show || !m_initialised) return;
    // The first showing follows the read of the initialisation; every later one reads again.
    if (m_firstShow) {
        m_firstShow = false;
        return;
    }
    ReadCameraAndShow();
    LayoutWindow();
}

// Validates the window; the controls draw everything there is to see.
void CKIV_KL7700CtrlDlg::OnPaint()
{
    PAINTSTRUCT paint;
    ::BeginPaint(m_hWnd, &paint);
    ::EndPaint(m_hWnd, &paint);
}

void CKIV_KL7700CtrlDlg::OnDestroy()
{
    KillTimer(kWriteBackTimerId);
    CKIVDialog::OnDestroy();
    kl7700plugin::PluginDialogWindows().Remove(m_hWnd);
    if (::IsWindow(m_toolTip.m_hWnd)) m_toolTip.DestroyWindow();
}

// Mouse messages are shown to the tooltip (relative to the control under the
// mouse) and then dispatched as usual.
BOOL CKIV_KL7700CtrlDlg::PreTranslateMessage(MSG* msg)
{
    if (msg->message >= WM_MOUSEFIRST && msg->message <= WM_MOUSELAST) {
        if (::IsWindow(m_toolTip.m_hWnd)) {
            MSG relayed = *msg;
            POINT screen = msg->pt;
            HWND target = reinterpret_cast<HWND>(
                m_toolTip.SendMessage(TTM_WINDOWFROMPOINT, 0, reinterpret_cast<LPARAM>(&screen)));
            if (target != nullptr) {
                relayed.hwnd = target;
                POINT client = msg->pt;
                ::ScreenToClient(target, &client);
                relayed.lParam = MAKELPARAM(client.x, client.y);
            }
            m_toolTip.RelayEvent(&relayed);
        }
        return FALSE;
    }
    return CKIVDialog::PreTranslateMessage(msg);
}
