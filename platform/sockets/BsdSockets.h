// The system's own socket calls, in the few shapes the Winsock layer needs. Kept apart because
// the system headers define macros (AF_INET, htons, ...) that clash with the Winsock names.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace OrvPlatform::Bsd
{
// A new IPv4 UDP socket, or -1 with the errno value in error.
int OpenUdpSocket(int& error);
// Sends one datagram to address:port (both in network byte order). The bytes sent, or -1 with the
// errno value in error.
long SendDatagram(int socket, const char* data, std::size_t length, bool dontRoute,
                  std::uint32_t address, std::uint16_t port, int& error);
void CloseSocket(int socket);

enum class ResolveResult
{
    kOk,
    kNotFound,
    kTryAgain,
    kNoRecovery,
    kNoData,
};
// The IPv4 addresses of a name (network byte order, each once, in the resolver's order) and the
// name's canonical form.
ResolveResult ResolveIPv4(const char* name, std::string& canonicalName,
                          std::vector<std::uint32_t>& addresses);
bool GetHostName(std::string& name);
// inet_aton's forms; false for a malformed text.
bool ParseIPv4(const char* text, std::uint32_t& address);
std::string FormatIPv4(std::uint32_t address);
std::uint16_t HostToNetwork16(std::uint16_t value);
} // namespace OrvPlatform::Bsd
