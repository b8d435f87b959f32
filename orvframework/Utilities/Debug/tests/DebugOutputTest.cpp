#include "Utilities/Debug/DebugOutput.h"
#include "Utilities/Globals.h"

#include "LoopbackReceiver.h"
#include "platform/Sockets.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <functional>
#include <map>
#include <string>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>
#include <vector>

using Orv::DebugOutput;
using OrvTest::LoopbackReceiver;

namespace
{
// What the action wrote to standard error (file descriptor 2).
std::string CaptureStandardError(const std::function<void()>& action)
{
    std::fflush(stderr);
    std::FILE* capture = std::tmpfile();
    const int saved = ::dup(STDERR_FILENO);
    ::dup2(::fileno(capture), STDERR_FILENO);
    action();
    std::fflush(stderr);
    ::dup2(saved, STDERR_FILENO);
    ::close(saved);
    std::string text;
    std::rewind(capture);
    for (int c = std::fgetc(capture); c != EOF; c = std::fgetc(capture))
    {
        text += static_cast<char>(c);
    }
    std::fclose(capture);
    return text;
}

// The address text the UDP log announces when it sends to this computer.
std::string ThisComputersAddress()
{
    Winsock::WSADATA data;
    Winsock::WSAStartup(Winsock::MAKEWORD(2, 2), &data);
    std::string address = "127.0.0.1";
    char name[64];
    if (Winsock::gethostname(name, sizeof name) == 0)
    {
        if (const Winsock::hostent* host = Winsock::gethostbyname(name))
        {
            Winsock::in_addr first;
            std::memcpy(&first, host->h_addr_list[0], sizeof first);
            address = Winsock::inet_ntoa(first);
        }
    }
    Winsock::WSACleanup();
    return address;
}

std::vector<std::string> Opening(const std::string& address)
{
    return {"*** APPLICATION Launched on ", address, "***\n"};
}

std::vector<std::string> Join(std::vector<std::string> first, const std::vector<std::string>& then)
{
    first.insert(first.end(), then.begin(), then.end());
    return first;
}

// Whether a socket layer start is still outstanding in this process.
bool SocketsStillStarted()
{
    if (Winsock::WSACleanup() == 0)
    {
        Winsock::WSADATA data;
        Winsock::WSAStartup(Winsock::MAKEWORD(2, 2), &data);
        return true;
    }
    return false;
}
} // namespace

TEST(DebugOutput, MessagesGoToTheDebuggerOutputUntilFlushed)
{
    DebugOutput output;
    std::string beforeFlush;
    const std::string all = CaptureStandardError(
        [&]
        {
            output.Narrow() << "state " << 42 << ' ' << std::hex << 255;
            beforeFlush = CaptureStandardError([] {});
            output.Narrow() << std::endl;
            output.Wide() << L"wide \u00E9\u20AC " << 7 << std::endl;
        });
    EXPECT_EQ(all, "state 42 ff\nwide \xC3\xA9\xE2\x82\xAC 7\n");
    EXPECT_EQ(beforeFlush, "");
}

TEST(DebugOutput, UdpLogOpensWithThreeDatagramsThenSendsOnePerMessage)
{
    LoopbackReceiver receiver;
    DebugOutput output;
    output.SetUdpTarget("127.0.0.1", receiver.GetPort());
    EXPECT_TRUE(receiver.ReceiveAll(50).empty());

    output.Narrow() << "first message " << 1 << std::endl;
    output.Narrow() << "second" << std::flush;
    // An empty message sends nothing.
    output.Narrow() << std::flush;
    output.Wide() << L"wide \u00E9\u20AC" << std::endl;
    output.Narrow() << "third\n";
    EXPECT_EQ(receiver.ReceiveAll(), Join(Opening("127.0.0.1"), {"first message 1\n", "second",
                                                                 "wide \xC3\xA9\xE2\x82\xAC\n"}));
    output.Narrow() << std::flush;
    EXPECT_EQ(receiver.ReceiveAll(), (std::vector<std::string>{"third\n"}));

    // Back to the debugger output with a port below 1.
    output.SetUdpTarget(nullptr, -1);
    EXPECT_EQ(CaptureStandardError([&] { output.Narrow() << "local" << std::endl; }), "local\n");
    EXPECT_TRUE(receiver.ReceiveAll(50).empty());
}

TEST(DebugOutput, UdpLogGoesToThisComputerWithoutAHostItCanFind)
{
    const std::string address = ThisComputersAddress();
    for (const char* host : {static_cast<const char*>(nullptr), "", "no-such-host.invalid"})
    {
        LoopbackReceiver receiver(true);
        DebugOutput output;
        output.SetUdpTarget(host, receiver.GetPort());
        output.Narrow() << "message" << std::endl;
        EXPECT_EQ(receiver.ReceiveAll(), Join(Opening(address), {"message\n"}))
            << (host ? host : "(null)");
    }
}

TEST(DebugOutput, LongTextLeavesInPiecesOf1023Characters)
{
    LoopbackReceiver receiver;
    DebugOutput output;
    output.SetUdpTarget("127.0.0.1", receiver.GetPort());
    std::string text;
    for (int i = 0; i < 2500; ++i)
    {
        text += static_cast<char>('a' + i % 26);
    }
    output.Narrow() << text;
    EXPECT_EQ(receiver.ReceiveAll(),
              Join(Opening("127.0.0.1"), {text.substr(0, 1023), text.substr(1023, 1023)}));
    output.Narrow() << std::endl;
    EXPECT_EQ(receiver.ReceiveAll(), (std::vector<std::string>{text.substr(2046) + "\n"}));

    // Several writes add up the same way.
    for (int i = 0; i < 3; ++i)
    {
        output.Narrow() << std::string(500, static_cast<char>('x' + i));
    }
    output.Narrow() << std::flush;
    EXPECT_EQ(receiver.ReceiveAll(),
              (std::vector<std::string>{std::string(500, 'x') + std::string(500, 'y') +
                                            std::string(23, 'z'),
                                        std::string(477, 'z')}));
}

TEST(DebugOutput, EndingTheOutputSendsWhatWaitsAndClosesTheUdpLog)
{
    LoopbackReceiver receiver;
    {
        DebugOutput output;
        output.SetUdpTarget("127.0.0.1", receiver.GetPort());
        output.Narrow() << "narrow not flushed";
        output.Wide() << L"wide not flushed";
        EXPECT_TRUE(receiver.ReceiveAll(50).empty());
    }
    EXPECT_EQ(receiver.ReceiveAll(),
              Join(Opening("127.0.0.1"), {"narrow not flushed", "wide not flushed"}));
    EXPECT_FALSE(SocketsStillStarted());

    // An output that never sent anything opens nothing at its end either.
    {
        DebugOutput output;
        output.SetUdpTarget("127.0.0.1", receiver.GetPort());
    }
    EXPECT_TRUE(receiver.ReceiveAll(50).empty());
}

TEST(DebugOutput, AFailedUdpSetUpIsNotRetriedAndLeavesNothingOpen)
{
    LoopbackReceiver receiver;
    {
        DebugOutput output;
        output.SetUdpTarget("127.0.0.1", 70000);
        output.Narrow() << "port out of range" << std::endl;
        EXPECT_FALSE(SocketsStillStarted());
    }

    DebugOutput output;
    output.SetUdpTarget("127.0.0.1", receiver.GetPort());
    // Use up every file descriptor, so that the socket cannot be made.
    rlimit original;
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &original), 0);
    int highest = 0;
    if (DIR* open = ::opendir("/proc/self/fd"))
    {
        while (const dirent* entry = ::readdir(open))
        {
            highest = std::max(highest, std::atoi(entry->d_name));
        }
        ::closedir(open);
    }
    rlimit lowered = original;
    lowered.rlim_cur = static_cast<rlim_t>(highest + 1);
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &lowered), 0);
    std::vector<int> fillers;
    for (int fd = ::open("/dev/null", O_RDONLY); fd >= 0; fd = ::open("/dev/null", O_RDONLY))
    {
        fillers.push_back(fd);
    }
    output.Narrow() << "no socket" << std::endl;
    for (int fd : fillers)
    {
        ::close(fd);
    }
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &original), 0);

    EXPECT_FALSE(SocketsStillStarted());
    output.Narrow() << "still no socket" << std::endl;
    EXPECT_TRUE(receiver.ReceiveAll(50).empty());
    EXPECT_FALSE(SocketsStillStarted());
}

TEST(DebugOutput, TheConsoleShowsBothStreamsOnStandardErrorAtOnce)
{
    LoopbackReceiver receiver;
    DebugOutput output;
    output.SetUdpTarget("127.0.0.1", receiver.GetPort());
    output.Narrow() << "before ";
    Orv::OpenDebugConsole(output);
    std::string narrowAlone;
    const std::string all = CaptureStandardError(
        [&]
        {
            narrowAlone = CaptureStandardError([&] { output.Narrow() << "narrow " << 1; });
            output.Wide() << L" wide \u00E9" << std::endl;
            output.Narrow() << "narrow again\n";
            output.Wide() << L"wide again\n";
        });
    EXPECT_EQ(narrowAlone, "narrow 1");
    EXPECT_EQ(all, " wide \xC3\xA9\nnarrow again\nwide again\n");
    EXPECT_TRUE(receiver.ReceiveAll(50).empty());

    // The program's own debug output is pointed the same way.
    Orv::OpenDebugConsole();
    EXPECT_EQ(CaptureStandardError([] { Orv::GetDebugOutput().Wide() << L"global"; }), "global");
}

TEST(DebugOutput, MessagesFromSeveralThreadsStayWhole)
{
    constexpr int kThreads = 4;
    constexpr int kMessages = 50;
    LoopbackReceiver receiver;
    DebugOutput output;
    output.SetUdpTarget("127.0.0.1", receiver.GetPort());
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
    {
        threads.emplace_back(
            [&output, t]
            {
                for (int i = 0; i < kMessages; ++i)
                {
                    if (t % 2 == 0)
                    {
                        output.Narrow()
                            << "thread " << t << " message " << i << " end" << std::endl;
                    }
                    else
                    {
                        output.Wide()
                            << L"thread " << t << L" message " << i << L" end" << std::endl;
                    }
                }
            });
    }
    for (std::thread& thread : threads)
    {
        thread.join();
    }
    const std::vector<std::string> received = receiver.ReceiveAll();
    ASSERT_EQ(received.size(), 3u + kThreads * kMessages);
    EXPECT_EQ(std::vector<std::string>(received.begin(), received.begin() + 3),
              Opening("127.0.0.1"));
    std::map<int, int> next;
    for (std::size_t i = 3; i < received.size(); ++i)
    {
        int thread = -1;
        int index = -1;
        const int fields =
            std::sscanf(received[i].c_str(), "thread %d message %d", &thread, &index);
        ASSERT_EQ(fields, 2) << received[i];
        ASSERT_EQ(received[i], "thread " + std::to_string(thread) + " message " +
                                   std::to_string(index) + " end\n");
        EXPECT_EQ(index, next[thread]++) << received[i];
    }
    for (int t = 0; t < kThreads; ++t)
    {
        EXPECT_EQ(next[t], kMessages);
    }
}
