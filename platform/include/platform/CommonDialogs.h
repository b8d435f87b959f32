// The open-file common dialog. Here it runs an external file chooser (zenity) found on PATH;
// where none is installed it tells the user to name the file on the command line instead and
// reports the dialog as failed.
#pragma once

#include "platform/User32.h"

struct OPENFILENAMEW
{
    DWORD lStructSize;
    HWND hwndOwner;
    HINSTANCE hInstance;
    LPCWSTR lpstrFilter;
    LPWSTR lpstrCustomFilter;
    DWORD nMaxCustFilter;
    DWORD nFilterIndex;
    LPWSTR lpstrFile;
    DWORD nMaxFile;
    LPWSTR lpstrFileTitle;
    DWORD nMaxFileTitle;
    LPCWSTR lpstrInitialDir;
    LPCWSTR lpstrTitle;
    DWORD Flags;
    WORD nFileOffset;
    WORD nFileExtension;
    LPCWSTR lpstrDefExt;
    LPARAM lCustData;
    void* lpfnHook;
    LPCWSTR lpTemplateName;
};
using LPOPENFILENAMEW = OPENFILENAMEW*;

constexpr DWORD OFN_READONLY = 0x00000001;
constexpr DWORD OFN_HIDEREADONLY = 0x00000004;
constexpr DWORD OFN_ALLOWMULTISELECT = 0x00000200;
constexpr DWORD OFN_FILEMUSTEXIST = 0x00001000;
constexpr DWORD OFN_EXPLORER = 0x00080000;
constexpr DWORD OFN_ENABLESIZING = 0x00800000;

// CommDlgExtendedError codes.
constexpr DWORD CDERR_STRUCTSIZE = 0x0001;
constexpr DWORD CDERR_INITIALIZATION = 0x0002;
constexpr DWORD FNERR_BUFFERTOOSMALL = 0x3003;

// TRUE when the user chose: lpstrFile holds the path (several: the folder, then each name,
// each ended by a NUL, and a second NUL at the end), lpstrFileTitle the name. FALSE when the
// user cancelled (CommDlgExtendedError 0) or the dialog failed (its code).
BOOL GetOpenFileNameW(LPOPENFILENAMEW dialog);
DWORD CommDlgExtendedError();
