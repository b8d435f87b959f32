#include "platform/SimulatedBus.h"

#include "SimulatedMidiPortImpl.h"
#include "SimulatedUnitImpl.h"
#include "SimulatedWorld.h"

#include <cwctype>

namespace OrvPlatform
{
namespace
{
bool SameIgnoringCase(const std::wstring& a, const std::wstring& b)
{
    if (a.size() != b.size())
    {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i)
    {
        if (std::towlower(a[i]) != std::towlower(b[i]))
        {
            return false;
        }
    }
    return true;
}
} // namespace

SimulatedUsbLink::SimulatedUsbLink(std::shared_ptr<SimulatedUnitImpl> unit, unsigned generation)
    : mUnit(std::move(unit))
    , mGeneration(generation)
{
}

DWORD SimulatedUsbLink::Claim()
{
    return mUnit->Claim(mGeneration);
}

DWORD SimulatedUsbLink::ControlTransfer(const SimulatedSetup& setup, std::uint8_t* buffer,
                                        std::uint32_t& transferred)
{
    return mUnit->ControlTransfer(mGeneration, setup, buffer, transferred);
}

std::vector<SimulatedUsbDeviceInfo> SimulatedBus::ListUsbDevices()
{
    auto& world = SimulatedWorld::Get();
    std::lock_guard lock(world.mutex);
    std::vector<SimulatedUsbDeviceInfo> devices;
    const auto now = SimulatedUnitImpl::Clock::now();
    for (const auto& unit : world.units)
    {
        unit->AdvanceLocked(now);
        if (unit->ModeLocked() != SimulatedMode::OffBus)
        {
            devices.push_back(unit->UsbInfoLocked());
        }
    }
    return devices;
}

std::shared_ptr<SimulatedUsbLink> SimulatedBus::OpenUsbDevice(const std::wstring& path,
                                                              DWORD& error)
{
    std::shared_ptr<SimulatedUnitImpl> found;
    {
        auto& world = SimulatedWorld::Get();
        std::lock_guard lock(world.mutex);
        const auto now = SimulatedUnitImpl::Clock::now();
        for (const auto& unit : world.units)
        {
            unit->AdvanceLocked(now);
            if (unit->ModeLocked() != SimulatedMode::OffBus &&
                SameIgnoringCase(unit->UsbInfoLocked().path, path))
            {
                found = unit;
                break;
            }
        }
    }
    if (!found)
    {
        error = ERROR_FILE_NOT_FOUND;
        return nullptr;
    }
    unsigned generation = 0;
    error = found->Open(generation);
    if (error != ERROR_SUCCESS)
    {
        return nullptr;
    }
    return std::make_shared<SimulatedUsbLink>(found, generation);
}

std::vector<std::shared_ptr<SimulatedMidiPort>> SimulatedBus::ListMidiPorts(bool hostOutput)
{
    auto& world = SimulatedWorld::Get();
    std::lock_guard lock(world.mutex);
    std::vector<std::shared_ptr<SimulatedMidiPort>> ports;
    for (const auto& port : world.ports)
    {
        const bool direction = hostOutput ? port->IsHostOutput() : port->IsHostInput();
        if (direction && port->IsPresentLocked())
        {
            ports.push_back(port);
        }
    }
    return ports;
}
} // namespace OrvPlatform
