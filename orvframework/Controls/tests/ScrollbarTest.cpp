// Scroll bars made by the factory from ScrollbarSkin.xml, in a root window under SDL's offscreen
// driver, driven by mouse and key messages and by idle passes on the application's manual
// clock: the track and the thumb, the arrow buttons, paging in the channel, dragging the thumb,
// the keys, and the value range. After every scenario the window holds no idle subscription.
//
// The window (320 x 260) holds the panel "focusTarget" (10, 10, 40 x 30), the vertical "vBar"
// (250, 10, 16 x 200) with "dec" and "inc" 16 pixels long and its channel at (250, 26, 16 x 168)
// whose client part starts 2 pixels in (a 164-pixel track), the horizontal "hBar" (10, 230,
// 200 x 16) laid out the same way across, and the short vertical "smallBar" (290, 10, 16 x 86)
// with a 50-pixel track. The thumbs are 16 pixels thick.
#include "ControlWindowFixture.h"
#include "TestControls.h"

#include "Controls/Scrollbar.h"
#include "System/WindowOSServices.h"
#include "notification/KeyCode.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

using namespace Orv;
using namespace OrvTest;

namespace
{
const wchar_t* const kValueChange = L"NID_VALUE_CHANGE";

// Window coordinates of the start of each vertical track (y) and the horizontal track (x).
constexpr int kVTrackY = 28;
constexpr int kVBarX = 258;
constexpr int kHTrackX = 28;
constexpr int kHBarY = 238;

class ScrollbarTest : public ControlWindowFixture
{
public:
    ScrollbarTest()
        : ControlWindowFixture("ScrollbarSkin.xml")
    {
    }

    LScrollbar* Bar(const std::string& name) const
    {
        LScrollbar* bar =
            dynamic_cast<LScrollbar*>(FindControl(mMain->GetRootControl().Get(), name));
        EXPECT_NE(bar, nullptr) << name;
        return bar;
    }
    // The thumb's start along the bar's axis, in the channel's client space.
    static double ThumbAt(const LScrollbar& bar)
    {
        const RectT<double> rect = bar.GetThumb()->GetRect();
        return bar.IsVertical() ? rect.y : rect.x;
    }
    static double ThumbLength(const LScrollbar& bar)
    {
        const RectT<double> rect = bar.GetThumb()->GetRect();
        return bar.IsVertical() ? rect.height : rect.width;
    }

    // Idle passes every 50 ms up to ms since StartClock.
    void RunUntil(long ms)
    {
        while (Ms() < ms)
        {
            IdlePass(50);
        }
    }
};

TEST_F(ScrollbarTest, TheTrackAndTheThumbFollowTheChannelAndThePageFraction)
{
    struct Case
    {
        const char* bar;
        bool vertical;
        double trackEnd;
        // The thumb's length at page fractions 0.1 (the default) and 0.5.
        double atTenth;
        double atHalf;
    };
    const Case cases[] = {
        {"vBar", true, 164, 16, 82},
        {"hBar", false, 164, 16, 82},
        // 5 pixels would be less than the thumb is thick.
        {"smallBar", true, 50, 16, 25},
    };
    for (const Case& c : cases)
    {
        LScrollbar* bar = Bar(c.bar);
        EXPECT_EQ(bar->IsVertical(), c.vertical) << c.bar;
        EXPECT_EQ(bar->GetTrackStart(), 0) << c.bar;
        EXPECT_EQ(bar->GetTrackEnd(), c.trackEnd) << c.bar;
        EXPECT_EQ(bar->GetMinimumThumbLength(), 16) << c.bar;
        EXPECT_EQ(bar->GetThumbLength(), c.atTenth) << c.bar;
        EXPECT_EQ(ThumbLength(*bar), c.atTenth) << c.bar;
        // The ends: value 0 puts the thumb's start at the track's start, 1 its end at the end.
        EXPECT_EQ(ThumbAt(*bar), 0) << c.bar;
        bar->SetValue(1.0);
        EXPECT_EQ(ThumbAt(*bar) + ThumbLength(*bar), c.trackEnd) << c.bar;
        bar->SetPageFraction(0.5);
        EXPECT_EQ(ThumbLength(*bar), c.atHalf) << c.bar;
        EXPECT_EQ(ThumbAt(*bar) + ThumbLength(*bar), c.trackEnd) << c.bar;
        // Half way, rounded half away from zero: (164 - 82) / 2 = 41, (50 - 25) / 2 = 12.5.
        bar->SetValue(0.5);
        EXPECT_EQ(ThumbAt(*bar), std::round((c.trackEnd - c.atHalf) * 0.5)) << c.bar;
        // No part of a bar takes the focus.
        EXPECT_TRUE(bar->IsNotFocusable(false)) << c.bar;
        for (const char* part : {"dec", "inc", "channel", "thumb"})
        {
            EXPECT_TRUE(FindControl(bar, part)->IsNotFocusable(false)) << c.bar << " " << part;
        }
    }
    EXPECT_TRUE(Bar("vBar")->GetThumb()->IsKeepPressedLook());
    EXPECT_TRUE(dynamic_cast<LButton*>(FindControl(Bar("vBar"), "inc"))->IsAutoRepeat());
}

TEST_F(ScrollbarTest, ValuesAreClampedAndKeepTheirPlaceWhenTheRangeChanges)
{
    LScrollbar* bar = Bar("vBar");
    mRecorder->RegisterNotification(RCPtr<LNotificationDistributor>(bar), kValueChange);
    EXPECT_EQ(bar->GetMinimum(), 0.0);
    EXPECT_EQ(bar->GetMaximum(), 100.0);
    EXPECT_EQ(bar->SetValue(1.5), 1.0);
    EXPECT_EQ(bar->SetValue(-0.5), 0.0);
    EXPECT_EQ(bar->SetValue(NAN), 0.0);
    EXPECT_EQ(mRecorder->Count(kValueChange), 2);

    // Each step sets a range; then the result, the range and the value.
    struct Step
    {
        double minimum, maximum;
        int scale;
        ORVRESULT result;
        double expectMinimum, expectMaximum, value;
    };
    bar->SetValue(0.25); // 25 of 0..100
    const Step steps[] = {
        {0, 200, LControl::kLinearScale, S_OK, 0, 200, 0.125},
        // Refused: the range and the place stay.
        {0, 1000, LControl::kLogarithmicScale, E_INVALIDARG, 0, 200, 0.125},
        {10, 1000, 2, E_INVALIDARG, 0, 200, 0.125},
        // 25 on a logarithmic 1..625 is half way.
        {1, 625, LControl::kLogarithmicScale, S_OK, 1, 625, 0.5},
        // 25 lies below 50..100: the value goes to the start.
        {50, 100, LControl::kLinearScale, S_OK, 50, 100, 0.0},
    };
    for (const Step& step : steps)
    {
        EXPECT_EQ(bar->SetValueRange(step.minimum, step.maximum, step.scale), step.result)
            << step.minimum << ".." << step.maximum;
        EXPECT_EQ(bar->GetMinimum(), step.expectMinimum);
        EXPECT_EQ(bar->GetMaximum(), step.expectMaximum);
        EXPECT_NEAR(bar->GetValue(), step.value, 1e-12) << step.minimum << ".." << step.maximum;
        EXPECT_EQ(ThumbAt(*bar), std::round(148 * bar->GetValue()));
    }

    // Round trips through both scales.
    for (const int scale : {LControl::kLinearScale, LControl::kLogarithmicScale})
    {
        ASSERT_EQ(bar->SetValueRange(2, 512, scale), S_OK);
        for (const double normalized : {0.0, 0.125, 0.5, 0.9, 1.0})
        {
            EXPECT_NEAR(bar->ValueToNormalized(bar->NormalizedToValue(normalized)), normalized,
                        1e-12)
                << scale;
        }
        EXPECT_EQ(bar->ValueToNormalized(1000), 1.0);
        EXPECT_EQ(bar->ValueToNormalized(1), 0.0);
    }
    EXPECT_EQ(bar->NormalizedToValue(0.5), 32.0);
}

TEST_F(ScrollbarTest, HoldingAnArrowStepsAtOnceAfterTheFirstDelayThenAtTheInterval)
{
    LScrollbar* bar = Bar("vBar");
    bar->SetLineStep(0.05);
    bar->SetValue(0.5);
    // Held on "inc": 0.55 at once, then steps at 300, 400 and 500 ms.
    struct Step
    {
        long until;
        double value;
    };
    const Step steps[] = {{0, 0.55}, {250, 0.55}, {300, 0.6}, {500, 0.7}};
    StartClock();
    Press(kVBarX, 10 + 192);
    for (const Step& step : steps)
    {
        RunUntil(step.until);
        EXPECT_NEAR(bar->GetValue(), step.value, 1e-9) << step.until;
    }
    Release(kVBarX, 10 + 192);
    IdlePass(300);
    EXPECT_NEAR(bar->GetValue(), 0.7, 1e-9);
    // A click on "dec" steps back once.
    Press(kVBarX, 18);
    Release(kVBarX, 18);
    EXPECT_NEAR(bar->GetValue(), 0.65, 1e-9);
}

TEST_F(ScrollbarTest, HoldingAClickInTheChannelPagesUntilTheThumbReachesThePointer)
{
    LScrollbar* bar = Bar("vBar");
    LControl* channel = bar->GetChannel().Get();
    bar->SetPageFraction(0.25); // a 41-pixel thumb, 123 pixels of room
    // The pointer is held 100 pixels down the track. Each step: the time, the value, and
    // whether the paged part is highlighted.
    struct Step
    {
        long until;
        double value;
        bool highlight;
    };
    const Step steps[] = {
        {0, 0.2, true},     {350, 0.2, true},  {400, 0.4, true},
        {550, 0.4, true},   {600, 0.6, false}, // the thumb (74..115) lies under the pointer
        {1000, 0.6, false},
    };
    StartClock();
    Press(kVBarX, kVTrackY + 100);
    EXPECT_EQ(bar->GetPagingSide(), LScrollbar::kPagingInc);
    for (const Step& step : steps)
    {
        RunUntil(step.until);
        EXPECT_NEAR(bar->GetValue(), step.value, 1e-9) << step.until;
        EXPECT_EQ(channel->GetLookWeight(1) == 1.0f, step.highlight) << step.until;
    }
    // Held on the other side of the thumb, it does not page back.
    MoveHeld(kVBarX, kVTrackY + 10);
    RunUntil(1500);
    EXPECT_NEAR(bar->GetValue(), 0.6, 1e-9);
    Release(kVBarX, kVTrackY + 10);
    EXPECT_EQ(bar->GetPagingSide(), LScrollbar::kNotPaging);
    EXPECT_EQ(channel->GetLookWeight(0), 1.0f);
    EXPECT_EQ(channel->GetLookWeight(1), 0.0f);

    // A new press there pages toward "dec"; off the channel the paging holds.
    StartClock();
    Press(kVBarX, kVTrackY + 10);
    EXPECT_NEAR(bar->GetValue(), 0.4, 1e-9);
    EXPECT_EQ(bar->GetPagingSide(), LScrollbar::kPagingDec);
    MoveHeld(100, kVTrackY + 10);
    RunUntil(1000);
    EXPECT_NEAR(bar->GetValue(), 0.4, 1e-9);
    EXPECT_EQ(channel->GetLookWeight(1), 0.0f);
    // Back on it, the countdown goes on where it stopped.
    MoveHeld(kVBarX, kVTrackY + 10);
    EXPECT_EQ(channel->GetLookWeight(1), 1.0f);
    StartClock();
    RunUntil(350);
    EXPECT_NEAR(bar->GetValue(), 0.4, 1e-9);
    RunUntil(400);
    EXPECT_NEAR(bar->GetValue(), 0.2, 1e-9);
    Release(kVBarX, kVTrackY + 10);
}

TEST_F(ScrollbarTest, DraggingTheThumbMovesTheValueAndHoldsValuesSetMeanwhile)
{
    LScrollbar* bar = Bar("vBar");
    bar->SetPageFraction(0.25); // a 41-pixel thumb, 123 pixels of room
    mRecorder->RegisterNotification(RCPtr<LNotificationDistributor>(bar), kValueChange);
    // Grabbed 12 pixels into the thumb. Each step: where the pointer goes, the thumb's start.
    struct Step
    {
        int y;
        double thumb;
    };
    const Step steps[] = {
        {kVTrackY + 12 + 60, 60},
        // Past the end and past the start: the thumb stays at the ends.
        {250, 123},
        {kVTrackY + 12 + 122, 122},
        {5, 0},
        {kVTrackY + 12 + 30, 30},
    };
    Press(kVBarX, kVTrackY + 12);
    for (const Step& step : steps)
    {
        MoveHeld(kVBarX, step.y);
        ASSERT_TRUE(bar->IsDragging());
        EXPECT_EQ(ThumbAt(*bar), step.thumb) << step.y;
        EXPECT_NEAR(bar->GetValue(), step.thumb / 123, 1e-12) << step.y;
    }
    EXPECT_EQ(mRecorder->Count(kValueChange), 5);
    // The thumb keeps its pressed look off the bar.
    MoveHeld(100, kVTrackY + 12 + 30);
    EXPECT_EQ(bar->GetThumb()->GetActiveLookIndex(), LButton::kLookPressed);

    // An owner's value waits for the end of the drag.
    EXPECT_NEAR(bar->SetValue(0.5), 30.0 / 123, 1e-12);
    EXPECT_EQ(bar->GetPendingValue(), 0.5);
    EXPECT_EQ(ThumbAt(*bar), 30);
    Release(100, kVTrackY + 12 + 30);
    EXPECT_FALSE(bar->IsDragging());
    EXPECT_EQ(bar->GetValue(), 0.5);
    EXPECT_EQ(ThumbAt(*bar), 62); // 61.5 rounded away from zero
    EXPECT_EQ(bar->GetPendingValue(), -1.0);

    // Across: the horizontal bar's 16-pixel thumb, grabbed 5 pixels in, has 148 pixels of room.
    LScrollbar* across = Bar("hBar");
    Press(kHTrackX + 5, kHBarY);
    MoveHeld(kHTrackX + 5 + 37, kHBarY + 30);
    EXPECT_EQ(ThumbAt(*across), 37);
    EXPECT_EQ(across->GetValue(), 0.25);
    MoveHeld(300, kHBarY);
    EXPECT_EQ(ThumbAt(*across), 148);
    Release(300, kHBarY);
    EXPECT_EQ(across->GetValue(), 1.0);
}

TEST_F(ScrollbarTest, AThumbLongerThanTheTrackLeavesTheValueAtTheStart)
{
    // A 100-pixel thumb on the 50-pixel track: no room to move, so a drag gives value 0 (not
    // a division by the negative room).
    LScrollbar* bar = Bar("smallBar");
    mRecorder->RegisterNotification(RCPtr<LNotificationDistributor>(bar), kValueChange);
    bar->SetPageFraction(2.0);
    EXPECT_EQ(ThumbLength(*bar), 100);
    bar->SetValue(0.5);
    EXPECT_EQ(ThumbAt(*bar), -25);
    Press(298, kVTrackY + 20);
    MoveHeld(298, kVTrackY + 30);
    EXPECT_EQ(ThumbAt(*bar), -50);
    EXPECT_EQ(bar->GetValue(), 0.0);
    MoveHeld(298, kVTrackY + 5);
    Release(298, kVTrackY + 5);
    EXPECT_EQ(bar->GetValue(), 0.0);
    EXPECT_EQ(mRecorder->Count(kValueChange), 2);
}

TEST_F(ScrollbarTest, KeysTheParentOffersMoveTheVisibleBar)
{
    // The focus is on a panel that takes no keys; its parent offers them to the bars.
    Press(20, 20);
    Release(20, 20);
    struct Case
    {
        const char* bar;
        WPARAM key;
        double value; // from 0.5, with line step 0.02 and page step 0.2; NAN: not taken
    };
    const Case cases[] = {
        {"vBar", VK_UP, 0.48},    {"vBar", VK_DOWN, 0.52}, {"vBar", VK_LEFT, NAN},
        {"vBar", VK_RIGHT, NAN},  {"vBar", VK_PRIOR, 0.3}, {"vBar", VK_NEXT, 0.7},
        {"vBar", VK_HOME, 0.0},   {"vBar", VK_END, 1.0},   {"vBar", VK_SPACE, NAN},
        {"hBar", VK_UP, NAN},     {"hBar", VK_DOWN, NAN},  {"hBar", VK_LEFT, 0.48},
        {"hBar", VK_RIGHT, 0.52}, {"hBar", VK_PRIOR, NAN}, {"hBar", VK_NEXT, NAN},
        {"hBar", VK_HOME, 0.0},   {"hBar", VK_END, 1.0},
    };
    for (const Case& c : cases)
    {
        for (const char* name : {"vBar", "hBar", "smallBar"})
        {
            Bar(name)->SetVisible(std::string(name) == c.bar);
            Bar(name)->SetValue(0.5);
        }
        Key(c.key);
        const double expected = std::isnan(c.value) ? 0.5 : c.value;
        EXPECT_NEAR(Bar(c.bar)->GetValue(), expected, 1e-12) << c.bar << " key " << c.key;
    }
    // A hidden bar takes nothing.
    Bar("hBar")->SetVisible(false);
    Bar("hBar")->SetValue(0.5);
    Key(VK_HOME);
    EXPECT_EQ(Bar("hBar")->GetValue(), 0.5);

    // The mask chooses the keys.
    LScrollbar* bar = Bar("vBar");
    bar->SetVisible(true);
    EXPECT_EQ(bar->SetKeyMask(0x140), E_INVALIDARG);
    EXPECT_EQ(bar->GetKeyMask(), 0x40u);
    bar->SetValue(0.5);
    Key(VK_END);
    EXPECT_EQ(bar->GetValue(), 0.5);
    Key(VK_HOME);
    EXPECT_EQ(bar->GetValue(), 0.0);
    EXPECT_EQ(bar->SetKeyMask(0), S_OK);
    Key(VK_END);
    EXPECT_EQ(bar->GetValue(), 0.0);
}

TEST_F(ScrollbarTest, ThePagedPartOfTheChannelIsHighlighted)
{
    LScrollbar* bar = Bar("vBar");
    bar->SetPageFraction(0.25);
    bar->SetValue(0.5); // the thumb at 62..103 of the track
    Press(kVBarX, kVTrackY + 140);
    // One page on: the thumb at 86..127; the highlight from its end to the channel's end.
    ASSERT_NEAR(bar->GetValue(), 0.7, 1e-12);
    PumpMessages();
    const int width = 320;
    const int height = 260;
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height);
    ASSERT_TRUE(OrvPlatform::Window::ReadClientPixels(mWindow, pixels.data(), width, height));
    SavePng(pixels.data(), width, height, ControlsArtefact("scrollbar-paging.png"));
    const auto at = [&](int x, int y) { return pixels[static_cast<std::size_t>(y) * width + x]; };
    EXPECT_EQ(at(kVBarX, 15), 0xFF808080u);             // dec
    EXPECT_EQ(at(kVBarX, kVTrackY + 40), 0xFF303060u);  // the channel before the thumb
    EXPECT_EQ(at(kVBarX, kVTrackY + 100), 0xFFE0E0E0u); // the thumb
    EXPECT_EQ(at(kVBarX, kVTrackY + 130), 0xFFE0E020u); // the paged part
    EXPECT_EQ(at(kVBarX, kVTrackY + 163), 0xFFE0E020u);
    EXPECT_EQ(at(kVBarX, 205), 0xFF808080u); // inc
    // The horizontal bar and the short one: thumbs at their starts.
    EXPECT_EQ(at(kHTrackX + 5, kHBarY), 0xFFE0E0E0u);
    EXPECT_EQ(at(kHTrackX + 40, kHBarY), 0xFF303060u);
    EXPECT_EQ(at(298, kVTrackY + 5), 0xFFE0E0E0u);
    Release(kVBarX, kVTrackY + 140);
}
} // namespace
