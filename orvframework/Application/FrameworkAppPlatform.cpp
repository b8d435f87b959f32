// What the framework asks of the platform: clocks, key state, cursors, the system font, the work
// area, message boxes, windows for control descriptors and the message loop.
#include "Application/FrameworkApp.h"

#include "ControlBase/Control.h"
#include "System/OSWindow.h"
#include "System/RootWindow.h"
#include "Utilities/Debug/DebugOutput.h"
#include "Utilities/Globals.h"

#include "platform/Afx.h"

#include <cstdlib>
#include <memory>

namespace Orv
{
namespace
{
// The owner of the application's message boxes and modal windows.
HWND MainWindowHandle(const LFrameworkApp& application)
{
    const RCPtr<LRootWindow>& main = application.GetRootWindow(0);
    if (!main || main->GetServices() == nullptr)
    {
        return nullptr;
    }
    return main->GetServices()->GetWindowHandle();
}

// A window extent from a descriptor's size rule: its absolute size, when it gives one.
int WindowExtent(const LLayoutDescriptor* layout, int axis)
{
    if (layout == nullptr)
    {
        return CW_USEDEFAULT;
    }
    const LayoutSpec& size = layout->axes[axis].size;
    if (size.kind != LLayoutDescriptor::kSizeAbsolute || size.abs < 1)
    {
        return CW_USEDEFAULT;
    }
    return static_cast<int>(RoundDoubleToLong(size.abs));
}
} // namespace

HCURSOR LFrameworkApp::GetCursor(const WString& name)
{
    return OrvPlatform::Window::LoadNamedCursor(name.GetBuffer());
}

ORVRESULT LFrameworkApp::GetSystemFont(WString& name, float& size, int& style)
{
    LOGFONTW font{};
    if (!::SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof(font), &font, 0))
    {
        return E_FAIL;
    }
    font.lfFaceName[LF_FACESIZE - 1] = 0;
    name = WString(font.lfFaceName);
    size = static_cast<float>(std::abs(font.lfHeight)) * 72.0f / 96.0f;
    style = LFont::kRegular;
    style |= font.lfWeight >= FW_BOLD ? LFont::kBold : 0;
    style |= font.lfItalic != 0 ? LFont::kItalic : 0;
    style |= font.lfUnderline != 0 ? LFont::kUnderline : 0;
    style |= font.lfStrikeOut != 0 ? LFont::kStrikeout : 0;
    return S_OK;
}

ORVRESULT LFrameworkApp::GetWorkArea(RectT<LONG>& out)
{
    RECT area{};
    if (!::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0))
    {
        return E_FAIL;
    }
    out = RectT<LONG>(area.left, area.top, area.right - area.left, area.bottom - area.top);
    return S_OK;
}

double LFrameworkApp::GetElapsedSeconds()
{
    const DWORD now = mClock->GetMilliseconds();
    // The difference of two readings is right across the clock's wrap.
    mElapsedSeconds += static_cast<double>(static_cast<DWORD>(now - mLastClock)) / 1000.0;
    mLastClock = now;
    return mElapsedSeconds;
}

DWORD LFrameworkApp::GetTimeMs()
{
    return mClock->GetMilliseconds();
}

ORVRESULT LFrameworkApp::GetLocalTime(int& year, int& month, int& dayOfWeek, int& day, int& hour,
                                      int& minute, int& second, int& millisecond)
{
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    year = now.wYear;
    month = now.wMonth;
    dayOfWeek = now.wDayOfWeek;
    day = now.wDay;
    hour = now.wHour;
    minute = now.wMinute;
    second = now.wSecond;
    millisecond = now.wMilliseconds;
    return S_OK;
}

ORVRESULT LFrameworkApp::GetKeyState(int key, BYTE& down, BYTE& toggled)
{
    const SHORT state = ::GetKeyState(key);
    down = (state & 0x8000) != 0 ? 1 : 0;
    toggled = (state & 0x0001) != 0 ? 1 : 0;
    return S_OK;
}

int LFrameworkApp::ShowMessage(const WString& text, const WString& caption, UINT flags)
{
    return ::MessageBoxW(MainWindowHandle(*this), text.GetBuffer(), caption.GetBuffer(), flags);
}

int LFrameworkApp::ShowCursor(bool show)
{
    return ::ShowCursor(show ? TRUE : FALSE);
}

ORVRESULT LFrameworkApp::SetCursorPos(LONG x, LONG y)
{
    return ::SetCursorPos(x, y) ? S_OK : E_FAIL;
}

ORVRESULT LFrameworkApp::CreateTopLevelControl(RCPtr<LControl>& out, const WString& name,
                                               const RCPtr<LRootWindow>& rootWindow)
{
    out = nullptr;
    if (!mFactory)
    {
        return E_FAIL;
    }
    return mFactory->CreateTopLevelControl(out, name, rootWindow);
}

int LFrameworkApp::CreateRootWindow(const WString& name, bool modal)
{
    if (!mFactory)
    {
        return E_FAIL;
    }
    const RCPtr<LControlDescriptor>& descriptor = mFactory->FindControlDescriptor(name);
    if (!descriptor)
    {
        ORV_THROW(std::runtime_error, "Null Pointer", "Invalid Control Name");
    }
    const LLayoutDescriptor* layout = descriptor->GetLayout().Get();
    // Once its window exists the object deletes itself when the window goes (after a modal
    // loop its caller does).
    auto made = std::make_unique<OSWindow>();
    const DWORD style = modal ? (WS_POPUP | WS_CAPTION | WS_SYSMENU) : WS_OVERLAPPEDWINDOW;
    if (!made->CreateEx(0,
                        OSWindow::GetWindowClassName().IsEmpty()
                            ? nullptr
                            : OSWindow::GetWindowClassName().GetBuffer(),
                        name.GetBuffer(), style, CW_USEDEFAULT, CW_USEDEFAULT,
                        WindowExtent(layout, LLayoutDescriptor::kAxisX),
                        WindowExtent(layout, LLayoutDescriptor::kAxisY),
                        modal ? MainWindowHandle(*this) : nullptr, nullptr))
    {
        GetDebugOutput().Narrow() << "The window for " << name.ToNarrow().GetBuffer()
                                  << " cannot be made" << std::endl;
        return E_FAIL;
    }
    OSWindow* window = made.release();
    // The client area, not the window with its frame, takes the descriptor's size.
    RectT<LONG> client(0, 0, 0, 0);
    window->GetClientRect(client);
    const int width = WindowExtent(layout, LLayoutDescriptor::kAxisX);
    const int height = WindowExtent(layout, LLayoutDescriptor::kAxisY);
    const PointT<LONG> origin = window->ClientToScreen(PointT<LONG>(0, 0));
    window->SetWindowRect(RectT<LONG>(origin.x, origin.y,
                                      width != CW_USEDEFAULT ? width : client.width,
                                      height != CW_USEDEFAULT ? height : client.height));
    window->CreateRenderer(GetRendererType());
    const RCPtr<LRootWindow> root = window->GetRootWindow();
    if (FAILED(root->CreateRootControl(name)) || !root->GetRootControl())
    {
        GetDebugOutput().Narrow() << "The control " << name.ToNarrow().GetBuffer()
                                  << " cannot be made" << std::endl;
        window->DestroyWindow();
        return E_FAIL;
    }
    const WString title = root->GetRootControl()->GetString(L"LABEL");
    if (!title.IsEmpty())
    {
        window->SetWindowText(title);
    }
    if (!modal)
    {
        window->ShowWindow(SW_SHOW);
        window->UpdateWindow();
    }
    return mRootWindows.Find(root.Get());
}

int LFrameworkApp::RunModalRootWindow(const WString& name, DWORD)
{
    if (!mFactory || !mFactory->FindControlDescriptor(name))
    {
        return E_FAIL;
    }
    const int index = CreateRootWindow(name, true);
    if (index < 0)
    {
        return E_FAIL;
    }
    const RCPtr<LRootWindow> root = mRootWindows.GetConstElementPointer(index);
    auto* window = dynamic_cast<OSWindow*>(root->GetServices());
    if (window == nullptr)
    {
        return E_FAIL;
    }
    const int result = window->DoModal();
    // The loop has destroyed the window; its object is the caller's to delete.
    delete window;
    return result;
}

int LFrameworkApp::RunMessageLoop()
{
    CWinApp* application = AfxGetApp();
    if (application == nullptr)
    {
        GetDebugOutput().Narrow() << "RunMessageLoop: there is no application loop" << std::endl;
        return -1;
    }
    return application->Run();
}
} // namespace Orv
