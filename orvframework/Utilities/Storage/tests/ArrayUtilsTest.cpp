#include "Utilities/Storage/ArrayUtils.h"
#include "Utilities/Storage/Array.h"
#include "Utilities/Storage/ArrayBuffer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Orv;

namespace
{
std::vector<unsigned int> Indices(ArrayBuffer<unsigned int, 1, 0>& indices)
{
    return std::vector<unsigned int>(indices.GetData(), indices.GetData() + indices.GetCount());
}

// Compares the keys, then the indices, as the framework's comparators do.
struct ByKeyThenIndex
{
    const Array<int>* keys;
    int* calls;
    bool operator()(unsigned int a, unsigned int b) const
    {
        ++*calls;
        const int ka = keys->GetConstElementPointer(a);
        const int kb = keys->GetConstElementPointer(b);
        return ka != kb ? ka < kb : a < b;
    }
};
} // namespace

TEST(ArrayUtils, SortsIndicesByTheComparator)
{
    Array<int> keys;
    for (int key : {5, 1, 5, 0, 1, 9, 5})
    {
        keys.AddItem(key);
    }
    ArrayBuffer<unsigned int, 1, 0> indices(2);
    int calls = 0;
    ArrayUtils::SortIndecies(indices, keys, 0, keys.GetCount(), ByKeyThenIndex{&keys, &calls});
    EXPECT_EQ(Indices(indices), (std::vector<unsigned int>{3, 1, 4, 0, 2, 6, 5}));
    ArrayUtils::SortIndecies(indices, keys, 2, 3, ByKeyThenIndex{&keys, &calls});
    EXPECT_EQ(Indices(indices), (std::vector<unsigned int>{3, 4, 2}));
}

TEST(ArrayUtils, OneOrNoItemIsFilledButNotCompared)
{
    Array<int> keys;
    keys.AddItem(4);
    ArrayBuffer<unsigned int, 1, 0> indices(5);
    int calls = 0;
    ArrayUtils::SortIndecies(indices, keys, 0, 1, ByKeyThenIndex{&keys, &calls});
    EXPECT_EQ(Indices(indices), (std::vector<unsigned int>{0}));
    ArrayUtils::SortIndecies(indices, keys, 1, 0, ByKeyThenIndex{&keys, &calls});
    EXPECT_EQ(indices.GetCount(), 0u);
    EXPECT_EQ(calls, 0);
}

TEST(ArrayUtils, RangeBeyondTheItemsThrowsOutOfRange)
{
    Array<int> keys;
    keys.AddItem(1);
    keys.AddItem(2);
    ArrayBuffer<unsigned int, 1, 0> indices(1);
    indices.GetElementPointer(0) = 42;
    int calls = 0;
    for (auto [first, count] : {std::pair{0u, 3u}, std::pair{2u, 1u}, std::pair{1u, 0xFFFFFFFFu}})
    {
        try
        {
            ArrayUtils::SortIndecies(indices, keys, first, count, ByKeyThenIndex{&keys, &calls});
            ADD_FAILURE() << "no exception for " << first << "+" << count;
        }
        catch (const Exception<std::out_of_range>& error)
        {
            EXPECT_EQ(std::string(error.what())
                          .rfind("Out of Range : Orv::ArrayUtils::SortIndecies : ", 0),
                      0u);
        }
    }
    EXPECT_EQ(Indices(indices), (std::vector<unsigned int>{42}));
}

TEST(ArrayUtils, SortSortsTheRangeInPlaceAndChecksIt)
{
    Array<int> items;
    for (int value : {9, 4, 7, 1, 8, 2})
    {
        items.AddItem(value);
    }
    const auto less = [](int a, int b) { return a < b; };
    ArrayUtils::Sort(items, 1, 4, less);
    std::vector<int> sorted(items.GetData(), items.GetData() + items.GetCount());
    EXPECT_EQ(sorted, (std::vector<int>{9, 1, 4, 7, 8, 2}));

    ArrayUtils::Sort(items, 5, 1, less);
    ArrayUtils::Sort(items, 9, 0, less);
    for (auto [first, count] : {std::pair{0u, 7u}, std::pair{5u, 2u}, std::pair{1u, 0xFFFFFFFFu}})
    {
        try
        {
            ArrayUtils::Sort(items, first, count, less);
            ADD_FAILURE() << "no exception for " << first << "+" << count;
        }
        catch (const Exception<std::out_of_range>& error)
        {
            EXPECT_EQ(std::string(error.what()).rfind("Out of Range : Orv::ArrayUtils::Sort : ", 0),
                      0u);
        }
    }
    std::vector<int> unchanged(items.GetData(), items.GetData() + items.GetCount());
    EXPECT_EQ(unchanged, (std::vector<int>{9, 1, 4, 7, 8, 2}));
}
