// The update engine's globals. Each is made at its first use, or before main at its row of the
// start-up order (Utilities/GlobalsOrder.h): the device names (row 2), the two-image sequencer's
// instance pointer (row 3) and the pool of captured MIDI data (row 12, Midi/).
#pragma once

#include "OrvCore.h"

// "Halvex DJ Brelune VANTA" and "Halvex DJ Brelune VANTA WD": the MIDI port name parts of the
// controller and of its wheel display.
const Orv::WString& GetControllerDeviceName();
const Orv::WString& GetWheelDisplayDeviceName();
