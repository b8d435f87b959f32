#include "Utilities/Storage/StringT.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

using Orv::NString;
using Orv::WString;

namespace Orv
{
// Readable failure output.
void PrintTo(const WString& text, std::ostream* out)
{
    *out << '"' << text.ToNarrow().GetBuffer() << '"';
}
void PrintTo(const NString& text, std::ostream* out)
{
    *out << '"' << text.GetBuffer() << '"';
}
} // namespace Orv

namespace
{
const wchar_t* EmptyBuffer()
{
    static const WString empty;
    return empty.GetBuffer();
}
} // namespace

TEST(StringT, CopiesShareOneBufferUntilOneIsChanged)
{
    WString a(L"hello");
    WString b(a);
    WString c;
    c = b;
    EXPECT_EQ(a.GetBuffer(), b.GetBuffer());
    EXPECT_EQ(a.GetBuffer(), c.GetBuffer());

    b.Append(WString(L" world"));
    EXPECT_EQ(a, WString(L"hello"));
    EXPECT_EQ(b, WString(L"hello world"));
    EXPECT_EQ(c.GetBuffer(), a.GetBuffer());
    EXPECT_EQ(b.GetLength(), 11u);
}

TEST(StringT, EmptyStringsShareTheStaticBuffer)
{
    WString fromNull(static_cast<const wchar_t*>(nullptr));
    WString fromEmpty(L"");
    WString limited;
    limited.Assign(L"text", 0);
    WString cleared(L"gone");
    cleared.Clear();
    for (const WString* s : {&fromNull, &fromEmpty, &limited, &cleared})
    {
        EXPECT_EQ(s->GetBuffer(), EmptyBuffer());
        EXPECT_TRUE(s->IsEmpty());
        EXPECT_EQ(s->GetLength(), 0u);
    }
    EXPECT_EQ(WString(L'x').GetLength(), 1u);
}

TEST(StringT, AssignWithLimit)
{
    WString s;
    s.Assign(L"abcdef", 3);
    EXPECT_EQ(s, WString(L"abc"));
    EXPECT_EQ(s.GetLength(), 3u);
    s.Assign("na\xC3\xAFve", 4); // narrow text, at most 4 bytes, converted
    EXPECT_EQ(s, WString(L"na\u00EF"));
}

TEST(StringT, MidLeftRightTable)
{
    const WString text(L"abcdef");
    struct Row
    {
        int start;
        int count;
        const wchar_t* expected;
    };
    const Row rows[] = {
        {-3, 2, L"de"}, {-8, 4, L"ab"}, {4, 10, L"ef"},     {6, 1, L""},    {0, 0, L""},
        {2, -1, L""},   {-12, 4, L""},  {-6, 6, L"abcdef"}, {1, 3, L"bcd"}, {7, 2, L""},
    };
    for (const Row& row : rows)
    {
        EXPECT_EQ(text.Mid(row.start, row.count), WString(row.expected))
            << "Mid(" << row.start << ", " << row.count << ")";
    }
    EXPECT_EQ(text.Mid(2), WString(L"cdef"));
    EXPECT_EQ(text.Left(2), WString(L"ab"));
    EXPECT_EQ(text.Left(10), text);
    EXPECT_EQ(text.Right(2), WString(L"ef"));
    EXPECT_EQ(text.Right(10), text);
}

TEST(StringT, FindInsertAppend)
{
    const WString text(L"abcdef");
    EXPECT_EQ(text.Find(WString(L"cd")), 2);
    EXPECT_EQ(text.Find(WString(L"xy")), -1);
    EXPECT_EQ(text.Find(WString()), 0);
    EXPECT_EQ(WString(L"a-b-c").ReverseFind(L'-'), 3);
    EXPECT_EQ(WString(L"-abc").ReverseFind(L'-'), 0);
    EXPECT_EQ(WString(L"abc").ReverseFind(L'-'), -1);
    EXPECT_EQ(WString().ReverseFind(L'-'), -1);
    EXPECT_EQ(NString("x.y.z").ReverseFind('.'), 3);

    WString s(L"ace");
    EXPECT_EQ(s.Insert(1, WString(L"b")), S_OK);
    EXPECT_EQ(s.Insert(3, L"dxx", 1), S_OK);
    EXPECT_EQ(s, WString(L"abcde"));
    EXPECT_EQ(s.Insert(0, WString(L">")), S_OK);
    EXPECT_EQ(s.Insert(6, WString(L"<")), S_OK);
    EXPECT_EQ(s, WString(L">abcde<"));
    EXPECT_EQ(s.Insert(8, WString(L"!")), E_INVALIDARG);
    EXPECT_EQ(s, WString(L">abcde<"));
    // A count longer than the text inserts the whole text.
    EXPECT_EQ(s.Insert(1, L"12", 5), S_OK);
    EXPECT_EQ(s, WString(L">12abcde<"));

    s.Append(L'!');
    EXPECT_EQ(s, WString(L">12abcde<!"));
    s.Append(s);
    EXPECT_EQ(s, WString(L">12abcde<!>12abcde<!"));
    EXPECT_EQ(s.GetLength(), 20u);
    EXPECT_EQ(WString(L"ab") + WString(L"cd"), WString(L"abcd"));
}

TEST(StringT, Comparisons)
{
    const WString a(L"apple");
    const WString shared(a);
    EXPECT_FALSE(a < shared);
    EXPECT_FALSE(shared < a);
    EXPECT_TRUE(a == shared);
    EXPECT_FALSE(a != shared);

    EXPECT_TRUE(WString(L"apple") < WString(L"apples"));
    EXPECT_TRUE(WString(L"Zebra") < WString(L"apple")); // ordinal
    EXPECT_TRUE(WString(L"a") < WString(L"\u00E9"));
    EXPECT_FALSE(WString(L"b") < WString(L"a"));
    EXPECT_TRUE(WString(L"abc") != WString(L"abd"));
    EXPECT_TRUE(WString() == static_cast<const wchar_t*>(nullptr));
    EXPECT_TRUE(WString() == L"");
    EXPECT_FALSE(a == L"Apple");

    const NString narrow("na\xC3\xAFve");
    EXPECT_TRUE(narrow == L"na\u00EFve");
    EXPECT_FALSE(narrow == L"naive");
}

TEST(StringT, TrimTable)
{
    struct Row
    {
        const wchar_t* text;
        const wchar_t* left;
        const wchar_t* right;
        const wchar_t* both;
    };
    const Row rows[] = {
        {L"  ab c\t\r\n", L"ab c\t\r\n", L"  ab c", L"ab c"},
        {L" \t \n", L"", L"", L""},
        {L"abc", L"abc", L"abc", L"abc"},
        {L"", L"", L"", L""},
    };
    for (const Row& row : rows)
    {
        const WString text(row.text);
        EXPECT_EQ(text.TrimLeft(), WString(row.left));
        EXPECT_EQ(text.TrimRight(), WString(row.right));
        EXPECT_EQ(text.Trim(), WString(row.both));
    }
    EXPECT_EQ(WString(L"xxaxx").TrimLeft(WString(L"x")), WString(L"axx"));
    EXPECT_EQ(WString(L"xxaxx").TrimRight(WString(L"x")), WString(L"xxa"));
}

TEST(StringT, NumbersToText)
{
    struct Row
    {
        int value;
        int decimals;
        const wchar_t* expected;
    };
    const Row ints[] = {
        {1234, 2, L"12.34"},   {7, 3, L".007"},
        {42, 0, L"42"},        {5, 2, L".05"},
        {5, 1, L".5"},         {-5, 2, L"-.05"},
        {-1234, 2, L"-12.34"}, {-42, 0, L"-42"},
        {0, 2, L".00"},        {INT_MIN, 0, L"-2147483648"},
    };
    for (const Row& row : ints)
    {
        EXPECT_EQ(WString::FromInt(row.value, row.decimals), WString(row.expected))
            << row.value << " with " << row.decimals;
    }
    EXPECT_EQ(WString::FromUnsigned(4000000000ul, 3), WString(L"4000000.000"));
    EXPECT_EQ(NString::FromUnsigned(9, 2), NString(".09"));
    EXPECT_EQ(WString::FromDouble(2.5, 2), WString(L"2.50"));
    EXPECT_EQ(WString::FromDouble(2.5, -1), WString(L"2.500000"));
    EXPECT_EQ(NString::FromDouble(-0.125, 1), NString("-0.1"));
}

TEST(StringT, ZeroPaddedNumbers)
{
    struct Row
    {
        int value;
        int width;
        const wchar_t* expected;
    };
    const Row rows[] = {
        {7, 3, L"007"},     {7, 0, L"7"},          {7, -1, L"7"},
        {1234, 2, L"1234"}, {0, 2, L"00"},         {-7, 3, L"-07"},
        {-7, 2, L"-7"},     {-1234, 6, L"-01234"}, {INT_MIN, 12, L"-02147483648"},
    };
    for (const Row& row : rows)
    {
        EXPECT_EQ(WString::FromIntZeroPadded(row.value, row.width), WString(row.expected))
            << row.value << " to " << row.width;
    }
    EXPECT_EQ(NString::FromIntZeroPadded(42, 5), NString("00042"));
    // The decimal places of FromInt are another thing: 7 with 3 places is ".007".
    EXPECT_EQ(WString::FromInt(7, 3), WString(L".007"));
}

TEST(StringT, TextToNumbersAndCase)
{
    EXPECT_EQ(WString(L" 42abc").ToInt(), 42);
    EXPECT_DOUBLE_EQ(WString(L"2.75").ToDouble(), 2.75);
    EXPECT_EQ(NString("-7").ToInt(), -7);
    // Past the int range both readers clamp.
    for (const char* text : {"2147483648", "+99999999999999999999", "-2147483649"})
    {
        const int clamped = text[0] == '-' ? INT_MIN : INT_MAX;
        EXPECT_EQ(NString(text).ToInt(), clamped) << text;
        EXPECT_EQ(WString(text).ToInt(), clamped) << text;
    }
    EXPECT_EQ(WString(L"MiXed 1").ToUpper(), WString(L"MIXED 1"));
    EXPECT_EQ(WString(L"MiXed 1").ToLower(), WString(L"mixed 1"));
    const WString original(L"keep");
    const WString upper = original.ToUpper();
    EXPECT_EQ(original, WString(L"keep"));
    EXPECT_EQ(WString().ToUpper().GetBuffer(), EmptyBuffer());
}

TEST(StringT, ReplaceAnyOf)
{
    WString path(L"a/b\\c:d");
    const WString copy(path);
    path.ReplaceAnyOf(L"/\\:", L'_');
    EXPECT_EQ(path, WString(L"a_b_c_d"));
    EXPECT_EQ(copy, WString(L"a/b\\c:d"));
    path.ReplaceAnyOf(L"_", 0);
    EXPECT_EQ(path, WString(L"a_b_c_d"));
}

TEST(StringT, LockAndUnlock)
{
    WString s(L"abc");
    const WString shared(s);
    wchar_t* data = s.Lock(100);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(s.Lock(10), nullptr) << "a locked string cannot be locked again";
    EXPECT_EQ(shared, WString(L"abc")) << "locking a shared buffer copies it";
    EXPECT_EQ(std::wstring(data), L"abc");
    data[3] = L'd';
    data[4] = 0;
    EXPECT_EQ(s.GetLength(), 4u) << "a locked buffer's length is scanned";

    // Copying a locked string copies the characters, not the buffer.
    const WString copy(s);
    EXPECT_NE(copy.GetBuffer(), s.GetBuffer());
    EXPECT_EQ(copy, WString(L"abcd"));
    EXPECT_EQ(copy.GetLength(), 4u);

    EXPECT_EQ(s.Unlock(), 0);
    EXPECT_EQ(s.GetLength(), 4u) << "unlocked buffers hold exactly the text";
    EXPECT_EQ(s.Unlock(), 1);
    const WString shares(s);
    EXPECT_EQ(shares.GetBuffer(), s.GetBuffer());

    WString blank(L"xyz");
    blank.Lock(8)[0] = 0;
    EXPECT_EQ(blank.Unlock(), 0);
    EXPECT_EQ(blank.GetBuffer(), EmptyBuffer());
}

TEST(StringT, LockedStringKeepsItsBufferAcrossAssignAndGrowsWhenNeeded)
{
    WString s;
    wchar_t* data = s.Lock(4);
    s.Assign(L"ab");
    EXPECT_EQ(s.GetBuffer(), data);
    EXPECT_EQ(s.GetLength(), 2u);
    // Longer than the locked buffer: it grows instead of overflowing.
    s.Assign(L"a text longer than four characters");
    EXPECT_EQ(s.GetLength(), 34u);
    EXPECT_EQ(s, WString(L"a text longer than four characters"));
    s.Append(WString(L"!"));
    EXPECT_EQ(s.GetLength(), 35u);
    s.Clear();
    EXPECT_TRUE(s.IsEmpty());
    EXPECT_EQ(s.Unlock(), 0);
    EXPECT_EQ(s.GetBuffer(), EmptyBuffer());
}

TEST(StringT, FormattingFollowsWideRules)
{
    EXPECT_EQ(WString::CreateFormatted(L"%s=%d (%S)", L"w\u00E9", 5, "n\xC3\xA9"),
              WString(L"w\u00E9=5 (n\u00E9)"));
    EXPECT_EQ(NString::CreateFormatted("%s|%S", "n", L"w"), NString("n|w"));
    WString s(L"old");
    s.Format(L"%04X", 0xBEEFu);
    EXPECT_EQ(s, WString(L"BEEF"));
    s.Format(L"%s", L"");
    EXPECT_TRUE(s.IsEmpty());
}

TEST(StringT, LongFormattedOutputIsWhole)
{
    const std::wstring longText(40000, L'q');
    const WString formatted = WString::CreateFormatted(L"[%s]", longText.c_str());
    EXPECT_EQ(formatted.GetLength(), 40002u);
    EXPECT_EQ(formatted.Right(2), WString(L"q]"));
}

TEST(StringT, Utf8Conversions)
{
    EXPECT_EQ(WString("\x68\xC3\xA9"), WString(L"h\u00E9"));
    EXPECT_EQ(WString("\xF0\x9F\x98\x80"), WString(L"\U0001F600"));
    // Illegal input becomes U+FFFD and the rest is kept.
    EXPECT_EQ(WString("a\xC0\xAFz"), WString(L"a\uFFFD\uFFFDz"));
    EXPECT_EQ(WString("ab\xE2"), WString(L"ab\uFFFD"));

    WString wide;
    wide.AssignUtf8("hello", 2);
    EXPECT_EQ(wide, WString(L"he"));
    EXPECT_EQ(wide.GetLength(), 2u);

    const WString text(L"gr\u00FC\u00DF \U0001F600");
    const NString narrow = text.ToNarrow();
    EXPECT_STREQ(narrow.GetBuffer(), "gr\xC3\xBC\xC3\x9F \xF0\x9F\x98\x80");
    EXPECT_EQ(narrow.GetLength(), 11u);
    EXPECT_EQ(WString(narrow), text);

    NString fromWide;
    fromWide.AssignUtf16(L"abc", 2);
    EXPECT_EQ(fromWide, NString("ab"));
    EXPECT_EQ(NString(L"\u00E9"), NString("\xC3\xA9"));
}
