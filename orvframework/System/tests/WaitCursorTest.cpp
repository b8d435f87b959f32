// The wait cursor: the busy cursor over the active root window while the guard lives, the one it
// replaced afterwards, nested guards undone in reverse order, and the status text asked for.
#include "TestApplication.h"

#include "ControlBase/StatusBarInterface.h"
#include "System/AutoWaitCursor.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Orv;
using namespace OrvTest;

namespace
{
class WaitCursorTest : public ApplicationFixture
{
};
} // namespace

TEST_F(WaitCursorTest, NestedGuardsRestoreTheCursorsInReverseOrder)
{
    const RCPtr<LRootWindow> main = MakeMainWindow();
    const HCURSOR wait = mApplication->GetCursor(L"UI_CURSOR_WAIT");
    const HCURSOR hand = mApplication->GetCursor(L"UI_CURSOR_HAND");
    ASSERT_NE(wait, nullptr);
    ASSERT_NE(hand, nullptr);
    main->SetCursor(hand);
    {
        CAutoWaitCursor outer(WString(L"Loading..."));
        EXPECT_EQ(outer.GetRootWindow().Get(), main.Get());
        EXPECT_EQ(outer.GetReplacedCursor(), hand);
        {
            CAutoWaitCursor inner(WString(L"Still loading..."));
            EXPECT_EQ(inner.GetReplacedCursor(), wait);
            EXPECT_EQ(main->SetCursor(wait), wait);
        }
        EXPECT_EQ(main->SetCursor(wait), wait);
    }
    EXPECT_EQ(main->SetCursor(hand), hand);
    // The framework has no status bar to show the text in.
    EXPECT_EQ(mApplication->SetStatusText(WString(L"x"), true), E_FAIL);
}

TEST(WaitCursor, WithoutAWindowOnlyTheTextIsAskedFor)
{
    GdiplusSession gdiplus;
    const RCPtr<LControlFactory> factory = MakeFactory(nullptr);
    RCPtr<TestApplication> application(new TestApplication(factory));
    {
        CAutoWaitCursor wait(WString(L"Loading Skin..."));
        EXPECT_FALSE(wait.GetRootWindow());
    }
    application->ReleaseServices();
    application = nullptr;
    SetControlFactory(nullptr);
}

namespace
{
// A status bar that writes down how each text reached it.
class RecordingStatusBar : public LControl, public IStatusBar
{
public:
    RecordingStatusBar()
        : LControl(RCPtr<LControl>(), WString(L"statusBar"))
    {
    }
    ORVRESULT SetStatusText(const WString& text) override
    {
        texts.push_back("at once: " + std::string(text.ToNarrow().GetBuffer()));
        return S_OK;
    }
    ORVRESULT QueueStatusText(const WString& text) override
    {
        texts.push_back("posted: " + std::string(text.ToNarrow().GetBuffer()));
        return S_OK;
    }
    WString GetDefaultText() const override { return WString(L"Ready"); }

    std::vector<std::string> texts;
};

class StatusBarApplication : public TestApplication
{
public:
    using TestApplication::TestApplication;
    ORVRESULT GetStatusBar(RCPtr<LControl>& out) override
    {
        out = bar;
        return S_OK;
    }
    RCPtr<RecordingStatusBar> bar{new RecordingStatusBar()};
};
} // namespace

// The text is posted and drawn by the guard's idle pass; the previous one comes back at once.
TEST(WaitCursor, TheTextIsPostedAndTheOldOneRestoredAtOnce)
{
    GdiplusSession gdiplus;
    const RCPtr<LControlFactory> factory = MakeFactory(nullptr);
    RCPtr<StatusBarApplication> application(new StatusBarApplication(factory));
    {
        CAutoWaitCursor wait(WString(L"Loading Skin..."));
        EXPECT_EQ(application->bar->texts, std::vector<std::string>{"posted: Loading Skin..."});
    }
    EXPECT_EQ(application->bar->texts,
              (std::vector<std::string>{"posted: Loading Skin...", "at once: Ready"}));
    application->bar = nullptr;
    application->ReleaseServices();
    application = nullptr;
    SetControlFactory(nullptr);
}
