// Interlocked operations: atomic read-modify-write of a 32-bit value, full barrier.
#pragma once

#include "platform/Types.h"

#include <atomic>

inline LONG InterlockedIncrement(LONG volatile* target)
{
    return std::atomic_ref<LONG>(*const_cast<LONG*>(target)).fetch_add(1) + 1;
}

inline LONG InterlockedDecrement(LONG volatile* target)
{
    return std::atomic_ref<LONG>(*const_cast<LONG*>(target)).fetch_sub(1) - 1;
}

// Adds value and returns the value the target held before.
inline LONG InterlockedExchangeAdd(LONG volatile* target, LONG value)
{
    return std::atomic_ref<LONG>(*const_cast<LONG*>(target)).fetch_add(value);
}

// Stores value and returns the value the target held before.
inline LONG InterlockedExchange(LONG volatile* target, LONG value)
{
    return std::atomic_ref<LONG>(*const_cast<LONG*>(target)).exchange(value);
}

// Stores exchange when the target equals comparand; returns the value the target held before.
inline LONG InterlockedCompareExchange(LONG volatile* target, LONG exchange, LONG comparand)
{
    std::atomic_ref<LONG>(*const_cast<LONG*>(target)).compare_exchange_strong(comparand, exchange);
    return comparand;
}

inline void* InterlockedExchangePointer(void* volatile* target, void* value)
{
    return std::atomic_ref<void*>(*const_cast<void**>(target)).exchange(value);
}

inline void* InterlockedCompareExchangePointer(void* volatile* target, void* exchange,
                                               void* comparand)
{
    std::atomic_ref<void*>(*const_cast<void**>(target))
        .compare_exchange_strong(comparand, exchange);
    return comparand;
}
