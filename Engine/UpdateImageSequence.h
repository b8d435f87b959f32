// What the update engine asks of the two-image sequence, which decides whether the controller
// or the wheel-display image is written next: a hook run first by every Rescan, the MIDI port
// name of the current image's device, and the flash sectors that the current image erases; and
// what it is told when an update has ended.
//
// An engine is given its sequence when it is made and holds it for its whole life. An engine
// made without one runs no hook on Rescan, names no device, and erases by the device's flash
// layout (FlashLayout.h).
#pragma once

#include "OrvCore.h"

#include <cstdint>

// The application's classes live outside the framework's namespace.
using ORVRESULT = Orv::ORVRESULT;

class LUpdateEngineInterface;

class IUpdateImageSequence : public virtual Orv::LRefCountedObject
{
public:
    // Run first by every Rescan of an engine, with that engine; a negative result ends that
    // Rescan with it.
    virtual ORVRESULT OnRescan(LUpdateEngineInterface& engine) = 0;
    // Run when an update of the engine has ended, with whether it took.
    virtual ORVRESULT ProcessUpdateResult(LUpdateEngineInterface& engine, bool succeeded) = 0;
    // Index 0: the MIDI port name part of the current image's device; other indexes: empty.
    virtual Orv::WString GetDeviceName(unsigned int index) const = 0;
    // The current image's sector table: the number of sector start addresses, and the address
    // at an index (false and 0 for an index at or past the count).
    virtual unsigned int GetSectorCount() const = 0;
    virtual bool LookupSector(unsigned int index, std::uint32_t& address) const = 0;
};
