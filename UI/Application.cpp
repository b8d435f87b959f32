#include "Application.h"

#include "ControlBase/ControlCreator.h"
#include "Controls/FrameworkControlTypes.h"
#include "DualUpdater.h"
#include "MFCFrameworkApp.h"
#include "MainControl.h"
#include "UpdateEngine.h"
#include "UpdaterHost.h"
#include "Utilities/Debug/DebugOutput.h"
#include "Utilities/Globals.h"
#include "Utilities/Storage/PathSeparator.h"
#include "Version.h"
#include "notification/Notification.h"
#include "notification/NotificationName.h"
#include "platform/Resources.h"

#include <cwctype>
#include <string>

using Orv::IniFileHandle;
using Orv::ORVRESULT;
using Orv::RCPtr;
using Orv::WString;

namespace
{
// How long the release waits for a task of the engine that is still running.
constexpr DWORD kEngineTaskWait = 60000;

// The exit status of a later start whose own job was not done by it.
constexpr int kSecondStartJobNotDone = 1;

// The options of a later start that the running window leaves out, and of those the ones that
// ask for the update to start.
struct LeftOut
{
    const wchar_t* option;
    bool startsUpdate;
};
constexpr LeftOut kLeftOut[] = {
    {L"-SILENT", true},
    {L"-START_UPDATE_AUTOMATICALLY", true},
    {L"-SILENT_IF_UPDATE_NOT_NEEDED", false},
    {L"-RETURN_UPDATE_MODE_STATUS", false},
};

bool IsBlank(wchar_t c)
{
    return c == L' ' || c == L'\t';
}

// The framework's cursor names the program has cursors of its own for.
struct OwnCursor
{
    const wchar_t* name;
    WORD id;
};
constexpr OwnCursor kOwnCursors[] = {
    {L"UI_CURSOR_SPLIT_H", LApplication::kSplitHorizontalCursor},
    {L"UI_CURSOR_SPLIT_V", LApplication::kSplitVerticalCursor},
};
} // namespace

LApplication::LApplication(const RCPtr<Orv::LControlFactory>& factory,
                           const RCPtr<Orv::LStringTable>& frameworkStringTable,
                           const WString& commandLine, const RCPtr<LUpdateEngineInterface>& engine,
                           const RCPtr<Orv::LClock>& clock)
    : LApplicationBase<LApplication>(factory, frameworkStringTable, commandLine, clock)
    , mClock(clock ? clock : Orv::GetSystemClock())
    , mEngine(engine)
{
}

LApplication::~LApplication() = default;

HCURSOR LApplication::GetCursor(const WString& name)
{
    for (const OwnCursor& own : kOwnCursors)
    {
        if (name == WString(own.name))
        {
            if (HCURSOR cursor =
                    ::LoadCursorW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(own.id)))
            {
                return cursor;
            }
            Orv::GetDebugOutput().Narrow() << "The program has no cursor " << own.id
                                           << "; the framework's is used" << std::endl;
            break;
        }
    }
    return LApplicationBase<LApplication>::GetCursor(name);
}

HICON LApplication::GetIcon()
{
    return ::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kIcon));
}

ORVRESULT LApplication::ReceiveNotification(const RCPtr<Orv::LNotificationDistributor>& source,
                                            const RCPtr<Orv::LNotification>& notification)
{
    if (!notification || notification->id != Orv::InternNotificationName(L"NID_APP_EXIT_REQ"))
    {
        return LFrameworkApp::ReceiveNotification(source, notification);
    }
    if (!MayExit())
    {
        Orv::GetDebugOutput().Narrow()
            << "The program does not end while an update is written" << std::endl;
        return S_OK;
    }
    LFrameworkApp::ReceiveNotification(source, notification);
    if (const RCPtr<Orv::LRootWindow>& main = GetRootWindow(0))
    {
        if (Orv::IWindowOSServices* services = main->GetServices())
        {
            ::PostMessageW(services->GetWindowHandle(), WM_CLOSE, 0, 0);
        }
    }
    ::PostQuitMessage(0);
    return S_OK;
}

ORVRESULT LApplication::ReceiveCommandLine(const WString& text)
{
    Orv::GetDebugOutput().Narrow()
        << "A later start handed its command line over: " << text.ToNarrow().GetBuffer()
        << std::endl;
    if (!mUpdateProcessor || !MayExit())
    {
        Orv::GetDebugOutput().Narrow()
            << "The command line handed over is not taken: an update is being written" << std::endl;
        return E_FAIL;
    }
    WString commandLine;
    bool startUpdate = false;
    if (!CommandLineForWindow(text, commandLine, startUpdate))
    {
        Orv::GetDebugOutput().Narrow()
            << "The command line handed over is not taken: it holds an option of a run without "
               "a window inside a quoted value"
            << std::endl;
        return E_INVALIDARG;
    }
    const RCPtr<Orv::LRootWindow>& main = GetRootWindow(0);
    const RCPtr<Orv::LMainControl> mainControl =
        main ? Orv::DynamicCast<Orv::LMainControl>(main->GetRootControl()) : nullptr;
    try
    {
        // As TRY AGAIN does: the command line runs, then the rescan, at which the two-image
        // sequencer gives the engine its file again when the command line names none.
        mUpdateProcessor->Reinitialize(commandLine);
        if (const RCPtr<LUpdateEngineInterface> engine = mUpdateProcessor->GetEngine())
        {
            engine->Rescan();
        }
    }
    catch (const std::exception& error)
    {
        // The window stays as it was; the engine's states tell what holds.
        Orv::GetDebugOutput().Narrow()
            << "The command line handed over could not be applied: " << error.what() << std::endl;
    }
    if (mainControl)
    {
        mainControl->Refresh();
        if (startUpdate && mainControl->IsUpdateWanted())
        {
            mainControl->StartUpdate();
        }
    }
    return S_OK;
}

bool LApplication::CommandLineForWindow(const WString& handedOver, WString& out, bool& startUpdate)
{
    startUpdate = false;
    const std::wstring line(handedOver.GetBuffer(), handedOver.GetLength());
    std::wstring kept;
    std::size_t at = 0;
    while (at < line.size())
    {
        if (IsBlank(line[at]))
        {
            ++at;
            continue;
        }
        // A word runs to the next blank outside double quotes.
        const std::size_t start = at;
        bool quoted = false;
        while (at < line.size() && (quoted || !IsBlank(line[at])))
        {
            quoted = line[at] == L'"' ? !quoted : quoted;
            ++at;
        }
        std::wstring word = line.substr(start, at - start);
        std::wstring bare;
        for (wchar_t c : word)
        {
            if (c != L'"')
            {
                bare.push_back(static_cast<wchar_t>(std::towupper(c)));
            }
        }
        bool leftOut = false;
        for (const LeftOut& option : kLeftOut)
        {
            if (bare == option.option)
            {
                leftOut = true;
                startUpdate = startUpdate || option.startsUpdate;
            }
        }
        if (!leftOut)
        {
            kept += (kept.empty() ? L"" : L" ") + word;
        }
    }
    out = WString(kept.c_str());
    for (const LeftOut& option : kLeftOut)
    {
        WString value;
        if (LUpdateProcessor::FindOption(out, WString(option.option), value))
        {
            return false;
        }
    }
    return true;
}

bool LApplication::RunsWithoutWindow(const WString& commandLine)
{
    WString value;
    return LUpdateProcessor::FindOption(commandLine, WString(L"-SILENT"), value) ||
           LUpdateProcessor::FindOption(commandLine, WString(L"-RETURN_UPDATE_MODE_STATUS"), value);
}

int LApplication::GetSecondStartExitStatus(const WString& commandLine)
{
    return RunsWithoutWindow(commandLine) ? kSecondStartJobNotDone : 0;
}

ORVRESULT LApplication::GetCompanyName(WString& out)
{
    out = Orv::Version::GetCompanyName();
    return S_OK;
}

ORVRESULT LApplication::GetProductName(WString& out)
{
    out = Orv::Version::GetProductName();
    return S_OK;
}

ORVRESULT LApplication::GetProductVersion(WString& out)
{
    out = Orv::Version::GetProductVersion();
    return S_OK;
}

ORVRESULT LApplication::GetVersionFolderName(WString& out)
{
    out = WString(kVersionFolderName);
    return S_OK;
}

ORVRESULT LApplication::GetProductFolderName(WString& out)
{
    return GetProductName(out);
}

ORVRESULT LApplication::GetMainControlName(WString& out)
{
    out = WString(kMainControlName);
    return S_OK;
}

std::span<const Orv::ControlTypeRegistration> LApplication::GetControlTypes() const
{
    return Orv::GetFrameworkControlTypes();
}

IniFileHandle LApplication::GetSettingsFile(int which)
{
    const bool user = which == kUserSettings;
    const int slot = user ? 1 : 0;
    if (mSettingsFiles[slot] != 0 || mSettingsFileFailed[slot])
    {
        return mSettingsFiles[slot];
    }
    const RCPtr<Orv::LIniFileManager> manager = GetSettingsManager();
    WString folder;
    if (!manager || FAILED(GetFolder(folder, user ? kUserDataFolder : kCommonDataFolder)) ||
        folder.IsEmpty())
    {
        // Without its folder the file has no place: the settings stay the defaults, and nothing
        // is written anywhere else.
        mSettingsFileFailed[slot] = true;
        Orv::GetDebugOutput().Narrow()
            << "Settings: the folder of "
            << WString(user ? kUserSettingsFileName : kApplicationSettingsFileName)
                   .ToNarrow()
                   .GetBuffer()
            << " is not known; the settings are not kept" << std::endl;
        return 0;
    }
    WString path = folder;
    path.Append(Orv::kPathSeparator);
    path.Append(WString(user ? kUserSettingsFileName : kApplicationSettingsFileName));
    WString name;
    GetProductName(name);
    IniFileHandle handle = 0;
    if (manager->OpenFile(path, WString(kVersionFolderName), name, handle) < 0 || handle == 0)
    {
        mSettingsFileFailed[slot] = true;
        Orv::GetDebugOutput().Narrow()
            << "Settings: " << path.ToNarrow().GetBuffer() << " cannot be opened" << std::endl;
        return 0;
    }
    mSettingsFiles[slot] = handle;
    return handle;
}

ORVRESULT LApplication::RunApplicationStartup()
{
    const ORVRESULT result = LApplicationBase<LApplication>::RunApplicationStartup();
    if (FAILED(result))
    {
        return result;
    }
    if (const RCPtr<Orv::LControlFactory>& factory = GetControlFactory())
    {
        factory->RegisterControlCreateFunction(WString(kMainControlType), &CreateMainControl);
    }
    if (!mEngine)
    {
        // The program's two-image sequencer, made before the engine, which asks it what depends
        // on the image; both reach the application through the host (the program's folder as
        // the default folder). The main window registers its way to start an update there.
        mHost = UpdaterHost::Create();
        LDualUpdater::CreateInstance(mHost);
        mEngine = LUpdateEngine::Create(LUpdateEngine::UpdateModeTimings(), Orv::GetSystemClock(),
                                        RCPtr<IUpdateImageSequence>(LDualUpdater::GetInstance()));
    }
    mUpdateProcessor = new LUpdateProcessor(mEngine);
    WString commandLine;
    commandLine.AssignUtf8(GetCommandLine().GetBuffer(),
                           static_cast<int>(GetCommandLine().GetLength()));
    const ORVRESULT initialized = mUpdateProcessor->Initialize(commandLine);
    return FAILED(initialized) ? initialized : S_OK;
}

ORVRESULT LApplication::ReleaseServices()
{
    if (mEngine)
    {
        // A task still running ends before the engine goes.
        mEngine->Abort();
        mEngine->WaitForTask(kEngineTaskWait);
    }
    if (mHost)
    {
        LDualUpdater::ReleaseInstance();
    }
    if (const RCPtr<Orv::LIniFileManager> manager = GetSettingsManager())
    {
        // Changed settings are written now, while the folders are known.
        manager->CloseAllFiles();
    }
    mSettingsFiles[0] = mSettingsFiles[1] = 0;
    return LApplicationBase<LApplication>::ReleaseServices();
}

bool LApplication::MayExit() const
{
    return !mUpdateProcessor || mUpdateProcessor->IsIdle();
}

int LApplication::GetExitStatus() const
{
    return mUpdateProcessor ? mUpdateProcessor->GetExitStatus() : 0;
}

RCPtr<Orv::LControl>&
LApplication::CreateMainControl(RCPtr<Orv::LControl>& result, const RCPtr<Orv::LControl>& parent,
                                const RCPtr<Orv::LControlDescriptor>& descriptor)
{
    return Orv::LMainControl::Create(result, parent, descriptor);
}
