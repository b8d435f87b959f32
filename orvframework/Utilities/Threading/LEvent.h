// A shared auto-reset event, passed between threads in reference-counted pointers.
#pragma once

#include "ObjectBase/RCPtr.h"
#include "ObjectBase/RefCountedObject.h"
#include "Utilities/Threading/EventBlock.h"

#include <memory>

namespace Orv
{
class LEvent : public virtual LRefCountedObject
{
public:
    // Auto-reset, unsignalled. Throws "Runtime Error" when the system gives no event.
    LEvent();
    ~LEvent() override;

    static RCPtr<LEvent> Create();

    bool Set() { return mBlock->Set(); }
    bool Reset() { return mBlock->Reset(); }
    DWORD Wait(DWORD ms = INFINITE) { return mBlock->Wait(ms); }
    bool IsSet() { return mBlock->IsSet(); }
    HANDLE GetHandle() const { return mBlock->GetHandle(); }

private:
    std::unique_ptr<EventBlock> mBlock;
};
} // namespace Orv
