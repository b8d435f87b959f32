#include "Midi/MidiCaptureNotificationData.h"

namespace Orv
{
LMidiCaptureNotificationData::LMidiCaptureNotificationData(LMidiCapturePort* source,
                                                           const WString& sourceName,
                                                           DWORD timeStamp)
    : sourcePort(source)
    , sourcePortName(sourceName)
    , timeStamp(timeStamp)
{
}

void* LMidiCaptureNotificationData::operator new(std::size_t size)
{
    return GetMidiCaptureDataPool().Allocate(size);
}

void LMidiCaptureNotificationData::operator delete(void* pointer)
{
    GetMidiCaptureDataPool().Free(pointer);
}

void LMidiCaptureNotificationData::AppendBytes(const void* data, unsigned int count)
{
    if (count == 0)
    {
        return;
    }
    const unsigned int at = bytes.GetCount();
    if (bytes.SetCount(at + count) < 0)
    {
        throw Exception<std::bad_alloc>();
    }
    std::memcpy(bytes.GetData() + at, data, count);
}

WString LMidiCaptureNotificationData::ToString() const
{
    return WString::CreateFormatted(L"LMidiCaptureNotificationData (%u bytes from %s)",
                                    bytes.GetCount(), sourcePortName.GetBuffer());
}

ReuseAllocator<LMidiCaptureNotificationData, 4>& GetMidiCaptureDataPool()
{
    static ReuseAllocator<LMidiCaptureNotificationData, 4> pool(true);
    return pool;
}
} // namespace Orv
