// The texts of the system error codes, and the memory FormatMessageW hands out.
#include "platform/Kernel.h"
#include "platform/Resources.h"
#include "platform/SetupApi.h"

#include <cstdlib>
#include <cwchar>
#include <mutex>
#include <set>

namespace
{
struct ErrorText
{
    DWORD code;
    const wchar_t* text;
};

// One line per code, in English.
constexpr ErrorText kTexts[] = {
    {ERROR_SUCCESS, L"The operation completed successfully."},
    {ERROR_INVALID_FUNCTION, L"The function is not valid here."},
    {ERROR_FILE_NOT_FOUND, L"The file cannot be found."},
    {ERROR_PATH_NOT_FOUND, L"The path cannot be found."},
    {ERROR_ACCESS_DENIED, L"Access is denied."},
    {ERROR_INVALID_HANDLE, L"The handle is not valid."},
    {ERROR_NOT_ENOUGH_MEMORY, L"There is not enough memory for this operation."},
    {ERROR_INVALID_DATA, L"The data is not valid."},
    {ERROR_BAD_COMMAND, L"The device does not know the command."},
    {ERROR_GEN_FAILURE, L"A device attached to the system is not working."},
    {ERROR_NOT_SUPPORTED, L"The request is not supported."},
    {ERROR_FILE_EXISTS, L"The file exists."},
    {ERROR_INVALID_PARAMETER, L"A parameter is not valid."},
    {ERROR_SEM_TIMEOUT, L"The time-out period of the semaphore has expired."},
    {ERROR_INSUFFICIENT_BUFFER, L"The data area passed is too small."},
    {ERROR_MOD_NOT_FOUND, L"The module cannot be found."},
    {ERROR_PROC_NOT_FOUND, L"The procedure cannot be found."},
    {ERROR_NOT_LOCKED, L"The segment is already unlocked."},
    {ERROR_BUSY, L"The requested resource is in use."},
    {ERROR_ALREADY_EXISTS, L"The file or object already exists."},
    {ERROR_NO_MORE_ITEMS, L"No more data is available."},
    {ERROR_MR_MID_NOT_FOUND, L"There is no text for this message number."},
    {ERROR_OPERATION_ABORTED, L"The operation was aborted."},
    {ERROR_IO_PENDING, L"An overlapped operation is in progress."},
    {ERROR_DEVICE_NOT_CONNECTED, L"The device is not connected."},
    {ERROR_NOT_FOUND, L"The element was not found."},
    {ERROR_TIMEOUT, L"The operation returned because the time-out period expired."},
    {ERROR_INVALID_USER_BUFFER, L"The supplied user buffer is not valid for this operation."},
    {ERROR_RESOURCE_DATA_NOT_FOUND, L"The image file holds no resource section."},
    {ERROR_RESOURCE_TYPE_NOT_FOUND, L"The resource type cannot be found in the image file."},
    {ERROR_RESOURCE_NAME_NOT_FOUND, L"The resource name cannot be found in the image file."},
    {ERROR_INVALID_PIXEL_FORMAT, L"The pixel format is not valid."},
    {ERROR_RESOURCE_LANG_NOT_FOUND, L"The resource language cannot be found in the image file."},
};

const wchar_t* TextOf(DWORD code)
{
    for (const ErrorText& entry : kTexts)
    {
        if (entry.code == code)
        {
            return entry.text;
        }
    }
    return nullptr;
}

bool IsEnglishOrNeutral(DWORD languageId)
{
    switch (languageId)
    {
        case 0:
        case MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT):
        case MAKELANGID(LANG_NEUTRAL, SUBLANG_SYS_DEFAULT):
        case MAKELANGID(LANG_ENGLISH, SUBLANG_NEUTRAL):
        case MAKELANGID(LANG_ENGLISH, SUBLANG_DEFAULT):
            return true;
        default:
            return false;
    }
}

// The blocks FormatMessageW handed out and LocalFree has not freed.
std::mutex gAllocatedLock;
std::set<void*>& Allocated()
{
    static auto* blocks = new std::set<void*>();
    return *blocks;
}
} // namespace

DWORD FormatMessageW(DWORD flags, LPCVOID, DWORD messageId, DWORD languageId, LPWSTR buffer,
                     DWORD size, void*)
{
    if ((flags & (FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_FROM_HMODULE)) != 0 ||
        (flags & FORMAT_MESSAGE_FROM_SYSTEM) == 0)
    {
        SetLastError(ERROR_NOT_SUPPORTED);
        return 0;
    }
    if (buffer == nullptr)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const wchar_t* text = TextOf(messageId);
    if (text == nullptr)
    {
        SetLastError(ERROR_MR_MID_NOT_FOUND);
        return 0;
    }
    if (!IsEnglishOrNeutral(languageId))
    {
        SetLastError(ERROR_RESOURCE_LANG_NOT_FOUND);
        return 0;
    }
    const size_t length = std::wcslen(text) + 2; // with the line end
    if ((flags & FORMAT_MESSAGE_ALLOCATE_BUFFER) != 0)
    {
        const size_t room = length + 1 > size ? length + 1 : size;
        auto* block = static_cast<wchar_t*>(std::calloc(room, sizeof(wchar_t)));
        if (block == nullptr)
        {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return 0;
        }
        {
            std::lock_guard<std::mutex> lock(gAllocatedLock);
            Allocated().insert(block);
        }
        *reinterpret_cast<LPWSTR*>(buffer) = block;
        buffer = block;
    }
    else if (length + 1 > size)
    {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::wcscpy(buffer, text);
    std::wcscat(buffer, L"\r\n");
    return static_cast<DWORD>(length);
}

HLOCAL LocalFree(HLOCAL memory)
{
    if (memory == nullptr)
    {
        return nullptr;
    }
    {
        std::lock_guard<std::mutex> lock(gAllocatedLock);
        if (Allocated().erase(memory) == 0)
        {
            SetLastError(ERROR_INVALID_HANDLE);
            return memory;
        }
    }
    std::free(memory);
    return nullptr;
}
