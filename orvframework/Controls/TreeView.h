// The tree view ("Framework.TreeView"): a checked list box whose items are the nodes of a tree.
// The nodes are kept in display order (every node after its parent, its descendants directly
// after it); each row's check box is the node's expand toggle: an expanded (checked) node shows
// its children, a collapsed one hides its whole subtree. Rows (LTreeViewItem) are indented by
// the node's level, and a node without children cannot be toggled from its row.
//
// Nodes are added and removed through the list box's item operations; a new node is a
// collapsed root, SetItemParent moves a node under another. Removing a node removes its
// subtree. The tree never holds a cycle: a node is never moved under itself or one of its
// descendants.
//
// Notifications, besides the list box's: "NID_ITEM_CHECK_CHANGE" (or, after
// SetCheckNotifyMode(false), "NID_ITEM_CHECKBOX_CLICKED") when the user toggles a node.
//
// The code is split by concern: TreeView.cpp (record store, rows, the check boxes),
// TreeViewStructure.cpp (levels, expansion, moving nodes).
//
// UI thread only.
#pragma once

#include "Controls/CheckedListBox.h"
#include "Controls/TreeNode.h"
#include "Controls/TreeViewItem.h"

#include <vector>

namespace Orv
{
class LTreeView : public LCheckedListBox
{
public:
    LTreeView(const RCPtr<LControl>& parent, const RCPtr<LControlDescriptor>& descriptor);
    LTreeView(const RCPtr<LControl>& parent, const WString& name);
    ~LTreeView() override;

    // The tree's handler table first (once created), then the checked list box's chain.
    ORVRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                  const RCPtr<LNotification>& notification) override;
    ORVRESULT Unregister(const RCPtr<LNotificationDistributor>& source,
                         const wchar_t* name) override;

    // The checked list box's, then the handler. Its result.
    ORVRESULT Initialize() override;

    // --- Record store and list operations (TreeView.cpp) ---

    int GetItemCount() const override;
    // Removes the node with its whole subtree, the last descendant first, so that the
    // selection, the hidden items and the checked count follow each removal. The new count;
    // E_INVALIDARG out of range.
    ORVRESULT RemoveItem(int index) override;
    // Nodes keep their tree order: E_NOTIMPL.
    ORVRESULT SortAll() override;
    // Exchanges the two whole nodes, parent indexes included; nothing is renumbered.
    // E_INVALIDARG when either index is out of range.
    ORVRESULT SwapItems(int first, int second) override;
    CheckedItemRecord* GetCheckedItemRecordAt(int index) override;
    // A new collapsed node before index; the parent indexes after it follow. Inserted before a
    // node that has a parent, it becomes that node's sibling (a root there would cut its
    // parent's subtree in two); elsewhere it is a root. E_INVALIDARG out of range.
    ORVRESULT InsertItemRecord(int index) override;
    // Removes the node and its subtree; the parent indexes after them follow and checked nodes
    // leave the checked count. E_INVALIDARG out of range.
    ORVRESULT RemoveItemRecord(int index) override;
    // The checked list box's refill, then (for a node shown in a row) the check box enabled
    // only for a node with children, and the row indented by the node's level. The check
    // boxes' handlers ignore what it does.
    ORVRESULT UpdateItemControl(int index, int* row) override;
    // Gives back one idle request.
    void OnIdleTick() override;

    // --- Structure (TreeViewStructure.cpp), in the order of their slots ---

    // Moves the node under parent (negative: makes it a root), as its last child; its own
    // children stay where they are and go to its former parent. Nothing changes for an index
    // out of range or 0, a parent equal to the index, to the current parent, out of range or
    // inside the node's subtree. A parent that has children afterwards is expanded. The node's
    // index afterwards.
    virtual int SetItemParent(int index, int parent);
    // -1 out of range.
    virtual int GetParentIndex(int index) const;
    // The number of ancestors; 0 out of range.
    virtual unsigned int GetLevel(int index) const;
    // The number of nodes of the subtree below index; 0 out of range.
    virtual int GetDescendantCount(int index) const;
    // The node; null out of range.
    virtual TreeNode* GetNode(int index);
    // Shows each node of p's subtree whose ancestors are all expanded and hides the others.
    virtual void ApplyExpansion(int p);

    const TreeNode* GetNode(int index) const
    {
        return const_cast<LTreeView*>(this)->GetNode(index);
    }
    // Whether a is an ancestor of b (a node is not its own); false out of range.
    bool IsAncestor(int a, int b) const;
    // Expands p: through its row's check box when it is shown (as a user's click would), else
    // by its check; then its subtree's visibility follows.
    void ExpandItem(int p);
    // Whether every ancestor of index is expanded (true for a root).
    bool AreAncestorsExpanded(int index) const;
    bool HasChildren(int index) const;
    // The row control, null out of range.
    RCPtr<LTreeViewItem> GetTreeItemControl(int row) const;

protected:
    // The tree's own handlers follow the check boxes.
    void FollowCheckBox(const RCPtr<LButton>& checkBox, bool subscribe) override;

private:
    ORVRESULT OnTreeCheckBoxValueChange(const RCPtr<LNotificationDistributor>& source,
                                        const RCPtr<LNotification>& notification);
    ORVRESULT OnTreeCheckBoxClick(const RCPtr<LNotificationDistributor>& source,
                                  const RCPtr<LNotification>& notification);
    // The common part of the two handlers.
    ORVRESULT OnTreeCheckBoxChange(const RCPtr<LNotificationDistributor>& source,
                                   const wchar_t* name);
    // Every node's hidden state from its ancestors' expansion, from first to the end.
    void RefreshHiddenFrom(int first);
    // The rows and the scroll extent after a change of the structure.
    void RefreshRows();

    RCPtr<LNotificationHandler<LTreeView>> mTreeHandler;
    std::vector<TreeNode> mNodes;
    // Set while UpdateItemControl runs: the check boxes' handlers ignore the values it sets.
    bool mBusy = false;
};
} // namespace Orv
