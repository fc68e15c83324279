// Control wrappers round-trip through the real controls: what is set is what the control reports back.
#include <gtest/gtest.h>

#include "test_ids.h"
#include "app_framework_testing/message_tests.h"

namespace {

class CControlsDialog : public CDialog {
public:
    CControlsDialog() : CDialog(IDD_CONTROLS) {}
    CListCtrl list;
    CTabCtrl tabs;
    CSpinButtonCtrl spin;
    CSliderCtrl slider;
    CRichEditCtrl rich;
    void DoDataExchange(CDataExchange* dx) override
    {
        DDX_Control(dx, IDC_LIST, list);
        DDX_Control(dx, IDC_TABS, tabs);
        DDX_Control(dx, IDC_SPIN, spin);
        DDX_Control(dx, IDC_SLIDER, slider);
        DDX_Control(dx, IDC_RICH, rich);
    }
};

class ControlsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dialog.Create(IDD_CONTROLS)); }
    CControlsDialog dialog;
};

TEST_F(ControlsTest, ListViewColumnsRowsAndSelection)
{
    CListCtrl& list = dialog.list;
    list.SetExtendedStyle(list.GetExtendedStyle() | LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    EXPECT_EQ(list.GetExtendedStyle() & 0x21u, 0x21u);
    EXPECT_EQ(list.InsertColumn(0, "Name", LVCFMT_LEFT, 80), 0);
    EXPECT_EQ(list.InsertColumn(1, "Value", LVCFMT_RIGHT, 40), 1);
    EXPECT_EQ(list.GetHeaderCtrl()->GetItemCount(), 2);
    EXPECT_EQ(list.GetHeaderCtrl()->GetItemText(1), "Value");
    EXPECT_EQ(list.GetColumnWidth(0), 80);

    const char* names[] = {"alpha", "beta", "gamma"};
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(list.InsertItem(row, names[row]), row);
        EXPECT_TRUE(list.SetItemText(row, 1, std::to_string(row * 10).c_str()));
        EXPECT_TRUE(list.SetItemData(row, 100 + row));
    }
    std::string longText(3000, 'x');
    list.SetItemText(2, 1, longText.c_str());
    EXPECT_EQ(list.GetItemCount(), 3);
    EXPECT_EQ(list.GetItemText(1, 0), "beta");
    EXPECT_EQ(list.GetItemText(1, 1), "10");
    EXPECT_EQ(list.GetItemText(2, 1), longText) << "long texts are not cut";
    EXPECT_EQ(list.GetItemData(2), 102u);

    EXPECT_EQ(list.GetFirstSelectedItemPosition(), nullptr);
    list.SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
    list.SetItemState(2, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_EQ(list.GetSelectedCount(), 2u);
    std::vector<int> selected;
    for (POSITION pos = list.GetFirstSelectedItemPosition(); pos;)
        selected.push_back(list.GetNextSelectedItem(pos));
    EXPECT_EQ(selected, (std::vector<int>{0, 2}));
    EXPECT_EQ(list.GetNextItem(0, LVNI_SELECTED), 2);

    EXPECT_TRUE(list.DeleteColumn(1));
    EXPECT_EQ(list.GetHeaderCtrl()->GetItemCount(), 1);
    EXPECT_TRUE(list.DeleteAllItems());
    EXPECT_EQ(list.GetItemCount(), 0);
}

TEST_F(ControlsTest, TabItemsAndSelection)
{
    CTabCtrl& tabs = dialog.tabs;
    EXPECT_EQ(tabs.InsertItem(0, "Image Parameters"), 0);
    EXPECT_EQ(tabs.InsertItem(1, "Timer && Hardware Parameters"), 1);
    EXPECT_EQ(tabs.GetItemCount(), 2);
    EXPECT_EQ(tabs.GetItemText(1), "Timer && Hardware Parameters");
    tabs.SetCurSel(1);
    EXPECT_EQ(tabs.GetCurSel(), 1);
    CRect area(0, 0, 200, 100);
    tabs.AdjustRect(FALSE, &area);
    EXPECT_GT(area.top, 0) << "the display area lies below the tab headers";
}

TEST_F(ControlsTest, SpinAndSliderRangesAndPositions)
{
    struct Case {
        int lower, upper, pos, expectedPos;
    };
    const Case cases[] = {{0, 1728, 100, 100}, {1, 65535, 70000, 65535}, {-5, 5, -9, -5}, {10, 100000, 99999, 99999}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.lower) + ".." + std::to_string(c.upper) + " pos " + std::to_string(c.pos));
        dialog.spin.SetRange32(c.lower, c.upper);
        int lower = 0, upper = 0;
        dialog.spin.GetRange32(lower, upper);
        EXPECT_EQ(lower, c.lower);
        EXPECT_EQ(upper, c.upper);
        dialog.spin.SetPos32(c.pos);
        EXPECT_EQ(dialog.spin.GetPos32(), c.expectedPos);

        dialog.slider.SetRange(c.lower, c.upper, TRUE);
        EXPECT_EQ(dialog.slider.GetRangeMin(), c.lower);
        EXPECT_EQ(dialog.slider.GetRangeMax(), c.upper);
        dialog.slider.SetPos(c.pos);
        EXPECT_EQ(dialog.slider.GetPos(), c.expectedPos);
    }
}

TEST_F(ControlsTest, RichEditTextFormatAndSearch)
{
    CRichEditCtrl& rich = dialog.rich;
    rich.SetWindowText("s=?{CR}");
    rich.SetSel(-1, -1);
    rich.ReplaceSel("\r\n>");
    EXPECT_EQ(rich.GetWindowText(), "s=?{CR}\r>") << "the control keeps paragraph ends as CR";
    EXPECT_EQ(rich.FindText(FR_DOWN | FR_MATCHCASE, 0, -1, "{CR}"), 3);
    EXPECT_EQ(rich.FindText(FR_DOWN | FR_MATCHCASE, 0, -1, "{cr}"), -1);

    rich.SetSel(3, 7);
    CHARFORMAT2A format{};
    format.dwMask = CFM_COLOR | CFM_FACE | CFM_SIZE;
    format.crTextColor = RGB(255, 0, 0);
    format.yHeight = 165;
    lstrcpynA(format.szFaceName, "Courier New", LF_FACESIZE);
    EXPECT_TRUE(rich.SetSelectionCharFormat(format));

    CHARFORMAT2A back{};
    DWORD consistent = rich.GetSelectionCharFormat(back);
    EXPECT_TRUE(consistent & CFM_COLOR);
    EXPECT_EQ(back.crTextColor, RGB(255, 0, 0));
    EXPECT_EQ(back.yHeight, 165);
    EXPECT_STREQ(back.szFaceName, "Courier New");
    long start = 0, end = 0;
    rich.GetSel(start, end);
    EXPECT_EQ(start, 3);
    EXPECT_EQ(end, 7);

    rich.SetWindowText("");
    EXPECT_EQ(rich.GetWindowText(), "");
    EXPECT_EQ(rich.GetTextLength(), 0);
}

TEST_F(ControlsTest, ToolTipTextsComeBackThroughTheControl)
{
    CToolTipCtrl tips;
    ASSERT_TRUE(tips.Create(&dialog, TTS_ALWAYSTIP));
    tips.SetMaxTipWidth(250);
    EXPECT_TRUE(tips.AddTool(&dialog.list, "Camera name."));
    EXPECT_TRUE(tips.AddTool(&dialog.slider, "Right click for presets."));
    EXPECT_EQ(tips.GetToolCount(), 2);
    EXPECT_EQ(tips.GetText(&dialog.list), "Camera name.");
    tips.UpdateTipText("Camera product variant code.", &dialog.list);
    EXPECT_EQ(tips.GetText(&dialog.list), "Camera product variant code.");
    EXPECT_EQ(tips.GetText(&dialog.slider), "Right click for presets.");
    tips.DelTool(&dialog.slider);
    EXPECT_EQ(tips.GetToolCount(), 1);
}

TEST_F(ControlsTest, StatusBarPanes)
{
    CStatusBarCtrl bar;
    ASSERT_TRUE(bar.Create(WS_VISIBLE | CCS_BOTTOM, CRect(), &dialog, 0xE801));
    const int edges[] = {120, -1};
    EXPECT_TRUE(bar.SetParts(2, edges));
    int back[2] = {};
    EXPECT_EQ(bar.GetParts(2, back), 2);
    EXPECT_EQ(back[0], 120);
    EXPECT_TRUE(bar.SetText("Last command: s=?", 0));
    EXPECT_TRUE(bar.SetText("V1.0.0 build 1 (x64)", 1));
    EXPECT_EQ(bar.GetText(0), "Last command: s=?");
    EXPECT_EQ(bar.GetText(1), "V1.0.0 build 1 (x64)");
    CClientDC dc(&bar);
    dc.SelectObject(bar.GetFont());
    EXPECT_GT(dc.GetTextExtent("V1.0.0 build 1 (x64)").cx, 0);
}

TEST(MenuTest, PopupItemsStateAndText)
{
    CMenu menu;
    ASSERT_TRUE(menu.CreatePopupMenu());
    EXPECT_TRUE(menu.AppendMenu(MF_STRING, 1010, "Reset to factory parameters"));
    EXPECT_TRUE(menu.AppendMenu(MF_SEPARATOR));
    EXPECT_TRUE(menu.AppendMenu(MF_STRING, 16, "Inf&o"));
    EXPECT_EQ(menu.GetMenuItemCount(), 3);
    EXPECT_EQ(menu.GetMenuItemID(2), 16u);
    EXPECT_EQ(menu.GetMenuString(1010, MF_BYCOMMAND), "Reset to factory parameters");
    menu.EnableMenuItem(1010, MF_BYCOMMAND | MF_GRAYED);
    EXPECT_TRUE(menu.GetMenuState(1010, MF_BYCOMMAND) & MF_GRAYED);
    HMENU handle = menu.m_hMenu;
    EXPECT_EQ(CMenu::FromHandle(handle)->m_hMenu, handle);
    AfxDeleteTempMap();
    EXPECT_TRUE(::IsMenu(handle)) << "a temporary menu object does not destroy the menu";
}

TEST(MenuTest, SystemMenuOfAFrameworkWindow)
{
    CDialog dialog(IDD_FORM);
    ASSERT_TRUE(dialog.Create(IDD_FORM));
    CMenu* system = dialog.GetSystemMenu(FALSE);
    ASSERT_NE(system, nullptr);
    int before = system->GetMenuItemCount();
    system->AppendMenu(MF_SEPARATOR);
    system->AppendMenu(MF_STRING, 16, "About");
    EXPECT_EQ(dialog.GetSystemMenu(FALSE)->GetMenuItemCount(), before + 2);
}

TEST(FileDialogFilter, PipesBecomeNulsWithADoubleEnd)
{
    using namespace std::string_literals;
    struct Case {
        const char* filter;
        std::string expected;
    };
    const Case cases[] = {
        {"Device Controllers (*.dll)|*.dll|All files (*.*)|*.*||",
         "Device Controllers (*.dll)\0*.dll\0All files (*.*)\0*.*\0\0"s},
        {"Scripts|*.vks", "Scripts\0*.vks\0\0"s},
        {"", "\0\0"s},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.filter);
        EXPECT_EQ(AfxFilterToNulSeparated(c.filter), c.expected);
    }
    CFileDialog dialog(TRUE, ".dll", nullptr, OFN_HIDEREADONLY, "Device Controllers (*.dll)|*.dll||");
    EXPECT_STREQ(dialog.m_ofn.lpstrDefExt, "dll");
    EXPECT_EQ(std::string(dialog.m_ofn.lpstrFilter, 33), "Device Controllers (*.dll)\0*.dll\0"s);
}

TEST(Clipboard, TextRoundTrip)
{
    ASSERT_TRUE(AfxSetClipboardText(nullptr, "12345.5000"));
    auto text = AfxGetClipboardText(nullptr);
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(*text, "12345.5000");
}

} // namespace
