#include "Controls/Scrollbar.h"

#include "ControlBase/ControlNotificationNames.h"
#include "notification/SiblingKeyParam.h"
#include "platform/User32.h"

#include <cmath>

namespace Orv
{
namespace
{
const wchar_t* const kAutoRepeat = L"NID_BUTTON_AUTOREPEAT";
// The seconds clock adds up millisecond steps; a countdown within this of 0 has run out.
constexpr double kClockTolerance = 1e-6;

// Half away from zero.
double RoundHalfAway(double value)
{
    return std::round(value);
}

double Along(const PointT<double>& point, bool vertical)
{
    return vertical ? point.y : point.x;
}

double Along(const RectT<double>& rect, bool vertical)
{
    return vertical ? rect.y : rect.x;
}

double LengthAlong(const RectT<double>& rect, bool vertical)
{
    return vertical ? rect.height : rect.width;
}

bool IsKey(const KeyCode& key, int virtualKey)
{
    return key.code == KeyCode::FromVirtualKey(virtualKey, true, 0).code;
}
} // namespace

LScrollbar::LScrollbar(const RCPtr<LControl>& parent, const RCPtr<LControlDescriptor>& descriptor)
    : LControl(parent, descriptor)
{
    LControl::SetValueRange(0.0, 100.0, kLinearScale);
}

LScrollbar::LScrollbar(const RCPtr<LControl>& parent, const WString& name)
    : LControl(parent, name)
{
    LControl::SetValueRange(0.0, 100.0, kLinearScale);
}

LScrollbar::~LScrollbar() = default;

ORVRESULT LScrollbar::ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                          const RCPtr<LNotification>& notification)
{
    if (mScrollbarHandler && IsCreated())
    {
        const ORVRESULT result = mScrollbarHandler->Dispatch(source, notification);
        if (result != S_OK)
        {
            return result;
        }
    }
    return LControl::ReceiveNotification(source, notification);
}

ORVRESULT LScrollbar::Unregister(const RCPtr<LNotificationDistributor>& source, const wchar_t* name)
{
    if (mScrollbarHandler)
    {
        mScrollbarHandler->RemoveHandler(source, name);
    }
    return LControl::Unregister(source, name);
}

ORVRESULT LScrollbar::Initialize()
{
    if (FAILED(LControl::Initialize()))
    {
        return E_FAIL;
    }
    mScrollbarHandler = new LNotificationHandler<LScrollbar>(this);
    const ControlNotificationNames& names = ControlNotificationNames::Get();

    mChannel = FindChildControl(WString(L"channel"));
    if (mChannel)
    {
        const RCPtr<LNotificationDistributor> channel(mChannel.Get());
        mScrollbarHandler->SubscribeHandler(&LScrollbar::OnChannelButton, channel,
                                            names.leftDragChange);
        mScrollbarHandler->SubscribeHandler(&LScrollbar::OnChannelHover, channel,
                                            names.hoverChange);
        mThumb = dynamic_cast<LButton*>(mChannel->FindChildControl(WString(L"thumb")).Get());
        if (mThumb)
        {
            const RCPtr<LNotificationDistributor> thumb(mThumb.Get());
            mScrollbarHandler->SubscribeHandler(&LScrollbar::OnThumbMove, thumb, names.mouseMove);
            mScrollbarHandler->SubscribeHandler(&LScrollbar::OnThumbDrag, thumb,
                                                names.leftDragChange);
            mThumb->SetKeepPressedLook(true);
        }
    }
    mDec = dynamic_cast<LButton*>(FindChildControl(WString(L"dec")).Get());
    mInc = dynamic_cast<LButton*>(FindChildControl(WString(L"inc")).Get());
    for (const RCPtr<LButton>& arrow : {mDec, mInc})
    {
        if (arrow)
        {
            mScrollbarHandler->SubscribeHandler(&LScrollbar::OnArrowRepeat,
                                                RCPtr<LNotificationDistributor>(arrow.Get()),
                                                kAutoRepeat);
            arrow->SetAutoRepeat(true);
            arrow->SetRepeating(false);
        }
    }
    if (mDec && mInc)
    {
        const RectT<double> dec = mDec->GetRect();
        const RectT<double> inc = mInc->GetRect();
        mVertical = (inc.x - dec.x) <= (inc.y - dec.y);
    }
    CheckClientExtent();
    SetKeyMask(kAllKeys);
    return S_OK;
}

void LScrollbar::OnCreated()
{
    LControl::OnCreated();
    SetNotFocusable(true);
    for (LControl* part : {static_cast<LControl*>(mDec.Get()), static_cast<LControl*>(mInc.Get()),
                           mChannel.Get(), static_cast<LControl*>(mThumb.Get())})
    {
        if (part != nullptr)
        {
            part->SetNotFocusable(true);
        }
    }
    if (mThumb)
    {
        const RectT<double> thumb = mThumb->GetRect();
        mMinimumThumbLength = mVertical ? thumb.width : thumb.height;
    }
    CheckClientExtent();
}

void LScrollbar::CheckClientExtent()
{
    LControl::CheckClientExtent();
    if (!mThumb || !mChannel)
    {
        return;
    }
    const RectT<double> client = mChannel->GetClientRect();
    mTrackOrigin = Along(mChannel->GetRect(), mVertical) + Along(client, mVertical);
    mTrackStart = 0;
    mTrackEnd = LengthAlong(client, mVertical);
    RecalcThumb();
}

void LScrollbar::RecalcThumb()
{
    if (!mThumb || !mChannel)
    {
        return;
    }
    double length = (mTrackEnd - mTrackStart) * mPageFraction;
    if (length < mMinimumThumbLength)
    {
        length = mMinimumThumbLength;
    }
    mThumbLength = static_cast<double>(static_cast<long long>(length + 0.5));
    const RCPtr<LLayoutDescriptor>& layout = mThumb->GetLayout();
    if (layout)
    {
        const int axis = mVertical ? LLayoutDescriptor::kAxisY : LLayoutDescriptor::kAxisX;
        const LLayoutDescriptor::Axis& current = layout->axes[axis];
        AxisPlacement placement;
        placement.anchor = current.anchor;
        placement.position = current.position;
        placement.docked = current.docked;
        placement.size = LayoutSpec{LLayoutDescriptor::kSizeAbsolute, WString(), 0, mThumbLength};
        mThumb->SetAxisPlacement(axis, placement);
    }
    PlaceThumb();
}

void LScrollbar::SetPageFraction(double fraction)
{
    if (std::isnan(fraction))
    {
        return;
    }
    mPageFraction = fraction;
    RecalcThumb();
}

double LScrollbar::SetValue(double value)
{
    if (mDragging)
    {
        mPendingValue = value;
        return GetValue();
    }
    return StoreValue(value);
}

double LScrollbar::StoreValue(double value)
{
    const RCPtr<LScrollbar> self(this);
    const double clamped = value < 0.0 ? 0.0 : (value > 1.0 ? 1.0 : value);
    const double stored = LControl::SetValue(clamped);
    PlaceThumb();
    return stored;
}

ORVRESULT LScrollbar::SetValueRange(double minimum, double maximum, int scale)
{
    const double position = NormalizedToValue(GetValue());
    const ORVRESULT result = LControl::SetValueRange(minimum, maximum, scale);
    SetValue(ValueToNormalized(position));
    PlaceThumb();
    return result;
}

double LScrollbar::NormalizedToValue(double normalized) const
{
    const double minimum = GetMinimum();
    const double maximum = GetMaximum();
    if (GetScale() == kLogarithmicScale)
    {
        return minimum * std::pow(maximum / minimum, normalized);
    }
    return minimum + (maximum - minimum) * normalized;
}

double LScrollbar::ValueToNormalized(double value) const
{
    const double minimum = GetMinimum();
    const double maximum = GetMaximum();
    double normalized = 0.0;
    if (GetScale() == kLogarithmicScale)
    {
        const double span = std::log(maximum / minimum);
        normalized = span != 0.0 && value > 0.0 ? std::log(value / minimum) / span : 0.0;
    }
    else
    {
        const double span = maximum - minimum;
        normalized = span != 0.0 ? (value - minimum) / span : 0.0;
    }
    if (std::isnan(normalized))
    {
        return 0.0;
    }
    return normalized < 0.0 ? 0.0 : (normalized > 1.0 ? 1.0 : normalized);
}

ORVRESULT LScrollbar::SetKeyMask(unsigned mask)
{
    const unsigned before = mKeyMask;
    mKeyMask = mask & 0xffu;
    if (before == 0 && mKeyMask != 0 && !mSiblingKeysSubscribed && mScrollbarHandler)
    {
        mSiblingKeysSubscribed = true;
        const wchar_t* siblingKey = ControlNotificationNames::Get().siblingKey;
        if (const RCPtr<LControl>& parent = GetParent())
        {
            mScrollbarHandler->SubscribeHandler(&LScrollbar::OnSiblingKeyNotification,
                                                RCPtr<LNotificationDistributor>(parent.Get()),
                                                siblingKey);
        }
        mScrollbarHandler->AddHandler(&LScrollbar::OnSiblingKeyNotification, siblingKey);
    }
    return (mask & ~0xffu) != 0 ? E_INVALIDARG : S_OK;
}

double LScrollbar::Now() const
{
    const RCPtr<IRootWindow>& window = GetTreeRootWindow();
    return window ? window->GetElapsedSeconds() : 0;
}

double LScrollbar::ThumbPosition() const
{
    return mThumb ? Along(mThumb->GetRect(), mVertical) : 0;
}

void LScrollbar::MoveThumbTo(double position)
{
    const RCPtr<LLayoutDescriptor>& layout = mThumb ? mThumb->GetLayout() : nullptr;
    if (!layout)
    {
        return;
    }
    const int axis = mVertical ? LLayoutDescriptor::kAxisY : LLayoutDescriptor::kAxisX;
    AxisPlacement placement;
    placement.anchor = 0;
    placement.position = LayoutSpec{LLayoutDescriptor::kPositionClient, WString(), 0, position};
    placement.docked = false;
    placement.size = layout->axes[axis].size;
    mThumb->SetAxisPlacement(axis, placement);
}

void LScrollbar::PlaceThumb()
{
    if (!mThumb || !mChannel || mDragging)
    {
        return;
    }
    const double position =
        RoundHalfAway((mTrackEnd - mTrackStart - mThumbLength) * GetValue() + mTrackStart);
    if (position != ThumbPosition())
    {
        MoveThumbTo(position);
    }
}

void LScrollbar::ValueFromThumb()
{
    const double room = mTrackEnd - mTrackStart - mThumbLength;
    // A thumb that fills the track has nowhere to go: the value stays at the start.
    double value = room > 0 ? (ThumbPosition() - mTrackStart) / room : 0.0;
    value = value < 0.0 ? 0.0 : (value > 1.0 ? 1.0 : value);
    LControl::SetValue(value);
    PlaceThumb();
}

int LScrollbar::SideOf(double along) const
{
    const double thumbStart = ThumbPosition();
    const double thumbEnd = thumbStart + mThumbLength;
    if (mTrackStart <= along && along <= thumbStart)
    {
        return kPagingDec;
    }
    if (thumbEnd <= along && along <= mTrackEnd)
    {
        return kPagingInc;
    }
    return kNotPaging;
}

int LScrollbar::MouseSide() const
{
    if (!mChannel || (mChannel->GetConditions() & kHover) == 0)
    {
        return kNotPaging;
    }
    const RCPtr<IRootWindow>& window = GetTreeRootWindow();
    if (!window)
    {
        return kNotPaging;
    }
    const PointT<LONG> cursor = window->GetCursorPos();
    const PointT<double> origin = mChannel->GetRectInRoot();
    const double mouse = (mVertical ? cursor.y - origin.y : cursor.x - origin.x) -
                         Along(mChannel->GetClientRect(), mVertical);
    return SideOf(mouse);
}

void LScrollbar::PageOnce()
{
    if (mPagingSide == kPagingDec)
    {
        SetValue(GetValue() - mPageStep);
    }
    else if (mPagingSide == kPagingInc)
    {
        SetValue(GetValue() + mPageStep);
    }
}

void LScrollbar::UpdateHighlight()
{
    if (!mChannel || mPagingSide == kNotPaging || MouseSide() != mPagingSide)
    {
        ClearHighlight();
        return;
    }
    const RectT<double> channel = mChannel->GetRect();
    const double clientOrigin = Along(mChannel->GetClientRect(), mVertical);
    const double thumbStart = ThumbPosition() + clientOrigin;
    const double whole = LengthAlong(channel, mVertical);
    double from = 0;
    double to = thumbStart;
    if (mPagingSide == kPagingInc)
    {
        from = thumbStart + mThumbLength;
        to = whole;
    }
    const RectT<double> paged = mVertical ? RectT<double>(0, from, channel.width, to - from)
                                          : RectT<double>(from, 0, to - from, channel.height);
    LRegion region;
    region.AddRect(paged);
    mChannel->SetLookRegion(1, region);
    mChannel->SetLookWeight(1, 1.0f, false);
}

void LScrollbar::ClearHighlight()
{
    if (!mChannel)
    {
        return;
    }
    mChannel->ClearLookRegions();
    mChannel->SetLookWeight(0, 1.0f, true);
    mChannel->InvalidateAll();
}

void LScrollbar::OnIdleTick()
{
    LControl::OnIdleTick();
    if (mPagingSide == kNotPaging || MouseSide() != mPagingSide)
    {
        return;
    }
    const RCPtr<LScrollbar> self(this);
    const double now = Now();
    mTimeToNextPage -= now - mLastPageTick;
    mLastPageTick = now;
    if (mTimeToNextPage <= kClockTolerance)
    {
        mTimeToNextPage = mPageInterval;
        PageOnce();
        UpdateHighlight();
    }
}

ORVRESULT LScrollbar::OnArrowRepeat(const RCPtr<LNotificationDistributor>& source,
                                    const RCPtr<LNotification>&)
{
    if (mDec && source.Get() == static_cast<LNotificationDistributor*>(mDec.Get()))
    {
        SetValue(GetValue() - mLineStep);
    }
    else if (mInc && source.Get() == static_cast<LNotificationDistributor*>(mInc.Get()))
    {
        SetValue(GetValue() + mLineStep);
    }
    return S_OK;
}

ORVRESULT LScrollbar::OnChannelButton(const RCPtr<LNotificationDistributor>&,
                                      const RCPtr<LNotification>& notification)
{
    const LConditionsParam* param =
        notification ? dynamic_cast<LConditionsParam*>(notification->param.Get()) : nullptr;
    if (param == nullptr || !mChannel)
    {
        return S_OK;
    }
    const RCPtr<LScrollbar> self(this);
    const DWORD before = param->oldConditions;
    const DWORD now = param->newConditions;
    if ((before & kLeftDown) == 0 && (now & kLeftDown) != 0)
    {
        // The press point, in the channel's client space.
        const PointT<double> press = mChannel->GetPressPoint();
        const double along = Along(press, mVertical) - Along(mChannel->GetRect(), mVertical) -
                             Along(mChannel->GetClientRect(), mVertical);
        mPagingSide = SideOf(along);
        if (mPagingSide != kNotPaging)
        {
            PageOnce();
            UpdateHighlight();
            mLastPageTick = Now();
            mTimeToNextPage = mFirstPageDelay;
            if (!mHoldsIdle)
            {
                mHoldsIdle = SubscribeIdle() == S_OK;
            }
        }
    }
    if ((before & kCapture) != 0 && (now & kCapture) == 0 && mPagingSide != kNotPaging)
    {
        mPagingSide = kNotPaging;
        ClearHighlight();
        if (mHoldsIdle)
        {
            mHoldsIdle = false;
            UnsubscribeIdle();
        }
    }
    return S_OK;
}

ORVRESULT LScrollbar::OnChannelHover(const RCPtr<LNotificationDistributor>&,
                                     const RCPtr<LNotification>& notification)
{
    const LConditionsParam* param =
        notification ? dynamic_cast<LConditionsParam*>(notification->param.Get()) : nullptr;
    if (param == nullptr || mPagingSide == kNotPaging)
    {
        return S_OK;
    }
    if ((param->oldConditions & kHoverOrForced) == 0 &&
        (param->newConditions & kHoverOrForced) != 0)
    {
        // The time off the channel does not count.
        mLastPageTick = Now();
    }
    UpdateHighlight();
    return S_OK;
}

ORVRESULT LScrollbar::OnThumbDrag(const RCPtr<LNotificationDistributor>&,
                                  const RCPtr<LNotification>& notification)
{
    const LConditionsParam* param =
        notification ? dynamic_cast<LConditionsParam*>(notification->param.Get()) : nullptr;
    if (param == nullptr || !mThumb)
    {
        return S_OK;
    }
    const RCPtr<LScrollbar> self(this);
    const DWORD before = param->oldConditions;
    const DWORD now = param->newConditions;
    if ((before & kLeftDrag) == 0 && (now & kLeftDrag) != 0)
    {
        mDragging = true;
        // Where in the thumb the drag began: the press, in the thumb's own coordinates.
        const PointT<double> press = mThumb->GetPressPoint();
        const RectT<double> thumb = mThumb->GetRect();
        mGrabPoint = PointT<LONG>(static_cast<LONG>(RoundHalfAway(press.x - thumb.x)),
                                  static_cast<LONG>(RoundHalfAway(press.y - thumb.y)));
        mPendingValue = -1.0;
    }
    else if ((before & kLeftDrag) != 0 && (now & kLeftDrag) == 0)
    {
        mDragging = false;
        const double pending = mPendingValue;
        mPendingValue = -1.0;
        if (mApplyPendingValue && pending >= 0.0 && pending <= 1.0)
        {
            SetValue(pending);
        }
    }
    return S_OK;
}

ORVRESULT LScrollbar::OnThumbMove(const RCPtr<LNotificationDistributor>&,
                                  const RCPtr<LNotification>& notification)
{
    const LPointWithModifiersParam* param =
        notification ? dynamic_cast<LPointWithModifiersParam*>(notification->param.Get()) : nullptr;
    if (param == nullptr || !mDragging || !mThumb || !mChannel)
    {
        return S_OK;
    }
    const RCPtr<LScrollbar> self(this);
    // The pointer, from the thumb's coordinates into the bar's.
    const PointT<double> inChannel = mThumb->GetPositionInParent();
    const PointT<double> inBar = mChannel->GetPositionInParent();
    const double mouse = (mVertical ? param->point.y : param->point.x) +
                         RoundHalfAway(Along(inChannel, mVertical)) +
                         RoundHalfAway(Along(inBar, mVertical));
    double position = mouse - RoundHalfAway(mTrackOrigin) - Along(GetClientRect(), mVertical) -
                      (mVertical ? mGrabPoint.y : mGrabPoint.x);
    if (position < mTrackStart)
    {
        position = mTrackStart;
    }
    if (position > mTrackEnd - mThumbLength)
    {
        position = static_cast<double>(static_cast<long long>(mTrackEnd - mThumbLength));
    }
    if (position != ThumbPosition())
    {
        MoveThumbTo(position);
        ValueFromThumb();
    }
    return S_OK;
}

ORVRESULT LScrollbar::OnSiblingKeyNotification(const RCPtr<LNotificationDistributor>&,
                                               const RCPtr<LNotification>& notification)
{
    LSiblingKeyParam* param =
        notification ? dynamic_cast<LSiblingKeyParam*>(notification->param.Get()) : nullptr;
    if (param == nullptr || !IsVisible(true))
    {
        return S_OK;
    }
    struct Row
    {
        int key;
        unsigned bit;
        int orientation; // 1 vertical, 2 horizontal, 3 either
        int action;      // -1 / +1 line, -2 / +2 page, 0 home, 3 end
    };
    static const Row rows[] = {
        {VK_UP, kKeyUp, 1, -1},      {VK_DOWN, kKeyDown, 1, 1},     {VK_LEFT, kKeyLeft, 2, -1},
        {VK_RIGHT, kKeyRight, 2, 1}, {VK_PRIOR, kKeyPageUp, 1, -2}, {VK_NEXT, kKeyPageDown, 1, 2},
        {VK_HOME, kKeyHome, 3, 0},   {VK_END, kKeyEnd, 3, 3},
    };
    const int orientation = mVertical ? 1 : 2;
    for (const Row& row : rows)
    {
        const bool matches = row.key == VK_END
                                 ? KeyCode::FromVirtualKey(VK_END, true, 0).Matches(param->key)
                                 : IsKey(param->key, row.key);
        if (!matches || (mKeyMask & row.bit) == 0 || (row.orientation & orientation) == 0)
        {
            continue;
        }
        const RCPtr<LScrollbar> self(this);
        double value = GetValue();
        switch (row.action)
        {
            case -1:
                value -= mLineStep;
                break;
            case 1:
                value += mLineStep;
                break;
            case -2:
                value -= mPageStep;
                break;
            case 2:
                value += mPageStep;
                break;
            case 0:
                value = 0.0;
                break;
            default:
                value = 1.0;
                break;
        }
        param->index = 0;
        SetValue(value);
        return S_OK;
    }
    return S_OK;
}
} // namespace Orv
