#include "Controls/SplitterH.h"

namespace Orv
{
LSplitterH::LSplitterH(const RCPtr<LControl>& parent, const RCPtr<LControlDescriptor>& descriptor)
    : LSplitterBase(parent, descriptor, kHorizontal)
{
}

LSplitterH::LSplitterH(const RCPtr<LControl>& parent, const WString& name)
    : LSplitterBase(parent, name, kHorizontal)
{
}

LSplitterH::~LSplitterH() = default;
} // namespace Orv
