#include "ControlBase/StringTable.h"

namespace Orv
{
RCPtr<LStringTable>& LStringTable::Create(RCPtr<LStringTable>& out, const Entries& entries)
{
    out = new LStringTable(entries);
    return out;
}

bool LStringTable::Lookup(const wchar_t* id, WString& text) const
{
    const auto entry = mEntries.find(WString(id));
    if (entry == mEntries.end())
    {
        return false;
    }
    text = entry->second;
    return true;
}

ORVRESULT LStringTable::SetCreateParam(const WString& name, const WString& value)
{
    if (name.IsEmpty())
    {
        return E_INVALIDARG;
    }
    const auto [entry, added] = mEntries.try_emplace(name, value);
    if (!added)
    {
        entry->second = value;
        return S_FALSE;
    }
    return S_OK;
}
} // namespace Orv
