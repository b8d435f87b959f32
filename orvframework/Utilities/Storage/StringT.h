// The framework's string value: a reference-counted character buffer shared copy-on-write.
//
// StringT<wchar_t,char> is the wide string (one code point per wchar_t on this platform) and
// StringT<char,wchar_t> the narrow one (UTF-8); the second argument names the character type a
// string converts from and to. A shareable buffer holds exactly the text and its terminator, so
// its length is known without scanning. Lock() makes the buffer private and writable until
// Unlock(); a locked buffer may be larger than its text.
#pragma once

#include "ObjectBase/RCPtr.h"
#include "Utilities/Storage/Buffer.h"

#include <cstdarg>
#include <type_traits>

namespace Orv
{
template <class T>
class IArray;

template <class C, class O>
class StringT
{
    static_assert((std::is_same_v<C, wchar_t> && std::is_same_v<O, char>) ||
                      (std::is_same_v<C, char> && std::is_same_v<O, wchar_t>),
                  "StringT exists as StringT<wchar_t,char> and StringT<char,wchar_t>");

public:
    // Length limit that means "the whole text".
    static constexpr unsigned int kWholeText = 0x7ffffffe;
    // Member constraints below spell this test out: clang 14 does not find kIsWide in the
    // constraint of an out-of-line definition.
    static constexpr bool kIsWide = std::is_same_v<C, wchar_t>;

    StringT();
    // A one-character string; 0 gives a new buffer holding only the terminator.
    explicit StringT(C character);
    StringT(const C* text);
    // Text in the other encoding: UTF-8 for the wide string, wide text for the narrow one.
    StringT(const O* text);
    // The other string's whole text, converted.
    explicit StringT(const StringT<O, C>& other);
    StringT(const StringT& other);
    StringT(StringT&& other) noexcept;
    virtual ~StringT();

    StringT& operator=(const StringT& other);
    StringT& operator=(StringT&& other) noexcept;

    // At most n characters of text (kWholeText: all of it).
    void Assign(const C* text, unsigned int n = kWholeText);
    // At most n units of text in the other encoding, converted.
    void Assign(const O* text, unsigned int n);
    // n < 0: the whole text. Illegal sequences become U+FFFD.
    void AssignUtf8(const char* text, int n = -1) requires(std::is_same_v<C, wchar_t>);
    // n < 0: the whole text and its terminator. Illegal code points become U+FFFD.
    void AssignUtf16(const wchar_t* text, int n = -1) requires(!std::is_same_v<C, wchar_t>);
    StringT<char, wchar_t> ToNarrow() const requires(std::is_same_v<C, wchar_t>);

    void Clear();
    unsigned int GetLength() const;
    bool IsEmpty() const { return GetBuffer()[0] == 0; }
    const C* GetBuffer() const { return Data(); }

    StringT operator+(const StringT& other) const;
    StringT& operator+=(const StringT& other)
    {
        Append(other);
        return *this;
    }
    void Append(const StringT& other);
    void Append(C character);
    // E_INVALIDARG (nothing changed) when pos is beyond the length, else S_OK.
    ORVRESULT Insert(unsigned int pos, const StringT& text);
    ORVRESULT Insert(unsigned int pos, const C* text, unsigned int count);
    // Text in the other encoding (UTF-8 for the wide string), converted, inserted at pos;
    // E_INVALIDARG (nothing changed) when pos is beyond the length.
    ORVRESULT Insert(unsigned int pos, const O* text);
    // Empties parts and appends the pieces between the occurrences of separator, in order (a
    // text without it is one piece; an empty text gives one empty piece). maxCount < 0: no
    // limit; otherwise at most maxCount pieces, the last holding the rest of the text. Returns
    // the number of pieces, E_INVALIDARG for an empty separator or a maxCount of 0.
    int Split(const StringT& separator, int maxCount, IArray<StringT>& parts) const;

    StringT Mid(int start, int count) const;
    StringT Mid(int start) const;
    StringT Left(int count) const;
    StringT Right(int count) const;
    // Index of the first occurrence, -1 when there is none; an empty text is found at 0.
    int Find(const StringT& text) const;
    // Index of the last occurrence of the character, -1 when there is none.
    int ReverseFind(C character) const;

    bool operator==(const C* text) const;
    bool operator==(const StringT& other) const;
    bool operator!=(const StringT& other) const;
    // Ordinal comparison by code unit.
    bool operator<(const StringT& other) const;
    // The other encoding's text, converted to UTF-8 first. A template, so that it cannot clash
    // with the wide string's operator==(const C*).
    template <class W>
    bool operator==(const W* text) const
        requires(!std::is_same_v<C, wchar_t> && std::is_same_v<W, wchar_t>)
    {
        return *this == StringT<char, wchar_t>(text).GetBuffer();
    }

    StringT ToUpper() const;
    StringT ToLower() const;
    int ToInt() const;
    double ToDouble() const;

    StringT Trim() const;
    StringT TrimLeft() const;
    StringT TrimRight() const;
    StringT TrimLeft(const StringT& set) const;
    StringT TrimRight(const StringT& set) const;
    // Replaces every character that occurs in set by character (0: no change).
    void ReplaceAnyOf(const C* set, C character);

    // Direct write access to n characters (0: length + 1), the last one a terminator. Returns
    // null when the string is already locked.
    C* Lock(unsigned int n = 0);
    // Ends direct access: 1 when the string was not locked, else 0.
    int Unlock();

    // Windows formatting rules ("%s" in a wide format takes wide text).
    static StringT CreateFormatted(const C* format, ...);
    void Format(const C* format, ...);
    // The value divided by 10^decimals: FromInt(1234, 2) is "12.34", FromInt(5, 2) is ".05".
    static StringT FromInt(int value, int decimals = 0);
    static StringT FromUnsigned(unsigned long value, int decimals = 0);
    // The value in decimal with zeros put in front of its digits until the text is at least
    // width characters long (the sign stays first): FromIntZeroPadded(7, 3) is "007",
    // FromIntZeroPadded(-7, 3) is "-07"; a width of 0 or less pads nothing.
    static StringT FromIntZeroPadded(int value, int width);
    // decimals < 0: six decimals ("%lf").
    static StringT FromDouble(double value, int decimals = -1);

private:
    static const StringT& EmptyString();
    static constexpr unsigned int kCharSize = sizeof(C);

    C* Data() const { return static_cast<C*>(mBuffer->GetData()); }
    unsigned int CapacityChars() const { return mBuffer->GetSize() / kCharSize; }
    bool IsLocked() const { return mBuffer && !mBuffer->IsShareable(); }
    bool SharesBufferWith(const StringT& other) const { return mBuffer == other.mBuffer; }
    void SetEmpty();
    void AssignFormatted(const C* format, va_list args);
    static RCPtr<LIBuffer> NewBuffer(unsigned long long chars);

    RCPtr<LIBuffer> mBuffer;
};

using WString = StringT<wchar_t, char>;
using NString = StringT<char, wchar_t>;

extern template class StringT<wchar_t, char>;
extern template class StringT<char, wchar_t>;
} // namespace Orv
