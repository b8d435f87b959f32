// Notifications across threads: workers post while one thread pumps; sends, registrations
// and interning from several threads at once. Built for ThreadSanitizer as well.
#include "NotificationPump.h"
#include "NotificationTestSupport.h"

#include "ObjectBase/Holder.h"
#include "notification/NotificationCenter.h"

#include <atomic>
#include <chrono>
#include <map>
#include <thread>
#include <utility>
#include <vector>

using namespace Orv;
using namespace OrvTest;

namespace
{
using Threaded = NotificationTest;
using Sequence = std::pair<int, int>;

constexpr int kWorkers = 4;
constexpr int kPostsPerWorker = 300;

// Each worker posts its own numbered sequence to the application center.
void PostSequences(std::vector<std::thread>& workers, std::atomic<int>& done)
{
    for (int worker = 0; worker < kWorkers; ++worker)
    {
        workers.emplace_back(
            [worker, &done]
            {
                const RCPtr<LNotificationCenter> center = GetApplicationNotificationCenter();
                for (int i = 0; i < kPostsPerWorker; ++i)
                {
                    const RCPtr<LRefCountedObject> param(new LHolder<Sequence>({worker, i}));
                    EXPECT_EQ(
                        center->PostNotification(LNotification::Create(L"NID_THREAD_TEST", param)),
                        S_OK);
                }
                ++done;
            });
    }
}

// Records the sequence numbers a client receives.
void RecordSequences(RecordingClient& client, std::vector<Sequence>& received)
{
    client.action = [&received](const auto&, const RCPtr<LNotification>& notification)
    {
        const auto* holder = dynamic_cast<const LHolder<Sequence>*>(notification->param.Get());
        received.push_back(holder == nullptr ? Sequence(-1, -1) : holder->GetValue());
    };
}

// Checks that every worker's sequence arrived whole and in order.
void ExpectWholeSequences(const std::vector<Sequence>& received)
{
    std::map<int, int> next;
    for (const Sequence& sequence : received)
    {
        ASSERT_GE(sequence.first, 0);
        EXPECT_EQ(sequence.second, next[sequence.first]++);
    }
    EXPECT_EQ(next.size(), static_cast<size_t>(kWorkers));
    for (const auto& [worker, count] : next)
    {
        EXPECT_EQ(count, kPostsPerWorker) << "worker " << worker;
    }
}

// A client that counts, from any thread.
class CountingClient : public LNotificationClient
{
public:
    ORVRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>&,
                                  const RCPtr<LNotification>&) override
    {
        ++count;
        return S_OK;
    }
    std::atomic<int> count{0};
};
} // namespace

TEST_F(Threaded, WorkersPostEverythingInOrderToThePumpingThread)
{
    for (bool recycling : {false, true})
    {
        SCOPED_TRACE(recycling ? "recycling" : "no recycling");
        LNotification::SetRecycling(recycling);
        // The center exists before any worker posts, as the application makes sure.
        const RCPtr<LNotificationCenter> center = GetApplicationNotificationCenter();
        auto client = MakeClient("pump");
        const std::thread::id pumping = std::this_thread::get_id();
        bool elsewhere = false;
        std::vector<Sequence> received;
        client->action = [&](const auto&, const RCPtr<LNotification>& notification)
        {
            elsewhere = elsewhere || std::this_thread::get_id() != pumping;
            const auto* holder = dynamic_cast<const LHolder<Sequence>*>(notification->param.Get());
            received.push_back(holder == nullptr ? Sequence(-1, -1) : holder->GetValue());
        };
        client->RegisterNotification(center, L"NID_THREAD_TEST");

        std::vector<std::thread> workers;
        std::atomic<int> done{0};
        PostSequences(workers, done);
        // Pumped while the workers still post.
        EXPECT_TRUE(PumpUntil([&] { return received.size() == kWorkers * kPostsPerWorker; }));
        for (std::thread& worker : workers)
        {
            worker.join();
        }
        EXPECT_FALSE(PumpNotifications());
        EXPECT_FALSE(elsewhere);
        ExpectWholeSequences(received);
        client->UnregisterAllNotifications();
        ReleaseNotificationCenterManager();
    }
}

TEST_F(Threaded, NothingIsDroppedWhenWorkersQueueMoreThanTheRingHolds)
{
    const RCPtr<LNotificationCenter> center = GetApplicationNotificationCenter();
    auto client = MakeClient("pump");
    std::vector<Sequence> received;
    RecordSequences(*client, received);
    client->RegisterNotification(center, L"NID_THREAD_TEST");
    std::vector<std::thread> workers;
    std::atomic<int> done{0};
    PostSequences(workers, done);
    for (std::thread& worker : workers)
    {
        worker.join();
    }
    EXPECT_EQ(center->GetCount(), static_cast<unsigned int>(kWorkers * kPostsPerWorker));
    EXPECT_GT(center->GetCellCount(), 256u);
    // All of it in one pass.
    EXPECT_FALSE(PumpNotifications());
    ExpectWholeSequences(received);
}

TEST_F(Threaded, ConcurrentSendsOfOneNameReachEveryClientEveryTime)
{
    constexpr int kSends = 2000;
    RCPtr<LNotificationDistributor> distributor(new LNotificationDistributor());
    std::vector<RCPtr<CountingClient>> clients;
    for (int i = 0; i < 3; ++i)
    {
        clients.emplace_back(new CountingClient());
        clients.back()->RegisterNotification(distributor, L"NID_THREAD_TEST");
    }
    std::vector<std::thread> senders;
    for (int s = 0; s < 2; ++s)
    {
        senders.emplace_back(
            [&]
            {
                for (int i = 0; i < kSends; ++i)
                {
                    distributor->SendNotification(LNotification::Create(L"NID_THREAD_TEST"));
                }
            });
    }
    for (std::thread& sender : senders)
    {
        sender.join();
    }
    for (const auto& client : clients)
    {
        EXPECT_EQ(client->count.load(), 2 * kSends);
    }
}

TEST_F(Threaded, ClientsAreCalledWithNoLockHeld)
{
    // While a client is being called, another thread registers at the same distributor for the
    // same name, sends another name through it, and posts to its queue. It would wait for ever
    // if the call held any of their locks.
    RCPtr<LNotificationCenter> center = LNotificationCenter::Create(L"threaded");
    auto client = MakeClient("client");
    auto late = MakeClient("late");
    auto other = MakeClient("other");
    other->RegisterNotification(center, L"NID_OTHER");
    client->RegisterNotification(center, L"NID_THREAD_TEST");
    std::atomic<bool> finished{false};
    bool finishedInTime = false;
    std::thread helper;
    bool started = false;
    client->action = [&](const auto&, const auto&)
    {
        if (started)
        {
            return;
        }
        started = true;
        helper = std::thread(
            [&]
            {
                late->RegisterNotification(center, L"NID_THREAD_TEST");
                center->SendNotification(LNotification::Create(L"NID_OTHER"));
                center->PostNotification(LNotification::Create(L"NID_THREAD_TEST"));
                finished = true;
            });
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!finished && std::chrono::steady_clock::now() < end)
        {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        finishedInTime = finished;
    };
    center->SendNotification(LNotification::Create(L"NID_THREAD_TEST"));
    helper.join();
    EXPECT_TRUE(finishedInTime);
    EXPECT_EQ(other->ids.size(), 1u);
    EXPECT_EQ(client->ids.size(), 1u);
    EXPECT_TRUE(late->ids.empty());
    center->ProcessNotifications(false);
    EXPECT_EQ(late->ids.size(), 1u);
    EXPECT_EQ(client->ids.size(), 2u);
    client->action = nullptr;
}

TEST_F(Threaded, RegistrationsFromSeveralThreadsAtOneDistributor)
{
    constexpr int kRounds = 200;
    RCPtr<LNotificationDistributor> distributor(new LNotificationDistributor());
    std::vector<std::thread> threads;
    std::atomic<int> received{0};
    for (int t = 0; t < 4; ++t)
    {
        threads.emplace_back(
            [&, t]
            {
                // Each thread has its own clients; the distributor is shared.
                RCPtr<CountingClient> client(new CountingClient());
                const std::wstring name = L"NID_THREAD_REG_" + std::to_wstring(t);
                for (int i = 0; i < kRounds; ++i)
                {
                    client->RegisterNotification(distributor, name.c_str());
                    client->RegisterNotification(distributor, L"NID_THREAD_SHARED");
                    distributor->SendNotification(LNotification::Create(name.c_str()));
                    client->UnregisterNotification(distributor, L"NID_THREAD_SHARED");
                    client->UnregisterAllNotifications();
                }
                received += client->count.load();
            });
    }
    for (std::thread& thread : threads)
    {
        thread.join();
    }
    EXPECT_EQ(received.load(), 4 * kRounds);
    EXPECT_EQ(distributor->GetRegistrationCount(), 0);
    EXPECT_EQ(distributor->GetInternalRefCount(), 0);
    EXPECT_EQ(distributor->GetRefCount(), 1);
    EXPECT_FALSE(LNotificationDistributor::IsListed(distributor.Get()));
}

TEST_F(Threaded, InterningFromSeveralThreadsGivesOnePointerPerName)
{
    constexpr int kNames = 50;
    std::vector<std::vector<const wchar_t*>> seen(6);
    std::vector<std::thread> threads;
    for (size_t t = 0; t < seen.size(); ++t)
    {
        threads.emplace_back(
            [&seen, t]
            {
                for (int i = 0; i < kNames; ++i)
                {
                    const std::wstring name = L"NID_THREAD_INTERN_" + std::to_wstring(i);
                    seen[t].push_back(InternNotificationName(name.c_str()));
                }
            });
    }
    for (std::thread& thread : threads)
    {
        thread.join();
    }
    for (size_t t = 1; t < seen.size(); ++t)
    {
        EXPECT_EQ(seen[t], seen[0]);
    }
}
