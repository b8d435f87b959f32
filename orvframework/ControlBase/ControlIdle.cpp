// Idle work: the subscription to "NID_IDLE" that a control holds while it needs it, the axis
// animations that move the content offset over time (a throw among them), and the children
// queued for removal.
#include "ControlBase/Control.h"
#include "ControlBase/ControlNotificationNames.h"

#include <cmath>

namespace Orv
{
namespace
{
// A throw coasts this long after the release before it slows down.
constexpr DWORD kThrowCoastMs = 1000;
} // namespace

ORVRESULT LControl::SubscribeIdle()
{
    if (++mIdleRequests > 1)
    {
        return S_OK;
    }
    // A tree without a window keeps the request: ProcessRootWindowAquired subscribes it once the
    // window is there.
    if (!GetTreeRootWindow())
    {
        return S_OK;
    }
    if (FAILED(SubscribeIdleAtWindow()))
    {
        // The next request tries again.
        mIdleRequests = 0;
        return E_FAIL;
    }
    return S_OK;
}

ORVRESULT LControl::SubscribeIdleAtWindow()
{
    const RCPtr<IRootWindow>& window = GetTreeRootWindow();
    const RCPtr<LNotificationDistributor> idle = window ? window->GetIdleDistributor() : nullptr;
    if (!idle || !mHandler)
    {
        return E_FAIL;
    }
    return mHandler->SubscribeHandler(&LControl::OnIdle, idle,
                                      ControlNotificationNames::Get().idle);
}

ORVRESULT LControl::UnsubscribeIdle()
{
    if (mIdleRequests <= 0)
    {
        return S_FALSE;
    }
    if (--mIdleRequests > 0)
    {
        return S_OK;
    }
    const RCPtr<IRootWindow>& window = GetTreeRootWindow();
    const RCPtr<LNotificationDistributor> idle = window ? window->GetIdleDistributor() : nullptr;
    if (!idle)
    {
        return S_OK;
    }
    const wchar_t* name = ControlNotificationNames::Get().idle;
    if (mHandler)
    {
        mHandler->RemoveHandler(idle, name);
    }
    return FAILED(UnregisterNotification(idle, name)) ? E_FAIL : S_OK;
}

ORVRESULT LControl::StartAxisAnimation(int axis, double speed, double highEnd, double lowEnd,
                                       const RCPtr<LControl>& target)
{
    if (axis < 0 || axis > 1 || std::isnan(speed) || std::isnan(highEnd) || std::isnan(lowEnd))
    {
        return E_INVALIDARG;
    }
    AxisAnimation& animation = mAxes[axis];
    animation.speed = speed;
    animation.highEnd = highEnd;
    animation.lowEnd = lowEnd;
    animation.target = target;
    if (animation.running)
    {
        return S_OK;
    }
    const RCPtr<IRootWindow>& window = GetTreeRootWindow();
    animation.running = true;
    animation.lastStep = window ? window->GetElapsedSeconds() : 0;
    animation.remainder = 0;
    animation.slowdown = 0;
    SubscribeIdle();
    return S_OK;
}

ORVRESULT LControl::StopAxisAnimation(int axis)
{
    if (axis < 0 || axis > 1)
    {
        return E_INVALIDARG;
    }
    AxisAnimation& animation = mAxes[axis];
    animation.target = nullptr;
    if (!animation.running)
    {
        return S_FALSE;
    }
    animation.running = false;
    animation.thrown = false;
    UnsubscribeIdle();
    return S_OK;
}

ORVRESULT LControl::OnIdle(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&)
{
    const RCPtr<LControl> self(this);
    const RCPtr<IRootWindow> window = GetTreeRootWindow();
    if (!mSuspendIdleWork && window)
    {
        for (int axis = 0; axis < 2; ++axis)
        {
            AxisAnimation& animation = mAxes[axis];
            if (!animation.running)
            {
                continue;
            }
            const double now = window->GetElapsedSeconds();
            const double dt = now - animation.lastStep;
            animation.lastStep = now;
            // Whole pixels are applied; the rest is carried to the next pass, so that a slow
            // animation or fast passes still move.
            const double exact = animation.speed * dt + animation.remainder;
            const double step = std::round(exact);
            animation.remainder = exact - step;
            bool atEnd = false;
            if (step != 0)
            {
                PointT<double> offset = mContentOffset;
                double& along = axis == 0 ? offset.x : offset.y;
                const double wanted = along + step;
                along = std::max(animation.lowEnd, std::min(animation.highEnd, wanted));
                atEnd = along != wanted;
                NotifyScrollOffsetChange(offset);
                // A target follows the axis: its content offset takes the same value.
                if (const RCPtr<LControl> target = animation.target)
                {
                    PointT<double> followed = target->GetContentOffset();
                    (axis == 0 ? followed.x : followed.y) = along;
                    target->NotifyScrollOffsetChange(followed);
                }
            }
            if (!animation.thrown)
            {
                continue;
            }
            // A throw ends at its bound, or once the slow-down has used up its speed.
            if (atEnd)
            {
                StopAxisAnimation(axis);
                continue;
            }
            if (window->GetTimeMs() - mReleaseTime <= kThrowCoastMs)
            {
                continue;
            }
            const double exactSlowdown = mThrowDeceleration * dt + animation.slowdown;
            const double slowdown = std::round(exactSlowdown);
            animation.slowdown = exactSlowdown - slowdown;
            if (animation.speed > 0 && animation.speed > slowdown)
            {
                animation.speed -= slowdown;
            }
            else if (animation.speed < 0 && animation.speed < -slowdown)
            {
                animation.speed += slowdown;
            }
            else
            {
                StopAxisAnimation(axis);
            }
        }
    }
    OnIdleTick();
    ProcessPendingRemovals();
    return S_OK;
}

void LControl::OnIdleTick() {}

ORVRESULT LControl::RemoveChildControl(const RCPtr<LControl>& child)
{
    if (!child || child->mParent.Get() != this)
    {
        return E_INVALIDARG;
    }
    const RCPtr<LControl> self(this);
    if (child->mCapture)
    {
        child->OnCaptureLost();
    }
    child->SetVisible(false);
    for (const RCPtr<LControl>& pending : mPendingRemovals)
    {
        if (pending.Get() == child.Get())
        {
            return S_OK;
        }
    }
    mPendingRemovals.push_back(child);
    // One idle request stands for the whole queue.
    if (mPendingRemovals.size() == 1)
    {
        SubscribeIdle();
    }
    return S_OK;
}

void LControl::ProcessPendingRemovals()
{
    if (mPendingRemovals.empty())
    {
        return;
    }
    const RCPtr<LControl> self(this);
    // A detach may queue further removals; they wait for the next pass.
    std::vector<RCPtr<LControl>> pending;
    pending.swap(mPendingRemovals);
    for (const RCPtr<LControl>& child : pending)
    {
        if (child->mParent.Get() == this)
        {
            child->Detach();
        }
    }
    if (mPendingRemovals.empty())
    {
        UnsubscribeIdle();
    }
}

void LControl::Detach()
{
    const RCPtr<LControl> self(this);
    SetVisible(false);
    if (!ClipsToParent())
    {
        SetClipToParent(true);
    }
    if (mCapture)
    {
        OnCaptureLost();
    }
    for (int axis = 0; axis < 2; ++axis)
    {
        mAxes[axis].running = false;
        mAxes[axis].thrown = false;
        mAxes[axis].target = nullptr;
    }
    while (mIdleRequests > 0)
    {
        UnsubscribeIdle();
    }
    if (mParent)
    {
        SetParent(nullptr);
    }
    else if (mRootWindow)
    {
        SetRootWindow(nullptr);
    }
}
} // namespace Orv
