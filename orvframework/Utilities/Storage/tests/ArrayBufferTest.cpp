#include "Utilities/Storage/ArrayBuffer.h"

#include <gtest/gtest.h>

#include <vector>

using namespace Orv;

namespace
{
template <class A>
std::vector<typename std::remove_reference_t<decltype(*std::declval<A>().GetData())>>
Elements(A& array)
{
    using T = std::remove_reference_t<decltype(*array.GetData())>;
    std::vector<T> values;
    for (unsigned int i = 0; i < array.GetCount(); ++i)
    {
        values.push_back(array.GetConstElementPointer(i));
    }
    return values;
}

template <class A>
class ArrayBufferKinds : public testing::Test
{
};

using Kinds = testing::Types<ArrayBuffer<unsigned int, 1, 0>, ArrayBuffer<unsigned int, 1, 1600>,
                             ArrayBuffer<unsigned int, 32, 1600>, ArrayBuffer<float, 1, 1600>,
                             ArrayBuffer<signed char, 1, 0>, ArrayBufferM<signed char, 4, 1, 0>,
                             ArrayBuffer<unsigned long, 4, 1600>>;
TYPED_TEST_SUITE(ArrayBufferKinds, Kinds);
} // namespace

TYPED_TEST(ArrayBufferKinds, NewPlacesAreZeroAndTheTailKeepsItsOrder)
{
    using T = std::remove_reference_t<decltype(*std::declval<TypeParam>().GetData())>;
    TypeParam array(3);
    IArray<T>& items = array;
    EXPECT_EQ(Elements(array), (std::vector<T>{0, 0, 0}));
    for (unsigned int i = 0; i < 3; ++i)
    {
        items.GetElementPointer(i) = static_cast<T>(i + 1);
    }
    // Shrinking and growing again gives zeros at the new places, not the old values.
    EXPECT_EQ(items.SetCount(1), 1);
    EXPECT_EQ(items.SetCount(3), 3);
    EXPECT_EQ(Elements(array), (std::vector<T>{1, 0, 0}));
    items.GetElementPointer(1) = 2;
    items.GetElementPointer(2) = 3;
    EXPECT_EQ(items.InsertItems(1, 2), 5);
    EXPECT_EQ(Elements(array), (std::vector<T>{1, 0, 0, 2, 3}));
    EXPECT_EQ(items.InsertItems(5, 1), 6);
    EXPECT_EQ(items.RemoveItems(1, 2), 4);
    EXPECT_EQ(Elements(array), (std::vector<T>{1, 2, 3, 0}));
    EXPECT_EQ(items.GetMaxCount(), 0x7fffffffu);
}

TEST(ArrayBuffer, EmptyArrayHasNullPositions)
{
    ArrayBuffer<unsigned int, 1, 0> array;
    IArray<unsigned int>& items = array;
    EXPECT_EQ(items.GetFirstPosition(), nullptr);
    EXPECT_EQ(items.GetEndPosition(), nullptr);
    EXPECT_EQ(items.GetLastPosition(), nullptr);
    EXPECT_EQ(items.GetBeforeFirstPosition(), nullptr);
    EXPECT_TRUE(items.Begin() == items.End());
    EXPECT_EQ(items.Advance(nullptr, 1), nullptr);
}

TEST(ArrayBuffer, InsertAndRemoveResultsFollowTheBufferRules)
{
    ArrayBuffer<unsigned int, 1, 1600> array;
    IArray<unsigned int>& items = array;
    // Insertion returns the new count.
    EXPECT_EQ(items.AddItem(10), 1);
    EXPECT_EQ(items.InsertItem(0, 5), 2);
    EXPECT_EQ(items.InsertItem(2, 20), 3);
    EXPECT_EQ(items.InsertItem(4, 30), E_INVALIDARG);
    EXPECT_EQ(Elements(array), (std::vector<unsigned int>{5, 10, 20}));

    // Removing nothing returns the count even for an index far past it.
    EXPECT_EQ(items.RemoveItems(99, 0), 3);
    EXPECT_EQ(items.RemoveItems(2, 2), E_INVALIDARG);
    unsigned int out = 77;
    EXPECT_EQ(items.RemoveItem(3, out), E_INVALIDARG);
    EXPECT_EQ(out, 77u);
    EXPECT_EQ(items.RemoveItem(1, out), 2);
    EXPECT_EQ(out, 10u);
    EXPECT_EQ(items.RemoveLastItem(out), 1);
    EXPECT_EQ(out, 20u);
    EXPECT_EQ(items.RemoveLastItem(out), 0);
    EXPECT_EQ(items.RemoveLastItem(out), E_INVALIDARG);
    EXPECT_EQ(out, 5u);
}

TEST(ArrayBuffer, InsertingAnOwnElementCopiesItBeforeTheStoreMoves)
{
    ArrayBuffer<unsigned int, 1, 0> array;
    for (unsigned int i = 1; i <= 3; ++i)
    {
        array.AddItem(i * 100);
    }
    // Grain 1 and no slack: every insertion reallocates the store.
    EXPECT_EQ(array.InsertItem(0, array.GetElementPointer(2)), 4);
    EXPECT_EQ(Elements(array), (std::vector<unsigned int>{300, 100, 200, 300}));
}

TEST(ArrayBuffer, ByteStoreGrowsByTheElementGrain)
{
    ArrayBuffer<unsigned int, 32, 1600> array;
    array.SetCount(1);
    EXPECT_EQ(array.GetCapacity(), 32u * sizeof(unsigned int));
    array.SetCount(33);
    EXPECT_EQ(array.GetCapacity(), 64u * sizeof(unsigned int));
    // Up to 1600 spare elements are kept.
    array.SetCount(0);
    EXPECT_EQ(array.GetCapacity(), 64u * sizeof(unsigned int));
}

TEST(ArrayBuffer, CountsBeyondTheMaximumAreRefused)
{
    ArrayBuffer<unsigned int, 1, 0> array(2);
    EXPECT_EQ(array.SetCount(0x80000000u), E_INVALIDARG);
    // A count whose byte size does not fit 32 bits.
    EXPECT_EQ(array.SetBufferCount(0x40000001u), E_INVALIDARG);
    EXPECT_EQ(array.InsertItems(1, 0x7ffffffeu), E_INVALIDARG);
    EXPECT_EQ(array.GetCount(), 2u);
    IArray<unsigned int>& items = array;
    ArrayBuffer<unsigned int, 1, 0> other(3);
    EXPECT_EQ(items.AppendAll(other), 5);
    EXPECT_EQ(items.AddItems(other), 8);
}
