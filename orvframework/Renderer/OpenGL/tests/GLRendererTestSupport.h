// What the OpenGL renderer's tests share: GDI+ and SDL's offscreen video driver for the whole
// program, a window with an OpenGL renderer and a context of its own, a GDI+ renderer drawing the
// same into memory, reading and comparing pixels, and saving pictures as test artefacts.
#pragma once

#include "Renderer/Gdi/GDIRenderer.h"
#include "Renderer/OpenGL/GLRenderer.h"
#include "Utilities/Graphics/Bitmap.h"
#include "platform/GdiPlus.h"
#include "platform/User32.h"
#include "platform/Wgl.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace OrvTest
{
// A picture as straight 0xAARRGGBB pixels, rows top-down.
struct Picture
{
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;

    std::uint32_t At(int x, int y) const
    {
        return pixels.at(static_cast<size_t>(y) * static_cast<size_t>(width) +
                         static_cast<size_t>(x));
    }
    // Saves the picture as ORV_TEST_ARTEFACTS/<name>.png.
    void Save(const std::string& name) const;
};

// The largest difference of the two colours in one channel.
int ChannelDistance(std::uint32_t a, std::uint32_t b);

// Answers every message box with IDOK and keeps what it showed.
class MessageBoxes
{
public:
    MessageBoxes();
    ~MessageBoxes();
    MessageBoxes(const MessageBoxes&) = delete;
    MessageBoxes& operator=(const MessageBoxes&) = delete;

    struct Shown
    {
        std::wstring text;
        std::wstring caption;
        UINT type;
    };
    std::vector<Shown> shown;
};

// A hidden window of the size and an OpenGL renderer for it, with a context for the whole window
// (or, with offscreen, an off-screen context of the size).
class GLTarget
{
public:
    GLTarget(int width, int height, Orv::LGLRenderer::MillisecondClock clock = nullptr);
    ~GLTarget();
    GLTarget(const GLTarget&) = delete;
    GLTarget& operator=(const GLTarget&) = delete;

    void Start() { renderer->RenderStart(context); }
    void Finish() { renderer->RenderFinish(context); }
    // Draws a frame with the function.
    void Frame(const std::function<void(Orv::LRenderer&)>& draw);
    // What the window's buffer holds (the OpenGL context made current for the moment).
    Picture Read() const;
    // The off-screen surface's texture of a context of the renderer.
    Picture ReadSurface(const Orv::LGLRenderContextInfo& offscreen) const;

    int width;
    int height;
    HWND window = nullptr;
    Orv::RCPtr<Orv::LGLRenderer> renderer;
    Orv::ConstRCPtr<Orv::LRenderContextInfo> context;
};

// The target's OpenGL context current on its window while the object lives.
class CurrentContext
{
public:
    explicit CurrentContext(const GLTarget& target);
    ~CurrentContext();
    CurrentContext(const CurrentContext&) = delete;
    CurrentContext& operator=(const CurrentContext&) = delete;

private:
    HWND mWindow;
    HDC mDC;
};

// A GDI+ renderer drawing a window's client area into memory.
class GdiTarget
{
public:
    GdiTarget(int width, int height);
    ~GdiTarget();
    GdiTarget(const GdiTarget&) = delete;
    GdiTarget& operator=(const GdiTarget&) = delete;

    void Frame(const std::function<void(Orv::LRenderer&)>& draw);
    Picture Read() const;

    int width;
    int height;
    std::vector<std::uint32_t> pixels;
    HWND window = nullptr;
    Orv::RCPtr<Orv::LGDIRenderer> renderer;
    Orv::ConstRCPtr<Orv::LRenderContextInfo> context;
};

// A bitmap of the size whose pixels the function gives (straight ARGB).
Orv::ConstRCPtr<Orv::LBitmap> MakeBitmap(LONG width, LONG height,
                                         const std::function<ARGB(LONG, LONG)>& pixel);

constexpr Orv::ColorRGBA kRed{1, 0, 0, 1};
constexpr Orv::ColorRGBA kGreen{0, 1, 0, 1};
constexpr Orv::ColorRGBA kBlue{0, 0, 1, 1};
constexpr Orv::ColorRGBA kWhite{1, 1, 1, 1};
constexpr std::uint32_t kRedArgb = 0xFFFF0000u;
constexpr std::uint32_t kGreenArgb = 0xFF00FF00u;
constexpr std::uint32_t kBlueArgb = 0xFF0000FFu;
constexpr std::uint32_t kWhiteArgb = 0xFFFFFFFFu;
} // namespace OrvTest
