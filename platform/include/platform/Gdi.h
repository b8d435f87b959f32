// The few GDI calls this program makes: the screen's resolution through a device context, and
// GDI bitmaps made from GDI+ images. There is no window system here: every device context
// reports 96 DPI.
#pragma once

#include "platform/Types.h"

struct HWND__;
using HWND = HWND__*;
struct HDC__;
using HDC = HDC__*;
struct HGDIOBJ__;
using HGDIOBJ = HGDIOBJ__*;
using HBITMAP = HGDIOBJ;

// GetDeviceCaps indices.
constexpr int LOGPIXELSX = 88;
constexpr int LOGPIXELSY = 90;

// A device context for the window's client area (null: the screen); null on failure.
HDC GetDC(HWND window);
// 1 when the context was released, 0 when it was not one of GetDC's for that window.
int ReleaseDC(HWND window, HDC dc);
// The window a device context of GetDC belongs to; null for the screen's context and for a
// context that is not (or no longer) one of GetDC's.
HWND WindowFromDC(HDC dc);
// LOGPIXELSX and LOGPIXELSY: 96. Other indices and bad contexts: 0.
int GetDeviceCaps(HDC dc, int index);

struct BITMAP
{
    LONG bmType;
    LONG bmWidth;
    LONG bmHeight;
    LONG bmWidthBytes;
    WORD bmPlanes;
    WORD bmBitsPixel;
    LPVOID bmBits;
};

// For a bitmap: fills a BITMAP (size must be at least sizeof(BITMAP)) and returns its size;
// with a null buffer returns the size needed. 0 on failure.
int GetObjectW(HGDIOBJ object, int size, LPVOID buffer);
// Frees a bitmap; FALSE for a handle that is not one.
BOOL DeleteObject(HGDIOBJ object);

// This platform's own link between windows and drawing: the window layer lends, for each window
// it shows, its client-area pixels (32-bit premultiplied, bytes blue, green, red, alpha, rows
// top-down), and graphics made for the window (GdipCreateFromHWND) draw there. The pixels must
// stay valid until they are replaced or withdrawn (null). FALSE for a null window or bad sizes.
struct WindowPixels
{
    void* bits;
    int width;
    int height;
    int stride;
};
BOOL SetWindowPixels(HWND window, const WindowPixels* pixels);
