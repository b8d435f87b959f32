#include "Utilities/Storage/UtfConversion.h"

#include <cstdint>

namespace Orv
{
namespace
{
constexpr char32_t kSurrogateHighStart = 0xD800;
constexpr char32_t kSurrogateHighEnd = 0xDBFF;
constexpr char32_t kSurrogateLowStart = 0xDC00;
constexpr char32_t kSurrogateLowEnd = 0xDFFF;
constexpr char32_t kMaxBmp = 0xFFFF;
constexpr char32_t kMaxLegalUtf32 = 0x10FFFF;
constexpr int kHalfShift = 10;
constexpr char32_t kHalfBase = 0x10000;
constexpr char32_t kHalfMask = 0x3FF;

// Values subtracted after accumulating a sequence with that many trailing bytes.
constexpr char32_t kOffsetsFromUtf8[6] = {0x00000000, 0x00003080, 0x000E2080,
                                          0x03C82080, 0xFA082080, 0x82082080};
// Marks of the first byte of a sequence of that many bytes.
constexpr unsigned char kFirstByteMark[7] = {0x00, 0x00, 0xC0, 0xE0, 0xF0, 0xF8, 0xFC};

int TrailingBytes(unsigned char lead)
{
    if (lead < 0xC0)
    {
        return 0;
    }
    if (lead < 0xE0)
    {
        return 1;
    }
    if (lead < 0xF0)
    {
        return 2;
    }
    if (lead < 0xF8)
    {
        return 3;
    }
    if (lead < 0xFC)
    {
        return 4;
    }
    return 5;
}

// How the bytes at a lead byte start: a whole legal sequence, a legal sequence cut off by the
// end of the source, or an ill-formed one whose maximal legal prefix is `length` bytes long.
struct SequenceCheck
{
    enum Kind
    {
        kWhole,
        kCut,
        kIllFormed
    } kind;
    int length;
};

SequenceCheck CheckSequence(const unsigned char* source, std::ptrdiff_t available)
{
    const unsigned char lead = source[0];
    if (lead < 0x80)
    {
        return {SequenceCheck::kWhole, 1};
    }
    if (lead < 0xC2 || lead > 0xF4)
    {
        return {SequenceCheck::kIllFormed, 1};
    }
    const int needed = TrailingBytes(lead) + 1;
    int length = 1;
    while (length < needed && length < available)
    {
        const unsigned char byte = source[length];
        unsigned char low = 0x80;
        unsigned char high = 0xBF;
        if (length == 1)
        {
            if (lead == 0xE0)
            {
                low = 0xA0;
            }
            else if (lead == 0xED)
            {
                high = 0x9F;
            }
            else if (lead == 0xF0)
            {
                low = 0x90;
            }
            else if (lead == 0xF4)
            {
                high = 0x8F;
            }
        }
        if (byte < low || byte > high)
        {
            return {SequenceCheck::kIllFormed, length};
        }
        ++length;
    }
    if (length == needed)
    {
        return {SequenceCheck::kWhole, length};
    }
    return {SequenceCheck::kCut, length};
}

int Utf8Length(char32_t ch)
{
    if (ch < 0x80)
    {
        return 1;
    }
    if (ch < 0x800)
    {
        return 2;
    }
    if (ch < 0x10000)
    {
        return 3;
    }
    return 4;
}

void WriteUtf8(char32_t ch, int length, unsigned char* target)
{
    constexpr char32_t kByteMask = 0xBF;
    constexpr char32_t kByteMark = 0x80;
    for (int i = length - 1; i > 0; --i)
    {
        target[i] = static_cast<unsigned char>((ch | kByteMark) & kByteMask);
        ch >>= 6;
    }
    target[0] = static_cast<unsigned char>(ch | kFirstByteMark[length]);
}

// Decodes a whole legal sequence of `length` bytes.
char32_t DecodeUtf8(const unsigned char* source, int length)
{
    char32_t ch = 0;
    for (int i = 0; i < length; ++i)
    {
        ch = (ch << 6) + source[i];
    }
    return ch - kOffsetsFromUtf8[length - 1];
}

// Shared UTF-8 decoding loop; Store(ch, target, targetEnd) writes one code point or returns a
// result code other than kConversionOK.
template <class Unit, class Store>
int DecodeLoop(const unsigned char** sourceStart, const unsigned char* sourceEnd,
               Unit** targetStart, Unit* targetEnd, int flags, Store store)
{
    int result = kConversionOK;
    const unsigned char* source = *sourceStart;
    Unit* target = *targetStart;
    while (source < sourceEnd)
    {
        const SequenceCheck check = CheckSequence(source, sourceEnd - source);
        char32_t ch;
        if (check.kind == SequenceCheck::kCut)
        {
            result = kConversionSourceExhausted;
            break;
        }
        if (check.kind == SequenceCheck::kIllFormed)
        {
            if (flags == kConversionStrict)
            {
                result = kConversionSourceIllegal;
                break;
            }
            ch = kReplacementCharacter;
        }
        else
        {
            ch = DecodeUtf8(source, check.length);
        }
        const int stored = store(ch, target, targetEnd, flags);
        if (stored != kConversionOK)
        {
            result = stored;
            break;
        }
        source += check.length;
    }
    *sourceStart = source;
    *targetStart = target;
    return result;
}

// Encodes ch at target; kConversionTargetExhausted when it does not fit.
int EncodeUtf8(char32_t ch, unsigned char*& target, unsigned char* targetEnd)
{
    const int length = Utf8Length(ch);
    if (targetEnd - target < length)
    {
        return kConversionTargetExhausted;
    }
    WriteUtf8(ch, length, target);
    target += length;
    return kConversionOK;
}
} // namespace

bool IsLegalUtf8(const unsigned char* source, int length)
{
    if (length < 1 || length > 4)
    {
        return false;
    }
    const SequenceCheck check = CheckSequence(source, length);
    return check.kind == SequenceCheck::kWhole && check.length == length;
}

int ConvertUtf16ToUtf8(const char16_t** sourceStart, const char16_t* sourceEnd,
                       unsigned char** targetStart, unsigned char* targetEnd, int flags)
{
    int result = kConversionOK;
    const char16_t* source = *sourceStart;
    unsigned char* target = *targetStart;
    while (source < sourceEnd)
    {
        const char16_t* unitStart = source;
        char32_t ch = *source++;
        if (ch >= kSurrogateHighStart && ch <= kSurrogateHighEnd)
        {
            if (source >= sourceEnd)
            {
                source = unitStart;
                result = kConversionSourceExhausted;
                break;
            }
            const char32_t low = *source;
            if (low >= kSurrogateLowStart && low <= kSurrogateLowEnd)
            {
                ch = ((ch - kSurrogateHighStart) << kHalfShift) + (low - kSurrogateLowStart) +
                     kHalfBase;
                ++source;
            }
            else if (flags == kConversionStrict)
            {
                source = unitStart;
                result = kConversionSourceIllegal;
                break;
            }
        }
        else if (flags == kConversionStrict && ch >= kSurrogateLowStart && ch <= kSurrogateLowEnd)
        {
            source = unitStart;
            result = kConversionSourceIllegal;
            break;
        }
        if (EncodeUtf8(ch, target, targetEnd) != kConversionOK)
        {
            source = unitStart;
            result = kConversionTargetExhausted;
            break;
        }
    }
    *sourceStart = source;
    *targetStart = target;
    return result;
}

int ConvertUtf8ToUtf16(const unsigned char** sourceStart, const unsigned char* sourceEnd,
                       char16_t** targetStart, char16_t* targetEnd, int flags)
{
    return DecodeLoop(sourceStart, sourceEnd, targetStart, targetEnd, flags,
                      [](char32_t ch, char16_t*& target, char16_t* end, int mode)
                      {
                          if (ch <= kMaxBmp)
                          {
                              if (ch >= kSurrogateHighStart && ch <= kSurrogateLowEnd)
                              {
                                  if (mode == kConversionStrict)
                                  {
                                      return int(kConversionSourceIllegal);
                                  }
                                  ch = kReplacementCharacter;
                              }
                              if (target >= end)
                              {
                                  return int(kConversionTargetExhausted);
                              }
                              *target++ = static_cast<char16_t>(ch);
                              return int(kConversionOK);
                          }
                          if (ch > kMaxLegalUtf32)
                          {
                              if (mode == kConversionStrict)
                              {
                                  return int(kConversionSourceIllegal);
                              }
                              if (target >= end)
                              {
                                  return int(kConversionTargetExhausted);
                              }
                              *target++ = static_cast<char16_t>(kReplacementCharacter);
                              return int(kConversionOK);
                          }
                          if (end - target < 2)
                          {
                              return int(kConversionTargetExhausted);
                          }
                          ch -= kHalfBase;
                          *target++ =
                              static_cast<char16_t>((ch >> kHalfShift) + kSurrogateHighStart);
                          *target++ = static_cast<char16_t>((ch & kHalfMask) + kSurrogateLowStart);
                          return int(kConversionOK);
                      });
}

int ConvertUtf32ToUtf8(const char32_t** sourceStart, const char32_t* sourceEnd,
                       unsigned char** targetStart, unsigned char* targetEnd, int flags)
{
    int result = kConversionOK;
    const char32_t* source = *sourceStart;
    unsigned char* target = *targetStart;
    while (source < sourceEnd)
    {
        char32_t ch = *source;
        const bool surrogate = ch >= kSurrogateHighStart && ch <= kSurrogateLowEnd;
        if (flags == kConversionStrict && (surrogate || ch > kMaxLegalUtf32))
        {
            result = kConversionSourceIllegal;
            break;
        }
        // A surrogate code point alone is no character: UTF-8 may not carry it.
        if (surrogate || ch > kMaxLegalUtf32)
        {
            ch = kReplacementCharacter;
        }
        if (EncodeUtf8(ch, target, targetEnd) != kConversionOK)
        {
            result = kConversionTargetExhausted;
            break;
        }
        ++source;
    }
    *sourceStart = source;
    *targetStart = target;
    return result;
}

int ConvertUtf8ToUtf32(const unsigned char** sourceStart, const unsigned char* sourceEnd,
                       char32_t** targetStart, char32_t* targetEnd, int flags)
{
    return DecodeLoop(sourceStart, sourceEnd, targetStart, targetEnd, flags,
                      [](char32_t ch, char32_t*& target, char32_t* end, int mode)
                      {
                          const bool surrogate =
                              ch >= kSurrogateHighStart && ch <= kSurrogateLowEnd;
                          if (surrogate || ch > kMaxLegalUtf32)
                          {
                              if (mode == kConversionStrict)
                              {
                                  return int(kConversionSourceIllegal);
                              }
                              ch = kReplacementCharacter;
                          }
                          if (target >= end)
                          {
                              return int(kConversionTargetExhausted);
                          }
                          *target++ = ch;
                          return int(kConversionOK);
                      });
}

int ConvertWideToUtf8(const wchar_t** sourceStart, const wchar_t* sourceEnd,
                      unsigned char** targetStart, unsigned char* targetEnd, int flags)
{
    if constexpr (sizeof(wchar_t) == sizeof(char32_t))
    {
        return ConvertUtf32ToUtf8(reinterpret_cast<const char32_t**>(sourceStart),
                                  reinterpret_cast<const char32_t*>(sourceEnd), targetStart,
                                  targetEnd, flags);
    }
    else
    {
        return ConvertUtf16ToUtf8(reinterpret_cast<const char16_t**>(sourceStart),
                                  reinterpret_cast<const char16_t*>(sourceEnd), targetStart,
                                  targetEnd, flags);
    }
}

int ConvertUtf8ToWide(const unsigned char** sourceStart, const unsigned char* sourceEnd,
                      wchar_t** targetStart, wchar_t* targetEnd, int flags)
{
    if constexpr (sizeof(wchar_t) == sizeof(char32_t))
    {
        return ConvertUtf8ToUtf32(sourceStart, sourceEnd, reinterpret_cast<char32_t**>(targetStart),
                                  reinterpret_cast<char32_t*>(targetEnd), flags);
    }
    else
    {
        return ConvertUtf8ToUtf16(sourceStart, sourceEnd, reinterpret_cast<char16_t**>(targetStart),
                                  reinterpret_cast<char16_t*>(targetEnd), flags);
    }
}
} // namespace Orv
