// Fuzz target of the UTF-8/16/32 converters and the string conversions built on them.
//
// Input: bytes, read three ways: as UTF-8 text, as UTF-16 units and as UTF-32 units (both
// little-endian, any values, lone surrogates and values past U+10FFFF included).
//
// What must hold: strict decoding accepts exactly the well-formed UTF-8, and lenient decoding
// then gives the same; decoded text holds only scalar values; the narrowed output of any wide,
// UTF-16 or UTF-32 text is well-formed UTF-8; well-formed text survives the round trip; no
// converter writes past its target.
#include "FuzzSupport.h"
#include "OrvCore.h"

#include <cstring>
#include <vector>

namespace
{
using namespace Orv;
using OrvTest::IsScalarValue;
using OrvTest::IsWellFormedUtf8;

template <class Unit>
std::vector<Unit> Units(const std::uint8_t* data, std::size_t size)
{
    std::vector<Unit> units(size / sizeof(Unit));
    if (!units.empty())
    {
        std::memcpy(units.data(), data, units.size() * sizeof(Unit));
    }
    return units;
}

// Decodes UTF-8 into a target of exactly `room` units (so that a write past it is caught).
template <class Unit, class Convert>
int Decode(const std::vector<std::uint8_t>& text, std::size_t room, int flags, Convert convert,
           std::vector<Unit>& out, std::size_t& consumed)
{
    out.assign(room, Unit(0));
    const unsigned char* source = text.data();
    Unit* target = out.data();
    const int result =
        convert(&source, text.data() + text.size(), &target, out.data() + out.size(), flags);
    ORV_FUZZ_CHECK(source >= text.data() && source <= text.data() + text.size(), "source in range");
    ORV_FUZZ_CHECK(target >= out.data() && target <= out.data() + out.size(), "target in range");
    consumed = static_cast<std::size_t>(source - text.data());
    out.resize(static_cast<std::size_t>(target - out.data()));
    return result;
}

// Encodes units into UTF-8 with a target of exactly `room` bytes.
template <class Unit, class Convert>
int Encode(const std::vector<Unit>& units, std::size_t room, int flags, Convert convert,
           std::vector<unsigned char>& out)
{
    out.assign(room, 0);
    const Unit* source = units.data();
    unsigned char* target = out.data();
    const int result =
        convert(&source, units.data() + units.size(), &target, out.data() + out.size(), flags);
    ORV_FUZZ_CHECK(source >= units.data() && source <= units.data() + units.size(),
                   "source in range");
    ORV_FUZZ_CHECK(target >= out.data() && target <= out.data() + out.size(), "target in range");
    out.resize(static_cast<std::size_t>(target - out.data()));
    return result;
}

void CheckUtf8Decoding(const std::vector<std::uint8_t>& text)
{
    const bool wellFormed = IsWellFormedUtf8(text.data(), text.size());
    std::size_t consumed = 0;

    std::vector<char32_t> strict32;
    const int strict =
        Decode(text, text.size(), kConversionStrict, ConvertUtf8ToUtf32, strict32, consumed);
    ORV_FUZZ_CHECK((strict == kConversionOK) == wellFormed,
                   "strict UTF-8 decoding accepts exactly the well-formed text");
    std::vector<char32_t> lenient32;
    const int lenient =
        Decode(text, text.size(), kConversionLenient, ConvertUtf8ToUtf32, lenient32, consumed);
    ORV_FUZZ_CHECK(lenient == kConversionOK || lenient == kConversionSourceExhausted,
                   "lenient decoding stops only at a cut sequence");
    if (lenient == kConversionSourceExhausted)
    {
        ORV_FUZZ_CHECK(text.size() - consumed < 4 && consumed < text.size(),
                       "only a cut sequence is left");
    }
    for (char32_t c : lenient32)
    {
        ORV_FUZZ_CHECK(IsScalarValue(c), "decoded UTF-32 holds scalar values");
    }
    if (wellFormed)
    {
        ORV_FUZZ_CHECK(lenient32 == strict32, "lenient and strict agree on well-formed text");
        std::vector<unsigned char> back;
        ORV_FUZZ_CHECK(Encode(strict32, text.size(), kConversionStrict, ConvertUtf32ToUtf8, back) ==
                               kConversionOK &&
                           back == std::vector<unsigned char>(text.begin(), text.end()),
                       "UTF-8 to UTF-32 and back");
    }

    std::vector<char16_t> utf16;
    const int strict16 =
        Decode(text, text.size(), kConversionStrict, ConvertUtf8ToUtf16, utf16, consumed);
    ORV_FUZZ_CHECK((strict16 == kConversionOK) == wellFormed, "UTF-16 decoding agrees");
    Decode(text, text.size(), kConversionLenient, ConvertUtf8ToUtf16, utf16, consumed);
    for (std::size_t i = 0; i < utf16.size(); ++i)
    {
        const char16_t unit = utf16[i];
        if (unit >= 0xD800 && unit <= 0xDBFF)
        {
            ORV_FUZZ_CHECK(i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 && utf16[i + 1] <= 0xDFFF,
                           "a high surrogate is followed by a low one");
            ++i;
        }
        else
        {
            ORV_FUZZ_CHECK(unit < 0xDC00 || unit > 0xDFFF, "no lone low surrogate");
        }
    }
    if (wellFormed)
    {
        std::vector<unsigned char> back;
        ORV_FUZZ_CHECK(Encode(utf16, text.size(), kConversionStrict, ConvertUtf16ToUtf8, back) ==
                               kConversionOK &&
                           back == std::vector<unsigned char>(text.begin(), text.end()),
                       "UTF-8 to UTF-16 and back");
    }

    // A target one unit short stops with "target exhausted" inside it.
    if (!strict32.empty() && wellFormed)
    {
        std::vector<char32_t> shortTarget;
        ORV_FUZZ_CHECK(Decode(text, strict32.size() - 1, kConversionStrict, ConvertUtf8ToUtf32,
                              shortTarget, consumed) == kConversionTargetExhausted,
                       "a short target is reported");
    }

    // IsLegalUtf8 on each prefix of up to four bytes.
    for (int length = 1; length <= 4 && static_cast<std::size_t>(length) <= text.size(); ++length)
    {
        const bool legal = IsLegalUtf8(text.data(), length);
        ORV_FUZZ_CHECK(!legal || IsWellFormedUtf8(text.data(), static_cast<std::size_t>(length)),
                       "IsLegalUtf8 accepts only well-formed sequences");
    }
}

// The UTF-16 converter's lenient mode writes a lone surrogate out as its three-byte form
// (ED A0..BF xx), as the reference routines do; it serves no string of this build (wide text
// is UTF-32 here), so only that form is let through, nothing else ill-formed.
std::vector<unsigned char> WithoutEncodedSurrogates(const std::vector<unsigned char>& bytes)
{
    std::vector<unsigned char> rest;
    for (std::size_t i = 0; i < bytes.size(); ++i)
    {
        if (bytes[i] == 0xED && i + 2 < bytes.size() && bytes[i + 1] >= 0xA0 &&
            bytes[i + 1] <= 0xBF && (bytes[i + 2] & 0xC0) == 0x80)
        {
            i += 2;
            continue;
        }
        rest.push_back(bytes[i]);
    }
    return rest;
}

enum class LoneSurrogates
{
    Replaced,
    EncodedAsTheyAre
};

template <class Unit, class Convert>
void CheckNarrowing(const std::vector<Unit>& units, Convert convert, const char* what,
                    LoneSurrogates surrogates = LoneSurrogates::Replaced)
{
    // Four bytes a unit always suffice.
    std::vector<unsigned char> narrow;
    const int lenient = Encode(units, 4 * units.size(), kConversionLenient, convert, narrow);
    ORV_FUZZ_CHECK(lenient == kConversionOK || lenient == kConversionSourceExhausted, what);
    const std::vector<unsigned char> checked =
        surrogates == LoneSurrogates::Replaced ? narrow : WithoutEncodedSurrogates(narrow);
    ORV_FUZZ_CHECK(IsWellFormedUtf8(checked.data(), checked.size()),
                   "narrowed output is well-formed UTF-8");
    std::vector<unsigned char> strict;
    if (Encode(units, 4 * units.size(), kConversionStrict, convert, strict) == kConversionOK)
    {
        ORV_FUZZ_CHECK(strict == narrow, "strict and lenient agree where strict succeeds");
    }
    if (!units.empty())
    {
        std::vector<unsigned char> tiny;
        Encode(units, 1, kConversionLenient, convert, tiny);
        const std::vector<unsigned char> tinyChecked =
            surrogates == LoneSurrogates::Replaced ? tiny : WithoutEncodedSurrogates(tiny);
        ORV_FUZZ_CHECK(IsWellFormedUtf8(tinyChecked.data(), tinyChecked.size()),
                       "no part of a sequence");
    }
}

void CheckStrings(const std::uint8_t* data, std::size_t size)
{
    // Narrow text to wide and back: the strings stop at the first zero.
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const WString wide(bytes.c_str());
    for (const wchar_t* c = wide.GetBuffer(); *c != 0; ++c)
    {
        ORV_FUZZ_CHECK(IsScalarValue(static_cast<std::uint32_t>(*c)),
                       "a wide string from UTF-8 holds scalar values");
    }
    const NString narrow(wide);
    const auto* text = reinterpret_cast<const unsigned char*>(narrow.GetBuffer());
    ORV_FUZZ_CHECK(IsWellFormedUtf8(text, std::strlen(narrow.GetBuffer())),
                   "a string narrowed from wide text is well-formed UTF-8");
    const std::size_t length = std::strlen(bytes.c_str());
    if (IsWellFormedUtf8(reinterpret_cast<const unsigned char*>(bytes.c_str()), length))
    {
        ORV_FUZZ_CHECK(std::strcmp(narrow.GetBuffer(), bytes.c_str()) == 0,
                       "well-formed text survives widening and narrowing");
    }

    // Any wide units, narrowed by the string.
    std::vector<wchar_t> units = Units<wchar_t>(data, size);
    for (wchar_t& unit : units)
    {
        if (unit == 0)
        {
            unit = L'0';
        }
    }
    units.push_back(0);
    const NString fromUnits(units.data());
    ORV_FUZZ_CHECK(IsWellFormedUtf8(reinterpret_cast<const unsigned char*>(fromUnits.GetBuffer()),
                                    std::strlen(fromUnits.GetBuffer())),
                   "a string narrowed from any wide units is well-formed UTF-8");
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CheckUtf8Decoding(std::vector<std::uint8_t>(data, data + size));
    CheckNarrowing(Units<char32_t>(data, size), ConvertUtf32ToUtf8, "UTF-32 to UTF-8");
    CheckNarrowing(Units<char16_t>(data, size), ConvertUtf16ToUtf8, "UTF-16 to UTF-8",
                   LoneSurrogates::EncodedAsTheyAre);
    CheckNarrowing(Units<wchar_t>(data, size), ConvertWideToUtf8, "wide to UTF-8");
    CheckStrings(data, size);
    return 0;
}
