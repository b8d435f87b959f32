// Key functions of the hashed caches: a key that is its own handle, and a bucket number taken
// from a run of bits of an integer handle.
#pragma once

namespace Orv
{
// The key itself, as the handle of a cache whose keys are their own handles.
template <class Key>
const Key& GetSelf(const Key& key)
{
    return key;
}

// Bits Shift .. Shift + Bits - 1 of the value: Bits = 8, Shift = 4 gives bits 4 to 11.
template <unsigned int Bits, unsigned int Shift, class Value>
unsigned int GetBits(const Value& value)
{
    static_assert(Bits > 0 && Bits < 32 && Shift + Bits <= 8 * sizeof(unsigned long long));
    const auto bits = static_cast<unsigned long long>(value);
    return static_cast<unsigned int>((bits >> Shift) & ((1ull << Bits) - 1));
}
} // namespace Orv
