#include "Controls/MenuListBoxItem.h"

namespace Orv
{
LMenuListBoxItem::LMenuListBoxItem(const RCPtr<LControl>& parent,
                                   const RCPtr<LControlDescriptor>& descriptor)
    : LCheckedListBoxItem(parent, descriptor)
{
}

LMenuListBoxItem::~LMenuListBoxItem() = default;

bool LMenuListBoxItem::SetItemLook(int look)
{
    LCheckedListBoxItem::SetItemLook(look);
    return true;
}
} // namespace Orv
