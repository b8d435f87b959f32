#include "Controls/TreeView.h"

#include "ControlBase/ControlNotificationNames.h"
#include "Controls/NotificationChain.h"

#include <utility>

namespace Orv
{
namespace
{
// Sets a flag for its lifetime.
class CBusyScope
{
public:
    explicit CBusyScope(bool& flag)
        : mFlag(flag)
        , mWas(flag)
    {
        mFlag = true;
    }
    ~CBusyScope() { mFlag = mWas; }
    CBusyScope(const CBusyScope&) = delete;
    CBusyScope& operator=(const CBusyScope&) = delete;

private:
    bool& mFlag;
    bool mWas;
};
} // namespace

LTreeView::LTreeView(const RCPtr<LControl>& parent, const RCPtr<LControlDescriptor>& descriptor)
    : LCheckedListBox(parent, descriptor)
{
}

LTreeView::LTreeView(const RCPtr<LControl>& parent, const WString& name)
    : LCheckedListBox(parent, name)
{
}

LTreeView::~LTreeView()
{
    mNodes.clear();
    mTreeHandler = nullptr;
}

ORVRESULT LTreeView::ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                         const RCPtr<LNotification>& notification)
{
    return ReceiveThroughChain<LCheckedListBox>(*this, mTreeHandler, source, notification);
}

ORVRESULT LTreeView::Unregister(const RCPtr<LNotificationDistributor>& source, const wchar_t* name)
{
    return UnregisterThroughChain<LCheckedListBox>(*this, mTreeHandler, source, name);
}

ORVRESULT LTreeView::Initialize()
{
    const ORVRESULT result = LCheckedListBox::Initialize();
    if (!mTreeHandler)
    {
        mTreeHandler = new LNotificationHandler<LTreeView>(this);
    }
    return result;
}

// --- Record store ---

int LTreeView::GetItemCount() const
{
    return static_cast<int>(mNodes.size());
}

TreeNode* LTreeView::GetNode(int index)
{
    if (index < 0 || index >= static_cast<int>(mNodes.size()))
    {
        return nullptr;
    }
    return &mNodes[static_cast<size_t>(index)];
}

CheckedItemRecord* LTreeView::GetCheckedItemRecordAt(int index)
{
    return GetNode(index);
}

ORVRESULT LTreeView::SwapItems(int first, int second)
{
    if (!IsValidIndex(first) || !IsValidIndex(second))
    {
        return E_INVALIDARG;
    }
    std::swap(mNodes[static_cast<size_t>(first)], mNodes[static_cast<size_t>(second)]);
    return S_OK;
}

ORVRESULT LTreeView::InsertItemRecord(int index)
{
    const int count = GetItemCount();
    if (index < 0 || index > count)
    {
        return E_INVALIDARG;
    }
    TreeNode node;
    bool hidden = false;
    if (index < count)
    {
        const TreeNode& next = mNodes[static_cast<size_t>(index)];
        node.parentIndex = next.parentIndex;
        hidden = next.isHidden;
    }
    for (TreeNode& other : mNodes)
    {
        if (other.parentIndex >= index)
        {
            ++other.parentIndex;
        }
    }
    mNodes.insert(mNodes.begin() + index, node);
    if (hidden)
    {
        // A sibling of a hidden node is hidden too; the list keeps its count of hidden items.
        SetItemHidden(index, true);
    }
    return S_OK;
}

ORVRESULT LTreeView::RemoveItemRecord(int index)
{
    if (!IsValidIndex(index))
    {
        return E_INVALIDARG;
    }
    const int removed = GetDescendantCount(index) + 1;
    const auto first = mNodes.begin() + index;
    const auto last = first + removed;
    for (auto node = first; node != last; ++node)
    {
        if (node->checked)
        {
            --mCheckedCount;
        }
    }
    mNodes.erase(first, last);
    for (auto node = mNodes.begin() + index; node != mNodes.end(); ++node)
    {
        if (node->parentIndex > index)
        {
            node->parentIndex -= removed;
        }
    }
    return S_OK;
}

ORVRESULT LTreeView::RemoveItem(int index)
{
    if (!IsValidIndex(index))
    {
        return E_INVALIDARG;
    }
    const RCPtr<LControl> self(this);
    const int parent = GetParentIndex(index);
    ORVRESULT result = S_OK;
    // The last node of a subtree has no children: removing from the back removes leaves only.
    for (int node = index + GetDescendantCount(index); node >= index; --node)
    {
        result = LCheckedListBox::RemoveItem(node);
        if (FAILED(result))
        {
            return result;
        }
    }
    if (parent >= 0)
    {
        // The parent may have lost its last child.
        UpdateItemControl(parent, nullptr);
    }
    return result;
}

ORVRESULT LTreeView::SortAll()
{
    return E_NOTIMPL;
}

void LTreeView::OnIdleTick()
{
    UnsubscribeIdle();
}

// --- Rows ---

RCPtr<LTreeViewItem> LTreeView::GetTreeItemControl(int row) const
{
    return DynamicCast<LTreeViewItem>(GetItemControlAt(row));
}

ORVRESULT LTreeView::UpdateItemControl(int index, int* row)
{
    const CBusyScope busy(mBusy);
    int shownRow = -1;
    const ORVRESULT result = LCheckedListBox::UpdateItemControl(index, &shownRow);
    if (row != nullptr)
    {
        *row = shownRow;
    }
    if (result != S_OK || shownRow < 0 || !IsValidIndex(index))
    {
        return result;
    }
    const RCPtr<LCheckedListBoxItem> item = GetItemControl(shownRow);
    if (!item)
    {
        return result;
    }
    if (const RCPtr<LButton> checkBox = item->GetCheckBox())
    {
        checkBox->SetEnabled(HasChildren(index));
    }
    if (const RCPtr<LTreeViewItem> treeItem = DynamicCast<LTreeViewItem>(item))
    {
        treeItem->SetIndent(GetLevel(index));
    }
    return result;
}

void LTreeView::FollowCheckBox(const RCPtr<LButton>& checkBox, bool subscribe)
{
    if (!checkBox)
    {
        return;
    }
    if (!mTreeHandler)
    {
        mTreeHandler = new LNotificationHandler<LTreeView>(this);
    }
    const RCPtr<LNotificationDistributor> source(checkBox.Get());
    const wchar_t* name = CheckBoxNotification();
    if (subscribe)
    {
        mTreeHandler->SubscribeHandler(GetCheckNotifyMode() ? &LTreeView::OnTreeCheckBoxValueChange
                                                            : &LTreeView::OnTreeCheckBoxClick,
                                       source, name);
    }
    else
    {
        mTreeHandler->RemoveHandler(source, name);
        UnregisterNotification(source, name);
    }
}

void LTreeView::RefreshRows()
{
    UpdateItemControlsFrom(0);
    UpdateClientExtent();
}

// --- The check boxes ---

ORVRESULT LTreeView::OnTreeCheckBoxChange(const RCPtr<LNotificationDistributor>& source,
                                          const wchar_t* name)
{
    if (mBusy)
    {
        return 1;
    }
    RCPtr<LButton> checkBox;
    const int index = ItemOfCheckBox(source, checkBox);
    if (index < 0)
    {
        return 1;
    }
    const RCPtr<LTreeView> self(this);
    const double value = checkBox->GetValue();
    const RCPtr<LIndexedDataWithValueParam> param =
        LIndexedDataWithValueParam::Create(nullptr, index, value);
    StoreCheck(index, value >= ItemRecord::kSelectedThreshold);
    ApplyExpansion(index);
    const int row = GetItemRow(index);
    UpdateItemControlsFrom(row >= 0 ? row : 0);
    UpdateClientExtent();
    SelectItemRange(index, index, true);
    SendNotification(LNotification::Create(name, RCPtr<LRefCountedObject>(param)));
    return 1;
}

ORVRESULT LTreeView::OnTreeCheckBoxValueChange(const RCPtr<LNotificationDistributor>& source,
                                               const RCPtr<LNotification>&)
{
    return OnTreeCheckBoxChange(source, ItemCheckChangeName());
}

ORVRESULT LTreeView::OnTreeCheckBoxClick(const RCPtr<LNotificationDistributor>& source,
                                         const RCPtr<LNotification>&)
{
    return OnTreeCheckBoxChange(source, ItemCheckBoxClickedName());
}
} // namespace Orv
