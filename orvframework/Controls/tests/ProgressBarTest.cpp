// The progress bar of a window in a root window (SDL's offscreen driver), on
// the application's clock: the overlay's width and the percentage for a table
// of values; the remaining time worded for a table of second counts; the
// estimate for a table of rates, singular and plural words, a tiny rate
// clamped, the end at 1; the unit words in every language of the framework's
// table; a progress bar whose skin gives no children.
#include "ControlsFixture.h"

#include "Controls/ProgressBar.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

using namespace Orv;
using namespace OrvTest;

namespace
{
class ProgressBarTest : public ControlsFixture
{
protected:
    ProgressBarTest()
        : ControlsFixture("ProgressBarSkin.xml")
    {
    }

    void SetUp() override
    {
        mMain = MakeMainWindow();
        ASSERT_TRUE(mMain);
        mBar = Bar(L"progressBar");
        ASSERT_TRUE(mBar);
        ASSERT_TRUE(mBar->GetActiveOverlay());
        ASSERT_TRUE(mBar->GetPercentCompleteLabel());
        ASSERT_TRUE(mBar->GetTimeRemainingLabel());
    }

    void TearDown() override { mBar = nullptr; }

    RCPtr<LProgressBar> Bar(const wchar_t* name) const
    {
        return DynamicCast<LProgressBar>(mMain->GetRootControl()->FindChildControl(WString(name)));
    }
    std::wstring TimeText() const { return mBar->GetTimeRemainingLabel()->GetText().GetBuffer(); }
    std::wstring PercentText() const
    {
        return mBar->GetPercentCompleteLabel()->GetText().GetBuffer();
    }
    void Advance(double seconds)
    {
        mApplication->GetClock()->Advance(static_cast<DWORD>(seconds * 1000.0));
    }

    RCPtr<LRootWindow> mMain;
    RCPtr<LProgressBar> mBar;
};
} // namespace

TEST_F(ProgressBarTest, AfterCreationTheBarShowsNothingDone)
{
    EXPECT_EQ(mBar->GetValue(), 0.0);
    EXPECT_EQ(mBar->GetMaximum(), 100.0);
    EXPECT_FALSE(mBar->GetActiveOverlay()->IsVisible(false));
    EXPECT_EQ(PercentText(), L"0");
    EXPECT_FALSE(mBar->GetTimeRemainingLabel()->IsVisible(false));
    EXPECT_TRUE(mBar->IsNotFocusable(false));
    EXPECT_FALSE(mBar->IsEstimating());
}

TEST_F(ProgressBarTest, TheOverlayAndThePercentageFollowTheValue)
{
    struct Row
    {
        double value;
        bool overlayShown;
        double overlayWidth;
        const wchar_t* percent;
    };
    const Row rows[] = {
        // 360 pixels wide: 0.004 gives round(1.44) = 1 pixel, 0.001 none.
        {0.004, true, 1, L"0"},
        {0.001, false, 0, L"0"},
        {0.5, true, 180, L"50"},
        {0.333, true, 120, L"33"},
        // The percentage is rounded as printf rounds: 12.5 gives "12".
        {0.125, true, 45, L"12"},
        {0.996, true, 359, L"100"},
        {1.0, true, 360, L"100"},
        {0.0, false, 0, L"0"},
        // Outside 0..1 the value is clamped.
        {1.5, true, 360, L"100"},
        {-2, false, 0, L"0"},
    };
    for (const Row& row : rows)
    {
        mBar->SetValue(row.value);
        const RCPtr<LPanel>& overlay = mBar->GetActiveOverlay();
        EXPECT_EQ(overlay->IsVisible(false), row.overlayShown) << row.value;
        if (row.overlayShown)
        {
            EXPECT_EQ(overlay->GetRect().width, row.overlayWidth) << row.value;
            // Anchored where the skin placed it.
            EXPECT_EQ(overlay->GetRect().x, 0.0) << row.value;
            EXPECT_EQ(overlay->GetRect().height, 24.0) << row.value;
        }
        EXPECT_EQ(PercentText(), row.percent) << row.value;
    }
    // The time label stays hidden while nothing estimates.
    EXPECT_FALSE(mBar->GetTimeRemainingLabel()->IsVisible(false));
}

TEST_F(ProgressBarTest, TheRemainingTimeIsWordedWithSingularAndPluralUnits)
{
    struct Row
    {
        int seconds;
        const wchar_t* text;
    };
    const Row rows[] = {
        {65, L"1 Minute 5 Seconds Remaining"},
        {3600, L"1 Hour 0 Minutes 0 Seconds Remaining"},
        {7322, L"2 Hours 2 Minutes 2 Seconds Remaining"},
        {1, L"1 Second Remaining"},
        {0, L"0 Seconds Remaining"},
        {-5, L"0 Seconds Remaining"},
        {61, L"1 Minute 1 Second Remaining"},
        {120, L"2 Minutes 0 Seconds Remaining"},
        {3661, L"1 Hour 1 Minute 1 Second Remaining"},
        {7260, L"2 Hours 1 Minute 0 Seconds Remaining"},
        {INT_MAX, L"596523 Hours 14 Minutes 7 Seconds Remaining"},
    };
    for (const Row& row : rows)
    {
        mBar->SetTimeRemaining(row.seconds);
        EXPECT_EQ(TimeText(), row.text) << row.seconds;
    }
    EXPECT_TRUE(mBar->GetTimeRemainingLabel()->IsVisible(false));
}

TEST_F(ProgressBarTest, TheEstimateTakesTheRateSinceItWasSwitchedOn)
{
    struct Step
    {
        double seconds; // clock advance before the value is set
        double value;
        const wchar_t* text; // the time text afterwards; null: the label still hidden
    };
    struct Scenario
    {
        const char* name;
        double startValue;
        std::vector<Step> steps;
    };
    const Scenario scenarios[] = {
        {"a quarter in 10 s from the middle", 0.5, {{10, 0.75, L"10 Seconds Remaining"}}},
        {"singular second", 0, {{1, 0.5, L"1 Second Remaining"}}},
        {"minutes and seconds", 0, {{65, 0.5, L"1 Minute 5 Seconds Remaining"}}},
        {"hours", 0, {{40, 0.01, L"1 Hour 6 Minutes 0 Seconds Remaining"}}},
        // A rate so small that the time would not fit an int: clamped.
        {"tiny rate", 0, {{10, 1e-9, L"596523 Hours 14 Minutes 7 Seconds Remaining"}}},
        // No text while the value has not grown beyond the sample or the clock
        // has not moved.
        {"no clock, no growth", 0.5, {{0, 0.6, nullptr}, {5, 0.4, nullptr}}},
        // The rate is over the whole time; the sample gates only.
        {"whole time",
         0,
         {{2, 0.1, L"18 Seconds Remaining"},
          {0.5, 0.2, L"10 Seconds Remaining"},
          {0.5, 0.3, L"7 Seconds Remaining"}}},
        // At 1 the estimate ends with "0 Seconds" and the last text stays.
        {"the end",
         0,
         {{10, 0.5, L"10 Seconds Remaining"},
          {10, 1.0, L"0 Seconds Remaining"},
          {10, 0.5, L"0 Seconds Remaining"},
          {10, 0.9, L"0 Seconds Remaining"}}},
    };
    for (const Scenario& scenario : scenarios)
    {
        SCOPED_TRACE(scenario.name);
        mBar->SetTimeEstimation(false);
        mBar->SetValue(scenario.startValue);
        mBar->GetTimeRemainingLabel()->SetVisible(false);
        mBar->GetTimeRemainingLabel()->SetText(WString());
        mBar->SetTimeEstimation(true);
        EXPECT_TRUE(mBar->IsEstimating());
        for (const Step& step : scenario.steps)
        {
            Advance(step.seconds);
            mBar->SetValue(step.value);
            if (step.text == nullptr)
            {
                EXPECT_FALSE(mBar->GetTimeRemainingLabel()->IsVisible(false)) << step.value;
            }
            else
            {
                EXPECT_TRUE(mBar->GetTimeRemainingLabel()->IsVisible(false)) << step.value;
                EXPECT_EQ(TimeText(), step.text) << step.value;
            }
        }
    }
    // The last scenario reached 1: the estimation switched itself off.
    EXPECT_FALSE(mBar->IsEstimating());
}

TEST_F(ProgressBarTest, ABarWithoutItsChildrenStillKeepsItsValue)
{
    const RCPtr<LProgressBar> bare = Bar(L"bareProgress");
    ASSERT_TRUE(bare);
    EXPECT_FALSE(bare->GetActiveOverlay());
    EXPECT_FALSE(bare->GetPercentCompleteLabel());
    EXPECT_FALSE(bare->GetTimeRemainingLabel());
    bare->SetTimeEstimation(true);
    Advance(2);
    EXPECT_EQ(bare->SetValue(0.5), 0.5);
    bare->SetTimeRemaining(65);
    Advance(2);
    EXPECT_EQ(bare->SetValue(1.0), 1.0);
    EXPECT_FALSE(bare->IsEstimating());
}

TEST(ProgressBarWords, EveryLanguageOfTheFrameworkTableHasTheUnitWords)
{
    struct Row
    {
        int language;
        const wchar_t* hour;
        const wchar_t* seconds;
    };
    const Row rows[] = {
        {0x0009, L"Hour", L"Seconds"},    {0x000A, L"Hora", L"Segundos"},
        {0x0007, L"Stunde", L"Sekunden"}, {0x0011, L"時間", L"秒"},
        {0x000C, L"Heure", L"Secondes"},  {0x0010, L"Ora", L"Secondi"},
        {0x0012, L"시간", L"초"},         {0x7C04, L"小時", L"秒"},
        {0x0004, L"小时", L"秒"},
    };
    for (const Row& row : rows)
    {
        const RCPtr<LControlFactory> factory(new LControlFactory(WString(L"TestApp")));
        // No application document: the framework's texts are read in the language itself.
        factory->LoadStringTables(WString(L"::NO_APPLICATION_STRINGS"),
                                  WString(L"::FRAMEWORK_STRINGS"), row.language);
        RCPtr<LStringTable> table;
        factory->GetFrameworkStringTable(table);
        ASSERT_TRUE(table) << row.language;
        for (const wchar_t* id :
             {L"HOURS_SINGULAR", L"HOURS_PLURAL", L"MINUTES_SINGULAR", L"MINUTES_PLURAL",
              L"SECONDS_SINGULAR", L"SECONDS_PLURAL", L"REMAINING"})
        {
            WString text;
            EXPECT_TRUE(table->Lookup(id, text))
                << row.language << " " << WString(id).ToNarrow().GetBuffer();
            EXPECT_FALSE(text.IsEmpty()) << row.language;
        }
        WString hour;
        WString seconds;
        table->Lookup(L"HOURS_SINGULAR", hour);
        table->Lookup(L"SECONDS_PLURAL", seconds);
        EXPECT_EQ(hour, WString(row.hour)) << row.language;
        EXPECT_EQ(seconds, WString(row.seconds)) << row.language;
    }
}
