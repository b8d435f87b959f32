#include "platform/Shell.h"
#include "ScopedEnvironment.h"
#include "platform/Kernel.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace
{
std::wstring Folder(int id)
{
    wchar_t path[MAX_PATH];
    if (SHGetFolderPathW(nullptr, id, nullptr, SHGFP_TYPE_CURRENT, path) != S_OK)
    {
        return L"(failed)";
    }
    return path;
}

std::wstring Wide(const std::string& text)
{
    return std::wstring(text.begin(), text.end());
}

} // namespace

TEST(ShellFolders, KnownFoldersFollowTheBaseDirectoryLayout)
{
    char root[] = "/tmp/orv-folders-XXXXXX";
    ASSERT_NE(mkdtemp(root), nullptr);
    const std::string home = std::string(root) + "/home";
    OrvTest::ScopedEnvironment environment;
    environment.Set("HOME", home.c_str());
    environment.Set("XDG_DATA_HOME", nullptr);
    environment.Set("XDG_CONFIG_HOME", nullptr);
    environment.Set("XDG_DOCUMENTS_DIR", nullptr);
    environment.Set("XDG_DATA_DIRS", (std::string(root) + "/system:/usr/share").c_str());

    EXPECT_EQ(Folder(CSIDL_LOCAL_APPDATA), Wide(home + "/.local/share"));
    EXPECT_EQ(Folder(CSIDL_PERSONAL), Wide(home + "/Documents"));
    const std::vector<std::wstring> fonts = OrvPlatform::Shell::GetFontFolders();
    ASSERT_FALSE(fonts.empty());
    EXPECT_EQ(Folder(CSIDL_FONTS), fonts.front());
    // A system folder that does not exist (so cannot be written) gives the user's folder.
    EXPECT_EQ(Folder(CSIDL_COMMON_APPDATA), Wide(home + "/.local/share"));
    mkdir((std::string(root) + "/system").c_str(), 0755);
    EXPECT_EQ(Folder(CSIDL_COMMON_APPDATA), Wide(std::string(root) + "/system"));

    // Made on request, with the folders above it.
    struct stat info;
    EXPECT_NE(stat((home + "/.local/share").c_str(), &info), 0);
    EXPECT_EQ(Folder(CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE), Wide(home + "/.local/share"));
    EXPECT_EQ(stat((home + "/.local/share").c_str(), &info), 0);

    // The documents folder of the user's folder list.
    mkdir((home + "/.config").c_str(), 0700);
    std::ofstream(home + "/.config/user-dirs.dirs")
        << "# written by the desktop\nXDG_DOCUMENTS_DIR=\"$HOME/Papers\"\n";
    EXPECT_EQ(Folder(CSIDL_PERSONAL), Wide(home + "/Papers"));

    wchar_t path[MAX_PATH];
    EXPECT_EQ(SHGetFolderPathW(nullptr, 0x7F, nullptr, 0, path), E_INVALIDARG);
    EXPECT_EQ(SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, 0, nullptr), E_INVALIDARG);
    environment.Set("HOME", nullptr);
    EXPECT_EQ(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, path), E_FAIL);
    EXPECT_EQ(path[0], L'\0');
    EXPECT_EQ(std::system((std::string("rm -rf ") + root).c_str()), 0);
}

TEST(ShellFolders, DocumentsLineOfAUserFolderList)
{
    struct Case
    {
        const char* text;
        const char* expected;
    };
    const Case cases[] = {
        {"XDG_DOCUMENTS_DIR=\"$HOME/Docs\"\n", "/h/Docs"},
        {"  XDG_DOCUMENTS_DIR=\"/srv/docs\"  \r\n", "/srv/docs"},
        {"XDG_DESKTOP_DIR=\"$HOME/Desktop\"\nXDG_DOCUMENTS_DIR=\"$HOME\"", "/h"},
        {"XDG_DOCUMENTS_DIR=$HOME/Docs\n", ""},
        {"XDG_DOCUMENTS_DIR=\"relative\"\n", ""},
        {"XDG_DOCUMENTS_DIR=\"$HOMEWORK\"\n", ""},
        {"XDG_DOCUMENTS_DIR=\"a\\\"b\"\n", ""},
        {"# XDG_DOCUMENTS_DIR=\"/x\"\n", ""},
        {"", ""},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(OrvPlatform::Shell::DocumentsFolderFromUserDirs(c.text, "/h"), c.expected)
            << c.text;
    }
}

TEST(ShellFolders, TheProgramFileAndACutPath)
{
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    ASSERT_GT(length, 0u);
    const std::wstring full(path, length);
    EXPECT_EQ(full.substr(full.rfind(L'/') + 1), L"test_platform_window");
    wchar_t small[5];
    EXPECT_EQ(GetModuleFileNameW(nullptr, small, 5), 5u);
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(std::wstring(small), full.substr(0, 4));
    EXPECT_EQ(GetModuleFileNameW(reinterpret_cast<HMODULE>(1), path, MAX_PATH), 0u);
}

TEST(ShellFolders, FontFoldersComeFromFontconfigElseFromTheDataFolders)
{
    char rootName[] = "/tmp/orv-fonts-XXXXXX";
    ASSERT_NE(mkdtemp(rootName), nullptr);
    const std::string root = rootName;
    for (const char* folder : {"/a", "/a/b", "/a/b/c", "/a/a2", "/user", "/user/fonts", "/sys2",
                               "/sys2/fonts", "/sys2/fonts/x"})
    {
        ASSERT_EQ(mkdir((root + folder).c_str(), 0755), 0) << folder;
    }
    // A link to a folder already listed, and a file that is no folder.
    ASSERT_EQ(symlink((root + "/a/b").c_str(), (root + "/a/z").c_str()), 0);
    std::ofstream(root + "/a/file.ttf") << "not a folder";
    const auto writeConfig = [&](const std::string& name, const std::vector<std::string>& dirs)
    {
        std::ofstream out(root + "/" + name);
        out << "<?xml version=\"1.0\"?>\n<fontconfig>\n";
        for (const std::string& dir : dirs)
        {
            out << "<dir>" << dir << "</dir>\n";
        }
        out << "</fontconfig>\n";
        return root + "/" + name;
    };

    OrvTest::ScopedEnvironment environment;
    environment.Set("XDG_DATA_HOME", (root + "/user").c_str());
    environment.Set("XDG_DATA_DIRS", (root + "/sys1:" + root + "/sys2").c_str());

    // The configured folders that exist, each followed by the folders below it in name order.
    environment.Set(
        "FONTCONFIG_FILE",
        writeConfig("listed.conf", {root + "/missing", root + "/a", root + "/a/b"}).c_str());
    const std::vector<std::wstring> listed = {Wide(root + "/a"), Wide(root + "/a/a2"),
                                              Wide(root + "/a/b"), Wide(root + "/a/b/c")};
    EXPECT_EQ(OrvPlatform::Shell::GetFontFolders(), listed);
    EXPECT_EQ(Folder(CSIDL_FONTS), Wide(root + "/a"));

    // None of the configured folders exists: the data folders' "fonts" folders.
    environment.Set("FONTCONFIG_FILE", writeConfig("none.conf", {root + "/missing"}).c_str());
    const std::vector<std::wstring> data = {Wide(root + "/user/fonts"), Wide(root + "/sys2/fonts"),
                                            Wide(root + "/sys2/fonts/x")};
    EXPECT_EQ(OrvPlatform::Shell::GetFontFolders(), data);

    // Nothing anywhere: no folder, and the known-folder query fails.
    environment.Set("XDG_DATA_HOME", (root + "/nobody").c_str());
    environment.Set("XDG_DATA_DIRS", (root + "/sys1").c_str());
    EXPECT_TRUE(OrvPlatform::Shell::GetFontFolders().empty());
    wchar_t path[MAX_PATH];
    EXPECT_EQ(SHGetFolderPathW(nullptr, CSIDL_FONTS, nullptr, 0, path), E_FAIL);
    EXPECT_EQ(path[0], L'\0');
    EXPECT_EQ(std::system(("rm -rf " + root).c_str()), 0);
}
