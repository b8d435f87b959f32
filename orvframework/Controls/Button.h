// The push button ("Framework.Button"): a control that shows one of fourteen looks chosen from
// its state, turns a press and release into a click, and can toggle its value as a check box,
// act as one of a group of radio buttons, repeat while held ("NID_BUTTON_AUTOREPEAT") and be
// clicked by code ("NID_SIMULATE_CLICK", the Enter key).
//
// Looks 0 to 6 show the unchecked button, 7 to 13 the checked one (value >= 0.5): normal,
// hover, pressed, the three with the focus, and disabled.
//
// Other controls build on it: a scroll bar's "dec", "inc" and "thumb", a list row's
// "checkBox". They set the flags a skin does not: auto repeat, passive (the button ignores the
// mouse), keep pressed look.
//
// The button's timers (auto repeat and the simulated click) run from "NID_IDLE"; the button
// holds one idle request while either of them runs and gives it back when both have ended.
//
// UI thread only.
#pragma once

#include "ControlBase/Control.h"

namespace Orv
{
class LButton : public LControl
{
public:
    // The looks of the unchecked button; the checked button's are kCheckedLooks further on.
    enum Look
    {
        kLookNormal = 0,
        kLookHover = 1,
        kLookPressed = 2,
        kLookNormalFocused = 3,
        kLookHoverFocused = 4,
        kLookPressedFocused = 5,
        kLookDisabled = 6,
    };
    static constexpr int kCheckedLooks = 7;

    // The default timings, in seconds.
    static constexpr double kFirstRepeatDelay = 0.3;
    static constexpr double kRepeatInterval = 0.1;
    static constexpr double kSimulatedClickTime = 0.15;

    LButton(const RCPtr<LControl>& parent, const RCPtr<LControlDescriptor>& descriptor);
    LButton(const RCPtr<LControl>& parent, const WString& name);
    ~LButton() override;

    // The button's handler table first, then the control's; a table is consulted only once the
    // control is created.
    ORVRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                  const RCPtr<LNotification>& notification) override;
    ORVRESULT Unregister(const RCPtr<LNotificationDistributor>& source,
                         const wchar_t* name) override;

    // The control's Initialize (a failure is returned as is), then the handler table with the
    // handler of "NID_SIMULATE_CLICK" (received without a source) and the create parameters
    // "AUTO_VALUE_SET" and "IS_RADIO". Throws when the handler cannot be entered.
    ORVRESULT Initialize() override;

    // A radio button that becomes checked unchecks its radio siblings; the look follows every
    // change of the value.
    void OnValueChangeHook() override;
    // The look follows the conditions; auto repeat starts with a left press and ends with the
    // capture.
    void OnConditionsChange(const RCPtr<LConditionsParam>& param) override;
    // The control's, then UpdateLook.
    ORVRESULT SetEnabled(bool enabled) override;
    // Applies auto value: a radio button is checked, another button toggles.
    void OnLeftClickHook(const RCPtr<LMouseButtonParam>& param) override;
    // False for a passive button; else the control's.
    bool HitTest(const PointT<LONG>& point) const override;
    // Enter clicks the button (SimulateClick) and is taken (S_OK); other keys are not (S_FALSE).
    ORVRESULT HandleUnusedKey(const RCPtr<LKeyParam>& param) override;
    // Advances auto repeat and ends a simulated click that has run its time.
    void OnIdleTick() override;
    // The button's own text when it does not fit the text area of the active look; else the
    // control's tool-tip text.
    WString GetToolTipText() const override;

    // Each click sets (radio) or toggles the value. S_OK.
    virtual ORVRESULT SetAutoValue(bool autoValue);
    // Member of the radio group made of its radio siblings. S_OK.
    virtual ORVRESULT SetRadio(bool radio);
    // SetValue with 1.0 or 0.0; whether the button is checked afterwards.
    virtual bool SetChecked(bool checked);
    // Chooses the active look from the state.
    virtual void UpdateLook();
    // Presses the button for a moment and then clicks it: the click's effects come
    // kSimulatedClickTime later. A click still running is finished at once first. Ignored on a
    // button that is disabled or under a disabled ancestor.
    virtual void SimulateClick();

    bool IsChecked() const { return GetValue() >= 0.5; }
    bool IsAutoValue() const { return mAutoValue; }
    bool IsRadio() const { return mRadio; }

    // Sends "NID_BUTTON_AUTOREPEAT" while held (set by owning controls).
    void SetAutoRepeat(bool autoRepeat) { mAutoRepeat = autoRepeat; }
    bool IsAutoRepeat() const { return mAutoRepeat; }
    // Whether auto repeat is running. Clearing it ends the repeat (its idle request is given
    // back); setting it is ignored, as a repeat starts only with a press.
    void SetRepeating(bool repeating);
    bool IsRepeating() const { return mRepeating; }
    // A passive button ignores the mouse: it is never hit and keeps the look its owner gives it.
    void SetPassive(bool passive) { mPassive = passive; }
    bool IsPassive() const { return mPassive; }
    // The pressed look stays while the button holds the capture, also off the button.
    void SetKeepPressedLook(bool keep) { mKeepPressedLook = keep; }
    bool IsKeepPressedLook() const { return mKeepPressedLook; }
    // Set by lists whose entries carry icons.
    void SetHasIcon(bool hasIcon) { mHasIcon = hasIcon; }
    bool HasIcon() const { return mHasIcon; }
    // Whether a simulated click is running.
    bool IsSimulatingClick() const { return mSimulatingClick; }

private:
    ORVRESULT OnSimulateClick(const RCPtr<LNotificationDistributor>& source,
                              const RCPtr<LNotification>& notification);
    // The application's clock in seconds (0 without a root window).
    double Now() const;
    void SendAutoRepeat();
    // The click a simulated click ends with.
    void FinishSimulatedClick();
    // The one idle request of the timers: taken when the first timer starts, given back when
    // both have ended.
    void UpdateIdleRequest();

    RCPtr<LNotificationHandler<LButton>> mButtonHandler;
    bool mAutoValue = false;
    bool mRadio = false;
    bool mAutoRepeat = false;
    bool mPassive = false;
    bool mRepeating = false;
    bool mKeepPressedLook = false;
    bool mHasIcon = false;
    double mRepeatInterval = kRepeatInterval;
    double mFirstRepeatDelay = kFirstRepeatDelay;
    double mLastRepeatTick = 0;
    double mTimeToNextRepeat = 0;
    double mSimulatedClickTime = kSimulatedClickTime;
    double mSimulatedClickStart = 0;
    bool mSimulatingClick = false;
    bool mHoldsIdle = false;
};
} // namespace Orv
