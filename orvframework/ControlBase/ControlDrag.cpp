// Dragging: what a left drag does in each drag mode (move the control in its parent, resize it
// by its edges, scroll its content), the drag origin, the drag velocity, and the throw that
// carries a fast scrolling drag on after the release.
#include "ControlBase/Control.h"

#include <algorithm>
#include <cmath>

namespace Orv
{
namespace
{
// The slowest drag that throws, in pixels a second.
constexpr double kThrowSpeed = 1000.0;

double& Along(PointT<double>& point, int axis)
{
    return axis == 0 ? point.x : point.y;
}

double Along(const PointT<double>& point, int axis)
{
    return axis == 0 ? point.x : point.y;
}

double Along(const SizeT<double>& size, int axis)
{
    return axis == 0 ? size.width : size.height;
}

// The axes a drag argument allows: bit 0x1 x, 0x2 y; neither means both.
bool DragsAxis(DWORD argument, int axis)
{
    const DWORD axes = argument & (LControl::kDragAxisX | LControl::kDragAxisY);
    return axes == 0 || (axes & (axis == 0 ? LControl::kDragAxisX : LControl::kDragAxisY)) != 0;
}
} // namespace

void LControl::OnDragStart()
{
    const RCPtr<LControl> self(this);
    mDragOriginSize = SizeT<double>(mWidth, mHeight);
    mDragOriginOffset = mParent ? mParent->mContentOffset : PointT<double>();
    mDragOriginContent = mContentOffset;
    mDragOriginPosition = PointT<double>(mX, mY);
    mDragVelocity = PointT<double>();
    mDragUnclipped = false;
    if (mDragMode != kDragMove || !mLayout)
    {
        return;
    }
    // The control follows the pointer above its surroundings, placed absolutely in its parent.
    for (AxisAnimation& animation : mAxes)
    {
        animation.target = nullptr;
    }
    if (mLayout->clipToParent)
    {
        mDragUnclipped = true;
        SetClipToParent(false);
    }
    for (int axis = 0; axis < 2; ++axis)
    {
        AxisPlacement placement;
        mLayout->GetAxisPlacement(axis, placement);
        if (placement.docked)
        {
            continue;
        }
        placement.anchor = 0;
        placement.position =
            LayoutSpec{LLayoutDescriptor::kPositionClient, WString(), 0,
                       Along(mDragOriginPosition, axis) - Along(mDragOriginOffset, axis)};
        SetAxisPlacement(axis, placement);
    }
}

PointT<double> LControl::DragDelta(const PointT<LONG>& point) const
{
    return PointT<double>(point.x + mX - mPressPoint.x, point.y + mY - mPressPoint.y);
}

void LControl::OnDrag(const RCPtr<LPointWithModifiersParam>& param)
{
    if (!param || !mLayout)
    {
        return;
    }
    const RCPtr<LControl> self(this);
    const PointT<double> delta = DragDelta(param->point);
    switch (mDragMode)
    {
        case kDragMove:
        {
            const RectT<double> client =
                mParent ? mParent->mClientRect : RectT<double>(0, 0, mWidth, mHeight);
            const double extent[2] = {client.width, client.height};
            for (int axis = 0; axis < 2; ++axis)
            {
                AxisPlacement placement;
                mLayout->GetAxisPlacement(axis, placement);
                if (placement.docked || !DragsAxis(mDragArgument, axis))
                {
                    continue;
                }
                // Inside the parent's client area while the control fits in it.
                const double size = Along(mDragOriginSize, axis);
                double position = Along(mDragOriginPosition, axis) -
                                  Along(mDragOriginOffset, axis) + Along(delta, axis);
                if (mParent)
                {
                    position =
                        std::max(0.0, std::min(position, std::max(0.0, extent[axis] - size)));
                }
                placement.position.abs = std::round(position);
                SetAxisPlacement(axis, placement);
            }
            break;
        }
        case kDragResizeFar:
            ResizeByDrag(kEdgeRight | kEdgeBottom, delta);
            break;
        case kDragResizeNear:
            ResizeByDrag(kEdgeLeft | kEdgeTop, delta);
            break;
        case kDragResizeEdges:
            ResizeByDrag(mDragArgument & (kEdgeLeft | kEdgeTop | kEdgeRight | kEdgeBottom), delta);
            break;
        case kDragScroll:
        case kDragThrow:
        {
            // The content follows the pointer, within the scroll bounds.
            const RectT<double> bounds = GetThrowBounds(this);
            const double limit[2] = {bounds.width, bounds.height};
            PointT<double> offset = mContentOffset;
            for (int axis = 0; axis < 2; ++axis)
            {
                if (!DragsAxis(mDragArgument, axis))
                {
                    continue;
                }
                Along(offset, axis) =
                    std::max(0.0, std::min(limit[axis],
                                           Along(mDragOriginContent, axis) - Along(delta, axis)));
            }
            const PointT<double> before = mContentOffset;
            NotifyScrollOffsetChange(offset);
            const DWORD elapsed = mLastMoveTime - mPreviousMoveTime;
            if (elapsed > 0)
            {
                mDragVelocity = PointT<double>((mContentOffset.x - before.x) * 1000.0 / elapsed,
                                               (mContentOffset.y - before.y) * 1000.0 / elapsed);
            }
            break;
        }
        default:
            break;
    }
}

void LControl::ResizeByDrag(DWORD edges, const PointT<double>& delta)
{
    const RectT<double> client =
        mParent ? mParent->mClientRect : RectT<double>(0, 0, mWidth, mHeight);
    const double extent[2] = {client.width, client.height};
    const DWORD nearEdge[2] = {kEdgeLeft, kEdgeTop};
    const DWORD farEdge[2] = {kEdgeRight, kEdgeBottom};
    for (int axis = 0; axis < 2; ++axis)
    {
        AxisPlacement placement;
        mLayout->GetAxisPlacement(axis, placement);
        if (placement.docked || !DragsAxis(mDragArgument, axis))
        {
            continue;
        }
        const double d = Along(delta, axis);
        double position = Along(mDragOriginPosition, axis) - Along(mDragOriginOffset, axis);
        double size = Along(mDragOriginSize, axis);
        const double farEnd = position + size;
        if ((edges & nearEdge[axis]) != 0)
        {
            // The near edge moves, the far one stays: at least one pixel is left, and the edge
            // stays inside the parent.
            position = std::min(position + d, farEnd - 1);
            if (mParent)
            {
                position = std::max(0.0, position);
            }
            size = farEnd - position;
        }
        else if ((edges & farEdge[axis]) != 0)
        {
            size = std::max(1.0, size + d);
            if (mParent)
            {
                size = std::min(size, std::max(1.0, extent[axis] - position));
            }
        }
        else
        {
            continue;
        }
        placement.anchor = 0;
        placement.position =
            LayoutSpec{LLayoutDescriptor::kPositionClient, WString(), 0, std::round(position)};
        placement.size =
            LayoutSpec{LLayoutDescriptor::kSizeAbsolute, WString(), 0, std::round(size)};
        SetAxisPlacement(axis, placement);
    }
}

void LControl::OnDragEnd()
{
    const RCPtr<LControl> self(this);
    if (mParent)
    {
        const RCPtr<LControl> parent = mParent;
        parent->StopAxisAnimation(0);
        parent->StopAxisAnimation(1);
    }
    if (const RCPtr<IRootWindow>& window = GetTreeRootWindow())
    {
        window->SetCursor(mHover ? mCursor : 0);
    }
    if (mDragUnclipped)
    {
        mDragUnclipped = false;
        SetClipToParent(true);
    }
    if (mLayout && mDragMode >= kDragMove && mDragMode <= kDragResizeEdges)
    {
        AxisPlacement x;
        AxisPlacement y;
        mLayout->GetAxisPlacement(0, x);
        mLayout->GetAxisPlacement(1, y);
        SetPlacement(x, y);
    }
    for (AxisAnimation& animation : mAxes)
    {
        if (const RCPtr<LControl> target = animation.target)
        {
            target->StopAxisAnimation(0);
            target->StopAxisAnimation(1);
        }
    }
}

void LControl::RebaseDrag()
{
    mPressPoint.x += mDragCorrection.x;
    mPressPoint.y += mDragCorrection.y;
    mDragOriginSize = SizeT<double>(mWidth, mHeight);
    mDragOriginOffset = mParent ? mParent->mContentOffset : PointT<double>();
    mDragOriginContent = mContentOffset;
    if (mLayout)
    {
        mDragOriginPosition = PointT<double>(mLayout->axes[0].position.abs + mDragOriginOffset.x,
                                             mLayout->axes[1].position.abs + mDragOriginOffset.y);
    }
}

RectT<double> LControl::GetThrowBounds(const LControl*) const
{
    RectT<double> children;
    if (!GetChildrenBounds(children))
    {
        return RectT<double>();
    }
    const RectT<double> client = GetClientExtent();
    return RectT<double>(0, 0, std::max(0.0, children.x + children.width - client.width),
                         std::max(0.0, children.y + children.height - client.height));
}

void LControl::StartThrow()
{
    const RectT<double> bounds = GetThrowBounds(this);
    const double bound[2] = {bounds.width, bounds.height};
    const double speed[2] = {mDragVelocity.x, mDragVelocity.y};
    const DWORD axisBit[2] = {kDragAxisX, kDragAxisY};
    for (int axis = 0; axis < 2; ++axis)
    {
        const bool allowed = mDragArgument == axisBit[axis] || mDragArgument == 3;
        if (allowed && std::abs(speed[axis]) >= kThrowSpeed &&
            StartAxisAnimation(axis, speed[axis], bound[axis], 0.0, nullptr) == S_OK)
        {
            mAxes[axis].thrown = true;
        }
    }
}
} // namespace Orv
