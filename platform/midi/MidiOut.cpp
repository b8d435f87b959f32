// MIDI output: open handles, short messages, and the queue of system-exclusive blocks that a
// thread of each handle sends, returning each header with MOM_DONE.
#include "MidiBackend.h"
#include "MidiCommon.h"
#include "platform/HandleTable.h"
#include "platform/Midi.h"

#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>

namespace
{
using namespace OrvPlatform;

struct MidiOutDevice : HandleObject
{
    static constexpr Kind kKind = Kind::MidiOut;

    MidiOutDevice()
        : HandleObject(kKind)
    {
    }

    HMIDIOUT handle = nullptr;
    std::unique_ptr<MidiOutputLink> link;
    std::wstring name;
    DWORD_PTR callback = 0;
    DWORD_PTR instance = 0;
    DWORD flags = 0;

    std::mutex mutex;
    std::condition_variable changed;
    std::deque<MIDIHDR*> queue;  // blocks waiting to be sent
    MIDIHDR* current = nullptr;  // the block being sent
    unsigned returning = 0;      // MOM_DONE callbacks running
    unsigned cancelledCount = 0; // blocks at the head of the queue to return unsent
    bool shortMessage = false;   // a short message is being sent
    bool quit = false;
    std::uint8_t runningStatus = 0;
    std::atomic<bool> cancel{false};
    std::thread worker;
};

std::shared_ptr<MidiOutDevice> Find(const void* handle)
{
    return FindHandleObject<MidiOutDevice>(const_cast<void*>(handle));
}

void Worker(MidiOutDevice* device)
{
    std::unique_lock lock(device->mutex);
    for (;;)
    {
        device->changed.wait(
            lock,
            [&] { return device->quit || (!device->queue.empty() && !device->shortMessage); });
        if (device->queue.empty())
        {
            return; // quit
        }
        MIDIHDR* header = device->queue.front();
        device->queue.pop_front();
        device->current = header;
        const bool cancelled = device->cancelledCount > 0;
        if (cancelled)
        {
            --device->cancelledCount;
        }
        else
        {
            device->cancel = false;
            lock.unlock();
            device->link->Send(reinterpret_cast<const std::uint8_t*>(header->lpData),
                               header->dwBufferLength, &device->cancel);
            lock.lock();
        }
        header->dwFlags = (header->dwFlags & ~MHDR_INQUEUE) | MHDR_DONE;
        device->current = nullptr;
        ++device->returning;
        lock.unlock();
        CallMidiCallback(device->flags, device->callback, device->handle, MOM_DONE,
                         device->instance, reinterpret_cast<DWORD_PTR>(header), 0);
        lock.lock();
        --device->returning;
        device->changed.notify_all();
    }
}

// A block is waiting or being sent.
bool InFlight(const MidiOutDevice& device)
{
    return !device.queue.empty() || device.current != nullptr;
}
} // namespace

UINT midiOutGetNumDevs()
{
    return static_cast<UINT>(MidiBackend::Current().OutputNames().size());
}

MMRESULT midiOutGetDevCapsW(UINT_PTR uDeviceID, LPMIDIOUTCAPSW pmoc, UINT cbmoc)
{
    if (pmoc == nullptr || cbmoc == 0)
    {
        return MMSYSERR_INVALPARAM;
    }
    std::wstring name;
    if (const MMRESULT result = NameForCaps(
            Find(reinterpret_cast<void*>(uDeviceID)), uDeviceID,
            [] { return MidiBackend::Current().OutputNames(); }, name))
    {
        return result;
    }
    MIDIOUTCAPSW caps{};
    caps.wMid = 0xFFFF; // unmapped manufacturer and product
    caps.wPid = 0xFFFF;
    caps.vDriverVersion = 0x0100;
    CopyPortName(name, caps.szPname);
    caps.wTechnology = MOD_MIDIPORT;
    caps.wChannelMask = 0xFFFF;
    std::memcpy(pmoc, &caps, std::min<std::size_t>(cbmoc, sizeof(caps)));
    return MMSYSERR_NOERROR;
}

MMRESULT midiOutOpen(LPHMIDIOUT phmo, UINT uDeviceID, DWORD_PTR dwCallback, DWORD_PTR dwInstance,
                     DWORD fdwOpen)
{
    if (phmo == nullptr)
    {
        return MMSYSERR_INVALPARAM;
    }
    *phmo = nullptr;
    if (const MMRESULT check = CheckOpenFlags(fdwOpen & ~MIDI_IO_STATUS, dwCallback))
    {
        return check;
    }
    auto& backend = MidiBackend::Current();
    const auto names = backend.OutputNames();
    if (uDeviceID >= names.size())
    {
        return MMSYSERR_BADDEVICEID;
    }
    MMRESULT error = MMSYSERR_NOERROR;
    auto link = backend.OpenOutput(uDeviceID, error);
    if (!link)
    {
        return error;
    }
    auto device = std::make_shared<MidiOutDevice>();
    device->link = std::move(link);
    device->name = names[uDeviceID];
    device->callback = dwCallback;
    device->instance = dwInstance;
    device->flags = fdwOpen;
    // The handle is known before the worker can call back with it.
    const auto handle = static_cast<HMIDIOUT>(InsertHandle(device));
    device->handle = handle;
    device->worker = std::thread(Worker, device.get());
    *phmo = handle;
    CallMidiCallback(fdwOpen, dwCallback, handle, MOM_OPEN, dwInstance, 0, 0);
    return MMSYSERR_NOERROR;
}

MMRESULT midiOutClose(HMIDIOUT hmo)
{
    const auto device = Find(hmo);
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
        if (InFlight(*device))
        {
            return MIDIERR_STILLPLAYING;
        }
        device->quit = true;
    }
    if (!RemoveHandle(hmo, MidiOutDevice::kKind))
    {
        return MMSYSERR_INVALHANDLE; // closed by another thread meanwhile
    }
    device->changed.notify_all();
    device->worker.join();
    CallMidiCallback(device->flags, device->callback, hmo, MOM_CLOSE, device->instance, 0, 0);
    return MMSYSERR_NOERROR;
}

MMRESULT midiOutShortMsg(HMIDIOUT hmo, DWORD dwMsg)
{
    const auto device = Find(hmo);
    if (!device)
    {
        return MMSYSERR_INVALHANDLE;
    }
    std::uint8_t bytes[3] = {std::uint8_t(dwMsg), std::uint8_t(dwMsg >> 8),
                             std::uint8_t(dwMsg >> 16)};
    std::size_t length = 0;
    {
        std::lock_guard lock(device->mutex);
        if (InFlight(*device) || device->shortMessage)
        {
            return MIDIERR_NOTREADY;
        }
        std::uint8_t status = bytes[0];
        const bool runningStatus = status < 0x80;
        if (runningStatus)
        {
            if (device->runningStatus == 0)
            {
                return MMSYSERR_INVALPARAM;
            }
            status = device->runningStatus;
        }
        length = MidiMessageLength(status);
        if (length == 0)
        {
            return MMSYSERR_INVALPARAM; // system exclusive goes through midiOutLongMsg
        }
        if (runningStatus)
        {
            // The message's bytes are data bytes after the remembered status.
            bytes[2] = bytes[1];
            bytes[1] = bytes[0];
            bytes[0] = status;
        }
        if (status < 0xF0)
        {
            device->runningStatus = status;
        }
        else if (status < 0xF8)
        {
            device->runningStatus = 0;
        }
        device->shortMessage = true;
    }
    const MMRESULT result = device->link->Send(bytes, length, nullptr);
    {
        std::lock_guard lock(device->mutex);
        device->shortMessage = false;
    }
    device->changed.notify_all();
    return result;
}

MMRESULT midiOutPrepareHeader(HMIDIOUT hmo, LPMIDIHDR pmh, UINT cbmh)
{
    return PrepareHeader(Find(hmo), pmh, cbmh);
}

MMRESULT midiOutUnprepareHeader(HMIDIOUT hmo, LPMIDIHDR pmh, UINT cbmh)
{
    return UnprepareHeader(Find(hmo), pmh, cbmh);
}

MMRESULT midiOutLongMsg(HMIDIOUT hmo, LPMIDIHDR pmh, UINT cbmh)
{
    const auto device = Find(hmo);
    if (!device)
    {
        return MMSYSERR_INVALHANDLE;
    }
    if (const MMRESULT check = CheckHeader(pmh, cbmh))
    {
        return check;
    }
    if (!device->link->IsPresent())
    {
        return MMSYSERR_NODRIVER;
    }
    {
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
        device->queue.push_back(pmh);
        device->runningStatus = 0;
    }
    device->changed.notify_all();
    return MMSYSERR_NOERROR;
}

MMRESULT midiOutReset(HMIDIOUT hmo)
{
    const auto device = Find(hmo);
    if (!device)
    {
        return MMSYSERR_INVALHANDLE;
    }
    if (std::this_thread::get_id() == device->worker.get_id())
    {
        return MMSYSERR_HANDLEBUSY;
    }
    std::unique_lock lock(device->mutex);
    device->cancelledCount = static_cast<unsigned>(device->queue.size());
    device->cancel = true;
    device->runningStatus = 0;
    device->changed.notify_all();
    device->changed.wait(lock, [&] { return !InFlight(*device) && device->returning == 0; });
    return MMSYSERR_NOERROR;
}
