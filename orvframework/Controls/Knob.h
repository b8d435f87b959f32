// The knob ("Framework.Knob"): a rotary control drawn as a film strip of looks, one look per
// position. The user turns it in one of two ways, chosen by its create parameters:
// - a linear gesture: dragging right or up raises the value, left or down lowers it; with Ctrl
//   held the step is scaled by the fine-adjust multiplier;
// - a radial gesture ("RADIAL_GESTURE_START_ANGLE" or "RADIAL_GESTURE_END_ANGLE" not 0): the
//   value follows the pointer's angle around the knob's centre, from the start angle (value 0)
//   clockwise to the end angle (value 1). Angles are degrees, 0 straight up, 90 to the right.
// Arrow keys and the wheel step it by one unit of its range (0 to 127, linear).
//
// The skin's look list holds the frames, one per position, up to its first empty entry; the entry
// after the gap, when present, is laid over every frame while the knob has the focus, the one
// after that while it is disabled. A knob without frames (or without looks) works and shows
// nothing of its value.
//
// Notifications, from the knob's own distributor: "NID_VALUE_CHANGE" on every change,
// "NID_VALUE_CHANGE_CAPTURE" (an LHolder<bool>) at the start (true) and end (false) of a drag,
// "NID_VALUE_CHANGE_KEY_DOWN" at the first arrow press of a hold, "NID_VALUE_CHANGE_KEY_UP" at
// its release (with no parameter when the focus leaves during the hold).
//
// UI thread only.
#pragma once

#include "ControlBase/Control.h"

namespace Orv
{
class LKnob : public LControl
{
public:
    // The defaults.
    static constexpr double kDefaultFineAdjustMultiplier = 0.25;
    static constexpr double kDefaultMaximum = 127.0;
    // The pointer travel the default linear range aims at, in pixels.
    static constexpr int kDefaultTravel = 128;

    LKnob(const RCPtr<LControl>& parent, const RCPtr<LControlDescriptor>& descriptor);
    LKnob(const RCPtr<LControl>& parent, const WString& name);
    ~LKnob() override;

    // During a left drag the value is only kept as pending (applied when the drag ends) and the
    // current value returned; otherwise the control's SetValue.
    double SetValue(double value) override;
    // The active look becomes the frame of the value: (N - 1) * value, rounded.
    void OnValueChangeHook() override;
    // The start and end of a drag, the end of an arrow hold when the focus leaves, the overlays.
    void OnConditionsChange(const RCPtr<LConditionsParam>& param) override;
    // The gesture, while the left button drags.
    void OnMouseMoveHook(const RCPtr<LPointWithModifiersParam>& param) override;
    // One unit up for direction 1 (3 horizontally), down for the others. S_OK.
    ORVRESULT OnWheel(const RCPtr<LMouseWheelParam>& param) override;
    ORVRESULT OnHWheel(const RCPtr<LMouseWheelParam>& param) override;
    // The arrow keys: a press steps one unit, a release ends the hold. S_OK for them, else the
    // control's.
    ORVRESULT HandleUnusedKey(const RCPtr<LKeyParam>& param) override;
    // The control's (its failure returned as is); the create parameters; the range 0 to 127.
    ORVRESULT Initialize() override;
    // Counts the frames, finds the overlays (as indexes of the knob's looks), the default linear
    // range and the gesture centre.
    void OnCreated() override;

    // The value follows the pointer's angle around the gesture centre. 1 (nothing done) when the
    // point is the centre itself, else 0.
    int ApplyRadialGesture(double x, double y);
    // The value moves by the pointer's travel since the last step (own coordinates).
    void ApplyLinearGesture(const PointT<LONG>& point);

    // The angle brought into [0, 360) degrees.
    static double NormalizeAngle(double degrees);
    // Radius and angle (atan2(y, x), radians) of (x, y).
    static void ToPolar(double x, double y, double& radius, double& angle);

    bool IsRadial() const { return mRadial; }
    int GetLinearFullRange() const { return mLinearFullRange; }
    double GetStartAngle() const { return mStartAngle; }
    double GetEndAngle() const { return mEndAngle; }
    double GetFineAdjustMultiplier() const { return mFineAdjustMultiplier; }
    unsigned int GetFrameCount() const { return mFrameCount; }
    const PointT<LONG>& GetGestureCentre() const { return mGestureCentre; }
    double GetPendingValue() const { return mPendingValue; }
    int GetFocusOverlayLook() const { return mFocusOverlay; }
    int GetDisabledOverlayLook() const { return mDisabledOverlay; }

private:
    void Send(const wchar_t* name, const RCPtr<LRefCountedObject>& param);
    // Lays the look at overlay over every frame (on) or takes it off.
    void LayOverlay(int overlay, bool on);
    void StepValue(double units);
    // Whether Ctrl is down, by the application's key state.
    static bool IsCtrlDown();

    bool mRadial = false;
    int mLinearFullRange = 0;
    double mStartAngle = 0;
    double mEndAngle = 0;
    double mFineAdjustMultiplier = 0;
    unsigned int mFrameCount = 0;
    PointT<LONG> mLastPoint;
    PointT<LONG> mPreviousPoint;
    PointT<LONG> mGestureCentre;
    double mPendingValue = -1.0;
    int mFocusOverlay = -1;
    int mDisabledOverlay = -1;
    bool mKeyHeld = false;
};
} // namespace Orv
