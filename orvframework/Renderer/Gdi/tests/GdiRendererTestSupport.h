// What the GDI+ renderer's tests share: GDI+ started for the whole program, a window target
// that receives what the renderer copies to a window, and reading a context's pixels.
#pragma once

#include "Renderer/Gdi/GDIRenderer.h"
#include "Utilities/Graphics/Bitmap.h"

#include "GdiplusEnvironment.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

// The pixels of a window as the window layer lends them: what a render context's frames copy to
// that window arrives here. Every pixel starts as the sentinel colour.
class WindowTarget
{
public:
    static constexpr std::uint32_t kSentinel = 0xFF0000FFu; // opaque blue

    WindowTarget(int width, int height)
        : mWidth(width)
        , mHeight(height)
        , mPixels(static_cast<size_t>(width) * static_cast<size_t>(height), kSentinel)
    {
        // Any distinct value names a window here.
        mWindow = reinterpret_cast<HWND>(&mPixels);
        const WindowPixels pixels{mPixels.data(), width, height, width * 4};
        EXPECT_TRUE(SetWindowPixels(mWindow, &pixels));
    }
    ~WindowTarget() { SetWindowPixels(mWindow, nullptr); }
    WindowTarget(const WindowTarget&) = delete;
    WindowTarget& operator=(const WindowTarget&) = delete;

    HWND GetWindow() const { return mWindow; }
    // Premultiplied; opaque colours are their ARGB values.
    std::uint32_t At(int x, int y) const
    {
        return mPixels[static_cast<size_t>(y) * static_cast<size_t>(mWidth) +
                       static_cast<size_t>(x)];
    }
    void Fill(std::uint32_t value) { std::fill(mPixels.begin(), mPixels.end(), value); }
    // One character per pixel: '#' for ink, '.' for the sentinel, '?' otherwise.
    std::string Picture(std::uint32_t ink) const
    {
        std::string text;
        for (int y = 0; y < mHeight; ++y)
        {
            for (int x = 0; x < mWidth; ++x)
            {
                const std::uint32_t c = At(x, y);
                text += c == ink ? '#' : c == kSentinel ? '.' : '?';
            }
            text += '\n';
        }
        return text;
    }

private:
    int mWidth;
    int mHeight;
    std::vector<std::uint32_t> mPixels;
    HWND mWindow = nullptr;
};

// The straight ARGB pixel of a context's front surface.
inline ARGB SurfacePixel(Orv::LGDIRenderContextInfo& context, int x, int y)
{
    ARGB color = 0;
    EXPECT_EQ(GdipBitmapGetPixel(context.GetFrontSurface().GetBitmap().Get(), x, y, &color),
              Gdiplus::Ok)
        << x << "," << y;
    return color;
}

// The front surface as text: '#' for ink, '.' for transparent, '?' for anything else.
inline std::string SurfacePicture(Orv::LGDIRenderContextInfo& context, ARGB ink,
                                  ARGB background = 0)
{
    const Orv::SizeT<LONG> size = context.GetFrontSurface().GetSize();
    std::string text;
    for (int y = 0; y < size.height; ++y)
    {
        for (int x = 0; x < size.width; ++x)
        {
            const ARGB c = SurfacePixel(context, x, y);
            text += c == ink ? '#' : c == background ? '.' : '?';
        }
        text += '\n';
    }
    return text;
}

inline std::string Rows(std::initializer_list<const char*> rows)
{
    std::string text;
    for (const char* row : rows)
    {
        text += row;
        text += '\n';
    }
    return text;
}

// A bitmap of the size whose pixels the function gives (straight ARGB).
template <class PixelFunction>
Orv::ConstRCPtr<Orv::LBitmap> MakeBitmap(LONG width, LONG height, PixelFunction pixel)
{
    Orv::RCPtr<Orv::LBitmap> bitmap =
        Orv::LBitmap::CreateFilledBitmap(Orv::SizeT<LONG>(width, height), Orv::ColorRGBA{});
    GpBitmap* image = bitmap->GetGdiplusBitmap();
    for (LONG y = 0; y < height; ++y)
    {
        for (LONG x = 0; x < width; ++x)
        {
            EXPECT_EQ(GdipBitmapSetPixel(image, x, y, pixel(x, y)), Gdiplus::Ok);
        }
    }
    return bitmap;
}

// A renderer with a context of the size drawing into a window target; Start and Finish bracket a
// frame whose dirty region is the whole context.
struct RendererFixture
{
    RendererFixture(int width, int height, bool offscreen = false)
        : window(width, height)
        , renderer(new Orv::LGDIRenderer())
    {
        Orv::ConstRCPtr<Orv::LRenderContextInfo> made;
        EXPECT_EQ(renderer->InitRenderContextInfo(Orv::RectT<LONG>(0, 0, width, height),
                                                  window.GetWindow(), offscreen, made),
                  S_OK);
        context = made;
        gdi = dynamic_cast<Orv::LGDIRenderContextInfo*>(made.GetMutable());
        EXPECT_NE(gdi, nullptr);
    }
    void Start(std::initializer_list<RECT> dirty = {})
    {
        Orv::LRegion& region = context.GetMutable()->GetDirtyRegion();
        region.Clear();
        if (dirty.size() == 0)
        {
            const Orv::RectT<LONG>& bounds = context->GetBounds();
            region.AddRect(RECT{bounds.x, bounds.y, bounds.Right(), bounds.Bottom()});
        }
        for (const RECT& rect : dirty)
        {
            region.AddRect(rect);
        }
        renderer->RenderStart(context);
    }
    void Finish() { renderer->RenderFinish(context); }

    WindowTarget window;
    Orv::RCPtr<Orv::LGDIRenderer> renderer;
    Orv::ConstRCPtr<Orv::LRenderContextInfo> context;
    Orv::LGDIRenderContextInfo* gdi = nullptr;
};

constexpr Orv::ColorRGBA kRed{1, 0, 0, 1};
constexpr Orv::ColorRGBA kGreen{0, 1, 0, 1};
constexpr ARGB kRedArgb = 0xFFFF0000u;
constexpr ARGB kGreenArgb = 0xFF00FF00u;
