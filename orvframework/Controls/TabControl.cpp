#include "Controls/TabControl.h"

#include "ControlBase/ControlNotificationNames.h"
#include "Controls/NotificationChain.h"
#include "notification/Notification.h"
#include "notification/NotificationName.h"

namespace Orv
{
namespace
{
const wchar_t* TabButtonClickedName()
{
    static const wchar_t* const name = InternNotificationName(L"NID_TAB_BUTTON_CLICKED");
    return name;
}

const wchar_t* TabBecomingUnselectedName()
{
    static const wchar_t* const name = InternNotificationName(L"NID_TAB_BECOMING_UNSELECTED");
    return name;
}

const wchar_t* TabSelectedName()
{
    static const wchar_t* const name = InternNotificationName(L"NID_TAB_SELECTED");
    return name;
}

// The child of holder at index in insertion order; null without a holder or such a child.
RCPtr<LControl> ChildAt(const RCPtr<LControl>& holder, int index)
{
    if (!holder || index < 0 ||
        static_cast<unsigned int>(index) >= holder->GetChildren().GetCount())
    {
        return nullptr;
    }
    return holder->GetChildren().GetAt(static_cast<unsigned int>(index), LControl::kInsertionOrder);
}
} // namespace

LTabControl::LTabControl(const RCPtr<LControl>& parent, const RCPtr<LControlDescriptor>& descriptor)
    : LPanel(parent, descriptor)
{
}

LTabControl::~LTabControl()
{
    mTabHandler = nullptr;
    mButtonHolder = nullptr;
    mPageHolder = nullptr;
}

ORVRESULT LTabControl::ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                           const RCPtr<LNotification>& notification)
{
    return ReceiveThroughChain<LPanel>(*this, mTabHandler, source, notification);
}

ORVRESULT LTabControl::Unregister(const RCPtr<LNotificationDistributor>& source,
                                  const wchar_t* name)
{
    return UnregisterThroughChain<LPanel>(*this, mTabHandler, source, name);
}

ORVRESULT LTabControl::Initialize()
{
    if (FAILED(LPanel::Initialize()))
    {
        return E_FAIL;
    }
    const RCPtr<LTabControl> self(this);
    mButtonHolder = FindChildControl(WString(L"buttonHolder"));
    mPageHolder = FindChildControl(WString(L"pageHolder"));
    const ORVRESULT result = SelectTabByIndex(0);
    if (FAILED(result))
    {
        return result;
    }
    mTabHandler = new LNotificationHandler<LTabControl>(this);
    const wchar_t* leftClick = ControlNotificationNames::Get().leftClick;
    const ChildControlList& buttons = mButtonHolder->GetChildren();
    for (unsigned int i = 0; i < buttons.GetCount(); ++i)
    {
        const RCPtr<LControl>& button = buttons.GetAt(i, kInsertionOrder);
        mTabHandler->SubscribeHandler(&LTabControl::OnTabButtonClicked,
                                      RCPtr<LNotificationDistributor>(button.Get()), leftClick);
    }
    return result;
}

ORVRESULT LTabControl::ApplyDescriptor(const RCPtr<LControlDescriptor>& descriptor)
{
    const ORVRESULT result = LPanel::ApplyDescriptor(descriptor);
    if (IsCreated())
    {
        // A new skin keeps the selected tab.
        const WString selected = mSelectedName;
        SelectTab(selected);
    }
    return result;
}

void LTabControl::OnConditionsChange(const RCPtr<LConditionsParam>& param)
{
    if (param && (param->oldConditions & kVisible) == 0 && (param->newConditions & kVisible) != 0 &&
        !GetParent() && GetRootWindow())
    {
        if (const RCPtr<LControl> page = GetSelectedPage())
        {
            page->SetFocus(true);
        }
    }
    LPanel::OnConditionsChange(param);
}

unsigned int LTabControl::GetTabCount() const
{
    return mButtonHolder ? mButtonHolder->GetChildren().GetCount() : 0;
}

int LTabControl::FindTabIndex(const WString& name) const
{
    if (!mButtonHolder)
    {
        return -1;
    }
    const ChildControlList& buttons = mButtonHolder->GetChildren();
    for (unsigned int i = buttons.GetCount(); i-- > 0;)
    {
        if (buttons.GetAt(i, kInsertionOrder)->GetName() == name)
        {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int LTabControl::GetSelectedTabIndex() const
{
    return FindTabIndex(mSelectedName);
}

RCPtr<LControl> LTabControl::GetSelectedPage() const
{
    return ChildAt(mPageHolder, GetSelectedTabIndex());
}

const WString& LTabControl::GetSelectedTabName() const
{
    return mSelectedName;
}

RCPtr<LControl> LTabControl::GetPageByName(const WString& name) const
{
    return ChildAt(mPageHolder, FindTabIndex(name));
}

RCPtr<LControl> LTabControl::GetPage(int index) const
{
    if (index < 0 || static_cast<unsigned int>(index) >= GetTabCount())
    {
        return nullptr;
    }
    return ChildAt(mPageHolder, index);
}

RCPtr<LControl> LTabControl::GetTabButtonByName(const WString& name) const
{
    return ChildAt(mButtonHolder, FindTabIndex(name));
}

RCPtr<LControl> LTabControl::GetTabButton(int index) const
{
    return ChildAt(mButtonHolder, index);
}

ORVRESULT LTabControl::SelectTab(const WString& name)
{
    if (!mButtonHolder || !mPageHolder)
    {
        return E_FAIL;
    }
    const RCPtr<LTabControl> self(this);
    // The name may be the stored one, which this call replaces.
    const WString newName = name;
    const int current = GetSelectedTabIndex();
    const int target = FindTabIndex(newName);
    if (current >= 0 && current != target && !mRedirecting)
    {
        const RCPtr<LTabBecomingUnselectedParams> question =
            LTabBecomingUnselectedParams::Create(current, target);
        Send(TabBecomingUnselectedName(), RCPtr<LRefCountedObject>(question.Get()));
        if (question->newIndex != target)
        {
            // Kept or redirected: the tab it leads to is selected without asking again.
            mRedirecting = true;
            const ORVRESULT result = SelectTabByIndex(question->newIndex);
            mRedirecting = false;
            return result;
        }
    }
    for (int i = static_cast<int>(GetTabCount()) - 1; i >= 0; --i)
    {
        if (i == target)
        {
            continue;
        }
        if (const RCPtr<LControl> page = GetPage(i))
        {
            page->SetVisible(false);
        }
    }
    mSelectedName = newName;
    OnTabSelected(target);
    if (const RCPtr<LControl> page = GetPage(target))
    {
        page->SetVisible(true);
    }
    const RCPtr<LControl> selected = GetSelectedPage();
    Send(TabSelectedName(), RCPtr<LRefCountedObject>(selected.Get()));
    return S_OK;
}

ORVRESULT LTabControl::SelectTabByIndex(int index)
{
    if (!mButtonHolder)
    {
        return E_FAIL;
    }
    const RCPtr<LControl> button = ChildAt(mButtonHolder, index);
    if (!button)
    {
        return E_FAIL;
    }
    const WString name = button->GetName();
    return SelectTab(name);
}

void LTabControl::OnTabSelected(int) {}

ORVRESULT LTabControl::OnTabButtonClicked(const RCPtr<LNotificationDistributor>& source,
                                          const RCPtr<LNotification>&)
{
    const RCPtr<LControl> button(dynamic_cast<LControl*>(source.Get()));
    if (!button)
    {
        return 1;
    }
    const RCPtr<LTabControl> self(this);
    const WString name = button->GetName();
    const int clicked = FindTabIndex(name);
    if (clicked >= 0)
    {
        Send(TabButtonClickedName(), RCPtr<LRefCountedObject>(button.Get()));
    }
    SelectTab(name);
    const int selected = GetSelectedTabIndex();
    if (selected >= 0)
    {
        if (selected != clicked)
        {
            // The listeners kept or redirected the selection: its button shows pressed again.
            if (const RCPtr<LControl> selectedButton = GetTabButton(selected))
            {
                selectedButton->SetValue(1.0);
            }
        }
        if (const RCPtr<LControl> page = GetPage(selected))
        {
            page->SetFocus(true);
        }
    }
    return 1;
}

void LTabControl::Send(const wchar_t* name, const RCPtr<LRefCountedObject>& param)
{
    SendNotification(LNotification::Create(name, param));
}
} // namespace Orv
