// Menus and their items: building a tree, taking it apart, copying it.
#include "ControlBase/MenuDescriptor.h"
#include "ControlBase/MenuItemDescriptor.h"

namespace Orv
{
RCPtr<LMenuDescriptor> LMenuDescriptor::Create()
{
    return RCPtr<LMenuDescriptor>(new LMenuDescriptor());
}

LMenuDescriptor::~LMenuDescriptor() = default;

void LMenuDescriptor::SetParent(LMenuDescriptor* parent)
{
    if (mParent.Get() == parent)
    {
        return;
    }
    if (mParent)
    {
        // The mark goes before the reference, so that the parent never sees one reference
        // fewer than it has.
        const RCPtr<LMenuDescriptor> old = std::move(mParent);
        old->ReleaseInternalReference();
    }
    if (parent != nullptr)
    {
        mParent = parent;
        parent->AddInternalReference();
    }
}

ORVRESULT LMenuDescriptor::InsertItem(unsigned int index, const RCPtr<LMenuItemDescriptor>& item)
{
    if (!item || item->mParent)
    {
        return E_INVALIDARG;
    }
    // An item may not hold the menu it is inserted into, nor one that encloses it.
    for (const LMenuDescriptor* menu = this; menu != nullptr; menu = menu->mParent.Get())
    {
        if (menu == static_cast<const LMenuDescriptor*>(item.Get()))
        {
            return E_INVALIDARG;
        }
    }
    const ORVRESULT result = mItems.InsertItem(index, item);
    if (SUCCEEDED(result))
    {
        item->SetParent(this);
    }
    return result;
}

ORVRESULT LMenuDescriptor::InsertItem(unsigned int index, const WString& label,
                                      const WString& notificationName, bool enabled, bool checked)
{
    return InsertItem(index,
                      LMenuItemDescriptor::CreateItem(label, notificationName, enabled, checked));
}

ORVRESULT LMenuDescriptor::InsertSeparator(unsigned int index)
{
    return InsertItem(index, LMenuItemDescriptor::CreateSeparator());
}

ORVRESULT LMenuDescriptor::Clear()
{
    // The items may hold the last references to this menu.
    const RCPtr<LMenuDescriptor> self(this);
    while (mItems.GetCount() > 0)
    {
        RCPtr<LMenuItemDescriptor> item;
        const unsigned int last = mItems.GetCount() - 1;
        item = mItems.GetConstElementPointer(last);
        item->SetParent(nullptr);
        mItems.RemoveItem(last, item);
    }
    SetParent(nullptr);
    return S_OK;
}

ORVRESULT LMenuDescriptor::GetItemInfo(unsigned int index, MenuItemInfo& info) const
{
    if (index >= mItems.GetCount())
    {
        info = MenuItemInfo();
        return E_INVALIDARG;
    }
    const RCPtr<LMenuItemDescriptor>& item = mItems.GetConstElementPointer(index);
    info.enabled = item->IsEnabled();
    info.checked = item->IsChecked();
    info.label = item->GetLabel();
    return S_OK;
}

RCPtr<LMenuItemDescriptor> LMenuDescriptor::GetItem(unsigned int index) const
{
    return index < mItems.GetCount() ? mItems.GetConstElementPointer(index) : nullptr;
}

void LMenuDescriptor::CloneItemsInto(LMenuDescriptor& copy) const
{
    for (unsigned int i = 0; i < mItems.GetCount(); ++i)
    {
        copy.InsertItem(copy.GetItemCount(), mItems.GetConstElementPointer(i)->CloneItem());
    }
}

RCPtr<LMenuDescriptor> LMenuDescriptor::Clone() const
{
    const RCPtr<LMenuDescriptor> copy = Create();
    CloneItemsInto(*copy);
    return copy;
}

ORVRESULT LMenuDescriptor::ReleaseInternalReferences()
{
    // Only the items' references back to this menu are left.
    Clear();
    return GetInternalRefCount() == 0 && GetRefCount() == 1 ? S_OK : E_FAIL;
}

RCPtr<LMenuItemDescriptor> LMenuItemDescriptor::CreateItem(const WString& label,
                                                           const WString& notificationName,
                                                           bool enabled, bool checked)
{
    RCPtr<LMenuItemDescriptor> item(new LMenuItemDescriptor());
    item->mLabel = label;
    item->mNotificationName = notificationName;
    item->mEnabled = enabled;
    item->mChecked = checked;
    return item;
}

RCPtr<LMenuItemDescriptor> LMenuItemDescriptor::CreateSeparator()
{
    RCPtr<LMenuItemDescriptor> item(new LMenuItemDescriptor());
    item->mEnabled = true;
    item->mSeparator = true;
    return item;
}

RCPtr<LMenuItemDescriptor> LMenuItemDescriptor::CloneItem() const
{
    RCPtr<LMenuItemDescriptor> copy(new LMenuItemDescriptor());
    copy->mLabel = mLabel;
    copy->mStatusText = mStatusText;
    copy->mHotKeyText = mHotKeyText;
    copy->mNotificationName = mNotificationName;
    copy->mEnabled = mEnabled;
    copy->mChecked = mChecked;
    copy->mSeparator = mSeparator;
    CloneItemsInto(*copy);
    return copy;
}
} // namespace Orv
