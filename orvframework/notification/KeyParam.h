// A key event, with the controls it has visited on its way up the control tree.
#pragma once

#include "ObjectBase/RCPtr.h"
#include "Utilities/Storage/RCPtrArray.h"
#include "notification/KeyCode.h"

namespace Orv
{
class LKeyParam : public virtual LRefCountedObject
{
public:
    static RCPtr<LKeyParam> Create(const KeyCode& key, bool keyUp);

    // The key's name text (KeyCode::ToDebugString).
    WString ToString() const override;

    KeyCode key;
    bool keyUp;
    // Set, a Tab walk among a container's children does not stop where it wraps past the end
    // of their tab order: the focus goes round inside the container instead of leaving it.
    bool noWrap = false;
    // The controls the key has visited, the most recent last; filled by the key router.
    RCPtrArray<LRefCountedObject, 1, 0> visitedControls;

private:
    LKeyParam(const KeyCode& key, bool keyUp);
};
} // namespace Orv
