// The wait cursor: the busy cursor over the active root window while the guard lives, the one it
// replaced afterwards, nested guards undone in reverse order, and the status text asked for.
#include "TestApplication.h"

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
