#include "MidiTestSupport.h"

#include <string>

using Orv::LMidiComm;
using Orv::WString;
using Orv::WStringArray;

namespace
{
WStringArray Names(std::initializer_list<const wchar_t*> list)
{
    WStringArray names;
    for (const wchar_t* name : list)
    {
        names.AddItem(WString(name));
    }
    return names;
}

std::vector<std::wstring> Texts(const WStringArray& names)
{
    std::vector<std::wstring> texts;
    for (unsigned int i = 0; i < names.GetCount(); ++i)
    {
        texts.emplace_back(names.GetConstElementPointer(i).GetBuffer());
    }
    return texts;
}
} // namespace

TEST(MidiPortNames, MadeUniqueGroupedInTheOrderOfFirstAppearance)
{
    WStringArray names = Names({L"Synth", L"Pad", L"Synth", L"Keys", L"Synth", L"Pad", L"synth"});
    LMidiComm::MakePortNamesUnique(names);
    EXPECT_EQ(Texts(names), (std::vector<std::wstring>{L"Synth (1)", L"Synth (2)", L"Synth (3)",
                                                       L"Pad (1)", L"Pad (2)", L"Keys", L"synth"}));
    WStringArray empty;
    LMidiComm::MakePortNamesUnique(empty);
    EXPECT_EQ(empty.GetCount(), 0u);
}

TEST(MidiPortNames, SplitIntoBaseAndOrdinal)
{
    struct Row
    {
        const wchar_t* name;
        const wchar_t* base;
        int ordinal;
    };
    const Row rows[] = {
        {L"Synth (1)", L"Synth", 0},
        {L"Synth (2)", L"Synth", 1},
        {L"Synth (12)", L"Synth", 11},
        // The character before the parenthesis is not looked at.
        {L"Synth-(3)", L"Synth", 2},
        {L" (4)", L"", 3},
        {L"(4)", L"(4)", 0},
        // Not a number: no device is selected.
        {L"Synth (x)", L"Synth", -1},
        {L"Synth", L"Synth", 0},
        {L"Synth (123)", L"Synth (123)", 0},
        {L"Synth 2)", L"Synth 2)", 0},
        {L"", L"", 0},
    };
    for (const Row& row : rows)
    {
        WString base(L"unchanged");
        int ordinal = 99;
        LMidiComm::SplitPortName(WString(row.name), base, ordinal);
        EXPECT_STREQ(base.GetBuffer(), row.base) << row.name;
        EXPECT_EQ(ordinal, row.ordinal) << row.name;
    }
}

TEST(MidiPortNames, AnEqualNameWinsOverNamesThatContainTheText)
{
    const WStringArray names = Names({L"USB Halvex DJ Brelune VANTA", L"Halvex DJ Brelune VANTA WD",
                                      L"HALVEX dj brelune vanta", L"Keys"});
    struct Row
    {
        const wchar_t* text;
        int count;
        int index;
    };
    const Row rows[] = {
        // Equal ignoring case, after two containing names: one match, that one.
        {L"Halvex DJ Brelune VANTA", 1, 2},
        {L"halvex dj brelune vanta wd", 1, 1},
        // Contained in three names, equal to none.
        {L"Brelune", 3, 0},
        {L"USB", 1, 0},
        {L"Drums", 0, -1},
        {L"keys", 1, 3},
    };
    for (const Row& row : rows)
    {
        int index = 42;
        EXPECT_EQ(LMidiComm::CountNameMatches(names, WString(row.text), index), row.count)
            << row.text;
        EXPECT_EQ(index, row.index) << row.text;
    }
}

TEST(MidiPortNames, AnOpenedNameSelectsTheDeviceWhoseNameItEnds)
{
    EXPECT_TRUE(LMidiComm::DeviceQualifies(WString(L"Halvex DJ Brelune VANTA"),
                                           WString(L"halvex dj brelune vanta")));
    EXPECT_TRUE(LMidiComm::DeviceQualifies(WString(L"USB Halvex DJ Brelune VANTA"),
                                           WString(L"Halvex DJ Brelune VANTA")));
    EXPECT_FALSE(LMidiComm::DeviceQualifies(WString(L"Halvex DJ Brelune VANTA WD"),
                                            WString(L"Halvex DJ Brelune VANTA")));
    // Only the first occurrence counts.
    EXPECT_FALSE(LMidiComm::DeviceQualifies(WString(L"AB AB"), WString(L"AB")));
}

TEST(MidiPortNames, APortOpensTheDeviceOfItsVeryNameBeforeOnesWhoseNameEndsWithIt)
{
    const WStringArray devices =
        Names({L"USB Synth", L"Synth", L"Keys", L"", L"synth", L"2- Halvex DJ Brelune VANTA",
               L"1- Halvex DJ Brelune VANTA"});
    struct Row
    {
        const wchar_t* port;
        int device;
    };
    const Row rows[] = {
        {L"Synth", 1},
        {L"Synth (1)", 1},
        {L"SYNTH (2)", 4},
        {L"Synth (3)", -1},
        // No device of that very name: the ones whose name ends with it, in device-id order.
        {L"Halvex DJ Brelune VANTA", 5},
        {L"Halvex DJ Brelune VANTA (2)", 6},
        {L"Halvex DJ Brelune VANTA (3)", -1},
        {L"ynth", 0},
        {L"ynth (3)", 4},
        {L"Drums", -1},
        {L"Synth (x)", -1},
    };
    for (const Row& row : rows)
    {
        EXPECT_EQ(LMidiComm::SelectDevice(devices, WString(row.port)), row.device) << row.port;
    }
}

TEST(MidiPortNames, MessageLengthByTheFirstByte)
{
    struct Row
    {
        unsigned int from;
        unsigned int to;
        unsigned int length;
    };
    const Row rows[] = {
        {0x00, 0x7F, 1}, {0x80, 0xBF, 3}, {0xC0, 0xDF, 2}, {0xE0, 0xEF, 3},
        {0xF0, 0xF0, 0}, {0xF1, 0xF1, 2}, {0xF2, 0xF2, 3}, {0xF3, 0xF5, 2},
        {0xF6, 0xF6, 1}, {0xF7, 0xF7, 0}, {0xF8, 0xFF, 1},
    };
    for (const Row& row : rows)
    {
        for (unsigned int status = row.from; status <= row.to; ++status)
        {
            EXPECT_EQ(Orv::LMidiRenderPort::MessageLength(static_cast<unsigned char>(status)),
                      row.length)
                << std::hex << status;
        }
    }
}
