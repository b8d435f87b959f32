#include "Utilities/Debug/DebugOutput.h"

#include "Utilities/Globals.h"
#include "Utilities/Storage/StringT.h"
#include "Utilities/Threading/ScopedLock.h"
#include "platform/DebugApi.h"
#include "platform/Sockets.h"

#include <cstring>
#include <iostream>
#include <streambuf>

namespace Orv
{
namespace
{
constexpr const char* kLoopbackAddress = "127.0.0.1";
constexpr int kHostNameSize = 64;

// The first IPv4 address of a name as "a.b.c.d"; empty when the name cannot be found.
std::string FirstAddressOf(const char* name)
{
    const Winsock::hostent* host = Winsock::gethostbyname(name);
    if (host == nullptr || host->h_addr_list == nullptr || host->h_addr_list[0] == nullptr)
    {
        return std::string();
    }
    Winsock::in_addr address;
    std::memcpy(&address, host->h_addr_list[0], sizeof address);
    return Winsock::inet_ntoa(address);
}

// Wide text in UTF-8 on std::cerr, written at once.
class ConsoleWideBuffer : public std::wstreambuf
{
protected:
    int_type overflow(int_type c) override
    {
        if (!traits_type::eq_int_type(c, traits_type::eof()))
        {
            const wchar_t character = traits_type::to_char_type(c);
            xsputn(&character, 1);
        }
        return traits_type::not_eof(c);
    }
    std::streamsize xsputn(const wchar_t* text, std::streamsize count) override
    {
        NString utf8;
        utf8.AssignUtf16(text, static_cast<int>(count));
        std::cerr.write(utf8.GetBuffer(), utf8.GetLength());
        return count;
    }
    int sync() override
    {
        std::cerr.flush();
        return 0;
    }
};
} // namespace

class DebugOutput::ConsoleWideStream : public std::wostream
{
public:
    ConsoleWideStream()
        : std::wostream(nullptr)
    {
        init(&mBuffer);
    }

private:
    ConsoleWideBuffer mBuffer;
};

DebugOutput::DebugOutput()
    : mNarrow([this](const char* text) { ReceiveNarrow(text); })
    , mWide([this](const wchar_t* text) { ReceiveWide(text); })
    , mActiveNarrow(&mNarrow)
    , mActiveWide(&mWide)
    , mSocket(Winsock::INVALID_SOCKET)
{
}

DebugOutput::~DebugOutput()
{
    ScopedLock<Mutex> guard(mLock);
    if (mNarrow.GetBuffer().GetPendingCount() > 0)
    {
        mNarrow.flush();
    }
    if (mWide.GetBuffer().GetPendingCount() > 0)
    {
        mWide.flush();
    }
    CloseUdp();
}

void DebugOutput::SetUdpTarget(const char* host, int port)
{
    ScopedLock<Mutex> guard(mLock);
    if (host != nullptr)
    {
        mHost = host;
    }
    mPort = port;
}

void DebugOutput::ReceiveNarrow(const char* text)
{
    ScopedLock<Mutex> guard(mLock);
    if (mPort < 1)
    {
        OutputDebugStringA(text);
    }
    else
    {
        SendUdp(Host(), mPort, text);
    }
}

void DebugOutput::ReceiveWide(const wchar_t* text)
{
    ScopedLock<Mutex> guard(mLock);
    if (mPort < 1)
    {
        OutputDebugStringW(text);
    }
    else
    {
        const NString utf8(text);
        SendUdp(Host(), mPort, utf8.GetBuffer());
    }
}

void DebugOutput::SendUdp(const char* host, int port, const char* text)
{
    ScopedLock<Mutex> guard(mLock);
    if (!mUdpSetUpDone)
    {
        SetUpUdp(host, port);
    }
    if (mSocket == Winsock::INVALID_SOCKET || text == nullptr || text[0] == 0)
    {
        return;
    }
    Winsock::sockaddr_in destination{};
    destination.sin_family = Winsock::AF_INET;
    destination.sin_port = mDestinationPort;
    destination.sin_addr.s_addr = mDestinationAddress;
    if (Winsock::sendto(mSocket, text, static_cast<int>(std::strlen(text)), 0,
                        reinterpret_cast<const Winsock::sockaddr*>(&destination),
                        sizeof destination) == Winsock::SOCKET_ERROR)
    {
        // The message is lost; nothing is reported.
        static_cast<void>(Winsock::WSAGetLastError());
    }
}

void DebugOutput::SetUpUdp(const char* host, int port)
{
    mUdpSetUpDone = true;
    Winsock::WSADATA data;
    if (Winsock::WSAStartup(Winsock::MAKEWORD(2, 2), &data) != 0)
    {
        return;
    }
    mSocketsStarted = true;

    std::string address = host != nullptr ? FirstAddressOf(host) : std::string();
    if (address.empty())
    {
        char ownName[kHostNameSize];
        if (Winsock::gethostname(ownName, kHostNameSize) == 0)
        {
            address = FirstAddressOf(ownName);
        }
    }
    if (address.empty())
    {
        address = kLoopbackAddress;
    }
    mDestinationAddress = Winsock::inet_addr(address.c_str());
    mDestinationPort = Winsock::htons(static_cast<USHORT>(port));

    // A port that does not fit 16 bits would silently become another one.
    if (port <= 0xFFFF)
    {
        mSocket = Winsock::socket(Winsock::AF_INET, Winsock::SOCK_DGRAM, Winsock::IPPROTO_UDP);
    }
    if (mSocket == Winsock::INVALID_SOCKET)
    {
        CloseUdp();
        return;
    }
    SendUdp(host, port, "*** APPLICATION Launched on ");
    SendUdp(host, port, address.c_str());
    SendUdp(host, port, "***\n");
}

void DebugOutput::CloseUdp()
{
    if (mSocket != Winsock::INVALID_SOCKET)
    {
        Winsock::closesocket(mSocket);
        mSocket = Winsock::INVALID_SOCKET;
    }
    if (mSocketsStarted)
    {
        Winsock::WSACleanup();
        mSocketsStarted = false;
    }
}

void OpenDebugConsole(DebugOutput& output)
{
    ScopedLock<Mutex> guard(output.mLock);
    if (!output.mConsoleWide)
    {
        output.mConsoleWide = std::make_unique<DebugOutput::ConsoleWideStream>();
    }
    output.mActiveNarrow = &std::cerr;
    output.mActiveWide = output.mConsoleWide.get();
}

void OpenDebugConsole()
{
    OpenDebugConsole(GetDebugOutput());
}
} // namespace Orv
