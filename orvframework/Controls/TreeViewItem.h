// The row control of the tree view ("Framework.TreeViewItem"): a checked list row whose check
// box is the node's expand toggle, indented by the node's level.
//
// UI thread only.
#pragma once

#include "Controls/CheckedListBoxItem.h"

namespace Orv
{
class LTreeViewItem : public LCheckedListBoxItem
{
public:
    LTreeViewItem(const RCPtr<LControl>& parent, const RCPtr<LControlDescriptor>& descriptor);
    LTreeViewItem(const RCPtr<LControl>& parent, const WString& name);
    ~LTreeViewItem() override;

    // The row's horizontal position becomes level times its check box's width (0 without a
    // check box); the rest of its horizontal placement stays. SetAxisPlacement's result.
    ORVRESULT SetIndent(unsigned int level);
};
} // namespace Orv
