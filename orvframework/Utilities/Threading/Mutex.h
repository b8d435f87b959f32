// A lock for the threads of this process (a critical section): the owner may enter again, and
// it is free once every Enter has been matched by a Leave.
#pragma once

#include "platform/Kernel.h"

namespace Orv
{
class Mutex
{
public:
    Mutex();
    virtual ~Mutex();
    Mutex(const Mutex&) = delete;
    Mutex& operator=(const Mutex&) = delete;

    void Enter();
    void Leave();

private:
    CRITICAL_SECTION mSection;
};
} // namespace Orv
