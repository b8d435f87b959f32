#include "Controls/CheckedListBoxItem.h"

#include "ControlBase/ControlNotificationNames.h"
#include "Controls/NotificationChain.h"
#include "notification/ConditionsParam.h"

namespace Orv
{
namespace
{
const wchar_t* const kCheckBoxName = L"checkBox";
} // namespace

LCheckedListBoxItem::LCheckedListBoxItem(const RCPtr<LControl>& parent,
                                         const RCPtr<LControlDescriptor>& descriptor)
    : LListBoxItem(parent, descriptor)
{
}

LCheckedListBoxItem::LCheckedListBoxItem(const RCPtr<LControl>& parent, const WString& name)
    : LListBoxItem(parent, name)
{
}

LCheckedListBoxItem::~LCheckedListBoxItem()
{
    mCheckedItemHandler = nullptr;
}

ORVRESULT LCheckedListBoxItem::ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                                   const RCPtr<LNotification>& notification)
{
    return ReceiveThroughChain<LListBoxItem>(*this, mCheckedItemHandler, source, notification);
}

ORVRESULT LCheckedListBoxItem::Unregister(const RCPtr<LNotificationDistributor>& source,
                                          const wchar_t* name)
{
    return UnregisterThroughChain<LListBoxItem>(*this, mCheckedItemHandler, source, name);
}

ORVRESULT LCheckedListBoxItem::Initialize()
{
    const ORVRESULT result = LListBoxItem::Initialize();
    if (!mCheckedItemHandler)
    {
        mCheckedItemHandler = new LNotificationHandler<LCheckedListBoxItem>(this);
    }
    const RCPtr<LButton> checkBox = GetCheckBox();
    if (checkBox)
    {
        mCheckedItemHandler->SubscribeHandler(&LCheckedListBoxItem::OnCheckBoxHoverChange,
                                              RCPtr<LNotificationDistributor>(checkBox.Get()),
                                              ControlNotificationNames::Get().hoverChange);
        checkBox->SetNotFocusable(true);
        checkBox->SetUseParentToolTip(true);
    }
    return result;
}

RCPtr<LButton> LCheckedListBoxItem::GetCheckBox() const
{
    return RCPtr<LButton>(FindChildControl(WString(kCheckBoxName)));
}

bool LCheckedListBoxItem::SetItemLook(int look)
{
    ORVRESULT result = SetLookWeight(look, 1.0f, true);
    if (SUCCEEDED(result) && IsCreated() && mCheckBoxFollowsLook)
    {
        const RCPtr<LButton> checkBox = GetCheckBox();
        result = checkBox ? checkBox->SetActiveLook(look) : E_FAIL;
    }
    return SUCCEEDED(result);
}

ORVRESULT LCheckedListBoxItem::SetCheckBoxLook(int look)
{
    if (!IsCreated())
    {
        return S_FALSE;
    }
    const RCPtr<LButton> checkBox = GetCheckBox();
    return checkBox ? checkBox->SetActiveLook(look) : E_FAIL;
}

ORVRESULT LCheckedListBoxItem::OnCheckBoxHoverChange(const RCPtr<LNotificationDistributor>&,
                                                     const RCPtr<LNotification>& notification)
{
    const RCPtr<LConditionsParam> param =
        notification ? RCPtr<LConditionsParam>(notification->param) : RCPtr<LConditionsParam>();
    bool entered = false;
    if (param)
    {
        entered = (param->oldConditions & kHover) == 0 && (param->newConditions & kHover) != 0;
    }
    SetForcedHover(entered);
    return 1;
}
} // namespace Orv
