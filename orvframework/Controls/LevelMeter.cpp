#include "Controls/LevelMeter.h"

#include "ControlBase/ControlNotificationNames.h"
#include "Controls/NotificationChain.h"
#include "Utilities/Geometry/Geometry.h"
#include "notification/Notification.h"
#include "notification/NotificationName.h"

#include <cmath>

namespace Orv
{
namespace
{
const wchar_t* ClipLightUnlatchedName()
{
    static const wchar_t* const name = InternNotificationName(L"NID_CLIPLIGHT_UNLATCHED");
    return name;
}

// Rounded by the geometry's rule (half away from zero, clamped to the 32-bit range); 0 for a
// value that is not a number.
int RoundToInt(double value)
{
    return std::isnan(value) ? 0 : RoundDoubleToLong(value);
}
} // namespace

LLevelMeter::LLevelMeter(const RCPtr<LControl>& parent, const RCPtr<LControlDescriptor>& descriptor)
    : LControl(parent, descriptor)
{
}

LLevelMeter::~LLevelMeter()
{
    mPeakMarker = nullptr;
    mOverlay = nullptr;
    mClipButton = nullptr;
    mMeterHandler = nullptr;
}

ORVRESULT LLevelMeter::ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                           const RCPtr<LNotification>& notification)
{
    return ReceiveThroughChain<LControl>(*this, mMeterHandler, source, notification);
}

ORVRESULT LLevelMeter::Unregister(const RCPtr<LNotificationDistributor>& source,
                                  const wchar_t* name)
{
    return UnregisterThroughChain<LControl>(*this, mMeterHandler, source, name);
}

void LLevelMeter::OnValueChangeHook()
{
    if (!mInSetLevel)
    {
        SetLevel(GetValue(), 0, mClipCount);
    }
}

ORVRESULT LLevelMeter::Initialize()
{
    const ORVRESULT result = LControl::Initialize();
    mMeterHandler = new LNotificationHandler<LLevelMeter>(this);
    mPeakMarker = DynamicCast<LPanel>(FindChildControl(WString(L"peakLo")));
    if (mPeakMarker)
    {
        mPeakMarker->SetUseParentToolTip(true);
    }
    mOverlay = DynamicCast<LPanel>(FindChildControl(WString(L"activeOverlay")));
    if (mOverlay)
    {
        mOverlay->SetUseParentToolTip(true);
    }
    mClipButton = FindChildControl(WString(L"clipButton"));
    return result;
}

void LLevelMeter::OnCreated()
{
    const RCPtr<LLevelMeter> self(this);
    const RectT<double> rect = GetRect();
    mVertical = rect.width < rect.height;
    if (mPeakMarker)
    {
        mPeakMarker->SetVisible(false);
        mPeakMarker->SetNotFocusable(true);
        mPeakLoPos = PointT<double>(mPeakMarker->GetRect().x, mPeakMarker->GetRect().y);
        const RCPtr<LControl> peakHi = FindChildControl(WString(L"peakHi"));
        if (!peakHi)
        {
            mPeakMarker = nullptr;
        }
        else
        {
            peakHi->SetVisible(false);
            peakHi->SetNotFocusable(true);
            mPeakHiPos = PointT<double>(peakHi->GetRect().x, peakHi->GetRect().y);
        }
    }
    if (mOverlay)
    {
        mOverlay->SetVisible(false);
        mOverlay->SetNotFocusable(true);
    }
    if (mClipButton)
    {
        mClipButton->SetNotFocusable(true);
    }
    SetNotFocusable(true);
    OnValueChangeHook();
}

ORVRESULT LLevelMeter::SetLevels(double level, double peak)
{
    return SetLevel(level, peak, mClipCount);
}

ORVRESULT LLevelMeter::SetLevel(double level, double peak, int clipCount)
{
    const RCPtr<LLevelMeter> self(this);
    if (mClipButton)
    {
        if (clipCount != mClipCount)
        {
            mClipButton->SetValue(1.0);
        }
        else if (!mClipLatch)
        {
            mClipButton->SetValue(0.0);
        }
    }
    mClipCount = clipCount;
    mInSetLevel = true;
    SetValue(level);
    mInSetLevel = false;

    // The stored value: a level outside 0..1 is clamped, one that is not a number left out.
    const double shown = GetValue();
    const RectT<double> rect = GetRect();
    const int axis = mVertical ? LLayoutDescriptor::kAxisY : LLayoutDescriptor::kAxisX;
    if (mOverlay)
    {
        const int extent =
            mVertical ? RoundToInt(rect.height * (1.0 - shown)) : RoundToInt(rect.width * shown);
        if (extent < 1)
        {
            mOverlay->SetVisible(false);
        }
        else
        {
            mOverlay->SetVisible(true);
            AxisPlacement placement;
            const RCPtr<LLayoutDescriptor>& layout = mOverlay->GetLayout();
            if (layout && SUCCEEDED(layout->GetAxisPlacement(axis, placement)))
            {
                placement.size.kind = LLayoutDescriptor::kSizeAbsolute;
                placement.size.abs = extent;
                mOverlay->SetAxisPlacement(axis, placement);
            }
        }
    }
    if (mPeakMarker)
    {
        const double range = mVertical ? mPeakHiPos.y - mPeakLoPos.y : mPeakHiPos.x - mPeakLoPos.x;
        const int offset = RoundToInt(range * peak);
        if (offset == 0)
        {
            mPeakMarker->SetVisible(false);
        }
        else
        {
            mPeakMarker->SetVisible(true);
            AxisPlacement placement;
            const RCPtr<LLayoutDescriptor>& layout = mPeakMarker->GetLayout();
            if (layout && SUCCEEDED(layout->GetAxisPlacement(axis, placement)))
            {
                placement.position.abs = offset;
                mPeakMarker->SetAxisPlacement(axis, placement);
            }
        }
    }
    return S_OK;
}

ORVRESULT LLevelMeter::SetClipLatch(bool latch)
{
    if (!mClipButton)
    {
        return E_FAIL;
    }
    const RCPtr<LLevelMeter> self(this);
    mClipButton->SetValue(0.0);
    if (latch != mClipLatch)
    {
        mClipLatch = latch;
        const RCPtr<LNotificationDistributor> button(mClipButton.Get());
        const wchar_t* leftClick = ControlNotificationNames::Get().leftClick;
        if (latch)
        {
            mMeterHandler->SubscribeHandler(&LLevelMeter::OnClipButtonClicked, button, leftClick);
        }
        else
        {
            mMeterHandler->RemoveHandler(button, leftClick);
            UnregisterNotification(button, leftClick);
        }
    }
    return S_OK;
}

bool LLevelMeter::IsClipLit() const
{
    return mClipButton && mClipButton->GetValue() >= 0.5;
}

ORVRESULT LLevelMeter::OnClipButtonClicked(const RCPtr<LNotificationDistributor>&,
                                           const RCPtr<LNotification>&)
{
    if (mClipButton && mClipButton->GetValue() >= 0.5)
    {
        const RCPtr<LLevelMeter> self(this);
        mClipButton->SetValue(0.0);
        SendNotification(LNotification::Create(ClipLightUnlatchedName(), nullptr));
    }
    return 1;
}
} // namespace Orv
