// What the USB and MIDI families use of the simulated devices (platform/sim): the devices and ports
// present now, and opened links to a unit's USB side.
#pragma once

#include "platform/SimulatedDevices.h"
#include "platform/Types.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace OrvPlatform
{
class SimulatedUnitImpl;

struct SimulatedSetup
{
    std::uint8_t requestType = 0;
    std::uint8_t request = 0;
    std::uint16_t value = 0;
    std::uint16_t index = 0;
    std::uint16_t length = 0;
};

struct SimulatedUsbDeviceInfo
{
    std::wstring path;
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::uint16_t bcdDevice = 0;
};

// A unit opened by its path: valid while the unit stays on the bus as it was when opened.
class SimulatedUsbLink
{
public:
    SimulatedUsbLink(std::shared_ptr<SimulatedUnitImpl> unit, unsigned generation);
    // Error codes of WinUsb.h (0 on success).
    DWORD Claim();
    DWORD ControlTransfer(const SimulatedSetup& setup, std::uint8_t* buffer,
                          std::uint32_t& transferred);

private:
    std::shared_ptr<SimulatedUnitImpl> mUnit;
    unsigned mGeneration;
};

class SimulatedBus
{
public:
    // The devices on the simulated bus now, in slot order.
    static std::vector<SimulatedUsbDeviceInfo> ListUsbDevices();
    // Opens the device with that path (compared without regard to case); null and the error
    // code (ERROR_FILE_NOT_FOUND, ERROR_ACCESS_DENIED) when it cannot.
    static std::shared_ptr<SimulatedUsbLink> OpenUsbDevice(const std::wstring& path, DWORD& error);
    // The MIDI ports present now that the host can send to (hostOutput) or receive from.
    static std::vector<std::shared_ptr<SimulatedMidiPort>> ListMidiPorts(bool hostOutput);
};
} // namespace OrvPlatform
