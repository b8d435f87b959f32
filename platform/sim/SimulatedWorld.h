// The process-wide state of the simulated devices: one lock over everything, the units and
// ports on the bus, and whether the simulated back-ends are selected.
#pragma once

#include "platform/SimulatedDevices.h"

#include <memory>
#include <mutex>
#include <vector>

namespace OrvPlatform
{
class SimulatedUnitImpl;
class SimulatedMidiPortImpl;

struct SimulatedWorld
{
    std::mutex mutex;
    bool active = false;
    bool environmentChecked = false;
    std::vector<std::shared_ptr<SimulatedUnitImpl>> units;
    std::vector<std::shared_ptr<SimulatedMidiPortImpl>> ports; // in the order they were added
    unsigned nextSlot = 1;

    // The one instance; never destroyed, so that threads still running at exit may use it.
    static SimulatedWorld& Get();
};
} // namespace OrvPlatform
