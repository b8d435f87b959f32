// The process's one table of handles, shared by the families that hand out handles: the kernel's
// objects (events, threads, device files), SetupAPI's device information sets, WinUSB's interfaces
// and the MIDI input and output devices.
//
// A handle is a value of the table: a multiple of 4 from 0x10000 on (so it never reads as a small
// device number), handed out once and never again, so a stale handle fails with its family's
// invalid-handle error instead of reaching another object. A handle works only with the calls of
// its own kind: CloseHandle and the waits take the kernel's kinds, midiOutClose a MIDI output's.
#pragma once

#include "platform/Types.h"

#include <memory>

namespace OrvPlatform
{
class HandleObject
{
public:
    enum class Kind
    {
        Event,
        Thread,
        DeviceFile,
        DeviceInfoSet,
        WinUsbInterface,
        MidiIn,
        MidiOut,
    };

    explicit HandleObject(Kind kind)
        : mKind(kind)
    {
    }
    virtual ~HandleObject() = default;
    HandleObject(const HandleObject&) = delete;
    HandleObject& operator=(const HandleObject&) = delete;

    Kind GetKind() const { return mKind; }

private:
    Kind mKind;
};

// Enters the object into the table and returns its new handle.
HANDLE InsertHandle(std::shared_ptr<HandleObject> object);
// The object of an open handle of that kind, or null.
std::shared_ptr<HandleObject> FindHandle(HANDLE handle, HandleObject::Kind kind);
// Takes an open handle of that kind out of the table: its object, or null when there is none
// (the handle was never handed out, is closed, or is of another kind).
std::shared_ptr<HandleObject> RemoveHandle(HANDLE handle, HandleObject::Kind kind);

// FindHandle for a class whose objects all have the kind T::kKind.
template <class T>
std::shared_ptr<T> FindHandleObject(HANDLE handle)
{
    return std::static_pointer_cast<T>(FindHandle(handle, T::kKind));
}
} // namespace OrvPlatform
