// The remaining time of a write, as a person sees it: the real program on an X server of the
// test's own updates a simulated controller slowly enough that the progress bar estimates the
// time left; the text "... Seconds Remaining" shows at the bar's right while the image is
// written (screenshot kept as an artefact) and not before.
#include "ProgramUnderDisplay.h"
#include "ScreenshotColours.h"
#include "SkinPlaces.h"
#include "UpdaterWorld.h"
#include "VirtualDisplay.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

namespace
{
using OrvTest::Place;
using OrvTest::ProgramUnderDisplay;
using OrvTest::Screenshot;
using OrvTest::Unit;
using OrvTest::UpdaterWorld;
using namespace std::chrono_literals;

// The bar's colours and the text's ink.
constexpr std::uint32_t kProgress = 0xFF35B45A;
constexpr std::uint32_t kTrough = 0xFF141B24;
constexpr std::uint32_t kTextInk = 0xFFFFFFFF;
constexpr std::uint32_t kButton = 0xFF2E7DD1;

// Slow blocks, so that the write takes a few seconds and the estimate has time to show.
const std::string kSlowTimes =
    "update-delay-ms=300 reset-delay-ms=300 erase-ms-per-16k=2 program-ms-per-block=120 "
    "manifest-ms=10";

int Count(const Screenshot& shot, const Place& area, std::uint32_t colour, int tolerance)
{
    return OrvTest::CountNear(shot, area, colour, tolerance);
}

std::string ReadText(const std::string& path)
{
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}
} // namespace

TEST(EndToEndTimeRemaining, TheBarShowsTheTimeLeftWhileAnImageIsWritten)
{
    OrvTest::SkinPlaces skin;
    std::string error;
    ASSERT_TRUE(skin.Read(ORV_UPDATER_SKIN, error)) << error;
    const Place bar = skin.Of("progressBar");
    const Place label = skin.Of("timeRemainingLabel");
    const Place percent = skin.Of("percentCompleteLabel");
    const Place update = skin.Of("buttonUpdateFirmware");
    ASSERT_GT(label.right - label.left, 100) << "the skin has no timeRemainingLabel";
    ASSERT_GE(label.left, percent.right) << "the time lies beside the percentage";
    ASSERT_LE(label.right, bar.right);

    OrvTest::VirtualDisplay display;
    ASSERT_TRUE(display.Start(800, 600)) << "Xvfb could not be started";
    OrvTest::XServerClient server;
    ASSERT_TRUE(server.Connect(display.Name(), error)) << error;
    UpdaterWorld world(ORV_UPDATER_PROGRAM, ::testing::TempDir(), 64 * 1024);
    ASSERT_TRUE(world.Ok()) << world.Error();
    // The wheel display is current: only the controller's image is written.
    ASSERT_TRUE(world.WriteDevices(world.DeviceLine(Unit::Controller, "00.30", kSlowTimes) +
                                   world.DeviceLine(Unit::WheelDisplay, "00.50", kSlowTimes)));
    ProgramUnderDisplay program(world.Program(), world.Environment(display.Name()));
    ASSERT_TRUE(program.Start({}, world.Path("errors.txt")));
    const auto errors = [&] { return ReadText(world.Path("errors.txt")); };

    unsigned long window = 0;
    ASSERT_TRUE(OrvTest::PollUntil(10s,
                                   [&]
                                   {
                                       for (const auto& found :
                                            server.FindWindows("orv-firmware-updater"))
                                       {
                                           if (found.width == 480)
                                           {
                                               window = found.id;
                                               return true;
                                           }
                                       }
                                       return false;
                                   }))
        << errors();
    Screenshot shot;
    ASSERT_TRUE(OrvTest::PollUntil(10s,
                                   [&]
                                   {
                                       shot = server.Capture(window);
                                       return !shot.Empty() &&
                                              Count(shot, update, kButton, 8) >
                                                  (update.right - update.left) *
                                                      (update.bottom - update.top) / 2;
                                   }))
        << errors();
    // Before the write no time shows.
    EXPECT_EQ(Count(shot, label, kTextInk, 40), 0);
    ASSERT_TRUE(server.Click(window, update.CentreX(), update.CentreY()));

    // While the image is written: the bar part filled, and text in the time label's place.
    // A row near the bar's top, above its texts.
    const Place row{bar.left, bar.top + 1, bar.right, bar.top + 2};
    int filled = 0;
    const bool seen = OrvTest::PollUntil(
        30s,
        [&]
        {
            shot = server.Capture(window);
            if (shot.Empty())
            {
                return false;
            }
            filled = Count(shot, row, kProgress, 8);
            const bool writing = filled > 0 && filled < (bar.right - bar.left) * 8 / 10 &&
                                 filled + Count(shot, row, kTrough, 8) > (bar.right - bar.left) / 2;
            return writing && Count(shot, label, kTextInk, 40) > 60;
        });
    EXPECT_TRUE(shot.SavePng(std::string(ORV_TEST_ARTEFACTS) + "/time-remaining" +
                             (seen ? "" : "-not-seen") + ".png"));
    ASSERT_TRUE(seen) << "no remaining time while writing; the program said: " << errors();
    // The text ends at the right of its place.
    const Place right{label.right - 60, label.top, label.right, label.bottom};
    EXPECT_GT(Count(shot, right, kTextInk, 40), 20);

    ASSERT_TRUE(OrvTest::PollUntil(
        30s,
        [&] { return world.FlashVersion(Unit::Controller) == UpdaterWorld::kControllerTarget; }))
        << errors();
    program.Kill();
}
