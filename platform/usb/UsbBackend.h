// The bus under the SetupAPI and WinUSB stand-ins: the real one (libusb) or the simulated one,
// chosen at run time.
#pragma once

#include "platform/Types.h"
#include "platform/WinUsb.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace OrvPlatform
{
struct UsbDeviceRecord
{
    std::wstring path; // interface path (see SetupApi.h)
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::uint16_t bcdDevice = 0;
};

// An opened device. Error codes of WinUsb.h, 0 on success.
class UsbDeviceLink
{
public:
    virtual ~UsbDeviceLink() = default;
    virtual DWORD ClaimInterface() = 0;
    virtual void ReleaseInterface() = 0;
    virtual DWORD ControlTransfer(const WINUSB_SETUP_PACKET& setup, std::uint8_t* buffer,
                                  std::uint32_t& transferred) = 0;
};

class UsbBackend
{
public:
    virtual ~UsbBackend() = default;
    // The present devices; empty when the bus cannot be read.
    virtual std::vector<UsbDeviceRecord> Enumerate() = 0;
    // Opens the device with that path (compared without regard to case); null and the error.
    virtual std::unique_ptr<UsbDeviceLink> Open(const std::wstring& path, DWORD& error) = 0;

    // The simulated bus when the simulated devices are active, else the real one.
    static UsbBackend& Current();
    static UsbBackend& Real();
    static UsbBackend& Simulated();
};

// The interface path of a device at a location.
std::wstring MakeUsbInterfacePath(std::uint16_t vendorId, std::uint16_t productId,
                                  const std::wstring& location);
// The hardware ids (REG_MULTI_SZ: two strings, then an empty one) of a device.
std::wstring MakeUsbHardwareIds(std::uint16_t vendorId, std::uint16_t productId,
                                std::uint16_t bcdDevice);
} // namespace OrvPlatform
