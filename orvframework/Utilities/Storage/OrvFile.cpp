#include "Utilities/Storage/OrvFile.h"

#include "ObjectBase/Exception.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cwctype>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace Orv
{
namespace
{
// The descriptor of an open file. It is closed (and, when asked, the file deleted) when the last
// File that shares it lets it go, also when copies are destroyed on several threads at once.
class FileDescriptorHolder final : public LHolder<int>
{
public:
    FileDescriptorHolder(int descriptor, const NString& deletePath)
        : LHolder<int>(descriptor)
        , mDeletePath(deletePath)
    {
    }
    ~FileDescriptorHolder() override
    {
        ::close(GetValue());
        if (!mDeletePath.IsEmpty())
        {
            ::unlink(mDeletePath.GetBuffer());
        }
    }

private:
    NString mDeletePath;
};

std::string ToSystemPath(const WString& path)
{
    const NString narrow = path.ToNarrow();
    return std::string(narrow.GetBuffer(), narrow.GetLength());
}

// A path that names the root folder: one or more separators only.
bool IsRoot(const std::string& path)
{
    return !path.empty() && path.find_first_not_of(kNarrowPathSeparator) == std::string::npos;
}

bool IsFolder(const std::string& path)
{
    struct stat status;
    return ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

bool IsAccessible(const std::string& path)
{
    return ::access(path.c_str(), F_OK) == 0;
}

void MakeFolder(const std::string& path)
{
    // Failures are ignored: the folder may exist already; the caller checks the result.
    ::mkdir(path.c_str(), 0777);
}

wchar_t FoldCase(wchar_t c)
{
    return static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
}

// '*' takes any run of characters (none included), '?' exactly one; letters match in either case.
bool MatchWildcards(const wchar_t* pattern, const wchar_t* name)
{
    const wchar_t* starPattern = nullptr;
    const wchar_t* starName = nullptr;
    while (*name != 0)
    {
        if (*pattern == L'*')
        {
            starPattern = ++pattern;
            starName = name;
        }
        else if (*pattern != 0 && (*pattern == L'?' || FoldCase(*pattern) == FoldCase(*name)))
        {
            ++pattern;
            ++name;
        }
        else if (starPattern != nullptr)
        {
            pattern = starPattern;
            name = ++starName;
        }
        else
        {
            return false;
        }
    }
    while (*pattern == L'*')
    {
        ++pattern;
    }
    return *pattern == 0;
}

bool MatchesPattern(const WString& pattern, const WString& name)
{
    if (MatchWildcards(pattern.GetBuffer(), name.GetBuffer()))
    {
        return true;
    }
    // "name.*" also takes "name", and "*.*" every name.
    const unsigned int length = pattern.GetLength();
    if (length >= 2 && pattern.GetBuffer()[length - 2] == L'.' &&
        pattern.GetBuffer()[length - 1] == L'*')
    {
        return MatchWildcards(pattern.Left(static_cast<int>(length) - 2).GetBuffer(),
                              name.GetBuffer());
    }
    return false;
}

// Whether a listed entry is a folder; a link counts as what it points to.
bool EntryIsFolder(int folderDescriptor, const dirent* entry)
{
    if (entry->d_type == DT_DIR)
    {
        return true;
    }
    if (entry->d_type != DT_UNKNOWN && entry->d_type != DT_LNK)
    {
        return false;
    }
    struct stat status;
    return ::fstatat(folderDescriptor, entry->d_name, &status, 0) == 0 && S_ISDIR(status.st_mode);
}

int LastSeparator(const WString& path)
{
    const wchar_t* text = path.GetBuffer();
    int last = -1;
    for (int i = 0; text[i] != 0; ++i)
    {
        if (text[i] == kPathSeparator)
        {
            last = i;
        }
    }
    return last;
}
} // namespace

File::File() = default;

File::File(const WString& first, const WString& second, unsigned int flags)
    : mFlags(flags)
{
    Open(first, second, flags);
}

File::~File()
{
    Close();
}

ORVRESULT File::Open(const WString& first, const WString& second, unsigned int flags)
{
    if (IsOpen())
    {
        return S_FALSE;
    }
    if (!second.IsEmpty())
    {
        mName = second;
        mPath = first + WString(kPathSeparator) + second;
    }
    else
    {
        if (first.IsEmpty())
        {
            ORV_THROW(std::runtime_error, "invalid pathname");
        }
        mName.Clear();
        mPath = first;
    }
    mFlags = flags;

    int mode = O_CLOEXEC;
    mode |= (flags & kReadWrite) != 0 ? O_RDWR : O_RDONLY;
    if ((flags & kCreate) != 0)
    {
        mode |= O_CREAT;
        if ((flags & kExclusive) != 0)
        {
            mode |= O_EXCL;
        }
    }
    const std::string path = ToSystemPath(mPath);
    int descriptor;
    do
    {
        descriptor = ::open(path.c_str(), mode, S_IRUSR | S_IWUSR);
    } while (descriptor < 0 && errno == EINTR);
    if (descriptor < 0)
    {
        return E_FAIL;
    }
    struct stat status;
    if (::fstat(descriptor, &status) != 0 || S_ISDIR(status.st_mode))
    {
        ::close(descriptor);
        return E_FAIL;
    }
    const NString deletePath = (flags & kDeleteOnClose) != 0 ? mPath.ToNarrow() : NString();
    mDescriptor = new FileDescriptorHolder(descriptor, deletePath);
    return S_OK;
}

ORVRESULT File::Close()
{
    if (IsOpen() && mDescriptor->GetRefCount() == 1)
    {
        mDescriptor = nullptr;
    }
    return S_OK;
}

int File::Descriptor(const char* function) const
{
    if (!IsOpen())
    {
        ORV_THROW_FOR(std::runtime_error, function, "file is not open");
    }
    return mDescriptor->GetValue();
}

int File::Read(void* buffer, unsigned int count, unsigned int position)
{
    const int descriptor = Descriptor("Orv::File::Read");
    if (position != kCurrentPosition &&
        ::lseek(descriptor, static_cast<off_t>(position), SEEK_SET) != static_cast<off_t>(position))
    {
        ORV_THROW(std::runtime_error, "lseek");
    }
    if (count > static_cast<unsigned int>(INT_MAX) || (buffer == nullptr && count != 0))
    {
        ORV_THROW(std::runtime_error, "read");
    }
    // Only the end of the file makes a read come back short.
    char* bytes = static_cast<char*>(buffer);
    unsigned int done = 0;
    while (done < count)
    {
        const ssize_t n = ::read(descriptor, bytes + done, count - done);
        if (n < 0)
        {
            if (errno == EINTR)
            {
                continue;
            }
            ORV_THROW(std::runtime_error, "read");
        }
        if (n == 0)
        {
            break;
        }
        done += static_cast<unsigned int>(n);
    }
    return static_cast<int>(done);
}

int File::Write(const void* buffer, unsigned int count, unsigned int position)
{
    const int descriptor = Descriptor("Orv::File::Write");
    if ((mFlags & kReadWrite) == 0)
    {
        ORV_THROW(std::runtime_error, "file is read only");
    }
    if (position != kCurrentPosition &&
        ::lseek(descriptor, static_cast<off_t>(position), SEEK_SET) != static_cast<off_t>(position))
    {
        ORV_THROW(std::runtime_error, "lseek");
    }
    if (count > static_cast<unsigned int>(INT_MAX) || (buffer == nullptr && count != 0))
    {
        ORV_THROW(std::runtime_error, "write");
    }
    // Every byte is written, or the failure is thrown.
    const char* bytes = static_cast<const char*>(buffer);
    unsigned int done = 0;
    while (done < count)
    {
        const ssize_t n = ::write(descriptor, bytes + done, count - done);
        if (n < 0 && errno == EINTR)
        {
            continue;
        }
        if (n <= 0)
        {
            ORV_THROW(std::runtime_error, "write");
        }
        done += static_cast<unsigned int>(n);
    }
    return static_cast<int>(done);
}

long File::Seek(long offset, int origin)
{
    const int descriptor = Descriptor("Orv::File::Seek");
    return static_cast<long>(::lseek(descriptor, static_cast<off_t>(offset), origin));
}

long long File::GetLength() const
{
    if (!IsOpen())
    {
        return 0;
    }
    struct stat status;
    if (::fstat(mDescriptor->GetValue(), &status) != 0)
    {
        ORV_THROW(std::runtime_error, "fstat");
    }
    return static_cast<long long>(status.st_size);
}

bool FolderExists(const WString& path)
{
    std::string system = ToSystemPath(path);
    if (system.size() > 1 && system.back() == kNarrowPathSeparator && !IsRoot(system))
    {
        system.pop_back();
    }
    return !system.empty() && IsFolder(system);
}

bool FileExists(const WString& path)
{
    const std::string system = ToSystemPath(path);
    struct stat status;
    return !system.empty() && ::stat(system.c_str(), &status) == 0 && !S_ISDIR(status.st_mode);
}

ORVRESULT CreateFolderIfMissing(const WString& path)
{
    const std::string system = ToSystemPath(path);
    struct stat status;
    if (!system.empty() && ::stat(system.c_str(), &status) == 0)
    {
        return S_ISDIR(status.st_mode) ? S_FALSE : E_FAIL;
    }
    return CreateFolderChain(path.GetBuffer(), false) ? S_OK : E_FAIL;
}

bool CreateFolderChain(const wchar_t* path, bool lastIsFile)
{
    if (path == nullptr || path[0] == 0)
    {
        return false;
    }
    const std::string system = ToSystemPath(WString(path));
    // The root folder (a separator in front) is never made.
    std::size_t lastSeparator = std::string::npos;
    for (std::size_t i = 1; i < system.size(); ++i)
    {
        if (system[i] == kNarrowPathSeparator)
        {
            MakeFolder(system.substr(0, i));
            lastSeparator = i;
        }
    }
    if (!lastIsFile)
    {
        MakeFolder(system);
        return IsAccessible(system);
    }
    if (lastSeparator == std::string::npos)
    {
        return true;
    }
    return IsAccessible(system.substr(0, lastSeparator));
}

WString GetLongPath(const WString& path)
{
    const std::string system = ToSystemPath(path);
    if (system.empty())
    {
        return path;
    }
    char* resolved = ::realpath(system.c_str(), nullptr);
    if (resolved == nullptr)
    {
        return path;
    }
    WString result;
    result.AssignUtf8(resolved);
    std::free(resolved);
    return result;
}

ORVRESULT ListFilesInFolder(const WString& folder, const WString& pattern, Array<WString>& out)
{
    if (!FolderExists(folder))
    {
        return E_NOTIMPL;
    }
    DIR* listing = ::opendir(ToSystemPath(folder).c_str());
    if (listing == nullptr)
    {
        return E_FAIL;
    }
    const WString prefix = folder + WString(kPathSeparator);
    ORVRESULT result = S_OK;
    for (;;)
    {
        errno = 0;
        const dirent* entry = ::readdir(listing);
        if (entry == nullptr)
        {
            result = errno == 0 ? static_cast<ORVRESULT>(out.GetCount()) : E_FAIL;
            break;
        }
        if (EntryIsFolder(::dirfd(listing), entry))
        {
            continue;
        }
        WString name;
        name.AssignUtf8(entry->d_name);
        if (MatchesPattern(pattern, name))
        {
            out.AddItem(prefix + name);
        }
    }
    ::closedir(listing);
    return result;
}

WString MakeValidFileName(const WString& name)
{
    WString result = name;
    result.ReplaceAnyOf(L"\\/:*?\"<>|&;,^()", L'_');
    return result;
}

WString GetPathFolder(const WString& path)
{
    const int last = LastSeparator(path);
    if (last < 0)
    {
        return path;
    }
    if (last == 0)
    {
        return WString(kPathSeparator);
    }
    return path.Left(last);
}

WString GetPathFileName(const WString& path)
{
    const int last = LastSeparator(path);
    return last < 0 ? path : path.Mid(last + 1);
}
} // namespace Orv
