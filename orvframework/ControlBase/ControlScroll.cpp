// Scrolling: the client rectangle, the content offset and what a change of it moves and
// redraws, and the record a scrolling control keeps of the area still to be drawn.
//
// The window services offer no operation that moves pixels already on screen, so a scroll
// redraws: the whole visible area becomes the area still to be drawn, and the control is
// invalidated in its window.
#include "ControlBase/Control.h"
#include "ControlBase/ControlNotificationNames.h"

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
    if (!mScrollingEnabled)
    {
        return;
    }
    (void)oldOffset;
    mPreviousAppliedScrollOffset = mAppliedScrollOffset;
    mAppliedScrollOffset = newOffset;
    // Nothing on screen is moved: all that the client area shows now is to be drawn.
    const RectT<double> visible = GetVisibleContentRect();
    mVisibleRegion.Clear();
    mVisibleRegion.AddRect(visible);
    mPendingInvalid.Clear();
    mPendingInvalid.AddRect(visible);
}

void LControl::InvalidateScrolledRect(const RectT<double>& rect, bool alsoInvalidate)
{
    if (mVisibleRegion.Intersects(rect, PointT<double>()))
    {
        mPendingInvalid.AddRect(TruncatedEdges(rect));
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
    if (!mScrollingEnabled || !counts)
    {
        return;
    }
    const RectT<double> whole = TruncatedEdges(rect);
    const RectT<double> shifted(Clamp(whole.x + std::round(mContentOffset.x)),
                                Clamp(whole.y + std::round(mContentOffset.y)), Clamp(whole.width),
                                Clamp(whole.height));
    if (mVisibleRegion.Intersects(shifted, PointT<double>()))
    {
        mPendingInvalid.AddRect(shifted);
    }
}

void LControl::UpdateScrollExtent()
{
    const RectT<double> geometry = GetClientExtent();
    if (geometry.width > 0 && geometry.height > 0)
    {
        mScrollLimits = geometry;
        mAppliedScrollOffset = PointT<double>();
        mPreviousAppliedScrollOffset = PointT<double>();
        mVisibleRegion.Clear();
        mVisibleRegion.AddRect(TruncatedEdges(geometry));
        mPendingInvalid.Clear();
        InvalidateScrolledRect(geometry, true);
        return;
    }
    // Nothing to scroll: the control draws as any other.
    if (mScrollingEnabled)
    {
        mScrollingEnabled = false;
        mScrollLimits = RectT<double>();
        mVisibleRegion.Clear();
        mPendingInvalid.Clear();
        InvalidateAll();
    }
}
} // namespace Orv
