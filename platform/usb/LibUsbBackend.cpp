// The USB back-end over libusb. Root hubs are not listed (they are not USB device interfaces).
// A bus that cannot be opened (no usbfs, no permission to list) gives no devices.
#include "LibUsbErrors.h"
#include "UsbBackend.h"

#include "platform/DebugApi.h"

#include <libusb.h>

#include <cstdio>
#include <cwctype>
#include <mutex>
#include <string>

namespace OrvPlatform
{
namespace
{
// The library context, made at the first use; null when libusb cannot start.
libusb_context* Context()
{
    static libusb_context* context = []
    {
        libusb_context* c = nullptr;
        return libusb_init(&c) == 0 ? c : nullptr;
    }();
    return context;
}

bool SameIgnoringCase(const std::wstring& a, const std::wstring& b)
{
    if (a.size() != b.size())
    {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i)
    {
        if (std::towlower(a[i]) != std::towlower(b[i]))
        {
            return false;
        }
    }
    return true;
}

// "bus-port.port..." as the system names the device's place.
bool Location(libusb_device* device, std::wstring& location)
{
    std::uint8_t ports[8];
    const int count = libusb_get_port_numbers(device, ports, 8);
    if (count <= 0)
    {
        return false; // a root hub
    }
    location = std::to_wstring(libusb_get_bus_number(device)) + L"-";
    for (int i = 0; i < count; ++i)
    {
        if (i > 0)
        {
            location += L".";
        }
        location += std::to_wstring(ports[i]);
    }
    return true;
}

// Says which device node the user may not open, and what gives the user access to it.
void ReportNoAccess(libusb_device* device)
{
    char node[32];
    std::snprintf(node, sizeof(node), "/dev/bus/usb/%03u/%03u",
                  unsigned(libusb_get_bus_number(device)),
                  unsigned(libusb_get_device_address(device)));
    const std::string text =
        std::string("USB: permission denied on ") + node +
        ": this user may not open the device. Install the udev rule as the README says "
        "(platform/usb/udev/70-orv-firmware-updater.rules), then plug the device in again.\n";
    OutputDebugStringA(text.c_str());
}

struct DeviceList
{
    libusb_device** devices = nullptr;
    ssize_t count = 0;
    DeviceList()
    {
        if (Context() != nullptr)
        {
            count = libusb_get_device_list(Context(), &devices);
            if (count < 0)
            {
                devices = nullptr;
                count = 0;
            }
        }
    }
    ~DeviceList()
    {
        if (devices != nullptr)
        {
            libusb_free_device_list(devices, 1);
        }
    }
    DeviceList(const DeviceList&) = delete;
    DeviceList& operator=(const DeviceList&) = delete;
};

bool Describe(libusb_device* device, UsbDeviceRecord& record)
{
    libusb_device_descriptor descriptor{};
    std::wstring location;
    if (libusb_get_device_descriptor(device, &descriptor) != 0 || !Location(device, location))
    {
        return false;
    }
    record.vendorId = descriptor.idVendor;
    record.productId = descriptor.idProduct;
    record.bcdDevice = descriptor.bcdDevice;
    record.path = MakeUsbInterfacePath(descriptor.idVendor, descriptor.idProduct, location);
    return true;
}

class LibUsbLink : public UsbDeviceLink
{
public:
    explicit LibUsbLink(libusb_device_handle* handle)
        : mHandle(handle)
    {
    }
    ~LibUsbLink() override
    {
        ReleaseInterface();
        libusb_close(mHandle);
    }
    LibUsbLink(const LibUsbLink&) = delete;
    LibUsbLink& operator=(const LibUsbLink&) = delete;

    DWORD ClaimInterface() override
    {
        std::lock_guard lock(mMutex);
        if (mClaimed)
        {
            return ERROR_SUCCESS;
        }
        // Another driver of the system (for example the MIDI class driver in normal mode) owns
        // the interface: it is not ours to take.
        if (libusb_kernel_driver_active(mHandle, 0) == 1)
        {
            return ERROR_NOT_SUPPORTED;
        }
        const int result = libusb_claim_interface(mHandle, 0);
        if (result != 0)
        {
            return WinErrorFromLibUsb(result);
        }
        mClaimed = true;
        return ERROR_SUCCESS;
    }
    void ReleaseInterface() override
    {
        std::lock_guard lock(mMutex);
        if (mClaimed)
        {
            libusb_release_interface(mHandle, 0);
            mClaimed = false;
        }
    }
    DWORD ControlTransfer(const WINUSB_SETUP_PACKET& setup, std::uint8_t* buffer,
                          std::uint32_t& transferred) override
    {
        transferred = 0;
        const int result = libusb_control_transfer(mHandle, setup.RequestType, setup.Request,
                                                   setup.Value, setup.Index, buffer, setup.Length,
                                                   WINUSB_CONTROL_TRANSFER_TIMEOUT_MS);
        if (result < 0)
        {
            return WinErrorFromLibUsb(result);
        }
        transferred = static_cast<std::uint32_t>(result);
        return ERROR_SUCCESS;
    }

private:
    libusb_device_handle* mHandle;
    std::mutex mMutex;
    bool mClaimed = false;
};

class LibUsbBackend : public UsbBackend
{
public:
    std::vector<UsbDeviceRecord> Enumerate() override
    {
        std::vector<UsbDeviceRecord> records;
        DeviceList list;
        for (ssize_t i = 0; i < list.count; ++i)
        {
            UsbDeviceRecord record;
            if (Describe(list.devices[i], record))
            {
                records.push_back(std::move(record));
            }
        }
        return records;
    }

    std::unique_ptr<UsbDeviceLink> Open(const std::wstring& path, DWORD& error) override
    {
        DeviceList list;
        for (ssize_t i = 0; i < list.count; ++i)
        {
            UsbDeviceRecord record;
            if (Describe(list.devices[i], record) && SameIgnoringCase(record.path, path))
            {
                libusb_device_handle* handle = nullptr;
                const int result = libusb_open(list.devices[i], &handle);
                if (result != 0)
                {
                    if (result == LIBUSB_ERROR_ACCESS)
                    {
                        ReportNoAccess(list.devices[i]);
                    }
                    error = WinErrorFromLibUsb(result);
                    return nullptr;
                }
                error = ERROR_SUCCESS;
                return std::make_unique<LibUsbLink>(handle);
            }
        }
        error = ERROR_FILE_NOT_FOUND;
        return nullptr;
    }
};
} // namespace

UsbBackend& UsbBackend::Real()
{
    static LibUsbBackend backend;
    return backend;
}
} // namespace OrvPlatform
