// A world of the updater's own for a run of the real program: a temporary folder with the
// program beside its two default firmware files (demo images made by the project's DfuSe
// writer for the simulated controller and wheel display), the runtime, data and settings
// folders, and the description of the simulated devices, whose flash is kept in files of the
// folder so that the caller can compare it with the images byte for byte.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace OrvTest
{
// The two units of the product, as the description names them.
enum class Unit
{
    Controller,
    WheelDisplay,
};

class UpdaterWorld
{
public:
    // The versions of the default firmware files.
    static constexpr std::uint16_t kControllerTarget = 0x0031;
    static constexpr std::uint16_t kWheelDisplayTarget = 0x0050;
    // The default files' names (the program looks for them in its own folder).
    static constexpr const char* kControllerFile = "zk71_tp_update_00_31_120936.dfu";
    static constexpr const char* kWheelDisplayFile = "zk71_wd_update_00_50_3A7CE2CA.dfu";

    // Makes the folder below base, puts the program into it (a hard link, or a copy when the
    // folder lies on another file system) and writes both default images of imageSize bytes.
    // Ok() tells whether all of it worked, Error() what did not.
    UpdaterWorld(const std::string& program, const std::string& base, std::size_t imageSize);
    ~UpdaterWorld();
    UpdaterWorld(const UpdaterWorld&) = delete;
    UpdaterWorld& operator=(const UpdaterWorld&) = delete;

    bool Ok() const { return mError.empty(); }
    const std::string& Error() const { return mError; }

    // The program in the world's folder.
    std::string Program() const { return Path("orv-firmware-updater"); }
    std::string Path(const std::string& name) const { return mFolder + "/" + name; }

    // A description line for the unit at the version ("00.30"), keeping its flash in its file,
    // with the further keys given (times, faults).
    std::string DeviceLine(Unit unit, const std::string& version,
                           const std::string& extra = std::string()) const;
    // Writes the description the program's ORV_SIMULATED_DEVICES names.
    bool WriteDevices(const std::string& text);

    // The environment of the program: its folders, its simulated devices and, when display is
    // not empty, that X display (else SDL's offscreen driver).
    std::map<std::string, std::string> Environment(const std::string& display) const;

    // The unit's flash as its file holds it now; empty when there is none.
    std::vector<std::uint8_t> Flash(Unit unit) const;
    // The data of the unit's default image (what its application area should hold after the
    // update).
    const std::vector<std::uint8_t>& Image(Unit unit) const;
    // The version recorded in the image the unit's flash holds; nullopt when there is no flash
    // file or its image is incomplete or corrupt.
    std::optional<std::uint16_t> FlashVersion(Unit unit) const;
    // Whether the unit's flash holds its image at the application start, byte for byte.
    bool FlashHoldsImage(Unit unit) const;

private:
    std::string FlashFile(Unit unit) const;

    std::string mFolder;
    std::string mError;
    std::vector<std::uint8_t> mImages[2];
};
} // namespace OrvTest
