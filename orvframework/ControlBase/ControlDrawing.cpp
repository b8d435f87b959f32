// Drawing a control and its children, and invalidating areas of the tree.
#include "ControlBase/Control.h"

#include "ControlBase/RegionRects.h"
#include "Renderer/AutoClip.h"
#include "Utilities/Geometry/RectOperations.h"
#include "Utilities/Storage/Array.h"

#include <cfloat>
#include <optional>
#include <vector>

namespace Orv
{
namespace
{
// The clip rectangle of the renderer's current render state (nothing clipped without a context).
RectT<double> CurrentClip(const LRenderer& renderer)
{
    const LRenderContextInfo* context = renderer.GetCurrentRenderContext();
    return context != nullptr ? context->GetState().clip : RenderState::NoClip();
}

int DockedAxes(const LControl& child)
{
    const RCPtr<LLayoutDescriptor>& layout = child.GetLayout();
    return layout ? (layout->axes[0].docked ? 1 : 0) + (layout->axes[1].docked ? 1 : 0) : 0;
}

bool Clips(const LControl& control)
{
    return !control.GetLayout() || control.GetLayout()->clipToParent;
}

bool VisibleWithSize(const LControl& control)
{
    const RectT<double> r = control.GetRect();
    return control.GetLayout() && control.GetLayout()->visible && r.width > 0 && r.height > 0;
}

// Appends a control once: a control drawn for two weighted looks reaches the list twice.
void AppendOnce(LControl::ControlList& list, const RCPtr<LControl>& control)
{
    if (list.Find(control.Get()) < 0)
    {
        list.AddItem(control);
    }
}

// The guards of a clip description of a client area: the clip at the client rectangle, with the
// origin at the client origin moved back by the content offset.
class ClientClip
{
public:
    ClientClip(const ConstRCPtr<LRenderer>& renderer, const RectT<double>& client,
               const PointT<double>& origin, const ConstRCPtr<LStencil>& stencil)
    {
        if (origin.x <= client.x && origin.y <= client.y)
        {
            // One clip whose frame starts at the origin and holds the client rectangle.
            const RectT<double> frame(origin.x, origin.y, client.Right() - origin.x,
                                      client.Bottom() - origin.y);
            mClip.emplace(renderer, frame, client, stencil, true);
        }
        else
        {
            mClip.emplace(renderer, client, client, stencil, true);
            PushClipInfo move;
            move.flavor = 2;
            move.origin = PointT<double>(origin.x - client.x, origin.y - client.y);
            mOrigin.emplace(renderer, move);
        }
    }

private:
    std::optional<CAutoClip> mClip;
    std::optional<CAutoClip> mOrigin;
};
} // namespace

int LControl::GetActiveLookIndex() const
{
    for (unsigned int i = 0; i < mLooks.GetCount(); ++i)
    {
        if (mLooks.GetConstElementPointer(i) && GetLookWeight(i) > 0)
        {
            return static_cast<int>(i);
        }
    }
    return -1;
}

ORVRESULT LControl::DrawContent(const ConstRCPtr<LRenderer>&)
{
    return S_OK;
}

ORVRESULT LControl::DrawOverlay(const ConstRCPtr<LRenderer>&)
{
    return S_OK;
}

void LControl::CollectFloating(ControlList& deferred)
{
    if (mUnclippedDescendants > 0)
    {
        CollectUnclippedDescendants(deferred, true, false);
    }
}

int LControl::CollectUnclippedDescendants(ControlList& deferred, bool checkVisibility,
                                          bool includeSelf)
{
    if (checkVisibility && !VisibleWithSize(*this))
    {
        return 0;
    }
    if (includeSelf && !ClipsToParent())
    {
        AppendOnce(deferred, RCPtr<LControl>(this));
        return 1;
    }
    if (mUnclippedDescendants <= 0)
    {
        return 0;
    }
    int count = 0;
    for (unsigned int i = 0; i < mChildren.GetCount(); ++i)
    {
        const RCPtr<LControl> child = mChildren.GetAt(i, kZOrder);
        if (!Clips(*child) || child->mUnclippedDescendants > 0)
        {
            count += child->CollectUnclippedDescendants(deferred, checkVisibility, true);
        }
    }
    return count;
}

void LControl::DrawPerRectangle(const ConstRCPtr<LRenderer>& renderer, const LRegion& region,
                                ORVRESULT (LControl::*hook)(const ConstRCPtr<LRenderer>&))
{
    std::vector<RectT<double>> rects;
    GetRegionRectsHere(*renderer, region, rects);
    const RectT<double> frame(0, 0, mWidth, mHeight);
    for (const RectT<double>& rect : rects)
    {
        RectT<double> clip;
        if (!IntersectRect(clip, rect, CurrentClip(*renderer)))
        {
            continue;
        }
        CAutoClip guard(renderer, frame, clip, nullptr, true);
        (this->*hook)(renderer);
    }
}

void LControl::DrawLooks(const ConstRCPtr<LRenderer>& renderer, const LRegion& region,
                         bool clientParts)
{
    LRenderer& r = *renderer.GetMutable();
    for (unsigned int i = 0; i < mLooks.GetCount(); ++i)
    {
        const RCPtr<LLook>& look = mLooks.GetConstElementPointer(i);
        const float weight = GetLookWeight(i);
        if (!look || !(weight > 0))
        {
            continue;
        }
        CAutoClip state(renderer);
        r.SetAlpha(r.GetAlpha() * weight);
        if (clientParts)
        {
            look->DrawClientPart(renderer, region);
        }
        else
        {
            look->DrawNonClientParts(renderer, region);
        }
    }
}

ORVRESULT LControl::Draw(const ConstRCPtr<LRenderer>& renderer, const LRegion& region,
                         ControlList& deferred, bool unclippedPass)
{
    if (ClipsToParent() == unclippedPass)
    {
        return E_INVALIDARG;
    }
    if (renderer == nullptr || !mLayout || !mLayout->visible || !(mWidth > 0 && mHeight > 0))
    {
        return S_OK;
    }
    LRenderer& r = *renderer.GetMutable();
    const RectT<double> own(mX, mY, mWidth, mHeight);
    RectT<double> clip = own;
    if (!unclippedPass)
    {
        IntersectRect(clip, own, CurrentClip(r));
    }
    if (!(clip.width > DBL_EPSILON && clip.height > DBL_EPSILON))
    {
        CollectFloating(deferred);
        return S_OK;
    }
    const RCPtr<LControl> self(this);

    CAutoClip guard(renderer, own, clip, nullptr, true);
    r.SetAlpha(r.GetAlpha() * mOpacity);
    const LRegion* clipRegion = r.GetClipRegion();
    if (clipRegion != nullptr &&
        !clipRegion->Intersects(RectT<double>(0, 0, mWidth, mHeight), GetRenderOrigin(r)))
    {
        CollectFloating(deferred);
        return S_OK;
    }

    mSurfaceReady = mScrollingEnabled && UpdateScrolledSurface(renderer, deferred);

    DrawLooks(renderer, region, true);
    {
        CAutoClip state(renderer);
        DrawLooks(renderer, region, false);
    }
    DrawPerRectangle(renderer, region, &LControl::DrawContent);

    const PointT<double> textOffset = mTextOffset ? mContentOffset : PointT<double>();
    for (unsigned int i = 0; i < mLooks.GetCount(); ++i)
    {
        const RCPtr<LLook>& look = mLooks.GetConstElementPointer(i);
        const float weight = GetLookWeight(i);
        if (!look || !(weight > 0))
        {
            continue;
        }
        CAutoClip state(renderer);
        r.SetAlpha(r.GetAlpha() * weight);
        look->DrawLabelText(renderer, region, textOffset);
        if (mChildren.GetCount() != 0)
        {
            DrawChildren(renderer, region, static_cast<int>(i), deferred);
        }
    }

    DrawPerRectangle(renderer, region, &LControl::DrawOverlay);

    // Only a control with unclipped descendants has children that do not clip.
    for (unsigned int i = 0; mUnclippedDescendants > 0 && i < mChildren.GetCount(); ++i)
    {
        const RCPtr<LControl>& child = mChildren.GetAt(i, kZOrder);
        if (!Clips(*child) && VisibleWithSize(*child))
        {
            AppendOnce(deferred, child);
        }
    }
    return S_OK;
}

unsigned int LControl::ClippedGroupEnd(int docked) const
{
    // The z order sorts the children that clip before those that do not, and each by the
    // number of axes they are docked on: the end of a group is found by bisection.
    unsigned int low = 0;
    unsigned int high = mChildren.GetCount();
    while (low < high)
    {
        const unsigned int middle = low + (high - low) / 2;
        const LControl& child = *mChildren.GetAt(middle, kZOrder);
        if (Clips(child) && DockedAxes(child) <= docked)
        {
            low = middle + 1;
        }
        else
        {
            high = middle;
        }
    }
    return low;
}

ORVRESULT LControl::DrawChildren(const ConstRCPtr<LRenderer>& renderer, const LRegion& region,
                                 int lookIndex, ControlList& deferred)
{
    const unsigned int count = mChildren.GetCount();
    if (renderer == nullptr || count == 0)
    {
        return S_OK;
    }
    const RectT<double> client = LookClientRect(lookIndex);
    const PointT<double> origin(client.x - mContentOffset.x, client.y - mContentOffset.y);
    const RCPtr<LLook>& look =
        lookIndex >= 0 ? GetLook(static_cast<unsigned int>(lookIndex)) : RCPtr<LLook>();
    const ConstRCPtr<LStencil> stencil = look ? look->GetStencil() : nullptr;

    // The z order puts the clipped children first, by the number of axes they are docked on;
    // the walk stops at the first child that does not clip (the deferred pass draws those).
    unsigned int i = 0;
    auto groupEnd = [this](unsigned int, int docked) { return ClippedGroupEnd(docked); };
    const unsigned int endA = groupEnd(i, 0);
    const unsigned int endB = groupEnd(endA, 1);
    if (endB > 0)
    {
        // Groups A and B: inside the client area, scrolled by the content offset.
        RectT<double> meets;
        const bool visible = client.width > 0 && client.height > 0 &&
                             IntersectRect(meets, client, CurrentClip(*renderer));
        if (visible && mSurfaceReady)
        {
            // The children's pixels come from the scrolled surface; only the floating
            // descendants are handed on, as the children's own draws would.
            DrawScrolledSurface(renderer, region, client);
            for (; i < endB; ++i)
            {
                if (mUnclippedDescendants > 0)
                {
                    mChildren.GetAt(i, kZOrder)->CollectFloating(deferred);
                }
            }
        }
        else if (visible)
        {
            ClientClip clip(renderer, client, origin, stencil);
            const RectT<double> bounds = CurrentClip(*renderer);
            for (; i < endB; ++i)
            {
                const RCPtr<LControl>& child = mChildren.GetAt(i, kZOrder);
                // A child outside the clip draws nothing: only its floating descendants are
                // collected, as its Draw would, without a call per child of a long list.
                RectT<double> meetsChild;
                if (!IntersectRect(meetsChild, child->GetRect(), bounds) ||
                    !(meetsChild.width > DBL_EPSILON && meetsChild.height > DBL_EPSILON))
                {
                    child->CollectFloating(deferred);
                    continue;
                }
                RCPtr<LControl>(child)->Draw(renderer, region, deferred, false);
            }
        }
        else
        {
            for (; i < endB; ++i)
            {
                mChildren.GetAt(i, kZOrder)->CollectFloating(deferred);
            }
        }
    }
    const unsigned int endC = groupEnd(endB, 2);
    if (endC > endB)
    {
        // Group C: docked on both axes, fixed in the client area, not clipped to it.
        PushClipInfo move;
        move.flavor = 2;
        move.origin = origin;
        CAutoClip guard(renderer, move);
        for (i = endB; i < endC; ++i)
        {
            const RCPtr<LControl> child = mChildren.GetAt(i, kZOrder);
            child->Draw(renderer, region, deferred, false);
        }
    }
    return S_OK;
}

bool LControl::UpdateScrolledSurface(const ConstRCPtr<LRenderer>& renderer, ControlList& deferred)
{
    LRenderer& r = *renderer.GetMutable();
    const RectT<double> visible = GetVisibleContentRect();
    const SizeT<LONG> size(RoundDoubleToLong(visible.width), RoundDoubleToLong(visible.height));
    if (size.width <= 0 || size.height <= 0)
    {
        return false;
    }
    const RectT<LONG> whole(RoundDoubleToLong(visible.x), RoundDoubleToLong(visible.y), size.width,
                            size.height);
    if (!mScrollSurface || mScrollSurfaceRenderer != renderer.Get() ||
        !(mScrollSurfaceSize == size))
    {
        // A new surface holds nothing yet: everything visible is to be drawn.
        ConstRCPtr<LRenderContextInfo> made;
        mScrollSurface = nullptr;
        if (FAILED(r.InitRenderContextInfo(RectT<LONG>(0, 0, size.width, size.height), nullptr,
                                           true, made)) ||
            !made)
        {
            return false;
        }
        mScrollSurface = made;
        mScrollSurfaceRenderer = renderer.Get();
        mScrollSurfaceSize = size;
        mSurfaceOffset = mAppliedScrollOffset;
        mPendingInvalid.Clear();
        mPendingInvalid.AddRect(
            RECT{whole.x, whole.y, whole.x + whole.width, whole.y + whole.height});
    }
    if (!(mSurfaceOffset == mAppliedScrollOffset))
    {
        // The pixels drawn for the old offset move to where the new offset shows them.
        const PointT<LONG> shift(RoundDoubleToLong(mSurfaceOffset.x - mAppliedScrollOffset.x),
                                 RoundDoubleToLong(mSurfaceOffset.y - mAppliedScrollOffset.y));
        if (FAILED(r.ScrollRenderContext(mScrollSurface, shift)))
        {
            mPendingInvalid.Clear();
            mPendingInvalid.AddRect(
                RECT{whole.x, whole.y, whole.x + whole.width, whole.y + whole.height});
        }
        mSurfaceOffset = mAppliedScrollOffset;
    }

    // The part of the visible content this draw shows, in content coordinates.
    mLastScrolledUpdate.Clear();
    const RectT<double> client = LookClientRect(GetActiveLookIndex());
    RectT<double> area;
    if (!IntersectRect(area, client, CurrentClip(r)))
    {
        return true;
    }
    area.x += mContentOffset.x - client.x;
    area.y += mContentOffset.y - client.y;
    LRegion taken;
    TakePendingInvalidArea(area, taken);
    if (taken.IsEmpty())
    {
        return true;
    }
    mLastScrolledUpdate = taken;
    mLastScrolledUpdate.Offset(RoundDoubleToLong(mAppliedScrollOffset.x),
                               RoundDoubleToLong(mAppliedScrollOffset.y));

    RECT b{};
    taken.GetBounds(b);
    r.RenderStart(mScrollSurface);
    {
        CAutoClip frame(renderer, RectT<double>(0, 0, size.width, size.height),
                        RectT<double>(b.left, b.top, b.right - b.left, b.bottom - b.top), nullptr,
                        false);
        r.SetClipRegion(taken);
        Array<RectT<LONG>> rects;
        taken.GetRects(rects);
        for (unsigned int i = 0; i < rects.GetCount(); ++i)
        {
            // Emptied first: the children draw over nothing, as over the control's looks.
            r.FillRect(rects.GetConstElementPointer(i), ColorRGBA(), false);
        }
        PushClipInfo move;
        move.flavor = 2;
        move.origin = PointT<double>(-mAppliedScrollOffset.x, -mAppliedScrollOffset.y);
        CAutoClip origin(renderer, move);
        const RectT<double> bounds = CurrentClip(r);
        // The z order puts the children drawn here first.
        const unsigned int end = ClippedGroupEnd(1);
        for (unsigned int i = 0; i < end; ++i)
        {
            const RCPtr<LControl>& child = mChildren.GetAt(i, kZOrder);
            RectT<double> meets;
            if (!IntersectRect(meets, child->GetRect(), bounds) ||
                !(meets.width > DBL_EPSILON && meets.height > DBL_EPSILON))
            {
                continue;
            }
            RCPtr<LControl>(child)->Draw(renderer, taken, deferred, false);
        }
    }
    r.RenderFinish(mScrollSurface);
    return true;
}

void LControl::DrawScrolledSurface(const ConstRCPtr<LRenderer>& renderer, const LRegion& region,
                                   const RectT<double>& client)
{
    LRenderer& r = *renderer.GetMutable();
    std::vector<RectT<double>> rects;
    GetRegionRectsHere(r, region, rects);
    RectT<double> shown;
    if (!IntersectRect(shown, client, CurrentClip(r)))
    {
        return;
    }
    const LONG dx = RoundDoubleToLong(mContentOffset.x) - RoundDoubleToLong(client.x) -
                    RoundDoubleToLong(mAppliedScrollOffset.x);
    const LONG dy = RoundDoubleToLong(mContentOffset.y) - RoundDoubleToLong(client.y) -
                    RoundDoubleToLong(mAppliedScrollOffset.y);
    for (const RectT<double>& rect : rects)
    {
        RectT<double> part;
        if (!IntersectRect(part, rect, shown) ||
            !(part.width > DBL_EPSILON && part.height > DBL_EPSILON))
        {
            continue;
        }
        RoundRectOutward(part);
        const RectT<LONG> at = part.ToInt();
        r.DrawRenderContext(mScrollSurface, PointT<LONG>(at.x, at.y),
                            RectT<LONG>(at.x + dx, at.y + dy, at.width, at.height));
    }
}

void LControl::Invalidate(const RectT<double>& rect, bool clip)
{
    if (!(rect.width > 0 && rect.height > 0))
    {
        return;
    }
    if (mParent)
    {
        const LControl& parent = *mParent;
        if (parent.mScrollingEnabled && IsOnScrolledSurface(this))
        {
            // The parent's surface is to be drawn anew there (content coordinates).
            mParent->InvalidateScrolledRect(
                RectT<double>(rect.x + mX, rect.y + mY, rect.width, rect.height), false);
        }
        const RectT<double> c = parent.LookClientRect(parent.GetActiveLookIndex());
        InvalidateInParent(RectT<double>(rect.x + mX - parent.mContentOffset.x + c.x,
                                         rect.y + mY - parent.mContentOffset.y + c.y, rect.width,
                                         rect.height),
                           clip);
        return;
    }
    if (mRootWindow)
    {
        RectT<double> r(rect.x + mX, rect.y + mY, rect.width, rect.height);
        RoundRectOutward(r);
        mRootWindow->InvalidateControl(r.ToInt());
    }
}

void LControl::InvalidateInParent(const RectT<double>& rect, bool clip)
{
    if (!mParent)
    {
        return;
    }
    LControl& parent = *mParent;
    RectT<double> r = rect;
    if (clip && !IntersectRect(r, rect, RectT<double>(0, 0, parent.mWidth, parent.mHeight)))
    {
        return;
    }
    // Above a floating control nothing clips its area.
    parent.Invalidate(r, clip && parent.ClipsToParent());
}

void LControl::InvalidateAll()
{
    Invalidate(RectT<double>(0, 0, mWidth, mHeight), ClipsToParent());
}

void LControl::InvalidateUnclipped()
{
    if (mUnclippedDescendants > 0)
    {
        ControlList floating;
        CollectUnclippedDescendants(floating, true, true);
        for (unsigned int i = floating.GetCount(); i-- > 0;)
        {
            const RCPtr<LControl> control = floating.GetConstElementPointer(i);
            control->Invalidate(RectT<double>(0, 0, control->mWidth, control->mHeight),
                                control->ClipsToParent());
        }
    }
    else if (!ClipsToParent())
    {
        Invalidate(RectT<double>(0, 0, mWidth, mHeight), false);
    }
}
} // namespace Orv
