// A drop-down control that shows a number and opens a panel with a slider to change it
// ("Framework.ComboSlider"). The panel is the child "dropDownPanel", the slider the panel's child
// "slider"; the combo slider and its slider hold the same normalized value, mirrored both ways.
// The text is the value in the combo slider's own range (SetValueRange; 0 to 0 until the
// application sets one), without decimals.
//
// "NID_VALUE_CHANGE" goes out with the normalized value and its value in the range, as every
// value notification: on each change, and once more when the slider echoes a value or ends a
// drag.
//
// Looks: those of the combo box (0 to 6). Without a panel the combo slider shows its value but
// opens nothing; without a slider the mirroring is skipped. UI thread only.
#pragma once

#include "Controls/DropDownControl.h"

namespace Orv
{
class LPanel;
class LSlider;

class LComboSlider : public LDropDownControl
{
public:
    LComboSlider(const RCPtr<LControl>& parent, const RCPtr<LControlDescriptor>& descriptor);
    ~LComboSlider() override;

    // The slider first, then the control's value. The stored value.
    double SetValue(double value) override;
    // The slider follows and the text shows the value in the range.
    void OnValueChangeHook() override;
    // The drop-down's reaction, then the look.
    void OnConditionsChange(const RCPtr<LConditionsParam>& param) override;
    // Closed: Down or Return opens. Open: Escape closes. S_OK taken, S_FALSE not.
    ORVRESULT HandleUnusedKey(const RCPtr<LKeyParam>& param) override;
    // Escape closes the panel; no key goes further.
    ORVRESULT RouteSiblingKey(const RCPtr<LKeyParam>& param) override;
    // The drop-down's; the panel hidden, the slider followed and set to report drag ends.
    // S_OK also without a panel.
    ORVRESULT Initialize() override;
    // The panel is visible with a positive size.
    bool IsDropDownShown() override;
    // Opens the panel at the skin's place, kept within the window's width, or closes it. E_FAIL
    // without a panel.
    ORVRESULT ShowDropDown(bool show) override;

    ORVRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                  const RCPtr<LNotification>& notification) override;
    ORVRESULT Unregister(const RCPtr<LNotificationDistributor>& source,
                         const wchar_t* name) override;

    const RCPtr<LPanel>& GetPanel() const { return mPanel; }
    // The panel's child "slider"; null when there is none.
    RCPtr<LSlider> GetSlider() const;

private:
    void UpdateLook();
    ORVRESULT OnSliderValueChange(const RCPtr<LNotificationDistributor>& source,
                                  const RCPtr<LNotification>& notification);

    RCPtr<LNotificationHandler<LComboSlider>> mHandler;
    RCPtr<LPanel> mPanel;
    // The panel's horizontal position that the skin gives.
    double mPanelX = 0;
};
} // namespace Orv
