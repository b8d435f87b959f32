// Writing a DfuSe image to the selected device in its DFU bootloader: check the file and that its
// element lies inside the flash sectors of the current image, bring the device to dfuIDLE, erase
// every sector the element overlaps, write the element in 2048-byte blocks with DfuSe addressing,
// and have the device leave DFU mode.
//
// DfuSe addressing: after a set-address command, data block number 2 lands at the pointer and
// number k at pointer + (k - 2) x the block's length. Block i therefore goes out as i + 2; a
// short last block needs a pointer of its own and goes out as number 2.
//
// After each download request the device is asked for its status until it reports
// dfuDNLOAD-IDLE; while it answers dfuDNBUSY the next request waits, to the deadline, the
// bwPollTimeout it gave (at least 1 ms), for at most the busy ceiling per operation.
//
// Leaving DFU mode: a DfuSe bootloader then starts the code at its address pointer, so after a
// short last block (which moved the pointer) the pointer is set back to the image's start first.
// The zero-length download has the device manifest the image and reset. A
// device that still answers afterwards in a state other than dfuMANIFEST-SYNC, dfuMANIFEST or
// dfuMANIFEST-WAIT-RESET did not leave DFU mode: the update failed. One that no longer answers
// may be resetting, as it should: whether the update took is seen when it comes back (the
// completion step waits for it); until then the device state stays 8.
//
// Every device failure is recorded as text (GetLastFailureText): the step, the DFU request,
// the state and status the device answered, and the system's error.
#include "UpdateEngine.h"

#include "DfuProtocol.h"
#include "DfuSeFirmwareFile.h"
#include "DfuTransferRecord.h"
#include "FlashLayout.h"
#include "PollTimer.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <exception>
#include <vector>

using Orv::WString;

namespace
{
using Clock = PollTimer::Clock;
using Milliseconds = std::chrono::milliseconds;

// Closes the connection when the download returns, whichever way.
class ConnectionCloser
{
public:
    explicit ConnectionCloser(WinUsbConnection& connection)
        : mConnection(connection)
    {
    }
    ~ConnectionCloser() { mConnection.Close(); }
    ConnectionCloser(const ConnectionCloser&) = delete;
    ConnectionCloser& operator=(const ConnectionCloser&) = delete;

private:
    WinUsbConnection& mConnection;
};

struct Sector
{
    std::uint32_t address;
    std::uint32_t size;
};

// The sector table of the sequence's current image (without a sequence, the device's
// application sectors), up to the first entry that cannot be looked up; the sizes come from the
// flash layout (0 for an address where no sector starts).
std::vector<Sector> CurrentSectorTable(const IUpdateImageSequence* sequence)
{
    std::vector<Sector> table;
    if (sequence != nullptr)
    {
        const unsigned int count = sequence->GetSectorCount();
        for (unsigned int i = 0; i < count; ++i)
        {
            std::uint32_t address = 0;
            if (!sequence->LookupSector(i, address))
            {
                break;
            }
            table.push_back({address, FlashLayout::GetSectorSize(address)});
        }
        return table;
    }
    for (std::uint32_t address : FlashLayout::GetApplicationSectors())
    {
        table.push_back({address, FlashLayout::GetSectorSize(address)});
    }
    return table;
}

std::string Hex(std::uint64_t value)
{
    char text[24];
    std::snprintf(text, sizeof(text), "0x%08llX", static_cast<unsigned long long>(value));
    return text;
}

std::string Hex16(std::uint32_t value)
{
    char text[16];
    std::snprintf(text, sizeof(text), "0x%04X", static_cast<unsigned int>(value));
    return text;
}

// "dfuERROR (bState 10), status errERASE (bStatus 0x04)".
std::string StatusText(const DfuStatus& status)
{
    char code[16];
    std::snprintf(code, sizeof(code), "0x%02X", static_cast<unsigned int>(status.bStatus));
    return std::string(DfuProtocol::StateName(status.bState)) + " (bState " +
           std::to_string(status.bState) + "), status " + DfuProtocol::StatusName(status.bStatus) +
           " (bStatus " + code + ")";
}

bool IsBusy(std::uint32_t state)
{
    return state == DfuProtocol::dfuDNBUSY;
}

bool IsManifesting(std::uint32_t state)
{
    return state == DfuProtocol::dfuMANIFEST_SYNC || state == DfuProtocol::dfuMANIFEST;
}

enum class PollResult
{
    Settled,       // the device answered a state that is not a busy one
    RequestFailed, // a GETSTATUS failed (the connection keeps the error)
    StillBusy      // the device was still busy at the ceiling
};

// GETSTATUS until the device answers a state for which busy is false: after a busy answer the
// next request waits, to the deadline, the bwPollTimeout it gave (at least 1 ms); after the
// ceiling from now, one more look, then StillBusy. status holds the last answer.
PollResult PollWhile(WinUsbConnection& connection, bool (*busy)(std::uint32_t),
                     Milliseconds ceiling, DfuStatus& status)
{
    const Clock::time_point limit = Clock::now() + ceiling;
    for (;;)
    {
        if (connection.GetStatus(status) != 0)
        {
            return PollResult::RequestFailed;
        }
        const Clock::time_point answered = Clock::now();
        if (!busy(status.bState))
        {
            return PollResult::Settled;
        }
        if (answered >= limit)
        {
            return PollResult::StillBusy;
        }
        const Milliseconds wait = std::max(Milliseconds(1), Milliseconds(status.bwPollTimeout));
        PollTimer::SleepUntil(std::min(answered + wait, limit));
    }
}
} // namespace

ORVRESULT LUpdateEngine::Download()
{
    if (GetDeviceState() != kDeviceUpdating || GetFileState() < kFilePresent)
    {
        return E_FAIL;
    }
    const int selected = GetSelectedIndex();
    ClearLastFailure();
    mAwaitingReset.store(false);
    ConnectionCloser closer(mTransfer->connection);
    const PollTimer timer;
    try
    {
        if (selected < 0 || !GetFoundDevice(static_cast<unsigned int>(selected), mTransfer->device))
        {
            return FailDevice(selected, "Device failure: no device is selected");
        }
        mTransfer->pollWait = 0;
        SetUpdateResult(kUpdateInProgress);
        WString path;
        GetFirmwarePath(path);
        return RunDownload(selected, path);
    }
    catch (const std::exception& error)
    {
        return FailDevice(selected,
                          std::string("Device failure: the download stopped: ") + error.what());
    }
}

ORVRESULT LUpdateEngine::RunDownload(int selected, const WString& path)
{
    Orv::RCPtr<LDfuSeFirmwareFile> file = LDfuSeFirmwareFile::Create();
    if (FAILED(file->Open(path, kBlockSize)))
    {
        return RefuseFile(selected, path, file->GetRefusal());
    }
    std::string refusal;
    if (!CheckFileDevice(*file, refusal) || !CheckSectorCoverage(*file, refusal))
    {
        return RefuseFile(selected, path, refusal);
    }

    // With the bootloader's ids on more than one device, the one to write cannot be told.
    const DeviceDefinition& definition = mTransfer->device.definition;
    if (CountPresentDevices(definition.bootloaderVendorId, definition.bootloaderProductId) > 1)
    {
        return FailDevice(selected, "Device failure: more than one device in DFU mode is "
                                    "present, so the one to write cannot be told; nothing was "
                                    "written");
    }

    WinUsbConnection& connection = mTransfer->connection;
    if (!connection.Open(mTransfer->device.bootloaderPath))
    {
        return FailDevice(selected, "Device failure: opening the device in DFU mode failed: " +
                                        connection.DescribeLastError());
    }
    if (!BringToIdle())
    {
        return FailDownload(selected, kFailureDevice);
    }

    const std::uint32_t elementAddress = file->GetElementAddress();
    const std::uint64_t elementEnd = std::uint64_t(elementAddress) + file->GetElementSize();
    std::uint8_t buffer[kBlockSize];
    bool failed = false;

    // Erase: every listed sector that the element overlaps.
    const std::vector<Sector> sectors = CurrentSectorTable(GetImageSequence().Get());
    const auto sectorCount = static_cast<std::uint16_t>(sectors.size());
    for (std::uint16_t i = 0; i < sectorCount && !IsAbortRequested(); ++i)
    {
        PostProgress(0, double(i) / sectorCount * 0.5, true, -1, false, WString());
        const Sector& sector = sectors[i];
        if (std::uint64_t(sector.address) + sector.size <= elementAddress)
        {
            continue;
        }
        if (sector.address >= elementEnd)
        {
            break;
        }
        std::uint16_t length = kBlockSize;
        if (FAILED(file->BuildEraseCommand(sector.address, buffer, length)) ||
            !SendCommand(buffer, length, "erasing the sector at " + Hex(sector.address)))
        {
            failed = true;
            break;
        }
    }

    // Write, block by block.
    const std::uint16_t blockCount = file->GetBlockCount();
    const bool shortLastBlock = file->GetElementSize() % kBlockSize != 0;
    std::uint16_t anchor = 0;
    for (std::uint16_t i = 0; !failed && i < blockCount && !IsAbortRequested(); ++i)
    {
        PostProgress(0, double(i + blockCount) / (2.0 * blockCount), true, -1, false, WString());
        const std::uint32_t blockAddress = elementAddress + std::uint32_t(kBlockSize) * i;
        if (i == 0 || (i == blockCount - 1 && shortLastBlock))
        {
            std::uint16_t length = kBlockSize;
            if (FAILED(file->BuildSetAddressCommand(i, buffer, length)) ||
                !SendCommand(buffer, length, "setting the address pointer to " + Hex(blockAddress)))
            {
                failed = true;
                break;
            }
            anchor = i;
        }
        std::uint16_t length = kBlockSize;
        if (FAILED(file->ReadBlock(i, buffer, length)))
        {
            return RefuseFile(selected, path,
                              "block " + std::to_string(i) + " of its image cannot be read");
        }
        const std::string step = "writing block " + std::to_string(i + 1) + " of " +
                                 std::to_string(blockCount) + " (" + std::to_string(length) +
                                 " bytes at " + Hex(blockAddress) + ")";
        const auto blockNumber = static_cast<std::uint16_t>(i - anchor + 2);
        if (connection.Download(buffer, length, blockNumber) != 0)
        {
            RecordRequestFailure(step, DfuProtocol::DNLOAD);
            failed = true;
            break;
        }
        if (!AwaitDownloadIdle(step))
        {
            failed = true;
            break;
        }
    }
    // A DfuSe bootloader leaving DFU mode jumps to its address pointer: after a short last block
    // (which moved it) the pointer is set back to the image's start first.
    if (!failed && !IsAbortRequested() && anchor != 0)
    {
        std::uint16_t length = kBlockSize;
        failed = FAILED(file->BuildSetAddressCommand(0, buffer, length)) ||
                 !SendCommand(buffer, length,
                              "setting the address pointer back to the image's start (" +
                                  Hex(elementAddress) + ") before leaving DFU mode");
    }
    file->Close();

    if (failed)
    {
        return FailDownload(selected, kFailureDevice);
    }
    // No leave request after an abort, wherever it fell: the device stays in DFU mode.
    if (IsAbortRequested())
    {
        return AbortDownload(selected);
    }
    if (LeaveDfuMode() == LeaveOutcome::StillInDfu)
    {
        return FailDownload(selected, kFailureDevice);
    }
    // The device resets into the image it was given. The device state stays "updating" until a
    // rescan finds the device back (the completion step waits for that).
    connection.Close();
    mAwaitingReset.store(true);
    SetUpdateResult(kUpdateCompleted);
    return S_OK;
}

bool LUpdateEngine::CheckFileDevice(const LDfuSeFirmwareFile& file, std::string& reason) const
{
    const DeviceDefinition& device = mTransfer->device.definition;
    if (file.IsForDevice(device.vendorId, device.productId) ||
        file.IsForDevice(device.bootloaderVendorId, device.bootloaderProductId))
    {
        return true;
    }
    reason = "it is made for the USB device " + Hex16(file.GetVendorId()) + ":" +
             Hex16(file.GetProductId()) + ", not for this device (" + Hex16(device.vendorId) + ":" +
             Hex16(device.productId) + ", in DFU mode " + Hex16(device.bootloaderVendorId) + ":" +
             Hex16(device.bootloaderProductId) + ")";
    return false;
}

bool LUpdateEngine::CheckSectorCoverage(const LDfuSeFirmwareFile& file, std::string& reason)
{
    const std::uint64_t start = file.GetElementAddress();
    const std::uint64_t end = start + file.GetElementSize();
    const std::vector<Sector> sectors = CurrentSectorTable(GetImageSequence().Get());
    // Every byte of the element must lie in a listed sector.
    std::uint64_t covered = start;
    while (covered < end)
    {
        const auto sector = std::find_if(sectors.begin(), sectors.end(),
                                         [&](const Sector& s) {
                                             return s.size > 0 && s.address <= covered &&
                                                    covered < std::uint64_t(s.address) + s.size;
                                         });
        if (sector == sectors.end())
        {
            reason = "its image (" + Hex(start) + " to " + Hex(end) +
                     ") does not lie inside the flash sectors of the device (" + Hex(covered) +
                     " is outside them)";
            return false;
        }
        covered = std::uint64_t(sector->address) + sector->size;
    }
    return true;
}

ORVRESULT LUpdateEngine::FailDownload(int selected, std::uint32_t reason)
{
    SetUpdateResult(kUpdateFailed);
    SetFoundDeviceFailure(selected, reason);
    SetDeviceState(kDeviceFailed);
    return E_FAIL;
}

ORVRESULT LUpdateEngine::FailDevice(int selected, const std::string& text)
{
    RecordFailure(text);
    return FailDownload(selected, kFailureDevice);
}

ORVRESULT LUpdateEngine::RefuseFile(int selected, const WString& path, const std::string& reason)
{
    RecordFailure("Firmware file refused: " + std::string(path.ToNarrow().GetBuffer()) + ": " +
                  reason);
    SetFileState(kFileMissing);
    return FailDownload(selected, kFailureFile);
}

void LUpdateEngine::RecordRequestFailure(const std::string& step, std::uint8_t request)
{
    const WinUsbConnection& connection = mTransfer->connection;
    std::string text = "Device failure: " + step + ": " + DfuProtocol::RequestName(request) +
                       " failed: " + connection.DescribeLastError();
    DfuStatus last;
    if (connection.GetLastStatus(last))
    {
        text += "; the device had last answered " + StatusText(last);
    }
    RecordFailure(text);
}

ORVRESULT LUpdateEngine::AbortDownload(int selected)
{
    // Back to dfuIDLE without leaving DFU mode: ABORT, and CLRSTATUS when the device is in
    // dfuERROR. The device is reported in update mode only when it answers as a DFU device.
    WinUsbConnection& connection = mTransfer->connection;
    connection.AbortRequest();
    DfuStatus status;
    bool answered = connection.GetStatus(status) == 0;
    if (answered && status.bState == DfuProtocol::dfuERROR)
    {
        connection.ClearStatus();
        answered = connection.GetStatus(status) == 0;
    }
    SetUpdateResult(kUpdateAborted);
    if (answered)
    {
        SetDeviceState(kDeviceUpdateMode);
    }
    else
    {
        RecordRequestFailure("after the abort", DfuProtocol::GETSTATUS);
        SetFoundDeviceFailure(selected, kFailureDevice);
        SetDeviceState(kDeviceFailed);
    }
    return E_ABORT;
}

bool LUpdateEngine::BringToIdle()
{
    const std::string step = "bringing the device to dfuIDLE";
    WinUsbConnection& connection = mTransfer->connection;
    const Milliseconds ceiling(GetBusyCeiling());
    DfuStatus status;
    // A device still busy with an operation of an interrupted transfer is waited for.
    switch (PollWhile(connection, IsBusy, ceiling, status))
    {
        case PollResult::RequestFailed:
            RecordRequestFailure(step, DfuProtocol::GETSTATUS);
            return false;
        case PollResult::StillBusy:
            RecordFailure("Device failure: " + step + ": the device was still busy (" +
                          StatusText(status) + ") after " + std::to_string(ceiling.count()) +
                          " ms");
            return false;
        case PollResult::Settled:
            break;
    }
    // CLRSTATUS is for dfuERROR only; a transfer left half-way (download or upload) is ended
    // with ABORT.
    std::uint8_t request = 0;
    switch (status.bState)
    {
        case DfuProtocol::dfuIDLE:
            return true;
        case DfuProtocol::dfuERROR:
            request = DfuProtocol::CLRSTATUS;
            break;
        case DfuProtocol::dfuDNLOAD_SYNC:
        case DfuProtocol::dfuDNLOAD_IDLE:
        case DfuProtocol::dfuMANIFEST_SYNC:
        case DfuProtocol::dfuUPLOAD_IDLE:
            request = DfuProtocol::ABORT;
            break;
        default:
            RecordFailure("Device failure: " + step + ": the device is in " + StatusText(status) +
                          ", from which it cannot be brought to dfuIDLE");
            return false;
    }
    const int sent =
        request == DfuProtocol::CLRSTATUS ? connection.ClearStatus() : connection.AbortRequest();
    if (sent != 0)
    {
        RecordRequestFailure(step, request);
        return false;
    }
    if (connection.GetStatus(status) != 0)
    {
        RecordRequestFailure(step, DfuProtocol::GETSTATUS);
        return false;
    }
    if (status.bState != DfuProtocol::dfuIDLE)
    {
        RecordFailure("Device failure: " + step + ": after " + DfuProtocol::RequestName(request) +
                      " the device answered " + StatusText(status));
        return false;
    }
    return true;
}

bool LUpdateEngine::SendCommand(std::uint8_t* command, std::uint16_t length,
                                const std::string& step)
{
    if (mTransfer->connection.Download(command, length, 0) != 0)
    {
        RecordRequestFailure(step, DfuProtocol::DNLOAD);
        return false;
    }
    return AwaitDownloadIdle(step);
}

bool LUpdateEngine::AwaitDownloadIdle(const std::string& step)
{
    const Milliseconds ceiling(GetBusyCeiling());
    DfuStatus status;
    switch (PollWhile(mTransfer->connection, IsBusy, ceiling, status))
    {
        case PollResult::RequestFailed:
            RecordRequestFailure(step, DfuProtocol::GETSTATUS);
            return false;
        case PollResult::StillBusy:
            RecordFailure("Device failure: " + step + ": the device was still busy (" +
                          StatusText(status) + ") after " + std::to_string(ceiling.count()) +
                          " ms");
            return false;
        case PollResult::Settled:
            break;
    }
    mTransfer->pollWait = status.pollTimeout;
    if (status.bState != DfuProtocol::dfuDNLOAD_IDLE)
    {
        RecordFailure("Device failure: " + step + ": GETSTATUS answered " + StatusText(status));
        return false;
    }
    return true;
}

LUpdateEngine::LeaveOutcome LUpdateEngine::LeaveDfuMode()
{
    const std::string step = "leaving DFU mode";
    WinUsbConnection& connection = mTransfer->connection;
    std::string leave;
    if (connection.Download(nullptr, 0, 0) != 0)
    {
        leave = std::string(DfuProtocol::RequestName(DfuProtocol::DNLOAD)) +
                " of no data failed: " + connection.DescribeLastError() + "; then ";
    }
    const Milliseconds ceiling(GetBusyCeiling());
    DfuStatus status;
    PollResult polled = PollWhile(connection, IsManifesting, ceiling, status);
    if (polled == PollResult::RequestFailed &&
        !WinUsbConnection::IsGoneError(connection.GetLastError()))
    {
        // A device that is still on the bus (it stalled the request, or the answer went wrong)
        // is asked once more: only one that has left the bus may be resetting.
        const std::string first = connection.DescribeLastError();
        polled = PollWhile(connection, IsManifesting, ceiling, status);
        if (polled == PollResult::RequestFailed &&
            !WinUsbConnection::IsGoneError(connection.GetLastError()))
        {
            RecordFailure("Device failure: " + step + ": " + leave + "GETSTATUS failed (" + first +
                          "), and again: " + connection.DescribeLastError() +
                          ": the device is still on the bus but does not answer");
            return LeaveOutcome::StillInDfu;
        }
        if (polled == PollResult::Settled)
        {
            leave += "GETSTATUS failed (" + first + "); asked again, ";
        }
    }
    switch (polled)
    {
        case PollResult::RequestFailed:
            // The device has left the bus, as it does once it has manifested the image: it is
            // resetting. Whether the image took shows when it comes back.
            Orv::GetDebugOutput().Narrow()
                << step << ": " << leave
                << "the device has left the bus to reset into its new firmware" << std::endl;
            return LeaveOutcome::Resetting;
        case PollResult::StillBusy:
            RecordFailure("Device failure: " + step + ": " + leave + "the device was still in " +
                          StatusText(status) + " after " + std::to_string(ceiling.count()) + " ms");
            return LeaveOutcome::StillInDfu;
        case PollResult::Settled:
            break;
    }
    if (status.bState == DfuProtocol::dfuMANIFEST_WAIT_RESET)
    {
        return LeaveOutcome::Resetting;
    }
    RecordFailure("Device failure: " + step + ": " + leave + "GETSTATUS answered " +
                  StatusText(status) + ": the device did not leave DFU mode");
    return LeaveOutcome::StillInDfu;
}
