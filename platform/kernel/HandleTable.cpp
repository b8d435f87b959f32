#include "platform/HandleTable.h"

#include "KernelObjects.h"

#include <cstdint>
#include <unordered_map>

namespace OrvPlatform
{
namespace
{
struct Table
{
    std::unordered_map<std::uintptr_t, std::shared_ptr<HandleObject>> objects;
    // Multiples of 4, never used twice.
    std::uintptr_t next = 0x10000;
};

// Guarded by the kernel lock.
Table& GetTable()
{
    // Never destroyed: handles may still be closed by destructors that run at exit.
    static Table* table = new Table;
    return *table;
}

std::uintptr_t Key(HANDLE handle)
{
    return reinterpret_cast<std::uintptr_t>(handle);
}
} // namespace

std::shared_ptr<HandleObject> Kernel::FindHandleLocked(HANDLE handle)
{
    Table& table = GetTable();
    const auto found = table.objects.find(Key(handle));
    return found == table.objects.end() ? nullptr : found->second;
}

HANDLE InsertHandle(std::shared_ptr<HandleObject> object)
{
    Kernel::KernelLock lock;
    Table& table = GetTable();
    const std::uintptr_t key = table.next;
    table.next += 4;
    table.objects.emplace(key, std::move(object));
    return reinterpret_cast<HANDLE>(key);
}

std::shared_ptr<HandleObject> FindHandle(HANDLE handle, HandleObject::Kind kind)
{
    Kernel::KernelLock lock;
    std::shared_ptr<HandleObject> found = Kernel::FindHandleLocked(handle);
    return found && found->GetKind() == kind ? found : nullptr;
}

std::shared_ptr<HandleObject> RemoveHandle(HANDLE handle, HandleObject::Kind kind)
{
    Kernel::KernelLock lock;
    Table& table = GetTable();
    const auto found = table.objects.find(Key(handle));
    if (found == table.objects.end() || found->second->GetKind() != kind)
    {
        return nullptr;
    }
    std::shared_ptr<HandleObject> removed = std::move(found->second);
    table.objects.erase(found);
    // The caller lets it go outside the lock.
    return removed;
}
} // namespace OrvPlatform
