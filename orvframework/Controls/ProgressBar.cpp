#include "Controls/ProgressBar.h"

#include "Application/FrameworkApp.h"
#include "Controls/NotificationChain.h"
#include "Utilities/Geometry/Geometry.h"

#include <cmath>

namespace Orv
{
namespace
{
const wchar_t* const kWordIds[LProgressBar::kWordCount] = {
    L"HOURS_SINGULAR",   L"HOURS_PLURAL",   L"MINUTES_SINGULAR", L"MINUTES_PLURAL",
    L"SECONDS_SINGULAR", L"SECONDS_PLURAL", L"REMAINING",
};

// The sample is renewed at most this often.
constexpr double kSampleInterval = 1.0;

} // namespace

LProgressBar::LProgressBar(const RCPtr<LControl>& parent,
                           const RCPtr<LControlDescriptor>& descriptor)
    : LControl(parent, descriptor)
{
}

ORVRESULT LProgressBar::Initialize()
{
    const ORVRESULT result = LControl::Initialize();
    mProgressHandler = new LNotificationHandler<LProgressBar>(this);
    mActiveOverlay = DynamicCast<LPanel>(FindChildControl(WString(L"activeOverlay")));
    mTimeRemainingLabel = DynamicCast<LLabel>(FindChildControl(WString(L"timeRemainingLabel")));
    if (mTimeRemainingLabel)
    {
        mTimeRemainingLabel->SetVisible(false);
    }
    mPercentCompleteLabel = DynamicCast<LLabel>(FindChildControl(WString(L"percentCompleteLabel")));
    const LFrameworkApp* application = GetFrameworkApp();
    const RCPtr<LStringTable> table =
        application != nullptr ? application->GetFrameworkStringTable() : nullptr;
    for (int i = 0; i < kWordCount; ++i)
    {
        mWords[i] = WString();
        if (table)
        {
            table->Lookup(kWordIds[i], mWords[i]);
        }
    }
    SetValue(0);
    SetValueRange(0, 100.0, kLinearScale);
    return result;
}

void LProgressBar::OnCreated()
{
    SetNotFocusable(true);
    OnValueChangeHook();
}

void LProgressBar::OnValueChangeHook()
{
    const double percent = GetValue() * 100.0;
    if (mActiveOverlay)
    {
        const int width = RoundDoubleToLong(GetRect().width * percent / 100.0);
        if (width < 1)
        {
            mActiveOverlay->SetVisible(false);
        }
        else
        {
            mActiveOverlay->SetVisible(true);
            AxisPlacement placement;
            const RCPtr<LLayoutDescriptor>& layout = mActiveOverlay->GetLayout();
            if (layout && SUCCEEDED(layout->GetAxisPlacement(LLayoutDescriptor::kAxisX, placement)))
            {
                placement.size.kind = LLayoutDescriptor::kSizeAbsolute;
                placement.size.abs = width;
                mActiveOverlay->SetAxisPlacement(LLayoutDescriptor::kAxisX, placement);
            }
        }
    }
    if (mPercentCompleteLabel)
    {
        mPercentCompleteLabel->SetText(WString::FromDouble(percent, 0));
    }
    if (!mEstimating)
    {
        return;
    }
    const double now = Now();
    const double value = GetValue();
    if (value > mSampleValue && now > mSampleTime)
    {
        const double rate = (value - mStartValue) / (now - mStartTime);
        if (now - mSampleTime > kSampleInterval)
        {
            mSampleTime = now;
            mSampleValue = value;
        }
        // A tiny rate gives a time beyond the int range: it is clamped.
        SetTimeRemaining(RoundDoubleToLong((1.0 - value) / rate));
    }
    if (value >= 1.0)
    {
        mEstimating = false;
    }
}

void LProgressBar::SetTimeRemaining(int seconds)
{
    if (!mTimeRemainingLabel)
    {
        return;
    }
    mTimeRemainingLabel->SetVisible(true);
    const WString blank(L" ");
    WString text;
    if (seconds <= 0)
    {
        text = WString(L"0") + blank + mWords[kSecondsPlural] + blank + mWords[kRemaining];
        mTimeRemainingLabel->SetText(text);
        return;
    }
    const int hours = seconds >= 3600 ? seconds / 3600 : 0;
    const int minutes = seconds >= 60 ? (seconds % 3600) / 60 : 0;
    const int rest = (seconds % 3600) % 60;
    if (hours >= 1)
    {
        text.Append(WString::FromInt(hours) + blank +
                    mWords[hours == 1 ? kHoursSingular : kHoursPlural] + blank);
        if (minutes == 0)
        {
            text.Append(WString(L"0") + blank + mWords[kMinutesPlural] + blank);
        }
    }
    if (minutes >= 1)
    {
        text.Append(WString::FromInt(minutes) + blank +
                    mWords[minutes == 1 ? kMinutesSingular : kMinutesPlural] + blank);
    }
    text.Append(WString::FromInt(rest) + blank +
                mWords[rest == 1 ? kSecondsSingular : kSecondsPlural] + blank + mWords[kRemaining]);
    mTimeRemainingLabel->SetText(text);
}

void LProgressBar::SetTimeEstimation(bool on)
{
    if (on == mEstimating)
    {
        return;
    }
    mEstimating = on;
    if (on)
    {
        const double now = Now();
        mStartTime = now;
        mSampleTime = now;
        mStartValue = GetValue();
        mSampleValue = mStartValue;
    }
}

double LProgressBar::Now()
{
    LFrameworkApp* application = GetFrameworkApp();
    return application != nullptr ? application->GetElapsedSeconds() : 0;
}

ORVRESULT LProgressBar::ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                            const RCPtr<LNotification>& notification)
{
    return ReceiveThroughChain<LControl>(*this, mProgressHandler, source, notification);
}

ORVRESULT LProgressBar::Unregister(const RCPtr<LNotificationDistributor>& source,
                                   const wchar_t* name)
{
    return UnregisterThroughChain<LControl>(*this, mProgressHandler, source, name);
}
} // namespace Orv
