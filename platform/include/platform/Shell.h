// Known folders and the program's own file, as the XDG base-directory layout gives them.
//
//   CSIDL_LOCAL_APPDATA   the user's data folder: $XDG_DATA_HOME, else ~/.local/share
//   CSIDL_COMMON_APPDATA  the first system data folder of $XDG_DATA_DIRS (else /usr/local/share)
//                         when this user may write there, else the user's data folder
//   CSIDL_PERSONAL        the user's documents folder: XDG_DOCUMENTS_DIR of the environment or of
//                         $XDG_CONFIG_HOME/user-dirs.dirs, else ~/Documents
//   CSIDL_FONTS           the system's first font folder (the first of GetFontFolders)
#pragma once

#include "platform/User32.h"

#include <string>
#include <vector>

constexpr int MAX_PATH = 260;

constexpr int CSIDL_PERSONAL = 0x0005;
constexpr int CSIDL_FONTS = 0x0014;
constexpr int CSIDL_LOCAL_APPDATA = 0x001C;
constexpr int CSIDL_COMMON_APPDATA = 0x0023;
constexpr int CSIDL_FLAG_CREATE = 0x8000;

constexpr DWORD SHGFP_TYPE_CURRENT = 0;

// Writes the folder's path (at most MAX_PATH characters with the terminator) to path. With
// CSIDL_FLAG_CREATE a missing folder is made, with the folders above it. S_OK; E_INVALIDARG for
// another folder id or a null path; E_FAIL when the folder cannot be found, made or does not fit
// (path is then empty).
HRESULT SHGetFolderPathW(HWND owner, int folder, HANDLE token, DWORD flags, LPWSTR path);

// The program file's path (module NULL: the running program). Copies at most size - 1
// characters and a terminator; returns the characters copied, or size with
// ERROR_INSUFFICIENT_BUFFER when the path was cut; 0 on failure. Other modules are not offered
// (ERROR_NOT_SUPPORTED).
DWORD GetModuleFileNameW(HMODULE module, LPWSTR buffer, DWORD size);

namespace OrvPlatform::Shell
{
// The value of XDG_DOCUMENTS_DIR in the text of a user-dirs.dirs file ("$HOME/..." or an
// absolute path, in double quotes); empty when the file does not give one in that form.
std::string DocumentsFolderFromUserDirs(const std::string& text, const std::string& home);

// The folders the system's fonts are in: the font folders fontconfig's configuration names, else
// (when none of those exists) the "fonts" folders of the XDG data folders ($XDG_DATA_HOME, then
// each of $XDG_DATA_DIRS). Each existing one comes with every folder below it, right after it, a
// level at a time in name order; a folder reached twice (through a link) is listed once. Empty
// when no font folder exists.
std::vector<std::wstring> GetFontFolders();
} // namespace OrvPlatform::Shell
