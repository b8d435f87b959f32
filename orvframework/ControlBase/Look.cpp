#include "ControlBase/Look.h"

namespace Orv
{
LLook::LLook(const RCPtr<LLookDescriptor>& descriptor, bool wordWrap)
    : mDescriptor(descriptor)
    , mWordWrap(wordWrap)
{
}

RCPtr<LLook>& LLook::Create(RCPtr<LLook>& out, const RCPtr<LLookDescriptor>& descriptor,
                            bool wordWrap)
{
    out = new LLook(descriptor, wordWrap);
    return out;
}
} // namespace Orv
