#include "UpdaterWorld.h"

#include "DfuSeWriter.h"
#include "platform/SimulatedDevices.h"
#include "platform/SimulatedFirmwareImage.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace OrvTest
{
namespace fs = std::filesystem;

namespace
{
int IndexOf(Unit unit)
{
    return unit == Unit::Controller ? 0 : 1;
}
} // namespace

UpdaterWorld::UpdaterWorld(const std::string& program, const std::string& base,
                           std::size_t imageSize)
{
    std::string pattern = base + "/orv_updater_world_XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr)
    {
        mError = "cannot make a folder below " + base;
        return;
    }
    mFolder = pattern;
    std::error_code error;
    fs::create_directories(Path("runtime"), error);
    fs::permissions(Path("runtime"), fs::perms::owner_all, error);
    fs::create_hard_link(program, Program(), error);
    if (error)
    {
        fs::copy_file(program, Program(), error);
    }
    if (error)
    {
        mError = "cannot put " + program + " into " + mFolder + ": " + error.message();
        return;
    }
    const struct
    {
        Unit unit;
        std::uint16_t version;
        const char* name;
    } images[] = {{Unit::Controller, kControllerTarget, kControllerFile},
                  {Unit::WheelDisplay, kWheelDisplayTarget, kWheelDisplayFile}};
    for (const auto& each : images)
    {
        OrvTools::DfuSeImage image;
        image.address = OrvPlatform::kSimulatedApplicationStart;
        image.data = OrvPlatform::SimulatedFirmwareImage::Make(each.version, imageSize);
        std::string written;
        if (!OrvTools::DfuSeWriter::WriteFile(image, Path(each.name), written))
        {
            mError = written;
            return;
        }
        mImages[IndexOf(each.unit)] = image.data;
    }
}

UpdaterWorld::~UpdaterWorld()
{
    if (!mFolder.empty())
    {
        std::error_code error;
        fs::remove_all(mFolder, error);
    }
}

std::string UpdaterWorld::FlashFile(Unit unit) const
{
    return Path(unit == Unit::Controller ? "controller.flash" : "wheel-display.flash");
}

std::string UpdaterWorld::DeviceLine(Unit unit, const std::string& version,
                                     const std::string& extra) const
{
    std::string line = std::string("device=") +
                       (unit == Unit::Controller ? "controller" : "wheel-display") +
                       " version=" + version + " flash-file=" + FlashFile(unit);
    if (!extra.empty())
    {
        line += " " + extra;
    }
    return line + "\n";
}

bool UpdaterWorld::WriteDevices(const std::string& text)
{
    std::ofstream file(Path("devices.txt"), std::ios::trunc);
    file << text;
    file.close();
    return !file.fail();
}

std::map<std::string, std::string> UpdaterWorld::Environment(const std::string& display) const
{
    std::map<std::string, std::string> environment{
        {"XDG_RUNTIME_DIR", Path("runtime")},
        {"XDG_DATA_HOME", Path("data")},
        {"XDG_DATA_DIRS", Path("system")},
        {"XDG_CONFIG_HOME", Path("config")},
        {OrvPlatform::SimulatedDevices::kEnvironmentVariable, Path("devices.txt")},
        // The test's display has no session bus beside it.
        {"DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/orv-test-bus"},
    };
    if (display.empty())
    {
        environment["SDL_VIDEODRIVER"] = "offscreen";
    }
    else
    {
        environment["DISPLAY"] = display;
        environment["SDL_VIDEODRIVER"] = "x11";
    }
    return environment;
}

std::vector<std::uint8_t> UpdaterWorld::Flash(Unit unit) const
{
    std::ifstream in(FlashFile(unit), std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

const std::vector<std::uint8_t>& UpdaterWorld::Image(Unit unit) const
{
    return mImages[IndexOf(unit)];
}

std::optional<std::uint16_t> UpdaterWorld::FlashVersion(Unit unit) const
{
    const std::vector<std::uint8_t> flash = Flash(unit);
    const std::size_t start =
        OrvPlatform::kSimulatedApplicationStart - OrvPlatform::kSimulatedFlashBase;
    std::uint16_t version = 0;
    if (flash.size() != OrvPlatform::kSimulatedFlashSize ||
        !OrvPlatform::SimulatedFirmwareImage::ReadVersion(flash.data() + start,
                                                          flash.size() - start, version))
    {
        return std::nullopt;
    }
    return version;
}

bool UpdaterWorld::FlashHoldsImage(Unit unit) const
{
    const std::vector<std::uint8_t> flash = Flash(unit);
    const std::vector<std::uint8_t>& image = Image(unit);
    const std::size_t start =
        OrvPlatform::kSimulatedApplicationStart - OrvPlatform::kSimulatedFlashBase;
    return flash.size() == OrvPlatform::kSimulatedFlashSize && !image.empty() &&
           std::equal(image.begin(), image.end(), flash.begin() + start);
}
} // namespace OrvTest
