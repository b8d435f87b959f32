#include "platform/Sockets.h"

#include "BsdSockets.h"
#include "platform/Kernel.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <set>
#include <shared_mutex>
#include <string>
#include <vector>

namespace Winsock
{
namespace
{
constexpr WORD kHighestVersion = MAKEWORD(2, 2);

// The process's sockets and its count of outstanding WSAStartup calls. A send holds the lock
// shared, so that no socket is closed (and its descriptor reused) under it.
struct SocketTable
{
    std::shared_mutex lock;
    int startups = 0;
    std::set<int> open;
};

SocketTable& Table()
{
    // Never destroyed: sockets are still closed by destructors that run at exit.
    static SocketTable* table = new SocketTable;
    return *table;
}

void Fail(int code)
{
    SetLastError(static_cast<DWORD>(code));
}

BYTE Major(WORD version)
{
    return static_cast<BYTE>(version & 0xFF);
}
BYTE Minor(WORD version)
{
    return static_cast<BYTE>(version >> 8);
}
bool VersionBelow(WORD a, WORD b)
{
    return Major(a) != Major(b) ? Major(a) < Major(b) : Minor(a) < Minor(b);
}

int SendError(int error)
{
    switch (error)
    {
        case EMSGSIZE:
            return WSAEMSGSIZE;
        case ENETUNREACH:
            return WSAENETUNREACH;
        case EHOSTUNREACH:
            return WSAEHOSTUNREACH;
        case EACCES:
            return WSAEACCES;
        case ENOBUFS:
        case ENOMEM:
        case EAGAIN:
            return WSAENOBUFS;
        case EADDRNOTAVAIL:
            return WSAEADDRNOTAVAIL;
        default:
            return WSAENETDOWN;
    }
}

struct HostEntryStorage
{
    std::string name;
    std::vector<std::uint32_t> addresses;
    std::vector<char*> addressList;
    char* aliasList[1] = {nullptr};
    hostent entry{};
};

void CopyText(char* target, std::size_t size, const char* text)
{
    std::strncpy(target, text, size - 1);
    target[size - 1] = 0;
}
} // namespace

int WSAStartup(WORD versionRequested, LPWSADATA data)
{
    if (Major(versionRequested) < 1)
    {
        return WSAVERNOTSUPPORTED;
    }
    if (data == nullptr)
    {
        return WSAEFAULT;
    }
    *data = WSADATA{};
    data->wVersion =
        VersionBelow(versionRequested, kHighestVersion) ? versionRequested : kHighestVersion;
    data->wHighVersion = kHighestVersion;
    CopyText(data->szDescription, sizeof data->szDescription, "WinSock 2.0");
    CopyText(data->szSystemStatus, sizeof data->szSystemStatus, "Running");
    std::unique_lock guard(Table().lock);
    ++Table().startups;
    return 0;
}

int WSACleanup()
{
    std::unique_lock guard(Table().lock);
    if (Table().startups == 0)
    {
        Fail(WSANOTINITIALISED);
        return SOCKET_ERROR;
    }
    if (--Table().startups == 0)
    {
        for (int descriptor : Table().open)
        {
            OrvPlatform::Bsd::CloseSocket(descriptor);
        }
        Table().open.clear();
    }
    return 0;
}

int WSAGetLastError()
{
    return static_cast<int>(GetLastError());
}

SOCKET socket(int af, int type, int protocol)
{
    std::unique_lock guard(Table().lock);
    int code = 0;
    if (Table().startups == 0)
    {
        code = WSANOTINITIALISED;
    }
    else if (af != AF_INET)
    {
        code = WSAEAFNOSUPPORT;
    }
    else if (type != SOCK_DGRAM)
    {
        code = WSAESOCKTNOSUPPORT;
    }
    else if (protocol != 0 && protocol != IPPROTO_UDP)
    {
        code = WSAEPROTONOSUPPORT;
    }
    if (code != 0)
    {
        Fail(code);
        return INVALID_SOCKET;
    }
    int error = 0;
    const int descriptor = OrvPlatform::Bsd::OpenUdpSocket(error);
    if (descriptor < 0)
    {
        Fail(error == EMFILE || error == ENFILE ? WSAEMFILE : WSAENOBUFS);
        return INVALID_SOCKET;
    }
    Table().open.insert(descriptor);
    return static_cast<SOCKET>(descriptor);
}

int sendto(SOCKET s, const char* buf, int len, int flags, const sockaddr* to, int tolen)
{
    std::shared_lock guard(Table().lock);
    const int descriptor = static_cast<int>(s);
    const sockaddr_in* destination = reinterpret_cast<const sockaddr_in*>(to);
    int code = 0;
    if (Table().startups == 0)
    {
        code = WSANOTINITIALISED;
    }
    else if (s > static_cast<SOCKET>(INT32_MAX) || Table().open.count(descriptor) == 0)
    {
        code = WSAENOTSOCK;
    }
    else if (len < 0 || (buf == nullptr && len > 0) || to == nullptr ||
             tolen < static_cast<int>(sizeof(sockaddr_in)))
    {
        code = WSAEFAULT;
    }
    else if (destination->sin_family != AF_INET)
    {
        code = WSAEAFNOSUPPORT;
    }
    else if ((flags & ~MSG_DONTROUTE) != 0)
    {
        code = WSAEOPNOTSUPP;
    }
    else if (destination->sin_addr.s_addr == INADDR_ANY || destination->sin_port == 0)
    {
        code = WSAEADDRNOTAVAIL;
    }
    if (code != 0)
    {
        Fail(code);
        return SOCKET_ERROR;
    }
    int error = 0;
    const long sent = OrvPlatform::Bsd::SendDatagram(
        descriptor, buf, static_cast<std::size_t>(len), (flags & MSG_DONTROUTE) != 0,
        destination->sin_addr.s_addr, destination->sin_port, error);
    if (sent < 0)
    {
        Fail(SendError(error));
        return SOCKET_ERROR;
    }
    return static_cast<int>(sent);
}

int closesocket(SOCKET s)
{
    std::unique_lock guard(Table().lock);
    if (Table().startups == 0)
    {
        Fail(WSANOTINITIALISED);
        return SOCKET_ERROR;
    }
    const int descriptor = static_cast<int>(s);
    if (s > static_cast<SOCKET>(INT32_MAX) || Table().open.erase(descriptor) == 0)
    {
        Fail(WSAENOTSOCK);
        return SOCKET_ERROR;
    }
    OrvPlatform::Bsd::CloseSocket(descriptor);
    return 0;
}

hostent* gethostbyname(const char* name)
{
    {
        std::shared_lock guard(Table().lock);
        if (Table().startups == 0)
        {
            Fail(WSANOTINITIALISED);
            return nullptr;
        }
    }
    std::string lookup;
    if (name != nullptr && name[0] != 0)
    {
        lookup = name;
    }
    else if (!OrvPlatform::Bsd::GetHostName(lookup))
    {
        Fail(WSANO_RECOVERY);
        return nullptr;
    }
    thread_local HostEntryStorage storage;
    std::string canonical;
    std::vector<std::uint32_t> addresses;
    switch (OrvPlatform::Bsd::ResolveIPv4(lookup.c_str(), canonical, addresses))
    {
        case OrvPlatform::Bsd::ResolveResult::kOk:
            break;
        case OrvPlatform::Bsd::ResolveResult::kNotFound:
            Fail(WSAHOST_NOT_FOUND);
            return nullptr;
        case OrvPlatform::Bsd::ResolveResult::kTryAgain:
            Fail(WSATRY_AGAIN);
            return nullptr;
        case OrvPlatform::Bsd::ResolveResult::kNoData:
            Fail(WSANO_DATA);
            return nullptr;
        case OrvPlatform::Bsd::ResolveResult::kNoRecovery:
            Fail(WSANO_RECOVERY);
            return nullptr;
    }
    storage.name = canonical;
    storage.addresses = std::move(addresses);
    storage.addressList.clear();
    for (std::uint32_t& address : storage.addresses)
    {
        storage.addressList.push_back(reinterpret_cast<char*>(&address));
    }
    storage.addressList.push_back(nullptr);
    storage.entry.h_name = storage.name.data();
    storage.entry.h_aliases = storage.aliasList;
    storage.entry.h_addrtype = AF_INET;
    storage.entry.h_length = 4;
    storage.entry.h_addr_list = storage.addressList.data();
    return &storage.entry;
}

int gethostname(char* name, int namelen)
{
    {
        std::shared_lock guard(Table().lock);
        if (Table().startups == 0)
        {
            Fail(WSANOTINITIALISED);
            return SOCKET_ERROR;
        }
    }
    std::string host;
    if (!OrvPlatform::Bsd::GetHostName(host))
    {
        Fail(WSAENETDOWN);
        return SOCKET_ERROR;
    }
    if (name == nullptr || namelen <= 0 || host.size() + 1 > static_cast<std::size_t>(namelen))
    {
        Fail(WSAEFAULT);
        return SOCKET_ERROR;
    }
    std::memcpy(name, host.c_str(), host.size() + 1);
    return 0;
}

ULONG inet_addr(const char* cp)
{
    std::uint32_t address = 0;
    if (cp == nullptr || cp[0] == 0 || !OrvPlatform::Bsd::ParseIPv4(cp, address))
    {
        return INADDR_NONE;
    }
    return address;
}

char* inet_ntoa(in_addr in)
{
    thread_local char text[16];
    CopyText(text, sizeof text, OrvPlatform::Bsd::FormatIPv4(in.s_addr).c_str());
    return text;
}

USHORT htons(USHORT hostshort)
{
    return OrvPlatform::Bsd::HostToNetwork16(hostshort);
}
} // namespace Winsock
