// The update engine: finds the devices of its definitions on USB (UpdateEngineDiscovery.cpp),
// and writes a DfuSe image to the selected device in its DFU bootloader
// (UpdateEngineDownload.cpp) with the DFU requests of the transfer record (DfuTransferRecord.h).
//
// The found-device list is guarded by the device lock: the worker rewrites the selected record
// after a download while the user-interface thread reads the list.
#pragma once

#include "Midi/MidiRenderPort.h"
#include "UpdateEngineInterface.h"
#include "platform/SetupApi.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

class DfuTransferRecord;
class LDfuSeFirmwareFile;

class LUpdateEngine : public LUpdateEngineInterface
{
public:
    // The engine's record of one found device.
    struct DeviceDefinitionEx
    {
        DeviceDefinitionEx() = default;
        explicit DeviceDefinitionEx(const DeviceDefinition& from)
            : definition(from)
        {
        }
        DeviceDefinitionEx(const DeviceDefinitionEx&) = default;
        DeviceDefinitionEx& operator=(const DeviceDefinitionEx&) = default;
        virtual ~DeviceDefinitionEx() = default;

        DeviceDefinition definition;
        VersionInfo firmwareVersion;
        // The device is known to be present in DFU mode.
        bool bootloaderFound = false;
        // kNoFailure, kFailureFile or kFailureDevice.
        std::uint32_t failureReason = kNoFailure;
        Orv::WString textA;
        Orv::WString textB;
        // The device interface paths in normal mode and in DFU mode.
        Orv::WString devicePath;
        Orv::WString bootloaderPath;
    };

    // The download's block size.
    static constexpr std::uint16_t kBlockSize = 2048;
    // The longest a device may stay busy with one operation (erasing a 128 KB sector takes
    // about 2 s), in milliseconds; past it the download fails.
    static constexpr DWORD kBusyCeiling = 10000;

    // Entering update mode: how long the message may take to be sent, the pause after it, then a
    // bootloader search every interval while less than the search period has passed since the
    // pause. A search interval of 0 is taken as 1 (it would never end the search).
    struct UpdateModeTimings
    {
        DWORD sendTimeout = Orv::LMidiRenderPort::kDefaultSendTimeout;
        DWORD settle = 1000;
        DWORD searchInterval = 500;
        DWORD searchPeriod = 10000;
    };
    // The update-mode message: F0, the manufacturer id 7D 00 00, 01 10 72 00 00, F7.
    static const std::uint8_t kUpdateModeMessage[10];

    // The number of present USB devices with these ids (ids of 0 match nothing).
    static unsigned int CountPresentDevices(std::uint32_t vendorId, std::uint32_t productId);
    // Whether the USB bus and the MIDI ports are the simulated ones (ORV_SIMULATED_DEVICES, or a
    // test that switched them on) rather than the machine's.
    static bool UsesSimulatedDevices();

    // An engine with the timings (the ones above when none are given) that waits by the clock
    // (the system's when none is given) when entering update mode, and asks the image sequence
    // (none when none is given) for what depends on the image (UpdateImageSequence.h).
    static Orv::RCPtr<LUpdateEngine> Create();
    static Orv::RCPtr<LUpdateEngine>
    Create(const UpdateModeTimings& timings,
           const Orv::RCPtr<Orv::LClock>& clock = Orv::GetSystemClock(),
           const Orv::RCPtr<IUpdateImageSequence>& sequence = nullptr);

    LUpdateEngine();
    explicit LUpdateEngine(const UpdateModeTimings& timings,
                           const Orv::RCPtr<Orv::LClock>& clock = Orv::GetSystemClock(),
                           const Orv::RCPtr<IUpdateImageSequence>& sequence = nullptr);
    ~LUpdateEngine() override;

    ORVRESULT Initialize(const Orv::WString& commandLine) override;
    ORVRESULT SetDeviceDefinitions(const Orv::Array<DeviceDefinition>& definitions) override;
    ORVRESULT ScanDevices() override;
    ORVRESULT GetFoundDevices(Orv::Array<DeviceDefinition>& devices) const override;
    unsigned int GetDeviceCount() const override;
    ORVRESULT GetDeviceFirmwareVersion(unsigned int index, VersionInfo& version) const override;
    ORVRESULT RescanSelectedDevice() override;
    // Ends the wait for the reset after an update: the device in normal mode is back (state 5);
    // its bootloader still on the bus came back without starting its firmware (state 7, with the
    // failure text); nothing found never came back (state 4, reason 4, with the failure text).
    void EndResetWait() override;
    // Switches the selected device from normal mode into its bootloader: sends the update-mode
    // message on the device's MIDI output port, then looks for the bootloader on USB
    // (UpdateEngineUpdateMode.cpp).
    ORVRESULT EnterUpdateMode() override;
    ORVRESULT Abort() override;
    bool IsBootloader(unsigned int index) const override;
    ORVRESULT GetFailureReason(unsigned int index, unsigned int& reason) const override;
    ORVRESULT Download() override;

    // The longest this engine lets a device stay busy with one operation (kBusyCeiling unless
    // set otherwise), in milliseconds.
    void SetBusyCeiling(DWORD milliseconds) { mBusyCeiling.store(milliseconds); }
    DWORD GetBusyCeiling() const { return mBusyCeiling.load(); }

    const UpdateModeTimings& GetUpdateModeTimings() const { return mUpdateModeTimings; }
    const Orv::RCPtr<Orv::LClock>& GetClock() const { return mClock; }

    // Whether the selected device was told to leave DFU mode and has not been seen since: it is
    // resetting into its new firmware. Until a rescan of the selected device finds it again, the
    // device state stays 8 (updating) and a rescan that does not find it changes nothing but the
    // reason it would fail with.
    bool IsAwaitingReset() const { return mAwaitingReset.load(); }

    // A copy of the found device at the index; false beyond the count.
    bool GetFoundDevice(unsigned int index, DeviceDefinitionEx& record) const;
    // Looks for the bootloader of a device that has just been sent into update mode: 1 when the
    // record already holds a bootloader path, 0 when one was found now (it is stored in the
    // record), E_FAIL otherwise.
    ORVRESULT FindBootloader(DeviceDefinitionEx& record);

    // The firmware version of a device from its first hardware id: the four hexadecimal digits
    // after "REV_" (any case), one part per digit; 0.0.0.0 with an empty text for a device found
    // in DFU mode or without a revision.
    static void ReadVersionFromHardwareId(const Orv::WString& hardwareId,
                                          DeviceDefinitionEx& record);
    // The vendor and product ids from the four hexadecimal digits after "VID_" and "PID_" (any
    // case). false when either field is missing or not four hexadecimal digits.
    static bool ParseUsbIds(const Orv::WString& hardwareId, std::uint32_t& vendorId,
                            std::uint32_t& productId);

    Orv::WString ToString() const override;

private:
    // Searches the present USB devices for the record (in the given set, or in a set of its
    // own when that is null): 0 and the record updated when found, E_FAIL otherwise.
    ORVRESULT SearchDevice(DeviceDefinitionEx& record, HDEVINFO set);
    void SetFoundDeviceFailure(int index, std::uint32_t reason);
    // Puts the record back into the found-device list at the index.
    void StoreFoundDevice(int index, const DeviceDefinitionEx& record);
    // The end of entering update mode without the bootloader: aborted, or failed.
    ORVRESULT EndUpdateModeWithoutBootloader(int selected);

    // How the device answered the request that makes it leave DFU mode.
    enum class LeaveOutcome
    {
        Resetting, // it left the bus, or answered dfuMANIFEST-WAIT-RESET: it is resetting
        StillInDfu // it is still on the bus in another state, or stays in manifestation
    };

    // The download's steps (UpdateEngineDownload.cpp). The step texts name what the device was
    // asked to do, for the failure text.
    ORVRESULT RunDownload(int selected, const Orv::WString& path);
    ORVRESULT FailDownload(int selected, std::uint32_t reason);
    // A device failure: the failure text recorded, then as FailDownload with reason 4.
    ORVRESULT FailDevice(int selected, const std::string& text);
    ORVRESULT RefuseFile(int selected, const Orv::WString& path, const std::string& reason);
    ORVRESULT AbortDownload(int selected);
    bool BringToIdle();
    bool AwaitDownloadIdle(const std::string& step);
    bool SendCommand(std::uint8_t* command, std::uint16_t length, const std::string& step);
    LeaveOutcome LeaveDfuMode();
    bool CheckSectorCoverage(const LDfuSeFirmwareFile& file, std::string& reason);
    bool CheckFileDevice(const LDfuSeFirmwareFile& file, std::string& reason) const;
    // Records the failure of a request: the step, the request and the connection's last error.
    void RecordRequestFailure(const std::string& step, std::uint8_t request);

    mutable Orv::Mutex mDeviceLock;
    Orv::Array<DeviceDefinitionEx> mFoundDevices;
    std::unique_ptr<DfuTransferRecord> mTransfer;
    const UpdateModeTimings mUpdateModeTimings;
    const Orv::RCPtr<Orv::LClock> mClock;
    std::atomic<DWORD> mBusyCeiling{kBusyCeiling};
    std::atomic<bool> mAwaitingReset{false};
};
