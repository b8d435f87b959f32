// Keys: the focused control's key, the key bindings of controls and their siblings, and the
// Tab walk through the tab order.
#include "ControlBase/Control.h"
#include "ControlBase/ControlNotificationNames.h"
#include "ControlBase/KeyBindingReader.h"
#include "notification/Notification.h"
#include "notification/NotificationName.h"

#include <algorithm>

namespace Orv
{
namespace
{
constexpr int kTabKey = 0x09;

LControl* AsControl(LRefCountedObject* object)
{
    return dynamic_cast<LControl*>(object);
}

// The last control the key visited, or null.
RCPtr<LControl> LastVisited(const LKeyParam& param)
{
    const unsigned int count = param.visitedControls.GetCount();
    if (count == 0)
    {
        return nullptr;
    }
    return RCPtr<LControl>(
        AsControl(param.visitedControls.GetConstElementPointer(count - 1).Get()));
}

void Visit(LKeyParam& param, LControl* control)
{
    param.visitedControls.InsertItem(param.visitedControls.GetCount(),
                                     RCPtr<LRefCountedObject>(control));
}
} // namespace

ORVRESULT LControl::AddKeyBinding(const KeyCode& key, const WString& name)
{
    // A negative code is no key, and a named key without a key (an unknown name) is none
    // either: neither is bound.
    if (name.IsEmpty() || !IsBindableKey(key) || !GetKeyBindingNotification(key).IsEmpty())
    {
        return E_INVALIDARG;
    }
    mKeyBindings.push_back(KeyBinding{key, InternNotificationName(name.GetBuffer())});
    return S_OK;
}

ORVRESULT LControl::LoadKeyBindings(const RCPtr<LStringTable>& table, const WString& prefix)
{
    return ReadKeyBindings(table, prefix,
                           [this](const KeyCode& key, const WString& name)
                           { AddKeyBinding(key, name); });
}

WString LControl::GetKeyBindingNotification(const KeyCode& key) const
{
    for (const KeyBinding& binding : mKeyBindings)
    {
        if (binding.key.Matches(key))
        {
            return WString(binding.name);
        }
    }
    return WString();
}

bool LControl::IsKeyBound(const KeyCode& key) const
{
    return std::any_of(mKeyBindings.begin(), mKeyBindings.end(),
                       [&key](const KeyBinding& binding) { return binding.key.Matches(key); });
}

Array<KeyCode> LControl::GetKeyBindings() const
{
    Array<KeyCode> keys;
    for (const KeyBinding& binding : mKeyBindings)
    {
        keys.InsertItem(keys.GetCount(), binding.key);
    }
    return keys;
}

ORVRESULT LControl::OnKey(const RCPtr<LKeyParam>& param)
{
    if (!param || !AcceptsInput())
    {
        return S_FALSE;
    }
    const RCPtr<LControl> self(this);
    // The control's own key bindings first: the offer goes to the control's own handlers with
    // no sender.
    const RCPtr<LSiblingKeyParam> sibling =
        LSiblingKeyParam::Create(param->key, RCPtr<LRefCountedObject>(this));
    if (mHandler)
    {
        mHandler->Dispatch(nullptr,
                           LNotification::Create(ControlNotificationNames::Get().siblingKey,
                                                 RCPtr<LRefCountedObject>(sibling.Get())));
    }
    if (sibling->index == 0)
    {
        return S_OK;
    }
    if (HandleUnusedKey(param) != S_FALSE)
    {
        return S_OK;
    }
    const bool tab = param->key.IsVirtualKey(kTabKey);
    Visit(*param, this);
    const RCPtr<LControl> parent = mParent;
    if (!tab)
    {
        if (parent)
        {
            return parent->RouteSiblingKey(param);
        }
        const RCPtr<IRootWindow> window = GetTreeRootWindow();
        return window ? window->ProcessHotKey(param) : S_FALSE;
    }
    if (mWantsTab)
    {
        return S_FALSE;
    }
    if (parent)
    {
        return parent->MoveFocusByTab(param);
    }
    if (const RCPtr<IRootWindow> window = GetTreeRootWindow())
    {
        window->CycleFocus(param);
        return S_OK;
    }
    return S_FALSE;
}

ORVRESULT LControl::RouteSiblingKey(const RCPtr<LKeyParam>& param)
{
    const ORVRESULT offered = OnSiblingKey(param);
    if (offered != S_FALSE)
    {
        return offered;
    }
    // A key no sibling takes goes on to the window's and the application's hot keys; the
    // control model reaches both only through the window that hosts the tree.
    const RCPtr<IRootWindow> window = GetTreeRootWindow();
    return window ? window->ProcessHotKey(param) : S_FALSE;
}

ORVRESULT LControl::OnSiblingKey(const RCPtr<LKeyParam>& param)
{
    if (!param)
    {
        return E_INVALIDARG;
    }
    const wchar_t* name = ControlNotificationNames::Get().siblingKey;
    const LNotificationClientPool* pool = GetClientPool(name);
    if (pool == nullptr)
    {
        return S_FALSE;
    }
    std::vector<RCPtr<LNotificationReceiver>> receivers;
    for (LONG i = 0; i < pool->GetRegistrationCount(); ++i)
    {
        const RCPtr<LNotificationRegisteredClientInfo> info = pool->GetRegistration(i);
        if (info && !info->removed.load())
        {
            receivers.push_back(info->client);
        }
    }
    if (receivers.empty())
    {
        return S_FALSE;
    }
    const RCPtr<LControl> self(this);
    std::vector<RCPtr<LNotificationReceiver>> ordered;
    OrderSiblingKeyReceivers(param, receivers, ordered);
    const RCPtr<LControl> from = LastVisited(*param);
    const RCPtr<LSiblingKeyParam> sibling =
        LSiblingKeyParam::Create(param->key, RCPtr<LRefCountedObject>(from.Get()));
    const RCPtr<LNotification> notification =
        LNotification::Create(name, RCPtr<LRefCountedObject>(sibling.Get()));
    for (size_t i = ordered.size(); i-- > 0;)
    {
        if (dynamic_cast<LControl*>(ordered[i].Get()) == from.Get() && from)
        {
            continue;
        }
        ordered[i]->ReceiveNotification(RCPtr<LNotificationDistributor>(this), notification);
        if (sibling->index == 0)
        {
            return S_OK;
        }
    }
    return S_FALSE;
}

ORVRESULT LControl::OnSiblingKeyBinding(const RCPtr<LNotificationDistributor>&,
                                        const RCPtr<LNotification>& notification)
{
    LSiblingKeyParam* param =
        notification ? dynamic_cast<LSiblingKeyParam*>(notification->param.Get()) : nullptr;
    if (param == nullptr || !AcceptsInput())
    {
        return S_FALSE;
    }
    const WString name = GetKeyBindingNotification(param->key);
    if (name.IsEmpty())
    {
        return S_FALSE;
    }
    const RCPtr<LControl> self(this);
    param->index = 0;
    ReceiveNotification(nullptr, LNotification::Create(InternNotificationName(name.GetBuffer()),
                                                       RCPtr<LRefCountedObject>(param)));
    return S_FALSE;
}

void LControl::OrderSiblingKeyReceivers(const RCPtr<LKeyParam>&,
                                        const std::vector<RCPtr<LNotificationReceiver>>& receivers,
                                        std::vector<RCPtr<LNotificationReceiver>>& out)
{
    struct Record
    {
        RCPtr<LNotificationReceiver> receiver;
        int position;
    };
    std::vector<Record> records;
    for (const RCPtr<LNotificationReceiver>& receiver : receivers)
    {
        const LControl* control = dynamic_cast<const LControl*>(receiver.Get());
        records.push_back(Record{receiver, control ? GetChildIndex(control, kTabOrder) : -1});
    }
    std::stable_sort(records.begin(), records.end(),
                     [](const Record& a, const Record& b) { return a.position < b.position; });
    out.clear();
    for (const Record& record : records)
    {
        out.push_back(record.receiver);
    }
}

ORVRESULT LControl::MoveFocusByTab(const RCPtr<LKeyParam>& param)
{
    if (!param)
    {
        return E_INVALIDARG;
    }
    const RCPtr<LControl> self(this);
    const bool backward = (param->key.code & KeyCode::kShift) != 0;
    const RCPtr<IRootWindow> window = GetTreeRootWindow();
    const RCPtr<LControl> parent = mParent;
    auto escalate = [&](const RCPtr<LKeyParam>& key)
    {
        Visit(*key, this);
        if (parent)
        {
            return parent->MoveFocusByTab(key);
        }
        if (window)
        {
            window->CycleFocus(key);
        }
        return S_OK;
    };

    if ((param->key.code & KeyCode::kCtrl) != 0)
    {
        // Ctrl+Tab leaves this container as a Tab pressed on it in its parent.
        KeyCode tab;
        tab.code = backward ? KeyCode::kShift | kTabKey : kTabKey;
        return escalate(LKeyParam::Create(tab, param->keyUp));
    }

    RCPtr<LControl> start = LastVisited(*param);
    if (start && start->mParent.Get() != this)
    {
        start = nullptr;
    }
    // The walk goes on from each candidate that cannot take the focus, so it passes labels
    // and ends at the latest when it wraps past the end of the tab order.
    for (unsigned int steps = 0; start && steps <= mChildren.GetCount(); ++steps)
    {
        const RCPtr<LControl> candidate = FindNextFocusable(start, backward);
        if (!candidate || candidate.Get() == start.Get())
        {
            break;
        }
        if (!param->noWrap)
        {
            const int from = GetChildIndex(start.Get(), kTabOrder);
            const int to = GetChildIndex(candidate.Get(), kTabOrder);
            if (backward ? to >= from : to <= from)
            {
                break;
            }
        }
        if (candidate->IsFocusable() || candidate->HasFocusableChild())
        {
            return candidate->SetFocus(!backward);
        }
        start = candidate;
    }
    return escalate(param);
}
} // namespace Orv
