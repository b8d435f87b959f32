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
// dfuDNLOAD-IDLE; while it answers dfuDNBUSY the next request waits the bwPollTimeout it gave.
#include "UpdateEngine.h"

#include "DfuSeFirmwareFile.h"
#include "DfuTransferRecord.h"
#include "FlashLayout.h"
#include "UpdateImageSequence.h"

#include <algorithm>
#include <chrono>
#include <exception>
#include <vector>

using Orv::WString;

namespace
{
using Clock = std::chrono::steady_clock;
using Milliseconds = std::chrono::milliseconds;

// An operation may take the time-outs that the device announced for it and this much more.
constexpr Milliseconds kStatusMargin{200};
// No operation is waited for longer than this.
constexpr Milliseconds kOperationCeiling{30000};

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

// The sector table of the current image, up to the first entry that cannot be looked up; the
// sizes come from the flash layout (0 for an address where no sector starts).
std::vector<Sector> CurrentSectorTable()
{
    std::vector<Sector> table;
    if (const IUpdateImageSequence* sequence = IUpdateImageSequence::GetInstalled())
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
} // namespace

ORVRESULT LUpdateEngine::Download()
{
    if (GetDeviceState() != kDeviceUpdating || GetFileState() < kFilePresent)
    {
        return E_FAIL;
    }
    const int selected = GetSelectedIndex();
    ConnectionCloser closer(mTransfer->connection);
    try
    {
        if (selected < 0 || !GetFoundDevice(static_cast<unsigned int>(selected), mTransfer->device))
        {
            return FailDownload(selected, kFailureDevice);
        }
        mTransfer->pollWait = 0;
        SetUpdateResult(kUpdateInProgress);
        WString path;
        GetFirmwarePath(path);
        return RunDownload(selected, path);
    }
    catch (const std::exception& error)
    {
        Orv::GetDebugOutput().Narrow() << "LUpdateEngine::Download: " << error.what() << std::endl;
        return FailDownload(selected, kFailureDevice);
    }
}

ORVRESULT LUpdateEngine::RunDownload(int selected, const WString& path)
{
    Orv::RCPtr<LDfuSeFirmwareFile> file = LDfuSeFirmwareFile::Create();
    if (FAILED(file->Open(path, kBlockSize)))
    {
        return RefuseFile(selected, path, file->GetRefusal());
    }
    std::string outside;
    if (!CheckSectorCoverage(*file, outside))
    {
        return RefuseFile(selected, path, outside);
    }

    // With the bootloader's ids on more than one device, the one to write cannot be told.
    const DeviceDefinition& definition = mTransfer->device.definition;
    if (CountPresentDevices(definition.bootloaderVendorId, definition.bootloaderProductId) > 1)
    {
        Orv::GetDebugOutput().Narrow()
            << "LUpdateEngine::Download: more than one device in DFU mode is present; nothing is "
               "written"
            << std::endl;
        return FailDownload(selected, kFailureDevice);
    }

    WinUsbConnection& connection = mTransfer->connection;
    connection.Open(mTransfer->device.bootloaderPath);
    if (!BringToIdle())
    {
        return FailDownload(selected, kFailureDevice);
    }

    const std::uint32_t elementAddress = file->GetElementAddress();
    const std::uint64_t elementEnd = std::uint64_t(elementAddress) + file->GetElementSize();
    std::uint8_t buffer[kBlockSize];
    bool failed = false;

    // Erase: every listed sector that the element overlaps.
    const std::vector<Sector> sectors = CurrentSectorTable();
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
            !SendCommand(buffer, length))
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
        if (i == 0 || (i == blockCount - 1 && shortLastBlock))
        {
            std::uint16_t length = kBlockSize;
            if (FAILED(file->BuildSetAddressCommand(i, buffer, length)) ||
                !SendCommand(buffer, length))
            {
                failed = true;
                break;
            }
            anchor = i;
        }
        std::uint16_t length = kBlockSize;
        if (FAILED(file->ReadBlock(i, buffer, length)))
        {
            // The file changed since it was checked.
            return RefuseFile(selected, path,
                              "block " + std::to_string(i) + " of its image cannot be read");
        }
        const auto blockNumber = static_cast<std::uint16_t>(i - anchor + 2);
        if (connection.Download(buffer, length, blockNumber) != 0 || !AwaitDownloadIdle())
        {
            failed = true;
            break;
        }
    }
    file->Close();

    if (failed)
    {
        return FailDownload(selected, kFailureDevice);
    }
    if (IsAbortRequested())
    {
        return AbortDownload(selected);
    }

    // The zero-length download: the device manifests the image and leaves DFU mode.
    if (connection.Download(nullptr, 0, 0) == 0)
    {
        DfuStatus status;
        connection.GetStatus(status);
    }
    connection.Close();
    RescanSelectedDevice();
    SetUpdateResult(kUpdateCompleted);
    return S_OK;
}

bool LUpdateEngine::CheckSectorCoverage(const LDfuSeFirmwareFile& file, std::string& reason)
{
    const std::uint64_t start = file.GetElementAddress();
    const std::uint64_t end = start + file.GetElementSize();
    const std::vector<Sector> sectors = CurrentSectorTable();
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

ORVRESULT LUpdateEngine::RefuseFile(int selected, const WString& path, const std::string& reason)
{
    Orv::GetDebugOutput().Narrow()
        << "Firmware file refused: " << path.ToNarrow().GetBuffer() << ": " << reason << std::endl;
    SetFileState(kFileMissing);
    return FailDownload(selected, kFailureFile);
}

ORVRESULT LUpdateEngine::AbortDownload(int selected)
{
    // Back to dfuIDLE without leaving DFU mode: ABORT, and CLRSTATUS when the device is in
    // dfuERROR. The device is reported in update mode only when it answers as a DFU device.
    WinUsbConnection& connection = mTransfer->connection;
    connection.AbortRequest();
    DfuStatus status;
    bool answered = connection.GetStatus(status) == 0;
    if (answered && status.bState == WinUsbConnection::kDfuError)
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
        SetFoundDeviceFailure(selected, kFailureDevice);
        SetDeviceState(kDeviceFailed);
    }
    return E_ABORT;
}

bool LUpdateEngine::BringToIdle()
{
    WinUsbConnection& connection = mTransfer->connection;
    DfuStatus status;
    if (connection.GetStatus(status) != 0)
    {
        return false;
    }
    if (status.bState == WinUsbConnection::kDfuIdle)
    {
        return true;
    }
    return connection.ClearStatus() == 0 && connection.GetStatus(status) == 0 &&
           status.bState == WinUsbConnection::kDfuIdle;
}

bool LUpdateEngine::SendCommand(std::uint8_t* command, std::uint16_t length)
{
    return mTransfer->connection.Download(command, length, 0) == 0 && AwaitDownloadIdle();
}

bool LUpdateEngine::AwaitDownloadIdle()
{
    WinUsbConnection& connection = mTransfer->connection;
    const Clock::time_point start = Clock::now();
    Milliseconds allowance = kStatusMargin;
    for (;;)
    {
        DfuStatus status;
        if (connection.GetStatus(status) != 0)
        {
            return false;
        }
        if (status.bState == WinUsbConnection::kDfuDownloadIdle)
        {
            return true;
        }
        if (status.bState != WinUsbConnection::kDfuDownloadBusy)
        {
            return false;
        }
        mTransfer->pollWait = status.pollTimeout;
        allowance += Milliseconds(status.pollTimeout);
        const Milliseconds elapsed = std::chrono::duration_cast<Milliseconds>(Clock::now() - start);
        const Milliseconds limit = std::min(allowance, kOperationCeiling);
        if (elapsed >= limit)
        {
            return false;
        }
        const Milliseconds wait = std::min(Milliseconds(status.bwPollTimeout), limit - elapsed);
        Sleep(static_cast<DWORD>(wait.count()));
    }
}
