// The names of the keys ("VKEY_F4"): each name is that of the Windows virtual-key constant
// after its VK_ prefix, except "VKEY_PAGEUP", "VKEY_PAGEDN", "VKEY_0" to "VKEY_9" and
// "VKEY_A" to "VKEY_Z".
#pragma once

#include "Utilities/Storage/StringT.h"

namespace Orv
{
// The virtual key of a name (exact, case-sensitive); 0 for an unknown name.
int GetVirtualKeyFromName(const WString& name);
// The first name, in the names' order, of a virtual key ("VKEY_HANGEUL" for 0x15); empty when
// the key has no name.
WString GetVirtualKeyName(int virtualKey);
// The text shown to the user for a virtual key ("Page Up", "F4", "A"); empty when it has none.
WString GetVirtualKeyText(int virtualKey);
// The number of names (149; several names share a key) and of display texts (143).
unsigned int GetVirtualKeyNameCount();
unsigned int GetVirtualKeyTextCount();
} // namespace Orv
