// MIDI input: open handles, the added buffers, and a thread per handle that reads the bytes the
// port delivers as MIDI messages and calls back with them.
#include "MidiBackend.h"
#include "MidiCommon.h"
#include "platform/HandleTable.h"
#include "platform/Midi.h"

#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace
{
using namespace OrvPlatform;

struct Chunk
{
    std::vector<std::uint8_t> bytes;
    std::uint32_t time = 0; // milliseconds since midiInStart
};

enum class Command
{
    None,
    Stop,
    Reset,
};

struct MidiInDevice : HandleObject
{
    static constexpr Kind kKind = Kind::MidiIn;

    MidiInDevice()
        : HandleObject(kKind)
    {
    }

    std::unique_ptr<MidiInputLink> link;
    std::wstring name;
    DWORD_PTR callback = 0;
    DWORD_PTR instance = 0;
    DWORD flags = 0;
    HMIDIIN handle = nullptr;

    std::mutex mutex;
    std::condition_variable changed;
    std::deque<Chunk> pending; // bytes received and not yet read
    std::deque<MIDIHDR*> buffers;
    unsigned held = 0; // buffers taken by the reader and not yet returned
    bool started = false;
    std::uint32_t startTime = 0;
    Command command = Command::None;
    unsigned commandsDone = 0;
    bool quit = false;
    std::thread worker;

    // Reader state, used by the worker only.
    std::uint8_t runningStatus = 0;
    std::uint8_t message[3] = {0, 0, 0};
    unsigned messageLength = 0; // bytes collected
    unsigned messageExpected = 0;
    bool inSysEx = false;
    MIDIHDR* sysExBuffer = nullptr;
};

std::shared_ptr<MidiInDevice> Find(const void* handle)
{
    return FindHandleObject<MidiInDevice>(const_cast<void*>(handle));
}

// Receives the port's bytes while the handle is started.
class Sink : public MidiInputSink
{
public:
    explicit Sink(std::weak_ptr<MidiInDevice> device)
        : mDevice(std::move(device))
    {
    }
    void OnMidiBytes(const std::uint8_t* data, std::size_t length) override
    {
        const auto device = mDevice.lock();
        if (!device || length == 0)
        {
            return;
        }
        {
            std::lock_guard lock(device->mutex);
            if (!device->started)
            {
                return;
            }
            device->pending.push_back({std::vector<std::uint8_t>(data, data + length),
                                       MidiMilliseconds() - device->startTime});
        }
        device->changed.notify_all();
    }

private:
    std::weak_ptr<MidiInDevice> mDevice;
};

void Call(MidiInDevice& device, UINT message, DWORD_PTR param1, DWORD_PTR param2)
{
    CallMidiCallback(device.flags, device.callback, device.handle, message, device.instance, param1,
                     param2);
}

void ReturnBuffer(MidiInDevice& device, MIDIHDR* header, UINT message, std::uint32_t time)
{
    {
        std::lock_guard lock(device.mutex);
        header->dwFlags = (header->dwFlags & ~MHDR_INQUEUE) | MHDR_DONE;
        --device.held;
    }
    Call(device, message, reinterpret_cast<DWORD_PTR>(header), time);
}

MIDIHDR* TakeBuffer(MidiInDevice& device)
{
    std::lock_guard lock(device.mutex);
    if (device.buffers.empty())
    {
        return nullptr;
    }
    MIDIHDR* header = device.buffers.front();
    device.buffers.pop_front();
    ++device.held;
    return header;
}

void AppendSysEx(MidiInDevice& device, std::uint8_t byte, std::uint32_t time)
{
    if (device.sysExBuffer == nullptr)
    {
        device.sysExBuffer = TakeBuffer(device);
        if (device.sysExBuffer == nullptr)
        {
            return; // no buffer: the byte is lost
        }
    }
    MIDIHDR* header = device.sysExBuffer;
    header->lpData[header->dwBytesRecorded++] = static_cast<char>(byte);
    if (byte == 0xF7 || header->dwBytesRecorded == header->dwBufferLength)
    {
        device.sysExBuffer = nullptr;
        ReturnBuffer(device, header, MIM_LONGDATA, time);
    }
}

void EndSysEx(MidiInDevice& device, UINT message, std::uint32_t time)
{
    device.inSysEx = false;
    if (device.sysExBuffer != nullptr)
    {
        MIDIHDR* header = device.sysExBuffer;
        device.sysExBuffer = nullptr;
        ReturnBuffer(device, header, message, time);
    }
}

void DeliverShort(MidiInDevice& device, const std::uint8_t* bytes, unsigned length,
                  std::uint32_t time, bool moreWaiting, UINT message = MIM_DATA)
{
    DWORD packed = 0;
    for (unsigned i = 0; i < length; ++i)
    {
        packed |= DWORD(bytes[i]) << (8 * i);
    }
    if (message == MIM_DATA && moreWaiting && (device.flags & MIDI_IO_STATUS))
    {
        message = MIM_MOREDATA;
    }
    Call(device, message, packed, time);
}

// Reads one byte of the stream.
void ReadByte(MidiInDevice& device, std::uint8_t byte, std::uint32_t time, bool moreWaiting)
{
    if (byte >= 0xF8)
    {
        // Real-time messages may come anywhere, even inside other messages.
        DeliverShort(device, &byte, 1, time, moreWaiting);
        return;
    }
    if (device.inSysEx)
    {
        if (byte < 0x80 || byte == 0xF7)
        {
            AppendSysEx(device, byte, time);
            if (byte == 0xF7)
            {
                device.inSysEx = false;
            }
            return;
        }
        // Another status byte breaks the message off.
        EndSysEx(device, MIM_LONGERROR, time);
    }
    if (byte == 0xF0)
    {
        device.inSysEx = true;
        device.runningStatus = 0;
        device.messageLength = 0;
        AppendSysEx(device, byte, time);
        return;
    }
    if (byte >= 0x80)
    {
        device.runningStatus = byte < 0xF0 ? byte : 0;
        device.message[0] = byte;
        device.messageLength = 1;
        device.messageExpected = MidiMessageLength(byte);
        if (byte == 0xF7)
        {
            device.messageLength = 0;
            DeliverShort(device, &byte, 1, time, moreWaiting, MIM_ERROR);
        }
        else if (device.messageExpected == 1)
        {
            device.messageLength = 0;
            DeliverShort(device, &byte, 1, time, moreWaiting);
        }
        return;
    }
    // A data byte.
    if (device.messageLength == 0)
    {
        if (device.runningStatus == 0)
        {
            DeliverShort(device, &byte, 1, time, moreWaiting, MIM_ERROR);
            return;
        }
        device.message[0] = device.runningStatus;
        device.messageLength = 1;
        device.messageExpected = MidiMessageLength(device.runningStatus);
    }
    device.message[device.messageLength++] = byte;
    if (device.messageLength == device.messageExpected)
    {
        device.messageLength = 0;
        DeliverShort(device, device.message, device.messageExpected, time, moreWaiting);
    }
}

void Worker(MidiInDevice* device)
{
    std::unique_lock lock(device->mutex);
    for (;;)
    {
        device->changed.wait(lock,
                             [&] {
                                 return device->quit || device->command != Command::None ||
                                        !device->pending.empty();
                             });
        if (device->command != Command::None)
        {
            const Command command = device->command;
            device->pending.clear();
            std::deque<MIDIHDR*> returned;
            if (command == Command::Reset)
            {
                returned.swap(device->buffers);
                device->held += static_cast<unsigned>(returned.size());
            }
            const std::uint32_t time = MidiMilliseconds() - device->startTime;
            lock.unlock();
            EndSysEx(*device, MIM_LONGDATA, time);
            device->messageLength = 0;
            device->runningStatus = 0;
            for (MIDIHDR* header : returned)
            {
                ReturnBuffer(*device, header, MIM_LONGDATA, time);
            }
            lock.lock();
            device->command = Command::None;
            ++device->commandsDone;
            device->changed.notify_all();
            continue;
        }
        if (device->pending.empty())
        {
            return; // quit
        }
        Chunk chunk = std::move(device->pending.front());
        device->pending.pop_front();
        const bool moreChunks = !device->pending.empty();
        lock.unlock();
        for (std::size_t i = 0; i < chunk.bytes.size(); ++i)
        {
            ReadByte(*device, chunk.bytes[i], chunk.time, moreChunks || i + 1 < chunk.bytes.size());
        }
        lock.lock();
    }
}

// Runs a stop or reset on the worker and waits for it.
MMRESULT RunCommand(MidiInDevice& device, Command command)
{
    if (std::this_thread::get_id() == device.worker.get_id())
    {
        return MMSYSERR_HANDLEBUSY;
    }
    std::unique_lock lock(device.mutex);
    device.started = false;
    device.changed.wait(lock, [&] { return device.command == Command::None; });
    device.command = command;
    const unsigned target = device.commandsDone + 1;
    device.changed.notify_all();
    device.changed.wait(lock, [&] { return device.commandsDone >= target; });
    return MMSYSERR_NOERROR;
}
} // namespace

UINT midiInGetNumDevs()
{
    return static_cast<UINT>(MidiBackend::Current().InputNames().size());
}

MMRESULT midiInGetDevCapsW(UINT_PTR uDeviceID, LPMIDIINCAPSW pmic, UINT cbmic)
{
    if (pmic == nullptr || cbmic == 0)
    {
        return MMSYSERR_INVALPARAM;
    }
    std::wstring name;
    if (const MMRESULT result = NameForCaps(
            Find(reinterpret_cast<void*>(uDeviceID)), uDeviceID,
            [] { return MidiBackend::Current().InputNames(); }, name))
    {
        return result;
    }
    MIDIINCAPSW caps{};
    caps.wMid = 0xFFFF;
    caps.wPid = 0xFFFF;
    caps.vDriverVersion = 0x0100;
    CopyPortName(name, caps.szPname);
    std::memcpy(pmic, &caps, std::min<std::size_t>(cbmic, sizeof(caps)));
    return MMSYSERR_NOERROR;
}

MMRESULT midiInOpen(LPHMIDIIN phmi, UINT uDeviceID, DWORD_PTR dwCallback, DWORD_PTR dwInstance,
                    DWORD fdwOpen)
{
    if (phmi == nullptr)
    {
        return MMSYSERR_INVALPARAM;
    }
    *phmi = nullptr;
    if (const MMRESULT check = CheckOpenFlags(fdwOpen, dwCallback))
    {
        return check;
    }
    auto& backend = MidiBackend::Current();
    const auto names = backend.InputNames();
    if (uDeviceID >= names.size())
    {
        return MMSYSERR_BADDEVICEID;
    }
    auto device = std::make_shared<MidiInDevice>();
    MMRESULT error = MMSYSERR_NOERROR;
    device->link = backend.OpenInput(uDeviceID, std::make_shared<Sink>(device), error);
    if (!device->link)
    {
        return error;
    }
    device->name = names[uDeviceID];
    device->callback = dwCallback;
    device->instance = dwInstance;
    device->flags = fdwOpen;
    // The handle is known before the worker can call back with it.
    device->handle = static_cast<HMIDIIN>(InsertHandle(device));
    device->worker = std::thread(Worker, device.get());
    *phmi = device->handle;
    Call(*device, MIM_OPEN, 0, 0);
    return MMSYSERR_NOERROR;
}

MMRESULT midiInClose(HMIDIIN hmi)
{
    const auto device = Find(hmi);
    if (!device)
    {
        return MMSYSERR_INVALHANDLE;
    }
    if (std::this_thread::get_id() == device->worker.get_id())
    {
        return MMSYSERR_HANDLEBUSY;
    }
    {
        std::lock_guard lock(device->mutex);
        if (!device->buffers.empty() || device->held > 0)
        {
            return MIDIERR_STILLPLAYING;
        }
        device->started = false;
        device->quit = true;
        device->pending.clear();
    }
    if (!RemoveHandle(hmi, MidiInDevice::kKind))
    {
        return MMSYSERR_INVALHANDLE;
    }
    device->changed.notify_all();
    device->worker.join();
    Call(*device, MIM_CLOSE, 0, 0);
    return MMSYSERR_NOERROR;
}

MMRESULT midiInPrepareHeader(HMIDIIN hmi, LPMIDIHDR pmh, UINT cbmh)
{
    return PrepareHeader(Find(hmi), pmh, cbmh);
}

MMRESULT midiInUnprepareHeader(HMIDIIN hmi, LPMIDIHDR pmh, UINT cbmh)
{
    return UnprepareHeader(Find(hmi), pmh, cbmh);
}

MMRESULT midiInAddBuffer(HMIDIIN hmi, LPMIDIHDR pmh, UINT cbmh)
{
    const auto device = Find(hmi);
    if (!device)
    {
        return MMSYSERR_INVALHANDLE;
    }
    if (const MMRESULT check = CheckHeader(pmh, cbmh))
    {
        return check;
    }
    std::lock_guard lock(device->mutex);
    if ((pmh->dwFlags & MHDR_PREPARED) == 0)
    {
        return MIDIERR_UNPREPARED;
    }
    if (pmh->dwFlags & MHDR_INQUEUE)
    {
        return MIDIERR_STILLPLAYING;
    }
    pmh->dwFlags = (pmh->dwFlags & ~MHDR_DONE) | MHDR_INQUEUE;
    pmh->dwBytesRecorded = 0;
    device->buffers.push_back(pmh);
    return MMSYSERR_NOERROR;
}

MMRESULT midiInStart(HMIDIIN hmi)
{
    const auto device = Find(hmi);
    if (!device)
    {
        return MMSYSERR_INVALHANDLE;
    }
    std::lock_guard lock(device->mutex);
    if (!device->started)
    {
        device->started = true;
        device->startTime = MidiMilliseconds();
    }
    return MMSYSERR_NOERROR;
}

MMRESULT midiInStop(HMIDIIN hmi)
{
    const auto device = Find(hmi);
    if (!device)
    {
        return MMSYSERR_INVALHANDLE;
    }
    return RunCommand(*device, Command::Stop);
}

MMRESULT midiInReset(HMIDIIN hmi)
{
    const auto device = Find(hmi);
    if (!device)
    {
        return MMSYSERR_INVALHANDLE;
    }
    return RunCommand(*device, Command::Reset);
}
