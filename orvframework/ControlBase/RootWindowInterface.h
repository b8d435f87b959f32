// What a top-level control holds of its root window. The root window lives in the window layer,
// above the control model; it implements this interface, and the control reaches it only
// through it.
#pragma once

#include "ObjectBase/RefCountedObject.h"

namespace Orv
{
class IRootWindow : public virtual LRefCountedObject
{
public:
    ~IRootWindow() override = default;
};
} // namespace Orv
