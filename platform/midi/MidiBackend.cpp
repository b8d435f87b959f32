#include "MidiBackend.h"

#include "platform/SimulatedDevices.h"

namespace OrvPlatform
{
MidiBackend& MidiBackend::Current()
{
    return SimulatedDevices::IsActive() ? Simulated() : Real();
}
} // namespace OrvPlatform
