// What a control asks of the popup menu that shows its context menu. The popup menu is a control
// of the core controls, above the control model; it implements this interface, and a control
// reaches it only through it.
//
// UI thread only.
#pragma once

#include "ControlBase/MenuDescriptor.h"

namespace Orv
{
class IPopupMenu
{
public:
    virtual ~IPopupMenu() = default;

    // Shows menu's items as the popup's rows (the popup keeps a clone). E_INVALIDARG for null.
    virtual ORVRESULT ShowMenu(const ConstRCPtr<LMenuDescriptor>& menu) = 0;
    // Places the popup at the pointer inside the root window, shows it and gives it the focus.
    virtual void PlaceInRoot() = 0;
};
} // namespace Orv
