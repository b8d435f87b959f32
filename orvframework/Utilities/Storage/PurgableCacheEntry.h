// One entry of a PurgableObjectCache: the key's handle, the cached object (null when empty), the
// use-clock stamp of its last use and the number of uses since it got its key.
#pragma once

#include "ObjectBase/RCPtr.h"

namespace Orv
{
template <class T, class Handle>
class PurgableCacheEntry
{
public:
    static constexpr unsigned int kMaxUses = 0xFFFFFFFFu;

    PurgableCacheEntry() = default;
    PurgableCacheEntry(const PurgableCacheEntry&) = delete;
    PurgableCacheEntry& operator=(const PurgableCacheEntry&) = delete;
    virtual ~PurgableCacheEntry() = default;

    // True when the entry holds no object.
    virtual bool IsEmpty() const { return object == nullptr; }

    // Gives the entry another key: no object, no uses.
    void SetKey(const Handle& newHandle)
    {
        lastUse = 0;
        uses = 0;
        object = nullptr;
        handle = newHandle;
    }

    // Drops the object and the use record; the entry keeps its key.
    void Drop()
    {
        lastUse = 0;
        uses = 0;
        object = nullptr;
    }

    Handle handle{};
    RCPtr<T> object;
    unsigned int lastUse = 0;
    unsigned int uses = 0;
};
} // namespace Orv
