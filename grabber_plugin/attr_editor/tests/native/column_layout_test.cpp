// The multi-column tree's geometry: columns, the 60/40 split, scrolling,
// where header and tree go, the clickable label and the drawn texts.
#include "attr_editor/ColumnLayout.h"

#include <gtest/gtest.h>

namespace attr_editor {
namespace {

TEST(ColumnLayoutTest, ColumnsAreTheFirstSixteenHeaderWidths)
{
    const Columns two = ComputeColumns({170, 113});
    EXPECT_EQ(two.total, 283);
    EXPECT_EQ(two.Start(0), 0);
    EXPECT_EQ(two.Start(1), 170);
    EXPECT_EQ(two.Start(2), 283);
    const Columns many = ComputeColumns(std::vector<int>(20, 10));
    EXPECT_EQ(many.widths.size(), 16u);
    EXPECT_EQ(many.total, 160) << "columns beyond 16 are ignored";
    EXPECT_EQ(ComputeColumns({}).total, 0);
}

TEST(ColumnLayoutTest, AttributeColumnsSplitSixtyFortyAfterTheArrow)
{
    struct Case {
        int width, arrow, first, second;
    };
    const Case cases[] = {{300, 17, 169, 114}, {117, 17, 60, 40}, {118, 17, 60, 41}, {17, 17, 0, 0}, {5, 17, 0, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE("width " + std::to_string(c.width));
        const auto widths = AttrColumnWidths(c.width, c.arrow);
        EXPECT_EQ(widths[0], c.first);
        EXPECT_EQ(widths[1], c.second);
    }
}

TEST(ColumnLayoutTest, ScrollCodesMoveWithinTheColumns)
{
    using S = ScrollCode;
    struct Case {
        const char* what;
        S code;
        int track, current, total, client;
        std::optional<int> target;
    };
    const Case cases[] = {
        {"line right", S::LineRight, 0, 0, 500, 200, 15},
        {"line left at the start", S::LineLeft, 0, 0, 500, 200, std::nullopt},
        {"line left", S::LineLeft, 0, 40, 500, 200, 25},
        {"line right near the end", S::LineRight, 0, 295, 500, 200, 300},
        {"page right", S::PageRight, 0, 10, 500, 200, 210},
        {"page right clamped", S::PageRight, 0, 200, 500, 200, 300},
        {"page left clamped", S::PageLeft, 0, 150, 500, 200, 0},
        {"thumb track", S::ThumbTrack, 123, 0, 500, 200, 123},
        {"thumb track beyond", S::ThumbTrack, 400, 0, 500, 200, 300},
        {"thumb position changes nothing", S::ThumbPosition, 123, 0, 500, 200, std::nullopt},
        {"end scroll changes nothing", S::EndScroll, 0, 50, 500, 200, std::nullopt},
        {"left end", S::Left, 0, 77, 500, 200, 0},
        {"right end shows the last column fully", S::Right, 0, 0, 500, 200, 300},
        {"right end when everything fits", S::Right, 0, 0, 150, 200, std::nullopt},
        {"line right when everything fits", S::LineRight, 0, 0, 150, 200, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(ScrollTarget(static_cast<int>(c.code), c.track, c.current, c.total, c.client), c.target);
    }
    EXPECT_EQ(ScrollTarget(99, 0, 0, 500, 200), std::nullopt) << "an unknown code";
    EXPECT_EQ(ClampScroll(-5, 500, 200), 0);
    EXPECT_EQ(ClampScroll(900, 500, 200), 300);
    EXPECT_EQ(ClampScroll(10, 100, 200), 0);
}

TEST(ColumnLayoutTest, HeaderAndTreeShiftByTheOffsetOnlyWhenTheColumnsAreWider)
{
    struct Case {
        const char* what;
        int clientW, clientH, total, scroll;
        Rect header, tree;
    };
    const Case cases[] = {
        {"wider columns, scrolled", 200, 150, 500, 60, {-60, 0, 200, 20}, {-60, 20, 200, 150}},
        {"wider columns, at the start", 200, 150, 500, 0, {0, 0, 200, 20}, {0, 20, 200, 150}},
        {"columns fit: the scroll position is ignored", 300, 150, 283, 40, {0, 0, 300, 20}, {0, 20, 300, 150}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const ChildPlacement p = PlaceChildren(c.clientW, c.clientH, c.total, c.scroll, 20);
        EXPECT_EQ(p.header, c.header);
        EXPECT_EQ(p.tree, c.tree);
    }
}

TEST(ColumnLayoutTest, ClickableAndDrawnLabelsStopAtColumnZero)
{
    const Rect label{40, 16, 160, 32};
    struct Case {
        const char* what;
        int column0, textWidth;
        int clickRight, drawnRight;
    };
    const Case cases[] = {
        {"short name", 170, 30, 76, 74},
        {"name wider than column 0", 100, 200, 100, 96},
        {"label shorter than the text", 400, 300, 160, 344},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(ClickableLabel(label, c.column0, c.textWidth), (Rect{40, 16, c.clickRight, 32}));
        EXPECT_EQ(DrawnLabel(label, c.column0, c.textWidth), (Rect{40, 16, c.drawnRight, 32}));
    }
    const Rect click = ClickableLabel(label, 170, 30);
    EXPECT_TRUE(click.Contains(75, 20));
    EXPECT_FALSE(click.Contains(76, 20)) << "the value text lies beyond";
}

TEST(ColumnLayoutTest, FurtherColumnsAreDrawnInsetInsideTheirColumn)
{
    const Columns columns = ComputeColumns({170, 113, 50});
    EXPECT_EQ(ColumnTextRect(columns, 1, Rect{40, 16, 160, 32}), (Rect{179, 17, 281, 31}));
    EXPECT_EQ(ColumnTextRect(columns, 2, Rect{40, 16, 160, 32}), (Rect{292, 17, 331, 31}));
}

} // namespace
} // namespace attr_editor
