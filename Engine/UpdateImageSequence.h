// What the update engine asks of the two-image sequence, which decides whether the controller
// or the wheel-display image is written next: a hook run first by every Rescan, the MIDI port
// name of the current image's device, and the flash sectors that the current image erases.
//
// One sequence serves the process; it is installed once it exists and must stay installed (and
// alive) for as long as engines may ask it. While none is installed, Rescan runs no hook, the
// device name is empty, and the download erases by the device's flash layout (FlashLayout.h).
#pragma once

#include "OrvCore.h"

#include <cstdint>

// The application's classes live outside the framework's namespace.
using ORVRESULT = Orv::ORVRESULT;

class IUpdateImageSequence
{
public:
    virtual ~IUpdateImageSequence() = default;

    // Run first by every Rescan of an engine; a negative result ends that Rescan with it.
    virtual ORVRESULT OnRescan() = 0;
    // Index 0: the MIDI port name part of the current image's device; other indexes: empty.
    virtual Orv::WString GetDeviceName(unsigned int index) const = 0;
    // The current image's sector table: the number of sector start addresses, and the address
    // at an index (false and 0 for an index at or past the count).
    virtual unsigned int GetSectorCount() const = 0;
    virtual bool LookupSector(unsigned int index, std::uint32_t& address) const = 0;

    // Installs the process's sequence (null removes it).
    static void Install(IUpdateImageSequence* sequence);
    // The installed sequence, or null.
    static IUpdateImageSequence* GetInstalled();
};
