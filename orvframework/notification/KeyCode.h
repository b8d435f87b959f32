// A key as the framework's input carries it: a 32-bit code, a modifier mask and a byte.
//
// The code holds either a character in bits 0 to 15, or a virtual key in bits 16 to 23 with
// bit 29 set; bit 24 is Ctrl, bit 25 Shift, bit 26 Alt, bit 27 Cmd, bit 28 the input flag
// 0x1000; a negative code is no key.
#pragma once

#include "Utilities/Storage/StringT.h"
#include "platform/Types.h"

namespace Orv
{
struct KeyCode
{
    static constexpr LONG kCtrl = 0x01000000;
    static constexpr LONG kShift = 0x02000000;
    static constexpr LONG kAlt = 0x04000000;
    static constexpr LONG kCmd = 0x08000000;
    static constexpr LONG kNamedKey = 0x20000000;

    LONG code = 0;
    DWORD modifiers = 0;
    BYTE extra = 0;

    // The virtual key of the code (bits 16 to 23).
    int GetVirtualKey() const { return (code >> 16) & 0xFF; }

    // The key as its name text: "Ctrl+", "Alt+", "Shift+", "Cmd+" for the modifiers held, then
    // the virtual key's name ("VKEY_F4"), or "[%d]" with the character of a character key.
    WString ToDebugString() const;
};
} // namespace Orv
