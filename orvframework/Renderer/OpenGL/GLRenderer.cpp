// The OpenGL renderer's set-up, its render contexts and frames, clip and translation, and the
// purge of its caches.
#include "Renderer/OpenGL/GLRenderer.h"

#include "Renderer/FontRenderer/FreetypeFontRenderer.h"
#include "Renderer/Milliseconds.h"
#include "Renderer/OpenGL/GLErrorMessages.h"
#include "Renderer/OpenGL/GLErrors.h"
#include "Renderer/OpenGL/GLGlyphRenderer.h"
#include "Renderer/OpenGL/WGLExtensions.h"
#include "Utilities/Graphics/Bitmap.h"
#include "platform/Kernel.h"
#include "platform/User32.h"

#include <algorithm>
#include <cmath>

namespace Orv
{
namespace
{
constexpr const char* kConstructor = "Orv::LGLRenderer::LGLRenderer";
// WS_POPUP | WS_BORDER | WS_SYSMENU.
constexpr DWORD kHiddenWindowStyle = 0x80880000;
// The pixel-format flags of a format that composes with the desktop.
constexpr DWORD kSupportComposition = PFD_SUPPORT_COMPOSITION;
// What one driver reports for its format 14, which is the same format without the generic flag.
constexpr DWORD kGenericFourteenFlags = 0x8465;
constexpr int kGenericFourteen = 14;
constexpr UINT kMostFormats = 64;

// Rounded half away from zero, kept as a double (so that the unlimited clip of a fresh state,
// far beyond 32 bits, still works out); not a number counts as 0.
double RoundHalfAway(double value)
{
    if (std::isnan(value))
    {
        return 0;
    }
    return value < 0 ? std::trunc(value - 0.5) : std::trunc(value + 0.5);
}

GLint ToGLint(double value)
{
    return static_cast<GLint>(std::clamp(value, -2147483648.0, 2147483647.0));
}
} // namespace

// The hidden window and the device contexts of the set-up, given back however it ends.
class LGLRenderer::SetUpScope
{
public:
    explicit SetUpScope(HWND window)
        : windowDC(GetDC(window))
        , mWindow(window)
    {
    }
    ~SetUpScope()
    {
        if (hiddenDC != nullptr)
        {
            ReleaseDC(hidden, hiddenDC);
        }
        if (hidden != nullptr)
        {
            DestroyWindow(hidden);
        }
        if (windowDC != nullptr)
        {
            ReleaseDC(mWindow, windowDC);
        }
    }
    SetUpScope(const SetUpScope&) = delete;
    SetUpScope& operator=(const SetUpScope&) = delete;

    HDC windowDC;
    HWND hidden = nullptr;
    HDC hiddenDC = nullptr;

private:
    HWND mWindow;
};

UINT_PTR LGLRenderer::GetImageHandle(const ConstRCPtr<LBitmap>& bitmap)
{
    if (bitmap == nullptr)
    {
        return 0;
    }
    const ConstRCPtr<LBitmap>& parent = bitmap->GetParent();
    return parent != nullptr ? parent->GetHandle() : bitmap->GetHandle();
}

LGLRenderer::LGLRenderer(HWND window, MillisecondClock clock)
    : mWindow(window)
    , mClock(clock != nullptr ? clock : &GetMilliseconds)
    , mPolylineCaches{PolylineCache(kListCacheSize), PolylineCache(kListCacheSize),
                      PolylineCache(kListCacheSize), PolylineCache(kListCacheSize)}
    , mColorRectCache(kListCacheSize)
    , mTextureCache(kTextureCacheSize)
{
    mLastPurgeTime = mClock();
    SetUpScope scope(window);
    try
    {
        CreateContext(scope.windowDC);
    }
    catch (...)
    {
        if (mGLContext != nullptr)
        {
            wglMakeCurrent(nullptr, nullptr);
            wglDeleteContext(mGLContext);
            mGLContext = nullptr;
        }
        throw;
    }
    mWindowDC = GetDC(window);
}

void LGLRenderer::CreateContext(HDC windowDC)
{
    mDescriptor = PIXELFORMATDESCRIPTOR{};
    mDescriptor.nSize = sizeof(PIXELFORMATDESCRIPTOR);
    mDescriptor.nVersion = 1;
    mDescriptor.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_SWAP_COPY |
                          (mDoubleBuffered ? PFD_DOUBLEBUFFER : 0);
    mDescriptor.iPixelType = PFD_TYPE_RGBA;
    mDescriptor.cColorBits = 32;

    mPixelFormat = ChoosePixelFormat(windowDC, &mDescriptor);
    if (mPixelFormat == 0)
    {
        ShowGLError(kGLErrorChoosePixelFormat);
        ORV_THROW_FOR(std::runtime_error, kConstructor);
    }

    // The context is made on a window of its own, so that the window keeps its pixel format
    // free for a better one.
    SetUpScope hidden(nullptr);
    hidden.hidden = CreateWindowExW(0, L"STATIC", L"", kHiddenWindowStyle, 0, 0, 1, 1, nullptr,
                                    nullptr, nullptr, nullptr);
    if (hidden.hidden == nullptr)
    {
        ORV_THROW_FOR(std::runtime_error, kConstructor);
    }
    hidden.hiddenDC = GetDC(hidden.hidden);
    if (!SetPixelFormat(hidden.hiddenDC, mPixelFormat, &mDescriptor))
    {
        ShowGLError(kGLErrorSetPixelFormat);
        ORV_THROW_FOR(std::runtime_error, kConstructor);
    }
    mGLContext = wglCreateContext(hidden.hiddenDC);
    if (mGLContext == nullptr)
    {
        ShowGLError(kGLErrorCreateContext);
        ORV_THROW_FOR(std::runtime_error, kConstructor);
    }
    DescribePixelFormat(hidden.hiddenDC, mPixelFormat, sizeof(mDescriptor), &mDescriptor);
    mDoubleBuffered = (mDescriptor.dwFlags & PFD_DOUBLEBUFFER) != 0;
    mSwapCopies = (mDescriptor.dwFlags & PFD_SWAP_COPY) != 0 &&
                  (mDescriptor.dwFlags & kSupportComposition) == 0;

    if (wglMakeCurrent(hidden.hiddenDC, mGLContext) && !(mDoubleBuffered && mSwapCopies))
    {
        TryPixelFormatExtension(windowDC, hidden.hiddenDC);
    }
    wglMakeCurrent(nullptr, nullptr);
}

void LGLRenderer::TryPixelFormatExtension(HDC windowDC, HDC hiddenDC)
{
    if (!HasWGLExtension(hiddenDC, "WGL_ARB_pixel_format"))
    {
        return;
    }
    auto choose = reinterpret_cast<PFNWGLCHOOSEPIXELFORMATARBPROC>(
        wglGetProcAddress("wglChoosePixelFormatARB"));
    if (choose == nullptr)
    {
        return;
    }
    const int attributes[] = {WGL_DRAW_TO_WINDOW_ARB,
                              1,
                              WGL_PIXEL_TYPE_ARB,
                              WGL_TYPE_RGBA_ARB,
                              WGL_DOUBLE_BUFFER_ARB,
                              1,
                              WGL_SWAP_METHOD_ARB,
                              WGL_SWAP_COPY_ARB,
                              0};
    int formats[kMostFormats] = {};
    UINT count = 0;
    if (!choose(windowDC, attributes, nullptr, kMostFormats, formats, &count) || count == 0)
    {
        return;
    }
    const int format = formats[0];
    PIXELFORMATDESCRIPTOR descriptor{};
    DescribePixelFormat(windowDC, format, sizeof(descriptor), &descriptor);
    if (descriptor.dwFlags == kGenericFourteenFlags && format == kGenericFourteen)
    {
        descriptor.dwFlags &= ~PFD_GENERIC_FORMAT;
    }
    if ((descriptor.dwFlags & PFD_GENERIC_FORMAT) != 0)
    {
        return;
    }
    if (!SetPixelFormat(windowDC, format, &descriptor))
    {
        ShowGLError(kGLErrorSetPixelFormat);
        ORV_THROW_FOR(std::runtime_error, kConstructor);
    }
    HGLRC better = wglCreateContext(windowDC);
    if (better == nullptr)
    {
        return;
    }
    wglDeleteContext(mGLContext);
    mGLContext = better;
    mDescriptor = descriptor;
    mPixelFormat = format;
    mDoubleBuffered = (descriptor.dwFlags & PFD_DOUBLEBUFFER) != 0;
    mSwapCopies = (descriptor.dwFlags & PFD_SWAP_COPY) != 0;
}

LGLRenderer::LGLRenderer(const ConstRCPtr<LFontRenderer>& fontRenderer, HWND window,
                         MillisecondClock clock)
    : LGLRenderer(window, clock)
{
    mFontRenderer = fontRenderer;
}

LGLRenderer::~LGLRenderer()
{
    if (mGLContext != nullptr)
    {
        if (wglGetCurrentContext() == mGLContext)
        {
            wglMakeCurrent(nullptr, nullptr);
        }
        // The context takes its textures and display lists with it.
        wglDeleteContext(mGLContext);
    }
    if (mWindowDC != nullptr)
    {
        ReleaseDC(mWindow, mWindowDC);
    }
}

namespace
{
// Text through FreeType, its glyphs kept and drawn by an OpenGL glyph renderer.
ConstRCPtr<LRenderer> MakeGLRenderer(const RectT<LONG>&, HWND window)
{
    const ConstRCPtr<LGlyphProcessor> glyphs(LGLGlyphRenderer::Create());
    const ConstRCPtr<LFontRenderer> text(new LFreetypeFontRenderer(glyphs, glyphs));
    return ConstRCPtr<LRenderer>(new LGLRenderer(text, window));
}
} // namespace

void LGLRenderer::InstallBackEnd()
{
    SetOpenGLMaker(&MakeGLRenderer);
}

int LGLRenderer::GetRendererType()
{
    return kOpenGL;
}

HDC LGLRenderer::DrawingDC(const LGLRenderContextInfo& context) const
{
    return context.GetDeviceContext() != nullptr ? context.GetDeviceContext() : mWindowDC;
}

ORVRESULT LGLRenderer::InitRenderContextInfo(const RectT<LONG>& bounds, HWND window, bool offscreen,
                                             ConstRCPtr<LRenderContextInfo>& context)
{
    RCPtr<LGLRenderContextInfo> made(new LGLRenderContextInfo(bounds, window, offscreen));
    context = made;
    PIXELFORMATDESCRIPTOR descriptor{};
    descriptor.nSize = sizeof(descriptor);
    descriptor.nVersion = 1;
    const HDC dc = DrawingDC(*made);
    if (!SetPixelFormat(dc, mPixelFormat, &descriptor))
    {
        ShowGLError(kGLErrorSetPixelFormat);
        ORV_THROW(std::runtime_error);
    }
    // The OpenGL context set up for the new target, and the one current before back afterwards
    // (a context may be made while a frame is drawn).
    HGLRC previous = wglGetCurrentContext();
    HDC previousDC = wglGetCurrentDC();
    if (!wglMakeCurrent(dc, mGLContext))
    {
        ShowGLSystemError(kGLErrorMakeContextCurrent, GetLastError());
        ORV_THROW(std::runtime_error);
    }
    made->ReadMaxViewportSize();
    if (GetRenderContextCount() != 0)
    {
        // A frame is being drawn with this OpenGL context: its state stays as it is.
        glPushAttrib(GL_ALL_ATTRIB_BITS);
        glPushClientAttrib(GL_CLIENT_ALL_ATTRIB_BITS);
        glMatrixMode(GL_MODELVIEW);
        glPushMatrix();
        InitGLState();
        glPopMatrix();
        glPopClientAttrib();
        glPopAttrib();
    }
    else
    {
        InitGLState();
    }
    if (previous != nullptr)
    {
        wglMakeCurrent(previousDC, previous);
    }
    else
    {
        wglMakeCurrent(nullptr, nullptr);
    }
    return S_OK;
}

void LGLRenderer::InitGLState()
{
    glClearColor(0, 0, 0, 0);
    glColor4f(1, 1, 1, 1);
    glDisable(GL_LIGHTING);
    glDisable(GL_DITHER);
    glDisable(GL_DEPTH_TEST);
    glShadeModel(GL_FLAT);
    glDisable(GL_CULL_FACE);
    glEnable(GL_TEXTURE_2D);
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
    glDisable(GL_POLYGON_SMOOTH);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_SCISSOR_TEST);
}

ORVRESULT LGLRenderer::SetBounds(const RectT<LONG>& bounds)
{
    LRenderer::SetBounds(bounds);
    if (GetCurrentContext() == nullptr)
    {
        return S_OK;
    }
    glViewport(bounds.x, bounds.y, bounds.width, bounds.height);
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    // y grows downwards from the top edge.
    glOrtho(0, viewport[2], viewport[3], 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    return S_OK;
}

LGLRenderContextInfo* LGLRenderer::GetCurrentContext() const
{
    return dynamic_cast<LGLRenderContextInfo*>(GetCurrentRenderContext());
}

void LGLRenderer::ApplyScissor(const RectT<double>& rect)
{
    const LGLRenderContextInfo* context = GetCurrentContext();
    if (context == nullptr)
    {
        return;
    }
    const RectT<LONG>& bounds = context->GetBounds();
    double x = RoundHalfAway(rect.x);
    double y = RoundHalfAway(bounds.height - (rect.y + rect.height));
    double w = RoundHalfAway(rect.width);
    double h = RoundHalfAway(rect.height);
    if (x < 0)
    {
        w += x;
        x = 0;
    }
    if (y < 0)
    {
        h += y;
        y = 0;
    }
    if (w <= 0 || h <= 0)
    {
        // One pixel just right of the viewport: nothing is drawn.
        glScissor(bounds.width, 0, 1, 1);
        return;
    }
    glScissor(ToGLint(x), ToGLint(y), ToGLint(w), ToGLint(h));
}

void LGLRenderer::ApplyStateClip()
{
    const LGLRenderContextInfo* context = GetCurrentContext();
    if (context == nullptr)
    {
        return;
    }
    const RenderState& state = context->GetState();
    ApplyScissor(RectT<double>(state.clip.x + state.origin.x, state.clip.y + state.origin.y,
                               state.clip.width, state.clip.height));
}

ORVRESULT LGLRenderer::SetClipRect(const RectT<double>& clip)
{
    LRenderer::SetClipRect(clip);
    ApplyStateClip();
    return S_OK;
}

ORVRESULT LGLRenderer::Translate(const PointT<double>& offset)
{
    LRenderer::Translate(offset);
    if (GetCurrentContext() != nullptr && (offset.x != 0 || offset.y != 0))
    {
        glTranslatef(static_cast<GLfloat>(offset.x), static_cast<GLfloat>(offset.y), 0);
    }
    return S_OK;
}

bool LGLRenderer::MakeCurrentFor(const LGLRenderContextInfo& context)
{
    const HDC dc = DrawingDC(context);
    if (wglGetCurrentContext() == mGLContext && wglGetCurrentDC() == dc)
    {
        return true;
    }
    if (wglMakeCurrent(dc, mGLContext))
    {
        return true;
    }
    if (!mMakeCurrentReported)
    {
        mMakeCurrentReported = true;
        ShowGLSystemError(kGLErrorMakeContextCurrent, GetLastError());
    }
    return false;
}

void LGLRenderer::Establish(LGLRenderContextInfo& context)
{
    if (context.IsOffscreen())
    {
        if (context.GetSurface() == nullptr)
        {
            const RectT<LONG>& bounds = context.GetBounds();
            context.SetSurface(
                GLOffscreenSurface::Create(DrawingDC(context), bounds.width, bounds.height));
        }
        if (GLOffscreenSurface* surface = context.GetSurface())
        {
            surface->Bind();
        }
    }
    SetBounds(context.GetBounds());
}

ORVRESULT LGLRenderer::RenderStart(const ConstRCPtr<LRenderContextInfo>& context)
{
    LGLRenderContextInfo* outer = GetCurrentContext();
    LRenderer::RenderStart(context);
    LGLRenderContextInfo* current = GetCurrentContext();
    if (outer != nullptr && outer->GetSurface() != nullptr && current != nullptr)
    {
        // The outer frame's surface lets go; the new frame points OpenGL at its own buffers.
        outer->GetSurface()->Unbind();
    }
    if (current == nullptr)
    {
        // Another back-end's context: nothing to draw into.
        return S_OK;
    }
    if (!MakeCurrentFor(*current))
    {
        return E_FAIL;
    }
    Establish(*current);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    // The frame starts at its own origin and clip, whatever an outer frame had set.
    glLoadIdentity();
    const RenderState& state = current->GetState();
    if (state.origin.x != 0 || state.origin.y != 0)
    {
        glTranslatef(static_cast<GLfloat>(state.origin.x), static_cast<GLfloat>(state.origin.y), 0);
    }
    ApplyStateClip();
    return S_OK;
}

ORVRESULT LGLRenderer::RenderFinish(const ConstRCPtr<LRenderContextInfo>& context)
{
    LGLRenderContextInfo* current = GetCurrentContext();
    if (GetCurrentRenderContext() != context.Get() || current == nullptr)
    {
        // Not the frame on top (the base reports the mismatch), or another back-end's context.
        return LRenderer::RenderFinish(context);
    }
    DiscardGLErrors();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    if (current->IsOffscreen())
    {
        glFlush();
        if (GLOffscreenSurface* surface = current->GetSurface())
        {
            surface->Unbind();
        }
    }
    else if (!mDoubleBuffered)
    {
        glFlush();
    }
    else if (mSwapCopies)
    {
        current->SwapBuffers();
    }
    else
    {
        glFlush();
        CopyBuffer(GL_BACK, GL_FRONT, GL_COLOR);
    }
    DiscardGLErrors();
    const bool outermost = GetRenderContextCount() == 1;
    if (outermost)
    {
        // The purge deletes textures and display lists, which needs their OpenGL context.
        const DWORD now = mClock();
        if (now - mLastPurgeTime > kPurgeInterval)
        {
            mLastPurgeTime = now;
            PurgeCaches();
        }
        wglMakeCurrent(nullptr, nullptr);
    }
    LRenderer::RenderFinish(context);
    if (LGLRenderContextInfo* top = GetCurrentContext())
    {
        // Back to the frame this one was drawn in: its buffers, viewport and clip.
        if (MakeCurrentFor(*top))
        {
            Establish(*top);
            ApplyStateClip();
        }
    }
    return S_OK;
}

void LGLRenderer::CopyBuffer(GLenum read, GLenum draw, GLenum type)
{
    GLint readBuffer = 0;
    GLint drawBuffer = 0;
    glGetIntegerv(GL_READ_BUFFER, &readBuffer);
    glGetIntegerv(GL_DRAW_BUFFER, &drawBuffer);
    glReadBuffer(read);
    glDrawBuffer(draw);
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    gluOrtho2D(0, viewport[2], 0, viewport[3]);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    GLdouble rasterPosition[4] = {0, 0, 0, 1};
    glGetDoublev(GL_CURRENT_RASTER_POSITION, rasterPosition);
    glRasterPos4d(0, 0, 0, 1);
    GLint logicOp = GL_COPY;
    glGetIntegerv(GL_LOGIC_OP_MODE, &logicOp);
    glLogicOp(GL_COPY);
    // The copy is the whole buffer as it is: no clip, blending or texture applies to it.
    glPushAttrib(GL_ENABLE_BIT);
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_BLEND);
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_TEXTURE_2D);
    glCopyPixels(0, 0, viewport[2], viewport[3], type);
    glPopAttrib();
    DiscardGLErrors();
    glLogicOp(static_cast<GLenum>(logicOp));
    glRasterPos4dv(rasterPosition);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glReadBuffer(static_cast<GLenum>(readBuffer));
    glDrawBuffer(static_cast<GLenum>(drawBuffer));
}

void LGLRenderer::PurgeCaches()
{
    // Objects not used since the purge before this one go.
    auto purge = [](auto& cache)
    {
        cache.Purge(cache.GetPurgeThreshold());
        cache.SetPurgeThreshold(cache.GetUseClock());
    };
    purge(mTextureCache);
    for (PolylineCache& cache : mPolylineCaches)
    {
        purge(cache);
    }
    purge(mColorRectCache);
}
} // namespace Orv
