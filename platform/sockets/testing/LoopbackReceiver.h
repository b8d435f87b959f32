// A UDP socket bound to 127.0.0.1 on a free port, for tests that check what was sent to it. It
// uses the system's socket calls directly, apart from the Winsock layer under test.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace OrvTest
{
class LoopbackReceiver
{
public:
    // Binds to any local address (anyAddress) or to 127.0.0.1 only.
    explicit LoopbackReceiver(bool anyAddress = false);
    ~LoopbackReceiver();
    LoopbackReceiver(const LoopbackReceiver&) = delete;
    LoopbackReceiver& operator=(const LoopbackReceiver&) = delete;

    // The bound port, in host byte order.
    std::uint16_t GetPort() const { return mPort; }
    // The next datagram, or nothing when none arrives within timeoutMs.
    std::optional<std::string> Receive(int timeoutMs = 2000);
    // Every datagram that arrives until none has come for quietMs.
    std::vector<std::string> ReceiveAll(int quietMs = 100);

private:
    int mSocket = -1;
    std::uint16_t mPort = 0;
};
} // namespace OrvTest
