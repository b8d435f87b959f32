// Switching the selected device from normal (MIDI) mode into its DFU bootloader: the update-mode
// message goes out on the MIDI output port that the device's name (text 2 of its definition)
// selects; then the bootloader is looked for on USB until it appears or the search period ends.
// An abort (from another thread) is seen before and after each search.
#include "UpdateEngine.h"

#include "DfuTransferRecord.h"
#include "Midi/MidiComm.h"
#include "Midi/MidiRenderPort.h"

#include <atomic>

using Orv::WString;

namespace
{
std::atomic<DWORD> gSettle{1000};
std::atomic<DWORD> gSearchInterval{500};
std::atomic<DWORD> gSearchPeriod{10000};
} // namespace

const std::uint8_t LUpdateEngine::kUpdateModeMessage[10] = {0xF0, 0x7D, 0x00, 0x00, 0x01,
                                                            0x10, 0x72, 0x00, 0x00, 0xF7};

void LUpdateEngine::SetUpdateModeTimings(const UpdateModeTimings& timings)
{
    gSettle.store(timings.settle);
    // A search interval of 0 would never end the search.
    gSearchInterval.store(timings.searchInterval != 0 ? timings.searchInterval : 1);
    gSearchPeriod.store(timings.searchPeriod);
}

LUpdateEngine::UpdateModeTimings LUpdateEngine::GetUpdateModeTimings()
{
    UpdateModeTimings timings;
    timings.settle = gSettle.load();
    timings.searchInterval = gSearchInterval.load();
    timings.searchPeriod = gSearchPeriod.load();
    return timings;
}

ORVRESULT LUpdateEngine::EnterUpdateMode()
{
    const int state = GetDeviceState();
    if (state == kDeviceUpdateMode)
    {
        return S_FALSE;
    }
    if (state != kDeviceNormalMode && state != kDeviceSwitching)
    {
        return E_FAIL;
    }
    if (GetUpdateModeSwitchMethod() == kSwitchManually)
    {
        SetDeviceState(kDeviceSwitching);
        return S_OK;
    }
    SetDeviceState(kDeviceSwitching);
    ClearLastFailure();
    const int selected = GetSelectedIndex();
    DeviceDefinitionEx record;
    if (selected < 0 || !GetFoundDevice(static_cast<unsigned int>(selected), record))
    {
        RecordFailure("Device failure: entering update mode: no device is selected");
        SetDeviceState(kDeviceFailed);
        return E_FAIL;
    }
    mTransfer->device = record;
    const UpdateModeTimings timings = GetUpdateModeTimings();

    {
        // The communicator and its port live for the send only.
        Orv::RCPtr<Orv::LMidiCommInterface> comm;
        if (FAILED(Orv::LMidiCommInterface::Create(comm)))
        {
            // Like a failed send: the device failed, and the engine is not left switching.
            RecordFailure("Device failure: entering update mode: no MIDI communicator could be "
                          "made");
            SetFoundDeviceFailure(selected, kFailureDevice);
            SetDeviceState(kDeviceFailed);
            return E_FAIL;
        }
        const WString name = record.definition.texts[DeviceDefinition::kDeviceNameText];
        const std::string quoted =
            std::string("\"").append(name.ToNarrow().GetBuffer()).append("\"");
        Orv::RCPtr<Orv::LMidiRenderPort> port;
        const ORVRESULT opened = comm->OpenRenderPort(name, port);
        if (FAILED(opened) || !port)
        {
            RecordFailure("Device failure: entering update mode: the MIDI output port " + quoted +
                          (opened == E_INVALIDARG
                               ? " is ambiguous: the names of several ports contain it"
                               : " could not be opened: no port of that name opens"));
            SetFoundDeviceFailure(selected, kFailureDevice);
            SetDeviceState(kDeviceFailed);
            return FAILED(opened) ? opened : E_FAIL;
        }
        Orv::Array<signed char> message;
        for (std::uint8_t byte : kUpdateModeMessage)
        {
            message.AddItem(static_cast<signed char>(byte));
        }
        const ORVRESULT sent = comm->SendBytes(port, message);
        if (FAILED(sent))
        {
            if (IsAbortRequested())
            {
                return EndUpdateModeWithoutBootloader(selected);
            }
            RecordFailure("Device failure: entering update mode: the update-mode message could "
                          "not be sent on the MIDI output port " +
                          quoted + " (" + Orv::FormatResult(sent) + ")");
            SetFoundDeviceFailure(selected, kFailureDevice);
            SetDeviceState(kDeviceFailed);
            return sent;
        }
    }

    Sleep(timings.settle);
    DWORD elapsed = 0;
    do
    {
        if (IsAbortRequested())
        {
            break;
        }
        const ORVRESULT search = FindBootloader(record);
        if (SUCCEEDED(search))
        {
            record.bootloaderFound = true;
            StoreFoundDevice(selected, record);
            mTransfer->device = record;
            SetDeviceState(kDeviceUpdateMode);
            return S_OK;
        }
        if (IsAbortRequested())
        {
            break;
        }
        Sleep(timings.searchInterval);
        elapsed += timings.searchInterval;
    } while (elapsed < timings.searchPeriod);
    return EndUpdateModeWithoutBootloader(selected);
}

ORVRESULT LUpdateEngine::EndUpdateModeWithoutBootloader(int selected)
{
    if (IsAbortRequested())
    {
        SetUpdateResult(kUpdateAborted);
        SetDeviceState(kDeviceFailed);
        return E_ABORT;
    }
    RecordFailure("Device failure: entering update mode: the device did not appear in DFU mode "
                  "on USB after the update-mode message");
    SetFoundDeviceFailure(selected, kFailureDevice);
    SetDeviceState(kDeviceFailed);
    return E_FAIL;
}
