#include "notification/KeyNames.h"

#include <iterator>
#include <map>

namespace Orv
{
namespace
{
struct KeyName
{
    const wchar_t* name;
    int virtualKey;
};

// In the order of filling. Several names share a key.
constexpr KeyName kKeyNames[] = {
    {L"VKEY_BACK", 0x08},
    {L"VKEY_TAB", 0x09},
    {L"VKEY_CLEAR", 0x0C},
    {L"VKEY_RETURN", 0x0D},
    {L"VKEY_SHIFT", 0x10},
    {L"VKEY_CONTROL", 0x11},
    {L"VKEY_MENU", 0x12},
    {L"VKEY_PAUSE", 0x13},
    {L"VKEY_CAPITAL", 0x14},
    {L"VKEY_KANA", 0x15},
    {L"VKEY_HANGEUL", 0x15},
    {L"VKEY_HANGUL", 0x15},
    {L"VKEY_JUNJA", 0x17},
    {L"VKEY_FINAL", 0x18},
    {L"VKEY_HANJA", 0x19},
    {L"VKEY_KANJI", 0x19},
    {L"VKEY_ESCAPE", 0x1B},
    {L"VKEY_CONVERT", 0x1C},
    {L"VKEY_NONCONVERT", 0x1D},
    {L"VKEY_ACCEPT", 0x1E},
    {L"VKEY_MODECHANGE", 0x1F},
    {L"VKEY_SPACE", 0x20},
    {L"VKEY_PAGEUP", 0x21},
    {L"VKEY_PAGEDN", 0x22},
    {L"VKEY_END", 0x23},
    {L"VKEY_HOME", 0x24},
    {L"VKEY_LEFT", 0x25},
    {L"VKEY_UP", 0x26},
    {L"VKEY_RIGHT", 0x27},
    {L"VKEY_DOWN", 0x28},
    {L"VKEY_SELECT", 0x29},
    {L"VKEY_PRINT", 0x2A},
    {L"VKEY_EXECUTE", 0x2B},
    {L"VKEY_SNAPSHOT", 0x2C},
    {L"VKEY_INSERT", 0x2D},
    {L"VKEY_DELETE", 0x2E},
    {L"VKEY_HELP", 0x2F},
    {L"VKEY_0", 0x30},
    {L"VKEY_1", 0x31},
    {L"VKEY_2", 0x32},
    {L"VKEY_3", 0x33},
    {L"VKEY_4", 0x34},
    {L"VKEY_5", 0x35},
    {L"VKEY_6", 0x36},
    {L"VKEY_7", 0x37},
    {L"VKEY_8", 0x38},
    {L"VKEY_9", 0x39},
    {L"VKEY_A", 0x41},
    {L"VKEY_B", 0x42},
    {L"VKEY_C", 0x43},
    {L"VKEY_D", 0x44},
    {L"VKEY_E", 0x45},
    {L"VKEY_F", 0x46},
    {L"VKEY_G", 0x47},
    {L"VKEY_H", 0x48},
    {L"VKEY_I", 0x49},
    {L"VKEY_J", 0x4A},
    {L"VKEY_K", 0x4B},
    {L"VKEY_L", 0x4C},
    {L"VKEY_M", 0x4D},
    {L"VKEY_N", 0x4E},
    {L"VKEY_O", 0x4F},
    {L"VKEY_P", 0x50},
    {L"VKEY_Q", 0x51},
    {L"VKEY_R", 0x52},
    {L"VKEY_S", 0x53},
    {L"VKEY_T", 0x54},
    {L"VKEY_U", 0x55},
    {L"VKEY_V", 0x56},
    {L"VKEY_W", 0x57},
    {L"VKEY_X", 0x58},
    {L"VKEY_Y", 0x59},
    {L"VKEY_Z", 0x5A},
    {L"VKEY_LWIN", 0x5B},
    {L"VKEY_RWIN", 0x5C},
    {L"VKEY_APPS", 0x5D},
    {L"VKEY_SLEEP", 0x5F},
    {L"VKEY_NUMPAD0", 0x60},
    {L"VKEY_NUMPAD1", 0x61},
    {L"VKEY_NUMPAD2", 0x62},
    {L"VKEY_NUMPAD3", 0x63},
    {L"VKEY_NUMPAD4", 0x64},
    {L"VKEY_NUMPAD5", 0x65},
    {L"VKEY_NUMPAD6", 0x66},
    {L"VKEY_NUMPAD7", 0x67},
    {L"VKEY_NUMPAD8", 0x68},
    {L"VKEY_NUMPAD9", 0x69},
    {L"VKEY_MULTIPLY", 0x6A},
    {L"VKEY_ADD", 0x6B},
    {L"VKEY_SEPARATOR", 0x6C},
    {L"VKEY_SUBTRACT", 0x6D},
    {L"VKEY_DECIMAL", 0x6E},
    {L"VKEY_DIVIDE", 0x6F},
    {L"VKEY_F1", 0x70},
    {L"VKEY_F2", 0x71},
    {L"VKEY_F3", 0x72},
    {L"VKEY_F4", 0x73},
    {L"VKEY_F5", 0x74},
    {L"VKEY_F6", 0x75},
    {L"VKEY_F7", 0x76},
    {L"VKEY_F8", 0x77},
    {L"VKEY_F9", 0x78},
    {L"VKEY_F10", 0x79},
    {L"VKEY_F11", 0x7A},
    {L"VKEY_F12", 0x7B},
    {L"VKEY_F13", 0x7C},
    {L"VKEY_F14", 0x7D},
    {L"VKEY_F15", 0x7E},
    {L"VKEY_F16", 0x7F},
    {L"VKEY_F17", 0x80},
    {L"VKEY_F18", 0x81},
    {L"VKEY_F19", 0x82},
    {L"VKEY_F20", 0x83},
    {L"VKEY_F21", 0x84},
    {L"VKEY_F22", 0x85},
    {L"VKEY_F23", 0x86},
    {L"VKEY_F24", 0x87},
    {L"VKEY_NUMLOCK", 0x90},
    {L"VKEY_SCROLL", 0x91},
    {L"VKEY_OEM_NEC_EQUAL", 0x92},
    {L"VKEY_OEM_FJ_JISHO", 0x92},
    {L"VKEY_OEM_FJ_MASSHOU", 0x93},
    {L"VKEY_OEM_FJ_TOUROKU", 0x94},
    {L"VKEY_OEM_FJ_LOYA", 0x95},
    {L"VKEY_OEM_FJ_ROYA", 0x96},
    {L"VKEY_LSHIFT", 0xA0},
    {L"VKEY_RSHIFT", 0xA1},
    {L"VKEY_LCONTROL", 0xA2},
    {L"VKEY_RCONTROL", 0xA3},
    {L"VKEY_LMENU", 0xA4},
    {L"VKEY_RMENU", 0xA5},
    {L"VKEY_BROWSER_BACK", 0xA6},
    {L"VKEY_BROWSER_FORWARD", 0xA7},
    {L"VKEY_BROWSER_REFRESH", 0xA8},
    {L"VKEY_BROWSER_STOP", 0xA9},
    {L"VKEY_BROWSER_SEARCH", 0xAA},
    {L"VKEY_BROWSER_FAVORITES", 0xAB},
    {L"VKEY_BROWSER_HOME", 0xAC},
    {L"VKEY_VOLUME_MUTE", 0xAD},
    {L"VKEY_VOLUME_DOWN", 0xAE},
    {L"VKEY_VOLUME_UP", 0xAF},
    {L"VKEY_MEDIA_NEXT_TRACK", 0xB0},
    {L"VKEY_MEDIA_PREV_TRACK", 0xB1},
    {L"VKEY_MEDIA_STOP", 0xB2},
    {L"VKEY_MEDIA_PLAY_PAUSE", 0xB3},
    {L"VKEY_LAUNCH_MAIL", 0xB4},
    {L"VKEY_LAUNCH_MEDIA_SELECT", 0xB5},
    {L"VKEY_LAUNCH_APP1", 0xB6},
    {L"VKEY_LAUNCH_APP2", 0xB7},
};

struct KeyText
{
    int virtualKey;
    const wchar_t* text;
};

// The texts shown to the user, besides the digits, the letters, "Numpad 0" to "Numpad 9" and
// "F1" to "F24", which are made. BACK and TAB have none.
constexpr KeyText kKeyTexts[] = {
    {0x0C, L"Clear"},
    {0x0D, L"Return"},
    {0x10, L"Shift"},
    {0x11, L"Control"},
    {0x12, L"Menu"},
    {0x13, L"Pause"},
    {0x14, L"Capital"},
    {0x15, L"Kana"},
    {0x17, L"Junja"},
    {0x18, L"Final"},
    {0x19, L"Hanja"},
    {0x1B, L"Escape"},
    {0x1C, L"Convert"},
    {0x1D, L"Non-convert"},
    {0x1E, L"Accept"},
    {0x1F, L"Mode Change"},
    {0x20, L"Space"},
    {0x21, L"Page Up"},
    {0x22, L"Page Down"},
    {0x23, L"End"},
    {0x24, L"Home"},
    {0x25, L"Left Arrow"},
    {0x26, L"Up Arrow"},
    {0x27, L"Right Arrow"},
    {0x28, L"Down Arrow"},
    {0x29, L"Select"},
    {0x2A, L"Print"},
    {0x2B, L"Execute"},
    {0x2C, L"Snapshot"},
    {0x2D, L"Insert"},
    {0x2E, L"Del"},
    {0x2F, L"Help"},
    {0x5B, L"Left Win"},
    {0x5C, L"Right Win"},
    {0x5D, L"Apps"},
    {0x5F, L"Sleep"},
    {0x6A, L"*"},
    {0x6B, L"+"},
    {0x6C, L"Separator"},
    {0x6D, L"-"},
    {0x6E, L"."},
    {0x6F, L"/"},
    {0x90, L"Numlock"},
    {0x91, L"Scroll"},
    {0x92, L"NEC Equal"},
    {0x93, L"Masshou"},
    {0x94, L"Touroku"},
    {0x95, L"Loya"},
    {0x96, L"Roya"},
    {0xA0, L"Left Shift"},
    {0xA1, L"Right Shift"},
    {0xA2, L"Left Control"},
    {0xA3, L"Right Control"},
    {0xA4, L"Left Menu"},
    {0xA5, L"Right Menu"},
    {0xA6, L"Browser Back"},
    {0xA7, L"Browser Forward"},
    {0xA8, L"Browser Refresh"},
    {0xA9, L"Browser Stop"},
    {0xAA, L"Browser Search"},
    {0xAB, L"Browser Favorites"},
    {0xAC, L"Browser Home"},
    {0xAD, L"Volume Mute"},
    {0xAE, L"Volume Down"},
    {0xAF, L"Volume Up"},
    {0xB0, L"Media Next Track"},
    {0xB1, L"Media Prev Track"},
    {0xB2, L"Media Stop"},
    {0xB3, L"Media Play Pause"},
    {0xB4, L"Launch Mail"},
    {0xB5, L"Launch Media Select"},
    {0xB6, L"Launch App 1"},
    {0xB7, L"Launch App 2"},
};

// By virtual key; filled once, never changed. A key that several names share has one text.
const std::map<int, WString>& GetKeyTextTable()
{
    static const std::map<int, WString> table = []
    {
        std::map<int, WString> texts;
        for (const KeyText& entry : kKeyTexts)
        {
            texts.emplace(entry.virtualKey, WString(entry.text));
        }
        for (int key = 0x30; key <= 0x39; ++key)
        {
            texts.emplace(key, WString(static_cast<wchar_t>(key)));
        }
        for (int key = 0x41; key <= 0x5A; ++key)
        {
            texts.emplace(key, WString(static_cast<wchar_t>(key)));
        }
        for (int key = 0x60; key <= 0x69; ++key)
        {
            texts.emplace(key, WString::CreateFormatted(L"Numpad %d", key - 0x60));
        }
        for (int key = 0x70; key <= 0x87; ++key)
        {
            texts.emplace(key, WString::CreateFormatted(L"F%d", key - 0x6F));
        }
        return texts;
    }();
    return table;
}

// Ordered by name (ordinal order of the characters); filled once, never changed.
const std::map<WString, int>& GetKeyNameTable()
{
    static const std::map<WString, int> table = []
    {
        std::map<WString, int> names;
        for (const KeyName& entry : kKeyNames)
        {
            names.emplace(WString(entry.name), entry.virtualKey);
        }
        return names;
    }();
    return table;
}
} // namespace

int GetVirtualKeyFromName(const WString& name)
{
    const std::map<WString, int>& table = GetKeyNameTable();
    const auto entry = table.find(name);
    return entry == table.end() ? 0 : entry->second;
}

WString GetVirtualKeyText(int virtualKey)
{
    const std::map<int, WString>& table = GetKeyTextTable();
    const auto entry = table.find(virtualKey);
    return entry == table.end() ? WString() : entry->second;
}

unsigned int GetVirtualKeyNameCount()
{
    return static_cast<unsigned int>(std::size(kKeyNames));
}

unsigned int GetVirtualKeyTextCount()
{
    return static_cast<unsigned int>(GetKeyTextTable().size());
}

WString GetVirtualKeyName(int virtualKey)
{
    for (const auto& [name, key] : GetKeyNameTable())
    {
        if (key == virtualKey)
        {
            return name;
        }
    }
    return WString();
}
} // namespace Orv
