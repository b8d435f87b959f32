// The settings store: reading and writing the files themselves.
#include "System/IniFileManagerProxy.h"

#include "Utilities/Debug/DebugOutput.h"
#include "Utilities/Globals.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <ostream>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Orv
{
namespace
{
// The number of links followed before a path counts as a loop, as the kernel counts them.
constexpr int kMaximumLinks = 40;
// The letters and digits that mkstemp puts in place of "XXXXXX".
constexpr std::size_t kTemporaryRandomLength = 6;

int ErrorNumber()
{
    return errno != 0 ? errno : EIO;
}

bool WriteAll(int fd, const std::string& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size())
    {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0)
        {
            if (errno == EINTR)
            {
                continue;
            }
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// The folder part of a path ("" for a bare name) and its last name.
void SplitPath(const std::string& path, std::string& folder, std::string& name)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
    {
        folder.clear();
        name = path;
        return;
    }
    folder = slash == 0 ? "/" : path.substr(0, slash);
    name = path.substr(slash + 1);
}

// Flushes the folder's entries (a rename in it) to the disk: 0 or the C error number. A file
// system that cannot flush a folder (EINVAL) has nothing more to do.
int SyncFolder(const std::string& folder)
{
    const int fd =
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
    {
        return ErrorNumber();
    }
    const int error = ::fsync(fd) == 0 || errno == EINVAL ? 0 : ErrorNumber();
    ::close(fd);
    return error;
}

std::string NotARegularFile(mode_t mode)
{
    return S_ISDIR(mode) ? "it is a folder, not a file"
                         : "it is not a regular file (a pipe, a socket or a device)";
}

bool IsTemporaryName(const std::string& entry, const std::string& prefix)
{
    if (entry.size() != prefix.size() + kTemporaryRandomLength ||
        entry.compare(0, prefix.size(), prefix) != 0)
    {
        return false;
    }
    for (std::size_t i = prefix.size(); i < entry.size(); ++i)
    {
        const char c = entry[i];
        const bool letterOrDigit =
            (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (!letterOrDigit)
        {
            return false;
        }
    }
    return true;
}
} // namespace

CIniFileManagerProxy::ReadResult CIniFileManagerProxy::ReadSettingsFile(const std::string& path,
                                                                        std::string& out,
                                                                        std::string& error)
{
    out.clear();
    // What is no regular file is not even opened: opening some devices does something.
    struct stat status
    {
    };
    if (::stat(path.c_str(), &status) == 0 && !S_ISREG(status.st_mode))
    {
        error = NotARegularFile(status.st_mode);
        return ReadResult::kFailed;
    }
    int fd = -1;
    do
    {
        // Not blocking: opening a pipe for reading would otherwise wait for a writer.
        fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
    {
        const int number = errno;
        error = std::strerror(number);
        return number == ENOENT ? ReadResult::kMissing : ReadResult::kFailed;
    }
    if (::fstat(fd, &status) != 0)
    {
        error = std::strerror(errno);
        ::close(fd);
        return ReadResult::kFailed;
    }
    if (!S_ISREG(status.st_mode))
    {
        error = NotARegularFile(status.st_mode);
        ::close(fd);
        return ReadResult::kFailed;
    }
    const std::string tooLarge =
        "it is larger than a settings file can be (" + std::to_string(kMaximumFileSize) + " bytes)";
    if (status.st_size > kMaximumFileSize)
    {
        error = tooLarge;
        ::close(fd);
        return ReadResult::kFailed;
    }
    out.reserve(static_cast<std::size_t>(status.st_size));
    char buffer[65536];
    for (;;)
    {
        const ssize_t n = ::read(fd, buffer, sizeof(buffer));
        if (n < 0)
        {
            if (errno == EINTR)
            {
                continue;
            }
            error = std::strerror(errno);
            ::close(fd);
            out.clear();
            return ReadResult::kFailed;
        }
        if (n == 0)
        {
            break;
        }
        // A file that grows while it is read is held to the same limit.
        if (out.size() + static_cast<std::size_t>(n) > static_cast<std::size_t>(kMaximumFileSize))
        {
            error = tooLarge;
            ::close(fd);
            out.clear();
            return ReadResult::kFailed;
        }
        out.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return ReadResult::kRead;
}

int CIniFileManagerProxy::ResolveLinks(const std::string& path, std::string& target)
{
    target = path;
    for (int links = 0; links <= kMaximumLinks; ++links)
    {
        struct stat status
        {
        };
        if (::lstat(target.c_str(), &status) != 0)
        {
            // Nothing there yet: the file is made under this name.
            return errno == ENOENT ? 0 : ErrorNumber();
        }
        if (!S_ISLNK(status.st_mode))
        {
            return 0;
        }
        std::string link(static_cast<std::size_t>(status.st_size > 0 ? status.st_size : 255) + 1,
                         '\0');
        for (;;)
        {
            const ssize_t length = ::readlink(target.c_str(), link.data(), link.size());
            if (length < 0)
            {
                return ErrorNumber();
            }
            if (static_cast<std::size_t>(length) < link.size())
            {
                link.resize(static_cast<std::size_t>(length));
                break;
            }
            // The link changed under us and grew: read it again with more room.
            link.resize(link.size() * 2);
        }
        if (link.empty())
        {
            return ENOENT;
        }
        if (link[0] != '/')
        {
            // A relative link is relative to the folder that holds it.
            std::string folder;
            std::string name;
            SplitPath(target, folder, name);
            link = folder.empty() ? link : (folder == "/" ? "/" : folder + "/") + link;
        }
        target = link;
    }
    return ELOOP;
}

void CIniFileManagerProxy::RemoveStaleTemporaries(const std::string& path)
{
    std::string folder;
    std::string name;
    SplitPath(path, folder, name);
    DIR* entries = ::opendir(folder.empty() ? "." : folder.c_str());
    if (entries == nullptr)
    {
        return;
    }
    const int folderFd = ::dirfd(entries);
    const std::string prefix = name + kTemporaryInfix;
    const uid_t user = ::geteuid();
    while (const dirent* entry = ::readdir(entries))
    {
        const std::string candidate = entry->d_name;
        if (!IsTemporaryName(candidate, prefix))
        {
            continue;
        }
        // Only this user's regular files, never what a link points to.
        struct stat before
        {
        };
        if (::fstatat(folderFd, candidate.c_str(), &before, AT_SYMLINK_NOFOLLOW) != 0 ||
            !S_ISREG(before.st_mode) || before.st_uid != user)
        {
            continue;
        }
        const int fd = ::openat(folderFd, candidate.c_str(),
                                O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC);
        if (fd < 0)
        {
            continue;
        }
        // A save in progress, in this or another process, holds its temporary file locked.
        struct stat opened
        {
        };
        struct stat now
        {
        };
        const bool stale = ::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &opened) == 0 &&
                           S_ISREG(opened.st_mode) && opened.st_uid == user &&
                           ::fstatat(folderFd, candidate.c_str(), &now, AT_SYMLINK_NOFOLLOW) == 0 &&
                           now.st_dev == opened.st_dev && now.st_ino == opened.st_ino;
        if (stale && ::unlinkat(folderFd, candidate.c_str(), 0) == 0)
        {
            GetDebugOutput().Narrow() << "Settings: removed " << candidate
                                      << ", left by a save that did not end" << std::endl;
        }
        ::close(fd);
    }
    ::closedir(entries);
}

int CIniFileManagerProxy::WriteFileAtomically(const std::string& path, const std::string& bytes)
{
    std::string target;
    if (const int error = ResolveLinks(path, target); error != 0)
    {
        return error;
    }
    RemoveStaleTemporaries(target);

    std::string temporary = target + kTemporaryInfix + "XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
    {
        return ErrorNumber();
    }
    // Held until the file has its final name, so that no other save takes it for stale.
    ::flock(fd, LOCK_EX);
    // A settings file is the user's own: readable by others as a new file would be.
    ::fchmod(fd, 0644);
    if (!WriteAll(fd, bytes) || ::fsync(fd) != 0 ||
        ::rename(temporary.c_str(), target.c_str()) != 0)
    {
        const int error = ErrorNumber();
        ::unlink(temporary.c_str());
        ::close(fd);
        return error;
    }
    if (::close(fd) != 0)
    {
        return ErrorNumber();
    }
    std::string folder;
    std::string name;
    SplitPath(target, folder, name);
    return SyncFolder(folder);
}
} // namespace Orv
