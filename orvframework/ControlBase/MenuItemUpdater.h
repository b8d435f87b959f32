// The object through which menus ask a control to bring their items up to date. It holds its
// control; the control counts that reference as internal, so control and updater die together.
#pragma once

#include "ObjectBase/RCPtr.h"

namespace Orv
{
class LControl;

class LMenuItemUpdater : public virtual LRefCountedObject
{
public:
    explicit LMenuItemUpdater(const RCPtr<LControl>& target);
    ~LMenuItemUpdater() override;

    // Null once the control has let go of it.
    const RCPtr<LControl>& GetTarget() const { return mTarget; }
    // Drops the reference to the control (the control's own teardown calls it).
    void ClearTarget();

private:
    RCPtr<LControl> mTarget;
};
} // namespace Orv
