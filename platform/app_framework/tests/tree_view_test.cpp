// A view holding a header and a tree: items and texts, notifications and custom draw routed through the view's map,
// its own scroll bar, and double-buffered painting.
#include <gtest/gtest.h>

#include "test_ids.h"
#include "app_framework_testing/message_tests.h"

#include <map>

namespace {

constexpr UINT kHeaderId = 1;
constexpr UINT kTreeId = 2;

// Paints double-buffered: the control's default painting goes into a memory
// bitmap that reaches the screen in one transfer.
class CBufferedTree : public CTreeCtrl {
public:
    int paints = 0;

protected:
    void OnPaint()
    {
        ++paints;
        CPaintDC dc(this);
        CRect client;
        GetClientRect(&client);
        CMemDC memory(dc, client);
        if (memory.IsValid())
            DefWindowProc(WM_PAINT, reinterpret_cast<WPARAM>(memory.GetSafeHdc()), 0);
    }
    BOOL OnEraseBkgnd(CDC*) { return TRUE; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CBufferedTree, CTreeCtrl)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

class CTreeHostView : public CView {
public:
    CBufferedTree tree;
    CHeaderCtrl header;

    // What the view answers at each custom-draw stage.
    LRESULT prePaintAnswer = CDRF_DODEFAULT;
    LRESULT itemPrePaintAnswer = CDRF_DODEFAULT;
    std::map<DWORD, int> stages;    // custom-draw stage -> count
    std::vector<DWORD> drawDCTypes; // object type of the custom-draw DC while it is in use
    std::vector<HTREEITEM> selections;
    std::vector<int> headerChanges;
    std::vector<std::pair<UINT, bool>> scrolls; // code, from a scroll-bar control
    int draws = 0;

    void OnDraw(CDC*) override { ++draws; }
    void OnInitialUpdate() override
    {
        header.Create(WS_VISIBLE | HDS_FULLDRAG, CRect(0, 0, 300, 20), this, kHeaderId);
        tree.Create(WS_VISIBLE | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_NOTOOLTIPS | TVS_NOHSCROLL,
                    CRect(0, 20, 300, 200), this, kTreeId);
    }

protected:
    void OnTreeCustomDraw(NMHDR* header, LRESULT* result)
    {
        auto* draw = reinterpret_cast<NMTVCUSTOMDRAW*>(header);
        ++stages[draw->nmcd.dwDrawStage];
        drawDCTypes.push_back(::GetObjectType(draw->nmcd.hdc));
        *result = draw->nmcd.dwDrawStage == CDDS_PREPAINT ? prePaintAnswer
            : draw->nmcd.dwDrawStage == CDDS_ITEMPREPAINT ? itemPrePaintAnswer
                                                          : CDRF_DODEFAULT;
    }
    void OnSelChanged(NMHDR* header, LRESULT* result)
    {
        selections.push_back(reinterpret_cast<NMTREEVIEWA*>(header)->itemNew.hItem);
        *result = 0;
    }
    void OnHeaderChanged(NMHDR* header, LRESULT*) { headerChanges.push_back(reinterpret_cast<NMHEADERA*>(header)->iItem); }
    void OnHScroll(UINT code, UINT, CScrollBar* bar) { scrolls.push_back({code, bar != nullptr}); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTreeHostView, CView)
    ON_NOTIFY(NM_CUSTOMDRAW, kTreeId, OnTreeCustomDraw)
    ON_NOTIFY(TVN_SELCHANGEDA, kTreeId, OnSelChanged)
    ON_NOTIFY(HDN_ITEMCHANGEDA, kHeaderId, OnHeaderChanged)
    ON_WM_HSCROLL()
END_MESSAGE_MAP()

class TreeViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(host.Create(IDD_PANE_HOST));
        ASSERT_TRUE(view.Create(nullptr, "tree", WS_CHILD | WS_VISIBLE | WS_HSCROLL, CRect(0, 0, 300, 200), &host, 4108));
        ASSERT_TRUE(view.tree.m_hWnd);
        ASSERT_TRUE(view.header.m_hWnd);
    }
    // Painting needs a visible window (showing one costs Wine a wait at its
    // destruction, so only the painting tests do).
    void show() { host.ShowWindow(SW_SHOWNOACTIVATE); }
    // Paints the tree now; the view records the stages it saw.
    void repaintTree()
    {
        view.stages.clear();
        view.drawDCTypes.clear();
        view.tree.Invalidate();
        view.tree.UpdateWindow();
    }
    CDialog host{IDD_PANE_HOST};
    CTreeHostView view;
};

TEST_F(TreeViewTest, TheViewWindowUsesTheFrameworkClassWithoutBackground)
{
    char name[64] = {};
    ::GetClassNameA(view.m_hWnd, name, sizeof name);
    EXPECT_STREQ(name, AfxViewClassName());
    EXPECT_EQ(::GetClassLongPtrA(view.m_hWnd, GCLP_HBRBACKGROUND), 0) << "views do not erase";
    EXPECT_EQ(view.GetDlgCtrlID(), 4108);
    EXPECT_EQ(view.GetWindowText(), "tree");
    show();
    view.draws = 0;
    view.Invalidate();
    view.UpdateWindow();
    EXPECT_EQ(view.draws, 1) << "WM_PAINT reaches OnDraw once";
}

TEST_F(TreeViewTest, ItemsTextsAndTheTreeWalk)
{
    CTreeCtrl& tree = view.tree;
    HTREEITEM root = tree.InsertItem("/");
    ASSERT_NE(root, nullptr);
    HTREEITEM image = tree.InsertItem("Image", root);
    HTREEITEM format = tree.InsertItem("Format", image);
    HTREEITEM width = tree.InsertItem("Width\t1024", format);
    std::string longText = "Long\t" + std::string(3000, 'v');
    HTREEITEM longRow = tree.InsertItem(longText.c_str(), root);

    EXPECT_EQ(tree.GetRootItem(), root);
    EXPECT_EQ(tree.GetCount(), 5u);
    EXPECT_EQ(tree.GetItemText(width), "Width\t1024") << "TABs stay in the text";
    EXPECT_EQ(tree.GetItemText(longRow), longText) << "long texts are not cut";
    EXPECT_TRUE(tree.SetItemText(width, "Width\t2048"));
    EXPECT_EQ(tree.GetItemText(width), "Width\t2048");
    EXPECT_TRUE(tree.SetItemData(format, 77));
    EXPECT_EQ(tree.GetItemData(format), 77u);

    struct Case {
        const char* what;
        HTREEITEM item;
        HTREEITEM parent, child, next;
        bool hasChildren;
    };
    const Case cases[] = {
        {"root", root, nullptr, image, nullptr, true},
        {"category", image, root, format, longRow, true},
        {"attribute", width, format, nullptr, nullptr, false},
        {"last row", longRow, root, nullptr, nullptr, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(tree.GetParentItem(c.item), c.parent);
        EXPECT_EQ(tree.GetChildItem(c.item), c.child);
        EXPECT_EQ(tree.GetNextSiblingItem(c.item), c.next);
        EXPECT_EQ(tree.ItemHasChildren(c.item), c.hasChildren);
    }

    EXPECT_TRUE(tree.DeleteItem(longRow));
    EXPECT_EQ(tree.GetCount(), 4u);
    EXPECT_TRUE(tree.DeleteAllItems());
    EXPECT_EQ(tree.GetCount(), 0u);
    EXPECT_EQ(tree.GetRootItem(), nullptr);
}

TEST_F(TreeViewTest, SortExpandSelectAndHitTest)
{
    CTreeCtrl& tree = view.tree;
    HTREEITEM root = tree.InsertItem("/");
    for (const char* name : {"gamma", "Alpha", "beta"})
        tree.InsertItem(name, root);
    HTREEITEM nested = tree.InsertItem("zeta", tree.GetChildItem(root));
    tree.InsertItem("eta", tree.GetChildItem(root));
    EXPECT_TRUE(tree.SortChildren(root));
    std::vector<std::string> order;
    for (HTREEITEM item = tree.GetChildItem(root); item; item = tree.GetNextSiblingItem(item))
        order.push_back(tree.GetItemText(item));
    EXPECT_EQ(order, (std::vector<std::string>{"Alpha", "beta", "gamma"})) << "alphabetical, ignoring case";
    EXPECT_EQ(tree.GetItemText(tree.GetNextSiblingItem(nested)), "eta") << "deeper levels keep their order";

    EXPECT_TRUE(tree.Expand(root, TVE_EXPAND));
    EXPECT_TRUE(tree.GetItemState(root, TVIS_EXPANDED) & TVIS_EXPANDED);
    EXPECT_TRUE(tree.SelectSetFirstVisible(root));
    EXPECT_EQ(tree.GetFirstVisibleItem(), root);

    HTREEITEM beta = tree.GetNextSiblingItem(tree.GetChildItem(root));
    view.selections.clear();
    EXPECT_TRUE(tree.SelectItem(beta));
    EXPECT_EQ(tree.GetSelectedItem(), beta);
    ASSERT_EQ(view.selections.size(), 1u) << "the ANSI selection notification reaches the view's map";
    EXPECT_EQ(view.selections[0], beta);

    CRect row, label;
    ASSERT_TRUE(tree.GetItemRect(beta, &row, FALSE));
    ASSERT_TRUE(tree.GetItemRect(beta, &label, TRUE));
    EXPECT_GT(label.left, row.left) << "the label starts right of the indent";
    EXPECT_GT(tree.GetItemHeight(), 0);
    UINT flags = 0;
    EXPECT_EQ(tree.HitTest(label.CenterPoint(), &flags), beta);
    EXPECT_TRUE(flags & TVHT_ONITEMLABEL);
    EXPECT_EQ(tree.HitTest(CPoint(row.left + 1, row.bottom + 3 * row.Height()), &flags), nullptr) << "below the rows";
    EXPECT_FALSE(tree.GetItemRect(nested, &row, FALSE)) << "a collapsed child has no rectangle";
}

TEST_F(TreeViewTest, CustomDrawAnswersDecideWhichStagesFollow)
{
    CTreeCtrl& tree = view.tree;
    HTREEITEM root = tree.InsertItem("/");
    tree.InsertItem("a\t1", root);
    tree.InsertItem("b\t2", root);
    tree.Expand(root, TVE_EXPAND);
    show();
    struct Case {
        const char* what;
        LRESULT prePaint, itemPrePaint;
        int itemPrePaints, itemPostPaints;
    };
    const Case cases[] = {
        {"default drawing", CDRF_DODEFAULT, CDRF_DODEFAULT, 0, 0},
        {"item notifications", CDRF_NOTIFYITEMDRAW, CDRF_DODEFAULT, 3, 0},
        {"item post-paint", CDRF_NOTIFYITEMDRAW, CDRF_NOTIFYPOSTPAINT, 3, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        view.prePaintAnswer = c.prePaint;
        view.itemPrePaintAnswer = c.itemPrePaint;
        repaintTree();
        EXPECT_EQ(view.stages[CDDS_PREPAINT], 1);
        EXPECT_EQ(view.stages[CDDS_ITEMPREPAINT], c.itemPrePaints) << "one per visible row";
        EXPECT_EQ(view.stages[CDDS_ITEMPOSTPAINT], c.itemPostPaints);
    }
}

TEST_F(TreeViewTest, DoubleBufferedTreeDrawsIntoTheMemoryBitmap)
{
    CTreeCtrl& tree = view.tree;
    tree.InsertItem("/");
    show();
    view.prePaintAnswer = CDRF_NOTIFYITEMDRAW;
    view.tree.paints = 0;
    repaintTree();
    EXPECT_EQ(view.tree.paints, 1);
    ASSERT_GE(view.drawDCTypes.size(), 2u) << "the pre-paint and the root's item pre-paint";
    for (DWORD type : view.drawDCTypes)
        EXPECT_EQ(type, static_cast<DWORD>(OBJ_MEMDC)) << "custom draw gets the memory DC, not the screen's";
}

TEST_F(TreeViewTest, HeaderItemsAndTheirChangeNotification)
{
    CHeaderCtrl& header = view.header;
    header.SetFont(view.tree.GetFont());
    const struct {
        const char* text;
        int width;
    } columns[] = {{"Attributes", 170}, {"Values", 113}};
    for (int i = 0; i < 2; ++i) {
        HDITEMA item{};
        item.mask = HDI_TEXT | HDI_WIDTH | HDI_FORMAT;
        item.fmt = HDF_CENTER | HDF_STRING;
        item.pszText = const_cast<char*>(columns[i].text);
        item.cxy = columns[i].width;
        EXPECT_EQ(header.InsertItem(i, &item), i);
    }
    EXPECT_EQ(header.GetItemCount(), 2);
    EXPECT_EQ(header.GetItemText(0), "Attributes");
    CRect second;
    ASSERT_TRUE(header.GetItemRect(1, &second));
    EXPECT_EQ(second.left, 170);
    EXPECT_EQ(second.Width(), 113);

    view.headerChanges.clear();
    HDITEMA resize{};
    resize.mask = HDI_WIDTH;
    resize.cxy = 90;
    EXPECT_TRUE(header.SetItem(0, &resize));
    EXPECT_EQ(view.headerChanges, (std::vector<int>{0})) << "the ANSI change notification reaches the view's map";
    ASSERT_TRUE(header.GetItemRect(1, &second));
    EXPECT_EQ(second.left, 90);

    CRect area(0, 0, 300, 200);
    WINDOWPOS position{};
    HDLAYOUT layout{&area, &position};
    EXPECT_TRUE(header.Layout(&layout));
    EXPECT_GT(position.cy, 0);
    EXPECT_EQ(area.top, position.cy) << "the rest of the area lies below the header";
    EXPECT_TRUE(header.DeleteItem(1));
    EXPECT_EQ(header.GetItemCount(), 1);
}

TEST_F(TreeViewTest, OwnScrollBarRangeLimitAndScrollMessages)
{
    struct Case {
        int maximum;
        UINT page;
        int pos, expectedPos, expectedLimit;
    };
    const Case cases[] = {{500, 200, 100, 100, 301}, {500, 200, 450, 301, 301}, {100, 0, 50, 50, 100}};
    for (const Case& c : cases) {
        SCOPED_TRACE("max " + std::to_string(c.maximum) + " page " + std::to_string(c.page));
        SCROLLINFO info{};
        info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
        info.nMin = 0;
        info.nMax = c.maximum;
        info.nPage = c.page;
        info.nPos = c.pos;
        view.SetScrollInfo(SB_HORZ, &info);
        EXPECT_EQ(view.GetScrollPos(SB_HORZ), c.expectedPos);
        EXPECT_EQ(view.GetScrollLimit(SB_HORZ), c.expectedLimit);
        SCROLLINFO back{};
        ASSERT_TRUE(view.GetScrollInfo(SB_HORZ, &back));
        EXPECT_EQ(back.nMax, c.maximum);
        EXPECT_EQ(back.nPage, c.page);
    }
    view.scrolls.clear();
    view.SendMessage(WM_HSCROLL, MAKEWPARAM(SB_RIGHT, 0), 0);
    view.SendMessage(WM_HSCROLL, MAKEWPARAM(SB_LINELEFT, 0), 0);
    EXPECT_EQ(view.scrolls, (std::vector<std::pair<UINT, bool>>{{SB_RIGHT, false}, {SB_LINELEFT, false}}))
        << "the window's own bar comes without a control";
}

TEST(MemDC, DrawingReachesTheTargetOnlyAtTheEndAndOnlyInsideTheRectangle)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = 40;
    info.bmiHeader.biHeight = -20;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    win32::UniqueBitmap surface(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    win32::UniqueMemoryDC targetDC(::CreateCompatibleDC(nullptr));
    ASSERT_TRUE(surface && targetDC);
    HGDIOBJ old = ::SelectObject(targetDC.get(), surface.get());
    CDC target(targetDC.get());
    const COLORREF white = RGB(255, 255, 255), red = RGB(255, 0, 0);

    struct Case {
        const char* what;
        CRect rect;
        bool valid;
        CPoint inside;
    };
    const Case cases[] = {
        {"offset rectangle", CRect(10, 5, 30, 15), true, CPoint(12, 7)},
        {"whole surface", CRect(0, 0, 40, 20), true, CPoint(39, 19)},
        {"empty rectangle", CRect(10, 5, 10, 15), false, CPoint(10, 6)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        target.FillSolidRect(CRect(0, 0, 40, 20), white);
        {
            CMemDC memory(target, c.rect);
            EXPECT_EQ(memory.IsValid(), c.valid);
            memory.FillSolidRect(CRect(0, 0, 40, 20), red); // clipped to the bitmap
            EXPECT_EQ(::GetPixel(target, c.inside.x, c.inside.y), white) << "nothing shows before the copy";
        }
        EXPECT_EQ(::GetPixel(target, c.inside.x, c.inside.y), c.valid ? red : white);
        if (c.rect.left > 0) {
            EXPECT_EQ(::GetPixel(target, c.rect.left - 1, c.rect.top), white) << "outside stays";
        }
    }
    ::SelectObject(targetDC.get(), old);
}

} // namespace
