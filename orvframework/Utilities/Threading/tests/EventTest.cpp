#include "Utilities/Threading/Event.h"
#include "Utilities/Threading/LEvent.h"
#include "Utilities/Threading/TrafficLight.h"
#include "Utilities/Threading/Wrapper.h"

#include "ThreadingTestSupport.h"

#include <gtest/gtest.h>

#include <thread>

using namespace Orv;

TEST(Event, AutoResetReleasesOneWaitPerSet)
{
    Event event(true);
    EXPECT_EQ(event.Wait(0), WAIT_TIMEOUT);
    EXPECT_TRUE(event.Set());
    EXPECT_EQ(event.Wait(0), WAIT_OBJECT_0);
    EXPECT_EQ(event.Wait(0), WAIT_TIMEOUT);
    // IsSet consumes the signal of an auto-reset event.
    event.Set();
    EXPECT_TRUE(event.IsSet());
    EXPECT_FALSE(event.IsSet());

    std::thread setter([&] { event.Set(); });
    EXPECT_EQ(event.Wait(INFINITE), WAIT_OBJECT_0);
    setter.join();
}

TEST(Event, ManualResetStaysSetUntilReset)
{
    Event event(false);
    EXPECT_FALSE(event.IsSet());
    event.Set();
    EXPECT_TRUE(event.IsSet());
    EXPECT_EQ(event.Wait(0), WAIT_OBJECT_0);
    EXPECT_TRUE(event.Reset());
    EXPECT_EQ(event.Wait(0), WAIT_TIMEOUT);
}

TEST(Event, FailedWaitIsNotSet)
{
    Event event(false);
    event.Set();
    // With its handle gone every call fails; a failed wait does not read as "set".
    CloseHandle(event.GetHandle());
    EXPECT_EQ(event.Wait(0), WAIT_FAILED);
    EXPECT_FALSE(event.IsSet());
    EXPECT_FALSE(event.Set());
    EXPECT_FALSE(event.Reset());
}

TEST(TrafficLight, StartsRedAndSwitches)
{
    TrafficLight light;
    EXPECT_FALSE(light.IsSet());
    light.SetGreen();
    EXPECT_TRUE(light.IsSet());
    EXPECT_TRUE(light.IsSet());
    light.SetRed();
    EXPECT_FALSE(light.IsSet());
}

TEST(LEvent, SharedAutoResetEventCrossesThreads)
{
    RCPtr<LEvent> event = LEvent::Create();
    EXPECT_FALSE(event->IsSet());
    RCPtr<LEvent> other = event;
    std::thread setter([other] { other->Set(); });
    EXPECT_EQ(event->Wait(INFINITE), WAIT_OBJECT_0);
    setter.join();
    EXPECT_EQ(event->Wait(0), WAIT_TIMEOUT);
    EXPECT_EQ(event->GetRefCount(), 2);
}

TEST(LWrapper, SharedTrafficLightLivesWithItsLastPointer)
{
    using Light = LWrapper<TrafficLight, LRefCountedObject>;
    ConstRCPtr<Light> light(new Light());
    EXPECT_FALSE(light.GetMutable()->IsSet());
    ConstRCPtr<Light> copy = light;
    light = nullptr;
    copy.GetMutable()->SetGreen();
    EXPECT_TRUE(copy.GetMutable()->IsSet());
    EXPECT_EQ(copy->GetRefCount(), 1);
}
