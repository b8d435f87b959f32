#include "notification/NotificationName.h"

#include "Utilities/Threading/ScopedLock.h"

#include <algorithm>
#include <cwchar>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace Orv
{
namespace
{
// An index over the table, so that interning costs no scan of every name: the pointers the
// table gave out, and the table's texts (views of the table's own buffers, which never move or
// change). Guarded by the notification lock.
struct NameIndex
{
    std::unordered_set<const wchar_t*> pointers;
    std::unordered_map<std::wstring_view, const wchar_t*> texts;
};

NameIndex& GetNameIndex()
{
    static auto* index = new NameIndex();
    return *index;
}
} // namespace

// The lock, the table and its index are made on first use and never destroyed, so that
// interned pointers stay valid for the whole process, also for notifications released by other
// globals at exit.
Mutex& GetNotificationLock()
{
    static Mutex* lock = new Mutex();
    return *lock;
}

WStringArray& GetNotificationNameTable()
{
    static WStringArray* table = new WStringArray();
    return *table;
}

const wchar_t* InternNotificationName(const wchar_t* name)
{
    if (name == nullptr || name[0] == 0)
    {
        return nullptr;
    }
    ScopedLock<Mutex> lock(GetNotificationLock());
    NameIndex& index = GetNameIndex();
    // An interned pointer is known without comparing text.
    if (index.pointers.count(name) != 0)
    {
        return name;
    }
    const std::wstring_view text(name, std::min<std::size_t>(std::wcslen(name), kMaxNameLength));
    const auto found = index.texts.find(text);
    if (found != index.texts.end())
    {
        return found->second;
    }
    WStringArray& table = GetNotificationNameTable();
    WString entry;
    entry.Assign(text.data(), static_cast<unsigned int>(text.size()));
    table.AddItem(entry);
    // The entry shares the buffer of entry, which no one writes to: its text stays where it is
    // when the table grows.
    const wchar_t* interned = table.GetConstElementPointer(table.GetCount() - 1).GetBuffer();
    index.pointers.insert(interned);
    index.texts.emplace(std::wstring_view(interned, text.size()), interned);
    return interned;
}
} // namespace Orv
