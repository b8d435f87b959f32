// Holds a lock (anything with Enter and Leave) for one scope, left on every way out.
#pragma once

namespace Orv
{
template <class L>
class ScopedLock
{
public:
    explicit ScopedLock(L& lock)
        : mLock(lock)
    {
        mLock.Enter();
    }
    ~ScopedLock() { mLock.Leave(); }
    ScopedLock(const ScopedLock&) = delete;
    ScopedLock& operator=(const ScopedLock&) = delete;

private:
    L& mLock;
};
} // namespace Orv
