// What a control asks of its tool tip. The tool tip is a control of the core controls, above the
// control model; it implements this interface, and a control reaches it only through it.
//
// UI thread only.
#pragma once

#include "platform/Types.h"

namespace Orv
{
class IToolTip
{
public:
    virtual ~IToolTip() = default;

    // Arms the tool tip: it shows after its delay. The text is the control's text (SetText).
    virtual ORVRESULT BeginShow() = 0;
    // Hides the tool tip and disarms it.
    virtual ORVRESULT Hide() = 0;
};
} // namespace Orv
