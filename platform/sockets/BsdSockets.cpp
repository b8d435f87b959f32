#include "BsdSockets.h"

#include <arpa/inet.h>
#include <cerrno>
#include <climits>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace OrvPlatform::Bsd
{
int OpenUdpSocket(int& error)
{
    const int socket = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_UDP);
    error = socket < 0 ? errno : 0;
    return socket;
}

long SendDatagram(int socket, const char* data, std::size_t length, bool dontRoute,
                  std::uint32_t address, std::uint16_t port, int& error)
{
    sockaddr_in destination{};
    destination.sin_family = AF_INET;
    destination.sin_port = port;
    destination.sin_addr.s_addr = address;
    const int flags = MSG_NOSIGNAL | (dontRoute ? MSG_DONTROUTE : 0);
    ssize_t sent;
    do
    {
        sent = ::sendto(socket, data, length, flags,
                        reinterpret_cast<const sockaddr*>(&destination), sizeof destination);
    } while (sent < 0 && errno == EINTR);
    error = sent < 0 ? errno : 0;
    return static_cast<long>(sent);
}

void CloseSocket(int socket)
{
    ::close(socket);
}

ResolveResult ResolveIPv4(const char* name, std::string& canonicalName,
                          std::vector<std::uint32_t>& addresses)
{
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    hints.ai_flags = AI_CANONNAME;
    addrinfo* found = nullptr;
    const int result = ::getaddrinfo(name, nullptr, &hints, &found);
    switch (result)
    {
        case 0:
            break;
        case EAI_NONAME:
            return ResolveResult::kNotFound;
        case EAI_AGAIN:
            return ResolveResult::kTryAgain;
#ifdef EAI_NODATA
        case EAI_NODATA:
#endif
#ifdef EAI_ADDRFAMILY
        case EAI_ADDRFAMILY:
#endif
            return ResolveResult::kNoData;
        default:
            return ResolveResult::kNoRecovery;
    }
    canonicalName = found->ai_canonname != nullptr ? found->ai_canonname : name;
    addresses.clear();
    for (const addrinfo* entry = found; entry != nullptr; entry = entry->ai_next)
    {
        if (entry->ai_family != AF_INET || entry->ai_addr == nullptr)
        {
            continue;
        }
        const std::uint32_t address =
            reinterpret_cast<const sockaddr_in*>(entry->ai_addr)->sin_addr.s_addr;
        bool known = false;
        for (std::uint32_t a : addresses)
        {
            known = known || a == address;
        }
        if (!known)
        {
            addresses.push_back(address);
        }
    }
    ::freeaddrinfo(found);
    return addresses.empty() ? ResolveResult::kNoData : ResolveResult::kOk;
}

bool GetHostName(std::string& name)
{
    char buffer[HOST_NAME_MAX + 1] = {};
    if (::gethostname(buffer, sizeof buffer - 1) != 0)
    {
        return false;
    }
    name = buffer;
    return true;
}

bool ParseIPv4(const char* text, std::uint32_t& address)
{
    in_addr parsed{};
    if (::inet_aton(text, &parsed) == 0)
    {
        return false;
    }
    address = parsed.s_addr;
    return true;
}

std::string FormatIPv4(std::uint32_t address)
{
    in_addr value{};
    value.s_addr = address;
    char buffer[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &value, buffer, sizeof buffer);
    return buffer;
}

std::uint16_t HostToNetwork16(std::uint16_t value)
{
    return htons(value);
}
} // namespace OrvPlatform::Bsd
