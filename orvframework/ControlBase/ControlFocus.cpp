// The keyboard focus: which controls can take it, giving it to a control or into a container,
// and taking it away again. At most one control of a tree has the focus; each of its ancestors
// contains it.
#include "ControlBase/Control.h"

namespace Orv
{
bool LControl::IsFocusable() const
{
    return IsVisible(true) && IsEnabled(true) && !IsNotFocusable(true);
}

RCPtr<LControl> LControl::GetChildContainingFocus() const
{
    for (unsigned int i = mChildren.GetCount(); i-- > 0;)
    {
        const RCPtr<LControl>& child = mChildren.children.GetConstElementPointer(i);
        if (child->mHasFocus || child->mContainsFocus)
        {
            return child;
        }
    }
    return nullptr;
}

RCPtr<LControl> LControl::FindNextFocusable(const RCPtr<LControl>& start, bool backward)
{
    if (!start)
    {
        return nullptr;
    }
    const int position = GetChildIndex(start.Get(), kTabOrder);
    if (position < 0)
    {
        return nullptr;
    }
    const int count = static_cast<int>(mChildren.GetCount());
    auto step = [count, backward](int p)
    { return backward ? (p + count - 1) % count : (p + 1) % count; };
    int p = step(position);
    if (p == position)
    {
        return start->AcceptsInput() ? start : nullptr;
    }
    for (; p != position; p = step(p))
    {
        const RCPtr<LControl>& child = mChildren.GetAt(static_cast<unsigned int>(p), kTabOrder);
        if (child->AcceptsInput())
        {
            return child;
        }
    }
    return nullptr;
}

RCPtr<LControl> LControl::FindFirstFocusable(bool backward)
{
    const unsigned int count = mChildren.GetCount();
    if (count == 0)
    {
        return nullptr;
    }
    auto takes = [](const LControl& c) { return c.IsFocusable() || c.HasFocusableChild(); };
    const RCPtr<LControl> first = mChildren.GetAt(backward ? count - 1 : 0, kTabOrder);
    if (takes(*first))
    {
        return first;
    }
    // At most one round through the children.
    RCPtr<LControl> candidate = first;
    for (unsigned int steps = 0; steps < count; ++steps)
    {
        candidate = FindNextFocusable(candidate, backward);
        if (!candidate || candidate.Get() == first.Get())
        {
            return nullptr;
        }
        if (takes(*candidate))
        {
            return candidate;
        }
    }
    return nullptr;
}

ORVRESULT LControl::SetFocus(bool forward)
{
    const RCPtr<LControl> self(this);
    const RCPtr<IRootWindow> window = GetTreeRootWindow();
    if (!mHasFocus && window)
    {
        const RCPtr<LControl> holder = window->GetFocusControl();
        if (holder && holder.Get() != this && !holder->CanReleaseFocus())
        {
            return E_FAIL;
        }
    }
    if (mHasFocus && IsFocusable())
    {
        return S_OK;
    }
    if (HasFocusableChild())
    {
        if (mContainsFocus)
        {
            const RCPtr<LControl> holder = GetChildContainingFocus();
            if (!holder)
            {
                return E_FAIL;
            }
            if (holder->IsFocusable() || holder->HasFocusableChild())
            {
                return holder->SetFocus(forward);
            }
        }
        const RCPtr<LControl> child = FindFirstFocusable(!forward);
        return child ? child->SetFocus(forward) : E_FAIL;
    }
    if (IsFocusable())
    {
        if (mContainsFocus)
        {
            const RCPtr<LControl> holder = GetChildContainingFocus();
            mHasFocus = true;
            mContainsFocus = false;
            if (holder)
            {
                holder->OnKillFocus();
            }
        }
        else
        {
            mHasFocus = true;
            if (mParent)
            {
                const RCPtr<LControl> parent = mParent;
                parent->SetContainsFocus(self);
            }
        }
        if (window)
        {
            window->SetFocusControl(self);
        }
        DispatchConditionChanges();
        return S_OK;
    }
    // Neither the control nor a child can take the focus: the top of the tree takes it back.
    LControl* top = GetTopLevelControl();
    if (!mHasFocus && top != this)
    {
        if (!top->mHasFocus && !top->mContainsFocus)
        {
            return S_FALSE;
        }
        return top->SetFocus(true);
    }
    return E_FAIL;
}

ORVRESULT LControl::SetContainsFocus(const RCPtr<LControl>& child)
{
    if (mContainsFocus)
    {
        for (unsigned int i = mChildren.GetCount(); i-- > 0;)
        {
            const RCPtr<LControl> other = mChildren.children.GetConstElementPointer(i);
            if (other.Get() != child.Get() && (other->mHasFocus || other->mContainsFocus))
            {
                return other->OnKillFocus() ? S_OK : E_FAIL;
            }
        }
        return S_OK;
    }
    const RCPtr<LControl> self(this);
    mContainsFocus = true;
    if (!mHasFocus && mParent)
    {
        const RCPtr<LControl> parent = mParent;
        parent->SetContainsFocus(self);
    }
    mHasFocus = false;
    DispatchConditionChanges();
    return S_FALSE;
}

bool LControl::OnKillFocus()
{
    const RCPtr<LControl> self(this);
    if (mHasFocus)
    {
        mHasFocus = false;
        DispatchConditionChanges();
        if (const RCPtr<IRootWindow>& window = GetTreeRootWindow())
        {
            window->ClearFocusControl();
        }
        return true;
    }
    mContainsFocus = false;
    const RCPtr<LControl> holder = GetChildContainingFocus();
    const bool killed = holder && holder->OnKillFocus();
    DispatchConditionChanges();
    return killed;
}

ORVRESULT LControl::SetNotFocusable(bool notFocusable)
{
    const int tabStop = mLayout ? mLayout->tabStop : 0;
    const bool signAgrees = notFocusable ? tabStop < 0 : tabStop >= 0;
    if (notFocusable == mNotFocusable && signAgrees)
    {
        return S_FALSE;
    }
    const RCPtr<LControl> self(this);
    mNotFocusable = notFocusable;
    if (mLayout)
    {
        if (notFocusable)
        {
            mLayout->tabStop = tabStop == 0 ? -1 : (tabStop > 0 ? -tabStop : tabStop);
        }
        else if (tabStop < 0)
        {
            mLayout->tabStop = -tabStop;
        }
    }
    if (mParent)
    {
        ++mParent->mChildren.changeCount;
    }
    if ((IsFocusable() || HasFocusableChild()) && mParent && mParent->mHasFocus)
    {
        SetFocus(true);
    }
    else if (notFocusable && mHasFocus && mParent)
    {
        const RCPtr<LControl> parent = mParent;
        parent->SetFocus(true);
    }
    return S_OK;
}

ORVRESULT LControl::HandleUnusedKey(const RCPtr<LKeyParam>&)
{
    return S_FALSE;
}
} // namespace Orv
