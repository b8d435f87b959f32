#include "Controls/StatusBar.h"

#include "Controls/NotificationChain.h"
#include "System/RootWindow.h"
#include "Utilities/Storage/WrapperStringable.h"

namespace Orv
{
namespace
{
const wchar_t kSetStatusText[] = L"NID_SET_STATUS_TEXT";
} // namespace

LStatusBar::LStatusBar(const RCPtr<LControl>& parent, const RCPtr<LControlDescriptor>& descriptor)
    : LControl(parent, descriptor)
{
}

LStatusBar::~LStatusBar()
{
    LNotificationQueue::Detach();
}

ORVRESULT LStatusBar::Initialize()
{
    const ORVRESULT result = LControl::Initialize();
    const RCPtr<LStatusBar> self(this);
    if (!IsCreated())
    {
        mStatusHandler = new LNotificationHandler<LStatusBar>(this);
        mStatusHandler->SubscribeHandler(&LStatusBar::OnSetStatusText,
                                         RCPtr<LNotificationDistributor>(self), kSetStatusText,
                                         LNotificationDistributor::kLatestOnly);
        SetDistributor(RCPtr<LNotificationDistributor>(self));
        // Kept until the tree has a window, and subscribed there.
        SubscribeIdle();
    }
    mLabel = DynamicCast<LLabel>(FindChildControl(WString(L"label1")));
    mDefaultText = GetString(L"LABEL");
    return result;
}

ORVRESULT LStatusBar::ReadCreateParams()
{
    const ORVRESULT result = LControl::ReadCreateParams();
    SetNotFocusable(true);
    return result;
}

void LStatusBar::OnIdleTick()
{
    ProcessNotifications(false);
}

ORVRESULT LStatusBar::ReleaseInternalReferences()
{
    LNotificationQueue::Detach();
    return LControl::ReleaseInternalReferences();
}

ORVRESULT LStatusBar::SetStatusText(const WString& text)
{
    // A text still queued is older than this one: it must not overwrite it later.
    ProcessNotifications(false);
    if (!mLabel)
    {
        return E_FAIL;
    }
    mLabel->SetText(text);
    if (auto* window = dynamic_cast<LRootWindow*>(GetTreeRootWindow().Get()))
    {
        window->RedrawNow();
    }
    return S_OK;
}

ORVRESULT LStatusBar::QueueStatusText(const WString& text)
{
    return PostNotification(LNotification::Create(
        kSetStatusText, RCPtr<LRefCountedObject>(LWrapperStringable<WString>::Create(text))));
}

WString LStatusBar::GetStatusText() const
{
    return mLabel ? mLabel->GetText() : WString();
}

ORVRESULT LStatusBar::OnSetStatusText(const RCPtr<LNotificationDistributor>&,
                                      const RCPtr<LNotification>& notification)
{
    if (mLabel && notification->param)
    {
        mLabel->SetText(notification->param->ToString());
    }
    return 1;
}

ORVRESULT LStatusBar::ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                          const RCPtr<LNotification>& notification)
{
    return ReceiveThroughChain<LControl>(*this, mStatusHandler, source, notification);
}

ORVRESULT LStatusBar::Unregister(const RCPtr<LNotificationDistributor>& source, const wchar_t* name)
{
    return UnregisterThroughChain<LControl>(*this, mStatusHandler, source, name);
}
} // namespace Orv
