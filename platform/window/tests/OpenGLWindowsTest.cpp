#include "WindowTestSupport.h"

using namespace OrvTest;
using OrvPlatform::Window::EnableOpenGL;
using OrvPlatform::Window::RunWithSdlWindow;

namespace
{
bool IsOpenGLWindow(HWND window)
{
    bool openGL = false;
    EXPECT_TRUE(RunWithSdlWindow(
        window, [&](SDL_Window* sdl)
        { openGL = sdl != nullptr && (SDL_GetWindowFlags(sdl) & SDL_WINDOW_OPENGL) != 0; }));
    return openGL;
}

// Makes a context on the window, makes it current there and asks it for its version.
std::string ContextVersion(HWND window)
{
    std::string version;
    RunWithSdlWindow(window,
                     [&](SDL_Window* sdl)
                     {
                         SDL_GLContext context = SDL_GL_CreateContext(sdl);
                         if (context == nullptr)
                         {
                             version = std::string("no context: ") + SDL_GetError();
                             return;
                         }
                         using GetString = const unsigned char* (*)(unsigned int);
                         auto getString =
                             reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
                         if (SDL_GL_MakeCurrent(sdl, context) == 0 && getString != nullptr)
                         {
                             version = reinterpret_cast<const char*>(getString(0x1F02));
                         }
                         SDL_GL_MakeCurrent(sdl, nullptr);
                         SDL_GL_DeleteContext(context);
                     });
    return version;
}
} // namespace

TEST(OpenGLWindows, TheStaticClassIsRegisteredFromTheStart)
{
    WNDCLASSW found{};
    ASSERT_TRUE(GetClassInfoW(nullptr, L"Static", &found));
    EXPECT_EQ(found.lpfnWndProc, &DefWindowProcW);
    HWND window = CreateWindowExW(0, L"STATIC", L"", 0x80880000, 0, 0, 1, 1, nullptr, nullptr,
                                  nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_TRUE(DestroyWindow(window));
}

TEST(OpenGLWindows, AHiddenWindowIsMadeAnewAsAnOpenGLWindowAndKeepsItsState)
{
    Recorder recorder;
    HWND window = MakeWindow(recorder, 30, 40, 64, 32);
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(IsOpenGLWindow(window));
    EXPECT_TRUE(EnableOpenGL(window));
    EXPECT_TRUE(IsOpenGLWindow(window));
    // Once able it stays the same window.
    const Uint32 id = SdlIdOf(window);
    EXPECT_TRUE(EnableOpenGL(window));
    EXPECT_EQ(SdlIdOf(window), id);

    EXPECT_NE(ContextVersion(window).find("Compatibility Profile"), std::string::npos)
        << ContextVersion(window);
    RECT r{};
    GetWindowRect(window, &r);
    EXPECT_EQ(r.left, 30);
    EXPECT_EQ(r.top, 40);
    RECT client{};
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, 64);
    EXPECT_EQ(client.bottom, 32);
    EXPECT_FALSE(IsWindowVisible(window));
    // Events of the new SDL window reach the window.
    recorder.messages.clear();
    PushMotion(window, 5, 6);
    PumpAll();
    EXPECT_EQ(recorder.Of(WM_MOUSEMOVE).size(), 1u);
    EXPECT_TRUE(DestroyWindow(window));
}

TEST(OpenGLWindows, AContextOutlivesTheOnlyOpenGLWindowItWasMadeOn)
{
    Recorder first;
    HWND made = MakeWindow(first, 0, 0, 8, 8);
    ASSERT_TRUE(EnableOpenGL(made));
    SDL_GLContext context = nullptr;
    RunWithSdlWindow(made, [&](SDL_Window* sdl) { context = SDL_GL_CreateContext(sdl); });
    ASSERT_NE(context, nullptr);
    RunWithSdlWindow(made, [](SDL_Window* sdl) { SDL_GL_MakeCurrent(sdl, nullptr); });
    EXPECT_TRUE(DestroyWindow(made));

    Recorder second;
    HWND other = MakeWindow(second, 0, 0, 8, 8);
    ASSERT_TRUE(EnableOpenGL(other));
    int result = -1;
    RunWithSdlWindow(other,
                     [&](SDL_Window* sdl)
                     {
                         result = SDL_GL_MakeCurrent(sdl, context);
                         SDL_GL_MakeCurrent(sdl, nullptr);
                         SDL_GL_DeleteContext(context);
                     });
    EXPECT_EQ(result, 0) << SDL_GetError();
    EXPECT_TRUE(DestroyWindow(other));
}

TEST(OpenGLWindows, AShownWindowIsShownAgainAfterTheChange)
{
    Recorder recorder;
    HWND window = MakeWindow(recorder, 10, 10, 50, 50, WS_POPUP | WS_VISIBLE);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(EnableOpenGL(window));
    EXPECT_TRUE(IsOpenGLWindow(window));
    EXPECT_TRUE(IsWindowVisible(window));
    bool shown = false;
    RunWithSdlWindow(window, [&](SDL_Window* sdl)
                     { shown = (SDL_GetWindowFlags(sdl) & SDL_WINDOW_SHOWN) != 0; });
    EXPECT_TRUE(shown);
    EXPECT_TRUE(DestroyWindow(window));
}

TEST(OpenGLWindows, UnknownWindowsAreRefused)
{
    HWND stranger = reinterpret_cast<HWND>(0x7777);
    EXPECT_FALSE(EnableOpenGL(stranger));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
    bool ran = false;
    EXPECT_FALSE(RunWithSdlWindow(stranger, [&](SDL_Window*) { ran = true; }));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
    EXPECT_FALSE(ran);
    SDL_Window* given = reinterpret_cast<SDL_Window*>(1);
    EXPECT_TRUE(RunWithSdlWindow(nullptr, [&](SDL_Window* sdl) { given = sdl; }));
    EXPECT_EQ(given, nullptr);
}
