// Four threads register, unregister and post at one center while the pumping thread sends
// through it and pumps it, for a while (ORV_NOTIFICATION_STRESS_SECONDS, default 1 s; 10 s in the
// ThreadSanitizer build). Afterwards:
// - a client registered throughout received every send and every post exactly once, in order;
// - a client registered for a while received no send twice, every send that ran wholly while it
//   was registered, and none that began after its unregistration had returned;
// - no client was called after it was destroyed;
// - a client that unregistered itself while being called heard nothing more on that thread,
//   neither from a send it made itself right after nor from later sends and posts;
// - a latest-only client never received a notification twice and ended with the last post.
#include "NotificationPump.h"
#include "NotificationTestSupport.h"

#include "ObjectBase/Holder.h"
#include "notification/NotificationCenter.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#ifndef ORV_NOTIFICATION_STRESS_DEFAULT_SECONDS
#define ORV_NOTIFICATION_STRESS_DEFAULT_SECONDS 1
#endif

using namespace Orv;
using namespace OrvTest;

namespace
{
using Stress = NotificationTest;

constexpr int kWorkers = 4;
const wchar_t* const kSent = L"NID_STRESS_SENT";
const wchar_t* const kPosted = L"NID_STRESS_POSTED";
const wchar_t* const kNested = L"NID_STRESS_NESTED";

// A posted notification's number: the worker and its sequence.
using PostNumber = std::pair<int, long>;

double StressSeconds()
{
    const char* text = std::getenv("ORV_NOTIFICATION_STRESS_SECONDS");
    const double seconds = text != nullptr ? std::atof(text) : 0.0;
    return seconds > 0 ? seconds : ORV_NOTIFICATION_STRESS_DEFAULT_SECONDS;
}

// Problems seen inside handlers, on any thread, reported at the end.
class Problems
{
public:
    void Add(const std::string& what)
    {
        std::lock_guard<std::mutex> guard(mLock);
        if (mTexts.size() < 20)
        {
            mTexts.push_back(what);
        }
        ++mCount;
    }
    std::string Text()
    {
        std::lock_guard<std::mutex> guard(mLock);
        std::ostringstream out;
        out << mCount << " problem(s)";
        for (const std::string& text : mTexts)
        {
            out << "\n  " << text;
        }
        return out.str();
    }
    long Count()
    {
        std::lock_guard<std::mutex> guard(mLock);
        return mCount;
    }

private:
    std::mutex mLock;
    std::vector<std::string> mTexts;
    long mCount = 0;
};

// One point in a single order of events shared by all threads.
std::atomic<std::uint64_t> gClock{1};

std::uint64_t Tick()
{
    return gClock.fetch_add(1);
}

long SendNumberOf(const RCPtr<LNotification>& notification)
{
    const auto* holder = dynamic_cast<const LHolder<long>*>(notification->param.Get());
    return holder == nullptr ? -1 : holder->GetValue();
}

PostNumber PostNumberOf(const RCPtr<LNotification>& notification)
{
    const auto* holder = dynamic_cast<const LHolder<PostNumber>*>(notification->param.Get());
    return holder == nullptr ? PostNumber(-1, -1) : holder->GetValue();
}

// What a client registered for a while lived through. It outlives the client, for the checks.
struct ChurnRecord
{
    // Stamps: registration returned, unregistration began, unregistration returned.
    std::uint64_t registered = 0;
    std::uint64_t unregistering = 0;
    std::uint64_t unregistered = 0;
    // Written on the pumping thread only.
    std::vector<long> sends;
    std::set<PostNumber> posts;
    std::atomic<bool> destroyed{false};
};

// Registered by a worker for a while.
class ChurnClient : public LNotificationClient
{
public:
    ChurnClient(std::shared_ptr<ChurnRecord> record, Problems& problems)
        : mRecord(std::move(record))
        , mProblems(problems)
    {
    }
    ~ChurnClient() override { mRecord->destroyed = true; }

    ORVRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>&,
                                  const RCPtr<LNotification>& notification) override
    {
        if (mRecord->destroyed)
        {
            mProblems.Add("a destroyed client was called");
            return S_OK;
        }
        if (notification->id == InternNotificationName(kSent))
        {
            const long number = SendNumberOf(notification);
            if (!mRecord->sends.empty() && number <= mRecord->sends.back())
            {
                mProblems.Add("a client heard send " + std::to_string(number) + " after send " +
                              std::to_string(mRecord->sends.back()));
            }
            mRecord->sends.push_back(number);
        }
        else if (notification->id == InternNotificationName(kPosted))
        {
            if (!mRecord->posts.insert(PostNumberOf(notification)).second)
            {
                mProblems.Add("a client heard one post twice");
            }
        }
        return S_OK;
    }

private:
    std::shared_ptr<ChurnRecord> mRecord;
    Problems& mProblems;
};

// Registered throughout: hears every send and every post, in order.
class SteadyClient : public LNotificationClient
{
public:
    explicit SteadyClient(Problems& problems)
        : mProblems(problems)
    {
    }

    ORVRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>&,
                                  const RCPtr<LNotification>& notification) override
    {
        if (notification->id == InternNotificationName(kSent))
        {
            const long number = SendNumberOf(notification);
            if (number != sends)
            {
                mProblems.Add("the steady client heard send " + std::to_string(number) +
                              ", expected " + std::to_string(sends));
            }
            ++sends;
        }
        else if (notification->id == InternNotificationName(kPosted))
        {
            const PostNumber number = PostNumberOf(notification);
            if (number.first < 0 || number.first >= kWorkers ||
                number.second != nextPost[static_cast<std::size_t>(number.first)])
            {
                mProblems.Add("the steady client heard a post out of order");
            }
            else
            {
                ++nextPost[static_cast<std::size_t>(number.first)];
            }
            last = number;
        }
        return S_OK;
    }

    long sends = 0;
    std::vector<long> nextPost = std::vector<long>(kWorkers, 0);
    PostNumber last{-1, -1};

private:
    Problems& mProblems;
};

// Registered latest-only for posts.
class LatestClient : public LNotificationClient
{
public:
    explicit LatestClient(Problems& problems)
        : mProblems(problems)
    {
    }

    ORVRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>&,
                                  const RCPtr<LNotification>& notification) override
    {
        const PostNumber number = PostNumberOf(notification);
        if (!received.insert(number).second)
        {
            mProblems.Add("the latest-only client heard one post twice");
        }
        last = number;
        return S_OK;
    }

    std::set<PostNumber> received;
    PostNumber last{-1, -1};

private:
    Problems& mProblems;
};

// Made by the pumping thread: on the first send it hears it unregisters itself and sends again;
// from then on it must hear nothing.
class QuittingClient : public LNotificationClient
{
public:
    QuittingClient(LNotificationDistributor* center, Problems& problems, long& nestedSends)
        : mCenter(center)
        , mProblems(problems)
        , mNestedSends(nestedSends)
    {
    }

    ORVRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>&,
                                  const RCPtr<LNotification>& notification) override
    {
        if (quit)
        {
            mProblems.Add("a client heard a notification after it unregistered itself");
            return S_OK;
        }
        if (notification->id == InternNotificationName(kSent))
        {
            UnregisterAllNotifications();
            quit = true;
            ++mNestedSends;
            mCenter->SendNotification(LNotification::Create(kNested));
        }
        return S_OK;
    }

    bool quit = false;

private:
    LNotificationDistributor* mCenter;
    Problems& mProblems;
    long& mNestedSends;
};

// A worker: clients registered for a while, posting meanwhile.
void Churn(int worker, const RCPtr<LNotificationCenter>& center, const std::atomic<bool>& stop,
           Problems& problems, std::vector<std::shared_ptr<ChurnRecord>>& records, long& posts)
{
    for (long round = 0; !stop; ++round)
    {
        auto record = std::make_shared<ChurnRecord>();
        RCPtr<ChurnClient> client(new ChurnClient(record, problems));
        client->RegisterNotification(center, kSent);
        client->RegisterNotification(center, kPosted);
        record->registered = Tick();
        for (int i = 0; i < 3; ++i)
        {
            const RCPtr<LRefCountedObject> param(new LHolder<PostNumber>({worker, posts}));
            if (center->PostNotification(LNotification::Create(kPosted, param)) != S_OK)
            {
                problems.Add("a post was refused");
            }
            ++posts;
        }
        // The pump keeps up: the ring never grows far.
        while (center->GetCount() > 1000 && !stop)
        {
            std::this_thread::yield();
        }
        record->unregistering = Tick();
        if (client->UnregisterAllNotifications() != 2)
        {
            problems.Add("a worker's client did not find its two registrations");
        }
        record->unregistered = Tick();
        records.push_back(std::move(record));
        // Released here, maybe while the pumping thread is still calling it.
        client = nullptr;
    }
}

// The stamps of one send: begun, ended.
struct SendStamps
{
    std::uint64_t begun;
    std::uint64_t ended;
};

void CheckChurnRecord(const ChurnRecord& record, const std::vector<SendStamps>& sends,
                      Problems& problems)
{
    if (!record.destroyed)
    {
        problems.Add("a worker's client was never destroyed");
    }
    // Sends run one after another, so their stamps rise with their numbers. Every send that ran
    // wholly inside the registration was heard.
    const auto first = std::partition_point(sends.begin(), sends.end(),
                                            [&](const SendStamps& stamps)
                                            { return stamps.begun <= record.registered; });
    const auto last = std::partition_point(first, sends.end(),
                                           [&](const SendStamps& stamps)
                                           { return stamps.ended < record.unregistering; });
    const long from = static_cast<long>(first - sends.begin());
    const long to = static_cast<long>(last - sends.begin());
    const std::set<long> heard(record.sends.begin(), record.sends.end());
    const auto inside = std::distance(heard.lower_bound(from), heard.lower_bound(to));
    if (inside != to - from)
    {
        problems.Add(std::to_string(to - from - inside) +
                     " send(s) lost for a client registered throughout them");
    }
    // None that began after the unregistration had returned was heard.
    if (!heard.empty() &&
        sends[static_cast<std::size_t>(*heard.rbegin())].begun > record.unregistered)
    {
        problems.Add("a client heard a send that began after it had unregistered");
    }
}
} // namespace

TEST_F(Stress, RegisteringUnregisteringAndPostingWhileThePumpingThreadSends)
{
    LNotification::SetRecycling(true);
    Problems problems;
    const RCPtr<LNotificationCenter> center = LNotificationCenter::Create(L"stress");
    RCPtr<SteadyClient> steady(new SteadyClient(problems));
    steady->RegisterNotification(center, kSent);
    steady->RegisterNotification(center, kPosted);
    RCPtr<LatestClient> latest(new LatestClient(problems));
    latest->RegisterNotification(center, kPosted, LNotificationDistributor::kLatestOnly);

    std::atomic<bool> stop{false};
    std::vector<std::vector<std::shared_ptr<ChurnRecord>>> records(kWorkers);
    std::vector<long> posts(kWorkers, 0);
    std::vector<std::thread> workers;
    for (int worker = 0; worker < kWorkers; ++worker)
    {
        workers.emplace_back(
            [&, worker]
            {
                Churn(worker, center, stop, problems, records[static_cast<std::size_t>(worker)],
                      posts[static_cast<std::size_t>(worker)]);
            });
    }

    // The pumping thread: sends, pumps, and now and then a client that quits while called.
    std::vector<SendStamps> sends;
    long nestedSends = 0;
    std::vector<RCPtr<QuittingClient>> quitters;
    const auto end = std::chrono::steady_clock::now() +
                     std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                         std::chrono::duration<double>(StressSeconds()));
    for (long round = 0; std::chrono::steady_clock::now() < end; ++round)
    {
        if (round % 16 == 0)
        {
            RCPtr<QuittingClient> quitter(new QuittingClient(center.Get(), problems, nestedSends));
            for (const wchar_t* name : {kSent, kPosted, kNested})
            {
                quitter->RegisterNotification(center, name);
            }
            quitters.push_back(quitter);
        }
        for (int i = 0; i < 4; ++i)
        {
            const long number = static_cast<long>(sends.size());
            SendStamps stamps{Tick(), 0};
            center->SendNotification(
                LNotification::Create(kSent, RCPtr<LRefCountedObject>(new LHolder<long>(number))));
            stamps.ended = Tick();
            sends.push_back(stamps);
        }
        center->ProcessNotifications(false);
        if (quitters.size() > 8)
        {
            quitters.erase(quitters.begin());
        }
    }
    stop = true;
    for (std::thread& worker : workers)
    {
        worker.join();
    }
    while (center->ProcessNotifications(false))
    {
    }

    EXPECT_EQ(problems.Count(), 0) << problems.Text();
    // Everything sent and posted reached the steady client once, in order.
    EXPECT_EQ(steady->sends, static_cast<long>(sends.size()));
    EXPECT_EQ(steady->nextPost, posts);
    // The latest-only client ended with the last post.
    EXPECT_EQ(latest->last, steady->last);
    EXPECT_GT(nestedSends, 0);
    for (const RCPtr<QuittingClient>& quitter : quitters)
    {
        EXPECT_TRUE(quitter->quit);
        EXPECT_EQ(quitter->GetRegistrationCount(), 0);
    }
    long clients = 0;
    for (const auto& list : records)
    {
        for (const auto& record : list)
        {
            CheckChurnRecord(*record, sends, problems);
            ++clients;
        }
    }
    EXPECT_EQ(problems.Count(), 0) << problems.Text();
    EXPECT_GT(clients, 0);
    EXPECT_GT(sends.size(), 0u);

    // Only the steady and latest-only registrations are left.
    steady->UnregisterAllNotifications();
    latest->UnregisterAllNotifications();
    EXPECT_EQ(center->GetRegistrationCount(), 0);
    EXPECT_EQ(steady->GetRefCount(), 1);
    EXPECT_EQ(latest->GetRefCount(), 1);
}
