// Windows Sockets 2: the calls the UDP debug log makes, over the system's BSD sockets.
//
// Several of these calls share their names with the system's own socket calls but not their
// behaviour (a SOCKET handle, WSAStartup before use, errors through WSAGetLastError), so the
// whole family lives in namespace Winsock: callers write Winsock::socket, Winsock::sendto, ...
//
// Only IPv4 datagram sockets are offered. Error codes are stored as the calling thread's last
// error (GetLastError), which WSAGetLastError reads.
#pragma once

#include "platform/Types.h"

namespace Winsock
{
using SOCKET = UINT_PTR;
constexpr SOCKET INVALID_SOCKET = ~SOCKET(0);
constexpr int SOCKET_ERROR = -1;

constexpr WORD MAKEWORD(BYTE low, BYTE high)
{
    return static_cast<WORD>(low | (high << 8));
}

constexpr int AF_INET = 2;
constexpr int SOCK_STREAM = 1;
constexpr int SOCK_DGRAM = 2;
constexpr int IPPROTO_UDP = 17;
constexpr int MSG_OOB = 0x1;
constexpr int MSG_DONTROUTE = 0x4;
constexpr ULONG INADDR_ANY = 0x00000000u;
constexpr ULONG INADDR_NONE = 0xFFFFFFFFu;

constexpr int WSADESCRIPTION_LEN = 256;
constexpr int WSASYS_STATUS_LEN = 128;

struct WSADATA
{
    WORD wVersion;
    WORD wHighVersion;
    unsigned short iMaxSockets;
    unsigned short iMaxUdpDg;
    char* lpVendorInfo;
    char szDescription[WSADESCRIPTION_LEN + 1];
    char szSystemStatus[WSASYS_STATUS_LEN + 1];
};
using LPWSADATA = WSADATA*;

// An IPv4 address in network byte order (of the documented union only the 32-bit view).
struct in_addr
{
    ULONG s_addr;
};

struct sockaddr
{
    USHORT sa_family;
    char sa_data[14];
};

struct sockaddr_in
{
    short sin_family;
    USHORT sin_port;
    in_addr sin_addr;
    char sin_zero[8];
};

struct hostent
{
    char* h_name;
    char** h_aliases;
    short h_addrtype;
    short h_length;
    char** h_addr_list;
};

// Error codes.
constexpr int WSAEINTR = 10004;
constexpr int WSAEACCES = 10013;
constexpr int WSAEFAULT = 10014;
constexpr int WSAEINVAL = 10022;
constexpr int WSAEMFILE = 10024;
constexpr int WSAENOTSOCK = 10038;
constexpr int WSAEMSGSIZE = 10040;
constexpr int WSAEPROTONOSUPPORT = 10043;
constexpr int WSAESOCKTNOSUPPORT = 10044;
constexpr int WSAEOPNOTSUPP = 10045;
constexpr int WSAEAFNOSUPPORT = 10047;
constexpr int WSAEADDRNOTAVAIL = 10049;
constexpr int WSAENETDOWN = 10050;
constexpr int WSAENETUNREACH = 10051;
constexpr int WSAENOBUFS = 10055;
constexpr int WSAEHOSTUNREACH = 10065;
constexpr int WSAVERNOTSUPPORTED = 10092;
constexpr int WSANOTINITIALISED = 10093;
constexpr int WSAHOST_NOT_FOUND = 11001;
constexpr int WSATRY_AGAIN = 11002;
constexpr int WSANO_RECOVERY = 11003;
constexpr int WSANO_DATA = 11004;

// Starts the use of sockets by the process; versions 1.0 to 2.2 are offered. Fills data with the
// version that will be used (the requested one, at most 2.2) and the highest offered (2.2).
// Returns 0, WSAVERNOTSUPPORTED for a version below 1.0, WSAEFAULT for null data. Every
// successful call must be matched by one WSACleanup.
int WSAStartup(WORD versionRequested, LPWSADATA data);
// Ends one WSAStartup. The last one closes every socket still open. SOCKET_ERROR with
// WSANOTINITIALISED when no WSAStartup is outstanding.
int WSACleanup();
// The calling thread's last socket error.
int WSAGetLastError();

// A new IPv4 datagram socket (protocol 0 or IPPROTO_UDP). INVALID_SOCKET with WSANOTINITIALISED,
// WSAEAFNOSUPPORT, WSAESOCKTNOSUPPORT (also for stream sockets, which are not offered),
// WSAEPROTONOSUPPORT, WSAEMFILE or WSAENOBUFS.
SOCKET socket(int af, int type, int protocol);
// Sends len bytes as one datagram to the IPv4 address at to; returns len. Flags 0 or
// MSG_DONTROUTE. SOCKET_ERROR with WSANOTINITIALISED, WSAENOTSOCK, WSAEFAULT (null or short
// address, null buffer, negative length), WSAEAFNOSUPPORT, WSAEADDRNOTAVAIL (address 0.0.0.0 or
// port 0), WSAEOPNOTSUPP (other flags), WSAEMSGSIZE (too long for a datagram), WSAENETUNREACH,
// WSAEHOSTUNREACH, WSAEACCES (broadcast address), WSAENOBUFS.
int sendto(SOCKET s, const char* buf, int len, int flags, const sockaddr* to, int tolen);
// 0, or SOCKET_ERROR with WSANOTINITIALISED or WSAENOTSOCK.
int closesocket(SOCKET s);

// The IPv4 addresses of a host name or of an address text; a null or empty name means this
// computer. The result lives in storage of the calling thread until its next call. Null with
// WSANOTINITIALISED, WSAHOST_NOT_FOUND, WSATRY_AGAIN, WSANO_RECOVERY or WSANO_DATA (the name has
// no IPv4 address).
hostent* gethostbyname(const char* name);
// This computer's host name with its terminator. SOCKET_ERROR with WSANOTINITIALISED, or
// WSAEFAULT for a null buffer or one too small for the whole name.
int gethostname(char* name, int namelen);

// The address in an "a.b.c.d" text (also "a.b.c", "a.b" and "a", parts in decimal, octal or
// hexadecimal) in network byte order; INADDR_NONE for a null, empty or malformed text.
ULONG inet_addr(const char* cp);
// The address as "a.b.c.d", in storage of the calling thread until its next call.
char* inet_ntoa(in_addr in);
// A 16-bit value in network byte order.
USHORT htons(USHORT hostshort);
} // namespace Winsock
