// The question a tab control asks before it leaves the selected tab
// ("NID_TAB_BECOMING_UNSELECTED"): the tab selected now and the one about to be selected, which a
// listener may overwrite to keep the current tab or to go to another one.
#pragma once

#include "ObjectBase/RCPtr.h"

namespace Orv
{
class LTabBecomingUnselectedParams : public LRefCountedObject
{
public:
    static RCPtr<LTabBecomingUnselectedParams> Create(int currentIndex, int newIndex);
    ~LTabBecomingUnselectedParams() override;

    // The index of the tab selected now, about to be left.
    int currentIndex;
    // The index of the tab about to be selected; a listener may overwrite it.
    int newIndex;

private:
    LTabBecomingUnselectedParams(int currentIndex, int newIndex);
};
} // namespace Orv
