// One auto-reset event per worker, and a wait for any of them.
#pragma once

#include "Utilities/Storage/RCPtrArray.h"
#include "Utilities/Threading/LEvent.h"

#include <memory>

namespace Orv
{
class EventPool
{
public:
    // count unsignalled auto-reset events.
    explicit EventPool(unsigned int count);
    virtual ~EventPool();
    EventPool(const EventPool&) = delete;
    EventPool& operator=(const EventPool&) = delete;

    // The index of a signalled event (the lowest one when several are; its signal is consumed),
    // or -1 after ms milliseconds (INFINITE: no limit) or when the wait fails.
    int WaitForAny(DWORD ms);
    // The event at index (unchecked).
    RCPtr<LEvent>& GetEvent(unsigned int index);
    unsigned int GetCount() const;

private:
    struct Block;
    std::unique_ptr<Block> mBlock;
};
} // namespace Orv
