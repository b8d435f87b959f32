#include "HandOverMessage.h"

#include "Utilities/Storage/UtfConversion.h"

namespace Orv
{
bool HandOverMessage::Encode(const WString& text, std::vector<std::uint8_t>& out)
{
    out.clear();
    const NString utf8 = text.ToNarrow();
    const std::size_t bytes = utf8.GetLength();
    if (text.GetLength() > kMaxCharacters || bytes > kMaxTextBytes)
    {
        return false;
    }
    out.reserve(kHeaderBytes + bytes);
    for (std::size_t i = 0; i < kHeaderBytes; ++i)
    {
        out.push_back(static_cast<std::uint8_t>((bytes >> (8 * i)) & 0xFF));
    }
    const auto* begin = reinterpret_cast<const std::uint8_t*>(utf8.GetBuffer());
    out.insert(out.end(), begin, begin + bytes);
    return true;
}

bool HandOverMessage::ReadHeader(const std::uint8_t* header, std::uint32_t& byteCount,
                                 std::string& error)
{
    std::uint32_t count = 0;
    for (std::size_t i = 0; i < kHeaderBytes; ++i)
    {
        count |= static_cast<std::uint32_t>(header[i]) << (8 * i);
    }
    if (count > kMaxTextBytes)
    {
        error = "the message announces " + std::to_string(count) + " bytes, more than " +
                std::to_string(kMaxTextBytes);
        return false;
    }
    byteCount = count;
    return true;
}

bool HandOverMessage::Decode(const std::uint8_t* data, std::size_t size, WString& text,
                             std::string& error)
{
    text.Clear();
    if (data == nullptr || size < kHeaderBytes)
    {
        error = "the message is shorter than its header";
        return false;
    }
    std::uint32_t count = 0;
    if (!ReadHeader(data, count, error))
    {
        return false;
    }
    if (size - kHeaderBytes != count)
    {
        error = "the message announces " + std::to_string(count) + " bytes but holds " +
                std::to_string(size - kHeaderBytes);
        return false;
    }
    return DecodeText(data + kHeaderBytes, count, text, error);
}

bool HandOverMessage::DecodeText(const std::uint8_t* data, std::size_t size, WString& text,
                                 std::string& error)
{
    text.Clear();
    if (size > kMaxTextBytes)
    {
        error = "the text is longer than " + std::to_string(kMaxTextBytes) + " bytes";
        return false;
    }
    if (size == 0)
    {
        return true;
    }
    for (std::size_t i = 0; i < size; ++i)
    {
        if (data[i] == 0)
        {
            error = "the text holds a NUL character";
            return false;
        }
    }
    // Strict conversion: one ill-formed sequence refuses the whole text.
    std::vector<wchar_t> wide(size + 1, 0);
    const unsigned char* source = data;
    wchar_t* target = wide.data();
    const int result =
        ConvertUtf8ToWide(&source, data + size, &target, wide.data() + size, kConversionStrict);
    if (result != kConversionOK)
    {
        error = "the text is not well-formed UTF-8";
        return false;
    }
    const auto characters = static_cast<std::size_t>(target - wide.data());
    if (characters > kMaxCharacters)
    {
        error = "the text holds more than " + std::to_string(kMaxCharacters) + " characters";
        return false;
    }
    *target = 0;
    text = WString(wide.data());
    return true;
}
} // namespace Orv
