// The main window of the updater in this process, for the main control's tests: the embedded
// skin and string tables, the application object on a clock the test moves, the program's
// two-image sequencer with its host on a folder holding the two built-in images, the engine on the
// simulated bus (its waits are short and in real time, as the simulated units come and go in real
// time), and the main window made from the skin. A clock driver lets the main control's waits
// pass: each time the control waits on the application's clock, the driver runs the test's hook
// for that round and then moves the clock to the wait's end.
#pragma once

#include "Application.h"
#include "DfuSeWriter.h"
#include "DualUpdater.h"
#include "MainControl.h"
#include "ManualClock.h"
#include "TempFolder.h"
#include "TestApplication.h"
#include "UpdateEngine.h"
#include "Version.h"
#include "WindowInput.h"
#include "notification/NotificationCenterManager.h"

#include "platform/SimulatedDevices.h"
#include "platform/SimulatedFirmwareImage.h"
#include "platform/User32.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace OrvTest
{
using OrvPlatform::SimulatedDevices;
using OrvPlatform::SimulatedMode;
using OrvPlatform::SimulatedUnit;
using OrvPlatform::SimulatedUnitConfig;

constexpr std::uint32_t kApplicationStart = 0x08008000u;
constexpr std::uint16_t kControllerTarget = 0x0031;
constexpr std::uint16_t kWheelDisplayTarget = 0x0050;

inline std::string Narrow(const Orv::WString& text)
{
    return text.ToNarrow().GetBuffer();
}

// A unit that downloads quickly and stays off the bus after the update-mode message and after
// its reset until the test plugs it in (or for the delays given).
inline std::shared_ptr<SimulatedUnit> AddUnit(SimulatedUnitConfig config,
                                              std::chrono::milliseconds updateModeDelay,
                                              std::chrono::milliseconds resetDelay)
{
    config.updateModeDelay = updateModeDelay;
    config.resetDelay = resetDelay;
    config.timings = {OrvPlatform::Milliseconds(1), OrvPlatform::Milliseconds(0),
                      OrvPlatform::Milliseconds(0), OrvPlatform::Milliseconds(1)};
    return SimulatedDevices::AddUnit(config);
}

// Runs on its own thread while it lives: whenever something waits on the clock, calls the hook
// with the number of the wait (from 1) and then moves the clock to that wait's end.
class ClockDriver
{
public:
    using Hook = std::function<void(int round)>;

    explicit ClockDriver(const Orv::RCPtr<LManualClock>& clock)
        : mClock(clock)
        , mThread([this] { Run(); })
    {
    }
    ~ClockDriver()
    {
        mStop = true;
        mThread.join();
    }
    ClockDriver(const ClockDriver&) = delete;
    ClockDriver& operator=(const ClockDriver&) = delete;

    void SetHook(Hook hook)
    {
        std::lock_guard lock(mMutex);
        mHook = std::move(hook);
    }
    int Rounds() const { return mRounds.load(); }
    void ResetRounds() { mRounds = 0; }

private:
    void Run()
    {
        while (!mStop)
        {
            if (mClock->GetWaiterCount() == 0)
            {
                std::this_thread::yield();
                continue;
            }
            const int round = ++mRounds;
            Hook hook;
            {
                std::lock_guard lock(mMutex);
                hook = mHook;
            }
            if (hook)
            {
                hook(round);
            }
            mClock->AdvanceToNextDeadline();
        }
    }

    Orv::RCPtr<LManualClock> mClock;
    std::atomic<bool> mStop{false};
    std::atomic<int> mRounds{0};
    std::mutex mMutex;
    Hook mHook;
    std::thread mThread;
};

class MainControlFixture : public ::testing::Test
{
protected:
    MainControlFixture()
    {
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
        SimulatedDevices::Activate();
        SimulatedDevices::Reset();
        controllerImage = OrvPlatform::SimulatedFirmwareImage::Make(kControllerTarget, 20 * 1024);
        wheelDisplayImage =
            OrvPlatform::SimulatedFirmwareImage::Make(kWheelDisplayTarget, 150 * 1024);
    }

    ~MainControlFixture() override
    {
        CloseWindow();
        SimulatedDevices::Reset();
        SimulatedDevices::Deactivate();
    }

    // Writes a DfuSe file with the data at the application start into the images folder.
    void WriteImage(const std::string& name, const std::vector<std::uint8_t>& data) const
    {
        OrvTools::DfuSeImage image;
        image.address = kApplicationStart;
        image.data = data;
        std::string error;
        ASSERT_TRUE(OrvTools::DfuSeWriter::WriteFile(image, folder.Path() + "/" + name, error))
            << error;
    }

    // The built-in images in the folder (the controller's data stamped with its version).
    void WriteBuiltInImages(std::uint16_t controllerStamp = kControllerTarget)
    {
        if (controllerStamp != kControllerTarget)
        {
            controllerImage = OrvPlatform::SimulatedFirmwareImage::Make(controllerStamp, 20 * 1024);
        }
        WriteImage("zk71_tp_update_00_31_120936.dfu", controllerImage);
        WriteImage("zk71_wd_update_00_50_3A7CE2CA.dfu", wheelDisplayImage);
    }

    // The program's objects and the main window. engine: the engine to drive (the program's
    // engine with the sequencer on the folder when null).
    // skinPath: a skin document to load in place of the program's.
    void OpenWindow(const Orv::RCPtr<LUpdateEngineInterface>& given = nullptr,
                    const wchar_t* commandLine = L"updater", const std::string& skinPath = {})
    {
        factory = new Orv::LControlFactory(Orv::Version::GetProductName());
        Orv::SetControlFactory(factory);
        factory->SetImagePathPrefix(Orv::WString(L"::"));
        ASSERT_EQ(factory->LoadStringTables(Orv::WString(L"::APP_STRINGS"),
                                            Orv::WString(L"::FRAMEWORK_STRINGS"), 9),
                  S_OK);
        Orv::WString skins(L"::APP_SKINS");
        if (!skinPath.empty())
        {
            skins.AssignUtf8(skinPath.c_str());
        }
        ASSERT_EQ(factory->LoadSkins(skins), S_OK) << Narrow(factory->GetLastErrorText());
        Orv::RCPtr<Orv::LStringTable> frameworkTable;
        factory->GetFrameworkStringTable(frameworkTable);
        engine = given;
        if (!engine)
        {
            host = UpdaterHost::Create(Orv::WString(folder.Path().c_str()));
            LDualUpdater::CreateInstance(host);
            LUpdateEngine::UpdateModeTimings timings;
            timings.settle = 20;
            timings.searchInterval = 10;
            timings.searchPeriod = 3000;
            engine = LUpdateEngine::Create(
                timings, Orv::GetSystemClock(),
                Orv::RCPtr<IUpdateImageSequence>(LDualUpdater::GetInstance()));
        }
        application = new LApplication(factory, frameworkTable, Orv::WString(commandLine), engine,
                                       Orv::RCPtr<Orv::LClock>(clock.Get()));
        ASSERT_EQ(application->RunApplicationStartup(), S_OK);
        ASSERT_EQ(application->CreateMainWindow(), S_OK);
        mainWindow = application->GetRootWindow(0);
        ASSERT_TRUE(mainWindow);
        window = mainWindow->GetServices()->GetWindowHandle();
        mainControl = Orv::DynamicCast<Orv::LMainControl>(mainWindow->GetRootControl());
        ASSERT_TRUE(mainControl);
        PumpMessages();
    }

    void CloseWindow()
    {
        if (!application)
        {
            return;
        }
        if (engine)
        {
            engine->Abort();
            engine->WaitForTask(INFINITE);
        }
        mainControl = nullptr;
        mainWindow = nullptr;
        for (unsigned int i = application->GetRootWindowCount(); i-- > 0;)
        {
            const Orv::RCPtr<Orv::LRootWindow> root = application->GetRootWindow(i);
            if (Orv::IWindowOSServices* services = root ? root->GetServices() : nullptr)
            {
                if (HWND handle = services->GetWindowHandle())
                {
                    DestroyWindow(handle);
                }
            }
        }
        PumpMessages();
        application->ReleaseServices();
        application = nullptr;
        engine = nullptr;
        LDualUpdater::ReleaseInstance();
        host = nullptr;
        Orv::SetControlFactory(nullptr);
        factory = nullptr;
        Orv::GetApplicationNotificationCenter()->Clear();
    }

    // One idle pass: the engine's notifications posted so far are delivered.
    void IdlePass()
    {
        PumpMessages();
        application->ProcessIdle(true);
    }

    // Idle passes until the condition holds; false when it has not within ten seconds of real
    // time (the engine's worker and the simulated units run in real time).
    bool IdleUntil(const std::function<bool()>& condition)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!condition())
        {
            if (std::chrono::steady_clock::now() > end)
            {
                return false;
            }
            IdlePass();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return true;
    }

    template <class T = Orv::LControl>
    Orv::RCPtr<T> Child(const wchar_t* name) const
    {
        return Orv::DynamicCast<T>(mainControl->FindChildControl(Orv::WString(name)));
    }
    bool Shown(const wchar_t* name) const
    {
        const Orv::RCPtr<Orv::LControl> child = Child(name);
        return child && child->IsVisible(true);
    }
    std::string Text(const wchar_t* name) const
    {
        const Orv::RCPtr<Orv::LControl> child = Child(name);
        return child ? Narrow(child->GetText()) : std::string("<missing>");
    }
    // The text of the id in the string table of the child.
    std::string TableText(const wchar_t* name, const wchar_t* id) const
    {
        const Orv::RCPtr<Orv::LControl> child = Child(name);
        return child ? Narrow(child->GetString(id)) : std::string("<missing>");
    }

    // A left click at the middle of the child, through the window.
    void ClickOn(const wchar_t* name)
    {
        const Orv::RCPtr<Orv::LControl> child = Child(name);
        ASSERT_TRUE(child);
        ASSERT_TRUE(child->IsVisible(true)) << Narrow(child->GetName()) << " is hidden";
        // The window's controls are children of the main control, which fills the window.
        const Orv::RectT<double> inWindow = child->GetRect();
        ClickAt(static_cast<int>(inWindow.x + inWindow.width / 2),
                static_cast<int>(inWindow.y + inWindow.height / 2));
    }
    // The pointer moved to a point of the window and the left button pressed and released there.
    void ClickAt(int x, int y)
    {
        SendMouse(window, WM_MOUSEMOVE, x, y);
        SendMouse(window, WM_LBUTTONDOWN, x, y, MK_LBUTTON);
        SendMouse(window, WM_LBUTTONUP, x, y);
    }

    // The window's pixels as they are painted now, saved under the name in the artefacts.
    std::vector<std::uint32_t> Screenshot(const std::string& name)
    {
        mainWindow->RedrawNow();
        PumpMessages();
        RECT client{};
        ::GetClientRect(window, &client);
        width = client.right;
        height = client.bottom;
        std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height, 0);
        EXPECT_TRUE(OrvPlatform::Window::ReadClientPixels(window, pixels.data(), width, height));
        SavePng(pixels.data(), width, height, std::string(ORV_TEST_ARTEFACTS) + "/" + name);
        return pixels;
    }
    std::uint32_t At(const std::vector<std::uint32_t>& pixels, int x, int y) const
    {
        return pixels[static_cast<std::size_t>(y) * width + x] & 0xFFFFFFu;
    }

    GdiplusSession gdiplus;
    TempFolder folder;
    std::vector<std::uint8_t> controllerImage;
    std::vector<std::uint8_t> wheelDisplayImage;
    Orv::RCPtr<LManualClock> clock{new LManualClock(5000)};
    Orv::RCPtr<Orv::LControlFactory> factory;
    Orv::RCPtr<UpdaterHost> host;
    Orv::RCPtr<LUpdateEngineInterface> engine;
    Orv::RCPtr<LApplication> application;
    Orv::RCPtr<Orv::LRootWindow> mainWindow;
    Orv::RCPtr<Orv::LMainControl> mainControl;
    HWND window = nullptr;
    int width = 0;
    int height = 0;
};
} // namespace OrvTest
