// The framework side of the start-up benchmark: starts GDI+, loads the embedded string tables and
// the skin of a 640 x 480 control tree, makes the framework application and its main window, and
// runs the message loop. It writes "painted" to standard output once the main window's first
// frame is on the window, then lets the shown window idle for the seconds given as its argument
// (0: it ends at once) and writes "idle-end" before it tears down.
#include "Application/FrameworkApp.h"
#include "ControlBase/ControlCreator.h"
#include "System/OSWindow.h"
#include "System/RootWindow.h"

#include "platform/Afx.h"
#include "platform/GdiPlus.h"

#include <cstdio>
#include <cstdlib>

namespace
{
using namespace Orv;

class BenchApplication : public LFrameworkApp
{
public:
    explicit BenchApplication(const RCPtr<LControlFactory>& factory,
                              const RCPtr<LStringTable>& frameworkTable)
        : LFrameworkApp(factory, frameworkTable, WString(L"bench_startup_window"))
    {
    }

    ORVRESULT GetCompanyName(WString& out) override { return Text(out, L"Orv"); }
    ORVRESULT GetProductName(WString& out) override { return Text(out, L"Startup Bench"); }
    ORVRESULT GetProductVersion(WString& out) override { return Text(out, L"1.0.0"); }
    ORVRESULT GetVersionFolderName(WString& out) override { return Text(out, L"1_0_0"); }
    ORVRESULT GetProductFolderName(WString& out) override { return Text(out, L"StartupBench"); }
    ORVRESULT GetMainControlName(WString& out) override { return Text(out, L"mainControl"); }
    int GetLanguageId() override { return 9; }
    ORVRESULT GetFolder(WString& out, int) override { return Text(out, L"/tmp"); }
    ORVRESULT CreateMainWindow() override
    {
        return CreateRootWindow(WString(L"mainControl"), false) >= 0 ? S_OK : E_FAIL;
    }

private:
    static ORVRESULT Text(WString& out, const wchar_t* text)
    {
        out = WString(text);
        return S_OK;
    }
};

// The message loop: the framework's idle step, "painted" after the main window's first paint,
// and the end once the window has idled for the given time.
class BenchLoop : public CWinApp
{
public:
    BenchLoop()
        : CWinApp(L"OrvStartupBench")
    {
    }

    BOOL PumpMessage() override
    {
        const BOOL result = CWinApp::PumpMessage();
        if (!mPainted && m_msgCur.message == WM_PAINT && m_pMainWnd != nullptr &&
            m_msgCur.hwnd == m_pMainWnd->GetSafeHwnd())
        {
            mPainted = true;
            std::printf("painted\n");
            std::fflush(stdout);
            ::SetTimer(m_pMainWnd->GetSafeHwnd(), kEndTimer, mIdleMilliseconds + 1, &End);
        }
        return result;
    }
    BOOL OnIdle(LONG count) override
    {
        return LFrameworkApp::OnMessageLoopIdle(count) ? TRUE : FALSE;
    }

    static constexpr UINT_PTR kEndTimer = 77;
    UINT mIdleMilliseconds = 0;

private:
    static void CALLBACK End(HWND window, UINT, UINT_PTR id, DWORD)
    {
        ::KillTimer(window, id);
        std::printf("idle-end\n");
        std::fflush(stdout);
        ::PostQuitMessage(0);
    }

    bool mPainted = false;
};
} // namespace

int main(int argc, char** argv)
{
    const int idleSeconds = argc > 1 ? std::atoi(argv[1]) : 0;
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok)
    {
        std::fprintf(stderr, "GDI+ did not start\n");
        return 1;
    }
    int status = 0;
    {
        BenchLoop loop;
        loop.mIdleMilliseconds = static_cast<UINT>(idleSeconds) * 1000;
        RCPtr<LControlFactory> factory(new LControlFactory(WString(L"BenchApp")));
        SetControlFactory(factory);
        factory->RegisterControlCreateFunction(WString(L"Bench.Panel"), &CreateControlOf<LControl>);
        factory->LoadStringTables(WString(L"::APP_STRINGS"), WString(L"::FRAMEWORK_STRINGS"), 9);
        if (FAILED(factory->LoadSkins(WString(L"::APP_SKINS"))))
        {
            std::fprintf(stderr, "The skin did not load: %s\n",
                         factory->GetLastErrorText().ToNarrow().GetBuffer());
            return 1;
        }
        RCPtr<LStringTable> frameworkTable;
        factory->GetFrameworkStringTable(frameworkTable);
        RCPtr<BenchApplication> application(new BenchApplication(factory, frameworkTable));
        if (FAILED(application->RunApplicationStartup()) || FAILED(application->CreateMainWindow()))
        {
            std::fprintf(stderr, "The main window could not be made\n");
            status = 1;
        }
        else
        {
            IWindowOSServices* services = application->GetRootWindow(0)->GetServices();
            loop.m_pMainWnd = dynamic_cast<OSWindow*>(services);
            application->Run();
        }
        if (loop.m_pMainWnd != nullptr)
        {
            loop.m_pMainWnd->DestroyWindow();
        }
        application->ReleaseServices();
        application = nullptr;
        SetControlFactory(nullptr);
    }
    Gdiplus::GdiplusShutdown(token);
    return status;
}
