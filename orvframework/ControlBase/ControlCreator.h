// The creator of a control class, in the form the control factory registers
// (CreateFunction): it constructs a control of class T for a descriptor under a parent and runs
// the creation sequence on it: ApplyDescriptor, CreateChildControls, Initialize, OnCreated, then
// the created flag. A creator catches nothing: an exception of a step passes to the factory's
// caller, and the partly made control dies with its last reference.
#pragma once

#include "ControlBase/Control.h"
#include "Utilities/Debug/DebugOutput.h"
#include "Utilities/Globals.h"

namespace Orv
{
// T is constructed with (parent, descriptor). The result is null for a null descriptor, and
// for a control that its parent refused (a child of the same name is already there), which is
// reported in the debug output.
template <class T>
RCPtr<LControl>& CreateControlOf(RCPtr<LControl>& result, const RCPtr<LControl>& parent,
                                 const RCPtr<LControlDescriptor>& descriptor)
{
    result = nullptr;
    if (!descriptor)
    {
        return result;
    }
    const RCPtr<T> control(new T(parent, descriptor));
    if (parent && control->GetParent().Get() != parent.Get())
    {
        GetDebugOutput().Narrow() << "Control " << parent->GetName().ToNarrow().GetBuffer()
                                  << " already has a child named "
                                  << descriptor->GetName().ToNarrow().GetBuffer() << std::endl;
        return result;
    }
    control->ApplyDescriptor(descriptor);
    control->CreateChildControls(descriptor);
    control->Initialize();
    control->OnCreated();
    control->SetCreated();
    result = control;
    return result;
}
} // namespace Orv
