// The engine's notifications reach the user-interface thread through the "application" center,
// with their payloads, also when the worker posts them.
#include "EngineTestSupport.h"
#include "NotificationPump.h"
#include "UpdateNotificationData.h"
#include "notification/Notification.h"
#include "notification/NotificationCenterManager.h"
#include "notification/NotificationClient.h"

#include <gtest/gtest.h>

#include <thread>

using namespace OrvTest;
using OrvPlatform::SimulatedMode;
using Engine = LUpdateEngineInterface;

namespace
{
struct Received
{
    std::wstring name;
    Orv::RCPtr<Orv::LRefCountedObject> param;
    std::thread::id thread;
};

class EngineWatcher : public Orv::LNotificationClient
{
public:
    void Subscribe()
    {
        const auto center = Orv::GetApplicationNotificationCenter();
        for (const wchar_t* name :
             {Engine::kDeviceStateChange, Engine::kFirmwareFileStateChange,
              Engine::kFirmwareUpdateProgress, Engine::kFirmwareUpdateCompleted,
              Engine::kFoundDeviceListChange})
        {
            RegisterNotification(center, name);
        }
    }

    Orv::ORVRESULT ReceiveNotification(const Orv::RCPtr<Orv::LNotificationDistributor>&,
                                       const Orv::RCPtr<Orv::LNotification>& notification) override
    {
        received.push_back({notification->id, notification->param, std::this_thread::get_id()});
        return S_OK;
    }

    // The received notifications of the name, with their payloads of the type.
    template <class Payload>
    std::vector<const Payload*> Payloads(const wchar_t* name) const
    {
        std::vector<const Payload*> payloads;
        for (const Received& r : received)
        {
            if (r.name == name)
            {
                payloads.push_back(dynamic_cast<const Payload*>(r.param.Get()));
                EXPECT_NE(payloads.back(), nullptr);
            }
        }
        return payloads;
    }

    std::vector<Received> received;
};

class NotificationsTest : public SimulatedBusTest
{
protected:
    void SetUp() override
    {
        SimulatedBusTest::SetUp();
        Orv::ReleaseNotificationCenterManager();
        watcher = Orv::RCPtr<EngineWatcher>(new EngineWatcher());
        watcher->Subscribe();
    }
    void TearDown() override
    {
        watcher->UnregisterAllNotifications();
        watcher = nullptr;
        Orv::ReleaseNotificationCenterManager();
        SimulatedBusTest::TearDown();
    }

    Orv::RCPtr<EngineWatcher> watcher;
};
} // namespace

TEST_F(NotificationsTest, ADownloadIsToldStepByStepOnThePumpingThread)
{
    auto unit = SimulatedDevices::AddUnit(
        FastUnit(SimulatedUnitConfig::WheelDisplay(0x0040), SimulatedMode::Bootloader));
    TempFile file("notified.dfu");
    const std::uint32_t size = 8 * 2048;
    file.Write(DfuSeFile(kApplicationStart, ImageData(0x0050, size)));

    auto engine = LUpdateEngine::Create();
    engine->SetDeviceDefinitions(Definitions({MakeDefinition(0xB010)}));
    engine->SetFirmwareFile(file.WidePath(), Engine::VersionInfo());
    ASSERT_EQ(engine->Rescan(), S_OK);
    ASSERT_EQ(engine->StartDownload(), S_OK);
    ASSERT_EQ(engine->WaitForTask(30000), S_OK);
    ASSERT_EQ(engine->GetUpdateResult(false), Engine::kUpdateCompleted);

    // Posted, not sent: nothing arrives before the queue is pumped.
    EXPECT_TRUE(watcher->received.empty());
    ASSERT_TRUE(PumpUntil(
        [&]
        {
            return !watcher
                        ->Payloads<Orv::LFirmwareUpdateCompletedNotificationData>(
                            Engine::kFirmwareUpdateCompleted)
                        .empty();
        }));
    for (const Received& r : watcher->received)
    {
        EXPECT_EQ(r.thread, std::this_thread::get_id());
    }

    const auto files = watcher->Payloads<Orv::LFirmwareFileStateChangeNotificationData>(
        Engine::kFirmwareFileStateChange);
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0]->GetNewState(), Engine::kFileVersionKnown);
    EXPECT_EQ(files[0]->GetOldState(), Engine::kFileNone);

    const auto states =
        watcher->Payloads<Orv::LDeviceStateChangeNotificationData>(Engine::kDeviceStateChange);
    ASSERT_GE(states.size(), 3u);
    EXPECT_EQ(states[0]->GetNewState(), Engine::kDeviceNotFound);
    EXPECT_EQ(states[0]->GetOldState(), Engine::kDeviceNotDefined);
    EXPECT_EQ(states[1]->GetNewState(), Engine::kDeviceUpdateMode);
    EXPECT_EQ(states[2]->GetNewState(), Engine::kDeviceUpdating);
    EXPECT_EQ(states[2]->GetOldState(), Engine::kDeviceUpdateMode);
    EXPECT_EQ(states.back()->GetNewState(), engine->GetDeviceState());

    const auto progress = watcher->Payloads<Orv::LFirmwareUpdateProgressNotificationData>(
        Engine::kFirmwareUpdateProgress);
    ASSERT_EQ(progress.size(),
              2u + 8u); // two sectors counted (the second ends the erase), 8 blocks
    for (std::size_t i = 0; i < progress.size(); ++i)
    {
        EXPECT_EQ(progress[i]->GetImageIndex(), 0u);
        EXPECT_EQ(progress[i]->GetValue(), -1);
        EXPECT_TRUE(progress[i]->GetFlagA());
        EXPECT_FALSE(progress[i]->GetFlagB());
        EXPECT_TRUE(progress[i]->GetText().IsEmpty());
        EXPECT_GE(progress[i]->GetFraction(), 0.0);
        EXPECT_LT(progress[i]->GetFraction(), 1.0);
        if (i > 0)
        {
            EXPECT_GT(progress[i]->GetFraction(), progress[i - 1]->GetFraction());
        }
    }

    const auto completions = watcher->Payloads<Orv::LFirmwareUpdateCompletedNotificationData>(
        Engine::kFirmwareUpdateCompleted);
    ASSERT_EQ(completions.size(), 1u);
    EXPECT_TRUE(completions[0]->GetSuccess());
    // The completion is the last word of the download.
    EXPECT_TRUE(watcher->received.back().name == Engine::kFirmwareUpdateCompleted);
}

TEST_F(NotificationsTest, AFailedDownloadCompletesWithFalse)
{
    auto unit = SimulatedDevices::AddUnit(
        FastUnit(SimulatedUnitConfig::Controller(0x0030), SimulatedMode::Bootloader));
    TempFile file("failed.dfu");
    file.Write(DfuSeFile(kApplicationStart, ImageData(0x0031, 4096)));
    auto engine = LUpdateEngine::Create();
    engine->SetDeviceDefinitions(Definitions({MakeDefinition(0x8010)}));
    engine->SetFirmwareFile(file.WidePath(), Engine::VersionInfo());
    ASSERT_EQ(engine->Rescan(), S_OK);
    unit->Unplug();
    ASSERT_EQ(engine->StartDownload(), S_OK);
    ASSERT_EQ(engine->WaitForTask(30000), S_OK);

    ASSERT_TRUE(PumpUntil(
        [&]
        {
            return !watcher
                        ->Payloads<Orv::LFirmwareUpdateCompletedNotificationData>(
                            Engine::kFirmwareUpdateCompleted)
                        .empty();
        }));
    const auto completions = watcher->Payloads<Orv::LFirmwareUpdateCompletedNotificationData>(
        Engine::kFirmwareUpdateCompleted);
    ASSERT_EQ(completions.size(), 1u);
    EXPECT_FALSE(completions[0]->GetSuccess());
    const auto states =
        watcher->Payloads<Orv::LDeviceStateChangeNotificationData>(Engine::kDeviceStateChange);
    EXPECT_EQ(states.back()->GetNewState(), Engine::kDeviceFailed);
    EXPECT_EQ(states.back()->GetOldState(), Engine::kDeviceUpdating);
}

TEST_F(NotificationsTest, TheDeviceListChangeCarriesNoPayload)
{
    auto engine = LUpdateEngine::Create();
    engine->PostDeviceListChange();
    ASSERT_TRUE(PumpUntil([&] { return !watcher->received.empty(); }));
    ASSERT_EQ(watcher->received.size(), 1u);
    EXPECT_TRUE(watcher->received[0].name == Engine::kFoundDeviceListChange);
    EXPECT_TRUE(watcher->received[0].param.IsNull());
}

TEST_F(NotificationsTest, PayloadsDescribeThemselves)
{
    EXPECT_TRUE(Orv::LDeviceStateChangeNotificationData::Create(5, 3)->ToString() ==
                Orv::WString(L"device state 5 (was 3)"));
    EXPECT_TRUE(Orv::LFirmwareFileStateChangeNotificationData::Create(3, 1)->ToString() ==
                Orv::WString(L"file state 3 (was 1)"));
    EXPECT_TRUE(Orv::LFirmwareUpdateCompletedNotificationData::Create(true)->ToString() ==
                Orv::WString(L"update completed: success"));
    EXPECT_TRUE(Orv::LFirmwareUpdateProgressNotificationData::Create(0, 0.5, -1, true, false,
                                                                     Orv::WString())
                    ->ToString() == Orv::WString(L"image 0 progress 0.500000"));
}
