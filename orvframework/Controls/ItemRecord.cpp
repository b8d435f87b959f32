#include "Controls/ItemRecord.h"

namespace Orv
{
WString ItemRecord::GetText() const
{
    return data ? data->ToString() : WString();
}

const ItemRecord& ItemRecord::Empty()
{
    static const ItemRecord empty;
    return empty;
}

const CheckedItemRecord& CheckedItemRecord::Empty()
{
    static const CheckedItemRecord empty;
    return empty;
}
} // namespace Orv
