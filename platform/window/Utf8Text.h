// UTF-8 text between the window system and the wide text of the window services.
#pragma once

#include <cstddef>
#include <string>

namespace OrvPlatform::Window::Detail
{
// The code points of UTF-8 text, one per wide character. Each ill-formed sequence (a stray or
// missing continuation byte, an overlong form, a surrogate, a value above U+10FFFF, a sequence
// cut off by the end) becomes one U+FFFD per maximal ill-formed part, and decoding goes on.
std::wstring DecodeUtf8(const char* text, std::size_t length);
// UTF-8 of wide text; a value that is no Unicode scalar value becomes U+FFFD.
std::string EncodeUtf8(const std::wstring& text);
} // namespace OrvPlatform::Window::Detail
