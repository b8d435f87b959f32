// The updater's window as a person uses it, for the end-to-end tests: the real program on an X
// server of the test's own, against simulated units that keep their flash in files. The test looks
// at the window only through the server (screenshots, kept as artefacts) and works it only through
// the server (clicks injected with XTest); where the skin puts what it looks at and clicks is read
// from the skin document.
#pragma once

#include "ProgramUnderDisplay.h"
#include "ScreenshotColours.h"
#include "SkinPlaces.h"
#include "UpdaterWorld.h"
#include "VirtualDisplay.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace OrvTest::EndToEnd
{
using namespace std::chrono_literals;

using Area = OrvTest::Place;

// Where the skin puts what the test looks at and clicks.
inline const OrvTest::SkinPlaces& Skin()
{
    static const OrvTest::SkinPlaces places = []
    {
        OrvTest::SkinPlaces read;
        std::string error;
        EXPECT_TRUE(read.Read(ORV_UPDATER_SKIN, error)) << error;
        return read;
    }();
    return places;
}
inline const Area kSimulatedLabel = Skin().Of("labelSimulatedDevices");
inline const Area kDeviceVersions = Skin().Of("labelDeviceFirmwareVersion");
inline const Area kFileVersions = Skin().Of("labelFileFirmwareVersion");
inline const Area kProcessInformation = Skin().Of("labelUpdateProcessInformation");
inline const Area kCannotUpdate = Skin().Of("labelDeviceCannotUpdateError");
inline const Area kProgressBar = Skin().Of("progressBar");
inline const Area kUpdateButton = Skin().Of("buttonUpdateFirmware");
inline const Area kTryAgainButton = Skin().Of("buttonReinitialize");
inline const Area kExitButton = Skin().Of("buttonExit");

inline constexpr std::uint32_t kWarnInk = 0xFFF5B942;
inline constexpr std::uint32_t kInk = 0xFFF2F4F7;
inline constexpr std::uint32_t kErrorInk = 0xFFFF7A6B;
inline constexpr std::uint32_t kButton = 0xFF2E7DD1;
inline constexpr std::uint32_t kButtonHover = 0xFF4A95E6;
inline constexpr std::uint32_t kButtonFocus = 0xFF3A89DC;
inline constexpr std::uint32_t kProgress = 0xFF35B45A;
inline constexpr std::uint32_t kTrough = 0xFF141B24;

// Short simulated operation times; slow enough per block that the progress can be seen moving,
// and a reset long enough that the window's wait for it can be seen.
inline const std::string kTimes =
    "update-delay-ms=300 reset-delay-ms=800 erase-ms-per-16k=2 program-ms-per-block=25 "
    "manifest-ms=10";

// Pixels of the colour (within a small tolerance) in the area.
inline int Count(const Screenshot& shot, const Area& area, std::uint32_t colour, int tolerance = 24)
{
    return OrvTest::CountNear(shot, area, colour, tolerance);
}

// How far the progress bar is filled, in pixels: the columns of the bar that hold the fill's
// colour. A column, not one row, so that the texts drawn over the bar (the percentage and the
// remaining time) take nothing from the width: a glyph covers part of a column, never all of
// it. -1 when no bar shows (fewer than half of the columns hold the fill's or the trough's
// colour).
inline int ProgressWidth(const Screenshot& shot)
{
    int filled = 0;
    int bar = 0;
    for (int x = kProgressBar.left; x < kProgressBar.right; ++x)
    {
        const Area column{x, kProgressBar.top, x + 1, kProgressBar.bottom};
        if (Count(shot, column, kProgress, 8) > 0)
        {
            ++filled;
            ++bar;
        }
        else if (Count(shot, column, kTrough, 8) > 0)
        {
            ++bar;
        }
    }
    return bar < (kProgressBar.right - kProgressBar.left) / 2 ? -1 : filled;
}

// Whether a button fills the area (in its normal, hovered or focused look).
inline bool ButtonShows(const Screenshot& shot, const Area& area)
{
    const int fill = Count(shot, area, kButton, 8) + Count(shot, area, kButtonHover, 8) +
                     Count(shot, area, kButtonFocus, 8);
    return fill > (area.right - area.left) * (area.bottom - area.top) / 2;
}

// The end of a successful update: the units' new versions and the verdict show, the progress
// and the update button have gone, EXIT stays.
inline bool Succeeded(const Screenshot& shot)
{
    return ProgressWidth(shot) < 0 && !ButtonShows(shot, kUpdateButton) &&
           ButtonShows(shot, kExitButton) && Count(shot, kDeviceVersions, kInk) > 200 &&
           Count(shot, kProcessInformation, kInk) > 200;
}

inline std::string ReadText(const std::string& path)
{
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class EndToEndWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(mDisplay.Start(800, 600)) << "Xvfb could not be started";
        std::string error;
        ASSERT_TRUE(mServer.Connect(mDisplay.Name(), error)) << error;
        mWorld =
            std::make_unique<UpdaterWorld>(ORV_UPDATER_PROGRAM, ::testing::TempDir(), 64 * 1024);
        ASSERT_TRUE(mWorld->Ok()) << mWorld->Error();
    }

    // Starts the program with the arguments on the description and waits (10 s at most) for its
    // window.
    void StartProgram(const std::string& devices,
                      const std::vector<std::string>& arguments = std::vector<std::string>())
    {
        ASSERT_TRUE(mWorld->WriteDevices(devices));
        mProgram = std::make_unique<ProgramUnderDisplay>(mWorld->Program(),
                                                         mWorld->Environment(mDisplay.Name()));
        ASSERT_TRUE(mProgram->Start(arguments, mWorld->Path("errors.txt")));
        ASSERT_TRUE(OrvTest::PollUntil(
            10s,
            [&]
            {
                for (const auto& window : mServer.FindWindows("orv-firmware-updater"))
                {
                    if (window.title == "Brelune VANTA Firmware Updater" && window.width == 480)
                    {
                        mWindow = window.id;
                        return true;
                    }
                }
                return false;
            }))
            << "no window; the program said: " << Errors();
    }

    // The window now, kept as the artefact <test>-<stage>.png when a stage is named.
    Screenshot Shot(const std::string& stage = std::string())
    {
        Screenshot shot = mServer.Capture(mWindow);
        if (!stage.empty())
        {
            const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
            EXPECT_TRUE(shot.SavePng(std::string(ORV_TEST_ARTEFACTS) + "/" + test->name() + "-" +
                                     stage + ".png"))
                << stage;
        }
        return shot;
    }

    // Takes screenshots every 10 ms until one satisfies the condition (at most limit); that
    // one, kept as the stage's artefact; an empty one when none did (the last one taken is kept
    // then, and the test fails).
    Screenshot WaitForWindow(const std::string& stage, std::chrono::milliseconds limit,
                             const std::function<bool(const Screenshot&)>& condition)
    {
        Screenshot shot;
        const bool seen = OrvTest::PollUntil(limit,
                                             [&]
                                             {
                                                 shot = mServer.Capture(mWindow);
                                                 return !shot.Empty() && condition(shot);
                                             });
        Shot(stage + (seen ? "" : "-not-reached"));
        EXPECT_TRUE(seen) << "the window did not reach the stage " << stage
                          << "; the program said: " << Errors();
        return seen ? shot : Screenshot();
    }

    // Waits until both units run their target versions.
    bool WaitForTargetVersions(std::chrono::milliseconds limit) const
    {
        return OrvTest::PollUntil(limit,
                                  [&]
                                  {
                                      return mWorld->FlashVersion(Unit::Controller) ==
                                                 UpdaterWorld::kControllerTarget &&
                                             mWorld->FlashVersion(Unit::WheelDisplay) ==
                                                 UpdaterWorld::kWheelDisplayTarget;
                                  });
    }

    std::string Errors() const { return ReadText(mWorld->Path("errors.txt")); }

    // Both units end with their target versions within the limit, their flash byte for byte the
    // images, and the window says the update succeeded.
    void ExpectBothUpdated(std::chrono::milliseconds limit)
    {
        ASSERT_TRUE(WaitForTargetVersions(limit)) << Errors();
        EXPECT_TRUE(mWorld->FlashHoldsImage(Unit::Controller));
        EXPECT_TRUE(mWorld->FlashHoldsImage(Unit::WheelDisplay));
        const Screenshot done = WaitForWindow("4-succeeded", 30s, Succeeded);
        ASSERT_FALSE(done.Empty());
        EXPECT_GT(Count(done, kFileVersions, kInk), 200);
        EXPECT_EQ(Count(done, kCannotUpdate, kErrorInk), 0);
    }

    // Follows one image's update from its start: the progress bar appears, fills as the blocks
    // are written and goes away once it has been (nearly) full. The widths seen, in order.
    std::vector<int> FollowProgress(const std::string& stage, std::chrono::milliseconds limit)
    {
        const int full = (kProgressBar.right - kProgressBar.left) * 9 / 10;
        std::vector<int> widths;
        bool shown = false;
        bool filled = false;
        OrvTest::PollUntil(limit,
                           [&]
                           {
                               const Screenshot shot = mServer.Capture(mWindow);
                               const int width = shot.Empty() ? -1 : ProgressWidth(shot);
                               if (width > 0 && (widths.empty() || widths.back() != width))
                               {
                                   if (!shown && width > 40 && width < full)
                                   {
                                       // One picture of the bar on its way.
                                       shown = true;
                                       Shot(stage);
                                   }
                                   widths.push_back(width);
                               }
                               filled = filled || width >= full;
                               return filled && width < 0;
                           });
        if (!shown)
        {
            Shot(stage + "-not-seen");
        }
        return widths;
    }

    OrvTest::VirtualDisplay mDisplay;
    XServerClient mServer;
    std::unique_ptr<UpdaterWorld> mWorld;
    std::unique_ptr<ProgramUnderDisplay> mProgram;
    unsigned long mWindow = 0;
};
} // namespace OrvTest::EndToEnd
