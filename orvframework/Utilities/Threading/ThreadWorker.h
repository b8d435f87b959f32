// A task that threaders and thread pools run: one operation with a shared parameter object.
// Its ToString gives the task's name.
#pragma once

#include "ObjectBase/RCPtr.h"
#include "ObjectBase/RefCountedObject.h"

namespace Orv
{
class LThreadWorker : public virtual LRefCountedObject
{
public:
    virtual ORVRESULT DoWork(const ConstRCPtr<LRefCountedObject>& parameter) = 0;
};
} // namespace Orv
