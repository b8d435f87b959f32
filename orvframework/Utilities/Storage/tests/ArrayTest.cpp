#include "Utilities/Storage/Array.h"
#include "Utilities/Storage/StringArrayT.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

using namespace Orv;

namespace
{
// The elements in order, read through the interface's forward walk.
template <class T>
std::vector<T> Forward(const IIterable<T>& items)
{
    std::vector<T> seen;
    for (auto at = items.Begin(); !(at == items.End()); ++at)
    {
        seen.push_back(*at);
    }
    return seen;
}

template <class T>
std::vector<T> Backward(const IIterable<T>& items)
{
    std::vector<T> seen;
    for (auto at = items.RBegin(); !(at == items.REnd()); ++at)
    {
        seen.push_back(*at);
    }
    return seen;
}

Array<int> Make(std::initializer_list<int> values)
{
    Array<int> array;
    for (int value : values)
    {
        array.AddItem(value);
    }
    return array;
}
} // namespace

TEST(Array, EmptyArrayHasNullPositionsAndTheFixedMaximum)
{
    Array<int> array;
    IArray<int>& items = array;
    EXPECT_EQ(items.GetMaxCount(), 0x7fffffffu);
    EXPECT_EQ(items.GetCount(), 0u);
    EXPECT_EQ(items.GetFirstPosition(), nullptr);
    EXPECT_EQ(items.GetEndPosition(), nullptr);
    EXPECT_EQ(items.GetLastPosition(), nullptr);
    EXPECT_EQ(items.GetBeforeFirstPosition(), nullptr);
    EXPECT_TRUE(items.Begin() == items.End());
    EXPECT_TRUE(items.RBegin() == items.REnd());
    EXPECT_EQ(items.Advance(nullptr, 3), nullptr);
    EXPECT_EQ(items.GetData(), nullptr);
}

TEST(Array, WalksBothWaysAndAdvanceStopsAtTheEnds)
{
    Array<int> array = Make({1, 2, 3});
    IArray<int>& items = array;
    EXPECT_EQ(Forward<int>(items), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(Backward<int>(items), (std::vector<int>{3, 2, 1}));
    int* first = items.GetFirstPosition();
    EXPECT_EQ(items.Advance(first, 2), items.GetLastPosition());
    EXPECT_EQ(items.Advance(first, 3), items.GetEndPosition());
    EXPECT_EQ(items.Advance(first, 100), items.GetEndPosition());
    EXPECT_EQ(items.Advance(first, -1), items.GetBeforeFirstPosition());
    EXPECT_EQ(items.Advance(first, -100), items.GetBeforeFirstPosition());
    EXPECT_EQ(items.Advance(items.GetBeforeFirstPosition(), 1), first);
}

TEST(Array, InsertCheckedAgainstTheCountAndReturnsTheIndex)
{
    Array<int> array = Make({1, 2});
    IArray<int>& items = array;
    EXPECT_EQ(items.InsertItem(2, 9), 2);
    EXPECT_EQ(items.InsertItem(0, 7), 0);
    EXPECT_EQ(items.InsertItem(5, 8), E_INVALIDARG);
    EXPECT_EQ(Forward<int>(items), (std::vector<int>{7, 1, 2, 9}));
    EXPECT_EQ(items.InsertItems(1, 2), 6);
    EXPECT_EQ(Forward<int>(items), (std::vector<int>{7, 0, 0, 1, 2, 9}));
    EXPECT_EQ(items.InsertItems(7, 1), E_INVALIDARG);
    EXPECT_EQ(items.GetCount(), 6u);
}

TEST(Array, RemovalChecksTheIndexAndThrowsForBadElementAccess)
{
    Array<int> array = Make({1, 2, 3, 4});
    IArray<int>& items = array;
    int out = 0;
    EXPECT_EQ(items.RemoveItem(1, out), 3);
    EXPECT_EQ(out, 2);
    EXPECT_EQ(items.RemoveLastItem(out), 2);
    EXPECT_EQ(out, 4);
    // An index at or past the count is refused even when nothing is to be removed.
    EXPECT_EQ(items.RemoveItems(2, 0), E_INVALIDARG);
    EXPECT_EQ(items.RemoveItems(1, 2), E_INVALIDARG);
    EXPECT_EQ(Forward<int>(items), (std::vector<int>{1, 3}));

    try
    {
        items.RemoveItem(2, out);
        FAIL() << "no exception";
    }
    catch (const std::out_of_range& error)
    {
        EXPECT_STREQ(error.what(), "invalid vector<T> subscript");
    }
    EXPECT_THROW(items.GetConstElementPointer(2), std::out_of_range);
    Array<int> empty;
    EXPECT_THROW(empty.RemoveLastItem(out), std::out_of_range);
    EXPECT_EQ(out, 4);
}

TEST(Array, AppendAssignAndSwapThroughTheInterface)
{
    Array<int> array = Make({1, 2});
    Array<int> other = Make({3, 4, 5});
    Array<int> empty;
    IArray<int>& items = array;
    EXPECT_EQ(items.AppendAll(empty), 2);
    EXPECT_EQ(items.AppendAll(other), 5);
    EXPECT_EQ(items.AddItems(Make({6})), 6);
    // Appending an array to itself doubles it.
    EXPECT_EQ(items.AppendAll(items), 12);
    EXPECT_EQ(Forward<int>(items), (std::vector<int>{1, 2, 3, 4, 5, 6, 1, 2, 3, 4, 5, 6}));

    EXPECT_EQ(items.Assign(other), 3);
    EXPECT_EQ(items.Assign(items), 3);
    EXPECT_EQ(Forward<int>(items), (std::vector<int>{3, 4, 5}));
    EXPECT_EQ(items.Swap(0, 2), S_OK);
    EXPECT_EQ(items.Swap(0, 3), E_INVALIDARG);
    EXPECT_EQ(Forward<int>(items), (std::vector<int>{5, 4, 3}));
    EXPECT_EQ(items.RemoveAll(), S_OK);
    EXPECT_EQ(items.GetCount(), 0u);
    EXPECT_EQ(items.SetCount(0x80000000u), E_INVALIDARG);
}

TEST(Array, StringArrayKeepsCopiesOfItsStrings)
{
    WStringArray names;
    WString name(L"first");
    names.AddItem(name);
    names.AddItem(WString(L"second"));
    name = WString(L"changed");
    EXPECT_TRUE(names.GetConstElementPointer(0) == WString(L"first"));
    names.InsertItem(0, names.GetElementPointer(1));
    EXPECT_TRUE(names.GetConstElementPointer(0) == WString(L"second"));
    EXPECT_EQ(names.GetCount(), 3u);
}
