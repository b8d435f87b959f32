// The simulated unit and its DfuSe bootloader.
//
// The bootloader follows the DFU 1.1 state machine (appendix A of the class specification) for
// a device in DFU mode with bitCanDnload, bitCanUpload and bitWillDetach set and
// bitManifestationTolerant clear, wTransferSize 2048, on interface 0:
//   dfuIDLE         DNLOAD (wLength > 0) -> dfuDNLOAD-SYNC; UPLOAD -> dfuUPLOAD-IDLE;
//                   ABORT, GETSTATUS, GETSTATE stay; anything else stalls
//   dfuDNLOAD-SYNC  GETSTATUS starts the block's operation and answers dfuDNBUSY with its
//                   bwPollTimeout; once the operation has ended, GETSTATUS answers
//                   dfuDNLOAD-IDLE; GETSTATE, ABORT (-> dfuIDLE)
//   dfuDNBUSY       (while the operation runs) requests are held until it ends, or with
//                   BusyAnswer::AnswerBusy GETSTATUS answers dfuDNBUSY again and others stall;
//                   a stall does not stop the operation: the flash finishes it at its time
//   dfuDNLOAD-IDLE  DNLOAD (wLength > 0) -> dfuDNLOAD-SYNC; DNLOAD (wLength = 0) ->
//                   dfuMANIFEST-SYNC; ABORT -> dfuIDLE; GETSTATUS, GETSTATE
//   dfuMANIFEST-SYNC GETSTATUS answers dfuMANIFEST with its bwPollTimeout; GETSTATE; ABORT
//   dfuMANIFEST     as dfuDNBUSY; when it ends the unit leaves the bus (it detaches itself)
//   dfuUPLOAD-IDLE  UPLOAD (a short frame ends the upload -> dfuIDLE); ABORT -> dfuIDLE;
//                   GETSTATUS, GETSTATE
//   dfuERROR        GETSTATUS, GETSTATE; CLRSTATUS -> dfuIDLE with status OK
// A request not allowed in the state stalls and enters dfuERROR with errSTALLEDPKT.
//
// DfuSe: DNLOAD block 0 carries a command: 0x21 + 4-byte address sets the address pointer,
// 0x41 + 4-byte address erases the sector holding the address, 0x41 alone erases every
// application sector. A command of another form stalls. Block 1 stalls. Block n >= 2 carries
// data for pointer + (n - 2) * wLength. UPLOAD block 0 answers the command list (00 21 41);
// block n >= 2 reads from pointer + (n - 2) * wLength. Until a set-address command, the pointer
// is the start of the flash (kSimulatedDefaultAddressPointer). Operation errors are reported by
// the GETSTATUS after the busy one: errADDRESS (an address outside the flash), errERASE /
// errWRITE (erasing / writing the bootloader's own sectors), errCHECK_ERASED (writing flash that
// is not erased).
#include "SimulatedUnitImpl.h"

#include "SimulatedMidiPortImpl.h"
#include "SimulatedWorld.h"
#include "platform/DebugApi.h"
#include "platform/SimulatedFirmwareImage.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <cwctype>
#include <fcntl.h>
#include <thread>
#include <unistd.h>

namespace OrvPlatform
{
namespace
{
constexpr std::uint8_t DFU_DETACH = 0;
constexpr std::uint8_t DFU_DNLOAD = 1;
constexpr std::uint8_t DFU_UPLOAD = 2;
constexpr std::uint8_t DFU_GETSTATUS = 3;
constexpr std::uint8_t DFU_CLRSTATUS = 4;
constexpr std::uint8_t DFU_GETSTATE = 5;
constexpr std::uint8_t DFU_ABORT = 6;
constexpr std::uint16_t kTransferSize = 2048;
constexpr std::uint8_t kCommandSetAddress = 0x21;
constexpr std::uint8_t kCommandErase = 0x41;

std::uint32_t Read32(const std::uint8_t* p)
{
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}

const FlashSector* SectorOf(std::uint64_t address)
{
    for (const auto& sector : SimulatedFlashSectors())
    {
        if (address >= sector.address && address < std::uint64_t(sector.address) + sector.size)
        {
            return &sector;
        }
    }
    return nullptr;
}

bool InFlash(std::uint64_t address, std::uint64_t length)
{
    return address >= kSimulatedFlashBase &&
           address + length <= std::uint64_t(kSimulatedFlashBase) + kSimulatedFlashSize;
}

Milliseconds Remaining(SimulatedUnitImpl::Clock::time_point end,
                       SimulatedUnitImpl::Clock::time_point now)
{
    if (end <= now)
    {
        return Milliseconds(0);
    }
    return std::chrono::ceil<Milliseconds>(end - now);
}
} // namespace

const std::vector<FlashSector>& SimulatedFlashSectors()
{
    static const std::vector<FlashSector> sectors = []
    {
        std::vector<FlashSector> s;
        std::uint32_t address = kSimulatedFlashBase;
        for (std::uint32_t size : {0x4000u, 0x4000u, 0x4000u, 0x4000u, 0x10000u})
        {
            s.push_back({address, size});
            address += size;
        }
        while (address < kSimulatedFlashBase + kSimulatedFlashSize)
        {
            s.push_back({address, 0x20000u});
            address += 0x20000u;
        }
        return s;
    }();
    return sectors;
}

const std::vector<std::uint8_t>& UpdateModeMessage()
{
    static const std::vector<std::uint8_t> message = {0xF0, 0x7D, 0x00, 0x00, 0x01,
                                                      0x10, 0x72, 0x00, 0x00, 0xF7};
    return message;
}

SimulatedUnitConfig SimulatedUnitConfig::Controller(std::uint16_t version)
{
    SimulatedUnitConfig config;
    config.name = L"Halvex DJ Brelune VANTA";
    config.productId = 0x8010;
    config.firmwareVersion = version;
    return config;
}

SimulatedUnitConfig SimulatedUnitConfig::WheelDisplay(std::uint16_t version)
{
    SimulatedUnitConfig config;
    config.name = L"Halvex DJ Brelune VANTA WD";
    config.productId = 0xB010;
    config.firmwareVersion = version;
    return config;
}

SimulatedUnitImpl::SimulatedUnitImpl(const SimulatedUnitConfig& config, unsigned slot)
    : mConfig(config)
    , mSlot(slot)
    , mMode(config.initialMode == SimulatedMode::Bootloader ? SimulatedMode::Bootloader
                                                            : SimulatedMode::Normal)
    , mVersion(config.firmwareVersion)
    , mFlash(kSimulatedFlashSize, 0xFF)
{
    // The bootloader's own sectors hold something, the application area a minimal image.
    std::fill(mFlash.begin(), mFlash.begin() + (kSimulatedApplicationStart - kSimulatedFlashBase),
              0x5A);
    const auto image = SimulatedFirmwareImage::Make(config.firmwareVersion,
                                                    SimulatedFirmwareImage::kMinimumImageSize);
    std::copy(image.begin(), image.end(),
              mFlash.begin() + (kSimulatedApplicationStart - kSimulatedFlashBase));
    if (config.initialMode == SimulatedMode::OffBus)
    {
        mMode = SimulatedMode::OffBus;
    }
    for (const SimulatedFaultRule& rule : config.faults)
    {
        mFaults.push_back({rule, rule.occurrence});
    }
    WriteFlashFileLocked(0, mFlash.size());
}

std::shared_ptr<SimulatedUnitImpl> SimulatedUnitImpl::Create(const SimulatedUnitConfig& config,
                                                             unsigned slot)
{
    auto unit = std::make_shared<SimulatedUnitImpl>(config, slot);
    unit->mPort = std::make_shared<SimulatedMidiPortImpl>(config.name, true, true, unit);
    return unit;
}

SimulatedUnitConfig SimulatedUnitImpl::Config() const
{
    std::lock_guard lock(SimulatedWorld::Get().mutex);
    return mConfig;
}

SimulatedMode SimulatedUnitImpl::Mode() const
{
    std::lock_guard lock(SimulatedWorld::Get().mutex);
    const_cast<SimulatedUnitImpl*>(this)->AdvanceLocked(Clock::now());
    return mMode;
}

std::uint16_t SimulatedUnitImpl::FirmwareVersion() const
{
    std::lock_guard lock(SimulatedWorld::Get().mutex);
    const_cast<SimulatedUnitImpl*>(this)->AdvanceLocked(Clock::now());
    return mVersion;
}

DfuState SimulatedUnitImpl::State() const
{
    std::lock_guard lock(SimulatedWorld::Get().mutex);
    const_cast<SimulatedUnitImpl*>(this)->AdvanceLocked(Clock::now());
    return mState;
}

DfuStatus SimulatedUnitImpl::Status() const
{
    std::lock_guard lock(SimulatedWorld::Get().mutex);
    const_cast<SimulatedUnitImpl*>(this)->AdvanceLocked(Clock::now());
    return mStatus;
}

std::optional<std::uint32_t> SimulatedUnitImpl::LastJumpAddress() const
{
    std::lock_guard lock(SimulatedWorld::Get().mutex);
    const_cast<SimulatedUnitImpl*>(this)->AdvanceLocked(Clock::now());
    return mJumpAddress;
}

std::vector<std::uint8_t> SimulatedUnitImpl::ReadFlash(std::uint32_t address,
                                                       std::uint32_t length) const
{
    std::lock_guard lock(SimulatedWorld::Get().mutex);
    const_cast<SimulatedUnitImpl*>(this)->AdvanceLocked(Clock::now());
    if (!InFlash(address, length))
    {
        return {};
    }
    const auto begin = mFlash.begin() + (address - kSimulatedFlashBase);
    return std::vector<std::uint8_t>(begin, begin + length);
}

std::vector<SimulatedControlRequest> SimulatedUnitImpl::RequestLog() const
{
    std::lock_guard lock(SimulatedWorld::Get().mutex);
    return mLog;
}

void SimulatedUnitImpl::ClearRequestLog()
{
    std::lock_guard lock(SimulatedWorld::Get().mutex);
    mLog.clear();
}

void SimulatedUnitImpl::SetRequestHook(std::function<void(const SimulatedControlRequest&)> hook)
{
    std::lock_guard lock(SimulatedWorld::Get().mutex);
    mRequestHook = std::move(hook);
}

std::shared_ptr<SimulatedMidiPort> SimulatedUnitImpl::MidiPort() const
{
    std::lock_guard lock(SimulatedWorld::Get().mutex);
    return mPort;
}

void SimulatedUnitImpl::AddFault(const SimulatedFaultRule& rule)
{
    std::lock_guard lock(SimulatedWorld::Get().mutex);
    mFaults.push_back({rule, rule.occurrence});
}

void SimulatedUnitImpl::ClearFaults()
{
    std::lock_guard lock(SimulatedWorld::Get().mutex);
    mFaults.clear();
}

void SimulatedUnitImpl::SetTimings(const DfuTimings& timings)
{
    std::lock_guard lock(SimulatedWorld::Get().mutex);
    mConfig.timings = timings;
}

void SimulatedUnitImpl::SetBusyAnswer(BusyAnswer answer)
{
    std::lock_guard lock(SimulatedWorld::Get().mutex);
    mConfig.busyAnswer = answer;
}

void SimulatedUnitImpl::SetReportedPollTimeout(std::optional<Milliseconds> pollTimeout)
{
    std::lock_guard lock(SimulatedWorld::Get().mutex);
    mConfig.reportedPollTimeout = pollTimeout;
}

void SimulatedUnitImpl::SetDelays(Milliseconds updateModeDelay, Milliseconds resetDelay)
{
    std::lock_guard lock(SimulatedWorld::Get().mutex);
    mConfig.updateModeDelay = updateModeDelay;
    mConfig.resetDelay = resetDelay;
}

void SimulatedUnitImpl::Unplug()
{
    std::lock_guard lock(SimulatedWorld::Get().mutex);
    LeaveBusLocked();
    mAttachAt.reset();
}

void SimulatedUnitImpl::Plug(SimulatedMode mode)
{
    std::lock_guard lock(SimulatedWorld::Get().mutex);
    mAttachAt.reset();
    if (mode == SimulatedMode::OffBus)
    {
        LeaveBusLocked();
        return;
    }
    AttachLocked(mode);
}

bool SimulatedUnitImpl::WaitForMode(SimulatedMode mode, Milliseconds timeout) const
{
    const auto end = Clock::now() + timeout;
    for (;;)
    {
        if (Mode() == mode)
        {
            return true;
        }
        if (Clock::now() >= end)
        {
            return false;
        }
        std::this_thread::sleep_for(Milliseconds(1));
    }
}

void SimulatedUnitImpl::RemovedLocked()
{
    LeaveBusLocked();
    mAttachAt.reset();
    mPort->MarkRemovedLocked();
}

SimulatedUsbDeviceInfo SimulatedUnitImpl::UsbInfoLocked() const
{
    SimulatedUsbDeviceInfo info;
    const bool boot = mMode == SimulatedMode::Bootloader;
    info.vendorId = boot ? mConfig.bootloaderVendorId : mConfig.vendorId;
    info.productId = boot ? mConfig.bootloaderProductId : mConfig.productId;
    info.bcdDevice = boot ? mConfig.bootloaderVersion : mVersion;
    wchar_t path[128];
    std::swprintf(path, 128,
                  L"\\\\?\\usb#vid_%04x&pid_%04x#sim%u#{a5dcbf10-6530-11d2-901f-00c04fb951ed}",
                  unsigned(info.vendorId), unsigned(info.productId), mSlot);
    info.path = path;
    return info;
}

// Transitions that were due by `now`, in order.
void SimulatedUnitImpl::AdvanceLocked(Clock::time_point now)
{
    for (;;)
    {
        if (mBackground && now >= mBackgroundEnd)
        {
            const PendingBlock block = std::move(*mBackground);
            mBackground.reset();
            if (block.outcome == DfuStatus::OK)
            {
                ApplyOperationLocked(block);
            }
            continue;
        }
        if (mMode == SimulatedMode::Bootloader && mState == DfuState::dfuDNBUSY &&
            now >= mOperationEnd)
        {
            CompleteOperationLocked();
            continue;
        }
        if (mMode == SimulatedMode::Bootloader && mState == DfuState::dfuMANIFEST &&
            now >= mOperationEnd)
        {
            CompleteManifestationLocked();
            continue;
        }
        if (mMode == SimulatedMode::OffBus && mAttachAt && now >= *mAttachAt)
        {
            mAttachAt.reset();
            AttachLocked(mAttachMode);
            continue;
        }
        return;
    }
}

void SimulatedUnitImpl::LeaveBusLocked()
{
    if (mMode != SimulatedMode::OffBus)
    {
        mMode = SimulatedMode::OffBus;
        ++mGeneration;
    }
    // Without power the flash stops whatever it was doing.
    mBackground.reset();
}

void SimulatedUnitImpl::AttachLocked(SimulatedMode mode)
{
    mMode = mode;
    ++mGeneration;
    ResetDfuLocked();
}

void SimulatedUnitImpl::ResetDfuLocked()
{
    mState = DfuState::dfuIDLE;
    mStatus = DfuStatus::OK;
    mPointer = kSimulatedDefaultAddressPointer;
    mPending = PendingBlock{};
    mBackground.reset();
    mManifestFails = false;
}

bool SimulatedUnitImpl::ConnectedLocked(unsigned generation) const
{
    return mMode != SimulatedMode::OffBus && generation == mGeneration;
}

std::optional<SimulatedFaultRule> SimulatedUnitImpl::TakeFaultLocked(SimulatedStep step)
{
    for (auto it = mFaults.begin(); it != mFaults.end(); ++it)
    {
        if (it->rule.step != step)
        {
            continue;
        }
        if (it->rule.occurrence == 0)
        {
            return it->rule;
        }
        if (--it->remaining == 0)
        {
            const SimulatedFaultRule rule = it->rule;
            mFaults.erase(it);
            return rule;
        }
    }
    return std::nullopt;
}

void SimulatedUnitImpl::OnMidiFromHostLocked(const std::vector<std::uint8_t>& message)
{
    if (mMode != SimulatedMode::Normal || message != UpdateModeMessage())
    {
        return;
    }
    const auto fault = TakeFaultLocked(SimulatedStep::UpdateMessage);
    if (fault && fault->fault == SimulatedFault::Fail)
    {
        return;
    }
    LeaveBusLocked();
    if (fault && fault->fault == SimulatedFault::Vanish)
    {
        mAttachAt.reset();
        return;
    }
    const Milliseconds delay =
        fault && fault->fault == SimulatedFault::Slow ? fault->delay : mConfig.updateModeDelay;
    mAttachAt = Clock::now() + delay;
    mAttachMode = SimulatedMode::Bootloader;
}

bool SimulatedUnitImpl::WaitLocked(std::unique_lock<std::mutex>& lock, Clock::time_point until,
                                   Clock::time_point limit)
{
    const bool inTime = until <= limit;
    const auto wakeAt = inTime ? until : limit;
    lock.unlock();
    std::this_thread::sleep_until(wakeAt);
    lock.lock();
    AdvanceLocked(Clock::now());
    return inTime;
}

DWORD SimulatedUnitImpl::Open(unsigned& generation)
{
    auto& world = SimulatedWorld::Get();
    std::unique_lock lock(world.mutex);
    AdvanceLocked(Clock::now());
    if (mMode == SimulatedMode::OffBus)
    {
        return ERROR_FILE_NOT_FOUND;
    }
    const unsigned openedGeneration = mGeneration;
    if (const DWORD error = ApplyOpeningFaultLocked(lock, SimulatedStep::Open, openedGeneration,
                                                    ERROR_FILE_NOT_FOUND))
    {
        return error;
    }
    generation = openedGeneration;
    return ERROR_SUCCESS;
}

DWORD SimulatedUnitImpl::ApplyOpeningFaultLocked(std::unique_lock<std::mutex>& lock,
                                                 SimulatedStep step, unsigned generation,
                                                 DWORD goneError)
{
    const auto fault = TakeFaultLocked(step);
    if (!fault)
    {
        return ERROR_SUCCESS;
    }
    switch (fault->fault)
    {
        case SimulatedFault::Fail:
        case SimulatedFault::Stall:
        case SimulatedFault::ShortAnswer:
            return ERROR_ACCESS_DENIED;
        case SimulatedFault::Vanish:
            LeaveBusLocked();
            mAttachAt.reset();
            return goneError;
        case SimulatedFault::Slow:
            WaitLocked(lock, Clock::now() + fault->delay, Clock::time_point::max());
            return ConnectedLocked(generation) ? ERROR_SUCCESS : goneError;
    }
    return ERROR_SUCCESS;
}

DWORD SimulatedUnitImpl::Claim(unsigned generation)
{
    auto& world = SimulatedWorld::Get();
    std::unique_lock lock(world.mutex);
    AdvanceLocked(Clock::now());
    if (!ConnectedLocked(generation))
    {
        return ERROR_DEVICE_NOT_CONNECTED;
    }
    if (const DWORD error = ApplyOpeningFaultLocked(lock, SimulatedStep::ClaimInterface, generation,
                                                    ERROR_DEVICE_NOT_CONNECTED))
    {
        return error;
    }
    // In normal mode the interface belongs to the system's MIDI driver.
    if (mMode != SimulatedMode::Bootloader)
    {
        return ERROR_NOT_SUPPORTED;
    }
    return ERROR_SUCCESS;
}

SimulatedStep SimulatedUnitImpl::ClassifyLocked(const SimulatedSetup& setup,
                                                const std::uint8_t* buffer) const
{
    switch (setup.request)
    {
        case DFU_DNLOAD:
            if (setup.length == 0)
            {
                return SimulatedStep::LeaveRequest;
            }
            if (setup.value == 0 && buffer != nullptr)
            {
                return buffer[0] == kCommandErase ? SimulatedStep::EraseRequest
                                                  : SimulatedStep::SetAddressRequest;
            }
            return SimulatedStep::DataRequest;
        case DFU_UPLOAD:
            return SimulatedStep::UploadRequest;
        case DFU_GETSTATUS:
            return SimulatedStep::GetStatusRequest;
        case DFU_CLRSTATUS:
            return SimulatedStep::ClearStatusRequest;
        case DFU_GETSTATE:
            return SimulatedStep::GetStateRequest;
        case DFU_ABORT:
            return SimulatedStep::AbortRequest;
        default:
            return SimulatedStep::GetStateRequest; // never faulted: see ControlTransfer
    }
}

DWORD SimulatedUnitImpl::StallLocked(SimulatedControlRequest& entry)
{
    if (mState == DfuState::dfuDNBUSY && mPending.operation != Operation::None)
    {
        // The request is refused, not the operation: the flash goes on with it.
        mBackground = std::move(mPending);
        mBackgroundEnd = mOperationEnd;
    }
    mState = DfuState::dfuERROR;
    mStatus = DfuStatus::errSTALLEDPKT;
    mPending = PendingBlock{};
    entry.stalled = true;
    entry.data.clear();
    return ERROR_GEN_FAILURE;
}

DWORD SimulatedUnitImpl::ControlTransfer(unsigned generation, const SimulatedSetup& setup,
                                         std::uint8_t* buffer, std::uint32_t& transferred)
{
    std::function<void(const SimulatedControlRequest&)> hook;
    std::optional<SimulatedControlRequest> answered;
    DWORD result = ERROR_SUCCESS;
    {
        std::unique_lock lock(SimulatedWorld::Get().mutex);
        const std::size_t logged = mLog.size();
        result = ControlTransferLocked(lock, generation, setup, buffer, transferred);
        if (mRequestHook && mLog.size() > logged)
        {
            hook = mRequestHook;
            answered = mLog.back();
        }
    }
    if (hook)
    {
        hook(*answered);
    }
    return result;
}

DWORD SimulatedUnitImpl::ControlTransferLocked(std::unique_lock<std::mutex>& lock,
                                               unsigned generation, const SimulatedSetup& setup,
                                               std::uint8_t* buffer, std::uint32_t& transferred)
{
    transferred = 0;
    const auto start = Clock::now();
    const auto limit = start + mConfig.controlTimeout;
    AdvanceLocked(start);
    if (!ConnectedLocked(generation))
    {
        return ERROR_DEVICE_NOT_CONNECTED;
    }

    SimulatedControlRequest entry;
    entry.requestType = setup.requestType;
    entry.request = setup.request;
    entry.value = setup.value;
    entry.index = setup.index;
    entry.length = setup.length;
    const bool input = (setup.requestType & 0x80) != 0;
    if (!input && setup.length > 0)
    {
        entry.data.assign(buffer, buffer + setup.length);
    }

    const bool classRequest = (setup.requestType & 0x60) == 0x20;
    if (!classRequest || mMode != SimulatedMode::Bootloader)
    {
        const DWORD result = StandardRequestLocked(setup, buffer, transferred, entry);
        mLog.push_back(std::move(entry));
        return result;
    }

    Milliseconds extra{0};
    std::optional<std::uint16_t> shortAnswer;
    const bool knownRequest = setup.request <= DFU_ABORT && setup.request != DFU_DETACH;
    if (knownRequest)
    {
        if (const auto fault = TakeFaultLocked(ClassifyLocked(setup, buffer)))
        {
            switch (fault->fault)
            {
                case SimulatedFault::Fail:
                    entry.data.clear();
                    mLog.push_back(std::move(entry));
                    return ERROR_GEN_FAILURE;
                case SimulatedFault::Vanish:
                    LeaveBusLocked();
                    mAttachAt.reset();
                    return ERROR_DEVICE_NOT_CONNECTED;
                case SimulatedFault::Stall:
                {
                    const DWORD result = StallLocked(entry);
                    mLog.push_back(std::move(entry));
                    return result;
                }
                case SimulatedFault::Slow:
                    extra = fault->delay;
                    break;
                case SimulatedFault::ShortAnswer:
                    shortAnswer = fault->answerLength;
                    break;
            }
        }
    }

    // A request that comes while an operation runs is held until it has ended.
    if (mConfig.busyAnswer == BusyAnswer::Hold &&
        (mState == DfuState::dfuDNBUSY || mState == DfuState::dfuMANIFEST))
    {
        if (!WaitLocked(lock, mOperationEnd, limit))
        {
            return ERROR_SEM_TIMEOUT;
        }
        if (!ConnectedLocked(generation))
        {
            return ERROR_DEVICE_NOT_CONNECTED;
        }
    }
    if (extra > Milliseconds(0))
    {
        if (!WaitLocked(lock, Clock::now() + extra, limit))
        {
            return ERROR_SEM_TIMEOUT;
        }
        if (!ConnectedLocked(generation))
        {
            return ERROR_DEVICE_NOT_CONNECTED;
        }
    }

    bool vanished = false;
    const DWORD result = DfuRequestLocked(setup, buffer, transferred, entry, vanished);
    if (vanished)
    {
        return ERROR_DEVICE_NOT_CONNECTED;
    }
    if (shortAnswer && input && result == ERROR_SUCCESS && transferred > *shortAnswer)
    {
        transferred = *shortAnswer;
        entry.data.resize(transferred);
    }
    mLog.push_back(std::move(entry));
    return result;
}

// Standard requests: the device descriptor; anything else stalls (the DFU state is not
// touched: these are not DFU requests).
DWORD SimulatedUnitImpl::StandardRequestLocked(const SimulatedSetup& setup, std::uint8_t* buffer,
                                               std::uint32_t& transferred,
                                               SimulatedControlRequest& entry)
{
    if (setup.requestType == 0x80 && setup.request == 6 && (setup.value >> 8) == 1 &&
        setup.length > 0)
    {
        const auto info = UsbInfoLocked();
        const std::uint8_t descriptor[18] = {18,
                                             1,
                                             0x00,
                                             0x02,
                                             0,
                                             0,
                                             0,
                                             64,
                                             std::uint8_t(info.vendorId),
                                             std::uint8_t(info.vendorId >> 8),
                                             std::uint8_t(info.productId),
                                             std::uint8_t(info.productId >> 8),
                                             std::uint8_t(info.bcdDevice),
                                             std::uint8_t(info.bcdDevice >> 8),
                                             1,
                                             2,
                                             3,
                                             1};
        const std::uint32_t n = std::min<std::uint32_t>(setup.length, 18);
        std::copy(descriptor, descriptor + n, buffer);
        transferred = n;
        entry.data.assign(descriptor, descriptor + n);
        return ERROR_SUCCESS;
    }
    entry.stalled = true;
    entry.data.clear();
    return ERROR_GEN_FAILURE;
}

void SimulatedUnitImpl::ReplyStatusLocked(std::uint8_t* buffer, std::uint16_t length,
                                          DfuState state, Milliseconds pollTimeout,
                                          std::uint32_t& transferred)
{
    const auto poll =
        static_cast<std::uint32_t>(std::min<std::int64_t>(pollTimeout.count(), 0xFFFFFF));
    const std::uint8_t answer[6] = {std::uint8_t(mStatus),   std::uint8_t(poll),
                                    std::uint8_t(poll >> 8), std::uint8_t(poll >> 16),
                                    std::uint8_t(state),     0};
    const std::uint32_t n = std::min<std::uint32_t>(length, 6);
    std::copy(answer, answer + n, buffer);
    transferred = n;
}

DWORD SimulatedUnitImpl::DfuRequestLocked(const SimulatedSetup& setup, std::uint8_t* buffer,
                                          std::uint32_t& transferred,
                                          SimulatedControlRequest& entry, bool& vanished)
{
    const bool toInterface0 = (setup.requestType & 0x1F) == 0x01 && setup.index == 0;
    if (!toInterface0)
    {
        return StallLocked(entry);
    }
    switch (setup.request)
    {
        case DFU_DNLOAD:
            return DnloadLocked(setup, buffer, transferred, entry);
        case DFU_GETSTATUS:
            return GetStatusLocked(setup, buffer, transferred, entry, vanished);
        case DFU_CLRSTATUS:
            return ClrStatusLocked(setup, entry);
        case DFU_GETSTATE:
            return GetStateLocked(setup, buffer, transferred, entry);
        case DFU_ABORT:
            return AbortLocked(setup, entry);
        case DFU_UPLOAD:
            return UploadLocked(setup, buffer, transferred, entry);
        default:
            return StallLocked(entry);
    }
}

DWORD SimulatedUnitImpl::Answered(const std::uint8_t* buffer, std::uint32_t transferred,
                                  SimulatedControlRequest& entry)
{
    entry.data.assign(buffer, buffer + transferred);
    return ERROR_SUCCESS;
}

// A data block, a command in block 0, or (with no data) the start of manifestation.
DWORD SimulatedUnitImpl::DnloadLocked(const SimulatedSetup& setup, const std::uint8_t* buffer,
                                      std::uint32_t& transferred, SimulatedControlRequest& entry)
{
    const bool input = (setup.requestType & 0x80) != 0;
    if (input || setup.length > kTransferSize)
    {
        return StallLocked(entry);
    }
    if (setup.length == 0)
    {
        if (mState != DfuState::dfuDNLOAD_IDLE)
        {
            return StallLocked(entry);
        }
        mState = DfuState::dfuMANIFEST_SYNC;
        return ERROR_SUCCESS;
    }
    if (mState != DfuState::dfuIDLE && mState != DfuState::dfuDNLOAD_IDLE)
    {
        return StallLocked(entry);
    }
    PendingBlock block;
    block.blockNumber = setup.value;
    if (setup.value == 0)
    {
        if (buffer[0] == kCommandSetAddress && setup.length == 5)
        {
            block.operation = Operation::SetAddress;
            block.address = Read32(buffer + 1);
        }
        else if (buffer[0] == kCommandErase && setup.length == 5)
        {
            block.operation = Operation::Erase;
            block.address = Read32(buffer + 1);
        }
        else if (buffer[0] == kCommandErase && setup.length == 1)
        {
            block.operation = Operation::MassErase;
        }
        else
        {
            return StallLocked(entry);
        }
    }
    else if (setup.value == 1)
    {
        return StallLocked(entry);
    }
    else
    {
        block.operation = Operation::Data;
        block.data.assign(buffer, buffer + setup.length);
    }
    mPending = std::move(block);
    mState = DfuState::dfuDNLOAD_SYNC;
    transferred = setup.length;
    return ERROR_SUCCESS;
}

// The status: starts the operation of a block that came, or manifestation; busy while one runs.
DWORD SimulatedUnitImpl::GetStatusLocked(const SimulatedSetup& setup, std::uint8_t* buffer,
                                         std::uint32_t& transferred, SimulatedControlRequest& entry,
                                         bool& vanished)
{
    const bool input = (setup.requestType & 0x80) != 0;
    if (!input || setup.length == 0)
    {
        return StallLocked(entry);
    }
    const auto now = Clock::now();
    switch (mState)
    {
        case DfuState::dfuDNLOAD_SYNC:
            if (mPending.complete)
            {
                mPending = PendingBlock{};
                mState = DfuState::dfuDNLOAD_IDLE;
                ReplyStatusLocked(buffer, setup.length, mState, Milliseconds(0), transferred);
            }
            else
            {
                Milliseconds poll{0};
                if (!StartOperationLocked(now, poll))
                {
                    vanished = true;
                    return ERROR_DEVICE_NOT_CONNECTED;
                }
                if (mState == DfuState::dfuERROR)
                {
                    return StallLocked(entry);
                }
                ReplyStatusLocked(buffer, setup.length, DfuState::dfuDNBUSY, poll, transferred);
            }
            return Answered(buffer, transferred, entry);
        case DfuState::dfuDNBUSY:
        case DfuState::dfuMANIFEST:
            // Only reached when the unit answers busy again.
            ReplyStatusLocked(buffer, setup.length, mState,
                              ReportedPollTimeoutLocked(Remaining(mOperationEnd, now)),
                              transferred);
            return Answered(buffer, transferred, entry);
        case DfuState::dfuMANIFEST_SYNC:
            return StartManifestationLocked(setup, buffer, transferred, entry, vanished, now);
        default:
            ReplyStatusLocked(buffer, setup.length, mState, Milliseconds(0), transferred);
            return Answered(buffer, transferred, entry);
    }
}

DWORD SimulatedUnitImpl::StartManifestationLocked(const SimulatedSetup& setup, std::uint8_t* buffer,
                                                  std::uint32_t& transferred,
                                                  SimulatedControlRequest& entry, bool& vanished,
                                                  Clock::time_point now)
{
    Milliseconds duration = mConfig.timings.manifestTime;
    mManifestFails = false;
    if (const auto fault = TakeFaultLocked(SimulatedStep::ManifestOperation))
    {
        switch (fault->fault)
        {
            case SimulatedFault::Fail:
                mManifestFails = true;
                mManifestStatus =
                    fault->status == DfuStatus::OK ? DfuStatus::errFIRMWARE : fault->status;
                break;
            case SimulatedFault::Slow:
                duration = fault->delay;
                break;
            case SimulatedFault::Vanish:
                LeaveBusLocked();
                mAttachAt.reset();
                vanished = true;
                return ERROR_DEVICE_NOT_CONNECTED;
            case SimulatedFault::Stall:
                return StallLocked(entry);
            case SimulatedFault::ShortAnswer:
                break; // only requests answer
        }
    }
    mState = DfuState::dfuMANIFEST;
    mOperationEnd = now + duration;
    ReplyStatusLocked(buffer, setup.length, mState, ReportedPollTimeoutLocked(duration),
                      transferred);
    return Answered(buffer, transferred, entry);
}

// Clears an error.
DWORD SimulatedUnitImpl::ClrStatusLocked(const SimulatedSetup& setup,
                                         SimulatedControlRequest& entry)
{
    const bool input = (setup.requestType & 0x80) != 0;
    if (input || mState != DfuState::dfuERROR)
    {
        return StallLocked(entry);
    }
    mState = DfuState::dfuIDLE;
    mStatus = DfuStatus::OK;
    return ERROR_SUCCESS;
}

// The state alone; refused while an operation runs.
DWORD SimulatedUnitImpl::GetStateLocked(const SimulatedSetup& setup, std::uint8_t* buffer,
                                        std::uint32_t& transferred, SimulatedControlRequest& entry)
{
    const bool input = (setup.requestType & 0x80) != 0;
    if (!input || setup.length == 0 || mState == DfuState::dfuDNBUSY ||
        mState == DfuState::dfuMANIFEST)
    {
        return StallLocked(entry);
    }
    buffer[0] = static_cast<std::uint8_t>(mState);
    transferred = 1;
    return Answered(buffer, transferred, entry);
}

// Back to idle from the states that allow it, dropping a block that came.
DWORD SimulatedUnitImpl::AbortLocked(const SimulatedSetup& setup, SimulatedControlRequest& entry)
{
    const bool input = (setup.requestType & 0x80) != 0;
    if (input || !(mState == DfuState::dfuIDLE || mState == DfuState::dfuDNLOAD_SYNC ||
                   mState == DfuState::dfuDNLOAD_IDLE || mState == DfuState::dfuMANIFEST_SYNC ||
                   mState == DfuState::dfuUPLOAD_IDLE))
    {
        return StallLocked(entry);
    }
    mPending = PendingBlock{};
    mState = DfuState::dfuIDLE;
    return ERROR_SUCCESS;
}

// Block 0 lists the commands; blocks from 2 read the flash from the address pointer on.
DWORD SimulatedUnitImpl::UploadLocked(const SimulatedSetup& setup, std::uint8_t* buffer,
                                      std::uint32_t& transferred, SimulatedControlRequest& entry)
{
    const bool input = (setup.requestType & 0x80) != 0;
    if (!input || setup.length == 0 || setup.length > kTransferSize ||
        !(mState == DfuState::dfuIDLE || mState == DfuState::dfuUPLOAD_IDLE) || setup.value == 1)
    {
        return StallLocked(entry);
    }
    if (setup.value == 0)
    {
        const std::uint8_t commands[3] = {0x00, kCommandSetAddress, kCommandErase};
        const std::uint32_t n = std::min<std::uint32_t>(setup.length, 3);
        std::copy(commands, commands + n, buffer);
        transferred = n;
    }
    else
    {
        const std::uint64_t address =
            std::uint64_t(mPointer) + std::uint64_t(setup.value - 2) * setup.length;
        if (!InFlash(address, 1))
        {
            return StallLocked(entry);
        }
        const std::uint64_t end = std::uint64_t(kSimulatedFlashBase) + kSimulatedFlashSize;
        const auto n =
            static_cast<std::uint32_t>(std::min<std::uint64_t>(setup.length, end - address));
        const auto from = mFlash.begin() + (address - kSimulatedFlashBase);
        std::copy(from, from + n, buffer);
        transferred = n;
    }
    mState = transferred < setup.length ? DfuState::dfuIDLE : DfuState::dfuUPLOAD_IDLE;
    return Answered(buffer, transferred, entry);
}

Milliseconds SimulatedUnitImpl::EraseTimeLocked(std::uint32_t sectorSize) const
{
    return mConfig.timings.eraseTimePer16K * static_cast<int>(sectorSize / 0x4000u);
}

DfuStatus SimulatedUnitImpl::ValidateLocked(const PendingBlock& block) const
{
    switch (block.operation)
    {
        case Operation::SetAddress:
            return InFlash(block.address, 1) ? DfuStatus::OK : DfuStatus::errADDRESS;
        case Operation::Erase:
            if (!InFlash(block.address, 1))
            {
                return DfuStatus::errADDRESS;
            }
            return block.address < kSimulatedApplicationStart ? DfuStatus::errERASE : DfuStatus::OK;
        case Operation::MassErase:
            return DfuStatus::OK;
        case Operation::Data:
        {
            const std::uint64_t address =
                std::uint64_t(mPointer) + std::uint64_t(block.blockNumber - 2) * block.data.size();
            if (!InFlash(address, block.data.size()))
            {
                return DfuStatus::errADDRESS;
            }
            if (address < kSimulatedApplicationStart)
            {
                return DfuStatus::errWRITE;
            }
            const auto from = mFlash.begin() + (address - kSimulatedFlashBase);
            const bool erased = std::all_of(from, from + block.data.size(),
                                            [](std::uint8_t b) { return b == 0xFF; });
            return erased ? DfuStatus::OK : DfuStatus::errCHECK_ERASED;
        }
        case Operation::None:
            break;
    }
    return DfuStatus::errUNKNOWN;
}

bool SimulatedUnitImpl::StartOperationLocked(Clock::time_point now, Milliseconds& pollTimeout)
{
    Milliseconds duration{0};
    SimulatedStep step = SimulatedStep::ProgramOperation;
    DfuStatus failure = DfuStatus::errPROG;
    switch (mPending.operation)
    {
        case Operation::SetAddress:
            duration = mConfig.timings.commandTime;
            break;
        case Operation::Erase:
            step = SimulatedStep::EraseOperation;
            failure = DfuStatus::errERASE;
            if (const FlashSector* sector = SectorOf(mPending.address))
            {
                duration = EraseTimeLocked(sector->size);
            }
            break;
        case Operation::MassErase:
            step = SimulatedStep::EraseOperation;
            failure = DfuStatus::errERASE;
            for (const auto& sector : SimulatedFlashSectors())
            {
                if (sector.address >= kSimulatedApplicationStart)
                {
                    duration += EraseTimeLocked(sector.size);
                }
            }
            break;
        case Operation::Data:
            duration = mConfig.timings.programTimePerBlock;
            break;
        case Operation::None:
            break;
    }
    mPending.outcome = ValidateLocked(mPending);
    if (mPending.operation != Operation::SetAddress)
    {
        if (const auto fault = TakeFaultLocked(step))
        {
            switch (fault->fault)
            {
                case SimulatedFault::Fail:
                    mPending.outcome = fault->status == DfuStatus::OK ? failure : fault->status;
                    break;
                case SimulatedFault::Slow:
                    duration = fault->delay;
                    break;
                case SimulatedFault::Vanish:
                    LeaveBusLocked();
                    mAttachAt.reset();
                    return false;
                case SimulatedFault::Stall:
                    mState = DfuState::dfuERROR;
                    return true;
                case SimulatedFault::ShortAnswer:
                    break; // only requests answer
            }
        }
    }
    if (mPending.operation == Operation::Data && mPending.outcome == DfuStatus::OK)
    {
        // Where the block goes is fixed now (the validation found it inside the flash).
        mPending.address = static_cast<std::uint32_t>(std::uint64_t(mPointer) +
                                                      std::uint64_t(mPending.blockNumber - 2) *
                                                          mPending.data.size());
    }
    // The flash takes one operation at a time: one that still runs after a stalled request
    // delays this one.
    const auto begin = mBackground ? std::max(now, mBackgroundEnd) : now;
    mState = DfuState::dfuDNBUSY;
    mOperationEnd = begin + duration;
    pollTimeout = ReportedPollTimeoutLocked(Remaining(mOperationEnd, now));
    return true;
}

Milliseconds SimulatedUnitImpl::ReportedPollTimeoutLocked(Milliseconds remaining) const
{
    return mConfig.reportedPollTimeout ? *mConfig.reportedPollTimeout : remaining;
}

void SimulatedUnitImpl::CompleteOperationLocked()
{
    if (mPending.outcome != DfuStatus::OK)
    {
        mState = DfuState::dfuERROR;
        mStatus = mPending.outcome;
        mPending = PendingBlock{};
        return;
    }
    ApplyOperationLocked(mPending);
    mPending.complete = true;
    mState = DfuState::dfuDNLOAD_SYNC;
}

void SimulatedUnitImpl::ApplyOperationLocked(const PendingBlock& block)
{
    switch (block.operation)
    {
        case Operation::SetAddress:
            mPointer = block.address;
            break;
        case Operation::Erase:
            if (const FlashSector* sector = SectorOf(block.address))
            {
                const auto from = mFlash.begin() + (sector->address - kSimulatedFlashBase);
                std::fill(from, from + sector->size, 0xFF);
                WriteFlashFileLocked(sector->address - kSimulatedFlashBase, sector->size);
            }
            break;
        case Operation::MassErase:
        {
            const std::size_t start = kSimulatedApplicationStart - kSimulatedFlashBase;
            std::fill(mFlash.begin() + start, mFlash.end(), 0xFF);
            WriteFlashFileLocked(start, mFlash.size() - start);
            break;
        }
        case Operation::Data:
            std::copy(block.data.begin(), block.data.end(),
                      mFlash.begin() + (block.address - kSimulatedFlashBase));
            WriteFlashFileLocked(block.address - kSimulatedFlashBase, block.data.size());
            break;
        case Operation::None:
            break;
    }
}

void SimulatedUnitImpl::CompleteManifestationLocked()
{
    if (mManifestFails)
    {
        mManifestFails = false;
        mState = DfuState::dfuERROR;
        mStatus = mManifestStatus;
        return;
    }
    // Leaving DFU mode, the bootloader jumps to its address pointer.
    const std::uint32_t jump = mPointer;
    mJumpAddress = jump;
    bool runsImage = true;
    std::uint16_t version = 0;
    if (InFlash(jump, 1))
    {
        const std::size_t offset = jump - kSimulatedFlashBase;
        const bool intact = SimulatedFirmwareImage::ReadVersion(mFlash.data() + offset,
                                                                mFlash.size() - offset, version);
        if (intact)
        {
            mVersion = version;
        }
        // At the application start the unit's own start-up code runs whatever the image; a
        // jump anywhere else runs something only where an image starts.
        runsImage = intact || jump == kSimulatedApplicationStart;
    }
    else
    {
        runsImage = false;
    }
    const auto leftAt = mOperationEnd;
    mState = DfuState::dfuMANIFEST_WAIT_RESET;
    LeaveBusLocked();
    mAttachMode = runsImage ? SimulatedMode::Normal : SimulatedMode::Bootloader;
    mAttachAt = leftAt + mConfig.resetDelay;
    if (const auto fault = TakeFaultLocked(SimulatedStep::ReturnToNormal))
    {
        switch (fault->fault)
        {
            case SimulatedFault::Fail:
            case SimulatedFault::Stall:
                mAttachMode = SimulatedMode::Bootloader;
                break;
            case SimulatedFault::Slow:
                mAttachAt = leftAt + fault->delay;
                break;
            case SimulatedFault::Vanish:
                mAttachAt.reset();
                break;
            case SimulatedFault::ShortAnswer:
                break;
        }
    }
}

void SimulatedUnitImpl::WriteFlashFileLocked(std::size_t offset, std::size_t length) const
{
    if (mConfig.flashFile.empty())
    {
        return;
    }
    const int file = open(mConfig.flashFile.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    bool written = file >= 0;
    for (std::size_t done = 0; written && done < length;)
    {
        const ssize_t n = pwrite(file, mFlash.data() + offset + done, length - done,
                                 static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR)
        {
            continue;
        }
        written = n > 0;
        done += written ? static_cast<std::size_t>(n) : 0;
    }
    const int error = errno;
    if (file >= 0)
    {
        close(file);
    }
    if (!written)
    {
        OutputDebugStringA(("simulated unit: the flash file " + mConfig.flashFile +
                            " cannot be written (" + std::strerror(error) + ")\n")
                               .c_str());
    }
}
} // namespace OrvPlatform
