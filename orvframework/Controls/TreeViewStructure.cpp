// The tree's structure: parents, levels, subtrees, expansion and moving nodes.
//
// Walks up the parent chain are bounded by the node count, so that nodes exchanged by SwapItems
// into a loop of parents cannot make them run forever.
#include "Controls/TreeView.h"

#include <utility>
#include <vector>

namespace Orv
{
int LTreeView::GetParentIndex(int index) const
{
    const TreeNode* node = GetNode(index);
    return node != nullptr ? node->parentIndex : -1;
}

unsigned int LTreeView::GetLevel(int index) const
{
    if (!IsValidIndex(index))
    {
        return 0;
    }
    const int count = GetItemCount();
    unsigned int level = 0;
    for (int parent = GetParentIndex(index); parent >= 0 && static_cast<int>(level) < count;
         parent = GetParentIndex(parent))
    {
        ++level;
    }
    return level;
}

int LTreeView::GetDescendantCount(int index) const
{
    if (!IsValidIndex(index))
    {
        return 0;
    }
    // The subtree is contiguous: a node belongs to it while its parent lies in it.
    const int count = GetItemCount();
    int end = index + 1;
    while (end < count)
    {
        const int parent = mNodes[static_cast<size_t>(end)].parentIndex;
        if (parent < index || parent >= end)
        {
            break;
        }
        ++end;
    }
    return end - index - 1;
}

bool LTreeView::HasChildren(int index) const
{
    return IsValidIndex(index) && IsValidIndex(index + 1) &&
           mNodes[static_cast<size_t>(index) + 1].parentIndex == index;
}

bool LTreeView::IsAncestor(int a, int b) const
{
    if (!IsValidIndex(a) || !IsValidIndex(b))
    {
        return false;
    }
    int steps = GetItemCount();
    for (int parent = GetParentIndex(b); parent >= 0 && steps-- > 0;
         parent = GetParentIndex(parent))
    {
        if (parent == a)
        {
            return true;
        }
    }
    return false;
}

bool LTreeView::AreAncestorsExpanded(int index) const
{
    int steps = GetItemCount();
    for (int parent = GetParentIndex(index); parent >= 0 && steps-- > 0;
         parent = GetParentIndex(parent))
    {
        if (!GetItemCheck(parent))
        {
            return false;
        }
    }
    return true;
}

void LTreeView::ApplyExpansion(int p)
{
    if (!IsValidIndex(p))
    {
        return;
    }
    const RCPtr<LControl> self(this);
    const int end = p + GetDescendantCount(p);
    // shown[j - p]: every ancestor of j up to the root is expanded, for p and its subtree.
    std::vector<bool> shown(static_cast<size_t>(end - p + 1));
    shown[0] = AreAncestorsExpanded(p);
    for (int j = p + 1; j <= end && IsValidIndex(j); ++j)
    {
        const int parent = GetParentIndex(j);
        const bool visible = shown[static_cast<size_t>(parent - p)] && GetItemCheck(parent);
        shown[static_cast<size_t>(j - p)] = visible;
        SetItemHidden(j, !visible);
    }
}

void LTreeView::RefreshHiddenFrom(int first)
{
    for (int j = std::max(first, 0); j < GetItemCount(); ++j)
    {
        const int parent = GetParentIndex(j);
        const bool visible =
            parent < 0 || (GetItemCheck(parent) && !GetItemRecord(parent).isHidden);
        SetItemHidden(j, !visible);
    }
}

void LTreeView::ExpandItem(int p)
{
    if (!IsValidIndex(p))
    {
        return;
    }
    const RCPtr<LControl> self(this);
    const int row = GetItemRow(p);
    const RCPtr<LCheckedListBoxItem> item = row >= 0 ? GetItemControl(row) : nullptr;
    const RCPtr<LButton> checkBox = item ? item->GetCheckBox() : RCPtr<LButton>();
    if (checkBox && GetCheckNotifyMode())
    {
        // As a click on the box would: the value-change handler expands and reports it.
        checkBox->SetValue(1.0);
    }
    if (!GetItemCheck(p))
    {
        SetItemCheck(p, true);
        ApplyExpansion(p);
        RefreshRows();
    }
}

int LTreeView::SetItemParent(int index, int parent)
{
    const int count = GetItemCount();
    if (!IsValidIndex(index) || index == 0 || parent == index)
    {
        return index;
    }
    if (parent < 0)
    {
        parent = -1;
    }
    if (parent >= count || GetParentIndex(index) == parent ||
        (parent >= 0 && IsAncestor(index, parent)))
    {
        // Out of range, already there, or a move into its own subtree, which would make a loop
        // of parents.
        return index;
    }
    const RCPtr<LControl> self(this);
    const int oldParent = GetParentIndex(index);
    // The node's own children stay in place and go to its former parent.
    const int end = index + GetDescendantCount(index);
    for (int j = index + 1; j <= end; ++j)
    {
        TreeNode& child = mNodes[static_cast<size_t>(j)];
        if (child.parentIndex == index)
        {
            child.parentIndex = oldParent;
        }
    }
    // Take the node out.
    TreeNode node = std::move(mNodes[static_cast<size_t>(index)]);
    mNodes.erase(mNodes.begin() + index);
    for (TreeNode& other : mNodes)
    {
        if (other.parentIndex > index)
        {
            --other.parentIndex;
        }
    }
    if (parent > index)
    {
        --parent;
    }
    // Where it goes: after the new parent's subtree (its last child); made a root, after the
    // top-level subtree it was in.
    int position = 0;
    if (parent >= 0)
    {
        position = parent + 1 + GetDescendantCount(parent);
    }
    else
    {
        position = index;
        while (position < GetItemCount() && mNodes[static_cast<size_t>(position)].parentIndex >= 0)
        {
            ++position;
        }
    }
    for (TreeNode& other : mNodes)
    {
        if (other.parentIndex >= position)
        {
            ++other.parentIndex;
        }
    }
    node.parentIndex = parent;
    mNodes.insert(mNodes.begin() + position, std::move(node));
    // Visibility from the new ancestors, for every node that moved or changed its ancestors.
    RefreshHiddenFrom(std::min(index, position));
    if (parent >= 0)
    {
        ExpandItem(parent);
        ApplyExpansion(parent);
    }
    RefreshRows();
    return position;
}
} // namespace Orv
