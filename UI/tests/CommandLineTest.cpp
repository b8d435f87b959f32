// The command line from the arguments, and the debug option read from it.
#include "CommandLine.h"
#include "DebugConsoleOption.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
using Orv::DebugConsoleOption;

std::string Narrow(const Orv::WString& text)
{
    return text.ToNarrow().GetBuffer();
}

TEST(CommandLine, FromArgumentsTable)
{
    struct Case
    {
        std::vector<const char*> arguments;
        std::string expected;
    };
    const Case cases[] = {
        {{"/opt/updater"}, "/opt/updater"},
        {{"/opt/updater", "-SILENT", "-ALWAYS_UPDATE"}, "/opt/updater -SILENT -ALWAYS_UPDATE"},
        // An argument with a blank or a tab is quoted, so that it stays one value.
        {{"/opt/my updater", "-ABSOLUTE_FIRMWARE_FILE_PATH=/tmp/a b.dfu"},
         "\"/opt/my updater\" \"-ABSOLUTE_FIRMWARE_FILE_PATH=/tmp/a b.dfu\""},
        {{"u", "tab\there"}, "u \"tab\there\""},
        // An empty argument stays an argument.
        {{"u", "", "-SILENT"}, "u \"\" -SILENT"},
        // Quotes the caller put in are kept as they are.
        {{"u", "-FIRMWARE_IMAGE_NAME=\"x.dfu\""}, "u -FIRMWARE_IMAGE_NAME=\"x.dfu\""},
        // UTF-8 stays the same characters.
        {{"u", "-FIRMWARE_IMAGE_NAME=\xC3\xA9t\xC3\xA9.dfu"},
         "u -FIRMWARE_IMAGE_NAME=\xC3\xA9t\xC3\xA9.dfu"},
        // A byte that is not UTF-8 becomes U+FFFD, never a cut line.
        {{"u",
          "a\xFF"
          "b",
          "-SILENT"},
         "u a\xEF\xBF\xBD"
         "b -SILENT"},
        {{}, ""},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(
            Narrow(Orv::BuildCommandLine(static_cast<int>(c.arguments.size()), c.arguments.data())),
            c.expected)
            << c.expected;
    }
    const Orv::WString line =
        Orv::BuildCommandLine(2, std::vector<const char*>{"u", "\xC3\xA9"}.data());
    EXPECT_EQ(line.GetLength(), 3u);
    EXPECT_EQ(line.GetBuffer()[2], L'\u00E9');
}

TEST(DebugConsoleOption, Table)
{
    struct Case
    {
        const char* line;
        DebugConsoleOption::Kind kind;
        int port;
        const char* host;
    };
    const Case cases[] = {
        {"updater", DebugConsoleOption::kNone, 0, ""},
        {"updater -SILENT", DebugConsoleOption::kNone, 0, ""},
        {"updater -DEBUG_CONSOLE", DebugConsoleOption::kConsole, 0, ""},
        {"updater -debug_Console -SILENT", DebugConsoleOption::kConsole, 0, ""},
        {"updater -DEBUG_CONSOLE:5000", DebugConsoleOption::kUdp, 5000, ""},
        {"updater -debug_console:5000 -SILENT", DebugConsoleOption::kUdp, 5000, ""},
        {"updater -DEBUG_CONSOLE:5000:logs.example.org", DebugConsoleOption::kUdp, 5000,
         "LOGS.EXAMPLE.ORG"},
        {"updater -DEBUG_CONSOLE:65535:127.0.0.1 -SILENT", DebugConsoleOption::kUdp, 65535,
         "127.0.0.1"},
        {"updater -DEBUG_CONSOLE:10", DebugConsoleOption::kUdp, 10, ""},
        // A one-character port sets nothing and opens no console.
        {"updater -DEBUG_CONSOLE:5", DebugConsoleOption::kIgnored, 0, ""},
        {"updater -DEBUG_CONSOLE:", DebugConsoleOption::kIgnored, 0, ""},
        {"updater -DEBUG_CONSOLE: 5000", DebugConsoleOption::kIgnored, 0, ""},
        // Ports outside 1 to 65535, or not plain digits, are refused, not wrapped or cut.
        {"updater -DEBUG_CONSOLE:00", DebugConsoleOption::kIgnored, 0, ""},
        {"updater -DEBUG_CONSOLE:65536", DebugConsoleOption::kIgnored, 0, ""},
        {"updater -DEBUG_CONSOLE:99999999999", DebugConsoleOption::kIgnored, 0, ""},
        {"updater -DEBUG_CONSOLE:-5000", DebugConsoleOption::kIgnored, 0, ""},
        {"updater -DEBUG_CONSOLE:+5000", DebugConsoleOption::kIgnored, 0, ""},
        {"updater -DEBUG_CONSOLE:50x0", DebugConsoleOption::kIgnored, 0, ""},
        {"updater -DEBUG_CONSOLE:5000abc", DebugConsoleOption::kIgnored, 0, ""},
        {"updater -DEBUG_CONSOLE:0x1388", DebugConsoleOption::kIgnored, 0, ""},
        // A host with characters no host name has is refused.
        {"updater -DEBUG_CONSOLE:5000:a/b", DebugConsoleOption::kIgnored, 0, ""},
        {"updater -DEBUG_CONSOLE:5000:host:more", DebugConsoleOption::kIgnored, 0, ""},
        // An empty host is the debug output's own.
        {"updater -DEBUG_CONSOLE:5000:", DebugConsoleOption::kUdp, 5000, ""},
    };
    for (const Case& c : cases)
    {
        const DebugConsoleOption option = DebugConsoleOption::Parse(Orv::NString(c.line));
        EXPECT_EQ(option.kind, c.kind) << c.line;
        EXPECT_EQ(option.port, c.port) << c.line;
        EXPECT_EQ(option.host, c.host) << c.line;
    }
}
} // namespace
