// Tree views made by the factory from TreeViewSkin.xml, in a root window under SDL's offscreen
// driver: expansion and collapse, levels and subtrees, moving and removing nodes, all checked
// step by step against a plain model of the tree over a seeded random sequence of a few hundred
// operations; the refused moves into a node's own subtree; toggling a node by a click on its
// row's box with the notification it sends; and a screenshot of an indented tree.
//
// The window (300 x 220) holds "tree" (10, 10, 280 x 200). Rows are 20 high from the top of the
// tree; a row's box is 16 x 16 at (2, 2) in the row, and a row sits its level times 16 to the
// right.
#include "ControlWindowFixture.h"
#include "TestControls.h"

#include "Controls/IndexedDataParam.h"
#include "Controls/TreeView.h"
#include "System/WindowOSServices.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <random>
#include <string>
#include <vector>

using namespace Orv;
using namespace OrvTest;

namespace
{
constexpr std::uint32_t kRowNormal = 0xFF303030;
constexpr std::uint32_t kRowSelected = 0xFF2060C0;
constexpr std::uint32_t kBoxOffDisabled = 0xFF707070;
constexpr std::uint32_t kBoxOff = 0xFFC0C0C0;
constexpr std::uint32_t kBoxOn = 0xFF20C020;
constexpr std::uint32_t kListFocused = 0xFF181830;
constexpr int kRowHeight = 20;
constexpr int kIndent = 16;

// The tree as nodes with ordered child lists: what the tree view's flat, ordered nodes must
// always show. Nodes are named by an id that the tree view's item text carries ("N<id>").
class TreeModel
{
public:
    struct Node
    {
        int parent = -1;
        bool expanded = false;
        std::vector<int> children;
    };

    int AddRoot()
    {
        const int id = mNextId++;
        mNodes[id] = Node();
        mRoots.push_back(id);
        return id;
    }
    int AddChild(int parent)
    {
        const int id = mNextId++;
        mNodes[id] = Node();
        mNodes[id].parent = parent;
        mNodes[parent].children.push_back(id);
        mNodes[parent].expanded = true;
        return id;
    }
    // A new node before the node `before` (-1: at the end), as its sibling.
    int InsertBefore(int before)
    {
        const int id = mNextId++;
        mNodes[id] = Node();
        if (before < 0)
        {
            mRoots.push_back(id);
            return id;
        }
        const int parent = mNodes[before].parent;
        mNodes[id].parent = parent;
        std::vector<int>& siblings = Siblings(parent);
        siblings.insert(std::find(siblings.begin(), siblings.end(), before), id);
        return id;
    }
    void Remove(int id)
    {
        for (const int child : std::vector<int>(mNodes[id].children))
        {
            Remove(child);
        }
        std::vector<int>& siblings = Siblings(mNodes[id].parent);
        siblings.erase(std::find(siblings.begin(), siblings.end(), id));
        mNodes.erase(id);
    }
    // Whether a move of id under parent (-1: to the top level) is one the tree makes; the
    // model makes it when it is.
    bool Move(int id, int parent)
    {
        const std::vector<int> order = Order();
        if (id == order.front() || id == parent || mNodes[id].parent == parent ||
            (parent >= 0 && IsAncestor(id, parent)))
        {
            return false;
        }
        const int top = TopAncestor(id);
        // Its children take its place under its parent.
        Node& node = mNodes[id];
        std::vector<int>& siblings = Siblings(node.parent);
        auto at = siblings.erase(std::find(siblings.begin(), siblings.end(), id));
        for (const int child : node.children)
        {
            mNodes[child].parent = node.parent;
        }
        siblings.insert(at, node.children.begin(), node.children.end());
        node.children.clear();
        node.parent = parent;
        if (parent >= 0)
        {
            mNodes[parent].children.push_back(id);
            mNodes[parent].expanded = true;
        }
        else
        {
            // After the top-level subtree it was in.
            mRoots.insert(std::find(mRoots.begin(), mRoots.end(), top) + 1, id);
        }
        return true;
    }

    std::vector<int> Order() const
    {
        std::vector<int> out;
        for (const int root : mRoots)
        {
            Walk(root, out);
        }
        return out;
    }
    int Depth(int id) const
    {
        int depth = 0;
        for (int p = mNodes.at(id).parent; p >= 0; p = mNodes.at(p).parent)
        {
            ++depth;
        }
        return depth;
    }
    bool Hidden(int id) const
    {
        for (int p = mNodes.at(id).parent; p >= 0; p = mNodes.at(p).parent)
        {
            if (!mNodes.at(p).expanded)
            {
                return true;
            }
        }
        return false;
    }
    int Descendants(int id) const
    {
        std::vector<int> out;
        Walk(id, out);
        return static_cast<int>(out.size()) - 1;
    }
    int ExpandedCount() const
    {
        int count = 0;
        for (const auto& entry : mNodes)
        {
            count += entry.second.expanded ? 1 : 0;
        }
        return count;
    }
    Node& operator[](int id) { return mNodes.at(id); }
    const Node& at(int id) const { return mNodes.at(id); }
    int Size() const { return static_cast<int>(mNodes.size()); }

private:
    std::vector<int>& Siblings(int parent) { return parent < 0 ? mRoots : mNodes[parent].children; }
    void Walk(int id, std::vector<int>& out) const
    {
        out.push_back(id);
        for (const int child : mNodes.at(id).children)
        {
            Walk(child, out);
        }
    }
    bool IsAncestor(int a, int b) const
    {
        for (int p = mNodes.at(b).parent; p >= 0; p = mNodes.at(p).parent)
        {
            if (p == a)
            {
                return true;
            }
        }
        return false;
    }
    int TopAncestor(int id) const
    {
        while (mNodes.at(id).parent >= 0)
        {
            id = mNodes.at(id).parent;
        }
        return id;
    }

    std::map<int, Node> mNodes;
    std::vector<int> mRoots;
    int mNextId = 0;
};

class TreeViewTest : public ControlWindowFixture
{
public:
    TreeViewTest()
        : ControlWindowFixture("TreeViewSkin.xml")
    {
    }

    void SetUp() override
    {
        ControlWindowFixture::SetUp();
        mTree = RCPtr<LTreeView>(
            dynamic_cast<LTreeView*>(FindControl(mMain->GetRootControl().Get(), "tree")));
        ASSERT_TRUE(mTree);
    }

    static WString Name(int id) { return WString(L"N") + WString::FromInt(id); }
    int IdAt(int index) const
    {
        return std::stoi(mTree->GetItemText(index).ToNarrow().GetBuffer() + 1);
    }
    int IndexOf(int id) const
    {
        const WString name = Name(id);
        for (int i = 0; i < mTree->GetItemCount(); ++i)
        {
            if (mTree->GetItemText(i) == name)
            {
                return i;
            }
        }
        return -1;
    }

    // The tree view's nodes against the model: order, parents, levels, subtrees, expansion,
    // visibility and the checked count; then the rows: their items, indents and boxes.
    void ExpectSameAs(const TreeModel& model, const std::string& label)
    {
        const std::vector<int> order = model.Order();
        ASSERT_EQ(mTree->GetItemCount(), static_cast<int>(order.size())) << label;
        std::map<int, int> indexOf;
        for (int i = 0; i < static_cast<int>(order.size()); ++i)
        {
            indexOf[order[i]] = i;
        }
        for (int i = 0; i < static_cast<int>(order.size()); ++i)
        {
            const int id = order[i];
            const TreeModel::Node& node = model.at(id);
            ASSERT_EQ(IdAt(i), id) << label << ": node " << i;
            ASSERT_EQ(mTree->GetParentIndex(i), node.parent < 0 ? -1 : indexOf[node.parent])
                << label << ": parent of " << i;
            ASSERT_EQ(mTree->GetLevel(i), static_cast<unsigned>(model.Depth(id)))
                << label << ": level of " << i;
            ASSERT_EQ(mTree->IsItemHidden(i), model.Hidden(id)) << label << ": hidden " << i;
            ASSERT_EQ(mTree->GetItemCheck(i), node.expanded) << label << ": expanded " << i;
            ASSERT_EQ(mTree->GetDescendantCount(i), model.Descendants(id))
                << label << ": subtree of " << i;
        }
        ASSERT_EQ(mTree->GetCheckedCount(), model.ExpandedCount()) << label;
        // Row r shows the r-th node from the top item that is not hidden.
        int index = mTree->GetTopItem();
        for (int row = 0; row < mTree->GetVisibleRowCount(); ++row)
        {
            while (index < mTree->GetItemCount() && mTree->IsItemHidden(index))
            {
                ++index;
            }
            const RCPtr<LTreeViewItem> item = mTree->GetTreeItemControl(row);
            ASSERT_TRUE(item);
            if (index >= mTree->GetItemCount())
            {
                ASSERT_EQ(item->GetText(), WString()) << label << ": row " << row;
                continue;
            }
            ASSERT_EQ(item->GetText(), Name(order[index])) << label << ": row " << row;
            ASSERT_EQ(item->GetRect().x, model.Depth(order[index]) * kIndent)
                << label << ": indent of row " << row;
            ASSERT_EQ(item->GetCheckBox()->IsEnabled(false),
                      !model.at(order[index]).children.empty())
                << label << ": box of row " << row;
            ASSERT_EQ(item->GetCheckBox()->GetValue(), model.at(order[index]).expanded ? 1.0 : 0.0)
                << label << ": box value of row " << row;
            ++index;
        }
    }

    // Adds a node under parent (a tree index, -1: a root); the new node's index.
    int Add(int id, int parent)
    {
        mTree->AddItem(LListBox::CreateStringItemData(Name(id)));
        const int last = mTree->GetItemCount() - 1;
        return parent < 0 ? last : mTree->SetItemParent(last, parent);
    }

    // Clicks the box of the row that shows index.
    void ClickBox(int index)
    {
        const int row = mTree->GetItemRow(index);
        ASSERT_GE(row, 0);
        Click(10 + static_cast<int>(mTree->GetLevel(index)) * kIndent + 10,
              10 + row * kRowHeight + 10);
    }

    RCPtr<LTreeView> mTree;
};

TEST_F(TreeViewTest, ARandomSequenceOfEditsKeepsTheTreeInStepWithItsModel)
{
    std::mt19937 random(20261211);
    TreeModel model;
    const auto pick = [&random](int n)
    { return std::uniform_int_distribution<int>(0, n - 1)(random); };
    // A few hundred nodes: roots and children of random nodes.
    for (int i = 0; i < 300; ++i)
    {
        const int count = mTree->GetItemCount();
        if (count == 0 || pick(10) == 0)
        {
            const int id = model.AddRoot();
            EXPECT_EQ(Add(id, -1), count);
        }
        else
        {
            const int parentIndex = pick(count);
            const int id = model.AddChild(model.Order()[parentIndex]);
            const int added = Add(id, parentIndex);
            EXPECT_EQ(added, IndexOf(id));
        }
    }
    ExpectSameAs(model, "built");
    // How often each kind of edit was made, so that the sequence is known to cover them.
    std::map<std::string, int> made;
    for (int step = 0; step < 400 && !HasFatalFailure(); ++step)
    {
        const int count = mTree->GetItemCount();
        const std::vector<int> order = model.Order();
        const int index = pick(count);
        const int id = order[index];
        std::string label = "step " + std::to_string(step);
        switch (pick(8))
        {
            case 0:
            case 1:
            {
                // Collapse or expand by code.
                label += " toggle " + std::to_string(index);
                const bool expand = !mTree->GetItemCheck(index);
                EXPECT_EQ(mTree->SetItemCheck(index, expand), S_OK) << label;
                mTree->ApplyExpansion(index);
                model[id].expanded = expand;
                ++made["toggle"];
                break;
            }
            case 2:
            {
                // Toggle by a click on a box: of a row whose node has children.
                std::vector<int> shown;
                for (int row = 0; row < mTree->GetVisibleRowCount(); ++row)
                {
                    const int item =
                        mTree->GetItemIndexOfControl(mTree->GetItemControlAt(row).Get());
                    if (item >= 0 && item < count && mTree->HasChildren(item))
                    {
                        shown.push_back(item);
                    }
                }
                if (!shown.empty())
                {
                    const int item =
                        shown[static_cast<std::size_t>(pick(static_cast<int>(shown.size())))];
                    label += " click " + std::to_string(item);
                    ClickBox(item);
                    model[order[item]].expanded = !model[order[item]].expanded;
                    ++made["click"];
                }
                break;
            }
            case 3:
            case 4:
            {
                // Move under another node, or to the top level; refused moves (into its own
                // subtree among them) change nothing.
                const int descendants = mTree->GetDescendantCount(index);
                const int parentIndex = descendants > 0 && pick(3) == 0
                                            ? index + 1 + pick(descendants)
                                            : pick(count + 1) - 1;
                label += " move " + std::to_string(index) + " under " + std::to_string(parentIndex);
                const bool moves = model.Move(id, parentIndex < 0 ? -1 : order[parentIndex]);
                const int result = mTree->SetItemParent(index, parentIndex);
                EXPECT_EQ(result, moves ? IndexOf(id) : index) << label;
                ++made[moves ? "move" : "refused move"];
                break;
            }
            case 5:
            {
                // Remove a node with its subtree (keeping a few nodes), or add one.
                if (count > 50)
                {
                    label += " remove " + std::to_string(index);
                    const int descendants = model.Descendants(id);
                    EXPECT_EQ(mTree->RemoveItem(index), count - 1 - descendants) << label;
                    model.Remove(id);
                    ++made["remove"];
                }
                else
                {
                    label += " add under " + std::to_string(index);
                    const int child = model.AddChild(id);
                    Add(child, index);
                }
                break;
            }
            case 6:
            {
                label += " add under " + std::to_string(index);
                const int child = model.AddChild(id);
                const int added = Add(child, index);
                EXPECT_EQ(added, IndexOf(child)) << label;
                break;
            }
            case 7:
            {
                // A node inserted before another becomes its sibling.
                label += " insert before " + std::to_string(index);
                const int inserted = model.InsertBefore(id);
                EXPECT_EQ(mTree->InsertItem(index, LListBox::CreateStringItemData(Name(inserted))),
                          index)
                    << label;
                ++made["insert"];
                break;
            }
        }
        ExpectSameAs(model, label);
    }
    for (const char* kind : {"toggle", "click", "move", "refused move", "remove", "insert"})
    {
        EXPECT_GE(made[kind], 10) << kind;
    }
    EXPECT_GE(mTree->GetItemCount(), 100);
}

TEST_F(TreeViewTest, ANodeIsNeverMovedIntoItsOwnSubtree)
{
    // R, A (root), B under A, C under B, D under C.
    Add(0, -1);
    Add(1, -1);
    Add(2, 1);
    Add(3, 2);
    Add(4, 3);
    const int parents[] = {-1, -1, 1, 2, 3};
    struct Case
    {
        int index;
        int parent;
    };
    const Case refused[] = {
        {1, 2},          // under its child
        {1, 4},          // under a deeper descendant
        {2, 4},  {2, 2}, // under itself
        {2, 1},          // under its parent already
        {1, -1},         // a root already
        {0, 1},          // the first node stays
        {3, 5},          // a parent out of range
        {5, 1},          // an index out of range
        {-1, 1},
    };
    for (const Case& c : refused)
    {
        EXPECT_EQ(mTree->SetItemParent(c.index, c.parent), c.index)
            << c.index << " under " << c.parent;
        for (int i = 0; i < 5; ++i)
        {
            ASSERT_EQ(mTree->GetParentIndex(i), parents[i]) << c.index << " under " << c.parent;
        }
    }
    EXPECT_EQ(mTree->GetLevel(4), 3u);
    EXPECT_FALSE(mTree->IsAncestor(4, 1));
    EXPECT_TRUE(mTree->IsAncestor(1, 4));
    EXPECT_FALSE(mTree->IsAncestor(1, 1));
    EXPECT_FALSE(mTree->IsAncestor(1, 5));
    // The reverse move is allowed: D goes under A, as A's last child.
    EXPECT_EQ(mTree->SetItemParent(4, 1), 4);
    EXPECT_EQ(mTree->GetParentIndex(4), 1);
    EXPECT_EQ(mTree->GetLevel(4), 1u);
}

TEST_F(TreeViewTest, ExpansionRemovalAndTheRecordStoreFollowTheTree)
{
    // A (root), B under A, C under B, D (root), E under D.
    Add(0, -1);
    Add(1, 0);
    Add(2, 1);
    Add(3, -1);
    Add(4, 3);
    EXPECT_EQ(mTree->GetDescendantCount(0), 2);
    EXPECT_EQ(mTree->GetDescendantCount(3), 1);
    EXPECT_EQ(mTree->GetDescendantCount(4), 0);
    // Collapsing A hides B and C; expanding it shows B, and C only while B is expanded.
    struct Step
    {
        int index;
        bool expand;
        bool hidden[5];
    };
    const Step steps[] = {
        {0, false, {false, true, true, false, false}},
        {1, false, {false, true, true, false, false}},
        {0, true, {false, false, true, false, false}},
        {1, true, {false, false, false, false, false}},
    };
    for (const Step& step : steps)
    {
        mTree->SetItemCheck(step.index, step.expand);
        mTree->ApplyExpansion(step.index);
        for (int i = 0; i < 5; ++i)
        {
            EXPECT_EQ(mTree->IsItemHidden(i), step.hidden[i]) << step.index << ": node " << i;
        }
    }
    // Removing B takes C with it; E's parent follows D.
    EXPECT_EQ(mTree->GetCheckedCount(), 3);
    EXPECT_EQ(mTree->RemoveItem(1), 3);
    EXPECT_EQ(mTree->GetParentIndex(2), 1);
    EXPECT_EQ(mTree->GetCheckedCount(), 2);
    // Removing A leaves D first, still a root.
    EXPECT_EQ(mTree->RemoveItem(0), 2);
    EXPECT_EQ(mTree->GetItemText(0), Name(3));
    EXPECT_EQ(mTree->GetParentIndex(0), -1);
    EXPECT_EQ(mTree->GetParentIndex(1), 0);
    EXPECT_EQ(mTree->GetCheckedCount(), 1);
    // The record store checks its indexes; sorting is not a tree operation.
    EXPECT_EQ(mTree->SortAll(), E_NOTIMPL);
    EXPECT_EQ(mTree->GetNode(2), nullptr);
    EXPECT_EQ(mTree->GetNode(-1), nullptr);
    EXPECT_EQ(mTree->SwapItems(0, 2), E_INVALIDARG);
    EXPECT_EQ(mTree->RemoveItemRecord(2), E_INVALIDARG);
    EXPECT_EQ(mTree->GetParentIndex(2), -1);
    EXPECT_EQ(mTree->GetLevel(2), 0u);
    // Nodes swapped into a loop of parents cannot hang the walks up the tree.
    EXPECT_EQ(mTree->SwapItems(0, 1), S_OK);
    EXPECT_LE(mTree->GetLevel(0), 2u);
    EXPECT_FALSE(mTree->IsAncestor(1, 1));
}

TEST_F(TreeViewTest, AClickOnABoxTogglesTheNodeAndReportsItOnce)
{
    Add(0, -1);
    Add(1, 0);
    Add(2, 1);
    Add(3, -1);
    RCPtr<CountingClient> recorder(new CountingClient());
    const wchar_t* change = LCheckedListBox::ItemCheckChangeName();
    recorder->RegisterNotification(RCPtr<LNotificationDistributor>(mTree.Get()), change);
    // Refreshing rows sets the boxes' values without a notification.
    mTree->UpdateItemControlsFrom(0);
    mTree->SetItemCheck(1, false);
    EXPECT_EQ(recorder->Count(change), 0);
    ASSERT_FALSE(mTree->IsItemHidden(1));
    EXPECT_TRUE(mTree->IsItemHidden(2) == false);
    mTree->ApplyExpansion(1);
    EXPECT_TRUE(mTree->IsItemHidden(2));
    // The box of B (row 1) expands it, selects it and reports it.
    ClickBox(1);
    EXPECT_TRUE(mTree->GetItemCheck(1));
    EXPECT_FALSE(mTree->IsItemHidden(2));
    EXPECT_TRUE(mTree->IsItemSelected(1));
    EXPECT_EQ(recorder->Count(change), 1);
    // A's box collapses A: B and C hide, D moves up to row 1.
    ClickBox(0);
    EXPECT_FALSE(mTree->GetItemCheck(0));
    EXPECT_TRUE(mTree->IsItemHidden(1));
    EXPECT_EQ(mTree->GetItemRow(3), 1);
    EXPECT_EQ(recorder->Count(change), 2);
    // D has no children: its box is disabled, and a click on it changes nothing.
    ClickBox(3);
    EXPECT_FALSE(mTree->GetItemCheck(3));
    EXPECT_EQ(recorder->Count(change), 2);
    EXPECT_EQ(mTree->GetCheckedCount(), 1);
    // In click mode the box reports clicks, and the node follows all the same.
    const wchar_t* clicked = LCheckedListBox::ItemCheckBoxClickedName();
    recorder->RegisterNotification(RCPtr<LNotificationDistributor>(mTree.Get()), clicked);
    EXPECT_EQ(mTree->SetCheckNotifyMode(false), S_OK);
    ClickBox(0);
    EXPECT_TRUE(mTree->GetItemCheck(0));
    EXPECT_FALSE(mTree->IsItemHidden(2));
    EXPECT_EQ(recorder->Count(clicked), 1);
    EXPECT_EQ(recorder->Count(change), 2);
    EXPECT_EQ(mTree->GetCheckedCount(), 2);
    recorder->UnregisterAllNotifications();
}

TEST_F(TreeViewTest, TheScreenshotShowsIndentedRowsWithTheirBoxes)
{
    // A expanded with B (collapsed, with C) and F; D (no children).
    Add(0, -1);
    Add(1, 0);
    Add(2, 1);
    Add(5, 0);
    Add(3, -1);
    mTree->SetItemCheck(1, false);
    mTree->ApplyExpansion(1);
    mTree->SelectItemRange(3, -1, true);
    Mouse(WM_MOUSEMOVE, 5, 215);
    PumpMessages();
    const int width = 300;
    const int height = 220;
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height);
    ASSERT_TRUE(OrvPlatform::Window::ReadClientPixels(mWindow, pixels.data(), width, height));
    SavePng(pixels.data(), width, height, ControlsArtefact("tree-view.png"));
    const auto at = [&](int x, int y) { return pixels[static_cast<std::size_t>(y) * width + x]; };
    // Rows: A (level 0, expanded), B (level 1, collapsed), F (level 1, no children, selected),
    // D (level 0, no children).
    struct Row
    {
        int level;
        std::uint32_t box;
        std::uint32_t background;
    };
    const Row rows[] = {
        {0, kBoxOn, kRowNormal},
        {1, kBoxOff, kRowNormal},
        {1, kBoxOffDisabled, kRowSelected},
        {0, kBoxOffDisabled, kRowNormal},
    };
    for (int r = 0; r < 4; ++r)
    {
        const int y = 10 + r * kRowHeight + 10;
        const int left = 10 + rows[r].level * kIndent;
        EXPECT_EQ(at(left + 10, y), rows[r].box) << "box of row " << r;
        EXPECT_EQ(at(250, y), rows[r].background) << "row " << r;
        if (rows[r].level > 0)
        {
            // Left of an indented row: the tree's own background (it has the focus).
            EXPECT_EQ(at(left - 4, y), kListFocused) << "indent of row " << r;
        }
    }
}
} // namespace
