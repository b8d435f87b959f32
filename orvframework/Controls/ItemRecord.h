// The records of one list item. A list keeps its items as plain records and shows them through a
// few row controls (LListBoxItem): the records are the items, the rows only mirror them.
//
// ItemRecord is the list box's record; CheckedItemRecord, the checked list boxes', adds the
// check state and an icon after the same five fields. Both are values: copying takes new
// references to the data (and the icon), assigning takes the new references before it lets go
// of the old ones, and destroying lets go of the icon before the data.
#pragma once

#include "ObjectBase/RCPtr.h"
#include "ObjectBase/TaggableObject.h"
#include "Utilities/Graphics/Bitmap.h"
#include "Utilities/Storage/StringT.h"

namespace Orv
{
struct ItemRecord
{
    // A value at or above this is a selected item.
    static constexpr double kSelectedThreshold = 0.5;

    // The item's object; its ToString is the row's text (null: an empty text).
    ConstRCPtr<LTaggableObject> data;
    // The selection value: selected at kSelectedThreshold or above.
    double value = 0.0;
    // The item leads to further items (a sub-menu or a child level).
    bool hasSubMenu = false;
    // The item is a separator: no text, the separator look.
    bool isSeparator = false;
    // The item has no row: the display order skips it.
    bool isHidden = false;

    bool IsSelected() const { return value >= kSelectedThreshold; }
    // The data's text; empty for null data.
    WString GetText() const;

    // The one shared, constant empty record that reads beyond a list's end return; never
    // written.
    static const ItemRecord& Empty();
};

struct CheckedItemRecord : ItemRecord
{
    bool checked = false;
    // The item's own icon, may be null.
    ConstRCPtr<LBitmap> icon;

    // The shared, constant empty checked record.
    static const CheckedItemRecord& Empty();
};
} // namespace Orv
