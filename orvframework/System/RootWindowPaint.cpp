// The root window's paint pass: the invalid region handed to the paint handler, the tree drawn
// where it says, and the floating controls drawn on top.
#include "System/RootWindow.h"

#include "ControlBase/Control.h"
#include "Renderer/AutoClip.h"
#include "System/WindowOSServices.h"
#include "Utilities/Geometry/RectOperations.h"
#include "Utilities/Threading/ScopedLock.h"

#include <algorithm>
#include <vector>

namespace Orv
{
void LRootWindow::TakeInvalidRegion(LRegion& region)
{
    const RectT<LONG> client = mRepaintAll ? GetClientRect() : RectT<LONG>();
    ScopedLock<Mutex> lock(mRegionLock);
    if (mRepaintAll)
    {
        // The whole client area joins this paint; asking the window for another paint would
        // draw everything twice.
        mRepaintAll = false;
        mInvalidRegion.AddRect(RECT{0, 0, client.width, client.height});
    }
    region.Clear();
    region.Swap(mInvalidRegion);
}

void LRootWindow::PaintRegion(const LRegion& region)
{
    if (!mRootControl || region.IsEmpty() || !mRenderer)
    {
        return;
    }
    const LRenderContextInfo* context = mRenderer->GetCurrentRenderContext();
    if (context != nullptr && context->IsOffscreen())
    {
        // A context that never reaches the window: the window paints everything anew.
        if (mServices != nullptr)
        {
            mServices->InvalidateAll();
        }
        return;
    }
    RECT bounds{};
    region.GetBounds(bounds);
    const RCPtr<LControl> root = mRootControl;
    const RectT<double> rootRect = root->GetRect();
    RectT<double> clip(bounds.left, bounds.top, bounds.right - bounds.left,
                       bounds.bottom - bounds.top);
    IntersectRect(clip, clip, rootRect);
    // The tree draws in the window's client coordinates, the root control's parent's.
    CAutoClip guard(mRenderer, RectT<double>(0, 0, rootRect.Right(), rootRect.Bottom()), clip,
                    nullptr, false);
    PaintControl(root, region, false);
}

void LRootWindow::PaintControl(const RCPtr<LControl>& control, const LRegion& region,
                               bool deferredPass)
{
    // The controls this one hands over to be drawn on top: a list of this call's own, since the
    // calls below add to theirs while this one is walked.
    LControl::ControlList deferred;
    control->Draw(mRenderer, region, deferred, deferredPass);
    const unsigned int count = deferred.GetCount();
    if (count == 0)
    {
        return;
    }
    std::vector<RCPtr<LControl>> ordered;
    ordered.reserve(count);
    for (unsigned int i = 0; i < count; ++i)
    {
        ordered.push_back(deferred.GetConstElementPointer(i));
    }
    if (ordered.size() > 1)
    {
        std::stable_sort(ordered.begin(), ordered.end(),
                         [](const RCPtr<LControl>& a, const RCPtr<LControl>& b)
                         {
                             const int za = a->GetLayout() ? a->GetLayout()->zOrder : 0;
                             const int zb = b->GetLayout() ? b->GetLayout()->zOrder : 0;
                             return za < zb;
                         });
    }
    for (const RCPtr<LControl>& floating : ordered)
    {
        // Drawn from its parent's client origin (given in window coordinates), clipped only to
        // its own rectangle (in its parent's client coordinates).
        const RectT<double> rect = floating->GetRect();
        const PointT<double> inRoot = floating->GetRectInRoot();
        const RectT<double> frame(inRoot.x - rect.x, inRoot.y - rect.y, rect.width, rect.height);
        CAutoClip guard(mRenderer, frame, rect, nullptr, false);
        PaintControl(floating, region, true);
    }
}
} // namespace Orv
