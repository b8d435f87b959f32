// Byte buffers: the storage template that strings, arrays and pools use, and its
// reference-counted form.
#pragma once

#include "ObjectBase/RCPtr.h"
#include "ObjectBase/RefCountedObject.h"
#include "Utilities/Storage/Allocator.h"

#include <cstdint>
#include <cstring>

namespace Orv
{
class IBuffer
{
public:
    virtual unsigned int GetSize() const = 0;
    // Sets the size without keeping the contents.
    virtual unsigned int SetSize(unsigned int size) = 0;
    // Sets the size keeping the contents up to the smaller size.
    virtual unsigned int Resize(unsigned int size) = 0;
    // count < 0: up to the end. E_INVALIDARG when the range leaves the buffer.
    virtual ORVRESULT FillBytes(char value, unsigned int offset, int count) = 0;
    // 16-bit elements from byte offset; count in elements, < 0: up to the end.
    virtual ORVRESULT Fill(unsigned short value, unsigned int offset, int count) = 0;
    virtual unsigned int GetCapacity() const = 0;
    virtual void* GetData() const = 0;

protected:
    ~IBuffer() = default;
};

// Storage of Grain-rounded capacity that keeps its block while it is at most K bytes too
// large, K = Slack when Slack > 0, else Grain - 1.
template <unsigned int Grain, unsigned int Slack, unsigned int Align, class T,
          IAllocator& (*GetAllocator)()>
class BufferT : public virtual IBuffer
{
    static_assert(Grain > 0, "the grain must be at least 1");

public:
    static constexpr unsigned int kKeepBound = Slack > 0 ? Slack : Grain - 1;

    explicit BufferT(unsigned int size = 0, unsigned int capacity = 0, bool zeroFill = false)
    {
        if (capacity > size)
        {
            mCapacity = capacity;
            mBlock = mData = static_cast<T>(AllocateChecked(capacity));
        }
        Resize(size);
        if (size != 0 && zeroFill)
        {
            std::memset(mData, 0, size);
        }
    }

    BufferT(const BufferT& other)
        : BufferT(other.mSize, 0, false)
    {
        if (mSize != 0)
        {
            std::memcpy(mData, other.mData, mSize);
        }
    }

    BufferT& operator=(const BufferT& other)
    {
        if (this != &other)
        {
            SetSize(other.mSize);
            if (mSize != 0)
            {
                std::memcpy(mData, other.mData, mSize);
            }
        }
        return *this;
    }

    virtual ~BufferT()
    {
        if (mBlock != nullptr)
        {
            GetAllocator().Free(mBlock);
        }
        mData = mBlock = nullptr;
        mSize = mCapacity = 0;
    }

    static constexpr unsigned int Round(unsigned int size)
    {
        return static_cast<unsigned int>((static_cast<std::uint64_t>(size) + Grain - 1) / Grain *
                                         Grain);
    }

    unsigned int GetSize() const override { return mSize; }
    unsigned int GetCapacity() const override { return mCapacity; }
    void* GetData() const override { return mData; }
    T GetTypedData() const { return mData; }

    unsigned int SetSize(unsigned int size) override
    {
        if (size == 0)
        {
            FreeBlock();
            mSize = 0;
            return 0;
        }
        if (Round(size) != mCapacity)
        {
            // Allocate first: a failure leaves the buffer as it was.
            void* block = AllocateChecked(Round(size));
            FreeBlock();
            mCapacity = Round(size);
            mBlock = mData = static_cast<T>(block);
        }
        mSize = size;
        return size;
    }

    unsigned int Resize(unsigned int size) override
    {
        if (mCapacity == 0)
        {
            return SetSize(size);
        }
        if (!(mCapacity >= size && mCapacity - size <= kKeepBound))
        {
            const unsigned int capacity = Round(size);
            if (capacity == 0)
            {
                FreeBlock();
            }
            else
            {
                void* block = GetAllocator().Reallocate(mBlock, capacity);
                if (block == nullptr)
                {
                    // The old block is still valid and unchanged.
                    ThrowOutOfMemory();
                }
                mCapacity = capacity;
                mBlock = mData = static_cast<T>(block);
            }
        }
        mSize = size;
        return size;
    }

    ORVRESULT FillBytes(char value, unsigned int offset, int count) override
    {
        std::uint64_t bytes;
        if (count < 0)
        {
            if (offset > mSize)
            {
                return E_INVALIDARG;
            }
            bytes = mSize - offset;
        }
        else
        {
            bytes = static_cast<std::uint64_t>(count);
            if (offset + bytes > mSize)
            {
                return E_INVALIDARG;
            }
        }
        if (bytes != 0)
        {
            std::memset(reinterpret_cast<char*>(mData) + offset, value, bytes);
        }
        return S_OK;
    }

    ORVRESULT Fill(unsigned short value, unsigned int offset, int count) override
    {
        std::uint64_t elements;
        if (count < 0)
        {
            if (offset > mSize)
            {
                return E_INVALIDARG;
            }
            elements = (mSize - offset) / 2;
        }
        else
        {
            elements = static_cast<std::uint64_t>(count);
            if (offset + 2 * elements > mSize)
            {
                return E_INVALIDARG;
            }
        }
        char* at = reinterpret_cast<char*>(mData) + offset;
        for (std::uint64_t i = 0; i < elements; ++i)
        {
            std::memcpy(at + 2 * i, &value, 2);
        }
        return S_OK;
    }

private:
    static void* AllocateChecked(unsigned int bytes)
    {
        void* block = GetAllocator().Allocate(bytes);
        if (block == nullptr)
        {
            ThrowOutOfMemory();
        }
        return block;
    }

    [[noreturn]] static void ThrowOutOfMemory() { throw Exception<std::bad_alloc>(); }

    void FreeBlock()
    {
        if (mBlock != nullptr)
        {
            GetAllocator().Free(mBlock);
        }
        mData = mBlock = nullptr;
        mCapacity = 0;
    }

    T mData = nullptr;
    unsigned int mSize = 0;
    T mBlock = nullptr;
    unsigned int mCapacity = 0;
};

class LIBuffer : public virtual IBuffer, public virtual LRefCountedObject
{
public:
    // A new zero-filled buffer of size bytes holding this buffer's bytes from offset on.
    virtual void CreateResizedCopy(ConstRCPtr<LIBuffer>& out, unsigned int size,
                                   unsigned int offset) const = 0;
    ConstRCPtr<LRefCountedObject> CreateCopy() const override = 0;
};

template <unsigned int Grain, unsigned int Slack, unsigned int Align, class T,
          IAllocator& (*GetAllocator)()>
class LBufferT : public BufferT<Grain, Slack, Align, T, GetAllocator>, public LIBuffer
{
    using Storage = BufferT<Grain, Slack, Align, T, GetAllocator>;

public:
    explicit LBufferT(unsigned int size = 0, unsigned int capacity = 0, bool zeroFill = false)
        : Storage(size, capacity, zeroFill)
    {
    }

    static void Create(ConstRCPtr<LIBuffer>& out, unsigned int size, unsigned int capacity,
                       bool zeroFill)
    {
        out = new LBufferT(size, capacity, zeroFill);
    }

    void CreateResizedCopy(ConstRCPtr<LIBuffer>& out, unsigned int size,
                           unsigned int offset) const override
    {
        auto* copy = new LBufferT(size, 0, true);
        ConstRCPtr<LIBuffer> holder(copy);
        const unsigned int ownSize = this->GetSize();
        if (offset < ownSize && size != 0)
        {
            const unsigned int count = size < ownSize - offset ? size : ownSize - offset;
            std::memcpy(copy->GetData(), static_cast<const char*>(this->GetData()) + offset, count);
        }
        out = holder;
    }

    ConstRCPtr<LRefCountedObject> CreateCopy() const override
    {
        auto* copy = new LBufferT(this->GetSize(), 0, true);
        ConstRCPtr<LRefCountedObject> holder(copy);
        if (this->GetSize() != 0)
        {
            std::memcpy(copy->GetData(), this->GetData(), this->GetSize());
        }
        return holder;
    }

    // The size/data accessors come from the storage; the interface declarations resolve to them.
    using Storage::Fill;
    using Storage::FillBytes;
    using Storage::GetCapacity;
    using Storage::GetData;
    using Storage::GetSize;
    using Storage::Resize;
    using Storage::SetSize;
};

// The character buffer of strings.
using StringBuffer = LBufferT<1, 128, 8, char*, &GetSystemAllocator>;
} // namespace Orv
