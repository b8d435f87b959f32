// A simulated unit: the normal-mode device and its DfuSe bootloader (see SimulatedDevices.h).
// Every member is guarded by the world's lock; the *Locked functions expect it held.
#pragma once

#include "platform/SimulatedBus.h"
#include "platform/SimulatedDevices.h"

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace OrvPlatform
{
class SimulatedMidiPortImpl;

class SimulatedUnitImpl : public SimulatedUnit,
                          public std::enable_shared_from_this<SimulatedUnitImpl>
{
public:
    using Clock = std::chrono::steady_clock;

    // Use Create: the unit's port points back to it.
    SimulatedUnitImpl(const SimulatedUnitConfig& config, unsigned slot);
    static std::shared_ptr<SimulatedUnitImpl> Create(const SimulatedUnitConfig& config,
                                                     unsigned slot);

    SimulatedUnitConfig Config() const override;
    SimulatedMode Mode() const override;
    std::uint16_t FirmwareVersion() const override;
    DfuState State() const override;
    DfuStatus Status() const override;
    std::optional<std::uint32_t> LastJumpAddress() const override;
    std::vector<std::uint8_t> ReadFlash(std::uint32_t address, std::uint32_t length) const override;
    std::vector<SimulatedControlRequest> RequestLog() const override;
    void ClearRequestLog() override;
    void SetRequestHook(std::function<void(const SimulatedControlRequest&)> hook) override;
    std::shared_ptr<SimulatedMidiPort> MidiPort() const override;
    void AddFault(const SimulatedFaultRule& rule) override;
    void ClearFaults() override;
    void SetTimings(const DfuTimings& timings) override;
    void SetBusyAnswer(BusyAnswer answer) override;
    void SetReportedPollTimeout(std::optional<Milliseconds> pollTimeout) override;
    void SetDelays(Milliseconds updateModeDelay, Milliseconds resetDelay) override;
    void Unplug() override;
    void Plug(SimulatedMode mode) override;
    bool WaitForMode(SimulatedMode mode, Milliseconds timeout) const override;

    // Bus side.
    void AdvanceLocked(Clock::time_point now);
    SimulatedMode ModeLocked() const { return mMode; }
    SimulatedUsbDeviceInfo UsbInfoLocked() const;
    unsigned GenerationLocked() const { return mGeneration; }
    std::shared_ptr<SimulatedMidiPortImpl> PortLocked() const { return mPort; }
    void RemovedLocked();
    void OnMidiFromHostLocked(const std::vector<std::uint8_t>& message);

    // USB layer (take the lock themselves; may wait). Error codes of WinUsb.h.
    DWORD Open(unsigned& generation);
    DWORD Claim(unsigned generation);
    DWORD ControlTransfer(unsigned generation, const SimulatedSetup& setup, std::uint8_t* buffer,
                          std::uint32_t& transferred);

private:
    enum class Operation
    {
        None,
        SetAddress,
        Erase,
        MassErase,
        Data,
    };
    struct PendingBlock
    {
        Operation operation = Operation::None;
        std::uint16_t blockNumber = 0;
        std::uint32_t address = 0; // command argument
        std::vector<std::uint8_t> data;
        bool complete = false; // the operation has ended well
        DfuStatus outcome = DfuStatus::OK;
    };
    struct FaultEntry
    {
        SimulatedFaultRule rule;
        unsigned remaining;
    };

    std::optional<SimulatedFaultRule> TakeFaultLocked(SimulatedStep step);
    // Carries out a fault set for opening the device or claiming its interface: ERROR_SUCCESS
    // to go on, else the error to report (goneError when the device has left the bus).
    DWORD ApplyOpeningFaultLocked(std::unique_lock<std::mutex>& lock, SimulatedStep step,
                                  unsigned generation, DWORD goneError);
    bool ConnectedLocked(unsigned generation) const;
    void LeaveBusLocked();
    void AttachLocked(SimulatedMode mode);
    void ResetDfuLocked();
    DWORD StallLocked(SimulatedControlRequest& entry);
    // Unlocks, sleeps until `until`, locks again and advances. False (after sleeping to the
    // limit) when `until` lies past `limit`.
    bool WaitLocked(std::unique_lock<std::mutex>& lock, Clock::time_point until,
                    Clock::time_point limit);
    DWORD ControlTransferLocked(std::unique_lock<std::mutex>& lock, unsigned generation,
                                const SimulatedSetup& setup, std::uint8_t* buffer,
                                std::uint32_t& transferred);
    SimulatedStep ClassifyLocked(const SimulatedSetup& setup, const std::uint8_t* buffer) const;
    DWORD StandardRequestLocked(const SimulatedSetup& setup, std::uint8_t* buffer,
                                std::uint32_t& transferred, SimulatedControlRequest& entry);
    // A DFU class request to interface 0, handed to the handler of its request; anything else
    // stalls. A handler that finds the unit gone sets vanished.
    DWORD DfuRequestLocked(const SimulatedSetup& setup, std::uint8_t* buffer,
                           std::uint32_t& transferred, SimulatedControlRequest& entry,
                           bool& vanished);
    DWORD DnloadLocked(const SimulatedSetup& setup, const std::uint8_t* buffer,
                       std::uint32_t& transferred, SimulatedControlRequest& entry);
    DWORD GetStatusLocked(const SimulatedSetup& setup, std::uint8_t* buffer,
                          std::uint32_t& transferred, SimulatedControlRequest& entry,
                          bool& vanished);
    // The GETSTATUS that ends dfuMANIFEST-SYNC.
    DWORD StartManifestationLocked(const SimulatedSetup& setup, std::uint8_t* buffer,
                                   std::uint32_t& transferred, SimulatedControlRequest& entry,
                                   bool& vanished, Clock::time_point now);
    DWORD ClrStatusLocked(const SimulatedSetup& setup, SimulatedControlRequest& entry);
    DWORD GetStateLocked(const SimulatedSetup& setup, std::uint8_t* buffer,
                         std::uint32_t& transferred, SimulatedControlRequest& entry);
    DWORD AbortLocked(const SimulatedSetup& setup, SimulatedControlRequest& entry);
    DWORD UploadLocked(const SimulatedSetup& setup, std::uint8_t* buffer,
                       std::uint32_t& transferred, SimulatedControlRequest& entry);
    // Logs the answer of an input request: ERROR_SUCCESS.
    static DWORD Answered(const std::uint8_t* buffer, std::uint32_t transferred,
                          SimulatedControlRequest& entry);
    void ReplyStatusLocked(std::uint8_t* buffer, std::uint16_t length, DfuState state,
                           Milliseconds pollTimeout, std::uint32_t& transferred);
    // Starts the operation of the pending block at a GETSTATUS; false when the unit vanished.
    bool StartOperationLocked(Clock::time_point now, Milliseconds& pollTimeout);
    DfuStatus ValidateLocked(const PendingBlock& block) const;
    void CompleteOperationLocked();
    // Carries out what the operation of the block does to the flash or the pointer.
    void ApplyOperationLocked(const PendingBlock& block);
    // The bwPollTimeout of a busy answer for an operation with that much time left.
    Milliseconds ReportedPollTimeoutLocked(Milliseconds remaining) const;
    void CompleteManifestationLocked();
    Milliseconds EraseTimeLocked(std::uint32_t sectorSize) const;
    // Writes [offset, offset + length) of the flash to the flash file, when there is one.
    void WriteFlashFileLocked(std::size_t offset, std::size_t length) const;

    SimulatedUnitConfig mConfig;
    const unsigned mSlot;
    std::shared_ptr<SimulatedMidiPortImpl> mPort;
    SimulatedMode mMode;
    unsigned mGeneration = 1;
    std::optional<Clock::time_point> mAttachAt;
    SimulatedMode mAttachMode = SimulatedMode::Normal;
    std::uint16_t mVersion;
    std::vector<std::uint8_t> mFlash;
    std::vector<FaultEntry> mFaults;
    std::vector<SimulatedControlRequest> mLog;
    std::function<void(const SimulatedControlRequest&)> mRequestHook;

    // Bootloader.
    DfuState mState = DfuState::dfuIDLE;
    DfuStatus mStatus = DfuStatus::OK;
    std::uint32_t mPointer = kSimulatedDefaultAddressPointer;
    PendingBlock mPending;
    Clock::time_point mOperationEnd{};
    // An operation that goes on after a stalled request ended the wait for it: the flash
    // finishes it at its time, whatever state the bootloader is in by then.
    std::optional<PendingBlock> mBackground;
    Clock::time_point mBackgroundEnd{};
    bool mManifestFails = false;
    std::optional<std::uint32_t> mJumpAddress;
    DfuStatus mManifestStatus = DfuStatus::errFIRMWARE;
};
} // namespace OrvPlatform
