// The version-information calls over the program's own version block (tests/data/version.txt),
// and the default language ids from the locale.
#include "platform/VersionInfo.h"
#include "ScopedEnvironment.h"
#include "platform/Kernel.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace
{
std::wstring ProgramFile()
{
    char path[4096] = {};
    const ssize_t length = readlink("/proc/self/exe", path, sizeof(path) - 1);
    EXPECT_GT(length, 0);
    return std::wstring(path, path + (length > 0 ? length : 0));
}

std::vector<unsigned char> ReadProgramBlock()
{
    DWORD handle = 7;
    const DWORD size = GetFileVersionInfoSizeW(ProgramFile().c_str(), &handle);
    EXPECT_GT(size, 0u);
    EXPECT_EQ(handle, 0u);
    std::vector<unsigned char> block(size);
    EXPECT_TRUE(GetFileVersionInfoW(ProgramFile().c_str(), 0, size, block.data()));
    return block;
}

std::optional<std::wstring> Query(const std::vector<unsigned char>& block, const wchar_t* path)
{
    LPVOID value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), path, &value, &length))
    {
        return std::nullopt;
    }
    const auto* text = static_cast<const wchar_t*>(value);
    EXPECT_EQ(text[length - 1], L'\0') << "the length counts the terminating zero";
    return std::wstring(text, length - 1);
}

} // namespace

TEST(VersionInfo, TheProgramsBlockGivesItsTranslationsAndStrings)
{
    const std::vector<unsigned char> block = ReadProgramBlock();

    LPVOID value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &value, &length));
    ASSERT_EQ(length, 2 * sizeof(DWORD));
    const auto* translations = static_cast<const DWORD*>(value);
    EXPECT_EQ(translations[0], 0x04E40407u) << "the language in the low word";
    EXPECT_EQ(translations[1], 0x04B00409u);

    struct Case
    {
        const wchar_t* path;
        std::optional<std::wstring> value;
    };
    const Case cases[] = {
        {L"\\StringFileInfo\\040904B0\\CompanyName", L"Makers Ltd"},
        {L"\\StringFileInfo\\040904b0\\productname", L"The Product"},
        {L"\\StringFileInfo\\040704E4\\ProductName", L"Das Produkt \u00e4"},
        {L"\\StringFileInfo\\040904B0\\Empty", L""},
        {L"\\StringFileInfo\\040704E4\\CompanyName", std::nullopt},
        {L"\\StringFileInfo\\040904B0\\ProductVersion", std::nullopt},
        {L"\\StringFileInfo\\040904B0", std::nullopt},
        {L"\\VarFileInfo\\Other", std::nullopt},
        {L"", std::nullopt},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(Query(block, c.path), c.value) << std::string(c.path, c.path + wcslen(c.path));
    }
}

TEST(VersionInfo, OtherFilesHaveNoBlockAndShortBuffersAreRefused)
{
    DWORD handle = 0;
    EXPECT_EQ(GetFileVersionInfoSizeW(L"/bin/sh", &handle), 0u);
    EXPECT_EQ(GetLastError(), ERROR_RESOURCE_TYPE_NOT_FOUND);
    EXPECT_EQ(GetFileVersionInfoSizeW(L"/no/such/program", &handle), 0u);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);

    const DWORD size = GetFileVersionInfoSizeW(ProgramFile().c_str(), &handle);
    std::vector<unsigned char> block(size, 0xAA);
    EXPECT_FALSE(GetFileVersionInfoW(ProgramFile().c_str(), 0, size - 1, block.data()));
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(block[0], 0xAA) << "nothing is written";

    // A block that GetFileVersionInfoW did not fill holds nothing.
    LPVOID value = nullptr;
    UINT length = 0;
    EXPECT_FALSE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &value, &length));
}

TEST(VersionInfo, TheUsersLanguageFollowsTheLocaleNamedFirst)
{
    struct Case
    {
        const char* all;
        const char* messages;
        const char* lang;
        LANGID expected;
    };
    const Case cases[] = {
        {nullptr, nullptr, "de_DE.UTF-8", 0x0407},
        {nullptr, "fr_FR.UTF-8", "de_DE.UTF-8", 0x040C},
        {"ja_JP.UTF-8", "fr_FR.UTF-8", "de_DE.UTF-8", 0x0411},
        {"", nullptr, "zh_TW.UTF-8", 0x0404},
        {nullptr, nullptr, "zh_CN.UTF-8", 0x0804},
        {nullptr, nullptr, "C", 0x0409},
        {nullptr, nullptr, "POSIX", 0x0409},
        {nullptr, nullptr, nullptr, 0x0409},
        {nullptr, nullptr, "xx_YY", 0x0409},
    };
    for (const Case& c : cases)
    {
        OrvTest::ScopedEnvironment environment;
        environment.Set("LC_ALL", c.all);
        environment.Set("LC_MESSAGES", c.messages);
        environment.Set("LANG", c.lang);
        EXPECT_EQ(GetUserDefaultLangID(), c.expected) << (c.lang != nullptr ? c.lang : "none");
    }
    EXPECT_EQ(PRIMARYLANGID(0x0809), LANG_ENGLISH);
    // The system's language does not follow the process's environment.
    OrvTest::ScopedEnvironment environment;
    environment.Set("LANG", "ja_JP.UTF-8");
    const LANGID system = GetSystemDefaultLangID();
    environment.Set("LANG", "de_DE.UTF-8");
    EXPECT_EQ(GetSystemDefaultLangID(), system);
}
