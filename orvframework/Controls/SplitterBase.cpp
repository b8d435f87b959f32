#include "Controls/SplitterBase.h"

#include "Application/FrameworkApp.h"
#include "System/RootWindow.h"
#include "Utilities/Globals.h"

#include <algorithm>

namespace Orv
{
namespace
{
double Along(const RectT<double>& rect, int axis)
{
    return axis == 0 ? rect.x : rect.y;
}

double ExtentAlong(const RectT<double>& rect, int axis)
{
    return axis == 0 ? rect.width : rect.height;
}

// The fixed minimum of an axis (0 when the minimum follows children).
double MinimumOf(const LControl& control, int axis)
{
    const RCPtr<LLayoutDescriptor>& layout = control.GetLayout();
    if (!layout)
    {
        return 0;
    }
    const LayoutSpec& minimum = layout->axes[axis].minimum;
    return minimum.kind == LLayoutDescriptor::kLimitAbsolute ? std::max(0.0, minimum.abs) : 0;
}

double MaximumOf(const LControl& control, int axis)
{
    const SizeT<double> maximum = control.GetAbsoluteMaximumSize();
    return axis == 0 ? maximum.width : maximum.height;
}
} // namespace

LSplitterBase::LSplitterBase(const RCPtr<LControl>& parent,
                             const RCPtr<LControlDescriptor>& descriptor, int orientation)
    : LControl(parent, descriptor)
    , mOrientation(orientation)
{
}

LSplitterBase::LSplitterBase(const RCPtr<LControl>& parent, const WString& name, int orientation)
    : LControl(parent, name)
    , mOrientation(orientation)
{
}

LSplitterBase::~LSplitterBase()
{
    mReference = nullptr;
}

ORVRESULT LSplitterBase::Initialize()
{
    const ORVRESULT result = LControl::Initialize();
    const CursorNames& names = GetCursorNames();
    LFrameworkApp* application = GetFrameworkApp();
    if (application != nullptr)
    {
        SetCursor(LRootWindow::GetCursorId(
            application->GetCursor(mOrientation == kVertical ? names.sizeWe : names.sizeNs)));
    }
    return result;
}

RCPtr<LControl> LSplitterBase::FindReference() const
{
    const RCPtr<LLayoutDescriptor>& layout = GetLayout();
    const RCPtr<LControl>& parent = GetParent();
    if (!layout || !parent)
    {
        return nullptr;
    }
    const LayoutSpec& position = layout->axes[GetDragAxis()].position;
    if (position.kind != LLayoutDescriptor::kPositionSibling || position.reference.IsEmpty())
    {
        return nullptr;
    }
    RCPtr<LControl> reference = parent->FindChildControl(position.reference);
    return reference.Get() == this ? nullptr : reference;
}

void LSplitterBase::ComputeLimits(double p, const LControl* reference, double& low,
                                  double& high) const
{
    const int axis = GetDragAxis();
    low = 0;
    high = kUnlimited;
    if (reference != nullptr)
    {
        const double size = ExtentAlong(reference->GetRect(), axis);
        low = std::max(low, p - (size - MinimumOf(*reference, axis)));
        const double maximum = MaximumOf(*reference, axis);
        if (maximum > 0)
        {
            high = std::min(high, p + (maximum - size));
        }
    }
    const RCPtr<LControl>& parent = GetParent();
    const RCPtr<LLayoutDescriptor>& own = GetLayout();
    if (!parent || !own)
    {
        return;
    }
    const ChildControlList& siblings = parent->GetChildren();
    const int ownIndex = parent->GetChildIndex(this, kInsertionOrder);
    for (unsigned int i = 0; i < siblings.GetCount(); ++i)
    {
        const RCPtr<LControl>& c = siblings.children.GetConstElementPointer(i);
        const RCPtr<LLayoutDescriptor>& layout = c ? c->GetLayout() : nullptr;
        if (!layout || c.Get() == this)
        {
            continue;
        }
        // Only the siblings laid out after the splitter follow it.
        const bool after =
            layout->layoutOrder > own->layoutOrder ||
            (layout->layoutOrder == own->layoutOrder && static_cast<int>(i) > ownIndex);
        if (!after)
        {
            continue;
        }
        const LLayoutDescriptor::Axis& a = layout->axes[axis];
        const bool sizeNames =
            a.size.kind == LLayoutDescriptor::kSizeSibling && a.size.reference == GetName();
        const bool positionNames = a.position.kind == LLayoutDescriptor::kPositionSibling &&
                                   a.position.reference == GetName() &&
                                   a.size.kind != LLayoutDescriptor::kSizeAbsolute;
        if (!sizeNames && !positionNames)
        {
            continue;
        }
        // Its size as the layout gives it now, the splitter where it is.
        RectT<double> rect;
        c->ComputeLayoutRect(layout.Get(), parent.Get(), RectT<double>(), SizeT<double>(),
                             PointT<double>(), rect);
        const double s = ExtentAlong(rect, axis);
        const double mn = MinimumOf(*c, axis);
        const double mx = MaximumOf(*c, axis);
        const float rel = sizeNames ? a.size.rel : a.position.rel;
        if (rel == 0)
        {
            // Grows as the splitter moves forward.
            low = std::max(low, p - (s - mn));
            if (mx > 0)
            {
                high = std::min(high, p + (mx - s));
            }
        }
        else
        {
            // Shrinks as the splitter moves forward.
            high = std::min(high, p + (s - mn));
            if (mx > 0)
            {
                low = std::max(low, p - (mx - s));
            }
        }
    }
}

RectT<double> LSplitterBase::GetDragLimits() const
{
    return RectT<double>(mMinLimit, 0, mMaxLimit - mMinLimit, 0);
}

void LSplitterBase::OnDragStart()
{
    const RCPtr<LControl> self(this);
    const int axis = GetDragAxis();
    const double p = Along(GetRect(), axis);
    mDragOrigin = p;
    mReference = FindReference();
    if (mReference && GetLayout() && mReference->GetLayout())
    {
        AxisPlacement placement;
        GetLayout()->GetAxisPlacement(axis, placement);
        mSavedPosition = placement.position;
        // Placed where it is, absolutely: it no longer follows the pane while the drag runs.
        placement.position = LayoutSpec{LLayoutDescriptor::kPositionClient, WString(), 0,
                                        p + placement.anchor * ExtentAlong(GetRect(), axis)};
        placement.docked = false;
        SetAxisPlacement(axis, placement);
        mReferenceStartSize = mReference->GetLayout()->axes[axis].size.abs;
    }
    else
    {
        mReference = nullptr;
    }
    ComputeLimits(p, mReference.Get(), mMinLimit, mMaxLimit);
    LControl::OnDragStart();
}

void LSplitterBase::OnDrag(const RCPtr<LPointWithModifiersParam>& param)
{
    if (!param || !mReference || !mReference->GetLayout() || !GetLayout())
    {
        return;
    }
    const RCPtr<LControl> self(this);
    const int axis = GetDragAxis();
    // The pointer in the parent's coordinates, less the press point.
    const double pointer = (axis == 0 ? param->point.x : param->point.y) + Along(GetRect(), axis);
    const double press = axis == 0 ? GetPressPoint().x : GetPressPoint().y;
    const double p = std::clamp(mDragOrigin + (pointer - press), mMinLimit, mMaxLimit);

    AxisPlacement pane;
    mReference->GetLayout()->GetAxisPlacement(axis, pane);
    pane.size.abs = mReferenceStartSize + (p - mDragOrigin);
    mReference->SetAxisPlacement(axis, pane);

    AxisPlacement own;
    GetLayout()->GetAxisPlacement(axis, own);
    own.position.abs = p + own.anchor * ExtentAlong(GetRect(), axis);
    SetAxisPlacement(axis, own);
}

void LSplitterBase::OnDragEnd()
{
    const RCPtr<LControl> self(this);
    if (mReference && GetLayout())
    {
        const int axis = GetDragAxis();
        AxisPlacement placement;
        GetLayout()->GetAxisPlacement(axis, placement);
        placement.position = mSavedPosition;
        SetAxisPlacement(axis, placement);
    }
    LControl::OnDragEnd();
}

ORVRESULT LSplitterBase::OnResize(const SizeT<LONG>& size)
{
    const RCPtr<LControl> self(this);
    const ORVRESULT result = LControl::OnResize(size);
    if (mReference)
    {
        // A drag places the splitter itself.
        return result;
    }
    const RCPtr<LControl> reference = FindReference();
    if (!reference || !reference->GetLayout())
    {
        return result;
    }
    const int axis = GetDragAxis();
    const double p = Along(GetRect(), axis);
    double low = 0;
    double high = 0;
    ComputeLimits(p, reference.Get(), low, high);
    if (high < low)
    {
        std::swap(low, high);
    }
    if (p < low || p > high)
    {
        const double nearest = p < low ? low : high;
        AxisPlacement pane;
        reference->GetLayout()->GetAxisPlacement(axis, pane);
        pane.size.abs += nearest - p;
        reference->SetAxisPlacement(axis, pane);
    }
    return result;
}

void LSplitterBase::ChooseLook(DWORD conditions)
{
    const bool over = (conditions & kHover) != 0;
    const bool focused = (conditions & kHasFocus) != 0;
    const bool dragging = (conditions & kCapture) != 0 && (conditions & kLeftDrag) != 0;
    int look = kLookNormal;
    if ((conditions & kEnabled) == 0)
    {
        look = kLookDisabled;
    }
    else if (dragging)
    {
        look = over ? kLookDraggedOver : (focused ? kLookHover : kLookDraggedAway);
    }
    else if (over && (conditions & kCapture) == 0)
    {
        look = kLookHover;
    }
    else if (focused || over)
    {
        look = kLookActive;
    }
    if (static_cast<unsigned int>(look) < GetLookCount() && GetLook(look))
    {
        SetActiveLook(look);
    }
}

void LSplitterBase::OnConditionsChange(const RCPtr<LConditionsParam>& param)
{
    LControl::OnConditionsChange(param);
    if (!param)
    {
        return;
    }
    const DWORD changed = param->oldConditions ^ param->newConditions;
    if ((changed & kLeftDrag) != 0)
    {
        if ((param->newConditions & kLeftDrag) != 0)
        {
            SetDragMode(kDragResizeNear, mOrientation == kVertical ? kDragAxisX : kDragAxisY);
        }
        else
        {
            mReference = nullptr;
        }
    }
    ChooseLook(param->newConditions);
}
} // namespace Orv
