#include "Controls/CenteredSlider.h"

#include "ControlBase/ControlNotificationNames.h"
#include "Controls/NotificationChain.h"

namespace Orv
{
LCenteredSlider::LCenteredSlider(const RCPtr<LControl>& parent,
                                 const RCPtr<LControlDescriptor>& descriptor)
    : LSlider(parent, descriptor)
{
}

LCenteredSlider::LCenteredSlider(const RCPtr<LControl>& parent, const WString& name)
    : LSlider(parent, name)
{
}

LCenteredSlider::~LCenteredSlider()
{
    mCenteredHandler = nullptr;
}

ORVRESULT LCenteredSlider::ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                               const RCPtr<LNotification>& notification)
{
    return ReceiveThroughChain<LSlider>(*this, mCenteredHandler, source, notification);
}

ORVRESULT LCenteredSlider::Unregister(const RCPtr<LNotificationDistributor>& source,
                                      const wchar_t* name)
{
    return UnregisterThroughChain<LSlider>(*this, mCenteredHandler, source, name);
}

ORVRESULT LCenteredSlider::Initialize()
{
    if (FAILED(LSlider::Initialize()))
    {
        return E_FAIL;
    }
    mCenteredHandler = new LNotificationHandler<LCenteredSlider>(this);
    mLowRange = FindChildControl(WString(L"lowRangeBounds"));
    mHighRange = FindChildControl(WString(L"highRangeBounds"));
    for (const RCPtr<LControl>& range : {mLowRange, mHighRange})
    {
        if (!range)
        {
            continue;
        }
        // The thumb under the panels stays within the mouse's reach.
        range->SetSearchExcluded(true);
        if (const RCPtr<LControl> fill = range->FindChildControl(WString(L"fill")))
        {
            fill->SetSearchExcluded(true);
        }
    }
    if (const RCPtr<LButton>& thumb = GetThumb())
    {
        mCenteredHandler->SubscribeHandler(&LCenteredSlider::OnThumbMouseMove,
                                           RCPtr<LNotificationDistributor>(thumb.Get()),
                                           ControlNotificationNames::Get().mouseMove);
    }
    SetBoundsPosFromThumbPos();
    return S_OK;
}

double LCenteredSlider::ApplyValue(double t)
{
    const double result = LSlider::ApplyValue(t);
    SetBoundsPosFromThumbPos();
    return result;
}

void LCenteredSlider::SetBoundsPosFromThumbPos()
{
    const RCPtr<LButton>& thumb = GetThumb();
    const RCPtr<LControl>& start = GetThumbStart();
    const RCPtr<LControl>& end = GetThumbEnd();
    // Without a thumb there is no centre to follow (the panels stay where the skin put them).
    if (!thumb || !thumb->GetLayout() || !start || !end)
    {
        return;
    }
    const RectT<double> a = start->GetRect();
    const RectT<double> b = end->GetRect();
    int axis = -1;
    if (a.y == b.y)
    {
        axis = LLayoutDescriptor::kAxisX;
    }
    else if (a.x == b.x)
    {
        axis = LLayoutDescriptor::kAxisY;
    }
    if (axis < 0)
    {
        return;
    }
    const RCPtr<LControl> self(this);
    AxisPlacement thumbPlacement;
    thumb->GetLayout()->GetAxisPlacement(axis, thumbPlacement);
    const double centre = thumbPlacement.position.abs + thumbPlacement.size.abs / 2;
    for (const RCPtr<LControl>& range : {mLowRange, mHighRange})
    {
        if (!range || !range->GetLayout())
        {
            continue;
        }
        AxisPlacement placement;
        range->GetLayout()->GetAxisPlacement(axis, placement);
        placement.position.abs = centre;
        range->SetAxisPlacement(axis, placement);
    }
}

ORVRESULT LCenteredSlider::OnThumbMouseMove(const RCPtr<LNotificationDistributor>&,
                                            const RCPtr<LNotification>&)
{
    SetBoundsPosFromThumbPos();
    return 0;
}
} // namespace Orv
