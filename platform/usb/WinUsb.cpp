#include "platform/WinUsb.h"

#include "UsbBackend.h"
#include "platform/Kernel.h"

#include <atomic>
#include <map>
#include <memory>
#include <mutex>

namespace
{
using OrvPlatform::UsbDeviceLink;

// A device opened by CreateFileW. Closing it stops its interface handles.
struct DeviceFile
{
    std::shared_ptr<UsbDeviceLink> link;
    std::atomic<bool> closed{false};
};

struct UsbInterface
{
    std::shared_ptr<DeviceFile> file;
};

std::mutex gHandlesMutex;
std::map<void*, std::shared_ptr<DeviceFile>>& Files()
{
    static auto* files = new std::map<void*, std::shared_ptr<DeviceFile>>;
    return *files;
}
std::map<void*, std::shared_ptr<UsbInterface>>& Interfaces()
{
    static auto* interfaces = new std::map<void*, std::shared_ptr<UsbInterface>>;
    return *interfaces;
}

template <class T>
std::shared_ptr<T> Find(std::map<void*, std::shared_ptr<T>>& table, void* handle)
{
    std::lock_guard lock(gHandlesMutex);
    const auto it = table.find(handle);
    return it == table.end() ? nullptr : it->second;
}

BOOL Fail(DWORD error)
{
    SetLastError(error);
    return FALSE;
}
} // namespace

HANDLE CreateFileW(LPCWSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                   LPSECURITY_ATTRIBUTES lpSecurityAttributes, DWORD dwCreationDisposition,
                   DWORD dwFlagsAndAttributes, HANDLE hTemplateFile)
{
    (void)dwDesiredAccess;
    (void)dwShareMode;
    (void)lpSecurityAttributes;
    (void)dwFlagsAndAttributes;
    if (lpFileName == nullptr || dwCreationDisposition != OPEN_EXISTING || hTemplateFile != nullptr)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    DWORD error = ERROR_FILE_NOT_FOUND;
    std::unique_ptr<UsbDeviceLink> link =
        OrvPlatform::UsbBackend::Current().Open(lpFileName, error);
    if (!link)
    {
        SetLastError(error);
        return INVALID_HANDLE_VALUE;
    }
    auto file = std::make_shared<DeviceFile>();
    file->link = std::move(link);
    std::lock_guard lock(gHandlesMutex);
    void* handle = file.get();
    Files().emplace(handle, std::move(file));
    return handle;
}

BOOL CloseHandle(HANDLE hObject)
{
    std::shared_ptr<DeviceFile> file;
    {
        std::lock_guard lock(gHandlesMutex);
        const auto it = Files().find(hObject);
        if (it == Files().end())
        {
            return Fail(ERROR_INVALID_HANDLE);
        }
        file = std::move(it->second);
        Files().erase(it);
    }
    file->closed = true;
    return TRUE;
}

BOOL WinUsb_Initialize(HANDLE DeviceHandle, PWINUSB_INTERFACE_HANDLE InterfaceHandle)
{
    if (InterfaceHandle == nullptr)
    {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    const auto file = Find(Files(), DeviceHandle);
    if (!file)
    {
        return Fail(ERROR_INVALID_HANDLE);
    }
    const DWORD error = file->link->ClaimInterface();
    if (error != ERROR_SUCCESS)
    {
        return Fail(error);
    }
    auto handle = std::make_shared<UsbInterface>();
    handle->file = file;
    std::lock_guard lock(gHandlesMutex);
    *InterfaceHandle = handle.get();
    Interfaces().emplace(handle.get(), std::move(handle));
    return TRUE;
}

BOOL WinUsb_Free(WINUSB_INTERFACE_HANDLE InterfaceHandle)
{
    std::shared_ptr<UsbInterface> handle;
    {
        std::lock_guard lock(gHandlesMutex);
        const auto it = Interfaces().find(InterfaceHandle);
        if (it == Interfaces().end())
        {
            return Fail(ERROR_INVALID_HANDLE);
        }
        handle = std::move(it->second);
        Interfaces().erase(it);
    }
    handle->file->link->ReleaseInterface();
    return TRUE;
}

BOOL WinUsb_ControlTransfer(WINUSB_INTERFACE_HANDLE InterfaceHandle,
                            WINUSB_SETUP_PACKET SetupPacket, PUCHAR Buffer, ULONG BufferLength,
                            PULONG LengthTransferred, LPOVERLAPPED Overlapped)
{
    if (LengthTransferred != nullptr)
    {
        *LengthTransferred = 0;
    }
    const auto handle = Find(Interfaces(), InterfaceHandle);
    if (!handle || handle->file->closed)
    {
        return Fail(ERROR_INVALID_HANDLE);
    }
    if (Overlapped != nullptr ||
        (SetupPacket.Length > 0 && (Buffer == nullptr || BufferLength < SetupPacket.Length)))
    {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    std::uint32_t transferred = 0;
    const DWORD error = handle->file->link->ControlTransfer(SetupPacket, Buffer, transferred);
    if (error != ERROR_SUCCESS)
    {
        return Fail(error);
    }
    if (LengthTransferred != nullptr)
    {
        *LengthTransferred = transferred;
    }
    return TRUE;
}
