// A view holding a header and a tree: the tree's items, notifications and custom draw through the view's map,
// double-buffered painting, and the view's own scroll bar.
#include <gtest/gtest.h>

#include "test_ids.h"
#include "app_framework_testing/message_tests.h"

#include <map>

namespace {

constexpr UINT kHeaderId = 1;
constexpr UINT kTreeId = 2;

// Its default painting goes into a memory bitmap that reaches the screen in one transfer.
class CBufferedTree : public CTreeCtrl {
protected:
    void OnPaint()
    {
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
    LRESULT prePaintAnswer = CDRF_DODEFAULT, itemPrePaintAnswer = CDRF_DODEFAULT;
    std::map<DWORD, int> stages;    // custom-draw stage -> count
    std::vector<DWORD> drawDCTypes; // object type of each custom-draw DC while in use
    std::vector<HTREEITEM> selections;
    std::vector<int> headerChanges;
    std::vector<std::pair<UINT, bool>> scrolls; // code, came with a control
    int draws = 0;

    void OnDraw(CDC*) override { ++draws; }
    void OnInitialUpdate() override
    {
        header.Create(WS_VISIBLE | HDS_FULLDRAG, CRect(0, 0, 300, 20), this, kHeaderId);
        tree.Create(WS_VISIBLE | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_NOTOOLTIPS, CRect(0, 20, 300, 200), this, kTreeId);
    }

protected:
    void OnTreeCustomDraw(NMHDR* header, LRESULT* result)
    {
        auto* draw = reinterpret_cast<NMTVCUSTOMDRAW*>(header);
        ++stages[draw->nmcd.dwDrawStage];
        drawDCTypes.push_back(::GetObjectType(draw->nmcd.hdc));
        DWORD stage = draw->nmcd.dwDrawStage;
        *result = stage == CDDS_PREPAINT ? prePaintAnswer : stage == CDDS_ITEMPREPAINT ? itemPrePaintAnswer
                                                                                       : CDRF_DODEFAULT;
    }
    void OnSelChanged(NMHDR* header, LRESULT*) { selections.push_back(reinterpret_cast<NMTREEVIEWA*>(header)->itemNew.hItem); }
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
        ASSERT_TRUE(view.tree.m_hWnd && view.header.m_hWnd);
    }
    // Painting needs a shown window; a shown window costs Wine a wait when
    // it is destroyed, so only the painting tests show it.
    void repaintTree()
    {
        host.ShowWindow(SW_SHOWNOACTIVATE);
        view.stages.clear();
        view.drawDCTypes.clear();
        view.tree.Invalidate();
        view.tree.UpdateWindow();
    }
    CDialog host{IDD_PANE_HOST};
    CTreeHostView view;
};

TEST_F(TreeViewTest, TheViewUsesTheFrameworkClassAndPaintsThroughOnDraw)
{
    char name[64] = {};
    ::GetClassNameA(view.m_hWnd, name, sizeof name);
    EXPECT_STREQ(name, AfxViewClassName());
    EXPECT_EQ(::GetClassLongPtrA(view.m_hWnd, GCLP_HBRBACKGROUND), 0) << "views do not erase";
    EXPECT_EQ(view.GetDlgCtrlID(), 4108);
    repaintTree();
    view.draws = 0;
    view.Invalidate();
    view.UpdateWindow();
    EXPECT_EQ(view.draws, 1);
}

TEST_F(TreeViewTest, ItemsTextsSelectionAndHitTest)
{
    CTreeCtrl& tree = view.tree;
    HTREEITEM root = tree.InsertItem("/");
    HTREEITEM image = tree.InsertItem("Image", root);
    HTREEITEM width = tree.InsertItem("Width\t1024", image);
    std::string longText = "Long\t" + std::string(3000, 'v');
    HTREEITEM longRow = tree.InsertItem(longText.c_str(), root);
    EXPECT_EQ(tree.GetItemText(longRow), longText) << "long texts are not cut";
    EXPECT_TRUE(tree.SetItemText(width, "Width\t2048"));
    EXPECT_EQ(tree.GetItemText(width), "Width\t2048");
    EXPECT_TRUE(tree.SetItemData(image, 77));
    EXPECT_EQ(tree.GetItemData(image), 77u);
    EXPECT_TRUE(tree.ItemHasChildren(image));
    EXPECT_FALSE(tree.ItemHasChildren(width));

    EXPECT_TRUE(tree.Expand(root, TVE_EXPAND));
    EXPECT_TRUE(tree.SelectItem(longRow));
    EXPECT_EQ(tree.GetSelectedItem(), longRow);
    EXPECT_EQ(view.selections, std::vector<HTREEITEM>{longRow}) << "the ANSI notification reaches the view's map";
    CRect row, label;
    ASSERT_TRUE(tree.GetItemRect(image, &row, FALSE));
    ASSERT_TRUE(tree.GetItemRect(image, &label, TRUE));
    EXPECT_GT(label.left, row.left) << "the label starts right of the indent";
    UINT flags = 0;
    EXPECT_EQ(tree.HitTest(label.CenterPoint(), &flags), image);
    EXPECT_TRUE(flags & TVHT_ONITEMLABEL);
    EXPECT_FALSE(tree.GetItemRect(width, &row, FALSE)) << "a collapsed child has no rectangle";
    EXPECT_TRUE(tree.DeleteAllItems());
    EXPECT_EQ(tree.GetRootItem(), nullptr);
}

TEST_F(TreeViewTest, CustomDrawAnswersDecideWhichStagesFollow)
{
    HTREEITEM root = view.tree.InsertItem("/");
    view.tree.InsertItem("a\t1", root);
    view.tree.InsertItem("b\t2", root);
    view.tree.Expand(root, TVE_EXPAND);
    struct Case {
        const char* what;
        LRESULT prePaint, itemPrePaint;
        int itemPrePaints, itemPostPaints;
    };
    const Case cases[] = {{"default drawing", CDRF_DODEFAULT, CDRF_DODEFAULT, 0, 0},
                          {"item notifications", CDRF_NOTIFYITEMDRAW, CDRF_DODEFAULT, 3, 0},
                          {"item post-paint", CDRF_NOTIFYITEMDRAW, CDRF_NOTIFYPOSTPAINT, 3, 3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        view.prePaintAnswer = c.prePaint;
        view.itemPrePaintAnswer = c.itemPrePaint;
        repaintTree();
        EXPECT_EQ(view.stages[CDDS_PREPAINT], 1);
        EXPECT_EQ(view.stages[CDDS_ITEMPREPAINT], c.itemPrePaints) << "one per visible row";
        EXPECT_EQ(view.stages[CDDS_ITEMPOSTPAINT], c.itemPostPaints);
    }
    ASSERT_FALSE(view.drawDCTypes.empty());
    for (DWORD type : view.drawDCTypes)
        EXPECT_EQ(type, static_cast<DWORD>(OBJ_MEMDC)) << "the double-buffered tree draws into the memory DC";
}

TEST_F(TreeViewTest, HeaderChangesReachTheViewAndScrollMessagesComeWithoutABar)
{
    HDITEMA item{};
    item.mask = HDI_TEXT | HDI_WIDTH | HDI_FORMAT;
    item.fmt = HDF_CENTER | HDF_STRING;
    item.cxy = 170;
    item.pszText = const_cast<char*>("Attributes");
    EXPECT_EQ(view.header.InsertItem(0, &item), 0);
    item.pszText = const_cast<char*>("Values");
    EXPECT_EQ(view.header.InsertItem(1, &item), 1);
    view.headerChanges.clear();
    HDITEMA resize{};
    resize.mask = HDI_WIDTH;
    resize.cxy = 90;
    EXPECT_TRUE(view.header.SetItem(0, &resize));
    EXPECT_EQ(view.headerChanges, std::vector<int>{0}) << "the ANSI notification reaches the view's map";
    CRect second;
    ASSERT_TRUE(view.header.GetItemRect(1, &second));
    EXPECT_EQ(second.left, 90);

    view.SendMessage(WM_HSCROLL, MAKEWPARAM(SB_RIGHT, 0), 0);
    EXPECT_EQ(view.scrolls, (std::vector<std::pair<UINT, bool>>{{SB_RIGHT, false}}));
    const struct {
        int maximum;
        UINT page;
        int limit;
    } limits[] = {{500, 200, 301}, {100, 0, 100}, {50, 80, 0}};
    for (const auto& c : limits) {
        SCROLLINFO info{0, SIF_RANGE | SIF_PAGE, 0, c.maximum, c.page, 0, 0};
        view.SetScrollInfo(SB_HORZ, &info);
        EXPECT_EQ(view.GetScrollLimit(SB_HORZ), c.limit) << "maximum " << c.maximum << ", page " << c.page;
    }
}

TEST(MemDC, DrawingReachesTheTargetOnlyAtTheEndAndOnlyInsideTheRectangle)
{
    BITMAPINFO info{};
    info.bmiHeader = {sizeof info.bmiHeader, 40, -20, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
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
    const Case cases[] = {{"offset rectangle", CRect(10, 5, 30, 15), true, CPoint(12, 7)},
                          {"whole surface", CRect(0, 0, 40, 20), true, CPoint(39, 19)},
                          {"empty rectangle", CRect(10, 5, 10, 15), false, CPoint(10, 6)}};
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
