#include "Utilities/Threading/LEvent.h"

namespace Orv
{
LEvent::LEvent()
    : mBlock(std::make_unique<EventBlock>(true, "Orv::LEvent::LEvent"))
{
}

LEvent::~LEvent() = default;

RCPtr<LEvent> LEvent::Create()
{
    return RCPtr<LEvent>(new LEvent());
}
} // namespace Orv
