// How far a long operation has come: the control's value (0 to 1) as the width
// of the child panel "activeOverlay", as a whole percentage in the label
// "percentCompleteLabel", and, while the estimation is on, as the time left in
// the label "timeRemainingLabel" ("1 Minute 5 Seconds Remaining"), worded from
// the framework string table in the user's language.
//
// The estimate takes the rate over the whole time since the estimation was
// switched on; the text is rewritten whenever the value has grown beyond the
// last sample and the application clock has moved on, and the sample is renewed
// at most once a second. The estimation ends by itself when the value
// reaches 1. A child the skin does not give (or gives of another class) is
// skipped.
//
// UI thread only.
#pragma once

#include "ControlBase/Control.h"
#include "Controls/Label.h"
#include "Controls/Panel.h"
#include "notification/NotificationHandler.h"

namespace Orv
{
class LProgressBar : public LControl
{
public:
    LProgressBar(const RCPtr<LControl>& parent, const RCPtr<LControlDescriptor>& descriptor);

    // The base's, then: the handler table, the three children (the time label
    // hidden), the unit words, the value 0 and the range 0 to 100. The base's
    // result.
    ORVRESULT Initialize() override;
    // Not focusable; the overlay and the percentage show the value.
    void OnCreated() override;
    // The overlay's width and the percentage; while estimating, the remaining
    // time.
    void OnValueChangeHook() override;

    // Shows the time label with seconds worded: hours and minutes when there are
    // any (a whole hour also shows "0 Minutes"), always the seconds, then the
    // "remaining" word. 0 or less gives "0 Seconds Remaining".
    virtual void SetTimeRemaining(int seconds);
    // Switches the estimation on (from the current value and the clock now) or
    // off; nothing when it is already so.
    virtual void SetTimeEstimation(bool on);
    bool IsEstimating() const { return mEstimating; }

    const RCPtr<LPanel>& GetActiveOverlay() const { return mActiveOverlay; }
    const RCPtr<LLabel>& GetTimeRemainingLabel() const { return mTimeRemainingLabel; }
    const RCPtr<LLabel>& GetPercentCompleteLabel() const { return mPercentCompleteLabel; }

    // The progress bar's table first (once created), then the base's.
    ORVRESULT
    ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                        const RCPtr<LNotification>& notification) override;
    ORVRESULT Unregister(const RCPtr<LNotificationDistributor>& source,
                         const wchar_t* name) override;

    // The unit words, in the order of their string ids.
    enum Word
    {
        kHoursSingular,
        kHoursPlural,
        kMinutesSingular,
        kMinutesPlural,
        kSecondsSingular,
        kSecondsPlural,
        kRemaining,
        kWordCount,
    };

private:
    // The application clock in seconds; 0 without an application.
    static double Now();

    RCPtr<LNotificationHandler<LProgressBar>> mProgressHandler;
    RCPtr<LPanel> mActiveOverlay;
    RCPtr<LLabel> mTimeRemainingLabel;
    RCPtr<LLabel> mPercentCompleteLabel;
    WString mWords[kWordCount];
    double mStartTime = 0;
    double mStartValue = 0;
    double mSampleTime = 0;
    double mSampleValue = 0;
    bool mEstimating = false;
};
} // namespace Orv
