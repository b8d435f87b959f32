// The message of a command line handed over: what is sent arrives as it was; what another
// process could send wrongly is refused.
#include "HandOverMessage.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
using Orv::HandOverMessage;
using Orv::WString;

std::vector<std::uint8_t> Message(std::uint32_t announced, const std::string& bytes)
{
    std::vector<std::uint8_t> out;
    for (int i = 0; i < 4; ++i)
    {
        out.push_back(static_cast<std::uint8_t>(announced >> (8 * i)));
    }
    out.insert(out.end(), bytes.begin(), bytes.end());
    return out;
}

TEST(HandOverMessage, RoundTripKeepsTheText)
{
    const std::wstring texts[] = {
        L"",
        L"/opt/updater -SILENT",
        L"\"/opt/my updater\" -ABSOLUTE_FIRMWARE_FILE_PATH=/tmp/\u00E9t\u00E9.dfu \U0001F600",
        std::wstring(HandOverMessage::kMaxCharacters, L'x'),
    };
    for (const std::wstring& text : texts)
    {
        std::vector<std::uint8_t> message;
        ASSERT_TRUE(HandOverMessage::Encode(WString(text.c_str()), message));
        WString decoded(L"old");
        std::string error;
        EXPECT_TRUE(HandOverMessage::Decode(message.data(), message.size(), decoded, error))
            << error;
        EXPECT_EQ(std::wstring(decoded.GetBuffer(), decoded.GetLength()), text);
    }
}

TEST(HandOverMessage, RefusesWhatIsNotACommandLine)
{
    struct Case
    {
        const char* what;
        std::vector<std::uint8_t> message;
    };
    std::vector<std::uint8_t> cut = Message(10, "short");
    const Case cases[] = {
        {"no header", {0x01, 0x00}},
        {"fewer bytes than announced", cut},
        {"more bytes than announced", Message(2, "abc")},
        {"announced beyond the limit", Message(HandOverMessage::kMaxTextBytes + 1, "")},
        {"announced 4 GB", Message(0xFFFFFFFFu, "abc")},
        {"a NUL inside", Message(3, std::string("a\0b", 3))},
        {"ill-formed UTF-8", Message(2, "\xC3(")},
        {"a cut sequence", Message(1, "\xE2")},
        {"an encoded surrogate", Message(3, "\xED\xA0\x80")},
        {"beyond U+10FFFF", Message(4, "\xF4\x90\x80\x80")},
        {"an overlong form", Message(2, "\xC0\xAF")},
        {"too many characters", Message(HandOverMessage::kMaxCharacters + 1,
                                        std::string(HandOverMessage::kMaxCharacters + 1, 'x'))},
    };
    for (const Case& c : cases)
    {
        WString text(L"kept?");
        std::string error;
        EXPECT_FALSE(HandOverMessage::Decode(c.message.data(), c.message.size(), text, error))
            << c.what;
        EXPECT_TRUE(text.IsEmpty()) << c.what;
        EXPECT_FALSE(error.empty()) << c.what;
    }
}

TEST(HandOverMessage, TooLongATextIsNotEncoded)
{
    std::vector<std::uint8_t> message{1, 2, 3};
    const std::wstring text(HandOverMessage::kMaxCharacters + 1, L'x');
    EXPECT_FALSE(HandOverMessage::Encode(WString(text.c_str()), message));
    EXPECT_TRUE(message.empty());
}
} // namespace
