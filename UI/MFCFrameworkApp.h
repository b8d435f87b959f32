// The program object: the one application object of the message-loop layer (CWinApp), made
// before main, which takes the program from its entry to the running message loop and back to
// the exit status: InitApplication (graphics, splash screen, control factory, string tables and
// skins, then the single-instance test), InitInstance (the debug option, the profile's key), Run
// (the application object T, its start-up, the main window, the message loop), and the idle hook
// of the loop. It answers the application's folders.
//
// T is the application class: constructed on (factory, framework string table, command line), a
// LFrameworkApp with GetExitStatus(), MayExit() (false while an update is written) and the statics
// GetSecondStartExitStatus(command line) and RunsWithoutWindow(command line).
//
// UI thread only, but for the command lines handed over, which arrive on the single-instance
// listener's thread: they are taken while the main window starts or is up and no update is
// written (the later start is told otherwise), and delivered to the main window by the idle hook.
#pragma once

#include "Application/FrameworkApp.h"
#include "ControlBase/ControlFactory.h"
#include "DebugConsoleOption.h"
#include "FrameworkProgram.h"
#include "MainWindowClassName.h"
#include "SingleInstance.h"
#include "System/OSWindow.h"
#include "System/RootWindow.h"
#include "System/SplashScreen.h"
#include "Utilities/Debug/DebugOutput.h"
#include "Utilities/Globals.h"
#include "Utilities/Graphics/Bitmap.h"
#include "Utilities/Storage/PathSeparator.h"
#include "Version.h"

#include "platform/Afx.h"
#include "platform/GdiPlus.h"
#include "platform/Shell.h"

#include <atomic>
#include <cstdio>
#include <memory>
#include <mutex>
#include <sys/stat.h>
#include <vector>

namespace Orv
{
template <class T>
class MFCFrameworkApp : public CWinApp, public IFrameworkProgram
{
public:
    // English, the language taken when the caller gives none (-1).
    static constexpr int kEnglish = 0x0409;
    // The folder id whose text names the resources themselves.
    static constexpr int kResourceFolder = 1;
    static constexpr const wchar_t* kResourceFolderText = L"::";
    // Results of the application's start-up that end the program quietly, without its window.
    static bool IsQuietStop(ORVRESULT result)
    {
        const auto code = static_cast<std::uint32_t>(result);
        return code == 0x8000A020u || (code >= 0x8000A000u && code <= 0x8000A003u) ||
               code == 0x8000A010u;
    }

    // instanceFolder: where the single-instance lock lives (SingleInstance::DefaultFolder when
    // empty); timings and clock: those of the command-line hand-over.
    explicit MFCFrameworkApp(const std::string& instanceFolder = std::string(),
                             const SingleInstance::Timings& timings = SingleInstance::Timings(),
                             const RCPtr<LClock>& clock = nullptr)
        : CWinApp(nullptr)
        , mInstanceFolder(instanceFolder)
        , mInstanceTimings(timings)
        , mInstanceClock(clock)
    {
    }
    ~MFCFrameworkApp() override { CloseSplash(); }

    // The steps of Part of the entry (FrameworkWinMain) before InitApplication.
    void SetStartValues(int languageId, const WString& splashImageName)
    {
        mLanguageId = languageId;
        mSplashImageName = splashImageName;
    }
    int GetLanguageId() const override { return mLanguageId; }
    const WString& GetCommandLine() const { return mCommandLine; }
    bool IsFirstInstance() const { return mFirstInstance; }
    bool IsInitialised() const { return !mNotInitialised; }
    const RCPtr<LControlFactory>& GetControlFactory() const { return mFactory; }
    const RCPtr<LStringTable>& GetFrameworkStringTable() const { return mFrameworkStringTable; }
    // The application object while Run runs; null before and after.
    static const RCPtr<T>& GetApplication() { return ApplicationPointer(); }
    // The exit status the application left when Run ended.
    int GetExitStatus() const { return mExitStatus; }

    BOOL InitApplication() override
    {
        CWinApp::InitApplication();
        mNotInitialised = false;
        mCommandLine = WString(m_cmdLine.c_str());
        Gdiplus::GdiplusStartupInput input;
        const Gdiplus::Status started = Gdiplus::GdiplusStartup(&mGdiplusToken, &input, nullptr);
        if (started != Gdiplus::Ok)
        {
            mGdiplusToken = 0;
            ORV_THROW(std::runtime_error, "Graphics Start-up",
                      "GDI+ did not start (status " + std::to_string(started) + ")");
        }
        mGdiplusStarted = true;
        ShowSplash();
        // The version record is read here, where a failure to read it is a start-up failure.
        m_appName = Version::GetProductName().GetBuffer();
        mFactory = new LControlFactory(Version::GetProductName());
        SetControlFactory(mFactory);
        ORV_REQUIRE_SUCCESS(LoadResources(GetFolder(kResourceFolder), mLanguageId));
        mFactory->GetFrameworkStringTable(mFrameworkStringTable);

        std::string folder =
            mInstanceFolder.empty() ? SingleInstance::DefaultFolder() : mInstanceFolder;
        if (folder.empty())
        {
            GetDebugOutput().Narrow() << "Single instance: no folder for the lock; the program "
                                         "starts without it"
                                      << std::endl;
            return TRUE;
        }
        mInstance = std::make_unique<SingleInstance>(
            folder, (GetMainWindowClassName() + WString(L"Prevent")).ToNarrow().GetBuffer(),
            mInstanceTimings, mInstanceClock);
        switch (mInstance->Acquire())
        {
            case SingleInstance::kFirst:
                mFirstInstance = true;
                // A window that is still starting keeps what is handed over until it is up and
                // no update is written; a run without a window never takes a command line.
                mTakesCommandLines = !T::RunsWithoutWindow(mCommandLine);
                mInstance->StartListening([this](const WString& text)
                                          { return QueueHandOver(text); });
                return TRUE;
            case SingleInstance::kFailed:
                // Without a lock the program still starts: the reason is on the debug output.
                mFirstInstance = true;
                return TRUE;
            case SingleInstance::kOther:
                break;
        }
        mFirstInstance = false;
        // Another instance runs: it gets this command line and comes to the front; this one
        // ends, whether or not the other took it, so that two updaters never drive one device.
        // The caller learns on standard error what became of the command line, and from the exit
        // status that this process did not do a job whose result the status tells.
        const SingleInstance::HandOverResult handedOver =
            mCommandLine.IsEmpty() ? SingleInstance::kTaken : mInstance->HandOver(mCommandLine);
        mExitStatus = T::GetSecondStartExitStatus(mCommandLine);
        const char* said = nullptr;
        switch (handedOver)
        {
            case SingleInstance::kTaken:
                said = "Another instance of the updater is running: this start handed its command "
                       "line to the running instance and ends.";
                break;
            case SingleInstance::kBusy:
                said = "Another instance of the updater is running and is busy (an update is being "
                       "written, or it runs without its window): it did not take this start's "
                       "command line. This start ends; start it again once the other has ended.";
                break;
            case SingleInstance::kRefused:
            case SingleInstance::kNotReached:
                said = "Another instance of the updater is running, but this start could not hand "
                       "its command line to it. This start ends.";
                break;
        }
        std::fprintf(stderr, "%s\n", said);
        if (mExitStatus != 0)
        {
            std::fprintf(stderr,
                         "The update or status query this start asked for was not done by this "
                         "process: exit status %d.\n",
                         mExitStatus);
        }
        GetDebugOutput().Narrow() << said << std::endl;
        CloseSplash();
        return FALSE;
    }

    BOOL InitInstance() override
    {
        DebugConsoleOption::Parse(mCommandLine.ToNarrow()).Apply();
        SetRegistryKey(Version::GetCompanyName().GetBuffer());
        return TRUE;
    }

    // Always 1.
    int Run() override
    {
        const RCPtr<T> application(new T(mFactory, mFrameworkStringTable, mCommandLine));
        ApplicationPointer() = application;
        // Whatever happens below, the application is released and its pointer cleared.
        struct Release
        {
            MFCFrameworkApp& program;
            const RCPtr<T>& application;
            ~Release()
            {
                program.mTakesCommandLines = false;
                program.mExitStatus = application->GetExitStatus();
                application->ReleaseServices();
                ApplicationPointer() = nullptr;
                program.CloseSplash();
            }
        } release{*this, application};

        const ORVRESULT started = application->RunApplicationStartup();
        if (IsQuietStop(started))
        {
            CloseSplash();
            CWinApp::Run();
            return 1;
        }
        ORV_REQUIRE_SUCCESS(started);
        ORV_REQUIRE_SUCCESS(application->CreateMainWindow());
        const RCPtr<LRootWindow>& main = application->GetRootWindow(0);
        if (!main || !main->GetRootControl())
        {
            ORV_REQUIRE_SUCCESS(E_FAIL);
        }
        if (auto* window = dynamic_cast<OSWindow*>(main->GetServices()))
        {
            m_pMainWnd = window;
            mMainWindow = window->GetSafeHwnd();
            window->ShowWindow(SW_SHOW);
            window->UpdateWindow();
        }
        CloseSplash();
        UpdateTakesCommandLines();
        application->Run();
        mTakesCommandLines = false;
        m_pMainWnd = nullptr;
        mMainWindow = nullptr;
        return 1;
    }

    // The message loop itself, for the application's run step.
    int RunMessageLoop() override { return CWinApp::Run(); }

    // Delivers the command lines handed over, then runs the framework's idle pass for the count.
    BOOL OnIdle(LONG count) override
    {
        DeliverHandOvers();
        const BOOL more = LFrameworkApp::OnMessageLoopIdle(count) ? TRUE : FALSE;
        UpdateTakesCommandLines();
        return more;
    }

    // The string tables and skins: from the resources for "::", else from the files of the
    // folder. The result of the string tables when they fail, else that of the skins.
    ORVRESULT LoadResources(const WString& folder, int languageId)
    {
        if (!mFactory)
        {
            return E_FAIL;
        }
        ORVRESULT result = S_OK;
        // The skin's images come from the same place as its documents.
        if (folder == kResourceFolderText)
        {
            mFactory->SetImagePathPrefix(WString(kResourceFolderText));
            result = mFactory->LoadStringTables(WString(L"::APP_STRINGS"),
                                                WString(L"::FRAMEWORK_STRINGS"), languageId);
            if (FAILED(result))
            {
                return result;
            }
            result = mFactory->LoadSkins(WString(L"::APP_SKINS"));
        }
        else
        {
            mFactory->SetImagePathPrefix(InFolder(folder, L""));
            result =
                mFactory->LoadStringTables(InFolder(folder, L"StringTables.xml"),
                                           InFolder(folder, L"FrameworkStrings.xml"), languageId);
            if (FAILED(result))
            {
                return result;
            }
            result = mFactory->LoadSkins(InFolder(folder, L"Skins.xml"));
        }
        if (FAILED(result))
        {
            GetDebugOutput().Narrow()
                << "The resources did not load: "
                << mFactory->GetLastErrorText().ToNarrow().GetBuffer() << std::endl;
        }
        return result;
    }

    // The splash image from the resources, on its own thread, its bar stepping from 0 to 100.
    virtual void ShowSplash()
    {
        if (mSplashImageName.IsEmpty() || mSplash)
        {
            return;
        }
        const ConstRCPtr<LBitmap> image =
            LBitmap::GetBitmap(WString(kResourceFolderText) + mSplashImageName);
        if (!image || image->GetGdiplusBitmap() == nullptr)
        {
            GetDebugOutput().Narrow()
                << "The splash image " << mSplashImageName.ToNarrow().GetBuffer() << " did not load"
                << std::endl;
            return;
        }
        mSplash = std::make_unique<LSplashScreen>();
        mSplash->SetImage(image);
        mSplash->SetIcon(T::kIcon);
        mSplash->Start();
        mSplash->SetProgress(0, 100, 8);
    }

    virtual void CloseSplash()
    {
        if (mSplash)
        {
            mSplash->PostStop(100);
            mSplash->Close();
            mSplash.reset();
        }
    }
    LSplashScreen* GetSplash() const { return mSplash.get(); }

    // 0 the program's folder; 1 "::" (the resources); 2 and 3 the common and the user's data
    // folders with the company's and the product's folders below, made when missing; 4 the
    // documents folder. Empty when the folder cannot be found or made. Any other id throws
    // "Unknown Path ID.".
    WString GetFolder(int id) const override
    {
        switch (id)
        {
            case 0:
            {
                wchar_t path[4096] = {};
                const DWORD length = ::GetModuleFileNameW(nullptr, path, 4096);
                if (length == 0 || length >= 4096)
                {
                    return WString();
                }
                const WString file(path);
                const int separator = file.ReverseFind(kPathSeparator);
                return separator > 0 ? file.Left(separator) : WString();
            }
            case kResourceFolder:
                return WString(kResourceFolderText);
            case 2:
                return ProductFolder(CSIDL_COMMON_APPDATA);
            case 3:
                return ProductFolder(CSIDL_LOCAL_APPDATA);
            case 4:
                return ShellFolder(CSIDL_PERSONAL);
            default:
                ORV_THROW(std::out_of_range, "Unknown Path ID.");
        }
    }

    // A company or product name as a folder name: \ / : * ? " < > | & ; , ^ ( ) become '_'.
    static WString FolderName(const WString& name)
    {
        static const wchar_t kReplaced[] = L"\\/:*?\"<>|&;,^()";
        std::wstring out(name.GetBuffer(), name.GetLength());
        for (wchar_t& c : out)
        {
            for (const wchar_t* r = kReplaced; *r != 0; ++r)
            {
                if (c == *r)
                {
                    c = L'_';
                }
            }
        }
        return WString(out.c_str());
    }

    // Shows the start-up failure: its text (the framework table's "EXCEPTION_ID" or the built-in
    // text, with the code) in an error box (on standard error where there is no display).
    void ShowStartupFailure(int code) const
    {
        WString format(L"The application encountered problems during startup and will now "
                       L"close.  (Error code = %d)");
        WString caption(L"Error");
        if (mFrameworkStringTable)
        {
            mFrameworkStringTable->Lookup(L"EXCEPTION_ID", format);
            mFrameworkStringTable->Lookup(L"STARTUP_ERROR_CAPTION", caption);
        }
        const WString text = FormatCode(format, code);
        ::MessageBoxW(nullptr, text.GetBuffer(), caption.GetBuffer(), MB_ICONERROR);
    }

    // The end of the entry: graphics shut down, the factory and the string table released.
    void Terminate()
    {
        CloseSplash();
        mInstance.reset();
        if (mGdiplusStarted)
        {
            Gdiplus::GdiplusShutdown(mGdiplusToken);
            mGdiplusStarted = false;
        }
        if (mFactory && GetControlFactory() == mFactory)
        {
            SetControlFactory(nullptr);
        }
        RCPtr<LControlFactory> factory = std::move(mFactory);
        RCPtr<LStringTable> table = std::move(mFrameworkStringTable);
        factory = nullptr;
        table = nullptr;
    }

private:
    static RCPtr<T>& ApplicationPointer()
    {
        static RCPtr<T> application;
        return application;
    }

    static WString InFolder(const WString& folder, const wchar_t* file)
    {
        WString path = folder;
        path.Append(kPathSeparator);
        path.Append(WString(file));
        return path;
    }

    static WString ShellFolder(int folder)
    {
        wchar_t path[MAX_PATH] = {};
        if (FAILED(::SHGetFolderPathW(nullptr, folder | CSIDL_FLAG_CREATE, nullptr,
                                      SHGFP_TYPE_CURRENT, path)))
        {
            return WString();
        }
        return WString(path);
    }

    static bool MakeFolder(const WString& folder)
    {
        const NString path = folder.ToNarrow();
        struct stat info
        {
        };
        if (mkdir(path.GetBuffer(), 0700) == 0)
        {
            return true;
        }
        return stat(path.GetBuffer(), &info) == 0 && S_ISDIR(info.st_mode);
    }

    static WString ProductFolder(int folder)
    {
        WString path = ShellFolder(folder);
        if (path.IsEmpty())
        {
            return path;
        }
        for (const WString& name :
             {FolderName(Version::GetCompanyName()), FolderName(Version::GetProductName())})
        {
            path = InFolder(path, name.GetBuffer());
            if (!MakeFolder(path))
            {
                GetDebugOutput().Narrow() << "The folder " << path.ToNarrow().GetBuffer()
                                          << " cannot be made" << std::endl;
                return WString();
            }
        }
        return path;
    }

    // The first "%d" of format replaced by code; the rest of the text as it stands.
    static WString FormatCode(const WString& format, int code)
    {
        std::wstring text(format.GetBuffer(), format.GetLength());
        const std::size_t at = text.find(L"%d");
        if (at != std::wstring::npos)
        {
            text.replace(at, 2, std::to_wstring(code));
        }
        return WString(text.c_str());
    }

    // On the listener's thread: queues text when command lines are taken now.
    bool QueueHandOver(const WString& text)
    {
        std::lock_guard<std::mutex> guard(mHandOverLock);
        if (!mTakesCommandLines)
        {
            return false;
        }
        mHandOvers.push_back(text);
        return true;
    }

    // Command lines are taken while the main window is up and no update is written.
    void UpdateTakesCommandLines()
    {
        const RCPtr<T>& application = ApplicationPointer();
        mTakesCommandLines = mMainWindow != nullptr && application && application->MayExit();
    }

    // Each command line handed over goes to the main window as the copy-data message of a
    // command line, after the window is brought to the front; they wait while there is none.
    void DeliverHandOvers()
    {
        // The window may be gone already (closed, its object deleted): its handle tells.
        const HWND handle = mMainWindow;
        const RCPtr<T>& application = ApplicationPointer();
        if (handle == nullptr || !::IsWindow(handle) || !application || !application->MayExit())
        {
            // Kept until the window can take them.
            return;
        }
        std::vector<WString> texts;
        {
            std::lock_guard<std::mutex> guard(mHandOverLock);
            texts.swap(mHandOvers);
        }
        for (const WString& text : texts)
        {
            ::BringWindowToTop(handle);
            if (::IsIconic(handle))
            {
                ::ShowWindow(handle, SW_RESTORE);
            }
            COPYDATASTRUCT data{};
            data.dwData = OSWindow::kCommandLineTag;
            data.cbData = static_cast<DWORD>((text.GetLength() + 1) * sizeof(wchar_t));
            data.lpData = const_cast<wchar_t*>(text.GetBuffer());
            ::SendMessageW(handle, WM_COPYDATA, OSWindow::kCommandLineTag,
                           reinterpret_cast<LPARAM>(&data));
        }
    }

    bool mNotInitialised = true;
    RCPtr<LControlFactory> mFactory;
    RCPtr<LStringTable> mFrameworkStringTable;
    std::unique_ptr<LSplashScreen> mSplash;
    bool mFirstInstance = true;
    WString mCommandLine;
    ULONG_PTR mGdiplusToken = 0;
    bool mGdiplusStarted = false;
    int mLanguageId = kEnglish;
    WString mSplashImageName;
    int mExitStatus = 0;
    std::string mInstanceFolder;
    SingleInstance::Timings mInstanceTimings;
    RCPtr<LClock> mInstanceClock;
    std::unique_ptr<SingleInstance> mInstance;
    // The main window while Run runs.
    HWND mMainWindow = nullptr;
    std::mutex mHandOverLock;
    std::vector<WString> mHandOvers;
    // Whether the listener takes command lines now (written on the UI thread).
    std::atomic<bool> mTakesCommandLines{false};
};
} // namespace Orv
