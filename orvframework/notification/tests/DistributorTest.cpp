// Sending, registering and unregistering at a distributor.
#include "NotificationTestSupport.h"

#include <string>
#include <vector>

using namespace Orv;
using namespace OrvTest;

namespace
{
using Log = std::vector<std::string>;
const wchar_t* const kValueChange = L"NID_VALUE_CHANGE";

// A distributor with three clients registered for "NID_VALUE_CHANGE" in the order A, B, C.
class DistributorTest : public NotificationTest
{
public:
    void SetUp() override
    {
        NotificationTest::SetUp();
        distributor = new LNotificationDistributor();
        for (const char* name : {"A", "B", "C"})
        {
            clients.push_back(MakeClient(name, &log));
            ASSERT_EQ(clients.back()->RegisterNotification(distributor, kValueChange),
                      Id(kValueChange));
        }
    }

    RecordingClient& Client(int index) { return *clients[static_cast<size_t>(index)]; }
    ORVRESULT Send(const wchar_t* name = kValueChange)
    {
        return distributor->SendNotification(LNotification::Create(name));
    }

    Log log;
    RCPtr<LNotificationDistributor> distributor;
    std::vector<RCPtr<RecordingClient>> clients;
};
} // namespace

TEST_F(DistributorTest, SendIsSynchronousAndReachesTheLastRegisteredFirst)
{
    EXPECT_EQ(Send(), S_OK);
    EXPECT_EQ(log, (Log{"C", "B", "A"}));
    // The source is the sending distributor.
    const LNotificationDistributor* source = nullptr;
    Client(0).action = [&](const RCPtr<LNotificationDistributor>& from, const auto&)
    { source = from.Get(); };
    Send();
    EXPECT_EQ(source, distributor.Get());
}

TEST_F(DistributorTest, ClientsChangingRegistrationsDuringDelivery)
{
    struct Case
    {
        const char* what;
        int actor;
        // Run by the actor on its first call.
        std::function<void(DistributorTest&)> change;
        Log first;
        Log second;
    };
    const Case cases[] = {
        {"B unregisters itself",
         1,
         [](DistributorTest& t)
         { t.Client(1).UnregisterNotification(t.distributor, kValueChange); },
         {"C", "B", "A"},
         {"C", "A"}},
        {"C unregisters A",
         2,
         [](DistributorTest& t)
         { t.Client(0).UnregisterNotification(t.distributor, kValueChange); },
         {"C", "B"},
         {"C", "B"}},
        {"C unregisters itself",
         2,
         [](DistributorTest& t)
         { t.Client(2).UnregisterNotification(t.distributor, kValueChange); },
         {"C", "B", "A"},
         {"B", "A"}},
        {"B unregisters C, already called",
         1,
         [](DistributorTest& t)
         { t.Client(2).UnregisterNotification(t.distributor, kValueChange); },
         {"C", "B", "A"},
         {"B", "A"}},
        {"C unregisters A and B",
         2,
         [](DistributorTest& t)
         {
             t.Client(0).UnregisterNotification(t.distributor, kValueChange);
             t.Client(1).UnregisterNotification(t.distributor, kValueChange);
         },
         {"C"},
         {"C"}},
        {"B unregisters everybody",
         1,
         [](DistributorTest& t) { t.distributor->UnregisterAllClients(); },
         {"C", "B"},
         {}},
        {"A registers D, which waits for the next send",
         0,
         [](DistributorTest& t)
         {
             t.clients.push_back(MakeClient("D", &t.log));
             t.clients.back()->RegisterNotification(t.distributor, kValueChange);
         },
         {"C", "B", "A"},
         {"D", "C", "B", "A"}},
        {"C registers D, which waits for the next send",
         2,
         [](DistributorTest& t)
         {
             t.clients.push_back(MakeClient("D", &t.log));
             t.clients.back()->RegisterNotification(t.distributor, kValueChange);
         },
         {"C", "B", "A"},
         {"D", "C", "B", "A"}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        TearDown();
        log.clear();
        clients.clear();
        SetUp();
        bool done = false;
        Client(c.actor).action = [this, &c, &done](const auto&, const auto&)
        {
            if (!done)
            {
                done = true;
                c.change(*this);
            }
        };
        Send();
        EXPECT_EQ(log, c.first);
        log.clear();
        Send();
        EXPECT_EQ(log, c.second);
    }
}

TEST_F(DistributorTest, SendingTheSameNameFromInsideAHandlerReachesEveryone)
{
    // C sends the name again while it is being called: the inner send reaches all three, and
    // the outer one still goes on to B and A.
    bool sent = false;
    Client(2).action = [this, &sent](const auto&, const auto&)
    {
        if (!sent)
        {
            sent = true;
            Send();
        }
    };
    EXPECT_EQ(Send(), S_OK);
    EXPECT_EQ(log, (Log{"C", "C", "B", "A", "B", "A"}));
}

TEST_F(DistributorTest, RegisteringTwiceKeepsOneRegistrationAndTakesTheNewFlags)
{
    const RCPtr<LNotificationReceiver> a(clients[0]);
    EXPECT_EQ(distributor->RegisterClient(a, kValueChange, LNotificationDistributor::kLatestOnly),
              S_FALSE);
    DWORD flags = 0;
    EXPECT_EQ(distributor->GetRegistrationFlags(clients[0].Get(), kValueChange, flags), S_OK);
    EXPECT_EQ(flags, LNotificationDistributor::kLatestOnly);
    EXPECT_EQ(distributor->FindClientPool(Id(kValueChange))->GetFlags(),
              LNotificationDistributor::kLatestOnly);
    // Through the client: still one registration.
    EXPECT_EQ(Client(0).RegisterNotification(distributor, kValueChange), Id(kValueChange));
    EXPECT_EQ(Client(0).GetRegistrationCount(), 1);
    EXPECT_EQ(distributor->GetRegistrationCount(), 3);
    EXPECT_EQ(distributor->GetRegistrationFlags(clients[0].Get(), kValueChange, flags), S_OK);
    EXPECT_EQ(flags, 0u);
    EXPECT_EQ(distributor->FindClientPool(Id(kValueChange))->GetFlags(), 0u);
    Send();
    EXPECT_EQ(log, (Log{"C", "B", "A"}));
}

TEST_F(DistributorTest, ResultsOfSendRegisterAndUnregister)
{
    const RCPtr<LNotificationReceiver> a(clients[0]);
    EXPECT_EQ(distributor->SendNotification(nullptr), E_INVALIDARG);
    EXPECT_EQ(Send(L"NID_NOBODY_LISTENS"), S_FALSE);

    EXPECT_EQ(distributor->RegisterClient(nullptr, kValueChange, 0), E_INVALIDARG);
    EXPECT_EQ(distributor->RegisterClient(a, L"", 0), S_FALSE);
    EXPECT_EQ(distributor->RegisterClient(a, nullptr, 0), S_FALSE);
    EXPECT_EQ(distributor->UnregisterClient(nullptr, kValueChange), E_INVALIDARG);
    EXPECT_EQ(distributor->UnregisterClient(a, L""), E_INVALIDARG);
    EXPECT_EQ(distributor->UnregisterClient(a, L"NID_NOBODY_LISTENS"), S_FALSE);
    DWORD flags = 7;
    EXPECT_EQ(distributor->GetRegistrationFlags(a.Get(), L"NID_NOBODY_LISTENS", flags), E_FAIL);
    EXPECT_EQ(distributor->GetRegistrationFlags(a.Get(), L"", flags), E_FAIL);
    EXPECT_EQ(flags, 7u);

    EXPECT_EQ(Client(0).RegisterNotification(nullptr, kValueChange), nullptr);
    EXPECT_EQ(Client(0).RegisterNotification(distributor, L""), nullptr);
    EXPECT_EQ(Client(0).UnregisterNotification(nullptr, kValueChange), E_INVALIDARG);
    EXPECT_EQ(Client(0).UnregisterNotification(distributor, nullptr), E_INVALIDARG);
    EXPECT_EQ(Client(0).UnregisterNotification(distributor, L"NID_NOBODY_LISTENS"), S_FALSE);
    EXPECT_EQ(Client(0).GetRegistrationCount(), 1);

    // Every client unregistered: the pool stays, empty.
    for (auto& client : clients)
    {
        EXPECT_EQ(client->UnregisterNotification(distributor, kValueChange), S_OK);
    }
    EXPECT_TRUE(distributor->FindClientPool(Id(kValueChange)));
    EXPECT_EQ(Send(), S_FALSE);
    // A client without registrations answers 1 before looking at its arguments.
    EXPECT_EQ(Client(0).UnregisterNotification(distributor, kValueChange), S_FALSE);
    EXPECT_EQ(Client(0).UnregisterNotification(nullptr, nullptr), S_FALSE);
    EXPECT_TRUE(log.empty());
}

TEST_F(DistributorTest, LatestOnlyRegistrationHearsNothingThatIsSent)
{
    auto latest = MakeClient("L", &log);
    latest->RegisterNotification(distributor, kValueChange, LNotificationDistributor::kLatestOnly);
    Send();
    EXPECT_EQ(log, (Log{"C", "B", "A"}));
}

TEST_F(DistributorTest, RegistrationsAreCountedAsInternalReferences)
{
    auto fresh = RCPtr<LNotificationDistributor>(new LNotificationDistributor());
    auto client = MakeClient("X");
    EXPECT_FALSE(LNotificationDistributor::IsListed(fresh.Get()));

    client->RegisterNotification(fresh, L"NID_ONE");
    client->RegisterNotification(fresh, L"NID_TWO");
    // One reference per registration, one for the list of distributors: all internal.
    EXPECT_TRUE(LNotificationDistributor::IsListed(fresh.Get()));
    EXPECT_EQ(fresh->GetRefCount(), 4);
    EXPECT_EQ(fresh->GetInternalRefCount(), 3);
    EXPECT_EQ(client->GetRefCount(), 3);
    EXPECT_EQ(client->GetInternalRefCount(), 2);
    EXPECT_TRUE(fresh->IsClientRegistered(client.Get()));

    EXPECT_EQ(client->UnregisterNotification(fresh, L"NID_ONE"), S_OK);
    EXPECT_TRUE(LNotificationDistributor::IsListed(fresh.Get()));
    EXPECT_EQ(client->UnregisterAllNotifications(), 1);
    EXPECT_FALSE(LNotificationDistributor::IsListed(fresh.Get()));
    EXPECT_FALSE(fresh->IsClientRegistered(client.Get()));
    EXPECT_EQ(fresh->GetRefCount(), 1);
    EXPECT_EQ(fresh->GetInternalRefCount(), 0);
    EXPECT_EQ(client->GetRefCount(), 1);
    EXPECT_EQ(client->GetInternalRefCount(), 0);
    EXPECT_EQ(client->GetRegistrationCount(), 0);
    EXPECT_EQ(client->UnregisterAllNotifications(), 0);
}

TEST_F(DistributorTest, DeliveringToOneClientAtATime)
{
    const RCPtr<LNotificationDistributor::LNotificationClientPool> pool =
        distributor->FindClientPool(Id(kValueChange));
    ASSERT_TRUE(pool);
    const RCPtr<LNotification> notification = LNotification::Create(kValueChange);
    EXPECT_EQ(pool->DeliverToClient(distributor, 1, notification), 1);
    EXPECT_EQ(log, (Log{"B"}));
    // B unregisters A, which stood before it: B's place moves down.
    Client(1).action = [this](const auto&, const auto&)
    { Client(0).UnregisterNotification(distributor, kValueChange); };
    EXPECT_EQ(pool->DeliverToClient(distributor, 1, notification), 0);
    Client(1).action = nullptr;
    EXPECT_EQ(pool->DeliverToClient(distributor, 5, notification), 2);
    EXPECT_EQ(pool->DeliverToClient(distributor, -1, notification), 2);
    EXPECT_EQ(log, (Log{"B", "B"}));
    EXPECT_EQ(pool->FindClient(clients[2].Get()), 1);
    EXPECT_EQ(pool->FindClient(clients[0].Get()), -1);
}

TEST_F(DistributorTest, UnregisteringAllClientsLeavesNone)
{
    // A posting receiver does not take its registration back when asked; it goes all the same.
    bool queueGone = false;
    RCPtr<LNotificationQueue> queue(new TrackedQueue(&queueGone));
    distributor->RegisterClient(queue->GetPostingReceiver(), kValueChange, 0);
    EXPECT_EQ(distributor->GetRegistrationCount(), 4);

    distributor->UnregisterAllClients();
    EXPECT_EQ(distributor->GetRegistrationCount(), 0);
    EXPECT_FALSE(LNotificationDistributor::IsListed(distributor.Get()));
    EXPECT_EQ(distributor->GetInternalRefCount(), 0);
    for (auto& client : clients)
    {
        EXPECT_EQ(client->GetRegistrationCount(), 0);
        EXPECT_EQ(client->GetInternalRefCount(), 0);
        EXPECT_EQ(client->GetRefCount(), 1);
    }
    EXPECT_EQ(Send(), S_FALSE);
    queue = nullptr;
    EXPECT_TRUE(queueGone);
}

TEST_F(DistributorTest, APoolHeldPastItsDistributorTakesNoRegistration)
{
    RCPtr<LNotificationDistributor> other(new LNotificationDistributor());
    auto client = MakeClient("X", &log);
    client->RegisterNotification(other, L"NID_ONE");
    const RCPtr<LNotificationDistributor::LNotificationClientPool> pool =
        other->FindClientPool(Id(L"NID_ONE"));
    ASSERT_TRUE(pool);
    client->UnregisterAllNotifications();
    other = nullptr;
    EXPECT_EQ(pool->AddRegistration(RCPtr<LNotificationReceiver>(client), 0), E_FAIL);
    EXPECT_EQ(pool->GetRegistrationCount(), 0);
    EXPECT_EQ(pool->Deliver(nullptr, LNotification::Create(L"NID_ONE")), S_FALSE);
    EXPECT_TRUE(log.empty());
}
