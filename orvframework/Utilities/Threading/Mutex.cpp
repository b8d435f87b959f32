#include "Utilities/Threading/Mutex.h"

namespace Orv
{
Mutex::Mutex()
{
    InitializeCriticalSection(&mSection);
}

Mutex::~Mutex()
{
    DeleteCriticalSection(&mSection);
}

void Mutex::Enter()
{
    EnterCriticalSection(&mSection);
}

void Mutex::Leave()
{
    LeaveCriticalSection(&mSection);
}
} // namespace Orv
