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
} // namespace Orv
