// One captured MIDI message: a short message or a whole system-exclusive message, with the port
// it came from. It is the parameter of "NID_MIDI_DATA_CAPTURED".
//
// Captured messages are made on the system's MIDI callback threads and released on the
// communicator's worker or wherever the notification ends, so they come from a process-wide
// pool with a lock.
#pragma once

#include "OrvCore.h"

#include <cstddef>

namespace Orv
{
class LMidiCapturePort;

class LMidiCaptureNotificationData : public virtual LRefCountedObject
{
public:
    using Bytes = ArrayBufferM<signed char, 4, 1, 0, 1, 8>;

    LMidiCaptureNotificationData(LMidiCapturePort* source, const WString& sourceName,
                                 DWORD timeStamp);

    static void* operator new(std::size_t size);
    static void operator delete(void* pointer);

    // Appends count bytes.
    void AppendBytes(const void* data, unsigned int count);

    // The port the message came from; not owned (compare it, do not use it).
    LMidiCapturePort* sourcePort;
    // The message's bytes.
    Bytes bytes;
    WString sourcePortName;
    // Milliseconds since input started; 0 for system-exclusive data.
    DWORD timeStamp;

    WString ToString() const override;
};

// The pool of captured messages (locked). Made before main, destroyed at exit.
ReuseAllocator<LMidiCaptureNotificationData, 4>& GetMidiCaptureDataPool();
} // namespace Orv
