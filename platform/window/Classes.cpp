// Window classes.
#include "WindowSystem.h"

#include "platform/Kernel.h"

#include <cwctype>

using namespace OrvPlatform::Window::Detail;

namespace
{
std::wstring Key(LPCWSTR name)
{
    std::wstring key = name;
    for (wchar_t& c : key)
    {
        c = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
    }
    return key;
}
} // namespace

namespace OrvPlatform::Window::Detail
{
// The class of a name or atom (state lock held).
std::shared_ptr<WindowClassRecord> FindClass(WindowSystem& system, LPCWSTR name)
{
    if (name == nullptr)
    {
        return nullptr;
    }
    if (IS_INTRESOURCE(name))
    {
        const ATOM atom = static_cast<ATOM>(reinterpret_cast<UINT_PTR>(name));
        for (const auto& [key, record] : system.classes)
        {
            if (record->atom == atom)
            {
                return record;
            }
        }
        return nullptr;
    }
    auto found = system.classes.find(Key(name));
    return found == system.classes.end() ? nullptr : found->second;
}
void RegisterSystemClasses(WindowSystem& system)
{
    // The static control's class: its windows are plain windows here (they draw nothing).
    auto record = std::make_shared<WindowClassRecord>();
    record->name = L"STATIC";
    record->atom = kStaticClassAtom;
    record->procedure = DefWindowProcW;
    system.classes[Key(record->name.c_str())] = record;
}
} // namespace OrvPlatform::Window::Detail

ATOM RegisterClassW(const WNDCLASSW* windowClass)
{
    if (windowClass == nullptr || windowClass->lpfnWndProc == nullptr ||
        windowClass->lpszClassName == nullptr || IS_INTRESOURCE(windowClass->lpszClassName) ||
        windowClass->lpszClassName[0] == L'\0')
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (windowClass->cbClsExtra != 0 || windowClass->cbWndExtra != 0)
    {
        SetLastError(ERROR_NOT_SUPPORTED);
        return 0;
    }
    WindowSystem& system = WindowSystem::Get();
    std::lock_guard<std::mutex> guard(system.lock);
    const std::wstring key = Key(windowClass->lpszClassName);
    if (system.classes.count(key) != 0)
    {
        SetLastError(ERROR_CLASS_ALREADY_EXISTS);
        return 0;
    }
    auto record = std::make_shared<WindowClassRecord>();
    record->name = windowClass->lpszClassName;
    record->atom = system.nextAtom++;
    record->style = windowClass->style;
    record->procedure = windowClass->lpfnWndProc;
    record->instance = windowClass->hInstance;
    record->icon = windowClass->hIcon;
    record->cursor = windowClass->hCursor;
    record->background = windowClass->hbrBackground;
    system.classes[key] = record;
    return record->atom;
}

BOOL UnregisterClassW(LPCWSTR className, HINSTANCE)
{
    WindowSystem& system = WindowSystem::Get();
    std::lock_guard<std::mutex> guard(system.lock);
    auto record = FindClass(system, className);
    if (!record)
    {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    if (record->windows > 0)
    {
        SetLastError(ERROR_CLASS_HAS_WINDOWS);
        return FALSE;
    }
    system.classes.erase(Key(record->name.c_str()));
    return TRUE;
}

BOOL GetClassInfoW(HINSTANCE, LPCWSTR className, LPWNDCLASSW windowClass)
{
    WindowSystem& system = WindowSystem::Get();
    std::lock_guard<std::mutex> guard(system.lock);
    auto record = FindClass(system, className);
    if (!record || windowClass == nullptr)
    {
        SetLastError(record ? ERROR_INVALID_PARAMETER : ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    *windowClass = WNDCLASSW{};
    windowClass->style = record->style;
    windowClass->lpfnWndProc = record->procedure;
    windowClass->hInstance = record->instance;
    windowClass->hIcon = record->icon;
    windowClass->hCursor = record->cursor;
    windowClass->hbrBackground = record->background;
    windowClass->lpszClassName = record->name.c_str();
    return TRUE;
}

ULONG_PTR SetClassLongPtrW(HWND window, int index, LONG_PTR value)
{
    WindowSystem& system = WindowSystem::Get();
    std::lock_guard<std::mutex> guard(system.lock);
    auto record = system.Find(window);
    if (!record)
    {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    if (index != GCLP_HCURSOR)
    {
        SetLastError(ERROR_NOT_SUPPORTED);
        return 0;
    }
    const auto previous = reinterpret_cast<ULONG_PTR>(record->windowClass->cursor);
    record->windowClass->cursor = reinterpret_cast<HCURSOR>(value);
    return previous;
}

ULONG_PTR GetClassLongPtrW(HWND window, int index)
{
    WindowSystem& system = WindowSystem::Get();
    std::lock_guard<std::mutex> guard(system.lock);
    auto record = system.Find(window);
    if (!record)
    {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    if (index != GCLP_HCURSOR)
    {
        SetLastError(ERROR_NOT_SUPPORTED);
        return 0;
    }
    return reinterpret_cast<ULONG_PTR>(record->windowClass->cursor);
}
