// A framework window on a real X display the test starts itself (Xvfb): the skin fixture's
// control tree drawn through the GDI+ renderer, photographed from the X display, and checked
// pixel by pixel; and its title as the X server holds it. The screenshot stays as a test
// artefact.
#include "TestApplication.h"
#include "TestControls.h"
#include "VirtualDisplay.h"

#include "ControlBase/Control.h"
#include "System/WindowOSServices.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <sys/stat.h>

using namespace Orv;
using namespace OrvTest;

namespace
{
// The X server, started before the application and stopped after it, so that no window call
// finds its display gone.
class DisplayHolder
{
protected:
    DisplayHolder()
    {
        mStarted = mDisplay.Start(640, 480);
        if (mStarted)
        {
            mDisplay.UseForThisProcess();
        }
    }

    VirtualDisplay mDisplay;
    bool mStarted = false;
};

class SystemDisplay : private DisplayHolder, public ApplicationFixture
{
protected:
    void SetUp() override { ASSERT_TRUE(mStarted) << "Xvfb did not start"; }
    const std::string& DisplayName() const { return mDisplay.Name(); }
};

Gdiplus::ARGB PixelAt(Gdiplus::GpBitmap* bitmap, LONG x, LONG y)
{
    Gdiplus::ARGB color = 0;
    GdipBitmapGetPixel(bitmap, x, y, &color);
    return color;
}
} // namespace

TEST_F(SystemDisplay, TheSkinnedControlTreeShowsOnTheScreen)
{
    const RCPtr<LRootWindow> main = MakeMainWindow();
    ASSERT_TRUE(main);
    IWindowOSServices* services = main->GetServices();
    ASSERT_NE(services, nullptr);
    // Until the window has been painted and shown on the display.
    PumpMessages();
    services->Redraw();
    PumpMessages();
    const PointT<LONG> origin = services->ClientToScreen(PointT<LONG>(0, 0));

    const std::string shot = std::string(ORV_TEST_ARTEFACTS) + "/framework-window-on-display.png";
    mkdir(ORV_TEST_ARTEFACTS, 0755);
    const std::string command = "import -display " + DisplayName() + " -window root " + shot;
    ASSERT_EQ(std::system(command.c_str()), 0);

    Gdiplus::GpBitmap* screen = nullptr;
    const std::wstring wide(shot.begin(), shot.end());
    ASSERT_EQ(GdipCreateBitmapFromFile(wide.c_str(), &screen), Gdiplus::Ok);
    UINT width = 0;
    GdipGetImageWidth(screen, &width);
    EXPECT_EQ(width, 640u);
    struct Case
    {
        LONG x;
        LONG y;
        Gdiplus::ARGB color;
    };
    // Client points of the fixture: the window, left, the floating panel above left and the
    // window, right, inner, the floating panel's own floating child.
    const Case cases[] = {
        {5, 5, 0xFF404040},     {319, 199, 0xFF404040}, {20, 20, 0xFFE02020},
        {119, 25, 0xFFE02020},  {120, 25, 0xFF404040},  {119, 99, 0xFF20C040},
        {30, 50, 0xFFE02020},   {100, 70, 0xFF20C040},  {140, 110, 0xFF20C040},
        {155, 90, 0xFF2040E0},  {249, 99, 0xFF2040E0},  {165, 35, 0xFFF0E020},
        {199, 59, 0xFFF0E020},  {200, 60, 0xFF2040E0},  {130, 125, 0xFFE02020},
        {149, 139, 0xFFE02020}, {150, 139, 0xFF404040},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(PixelAt(screen, origin.x + c.x, origin.y + c.y), c.color) << c.x << "," << c.y;
    }
    // The label's white text lies somewhere on its row.
    int white = 0;
    for (LONG x = 20; x < 220; ++x)
    {
        for (LONG y = 140; y < 164; ++y)
        {
            white += PixelAt(screen, origin.x + x, origin.y + y) == 0xFFFFFFFF ? 1 : 0;
        }
    }
    EXPECT_GT(white, 10);
    GdipDisposeImage(screen);
}

TEST_F(SystemDisplay, TheWindowTitleFollowsTheTopLevelControlsText)
{
    const RCPtr<LRootWindow> main = MakeMainWindow();
    ASSERT_TRUE(main);
    const RCPtr<LControl> control = main->GetRootControl();
    ASSERT_TRUE(control);
    // The names of the display's windows as the X server holds them.
    auto windowNames = [this]
    {
        const std::string command = "xwininfo -display " + DisplayName() + " -root -tree";
        std::string names;
        if (FILE* pipe = popen(command.c_str(), "r"))
        {
            char buffer[512];
            while (std::fgets(buffer, sizeof(buffer), pipe) != nullptr)
            {
                names += buffer;
            }
            pclose(pipe);
        }
        return names;
    };
    for (const wchar_t* title : {L"Updater - checking the device", L"Updater - writing 2 of 2"})
    {
        EXPECT_EQ(control->SetText(WString(title)), S_OK);
        PumpMessages();
        const std::string narrow(title, title + std::wcslen(title));
        EXPECT_NE(windowNames().find("\"" + narrow + "\""), std::string::npos) << narrow;
    }
    // A text that does not change leaves the title alone.
    EXPECT_EQ(control->SetText(WString(L"Updater - writing 2 of 2")), S_FALSE);
    DestroyWindows();
}
