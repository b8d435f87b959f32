// Fuzz target of the message in which a later start hands its command line to the running
// instance (what any process of the user's can send to the instance's socket).
//
// Input: the bytes of a message (header and text).
//
// What must hold: decoding never reads outside the bytes; a message is accepted only when its
// header announces exactly the bytes that follow, within the limit, and they are well-formed
// UTF-8 without NUL of at most the limit of characters; an accepted text encodes back to the
// same bytes; a refused message leaves the text empty and gives a reason.
#include "FuzzSupport.h"
#include "HandOverMessage.h"

#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using Orv::HandOverMessage;
    // The bytes in a block of their own, so that a read beyond them is seen.
    const std::vector<std::uint8_t> message(data, data + size);
    Orv::WString text(L"before");
    std::string error;
    const bool accepted = HandOverMessage::Decode(message.data(), message.size(), text, error);
    if (!accepted)
    {
        ORV_FUZZ_CHECK(text.IsEmpty(), "a refused message left a text");
        ORV_FUZZ_CHECK(!error.empty(), "a refused message gave no reason");
        return 0;
    }
    ORV_FUZZ_CHECK(size >= HandOverMessage::kHeaderBytes, "a message without header accepted");
    ORV_FUZZ_CHECK(size - HandOverMessage::kHeaderBytes <= HandOverMessage::kMaxTextBytes,
                   "a message beyond the limit accepted");
    ORV_FUZZ_CHECK(text.GetLength() <= HandOverMessage::kMaxCharacters,
                   "a text beyond the limit accepted");
    ORV_FUZZ_CHECK(OrvTest::IsWellFormedUtf8(message.data() + HandOverMessage::kHeaderBytes,
                                             size - HandOverMessage::kHeaderBytes),
                   "ill-formed UTF-8 accepted");
    for (std::size_t i = 0; i < text.GetLength(); ++i)
    {
        ORV_FUZZ_CHECK(text.GetBuffer()[i] != 0, "a NUL accepted");
    }
    std::vector<std::uint8_t> again;
    ORV_FUZZ_CHECK(HandOverMessage::Encode(text, again), "an accepted text does not encode");
    ORV_FUZZ_CHECK(again == message, "an accepted text encodes to other bytes");
    return 0;
}
