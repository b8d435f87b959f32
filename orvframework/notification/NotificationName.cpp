#include "notification/NotificationName.h"

#include "Utilities/Threading/ScopedLock.h"

namespace Orv
{
// The table is made on first use and never destroyed, so that interned pointers stay valid for
// the whole process, also for notifications released by other globals at exit. The notification
// lock is one of the program's globals (Utilities/Globals.cpp).
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
    WStringArray& table = GetNotificationNameTable();
    const unsigned int count = table.GetCount();
    // An interned pointer is found without comparing text; recent names are the likely match.
    for (unsigned int i = count; i-- > 0;)
    {
        if (table.GetConstElementPointer(i).GetBuffer() == name)
        {
            return name;
        }
    }
    const WString text(name);
    for (unsigned int i = 0; i < count; ++i)
    {
        if (table.GetConstElementPointer(i) == text)
        {
            return table.GetConstElementPointer(i).GetBuffer();
        }
    }
    table.AddItem(text);
    // The entry shares text's buffer, which no one writes to: the pointer stays valid when the
    // table grows.
    return table.GetConstElementPointer(count).GetBuffer();
}
} // namespace Orv
