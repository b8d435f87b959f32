// The open-file dialog over an external file chooser (zenity), run as a child process whose
// standard output carries the chosen paths.
#include "platform/CommonDialogs.h"

#include "Utf8Text.h"

#include "platform/DebugApi.h"
#include "platform/Kernel.h"

#include <cerrno>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace
{
using OrvPlatform::Window::Detail::DecodeUtf8;
using OrvPlatform::Window::Detail::EncodeUtf8;

thread_local DWORD tLastDialogError = 0;

BOOL Fail(DWORD code)
{
    tLastDialogError = code;
    return FALSE;
}

// The chooser's full path, empty when PATH has none.
std::string FindChooser()
{
    const char* path = std::getenv("PATH");
    std::string folders = path != nullptr ? path : "";
    std::size_t start = 0;
    while (start <= folders.size())
    {
        std::size_t end = folders.find(':', start);
        if (end == std::string::npos)
        {
            end = folders.size();
        }
        const std::string folder = folders.substr(start, end - start);
        if (!folder.empty())
        {
            const std::string candidate = folder + "/zenity";
            if (::access(candidate.c_str(), X_OK) == 0)
            {
                return candidate;
            }
        }
        start = end + 1;
    }
    return std::string();
}

// The filter's pairs of name and patterns ("*.dfu;*.bin") as the chooser's filter arguments.
void AddFilters(LPCWSTR filter, std::vector<std::string>& arguments)
{
    if (filter == nullptr)
    {
        return;
    }
    const wchar_t* item = filter;
    while (*item != 0)
    {
        const std::wstring name = item;
        item += name.size() + 1;
        if (*item == 0)
        {
            break;
        }
        std::wstring patterns = item;
        item += patterns.size() + 1;
        for (wchar_t& c : patterns)
        {
            c = c == L';' ? L' ' : c;
        }
        arguments.push_back("--file-filter=" + EncodeUtf8(name) + " | " + EncodeUtf8(patterns));
    }
}

// Runs the chooser; its exit status, or -1 when it could not be run. out gets its output.
int RunChooser(const std::vector<std::string>& arguments, std::string& out)
{
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0)
    {
        return -1;
    }
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
    {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    const pid_t child = ::fork();
    if (child < 0)
    {
        ::close(pipeEnds[0]);
        ::close(pipeEnds[1]);
        return -1;
    }
    if (child == 0)
    {
        ::dup2(pipeEnds[1], STDOUT_FILENO);
        ::close(pipeEnds[0]);
        ::close(pipeEnds[1]);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(pipeEnds[1]);
    char buffer[4096];
    for (;;)
    {
        const ssize_t n = ::read(pipeEnds[0], buffer, sizeof(buffer));
        if (n < 0 && errno == EINTR)
        {
            continue;
        }
        if (n <= 0)
        {
            break;
        }
        out.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(pipeEnds[0]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR)
    {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool Copy(const std::wstring& text, LPWSTR buffer, DWORD size)
{
    if (buffer == nullptr || text.size() + 1 > size)
    {
        return false;
    }
    for (std::size_t i = 0; i < text.size(); ++i)
    {
        buffer[i] = text[i];
    }
    buffer[text.size()] = 0;
    return true;
}
} // namespace

DWORD CommDlgExtendedError()
{
    return tLastDialogError;
}

BOOL GetOpenFileNameW(LPOPENFILENAMEW dialog)
{
    tLastDialogError = 0;
    if (dialog == nullptr || dialog->lStructSize != sizeof(OPENFILENAMEW))
    {
        return Fail(CDERR_STRUCTSIZE);
    }
    if (dialog->lpstrFile == nullptr || dialog->nMaxFile == 0)
    {
        return Fail(FNERR_BUFFERTOOSMALL);
    }
    const std::string chooser = FindChooser();
    if (chooser.empty())
    {
        OutputDebugStringA("GetOpenFileNameW: no file chooser (zenity) is installed\n");
        MessageBoxW(dialog->hwndOwner,
                    L"No file chooser is installed on this system (the program looks for "
                    L"zenity).\n\nPlease name the file on the command line instead.",
                    dialog->lpstrTitle != nullptr ? dialog->lpstrTitle : L"Open",
                    MB_OK | MB_ICONINFORMATION);
        return Fail(CDERR_INITIALIZATION);
    }
    const bool multiple = (dialog->Flags & OFN_ALLOWMULTISELECT) != 0;
    std::vector<std::string> arguments{chooser, "--file-selection"};
    if (dialog->lpstrTitle != nullptr && dialog->lpstrTitle[0] != 0)
    {
        arguments.push_back("--title=" + EncodeUtf8(dialog->lpstrTitle));
    }
    if (dialog->lpstrInitialDir != nullptr && dialog->lpstrInitialDir[0] != 0)
    {
        arguments.push_back("--filename=" + EncodeUtf8(dialog->lpstrInitialDir) + "/");
    }
    if (multiple)
    {
        arguments.push_back("--multiple");
        arguments.push_back("--separator=\n");
    }
    AddFilters(dialog->lpstrFilter, arguments);

    std::string output;
    const int status = RunChooser(arguments, output);
    if (status == 1)
    {
        return FALSE;
    }
    if (status != 0)
    {
        return Fail(CDERR_INITIALIZATION);
    }
    std::vector<std::wstring> paths;
    std::size_t start = 0;
    while (start < output.size())
    {
        std::size_t end = output.find('\n', start);
        if (end == std::string::npos)
        {
            end = output.size();
        }
        if (end > start)
        {
            paths.push_back(DecodeUtf8(output.data() + start, end - start));
        }
        start = end + 1;
    }
    if (paths.empty() || (!multiple && paths.size() > 1))
    {
        return Fail(CDERR_INITIALIZATION);
    }
    for (const std::wstring& path : paths)
    {
        struct stat info
        {
        };
        const bool exists = ::stat(EncodeUtf8(path).c_str(), &info) == 0 && S_ISREG(info.st_mode);
        if ((dialog->Flags & OFN_FILEMUSTEXIST) != 0 && !exists)
        {
            return Fail(CDERR_INITIALIZATION);
        }
    }
    std::wstring result;
    if (paths.size() == 1)
    {
        result = paths[0];
        const std::size_t slash = result.rfind(L'/');
        dialog->nFileOffset = static_cast<WORD>(slash == std::wstring::npos ? 0 : slash + 1);
        if (dialog->lpstrFileTitle != nullptr &&
            !Copy(result.substr(dialog->nFileOffset), dialog->lpstrFileTitle,
                  dialog->nMaxFileTitle))
        {
            return Fail(FNERR_BUFFERTOOSMALL);
        }
    }
    else
    {
        // Several files: the folder of the first, then each name; all must share it.
        const std::size_t slash = paths[0].rfind(L'/');
        const std::wstring folder = paths[0].substr(0, slash == std::wstring::npos ? 0 : slash);
        result = folder;
        result.push_back(0);
        for (const std::wstring& path : paths)
        {
            if (path.size() <= folder.size() + 1 || path.compare(0, folder.size(), folder) != 0 ||
                path[folder.size()] != L'/' ||
                path.find(L'/', folder.size() + 1) != std::wstring::npos)
            {
                return Fail(CDERR_INITIALIZATION);
            }
            result += path.substr(folder.size() + 1);
            result.push_back(0);
        }
        dialog->nFileOffset = static_cast<WORD>(folder.size() + 1);
    }
    if (!Copy(result, dialog->lpstrFile, dialog->nMaxFile))
    {
        return Fail(FNERR_BUFFERTOOSMALL);
    }
    return TRUE;
}
