// The text box's mouse: the character hit test, placing the caret by a press, selecting by a
// drag (scrolling the text at the edges when scrolling to the caret is set) and selecting a word
// by a double click or a click with Ctrl.
#include "Controls/TextBox.h"

#include "notification/KeyCode.h"

#include <algorithm>
#include <locale>

namespace Orv
{
namespace
{
// The modifier flags of a mouse event.
constexpr DWORD kMouseCtrl = KeyCode::kFlagCtrl;
constexpr DWORD kMouseShift = KeyCode::kFlagShift;
// How near to an edge of the text area a drag starts scrolling, in pixels.
constexpr double kScrollZone = 20.0;

PointT<double> ClampInto(const PointT<double>& point, const RectT<double>& area)
{
    return PointT<double>(std::clamp(point.x, area.x, std::max(area.x, area.Right())),
                          std::clamp(point.y, area.y, std::max(area.y, area.Bottom())));
}

bool IsSpace(wchar_t c)
{
    return std::use_facet<std::ctype<wchar_t>>(std::locale()).is(std::ctype_base::space, c);
}
} // namespace

int LTextBox::CharacterIndexAtPoint(const PointT<double>& point) const
{
    const RectT<double> area = GetTextArea();
    const PointT<double> clamped = ClampInto(point, area);
    const double x = clamped.x + GetContentOffset().x;
    const int length = GetTextLength();
    if (length == 0)
    {
        return 0;
    }
    // A character holds x from its left edge to the next character's left edge.
    const auto left = [this](int index) { return GetCharacterRect(index).x; };
    if (x < left(0))
    {
        return 0;
    }
    if (x >= left(length))
    {
        return length;
    }
    int low = 0;
    int high = length - 1;
    while (low < high)
    {
        const int middle = (low + high + 1) / 2;
        if (left(middle) <= x)
        {
            low = middle;
        }
        else
        {
            high = middle - 1;
        }
    }
    const double start = left(low);
    const double end = left(low + 1);
    return x >= (start + end) / 2 ? low + 1 : low;
}

void LTextBox::OnLeftButtonDown(const RCPtr<LMouseButtonParam>& param)
{
    LScrollView::OnLeftButtonDown(param);
    if (!param)
    {
        return;
    }
    const RCPtr<LControl> self(this);
    const int index = CharacterIndexAtPoint(PointT<double>(param->point.x, param->point.y));
    if ((param->modifiers & kMouseShift) == 0)
    {
        ClearSelection();
        SetCaretPosition(index, false);
        mAnchor = index;
    }
    else
    {
        ExtendSelectionTo(index);
    }
}

void LTextBox::OnMouseMoveHook(const RCPtr<LPointWithModifiersParam>& param)
{
    LScrollView::OnMouseMoveHook(param);
    if (!param || (GetConditions() & kLeftDrag) == 0)
    {
        return;
    }
    const RCPtr<LControl> self(this);
    const RectT<double> area = GetTextArea();
    const PointT<double> point = ClampInto(PointT<double>(param->point.x, param->point.y), area);
    ExtendSelectionTo(CharacterIndexAtPoint(point));
    if (!mScrollToCaret)
    {
        return;
    }
    const double right = area.Right() - kScrollZone;
    const double left = area.x + kScrollZone;
    if (point.x > right || point.x < left)
    {
        const double threshold = point.x > right ? right : left;
        const double extent = GetExtent().x;
        const double limit = extent > area.width ? extent - area.width + 3.0 : 0.0;
        StartAxisAnimation(0, ((point.x - threshold) + 1.0) * 5.0, limit, 0.0,
                           RCPtr<LControl>(this));
    }
    else
    {
        StopAxisAnimation(0);
    }
}

void LTextBox::OnLeftClickHook(const RCPtr<LMouseButtonParam>& param)
{
    LScrollView::OnLeftClickHook(param);
    if (!param || (!param->pressed && (param->modifiers & kMouseCtrl) == 0))
    {
        return;
    }
    const RCPtr<LControl> self(this);
    // The word under the caret, without the blanks after it.
    ClearSelection();
    SetCaretPosition(PreviousWordStart(), false);
    int end = NextWordStart();
    const wchar_t* text = GetText().GetBuffer();
    while (end > mCaret && IsSpace(text[end - 1]))
    {
        --end;
    }
    ExtendSelectionTo(end);
}
} // namespace Orv
