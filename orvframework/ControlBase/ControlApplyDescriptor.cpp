// Making a control match a control descriptor, at creation and again for a new skin.
#include "ControlBase/Control.h"

#include <algorithm>
#include <vector>

namespace Orv
{
ORVRESULT LControl::ApplyDescriptor(const RCPtr<LControlDescriptor>& descriptor)
{
    if (!descriptor)
    {
        return E_INVALIDARG;
    }
    const RCPtr<LControl> self(this);
    const bool live = mCreated;

    // 1. A live control keeps its visible and enabled state; it is clipped while it changes.
    bool wasVisible = true;
    bool wasEnabled = true;
    if (live)
    {
        if (mLayout)
        {
            wasVisible = mLayout->visible;
            wasEnabled = mLayout->enabled;
        }
        SetClipToParent(true);
    }

    // 2. The descriptor, and a copy of its layout of the control's own.
    mDescriptor = descriptor;
    if (descriptor->GetLayout())
    {
        descriptor->GetLayout()->Clone(mLayout);
    }
    else
    {
        mLayout = nullptr;
    }

    // 3. A top-level control in a window is visible; a live one keeps the window where it is.
    if (mRootWindow && mLayout)
    {
        mLayout->visible = true;
        if (live)
        {
            const double position[2] = {mX, mY};
            const double size[2] = {mWidth, mHeight};
            for (int axis = LLayoutDescriptor::kAxisX; axis <= LLayoutDescriptor::kAxisY; ++axis)
            {
                AxisPlacement placement;
                mLayout->GetAxisPlacement(axis, placement);
                placement.position.rel = 0;
                placement.position.abs = position[axis];
                placement.size.rel = 0;
                placement.size.abs = size[axis];
                SetAxisPlacement(axis, placement);
            }
        }
    }

    // 4. A live control carries its states over into the new layout.
    if (live && mLayout)
    {
        const bool visible = mLayout->visible;
        if (visible != wasVisible)
        {
            mLayout->visible = wasVisible;
            SetVisible(visible);
        }
        mLayout->enabled = wasEnabled;
        WString notFocusable;
        const RCPtr<LStringTable>& params = descriptor->GetCreateParams();
        if (params && params->Lookup(L"NOT_FOCUSABLE", notFocusable))
        {
            SetNotFocusable(descriptor->GetCreateParamFlag(L"NOT_FOCUSABLE"));
        }
        else
        {
            SetNotFocusable(mLayout->tabStop < 0);
        }
    }

    // 5. The looks of the skin's look list. A live control keeps the weights of the indexes
    // that still have a look, so that a new skin does not blank it.
    Array<float> oldWeights;
    oldWeights.Assign(mLookWeights);
    mLooks.RemoveAll();
    mLookWeights.RemoveAll();
    const RCPtr<LSkinDescriptor>& skin = descriptor->GetSkin();
    if (skin && skin->GetLookList())
    {
        const bool wrap = mLayout && mLayout->axes[LLayoutDescriptor::kAxisX].textOverflow ==
                                         LLayoutDescriptor::kOverflowWrap;
        const LLookList& list = *skin->GetLookList();
        for (unsigned int i = 0; i < list.GetCount(); ++i)
        {
            if (const RCPtr<LLookDescriptor>& entry = list.GetConstElementPointer(i))
            {
                RCPtr<LLook> look;
                AddLook(LLook::Create(look, entry, wrap));
            }
        }
    }
    if (live)
    {
        for (unsigned int i = 0; i < mLookWeights.GetCount() && i < oldWeights.GetCount(); ++i)
        {
            mLookWeights.GetElementPointer(i) = oldWeights.GetConstElementPointer(i);
        }
    }

    // 6. The font, after the looks so that each look gets it.
    if (skin)
    {
        mInheritsFont = skin->GetFontInheritsFromParent();
        mSizeIsRelative = skin->GetFontSizeIsRelative();
        SetFontByName(skin->GetFontName(), skin->GetFontSize(), skin->GetFontStyle(),
                      mSizeIsRelative);
    }
    else
    {
        mInheritsFont = false;
        mSizeIsRelative = false;
        SetFontByName(WString(), 0, -1, false);
    }

    // 7. The text. A live control gives its text to the new looks: the stored text is made to
    // differ for a moment, so that the text counts as changed.
    if (!live)
    {
        WString label;
        if (mStringTable)
        {
            mStringTable->Lookup(L"LABEL", label);
        }
        ApplyText(label, false);
        for (unsigned int i = 0; i < mLooks.GetCount(); ++i)
        {
            mLooks.GetConstElementPointer(i)->SetText(mText);
        }
    }
    else
    {
        const WString text = mText;
        mText = text + WString(L"~");
        ApplyText(text, false);
    }

    // 8. The child joined its parent before it had this layout, so the list counted nothing
    // for it.
    if (mParent && !ClipsToParent())
    {
        AddUnclipped(mParent.Get(), 1);
    }

    // 9. The children are taken out; the control is laid out from nothing.
    ControlList old;
    for (unsigned int i = 0; i < mChildren.GetCount(); ++i)
    {
        old.AddItem(mChildren.children.GetConstElementPointer(i));
    }
    mChildren.Clear();
    mX = mY = mWidth = mHeight = 0;
    RecalcLayout();

    if (!live)
    {
        // 10. Look 0 shows; the conditions are tracked from what they are now.
        SetActiveLook(0);
        const DWORD conditions = GetConditions();
        mConditionsParam->oldConditions = conditions;
        mConditionsParam->newConditions = conditions;
        return S_OK;
    }

    // 11. The children the new descriptor names come back, in layout order.
    ReattachChildren(old, descriptor);

    // 12. The end of creation runs again; a top-level window takes the control's rectangle.
    OnCreated();
    ++mChildren.changeCount;
    if (mRootWindow)
    {
        mRootWindow->SetWindowRect(GetRect().ToInt());
    }
    return S_OK;
}

void LControl::ReattachChildren(ControlList& old, const RCPtr<LControlDescriptor>& descriptor)
{
    mReapplying = true;
    const LControlDescriptor::Children& subs = descriptor->GetChildren();
    std::vector<unsigned int> order(subs.GetCount());
    for (unsigned int i = 0; i < order.size(); ++i)
    {
        order[i] = i;
    }
    // Descriptors made in code need not be sorted yet; ties keep their order.
    auto layoutOrder = [&subs](unsigned int i)
    {
        const RCPtr<LControlDescriptor>& sub = subs.GetConstElementPointer(i);
        return sub && sub->GetLayout() ? sub->GetLayout()->layoutOrder : 0;
    };
    std::stable_sort(order.begin(), order.end(),
                     [&layoutOrder](unsigned int a, unsigned int b)
                     { return layoutOrder(a) < layoutOrder(b); });
    for (const unsigned int i : order)
    {
        const RCPtr<LControlDescriptor> sub = subs.GetConstElementPointer(i);
        if (!sub)
        {
            continue;
        }
        for (unsigned int j = 0; j < old.GetCount(); ++j)
        {
            const RCPtr<LControl> child = old.GetConstElementPointer(j);
            if (child && child->GetName() == sub->GetName())
            {
                RCPtr<LControl> taken;
                old.RemoveItem(j, taken);
                AddChildControl(child, sub);
                break;
            }
        }
    }
    mReapplying = false;
    if (mChildren.GetCount() != 0)
    {
        RecalcLayout();
    }
}

bool LControl::SetClipToParent(bool clip)
{
    if (!mLayout)
    {
        return true;
    }
    const bool old = mLayout->clipToParent;
    if (old == clip)
    {
        return clip;
    }
    if (clip)
    {
        // The area as it was seen before: floating.
        InvalidateAll();
    }
    mLayout->clipToParent = clip;
    if (mParent)
    {
        ++mParent->mChildren.changeCount;
        AddUnclipped(mParent.Get(), clip ? -1 : 1);
    }
    if (!clip)
    {
        InvalidateAll();
    }
    return clip;
}
} // namespace Orv
