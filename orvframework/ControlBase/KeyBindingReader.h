// The reader of key bindings in a string table, shared by the key bindings of controls ("LHK")
// and the global hot keys ("GHK"): an entry whose ID begins with the prefix and a dot binds the
// key its text names to the notification named by the ID after its last dot; the parts between
// the prefix and the last dot only group entries.
#pragma once

#include "ControlBase/StringTable.h"
#include "notification/KeyCode.h"

#include <functional>

namespace Orv
{
// Whether key stands for a key that can be bound: not the negative "no key" code, and not the
// named form of an unknown key name (a named key with neither a virtual key nor a character).
bool IsBindableKey(const KeyCode& key);

// Calls bind(key, notification name) for every entry of table, in the table's order (sorted by
// ID), whose ID begins with prefix and a dot and whose text parses to a bindable key. Entries
// whose text names no key are skipped. E_INVALIDARG for a null table, else S_OK.
ORVRESULT ReadKeyBindings(const RCPtr<LStringTable>& table, const WString& prefix,
                          const std::function<void(const KeyCode&, const WString&)>& bind);
} // namespace Orv
