// What the application asks of its main window's status bar. The status bar is a control of the
// further controls, above the application framework; it implements this interface, and the
// application reaches it only through it (LFrameworkApp::SetStatusText, RestoreStatusText).
//
// UI thread only, except QueueStatusText, which any thread may call.
#pragma once

#include "Utilities/Storage/StringT.h"

#include "platform/Types.h"

namespace Orv
{
class IStatusBar
{
public:
    virtual ~IStatusBar() = default;

    // Delivers the texts still queued, then shows text at once and repaints. S_OK.
    virtual ORVRESULT SetStatusText(const WString& text) = 0;
    // Posts text into the status bar's own queue; it shows at a later idle pass. The result of
    // the post.
    virtual ORVRESULT QueueStatusText(const WString& text) = 0;
    // The status bar's own text (its "LABEL" string), which a restore shows again.
    virtual WString GetDefaultText() const = 0;
};
} // namespace Orv
