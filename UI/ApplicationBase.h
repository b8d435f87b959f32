// The platform side of the updater's application object: the operations the framework
// application leaves to its application (Application/FrameworkApp.h) that do not depend on the
// updater itself: the folders and language of the program object (MFCFrameworkApp), the main
// window, the message loop, and the template's share of start-up and release.
//
// UI thread only.
#pragma once

#include "Application/FrameworkApp.h"
#include "FrameworkProgram.h"
#include "MainWindowClassName.h"
#include "System/OSWindow.h"
#include "System/RootWindow.h"
#include "notification/KeyCode.h"

#include "platform/Midi.h"

namespace Orv
{
template <class T>
class LApplicationBase : public LFrameworkApp
{
public:
    LApplicationBase(const RCPtr<LControlFactory>& factory,
                     const RCPtr<LStringTable>& frameworkStringTable, const WString& commandLine,
                     const RCPtr<LClock>& clock = nullptr)
        : LFrameworkApp(factory, frameworkStringTable, commandLine, clock)
    {
    }

    // English, when there is no program object to tell the language.
    static constexpr int kEnglish = 0x0409;

    // The program object; null when there is none.
    static IFrameworkProgram* GetProgram() { return dynamic_cast<IFrameworkProgram*>(AfxGetApp()); }

    int GetLanguageId() override
    {
        IFrameworkProgram* program = GetProgram();
        return program != nullptr ? program->GetLanguageId() : kEnglish;
    }

    // The folder of the program object; empty without one.
    ORVRESULT GetFolder(WString& out, int pathId) override
    {
        IFrameworkProgram* program = GetProgram();
        out = program != nullptr ? program->GetFolder(pathId) : WString();
        return out.IsEmpty() ? E_FAIL : S_OK;
    }

    // A window for the main control's descriptor, of the main window's class, with its root
    // window and the main control in it, shown where it was last closed, with the application's
    // icon. Throws "Null Pointer :
    // Invalid Control Name" when the skin has no descriptor of that name.
    ORVRESULT CreateMainWindow() override
    {
        WString name;
        GetMainControlName(name);
        const RCPtr<LControlFactory>& factory = GetControlFactory();
        if (!factory || !factory->FindControlDescriptor(name))
        {
            ORV_THROW(std::runtime_error, "Null Pointer", "Invalid Control Name");
        }
        OSWindow::SetWindowClassName(GetMainWindowClassName());
        const int index = CreateRootWindow(name, false);
        if (index < 0)
        {
            return E_FAIL;
        }
        const RCPtr<LRootWindow>& window = GetRootWindow(static_cast<unsigned int>(index));
        if (auto* os = window ? dynamic_cast<OSWindow*>(window->GetServices()) : nullptr)
        {
            os->RestorePlacement();
        }
        if (HICON icon = GetIcon(); icon != nullptr && window && window->GetServices() != nullptr)
        {
            const HWND handle = window->GetServices()->GetWindowHandle();
            ::SendMessageW(handle, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
            ::SendMessageW(handle, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
        }
        return S_OK;
    }

    // The application's icon, which the main window shows; none here.
    virtual HICON GetIcon() { return nullptr; }

    // The message loop of the program object.
    int RunMessageLoop() override
    {
        IFrameworkProgram* program = GetProgram();
        return program != nullptr ? program->RunMessageLoop() : LFrameworkApp::RunMessageLoop();
    }

    // The template's share of start-up: the timer resolution, the class name, the framework's
    // start-up, the exit request and its key (Alt+F4, unless the key is bound already).
    ORVRESULT RunApplicationStartup() override
    {
        timeBeginPeriod(1);
        mTimerPeriodSet = true;
        GetMainWindowClassName();
        const ORVRESULT result = LFrameworkApp::RunApplicationStartup();
        if (FAILED(result))
        {
            return result;
        }
        if (const RCPtr<LNotificationCenter> center = GetApplicationNotificationCenter())
        {
            RegisterNotification(center, L"NID_APP_EXIT_REQ", 0);
        }
        const KeyCode key = KeyCode::Parse(WString(L"Alt+VKEY_F4"));
        if (const RCPtr<LGlobalHotKeyManager>& hotKeys = GetHotKeyManager();
            hotKeys && hotKeys->GetNotificationForKey(key).IsEmpty())
        {
            hotKeys->AddHotKey(key, WString(L"NID_APP_EXIT_REQ"));
        }
        return S_OK;
    }

    // The framework's release, then the timer resolution back.
    ORVRESULT ReleaseServices() override
    {
        const ORVRESULT result = LFrameworkApp::ReleaseServices();
        if (mTimerPeriodSet)
        {
            timeEndPeriod(1);
            mTimerPeriodSet = false;
        }
        return result;
    }

private:
    bool mTimerPeriodSet = false;
};
} // namespace Orv
