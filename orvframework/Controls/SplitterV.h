// The vertical bar between a left and a right pane, dragged left and right ("Framework.SplitterV").
#pragma once

#include "Controls/SplitterBase.h"

namespace Orv
{
class LSplitterV : public LSplitterBase
{
public:
    LSplitterV(const RCPtr<LControl>& parent, const RCPtr<LControlDescriptor>& descriptor);
    LSplitterV(const RCPtr<LControl>& parent, const WString& name);
    ~LSplitterV() override;
};
} // namespace Orv
