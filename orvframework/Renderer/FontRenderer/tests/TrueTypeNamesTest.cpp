#include "Renderer/FontRenderer/TrueTypeNames.h"

#include "FontFiles.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <vector>

using namespace Orv;
using OrvTest::AppendBig16;
using OrvTest::AppendBig32;
using OrvTest::Bytes;
using OrvTest::PutBig16;
using OrvTest::PutBig32;

namespace
{
constexpr std::uint16_t kMac = 1;
constexpr std::uint16_t kWindows = 3;

struct Name
{
    std::uint16_t platform;
    std::uint16_t language;
    std::uint16_t id;
    Bytes text;
};

Bytes Latin(const std::string& text)
{
    return Bytes(text.begin(), text.end());
}

Bytes Utf16(const std::u16string& text)
{
    Bytes out;
    for (const char16_t unit : text)
    {
        AppendBig16(out, unit);
    }
    return out;
}

// Where the parts of a font made by MakeFont lie.
constexpr std::size_t kTableCountAt = 4;
constexpr std::size_t kNameRecordAt = 12 + 16; // the second table record
constexpr std::size_t kNameTableAt = 12 + 2 * 16 + 4;

// A TrueType font with two tables: a 4-byte "head" and a naming table of the records, in order.
Bytes MakeFont(const std::vector<Name>& names, const char* tag = "name")
{
    Bytes font;
    AppendBig32(font, 0x00010000);
    AppendBig16(font, 2);
    AppendBig16(font, 0);
    AppendBig16(font, 0);
    AppendBig16(font, 0);
    Bytes table;
    AppendBig16(table, 0);
    AppendBig16(table, static_cast<std::uint32_t>(names.size()));
    AppendBig16(table, static_cast<std::uint32_t>(6 + 12 * names.size()));
    Bytes strings;
    for (const Name& name : names)
    {
        AppendBig16(table, name.platform);
        AppendBig16(table, name.platform == kMac ? 0 : 1);
        AppendBig16(table, name.language);
        AppendBig16(table, name.id);
        AppendBig16(table, static_cast<std::uint32_t>(name.text.size()));
        AppendBig16(table, static_cast<std::uint32_t>(strings.size()));
        strings.insert(strings.end(), name.text.begin(), name.text.end());
    }
    table.insert(table.end(), strings.begin(), strings.end());
    font.insert(font.end(), {'h', 'e', 'a', 'd'});
    AppendBig32(font, 0);
    AppendBig32(font, kNameTableAt - 4);
    AppendBig32(font, 4);
    font.insert(font.end(), tag, tag + 4);
    AppendBig32(font, 0);
    AppendBig32(font, kNameTableAt);
    AppendBig32(font, static_cast<std::uint32_t>(table.size()));
    AppendBig32(font, 0);
    font.insert(font.end(), table.begin(), table.end());
    return font;
}

std::vector<FontFaceNames> Read(const Bytes& font, ORVRESULT expected = S_OK)
{
    std::vector<FontFaceNames> faces;
    FontFileBytes data(font.data(), font.size());
    NString error;
    EXPECT_EQ(ReadTrueTypeFaceNames(data, faces, error), expected) << error.GetBuffer();
    return faces;
}

std::string Describe(const std::vector<FontFaceNames>& faces)
{
    std::string out;
    for (const FontFaceNames& face : faces)
    {
        out += OrvTest::Narrow(face.family) + "/" + OrvTest::Narrow(face.style) + "/" +
               std::to_string(face.faceIndex) + ";";
    }
    return out;
}
} // namespace

TEST(TrueTypeNames, EnglishFamilyAndSubfamilyRecordsOfEachPlatformNameTheFace)
{
    struct Case
    {
        const char* what;
        std::vector<Name> names;
        const char* expected;
    };
    const Case cases[] = {
        {"Macintosh and Windows records: the face once per platform, the subfamily lowered",
         {{kMac, 0, 1, Latin("Caf\x8e Sans")},
          {kMac, 0, 2, Latin("Bold Italic")},
          {kWindows, 0x409, 1, Utf16(u"Caf\u00e9 Sans")},
          {kWindows, 0x409, 4, Utf16(u"Caf\u00e9 Sans Bold Italic")},
          {kWindows, 0x409, 2, Utf16(u"Bold Italic")}},
         "Caf\xc3\xa9 Sans/bold italic/0;Caf\xc3\xa9 Sans/bold italic/0;"},
        {"Macintosh records only",
         {{kMac, 0, 2, Latin("Regular")}, {kMac, 0, 1, Latin("Plain")}},
         "Plain/regular/0;"},
        {"other languages count for nothing",
         {{kWindows, 0x407, 1, Utf16(u"Schrift")},
          {kWindows, 0x407, 2, Utf16(u"Fett")},
          {kMac, 1, 1, Latin("Police")},
          {kMac, 1, 2, Latin("Gras")}},
         ""},
        {"a family without a subfamily is no face", {{kWindows, 0x409, 1, Utf16(u"Lonely")}}, ""},
        {"an empty string is passed over for the next one",
         {{kWindows, 0x409, 1, Bytes()},
          {kWindows, 0x409, 1, Utf16(u"Second")},
          {kWindows, 0x409, 2, Utf16(u"Book")}},
         "Second/book/0;"},
        {"a string of null characters counts as empty",
         {{kWindows, 0x409, 1, Bytes(4, 0)},
          {kWindows, 0x409, 1, Utf16(u"Third")},
          {kWindows, 0x409, 2, Utf16(u"Book")}},
         "Third/book/0;"},
        {"the odd last byte of a Windows string is not read",
         {{kWindows, 0x409, 1,
           []
           {
               Bytes text = Utf16(u"Odd");
               text.push_back('!');
               return text;
           }()},
          {kWindows, 0x409, 2, Utf16(u"Book")}},
         "Odd/book/0;"},
        {"surrogate pairs are joined, a lone surrogate replaced",
         {{kWindows, 0x409, 1, Utf16(u"A\U0001D400\xD800Z")}, {kWindows, 0x409, 2, Utf16(u"Book")}},
         "A\xf0\x9d\x90\x80\xef\xbf\xbdZ/book/0;"},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(Describe(Read(MakeFont(c.names))), c.expected) << c.what;
    }
}

TEST(TrueTypeNames, TheNamingTableIsFoundByItsTagInAnyCaseUntilAnEmptyTag)
{
    const std::vector<Name> names = {{kWindows, 0x409, 1, Utf16(u"Tagged")},
                                     {kWindows, 0x409, 2, Utf16(u"Book")}};
    EXPECT_EQ(Describe(Read(MakeFont(names, "NAME"))), "Tagged/book/0;");
    EXPECT_EQ(Describe(Read(MakeFont(names, "nams"))), "");
    Bytes endsEarly = MakeFont(names);
    endsEarly[12] = 0; // the first record's tag: the directory ends before the naming table
    EXPECT_EQ(Describe(Read(endsEarly)), "");
}

TEST(TrueTypeNames, MacintoshRomanText)
{
    const unsigned char text[] = {'A', 0x80, 0x8E, 0xA5, 0xDB, 0xDE, 0xF0, 0xFF, '~'};
    EXPECT_EQ(DecodeMacRoman(text, sizeof(text)),
              WString(L"A\u00c4\u00e9\u2022\u20ac\ufb01\uf8ff\u02c7~"));
}

TEST(TrueTypeNames, EachFaceOfACollectionKeepsItsIndex)
{
    const Bytes first =
        MakeFont({{kWindows, 0x409, 1, Utf16(u"First")}, {kWindows, 0x409, 2, Utf16(u"Bold")}});
    const Bytes second = MakeFont({{kMac, 0, 1, Latin("Second")}, {kMac, 0, 2, Latin("Italic")}});
    EXPECT_EQ(Describe(Read(OrvTest::MakeCollection({first, second}))),
              "First/bold/0;Second/italic/1;");
    // A face without names leaves its index unused.
    const Bytes unnamed = MakeFont({}, "glyf");
    EXPECT_EQ(Describe(Read(OrvTest::MakeCollection({unnamed, first, unnamed, second}))),
              "First/bold/1;Second/italic/3;");
}

TEST(TrueTypeNames, TheInstalledDejaVuFontsNameTheirFaces)
{
    EXPECT_EQ(Describe(Read(OrvTest::DejaVuBytes("DejaVuSerif-BoldItalic.ttf"))),
              "DejaVu Serif/bold italic/0;DejaVu Serif/bold italic/0;");
    EXPECT_EQ(Describe(Read(OrvTest::DejaVuBytes("DejaVuSans-ExtraLight.ttf"))),
              "DejaVu Sans Light/extralight/0;DejaVu Sans Light/extralight/0;");
}

TEST(TrueTypeNames, ADamagedFileIsRefusedAsAWholeWithTheReason)
{
    const std::vector<Name> names = {{kWindows, 0x409, 1, Utf16(u"Damaged")},
                                     {kWindows, 0x409, 2, Utf16(u"Bold")}};
    const Bytes good = MakeFont(names);
    struct Case
    {
        const char* what;
        Bytes font;
        const char* reason;
    };
    const auto changed = [&](auto change)
    {
        Bytes font = good;
        change(font);
        return font;
    };
    const Bytes dejaVu = OrvTest::DejaVuBytes("DejaVuSans.ttf");
    const Bytes halfCollection = [&]
    {
        Bytes collection = OrvTest::MakeCollection({good, good});
        collection.erase(collection.end() - static_cast<std::ptrdiff_t>(good.size() / 2),
                         collection.end());
        return collection;
    }();
    const std::vector<Case> cases = {
        {"shorter than the file header", Bytes(good.begin(), good.begin() + 5), "file header"},
        {"a real font cut short", Bytes(dejaVu.begin(), dejaVu.begin() + 100), "table directory"},
        {"a collection counting more faces than it holds",
         changed(
             [](Bytes& font)
             {
                 font = OrvTest::MakeCollection({font});
                 PutBig32(font, 8, 0x40000000);
             }),
         "face offsets"},
        {"a face offset past the end",
         changed(
             [](Bytes& font)
             {
                 font = OrvTest::MakeCollection({font});
                 PutBig32(font, 12, 0xFFFFFFF0);
             }),
         "offset table"},
        {"a collection's second face cut off", halfCollection, "outside the file: "},
        {"a table count past the end",
         changed([](Bytes& font) { PutBig16(font, kTableCountAt, 0xFFFF); }), "table directory"},
        {"a naming table past the end",
         changed([](Bytes& font) { PutBig32(font, kNameRecordAt + 8, 0x7FFFFFFF); }),
         "naming table"},
        {"a naming table longer than the file",
         changed([](Bytes& font) { PutBig32(font, kNameRecordAt + 12, 0x10000); }), "naming table"},
        {"a name record count past the end",
         changed([](Bytes& font) { PutBig16(font, kNameTableAt + 2, 0x8000); }), "name records"},
        {"a string offset past the end",
         changed([](Bytes& font) { PutBig16(font, kNameTableAt + 6 + 10, 0xFFF0); }),
         "name string"},
        {"a string length past the end",
         changed([](Bytes& font) { PutBig16(font, kNameTableAt + 6 + 12 + 8, 0xFFFF); }),
         "name string"},
        {"a strings offset past the end",
         changed([](Bytes& font) { PutBig16(font, kNameTableAt + 4, 0xFFFF); }), "name string"},
        {"every face of a collection pointing at one huge directory",
         []
         {
             // 4095 empty-named tables read once per face: the reading would grow with the square
             // of the file's size.
             Bytes face(12 + 16 * 4095, 'x');
             PutBig16(face, kTableCountAt, 4095);
             Bytes collection;
             AppendBig32(collection, 0x74746366);
             AppendBig32(collection, 0x00010000);
             AppendBig32(collection, 100000);
             for (int i = 0; i < 100000; ++i)
             {
                 AppendBig32(collection, 12 + 4 * 100000);
             }
             collection.insert(collection.end(), face.begin(), face.end());
             return collection;
         }(),
         "read more than"},
    };
    for (const Case& c : cases)
    {
        std::vector<FontFaceNames> faces(1);
        faces[0].family = L"kept";
        FontFileBytes data(c.font.data(), c.font.size());
        NString error;
        EXPECT_EQ(ReadTrueTypeFaceNames(data, faces, error), E_FAIL) << c.what;
        EXPECT_NE(std::string(error.GetBuffer()).find(c.reason), std::string::npos)
            << c.what << ": " << error.GetBuffer();
        ASSERT_EQ(faces.size(), 1u) << c.what;
        EXPECT_EQ(faces[0].family, WString(L"kept")) << c.what;
    }
}
