// FramixView's main window.
#include "ViewerDlg.h"

#include "resource.h"

#include "PngWriter.h"
#include "UnifiedCamera.h"
#include "UnifiedGfxMode.h"
#include "UnifiedGrabber.h"

#include "config_store/IniFile.h"

#include "app_framework/file_dialog.h"

#include <cstdarg>
#include <cstdio>

namespace framixview {
namespace {

constexpr UINT_PTR kStatusTimer = 1;
constexpr UINT kStatusMs = 250;
const char kSection[] = "FramixView";

uint64_t NowMs()
{
    return GetTickCount64();
}

std::string Format(const char* format, ...)
{
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

} // namespace

BEGIN_MESSAGE_MAP(CViewerDlg, CDialog)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_WM_SIZE()
    ON_WM_TIMER()
    ON_WM_DESTROY()
    ON_MESSAGE(WM_VIEW_FRAME, OnFrame)
    ON_MESSAGE(WM_VIEW_CAMCFG, OnCamCfgChange)
    ON_COMMAND(ID_CAMERA_SELECT, OnSelectCamera)
    ON_COMMAND(ID_CAMERA_OPEN, OnOpenCamera)
    ON_COMMAND(ID_CAMERA_CLOSE, OnCloseCamera)
    ON_COMMAND(ID_CAMERA_LIVE, OnLive)
    ON_COMMAND(ID_CAMERA_SNAP, OnSnap)
    ON_COMMAND(ID_CAMERA_STOP, OnStop)
    ON_COMMAND(ID_CAMERA_FEATURES, OnFeatures)
    ON_COMMAND(ID_CAMERA_SERIAL, OnSerialPort)
    ON_COMMAND(ID_FILE_SAVE_PNG, OnSavePng)
    ON_COMMAND(ID_FILE_EXIT, OnExit)
END_MESSAGE_MAP()

CViewerDlg::CViewerDlg(CUnifiedGrabber& grabber, CIniFile_0* store, CWnd* parent)
    : CDialog(IDD_FRAMIXVIEW, parent), grabber_(grabber), store_(store)
{
}

CViewerDlg::~CViewerDlg() = default;

BOOL CViewerDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetIcon(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_FRAMIXVIEW)), TRUE);
    status_.Create(WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, CRect(0, 0, 0, 0), this, IDC_VIEW_STATUS);
    LayoutStatus();
    RestorePlacement();
    // Without a camera kept from last time, the network's first one, so Live works at once.
    if (!grabber_.GetActCamera() && grabber_.GetNumCameras() > 0 && grabber_.SetActCameraIndex(0) == UG_OK)
        Message("The network's first camera; Camera > Select camera chooses another.");
    grabber_.InstCamCfgChangeCallBack(&CViewerDlg::CamCfgChanged, this);
    SetTimer(kStatusTimer, kStatusMs);
    UpdateStatus();
    UpdateMenu();
    return TRUE;
}

void CViewerDlg::OnDestroy()
{
    // The acquisition ends before the callbacks go: a callback running on the
    // grabber's thread must never find this window gone.
    StopAcquisition();
    grabber_.InstPostProcessCallBack(nullptr, nullptr);
    grabber_.InstCamCfgChangeCallBack(nullptr, nullptr);
    KillTimer(kStatusTimer);
    SavePlacement();
    CDialog::OnDestroy();
}

void CViewerDlg::OnCancel()
{
    // Escape does not end the viewer; the close box and File > Exit do.
    if (GetKeyState(VK_ESCAPE) < 0)
        return;
    EndDialog(IDCANCEL);
}

void CViewerDlg::OnExit()
{
    EndDialog(IDOK);
}

BOOL CViewerDlg::PreTranslateMessage(MSG* msg)
{
    if (msg->message == WM_KEYDOWN && (msg->hwnd == m_hWnd || IsChild(CWnd::FromHandle(msg->hwnd)))) {
        const bool control = GetKeyState(VK_CONTROL) < 0;
        UINT command = 0;
        if (msg->wParam == VK_F5)
            command = ID_CAMERA_LIVE;
        else if (msg->wParam == VK_F6)
            command = ID_CAMERA_SNAP;
        else if (msg->wParam == VK_F7)
            command = ID_CAMERA_STOP;
        else if (control && msg->wParam == 'S')
            command = ID_FILE_SAVE_PNG;
        if (command) {
            SendMessage(WM_COMMAND, command);
            return TRUE;
        }
    }
    return CDialog::PreTranslateMessage(msg);
}

// ---------------------------------------------------------------- frames

void CViewerDlg::FrameArrived(void* context, uint64_t bufferIndex, uint32_t)
{
    // The grabber's thread: count, remember the buffer, and ask for a redraw only
    // when none is pending, so a fast camera never fills the window's queue. Frames
    // that arrive while one is being drawn are counted, not shown.
    auto* self = static_cast<CViewerDlg*>(context);
    self->lastIndex_.store(bufferIndex);
    self->lastFrameMs_.store(NowMs());
    self->received_.fetch_add(1);
    if (!self->framePending_.exchange(true))
        ::PostMessageA(self->m_hWnd, WM_VIEW_FRAME, 0, 0);
}

void CViewerDlg::CamCfgChanged(void* context)
{
    ::PostMessageA(static_cast<CViewerDlg*>(context)->m_hWnd, WM_VIEW_CAMCFG, 0, 0);
}

LRESULT CViewerDlg::OnFrame(WPARAM, LPARAM)
{
    framePending_.store(false);
    DrawLastFrame();
    return 0;
}

LRESULT CViewerDlg::OnCamCfgChange(WPARAM, LPARAM)
{
    UpdateStatus();
    return 0;
}

bool CViewerDlg::ReadLayout(FrameLayout& layout)
{
    CUnifiedCamera* camera = grabber_.GetActCamera();
    CUnifiedGfxMode* mode = camera ? camera->GetActGfxMode() : nullptr;
    if (!mode)
        return false;
    layout.width = mode->GetxRes();
    layout.height = mode->GetyRes();
    layout.components = mode->GetNumComponents();
    layout.allocatedBits = mode->GetAllocatedBitPerComponent();
    layout.significantBits = mode->GetBitPerComponent();
    layout.coding = mode->GetColorCoding();
    layout.cfaX = layout.coding == UG_CC_RAW_CFA ? mode->GetCFAxOffset() : 0;
    layout.cfaY = layout.coding == UG_CC_RAW_CFA ? mode->GetCFAyOffset() : 0;
    return true;
}

void CViewerDlg::DrawLastFrame()
{
    const uint64_t index = lastIndex_.load();
    const void* pixels = grabber_.GetFrameBuffer(index);
    if (!pixels)
        return;
    const std::string why = Unsupported(layout_);
    if (!why.empty()) {
        Message("Cannot show this image: " + why);
        return;
    }
    if (!ToDisplay(layout_, pixels, static_cast<size_t>(layout_.FrameBytes()), image_))
        return;
    ++drawn_;
    CRect client;
    GetClientRect(&client);
    ::InvalidateRect(m_hWnd, &client, FALSE);
}

BOOL CViewerDlg::OnEraseBkgnd(CDC*)
{
    return TRUE; // OnPaint fills every pixel
}

void CViewerDlg::OnPaint()
{
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(m_hWnd, &ps);
    CRect client;
    GetClientRect(&client);
    CRect bar(0, 0, 0, 0);
    if (status_.m_hWnd)
        status_.GetWindowRect(&bar);
    const int areaHeight = client.Height() - bar.Height();
    HBRUSH background = static_cast<HBRUSH>(GetStockObject(DKGRAY_BRUSH));
    Placement p;
    if (!image_.empty())
        p = FitImage(layout_.width, layout_.height, client.Width(), areaHeight);
    // The bars beside the picture, then the picture, so nothing flickers.
    RECT parts[4] = {{0, 0, client.Width(), p.y},
                     {0, p.y + p.height, client.Width(), areaHeight},
                     {0, p.y, p.x, p.y + p.height},
                     {p.x + p.width, p.y, client.Width(), p.y + p.height}};
    if (image_.empty()) {
        RECT all = {0, 0, client.Width(), areaHeight};
        FillRect(dc, &all, background);
    } else {
        for (const RECT& r : parts)
            if (r.right > r.left && r.bottom > r.top)
                FillRect(dc, &r, background);
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = static_cast<LONG>(layout_.width);
        info.bmiHeader.biHeight = -static_cast<LONG>(layout_.height); // top row first
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        SetStretchBltMode(dc, p.width < static_cast<int>(layout_.width) ? HALFTONE : COLORONCOLOR);
        SetBrushOrgEx(dc, 0, 0, nullptr);
        StretchDIBits(dc, p.x, p.y, p.width, p.height, 0, 0, static_cast<int>(layout_.width),
                      static_cast<int>(layout_.height), image_.data(), &info, DIB_RGB_COLORS, SRCCOPY);
    }
    ::EndPaint(m_hWnd, &ps);
}

void CViewerDlg::OnSize(UINT, int, int)
{
    LayoutStatus();
    Invalidate(FALSE);
}

void CViewerDlg::LayoutStatus()
{
    if (status_.m_hWnd) {
        status_.SendMessage(WM_SIZE);
        const int widths[kPaneCount] = {110, 80, 100, 70, 100, 70, -1};
        int edges[kPaneCount];
        int x = 0;
        for (int i = 0; i < kPaneCount; ++i) {
            x += widths[i];
            edges[i] = widths[i] < 0 ? -1 : x;
        }
        status_.SetParts(kPaneCount, edges);
    }
}

void CViewerDlg::OnTimer(UINT_PTR id)
{
    if (id != kStatusTimer)
        return;
    const uint64_t now = NowMs();
    const uint64_t received = received_.load();
    // The rate counts arrivals as the timer sees them; the arrival times are the grabber thread's.
    for (; rateSeen_ < received; ++rateSeen_) rate_.Frame(lastFrameMs_.load());
    if (live_ && grabber_.GetSnapMode() == UG_SNAP_CONTINUOUS) {
        const uint64_t last = lastFrameMs_.load();
        if (!silent_ && now > last + silenceMs_) {
            silent_ = true;
            CUnifiedCamera* camera = grabber_.GetActCamera();
            Message(Format("No frames from %s for %.1f s: unplugged? Last image kept.",
                           camera ? camera->GetCameraName() : "the camera", double(silenceMs_) / 1000.0));
        } else if (silent_ && now <= last + silenceMs_) {
            silent_ = false;
            Message("Frames arrive again.");
        }
    }
    UpdateStatus();
}

// ---------------------------------------------------------------- commands

void CViewerDlg::OnSelectCamera()
{
    StopAcquisition();
    int32_t exitCode = 0;
    const UG_ERRCODE r = grabber_.SelectCameraDialog(m_hWnd, &exitCode);
    if (r != UG_OK)
        Failed("Select camera", r);
    else if (exitCode == 1) {
        image_.clear();
        Invalidate(FALSE);
        Message("Camera selected; Open starts it.");
    }
    UpdateStatus();
    UpdateMenu();
}

void CViewerDlg::OnOpenCamera()
{
    const UG_ERRCODE r = grabber_.OpenActCamera();
    if (r != UG_OK)
        Failed("Open", r);
    else
        Message("Camera open.");
    UpdateStatus();
    UpdateMenu();
}

void CViewerDlg::OnCloseCamera()
{
    StopAcquisition();
    const UG_ERRCODE r = grabber_.CloseActCamera();
    if (r != UG_OK)
        Failed("Close", r);
    else
        Message("Camera closed.");
    UpdateStatus();
    UpdateMenu();
}

bool CViewerDlg::StartSnap(int32_t type)
{
    if (grabber_.GetSnapMode() != UG_SNAP_IDLE)
        StopAcquisition();
    if (!grabber_.IsActCameraOpen()) {
        const UG_ERRCODE opened = grabber_.OpenActCamera();
        if (opened != UG_OK) {
            Failed("Open", opened);
            return false;
        }
    }
    if (!grabber_.AreBuffersReady()) {
        const UG_ERRCODE prepared = grabber_.PrepareFrameBuffers();
        if (prepared != UG_OK) {
            Failed("Prepare frame buffers", prepared);
            return false;
        }
    }
    if (!ReadLayout(layout_)) {
        Message("The camera has no graphics mode.");
        return false;
    }
    received_.store(0);
    rateSeen_ = 0;
    rate_.Reset();
    lastFrameMs_.store(NowMs());
    silent_ = false;
    grabber_.InstPostProcessCallBack(&CViewerDlg::FrameArrived, this);
    const UG_ERRCODE r = grabber_.Snap(type);
    if (r != UG_OK) {
        grabber_.InstPostProcessCallBack(nullptr, nullptr);
        Failed(type == UG_SNAP_CONTINUOUS ? "Live" : "Snap", r);
        return false;
    }
    return true;
}

void CViewerDlg::OnLive()
{
    live_ = StartSnap(UG_SNAP_CONTINUOUS);
    if (live_)
        Message("Live.");
    UpdateStatus();
    UpdateMenu();
}

void CViewerDlg::OnSnap()
{
    live_ = false;
    if (StartSnap(UG_SNAP_ASYNC_SINGLE))
        Message("Single snap.");
    UpdateStatus();
    UpdateMenu();
}

void CViewerDlg::StopAcquisition()
{
    const int32_t mode = grabber_.GetSnapMode();
    if (mode == UG_SNAP_CONTINUOUS || mode == UG_SNAP_ASYNC_SINGLE) {
        const UG_ERRCODE r = grabber_.StopSnap();
        if (r != UG_OK)
            Failed("Stop", r);
    }
    live_ = false;
    silent_ = false;
}

void CViewerDlg::OnStop()
{
    const bool wasLive = live_ || grabber_.GetSnapMode() != UG_SNAP_IDLE;
    StopAcquisition();
    // A frame posted before the stop is still drawn: it is the last image.
    if (wasLive)
        Message("Stopped.");
    UpdateStatus();
    UpdateMenu();
}

void CViewerDlg::OnFeatures()
{
    const UG_ERRCODE r = grabber_.CamCntrlDialog(m_hWnd);
    if (r != UG_OK)
        Failed("Features", r);
}

void CViewerDlg::OnSerialPort()
{
    int32_t exitCode = 0;
    const UG_ERRCODE r = grabber_.SelectCmdDialog(m_hWnd, &exitCode);
    if (r != UG_OK)
        Failed("Serial port", r);
}

void CViewerDlg::OnSavePng()
{
    if (image_.empty()) {
        Message("No image to save yet.");
        return;
    }
    CFileDialog dialog(FALSE, "png", "FramixView.png", OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST,
                       "PNG images (*.png)|*.png|All files (*.*)|*.*||", this);
    if (dialog.DoModal() != IDOK)
        return;
    const std::string path = dialog.GetPathName();
    const std::string error = SaveShownImage(path);
    Message(error.empty() ? "Saved " + path : "Could not save " + path + ": " + error);
}

std::string CViewerDlg::SaveShownImage(const std::string& path)
{
    if (image_.empty())
        return "no image";
    FrameImage image;
    image.pixels = image_.data();
    image.width = layout_.width;
    image.height = layout_.height;
    image.components = 4;
    image.allocatedBits = 8;
    image.colorCoding = UG_CC_BGRA;
    return WritePng(path, image);
}

// ---------------------------------------------------------------- status

void CViewerDlg::Message(const std::string& text)
{
    message_ = text;
    if (status_.m_hWnd)
        status_.SetText(message_.c_str(), kPaneMessage);
}

void CViewerDlg::Failed(const char* what, uint32_t code)
{
    Message(Format("%s failed (code %u).", what, code));
}

std::string CViewerDlg::StatusText(StatusPane pane) const
{
    return status_.m_hWnd ? status_.GetText(pane) : std::string();
}

void CViewerDlg::UpdateStatus()
{
    if (!status_.m_hWnd)
        return;
    CUnifiedCamera* camera = grabber_.GetActCamera();
    status_.SetText(camera ? camera->GetCameraName() : "No camera", kPaneCamera);
    FrameLayout layout = layout_;
    if (camera && grabber_.IsActCameraOpen() && grabber_.GetSnapMode() == UG_SNAP_IDLE)
        ReadLayout(layout); // the mode may have changed since the last snap
    const bool known = camera && layout.width && layout.height;
    status_.SetText(known ? Format("%u x %u", layout.width, layout.height).c_str() : "", kPaneSize);
    status_.SetText(known ? DescribeFormat(layout).c_str() : "", kPaneFormat);
    status_.SetText(Format("%.1f fps", live_ && !silent_ ? rate_.PerSecond(NowMs()) : 0.0).c_str(), kPaneRate);
    const uint64_t received = received_.load();
    status_.SetText(Format("%llu received", static_cast<unsigned long long>(received)).c_str(), kPaneReceived);
    uint64_t counted = 0;
    std::string lost = "- lost";
    if (grabber_.IsActCameraOpen() && grabber_.GetGrabberParam(UG_FEATURE_FRAME_COUNTER, &counted, nullptr) == UG_OK)
        lost = Format("%llu lost", static_cast<unsigned long long>(counted > received ? counted - received : 0));
    status_.SetText(lost.c_str(), kPaneLost);
    status_.SetText(message_.c_str(), kPaneMessage);
}

void CViewerDlg::UpdateMenu()
{
    HMENU menu = ::GetMenu(m_hWnd);
    if (!menu)
        return;
    const bool camera = grabber_.GetActCamera() != nullptr;
    const bool open = camera && grabber_.IsActCameraOpen();
    const bool running = grabber_.GetSnapMode() != UG_SNAP_IDLE;
    const auto enable = [&](UINT id, bool on) { EnableMenuItem(menu, id, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED)); };
    enable(ID_CAMERA_OPEN, camera && !open);
    enable(ID_CAMERA_CLOSE, open);
    enable(ID_CAMERA_LIVE, camera);
    enable(ID_CAMERA_SNAP, camera);
    enable(ID_CAMERA_STOP, running);
    enable(ID_CAMERA_FEATURES, open);
}

// ---------------------------------------------------------------- placement

void CViewerDlg::RestorePlacement()
{
    if (!store_)
        return;
    int found = 0;
    const int32_t left = store_->GetInt(kSection, "WindowLeft", 0, &found);
    if (!found)
        return;
    const int32_t top = store_->GetInt(kSection, "WindowTop", 0, nullptr);
    const int32_t width = store_->GetInt(kSection, "WindowWidth", 0, nullptr);
    const int32_t height = store_->GetInt(kSection, "WindowHeight", 0, nullptr);
    if (width < 200 || height < 150)
        return;
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    ::GetWindowPlacement(m_hWnd, &placement);
    placement.rcNormalPosition = {left, top, left + width, top + height};
    // Only a placement that some monitor shows; a screen that went away must not hide the window.
    if (!MonitorFromRect(&placement.rcNormalPosition, MONITOR_DEFAULTTONULL))
        return;
    placement.showCmd = store_->GetInt(kSection, "Maximized", 0, nullptr) ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
    ::SetWindowPlacement(m_hWnd, &placement);
}

void CViewerDlg::SavePlacement()
{
    if (!store_)
        return;
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    if (!::GetWindowPlacement(m_hWnd, &placement))
        return;
    const RECT& r = placement.rcNormalPosition;
    store_->WriteInt(kSection, "WindowLeft", r.left);
    store_->WriteInt(kSection, "WindowTop", r.top);
    store_->WriteInt(kSection, "WindowWidth", r.right - r.left);
    store_->WriteInt(kSection, "WindowHeight", r.bottom - r.top);
    store_->WriteInt(kSection, "Maximized", placement.showCmd == SW_SHOWMAXIMIZED ? 1 : 0);
}

} // namespace framixview
