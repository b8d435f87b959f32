#include "Controls/CheckedComboBox.h"

#include "Controls/Button.h"
#include "Controls/CheckedListBox.h"
#include "Controls/IndexedDataParam.h"
#include "Controls/NotificationChain.h"
#include "notification/Notification.h"

namespace Orv
{
namespace
{
const wchar_t kCheckBoxName[] = L"checkBox";
const wchar_t kListBoxName[] = L"listBox";
} // namespace

LCheckedComboBox::LCheckedComboBox(const RCPtr<LControl>& parent,
                                   const RCPtr<LControlDescriptor>& descriptor)
    : LComboBox(parent, descriptor)
{
}

LCheckedComboBox::~LCheckedComboBox() = default;

ORVRESULT LCheckedComboBox::ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                                const RCPtr<LNotification>& notification)
{
    return ReceiveThroughChain<LComboBox>(*this, mCheckedHandler, source, notification);
}

ORVRESULT LCheckedComboBox::Unregister(const RCPtr<LNotificationDistributor>& source,
                                       const wchar_t* name)
{
    return UnregisterThroughChain<LComboBox>(*this, mCheckedHandler, source, name);
}

RCPtr<LButton> LCheckedComboBox::GetCheckBox() const
{
    return DynamicCast<LButton>(FindChildControl(WString(kCheckBoxName)));
}

ORVRESULT LCheckedComboBox::Initialize()
{
    mCheckedList = DynamicCast<LCheckedListBox>(FindChildControl(WString(kListBoxName)));
    if (FAILED(LComboBox::Initialize()) || !mCheckedList)
    {
        return E_FAIL;
    }
    const RCPtr<LButton> checkBox = GetCheckBox();
    if (checkBox)
    {
        checkBox->SetUseParentToolTip(true);
    }
    mCheckedList->SetSizeToContent(true);
    if (!mCheckedList->GetIcons().empty())
    {
        SetIconMode(true);
    }
    mCheckedHandler = new LNotificationHandler<LCheckedComboBox>(this);
    mCheckedHandler->SubscribeHandler(&LCheckedComboBox::OnItemCheckChange,
                                      RCPtr<LNotificationDistributor>(mCheckedList.Get()),
                                      LCheckedListBox::ItemCheckChangeName());
    return S_OK;
}

void LCheckedComboBox::SetIconMode(bool on)
{
    mIconMode = on;
    const RCPtr<LButton> checkBox = GetCheckBox();
    if (checkBox)
    {
        checkBox->SetHasIcon(on);
    }
}

void LCheckedComboBox::ShowEntry(int index, bool withCheck)
{
    const RCPtr<LButton> checkBox = GetCheckBox();
    if (!checkBox || !mCheckedList)
    {
        return;
    }
    ConstRCPtr<LBitmap> icon;
    if (index >= 0 && index < mCheckedList->GetItemCount())
    {
        if (withCheck)
        {
            checkBox->SetValue(mCheckedList->GetItemCheck(index) ? 1.0 : 0.0);
        }
        icon = mCheckedList->GetItemIcon(index);
    }
    for (int i = static_cast<int>(checkBox->GetLookCount()) - 1; i >= 0; --i)
    {
        checkBox->SetLookImage(icon, LVisualPart::kStretch, i, true);
    }
}

int LCheckedComboBox::SetSelectedIndex(int index)
{
    ShowEntry(index, true);
    return LComboBox::SetSelectedIndex(index);
}

void LCheckedComboBox::OnCreated()
{
    if (GetSelectedIndex() >= 0)
    {
        ShowEntry(GetSelectedIndex(), false);
    }
    LComboBox::OnCreated();
}

ORVRESULT LCheckedComboBox::RemoveItemsFrom(int index)
{
    const ORVRESULT result = LComboBox::RemoveItemsFrom(index);
    UpdateLook();
    return result;
}

void LCheckedComboBox::UpdateLook()
{
    const bool anyChecked = mCheckedList && mCheckedList->GetCheckedCount() > 0;
    SetActiveLook(ChooseLook() + (anyChecked ? kCheckedLookOffset : 0));
}

ORVRESULT LCheckedComboBox::OnItemCheckChange(const RCPtr<LNotificationDistributor>&,
                                              const RCPtr<LNotification>& notification)
{
    const RCPtr<LCheckedComboBox> self(this);
    const RCPtr<LRefCountedObject> param = notification ? notification->param : nullptr;
    if (mCheckedList && mCheckedList->GetCheckedCount() <= 1)
    {
        // Only now can the any-checked state have changed.
        UpdateLook();
    }
    // The box shows the selected entry's check as it is now, however it changed.
    const RCPtr<LIndexedDataWithValueParam> change = DynamicCast<LIndexedDataWithValueParam>(param);
    const RCPtr<LButton> checkBox = GetCheckBox();
    if (change && checkBox && change->index == GetSelectedIndex() && mCheckedList)
    {
        checkBox->SetValue(mCheckedList->GetItemCheck(change->index) ? 1.0 : 0.0);
    }
    SendNotification(LNotification::Create(LCheckedListBox::ItemCheckChangeName(), param));
    return 1;
}
} // namespace Orv
