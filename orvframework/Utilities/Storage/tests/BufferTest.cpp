#include "Utilities/Storage/Buffer.h"

#include <gtest/gtest.h>

#include <cstring>

using Orv::BufferT;
using Orv::ConstRCPtr;
using Orv::GetSystemAllocator;
using Orv::IAllocator;
using Orv::LIBuffer;

namespace
{
using StringStore = BufferT<1, 128, 8, char*, &GetSystemAllocator>;
using WordStore = BufferT<4, 0, 8, unsigned int*, &GetSystemAllocator>;
using ExactStore = BufferT<1, 0, 8, unsigned char*, &GetSystemAllocator>;
using PoolStore = BufferT<16, 6400, 8, char*, &GetSystemAllocator>;

// An allocator that fails on demand.
class FailingAllocator final : public IAllocator
{
public:
    void* Allocate(std::size_t size) override { return fail ? nullptr : std::malloc(size); }
    void* AllocateZeroed(std::size_t count, std::size_t size) override
    {
        return fail ? nullptr : std::calloc(count, size);
    }
    void* Reallocate(void* pointer, std::size_t size) override
    {
        return fail ? nullptr : std::realloc(pointer, size);
    }
    void Free(void* pointer) override { std::free(pointer); }
    bool fail = false;
};
FailingAllocator gFailing;
IAllocator& GetFailingAllocator()
{
    return gFailing;
}
} // namespace

TEST(Buffer, KeepBoundsPerInstance)
{
    struct Step
    {
        unsigned int resize;
        unsigned int capacity;
    };
    // String buffers keep a block while at most 128 bytes too large, else take the exact size.
    StringStore text(300, 0, false);
    EXPECT_EQ(text.GetCapacity(), 300u);
    for (const Step& step : {Step{200, 300}, Step{100, 100}, Step{301, 301}, Step{173, 301}})
    {
        text.Resize(step.resize);
        EXPECT_EQ(text.GetSize(), step.resize);
        EXPECT_EQ(text.GetCapacity(), step.capacity) << "after Resize(" << step.resize << ")";
    }
    // Grain-4 stores round up and keep the block only while less than 4 bytes too large.
    WordStore words;
    for (const Step& step : {Step{10, 12}, Step{9, 12}, Step{8, 8}, Step{1, 4}})
    {
        words.Resize(step.resize);
        EXPECT_EQ(words.GetCapacity(), step.capacity) << "after Resize(" << step.resize << ")";
    }
    // Grain-1 slack-0 buffers always hold exactly their size.
    ExactStore exact;
    for (const Step& step : {Step{5, 5}, Step{4, 4}, Step{9, 9}})
    {
        exact.Resize(step.resize);
        EXPECT_EQ(exact.GetCapacity(), step.capacity);
    }
    // Large slack keeps the block across big shrinks.
    PoolStore pool;
    pool.Resize(7000);
    EXPECT_EQ(pool.GetCapacity(), 7008u);
    pool.Resize(700);
    EXPECT_EQ(pool.GetCapacity(), 7008u);
}

TEST(Buffer, ResizeKeepsContentsAndSetSizeDoesNot)
{
    StringStore text(6, 0, true);
    std::memcpy(text.GetData(), "abcdef", 6);
    text.Resize(400);
    EXPECT_EQ(std::memcmp(text.GetData(), "abcdef", 6), 0);
    text.Resize(3);
    EXPECT_EQ(std::memcmp(text.GetData(), "abc", 3), 0);
    EXPECT_EQ(text.SetSize(0), 0u);
    EXPECT_EQ(text.GetCapacity(), 0u);
    EXPECT_EQ(text.GetData(), nullptr);
}

TEST(Buffer, EmptyBufferAllocatesNothing)
{
    ExactStore empty;
    EXPECT_EQ(empty.SetSize(0), 0u);
    EXPECT_EQ(empty.GetData(), nullptr);
    EXPECT_EQ(empty.GetCapacity(), 0u);
    EXPECT_EQ(empty.Resize(0), 0u);
    EXPECT_EQ(empty.GetData(), nullptr);
}

TEST(Buffer, ConstructionWithCapacityAndZeroFill)
{
    ExactStore zeroed(16, 0, true);
    for (unsigned int i = 0; i < 16; ++i)
    {
        EXPECT_EQ(zeroed.GetTypedData()[i], 0);
    }
    StringStore reserved(10, 100, false);
    EXPECT_EQ(reserved.GetSize(), 10u);
    EXPECT_EQ(reserved.GetCapacity(), 100u);
    // Reserving more than the keep bound above an empty size is given back at once.
    StringStore released(0, 300, false);
    EXPECT_EQ(released.GetCapacity(), 0u);
}

TEST(Buffer, FillRanges)
{
    ExactStore bytes(8, 0, true);
    EXPECT_EQ(bytes.FillBytes('x', 2, 3), S_OK);
    EXPECT_EQ(std::memcmp(bytes.GetData(), "\0\0xxx\0\0\0", 8), 0);
    EXPECT_EQ(bytes.FillBytes('y', 6, -1), S_OK);
    EXPECT_EQ(bytes.GetTypedData()[7], 'y');
    EXPECT_EQ(bytes.FillBytes(0, 8, -1), S_OK);
    EXPECT_EQ(bytes.FillBytes(0, 9, -1), E_INVALIDARG);
    EXPECT_EQ(bytes.FillBytes(0, 5, 4), E_INVALIDARG);
    EXPECT_EQ(bytes.FillBytes(0, 0xFFFFFFFFu, 2), E_INVALIDARG);
    EXPECT_EQ(bytes.GetTypedData()[5], 0);

    ExactStore words(7, 0, true);
    EXPECT_EQ(words.Fill(0xABCD, 1, -1), S_OK); // three 16-bit elements from byte 1
    unsigned short second = 0;
    std::memcpy(&second, words.GetTypedData() + 3, 2);
    EXPECT_EQ(second, 0xABCD);
    EXPECT_EQ(words.GetTypedData()[0], 0);
    EXPECT_EQ(words.Fill(1, 2, 3), E_INVALIDARG);
    EXPECT_EQ(words.Fill(1, 8, -1), E_INVALIDARG);
}

TEST(Buffer, CopiesAreDeep)
{
    ExactStore a(3, 0, true);
    std::memcpy(a.GetData(), "abc", 3);
    ExactStore b(a);
    a.GetTypedData()[0] = 'z';
    EXPECT_EQ(std::memcmp(b.GetData(), "abc", 3), 0);
    ExactStore c;
    c = b;
    EXPECT_EQ(std::memcmp(c.GetData(), "abc", 3), 0);
}

TEST(Buffer, FailedAllocationThrowsAndKeepsTheOldBlock)
{
    using Fragile = BufferT<1, 0, 8, char*, &GetFailingAllocator>;
    Fragile buffer(4, 0, true);
    std::memcpy(buffer.GetData(), "keep", 4);
    gFailing.fail = true;
    EXPECT_THROW(buffer.Resize(1000), std::bad_alloc);
    EXPECT_THROW(Fragile(10, 0, false), std::bad_alloc);
    EXPECT_THROW(buffer.SetSize(3), std::bad_alloc);
    gFailing.fail = false;
    EXPECT_EQ(buffer.GetSize(), 4u);
    EXPECT_EQ(buffer.GetCapacity(), 4u);
    EXPECT_EQ(std::memcmp(buffer.GetData(), "keep", 4), 0);
}

TEST(ReferenceCountedBuffer, ResizedCopyAndCopy)
{
    ConstRCPtr<LIBuffer> buffer;
    Orv::StringBuffer::Create(buffer, 6, 0, true);
    std::memcpy(buffer->GetData(), "abcdef", 6);

    ConstRCPtr<LIBuffer> past;
    buffer->CreateResizedCopy(past, 4, 10);
    ASSERT_TRUE(past);
    EXPECT_EQ(past->GetSize(), 4u);
    EXPECT_EQ(std::memcmp(past->GetData(), "\0\0\0\0", 4), 0);

    ConstRCPtr<LIBuffer> tail;
    buffer->CreateResizedCopy(tail, 8, 2);
    EXPECT_EQ(std::memcmp(tail->GetData(), "cdef\0\0\0\0", 8), 0);

    ConstRCPtr<LIBuffer> head;
    buffer->CreateResizedCopy(head, 2, 1);
    EXPECT_EQ(std::memcmp(head->GetData(), "bc", 2), 0);

    // Copy-on-write through the pointer: a shared buffer is copied, bytes and all.
    ConstRCPtr<LIBuffer> second(buffer);
    second.Unshare();
    EXPECT_NE(second.Get(), buffer.Get());
    EXPECT_EQ(second->GetSize(), 6u);
    EXPECT_EQ(std::memcmp(second->GetData(), "abcdef", 6), 0);
    EXPECT_EQ(buffer->GetRefCount(), 1);
}
