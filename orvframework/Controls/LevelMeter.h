// A signal level as a bar ("Framework.LevelMeter"), with an optional peak marker and a clip light.
// The level is the control's value (0 to 1). The skin gives the parts as children:
// - "activeOverlay", a panel sized by the level: from the left on a meter wider than high, from
//   the top over the part above the level on a meter higher than wide;
// - "peakLo" and "peakHi", whose skin positions give the ends of the peak range; "peakLo" is the
//   marker that moves, "peakHi" only marks where the range ends (without it there is no marker);
// - "clipButton", a button whose value is the clip light.
// The light comes on when the clip counter passed with a level changes, and goes off with the
// next level of the same counter, unless it latches: a latched light stays on until it is
// clicked ("NID_CLIPLIGHT_UNLATCHED") or latching is switched off. A part the skin does not give
// is skipped.
//
// UI thread only.
#pragma once

#include "ControlBase/Control.h"
#include "Controls/Panel.h"
#include "notification/NotificationHandler.h"

namespace Orv
{
class LLevelMeter : public LControl
{
public:
    LLevelMeter(const RCPtr<LControl>& parent, const RCPtr<LControlDescriptor>& descriptor);
    ~LLevelMeter() override;

    // The meter's table first (once created), then the base's.
    ORVRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                  const RCPtr<LNotification>& notification) override;
    ORVRESULT Unregister(const RCPtr<LNotificationDistributor>& source,
                         const wchar_t* name) override;

    // A value set from outside is a level without a peak and with the stored clip counter.
    void OnValueChangeHook() override;
    // The base's, then the handler table and the parts (the overlay and the marker show the
    // meter's tool tip). The base's result.
    ORVRESULT Initialize() override;
    // The orientation, the ends of the peak range; the parts hidden, nothing focusable; the
    // value shown.
    void OnCreated() override;

    // SetLevel with the stored clip counter.
    virtual ORVRESULT SetLevels(double level, double peak);
    // The clip light from the counter, the level stored as the value, the overlay's extent and
    // the peak marker's place (the peak, 0 to 1, along the peak range). S_OK.
    virtual ORVRESULT SetLevel(double level, double peak, int clipCount);
    // Turns the light off and latching on or off. E_FAIL without a clip button.
    virtual ORVRESULT SetClipLatch(bool latch);
    // Whether there is a clip button and its light is on.
    virtual bool IsClipLit() const;
    virtual int GetClipCount() const { return mClipCount; }
    virtual void SetClipCount(int clipCount) { mClipCount = clipCount; }

    bool IsVertical() const { return mVertical; }
    bool IsClipLatched() const { return mClipLatch; }
    const RCPtr<LPanel>& GetOverlay() const { return mOverlay; }
    const RCPtr<LPanel>& GetPeakMarker() const { return mPeakMarker; }
    const RCPtr<LControl>& GetClipButton() const { return mClipButton; }

private:
    // A click on the latched light turns it off and sends "NID_CLIPLIGHT_UNLATCHED". 1.
    ORVRESULT OnClipButtonClicked(const RCPtr<LNotificationDistributor>& source,
                                  const RCPtr<LNotification>& notification);

    RCPtr<LNotificationHandler<LLevelMeter>> mMeterHandler;
    int mClipCount = 0;
    bool mClipLatch = false;
    PointT<double> mPeakLoPos;
    PointT<double> mPeakHiPos;
    RCPtr<LPanel> mPeakMarker;
    RCPtr<LPanel> mOverlay;
    RCPtr<LControl> mClipButton;
    bool mInSetLevel = false;
    bool mVertical = false;
};
} // namespace Orv
