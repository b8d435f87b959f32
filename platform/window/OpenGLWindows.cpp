// OpenGL on windows: the attributes OpenGL windows are made with, making a window able to take
// OpenGL contexts, and running SDL's OpenGL calls in turn with this layer's SDL calls.
#include "Utf8Text.h"
#include "WindowSystem.h"

#include "platform/DebugApi.h"
#include "platform/Kernel.h"

#include <string>

using namespace OrvPlatform::Window::Detail;

namespace OrvPlatform::Window::Detail
{
void SetOpenGLAttributes()
{
    // Immediate mode and display lists: the compatibility profile, never a core one.
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
}
} // namespace OrvPlatform::Window::Detail

namespace OrvPlatform::Window
{
bool EnableOpenGL(HWND window)
{
    WindowSystem& system = WindowSystem::Get();
    SdlLock sdl;
    SDL_Window* old = nullptr;
    std::string title;
    bool shown = false;
    HICON icon = nullptr;
    {
        std::lock_guard<std::mutex> guard(system.lock);
        auto record = system.Find(window);
        if (!record || record->sdl == nullptr)
        {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return false;
        }
        if ((SDL_GetWindowFlags(record->sdl) & SDL_WINDOW_OPENGL) != 0)
        {
            return true;
        }
        old = record->sdl;
        shown = record->visible;
        title = EncodeUtf8(record->text);
        icon = ShownIconOf(*record);
    }
    // The same window, made anew as an OpenGL window.
    constexpr Uint32 kKept = SDL_WINDOW_BORDERLESS | SDL_WINDOW_RESIZABLE |
                             SDL_WINDOW_ALWAYS_ON_TOP | SDL_WINDOW_SKIP_TASKBAR;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    SDL_GetWindowPosition(old, &x, &y);
    SDL_GetWindowSize(old, &width, &height);
    const Uint32 flags = (SDL_GetWindowFlags(old) & kKept) | SDL_WINDOW_HIDDEN | SDL_WINDOW_OPENGL;
    SDL_Window* made = SDL_CreateWindow(title.c_str(), x, y, width, height, flags);
    if (made == nullptr)
    {
        std::string text = "Window system: no OpenGL window can be made: ";
        text += SDL_GetError();
        text += "\n";
        OutputDebugStringA(text.c_str());
        SetLastError(ERROR_INVALID_PIXEL_FORMAT);
        return false;
    }
    {
        std::lock_guard<std::mutex> guard(system.lock);
        auto record = system.Find(window);
        if (!record || record->sdl != old)
        {
            // The window went meanwhile.
            SDL_DestroyWindow(made);
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return false;
        }
        record->sdl = made;
        record->sdlId = SDL_GetWindowID(made);
    }
    ShowWindowIcon(made, icon);
    if (shown)
    {
        SDL_ShowWindow(made);
        SDL_RaiseWindow(made);
    }
    SDL_DestroyWindow(old);
    // SDL lets OpenGL go when its last OpenGL window goes; contexts outlive the windows they were
    // made on, so OpenGL stays for the process once a window has taken it.
    static bool kept = false;
    if (!kept)
    {
        kept = SDL_GL_LoadLibrary(nullptr) == 0;
    }
    return true;
}

bool RunWithSdlWindow(HWND window, const std::function<void(SDL_Window*)>& work)
{
    WindowSystem& system = WindowSystem::Get();
    SdlLock sdl;
    if (!system.EnsureVideo())
    {
        SetLastError(ERROR_GEN_FAILURE);
        return false;
    }
    SDL_Window* sdlWindow = nullptr;
    if (window != nullptr)
    {
        // The SDL window stays while the SDL lock is held: it is destroyed only under that lock.
        std::lock_guard<std::mutex> guard(system.lock);
        auto record = system.Find(window);
        if (!record || record->sdl == nullptr)
        {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return false;
        }
        sdlWindow = record->sdl;
    }
    work(sdlWindow);
    return true;
}
} // namespace OrvPlatform::Window
