// Fuzz target of the key-text parser (the key texts of string tables and skins).
//
// Input: bytes read as UTF-8 text (malformed sequences as the converter treats them).
//
// What must hold: parsing never reads outside the text; a key it gives is either no key
// (negative, modifiers 0) or a code with bits 30 and 31 clear and the byte 0; a named key's code
// has bit 29 set; the display and name texts of the result can be made, and the name text of a
// named key reads back to the same code, unless its name holds a modifier word (the Shift keys).
#include "notification/KeyCode.h"
#include "notification/KeyNames.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace Orv;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    WString text;
    text.AssignUtf8(bytes.c_str(), static_cast<int>(bytes.size()));
    const KeyCode key = KeyCode::Parse(text);
    if (key.extra != 0)
    {
        std::abort();
    }
    if (key.code < 0)
    {
        if (key.code != KeyCode::kNoKey || key.modifiers != 0)
        {
            std::abort();
        }
        return 0;
    }
    if ((key.code & 0x40000000) != 0)
    {
        std::abort();
    }
    key.ToString();
    const WString name = key.ToDebugString();
    const int virtualKey = key.GetVirtualKey();
    if (virtualKey != 0)
    {
        if ((key.code & KeyCode::kNamedKey) == 0)
        {
            std::abort();
        }
        if (GetVirtualKeyName(virtualKey).Find(WString(L"SHIFT")) < 0 &&
            KeyCode::Parse(name).code != key.code)
        {
            std::abort();
        }
    }
    return 0;
}
