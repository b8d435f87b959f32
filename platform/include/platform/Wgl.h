// WGL, the link between OpenGL and windows: the pixel format of a window's device context,
// OpenGL rendering contexts made current on a device context, the swap of a window's buffers,
// and the extension functions of WGL_ARB_extensions_string and WGL_ARB_pixel_format. OpenGL 1.1
// and GLU are the system's own (Mesa's) and come with this header.
//
// Contexts are SDL's OpenGL contexts on the window layer's windows: GLX on an X display, EGL
// without any display under SDL's offscreen video driver. A window takes a pixel format once; it
// is then made anew as an OpenGL window (see OrvPlatform::Window::EnableOpenGL) and shows what
// OpenGL draws there. A context can be made current on the device context of any window of its
// pixel format, in one thread at a time.
//
// There is one pixel format, index 1: RGBA with 8 bits of red (shift 16), green (8) and blue (0),
// 24 colour bits, no alpha, depth, stencil or accumulation bits, drawing to a window with
// OpenGL. It is double-buffered with an unspecified swap method (the back buffer's contents are
// undefined after a swap) where the video driver shows windows, and single-buffered under SDL's
// offscreen driver, whose windows are drawn into memory.
#pragma once

#include "platform/Gdi.h"

#include <GL/gl.h>
#include <GL/glu.h>

struct HGLRC__;
using HGLRC = HGLRC__*;
// A function of the type its name gives; cast it to that type before calling it. (Declared as a
// function of no arguments and no result, the one type a function may be cast from and to
// without losing what it is.)
using PROC = void (*)();

struct PIXELFORMATDESCRIPTOR
{
    WORD nSize;
    WORD nVersion;
    DWORD dwFlags;
    BYTE iPixelType;
    BYTE cColorBits;
    BYTE cRedBits;
    BYTE cRedShift;
    BYTE cGreenBits;
    BYTE cGreenShift;
    BYTE cBlueBits;
    BYTE cBlueShift;
    BYTE cAlphaBits;
    BYTE cAlphaShift;
    BYTE cAccumBits;
    BYTE cAccumRedBits;
    BYTE cAccumGreenBits;
    BYTE cAccumBlueBits;
    BYTE cAccumAlphaBits;
    BYTE cDepthBits;
    BYTE cStencilBits;
    BYTE cAuxBuffers;
    BYTE iLayerType;
    BYTE bReserved;
    DWORD dwLayerMask;
    DWORD dwVisibleMask;
    DWORD dwDamageMask;
};
using LPPIXELFORMATDESCRIPTOR = PIXELFORMATDESCRIPTOR*;
static_assert(sizeof(PIXELFORMATDESCRIPTOR) == 40);

constexpr DWORD PFD_DOUBLEBUFFER = 0x00000001;
constexpr DWORD PFD_STEREO = 0x00000002;
constexpr DWORD PFD_DRAW_TO_WINDOW = 0x00000004;
constexpr DWORD PFD_DRAW_TO_BITMAP = 0x00000008;
constexpr DWORD PFD_SUPPORT_GDI = 0x00000010;
constexpr DWORD PFD_SUPPORT_OPENGL = 0x00000020;
constexpr DWORD PFD_GENERIC_FORMAT = 0x00000040;
constexpr DWORD PFD_SWAP_EXCHANGE = 0x00000200;
constexpr DWORD PFD_SWAP_COPY = 0x00000400;
constexpr DWORD PFD_GENERIC_ACCELERATED = 0x00001000;
constexpr DWORD PFD_SUPPORT_COMPOSITION = 0x00008000;
constexpr BYTE PFD_TYPE_RGBA = 0;
constexpr BYTE PFD_TYPE_COLORINDEX = 1;
constexpr BYTE PFD_MAIN_PLANE = 0;

// The index of the pixel format that best matches the description (here always 1); 0 with
// ERROR_INVALID_HANDLE for a device context that is not one of GetDC's, ERROR_INVALID_PARAMETER
// for a missing description or one whose nSize is not 40.
int ChoosePixelFormat(HDC dc, const PIXELFORMATDESCRIPTOR* descriptor);
// Gives the window of the device context the pixel format (the description is not read). TRUE
// when the window has it afterwards; FALSE with ERROR_INVALID_HANDLE for a device context of no
// window, ERROR_INVALID_PIXEL_FORMAT for an unknown index, a window that has another pixel format
// already, or one that cannot be made an OpenGL window.
BOOL SetPixelFormat(HDC dc, int format, const PIXELFORMATDESCRIPTOR* descriptor);
// Copies at most bytes bytes of the description of the format into descriptor (nothing when it is
// null) and returns the highest format index; 0 with ERROR_INVALID_HANDLE for a bad device
// context, ERROR_INVALID_PARAMETER for an unknown index.
int DescribePixelFormat(HDC dc, int format, UINT bytes, LPPIXELFORMATDESCRIPTOR descriptor);

// A new context for the pixel format of the device context's window, not made current; null with
// ERROR_INVALID_HANDLE for a device context of no window, ERROR_INVALID_PIXEL_FORMAT when the
// window has no pixel format or no context can be made (the reason goes to the debugger output).
HGLRC wglCreateContext(HDC dc);
// Deletes the context; a context current in the calling thread is made not current first.
// FALSE with ERROR_INVALID_HANDLE for an unknown context, ERROR_BUSY for one current in another
// thread.
BOOL wglDeleteContext(HGLRC context);
// Makes the context current in the calling thread on the device context's window, the
// thread's previous context no longer current; with a null context, makes the thread's context
// not current (dc is then not read). FALSE with ERROR_INVALID_HANDLE for an unknown context or a
// device context of no window, ERROR_BUSY for a context current in another thread,
// ERROR_INVALID_PIXEL_FORMAT for a window of another pixel format (or none).
BOOL wglMakeCurrent(HDC dc, HGLRC context);
// The calling thread's current context and the device context it was made current on; null when
// none is.
HGLRC wglGetCurrentContext();
HDC wglGetCurrentDC();
// An OpenGL extension function of the current context, or one of the WGL extension functions
// wglGetExtensionsStringARB and wglChoosePixelFormatARB. Null with ERROR_PROC_NOT_FOUND for an
// unknown name or when the calling thread has no current context.
PROC wglGetProcAddress(LPCSTR name);

constexpr UINT WGL_SWAP_MAIN_PLANE = 0x00000001;
// Shows the back buffer of the device context's window (the main plane is the only plane). The
// calling thread's context must be current on that window. With a single-buffered pixel format it
// does nothing. FALSE with ERROR_INVALID_PARAMETER when the main plane is not asked for,
// ERROR_INVALID_HANDLE for a device context of no window or when no context of the thread is
// current on that window.
BOOL wglSwapLayerBuffers(HDC dc, UINT planes);

// --- WGL_ARB_extensions_string ------------------------------------------------------------------

// The WGL extensions, separated by blanks: "WGL_ARB_extensions_string WGL_ARB_pixel_format".
using PFNWGLGETEXTENSIONSSTRINGARBPROC = const char* (*)(HDC dc);

// --- WGL_ARB_pixel_format ------------------------------------------------------------------------

constexpr int WGL_DRAW_TO_WINDOW_ARB = 0x2001;
constexpr int WGL_SWAP_METHOD_ARB = 0x2007;
constexpr int WGL_SUPPORT_OPENGL_ARB = 0x2010;
constexpr int WGL_DOUBLE_BUFFER_ARB = 0x2011;
constexpr int WGL_PIXEL_TYPE_ARB = 0x2013;
constexpr int WGL_SWAP_EXCHANGE_ARB = 0x2028;
constexpr int WGL_SWAP_COPY_ARB = 0x2029;
constexpr int WGL_SWAP_UNDEFINED_ARB = 0x202A;
constexpr int WGL_TYPE_RGBA_ARB = 0x202B;
constexpr int WGL_TYPE_COLORINDEX_ARB = 0x202C;

// The formats whose attributes match the (attribute, value) pairs of intAttributes, ended by 0
// (the attributes above; WGL_DRAW_TO_WINDOW_ARB, WGL_SUPPORT_OPENGL_ARB, WGL_DOUBLE_BUFFER_ARB,
// WGL_PIXEL_TYPE_ARB and WGL_SWAP_METHOD_ARB must match exactly), best first: at most maxFormats
// of them into formats, their number into count. FALSE with ERROR_INVALID_HANDLE for a bad device
// context, ERROR_INVALID_PARAMETER for a missing count or formats, another attribute, or any
// float attribute.
using PFNWGLCHOOSEPIXELFORMATARBPROC = BOOL (*)(HDC dc, const int* intAttributes,
                                                const float* floatAttributes, UINT maxFormats,
                                                int* formats, UINT* count);
