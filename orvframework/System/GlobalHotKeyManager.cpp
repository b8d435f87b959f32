#include "System/GlobalHotKeyManager.h"

#include "ControlBase/KeyBindingReader.h"
#include "notification/Notification.h"
#include "notification/NotificationDistributor.h"
#include "notification/NotificationName.h"

namespace Orv
{
LGlobalHotKeyManager::LGlobalHotKeyManager(const RCPtr<LNotificationReceiver>& receiver)
    : mReceiver(receiver)
{
}

RCPtr<LGlobalHotKeyManager>
LGlobalHotKeyManager::Create(const RCPtr<LNotificationReceiver>& receiver)
{
    return RCPtr<LGlobalHotKeyManager>(new LGlobalHotKeyManager(receiver));
}

ORVRESULT LGlobalHotKeyManager::AddHotKey(const KeyCode& key, const WString& nid)
{
    if (!GetNotificationForKey(key).IsEmpty() || nid.IsEmpty() || !IsBindableKey(key))
    {
        return E_INVALIDARG;
    }
    Array<KeyCode>& keys = mBindings[InternNotificationName(nid.GetBuffer())];
    keys.InsertItem(keys.GetCount(), key);
    return S_OK;
}

ORVRESULT LGlobalHotKeyManager::LoadHotKeys(const RCPtr<LStringTable>& table, const WString& prefix)
{
    return ReadKeyBindings(table, prefix,
                           [this](const KeyCode& key, const WString& nid) { AddHotKey(key, nid); });
}

void LGlobalHotKeyManager::Clear()
{
    mBindings.clear();
}

WString LGlobalHotKeyManager::GetNotificationForKey(const KeyCode& key) const
{
    for (const auto& [name, keys] : mBindings)
    {
        for (unsigned int i = keys.GetCount(); i-- > 0;)
        {
            if (keys.GetConstElementPointer(i).Matches(key))
            {
                return WString(name);
            }
        }
    }
    return WString();
}

Array<KeyCode> LGlobalHotKeyManager::GetHotKeysForNotification(const WString& nid) const
{
    if (nid.IsEmpty())
    {
        return Array<KeyCode>();
    }
    const auto found = mBindings.find(InternNotificationName(nid.GetBuffer()));
    return found != mBindings.end() ? found->second : Array<KeyCode>();
}

bool LGlobalHotKeyManager::IsHotKeyNotification(const WString& nid) const
{
    return !nid.IsEmpty() && mBindings.count(InternNotificationName(nid.GetBuffer())) != 0;
}

ORVRESULT LGlobalHotKeyManager::ProcessKey(const RCPtr<LKeyParam>& keyParam)
{
    if (!keyParam || !mReceiver)
    {
        return S_FALSE;
    }
    const WString nid = GetNotificationForKey(keyParam->key);
    if (nid.IsEmpty())
    {
        return S_FALSE;
    }
    // The notification may be delivered later, after the key's own parameter has gone on.
    const RCPtr<LKeyParam> copy = LKeyParam::Create(keyParam->key, keyParam->keyUp);
    for (unsigned int i = 0; i < keyParam->visitedControls.GetCount(); ++i)
    {
        copy->visitedControls.InsertItem(i, keyParam->visitedControls.GetConstElementPointer(i));
    }
    mReceiver->ReceiveNotification(nullptr,
                                   LNotification::Create(InternNotificationName(nid.GetBuffer()),
                                                         RCPtr<LRefCountedObject>(copy.Get())));
    return S_OK;
}
} // namespace Orv
