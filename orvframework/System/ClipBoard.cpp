// The clipboard service: text on the system clipboard, its kept copy, and the edit requests.
#include "System/ClipBoard.h"

#include "Application/FrameworkApp.h"
#include "Application/ThrowSites.h"
#include "ControlBase/Control.h"
#include "System/RootWindow.h"
#include "System/WindowOSServices.h"
#include "Utilities/Debug/DebugOutput.h"
#include "Utilities/Globals.h"
#include "notification/Notification.h"
#include "notification/NotificationCenter.h"

#include "platform/Clipboard.h"
#include "platform/Kernel.h"

#include <cstring>
#include <string>

namespace Orv
{
namespace
{
struct EditRequest
{
    const wchar_t* name;
    int command;
};
const EditRequest kEditRequests[] = {
    {L"NID_EDIT_CUT_REQ", LControl::kEditCut},
    {L"NID_EDIT_COPY_REQ", LControl::kEditCopy},
    {L"NID_EDIT_PASTE_REQ", LControl::kEditPaste},
    {L"NID_EDIT_DELETE_REQ", LControl::kEditDelete},
};

// The window that opens the clipboard: the application's first root window's, when it has one.
HWND ClipboardOwner()
{
    LFrameworkApp* application = GetFrameworkApp();
    if (application == nullptr)
    {
        return nullptr;
    }
    const RCPtr<LRootWindow>& window = application->GetRootWindow(0);
    if (!window || window->GetServices() == nullptr)
    {
        return nullptr;
    }
    return window->GetServices()->GetWindowHandle();
}

// A movable memory object holding bytes.
HGLOBAL MakeBlock(const void* bytes, std::size_t size)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    if (block == nullptr)
    {
        return nullptr;
    }
    void* data = GlobalLock(block);
    if (data == nullptr)
    {
        GlobalFree(block);
        return nullptr;
    }
    std::memcpy(data, bytes, size);
    GlobalUnlock(block);
    return block;
}

// The edit target of the active root window's focus control, when it accepts editing.
RCPtr<LControl> EditTarget()
{
    LFrameworkApp* application = GetFrameworkApp();
    if (application == nullptr)
    {
        return nullptr;
    }
    const RCPtr<LRootWindow>& window = application->GetActiveRootWindow();
    if (!window)
    {
        return nullptr;
    }
    const RCPtr<LControl> focus = window->GetFocusControl();
    if (!focus)
    {
        return nullptr;
    }
    RCPtr<LControl> target = focus->GetEditTarget();
    return target && target->AcceptsEdit() ? target : nullptr;
}
} // namespace

RCPtr<LClipboard> LClipboard::Create()
{
    return RCPtr<LClipboard>(new LClipboard());
}

LClipboard::~LClipboard() = default;

ORVRESULT LClipboard::Initialize()
{
    const RCPtr<LNotificationCenter> center = LFrameworkApp::GetApplicationNotificationCenter();
    int request = 0;
    for (const EditRequest& edit : kEditRequests)
    {
        if (RegisterNotification(center, edit.name) == nullptr)
        {
            ThrowFailedResultAt(ClipboardSubscriptionSite(request), E_FAIL);
        }
        ++request;
    }
    return S_OK;
}

ORVRESULT LClipboard::ReceiveNotification(const RCPtr<LNotificationDistributor>&,
                                          const RCPtr<LNotification>& notification)
{
    if (!notification)
    {
        return S_OK;
    }
    for (const EditRequest& request : kEditRequests)
    {
        if (notification->id == InternNotificationName(request.name))
        {
            PerformEditCommand(request.command);
            return 1;
        }
    }
    return S_OK;
}

WString LClipboard::GetText()
{
    const DWORD sequence = GetClipboardSequenceNumber();
    if (sequence == mSequence && mSequence != 0)
    {
        return mText;
    }
    const bool wide = IsClipboardFormatAvailable(CF_UNICODETEXT) != FALSE;
    if (!wide && IsClipboardFormatAvailable(CF_TEXT) == FALSE)
    {
        return mText;
    }
    if (!OpenClipboard(ClipboardOwner()))
    {
        GetDebugOutput().Narrow() << "Clipboard: cannot open the clipboard (error "
                                  << GetLastError() << ")" << std::endl;
        return mText;
    }
    HANDLE data = GetClipboardData(wide ? CF_UNICODETEXT : CF_TEXT);
    void* locked = data != nullptr ? GlobalLock(static_cast<HGLOBAL>(data)) : nullptr;
    if (locked != nullptr)
    {
        const SIZE_T size = GlobalSize(static_cast<HGLOBAL>(data));
        WString text;
        if (wide)
        {
            const auto* characters = static_cast<const wchar_t*>(locked);
            const SIZE_T count = size / sizeof(wchar_t);
            SIZE_T length = 0;
            while (length < count && characters[length] != 0)
            {
                ++length;
            }
            text.Assign(characters, static_cast<unsigned int>(length));
        }
        else
        {
            const auto* bytes = static_cast<const char*>(locked);
            SIZE_T length = 0;
            while (length < size && bytes[length] != 0)
            {
                ++length;
            }
            text.AssignUtf8(bytes, static_cast<int>(length));
        }
        GlobalUnlock(static_cast<HGLOBAL>(data));
        mText = text;
        mSequence = GetClipboardSequenceNumber();
    }
    CloseClipboard();
    return mText;
}

ORVRESULT LClipboard::SetText(const WString* text)
{
    if (mBusy)
    {
        return 1;
    }
    if (text == nullptr)
    {
        // The clipboard went to another owner: only the kept copy goes.
        mText = WString();
        mSequence = 0;
        return S_OK;
    }
    mBusy = true;
    ORVRESULT result = E_FAIL;
    const WString value = *text;
    if (OpenClipboard(ClipboardOwner()))
    {
        bool ok = EmptyClipboard() != FALSE;
        if (ok)
        {
            const std::size_t wideBytes = (value.GetLength() + 1) * sizeof(wchar_t);
            HGLOBAL wideBlock = MakeBlock(value.GetBuffer(), wideBytes);
            ok = wideBlock != nullptr && SetClipboardData(CF_UNICODETEXT, wideBlock) != nullptr;
            if (!ok && wideBlock != nullptr)
            {
                GlobalFree(wideBlock);
            }
        }
        if (ok)
        {
            const NString narrow = value.ToNarrow();
            HGLOBAL narrowBlock = MakeBlock(narrow.GetBuffer(), narrow.GetLength() + 1);
            ok = narrowBlock != nullptr && SetClipboardData(CF_TEXT, narrowBlock) != nullptr;
            if (!ok && narrowBlock != nullptr)
            {
                GlobalFree(narrowBlock);
            }
        }
        if (ok)
        {
            // The marker carries no data.
            SetClipboardData(kMarkerFormat, nullptr);
        }
        CloseClipboard();
        if (ok)
        {
            mText = value;
            mSequence = GetClipboardSequenceNumber();
            result = S_OK;
        }
    }
    if (result != S_OK)
    {
        GetDebugOutput().Narrow() << "Clipboard: the text could not be placed (error "
                                  << GetLastError() << ")" << std::endl;
    }
    mBusy = false;
    return result;
}

bool LClipboard::RouteEditCommand(int command)
{
    const RCPtr<LControl> target = EditTarget();
    return target && target->CanPerformEdit(command);
}

ORVRESULT LClipboard::PerformEditCommand(int command)
{
    const RCPtr<LControl> target = EditTarget();
    if (!target || !target->CanPerformEdit(command))
    {
        return 1;
    }
    return target->PerformEdit(command);
}
} // namespace Orv
