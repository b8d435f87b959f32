// The row control of a popup menu ("Framework.MenuItem"): a checked list row whose "checkBox"
// shows the item's check mark. Its skin also carries a "hotKeyLabel" child, which the popup menu
// fills with the item's key text.
//
// UI thread only.
#pragma once

#include "Controls/CheckedListBoxItem.h"

namespace Orv
{
class LMenuListBoxItem : public LCheckedListBoxItem
{
public:
    LMenuListBoxItem(const RCPtr<LControl>& parent, const RCPtr<LControlDescriptor>& descriptor);
    ~LMenuListBoxItem() override;

    // The checked row's look; true in every case.
    bool SetItemLook(int look) override;
};
} // namespace Orv
