// The application's clipboard: plain text on the system clipboard, the last text kept so that
// repeated reads cost nothing, and the edit requests ("NID_EDIT_CUT_REQ", "NID_EDIT_COPY_REQ",
// "NID_EDIT_PASTE_REQ", "NID_EDIT_DELETE_REQ") of the "application" center turned into edit
// commands for the control that has the focus.
//
// The kept text is used only while the clipboard's sequence number is the one at which it was
// read or written; a write that fails leaves the kept text and its number as they were. Text
// this program wrote carries a private marker format, which tells other readers it is ours.
//
// UI thread only.
#pragma once

#include "notification/NotificationClient.h"

#include "Utilities/Storage/StringT.h"

namespace Orv
{
class LClipboard : public virtual LNotificationClient
{
public:
    // The private format that marks text this program placed.
    static constexpr UINT kMarkerFormat = 0x0200;

    static RCPtr<LClipboard> Create();
    ~LClipboard() override;

    // Subscribes to the edit requests at the "application" center. Throws "Failed Result" when
    // a subscription fails.
    ORVRESULT Initialize();
    // The clipboard's text (the kept text when nothing changed since it was read or written, or
    // when the clipboard holds no text).
    WString GetText();
    // Places text on the clipboard: 0; 1 while a write is under way; E_FAIL when the clipboard
    // could not be written (the kept text unchanged). A null text only drops the kept text.
    ORVRESULT SetText(const WString* text);
    ORVRESULT SetText(const WString& text) { return SetText(&text); }
    // Whether the focus control of the active root window can perform the command now.
    bool RouteEditCommand(int command);
    // That control's result of the command; 1 when no control performs it.
    ORVRESULT PerformEditCommand(int command);

    ORVRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                  const RCPtr<LNotification>& notification) override;

private:
    LClipboard() = default;

    WString mText;
    DWORD mSequence = 0;
    bool mBusy = false;
};
} // namespace Orv
