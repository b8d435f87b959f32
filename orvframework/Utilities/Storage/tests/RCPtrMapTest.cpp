#include "Utilities/Storage/RCPtrMap.h"

#include "ObjectBase/Holder.h"

#include <gtest/gtest.h>

using namespace Orv;

namespace
{
using Key = LHolder<int>;
using Value = LHolder<double>;
using Map = RCPtrMap<Key, Value, 8>;
} // namespace

TEST(RCPtrMap, ValuesAreFoundByTheIdentityOfTheirKeyObject)
{
    Map map;
    ConstRCPtr<Key> first(new Key(1));
    ConstRCPtr<Key> twin(new Key(1)); // equal value, another object
    RCPtr<Value> a(new Value(0.5));
    RCPtr<Value> b(new Value(2.5));
    EXPECT_TRUE(map.Set(first, a));
    EXPECT_EQ(map.Find(first.Get()), a);
    EXPECT_EQ(map.Find(twin.Get()), nullptr);
    EXPECT_TRUE(map.Set(twin, b));
    EXPECT_EQ(map.Find(twin.Get()), b);
    // Setting a held key again replaces its value.
    EXPECT_TRUE(map.Set(first, b));
    EXPECT_EQ(map.Find(first.Get()), b);
    EXPECT_EQ(map.GetCount(), 2);
    EXPECT_FALSE(map.Set(ConstRCPtr<Key>(), a));
    EXPECT_EQ(map.Find(nullptr), nullptr);
    EXPECT_TRUE(map.Remove(first.Get()));
    EXPECT_FALSE(map.Remove(first.Get()));
    EXPECT_EQ(map.Find(first.Get()), nullptr);
    EXPECT_EQ(map.GetCount(), 1);
}

TEST(RCPtrMap, PairsHoldTheirKeyAndValueUntilClearedOrDestroyed)
{
    ConstRCPtr<Key> key(new Key(7));
    RCPtr<Value> value(new Value(1.0));
    {
        Map map;
        map.Set(key, value);
        EXPECT_GT(key->GetRefCount(), 1);
        EXPECT_GT(value->GetRefCount(), 1);
        map.Clear();
        EXPECT_EQ(key->GetRefCount(), 1);
        EXPECT_EQ(value->GetRefCount(), 1);
        EXPECT_EQ(map.GetCount(), 0);
        map.Set(key, value);
    }
    EXPECT_EQ(key->GetRefCount(), 1);
    EXPECT_EQ(value->GetRefCount(), 1);
}
