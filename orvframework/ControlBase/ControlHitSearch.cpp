// Finding the control under a point, the point conversions, and the drop-target search.
#include "ControlBase/Control.h"

#include "ControlBase/VisualPart.h"

#include <algorithm>

namespace Orv
{
namespace
{
// Half away from zero, kept as a double.
double Round(double value)
{
    return static_cast<double>(RoundDoubleToLong(value));
}

bool Clips(const LControl& control)
{
    return !control.GetLayout() || control.GetLayout()->clipToParent;
}

bool DockedOnBoth(const LControl& control)
{
    const RCPtr<LLayoutDescriptor>& layout = control.GetLayout();
    return layout && layout->axes[0].docked && layout->axes[1].docked;
}

bool Inside(const PointT<LONG>& point, const RectT<LONG>& rect)
{
    return rect.x <= point.x &&
           static_cast<long long>(point.x) < static_cast<long long>(rect.x) + rect.width &&
           rect.y <= point.y &&
           static_cast<long long>(point.y) < static_cast<long long>(rect.y) + rect.height;
}

// Sets the search-excluded flag of the dragged control and of every listed control for one
// search; the flags are cleared when the guard goes, also when an exception passes.
class SearchExclusion
{
public:
    SearchExclusion(const RCPtr<LControl>& dragged, const LControl::ControlList& controls)
        : mDragged(dragged)
        , mControls(controls)
    {
        Set(true);
    }
    ~SearchExclusion() { Set(false); }
    SearchExclusion(const SearchExclusion&) = delete;
    SearchExclusion& operator=(const SearchExclusion&) = delete;

private:
    void Set(bool excluded)
    {
        if (mDragged)
        {
            mDragged->SetSearchExcluded(excluded);
        }
        for (unsigned int i = 0; i < mControls.GetCount(); ++i)
        {
            mControls.GetConstElementPointer(i)->SetSearchExcluded(excluded);
        }
    }

    RCPtr<LControl> mDragged;
    const LControl::ControlList& mControls;
};
} // namespace

PointT<double> LControl::ClientOrigin() const
{
    int index = GetActiveLookIndex();
    if (index < 0 && mLooks.GetCount() != 0 && mLooks.GetConstElementPointer(0))
    {
        index = 0;
    }
    if (index < 0)
    {
        return PointT<double>();
    }
    const RectT<LONG>& c =
        mLooks.GetConstElementPointer(static_cast<unsigned int>(index))->GetClientRect();
    return PointT<double>(LongToDouble(c.x), LongToDouble(c.y));
}

RCPtr<LControl> LControl::FindControlAt(const PointT<LONG>& point, bool restrict,
                                        PointT<LONG>& local, LONG& level)
{
    local = PointT<LONG>(0, 0);
    if (!mLayout || !mLayout->visible || !(mWidth > 0 && mHeight > 0))
    {
        return nullptr;
    }
    const bool selfHit = HitTest(point);
    if (!selfHit && mUnclippedDescendants <= 0)
    {
        return nullptr;
    }
    RCPtr<LControl> best;
    LONG bestLevel = kNoUnclippedLevel;
    if (mChildren.GetCount() != 0)
    {
        const bool floatingAbove = GetUnclippedZLevel() > kNoUnclippedLevel;
        const PointT<LONG> offset = RoundDoublePointToLong(mContentOffset);
        for (unsigned int look = 0; look < mLooks.GetCount(); ++look)
        {
            if (!mLooks.GetConstElementPointer(look) || !(GetLookWeight(look) > 0))
            {
                continue;
            }
            const RectT<LONG> c = LookClientRect(static_cast<int>(look)).ToInt();
            const bool inside = Inside(point, c);
            const PointT<LONG> q(AddSaturated(point.x - c.x, offset.x),
                                 AddSaturated(point.y - c.y, offset.y));
            for (unsigned int i = mChildren.GetCount(); i-- > 0;)
            {
                const RCPtr<LControl> child = mChildren.GetAt(i, kZOrder);
                const bool geometric = selfHit&& restrict && (DockedOnBoth(*child) || inside);
                const bool searched = !best && (geometric || floatingAbove);
                const bool floating = !Clips(*child) || child->mUnclippedDescendants > 0;
                if (!searched && !floating)
                {
                    continue;
                }
                const PointT<LONG> at(q.x - RoundDoubleToLong(child->mX),
                                      q.y - RoundDoubleToLong(child->mY));
                PointT<LONG> childLocal;
                const RCPtr<LControl> found =
                    child->FindControlAt(at, restrict && selfHit, childLocal, level);
                if (!found)
                {
                    continue;
                }
                const LONG foundLevel = found->GetUnclippedZLevel();
                if (!best || foundLevel > bestLevel)
                {
                    best = found;
                    bestLevel = foundLevel;
                    local = childLocal;
                }
            }
        }
    }
    if (best)
    {
        level = bestLevel;
        return best;
    }

    const LONG own = GetUnclippedZLevel();
    bool outside = false;
    if (mParent && !DockedOnBoth(*this) && ClipsToParent())
    {
        const LControl& parent = *mParent;
        const PointT<double> p = parent.ConvertPointFrom(
            this, PointT<double>(LongToDouble(point.x), LongToDouble(point.y)));
        const RectT<LONG> c = parent.LookClientRect(parent.GetActiveLookIndex()).ToInt();
        outside = !Inside(RoundDoublePointToLong(p), c);
    }
    if (IsTransparentAt(point) || mSearchExcluded || !selfHit || outside)
    {
        return nullptr;
    }
    if (own > kNoUnclippedLevel ? own > level : restrict)
    {
        local = point;
        level = own;
        return RCPtr<LControl>(this);
    }
    return nullptr;
}

bool LControl::HitTest(const PointT<LONG>& point) const
{
    const double px = LongToDouble(point.x) + Round(mX);
    const double py = LongToDouble(point.y) + Round(mY);
    return mX <= px && px < mX + mWidth && mY <= py && py < mY + mHeight;
}

bool LControl::IsTransparentAt(const PointT<LONG>& point) const
{
    for (unsigned int i = 0; i < mLooks.GetCount(); ++i)
    {
        if (mLooks.GetConstElementPointer(i) && GetLookWeight(i) > 0 &&
            (GetColorAt(point, static_cast<int>(i)) >> 24) != 0)
        {
            return false;
        }
    }
    return true;
}

DWORD LControl::GetColorAt(const PointT<LONG>& point, int lookIndex) const
{
    const LLook* look = nullptr;
    if (lookIndex >= 0 && static_cast<unsigned int>(lookIndex) < mLooks.GetCount())
    {
        look = mLooks.GetConstElementPointer(static_cast<unsigned int>(lookIndex)).Get();
    }
    if (look == nullptr)
    {
        const int active = GetActiveLookIndex();
        if (active >= 0)
        {
            look = mLooks.GetConstElementPointer(static_cast<unsigned int>(active)).Get();
        }
        else if (mLooks.GetCount() != 0)
        {
            look = mLooks.GetConstElementPointer(0).Get();
        }
    }
    return look != nullptr ? look->GetColorAtPoint(point) : LVisualPart::kTransparent;
}

LONG LControl::GetUnclippedZLevel() const
{
    LONG level = kNoUnclippedLevel;
    for (const LControl* control = this; control != nullptr; control = control->mParent.Get())
    {
        if (!control->ClipsToParent())
        {
            level = std::max(level, control->mLayout->zOrder);
        }
    }
    return level;
}

PointT<double> LControl::GetPositionInParent() const
{
    if (!mParent)
    {
        return PointT<double>(mX, mY);
    }
    const LControl& parent = *mParent;
    const RectT<double> c = parent.LookClientRect(parent.GetActiveLookIndex());
    return PointT<double>(mX - parent.mContentOffset.x + c.x, mY - parent.mContentOffset.y + c.y);
}

PointT<double> LControl::GetRectInRoot() const
{
    PointT<double> origin(mX, mY);
    for (const LControl* a = mParent.Get(); a != nullptr; a = a->mParent.Get())
    {
        const PointT<double> client = a->ClientOrigin();
        origin.x += client.x - a->mContentOffset.x + a->mX;
        origin.y += client.y - a->mContentOffset.y + a->mY;
    }
    return origin;
}

PointT<double> LControl::ConvertPointFrom(const LControl* other, const PointT<double>& point) const
{
    if (other == nullptr)
    {
        return point;
    }
    const PointT<LONG> from = RoundDoublePointToLong(other->GetRectInRoot());
    const PointT<LONG> to = RoundDoublePointToLong(GetRectInRoot());
    return PointT<double>(point.x + LongToDouble(from.x) - LongToDouble(to.x),
                          point.y + LongToDouble(from.y) - LongToDouble(to.y));
}

int LControl::GetChildIndex(const LControl* child, int order) const
{
    for (unsigned int i = mChildren.GetCount(); i-- > 0;)
    {
        if (mChildren.GetAt(i, order).Get() == child)
        {
            return static_cast<int>(i);
        }
    }
    return -1;
}

unsigned int LControl::CollectDescendants(ControlList& descendants) const
{
    descendants.RemoveAll();
    struct Walk
    {
        static void Into(const LControl& control, ControlList& out)
        {
            for (unsigned int i = 0; i < control.mChildren.GetCount(); ++i)
            {
                const RCPtr<LControl>& child = control.mChildren.children.GetConstElementPointer(i);
                out.AddItem(child);
                Into(*child, out);
            }
        }
    };
    Walk::Into(*this, descendants);
    return descendants.GetCount();
}

RCPtr<LControl> LControl::FindDropTarget(const RCPtr<LControl>& dragged,
                                         const PointT<double>& point)
{
    const RCPtr<IRootWindow> window = GetTreeRootWindow();
    ControlList visited;
    RCPtr<LControl> candidate(this);
    while (candidate)
    {
        if (candidate->AcceptsDrop(dragged))
        {
            return candidate;
        }
        if (Clips(*candidate))
        {
            candidate = candidate->mParent;
            continue;
        }
        // A floating control: what lies beneath it, with it and everything met so far left out.
        if (visited.Find(candidate.Get()) >= 0)
        {
            return nullptr;
        }
        visited.AddItem(candidate);
        ControlList descendants;
        candidate->CollectDescendants(descendants);
        for (unsigned int i = 0; i < descendants.GetCount(); ++i)
        {
            visited.AddItem(descendants.GetConstElementPointer(i));
        }
        RCPtr<LControl> found;
        if (window)
        {
            const SearchExclusion excluded(dragged, visited);
            PointT<LONG> local;
            found = window->GetControlAt(
                PointT<LONG>(RoundDoubleToLong(point.x), RoundDoubleToLong(point.y)), local, true);
        }
        if (!found || visited.Find(found.Get()) >= 0)
        {
            return nullptr;
        }
        candidate = found;
    }
    return nullptr;
}

bool LControl::AcceptsDrop(const RCPtr<LControl>&)
{
    return false;
}
} // namespace Orv
