// One visual state of a control, built from a look descriptor of the skin. A control holds one
// look per entry of its look list, each drawn with a weight.
#pragma once

#include "ControlBase/LookDescriptor.h"

namespace Orv
{
class LLook : public virtual LRefCountedObject
{
public:
    // A look of descriptor; wordWrap asks its text to wrap at the text area's width. Stored in
    // out; returns out.
    static RCPtr<LLook>& Create(RCPtr<LLook>& out, const RCPtr<LLookDescriptor>& descriptor,
                                bool wordWrap);

    const RCPtr<LLookDescriptor>& GetDescriptor() const { return mDescriptor; }
    bool GetWordWrap() const { return mWordWrap; }

private:
    LLook(const RCPtr<LLookDescriptor>& descriptor, bool wordWrap);

    RCPtr<LLookDescriptor> mDescriptor;
    bool mWordWrap;
};
} // namespace Orv
