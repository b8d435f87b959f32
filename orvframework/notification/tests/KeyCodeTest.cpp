// The name text of key codes and the table of key names.
#include "notification/KeyCode.h"
#include "notification/KeyNames.h"

#include <gtest/gtest.h>

#include <string>

using namespace Orv;

TEST(KeyCode, DebugStringNamesModifiersAndKey)
{
    struct Case
    {
        LONG code;
        const wchar_t* text;
    };
    const Case cases[] = {
        {0x24730000, L"Alt+VKEY_F4"},
        {0x230D0000, L"Ctrl+Shift+VKEY_RETURN"},
        // Modifiers always in the order Ctrl, Alt, Shift, Cmd.
        {0x2F410000, L"Ctrl+Alt+Shift+Cmd+VKEY_A"},
        {0x22100000, L"Shift+VKEY_SHIFT"},
        // Keys that share a code print the first of their names.
        {0x20150000, L"VKEY_HANGEUL"},
        {0x20190000, L"VKEY_HANJA"},
        {0x20920000, L"VKEY_OEM_FJ_JISHO"},
        // A virtual key without a name prints no key.
        {0x21BA0000, L"Ctrl+"},
        // Characters print their code.
        {65, L"[65]"},
        {0x04000061, L"Alt+[97]"},
        {0x01000003, L"Ctrl+[3]"},
        {0, L"[0]"},
        // No key: only the modifiers.
        {static_cast<LONG>(0x84730000u), L"Alt+"},
        {-1, L"Ctrl+Alt+Shift+Cmd+"},
    };
    for (const Case& c : cases)
    {
        KeyCode key;
        key.code = c.code;
        EXPECT_EQ(std::wstring(key.ToDebugString().GetBuffer()), c.text) << std::hex << c.code;
    }
}

TEST(KeyNames, NamesAndKeys)
{
    struct Case
    {
        const wchar_t* name;
        int key;
    };
    const Case cases[] = {
        {L"VKEY_BACK", 0x08},
        {L"VKEY_PAGEUP", 0x21},
        {L"VKEY_PAGEDN", 0x22},
        {L"VKEY_0", 0x30},
        {L"VKEY_9", 0x39},
        {L"VKEY_A", 0x41},
        {L"VKEY_Z", 0x5A},
        {L"VKEY_SLEEP", 0x5F},
        {L"VKEY_NUMPAD7", 0x67},
        {L"VKEY_F1", 0x70},
        {L"VKEY_F24", 0x87},
        {L"VKEY_KANJI", 0x19},
        {L"VKEY_HANGUL", 0x15},
        {L"VKEY_OEM_NEC_EQUAL", 0x92},
        {L"VKEY_LAUNCH_APP2", 0xB7},
        {L"VKEY_DIVIDE", 0x6F},
        {L"vkey_f4", 0},
        {L"VKEY_OEM_1", 0},
        {L"VKEY_", 0},
        {L"", 0},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(GetVirtualKeyFromName(c.name), c.key) << std::wstring(c.name);
    }
    EXPECT_EQ(std::wstring(GetVirtualKeyName(0x5B).GetBuffer()), L"VKEY_LWIN");
    EXPECT_TRUE(GetVirtualKeyName(0xBA).IsEmpty());
    EXPECT_TRUE(GetVirtualKeyName(0).IsEmpty());

    // Every key from 0x08 to 0xB7 that has a name gives it back.
    int named = 0;
    for (int key = 0x08; key <= 0xB7; ++key)
    {
        const WString name = GetVirtualKeyName(key);
        if (!name.IsEmpty())
        {
            ++named;
            EXPECT_EQ(GetVirtualKeyFromName(name), key) << key;
        }
    }
    // 149 names, of which four share a key with another.
    EXPECT_EQ(named, 145);
}
