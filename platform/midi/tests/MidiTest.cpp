#include "platform/Midi.h"
#include "MidiCommon.h"
#include "platform/Kernel.h"
#include "platform/SimulatedDevices.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace OrvPlatform;

namespace
{
struct Call
{
    UINT message;
    DWORD_PTR param1;
    DWORD_PTR param2;
    std::thread::id thread;
    std::vector<std::uint8_t> data; // for a returned buffer: its recorded bytes
};

// Collects the callbacks of one handle.
class Calls
{
public:
    static void CALLBACK Proc(HANDLE, UINT message, DWORD_PTR instance, DWORD_PTR param1,
                              DWORD_PTR param2)
    {
        auto* self = reinterpret_cast<Calls*>(instance);
        Call call{message, param1, param2, std::this_thread::get_id(), {}};
        if (message == MIM_LONGDATA || message == MIM_LONGERROR)
        {
            const auto* header = reinterpret_cast<const MIDIHDR*>(param1);
            call.data.assign(header->lpData, header->lpData + header->dwBytesRecorded);
        }
        std::lock_guard lock(self->mMutex);
        self->mCalls.push_back(std::move(call));
        self->mChanged.notify_all();
    }

    // Waits until `count` calls of the message have come; all calls so far.
    std::vector<Call> WaitFor(UINT message, std::size_t count = 1)
    {
        std::unique_lock lock(mMutex);
        mChanged.wait_for(lock, std::chrono::seconds(5),
                          [&]
                          {
                              std::size_t n = 0;
                              for (const auto& c : mCalls)
                              {
                                  n += c.message == message;
                              }
                              return n >= count;
                          });
        return mCalls;
    }
    std::vector<Call> Of(UINT message)
    {
        std::lock_guard lock(mMutex);
        std::vector<Call> result;
        for (const auto& c : mCalls)
        {
            if (c.message == message)
            {
                result.push_back(c);
            }
        }
        return result;
    }
    std::vector<Call> All()
    {
        std::lock_guard lock(mMutex);
        return mCalls;
    }
    void Clear()
    {
        std::lock_guard lock(mMutex);
        mCalls.clear();
    }

private:
    std::mutex mMutex;
    std::condition_variable mChanged;
    std::vector<Call> mCalls;
};

DWORD_PTR ProcAddress()
{
    return reinterpret_cast<DWORD_PTR>(&Calls::Proc);
}

class SimulatedMidi : public ::testing::Test
{
protected:
    void SetUp() override
    {
        SimulatedDevices::Activate();
        SimulatedDevices::Reset();
    }
    void TearDown() override { SimulatedDevices::Reset(); }
};

std::wstring OutName(UINT id)
{
    MIDIOUTCAPSW caps{};
    return midiOutGetDevCapsW(id, &caps, sizeof(caps)) == MMSYSERR_NOERROR ? caps.szPname : L"?";
}

struct InputBuffer
{
    MIDIHDR header{};
    char data[256];
    InputBuffer()
    {
        header.lpData = data;
        header.dwBufferLength = sizeof(data);
    }
};
} // namespace

TEST_F(SimulatedMidi, ListsThePortsByTheirDevicesNames)
{
    auto controller = SimulatedDevices::AddUnit(SimulatedUnitConfig::Controller(0x0031));
    SimulatedDevices::AddUnit(SimulatedUnitConfig::WheelDisplay(0x0050));
    SimulatedDevices::AddMidiPort(L"A synthesizer with a rather long name", true, false);
    SimulatedDevices::AddMidiPort(L"Keyboard", false, true);

    ASSERT_EQ(midiOutGetNumDevs(), 3u);
    EXPECT_EQ(OutName(0), L"Halvex DJ Brelune VANTA");
    EXPECT_EQ(OutName(1), L"Halvex DJ Brelune VANTA WD");
    EXPECT_EQ(OutName(2), L"A synthesizer with a rather lon"); // 31 characters
    ASSERT_EQ(midiInGetNumDevs(), 3u);
    MIDIINCAPSW in{};
    ASSERT_EQ(midiInGetDevCapsW(2, &in, sizeof(in)), MMSYSERR_NOERROR);
    EXPECT_STREQ(in.szPname, L"Keyboard");
    EXPECT_EQ(midiInGetDevCapsW(3, &in, sizeof(in)), MMSYSERR_BADDEVICEID);
    MIDIOUTCAPSW caps{};
    EXPECT_EQ(midiOutGetDevCapsW(3, &caps, sizeof(caps)), MMSYSERR_BADDEVICEID);
    EXPECT_EQ(midiOutGetDevCapsW(0, nullptr, sizeof(caps)), MMSYSERR_INVALPARAM);
    // A short record receives only its first bytes.
    std::memset(&caps, 0x55, sizeof(caps));
    ASSERT_EQ(midiOutGetDevCapsW(0, &caps, 4), MMSYSERR_NOERROR);
    EXPECT_EQ(caps.wMid, 0xFFFF);
    EXPECT_EQ(caps.szPname[0], static_cast<WCHAR>(0x55555555));

    // Through an open handle while the device is there, not after it left.
    HMIDIOUT out = nullptr;
    ASSERT_EQ(midiOutOpen(&out, 0, 0, 0, CALLBACK_NULL), MMSYSERR_NOERROR);
    EXPECT_EQ(midiOutGetDevCapsW(reinterpret_cast<UINT_PTR>(out), &caps, sizeof(caps)),
              MMSYSERR_NOERROR);
    EXPECT_STREQ(caps.szPname, L"Halvex DJ Brelune VANTA");
    controller->Unplug();
    EXPECT_EQ(midiOutGetNumDevs(), 2u);
    EXPECT_EQ(OutName(0), L"Halvex DJ Brelune VANTA WD");
    EXPECT_EQ(midiOutGetDevCapsW(reinterpret_cast<UINT_PTR>(out), &caps, sizeof(caps)),
              MMSYSERR_NODRIVER);
    EXPECT_EQ(midiOutShortMsg(out, 0x7F3C90), MMSYSERR_NODRIVER);
    EXPECT_EQ(midiOutClose(out), MMSYSERR_NOERROR);
    EXPECT_EQ(midiOutClose(out), MMSYSERR_INVALHANDLE);
}

TEST_F(SimulatedMidi, AClosedHandleStaysClosedAndIsNoKernelHandle)
{
    SimulatedDevices::AddUnit(SimulatedUnitConfig::Controller(0x0031));
    HMIDIOUT out = nullptr;
    HMIDIIN in = nullptr;
    ASSERT_EQ(midiOutOpen(&out, 0, 0, 0, CALLBACK_NULL), MMSYSERR_NOERROR);
    ASSERT_EQ(midiInOpen(&in, 0, 0, 0, CALLBACK_NULL), MMSYSERR_NOERROR);
    EXPECT_FALSE(CloseHandle(out));
    EXPECT_EQ(WaitForSingleObject(in, 0), WAIT_FAILED);
    // A handle of one direction is not one of the other.
    EXPECT_EQ(midiInStart(reinterpret_cast<HMIDIIN>(out)), MMSYSERR_INVALHANDLE);
    ASSERT_EQ(midiOutClose(out), MMSYSERR_NOERROR);
    ASSERT_EQ(midiInClose(in), MMSYSERR_NOERROR);

    // The next opens get new handles; the old ones stay closed.
    HMIDIOUT nextOut = nullptr;
    HMIDIIN nextIn = nullptr;
    ASSERT_EQ(midiOutOpen(&nextOut, 0, 0, 0, CALLBACK_NULL), MMSYSERR_NOERROR);
    ASSERT_EQ(midiInOpen(&nextIn, 0, 0, 0, CALLBACK_NULL), MMSYSERR_NOERROR);
    EXPECT_NE(nextOut, out);
    EXPECT_NE(nextIn, in);
    EXPECT_EQ(midiOutShortMsg(out, 0x7F3C90), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(midiInStart(in), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(midiOutClose(nextOut), MMSYSERR_NOERROR);
    EXPECT_EQ(midiInClose(nextIn), MMSYSERR_NOERROR);
}

TEST_F(SimulatedMidi, OpenChecksItsArguments)
{
    SimulatedDevices::AddUnit(SimulatedUnitConfig::Controller(0x0031));
    HMIDIOUT out = reinterpret_cast<HMIDIOUT>(1);
    EXPECT_EQ(midiOutOpen(&out, 1, 0, 0, CALLBACK_NULL), MMSYSERR_BADDEVICEID);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(midiOutOpen(&out, 0, 0, 0, CALLBACK_EVENT), MMSYSERR_INVALFLAG);
    EXPECT_EQ(midiOutOpen(&out, 0, 0, 0, CALLBACK_FUNCTION), MMSYSERR_INVALPARAM);
    EXPECT_EQ(midiOutOpen(nullptr, 0, 0, 0, CALLBACK_NULL), MMSYSERR_INVALPARAM);
    HMIDIIN in = nullptr;
    EXPECT_EQ(midiInOpen(&in, 5, 0, 0, CALLBACK_NULL), MMSYSERR_BADDEVICEID);
    EXPECT_EQ(midiInStart(in), MMSYSERR_INVALHANDLE);
}

TEST_F(SimulatedMidi, SendsShortMessages)
{
    auto port = SimulatedDevices::AddMidiPort(L"Synth", true, false);
    HMIDIOUT out = nullptr;
    ASSERT_EQ(midiOutOpen(&out, 0, 0, 0, CALLBACK_NULL), MMSYSERR_NOERROR);
    EXPECT_EQ(midiOutShortMsg(out, 0x7F3C90), MMSYSERR_NOERROR); // note on
    EXPECT_EQ(midiOutShortMsg(out, 0x0005C0), MMSYSERR_NOERROR); // program change
    EXPECT_EQ(midiOutShortMsg(out, 0x00F8), MMSYSERR_NOERROR);   // clock
    EXPECT_EQ(midiOutShortMsg(out, 0x0040), MMSYSERR_NOERROR);   // running status: C0 40
    EXPECT_EQ(midiOutShortMsg(out, 0xF0), MMSYSERR_INVALPARAM);
    const auto received = port->Received();
    ASSERT_EQ(received.size(), 4u);
    EXPECT_EQ(received[0], (std::vector<std::uint8_t>{0x90, 0x3C, 0x7F}));
    EXPECT_EQ(received[1], (std::vector<std::uint8_t>{0xC0, 0x05}));
    EXPECT_EQ(received[2], (std::vector<std::uint8_t>{0xF8}));
    EXPECT_EQ(received[3], (std::vector<std::uint8_t>{0xC0, 0x40}));
    EXPECT_EQ(midiOutClose(out), MMSYSERR_NOERROR);

    // A fresh handle has no running status.
    ASSERT_EQ(midiOutOpen(&out, 0, 0, 0, CALLBACK_NULL), MMSYSERR_NOERROR);
    EXPECT_EQ(midiOutShortMsg(out, 0x0040), MMSYSERR_INVALPARAM);
    EXPECT_EQ(midiOutClose(out), MMSYSERR_NOERROR);
}

TEST_F(SimulatedMidi, SystemExclusiveIsReturnedWithMomDoneAndSwitchesTheUnit)
{
    auto config = SimulatedUnitConfig::Controller(0x0031);
    config.updateModeDelay = Milliseconds(1);
    auto unit = SimulatedDevices::AddUnit(config);
    Calls calls;
    HMIDIOUT out = nullptr;
    ASSERT_EQ(
        midiOutOpen(&out, 0, ProcAddress(), reinterpret_cast<DWORD_PTR>(&calls), CALLBACK_FUNCTION),
        MMSYSERR_NOERROR);
    ASSERT_EQ(calls.Of(MOM_OPEN).size(), 1u);
    EXPECT_EQ(calls.Of(MOM_OPEN)[0].thread, std::this_thread::get_id());

    std::vector<std::uint8_t> message = UpdateModeMessage();
    MIDIHDR header{};
    header.lpData = reinterpret_cast<LPSTR>(message.data());
    header.dwBufferLength = header.dwBytesRecorded = static_cast<DWORD>(message.size());
    EXPECT_EQ(midiOutLongMsg(out, &header, sizeof(header)), MIDIERR_UNPREPARED);
    ASSERT_EQ(midiOutPrepareHeader(out, &header, sizeof(header)), MMSYSERR_NOERROR);
    EXPECT_EQ(midiOutPrepareHeader(out, &header, sizeof(header) - 1), MMSYSERR_INVALPARAM);
    ASSERT_EQ(midiOutLongMsg(out, &header, sizeof(header)), MMSYSERR_NOERROR);
    const auto done = calls.WaitFor(MOM_DONE);
    ASSERT_EQ(calls.Of(MOM_DONE).size(), 1u);
    const Call call = calls.Of(MOM_DONE)[0];
    EXPECT_EQ(call.param1, reinterpret_cast<DWORD_PTR>(&header));
    EXPECT_NE(call.thread, std::this_thread::get_id());
    EXPECT_TRUE(header.dwFlags & MHDR_DONE);
    EXPECT_FALSE(header.dwFlags & MHDR_INQUEUE);
    EXPECT_EQ(midiOutUnprepareHeader(out, &header, sizeof(header)), MMSYSERR_NOERROR);
    EXPECT_FALSE(header.dwFlags & MHDR_PREPARED);

    EXPECT_EQ(unit->MidiPort()->Received().back(), UpdateModeMessage());
    EXPECT_TRUE(unit->WaitForMode(SimulatedMode::Bootloader, Milliseconds(2000)));
    EXPECT_EQ(midiOutClose(out), MMSYSERR_NOERROR);
    EXPECT_EQ(calls.Of(MOM_CLOSE).size(), 1u);
}

TEST_F(SimulatedMidi, QueuedBlocksHoldTheHandleUntilDoneOrReset)
{
    auto port = SimulatedDevices::AddMidiPort(L"Slow synth", true, false);
    port->SetHold(true);
    Calls calls;
    HMIDIOUT out = nullptr;
    ASSERT_EQ(
        midiOutOpen(&out, 0, ProcAddress(), reinterpret_cast<DWORD_PTR>(&calls), CALLBACK_FUNCTION),
        MMSYSERR_NOERROR);
    std::vector<std::uint8_t> first = {0xF0, 0x01, 0xF7};
    std::vector<std::uint8_t> second = {0xF0, 0x02, 0xF7};
    MIDIHDR a{};
    MIDIHDR b{};
    for (auto [header, data] : {std::pair{&a, &first}, std::pair{&b, &second}})
    {
        header->lpData = reinterpret_cast<LPSTR>(data->data());
        header->dwBufferLength = static_cast<DWORD>(data->size());
        ASSERT_EQ(midiOutPrepareHeader(out, header, sizeof(MIDIHDR)), MMSYSERR_NOERROR);
        ASSERT_EQ(midiOutLongMsg(out, header, sizeof(MIDIHDR)), MMSYSERR_NOERROR);
    }
    EXPECT_EQ(midiOutLongMsg(out, &a, sizeof(a)), MIDIERR_STILLPLAYING);
    EXPECT_EQ(midiOutUnprepareHeader(out, &b, sizeof(b)), MIDIERR_STILLPLAYING);
    EXPECT_EQ(midiOutShortMsg(out, 0x7F3C90), MIDIERR_NOTREADY);
    EXPECT_EQ(midiOutClose(out), MIDIERR_STILLPLAYING);

    // Reset returns both, the one being sent and the waiting one, before it returns.
    EXPECT_EQ(midiOutReset(out), MMSYSERR_NOERROR);
    const auto done = calls.Of(MOM_DONE);
    ASSERT_EQ(done.size(), 2u);
    EXPECT_EQ(done[0].param1, reinterpret_cast<DWORD_PTR>(&a));
    EXPECT_EQ(done[1].param1, reinterpret_cast<DWORD_PTR>(&b));
    EXPECT_TRUE(port->Received().empty());
    EXPECT_EQ(midiOutUnprepareHeader(out, &a, sizeof(a)), MMSYSERR_NOERROR);
    EXPECT_EQ(midiOutUnprepareHeader(out, &b, sizeof(b)), MMSYSERR_NOERROR);

    // Released, a block goes through.
    port->SetHold(false);
    calls.Clear();
    ASSERT_EQ(midiOutPrepareHeader(out, &b, sizeof(b)), MMSYSERR_NOERROR);
    ASSERT_EQ(midiOutLongMsg(out, &b, sizeof(b)), MMSYSERR_NOERROR);
    calls.WaitFor(MOM_DONE);
    EXPECT_EQ(port->Received(), std::vector<std::vector<std::uint8_t>>{second});
    EXPECT_EQ(midiOutUnprepareHeader(out, &b, sizeof(b)), MMSYSERR_NOERROR);
    EXPECT_EQ(midiOutClose(out), MMSYSERR_NOERROR);
}

TEST_F(SimulatedMidi, InputDeliversShortMessagesAfterStart)
{
    auto unit = SimulatedDevices::AddUnit(SimulatedUnitConfig::Controller(0x0031));
    auto port = unit->MidiPort();
    Calls calls;
    HMIDIIN in = nullptr;
    ASSERT_EQ(
        midiInOpen(&in, 0, ProcAddress(), reinterpret_cast<DWORD_PTR>(&calls), CALLBACK_FUNCTION),
        MMSYSERR_NOERROR);
    EXPECT_EQ(calls.Of(MIM_OPEN).size(), 1u);
    ASSERT_TRUE(port->SendToHost({0x90, 0x3C, 0x7F})); // before the start: dropped
    ASSERT_EQ(midiInStart(in), MMSYSERR_NOERROR);
    ASSERT_TRUE(port->SendToHost({0x90, 0x3C, 0x7F}));
    ASSERT_TRUE(port->SendToHost({0x3E, 0x00})); // running status
    ASSERT_TRUE(port->SendToHost({0xB0, 0x07})); // split over two deliveries
    ASSERT_TRUE(port->SendToHost({0x64}));
    ASSERT_TRUE(port->SendToHost({0x22, 0x64})); // running status again
    ASSERT_TRUE(port->SendToHost({0xF8}));       // clock
    const auto all = calls.WaitFor(MIM_DATA, 5);
    const auto data = calls.Of(MIM_DATA);
    ASSERT_EQ(data.size(), 5u);
    EXPECT_EQ(data[0].param1, 0x7F3C90u);
    EXPECT_EQ(data[1].param1, 0x003E90u);
    EXPECT_EQ(data[2].param1, 0x6407B0u);
    EXPECT_EQ(data[3].param1, 0x6422B0u); // running status of the control change
    EXPECT_EQ(data[4].param1, 0xF8u);
    EXPECT_NE(data[0].thread, std::this_thread::get_id());
    EXPECT_LE(data[0].param2, 1000u); // milliseconds since the start
    EXPECT_EQ(midiInStop(in), MMSYSERR_NOERROR);
    EXPECT_EQ(midiInClose(in), MMSYSERR_NOERROR);
    EXPECT_EQ(calls.Of(MIM_CLOSE).size(), 1u);
}

TEST_F(SimulatedMidi, InputErrorsAndMoreData)
{
    auto port = SimulatedDevices::AddMidiPort(L"Keys", false, true);
    Calls calls;
    HMIDIIN in = nullptr;
    ASSERT_EQ(midiInOpen(&in, 0, ProcAddress(), reinterpret_cast<DWORD_PTR>(&calls),
                         CALLBACK_FUNCTION | MIDI_IO_STATUS),
              MMSYSERR_NOERROR);
    ASSERT_EQ(midiInStart(in), MMSYSERR_NOERROR);
    ASSERT_TRUE(port->SendToHost({0x22}));                               // no status yet
    ASSERT_TRUE(port->SendToHost({0x90, 0x3C, 0x7F, 0x80, 0x3C, 0x00})); // two at once
    calls.WaitFor(MIM_DATA);
    const auto all = calls.All();
    std::vector<UINT> messages;
    for (const auto& c : all)
    {
        if (c.message != MIM_OPEN)
        {
            messages.push_back(c.message);
        }
    }
    EXPECT_EQ(messages, (std::vector<UINT>{MIM_ERROR, MIM_MOREDATA, MIM_DATA}));
    EXPECT_EQ(calls.Of(MIM_ERROR)[0].param1, 0x22u);
    EXPECT_EQ(calls.Of(MIM_MOREDATA)[0].param1, 0x7F3C90u);
    EXPECT_EQ(midiInReset(in), MMSYSERR_NOERROR);
    EXPECT_EQ(midiInClose(in), MMSYSERR_NOERROR);
}

TEST_F(SimulatedMidi, SystemExclusiveInputFillsTheAddedBuffers)
{
    auto port = SimulatedDevices::AddMidiPort(L"Keys", false, true);
    Calls calls;
    HMIDIIN in = nullptr;
    ASSERT_EQ(
        midiInOpen(&in, 0, ProcAddress(), reinterpret_cast<DWORD_PTR>(&calls), CALLBACK_FUNCTION),
        MMSYSERR_NOERROR);
    InputBuffer buffers[4];
    EXPECT_EQ(midiInAddBuffer(in, &buffers[0].header, sizeof(MIDIHDR)), MIDIERR_UNPREPARED);
    for (auto& buffer : buffers)
    {
        ASSERT_EQ(midiInPrepareHeader(in, &buffer.header, sizeof(MIDIHDR)), MMSYSERR_NOERROR);
        ASSERT_EQ(midiInAddBuffer(in, &buffer.header, sizeof(MIDIHDR)), MMSYSERR_NOERROR);
    }
    EXPECT_EQ(midiInAddBuffer(in, &buffers[0].header, sizeof(MIDIHDR)), MIDIERR_STILLPLAYING);
    EXPECT_EQ(midiInUnprepareHeader(in, &buffers[0].header, sizeof(MIDIHDR)), MIDIERR_STILLPLAYING);
    ASSERT_EQ(midiInStart(in), MMSYSERR_NOERROR);

    // 600 bytes in three buffers (256, 256, 88), with a clock byte in the middle.
    std::vector<std::uint8_t> message(600, 0x11);
    message.front() = 0xF0;
    message.back() = 0xF7;
    std::vector<std::uint8_t> withClock = message;
    withClock.insert(withClock.begin() + 300, 0xF8);
    ASSERT_TRUE(port->SendToHost(withClock));
    calls.WaitFor(MIM_LONGDATA, 3);
    auto returned = calls.Of(MIM_LONGDATA);
    ASSERT_EQ(returned.size(), 3u);
    std::vector<std::uint8_t> joined;
    for (std::size_t i = 0; i < 3; ++i)
    {
        EXPECT_EQ(returned[i].param1, reinterpret_cast<DWORD_PTR>(&buffers[i].header));
        joined.insert(joined.end(), returned[i].data.begin(), returned[i].data.end());
    }
    EXPECT_EQ(returned[2].data.size(), 88u);
    EXPECT_EQ(joined, message);
    EXPECT_EQ(calls.Of(MIM_DATA).size(), 1u); // the clock
    EXPECT_TRUE(buffers[0].header.dwFlags & MHDR_DONE);

    // A message broken off by another status returns its buffer with MIM_LONGERROR.
    ASSERT_TRUE(port->SendToHost({0xF0, 0x01, 0x02, 0x90, 0x3C, 0x7F}));
    calls.WaitFor(MIM_LONGERROR);
    calls.WaitFor(MIM_DATA, 2);
    ASSERT_EQ(calls.Of(MIM_LONGERROR).size(), 1u);
    EXPECT_EQ(calls.Of(MIM_LONGERROR)[0].data, (std::vector<std::uint8_t>{0xF0, 0x01, 0x02}));
    EXPECT_EQ(calls.Of(MIM_DATA).back().param1, 0x7F3C90u);

    // Every buffer is used up now: the rest of a message is lost.
    ASSERT_TRUE(port->SendToHost({0xF0, 0x05, 0xF7, 0x90, 0x3D, 0x7F}));
    calls.WaitFor(MIM_DATA, 3);
    EXPECT_EQ(calls.Of(MIM_LONGDATA).size(), 3u);

    // Buffers still queued keep the handle open; a reset returns them.
    ASSERT_EQ(midiInAddBuffer(in, &buffers[0].header, sizeof(MIDIHDR)), MMSYSERR_NOERROR);
    EXPECT_EQ(midiInClose(in), MIDIERR_STILLPLAYING);
    calls.Clear();
    EXPECT_EQ(midiInReset(in), MMSYSERR_NOERROR);
    returned = calls.Of(MIM_LONGDATA);
    ASSERT_EQ(returned.size(), 1u);
    EXPECT_EQ(returned[0].param1, reinterpret_cast<DWORD_PTR>(&buffers[0].header));
    EXPECT_TRUE(returned[0].data.empty());
    EXPECT_EQ(midiInClose(in), MMSYSERR_NOERROR);
}

namespace
{
// Requeues each returned buffer from inside the callback, as a capture port does.
struct Requeuer
{
    std::atomic<HMIDIIN> handle{nullptr};
    Calls calls;
    static void CALLBACK Proc(HANDLE h, UINT message, DWORD_PTR instance, DWORD_PTR p1,
                              DWORD_PTR p2)
    {
        auto* self = reinterpret_cast<Requeuer*>(instance);
        Calls::Proc(h, message, reinterpret_cast<DWORD_PTR>(&self->calls), p1, p2);
        const HMIDIIN handle = self->handle.load();
        if (message == MIM_LONGDATA && handle != nullptr)
        {
            auto* header = reinterpret_cast<MIDIHDR*>(p1);
            midiInPrepareHeader(handle, header, sizeof(MIDIHDR));
            midiInAddBuffer(handle, header, sizeof(MIDIHDR));
        }
    }
};
} // namespace

TEST_F(SimulatedMidi, BuffersCanBeRequeuedFromTheCallback)
{
    auto port = SimulatedDevices::AddMidiPort(L"Keys", false, true);
    Requeuer requeuer;
    HMIDIIN in = nullptr;
    ASSERT_EQ(midiInOpen(&in, 0, reinterpret_cast<DWORD_PTR>(&Requeuer::Proc),
                         reinterpret_cast<DWORD_PTR>(&requeuer), CALLBACK_FUNCTION),
              MMSYSERR_NOERROR);
    requeuer.handle = in;
    InputBuffer buffer;
    ASSERT_EQ(midiInPrepareHeader(in, &buffer.header, sizeof(MIDIHDR)), MMSYSERR_NOERROR);
    ASSERT_EQ(midiInAddBuffer(in, &buffer.header, sizeof(MIDIHDR)), MMSYSERR_NOERROR);
    ASSERT_EQ(midiInStart(in), MMSYSERR_NOERROR);
    for (int i = 0; i < 5; ++i)
    {
        ASSERT_TRUE(port->SendToHost({0xF0, std::uint8_t(i), 0xF7}));
    }
    requeuer.calls.WaitFor(MIM_LONGDATA, 5);
    const auto returned = requeuer.calls.Of(MIM_LONGDATA);
    ASSERT_EQ(returned.size(), 5u);
    EXPECT_EQ(returned[4].data, (std::vector<std::uint8_t>{0xF0, 4, 0xF7}));
    requeuer.handle = nullptr; // stop requeuing before the reset returns the buffer
    EXPECT_EQ(midiInStop(in), MMSYSERR_NOERROR);
    EXPECT_EQ(midiInReset(in), MMSYSERR_NOERROR);
    EXPECT_EQ(midiInUnprepareHeader(in, &buffer.header, sizeof(MIDIHDR)), MMSYSERR_NOERROR);
    EXPECT_EQ(midiInClose(in), MMSYSERR_NOERROR);
}

TEST(RealMidi, WithoutASequencerTheListsAreEmptyAndOpeningFails)
{
    SimulatedDevices::Deactivate();
    if (access("/dev/snd/seq", F_OK) == 0)
    {
        GTEST_SKIP() << "this machine has a sequencer";
    }
    EXPECT_EQ(midiOutGetNumDevs(), 0u);
    EXPECT_EQ(midiInGetNumDevs(), 0u);
    HMIDIOUT out = nullptr;
    EXPECT_EQ(midiOutOpen(&out, 0, 0, 0, CALLBACK_NULL), MMSYSERR_BADDEVICEID);
    HMIDIIN in = nullptr;
    EXPECT_EQ(midiInOpen(&in, 0, 0, 0, CALLBACK_NULL), MMSYSERR_BADDEVICEID);
    MIDIOUTCAPSW caps{};
    EXPECT_EQ(midiOutGetDevCapsW(0, &caps, sizeof(caps)), MMSYSERR_BADDEVICEID);
}

TEST(MidiMessageLength, ByStatusByte)
{
    const std::pair<std::uint8_t, unsigned> cases[] = {
        {0x80, 3}, {0xBF, 3}, {0xC0, 2}, {0xDF, 2}, {0xE0, 3}, {0xEF, 3}, {0xF0, 0},
        {0xF1, 2}, {0xF2, 3}, {0xF3, 2}, {0xF6, 1}, {0xF7, 0}, {0xF8, 1}, {0x40, 1},
    };
    for (const auto& [status, length] : cases)
    {
        EXPECT_EQ(MidiMessageLength(status), length) << int(status);
    }
}

TEST(TimerResolution, BeginAndEndPair)
{
    EXPECT_EQ(timeBeginPeriod(0), TIMERR_NOCANDO);
    EXPECT_EQ(timeEndPeriod(1), TIMERR_NOCANDO);
    EXPECT_EQ(timeBeginPeriod(1), TIMERR_NOERROR);
    EXPECT_EQ(timeEndPeriod(1), TIMERR_NOERROR);
    EXPECT_EQ(timeEndPeriod(1), TIMERR_NOCANDO);
}
