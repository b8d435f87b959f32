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
} // namespace Orv
