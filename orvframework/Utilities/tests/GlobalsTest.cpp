#include "Utilities/Globals.h"

#include "Utilities/Debug/DebugOutput.h"
#include "Utilities/GlobalsOrder.h"

#include "LoopbackReceiver.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

using Orv::NString;
using Orv::WString;

namespace
{
// What a plain global of this file sees while it is made, before main (after every start-up).
struct SeenBeforeMain
{
    SeenBeforeMain()
        : emptyWideBuffer(Orv::GetEmptyWString().GetBuffer())
        , emptyNarrowBuffer(Orv::GetEmptyNString().GetBuffer())
        , defaultWideBuffer(WString().GetBuffer())
        , defaultNarrowBuffer(NString().GetBuffer())
        , debugOutput(&Orv::GetDebugOutput())
    {
    }

    const wchar_t* emptyWideBuffer;
    const char* emptyNarrowBuffer;
    const wchar_t* defaultWideBuffer;
    const char* defaultNarrowBuffer;
    Orv::DebugOutput* debugOutput;
};
const SeenBeforeMain gSeenBeforeMain;

std::string Narrow(const WString& text)
{
    const NString narrow = text.ToNarrow();
    return narrow.GetBuffer();
}
} // namespace

TEST(Globals, ExistBeforeMainWithTheirValues)
{
    EXPECT_EQ(gSeenBeforeMain.debugOutput, &Orv::GetDebugOutput());
    EXPECT_EQ(Narrow(Orv::GetOneSpaceString()), " ");

    const Orv::CursorNames& cursors = Orv::GetCursorNames();
    const WString* const inOrder[] = {
        &cursors.appStarting, &cursors.arrow,    &cursors.cross,    &cursors.arrowSecond,
        &cursors.dropCopy,    &cursors.dropMove, &cursors.hand,     &cursors.help,
        &cursors.iBeam,       &cursors.mag,      &cursors.magMinus, &cursors.magPlus,
        &cursors.noDrop,      &cursors.rotate,   &cursors.sizeAll,  &cursors.sizeNesw,
        &cursors.sizeNs,      &cursors.sizeNwse, &cursors.sizeWe,   &cursors.splitH,
        &cursors.splitV,      &cursors.upArrow,  &cursors.wait,
    };
    const char* const expected[] = {
        "UI_CURSOR_APP_STARTING", "UI_CURSOR_ARROW",     "UI_CURSOR_CROSS",
        "UI_CURSOR_ARROW",        "UI_CURSOR_DROP_COPY", "UI_CURSOR_DROP_MOVE",
        "UI_CURSOR_HAND",         "UI_CURSOR_HELP",      "UI_CURSOR_IBEAM",
        "UI_CURSOR_MAG",          "UI_CURSOR_MAG_MINUS", "UI_CURSOR_MAG_PLUS",
        "UI_CURSOR_NO_DROP",      "UI_CURSOR_ROTATE",    "UI_CURSOR_SIZE_ALL",
        "UI_CURSOR_SIZE_NESW",    "UI_CURSOR_SIZE_NS",   "UI_CURSOR_SIZE_NWSE",
        "UI_CURSOR_SIZE_WE",      "UI_CURSOR_SPLIT_H",   "UI_CURSOR_SPLIT_V",
        "UI_CURSOR_UP_ARROW",     "UI_CURSOR_WAIT",
    };
    static_assert(std::size(inOrder) == std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i)
    {
        EXPECT_EQ(Narrow(*inOrder[i]), expected[i]) << i;
    }
    // The two arrows are separate strings.
    EXPECT_NE(cursors.arrow.GetBuffer(), cursors.arrowSecond.GetBuffer());
}

TEST(Globals, EmptyStringsShareTheBufferOfEveryEmptyString)
{
    // Already before main.
    EXPECT_EQ(gSeenBeforeMain.emptyWideBuffer, gSeenBeforeMain.defaultWideBuffer);
    EXPECT_EQ(gSeenBeforeMain.emptyNarrowBuffer, gSeenBeforeMain.defaultNarrowBuffer);
    EXPECT_EQ(gSeenBeforeMain.emptyWideBuffer, Orv::GetEmptyWString().GetBuffer());
    EXPECT_TRUE(Orv::GetEmptyWString().IsEmpty());
    EXPECT_TRUE(Orv::GetEmptyNString().IsEmpty());

    // Strings that become empty take the same buffer.
    WString cleared(L"text");
    cleared.Clear();
    EXPECT_EQ(cleared.GetBuffer(), Orv::GetEmptyWString().GetBuffer());
    NString unlocked;
    ASSERT_NE(unlocked.Lock(16), nullptr);
    unlocked.Unlock();
    EXPECT_EQ(unlocked.GetBuffer(), Orv::GetEmptyNString().GetBuffer());
}

namespace
{
// The order in which this program's start-ups ran.
std::vector<int>& StartupRows()
{
    static std::vector<int> rows;
    return rows;
}

template <int Row>
struct RecordedStartup
{
    RecordedStartup() { StartupRows().push_back(Row); }
};
// Declared latest row first: the start-ups still run in the order of their rows.
ORV_GLOBALS_STARTUP(Orv::kGlobalsRowFontLists, 9) const RecordedStartup<19> gRow19Startup;
ORV_GLOBALS_STARTUP(Orv::kGlobalsRowDebugOutput, 9) const RecordedStartup<13> gRow13Startup;
ORV_GLOBALS_STARTUP(Orv::kGlobalsRowApplicationPointers, 0) const RecordedStartup<1> gRow1Startup;
const RecordedStartup<0> gPlainGlobal;

// Made after the debug output, so destroyed before it: what it writes at exit is still sent.
bool gWriteAtExit = false;
struct WritesAtExit
{
    ~WritesAtExit()
    {
        if (gWriteAtExit)
        {
            Orv::GetDebugOutput().Narrow() << ", and by a later row's global" << std::flush;
        }
    }
};
ORV_GLOBALS_STARTUP(Orv::kGlobalsRowCursorNames, 9) const WritesAtExit gWritesAtExit;
} // namespace

TEST(Globals, StartUpsRunInTheOrderOfTheirRowsBeforeOtherGlobals)
{
    EXPECT_EQ(StartupRows(), (std::vector<int>{1, 13, 19, 0}));
}

TEST(GlobalsDeathTest, TheDebugOutputOutlivesLaterExitHandlersAndHandsOnItsTextAtExit)
{
    OrvTest::LoopbackReceiver receiver;
    const int port = receiver.GetPort();
    EXPECT_EXIT(
        {
            Orv::GetDebugOutput().SetUdpTarget("127.0.0.1", port);
            Orv::GetDebugOutput().Narrow() << "written before exit";
            gWriteAtExit = true;
            // Registered after the globals were made, so it runs before they are destroyed.
            std::atexit([] { Orv::GetDebugOutput().Narrow() << ", and by an exit handler"; });
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(
        receiver.ReceiveAll(),
        (std::vector<std::string>{"*** APPLICATION Launched on ", "127.0.0.1", "***\n",
                                  "written before exit, and by an exit handler, and by a later "
                                  "row's global"}));
}
