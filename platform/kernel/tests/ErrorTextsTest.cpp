#include "platform/Kernel.h"
#include "platform/Resources.h"
#include "platform/SetupApi.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
constexpr DWORD kSystem = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
const DWORD kDefaultLanguage = MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT);

// The allocated text of a code, or "<error N>" with the last error when there is none.
std::wstring Allocated(DWORD code, DWORD language = kDefaultLanguage)
{
    LPWSTR text = nullptr;
    const DWORD length = FormatMessageW(kSystem | FORMAT_MESSAGE_ALLOCATE_BUFFER, nullptr, code,
                                        language, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
    if (length == 0)
    {
        EXPECT_EQ(text, nullptr);
        return L"<error " + std::to_wstring(GetLastError()) + L">";
    }
    std::wstring result(text);
    EXPECT_EQ(result.size(), length);
    EXPECT_EQ(LocalFree(reinterpret_cast<HLOCAL>(text)), nullptr);
    return result;
}
} // namespace

TEST(FormatMessage, EveryGeneralErrorCodeHasAnEnglishLine)
{
    for (DWORD code : {ERROR_SUCCESS,
                       ERROR_INVALID_FUNCTION,
                       ERROR_FILE_NOT_FOUND,
                       ERROR_PATH_NOT_FOUND,
                       ERROR_ACCESS_DENIED,
                       ERROR_INVALID_HANDLE,
                       ERROR_NOT_ENOUGH_MEMORY,
                       ERROR_INVALID_DATA,
                       ERROR_BAD_COMMAND,
                       ERROR_GEN_FAILURE,
                       ERROR_NOT_SUPPORTED,
                       ERROR_FILE_EXISTS,
                       ERROR_INVALID_PARAMETER,
                       ERROR_SEM_TIMEOUT,
                       ERROR_INSUFFICIENT_BUFFER,
                       ERROR_MOD_NOT_FOUND,
                       ERROR_PROC_NOT_FOUND,
                       ERROR_NOT_LOCKED,
                       ERROR_BUSY,
                       ERROR_ALREADY_EXISTS,
                       ERROR_NO_MORE_ITEMS,
                       ERROR_MR_MID_NOT_FOUND,
                       ERROR_OPERATION_ABORTED,
                       ERROR_IO_PENDING,
                       ERROR_DEVICE_NOT_CONNECTED,
                       ERROR_NOT_FOUND,
                       ERROR_TIMEOUT,
                       ERROR_INVALID_USER_BUFFER,
                       ERROR_RESOURCE_DATA_NOT_FOUND,
                       ERROR_RESOURCE_TYPE_NOT_FOUND,
                       ERROR_RESOURCE_NAME_NOT_FOUND,
                       ERROR_INVALID_PIXEL_FORMAT,
                       ERROR_RESOURCE_LANG_NOT_FOUND})
    {
        const std::wstring text = Allocated(code);
        ASSERT_GT(text.size(), 3u) << code;
        EXPECT_NE(text[0], L'<') << code;
        EXPECT_EQ(text.substr(text.size() - 3), L".\r\n") << code;
    }
    EXPECT_EQ(Allocated(ERROR_PROC_NOT_FOUND), L"The procedure cannot be found.\r\n");
    EXPECT_EQ(Allocated(ERROR_PROC_NOT_FOUND, 0), Allocated(ERROR_PROC_NOT_FOUND));
    EXPECT_EQ(Allocated(ERROR_PROC_NOT_FOUND, MAKELANGID(LANG_ENGLISH, SUBLANG_DEFAULT)),
              Allocated(ERROR_PROC_NOT_FOUND));
}

TEST(FormatMessage, FailuresSayWhy)
{
    EXPECT_EQ(Allocated(99999), L"<error 317>");
    // German is not there.
    EXPECT_EQ(Allocated(ERROR_ACCESS_DENIED, MAKELANGID(0x07, SUBLANG_DEFAULT)), L"<error 15100>");

    wchar_t small[8] = L"keep";
    EXPECT_EQ(FormatMessageW(kSystem, nullptr, ERROR_ACCESS_DENIED, 0, small, 8, nullptr), 0u);
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(std::wstring(small), L"keep");
    wchar_t room[64] = {};
    EXPECT_EQ(FormatMessageW(kSystem, nullptr, ERROR_ACCESS_DENIED, 0, room, 64, nullptr), 19u);
    EXPECT_EQ(std::wstring(room), L"Access is denied.\r\n");

    EXPECT_EQ(FormatMessageW(FORMAT_MESSAGE_FROM_STRING, L"%1", 0, 0, room, 64, nullptr), 0u);
    EXPECT_EQ(GetLastError(), ERROR_NOT_SUPPORTED);
    EXPECT_EQ(FormatMessageW(kSystem, nullptr, ERROR_ACCESS_DENIED, 0, nullptr, 64, nullptr), 0u);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST(LocalFree, FreesOnlyWhatFormatMessageHandedOut)
{
    EXPECT_EQ(LocalFree(nullptr), nullptr);
    int notAllocated = 0;
    HLOCAL stranger = reinterpret_cast<HLOCAL>(&notAllocated);
    EXPECT_EQ(LocalFree(stranger), stranger);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    LPWSTR text = nullptr;
    ASSERT_GT(FormatMessageW(kSystem | FORMAT_MESSAGE_ALLOCATE_BUFFER, nullptr, ERROR_BUSY, 0,
                             reinterpret_cast<LPWSTR>(&text), 0, nullptr),
              0u);
    EXPECT_EQ(LocalFree(reinterpret_cast<HLOCAL>(text)), nullptr);
    // A second free is refused rather than freeing twice.
    EXPECT_EQ(LocalFree(reinterpret_cast<HLOCAL>(text)), reinterpret_cast<HLOCAL>(text));
}
