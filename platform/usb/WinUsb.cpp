#include "platform/WinUsb.h"

#include "KernelObjects.h"
#include "UsbBackend.h"
#include "platform/Kernel.h"

#include <atomic>
#include <map>
#include <memory>
#include <mutex>

namespace
{
using OrvPlatform::UsbDeviceLink;

// A device opened by CreateFileW: an object of the kernel's handle table, so that CloseHandle
// closes it. Its interface handles hold it weakly: closing the file stops them.
class DeviceFile : public OrvPlatform::Kernel::Object
{
public:
    explicit DeviceFile(std::unique_ptr<UsbDeviceLink> link)
        : Object(Kind::DeviceFile, true, true)
        , mLink(std::move(link))
    {
    }
    UsbDeviceLink& Link() { return *mLink; }

private:
    std::unique_ptr<UsbDeviceLink> mLink;
};

struct UsbInterface
{
    std::weak_ptr<DeviceFile> file;
};

std::mutex gInterfacesMutex;
std::map<void*, std::shared_ptr<UsbInterface>>& Interfaces()
{
    static auto* interfaces = new std::map<void*, std::shared_ptr<UsbInterface>>;
    return *interfaces;
}

std::shared_ptr<UsbInterface> FindInterface(void* handle)
{
    std::lock_guard lock(gInterfacesMutex);
    const auto it = Interfaces().find(handle);
    return it == Interfaces().end() ? nullptr : it->second;
}

std::shared_ptr<DeviceFile> FindFile(HANDLE handle)
{
    OrvPlatform::Kernel::KernelLock lock;
    const auto object = OrvPlatform::Kernel::FindObject(handle);
    if (!object || object->GetKind() != OrvPlatform::Kernel::Object::Kind::DeviceFile)
    {
        return nullptr;
    }
    return std::static_pointer_cast<DeviceFile>(object);
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
    return OrvPlatform::Kernel::InsertObject(std::make_shared<DeviceFile>(std::move(link)));
}

BOOL WinUsb_Initialize(HANDLE DeviceHandle, PWINUSB_INTERFACE_HANDLE InterfaceHandle)
{
    if (InterfaceHandle == nullptr)
    {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    const auto file = FindFile(DeviceHandle);
    if (!file)
    {
        return Fail(ERROR_INVALID_HANDLE);
    }
    const DWORD error = file->Link().ClaimInterface();
    if (error != ERROR_SUCCESS)
    {
        return Fail(error);
    }
    auto handle = std::make_shared<UsbInterface>();
    handle->file = file;
    std::lock_guard lock(gInterfacesMutex);
    *InterfaceHandle = handle.get();
    Interfaces().emplace(handle.get(), std::move(handle));
    return TRUE;
}

BOOL WinUsb_Free(WINUSB_INTERFACE_HANDLE InterfaceHandle)
{
    std::shared_ptr<UsbInterface> handle;
    {
        std::lock_guard lock(gInterfacesMutex);
        const auto it = Interfaces().find(InterfaceHandle);
        if (it == Interfaces().end())
        {
            return Fail(ERROR_INVALID_HANDLE);
        }
        handle = std::move(it->second);
        Interfaces().erase(it);
    }
    if (const auto file = handle->file.lock())
    {
        file->Link().ReleaseInterface();
    }
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
    const auto handle = FindInterface(InterfaceHandle);
    const auto file = handle ? handle->file.lock() : nullptr;
    if (!file)
    {
        return Fail(ERROR_INVALID_HANDLE);
    }
    if (Overlapped != nullptr ||
        (SetupPacket.Length > 0 && (Buffer == nullptr || BufferLength < SetupPacket.Length)))
    {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    std::uint32_t transferred = 0;
    const DWORD error = file->Link().ControlTransfer(SetupPacket, Buffer, transferred);
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
