// Switching the selected device from normal (MIDI) mode into its DFU bootloader: the update-mode
// message goes out on the MIDI output port that the device's name (text 2 of its definition)
// selects; then the bootloader is looked for on USB until it appears or the search period ends.
// An abort (from another thread) is seen before and after each search, and ends the waits.
#include "UpdateEngine.h"

#include "DfuTransferRecord.h"
#include "Midi/MidiComm.h"
#include "Midi/MidiRenderPort.h"

using Orv::WString;

const std::uint8_t LUpdateEngine::kUpdateModeMessage[10] = {0xF0, 0x7D, 0x00, 0x00, 0x01,
                                                            0x10, 0x72, 0x00, 0x00, 0xF7};

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
    const UpdateModeTimings& timings = mUpdateModeTimings;

    {
        // The communicator and its port live for the send only.
        Orv::RCPtr<Orv::LMidiCommInterface> comm;
        if (FAILED(Orv::LMidiCommInterface::Create(comm, timings.sendTimeout, mClock)))
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

    // The pause and the waits between searches end early on an abort.
    mClock->Wait(GetAbortEvent(), timings.settle);
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
        mClock->Wait(GetAbortEvent(), timings.searchInterval);
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
