// The multi-column tree's geometry.
#include "attr_editor/ColumnLayout.h"

#include <algorithm>
#include <cmath>

namespace attr_editor {

int Columns::Start(int column) const
{
    int start = 0;
    for (int i = 0; i < column && i < static_cast<int>(widths.size()); ++i) start += widths[i];
    return start;
}

Columns ComputeColumns(const std::vector<int>& headerWidths)
{
    Columns c;
    for (size_t i = 0; i < headerWidths.size() && i < kMaxColumns; ++i) {
        c.widths.push_back(headerWidths[i]);
        c.total += headerWidths[i];
    }
    return c;
}

std::array<int, 2> AttrColumnWidths(int viewWidth, int arrowWidth)
{
    const int usable = std::max(0, viewWidth - arrowWidth);
    const int first = static_cast<int>(std::floor(usable * 0.6));
    return {first, usable - first};
}

int ClampScroll(int position, int total, int client)
{
    return std::clamp(position, 0, std::max(0, total - client));
}

std::optional<int> ScrollTarget(int code, int trackPosition, int current, int total, int client)
{
    int target = current;
    switch (static_cast<ScrollCode>(code)) {
    case ScrollCode::LineLeft: target = current - kScrollLineStep; break;
    case ScrollCode::LineRight: target = current + kScrollLineStep; break;
    case ScrollCode::PageLeft: target = current - client; break;
    case ScrollCode::PageRight: target = current + client; break;
    case ScrollCode::ThumbTrack: target = trackPosition; break;
    case ScrollCode::Left: target = 0; break;
    case ScrollCode::Right: target = total - client; break;
    default: return std::nullopt;
    }
    target = ClampScroll(target, total, client);
    if (target == current) return std::nullopt;
    return target;
}

ChildPlacement PlaceChildren(int clientWidth, int clientHeight, int total, int scrollPosition, int headerHeight)
{
    const int offset = clientWidth < total ? scrollPosition : 0;
    const int width = clientWidth + offset;
    ChildPlacement p;
    p.header = {-offset, 0, -offset + width, headerHeight};
    p.tree = {-offset, headerHeight, -offset + width, clientHeight};
    return p;
}

Rect ClickableLabel(const Rect& label, int column0Width, int column0TextWidth)
{
    Rect r = label;
    r.right = std::min({r.right, column0Width, label.left + column0TextWidth + 6});
    return r;
}

Rect DrawnLabel(const Rect& textRect, int column0Width, int column0TextWidth)
{
    Rect r = textRect;
    r.right = std::min(textRect.left + column0TextWidth + 4, column0Width - 4);
    return r;
}

Rect ColumnTextRect(const Columns& columns, int column, const Rect& textRect)
{
    const int start = columns.Start(column);
    const int width = column < static_cast<int>(columns.widths.size()) ? columns.widths[column] : 0;
    return {start + kTextInset, textRect.top + 1, start + width - 2, textRect.bottom - 1};
}

} // namespace attr_editor
