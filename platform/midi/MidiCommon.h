// Helpers shared by the MIDI input and output stand-ins.
#pragma once

#include "platform/Midi.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace OrvPlatform
{
// Bytes of a message by its status byte (0 for 0xF0 and 0xF7, which start and end a
// system-exclusive block; 1 for a data byte).
unsigned MidiMessageLength(std::uint8_t status);

// Copies a name into szPname, cut to MAXPNAMELEN - 1 characters.
void CopyPortName(const std::wstring& name, WCHAR (&target)[MAXPNAMELEN]);

// Calls the open's callback, if it has one.
void CallMidiCallback(DWORD flags, DWORD_PTR callback, HANDLE handle, UINT message,
                      DWORD_PTR instance, DWORD_PTR param1, DWORD_PTR param2);

// Checks the flags and callback of an open: 0 or an MMRESULT.
MMRESULT CheckOpenFlags(DWORD flags, DWORD_PTR callback);

// Checks a header passed with its size: 0 or MMSYSERR_INVALPARAM.
MMRESULT CheckHeader(const MIDIHDR* header, UINT size);

// midiInPrepareHeader / midiOutPrepareHeader on an open device (null: not open). Device has a
// `mutex` guarding its headers' flags.
template <class Device>
MMRESULT PrepareHeader(const std::shared_ptr<Device>& device, LPMIDIHDR header, UINT size)
{
    if (!device)
    {
        return MMSYSERR_INVALHANDLE;
    }
    if (const MMRESULT check = CheckHeader(header, size))
    {
        return check;
    }
    std::lock_guard lock(device->mutex);
    header->dwFlags |= MHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

// midiInUnprepareHeader / midiOutUnprepareHeader: a header still queued cannot be unprepared.
template <class Device>
MMRESULT UnprepareHeader(const std::shared_ptr<Device>& device, LPMIDIHDR header, UINT size)
{
    if (!device)
    {
        return MMSYSERR_INVALHANDLE;
    }
    if (header == nullptr || size < sizeof(MIDIHDR))
    {
        return MMSYSERR_INVALPARAM;
    }
    std::lock_guard lock(device->mutex);
    if (header->dwFlags & MHDR_INQUEUE)
    {
        return MIDIERR_STILLPLAYING;
    }
    header->dwFlags &= ~MHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

// The name a capabilities query reports: that of the open handle's device (MMSYSERR_NODRIVER
// when it has gone away), else that of the device id in the back-end's list (listNames gives it;
// MMSYSERR_BADDEVICEID beyond it).
template <class Device, class ListNames>
MMRESULT NameForCaps(const std::shared_ptr<Device>& open, UINT_PTR deviceId, ListNames listNames,
                     std::wstring& name)
{
    if (open)
    {
        if (!open->link->IsPresent())
        {
            return MMSYSERR_NODRIVER;
        }
        name = open->name;
        return MMSYSERR_NOERROR;
    }
    const std::vector<std::wstring> names = listNames();
    if (deviceId >= names.size())
    {
        return MMSYSERR_BADDEVICEID;
    }
    name = names[deviceId];
    return MMSYSERR_NOERROR;
}

// Milliseconds of the steady clock.
std::uint32_t MidiMilliseconds();
} // namespace OrvPlatform
