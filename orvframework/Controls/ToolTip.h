// A control's tool tip: it shows the control's tool-tip text near the pointer after a delay, and
// hides again after a while or when the pointer leaves. The control makes it as its child
// "toolTip" from the skin's descriptor of that name, gives it the text and arms it (BeginShow);
// it hides it (Hide) when the pointer leaves (LControl::ShowToolTip).
//
// States: hidden -> waiting on BeginShow; waiting -> shown after more than 500 ms; shown -> hidden
// after more than 5000 ms or on Hide. A tip armed within 50 ms of the moment a shown tip was last
// hidden shows at once, so that moving from one control to the next shows the next tip without
// the delay. Times are the application's millisecond clock, compared as unsigned differences. The
// tip holds one idle request while it waits or shows.
//
// UI thread only.
#pragma once

#include "ControlBase/Control.h"
#include "ControlBase/ToolTipInterface.h"

namespace Orv
{
class LToolTip : public LControl, public IToolTip
{
public:
    enum State
    {
        kHidden = 0,
        kWaiting = 1,
        kShown = 2,
    };
    // A tip shows once more than this has passed since it was armed.
    static constexpr DWORD kShowDelayMs = 500;
    // A shown tip hides once more than this has passed since it showed.
    static constexpr DWORD kShowTimeMs = 5000;
    // A tip armed less than this after a shown tip was hidden shows at once.
    static constexpr DWORD kQuickShowMs = 50;
    // The tip sits this far below the pointer.
    static constexpr LONG kPointerOffsetY = 20;
    // The widest tip leaves this much of the root window's width free.
    static constexpr LONG kRootWidthMargin = 8;

    LToolTip(const RCPtr<LControl>& parent, const RCPtr<LControlDescriptor>& descriptor);
    ~LToolTip() override;

    // Limits the tip's width to the root window's, and shows it after the delay (at once when a
    // tip was hidden just before). S_OK.
    ORVRESULT BeginShow() override;
    // Hides the tip and takes it out of its parent. S_OK.
    ORVRESULT Hide() override;
    // Advances the states.
    void OnIdleTick() override;
    // The tip is made hidden, and left out of the search for the control under the pointer.
    void OnCreated() override;

    int GetState() const { return mState; }
    // When a shown tip was last hidden (the clock of the application), shared by every tip; false
    // when none has been yet.
    static bool GetLastHideTime(DWORD& time);

private:
    // Moves the tip to the pointer, inside the root window, and shows it.
    void PlaceAndShow(const RCPtr<IRootWindow>& window);
    // The clock of the tree's root window; 0 without one.
    DWORD Now() const;

    int mState = kHidden;
    DWORD mStartTime = 0;
};
} // namespace Orv
