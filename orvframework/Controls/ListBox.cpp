#include "Controls/ListBox.h"

#include "ControlBase/ControlFactory.h"
#include "ControlBase/ControlNotificationNames.h"
#include "Controls/NotificationChain.h"
#include "Utilities/Storage/WrapperStringable.h"

#include <algorithm>
#include <cmath>
#include <cwchar>
#include <cwctype>
#include <numeric>
#include <utility>

namespace Orv
{
namespace
{
// The name of the template child and the prefix of the skin's own rows.
const wchar_t* const kTemplateName = L"templateItem";
const wchar_t* const kRowPrefix = L"item";
const wchar_t* const kStringItemPrefix = L"ITEM.";

// The decimal number that makes up all of text from start; -1 when there is none or it is too
// large.
int ParseIndex(const WString& text, int start, int limit)
{
    const int length = static_cast<int>(text.GetLength());
    if (start >= length)
    {
        return -1;
    }
    long long value = 0;
    for (int i = start; i < length; ++i)
    {
        const wchar_t c = text.GetBuffer()[i];
        if (c < L'0' || c > L'9')
        {
            return -1;
        }
        value = value * 10 + (c - L'0');
        if (value >= limit)
        {
            return -1;
        }
    }
    return static_cast<int>(value);
}
} // namespace

LListBox::LListBox(const RCPtr<LControl>& parent, const RCPtr<LControlDescriptor>& descriptor)
    : LScrollView(parent, descriptor)
{
}

LListBox::LListBox(const RCPtr<LControl>& parent, const WString& name)
    : LScrollView(parent, name)
{
}

LListBox::~LListBox()
{
    mListHandler = nullptr;
}

ORVRESULT LListBox::ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                        const RCPtr<LNotification>& notification)
{
    return ReceiveThroughChain<LScrollView>(*this, mListHandler, source, notification);
}

ORVRESULT LListBox::Unregister(const RCPtr<LNotificationDistributor>& source, const wchar_t* name)
{
    return UnregisterThroughChain<LScrollView>(*this, mListHandler, source, name);
}

ORVRESULT LListBox::Initialize()
{
    const ORVRESULT result = LScrollView::Initialize();
    mListHandler = new LNotificationHandler<LListBox>(this);
    if (FAILED(result))
    {
        return result;
    }
    const RCPtr<LControl> self(this);
    SetAutoClientExtent(0, 0, 0);

    if (const RCPtr<LControl> item = FindChildControl(WString(kTemplateName)))
    {
        // The pattern of every row: measured, kept as a descriptor, never shown.
        mTemplateDescriptor = item->GetDescriptor();
        AdoptTemplateItem(item);
        item->Detach();
        mLineMode[kVertical] = 1;
        mLineSize[kVertical] = mItemHeight;
        UpdateScrollbars();
        if (const RCPtr<LStringTable> table = GetStringTable())
        {
            AddItemsFromStringTable(table);
        }
        EnsureItemControls();
        UpdateItemControlsFrom(0);
        UpdateClientExtent();
        return result;
    }

    // The skin's own rows, "item1", "item2", ... up to the first missing one; each row's text
    // is its item.
    for (int i = 1;; ++i)
    {
        const RCPtr<LControl> child = FindChildControl(WString::CreateFormatted(L"item%d", i));
        const RCPtr<LListBoxItem> row = DynamicCast<LListBoxItem>(child);
        if (!row)
        {
            break;
        }
        if (i == 1)
        {
            AdoptTemplateItem(child);
        }
        AdoptRow(row);
        const int index = GetItemCount();
        if (SUCCEEDED(InsertItemRecord(index)))
        {
            GetItemRecordAt(index)->data = CreateStringItemData(row->GetText());
        }
    }
    if (mRows.GetCount() > 0)
    {
        mLineMode[kVertical] = 1;
        mLineSize[kVertical] = mItemHeight;
        UpdateItemControlsFrom(0);
        if (mSizeToContent)
        {
            SetContentHeight(GetContentHeight());
        }
        UpdateClientExtent();
    }
    return result;
}

ORVRESULT LListBox::AddChildControl(const RCPtr<LControl>& child,
                                    const RCPtr<LControlDescriptor>& descriptor)
{
    if (!child)
    {
        if (!descriptor || !(descriptor->GetName() == kTemplateName))
        {
            return E_FAIL;
        }
        const RCPtr<LControl> self(this);
        mTemplateDescriptor = descriptor;
        RCPtr<LControl> item;
        if (const RCPtr<LControlFactory> factory = GetControlFactory())
        {
            factory->CreateControl(item, descriptor, self);
        }
        if (item)
        {
            AdoptTemplateItem(item);
            item->Detach();
        }
        return S_OK;
    }
    if (!descriptor)
    {
        return S_OK;
    }
    const ORVRESULT result = LScrollView::AddChildControl(child, descriptor);
    if (FAILED(result) || !dynamic_cast<LListBoxItem*>(child.Get()))
    {
        return result;
    }
    // A skin row "item<N>" (N from 1) takes the place of row N - 1 when the rows reach it.
    const WString& name = child->GetName();
    const int prefix = static_cast<int>(std::wcslen(kRowPrefix));
    if (name.GetLength() > static_cast<unsigned int>(prefix) &&
        std::wcsncmp(name.GetBuffer(), kRowPrefix, prefix) == 0)
    {
        const int number = ParseIndex(name, prefix, 1 << 30);
        const int position = GetChildIndex(child.Get(), kInsertionOrder);
        if (number >= 1 && number - 1 < GetRowCount() && position >= 0)
        {
            mRows.GetElementPointer(static_cast<unsigned int>(number - 1)) = position;
        }
    }
    return result;
}

ORVRESULT LListBox::ApplyDescriptor(const RCPtr<LControlDescriptor>& descriptor)
{
    const RCPtr<LControl> self(this);
    mApplyingDescriptor = true;
    const ORVRESULT result = LScrollView::ApplyDescriptor(descriptor);
    mApplyingDescriptor = false;
    mTemplateDescriptor = nullptr;
    EnsureItemControls();
    UpdateItemControlsFrom(0);
    if (IsCreated())
    {
        UpdateWidestItemWidth();
    }
    return result;
}

ORVRESULT LListBox::AdoptTemplateItem(const RCPtr<LControl>& item)
{
    if (!item)
    {
        return E_INVALIDARG;
    }
    const RCPtr<LControl> self(this);
    const bool expands = item->GetLayout() && item->GetLayout()->axes[LLayoutDescriptor::kAxisX]
                                                      .textOverflow ==
                                                  LLayoutDescriptor::kOverflowExpand;
    item->SetText(WString());
    mItemBaseWidth = static_cast<int>(std::round(item->GetRect().width));
    item->SetText(WString(L"{WXyg|}"));
    const int height = static_cast<int>(std::round(item->GetRect().height));
    mItemHeight = height < 1 ? kDefaultItemHeight : height;

    // A list whose rows grow with their texts starts no narrower than it is now.
    if (expands && GetLayout())
    {
        LayoutSpec minimum;
        LayoutSpec maximum;
        GetLayout()->GetAxisLimits(LLayoutDescriptor::kAxisX, minimum, maximum);
        if (minimum.abs == 0)
        {
            minimum.kind = LLayoutDescriptor::kLimitAbsolute;
            minimum.abs = GetRect().width;
            SetAxisSizeLimits(LLayoutDescriptor::kAxisX, minimum, maximum);
        }
    }
    if (mSizeToContent)
    {
        const int count = std::max(1, GetItemCount());
        SetContentHeight(mItemHeight * count);
    }
    mTemplateAdopted = true;
    return S_OK;
}

// --- Record store ---

int LListBox::GetItemCount() const
{
    return static_cast<int>(mRecords.size());
}

ItemRecord* LListBox::GetItemRecordAt(int index)
{
    if (index < 0 || index >= static_cast<int>(mRecords.size()))
    {
        return nullptr;
    }
    return &mRecords[static_cast<std::size_t>(index)];
}

ORVRESULT LListBox::InsertItemRecord(int index)
{
    if (index < 0 || index > static_cast<int>(mRecords.size()))
    {
        return E_INVALIDARG;
    }
    mRecords.insert(mRecords.begin() + index, ItemRecord());
    return S_OK;
}

ORVRESULT LListBox::RemoveItemRecord(int index)
{
    if (index < 0 || index >= static_cast<int>(mRecords.size()))
    {
        return E_INVALIDARG;
    }
    mRecords.erase(mRecords.begin() + index);
    return S_OK;
}

ORVRESULT LListBox::SwapItems(int first, int second)
{
    ItemRecord* a = GetItemRecordAt(first);
    ItemRecord* b = GetItemRecordAt(second);
    if (a == nullptr || b == nullptr)
    {
        return E_INVALIDARG;
    }
    std::swap(*a, *b);
    return S_OK;
}

const ItemRecord& LListBox::GetItemRecord(int index) const
{
    const ItemRecord* record = GetItemRecordAt(index);
    return record != nullptr ? *record : ItemRecord::Empty();
}

// --- Items ---

ConstRCPtr<LTaggableObject> LListBox::CreateStringItemData(const WString& text)
{
    return ConstRCPtr<LTaggableObject>(LWrapperStringable<WString>::Create(text).Get());
}

ORVRESULT LListBox::InsertItem(int index, const ConstRCPtr<LTaggableObject>& data)
{
    const ORVRESULT inserted = InsertItemRecord(index);
    if (FAILED(inserted))
    {
        return inserted;
    }
    const RCPtr<LControl> self(this);
    GetItemRecordAt(index)->data = data;
    // The anchor and the focus keep naming their items.
    if (mAnchor >= index)
    {
        ++mAnchor;
    }
    if (mFocus >= index)
    {
        ++mFocus;
    }
    EnsureItemControls();
    if (index >= mTopItem)
    {
        const int row = GetItemRow(index);
        if (row >= 0)
        {
            UpdateItemControlsFrom(row);
        }
    }
    else
    {
        UpdateItemControlsFrom(0);
    }
    UpdateClientExtent();
    if (!mBulkUpdate)
    {
        const int width = GetItemWidth(index);
        if (width > mWidestItemWidth)
        {
            SetWidestItemWidth(width);
        }
    }
    if (mSizeToContent)
    {
        SetContentHeight(GetContentHeight());
    }
    return index;
}

ORVRESULT LListBox::AddItem(const ConstRCPtr<LTaggableObject>& data)
{
    return InsertItem(GetItemCount(), data);
}

int LListBox::SetItem(int index, const ConstRCPtr<LTaggableObject>& data)
{
    ItemRecord* record = GetItemRecordAt(index);
    if (record == nullptr)
    {
        return 0;
    }
    const int before = mBulkUpdate ? 0 : GetItemWidth(index);
    record->data = data;
    UpdateItemControl(index, nullptr);
    if (!mBulkUpdate)
    {
        const int after = GetItemWidth(index);
        if (after > mWidestItemWidth)
        {
            SetWidestItemWidth(after);
        }
        else if (before == mWidestItemWidth && after < before)
        {
            UpdateWidestItemWidth();
        }
    }
    return 1;
}

int LListBox::SetItemFields(int index, const ConstRCPtr<LTaggableObject>& data, double value,
                            bool hasSubMenu, bool isSeparator)
{
    ItemRecord* record = GetItemRecordAt(index);
    if (record == nullptr)
    {
        return 0;
    }
    record->hasSubMenu = hasSubMenu;
    record->isSeparator = isSeparator;
    SetItemValue(index, value);
    return SetItem(index, data);
}

void LListBox::RefreshItem(int index)
{
    if (const ItemRecord* record = GetItemRecordAt(index))
    {
        SetItem(index, record->data);
    }
}

int LListBox::SetItemHasSubMenu(int index, bool hasSubMenu)
{
    ItemRecord* record = GetItemRecordAt(index);
    if (record == nullptr)
    {
        return 0;
    }
    record->hasSubMenu = hasSubMenu;
    UpdateItemControl(index, nullptr);
    return 1;
}

int LListBox::SetItemSeparator(int index, bool separator)
{
    ItemRecord* record = GetItemRecordAt(index);
    if (record == nullptr)
    {
        return 0;
    }
    record->isSeparator = separator;
    UpdateItemControl(index, nullptr);
    return 1;
}

ORVRESULT LListBox::SetItemHidden(int index, bool hidden)
{
    ItemRecord* record = GetItemRecordAt(index);
    if (record == nullptr)
    {
        return E_INVALIDARG;
    }
    if (record->isHidden == hidden)
    {
        return S_FALSE;
    }
    const RCPtr<LControl> self(this);
    record->isHidden = hidden;
    AdjustHiddenCount(!hidden, hidden);
    if (hidden)
    {
        DeselectItem(index);
    }
    if (hidden && index == mTopItem)
    {
        // A new top: the nearest item that still shows.
        mTopItem = GetItemCount();
        ScrollItemIntoView(index);
    }
    UpdateItemControlsFrom(0);
    UpdateClientExtent();
    if (mSizeToContent)
    {
        SetContentHeight(GetContentHeight());
    }
    return S_OK;
}

void LListBox::AdjustHiddenCount(bool wasHidden, bool isHidden)
{
    mHiddenCount += (isHidden ? 1 : 0) - (wasHidden ? 1 : 0);
}

ORVRESULT LListBox::RemoveItem(int index)
{
    const ItemRecord* record = GetItemRecordAt(index);
    if (record == nullptr)
    {
        return E_INVALIDARG;
    }
    const RCPtr<LControl> self(this);
    const int width = mBulkUpdate ? 0 : GetItemWidth(index);
    DeselectItem(index);
    record = GetItemRecordAt(index);
    const bool wasHidden = record != nullptr && record->isHidden;
    const ORVRESULT removed = RemoveItemRecord(index);
    if (FAILED(removed))
    {
        return removed;
    }
    AdjustHiddenCount(wasHidden, false);
    if (mAnchor > index && mFocus > index)
    {
        --mAnchor;
        --mFocus;
    }
    else if (!(mAnchor <= index && mFocus <= index) || mAnchor == index || mFocus == index)
    {
        mAnchor = -1;
        mFocus = -1;
    }
    const int count = GetItemCount();
    if (mTopItem >= count)
    {
        mTopItem = std::max(0, count - 1);
    }
    EnsureItemControls();
    UpdateItemControlsFrom(index >= mTopItem ? std::max(0, GetItemRow(index)) : 0);
    if (index >= mTopItem && GetItemRow(index) < 0)
    {
        // The item past the visible rows: nothing shown changed, unless the rows run past the
        // end now.
        UpdateItemControlsFrom(0);
    }
    UpdateClientExtent();
    if (!mBulkUpdate && width >= mWidestItemWidth)
    {
        UpdateWidestItemWidth();
    }
    if (mSizeToContent)
    {
        SetContentHeight(GetContentHeight());
    }
    if (count > 0)
    {
        ScrollItemIntoView(std::min(mTopItem, count - 1));
    }
    return count;
}

ORVRESULT LListBox::RemoveAllItems()
{
    if (GetItemCount() == 0)
    {
        return S_FALSE;
    }
    const RCPtr<LControl> self(this);
    ScrollItemIntoView(0);
    ClearSelection();
    ORVRESULT result = S_OK;
    for (int i = GetItemCount() - 1; i >= 0; --i)
    {
        const bool wasHidden = GetItemRecord(i).isHidden;
        if (FAILED(RemoveItemRecord(i)))
        {
            result = E_FAIL;
            break;
        }
        AdjustHiddenCount(wasHidden, false);
    }
    mTopItem = 0;
    EnsureItemControls();
    UpdateItemControlsFrom(0);
    UpdateClientExtent();
    UpdateWidestItemWidth();
    if (mSizeToContent)
    {
        SetContentHeight(GetContentHeight());
    }
    return result;
}

ORVRESULT LListBox::SetItemCount(int n)
{
    if (n < 0)
    {
        return E_INVALIDARG;
    }
    if (n == GetItemCount())
    {
        return n;
    }
    const RCPtr<LControl> self(this);
    mBulkUpdate = true;
    while (GetItemCount() > n)
    {
        if (FAILED(RemoveItem(GetItemCount() - 1)))
        {
            break;
        }
    }
    while (GetItemCount() < n)
    {
        if (FAILED(InsertItem(GetItemCount(), ConstRCPtr<LTaggableObject>())))
        {
            break;
        }
    }
    mBulkUpdate = false;
    UpdateClientExtent();
    UpdateWidestItemWidth();
    if (mSizeToContent)
    {
        SetContentHeight(GetContentHeight());
    }
    return GetItemCount() == n ? n : E_FAIL;
}

ORVRESULT LListBox::AddItemsFromStringTable(const RCPtr<LStringTable>& table)
{
    if (!table)
    {
        return E_INVALIDARG;
    }
    const WString prefix(kStringItemPrefix);
    const int prefixLength = static_cast<int>(prefix.GetLength());
    std::vector<std::pair<int, WString>> items;
    int count = 0;
    for (const auto& [key, text] : table->GetEntries())
    {
        if (key.GetLength() <= static_cast<unsigned int>(prefixLength) ||
            std::wcsncmp(key.GetBuffer(), kStringItemPrefix, prefixLength) != 0)
        {
            continue;
        }
        // A negative, malformed or huge number names no item.
        const int index = ParseIndex(key, prefixLength, kMaxStringTableItems);
        if (index < 0)
        {
            continue;
        }
        items.emplace_back(index, text);
        count = std::max(count, index + 1);
    }
    if (items.empty())
    {
        return S_FALSE;
    }
    const RCPtr<LControl> self(this);
    SetItemCount(count);
    mBulkUpdate = true;
    for (const auto& [index, text] : items)
    {
        SetItem(index, CreateStringItemData(text));
    }
    mBulkUpdate = false;
    UpdateClientExtent();
    UpdateWidestItemWidth();
    if (mSizeToContent)
    {
        SetContentHeight(GetContentHeight());
    }
    return S_OK;
}

ORVRESULT LListBox::SortAll()
{
    return SortItems(0, GetItemCount());
}

ORVRESULT LListBox::SortItems(int first, int n)
{
    if (first < 0 || n < 0)
    {
        return E_INVALIDARG;
    }
    if (n == 0)
    {
        return S_FALSE;
    }
    if (first > GetItemCount() - n)
    {
        return E_INVALIDARG;
    }
    const RCPtr<LControl> self(this);
    // Sorted as an order of positions; the records then move into it, and the anchor and the
    // focus follow the items they named.
    std::vector<int> order(static_cast<std::size_t>(n));
    std::iota(order.begin(), order.end(), first);
    std::vector<WString> texts;
    texts.reserve(order.size());
    for (const int index : order)
    {
        texts.push_back(GetItemRecord(index).GetText());
    }
    std::sort(order.begin(), order.end(),
              [&](int a, int b)
              {
                  const ItemRecord& ra = GetItemRecord(a);
                  const ItemRecord& rb = GetItemRecord(b);
                  if (ra.data.Get() == rb.data.Get())
                  {
                      return false;
                  }
                  return wcscasecmp(texts[static_cast<std::size_t>(a - first)].GetBuffer(),
                                    texts[static_cast<std::size_t>(b - first)].GetBuffer()) < 0;
              });
    // Position p receives the record that was at order[p]: each cycle of the permutation is
    // walked with swaps, so that lists with records of their own kind keep them whole.
    int newAnchor = mAnchor;
    int newFocus = mFocus;
    for (int p = 0; p < n; ++p)
    {
        const int original = order[static_cast<std::size_t>(p)];
        if (mAnchor == original)
        {
            newAnchor = p + first;
        }
        if (mFocus == original)
        {
            newFocus = p + first;
        }
    }
    std::vector<bool> done(static_cast<std::size_t>(n), false);
    for (int start = 0; start < n; ++start)
    {
        int current = start;
        while (!done[static_cast<std::size_t>(current)])
        {
            done[static_cast<std::size_t>(current)] = true;
            const int next = order[static_cast<std::size_t>(current)] - first;
            if (next == start)
            {
                break;
            }
            SwapItems(first + current, first + next);
            current = next;
        }
    }
    mAnchor = newAnchor;
    mFocus = newFocus;
    UpdateItemControlsFrom(0);
    if (mFocus >= 0)
    {
        ScrollItemIntoView(mFocus);
    }
    return S_OK;
}

namespace
{
bool TextsEqual(const ItemRecord& record, const WString& text, bool caseSensitive)
{
    const WString own = record.GetText();
    if (caseSensitive)
    {
        return own == text;
    }
    return wcscasecmp(own.GetBuffer(), text.GetBuffer()) == 0;
}
} // namespace

int LListBox::FindItemByText(const WString& text, bool caseSensitive) const
{
    for (int i = GetItemCount() - 1; i >= 0; --i)
    {
        if (TextsEqual(GetItemRecord(i), text, caseSensitive))
        {
            return i;
        }
    }
    return -1;
}

int LListBox::SelectNextItemWithText(int start, const WString& text, bool caseSensitive)
{
    const int count = GetItemCount();
    const int from = (start < -1 || start >= count) ? 0 : start + 1;
    for (int i = from; i < count; ++i)
    {
        if (TextsEqual(GetItemRecord(i), text, caseSensitive))
        {
            SelectItemRange(i, -1, true);
            return i;
        }
    }
    return -1;
}

void LListBox::OnSelectionChanging() {}

void LListBox::OnItemActivating(int) {}

bool LListBox::CanSelectItem(int) const
{
    return true;
}
} // namespace Orv
