#include "Utilities/Storage/StringT.h"

#include "Utilities/Storage/Iterable.h"
#include "Utilities/Storage/UtfConversion.h"
#include "platform/CRuntime.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <vector>

namespace Orv
{
namespace
{
// The C library functions of one character type.
template <class C>
struct Chars;

template <>
struct Chars<wchar_t>
{
    static unsigned int Length(const wchar_t* text, unsigned int limit)
    {
        return static_cast<unsigned int>(wcsnlen(text, limit));
    }
    static int Compare(const wchar_t* a, const wchar_t* b) { return std::wcscmp(a, b); }
    static const wchar_t* Search(const wchar_t* text, const wchar_t* part)
    {
        return std::wcsstr(text, part);
    }
    static std::size_t Span(const wchar_t* text, const wchar_t* set)
    {
        return std::wcsspn(text, set);
    }
    static bool Contains(const wchar_t* set, wchar_t c) { return std::wcschr(set, c) != nullptr; }
    static wchar_t Upper(wchar_t c) { return static_cast<wchar_t>(std::towupper(c)); }
    static wchar_t Lower(wchar_t c) { return static_cast<wchar_t>(std::towlower(c)); }
    static int ToInt(const wchar_t* text) { return _wtoi(text); }
    static double ToDouble(const wchar_t* text) { return _wtof(text); }
    static int Measure(const wchar_t* format, va_list args) { return _vscwprintf(format, args); }
    static int Print(wchar_t* buffer, std::size_t size, const wchar_t* format, va_list args)
    {
        return _vsnwprintf_s(buffer, size, _TRUNCATE, format, args);
    }
    static constexpr const wchar_t* kBlanks = L" \t\r\n";
    static constexpr const wchar_t* kUnsignedFormat = L"%lu";
    static constexpr const wchar_t* kDoubleFormat = L"%lf";
    static constexpr const wchar_t* kPrecisionFormat = L"%%.%dlf";
};

template <>
struct Chars<char>
{
    static unsigned int Length(const char* text, unsigned int limit)
    {
        return static_cast<unsigned int>(strnlen(text, limit));
    }
    static int Compare(const char* a, const char* b) { return std::strcmp(a, b); }
    static const char* Search(const char* text, const char* part)
    {
        return std::strstr(text, part);
    }
    static std::size_t Span(const char* text, const char* set) { return std::strspn(text, set); }
    static bool Contains(const char* set, char c) { return std::strchr(set, c) != nullptr; }
    static char Upper(char c)
    {
        return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    static char Lower(char c)
    {
        return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    // Clamped to the int range as the wide reader (_wtoi) is: atoi's result past it is undefined.
    static int ToInt(const char* text)
    {
        const long long value = std::strtoll(text, nullptr, 10);
        return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
    }
    static double ToDouble(const char* text) { return std::atof(text); }
    static int Measure(const char* format, va_list args) { return _vscprintf(format, args); }
    static int Print(char* buffer, std::size_t size, const char* format, va_list args)
    {
        return _vsnprintf_s(buffer, size, _TRUNCATE, format, args);
    }
    static constexpr const char* kBlanks = " \t\r\n";
    static constexpr const char* kUnsignedFormat = "%lu";
    static constexpr const char* kDoubleFormat = "%lf";
    static constexpr const char* kPrecisionFormat = "%%.%dlf";
};

// "0" in front while shorter than decimals, then "." before the last decimals digits.
template <class C, class O>
StringT<C, O> PlaceDecimalPoint(StringT<C, O> digits, int decimals)
{
    if (decimals < 1)
    {
        return digits;
    }
    const StringT<C, O> zero(C('0'));
    while (digits.GetLength() < static_cast<unsigned int>(decimals))
    {
        digits.Insert(0, zero);
    }
    digits.Insert(digits.GetLength() - static_cast<unsigned int>(decimals), StringT<C, O>(C('.')));
    return digits;
}
} // namespace

template <class C, class O>
const StringT<C, O>& StringT<C, O>::EmptyString()
{
    static const StringT empty{C(0)};
    return empty;
}

template <class C, class O>
RCPtr<LIBuffer> StringT<C, O>::NewBuffer(unsigned long long chars)
{
    const unsigned long long bytes = chars * kCharSize;
    if (bytes > UINT_MAX)
    {
        throw Exception<std::bad_alloc>();
    }
    return RCPtr<LIBuffer>(new StringBuffer(static_cast<unsigned int>(bytes), 0, true));
}

template <class C, class O>
StringT<C, O>::StringT()
    : mBuffer(EmptyString().mBuffer)
{
}

template <class C, class O>
StringT<C, O>::StringT(C character)
    : mBuffer(NewBuffer(character == 0 ? 1 : 2))
{
    Data()[0] = character;
}

template <class C, class O>
StringT<C, O>::StringT(const C* text)
    : StringT()
{
    Assign(text, kWholeText);
}

template <class C, class O>
StringT<C, O>::StringT(const O* text)
    : StringT()
{
    if constexpr (kIsWide)
    {
        AssignUtf8(text, -1);
    }
    else
    {
        AssignUtf16(text, -1);
    }
}

template <class C, class O>
StringT<C, O>::StringT(const StringT<O, C>& other)
    : StringT()
{
    if constexpr (kIsWide)
    {
        AssignUtf8(other.GetBuffer(), static_cast<int>(other.GetLength()));
    }
    else
    {
        AssignUtf16(other.GetBuffer(), -1);
    }
}

template <class C, class O>
StringT<C, O>::StringT(const StringT& other)
{
    if (!other.IsLocked())
    {
        mBuffer = other.mBuffer;
    }
    else
    {
        mBuffer = EmptyString().mBuffer;
        Assign(other.Data(), kWholeText);
    }
}

template <class C, class O>
StringT<C, O>::StringT(StringT&& other) noexcept
    : mBuffer(std::move(other.mBuffer))
{
    other.mBuffer = EmptyString().mBuffer;
}

template <class C, class O>
StringT<C, O>::~StringT() = default;

template <class C, class O>
StringT<C, O>& StringT<C, O>::operator=(const StringT& other)
{
    if (!IsLocked() && !other.IsLocked())
    {
        mBuffer = other.mBuffer;
    }
    else
    {
        Assign(other.Data(), kWholeText);
    }
    return *this;
}

template <class C, class O>
StringT<C, O>& StringT<C, O>::operator=(StringT&& other) noexcept
{
    if (this != &other)
    {
        mBuffer = std::move(other.mBuffer);
        other.mBuffer = EmptyString().mBuffer;
    }
    return *this;
}

template <class C, class O>
void StringT<C, O>::SetEmpty()
{
    if (IsLocked())
    {
        Data()[0] = 0;
    }
    else
    {
        mBuffer = EmptyString().mBuffer;
    }
}

template <class C, class O>
void StringT<C, O>::Assign(const C* text, unsigned int n)
{
    if (text == nullptr || text[0] == 0 || n == 0)
    {
        SetEmpty();
        return;
    }
    const unsigned int length = Chars<C>::Length(text, n);
    if (IsLocked())
    {
        // A locked buffer keeps its size unless the text needs more room. (A text that lies in
        // this buffer always fits, so growing never moves the source.)
        if (length + 1 > CapacityChars())
        {
            mBuffer->Resize((length + 1) * kCharSize);
        }
        std::memmove(Data(), text, length * kCharSize);
        Data()[length] = 0;
        return;
    }
    RCPtr<LIBuffer> fresh = NewBuffer(length + 1ull);
    std::memcpy(fresh->GetData(), text, length * kCharSize);
    mBuffer = std::move(fresh);
}

template <class C, class O>
void StringT<C, O>::Assign(const O* text, unsigned int n)
{
    if (text == nullptr)
    {
        SetEmpty();
        return;
    }
    const unsigned int length = Chars<O>::Length(text, n);
    if constexpr (kIsWide)
    {
        AssignUtf8(text, static_cast<int>(length));
    }
    else
    {
        AssignUtf16(text, static_cast<int>(length));
    }
}

template <class C, class O>
void StringT<C, O>::AssignUtf8(const char* text, int n) requires(std::is_same_v<C, wchar_t>)
{
    if (text == nullptr || text[0] == 0 || n == 0)
    {
        SetEmpty();
        return;
    }
    const std::size_t count = n < 0 ? std::strlen(text) : static_cast<std::size_t>(n);
    RCPtr<LIBuffer> fresh = NewBuffer(count + 1ull);
    auto* source = reinterpret_cast<const unsigned char*>(text);
    wchar_t* target = static_cast<wchar_t*>(fresh->GetData());
    const int result =
        ConvertUtf8ToWide(&source, source + count, &target, target + count, kConversionLenient);
    if (result == kConversionSourceExhausted)
    {
        // The text ends inside a sequence: that cut sequence is illegal input too.
        *target++ = static_cast<wchar_t>(kReplacementCharacter);
    }
    const std::size_t length = wcsnlen(static_cast<wchar_t*>(fresh->GetData()), count + 1);
    fresh->Resize(static_cast<unsigned int>((length + 1) * kCharSize));
    mBuffer = std::move(fresh);
}

template <class C, class O>
void StringT<C, O>::AssignUtf16(const wchar_t* text, int n) requires(!std::is_same_v<C, wchar_t>)
{
    if (text == nullptr || text[0] == 0 || n == 0)
    {
        SetEmpty();
        return;
    }
    const std::size_t count = n < 0 ? std::wcslen(text) + 1 : static_cast<std::size_t>(n);
    RCPtr<LIBuffer> fresh = NewBuffer(4ull * count + 1);
    const wchar_t* source = text;
    auto* target = static_cast<unsigned char*>(fresh->GetData());
    ConvertWideToUtf8(&source, text + count, &target, target + 4 * count, kConversionLenient);
    const std::size_t length = strnlen(static_cast<char*>(fresh->GetData()), 4 * count + 1);
    fresh->Resize(static_cast<unsigned int>(length + 1));
    mBuffer = std::move(fresh);
}

template <class C, class O>
StringT<char, wchar_t> StringT<C, O>::ToNarrow() const requires(std::is_same_v<C, wchar_t>)
{
    return StringT<char, wchar_t>(*this);
}

template <class C, class O>
void StringT<C, O>::Clear()
{
    SetEmpty();
}

template <class C, class O>
unsigned int StringT<C, O>::GetLength() const
{
    if (IsLocked())
    {
        return Chars<C>::Length(Data(), CapacityChars());
    }
    return CapacityChars() - 1;
}

template <class C, class O>
StringT<C, O> StringT<C, O>::operator+(const StringT& other) const
{
    StringT result(*this);
    result.Append(other);
    return result;
}

template <class C, class O>
void StringT<C, O>::Append(const StringT& other)
{
    if (other.IsEmpty())
    {
        return;
    }
    const unsigned int length1 = GetLength();
    const unsigned int length2 = other.GetLength();
    const bool wasShareable = !IsLocked();
    C* destination;
    if (!wasShareable)
    {
        mBuffer->Resize((length1 + length2 + 1) * kCharSize);
        Data()[length1 + length2] = 0;
        destination = Data() + length1;
    }
    else
    {
        destination = Lock(length1 + length2 + 1) + length1;
    }
    // Read the other text only now: it may be this string, whose buffer may have moved.
    std::memmove(destination, other.Data(), length2 * kCharSize);
    destination[length2] = 0;
    if (wasShareable)
    {
        Unlock();
    }
}

template <class C, class O>
void StringT<C, O>::Append(C character)
{
    Insert(GetLength(), &character, 1);
}

template <class C, class O>
ORVRESULT StringT<C, O>::Insert(unsigned int pos, const StringT& text)
{
    const unsigned int length = GetLength();
    if (pos > length)
    {
        return E_INVALIDARG;
    }
    if (pos == length)
    {
        Append(text);
    }
    else if (pos == 0)
    {
        *this = text + *this;
    }
    else
    {
        *this = Left(static_cast<int>(pos)) + text + Mid(static_cast<int>(pos));
    }
    return S_OK;
}

template <class C, class O>
ORVRESULT StringT<C, O>::Insert(unsigned int pos, const C* text, unsigned int count)
{
    if (pos > GetLength())
    {
        return E_INVALIDARG;
    }
    StringT part;
    if (text != nullptr && count < kWholeText && Chars<C>::Length(text, count) >= count)
    {
        part.Assign(text, count);
    }
    else
    {
        part.Assign(text, kWholeText);
    }
    return Insert(pos, part);
}

template <class C, class O>
ORVRESULT StringT<C, O>::Insert(unsigned int pos, const O* text)
{
    if (pos > GetLength())
    {
        return E_INVALIDARG;
    }
    return Insert(pos, StringT(text));
}

template <class C, class O>
int StringT<C, O>::Split(const StringT& separator, int maxCount, IArray<StringT>& parts) const
{
    parts.RemoveAll();
    const unsigned int separatorLength = separator.GetLength();
    if (separatorLength == 0 || maxCount == 0)
    {
        return E_INVALIDARG;
    }
    const C* data = Data();
    const C* start = data;
    while (maxCount < 0 || static_cast<int>(parts.GetCount()) < maxCount - 1)
    {
        const C* found = Chars<C>::Search(start, separator.Data());
        if (found == nullptr)
        {
            break;
        }
        StringT piece;
        piece.Assign(start, static_cast<unsigned int>(found - start));
        parts.AddItem(piece);
        start = found + separatorLength;
    }
    parts.AddItem(Mid(static_cast<int>(start - data)));
    return static_cast<int>(parts.GetCount());
}

template <class C, class O>
StringT<C, O> StringT<C, O>::Mid(int start, int count) const
{
    StringT result;
    const int length = static_cast<int>(GetLength());
    if (start < 0)
    {
        start += length;
        if (start < 0)
        {
            count += start;
            start = 0;
        }
    }
    if (start < length && count > 0)
    {
        if (count > length - start)
        {
            count = length - start;
        }
        result.Assign(Data() + start, static_cast<unsigned int>(count));
    }
    return result;
}

template <class C, class O>
StringT<C, O> StringT<C, O>::Mid(int start) const
{
    return Mid(start, static_cast<int>(GetLength()) - start);
}

template <class C, class O>
StringT<C, O> StringT<C, O>::Left(int count) const
{
    return Mid(0, count);
}

template <class C, class O>
StringT<C, O> StringT<C, O>::Right(int count) const
{
    return Mid(-count, count);
}

template <class C, class O>
int StringT<C, O>::Find(const StringT& text) const
{
    const C* found = Chars<C>::Search(Data(), text.Data());
    return found == nullptr ? -1 : static_cast<int>(found - Data());
}

template <class C, class O>
int StringT<C, O>::ReverseFind(C character) const
{
    const C* data = Data();
    for (int i = static_cast<int>(GetLength()) - 1; i >= 0; --i)
    {
        if (data[i] == character)
        {
            return i;
        }
    }
    return -1;
}

template <class C, class O>
bool StringT<C, O>::operator==(const C* text) const
{
    if (text == nullptr || text[0] == 0)
    {
        return IsEmpty();
    }
    return Chars<C>::Compare(Data(), text) == 0;
}

template <class C, class O>
bool StringT<C, O>::operator==(const StringT& other) const
{
    return SharesBufferWith(other) || *this == other.Data();
}

template <class C, class O>
bool StringT<C, O>::operator!=(const StringT& other) const
{
    return !SharesBufferWith(other) && !(*this == other.Data());
}

template <class C, class O>
bool StringT<C, O>::operator<(const StringT& other) const
{
    const C* a = Data();
    const C* b = other.Data();
    if (a == b)
    {
        return false;
    }
    using Unit = std::make_unsigned_t<C>;
    while (*a != 0 && *a == *b)
    {
        ++a;
        ++b;
    }
    return static_cast<Unit>(*a) < static_cast<Unit>(*b);
}

template <class C, class O>
StringT<C, O> StringT<C, O>::ToUpper() const
{
    StringT result(*this);
    C* data = result.Lock();
    for (C* c = data; *c != 0; ++c)
    {
        *c = Chars<C>::Upper(*c);
    }
    result.Unlock();
    return result;
}

template <class C, class O>
StringT<C, O> StringT<C, O>::ToLower() const
{
    StringT result(*this);
    C* data = result.Lock();
    for (C* c = data; *c != 0; ++c)
    {
        *c = Chars<C>::Lower(*c);
    }
    result.Unlock();
    return result;
}

template <class C, class O>
int StringT<C, O>::ToInt() const
{
    return Chars<C>::ToInt(Data());
}

template <class C, class O>
double StringT<C, O>::ToDouble() const
{
    return Chars<C>::ToDouble(Data());
}

template <class C, class O>
StringT<C, O> StringT<C, O>::Trim() const
{
    return TrimLeft().TrimRight();
}

template <class C, class O>
StringT<C, O> StringT<C, O>::TrimLeft() const
{
    return TrimLeft(StringT(Chars<C>::kBlanks));
}

template <class C, class O>
StringT<C, O> StringT<C, O>::TrimRight() const
{
    return TrimRight(StringT(Chars<C>::kBlanks));
}

template <class C, class O>
StringT<C, O> StringT<C, O>::TrimLeft(const StringT& set) const
{
    const std::size_t skip = Chars<C>::Span(Data(), set.Data());
    if (skip == 0)
    {
        return *this;
    }
    // A text made only of characters of the set trims to the empty string.
    return Mid(static_cast<int>(skip));
}

template <class C, class O>
StringT<C, O> StringT<C, O>::TrimRight(const StringT& set) const
{
    int end = static_cast<int>(GetLength());
    while (end > 0 && Chars<C>::Contains(set.Data(), Data()[end - 1]))
    {
        --end;
    }
    return end == static_cast<int>(GetLength()) ? *this : Left(end);
}

template <class C, class O>
void StringT<C, O>::ReplaceAnyOf(const C* set, C character)
{
    if (character == 0 || set == nullptr)
    {
        return;
    }
    std::vector<C> copy(Data(), Data() + GetLength() + 1);
    for (C& c : copy)
    {
        if (c != 0 && Chars<C>::Contains(set, c))
        {
            c = character;
        }
    }
    Assign(copy.data(), kWholeText);
}

template <class C, class O>
C* StringT<C, O>::Lock(unsigned int n)
{
    if (IsLocked())
    {
        return nullptr;
    }
    if (n == 0)
    {
        n = GetLength() + 1;
    }
    const unsigned long long bytes = static_cast<unsigned long long>(n) * kCharSize;
    if (bytes > UINT_MAX)
    {
        throw Exception<std::bad_alloc>();
    }
    if (!mBuffer)
    {
        mBuffer = NewBuffer(n);
    }
    else if (mBuffer->GetRefCount() > 1)
    {
        ConstRCPtr<LIBuffer> copy;
        mBuffer->CreateResizedCopy(copy, static_cast<unsigned int>(bytes), 0);
        if (!copy)
        {
            mBuffer = nullptr;
            if constexpr (kIsWide)
            {
                ORV_THROW(std::runtime_error);
            }
            else
            {
                ORV_THROW(std::runtime_error);
            }
        }
        mBuffer = RCPtr<LIBuffer>(copy);
    }
    mBuffer->SetUnshareable(true);
    mBuffer->Resize(static_cast<unsigned int>(bytes));
    Data()[n - 1] = 0;
    return Data();
}

template <class C, class O>
int StringT<C, O>::Unlock()
{
    if (!mBuffer || mBuffer->IsShareable())
    {
        return 1;
    }
    const unsigned int length = GetLength();
    if (length != 0)
    {
        mBuffer->SetUnshareable(false);
        mBuffer->Resize((length + 1) * kCharSize);
        return 0;
    }
    mBuffer = EmptyString().mBuffer;
    return 0;
}

template <class C, class O>
void StringT<C, O>::AssignFormatted(const C* format, va_list args)
{
    va_list measureArgs;
    va_copy(measureArgs, args);
    const int length = Chars<C>::Measure(format, measureArgs);
    va_end(measureArgs);
    if (length <= 0)
    {
        // Nothing to show, or a format or argument that cannot be converted.
        SetEmpty();
        return;
    }
    std::vector<C> text(static_cast<std::size_t>(length) + 1);
    Chars<C>::Print(text.data(), text.size(), format, args);
    Assign(text.data(), kWholeText);
}

template <class C, class O>
StringT<C, O> StringT<C, O>::CreateFormatted(const C* format, ...)
{
    StringT result;
    va_list args;
    va_start(args, format);
    result.AssignFormatted(format, args);
    va_end(args);
    return result;
}

template <class C, class O>
void StringT<C, O>::Format(const C* format, ...)
{
    va_list args;
    va_start(args, format);
    AssignFormatted(format, args);
    va_end(args);
}

template <class C, class O>
StringT<C, O> StringT<C, O>::FromInt(int value, int decimals)
{
    // The magnitude gets the decimal point; the sign goes in front of it all.
    const long long wide = value;
    const unsigned long magnitude = static_cast<unsigned long>(wide < 0 ? -wide : wide);
    StringT text =
        PlaceDecimalPoint(CreateFormatted(Chars<C>::kUnsignedFormat, magnitude), decimals);
    if (value < 0)
    {
        text.Insert(0, StringT(C('-')));
    }
    return text;
}

template <class C, class O>
StringT<C, O> StringT<C, O>::FromIntZeroPadded(int value, int width)
{
    const long long wide = value;
    const unsigned long magnitude = static_cast<unsigned long>(wide < 0 ? -wide : wide);
    StringT text = CreateFormatted(Chars<C>::kUnsignedFormat, magnitude);
    const unsigned int sign = value < 0 ? 1 : 0;
    const StringT zero(C('0'));
    while (width > 0 && text.GetLength() + sign < static_cast<unsigned int>(width))
    {
        text.Insert(0, zero);
    }
    if (value < 0)
    {
        text.Insert(0, StringT(C('-')));
    }
    return text;
}

template <class C, class O>
StringT<C, O> StringT<C, O>::FromUnsigned(unsigned long value, int decimals)
{
    return PlaceDecimalPoint(CreateFormatted(Chars<C>::kUnsignedFormat, value), decimals);
}

template <class C, class O>
StringT<C, O> StringT<C, O>::FromDouble(double value, int decimals)
{
    if (decimals >= 0)
    {
        const StringT format = CreateFormatted(Chars<C>::kPrecisionFormat, decimals);
        return CreateFormatted(format.GetBuffer(), value);
    }
    return CreateFormatted(Chars<C>::kDoubleFormat, value);
}

template class StringT<wchar_t, char>;
template class StringT<char, wchar_t>;
} // namespace Orv
