// The clipboard service over the window layer's clipboard (SDL's offscreen driver keeps the
// system text in the process), and the edit requests reaching the focused control.
#include "TestApplication.h"

#include "System/ClipBoard.h"

#include "platform/Clipboard.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

using namespace Orv;
using namespace OrvTest;

namespace
{
// What another program does: writes the system clipboard directly.
void CopyElsewhere(const char* text)
{
    ASSERT_TRUE(OrvPlatform::Window::RunWithSdlWindow(
        nullptr, [&](SDL_Window*) { ASSERT_EQ(SDL_SetClipboardText(text), 0); }));
}

std::string SystemText()
{
    std::string text;
    OrvPlatform::Window::RunWithSdlWindow(nullptr,
                                          [&](SDL_Window*)
                                          {
                                              char* data = SDL_GetClipboardText();
                                              text = data != nullptr ? data : "";
                                              SDL_free(data);
                                          });
    return text;
}

// Another thread that holds the clipboard open until it is let go.
class ClipboardHolder
{
public:
    ClipboardHolder()
        : mThread(
              [this]
              {
                  const bool opened = OpenClipboard(nullptr) != FALSE;
                  std::unique_lock<std::mutex> lock(mLock);
                  mOpened = opened;
                  mReady = true;
                  mChanged.notify_all();
                  mChanged.wait(lock, [this] { return mRelease; });
                  if (opened)
                  {
                      CloseClipboard();
                  }
              })
    {
        std::unique_lock<std::mutex> lock(mLock);
        mChanged.wait(lock, [this] { return mReady; });
    }
    ~ClipboardHolder()
    {
        {
            std::lock_guard<std::mutex> lock(mLock);
            mRelease = true;
        }
        mChanged.notify_all();
        mThread.join();
    }
    bool Opened() const { return mOpened; }

private:
    std::mutex mLock;
    std::condition_variable mChanged;
    bool mReady = false;
    bool mRelease = false;
    bool mOpened = false;
    std::thread mThread;
};

class ClipboardTest : public ApplicationFixture
{
protected:
    RCPtr<LClipboard> mClipboard = LClipboard::Create();
};
} // namespace

TEST_F(ClipboardTest, TextRoundTripsAndIsMarkedAsOurs)
{
    const wchar_t* texts[] = {L"plain", L"h\u00e9llo <&> \"w\u00f6rld\"", L"line\r\nbreak",
                              L"\u65e5\u672c\U0001F3B9", L""};
    for (const wchar_t* text : texts)
    {
        ASSERT_EQ(mClipboard->SetText(WString(text)), S_OK);
        EXPECT_TRUE(mClipboard->GetText() == text);
        EXPECT_EQ(SystemText(), WString(text).ToNarrow().GetBuffer());
        EXPECT_EQ(IsClipboardFormatAvailable(LClipboard::kMarkerFormat) != FALSE, true);
    }
    // Another clipboard object reads what this one wrote from the system.
    ASSERT_EQ(mClipboard->SetText(WString(L"shared")), S_OK);
    EXPECT_TRUE(LClipboard::Create()->GetText() == L"shared");
}

TEST_F(ClipboardTest, AnotherProgramsTextIsReadOnceThenKept)
{
    ASSERT_EQ(mClipboard->SetText(WString(L"ours")), S_OK);
    const DWORD before = GetClipboardSequenceNumber();
    CopyElsewhere("theirs \xE2\x82\xAC");
    EXPECT_NE(GetClipboardSequenceNumber(), before);
    EXPECT_FALSE(IsClipboardFormatAvailable(LClipboard::kMarkerFormat));
    EXPECT_TRUE(mClipboard->GetText() == L"theirs \u20ac");
    {
        // With the clipboard held by another thread only the kept text can answer.
        ClipboardHolder holder;
        ASSERT_TRUE(holder.Opened());
        EXPECT_TRUE(mClipboard->GetText() == L"theirs \u20ac");
    }
    // A change is seen at the next read.
    CopyElsewhere("again");
    EXPECT_TRUE(mClipboard->GetText() == L"again");
}

TEST_F(ClipboardTest, AFailedWriteKeepsTheClipboardsRealText)
{
    ASSERT_EQ(mClipboard->SetText(WString(L"before")), S_OK);
    {
        ClipboardHolder holder;
        ASSERT_TRUE(holder.Opened());
        EXPECT_EQ(mClipboard->SetText(WString(L"never placed")), E_FAIL);
        EXPECT_TRUE(mClipboard->GetText() == L"before");
    }
    EXPECT_EQ(SystemText(), "before");
    // Losing the clipboard drops only the kept copy; the text is read anew.
    EXPECT_EQ(mClipboard->SetText(nullptr), S_OK);
    EXPECT_TRUE(mClipboard->GetText() == L"before");
}

TEST(ClipboardLayer, OnlyTheOpenerWritesAndOnlyAfterEmptying)
{
    GdiplusSession gdiplus;
    EXPECT_EQ(SetClipboardData(CF_TEXT, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_CLIPBOARD_NOT_OPEN);
    EXPECT_FALSE(CloseClipboard());
    ASSERT_TRUE(OpenClipboard(nullptr));
    EXPECT_TRUE(OpenClipboard(nullptr)) << "the opener may open again";
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 4);
    EXPECT_EQ(SetClipboardData(CF_TEXT, block), nullptr) << "not emptied by this opener";
    GlobalFree(block);
    EXPECT_TRUE(EmptyClipboard());
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_UNICODETEXT));
    EXPECT_TRUE(CloseClipboard());
}

namespace
{
// A control that takes copy and paste and notes what it performed.
class EditablePanel : public LControl
{
public:
    EditablePanel(const RCPtr<LControl>& parent, const WString& name)
        : LControl(parent, name)
    {
    }
    bool AcceptsEdit() const override { return true; }
    bool CanPerformEdit(int command) const override
    {
        return command == kEditCopy || command == kEditPaste;
    }
    ORVRESULT PerformEdit(int command) override
    {
        performed.push_back(command);
        return 0;
    }
    std::vector<int> performed;
};
} // namespace

TEST_F(ClipboardTest, EditRequestsReachTheFocusedControl)
{
    const RCPtr<LClipboard>& clipboard = mApplication->GetClipboard();
    ASSERT_TRUE(clipboard);
    ASSERT_EQ(mApplication->RunApplicationStartup(), S_OK);
    const RCPtr<LRootWindow> main = MakeMainWindow();
    const RCPtr<LNotificationCenter> center = LFrameworkApp::GetApplicationNotificationCenter();

    // No focused control that edits: a request does nothing.
    EXPECT_FALSE(clipboard->RouteEditCommand(LControl::kEditPaste));
    EXPECT_EQ(clipboard->PerformEditCommand(LControl::kEditPaste), 1);

    RCPtr<EditablePanel> panel(new EditablePanel(main->GetRootControl(), L"editor"));
    main->SetFocusControl(panel);
    ASSERT_EQ(main->GetFocusControl().Get(), panel.Get());
    ASSERT_EQ(mApplication->GetActiveRootWindow().Get(), main.Get());
    EXPECT_TRUE(clipboard->RouteEditCommand(LControl::kEditPaste));
    EXPECT_FALSE(clipboard->RouteEditCommand(LControl::kEditDelete));

    const wchar_t* requests[] = {L"NID_EDIT_PASTE_REQ", L"NID_EDIT_DELETE_REQ",
                                 L"NID_EDIT_COPY_REQ", L"NID_EDIT_CUT_REQ"};
    for (const wchar_t* request : requests)
    {
        center->PostNotification(LNotification::Create(request));
    }
    mApplication->ProcessIdle(false);
    EXPECT_EQ(panel->performed, (std::vector<int>{LControl::kEditPaste, LControl::kEditCopy}));
}
