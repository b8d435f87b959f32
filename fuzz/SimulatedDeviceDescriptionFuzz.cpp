// Fuzz target of the description file of the simulated devices (ORV_SIMULATED_DEVICES).
//
// Input: the file's text. It is parsed as text and loaded as a file onto the simulated bus.
//
// What must hold: both ways agree; a bad file gives an error "<file>:<line>: ..." and adds no
// unit; a good one puts exactly its units on the bus, and each unit written back as a line reads
// back as the same unit. A description that keeps a unit's flash in a file is only parsed: the
// file it names could lie anywhere.
#include "FuzzSupport.h"
#include "platform/SimulatedDeviceDescription.h"
#include "platform/SimulatedDevices.h"

#include <algorithm>
#include <sstream>
#include <vector>

namespace
{
using OrvPlatform::BusyAnswer;
using OrvPlatform::SimulatedDeviceDescription;
using OrvPlatform::SimulatedDevices;
using OrvPlatform::SimulatedMode;
using OrvPlatform::SimulatedUnitConfig;

const OrvTest::ScratchFolder& Folder()
{
    static const OrvTest::ScratchFolder folder;
    return folder;
}

bool Same(const SimulatedUnitConfig& a, const SimulatedUnitConfig& b)
{
    return a.name == b.name && a.vendorId == b.vendorId && a.productId == b.productId &&
           a.firmwareVersion == b.firmwareVersion && a.bootloaderVendorId == b.bootloaderVendorId &&
           a.bootloaderProductId == b.bootloaderProductId &&
           a.bootloaderVersion == b.bootloaderVersion && a.initialMode == b.initialMode &&
           a.updateModeDelay == b.updateModeDelay && a.resetDelay == b.resetDelay &&
           a.timings.eraseTimePer16K == b.timings.eraseTimePer16K &&
           a.timings.programTimePerBlock == b.timings.programTimePerBlock &&
           a.timings.commandTime == b.timings.commandTime &&
           a.timings.manifestTime == b.timings.manifestTime && a.busyAnswer == b.busyAnswer &&
           a.flashFile == b.flashFile && a.faults.size() == b.faults.size() &&
           std::equal(a.faults.begin(), a.faults.end(), b.faults.begin(),
                      [](const OrvPlatform::SimulatedFaultRule& x,
                         const OrvPlatform::SimulatedFaultRule& y) {
                          return x.step == y.step && x.fault == y.fault &&
                                 x.occurrence == y.occurrence;
                      });
}

// The step names of the fault key, in the order of OrvPlatform::SimulatedStep.
const char* const kStepNames[] = {
    "update-message",
    "open",
    "claim-interface",
    "set-address-request",
    "erase-request",
    "data-request",
    "leave-request",
    "get-status-request",
    "clear-status-request",
    "abort-request",
    "get-state-request",
    "upload-request",
    "erase",
    "program",
    "manifest",
    "return-to-normal",
};

// The unit as a line of the description.
std::string Describe(const SimulatedUnitConfig& unit)
{
    std::ostringstream line;
    const bool controller = unit.name == SimulatedUnitConfig::Controller(0).name;
    line << "device=" << (controller ? "controller" : "wheel-display");
    char version[8];
    std::snprintf(version, sizeof(version), "%02X.%02X", unit.firmwareVersion >> 8,
                  unit.firmwareVersion & 0xFF);
    line << " version=" << version;
    line << " mode=" << (unit.initialMode == SimulatedMode::Bootloader ? "bootloader" : "normal");
    line << std::hex << " vendor-id=0x" << unit.vendorId << " product-id=0x" << unit.productId
         << std::dec;
    line << " update-delay-ms=" << unit.updateModeDelay.count()
         << " reset-delay-ms=" << unit.resetDelay.count()
         << " erase-ms-per-16k=" << unit.timings.eraseTimePer16K.count()
         << " program-ms-per-block=" << unit.timings.programTimePerBlock.count()
         << " manifest-ms=" << unit.timings.manifestTime.count();
    line << " busy=" << (unit.busyAnswer == BusyAnswer::AnswerBusy ? "answer" : "hold");
    if (!unit.flashFile.empty())
    {
        line << " flash-file=" << unit.flashFile;
    }
    for (const auto& fault : unit.faults)
    {
        using OrvPlatform::SimulatedFault;
        line << " fault=" << kStepNames[static_cast<int>(fault.step)] << ":"
             << (fault.fault == SimulatedFault::Fail    ? "fail"
                 : fault.fault == SimulatedFault::Stall ? "stall"
                                                        : "vanish")
             << ":" << fault.occurrence;
    }
    return line.str();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string path = Folder().File("devices.txt");
    Folder().Write("devices.txt", data, size);

    std::vector<SimulatedUnitConfig> parsed;
    std::string parseError;
    const bool good = SimulatedDeviceDescription::Parse(text, path, parsed, parseError);

    const bool keepsFlashInFiles = good && std::any_of(parsed.begin(), parsed.end(),
                                                       [](const SimulatedUnitConfig& unit)
                                                       { return !unit.flashFile.empty(); });
    if (keepsFlashInFiles)
    {
        for (const SimulatedUnitConfig& unit : parsed)
        {
            ORV_FUZZ_CHECK(unit.flashFile.empty() ||
                               (unit.flashFile[0] == '/' &&
                                unit.flashFile.find_first_of(" \t") == std::string::npos),
                           "a flash file is an absolute path without blanks");
            std::vector<SimulatedUnitConfig> again;
            std::string error;
            ORV_FUZZ_CHECK(SimulatedDeviceDescription::Parse(Describe(unit), "again", again, error),
                           error.c_str());
            ORV_FUZZ_CHECK(again.size() == 1 && Same(again[0], unit),
                           "the unit reads back the same");
        }
        return 0;
    }

    SimulatedDevices::Reset();
    std::string loadError;
    const bool loaded = SimulatedDevices::LoadDescriptionFile(path, loadError);
    const auto units = SimulatedDevices::Units();
    ORV_FUZZ_CHECK(loaded == good && loadError == parseError, "text and file agree");
    if (!good)
    {
        ORV_FUZZ_CHECK(parseError.rfind(path + ":", 0) == 0, "the error names the file");
        const std::size_t line = path.size() + 1;
        ORV_FUZZ_CHECK(line < parseError.size() && parseError[line] >= '1' &&
                           parseError[line] <= '9',
                       "and the line");
        ORV_FUZZ_CHECK(units.empty(), "a bad file adds no unit");
        return 0;
    }
    ORV_FUZZ_CHECK(parseError.empty(), "no error for a good file");
    ORV_FUZZ_CHECK(units.size() == parsed.size(), "every unit is on the bus");
    for (std::size_t i = 0; i < parsed.size(); ++i)
    {
        const SimulatedUnitConfig& unit = parsed[i];
        ORV_FUZZ_CHECK(Same(units[i]->Config(), unit), "the unit on the bus is the one described");
        ORV_FUZZ_CHECK(unit.vendorId != 0 && unit.productId != 0, "ids are not 0");
        ORV_FUZZ_CHECK(unit.updateModeDelay.count() <= 60000 && unit.resetDelay.count() <= 60000,
                       "times within 60 s");

        std::vector<SimulatedUnitConfig> again;
        std::string error;
        ORV_FUZZ_CHECK(SimulatedDeviceDescription::Parse(Describe(unit), "again", again, error),
                       error.c_str());
        ORV_FUZZ_CHECK(again.size() == 1 && Same(again[0], unit), "the unit reads back the same");
    }
    SimulatedDevices::Reset();
    return 0;
}
