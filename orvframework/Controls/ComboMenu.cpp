#include "Controls/ComboMenu.h"

#include "ControlBase/ControlNotificationNames.h"
#include "Controls/NotificationChain.h"
#include "Controls/PopupMenu.h"
#include "notification/NotificationName.h"

#include <cmath>

namespace Orv
{
namespace
{
const wchar_t kPopupName[] = L"popupMenu";
} // namespace

LComboMenu::LComboMenu(const RCPtr<LControl>& parent, const RCPtr<LControlDescriptor>& descriptor)
    : LDropDownControl(parent, descriptor)
{
}

LComboMenu::~LComboMenu() = default;

RCPtr<LPopupMenu> LComboMenu::GetPopupMenu() const
{
    return RCPtr<LPopupMenu>(FindChildControl(WString(kPopupName)));
}

ORVRESULT LComboMenu::ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                          const RCPtr<LNotification>& notification)
{
    return ReceiveThroughChain<LDropDownControl>(*this, mHandler, source, notification);
}

ORVRESULT LComboMenu::Unregister(const RCPtr<LNotificationDistributor>& source, const wchar_t* name)
{
    return UnregisterThroughChain<LDropDownControl>(*this, mHandler, source, name);
}

ORVRESULT LComboMenu::Initialize()
{
    if (FAILED(LDropDownControl::Initialize()))
    {
        return E_FAIL;
    }
    mHandler = new LNotificationHandler<LComboMenu>(this);
    // The entry takes the focus on a press, so that the focus leaving it closes its menu.
    SetNotFocusable(false);
    const RCPtr<LPopupMenu> popup = GetPopupMenu();
    if (!popup)
    {
        // The popup is the entry's drop-down part: a skin without one gets no menu.
        return E_FAIL;
    }
    const RCPtr<LNotificationDistributor> source(popup.Get());
    mHandler->SubscribeHandler(&LComboMenu::OnPopupVisibility, source,
                               ControlNotificationNames::Get().visibilityChange);
    mHandler->SubscribeHandler(&LComboMenu::OnItemActivated, source,
                               LPopupMenu::ItemActivatedName());
    popup->SetClosesItself(false);
    return S_OK;
}

void LComboMenu::OnCreated()
{
    LDropDownControl::OnCreated();
    const RCPtr<LPopupMenu> popup = GetPopupMenu();
    if (popup && popup->GetLayout())
    {
        AxisPlacement placement;
        popup->GetLayout()->GetAxisPlacement(LLayoutDescriptor::kAxisX, placement);
        mPopupX = std::fabs(placement.position.abs);
    }
}

bool LComboMenu::IsDropDownShown()
{
    const RCPtr<LPopupMenu> popup = GetPopupMenu();
    return popup && popup->IsVisible(false);
}

void LComboMenu::ShowStateLook()
{
    if (!IsEnabled(true))
    {
        SetActiveLook(kLookDisabled);
    }
    else if (IsDropDownShown())
    {
        SetActiveLook(kLookOpen);
    }
    else
    {
        SetActiveLook((GetConditions() & kHover) != 0 ? kLookHover : kLookNormal);
    }
}

ORVRESULT LComboMenu::ShowDropDown(bool show)
{
    const RCPtr<LComboMenu> self(this);
    const RCPtr<LPopupMenu> popup = GetPopupMenu();
    if (!popup)
    {
        return E_FAIL;
    }
    if (show)
    {
        PlaceDropDownPart(*popup, mPopupX);
    }
    popup->SetVisible(show);
    if (show)
    {
        popup->SetFocus(true);
        SetActiveLook(kLookOpen);
        if ((GetConditions() & kLeftDown) != 0)
        {
            // A press held on the entry moves to the popup, so that press, drag and release on
            // the bar chooses an item.
            popup->OnMouseButtonDown(kLeftButton, std::lround(mPressPoint.x),
                                     std::lround(mPressPoint.y));
        }
    }
    else
    {
        SetActiveLook((GetConditions() & kHover) != 0 ? kLookHover : kLookNormal);
    }
    return S_OK;
}

void LComboMenu::OnConditionsChange(const RCPtr<LConditionsParam>& param)
{
    const RCPtr<LComboMenu> self(this);
    ShowStateLook();
    if (param && IsEnabled(true))
    {
        const DWORD changed = param->oldConditions ^ param->newConditions;
        const RCPtr<LControl>& parent = GetParent();
        if ((changed & kHover) != 0 && (param->newConditions & kHover) != 0 && parent)
        {
            // Another entry of the bar open: this one takes over.
            const auto& children = parent->GetChildren();
            for (int i = static_cast<int>(children.GetCount()) - 1; i >= 0; --i)
            {
                const RCPtr<LComboMenu> other(
                    children.GetAt(static_cast<unsigned int>(i), kInsertionOrder));
                if (!other || !other->IsDropDownShown())
                {
                    continue;
                }
                if (other.Get() != this)
                {
                    const RCPtr<LPopupMenu> otherPopup = other->GetPopupMenu();
                    otherPopup->SetVisible(false);
                    other->ShowStateLook();
                    ShowDropDown(true);
                }
                break;
            }
        }
        if ((changed & kLeftDown) != 0 && (param->newConditions & kLeftDown) != 0)
        {
            const RCPtr<LPopupMenu> popup = GetPopupMenu();
            if (popup)
            {
                const RectT<double> rect = popup->GetRect();
                mPressPoint = PointT<double>(param->point.x - rect.x, param->point.y - rect.y);
            }
        }
    }
    LDropDownControl::OnConditionsChange(param);
}

ORVRESULT LComboMenu::OnItemActivated(const RCPtr<LNotificationDistributor>&,
                                      const RCPtr<LNotification>&)
{
    const RCPtr<LPopupMenu> popup = GetPopupMenu();
    if (popup)
    {
        popup->SetVisible(false);
    }
    SetActiveLook((GetConditions() & kHover) != 0 ? kLookHover : kLookNormal);
    return 1;
}

ORVRESULT LComboMenu::OnPopupVisibility(const RCPtr<LNotificationDistributor>&,
                                        const RCPtr<LNotification>&)
{
    ShowStateLook();
    return 0;
}
} // namespace Orv
