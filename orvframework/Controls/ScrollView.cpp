#include "Controls/ScrollView.h"

#include "ControlBase/ControlNotificationNames.h"
#include "Controls/NotificationChain.h"
#include "notification/AutoNotificationDisabler.h"
#include "notification/MouseWheelParam.h"
#include "notification/Notification.h"
#include "notification/NotificationName.h"

#include <algorithm>
#include <cmath>

namespace Orv
{
namespace
{
// Extents closer than this are the same.
constexpr double kExtentTolerance = 2.220446049250313e-15;
// 2^52: the largest magnitude a coordinate takes, and the limit of an axis without extent.
constexpr double kUnlimited = 4503599627370496.0;
// Modifier bits of a wheel step.
constexpr DWORD kWheelShift = 0x8;
constexpr DWORD kWheelAlt = 0x40;

const wchar_t* ClientExtentChangeName()
{
    static const wchar_t* const name = InternNotificationName(L"NID_CLIENT_EXTENT_CHANGE");
    return name;
}

double Clamp(double value)
{
    return std::max(-kUnlimited, std::min(kUnlimited, value));
}

double Along(const PointT<double>& point, int axis)
{
    return axis == LScrollView::kHorizontal ? point.x : point.y;
}

double SizeAlong(const RectT<double>& rect, int axis)
{
    return axis == LScrollView::kHorizontal ? rect.width : rect.height;
}

void SetAlong(PointT<double>& point, int axis, double value)
{
    (axis == LScrollView::kHorizontal ? point.x : point.y) = value;
}

bool DockedOn(const LControl& control, int axis)
{
    const RCPtr<LLayoutDescriptor>& layout = control.GetLayout();
    return layout && layout->axes[axis].docked;
}

// Sets a flag for the life of the guard and clears it again, also when a step throws.
class FlagGuard
{
public:
    explicit FlagGuard(bool& flag)
        : mFlag(flag)
    {
        mFlag = true;
    }
    ~FlagGuard() { mFlag = false; }
    FlagGuard(const FlagGuard&) = delete;
    FlagGuard& operator=(const FlagGuard&) = delete;

private:
    bool& mFlag;
};
} // namespace

LScrollView::LScrollView(const RCPtr<LControl>& parent, const RCPtr<LControlDescriptor>& descriptor)
    : LControl(parent, descriptor)
{
}

LScrollView::LScrollView(const RCPtr<LControl>& parent, const WString& name)
    : LControl(parent, name)
{
}

LScrollView::~LScrollView()
{
    mScrollViewHandler = nullptr;
    mCorner = nullptr;
    mVBar = nullptr;
    mHBar = nullptr;
}

ORVRESULT LScrollView::ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                           const RCPtr<LNotification>& notification)
{
    return ReceiveThroughChain<LControl>(*this, mScrollViewHandler, source, notification);
}

ORVRESULT LScrollView::Unregister(const RCPtr<LNotificationDistributor>& source,
                                  const wchar_t* name)
{
    return UnregisterThroughChain<LControl>(*this, mScrollViewHandler, source, name);
}

ORVRESULT LScrollView::Initialize()
{
    const ORVRESULT result = LControl::Initialize();
    if (FAILED(result))
    {
        return result;
    }
    mScrollViewHandler = new LNotificationHandler<LScrollView>(this);
    mCorner = FindChildControl(WString(L"corner"));
    mHBar = RCPtr<LScrollbar>(FindChildControl(WString(L"hBar")));
    mVBar = RCPtr<LScrollbar>(FindChildControl(WString(L"vBar")));
    ConnectScrollbars();
    // A view that can be scrolled keeps its content's pixels, so that a scroll moves them and
    // draws only the strip it exposes.
    if (mHBar || mVBar)
    {
        SetScrollingEnabled(true);
    }
    return S_OK;
}

ORVRESULT LScrollView::ReadCreateParams()
{
    const ORVRESULT result = LControl::ReadCreateParams();
    const RCPtr<LControlDescriptor>& descriptor = GetDescriptor();
    if (descriptor && descriptor->GetCreateParams())
    {
        mAutoExtent = (descriptor->GetCreateParamFlag(L"AUTO_CLIENT_EXTENT_X") ? kAutoExtentX : 0) |
                      (descriptor->GetCreateParamFlag(L"AUTO_CLIENT_EXTENT_Y") ? kAutoExtentY : 0);
        mExtentMargin[kHorizontal] = 0;
        mExtentMargin[kVertical] = 0;
        UpdateAutoClientExtent();
    }
    return result;
}

ORVRESULT LScrollView::ApplyDescriptor(const RCPtr<LControlDescriptor>& descriptor)
{
    if (!IsCreated())
    {
        return LControl::ApplyDescriptor(descriptor);
    }
    // The new skin moves the children: the extent follows them once, at the end.
    const unsigned mask = mAutoExtent;
    mAutoExtent = 0;
    const ORVRESULT result = LControl::ApplyDescriptor(descriptor);
    ConnectScrollbars();
    mAutoExtent = mask;
    UpdateAutoClientExtent();
    LayoutScrollbars();
    CheckClientExtent();
    return result;
}

void LScrollView::ConnectScrollbars()
{
    mBarThickness = PointT<double>();
    if (mCorner && mCorner->GetDescriptor() && mCorner->GetDescriptor()->GetLayout())
    {
        const LLayoutDescriptor& layout = *mCorner->GetDescriptor()->GetLayout();
        mBarThickness.x = std::fabs(layout.axes[LLayoutDescriptor::kAxisX].size.abs);
        mBarThickness.y = std::fabs(layout.axes[LLayoutDescriptor::kAxisY].size.abs);
    }
    const wchar_t* valueChange = ControlNotificationNames::Get().valueChange;
    auto subscribe = [&](const RCPtr<LScrollbar>& bar, bool& subscribed)
    {
        if (!bar || subscribed || IsCreated() || !mScrollViewHandler)
        {
            return;
        }
        ORV_REQUIRE_SUCCESS(mScrollViewHandler->SubscribeHandler(
            &LScrollView::OnScrollbarValueChange, RCPtr<LNotificationDistributor>(bar.Get()),
            valueChange));
        subscribed = true;
    };
    subscribe(mHBar, mHBarSubscribed);
    subscribe(mVBar, mVBarSubscribed);
    if (mBarThickness.y == 0 && mHBar)
    {
        mBarThickness.y = mHBar->GetRect().height;
    }
    if (mBarThickness.x == 0 && mVBar)
    {
        mBarThickness.x = mVBar->GetRect().width;
    }
    LayoutScrollbars();
}

int LScrollView::SetClientExtent(double x, double y)
{
    if (std::fabs(mClientExtent.x - x) < kExtentTolerance &&
        std::fabs(mClientExtent.y - y) < kExtentTolerance)
    {
        return 1;
    }
    const RCPtr<LControl> self(this);
    mClientExtent = PointT<double>(x, y);
    OnClientExtentChange();
    SendNotification(LNotification::Create(ClientExtentChangeName(), nullptr));
    return 0;
}

int LScrollView::SetAutoClientExtent(unsigned mask, int marginX, int marginY)
{
    mAutoExtent = mask;
    mExtentMargin[kHorizontal] = marginX;
    mExtentMargin[kVertical] = marginY;
    UpdateAutoClientExtent();
    return 0;
}

PointT<double> LScrollView::GetContentChildrenExtent() const
{
    PointT<double> extent;
    const ChildControlList& children = GetChildren();
    for (unsigned int i = children.GetCount(); i-- > 0;)
    {
        const LControl& child = *children.children.GetConstElementPointer(i);
        const RectT<LONG> r = child.GetRect().ToInt();
        if (!DockedOn(child, kHorizontal))
        {
            extent.x = std::max(extent.x, static_cast<double>(r.x) + r.width);
        }
        if (!DockedOn(child, kVertical))
        {
            extent.y = std::max(extent.y, static_cast<double>(r.y) + r.height);
        }
    }
    return extent;
}

int LScrollView::UpdateAutoClientExtent()
{
    const unsigned mask = mAutoExtent & (kAutoExtentX | kAutoExtentY);
    if (mask == 0)
    {
        return 1;
    }
    const PointT<double> children = GetContentChildrenExtent();
    const double x = Clamp(children.x + mExtentMargin[kHorizontal]);
    const double y = Clamp(children.y + mExtentMargin[kVertical]);
    switch (mask)
    {
        case kAutoExtentX:
            return SetClientExtent(x, mClientExtent.y);
        case kAutoExtentY:
            return SetClientExtent(mClientExtent.x, y);
        default:
            return SetClientExtent(x, y);
    }
}

RectT<double> LScrollView::LookClientRectOrBounds() const
{
    const int index = GetActiveLookIndex();
    const RCPtr<LLook>& look = index >= 0 ? GetLook(static_cast<unsigned int>(index)) : nullptr;
    if (!look)
    {
        const RectT<double> own = GetRect();
        return RectT<double>(0, 0, Clamp(own.width), Clamp(own.height));
    }
    const RectT<LONG>& c = look->GetClientRect();
    return RectT<double>(Clamp(c.x), Clamp(c.y), Clamp(c.width), Clamp(c.height));
}

bool LScrollView::IsScrollbarShown(int axis) const
{
    const RCPtr<LScrollbar>& bar = BarOf(axis);
    if (!bar || !bar->GetLayout() || !bar->GetLayout()->visible)
    {
        return false;
    }
    const RectT<double> r = bar->GetRect();
    return r.width > 0 && r.height > 0;
}

SizeT<double> LScrollView::GetScrollbarSizes() const
{
    if (mCorner)
    {
        return SizeT<double>(mCorner->GetRect().width, mCorner->GetRect().height);
    }
    return SizeT<double>(mVBar ? mVBar->GetRect().width : 0, mHBar ? mHBar->GetRect().height : 0);
}

RectT<double> LScrollView::GetVisibleClientRect() const
{
    RectT<double> r = LookClientRectOrBounds();
    const SizeT<double> bars = GetScrollbarSizes();
    if (IsScrollbarShown(kVertical))
    {
        r.width -= bars.width;
    }
    if (IsScrollbarShown(kHorizontal))
    {
        r.height -= bars.height;
    }
    r.width = std::max(0.0, r.width);
    r.height = std::max(0.0, r.height);
    return r;
}

RectT<double> LScrollView::GetScrollLimits() const
{
    const RectT<double> visible = GetVisibleClientRect();
    auto limit = [](double extent, double size)
    { return extent > 0 ? std::max(0.0, extent - size) : kUnlimited; };
    return RectT<double>(0, 0, limit(mClientExtent.x, visible.width),
                         limit(mClientExtent.y, visible.height));
}

RectT<double> LScrollView::GetClientExtent() const
{
    const RectT<double> r = LookClientRectOrBounds();
    RectT<double> bounds;
    GetChildrenBounds(bounds);
    const PointT<double> offset = GetContentOffset();
    return RectT<double>(std::max(0.0, offset.x), std::max(0.0, offset.y),
                         std::max(1.0, std::min(r.width, bounds.x + bounds.width)),
                         std::max(1.0, std::min(r.height, bounds.y + bounds.height)));
}

int LScrollView::LayoutScrollbars()
{
    if (mInLayout)
    {
        return 1;
    }
    const RCPtr<LControl> self(this);
    FlagGuard guard(mInLayout);

    const double barWidth = mCorner ? mCorner->GetRect().width : mVBar ? mVBar->GetRect().width : 0;
    const double barHeight = mCorner ? mCorner->GetRect().height
                             : mHBar ? mHBar->GetRect().height
                                     : 0;
    const bool wasV = barWidth > 0;
    const bool wasH = barHeight > 0;
    const RectT<double> before = GetVisibleClientRect();

    // The size the content has with no bar.
    RectT<double> full = before;
    if (wasV)
    {
        full.width += mBarThickness.x;
    }
    if (wasH)
    {
        full.height += mBarThickness.y;
    }

    UpdateAutoClientExtent();

    bool needV = mClientExtent.y > full.height;
    const bool needH = mClientExtent.x > full.width - (needV ? mBarThickness.x : 0);
    if (needH && !needV)
    {
        needV = mClientExtent.y > full.height - mBarThickness.y;
    }
    ShowScrollbar(kVertical, needV);
    ShowScrollbar(kHorizontal, needH);
    UpdateScrollbars();

    if (IsScrollbarShown(kVertical) != wasV)
    {
        OnScrollbarVisibilityChange(kVertical);
    }
    if (IsScrollbarShown(kHorizontal) != wasH)
    {
        OnScrollbarVisibilityChange(kHorizontal);
    }
    const RectT<double> after = GetVisibleClientRect();
    if (after.x != before.x || after.y != before.y || after.width != before.width ||
        after.height != before.height)
    {
        OnVisibleRectChange();
    }
    UpdateAutoClientExtent();
    return 0;
}

void LScrollView::ShowScrollbar(int axis, bool show)
{
    const RCPtr<LScrollbar>& bar = BarOf(axis);
    if (!bar || IsScrollbarShown(axis) == show)
    {
        return;
    }
    const RCPtr<LControl> target = mCorner ? mCorner : RCPtr<LControl>(bar.Get());
    if (!target->GetLayout())
    {
        return;
    }
    // The vertical bar's thin side is its width, the horizontal bar's its height.
    const int thin = axis == kVertical ? LLayoutDescriptor::kAxisX : LLayoutDescriptor::kAxisY;
    const double thickness = axis == kVertical ? mBarThickness.x : mBarThickness.y;
    AxisPlacement placement;
    target->GetLayout()->GetAxisPlacement(thin, placement);
    placement.size.kind = LLayoutDescriptor::kSizeAbsolute;
    placement.size.abs = show ? std::round(thickness) : 0;
    target->SetAxisPlacement(thin, placement);
}

void LScrollView::UpdateScrollbars()
{
    const RCPtr<LControl> self(this);
    UpdateScrollbar(kHorizontal);
    UpdateScrollbar(kVertical);
}

void LScrollView::UpdateScrollbar(int axis)
{
    const RCPtr<LScrollbar> bar = BarOf(axis);
    if (!bar || !bar->GetParent())
    {
        return;
    }
    const double visible = SizeAlong(GetVisibleClientRect(), axis);
    const double extent = Along(mClientExtent, axis);

    if (InLineMode(axis))
    {
        const double line = mLineSize[axis];
        const double lines = std::trunc(extent / line);
        const double visibleLines = std::trunc(visible / line);
        double smallStep = 1.0;
        double pageFraction = 1.0;
        if (visibleLines < lines)
        {
            smallStep = 1.0 / (lines - visibleLines);
            pageFraction = visibleLines / lines;
        }
        bar->SetPageFraction(pageFraction);
        bar->SetLineStep(smallStep);
        bar->SetPageStep(std::min(1.0, visibleLines * smallStep));
        bar->RecalcThumb();
        const double current = bar->NormalizedToValue(bar->GetValue());
        const double maxLine = std::max(0.0, lines - visibleLines);
        bar->SetValueRange(0, maxLine, kLinearScale);
        bar->SetValue(bar->ValueToNormalized(std::min(current, maxLine)));
        return;
    }

    float pageFraction = 1.0f;
    float ratio = 1.0f;
    if (visible < extent)
    {
        pageFraction = static_cast<float>(visible / extent);
        ratio = std::clamp(static_cast<float>(visible / (extent - visible)), 0.0f, 1.0f);
    }
    // An extent smaller than the view (0 included) leaves nothing to scroll: the range is empty,
    // never inverted.
    const double maximum = std::max(0.0, extent - visible);
    bar->SetValueRange(0, maximum, kLinearScale);
    bar->SetPageFraction(pageFraction);
    bar->RecalcThumb();
    bar->SetPageStep(ratio);
    bar->SetLineStep(ratio / 10.0f);
    double offset = std::round(maximum * bar->GetValue());
    if (offset < 0)
    {
        offset = 0;
    }
    PointT<double> current = GetContentOffset();
    if (offset != Along(current, axis))
    {
        SetAlong(current, axis, offset);
        NotifyScrollOffsetChange(current);
    }
}

void LScrollView::OnClientExtentChange()
{
    LayoutScrollbars();
    if (IsScrollingEnabled())
    {
        UpdateScrollExtent();
    }
}

void LScrollView::OnVisibleRectChange() {}

void LScrollView::OnScrollbarVisibilityChange(int) {}

void LScrollView::CalcClientRect()
{
    mInClientRect = true;
    LControl::CalcClientRect();
}

void LScrollView::CheckClientExtent()
{
    LControl::CheckClientExtent();
    mInClientRect = false;
    UpdateAutoClientExtent();
    LayoutScrollbars();
}

void LScrollView::SetScrollOffset(const PointT<double>& oldOffset, const PointT<double>& newOffset)
{
    const RCPtr<LControl> self(this);
    const RectT<double> visible = GetVisibleClientRect();
    const wchar_t* valueChange = ControlNotificationNames::Get().valueChange;
    auto follow = [&](int axis)
    {
        const RCPtr<LScrollbar> bar = BarOf(axis);
        if (!bar)
        {
            return;
        }
        const double maximum = std::max(0.0, Along(mClientExtent, axis) - SizeAlong(visible, axis));
        const double value = maximum > 0 ? Along(newOffset, axis) / maximum : 0.0;
        const RCPtr<LNotificationDistributor> source(bar.Get());
        LNotificationHandler<LScrollView>::Handler handler = nullptr;
        DWORD flags = 0;
        if (mScrollViewHandler &&
            SUCCEEDED(mScrollViewHandler->GetHandlerInfo(source, valueChange, handler, flags)))
        {
            // The bar's notification of this change is the view's own doing.
            CAutoNotificationDisabler<LScrollView> quiet(mScrollViewHandler, source, valueChange);
            bar->SetValue(value);
        }
        else
        {
            bar->SetValue(value);
        }
    };
    follow(kHorizontal);
    follow(kVertical);
    LControl::SetScrollOffset(oldOffset, newOffset);
}

ORVRESULT LScrollView::NotifyScrollOffsetChange(const PointT<double>& offset)
{
    const RCPtr<LControl> self(this);
    FlagGuard guard(mInScroll);
    return LControl::NotifyScrollOffsetChange(offset);
}

ORVRESULT LScrollView::OnScrollbarValueChange(const RCPtr<LNotificationDistributor>& source,
                                              const RCPtr<LNotification>&)
{
    int axis = -1;
    if (mHBar && source.Get() == static_cast<LNotificationDistributor*>(mHBar.Get()))
    {
        axis = kHorizontal;
    }
    else if (mVBar && source.Get() == static_cast<LNotificationDistributor*>(mVBar.Get()))
    {
        axis = kVertical;
    }
    if (axis < 0)
    {
        return 1;
    }
    const RCPtr<LScrollbar> bar = BarOf(axis);
    const double value = bar->NormalizedToValue(bar->GetValue());
    const double along = InLineMode(axis) ? std::trunc(value) * mLineSize[axis] : std::round(value);
    PointT<double> offset = GetContentOffset();
    SetAlong(offset, axis, along);
    NotifyScrollOffsetChange(offset);
    return 1;
}

ORVRESULT LScrollView::OnWheel(const RCPtr<LMouseWheelParam>& param)
{
    const bool v = IsScrollbarShown(kVertical);
    const bool h = IsScrollbarShown(kHorizontal);
    if (!param || (!v && !h))
    {
        return S_FALSE;
    }
    int axis = v ? kVertical : kHorizontal;
    if (v && h && (param->modifiers & kWheelAlt) != 0)
    {
        axis = kHorizontal;
    }
    const RCPtr<LScrollbar> bar = BarOf(axis);
    const double step =
        (param->modifiers & kWheelShift) != 0 ? bar->GetPageStep() : bar->GetLineStep();
    bar->SetValue(bar->GetValue() + (param->amount == kWheelDown ? step : -step));
    return S_OK;
}

ORVRESULT LScrollView::OnHWheel(const RCPtr<LMouseWheelParam>& param)
{
    const bool v = IsScrollbarShown(kVertical);
    const bool h = IsScrollbarShown(kHorizontal);
    if (!param || (!v && !h))
    {
        return S_FALSE;
    }
    const RCPtr<LScrollbar> bar = h ? mHBar : mVBar;
    const double step =
        (param->modifiers & kWheelShift) != 0 ? bar->GetPageStep() : bar->GetLineStep();
    bar->SetValue(bar->GetValue() + (param->amount == kWheelLeft ? step : -step));
    return S_OK;
}

void LScrollView::InvalidateScrolledArea(const LControl* sender, const RectT<double>& rect)
{
    if (!mInLayout && !mInScroll && !mInClientRect)
    {
        const RCPtr<LControl> self(this);
        const bool dockedBoth =
            sender != nullptr && DockedOn(*sender, kHorizontal) && DockedOn(*sender, kVertical);
        if (dockedBoth)
        {
            LayoutScrollbars();
        }
        else
        {
            UpdateAutoClientExtent();
        }
    }
    LControl::InvalidateScrolledArea(sender, rect);
}

SizeT<double> LScrollView::GetAbsoluteMaximumSize() const
{
    SizeT<double> maximum = LControl::GetAbsoluteMaximumSize();
    const RCPtr<LLayoutDescriptor>& layout = GetLayout();
    if (!layout)
    {
        return maximum;
    }
    const bool fixedX =
        layout->axes[LLayoutDescriptor::kAxisX].maximum.kind == LLayoutDescriptor::kLimitAbsolute;
    const bool fixedY =
        layout->axes[LLayoutDescriptor::kAxisY].maximum.kind == LLayoutDescriptor::kLimitAbsolute;
    if (!fixedX || !fixedY)
    {
        const PointT<double> children = GetContentChildrenExtent();
        if (!fixedX)
        {
            maximum.width = children.x;
        }
        if (!fixedY)
        {
            maximum.height = children.y;
        }
    }
    return maximum;
}

void LScrollView::OnChildRemoved(const RCPtr<LControl>& child, int position)
{
    LControl::OnChildRemoved(child, position);
    if (GetTreeRootWindow())
    {
        UpdateAutoClientExtent();
    }
}
} // namespace Orv
