// The message in which a second start of the program hands its command line to the running
// instance: the text's byte count as four bytes (least significant first), then the text in
// UTF-8 without a terminator. The receiver answers one byte: kAccepted (taken), kBusy (well-formed
// but not taken: the receiver is busy) or kRefused (not well-formed).
//
// The message comes from another process: Decode takes nothing on trust. The count must match the
// bytes that follow, stay within kMaxTextBytes, and the text must be well-formed UTF-8 without
// NUL characters, of at most kMaxCharacters characters.
#pragma once

#include "Utilities/Storage/StringT.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace Orv
{
class HandOverMessage
{
public:
    static constexpr std::size_t kHeaderBytes = 4;
    // The longest command line, as the operating-system window takes it.
    static constexpr std::uint32_t kMaxCharacters = 32767;
    static constexpr std::uint32_t kMaxTextBytes = kMaxCharacters * 4;
    static constexpr std::uint8_t kAccepted = 1;
    static constexpr std::uint8_t kRefused = 0;
    static constexpr std::uint8_t kBusy = 2;

    // The message for the text; false (out empty) when the text is too long to be handed over.
    static bool Encode(const WString& text, std::vector<std::uint8_t>& out);
    // The byte count a header announces; false with the reason when it exceeds kMaxTextBytes.
    static bool ReadHeader(const std::uint8_t* header, std::uint32_t& byteCount,
                           std::string& error);
    // The text of a whole message (header and text); false with the reason (text emptied) for a
    // message that is refused.
    static bool Decode(const std::uint8_t* data, std::size_t size, WString& text,
                       std::string& error);
    // The text of the bytes after the header.
    static bool DecodeText(const std::uint8_t* data, std::size_t size, WString& text,
                           std::string& error);
};
} // namespace Orv
