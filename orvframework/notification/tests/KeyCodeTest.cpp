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

TEST(KeyCode, ModifierMaskNeedsEveryFlagOfItsRow)
{
    struct Case
    {
        DWORD flags;
        DWORD mask;
    };
    const Case cases[] = {
        {0x0, 0x0},
        // Shift alone names no side; with the left or the right key it does.
        {0x8, 0x0},
        {0x18, 0x1},
        {0x28, 0x2},
        {0x38, 0x3},
        {0x3, 0x4},
        {0x5, 0x8},
        {0xC0, 0x10},
        {0x140, 0x20},
        {0x600, 0x40},
        {0xA00, 0x80},
        // The side flags without their key's flag count for nothing.
        {0x10 | 0x2 | 0x80, 0x0},
        {0x18 | 0x3 | 0xC0 | 0x600, 0x1 | 0x4 | 0x10 | 0x40},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(KeyCode::ModifiersFromFlags(c.flags), c.mask) << std::hex << c.flags;
    }
}

TEST(KeyCode, CharacterAndVirtualKeyCodesCarryTheModifierBits)
{
    struct Case
    {
        KeyCode key;
        LONG code;
        DWORD mask;
    };
    const Case cases[] = {
        {KeyCode::FromCharacter(L'a', 0), 0x61, 0},
        {KeyCode::FromCharacter(L'A', KeyCode::kFlagShift | 0x10), 0x02000041, 0x1},
        {KeyCode::FromCharacter(3, KeyCode::kFlagCtrl | 0x2), 0x01000003, 0x4},
        {KeyCode::FromCharacter(0, KeyCode::kFlagCtrl | KeyCode::kFlagAlt), 0x05000000, 0},
        {KeyCode::FromCharacter(L'x', KeyCode::kFlagCmd | KeyCode::kFlagInput), 0x18000078, 0},
        {KeyCode::FromVirtualKey(0x73, true, KeyCode::kFlagAlt), 0x24730000, 0},
        {KeyCode::FromVirtualKey(0x73, false, KeyCode::kFlagAlt), 0x04730000, 0},
        {KeyCode::FromVirtualKey(0x0D, true, KeyCode::kFlagCtrl | KeyCode::kFlagShift), 0x230D0000,
         0},
        // The left Windows key is the Cmd modifier.
        {KeyCode::FromVirtualKey(0x41, true, 0x600), 0x28410000, 0x40},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(c.key.code, c.code) << std::hex << c.code;
        EXPECT_EQ(c.key.modifiers, c.mask) << std::hex << c.code;
        EXPECT_EQ(c.key.extra, 0);
    }
}

TEST(KeyCode, ParseReadsModifierWordsAndAKeyNameOrCharacter)
{
    constexpr LONG kNone = KeyCode::kNoKey;
    struct Case
    {
        const wchar_t* text;
        LONG code;
    };
    const Case cases[] = {
        {L"Alt+VKEY_F4", 0x24730000},
        {L"ctrl+shift+vkey_return", 0x230D0000},
        {L"CTRL+SHIFT+VKEY_RETURN", 0x230D0000},
        // Modifier words are found anywhere, so the name of the Shift key brings the Shift bit.
        {L"VKEY_SHIFT", 0x22100000},
        {L"Cmd+VKEY_A", 0x28410000},
        {L"Command+VKEY_A", 0x28410000},
        // An unknown key name: the named form without a key.
        {L"VKEY_NOSUCHKEY", 0x20000000},
        {L"Ctrl+VKEY_", 0x21000000},
        // Without a name only Alt counts; the key is the last character.
        {L"a", 0x61},
        {L"Alt+x", 0x04000078},
        {L"Ctrl+x", 0x78},
        {L"+", 0x2B},
        {L"[65]", 65},
        {L"Alt+[65]", 0x04000041},
        {L"Ctrl+[65]", 65},
        {L"[0]", 0},
        {L"[65535]", 0xFFFF},
        // Nothing to take as the key: no key at all, so that nothing gets bound to it.
        {L"", kNone},
        {L"[65", kNone},
        {L"Alt+[", kNone},
        {L"[]", kNone},
        {L"[6a]", kNone},
        {L"[-1]", kNone},
        {L"[65536]", kNone},
        {L"[99999999999999999999]", kNone},
        {L"]x[", kNone},
    };
    for (const Case& c : cases)
    {
        const KeyCode key = KeyCode::Parse(c.text);
        EXPECT_EQ(key.code, c.code) << std::wstring(c.text);
        EXPECT_EQ(key.extra, 0) << std::wstring(c.text);
    }
    EXPECT_EQ(KeyCode::Parse(L"Alt+Shift+VKEY_LSHIFT").modifiers,
              KeyCode::ModifiersFromFlags(KeyCode::kFlagAlt | KeyCode::kFlagShift));
}

TEST(KeyCode, DisplayTextsOfKeys)
{
    struct Case
    {
        LONG code;
        const wchar_t* text;
    };
    const Case cases[] = {
        {KeyCode::Parse(L"Ctrl+VKEY_A").code, L"Ctrl+A"},
        {KeyCode::Parse(L"VKEY_TAB").code, L""},
        {KeyCode::Parse(L"VKEY_BACK").code, L""},
        {KeyCode::Parse(L"Alt+VKEY_F4").code, L"Alt+F4"},
        {KeyCode::Parse(L"Ctrl+Shift+VKEY_PAGEDN").code, L"Ctrl+Shift+Page Down"},
        {KeyCode::Parse(L"VKEY_NUMPAD7").code, L"Numpad 7"},
        {KeyCode::Parse(L"VKEY_F24").code, L"F24"},
        {KeyCode::Parse(L"VKEY_7").code, L"7"},
        {KeyCode::Parse(L"VKEY_HANGUL").code, L"Kana"},
        {KeyCode::Parse(L"VKEY_KANJI").code, L"Hanja"},
        {KeyCode::Parse(L"VKEY_OEM_FJ_JISHO").code, L"NEC Equal"},
        {KeyCode::Parse(L"VKEY_DELETE").code, L"Del"},
        {KeyCode::Parse(L"Cmd+VKEY_LAUNCH_APP1").code, L"Cmd+Launch App 1"},
        // Character keys: control characters as Ctrl and a letter, printable ASCII as itself.
        {3, L"Ctrl+C"},
        {1, L"Ctrl+A"},
        {26, L"Ctrl+Z"},
        {0x01000003, L"Ctrl+Ctrl+C"},
        {33, L"!"},
        {126, L"~"},
        {32, L""},
        {127, L""},
        {0xE9, L""},
        {0, L""},
        {0x04000061, L"Alt+a"},
        {static_cast<LONG>(0x86730000u), L"Alt+Shift+"},
    };
    for (const Case& c : cases)
    {
        KeyCode key;
        key.code = c.code;
        EXPECT_EQ(std::wstring(key.ToString().GetBuffer()), c.text) << std::hex << c.code;
    }
}

TEST(KeyNames, TablesHoldEveryNameAndText)
{
    EXPECT_EQ(GetVirtualKeyNameCount(), 149u);
    EXPECT_EQ(GetVirtualKeyTextCount(), 143u);
    // Every named key has a display text except Back and Tab, and no key without a name has
    // one.
    for (int key = 0; key <= 0xFF; ++key)
    {
        const bool named = !GetVirtualKeyName(key).IsEmpty();
        const bool shown = !GetVirtualKeyText(key).IsEmpty();
        EXPECT_EQ(shown, named && key != 0x08 && key != 0x09) << key;
    }
    EXPECT_EQ(std::wstring(GetVirtualKeyText(0x21).GetBuffer()), L"Page Up");
    EXPECT_EQ(std::wstring(GetVirtualKeyText(0x6B).GetBuffer()), L"+");
    EXPECT_EQ(std::wstring(GetVirtualKeyText(0x60).GetBuffer()), L"Numpad 0");
}

TEST(KeyCode, DebugTextReadsBackToTheSameKey)
{
    // Every named key under every combination of modifiers, and character codes.
    for (int key = 0x08; key <= 0xB7; ++key)
    {
        if (GetVirtualKeyName(key).IsEmpty())
        {
            continue;
        }
        for (LONG modifiers = 0; modifiers < 16; ++modifiers)
        {
            KeyCode code;
            code.code = KeyCode::kNamedKey | (key << 16) | (modifiers << 24);
            const KeyCode back = KeyCode::Parse(code.ToDebugString());
            // The names of the Shift keys hold the modifier word, so they come back with Shift.
            const bool shiftName = GetVirtualKeyName(key).Find(WString(L"SHIFT")) >= 0;
            EXPECT_EQ(back.code, code.code | (shiftName ? KeyCode::kShift : 0))
                << std::wstring(code.ToDebugString().GetBuffer());
        }
    }
    for (LONG character : {0, 9, 65, 0x5B, 0x5D, 0xFFFF})
    {
        for (LONG alt : {static_cast<LONG>(0), KeyCode::kAlt})
        {
            KeyCode code;
            code.code = character | alt;
            EXPECT_EQ(KeyCode::Parse(code.ToDebugString()).code, code.code) << character;
        }
    }
}

TEST(KeyCode, MatchesNamedKeysExactlyAndCharactersWithoutCtrlAndShift)
{
    struct Case
    {
        LONG a;
        LONG b;
        bool matches;
    };
    const LONG shiftA = KeyCode::kShift | 0x61;
    const Case cases[] = {
        {0x61, shiftA, true},
        {shiftA, 0x61, true},
        {0x61, KeyCode::kCtrl | 0x61, true},
        {0x61, KeyCode::kAlt | 0x61, false},
        {0x61, 0x62, false},
        {KeyCode::Parse(L"VKEY_A").code, KeyCode::Parse(L"Shift+VKEY_A").code, false},
        {KeyCode::Parse(L"Alt+VKEY_F4").code, KeyCode::Parse(L"alt+vkey_f4").code, true},
        // A character never matches a named key, in either order.
        {0x41, KeyCode::Parse(L"VKEY_A").code, false},
        {KeyCode::Parse(L"VKEY_A").code, 0x41, false},
        // No key matches only the same code.
        {KeyCode::kNoKey, KeyCode::kNoKey, true},
        {KeyCode::kNoKey, 0, false},
        {0, KeyCode::kNoKey, false},
    };
    for (const Case& c : cases)
    {
        KeyCode a;
        a.code = c.a;
        KeyCode b;
        b.code = c.b;
        EXPECT_EQ(a.Matches(b), c.matches) << std::hex << c.a << " " << c.b;
    }
}

TEST(KeyCode, TextInputKeys)
{
    struct Case
    {
        LONG code;
        bool textInput;
    };
    const Case cases[] = {
        {0x20410000, true},
        {0x00410000, false},
        {0x61, false},
        {0x20000000, false},
        {static_cast<LONG>(0xA0410000u), false},
    };
    for (const Case& c : cases)
    {
        KeyCode key;
        key.code = c.code;
        EXPECT_EQ(key.IsTextInput(), c.textInput) << std::hex << c.code;
    }
}
