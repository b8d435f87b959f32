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
    code |= (flags & KeyCode::kFlagInput) != 0 ? 0x10000000 : 0;
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

WString KeyCode::ToDebugString() const
{
    WString text;
    if ((code & kCtrl) != 0)
    {
        text.Append(WString(L"Ctrl+"));
    }
    if ((code & kAlt) != 0)
    {
        text.Append(WString(L"Alt+"));
    }
    if ((code & kShift) != 0)
    {
        text.Append(WString(L"Shift+"));
    }
    if ((code & kCmd) != 0)
    {
        text.Append(WString(L"Cmd+"));
    }
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
