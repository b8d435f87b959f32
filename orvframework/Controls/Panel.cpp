#include "Controls/Panel.h"

#include "Application/FrameworkApp.h"
#include "ControlBase/ControlNotificationNames.h"
#include "Controls/NotificationChain.h"
#include "System/GlobalHotKeyManager.h"
#include "notification/Notification.h"

namespace Orv
{
namespace
{
// The last control a key visited, or null.
RCPtr<LControl> LastVisited(const LKeyParam& param)
{
    const unsigned int count = param.visitedControls.GetCount();
    if (count == 0)
    {
        return nullptr;
    }
    return RCPtr<LControl>(
        dynamic_cast<LControl*>(param.visitedControls.GetConstElementPointer(count - 1).Get()));
}

void Visit(LKeyParam& param, LControl* control)
{
    param.visitedControls.InsertItem(param.visitedControls.GetCount(),
                                     RCPtr<LRefCountedObject>(control));
}
} // namespace

LPanel::LPanel(const RCPtr<LControl>& parent, const RCPtr<LControlDescriptor>& descriptor)
    : LScrollView(parent, descriptor)
{
}

LPanel::LPanel(const RCPtr<LControl>& parent, const WString& name)
    : LScrollView(parent, name)
{
}

LPanel::~LPanel()
{
    mPanelHandler = nullptr;
}

ORVRESULT LPanel::ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                      const RCPtr<LNotification>& notification)
{
    return ReceiveThroughChain<LScrollView>(*this, mPanelHandler, source, notification);
}

ORVRESULT LPanel::Unregister(const RCPtr<LNotificationDistributor>& source, const wchar_t* name)
{
    return UnregisterThroughChain<LScrollView>(*this, mPanelHandler, source, name);
}

ORVRESULT LPanel::Initialize()
{
    const ORVRESULT result = LScrollView::Initialize();
    if (FAILED(result) || !GetParent())
    {
        return result;
    }
    mPanelHandler = new LNotificationHandler<LPanel>(this);
    ORV_REQUIRE_SUCCESS(mPanelHandler->SubscribeHandler(
        &LPanel::OnParentSiblingKey, RCPtr<LNotificationDistributor>(GetParent().Get()),
        ControlNotificationNames::Get().siblingKey));
    return result;
}

ORVRESULT LPanel::OnParentSiblingKey(const RCPtr<LNotificationDistributor>&,
                                     const RCPtr<LNotification>& notification)
{
    LSiblingKeyParam* sibling =
        notification ? dynamic_cast<LSiblingKeyParam*>(notification->param.Get()) : nullptr;
    if (sibling == nullptr)
    {
        return 1;
    }
    const RCPtr<LControl> self(this);
    const RCPtr<LKeyParam> key = LKeyParam::Create(sibling->key, true);
    sibling->index = OnSiblingKey(key);
    return 1;
}

RCPtr<LControl> LPanel::FindNextFocusable(const RCPtr<LControl>& start, bool backward)
{
    RCPtr<LControl> found = LScrollView::FindNextFocusable(start, backward);
    if (!GetParent() || !found)
    {
        return found;
    }
    const int from = GetChildIndex(start.Get(), kTabOrder);
    const int to = GetChildIndex(found.Get(), kTabOrder);
    // Anything not beyond the start in the direction of travel has wrapped around.
    if (backward ? to < from : to > from)
    {
        return found;
    }
    return nullptr;
}

ORVRESULT LPanel::RouteSiblingKey(const RCPtr<LKeyParam>& param)
{
    if (!param)
    {
        return E_INVALIDARG;
    }
    const RCPtr<LControl> self(this);
    const ORVRESULT handled = OnSiblingKey(param);
    if (handled != S_FALSE)
    {
        return handled;
    }
    if (const RCPtr<LControl> parent = GetParent())
    {
        // The parent offers the key to its other children, not back to this panel.
        Visit(*param, this);
        return parent->RouteSiblingKey(param);
    }
    // The top-most panel: the hot keys of its window and of the application.
    if (const RCPtr<IRootWindow> window = GetTreeRootWindow())
    {
        return window->ProcessHotKey(param);
    }
    LFrameworkApp* application = GetFrameworkApp();
    const RCPtr<LGlobalHotKeyManager> global =
        application != nullptr ? application->GetHotKeyManager() : nullptr;
    return global ? global->ProcessKey(param) : S_FALSE;
}

ORVRESULT LPanel::MoveFocusByTab(const RCPtr<LKeyParam>& param)
{
    if (!param)
    {
        return E_INVALIDARG;
    }
    const RCPtr<LControl> self(this);
    const bool backward = (param->key.code & KeyCode::kShift) != 0;
    if ((param->key.code & KeyCode::kCtrl) == 0)
    {
        RCPtr<LControl> start = LastVisited(*param);
        RCPtr<LControl> candidate = FindNextFocusable(start, backward);
        // A panel without a parent wraps around: the walk also ends when it comes back to its
        // first candidate, so children that take no focus cannot hold it forever.
        const RCPtr<LControl> first = candidate;
        for (unsigned int steps = 0;
             candidate && candidate.Get() != start.Get() && steps <= GetChildren().GetCount();
             ++steps)
        {
            if (candidate->IsFocusable() || candidate->HasFocusableChild())
            {
                // The focus is placed: the walk ends here, the parent has nothing to move.
                candidate->SetFocus(!backward);
                return S_OK;
            }
            if (!candidate->IsVisible(true) || !candidate->IsEnabled(true))
            {
                start = candidate;
            }
            candidate = FindNextFocusable(candidate, backward);
            if (candidate.Get() == first.Get())
            {
                break;
            }
        }
    }
    const RCPtr<LControl> parent = GetParent();
    if (!parent)
    {
        Visit(*param, this);
        return S_FALSE;
    }
    if ((param->key.code & KeyCode::kCtrl) != 0)
    {
        // Ctrl+Tab leaves the panel: the parent walks on from it as for a plain Tab.
        KeyCode tab = param->key;
        tab.code &= ~KeyCode::kCtrl;
        const RCPtr<LKeyParam> plain = LKeyParam::Create(tab, param->keyUp);
        Visit(*plain, this);
        return parent->MoveFocusByTab(plain);
    }
    Visit(*param, this);
    return parent->MoveFocusByTab(param);
}
} // namespace Orv
