// An application that asks for the OpenGL back-end (renderer type 0): its window, drawn in a GLX
// context on an X display the test starts (Xvfb), photographed from the server and compared with
// the same window of an application drawn by GDI+ (type 1). The screenshots stay in artefacts/.
#include "TestApplication.h"
#include "TestControls.h"
#include "VirtualDisplay.h"

#include "System/WindowOSServices.h"

#include "platform/GdiPlus.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <vector>

using namespace Orv;
using namespace OrvTest;

namespace
{
// The second skin of the fixture: a blue main control with a yellow panel at (20, 20), 100 x 80.
constexpr int kSkin = 1;
constexpr ARGB kBlue = 0xFF2040E0;
constexpr ARGB kYellow = 0xFFF0E020;

class RendererApplication : public TestApplication
{
public:
    RendererApplication(const RCPtr<LControlFactory>& factory, int type)
        : TestApplication(factory)
        , mType(type)
    {
    }
    int GetRendererType() override { return mType; }

private:
    int mType;
};

// The window's client area as the server shows it, kept as the artefact name.
struct Shot
{
    std::vector<ARGB> pixels;
    int width = 0;
    int height = 0;
    ARGB At(int x, int y) const { return pixels[static_cast<std::size_t>(y * width + x)]; }
};

Shot Photograph(const std::string& display, HWND window, const std::string& name)
{
    const std::string directory = ORV_TEST_ARTEFACTS;
    mkdir(directory.c_str(), 0755);
    const std::string path = directory + "/" + name;
    const std::string command = "import -display " + display + " -window root " + path;
    Shot shot;
    if (std::system(command.c_str()) != 0)
    {
        return shot;
    }
    GpBitmap* screen = nullptr;
    const std::wstring wide(path.begin(), path.end());
    if (GdipCreateBitmapFromFile(wide.c_str(), &screen) != Gdiplus::Ok)
    {
        return shot;
    }
    RECT client{};
    GetClientRect(window, &client);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    shot.width = client.right;
    shot.height = client.bottom;
    shot.pixels.resize(static_cast<std::size_t>(shot.width * shot.height));
    for (int y = 0; y < shot.height; ++y)
    {
        for (int x = 0; x < shot.width; ++x)
        {
            GdipBitmapGetPixel(screen, origin.x + x, origin.y + y,
                               &shot.pixels[static_cast<std::size_t>(y * shot.width + x)]);
        }
    }
    GdipDisposeImage(screen);
    return shot;
}

// Runs an application of the renderer type with its main window until the server shows the
// window drawn (at most 10 s); the photograph of it.
Shot DrawnBy(const std::string& display, int type, const std::string& name)
{
    const RCPtr<LControlFactory> factory = MakeFactory("WindowSkin.xml");
    RegisterTestControls(*factory);
    RCPtr<RendererApplication> application(new RendererApplication(factory, type));
    EXPECT_EQ(application->RunApplicationStartup(), S_OK);
    EXPECT_EQ(application->SetSkin(kSkin), S_OK);
    EXPECT_EQ(application->CreateMainWindow(), S_OK);
    Shot shot;
    const RCPtr<LRootWindow> main = application->GetRootWindow(0);
    IWindowOSServices* services = main ? main->GetServices() : nullptr;
    EXPECT_NE(services, nullptr);
    if (services != nullptr && main->GetRenderer())
    {
        EXPECT_EQ(const_cast<LRenderer*>(main->GetRenderer().Get())->GetRendererType(), type);
        const HWND window = services->GetWindowHandle();
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (std::chrono::steady_clock::now() < end)
        {
            PumpMessages();
            main->InvalidateControl(RectT<LONG>(0, 0, 320, 200));
            PumpMessages();
            shot = Photograph(display, window, name);
            if (!shot.pixels.empty() && shot.At(60, 60) == kYellow)
            {
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        DestroyWindow(window);
        PumpMessages();
    }
    application->ReleaseServices();
    application = nullptr;
    SetControlFactory(nullptr);
    return shot;
}
} // namespace

TEST(OpenGLApplication, AWindowDrawnByTypeZeroShowsWhatGdiPlusDraws)
{
    VirtualDisplay display;
    ASSERT_TRUE(display.Start(640, 480)) << "Xvfb did not start";
    display.UseForThisProcess();
    GdiplusSession gdiplus;

    const Shot gl = DrawnBy(display.Name(), LRenderer::kOpenGL, "application-opengl.png");
    const Shot gdi = DrawnBy(display.Name(), LRenderer::kGdiplus, "application-gdiplus.png");
    ASSERT_EQ(gl.width, 320);
    ASSERT_EQ(gl.height, 200);
    ASSERT_EQ(gdi.width, gl.width);
    ASSERT_EQ(gdi.height, gl.height);
    EXPECT_EQ(gl.At(5, 5), kBlue);
    EXPECT_EQ(gl.At(60, 60), kYellow);
    EXPECT_EQ(gl.At(300, 180), kBlue);
    // Away from the panel's edges, every tenth pixel is the same in both.
    int compared = 0;
    for (int y = 5; y < gl.height; y += 10)
    {
        for (int x = 5; x < gl.width; x += 10)
        {
            const bool nearEdge = (x >= 17 && x <= 23) || (x >= 117 && x <= 123) ||
                                  (y >= 17 && y <= 23) || (y >= 97 && y <= 103);
            if (!nearEdge)
            {
                EXPECT_EQ(gl.At(x, y), gdi.At(x, y)) << x << ", " << y;
                ++compared;
            }
        }
    }
    EXPECT_GT(compared, 400);
}
