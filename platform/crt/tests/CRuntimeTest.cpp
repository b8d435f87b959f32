#include "platform/CRuntime.h"
#include "FormatTranslation.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <string>

namespace
{
std::wstring FormatWide(std::size_t size, std::size_t count, int* result, const wchar_t* format,
                        ...)
{
    std::wstring buffer(size, L'#');
    va_list args;
    va_start(args, format);
    *result = _vsnwprintf_s(buffer.data(), size, count, format, args);
    va_end(args);
    return std::wstring(buffer.c_str());
}

std::string FormatNarrow(std::size_t size, std::size_t count, int* result, const char* format, ...)
{
    std::string buffer(size, '#');
    va_list args;
    va_start(args, format);
    *result = _vsnprintf_s(buffer.data(), size, count, format, args);
    va_end(args);
    return std::string(buffer.c_str());
}

int CountWide(const wchar_t* format, ...)
{
    va_list args;
    va_start(args, format);
    const int n = _vscwprintf(format, args);
    va_end(args);
    return n;
}
} // namespace

TEST(FormatTranslation, RewritesTextConversionsByTheWindowsRules)
{
    struct Row
    {
        const wchar_t* windows;
        bool wideFunction;
        const wchar_t* translated;
    };
    const Row rows[] = {
        {L"%s", true, L"%ls"},
        {L"%S", true, L"%s"},
        {L"%hs", true, L"%s"},
        {L"%ls", true, L"%ls"},
        {L"%ws", true, L"%ls"},
        {L"%c", true, L"%lc"},
        {L"%C", true, L"%c"},
        {L"%s", false, L"%s"},
        {L"%S", false, L"%ls"},
        {L"%hs", false, L"%s"},
        {L"%-10.3s|", true, L"%-10.3ls|"},
        {L"%I64d", true, L"%lld"},
        {L"%I64X", false, L"%llX"},
        {L"%I32u", true, L"%u"},
        {L"%Iu", true, L"%zu"},
        {L"100%%", true, L"100%%"},
        {L"%5.2lf %d %lu", true, L"%5.2lf %d %lu"},
        {L"%*d", true, L"%*d"},
        {L"end%", true, L"end%"},
    };
    for (const Row& row : rows)
    {
        EXPECT_EQ(OrvPlatform::TranslateFormat(row.windows, row.wideFunction), row.translated)
            << "format " << std::string(row.windows, row.windows + wcslen(row.windows));
    }
}

TEST(WideFormat, PercentSTakesWideTextAndCapitalSNarrowUtf8)
{
    int n = 0;
    EXPECT_EQ(
        FormatWide(64, _TRUNCATE, &n, L"%s-%S-%c-%d", L"w\u00e9de", "n\xc3\xa9rrow", L'x', 42),
        L"w\u00e9de-n\u00e9rrow-x-42");
    EXPECT_EQ(n, 16);
}

TEST(NarrowFormat, PercentSTakesNarrowTextAndCapitalSWideAsUtf8)
{
    int n = 0;
    EXPECT_EQ(FormatNarrow(64, _TRUNCATE, &n, "%s|%S|%hs|%ls", "a", L"\u00e9", "b", L"c"),
              "a|\xc3\xa9|b|c");
    EXPECT_EQ(n, 8);
}

TEST(WideFormat, TruncationAndOverflow)
{
    int n = 0;
    // _TRUNCATE: as much as fits, result -1.
    EXPECT_EQ(FormatWide(5, _TRUNCATE, &n, L"%d", 1234567), L"1234");
    EXPECT_EQ(n, -1);
    // A count below the buffer size cuts at count characters.
    EXPECT_EQ(FormatWide(10, 3, &n, L"%s", L"abcdef"), L"abc");
    EXPECT_EQ(n, -1);
    // Exactly fitting output is not cut.
    EXPECT_EQ(FormatWide(5, _TRUNCATE, &n, L"%s", L"abcd"), L"abcd");
    EXPECT_EQ(n, 4);
    // Too long for the buffer without cutting asked for: empty buffer and an error.
    EXPECT_EQ(FormatWide(4, 100, &n, L"%s", L"abcdef"), L"");
    EXPECT_EQ(n, -1);
}

TEST(WideFormat, LongOutputIsFormattedWhole)
{
    const std::wstring longText(100000, L'z');
    EXPECT_EQ(CountWide(L"<%s>", longText.c_str()), 100002);
    std::wstring buffer(100010, L'\0');
    int n = 0;
    std::wstring out = FormatWide(100010, _TRUNCATE, &n, L"<%s>", longText.c_str());
    EXPECT_EQ(n, 100002);
    EXPECT_EQ(out.size(), 100002u);
}

TEST(WideFormat, UnconvertibleNarrowArgumentFailsCleanly)
{
    int n = 0;
    // A lone continuation byte is not UTF-8.
    EXPECT_EQ(FormatWide(16, _TRUNCATE, &n, L"%S", "\x80"), L"");
    EXPECT_EQ(n, -1);
    EXPECT_EQ(CountWide(L"%S", "\x80"), -1);
    // A narrow character that is not one in UTF-8.
    EXPECT_EQ(FormatWide(16, _TRUNCATE, &n, L"%C", 0xE9), L"");
    EXPECT_EQ(n, -1);
    EXPECT_EQ(CountWide(L"a%hcb", 0x80), -1);
}

TEST(Format, TextThatIsNotUnicodeIsNotConverted)
{
    int n = 0;
    // Past U+10FFFF and surrogates: the C library would write bytes that are not UTF-8.
    for (const wchar_t* text : {L"a\x110000", L"\xD800",
                                L"b\xDFFF"
                                L"c"})
    {
        EXPECT_EQ(FormatNarrow(16, _TRUNCATE, &n, "%d %S", 1, text), "");
        EXPECT_EQ(n, -1);
        EXPECT_EQ(FormatNarrow(16, _TRUNCATE, &n, "%ls", text), "");
        EXPECT_EQ(n, -1);
    }
    EXPECT_EQ(FormatNarrow(16, _TRUNCATE, &n, "%C", static_cast<wint_t>(0x110000)), "");
    EXPECT_EQ(n, -1);
    // UTF-8 of a value past U+10FFFF, or of a surrogate: no wide characters that are no code
    // points.
    for (const char* text : {"\xF4\x90\x80\x80", "\xED\xA0\x80", "ok\xF5\x80\x80\x80"})
    {
        EXPECT_EQ(FormatWide(16, _TRUNCATE, &n, L"%S", text), L"");
        EXPECT_EQ(n, -1);
    }
    // The walk finds the text behind arguments of every size; text in its own width passes.
    EXPECT_EQ(FormatNarrow(64, _TRUNCATE, &n, "%hhd %hd %ld %I64d %zu %.*f %Lg %p %s %S", 1, 2, 3L,
                           4LL, std::size_t(5), 1, 6.25, 7.0L, nullptr, "\xFF", L"\u00e9"),
              "1 2 3 4 5 6.2 7 (nil) \xFF \xC3\xA9");
    EXPECT_EQ(FormatNarrow(64, _TRUNCATE, &n, "%I64d %.*f %S", 4LL, 1, 6.25, L"\x110000"), "");
    EXPECT_EQ(FormatWide(64, _TRUNCATE, &n, L"%s %*d %S", L"\x110000", 3, 7, "\xC3\xA9"),
              L"\x110000   7 \u00e9");
}

TEST(SecureCopy, CopiesCutsOrRefuses)
{
    wchar_t dest[5];
    EXPECT_EQ(wcsncpy_s(dest, 5, L"abc", 10), 0);
    EXPECT_STREQ(dest, L"abc");
    EXPECT_EQ(wcsncpy_s(dest, 5, L"abcdef", 2), 0);
    EXPECT_STREQ(dest, L"ab");
    EXPECT_EQ(wcsncpy_s(dest, 5, L"abcdef", _TRUNCATE), STRUNCATE);
    EXPECT_STREQ(dest, L"abcd");
    EXPECT_EQ(wcsncpy_s(dest, 5, L"abcdef", 6), ERANGE);
    EXPECT_STREQ(dest, L"");
    EXPECT_EQ(wcsncpy_s(nullptr, 5, L"a", 1), EINVAL);
    EXPECT_EQ(wcsncpy_s(dest, 0, L"a", 1), EINVAL);

    char narrow[4];
    EXPECT_EQ(strncpy_s(narrow, 4, "xyz", 3), 0);
    EXPECT_STREQ(narrow, "xyz");
    EXPECT_EQ(strncpy_s(narrow, 4, "wxyz", 4), ERANGE);
    EXPECT_STREQ(narrow, "");
}

TEST(TextToNumber, WtoiAndWtof)
{
    struct Row
    {
        const wchar_t* text;
        int value;
    };
    const Row rows[] = {
        {L"42", 42},
        {L"  -17abc", -17},
        {L"+8", 8},
        {L"abc", 0},
        {L"", 0},
        {L"2147483647", INT_MAX},
        {L"2147483648", INT_MAX},
        {L"-2147483648", INT_MIN},
        {L"-99999999999999", INT_MIN},
    };
    for (const Row& row : rows)
    {
        EXPECT_EQ(_wtoi(row.text), row.value);
    }
    EXPECT_EQ(_wtoi(nullptr), 0);
    EXPECT_DOUBLE_EQ(_wtof(L" 2.5e2x"), 250.0);
    EXPECT_DOUBLE_EQ(_wtof(L"-0.125"), -0.125);
    EXPECT_DOUBLE_EQ(_wtof(L"x"), 0.0);
}
