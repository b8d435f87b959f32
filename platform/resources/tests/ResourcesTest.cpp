#include "platform/Resources.h"
#include "platform/Kernel.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace
{
std::string ReadResource(HRSRC found)
{
    HGLOBAL loaded = LoadResource(nullptr, found);
    EXPECT_NE(loaded, nullptr);
    auto* bytes = static_cast<const char*>(LockResource(loaded));
    DWORD size = SizeofResource(nullptr, found);
    EXPECT_NE(bytes, nullptr);
    std::string result(bytes, size);
    EXPECT_EQ(bytes[size], 0) << "the data is followed by a zero byte";
    EXPECT_FALSE(FreeResource(loaded));
    return result;
}

std::string BinaryBytes()
{
    std::string bytes;
    for (int copy = 0; copy < 3; ++copy)
    {
        for (int value = 0; value < 256; ++value)
        {
            bytes.push_back(static_cast<char>(value));
        }
    }
    return bytes;
}
} // namespace

TEST(Resources, FindsEmbeddedFilesByTypeAndNameInAnyCase)
{
    struct Case
    {
        LPCWSTR type;
        LPCWSTR name;
        std::string content;
    };
    const Case cases[] = {
        {L"ORVXML", L"APP_STRINGS", "Hello, embedded world.\n"},
        {L"orvxml", L"app_strings", "Hello, embedded world.\n"},
        {L"ORVXML", L"APP_SKINS_XML", "<doc>skins</doc>"}, // a file name with a blank
        {L"GDIPLUS", L"Binary_Bin", BinaryBytes()},        // every byte value, zeros included
        {L"ORVXML", L"EMPTY", ""},
        {MAKEINTRESOURCEW(10), MAKEINTRESOURCEW(128), BinaryBytes()}, // integer ids
        {L"#10", L"#128", BinaryBytes()},                             // the same as strings
        {L"ORVXML", MAKEINTRESOURCEW(7), "Hello, embedded world.\n"},
    };
    for (const Case& c : cases)
    {
        SetLastError(ERROR_SUCCESS);
        HRSRC found = FindResourceW(nullptr, c.name, c.type);
        ASSERT_NE(found, nullptr);
        EXPECT_EQ(SizeofResource(nullptr, found), c.content.size());
        EXPECT_EQ(ReadResource(found), c.content);
    }
}

TEST(Resources, ModuleHandleOfTheProgramFindsTheSameResources)
{
    HMODULE program = GetModuleHandleW(nullptr);
    ASSERT_NE(program, nullptr);
    HRSRC viaHandle = FindResourceW(program, L"APP_STRINGS", L"ORVXML");
    EXPECT_EQ(viaHandle, FindResourceW(nullptr, L"APP_STRINGS", L"ORVXML"));
    EXPECT_EQ(SizeofResource(program, viaHandle), 23u);

    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(GetModuleHandleW(L"other.dll"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
}

TEST(Resources, ReportsWhatIsMissingOrWrong)
{
    struct Case
    {
        HMODULE module;
        LPCWSTR name;
        LPCWSTR type;
        DWORD error;
    };
    int other = 0;
    auto* unknownModule = reinterpret_cast<HMODULE>(&other);
    const Case cases[] = {
        {nullptr, L"APP_STRINGS", L"NOSUCHTYPE", ERROR_RESOURCE_TYPE_NOT_FOUND},
        {nullptr, L"NOSUCHNAME", L"ORVXML", ERROR_RESOURCE_NAME_NOT_FOUND},
        {nullptr, L"APP_STRINGS", L"GDIPLUS", ERROR_RESOURCE_NAME_NOT_FOUND},
        {nullptr, L"APP_STRINGS_", L"ORVXML", ERROR_RESOURCE_NAME_NOT_FOUND},
        {nullptr, L"APP_STRING", L"ORVXML", ERROR_RESOURCE_NAME_NOT_FOUND},
        {nullptr, MAKEINTRESOURCEW(8), L"ORVXML", ERROR_RESOURCE_NAME_NOT_FOUND},
        {nullptr, L"#7x", L"ORVXML", ERROR_RESOURCE_NAME_NOT_FOUND}, // not a number: a name
        {nullptr, nullptr, L"ORVXML", ERROR_INVALID_PARAMETER},
        {nullptr, L"APP_STRINGS", nullptr, ERROR_INVALID_PARAMETER},
        {unknownModule, L"APP_STRINGS", L"ORVXML", ERROR_INVALID_HANDLE},
    };
    for (const Case& c : cases)
    {
        SetLastError(ERROR_SUCCESS);
        EXPECT_EQ(FindResourceW(c.module, c.name, c.type), nullptr);
        EXPECT_EQ(GetLastError(), c.error);
    }

    // A handle that is not a found resource loads nothing and has no size.
    auto* bogus = reinterpret_cast<HRSRC>(&other);
    EXPECT_EQ(LoadResource(nullptr, bogus), nullptr);
    EXPECT_EQ(SizeofResource(nullptr, bogus), 0u);
    EXPECT_EQ(GetLastError(), ERROR_RESOURCE_DATA_NOT_FOUND);
    EXPECT_EQ(LoadResource(nullptr, nullptr), nullptr);
    EXPECT_EQ(LockResource(nullptr), nullptr);
}

TEST(GlobalMemory, LocksCountAndFreedHandlesAreRefused)
{
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, 16);
    ASSERT_NE(memory, nullptr);
    EXPECT_EQ(GlobalSize(memory), 16u);
    auto* bytes = static_cast<unsigned char*>(GlobalLock(memory));
    ASSERT_NE(bytes, nullptr);
    for (int i = 0; i < 16; ++i)
    {
        EXPECT_EQ(bytes[i], 0) << "new memory is zeroed";
    }
    EXPECT_EQ(GlobalLock(memory), bytes);
    EXPECT_TRUE(GlobalUnlock(memory)); // one lock left
    SetLastError(ERROR_GEN_FAILURE);
    EXPECT_FALSE(GlobalUnlock(memory)); // none left
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    EXPECT_FALSE(GlobalUnlock(memory));
    EXPECT_EQ(GetLastError(), ERROR_NOT_LOCKED);

    EXPECT_EQ(GlobalFree(memory), nullptr);
    EXPECT_EQ(GlobalFree(memory), memory) << "a freed handle is refused";
    EXPECT_EQ(GlobalLock(memory), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_EQ(GlobalSize(memory), 0u);
    // Resource data is not global memory.
    HGLOBAL resource = LoadResource(nullptr, FindResourceW(nullptr, L"EMPTY", L"ORVXML"));
    EXPECT_EQ(GlobalSize(resource), 0u);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST(GlobalMemory, StreamReadsTheMemoryInPiecesAndWritesGrowIt)
{
    // The way images are loaded from resources: copy into global memory, read through a stream.
    HRSRC found = FindResourceW(nullptr, L"BINARY_BIN", L"GDIPLUS");
    DWORD size = SizeofResource(nullptr, found);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
    std::memcpy(GlobalLock(memory), LockResource(LoadResource(nullptr, found)), size);
    GlobalUnlock(memory);

    IStream* stream = nullptr;
    ASSERT_EQ(CreateStreamOnHGlobal(memory, FALSE, &stream), S_OK);
    std::string read;
    char piece[500];
    ULONG got = 0;
    do
    {
        ASSERT_EQ(stream->Read(piece, sizeof(piece), &got), S_OK);
        read.append(piece, got);
    } while (got == sizeof(piece));
    EXPECT_EQ(read, BinaryBytes());
    EXPECT_EQ(stream->Read(piece, 1, &got), S_OK);
    EXPECT_EQ(got, 0u) << "nothing is left at the end";

    ULONG written = 0;
    EXPECT_EQ(stream->Write("tail", 4, &written), S_OK);
    EXPECT_EQ(written, 4u);
    EXPECT_EQ(GlobalSize(memory), size + 4);
    EXPECT_EQ(stream->Release(), 0u);
    // Not deleted on release: the memory is still the caller's.
    EXPECT_EQ(std::memcmp(static_cast<char*>(GlobalLock(memory)) + size, "tail", 4), 0);
    GlobalUnlock(memory);
    EXPECT_EQ(GlobalFree(memory), nullptr);

    // With a null handle the stream makes and frees its own memory.
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, FALSE, &stream), S_OK);
    EXPECT_EQ(stream->Write("abc", 3, nullptr), S_OK);
    stream->AddRef();
    EXPECT_EQ(stream->Release(), 1u);
    EXPECT_EQ(stream->Release(), 0u);

    EXPECT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, nullptr), E_INVALIDARG);
    int notMemory = 0;
    EXPECT_EQ(CreateStreamOnHGlobal(reinterpret_cast<HGLOBAL>(&notMemory), TRUE, &stream),
              E_INVALIDARG);
    EXPECT_EQ(stream, nullptr);
}
