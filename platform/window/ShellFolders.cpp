// Known folders over the XDG base-directory layout.
#include "Utf8Text.h"

#include "platform/Kernel.h"
#include "platform/Shell.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using namespace OrvPlatform::Window::Detail;

namespace
{
std::string Environment(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

std::string Home()
{
    return Environment("HOME");
}

std::string UserData()
{
    const std::string data = Environment("XDG_DATA_HOME");
    if (!data.empty() && data.front() == '/')
    {
        return data;
    }
    const std::string home = Home();
    return home.empty() ? std::string() : home + "/.local/share";
}

std::string CommonData()
{
    std::string dirs = Environment("XDG_DATA_DIRS");
    if (dirs.empty())
    {
        dirs = "/usr/local/share:/usr/share";
    }
    const std::string first = dirs.substr(0, dirs.find(':'));
    if (!first.empty() && first.front() == '/' && access(first.c_str(), W_OK) == 0)
    {
        return first;
    }
    return UserData();
}

std::string Documents()
{
    const std::string home = Home();
    const std::string fromEnvironment = Environment("XDG_DOCUMENTS_DIR");
    if (!fromEnvironment.empty() && fromEnvironment.front() == '/')
    {
        return fromEnvironment;
    }
    std::string config = Environment("XDG_CONFIG_HOME");
    if (config.empty() || config.front() != '/')
    {
        config = home.empty() ? std::string() : home + "/.config";
    }
    std::ifstream in(config + "/user-dirs.dirs");
    if (in)
    {
        std::ostringstream text;
        text << in.rdbuf();
        const std::string found = OrvPlatform::Shell::DocumentsFolderFromUserDirs(text.str(), home);
        if (!found.empty())
        {
            return found;
        }
    }
    return home.empty() ? std::string() : home + "/Documents";
}

// The font folders fontconfig's configuration names (its configuration files as the environment
// selects them, FONTCONFIG_FILE included), whether they exist or not.
std::vector<std::string> ConfiguredFontFolders()
{
    std::vector<std::string> folders;
    FcConfig* config = FcInitLoadConfig();
    if (config == nullptr)
    {
        return folders;
    }
    if (FcStrList* list = FcConfigGetFontDirs(config))
    {
        while (const FcChar8* folder = FcStrListNext(list))
        {
            folders.emplace_back(reinterpret_cast<const char*>(folder));
        }
        FcStrListDone(list);
    }
    FcConfigDestroy(config);
    return folders;
}

// The "fonts" folders of the XDG data folders: the user's first, then the system's.
std::vector<std::string> DataFontFolders()
{
    std::vector<std::string> folders;
    const std::string user = UserData();
    if (!user.empty())
    {
        folders.push_back(user + "/fonts");
    }
    std::string dirs = Environment("XDG_DATA_DIRS");
    if (dirs.empty())
    {
        dirs = "/usr/local/share:/usr/share";
    }
    std::size_t start = 0;
    while (start <= dirs.size())
    {
        std::size_t end = dirs.find(':', start);
        if (end == std::string::npos)
        {
            end = dirs.size();
        }
        const std::string dir = dirs.substr(start, end - start);
        if (!dir.empty() && dir.front() == '/')
        {
            folders.push_back(dir + "/fonts");
        }
        start = end + 1;
    }
    return folders;
}

// Appends the folder, when it exists and was not met before (by its canonical path), and then
// every folder below it, each level in name order. Links to folders are followed; a folder met
// again through a link is not listed twice.
void AppendFolderTree(const std::string& folder, std::set<std::string>& seen,
                      std::vector<std::string>& out, int depth)
{
    constexpr int kMaxDepth = 32;
    char canonical[PATH_MAX];
    struct stat info;
    if (depth > kMaxDepth || realpath(folder.c_str(), canonical) == nullptr ||
        stat(canonical, &info) != 0 || !S_ISDIR(info.st_mode) || !seen.insert(canonical).second)
    {
        return;
    }
    out.push_back(folder);
    std::vector<std::string> names;
    if (DIR* dir = opendir(folder.c_str()))
    {
        while (const dirent* entry = readdir(dir))
        {
            const std::string name = entry->d_name;
            if (name != "." && name != "..")
            {
                names.push_back(name);
            }
        }
        closedir(dir);
    }
    std::sort(names.begin(), names.end());
    for (const std::string& name : names)
    {
        const std::string below = folder + "/" + name;
        if (stat(below.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
        {
            AppendFolderTree(below, seen, out, depth + 1);
        }
    }
}

std::vector<std::string> FontFolderTrees(const std::vector<std::string>& tops)
{
    std::set<std::string> seen;
    std::vector<std::string> out;
    for (const std::string& top : tops)
    {
        if (!top.empty() && top.front() == '/')
        {
            AppendFolderTree(top, seen, out, 0);
        }
    }
    return out;
}

std::vector<std::string> FontFolders()
{
    std::vector<std::string> folders = FontFolderTrees(ConfiguredFontFolders());
    if (folders.empty())
    {
        folders = FontFolderTrees(DataFontFolders());
    }
    return folders;
}

bool MakeChain(const std::string& folder)
{
    for (std::size_t i = 1; i <= folder.size(); ++i)
    {
        if (i == folder.size() || folder[i] == '/')
        {
            const std::string part = folder.substr(0, i);
            if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            {
                return false;
            }
        }
    }
    struct stat info;
    return stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}
} // namespace

namespace OrvPlatform::Shell
{
std::string DocumentsFolderFromUserDirs(const std::string& text, const std::string& home)
{
    const std::string key = "XDG_DOCUMENTS_DIR=";
    std::size_t start = 0;
    while (start < text.size())
    {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
        {
            end = text.size();
        }
        std::string line = text.substr(start, end - start);
        start = end + 1;
        const std::size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line.compare(first, key.size(), key) != 0)
        {
            continue;
        }
        std::string value = line.substr(first + key.size());
        const std::size_t last = value.find_last_not_of(" \t\r");
        value = last == std::string::npos ? std::string() : value.substr(0, last + 1);
        if (value.size() < 2 || value.front() != '"' || value.back() != '"')
        {
            continue;
        }
        value = value.substr(1, value.size() - 2);
        if (value.find('"') != std::string::npos || value.find('\\') != std::string::npos)
        {
            continue;
        }
        if (value.rfind("$HOME", 0) == 0 && (value.size() == 5 || value[5] == '/'))
        {
            if (home.empty())
            {
                continue;
            }
            return home + value.substr(5);
        }
        if (!value.empty() && value.front() == '/')
        {
            return value;
        }
    }
    return std::string();
}

std::vector<std::wstring> GetFontFolders()
{
    std::vector<std::wstring> out;
    for (const std::string& folder : FontFolders())
    {
        out.push_back(DecodeUtf8(folder.data(), folder.size()));
    }
    return out;
}
} // namespace OrvPlatform::Shell

HRESULT SHGetFolderPathW(HWND, int folder, HANDLE, DWORD, LPWSTR path)
{
    if (path == nullptr)
    {
        return E_INVALIDARG;
    }
    path[0] = L'\0';
    std::string found;
    switch (folder & ~CSIDL_FLAG_CREATE)
    {
        case CSIDL_LOCAL_APPDATA:
            found = UserData();
            break;
        case CSIDL_COMMON_APPDATA:
            found = CommonData();
            break;
        case CSIDL_PERSONAL:
            found = Documents();
            break;
        case CSIDL_FONTS:
        {
            const std::vector<std::string> fonts = FontFolders();
            if (!fonts.empty())
            {
                found = fonts.front();
            }
            break;
        }
        default:
            return E_INVALIDARG;
    }
    if (found.empty())
    {
        return E_FAIL;
    }
    if ((folder & CSIDL_FLAG_CREATE) != 0 && !MakeChain(found))
    {
        return E_FAIL;
    }
    const std::wstring wide = DecodeUtf8(found.data(), found.size());
    if (wide.size() >= static_cast<std::size_t>(MAX_PATH))
    {
        return E_FAIL;
    }
    std::copy(wide.begin(), wide.end(), path);
    path[wide.size()] = L'\0';
    return S_OK;
}

DWORD GetModuleFileNameW(HMODULE module, LPWSTR buffer, DWORD size)
{
    if (module != nullptr)
    {
        SetLastError(ERROR_NOT_SUPPORTED);
        return 0;
    }
    if (buffer == nullptr || size == 0)
    {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    char target[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", target, sizeof(target) - 1);
    if (length <= 0)
    {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return 0;
    }
    const std::wstring wide = DecodeUtf8(target, static_cast<std::size_t>(length));
    if (wide.size() >= size)
    {
        std::copy_n(wide.begin(), size - 1, buffer);
        buffer[size - 1] = L'\0';
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return size;
    }
    std::copy(wide.begin(), wide.end(), buffer);
    buffer[wide.size()] = L'\0';
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(wide.size());
}
