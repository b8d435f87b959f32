// The updater's application object: the framework application with the updater's names, its two
// settings files, its start-up (the main control's type and the update processor, which applies
// the command line to the update engine) and its exit rules.
//
// UI thread only.
#pragma once

#include "ApplicationBase.h"
#include "UpdateProcessor.h"

#include <span>

class LApplication : public Orv::LApplicationBase<LApplication>
{
public:
    static constexpr const wchar_t* kMainControlName = L"mainControl";
    static constexpr const wchar_t* kMainControlType = L"FirmwareUpdater.MainControl";
    static constexpr const wchar_t* kVersionFolderName = L"1_0_0";
    static constexpr const wchar_t* kUserSettingsFileName = L"UserSettings.ini";
    static constexpr const wchar_t* kApplicationSettingsFileName = L"AppSettings.ini";
    // The program's own cursor resources, for the framework's split cursors, and its icon.
    static constexpr WORD kSplitHorizontalCursor = 102;
    static constexpr WORD kSplitVerticalCursor = 103;
    static constexpr WORD kIcon = 128;
    // The folder ids of the program object (MFCFrameworkApp::GetFolder).
    static constexpr int kCommonDataFolder = 2;
    static constexpr int kUserDataFolder = 3;

    // engine: the update engine the processor drives; when null, start-up makes the program's
    // engine with the two-image sequencer. clock: the application's clock, by which the main
    // window also waits for the device (the system clock when null).
    LApplication(const Orv::RCPtr<Orv::LControlFactory>& factory,
                 const Orv::RCPtr<Orv::LStringTable>& frameworkStringTable,
                 const Orv::WString& commandLine,
                 const Orv::RCPtr<LUpdateEngineInterface>& engine = nullptr,
                 const Orv::RCPtr<Orv::LClock>& clock = nullptr);
    ~LApplication() override;

    // "NID_APP_EXIT_REQ": when MayExit allows it, the framework's handling, then the main window
    // is asked to close and the message loop to end; refused, nothing. Any other notification
    // goes to the framework.
    Orv::ORVRESULT ReceiveNotification(const Orv::RCPtr<Orv::LNotificationDistributor>& source,
                                       const Orv::RCPtr<Orv::LNotification>& notification) override;
    // A command line handed over by a later start of the program, which has ended. While no
    // update is written, the processor runs it (Reinitialize) in the form CommandLineForWindow
    // gives and the engine rescans (as TRY AGAIN does), the main window is refreshed, and when it
    // asked for the update to start (-SILENT or -START_UPDATE_AUTOMATICALLY) and one is wanted, the
    // main window starts it; 0. While an update is written it is not taken (logged): E_FAIL. A
    // command line the window cannot run as it stands is refused: E_INVALIDARG.
    Orv::ORVRESULT ReceiveCommandLine(const Orv::WString& text) override;
    // The command line of a later start, as the running window takes it: the options that say
    // how that start's own process ends (-SILENT, -SILENT_IF_UPDATE_NOT_NEEDED,
    // -RETURN_UPDATE_MODE_STATUS) and -START_UPDATE_AUTOMATICALLY are left out, every other word
    // is kept as written; startUpdate tells whether -SILENT or -START_UPDATE_AUTOMATICALLY was
    // among them. false when one of them is still found in what is left (inside a quoted
    // value).
    static bool CommandLineForWindow(const Orv::WString& handedOver, Orv::WString& out,
                                     bool& startUpdate);
    // The exit status of a start that found another instance running and ended: 1 when its
    // command line asked for a job whose result the exit status tells (-SILENT,
    // -RETURN_UPDATE_MODE_STATUS), since this process did not do it; else 0.
    static int GetSecondStartExitStatus(const Orv::WString& commandLine);
    // The command line asks for a run that shows no window (-SILENT, -RETURN_UPDATE_MODE_STATUS).
    static bool RunsWithoutWindow(const Orv::WString& commandLine);

    Orv::ORVRESULT GetCompanyName(Orv::WString& out) override;
    Orv::ORVRESULT GetProductName(Orv::WString& out) override;
    Orv::ORVRESULT GetProductVersion(Orv::WString& out) override;
    Orv::ORVRESULT GetVersionFolderName(Orv::WString& out) override;
    Orv::ORVRESULT GetProductFolderName(Orv::WString& out) override;
    Orv::ORVRESULT GetMainControlName(Orv::WString& out) override;
    std::span<const Orv::ControlTypeRegistration> GetControlTypes() const override;
    // "UI_CURSOR_SPLIT_H" and "UI_CURSOR_SPLIT_V": the program's cursor resources 102 and 103
    // (the framework's cursor where the program has no such resource); every other name: the
    // framework's cursor.
    HCURSOR GetCursor(const Orv::WString& name) override;
    // The program's icon resource 128; null without one.
    HICON GetIcon() override;

    // The user's "UserSettings.ini" in the user data folder, or the application's
    // "AppSettings.ini" in the common data folder, opened through the settings manager at the
    // first call and kept open. 0 when the file's folder is not known (nothing is written then)
    // or the manager cannot open it.
    Orv::IniFileHandle GetSettingsFile(int which) override;

    // The template's start-up, the main control's type, then the update processor, made on the
    // engine and initialised with the command line: its result when negative (a quiet stop among
    // them), else 0.
    Orv::ORVRESULT RunApplicationStartup() override;
    Orv::ORVRESULT ReleaseServices() override;

    // false while an update is being written.
    bool MayExit() const;
    const Orv::RCPtr<LUpdateProcessor>& GetUpdateProcessor() const { return mUpdateProcessor; }
    // The application's clock.
    const Orv::RCPtr<Orv::LClock>& GetClock() const { return mClock; }
    // The exit status the update processor left (0 without one).
    int GetExitStatus() const;

    // The creator of the main control type.
    static Orv::RCPtr<Orv::LControl>&
    CreateMainControl(Orv::RCPtr<Orv::LControl>& result, const Orv::RCPtr<Orv::LControl>& parent,
                      const Orv::RCPtr<Orv::LControlDescriptor>& descriptor);

private:
    // The host of the sequencer that the application makes with its engine (none when the
    // engine was given).
    Orv::RCPtr<UpdaterHost> mHost;
    Orv::RCPtr<Orv::LClock> mClock;
    Orv::RCPtr<LUpdateEngineInterface> mEngine;
    Orv::RCPtr<LUpdateProcessor> mUpdateProcessor;
    Orv::IniFileHandle mSettingsFiles[2] = {0, 0};
    bool mSettingsFileFailed[2] = {false, false};
};
