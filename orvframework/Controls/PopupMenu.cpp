#include "Controls/PopupMenu.h"

#include "Application/FrameworkApp.h"
#include "ControlBase/ControlFactory.h"
#include "ControlBase/ControlNotificationNames.h"
#include "Controls/MainMenu.h"
#include "Controls/NotificationChain.h"
#include "Renderer/ProcessMeasurementRenderer.h"
#include "System/RootWindow.h"
#include "notification/MenuActivationParam.h"
#include "notification/NotificationName.h"

#include <cmath>

namespace Orv
{
namespace
{
const wchar_t kSubMenuName[] = L"submenu";
const wchar_t kHotKeyLabelName[] = L"hotKeyLabel";
const wchar_t kCheckBoxName[] = L"checkBox";

constexpr DWORD kFocusBits = LControl::kHasFocus | LControl::kContainsFocus;

// The first key that a hot-key manager binds to nid, as text; empty when none.
WString HotKeyText(const RCPtr<LGlobalHotKeyManager>& manager, const WString& nid)
{
    if (!manager)
    {
        return WString();
    }
    const Array<KeyCode> keys = manager->GetHotKeysForNotification(nid);
    return keys.GetCount() > 0 ? keys.GetConstElementPointer(0).ToString() : WString();
}

// The first key bound to nid on the control itself, as text; empty when none.
WString ControlKeyText(const RCPtr<LControl>& control, const WString& nid)
{
    if (!control)
    {
        return WString();
    }
    const Array<KeyCode> keys = control->GetKeyBindings();
    for (unsigned int i = 0; i < keys.GetCount(); ++i)
    {
        if (control->GetKeyBindingNotification(keys.GetConstElementPointer(i)) == nid)
        {
            return keys.GetConstElementPointer(i).ToString();
        }
    }
    return WString();
}

// A fixed position of the layout on one axis.
void SetFixedPosition(const RCPtr<LControl>& control, int axis, double position)
{
    AxisPlacement placement;
    control->GetLayout()->GetAxisPlacement(axis, placement);
    placement.anchor = 0;
    placement.docked = false;
    placement.position.kind = LLayoutDescriptor::kPositionParent;
    placement.position.reference = WString();
    placement.position.rel = 0;
    placement.position.abs = position;
    control->SetAxisPlacement(axis, placement);
}
} // namespace

LPopupMenu::LPopupMenu(const RCPtr<LControl>& parent, const RCPtr<LControlDescriptor>& descriptor)
    : LCheckedListBox(parent, descriptor)
{
    // A sub-menu closes the way its chain does, from its creation on.
    if (const auto* parentPopup = dynamic_cast<const LPopupMenu*>(parent.Get()))
    {
        mClosesItself = parentPopup->mClosesItself;
    }
}

LPopupMenu::~LPopupMenu() = default;

const wchar_t* LPopupMenu::ItemActivatedName()
{
    static const wchar_t* const name = InternNotificationName(L"NID_ITEM_ACTIVATED");
    return name;
}

ORVRESULT LPopupMenu::ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                          const RCPtr<LNotification>& notification)
{
    return ReceiveThroughChain<LCheckedListBox>(*this, mHandler, source, notification);
}

ORVRESULT LPopupMenu::Unregister(const RCPtr<LNotificationDistributor>& source, const wchar_t* name)
{
    return UnregisterThroughChain<LCheckedListBox>(*this, mHandler, source, name);
}

DWORD LPopupMenu::Now() const
{
    LFrameworkApp* application = GetFrameworkApp();
    return application != nullptr ? application->GetTimeMs() : 0;
}

// --- Creation ---

ORVRESULT LPopupMenu::Initialize()
{
    if (FAILED(LCheckedListBox::Initialize()))
    {
        return E_FAIL;
    }
    mHandler = new LNotificationHandler<LPopupMenu>(this);
    // Rows made before the table existed.
    for (int row = 0; row < GetRowCount(); ++row)
    {
        const RCPtr<LListBoxItem> control = GetItemControlAt(row);
        if (control)
        {
            mHandler->SubscribeHandler(&LPopupMenu::OnRowHoverChange,
                                       RCPtr<LNotificationDistributor>(control.Get()),
                                       ControlNotificationNames::Get().hoverChange);
        }
    }
    ApplySizeLimits();
    mHotKeyColumn = -1;
    // A menu takes the keys while it is open, whatever tab stop its skin gives it.
    SetNotFocusable(false);
    SetSizeToContent(true);
    // The check boxes only show the items' checks.
    SetCheckBoxesIgnoreMouse(true);
    const RCPtr<LStringTable> table = GetStringTable();
    if (!table)
    {
        return 1;
    }
    LMenuDescriptor::StringPairs pairs;
    for (const auto& entry : table->GetEntries())
    {
        pairs.emplace_back(entry.first, entry.second);
    }
    const RCPtr<LMenuDescriptor> menu = LMenuDescriptor::BuildFromStringPairs(pairs);
    return menu ? ShowMenu(ConstRCPtr<LMenuDescriptor>(menu)) : S_FALSE;
}

void LPopupMenu::OnCreated()
{
    LCheckedListBox::OnCreated();
    SetVisible(false);
    ApplySizeLimits();
}

void LPopupMenu::ApplySizeLimits()
{
    if (!GetLayout())
    {
        return;
    }
    for (int axis = LLayoutDescriptor::kAxisX; axis <= LLayoutDescriptor::kAxisY; ++axis)
    {
        LayoutSpec minimum;
        LayoutSpec maximum;
        GetLayout()->GetAxisLimits(axis, minimum, maximum);
        const bool minimumOpen = minimum.abs == 0 && minimum.rel == 0;
        const bool maximumOpen = maximum.abs == 0 && maximum.rel == 0;
        if (!minimumOpen && !maximumOpen)
        {
            continue;
        }
        if (minimumOpen)
        {
            minimum.kind = LLayoutDescriptor::kSizeAbsolute;
            minimum.reference = WString();
            minimum.abs =
                axis == LLayoutDescriptor::kAxisX ? std::trunc(GetRect().width) : GetItemHeight();
        }
        SetAxisSizeLimits(axis, minimum, maximum);
    }
}

ORVRESULT LPopupMenu::ApplyDescriptor(const RCPtr<LControlDescriptor>& descriptor)
{
    const ORVRESULT result = LCheckedListBox::ApplyDescriptor(descriptor);
    mHotKeyColumn = -1;
    if (IsCreated())
    {
        RebuildRows();
    }
    return result;
}

ORVRESULT LPopupMenu::CreateItemControl()
{
    const ORVRESULT result = LCheckedListBox::CreateItemControl();
    const RCPtr<LListBoxItem> row = GetItemControlAt(GetRowCount() - 1);
    if (mHandler && row)
    {
        mHandler->SubscribeHandler(&LPopupMenu::OnRowHoverChange,
                                   RCPtr<LNotificationDistributor>(row.Get()),
                                   ControlNotificationNames::Get().hoverChange);
    }
    return result;
}

// --- The menu ---

ORVRESULT LPopupMenu::ShowMenu(const ConstRCPtr<LMenuDescriptor>& menu)
{
    if (!menu)
    {
        return E_INVALIDARG;
    }
    const RCPtr<LPopupMenu> self(this);
    CloseSubMenus();
    mMenu = menu->Clone();
    FillHotKeyTexts();
    return RebuildRows();
}

ORVRESULT LPopupMenu::SetNotificationTarget(const RCPtr<LNotificationQueue>& queue)
{
    if (!queue)
    {
        return E_INVALIDARG;
    }
    if (mTarget)
    {
        return E_FAIL;
    }
    mTarget = queue->GetPostingReceiver();
    mTargetIsRootQueue =
        dynamic_cast<LNotificationQueue*>(GetTreeRootWindow().Get()) == queue.Get();
    if (mMenu)
    {
        FillHotKeyTexts();
        RebuildRows();
    }
    return S_OK;
}

RCPtr<LControl> LPopupMenu::GetDefaultTargetControl() const
{
    RCPtr<LControl> control = GetParent();
    while (control && dynamic_cast<LPopupMenu*>(control.Get()) != nullptr)
    {
        control = control->GetParent();
    }
    return control;
}

RCPtr<LNotificationReceiver> LPopupMenu::GetNotificationTarget() const
{
    if (mTarget)
    {
        return mTarget;
    }
    const RCPtr<LControl> control = GetDefaultTargetControl();
    return control ? RCPtr<LNotificationReceiver>(control.Get()) : nullptr;
}

RCPtr<LMenuItemDescriptor> LPopupMenu::GetMenuItem(int index) const
{
    if (!mMenu || index < 0)
    {
        return nullptr;
    }
    return mMenu->GetItem(static_cast<unsigned int>(index));
}

RCPtr<LPopupMenu> LPopupMenu::GetParentPopup() const
{
    return RCPtr<LPopupMenu>(GetParent());
}

ORVRESULT LPopupMenu::FillHotKeyTexts()
{
    if (!mMenu)
    {
        return S_FALSE;
    }
    const RCPtr<IRootWindow> window = GetTreeRootWindow();
    if (mTarget && !window)
    {
        return E_FAIL;
    }
    if (!mTarget)
    {
        FillHotKeyTexts(mMenu, GetDefaultTargetControl(), window, true);
    }
    else
    {
        FillHotKeyTexts(mMenu, nullptr, window, mTargetIsRootQueue);
    }
    return S_OK;
}

void LPopupMenu::FillHotKeyTexts(const RCPtr<LMenuDescriptor>& menu, const RCPtr<LControl>& control,
                                 const RCPtr<IRootWindow>& window, bool windowKeys)
{
    auto* rootWindow = dynamic_cast<LRootWindow*>(window.Get());
    LFrameworkApp* application = GetFrameworkApp();
    for (unsigned int i = 0; i < menu->GetItemCount(); ++i)
    {
        const RCPtr<LMenuItemDescriptor> item = menu->GetItem(i);
        if (item->HasSubMenu())
        {
            FillHotKeyTexts(RCPtr<LMenuDescriptor>(item), control, window, windowKeys);
            continue;
        }
        if (!item->GetHotKeyText().IsEmpty() || item->GetNotificationName().IsEmpty())
        {
            continue;
        }
        const WString& nid = item->GetNotificationName();
        WString text = ControlKeyText(control, nid);
        if (text.IsEmpty() && windowKeys && rootWindow != nullptr)
        {
            text = HotKeyText(rootWindow->GetHotKeyManager(), nid);
        }
        if (text.IsEmpty() && application != nullptr)
        {
            text = HotKeyText(application->GetHotKeyManager(), nid);
        }
        item->SetHotKeyText(text);
    }
}

// --- Rows ---

ORVRESULT LPopupMenu::RebuildRows()
{
    if (!mMenu)
    {
        return S_OK;
    }
    const RCPtr<LPopupMenu> self(this);
    const int count = static_cast<int>(mMenu->GetItemCount());
    SetItemCount(count);
    RCPtr<LListBoxItem> row = GetItemControlAt(GetRowCount() - 1);
    if (!row)
    {
        return S_FALSE;
    }
    if (mHotKeyColumn < 0)
    {
        const RCPtr<LControl> checkBox = row->FindChildControl(WString(kCheckBoxName));
        const RCPtr<LControl> hotKey = row->FindChildControl(WString(kHotKeyLabelName));
        const double checkRight = checkBox ? checkBox->GetRect().x + checkBox->GetRect().width : 0;
        const double hotKeyRight =
            hotKey ? hotKey->GetRect().x + hotKey->GetRect().width : row->GetRect().width;
        mHotKeyColumn = static_cast<int>(std::trunc(checkRight)) + kHotKeyGap +
                        static_cast<int>(std::trunc(row->GetRect().width - hotKeyRight));
    }
    const bool wasSeparator = row->IsSeparator();
    row->SetSeparator(true);
    row->RecalcLayout();
    mSeparatorHeight = static_cast<int>(std::lround(row->GetRect().height));
    row->SetSeparator(wasSeparator);
    row->RecalcLayout();

    mSeparatorCount = 0;
    mWidestRow = 0;
    for (int i = 0; i < count; ++i)
    {
        const RCPtr<LMenuItemDescriptor> item = GetMenuItem(i);
        SetItemFields(i, ConstRCPtr<LTaggableObject>(item), 0.0, item->HasSubMenu(),
                      item->IsSeparator());
        SetItemCheck(i, item->IsChecked());
        if (item->IsSeparator())
        {
            ++mSeparatorCount;
        }
        const int width = GetItemWidth(i);
        if (width > mWidestRow)
        {
            mWidestRow = width;
        }
    }
    SetWidestItemWidth(mWidestRow);
    SetContentWidth(static_cast<int>(std::lround(GetScrollbarSizes().width)) + mWidestRow);
    SetContentHeight(GetContentHeight());
    EnsureItemControls();
    UpdateItemControlsFrom(0);
    return S_OK;
}

ORVRESULT LPopupMenu::UpdateItemControl(int index, int* row)
{
    const ORVRESULT result = LCheckedListBox::UpdateItemControl(index, row);
    if (FAILED(result) || row == nullptr || *row < 0)
    {
        return result;
    }
    const RCPtr<LCheckedListBoxItem> control = GetItemControl(*row);
    if (!control)
    {
        return result;
    }
    const RCPtr<LControl> hotKey = control->FindChildControl(WString(kHotKeyLabelName));
    const RCPtr<LMenuItemDescriptor> item = GetMenuItem(index);
    if (!item)
    {
        if (hotKey)
        {
            hotKey->SetText(WString());
        }
        control->SetEnabled(false);
        control->SetCheckBoxLook(kCheckLookOff);
        return result;
    }
    if (hotKey)
    {
        hotKey->SetText(item->GetHotKeyText());
    }
    control->SetSeparator(item->IsSeparator());
    control->SetEnabled(item->IsEnabled());
    int look = kCheckLookOff;
    if (item->IsChecked())
    {
        look = (control->GetConditions() & kHoverOrForced) != 0 ? kCheckLookOnHover : kCheckLookOn;
    }
    control->SetCheckBoxLook(look);
    // The key text is drawn in the ink of the row's label.
    const int rowLook = control->GetActiveLookIndex();
    const RCPtr<LLook> active =
        rowLook >= 0 ? control->GetLook(static_cast<unsigned int>(rowLook)) : nullptr;
    if (hotKey && active && active->GetForegroundPart())
    {
        hotKey->SetLookMember(active->GetForegroundPart(), hotKey->GetActiveLookIndex());
    }
    return result;
}

int LPopupMenu::GetItemWidth(int index) const
{
    const RCPtr<LMenuItemDescriptor> item = GetMenuItem(index);
    if (!item)
    {
        return 0;
    }
    // Measured in the font of the row label, through the application's measuring renderer.
    const RCPtr<LListBoxItem> row = GetItemControlAt(0);
    const ConstRCPtr<LFont> font = row ? row->GetFont() : GetFont();
    ConstRCPtr<LRenderer> renderer;
    GetMeasurementRenderer(renderer);
    float label = 0;
    float hotKey = 0;
    if (renderer && font)
    {
        auto* measuring = const_cast<LRenderer*>(renderer.Get());
        if (!item->GetLabel().IsEmpty())
        {
            label = measuring->MeasureString(item->GetLabel(), font).width;
        }
        if (!item->GetHotKeyText().IsEmpty())
        {
            hotKey = measuring->MeasureString(item->GetHotKeyText(), font).width;
        }
    }
    return (mHotKeyColumn < 0 ? 0 : mHotKeyColumn) + static_cast<int>(std::lround(label + hotKey));
}

int LPopupMenu::GetContentHeight() const
{
    const int count = GetItemCount();
    return (count - mSeparatorCount) * GetItemHeight() + mSeparatorCount * mSeparatorHeight;
}

bool LPopupMenu::CanSelectItem(int index) const
{
    const RCPtr<LMenuItemDescriptor> item = GetMenuItem(index);
    return item && item->IsEnabled() && !item->IsSeparator();
}

// --- Item states ---

ORVRESULT LPopupMenu::UpdateItemState(int index, const MenuItemInfo& info)
{
    if (index < 0 || index >= GetItemCount())
    {
        return E_INVALIDARG;
    }
    const RCPtr<LMenuItemDescriptor> item = GetMenuItem(index);
    if (!item)
    {
        return E_INVALIDARG;
    }
    if (!item->IsSeparator())
    {
        item->SetEnabled(info.enabled);
        if (!item->HasSubMenu())
        {
            item->SetChecked(info.checked);
            SetItemCheck(index, info.checked);
        }
    }
    if (item->GetLabel() != info.label)
    {
        item->SetLabel(info.label);
        RebuildRows();
    }
    int row = -1;
    UpdateItemControl(index, &row);
    return S_OK;
}

void LPopupMenu::RefreshItemStates()
{
    if (!mItemUpdater)
    {
        const RCPtr<LControl> control = GetDefaultTargetControl();
        if (control && !mTarget)
        {
            mItemUpdater = control->GetMenuItemUpdater();
        }
    }
    if (!mItemUpdater || !mMenu)
    {
        return;
    }
    const RCPtr<LControl> control = mItemUpdater->GetTarget();
    for (int i = static_cast<int>(mMenu->GetItemCount()) - 1; i >= 0; --i)
    {
        const RCPtr<LMenuItemDescriptor> item = GetMenuItem(i);
        if (!item || item->HasSubMenu() || item->IsSeparator())
        {
            continue;
        }
        MenuItemInfo info;
        mMenu->GetItemInfo(static_cast<unsigned int>(i), info);
        if (control)
        {
            control->UpdateMenuItem(mMenu, i, item->GetNotificationName(), info);
        }
        UpdateItemState(i, info);
    }
}

// --- Sub-menus ---

void LPopupMenu::StartTimer()
{
    mTimerStart = Now();
    if (!mTimerRunning)
    {
        mTimerRunning = true;
        SubscribeIdle();
    }
}

void LPopupMenu::StopTimer()
{
    if (mTimerRunning)
    {
        mTimerRunning = false;
        UnsubscribeIdle();
    }
}

void LPopupMenu::OnSelectionChanging()
{
    LCheckedListBox::OnSelectionChanging();
    const RCPtr<LPopupMenu> self(this);
    const int selected = GetSelectedIndex();
    const RCPtr<LPopupMenu> parent = GetParentPopup();
    if (parent && selected >= 0)
    {
        // The pointer is in this sub-menu: its parent keeps the row that opened it.
        parent->StopTimer();
        for (int i = parent->GetItemCount() - 1; i >= 0; --i)
        {
            if (parent->mSubMenuItem && parent->GetMenuItem(i) == parent->mSubMenuItem)
            {
                if (parent->GetSelectedIndex() != i)
                {
                    parent->SelectItemRange(i, -1, true);
                }
                break;
            }
        }
        parent->StopTimer();
    }
    const RCPtr<LMenuItemDescriptor> item = GetMenuItem(selected);
    if (!item)
    {
        return;
    }
    if (!item->HasSubMenu() && mSubMenu)
    {
        StartTimer();
        return;
    }
    if (mSubMenuItem && item == mSubMenuItem)
    {
        StopTimer();
        return;
    }
    // Only a selection the mouse made waits to open a sub-menu.
    const RCPtr<IRootWindow> window = GetTreeRootWindow();
    const int rowIndex = GetItemRow(selected);
    const RCPtr<LListBoxItem> row = GetItemControlAt(rowIndex);
    if (window && row)
    {
        const PointT<LONG> pointer = window->GetCursorPos();
        const PointT<double> at = row->GetRectInRoot();
        const RectT<double> rect = row->GetRect();
        if (pointer.x >= at.x && pointer.x < at.x + rect.width && pointer.y >= at.y &&
            pointer.y < at.y + rect.height)
        {
            StartTimer();
        }
    }
}

void LPopupMenu::OnIdleTick()
{
    LCheckedListBox::OnIdleTick();
    if (!mTimerRunning || Now() - mTimerStart <= kSubMenuDelayMs)
    {
        return;
    }
    const RCPtr<LPopupMenu> self(this);
    CloseSubMenus();
    const int selected = GetSelectedIndex();
    const RCPtr<LMenuItemDescriptor> item = GetMenuItem(selected);
    if (item && item->HasSubMenu())
    {
        OpenSubMenu(selected);
    }
}

ORVRESULT LPopupMenu::OpenSubMenu(int index)
{
    const RCPtr<LMenuItemDescriptor> item = GetMenuItem(index);
    if (!item || !item->HasSubMenu())
    {
        return E_INVALIDARG;
    }
    const RCPtr<LPopupMenu> self(this);
    CloseSubMenus();
    const RCPtr<LControlFactory>& factory = GetControlFactory();
    if (!factory || !GetDescriptor() || !GetLayout())
    {
        return E_FAIL;
    }
    RCPtr<LLayoutDescriptor> layout;
    GetLayout()->Clone(layout);
    RCPtr<LControlDescriptor> descriptor;
    LControlFactory::MakeControlDescriptor(descriptor, GetDescriptor(), layout,
                                           WString(kSubMenuName));
    RCPtr<LControl> control;
    if (FAILED(factory->CreateControl(control, descriptor, RCPtr<LControl>(this))) || !control)
    {
        return E_FAIL;
    }
    const RCPtr<LPopupMenu> subMenu(control);
    if (!subMenu)
    {
        control->Detach();
        return E_FAIL;
    }
    mSubMenu = subMenu;
    mSubMenuItem = item;
    subMenu->mTarget = mTarget;
    subMenu->mTargetIsRootQueue = mTargetIsRootQueue;
    subMenu->mClosesItself = mClosesItself;
    subMenu->mItemUpdater = mItemUpdater;
    subMenu->LoadFromParentItem(index);

    // Beside the row, inside the root window.
    // The row as it shows: inside the popup's client area.
    RectT<double> rowRect = GetItemRect(index);
    const RectT<double>& client = GetClientRect();
    if (rowRect.x + rowRect.width > client.x + client.width)
    {
        rowRect.width = client.x + client.width - rowRect.x;
    }
    const PointT<double> at = GetRectInRoot();
    const LONG px = std::lround(at.x);
    const LONG py = std::lround(at.y);
    const LONG sw = std::lround(subMenu->GetRect().width);
    const LONG sh = std::lround(subMenu->GetRect().height);
    const RCPtr<IRootWindow> window = GetTreeRootWindow();
    const SizeT<LONG> root = window ? window->GetClientSize() : SizeT<LONG>(0, 0);
    LONG x = static_cast<LONG>(rowRect.x + rowRect.width);
    if (px + x + sw > root.width)
    {
        x = -sw;
        if (px + x < 0)
        {
            x = static_cast<LONG>(rowRect.x + rowRect.width);
        }
    }
    LONG y = static_cast<LONG>(rowRect.y);
    if (py + y + sh > root.height)
    {
        y = root.height - py - sh;
    }
    if (py + y < 0)
    {
        y = 0;
    }
    SetFixedPosition(subMenu, LLayoutDescriptor::kAxisX, x);
    SetFixedPosition(subMenu, LLayoutDescriptor::kAxisY, y);
    subMenu->SetVisible(true);
    subMenu->SetFocus(true);
    return S_OK;
}

ORVRESULT LPopupMenu::LoadFromParentItem(int index)
{
    const RCPtr<LPopupMenu> parent = GetParentPopup();
    const RCPtr<LMenuItemDescriptor> item = parent ? parent->GetMenuItem(index) : nullptr;
    if (!item || !item->HasSubMenu())
    {
        return E_INVALIDARG;
    }
    CloseSubMenus();
    mMenu = RCPtr<LMenuDescriptor>(item);
    FillHotKeyTexts();
    return RebuildRows();
}

void LPopupMenu::SelectFirstRowOfSubMenu()
{
    if (mSubMenu && mSubMenu->GetItemCount() > 0)
    {
        for (int i = 0; i < mSubMenu->GetItemCount(); ++i)
        {
            if (mSubMenu->CanSelectItem(i))
            {
                mSubMenu->SelectItemRange(i, -1, true);
                break;
            }
        }
    }
}

void LPopupMenu::CloseSubMenus()
{
    StopTimer();
    if (mSubMenu)
    {
        const RCPtr<LPopupMenu> subMenu = std::move(mSubMenu);
        subMenu->CloseSubMenus();
        subMenu->SetVisible(false);
        subMenu->Detach();
    }
    mSubMenuItem = nullptr;
}

void LPopupMenu::Close()
{
    const RCPtr<LPopupMenu> self(this);
    mClosing = true;
    const RCPtr<LPopupMenu> parent = GetParentPopup();
    if (parent)
    {
        parent->Close();
        return;
    }
    StopTimer();
    CloseSubMenus();
    Detach();
}

bool LPopupMenu::IsInMenuChain(const RCPtr<LPopupMenu>& popup) const
{
    if (!popup)
    {
        return false;
    }
    for (const LPopupMenu* down = this; down != nullptr; down = down->mSubMenu.Get())
    {
        if (down == popup.Get())
        {
            return true;
        }
    }
    for (RCPtr<LPopupMenu> up = GetParentPopup(); up; up = up->GetParentPopup())
    {
        if (up.Get() == popup.Get())
        {
            return true;
        }
    }
    return false;
}

// --- Choosing ---

void LPopupMenu::ActivateItem(int index)
{
    if (!CanSelectItem(index))
    {
        return;
    }
    const RCPtr<LPopupMenu> self(this);
    const RCPtr<LMenuItemDescriptor> item = GetMenuItem(index);
    if (GetSelectedIndex() != index)
    {
        SelectItemRange(index, -1, true);
    }
    if (!item->HasSubMenu())
    {
        ActivateItemAt(index);
    }
    else if (item != mSubMenuItem)
    {
        OpenSubMenu(index);
        SelectFirstRowOfSubMenu();
    }
}

void LPopupMenu::ActivateItemAt(int index)
{
    const RCPtr<LPopupMenu> self(this);
    const RCPtr<LMenuItemDescriptor> item = GetMenuItem(index);
    // A menu of a menu bar gives the keys back to the control that had them.
    for (RCPtr<LControl> up = GetParent(); up; up = up->GetParent())
    {
        if (auto* bar = dynamic_cast<LMainMenu*>(up.Get()))
        {
            const RCPtr<LControl> previous = bar->GetRememberedKeyTarget();
            if (previous && previous->GetTreeRootWindow())
            {
                previous->SetFocus(true);
            }
            break;
        }
    }
    if (mClosesItself && !mClosing)
    {
        SetVisible(false);
    }
    const RCPtr<LNotificationReceiver> target = GetNotificationTarget();
    if (target)
    {
        SendNotification(LNotification::Create(ItemActivatedName(), nullptr));
        // The owner of a chain (a combo menu) hears the choice from the chain's first popup.
        RCPtr<LPopupMenu> first = GetParentPopup();
        while (first && first->GetParentPopup())
        {
            first = first->GetParentPopup();
        }
        if (first)
        {
            first->SendNotification(LNotification::Create(ItemActivatedName(), nullptr));
        }
        if (item && !item->GetNotificationName().IsEmpty())
        {
            const wchar_t* name = InternNotificationName(item->GetNotificationName().GetBuffer());
            target->DeliverNamed(name, RCPtr<LRefCountedObject>(LMenuActivationParam::Create(
                                           RCPtr<LRefCountedObject>(mMenu.Get()),
                                           index < GetItemCount() ? index : -1)));
        }
    }
    if (mClosesItself && !mClosing)
    {
        Close();
    }
}

// --- Keys, focus, mouse ---

ORVRESULT LPopupMenu::HandleUnusedKey(const RCPtr<LKeyParam>& param)
{
    if (!param || param->keyUp)
    {
        return LCheckedListBox::HandleUnusedKey(param);
    }
    const RCPtr<LPopupMenu> self(this);
    const KeyCode& key = param->key;
    if (key.IsVirtualKey(VK_LEFT))
    {
        const RCPtr<LPopupMenu> parent = GetParentPopup();
        if (parent)
        {
            parent->CloseSubMenus();
            parent->SetFocus(true);
        }
        return S_OK;
    }
    if (key.IsVirtualKey(VK_RIGHT))
    {
        const int selected = GetSelectedIndex();
        const RCPtr<LMenuItemDescriptor> item = GetMenuItem(selected);
        if (item && item->HasSubMenu())
        {
            OpenSubMenu(selected);
            SelectFirstRowOfSubMenu();
        }
        return S_OK;
    }
    if (key.IsVirtualKey(VK_ESCAPE))
    {
        if (mClosesItself)
        {
            if (!mClosing)
            {
                Close();
            }
            return S_OK;
        }
        // A chain its owner closes: Escape takes back one level.
        const RCPtr<LPopupMenu> parent = GetParentPopup();
        if (parent)
        {
            parent->CloseSubMenus();
            parent->SetFocus(true);
        }
        else
        {
            SetVisible(false);
            const RCPtr<LControl> owner = GetParent();
            if (owner)
            {
                owner->SetFocus(true);
            }
        }
        return S_OK;
    }
    return LCheckedListBox::HandleUnusedKey(param);
}

void LPopupMenu::OnConditionsChange(const RCPtr<LConditionsParam>& param)
{
    LCheckedListBox::OnConditionsChange(param);
    if (!param)
    {
        return;
    }
    const RCPtr<LPopupMenu> self(this);
    const DWORD changed = param->oldConditions ^ param->newConditions;
    const bool first = !GetParentPopup();
    if ((changed & kFocusBits) != 0 && first && (param->newConditions & kFocusBits) == 0 &&
        IsVisible(false) && mClosesItself && !mClosing)
    {
        Close();
        return;
    }
    if ((changed & kVisible) != 0)
    {
        if ((param->newConditions & kVisible) != 0)
        {
            RefreshItemStates();
        }
        else if (first)
        {
            CloseSubMenus();
        }
    }
}

void LPopupMenu::OnMouseMoveHook(const RCPtr<LPointWithModifiersParam>& param)
{
    LCheckedListBox::OnMouseMoveHook(param);
    if (!param || (GetConditions() & kLeftDrag) == 0)
    {
        return;
    }
    const RectT<double> rect = GetRect();
    if (param->point.x >= 0 && param->point.x < rect.width && param->point.y >= 0 &&
        param->point.y < rect.height)
    {
        return;
    }
    const RCPtr<IRootWindow> window = GetTreeRootWindow();
    if (!window)
    {
        return;
    }
    const PointT<LONG> pointer = window->GetCursorPos();
    PointT<LONG> local;
    RCPtr<LControl> under = window->GetControlAt(pointer, local, false);
    while (under && dynamic_cast<LPopupMenu*>(under.Get()) == nullptr)
    {
        under = under->GetParent();
    }
    const RCPtr<LPopupMenu> popup(under);
    if (!popup || popup.Get() == this || !IsInMenuChain(popup))
    {
        return;
    }
    // The press moves to the popup of the chain under the pointer.
    const RCPtr<LPopupMenu> self(this);
    const PointT<double> at = popup->GetRectInRoot();
    popup->OnMouseButtonDown(kLeftButton, pointer.x - std::lround(at.x),
                             pointer.y - std::lround(at.y));
}

ORVRESULT LPopupMenu::OnRowHoverChange(const RCPtr<LNotificationDistributor>& source,
                                       const RCPtr<LNotification>& notification)
{
    const RCPtr<LConditionsParam> param(notification ? notification->param : nullptr);
    LFrameworkApp* application = GetFrameworkApp();
    if (!param || application == nullptr)
    {
        return 0;
    }
    const DWORD changed = param->oldConditions ^ param->newConditions;
    if ((changed & kHoverOrForced) == 0)
    {
        return 0;
    }
    if ((param->newConditions & kHoverOrForced) != 0)
    {
        const int index = GetItemIndexOfControl(dynamic_cast<LControl*>(source.Get()));
        const RCPtr<LMenuItemDescriptor> item = GetMenuItem(index);
        if (item && !item->GetStatusText().IsEmpty())
        {
            application->SetStatusText(item->GetStatusText(), true);
        }
    }
    else
    {
        application->RestoreStatusText(true);
    }
    return 0;
}

// --- Placement ---

void LPopupMenu::PlaceInRoot()
{
    const RCPtr<LPopupMenu> self(this);
    const RCPtr<IRootWindow> window = GetTreeRootWindow();
    if (window && GetLayout())
    {
        const PointT<LONG> pointer = window->GetCursorPos();
        const SizeT<LONG> root = window->GetClientSize();
        for (int axis = LLayoutDescriptor::kAxisX; axis <= LLayoutDescriptor::kAxisY; ++axis)
        {
            const bool x = axis == LLayoutDescriptor::kAxisX;
            const RectT<double> rect = GetRect();
            const LONG size = std::lround(x ? rect.width : rect.height);
            const LONG limit = x ? root.width : root.height;
            LONG position = x ? pointer.x : pointer.y;
            if (position + size > limit)
            {
                position = limit - size;
            }
            if (position < 0)
            {
                position = 0;
            }
            // The layout's offset moves the popup by as much as it changes.
            const PointT<double> placed = GetRectInRoot();
            AxisPlacement placement;
            GetLayout()->GetAxisPlacement(axis, placement);
            placement.position.abs +=
                static_cast<double>(position) - std::round(x ? placed.x : placed.y);
            SetAxisPlacement(axis, placement);
        }
    }
    SetVisible(true);
    if ((GetConditions() & kHasFocus) == 0)
    {
        SetFocus(true);
    }
}
} // namespace Orv
