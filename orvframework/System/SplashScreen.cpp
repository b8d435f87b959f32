// The splash screen: its window, its bar and its drawing all on the splash thread, over the
// thread's own X connection.
#include "System/SplashScreen.h"

#include "Utilities/Debug/DebugOutput.h"
#include "Utilities/Globals.h"

#include "platform/DebugApi.h"
#include "platform/GdiPlus.h"
#include "platform/Resources.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/cursorfont.h>
#include <cairo-xlib.h>
#include <cairo.h>
#include <poll.h>

#include <cstring>
#include <string>

namespace Orv
{
namespace
{
constexpr int kBarRangeMax = 100;
constexpr int kBarHeight = 16;
constexpr int kBarBottomGap = 20;
constexpr std::uint32_t kBarBackground = 0xFF202020;
// How long the thread waits for X events before it looks at its messages again.
constexpr int kPollMs = 5;

// The bytes of a PNG resource, read by cairo.
struct PngReader
{
    const unsigned char* data;
    std::size_t size;
    std::size_t offset;
};

cairo_status_t ReadPng(void* closure, unsigned char* out, unsigned int length)
{
    auto* reader = static_cast<PngReader*>(closure);
    if (reader->size - reader->offset < length)
    {
        return CAIRO_STATUS_READ_ERROR;
    }
    std::memcpy(out, reader->data + reader->offset, length);
    reader->offset += length;
    return CAIRO_STATUS_SUCCESS;
}

std::uint32_t Premultiply(std::uint32_t argb)
{
    const std::uint32_t alpha = argb >> 24;
    const auto scale = [alpha](std::uint32_t channel) { return (channel * alpha + 127) / 255; };
    return alpha << 24 | scale(argb >> 16 & 0xFF) << 16 | scale(argb >> 8 & 0xFF) << 8 |
           scale(argb & 0xFF);
}

std::uint32_t Unpremultiply(std::uint32_t argb)
{
    const std::uint32_t alpha = argb >> 24;
    if (alpha == 0)
    {
        return 0;
    }
    const auto scale = [alpha](std::uint32_t channel)
    { return (channel * 255 + alpha / 2) / alpha; };
    return alpha << 24 | scale(argb >> 16 & 0xFF) << 16 | scale(argb >> 8 & 0xFF) << 8 |
           scale(argb & 0xFF);
}

Atom Intern(Display* display, const char* name)
{
    return XInternAtom(display, name, False);
}
} // namespace

// The splash thread's part: its X connection and window, the bar's state, and the stepping.
class LSplashScreen::Thread
{
public:
    explicit Thread(LSplashScreen& splash)
        : mSplash(splash)
    {
    }
    ~Thread()
    {
        if (mTarget != nullptr)
        {
            cairo_surface_destroy(mTarget);
        }
        if (mDisplay != nullptr)
        {
            if (mWindow != 0)
            {
                XDestroyWindow(mDisplay, mWindow);
            }
            if (mColormap != 0)
            {
                XFreeColormap(mDisplay, mColormap);
            }
            XCloseDisplay(mDisplay);
        }
    }
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    // Opens the connection and shows the window; false (after telling why) when it cannot.
    bool Show();
    void Run();

private:
    void MakeWindow(int left, int top);
    void SetWindowProperties();
    void Handle(const MSG& msg);
    void ShowPosition(int value);
    void StopStepping();
    void Draw();

    LSplashScreen& mSplash;
    Display* mDisplay = nullptr;
    Window mWindow = 0;
    Colormap mColormap = 0;
    Visual* mVisual = nullptr;
    cairo_surface_t* mTarget = nullptr;
    int mPosition = 0;
    int mStep = 0;
    int mRemaining = 0;
    UINT_PTR mTimer = 0;
    bool mDirty = true;
};

bool LSplashScreen::Thread::Show()
{
    XInitThreads();
    mDisplay = XOpenDisplay(nullptr);
    if (mDisplay == nullptr)
    {
        OutputDebugStringA("Unable to create SplashWnd\n");
        return false;
    }
    // The work area the desktop announces, else the whole screen.
    const int screen = DefaultScreen(mDisplay);
    long area[4] = {0, 0, DisplayWidth(mDisplay, screen), DisplayHeight(mDisplay, screen)};
    Atom type = 0;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(mDisplay, RootWindow(mDisplay, screen),
                           Intern(mDisplay, "_NET_WORKAREA"), 0, 4, False, XA_CARDINAL, &type,
                           &format, &count, &after, &data) == Success &&
        data != nullptr)
    {
        if (format == 32 && count >= 4)
        {
            std::memcpy(area, data, sizeof area);
        }
        XFree(data);
    }
    const int width = mSplash.mImageWidth;
    const int height = mSplash.mImageHeight;
    MakeWindow(static_cast<int>(area[0] + (area[2] - width) / 2),
               static_cast<int>(area[1] + (area[3] - height) / 2));
    if (mWindow == 0 || mTarget == nullptr || cairo_surface_status(mTarget) != CAIRO_STATUS_SUCCESS)
    {
        OutputDebugStringA("Unable to create SplashWnd\n");
        return false;
    }
    XMapRaised(mDisplay, mWindow);
    // Shown once the server has mapped it.
    XEvent event;
    XWindowEvent(mDisplay, mWindow, StructureNotifyMask, &event);
    while (event.type != MapNotify)
    {
        XWindowEvent(mDisplay, mWindow, StructureNotifyMask, &event);
    }
    Draw();
    mSplash.mWindow = mWindow;
    return true;
}

void LSplashScreen::Thread::MakeWindow(int left, int top)
{
    const int screen = DefaultScreen(mDisplay);
    XSetWindowAttributes attributes{};
    unsigned long mask = CWBackPixel | CWBorderPixel | CWEventMask;
    attributes.background_pixel = 0;
    attributes.border_pixel = 0;
    attributes.event_mask = ExposureMask | StructureNotifyMask;
    int depth = DefaultDepth(mDisplay, screen);
    mVisual = DefaultVisual(mDisplay, screen);
    XVisualInfo argb{};
    if (XMatchVisualInfo(mDisplay, screen, 32, TrueColor, &argb) != 0)
    {
        mColormap = XCreateColormap(mDisplay, RootWindow(mDisplay, screen), argb.visual, AllocNone);
        attributes.colormap = mColormap;
        mask |= CWColormap;
        depth = 32;
        mVisual = argb.visual;
        mSplash.mAlpha = true;
    }
    const auto width = static_cast<unsigned>(mSplash.mImageWidth);
    const auto height = static_cast<unsigned>(mSplash.mImageHeight);
    mWindow = XCreateWindow(mDisplay, RootWindow(mDisplay, screen), left, top, width, height, 0,
                            depth, InputOutput, mVisual, mask, &attributes);
    if (mWindow == 0)
    {
        return;
    }
    SetWindowProperties();
    XSizeHints* hints = XAllocSizeHints();
    if (hints != nullptr)
    {
        hints->flags = USPosition | PPosition | PMinSize | PMaxSize;
        hints->x = left;
        hints->y = top;
        hints->min_width = hints->max_width = static_cast<int>(width);
        hints->min_height = hints->max_height = static_cast<int>(height);
        XSetWMNormalHints(mDisplay, mWindow, hints);
        XFree(hints);
    }
    mTarget = cairo_xlib_surface_create(mDisplay, mWindow, mVisual, static_cast<int>(width),
                                        static_cast<int>(height));
}

void LSplashScreen::Thread::SetWindowProperties()
{
    // The title, the class, and a pop-up that takes no focus and has no frame.
    const std::string title = mSplash.mTitle.ToNarrow().GetBuffer();
    XStoreName(mDisplay, mWindow, title.c_str());
    XChangeProperty(mDisplay, mWindow, Intern(mDisplay, "_NET_WM_NAME"),
                    Intern(mDisplay, "UTF8_STRING"), 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(title.data()),
                    static_cast<int>(title.size()));
    char name[] = "SplashWnd";
    XClassHint classHint{name, name};
    XSetClassHint(mDisplay, mWindow, &classHint);
    XWMHints wmHints{};
    wmHints.flags = InputHint;
    wmHints.input = False;
    XSetWMHints(mDisplay, mWindow, &wmHints);
    const Atom splashType = Intern(mDisplay, "_NET_WM_WINDOW_TYPE_SPLASH");
    XChangeProperty(mDisplay, mWindow, Intern(mDisplay, "_NET_WM_WINDOW_TYPE"), XA_ATOM, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(&splashType), 1);
    // Motif hints: decorations given (flag 2), none of them.
    const long motif[5] = {2, 0, 0, 0, 0};
    const Atom motifAtom = Intern(mDisplay, "_MOTIF_WM_HINTS");
    XChangeProperty(mDisplay, mWindow, motifAtom, motifAtom, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(motif), 5);
    if (!mSplash.mIconData.empty())
    {
        XChangeProperty(mDisplay, mWindow, Intern(mDisplay, "_NET_WM_ICON"), XA_CARDINAL, 32,
                        PropModeReplace,
                        reinterpret_cast<const unsigned char*>(mSplash.mIconData.data()),
                        static_cast<int>(mSplash.mIconData.size()));
    }
    // The start-up cursor.
    const Cursor cursor = XCreateFontCursor(mDisplay, XC_watch);
    XDefineCursor(mDisplay, mWindow, cursor);
    XFreeCursor(mDisplay, cursor);
}

void LSplashScreen::Thread::Run()
{
    const int connection = ConnectionNumber(mDisplay);
    for (;;)
    {
        while (XPending(mDisplay) > 0)
        {
            XEvent event;
            XNextEvent(mDisplay, &event);
            if (event.type == Expose && event.xexpose.count == 0)
            {
                mDirty = true;
            }
        }
        MSG msg{};
        while (PeekMessageW(&msg, reinterpret_cast<HWND>(-1), 0, 0, PM_REMOVE))
        {
            if (msg.message == WM_QUIT)
            {
                StopStepping();
                return;
            }
            Handle(msg);
        }
        if (mDirty)
        {
            Draw();
        }
        pollfd wait{connection, POLLIN, 0};
        poll(&wait, 1, kPollMs);
    }
}

void LSplashScreen::Thread::Handle(const MSG& msg)
{
    if (msg.message == kStartStepping)
    {
        const int low = static_cast<int>(msg.wParam & 0xFFFF);
        const int high = static_cast<int>((msg.wParam >> 16) & 0xFFFF);
        const int steps = static_cast<int>(msg.lParam);
        StopStepping();
        ShowPosition(low);
        if (steps > 0)
        {
            mStep = (high - low) / (steps * kTicksPerStep);
            mRemaining = steps * kTicksPerStep;
            mTimer = SetTimer(nullptr, 0, kStepInterval, nullptr);
            mSplash.mStepping = mTimer != 0;
        }
    }
    else if (msg.message == WM_TIMER && mTimer != 0 && msg.wParam == mTimer)
    {
        // The last step stops the timer before it is shown.
        if (--mRemaining <= 0)
        {
            StopStepping();
        }
        ShowPosition(mPosition + mStep);
    }
    else if (msg.message == kSetPosition)
    {
        StopStepping();
        ShowPosition(static_cast<int>(msg.wParam));
    }
    else if (msg.message == kSetBarColor)
    {
        if (mSplash.mShownPosition.load() < 0)
        {
            ShowPosition(0);
        }
        const auto color = static_cast<DWORD>(msg.wParam);
        mSplash.mBarColor =
            0xFF000000u | (color & 0xFFu) << 16 | (color & 0xFF00u) | (color >> 16 & 0xFFu);
        mDirty = true;
    }
}

void LSplashScreen::Thread::ShowPosition(int value)
{
    mPosition = value < 0 ? 0 : (value > kBarRangeMax ? kBarRangeMax : value);
    mSplash.mShownPosition = mPosition;
    mDirty = true;
}

void LSplashScreen::Thread::StopStepping()
{
    if (mTimer != 0)
    {
        KillTimer(nullptr, mTimer);
        mTimer = 0;
    }
    mSplash.mStepping = false;
}

void LSplashScreen::Thread::Draw()
{
    mDirty = false;
    const int width = mSplash.mImageWidth;
    const int height = mSplash.mImageHeight;
    // The picture: the image (over black where the window has no alpha), then the bar.
    std::vector<std::uint32_t> pixels(mSplash.mImagePixels);
    if (!mSplash.mAlpha.load())
    {
        for (std::uint32_t& pixel : pixels)
        {
            pixel |= 0xFF000000u;
        }
    }
    const int position = mSplash.mShownPosition.load();
    if (position >= 0)
    {
        // A margin of a 25th of the width on each side, 20 pixels above the bottom.
        const int margin = width / 25;
        const int barWidth = width - 2 * margin;
        const int top = height - kBarBottomGap - kBarHeight;
        const int filled = barWidth * position / kBarRangeMax;
        const std::uint32_t color = mSplash.mBarColor.load();
        for (int y = top < 0 ? 0 : top; y < top + kBarHeight && y < height; ++y)
        {
            for (int x = margin; x < margin + barWidth; ++x)
            {
                pixels[static_cast<std::size_t>(y) * width + x] =
                    x - margin < filled ? color : kBarBackground;
            }
        }
    }
    cairo_surface_t* picture =
        cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(pixels.data()),
                                            CAIRO_FORMAT_ARGB32, width, height, width * 4);
    cairo_t* cairo = cairo_create(mTarget);
    cairo_set_operator(cairo, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(cairo, picture, 0, 0);
    cairo_paint(cairo);
    cairo_destroy(cairo);
    cairo_surface_flush(mTarget);
    cairo_surface_destroy(picture);
    XFlush(mDisplay);
    std::lock_guard<std::mutex> guard(mSplash.mShownLock);
    mSplash.mShownPixels = std::move(pixels);
}

LSplashScreen::~LSplashScreen()
{
    Close();
}

void LSplashScreen::SetImage(const ConstRCPtr<LBitmap>& bitmap)
{
    if (!mImage && bitmap && bitmap->GetGdiplusBitmap() != nullptr)
    {
        mImage = bitmap;
    }
}

bool LSplashScreen::ReadImage()
{
    if (!mImagePixels.empty())
    {
        return true;
    }
    const auto width = static_cast<INT>(mImage->GetWidth());
    const auto height = static_cast<INT>(mImage->GetHeight());
    if (width <= 0 || height <= 0)
    {
        return false;
    }
    const GpRect rect{static_cast<INT>(mImage->GetX()), static_cast<INT>(mImage->GetY()), width,
                      height};
    Gdiplus::BitmapData locked{};
    if (GdipBitmapLockBits(mImage->GetGdiplusBitmap(), &rect, Gdiplus::ImageLockModeRead,
                           Gdiplus::PixelFormat32bppARGB, &locked) != Gdiplus::Ok)
    {
        return false;
    }
    mImagePixels.resize(static_cast<std::size_t>(width) * height);
    for (INT y = 0; y < height; ++y)
    {
        const auto* row =
            reinterpret_cast<const std::uint32_t*>(static_cast<const BYTE*>(locked.Scan0) +
                                                   static_cast<std::ptrdiff_t>(y) * locked.Stride);
        for (INT x = 0; x < width; ++x)
        {
            mImagePixels[static_cast<std::size_t>(y) * width + x] = Premultiply(row[x]);
        }
    }
    GdipBitmapUnlockBits(mImage->GetGdiplusBitmap(), &locked);
    mImageWidth = width;
    mImageHeight = height;
    return true;
}

void LSplashScreen::ReadIcon()
{
    mIconData.clear();
    if (mIconResource == 0)
    {
        return;
    }
    const HMODULE module = GetModuleHandleW(nullptr);
    const HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(mIconResource), RT_ICON);
    const HGLOBAL loaded = resource != nullptr ? LoadResource(module, resource) : nullptr;
    const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (bytes == nullptr)
    {
        GetDebugOutput().Narrow() << "Splash: the icon resource " << mIconResource
                                  << " did not load" << std::endl;
        return;
    }
    PngReader reader{static_cast<const unsigned char*>(bytes), SizeofResource(module, resource), 0};
    cairo_surface_t* icon = cairo_image_surface_create_from_png_stream(&ReadPng, &reader);
    if (cairo_surface_status(icon) == CAIRO_STATUS_SUCCESS)
    {
        cairo_surface_flush(icon);
        const int width = cairo_image_surface_get_width(icon);
        const int height = cairo_image_surface_get_height(icon);
        const int stride = cairo_image_surface_get_stride(icon);
        const unsigned char* data = cairo_image_surface_get_data(icon);
        mIconData.reserve(2 + static_cast<std::size_t>(width) * height);
        mIconData.push_back(static_cast<unsigned long>(width));
        mIconData.push_back(static_cast<unsigned long>(height));
        for (int y = 0; y < height; ++y)
        {
            const auto* row = reinterpret_cast<const std::uint32_t*>(data + y * stride);
            for (int x = 0; x < width; ++x)
            {
                mIconData.push_back(Unpremultiply(row[x]));
            }
        }
    }
    else
    {
        GetDebugOutput().Narrow() << "Splash: the icon resource " << mIconResource
                                  << " is not a PNG image" << std::endl;
    }
    cairo_surface_destroy(icon);
}

void LSplashScreen::Start()
{
    if (mThread != nullptr || !mImage)
    {
        return;
    }
    if (!ReadImage())
    {
        GetDebugOutput().Narrow() << "Splash: the image's pixels cannot be read" << std::endl;
        return;
    }
    ReadIcon();
    mStartEvent = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    DWORD id = 0;
    mThread = CreateThread(nullptr, 0, &LSplashScreen::ThreadMain, this, 0, &id);
    if (mThread == nullptr)
    {
        OutputDebugStringA("Error starting SplashThread\n");
        return;
    }
    mThreadId = id;
    // The thread signals once its window shows, or ends when it cannot show one.
    const HANDLE handles[2] = {mStartEvent, mThread};
    const DWORD started = WaitForMultipleObjects(2, handles, FALSE, kStartTimeout);
    if (started == WAIT_OBJECT_0 + 1)
    {
        Close();
    }
    else if (started != WAIT_OBJECT_0)
    {
        OutputDebugStringA("Error starting SplashThread\n");
    }
}

void LSplashScreen::SetProgress(int low, int high, int steps)
{
    if (mThreadId != 0)
    {
        PostThreadMessageW(mThreadId, kStartStepping,
                           static_cast<WPARAM>(static_cast<unsigned int>(low & 0xFFFF) |
                                               (static_cast<unsigned int>(high & 0xFFFF) << 16)),
                           static_cast<LPARAM>(steps));
    }
}

void LSplashScreen::PostStop(int value)
{
    if (mThreadId != 0)
    {
        PostThreadMessageW(mThreadId, kSetPosition, static_cast<WPARAM>(value), 0);
    }
}

void LSplashScreen::SetBarColor(DWORD color)
{
    if (mThreadId != 0)
    {
        PostThreadMessageW(mThreadId, kSetBarColor, static_cast<WPARAM>(color), 0);
    }
}

void LSplashScreen::Close()
{
    if (mThread != nullptr)
    {
        PostThreadMessageW(mThreadId, WM_QUIT, 0, 0);
        if (WaitForSingleObject(mThread, kCloseTimeout) != WAIT_OBJECT_0)
        {
            // Threads are never killed: the thread ends at its next look at its messages.
            GetDebugOutput().Narrow()
                << "Splash: the splash thread did not end in time" << std::endl;
        }
        CloseHandle(mThread);
        mThread = nullptr;
        mThreadId = 0;
    }
    if (mStartEvent != nullptr)
    {
        CloseHandle(mStartEvent);
        mStartEvent = nullptr;
    }
    mTitle = WString();
}

bool LSplashScreen::CopyShownPixels(std::vector<std::uint32_t>& pixels, int& width,
                                    int& height) const
{
    std::lock_guard<std::mutex> guard(mShownLock);
    if (mShownPixels.empty())
    {
        return false;
    }
    pixels = mShownPixels;
    width = mImageWidth;
    height = mImageHeight;
    return true;
}

DWORD WINAPI LSplashScreen::ThreadMain(LPVOID parameter)
{
    auto* splash = static_cast<LSplashScreen*>(parameter);
    // The thread's queue exists from its first look at it.
    MSG msg{};
    PeekMessageW(&msg, reinterpret_cast<HWND>(-1), 0, 0, PM_NOREMOVE);
    {
        Thread thread(*splash);
        if (thread.Show())
        {
            SetEvent(splash->mStartEvent);
            thread.Run();
        }
    }
    splash->mWindow = 0;
    splash->mShownPosition = -1;
    return 0;
}
} // namespace Orv
