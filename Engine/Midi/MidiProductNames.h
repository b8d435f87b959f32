// The product names of the MIDI devices, as the ports choose their device by them.
#pragma once

#include "Utilities/Storage/StringArrayT.h"
#include "platform/Midi.h"

namespace Orv
{
// The product names of the devices in device-id order, empty where a name cannot be read, so
// that an index of the array is a device id. Caps is MIDIINCAPSW or MIDIOUTCAPSW; query the
// matching midiInGetDevCapsW or midiOutGetDevCapsW.
template <class Caps, class Query>
StringArrayT<wchar_t, char> ReadProductNames(UINT count, Query query)
{
    StringArrayT<wchar_t, char> names;
    for (UINT id = 0; id < count; ++id)
    {
        Caps caps{};
        names.AddItem(query(id, &caps, sizeof(caps)) == MMSYSERR_NOERROR
                          ? StringT<wchar_t, char>(caps.szPname)
                          : StringT<wchar_t, char>());
    }
    return names;
}
} // namespace Orv
