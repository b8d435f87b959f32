// One line of status text, shown by the child label "label1". A text is set at once, or posted
// from any thread as "NID_SET_STATUS_TEXT" into the status bar's own notification queue, which
// the UI thread drains at idle time; of the texts posted before a drain only the latest shows.
// The default text is the status bar's "LABEL" string, which a restore shows again. The
// application reaches its main window's status bar (the root control's child "statusBar")
// through IStatusBar.
//
// The queue part holds the status bar (its posting side and its target are internal references);
// ReleaseInternalReferences detaches it, so the status bar dies with its last outside reference.
//
// UI thread only, except QueueStatusText.
#pragma once

#include "ControlBase/Control.h"
#include "ControlBase/StatusBarInterface.h"
#include "Controls/Label.h"
#include "notification/NotificationHandler.h"
#include "notification/NotificationQueue.h"

namespace Orv
{
class LStatusBar : public LControl, public LNotificationQueue, public IStatusBar
{
public:
    LStatusBar(const RCPtr<LControl>& parent, const RCPtr<LControlDescriptor>& descriptor);
    ~LStatusBar() override;

    // Detach is the control's (leaving the tree); the queue's is LNotificationQueue::Detach.
    using LControl::Detach;

    // The base's, then: the handler of its own "NID_SET_STATUS_TEXT" (latest only), the queue
    // delivering through the status bar, the idle subscription, "label1", the default text. The
    // base's result.
    ORVRESULT Initialize() override;
    // The base's, then not focusable.
    ORVRESULT ReadCreateParams() override;
    // Drains the queue.
    void OnIdleTick() override;
    // Detaches the queue, then the base's.
    ORVRESULT ReleaseInternalReferences() override;

    // IStatusBar. SetStatusText: E_FAIL (nothing shown) without a label.
    ORVRESULT SetStatusText(const WString& text) override;
    ORVRESULT QueueStatusText(const WString& text) override;
    WString GetDefaultText() const override { return mDefaultText; }

    // The label's text; empty without a label.
    WString GetStatusText() const;
    const RCPtr<LLabel>& GetLabel() const { return mLabel; }

    // The status bar's own table first, then the base's.
    ORVRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                  const RCPtr<LNotification>& notification) override;
    ORVRESULT Unregister(const RCPtr<LNotificationDistributor>& source,
                         const wchar_t* name) override;

private:
    // "NID_SET_STATUS_TEXT": the parameter's text to the label. 1.
    ORVRESULT OnSetStatusText(const RCPtr<LNotificationDistributor>& source,
                              const RCPtr<LNotification>& notification);

    RCPtr<LNotificationHandler<LStatusBar>> mStatusHandler;
    RCPtr<LLabel> mLabel;
    WString mDefaultText;
};
} // namespace Orv
