// The geometry of the multi-column tree: the columns from the header's
// widths, the horizontal scroll position, where header and tree go, which
// part of a row takes a click, and where each column's text is drawn.
#pragma once

#include <array>
#include <optional>
#include <string_view>
#include <vector>

namespace attr_editor {

struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    bool operator==(const Rect&) const = default;
};

// Only the first 16 header items count as columns.
inline constexpr int kMaxColumns = 16;
// Left inset of the texts of columns 1 and later.
inline constexpr int kTextInset = 9;
// Pixels a line step of the horizontal scroll bar moves.
inline constexpr int kScrollLineStep = 15;

struct Columns {
    std::vector<int> widths; // at most kMaxColumns
    int total = 0;

    // Start of column i: the sum of the widths before it.
    int Start(int column) const;
};
Columns ComputeColumns(const std::vector<int>& headerWidths);

// The attribute tree's two columns for a view width: 60 per cent (rounded
// down) and the rest of the width less one scroll-bar arrow; never negative.
std::array<int, 2> AttrColumnWidths(int viewWidth, int arrowWidth);

// The scroll position clamped to [0, total - client] (0 when that is negative).
int ClampScroll(int position, int total, int client);

// Scroll-bar codes, as WM_HSCROLL gives them.
enum class ScrollCode { LineLeft = 0,
                        LineRight = 1,
                        PageLeft = 2,
                        PageRight = 3,
                        ThumbPosition = 4,
                        ThumbTrack = 5,
                        Left = 6,
                        Right = 7,
                        EndScroll = 8 };
// The new position for a scroll code, or nullopt when the code moves nothing
// or the clamped position equals the current one.
std::optional<int> ScrollTarget(int code, int trackPosition, int current, int total, int client);

struct ChildPlacement {
    Rect header, tree;
};
// The header over the tree, both shifted left by the scroll offset when the
// columns are wider than the client area.
ChildPlacement PlaceChildren(int clientWidth, int clientHeight, int total, int scrollPosition, int headerHeight);

// The part of a row's label that takes a click: the label cut at column 0's
// width and at the end of the column-0 text plus 6 pixels.
Rect ClickableLabel(const Rect& label, int column0Width, int column0TextWidth);

// The highlighted label of a drawn row: the text rectangle up to the end of
// the column-0 text plus 4 pixels, not beyond column 0's width less 4.
Rect DrawnLabel(const Rect& textRect, int column0Width, int column0TextWidth);

// The rectangle column g's (g >= 1) text is drawn in, on a row whose text
// rectangle is given.
Rect ColumnTextRect(const Columns& columns, int column, const Rect& textRect);

} // namespace attr_editor
