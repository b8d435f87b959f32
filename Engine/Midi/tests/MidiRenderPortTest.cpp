#include "MidiTestSupport.h"

#include <future>

#include "platform/SimulatedDevices.h"

using Orv::LMidiRenderPort;
using Orv::RCPtr;
using Orv::WString;
using OrvPlatform::SimulatedDevices;
using OrvPlatform::SimulatedMidiPort;
using OrvPlatform::SimulatedMode;
using OrvPlatform::SimulatedUnitConfig;
using OrvTest::ByteArray;
using OrvTest::Bytes;

namespace
{
const Bytes kUpdateModeMessage{0xF0, 0x7D, 0x00, 0x00, 0x01, 0x10, 0x72, 0x00, 0x00, 0xF7};

SimulatedUnitConfig Fast(SimulatedUnitConfig config)
{
    config.updateModeDelay = OrvPlatform::Milliseconds(10);
    config.resetDelay = OrvPlatform::Milliseconds(10);
    return config;
}

std::vector<std::wstring> OpenNames(Orv::LMidiComm& comm)
{
    Orv::WStringArray names;
    comm.ListOpenRenderPortNames(names);
    std::vector<std::wstring> texts;
    for (unsigned int i = 0; i < names.GetCount(); ++i)
    {
        texts.emplace_back(names.GetConstElementPointer(i).GetBuffer());
    }
    return texts;
}
} // namespace

class MidiRenderPortTest : public OrvTest::SimulatedMidiTest
{
};

TEST_F(MidiRenderPortTest, TheUpdateModeMessageReachesTheControllerOnly)
{
    auto controller = SimulatedDevices::AddUnit(Fast(SimulatedUnitConfig::Controller(0x0030)));
    auto wheel = SimulatedDevices::AddUnit(Fast(SimulatedUnitConfig::WheelDisplay(0x0040)));
    auto comm = MakeComm();
    RCPtr<LMidiRenderPort> port;
    ASSERT_EQ(comm->OpenRenderPort(WString(L"Halvex DJ Brelune VANTA"), port), S_OK);
    ASSERT_TRUE(port);
    EXPECT_STREQ(port->GetDeviceName().GetBuffer(), L"Halvex DJ Brelune VANTA");
    EXPECT_EQ(comm->SendBytes(port, ByteArray(kUpdateModeMessage)), 10);

    EXPECT_EQ(controller->MidiPort()->Received(), std::vector<Bytes>{kUpdateModeMessage});
    EXPECT_TRUE(wheel->MidiPort()->Received().empty());
    EXPECT_TRUE(controller->WaitForMode(SimulatedMode::Bootloader, std::chrono::seconds(2)));
    EXPECT_EQ(wheel->Mode(), SimulatedMode::Normal);
}

TEST_F(MidiRenderPortTest, AnEqualNameWinsAndTwoContainingNamesAreRefused)
{
    auto prefixed = SimulatedDevices::AddMidiPort(L"USB Halvex DJ Brelune VANTA", true, false);
    auto controller = SimulatedDevices::AddUnit(Fast(SimulatedUnitConfig::Controller(0x0030)));
    auto comm = MakeComm();

    RCPtr<LMidiRenderPort> port;
    ASSERT_EQ(comm->OpenRenderPort(WString(L"halvex dj brelune vanta"), port), S_OK);
    EXPECT_EQ(comm->SendBytes(port, ByteArray({0x90, 0x3C, 0x7F})), 3);
    EXPECT_EQ(controller->MidiPort()->Received().size(), 1u);
    EXPECT_TRUE(prefixed->Received().empty());
    port = nullptr;

    // Without the equal name, two ports contain the text: refused, nothing opened or sent.
    SimulatedDevices::Remove(controller);
    auto other = SimulatedDevices::AddMidiPort(L"Halvex DJ Brelune VANTA MIDI 2", true, false);
    port = new LMidiRenderPort(WString(L"stale"), comm);
    EXPECT_EQ(comm->OpenRenderPort(WString(L"Halvex DJ Brelune VANTA"), port), E_INVALIDARG);
    EXPECT_FALSE(port);
    EXPECT_EQ(comm->SendBytes(port, ByteArray(kUpdateModeMessage)), E_INVALIDARG);
    EXPECT_TRUE(OpenNames(*comm).empty());
    EXPECT_TRUE(prefixed->Received().empty());
    EXPECT_TRUE(other->Received().empty());

    // A text that only one of them contains opens that one.
    ASSERT_EQ(comm->OpenRenderPort(WString(L"USB Halvex"), port), E_FAIL)
        << "the device's name must end with the text";
    ASSERT_EQ(comm->OpenRenderPort(WString(L"DJ Brelune VANTA MIDI 2"), port), S_OK);
    EXPECT_EQ(comm->SendBytes(port, ByteArray({0xC0, 0x05})), 2);
    EXPECT_EQ(other->Received(), std::vector<Bytes>{Bytes({0xC0, 0x05})});

    // No device at all.
    EXPECT_EQ(comm->OpenRenderPort(WString(L"Drums"), port), E_FAIL);
    EXPECT_FALSE(port);
    EXPECT_EQ(comm->OpenRenderPort(WString(), port), E_INVALIDARG) << "an empty text is in all";
}

TEST_F(MidiRenderPortTest, SuffixesSelectAmongDevicesOfOneName)
{
    auto first = SimulatedDevices::AddMidiPort(L"Synth", true, false);
    SimulatedDevices::AddMidiPort(L"Keys", true, false);
    auto second = SimulatedDevices::AddMidiPort(L"Synth", true, false);
    auto comm = MakeComm();

    Orv::WStringArray listed;
    Orv::LMidiComm::ListRenderPortNames(listed);
    ASSERT_EQ(listed.GetCount(), 3u);
    EXPECT_STREQ(listed.GetConstElementPointer(0).GetBuffer(), L"Synth (1)");
    EXPECT_STREQ(listed.GetConstElementPointer(1).GetBuffer(), L"Synth (2)");
    EXPECT_STREQ(listed.GetConstElementPointer(2).GetBuffer(), L"Keys");

    RCPtr<LMidiRenderPort> port;
    ASSERT_EQ(comm->OpenRenderPort(WString(L"Synth (2)"), port), S_OK);
    EXPECT_EQ(comm->SendBytes(port, ByteArray({0xF8})), 1);
    EXPECT_TRUE(first->Received().empty());
    EXPECT_EQ(second->Received().size(), 1u);

    // A third device of that name does not exist.
    RCPtr<LMidiRenderPort> third(new LMidiRenderPort(WString(L"Synth (3)"), comm));
    EXPECT_EQ(third->Open(), MMSYSERR_NODRIVER);
    EXPECT_EQ(comm->OpenRenderPort(WString(L"Synth (3)"), port), E_FAIL);
}

TEST_F(MidiRenderPortTest, OpenPortsAreSharedByEqualNamesAndLeaveTheListWithTheirLastUser)
{
    auto synth = SimulatedDevices::AddMidiPort(L"Synth", true, false);
    auto comm = MakeComm();
    // A text only contained in the listed name finds no open port under that name: each open
    // makes a further port on the same device.
    RCPtr<LMidiRenderPort> c;
    RCPtr<LMidiRenderPort> d;
    ASSERT_EQ(comm->OpenRenderPort(WString(L"ynth"), c), S_OK);
    ASSERT_EQ(comm->OpenRenderPort(WString(L"ynth"), d), S_OK);
    EXPECT_NE(c.Get(), d.Get());
    // The listed name itself, in any case, gives one port.
    RCPtr<LMidiRenderPort> a;
    RCPtr<LMidiRenderPort> b;
    ASSERT_EQ(comm->OpenRenderPort(WString(L"Synth"), a), S_OK);
    ASSERT_EQ(comm->OpenRenderPort(WString(L"SYNTH"), b), S_OK);
    EXPECT_EQ(a.Get(), b.Get());
    EXPECT_EQ(a->GetInternalRefCount(), 1);
    EXPECT_EQ(OpenNames(*comm), (std::vector<std::wstring>{L"ynth", L"ynth", L"Synth"}));

    b = nullptr;
    EXPECT_EQ(OpenNames(*comm).size(), 3u);
    a = nullptr;
    d = nullptr;
    EXPECT_EQ(OpenNames(*comm), std::vector<std::wstring>{L"ynth"});
    c = nullptr;
    EXPECT_TRUE(OpenNames(*comm).empty());

    // Each port holds its communicator: the port still works after the caller let go of it.
    ASSERT_EQ(comm->OpenRenderPort(WString(L"Synth"), a), S_OK);
    comm = nullptr;
    EXPECT_EQ(LMidiRenderPort::SendToPort(a, "\x90\x40\x10", 3), 3);
    EXPECT_EQ(synth->Received().size(), 1u);
}

TEST_F(MidiRenderPortTest, ShortMessagesSystemExclusiveBlocksAndBadArguments)
{
    auto synth = SimulatedDevices::AddMidiPort(L"Synth", true, false);
    auto comm = MakeComm();
    RCPtr<LMidiRenderPort> port;
    ASSERT_EQ(comm->OpenRenderPort(WString(L"Synth"), port), S_OK);

    EXPECT_EQ(comm->SendBytes(port, ByteArray({0x90, 0x3C, 0x7F})), 3);
    EXPECT_EQ(comm->SendBytes(port, ByteArray({0xC0, 0x05})), 2);
    // Bytes past the message's length are not sent.
    EXPECT_EQ(comm->SendBytes(port, ByteArray({0xF8, 0x11, 0x22})), 1);
    Orv::ConstRCPtr<Orv::LIBuffer> buffer;
    Orv::StringBuffer::Create(buffer, 10, 0, false);
    std::memcpy(buffer->GetData(), kUpdateModeMessage.data(), kUpdateModeMessage.size());
    EXPECT_EQ(comm->SendBuffer(port, Orv::RCPtr<Orv::LIBuffer>(buffer)), 10);
    const std::vector<Bytes> expected{{0x90, 0x3C, 0x7F}, {0xC0, 0x05}, {0xF8}, kUpdateModeMessage};
    EXPECT_EQ(synth->Received(), expected);

    EXPECT_EQ(comm->SendBytes(nullptr, ByteArray(kUpdateModeMessage)), E_INVALIDARG);
    EXPECT_EQ(comm->SendBytes(port, ByteArray({})), E_INVALIDARG);
    EXPECT_EQ(comm->SendBuffer(port, nullptr), E_INVALIDARG);
    // Another kind of object is no port.
    EXPECT_EQ(LMidiRenderPort::SendToPort(comm, "\x90\x40\x10", 3), E_INVALIDARG);
    EXPECT_EQ(synth->Received().size(), 4u);
}

TEST_F(MidiRenderPortTest, ABlockNotPlayedInTimeIsCancelledAndFails)
{
    auto synth = SimulatedDevices::AddMidiPort(L"Synth", true, false);
    auto comm = MakeComm();
    RCPtr<LMidiRenderPort> port;
    ASSERT_EQ(comm->OpenRenderPort(WString(L"Synth"), port), S_OK);

    synth->SetHold(true);
    {
        // The bytes live only for the send: the port must be done with them when it returns.
        auto bytes = ByteArray(kUpdateModeMessage);
        auto sending = std::async(std::launch::async, [&] { return comm->SendBytes(port, bytes); });
        ASSERT_TRUE(clock->WaitForWaiters(1));
        // The send waits the whole time-out, not a moment less.
        clock->Advance(LMidiRenderPort::kDefaultSendTimeout - 1);
        EXPECT_EQ(sending.wait_for(std::chrono::milliseconds(20)), std::future_status::timeout);
        clock->Advance(1);
        EXPECT_EQ(sending.get(), E_FAIL);
    }
    synth->SetHold(false);
    EXPECT_TRUE(synth->Received().empty());

    // The port is ready again at once: the next send waits for nothing but its block.
    EXPECT_EQ(comm->SendBytes(port, ByteArray(kUpdateModeMessage)), 10);
    EXPECT_EQ(clock->GetMilliseconds(), LMidiRenderPort::kDefaultSendTimeout);
    EXPECT_EQ(synth->Received(), std::vector<Bytes>{kUpdateModeMessage});
}

TEST_F(MidiRenderPortTest, APortWhoseDeviceLeftIsReopenedWhenItIsBack)
{
    auto controller = SimulatedDevices::AddUnit(Fast(SimulatedUnitConfig::Controller(0x0030)));
    auto comm = MakeComm();
    RCPtr<LMidiRenderPort> port;
    ASSERT_EQ(comm->OpenRenderPort(WString(L"Halvex DJ Brelune VANTA"), port), S_OK);
    controller->Unplug();
    EXPECT_EQ(comm->SendBytes(port, ByteArray(kUpdateModeMessage)), E_FAIL);
    RCPtr<LMidiRenderPort> again;
    EXPECT_EQ(comm->OpenRenderPort(WString(L"Halvex DJ Brelune VANTA"), again), E_FAIL);

    controller->Plug(SimulatedMode::Normal);
    ASSERT_EQ(comm->OpenRenderPort(WString(L"Halvex DJ Brelune VANTA"), again), S_OK);
    EXPECT_EQ(again.Get(), port.Get());
    EXPECT_EQ(comm->SendBytes(port, ByteArray({0x90, 0x3C, 0x7F})), 3);
    EXPECT_EQ(controller->MidiPort()->Received().size(), 1u);
}
