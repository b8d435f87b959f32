// The control's context menu: its entries, read from the create parameters or the string table,
// the popup menu that shows it on a right click, and the items that fire a hot key's
// notification as the key would.
#include "ControlBase/Control.h"
#include "ControlBase/ControlFactory.h"
#include "ControlBase/MenuItemDescriptor.h"
#include "ControlBase/PopupMenuInterface.h"
#include "notification/NotificationCenterManager.h"

#include <cwchar>

namespace Orv
{
namespace
{
const wchar_t kContextMenuName[] = L"contextMenu";
const wchar_t kContextMenuPrefix[] = L"CONTEXT_MENU";

bool BeginsWith(const WString& text, const WString& prefix)
{
    return text.GetLength() >= prefix.GetLength() &&
           std::wcsncmp(text.GetBuffer(), prefix.GetBuffer(), prefix.GetLength()) == 0;
}

// The entries of table whose names begin with prefix, in name order, with the prefix cut.
void CollectWithPrefix(const RCPtr<LStringTable>& table, const WString& prefix,
                       LMenuDescriptor::StringPairs& pairs)
{
    if (!table)
    {
        return;
    }
    const LStringTable::Entries& entries = table->GetEntries();
    for (auto entry = entries.lower_bound(prefix);
         entry != entries.end() && BeginsWith(entry->first, prefix); ++entry)
    {
        pairs.emplace_back(entry->first.Mid(static_cast<int>(prefix.GetLength())), entry->second);
    }
}
} // namespace

LMenuDescriptor::StringPairs LControl::GetCreateParamsWithPrefix(const WString& prefix) const
{
    LMenuDescriptor::StringPairs pairs;
    CollectWithPrefix(mDescriptor ? mDescriptor->GetCreateParams() : nullptr, prefix, pairs);
    if (pairs.empty())
    {
        // A window's menus may live in its string table instead.
        CollectWithPrefix(mStringTable, prefix, pairs);
    }
    return pairs;
}

ORVRESULT LControl::ReadContextMenuParams(int index, RCPtr<LMenuDescriptor>& menu) const
{
    menu = nullptr;
    WString prefix(kContextMenuPrefix);
    if (index >= 0)
    {
        prefix.Append(WString::FromInt(index));
    }
    prefix.Append(L'.');
    const LMenuDescriptor::StringPairs pairs = GetCreateParamsWithPrefix(prefix);
    if (pairs.empty())
    {
        return S_FALSE;
    }
    menu = LMenuDescriptor::BuildFromStringPairs(pairs);
    return menu ? S_OK : E_OUTOFMEMORY;
}

ORVRESULT LControl::SetContextMenu(const RCPtr<LMenuDescriptor>& menu)
{
    if (mContextMenu)
    {
        SubscribeMenuCommands(mContextMenu, false);
    }
    mContextMenu = menu;
    if (mContextMenu)
    {
        SubscribeMenuCommands(mContextMenu, true);
    }
    return S_OK;
}

ORVRESULT LControl::SubscribeMenuCommands(const RCPtr<LMenuDescriptor>& menu, bool subscribe)
{
    if (!menu)
    {
        return E_INVALIDARG;
    }
    const RCPtr<IRootWindow> window = GetTreeRootWindow();
    for (unsigned int i = 0; i < menu->GetItemCount(); ++i)
    {
        const RCPtr<LMenuItemDescriptor> item = menu->GetItem(i);
        if (item->HasSubMenu())
        {
            SubscribeMenuCommands(RCPtr<LMenuDescriptor>(item), subscribe);
            continue;
        }
        const WString& name = item->GetNotificationName();
        if (name.IsEmpty() || !mHandler || !window || !window->IsHotKeyNotification(name))
        {
            continue;
        }
        if (subscribe)
        {
            mHandler->AddHandler(&LControl::OnMenuCommand, name.GetBuffer());
        }
        else
        {
            mHandler->RemoveHandler(nullptr, name.GetBuffer());
        }
    }
    return S_OK;
}

ORVRESULT LControl::OnMenuCommand(const RCPtr<LNotificationDistributor>&,
                                  const RCPtr<LNotification>& notification)
{
    if (!notification || notification->id == nullptr)
    {
        return 1;
    }
    const RCPtr<IRootWindow> window = GetTreeRootWindow();
    RCPtr<LNotificationReceiver> receiver =
        window ? window->GetHotKeyReceiver(WString(notification->id)) : nullptr;
    if (!receiver)
    {
        // The application's hot keys deliver into the "application" center's queue.
        const RCPtr<LNotificationCenter> center = GetApplicationNotificationCenter();
        receiver = center ? center->GetPostingReceiver() : nullptr;
    }
    if (receiver)
    {
        receiver->DeliverNamed(notification->id, notification->param);
    }
    return 1;
}

ORVRESULT LControl::ShowContextMenu(const RCPtr<LMenuDescriptor>& menu)
{
    if (!menu)
    {
        return E_INVALIDARG;
    }
    const RCPtr<LControl> self(this);
    // A context menu still open is used again.
    RCPtr<LControl> popup = FindChildControl(WString(kContextMenuName));
    const bool made = !popup;
    if (made)
    {
        const RCPtr<LControlFactory>& factory = GetControlFactory();
        if (!factory)
        {
            return E_FAIL;
        }
        const RCPtr<LControlDescriptor>& descriptor =
            factory->FindControlDescriptor(WString(kContextMenuName));
        if (!descriptor || FAILED(factory->CreateControl(popup, descriptor, self)) || !popup)
        {
            return E_FAIL;
        }
    }
    auto* popupMenu = dynamic_cast<IPopupMenu*>(popup.Get());
    if (popupMenu == nullptr)
    {
        if (made)
        {
            popup->Detach();
        }
        return E_FAIL;
    }
    popup->SetVisible(false);
    popupMenu->ShowMenu(ConstRCPtr<LMenuDescriptor>(menu));
    OnContextMenuOpening(popup);
    popupMenu->PlaceInRoot();
    return S_OK;
}

void LControl::OnContextMenuOpening(const RCPtr<LControl>&) {}
} // namespace Orv
