// The open-file dialog over a scripted file chooser: a fake "zenity" on PATH that notes its
// arguments and answers as the test says.
#include "TestApplication.h"

#include "System/FileDialog.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

using namespace Orv;
using namespace OrvTest;

namespace
{
class FileDialogTest : public ::testing::Test
{
protected:
    FileDialogTest()
    {
        std::string pattern = "/tmp/orv-chooser-XXXXXX";
        mFolder = ::mkdtemp(pattern.data());
        const char* path = std::getenv("PATH");
        mOldPath = path != nullptr ? path : "";
        for (const char* name : {"a.dfu", "b.dfu"})
        {
            std::ofstream(mFolder + "/" + name) << "x";
        }
    }
    ~FileDialogTest() override
    {
        setenv("PATH", mOldPath.c_str(), 1);
        OrvPlatform::Window::SetMessageBoxHandler(nullptr);
        EXPECT_EQ(std::system(("rm -rf '" + mFolder + "'").c_str()), 0);
    }

    // A chooser that prints output and ends with status.
    void InstallChooser(const std::string& output, int status)
    {
        const std::string script = mFolder + "/bin/zenity";
        ::mkdir((mFolder + "/bin").c_str(), 0755);
        std::ofstream(script) << "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > '"
                              << mFolder << "/arguments'\nprintf '%s' '" << output << "'\nexit "
                              << status << "\n";
        ::chmod(script.c_str(), 0755);
        setenv("PATH", (mFolder + "/bin:/usr/bin:/bin").c_str(), 1);
    }
    std::string Arguments() const
    {
        std::ifstream in(mFolder + "/arguments");
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    WString Path(const char* name) const
    {
        WString path;
        path.AssignUtf8((mFolder + "/" + name).c_str());
        return path;
    }

    std::string mFolder;
    std::string mOldPath;
};

WString Wide(const std::string& text)
{
    WString wide;
    wide.AssignUtf8(text.c_str());
    return wide;
}
} // namespace

TEST_F(FileDialogTest, TheChosenFileIsKept)
{
    InstallChooser(mFolder + "/a.dfu\n", 0);
    RCPtr<LFileDialog> dialog(new LFileDialog(Wide(mFolder)));
    EXPECT_EQ(dialog->GetRecord().Flags, OFN_EXPLORER | OFN_ENABLESIZING);
    ASSERT_EQ(dialog->DoModal(L"Firmware Files (*.dfu)|*.dfu|All files (*.*)|*.*|", L"dfu",
                              L"Open Firmware", false),
              S_OK);
    EXPECT_TRUE(dialog->GetPathName() == Path("a.dfu"));
    EXPECT_EQ(dialog->GetPathNames().size(), 1u);
    EXPECT_EQ(dialog->GetRecord().Flags & 0x1005u, 0x1005u);
    EXPECT_EQ(Arguments(), "--file-selection\n--title=Open Firmware\n--filename=" + mFolder +
                               "/\n--file-filter=Firmware Files (*.dfu) | *.dfu\n"
                               "--file-filter=All files (*.*) | *.*\n");
}

TEST_F(FileDialogTest, SeveralFilesComeBackAsPaths)
{
    InstallChooser(mFolder + "/a.dfu\n" + mFolder + "/b.dfu\n", 0);
    RCPtr<LFileDialog> dialog(new LFileDialog(WString()));
    ASSERT_EQ(dialog->DoModal(L"Firmware Files (*.dfu)|*.dfu;*.bin|", L"dfu", L"", true), S_OK);
    ASSERT_EQ(dialog->GetPathNames().size(), 2u);
    EXPECT_TRUE(dialog->GetPathNames()[0] == Path("a.dfu"));
    EXPECT_TRUE(dialog->GetPathNames()[1] == Path("b.dfu"));
    EXPECT_NE(Arguments().find("--multiple\n"), std::string::npos);
    EXPECT_NE(Arguments().find("| *.dfu *.bin\n"), std::string::npos);
}

TEST_F(FileDialogTest, CancelOrABadAnswerChoosesNothing)
{
    struct Case
    {
        std::string output;
        int status;
    };
    const Case cases[] = {
        {"", 1},                                          // cancelled
        {mFolder + "/missing.dfu\n", 0},                  // a file that is not there
        {mFolder + "/a.dfu\n", 5},                        // the chooser failed
        {mFolder + "/a.dfu\n" + mFolder + "/b.dfu\n", 0}, // two where one was asked
        {"", 0},                                          // nothing
    };
    for (const Case& c : cases)
    {
        InstallChooser(c.output, c.status);
        RCPtr<LFileDialog> dialog(new LFileDialog(WString()));
        EXPECT_EQ(dialog->DoModal(L"All files|*|", L"", L"", false), E_FAIL) << c.output;
        EXPECT_TRUE(dialog->GetPathName().IsEmpty()) << c.output;
    }
}

TEST_F(FileDialogTest, WithoutAChooserTheUserIsToldToNameTheFileOnTheCommandLine)
{
    setenv("PATH", (mFolder + "/nothing-here").c_str(), 1);
    std::wstring shown;
    OrvPlatform::Window::SetMessageBoxHandler(
        [&](HWND, LPCWSTR text, LPCWSTR, UINT)
        {
            shown = text;
            return IDOK;
        });
    RCPtr<LFileDialog> dialog(new LFileDialog(WString()));
    EXPECT_EQ(dialog->DoModal(L"All files|*|", L"", L"Open", false), E_FAIL);
    EXPECT_NE(shown.find(L"command line"), std::wstring::npos);
    EXPECT_EQ(CommDlgExtendedError(), CDERR_INITIALIZATION);
}
