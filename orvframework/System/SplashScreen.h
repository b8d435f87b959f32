// The start-up image in a borderless pop-up window centred in the work area, with a progress bar
// that can step on by itself while the UI thread is busy loading.
//
// The splash runs on a thread of its own: the thread opens its own connection to the X server
// (the window layer keeps its video connection on the UI thread), makes the window, takes the
// requests (SetProgress, PostStop, SetBarColor) as thread messages, steps the bar on a timer and
// draws the image and the bar itself, so the bar moves whatever the UI thread does. Where the
// server offers a 32-bit ARGB visual the window has per-pixel alpha (the image's own alpha);
// elsewhere it is opaque, the image drawn over black.
//
// SetImage, SetIcon, Start, SetProgress, PostStop, SetBarColor and Close are called on the UI
// thread.
#pragma once

#include "Utilities/Graphics/Bitmap.h"

#include "platform/Kernel.h"
#include "platform/User32.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

namespace Orv
{
class LSplashScreen
{
public:
    // Thread messages of the splash thread.
    static constexpr UINT kSetPosition = 0x402;
    static constexpr UINT kStartStepping = 0x404;
    // wParam a colour (0x00BBGGRR).
    static constexpr UINT kSetBarColor = 0x409;
    // Each step of SetProgress's stepping is a quarter of a step and comes every 250 ms.
    static constexpr UINT kStepInterval = 250;
    static constexpr int kTicksPerStep = 4;
    // How long Start waits for the thread, and Close for its end.
    static constexpr DWORD kStartTimeout = 5000;
    static constexpr DWORD kCloseTimeout = 1000;

    LSplashScreen() = default;
    // Closes the splash when it is still shown.
    ~LSplashScreen();
    LSplashScreen(const LSplashScreen&) = delete;
    LSplashScreen& operator=(const LSplashScreen&) = delete;

    // Takes the image once; later calls change nothing.
    void SetImage(const ConstRCPtr<LBitmap>& bitmap);
    // The program's icon resource (RT_ICON, a PNG image) the window shows as its icon; read by
    // Start. A name that does not load leaves the window without icon.
    void SetIcon(WORD iconResource) { mIconResource = iconResource; }
    // Without a thread: starts the splash thread, which shows the window, and waits at most 5 s
    // for it. Nothing without an image. When the thread cannot show the window (no X server)
    // it ends and Start returns without a splash.
    void Start();
    // Sets the bar to low, then moves it on by (high - low) / (steps * 4) every 250 ms, steps * 4
    // times. steps <= 0: the position only.
    void SetProgress(int low, int high, int steps);
    // Stops the stepping and sets the bar to value.
    void PostStop(int value);
    // Draws the bar in the colour (0x00BBGGRR), showing it at 0 first when it is not shown yet.
    void SetBarColor(DWORD color);
    // Ends the thread (waiting at most 1 s), which destroys the window; clears the title.
    void Close();

    // The splash window on the X server (0 while none is shown), the splash thread's id (0
    // without one).
    unsigned long GetWindow() const { return mWindow.load(); }
    DWORD GetThreadId() const { return mThreadId.load(); }
    // Whether the window has per-pixel alpha (a 32-bit ARGB visual).
    bool HasAlpha() const { return mAlpha.load(); }
    // The bar position the window shows, -1 while it shows no bar.
    int GetShownPosition() const { return mShownPosition.load(); }
    // The bar's colour the window draws, 0xAARRGGBB.
    ARGB GetShownBarColor() const { return mBarColor.load(); }
    // Whether the splash thread's stepping timer runs. It stops before the thread draws the
    // position that ends the stepping, so once the window shows that position this is false.
    bool IsStepping() const { return mStepping.load(); }
    // The picture last drawn into the window: width x height pixels, rows top down, 32-bit
    // premultiplied ARGB. False when nothing has been drawn.
    bool CopyShownPixels(std::vector<std::uint32_t>& pixels, int& width, int& height) const;
    const WString& GetTitle() const { return mTitle; }

private:
    class Thread;
    static DWORD WINAPI ThreadMain(LPVOID parameter);
    // The image as premultiplied ARGB pixels, read on the UI thread for the splash thread.
    bool ReadImage();
    void ReadIcon();

    HANDLE mThread = nullptr;
    std::atomic<DWORD> mThreadId{0};
    HANDLE mStartEvent = nullptr;
    ConstRCPtr<LBitmap> mImage;
    std::atomic<unsigned long> mWindow{0};
    WString mTitle;
    WORD mIconResource = 0;

    // Read by Start before the thread starts; the thread only reads them.
    int mImageWidth = 0;
    int mImageHeight = 0;
    std::vector<std::uint32_t> mImagePixels;
    // _NET_WM_ICON's data: width, height, then non-premultiplied ARGB pixels.
    std::vector<unsigned long> mIconData;

    // Written by the splash thread.
    std::atomic<bool> mAlpha{false};
    std::atomic<int> mShownPosition{-1};
    std::atomic<ARGB> mBarColor{0xFF2E8BFF};
    std::atomic<bool> mStepping{false};
    mutable std::mutex mShownLock;
    std::vector<std::uint32_t> mShownPixels;
};
} // namespace Orv
