// One open MIDI input device.
//
// The system's callback thread of the device hands over short messages and system-exclusive
// buffers; each complete message is wrapped in an LMidiCaptureNotificationData and queued on the
// communicator's worker. A system-exclusive message that spans several of the port's three
// 256-byte buffers is assembled across callbacks until a buffer ends it.
#pragma once

#include "Midi/MidiCaptureNotificationData.h"
#include "OrvCore.h"
#include "platform/Midi.h"

#include <atomic>

namespace Orv
{
class LMidiComm;

class LMidiCapturePort : public virtual LRefCountedObject
{
public:
    static constexpr unsigned int kBufferCount = 3;
    static constexpr unsigned int kBufferSize = 256;

    LMidiCapturePort(const WString& name, const RCPtr<LMidiComm>& owner);
    ~LMidiCapturePort() override;

    // Opens the device that the port's name selects (see LMidiComm) and adds the input buffers;
    // input starts with midiInStart. MMSYSERR_NOERROR, or the error of the step that failed
    // (MMSYSERR_NODRIVER when no device qualifies).
    MMRESULT Open();
    // Stops input, takes the buffers back and closes the device.
    void Close();
    // Prepares and adds the three buffers: 1 without a handle, else MMSYSERR_NOERROR or the
    // failing call's error (every buffer is then unprepared).
    MMRESULT AddInputBuffers();

    bool IsOpen() const { return mHandle.load() != nullptr; }
    HMIDIIN GetHandle() const { return mHandle.load(); }
    const WString& GetName() const { return mName; }
    // The product name of the device the port last opened.
    const WString& GetDeviceName() const { return mDeviceName; }

    // The input callback (MIM_DATA, MIM_MOREDATA, MIM_LONGDATA, MIM_LONGERROR).
    static void CALLBACK MidiInProc(HANDLE handle, UINT message, DWORD_PTR instance,
                                    DWORD_PTR param1, DWORD_PTR param2);

    // Leaves the communicator's list when only the list's reference and one other remain.
    ORVRESULT ReleaseInternalReferences() override;

    WString ToString() const override;

private:
    struct InputBuffer
    {
        MIDIHDR header;
        char data[kBufferSize];
        // The handle the buffer is prepared for; null when unprepared.
        HMIDIIN handle;
    };

    void OnShortMessage(DWORD bytes, DWORD timeStamp);
    void OnLongData(MIDIHDR* header, bool error);
    // Gives the buffer back to the device for more input (not while closing).
    void Requeue(MIDIHDR* header);
    void Queue(const RCPtr<LMidiCaptureNotificationData>& data);
    void UnprepareBuffers();
    // Closes the handle (stop, reset, unprepare, close).
    void CloseHandleOf();

    WString mName;
    WString mDeviceName;
    std::atomic<HMIDIIN> mHandle{nullptr};
    RCPtr<LMidiComm> mOwner;
    InputBuffer mBuffers[kBufferCount];
    std::atomic<bool> mClosing{false};
    // The system-exclusive message being assembled; used on the callback thread only.
    RCPtr<LMidiCaptureNotificationData> mAssembling;
};
} // namespace Orv
