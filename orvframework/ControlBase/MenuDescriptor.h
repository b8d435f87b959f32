// One level of a menu, independent of any control: its items in display order, each an
// LMenuItemDescriptor whose own items are its sub-menu. Context menus, the menus of the main menu
// bar, popup menus and the text box's edit menu are all such trees. A tree is assembled in code
// (InsertItem, InsertSeparator) or read from (key, text) pairs of a control's create parameters or
// string table (BuildFromStringPairs, MenuDescriptorStrings.cpp).
//
// An item holds its parent menu; that reference counts as an internal reference of the parent, so
// that a menu and its items, which hold each other, take themselves apart (Clear) once no outside
// reference to the menu is left. The data model is a tree: an item belongs to one menu at a time.
//
// UI thread only. A popup shows a clone, so the caller's tree is never changed while shown.
#pragma once

#include "ObjectBase/TaggableObject.h"
#include "Utilities/Storage/RCPtrArray.h"
#include "Utilities/Storage/StringT.h"

#include <utility>
#include <vector>

namespace Orv
{
class LMenuItemDescriptor;

// The state of an item that menus exchange with the control that brings it up to date.
struct MenuItemInfo
{
    bool enabled = false;
    bool checked = false;
    WString label;
};

class LMenuDescriptor : public virtual LTaggableObject
{
public:
    using Items = RCPtrArray<LMenuItemDescriptor>;
    // (key, text) pairs as a control's create parameters or string table give them.
    using StringPairs = std::vector<std::pair<WString, WString>>;

    // A new root menu without items.
    static RCPtr<LMenuDescriptor> Create();
    ~LMenuDescriptor() override;
    LMenuDescriptor(const LMenuDescriptor&) = delete;
    LMenuDescriptor& operator=(const LMenuDescriptor&) = delete;

    // Inserts item at index and makes this menu its parent. E_INVALIDARG for a null item, an item
    // that belongs to a menu already, or this menu or one of its enclosing menus (no cycles);
    // otherwise the items array's result: E_INVALIDARG for an index past the end, not negative
    // on success.
    ORVRESULT InsertItem(unsigned int index, const RCPtr<LMenuItemDescriptor>& item);
    // An action item (LMenuItemDescriptor::CreateItem) inserted as above.
    ORVRESULT InsertItem(unsigned int index, const WString& label, const WString& notificationName,
                         bool enabled, bool checked);
    // A separator (LMenuItemDescriptor::CreateSeparator) inserted as above.
    ORVRESULT InsertSeparator(unsigned int index);
    // Takes the items out, the last first, each leaving this menu as parent, then leaves this
    // menu's own parent. S_OK.
    ORVRESULT Clear();
    // The enabled, checked and label fields of the item at index. E_INVALIDARG, and info reset to
    // (false, false, empty), for an index at or past the count.
    ORVRESULT GetItemInfo(unsigned int index, MenuItemInfo& info) const;
    // A deep copy: a new root whose items are clones of this menu's items, sub-menus included.
    RCPtr<LMenuDescriptor> Clone() const;

    // Reads a menu from (key, text) pairs (see MenuDescriptorStrings.cpp). Entries that cannot
    // be built are left out; each is reported in the debug output and, when problems is given,
    // described there. Null only when the menu could not be made at all.
    static RCPtr<LMenuDescriptor> BuildFromStringPairs(const StringPairs& pairs,
                                                       std::vector<WString>* problems = nullptr);

    const Items& GetItems() const { return mItems; }
    unsigned int GetItemCount() const { return mItems.GetCount(); }
    // The item at index; null past the end.
    RCPtr<LMenuItemDescriptor> GetItem(unsigned int index) const;
    // The menu that holds this one as an item; null for a root.
    const RCPtr<LMenuDescriptor>& GetParent() const { return mParent; }

    // Only internal references are left: the menu clears itself. S_OK when afterwards only the
    // reference being released remains, else E_FAIL.
    ORVRESULT ReleaseInternalReferences() override;

protected:
    LMenuDescriptor() = default;

    // Copies this menu's items, cloned, into copy.
    void CloneItemsInto(LMenuDescriptor& copy) const;

private:
    // Sets the parent, counted as an internal reference of the parent while it is set.
    void SetParent(LMenuDescriptor* parent);

    Items mItems;
    RCPtr<LMenuDescriptor> mParent;
};
} // namespace Orv
