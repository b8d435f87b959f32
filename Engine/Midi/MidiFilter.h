// A filter that decides, per receiver, which captured MIDI messages the communicator delivers to
// that receiver. The communicator keeps its own copy of each filter (CreateCopy), so a filter
// class must be copyable.
#pragma once

#include "OrvCore.h"

namespace Orv
{
class LIMidiFilter : public virtual LRefCountedObject
{
public:
    // true lets the message (count bytes at data) through to the receiver.
    virtual bool AcceptMessage(const signed char* data, unsigned int count) = 0;
};
} // namespace Orv
