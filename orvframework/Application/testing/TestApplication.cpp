#include "TestApplication.h"

#include "ControlBase/DefinitionLoading.h"
#include "System/WindowOSServices.h"
#include "TestControls.h"

#include <cairo.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

namespace OrvTest
{
namespace
{
// Windows are drawn by SDL's offscreen video driver unless the test chose another.
const bool kOffscreen = []
{
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    return true;
}();

Orv::RCPtr<Orv::LStringTable> FrameworkTableOf(const Orv::RCPtr<Orv::LControlFactory>& factory)
{
    Orv::RCPtr<Orv::LStringTable> table;
    if (factory)
    {
        factory->GetFrameworkStringTable(table);
    }
    return table;
}
} // namespace

TestApplication::TestApplication(const Orv::RCPtr<Orv::LControlFactory>& factory, DWORD clockStart)
    : TestApplication(factory, Orv::RCPtr<LManualClock>(new LManualClock(clockStart)))
{
}

TestApplication::TestApplication(const Orv::RCPtr<Orv::LControlFactory>& factory,
                                 const Orv::RCPtr<LManualClock>& clock)
    : LFrameworkApp(factory, FrameworkTableOf(factory),
                    Orv::WString(L"orv-test --flag \"two words\""), clock)
    , mClock(clock)
{
}

Orv::ORVRESULT TestApplication::GetCompanyName(Orv::WString& out)
{
    out = Orv::WString(L"Orv Test Company");
    return S_OK;
}

Orv::ORVRESULT TestApplication::GetProductName(Orv::WString& out)
{
    out = Orv::WString(L"Orv Test");
    return S_OK;
}

Orv::ORVRESULT TestApplication::GetProductVersion(Orv::WString& out)
{
    out = Orv::WString(L"1.0.0");
    return S_OK;
}

Orv::ORVRESULT TestApplication::GetVersionFolderName(Orv::WString& out)
{
    out = Orv::WString(L"1_0_0");
    return S_OK;
}

Orv::ORVRESULT TestApplication::GetProductFolderName(Orv::WString& out)
{
    out = Orv::WString(L"OrvTest");
    return S_OK;
}

Orv::ORVRESULT TestApplication::GetMainControlName(Orv::WString& out)
{
    out = Orv::WString(L"mainControl");
    return S_OK;
}

Orv::ORVRESULT TestApplication::GetFolder(Orv::WString& out, int)
{
    out = Orv::WString(L"/tmp");
    return S_OK;
}

Orv::ORVRESULT TestApplication::CreateMainWindow()
{
    return CreateRootWindow(Orv::WString(L"mainControl"), false) >= 0 ? S_OK : E_FAIL;
}

Orv::RCPtr<Orv::LControlFactory> MakeFactory(const char* skinFile, int languageId)
{
    Orv::RCPtr<Orv::LControlFactory> factory(new Orv::LControlFactory(Orv::WString(L"TestApp")));
    Orv::SetControlFactory(factory);
    factory->LoadStringTables(Orv::WString(L"::APP_STRINGS"), Orv::WString(L"::FRAMEWORK_STRINGS"),
                              languageId);
    if (skinFile != nullptr)
    {
        Orv::WString path;
        const std::string file(skinFile);
        path.AssignUtf8(
            (file.starts_with('/') ? file : std::string(ORV_APPLICATION_TEST_DATA) + "/" + file)
                .c_str());
        EXPECT_EQ(factory->LoadSkins(path), S_OK)
            << factory->GetLastErrorText().ToNarrow().GetBuffer();
    }
    return factory;
}

GdiplusSession::GdiplusSession()
{
    Gdiplus::GdiplusStartupInput input;
    EXPECT_EQ(Gdiplus::GdiplusStartup(&mToken, &input, nullptr), Gdiplus::Ok);
}

GdiplusSession::~GdiplusSession()
{
    Gdiplus::GdiplusShutdown(mToken);
}

void PumpMessages()
{
    MSG msg{};
    for (int i = 0; i < 10000 && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++i)
    {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void SavePng(const std::uint32_t* pixels, int width, int height, const std::string& path)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    const int stride = cairo_format_stride_for_width(CAIRO_FORMAT_ARGB32, width);
    std::vector<unsigned char> copy(static_cast<std::size_t>(stride) * height);
    for (int y = 0; y < height; ++y)
    {
        std::memcpy(copy.data() + static_cast<std::size_t>(y) * stride,
                    pixels + static_cast<std::size_t>(y) * width,
                    static_cast<std::size_t>(width) * 4);
    }
    cairo_surface_t* surface = cairo_image_surface_create_for_data(copy.data(), CAIRO_FORMAT_ARGB32,
                                                                   width, height, stride);
    EXPECT_EQ(cairo_surface_write_to_png(surface, path.c_str()), CAIRO_STATUS_SUCCESS) << path;
    cairo_surface_destroy(surface);
}
} // namespace OrvTest

namespace OrvTest
{
using namespace Orv;

ORVRESULT TestApplication::ReceiveCommandLine(const WString& text)
{
    commandLines.push_back(text.GetBuffer());
    return LFrameworkApp::ReceiveCommandLine(text);
}

ORVRESULT CountingClient::ReceiveNotification(const RCPtr<LNotificationDistributor>&,
                                              const RCPtr<LNotification>& notification)
{
    const std::wstring name = notification && notification->id != nullptr ? notification->id : L"";
    received.push_back(name);
    if (onReceive)
    {
        onReceive(name);
    }
    return S_OK;
}

int CountingClient::Count(const wchar_t* name) const
{
    int count = 0;
    for (const std::wstring& each : received)
    {
        count += each == name ? 1 : 0;
    }
    return count;
}

ApplicationFixture::ApplicationFixture(const char* skinFile)
{
    TestPanel::journal = &mJournal;
    mFactory = MakeFactory(skinFile);
    RegisterTestControls(*mFactory);
    mApplication = new TestApplication(mFactory);
}

ApplicationFixture::~ApplicationFixture()
{
    DestroyWindows();
    mApplication->ReleaseServices();
    mApplication = nullptr;
    SetControlFactory(nullptr);
    TestPanel::journal = nullptr;
}

RCPtr<LRootWindow> ApplicationFixture::MakeMainWindow()
{
    EXPECT_EQ(mApplication->CreateMainWindow(), S_OK);
    const RCPtr<LRootWindow> main = mApplication->GetRootWindow(0);
    PumpMessages();
    return main;
}

void ApplicationFixture::DestroyWindows()
{
    for (unsigned int i = mApplication->GetRootWindowCount(); i-- > 0;)
    {
        const RCPtr<LRootWindow> window = mApplication->GetRootWindow(i);
        if (IWindowOSServices* services = window ? window->GetServices() : nullptr)
        {
            if (HWND handle = services->GetWindowHandle())
            {
                DestroyWindow(handle);
            }
        }
    }
    PumpMessages();
}
} // namespace OrvTest
