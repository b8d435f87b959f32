#include "Controls/ToolTip.h"

#include "Application/FrameworkApp.h"

#include <cmath>

namespace Orv
{
namespace
{
// When a shown tip was last hidden: one moment for every tip of the process.
struct LastHide
{
    bool known = false;
    DWORD time = 0;
};

LastHide& SharedLastHide()
{
    static LastHide lastHide;
    return lastHide;
}
} // namespace

LToolTip::LToolTip(const RCPtr<LControl>& parent, const RCPtr<LControlDescriptor>& descriptor)
    : LControl(parent, descriptor)
{
}

LToolTip::~LToolTip() = default;

bool LToolTip::GetLastHideTime(DWORD& time)
{
    time = SharedLastHide().time;
    return SharedLastHide().known;
}

DWORD LToolTip::Now() const
{
    LFrameworkApp* application = GetFrameworkApp();
    return application != nullptr ? application->GetTimeMs() : 0;
}

void LToolTip::OnCreated()
{
    LControl::OnCreated();
    SetVisible(false);
    // The pointer passes through the tip to what lies beneath, so that a tip moved under the
    // pointer never takes the hover from the control it describes.
    SetSearchExcluded(true);
}

ORVRESULT LToolTip::BeginShow()
{
    const RCPtr<LControl> self(this);
    const RCPtr<IRootWindow> window = GetTreeRootWindow();
    if (window && GetLayout())
    {
        // As wide as the window allows at most.
        LayoutSpec minimum;
        LayoutSpec maximum;
        GetLayout()->GetAxisLimits(LLayoutDescriptor::kAxisX, minimum, maximum);
        maximum.abs = static_cast<double>(window->GetClientSize().width - kRootWidthMargin);
        SetAxisSizeLimits(LLayoutDescriptor::kAxisX, minimum, maximum);
    }
    const bool armed = mState != kHidden;
    const DWORD now = Now();
    mStartTime = now;
    const LastHide& lastHide = SharedLastHide();
    if (lastHide.known && now - lastHide.time < kQuickShowMs)
    {
        mState = kShown;
        PlaceAndShow(window);
    }
    else
    {
        mState = kWaiting;
    }
    // One idle request while armed, however often the tip is armed again.
    if (!armed)
    {
        SubscribeIdle();
    }
    return S_OK;
}

ORVRESULT LToolTip::Hide()
{
    const RCPtr<LControl> self(this);
    if (mState != kHidden)
    {
        mState = kHidden;
        UnsubscribeIdle();
    }
    if (IsVisible(false))
    {
        LastHide& lastHide = SharedLastHide();
        lastHide.known = true;
        lastHide.time = Now();
    }
    Detach();
    return S_OK;
}

void LToolTip::OnIdleTick()
{
    const DWORD now = Now();
    if (mState == kWaiting && now - mStartTime > kShowDelayMs)
    {
        mState = kShown;
        mStartTime = now;
        PlaceAndShow(GetTreeRootWindow());
    }
    else if (mState == kShown && now - mStartTime > kShowTimeMs)
    {
        Hide();
    }
}

void LToolTip::PlaceAndShow(const RCPtr<IRootWindow>& window)
{
    if (window && GetLayout())
    {
        const PointT<LONG> pointer = window->GetCursorPos();
        const SizeT<LONG> extent = window->GetClientSize();
        for (int axis = LLayoutDescriptor::kAxisX; axis <= LLayoutDescriptor::kAxisY; ++axis)
        {
            const bool x = axis == LLayoutDescriptor::kAxisX;
            const RectT<double> rect = GetRect();
            const double size = x ? rect.width : rect.height;
            double position = x ? pointer.x : pointer.y + kPointerOffsetY;
            const double limit = x ? extent.width : extent.height;
            if (position + size > limit)
            {
                position = limit - size;
            }
            if (position < 0)
            {
                position = 0;
            }
            // The layout's offset moves the tip by as much as it changes, whatever the position
            // refers to: the tip's place in the window moves from where it is to position.
            const PointT<double> placed = GetRectInRoot();
            AxisPlacement placement;
            GetLayout()->GetAxisPlacement(axis, placement);
            placement.position.abs += std::round(position - (x ? placed.x : placed.y));
            SetAxisPlacement(axis, placement);
        }
    }
    SetVisible(true);
}
} // namespace Orv
