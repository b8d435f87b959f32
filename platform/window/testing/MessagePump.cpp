#include "MessagePump.h"

#include "platform/User32.h"

namespace OrvTest
{
void PumpMessages(DWORD ms)
{
    const DWORD start = GetTickCount();
    MSG msg{};
    while (GetTickCount() - start < ms)
    {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        {
            DispatchMessageW(&msg);
        }
        Sleep(10);
    }
}
} // namespace OrvTest
