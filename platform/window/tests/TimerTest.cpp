#include "WindowTestSupport.h"

using namespace OrvTest;

namespace
{
std::vector<UINT_PTR> gProcedureCalls;
void CALLBACK CountTimer(HWND, UINT, UINT_PTR id, DWORD)
{
    gProcedureCalls.push_back(id);
}

class WindowTimer : public ::testing::Test
{
protected:
    void SetUp() override { OrvPlatform::Window::SetTimerClock(&TestClock::Read); }
    void TearDown() override { OrvPlatform::Window::SetTimerClock(nullptr); }

    static std::vector<UINT_PTR> Fired(Recorder& recorder)
    {
        recorder.messages.clear();
        PumpAll();
        std::vector<UINT_PTR> ids;
        for (const Received& r : recorder.Of(WM_TIMER))
        {
            ids.push_back(r.wParam);
        }
        return ids;
    }
};
} // namespace

TEST_F(WindowTimer, FiresWhenDueOncePerLatenessAndStopsWhenKilled)
{
    Recorder recorder;
    HWND window = MakeWindow(recorder);
    ASSERT_EQ(SetTimer(window, 1, 33, nullptr), 1u);
    EXPECT_TRUE(Fired(recorder).empty());
    TestClock::now += 32;
    EXPECT_TRUE(Fired(recorder).empty());
    TestClock::now += 1;
    EXPECT_EQ(Fired(recorder), (std::vector<UINT_PTR>{1}));
    EXPECT_TRUE(Fired(recorder).empty());
    // Late by many periods: one message, and the next period counts from now.
    TestClock::now += 1000;
    EXPECT_EQ(Fired(recorder), (std::vector<UINT_PTR>{1}));
    TestClock::now += 32;
    EXPECT_TRUE(Fired(recorder).empty());
    // Restarting with the same id replaces the timer.
    SetTimer(window, 1, 500, nullptr);
    TestClock::now += 100;
    EXPECT_TRUE(Fired(recorder).empty());
    EXPECT_TRUE(KillTimer(window, 1));
    TestClock::now += 1000;
    EXPECT_TRUE(Fired(recorder).empty());
    EXPECT_FALSE(KillTimer(window, 1));
    DestroyWindow(window);
}

TEST_F(WindowTimer, ElapseIsClampedAndTheClockWraps)
{
    Recorder recorder;
    HWND window = MakeWindow(recorder);
    TestClock::now = 0xFFFFFFF0u;
    SetTimer(window, 2, 1, nullptr);
    TestClock::now += 9;
    EXPECT_TRUE(Fired(recorder).empty());
    TestClock::now += 1;
    EXPECT_EQ(Fired(recorder), (std::vector<UINT_PTR>{2}));
    TestClock::now = 1000;
    DestroyWindow(window);
}

TEST_F(WindowTimer, ThreadTimersWithAProcedureAndTimersDieWithTheirWindow)
{
    gProcedureCalls.clear();
    const UINT_PTR id = SetTimer(nullptr, 0, 50, &CountTimer);
    ASSERT_NE(id, 0u);
    TestClock::now += 50;
    PumpAll();
    EXPECT_EQ(gProcedureCalls, (std::vector<UINT_PTR>{id}));
    EXPECT_TRUE(KillTimer(nullptr, id));

    Recorder recorder;
    HWND window = MakeWindow(recorder);
    SetTimer(window, 3, 10, nullptr);
    DestroyWindow(window);
    EXPECT_FALSE(KillTimer(window, 3));
    EXPECT_EQ(SetTimer(window, 3, 10, nullptr), 0u);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
}
