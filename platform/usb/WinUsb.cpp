#include "platform/WinUsb.h"

#include "UsbBackend.h"
#include "platform/HandleTable.h"
#include "platform/Kernel.h"

#include <memory>

namespace
{
using OrvPlatform::HandleObject;
using OrvPlatform::UsbDeviceLink;

// A device opened by CreateFileW: a kernel handle, so that CloseHandle closes it. Its interface
// handles hold it weakly: closing the file stops them.
class DeviceFile : public HandleObject
{
public:
    static constexpr Kind kKind = Kind::DeviceFile;

    explicit DeviceFile(std::unique_ptr<UsbDeviceLink> link)
        : HandleObject(kKind)
        , mLink(std::move(link))
    {
    }
    UsbDeviceLink& Link() { return *mLink; }

private:
    std::unique_ptr<UsbDeviceLink> mLink;
};

class UsbInterface : public HandleObject
{
public:
    static constexpr Kind kKind = Kind::WinUsbInterface;

    explicit UsbInterface(const std::shared_ptr<DeviceFile>& file)
        : HandleObject(kKind)
        , mFile(file)
    {
    }
    std::shared_ptr<DeviceFile> GetFile() const { return mFile.lock(); }

private:
    std::weak_ptr<DeviceFile> mFile;
};

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
    return OrvPlatform::InsertHandle(std::make_shared<DeviceFile>(std::move(link)));
}

BOOL WinUsb_Initialize(HANDLE DeviceHandle, PWINUSB_INTERFACE_HANDLE InterfaceHandle)
{
    if (InterfaceHandle == nullptr)
    {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    const auto file = OrvPlatform::FindHandleObject<DeviceFile>(DeviceHandle);
    if (!file)
    {
        return Fail(ERROR_INVALID_HANDLE);
    }
    const DWORD error = file->Link().ClaimInterface();
    if (error != ERROR_SUCCESS)
    {
        return Fail(error);
    }
    *InterfaceHandle = OrvPlatform::InsertHandle(std::make_shared<UsbInterface>(file));
    return TRUE;
}

BOOL WinUsb_Free(WINUSB_INTERFACE_HANDLE InterfaceHandle)
{
    const auto handle = std::static_pointer_cast<UsbInterface>(
        OrvPlatform::RemoveHandle(InterfaceHandle, UsbInterface::kKind));
    if (!handle)
    {
        return Fail(ERROR_INVALID_HANDLE);
    }
    if (const auto file = handle->GetFile())
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
    const auto handle = OrvPlatform::FindHandleObject<UsbInterface>(InterfaceHandle);
    const auto file = handle ? handle->GetFile() : nullptr;
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
