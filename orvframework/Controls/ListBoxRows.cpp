#include "Controls/ListBox.h"

#include "ControlBase/ControlFactory.h"
#include "ControlBase/ControlNotificationNames.h"
#include "Renderer/ProcessMeasurementRenderer.h"

#include <algorithm>
#include <cmath>

namespace Orv
{
namespace
{
double RoundHalfAway(double value)
{
    return std::round(value);
}
} // namespace

// --- Walking the items that are not hidden ---

int LListBox::ItemAfterTop(int steps) const
{
    const int count = GetItemCount();
    if (mHiddenCount == 0)
    {
        return mTopItem + steps;
    }
    int index = mTopItem;
    for (int k = 0;; ++k, ++index)
    {
        while (index < count && GetItemRecord(index).isHidden)
        {
            ++index;
        }
        if (k == steps)
        {
            return index;
        }
    }
}

int LListBox::ItemOfVisiblePosition(int position) const
{
    const int count = GetItemCount();
    const int shown = count - mHiddenCount;
    if (shown <= 0)
    {
        return -1;
    }
    position = std::clamp(position, 0, shown - 1);
    if (mHiddenCount == 0)
    {
        return position;
    }
    for (int index = 0; index < count; ++index)
    {
        if (!GetItemRecord(index).isHidden && position-- == 0)
        {
            return index;
        }
    }
    return -1;
}

int LListBox::VisiblePositionOf(int index) const
{
    if (mHiddenCount == 0)
    {
        return index;
    }
    int position = 0;
    for (int i = 0; i < index && i < GetItemCount(); ++i)
    {
        if (!GetItemRecord(i).isHidden)
        {
            ++position;
        }
    }
    return position;
}

int LListBox::NearestShown(int index, int step) const
{
    for (int i = index; i >= 0 && i < GetItemCount(); i += step)
    {
        if (!GetItemRecord(i).isHidden)
        {
            return i;
        }
    }
    return -1;
}

// --- Rows ---

void LListBox::AdoptRow(const RCPtr<LListBoxItem>& row)
{
    if (!row)
    {
        return;
    }
    if (mListHandler)
    {
        const ControlNotificationNames& names = ControlNotificationNames::Get();
        const RCPtr<LNotificationDistributor> source(row.Get());
        mListHandler->SubscribeHandler(&LListBox::OnItemMouseDown, source, names.mouseDown);
        mListHandler->SubscribeHandler(&LListBox::OnItemMouseUp, source, names.mouseUp);
        mListHandler->SubscribeHandler(&LListBox::OnItemLeftDragConditionChange, source,
                                       names.leftDragChange);
        mListHandler->SubscribeHandler(&LListBox::OnItemHoverConditionChange, source,
                                       names.hoverChange);
    }
    row->SetForwardMouseDown(mSizeToContent);
    const int position = GetChildIndex(row.Get(), kInsertionOrder);
    mRows.InsertItem(mRows.GetCount(), position);
}

RCPtr<LListBoxItem> LListBox::GetItemControlAt(int row) const
{
    if (row < 0 || row >= GetRowCount())
    {
        return nullptr;
    }
    const int position = mRows.GetConstElementPointer(static_cast<unsigned int>(row));
    if (position < 0 || static_cast<unsigned int>(position) >= GetChildren().GetCount())
    {
        return nullptr;
    }
    return RCPtr<LListBoxItem>(dynamic_cast<LListBoxItem*>(
        GetChildren().GetAt(static_cast<unsigned int>(position), kInsertionOrder).Get()));
}

ORVRESULT LListBox::CreateItemControl()
{
    if (!mTemplateDescriptor || !mTemplateDescriptor->GetLayout())
    {
        return E_FAIL;
    }
    const RCPtr<LControlFactory> factory = GetControlFactory();
    if (!factory)
    {
        return E_FAIL;
    }
    const RCPtr<LControl> self(this);
    const int n = GetRowCount();
    RCPtr<LLayoutDescriptor> layout;
    mTemplateDescriptor->GetLayout()->Clone(layout);
    LLayoutDescriptor::Axis& y = layout->axes[LLayoutDescriptor::kAxisY];
    y.docked = true;
    y.anchor = 0;
    if (n == 0)
    {
        y.position = LayoutSpec{LLayoutDescriptor::kPositionClient, WString(), 0, 0};
    }
    else
    {
        const RCPtr<LListBoxItem> previous = GetItemControlAt(n - 1);
        if (!previous)
        {
            return E_FAIL;
        }
        y.position = LayoutSpec{LLayoutDescriptor::kPositionSibling, previous->GetName(), 1.0f, 0};
    }
    layout->axes[LLayoutDescriptor::kAxisX].textOverflow = LLayoutDescriptor::kOverflowClip;
    RCPtr<LControlDescriptor> descriptor;
    LControlFactory::MakeControlDescriptor(descriptor, mTemplateDescriptor, layout,
                                           WString::CreateFormatted(L"ItemControl%d", n + 1));
    RCPtr<LControl> control;
    factory->CreateControl(control, descriptor, self);
    const RCPtr<LListBoxItem> row = DynamicCast<LListBoxItem>(control);
    if (!row || row->GetParent().Get() != this)
    {
        return E_FAIL;
    }
    AdoptRow(row);
    return S_OK;
}

ORVRESULT LListBox::EnsureItemControls()
{
    if (mMakingRows || mApplyingDescriptor)
    {
        return S_OK;
    }
    if (!mTemplateAdopted || !mTemplateDescriptor)
    {
        return S_FALSE;
    }
    const RCPtr<LControl> self(this);
    mMakingRows = true;
    const double bottom = GetClientRect().height + GetContentOffset().y;
    double lastBottom = 0;
    if (const RCPtr<LListBoxItem> last = GetItemControlAt(GetRowCount() - 1))
    {
        lastBottom = last->GetRect().y + last->GetRect().height;
    }
    bool made = false;
    while (lastBottom < bottom)
    {
        if (FAILED(CreateItemControl()))
        {
            break;
        }
        made = true;
        const RCPtr<LListBoxItem> last = GetItemControlAt(GetRowCount() - 1);
        const double newBottom = last ? last->GetRect().y + last->GetRect().height : lastBottom;
        if (newBottom <= lastBottom)
        {
            // A row without height would never fill the list.
            break;
        }
        lastBottom = newBottom;
    }
    mMakingRows = false;
    if (made)
    {
        UpdateItemControlsFrom(0);
    }
    return S_OK;
}

ORVRESULT LListBox::UpdateItemControl(int index, int* rowOut)
{
    if (rowOut != nullptr)
    {
        *rowOut = -1;
    }
    const int count = GetItemCount();
    if (index < mTopItem || index < 0 || (index < count && GetItemRecord(index).isHidden))
    {
        return S_FALSE;
    }
    int row = 0;
    if (mHiddenCount == 0)
    {
        row = index - mTopItem;
    }
    else
    {
        for (int i = mTopItem; i < index; ++i)
        {
            if (i >= count || !GetItemRecord(i).isHidden)
            {
                ++row;
            }
            if (row >= GetRowCount())
            {
                return S_FALSE;
            }
        }
    }
    const RCPtr<LListBoxItem> control = GetItemControlAt(row);
    if (!control)
    {
        return S_FALSE;
    }
    if (rowOut != nullptr)
    {
        *rowOut = row;
    }
    const ItemRecord& record = GetItemRecord(index);
    const RCPtr<LControl> self(this);
    control->SetText(record.isSeparator ? WString() : record.GetText());
    control->SetValue(record.value);
    control->SetHasSubMenu(record.hasSubMenu);
    control->SetEnabled(index < count);
    control->SetSeparator(record.isSeparator);
    return S_OK;
}

ORVRESULT LListBox::UpdateItemControlsFrom(int row)
{
    const int rows = GetRowCount();
    if (rows == 0 || row < 0 || row >= rows)
    {
        return S_FALSE;
    }
    const int count = GetItemCount();
    int index = ItemAfterTop(row);
    for (int r = row; r < rows; ++r)
    {
        UpdateItemControl(index, nullptr);
        ++index;
        while (index < count && GetItemRecord(index).isHidden)
        {
            ++index;
        }
    }
    return S_OK;
}

int LListBox::GetItemIndexOfControl(const LControl* control) const
{
    if (control == nullptr)
    {
        return -1;
    }
    for (int r = GetRowCount() - 1; r >= 0; --r)
    {
        if (GetItemControlAt(r).Get() == control)
        {
            return ItemAfterTop(r);
        }
    }
    return -1;
}

int LListBox::GetItemRow(int index) const
{
    if (index < mTopItem || index < 0 || IsItemHidden(index))
    {
        return -1;
    }
    int row = 0;
    if (mHiddenCount == 0)
    {
        row = index - mTopItem;
    }
    else
    {
        for (int i = mTopItem; i < index && row < GetRowCount(); ++i)
        {
            if (!IsItemHidden(i))
            {
                ++row;
            }
        }
    }
    return row < GetRowCount() ? row : -1;
}

RectT<double> LListBox::GetItemRect(int index) const
{
    const RCPtr<LListBoxItem> control = GetItemControlAt(GetItemRow(index));
    return control ? control->GetRect() : RectT<double>();
}

int LListBox::GetItemAtPoint(const PointT<LONG>& point) const
{
    const RectT<double>& client = GetClientRect();
    if (point.x < client.x || point.x >= client.x + client.width || point.y < client.y ||
        point.y >= client.y + client.height)
    {
        return -1;
    }
    // Rows sit in the client area's coordinates moved by the offset.
    const double x = point.x - client.x + GetContentOffset().x;
    const double y = point.y - client.y + GetContentOffset().y;
    (void)x;
    for (int r = 0; r < GetRowCount(); ++r)
    {
        const RCPtr<LListBoxItem> control = GetItemControlAt(r);
        if (!control)
        {
            continue;
        }
        const RectT<double> rect = control->GetRect();
        if (y >= rect.y && y < rect.y + rect.height)
        {
            const int index = ItemAfterTop(r);
            return index < GetItemCount() ? index : -1;
        }
    }
    return -1;
}

int LListBox::GetVisibleRowCount() const
{
    const double bottom = GetVisibleClientRect().height + GetContentOffset().y;
    int visible = 0;
    for (int r = 0; r < GetRowCount(); ++r)
    {
        const RCPtr<LListBoxItem> control = GetItemControlAt(r);
        if (control && control->GetRect().y + control->GetRect().height <= bottom)
        {
            ++visible;
        }
    }
    return visible;
}

void LListBox::SetSizeToContent(bool sizeToContent)
{
    mSizeToContent = sizeToContent;
    for (int r = 0; r < GetRowCount(); ++r)
    {
        if (const RCPtr<LListBoxItem> control = GetItemControlAt(r))
        {
            control->SetForwardMouseDown(sizeToContent);
        }
    }
}

int LListBox::GetContentHeight() const
{
    return mItemHeight * (GetItemCount() - mHiddenCount);
}

int LListBox::GetItemWidth(int index) const
{
    const RCPtr<LListBoxItem> first = GetItemControlAt(0);
    if (!first || !IsValidIndex(index))
    {
        return 0;
    }
    const WString text = GetItemRecord(index).GetText();
    double width = 0;
    if (!text.IsEmpty())
    {
        ConstRCPtr<LRenderer> renderer;
        GetMeasurementRenderer(renderer);
        if (renderer)
        {
            width =
                const_cast<LRenderer*>(renderer.Get())->MeasureString(text, first->GetFont()).width;
        }
    }
    return static_cast<int>(mItemBaseWidth + width + 0.5);
}

// --- Extent and size ---

bool LListBox::TemplateExpands() const
{
    const RCPtr<LLayoutDescriptor> layout =
        mTemplateDescriptor ? mTemplateDescriptor->GetLayout() : nullptr;
    return layout && layout->axes[LLayoutDescriptor::kAxisX].textOverflow ==
                         LLayoutDescriptor::kOverflowExpand;
}

bool LListBox::TemplateSizesByControl() const
{
    const RCPtr<LLayoutDescriptor> layout =
        mTemplateDescriptor ? mTemplateDescriptor->GetLayout() : nullptr;
    if (!layout)
    {
        return false;
    }
    const LayoutSpec& size = layout->axes[LLayoutDescriptor::kAxisX].size;
    return size.kind != LLayoutDescriptor::kSizeParent &&
           size.kind != LLayoutDescriptor::kSizeClient &&
           size.kind != LLayoutDescriptor::kSizeAbsolute && !size.reference.IsEmpty();
}

double LListBox::VerticalDecoration() const
{
    const RectT<double>& client = GetClientRect();
    return std::trunc(GetRect().height - (client.y + client.height));
}

ORVRESULT LListBox::UpdateClientExtent()
{
    if (mBulkUpdate)
    {
        return S_FALSE;
    }
    const RCPtr<LControl> self(this);
    const bool byControl = TemplateSizesByControl();
    const int width = byControl ? mWidestItemWidth : 0;
    SetClientExtent(width, GetContentHeight());
    if (byControl)
    {
        for (int r = 0; r < GetRowCount(); ++r)
        {
            const RCPtr<LListBoxItem> control = GetItemControlAt(r);
            if (!control || !control->GetLayout())
            {
                continue;
            }
            AxisPlacement placement;
            control->GetLayout()->GetAxisPlacement(LLayoutDescriptor::kAxisX, placement);
            placement.size = LayoutSpec{LLayoutDescriptor::kSizeAbsolute, WString(), 0,
                                        static_cast<double>(width)};
            control->SetAxisPlacement(LLayoutDescriptor::kAxisX, placement);
        }
    }
    return S_OK;
}

ORVRESULT LListBox::SetContentExtent(int axis, int extent)
{
    if (mBulkUpdate || !GetLayout())
    {
        return S_FALSE;
    }
    const RCPtr<LControl> self(this);
    const double decoration = axis == LLayoutDescriptor::kAxisY
                                  ? GetRect().height - GetClientRect().height
                                  : GetRect().width - GetClientRect().width;
    AxisPlacement placement;
    GetLayout()->GetAxisPlacement(axis, placement);
    placement.size = LayoutSpec{LLayoutDescriptor::kSizeAbsolute, WString(), 0,
                                RoundHalfAway(extent + decoration)};
    return SetAxisPlacement(axis, placement);
}

ORVRESULT LListBox::SetContentHeight(int height)
{
    return SetContentExtent(LLayoutDescriptor::kAxisY, height);
}

ORVRESULT LListBox::SetContentWidth(int width)
{
    return SetContentExtent(LLayoutDescriptor::kAxisX, width);
}

ORVRESULT LListBox::SetWidestItemWidth(int width)
{
    if (mBulkUpdate || width == mWidestItemWidth)
    {
        return S_FALSE;
    }
    mWidestItemWidth = width;
    UpdateClientExtent();
    if (TemplateExpands())
    {
        SetContentWidth(width);
    }
    return S_OK;
}

ORVRESULT LListBox::UpdateWidestItemWidth()
{
    int widest = 0;
    for (int i = 0; i < GetItemCount(); ++i)
    {
        widest = std::max(widest, GetItemWidth(i));
    }
    return SetWidestItemWidth(widest);
}

ORVRESULT LListBox::SnapHeightToRows()
{
    const RCPtr<LLayoutDescriptor>& layout = GetLayout();
    if (!layout || mItemHeight <= 0)
    {
        return E_FAIL;
    }
    const RCPtr<LControl> self(this);
    const RectT<double>& client = GetClientRect();
    const double d = std::trunc(GetRect().height - (client.y + client.height));
    const double h = mItemHeight;
    auto limit = [&](double value) { return std::max(std::trunc((value - d) / h) * h + d, h + d); };
    LayoutSpec minimum;
    LayoutSpec maximum;
    layout->GetAxisLimits(LLayoutDescriptor::kAxisY, minimum, maximum);
    if (minimum.kind == LLayoutDescriptor::kLimitAbsolute)
    {
        minimum.abs = limit(minimum.abs);
    }
    if (maximum.kind == LLayoutDescriptor::kLimitAbsolute && maximum.abs > d)
    {
        maximum.abs = limit(maximum.abs);
    }
    AxisPlacement placement;
    layout->GetAxisPlacement(LLayoutDescriptor::kAxisY, placement);
    if (placement.size.kind == LLayoutDescriptor::kSizeAbsolute && placement.size.abs > 0)
    {
        placement.size.abs = std::max(std::trunc(placement.size.abs / h) * h + d, h + d);
    }
    SetAxisSizeLimits(LLayoutDescriptor::kAxisY, minimum, maximum);
    SetAxisPlacement(LLayoutDescriptor::kAxisY, placement);
    return S_OK;
}

// --- Scrolling ---

ORVRESULT LListBox::ScrollItemIntoView(int index)
{
    if (!IsValidIndex(index))
    {
        return E_INVALIDARG;
    }
    if (IsItemHidden(index))
    {
        int shown = NearestShown(index, -1);
        if (shown < 0)
        {
            shown = NearestShown(index, 1);
        }
        if (shown < 0)
        {
            return S_FALSE;
        }
        index = shown;
    }
    if (GetRowCount() == 0)
    {
        return S_FALSE;
    }
    const RCPtr<LControl> self(this);
    const int page = std::max(1, GetVisibleRowCount());
    // The top that shows a full last page, and the item of the last whole row now.
    int lastTop = NearestShown(GetItemCount() - 1, -1);
    for (int k = 0; k < page - 1 && lastTop > 0; ++k)
    {
        const int previous = NearestShown(lastTop - 1, -1);
        if (previous < 0)
        {
            break;
        }
        lastTop = previous;
    }
    const int lastShown = ItemAfterTop(page - 1);
    if (mTopItem <= index && index <= lastShown && mTopItem <= lastTop)
    {
        return S_OK;
    }
    int top = index;
    if (index > lastTop)
    {
        top = lastTop;
    }
    else if (index >= mTopItem)
    {
        for (int k = 0; k < page - 1; ++k)
        {
            const int previous = NearestShown(top - 1, -1);
            if (previous < 0)
            {
                break;
            }
            top = previous;
        }
    }
    const PointT<double> offset(GetContentOffset().x,
                                static_cast<double>(VisiblePositionOf(top)) * mItemHeight);
    if (NotifyScrollOffsetChange(offset) == S_FALSE && top != mTopItem)
    {
        // The offset already stands there (the top was moved by other means): show it anew.
        mTopItem = top;
        UpdateItemControlsFrom(0);
    }
    return S_OK;
}

void LListBox::SetScrollOffset(const PointT<double>& oldOffset, const PointT<double>& newOffset)
{
    const RCPtr<LControl> self(this);
    if (newOffset.y != oldOffset.y || GetItemCount() == 0)
    {
        int top = 0;
        if (GetItemCount() > 0 && mItemHeight > 0)
        {
            const int position = static_cast<int>(std::round(newOffset.y / mItemHeight));
            top = std::max(0, ItemOfVisiblePosition(position));
        }
        if (top != mTopItem)
        {
            mTopItem = top;
            UpdateItemControlsFrom(0);
        }
    }
    LScrollView::SetScrollOffset(oldOffset, newOffset);
}

void LListBox::KeepTopInView()
{
    if (!IsValidIndex(mTopItem) || mItemHeight <= 0)
    {
        return;
    }
    const double y = static_cast<double>(VisiblePositionOf(mTopItem)) * mItemHeight;
    if (GetContentOffset().y != y)
    {
        const int top = mTopItem;
        NotifyScrollOffsetChange(PointT<double>(GetContentOffset().x, y));
        mTopItem = top;
    }
}

void LListBox::CheckClientExtent()
{
    LScrollView::CheckClientExtent();
    EnsureItemControls();
    if (IsValidIndex(mTopItem))
    {
        ScrollItemIntoView(mTopItem);
    }
}

void LListBox::InvalidateScrolledArea(const LControl* sender, const RectT<double>& rect)
{
    LScrollView::InvalidateScrolledArea(sender, rect);
    EnsureItemControls();
}

void LListBox::OnChildRemoved(const RCPtr<LControl>& child, int position)
{
    for (int r = GetRowCount() - 1; r >= 0; --r)
    {
        int& stored = mRows.GetElementPointer(static_cast<unsigned int>(r));
        if (stored == position)
        {
            int removed = 0;
            mRows.RemoveItem(static_cast<unsigned int>(r), removed);
        }
        else if (stored > position)
        {
            --stored;
        }
    }
    LScrollView::OnChildRemoved(child, position);
}

void LListBox::OnScrollbarVisibilityChange(int axis)
{
    LScrollView::OnScrollbarVisibilityChange(axis);
    if (axis == kVertical && TemplateExpands())
    {
        SetContentWidth(mWidestItemWidth);
    }
}

// --- Rows in step with another list ---

RCPtr<LListBoxItem> LListBox::MirroredRow(const RCPtr<LControl>& control) const
{
    const LListBox* other =
        control ? dynamic_cast<const LListBox*>(control->GetParent().Get()) : nullptr;
    if (other == nullptr)
    {
        return nullptr;
    }
    return GetItemControlAt(GetItemRow(other->GetItemIndexOfControl(control.Get())));
}

void LListBox::MirrorItemCondition(const RCPtr<LControl>& control, DWORD condition)
{
    if (const RCPtr<LListBoxItem> row = MirroredRow(control))
    {
        row->SetForcedHover((condition & (kHover | kHoverOrForced)) != 0);
    }
}

void LListBox::MirrorItemAction(const RCPtr<LControl>& control)
{
    if (const RCPtr<LListBoxItem> row = MirroredRow(control))
    {
        row->SetActiveLook(control->GetActiveLookIndex());
    }
}
} // namespace Orv
