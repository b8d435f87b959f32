// Thread hooks told of window creation.
#include "WindowSystem.h"

#include "platform/Kernel.h"

#include <algorithm>
#include <vector>

using namespace OrvPlatform::Window::Detail;

namespace
{
struct Hook
{
    HOOKPROC procedure;
};

// The calling thread's hooks, the latest first.
thread_local std::vector<Hook*> tHooks;
} // namespace

namespace OrvPlatform::Window::Detail
{
void CallCreationHooks(HWND window, CREATESTRUCTW* create)
{
    if (tHooks.empty())
    {
        return;
    }
    CBT_CREATEWNDW data{create, nullptr};
    // The latest hook is told first; it passes on with CallNextHookEx.
    Hook* first = tHooks.front();
    first->procedure(HCBT_CREATEWND, reinterpret_cast<WPARAM>(window),
                     reinterpret_cast<LPARAM>(&data));
}
} // namespace OrvPlatform::Window::Detail

HHOOK SetWindowsHookExW(int kind, HOOKPROC procedure, HINSTANCE, DWORD threadId)
{
    if (kind != WH_CBT || procedure == nullptr || threadId != GetCurrentThreadId())
    {
        SetLastError(ERROR_NOT_SUPPORTED);
        return nullptr;
    }
    auto* hook = new Hook{procedure};
    tHooks.insert(tHooks.begin(), hook);
    return reinterpret_cast<HHOOK>(hook);
}

BOOL UnhookWindowsHookEx(HHOOK handle)
{
    auto* hook = reinterpret_cast<Hook*>(handle);
    auto found = std::find(tHooks.begin(), tHooks.end(), hook);
    if (found == tHooks.end())
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    tHooks.erase(found);
    delete hook;
    return TRUE;
}

LRESULT CallNextHookEx(HHOOK handle, int code, WPARAM wParam, LPARAM lParam)
{
    auto found = std::find(tHooks.begin(), tHooks.end(), reinterpret_cast<Hook*>(handle));
    if (found == tHooks.end() || ++found == tHooks.end())
    {
        return 0;
    }
    return (*found)->procedure(code, wParam, lParam);
}
