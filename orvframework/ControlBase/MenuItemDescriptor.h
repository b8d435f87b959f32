// One entry of a menu: an action that fires a notification when chosen, an entry that opens a
// sub-menu (its own items), or a separator. Its text (ToString) is its label.
#pragma once

#include "ControlBase/MenuDescriptor.h"

namespace Orv
{
class LMenuItemDescriptor : public LMenuDescriptor
{
public:
    // A new action item (not a separator).
    static RCPtr<LMenuItemDescriptor>
    CreateItem(const WString& label, const WString& notificationName, bool enabled, bool checked);
    // A new separator: empty label and notification name, enabled, not checked.
    static RCPtr<LMenuItemDescriptor> CreateSeparator();

    // A deep copy of the item, with its sub-menu; it belongs to no menu.
    RCPtr<LMenuItemDescriptor> CloneItem() const;

    // The label.
    WString ToString() const override { return mLabel; }

    const WString& GetLabel() const { return mLabel; }
    void SetLabel(const WString& label) { mLabel = label; }
    // Nothing in the framework sets it; it is copied with the item.
    const WString& GetStatusText() const { return mStatusText; }
    void SetStatusText(const WString& text) { mStatusText = text; }
    // Shown right of the label.
    const WString& GetHotKeyText() const { return mHotKeyText; }
    void SetHotKeyText(const WString& text) { mHotKeyText = text; }
    // The notification ("NID_...") the item fires; empty for sub-menu entries and separators.
    const WString& GetNotificationName() const { return mNotificationName; }
    void SetNotificationName(const WString& name) { mNotificationName = name; }
    bool IsEnabled() const { return mEnabled; }
    void SetEnabled(bool enabled) { mEnabled = enabled; }
    bool IsChecked() const { return mChecked; }
    void SetChecked(bool checked) { mChecked = checked; }
    bool IsSeparator() const { return mSeparator; }
    // An item with items of its own opens them as its sub-menu.
    bool HasSubMenu() const { return GetItemCount() > 0; }

private:
    LMenuItemDescriptor() = default;

    WString mLabel;
    WString mStatusText;
    WString mHotKeyText;
    WString mNotificationName;
    bool mEnabled = false;
    bool mChecked = false;
    bool mSeparator = false;
};
} // namespace Orv
