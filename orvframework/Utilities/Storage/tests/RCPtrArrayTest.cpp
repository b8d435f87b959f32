#include "Utilities/Storage/RCPtrArray.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Orv;

namespace
{
class Tracked : public LRefCountedObject
{
public:
    explicit Tracked(int value, int* destroyed = nullptr)
        : value(value)
        , destroyed(destroyed)
    {
    }
    ~Tracked() override
    {
        if (destroyed != nullptr)
        {
            ++*destroyed;
        }
    }

    int value;
    int* destroyed;
};

using Array = RCPtrArray<Tracked, 1, 0>;

std::vector<int> Values(Array& array)
{
    std::vector<int> values;
    IIterable<ConstRCPtr<Tracked>>& items = array;
    for (auto at = items.Begin(); !(at == items.End()); ++at)
    {
        values.push_back(at->IsNull() ? -1 : (*at)->value);
    }
    return values;
}

template <class Call>
std::string OutOfRangeText(Call call)
{
    try
    {
        call();
    }
    catch (const Exception<std::out_of_range>& error)
    {
        return error.what();
    }
    return "no exception";
}
} // namespace

TEST(RCPtrArray, RemovingMovesTheReferenceToTheOutPointer)
{
    int destroyed = 0;
    Array array;
    {
        RCPtr<Tracked> object(new Tracked(1, &destroyed));
        array.AddItem(object);
        EXPECT_EQ(object->GetRefCount(), 2);
    }
    array.AddItem(RCPtr<Tracked>(new Tracked(2, &destroyed)));
    RCPtr<Tracked> out(new Tracked(99, &destroyed));
    EXPECT_EQ(array.RemoveItem(0, out), 1);
    // The old content of the out pointer is released; the element's count is unchanged.
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(out->value, 1);
    EXPECT_EQ(out->GetRefCount(), 1);
    out = nullptr;
    EXPECT_EQ(destroyed, 2);
    EXPECT_EQ(Values(array), (std::vector<int>{2}));
}

TEST(RCPtrArray, SetCountAndDestructionReleaseEachElementOnce)
{
    int destroyed = 0;
    RCPtr<Tracked> kept(new Tracked(0, &destroyed));
    {
        Array array;
        for (int i = 1; i <= 40; ++i)
        {
            array.AddItem(RCPtr<Tracked>(new Tracked(i, &destroyed)));
        }
        array.AddItem(kept);
        array.AddItem(kept);
        EXPECT_EQ(kept->GetRefCount(), 3);
        EXPECT_EQ(array.SetCount(20), 20);
        EXPECT_EQ(destroyed, 20);
        EXPECT_EQ(array.SetCount(25), 25);
        EXPECT_EQ(Values(array).back(), -1);
        array.AddItem(kept);
        EXPECT_EQ(kept->GetRefCount(), 2);
    }
    EXPECT_EQ(destroyed, 40);
    EXPECT_EQ(kept->GetRefCount(), 1);
}

TEST(RCPtrArray, OutOfRangeRemovalThrowsAndChangesNothing)
{
    Array array(2);
    RCPtr<Tracked> object(new Tracked(5));
    array.GetElementPointer(1) = object;
    RCPtr<Tracked> out;
    const std::string writable = OutOfRangeText([&] { array.RemoveItem(2, out); });
    EXPECT_EQ(writable.rfind("Out of Range : Orv::RCPtrArray<class ", 0), 0u) << writable;
    EXPECT_NE(writable.find("Tracked,1,0>::RemoveItem : "), std::string::npos) << writable;
    EXPECT_NE(writable.find("RCPtrArray.h : Line "), std::string::npos) << writable;

    ConstRCPtr<Tracked> constOut;
    ConstRCPtrArray<Tracked, 1, 0>& readOnly = array;
    const std::string readOnlyText = OutOfRangeText([&] { readOnly.RemoveItem(5, constOut); });
    EXPECT_EQ(readOnlyText.rfind("Out of Range : Orv::ConstRCPtrArray<class ", 0), 0u);

    // A range that runs past the end is refused before anything is removed.
    EXPECT_NE(OutOfRangeText([&] { array.RemoveItems(1, 2); }), "no exception");
    // Removing nothing needs no valid index.
    EXPECT_EQ(array.RemoveItems(7, 0), 2);
    EXPECT_EQ(array.GetCount(), 2u);
    EXPECT_EQ(object->GetRefCount(), 2);
    EXPECT_EQ(array.RemoveItems(0, 2), 0);
    EXPECT_EQ(object->GetRefCount(), 1);
}

TEST(RCPtrArray, InsertionCountsReferencesAndChecksTheIndex)
{
    Array array;
    RCPtr<Tracked> object(new Tracked(1));
    EXPECT_EQ(array.InsertItem(0, object), 0);
    EXPECT_EQ(array.InsertItem(0, RCPtr<Tracked>()), 0);
    EXPECT_EQ(array.InsertItem(3, object), E_INVALIDARG);
    EXPECT_EQ(array.InsertItems(3, 1), E_INVALIDARG);
    EXPECT_EQ(array.InsertItem(2, object), 2);
    EXPECT_EQ(Values(array), (std::vector<int>{-1, 1, 1}));
    EXPECT_EQ(object->GetRefCount(), 3);
    // Inserting an element of the array itself, while the store moves.
    EXPECT_EQ(array.InsertItem(0, array.GetElementPointer(2)), 0);
    EXPECT_EQ(object->GetRefCount(), 4);
    EXPECT_EQ(array.InsertItems(1, 2), 6);
    EXPECT_EQ(Values(array), (std::vector<int>{1, -1, -1, -1, 1, 1}));
}

TEST(RCPtrArray, RemoveLastItemClearsTheOutPointerAndFailsWhenEmpty)
{
    int destroyed = 0;
    Array array;
    RCPtr<Tracked> out(new Tracked(9, &destroyed));
    EXPECT_EQ(array.RemoveLastItem(out), E_FAIL);
    EXPECT_TRUE(out.IsNull());
    EXPECT_EQ(destroyed, 1);
    array.AddItem(RCPtr<Tracked>(new Tracked(1)));
    array.AddItem(RCPtr<Tracked>(new Tracked(2)));
    EXPECT_EQ(array.RemoveLastItem(out), 1);
    EXPECT_EQ(out->value, 2);
    EXPECT_EQ(out->GetRefCount(), 1);
}

TEST(RCPtrArray, SwapAndAppendKeepTheCountsRight)
{
    RCPtr<Tracked> a(new Tracked(1)), b(new Tracked(2));
    Array array;
    array.AddItem(a);
    array.AddItem(b);
    EXPECT_EQ(array.Swap(0, 1), S_OK);
    EXPECT_EQ(array.Swap(0, 2), E_INVALIDARG);
    EXPECT_EQ(Values(array), (std::vector<int>{2, 1}));
    EXPECT_EQ(a->GetRefCount(), 2);

    // Through the writable interface, each appended element is counted once more.
    IArray<RCPtr<Tracked>>& writable = array;
    Array other;
    other.AddItem(a);
    EXPECT_EQ(writable.AppendAll(other), 3);
    EXPECT_EQ(writable.AddItems(other), 4);
    EXPECT_EQ(a->GetRefCount(), 5);
    std::vector<int> walked;
    for (auto at = writable.RBegin(); !(at == writable.REnd()); ++at)
    {
        walked.push_back((*at)->value);
    }
    EXPECT_EQ(walked, (std::vector<int>{1, 1, 1, 2}));
    IArray<ConstRCPtr<Tracked>>& readOnly = array;
    EXPECT_EQ(readOnly.Assign(other), 1);
    EXPECT_EQ(a->GetRefCount(), 3);
    EXPECT_EQ(b->GetRefCount(), 1);
}

namespace
{
// An element that, when it dies, removes the first element of the array it lives in.
class SelfRemoving : public LRefCountedObject
{
public:
    explicit SelfRemoving(Array* owner)
        : owner(owner)
    {
    }
    ~SelfRemoving() override
    {
        if (owner->GetCount() != 0)
        {
            RCPtr<Tracked> dropped;
            owner->RemoveItem(0, dropped);
        }
    }
    Array* owner;
};

class Holder : public Tracked
{
public:
    Holder(Array* owner)
        : Tracked(0)
        , inner(new SelfRemoving(owner))
    {
    }
    RCPtr<SelfRemoving> inner;
};
} // namespace

TEST(RCPtrArray, ReleasedElementsMayChangeTheArray)
{
    int destroyed = 0;
    Array array;
    for (int i = 0; i < 3; ++i)
    {
        array.AddItem(RCPtr<Tracked>(new Holder(&array)));
        array.AddItem(RCPtr<Tracked>(new Tracked(i, &destroyed)));
    }
    // Each released holder takes the then-first element with it: releasing the third holder
    // removes the first one, whose release removes the first plain element.
    RCPtr<Tracked> out;
    array.RemoveItem(4, out);
    out = nullptr;
    EXPECT_EQ(array.GetCount(), 3u);
    EXPECT_EQ(destroyed, 1);
    array.SetCount(0);
    EXPECT_EQ(array.GetCount(), 0u);
    EXPECT_EQ(destroyed, 3);
}

TEST(RCPtrArray, SharedListIsAnObject)
{
    RCPtr<LRCPtrArray<Tracked, 1, 0>> list(new LRCPtrArray<Tracked, 1, 0>(2));
    RCPtr<LRCPtrArray<Tracked, 1, 0>> second = list;
    list->GetElementPointer(0) = RCPtr<Tracked>(new Tracked(4));
    EXPECT_EQ(second->GetConstElementPointer(0)->value, 4);
    EXPECT_EQ(list->GetRefCount(), 2);
}

namespace
{
class Copyable : public LRefCountedObject
{
public:
    explicit Copyable(int value)
        : value(value)
    {
    }
    ConstRCPtr<LRefCountedObject> CreateCopy() const override
    {
        return ConstRCPtr<LRefCountedObject>(new Copyable(value));
    }
    int value;
};
} // namespace

TEST(RCPtrArray, UnshareableItemIsStoredAsItsOwnCopy)
{
    Copyable* original = new Copyable(3);
    RCPtr<Copyable> holder(original);
    holder->SetUnshareable(true);
    RCPtrArray<Copyable, 1, 0> array;
    array.AddItem(holder);
    EXPECT_NE(array.GetElementPointer(0).Get(), original);
    EXPECT_EQ(array.GetElementPointer(0)->value, 3);
    EXPECT_EQ(original->GetRefCount(), 1);
}

TEST(RCPtrArray, FindGivesTheFirstPositionOfAnObject)
{
    Array array;
    RCPtr<Tracked> a(new Tracked(1));
    RCPtr<Tracked> b(new Tracked(2));
    RCPtr<Tracked> absent(new Tracked(3));
    array.AddItem(a);
    array.AddItem(RCPtr<Tracked>());
    array.AddItem(b);
    array.AddItem(a);
    EXPECT_EQ(array.Find(a.Get()), 0);
    EXPECT_EQ(array.Find(b.Get()), 2);
    EXPECT_EQ(array.Find(nullptr), 1);
    EXPECT_EQ(array.Find(absent.Get()), -1);
    EXPECT_EQ(Array().Find(a.Get()), -1);
}
