#include "Controls/SplitterV.h"

namespace Orv
{
LSplitterV::LSplitterV(const RCPtr<LControl>& parent, const RCPtr<LControlDescriptor>& descriptor)
    : LSplitterBase(parent, descriptor, kVertical)
{
}

LSplitterV::LSplitterV(const RCPtr<LControl>& parent, const WString& name)
    : LSplitterBase(parent, name, kVertical)
{
}

LSplitterV::~LSplitterV() = default;
} // namespace Orv
