// The parameter of a notification that its receivers may veto: a receiver sets the cancel flag.
#pragma once

#include "ObjectBase/RCPtr.h"

namespace Orv
{
class LCancelArgs : public virtual LRefCountedObject
{
public:
    static RCPtr<LCancelArgs> Create() { return RCPtr<LCancelArgs>(new LCancelArgs()); }

    bool cancel = false;

private:
    LCancelArgs() = default;
};
} // namespace Orv
