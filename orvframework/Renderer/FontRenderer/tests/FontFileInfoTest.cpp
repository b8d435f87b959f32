#include "Renderer/FontRenderer/FontFileInfo.h"

#include "FontFiles.h"
#include "Renderer/Font.h"

#include "platform/User32.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

using namespace Orv;
using OrvTest::Bytes;
using OrvTest::Narrow;

namespace
{
class FontFileInfoTest : public ::testing::Test
{
protected:
    void TearDown() override { LFontFileInfo::Clear(); }

    // The file name in each slot of the family's entry ("-" for an empty slot), and the face
    // index where it is not 0.
    static std::string Slots(const char* family)
    {
        const RCPtr<LFontFileInfo> entry = LFontFileInfo::FindFamily(WString(family));
        if (entry == nullptr)
        {
            return "(no entry)";
        }
        std::string out;
        for (int slot = 0; slot < LFontFileInfo::kSlotCount; ++slot)
        {
            const std::string path = Narrow(entry->GetPath(slot));
            out += path.empty() ? "-" : std::filesystem::path(path).filename().string();
            if (entry->GetFaceIndexInFile(slot) != 0)
            {
                out += "#" + std::to_string(entry->GetFaceIndexInFile(slot));
            }
            out += slot + 1 < LFontFileInfo::kSlotCount ? " " : "";
        }
        return out;
    }

    static std::string FileOf(const char* family, int style)
    {
        const int id = LFontFileInfo::GetFileID(LFont::GetFont(WString(family), 10, style));
        return std::filesystem::path(Narrow(LFontFileInfo::GetFilePath(id))).filename().string();
    }

    static WString InterfaceFamily()
    {
        LOGFONTW font{};
        EXPECT_TRUE(SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof(font), &font, 0));
        return WString(font.lfFaceName);
    }
};
} // namespace

TEST_F(FontFileInfoTest, TheInstalledDejaVuFamiliesWithTheirStyles)
{
    ASSERT_EQ(LFontFileInfo::ScanFontFolder(), S_OK);
    EXPECT_EQ(
        Slots("DejaVu Sans"),
        "DejaVuSans.ttf DejaVuSans-Bold.ttf DejaVuSans-Oblique.ttf DejaVuSans-BoldOblique.ttf");
    EXPECT_EQ(Slots("DejaVu Serif"), "DejaVuSerif.ttf DejaVuSerif-Bold.ttf DejaVuSerif-Italic.ttf "
                                     "DejaVuSerif-BoldItalic.ttf");
    EXPECT_EQ(Slots("DejaVu Sans Mono"),
              "DejaVuSansMono.ttf DejaVuSansMono-Bold.ttf "
              "DejaVuSansMono-Oblique.ttf DejaVuSansMono-BoldOblique.ttf");
    EXPECT_EQ(Slots("DejaVu Serif Condensed"),
              "DejaVuSerifCondensed.ttf DejaVuSerifCondensed-Bold.ttf "
              "DejaVuSerifCondensed-Italic.ttf DejaVuSerifCondensed-BoldItalic.ttf");
    // An id is the entry's index and the style's slot.
    EXPECT_EQ(LFontFileInfo::GetFileID(
                  LFont::GetFont(WString(L"DejaVu Serif"), 9, LFont::kBold | LFont::kItalic)),
              LFontFileInfo::FindFamily(WString(L"DejaVu Serif"))->GetIndex() * 4 + 3);
    EXPECT_EQ(FileOf("DejaVu Serif", LFont::kBold), "DejaVuSerif-Bold.ttf");
    EXPECT_EQ(FileOf("DejaVu Sans", LFont::kItalic), "DejaVuSans-Oblique.ttf");
}

TEST_F(FontFileInfoTest, EveryFamilyOfACollectionWithItsFaceIndex)
{
    OrvTest::ScratchFolder folder;
    folder.Write("Built.ttc",
                 OrvTest::MakeCollection({OrvTest::DejaVuBytes("DejaVuSerif.ttf"),
                                          OrvTest::DejaVuBytes("DejaVuSans-Bold.ttf")}));
    ASSERT_EQ(OrvTest::ScanOnly(folder.Path()), S_OK);
    EXPECT_EQ(LFontFileInfo::GetCount(), 2);
    EXPECT_EQ(Slots("DejaVu Serif"), "Built.ttc - - -");
    EXPECT_EQ(Slots("DejaVu Sans"), "- Built.ttc#1 - -");
    const int id = LFontFileInfo::GetFileID(LFont::GetFont(WString(L"DejaVu Sans"), 12, 0));
    EXPECT_EQ(Narrow(LFontFileInfo::GetFilePath(id)), folder.File("Built.ttc"));
    EXPECT_EQ(LFontFileInfo::GetFaceIndex(id), 1);
}

TEST_F(FontFileInfoTest, DamagedFilesArePassedOverWithALineEach)
{
    OrvTest::ScratchFolder folder;
    folder.Write("Good.ttf", OrvTest::DejaVuBytes("DejaVuSerif.ttf"));
    const Bytes sans = OrvTest::DejaVuBytes("DejaVuSans-Bold.ttf");
    folder.Write("Truncated.ttf", Bytes(sans.begin(), sans.begin() + 300));
    folder.Write("Empty.ttf", Bytes());
    Bytes offsets = sans;
    // Every table offset of the directory far past the end.
    const unsigned int tables = (offsets[4] << 8) | offsets[5];
    for (unsigned int t = 0; t < tables; ++t)
    {
        OrvTest::PutBig32(offsets, 12 + 16 * t + 8, 0x7FFFFFF0);
    }
    folder.Write("Offsets.ttf", offsets);
    Bytes counts = OrvTest::MakeCollection({sans});
    OrvTest::PutBig32(counts, 8, 0x3FFFFFFF);
    folder.Write("Counts.ttc", counts);
    std::filesystem::create_directory(folder.File("Folder.ttf"));

    ::testing::internal::CaptureStderr();
    ASSERT_EQ(OrvTest::ScanOnly(folder.Path()), S_OK);
    const std::string log = ::testing::internal::GetCapturedStderr();

    EXPECT_EQ(LFontFileInfo::GetCount(), 1);
    EXPECT_EQ(Slots("DejaVu Serif"), "Good.ttf - - -");
    for (const char* name : {"Truncated.ttf", "Empty.ttf", "Offsets.ttf", "Counts.ttc"})
    {
        EXPECT_NE(log.find(folder.File(name) + " passed over: "), std::string::npos) << log;
    }
    EXPECT_EQ(log.find("Good.ttf"), std::string::npos) << log;
}

TEST_F(FontFileInfoTest, AStyleWithoutAFileTakesTheFirstFallbackAndKeepsIt)
{
    OrvTest::ScratchFolder folder;
    folder.Write("OnlyBold.ttf", OrvTest::DejaVuBytes("DejaVuSans-Bold.ttf"));
    ASSERT_EQ(OrvTest::ScanOnly(folder.Path()), S_OK);
    EXPECT_EQ(Slots("DejaVu Sans"), "- OnlyBold.ttf - -");
    EXPECT_EQ(FileOf("DejaVu Sans", LFont::kRegular), "OnlyBold.ttf");
    EXPECT_EQ(Slots("DejaVu Sans"), "OnlyBold.ttf OnlyBold.ttf - -");
    EXPECT_EQ(FileOf("DejaVu Sans", LFont::kItalic), "OnlyBold.ttf");
    EXPECT_EQ(FileOf("DejaVu Sans", LFont::kBold | LFont::kItalic), "OnlyBold.ttf");
    EXPECT_EQ(Slots("DejaVu Sans"), "OnlyBold.ttf OnlyBold.ttf OnlyBold.ttf OnlyBold.ttf");

    // Underline and strike-out do not change the slot.
    const int bold = LFontFileInfo::GetFileID(LFont::GetFont(WString(L"DejaVu Sans"), 10, 1));
    EXPECT_EQ(
        LFontFileInfo::GetFileID(LFont::GetFont(
            WString(L"DejaVu Sans"), 10, LFont::kBold | LFont::kUnderline | LFont::kStrikeout)),
        bold);
    EXPECT_EQ(
        LFontFileInfo::GetFileID(LFont::GetFont(WString(L"DejaVu Sans"), 10, LFont::kUnderline)),
        bold - 1);
}

TEST_F(FontFileInfoTest, AnUnknownFamilyTakesTheInterfaceFontsFamilyElseThrows)
{
    const WString interfaceFamily = InterfaceFamily();
    ASSERT_EQ(Narrow(interfaceFamily), "DejaVu Sans") << "the tests expect the DejaVu fonts only";
    OrvTest::ScratchFolder folder;
    folder.Write("Serif.ttf", OrvTest::DejaVuBytes("DejaVuSerif.ttf"));
    folder.Write("Sans.ttf", OrvTest::DejaVuBytes("DejaVuSans.ttf"));
    ASSERT_EQ(OrvTest::ScanOnly(folder.Path()), S_OK);
    const int sansRegular = LFontFileInfo::FindFamily(interfaceFamily)->GetIndex() * 4;
    // Names are compared exactly: another case is another family.
    EXPECT_EQ(FileOf("dejavu serif", LFont::kRegular), "Sans.ttf");
    EXPECT_EQ(LFontFileInfo::GetFileID(LFont::GetFont(WString(L"No Such Family"), 10, 0)),
              sansRegular);

    LFontFileInfo::Clear();
    std::filesystem::remove(folder.File("Sans.ttf"));
    ASSERT_EQ(OrvTest::ScanOnly(folder.Path()), S_OK);
    try
    {
        LFontFileInfo::GetFileID(LFont::GetFont(WString(L"No Such Family"), 10, 0));
        ADD_FAILURE() << "no exception";
    }
    catch (const std::runtime_error& error)
    {
        EXPECT_NE(std::string(error.what()).find("Runtime Error : "), std::string::npos);
        EXPECT_NE(std::string(error.what()).find("Orv::LFontFileInfo::GetFileID"),
                  std::string::npos)
            << error.what();
    }
}

TEST_F(FontFileInfoTest, IdsOutsideTheRegistryGiveNoFile)
{
    OrvTest::ScratchFolder folder;
    folder.Write("Serif.ttf", OrvTest::DejaVuBytes("DejaVuSerif.ttf"));
    ASSERT_EQ(OrvTest::ScanOnly(folder.Path()), S_OK);
    EXPECT_EQ(Narrow(LFontFileInfo::GetFilePath(0)), folder.File("Serif.ttf"));
    for (const int id : {-1, -4, 4, 7, 0x7FFFFFFF})
    {
        EXPECT_TRUE(LFontFileInfo::GetFilePath(id).IsEmpty()) << id;
        EXPECT_EQ(LFontFileInfo::GetFaceIndex(id), 0) << id;
    }
    // A new entry takes the next index.
    EXPECT_EQ(LFontFileInfo::AppendNew()->GetIndex(), 1);
    EXPECT_EQ(LFontFileInfo::GetCount(), 2);
}

TEST_F(FontFileInfoTest, WithoutAnyFontFolderTheScanFailsAndTheRegistryStaysEmpty)
{
    OrvTest::ScratchFolder folder;
    folder.Write("Serif.ttf", OrvTest::DejaVuBytes("DejaVuSerif.ttf"));
    ASSERT_EQ(OrvTest::ScanOnly(folder.Path()), S_OK);
    ASSERT_EQ(LFontFileInfo::GetCount(), 1);

    const char* names[] = {"XDG_DATA_HOME", "XDG_DATA_DIRS"};
    std::string saved[2];
    bool had[2];
    for (int i = 0; i < 2; ++i)
    {
        const char* value = std::getenv(names[i]);
        had[i] = value != nullptr;
        saved[i] = had[i] ? value : "";
        setenv(names[i], folder.File("nowhere").c_str(), 1);
    }
    EXPECT_EQ(OrvTest::ScanOnly(folder.File("missing")), E_FAIL);
    for (int i = 0; i < 2; ++i)
    {
        had[i] ? setenv(names[i], saved[i].c_str(), 1) : unsetenv(names[i]);
    }
    EXPECT_EQ(LFontFileInfo::GetCount(), 0);
}
