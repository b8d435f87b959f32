// The updater program run as a process, as a caller or a person starts it: quiet stops end with
// the update processor's status, a second start hands its command line to the first and ends, a
// lock left by a killed first instance does not block the next start, and a start-up that fails
// says so and ends with its status.
#include "DfuSeWriter.h"
#include "FrameworkWinMain.h"
#include "ProgramUnderDisplay.h"
#include "TempFolder.h"
#include "platform/SimulatedFirmwareImage.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace
{
namespace fs = std::filesystem;
using OrvTest::ReadFile;
using OrvTest::TempFolder;

// The program in a world of the test's own: its runtime and data folders, the simulated devices
// of a description, no display (SDL's offscreen driver) unless the case says otherwise.
class ProgramWorld
{
public:
    explicit ProgramWorld(const std::string& devices)
    {
        fs::create_directories(mTemp.Path() + "/runtime");
        fs::permissions(mTemp.Path() + "/runtime", fs::perms::owner_all);
        std::ofstream(mTemp.Path() + "/devices.txt") << devices;
        mEnvironment["XDG_RUNTIME_DIR"] = mTemp.Path() + "/runtime";
        mEnvironment["XDG_DATA_HOME"] = mTemp.Path() + "/data";
        mEnvironment["XDG_DATA_DIRS"] = mTemp.Path() + "/system";
        mEnvironment["XDG_CONFIG_HOME"] = mTemp.Path() + "/config";
        mEnvironment["SDL_VIDEODRIVER"] = "offscreen";
        mEnvironment["ORV_SIMULATED_DEVICES"] = mTemp.Path() + "/devices.txt";
    }

    std::string Path(const std::string& name) const { return mTemp.Path() + "/" + name; }
    void Set(const std::string& name, const std::string& value) { mEnvironment[name] = value; }

    // Starts the program with the arguments; its standard error goes to the file errorFile.
    pid_t Start(const std::vector<std::string>& arguments, const std::string& errorFile) const
    {
        const pid_t pid =
            OrvTest::SpawnProgram(ORV_UPDATER_PROGRAM, arguments, mEnvironment, errorFile);
        EXPECT_NE(pid, -1);
        return pid;
    }

    // The exit status, -1 when the program did not end within the time (it is then killed).
    static int WaitFor(pid_t pid, std::chrono::seconds limit = std::chrono::seconds(30))
    {
        const auto end = std::chrono::steady_clock::now() + limit;
        int status = 0;
        while (waitpid(pid, &status, WNOHANG) == 0)
        {
            if (std::chrono::steady_clock::now() > end)
            {
                kill(pid, SIGKILL);
                waitpid(pid, &status, 0);
                return -1;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    int Run(const std::vector<std::string>& arguments, std::string* errors = nullptr) const
    {
        const std::string file = Path("run-errors.txt");
        const int status = WaitFor(Start(arguments, file));
        if (errors != nullptr)
        {
            *errors = ReadFile(file);
        }
        return status;
    }

private:
    TempFolder mTemp;
    std::map<std::string, std::string> mEnvironment;
};

// Waits (at most 10 s) until the condition holds.
template <class F>
bool Eventually(F condition)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!condition())
    {
        if (std::chrono::steady_clock::now() > end)
        {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

// A controller image of version 00.31 in the world's folder; its path.
std::string WriteControllerImage(const ProgramWorld& world)
{
    OrvTools::DfuSeImage image;
    image.address = 0x08008000u;
    image.data = OrvPlatform::SimulatedFirmwareImage::Make(0x0031, 16 * 1024);
    const std::string file = world.Path("controller 00.31.dfu");
    std::string error;
    EXPECT_TRUE(OrvTools::DfuSeWriter::WriteFile(image, file, error)) << error;
    return file;
}

TEST(Program, QuietStopsEndWithTheProcessorsStatus)
{
    struct Case
    {
        const char* devices;
        std::vector<std::string> arguments;
        int status;
    };
    const Case cases[] = {
        // No controller: status 1, no window.
        {"", {"-RETURN_UPDATE_MODE_STATUS"}, 1},
        // A controller in normal mode whose image the file's is newer than: 5.
        {"device=controller version=00.30\n",
         {"-RETURN_UPDATE_MODE_STATUS", "-ABSOLUTE_FIRMWARE_FILE_PATH=@"},
         5},
        // The same running the file's version: 4.
        {"device=controller version=00.31\n",
         {"-RETURN_UPDATE_MODE_STATUS", "-ABSOLUTE_FIRMWARE_FILE_PATH=@"},
         4},
        // A device id that is no USB id refuses the command line: 1.
        {"device=controller version=00.30\n", {"-DEVICE_PID=0x1FFFF"}, 1},
        // Nothing to update and told to stay silent then: 0, no window.
        {"device=controller version=00.31\n",
         {"-SILENT_IF_UPDATE_NOT_NEEDED", "-ABSOLUTE_FIRMWARE_FILE_PATH=@"},
         0},
    };
    for (const Case& c : cases)
    {
        ProgramWorld world(c.devices);
        const std::string file = WriteControllerImage(world);
        std::vector<std::string> arguments = c.arguments;
        for (std::string& argument : arguments)
        {
            if (argument.ends_with("=@"))
            {
                argument = argument.substr(0, argument.size() - 1) + file;
            }
        }
        std::string errors;
        EXPECT_EQ(world.Run(arguments, &errors), c.status) << c.devices << errors;
    }
}

TEST(Program, SecondStartHandsOverAndEndsAndAKilledFirstDoesNotBlock)
{
    ProgramWorld world("device=controller version=00.30\n");
    const std::string firstErrors = world.Path("first-errors.txt");
    const pid_t first = world.Start({"-DEBUG_CONSOLE"}, firstErrors);
    ASSERT_GT(first, 0);
    const std::string socket =
        world.Path("runtime/Halvex_DJ_DEVICE_FAMILY_NAME_String_FirmwareUpdaterPrevent.sock");
    ASSERT_TRUE(Eventually([&] { return fs::exists(socket); })) << ReadFile(firstErrors);

    // The second start ends at once, without a window, having handed its command line over.
    const auto started = std::chrono::steady_clock::now();
    std::string secondErrors;
    EXPECT_EQ(world.Run({"-ALWAYS_UPDATE", "-FIRMWARE_IMAGE_NAME=a b.dfu"}, &secondErrors), 0)
        << secondErrors;
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
    EXPECT_TRUE(Eventually(
        [&]
        {
            return ReadFile(firstErrors)
                       .find(std::string("A later start handed its command line over: ") +
                             ORV_UPDATER_PROGRAM +
                             " -ALWAYS_UPDATE \"-FIRMWARE_IMAGE_NAME=a b.dfu\"") !=
                   std::string::npos;
        }))
        << ReadFile(firstErrors);
    // The first instance still runs.
    EXPECT_EQ(waitpid(first, nullptr, WNOHANG), 0);

    // Killed, it leaves its lock file and socket; the next start runs all the same: it reports
    // the device's mode (5: normal mode, the file newer) instead of handing over.
    kill(first, SIGKILL);
    waitpid(first, nullptr, 0);
    EXPECT_TRUE(fs::exists(
        world.Path("runtime/Halvex_DJ_DEVICE_FAMILY_NAME_String_FirmwareUpdaterPrevent.lock")));
    EXPECT_TRUE(fs::exists(socket));
    std::string thirdErrors;
    EXPECT_EQ(world.Run({"-RETURN_UPDATE_MODE_STATUS",
                         "-ABSOLUTE_FIRMWARE_FILE_PATH=" + WriteControllerImage(world)},
                        &thirdErrors),
              5)
        << thirdErrors;
}

TEST(Program, FailedStartupSaysSoAndEndsWithItsStatus)
{
    ProgramWorld world("");
    // No window can be made without a video driver.
    world.Set("SDL_VIDEODRIVER", "no-such-driver");
    std::string errors;
    EXPECT_EQ(world.Run({}, &errors), Orv::kStartupFailedStatus);
    EXPECT_NE(errors.find("The application encountered problems during startup and will now "
                          "close.  (Error code = -2147467259)"),
              std::string::npos)
        << errors;
}
} // namespace
