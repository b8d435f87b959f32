// Fuzz target of the string formatting entry points with untrusted argument text: the strings'
// Format and CreateFormatted, the C run-time's measuring and bounded formatting functions, and
// the number readers of the strings.
//
// Input (taken apart with FuzzedDataProvider): which format of a fixed table, a buffer size,
// the numbers, and the argument texts; wide texts come as UTF-8 or as raw 32-bit units.
//
// What must hold: the measured length is the formatted length (an argument that cannot be
// converted gives -1 and an empty string); bounded formatting gives the whole text or a cut
// prefix as documented; text put in with "%s" comes out unchanged; narrow text crossing to wide
// reads as the strings read it; a narrowed argument is well-formed UTF-8 or refused; wide and
// narrow number readers agree and clamp.
#include "FuzzSupport.h"
#include "OrvCore.h"
#include "platform/CRuntime.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

namespace
{
using Orv::NString;
using Orv::WString;

struct Arguments
{
    std::wstring wide;
    std::string narrow;
    int number = 0;
    long long big = 0;
    int precision = 0;
};

std::wstring WideText(FuzzedDataProvider& input)
{
    if (input.ConsumeBool())
    {
        // Any 32-bit values but zero.
        std::wstring text;
        const std::size_t count = input.ConsumeIntegralInRange<std::size_t>(0, 64);
        for (std::size_t i = 0; i < count && input.remaining_bytes() >= 4; ++i)
        {
            const auto unit = input.ConsumeIntegral<std::uint32_t>();
            text.push_back(static_cast<wchar_t>(unit == 0 ? 1 : unit));
        }
        return text;
    }
    const std::string utf8 = input.ConsumeRandomLengthString(256);
    return WString(utf8.c_str()).GetBuffer();
}

// The formats and how each is called; the narrow ones read the wide text with %S and %ls.
using WideCall = int (*)(wchar_t*, std::size_t, std::size_t, const Arguments&);
using NarrowCall = int (*)(char*, std::size_t, std::size_t, const Arguments&);

const wchar_t* const kWideFormats[] = {
    L"%s",   L"%ls",        L"%ws",     L"%S",          L"%hs",        L"[%-12s|%5.3S]",
    L"%.*s", L"%s=%d %S%%", L"%c%C%hc", L"%I64d %x %s", L"%20.7s%-3S", L"%s%s%S%S",
};
const char* const kNarrowFormats[] = {
    "%s", "%hs", "%S", "%ls", "[%-12s|%5.3S]", "%.*S", "%s=%d %S%%", "%c%C%lc", "%I64d %x %S",
};

int CallWide(std::size_t which, wchar_t* buffer, std::size_t size, std::size_t count,
             const Arguments& a, WString* formatted)
{
    const wchar_t* format = kWideFormats[which];
    const wchar_t* w = a.wide.c_str();
    const char* n = a.narrow.c_str();
    const wchar_t wc = a.wide.empty() ? L'w' : a.wide[0];
    const int nc = a.narrow.empty() ? 'n' : static_cast<unsigned char>(a.narrow[0]);
    switch (which)
    {
        case 0:
        case 1:
        case 2:
            *formatted = WString::CreateFormatted(format, w);
            return _snwprintf_s(buffer, size, count, format, w);
        case 3:
        case 4:
            *formatted = WString::CreateFormatted(format, n);
            return _snwprintf_s(buffer, size, count, format, n);
        case 5:
            *formatted = WString::CreateFormatted(format, w, n);
            return _snwprintf_s(buffer, size, count, format, w, n);
        case 6:
            *formatted = WString::CreateFormatted(format, a.precision, w);
            return _snwprintf_s(buffer, size, count, format, a.precision, w);
        case 7:
            *formatted = WString::CreateFormatted(format, w, a.number, n);
            return _snwprintf_s(buffer, size, count, format, w, a.number, n);
        case 8:
            *formatted = WString::CreateFormatted(format, wc, nc, nc);
            return _snwprintf_s(buffer, size, count, format, wc, nc, nc);
        case 9:
            *formatted = WString::CreateFormatted(format, a.big, a.number, w);
            return _snwprintf_s(buffer, size, count, format, a.big, a.number, w);
        case 10:
            *formatted = WString::CreateFormatted(format, w, n);
            return _snwprintf_s(buffer, size, count, format, w, n);
        default:
            formatted->Format(format, w, w, n, n);
            return _snwprintf_s(buffer, size, count, format, w, w, n, n);
    }
}

int CallNarrow(std::size_t which, char* buffer, std::size_t size, std::size_t count,
               const Arguments& a, NString* formatted)
{
    const char* format = kNarrowFormats[which];
    const wchar_t* w = a.wide.c_str();
    const char* n = a.narrow.c_str();
    const wchar_t wc = a.wide.empty() ? L'w' : a.wide[0];
    const int nc = a.narrow.empty() ? 'n' : static_cast<unsigned char>(a.narrow[0]);
    switch (which)
    {
        case 0:
        case 1:
            *formatted = NString::CreateFormatted(format, n);
            return _snprintf_s(buffer, size, count, format, n);
        case 2:
        case 3:
            *formatted = NString::CreateFormatted(format, w);
            return _snprintf_s(buffer, size, count, format, w);
        case 4:
            *formatted = NString::CreateFormatted(format, n, w);
            return _snprintf_s(buffer, size, count, format, n, w);
        case 5:
            *formatted = NString::CreateFormatted(format, a.precision, w);
            return _snprintf_s(buffer, size, count, format, a.precision, w);
        case 6:
            *formatted = NString::CreateFormatted(format, n, a.number, w);
            return _snprintf_s(buffer, size, count, format, n, a.number, w);
        case 7:
            *formatted = NString::CreateFormatted(format, nc, wc, wc);
            return _snprintf_s(buffer, size, count, format, nc, wc, wc);
        default:
            formatted->Format(format, a.big, a.number, w);
            return _snprintf_s(buffer, size, count, format, a.big, a.number, w);
    }
}

template <class C>
void CheckBounded(int written, const std::vector<C>& buffer, std::size_t size, std::size_t count,
                  const std::basic_string<C>& whole)
{
    const std::basic_string<C> got(buffer.data());
    const std::size_t limit = count == _TRUNCATE ? size - 1 : std::min(count, size - 1);
    if (whole.size() <= limit)
    {
        ORV_FUZZ_CHECK(written == static_cast<int>(whole.size()) && got == whole,
                       "output that fits is written whole");
    }
    else if (count == _TRUNCATE || count < size)
    {
        ORV_FUZZ_CHECK(written == -1 && got == whole.substr(0, limit),
                       "cut output keeps the prefix that fits");
    }
    else
    {
        ORV_FUZZ_CHECK(written == -1 && got.empty(), "output that does not fit leaves nothing");
    }
}

// The clamped decimal reading of _wtoi, written out.
int ExpectedInt(const std::wstring& text)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == L' ' || (text[i] >= L'\t' && text[i] <= L'\r')))
    {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-'))
    {
        negative = text[i++] == L'-';
    }
    long long value = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i)
    {
        value = std::min<long long>(value * 10 + (text[i] - L'0'), 1ll << 32);
    }
    value = negative ? -value : value;
    return static_cast<int>(std::max<long long>(INT_MIN, std::min<long long>(INT_MAX, value)));
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    const bool wide = input.ConsumeBool();
    const std::size_t which =
        wide ? input.ConsumeIntegralInRange<std::size_t>(0, std::size(kWideFormats) - 1)
             : input.ConsumeIntegralInRange<std::size_t>(0, std::size(kNarrowFormats) - 1);
    const std::size_t bufferSize = input.ConsumeIntegralInRange<std::size_t>(1, 80);
    const int countChoice = input.ConsumeIntegralInRange<int>(0, 2);
    Arguments a;
    a.number = input.ConsumeIntegral<int>();
    a.big = input.ConsumeIntegral<long long>();
    a.precision = input.ConsumeIntegralInRange<int>(-2, 300);
    // The text as far as a C string reaches.
    a.narrow = input.ConsumeRandomLengthString(256).c_str();
    a.wide = WideText(input);
    // count: as much as fits, exactly the buffer's room, or more than the buffer (no cutting).
    const std::size_t count =
        countChoice == 0 ? _TRUNCATE : (countChoice == 1 ? bufferSize - 1 : bufferSize + 10);

    if (wide)
    {
        WString formatted;
        std::vector<wchar_t> buffer(bufferSize, L'#');
        const int written = CallWide(which, buffer.data(), bufferSize, count, a, &formatted);
        std::vector<wchar_t> big(8192);
        const int whole = CallWide(which, big.data(), big.size(), _TRUNCATE, a, &formatted);
        const std::wstring text(formatted.GetBuffer());
        if (whole < 0)
        {
            ORV_FUZZ_CHECK(text.empty(), "an unconvertible argument gives the empty string");
            ORV_FUZZ_CHECK(written == -1, "and no output");
        }
        else
        {
            ORV_FUZZ_CHECK(std::wstring(big.data()) == text, "the string is the formatted text");
            CheckBounded(written, buffer, bufferSize, count, text);
        }
        if (which <= 2)
        {
            ORV_FUZZ_CHECK(text == a.wide, "wide text comes through %s unchanged");
        }
        if (which == 3 && whole >= 0)
        {
            ORV_FUZZ_CHECK(text == WString(a.narrow.c_str()).GetBuffer(),
                           "narrow text reads as the strings read it");
        }
        if (which == 3 || which == 4)
        {
            for (wchar_t c : text)
            {
                ORV_FUZZ_CHECK(OrvTest::IsScalarValue(static_cast<std::uint32_t>(c)),
                               "narrow text read as wide gives scalar values");
            }
        }
    }
    else
    {
        NString formatted;
        std::vector<char> buffer(bufferSize, '#');
        const int written = CallNarrow(which, buffer.data(), bufferSize, count, a, &formatted);
        std::vector<char> big(8192);
        const int whole = CallNarrow(which, big.data(), big.size(), _TRUNCATE, a, &formatted);
        const std::string text(formatted.GetBuffer());
        if (whole < 0)
        {
            ORV_FUZZ_CHECK(text.empty(), "an unconvertible argument gives the empty string");
            ORV_FUZZ_CHECK(written == -1, "and no output");
        }
        else
        {
            ORV_FUZZ_CHECK(std::string(big.data()) == text, "the string is the formatted text");
            CheckBounded(written, buffer, bufferSize, count, text);
        }
        if (which <= 1)
        {
            ORV_FUZZ_CHECK(text == a.narrow, "narrow text comes through %s unchanged");
        }
        if (which == 2 || which == 3)
        {
            ORV_FUZZ_CHECK(OrvTest::IsWellFormedUtf8(
                               reinterpret_cast<const unsigned char*>(text.data()), text.size()),
                           "narrowed wide text is well-formed UTF-8");
            if (whole >= 0)
            {
                ORV_FUZZ_CHECK(text == NString(a.wide.c_str()).GetBuffer(),
                               "narrowed wide text reads as the strings narrow it");
            }
        }
    }

    // The number readers of the strings, on the argument text.
    const WString wideNumber(a.narrow.c_str());
    ORV_FUZZ_CHECK(wideNumber.ToInt() == ExpectedInt(wideNumber.GetBuffer()),
                   "the wide reader clamps");
    ORV_FUZZ_CHECK(NString(a.narrow.c_str()).ToInt() == wideNumber.ToInt(),
                   "narrow and wide readers agree");
    return 0;
}
