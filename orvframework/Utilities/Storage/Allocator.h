// The allocator interface through which all heap storage of buffers, arrays and pools goes.
#pragma once

#include <cstddef>

namespace Orv
{
class IAllocator
{
public:
    virtual void* Allocate(std::size_t size) = 0;
    virtual void* AllocateZeroed(std::size_t count, std::size_t size) = 0;
    virtual void* Reallocate(void* pointer, std::size_t size) = 0;
    virtual void Free(void* pointer) = 0;

protected:
    ~IAllocator() = default;
};

// The C heap: malloc, calloc, realloc and free.
class SystemAllocator final : public IAllocator
{
public:
    void* Allocate(std::size_t size) override;
    void* AllocateZeroed(std::size_t count, std::size_t size) override;
    void* Reallocate(void* pointer, std::size_t size) override;
    void Free(void* pointer) override;
};

// The one system allocator, made on first call and never destroyed.
IAllocator& GetSystemAllocator();
} // namespace Orv
