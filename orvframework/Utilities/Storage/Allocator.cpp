#include "Utilities/Storage/Allocator.h"

#include <cstdlib>
#include <type_traits>

namespace Orv
{
void* SystemAllocator::Allocate(std::size_t size)
{
    return std::malloc(size);
}

void* SystemAllocator::AllocateZeroed(std::size_t count, std::size_t size)
{
    return std::calloc(count, size);
}

void* SystemAllocator::Reallocate(void* pointer, std::size_t size)
{
    return std::realloc(pointer, size);
}

void SystemAllocator::Free(void* pointer)
{
    std::free(pointer);
}

IAllocator& GetSystemAllocator()
{
    // Trivially destructible: it stays usable while other statics are destroyed.
    static SystemAllocator allocator;
    static_assert(std::is_trivially_destructible_v<SystemAllocator>);
    return allocator;
}
} // namespace Orv
