#include "WinUsbConnection.h"

#include "DfuProtocol.h"

#include <cstring>

namespace
{
constexpr std::uint8_t kHostToInterface = 0x21;
constexpr std::uint8_t kInterfaceToHost = 0xA1;
} // namespace

std::string WinUsbConnection::DescribeError(std::int32_t error)
{
    if (error == kNotOpenError)
    {
        return "the connection is not open";
    }
    const char* name = nullptr;
    switch (static_cast<DWORD>(error))
    {
        case ERROR_FILE_NOT_FOUND:
            name = "ERROR_FILE_NOT_FOUND: no device has that path";
            break;
        case ERROR_ACCESS_DENIED:
            name = "ERROR_ACCESS_DENIED: the device is in use or may not be opened";
            break;
        case ERROR_INVALID_HANDLE:
            name = "ERROR_INVALID_HANDLE";
            break;
        case ERROR_INVALID_DATA:
            name = "ERROR_INVALID_DATA: an answer of the wrong length";
            break;
        case ERROR_GEN_FAILURE:
            name = "ERROR_GEN_FAILURE: the device stalled the request, or it failed";
            break;
        case ERROR_NOT_SUPPORTED:
            name = "ERROR_NOT_SUPPORTED: the interface belongs to another driver";
            break;
        case ERROR_INVALID_PARAMETER:
            name = "ERROR_INVALID_PARAMETER";
            break;
        case ERROR_SEM_TIMEOUT:
            name = "ERROR_SEM_TIMEOUT: the device did not answer in time";
            break;
        case ERROR_DEVICE_NOT_CONNECTED:
            name = "ERROR_DEVICE_NOT_CONNECTED: the device is no longer on the bus";
            break;
        default:
            break;
    }
    std::string text = "system error " + std::to_string(error);
    if (name != nullptr)
    {
        text += std::string(" (") + name + ")";
    }
    return text;
}

bool WinUsbConnection::IsGoneError(std::int32_t error)
{
    return static_cast<DWORD>(error) == ERROR_DEVICE_NOT_CONNECTED ||
           static_cast<DWORD>(error) == ERROR_FILE_NOT_FOUND;
}

WinUsbConnection::~WinUsbConnection()
{
    Close();
}

bool WinUsbConnection::Open(const Orv::WString& path)
{
    if (mOpen != 0)
    {
        Close();
    }
    mFile = CreateFileW(path.GetBuffer(), GENERIC_READ | GENERIC_WRITE,
                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED, nullptr);
    if (mFile == INVALID_HANDLE_VALUE)
    {
        mLastError = static_cast<std::int32_t>(::GetLastError());
        return false;
    }
    if (!WinUsb_Initialize(mFile, &mInterface))
    {
        mInterface = INVALID_HANDLE_VALUE;
        mLastError = static_cast<std::int32_t>(::GetLastError());
        Close();
        return false;
    }
    mOpen = true;
    mHasStatus = false;
    return true;
}

void WinUsbConnection::Close()
{
    if (mFile != INVALID_HANDLE_VALUE)
    {
        if (mInterface != INVALID_HANDLE_VALUE)
        {
            WinUsb_Free(mInterface);
        }
        CloseHandle(mFile);
    }
    mInterface = INVALID_HANDLE_VALUE;
    mFile = INVALID_HANDLE_VALUE;
    mOpen = false;
}

int WinUsbConnection::Transfer(std::uint8_t requestType, std::uint8_t request, std::uint16_t value,
                               std::uint8_t* buffer, std::uint16_t length, ULONG& transferred)
{
    transferred = 0;
    if (mOpen == 0)
    {
        mLastError = kNotOpenError;
        return kRequestFailed;
    }
    WINUSB_SETUP_PACKET setup{requestType, request, value, 0, length};
    if (!WinUsb_ControlTransfer(mInterface, setup, length > 0 ? buffer : nullptr, length,
                                &transferred, nullptr))
    {
        mLastError = static_cast<std::int32_t>(::GetLastError());
        return kRequestFailed;
    }
    return 0;
}

int WinUsbConnection::Download(std::uint8_t* buffer, std::uint16_t length,
                               std::uint16_t blockNumber)
{
    ULONG transferred = 0;
    return Transfer(kHostToInterface, DfuProtocol::DNLOAD, blockNumber, buffer, length,
                    transferred);
}

int WinUsbConnection::GetStatus(DfuStatus& status)
{
    std::uint8_t answer[kStatusLength];
    std::memset(answer, 0xFF, sizeof(answer));
    ULONG transferred = 0;
    if (Transfer(kInterfaceToHost, DfuProtocol::GETSTATUS, 0, answer, kStatusLength, transferred) !=
        0)
    {
        return kRequestFailed;
    }
    if (transferred != kStatusLength)
    {
        mLastError = static_cast<std::int32_t>(ERROR_INVALID_DATA);
        return kRequestFailed;
    }
    const std::uint32_t poll =
        std::uint32_t(answer[1]) | std::uint32_t(answer[2]) << 8 | std::uint32_t(answer[3]) << 16;
    status.bStatus = answer[0];
    status.pollTimeout = static_cast<std::int32_t>(poll * 1.2 + 0.5);
    status.bState = answer[4];
    status.bwPollTimeout = poll;
    mLastStatus = status;
    mHasStatus = true;
    return 0;
}

int WinUsbConnection::ClearStatus()
{
    ULONG transferred = 0;
    return Transfer(kHostToInterface, DfuProtocol::CLRSTATUS, 0, nullptr, 0, transferred);
}

int WinUsbConnection::AbortRequest()
{
    ULONG transferred = 0;
    return Transfer(kHostToInterface, DfuProtocol::ABORT, 0, nullptr, 0, transferred);
}
