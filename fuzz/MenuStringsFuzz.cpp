// Fuzz target of the menu-string reader (the menus of a control's create parameters and string
// table).
//
// Input: UTF-8 text, one (key, text) pair a line, the key before the first "=" (a line without
// one is a key with an empty text). The pairs go to the reader in the input's order, sorted or
// not.
//
// What must hold: a menu is always made; every item's parent is the menu that holds it; a
// separator has no items and no notification; a sub-menu entry has no notification; the tree is
// no deeper than the reader's limit and holds no more items than its limit; the item states read
// back as set; a clone has the same shape and texts and shares no item; releasing the menu frees
// every item (the leak check sees what is left).
#include "ControlBase/MenuDescriptor.h"
#include "ControlBase/MenuItemDescriptor.h"
#include "FuzzSupport.h"

#include <cstdint>
#include <string>

namespace
{
using namespace Orv;

constexpr int kDepthLimit = 33;
constexpr int kItemLimit = 4096;

// Checks menu and its sub-menus; the number of items.
int CheckMenu(const LMenuDescriptor& menu, int depth)
{
    ORV_FUZZ_CHECK(depth <= kDepthLimit, "menu nested deeper than the limit");
    int items = 0;
    for (unsigned int i = 0; i < menu.GetItemCount(); ++i)
    {
        const RCPtr<LMenuItemDescriptor> item = menu.GetItem(i);
        ORV_FUZZ_CHECK(item, "null item");
        ORV_FUZZ_CHECK(item->GetParent().Get() == &menu, "item's parent is not its menu");
        if (item->IsSeparator())
        {
            ORV_FUZZ_CHECK(!item->HasSubMenu(), "separator with items");
            ORV_FUZZ_CHECK(item->GetNotificationName().IsEmpty(), "separator with a notification");
        }
        if (item->HasSubMenu())
        {
            ORV_FUZZ_CHECK(item->GetNotificationName().IsEmpty(),
                           "sub-menu entry with a notification");
        }
        MenuItemInfo info;
        ORV_FUZZ_CHECK(menu.GetItemInfo(i, info) == S_OK, "item info of an item");
        ORV_FUZZ_CHECK(info.enabled && !info.checked, "read items are enabled and unchecked");
        ORV_FUZZ_CHECK(info.label == item->GetLabel(), "item info label");
        items += 1 + CheckMenu(*item, depth + 1);
    }
    MenuItemInfo past;
    ORV_FUZZ_CHECK(menu.GetItemInfo(menu.GetItemCount(), past) == E_INVALIDARG,
                   "item info past the end");
    return items;
}

void CheckSameShape(const LMenuDescriptor& a, const LMenuDescriptor& b)
{
    ORV_FUZZ_CHECK(a.GetItemCount() == b.GetItemCount(), "clone item count");
    for (unsigned int i = 0; i < a.GetItemCount(); ++i)
    {
        const RCPtr<LMenuItemDescriptor> x = a.GetItem(i);
        const RCPtr<LMenuItemDescriptor> y = b.GetItem(i);
        ORV_FUZZ_CHECK(x.Get() != y.Get(), "clone shares an item");
        ORV_FUZZ_CHECK(x->GetLabel() == y->GetLabel() && x->GetHotKeyText() == y->GetHotKeyText() &&
                           x->GetNotificationName() == y->GetNotificationName() &&
                           x->IsSeparator() == y->IsSeparator(),
                       "clone item differs");
        CheckSameShape(*x, *y);
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    LMenuDescriptor::StringPairs pairs;
    std::size_t start = 0;
    while (start < bytes.size())
    {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string::npos)
        {
            end = bytes.size();
        }
        const std::string line = bytes.substr(start, end - start);
        const std::size_t equals = line.find('=');
        WString key;
        WString text;
        const std::string keyBytes = line.substr(0, equals);
        key.AssignUtf8(keyBytes.c_str(), static_cast<int>(keyBytes.size()));
        if (equals != std::string::npos)
        {
            const std::string textBytes = line.substr(equals + 1);
            text.AssignUtf8(textBytes.c_str(), static_cast<int>(textBytes.size()));
        }
        pairs.emplace_back(key, text);
        start = end + 1;
    }

    std::vector<WString> problems;
    const RCPtr<LMenuDescriptor> menu = LMenuDescriptor::BuildFromStringPairs(pairs, &problems);
    ORV_FUZZ_CHECK(menu, "no menu made");
    ORV_FUZZ_CHECK(!menu->GetParent(), "the root has a parent");
    const int items = CheckMenu(*menu, 0);
    ORV_FUZZ_CHECK(items <= kItemLimit, "more items than the limit");
    const RCPtr<LMenuDescriptor> copy = menu->Clone();
    CheckSameShape(*menu, *copy);
    return 0;
}
