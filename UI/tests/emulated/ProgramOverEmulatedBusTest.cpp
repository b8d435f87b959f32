// The real program over the real USB back-end (libusb) against emulated USB hardware: an
// emulated bus (umockdev, EmulatedUsbBus) shows the project's simulated DfuSe units as USB devices
// in sysfs, with device nodes whose usbdevfs requests go to those units. The program is started
// without simulated devices of its own, so it finds, opens, claims and writes them as it would
// real hardware. What it writes is read from the units' flash; the bus shows them re-enumerating
// in normal mode with the version of the image they hold.
//
// The test runs under umockdev-wrapper (ctest starts it so), which preloads umockdev's library
// into it and into the programs it starts.
#include "EmulatedUsbBus.h"
#include "ProgramUnderDisplay.h"
#include "SkinPlaces.h"
#include "UpdaterWorld.h"
#include "VirtualDisplay.h"

#include "platform/SimulatedDevices.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace
{
using OrvPlatform::SimulatedDevices;
using OrvPlatform::SimulatedFault;
using OrvPlatform::SimulatedFaultRule;
using OrvPlatform::SimulatedMode;
using OrvPlatform::SimulatedStep;
using OrvPlatform::SimulatedUnit;
using OrvPlatform::SimulatedUnitConfig;
using OrvTest::EmulatedUsbBus;
using OrvTest::ProgramUnderDisplay;
using OrvTest::Unit;
using OrvTest::UpdaterWorld;
using namespace std::chrono_literals;

constexpr std::uint16_t kOldVersion = 0x0030;
constexpr std::size_t kImageSize = 32 * 1024;

std::string ReadText(const std::string& path)
{
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A fast unit of the product: short operations and a short reset.
SimulatedUnitConfig FastUnit(SimulatedUnitConfig config, SimulatedMode mode)
{
    config.initialMode = mode;
    config.updateModeDelay = 20ms;
    config.resetDelay = 20ms;
    config.timings.eraseTimePer16K = 1ms;
    config.timings.programTimePerBlock = 1ms;
    config.timings.commandTime = 1ms;
    config.timings.manifestTime = 5ms;
    return config;
}

class ProgramOverEmulatedBus : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(EmulatedUsbBus::InMockEnvironment())
            << "run this test under umockdev-wrapper (ctest does)";
        SimulatedDevices::Reset();
        mWorld =
            std::make_unique<UpdaterWorld>(ORV_UPDATER_PROGRAM, ::testing::TempDir(), kImageSize);
        ASSERT_TRUE(mWorld->Ok()) << mWorld->Error();
        mBus = std::make_unique<EmulatedUsbBus>();
    }

    void TearDown() override
    {
        mProgram.reset();
        mBus.reset();
        SimulatedDevices::Reset();
    }

    std::shared_ptr<SimulatedUnit> AddController(SimulatedMode mode, std::uint16_t version,
                                                 std::vector<SimulatedFaultRule> faults = {})
    {
        SimulatedUnitConfig config = FastUnit(SimulatedUnitConfig::Controller(version), mode);
        config.faults = std::move(faults);
        return SimulatedDevices::AddUnit(config);
    }

    // The program's environment: the world's folders, no simulated devices; the emulated bus
    // comes with this process's own environment.
    std::map<std::string, std::string> Environment(const std::string& display) const
    {
        auto environment = mWorld->Environment(display);
        environment.erase(SimulatedDevices::kEnvironmentVariable);
        return environment;
    }

    // The arguments that name the controller's file.
    std::string ControllerFile() const
    {
        return "-ABSOLUTE_FIRMWARE_FILE_PATH=" + mWorld->Path(UpdaterWorld::kControllerFile);
    }

    // Runs the program with the arguments until it ends (a minute at most); its exit status,
    // -1 when it did not end. withoutFileAccessOverride: run as root, it is run without the
    // capabilities that let root open any file, so that the device nodes' modes hold for it as
    // they hold for a user.
    int Run(std::vector<std::string> arguments, bool withoutFileAccessOverride = false)
    {
        EXPECT_TRUE(mBus->Settle());
        std::string program = mWorld->Program();
        if (withoutFileAccessOverride && geteuid() == 0)
        {
            arguments.insert(arguments.begin(),
                             {"--bounding-set", "-dac_override,-dac_read_search", program});
            program = "/usr/bin/setpriv";
        }
        mProgram = std::make_unique<ProgramUnderDisplay>(program, Environment(std::string()));
        if (!mProgram->Start(arguments, mWorld->Path("errors.txt")))
        {
            return -2;
        }
        return mProgram->WaitForExit(60s).value_or(-1);
    }

    std::string Errors() const { return ReadText(mWorld->Path("errors.txt")); }

    // Whether the unit's application area holds the controller's image, byte for byte.
    bool HoldsImage(const SimulatedUnit& unit) const
    {
        const auto& image = mWorld->Image(Unit::Controller);
        return unit.ReadFlash(OrvPlatform::kSimulatedApplicationStart,
                              static_cast<std::uint32_t>(image.size())) == image;
    }

    std::unique_ptr<UpdaterWorld> mWorld;
    std::unique_ptr<EmulatedUsbBus> mBus;
    std::unique_ptr<ProgramUnderDisplay> mProgram;
};

// What a -SILENT update of the controller's file meets on the bus, and how it must end.
struct SilentCase
{
    const char* name;
    std::vector<SimulatedFaultRule> faults; // of the controller, in update mode at 00.30
    bool secondBootloader;                  // the wheel display in update mode beside it
    bool nodesAccessible;
    int status;
    const char* said; // on the standard error stream
    bool written;     // the image is in the flash
    SimulatedMode endMode;
    std::uint16_t endVersion;
};

void PrintTo(const SilentCase& c, std::ostream* out)
{
    *out << c.name;
}

class SilentUpdate : public ProgramOverEmulatedBus, public ::testing::WithParamInterface<SilentCase>
{
};

TEST_P(SilentUpdate, EndsAsTheBusLets)
{
    const SilentCase& c = GetParam();
    mBus->SetNodesAccessible(c.nodesAccessible);
    const auto controller = AddController(SimulatedMode::Bootloader, kOldVersion, c.faults);
    std::shared_ptr<SimulatedUnit> wheel;
    if (c.secondBootloader)
    {
        wheel = SimulatedDevices::AddUnit(
            FastUnit(SimulatedUnitConfig::WheelDisplay(0x0049), SimulatedMode::Bootloader));
    }
    const auto before =
        controller->ReadFlash(OrvPlatform::kSimulatedFlashBase, OrvPlatform::kSimulatedFlashSize);

    EXPECT_EQ(Run({"-SILENT", ControllerFile()}, !c.nodesAccessible), c.status) << Errors();
    EXPECT_NE(Errors().find(c.said), std::string::npos) << Errors();
    if (c.status == 0)
    {
        EXPECT_EQ(Errors().find("Device failure"), std::string::npos) << Errors();
    }
    EXPECT_EQ(HoldsImage(*controller), c.written) << Errors();
    if (c.endMode != SimulatedMode::OffBus)
    {
        EXPECT_TRUE(controller->WaitForMode(c.endMode, 2s));
        EXPECT_EQ(controller->FirmwareVersion(), c.endVersion);
    }
    if (!c.written && c.status != 0 && c.faults.empty())
    {
        // Refused before the first request: the flash is as it was.
        EXPECT_EQ(controller->ReadFlash(OrvPlatform::kSimulatedFlashBase,
                                        OrvPlatform::kSimulatedFlashSize),
                  before);
        EXPECT_TRUE(controller->RequestLog().empty());
    }
    if (wheel)
    {
        EXPECT_TRUE(wheel->RequestLog().empty());
    }
    // The bus the program saw ends as the units are.
    ASSERT_TRUE(mBus->Settle());
    const auto devices = mBus->Devices();
    if (c.endMode == SimulatedMode::Normal)
    {
        EXPECT_EQ(devices, std::vector<std::string>{"7a5e:8010/0031"});
    }
    else if (c.endMode == SimulatedMode::OffBus)
    {
        EXPECT_TRUE(devices.empty() || c.secondBootloader);
    }
}

SimulatedFaultRule Rule(SimulatedStep step, SimulatedFault fault, unsigned occurrence = 1)
{
    SimulatedFaultRule rule;
    rule.step = step;
    rule.fault = fault;
    rule.occurrence = occurrence;
    return rule;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SilentUpdate,
    ::testing::Values(SilentCase{"WholeDownload",
                                 {},
                                 false,
                                 true,
                                 0,
                                 "",
                                 true,
                                 SimulatedMode::Normal,
                                 UpdaterWorld::kControllerTarget},
                      SilentCase{"UnpluggedAfterTheThirdDataBlock",
                                 {Rule(SimulatedStep::DataRequest, SimulatedFault::Vanish, 3)},
                                 false,
                                 true,
                                 1,
                                 "no longer on the bus",
                                 false,
                                 SimulatedMode::OffBus,
                                 kOldVersion},
                      SilentCase{"NodeNotAccessible",
                                 {},
                                 false,
                                 false,
                                 1,
                                 "Install the udev rule",
                                 false,
                                 SimulatedMode::Bootloader,
                                 kOldVersion},
                      SilentCase{"BackStillInUpdateMode",
                                 {Rule(SimulatedStep::ReturnToNormal, SimulatedFault::Fail)},
                                 false,
                                 true,
                                 1,
                                 "came back still in DFU mode",
                                 true,
                                 SimulatedMode::Bootloader,
                                 UpdaterWorld::kControllerTarget},
                      SilentCase{"NeverBack",
                                 {Rule(SimulatedStep::ReturnToNormal, SimulatedFault::Vanish)},
                                 false,
                                 true,
                                 1,
                                 "has not come back from its reset",
                                 true,
                                 SimulatedMode::OffBus,
                                 kOldVersion},
                      SilentCase{"TwoBootloaders",
                                 {},
                                 true,
                                 true,
                                 1,
                                 "more than one device in DFU mode",
                                 false,
                                 SimulatedMode::Bootloader,
                                 kOldVersion}),
    [](const ::testing::TestParamInfo<SilentCase>& info) { return std::string(info.param.name); });

// The controller in normal mode is found by its ids, its version read from the bcdDevice sysfs
// gives: older than the file, or as new.
TEST_F(ProgramOverEmulatedBus, FindsTheNormalModeControllerAndItsVersion)
{
    const struct
    {
        std::uint16_t version;
        int status;
    } cases[] = {{kOldVersion, 5}, {UpdaterWorld::kControllerTarget, 4}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.version);
        SimulatedDevices::Reset();
        const auto controller = AddController(SimulatedMode::Normal, c.version);
        EXPECT_EQ(Run({"-RETURN_UPDATE_MODE_STATUS", "-DEVICE_PID=32784", ControllerFile()}),
                  c.status)
            << Errors();
        EXPECT_TRUE(controller->RequestLog().empty());
    }
}

// The window, once, as a person uses it: the controller waits in update mode, UPDATE FIRMWARE
// writes the file's image to it and the window ends showing the success.
class WindowOverEmulatedBus : public ProgramOverEmulatedBus
{
protected:
    // Where the skin puts what the test looks at and clicks.
    static OrvTest::Place Of(const std::string& name)
    {
        static const OrvTest::SkinPlaces places = []
        {
            OrvTest::SkinPlaces read;
            std::string error;
            EXPECT_TRUE(read.Read(ORV_UPDATER_SKIN, error)) << error;
            return read;
        }();
        return places.Of(name);
    }

    // Pixels of the colour in the place (each channel within 8).
    static int Count(const OrvTest::Screenshot& shot, const OrvTest::Place& place,
                     std::uint32_t colour)
    {
        int count = 0;
        for (int y = place.top; y < place.bottom && y < shot.height; ++y)
        {
            for (int x = place.left; x < place.right && x < shot.width; ++x)
            {
                bool near = true;
                for (int shift = 0; shift < 24; shift += 8)
                {
                    const int a = static_cast<int>((shot.At(x, y) >> shift) & 0xFF);
                    const int b = static_cast<int>((colour >> shift) & 0xFF);
                    near = near && a - b <= 8 && b - a <= 8;
                }
                count += near ? 1 : 0;
            }
        }
        return count;
    }

    // Whether the button's colour fills most of the place.
    static bool ButtonShows(const OrvTest::Screenshot& shot, const OrvTest::Place& place)
    {
        const int fill = Count(shot, place, kButton) + Count(shot, place, kButtonHover) +
                         Count(shot, place, kButtonFocus);
        return fill > (place.right - place.left) * (place.bottom - place.top) / 2;
    }

    // Screenshots every 10 ms until one satisfies the condition (limit at most); the last one,
    // kept as the artefact <stage>.png.
    OrvTest::Screenshot WaitFor(const std::string& stage, std::chrono::milliseconds limit,
                                const std::function<bool(const OrvTest::Screenshot&)>& condition)
    {
        OrvTest::Screenshot shot;
        const bool seen = OrvTest::PollUntil(limit,
                                             [&]
                                             {
                                                 shot = mServer.Capture(mWindow);
                                                 return !shot.Empty() && condition(shot);
                                             });
        EXPECT_TRUE(shot.SavePng(std::string(ORV_TEST_ARTEFACTS) + "/window-" + stage + ".png"));
        EXPECT_TRUE(seen) << "the window did not reach " << stage
                          << "; the program said: " << Errors();
        return seen ? shot : OrvTest::Screenshot();
    }

    static constexpr std::uint32_t kButton = 0xFF2E7DD1;
    static constexpr std::uint32_t kButtonHover = 0xFF4A95E6;
    static constexpr std::uint32_t kButtonFocus = 0xFF3A89DC;
    static constexpr std::uint32_t kInk = 0xFFF2F4F7;
    static constexpr std::uint32_t kWarnInk = 0xFFF5B942;

    OrvTest::VirtualDisplay mDisplay;
    OrvTest::XServerClient mServer;
    unsigned long mWindow = 0;
};

TEST_F(WindowOverEmulatedBus, UpdateFirmwareWritesTheControllerInUpdateMode)
{
    ASSERT_TRUE(mDisplay.Start(800, 600)) << "Xvfb could not be started";
    std::string error;
    ASSERT_TRUE(mServer.Connect(mDisplay.Name(), error)) << error;
    const auto controller = AddController(SimulatedMode::Bootloader, kOldVersion);
    ASSERT_TRUE(mBus->Settle());
    mProgram =
        std::make_unique<ProgramUnderDisplay>(mWorld->Program(), Environment(mDisplay.Name()));
    ASSERT_TRUE(mProgram->Start({ControllerFile()}, mWorld->Path("errors.txt")));
    ASSERT_TRUE(OrvTest::PollUntil(10s,
                                   [&]
                                   {
                                       for (const auto& window :
                                            mServer.FindWindows("orv-firmware-updater"))
                                       {
                                           if (window.width == 480)
                                           {
                                               mWindow = window.id;
                                               return true;
                                           }
                                       }
                                       return false;
                                   }))
        << "no window; the program said: " << Errors();

    const OrvTest::Place update = Of("buttonUpdateFirmware");
    const OrvTest::Place exit = Of("buttonExit");
    const OrvTest::Place versions = Of("labelDeviceFirmwareVersion");
    const OrvTest::Screenshot found = WaitFor(
        "1-found", 10s, [&](const OrvTest::Screenshot& shot) { return ButtonShows(shot, update); });
    ASSERT_FALSE(found.Empty());
    // The program runs on the bus, not on simulated devices of its own: it does not say so.
    EXPECT_EQ(Count(found, Of("labelSimulatedDevices"), kWarnInk), 0);
    ASSERT_TRUE(mServer.Click(mWindow, update.CentreX(), update.CentreY()));

    ASSERT_TRUE(controller->WaitForMode(SimulatedMode::Normal, 30s)) << Errors();
    const OrvTest::Screenshot done = WaitFor("2-updated", 20s,
                                             [&](const OrvTest::Screenshot& shot)
                                             {
                                                 return !ButtonShows(shot, update) &&
                                                        ButtonShows(shot, exit) &&
                                                        Count(shot, versions, kInk) > 200;
                                             });
    ASSERT_FALSE(done.Empty());
    EXPECT_TRUE(HoldsImage(*controller));
    EXPECT_EQ(controller->FirmwareVersion(), UpdaterWorld::kControllerTarget);
    EXPECT_FALSE(mProgram->WaitForExit(0ms).has_value()) << "the window went away";
}
} // namespace
