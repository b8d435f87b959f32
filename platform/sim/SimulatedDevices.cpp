#include "platform/SimulatedDevices.h"

#include "SimulatedMidiPortImpl.h"
#include "SimulatedUnitImpl.h"
#include "SimulatedWorld.h"
#include "platform/DebugApi.h"
#include "platform/SimulatedDeviceDescription.h"
#include "platform/WinUsb.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace OrvPlatform
{
SimulatedWorld& SimulatedWorld::Get()
{
    static SimulatedWorld* const world = new SimulatedWorld;
    return *world;
}

namespace
{
void AddUnitLocked(SimulatedWorld& world, const SimulatedUnitConfig& config,
                   std::shared_ptr<SimulatedUnitImpl>* added = nullptr)
{
    auto unit = SimulatedUnitImpl::Create(config, world.nextSlot++);
    world.units.push_back(unit);
    world.ports.push_back(unit->PortLocked());
    if (added != nullptr)
    {
        *added = unit;
    }
}

const char* EnvironmentPath()
{
    const char* path = std::getenv(SimulatedDevices::kEnvironmentVariable);
    return path != nullptr && *path != '\0' ? path : nullptr;
}

// Reads the environment once, with the world locked.
void CheckEnvironmentLocked(SimulatedWorld& world)
{
    if (world.environmentChecked)
    {
        return;
    }
    world.environmentChecked = true;
    const char* path = EnvironmentPath();
    if (path == nullptr)
    {
        return;
    }
    world.active = true;
    std::vector<SimulatedUnitConfig> units;
    std::string error;
    if (!SimulatedDeviceDescription::ReadFile(path, units, error))
    {
        OutputDebugStringA((std::string(SimulatedDevices::kEnvironmentVariable) + ": " + error +
                            " (no simulated device is present)\n")
                               .c_str());
        return;
    }
    for (const auto& config : units)
    {
        AddUnitLocked(world, config);
    }
}
} // namespace

void SimulatedDevices::Activate()
{
    auto& world = SimulatedWorld::Get();
    std::lock_guard lock(world.mutex);
    world.environmentChecked = true;
    world.active = true;
}

void SimulatedDevices::Deactivate()
{
    auto& world = SimulatedWorld::Get();
    std::lock_guard lock(world.mutex);
    world.environmentChecked = true;
    world.active = false;
}

bool SimulatedDevices::IsActive()
{
    auto& world = SimulatedWorld::Get();
    std::lock_guard lock(world.mutex);
    CheckEnvironmentLocked(world);
    return world.active;
}

bool SimulatedDevices::ActivateFromEnvironment(std::string& error)
{
    error.clear();
    const char* path = EnvironmentPath();
    if (path == nullptr)
    {
        return false;
    }
    std::vector<SimulatedUnitConfig> units;
    if (!SimulatedDeviceDescription::ReadFile(path, units, error))
    {
        error = std::string(kEnvironmentVariable) + ": " + error;
        return false;
    }
    auto& world = SimulatedWorld::Get();
    std::lock_guard lock(world.mutex);
    world.environmentChecked = true;
    world.active = true;
    for (const auto& config : units)
    {
        AddUnitLocked(world, config);
    }
    return true;
}

bool SimulatedDevices::LoadDescriptionFile(const std::string& path, std::string& error)
{
    std::vector<SimulatedUnitConfig> units;
    if (!SimulatedDeviceDescription::ReadFile(path, units, error))
    {
        return false;
    }
    auto& world = SimulatedWorld::Get();
    std::lock_guard lock(world.mutex);
    for (const auto& config : units)
    {
        AddUnitLocked(world, config);
    }
    return true;
}

void SimulatedDevices::Reset()
{
    auto& world = SimulatedWorld::Get();
    std::lock_guard lock(world.mutex);
    for (const auto& unit : world.units)
    {
        unit->RemovedLocked();
    }
    for (const auto& port : world.ports)
    {
        port->MarkRemovedLocked();
    }
    world.units.clear();
    world.ports.clear();
}

std::shared_ptr<SimulatedUnit> SimulatedDevices::AddUnit(const SimulatedUnitConfig& config)
{
    auto& world = SimulatedWorld::Get();
    std::lock_guard lock(world.mutex);
    std::shared_ptr<SimulatedUnitImpl> unit;
    AddUnitLocked(world, config, &unit);
    return unit;
}

std::shared_ptr<SimulatedMidiPort> SimulatedDevices::AddMidiPort(const std::wstring& name,
                                                                 bool hostOutput, bool hostInput)
{
    auto& world = SimulatedWorld::Get();
    std::lock_guard lock(world.mutex);
    auto port = std::make_shared<SimulatedMidiPortImpl>(name, hostOutput, hostInput,
                                                        std::weak_ptr<SimulatedUnitImpl>());
    world.ports.push_back(port);
    return port;
}

void SimulatedDevices::Remove(const std::shared_ptr<SimulatedUnit>& unit)
{
    auto& world = SimulatedWorld::Get();
    std::lock_guard lock(world.mutex);
    for (auto it = world.units.begin(); it != world.units.end(); ++it)
    {
        if (it->get() == unit.get())
        {
            (*it)->RemovedLocked();
            const auto port = (*it)->PortLocked();
            world.ports.erase(std::remove(world.ports.begin(), world.ports.end(), port),
                              world.ports.end());
            world.units.erase(it);
            return;
        }
    }
}

void SimulatedDevices::Remove(const std::shared_ptr<SimulatedMidiPort>& port)
{
    auto& world = SimulatedWorld::Get();
    std::lock_guard lock(world.mutex);
    for (auto it = world.ports.begin(); it != world.ports.end(); ++it)
    {
        if (it->get() == port.get())
        {
            (*it)->MarkRemovedLocked();
            world.ports.erase(it);
            return;
        }
    }
}

std::vector<std::shared_ptr<SimulatedUnit>> SimulatedDevices::Units()
{
    auto& world = SimulatedWorld::Get();
    std::lock_guard lock(world.mutex);
    return std::vector<std::shared_ptr<SimulatedUnit>>(world.units.begin(), world.units.end());
}
} // namespace OrvPlatform
