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
    static constexpr LONG kInputFlag = 0x10000000;
    static constexpr LONG kNamedKey = 0x20000000;
    // Bit 31: a negative code is no key.
    static constexpr LONG kNoKey = static_cast<LONG>(0x80000000u);
    // The bits that make a code exact in Matches: the virtual key and the sign.
    static constexpr LONG kExactBits = static_cast<LONG>(0x80FF0000u);
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

    // A key from its text: modifier words ("Ctrl", "Shift", "Alt", "Command" or "Cmd", found
    // anywhere in the text, in any case) and a key name from "VKEY_" on ("Alt+VKEY_F4"); without
    // a key name, the last character of the text or a decimal character code in brackets
    // ("Alt+[65]"), where only Alt counts. A named key's code has bit 29 set; an unknown name
    // gives the named form with key 0. An empty text, an unclosed bracket or a bracket that holds
    // no character code gives the negative code kNoKey, which binds nothing.
    static KeyCode Parse(const WString& text);

    // The key as shown to the user: "Ctrl+", "Alt+", "Shift+", "Cmd+" for the modifiers held,
    // then the virtual key's display text, or for a character key Ctrl+ and the letter of a
    // control character (1 to 26) or the printable character (33 to 126).
    WString ToString() const;
    // Whether other is this key: exactly equal codes when this code names a virtual key or is
    // negative; two character keys equal apart from Ctrl and Shift; never a character key and a
    // named one.
    bool Matches(const KeyCode& other) const;
    // Whether the key stands for text input: false when the virtual-key part is 0 or the code
    // is negative, else whether bit 29 is set.
    bool IsTextInput() const;
    // The key is in the virtual-key form (a virtual key, bit 29 set, not negative).
    bool IsVirtualKey(int virtualKey) const
    {
        return code >= 0 && (code & kNamedKey) != 0 && GetVirtualKey() == virtualKey;
    }

    // The virtual key of the code (bits 16 to 23).
    int GetVirtualKey() const { return (code >> 16) & 0xFF; }

    // The key as its name text: "Ctrl+", "Alt+", "Shift+", "Cmd+" for the modifiers held, then
    // the virtual key's name ("VKEY_F4"), or "[%d]" with the character of a character key.
    WString ToDebugString() const;
};
} // namespace Orv
