#include "Controls/ListBoxItem.h"

#include <cmath>

namespace Orv
{
LListBoxItem::LListBoxItem(const RCPtr<LControl>& parent,
                           const RCPtr<LControlDescriptor>& descriptor)
    : LControl(parent, descriptor)
{
}

LListBoxItem::LListBoxItem(const RCPtr<LControl>& parent, const WString& name)
    : LControl(parent, name)
{
}

LListBoxItem::~LListBoxItem() = default;

int LListBoxItem::GetLookIndex(bool) const
{
    const bool selected = GetValue() >= 0.5;
    if (mIsSeparator)
    {
        return kLookSeparator;
    }
    if (!IsEnabled(true))
    {
        return selected ? kLookSeparator : kLookUnselectedDisabled;
    }
    const DWORD conditions = GetConditions();
    const bool hovered = (conditions & kHoverOrForced) != 0;
    const bool captured = (conditions & kCapture) != 0;
    const bool leftDrag = (conditions & kLeftDrag) != 0;
    const int base = (selected ? kLookSelected : kLookUnselected) +
                     (mHasSubMenu ? kSubMenuOffset : 0);
    if (captured && leftDrag)
    {
        // Pressed over the row; dragged off it, the hover look.
        return base + (hovered ? 2 : 1);
    }
    if (hovered && !captured)
    {
        return base + 1;
    }
    return base;
}

void LListBoxItem::RefreshLook()
{
    SetActiveLook(GetLookIndex(true));
    InvalidateAll();
}

void LListBoxItem::OnValueChangeHook()
{
    RefreshLook();
}

void LListBoxItem::OnConditionsChange(const RCPtr<LConditionsParam>&)
{
    RefreshLook();
}

void LListBoxItem::OnCreated()
{
    SetNotFocusable(true);
}

WString LListBoxItem::GetToolTipText() const
{
    if (MeasureTextWidth())
    {
        return GetText();
    }
    return LControl::GetToolTipText();
}

ORVRESULT LListBoxItem::OnMouseButtonDown(DWORD button, LONG x, LONG y)
{
    if (mPressMovedAway)
    {
        mPressMovedAway = false;
        return S_FALSE;
    }
    if (mForwardMouseDown && GetParent())
    {
        const RCPtr<LControl> parent = GetParent();
        const RectT<double> rect = GetRect();
        return parent->OnMouseButtonDown(button, x + static_cast<LONG>(std::round(rect.x)),
                                         y + static_cast<LONG>(std::round(rect.y)));
    }
    return LControl::OnMouseButtonDown(button, x, y);
}

void LListBoxItem::SetSeparator(bool separator)
{
    if (separator == mIsSeparator)
    {
        return;
    }
    mIsSeparator = separator;
    if (separator)
    {
        SetText(WString());
    }
    RefreshLook();
}

void LListBoxItem::SetHasSubMenu(bool hasSubMenu)
{
    if (hasSubMenu == mHasSubMenu)
    {
        return;
    }
    mHasSubMenu = hasSubMenu;
    RefreshLook();
}
} // namespace Orv
