#include "Utilities/Threading/Event.h"

namespace Orv
{
Event::Event(bool autoReset)
    : mBlock(std::make_unique<EventBlock>(autoReset, "Orv::Event::Event"))
{
}

Event::~Event() = default;
} // namespace Orv
