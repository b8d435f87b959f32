// A second start of the program while the first runs, as a person or an installer meets it: the
// real program on an X server of the test's own, against simulated units that keep their flash
// in files. The second start hands its command line over and says on standard error what became
// of it; with -SILENT or -RETURN_UPDATE_MODE_STATUS it ends with status 1, since its own job
// was not done by it. The running window takes the command line while it writes nothing, and
// leaves an update it writes undisturbed.
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

namespace
{
using OrvTest::ProgramUnderDisplay;
using OrvTest::Screenshot;
using OrvTest::Unit;
using OrvTest::UpdaterWorld;
using OrvTest::XServerClient;
using namespace std::chrono_literals;

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

constexpr std::uint32_t kButton = 0xFF2E7DD1;
constexpr std::uint32_t kButtonHover = 0xFF4A95E6;
constexpr std::uint32_t kButtonFocus = 0xFF3A89DC;
constexpr std::uint32_t kProgress = 0xFF35B45A;

const char* const kHandedOver = "handed its command line to the running instance";
const char* const kNotTaken = "did not take this start's command line";

// Slow enough per block that a second start falls into the write.
const std::string kTimes =
    "update-delay-ms=300 reset-delay-ms=300 erase-ms-per-16k=2 program-ms-per-block=40 "
    "manifest-ms=10";

std::string ReadText(const std::string& path)
{
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Pixels of the colour (within 8 a channel) in the area.
int Count(const Screenshot& shot, const OrvTest::Place& area, std::uint32_t colour)
{
    return OrvTest::CountNear(shot, area, colour, 8);
}

bool UpdateOffered(const Screenshot& shot)
{
    const OrvTest::Place area = Skin().Of("buttonUpdateFirmware");
    const int fill = Count(shot, area, kButton) + Count(shot, area, kButtonHover) +
                     Count(shot, area, kButtonFocus);
    return fill > (area.right - area.left) * (area.bottom - area.top) / 2;
}

bool Writing(const Screenshot& shot)
{
    return Count(shot, Skin().Of("progressBar"), kProgress) > 40;
}

class EndToEndSecondStart : public ::testing::Test
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
        ASSERT_TRUE(mWorld->WriteDevices(mWorld->DeviceLine(Unit::Controller, "00.30", kTimes) +
                                         mWorld->DeviceLine(Unit::WheelDisplay, "00.49", kTimes)));
    }

    // Starts the first instance with the arguments and, unless it runs without a window, waits
    // (10 s at most) for its window to offer the update.
    void StartFirst(const std::vector<std::string>& arguments, bool window = true)
    {
        mFirst = std::make_unique<ProgramUnderDisplay>(mWorld->Program(),
                                                       mWorld->Environment(mDisplay.Name()));
        ASSERT_TRUE(mFirst->Start(arguments, mWorld->Path("first.txt")));
        if (!window)
        {
            return;
        }
        ASSERT_TRUE(OrvTest::PollUntil(10s,
                                       [&]
                                       {
                                           for (const auto& found :
                                                mServer.FindWindows("orv-firmware-updater"))
                                           {
                                               if (found.width == 480)
                                               {
                                                   mWindow = found.id;
                                                   return true;
                                               }
                                           }
                                           return false;
                                       }))
            << "no window; the program said: " << ReadText(mWorld->Path("first.txt"));
        ASSERT_TRUE(WaitForWindow("found", 10s, UpdateOffered));
    }

    // Runs a second start to its end (20 s at most): its exit status, and what it said on
    // standard error in said.
    int SecondStart(const std::string& name, std::vector<std::string> arguments, std::string& said)
    {
        for (std::string& argument : arguments)
        {
            const auto at = argument.find('@');
            if (at != std::string::npos)
            {
                argument = argument.substr(0, at) + mWorld->Path(argument.substr(at + 1));
            }
        }
        ProgramUnderDisplay second(mWorld->Program(), mWorld->Environment(mDisplay.Name()));
        const std::string errorFile = mWorld->Path(name + ".txt");
        if (!second.Start(arguments, errorFile))
        {
            return -2;
        }
        const auto status = second.WaitForExit(20s);
        said = ReadText(errorFile);
        return status.value_or(-1);
    }

    // Screenshots until one satisfies the condition (at most limit); the last one is kept as
    // the artefact of the stage.
    bool WaitForWindow(const std::string& stage, std::chrono::milliseconds limit,
                       const std::function<bool(const Screenshot&)>& condition)
    {
        Screenshot shot;
        const bool seen = OrvTest::PollUntil(limit,
                                             [&]
                                             {
                                                 shot = mServer.Capture(mWindow);
                                                 return !shot.Empty() && condition(shot);
                                             });
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        shot.SavePng(std::string(ORV_TEST_ARTEFACTS) + "/" + test->name() + "-" + stage +
                     (seen ? "" : "-not-reached") + ".png");
        return seen;
    }

    bool BothUpdated(std::chrono::milliseconds limit) const
    {
        return OrvTest::PollUntil(limit,
                                  [&]
                                  {
                                      return mWorld->FlashVersion(Unit::Controller) ==
                                                 UpdaterWorld::kControllerTarget &&
                                             mWorld->FlashVersion(Unit::WheelDisplay) ==
                                                 UpdaterWorld::kWheelDisplayTarget;
                                  }) &&
               mWorld->FlashHoldsImage(Unit::Controller) &&
               mWorld->FlashHoldsImage(Unit::WheelDisplay);
    }

    std::string FirstSaid() const { return ReadText(mWorld->Path("first.txt")); }

    OrvTest::VirtualDisplay mDisplay;
    XServerClient mServer;
    std::unique_ptr<UpdaterWorld> mWorld;
    std::unique_ptr<ProgramUnderDisplay> mFirst;
    unsigned long mWindow = 0;
};

// The first window writes nothing: it takes another file from a plain second start (which ends
// with 0), and a -SILENT second start's update, which it runs itself (that start ends with 1).
TEST_F(EndToEndSecondStart, AnIdleWindowTakesTheCommandLine)
{
    ASSERT_NO_FATAL_FAILURE(StartFirst({}));

    std::string said;
    EXPECT_EQ(SecondStart("plain", {"-ABSOLUTE_FIRMWARE_FILE_PATH=@missing.dfu"}, said), 0);
    EXPECT_NE(said.find(kHandedOver), std::string::npos) << said;
    // The missing file is the window's file now: no update is offered.
    EXPECT_TRUE(WaitForWindow("other-file", 10s,
                              [](const Screenshot& shot) { return !UpdateOffered(shot); }))
        << FirstSaid();

    EXPECT_EQ(SecondStart("silent", {"-SILENT"}, said), 1);
    EXPECT_NE(said.find(kHandedOver), std::string::npos) << said;
    EXPECT_NE(said.find("exit status 1"), std::string::npos) << said;
    // The window runs the update of the default files itself, both images.
    EXPECT_TRUE(WaitForWindow("writing", 20s, Writing)) << FirstSaid();
    EXPECT_TRUE(BothUpdated(60s)) << FirstSaid();
    EXPECT_FALSE(mFirst->WaitForExit(0ms).has_value()) << "the first window went away";
}

// The first window writes an update: second starts are not taken, say so, and the update ends
// with both images written from the files the first instance had.
TEST_F(EndToEndSecondStart, AWindowWritingAnUpdateDoesNotTakeTheCommandLine)
{
    ASSERT_NO_FATAL_FAILURE(StartFirst({}));
    const OrvTest::Place update = Skin().Of("buttonUpdateFirmware");
    ASSERT_TRUE(mServer.Click(mWindow, update.CentreX(), update.CentreY()));
    ASSERT_TRUE(WaitForWindow("writing", 20s, Writing)) << FirstSaid();

    struct Case
    {
        const char* name;
        std::vector<std::string> arguments;
        int status;
    };
    const Case cases[] = {
        {"silent", {"-SILENT", "-ABSOLUTE_FIRMWARE_FILE_PATH=@missing.dfu"}, 1},
        {"status", {"-RETURN_UPDATE_MODE_STATUS"}, 1},
        {"plain", {"-ABSOLUTE_FIRMWARE_FILE_PATH=@missing.dfu"}, 0},
    };
    for (const Case& c : cases)
    {
        std::string said;
        EXPECT_EQ(SecondStart(c.name, c.arguments, said), c.status) << c.name;
        EXPECT_NE(said.find(kNotTaken), std::string::npos) << c.name << ": " << said;
    }
    EXPECT_TRUE(BothUpdated(60s)) << FirstSaid();
    EXPECT_FALSE(mFirst->WaitForExit(0ms).has_value()) << "the first window went away";
}

// The first instance runs a -SILENT update without a window: a second -SILENT start is not
// taken and ends with 1 at once; the first ends by itself with both images written.
TEST_F(EndToEndSecondStart, AHeadlessRunDoesNotTakeTheCommandLine)
{
    ASSERT_NO_FATAL_FAILURE(StartFirst({"-SILENT"}, false));
    // The first holds the lock once it writes: the controller's flash, seen at its old version,
    // no longer holds it.
    bool seenOld = false;
    ASSERT_TRUE(OrvTest::PollUntil(20s,
                                   [&]
                                   {
                                       const bool old =
                                           mWorld->FlashVersion(Unit::Controller) == 0x0030;
                                       seenOld = seenOld || old;
                                       return seenOld && !old;
                                   }))
        << FirstSaid();

    std::string said;
    EXPECT_EQ(SecondStart("silent", {"-SILENT"}, said), 1);
    EXPECT_NE(said.find(kNotTaken), std::string::npos) << said;
    EXPECT_EQ(mFirst->WaitForExit(60s), 0) << FirstSaid();
    EXPECT_TRUE(BothUpdated(0ms));
}
} // namespace
