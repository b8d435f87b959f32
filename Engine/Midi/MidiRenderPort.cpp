#include "Midi/MidiRenderPort.h"

#include "Midi/MidiComm.h"
#include "Midi/MidiProductNames.h"

#include <cwctype>

namespace Orv
{
LMidiRenderPort::LMidiRenderPort(const WString& name, const RCPtr<LMidiComm>& owner,
                                 DWORD sendTimeout, const RCPtr<LClock>& clock)
    : mName(name)
    , mOwner(owner)
    , mSendTimeout(sendTimeout)
    , mClock(clock ? clock : GetSystemClock())
{
    mLight.SetGreen();
}

LMidiRenderPort::~LMidiRenderPort()
{
    Close();
}

WString LMidiRenderPort::ToString() const
{
    return WString(L"LMidiRenderPort ") + mName;
}

void LMidiRenderPort::Close()
{
    const HMIDIOUT handle = mHandle.exchange(nullptr);
    if (handle != nullptr)
    {
        midiOutClose(handle);
    }
}

MMRESULT LMidiRenderPort::Open()
{
    Close();
    const WStringArray names =
        ReadProductNames<MIDIOUTCAPSW>(midiOutGetNumDevs(), midiOutGetDevCapsW);
    const int selected = LMidiComm::SelectDevice(names, mName);
    if (selected < 0)
    {
        return MMSYSERR_NODRIVER;
    }
    const UINT taken = static_cast<UINT>(selected);
    mDeviceName = names.GetConstElementPointer(taken);
    HMIDIOUT handle = nullptr;
    const MMRESULT result =
        midiOutOpen(&handle, taken, reinterpret_cast<DWORD_PTR>(&LMidiRenderPort::MidiOutProc),
                    reinterpret_cast<DWORD_PTR>(this), CALLBACK_FUNCTION);
    if (result != MMSYSERR_NOERROR)
    {
        if (handle != nullptr)
        {
            midiOutClose(handle);
        }
        return result;
    }
    mHandle.store(handle);
    return MMSYSERR_NOERROR;
}

unsigned int LMidiRenderPort::MessageLength(unsigned char status)
{
    if (status < 0x80)
    {
        return 1;
    }
    if (status < 0xC0 || (status >= 0xE0 && status < 0xF0))
    {
        return 3;
    }
    if (status < 0xE0)
    {
        return 2;
    }
    switch (status)
    {
        case 0xF0:
        case 0xF7:
            return 0;
        case 0xF1:
        case 0xF3:
        case 0xF4:
        case 0xF5:
            return 2;
        case 0xF2:
            return 3;
        default:
            return 1;
    }
}

void CALLBACK LMidiRenderPort::MidiOutProc(HANDLE, UINT message, DWORD_PTR instance, DWORD_PTR,
                                           DWORD_PTR)
{
    auto* port = reinterpret_cast<LMidiRenderPort*>(instance);
    if (port != nullptr && message == MOM_DONE)
    {
        port->mLight.SetGreen();
    }
}

ORVRESULT LMidiRenderPort::SendToPort(const ConstRCPtr<LRefCountedObject>& port, const void* data,
                                      unsigned int length)
{
    auto* self = dynamic_cast<LMidiRenderPort*>(port.GetMutable());
    if (self == nullptr || length == 0 || data == nullptr)
    {
        return E_INVALIDARG;
    }
    const DWORD timeout = self->mSendTimeout;
    // A block still in flight normally ends first; the send goes out in any case.
    if (!self->mLight.IsSet())
    {
        self->mClock->Wait(self->mLight.GetHandle(), timeout);
    }
    const HMIDIOUT handle = self->mHandle.load();
    const auto* bytes = static_cast<const unsigned char*>(data);
    const unsigned char first = bytes[0];
    if (first >= 0x80 && first != 0xF0 && first != 0xF7)
    {
        DWORD message = 0;
        for (unsigned int i = 0; i < 4 && i < length; ++i)
        {
            message |= DWORD(bytes[i]) << (8 * i);
        }
        if (midiOutShortMsg(handle, message) != MMSYSERR_NOERROR)
        {
            return E_FAIL;
        }
        return static_cast<ORVRESULT>(MessageLength(first));
    }

    MIDIHDR header{};
    header.lpData = const_cast<char*>(static_cast<const char*>(data));
    header.dwBufferLength = length;
    header.dwBytesRecorded = length;
    if (midiOutPrepareHeader(handle, &header, sizeof(header)) != MMSYSERR_NOERROR)
    {
        return E_FAIL;
    }
    bool sent = false;
    self->mLight.SetRed();
    if (midiOutLongMsg(handle, &header, sizeof(header)) == MMSYSERR_NOERROR)
    {
        sent = self->mClock->Wait(self->mLight.GetHandle(), timeout) == WAIT_OBJECT_0;
        if (!sent)
        {
            // Cancel the block, so that the system no longer uses the header or the caller's
            // bytes once this returns.
            midiOutReset(handle);
        }
    }
    MMRESULT unprepared = midiOutUnprepareHeader(handle, &header, sizeof(header));
    while (unprepared == MIDIERR_STILLPLAYING)
    {
        // The header is on this stack: it must leave the system's queue before returning.
        midiOutReset(handle);
        Sleep(1);
        unprepared = midiOutUnprepareHeader(handle, &header, sizeof(header));
    }
    self->mLight.SetGreen();
    return sent && unprepared == MMSYSERR_NOERROR ? static_cast<ORVRESULT>(length) : E_FAIL;
}

ORVRESULT LMidiRenderPort::ReleaseInternalReferences()
{
    const RCPtr<LMidiComm> owner = mOwner;
    if (owner && GetInternalRefCount() > 0 && SUCCEEDED(owner->RemoveRenderPort(this)))
    {
        ReleaseInternalReference();
    }
    return LRefCountedObject::ReleaseInternalReferences();
}
} // namespace Orv
