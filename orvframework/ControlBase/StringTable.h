// Texts by string ID in one language: a control's texts, the application's and the framework's,
// and also a control descriptor's create parameters (parameter name to text). IDs are compared
// case-sensitively, code unit by code unit.
#pragma once

#include "ObjectBase/RCPtr.h"
#include "Utilities/Storage/StringT.h"

#include <map>

namespace Orv
{
class LStringTable : public virtual LRefCountedObject
{
public:
    using Entries = std::map<WString, WString>;

    LStringTable() = default;
    explicit LStringTable(const Entries& entries)
        : mEntries(entries)
    {
    }

    // A new table holding a copy of entries, stored in out; returns out.
    static RCPtr<LStringTable>& Create(RCPtr<LStringTable>& out, const Entries& entries);

    // true and the text copied into text when id is present; false, text unchanged, otherwise.
    bool Lookup(const wchar_t* id, WString& text) const;
    // E_INVALIDARG for an empty name (nothing changes); S_OK for a new name; S_FALSE when the
    // name was present (its value is replaced).
    ORVRESULT SetCreateParam(const WString& name, const WString& value);

    const Entries& GetEntries() const { return mEntries; }

private:
    Entries mEntries;
};
} // namespace Orv
