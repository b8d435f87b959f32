#include "notification/KeyCode.h"

#include "notification/KeyNames.h"

namespace Orv
{
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
