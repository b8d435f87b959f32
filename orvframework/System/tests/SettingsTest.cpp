// The settings files: the property-list reader and writer, the store behind the settings
// manager, its handling of damaged files, of what is no settings file, of links, of cut saves
// and of the file-size limit, and its writes under a crash.
#include "System/IniFileManager.h"
#include "System/IniFileManagerProxy.h"
#include "System/PropertyListReader.h"
#include "System/PropertyListWriter.h"
#include "System/XNode.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace Orv;

namespace
{
// A fresh folder for the test's files, removed at the end.
class TempFolder
{
public:
    TempFolder()
    {
        std::string pattern = "/tmp/orv-settings-XXXXXX";
        path = ::mkdtemp(pattern.data());
    }
    ~TempFolder()
    {
        const std::string command = "rm -rf '" + path + "'";
        EXPECT_EQ(std::system(command.c_str()), 0);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::string File(const char* name) const { return path + "/" + name; }

    std::string path;
};

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

bool Exists(const std::string& path)
{
    struct stat info
    {
    };
    return ::stat(path.c_str(), &info) == 0;
}

WString W(const std::string& utf8)
{
    WString text;
    text.AssignUtf8(utf8.c_str(), static_cast<int>(utf8.size()));
    return text;
}

// The names in a folder, sorted, without "." and "..".
std::vector<std::string> ListFolder(const std::string& path)
{
    std::vector<std::string> names;
    if (DIR* folder = ::opendir(path.c_str()))
    {
        while (const dirent* entry = ::readdir(folder))
        {
            const std::string name = entry->d_name;
            if (name != "." && name != "..")
            {
                names.push_back(name);
            }
        }
        ::closedir(folder);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Runs body in a child process and returns its wait status. The child is bounded, so that a
// store that blocks or grows without end fails the test instead of stopping or exhausting the
// machine: 10 s of alarm (never reached when the store does its work) and 512 MB of address
// space above what the process has mapped at the fork. It exits with body's result, or 99 when
// body threw.
int RunInChild(const std::function<int()>& body)
{
    const pid_t child = ::fork();
    if (child == 0)
    {
        long pages = 0;
        if (std::FILE* statm = std::fopen("/proc/self/statm", "r"))
        {
            if (std::fscanf(statm, "%ld", &pages) != 1)
            {
                pages = 0;
            }
            std::fclose(statm);
        }
        const rlim_t mapped =
            static_cast<rlim_t>(pages) * static_cast<rlim_t>(::sysconf(_SC_PAGESIZE));
        const rlimit space{mapped + (512u << 20), mapped + (512u << 20)};
        if (pages > 0)
        {
            ::setrlimit(RLIMIT_AS, &space);
        }
        ::alarm(10);
        // Nothing of the child returns into the test program.
        int code = 99;
        try
        {
            code = body();
        }
        catch (...)
        {
        }
        ::_exit(code);
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child)
    {
        return -1;
    }
    return status;
}

std::string DescribeStatus(int status)
{
    if (WIFEXITED(status))
    {
        return "exited with " + std::to_string(WEXITSTATUS(status));
    }
    if (WIFSIGNALED(status))
    {
        return std::string("ended by ") + ::strsignal(WTERMSIG(status));
    }
    return "status " + std::to_string(status);
}

std::string Document(const std::string& body)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n" + body +
           "\n</plist>\n";
}
} // namespace

TEST(PropertyListReader, ReadsEveryValueType)
{
    struct Case
    {
        const char* element;
        XNode::Type type;
        const char* text;
        std::int32_t integer;
        float real;
        bool boolean;
    };
    const Case cases[] = {
        {"<string>a &lt;b&gt; &amp; &quot;c&apos;</string>", XNode::kString, "a <b> & \"c'", 0, 0,
         false},
        {"<string>line\none</string>", XNode::kString, "line\none", 0, 0, false},
        {"<data>x&lt;y&amp;z</data>", XNode::kData, "x<y&z", 0, 0, false},
        {"<integer>42</integer>", XNode::kInteger, "", 42, 0, false},
        {"<integer>0x10</integer>", XNode::kInteger, "", 16, 0, false},
        {"<integer>010</integer>", XNode::kInteger, "", 8, 0, false},
        {"<integer>-7</integer>", XNode::kInteger, "", -7, 0, false},
        {"<integer>99999999999</integer>", XNode::kInteger, "", INT32_MAX, 0, false},
        {"<integer>junk</integer>", XNode::kInteger, "", 0, 0, false},
        {"<real>2.5</real>", XNode::kReal, "", 0, 2.5f, false},
        {"<real>1e-07</real>", XNode::kReal, "", 0, 1e-7f, false},
        {"<REAL>-3</REAL>", XNode::kReal, "", 0, -3.0f, false},
        {"<true/>", XNode::kBoolean, "", 0, 0, true},
        {"<false/>", XNode::kBoolean, "", 0, 0, false},
        {"<String>Mixed case element</String>", XNode::kString, "Mixed case element", 0, 0, false},
    };
    for (const Case& c : cases)
    {
        const std::string text =
            Document(std::string("<dict><key>v</key>") + c.element + "</dict>");
        std::string error;
        const std::unique_ptr<XNode> root = PropertyListReader::Read(text, nullptr, &error);
        ASSERT_TRUE(root) << c.element << ": " << error;
        EXPECT_EQ(root->GetType(), XNode::kDictionary);
        EXPECT_FALSE(root->HasFlag(XNode::kDirty)) << c.element;
        const XNode* value = root->Find("v");
        ASSERT_NE(value, nullptr) << c.element;
        EXPECT_EQ(value->GetType(), c.type) << c.element;
        EXPECT_EQ(value->GetText(), c.text) << c.element;
        EXPECT_EQ(value->GetInteger(), c.integer) << c.element;
        EXPECT_EQ(value->GetReal(), c.real) << c.element;
        EXPECT_EQ(value->GetBoolean(), c.boolean) << c.element;
    }
}

TEST(PropertyListReader, TextSplitByExpatIsTakenWhole)
{
    // Entity references, character references and line breaks make Expat deliver the text in
    // pieces; the key and every value type must get all of them.
    const std::string text = Document("<dict><key>a&amp;b\nc</key><data>1&lt;2\n3&#13;4</data>"
                                      "<key>n</key><integer>1&#50;3</integer></dict>");
    const std::unique_ptr<XNode> root = PropertyListReader::Read(text);
    ASSERT_TRUE(root);
    ASSERT_EQ(root->GetChildCount(), 2u);
    EXPECT_EQ(root->GetChild(0)->GetKey(), "a&b\nc");
    EXPECT_EQ(root->GetChild(0)->GetText(), "1<2\n3\r4");
    EXPECT_EQ(root->GetChild(1)->GetInteger(), 123);
}

TEST(PropertyListReader, ReadsNestingAndFlags)
{
    const std::string text = Document("<dict visible=\"TRUE\"><key>list</key><array>"
                                      "<string>x</string><dict><key>k</key><true/></dict>"
                                      "<array/></array><key>locked</key>"
                                      "<integer locked=\"true\">1</integer></dict>");
    const std::unique_ptr<XNode> root = PropertyListReader::Read(text);
    ASSERT_TRUE(root);
    EXPECT_TRUE(root->HasFlag(XNode::kVisible));
    const XNode* list = root->Find("list");
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->GetType(), XNode::kArray);
    ASSERT_EQ(list->GetChildCount(), 3u);
    EXPECT_EQ(list->GetChild(0)->GetText(), "x");
    EXPECT_TRUE(root->Find("list[1].k")->GetBoolean());
    EXPECT_EQ(list->GetChild(2)->GetType(), XNode::kArray);
    EXPECT_TRUE(root->Find("locked")->HasFlag(XNode::kLocked));
}

TEST(PropertyListReader, RefusesBadDocuments)
{
    std::string deep;
    for (int i = 0; i < 64; ++i)
    {
        deep += "<array>";
    }
    for (int i = 0; i < 64; ++i)
    {
        deep += "</array>";
    }
    std::string deepest;
    for (int i = 0; i < 63; ++i)
    {
        deepest += "<array>";
    }
    for (int i = 0; i < 63; ++i)
    {
        deepest += "</array>";
    }
    EXPECT_TRUE(PropertyListReader::Read(deepest)) << "63 levels are allowed";

    const std::string cases[] = {
        "",
        "not xml",
        "<dict><key>a</key><string>x</dict>",
        "<dict/><dict/>",
        "<plist><dict/><array/></plist>",
        deep,
        "<dict><key>a</key><string>\x01</string></dict>",
    };
    for (const std::string& text : cases)
    {
        std::string error;
        EXPECT_FALSE(PropertyListReader::Read(text, "bad.ini", &error)) << text.substr(0, 40);
        EXPECT_EQ(error.rfind("XML Load Error \"", 0), 0u) << error;
        EXPECT_NE(error.find("\" line "), std::string::npos) << error;
    }
}

TEST(PropertyListWriter, WritesTheDocumentForm)
{
    XNode root;
    root.Find("Name", XNode::kCreate)->SetString("a<b>&\"c'");
    root.Find("Flag", XNode::kCreate)->SetBoolean(true);
    root.Find("Count", XNode::kCreate)->SetInteger(-5);
    root.Find("Scale", XNode::kCreate)->SetReal(1e-7f);
    root.Find("Blob", XNode::kCreate)->SetData("<&>");
    root.Find("Empty", XNode::kCreate)->SetType(XNode::kDictionary);
    root.Find("Temporary", XNode::kCreateVolatile)->SetInteger(1);
    XNode* list = root.Find("List", XNode::kCreate);
    list->SetType(XNode::kArray);
    list->SetChildCount(1);
    list->GetChild(0)->SetString("one");
    root.Find("Name")->SetFlag(XNode::kVisible, true);

    EXPECT_EQ(PropertyListWriter::Write(root, PropertyListWriter::kHeader),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
              "<!DOCTYPE plist PUBLIC \"-//Apple Computer//DTD PLIST 1.0//EN\" "
              "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
              "<plist version=\"1.0\">\n"
              "<dict>\n"
              "\t<key>Name</key><string visible=\"true\">a&lt;b&gt;&amp;&quot;c&apos;</string>\n"
              "\t<key>Flag</key><true/>\n"
              "\t<key>Count</key><integer>-5</integer>\n"
              "\t<key>Scale</key><real>1.00000001e-07</real>\n"
              "\t<key>Blob</key><data>&lt;&amp;&gt;</data>\n"
              "\t<key>Empty</key><dict/>\n"
              "\t<key>List</key><array>\n"
              "\t\t<string>one</string>\n"
              "\t</array>\n"
              "</dict>\n"
              "</plist>\n");

    const std::string state = PropertyListWriter::Write(
        root, PropertyListWriter::kStateAttributes | PropertyListWriter::kIncludeVolatile);
    EXPECT_NE(state.find("<key>Temporary</key><integer volatile=\"true\">1</integer>"),
              std::string::npos)
        << state;
    EXPECT_NE(state.find("<dict dirty=\"true\">"), std::string::npos) << state;
}

TEST(XNode, KeysFoldOnlyAsciiLetters)
{
    XNode root;
    root.Find("Window", XNode::kCreate)->SetInteger(1);
    EXPECT_EQ(root.Find("WINDOW"), root.Find("window"));
    EXPECT_NE(root.Find("window"), nullptr);
    // Bytes that differ only in bit 0x20 but are not letters are different keys.
    const char* pairs[][2] = {{"a@", "a`"}, {"a[", "a{"},  {"a]", "a}"},
                              {"a^", "a~"}, {"a\\", "a|"}, {"a_", "a\x7f"}};
    for (const auto& pair : pairs)
    {
        EXPECT_FALSE(XNode::KeysEqual(pair[0], pair[1])) << pair[0];
    }
    EXPECT_EQ(XNode::HashKey("ABC"), XNode::HashKey("abc"));
}

TEST(XNode, PathsCreateDictionariesAndCheckIndexes)
{
    XNode root;
    root.Find("Window.Size", XNode::kCreate)->SetInteger(3);
    const XNode* window = root.Find("Window");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->GetType(), XNode::kDictionary);
    EXPECT_EQ(root.Find("Window[0]")->GetInteger(), 3);
    EXPECT_EQ(root.Find(""), &root);
    const char* refused[] = {"Window[1]", "Window[",    "Window[]",
                             "Window[x]", "Window[-1]", "Window[99999999999999999999999]",
                             "Missing"};
    for (const char* path : refused)
    {
        EXPECT_EQ(root.Find(path), nullptr) << path;
    }
    EXPECT_EQ(root.Find("Window[3].New", XNode::kCreate), nullptr);
    // A value on the way becomes a dictionary.
    root.Find("Window.Size.Width", XNode::kCreate)->SetInteger(7);
    EXPECT_EQ(root.Find("Window.Size")->GetType(), XNode::kDictionary);
}

namespace
{
class SettingsFile : public ::testing::Test
{
protected:
    IniFileHandle Open(const char* name = "UserSettings.ini", const wchar_t* section = L"")
    {
        IniFileHandle handle = 0;
        EXPECT_EQ(mStore.OpenFile(W(mFolder.File(name)), section, L"Updater", handle), 0);
        EXPECT_NE(handle, 0u);
        return handle;
    }

    TempFolder mFolder;
    CIniFileManagerProxy mStore;
};
} // namespace

TEST_F(SettingsFile, ValuesRoundTripThroughTheFile)
{
    const std::string longText(20000, 'x');
    struct Case
    {
        std::string key;
        std::string value;
    };
    const Case strings[] = {
        {"Markup", "<tag attr=\"1\">&amp; 'quoted'</tag>"},
        {"Lines", "first\r\nsecond\rthird\n"},
        {"Gr\xC3\xBC\xC3\x9F\x65", "\xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x8E\xB9"},
        {"Long", longText},
        {"Tabs", "\ta\tb"},
        {std::string(17000, 'k'), "long key"},
    };
    IniFileHandle file = Open();
    for (const Case& c : strings)
    {
        ASSERT_EQ(mStore.SetString(file, W(c.key), W(c.value)), 0) << c.key.substr(0, 20);
    }
    const int integers[] = {0, -1, INT32_MIN, INT32_MAX};
    for (int i = 0; i < 4; ++i)
    {
        ASSERT_EQ(mStore.SetInt(file, WString::CreateFormatted(L"Int%d", i), integers[i]), 0);
    }
    ASSERT_EQ(mStore.SetArrayString(file, L"List", 2, L"third"), 0);
    ASSERT_EQ(mStore.CloseFile(file, true), 0);

    file = Open();
    for (const Case& c : strings)
    {
        WString out;
        EXPECT_EQ(mStore.GetString(file, W(c.key), L"default", out), 0);
        EXPECT_TRUE(out == W(c.value)) << c.key.substr(0, 20);
    }
    for (int i = 0; i < 4; ++i)
    {
        int out = 12345;
        EXPECT_EQ(mStore.GetInt(file, WString::CreateFormatted(L"Int%d", i), 0, out), 0);
        EXPECT_EQ(out, integers[i]);
    }
    int size = 0;
    EXPECT_EQ(mStore.GetArraySize(file, L"List", size), 0);
    EXPECT_EQ(size, 3);
    WString element;
    EXPECT_EQ(mStore.GetArrayString(file, L"List", 2, element), 0);
    EXPECT_TRUE(element == L"third");
    EXPECT_EQ(mStore.GetArrayString(file, L"List", 0, element), 0);
    EXPECT_TRUE(element.IsEmpty());
}

TEST(PropertyListWriter, RealsAndDataRoundTrip)
{
    const float reals[] = {1e-7f,       3.4028235e38f, -1.17549435e-38f, 0.1f,
                           123456.789f, -0.0f,         16777217.0f};
    const std::string data[] = {"<&>\"'", "a]]>b", "line\r\n"};
    XNode root;
    for (std::size_t i = 0; i < std::size(reals); ++i)
    {
        root.Find("r" + std::to_string(i), XNode::kCreate)->SetReal(reals[i]);
    }
    for (std::size_t i = 0; i < std::size(data); ++i)
    {
        root.Find("d" + std::to_string(i), XNode::kCreate)->SetData(data[i]);
    }
    const std::string text = PropertyListWriter::Write(root, PropertyListWriter::kHeader);
    const std::unique_ptr<XNode> back = PropertyListReader::Read(text);
    ASSERT_TRUE(back) << text;
    for (std::size_t i = 0; i < std::size(reals); ++i)
    {
        const float value = back->Find("r" + std::to_string(i))->GetReal();
        EXPECT_EQ(std::memcmp(&value, &reals[i], sizeof(float)), 0) << reals[i];
    }
    for (std::size_t i = 0; i < std::size(data); ++i)
    {
        EXPECT_EQ(back->Find("d" + std::to_string(i))->GetText(), data[i]);
    }
}

TEST_F(SettingsFile, TypedReadsKeepTheDefaultOnAWrongType)
{
    WriteFile(mFolder.File("UserSettings.ini"),
              Document("<dict><key>real</key><real>2.9</real><key>negative</key><real>-2.9</real>"
                       "<key>huge</key><real>1e30</real><key>flag</key><true/>"
                       "<key>hex</key><integer>0x10</integer><key>text</key><string>7</string>"
                       "<key>empty</key><string></string><key>group</key><dict>"
                       "<key>a</key><integer>1</integer></dict></dict>"));
    const IniFileHandle file = Open();
    struct Case
    {
        const wchar_t* key;
        ORVRESULT result;
        int value;
    };
    const Case cases[] = {
        {L"real", 0, 2},    {L"negative", 0, -2}, {L"huge", -1, 99},    {L"flag", 0, 1},
        {L"hex", 0, 16},    {L"text", -1, 99},    {L"group", -1, 99},   {L"missing", 0, 99},
        {L"GROUP.A", 0, 1}, {L"group[0]", 0, 1},  {L"group[1]", 0, 99}, {L"group[", 0, 99},
    };
    for (const Case& c : cases)
    {
        int out = -12345;
        EXPECT_EQ(mStore.GetInt(file, c.key, 99, out), c.result) << c.key;
        EXPECT_EQ(out, c.value) << c.key;
    }
    WString text;
    EXPECT_EQ(mStore.GetString(file, L"text", L"d", text), 0);
    EXPECT_TRUE(text == L"7");
    EXPECT_EQ(mStore.GetString(file, L"empty", L"d", text), 0);
    EXPECT_TRUE(text == L"d");
    EXPECT_EQ(mStore.GetString(file, L"flag", L"d", text), -1);
    EXPECT_TRUE(text == L"d");
    int count = 0;
    EXPECT_EQ(mStore.GetCount(file, L"group", count), 0);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(mStore.GetCount(file, L"flag", count), 0);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(mStore.GetCount(file, L"missing", count), -1);
    WString key;
    EXPECT_EQ(mStore.GetKeyAt(file, L"group", 0, key), 0);
    EXPECT_TRUE(key == L"a");
    EXPECT_EQ(mStore.GetKeyAt(file, L"group", 1, key), -1);
    EXPECT_EQ(mStore.GetKeyAt(file, L"group", -1, key), -1);
    EXPECT_EQ(mStore.GetKeyAt(file, L"flag", 0, key), -1);
}

TEST_F(SettingsFile, ArraysAndTheirIndexesAreChecked)
{
    const IniFileHandle file = Open();
    EXPECT_EQ(mStore.SetArraySize(file, L"Recent", -1), -1);
    EXPECT_EQ(mStore.SetArrayString(file, L"Recent", -1, L"x"), -1);
    ASSERT_EQ(mStore.SetArraySize(file, L"Recent", 3), 0);
    ASSERT_EQ(mStore.SetArrayString(file, L"Recent", 1, L"b"), 0);
    WString out;
    EXPECT_EQ(mStore.GetArrayString(file, L"Recent", 3, out), -1);
    EXPECT_EQ(mStore.GetArrayString(file, L"Recent", -1, out), -1);
    EXPECT_EQ(mStore.RemoveArrayItem(file, L"Recent", 0), 0);
    EXPECT_EQ(mStore.RemoveArrayItem(file, L"Recent", 2), -1);
    EXPECT_EQ(mStore.GetArrayString(file, L"Recent", 0, out), 0);
    EXPECT_TRUE(out == L"b");
    EXPECT_EQ(mStore.SetArraySize(file, L"Recent", 1), 0);
    int size = 0;
    EXPECT_EQ(mStore.GetArraySize(file, L"Recent", size), 0);
    EXPECT_EQ(size, 1);
    EXPECT_EQ(mStore.GetArraySize(file, L"Application", size), -1);
    EXPECT_EQ(mStore.RemoveArrayItem(file, L"Application", 0), -1);
    // Text the file format cannot carry is refused, the old value kept.
    EXPECT_EQ(mStore.SetString(file, L"Recent[0]", WString(L"a\x01z")), -1);
    EXPECT_EQ(mStore.SetString(file, WString(L"bad\x02key"), L"v"), -1);
    EXPECT_EQ(mStore.GetArrayString(file, L"Recent", 0, out), 0);
    EXPECT_TRUE(out == L"b");
}

TEST_F(SettingsFile, HandlesAreCheckedAgainstTheOpenFiles)
{
    const IniFileHandle file = Open();
    IniFileHandle again = 0;
    EXPECT_EQ(mStore.OpenFile(W(mFolder.File("UserSettings.ini")), L"", L"Updater", again), 1);
    EXPECT_EQ(again, file);
    const IniFileHandle other = Open("AppSettings.ini");
    EXPECT_NE(other, file);
    int out = 0;
    WString text;
    for (const IniFileHandle bad : {0u, file + other + 100u})
    {
        EXPECT_EQ(mStore.GetInt(bad, L"x", 4, out), -3);
        EXPECT_EQ(out, 4);
        EXPECT_EQ(mStore.SetInt(bad, L"x", 1), -3);
        EXPECT_EQ(mStore.GetString(bad, L"x", L"d", text), -3);
        EXPECT_EQ(mStore.SetString(bad, L"x", L"v"), -3);
        EXPECT_EQ(mStore.SaveFile(bad), -3);
        EXPECT_EQ(mStore.CloseFile(bad, true), -3);
        EXPECT_FALSE(mStore.KeyExists(bad, L"Application"));
    }
    EXPECT_EQ(mStore.CloseFile(file, false), 0);
    EXPECT_EQ(mStore.SetInt(file, L"x", 1), -3);
    EXPECT_EQ(mStore.SetInt(other, L"x", 1), 0);
}

TEST_F(SettingsFile, ANewFileIsWrittenOnlyOnceSomethingIsSet)
{
    const std::string path = mFolder.File("UserSettings.ini");
    IniFileHandle file = Open();
    EXPECT_TRUE(mStore.KeyExists(file, L"application"));
    EXPECT_EQ(mStore.SaveFile(file), 0);
    EXPECT_FALSE(Exists(path));
    EXPECT_EQ(mStore.SetInt(file, L"CurrentSkinIndex", 2), 0);
    EXPECT_EQ(mStore.CloseAllFiles(), 0);
    const std::string text = ReadFile(path);
    EXPECT_NE(text.find("<key>Application</key><string>Updater</string>"), std::string::npos);
    EXPECT_NE(text.find("<key>CurrentSkinIndex</key><integer>2</integer>"), std::string::npos);
    // Dots of a section name do not make dictionaries.
    file = Open("UserSettings.ini", L"1.2.3");
    EXPECT_EQ(mStore.SetInt(file, L"Value", 5), 0);
    EXPECT_EQ(mStore.CloseFile(file, true), 0);
    EXPECT_NE(ReadFile(path).find("<key>1_2_3</key><dict>"), std::string::npos);
}

TEST_F(SettingsFile, ADamagedFileIsKeptAsBackupAndNeverOverwrittenByDefaults)
{
    const std::string path = mFolder.File("UserSettings.ini");
    const std::string damaged =
        Document("<dict><key>CurrentSkinIndex</key><integer>2</integer><key>Name</key>");
    WriteFile(path, damaged);
    IniFileHandle file = Open();
    int out = 0;
    EXPECT_EQ(mStore.GetInt(file, L"CurrentSkinIndex", 0, out), 0);
    EXPECT_EQ(out, 0);
    EXPECT_EQ(ReadFile(path + ".bak"), damaged);
    EXPECT_EQ(ReadFile(path), damaged) << "opening changes nothing on disk";
    EXPECT_EQ(mStore.SetInt(file, L"CurrentSkinIndex", 1), 0);
    EXPECT_EQ(mStore.CloseFile(file, true), 0);
    EXPECT_EQ(ReadFile(path + ".bak"), damaged);

    // A second damage with other bytes gets a backup of its own.
    const std::string damagedAgain = "\x00\xFF garbage";
    WriteFile(path, damagedAgain);
    file = Open();
    EXPECT_EQ(mStore.SetInt(file, L"CurrentSkinIndex", 1), 0);
    EXPECT_EQ(mStore.CloseFile(file, true), 0);
    EXPECT_EQ(ReadFile(path + ".bak"), damaged);
    EXPECT_EQ(ReadFile(path + ".bak.1"), damagedAgain);
}

TEST_F(SettingsFile, AFileThatCannotBeReadIsNeverWritten)
{
    // A folder in the file's place: it exists but cannot be read as a file.
    const std::string path = mFolder.File("UserSettings.ini");
    ASSERT_EQ(::mkdir(path.c_str(), 0755), 0);
    const IniFileHandle file = Open();
    EXPECT_EQ(mStore.SetInt(file, L"CurrentSkinIndex", 1), 0);
    EXPECT_EQ(mStore.SaveFile(file), -1);
    EXPECT_EQ(mStore.CloseFile(file, true), -1);
    struct stat info
    {
    };
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
}

TEST_F(SettingsFile, AFailedWriteLeavesTheOldFileAndTheDirtyState)
{
    const std::string path = mFolder.File("Sub/UserSettings.ini");
    ASSERT_EQ(::mkdir(mFolder.File("Sub").c_str(), 0755), 0);
    IniFileHandle file = 0;
    ASSERT_EQ(mStore.OpenFile(W(path), L"", L"Updater", file), 0);
    EXPECT_EQ(mStore.SetInt(file, L"A", 1), 0);
    EXPECT_EQ(mStore.SaveFile(file), 0);
    const std::string saved = ReadFile(path);
    EXPECT_EQ(mStore.SetInt(file, L"A", 2), 0);
    // The folder goes away: the write fails and reports it.
    ASSERT_EQ(std::system(("rm -rf '" + mFolder.File("Sub") + "'").c_str()), 0);
    EXPECT_EQ(mStore.SaveFile(file), -1);
    ASSERT_EQ(::mkdir(mFolder.File("Sub").c_str(), 0755), 0);
    EXPECT_EQ(mStore.SaveFile(file), 0) << "still dirty after the failure";
    EXPECT_NE(ReadFile(path).find("<integer>2</integer>"), std::string::npos);
    EXPECT_NE(saved, ReadFile(path));
}

TEST_F(SettingsFile, CloseAllFilesReportsAFailedWriteAndStillWritesTheOthers)
{
    // A folder in the place of the second file: it is never written.
    ASSERT_EQ(::mkdir(mFolder.File("Blocked.ini").c_str(), 0755), 0);
    const IniFileHandle first = Open("UserSettings.ini");
    const IniFileHandle blocked = Open("Blocked.ini");
    EXPECT_EQ(mStore.SetInt(first, L"A", 1), 0);
    EXPECT_EQ(mStore.SetInt(blocked, L"A", 1), 0);
    EXPECT_EQ(mStore.CloseAllFiles(), -1);
    EXPECT_NE(ReadFile(mFolder.File("UserSettings.ini")).find("<integer>1</integer>"),
              std::string::npos);
    EXPECT_FALSE(mStore.KeyExists(first, L"A")) << "every file is closed";
    EXPECT_EQ(mStore.CloseAllFiles(), 0);
}

// What stands in the place of the settings file and is no settings file to read: the store opens
// without blocking or reading without end, keeps the defaults and never writes the thing.
TEST(SettingsFileSystem, WhatIsNoRegularFileOrTooLargeIsKeptAsItIs)
{
    struct Case
    {
        const char* name;
        std::function<bool(const std::string&)> make;
        // The thing as the test sees it afterwards: type and size.
        mode_t type;
    };
    const Case cases[] = {
        {"a pipe", [](const std::string& path) { return ::mkfifo(path.c_str(), 0600) == 0; },
         S_IFIFO},
        {"a link to an endless device",
         [](const std::string& path) { return ::symlink("/dev/zero", path.c_str()) == 0; },
         S_IFLNK},
        {"a file larger than any settings file",
         [](const std::string& path)
         {
             const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
             const bool made =
                 fd >= 0 && ::ftruncate(fd, CIniFileManagerProxy::kMaximumFileSize + 1) == 0;
             return ::close(fd) == 0 && made;
         },
         S_IFREG},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        const std::string path = folder.File("UserSettings.ini");
        ASSERT_TRUE(c.make(path));
        struct stat before
        {
        };
        ASSERT_EQ(::lstat(path.c_str(), &before), 0);
        const int status = RunInChild(
            [&path]
            {
                CIniFileManagerProxy store;
                IniFileHandle file = 0;
                if (store.OpenFile(W(path), L"", L"Updater", file) != 0)
                {
                    return 10;
                }
                int index = 0;
                if (store.GetInt(file, L"CurrentSkinIndex", 7, index) != 0 || index != 7)
                {
                    return 11;
                }
                if (store.SetInt(file, L"CurrentSkinIndex", 2) != 0 || store.SaveFile(file) != -1)
                {
                    return 12;
                }
                return store.CloseAllFiles() == -1 ? 0 : 13;
            });
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << DescribeStatus(status);
        struct stat after
        {
        };
        ASSERT_EQ(::lstat(path.c_str(), &after), 0);
        EXPECT_EQ(after.st_mode & S_IFMT, c.type);
        EXPECT_EQ(after.st_size, before.st_size);
        EXPECT_EQ(ListFolder(folder.path), std::vector<std::string>{"UserSettings.ini"})
            << "no backup and no temporary file";
    }
}

// A settings path that is a symbolic link (relative or absolute, through another link, or to a
// file not made yet) is saved through to its target: the link stays as it was.
TEST_F(SettingsFile, SavingThroughALinkWritesTheTargetAndKeepsTheLink)
{
    ASSERT_EQ(::mkdir(mFolder.File("real").c_str(), 0755), 0);
    ASSERT_EQ(::mkdir(mFolder.File("links").c_str(), 0755), 0);
    WriteFile(mFolder.File("real/Settings.ini"),
              Document("<dict><key>Kept</key><string>yes</string></dict>"));
    struct Case
    {
        const char* link;
        std::string target; // as the link holds it
        const char* file;   // the file that is written, under real/
    };
    const Case cases[] = {
        {"links/Relative.ini", "../real/Settings.ini", "Settings.ini"},
        {"links/Absolute.ini", mFolder.File("real/Settings.ini"), "Settings.ini"},
        {"links/Chained.ini", "Relative.ini", "Settings.ini"},
        {"links/NotYetMade.ini", "../real/New.ini", "New.ini"},
    };
    int value = 0;
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.link);
        const std::string link = mFolder.File(c.link);
        ASSERT_EQ(::symlink(c.target.c_str(), link.c_str()), 0);
        IniFileHandle file = 0;
        ASSERT_EQ(mStore.OpenFile(W(link), L"", L"Updater", file), 0);
        EXPECT_EQ(mStore.SetInt(file, L"Value", ++value), 0);
        EXPECT_EQ(mStore.CloseFile(file, true), 0);

        char held[4096] = {};
        ASSERT_GT(::readlink(link.c_str(), held, sizeof(held) - 1), 0) << "still a link";
        EXPECT_EQ(std::string(held), c.target);
        const std::string written = ReadFile(mFolder.File("real/") + c.file);
        EXPECT_NE(written.find("<integer>" + std::to_string(value) + "</integer>"),
                  std::string::npos);
        if (std::string(c.file) == "Settings.ini")
        {
            EXPECT_NE(written.find("<string>yes</string>"), std::string::npos);
        }
    }
    EXPECT_EQ(ListFolder(mFolder.File("real")),
              (std::vector<std::string>{"New.ini", "Settings.ini"}));

    // A link to itself is no file: it is kept, and the save fails.
    const std::string loop = mFolder.File("links/Loop.ini");
    ASSERT_EQ(::symlink("Loop.ini", loop.c_str()), 0);
    IniFileHandle file = 0;
    ASSERT_EQ(mStore.OpenFile(W(loop), L"", L"Updater", file), 0);
    EXPECT_EQ(mStore.SetInt(file, L"Value", 1), 0);
    EXPECT_EQ(mStore.SaveFile(file), -1);
    EXPECT_EQ(ListFolder(mFolder.File("links")),
              (std::vector<std::string>{"Absolute.ini", "Chained.ini", "Loop.ini", "NotYetMade.ini",
                                        "Relative.ini"}));
}

// Before a save, the temporary files that cut saves of the same file left are removed: only
// names of the store's own pattern, only regular files of this user, and none that a save in
// progress holds.
TEST_F(SettingsFile, TemporariesOfCutSavesAreRemovedBeforeTheNextSave)
{
    const std::string prefix =
        std::string("UserSettings.ini") + CIniFileManagerProxy::kTemporaryInfix;
    const std::string removed[] = {prefix + "abc123", prefix + "ZZ9xy0"};
    for (const std::string& name : removed)
    {
        WriteFile(mFolder.File(name.c_str()), "<dict><key>Cut</key><integer>");
    }
    WriteFile(mFolder.File("precious"), "the user's own");
    std::vector<std::string> kept = {
        "UserSettings.ini.backup",
        "Other.ini" + std::string(CIniFileManagerProxy::kTemporaryInfix) + "abc123",
        prefix + "abc12",
        prefix + "abc1234",
        prefix + "ab-123",
        prefix + "held00",
        prefix + "folder",
        prefix + "link00",
        prefix + "pipe00",
        "precious",
    };
    for (const std::string& name : kept)
    {
        if (name.find("folder") != std::string::npos)
        {
            ASSERT_EQ(::mkdir(mFolder.File(name.c_str()).c_str(), 0755), 0);
        }
        else if (name.find("link00") != std::string::npos)
        {
            ASSERT_EQ(::symlink("precious", mFolder.File(name.c_str()).c_str()), 0);
        }
        else if (name.find("pipe00") != std::string::npos)
        {
            ASSERT_EQ(::mkfifo(mFolder.File(name.c_str()).c_str(), 0600), 0);
        }
        else if (name != "precious")
        {
            WriteFile(mFolder.File(name.c_str()), "other bytes");
        }
    }
    // Another user's file of the pattern is kept (only a privileged test can make one).
    const std::string foreign = prefix + "other0";
    WriteFile(mFolder.File(foreign.c_str()), "another user's");
    if (::chown(mFolder.File(foreign.c_str()).c_str(), ::geteuid() + 1, static_cast<gid_t>(-1)) ==
        0)
    {
        kept.push_back(foreign);
    }
    else
    {
        ASSERT_EQ(::unlink(mFolder.File(foreign.c_str()).c_str()), 0);
    }
    // A save in progress holds its temporary file locked.
    const int held =
        ::open(mFolder.File((prefix + "held00").c_str()).c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);

    const IniFileHandle file = Open();
    EXPECT_EQ(mStore.SetInt(file, L"A", 1), 0);
    EXPECT_EQ(mStore.SaveFile(file), 0);
    ::close(held);

    kept.push_back("UserSettings.ini");
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(ListFolder(mFolder.path), kept);
    EXPECT_EQ(ReadFile(mFolder.File("precious")), "the user's own");
}

// Under a file-size limit too small for the file, a save in a process that keeps the default
// action of SIGXFSZ is ended by it and leaves a partial temporary file; in a process that ignores
// it, as the updater does, the save fails with EFBIG and reports it, its temporary file and the
// one left before are removed, and the old file stays whole.
TEST(SettingsFileSystem, ASavePastTheFileSizeLimitFailsAndLeavesNothing)
{
    TempFolder folder;
    const std::string path = folder.File("UserSettings.ini");
    {
        CIniFileManagerProxy store;
        IniFileHandle file = 0;
        ASSERT_EQ(store.OpenFile(W(path), L"", L"Updater", file), 0);
        ASSERT_EQ(store.SetInt(file, L"Generation", 1), 0);
        ASSERT_EQ(store.CloseAllFiles(), 0);
    }
    const std::string saved = ReadFile(path);
    ASSERT_LT(saved.size(), 4096u);
    const auto saveBeyondTheLimit = [&path](bool ignoreSignal)
    {
        return [&path, ignoreSignal]
        {
            if (ignoreSignal)
            {
                std::signal(SIGXFSZ, SIG_IGN);
            }
            const rlimit limit{4096, 4096};
            if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
            {
                return 20;
            }
            CIniFileManagerProxy store;
            IniFileHandle file = 0;
            if (store.OpenFile(W(path), L"", L"Updater", file) != 0)
            {
                return 21;
            }
            store.SetInt(file, L"Generation", 2);
            for (int k = 0; k < 100; ++k)
            {
                store.SetString(file, WString::CreateFormatted(L"Key%d", k),
                                L"a value long enough to pass the limit");
            }
            if (store.SaveFile(file) != -1)
            {
                return 22;
            }
            return store.CloseAllFiles() == -1 ? 0 : 23;
        };
    };

    const int killed = RunInChild(saveBeyondTheLimit(false));
    ASSERT_TRUE(WIFSIGNALED(killed) && WTERMSIG(killed) == SIGXFSZ) << DescribeStatus(killed);
    EXPECT_EQ(ReadFile(path), saved);
    ASSERT_EQ(ListFolder(folder.path).size(), 2u) << "the cut save left its temporary file";

    const int refused = RunInChild(saveBeyondTheLimit(true));
    EXPECT_TRUE(WIFEXITED(refused) && WEXITSTATUS(refused) == 0) << DescribeStatus(refused);
    EXPECT_EQ(ReadFile(path), saved);
    EXPECT_EQ(ListFolder(folder.path), std::vector<std::string>{"UserSettings.ini"});
}

TEST(IniFileManager, ForwardsToItsStoreAndFailsWithoutOne)
{
    TempFolder folder;
    RCPtr<LIniFileManager> manager(new LIniFileManager());
    IniFileHandle file = 0;
    ASSERT_EQ(manager->OpenFile(W(folder.File("a.ini")), L"", L"App", file), 0);
    EXPECT_EQ(manager->SetInt(file, L"x", 3), 0);
    int out = 0;
    EXPECT_EQ(manager->GetInt(file, L"x", 0, out), 0);
    EXPECT_EQ(out, 3);
    EXPECT_EQ(manager->CloseAllFiles(), 0);
    EXPECT_NE(ReadFile(folder.File("a.ini")).find("<integer>3</integer>"), std::string::npos);

    class StorelessManager : public LIniFileManager
    {
    public:
        StorelessManager()
            : LIniFileManager(NoStore{})
        {
        }
    };
    RCPtr<LIniFileManager> storeless(new StorelessManager());
    EXPECT_EQ(storeless->OpenFile(W(folder.File("b.ini")), L"", L"App", file), -1);
    EXPECT_EQ(storeless->GetInt(1, L"x", 7, out), -1);
    EXPECT_EQ(out, 7);
    WString text;
    EXPECT_EQ(storeless->GetString(1, L"x", L"d", text), -1);
    EXPECT_TRUE(text == L"d");
    EXPECT_EQ(storeless->SetString(1, L"x", L"v"), -1);
    EXPECT_FALSE(storeless->KeyExists(1, L"x"));
    EXPECT_EQ(storeless->CloseAllFiles(), -1);
    EXPECT_FALSE(Exists(folder.File("b.ini")));
}

// A writer killed at random moments: after every kill the file holds one complete set of
// values, the old or the new.
TEST(SettingsCrash, AKilledWriterLeavesTheOldOrTheNewFile)
{
    TempFolder folder;
    const std::string path = folder.File("UserSettings.ini");
    constexpr int kKeys = 50;
    std::mt19937 random(2026);
    std::uniform_int_distribution<int> delayUs(0, 3000);
    int lastSeen = -1;
    for (int round = 0; round < 200; ++round)
    {
        // The writer reports through the pipe when it has read the file, and in the first round
        // also its first completed save (so that there is a file); the kill comes at a random
        // moment after that, mostly in the middle of a save.
        int saved[2];
        ASSERT_EQ(::pipe(saved), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0)
        {
            ::close(saved[0]);
            CIniFileManagerProxy store;
            IniFileHandle file = 0;
            if (store.OpenFile(W(path), L"", L"Crash", file) != 0)
            {
                ::_exit(2);
            }
            int generation = 0;
            store.GetInt(file, L"Generation", 0, generation);
            const char ready = 1;
            if (round > 0 && ::write(saved[1], &ready, 1) != 1)
            {
                ::_exit(4);
            }
            for (;;)
            {
                ++generation;
                store.SetInt(file, L"Generation", generation);
                for (int k = 0; k < kKeys; ++k)
                {
                    store.SetInt(file, WString::CreateFormatted(L"Key%d", k), generation);
                }
                if (store.SaveFile(file) != 0)
                {
                    ::_exit(3);
                }
                if (round == 0 && generation == 1 && ::write(saved[1], &ready, 1) != 1)
                {
                    ::_exit(4);
                }
            }
        }
        ::close(saved[1]);
        char done = 0;
        ASSERT_EQ(::read(saved[0], &done, 1), 1) << "the writer did not start";
        ::usleep(static_cast<useconds_t>(delayUs(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ::close(saved[0]);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer ended by itself: " << status;

        ASSERT_TRUE(Exists(path)) << "round " << round;
        const std::string text = ReadFile(path);
        std::string error;
        const std::unique_ptr<XNode> root = PropertyListReader::Read(text, nullptr, &error);
        ASSERT_TRUE(root) << "round " << round << ": " << error;
        const XNode* generation = root->Find("Generation");
        ASSERT_NE(generation, nullptr) << "round " << round;
        for (int k = 0; k < kKeys; ++k)
        {
            const XNode* value = root->Find("Key" + std::to_string(k));
            ASSERT_NE(value, nullptr) << "round " << round;
            ASSERT_EQ(value->GetInteger(), generation->GetInteger()) << "round " << round;
        }
        ASSERT_GE(generation->GetInteger(), lastSeen);
        lastSeen = generation->GetInteger();
        ASSERT_FALSE(Exists(path + ".bak")) << "a complete file was never taken for damaged";
    }
    EXPECT_GT(lastSeen, 0);

    // The next save removes what the cut saves left.
    CIniFileManagerProxy store;
    IniFileHandle file = 0;
    ASSERT_EQ(store.OpenFile(W(path), L"", L"Crash", file), 0);
    EXPECT_EQ(store.SetInt(file, L"Generation", lastSeen + 1), 0);
    EXPECT_EQ(store.SaveFile(file), 0);
    EXPECT_EQ(ListFolder(folder.path), std::vector<std::string>{"UserSettings.ini"});
}
