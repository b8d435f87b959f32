// The clipboard on a real X display the test starts itself (Xvfb): text placed by the
// application is the X clipboard selection's, and comes back unchanged; when another X client
// takes the selection, the application lets go of its own kept text.
#include "TestApplication.h"
#include "VirtualDisplay.h"

#include "System/ClipBoard.h"

#include "platform/Clipboard.h"

#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <poll.h>

#include <atomic>
#include <cstdlib>
#include <thread>

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
    const std::string& DisplayName() const { return mDisplay.Name(); }
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

namespace
{
// Another X client that owns the clipboard selection and offers nothing when it is asked for
// it; it answers from a thread of its own, on its own connection.
class SelectionThief
{
public:
    explicit SelectionThief(const std::string& display)
        : mDisplay(XOpenDisplay(display.c_str()))
    {
        if (mDisplay == nullptr)
        {
            return;
        }
        mWindow = XCreateSimpleWindow(mDisplay, DefaultRootWindow(mDisplay), 0, 0, 1, 1, 0, 0, 0);
        XSetSelectionOwner(mDisplay, XInternAtom(mDisplay, "CLIPBOARD", False), mWindow,
                           CurrentTime);
        XSync(mDisplay, False);
        mAnswering = std::thread([this] { Answer(); });
    }
    ~SelectionThief()
    {
        mStop = true;
        if (mAnswering.joinable())
        {
            mAnswering.join();
        }
        if (mDisplay != nullptr)
        {
            XCloseDisplay(mDisplay);
        }
    }
    SelectionThief(const SelectionThief&) = delete;
    SelectionThief& operator=(const SelectionThief&) = delete;

    bool Owns() const { return mDisplay != nullptr; }

private:
    void Answer()
    {
        pollfd connection{ConnectionNumber(mDisplay), POLLIN, 0};
        while (!mStop)
        {
            while (XPending(mDisplay) > 0)
            {
                XEvent event{};
                XNextEvent(mDisplay, &event);
                if (event.type != SelectionRequest)
                {
                    continue;
                }
                // Refused: property None.
                XEvent answer{};
                answer.xselection.type = SelectionNotify;
                answer.xselection.requestor = event.xselectionrequest.requestor;
                answer.xselection.selection = event.xselectionrequest.selection;
                answer.xselection.target = event.xselectionrequest.target;
                answer.xselection.property = None;
                answer.xselection.time = event.xselectionrequest.time;
                XSendEvent(mDisplay, answer.xselection.requestor, False, 0, &answer);
                XFlush(mDisplay);
            }
            poll(&connection, 1, 20);
        }
    }

    Display* mDisplay;
    Window mWindow = 0;
    std::atomic<bool> mStop{false};
    std::thread mAnswering;
};
} // namespace

TEST_F(ClipboardDisplay, AnotherClientTakingTheClipboardEndsTheApplicationsOwnText)
{
    const RCPtr<LRootWindow> main = MakeMainWindow();
    const RCPtr<LClipboard>& clipboard = mApplication->GetClipboard();
    ASSERT_TRUE(clipboard);
    ASSERT_EQ(clipboard->SetText(WString(L"ours")), S_OK);
    EXPECT_TRUE(clipboard->GetText() == L"ours");
    {
        SelectionThief thief(DisplayName());
        ASSERT_TRUE(thief.Owns());
        // The window hears of the loss once the display's event has come in.
        for (int i = 0; i < 200 && clipboard->GetText() == L"ours"; ++i)
        {
            PumpMessages();
            poll(nullptr, 0, 10);
        }
        // The other client offers no text: the application has none to paste, not its old one.
        EXPECT_TRUE(clipboard->GetText().IsEmpty()) << clipboard->GetText().ToNarrow().GetBuffer();
        EXPECT_FALSE(IsClipboardFormatAvailable(CF_UNICODETEXT));
    }
    // Placing text again takes the clipboard back.
    ASSERT_EQ(clipboard->SetText(WString(L"ours again")), S_OK);
    EXPECT_TRUE(LClipboard::Create()->GetText() == L"ours again");
    DestroyWindows();
}
