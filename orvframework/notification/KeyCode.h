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
    // The input flags of the modifier keys: Control, Shift, Alt, Cmd (the Windows keys) and the
    // input flag; the key handlers add finer flags for the left and right keys.
    static constexpr DWORD kFlagCtrl = 0x1;
    static constexpr DWORD kFlagShift = 0x8;
    static constexpr DWORD kFlagAlt = 0x40;
    static constexpr DWORD kFlagCmd = 0x200;
    static constexpr DWORD kFlagInput = 0x1000;

    LONG code = 0;
    DWORD modifiers = 0;
    BYTE extra = 0;

    // The modifier mask of input flags: each mask bit is set when all the flags of its row are
    // (1: 0x18, 2: 0x28, 4: 0x3, 8: 0x5, 16: 0xC0, 32: 0x140, 64: 0x600, 128: 0xA00).
    static DWORD ModifiersFromFlags(DWORD flags);
    // A character key: the character with the code bits of the flags (Ctrl bit 24, Shift 25,
    // Alt 26, Cmd 27, input flag 28), the mask of the flags, byte 0.
    static KeyCode FromCharacter(WORD character, DWORD flags);
    // A virtual key: the key in bits 16 to 23, bit 29 when it went down, the code bits and the
    // mask of the flags, byte 0.
    static KeyCode FromVirtualKey(int virtualKey, bool down, DWORD flags);

    // The virtual key of the code (bits 16 to 23).
    int GetVirtualKey() const { return (code >> 16) & 0xFF; }

    // The key as its name text: "Ctrl+", "Alt+", "Shift+", "Cmd+" for the modifiers held, then
    // the virtual key's name ("VKEY_F4"), or "[%d]" with the character of a character key.
    WString ToDebugString() const;
};
} // namespace Orv
