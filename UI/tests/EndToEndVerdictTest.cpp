// What the window tells after an update that did not go as planned, as a person sees it: the real
// program on an X server of the test's own against simulated units whose flash lives in files. An
// ABORT wherever it falls ends the whole sequence and the window says which unit holds what; a
// damaged file named at start is refused before any click; an image that is not the one its file
// names is never told as a success. What the window's labels and status bar say is read from the
// program's debug output (its standard error); what they look like from screenshots.
#include "EndToEndWindowFixture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace
{
using namespace OrvTest::EndToEnd;
using OrvTest::Screenshot;
using OrvTest::Unit;
using OrvTest::UpdaterWorld;
namespace fs = std::filesystem;

const Area kAbortButton = Skin().Of("buttonAbort");
const Area kFileInformation = Skin().Of("labelFirmwareFileInformation");
const Area kStatusText = Skin().Of("label1");

// Pixels of the status bar's text: those that differ from the bar's own colour.
int StatusInk(const Screenshot& shot)
{
    const std::uint32_t background = shot.At(kStatusText.left - 4, kStatusText.CentreY());
    const int area =
        (kStatusText.right - kStatusText.left) * (kStatusText.bottom - kStatusText.top);
    return area - Count(shot, kStatusText, background, 16);
}

class EndToEndVerdict : public EndToEndWindow
{
protected:
    bool Said(const std::string& text) const { return Errors().find(text) != std::string::npos; }

    // The texts of the window's labels as the program last reported them (they hold line
    // breaks), with whatever the program said after them.
    std::string LastShown() const
    {
        const std::string errors = Errors();
        const auto at = errors.rfind("The window shows: ");
        return at == std::string::npos ? std::string() : errors.substr(at);
    }

    // Waits until the program has written the text to its debug output.
    void WaitUntilSaid(const std::string& text, std::chrono::milliseconds limit)
    {
        ASSERT_TRUE(OrvTest::PollUntil(limit, [&] { return Said(text); }))
            << "the program never said \"" << text << "\"; it said: " << Errors();
    }

    void Click(const Area& area)
    {
        ASSERT_TRUE(mServer.Click(mWindow, area.CentreX(), area.CentreY()));
    }

    // Clicks EXIT and waits for the program to end: from then on nothing more can start.
    void ExitProgram(const Screenshot& shot)
    {
        ASSERT_TRUE(ButtonShows(shot, kExitButton));
        Click(kExitButton);
        ASSERT_TRUE(mProgram->WaitForExit(20s).has_value()) << "EXIT did not end the program";
    }

    // Both units in normal mode with old versions, with the fixture's times; a unit's further
    // keys replace those times' keys of the same name.
    std::string Devices(const std::string& controllerExtra = std::string(),
                        const std::string& wheelDisplayExtra = std::string()) const
    {
        const auto times = [](const std::string& extra)
        {
            std::istringstream keys(kTimes);
            std::string result = extra;
            for (std::string key; keys >> key;)
            {
                if (extra.find(key.substr(0, key.find('=') + 1)) == std::string::npos)
                {
                    result += " " + key;
                }
            }
            return result;
        };
        return mWorld->DeviceLine(Unit::Controller, "00.30", times(controllerExtra)) +
               mWorld->DeviceLine(Unit::WheelDisplay, "00.49", times(wheelDisplayExtra));
    }
};

const std::string kNoWheelDisplayImage[] = {"Status: Entering update mode: the wheel display",
                                            "Status: Writing the wheel display image"};

// ABORT while the controller's bar moves: the controller keeps an incomplete image in update mode
// and the window says so and how to write it again; the wheel display is never touched.
TEST_F(EndToEndVerdict, AbortDuringTheControllersWriteStartsNoFurtherImage)
{
    // A slow write, so that the bar is seen mid-write however loaded the machine is.
    StartProgram(Devices("program-ms-per-block=150"));
    ASSERT_FALSE(WaitForWindow("1-found", 10s,
                               [](const Screenshot& shot)
                               { return ButtonShows(shot, kUpdateButton); })
                     .Empty());
    const std::vector<std::uint8_t> wheelDisplay = mWorld->Flash(Unit::WheelDisplay);
    ASSERT_FALSE(wheelDisplay.empty());
    Click(kUpdateButton);

    // The bar passes half at its first step (the erase); three quarters is still mid-write.
    const int threeQuarters = (kProgressBar.right - kProgressBar.left) * 3 / 4;
    const Screenshot writing = WaitForWindow("2-writing", 30s,
                                             [&](const Screenshot& shot)
                                             {
                                                 const int width = ProgressWidth(shot);
                                                 return width > 20 && width < threeQuarters &&
                                                        ButtonShows(shot, kAbortButton);
                                             });
    ASSERT_FALSE(writing.Empty());
    Click(kAbortButton);

    ASSERT_NO_FATAL_FAILURE(WaitUntilSaid("Status: Update aborted: the controller holds an "
                                          "incomplete image and stays in update mode. Click TRY "
                                          "AGAIN, then UPDATE FIRMWARE, to write it again.",
                                          30s));
    const Screenshot aborted = WaitForWindow(
        "3-aborted", 10s,
        [](const Screenshot& shot) { return ProgressWidth(shot) < 0 && StatusInk(shot) > 300; });
    ASSERT_FALSE(aborted.Empty());
    EXPECT_GT(Count(aborted, kProcessInformation, kInk), 50);
    EXPECT_TRUE(Said("Update aborted.")) << Errors();
    EXPECT_FALSE(mWorld->FlashHoldsImage(Unit::Controller));
    EXPECT_EQ(mWorld->FlashVersion(Unit::Controller), std::nullopt) << "not an incomplete image";

    ASSERT_NO_FATAL_FAILURE(ExitProgram(aborted));
    EXPECT_EQ(mWorld->Flash(Unit::WheelDisplay), wheelDisplay);
    for (const std::string& step : kNoWheelDisplayImage)
    {
        EXPECT_FALSE(Said(step)) << Errors();
    }
}

// ABORT after the controller's image was written, while it resets, or while the wheel display
// enters update mode: the wheel display's image never starts and its flash stays as it was; the
// controller runs its new image.
TEST_F(EndToEndVerdict, AbortDuringTheResetWaitOrBetweenTheImagesStartsNoFurtherImage)
{
    const struct
    {
        const char* name;
        std::string controllerExtra;
        std::string wheelDisplayExtra;
        const char* moment; // the status text once the moment has come
        const char* outcome;
    } cases[] = {
        {"reset-wait", "reset-delay-ms=4000", "",
         "Status: Waiting for the controller to reset into its new firmware",
         "Status: Update aborted: the controller image was written and runs; no further image was "
         "started."},
        {"between-images", "", "update-delay-ms=4000",
         "Status: Entering update mode: the wheel display",
         "Status: Update aborted: the wheel display is in update mode; nothing was written to it."},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        mWorld =
            std::make_unique<UpdaterWorld>(ORV_UPDATER_PROGRAM, ::testing::TempDir(), 64 * 1024);
        ASSERT_TRUE(mWorld->Ok()) << mWorld->Error();
        StartProgram(Devices(c.controllerExtra, c.wheelDisplayExtra));
        const std::string stage = std::string(c.name) + "-";
        ASSERT_FALSE(WaitForWindow(stage + "1-found", 10s,
                                   [](const Screenshot& shot)
                                   { return ButtonShows(shot, kUpdateButton); })
                         .Empty());
        const std::vector<std::uint8_t> wheelDisplay = mWorld->Flash(Unit::WheelDisplay);
        Click(kUpdateButton);

        ASSERT_NO_FATAL_FAILURE(WaitUntilSaid(c.moment, 60s));
        const Screenshot moment =
            WaitForWindow(stage + "2-abort-offered", 10s,
                          [](const Screenshot& shot) { return ButtonShows(shot, kAbortButton); });
        ASSERT_FALSE(moment.Empty());
        EXPECT_TRUE(mWorld->FlashHoldsImage(Unit::Controller));
        Click(kAbortButton);

        ASSERT_NO_FATAL_FAILURE(WaitUntilSaid(c.outcome, 30s));
        // The status text may reach the screen a frame after the buttons: it is waited for too.
        const Screenshot aborted = WaitForWindow(stage + "3-aborted", 10s,
                                                 [](const Screenshot& shot) {
                                                     return ProgressWidth(shot) < 0 &&
                                                            ButtonShows(shot, kExitButton) &&
                                                            StatusInk(shot) > 300;
                                                 });
        ASSERT_FALSE(aborted.Empty());
        // The result says the update was aborted, whatever the controller's image did; where
        // the controller's version shows, it is the one it runs now.
        const std::string shown = LastShown();
        EXPECT_NE(shown.find("Update aborted."), std::string::npos) << shown;
        EXPECT_EQ(shown.find("does not appear"), std::string::npos) << shown;
        EXPECT_EQ(shown.find("successfully updated"), std::string::npos) << shown;
        EXPECT_EQ(shown.find("Current Controller Firmware Version: 00.30"), std::string::npos)
            << shown;
        ASSERT_NO_FATAL_FAILURE(ExitProgram(aborted));
        EXPECT_EQ(mWorld->FlashVersion(Unit::Controller), UpdaterWorld::kControllerTarget);
        EXPECT_EQ(mWorld->Flash(Unit::WheelDisplay), wheelDisplay);
        EXPECT_FALSE(Said(kNoWheelDisplayImage[1])) << Errors();
        mProgram.reset();
    }
}

// A file named at start that the reader refuses is shown as invalid at once, with the reader's
// reason in the status bar, and no update is offered.
TEST_F(EndToEndVerdict, ADamagedFileNamedAtStartIsRefusedBeforeAnyClick)
{
    const std::string good = mWorld->Path(UpdaterWorld::kControllerFile);
    std::vector<char> bytes;
    {
        std::ifstream in(good, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), {});
    }
    ASSERT_GT(bytes.size(), 1024u);
    const auto write = [&](const std::string& name, std::size_t size, bool flip)
    {
        std::vector<char> copy(bytes.begin(), bytes.begin() + static_cast<long>(size));
        if (flip)
        {
            copy[copy.size() / 2] ^= 0x5A;
        }
        std::ofstream out(mWorld->Path(name), std::ios::binary);
        out.write(copy.data(), static_cast<std::streamsize>(copy.size()));
    };
    write("empty.dfu", 0, false);
    write("truncated.dfu", bytes.size() / 2, false);
    write("bad-crc.dfu", bytes.size(), true);
    fs::create_directory(mWorld->Path("folder.dfu"));
    ASSERT_EQ(mkfifo(mWorld->Path("fifo.dfu").c_str(), 0600), 0);

    for (const char* name : {"empty.dfu", "truncated.dfu", "bad-crc.dfu", "folder.dfu", "fifo.dfu"})
    {
        SCOPED_TRACE(name);
        StartProgram(Devices(), {"-ABSOLUTE_FIRMWARE_FILE_PATH=" + mWorld->Path(name)});
        ASSERT_NO_FATAL_FAILURE(
            WaitUntilSaid("The firmware update file is missing or invalid.", 20s));
        const Screenshot refused =
            WaitForWindow(std::string("refused-") + name, 10s,
                          [](const Screenshot& shot)
                          {
                              return Count(shot, kFileInformation, kInk) > 100 &&
                                     StatusInk(shot) > 100 && !ButtonShows(shot, kUpdateButton);
                          });
        ASSERT_FALSE(refused.Empty());
        EXPECT_FALSE(ButtonShows(refused, kUpdateButton));
        const std::string errors = Errors();
        const auto status = errors.find("Status: ");
        ASSERT_NE(status, std::string::npos) << "no reason in the status bar: " << errors;
        const std::string reason = errors.substr(status, errors.find('\n', status) - status);
        EXPECT_NE(reason.find(name), std::string::npos) << reason;
        EXPECT_EQ(errors.find("Status: Writing"), std::string::npos) << errors;
        mProgram.reset();
        ASSERT_TRUE(OrvTest::PollUntil(
            10s, [&] { return mServer.FindWindows("orv-firmware-updater").empty(); }));
    }
}

// The two released files' contents swapped: the controller is written with the wheel display's
// image and comes back with its version. The window never tells a success, says the update did not
// succeed, and the status bar names both versions; the wheel display is left alone.
TEST_F(EndToEndVerdict, SwappedImagesAreNeverShownAsASuccess)
{
    const std::string controllerFile = mWorld->Path(UpdaterWorld::kControllerFile);
    const std::string wheelFile = mWorld->Path(UpdaterWorld::kWheelDisplayFile);
    fs::rename(controllerFile, controllerFile + ".tmp");
    fs::rename(wheelFile, controllerFile);
    fs::rename(controllerFile + ".tmp", wheelFile);

    StartProgram(Devices());
    ASSERT_FALSE(WaitForWindow("1-found", 10s,
                               [](const Screenshot& shot)
                               { return ButtonShows(shot, kUpdateButton); })
                     .Empty());
    const std::vector<std::uint8_t> wheelDisplay = mWorld->Flash(Unit::WheelDisplay);
    Click(kUpdateButton);

    ASSERT_NO_FATAL_FAILURE(
        WaitUntilSaid("The update does not appear to have been successful.", 60s));
    const Screenshot failed = WaitForWindow("2-not-successful", 10s,
                                            [](const Screenshot& shot) {
                                                return ProgressWidth(shot) < 0 &&
                                                       ButtonShows(shot, kTryAgainButton) &&
                                                       StatusInk(shot) > 300;
                                            });
    ASSERT_FALSE(failed.Empty());
    EXPECT_GT(Count(failed, kProcessInformation, kInk), 200);
    ASSERT_NO_FATAL_FAILURE(ExitProgram(failed));

    const std::string errors = Errors();
    EXPECT_EQ(errors.find("successfully updated"), std::string::npos) << errors;
    const auto status = errors.rfind("Status: ");
    ASSERT_NE(status, std::string::npos) << errors;
    const std::string last = errors.substr(status, errors.find('\n', status) - status);
    EXPECT_NE(last.find("00.31"), std::string::npos) << last;
    EXPECT_NE(last.find("00.50"), std::string::npos) << last;
    // The device's version is the one the controller reports since it came back.
    const std::string shown = LastShown();
    EXPECT_NE(shown.find("Current Controller Firmware Version: 00.50"), std::string::npos) << shown;
    EXPECT_NE(shown.find("Current Display Firmware Version: 00.49"), std::string::npos) << shown;
    EXPECT_EQ(mWorld->FlashVersion(Unit::Controller), UpdaterWorld::kWheelDisplayTarget);
    EXPECT_EQ(mWorld->Flash(Unit::WheelDisplay), wheelDisplay);
    EXPECT_FALSE(Said(kNoWheelDisplayImage[1])) << errors;
}
} // namespace
