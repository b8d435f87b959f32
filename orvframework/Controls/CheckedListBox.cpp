#include "Controls/CheckedListBox.h"

#include "ControlBase/ControlNotificationNames.h"
#include "ControlBase/VisualPart.h"
#include "Controls/NotificationChain.h"
#include "notification/AutoNotificationDisabler.h"
#include "notification/NotificationName.h"

#include <typeinfo>
#include <utility>

namespace Orv
{
LCheckedListBox::LCheckedListBox(const RCPtr<LControl>& parent,
                                 const RCPtr<LControlDescriptor>& descriptor)
    : LListBox(parent, descriptor)
{
}

LCheckedListBox::LCheckedListBox(const RCPtr<LControl>& parent, const WString& name)
    : LListBox(parent, name)
{
}

LCheckedListBox::~LCheckedListBox()
{
    mCheckedHandler = nullptr;
}

const wchar_t* LCheckedListBox::ItemCheckChangeName()
{
    static const wchar_t* const name = InternNotificationName(L"NID_ITEM_CHECK_CHANGE");
    return name;
}

const wchar_t* LCheckedListBox::ItemCheckBoxClickedName()
{
    static const wchar_t* const name = InternNotificationName(L"NID_ITEM_CHECKBOX_CLICKED");
    return name;
}

ORVRESULT LCheckedListBox::ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                               const RCPtr<LNotification>& notification)
{
    return ReceiveThroughChain<LListBox>(*this, mCheckedHandler, source, notification);
}

ORVRESULT LCheckedListBox::Unregister(const RCPtr<LNotificationDistributor>& source,
                                      const wchar_t* name)
{
    return UnregisterThroughChain<LListBox>(*this, mCheckedHandler, source, name);
}

void LCheckedListBox::EnsureCheckedHandler()
{
    if (!mCheckedHandler)
    {
        mCheckedHandler = new LNotificationHandler<LCheckedListBox>(this);
    }
}

ORVRESULT LCheckedListBox::Initialize()
{
    const ORVRESULT result = LListBox::Initialize();
    EnsureCheckedHandler();
    // Only the checked list box itself: the popup menu and the tree view use look 3 otherwise.
    if (typeid(*this) == typeid(LCheckedListBox) && GetLookCount() > kIconLook)
    {
        CollectIcons();
        SetCheckBoxesIgnoreMouse(true);
        UpdateItemControlsFrom(0);
    }
    return result;
}

void LCheckedListBox::CollectIcons()
{
    const RCPtr<LLook>& look = GetLook(kIconLook);
    if (!look || !look->GetDescriptor())
    {
        return;
    }
    const auto take = [this](const RCPtr<LDockedPart>& docked)
    {
        if (!docked || !docked->GetPart())
        {
            return;
        }
        const RCPtr<LVisualPart> part = docked->GetPart()->GetVisualPart();
        if (part && part->GetBitmap())
        {
            mIcons.push_back(part->GetBitmap());
        }
    };
    take(look->GetDescriptor()->GetClientPart());
    const RCPtrArray<LDockedPart>& others = look->GetDescriptor()->GetNonClientParts();
    for (unsigned int i = 0; i < others.GetCount(); ++i)
    {
        take(others.GetConstElementPointer(i));
    }
}

// --- Record store ---

int LCheckedListBox::GetItemCount() const
{
    return static_cast<int>(mCheckedRecords.size());
}

ORVRESULT LCheckedListBox::SwapItems(int first, int second)
{
    if (!IsValidIndex(first) || !IsValidIndex(second))
    {
        return E_INVALIDARG;
    }
    std::swap(mCheckedRecords[static_cast<size_t>(first)],
              mCheckedRecords[static_cast<size_t>(second)]);
    return S_OK;
}

ItemRecord* LCheckedListBox::GetItemRecordAt(int index)
{
    return GetCheckedItemRecordAt(index);
}

CheckedItemRecord* LCheckedListBox::GetCheckedItemRecordAt(int index)
{
    if (index < 0 || index >= static_cast<int>(mCheckedRecords.size()))
    {
        return nullptr;
    }
    return &mCheckedRecords[static_cast<size_t>(index)];
}

ORVRESULT LCheckedListBox::InsertItemRecord(int index)
{
    if (index < 0 || index > static_cast<int>(mCheckedRecords.size()))
    {
        return E_INVALIDARG;
    }
    mCheckedRecords.insert(mCheckedRecords.begin() + index, CheckedItemRecord());
    return S_OK;
}

ORVRESULT LCheckedListBox::RemoveItemRecord(int index)
{
    if (index < 0 || index >= static_cast<int>(mCheckedRecords.size()))
    {
        return E_INVALIDARG;
    }
    if (mCheckedRecords[static_cast<size_t>(index)].checked)
    {
        --mCheckedCount;
    }
    mCheckedRecords.erase(mCheckedRecords.begin() + index);
    return S_OK;
}

ORVRESULT LCheckedListBox::SetItemCount(int n)
{
    const ORVRESULT result = LListBox::SetItemCount(n);
    RecountChecked();
    return result;
}

void LCheckedListBox::RecountChecked()
{
    int count = 0;
    for (int i = 0, n = GetItemCount(); i < n; ++i)
    {
        const CheckedItemRecord* record = GetCheckedItemRecordAt(i);
        if (record != nullptr && record->checked)
        {
            ++count;
        }
    }
    mCheckedCount = count;
}

// --- Checks and icons ---

bool LCheckedListBox::GetItemCheck(int index) const
{
    const CheckedItemRecord* record = GetCheckedItemRecordAt(index);
    return record != nullptr && record->checked;
}

bool LCheckedListBox::StoreCheck(int index, bool checked)
{
    CheckedItemRecord* record = GetCheckedItemRecordAt(index);
    if (record == nullptr || record->checked == checked)
    {
        return false;
    }
    record->checked = checked;
    mCheckedCount += checked ? 1 : -1;
    return true;
}

ORVRESULT LCheckedListBox::SetItemCheck(int index, bool checked)
{
    if (!StoreCheck(index, checked))
    {
        return S_FALSE;
    }
    UpdateItemControl(index, nullptr);
    return S_OK;
}

ConstRCPtr<LBitmap> LCheckedListBox::GetItemIcon(int index) const
{
    const CheckedItemRecord* record = GetCheckedItemRecordAt(index);
    if (record == nullptr)
    {
        return ConstRCPtr<LBitmap>();
    }
    if (!mIcons.empty())
    {
        return mIcons[static_cast<size_t>(index) % mIcons.size()];
    }
    return record->icon;
}

RCPtr<LCheckedListBoxItem> LCheckedListBox::GetItemControl(int row) const
{
    return DynamicCast<LCheckedListBoxItem>(GetItemControlAt(row));
}

void LCheckedListBox::SetCheckBoxesIgnoreMouse(bool ignore)
{
    mCheckBoxesIgnoreMouse = ignore;
    for (int row = 0, n = GetRowCount(); row < n; ++row)
    {
        const RCPtr<LCheckedListBoxItem> item = GetItemControl(row);
        const RCPtr<LButton> checkBox = item ? item->GetCheckBox() : RCPtr<LButton>();
        if (checkBox)
        {
            checkBox->SetPassive(ignore);
        }
    }
}

// --- Rows ---

const wchar_t* LCheckedListBox::CheckBoxNotification() const
{
    const ControlNotificationNames& names = ControlNotificationNames::Get();
    return mCheckBoxesReportValues ? names.valueChange : names.leftClick;
}

void LCheckedListBox::FollowCheckBox(const RCPtr<LButton>& checkBox, bool subscribe)
{
    if (!checkBox)
    {
        return;
    }
    EnsureCheckedHandler();
    const RCPtr<LNotificationDistributor> source(checkBox.Get());
    const wchar_t* name = CheckBoxNotification();
    if (subscribe)
    {
        mCheckedHandler->SubscribeHandler(mCheckBoxesReportValues
                                              ? &LCheckedListBox::OnCheckBoxValueChange
                                              : &LCheckedListBox::OnCheckBoxClick,
                                          source, name);
    }
    else
    {
        mCheckedHandler->RemoveHandler(source, name);
        UnregisterNotification(source, name);
    }
}

ORVRESULT LCheckedListBox::CreateItemControl()
{
    const int before = GetRowCount();
    const ORVRESULT result = LListBox::CreateItemControl();
    if (FAILED(result) || GetRowCount() <= before)
    {
        return result;
    }
    const RCPtr<LCheckedListBoxItem> item = GetItemControl(GetRowCount() - 1);
    if (!item)
    {
        return result;
    }
    item->SetCheckBoxFollowsLook(mCheckBoxFollowsLook);
    if (const RCPtr<LButton> checkBox = item->GetCheckBox())
    {
        checkBox->SetPassive(mCheckBoxesIgnoreMouse);
        FollowCheckBox(checkBox, true);
    }
    return result;
}

ORVRESULT LCheckedListBox::SetCheckNotifyMode(bool reportValues)
{
    if (reportValues == mCheckBoxesReportValues)
    {
        return S_FALSE;
    }
    std::vector<RCPtr<LButton>> checkBoxes;
    for (int row = GetRowCount() - 1; row >= 0; --row)
    {
        const RCPtr<LCheckedListBoxItem> item = GetItemControl(row);
        if (const RCPtr<LButton> checkBox = item ? item->GetCheckBox() : RCPtr<LButton>())
        {
            checkBoxes.push_back(checkBox);
        }
    }
    for (const RCPtr<LButton>& checkBox : checkBoxes)
    {
        FollowCheckBox(checkBox, false);
    }
    mCheckBoxesReportValues = reportValues;
    for (const RCPtr<LButton>& checkBox : checkBoxes)
    {
        FollowCheckBox(checkBox, true);
    }
    return S_OK;
}

void LCheckedListBox::SetCheckBoxValueQuietly(const RCPtr<LButton>& checkBox, double value)
{
    if (checkBox->GetValue() == value)
    {
        return;
    }
    const RCPtr<LNotificationDistributor> source(checkBox.Get());
    const wchar_t* name = ControlNotificationNames::Get().valueChange;
    LNotificationHandler<LCheckedListBox>::Handler handler = nullptr;
    DWORD flags = 0;
    if (mCheckedHandler && SUCCEEDED(mCheckedHandler->GetHandlerInfo(source, name, handler, flags)))
    {
        const CAutoNotificationDisabler<LCheckedListBox> quiet(mCheckedHandler, source, name);
        checkBox->SetValue(value);
    }
    else
    {
        checkBox->SetValue(value);
    }
}

void LCheckedListBox::ShowImage(const RCPtr<LButton>& checkBox, const ConstRCPtr<LBitmap>& image)
{
    checkBox->SetHasIcon(image != nullptr);
    for (unsigned int i = 0; i < checkBox->GetLookCount(); ++i)
    {
        const RCPtr<LLook>& look = checkBox->GetLook(i);
        if (!look)
        {
            continue;
        }
        const RCPtr<LVisualPart>& shown = look->GetOverrideClientPart();
        const LBitmap* current = shown ? shown->GetBitmap().Get() : nullptr;
        if (current != image.Get())
        {
            checkBox->SetLookImage(image, LVisualPart::kStretch, static_cast<int>(i), true);
        }
    }
}

ORVRESULT LCheckedListBox::UpdateItemControl(int index, int* row)
{
    int shownRow = -1;
    const ORVRESULT result = LListBox::UpdateItemControl(index, &shownRow);
    if (row != nullptr)
    {
        *row = shownRow;
    }
    if (result != S_OK || shownRow < 0)
    {
        return result;
    }
    const RCPtr<LCheckedListBoxItem> item = GetItemControl(shownRow);
    const RCPtr<LButton> checkBox = item ? item->GetCheckBox() : RCPtr<LButton>();
    if (!checkBox)
    {
        return result;
    }
    const bool hasItem = IsValidIndex(index);
    SetCheckBoxValueQuietly(checkBox, hasItem && GetItemCheck(index) ? 1.0 : 0.0);
    ShowImage(checkBox, hasItem ? GetItemIcon(index) : ConstRCPtr<LBitmap>());
    if (checkBox->IsVisible(false) != hasItem)
    {
        checkBox->SetVisible(hasItem);
    }
    return result;
}

// --- The check boxes' notifications ---

int LCheckedListBox::ItemOfCheckBox(const RCPtr<LNotificationDistributor>& source,
                                    RCPtr<LButton>& checkBox)
{
    checkBox = DynamicCast<LButton>(source);
    if (!checkBox || !checkBox->GetParent())
    {
        return -1;
    }
    const int index = GetItemIndexOfControl(checkBox->GetParent().Get());
    return IsValidIndex(index) ? index : -1;
}

ORVRESULT LCheckedListBox::OnCheckBoxChange(const RCPtr<LNotificationDistributor>& source,
                                            const wchar_t* name)
{
    RCPtr<LButton> checkBox;
    const int index = ItemOfCheckBox(source, checkBox);
    if (index < 0)
    {
        return 1;
    }
    const RCPtr<LCheckedListBox> self(this);
    const double value = checkBox->GetValue();
    const RCPtr<LIndexedDataWithValueParam> param =
        LIndexedDataWithValueParam::Create(nullptr, index, value);
    StoreCheck(index, value >= ItemRecord::kSelectedThreshold);
    SelectItemRange(index, index, true);
    SendNotification(LNotification::Create(name, RCPtr<LRefCountedObject>(param)));
    return 1;
}

ORVRESULT LCheckedListBox::OnCheckBoxValueChange(const RCPtr<LNotificationDistributor>& source,
                                                 const RCPtr<LNotification>&)
{
    return OnCheckBoxChange(source, ItemCheckChangeName());
}

ORVRESULT LCheckedListBox::OnCheckBoxClick(const RCPtr<LNotificationDistributor>& source,
                                           const RCPtr<LNotification>&)
{
    return OnCheckBoxChange(source, ItemCheckBoxClickedName());
}
} // namespace Orv
