// The message box.
#include "Utf8Text.h"
#include "WindowSystem.h"

#include "platform/DebugApi.h"
#include "platform/Kernel.h"

#include <string>
#include <vector>

using namespace OrvPlatform::Window::Detail;

namespace
{
struct Button
{
    int id;
    const char* text;
};

std::vector<Button> ButtonsOf(UINT type)
{
    switch (type & 0x0F)
    {
        case MB_OKCANCEL:
            return {{IDOK, "OK"}, {IDCANCEL, "Cancel"}};
        case MB_ABORTRETRYIGNORE:
            return {{IDABORT, "Abort"}, {IDRETRY, "Retry"}, {IDIGNORE, "Ignore"}};
        case MB_YESNOCANCEL:
            return {{IDYES, "Yes"}, {IDNO, "No"}, {IDCANCEL, "Cancel"}};
        case MB_YESNO:
            return {{IDYES, "Yes"}, {IDNO, "No"}};
        case MB_RETRYCANCEL:
            return {{IDRETRY, "Retry"}, {IDCANCEL, "Cancel"}};
        default:
            return {{IDOK, "OK"}};
    }
}

Uint32 IconOf(UINT type)
{
    switch (type & 0xF0)
    {
        case MB_ICONERROR:
            return SDL_MESSAGEBOX_ERROR;
        case MB_ICONEXCLAMATION:
            return SDL_MESSAGEBOX_WARNING;
        default:
            return SDL_MESSAGEBOX_INFORMATION;
    }
}

std::string Utf8(LPCWSTR text)
{
    return EncodeUtf8(text != nullptr ? std::wstring(text) : std::wstring());
}
} // namespace

int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type)
{
    WindowSystem& system = WindowSystem::Get();
    OrvPlatform::Window::MessageBoxHandler handler;
    SDL_Window* parent = nullptr;
    {
        std::lock_guard<std::mutex> guard(system.lock);
        handler = system.messageBoxHandler;
        if (auto record = system.Find(owner))
        {
            parent = record->sdl;
        }
    }
    const bool disableOwner = owner != nullptr && IsWindowEnabled(owner);
    if (disableOwner)
    {
        EnableWindow(owner, FALSE);
    }
    int answer = 0;
    if (handler)
    {
        answer = handler(owner, text, caption, type);
    }
    else
    {
        const std::string title = Utf8(caption != nullptr ? caption : L"Error");
        const std::string message = Utf8(text);
        const std::vector<Button> buttons = ButtonsOf(type);
        std::vector<SDL_MessageBoxButtonData> data;
        for (std::size_t i = 0; i < buttons.size(); ++i)
        {
            Uint32 flags = 0;
            if (i == 0)
            {
                flags |= SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
            }
            if (buttons[i].id == IDCANCEL || buttons[i].id == IDNO || buttons.size() == 1)
            {
                flags |= SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
            }
            data.push_back(SDL_MessageBoxButtonData{flags, buttons[i].id, buttons[i].text});
        }
        SDL_MessageBoxData box{};
        box.flags = IconOf(type);
        box.window = parent;
        box.title = title.c_str();
        box.message = message.c_str();
        box.numbuttons = static_cast<int>(data.size());
        box.buttons = data.data();
        int pressed = 0;
        bool shown = false;
        {
            SdlLock lock;
            shown = system.EnsureVideo() && SDL_ShowMessageBox(&box, &pressed) == 0;
        }
        if (shown)
        {
            // Closing the box without a button counts as its escape button.
            answer = pressed >= 0 ? pressed : buttons.back().id;
        }
        else
        {
            OutputDebugStringA(
                ("Message box (not shown, no display): " + title + ": " + message + "\n").c_str());
            SetLastError(ERROR_NOT_SUPPORTED);
        }
    }
    if (disableOwner)
    {
        EnableWindow(owner, TRUE);
    }
    return answer;
}

namespace OrvPlatform::Window
{
void SetMessageBoxHandler(MessageBoxHandler handler)
{
    WindowSystem& system = Detail::WindowSystem::Get();
    std::lock_guard<std::mutex> guard(system.lock);
    system.messageBoxHandler = std::move(handler);
}
} // namespace OrvPlatform::Window
