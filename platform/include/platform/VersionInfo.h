// The version-information calls (GetFileVersionInfoSizeW, GetFileVersionInfoW, VerQueryValueW)
// over the version block of the program, and the default language ids.
//
// The version block is the program's resource of type RT_VERSION and id VS_VERSION_INFO
// (embedded with orv_embed_resources), UTF-8 text, one entry a line:
//
//     TRANSLATION 0409 04B0 [0407 04E4 ...]   language and code-page pairs, in hexadecimal
//     040904B0 CompanyName=Halvex DJ          a string of the translation 0409/04B0
//
// Blank lines and lines that begin with ';' are ignored. This platform reads no other file's
// resources: only the program's own file has a version block.
#pragma once

#include "platform/IntResource.h"
#include "platform/Resources.h"
#include "platform/Types.h"

using LANGID = WORD;
using PUINT = UINT*;

inline LPCWSTR const RT_VERSION = MAKEINTRESOURCEW(16);
constexpr WORD VS_VERSION_INFO = 1;

constexpr WORD SUBLANG_ENGLISH_US = 0x01;
constexpr WORD PRIMARYLANGID(WORD language)
{
    return static_cast<WORD>(language & 0x3FF);
}

// The size in bytes of the file's version block as GetFileVersionInfoW copies it; *handle is set
// to 0. 0 when the file has none: ERROR_FILE_NOT_FOUND for a file that does not exist,
// ERROR_RESOURCE_TYPE_NOT_FOUND for a file without a version block (every file but the
// program's own), ERROR_INVALID_DATA for a block that cannot be read (the line is logged).
DWORD GetFileVersionInfoSizeW(LPCWSTR fileName, LPDWORD handle);
// Copies the file's version block into data (length bytes, at least the size above); handle is
// ignored. FALSE with the error of GetFileVersionInfoSizeW, or ERROR_INSUFFICIENT_BUFFER.
BOOL GetFileVersionInfoW(LPCWSTR fileName, DWORD handle, DWORD length, LPVOID data);
// Finds a value in a block that GetFileVersionInfoW filled, by path (case-insensitive):
// "\VarFileInfo\Translation" gives the array of translations (each a DWORD, the language in the
// low word and the code page in the high word), *length its size in bytes;
// "\StringFileInfo\<language and code page as eight hexadecimal digits>\<key>" gives the string,
// *length its length in characters with its terminating zero. *buffer points into the block.
// FALSE (buffer and length untouched) for a path the block does not hold or a block that is not
// one.
BOOL VerQueryValueW(LPCVOID block, LPCWSTR subBlock, LPVOID* buffer, PUINT length);

// The user's and the system's default language: the language of the locale that LC_ALL,
// LC_MESSAGES or LANG name (the first set, for the user; the system's locale setting for the
// system), among the languages this platform knows by their language codes; English (United
// States) for the "C" and "POSIX" locales and for none.
LANGID GetUserDefaultLangID();
LANGID GetSystemDefaultLangID();
