// Level meters made by the factory from LevelMeterSkin.xml in a root window (SDL's offscreen
// driver), with clicks and idle passes on the application's manual clock: the overlay's extent
// for a table of levels on a horizontal and a vertical meter, the peak marker, the clip light with
// and without latching, and meters whose skin lacks parts.
//
// The window (400 x 300) holds "meter" (10, 10, 200 x 30) with its overlay, the peak range 0 to
// 180 and the clip light along its bottom (window y 30 to 40); "vmeter" (250, 10, 20 x 200) with
// only an overlay; "halfPeak" with "peakLo" but no "peakHi"; "bareMeter" without children.
#include "ControlWindowFixture.h"
#include "TestControls.h"

#include "Controls/LevelMeter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

using namespace Orv;
using namespace OrvTest;

namespace
{
const wchar_t* const kUnlatched = L"NID_CLIPLIGHT_UNLATCHED";

class LevelMeterTest : public ControlWindowFixture
{
public:
    LevelMeterTest()
        : ControlWindowFixture("LevelMeterSkin.xml")
    {
    }

    void SetUp() override
    {
        ControlWindowFixture::SetUp();
        mMeter = Meter("meter");
        ASSERT_TRUE(mMeter);
        ASSERT_TRUE(mMeter->GetOverlay());
        ASSERT_TRUE(mMeter->GetPeakMarker());
        ASSERT_TRUE(mMeter->GetClipButton());
        mRecorder->RegisterNotification(RCPtr<LNotificationDistributor>(mMeter.Get()), kUnlatched);
    }

    RCPtr<LLevelMeter> Meter(const std::string& name) const
    {
        return RCPtr<LLevelMeter>(
            dynamic_cast<LLevelMeter*>(FindControl(mMain->GetRootControl().Get(), name)));
    }
    void ClickClipLight() { Click(110, 35); }

    RCPtr<LLevelMeter> mMeter;
};
} // namespace

TEST_F(LevelMeterTest, AfterCreationThePartsAreHiddenAndNothingTakesTheFocus)
{
    const RCPtr<LLevelMeter> vertical = Meter("vmeter");
    ASSERT_TRUE(vertical);
    EXPECT_FALSE(mMeter->IsVertical());
    EXPECT_TRUE(vertical->IsVertical());
    for (const RCPtr<LLevelMeter>& meter : {mMeter, vertical})
    {
        EXPECT_EQ(meter->GetValue(), 0.0);
        EXPECT_TRUE(meter->IsNotFocusable(false));
        EXPECT_TRUE(meter->GetOverlay()->IsNotFocusable(false));
        // The overlay shows the meter's tool tip.
        EXPECT_TRUE(meter->GetOverlay()->UsesParentToolTip());
    }
    // At level 0 the vertical meter's overlay covers it all.
    EXPECT_FALSE(mMeter->GetOverlay()->IsVisible(false));
    EXPECT_TRUE(vertical->GetOverlay()->IsVisible(false));
    EXPECT_EQ(vertical->GetOverlay()->GetRect().height, 200.0);
    EXPECT_FALSE(mMeter->GetPeakMarker()->IsVisible(false));
    EXPECT_TRUE(mMeter->GetPeakMarker()->UsesParentToolTip());
    EXPECT_FALSE(FindControl(mMeter.Get(), "peakHi")->IsVisible(false));
    EXPECT_TRUE(mMeter->GetClipButton()->IsNotFocusable(false));
    EXPECT_FALSE(mMeter->IsClipLit());
    EXPECT_EQ(mMeter->GetClipCount(), 0);
}

TEST_F(LevelMeterTest, TheOverlayFollowsTheLevel)
{
    const RCPtr<LLevelMeter> vertical = Meter("vmeter");
    struct Row
    {
        double level;
        bool shown; // horizontal: the overlay is the lit part from the left
        double width;
        bool vShown; // vertical: the overlay covers the part above the level
        double vHeight;
    };
    const Row rows[] = {
        {0.5, true, 100, true, 100},
        {0.25, true, 50, true, 150},
        {1.0, true, 200, false, 0},
        {0.0, false, 0, true, 200},
        // Rounded half away from zero: 0.0025 x 200 = 0.5 gives 1 pixel, 0.002 none.
        {0.0025, true, 1, true, 200},
        {0.002, false, 0, true, 200},
        {0.995, true, 199, true, 1},
        {0.998, true, 200, false, 0},
        // Outside 0..1 the level is clamped.
        {1.7, true, 200, false, 0},
        {-0.5, false, 0, true, 200},
    };
    for (const Row& row : rows)
    {
        EXPECT_EQ(mMeter->SetLevels(row.level, 0), S_OK);
        EXPECT_EQ(vertical->SetLevels(row.level, 0), S_OK);
        const RCPtr<LPanel>& overlay = mMeter->GetOverlay();
        const RCPtr<LPanel>& vOverlay = vertical->GetOverlay();
        EXPECT_EQ(overlay->IsVisible(false), row.shown) << row.level;
        EXPECT_EQ(vOverlay->IsVisible(false), row.vShown) << row.level;
        if (row.shown)
        {
            EXPECT_EQ(overlay->GetRect(), RectT<double>(0, 0, row.width, 20)) << row.level;
        }
        if (row.vShown)
        {
            EXPECT_EQ(vOverlay->GetRect(), RectT<double>(0, 0, 20, row.vHeight)) << row.level;
        }
    }
    // A value set from outside is shown the same way.
    mMeter->SetValue(0.3);
    EXPECT_EQ(mMeter->GetOverlay()->GetRect().width, 60.0);
    // A level that is not a number leaves the meter as it was.
    EXPECT_EQ(mMeter->SetLevels(std::nan(""), 0), S_OK);
    EXPECT_EQ(mMeter->GetValue(), 0.3);
    EXPECT_EQ(mMeter->GetOverlay()->GetRect().width, 60.0);
}

TEST_F(LevelMeterTest, ThePeakMarkerMovesAlongItsRange)
{
    struct Row
    {
        double peak;
        bool shown;
        double x;
    };
    // The range is 180 pixels: from "peakLo" at 0 to "peakHi" at 180.
    const Row rows[] = {{0.5, true, 90}, {1.0, true, 180},  {0.25, true, 45},
                        {0.0, false, 0}, {0.002, false, 0}, {0.003, true, 1}};
    for (const Row& row : rows)
    {
        mMeter->SetLevels(0.4, row.peak);
        const RCPtr<LPanel>& marker = mMeter->GetPeakMarker();
        EXPECT_EQ(marker->IsVisible(false), row.shown) << row.peak;
        if (row.shown)
        {
            EXPECT_EQ(marker->GetRect(), RectT<double>(row.x, 0, 4, 20)) << row.peak;
        }
    }
    // A value set from outside has no peak.
    mMeter->SetValue(0.9);
    EXPECT_FALSE(mMeter->GetPeakMarker()->IsVisible(false));

    // Without "peakHi" there is no marker at all.
    const RCPtr<LLevelMeter> halfPeak = Meter("halfPeak");
    ASSERT_TRUE(halfPeak);
    EXPECT_FALSE(halfPeak->GetPeakMarker());
    halfPeak->SetLevels(0.5, 0.5);
    EXPECT_FALSE(FindControl(halfPeak.Get(), "peakLo")->IsVisible(false));
    EXPECT_EQ(halfPeak->GetOverlay()->GetRect().width, 100.0);
}

TEST_F(LevelMeterTest, TheClipLightFollowsTheCounterAndLatchesUntilClicked)
{
    struct Step
    {
        const char* what;
        std::function<void(LevelMeterTest&)> act;
        bool lit;
        int unlatched; // "NID_CLIPLIGHT_UNLATCHED" so far
    };
    const Step steps[] = {
        {"a new counter lights it", [](LevelMeterTest& t) { t.mMeter->SetLevel(0.5, 0, 1); }, true,
         0},
        {"the same counter again puts it out",
         [](LevelMeterTest& t) { t.mMeter->SetLevel(0.6, 0, 1); }, false, 0},
        {"a value alone never lights it", [](LevelMeterTest& t) { t.mMeter->SetValue(0.7); }, false,
         0},
        {"lit again", [](LevelMeterTest& t) { t.mMeter->SetLevels(0.2, 0); }, false, 0},
        {"a changed counter", [](LevelMeterTest& t) { t.mMeter->SetLevel(0.2, 0, 2); }, true, 0},
        {"a value passes the stored counter: out",
         [](LevelMeterTest& t) { t.mMeter->SetValue(0.8); }, false, 0},
        {"a click on the unlatched light does nothing",
         [](LevelMeterTest& t)
         {
             t.mMeter->SetLevel(0.2, 0, 3);
             t.ClickClipLight();
         },
         true, 0},
        {"latching on puts the light out",
         [](LevelMeterTest& t) { EXPECT_EQ(t.mMeter->SetClipLatch(true), S_OK); }, false, 0},
        {"latched: a new counter lights it",
         [](LevelMeterTest& t) { t.mMeter->SetLevel(0.9, 0, 4); }, true, 0},
        {"latched: the same counter and a value leave it lit, however long",
         [](LevelMeterTest& t)
         {
             t.mMeter->SetLevel(0.1, 0, 4);
             t.IdlePass(5000);
             t.mMeter->SetValue(0.3);
             t.IdlePass(60000);
         },
         true, 0},
        {"latched: a click puts it out and tells", [](LevelMeterTest& t) { t.ClickClipLight(); },
         false, 1},
        {"latched: a click on the dark light tells nothing",
         [](LevelMeterTest& t) { t.ClickClipLight(); }, false, 1},
        {"latched again", [](LevelMeterTest& t) { t.mMeter->SetLevel(0.9, 0, 5); }, true, 1},
        {"latching on again changes nothing but the light",
         [](LevelMeterTest& t) { EXPECT_EQ(t.mMeter->SetClipLatch(true), S_OK); }, false, 1},
        {"latched once more", [](LevelMeterTest& t) { t.mMeter->SetLevel(0.9, 0, 6); }, true, 1},
        {"a click still tells once", [](LevelMeterTest& t) { t.ClickClipLight(); }, false, 2},
        {"latching off",
         [](LevelMeterTest& t)
         {
             t.mMeter->SetLevel(0.9, 0, 7);
             EXPECT_EQ(t.mMeter->SetClipLatch(false), S_OK);
         },
         false, 2},
        {"unlatched: a click is not followed any more",
         [](LevelMeterTest& t)
         {
             t.mMeter->SetLevel(0.9, 0, 8);
             t.ClickClipLight();
         },
         true, 2},
        {"unlatched: the same counter puts it out",
         [](LevelMeterTest& t) { t.mMeter->SetLevel(0.9, 0, 8); }, false, 2},
    };
    for (const Step& step : steps)
    {
        step.act(*this);
        EXPECT_EQ(mMeter->IsClipLit(), step.lit) << step.what;
        EXPECT_EQ(mMeter->GetClipButton()->GetValue() >= 0.5, step.lit) << step.what;
        EXPECT_EQ(mRecorder->Count(kUnlatched), step.unlatched) << step.what;
    }
    EXPECT_EQ(mMeter->GetClipCount(), 8);
    mMeter->SetClipCount(8000);
    EXPECT_EQ(mMeter->GetClipCount(), 8000);
}

TEST_F(LevelMeterTest, AMeterWithoutPartsTakesLevelsAndRefusesToLatch)
{
    const RCPtr<LLevelMeter> bare = Meter("bareMeter");
    ASSERT_TRUE(bare);
    EXPECT_FALSE(bare->GetOverlay());
    EXPECT_FALSE(bare->GetClipButton());
    EXPECT_EQ(bare->SetLevel(0.5, 0.5, 3), S_OK);
    EXPECT_EQ(bare->GetValue(), 0.5);
    EXPECT_EQ(bare->GetClipCount(), 3);
    EXPECT_FALSE(bare->IsClipLit());
    bare->SetValue(0.1);
    EXPECT_EQ(bare->SetClipLatch(true), E_FAIL);
    EXPECT_FALSE(bare->IsClipLatched());
}
