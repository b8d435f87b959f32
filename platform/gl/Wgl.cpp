// WGL over SDL's OpenGL contexts on the window layer's windows.
#include "platform/Wgl.h"
#include "platform/DebugApi.h"
#include "platform/Kernel.h"
#include "platform/User32.h"

#include <SDL.h>

#include <cstring>
#include <map>
#include <mutex>
#include <set>
#include <string>

namespace
{
constexpr int kFormat = 1;

struct Context
{
    SDL_GLContext sdl = nullptr;
    int format = kFormat;
    // The thread it is current in (0: none).
    DWORD thread = 0;
    // Whether it was ever made current through wglMakeCurrent.
    bool used = false;
};

std::mutex gLock;
// Live contexts.
std::set<Context*>& Contexts()
{
    static auto* contexts = new std::set<Context*>();
    return *contexts;
}
// The pixel format of each window that took one.
std::map<HWND, int>& WindowFormats()
{
    static auto* formats = new std::map<HWND, int>();
    return *formats;
}

thread_local Context* tCurrent = nullptr;
thread_local HDC tCurrentDC = nullptr;

bool IsDeviceContext(HDC dc)
{
    return dc != nullptr && GetDeviceCaps(dc, LOGPIXELSX) != 0;
}

int FormatOf(HWND window)
{
    std::lock_guard<std::mutex> lock(gLock);
    auto found = WindowFormats().find(window);
    return found == WindowFormats().end() ? 0 : found->second;
}

Context* Lookup(HGLRC handle)
{
    auto* context = reinterpret_cast<Context*>(handle);
    return Contexts().count(context) != 0 ? context : nullptr;
}

// Whether the pixel format is double-buffered: not where windows are drawn into memory.
bool IsDoubleBuffered()
{
    static const bool doubleBuffered = []
    {
        std::string driver;
        OrvPlatform::Window::RunWithSdlWindow(nullptr,
                                              [&](SDL_Window*)
                                              {
                                                  const char* name = SDL_GetCurrentVideoDriver();
                                                  driver = name != nullptr ? name : "";
                                              });
        return driver != "offscreen" && driver != "dummy";
    }();
    return doubleBuffered;
}

PIXELFORMATDESCRIPTOR Description()
{
    PIXELFORMATDESCRIPTOR d{};
    d.nSize = sizeof(PIXELFORMATDESCRIPTOR);
    d.nVersion = 1;
    d.dwFlags =
        PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | (IsDoubleBuffered() ? PFD_DOUBLEBUFFER : 0);
    d.iPixelType = PFD_TYPE_RGBA;
    d.cColorBits = 24;
    d.cRedBits = 8;
    d.cRedShift = 16;
    d.cGreenBits = 8;
    d.cGreenShift = 8;
    d.cBlueBits = 8;
    d.cBlueShift = 0;
    d.iLayerType = PFD_MAIN_PLANE;
    return d;
}

void Report(const char* what)
{
    std::string text = "OpenGL: ";
    text += what;
    text += ": ";
    text += SDL_GetError();
    text += "\n";
    OutputDebugStringA(text.c_str());
}

const char* GetExtensionsStringArb(HDC)
{
    return "WGL_ARB_extensions_string WGL_ARB_pixel_format";
}

BOOL ChoosePixelFormatArb(HDC dc, const int* intAttributes, const float* floatAttributes,
                          UINT maxFormats, int* formats, UINT* count)
{
    if (!IsDeviceContext(dc))
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (count == nullptr || (formats == nullptr && maxFormats > 0) ||
        (floatAttributes != nullptr && floatAttributes[0] != 0.0f))
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    bool matches = true;
    for (const int* a = intAttributes; a != nullptr && a[0] != 0; a += 2)
    {
        const int value = a[1];
        switch (a[0])
        {
            case WGL_DRAW_TO_WINDOW_ARB:
            case WGL_SUPPORT_OPENGL_ARB:
                matches = matches && value != 0;
                break;
            case WGL_DOUBLE_BUFFER_ARB:
                matches = matches && (value != 0) == IsDoubleBuffered();
                break;
            case WGL_PIXEL_TYPE_ARB:
                matches = matches && value == WGL_TYPE_RGBA_ARB;
                break;
            case WGL_SWAP_METHOD_ARB:
                matches = matches && value == WGL_SWAP_UNDEFINED_ARB;
                break;
            default:
                SetLastError(ERROR_INVALID_PARAMETER);
                return FALSE;
        }
    }
    *count = 0;
    if (matches && maxFormats > 0)
    {
        formats[0] = kFormat;
        *count = 1;
    }
    return TRUE;
}

// Runs SDL's make-current for the calling thread; false when SDL refuses. A context made current
// for the first time gets the window's size as its viewport (SDL made it current once already,
// on the window it was made with).
bool MakeSdlCurrent(HWND window, SDL_GLContext context, bool first = false)
{
    int result = -1;
    const bool ran =
        OrvPlatform::Window::RunWithSdlWindow(window,
                                              [&](SDL_Window* sdl)
                                              {
                                                  result = SDL_GL_MakeCurrent(sdl, context);
                                                  if (result == 0 && first && sdl != nullptr)
                                                  {
                                                      int width = 0;
                                                      int height = 0;
                                                      SDL_GL_GetDrawableSize(sdl, &width, &height);
                                                      glViewport(0, 0, width, height);
                                                      glScissor(0, 0, width, height);
                                                  }
                                              });
    if (ran && result != 0)
    {
        Report("a context cannot be made current");
    }
    return ran && result == 0;
}
} // namespace

int ChoosePixelFormat(HDC dc, const PIXELFORMATDESCRIPTOR* descriptor)
{
    if (!IsDeviceContext(dc))
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    if (descriptor == nullptr || descriptor->nSize != sizeof(PIXELFORMATDESCRIPTOR))
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return kFormat;
}

BOOL SetPixelFormat(HDC dc, int format, const PIXELFORMATDESCRIPTOR*)
{
    HWND window = WindowFromDC(dc);
    if (window == nullptr || !IsWindow(window))
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (format != kFormat)
    {
        SetLastError(ERROR_INVALID_PIXEL_FORMAT);
        return FALSE;
    }
    const int current = FormatOf(window);
    if (current != 0)
    {
        if (current == format)
        {
            return TRUE;
        }
        SetLastError(ERROR_INVALID_PIXEL_FORMAT);
        return FALSE;
    }
    if (!OrvPlatform::Window::EnableOpenGL(window))
    {
        return FALSE;
    }
    std::lock_guard<std::mutex> lock(gLock);
    // Windows that are gone leave the table.
    std::erase_if(WindowFormats(), [](const auto& entry) { return !IsWindow(entry.first); });
    WindowFormats()[window] = format;
    return TRUE;
}

int DescribePixelFormat(HDC dc, int format, UINT bytes, LPPIXELFORMATDESCRIPTOR descriptor)
{
    if (!IsDeviceContext(dc))
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    if (descriptor == nullptr)
    {
        return kFormat;
    }
    if (format != kFormat)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const PIXELFORMATDESCRIPTOR description = Description();
    std::memcpy(descriptor, &description,
                bytes < sizeof(description) ? bytes : sizeof(description));
    return kFormat;
}

HGLRC wglCreateContext(HDC dc)
{
    HWND window = WindowFromDC(dc);
    if (window == nullptr)
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    const int format = FormatOf(window);
    if (format == 0)
    {
        SetLastError(ERROR_INVALID_PIXEL_FORMAT);
        return nullptr;
    }
    SDL_GLContext made = nullptr;
    const bool ran = OrvPlatform::Window::RunWithSdlWindow(
        window,
        [&](SDL_Window* sdl)
        {
            // SDL makes the new context current: the thread's own one comes back afterwards.
            SDL_Window* previousWindow = SDL_GL_GetCurrentWindow();
            SDL_GLContext previous = SDL_GL_GetCurrentContext();
            made = SDL_GL_CreateContext(sdl);
            if (made == nullptr)
            {
                Report("no context can be made");
            }
            SDL_GL_MakeCurrent(previous != nullptr ? previousWindow : nullptr, previous);
        });
    if (!ran)
    {
        return nullptr;
    }
    if (made == nullptr)
    {
        SetLastError(ERROR_INVALID_PIXEL_FORMAT);
        return nullptr;
    }
    auto* context = new Context{made, format, 0};
    std::lock_guard<std::mutex> lock(gLock);
    Contexts().insert(context);
    return reinterpret_cast<HGLRC>(context);
}

BOOL wglDeleteContext(HGLRC handle)
{
    Context* context = nullptr;
    {
        std::lock_guard<std::mutex> lock(gLock);
        context = Lookup(handle);
        if (context == nullptr)
        {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        if (context->thread != 0 && context->thread != GetCurrentThreadId())
        {
            SetLastError(ERROR_BUSY);
            return FALSE;
        }
        Contexts().erase(context);
    }
    if (context == tCurrent)
    {
        MakeSdlCurrent(nullptr, nullptr);
        tCurrent = nullptr;
        tCurrentDC = nullptr;
    }
    OrvPlatform::Window::RunWithSdlWindow(nullptr,
                                          [&](SDL_Window*) { SDL_GL_DeleteContext(context->sdl); });
    delete context;
    return TRUE;
}

BOOL wglMakeCurrent(HDC dc, HGLRC handle)
{
    const DWORD thread = GetCurrentThreadId();
    if (handle == nullptr)
    {
        if (tCurrent != nullptr)
        {
            MakeSdlCurrent(nullptr, nullptr);
            std::lock_guard<std::mutex> lock(gLock);
            tCurrent->thread = 0;
        }
        tCurrent = nullptr;
        tCurrentDC = nullptr;
        return TRUE;
    }
    HWND window = WindowFromDC(dc);
    SDL_GLContext sdl = nullptr;
    bool first = false;
    {
        std::lock_guard<std::mutex> lock(gLock);
        Context* context = Lookup(handle);
        if (context == nullptr || window == nullptr)
        {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        if (context->thread != 0 && context->thread != thread)
        {
            SetLastError(ERROR_BUSY);
            return FALSE;
        }
        auto found = WindowFormats().find(window);
        if (found == WindowFormats().end() || found->second != context->format)
        {
            SetLastError(ERROR_INVALID_PIXEL_FORMAT);
            return FALSE;
        }
        sdl = context->sdl;
        first = !context->used;
        context->used = true;
    }
    if (!MakeSdlCurrent(window, sdl, first))
    {
        SetLastError(ERROR_INVALID_PIXEL_FORMAT);
        return FALSE;
    }
    std::lock_guard<std::mutex> lock(gLock);
    if (tCurrent != nullptr)
    {
        tCurrent->thread = 0;
    }
    tCurrent = reinterpret_cast<Context*>(handle);
    tCurrent->thread = thread;
    tCurrentDC = dc;
    return TRUE;
}

HGLRC wglGetCurrentContext()
{
    return reinterpret_cast<HGLRC>(tCurrent);
}

HDC wglGetCurrentDC()
{
    return tCurrentDC;
}

PROC wglGetProcAddress(LPCSTR name)
{
    if (tCurrent == nullptr || name == nullptr)
    {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    if (std::strcmp(name, "wglGetExtensionsStringARB") == 0)
    {
        return reinterpret_cast<PROC>(&GetExtensionsStringArb);
    }
    if (std::strcmp(name, "wglChoosePixelFormatARB") == 0)
    {
        return reinterpret_cast<PROC>(&ChoosePixelFormatArb);
    }
    void* found = nullptr;
    if (std::strncmp(name, "wgl", 3) != 0)
    {
        OrvPlatform::Window::RunWithSdlWindow(nullptr, [&](SDL_Window*)
                                              { found = SDL_GL_GetProcAddress(name); });
    }
    if (found == nullptr)
    {
        SetLastError(ERROR_PROC_NOT_FOUND);
    }
    return reinterpret_cast<PROC>(found);
}

BOOL wglSwapLayerBuffers(HDC dc, UINT planes)
{
    if ((planes & WGL_SWAP_MAIN_PLANE) == 0)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    HWND window = WindowFromDC(dc);
    if (window == nullptr || tCurrent == nullptr || WindowFromDC(tCurrentDC) != window)
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!IsDoubleBuffered())
    {
        return TRUE;
    }
    return OrvPlatform::Window::RunWithSdlWindow(window,
                                                 [](SDL_Window* sdl) { SDL_GL_SwapWindow(sdl); })
               ? TRUE
               : FALSE;
}
