#include "MidiCommon.h"

#include <algorithm>
#include <chrono>

namespace OrvPlatform
{
unsigned MidiMessageLength(std::uint8_t status)
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
            return 2;
        case 0xF2:
            return 3;
        default:
            return 1;
    }
}

void CopyPortName(const std::wstring& name, WCHAR (&target)[MAXPNAMELEN])
{
    const std::size_t n = std::min<std::size_t>(name.size(), MAXPNAMELEN - 1);
    std::copy(name.begin(), name.begin() + n, target);
    target[n] = L'\0';
}

void CallMidiCallback(DWORD flags, DWORD_PTR callback, HANDLE handle, UINT message,
                      DWORD_PTR instance, DWORD_PTR param1, DWORD_PTR param2)
{
    if ((flags & CALLBACK_TYPEMASK) == CALLBACK_FUNCTION && callback != 0)
    {
        reinterpret_cast<MIDICALLBACK>(callback)(handle, message, instance, param1, param2);
    }
}

MMRESULT CheckOpenFlags(DWORD flags, DWORD_PTR callback)
{
    const DWORD type = flags & CALLBACK_TYPEMASK;
    if ((flags & ~(CALLBACK_TYPEMASK | MIDI_IO_STATUS)) != 0 ||
        (type != CALLBACK_NULL && type != CALLBACK_FUNCTION))
    {
        return MMSYSERR_INVALFLAG;
    }
    if (type == CALLBACK_FUNCTION && callback == 0)
    {
        return MMSYSERR_INVALPARAM;
    }
    return MMSYSERR_NOERROR;
}

MMRESULT CheckHeader(const MIDIHDR* header, UINT size)
{
    if (header == nullptr || size < sizeof(MIDIHDR) || header->lpData == nullptr ||
        header->dwBufferLength == 0)
    {
        return MMSYSERR_INVALPARAM;
    }
    return MMSYSERR_NOERROR;
}

std::uint32_t MidiMilliseconds()
{
    return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                          std::chrono::steady_clock::now().time_since_epoch())
                                          .count());
}
} // namespace OrvPlatform
