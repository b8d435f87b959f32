#include "Utilities/Storage/UtfConversion.h"
#include "Utilities/Storage/StringT.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Orv;

namespace
{
struct Utf8To16Result
{
    int code;
    std::u16string text;
    std::size_t consumed;
};

Utf8To16Result From8To16(const std::string& bytes, int flags, std::size_t room = 64)
{
    std::vector<char16_t> out(room);
    const auto* source = reinterpret_cast<const unsigned char*>(bytes.data());
    const unsigned char* start = source;
    char16_t* target = out.data();
    const int code =
        ConvertUtf8ToUtf16(&source, source + bytes.size(), &target, out.data() + room, flags);
    return {code, std::u16string(out.data(), target), static_cast<std::size_t>(source - start)};
}

struct Utf16To8Result
{
    int code;
    std::string bytes;
    std::size_t consumed;
};

Utf16To8Result From16To8(const std::u16string& units, int flags, std::size_t room = 64)
{
    std::vector<unsigned char> out(room);
    const char16_t* source = units.data();
    unsigned char* target = out.data();
    const int code =
        ConvertUtf16ToUtf8(&source, units.data() + units.size(), &target, out.data() + room, flags);
    return {code, std::string(out.data(), target), static_cast<std::size_t>(source - units.data())};
}

std::u32string From8To32(const std::string& bytes, int flags, int* code)
{
    std::vector<char32_t> out(bytes.size() + 1);
    const auto* source = reinterpret_cast<const unsigned char*>(bytes.data());
    char32_t* target = out.data();
    *code =
        ConvertUtf8ToUtf32(&source, source + bytes.size(), &target, out.data() + out.size(), flags);
    return std::u32string(out.data(), target);
}
} // namespace

TEST(Utf8ToUtf16, ConvertsLegalText)
{
    const auto latin = From8To16("\x68\xC3\xA9", kConversionStrict);
    EXPECT_EQ(latin.code, kConversionOK);
    EXPECT_EQ(latin.text, u"\u0068\u00E9");

    const auto emoji = From8To16("\xF0\x9F\x98\x80", kConversionStrict);
    EXPECT_EQ(emoji.code, kConversionOK);
    EXPECT_EQ(emoji.text, (std::u16string{0xD83D, 0xDE00}));
}

TEST(Utf8ToUtf16, CutSequenceStopsWithSourceExhausted)
{
    for (int flags : {kConversionStrict, kConversionLenient})
    {
        const auto cut = From8To16("ab\xE2\x82", flags);
        EXPECT_EQ(cut.code, kConversionSourceExhausted);
        EXPECT_EQ(cut.text, u"ab");
        EXPECT_EQ(cut.consumed, 2u) << "the source stays on the lead byte";
    }
}

TEST(Utf8ToUtf16, IllegalInputStrictStopsLenientReplacesAndGoesOn)
{
    struct Row
    {
        std::string bytes;
        std::u16string lenient;
        std::size_t strictConsumed;
    };
    const Row rows[] = {
        {"\xC0\xAF", u"\uFFFD\uFFFD", 0},                     // overlong: two invalid bytes
        {"a\x80z", u"a\uFFFDz", 1},                           // lone continuation byte
        {"a\xE2\x41z", u"a\uFFFDAz", 1},                      // lead byte without its trail
        {"\xED\xA0\x80x", u"\uFFFD\uFFFD\uFFFDx", 0},         // encoded surrogate
        {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD", 0}, // above U+10FFFF
        {"\xE2\x82\x41\xE2\x82\xAC", u"\uFFFDA\u20AC", 0},    // maximal prefix, then legal
        {"\xF8\x88\x80\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD", 0},
    };
    for (const Row& row : rows)
    {
        const auto strict = From8To16(row.bytes, kConversionStrict);
        EXPECT_EQ(strict.code, kConversionSourceIllegal);
        EXPECT_EQ(strict.consumed, row.strictConsumed);
        const auto lenient = From8To16(row.bytes, kConversionLenient);
        EXPECT_EQ(lenient.code, kConversionOK);
        EXPECT_EQ(lenient.text, row.lenient);
        EXPECT_EQ(lenient.consumed, row.bytes.size());
    }
}

TEST(Utf8ToUtf16, TargetExhaustedLeavesSourceOnTheSequence)
{
    const auto full = From8To16("ab\xF0\x9F\x98\x80", kConversionStrict, 3);
    EXPECT_EQ(full.code, kConversionTargetExhausted);
    EXPECT_EQ(full.text, u"ab");
    EXPECT_EQ(full.consumed, 2u);
}

TEST(Utf16ToUtf8, PairsLoneSurrogatesAndCuts)
{
    const auto pair = From16To8(std::u16string{0xD83D, 0xDE00}, kConversionStrict);
    EXPECT_EQ(pair.code, kConversionOK);
    EXPECT_EQ(pair.bytes, "\xF0\x9F\x98\x80");

    const auto loneLow = From16To8(std::u16string{0xDC00}, kConversionLenient);
    EXPECT_EQ(loneLow.code, kConversionOK);
    EXPECT_EQ(loneLow.bytes, "\xED\xB0\x80");
    EXPECT_EQ(From16To8(std::u16string{0xDC00}, kConversionStrict).code, kConversionSourceIllegal);

    const auto loneHigh = From16To8(std::u16string{u'a', 0xD800, u'b'}, kConversionLenient);
    EXPECT_EQ(loneHigh.bytes, "a\xED\xA0\x80"
                              "b");
    const auto strictHigh = From16To8(std::u16string{u'a', 0xD800, u'b'}, kConversionStrict);
    EXPECT_EQ(strictHigh.code, kConversionSourceIllegal);
    EXPECT_EQ(strictHigh.consumed, 1u);

    const auto trailingHigh = From16To8(std::u16string{u'a', 0xD800}, kConversionLenient);
    EXPECT_EQ(trailingHigh.code, kConversionSourceExhausted);
    EXPECT_EQ(trailingHigh.consumed, 1u);

    const auto full = From16To8(u"a\u00E9", kConversionStrict, 2);
    EXPECT_EQ(full.code, kConversionTargetExhausted);
    EXPECT_EQ(full.bytes, "a");
    EXPECT_EQ(full.consumed, 1u);
}

TEST(Utf32, RoundTripAndReplacement)
{
    int code = -1;
    EXPECT_EQ(From8To32("a\xC3\xA9\xF0\x9F\x98\x80", kConversionStrict, &code),
              U"a\u00E9\U0001F600");
    EXPECT_EQ(code, kConversionOK);
    EXPECT_EQ(From8To32("a\xFFz", kConversionLenient, &code), U"a\uFFFDz");

    const std::u32string wide = {U'x', 0x110000, 0xDC00};
    std::vector<unsigned char> out(16);
    const char32_t* source = wide.data();
    unsigned char* target = out.data();
    EXPECT_EQ(ConvertUtf32ToUtf8(&source, wide.data() + wide.size(), &target, out.data() + 16,
                                 kConversionLenient),
              kConversionOK);
    EXPECT_EQ(std::string(out.data(), target), "x\xEF\xBF\xBD\xEF\xBF\xBD");

    source = wide.data();
    target = out.data();
    EXPECT_EQ(ConvertUtf32ToUtf8(&source, wide.data() + wide.size(), &target, out.data() + 16,
                                 kConversionStrict),
              kConversionSourceIllegal);
    EXPECT_EQ(source, wide.data() + 1);
}

// Narrowing wide text (UTF-32 code points) writes only well-formed UTF-8: a surrogate code point,
// alone or in what would be a UTF-16 pair, becomes U+FFFD, as a value above U+10FFFF does.
TEST(WideToUtf8, SurrogatesAndValuesAboveTheRangeBecomeTheReplacementCharacter)
{
    struct Row
    {
        std::u32string text;
        std::string lenient;
        bool strictLegal;
    };
    const std::string r = "\xEF\xBF\xBD";
    const Row rows[] = {
        {U"a", "a", true},
        {{0xD7FF}, "\xED\x9F\xBF", true},
        {{0xE000}, "\xEE\x80\x80", true},
        {{0x10FFFF}, "\xF4\x8F\xBF\xBF", true},
        {{U'a', 0xD800, U'b'}, "a" + r + "b", false},
        {{0xDBFF}, r, false},
        {{0xDC00}, r, false},
        {{0xDFFF}, r, false},
        {{0xD83D, 0xDE00}, r + r, false},
        {{0x110000}, r, false},
        {{0xFFFFFFFF}, r, false},
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.lenient);
        std::vector<unsigned char> out(64);
        const auto* wide = reinterpret_cast<const wchar_t*>(row.text.data());
        const wchar_t* source = wide;
        unsigned char* target = out.data();
        EXPECT_EQ(ConvertWideToUtf8(&source, wide + row.text.size(), &target, out.data() + 64,
                                    kConversionLenient),
                  kConversionOK);
        const std::string bytes(out.data(), target);
        EXPECT_EQ(bytes, row.lenient);
        // Every sequence written is legal UTF-8.
        for (std::size_t at = 0; at < bytes.size();)
        {
            const auto lead = static_cast<unsigned char>(bytes[at]);
            const int length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
            EXPECT_TRUE(
                IsLegalUtf8(reinterpret_cast<const unsigned char*>(bytes.data() + at), length));
            at += static_cast<std::size_t>(length);
        }
        source = wide;
        target = out.data();
        EXPECT_EQ(ConvertWideToUtf8(&source, wide + row.text.size(), &target, out.data() + 64,
                                    kConversionStrict) == kConversionOK,
                  row.strictLegal);
        // The string's narrowing says the same.
        const std::wstring text(wide, wide + row.text.size());
        EXPECT_EQ(std::string(WString(text.c_str()).ToNarrow().GetBuffer()), row.lenient);
    }
}

TEST(IsLegalUtf8, SecondByteRangesAndLengths)
{
    struct Row
    {
        const char* bytes;
        int length;
        bool legal;
    };
    const Row rows[] = {
        {"a", 1, true},
        {"\xC2\x80", 2, true},
        {"\xC1\xBF", 2, false},
        {"\xE0\xA0\x80", 3, true},
        {"\xE0\x9F\xBF", 3, false},
        {"\xED\x9F\xBF", 3, true},
        {"\xED\xA0\x80", 3, false},
        {"\xF0\x90\x80\x80", 4, true},
        {"\xF0\x8F\xBF\xBF", 4, false},
        {"\xF4\x8F\xBF\xBF", 4, true},
        {"\xF4\x90\x80\x80", 4, false},
        {"\xF5\x80\x80\x80", 4, false},
        {"\xC3\xA9", 1, false},
        {"\xE2\x82\xC0", 3, false},
        {"a", 0, false},
        {"\xF8\x88\x80\x80\x80", 5, false},
    };
    for (const Row& row : rows)
    {
        EXPECT_EQ(IsLegalUtf8(reinterpret_cast<const unsigned char*>(row.bytes), row.length),
                  row.legal)
            << "bytes of length " << row.length << " starting " << int(row.bytes[0] & 0xFF);
    }
}
