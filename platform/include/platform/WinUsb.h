// Opening a USB device by its interface path (SetupApi.h) and control transfers on its
// endpoint 0.
//
// CreateFileW here opens device interface paths only. WinUsb_Initialize claims the device's
// interface 0; it fails with ERROR_NOT_SUPPORTED when another driver of the system holds that
// interface (the device is not meant to be driven from here, as a device without the WinUSB
// driver). Transfers are synchronous (no OVERLAPPED) with a time-out of
// WINUSB_CONTROL_TRANSFER_TIMEOUT_MS, long enough for the slowest sector erase of the device's
// bootloader, which holds the status request until it is done.
//
// Error codes (GetLastError):
//   ERROR_FILE_NOT_FOUND        no present device has that path
//   ERROR_ACCESS_DENIED         the device is in use elsewhere or the user may not open it
//                               (on Linux: see the udev rules in platform/usb/udev)
//   ERROR_INVALID_PARAMETER     a null or unsupported argument (an OVERLAPPED, a creation other
//                               than OPEN_EXISTING, a buffer shorter than the setup's wLength)
//   ERROR_INVALID_HANDLE        not a handle of this layer, or already freed or closed
//   ERROR_NOT_SUPPORTED         the interface belongs to another driver
//   ERROR_GEN_FAILURE           the device stalled the request, or an input/output error
//   ERROR_SEM_TIMEOUT           the device did not answer within the time-out
//   ERROR_DEVICE_NOT_CONNECTED  the device has left the bus since it was opened
//   ERROR_NOT_ENOUGH_MEMORY
#pragma once

#include "platform/Kernel.h"
#include "platform/Types.h"

struct OVERLAPPED;
using LPOVERLAPPED = OVERLAPPED*;

using WINUSB_INTERFACE_HANDLE = void*;
using PWINUSB_INTERFACE_HANDLE = WINUSB_INTERFACE_HANDLE*;

constexpr DWORD GENERIC_READ = 0x80000000u;
constexpr DWORD GENERIC_WRITE = 0x40000000u;
constexpr DWORD FILE_SHARE_READ = 0x00000001;
constexpr DWORD FILE_SHARE_WRITE = 0x00000002;
constexpr DWORD CREATE_NEW = 1;
constexpr DWORD CREATE_ALWAYS = 2;
constexpr DWORD OPEN_EXISTING = 3;
constexpr DWORD OPEN_ALWAYS = 4;
constexpr DWORD TRUNCATE_EXISTING = 5;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x00000080;
constexpr DWORD FILE_FLAG_OVERLAPPED = 0x40000000u;

// Time-out of a control transfer, in milliseconds.
constexpr ULONG WINUSB_CONTROL_TRANSFER_TIMEOUT_MS = 10000;

#pragma pack(push, 1)
struct WINUSB_SETUP_PACKET
{
    UCHAR RequestType;
    UCHAR Request;
    USHORT Value;
    USHORT Index;
    USHORT Length;
};
#pragma pack(pop)
static_assert(sizeof(WINUSB_SETUP_PACKET) == 8);
using PWINUSB_SETUP_PACKET = WINUSB_SETUP_PACKET*;

// Opens the device with the given interface path. dwCreationDisposition must be OPEN_EXISTING;
// the access, sharing and attribute flags are accepted as given. Returns INVALID_HANDLE_VALUE on
// failure. The handle is a kernel handle (Kernel.h): CloseHandle closes it, and an interface
// handle still initialised on it stops working then (ERROR_INVALID_HANDLE).
HANDLE CreateFileW(LPCWSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                   LPSECURITY_ATTRIBUTES lpSecurityAttributes, DWORD dwCreationDisposition,
                   DWORD dwFlagsAndAttributes, HANDLE hTemplateFile);

// Claims the device's interface 0 and gives its interface handle.
BOOL WinUsb_Initialize(HANDLE DeviceHandle, PWINUSB_INTERFACE_HANDLE InterfaceHandle);

// Releases the interface and frees the handle.
BOOL WinUsb_Free(WINUSB_INTERFACE_HANDLE InterfaceHandle);

// One control transfer on endpoint 0. The direction is bit 7 of SetupPacket.RequestType; the
// data stage has SetupPacket.Length bytes (Buffer must hold at least that many, BufferLength
// says how many it holds). LengthTransferred, when given, receives the bytes moved in the data
// stage (an input stage may be shorter). Overlapped must be null.
BOOL WinUsb_ControlTransfer(WINUSB_INTERFACE_HANDLE InterfaceHandle,
                            WINUSB_SETUP_PACKET SetupPacket, PUCHAR Buffer, ULONG BufferLength,
                            PULONG LengthTransferred, LPOVERLAPPED Overlapped);
