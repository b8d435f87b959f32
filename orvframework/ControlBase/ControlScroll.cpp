// Scrolling: the client rectangle, the content offset and what a change of it moves and
// redraws, and the record a scrolling control keeps of the area still to be drawn.
//
// A control with scrolling enabled keeps its children's pixels on a scrolled surface (an
// off-screen render context of the client size, ControlDrawing.cpp). The visible region and
// the area still to be drawn are kept in content coordinates, the coordinates of the
// children's rectangles. A scroll keeps the pixels drawn for the old offset: the surface moves
// them when it is next drawn, and only the strip the new offset exposes is to be drawn. The
// window itself is repainted whole for the control's area, from the surface.
#include "ControlBase/Control.h"
#include "ControlBase/ControlNotificationNames.h"
#include "Utilities/Storage/Array.h"

#include <algorithm>
#include <cmath>

namespace Orv
{
namespace
{
constexpr double kExtentLimit = 4503599627370496.0;
// Client sizes closer than this are the same.
constexpr double kClientTolerance = 2.220446049250313e-15;

double Clamp(double value)
{
    return std::max(-kExtentLimit, std::min(kExtentLimit, value));
}

// Each edge rounded by adding 0.5 and truncating: x, y, then the far edges from the rounded x
// and y.
RectT<double> TruncatedEdges(const RectT<double>& rect)
{
    const double x = std::trunc(rect.x + 0.5);
    const double y = std::trunc(rect.y + 0.5);
    const double right = std::trunc(x + rect.width + 0.5);
    const double bottom = std::trunc(y + rect.height + 0.5);
    return RectT<double>(x, y, right - x, bottom - y);
}

bool IsDocked(const LControl* control)
{
    const RCPtr<LLayoutDescriptor>& layout = control->GetLayout();
    return layout && (layout->axes[0].docked || layout->axes[1].docked);
}
} // namespace

void LControl::CalcClientRect()
{
    mClientRect = LookClientRect(GetActiveLookIndex());
    mClientRect = RectT<double>(Clamp(mClientRect.x), Clamp(mClientRect.y),
                                Clamp(mClientRect.width), Clamp(mClientRect.height));
    mClientRectChanged = true;
}

void LControl::CheckClientExtent()
{
    mClientRectChanged = false;
    if (!mScrollingEnabled)
    {
        return;
    }
    const RectT<double> extent = GetClientExtent();
    if (std::abs(extent.width - mScrollLimits.width) >= kClientTolerance ||
        std::abs(extent.height - mScrollLimits.height) >= kClientTolerance)
    {
        UpdateScrollExtent();
    }
}

RectT<double> LControl::GetClientExtent() const
{
    if (GetActiveLookIndex() < 0)
    {
        return RectT<double>(0, 0, mWidth, mHeight);
    }
    const RectT<double> client = LookClientRect(GetActiveLookIndex());
    return RectT<double>(0, 0, Clamp(client.width), Clamp(client.height));
}

RectT<double> LControl::GetVisibleContentRect() const
{
    const bool look = GetActiveLookIndex() >= 0;
    const RectT<double> client =
        look ? LookClientRect(GetActiveLookIndex()) : RectT<double>(0, 0, mWidth, mHeight);
    return RectT<double>(Clamp(std::round(mContentOffset.x)), Clamp(std::round(mContentOffset.y)),
                         Clamp(std::round(client.width)), Clamp(std::round(client.height)));
}

ORVRESULT LControl::NotifyScrollOffsetChange(const PointT<double>& offset)
{
    const RCPtr<LControl> self(this);
    mScrollNotifying = true;
    const PointT<double> rounded(std::round(offset.x), std::round(offset.y));
    if (rounded.x == mContentOffset.x && rounded.y == mContentOffset.y)
    {
        mScrollNotifying = false;
        return S_FALSE;
    }
    InvalidateAll();
    const PointT<double> old = mContentOffset;
    mContentOffset = rounded;
    // Children that are not docked scroll with the content; docked ones stay in view and are
    // laid out anew.
    for (unsigned int i = 0; i < mChildren.GetCount(); ++i)
    {
        if (IsDocked(mChildren.children.GetConstElementPointer(i).Get()))
        {
            const RCPtr<LControl> child = mChildren.children.GetConstElementPointer(i);
            mDockedChildMoving = true;
            child->RecalcLayout();
            mDockedChildMoving = false;
        }
    }
    InvalidateAll();
    SetScrollOffset(old, rounded);
    SendNamed(ControlNotificationNames::Get().scrollOffsetChange, nullptr);
    // The content moved under the pointer.
    if (const RCPtr<IRootWindow> window = GetTreeRootWindow())
    {
        PointT<LONG> local;
        window->GetControlAt(window->GetCursorPos(), local, true);
    }
    mScrollNotifying = false;
    return S_OK;
}

void LControl::SetScrollOffset(const PointT<double>& oldOffset, const PointT<double>& newOffset)
{
    (void)oldOffset;
    if (!mScrollingEnabled)
    {
        return;
    }
    mPreviousAppliedScrollOffset = mAppliedScrollOffset;
    mAppliedScrollOffset = PointT<double>(std::round(newOffset.x), std::round(newOffset.y));
    const RectT<double> visible = GetVisibleContentRect();
    LRegion now;
    now.AddRect(TruncatedEdges(visible));
    // What was visible before keeps its pixels; the rest of what is visible now is exposed.
    LRegion exposed = now;
    exposed.Subtract(mVisibleRegion);
    mPendingInvalid.AppendRects(exposed);
    mPendingInvalid.Intersect(now);
    mPendingInvalid.Normalize();
    mVisibleRegion.Swap(now);
}

void LControl::TakePendingInvalidArea(const RectT<double>& rect, LRegion& out)
{
    out.Clear();
    const RectT<double> whole = TruncatedEdges(rect);
    const RECT area{static_cast<LONG>(whole.x), static_cast<LONG>(whole.y),
                    static_cast<LONG>(whole.x + whole.width),
                    static_cast<LONG>(whole.y + whole.height)};
    Array<RectT<LONG>> rects;
    mPendingInvalid.GetRects(rects);
    LRegion kept;
    for (unsigned int i = 0; i < rects.GetCount(); ++i)
    {
        const RectT<LONG>& r = rects.GetConstElementPointer(i);
        const RECT piece{r.x, r.y, r.x + r.width, r.y + r.height};
        const bool meets = piece.left < area.right && area.left < piece.right &&
                           piece.top < area.bottom && area.top < piece.bottom;
        (meets ? out : kept).AddRect(piece);
    }
    mPendingInvalid.Swap(kept);
    mPendingInvalid.Normalize();
    out.Normalize();
    out.Offset(-static_cast<LONG>(mAppliedScrollOffset.x),
               -static_cast<LONG>(mAppliedScrollOffset.y));
}

void LControl::SetScrollingEnabled(bool enabled)
{
    if (enabled == mScrollingEnabled)
    {
        return;
    }
    mScrollingEnabled = enabled;
    if (enabled)
    {
        mScrollLimits = RectT<double>();
        UpdateScrollExtent();
        return;
    }
    mScrollLimits = RectT<double>();
    mVisibleRegion.Clear();
    mPendingInvalid.Clear();
    mScrollSurface = nullptr;
    mScrollSurfaceRenderer = nullptr;
    InvalidateAll();
}

void LControl::InvalidateScrolledRect(const RectT<double>& rect, bool alsoInvalidate)
{
    RECT visible{};
    if (mVisibleRegion.Intersects(rect, PointT<double>()) && mVisibleRegion.GetBounds(visible))
    {
        // Only what is visible is kept to be drawn.
        const RectT<double> whole = TruncatedEdges(rect);
        const double left = std::max(whole.x, static_cast<double>(visible.left));
        const double top = std::max(whole.y, static_cast<double>(visible.top));
        const double right = std::min(whole.x + whole.width, static_cast<double>(visible.right));
        const double bottom = std::min(whole.y + whole.height, static_cast<double>(visible.bottom));
        if (right > left && bottom > top)
        {
            mPendingInvalid.AddRect(RectT<double>(left, top, right - left, bottom - top));
        }
    }
    if (!alsoInvalidate)
    {
        return;
    }
    const RectT<double> client = LookClientRect(GetActiveLookIndex());
    RectT<double> moved(rect.x - mContentOffset.x + client.x, rect.y - mContentOffset.y + client.y,
                        rect.width, rect.height);
    const double left = std::max(moved.x, client.x);
    const double top = std::max(moved.y, client.y);
    const double right = std::min(moved.x + moved.width, client.x + client.width);
    const double bottom = std::min(moved.y + moved.height, client.y + client.height);
    if (right > left && bottom > top)
    {
        Invalidate(RectT<double>(left, top, right - left, bottom - top), true);
    }
}

void LControl::InvalidateScrolledArea(const LControl* sender, const RectT<double>& rect)
{
    const bool counts =
        (sender != nullptr && IsDocked(sender)) || (!mScrollNotifying && !mClientRectChanged);
    if (!mScrollingEnabled || !counts || !IsOnScrolledSurface(sender))
    {
        return;
    }
    // Children's rectangles are in content coordinates already (a docked child's includes the
    // content offset that keeps it in view).
    const RectT<double> whole = TruncatedEdges(rect);
    const RectT<double> clamped(Clamp(whole.x), Clamp(whole.y), Clamp(whole.width),
                                Clamp(whole.height));
    if (mVisibleRegion.Intersects(clamped, PointT<double>()))
    {
        mPendingInvalid.AddRect(clamped);
    }
}

bool LControl::IsOnScrolledSurface(const LControl* child)
{
    // Children docked on both axes stay fixed over the client area and are drawn directly.
    if (child == nullptr)
    {
        return false;
    }
    const LLayoutDescriptor* layout = child->GetLayout().Get();
    return layout == nullptr ||
           (layout->clipToParent && !(layout->axes[0].docked && layout->axes[1].docked));
}

void LControl::UpdateScrollExtent()
{
    const RectT<double> geometry = GetClientExtent();
    if (geometry.width > 0 && geometry.height > 0)
    {
        // The surface starts again at the current offset: everything visible is to be drawn.
        mScrollLimits = geometry;
        mAppliedScrollOffset =
            PointT<double>(std::round(mContentOffset.x), std::round(mContentOffset.y));
        mPreviousAppliedScrollOffset = mAppliedScrollOffset;
        mSurfaceOffset = mAppliedScrollOffset;
        const RectT<double> visible = GetVisibleContentRect();
        mVisibleRegion.Clear();
        mVisibleRegion.AddRect(TruncatedEdges(visible));
        mPendingInvalid.Clear();
        InvalidateScrolledRect(visible, true);
        return;
    }
    // Nothing to scroll: the control draws as any other.
    if (mScrollingEnabled)
    {
        SetScrollingEnabled(false);
    }
}
} // namespace Orv
