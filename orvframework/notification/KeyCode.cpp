#include "notification/KeyCode.h"

#include "notification/KeyNames.h"

#include <iterator>

namespace Orv
{
namespace
{
LONG CodeBitsFromFlags(DWORD flags)
{
    LONG code = 0;
    code |= (flags & KeyCode::kFlagCtrl) != 0 ? KeyCode::kCtrl : 0;
    code |= (flags & KeyCode::kFlagShift) != 0 ? KeyCode::kShift : 0;
    code |= (flags & KeyCode::kFlagAlt) != 0 ? KeyCode::kAlt : 0;
    code |= (flags & KeyCode::kFlagCmd) != 0 ? KeyCode::kCmd : 0;
    code |= (flags & KeyCode::kFlagInput) != 0 ? KeyCode::kInputFlag : 0;
    return code;
}
} // namespace

DWORD KeyCode::ModifiersFromFlags(DWORD flags)
{
    static constexpr DWORD kRows[] = {0x18, 0x28, 0x3, 0x5, 0xC0, 0x140, 0x600, 0xA00};
    DWORD mask = 0;
    for (unsigned int bit = 0; bit < std::size(kRows); ++bit)
    {
        if ((flags & kRows[bit]) == kRows[bit])
        {
            mask |= 1u << bit;
        }
    }
    return mask;
}

KeyCode KeyCode::FromCharacter(WORD character, DWORD flags)
{
    KeyCode key;
    key.code = static_cast<LONG>(character) | CodeBitsFromFlags(flags);
    key.modifiers = ModifiersFromFlags(flags);
    return key;
}

KeyCode KeyCode::FromVirtualKey(int virtualKey, bool down, DWORD flags)
{
    KeyCode key;
    key.code = ((virtualKey & 0xFF) << 16) | (down ? kNamedKey : 0) | CodeBitsFromFlags(flags);
    key.modifiers = ModifiersFromFlags(flags);
    return key;
}

KeyCode KeyCode::Parse(const WString& text)
{
    KeyCode key;
    key.code = kNamedKey;
    const WString upper = text.ToUpper();
    const bool ctrl = upper.Find(WString(L"CTRL")) >= 0;
    const bool alt = upper.Find(WString(L"ALT")) >= 0;
    const bool shift = upper.Find(WString(L"SHIFT")) >= 0;
    // The debug text writes "Cmd+"; both words are read so that it reads back.
    const bool cmd = upper.Find(WString(L"COMMAND")) >= 0 || upper.Find(WString(L"CMD")) >= 0;

    const int name = upper.Find(WString(L"VKEY_"));
    if (name >= 0)
    {
        const int virtualKey = GetVirtualKeyFromName(upper.Mid(name));
        DWORD flags = 0;
        flags |= ctrl ? kFlagCtrl : 0;
        flags |= alt ? kFlagAlt : 0;
        flags |= shift ? kFlagShift : 0;
        flags |= cmd ? kFlagCmd : 0;
        key.code = kNamedKey | ((virtualKey & 0xFF) << 16) | (ctrl ? kCtrl : 0) |
                   (shift ? kShift : 0) | (alt ? kAlt : 0) | (cmd ? kCmd : 0);
        key.modifiers = ModifiersFromFlags(flags);
        return key;
    }

    KeyCode none;
    none.code = kNoKey;
    const DWORD flags = alt ? kFlagAlt : 0;
    const int open = upper.Find(WString(L"["));
    if (open < 0)
    {
        const unsigned int length = text.GetLength();
        if (length == 0)
        {
            return none;
        }
        const wchar_t last = text.GetBuffer()[length - 1];
        if (static_cast<unsigned long>(last) > 0xFFFF)
        {
            return none;
        }
        return FromCharacter(static_cast<WORD>(last), flags);
    }
    const int close = upper.Find(WString(L"]"));
    if (close <= open + 1)
    {
        return none;
    }
    // Decimal digits only, as many as a 16-bit character needs.
    const WString digits = upper.Mid(open + 1, close - open - 1);
    unsigned long value = 0;
    for (unsigned int i = 0; i < digits.GetLength(); ++i)
    {
        const wchar_t c = digits.GetBuffer()[i];
        if (c < L'0' || c > L'9' || value > 0xFFFF)
        {
            return none;
        }
        value = value * 10 + static_cast<unsigned long>(c - L'0');
    }
    if (value > 0xFFFF)
    {
        return none;
    }
    return FromCharacter(static_cast<WORD>(value), flags);
}

namespace
{
WString ModifierText(LONG code)
{
    WString text;
    if ((code & KeyCode::kCtrl) != 0)
    {
        text.Append(WString(L"Ctrl+"));
    }
    if ((code & KeyCode::kAlt) != 0)
    {
        text.Append(WString(L"Alt+"));
    }
    if ((code & KeyCode::kShift) != 0)
    {
        text.Append(WString(L"Shift+"));
    }
    if ((code & KeyCode::kCmd) != 0)
    {
        text.Append(WString(L"Cmd+"));
    }
    return text;
}
} // namespace

WString KeyCode::ToString() const
{
    WString text = ModifierText(code);
    if (code < 0)
    {
        return text;
    }
    if (GetVirtualKey() != 0)
    {
        text.Append(GetVirtualKeyText(GetVirtualKey()));
        return text;
    }
    const int character = code & 0xFFFF;
    if (character >= 1 && character <= 26)
    {
        text.Append(WString(L"Ctrl+"));
        text.Append(static_cast<wchar_t>(character + 64));
    }
    else if (character >= 33 && character <= 126)
    {
        text.Append(static_cast<wchar_t>(character));
    }
    return text;
}

bool KeyCode::Matches(const KeyCode& other) const
{
    if ((code & kExactBits) != 0)
    {
        return code == other.code;
    }
    if ((other.code & kExactBits) != 0)
    {
        return false;
    }
    constexpr LONG kCaseBits = kCtrl | kShift;
    return (code & ~kCaseBits) == (other.code & ~kCaseBits);
}

bool KeyCode::IsTextInput() const
{
    if (GetVirtualKey() == 0 || code < 0)
    {
        return false;
    }
    return (code & kNamedKey) != 0;
}

WString KeyCode::ToDebugString() const
{
    WString text = ModifierText(code);
    if (code < 0)
    {
        return text;
    }
    if (GetVirtualKey() != 0)
    {
        text.Append(GetVirtualKeyName(GetVirtualKey()));
    }
    else
    {
        text.Append(WString::CreateFormatted(L"[%d]", static_cast<int>(code & 0xFFFF)));
    }
    return text;
}
} // namespace Orv
