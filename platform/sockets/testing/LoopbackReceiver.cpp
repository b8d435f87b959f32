#include "LoopbackReceiver.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace OrvTest
{
LoopbackReceiver::LoopbackReceiver(bool anyAddress)
{
    mSocket = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (mSocket < 0)
    {
        throw std::runtime_error("LoopbackReceiver: no socket");
    }
    int size = 1 << 20;
    ::setsockopt(mSocket, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = anyAddress ? htonl(INADDR_ANY) : htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    if (::bind(mSocket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::getsockname(mSocket, reinterpret_cast<sockaddr*>(&address), &length) != 0)
    {
        ::close(mSocket);
        throw std::runtime_error("LoopbackReceiver: cannot bind");
    }
    mPort = ntohs(address.sin_port);
}

LoopbackReceiver::~LoopbackReceiver()
{
    ::close(mSocket);
}

std::optional<std::string> LoopbackReceiver::Receive(int timeoutMs)
{
    pollfd waiting{mSocket, POLLIN, 0};
    if (::poll(&waiting, 1, timeoutMs) != 1)
    {
        return std::nullopt;
    }
    std::string datagram(70000, '\0');
    const ssize_t n = ::recv(mSocket, datagram.data(), datagram.size(), 0);
    if (n < 0)
    {
        return std::nullopt;
    }
    datagram.resize(static_cast<std::size_t>(n));
    return datagram;
}

std::vector<std::string> LoopbackReceiver::ReceiveAll(int quietMs)
{
    std::vector<std::string> all;
    while (std::optional<std::string> datagram = Receive(quietMs))
    {
        all.push_back(std::move(*datagram));
    }
    return all;
}
} // namespace OrvTest
