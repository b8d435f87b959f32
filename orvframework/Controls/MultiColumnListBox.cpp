#include "Controls/MultiColumnListBox.h"

#include "ControlBase/ControlNotificationNames.h"
#include "Controls/Button.h"
#include "Controls/ItemConditionsParam.h"
#include "Controls/ListBox.h"
#include "Controls/ListBoxNotificationNames.h"
#include "Controls/NotificationChain.h"
#include "notification/AutoNotificationDisabler.h"
#include "notification/Notification.h"
#include "notification/NotificationName.h"

#include <algorithm>
#include <cwctype>
#include <memory>
#include <string>

namespace Orv
{
namespace
{
using Disabler = CAutoNotificationDisabler<LMultiColumnListBox>;

const wchar_t* ClientExtentChangeName()
{
    static const wchar_t* const name = InternNotificationName(L"NID_CLIENT_EXTENT_CHANGE");
    return name;
}

WString NumberedName(const wchar_t* stem, int number)
{
    const std::wstring text = std::wstring(stem) + std::to_wstring(number);
    return WString(text.c_str());
}

// Docks the control on the vertical axis, keeping the rest of its placement.
void DockVertically(const RCPtr<LControl>& control)
{
    if (!control->GetLayout())
    {
        return;
    }
    AxisPlacement placement;
    control->GetLayout()->GetAxisPlacement(LLayoutDescriptor::kAxisY, placement);
    placement.docked = true;
    control->SetAxisPlacement(LLayoutDescriptor::kAxisY, placement);
}

// Case-insensitive order of two texts: negative, 0 or positive.
int CompareNoCase(const WString& a, const WString& b)
{
    const wchar_t* x = a.GetBuffer();
    const wchar_t* y = b.GetBuffer();
    if (x == y)
    {
        return 0;
    }
    for (;; ++x, ++y)
    {
        const wint_t cx = std::towlower(static_cast<wint_t>(*x));
        const wint_t cy = std::towlower(static_cast<wint_t>(*y));
        if (cx != cy)
        {
            return cx < cy ? -1 : 1;
        }
        if (cx == 0)
        {
            return 0;
        }
    }
}
} // namespace

LMultiColumnListBox::LMultiColumnListBox(const RCPtr<LControl>& parent,
                                         const RCPtr<LControlDescriptor>& descriptor)
    : LPanel(parent, descriptor)
{
}

LMultiColumnListBox::~LMultiColumnListBox() = default;

ORVRESULT LMultiColumnListBox::ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                                   const RCPtr<LNotification>& notification)
{
    return ReceiveThroughChain<LPanel>(*this, mHandler, source, notification);
}

ORVRESULT LMultiColumnListBox::Unregister(const RCPtr<LNotificationDistributor>& source,
                                          const wchar_t* name)
{
    return UnregisterThroughChain<LPanel>(*this, mHandler, source, name);
}

RCPtr<LListBox> LMultiColumnListBox::GetColumn(int index) const
{
    return index >= 0 && index < GetColumnCount() ? mColumns[static_cast<std::size_t>(index)]
                                                  : RCPtr<LListBox>();
}

bool LMultiColumnListBox::IsNextSortAscending(int column) const
{
    return column >= 0 && column < GetColumnCount() &&
           mSortAscending[static_cast<std::size_t>(column)];
}

ORVRESULT LMultiColumnListBox::Initialize()
{
    ORVRESULT result = LPanel::Initialize();
    mHandler = new LNotificationHandler<LMultiColumnListBox>(this);
    const ListBoxNotificationNames& names = ListBoxNotificationNames::Get();
    for (int i = 1;; ++i)
    {
        const RCPtr<LListBox> column =
            DynamicCast<LListBox>(FindChildControl(NumberedName(L"listboxNoScroll", i)));
        if (!column)
        {
            break;
        }
        mColumns.push_back(column);
        const RCPtr<LNotificationDistributor> source(column.Get());
        mHandler->SubscribeHandler(&LMultiColumnListBox::OnColumnItemHover, source,
                                   names.itemHoverConditionChange);
        mHandler->SubscribeHandler(&LMultiColumnListBox::OnColumnSelectionChange, source,
                                   names.selectionChange);
        mHandler->SubscribeHandler(&LMultiColumnListBox::OnColumnItemActivated, source,
                                   names.itemActivated);
        mHandler->SubscribeHandler(&LMultiColumnListBox::OnColumnItemDoubleClicked, source,
                                   names.itemDoubleClicked);
        mHandler->SubscribeHandler(&LMultiColumnListBox::OnColumnItemRightClick, source,
                                   names.itemRightClick);
        if (i == 1)
        {
            mHandler->SubscribeHandler(&LMultiColumnListBox::OnFirstColumnScrollOffsetChange,
                                       source, ControlNotificationNames::Get().scrollOffsetChange);
            mHandler->SubscribeHandler(&LMultiColumnListBox::OnFirstColumnClientExtentChange,
                                       source, ClientExtentChangeName());
        }
        DockVertically(RCPtr<LControl>(column.Get()));
    }
    for (int i = 1;; ++i)
    {
        const RCPtr<LButton> header =
            DynamicCast<LButton>(FindChildControl(NumberedName(L"buttonColumnHeader", i)));
        if (!header)
        {
            break;
        }
        mHeaders.push_back(header);
        mHandler->SubscribeHandler(&LMultiColumnListBox::OnHeaderClick,
                                   RCPtr<LNotificationDistributor>(header.Get()),
                                   ControlNotificationNames::Get().leftClick);
        DockVertically(RCPtr<LControl>(header.Get()));
    }
    if (!mHeaders.empty())
    {
        result = mHeaders.size() == mColumns.size() ? S_OK : E_FAIL;
    }
    mSortAscending.assign(mColumns.size(), true);
    SetAutoClientExtent(0, 0, 0);
    mLineMode[kVertical] = 1;
    return result;
}

void LMultiColumnListBox::OnCreated()
{
    LPanel::OnCreated();
    if (mColumns.empty())
    {
        // An empty table has no rows to measure.
        return;
    }
    for (std::size_t i = 1; i < mColumns.size(); ++i)
    {
        mColumns[i]->SetNotFocusable(true);
    }
    mLineSize[kVertical] = mColumns.front()->GetItemHeight();
    UpdateScrollbars();
    ApplyColumnSizeLimits();
    UpdateExtent();
}

void LMultiColumnListBox::UpdateExtent()
{
    if (mColumns.empty())
    {
        return;
    }
    const RectT<double> last = mColumns.back()->GetRect();
    SetClientExtent(last.x + last.width, mColumns.front()->GetExtent().y);
}

void LMultiColumnListBox::ApplyColumnSizeLimits()
{
    for (auto column = mColumns.rbegin(); column != mColumns.rend(); ++column)
    {
        const RCPtr<LControlDescriptor>& descriptor = (*column)->GetDescriptor();
        const RCPtr<LLayoutDescriptor>& layout = (*column)->GetLayout();
        if (!descriptor || !descriptor->GetLayout() || !layout)
        {
            continue;
        }
        LayoutSpec skinMinimum;
        LayoutSpec skinMaximum;
        LayoutSpec minimum;
        LayoutSpec maximum;
        descriptor->GetLayout()->GetAxisLimits(LLayoutDescriptor::kAxisX, skinMinimum, skinMaximum);
        layout->GetAxisLimits(LLayoutDescriptor::kAxisX, minimum, maximum);
        if (skinMaximum.abs == 0)
        {
            maximum.rel = 0;
            maximum.abs = 0;
            (*column)->SetAxisSizeLimits(LLayoutDescriptor::kAxisX, minimum, maximum);
        }
        descriptor->GetLayout()->GetAxisLimits(LLayoutDescriptor::kAxisY, skinMinimum, skinMaximum);
        layout->GetAxisLimits(LLayoutDescriptor::kAxisY, minimum, maximum);
        if (skinMinimum.abs == 0 || skinMaximum.abs == 0)
        {
            if (skinMinimum.abs == 0)
            {
                minimum.rel = 0;
                minimum.abs = (*column)->GetItemHeight();
            }
            if (skinMaximum.abs == 0)
            {
                maximum.rel = 0;
                maximum.abs = 0;
            }
            (*column)->SetAxisSizeLimits(LLayoutDescriptor::kAxisY, minimum, maximum);
        }
    }
}

RectT<double> LMultiColumnListBox::GetVisibleClientRect() const
{
    if (mColumns.empty())
    {
        return RectT<double>(0, 0, 0, 0);
    }
    const RectT<double> first = mColumns.front()->GetRect();
    const double width = GetClientRect().width - GetScrollbarSizes().width;
    return RectT<double>(first.x, first.y, width, mColumns.front()->GetClientRect().height);
}

void LMultiColumnListBox::SetScrollOffset(const PointT<double>& oldOffset,
                                          const PointT<double>& newOffset)
{
    const RCPtr<LControl> self(this);
    if (!mColumns.empty())
    {
        // The first column's report of the offset handed to it is this table's own doing.
        Disabler quiet(mHandler, RCPtr<LNotificationDistributor>(mColumns.front().Get()),
                       ControlNotificationNames::Get().scrollOffsetChange);
        for (const RCPtr<LListBox>& column : mColumns)
        {
            column->NotifyScrollOffsetChange(
                PointT<double>(column->GetContentOffset().x, newOffset.y));
        }
    }
    LPanel::SetScrollOffset(oldOffset, newOffset);
}

void LMultiColumnListBox::InvalidateScrolledArea(const LControl* sender, const RectT<double>&)
{
    if (sender != nullptr && !mColumns.empty() && sender == mColumns.back().Get())
    {
        UpdateExtent();
    }
}

int LMultiColumnListBox::ColumnIndexOf(const LNotificationDistributor* source) const
{
    for (int k = GetColumnCount() - 1; k >= 0; --k)
    {
        if (static_cast<const LNotificationDistributor*>(
                mColumns[static_cast<std::size_t>(k)].Get()) == source)
        {
            return k;
        }
    }
    return -1;
}

WString LMultiColumnListBox::GetCellText(unsigned column, unsigned row) const
{
    if (column >= mColumns.size() || mColumns.empty() ||
        row >= static_cast<unsigned>(mColumns.front()->GetItemCount()))
    {
        return WString();
    }
    return mColumns[column]->GetItemRecord(static_cast<int>(row)).GetText();
}

ORVRESULT LMultiColumnListBox::PerformSort(int column)
{
    if (column < 0 || column >= GetColumnCount())
    {
        return E_INVALIDARG;
    }
    const RCPtr<LControl> self(this);
    const int rows = mColumns.front()->GetItemCount();
    struct Entry
    {
        int oldRow;
        WString key;
    };
    std::vector<Entry> entries;
    std::vector<bool> subMenus;
    entries.reserve(static_cast<std::size_t>(rows));
    for (int r = 0; r < rows; ++r)
    {
        entries.push_back(
            {r, GetCellText(static_cast<unsigned>(column), static_cast<unsigned>(r))});
        subMenus.push_back(mColumns.front()->GetItemHasSubMenu(r));
    }
    const RCPtr<LListBox>& sorted = mColumns[static_cast<std::size_t>(column)];
    const Array<int>& selectedIndexes = sorted->CollectSelectedIndices();
    std::vector<int> selected;
    for (unsigned int i = 0; i < selectedIndexes.GetCount(); ++i)
    {
        selected.push_back(selectedIndexes.GetConstElementPointer(i));
    }

    // The table's selection handlers stay off while the rows move; each comes back when this
    // scope ends, also when the sort is left by an exception.
    std::vector<std::unique_ptr<Disabler>> quiet;
    for (auto each = mColumns.rbegin(); each != mColumns.rend(); ++each)
    {
        quiet.push_back(
            std::make_unique<Disabler>(mHandler, RCPtr<LNotificationDistributor>(each->Get()),
                                       ListBoxNotificationNames::Get().selectionChange));
    }
    for (auto each = mColumns.rbegin(); each != mColumns.rend(); ++each)
    {
        (*each)->ClearSelection();
    }
    const bool ascending = mSortAscending[static_cast<std::size_t>(column)];
    std::stable_sort(entries.begin(), entries.end(),
                     [ascending](const Entry& a, const Entry& b)
                     {
                         const int order = CompareNoCase(a.key, b.key);
                         return ascending ? order < 0 : order > 0;
                     });
    mSortAscending[static_cast<std::size_t>(column)] = !ascending;

    for (auto each = mColumns.rbegin(); each != mColumns.rend(); ++each)
    {
        std::vector<ConstRCPtr<LTaggableObject>> data;
        for (int r = 0; r < rows; ++r)
        {
            const ItemRecord& record = (*each)->GetItemRecord(r);
            data.push_back(record.data);
        }
        for (int r = rows - 1; r >= 0; --r)
        {
            (*each)->SetItem(
                r, data[static_cast<std::size_t>(entries[static_cast<std::size_t>(r)].oldRow)]);
        }
    }
    for (int r = rows - 1; r >= 0; --r)
    {
        const int oldRow = entries[static_cast<std::size_t>(r)].oldRow;
        for (auto each = mColumns.rbegin(); each != mColumns.rend(); ++each)
        {
            (*each)->SetItemHasSubMenu(r, subMenus[static_cast<std::size_t>(oldRow)]);
        }
        if (std::find(selected.begin(), selected.end(), oldRow) != selected.end())
        {
            for (auto each = mColumns.rbegin(); each != mColumns.rend(); ++each)
            {
                if ((*each)->SelectItemRange(r, -1, false) < 0)
                {
                    break;
                }
            }
        }
    }
    return S_OK;
}

ORVRESULT LMultiColumnListBox::OnHeaderClick(const RCPtr<LNotificationDistributor>& source,
                                             const RCPtr<LNotification>&)
{
    const int last = static_cast<int>(std::min(mColumns.size(), mHeaders.size())) - 1;
    for (int i = last; i >= 0; --i)
    {
        if (static_cast<LNotificationDistributor*>(mHeaders[static_cast<std::size_t>(i)].Get()) ==
            source.Get())
        {
            PerformSort(i);
            break;
        }
    }
    return 1;
}

ORVRESULT
LMultiColumnListBox::OnColumnSelectionChange(const RCPtr<LNotificationDistributor>& source,
                                             const RCPtr<LNotification>&)
{
    const RCPtr<LControl> self(this);
    const RCPtr<LListBox> list = DynamicCast<LListBox>(source);
    if (!list)
    {
        return 1;
    }
    const int k = ColumnIndexOf(source.Get());
    if (k >= 0)
    {
        const RCPtr<LListBox>& from = mColumns[static_cast<std::size_t>(k)];
        const bool multi = mColumns.front()->IsMultipleSelection();
        for (int r = mColumns.front()->GetItemCount() - 1; r >= 0; --r)
        {
            for (int j = GetColumnCount() - 1; j >= 0; --j)
            {
                const RCPtr<LListBox>& other = mColumns[static_cast<std::size_t>(j)];
                if (j == k || (other->GetItemValue(r) >= 0.5) == (from->GetItemValue(r) >= 0.5))
                {
                    continue;
                }
                Disabler quiet(mHandler, RCPtr<LNotificationDistributor>(other.Get()),
                               ListBoxNotificationNames::Get().selectionChange);
                if (!from->IsItemSelected(r))
                {
                    other->DeselectItem(r);
                }
                else
                {
                    other->SelectItemRange(r, -1, !multi);
                }
            }
        }
    }
    SendNotification(
        LNotification::Create(ListBoxNotificationNames::Get().selectionChange, nullptr));
    return 1;
}

ORVRESULT LMultiColumnListBox::OnColumnItemHover(const RCPtr<LNotificationDistributor>& source,
                                                 const RCPtr<LNotification>& notification)
{
    const RCPtr<LItemConditionsParam> param =
        DynamicCast<LItemConditionsParam>(notification ? notification->param : nullptr);
    const int k = ColumnIndexOf(source.Get());
    if (!param || k < 0)
    {
        return 1;
    }
    const RCPtr<LListBox>& from = mColumns[static_cast<std::size_t>(k)];
    const RCPtr<LControl> row(from->GetItemControlAt(from->GetItemRow(param->itemIndex)).Get());
    if (!row)
    {
        return 1;
    }
    const bool was = (param->oldConditions & kHoverOrForced) != 0;
    const bool is = (param->newConditions & kHoverOrForced) != 0;
    for (int j = GetColumnCount() - 1; j >= 0; --j)
    {
        if (j == k)
        {
            continue;
        }
        const RCPtr<LListBox>& other = mColumns[static_cast<std::size_t>(j)];
        if (is && !was)
        {
            if (param->hovered)
            {
                other->MirrorItemCondition(row, kHover);
            }
        }
        else if (!is && was)
        {
            other->MirrorItemCondition(row, 0);
        }
        else
        {
            other->MirrorItemAction(row);
        }
    }
    return 1;
}

ORVRESULT LMultiColumnListBox::OnColumnItemActivated(const RCPtr<LNotificationDistributor>&,
                                                     const RCPtr<LNotification>&)
{
    SendNotification(LNotification::Create(ListBoxNotificationNames::Get().itemActivated, nullptr));
    return 1;
}

ORVRESULT LMultiColumnListBox::OnColumnItemDoubleClicked(const RCPtr<LNotificationDistributor>&,
                                                         const RCPtr<LNotification>&)
{
    SendNotification(
        LNotification::Create(ListBoxNotificationNames::Get().itemDoubleClicked, nullptr));
    return 1;
}

ORVRESULT LMultiColumnListBox::OnColumnItemRightClick(const RCPtr<LNotificationDistributor>&,
                                                      const RCPtr<LNotification>&)
{
    SendNotification(
        LNotification::Create(ListBoxNotificationNames::Get().itemRightClick, nullptr));
    return 1;
}

ORVRESULT
LMultiColumnListBox::OnFirstColumnScrollOffsetChange(const RCPtr<LNotificationDistributor>&,
                                                     const RCPtr<LNotification>&)
{
    if (!mColumns.empty())
    {
        NotifyScrollOffsetChange(mColumns.front()->GetContentOffset());
    }
    return 1;
}

ORVRESULT
LMultiColumnListBox::OnFirstColumnClientExtentChange(const RCPtr<LNotificationDistributor>&,
                                                     const RCPtr<LNotification>&)
{
    if (!mColumns.empty())
    {
        mLineSize[kVertical] = mColumns.front()->GetItemHeight();
        UpdateScrollbars();
        UpdateExtent();
    }
    return 1;
}
} // namespace Orv
