// An application object for the tests of the framework: the operations that only an application
// knows answered with fixed values, its clocks on a clock the test moves, and a message loop
// whose idle hook is the framework's. Windows are drawn by SDL's offscreen video driver unless
// the test chose another before the first window.
#pragma once

#include "Application/FrameworkApp.h"
#include "ControlBase/Control.h"
#include "ControlBase/ControlCreator.h"
#include "ManualClock.h"
#include "System/RootWindow.h"
#include "notification/Notification.h"
#include "notification/NotificationClient.h"

#include "platform/Afx.h"
#include "platform/GdiPlus.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace Orv
{
// Wide strings in failure messages, as UTF-8.
inline void PrintTo(const WString& text, std::ostream* out)
{
    *out << '"' << text.ToNarrow().GetBuffer() << '"';
}
} // namespace Orv

namespace OrvTest
{
// The message loop of the application: its idle hook runs the framework's idle step and
// records each idle count it was called with.
class TestLoop : public CWinApp
{
public:
    TestLoop()
        : CWinApp(L"OrvFrameworkTest")
    {
    }

    BOOL OnIdle(LONG count) override
    {
        idleCounts.push_back(count);
        if (onIdle)
        {
            onIdle(count);
        }
        return Orv::LFrameworkApp::OnMessageLoopIdle(count) ? TRUE : FALSE;
    }

    std::vector<LONG> idleCounts;
    std::function<void(LONG)> onIdle;
};

class TestApplication : public Orv::LFrameworkApp
{
public:
    // The clock starts at clockStart.
    explicit TestApplication(const Orv::RCPtr<Orv::LControlFactory>& factory,
                             DWORD clockStart = 5000);

    // The application's clock, moved by the test.
    const Orv::RCPtr<LManualClock>& GetClock() const { return mClock; }

    Orv::ORVRESULT GetCompanyName(Orv::WString& out) override;
    Orv::ORVRESULT GetProductName(Orv::WString& out) override;
    Orv::ORVRESULT GetProductVersion(Orv::WString& out) override;
    Orv::ORVRESULT GetVersionFolderName(Orv::WString& out) override;
    Orv::ORVRESULT GetProductFolderName(Orv::WString& out) override;
    Orv::ORVRESULT GetMainControlName(Orv::WString& out) override;
    int GetLanguageId() override { return 9; }
    // Records the command lines handed over.
    Orv::ORVRESULT ReceiveCommandLine(const Orv::WString& text) override;
    std::vector<std::wstring> commandLines;
    Orv::ORVRESULT GetFolder(Orv::WString& out, int pathId) override;
    // The main window: a window for the main control "mainControl", shown.
    Orv::ORVRESULT CreateMainWindow() override;

    // What start-up registers: none unless the test sets a table (the stock controls' table,
    // in the tests of the controls).
    std::span<const Orv::ControlTypeRegistration> GetControlTypes() const override
    {
        return controlTypes;
    }
    std::span<const Orv::ControlTypeRegistration> controlTypes;

private:
    TestApplication(const Orv::RCPtr<Orv::LControlFactory>& factory,
                    const Orv::RCPtr<LManualClock>& clock);

    Orv::RCPtr<LManualClock> mClock;
};

// Loads the framework's string tables (the embedded "FRAMEWORK_STRINGS") and the skin document
// (a path, or a file name in the test data folder of the application framework) into a new factory,
// which becomes the control factory of the process.
Orv::RCPtr<Orv::LControlFactory> MakeFactory(const char* skinFile, int languageId = 9);

// Starts GDI+ for the life of the object.
class GdiplusSession
{
public:
    GdiplusSession();
    ~GdiplusSession();
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;

private:
    ULONG_PTR mToken = 0;
};

// Dispatches every message there is now.
void PumpMessages();

// Saves width x height 32-bit pixels (bytes blue, green, red, alpha; rows top down) as a PNG
// file, making its folder when missing.
void SavePng(const std::uint32_t* pixels, int width, int height, const std::string& path);
} // namespace OrvTest

namespace OrvTest
{
// Counts the notifications it receives, by name, in order.
class CountingClient : public Orv::LNotificationClient
{
public:
    Orv::ORVRESULT ReceiveNotification(const Orv::RCPtr<Orv::LNotificationDistributor>& source,
                                       const Orv::RCPtr<Orv::LNotification>& notification) override;
    // How many notifications of name arrived.
    int Count(const wchar_t* name) const;

    std::vector<std::wstring> received;
    std::function<void(const std::wstring&)> onReceive;
};

// An application made from a skin fixture of the test data folder, with the test control
// classes registered and GDI+ started; the windows it made are destroyed at the end.
class ApplicationFixture : public ::testing::Test
{
protected:
    explicit ApplicationFixture(const char* skinFile = "WindowSkin.xml");
    ~ApplicationFixture() override;

    // The main window (a window for "mainControl"), shown and painted once.
    Orv::RCPtr<Orv::LRootWindow> MakeMainWindow();
    // Destroys every window of the application.
    void DestroyWindows();

    GdiplusSession mGdiplus;
    std::vector<std::string> mJournal;
    Orv::RCPtr<Orv::LControlFactory> mFactory;
    Orv::RCPtr<TestApplication> mApplication;
};
} // namespace OrvTest
