#include "ControlBase/Control.h"
#include "ControlBase/ControlNotificationNames.h"

#include "ControlBase/ControlFactory.h"
#include "Utilities/Debug/DebugOutput.h"
#include "Utilities/Globals.h"
#include "notification/NotificationCenterManager.h"

namespace Orv
{
LControl::LControl(const RCPtr<LControl>& parent, const WString& name)
    : mName(name)
    , mChildren(this)
    , mConditionsParam(LConditionsParam::Create(0, 0, PointT<double>()))
{
    if (const RCPtr<LControlFactory>& factory = GetControlFactory())
    {
        factory->GetStringTable(mStringTable, parent, mName);
    }
    if (parent)
    {
        // A refused name leaves the control without a parent; its creator reports it.
        SetParent(parent);
    }
}

LControl::LControl(const RCPtr<LControl>& parent, const RCPtr<LControlDescriptor>& descriptor)
    : LControl(parent, descriptor ? descriptor->GetName() : WString())
{
}

LControl::~LControl() = default;

const RCPtr<LLook>& LControl::GetLook(unsigned int index) const
{
    static const RCPtr<LLook> none;
    return index < mLooks.GetCount() ? mLooks.GetConstElementPointer(index) : none;
}

float LControl::GetLookWeight(unsigned int index) const
{
    return index < mLookWeights.GetCount() ? mLookWeights.GetConstElementPointer(index) : 0.0f;
}

RCPtr<LControl> LControl::FindChildControl(const WString& name) const
{
    const auto named = mChildren.byName.find(std::wstring_view(name.GetBuffer()));
    if (named == mChildren.byName.end())
    {
        return nullptr;
    }
    if (named->second->mName == name && named->second->mParent.Get() == this)
    {
        return RCPtr<LControl>(named->second);
    }
    for (unsigned int i = mChildren.GetCount(); i-- > 0;)
    {
        const RCPtr<LControl>& child = mChildren.children.GetConstElementPointer(i);
        if (child->mName == name)
        {
            return child;
        }
    }
    return nullptr;
}

LControl* LControl::GetTopLevelControl()
{
    LControl* control = this;
    while (control->mParent)
    {
        control = control->mParent.Get();
    }
    return control;
}

const RCPtr<IRootWindow>& LControl::GetTreeRootWindow() const
{
    const LControl* control = this;
    while (control->mParent)
    {
        control = control->mParent.Get();
    }
    return control->mRootWindow;
}

ORVRESULT LControl::SetParent(const RCPtr<LControl>& parent)
{
    if (parent.Get() == mParent.Get())
    {
        return S_FALSE;
    }
    if (!mParent)
    {
        // Also the constructor's call: no reference to this control may be taken here.
        mRootWindow = nullptr;
        return JoinParent(parent);
    }
    // The old parent's list may hold the last reference.
    const RCPtr<LControl> self(this);
    InvalidateAll();
    mParent->mChildren.Remove(this);
    return JoinParent(parent);
}

ORVRESULT LControl::JoinParent(const RCPtr<LControl>& parent)
{
    if (!parent)
    {
        return S_OK;
    }
    // A child still queued for removal there leaves first, so that its name is free again.
    parent->ProcessPendingRemovals();
    return parent->mChildren.Add(this);
}

ORVRESULT LControl::SetRootWindow(const RCPtr<IRootWindow>& rootWindow)
{
    if (mParent)
    {
        return E_FAIL;
    }
    mRootWindow = rootWindow;
    ProcessRootWindowAquired();
    return S_OK;
}

RCPtr<LMenuItemUpdater> LControl::GetMenuItemUpdater()
{
    if (!mMenuItemUpdater)
    {
        // The updater's reference to this control is internal.
        mMenuItemUpdater = new LMenuItemUpdater(RCPtr<LControl>(this));
        AddInternalReference();
    }
    return mMenuItemUpdater;
}

ORVRESULT LControl::UpdateMenuItem(const RCPtr<LMenuDescriptor>&, int, const WString&,
                                   MenuItemInfo&)
{
    return 1;
}

RCPtr<LControl> LControl::GetKeyTarget()
{
    if (IsKeyTarget())
    {
        return RCPtr<LControl>(this);
    }
    return mParent ? mParent->GetKeyTarget() : nullptr;
}

WString LControl::GetString(const wchar_t* id) const
{
    WString text;
    if (mStringTable)
    {
        mStringTable->Lookup(id, text);
    }
    return text;
}

ORVRESULT LControl::ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                        const RCPtr<LNotification>& notification)
{
    return mHandler ? mHandler->Dispatch(source, notification) : S_OK;
}

ORVRESULT LControl::ReleaseInternalReferences()
{
    UnregisterAllClients();
    if (mMenuItemUpdater)
    {
        const RCPtr<LMenuItemUpdater> updater = std::move(mMenuItemUpdater);
        // Lowered before the updater's reference goes.
        ReleaseInternalReference();
        updater->ClearTarget();
    }
    mChildren.Clear();
    UnregisterAllNotifications();
    return GetInternalRefCount() == 0 && GetRefCount() == 1 ? S_OK : E_FAIL;
}

ORVRESULT LControl::ProcessRootWindowAquired()
{
    // Idle requests made while the tree had no window take effect now.
    if (mIdleRequests > 0 && GetTreeRootWindow() && FAILED(SubscribeIdleAtWindow()))
    {
        mIdleRequests = 0;
    }
    // The window's hot keys decide which of the menu's commands go where the keys go.
    if (mContextMenu)
    {
        SubscribeMenuCommands(mContextMenu, true);
    }
    for (unsigned int i = mChildren.GetCount(); i-- > 0;)
    {
        if (i < mChildren.GetCount())
        {
            RCPtr<LControl> child = mChildren.children.GetConstElementPointer(i);
            child->ProcessRootWindowAquired();
        }
    }
    return S_OK;
}

void LControl::OnChildRemoved(const RCPtr<LControl>&, int) {}

ORVRESULT LControl::SetActiveLook(int index)
{
    return SetLookWeight(index, 1.0f, true);
}

ORVRESULT LControl::SetLookWeight(int index, float weight, bool exclusive)
{
    if (index < 0 || static_cast<unsigned int>(index) >= mLooks.GetCount() ||
        !(weight >= 0.0f && weight <= 1.0f))
    {
        return E_INVALIDARG;
    }
    const int activeBefore = GetActiveLookIndex();
    bool changed = false;
    for (unsigned int i = mLookWeights.GetCount(); i-- > 0;)
    {
        float& current = mLookWeights.GetElementPointer(i);
        const float wanted = static_cast<int>(i) == index ? weight : (exclusive ? 0.0f : current);
        changed = changed || current != wanted;
        current = wanted;
    }
    if (changed)
    {
        InvalidateAll();
        // The client rectangle is the active look's client part: it follows the look that shows
        // now, not only the next new rectangle (a control made from a skin is laid out before
        // its look 0 shows, and keeps that rectangle).
        if (GetActiveLookIndex() != activeBefore)
        {
            CalcClientRect();
            CheckClientExtent();
        }
    }
    return S_OK;
}

void LControl::SetOpacity(float opacity)
{
    const float clamped = opacity > 0.0f ? (opacity < 1.0f ? opacity : 1.0f) : 0.0f;
    if (clamped != mOpacity)
    {
        mOpacity = clamped;
        InvalidateAll();
    }
}

ORVRESULT LControl::AddLook(const RCPtr<LLook>& look)
{
    if (!look)
    {
        return E_INVALIDARG;
    }
    mLooks.AddItem(look);
    while (mLookWeights.GetCount() < mLooks.GetCount())
    {
        mLookWeights.AddItem(0.0f);
    }
    return S_OK;
}

ORVRESULT LControl::CreateChildControls(const RCPtr<LControlDescriptor>& descriptor)
{
    mChildren.Clear();
    ORVRESULT result = S_OK;
    if (descriptor)
    {
        const RCPtr<LControlFactory> factory = GetControlFactory();
        const RCPtr<LControl> self(this);
        const LControlDescriptor::Children& subs = descriptor->GetChildren();
        for (unsigned int i = 0; i < subs.GetCount(); ++i)
        {
            const RCPtr<LControlDescriptor> sub = subs.GetConstElementPointer(i);
            if (!sub || sub->GetCreateParamFlag(L"DEFER_CREATE"))
            {
                continue;
            }
            RCPtr<LControl> child;
            if (factory)
            {
                factory->CreateControl(child, sub, self);
            }
            if (!child || child->GetParent().Get() != this)
            {
                GetDebugOutput().Narrow()
                    << "Control " << mName.ToNarrow().GetBuffer() << ": the child "
                    << sub->GetName().ToNarrow().GetBuffer() << " of class "
                    << sub->GetClassName().ToNarrow().GetBuffer()
                    << (factory ? " was not made" : " was not made: no control factory")
                    << std::endl;
                result = E_FAIL;
            }
        }
    }
    RecalcLayout();
    return result;
}

ORVRESULT LControl::Initialize()
{
    mNotificationCenter = GetNotificationCenterManager()->GetNotificationCenter(WString());
    mHandler = new LNotificationHandler<LControl>(this);
    ReadCreateParams();
    if (mStringTable)
    {
        mStringTable->Lookup(L"TOOLTIP", mToolTipText);
        LoadKeyBindings(mStringTable, WString(L"LHK"));
    }
    if (!mKeyBindings.empty())
    {
        // The keys of the focus control are offered to its own bindings with no sender, a top-level
        // control's too; a child also takes the keys its parent offers its children.
        mHandler->AddHandler(&LControl::OnSiblingKeyBinding,
                             ControlNotificationNames::Get().siblingKey);
        if (mParent)
        {
            mHandler->SubscribeHandler(&LControl::OnSiblingKeyBinding,
                                       RCPtr<LNotificationDistributor>(mParent.Get()),
                                       ControlNotificationNames::Get().siblingKey);
        }
    }
    return S_OK;
}

ORVRESULT LControl::AddChildControl(const RCPtr<LControl>& child,
                                    const RCPtr<LControlDescriptor>& descriptor)
{
    if (!child || !descriptor)
    {
        return E_INVALIDARG;
    }
    const ORVRESULT joined = child->SetParent(RCPtr<LControl>(this));
    if (FAILED(joined))
    {
        return joined;
    }
    return child->ApplyDescriptor(descriptor);
}

void LControl::OnCreated() {}

bool LControl::ApplyText(const WString& text, bool relayout)
{
    if (text == mText)
    {
        return false;
    }
    // A top-level control's text is its window's title.
    if (!mParent && mRootWindow)
    {
        mRootWindow->SetWindowText(text);
    }
    mText = text;
    for (unsigned int i = mLooks.GetCount(); i-- > 0;)
    {
        if (const RCPtr<LLook>& look = mLooks.GetConstElementPointer(i))
        {
            look->SetText(mText);
        }
    }
    if (relayout && SizesByText())
    {
        RecalcLayout();
    }
    InvalidateAll();
    return true;
}

ORVRESULT LControl::SetText(const WString& text)
{
    return ApplyText(text, true) ? S_OK : S_FALSE;
}

bool LControl::SizesByText() const
{
    return mLayout != nullptr && (mLayout->axes[LLayoutDescriptor::kAxisX].textOverflow !=
                                      LLayoutDescriptor::kOverflowClip ||
                                  mLayout->axes[LLayoutDescriptor::kAxisY].textOverflow !=
                                      LLayoutDescriptor::kOverflowClip);
}

void LControl::AddUnclipped(LControl* control, LONG delta)
{
    for (; control != nullptr; control = control->mParent.Get())
    {
        control->mUnclippedDescendants += delta;
    }
}

LONG LControl::UnclippedShare() const
{
    return mUnclippedDescendants + (ClipsToParent() ? 0 : 1);
}

LMenuItemUpdater::LMenuItemUpdater(const RCPtr<LControl>& target)
    : mTarget(target)
{
}

LMenuItemUpdater::~LMenuItemUpdater() = default;

void LMenuItemUpdater::ClearTarget()
{
    mTarget = nullptr;
}

ORVRESULT LControl::PerformEdit(int)
{
    ORV_THROW(std::logic_error, "LControl::PerformEdit must be overridden");
}
} // namespace Orv
