// Hot keys: key codes bound to notification names. A bound key that reaches ProcessKey makes a
// notification of its name, carrying a copy of the key, and hands it to the receiver the
// manager was made on. The application holds one on the posting receiver of the "application"
// center, so its hot keys are delivered in the next idle pass; every root window holds one on
// its own queue for the hot keys of its root control.
//
// Bindings come from string-table entries ("GHK.<group>.NID_NAME" = "Alt+VKEY_F4") and from
// code, and are only added: a key (by the rule of KeyCode::Matches) is bound to at most one
// name, and a name may have several keys. UI thread only.
#pragma once

#include "ControlBase/StringTable.h"
#include "Utilities/Storage/Array.h"
#include "notification/KeyCode.h"
#include "notification/KeyParam.h"
#include "notification/NotificationReceiver.h"

#include <map>

namespace Orv
{
class LGlobalHotKeyManager : public virtual LRefCountedObject
{
public:
    // A manager without bindings that delivers to receiver.
    static RCPtr<LGlobalHotKeyManager> Create(const RCPtr<LNotificationReceiver>& receiver);

    // Binds key to the notification nid. E_INVALIDARG when the key is bound already (to any
    // name, nid included), is no key (KeyCode::Parse's "no key" code, or an unknown key name),
    // or nid is empty; else S_OK.
    ORVRESULT AddHotKey(const KeyCode& key, const WString& nid);
    // Binds the keys of table's entries whose IDs begin with prefix and a dot; the notification
    // is the ID after its last dot. Entries naming no key, or a key bound already, bind nothing.
    // E_INVALIDARG for a null table, else S_OK.
    ORVRESULT LoadHotKeys(const RCPtr<LStringTable>& table, const WString& prefix);
    // Drops every binding (a root window whose root control is replaced).
    void Clear();

    // The notification bound to key; empty when none is.
    WString GetNotificationForKey(const KeyCode& key) const;
    // A copy of the keys bound to nid, in the order they were bound; empty for an unknown or
    // empty name.
    Array<KeyCode> GetHotKeysForNotification(const WString& nid) const;
    bool IsHotKeyNotification(const WString& nid) const;

    // S_OK when the key is bound: the notification of its name, carrying a copy of the key
    // parameter, went to the receiver with no source. S_FALSE when it is no hot key (also for
    // a null parameter, or a manager without a receiver); nothing is made then.
    ORVRESULT ProcessKey(const RCPtr<LKeyParam>& keyParam);

    const RCPtr<LNotificationReceiver>& GetReceiver() const { return mReceiver; }

private:
    explicit LGlobalHotKeyManager(const RCPtr<LNotificationReceiver>& receiver);

    // Keyed by the interned name, so that equal names share one entry.
    std::map<const wchar_t*, Array<KeyCode>> mBindings;
    RCPtr<LNotificationReceiver> mReceiver;
};
} // namespace Orv
