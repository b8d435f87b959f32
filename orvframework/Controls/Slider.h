// The slider ("Framework.Slider"): a panel whose skin gives two marker children, "thumbStart"
// and "thumbEnd", the ends of the thumb's travel. The slider hides them and makes its own button
// "thumb" from thumbStart's description; the thumb moves on the straight segment between the
// markers (horizontal, vertical or slanted), and the value is its relative place on it.
//
// The value is a normalized position t in [0, 1]; the value range (0 to 127, linear, after
// Initialize) maps it to the caller's units. Dragging the thumb, clicking or holding the button
// on the track (a page step toward the pointer, again after 0.3 s and then every 0.1 s), the
// arrow keys and the wheel (one unit of the range each) change it. Notifications, from the
// slider's own distributor: "NID_VALUE_CHANGE" on every change, "NID_VALUE_CHANGE_CAPTURE" (an
// LHolder<bool>) at the start (true) and end (false) of a thumb drag, "NID_VALUE_CHANGE_KEY_DOWN"
// and "NID_VALUE_CHANGE_KEY_UP" around a series of arrow keys.
//
// Looks: 0 normal, 1 while the slider holds the focus, 2 disabled. Without "thumbStart" there is
// no thumb: keys, wheel and track clicks still change the value.
//
// UI thread only.
#pragma once

#include "Controls/Button.h"
#include "Controls/Panel.h"

namespace Orv
{
class LSlider : public LPanel
{
public:
    // The slider's own looks.
    enum Look
    {
        kLookNormal = 0,
        kLookFocused = 1,
        kLookDisabled = 2,
    };

    // The defaults: the page step in t, and the repeat timings of a held track press, seconds.
    static constexpr double kDefaultPageStep = 0.1;
    static constexpr double kFirstPageDelay = 0.3;
    static constexpr double kPageInterval = 0.1;
    // The value range Initialize sets.
    static constexpr double kDefaultMaximum = 127.0;

    LSlider(const RCPtr<LControl>& parent, const RCPtr<LControlDescriptor>& descriptor);
    LSlider(const RCPtr<LControl>& parent, const WString& name);
    ~LSlider() override;

    // The slider's handler table first (once created), then the panel's chain.
    ORVRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                  const RCPtr<LNotification>& notification) override;
    ORVRESULT Unregister(const RCPtr<LNotificationDistributor>& source,
                         const wchar_t* name) override;

    // --- The slider's own operations (all t values normalized) ---

    // The control's SetValue worker stores t (with "NID_VALUE_CHANGE" when it changed), then the
    // thumb is placed. The t in force.
    virtual double ApplyValue(double t);
    // With a thumb: ApplyValue of the t its rounded position gives.
    virtual void SetValueFromThumb();
    // Places the thumb from t between the markers (not while dragging).
    virtual void UpdateThumbFromValue();
    // Where the thumb goes for a pointer at (x, y) (the slider's client coordinates): the grab
    // offset taken off, kept on the track and between the markers.
    virtual PointT<LONG> ConstrainThumbPosition(LONG x, LONG y) const;
    // t for a thumb at (x, y): its distance from thumbStart over the markers' distance (squared
    // with squared response); 0 when the markers coincide.
    virtual double ThumbPositionToNormalized(double x, double y) const;
    // The stored t.
    virtual double GetPosition() const;
    // One page step from t toward the t of point (the slider's own coordinates), never past it.
    void PageTowardPoint(const PointT<double>& point);

    // --- Overridden control operations ---

    // While the thumb is dragged t is kept as the pending value (applied when the drag ends) and
    // the current t returned; otherwise ApplyValue.
    double SetValue(double t) override;
    // The panel's; then the thumb, looked up as the child "thumb" while none is known, is placed.
    void CheckClientExtent() override;
    // The held track button starts and stops the page repeat; the focus and the enabled state
    // choose the look; losing the focus ends a key series.
    void OnConditionsChange(const RCPtr<LConditionsParam>& param) override;
    // One unit of the range up (direction 1, and 3 for the horizontal wheel) or down. S_OK.
    ORVRESULT OnWheel(const RCPtr<LMouseWheelParam>& param) override;
    ORVRESULT OnHWheel(const RCPtr<LMouseWheelParam>& param) override;
    // Remembers whether the press was the second of a double click.
    void OnLeftButtonDown(const RCPtr<LMouseButtonParam>& param) override;
    // A click on the track pages once toward it; with reset on double click, a double click or
    // a Ctrl click then restores the default value.
    void OnLeftClickHook(const RCPtr<LMouseButtonParam>& param) override;
    // The arrow keys that come up from the thumb (see HandleArrowKey); other keys go on to the
    // panel's route.
    ORVRESULT RouteSiblingKey(const RCPtr<LKeyParam>& param) override;
    // The arrow keys when the slider itself holds the focus.
    ORVRESULT HandleUnusedKey(const RCPtr<LKeyParam>& param) override;
    // The page repeat of a held track press.
    void OnIdleTick() override;
    // The panel's (a failure gives E_FAIL); the markers found, the thumb made from thumbStart;
    // the range 0 to 127, linear. S_OK.
    ORVRESULT Initialize() override;
    // A "thumb" added without a descriptor gets one made from thumbStart's, and is shown.
    ORVRESULT AddChildControl(const RCPtr<LControl>& child,
                              const RCPtr<LControlDescriptor>& descriptor) override;
    // Hides the markers, computes the thumb's hot spot, places the thumb.
    void OnCreated() override;

    // --- Settings no skin gives ---

    void SetPageStep(double step) { mPageStep = step; }
    double GetPageStep() const { return mPageStep; }
    // The t a double click (or Ctrl click) restores while reset on double click is set.
    void SetDefaultValue(double t) { mDefaultValue = t; }
    void SetResetOnDoubleClick(bool reset) { mResetOnDoubleClick = reset; }
    // Whether a value set during a drag is applied when it ends (on by default).
    void SetApplyPendingAtDragEnd(bool apply) { mApplyPendingAtDragEnd = apply; }
    // Whether the end of a drag sends "NID_VALUE_CHANGE" once more with the value in force.
    void SetSendValueAtDragEnd(bool send) { mSendValueAtDragEnd = send; }
    // t is the square of the thumb's relative distance.
    void SetSquaredResponse(bool squared) { mSquaredResponse = squared; }

    const RCPtr<LButton>& GetThumb() const { return mThumb; }
    const RCPtr<LControl>& GetThumbStart() const { return mThumbStart; }
    const RCPtr<LControl>& GetThumbEnd() const { return mThumbEnd; }
    bool IsDragging() const { return mDragging; }
    // -1 when no value waits for the end of a drag.
    double GetPendingValue() const { return mPendingValue; }
    bool IsRepeating() const { return mRepeatActive; }
    bool IsKeySeriesActive() const { return mKeySeriesActive; }
    const PointT<LONG>& GetHotSpot() const { return mHotSpot; }

protected:
    // Sends name with param from the slider's own distributor.
    void Send(const wchar_t* name, const RCPtr<LRefCountedObject>& param);

private:
    ORVRESULT OnThumbMouseMove(const RCPtr<LNotificationDistributor>& source,
                               const RCPtr<LNotification>& notification);
    ORVRESULT OnThumbMouseDown(const RCPtr<LNotificationDistributor>& source,
                               const RCPtr<LNotification>& notification);
    ORVRESULT OnThumbLeftClick(const RCPtr<LNotificationDistributor>& source,
                               const RCPtr<LNotification>& notification);
    ORVRESULT OnThumbDragConditionChange(const RCPtr<LNotificationDistributor>& source,
                                         const RCPtr<LNotification>& notification);

    // The descriptor of the thumb: thumbStart's, its layout cloned with the docking, the anchor
    // and the relative position cleared on both axes and tab stop 0. Null without thumbStart.
    RCPtr<LControlDescriptor> MakeThumbDescriptor() const;
    // Takes button as the thumb: shown, its notifications subscribed, its pressed look kept.
    void AttachThumb(const RCPtr<LButton>& button);
    // Places the thumb's top-left corner at position (the slider's client coordinates).
    void MoveThumbTo(const PointT<LONG>& position);
    PointT<LONG> ThumbPosition() const;
    // The markers' rounded positions; end is start without thumbEnd.
    bool MarkerPositions(PointT<double>& start, PointT<double>& end) const;
    // Steps the value by units of the range (through SetValue).
    void StepValue(double units);
    // The arrow keys: a press steps by one unit (the first of a series sends
    // "NID_VALUE_CHANGE_KEY_DOWN"), a release ends the series with "NID_VALUE_CHANGE_KEY_UP".
    // S_OK when the key was one of them, else S_FALSE.
    ORVRESULT HandleArrowKey(const RCPtr<LKeyParam>& param);
    // Ends a key series; a null key when the focus left.
    void EndKeySeries(const RCPtr<LKeyParam>& param);
    void StopRepeat();
    // The look for the focus and enabled state.
    void UpdateLook(DWORD conditions);
    // The application clock in seconds (0 without a root window).
    double Now() const;

    RCPtr<LNotificationHandler<LSlider>> mSliderHandler;
    RCPtr<LButton> mThumb;
    RCPtr<LControl> mThumbStart;
    RCPtr<LControl> mThumbEnd;
    bool mDragging = false;
    PointT<LONG> mGrabOffset;
    double mPageStep = kDefaultPageStep;
    bool mRepeatActive = false;
    double mLastTickTime = 0;
    double mTimeToNextPage = 0;
    double mDefaultValue = 0;
    bool mResetOnDoubleClick = false;
    double mPendingValue = -1.0;
    bool mApplyPendingAtDragEnd = true;
    bool mSendValueAtDragEnd = false;
    bool mKeySeriesActive = false;
    bool mSquaredResponse = false;
    PointT<LONG> mHotSpot;
    // The last press on the track or the thumb was the second of a double click.
    bool mDoublePress = false;
};
} // namespace Orv
