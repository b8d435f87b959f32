#include "System/Dialog.h"

#include "System/CancelArgs.h"
#include "System/RootWindow.h"
#include "notification/Notification.h"

namespace Orv
{
LDialog::LDialog(const RCPtr<LControl>& parent, const RCPtr<LControlDescriptor>& descriptor)
    : LControl(parent, descriptor)
{
}

ORVRESULT LDialog::Close(int result)
{
    mResult = result;
    const RCPtr<LCancelArgs> args = LCancelArgs::Create();
    SendNotification(LNotification::Create(L"NID_DIALOG_CLOSING", args));
    if (args->cancel)
    {
        return S_FALSE;
    }
    auto* window = dynamic_cast<LRootWindow*>(GetTreeRootWindow().Get());
    if (window == nullptr || FAILED(window->RequestClose(result)))
    {
        return E_FAIL;
    }
    SendNotification(LNotification::Create(L"NID_DIALOG_CLOSED"));
    OnClosed();
    return S_OK;
}
} // namespace Orv
