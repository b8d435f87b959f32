// The updater's window as a person uses it: the real program on an X server of the test's own,
// against a simulated controller and wheel display in normal mode with old versions. The test
// looks at the window only through the server (screenshots, kept as artefacts) and works it only
// through the server (clicks injected with XTest); what the units' flash holds afterwards is
// compared with the images byte for byte.
#include "EndToEndWindowFixture.h"

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
using namespace OrvTest::EndToEnd;
using OrvTest::Screenshot;
using OrvTest::Unit;
using OrvTest::UpdaterWorld;

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
