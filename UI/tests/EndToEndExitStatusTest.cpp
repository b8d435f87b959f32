// The program run as an installer runs it: with -SILENT, -RETURN_UPDATE_MODE_STATUS and the file
// and device options, it ends by itself (no window stays) with the status that tells the device's
// mode, or whether the headless update worked; what a headless update wrote is compared with the
// image byte for byte.
#include "ProgramUnderDisplay.h"
#include "UpdaterWorld.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace
{
using OrvTest::ProgramUnderDisplay;
using OrvTest::Unit;
using OrvTest::UpdaterWorld;
using namespace std::chrono_literals;

// Short simulated operation times.
const std::string kFast =
    "update-delay-ms=50 reset-delay-ms=50 erase-ms-per-16k=1 program-ms-per-block=1 "
    "manifest-ms=5";

std::string ReadText(const std::string& path)
{
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// "00.30" as the unit records it.
std::uint16_t ParseVersion(const std::string& text)
{
    return static_cast<std::uint16_t>(
        std::stoul(text.substr(0, 2) + text.substr(3, 2), nullptr, 16));
}

// Runs the program in the world without a display; its exit status, -1 when it did not end
// within a minute.
int RunQuietly(UpdaterWorld& world, std::vector<std::string> arguments, std::string& errors)
{
    for (std::string& argument : arguments)
    {
        const auto at = argument.find('@');
        if (at != std::string::npos)
        {
            argument = argument.substr(0, at) + world.Path(argument.substr(at + 1));
        }
    }
    ProgramUnderDisplay program(world.Program(), world.Environment(std::string()));
    const std::string errorFile = world.Path("errors.txt");
    if (!program.Start(arguments, errorFile))
    {
        return -2;
    }
    const auto status = program.WaitForExit(60s);
    errors = ReadText(errorFile);
    return status.value_or(-1);
}

TEST(EndToEndExitStatus, ModeStatusesAndDeviceOptions)
{
    struct Device
    {
        Unit unit;
        const char* version;
        const char* keys;
    };
    struct Case
    {
        const char* what;
        std::vector<Device> devices;
        std::vector<std::string> arguments;
        int status;
    };
    const Device oldController{Unit::Controller, "00.30", ""};
    const Device oldWheel{Unit::WheelDisplay, "00.49", ""};
    const Device newController{Unit::Controller, "00.31", ""};
    const Device newWheel{Unit::WheelDisplay, "00.50", ""};
    const Device stuckController{Unit::Controller, "00.30", "mode=bootloader"};
    const std::string controllerFile =
        std::string("-ABSOLUTE_FIRMWARE_FILE_PATH=@") + UpdaterWorld::kControllerFile;
    const Case cases[] = {
        {"both units, the controller older: the default files",
         {oldController, oldWheel},
         {"-RETURN_UPDATE_MODE_STATUS"},
         5},
        {"both units at the default files' versions",
         {newController, newWheel},
         {"-RETURN_UPDATE_MODE_STATUS"},
         4},
        {"update mode, a file named by its name in the program's folder",
         {stuckController},
         {"-RETURN_UPDATE_MODE_STATUS",
          std::string("-FIRMWARE_IMAGE_NAME=") + UpdaterWorld::kControllerFile},
         3},
        {"update mode, the device named by its product id",
         {stuckController},
         {"-RETURN_UPDATE_MODE_STATUS", "-DEVICE_PID=32784"},
         3},
        {"update mode, a file that is not there",
         {stuckController},
         {"-RETURN_UPDATE_MODE_STATUS", "-ABSOLUTE_FIRMWARE_FILE_PATH=@missing.dfu"},
         2},
        {"normal mode, older, found by its product id",
         {oldController},
         {"-RETURN_UPDATE_MODE_STATUS", "-DEVICE_PID=32784", controllerFile},
         5},
        {"the wheel display by its vendor and product ids, its own file",
         {newWheel},
         {"-RETURN_UPDATE_MODE_STATUS", "-DEVICE_VID=31326", "-DEVICE_PID=45072",
          std::string("-FIRMWARE_IMAGE_NAME=") + UpdaterWorld::kWheelDisplayFile},
         4},
        {"a product id no device has",
         {oldController},
         {"-RETURN_UPDATE_MODE_STATUS", "-DEVICE_PID=4660", controllerFile},
         1},
        {"-SILENT with nothing to update ends quietly", {newController, newWheel}, {"-SILENT"}, 0},
        {"-SILENT_IF_UPDATE_NOT_NEEDED with the devices named",
         {newController},
         {"-SILENT_IF_UPDATE_NOT_NEEDED", "-DEVICE_PID=32784", controllerFile},
         0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        UpdaterWorld world(ORV_UPDATER_PROGRAM, ::testing::TempDir(), 16 * 1024);
        ASSERT_TRUE(world.Ok()) << world.Error();
        std::string description;
        for (const Device& device : c.devices)
        {
            description += world.DeviceLine(device.unit, device.version, device.keys);
        }
        ASSERT_TRUE(world.WriteDevices(description));
        std::string errors;
        EXPECT_EQ(RunQuietly(world, c.arguments, errors), c.status) << errors;
        // Asking and quiet stops write nothing: each unit keeps the image it started with.
        for (const Device& device : c.devices)
        {
            EXPECT_EQ(world.FlashVersion(device.unit), ParseVersion(device.version));
        }
    }
}

TEST(EndToEndExitStatus, SilentUpdateWritesTheImagesOrEndsWithOne)
{
    struct Case
    {
        const char* what;
        std::string devices; // @c: the controller's line, @w: the wheel display's
        std::vector<std::string> arguments;
        int status;
        bool controllerWritten;
        bool wheelWritten;
    };
    const Case cases[] = {
        {"both units with the default files", "@c@w", {"-SILENT"}, 0, true, true},
        {"the controller's file named",
         "@c@w",
         {"-SILENT", std::string("-ABSOLUTE_FIRMWARE_FILE_PATH=@") + UpdaterWorld::kControllerFile},
         0,
         true,
         false},
        {"a block of the controller's image fails to program",
         "@c!@w",
         {"-SILENT"},
         1,
         false,
         false},
        // The two default files' contents swapped: the controller does not come back running
        // its file's version, so the sequence stops there and the wheel display is untouched.
        {"the default files swapped", "@c@w@swap", {"-SILENT"}, 1, false, false},
        // A bootloader alone: which part it is cannot be told, so nothing is sent; the run ends.
        {"only a bootloader on the bus", "@b", {"-SILENT"}, 1, false, false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        UpdaterWorld world(ORV_UPDATER_PROGRAM, ::testing::TempDir(), 32 * 1024);
        ASSERT_TRUE(world.Ok()) << world.Error();
        std::string devices;
        if (c.devices.find("@swap") != std::string::npos)
        {
            const std::string controllerFile = world.Path(UpdaterWorld::kControllerFile);
            const std::string wheelFile = world.Path(UpdaterWorld::kWheelDisplayFile);
            std::filesystem::rename(controllerFile, controllerFile + ".tmp");
            std::filesystem::rename(wheelFile, controllerFile);
            std::filesystem::rename(controllerFile + ".tmp", wheelFile);
        }
        if (c.devices.find("@b") != std::string::npos)
        {
            devices = world.DeviceLine(Unit::Controller, "00.30", kFast + " mode=bootloader");
        }
        else if (c.devices.find("@c!") != std::string::npos)
        {
            devices = world.DeviceLine(Unit::Controller, "00.30", kFast + " fault=program:fail:5");
        }
        else if (c.devices.find("@c") != std::string::npos)
        {
            devices += world.DeviceLine(Unit::Controller, "00.30", kFast);
        }
        if (c.devices.find("@w") != std::string::npos)
        {
            devices += world.DeviceLine(Unit::WheelDisplay, "00.49", kFast);
        }
        ASSERT_TRUE(world.WriteDevices(devices));
        std::string errors;
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(RunQuietly(world, c.arguments, errors), c.status) << errors;
        if (c.devices.find("@b") != std::string::npos)
        {
            // Nothing to wait for: it ends at once, and says why.
            EXPECT_LT(std::chrono::steady_clock::now() - start, 20s);
            EXPECT_NE(errors.find("-SILENT: nothing was updated"), std::string::npos) << errors;
            EXPECT_EQ(world.FlashVersion(Unit::Controller), ParseVersion("00.30"));
            continue;
        }
        if (c.devices.find("@swap") != std::string::npos)
        {
            EXPECT_NE(errors.find("00.31"), std::string::npos) << errors;
            EXPECT_EQ(world.FlashVersion(Unit::WheelDisplay), ParseVersion("00.49")) << errors;
        }
        EXPECT_EQ(world.FlashHoldsImage(Unit::Controller), c.controllerWritten) << errors;
        if (c.devices.find("@w") != std::string::npos)
        {
            EXPECT_EQ(world.FlashHoldsImage(Unit::WheelDisplay), c.wheelWritten) << errors;
        }
    }
}
} // namespace
