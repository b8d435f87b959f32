#include "Midi/MidiCapturePort.h"

#include "Midi/MidiComm.h"
#include "Midi/MidiProductNames.h"

#include <cstring>
#include <exception>

namespace Orv
{
namespace
{
// The length of a captured short message by its status byte.
unsigned int ShortMessageLength(unsigned char status)
{
    if ((status >= 0x80 && status < 0xC0) || (status >= 0xE0 && status < 0xF0) || status == 0xF2)
    {
        return 3;
    }
    if ((status >= 0xC0 && status < 0xE0) || status == 0xF1 || status == 0xF3)
    {
        return 2;
    }
    return 1;
}
} // namespace

LMidiCapturePort::LMidiCapturePort(const WString& name, const RCPtr<LMidiComm>& owner)
    : mName(name)
    , mOwner(owner)
{
    for (InputBuffer& buffer : mBuffers)
    {
        std::memset(&buffer.header, 0, sizeof(buffer.header));
        buffer.header.lpData = buffer.data;
        buffer.header.dwBufferLength = kBufferSize;
        buffer.header.dwUser = reinterpret_cast<DWORD_PTR>(&buffer);
        buffer.handle = nullptr;
    }
}

LMidiCapturePort::~LMidiCapturePort()
{
    Close();
    mAssembling = nullptr;
}

WString LMidiCapturePort::ToString() const
{
    return WString(L"LMidiCapturePort ") + mName;
}

MMRESULT LMidiCapturePort::Open()
{
    Close();
    const WStringArray names = ReadProductNames<MIDIINCAPSW>(midiInGetNumDevs(), midiInGetDevCapsW);
    const int selected = LMidiComm::SelectDevice(names, mName);
    if (selected < 0)
    {
        return MMSYSERR_NODRIVER;
    }
    const UINT taken = static_cast<UINT>(selected);
    mDeviceName = names.GetConstElementPointer(taken);
    HMIDIIN handle = nullptr;
    MMRESULT result =
        midiInOpen(&handle, taken, reinterpret_cast<DWORD_PTR>(&LMidiCapturePort::MidiInProc),
                   reinterpret_cast<DWORD_PTR>(this), CALLBACK_FUNCTION | MIDI_IO_STATUS);
    if (result == MMSYSERR_NOERROR)
    {
        mHandle.store(handle);
        mClosing.store(false);
        result = AddInputBuffers();
    }
    if (result != MMSYSERR_NOERROR && handle != nullptr)
    {
        mHandle.store(handle);
        CloseHandleOf();
    }
    return result;
}

void LMidiCapturePort::Close()
{
    if (mHandle.load() != nullptr)
    {
        CloseHandleOf();
    }
}

void LMidiCapturePort::CloseHandleOf()
{
    mClosing.store(true);
    const HMIDIIN handle = mHandle.load();
    midiInStop(handle);
    midiInReset(handle);
    UnprepareBuffers();
    midiInClose(handle);
    mHandle.store(nullptr);
}

void LMidiCapturePort::UnprepareBuffers()
{
    for (InputBuffer& buffer : mBuffers)
    {
        if (buffer.handle != nullptr)
        {
            midiInUnprepareHeader(buffer.handle, &buffer.header, sizeof(buffer.header));
            buffer.handle = nullptr;
        }
    }
}

MMRESULT LMidiCapturePort::AddInputBuffers()
{
    const HMIDIIN handle = mHandle.load();
    if (handle == nullptr)
    {
        return 1;
    }
    for (InputBuffer& buffer : mBuffers)
    {
        buffer.handle = handle;
        MMRESULT result = midiInPrepareHeader(handle, &buffer.header, sizeof(buffer.header));
        if (result == MMSYSERR_NOERROR)
        {
            buffer.header.dwFlags &= ~MHDR_DONE;
            buffer.header.dwBytesRecorded = 0;
            result = midiInAddBuffer(handle, &buffer.header, sizeof(buffer.header));
        }
        if (result != MMSYSERR_NOERROR)
        {
            // Buffers already added come back with the reset, and stay back.
            mClosing.store(true);
            midiInReset(handle);
            UnprepareBuffers();
            return result;
        }
    }
    return MMSYSERR_NOERROR;
}

void CALLBACK LMidiCapturePort::MidiInProc(HANDLE, UINT message, DWORD_PTR instance,
                                           DWORD_PTR param1, DWORD_PTR param2)
{
    auto* port = reinterpret_cast<LMidiCapturePort*>(instance);
    if (port == nullptr)
    {
        return;
    }
    try
    {
        switch (message)
        {
            case MIM_DATA:
            case MIM_MOREDATA:
                port->OnShortMessage(static_cast<DWORD>(param1), static_cast<DWORD>(param2));
                break;
            case MIM_LONGDATA:
                port->OnLongData(reinterpret_cast<MIDIHDR*>(param1), false);
                break;
            case MIM_LONGERROR:
                port->OnLongData(reinterpret_cast<MIDIHDR*>(param1), true);
                break;
            default:
                break;
        }
    }
    catch (const std::exception& error)
    {
        // Nothing may leave the system's callback: the message is lost.
        GetDebugOutput().Narrow() << "Orv::LMidiCapturePort::MidiInProc: " << error.what()
                                  << std::endl;
    }
}

void LMidiCapturePort::OnShortMessage(DWORD bytes, DWORD timeStamp)
{
    const unsigned char message[4] = {
        static_cast<unsigned char>(bytes), static_cast<unsigned char>(bytes >> 8),
        static_cast<unsigned char>(bytes >> 16), static_cast<unsigned char>(bytes >> 24)};
    RCPtr<LMidiCaptureNotificationData> data(
        new LMidiCaptureNotificationData(this, mName, timeStamp));
    data->AppendBytes(message, ShortMessageLength(message[0]));
    Queue(data);
}

void LMidiCapturePort::OnLongData(MIDIHDR* header, bool error)
{
    if (header == nullptr)
    {
        return;
    }
    const DWORD recorded = header->dwBytesRecorded;
    if (error || mClosing.load())
    {
        // A message broken off by the device, or cut short by closing, is dropped whole: its
        // bytes never reach a receiver and never run into the next message.
        mAssembling = nullptr;
    }
    else if (recorded > 0)
    {
        const auto* bytes = reinterpret_cast<const unsigned char*>(header->lpData);
        const bool complete = recorded < header->dwBufferLength || bytes[recorded - 1] == 0xF7;
        if (complete)
        {
            if (mAssembling)
            {
                mAssembling->AppendBytes(bytes, recorded);
                RCPtr<LMidiCaptureNotificationData> data = mAssembling;
                mAssembling = nullptr;
                Queue(data);
            }
            else if (bytes[0] == 0xF0)
            {
                RCPtr<LMidiCaptureNotificationData> data(
                    new LMidiCaptureNotificationData(this, mName, 0));
                data->AppendBytes(bytes, recorded);
                Queue(data);
            }
        }
        else
        {
            if (!mAssembling)
            {
                mAssembling = new LMidiCaptureNotificationData(this, mName, 0);
            }
            mAssembling->AppendBytes(bytes, recorded);
        }
    }
    Requeue(header);
}

void LMidiCapturePort::Requeue(MIDIHDR* header)
{
    const HMIDIIN handle = mHandle.load();
    if (mClosing.load() || handle == nullptr)
    {
        return;
    }
    for (InputBuffer& buffer : mBuffers)
    {
        if (reinterpret_cast<DWORD_PTR>(&buffer) == header->dwUser)
        {
            buffer.header.dwFlags &= ~MHDR_DONE;
            buffer.header.dwBytesRecorded = 0;
            if (midiInPrepareHeader(handle, &buffer.header, sizeof(buffer.header)) ==
                MMSYSERR_NOERROR)
            {
                midiInAddBuffer(handle, &buffer.header, sizeof(buffer.header));
            }
            return;
        }
    }
}

void LMidiCapturePort::Queue(const RCPtr<LMidiCaptureNotificationData>& data)
{
    if (mOwner)
    {
        mOwner->QueueCapturedData(data);
    }
}

ORVRESULT LMidiCapturePort::ReleaseInternalReferences()
{
    const RCPtr<LMidiComm> owner = mOwner;
    if (owner && GetInternalRefCount() > 0 && SUCCEEDED(owner->RemoveCapturePort(this)))
    {
        ReleaseInternalReference();
    }
    return LRefCountedObject::ReleaseInternalReferences();
}
} // namespace Orv
