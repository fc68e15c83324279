// The feature control dialog of the grabber over the simulated camera library
// (mkApi.dll from bin/, its built-in network), driven by messages and read
// back through its controls: every data type's view filled, applied and
// reloaded, impacts, the acquisition stop, refused writes, side effects, the
// refresh timer, an unplugged camera, Close, Enter, layout and FramixHost.
#include "ZelmkAPIFeatureCtrlDialog.h"
#include "ValueViews.h"

#include "FramixZelmkAPIClass.h"
#include "GrabberLog.h"
#include "Win32BindingPlatform.h"
#include "app_framework_testing/message_sequence.h"
#include "app_framework_testing/message_tests.h"
#include "app_framework_testing/screenshot.h"
#include "config_store/IniFile.h"
#include "win32/module.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <mutex>

namespace {

namespace fs = std::filesystem;

constexpr UINT kNotification = WM_APP + 7;

const zelmk::CmkAPIAccess& Api()
{
    static zelmk::Win32BindingPlatform platform;
    static const zelmk::CmkAPIAccess* access = [] {
        ::SetEnvironmentVariableA("MKAPI_NETWORK", nullptr);
        _putenv("MKAPI_NETWORK=");
        return new zelmk::CmkAPIAccess(platform);
    }();
    return *access;
}

std::string Sim(const std::string& command)
{
    using Control = uint32_t(MKAPI_CALL*)(const char*, char*, uint32_t);
    const auto control = win32::BindExport<Control>(static_cast<HMODULE>(Api().Module()), "MkSimControl");
    if (!control) return "no MkSimControl";
    char reply[4096] = {};
    const uint32_t code = control(command.c_str(), reply, sizeof reply);
    return code == 0 ? std::string(reply) : "error " + std::to_string(code) + ": " + reply;
}
std::string CameraValue(const std::string& name) { return Sim("get 100001 " + name); }

DWORD NoWait(HANDLE, DWORD) { return WAIT_TIMEOUT; }

// The grabber with the framework's answers to the dialog's events in the
// test's hands, and each event noted with what the camera held at that moment.
class TestGrabber : public CFramixZelmkAPIClass {
public:
    using CFramixZelmkAPIClass::CFramixZelmkAPIClass;
    std::map<uint32_t, uint32_t> answers; // absent: the framework's own answer
    std::vector<std::string> events;
    std::string probe; // an attribute whose value is noted with each event

    uint32_t SignalCamCntrlDlgEvent(uint32_t event) override
    {
        events.push_back(std::to_string(event) + (probe.empty() ? "" : " " + CameraValue(probe)));
        const auto it = answers.find(event);
        return it != answers.end() ? it->second : CFramixZelmkAPIClass::SignalCamCntrlDlgEvent(event);
    }
    CZelmkAPIFeatureCtrlDialog* Dialog() const { return static_cast<CZelmkAPIFeatureCtrlDialog*>(m_pCamCntrlDlg); }
};

class FeatureDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Api().IsValid());
        Sim("fail clear");
        Sim("plug 100001");
        for (const char* reset : {"Width 640", "OffsetX 0", "PacketSize 1500", "Gain 0", "BlackLevel 0", "PixelFormat Mono8",
                                  "ReverseX False", "DeviceUserID Mono", "HeartbeatTimeout 3000"})
            Sim(std::string("set 100001 ") + reset);
        m_store.reset(CreateIniFile(INIKIND_MEM));
        m_log.SetCallback(&FeatureDialogTest::Record, this);
        m_grabber = std::make_unique<TestGrabber>(::GetModuleHandleA(nullptr), &Api());
        m_grabber->InitMembers();
        m_grabber->SetLog(&m_log);
        m_grabber->SetGrabberIni(m_store.get(), 0);
        m_grabber->SetLinkWait(&NoWait);
        m_grabber->SetSelectedUniqueId(100001);
        ASSERT_EQ(UG_OK, m_grabber->Init());
        ASSERT_EQ(UG_OK, m_grabber->OpenActCamera());
        ASSERT_EQ(UG_OK, m_grabber->CamCntrlDialog(nullptr));
        ASSERT_NE(nullptr, Dlg());
        ASSERT_TRUE(::IsWindow(Dlg()->GetSafeHwnd()));
        m_lines.clear();
    }
    void TearDown() override
    {
        m_grabber.reset();
        Sim("fail clear");
        Sim("plug 100001");
    }

    CZelmkAPIFeatureCtrlDialog* Dlg() const { return m_grabber->Dialog(); }
    CTreeCtrl& Tree() const { return *Dlg()->GetTreeCtrl(); }
    HTREEITEM Item(const std::string& path) const { return Dlg()->FindItemByPath(path, true); }
    std::string Row(const std::string& path) const
    {
        const HTREEITEM item = Item(path);
        return item ? Tree().GetItemText(item) : "(no row " + path + ")";
    }
    static std::string Name(const std::string& path) { return path.substr(path.rfind('/') + 1); }
    // Selects the row as a click would, through the tree's own message.
    void Select(const std::string& path)
    {
        const HTREEITEM item = Item(path);
        ASSERT_NE(nullptr, item) << path;
        Tree().SelectItem(item);
    }
    CValueView* View() const { return Dlg()->GetValueView(); }
    void Click(int id) const
    {
        CWnd* button = View()->GetDlgItem(id);
        View()->SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button ? button->m_hWnd : nullptr));
    }
    // The value as the view shows it: an edit's text or the list's selected entry.
    std::string Shown(int id) const
    {
        if (id != IDC_VALUE_ENUM) return View()->GetDlgItemText(id);
        const HWND list = View()->GetDlgItem(id)->m_hWnd;
        const LRESULT index = ::SendMessageA(list, CB_GETCURSEL, 0, 0);
        if (index < 0) return "(none)";
        char text[256] = {};
        ::SendMessageA(list, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
        return text;
    }
    void Enter(int id, const std::string& value) const
    {
        const HWND control = View()->GetDlgItem(id)->m_hWnd;
        if (id == IDC_VALUE_ENUM)
            ::SendMessageA(control, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(value.c_str()));
        else
            ::SetWindowTextA(control, value.c_str());
    }
    void Tick() const { Dlg()->SendMessage(WM_TIMER, CZelmkAPIFeatureCtrlDialog::kRefreshTimer, 0); }
    // The share of a window's client area it paints when asked to print itself on white.
    static double PaintedShare(HWND window)
    {
        CRect area;
        ::GetClientRect(window, &area);
        HDC screen = ::GetDC(window);
        HDC memory = ::CreateCompatibleDC(screen);
        HBITMAP bitmap = ::CreateCompatibleBitmap(screen, area.Width(), area.Height());
        HGDIOBJ previous = ::SelectObject(memory, bitmap);
        ::FillRect(memory, &area, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
        ::SendMessageA(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT);
        int painted = 0;
        for (int y = 0; y < area.Height(); ++y)
            for (int x = 0; x < area.Width(); ++x) painted += ::GetPixel(memory, x, y) != RGB(255, 255, 255);
        ::SelectObject(memory, previous);
        ::DeleteObject(bitmap);
        ::DeleteDC(memory);
        ::ReleaseDC(window, screen);
        return area.IsRectEmpty() ? 0.0 : double(painted) / (area.Width() * area.Height());
    }
    CRect ChildRect(CWnd* child) const
    {
        CRect r;
        child->GetWindowRect(&r);
        Dlg()->ScreenToClient(&r);
        return r;
    }

    static void Record(void* context, int level, const char* text)
    {
        auto* self = static_cast<FeatureDialogTest*>(context);
        std::lock_guard<std::mutex> guard(self->m_lock);
        self->m_lines.push_back(std::to_string(level) + " " + text);
    }
    bool Logged(const std::string& text)
    {
        std::lock_guard<std::mutex> guard(m_lock);
        for (const auto& line : m_lines)
            if (line.find(text) != std::string::npos) return true;
        return false;
    }

    struct StoreDeleter {
        void operator()(CIniFile* store) const { DeleteIniFile(store); }
    };
    std::unique_ptr<CIniFile, StoreDeleter> m_store;
    CGrabberLog m_log;
    std::mutex m_lock;
    std::vector<std::string> m_lines;
    std::unique_ptr<TestGrabber> m_grabber;
};

TEST_F(FeatureDialogTest, OpensWithTheTreeAndItsParts)
{
    CZelmkAPIFeatureCtrlDialog* dialog = Dlg();
    EXPECT_EQ("Camera Feature Control", dialog->GetWindowText());
    EXPECT_TRUE(dialog->IsWindowVisible());
    EXPECT_NE(0, dialog->SendMessage(WM_GETICON, ICON_SMALL, 0));
    EXPECT_EQ(nullptr, ::GetParent(dialog->m_hWnd));
    EXPECT_EQ(IDC_FEATURE_TREE_VIEW, dialog->GetTreeView()->GetDlgCtrlID());
    EXPECT_EQ(IDC_FEATURE_CONTAINER_VIEW, dialog->GetContainerView()->GetDlgCtrlID());
    EXPECT_EQ("cntview", dialog->GetContainerView()->GetWindowText());
    EXPECT_EQ("/", Tree().GetItemText(dialog->GetRootItem()));
    EXPECT_EQ("Width\t640", Row("/ImageFormat/Width"));
    EXPECT_EQ("Gain\t0.000000", Row("/Exposure/Gain"));
    EXPECT_EQ(nullptr, View()) << "nothing selected yet";

    // Registered with the grabber: its updates reach the dialog.
    m_grabber->UpdateCamCntrlDialogs(0x1234);
    EXPECT_EQ(0x1234u, dialog->GetUpdateMask());
    // ... and the update leaves each attribute once.
    int widths = 0;
    for (HTREEITEM i = Tree().GetChildItem(Item("/ImageFormat")); i; i = Tree().GetNextSiblingItem(i))
        widths += attr_editor::ColumnZero(Tree().GetItemText(i)) == "Width";
    EXPECT_EQ(1, widths);

    // Layout: the tree on top, the strip below it, "Close" in the corner.
    CRect client;
    dialog->GetClientRect(&client);
    const CRect tree = ChildRect(dialog->GetTreeView());
    const CRect strip = ChildRect(dialog->GetContainerView());
    const CRect close = ChildRect(dialog->GetDlgItem(IDC_FEATURE_CLOSE));
    EXPECT_EQ(CPoint(0, 0), tree.TopLeft());
    EXPECT_EQ(client.Width() - 1, tree.Width());
    EXPECT_EQ(tree.bottom + 1, strip.top);
    EXPECT_EQ(client.bottom - 1, strip.bottom) << "the strip ends one pixel above the bottom: client " << client.bottom
                                               << ", strip " << strip.top << ".." << strip.bottom << ", close " << close.top << ".." << close.bottom;
    EXPECT_LT(strip.right, close.left);
    // "Close" draws itself: a push button has its parent paint the background
    // into the button's DC first, which must leave that DC as it was.
    EXPECT_GT(PaintedShare(dialog->GetDlgItem(IDC_FEATURE_CLOSE)->m_hWnd), 0.1); // its frame and text at least
    // The strip is the button's height and a margin above and below, one pixel up from the bottom.
    EXPECT_EQ(close.top - strip.top - 1, client.bottom - close.bottom);
}

TEST_F(FeatureDialogTest, EveryTypeIsFilledAppliedWithClampingAndReloaded)
{
    struct Case {
        const char* path;
        UINT templateId;
        int control;
        const char* start;    // the camera's value before the selection
        const char* filled;   // what the view shows
        const char* typed;    // what the user enters
        const char* written;  // the camera's value after the apply (clamped)
        const char* shown;    // what the view shows afterwards
        const char* behind;   // changed on the camera behind the dialog's back
        const char* reloaded; // what the view shows after a reload
    };
    const Case cases[] = {
        {"/ImageFormat/Width", IDD_VALUE_UINT, IDC_VALUE_UINT_EDIT, "320", "320", "100000", "640", "640", "480", "480"},
        {"/Exposure/BlackLevel", IDD_VALUE_SINT, IDC_VALUE_SINT_EDIT, "5", "5", "-100", "-64", "-64", "12", "12"},
        {"/Exposure/Gain", IDD_VALUE_FLOAT, IDC_VALUE_FLOAT_EDIT, "2.5", "2.500000", "99", "24.000000", "24.000000", "1.25", "1.250000"},
        {"/DeviceInformation/DeviceUserID", IDD_VALUE_STRING, IDC_VALUE_STRING_EDIT, "Mono", "Mono", "Line 4", "Line 4", "Line 4", "Other", "Other"},
        {"/ImageFormat/PixelFormat", IDD_VALUE_ENUM, IDC_VALUE_ENUM, "Mono8", "Mono8", "Mono16", "Mono16", "Mono16", "Mono10", "Mono10"},
        {"/ImageFormat/ReverseX", IDD_VALUE_ENUM, IDC_VALUE_ENUM, "False", "False", "True", "True", "True", "False", "False"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const std::string name = Name(c.path);
        ASSERT_EQ("ok", Sim("set 100001 " + name + " " + c.start));
        Select(c.path);
        ASSERT_NE(nullptr, View());
        EXPECT_EQ(c.templateId, View()->m_nIDTemplate);
        EXPECT_EQ(name, View()->GetDlgItemText(IDC_VALUE_LABEL));
        EXPECT_EQ(c.filled, Shown(c.control));
        EXPECT_EQ(name, Dlg()->GetCurrentAttrName());
        if (c.templateId == IDD_VALUE_SINT || c.templateId == IDD_VALUE_UINT) {
            const HWND slider = View()->GetDlgItem(c.templateId == IDD_VALUE_SINT ? IDC_VALUE_SINT_SLIDER : IDC_VALUE_UINT_SLIDER)->m_hWnd;
            EXPECT_EQ(std::stoi(c.filled), ::SendMessageA(slider, TBM_GETPOS, 0, 0));
        }

        Enter(c.control, c.typed);
        Click(IDC_VALUE_APPLY);
        EXPECT_EQ(c.written, CameraValue(name));
        EXPECT_EQ(c.shown, Shown(c.control));
        EXPECT_EQ(name + "\t" + c.written, Row(c.path)) << "the row is read again";

        ASSERT_EQ("ok", Sim("set 100001 " + name + " " + c.behind));
        Click(IDC_VALUE_RELOAD);
        EXPECT_EQ(c.reloaded, Shown(c.control));
    }
    // A boolean offers False and True in that order.
    Select("/ImageFormat/ReverseX");
    const HWND list = View()->GetDlgItem(IDC_VALUE_ENUM)->m_hWnd;
    ASSERT_EQ(2, ::SendMessageA(list, CB_GETCOUNT, 0, 0));
    char first[16] = {};
    ::SendMessageA(list, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(first));
    EXPECT_STREQ("False", first);
}

TEST_F(FeatureDialogTest, SliderOfAWideRangeAndFloatJunk)
{
    Select("/GigE/HeartbeatTimeout"); // 500 .. 60000
    auto* uintView = static_cast<CUintValueView*>(View());
    ASSERT_NE(nullptr, uintView);
    EXPECT_EQ(500, uintView->m_slider.GetRangeMin());
    EXPECT_EQ(60000, uintView->m_slider.GetRangeMax());
    EXPECT_EQ(3000, uintView->m_slider.GetPos());
    uintView->m_slider.SetPos(60000);
    uintView->SendMessage(WM_HSCROLL, MAKEWPARAM(TB_ENDTRACK, 0), reinterpret_cast<LPARAM>(uintView->m_slider.m_hWnd));
    EXPECT_EQ("60000", uintView->m_edit.GetWindowText());
    Click(IDC_VALUE_APPLY);
    EXPECT_EQ("60000", CameraValue("HeartbeatTimeout"));

    Select("/Exposure/Gain");
    Enter(IDC_VALUE_FLOAT_EDIT, "12.5abc");
    Click(IDC_VALUE_APPLY);
    EXPECT_EQ("12.500000", CameraValue("Gain"));
    EXPECT_EQ("12.500000", Shown(IDC_VALUE_FLOAT_EDIT)) << "read back after the write";
}

TEST_F(FeatureDialogTest, ImpactsRefreshAnotherAttributeAndACategory)
{
    // Width names TotalBytesPerFrame: its row follows the write.
    EXPECT_EQ("TotalBytesPerFrame\t307200", Row("/ImageFormat/TotalBytesPerFrame"));
    Select("/ImageFormat/Width");
    Enter(IDC_VALUE_UINT_EDIT, "320");
    Click(IDC_VALUE_APPLY);
    EXPECT_EQ("TotalBytesPerFrame\t153600", Row("/ImageFormat/TotalBytesPerFrame"));

    // TimestampReset names TimestampValue; the command's own row shows no value and stays.
    Select("/GigE/Timestamp/TimestampReset");
    ASSERT_NE(nullptr, View());
    EXPECT_EQ(IDD_VALUE_COMMAND, View()->m_nIDTemplate);
    EXPECT_EQ("TimestampReset", View()->GetDlgItemText(IDC_VALUE_COMMAND));
    Tree().SetItemText(Item("/GigE/Timestamp/TimestampValue"), "TimestampValue\tstale");
    Tree().SetItemText(Item("/GigE/Timestamp/TimestampReset"), "TimestampReset\tmine");
    Click(IDC_VALUE_COMMAND);
    EXPECT_NE("TimestampValue\tstale", Row("/GigE/Timestamp/TimestampValue"));
    EXPECT_EQ("TimestampReset\tmine", Row("/GigE/Timestamp/TimestampReset"));

    // AcquisitionStart names the category /Statistics: every row below it is read again.
    Tree().SetItemText(Item("/Statistics/StatFramesDropped"), "StatFramesDropped\tstale");
    Select("/Acquisition/AcquisitionStart");
    Click(IDC_VALUE_COMMAND);
    EXPECT_NE("StatFramesDropped\tstale", Row("/Statistics/StatFramesDropped"));
    Select("/Acquisition/AcquisitionStop");
    Click(IDC_VALUE_COMMAND);
}

TEST_F(FeatureDialogTest, PacketSizeStopsTheAcquisitionAroundTheWrite)
{
    MessageRecorder recorder;
    const HWND host = ::CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, host);
    recorder.Watch(host, "host");
    m_grabber->InstCamCntrlMsgWnd(host, kNotification);
    m_grabber->probe = "PacketSize";

    // The framework agrees: 4096 before the write, 4097 after it.
    Select("/GigE/PacketSize");
    EXPECT_TRUE(Dlg()->GetAcquisitionStopFlag());
    Enter(IDC_VALUE_UINT_EDIT, "3000");
    Click(IDC_VALUE_APPLY);
    EXPECT_EQ((std::vector<std::string>{"4096 1500", "4097 3000"}), m_grabber->events);
    EXPECT_EQ("3000", CameraValue("PacketSize"));
    PumpPending();
    const ExpectedMessage told[] = {{kNotification, kPosted | kWParam, 4096}, {kNotification, kPosted | kWParam, 4097}};
    EXPECT_SEQUENCE(recorder, "host", told);

    // The framework refuses: nothing written, no 4097.
    recorder.Clear();
    m_grabber->events.clear();
    m_grabber->answers[UG_DLGEVENT_STOP_ACQUISITION] = 0;
    Enter(IDC_VALUE_UINT_EDIT, "4000");
    Click(IDC_VALUE_APPLY);
    EXPECT_EQ((std::vector<std::string>{"4096 3000"}), m_grabber->events);
    EXPECT_EQ("3000", CameraValue("PacketSize"));
    PumpPending();
    EXPECT_SEQUENCE(recorder, "host", std::span<const ExpectedMessage>{});

    // An attribute whose impacts name one of /Image... is treated the same.
    Select("/ImageFormat/Height");
    EXPECT_TRUE(Dlg()->GetAcquisitionStopFlag());
    Select("/Exposure/Gain");
    EXPECT_FALSE(Dlg()->GetAcquisitionStopFlag());
    m_grabber->InstCamCntrlMsgWnd(nullptr, 0);
    ::DestroyWindow(host);
}

TEST_F(FeatureDialogTest, RefusedWriteLeavesViewAndTree)
{
    Select("/GigE/HeartbeatTimeout");
    ASSERT_EQ("ok", Sim("set 100001 HeartbeatTimeout 4000")); // the row would show it after a refresh
    ASSERT_EQ("ok", Sim("fail MkAttrUint32Set 20 once"));
    Enter(IDC_VALUE_UINT_EDIT, "5000");
    Click(IDC_VALUE_APPLY);
    EXPECT_TRUE(Logged("Failed to write uint32 value")) << "through PrintApiError";
    EXPECT_EQ("5000", Shown(IDC_VALUE_UINT_EDIT)) << "no read-back";
    EXPECT_EQ("HeartbeatTimeout\t3000", Row("/GigE/HeartbeatTimeout")) << "no refresh";
    EXPECT_EQ("4000", CameraValue("HeartbeatTimeout"));
    EXPECT_FALSE(Logged("invalid")) << "no validity check after a failed write";
}

TEST_F(FeatureDialogTest, SideEffectsMakingTheAttributeInvalidAreLogged)
{
    Select("/Exposure/Gain");
    ASSERT_EQ("ok", Sim("fail MkAttrIsValid 18 once"));
    Enter(IDC_VALUE_FLOAT_EDIT, "3");
    Click(IDC_VALUE_APPLY);
    EXPECT_TRUE(Logged("0 Some side effects have made attribute \"Gain\" invalid."));
    EXPECT_EQ("3.000000", CameraValue("Gain")) << "the written value stays";
}

TEST_F(FeatureDialogTest, TheTimerReadsOnlyVolatileValuesAgain)
{
    const std::string before = Row("/GigE/Timestamp/TimestampValue");
    ASSERT_EQ("ok", Sim("set 100001 Gain 7"));
    Tick();
    EXPECT_NE(before, Row("/GigE/Timestamp/TimestampValue")) << "the camera's clock moved on";
    EXPECT_EQ("Gain\t0.000000", Row("/Exposure/Gain")) << "not volatile: not read again";
}

TEST_F(FeatureDialogTest, UnpluggedCameraShowsUnavailable)
{
    Select("/Exposure/Gain");
    ASSERT_NE(nullptr, View());
    ASSERT_EQ("ok", Sim("unplug 100001"));
    Tick();
    EXPECT_EQ("Gain\tunavailable", Row("/Exposure/Gain"));
    EXPECT_EQ("Width\tunavailable", Row("/ImageFormat/Width"));
    Click(IDC_VALUE_RELOAD);
    EXPECT_EQ("0.000000", Shown(IDC_VALUE_FLOAT_EDIT)) << "a failed reload leaves the view";
    Click(IDC_VALUE_APPLY);
    EXPECT_TRUE(Logged("Failed to write float32 value"));
    Select("/ImageFormat/Width");
    EXPECT_EQ(nullptr, View());
    EXPECT_TRUE(Logged("Failed to get info on the attribute"));
    Tick();
    EXPECT_TRUE(::IsWindow(Dlg()->m_hWnd));
}

TEST_F(FeatureDialogTest, ReadOnlyAttributeLeavesTheStripEmptyAndSmall)
{
    Select("/Exposure/Gain");
    ASSERT_NE(nullptr, View());
    const int tall = ChildRect(Dlg()->GetContainerView()).Height();
    Select("/DeviceInformation/DeviceVendorName");
    EXPECT_EQ(nullptr, View());
    const int small = ChildRect(Dlg()->GetContainerView()).Height();
    EXPECT_LT(small, tall);
    EXPECT_EQ(::GetSystemMetrics(SM_CYHSCROLL) + 33, tall);
    // A category has children: selecting it does nothing.
    Select("/Exposure");
    EXPECT_EQ("DeviceVendorName", Dlg()->GetCurrentAttrName());
}

TEST_F(FeatureDialogTest, EnterAppliesOnlyFromTheValueControl)
{
    Select("/Exposure/Gain");
    Dlg()->ShowWindow(SW_SHOW);
    ::SetForegroundWindow(Dlg()->m_hWnd);
    Enter(IDC_VALUE_FLOAT_EDIT, "4");
    // Focus in the tree: nothing.
    Tree().SetFocus();
    Dlg()->SendMessage(WM_COMMAND, IDOK, 0);
    EXPECT_EQ("0.000000", CameraValue("Gain"));
    EXPECT_TRUE(Dlg()->IsWindowVisible()) << "Enter never closes the dialog";
    // The key itself in the edit, through the dialog's keyboard handling.
    CWnd* edit = View()->GetDlgItem(IDC_VALUE_FLOAT_EDIT);
    edit->SetFocus();
    ASSERT_EQ(edit->m_hWnd, ::GetFocus());
    edit->PostMessage(WM_KEYDOWN, VK_RETURN, 0x001C0001);
    edit->PostMessage(WM_KEYUP, VK_RETURN, 0xC01C0001);
    PumpUntil([] { return CameraValue("Gain") == "4.000000"; }, 3000);
    EXPECT_EQ("4.000000", CameraValue("Gain"));
}

TEST_F(FeatureDialogTest, CloseHidesWhenTheFrameworkAgreesAndReopensTheSame)
{
    Select("/Exposure/Gain");
    const size_t rows = Tree().GetCount();
    CZelmkAPIFeatureCtrlDialog* dialog = Dlg();
    m_grabber->answers[UG_DLGEVENT_CLOSE] = 0;
    dialog->SendMessage(WM_COMMAND, MAKEWPARAM(IDC_FEATURE_CLOSE, BN_CLICKED), 0);
    EXPECT_TRUE(dialog->IsWindowVisible());
    m_grabber->answers[UG_DLGEVENT_CLOSE] = 1;
    dialog->SendMessage(WM_COMMAND, MAKEWPARAM(IDC_FEATURE_CLOSE, BN_CLICKED), 0);
    EXPECT_FALSE(dialog->IsWindowVisible());
    EXPECT_TRUE(::IsWindow(dialog->m_hWnd)) << "hidden, not destroyed";
    EXPECT_EQ((std::vector<std::string>{"1", "1"}), m_grabber->events);

    ASSERT_EQ(UG_OK, m_grabber->CamCntrlDialog(nullptr));
    EXPECT_EQ(dialog, Dlg());
    EXPECT_TRUE(dialog->IsWindowVisible());
    EXPECT_EQ(rows, Tree().GetCount());
    EXPECT_EQ("Gain", attr_editor::ColumnZero(Tree().GetItemText(Tree().GetSelectedItem())));

    // Escape destroys the window (the dialog base's handling); the next request makes a new one.
    dialog->SendMessage(WM_COMMAND, IDCANCEL, 0);
    EXPECT_FALSE(::IsWindow(dialog->m_hWnd));
    ASSERT_EQ(UG_OK, m_grabber->CamCntrlDialog(nullptr));
    EXPECT_TRUE(::IsWindow(Dlg()->m_hWnd));
    EXPECT_EQ(rows, Tree().GetCount());
}

TEST_F(FeatureDialogTest, MinimumSizeAndBackground)
{
    MINMAXINFO info{};
    Dlg()->SendMessage(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(300, info.ptMinTrackSize.x);
    EXPECT_EQ(200, info.ptMinTrackSize.y);
    // A resize lays the parts out again.
    Dlg()->SetWindowPos(nullptr, 0, 0, 700, 500, SWP_NOZORDER | SWP_NOMOVE);
    CRect client;
    Dlg()->GetClientRect(&client);
    EXPECT_EQ(client.Width() - 1, ChildRect(Dlg()->GetTreeView()).Width());
    const CRect close = ChildRect(Dlg()->GetDlgItem(IDC_FEATURE_CLOSE));
    EXPECT_GT(close.left, client.Width() / 2);
    // The container paints itself and is not erased.
    HDC dc = ::GetDC(Dlg()->GetContainerView()->m_hWnd);
    EXPECT_NE(0, Dlg()->GetContainerView()->SendMessage(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0));
    ::ReleaseDC(Dlg()->GetContainerView()->m_hWnd, dc);
}

TEST_F(FeatureDialogTest, DeInitDestroysTheDialog)
{
    const HWND window = Dlg()->m_hWnd;
    m_grabber->DeInit();
    EXPECT_FALSE(::IsWindow(window));
    EXPECT_EQ(nullptr, Dlg());
    EXPECT_EQ(UG_ERR_NO_ACTIVE_CAMERA, m_grabber->CamCntrlDialog(nullptr));
}

TEST_F(FeatureDialogTest, WithoutACameraOnlyTheRoot)
{
    m_grabber->DeInit();
    ASSERT_EQ(UG_OK, m_grabber->Init());
    ASSERT_EQ(UG_OK, m_grabber->CamCntrlDialog(nullptr)); // the active camera, not opened
    EXPECT_EQ(1u, Tree().GetCount());
    Tree().SelectItem(Dlg()->GetRootItem());
    EXPECT_EQ(nullptr, View());
    EXPECT_EQ("", Dlg()->GetCurrentAttrName());
}

// Pictures of the dialog with the tree opened and each kind of view.
TEST_F(FeatureDialogTest, Screenshots)
{
    if (!CanTakeScreenshots()) GTEST_SKIP() << "no import";
    Dlg()->SetWindowPos(nullptr, 40, 40, 620, 560, SWP_NOZORDER);
    for (const char* category : {"/DeviceInformation", "/ImageFormat", "/Acquisition", "/Exposure", "/GigE", "/GigE/Timestamp"})
        Tree().Expand(Item(category), TVE_EXPAND);
    const std::pair<const char*, const char*> shots[] = {
        {"/ImageFormat/Width", "feature_dialog_uint"},
        {"/Exposure/BlackLevel", "feature_dialog_sint"},
        {"/Exposure/Gain", "feature_dialog_float"},
        {"/DeviceInformation/DeviceUserID", "feature_dialog_string"},
        {"/ImageFormat/PixelFormat", "feature_dialog_enum"},
        {"/GigE/Timestamp/TimestampReset", "feature_dialog_command"},
        {"/DeviceInformation/DeviceVendorName", "feature_dialog_readonly"},
    };
    for (const auto& [path, name] : shots) {
        Select(path);
        Tree().EnsureVisible(Item(path));
        PumpPending();
        EXPECT_TRUE(TakeScreenshot(name, Dlg()->m_hWnd)) << name;
    }
}

// FramixHost opens the editor on the simulated camera; the test closes it as a user would.
TEST(FramixHostFeatures, OpensTheEditorOnTheSimulatedCamera)
{
    const fs::path bin = fs::path(win32::ModulePath(nullptr)).parent_path().parent_path() / "bin";
    const fs::path folder = fs::temp_directory_path() / ("attr_editor_host_" + std::to_string(::GetCurrentProcessId()));
    fs::create_directories(folder);
    const std::string ini = (folder / "Framix.ini").string();
    std::ofstream(ini, std::ios::binary) << "[Framix]\r\nLogFile=\r\n[Grabber_0]\r\nFile=FramixZelmkAPI.dll\n";
    const std::string output = (folder / "out.txt").string();
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    win32::UniqueHandle<win32::handle_traits::File> out(::CreateFileA(
        output.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(out);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = out.get();
    startup.hStdError = out.get();
    std::string command = "\"" + (bin / "FramixHost.exe").string() + "\" --ini \"" + ini +
        "\" --quiet init select 100001 open dialog features close";
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(::CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, bin.string().c_str(), &startup, &process));
    win32::UniqueHandle<win32::handle_traits::Kernel> child(process.hProcess), thread(process.hThread);

    // The dialog appears with its tree filled; "Close" hides it and the host goes on.
    // The window exists (with its caption) before its initialisation makes
    // the tree; it is shown once that is done.
    HWND dialog = nullptr;
    for (int i = 0; i < 600; ++i) {
        dialog = ::FindWindowA(nullptr, "Camera Feature Control");
        if (dialog && ::IsWindowVisible(dialog)) break;
        if (::WaitForSingleObject(child.get(), 50) == WAIT_OBJECT_0) break;
    }
    ASSERT_TRUE(dialog && ::IsWindowVisible(dialog)) << "no dialog shown within 30 s";
    const HWND tree = ::FindWindowExA(::GetDlgItem(dialog, IDC_FEATURE_TREE_VIEW), nullptr, WC_TREEVIEWA, nullptr);
    EXPECT_NE(nullptr, tree);
    EXPECT_GT(::SendMessageA(tree, TVM_GETCOUNT, 0, 0), 40);
    ::SendMessageTimeoutA(dialog, WM_COMMAND, MAKEWPARAM(IDC_FEATURE_CLOSE, BN_CLICKED),
                          reinterpret_cast<LPARAM>(::GetDlgItem(dialog, IDC_FEATURE_CLOSE)), SMTO_ABORTIFHUNG, 5000, nullptr);
    if (::WaitForSingleObject(child.get(), 30000) != WAIT_OBJECT_0) {
        ::TerminateProcess(child.get(), 99);
        ::WaitForSingleObject(child.get(), 5000);
        ADD_FAILURE() << "FramixHost did not finish within 30 s of Close";
    }
    DWORD exitCode = 0;
    ::GetExitCodeProcess(child.get(), &exitCode);
    out.reset();
    std::ifstream in(output);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(0u, exitCode) << text;
    EXPECT_NE(std::string::npos, text.find("dialog features: closed")) << text;
    std::error_code ignored;
    fs::remove_all(folder, ignored);
}

} // namespace
