// A frame like the updater's window, drawn through the OpenGL renderer and, side by side in the
// same run, the same drawing in plain OpenGL calls that keep their textures between frames (as
// the renderer's texture cache does): a 640 x 480 background image, a dozen bitmaps (parts of one
// skin image, most at their own size, some stretched or tiled) and a progress bar. Two kinds of
// frame: the whole window, and only the progress bar's region as it moves. Both sides draw into a
// window of SDL's offscreen video driver (Mesa's software rasteriser, made to rasterise on the
// calling thread so that the CPU time counts its work) and wait for the drawing to end. The run
// ends with the ratio of the renderer's CPU time to the plain calls' for each kind
// (Renderer/bench/BenchmarkRatios.h).
#include "Renderer/OpenGL/GLRenderer.h"
#include "Renderer/OpenGL/GLTexture.h"
#include "Renderer/bench/BenchmarkRatios.h"
#include "Utilities/Graphics/Bitmap.h"
#include "platform/GdiPlus.h"
#include "platform/User32.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <vector>

using namespace Orv;

namespace
{
constexpr int kWidth = 640;
constexpr int kHeight = 480;

struct Placement
{
    RectT<LONG> source; // in the skin image
    RectT<LONG> destination;
    int resizeType;
};

// Twelve bitmaps: eight at their own size, two stretched, two tiled.
const Placement kPlacements[] = {
    {{0, 0, 96, 32}, {40, 400, 96, 32}, 0},    {{96, 0, 96, 32}, {150, 400, 96, 32}, 0},
    {{0, 32, 96, 32}, {260, 400, 96, 32}, 0},  {{96, 32, 96, 32}, {504, 400, 96, 32}, 0},
    {{192, 0, 32, 32}, {20, 20, 32, 32}, 0},   {{224, 0, 32, 32}, {588, 20, 32, 32}, 0},
    {{192, 32, 64, 16}, {40, 120, 64, 16}, 0}, {{192, 48, 64, 16}, {40, 150, 64, 16}, 0},
    {{0, 64, 128, 24}, {40, 300, 560, 24}, 0}, {{128, 64, 128, 24}, {40, 200, 300, 48}, 0},
    {{0, 88, 16, 16}, {360, 120, 240, 16}, 1}, {{16, 88, 16, 16}, {360, 150, 240, 64}, 1},
};

const RectT<LONG> kProgress(40, 370, 560, 16);
const ColorRGBA kTrack{0.1f, 0.1f, 0.12f, 1};
const ColorRGBA kBar{0.2f, 0.6f, 0.9f, 1};
const ColorRGBA kFrame{0.5f, 0.5f, 0.55f, 1};

LONG ProgressWidth(long long frame)
{
    return static_cast<LONG>(frame % (kProgress.width - 4));
}

// The background: a gradient; the skin: sixteen translucent tiles.
ConstRCPtr<LBitmap> MakeBackground()
{
    RCPtr<LBitmap> bitmap =
        LBitmap::CreateFilledBitmap(SizeT<LONG>(kWidth, kHeight), ColorRGBA{0, 0, 0, 1});
    ConstRCPtr<LBitmapData> data = bitmap->GetBitmapData(Gdiplus::ImageLockModeWrite);
    for (LONG y = 0; y < kHeight; ++y)
    {
        auto* row = reinterpret_cast<std::uint32_t*>(data->GetPixelAddress(0, y));
        for (LONG x = 0; x < kWidth; ++x)
        {
            const double t = (x + y) / static_cast<double>(kWidth + kHeight);
            auto channel = [t](double from, double to)
            { return static_cast<std::uint32_t>(std::lround((from + (to - from) * t) * 255)); };
            row[x] = 0xFF000000u | channel(0.15, 0.05) << 16 | channel(0.17, 0.06) << 8 |
                     channel(0.22, 0.09);
        }
    }
    return bitmap;
}

ConstRCPtr<LBitmap> MakeSkin()
{
    RCPtr<LBitmap> bitmap = LBitmap::CreateFilledBitmap(SizeT<LONG>(256, 104), ColorRGBA{});
    ConstRCPtr<LBitmapData> data = bitmap->GetBitmapData(Gdiplus::ImageLockModeWrite);
    for (int i = 0; i < 16; ++i)
    {
        const auto color = ColorFromFloatRGBA(
            ColorRGBA{0.2f + 0.05f * i, 0.4f, 0.8f - 0.04f * i, 0.6f + 0.025f * i});
        for (LONG y = (i / 8) * 52; y < (i / 8) * 52 + 50; ++y)
        {
            auto* row = reinterpret_cast<std::uint32_t*>(data->GetPixelAddress(0, y));
            for (LONG x = (i % 8) * 32; x < (i % 8) * 32 + 30; ++x)
            {
                row[x] = color;
            }
        }
    }
    return bitmap;
}

// What both sides draw with, made once; each side has a window of its own.
struct Scene
{
    Scene()
    {
        Gdiplus::GdiplusStartupInput input;
        GdiplusStartup(&token, &input, nullptr);
        background = MakeBackground();
        skin = MakeSkin();
        for (const Placement& p : kPlacements)
        {
            parts.push_back(
                skin->CreateSubBitmap(p.source.x, p.source.y, p.source.width, p.source.height));
        }
    }
    ~Scene()
    {
        parts.clear();
        background = nullptr;
        skin = nullptr;
        GdiplusShutdown(token);
    }

    ULONG_PTR token = 0;
    ConstRCPtr<LBitmap> background;
    ConstRCPtr<LBitmap> skin;
    std::vector<ConstRCPtr<LBitmap>> parts;
};

Scene& GetScene()
{
    static Scene scene;
    return scene;
}

HWND MakeWindow()
{
    return CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, kWidth, kHeight, nullptr, nullptr,
                           nullptr, nullptr);
}

// ---- Through the renderer ----

void DrawProgressWithRenderer(LRenderer& renderer, long long frame)
{
    renderer.FillRect(kProgress, kTrack, true);
    renderer.FillRect(
        RectT<LONG>(kProgress.x + 2, kProgress.y + 2, ProgressWidth(frame), kProgress.height - 4),
        kBar, true);
    renderer.DrawRect(kProgress, kFrame, 1);
}

void RendererFrames(benchmark::State& state, bool wholeWindow)
{
    Scene& scene = GetScene();
    HWND window = MakeWindow();
    {
        RCPtr<LGLRenderer> renderer(new LGLRenderer(window));
        ConstRCPtr<LRenderContextInfo> context;
        renderer->InitRenderContextInfo(RectT<LONG>(0, 0, kWidth, kHeight), window, false, context);
        long long frame = 0;
        for (auto _ : state)
        {
            renderer->RenderStart(context);
            if (wholeWindow || frame == 0)
            {
                renderer->DrawBitmap(scene.background, RectT<LONG>(0, 0, kWidth, kHeight), 0);
                for (size_t i = 0; i < scene.parts.size(); ++i)
                {
                    renderer->DrawBitmap(scene.parts[i], kPlacements[i].destination,
                                         kPlacements[i].resizeType);
                }
                DrawProgressWithRenderer(*renderer, frame);
            }
            else
            {
                // The window draws what meets the update region: the background and the bar.
                renderer->PushClip(RectT<double>(0, 0, kWidth, kHeight),
                                   RectT<double>(kProgress.x, kProgress.y, kProgress.width + 1,
                                                 kProgress.height + 1),
                                   ConstRCPtr<LStencil>(), true);
                renderer->DrawBitmap(scene.background, RectT<LONG>(0, 0, kWidth, kHeight), 0);
                DrawProgressWithRenderer(*renderer, frame);
                renderer->PopState();
            }
            glFinish();
            renderer->RenderFinish(context);
            ++frame;
        }
        context = nullptr;
    }
    DestroyWindow(window);
}

// ---- Plain OpenGL ----

struct Texture
{
    GLuint name = 0;
    float textureWidth = 0;
    float textureHeight = 0;
};

Texture Upload(const LBitmap& bitmap)
{
    Texture texture;
    ConstRCPtr<LBitmapData> data = bitmap.GetBitmapData(Gdiplus::ImageLockModeRead);
    const int width = data->GetWidth();
    const int height = data->GetHeight();
    texture.textureWidth = static_cast<float>(NextPowerOfTwo(width));
    texture.textureHeight = static_cast<float>(NextPowerOfTwo(height));
    glGenTextures(1, &texture.name);
    glBindTexture(GL_TEXTURE_2D, texture.name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, static_cast<GLsizei>(texture.textureWidth),
                 static_cast<GLsizei>(texture.textureHeight), 0, GL_BGRA, GL_UNSIGNED_BYTE,
                 nullptr);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, data->GetRowStride() / 4);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, GL_BGRA, GL_UNSIGNED_BYTE,
                    data->GetPixelData());
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    return texture;
}

// One textured quad: source and destination left, top, right, bottom.
void Quad(const Texture& texture, const float s[4], const float d[4])
{
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture.name);
    glBegin(GL_QUADS);
    glTexCoord2f(s[0] / texture.textureWidth, s[1] / texture.textureHeight);
    glVertex2f(d[0], d[1]);
    glTexCoord2f(s[0] / texture.textureWidth, s[3] / texture.textureHeight);
    glVertex2f(d[0], d[3]);
    glTexCoord2f(s[2] / texture.textureWidth, s[3] / texture.textureHeight);
    glVertex2f(d[2], d[3]);
    glTexCoord2f(s[2] / texture.textureWidth, s[1] / texture.textureHeight);
    glVertex2f(d[2], d[1]);
    glEnd();
    glDisable(GL_TEXTURE_2D);
}

void Rectangle(const RectT<LONG>& r, const ColorRGBA& c)
{
    glColor4f(c.red, c.green, c.blue, c.alpha);
    glBegin(GL_QUADS);
    glVertex2i(r.x, r.y);
    glVertex2i(r.x + r.width, r.y);
    glVertex2i(r.x + r.width, r.y + r.height);
    glVertex2i(r.x, r.y + r.height);
    glEnd();
}

void DrawProgressPlain(long long frame)
{
    Rectangle(kProgress, kTrack);
    Rectangle(
        RectT<LONG>(kProgress.x + 2, kProgress.y + 2, ProgressWidth(frame), kProgress.height - 4),
        kBar);
    glColor4f(kFrame.red, kFrame.green, kFrame.blue, kFrame.alpha);
    glLineWidth(1);
    glBegin(GL_LINE_STRIP);
    glVertex2i(kProgress.x, kProgress.y);
    glVertex2i(kProgress.Right(), kProgress.y);
    glVertex2i(kProgress.Right(), kProgress.Bottom());
    glVertex2i(kProgress.x, kProgress.Bottom());
    glVertex2i(kProgress.x, kProgress.y);
    glEnd();
}

void DrawBitmapPlain(const Texture& texture, const Placement& p)
{
    glColor4f(1, 1, 1, 1);
    const auto sx = static_cast<float>(p.source.x);
    const auto sy = static_cast<float>(p.source.y);
    const auto sw = static_cast<float>(p.source.width);
    const auto sh = static_cast<float>(p.source.height);
    const float source[4] = {sx, sy, sx + sw, sy + sh};
    const RectT<LONG>& d = p.destination;
    if (p.resizeType == 0)
    {
        const float destination[4] = {static_cast<float>(d.x), static_cast<float>(d.y),
                                      static_cast<float>(d.Right()),
                                      static_cast<float>(d.Bottom())};
        Quad(texture, source, destination);
        return;
    }
    // Tiles, the last ones cut at the destination's edge.
    for (LONG x = d.x; x < d.Right(); x += p.source.width)
    {
        for (LONG y = d.y; y < d.Bottom(); y += p.source.height)
        {
            const float w = std::min<float>(sw, static_cast<float>(d.Right() - x));
            const float h = std::min<float>(sh, static_cast<float>(d.Bottom() - y));
            const float cut[4] = {sx, sy, sx + w, sy + h};
            const float tile[4] = {static_cast<float>(x), static_cast<float>(y),
                                   static_cast<float>(x) + w, static_cast<float>(y) + h};
            Quad(texture, cut, tile);
        }
    }
}

void PlainFrames(benchmark::State& state, bool wholeWindow)
{
    Scene& scene = GetScene();
    HWND window = MakeWindow();
    HDC dc = GetDC(window);
    PIXELFORMATDESCRIPTOR descriptor{};
    descriptor.nSize = sizeof(descriptor);
    descriptor.nVersion = 1;
    SetPixelFormat(dc, ChoosePixelFormat(dc, &descriptor), &descriptor);
    HGLRC context = wglCreateContext(dc);
    wglMakeCurrent(dc, context);
    glViewport(0, 0, kWidth, kHeight);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, kWidth, kHeight, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    // The renderer's fixed state, so that both sides draw the same pixels the same way. (The
    // flat shading weighs on the software rasteriser: in OpenGL's default smooth shading these
    // plain calls draw a progress-bar frame in about two thirds of the time.)
    glDisable(GL_DITHER);
    glShadeModel(GL_FLAT);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glHint(GL_LINE_SMOOTH_HINT, GL_NICEST);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glHint(GL_POLYGON_SMOOTH_HINT, GL_NICEST);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 1.0f / 255.0f);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glEnable(GL_POINT_SMOOTH);
    glEnable(GL_LINE_SMOOTH);
    glEnable(GL_SCISSOR_TEST);
    const Texture background = Upload(*scene.background);
    const Texture skin = Upload(*scene.skin);
    long long frame = 0;
    for (auto _ : state)
    {
        const float full[4] = {0, 0, kWidth, kHeight};
        if (wholeWindow || frame == 0)
        {
            glScissor(0, 0, kWidth, kHeight);
            glColor4f(1, 1, 1, 1);
            Quad(background, full, full);
            for (const Placement& p : kPlacements)
            {
                DrawBitmapPlain(skin, p);
            }
        }
        else
        {
            glScissor(kProgress.x, kHeight - kProgress.Bottom() - 1, kProgress.width + 1,
                      kProgress.height + 1);
            glColor4f(1, 1, 1, 1);
            Quad(background, full, full);
        }
        DrawProgressPlain(frame);
        glFinish();
        ++frame;
    }
    glDeleteTextures(1, &background.name);
    glDeleteTextures(1, &skin.name);
    wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(context);
    ReleaseDC(window, dc);
    DestroyWindow(window);
}

void BM_WholeWindow_Renderer(benchmark::State& state)
{
    RendererFrames(state, true);
}
void BM_WholeWindow_PlainOpenGL(benchmark::State& state)
{
    PlainFrames(state, true);
}
void BM_ProgressRegion_Renderer(benchmark::State& state)
{
    RendererFrames(state, false);
}
void BM_ProgressRegion_PlainOpenGL(benchmark::State& state)
{
    PlainFrames(state, false);
}
BENCHMARK(BM_WholeWindow_Renderer)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WholeWindow_PlainOpenGL)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ProgressRegion_Renderer)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ProgressRegion_PlainOpenGL)->Unit(benchmark::kMicrosecond);
} // namespace

int main(int argc, char** argv)
{
    // Windows of the offscreen driver; the software rasteriser works on the calling thread.
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    setenv("LP_NUM_THREADS", "0", 1);
    return OrvBench::RunWithRatios(
        argc, argv,
        {{"whole window, renderer to plain OpenGL", "BM_WholeWindow_Renderer",
          "BM_WholeWindow_PlainOpenGL"},
         {"progress bar only, renderer to plain OpenGL", "BM_ProgressRegion_Renderer",
          "BM_ProgressRegion_PlainOpenGL"}});
}
