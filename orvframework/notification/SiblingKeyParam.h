// A key offered to the siblings of the control it comes from, one at a time.
#pragma once

#include "ObjectBase/RCPtr.h"
#include "notification/KeyCode.h"

namespace Orv
{
class LSiblingKeyParam : public virtual LRefCountedObject
{
public:
    static RCPtr<LSiblingKeyParam> Create(const KeyCode& key,
                                          const RCPtr<LRefCountedObject>& sibling);

    KeyCode key;
    // The control the key is offered to.
    RCPtr<LRefCountedObject> sibling;
    // -1 at creation; set by the key router.
    LONG index = -1;

private:
    LSiblingKeyParam(const KeyCode& key, const RCPtr<LRefCountedObject>& sibling);
};
} // namespace Orv
