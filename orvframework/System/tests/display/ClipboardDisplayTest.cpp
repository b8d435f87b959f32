// The clipboard on a real X display the test starts itself (Xvfb): text placed by the
// application is the X clipboard selection's, and comes back unchanged.
#include "TestApplication.h"
#include "VirtualDisplay.h"

#include "System/ClipBoard.h"

#include "platform/Clipboard.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace Orv;
using namespace OrvTest;

namespace
{
class ClipboardDisplayHolder
{
protected:
    ClipboardDisplayHolder()
    {
        mStarted = mDisplay.Start(320, 240);
        if (mStarted)
        {
            mDisplay.UseForThisProcess();
        }
    }
    VirtualDisplay mDisplay;
    bool mStarted = false;
};

class ClipboardDisplay : private ClipboardDisplayHolder, public ApplicationFixture
{
protected:
    void SetUp() override { ASSERT_TRUE(mStarted) << "Xvfb did not start"; }
};
} // namespace

TEST_F(ClipboardDisplay, TextRoundTripsThroughTheXClipboard)
{
    const RCPtr<LRootWindow> main = MakeMainWindow();
    const RCPtr<LClipboard>& clipboard = mApplication->GetClipboard();
    ASSERT_TRUE(clipboard);
    const wchar_t* texts[] = {L"firmware 1.2.3", L"h\u00e9llo <&> \u65e5\u672c", L"two\nlines"};
    for (const wchar_t* text : texts)
    {
        ASSERT_EQ(clipboard->SetText(WString(text)), S_OK);
        EXPECT_TRUE(IsClipboardFormatAvailable(CF_UNICODETEXT));
        // A second reader goes to the X clipboard, not to the first one's kept copy.
        EXPECT_TRUE(LClipboard::Create()->GetText() == text);
    }
    DestroyWindows();
}
