// The window of SliderWindow.xml drawn by the GDI+ renderer of a root window (SDL's offscreen
// driver) and saved as artefacts/SliderWindow.png: the sliders with their thumbs at chosen
// values, the centred slider's range bars meeting at its thumb, the knobs showing the frames of
// their values, and the panes with their splitters. Chosen pixels give each part's place.
#include "ControlsFixture.h"
#include "TestControls.h"

#include "Controls/CenteredSlider.h"
#include "Controls/Knob.h"
#include "Controls/Slider.h"
#include "System/WindowOSServices.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

using namespace Orv;
using namespace OrvTest;

namespace
{
constexpr int kWidth = 400;
constexpr int kHeight = 300;

constexpr std::uint32_t kWindow = 0xFF202020u;
constexpr std::uint32_t kTrack = 0xFF404040u;
constexpr std::uint32_t kTrackFocus = 0xFF406040u;
constexpr std::uint32_t kThumb = 0xFFE0E0E0u;
constexpr std::uint32_t kFill = 0xFF2080E0u;
constexpr std::uint32_t kBlue = 0xFF2020E0u;
constexpr std::uint32_t kYellow = 0xFFE0E020u;
constexpr std::uint32_t kRed = 0xFFE02020u;
constexpr std::uint32_t kLeft = 0xFF3060A0u;
constexpr std::uint32_t kSplit = 0xFFC0C0C0u;
constexpr std::uint32_t kUpper = 0xFFA03060u;
constexpr std::uint32_t kLower = 0xFF30A0A0u;

class SliderWindowPixelTest : public ControlsFixture
{
protected:
    SliderWindowPixelTest()
        : ControlsFixture("SliderWindow.xml")
    {
    }

    LControl* Control(const char* name) const
    {
        LControl* control = FindControl(mMain->GetRootControl().Get(), name);
        EXPECT_NE(control, nullptr) << name;
        return control;
    }
    std::uint32_t At(int x, int y) const
    {
        return mPixels[static_cast<std::size_t>(y) * kWidth + x];
    }

    RCPtr<LRootWindow> mMain;
    std::vector<std::uint32_t> mPixels = std::vector<std::uint32_t>(kWidth * kHeight);
};
} // namespace

TEST_F(SliderWindowPixelTest, TheThumbsAndKnobsShowTheirValues)
{
    mMain = MakeMainWindow();
    ASSERT_TRUE(mMain);
    const HWND window = mMain->GetServices()->GetWindowHandle();

    Control("hSlider")->SetValue(0.25);
    Control("vSlider")->SetValue(0.5);
    Control("slantSlider")->SetValue(1.0);
    Control("centred")->SetValue(0.3);
    Control("knob")->SetValue(0.5);
    Control("radialKnob")->SetValue(1.0);
    mApplication->GetClock()->Advance(33);
    mApplication->ProcessIdle(true);
    PumpMessages();

    ASSERT_TRUE(OrvPlatform::Window::ReadClientPixels(window, mPixels.data(), kWidth, kHeight));
    SavePng(mPixels.data(), kWidth, kHeight, ControlsArtefact("SliderWindow.png"));

    EXPECT_EQ(At(5, 5), kWindow);
    // "hSlider" (10, 10), which the window gave the focus (its focused look): the thumb at 35
    // (window 45 to 54), the track on both sides; the markers are hidden.
    EXPECT_TRUE((Control("hSlider")->GetConditions() &
                 (LControl::kHasFocus | LControl::kContainsFocus)) != 0);
    EXPECT_EQ(At(44, 20), kTrackFocus);
    EXPECT_EQ(At(45, 20), kThumb);
    EXPECT_EQ(At(54, 20), kThumb);
    EXPECT_EQ(At(55, 20), kTrackFocus);
    EXPECT_EQ(At(22, 20), kTrackFocus);
    EXPECT_EQ(At(125, 20), kTrackFocus);
    // "vSlider" (170, 10): the thumb at y 55 (window 65 to 74).
    EXPECT_EQ(At(180, 64), kTrack);
    EXPECT_EQ(At(180, 65), kThumb);
    EXPECT_EQ(At(180, 74), kThumb);
    EXPECT_EQ(At(180, 75), kTrack);
    // "slantSlider" (200, 10): the thumb at the end, (80, 60).
    EXPECT_EQ(At(285, 75), kThumb);
    EXPECT_EQ(At(205, 15), kTrack);
    // "centred" (10, 100): the thumb at 40 (window 50 to 59); the range bars (y 108 to 111) meet
    // at its centre, 55: the low bar's fill from 15, the high bar's to 94, under the thumb.
    EXPECT_EQ(At(52, 104), kThumb);
    EXPECT_EQ(At(52, 110), kThumb);
    EXPECT_EQ(At(20, 110), kFill);
    EXPECT_EQ(At(90, 110), kFill);
    EXPECT_EQ(At(14, 110), kTrack);
    EXPECT_EQ(At(96, 110), kTrack);
    EXPECT_EQ(At(90, 104), kTrack);
    // The knobs: value 0.5 of four frames is the third (blue); 1.0 of the radial knob's eight is
    // the last (yellow); "paramKnob" at 0 shows its first (red).
    EXPECT_EQ(At(220, 150), kBlue);
    EXPECT_EQ(At(320, 150), kYellow);
    EXPECT_EQ(At(360, 140), kRed);
    // The panes and the splitters.
    EXPECT_EQ(At(100, 240), kLeft);
    EXPECT_EQ(At(162, 240), kSplit);
    EXPECT_EQ(At(250, 210), kUpper);
    EXPECT_EQ(At(250, 232), kSplit);
    EXPECT_EQ(At(250, 260), kLower);
}
