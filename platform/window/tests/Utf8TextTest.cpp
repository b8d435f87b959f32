#include "Utf8Text.h"

#include <gtest/gtest.h>

using OrvPlatform::Window::Detail::DecodeUtf8;
using OrvPlatform::Window::Detail::EncodeUtf8;

TEST(WindowUtf8, DecodesEachCodePointAndReplacesEachIllFormedPart)
{
    struct Case
    {
        std::string bytes;
        std::wstring expected;
    };
    const Case cases[] = {
        {"abc", L"abc"},
        {"\xC3\xA9", L"\u00E9"},
        {"\xE2\x82\xAC", L"\u20AC"},
        {"\xF0\x9F\x8E\xB5", std::wstring(1, static_cast<wchar_t>(0x1F3B5))},
        // A stray continuation byte, an overlong form, a surrogate, a value past U+10FFFF.
        {"a\x80z", L"a\uFFFDz"},
        {"\xC0\xAF", L"\uFFFD\uFFFD"},
        {"\xED\xA0\x80", L"\uFFFD\uFFFD\uFFFD"},
        {"\xF4\x90\x80\x80", L"\uFFFD\uFFFD\uFFFD\uFFFD"},
        // A sequence cut short by another character, and by the end.
        {"\xE2\x82"
         "A",
         L"\uFFFDA"},
        {"\xF0\x9F\x8E", L"\uFFFD"},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(DecodeUtf8(c.bytes.data(), c.bytes.size()), c.expected) << c.bytes;
    }
}

TEST(WindowUtf8, EncodesScalarValuesAndReplacesOthers)
{
    EXPECT_EQ(EncodeUtf8(L"A\u00E9\u20AC"), "A\xC3\xA9\xE2\x82\xAC");
    EXPECT_EQ(EncodeUtf8(std::wstring(1, static_cast<wchar_t>(0x1F3B5))), "\xF0\x9F\x8E\xB5");
    EXPECT_EQ(EncodeUtf8(std::wstring(1, static_cast<wchar_t>(0xD800))), "\xEF\xBF\xBD");
}
