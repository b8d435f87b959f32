#include "Controls/DropDownControl.h"

#include "ControlBase/ControlNotificationNames.h"
#include "Controls/NotificationChain.h"

namespace Orv
{
LDropDownControl::LDropDownControl(const RCPtr<LControl>& parent,
                                   const RCPtr<LControlDescriptor>& descriptor)
    : LControl(parent, descriptor)
{
}

LDropDownControl::~LDropDownControl() = default;

ORVRESULT LDropDownControl::Initialize()
{
    const ORVRESULT result = LControl::Initialize();
    mHandler = new LNotificationHandler<LDropDownControl>(this);
    // A failed subscription only loses the guard against reopening.
    mHandler->SubscribeHandler(&LDropDownControl::OnMouseDownNotification,
                               RCPtr<LNotificationDistributor>(this),
                               ControlNotificationNames::Get().mouseDown);
    return result;
}

ORVRESULT LDropDownControl::ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                                const RCPtr<LNotification>& notification)
{
    return ReceiveThroughChain<LControl>(*this, mHandler, source, notification);
}

ORVRESULT LDropDownControl::Unregister(const RCPtr<LNotificationDistributor>& source,
                                       const wchar_t* name)
{
    return UnregisterThroughChain<LControl>(*this, mHandler, source, name);
}

ORVRESULT LDropDownControl::SetFocus(bool forward)
{
    const RCPtr<LControl> self(this);
    const ORVRESULT result = LControl::SetFocus(forward);
    if (IsDropDownShown())
    {
        ShowDropDown(false);
        mClosedByFocus = true;
    }
    else
    {
        mClosedByFocus = false;
    }
    return result;
}

ORVRESULT LDropDownControl::OnMouseDownNotification(const RCPtr<LNotificationDistributor>&,
                                                    const RCPtr<LNotification>&)
{
    if (mClosedByFocus)
    {
        mPendingClose = true;
    }
    return 0;
}

void LDropDownControl::OnConditionsChange(const RCPtr<LConditionsParam>& param)
{
    LControl::OnConditionsChange(param);
    if (!param || (param->newConditions & kLeftDown) == 0 ||
        (param->oldConditions & kLeftDown) != 0)
    {
        return;
    }
    if (mPendingClose)
    {
        mPendingClose = false;
        return;
    }
    ShowDropDown(true);
}

bool LDropDownControl::OnKillFocus()
{
    const RCPtr<LControl> self(this);
    ShowDropDown(false);
    return LControl::OnKillFocus();
}
void LDropDownControl::PlaceDropDownPart(LControl& part, double skinX)
{
    if (!part.GetLayout())
    {
        return;
    }
    LControl* top = GetTopLevelControl();
    const double origin = top->ConvertPointFrom(this, PointT<double>(0, 0)).x;
    const double width = part.GetRect().width;
    const double topWidth = top->GetRect().width;
    double x = origin + skinX;
    if (x + width > topWidth)
    {
        x = topWidth - width;
        if (x < 0)
        {
            x = 0;
        }
    }
    x -= origin;
    AxisPlacement placement;
    part.GetLayout()->GetAxisPlacement(LLayoutDescriptor::kAxisX, placement);
    if (x != placement.position.abs)
    {
        placement.position.abs = x;
        part.SetAxisPlacement(LLayoutDescriptor::kAxisX, placement);
    }
}
} // namespace Orv
