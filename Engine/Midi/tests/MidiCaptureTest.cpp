#include "MidiTestSupport.h"

#include "NotificationPump.h"
#include "ThreadQuiescence.h"

using Orv::LMidiCaptureNotificationData;
using Orv::LMidiCapturePort;
using Orv::RCPtr;
using Orv::WString;
using OrvPlatform::SimulatedDevices;
using OrvTest::Bytes;
using OrvTest::CaptureRecorder;
using OrvTest::StatusFilter;

namespace
{
// A system-exclusive message of the given total length (F0, data, F7).
Bytes SystemExclusive(std::size_t length, std::uint8_t seed)
{
    Bytes bytes(length);
    bytes.front() = 0xF0;
    for (std::size_t i = 1; i + 1 < length; ++i)
    {
        bytes[i] = static_cast<std::uint8_t>((i * 13 + seed) & 0x7F);
    }
    bytes.back() = 0xF7;
    return bytes;
}

RCPtr<CaptureRecorder> Register(Orv::LMidiComm& comm)
{
    RCPtr<CaptureRecorder> recorder(new CaptureRecorder());
    EXPECT_NE(recorder->RegisterNotification(RCPtr<Orv::LNotificationDistributor>(&comm),
                                             Orv::LMidiCommInterface::kMidiDataCaptured),
              nullptr);
    return recorder;
}
} // namespace

class MidiCaptureTest : public OrvTest::SimulatedMidiTest
{
protected:
    void SetUp() override
    {
        SimulatedMidiTest::SetUp();
        mDevice = SimulatedDevices::AddMidiPort(L"Pad Controller", false, true);
        mComm = MakeComm();
        ASSERT_EQ(mComm->OpenCapturePort(WString(L"pad controller"), mPort), S_OK);
        ASSERT_TRUE(mPort);
    }
    void TearDown() override
    {
        mPort = nullptr;
        // Captured data still in flight holds the communicator: it goes when the worker is done
        // with it, so that the last reference is this one and the pool's threads can be waited
        // for when it goes.
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (mComm && mComm->GetRefCount() > 1 && std::chrono::steady_clock::now() < end)
        {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        EXPECT_EQ(mComm->GetRefCount(), 1);
        mComm = nullptr;
        SimulatedMidiTest::TearDown();
    }

    std::shared_ptr<OrvPlatform::SimulatedMidiPort> mDevice;
    RCPtr<Orv::LMidiComm> mComm;
    RCPtr<LMidiCapturePort> mPort;
};

TEST_F(MidiCaptureTest, ShortMessagesReachTheReceiversOnTheWorker)
{
    auto first = Register(*mComm);
    auto second = Register(*mComm);
    ASSERT_TRUE(mDevice->SendToHost({0x90, 0x3C, 0x7F}));
    ASSERT_TRUE(mDevice->SendToHost({0xC0, 0x05}));
    ASSERT_TRUE(mDevice->SendToHost({0xF8}));
    // Running status: the layer gives the whole message.
    ASSERT_TRUE(mDevice->SendToHost({0x90, 0x40, 0x10, 0x41, 0x11}));

    const auto messages = first->WaitFor(5);
    ASSERT_EQ(messages.size(), 5u);
    const std::vector<Bytes> expected{
        {0x90, 0x3C, 0x7F}, {0xC0, 0x05}, {0xF8}, {0x90, 0x40, 0x10}, {0x90, 0x41, 0x11}};
    for (std::size_t i = 0; i < expected.size(); ++i)
    {
        EXPECT_EQ(messages[i].bytes, expected[i]) << i;
        EXPECT_EQ(messages[i].portName, L"pad controller");
        EXPECT_EQ(messages[i].port, mPort.Get());
        EXPECT_NE(messages[i].thread, std::this_thread::get_id());
    }
    for (std::size_t i = 1; i < messages.size(); ++i)
    {
        EXPECT_GE(messages[i].timeStamp, messages[i - 1].timeStamp);
    }
    EXPECT_EQ(second->WaitFor(5).size(), 5u);
    EXPECT_EQ(first->Ids().front(), Orv::InternNotificationName(L"NID_MIDI_DATA_CAPTURED"));
}

TEST_F(MidiCaptureTest, SystemExclusiveMessagesAreAssembledAcrossBuffers)
{
    auto recorder = Register(*mComm);
    const Bytes long1 = SystemExclusive(600, 1);  // 256 + 256 + 88
    const Bytes exact = SystemExclusive(256, 2);  // one full buffer ending in F7
    const Bytes long2 = SystemExclusive(1000, 3); // more buffers than the port has
    const Bytes small = SystemExclusive(10, 4);
    for (const Bytes* message : {&long1, &exact, &long2, &small})
    {
        ASSERT_TRUE(mDevice->SendToHost(*message));
    }
    ASSERT_TRUE(mDevice->SendToHost({0x80, 0x3C, 0x00}));

    const auto messages = recorder->WaitFor(5);
    ASSERT_EQ(messages.size(), 5u);
    EXPECT_EQ(messages[0].bytes, long1);
    EXPECT_EQ(messages[1].bytes, exact);
    EXPECT_EQ(messages[2].bytes, long2);
    EXPECT_EQ(messages[3].bytes, small);
    EXPECT_EQ(messages[4].bytes, (Bytes{0x80, 0x3C, 0x00}));
    for (std::size_t i = 0; i < 4; ++i)
    {
        EXPECT_EQ(messages[i].timeStamp, 0u) << i;
    }
}

TEST_F(MidiCaptureTest, AMessageBrokenOffIsDroppedWhole)
{
    auto recorder = Register(*mComm);
    Bytes broken = SystemExclusive(400, 5);
    broken.pop_back();
    broken.push_back(0x90); // a status byte ends the message early
    broken.push_back(0x3C);
    broken.push_back(0x7F);
    ASSERT_TRUE(mDevice->SendToHost(broken));
    const Bytes next = SystemExclusive(300, 6);
    ASSERT_TRUE(mDevice->SendToHost(next));

    const auto messages = recorder->WaitFor(2);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].bytes, (Bytes{0x90, 0x3C, 0x7F}));
    EXPECT_EQ(messages[1].bytes, next);
}

TEST_F(MidiCaptureTest, FiltersPickTheMessagesOfTheirReceiver)
{
    auto all = Register(*mComm);
    auto notesOnly = Register(*mComm);
    RCPtr<StatusFilter> filter(new StatusFilter(0x90));
    const RCPtr<Orv::LNotificationReceiver> receiver(notesOnly.Get());
    EXPECT_EQ(mComm->SetFilter(receiver, filter), S_OK);
    // The communicator keeps a copy, and hands out copies.
    RCPtr<Orv::LIMidiFilter> got;
    EXPECT_EQ(mComm->GetFilter(got, receiver), S_OK);
    ASSERT_TRUE(got);
    EXPECT_NE(got.Get(), filter.Get());
    EXPECT_EQ(dynamic_cast<StatusFilter*>(got.Get())->Status(), 0x90);

    ASSERT_TRUE(mDevice->SendToHost({0xC0, 0x05}));
    ASSERT_TRUE(mDevice->SendToHost({0x90, 0x3C, 0x7F}));
    ASSERT_TRUE(mDevice->SendToHost({0xB0, 0x07, 0x64}));
    EXPECT_EQ(all->WaitFor(3).size(), 3u);
    const auto notes = notesOnly->Messages();
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0].bytes, (Bytes{0x90, 0x3C, 0x7F}));
    EXPECT_EQ(filter->asked.load(), 0) << "the table's own copy decides";

    // Replaced, then removed.
    EXPECT_EQ(mComm->SetFilter(receiver, RCPtr<StatusFilter>(new StatusFilter(0xB0))), S_OK);
    ASSERT_TRUE(mDevice->SendToHost({0x90, 0x3C, 0x7F}));
    ASSERT_TRUE(mDevice->SendToHost({0xB0, 0x07, 0x00}));
    EXPECT_EQ(all->WaitFor(5).size(), 5u);
    EXPECT_EQ(notesOnly->Messages().size(), 2u);
    EXPECT_EQ(notesOnly->Messages().back().bytes, (Bytes{0xB0, 0x07, 0x00}));

    EXPECT_EQ(mComm->SetFilter(receiver, nullptr), S_OK);
    EXPECT_EQ(mComm->GetFilter(got, receiver), S_OK);
    EXPECT_FALSE(got);
    ASSERT_TRUE(mDevice->SendToHost({0xC0, 0x01}));
    EXPECT_EQ(all->WaitFor(6).size(), 6u);
    EXPECT_EQ(notesOnly->WaitFor(3).size(), 3u);
}

TEST_F(MidiCaptureTest, DispatchWithoutReceiversAndThePostTarget)
{
    RCPtr<LMidiCaptureNotificationData> data(
        new LMidiCaptureNotificationData(mPort.Get(), WString(L"x"), 0));
    EXPECT_EQ(mComm->DispatchCapturedData(data), S_FALSE);

    // Captured data is posted to the target's queue too, delivered where it is pumped.
    auto center = Orv::GetApplicationNotificationCenter();
    RCPtr<CaptureRecorder> posted(new CaptureRecorder());
    posted->RegisterNotification(RCPtr<Orv::LNotificationDistributor>(center.Get()),
                                 Orv::LMidiCommInterface::kMidiDataCaptured);
    mComm->SetPostTarget(center);
    auto recorder = Register(*mComm);
    ASSERT_TRUE(mDevice->SendToHost({0x90, 0x3C, 0x7F}));
    ASSERT_EQ(recorder->WaitFor(1).size(), 1u);
    ASSERT_TRUE(OrvTest::PumpUntil([&] { return posted->Messages().size() == 1; }));
    EXPECT_EQ(posted->Messages()[0].bytes, (Bytes{0x90, 0x3C, 0x7F}));
    EXPECT_EQ(posted->Messages()[0].thread, std::this_thread::get_id());
    mComm->SetPostTarget(nullptr);
    posted->UnregisterAllNotifications();
}

TEST_F(MidiCaptureTest, AClosedPortTakesNoMoreInputAndLeavesTheListWithItsLastUser)
{
    auto recorder = Register(*mComm);
    ASSERT_TRUE(mDevice->SendToHost({0x90, 0x3C, 0x7F}));
    ASSERT_EQ(recorder->WaitFor(1).size(), 1u);

    // Closing in the middle of a message: its part is not delivered, no buffer is requeued.
    Bytes part = SystemExclusive(300, 7);
    part.pop_back();
    ASSERT_TRUE(mDevice->SendToHost(part));
    // The part has been taken in when every thread of the input sleeps again.
    ASSERT_TRUE(OrvTest::WaitUntilOtherThreadsSleep());
    mPort->Close();
    EXPECT_FALSE(mPort->IsOpen());
    mDevice->SendToHost({0xF7, 0x90, 0x3C, 0x00});
    ASSERT_TRUE(OrvTest::WaitUntilOtherThreadsSleep());
    EXPECT_EQ(recorder->Messages().size(), 1u);

    Orv::WStringArray names;
    mComm->ListOpenCapturePortNames(names);
    ASSERT_EQ(names.GetCount(), 1u);
    EXPECT_STREQ(names.GetConstElementPointer(0).GetBuffer(), L"pad controller");
    mPort = nullptr;
    mComm->ListOpenCapturePortNames(names);
    EXPECT_EQ(names.GetCount(), 0u);

    // Opened again, input flows again.
    ASSERT_EQ(mComm->OpenCapturePort(WString(L"Pad Controller"), mPort), S_OK);
    ASSERT_TRUE(mDevice->SendToHost({0x90, 0x3D, 0x7F}));
    const auto messages = recorder->WaitFor(2);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[1].bytes, (Bytes{0x90, 0x3D, 0x7F}));
    EXPECT_EQ(messages[1].portName, L"Pad Controller");
}
