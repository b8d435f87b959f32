#include "Controls/ComboBox.h"

#include "ControlBase/ControlNotificationNames.h"
#include "Controls/ListBox.h"
#include "Controls/ListBoxNotificationNames.h"
#include "Controls/NotificationChain.h"
#include "Controls/TextBox.h"
#include "Controls/TextValidationParams.h"
#include "notification/ConditionsParam.h"
#include "notification/Notification.h"
#include "notification/NotificationName.h"
#include "platform/User32.h"

#include <cwchar>

namespace Orv
{
namespace
{
const wchar_t kListBoxName[] = L"listBox";
const wchar_t kTextBoxName[] = L"textBox";
const wchar_t kInitialSelectedIndex[] = L"INITIAL_SELECTED_INDEX";
const wchar_t kValidating[] = L"NID_TEXTBOX_VALIDATING";
const wchar_t kValidated[] = L"NID_TEXTBOX_VALIDATED";
const wchar_t kTextChange[] = L"NID_TEXTBOX_TEXT_CHANGE";

bool IsPlainKey(const RCPtr<LKeyParam>& param, int virtualKey)
{
    return param && param->key.code == KeyCode::FromVirtualKey(virtualKey, true, 0).code;
}

// The size rule of an axis that the skin gives the control, and its maximum.
bool SkinAxis(const LControl& control, int axis, AxisPlacement& placement, LayoutSpec& maximum)
{
    const RCPtr<LControlDescriptor>& descriptor = control.GetDescriptor();
    if (!descriptor || !descriptor->GetLayout())
    {
        return false;
    }
    LayoutSpec minimum;
    descriptor->GetLayout()->GetAxisPlacement(axis, placement);
    descriptor->GetLayout()->GetAxisLimits(axis, minimum, maximum);
    return true;
}

// The fixed maximum of an axis (0: none).
double FixedMaximum(const LayoutSpec& maximum)
{
    return maximum.kind == LLayoutDescriptor::kLimitAbsolute ? maximum.abs : 0;
}
} // namespace

const wchar_t* LComboBox::DropDownOpeningName()
{
    static const wchar_t* const name = InternNotificationName(L"NID_DROPDOWN_OPENING");
    return name;
}

LComboBox::LComboBox(const RCPtr<LControl>& parent, const RCPtr<LControlDescriptor>& descriptor)
    : LDropDownControl(parent, descriptor)
{
}

LComboBox::~LComboBox() = default;

ORVRESULT LComboBox::ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                         const RCPtr<LNotification>& notification)
{
    return ReceiveThroughChain<LDropDownControl>(*this, mHandler, source, notification);
}

ORVRESULT LComboBox::Unregister(const RCPtr<LNotificationDistributor>& source, const wchar_t* name)
{
    return UnregisterThroughChain<LDropDownControl>(*this, mHandler, source, name);
}

RCPtr<LTextBox> LComboBox::GetTextBox() const
{
    return DynamicCast<LTextBox>(FindChildControl(WString(kTextBoxName)));
}

ORVRESULT LComboBox::ReadCreateParams()
{
    const ORVRESULT result = LDropDownControl::ReadCreateParams();
    mInitialSelectedIndex = 0;
    const RCPtr<LControlDescriptor>& descriptor = GetDescriptor();
    WString text;
    if (descriptor && descriptor->GetCreateParams() &&
        descriptor->GetCreateParams()->Lookup(kInitialSelectedIndex, text))
    {
        mInitialSelectedIndex = static_cast<int>(std::wcstol(text.GetBuffer(), nullptr, 10));
    }
    return result;
}

ORVRESULT LComboBox::Initialize()
{
    if (FAILED(LDropDownControl::Initialize()))
    {
        return E_FAIL;
    }
    mListBox = DynamicCast<LListBox>(FindChildControl(WString(kListBoxName)));
    if (!mListBox)
    {
        return E_FAIL;
    }
    mHandler = new LNotificationHandler<LComboBox>(this);
    const RCPtr<LNotificationDistributor> list(mListBox.Get());
    mHandler->SubscribeHandler(&LComboBox::OnListVisibility, list,
                               ControlNotificationNames::Get().visibilityChange);
    mHandler->SubscribeHandler(&LComboBox::OnListItemActivated, list,
                               ListBoxNotificationNames::Get().itemActivated);
    const RCPtr<LTextBox> textBox = GetTextBox();
    if (textBox)
    {
        const RCPtr<LNotificationDistributor> text(textBox.Get());
        mHandler->SubscribeHandler(&LComboBox::OnTextValidating, text, kValidating);
        mHandler->SubscribeHandler(&LComboBox::OnTextValidated, text, kValidated);
        mHandler->SubscribeHandler(&LComboBox::OnTextChange, text, kTextChange);
        mHandler->SubscribeHandler(&LComboBox::OnTextFocus, text,
                                   ControlNotificationNames::Get().hasFocusChange);
    }
    mListBox->SetSizeToContent(true);
    mListBox->SetVisible(false);
    const RCPtr<LStringTable> table = GetStringTable();
    if (table)
    {
        mListBox->AddItemsFromStringTable(table);
        if (mInitialSelectedIndex >= 0 && mInitialSelectedIndex < mListBox->GetItemCount() &&
            mListBox->SelectItemRange(mInitialSelectedIndex, -1, true) >= 0)
        {
            // The starting entry is shown without a notification; the text box keeps its text.
            LControl::SetText(EntryText(mInitialSelectedIndex));
            mSelectedIndex = mInitialSelectedIndex;
        }
    }
    return S_OK;
}

void LComboBox::OnCreated()
{
    LDropDownControl::OnCreated();
    if (!mListBox)
    {
        return;
    }
    mListBox->SetVisible(false);
    const RCPtr<LLayoutDescriptor>& layout = mListBox->GetLayout();
    if (!layout)
    {
        return;
    }
    // A list the skin gives no width is as wide as the box; one it gives no height is as high
    // as its entries.
    AxisPlacement placement;
    LayoutSpec maximum;
    if (SkinAxis(*mListBox, LLayoutDescriptor::kAxisX, placement, maximum) &&
        placement.size.kind == LLayoutDescriptor::kSizeAbsolute && placement.size.abs <= 0)
    {
        layout->GetAxisPlacement(LLayoutDescriptor::kAxisX, placement);
        placement.size.kind = LLayoutDescriptor::kSizeAbsolute;
        placement.size.abs = static_cast<int>(GetRect().width);
        mListBox->SetAxisPlacement(LLayoutDescriptor::kAxisX, placement);
    }
    if (SkinAxis(*mListBox, LLayoutDescriptor::kAxisY, placement, maximum) &&
        placement.size.kind == LLayoutDescriptor::kSizeAbsolute && placement.size.abs <= 0)
    {
        layout->GetAxisPlacement(LLayoutDescriptor::kAxisY, placement);
        placement.size.kind = LLayoutDescriptor::kSizeAbsolute;
        placement.size.abs = mListBox->GetContentHeight();
        mListBox->SetAxisPlacement(LLayoutDescriptor::kAxisY, placement);
    }
    LayoutSpec minimum;
    layout->GetAxisLimits(LLayoutDescriptor::kAxisY, minimum, maximum);
    if (FixedMaximum(maximum) > 0)
    {
        mListBox->SnapHeightToRows();
    }
}

WString LComboBox::EntryText(int index) const
{
    return GetItemRecord(index).GetText();
}

const ItemRecord& LComboBox::GetItemRecord(int index) const
{
    static const ItemRecord empty;
    return mListBox ? mListBox->GetItemRecord(index) : empty;
}

int LComboBox::GetItemCount() const
{
    return mListBox ? mListBox->GetItemCount() : 0;
}

int LComboBox::SetSelectedIndex(int index)
{
    const RCPtr<LComboBox> self(this);
    if (!mListBox)
    {
        mSelectedIndex = -1;
        return -1;
    }
    if (index < 0)
    {
        mSelectedIndex = -1;
        mListBox->ClearSelection();
        return -1;
    }
    const int result = mListBox->SelectItemRange(index, index, true);
    const bool changed = mSelectedIndex != result;
    mSelectedIndex = result < 0 ? -1 : result;
    if (result < 0)
    {
        return -1;
    }
    const WString text = EntryText(mSelectedIndex);
    ApplyText(text, true);
    const RCPtr<LTextBox> textBox = GetTextBox();
    if (textBox)
    {
        textBox->SetText(text);
    }
    if (changed)
    {
        SendNotification(
            LNotification::Create(ListBoxNotificationNames::Get().selectionChange, nullptr));
    }
    return mSelectedIndex;
}

ORVRESULT LComboBox::SetText(const WString& text)
{
    if (!ApplyText(text, true))
    {
        return S_FALSE;
    }
    SetSelectedIndex(mListBox ? mListBox->FindItemByText(text, false) : -1);
    return S_OK;
}

ORVRESULT LComboBox::InsertItem(int index, const ConstRCPtr<LTaggableObject>& data)
{
    if (!data)
    {
        return E_INVALIDARG;
    }
    if (!mListBox)
    {
        return E_FAIL;
    }
    const ORVRESULT result = mListBox->InsertItem(index, data);
    if (result < 0)
    {
        return result;
    }
    if (result <= mSelectedIndex)
    {
        // The same entry stays selected one place further down.
        ++mSelectedIndex;
    }
    else if (mSelectedIndex < 0 && EntryText(result) == GetText())
    {
        SetSelectedIndex(result);
    }
    return result;
}

ORVRESULT LComboBox::AddItem(const ConstRCPtr<LTaggableObject>& data)
{
    return InsertItem(GetItemCount(), data);
}

ORVRESULT LComboBox::RemoveItemsFrom(int index)
{
    if (!mListBox)
    {
        return E_FAIL;
    }
    const ORVRESULT result = mListBox->SetItemCount(index);
    if (mSelectedIndex >= index)
    {
        SetSelectedIndex(-1);
    }
    if (IsDropDownShown())
    {
        ShowDropDown(true);
    }
    return result;
}

bool LComboBox::IsDropDownShown()
{
    if (!mListBox || !mListBox->GetLayout() || !mListBox->GetLayout()->visible)
    {
        return false;
    }
    const RectT<double> rect = mListBox->GetRect();
    return rect.width > 0 && rect.height > 0;
}

ORVRESULT LComboBox::ShowDropDown(bool show)
{
    const RCPtr<LComboBox> self(this);
    if (!mListBox)
    {
        return E_FAIL;
    }
    if (show && GetParent())
    {
        SendNotification(LNotification::Create(DropDownOpeningName(), nullptr));
        LControl* top = GetTopLevelControl();
        const double boxTop = top->ConvertPointFrom(this, PointT<double>(0, 0)).y;
        const double height = GetRect().height;
        const double below = top->GetRect().height - (boxTop + height) - kEdgeMargin;
        const double above = boxTop - kEdgeMargin;
        const double content =
            static_cast<double>(mListBox->GetItemHeight()) * mListBox->GetItemCount();
        AxisPlacement skinPlacement;
        LayoutSpec skinMaximum;
        SkinAxis(*mListBox, LLayoutDescriptor::kAxisY, skinPlacement, skinMaximum);
        const double skinMax = FixedMaximum(skinMaximum);
        LayoutSpec minimum;
        LayoutSpec maximum;
        mListBox->GetLayout()->GetAxisLimits(LLayoutDescriptor::kAxisY, minimum, maximum);
        const double layoutMax = FixedMaximum(maximum);

        bool useBelow = false;
        if (layoutMax == 0 || skinMax <= 0 || (below < skinMax && above < skinMax))
        {
            useBelow = content <= below || above <= below;
        }
        else
        {
            useBelow = skinMax <= below;
        }
        const double room = useBelow ? below : above;

        maximum.kind = LLayoutDescriptor::kLimitAbsolute;
        if (skinMax > 0)
        {
            maximum.abs = room < skinMax ? room : skinMax;
        }
        else
        {
            maximum.abs = content <= room ? 0 : room;
        }
        mListBox->SetAxisSizeLimits(LLayoutDescriptor::kAxisY, minimum, maximum);

        AxisPlacement placement;
        mListBox->GetLayout()->GetAxisPlacement(LLayoutDescriptor::kAxisY, placement);
        placement.size.kind = LLayoutDescriptor::kSizeAbsolute;
        placement.size.abs = content <= room ? content : room;
        placement.position.kind = LLayoutDescriptor::kPositionParent;
        placement.position.rel = useBelow ? 1.0f : 0.0f;
        placement.position.abs = 0;
        placement.anchor = useBelow ? 0.0f : 1.0f;
        mListBox->SetAxisPlacement(LLayoutDescriptor::kAxisY, placement);
        mListBox->SnapHeightToRows();

        // The list marks the first entry that shows the box's text, else the first entry.
        const WString text = GetText();
        int mark = -1;
        for (int i = mListBox->GetItemCount() - 1; i >= 0; --i)
        {
            if (EntryText(i) == text)
            {
                mark = i;
            }
        }
        if (mark < 0)
        {
            mark = 0;
        }
        if (mListBox->SelectItemRange(mark, -1, true) >= 0)
        {
            mListBox->ScrollItemIntoView(mark);
        }
    }
    mListBox->SetVisible(show);
    if (show)
    {
        mListBox->SetFocus(true);
    }
    return S_OK;
}

int LComboBox::ChooseLook()
{
    if (!IsEnabled(true))
    {
        return kLookDisabled;
    }
    const DWORD conditions = GetConditions();
    const bool hover = (conditions & kHover) != 0;
    if (IsDropDownShown())
    {
        return hover ? kLookOpenHover : kLookOpen;
    }
    const bool focus = (conditions & (kHasFocus | kContainsFocus)) != 0;
    if (hover)
    {
        return focus ? kLookHoverFocused : kLookHover;
    }
    return focus ? kLookFocused : kLookNormal;
}

void LComboBox::UpdateLook()
{
    SetActiveLook(ChooseLook());
}

void LComboBox::OnConditionsChange(const RCPtr<LConditionsParam>& param)
{
    const RCPtr<LComboBox> self(this);
    LDropDownControl::OnConditionsChange(param);
    UpdateLook();
}

ORVRESULT LComboBox::HandleUnusedKey(const RCPtr<LKeyParam>& param)
{
    if (!IsDropDownShown())
    {
        if (IsPlainKey(param, VK_DOWN) || IsPlainKey(param, VK_RETURN))
        {
            ShowDropDown(true);
            return S_OK;
        }
    }
    else if (IsPlainKey(param, VK_ESCAPE))
    {
        mListBox->SetVisible(false);
        return S_OK;
    }
    return S_FALSE;
}

ORVRESULT LComboBox::RouteSiblingKey(const RCPtr<LKeyParam>& param)
{
    if (IsPlainKey(param, VK_ESCAPE) && mListBox)
    {
        mListBox->SetVisible(false);
        return S_OK;
    }
    return S_FALSE;
}

WString LComboBox::GetToolTipText() const
{
    return MeasureTextWidth() ? GetText() : LDropDownControl::GetToolTipText();
}

ORVRESULT LComboBox::OnListVisibility(const RCPtr<LNotificationDistributor>&,
                                      const RCPtr<LNotification>&)
{
    UpdateLook();
    return 0;
}

ORVRESULT LComboBox::OnListItemActivated(const RCPtr<LNotificationDistributor>&,
                                         const RCPtr<LNotification>&)
{
    const int index = mListBox ? mListBox->GetFocusItem() : -1;
    SetSelectedIndex(index >= 0 && index < GetItemCount() ? index : -1);
    return 1;
}

ORVRESULT LComboBox::OnTextValidating(const RCPtr<LNotificationDistributor>&,
                                      const RCPtr<LNotification>& notification)
{
    SendNotification(
        LNotification::Create(kValidating, notification ? notification->param : nullptr));
    return 1;
}

ORVRESULT LComboBox::OnTextValidated(const RCPtr<LNotificationDistributor>&,
                                     const RCPtr<LNotification>& notification)
{
    const RCPtr<LComboBox> self(this);
    const RCPtr<LRefCountedObject> param = notification ? notification->param : nullptr;
    const RCPtr<LTextValidationParams> validation = DynamicCast<LTextValidationParams>(param);
    if (validation && mListBox)
    {
        const int index = mListBox->SelectNextItemWithText(-1, validation->text, false);
        SetSelectedIndex(index >= 0 ? index : -1);
    }
    SendNotification(LNotification::Create(kValidated, param));
    return 1;
}

ORVRESULT LComboBox::OnTextChange(const RCPtr<LNotificationDistributor>&,
                                  const RCPtr<LNotification>& notification)
{
    SendNotification(
        LNotification::Create(kTextChange, notification ? notification->param : nullptr));
    return 1;
}

ORVRESULT LComboBox::OnTextFocus(const RCPtr<LNotificationDistributor>&,
                                 const RCPtr<LNotification>& notification)
{
    const RCPtr<LConditionsParam> param =
        DynamicCast<LConditionsParam>(notification ? notification->param : nullptr);
    if (param && mListBox && (param->newConditions & kHasFocus) != 0 &&
        (param->oldConditions & kHasFocus) == 0)
    {
        mListBox->SetVisible(false);
    }
    return 0;
}
} // namespace Orv
