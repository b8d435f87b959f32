// One node of a tree view: a checked list item whose check means "expanded", with the index of
// its parent node (-1 for a root). A tree view keeps its nodes in display order: every node
// after its parent, its descendants directly after it.
#pragma once

#include "Controls/ItemRecord.h"

namespace Orv
{
struct TreeNode : CheckedItemRecord
{
    int parentIndex = -1;
};
} // namespace Orv
