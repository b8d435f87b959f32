// The row control of the lists ("Framework.ListBoxItem", "Framework.OverlayButton"): it shows
// one item's text, its selection and its hover or press state through one of fourteen looks.
// A list makes a few of them and refills them as it scrolls; a row never takes the focus (the
// list has it).
//
// Looks: 0 Unselected, 1 UnselectedHover, 2 UnselectedPressed, 3 UnselectedSubMenu,
// 4 UnselectedSubMenuHover, 5 UnselectedSubMenuPressed, 6 UnselectedDisabled, 7 Selected,
// 8 SelectedHover, 9 SelectedPressed, 10 SelectedSubMenu, 11 SelectedSubMenuHover,
// 12 SelectedSubMenuPressed, 13 Separator. Selected means a value of 0.5 or more.
//
// UI thread only.
#pragma once

#include "ControlBase/Control.h"

namespace Orv
{
class LListBoxItem : public LControl
{
public:
    enum Look
    {
        kLookUnselected = 0,
        kLookUnselectedHover = 1,
        kLookUnselectedPressed = 2,
        kLookUnselectedSubMenu = 3,
        kLookUnselectedSubMenuHover = 4,
        kLookUnselectedSubMenuPressed = 5,
        kLookUnselectedDisabled = 6,
        kLookSelected = 7,
        kLookSelectedHover = 8,
        kLookSelectedPressed = 9,
        kLookSelectedSubMenu = 10,
        kLookSelectedSubMenuHover = 11,
        kLookSelectedSubMenuPressed = 12,
        kLookSeparator = 13,
    };
    // The sub-menu looks follow the plain ones at this distance.
    static constexpr int kSubMenuOffset = 3;

    LListBoxItem(const RCPtr<LControl>& parent, const RCPtr<LControlDescriptor>& descriptor);
    LListBoxItem(const RCPtr<LControl>& parent, const WString& name);
    ~LListBoxItem() override;

    // The look the state gives: separator 13; disabled 6 (13 when selected); pressed (capture,
    // left drag and hover) 2; captured with a left drag off the row, or hovered without the
    // capture, 1; otherwise 0; selected adds 7, a sub-menu item 3. Every caller passes true.
    virtual int GetLookIndex(bool current) const;

    // The value and the conditions choose the look (RefreshLook).
    void OnValueChangeHook() override;
    void OnConditionsChange(const RCPtr<LConditionsParam>& param) override;
    // A row never takes the keyboard focus.
    void OnCreated() override;
    // A text wider than the row's text area is its own tool tip; else the control's tool tip.
    WString GetToolTipText() const override;
    // With forwardMouseDown set, the press goes to the parent (the point moved into the parent's
    // coordinates) and the row does nothing; else the control's.
    ORVRESULT OnMouseButtonDown(DWORD button, LONG x, LONG y) override;

    // The look of GetLookIndex, and the whole row redrawn.
    void RefreshLook();
    // Stores the flag (nothing when it has that state already); a separator loses its text.
    void SetSeparator(bool separator);
    bool IsSeparator() const { return mIsSeparator; }
    // The sub-menu looks; the look follows at once.
    void SetHasSubMenu(bool hasSubMenu);
    bool HasSubMenu() const { return mHasSubMenu; }
    // Set by a list in size-to-content (menu) mode: presses go to the list.
    void SetForwardMouseDown(bool forward) { mForwardMouseDown = forward; }
    bool GetForwardMouseDown() const { return mForwardMouseDown; }
    // The list moved the press being delivered to another row (the item scrolled there): the
    // row's own capture step for this press is skipped.
    void SetPressMovedAway() { mPressMovedAway = true; }

private:
    bool mHasSubMenu = false;
    bool mForwardMouseDown = false;
    bool mIsSeparator = false;
    bool mPressMovedAway = false;
};
} // namespace Orv
