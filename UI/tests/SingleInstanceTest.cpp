// One instance per user: a second start finds the lock held and hands its command line over; a
// lock left by a process that is gone never blocks; what another process sends that is not a
// command line is refused.
#include "SingleInstance.h"
#include "HandOverMessage.h"
#include "ManualClock.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <future>
#include <mutex>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace
{
using Orv::SingleInstance;
using Orv::WString;

// A private folder for the lock and the socket, removed with its files.
class InstanceFolder
{
public:
    InstanceFolder()
    {
        std::string pattern = ::testing::TempDir() + "orv_instance_XXXXXX";
        mPath = mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
    }
    ~InstanceFolder()
    {
        std::error_code error;
        std::filesystem::remove_all(mPath, error);
    }
    const std::string& Path() const { return mPath; }

private:
    std::string mPath;
};

// Collects the command lines the first instance receives (on its listening thread), taking them
// while it is not busy.
class Received
{
public:
    SingleInstance::Receiver Receiver()
    {
        return [this](const WString& text)
        {
            std::lock_guard guard(mLock);
            mTexts.emplace_back(text.GetBuffer(), text.GetLength());
            mArrived.notify_all();
            return !mBusy;
        };
    }
    void SetBusy(bool busy)
    {
        std::lock_guard guard(mLock);
        mBusy = busy;
    }
    // Waits (at most 10 s of real time, for a broken test) until count texts arrived.
    std::vector<std::wstring> WaitFor(std::size_t count)
    {
        std::unique_lock guard(mLock);
        mArrived.wait_for(guard, std::chrono::seconds(10), [&] { return mTexts.size() >= count; });
        return mTexts;
    }

private:
    std::mutex mLock;
    std::condition_variable mArrived;
    std::vector<std::wstring> mTexts;
    bool mBusy = false;
};

const char* const kName = "Halvex DJ_DEVICE_FAMILY_NAME_String_FirmwareUpdaterPrevent";

SingleInstance::Timings FastTimings()
{
    SingleInstance::Timings timings;
    timings.transferTimeout = 2000;
    return timings;
}

Orv::RCPtr<Orv::LClock> SystemClock()
{
    return Orv::GetSystemClock();
}

TEST(SingleInstance, SecondStartHandsItsCommandLineOver)
{
    InstanceFolder folder;
    Received received;
    SingleInstance first(folder.Path(), kName, FastTimings(), SystemClock());
    ASSERT_EQ(first.Acquire(), SingleInstance::kFirst);
    ASSERT_TRUE(first.StartListening(received.Receiver()));
    EXPECT_EQ(first.GetLockPath(),
              folder.Path() + "/Halvex_DJ_DEVICE_FAMILY_NAME_String_FirmwareUpdaterPrevent.lock");

    const std::wstring texts[] = {
        L"\"/opt/my updater\" -ABSOLUTE_FIRMWARE_FILE_PATH=\"/tmp/\u00E9t\u00E9 1.dfu\" -SILENT",
        L"updater \U0001F600\ttab",
    };
    for (const std::wstring& text : texts)
    {
        SingleInstance second(folder.Path(), kName, FastTimings(), SystemClock());
        EXPECT_EQ(second.Acquire(), SingleInstance::kOther);
        EXPECT_EQ(second.HandOver(WString(text.c_str())), SingleInstance::kTaken);
    }
    // A first instance that is busy answers so: the later start learns its line was not taken.
    received.SetBusy(true);
    SingleInstance whileBusy(folder.Path(), kName, FastTimings(), SystemClock());
    EXPECT_EQ(whileBusy.HandOver(WString(L"updater -SILENT")), SingleInstance::kBusy);
    const std::vector<std::wstring> got = received.WaitFor(3);
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[0], texts[0]);
    EXPECT_EQ(got[1], texts[1]);
    // A second start never takes the lock, however often it tries.
    SingleInstance again(folder.Path(), kName, FastTimings(), SystemClock());
    EXPECT_EQ(again.Acquire(), SingleInstance::kOther);
    EXPECT_EQ(again.Acquire(), SingleInstance::kOther);
}

TEST(SingleInstance, TheLockGoesWithTheFirstInstance)
{
    InstanceFolder folder;
    {
        SingleInstance first(folder.Path(), kName, FastTimings(), SystemClock());
        ASSERT_EQ(first.Acquire(), SingleInstance::kFirst);
        ASSERT_TRUE(first.StartListening(nullptr));
    }
    // Its socket is gone with it, and the next start is the first.
    EXPECT_FALSE(std::filesystem::exists(
        folder.Path() + "/" + "Halvex_DJ_DEVICE_FAMILY_NAME_String_FirmwareUpdaterPrevent.sock"));
    SingleInstance next(folder.Path(), kName, FastTimings(), SystemClock());
    EXPECT_EQ(next.Acquire(), SingleInstance::kFirst);
}

TEST(SingleInstance, LockOfAKilledProcessDoesNotBlock)
{
    InstanceFolder folder;
    SingleInstance probe(folder.Path(), kName, FastTimings(), SystemClock());
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0)
    {
        // The child holds the lock as a first instance would, and leaves its socket file behind.
        const int file = open(probe.GetLockPath().c_str(), O_RDWR | O_CREAT, 0600);
        const int socketFile = open(probe.GetSocketPath().c_str(), O_RDWR | O_CREAT, 0600);
        const char done =
            (file >= 0 && socketFile >= 0 && flock(file, LOCK_EX | LOCK_NB) == 0) ? 1 : 0;
        if (write(ready[1], &done, 1) != 1)
        {
            _exit(2);
        }
        for (;;)
        {
            pause();
        }
    }
    close(ready[1]);
    char done = 0;
    ASSERT_EQ(read(ready[0], &done, 1), 1);
    close(ready[0]);
    ASSERT_EQ(done, 1);
    EXPECT_EQ(probe.Acquire(), SingleInstance::kOther);

    kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    // The lock file and the socket file are still there; neither blocks.
    EXPECT_TRUE(std::filesystem::exists(probe.GetLockPath()));
    EXPECT_EQ(probe.Acquire(), SingleInstance::kFirst);
    Received received;
    ASSERT_TRUE(probe.StartListening(received.Receiver()));
    SingleInstance second(folder.Path(), kName, FastTimings(), SystemClock());
    EXPECT_EQ(second.HandOver(WString(L"after the crash")), SingleInstance::kTaken);
    EXPECT_EQ(received.WaitFor(1), std::vector<std::wstring>{L"after the crash"});
}

// Sends raw bytes to the first instance's socket and returns its answer (-1 when none came).
int SendRaw(const std::string& socketPath, const std::vector<std::uint8_t>& bytes)
{
    const int connection = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, socketPath.c_str(), sizeof(address.sun_path) - 1);
    if (connect(connection, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0)
    {
        close(connection);
        return -1;
    }
    if (!bytes.empty())
    {
        EXPECT_EQ(send(connection, bytes.data(), bytes.size(), MSG_NOSIGNAL),
                  static_cast<ssize_t>(bytes.size()));
    }
    // The end of what this side sends: a message cut short is seen at once.
    shutdown(connection, SHUT_WR);
    std::uint8_t answer = 0xEE;
    const ssize_t got = recv(connection, &answer, 1, 0);
    close(connection);
    return got == 1 ? answer : -1;
}

TEST(SingleInstance, RefusesMessagesThatAreNoCommandLine)
{
    InstanceFolder folder;
    Received received;
    SingleInstance first(folder.Path(), kName, FastTimings(), SystemClock());
    ASSERT_EQ(first.Acquire(), SingleInstance::kFirst);
    ASSERT_TRUE(first.StartListening(received.Receiver()));

    struct Case
    {
        const char* what;
        std::vector<std::uint8_t> bytes;
    };
    const std::uint32_t huge = Orv::HandOverMessage::kMaxTextBytes + 1;
    const Case cases[] = {
        {"oversized",
         {static_cast<std::uint8_t>(huge), static_cast<std::uint8_t>(huge >> 8),
          static_cast<std::uint8_t>(huge >> 16), static_cast<std::uint8_t>(huge >> 24)}},
        {"4 GB announced", {0xFF, 0xFF, 0xFF, 0xFF, 'a'}},
        {"ill-formed UTF-8", {2, 0, 0, 0, 0xC3, '('}},
        {"a NUL inside", {3, 0, 0, 0, 'a', 0, 'b'}},
        {"cut short", {10, 0, 0, 0, 'a', 'b'}},
        {"half a header", {1, 0}},
        {"nothing", {}},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(SendRaw(first.GetSocketPath(), c.bytes), Orv::HandOverMessage::kRefused)
            << c.what;
    }
    // The listener goes on: the next good message arrives, and only it.
    std::vector<std::uint8_t> good;
    ASSERT_TRUE(Orv::HandOverMessage::Encode(WString(L"updater -SILENT"), good));
    EXPECT_EQ(SendRaw(first.GetSocketPath(), good), Orv::HandOverMessage::kAccepted);
    EXPECT_EQ(received.WaitFor(1), std::vector<std::wstring>{L"updater -SILENT"});
}

// Moves the manual clock on, wait by wait, until the hand-over has ended (at most 10 s of real
// time, for a broken test).
SingleInstance::HandOverResult DriveUntilDone(OrvTest::LManualClock& clock,
                                              std::future<SingleInstance::HandOverResult>& handOver,
                                              const std::function<void()>& afterFirstWait = nullptr)
{
    bool first = true;
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (handOver.wait_for(std::chrono::milliseconds(1)) != std::future_status::ready &&
           std::chrono::steady_clock::now() < giveUp)
    {
        if (clock.GetWaiterCount() == 0)
        {
            continue;
        }
        if (first && afterFirstWait)
        {
            afterFirstWait();
        }
        first = false;
        clock.AdvanceToNextDeadline();
    }
    return handOver.get();
}

TEST(SingleInstance, HandOverRetriesUntilTheFirstInstanceListens)
{
    InstanceFolder folder;
    Received received;
    SingleInstance first(folder.Path(), kName, FastTimings(), SystemClock());
    ASSERT_EQ(first.Acquire(), SingleInstance::kFirst);

    // The first instance holds the lock but does not listen yet: the second one keeps trying,
    // and once the first listens its command line arrives.
    const Orv::RCPtr<OrvTest::LManualClock> clock(new OrvTest::LManualClock(0xFFFFF000u));
    SingleInstance second(folder.Path(), kName, FastTimings(), clock);
    std::future<SingleInstance::HandOverResult> handOver =
        std::async(std::launch::async, [&] { return second.HandOver(WString(L"late")); });
    EXPECT_EQ(DriveUntilDone(*clock, handOver,
                             [&] { ASSERT_TRUE(first.StartListening(received.Receiver())); }),
              SingleInstance::kTaken);
    EXPECT_EQ(received.WaitFor(1), std::vector<std::wstring>{L"late"});
}

TEST(SingleInstance, HandOverGivesUpAfterItsTimeOut)
{
    InstanceFolder folder;
    SingleInstance first(folder.Path(), kName, FastTimings(), SystemClock());
    ASSERT_EQ(first.Acquire(), SingleInstance::kFirst);

    const DWORD start = 0xFFFFF000u;
    const Orv::RCPtr<OrvTest::LManualClock> clock(new OrvTest::LManualClock(start));
    SingleInstance::Timings timings = FastTimings();
    SingleInstance second(folder.Path(), kName, timings, clock);
    std::future<SingleInstance::HandOverResult> handOver =
        std::async(std::launch::async, [&] { return second.HandOver(WString(L"never read")); });
    EXPECT_EQ(DriveUntilDone(*clock, handOver), SingleInstance::kNotReached);
    // Across the clock's wrap: 5 s and not a retry more.
    const DWORD elapsed = clock->GetMilliseconds() - start;
    EXPECT_GE(elapsed, timings.handOverTimeout);
    EXPECT_LT(elapsed, timings.handOverTimeout + timings.retryInterval);
}
} // namespace
