#include "ControlBase/LayoutDescriptor.h"

namespace Orv
{
LLayoutDescriptor::LLayoutDescriptor()
{
    axes[kAxisX].size.abs = 16.0;
    axes[kAxisY].size.abs = 40.0;
}

RCPtr<LLayoutDescriptor>& LLayoutDescriptor::Clone(RCPtr<LLayoutDescriptor>& out) const
{
    RCPtr<LLayoutDescriptor> copy(new LLayoutDescriptor());
    copy->clipToParent = clipToParent;
    copy->zOrder = zOrder;
    copy->tabStop = tabStop;
    copy->visible = visible;
    copy->enabled = enabled;
    copy->axes[kAxisX] = axes[kAxisX];
    copy->axes[kAxisY] = axes[kAxisY];
    copy->textDecoration = textDecoration;
    copy->layoutOrder = layoutOrder;
    out = copy;
    return out;
}

ORVRESULT LLayoutDescriptor::GetAxisPlacement(int axis, AxisPlacement& placement) const
{
    if (axis != kAxisX && axis != kAxisY)
    {
        return E_INVALIDARG;
    }
    const Axis& a = axes[axis];
    placement.anchor = a.anchor;
    placement.position = a.position;
    placement.docked = a.docked;
    placement.size = a.size;
    return S_OK;
}

ORVRESULT LLayoutDescriptor::GetAxisLimits(int axis, LayoutSpec& minimum, LayoutSpec& maximum) const
{
    if (axis != kAxisX && axis != kAxisY)
    {
        return E_INVALIDARG;
    }
    minimum = axes[axis].minimum;
    maximum = axes[axis].maximum;
    return S_OK;
}

namespace
{
bool SameNumbers(const LayoutSpec& a, const LayoutSpec& b)
{
    return a.kind == b.kind && a.rel == b.rel && a.abs == b.abs;
}
} // namespace

bool LLayoutDescriptor::SamePosition(const LayoutSpec& a, const LayoutSpec& b)
{
    return SameNumbers(a, b) && (a.kind != kPositionSibling || a.reference == b.reference);
}

bool LLayoutDescriptor::SameSize(const LayoutSpec& a, const LayoutSpec& b)
{
    const bool named = a.kind != kSizeParent && a.kind != kSizeClient && a.kind != kSizeAbsolute;
    return SameNumbers(a, b) && (!named || a.reference == b.reference);
}

bool LLayoutDescriptor::SameLimit(const LayoutSpec& a, const LayoutSpec& b)
{
    return SameNumbers(a, b) && (a.kind == kLimitAbsolute || a.reference == b.reference);
}

bool LLayoutDescriptor::SamePlacement(const AxisPlacement& a, const AxisPlacement& b)
{
    return a.anchor == b.anchor && a.docked == b.docked && SamePosition(a.position, b.position) &&
           SameSize(a.size, b.size);
}
} // namespace Orv
