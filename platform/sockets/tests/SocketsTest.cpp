#include "platform/Sockets.h"

#include "LoopbackReceiver.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using Winsock::AF_INET;
using Winsock::hostent;
using Winsock::in_addr;
using Winsock::INADDR_NONE;
using Winsock::INVALID_SOCKET;
using Winsock::IPPROTO_UDP;
using Winsock::MAKEWORD;
using Winsock::MSG_DONTROUTE;
using Winsock::MSG_OOB;
using Winsock::SOCK_DGRAM;
using Winsock::SOCK_STREAM;
using Winsock::sockaddr;
using Winsock::sockaddr_in;
using Winsock::SOCKET;
using Winsock::SOCKET_ERROR;
using Winsock::WSADATA;
using Winsock::WSAEADDRNOTAVAIL;
using Winsock::WSAEAFNOSUPPORT;
using Winsock::WSAEFAULT;
using Winsock::WSAEMSGSIZE;
using Winsock::WSAENOTSOCK;
using Winsock::WSAEOPNOTSUPP;
using Winsock::WSAEPROTONOSUPPORT;
using Winsock::WSAESOCKTNOSUPPORT;
using Winsock::WSAHOST_NOT_FOUND;
using Winsock::WSANOTINITIALISED;
using Winsock::WSAVERNOTSUPPORTED;

namespace
{
sockaddr_in Destination(const char* address, USHORT port)
{
    sockaddr_in destination{};
    destination.sin_family = AF_INET;
    destination.sin_port = Winsock::htons(port);
    destination.sin_addr.s_addr = Winsock::inet_addr(address);
    return destination;
}

int SendText(SOCKET s, const std::string& text, const sockaddr_in& to, int flags = 0)
{
    return Winsock::sendto(s, text.data(), static_cast<int>(text.size()), flags,
                           reinterpret_cast<const sockaddr*>(&to), sizeof to);
}

// Sockets started for the test's time, and a receiver on the loopback interface.
class SocketsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        WSADATA data;
        ASSERT_EQ(Winsock::WSAStartup(MAKEWORD(2, 2), &data), 0);
    }
    void TearDown() override { EXPECT_EQ(Winsock::WSACleanup(), 0); }

    OrvTest::LoopbackReceiver mReceiver;
};
} // namespace

TEST(Winsock, StartupNegotiatesTheVersionAndEveryStartupNeedsOneCleanup)
{
    EXPECT_EQ(Winsock::WSACleanup(), SOCKET_ERROR);
    EXPECT_EQ(Winsock::WSAGetLastError(), WSANOTINITIALISED);
    EXPECT_EQ(Winsock::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP), INVALID_SOCKET);
    EXPECT_EQ(Winsock::WSAGetLastError(), WSANOTINITIALISED);
    char name[256];
    EXPECT_EQ(Winsock::gethostname(name, sizeof name), SOCKET_ERROR);
    EXPECT_EQ(Winsock::WSAGetLastError(), WSANOTINITIALISED);
    EXPECT_EQ(Winsock::gethostbyname("localhost"), nullptr);
    EXPECT_EQ(Winsock::WSAGetLastError(), WSANOTINITIALISED);

    struct Case
    {
        WORD requested;
        int result;
        WORD version;
    };
    const Case cases[] = {
        {MAKEWORD(2, 2), 0, MAKEWORD(2, 2)}, {MAKEWORD(1, 1), 0, MAKEWORD(1, 1)},
        {MAKEWORD(2, 0), 0, MAKEWORD(2, 0)}, {MAKEWORD(3, 0), 0, MAKEWORD(2, 2)},
        {MAKEWORD(2, 9), 0, MAKEWORD(2, 2)}, {MAKEWORD(0, 9), WSAVERNOTSUPPORTED, 0},
    };
    int started = 0;
    for (const Case& c : cases)
    {
        WSADATA data;
        std::memset(&data, 0x5A, sizeof data);
        EXPECT_EQ(Winsock::WSAStartup(c.requested, &data), c.result) << std::hex << c.requested;
        if (c.result == 0)
        {
            ++started;
            EXPECT_EQ(data.wVersion, c.version) << std::hex << c.requested;
            EXPECT_EQ(data.wHighVersion, MAKEWORD(2, 2));
            EXPECT_STREQ(data.szSystemStatus, "Running");
        }
    }
    EXPECT_EQ(Winsock::WSAStartup(MAKEWORD(2, 2), nullptr), WSAEFAULT);

    // Sockets stay usable until the last cleanup.
    const SOCKET s = Winsock::socket(AF_INET, SOCK_DGRAM, 0);
    ASSERT_NE(s, INVALID_SOCKET);
    OrvTest::LoopbackReceiver receiver;
    const sockaddr_in to = Destination("127.0.0.1", receiver.GetPort());
    for (int i = 0; i < started - 1; ++i)
    {
        EXPECT_EQ(Winsock::WSACleanup(), 0);
    }
    EXPECT_EQ(SendText(s, "still open", to), 10);
    EXPECT_EQ(receiver.Receive(), "still open");
    // The last cleanup closes what is still open.
    EXPECT_EQ(Winsock::WSACleanup(), 0);
    EXPECT_EQ(Winsock::WSACleanup(), SOCKET_ERROR);
    WSADATA data;
    ASSERT_EQ(Winsock::WSAStartup(MAKEWORD(2, 2), &data), 0);
    EXPECT_EQ(SendText(s, "closed", to), SOCKET_ERROR);
    EXPECT_EQ(Winsock::WSAGetLastError(), WSAENOTSOCK);
    EXPECT_EQ(Winsock::WSACleanup(), 0);
}

TEST_F(SocketsTest, EachSendIsOneDatagram)
{
    const SOCKET s = Winsock::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    ASSERT_NE(s, INVALID_SOCKET);
    const sockaddr_in to = Destination("127.0.0.1", mReceiver.GetPort());
    EXPECT_EQ(SendText(s, "first", to), 5);
    EXPECT_EQ(SendText(s, std::string("with\0zero", 9), to), 9);
    EXPECT_EQ(SendText(s, "", to), 0);
    const std::string large(60000, 'x');
    EXPECT_EQ(SendText(s, large, to, MSG_DONTROUTE), 60000);
    EXPECT_EQ(mReceiver.ReceiveAll(),
              (std::vector<std::string>{"first", std::string("with\0zero", 9), "", large}));

    EXPECT_EQ(Winsock::closesocket(s), 0);
    EXPECT_EQ(SendText(s, "after close", to), SOCKET_ERROR);
    EXPECT_EQ(Winsock::WSAGetLastError(), WSAENOTSOCK);
    EXPECT_EQ(Winsock::closesocket(s), SOCKET_ERROR);
    EXPECT_EQ(Winsock::WSAGetLastError(), WSAENOTSOCK);
    EXPECT_FALSE(mReceiver.Receive(50).has_value());
}

TEST_F(SocketsTest, BadArgumentsGetTheDocumentedCodes)
{
    struct SocketCase
    {
        int af;
        int type;
        int protocol;
        int error;
    };
    const SocketCase socketCases[] = {
        {23, SOCK_DGRAM, 0, WSAEAFNOSUPPORT},
        {AF_INET, SOCK_STREAM, 0, WSAESOCKTNOSUPPORT},
        {AF_INET, SOCK_DGRAM, 6, WSAEPROTONOSUPPORT},
    };
    for (const SocketCase& c : socketCases)
    {
        EXPECT_EQ(Winsock::socket(c.af, c.type, c.protocol), INVALID_SOCKET) << c.error;
        EXPECT_EQ(Winsock::WSAGetLastError(), c.error);
    }

    const SOCKET s = Winsock::socket(AF_INET, SOCK_DGRAM, 0);
    ASSERT_NE(s, INVALID_SOCKET);
    const sockaddr_in good = Destination("127.0.0.1", mReceiver.GetPort());
    sockaddr_in otherFamily = good;
    otherFamily.sin_family = 23;
    const sockaddr_in anyAddress = Destination("0.0.0.0", mReceiver.GetPort());
    const sockaddr_in noPort = Destination("127.0.0.1", 0);
    const std::string tooLong(70000, 'x');
    struct SendCase
    {
        SOCKET s;
        const char* buf;
        int len;
        int flags;
        const sockaddr_in* to;
        int tolen;
        int error;
    };
    const SendCase sendCases[] = {
        {s + 1000, "x", 1, 0, &good, sizeof good, WSAENOTSOCK},
        {INVALID_SOCKET, "x", 1, 0, &good, sizeof good, WSAENOTSOCK},
        {s, "x", 1, 0, nullptr, sizeof good, WSAEFAULT},
        {s, "x", 1, 0, &good, sizeof good - 1, WSAEFAULT},
        {s, nullptr, 1, 0, &good, sizeof good, WSAEFAULT},
        {s, "x", -1, 0, &good, sizeof good, WSAEFAULT},
        {s, "x", 1, 0, &otherFamily, sizeof good, WSAEAFNOSUPPORT},
        {s, "x", 1, MSG_OOB, &good, sizeof good, WSAEOPNOTSUPP},
        {s, "x", 1, 0, &anyAddress, sizeof good, WSAEADDRNOTAVAIL},
        {s, "x", 1, 0, &noPort, sizeof good, WSAEADDRNOTAVAIL},
        {s, tooLong.data(), static_cast<int>(tooLong.size()), 0, &good, sizeof good, WSAEMSGSIZE},
    };
    for (const SendCase& c : sendCases)
    {
        EXPECT_EQ(Winsock::sendto(c.s, c.buf, c.len, c.flags,
                                  reinterpret_cast<const sockaddr*>(c.to), c.tolen),
                  SOCKET_ERROR)
            << c.error;
        EXPECT_EQ(Winsock::WSAGetLastError(), c.error);
    }
    EXPECT_FALSE(mReceiver.Receive(50).has_value());
    EXPECT_EQ(Winsock::closesocket(s), 0);
}

TEST_F(SocketsTest, ResolvesHostNamesAndAddressTexts)
{
    for (const char* name : {"localhost", "127.0.0.1"})
    {
        const hostent* host = Winsock::gethostbyname(name);
        ASSERT_NE(host, nullptr) << name;
        EXPECT_EQ(host->h_addrtype, AF_INET);
        EXPECT_EQ(host->h_length, 4);
        ASSERT_NE(host->h_addr_list[0], nullptr);
        in_addr first;
        std::memcpy(&first, host->h_addr_list[0], 4);
        EXPECT_STREQ(Winsock::inet_ntoa(first), "127.0.0.1") << name;
        EXPECT_EQ(host->h_aliases[0], nullptr);
    }

    char name[256];
    ASSERT_EQ(Winsock::gethostname(name, sizeof name), 0);
    EXPECT_GT(std::strlen(name), 0u);
    const int needed = static_cast<int>(std::strlen(name)) + 1;
    EXPECT_EQ(Winsock::gethostname(name, needed - 1), SOCKET_ERROR);
    EXPECT_EQ(Winsock::WSAGetLastError(), WSAEFAULT);
    EXPECT_EQ(Winsock::gethostname(nullptr, 64), SOCKET_ERROR);
    EXPECT_EQ(Winsock::WSAGetLastError(), WSAEFAULT);

    // No name means this computer: the same answer as for its host name.
    const hostent* own = Winsock::gethostbyname(name);
    if (own != nullptr)
    {
        const std::string ownFirst(own->h_addr_list[0], 4);
        const hostent* unnamed = Winsock::gethostbyname(nullptr);
        ASSERT_NE(unnamed, nullptr);
        EXPECT_EQ(std::string(unnamed->h_addr_list[0], 4), ownFirst);
    }

    EXPECT_EQ(Winsock::gethostbyname("no-such-host.invalid"), nullptr);
    EXPECT_EQ(Winsock::WSAGetLastError(), WSAHOST_NOT_FOUND);
}

TEST(Winsock, AddressTextsAndByteOrder)
{
    struct Case
    {
        const char* text;
        ULONG address; // the bytes in network order, read as a little-endian word
    };
    const Case cases[] = {
        {"127.0.0.1", 0x0100007Fu}, {"10.20.30.40", 0x281E140Au}, {"1.2.3", 0x03000201u},
        {"1.65535", 0xFFFF0001u},   {"0x7f.1", 0x0100007Fu},      {"017.0.0.1", 0x0100000Fu},
        {"256.1.1.1", INADDR_NONE}, {"1.2.3.4.5", INADDR_NONE},   {"", INADDR_NONE},
        {"localhost", INADDR_NONE}, {nullptr, INADDR_NONE},
    };
    for (const Case& c : cases)
    {
        const ULONG address = Winsock::inet_addr(c.text);
        unsigned char bytes[4];
        std::memcpy(bytes, &address, 4);
        const ULONG asLittleEndian =
            bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (static_cast<ULONG>(bytes[3]) << 24);
        EXPECT_EQ(asLittleEndian, c.address) << (c.text ? c.text : "(null)");
    }

    in_addr address{Winsock::inet_addr("192.168.1.200")};
    EXPECT_STREQ(Winsock::inet_ntoa(address), "192.168.1.200");
    const USHORT port = Winsock::htons(0x1388);
    unsigned char bytes[2];
    std::memcpy(bytes, &port, 2);
    EXPECT_EQ(bytes[0], 0x13);
    EXPECT_EQ(bytes[1], 0x88);
}
