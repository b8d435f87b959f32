#include "Controls/TreeViewItem.h"

namespace Orv
{
LTreeViewItem::LTreeViewItem(const RCPtr<LControl>& parent,
                             const RCPtr<LControlDescriptor>& descriptor)
    : LCheckedListBoxItem(parent, descriptor)
{
}

LTreeViewItem::LTreeViewItem(const RCPtr<LControl>& parent, const WString& name)
    : LCheckedListBoxItem(parent, name)
{
}

LTreeViewItem::~LTreeViewItem() = default;

ORVRESULT LTreeViewItem::SetIndent(unsigned int level)
{
    if (!GetLayout())
    {
        return E_FAIL;
    }
    AxisPlacement placement;
    const ORVRESULT read = GetLayout()->GetAxisPlacement(0, placement);
    if (FAILED(read))
    {
        return read;
    }
    const RCPtr<LButton> checkBox = GetCheckBox();
    const double step = checkBox ? checkBox->GetRect().width : 0.0;
    placement.position.abs = static_cast<double>(level) * step;
    return SetAxisPlacement(0, placement);
}
} // namespace Orv
