// A number field ("Framework.NumericUpDown"): a panel holding a text box "textBox" and two
// buttons "buttonUp" and "buttonDown". The value is the control's value, mapped onto its value
// range; the text box always shows the mapped value with a fixed number of decimals. The buttons
// repeat while held and step the value; Up and Down click them. Typing is limited to the
// characters a number of the range can need, and the text is checked and normalized through the
// text box's validation: text that is no number of the allowed shape is replaced by the current
// value's text, a number outside the range is clamped.
//
// The field re-sends the text box's "NID_TEXTBOX_VALIDATING" and "NID_TEXTBOX_VALIDATED" from its
// own distributor with the same parameter (a receiver of the first may refuse the text), and
// "NID_VALUE_CHANGE" goes out whenever the value changes.
//
// UI thread only.
#pragma once

#include "Controls/Button.h"
#include "Controls/Panel.h"
#include "Controls/TextBox.h"

namespace Orv
{
class LNumericUpDown : public LPanel
{
public:
    LNumericUpDown(const RCPtr<LControl>& parent, const RCPtr<LControlDescriptor>& descriptor);
    LNumericUpDown(const RCPtr<LControl>& parent, const WString& name);
    ~LNumericUpDown() override;

    // The field's handler table first (once created), then the panel's chain.
    ORVRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                  const RCPtr<LNotification>& notification) override;
    ORVRESULT Unregister(const RCPtr<LNotificationDistributor>& source,
                         const wchar_t* name) override;

    // The panel's; then the children, the buttons' repeat, the allowed characters and the
    // subscriptions (once). The panel's result.
    ORVRESULT Initialize() override;
    // The field takes the focus, its buttons never do.
    void OnCreated() override;
    // The text read as a number becomes the value. S_OK.
    ORVRESULT SetText(const WString& text) override;
    // The text box shows the new value and validates it.
    void OnValueChangeHook() override;
    // The control's checks; then the allowed characters and the text follow the range.
    ORVRESULT SetValueRange(double minimum, double maximum, int scale) override;
    // Up and Down (pressed, without modifiers) click the buttons; other keys go to the panel.
    ORVRESULT RouteSiblingKey(const RCPtr<LKeyParam>& param) override;

    // The text box's character set: the digits, "." with decimals, "-" for a range below 0.
    void UpdateAllowedCharacters();
    // The mapped value with the decimals ("%0.<decimals>f").
    WString FormatValueText() const;
    // The position (0..1) of a value of the range, clamped to the range; 0 for an empty range.
    double ValueToNormalized(double value) const;

    // The change of the value per button repeat (1 at first).
    void SetStep(double step) { mStep = step; }
    double GetStep() const { return mStep; }
    // The digits after the decimal point (0 at first, not below 0); the allowed characters and
    // the text follow.
    void SetDecimals(int decimals);
    int GetDecimals() const { return mDecimals; }

    const RCPtr<LTextBox>& GetTextBox() const { return mTextBox; }
    const RCPtr<LButton>& GetUpButton() const { return mUpButton; }
    const RCPtr<LButton>& GetDownButton() const { return mDownButton; }

private:
    ORVRESULT OnButtonAutoRepeat(const RCPtr<LNotificationDistributor>& source,
                                 const RCPtr<LNotification>& notification);
    ORVRESULT OnTextBoxValidating(const RCPtr<LNotificationDistributor>& source,
                                  const RCPtr<LNotification>& notification);
    ORVRESULT OnTextBoxValidated(const RCPtr<LNotificationDistributor>& source,
                                 const RCPtr<LNotification>& notification);
    void ShowValueText();

    RCPtr<LNotificationHandler<LNumericUpDown>> mNumericHandler;
    RCPtr<LTextBox> mTextBox;
    RCPtr<LButton> mUpButton;
    RCPtr<LButton> mDownButton;
    double mStep = 1.0;
    int mDecimals = 0;
};
} // namespace Orv
