// The clipboard calls of the window services, over SDL's clipboard (the X selection under X11).
//
// Text is what the system clipboard carries: CF_UNICODETEXT and CF_TEXT (UTF-8 here) both read
// and write the one system text. Other formats (CF_PRIVATEFIRST and up) live in this process and
// last while the system text is the one that was on the clipboard when they were set: a text
// another program copies removes them, as its EmptyClipboard would. The sequence number grows
// with every change this process makes and whenever the system text is found changed.
//
// One thread at a time has the clipboard open. SetClipboardData takes the memory object: the
// clipboard frees it. GetClipboardData's object belongs to the clipboard until the next
// EmptyClipboard or CloseClipboard.
#pragma once

#include "platform/GlobalMemory.h"
#include "platform/User32.h"

constexpr UINT CF_TEXT = 1;
constexpr UINT CF_UNICODETEXT = 13;
constexpr UINT CF_PRIVATEFIRST = 0x0200;
constexpr UINT CF_PRIVATELAST = 0x02FF;

constexpr DWORD ERROR_CLIPBOARD_NOT_OPEN = 1418;

// FALSE with ERROR_ACCESS_DENIED when another thread has it open.
BOOL OpenClipboard(HWND owner);
// FALSE with ERROR_CLIPBOARD_NOT_OPEN when the calling thread has not opened it.
BOOL CloseClipboard();
// Clears every format; the opener's window becomes the owner.
BOOL EmptyClipboard();
// The object set for the format, or null. Null with ERROR_CLIPBOARD_NOT_OPEN when not opened,
// after EmptyClipboard has not made this opener the owner, or when the system refuses the text.
HANDLE SetClipboardData(UINT format, HANDLE memory);
HANDLE GetClipboardData(UINT format);
BOOL IsClipboardFormatAvailable(UINT format);
DWORD GetClipboardSequenceNumber();
