// Suspending one handler while the owner changes its source, and delivering by name.
#include "NotificationTestSupport.h"

#include "notification/AutoNotificationDisabler.h"
#include "notification/NotificationHandler.h"

#include <string>
#include <vector>

using namespace Orv;
using namespace OrvTest;

namespace
{
using Suspending = NotificationTest;

class Listener : public LNotificationClient
{
public:
    Listener()
        : handler(new LNotificationHandler<Listener>(this))
    {
    }

    ORVRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                  const RCPtr<LNotification>& notification) override
    {
        sources.push_back(source.Get());
        return handler->Dispatch(source, notification);
    }

    ORVRESULT OnValue(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>& n)
    {
        values.push_back(ValueOf(n->param.Get()));
        return 1;
    }

    RCPtr<LNotificationHandler<Listener>> handler;
    std::vector<int> values;
    std::vector<const LNotificationDistributor*> sources;
};

void Send(const RCPtr<LNotificationDistributor>& source, int value)
{
    source->SendNotification(
        LNotification::Create(L"NID_SUSPEND_TEST", LHolder<int>::Create(value)));
}
} // namespace

TEST_F(Suspending, DisablerSilencesOnePairForItsScope)
{
    const RCPtr<Listener> listener(new Listener());
    const RCPtr<LNotificationDistributor> child(new LNotificationDistributor());
    const RCPtr<LNotificationDistributor> other(new LNotificationDistributor());
    ASSERT_EQ(listener->handler->SubscribeHandler(&Listener::OnValue, child, L"NID_SUSPEND_TEST"),
              S_OK);
    ASSERT_EQ(listener->handler->SubscribeHandler(&Listener::OnValue, other, L"NID_SUSPEND_TEST"),
              S_OK);
    Send(child, 1);
    {
        CAutoNotificationDisabler<Listener> quiet(listener->handler, child, L"NID_SUSPEND_TEST");
        EXPECT_FALSE(child->IsClientRegistered(listener.Get()));
        Send(child, 2);
        Send(other, 3);
    }
    EXPECT_TRUE(child->IsClientRegistered(listener.Get()));
    Send(child, 4);
    EXPECT_EQ(listener->values, (std::vector<int>{1, 3, 4}));
    EXPECT_EQ(listener->GetRegistrationCount(), 2);
    listener->UnregisterAllNotifications();
}

TEST_F(Suspending, SuspendingWhatIsNotThereFails)
{
    const RCPtr<Listener> listener(new Listener());
    const RCPtr<LNotificationDistributor> source(new LNotificationDistributor());
    LNotificationHandler<Listener>::Handler taken = nullptr;
    EXPECT_EQ(listener->handler->SuspendHandler(source, L"NID_SUSPEND_TEST", taken), E_FAIL);
    EXPECT_FALSE(listener->handler->RemovePending(source, L"NID_SUSPEND_TEST"));
    try
    {
        CAutoNotificationDisabler<Listener> quiet(listener->handler, source, L"NID_SUSPEND_TEST");
        ADD_FAILURE() << "no exception";
    }
    catch (const Exception<FailedResultException>& error)
    {
        EXPECT_EQ(std::string(error.what()).rfind("Failed Result : ORVRESULT = 80004005 : ", 0), 0u)
            << error.what();
    }

    // Suspended once: pending until given back, and then no longer.
    ASSERT_EQ(listener->handler->SubscribeHandler(&Listener::OnValue, source, L"NID_SUSPEND_TEST"),
              S_OK);
    EXPECT_EQ(listener->handler->SuspendHandler(source, L"NID_SUSPEND_TEST", taken), S_OK);
    EXPECT_EQ(taken, &Listener::OnValue);
    EXPECT_EQ(listener->GetRegistrationCount(), 0);
    EXPECT_EQ(listener->handler->SuspendHandler(source, L"NID_SUSPEND_TEST", taken), E_FAIL);
    EXPECT_TRUE(listener->handler->RemovePending(source, L"NID_SUSPEND_TEST"));
    EXPECT_FALSE(listener->handler->RemovePending(source, L"NID_SUSPEND_TEST"));
}

TEST_F(Suspending, DeliverNamedHandsTheNotificationToTheReceiverWithoutSource)
{
    const RCPtr<Listener> listener(new Listener());
    ASSERT_EQ(listener->handler->AddHandler(&Listener::OnValue, L"NID_SUSPEND_TEST"), S_OK);
    EXPECT_EQ(listener->DeliverNamed(L"NID_SUSPEND_TEST", LHolder<int>::Create(9)), 1);
    EXPECT_EQ(listener->DeliverNamed(L"NID_SUSPEND_OTHER", nullptr), S_OK);
    EXPECT_EQ(listener->DeliverNamed(L"", nullptr), E_INVALIDARG);
    EXPECT_EQ(listener->DeliverNamed(nullptr, nullptr), E_INVALIDARG);
    EXPECT_EQ(listener->values, (std::vector<int>{9}));
    EXPECT_EQ(listener->sources, (std::vector<const LNotificationDistributor*>{nullptr, nullptr}));
}
