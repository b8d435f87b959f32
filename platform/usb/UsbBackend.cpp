#include "UsbBackend.h"

#include "platform/SimulatedDevices.h"

#include <cwchar>

namespace OrvPlatform
{
UsbBackend& UsbBackend::Current()
{
    return SimulatedDevices::IsActive() ? Simulated() : Real();
}

std::wstring MakeUsbInterfacePath(std::uint16_t vendorId, std::uint16_t productId,
                                  const std::wstring& location)
{
    wchar_t ids[32];
    std::swprintf(ids, 32, L"vid_%04x&pid_%04x", unsigned(vendorId), unsigned(productId));
    return L"\\\\?\\usb#" + std::wstring(ids) + L"#" + location +
           L"#{a5dcbf10-6530-11d2-901f-00c04fb951ed}";
}

std::wstring MakeUsbHardwareIds(std::uint16_t vendorId, std::uint16_t productId,
                                std::uint16_t bcdDevice)
{
    wchar_t first[64];
    wchar_t second[64];
    std::swprintf(first, 64, L"USB\\VID_%04X&PID_%04X&REV_%04X", unsigned(vendorId),
                  unsigned(productId), unsigned(bcdDevice));
    std::swprintf(second, 64, L"USB\\VID_%04X&PID_%04X", unsigned(vendorId), unsigned(productId));
    std::wstring ids = first;
    ids.push_back(L'\0');
    ids += second;
    ids.push_back(L'\0');
    ids.push_back(L'\0');
    return ids;
}
} // namespace OrvPlatform
