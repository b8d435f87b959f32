// The program's version record read from its embedded version block, and the choice of the
// translation.
#include "Version.h"
#include "StartupErrorCode.h"

#include "platform/Kernel.h"
#include "platform/VersionInfo.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

using Orv::Version;
using Orv::WString;

TEST(Version, TheRecordIsReadFromTheProgramsVersionBlock)
{
    const Version& version = Version::GetProgramVersion();
    EXPECT_EQ(version.GetTranslation(), 0x04B00409u);
    EXPECT_EQ(Version::GetCompanyName(), WString(L"Halvex DJ"));
    EXPECT_EQ(Version::GetProductName(), WString(L"Brelune VANTA Firmware Updater"));
    EXPECT_EQ(Version::GetProductVersion(), WString(L"1.0.0"));
    EXPECT_TRUE(version.GetStringFileInfo(WString(L"LegalCopyright")).IsEmpty());
    // A second record of the same file reads the same.
    EXPECT_EQ(Version(nullptr).GetStringFileInfo(WString(L"ProductName")),
              Version::GetProductName());
}

TEST(Version, TheTranslationIsTheUsersElseTheSystemsElseAnEnglishOne)
{
    constexpr DWORD kGerman = 0x04E40407;
    constexpr DWORD kFrench = 0x04E4040C;
    constexpr DWORD kBritish = 0x04B00809;
    constexpr DWORD kAmerican = 0x04B00409;
    constexpr DWORD kJapanese = 0x03A40411;
    struct Case
    {
        std::vector<DWORD> translations;
        WORD user;
        WORD system;
        std::optional<std::size_t> chosen;
    };
    const Case cases[] = {
        {{kGerman, kFrench, kAmerican}, 0x040C, 0x0407, 1},
        {{kGerman, kFrench, kAmerican}, 0x0411, 0x0407, 0},
        {{kJapanese, kBritish, kAmerican}, 0x0407, 0x040C, 1},
        {{kJapanese, kAmerican}, 0x0407, 0x040C, 1},
        {{kAmerican, kAmerican | 0x03A40000}, 0x0409, 0x0409, 0},
        {{kJapanese, kGerman}, 0x040C, 0x0410, std::nullopt},
        {{}, 0x0409, 0x0409, std::nullopt},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(Version::ChooseTranslation(c.translations, c.user, c.system), c.chosen)
            << std::hex << c.user << " " << c.system;
    }
}

TEST(Version, WithoutAnApplicationTheStartupTextIsTheBuiltInOne)
{
    EXPECT_EQ(Orv::FormatStartupErrorText(900),
              WString(L"The application encountered problems during startup and will now close. "
                      L" (Error code = 900)"));
}
