#include "platform/Wgl.h"
#include "platform/Kernel.h"
#include "platform/User32.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>

namespace
{
// A hidden window of the given client size with a device context of its own.
class TestWindow
{
public:
    TestWindow(int width, int height)
        : mWindow(CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, width, height, nullptr,
                                  nullptr, nullptr, nullptr))
        , mDC(GetDC(mWindow))
    {
        EXPECT_NE(mWindow, nullptr);
        EXPECT_NE(mDC, nullptr);
    }
    ~TestWindow()
    {
        ReleaseDC(mWindow, mDC);
        DestroyWindow(mWindow);
    }
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;

    HWND Window() const { return mWindow; }
    HDC DC() const { return mDC; }

private:
    HWND mWindow;
    HDC mDC;
};

PIXELFORMATDESCRIPTOR Request()
{
    PIXELFORMATDESCRIPTOR request{};
    request.nSize = sizeof(request);
    request.nVersion = 1;
    request.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER | PFD_SWAP_COPY;
    request.iPixelType = PFD_TYPE_RGBA;
    request.cColorBits = 32;
    return request;
}

// The window with the pixel format set.
void GiveFormat(const TestWindow& window)
{
    const PIXELFORMATDESCRIPTOR request = Request();
    const int format = ChoosePixelFormat(window.DC(), &request);
    ASSERT_EQ(format, 1);
    ASSERT_TRUE(SetPixelFormat(window.DC(), format, &request));
}

// The colour at x, y of what the current context drew (rows from the bottom).
std::uint32_t ReadPixel(int x, int y)
{
    unsigned char rgba[4] = {};
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    return static_cast<std::uint32_t>(rgba[0]) << 24 | rgba[1] << 16 | rgba[2] << 8 | rgba[3];
}
} // namespace

TEST(Wgl, TheOnePixelFormatIsDescribedAsTheContextsMadeForItAre)
{
    TestWindow window(32, 16);
    const PIXELFORMATDESCRIPTOR request = Request();
    EXPECT_EQ(ChoosePixelFormat(window.DC(), &request), 1);
    EXPECT_EQ(DescribePixelFormat(window.DC(), 1, 0, nullptr), 1);
    PIXELFORMATDESCRIPTOR d{};
    ASSERT_EQ(DescribePixelFormat(window.DC(), 1, sizeof(d), &d), 1);
    EXPECT_EQ(d.nSize, 40);
    EXPECT_EQ(d.nVersion, 1);
    EXPECT_EQ(d.dwFlags & (PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL),
              PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL);
    EXPECT_EQ(d.dwFlags & (PFD_SWAP_COPY | PFD_SWAP_EXCHANGE | PFD_GENERIC_FORMAT), 0u);
    EXPECT_EQ(d.iPixelType, PFD_TYPE_RGBA);
    EXPECT_EQ(d.cColorBits, 24);
    EXPECT_EQ(d.cRedShift, 16);
    EXPECT_EQ(d.cDepthBits, 0);

    // What a context of the format reports matches the description.
    GiveFormat(window);
    HGLRC context = wglCreateContext(window.DC());
    ASSERT_NE(context, nullptr);
    ASSERT_TRUE(wglMakeCurrent(window.DC(), context));
    GLint doubleBuffered = -1;
    GLint red = 0;
    GLint depth = -1;
    glGetIntegerv(GL_DOUBLEBUFFER, &doubleBuffered);
    glGetIntegerv(GL_RED_BITS, &red);
    glGetIntegerv(GL_DEPTH_BITS, &depth);
    EXPECT_EQ(doubleBuffered != 0, (d.dwFlags & PFD_DOUBLEBUFFER) != 0);
    EXPECT_EQ(red, 8);
    EXPECT_EQ(depth, 0);
    // Immediate mode and display lists: a compatibility context.
    const std::string version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    EXPECT_NE(version.find("Compatibility"), std::string::npos) << version;
    EXPECT_TRUE(wglMakeCurrent(nullptr, nullptr));
    EXPECT_TRUE(wglDeleteContext(context));
}

TEST(Wgl, PixelFormatCallsCheckTheirArguments)
{
    TestWindow window(8, 8);
    PIXELFORMATDESCRIPTOR request = Request();
    HDC stranger = reinterpret_cast<HDC>(0x1234);
    EXPECT_EQ(ChoosePixelFormat(stranger, &request), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_EQ(ChoosePixelFormat(window.DC(), nullptr), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    request.nSize = 39;
    EXPECT_EQ(ChoosePixelFormat(window.DC(), &request), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);

    PIXELFORMATDESCRIPTOR d{};
    EXPECT_EQ(DescribePixelFormat(window.DC(), 2, sizeof(d), &d), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(DescribePixelFormat(stranger, 1, sizeof(d), &d), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    // Only as many bytes as given are written.
    std::memset(&d, 0xAB, sizeof(d));
    EXPECT_EQ(DescribePixelFormat(window.DC(), 1, 4, &d), 1);
    EXPECT_EQ(d.nSize, 40);
    EXPECT_EQ(d.dwFlags, 0xABABABABu);

    EXPECT_FALSE(SetPixelFormat(window.DC(), 2, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PIXEL_FORMAT);
    HDC screen = GetDC(nullptr);
    EXPECT_FALSE(SetPixelFormat(screen, 1, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    ReleaseDC(nullptr, screen);
    // Once set, the same format again is accepted; the window keeps it.
    EXPECT_TRUE(SetPixelFormat(window.DC(), 1, nullptr));
    EXPECT_TRUE(SetPixelFormat(window.DC(), 1, nullptr));
    EXPECT_FALSE(SetPixelFormat(window.DC(), 2, nullptr));
}

TEST(Wgl, AContextDrawsIntoAnyWindowOfItsFormat)
{
    TestWindow hidden(1, 1);
    TestWindow target(40, 20);
    TestWindow plain(8, 8);
    EXPECT_EQ(wglCreateContext(hidden.DC()), nullptr) << "a window without a pixel format";
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PIXEL_FORMAT);
    GiveFormat(hidden);
    GiveFormat(target);
    HGLRC context = wglCreateContext(hidden.DC());
    ASSERT_NE(context, nullptr);
    EXPECT_EQ(wglGetCurrentContext(), nullptr) << "made, not made current";

    EXPECT_FALSE(wglMakeCurrent(plain.DC(), context));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PIXEL_FORMAT);
    ASSERT_TRUE(wglMakeCurrent(target.DC(), context));
    EXPECT_EQ(wglGetCurrentContext(), context);
    EXPECT_EQ(wglGetCurrentDC(), target.DC());
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 40);
    EXPECT_EQ(viewport[3], 20);
    glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glColor4f(0.0f, 0.0f, 1.0f, 1.0f);
    glBegin(GL_QUADS);
    glVertex2f(-1, -1);
    glVertex2f(0, -1);
    glVertex2f(0, 0);
    glVertex2f(-1, 0);
    glEnd();
    glFinish();
    EXPECT_EQ(ReadPixel(5, 5), 0x0000FFFFu);
    EXPECT_EQ(ReadPixel(30, 15), 0xFF0000FFu);
    EXPECT_TRUE(wglSwapLayerBuffers(target.DC(), WGL_SWAP_MAIN_PLANE));
    EXPECT_FALSE(wglSwapLayerBuffers(target.DC(), 2));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_FALSE(wglSwapLayerBuffers(hidden.DC(), WGL_SWAP_MAIN_PLANE)) << "not current there";

    EXPECT_TRUE(wglMakeCurrent(nullptr, nullptr));
    EXPECT_EQ(wglGetCurrentContext(), nullptr);
    EXPECT_FALSE(wglSwapLayerBuffers(target.DC(), WGL_SWAP_MAIN_PLANE));
    EXPECT_TRUE(wglDeleteContext(context));
    EXPECT_FALSE(wglDeleteContext(context));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_FALSE(wglMakeCurrent(target.DC(), context));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST(Wgl, AContextIsCurrentInOneThreadAtATime)
{
    TestWindow window(8, 8);
    GiveFormat(window);
    HGLRC context = wglCreateContext(window.DC());
    ASSERT_TRUE(wglMakeCurrent(window.DC(), context));
    BOOL madeThere = TRUE;
    BOOL deletedThere = TRUE;
    DWORD error = 0;
    std::thread other(
        [&]
        {
            madeThere = wglMakeCurrent(window.DC(), context);
            error = GetLastError();
            deletedThere = wglDeleteContext(context);
        });
    other.join();
    EXPECT_FALSE(madeThere);
    EXPECT_EQ(error, ERROR_BUSY);
    EXPECT_FALSE(deletedThere);
    // Deleting the calling thread's current context leaves it with none.
    EXPECT_TRUE(wglDeleteContext(context));
    EXPECT_EQ(wglGetCurrentContext(), nullptr);
}

TEST(Wgl, ExtensionFunctionsNeedACurrentContext)
{
    TestWindow window(8, 8);
    GiveFormat(window);
    EXPECT_EQ(wglGetProcAddress("wglGetExtensionsStringARB"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_PROC_NOT_FOUND);
    HGLRC context = wglCreateContext(window.DC());
    ASSERT_TRUE(wglMakeCurrent(window.DC(), context));

    auto extensions = reinterpret_cast<PFNWGLGETEXTENSIONSSTRINGARBPROC>(
        wglGetProcAddress("wglGetExtensionsStringARB"));
    ASSERT_NE(extensions, nullptr);
    EXPECT_STREQ(extensions(window.DC()), "WGL_ARB_extensions_string WGL_ARB_pixel_format");
    EXPECT_EQ(wglGetProcAddress("wglNoSuchFunctionARB"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_PROC_NOT_FOUND);
    EXPECT_NE(wglGetProcAddress("glGenFramebuffersEXT"), nullptr);

    auto choose = reinterpret_cast<PFNWGLCHOOSEPIXELFORMATARBPROC>(
        wglGetProcAddress("wglChoosePixelFormatARB"));
    ASSERT_NE(choose, nullptr);
    PIXELFORMATDESCRIPTOR d{};
    DescribePixelFormat(window.DC(), 1, sizeof(d), &d);
    const int doubleBuffered = (d.dwFlags & PFD_DOUBLEBUFFER) != 0 ? 1 : 0;
    struct Case
    {
        int swapMethod;
        int doubleBuffer;
        UINT expected;
    };
    for (const Case& c : {Case{WGL_SWAP_UNDEFINED_ARB, doubleBuffered, 1u},
                          Case{WGL_SWAP_COPY_ARB, doubleBuffered, 0u},
                          Case{WGL_SWAP_UNDEFINED_ARB, 1 - doubleBuffered, 0u}})
    {
        const int attributes[] = {WGL_DRAW_TO_WINDOW_ARB,
                                  1,
                                  WGL_PIXEL_TYPE_ARB,
                                  WGL_TYPE_RGBA_ARB,
                                  WGL_DOUBLE_BUFFER_ARB,
                                  c.doubleBuffer,
                                  WGL_SWAP_METHOD_ARB,
                                  c.swapMethod,
                                  0};
        int formats[64] = {};
        UINT count = 99;
        ASSERT_TRUE(choose(window.DC(), attributes, nullptr, 64, formats, &count));
        EXPECT_EQ(count, c.expected) << c.swapMethod << " " << c.doubleBuffer;
        if (count == 1)
        {
            EXPECT_EQ(formats[0], 1);
        }
    }
    const int unknown[] = {0x2022 /* depth bits */, 8, 0};
    UINT count = 0;
    int formats[4] = {};
    EXPECT_FALSE(choose(window.DC(), unknown, nullptr, 4, formats, &count));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_FALSE(choose(window.DC(), nullptr, nullptr, 4, formats, nullptr));
    EXPECT_FALSE(choose(reinterpret_cast<HDC>(0x99), nullptr, nullptr, 4, formats, &count));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);

    wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(context);
}
