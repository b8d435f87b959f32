// The updater's window as a person uses it: the real program on an X server of the test's own,
// against a simulated controller and wheel display in normal mode with old versions. The test
// looks at the window only through the server (screenshots, kept as artefacts) and works it only
// through the server (clicks injected with XTest); what the units' flash holds afterwards is
// compared with the images byte for byte.
#include "ProgramUnderDisplay.h"
#include "SkinPlaces.h"
#include "UpdaterWorld.h"
#include "VirtualDisplay.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace
{
using OrvTest::ProgramUnderDisplay;
using OrvTest::Screenshot;
using OrvTest::Unit;
using OrvTest::UpdaterWorld;
using OrvTest::XServerClient;
using namespace std::chrono_literals;

using Area = OrvTest::Place;

// Where the skin puts what the test looks at and clicks.
const OrvTest::SkinPlaces& Skin()
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
const Area kSimulatedLabel = Skin().Of("labelSimulatedDevices");
const Area kDeviceVersions = Skin().Of("labelDeviceFirmwareVersion");
const Area kFileVersions = Skin().Of("labelFileFirmwareVersion");
const Area kProcessInformation = Skin().Of("labelUpdateProcessInformation");
const Area kCannotUpdate = Skin().Of("labelDeviceCannotUpdateError");
const Area kProgressBar = Skin().Of("progressBar");
const Area kUpdateButton = Skin().Of("buttonUpdateFirmware");
const Area kTryAgainButton = Skin().Of("buttonReinitialize");
const Area kExitButton = Skin().Of("buttonExit");

constexpr std::uint32_t kWarnInk = 0xFFF5B942;
constexpr std::uint32_t kInk = 0xFFF2F4F7;
constexpr std::uint32_t kErrorInk = 0xFFFF7A6B;
constexpr std::uint32_t kButton = 0xFF2E7DD1;
constexpr std::uint32_t kButtonHover = 0xFF4A95E6;
constexpr std::uint32_t kButtonFocus = 0xFF3A89DC;
constexpr std::uint32_t kProgress = 0xFF35B45A;
constexpr std::uint32_t kTrough = 0xFF141B24;

// Short simulated operation times; slow enough per block that the progress can be seen moving,
// and a reset long enough that the window's wait for it can be seen.
const std::string kTimes =
    "update-delay-ms=300 reset-delay-ms=800 erase-ms-per-16k=2 program-ms-per-block=25 "
    "manifest-ms=10";

bool Near(std::uint32_t a, std::uint32_t b, int tolerance)
{
    for (int shift = 0; shift < 24; shift += 8)
    {
        const int difference =
            static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF);
        if (difference > tolerance || difference < -tolerance)
        {
            return false;
        }
    }
    return true;
}

// Pixels of the colour (within a small tolerance) in the area.
int Count(const Screenshot& shot, const Area& area, std::uint32_t colour, int tolerance = 24)
{
    int count = 0;
    for (int y = area.top; y < area.bottom && y < shot.height; ++y)
    {
        for (int x = area.left; x < area.right && x < shot.width; ++x)
        {
            count += Near(shot.At(x, y), colour, tolerance) ? 1 : 0;
        }
    }
    return count;
}

// How far the progress bar is filled, in pixels: the columns of the bar that hold the fill's
// colour. A column, not one row, so that the texts drawn over the bar (the percentage and the
// remaining time) take nothing from the width: a glyph covers part of a column, never all of
// it. -1 when no bar shows (fewer than half of the columns hold the fill's or the trough's
// colour).
int ProgressWidth(const Screenshot& shot)
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
bool ButtonShows(const Screenshot& shot, const Area& area)
{
    const int fill = Count(shot, area, kButton, 8) + Count(shot, area, kButtonHover, 8) +
                     Count(shot, area, kButtonFocus, 8);
    return fill > (area.right - area.left) * (area.bottom - area.top) / 2;
}

// The end of a successful update: the units' new versions and the verdict show, the progress
// and the update button have gone, EXIT stays.
bool Succeeded(const Screenshot& shot)
{
    return ProgressWidth(shot) < 0 && !ButtonShows(shot, kUpdateButton) &&
           ButtonShows(shot, kExitButton) && Count(shot, kDeviceVersions, kInk) > 200 &&
           Count(shot, kProcessInformation, kInk) > 200;
}

std::string ReadText(const std::string& path)
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

    // Starts the program on the description and waits (10 s at most) for its window.
    void StartProgram(const std::string& devices)
    {
        ASSERT_TRUE(mWorld->WriteDevices(devices));
        mProgram = std::make_unique<ProgramUnderDisplay>(mWorld->Program(),
                                                         mWorld->Environment(mDisplay.Name()));
        ASSERT_TRUE(mProgram->Start({}, mWorld->Path("errors.txt")));
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

TEST_F(EndToEndWindow, ShowsTheDevicesAndUpdatesBothImagesFromOneClick)
{
    StartProgram(mWorld->DeviceLine(Unit::Controller, "00.30", kTimes) +
                 mWorld->DeviceLine(Unit::WheelDisplay, "00.49", kTimes));
    // The window tells that the devices are simulated, shows both units' versions and the
    // files', and offers the update.
    const Screenshot start = WaitForWindow(
        "1-found", 10s, [](const Screenshot& shot) { return ButtonShows(shot, kUpdateButton); });
    ASSERT_FALSE(start.Empty());
    EXPECT_GT(Count(start, kSimulatedLabel, kWarnInk), 40);
    EXPECT_GT(Count(start, kDeviceVersions, kInk), 200);
    EXPECT_GT(Count(start, kFileVersions, kInk), 200);
    EXPECT_EQ(ProgressWidth(start), -1);

    ASSERT_TRUE(mServer.Click(mWindow, kUpdateButton.CentreX(), kUpdateButton.CentreY()));
    // The controller goes into update mode, is written with the progress moving, resets; then
    // the wheel display.
    for (const std::string image : {"2-controller", "3-wheel-display"})
    {
        SCOPED_TRACE(image);
        const std::vector<int> widths = FollowProgress(image + "-writing", 30s);
        ASSERT_GE(widths.size(), 3u) << "the progress did not move; the program said: " << Errors();
        EXPECT_LT(widths.front(), widths.back());
        EXPECT_GE(*std::max_element(widths.begin(), widths.end()),
                  (kProgressBar.right - kProgressBar.left) * 9 / 10);
        // Written, the unit resets: the window waits for it, offering NEXT in the meantime.
        ASSERT_FALSE(WaitForWindow(image + "-resetting", 10s,
                                   [](const Screenshot& shot) {
                                       return ProgressWidth(shot) < 0 &&
                                              ButtonShows(shot, kUpdateButton);
                                   })
                         .Empty());
    }

    // Both end with their target versions, their flash byte for byte the images, and the
    // window says so.
    ASSERT_NO_FATAL_FAILURE(ExpectBothUpdated(30s));
    EXPECT_FALSE(mProgram->WaitForExit(0ms).has_value()) << "the window went away";
}

// A block of the controller's image fails to program: the window shows the failure and offers
// TRY AGAIN; from there the update runs to its end.
TEST_F(EndToEndWindow, ShowsAFailedWriteAndTryAgainUpdatesBothImages)
{
    StartProgram(mWorld->DeviceLine(Unit::Controller, "00.30", kTimes + " fault=program:fail:12") +
                 mWorld->DeviceLine(Unit::WheelDisplay, "00.49", kTimes));
    ASSERT_FALSE(WaitForWindow("1-found", 10s,
                               [](const Screenshot& shot)
                               { return ButtonShows(shot, kUpdateButton); })
                     .Empty());
    ASSERT_TRUE(mServer.Click(mWindow, kUpdateButton.CentreX(), kUpdateButton.CentreY()));

    const Screenshot failed =
        WaitForWindow("2-failed", 30s,
                      [](const Screenshot& shot) {
                          return Count(shot, kCannotUpdate, kErrorInk) > 100 &&
                                 ButtonShows(shot, kTryAgainButton);
                      });
    ASSERT_FALSE(failed.Empty());
    EXPECT_EQ(ProgressWidth(failed), -1);
    EXPECT_FALSE(mWorld->FlashHoldsImage(Unit::Controller));
    EXPECT_EQ(mWorld->FlashVersion(Unit::WheelDisplay), 0x0049);

    ASSERT_TRUE(mServer.Click(mWindow, kTryAgainButton.CentreX(), kTryAgainButton.CentreY()));
    ASSERT_FALSE(WaitForWindow("3-tried-again", 10s,
                               [](const Screenshot& shot) {
                                   return ButtonShows(shot, kUpdateButton) &&
                                          Count(shot, kCannotUpdate, kErrorInk) == 0;
                               })
                     .Empty());
    ASSERT_TRUE(mServer.Click(mWindow, kUpdateButton.CentreX(), kUpdateButton.CentreY()));
    ASSERT_NO_FATAL_FAILURE(ExpectBothUpdated(60s));
}
} // namespace
