#include "Utilities/Storage/OrvFile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using Orv::File;
using Orv::WString;

namespace
{
std::string Narrow(const WString& text)
{
    const Orv::NString narrow = text.ToNarrow();
    return std::string(narrow.GetBuffer(), narrow.GetLength());
}

WString Wide(const std::string& text)
{
    return WString(text.c_str());
}

// A fresh folder per test, removed with everything in it afterwards.
class FileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "orvfile-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        mFolder = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(mFolder); }

    std::string PathOf(const std::string& name) const { return mFolder + "/" + name; }
    WString WidePathOf(const std::string& name) const { return Wide(PathOf(name)); }

    void WriteFile(const std::string& name, const std::string& content) const
    {
        std::ofstream(PathOf(name), std::ios::binary) << content;
    }
    std::string ReadFile(const std::string& name) const
    {
        std::ifstream in(PathOf(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    std::string mFolder;
};

// The message of an exception thrown by Orv::File, up to the line number.
std::string ThrownText(const std::function<void()>& action)
{
    try
    {
        action();
    }
    catch (const Orv::Exception<std::runtime_error>& error)
    {
        const std::string text = error.what();
        return text.substr(0, text.rfind(" : Line "));
    }
    return "nothing thrown";
}

std::string Expected(const char* detail, const char* function)
{
    return std::string("Runtime Error : ") + detail + " : " + function +
           " : orvframework/Utilities/Storage/OrvFile.cpp";
}
} // namespace

TEST_F(FileTest, WritesAndReadsAtPositionsAndAtTheCurrentOne)
{
    File file(Wide(mFolder), L"fw.dfu", File::kCreate | File::kReadWrite);
    ASSERT_TRUE(file.IsOpen());
    EXPECT_EQ(Narrow(file.GetPath()), PathOf("fw.dfu"));
    EXPECT_EQ(Narrow(file.GetName()), "fw.dfu");
    EXPECT_EQ(file.GetLength(), 0);

    EXPECT_EQ(file.Write("0123456789", 10, 0), 10);
    EXPECT_EQ(file.Write("ab", 2, File::kCurrentPosition), 2);
    EXPECT_EQ(file.Write("XY", 2, 4), 2);
    EXPECT_EQ(file.GetLength(), 12);
    EXPECT_EQ(ReadFile("fw.dfu"), "0123XY6789ab");

    char buffer[16] = {};
    EXPECT_EQ(file.Read(buffer, 3, 2), 3);
    EXPECT_EQ(std::string(buffer, 3), "23X");
    // The current position is where the last read ended.
    EXPECT_EQ(file.Read(buffer, 4, File::kCurrentPosition), 4);
    EXPECT_EQ(std::string(buffer, 4), "Y678");
    // Fewer bytes at the end of the file, none past it.
    EXPECT_EQ(file.Read(buffer, 16, 8), 4);
    EXPECT_EQ(std::string(buffer, 4), "89ab");
    EXPECT_EQ(file.Read(buffer, 16, 40), 0);

    EXPECT_EQ(file.Seek(0, SEEK_END), 12);
    EXPECT_EQ(file.Seek(-2, SEEK_CUR), 10);
    EXPECT_EQ(file.Read(buffer, 2, File::kCurrentPosition), 2);
    EXPECT_EQ(std::string(buffer, 2), "ab");
    EXPECT_EQ(file.Seek(-1, SEEK_SET), -1);
}

TEST_F(FileTest, AFileOpenedWithTheDefaultFlagsIsReadOnly)
{
    WriteFile("fw.dfu", "firmware");
    File file(Wide(mFolder), L"fw.dfu");
    ASSERT_TRUE(file.IsOpen());
    EXPECT_EQ(file.GetFlags(), File::kDefault);
    EXPECT_EQ(ThrownText([&] { file.Write("x", 1, 0); }),
              Expected("file is read only", "Orv::File::Write"));
    EXPECT_EQ(ReadFile("fw.dfu"), "firmware");
}

TEST_F(FileTest, OpenFailuresLeaveTheFileClosedAndTheDiskUnchanged)
{
    WriteFile("keep.bin", "keep");
    std::filesystem::create_directory(PathOf("folder"));
    struct Case
    {
        std::string path;
        unsigned int flags;
    };
    const std::vector<Case> cases = {
        {PathOf("missing.bin"), File::kDefault},
        {PathOf("missing.bin"), File::kReadWrite},
        // Exclusive creation of a file that exists.
        {PathOf("keep.bin"), File::kCreate | File::kExclusive | File::kReadWrite},
        // A folder is not a file.
        {PathOf("folder"), File::kDefault},
        {PathOf("keep.bin/inner.bin"), File::kCreate | File::kReadWrite},
        {PathOf("nowhere/new.bin"), File::kCreate | File::kReadWrite},
    };
    for (const Case& c : cases)
    {
        File file;
        EXPECT_EQ(file.Open(Wide(c.path), L"", c.flags), E_FAIL) << c.path;
        EXPECT_FALSE(file.IsOpen()) << c.path;
        EXPECT_EQ(file.GetLength(), 0) << c.path;
    }
    EXPECT_EQ(ReadFile("keep.bin"), "keep");
    EXPECT_FALSE(std::filesystem::exists(PathOf("missing.bin")));

    // Exclusive without create has no effect of its own.
    File file(Wide(PathOf("keep.bin")), L"", File::kExclusive);
    EXPECT_TRUE(file.IsOpen());
}

TEST_F(FileTest, InputAndOutputOnAClosedFileThrow)
{
    File file(WidePathOf("missing.bin"), L"");
    const char* notOpen = "file is not open";
    char buffer[4];
    EXPECT_EQ(ThrownText([&] { file.Read(buffer, 4, 0); }), Expected(notOpen, "Orv::File::Read"));
    EXPECT_EQ(ThrownText([&] { file.Write(buffer, 4, 0); }), Expected(notOpen, "Orv::File::Write"));
    EXPECT_EQ(ThrownText([&] { file.Seek(0, SEEK_SET); }), Expected(notOpen, "Orv::File::Seek"));
    EXPECT_EQ(file.Close(), S_OK);
}

TEST_F(FileTest, OpenWithoutAPathThrowsAndASecondOpenChangesNothing)
{
    File empty;
    EXPECT_EQ(ThrownText([&] { empty.Open(L"", L"", File::kDefault); }),
              Expected("invalid pathname", "Orv::File::Open"));
    EXPECT_FALSE(empty.IsOpen());

    WriteFile("first.bin", "first");
    WriteFile("second.bin", "second");
    File file(WidePathOf("first.bin"), L"");
    EXPECT_EQ(file.Open(WidePathOf("second.bin"), L"", File::kReadWrite), S_FALSE);
    EXPECT_EQ(Narrow(file.GetPath()), PathOf("first.bin"));
    EXPECT_EQ(file.GetFlags(), File::kDefault);
    char buffer[8] = {};
    EXPECT_EQ(file.Read(buffer, 8, 0), 5);
    EXPECT_EQ(std::string(buffer, 5), "first");
}

TEST_F(FileTest, CopiesShareTheDescriptorUntilTheLastOneCloses)
{
    WriteFile("temp.bin", "scratch");
    auto original = std::make_unique<File>(WidePathOf("temp.bin"), L"",
                                           File::kReadWrite | File::kDeleteOnClose);
    ASSERT_TRUE(original->IsOpen());
    {
        File copy(*original);
        // Closing one holder while the other shares the descriptor does nothing.
        EXPECT_EQ(original->Close(), S_OK);
        EXPECT_TRUE(original->IsOpen());
        EXPECT_EQ(copy.Close(), S_OK);
        EXPECT_TRUE(copy.IsOpen());
        char buffer[7];
        EXPECT_EQ(copy.Read(buffer, 7, 0), 7);
        EXPECT_TRUE(std::filesystem::exists(PathOf("temp.bin")));
    }
    // The copy is gone: now the close is real, and the file is deleted with it.
    EXPECT_EQ(original->Close(), S_OK);
    EXPECT_FALSE(original->IsOpen());
    EXPECT_FALSE(std::filesystem::exists(PathOf("temp.bin")));

    // The last copy to be destroyed closes and deletes too.
    WriteFile("temp2.bin", "scratch");
    original = std::make_unique<File>(WidePathOf("temp2.bin"), L"", File::kDeleteOnClose);
    auto copy = std::make_unique<File>(*original);
    original.reset();
    EXPECT_TRUE(std::filesystem::exists(PathOf("temp2.bin")));
    copy.reset();
    EXPECT_FALSE(std::filesystem::exists(PathOf("temp2.bin")));
}

TEST_F(FileTest, SystemFailuresAreThrownWithTheFailingCall)
{
    // A pipe cannot seek.
    ASSERT_EQ(::mkfifo(PathOf("pipe").c_str(), 0600), 0);
    File pipe(WidePathOf("pipe"), L"", File::kReadWrite);
    ASSERT_TRUE(pipe.IsOpen());
    char buffer[8] = {};
    EXPECT_EQ(ThrownText([&] { pipe.Read(buffer, 1, 0); }), Expected("lseek", "Orv::File::Read"));
    EXPECT_EQ(ThrownText([&] { pipe.Write("x", 1, 0); }), Expected("lseek", "Orv::File::Write"));

    // A device that is always full refuses every write.
    File full(L"/dev/full", L"", File::kReadWrite);
    ASSERT_TRUE(full.IsOpen());
    EXPECT_EQ(ThrownText([&] { full.Write("x", 1, File::kCurrentPosition); }),
              Expected("write", "Orv::File::Write"));

    // The first page of the process's own memory is never mapped: reading it fails.
    File memory(L"/proc/self/mem", L"");
    ASSERT_TRUE(memory.IsOpen());
    EXPECT_EQ(ThrownText([&] { memory.Read(buffer, 8, 0); }), Expected("read", "Orv::File::Read"));
}

TEST_F(FileTest, FolderAndFileQueries)
{
    WriteFile("file.bin", "x");
    std::filesystem::create_directory(PathOf("dir"));
    struct Case
    {
        std::string path;
        bool folder;
        bool file;
    };
    const std::vector<Case> cases = {
        {PathOf("dir"), true, false},
        {PathOf("dir") + "/", true, false},
        {"/", true, false},
        {PathOf("file.bin"), false, true},
        {PathOf("file.bin") + "/", false, false},
        {PathOf("missing"), false, false},
        {"", false, false},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(Orv::FolderExists(Wide(c.path)), c.folder) << c.path;
        EXPECT_EQ(Orv::FileExists(Wide(c.path)), c.file) << c.path;
    }
}

TEST_F(FileTest, CreatingFolders)
{
    WriteFile("file.bin", "x");
    std::filesystem::create_directory(PathOf("dir"));
    EXPECT_EQ(Orv::CreateFolderIfMissing(WidePathOf("dir")), S_FALSE);
    EXPECT_EQ(Orv::CreateFolderIfMissing(WidePathOf("file.bin")), E_FAIL);
    EXPECT_EQ(Orv::CreateFolderIfMissing(WidePathOf("a/b/c")), S_OK);
    EXPECT_TRUE(std::filesystem::is_directory(PathOf("a/b/c")));
    EXPECT_EQ(Orv::CreateFolderIfMissing(WidePathOf("file.bin/sub")), E_FAIL);

    // With lastIsFile the last component is left alone.
    EXPECT_TRUE(Orv::CreateFolderChain(WidePathOf("x/y/fw.dfu").GetBuffer(), true));
    EXPECT_TRUE(std::filesystem::is_directory(PathOf("x/y")));
    EXPECT_FALSE(std::filesystem::exists(PathOf("x/y/fw.dfu")));
    EXPECT_TRUE(Orv::CreateFolderChain(L"fw.dfu", true));
    EXPECT_FALSE(std::filesystem::exists("fw.dfu"));
    EXPECT_FALSE(Orv::CreateFolderChain(WidePathOf("file.bin/y/fw.dfu").GetBuffer(), true));
    EXPECT_FALSE(Orv::CreateFolderChain(nullptr, false));
}

TEST_F(FileTest, LongPathIsTheCanonicalFormOfAnExistingPath)
{
    WriteFile("fw.dfu", "x");
    std::filesystem::create_directory(PathOf("dir"));
    std::filesystem::create_symlink(PathOf("fw.dfu"), PathOf("link.dfu"));
    const std::string canonical = std::filesystem::canonical(PathOf("fw.dfu")).string();
    EXPECT_EQ(Narrow(Orv::GetLongPath(WidePathOf("dir/../dir/./../fw.dfu"))), canonical);
    EXPECT_EQ(Narrow(Orv::GetLongPath(WidePathOf("link.dfu"))), canonical);
    EXPECT_EQ(Narrow(Orv::GetLongPath(WidePathOf("dir/../missing.dfu"))),
              PathOf("dir/../missing.dfu"));
    EXPECT_EQ(Narrow(Orv::GetLongPath(L"")), "");
}

TEST_F(FileTest, ListingFilesByPattern)
{
    for (const char* name : {"a.dfu", "B.DFU", "c.txt", "noext", "ab.dfu.bak"})
    {
        WriteFile(name, "x");
    }
    std::filesystem::create_directory(PathOf("sub.dfu"));
    std::filesystem::create_directory_symlink(PathOf("sub.dfu"), PathOf("linkdir.dfu"));
    std::filesystem::create_symlink(PathOf("a.dfu"), PathOf("link.dfu"));

    struct Case
    {
        const wchar_t* pattern;
        std::set<std::string> names;
    };
    const std::vector<Case> cases = {
        // Folders (and links to folders) are left out; letters match in either case.
        {L"*.dfu", {"a.dfu", "B.DFU", "link.dfu"}},
        {L"?.dfu", {"a.dfu", "B.DFU"}},
        {L"?.txt", {"c.txt"}},
        {L"a*", {"a.dfu", "ab.dfu.bak"}},
        {L"*.*", {"a.dfu", "B.DFU", "c.txt", "noext", "ab.dfu.bak", "link.dfu"}},
        {L"noext.*", {"noext"}},
        {L"*", {"a.dfu", "B.DFU", "c.txt", "noext", "ab.dfu.bak", "link.dfu"}},
        {L"*.ttf", {}},
    };
    for (const Case& c : cases)
    {
        Orv::Array<WString> out;
        out.AddItem(L"kept");
        const Orv::ORVRESULT result = Orv::ListFilesInFolder(Wide(mFolder), c.pattern, out);
        EXPECT_EQ(result, static_cast<Orv::ORVRESULT>(c.names.size() + 1)) << c.pattern;
        ASSERT_GE(out.GetCount(), 1u);
        EXPECT_EQ(Narrow(out.GetConstElementPointer(0)), "kept");
        std::set<std::string> found;
        for (unsigned int i = 1; i < out.GetCount(); ++i)
        {
            found.insert(Narrow(out.GetConstElementPointer(i)));
        }
        std::set<std::string> expected;
        for (const std::string& name : c.names)
        {
            expected.insert(PathOf(name));
        }
        EXPECT_EQ(found, expected) << c.pattern;
    }

    Orv::Array<WString> out;
    EXPECT_EQ(Orv::ListFilesInFolder(WidePathOf("missing"), L"*", out), E_NOTIMPL);
    EXPECT_EQ(Orv::ListFilesInFolder(WidePathOf("c.txt"), L"*", out), E_NOTIMPL);
    EXPECT_EQ(out.GetCount(), 0u);
}

TEST(PathNames, ValidFileNamesAndPathParts)
{
    EXPECT_EQ(Narrow(Orv::MakeValidFileName(L"a:b(1).bin")), "a_b_1_.bin");
    EXPECT_EQ(Narrow(Orv::MakeValidFileName(L"\\/:*?\"<>|&;,^()x")), "_______________x");

    struct Case
    {
        const wchar_t* path;
        const char* folder;
        const char* fileName;
    };
    const Case cases[] = {
        {L"a/b/c.txt", "a/b", "c.txt"},
        {L"c.txt", "c.txt", "c.txt"},
        {L"/fw.dfu", "/", "fw.dfu"},
        {L"dir/", "dir", ""},
        // A backslash is an ordinary character of a name here.
        {L"a\\b/c.txt", "a\\b", "c.txt"},
        {L"a/b\\c.txt", "a", "b\\c.txt"},
        {L"", "", ""},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(Narrow(Orv::GetPathFolder(c.path)), c.folder) << Narrow(c.path);
        EXPECT_EQ(Narrow(Orv::GetPathFileName(c.path)), c.fileName) << Narrow(c.path);
    }
}
