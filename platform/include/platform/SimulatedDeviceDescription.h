// The description file of the simulated devices, named by the environment variable
// ORV_SIMULATED_DEVICES.
//
// Text, one unit per line; blank lines and lines starting with '#' are ignored. A line is a
// list of key=value words separated by blanks; the first word is the kind of unit:
//
//     # controller at 00.30, wheel display at 00.50
//     device=controller version=00.30
//     device=wheel-display version=00.50 update-delay-ms=1500
//
// Keys:
//   device=controller|wheel-display   required, first: the name, ids and MIDI port of the unit
//   version=HH.HH or HHHH              required: bcdDevice in normal mode, four hexadecimal
//                                      digits (00.31 is the version shown as "00.31")
//   mode=normal|bootloader             the mode it starts in (normal)
//   vendor-id=N, product-id=N          normal-mode ids (0x7A5E and 0x8010 or 0xB010); decimal,
//                                      or hexadecimal with 0x
//   update-delay-ms=N                  off the bus after the update-mode message (2000)
//   reset-delay-ms=N                   off the bus after manifestation (2000)
//   erase-ms-per-16k=N                 erase time per 16 KB of a sector (250)
//   program-ms-per-block=N             time to program one data block (20)
//   manifest-ms=N                      manifestation time (100)
//   busy=hold|answer                   how GETSTATUS is answered while busy (hold)
//   flash-file=PATH                    keep the flash in this file as well (an absolute path
//                                      without blanks): written whole when the unit is made,
//                                      each change as it happens
//   fault=STEP:KIND[:N]                one fault (SimulatedDevices.h) at the N-th time the
//                                      step comes (1; 0: every time). KIND: fail, stall or
//                                      vanish. STEP: update-message, open, claim-interface,
//                                      set-address-request, erase-request, data-request,
//                                      leave-request, get-status-request,
//                                      clear-status-request, abort-request, get-state-request,
//                                      upload-request, erase, program, manifest,
//                                      return-to-normal (the last four are operations)
// Times are 0 to 60000. A key may appear once per line. Anything else is an error, reported
// as "<file>:<line>: <what is wrong>".
#pragma once

#include "platform/SimulatedDevices.h"

#include <string>
#include <vector>

namespace OrvPlatform
{
class SimulatedDeviceDescription
{
public:
    // Parses the text; true and the units, or false and the error ("<source>:<line>: ...").
    static bool Parse(const std::string& text, const std::string& source,
                      std::vector<SimulatedUnitConfig>& units, std::string& error);
    // Reads and parses a file.
    static bool ReadFile(const std::string& path, std::vector<SimulatedUnitConfig>& units,
                         std::string& error);
};
} // namespace OrvPlatform
