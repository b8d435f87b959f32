// Global memory objects and the stream over them.
#include "platform/GlobalMemory.h"

#include "platform/Kernel.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <unordered_set>

namespace
{
// What a global memory handle points at. The data follows in its own allocation so that a
// stream can grow it.
struct GlobalBlock
{
    unsigned locks = 0;
    unsigned char* data = nullptr;
    SIZE_T size = 0;
};

// The live blocks, so that any handle value can be checked without reading through it.
std::mutex gBlocksLock;
std::unordered_set<const void*>& LiveBlocks()
{
    static std::unordered_set<const void*> blocks;
    return blocks;
}

GlobalBlock* BlockOf(HGLOBAL memory)
{
    std::lock_guard<std::mutex> lock(gBlocksLock);
    if (memory == nullptr || LiveBlocks().count(memory) == 0)
    {
        return nullptr;
    }
    return reinterpret_cast<GlobalBlock*>(memory);
}

bool Resize(GlobalBlock& block, SIZE_T size)
{
    // One spare byte so that a zero-length block still has an address.
    auto* grown = static_cast<unsigned char*>(std::realloc(block.data, size + 1));
    if (grown == nullptr)
    {
        return false;
    }
    if (size > block.size)
    {
        std::memset(grown + block.size, 0, size - block.size);
    }
    block.data = grown;
    block.size = size;
    return true;
}

class GlobalStream final : public IStream
{
public:
    GlobalStream(HGLOBAL memory, bool deleteOnRelease)
        : mMemory(memory)
        , mDeleteOnRelease(deleteOnRelease)
    {
    }

    ULONG AddRef() override { return ++mReferences; }

    ULONG Release() override
    {
        ULONG left = --mReferences;
        if (left == 0)
        {
            if (mDeleteOnRelease)
            {
                GlobalFree(mMemory);
            }
            delete this;
        }
        return left;
    }

    HRESULT Read(void* buffer, ULONG count, ULONG* read) override
    {
        if (read != nullptr)
        {
            *read = 0;
        }
        GlobalBlock* block = BlockOf(mMemory);
        if (block == nullptr || (buffer == nullptr && count != 0))
        {
            return STG_E_INVALIDPOINTER;
        }
        SIZE_T available = mPosition < block->size ? block->size - mPosition : 0;
        SIZE_T n = count < available ? count : available;
        if (n != 0)
        {
            std::memcpy(buffer, block->data + mPosition, n);
        }
        mPosition += n;
        if (read != nullptr)
        {
            *read = static_cast<ULONG>(n);
        }
        return S_OK;
    }

    HRESULT Write(const void* buffer, ULONG count, ULONG* written) override
    {
        if (written != nullptr)
        {
            *written = 0;
        }
        GlobalBlock* block = BlockOf(mMemory);
        if (block == nullptr || (buffer == nullptr && count != 0))
        {
            return STG_E_INVALIDPOINTER;
        }
        SIZE_T end = mPosition + count;
        if (end > block->size && !Resize(*block, end))
        {
            return STG_E_MEDIUMFULL;
        }
        if (count != 0)
        {
            std::memcpy(block->data + mPosition, buffer, count);
        }
        mPosition = end;
        if (written != nullptr)
        {
            *written = count;
        }
        return S_OK;
    }

private:
    std::atomic<ULONG> mReferences{1};
    HGLOBAL mMemory;
    bool mDeleteOnRelease;
    SIZE_T mPosition = 0;
};
} // namespace

HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes)
{
    (void)flags; // the memory is always zeroed and never moves
    auto* block = new (std::nothrow) GlobalBlock;
    if (block == nullptr || !Resize(*block, bytes))
    {
        delete block;
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    std::lock_guard<std::mutex> lock(gBlocksLock);
    LiveBlocks().insert(block);
    return reinterpret_cast<HGLOBAL>(block);
}

LPVOID GlobalLock(HGLOBAL memory)
{
    GlobalBlock* block = BlockOf(memory);
    if (block == nullptr)
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    ++block->locks;
    return block->data;
}

BOOL GlobalUnlock(HGLOBAL memory)
{
    GlobalBlock* block = BlockOf(memory);
    if (block == nullptr)
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (block->locks == 0)
    {
        SetLastError(ERROR_NOT_LOCKED);
        return FALSE;
    }
    --block->locks;
    if (block->locks == 0)
    {
        SetLastError(ERROR_SUCCESS);
        return FALSE;
    }
    return TRUE;
}

HGLOBAL GlobalFree(HGLOBAL memory)
{
    GlobalBlock* block = BlockOf(memory);
    if (block == nullptr)
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return memory;
    }
    {
        std::lock_guard<std::mutex> lock(gBlocksLock);
        LiveBlocks().erase(block);
    }
    std::free(block->data);
    delete block;
    return nullptr;
}

SIZE_T GlobalSize(HGLOBAL memory)
{
    GlobalBlock* block = BlockOf(memory);
    if (block == nullptr)
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    return block->size;
}

HRESULT CreateStreamOnHGlobal(HGLOBAL memory, BOOL deleteOnRelease, IStream** stream)
{
    if (stream == nullptr)
    {
        return E_INVALIDARG;
    }
    *stream = nullptr;
    if (memory == nullptr)
    {
        memory = GlobalAlloc(GHND, 0);
        if (memory == nullptr)
        {
            return E_OUTOFMEMORY;
        }
        deleteOnRelease = TRUE;
    }
    else if (BlockOf(memory) == nullptr)
    {
        return E_INVALIDARG;
    }
    auto* created = new (std::nothrow) GlobalStream(memory, deleteOnRelease != FALSE);
    if (created == nullptr)
    {
        if (deleteOnRelease)
        {
            GlobalFree(memory);
        }
        return E_OUTOFMEMORY;
    }
    *stream = created;
    return S_OK;
}
