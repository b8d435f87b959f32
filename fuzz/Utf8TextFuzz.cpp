// Typed text from the window system: every byte sequence decodes to scalar values, and the
// decoded text survives a trip through UTF-8.
#include "Utf8Text.h"

#include <cstdint>
#include <cstdlib>

using namespace OrvPlatform::Window::Detail;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::wstring decoded = DecodeUtf8(reinterpret_cast<const char*>(data), size);
    for (wchar_t c : decoded)
    {
        const auto value = static_cast<char32_t>(c);
        if (value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        {
            std::abort();
        }
    }
    const std::string encoded = EncodeUtf8(decoded);
    if (DecodeUtf8(encoded.data(), encoded.size()) != decoded)
    {
        std::abort();
    }
    return 0;
}
