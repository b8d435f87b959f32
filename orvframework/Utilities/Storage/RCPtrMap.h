// Values by key object: each pair holds a counted reference to its key object and to its value.
// Keys are told apart by identity; bits 4 and up of a key object's address pick one of
// 2^HashBits buckets. A key object cannot die while it is held here, so its address is never
// taken over by another object meanwhile.
#pragma once

#include "Utilities/Storage/HashBits.h"
#include "Utilities/Storage/HashedList.h"

namespace Orv
{
template <class K, class V, unsigned int HashBits>
class RCPtrMap
{
public:
    using PairType = LPair<ConstRCPtr<K>, RCPtr<V>>;

    RCPtrMap() = default;
    RCPtrMap(const RCPtrMap&) = delete;
    RCPtrMap& operator=(const RCPtrMap&) = delete;

    // Holds value under key, replacing what the key held. false for a null key (nothing held).
    bool Set(const ConstRCPtr<K>& key, const RCPtr<V>& value)
    {
        if (key == nullptr)
        {
            return false;
        }
        mPairs.Add(RCPtr<PairType>(new PairType(key, value)));
        return true;
    }

    // The value held for the key object; null when the key is not held.
    RCPtr<V> Find(const K* key) const
    {
        const RCPtr<PairType> pair = mPairs.Find(AddressOf(key));
        return pair != nullptr ? pair->second : RCPtr<V>();
    }

    // Drops the key's pair; false when the key is not held.
    bool Remove(const K* key) { return mPairs.Remove(AddressOf(key)); }

    // Drops every pair, with its references to key and value.
    void Clear() { mPairs.Clear(); }

    int GetCount() const { return mPairs.GetCount(); }

private:
    static UINT_PTR AddressOf(const K* key) { return reinterpret_cast<UINT_PTR>(key); }
    static UINT_PTR PairKey(const RCPtr<PairType>& pair) { return AddressOf(pair->first.Get()); }

    HashedList<RCPtr<PairType>, UINT_PTR, &PairKey, HashBits, &GetBits<HashBits, 4, UINT_PTR>>
        mPairs;
};
} // namespace Orv
