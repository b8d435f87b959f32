#include "platform/DebugApi.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <unistd.h>

namespace
{
// What the action wrote to standard error (file descriptor 2).
std::string CaptureStandardError(const std::function<void()>& action)
{
    std::FILE* capture = std::tmpfile();
    const int saved = ::dup(STDERR_FILENO);
    ::dup2(::fileno(capture), STDERR_FILENO);
    action();
    ::dup2(saved, STDERR_FILENO);
    ::close(saved);
    std::string text;
    std::rewind(capture);
    for (int c = std::fgetc(capture); c != EOF; c = std::fgetc(capture))
    {
        text += static_cast<char>(c);
    }
    std::fclose(capture);
    return text;
}
} // namespace

TEST(OutputDebugString, WritesTheTextToStandardError)
{
    EXPECT_EQ(CaptureStandardError(
                  []
                  {
                      OutputDebugStringA("narrow \xC3\xA9\n");
                      OutputDebugStringA("");
                      OutputDebugStringA(nullptr);
                      OutputDebugStringW(L"wide \u00E9 \u20AC \U0001F600\n");
                      OutputDebugStringW(nullptr);
                  }),
              "narrow \xC3\xA9\nwide \xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80\n");
}

TEST(OutputDebugString, WideValuesThatAreNoCharactersBecomeReplacementCharacters)
{
    const wchar_t text[] = {L'a',
                            static_cast<wchar_t>(0xD800),
                            L'b',
                            static_cast<wchar_t>(0x110000),
                            static_cast<wchar_t>(-1),
                            0};
    EXPECT_EQ(CaptureStandardError([&] { OutputDebugStringW(text); }), "a\xEF\xBF\xBD"
                                                                       "b\xEF\xBF\xBD\xEF\xBF\xBD");
}
