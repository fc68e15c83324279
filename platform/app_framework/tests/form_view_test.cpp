// Form views from dialog templates inside a dialog, and the controls such panes hold: IP address, icon buttons,
// list views with image lists, and notifications a control handles itself before its parent.
#include <gtest/gtest.h>

#include "test_ids.h"
#include "app_framework_testing/message_sequence.h"
#include "app_framework_testing/message_tests.h"

namespace {

using Calls = std::vector<std::string>;

// A list that handles double clicks itself and lets the parent see them too
// when it says so.
class CReflectingList : public CListCtrl {
public:
    BOOL passOn = FALSE;
    Calls* calls = nullptr;

protected:
    BOOL OnDoubleClick(NMHDR*, LRESULT* result)
    {
        calls->push_back("list dblclk");
        *result = 0;
        return !passOn;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CReflectingList, CListCtrl)
    ON_NOTIFY_REFLECT_EX(NM_DBLCLK, OnDoubleClick)
END_MESSAGE_MAP()

class CPaneView : public CFormView {
public:
    CPaneView() : CFormView(IDD_PANE) {}
    CEdit edit;
    CButton apply;
    CSliderCtrl slider;
    CIPAddressCtrl address;
    CReflectingList list;
    std::string text = "150";
    DWORD ip = MAKEIPADDRESS(10, 0, 0, 1);
    Calls calls;
    int initialUpdates = 0;

    void DoDataExchange(CDataExchange* dx) override
    {
        DDX_Control(dx, IDC_PANE_EDIT, edit);
        DDX_Control(dx, IDC_PANE_APPLY, apply);
        DDX_Control(dx, IDC_PANE_SLIDER, slider);
        DDX_Control(dx, IDC_PANE_ADDRESS, address);
        DDX_Control(dx, IDC_PANE_LIST, list);
        DDX_Text(dx, IDC_PANE_EDIT, text);
        DDX_IPAddress(dx, IDC_PANE_ADDRESS, ip);
    }
    void OnInitialUpdate() override
    {
        ++initialUpdates;
        list.calls = &calls;
        CFormView::OnInitialUpdate();
    }

protected:
    void OnApply() { calls.push_back("pane apply"); }
    void OnEditChange() { calls.push_back("pane edit change"); }
    void OnHScroll(UINT code, UINT, CScrollBar* bar)
    {
        calls.push_back("pane hscroll " + std::to_string(code) + (bar == static_cast<CWnd*>(&slider) ? " slider" : ""));
    }
    void OnListDoubleClick(NMHDR*, LRESULT*) { calls.push_back("pane list dblclk"); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CPaneView, CFormView)
    ON_BN_CLICKED(IDC_PANE_APPLY, OnApply)
    ON_EN_CHANGE(IDC_PANE_EDIT, OnEditChange)
    ON_WM_HSCROLL()
    ON_NOTIFY(NM_DBLCLK, IDC_PANE_LIST, OnListDoubleClick)
END_MESSAGE_MAP()

class CPaneHost : public CDialog {
public:
    CPaneHost() : CDialog(IDD_PANE_HOST) {}
    Calls calls;

    void OnOK() override { calls.push_back("host OnOK"); }
};

class FormViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(host.Create(IDD_PANE_HOST));
        ASSERT_TRUE(pane.Create(nullptr, "value", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, CRect(5, 40, 480, 120), &host,
                                4109));
    }
    CPaneHost host;
    CPaneView pane;
};

TEST_F(FormViewTest, ThePaneIsAChildControlParentWhateverTheTemplateSays)
{
    EXPECT_EQ(pane.GetStyle() & (WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_POPUP | WS_CAPTION | WS_SYSMENU),
              static_cast<DWORD>(WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN));
    EXPECT_TRUE(pane.GetExStyle() & WS_EX_CONTROLPARENT);
    EXPECT_EQ(pane.GetDlgCtrlID(), 4109);
    EXPECT_EQ(pane.GetParent(), static_cast<CWnd*>(&host));
    EXPECT_EQ(pane.GetWindowText(), "value");
    CRect placed;
    pane.GetWindowRect(&placed);
    host.ScreenToClient(&placed);
    EXPECT_EQ(placed, CRect(5, 40, 480, 120));
    EXPECT_EQ(pane.initialUpdates, 1);
    EXPECT_EQ(pane.edit.GetWindowText(), "150") << "the initial update ran the data exchange";

    struct Missing : CFormView {
        Missing() : CFormView(4242) {}
    } missing;
    EXPECT_FALSE(missing.Create(nullptr, nullptr, WS_CHILD, CRect(), &host, 1)) << "no such template";
    CPaneView orphan;
    EXPECT_FALSE(orphan.Create(nullptr, nullptr, WS_CHILD, CRect(), nullptr, 1)) << "a pane needs a parent";
    EXPECT_FALSE(pane.Create(nullptr, nullptr, WS_CHILD, CRect(), &host, 2)) << "a view creates one window";
    EXPECT_EQ(missing.m_hWnd, nullptr);
    EXPECT_EQ(orphan.m_hWnd, nullptr);
}

TEST_F(FormViewTest, ControlMessagesReachThePaneNotTheHost)
{
    pane.calls.clear();
    pane.apply.SendMessage(BM_CLICK);
    pane.edit.SetWindowText("12");
    pane.slider.SetRange(0, 100);
    pane.slider.SetFocus();
    pane.slider.SendMessage(WM_KEYDOWN, VK_RIGHT, 0);
    pane.slider.SendMessage(WM_KEYUP, VK_RIGHT, 0xC0000001);
    EXPECT_EQ(pane.calls, (Calls{"pane apply", "pane edit change", "pane hscroll " + std::to_string(TB_LINEDOWN) + " slider", "pane hscroll " + std::to_string(TB_ENDTRACK) + " slider"}));
    EXPECT_TRUE(host.calls.empty());
}

TEST_F(FormViewTest, EnterInThePaneGoesToTheTopLevelDialog)
{
    host.ShowWindow(SW_SHOW);
    pane.edit.SetFocus();
    ASSERT_EQ(CWnd::GetFocus(), static_cast<CWnd*>(&pane.edit));
    MessageRecorder recorder;
    recorder.Watch(host.m_hWnd, "host");
    recorder.Watch(pane.m_hWnd, "pane");
    MSG msg{pane.edit.m_hWnd, WM_KEYDOWN, VK_RETURN, 0, 0, {}};
    EXPECT_TRUE(AfxPreTranslateMessage(&msg));
    EXPECT_EQ(host.calls, (Calls{"host OnOK"}));
    const ExpectedMessage toHost[] = {{DM_GETDEFID, kSent | kOptional}, {WM_COMMAND, kSent | kWParam, IDOK}};
    EXPECT_SEQUENCE(recorder, "host", toHost);
    EXPECT_SEQUENCE(recorder, "pane", std::span<const ExpectedMessage>()) << "the pane has no OK of its own";
}

TEST_F(FormViewTest, ReflectedNotificationReachesTheParentOnlyWhenPassedOn)
{
    for (BOOL passOn : {FALSE, TRUE}) {
        SCOPED_TRACE(passOn ? "passed on" : "handled by the list");
        pane.list.passOn = passOn;
        pane.calls.clear();
        NMITEMACTIVATE activate{};
        activate.hdr.hwndFrom = pane.list.m_hWnd;
        activate.hdr.idFrom = IDC_PANE_LIST;
        activate.hdr.code = NM_DBLCLK;
        activate.iItem = -1;
        pane.SendMessage(WM_NOTIFY, IDC_PANE_LIST, reinterpret_cast<LPARAM>(&activate));
        EXPECT_EQ(pane.calls, passOn ? (Calls{"list dblclk", "pane list dblclk"}) : (Calls{"list dblclk"}));
    }
}

TEST_F(FormViewTest, IpAddressFieldsIconButtonAndListImages)
{
    DWORD shown = 0;
    EXPECT_EQ(pane.address.GetAddress(shown), 4);
    EXPECT_EQ(shown, MAKEIPADDRESS(10, 0, 0, 1)) << "the data exchange filled the control";
    pane.address.SetAddress(172, 16, 0, 9);
    EXPECT_TRUE(pane.UpdateData(TRUE));
    EXPECT_EQ(pane.ip, MAKEIPADDRESS(172, 16, 0, 9));
    for (DWORD address : {MAKEIPADDRESS(192, 168, 1, 10), MAKEIPADDRESS(0, 0, 0, 0), MAKEIPADDRESS(255, 255, 255, 0)}) {
        pane.address.SetAddress(address);
        BYTE f[4] = {1, 1, 1, 1};
        EXPECT_EQ(pane.address.GetAddress(f[0], f[1], f[2], f[3]), 4);
        EXPECT_EQ(MAKEIPADDRESS(f[0], f[1], f[2], f[3]), address) << "first field leftmost";
    }
    pane.address.ClearAddress();
    DWORD packed = 1;
    EXPECT_EQ(pane.address.GetAddress(packed), 0) << "blank fields do not count";
    EXPECT_TRUE(pane.address.IsBlank());

    win32::UniqueIcon icons[2];
    for (int i = 0; i < 2; ++i) // information, warning
        icons[i].reset(static_cast<HICON>(::LoadImageA(nullptr, MAKEINTRESOURCEA(32516 - i), IMAGE_ICON, 16, 16, 0)));
    ASSERT_TRUE(icons[0] && icons[1]);
    pane.apply.ModifyStyle(BS_BITMAP, BS_ICON);
    EXPECT_EQ(pane.apply.GetStyle() & (BS_ICON | BS_BITMAP), static_cast<DWORD>(BS_ICON));
    EXPECT_EQ(pane.apply.SetIcon(icons[0].get()), nullptr);
    EXPECT_EQ(pane.apply.GetIcon(), icons[0].get());
    pane.apply.SetIcon(nullptr); // the button does not own its icon

    CImageList images;
    ASSERT_TRUE(images.Create(16, 16, ILC_MASK | ILC_COLOR4, 4, 4));
    for (auto& icon : icons) EXPECT_GE(images.Add(icon.get()), 0);
    CListCtrl& list = pane.list;
    EXPECT_EQ(list.SetImageList(images, LVSIL_SMALL), nullptr);
    EXPECT_EQ(list.GetImageList(LVSIL_SMALL), images.GetSafeHandle());
    list.InsertColumn(0, "Name", LVCFMT_LEFT, 120);
    const DWORD_PTR ids[] = {0x1001, 0x2002, 0x3003};
    for (int i = 0; i < 3; ++i) {
        LVITEMA item{};
        item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_IMAGE;
        item.iItem = i;
        item.pszText = const_cast<char*>("");
        item.iImage = i % 2;
        item.lParam = static_cast<LPARAM>(ids[i]);
        EXPECT_EQ(list.InsertItem(&item), i);
    }
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(list.FindItemByData(ids[i]), i);
        EXPECT_EQ(list.GetItemImage(i), i % 2);
    }
    EXPECT_EQ(list.FindItemByData(0x4004), -1);
    EXPECT_EQ(list.FindItemByData(0x1001, 0), -1) << "the search starts after the given row";
    EXPECT_EQ(list.GetItemImage(7), -1);
    CRect label;
    ASSERT_TRUE(list.GetItemRect(0, &label, LVIR_LABEL));
    UINT flags = 0;
    EXPECT_EQ(list.HitTest(label.CenterPoint(), &flags), 0);
    EXPECT_TRUE(flags & LVHT_ONITEM);
    list.SetImageList(nullptr, LVSIL_SMALL); // the list does not own the images
}

TEST(ResourceIcons, LoadedAtTheAskedSizeFromTheCurrentResourceModule)
{
    HINSTANCE previous = AfxGetResourceHandle();
    AfxSetResourceHandle(::GetModuleHandleA("user32.dll")); // holds the system's icons
    win32::UniqueIcon small = AfxLoadSmallIcon(32516);
    win32::UniqueIcon large = AfxLoadIcon(32516, 32, 32);
    win32::UniqueIcon missing = AfxLoadSmallIcon(4711);
    AfxSetResourceHandle(previous);
    ASSERT_TRUE(small && large);
    EXPECT_FALSE(missing);
    for (auto [icon, size] : {std::pair{small.get(), ::GetSystemMetrics(SM_CXSMICON)}, std::pair{large.get(), 32}}) {
        ICONINFO info{};
        ASSERT_TRUE(::GetIconInfo(icon, &info));
        win32::UniqueBitmap color(info.hbmColor), mask(info.hbmMask);
        BITMAP bitmap{};
        ::GetObjectA(mask.get(), sizeof bitmap, &bitmap);
        EXPECT_EQ(bitmap.bmWidth, size);
    }
    EXPECT_FALSE(AfxLoadSmallIcon(32516)) << "the program's own resources have no such icon";
}

} // namespace
