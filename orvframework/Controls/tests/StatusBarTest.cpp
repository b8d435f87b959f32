// The status bar of a window in a root window (SDL's offscreen driver): texts posted into its own
// queue, from any thread, show at the next idle pass, only the latest of them; a text set at once
// first drains what is queued; the application's status-text operations and a wait cursor's text
// reach it; a status bar without its label shows nothing and reports it.
#include "ControlsFixture.h"

#include "ControlBase/ControlCreator.h"
#include "Controls/StatusBar.h"
#include "System/AutoWaitCursor.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

using namespace Orv;
using namespace OrvTest;

namespace
{
// A label that notes every text it is given.
class NotingLabel : public LLabel
{
public:
    NotingLabel(const RCPtr<LControl>& parent, const RCPtr<LControlDescriptor>& descriptor)
        : LLabel(parent, descriptor)
    {
    }

    ORVRESULT SetText(const WString& text) override
    {
        texts.emplace_back(text.GetBuffer());
        return LLabel::SetText(text);
    }

    std::vector<std::wstring> texts;
};

class StatusBarTest : public ControlsFixture
{
protected:
    StatusBarTest()
        : ControlsFixture("StatusBarSkin.xml")
    {
        mFactory->RegisterControlCreateFunction(WString(L"Test.NotingLabel"),
                                                &CreateControlOf<NotingLabel>);
        WString strings;
        strings.AssignUtf8(ControlsTestData("StatusBarStrings.xml").c_str());
        mFactory->LoadStringTables(strings, WString(L"::FRAMEWORK_STRINGS"), 9);
    }

    void SetUp() override
    {
        mMain = MakeMainWindow();
        ASSERT_TRUE(mMain);
        RCPtr<LControl> found;
        ASSERT_EQ(mApplication->GetStatusBar(found), S_OK);
        mBar = DynamicCast<LStatusBar>(found);
        ASSERT_TRUE(mBar);
        mLabel = DynamicCast<NotingLabel>(mBar->GetLabel());
        ASSERT_TRUE(mLabel);
        mLabel->texts.clear();
    }

    void TearDown() override
    {
        mLabel = nullptr;
        mBar = nullptr;
    }

    // One idle period's first pass, after ms of the application's clock.
    void IdlePass(DWORD ms = 33)
    {
        mApplication->GetClock()->Advance(ms);
        mApplication->ProcessIdle(true);
    }
    std::wstring Shown() const { return mLabel->GetText().GetBuffer(); }

    RCPtr<LRootWindow> mMain;
    RCPtr<LStatusBar> mBar;
    RCPtr<NotingLabel> mLabel;
};
} // namespace

TEST_F(StatusBarTest, TheSkinsTextsAndTheDefault)
{
    EXPECT_EQ(Shown(), L"Starting");
    EXPECT_EQ(mBar->GetDefaultText(), WString(L"Ready"));
    EXPECT_TRUE(mBar->IsNotFocusable(false));
    // The bar asks for the idle pass while it lives.
    EXPECT_EQ(mBar->GetIdleRequestCount(), 1);
}

TEST_F(StatusBarTest, OnlyTheLatestTextPostedBeforeAPassShows)
{
    for (const wchar_t* text : {L"Scanning...", L"Erasing...", L"Writing..."})
    {
        EXPECT_EQ(mBar->QueueStatusText(WString(text)), S_OK);
    }
    // Nothing shows before the idle pass.
    EXPECT_EQ(Shown(), L"Starting");
    EXPECT_TRUE(mLabel->texts.empty());
    IdlePass();
    EXPECT_EQ(mLabel->texts, std::vector<std::wstring>{L"Writing..."});
    EXPECT_EQ(mBar->GetCount(), 0u);
    // A later pass shows the next one.
    mBar->QueueStatusText(WString(L"Done"));
    IdlePass();
    EXPECT_EQ(mLabel->texts, (std::vector<std::wstring>{L"Writing...", L"Done"}));
}

TEST_F(StatusBarTest, ATextPostedFromAnotherThreadShowsAtTheNextPass)
{
    std::thread worker([bar = mBar]
                       { EXPECT_EQ(bar->QueueStatusText(WString(L"Erasing...")), S_OK); });
    worker.join();
    EXPECT_EQ(Shown(), L"Starting");
    IdlePass();
    EXPECT_EQ(Shown(), L"Erasing...");
}

TEST_F(StatusBarTest, ATextSetAtOnceIsNotOverwrittenByAnOlderPostedOne)
{
    mBar->QueueStatusText(WString(L"Older"));
    EXPECT_EQ(mBar->SetStatusText(WString(L"Now")), S_OK);
    EXPECT_EQ(Shown(), L"Now");
    IdlePass();
    EXPECT_EQ(Shown(), L"Now");
    EXPECT_EQ(mLabel->texts, (std::vector<std::wstring>{L"Older", L"Now"}));
}

TEST_F(StatusBarTest, TheApplicationsStatusTextReachesTheBar)
{
    // Posted: at the next pass.
    EXPECT_EQ(mApplication->SetStatusText(WString(L"Selecting device"), false), S_OK);
    EXPECT_EQ(Shown(), L"Starting");
    IdlePass();
    EXPECT_EQ(Shown(), L"Selecting device");
    // At once, and the default back at once.
    EXPECT_EQ(mApplication->SetStatusText(WString(L"Now"), true), S_OK);
    EXPECT_EQ(Shown(), L"Now");
    EXPECT_EQ(mApplication->RestoreStatusText(true), S_OK);
    EXPECT_EQ(Shown(), L"Ready");
    // The default back at the next pass.
    mApplication->SetStatusText(WString(L"Busy"), true);
    EXPECT_EQ(mApplication->RestoreStatusText(false), S_OK);
    EXPECT_EQ(Shown(), L"Busy");
    IdlePass();
    EXPECT_EQ(Shown(), L"Ready");
}

TEST_F(StatusBarTest, AWaitCursorsTextShowsWhileItLasts)
{
    {
        CAutoWaitCursor wait(WString(L"Loading Skin..."));
        EXPECT_EQ(Shown(), L"Loading Skin...");
    }
    IdlePass();
    EXPECT_EQ(Shown(), L"Ready");
}

TEST_F(StatusBarTest, ABarWithoutALabelShowsNothingAndSaysSo)
{
    const RCPtr<LStatusBar> bare =
        DynamicCast<LStatusBar>(mMain->GetRootControl()->FindChildControl(WString(L"bareBar")));
    ASSERT_TRUE(bare);
    EXPECT_FALSE(bare->GetLabel());
    EXPECT_EQ(bare->QueueStatusText(WString(L"Lost")), S_OK);
    IdlePass();
    EXPECT_EQ(bare->GetCount(), 0u);
    EXPECT_EQ(bare->SetStatusText(WString(L"Nowhere")), E_FAIL);
    EXPECT_EQ(bare->GetStatusText(), WString());
}
