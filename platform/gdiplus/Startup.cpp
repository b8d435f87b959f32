// Start-up and shut-down of the interface, and the memory callers wrap handles in.
#include "GdiPlusObjects.h"

#include <cstdlib>
#include <mutex>
#include <set>

namespace Gdiplus
{
namespace
{
std::mutex gStartLock;
std::set<ULONG_PTR>& Tokens()
{
    static std::set<ULONG_PTR> tokens;
    return tokens;
}
ULONG_PTR gNextToken = 1;
std::atomic<int> gStarted{0};

Status HookNotification(ULONG_PTR* token)
{
    if (token == nullptr)
    {
        return InvalidParameter;
    }
    *token = 0;
    return Ok;
}

void UnhookNotification(ULONG_PTR) {}
} // namespace

bool IsStarted()
{
    return gStarted.load(std::memory_order_acquire) > 0;
}

Status GdiplusStartup(ULONG_PTR* token, const GdiplusStartupInput* input,
                      GdiplusStartupOutput* output)
{
    if (token == nullptr || input == nullptr)
    {
        return InvalidParameter;
    }
    if (input->GdiplusVersion != 1 && input->GdiplusVersion != 2)
    {
        return UnsupportedGdiplusVersion;
    }
    if (input->SuppressBackgroundThread && output == nullptr)
    {
        return InvalidParameter;
    }
    if (output != nullptr)
    {
        output->NotificationHook = HookNotification;
        output->NotificationUnhook = UnhookNotification;
    }
    std::lock_guard<std::mutex> lock(gStartLock);
    *token = gNextToken++;
    Tokens().insert(*token);
    gStarted.fetch_add(1, std::memory_order_release);
    return Ok;
}

void GdiplusShutdown(ULONG_PTR token)
{
    std::lock_guard<std::mutex> lock(gStartLock);
    if (Tokens().erase(token) != 0)
    {
        gStarted.fetch_sub(1, std::memory_order_release);
    }
}
} // namespace Gdiplus

void* GdipAlloc(size_t size)
{
    return std::malloc(size == 0 ? 1 : size);
}

void GdipFree(void* memory)
{
    std::free(memory);
}
