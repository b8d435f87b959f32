#include "EngineGlobals.h"

#include "DualUpdater.h"
#include "Midi/MidiCaptureNotificationData.h"
#include "Utilities/GlobalsOrder.h"

const Orv::WString& GetControllerDeviceName()
{
    static const Orv::WString name(L"Halvex DJ Brelune VANTA");
    return name;
}

const Orv::WString& GetWheelDisplayDeviceName()
{
    static const Orv::WString name(L"Halvex DJ Brelune VANTA WD");
    return name;
}

namespace
{
struct DeviceNamesStartup
{
    DeviceNamesStartup()
    {
        GetControllerDeviceName();
        GetWheelDisplayDeviceName();
    }
};
ORV_GLOBALS_STARTUP(Orv::kGlobalsRowDeviceNames, 0) const DeviceNamesStartup gDeviceNamesStartup;

struct DualUpdaterStartup
{
    // Makes the (empty) instance pointer.
    DualUpdaterStartup() { LDualUpdater::GetInstance(); }
};
ORV_GLOBALS_STARTUP(Orv::kGlobalsRowDualUpdater, 0) const DualUpdaterStartup gDualUpdaterStartup;

struct MidiCapturePoolStartup
{
    // The pool outlives every captured message.
    MidiCapturePoolStartup() { Orv::GetMidiCaptureDataPool(); }
};
ORV_GLOBALS_STARTUP(Orv::kGlobalsRowMidiCapturePool, 0)
const MidiCapturePoolStartup gMidiCapturePoolStartup;
} // namespace
