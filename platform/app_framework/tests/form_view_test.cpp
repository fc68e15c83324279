// Form views from dialog templates inside a dialog, and the controls such panes hold: IP address, icon buttons,
// list views with image lists, and notifications a control handles itself before its parent.
#include <gtest/gtest.h>

#include "test_ids.h"
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
    DWORD style = pane.GetStyle();
    EXPECT_TRUE(style & WS_CHILD);
    EXPECT_TRUE(style & WS_CLIPCHILDREN);
    EXPECT_TRUE(style & WS_VISIBLE);
    EXPECT_FALSE(style & WS_POPUP);
    EXPECT_NE(style & WS_CAPTION, static_cast<DWORD>(WS_CAPTION)) << "no caption";
    EXPECT_FALSE(style & WS_SYSMENU);
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
}

TEST_F(FormViewTest, CreationFailsCleanly)
{
    struct Case {
        const char* what;
        UINT templateId;
        bool withParent;
    };
    const Case cases[] = {{"missing template", 4242, true}, {"no parent", IDD_PANE, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        struct Missing : CFormView {
            explicit Missing(UINT id) : CFormView(id) {}
        };
        Missing missing(c.templateId);
        EXPECT_FALSE(missing.Create(nullptr, nullptr, WS_CHILD, CRect(0, 0, 10, 10), c.withParent ? &host : nullptr, 1));
        EXPECT_EQ(missing.m_hWnd, nullptr);
    }
    EXPECT_FALSE(pane.Create(nullptr, nullptr, WS_CHILD, CRect(), &host, 2)) << "a view creates one window";
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
    MSG msg{pane.edit.m_hWnd, WM_KEYDOWN, VK_RETURN, 0, 0, {}};
    EXPECT_TRUE(AfxPreTranslateMessage(&msg));
    EXPECT_EQ(host.calls, (Calls{"host OnOK"}));
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

TEST_F(FormViewTest, IpAddressFieldsRoundTrip)
{
    CIPAddressCtrl& address = pane.address;
    struct Case {
        BYTE f0, f1, f2, f3;
    };
    const Case cases[] = {{192, 168, 1, 10}, {0, 0, 0, 0}, {255, 255, 255, 0}, {10, 0, 200, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.f0) + "." + std::to_string(c.f1) + "." + std::to_string(c.f2) + "." +
                     std::to_string(c.f3));
        address.SetAddress(c.f0, c.f1, c.f2, c.f3);
        DWORD packed = 0;
        EXPECT_EQ(address.GetAddress(packed), 4);
        EXPECT_EQ(packed, MAKEIPADDRESS(c.f0, c.f1, c.f2, c.f3));
        BYTE f0 = 1, f1 = 1, f2 = 1, f3 = 1;
        EXPECT_EQ(address.GetAddress(f0, f1, f2, f3), 4);
        EXPECT_EQ(f0, c.f0);
        EXPECT_EQ(f1, c.f1);
        EXPECT_EQ(f2, c.f2);
        EXPECT_EQ(f3, c.f3);
        EXPECT_FALSE(address.IsBlank());
    }
    address.ClearAddress();
    EXPECT_TRUE(address.IsBlank());
    DWORD packed = 1;
    EXPECT_EQ(address.GetAddress(packed), 0) << "blank fields do not count";
    EXPECT_EQ(packed, 0u);
}

TEST_F(FormViewTest, BitmapButtonBecomesAnIconButton)
{
    CButton& apply = pane.apply;
    EXPECT_EQ(apply.GetButtonStyle() & BS_BITMAP, static_cast<UINT>(BS_BITMAP));
    apply.ModifyStyle(BS_BITMAP, BS_ICON);
    EXPECT_EQ(apply.GetStyle() & (BS_ICON | BS_BITMAP), static_cast<DWORD>(BS_ICON));
    int size = ::GetSystemMetrics(SM_CXSMICON);
    win32::UniqueIcon icon(static_cast<HICON>(::LoadImageA(nullptr, MAKEINTRESOURCEA(32516), IMAGE_ICON, size, size, 0)));
    ASSERT_TRUE(icon); // IDI_INFORMATION, copied at the small size
    EXPECT_EQ(apply.SetIcon(icon.get()), nullptr);
    EXPECT_EQ(apply.GetIcon(), icon.get());
    apply.SetIcon(nullptr); // the button does not own it: take it back before the icon goes
    EXPECT_EQ(apply.GetIcon(), nullptr);
}

TEST_F(FormViewTest, ListRowsWithImagesOverlaysAndItemData)
{
    CListCtrl& list = pane.list;
    CImageList images;
    ASSERT_TRUE(images.Create(16, 16, ILC_MASK | ILC_COLOR4, 4, 4));
    for (int id : {32516, 32515}) { // information, warning
        win32::UniqueIcon icon(static_cast<HICON>(::LoadImageA(nullptr, MAKEINTRESOURCEA(id), IMAGE_ICON, 16, 16, 0)));
        ASSERT_TRUE(icon);
        EXPECT_GE(images.Add(icon.get()), 0);
    }
    EXPECT_EQ(images.GetImageCount(), 2);
    EXPECT_TRUE(images.SetOverlayImage(1, 1));
    int cx = 0, cy = 0;
    EXPECT_TRUE(images.GetIconSize(cx, cy));
    EXPECT_EQ(cx, 16);
    win32::UniqueIcon extracted(images.ExtractIcon(1));
    EXPECT_TRUE(extracted);
    EXPECT_EQ(list.SetImageList(images, LVSIL_SMALL), nullptr);
    EXPECT_EQ(list.GetImageList(LVSIL_SMALL), images.GetSafeHandle());

    list.InsertColumn(0, "Name", LVCFMT_LEFT, 120);
    list.InsertColumn(1, "Serial Number", LVCFMT_LEFT, 120);
    LVCOLUMNA column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = const_cast<char*>("IP Address/Subnet Mask");
    column.cx = 140;
    EXPECT_EQ(list.InsertColumn(2, "", LVCFMT_LEFT, 10), 2);
    EXPECT_TRUE(list.SetColumn(2, &column));
    char heading[64] = {};
    LVCOLUMNA back{};
    back.mask = LVCF_TEXT | LVCF_WIDTH;
    back.pszText = heading;
    back.cchTextMax = sizeof heading;
    ASSERT_TRUE(list.GetColumn(2, &back));
    EXPECT_STREQ(heading, "IP Address/Subnet Mask");
    EXPECT_EQ(back.cx, 140);

    struct Row {
        DWORD_PTR id;
        int image;
        UINT overlay;
    };
    const Row rows[] = {{0x1001, 0, 1}, {0x2002, 1, 2}, {0x3003, 0, 1}};
    for (const Row& r : rows) {
        LVITEMA item{};
        item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_IMAGE;
        item.iItem = list.GetItemCount();
        item.pszText = const_cast<char*>("");
        item.lParam = static_cast<LPARAM>(r.id);
        item.iImage = r.image;
        int row = list.InsertItem(&item);
        ASSERT_GE(row, 0);
        EXPECT_TRUE(list.SetItemState(row, INDEXTOOVERLAYMASK(r.overlay), LVIS_OVERLAYMASK));
    }
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE("row " + std::to_string(i));
        EXPECT_EQ(list.FindItemByData(rows[i].id), i);
        EXPECT_EQ(list.GetItemImage(i), rows[i].image);
        EXPECT_EQ(list.GetItemState(i, LVIS_OVERLAYMASK), INDEXTOOVERLAYMASK(rows[i].overlay));
    }
    EXPECT_EQ(list.FindItemByData(0x4004), -1);
    EXPECT_EQ(list.FindItemByData(0x1001, 0), -1) << "the search starts after the given row";
    EXPECT_EQ(list.GetItemImage(7), -1);

    CRect bounds;
    ASSERT_TRUE(list.GetItemRect(0, &bounds, LVIR_LABEL));
    UINT flags = 0;
    EXPECT_EQ(list.HitTest(bounds.CenterPoint(), &flags), 0);
    EXPECT_TRUE(flags & LVHT_ONITEM);
    list.SetImageList(nullptr, LVSIL_SMALL); // the list does not own the images
}

} // namespace
