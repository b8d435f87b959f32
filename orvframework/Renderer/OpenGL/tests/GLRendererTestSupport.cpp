#include "GLRendererTestSupport.h"

#include "GdiplusEnvironment.h"
#include "platform/Gdi.h"

#include <cairo.h>

#include <algorithm>
#include <cstdlib>
#include <sys/stat.h>

namespace
{
// OpenGL through EGL without any display, for every test of the program.
const bool kOffscreen = []
{
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    return true;
}();

::testing::Environment* const gEnvironment =
    ::testing::AddGlobalTestEnvironment(new GdiplusEnvironment);

std::uint32_t Unpremultiplied(std::uint32_t p)
{
    const std::uint32_t a = p >> 24;
    if (a == 0 || a == 255)
    {
        return a == 0 ? 0 : p;
    }
    auto channel = [a](std::uint32_t c)
    { return std::min<std::uint32_t>(255, (c * 255 + a / 2) / a); };
    return a << 24 | channel((p >> 16) & 0xFF) << 16 | channel((p >> 8) & 0xFF) << 8 |
           channel(p & 0xFF);
}
} // namespace

namespace OrvTest
{
using namespace Orv;

void Picture::Save(const std::string& name) const
{
    mkdir(ORV_TEST_ARTEFACTS, 0755);
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    auto* data = reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(surface));
    const int stride = cairo_image_surface_get_stride(surface) / 4;
    for (int y = 0; y < height; ++y)
    {
        for (int x = 0; x < width; ++x)
        {
            // cairo keeps premultiplied pixels.
            const std::uint32_t p = At(x, y);
            const std::uint32_t a = p >> 24;
            auto channel = [a](std::uint32_t c) { return (c * a + 127) / 255; };
            data[y * stride + x] = a << 24 | channel((p >> 16) & 0xFF) << 16 |
                                   channel((p >> 8) & 0xFF) << 8 | channel(p & 0xFF);
        }
    }
    cairo_surface_mark_dirty(surface);
    const std::string path = std::string(ORV_TEST_ARTEFACTS) + "/" + name + ".png";
    EXPECT_EQ(cairo_surface_write_to_png(surface, path.c_str()), CAIRO_STATUS_SUCCESS) << path;
    cairo_surface_destroy(surface);
}

int ChannelDistance(std::uint32_t a, std::uint32_t b)
{
    int most = 0;
    for (int shift = 0; shift < 32; shift += 8)
    {
        const int d =
            std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF));
        most = std::max(most, d);
    }
    return most;
}

MessageBoxes::MessageBoxes()
{
    OrvPlatform::Window::SetMessageBoxHandler(
        [this](HWND, LPCWSTR text, LPCWSTR caption, UINT type)
        {
            shown.push_back(
                Shown{text != nullptr ? text : L"", caption != nullptr ? caption : L"", type});
            return IDOK;
        });
}

MessageBoxes::~MessageBoxes()
{
    OrvPlatform::Window::SetMessageBoxHandler(nullptr);
}

GLTarget::GLTarget(int w, int h, LGLRenderer::MillisecondClock clock)
    : width(w)
    , height(h)
{
    window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, w, h, nullptr, nullptr, nullptr,
                             nullptr);
    EXPECT_NE(window, nullptr);
    renderer = new LGLRenderer(window, clock);
    EXPECT_EQ(renderer->InitRenderContextInfo(RectT<LONG>(0, 0, w, h), window, false, context),
              S_OK);
}

GLTarget::~GLTarget()
{
    context = nullptr;
    renderer = nullptr;
    DestroyWindow(window);
}

void GLTarget::Frame(const std::function<void(LRenderer&)>& draw)
{
    Start();
    draw(*renderer.GetMutable());
    Finish();
}

namespace
{
// Reads the current framebuffer's pixels as a picture (OpenGL's rows run bottom-up).
Picture ReadCurrent(int width, int height)
{
    Picture picture;
    picture.width = width;
    picture.height = height;
    std::vector<std::uint32_t> rows(static_cast<size_t>(width) * static_cast<size_t>(height));
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, width, height, GL_BGRA, GL_UNSIGNED_BYTE, rows.data());
    picture.pixels.resize(rows.size());
    for (int y = 0; y < height; ++y)
    {
        std::copy_n(rows.begin() + static_cast<long>(y) * width, width,
                    picture.pixels.begin() + static_cast<long>(height - 1 - y) * width);
    }
    return picture;
}
} // namespace

Picture GLTarget::Read() const
{
    HDC dc = GetDC(window);
    EXPECT_TRUE(wglMakeCurrent(dc, renderer->GetGLContext()));
    glFinish();
    // The window's framebuffer keeps no alpha: every pixel is opaque.
    glReadBuffer(GL_FRONT);
    Picture picture = ReadCurrent(width, height);
    for (std::uint32_t& p : picture.pixels)
    {
        p |= 0xFF000000u;
    }
    wglMakeCurrent(nullptr, nullptr);
    ReleaseDC(window, dc);
    return picture;
}

Picture GLTarget::ReadSurface(const LGLRenderContextInfo& offscreen) const
{
    Picture picture;
    const GLOffscreenSurface* surface = offscreen.GetSurface();
    EXPECT_NE(surface, nullptr);
    if (surface == nullptr)
    {
        return picture;
    }
    HDC dc = GetDC(window);
    EXPECT_TRUE(wglMakeCurrent(dc, renderer->GetGLContext()));
    picture.width = surface->GetWidth();
    picture.height = surface->GetHeight();
    std::vector<std::uint32_t> rows(static_cast<size_t>(picture.width) *
                                    static_cast<size_t>(picture.height));
    glBindTexture(GL_TEXTURE_2D, surface->GetTexture());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_BGRA, GL_UNSIGNED_BYTE, rows.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    picture.pixels.resize(rows.size());
    for (int y = 0; y < picture.height; ++y)
    {
        std::copy_n(rows.begin() + static_cast<long>(y) * picture.width, picture.width,
                    picture.pixels.begin() +
                        static_cast<long>(picture.height - 1 - y) * picture.width);
    }
    wglMakeCurrent(nullptr, nullptr);
    ReleaseDC(window, dc);
    return picture;
}

CurrentContext::CurrentContext(const GLTarget& target)
    : mWindow(target.window)
    , mDC(GetDC(target.window))
{
    EXPECT_TRUE(wglMakeCurrent(mDC, target.renderer->GetGLContext()));
}

CurrentContext::~CurrentContext()
{
    wglMakeCurrent(nullptr, nullptr);
    ReleaseDC(mWindow, mDC);
}

GdiTarget::GdiTarget(int w, int h)
    : width(w)
    , height(h)
    , pixels(static_cast<size_t>(w) * static_cast<size_t>(h), 0xFF000000u)
    , renderer(new LGDIRenderer())
{
    // Any distinct value names a window here.
    window = reinterpret_cast<HWND>(&pixels);
    const WindowPixels lent{pixels.data(), w, h, w * 4};
    EXPECT_TRUE(SetWindowPixels(window, &lent));
    EXPECT_EQ(renderer->InitRenderContextInfo(RectT<LONG>(0, 0, w, h), window, false, context),
              S_OK);
}

GdiTarget::~GdiTarget()
{
    context = nullptr;
    renderer = nullptr;
    SetWindowPixels(window, nullptr);
}

void GdiTarget::Frame(const std::function<void(LRenderer&)>& draw)
{
    LRegion& dirty = context.GetMutable()->GetDirtyRegion();
    dirty.Clear();
    dirty.AddRect(RECT{0, 0, width, height});
    renderer->RenderStart(context);
    draw(*renderer.GetMutable());
    renderer->RenderFinish(context);
}

Picture GdiTarget::Read() const
{
    Picture picture;
    picture.width = width;
    picture.height = height;
    for (std::uint32_t p : pixels)
    {
        picture.pixels.push_back(Unpremultiplied(p));
    }
    return picture;
}

ConstRCPtr<LBitmap> MakeBitmap(LONG w, LONG h, const std::function<ARGB(LONG, LONG)>& pixel)
{
    RCPtr<LBitmap> bitmap = LBitmap::CreateFilledBitmap(SizeT<LONG>(w, h), ColorRGBA{});
    GpBitmap* image = bitmap->GetGdiplusBitmap();
    for (LONG y = 0; y < h; ++y)
    {
        for (LONG x = 0; x < w; ++x)
        {
            EXPECT_EQ(GdipBitmapSetPixel(image, x, y, pixel(x, y)), Gdiplus::Ok);
        }
    }
    return bitmap;
}
} // namespace OrvTest
