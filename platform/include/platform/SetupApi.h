// Device installation services: enumeration of the present USB device interfaces and their
// registry properties.
//
// Only the device interface class GUID_DEVINTERFACE_USB_DEVICE exists here: every present USB
// device has one interface of that class. A device information set is a snapshot taken when it
// is opened; devices that come or go afterwards do not change it. Interface paths have the form
//     \\?\usb#vid_xxxx&pid_xxxx#<location>#{a5dcbf10-6530-11d2-901f-00c04fb951ed}
// where <location> names the port the device is plugged into; CreateFileW (WinUsb.h) opens such
// a path. The hardware-id property is a REG_MULTI_SZ of two strings,
//     USB\VID_xxxx&PID_xxxx&REV_xxxx  and  USB\VID_xxxx&PID_xxxx
// with the four hexadecimal digits (upper case) of idVendor, idProduct and bcdDevice.
//
// The devices come from the USB bus (libusb) or, when the simulated devices are active (see
// SimulatedDevices.h), from the simulated bus. Sizes are in bytes; text is wide (wchar_t).
//
// Error codes (GetLastError): ERROR_INVALID_PARAMETER (a null or unsupported argument, or flags
// without DIGCF_DEVICEINTERFACE), ERROR_INVALID_HANDLE (not a set of this layer),
// ERROR_INVALID_USER_BUFFER (a cbSize other than the structure's size in this build),
// ERROR_NO_MORE_ITEMS (index past the last interface), ERROR_INSUFFICIENT_BUFFER (the buffer is
// too small; the required size is reported), ERROR_INVALID_DATA (the device has no such
// property), ERROR_NOT_ENOUGH_MEMORY.
#pragma once

#include "platform/Types.h"

using HDEVINFO = void*;
using PWSTR = wchar_t*;

constexpr DWORD ERROR_INVALID_USER_BUFFER = 1784;

// {A5DCBF10-6530-11D2-901F-00C04FB951ED}
inline constexpr GUID GUID_DEVINTERFACE_USB_DEVICE = {
    0xA5DCBF10u, 0x6530u, 0x11D2u, {0x90u, 0x1Fu, 0x00u, 0xC0u, 0x4Fu, 0xB9u, 0x51u, 0xEDu}};

// Flags of SetupDiGetClassDevsW.
constexpr DWORD DIGCF_DEFAULT = 0x00000001;
constexpr DWORD DIGCF_PRESENT = 0x00000002;
constexpr DWORD DIGCF_ALLCLASSES = 0x00000004;
constexpr DWORD DIGCF_PROFILE = 0x00000008;
constexpr DWORD DIGCF_DEVICEINTERFACE = 0x00000010;

// Registry properties of SetupDiGetDeviceRegistryPropertyW (only the hardware ids are kept).
constexpr DWORD SPDRP_HARDWAREID = 0x00000001;

// Registry value types.
constexpr DWORD REG_MULTI_SZ = 7;

// Flags of SP_DEVICE_INTERFACE_DATA.
constexpr DWORD SPINT_ACTIVE = 0x00000001;

struct SP_DEVINFO_DATA
{
    DWORD cbSize; // sizeof(SP_DEVINFO_DATA)
    GUID ClassGuid;
    DWORD DevInst;
    ULONG_PTR Reserved;
};
using PSP_DEVINFO_DATA = SP_DEVINFO_DATA*;

struct SP_DEVICE_INTERFACE_DATA
{
    DWORD cbSize; // sizeof(SP_DEVICE_INTERFACE_DATA)
    GUID InterfaceClassGuid;
    DWORD Flags;
    ULONG_PTR Reserved;
};
using PSP_DEVICE_INTERFACE_DATA = SP_DEVICE_INTERFACE_DATA*;

// Variable-sized: DevicePath runs on past the end of the structure. cbSize is
// sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W) (the fixed part), whatever size is allocated.
struct SP_DEVICE_INTERFACE_DETAIL_DATA_W
{
    DWORD cbSize;
    WCHAR DevicePath[1];
};
using PSP_DEVICE_INTERFACE_DETAIL_DATA_W = SP_DEVICE_INTERFACE_DETAIL_DATA_W*;

// Opens a snapshot of the present devices with an interface of the class. Needs
// DIGCF_DEVICEINTERFACE and a class GUID (or DIGCF_ALLCLASSES); Enumerator must be null.
// Returns INVALID_HANDLE_VALUE on failure. A bus that cannot be read gives an empty set.
HDEVINFO SetupDiGetClassDevsW(const GUID* ClassGuid, PCWSTR Enumerator, HWND hwndParent,
                              DWORD Flags);

// Frees a set opened by SetupDiGetClassDevsW.
BOOL SetupDiDestroyDeviceInfoList(HDEVINFO DeviceInfoSet);

// Fills DeviceInterfaceData with the interface at MemberIndex (0 on) of the class, among all
// devices of the set (DeviceInfoData null) or of one device (its only interface is index 0). FALSE
// with ERROR_NO_MORE_ITEMS past the last one.
BOOL SetupDiEnumDeviceInterfaces(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData,
                                 const GUID* InterfaceClassGuid, DWORD MemberIndex,
                                 PSP_DEVICE_INTERFACE_DATA DeviceInterfaceData);

// The interface's path. With DeviceInterfaceDetailData null and size 0 it reports the required
// size in RequiredSize and fails with ERROR_INSUFFICIENT_BUFFER. DeviceInfoData, when given,
// receives the device the interface belongs to.
BOOL SetupDiGetDeviceInterfaceDetailW(HDEVINFO DeviceInfoSet,
                                      PSP_DEVICE_INTERFACE_DATA DeviceInterfaceData,
                                      PSP_DEVICE_INTERFACE_DETAIL_DATA_W DeviceInterfaceDetailData,
                                      DWORD DeviceInterfaceDetailDataSize, PDWORD RequiredSize,
                                      PSP_DEVINFO_DATA DeviceInfoData);

// A registry property of a device: SPDRP_HARDWAREID, as REG_MULTI_SZ (another property fails
// with ERROR_INVALID_DATA). A buffer too small (or null with size 0) fails with
// ERROR_INSUFFICIENT_BUFFER and reports the size in RequiredSize.
BOOL SetupDiGetDeviceRegistryPropertyW(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData,
                                       DWORD Property, PDWORD PropertyRegDataType,
                                       PBYTE PropertyBuffer, DWORD PropertyBufferSize,
                                       PDWORD RequiredSize);
