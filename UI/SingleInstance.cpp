#include "SingleInstance.h"

#include "HandOverMessage.h"
#include "Utilities/Debug/DebugOutput.h"
#include "Utilities/Globals.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace Orv
{
namespace
{
std::string SafeName(const std::string& name)
{
    std::string out = name;
    for (char& c : out)
    {
        const bool kept = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                          (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '_';
        if (!kept)
        {
            c = '_';
        }
    }
    return out;
}

// A folder of this user's alone: a real folder (no link), owned by the user, open to no one else.
bool IsPrivateFolder(const std::string& folder)
{
    struct stat info
    {
    };
    return lstat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == geteuid() &&
           (info.st_mode & 0077) == 0;
}

bool MakeAddress(const std::string& path, sockaddr_un& address)
{
    std::memset(&address, 0, sizeof(address));
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof(address.sun_path))
    {
        return false;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

void SetTransferTimeout(int socket, DWORD ms)
{
    timeval timeout{};
    timeout.tv_sec = static_cast<time_t>(ms / 1000);
    timeout.tv_usec = static_cast<suseconds_t>((ms % 1000) * 1000);
    setsockopt(socket, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof(timeout));
    setsockopt(socket, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof(timeout));
}

// Reads exactly size bytes; false at the end of the stream, a time-out or an error.
bool ReadAll(int socket, std::uint8_t* data, std::size_t size)
{
    std::size_t done = 0;
    while (done < size)
    {
        const ssize_t got = recv(socket, data + done, size - done, 0);
        if (got < 0 && errno == EINTR)
        {
            continue;
        }
        if (got <= 0)
        {
            return false;
        }
        done += static_cast<std::size_t>(got);
    }
    return true;
}

bool WriteAll(int socket, const std::uint8_t* data, std::size_t size)
{
    std::size_t done = 0;
    while (done < size)
    {
        const ssize_t sent = send(socket, data + done, size - done, MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR)
        {
            continue;
        }
        if (sent <= 0)
        {
            return false;
        }
        done += static_cast<std::size_t>(sent);
    }
    return true;
}

void Log(const std::string& text)
{
    GetDebugOutput().Narrow() << "Single instance: " << text << std::endl;
}
} // namespace

std::string SingleInstance::DefaultFolder()
{
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        runtime != nullptr && runtime[0] == '/' && IsPrivateFolder(runtime))
    {
        return runtime;
    }
    std::error_code error;
    std::string temporary = std::filesystem::temp_directory_path(error).string();
    if (error || temporary.empty())
    {
        temporary = "/tmp";
    }
    const std::string folder = temporary + "/orv-" + std::to_string(geteuid());
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
    {
        Log("the folder " + folder + " cannot be made: " + std::strerror(errno));
        return std::string();
    }
    if (!IsPrivateFolder(folder))
    {
        Log("the folder " + folder + " is not this user's own");
        return std::string();
    }
    return folder;
}

SingleInstance::SingleInstance(const std::string& folder, const std::string& name,
                               const Timings& timings, const RCPtr<LClock>& clock)
    : mLockPath(folder + "/" + SafeName(name) + ".lock")
    , mSocketPath(folder + "/" + SafeName(name) + ".sock")
    , mTimings(timings)
    , mClock(clock ? clock : GetSystemClock())
{
}

SingleInstance::~SingleInstance()
{
    StopListening();
    if (mLockFile >= 0)
    {
        // Closing the file drops the lock.
        close(mLockFile);
    }
}

SingleInstance::AcquireResult SingleInstance::Acquire()
{
    if (mHoldsLock)
    {
        return kFirst;
    }
    if (mLockFile < 0)
    {
        mLockFile = open(mLockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (mLockFile < 0)
        {
            Log("the lock file " + mLockPath + " cannot be opened: " + std::strerror(errno));
            return kFailed;
        }
    }
    int result = 0;
    do
    {
        result = flock(mLockFile, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result == 0)
    {
        mHoldsLock = true;
        return kFirst;
    }
    if (errno == EWOULDBLOCK)
    {
        return kOther;
    }
    Log("the lock file " + mLockPath + " cannot be locked: " + std::strerror(errno));
    return kFailed;
}

bool SingleInstance::StartListening(Receiver receiver)
{
    if (!mHoldsLock || mListener >= 0)
    {
        return false;
    }
    sockaddr_un address{};
    if (!MakeAddress(mSocketPath, address))
    {
        Log("the socket path is too long: " + mSocketPath);
        return false;
    }
    // Holding the lock, this process alone may replace the socket of an earlier run.
    unlink(mSocketPath.c_str());
    const int listener = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listener < 0)
    {
        Log(std::string("no socket: ") + std::strerror(errno));
        return false;
    }
    if (bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0 ||
        chmod(mSocketPath.c_str(), 0600) != 0 || listen(listener, 4) != 0 ||
        pipe2(mWake, O_CLOEXEC) != 0)
    {
        Log("the socket " + mSocketPath + " cannot be listened on: " + std::strerror(errno));
        close(listener);
        unlink(mSocketPath.c_str());
        return false;
    }
    mListener = listener;
    mReceiver = std::move(receiver);
    mThread = std::thread([this] { Listen(); });
    return true;
}

void SingleInstance::StopListening()
{
    if (mListener < 0)
    {
        return;
    }
    const char stop = 0;
    while (write(mWake[1], &stop, 1) < 0 && errno == EINTR)
    {
    }
    mThread.join();
    close(mListener);
    mListener = -1;
    close(mWake[0]);
    close(mWake[1]);
    mWake[0] = mWake[1] = -1;
    unlink(mSocketPath.c_str());
}

void SingleInstance::Listen()
{
    for (;;)
    {
        pollfd waits[2] = {{mListener, POLLIN, 0}, {mWake[0], POLLIN, 0}};
        if (poll(waits, 2, -1) < 0)
        {
            if (errno == EINTR)
            {
                continue;
            }
            Log(std::string("listening ended: ") + std::strerror(errno));
            return;
        }
        if (waits[1].revents != 0)
        {
            return;
        }
        if ((waits[0].revents & POLLIN) == 0)
        {
            continue;
        }
        const int connection = accept4(mListener, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection >= 0)
        {
            Serve(connection);
            close(connection);
        }
    }
}

void SingleInstance::Serve(int connection)
{
    // Only a process of this user's may hand a command line over.
    ucred peer{};
    socklen_t peerSize = sizeof(peer);
    if (getsockopt(connection, SOL_SOCKET, SO_PEERCRED, &peer, &peerSize) != 0 ||
        peer.uid != geteuid())
    {
        Log("a connection from another user is refused");
        return;
    }
    SetTransferTimeout(connection, mTimings.transferTimeout);
    std::uint8_t header[HandOverMessage::kHeaderBytes];
    std::uint32_t count = 0;
    std::string error;
    WString text;
    bool accepted = false;
    if (!ReadAll(connection, header, sizeof(header)))
    {
        error = "the message ended before its header";
    }
    else if (HandOverMessage::ReadHeader(header, count, error))
    {
        std::vector<std::uint8_t> body(count);
        if (!ReadAll(connection, body.data(), body.size()))
        {
            error = "the message ended before its " + std::to_string(count) + " bytes";
        }
        else
        {
            accepted = HandOverMessage::DecodeText(body.data(), body.size(), text, error);
        }
    }
    if (!accepted)
    {
        const std::uint8_t refused = HandOverMessage::kRefused;
        WriteAll(connection, &refused, 1);
        Log("a command line handed over is refused: " + error);
        return;
    }
    const bool taken = !mReceiver || mReceiver(text);
    const std::uint8_t answer = taken ? HandOverMessage::kAccepted : HandOverMessage::kBusy;
    WriteAll(connection, &answer, 1);
    if (!taken)
    {
        Log("a command line handed over is not taken: this instance is busy");
    }
}

SingleInstance::HandOverResult SingleInstance::HandOver(const WString& text)
{
    std::vector<std::uint8_t> message;
    if (!HandOverMessage::Encode(text, message))
    {
        Log("the command line is too long to be handed over");
        return kNotReached;
    }
    sockaddr_un address{};
    if (!MakeAddress(mSocketPath, address))
    {
        Log("the socket path is too long: " + mSocketPath);
        return kNotReached;
    }
    const DWORD start = mClock->GetMilliseconds();
    for (;;)
    {
        const int connection = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (connection < 0)
        {
            Log(std::string("no socket: ") + std::strerror(errno));
            return kNotReached;
        }
        if (connect(connection, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0)
        {
            SetTransferTimeout(connection, mTimings.transferTimeout);
            std::uint8_t answer = HandOverMessage::kRefused;
            const bool answered = WriteAll(connection, message.data(), message.size()) &&
                                  ReadAll(connection, &answer, 1);
            close(connection);
            if (!answered)
            {
                Log("the running instance did not answer the hand-over");
                return kNotReached;
            }
            switch (answer)
            {
                case HandOverMessage::kAccepted:
                    return kTaken;
                case HandOverMessage::kBusy:
                    return kBusy;
                default:
                    return kRefused;
            }
        }
        const int reason = errno;
        close(connection);
        if (mClock->GetMilliseconds() - start >= mTimings.handOverTimeout)
        {
            Log(std::string("the running instance was not reached: ") + std::strerror(reason));
            return kNotReached;
        }
        mClock->Sleep(mTimings.retryInterval);
    }
}
} // namespace Orv
