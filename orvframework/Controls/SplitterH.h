// The horizontal bar between an upper and a lower pane, dragged up and down
// ("Framework.SplitterH").
#pragma once

#include "Controls/SplitterBase.h"

namespace Orv
{
class LSplitterH : public LSplitterBase
{
public:
    LSplitterH(const RCPtr<LControl>& parent, const RCPtr<LControlDescriptor>& descriptor);
    LSplitterH(const RCPtr<LControl>& parent, const WString& name);
    ~LSplitterH() override;
};
} // namespace Orv
