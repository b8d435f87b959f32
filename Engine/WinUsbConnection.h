// The connection to a device in DFU mode, opened with WinUSB on its device interface path, and
// the four DFU class requests (DFU 1.1 with the DfuSe commands, DfuProtocol.h) that the download
// sends as control transfers on endpoint 0: DNLOAD, GETSTATUS, CLRSTATUS and ABORT.
//
// A request returns 0, or kRequestFailed with the system's error code kept as the last error
// (kNotOpenError for a connection that is not open). Nothing retries; the caller decides. One
// thread at a time uses a connection.
#pragma once

#include "OrvCore.h"
#include "platform/WinUsb.h"

#include <cstdint>
#include <string>

// The decoded answer of GETSTATUS.
struct DfuStatus
{
    std::uint32_t bStatus = 0;
    // The device's bwPollTimeout with a fifth added as a margin (x 1.2, rounded), milliseconds.
    std::int32_t pollTimeout = 0;
    std::uint32_t bState = 0;
    // bwPollTimeout as the device sent it: the least time to wait before the next GETSTATUS.
    std::uint32_t bwPollTimeout = 0;
};

class WinUsbConnection
{
public:
    static constexpr int kRequestFailed = -70;
    static constexpr std::int32_t kNotOpenError = -50;
    static constexpr std::uint16_t kStatusLength = 6;

    WinUsbConnection() = default;
    ~WinUsbConnection();
    WinUsbConnection(const WinUsbConnection&) = delete;
    WinUsbConnection& operator=(const WinUsbConnection&) = delete;

    // Opens the device at the interface path (closing first what is open); false with the
    // system's error kept.
    bool Open(const Orv::WString& path);
    // Frees the interface and closes the device; harmless when closed.
    void Close();
    bool IsOpen() const { return mOpen; }

    // DNLOAD of length bytes from the buffer as the block number; length 0 sends no data.
    int Download(std::uint8_t* buffer, std::uint16_t length, std::uint16_t blockNumber);
    // GETSTATUS: the 6-byte answer decoded into status. An answer of another length fails (the
    // status is left as it was).
    int GetStatus(DfuStatus& status);
    int ClearStatus();
    int AbortRequest();

    std::int32_t GetLastError() const { return mLastError; }
    // The last status the device answered since the connection was opened; false when none.
    bool GetLastStatus(DfuStatus& status) const
    {
        status = mLastStatus;
        return mHasStatus;
    }
    // The last error as a failure text shows it: "system error 31 (ERROR_GEN_FAILURE)", or "the
    // connection is not open".
    std::string DescribeLastError() const { return DescribeError(mLastError); }
    static std::string DescribeError(std::int32_t error);
    // Whether the error says the device has left the bus.
    static bool IsGoneError(std::int32_t error);

private:
    int Transfer(std::uint8_t requestType, std::uint8_t request, std::uint16_t value,
                 std::uint8_t* buffer, std::uint16_t length, ULONG& transferred);

    bool mOpen = false;
    HANDLE mFile = INVALID_HANDLE_VALUE;
    WINUSB_INTERFACE_HANDLE mInterface = INVALID_HANDLE_VALUE;
    std::int32_t mLastError = 0;
    DfuStatus mLastStatus;
    bool mHasStatus = false;
};
