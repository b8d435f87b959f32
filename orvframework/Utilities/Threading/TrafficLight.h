// A manual-reset event read as a light: green is signalled, red unsignalled. It starts red.
#pragma once

#include "Utilities/Threading/Event.h"

namespace Orv
{
class TrafficLight : public Event
{
public:
    TrafficLight()
        : Event(false)
    {
    }

    bool SetGreen() { return Set(); }
    bool SetRed() { return Reset(); }
};
} // namespace Orv
