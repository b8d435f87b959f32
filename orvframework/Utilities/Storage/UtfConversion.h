// Conversions between UTF-8, UTF-16 and UTF-32, after the Unicode Consortium's reference
// routines, with their result codes and flags.
//
// Lenient conversion replaces each maximal ill-formed subsequence of UTF-8 with U+FFFD and goes
// on; strict conversion stops at it with kConversionSourceIllegal. A sequence cut off by the end
// of the source stops both with kConversionSourceExhausted, so that a caller can feed more.
#pragma once

#include <cstddef>

namespace Orv
{
enum ConversionResult
{
    kConversionOK = 0,
    kConversionSourceExhausted = 1,
    kConversionTargetExhausted = 2,
    kConversionSourceIllegal = 3,
};

enum ConversionFlags
{
    kConversionStrict = 0,
    kConversionLenient = 1,
};

constexpr char32_t kReplacementCharacter = 0xFFFD;

int ConvertUtf16ToUtf8(const char16_t** sourceStart, const char16_t* sourceEnd,
                       unsigned char** targetStart, unsigned char* targetEnd, int flags);
int ConvertUtf8ToUtf16(const unsigned char** sourceStart, const unsigned char* sourceEnd,
                       char16_t** targetStart, char16_t* targetEnd, int flags);
int ConvertUtf32ToUtf8(const char32_t** sourceStart, const char32_t* sourceEnd,
                       unsigned char** targetStart, unsigned char* targetEnd, int flags);
int ConvertUtf8ToUtf32(const unsigned char** sourceStart, const unsigned char* sourceEnd,
                       char32_t** targetStart, char32_t* targetEnd, int flags);

// Whether the length bytes at source form one legal UTF-8 sequence (length 1 to 4).
bool IsLegalUtf8(const unsigned char* source, int length);

// Wide text (wchar_t, UTF-16 or UTF-32 by its width) to and from UTF-8.
int ConvertWideToUtf8(const wchar_t** sourceStart, const wchar_t* sourceEnd,
                      unsigned char** targetStart, unsigned char* targetEnd, int flags);
int ConvertUtf8ToWide(const unsigned char** sourceStart, const unsigned char* sourceEnd,
                      wchar_t** targetStart, wchar_t* targetEnd, int flags);
} // namespace Orv
