// The attribute tree under Wine over the simulated camera library: the view's
// creation and columns, sizing and dragging, sideways scrolling, filling and
// filling again from real cameras, refreshes, an unplugged camera, the click
// rule read back through selection and focus, and the drawn rows read back
// from the screen.
#include "AttrTreeView.h"
#include "Win32BindingPlatform.h"

#include "app_framework_testing/message_tests.h"
#include "app_framework_testing/screenshot.h"
#include "attr_editor/AttrTreeContent.h"
#include "win32/module.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <set>

namespace {

namespace fs = std::filesystem;
using attr_editor::AttrTreeContent;

constexpr uint32_t kMono = 601, kColour = 602;
const char kNetwork[] = "[Network]\nHostAddress=192.168.10.1\nHostMask=255.255.255.0\n"
                        "[Camera Mono]\nUniqueId=601\nAddress=192.168.10.21\nMask=255.255.255.0\n"
                        "[Camera Colour]\nUniqueId=602\nAddress=192.168.10.22\nMask=255.255.255.0\n"
                        "Sensor=colour\nSensorWidth=1920\nSensorHeight=1200\n";

// One binding per process, as in the plug-in.
const zelmk::CmkAPIAccess& Api()
{
    static zelmk::Win32BindingPlatform platform;
    static const zelmk::CmkAPIAccess* access = [] {
        const fs::path file = fs::temp_directory_path() / ("attr_tree_network_" + std::to_string(::GetCurrentProcessId()) + ".ini");
        std::ofstream(file) << kNetwork;
        _putenv(("MKAPI_NETWORK=" + file.string()).c_str());
        return new zelmk::CmkAPIAccess(platform);
    }();
    return *access;
}

std::string Sim(const std::string& command)
{
    using Control = uint32_t(MKAPI_CALL*)(const char*, char*, uint32_t);
    const auto control = win32::BindExport<Control>(static_cast<HMODULE>(Api().Module()), "MkSimControl");
    char reply[1024] = {};
    const uint32_t code = control ? control(command.c_str(), reply, sizeof reply) : 1;
    return code == 0 ? std::string(reply) : "error " + std::to_string(code) + ": " + reply;
}

class RecordingObserver : public PAttrTreeViewObserver {
public:
    void OnAttrSelected(const std::string& name) override { names.push_back(name); }
    std::vector<std::string> names;
};

int HeaderWidth(CHeaderCtrl& header, int index)
{
    HDITEMA item{};
    item.mask = HDI_WIDTH;
    header.GetItem(index, &item);
    return item.cxy;
}

void SetHeaderWidth(CHeaderCtrl& header, int index, int width)
{
    HDITEMA item{};
    item.mask = HDI_WIDTH;
    item.cxy = width;
    header.SetItem(index, &item);
}

CRect WindowIn(const CWnd& child, const CWnd& parent)
{
    CRect r;
    child.GetWindowRect(&r);
    parent.ScreenToClient(&r);
    return r;
}

class AttrTreeViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Api().IsValid());
        ASSERT_EQ(Sim("status"), "ok");
        ASSERT_TRUE(host.Create(100));
        view = std::make_unique<CAttrTreeView>();
        ASSERT_TRUE(view->Create(&observer, 420, 560, &host, 4108));
        content = std::make_unique<AttrTreeContent>(
            view->Tree(), attr_editor::CameraAccess{&Api().Functions(), [this] { return handle; }});
    }
    void TearDown() override
    {
        Close();
        view.reset();
        host.DestroyWindow();
        // The simulated network outlives each test.
        for (const char* command : {"plug 601", "set 601 Width 640", "set 601 Height 480", "set 601 Gain 0"})
            Sim(command);
    }
    void Open(uint32_t id)
    {
        Close();
        ASSERT_EQ(Api()->MkCameraOpen(id, MK_ACCESS_MASTER, &handle), 0u);
    }
    void Close()
    {
        if (handle) Api()->MkCameraClose(handle);
        handle = nullptr;
    }
    CTreeCtrl& Tree() { return view->GetTreeCtrl(); }
    HTREEITEM Row(const char* path) { return static_cast<HTREEITEM>(content->FindItemByPath(path, true)); }
    std::string RowText(const char* path)
    {
        HTREEITEM item = Row(path);
        return item ? Tree().GetItemText(item) : "(no row " + std::string(path) + ")";
    }
    // The names of every attribute row, in tree order.
    std::vector<std::string> RowNames()
    {
        std::vector<std::string> names;
        std::vector<HTREEITEM> pending{Tree().GetRootItem()};
        while (!pending.empty()) {
            HTREEITEM item = pending.back();
            pending.pop_back();
            for (HTREEITEM c = Tree().GetChildItem(item); c; c = Tree().GetNextSiblingItem(c)) {
                const std::string text = Tree().GetItemText(c);
                if (text.find('\t') != std::string::npos) names.emplace_back(attr_editor::ColumnZero(text));
                pending.push_back(c);
            }
        }
        return names;
    }
    std::multiset<std::string> ListedNames()
    {
        const char* const* names = nullptr;
        uint32_t count = 0;
        EXPECT_EQ(Api()->MkAttrList(handle, &names, &count), 0u);
        std::multiset<std::string> listed;
        for (uint32_t i = 0; i < count; ++i) {
            attr_editor::AttrInfo info{};
            if (Api()->MkAttrInfo(handle, names[i], &info) == 0) listed.insert(names[i]);
        }
        return listed;
    }
    int Column0TextWidth(HTREEITEM item)
    {
        CClientDC dc(&Tree());
        HGDIOBJ old = ::SelectObject(dc, Tree().GetFont());
        const int width = view->GetTreeCtrl().Column0TextWidth(dc, Tree().GetItemText(item));
        ::SelectObject(dc, old);
        return width;
    }
    // A left click (or double click) at a point of the tree: the button-up
    // waits in the queue, for the control's drag detection ends on it.
    void Click(CPoint point, bool twice = false)
    {
        const LPARAM at = MAKELPARAM(point.x, point.y);
        Tree().PostMessage(WM_LBUTTONUP, 0, at);
        Tree().SendMessage(twice ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN, MK_LBUTTON, at);
        PumpPending();
    }

    CDialog host{100};
    RecordingObserver observer;
    std::unique_ptr<CAttrTreeView> view;
    std::unique_ptr<AttrTreeContent> content;
    MkHandle handle = nullptr;
};

TEST_F(AttrTreeViewTest, CreationGivesTheColumnsTheRootAndTheFrameworkViewClass)
{
    EXPECT_EQ(TextOf(view->m_hWnd), "tree");
    EXPECT_EQ(view->GetDlgCtrlID(), 4108);
    CRect window = WindowIn(*view, host);
    EXPECT_EQ(window, CRect(0, 0, 419, 559)) << "(0, 0) to (width - 1, height - 1)";
    EXPECT_EQ(::GetClassLongPtrA(view->m_hWnd, GCLP_HBRBACKGROUND), 0) << "no background erase";

    CHeaderCtrl& header = view->GetHeaderCtrl();
    EXPECT_EQ(header.GetDlgCtrlID(), 1);
    EXPECT_EQ(Tree().GetDlgCtrlID(), 2);
    ASSERT_EQ(header.GetItemCount(), 2);
    for (int i = 0; i < 2; ++i) {
        char text[32] = {};
        HDITEMA item{};
        item.mask = HDI_TEXT | HDI_FORMAT;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        ASSERT_TRUE(header.GetItem(i, &item));
        EXPECT_STREQ(text, i == 0 ? "Attributes" : "Values");
        EXPECT_EQ(item.fmt & (HDF_CENTER | HDF_STRING), HDF_CENTER | HDF_STRING);
    }
    const DWORD treeStyle = Tree().GetStyle();
    for (DWORD style : {DWORD(TVS_HASBUTTONS), DWORD(TVS_HASLINES), DWORD(TVS_LINESATROOT), DWORD(TVS_NOTOOLTIPS), DWORD(TVS_NOHSCROLL)})
        EXPECT_TRUE(treeStyle & style) << std::hex << style;
    EXPECT_TRUE(header.GetStyle() & HDS_FULLDRAG);
    EXPECT_EQ(::SendMessageA(header.m_hWnd, WM_GETFONT, 0, 0), ::SendMessageA(Tree().m_hWnd, WM_GETFONT, 0, 0));

    HTREEITEM root = Tree().GetRootItem();
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(Tree().GetItemText(root), "/");
    EXPECT_EQ(Tree().GetNextSiblingItem(root), nullptr);
    EXPECT_EQ(Tree().GetCount(), 1u);

    // The header over the tree, as high as the tree font's "A" and 7 pixels.
    CClientDC dc(&Tree());
    HGDIOBJ old = ::SelectObject(dc, Tree().GetFont());
    const int textHeight = dc.GetTextExtent("A").cy;
    ::SelectObject(dc, old);
    const CRect headerRect = WindowIn(header, *view), treeRect = WindowIn(Tree(), *view);
    EXPECT_EQ(headerRect.Height(), textHeight + 7);
    EXPECT_EQ(treeRect.top, headerRect.bottom);
    CRect client;
    view->GetClientRect(&client);
    EXPECT_EQ(treeRect.bottom, client.bottom);

    CAttrTreeView orphan;
    EXPECT_FALSE(orphan.Create(&observer, 100, 100, nullptr, 5)) << "a child view needs its parent";
}

TEST_F(AttrTreeViewTest, SizeChangesSplitSixtyFortyAndDraggedWidthsLastUntilTheNext)
{
    CHeaderCtrl& header = view->GetHeaderCtrl();
    const int arrow = ::GetSystemMetrics(SM_CXHSCROLL);
    const auto expectSplit = [&](int width) {
        SCOPED_TRACE("view width " + std::to_string(width));
        CRect client;
        view->GetClientRect(&client);
        ASSERT_EQ(client.Width(), width);
        const int first = (width - arrow) * 6 / 10;
        EXPECT_EQ(HeaderWidth(header, 0), first);
        EXPECT_EQ(HeaderWidth(header, 1), width - arrow - first);
        EXPECT_EQ(view->GetColumns().total, width - arrow);
        EXPECT_EQ(view->GetTreeCtrl().GetColumn0Width(), first);
    };
    expectSplit(419);
    view->MoveWindow(0, 0, 333, 500);
    expectSplit(333);

    SetHeaderWidth(header, 0, 90); // as a drag of the divider ends
    EXPECT_EQ(HeaderWidth(header, 0), 90);
    EXPECT_EQ(view->GetTreeCtrl().GetColumn0Width(), 90) << "the columns follow the header";
    EXPECT_EQ(view->GetColumns().total, 90 + HeaderWidth(header, 1));
    SetHeaderWidth(header, 1, 700); // wider than the view: the scroll bar comes, the widths stay
    EXPECT_EQ(HeaderWidth(header, 0), 90);
    EXPECT_EQ(HeaderWidth(header, 1), 700);
    EXPECT_EQ(view->GetColumns().total, 790);

    view->MoveWindow(0, 0, 400, 500);
    expectSplit(400);
}

TEST_F(AttrTreeViewTest, SidewaysScrollingMovesHeaderAndTreeTogether)
{
    CHeaderCtrl& header = view->GetHeaderCtrl();
    SetHeaderWidth(header, 1, 600);
    const int total = view->GetColumns().total;
    CRect client;
    view->GetClientRect(&client);
    ASSERT_GT(total, client.Width());
    SCROLLINFO info{sizeof info, SIF_ALL, 0, 0, 0, 0, 0};
    ASSERT_TRUE(view->GetScrollInfo(SB_HORZ, &info));
    EXPECT_EQ(info.nMin, 0);
    EXPECT_EQ(info.nMax, total);
    EXPECT_EQ(info.nPage, static_cast<UINT>(client.Width()));

    struct Step {
        UINT code;
        int position;
    };
    const int right = total - client.Width();
    const Step steps[] = {{SB_RIGHT, right},
                          {SB_LINERIGHT, right},
                          {SB_LINELEFT, right - 15},
                          {SB_PAGELEFT, std::max(0, right - 15 - client.Width())},
                          {SB_THUMBPOSITION, std::max(0, right - 15 - client.Width())},
                          {SB_LEFT, 0},
                          {SB_LINELEFT, 0},
                          {SB_LINERIGHT, 15},
                          {SB_PAGERIGHT, std::min(right, 15 + client.Width())}};
    for (const Step& s : steps) {
        SCOPED_TRACE("code " + std::to_string(s.code));
        view->SendMessage(WM_HSCROLL, MAKEWPARAM(s.code, 0), 0);
        EXPECT_EQ(view->GetScrollPos(SB_HORZ), s.position);
        const CRect headerRect = WindowIn(header, *view), treeRect = WindowIn(Tree(), *view);
        EXPECT_EQ(headerRect.left, -s.position);
        EXPECT_EQ(treeRect.left, -s.position);
        EXPECT_EQ(headerRect.right, client.Width()) << "both reach the client's right edge";
    }
    view->SendMessage(WM_HSCROLL, MAKEWPARAM(SB_RIGHT, 0), 0);
    CRect last;
    ASSERT_TRUE(header.GetItemRect(1, &last));
    EXPECT_EQ(last.right - view->GetScrollPos(SB_HORZ), client.Width()) << "the right end shows the last column fully";
}

TEST_F(AttrTreeViewTest, FillingShowsEveryAttributeOnceAndAgainAfterEachOpen)
{
    content->UpdateAttributeTree(0xFFFFFFFF);
    EXPECT_EQ(Tree().GetCount(), 1u) << "without a camera the tree shows only the root";
    Open(kMono);
    content->UpdateAttributeTree(0xFFFFFFFF);
    const std::vector<std::string> first = RowNames();
    EXPECT_EQ(std::multiset<std::string>(first.begin(), first.end()), ListedNames());
    EXPECT_EQ(RowText("/ImageFormat/Width"), "Width\t640");
    EXPECT_EQ(RowText("/Exposure/Gain"), "Gain\t0.000000");
    EXPECT_EQ(RowText("/Exposure/BlackLevel"), "BlackLevel\t0");
    EXPECT_EQ(RowText("/ImageFormat/ReverseX"), "ReverseX\tFalse");
    EXPECT_EQ(RowText("/ImageFormat/PixelFormat"), "PixelFormat\tMono8");
    EXPECT_EQ(RowText("/DeviceInformation/DeviceUserID"), "DeviceUserID\tMono");
    EXPECT_EQ(RowText("/Acquisition/AcquisitionStart"), "AcquisitionStart\tN/A") << "a command is not readable";
    EXPECT_EQ(RowText("/Advanced/UserData"), "UserData\t") << "raw data shows no value";
    EXPECT_EQ(RowText("/Advanced/ChunkLayout"), "ChunkLayout\t") << "an unknown type shows no value";
    EXPECT_NE(Row("/ImageFormat/Region/OffsetX"), nullptr);
    std::vector<std::string> categories;
    for (HTREEITEM c = Tree().GetChildItem(Tree().GetRootItem()); c; c = Tree().GetNextSiblingItem(c)) {
        categories.push_back(Tree().GetItemText(c));
        EXPECT_TRUE(Tree().GetItemState(c, TVIS_EXPANDED) & TVIS_EXPANDED) << categories.back();
    }
    EXPECT_TRUE(std::is_sorted(categories.begin(), categories.end(), [](const std::string& a, const std::string& b) {
        return ::lstrcmpiA(a.c_str(), b.c_str()) < 0;
    })) << "the root's children are sorted";
    EXPECT_FALSE(Tree().GetItemState(Row("/ImageFormat/Region"), TVIS_EXPANDED) & TVIS_EXPANDED);
    EXPECT_EQ(Tree().GetFirstVisibleItem(), Tree().GetRootItem());

    const UINT count = Tree().GetCount();
    HTREEITEM width = Row("/ImageFormat/Width");
    Tree().SelectItem(width);
    struct Step {
        const char* what;
        std::function<void()> before;
    };
    const Step steps[] = {
        {"the framework's update again", [] {}},
        {"after the camera was closed and opened again", [&] { Open(kMono); }},
        {"a value changed meanwhile", [&] { ASSERT_EQ(Sim("set 601 Width 320"), "ok"); }},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        s.before();
        content->UpdateAttributeTree(0xFFFFFFFF);
        EXPECT_EQ(Tree().GetCount(), count) << "no row twice";
        EXPECT_EQ(Row("/ImageFormat/Width"), width) << "the row is the same item";
        EXPECT_EQ(Tree().GetSelectedItem(), width) << "and keeps the selection";
    }
    EXPECT_EQ(RowText("/ImageFormat/Width"), "Width\t320");

    Open(kColour);
    content->UpdateAttributeTree(0xFFFFFFFF);
    const std::vector<std::string> colour = RowNames();
    EXPECT_EQ(std::multiset<std::string>(colour.begin(), colour.end()), ListedNames());
    EXPECT_EQ(RowText("/ImageFormat/Width"), "Width\t1920");
    EXPECT_EQ(RowText("/ImageFormat/PixelFormat"), "PixelFormat\tBayer8");
}

TEST_F(AttrTreeViewTest, RefreshesFollowFilterImpactsAndAnUnpluggedCamera)
{
    Open(kMono);
    content->UpdateAttributeTree(0xFFFFFFFF);
    ASSERT_EQ(Sim("set 601 Gain 5.5"), "ok");
    ASSERT_EQ(Sim("set 601 Height 240"), "ok");
    content->RefreshSubtree(Tree().GetRootItem(), MK_FLAG_VOLATILE);
    EXPECT_EQ(RowText("/Exposure/Gain"), "Gain\t0.000000") << "the timer's refresh reads only volatile rows";
    EXPECT_EQ(RowText("/ImageFormat/TotalBytesPerFrame"), "TotalBytesPerFrame\t307200");
    content->RefreshImpacts("/Exposure");
    EXPECT_EQ(RowText("/Exposure/Gain"), "Gain\t5.500000") << "a category path refreshes the rows below it";
    EXPECT_EQ(RowText("/ImageFormat/Height"), "Height\t480");
    attr_editor::AttrInfo info{};
    ASSERT_EQ(Api()->MkAttrInfo(handle, "Height", &info), 0u);
    content->RefreshItem(Row("/ImageFormat/Height"), 0);
    content->RefreshImpacts(info.impacts); // "TotalBytesPerFrame,OffsetY"
    EXPECT_EQ(RowText("/ImageFormat/Height"), "Height\t240");
    EXPECT_EQ(RowText("/ImageFormat/TotalBytesPerFrame"), "TotalBytesPerFrame\t153600");

    const UINT count = Tree().GetCount();
    ASSERT_EQ(Sim("unplug 601"), "ok");
    content->RefreshSubtree(Tree().GetRootItem(), 0);
    content->UpdateAttributeTree(0xFFFFFFFF);
    EXPECT_EQ(RowText("/ImageFormat/Height"), "Height\t240") << "rows keep their text while the camera is gone";
    EXPECT_EQ(Tree().GetCount(), count) << "an update that cannot list the attributes changes nothing";
}

TEST_F(AttrTreeViewTest, AClickSelectsARowOnlyOnItsName)
{
    host.ShowWindow(SW_SHOW); // the focus needs a shown window
    Open(kMono);
    content->UpdateAttributeTree(0xFFFFFFFF);
    HTREEITEM width = Row("/ImageFormat/Width"), height = Row("/ImageFormat/Height");
    HTREEITEM category = Row("/ImageFormat");
    Tree().EnsureVisible(height);
    CRect widthLabel, heightLabel, categoryLabel;
    ASSERT_TRUE(Tree().GetItemRect(width, &widthLabel, TRUE));
    ASSERT_TRUE(Tree().GetItemRect(height, &heightLabel, TRUE));
    ASSERT_TRUE(Tree().GetItemRect(category, &categoryLabel, TRUE));
    const int column1 = view->GetColumns().Start(1);
    const int middle = (heightLabel.top + heightLabel.bottom) / 2;
    const int beyondName = heightLabel.left + Column0TextWidth(height) + 10;
    ASSERT_LT(beyondName, heightLabel.right) << "the control's label runs on over the value";

    struct Case {
        const char* what;
        CPoint at;
        bool twice;
        HTREEITEM selected;
        std::vector<std::string> reported;
    };
    const Case cases[] = {
        {"on a name", {widthLabel.left + 3, (widthLabel.top + widthLabel.bottom) / 2}, false, width, {"Width"}},
        {"on the value text", {column1 + attr_editor::kTextInset + 2, middle}, false, width, {}},
        {"on the label beyond the name", {beyondName, middle}, false, width, {}},
        {"twice beyond the name", {beyondName, middle}, true, width, {}},
        {"on the next name", {heightLabel.left + 3, middle}, false, height, {"Height"}},
        {"on a category", {categoryLabel.left + 3, (categoryLabel.top + categoryLabel.bottom) / 2}, false, category, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        observer.names.clear();
        host.SetFocus();
        Click(c.at, c.twice);
        EXPECT_EQ(Tree().GetSelectedItem(), c.selected);
        EXPECT_EQ(observer.names, c.reported);
        EXPECT_EQ(CWnd::GetFocus() ? CWnd::GetFocus()->m_hWnd : nullptr, Tree().m_hWnd) << "the tree takes the focus";
    }
}

bool IsDark(COLORREF c)
{
    return GetRValue(c) + GetGValue(c) + GetBValue(c) < 3 * 128;
}

TEST_F(AttrTreeViewTest, RowsAreDrawnInTheirColumnsWithGridLines)
{
    Open(kMono);
    content->UpdateAttributeTree(0xFFFFFFFF);
    host.ShowWindow(SW_SHOWNOACTIVATE);
    HTREEITEM height = Row("/ImageFormat/Height");
    Tree().EnsureVisible(height);
    Tree().Invalidate();
    Tree().UpdateWindow();
    PumpFor(100);
    CRect label, row;
    ASSERT_TRUE(Tree().GetItemRect(height, &label, TRUE));
    ASSERT_TRUE(Tree().GetItemRect(height, &row, FALSE));
    const attr_editor::Columns& columns = view->GetColumns();
    const int column1 = columns.Start(1), end = columns.Start(2);
    const int nameEnd = label.left + Column0TextWidth(height);
    ASSERT_LT(nameEnd + 8, std::min<int>(label.right, column1 - 4));

    HDC dc = ::GetDC(Tree().m_hWnd);
    const COLORREF window = ::GetSysColor(COLOR_WINDOW);
    const auto anyDark = [&](int left, int right) {
        for (int x = left; x < right; ++x)
            for (int y = label.top + 1; y < label.bottom - 1; ++y)
                if (IsDark(::GetPixel(dc, x, y))) return true;
        return false;
    };
    EXPECT_TRUE(anyDark(label.left, nameEnd + 2)) << "the name in column 0";
    EXPECT_FALSE(anyDark(nameEnd + 6, std::min<int>(label.right, column1 - 4))) << "the control's own text is gone";
    EXPECT_TRUE(anyDark(column1 + attr_editor::kTextInset, column1 + attr_editor::kTextInset + 30)) << "the value \"480\" in column 1";
    EXPECT_FALSE(anyDark(column1, column1 + attr_editor::kTextInset)) << "the inset before it";
    const int middle = (row.top + row.bottom) / 2;
    EXPECT_NE(::GetPixel(dc, column1 - 2, middle), window) << "the grid line after column 0";
    EXPECT_NE(::GetPixel(dc, end - 2, middle), window) << "the grid line after column 1";
    EXPECT_NE(::GetPixel(dc, column1 + 40, row.bottom - 1), window) << "the grid line under the row";
    EXPECT_EQ(::GetPixel(dc, column1 + 40, row.bottom - 3), window);
    ::ReleaseDC(Tree().m_hWnd, dc);

    Tree().SelectItem(Row("/ImageFormat/Width"));
    Tree().SetFocus();
    if (CanTakeScreenshots()) {
        EXPECT_TRUE(TakeScreenshot("attr_tree_expanded", host.m_hWnd));
    }
}

} // namespace
