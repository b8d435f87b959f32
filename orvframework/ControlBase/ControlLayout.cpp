// Layout: the control's rectangle from its layout descriptor, the minimum and maximum passes,
// applying a rectangle, and the placement setters.
#include "ControlBase/Control.h"

#include "Utilities/Geometry/RectOperations.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace Orv
{
namespace
{
// Half away from zero, kept as a double.
double Round(double value)
{
    return value < 0 ? std::trunc(value - 0.5) : std::trunc(value + 0.5);
}

double Along(const PointT<double>& point, int axis)
{
    return axis == LLayoutDescriptor::kAxisX ? point.x : point.y;
}

double Along(const SizeT<double>& size, int axis)
{
    return axis == LLayoutDescriptor::kAxisX ? size.width : size.height;
}

double PositionOf(const LControl& control, int axis)
{
    return Along(PointT<double>(control.GetRect().x, control.GetRect().y), axis);
}

double ExtentOf(const LControl& control, int axis)
{
    return Along(SizeT<double>(control.GetRect().width, control.GetRect().height), axis);
}

bool DockedOn(const LControl& control, int axis)
{
    return control.GetLayout() && control.GetLayout()->axes[axis].docked;
}

// The size an axis's far edge gives with anchor f: the distance d shared out so that the
// anchored fraction of the control lies before the position.
double SizeFromEdge(double d, double f)
{
    if (d > 0 && f >= 0 && f < 1)
    {
        return d / (1 - f);
    }
    if (d < 0 && f > 0 && f <= 1)
    {
        return -d / f;
    }
    return 0;
}

constexpr double kSameSize = 2.220446049250313e-15;
// Whether a position or size rule of layout refers to a control by name.
bool NamesAControl(const LLayoutDescriptor* layout)
{
    if (layout == nullptr)
    {
        return false;
    }
    for (const LLayoutDescriptor::Axis& axis : layout->axes)
    {
        const int position = axis.position.kind;
        const int size = axis.size.kind;
        if ((position != LLayoutDescriptor::kPositionParent &&
             position != LLayoutDescriptor::kPositionClient) ||
            (size != LLayoutDescriptor::kSizeParent && size != LLayoutDescriptor::kSizeClient &&
             size != LLayoutDescriptor::kSizeAbsolute))
        {
            return true;
        }
    }
    return false;
}
} // namespace

RectT<double> LControl::LookClientRect(int index) const
{
    const LLook* look = index >= 0 ? GetLook(static_cast<unsigned int>(index)).Get() : nullptr;
    if (look != nullptr)
    {
        const RectT<LONG>& c = look->GetClientRect();
        return RectT<double>(LongToDouble(c.x), LongToDouble(c.y), LongToDouble(c.width),
                             LongToDouble(c.height));
    }
    return RectT<double>(0, 0, mWidth, mHeight);
}

ORVRESULT LControl::RecalcLayout()
{
    if (!mLayout)
    {
        return E_FAIL;
    }
    RectT<double> rect;
    if (mParent)
    {
        ComputeLayoutRect(mLayout.Get(), mParent.Get(), RectT<double>(), SizeT<double>(),
                          PointT<double>(), rect);
    }
    else
    {
        // A top-level control is laid out against its window; before it has one (while it is
        // being made) there is nothing to lay it out against.
        if (!mRootWindow)
        {
            return E_FAIL;
        }
        IRootWindow& window = *mRootWindow;
        const RectT<LONG> work = window.GetWorkArea();
        const PointT<LONG> origin = window.GetClientOrigin();
        const SizeT<LONG> client = window.GetClientSize();
        const PointT<LONG> cursor = window.GetCursorPos();
        ComputeLayoutRect(mLayout.Get(), nullptr,
                          RectT<double>(-LongToDouble(origin.x), -LongToDouble(origin.y),
                                        LongToDouble(work.width), LongToDouble(work.height)),
                          SizeT<double>(LongToDouble(client.width), LongToDouble(client.height)),
                          PointT<double>(LongToDouble(cursor.x), LongToDouble(cursor.y)), rect);
    }
    ApplyMinimumSize(rect);
    ApplyMaximumSize(rect);
    RoundRectOutward(rect);
    return SetRect(PointT<double>(rect.x, rect.y), SizeT<double>(rect.width, rect.height));
}

ORVRESULT LControl::ComputeLayoutRect(const LLayoutDescriptor* layout, const LControl* parent,
                                      const RectT<double>& screen, const SizeT<double>& clientSize,
                                      const PointT<double>& freePoint, RectT<double>& out) const
{
    if (layout == nullptr)
    {
        return E_INVALIDARG;
    }
    PointT<double> origin;
    SizeT<double> extent;
    SizeT<double> client;
    PointT<double> offset;
    if (parent != nullptr)
    {
        const RectT<double> c = parent->LookClientRect(parent->GetActiveLookIndex());
        origin = PointT<double>(-c.x, -c.y);
        extent = SizeT<double>(parent->mWidth, parent->mHeight);
        client = SizeT<double>(c.width, c.height);
        offset = parent->mContentOffset;
    }
    else
    {
        origin = PointT<double>(screen.x, screen.y);
        extent = SizeT<double>(screen.width, screen.height);
        client = clientSize;
    }

    double result[2][2] = {};
    for (int axis = LLayoutDescriptor::kAxisX; axis <= LLayoutDescriptor::kAxisY; ++axis)
    {
        const LLayoutDescriptor::Axis& a = layout->axes[axis];
        const double f = a.anchor;
        const double o = Along(origin, axis);
        const double e = Along(extent, axis);
        const double k = Along(client, axis);
        const double s = Along(offset, axis);

        // The named sibling's position (less the content offset when it is docked on the axis)
        // and extent; without a parent, the free point.
        auto named = [&](const WString& name, double& base, double& ext)
        {
            base = 0;
            ext = 0;
            if (parent == nullptr)
            {
                base = Along(freePoint, axis);
                return;
            }
            if (const RCPtr<LControl> r = parent->FindChildControl(name))
            {
                base = PositionOf(*r, axis) - (DockedOn(*r, axis) ? s : 0);
                ext = ExtentOf(*r, axis);
            }
        };

        double pos = 0;
        const LayoutSpec& p = a.position;
        switch (p.kind)
        {
            case LLayoutDescriptor::kPositionParent:
                pos = Round(p.rel * e) + p.abs + o;
                break;
            case LLayoutDescriptor::kPositionClient:
                pos = Round(p.rel * k) + p.abs;
                break;
            default:
            {
                double base = 0;
                double ext = 0;
                named(p.reference, base, ext);
                pos = Round(p.rel * ext) + base + p.abs;
                break;
            }
        }

        double size = 0;
        const LayoutSpec& z = a.size;
        if (z.kind == LLayoutDescriptor::kSizeAbsolute)
        {
            size = z.abs < 0 ? 0 : z.abs;
        }
        else
        {
            double refOrigin = 0;
            double refExtent = 0;
            if (z.kind == LLayoutDescriptor::kSizeParent)
            {
                refOrigin = o;
                refExtent = e;
            }
            else if (z.kind == LLayoutDescriptor::kSizeClient)
            {
                refExtent = k;
            }
            else
            {
                named(z.reference, refOrigin, refExtent);
            }
            const double edge = Round(z.rel * refExtent) + refOrigin + z.abs;
            size = SizeFromEdge(edge - pos, f);
        }
        pos -= f * size;
        if (a.docked)
        {
            pos += s;
        }
        result[axis][0] = pos;
        result[axis][1] = size;
    }
    out = RectT<double>(result[0][0], result[1][0], result[0][1], result[1][1]);
    RoundRectEdges(out);
    return S_OK;
}

void LControl::RoundRectEdges(RectT<double>& rect)
{
    const double x2 = Round(rect.x + rect.width);
    const double y2 = Round(rect.y + rect.height);
    rect.x = Round(rect.x);
    rect.y = Round(rect.y);
    rect.width = x2 - rect.x;
    rect.height = y2 - rect.y;
}

ORVRESULT LControl::ApplyMinimumSize(RectT<double>& rect)
{
    if (!mLayout)
    {
        return S_FALSE;
    }
    const ORVRESULT x = ApplyMinimumOnAxis(LLayoutDescriptor::kAxisX, rect);
    const ORVRESULT y = ApplyMinimumOnAxis(LLayoutDescriptor::kAxisY, rect);
    if (FAILED(x) || FAILED(y))
    {
        return E_FAIL;
    }
    return x == S_OK || y == S_OK ? S_OK : S_FALSE;
}

ORVRESULT LControl::ApplyMaximumSize(RectT<double>& rect)
{
    if (!mLayout)
    {
        return S_FALSE;
    }
    const ORVRESULT x = ApplyMaximumOnAxis(LLayoutDescriptor::kAxisX, rect);
    const ORVRESULT y = ApplyMaximumOnAxis(LLayoutDescriptor::kAxisY, rect);
    if (FAILED(x) || FAILED(y))
    {
        return E_FAIL;
    }
    return x == S_OK || y == S_OK ? S_OK : S_FALSE;
}

bool LControl::ChildrenLimit(const LayoutSpec& spec, int axis, double pos, double size,
                             float anchor, double& target) const
{
    const int count = static_cast<int>(mChildren.GetCount());
    if (count == 0)
    {
        return false;
    }
    int first = 0;
    int last = count - 1;
    if (!(spec.reference == L"Children"))
    {
        const RCPtr<LControl> named = FindChildControl(spec.reference);
        first = last = named ? GetChildIndex(named.Get(), kInsertionOrder) : -1;
    }
    const double e = GetChildrenExtent(first, last, axis);
    if (!(e > 0) || e == size)
    {
        return false;
    }
    const double f = anchor;
    target = spec.rel * e + (f * size + pos - f * e) + spec.abs;
    return true;
}

ORVRESULT LControl::ApplyMinimumOnAxis(int axis, RectT<double>& rect)
{
    double& pos = axis == LLayoutDescriptor::kAxisX ? rect.x : rect.y;
    double& size = axis == LLayoutDescriptor::kAxisX ? rect.width : rect.height;
    const LLayoutDescriptor::Axis& a = mLayout->axes[axis];
    const LayoutSpec& spec = a.minimum;
    const double f = a.anchor;
    if (spec.kind == LLayoutDescriptor::kLimitAbsolute)
    {
        double m = spec.abs;
        const RCPtr<LLook>& look = GetLook(static_cast<unsigned int>(GetActiveLookIndex()));
        if (GetActiveLookIndex() >= 0 && look && look->HasTextPart() &&
            a.textOverflow != LLayoutDescriptor::kOverflowClip)
        {
            LFontText& text = *look->GetTextPart();
            if (axis == LLayoutDescriptor::kAxisX)
            {
                if (a.textOverflow == LLayoutDescriptor::kOverflowExpand)
                {
                    text.SetWordWrap(false);
                    const double relative = look->GetTextRelativeWidth();
                    const double lacking = static_cast<double>(text.MeasureWidestLine()) -
                                           look->GetTextBoxWidthAt(size);
                    if (lacking > 0 && relative > 0)
                    {
                        m = std::max(m, size + std::ceil(lacking / relative));
                    }
                    const LayoutSpec& maximum = a.maximum;
                    if (maximum.kind == LLayoutDescriptor::kLimitAbsolute && maximum.abs > 0 &&
                        maximum.abs < m)
                    {
                        m = maximum.abs;
                        text.SetWordWrap(true);
                    }
                }
            }
            else
            {
                // The height the text lacks at the width the control is given.
                const LONG width = look->GetTextBoxWidthAt(rect.width);
                const double relative = look->GetTextRelativeHeight();
                const double lacking = static_cast<double>(text.GetHeightForWidth(width)) -
                                       look->GetTextBoxHeightAt(size);
                if (lacking > 0 && relative > 0)
                {
                    m = std::max(m, size + std::ceil(lacking / relative));
                }
            }
        }
        if (m > size)
        {
            pos -= Round(f * (m - size));
            size = m;
            return S_OK;
        }
        return S_FALSE;
    }

    double target = 0;
    if (!ChildrenLimit(spec, axis, pos, size, a.anchor, target))
    {
        return S_FALSE;
    }
    if (pos <= target && pos + size < target)
    {
        if (!(f >= 0 && f < 1))
        {
            return E_FAIL;
        }
        const double shift = Round(f * (target - (pos + size)) / (1 - f));
        pos -= shift;
        size = Round(target) - pos;
        return S_OK;
    }
    if (target < pos)
    {
        if (!(f > 0 && f <= 1))
        {
            return E_FAIL;
        }
        const double d = pos - target;
        pos = target;
        size += Round(d / f);
        return S_OK;
    }
    return S_FALSE;
}

ORVRESULT LControl::ApplyMaximumOnAxis(int axis, RectT<double>& rect)
{
    double& pos = axis == LLayoutDescriptor::kAxisX ? rect.x : rect.y;
    double& size = axis == LLayoutDescriptor::kAxisX ? rect.width : rect.height;
    const LLayoutDescriptor::Axis& a = mLayout->axes[axis];
    const LayoutSpec& spec = a.maximum;
    const double f = a.anchor;
    if (spec.kind == LLayoutDescriptor::kLimitAbsolute)
    {
        if (spec.abs == 0 || !(spec.abs < size))
        {
            return S_FALSE;
        }
        pos -= Round(f * (spec.abs - size));
        size = spec.abs;
        return S_OK;
    }
    double target = 0;
    if (!ChildrenLimit(spec, axis, pos, size, a.anchor, target))
    {
        return S_FALSE;
    }
    // The far edge moves in to the target, the position by the anchor's share, mirroring the
    // growth of the minimum pass.
    if (pos < target && target < pos + size)
    {
        if (!(f >= 0 && f < 1))
        {
            return E_FAIL;
        }
        const double shift = Round(f * ((pos + size) - target) / (1 - f));
        pos += shift;
        size = Round(target) - pos;
        return S_OK;
    }
    return S_FALSE;
}

double LControl::GetChildrenExtent(int first, int last, int axis) const
{
    if (!(first >= 0 && first <= last) || last >= static_cast<int>(mChildren.GetCount()))
    {
        return 0;
    }
    const int active = GetActiveLookIndex();
    const RectT<double> c = LookClientRect(active);
    const double clientOrigin = axis == LLayoutDescriptor::kAxisX ? c.x : c.y;
    const double offset = Along(mContentOffset, axis);
    double result = 0;
    for (int i = last; i >= first; --i)
    {
        const LControl& child =
            *mChildren.children.GetConstElementPointer(static_cast<unsigned int>(i));
        if (first != last && !child.ClipsToParent())
        {
            continue;
        }
        double edge = PositionOf(child, axis) - offset + clientOrigin;
        if (DockedOn(child, axis))
        {
            edge -= offset;
        }
        edge += ExtentOf(child, axis);
        result = std::max(result, edge);
    }
    if (result > DBL_EPSILON && active >= 0)
    {
        const RCPtr<LLook>& look = GetLook(static_cast<unsigned int>(active));
        const double lookExtent =
            axis == LLayoutDescriptor::kAxisX ? look->GetSize().width : look->GetSize().height;
        const double clientExtent = axis == LLayoutDescriptor::kAxisX ? c.width : c.height;
        result += lookExtent - clientOrigin - clientExtent;
    }
    return result;
}

bool LControl::GetChildrenBounds(RectT<double>& rect) const
{
    LONG left = 2147483647;
    LONG top = 2147483647;
    LONG right = -2147483647 - 1;
    LONG bottom = -2147483647 - 1;
    bool any = false;
    for (unsigned int i = 0; i < mChildren.GetCount(); ++i)
    {
        const LControl& child = *mChildren.children.GetConstElementPointer(i);
        if (DockedOn(child, LLayoutDescriptor::kAxisX) ||
            DockedOn(child, LLayoutDescriptor::kAxisY))
        {
            continue;
        }
        const RectT<LONG> r = child.GetRect().ToInt();
        left = std::min(left, r.x);
        top = std::min(top, r.y);
        right = std::max(right, AddSaturated(r.x, r.width));
        bottom = std::max(bottom, AddSaturated(r.y, r.height));
        any = true;
    }
    if (!any)
    {
        // No child counts: an empty rectangle, not the running bounds' start values.
        rect = RectT<double>(0, 0, 0, 0);
        return false;
    }
    rect = RectT<double>(left, top, static_cast<double>(right) - left,
                         static_cast<double>(bottom) - top);
    return true;
}

ORVRESULT LControl::SetRect(const PointT<double>& position, const SizeT<double>& size)
{
    if (position.x == mX && position.y == mY && size.width == mWidth && size.height == mHeight)
    {
        return S_FALSE;
    }
    const RCPtr<LControl> self(this);
    const bool sizeChanged = !(std::fabs(size.width - mWidth) < kSameSize &&
                               std::fabs(size.height - mHeight) < kSameSize);
    const bool hadArea = mWidth > 0 && mHeight > 0;

    InvalidateAll();
    if (mUnclippedDescendants > 0)
    {
        InvalidateUnclipped();
    }

    mX = position.x;
    mY = position.y;
    mWidth = size.width;
    mHeight = size.height;
    const SizeT<LONG> lookSize(RoundDoubleToLong(mWidth), RoundDoubleToLong(mHeight));
    for (unsigned int i = 0; i < mLooks.GetCount(); ++i)
    {
        if (const RCPtr<LLook>& look = mLooks.GetConstElementPointer(i))
        {
            look->SetSize(lookSize);
        }
    }
    CalcClientRect();

    if (sizeChanged && !mRelayout)
    {
        mRelayout = true;
        for (unsigned int i = 0; i < mChildren.GetCount(); ++i)
        {
            const RCPtr<LControl> child = mChildren.children.GetConstElementPointer(i);
            child->OnResize(lookSize);
        }
        RecalcLayout();
        mRelayout = false;
    }

    if (mParent)
    {
        // The siblings added later may refer to this control: each is laid out again until one
        // changes (its own SetRect carries the chain on).
        const RCPtr<LControl> parent = mParent;
        const int index = parent->GetChildIndex(this, kInsertionOrder);
        for (int i = index + 1; index >= 0 && i < static_cast<int>(parent->mChildren.GetCount());
             ++i)
        {
            const RCPtr<LControl>& sibling =
                parent->mChildren.children.GetConstElementPointer(static_cast<unsigned int>(i));
            // A sibling whose rules name no control cannot follow this one.
            if (!NamesAControl(sibling->mLayout.Get()))
            {
                continue;
            }
            if (RCPtr<LControl>(sibling)->RecalcLayout() != S_FALSE)
            {
                break;
            }
        }
    }
    else if (mRootWindow)
    {
        mRootWindow->SetWindowRect(GetRect().ToInt());
    }

    if (!(mWidth > 0 && mHeight > 0) && (mHasFocus || mContainsFocus) && mParent)
    {
        const RCPtr<LControl> parent = mParent;
        parent->SetFocus(true);
    }

    InvalidateAll();
    if (mUnclippedDescendants > 0)
    {
        InvalidateUnclipped();
    }
    CheckClientExtent();
    // A parent whose content follows its children hears of the move.
    if (mParent)
    {
        const RCPtr<LControl> parent = mParent;
        parent->InvalidateScrolledArea(this, GetRect());
    }
    // The visible bit of the condition word needs a positive size: its change is reported like
    // any other (and reaches the children, whose bit follows this control's).
    if (hadArea != (mWidth > 0 && mHeight > 0))
    {
        DispatchConditionChanges();
    }
    return S_OK;
}

SizeT<double> LControl::GetSmallestSize()
{
    SizeT<double> smallest;
    if (!mLayout)
    {
        return smallest;
    }
    for (int axis = LLayoutDescriptor::kAxisX; axis <= LLayoutDescriptor::kAxisY; ++axis)
    {
        AxisPlacement kept;
        mLayout->GetAxisPlacement(axis, kept);
        AxisPlacement zero = kept;
        zero.size = LayoutSpec{LLayoutDescriptor::kSizeAbsolute, WString(), 0, 0};
        SetAxisPlacement(axis, zero);
        if (axis == LLayoutDescriptor::kAxisX)
        {
            smallest.width = mWidth;
        }
        else
        {
            smallest.height = mHeight;
        }
        SetAxisPlacement(axis, kept);
    }
    return smallest;
}

SizeT<double> LControl::GetAbsoluteMaximumSize() const
{
    SizeT<double> maximum;
    if (mLayout)
    {
        const LayoutSpec& x = mLayout->axes[LLayoutDescriptor::kAxisX].maximum;
        const LayoutSpec& y = mLayout->axes[LLayoutDescriptor::kAxisY].maximum;
        maximum.width = x.kind == LLayoutDescriptor::kLimitAbsolute ? x.abs : 0;
        maximum.height = y.kind == LLayoutDescriptor::kLimitAbsolute ? y.abs : 0;
    }
    return maximum;
}

ORVRESULT LControl::SetAxisPlacement(int axis, const AxisPlacement& placement)
{
    if (!mLayout)
    {
        return E_FAIL;
    }
    if (axis != LLayoutDescriptor::kAxisX && axis != LLayoutDescriptor::kAxisY)
    {
        return S_FALSE;
    }
    LLayoutDescriptor::Axis& a = mLayout->axes[axis];
    if (a.docked != placement.docked && mParent)
    {
        // The docked flags sort the parent's z order.
        ++mParent->mChildren.changeCount;
    }
    a.anchor = placement.anchor;
    a.position = placement.position;
    a.docked = placement.docked;
    a.size = placement.size;
    RecalcLayout();
    AxisPlacement stored;
    mLayout->GetAxisPlacement(axis, stored);
    return LLayoutDescriptor::SamePlacement(stored, placement) ? S_OK : S_FALSE;
}

ORVRESULT LControl::SetAxisSizeLimits(int axis, const LayoutSpec& minimum,
                                      const LayoutSpec& maximum)
{
    if (!mLayout)
    {
        return E_FAIL;
    }
    if (axis != LLayoutDescriptor::kAxisX && axis != LLayoutDescriptor::kAxisY)
    {
        return S_FALSE;
    }
    mLayout->axes[axis].minimum = minimum;
    mLayout->axes[axis].maximum = maximum;
    RecalcLayout();
    LayoutSpec storedMinimum;
    LayoutSpec storedMaximum;
    mLayout->GetAxisLimits(axis, storedMinimum, storedMaximum);
    return LLayoutDescriptor::SameLimit(storedMinimum, minimum) &&
                   LLayoutDescriptor::SameLimit(storedMaximum, maximum)
               ? S_OK
               : S_FALSE;
}

ORVRESULT LControl::SetPlacement(const AxisPlacement& x, const AxisPlacement& y)
{
    if (!mLayout)
    {
        return E_FAIL;
    }
    const AxisPlacement* given[2] = {&x, &y};
    for (int axis = LLayoutDescriptor::kAxisX; axis <= LLayoutDescriptor::kAxisY; ++axis)
    {
        LLayoutDescriptor::Axis& a = mLayout->axes[axis];
        if (a.docked != given[axis]->docked && mParent)
        {
            ++mParent->mChildren.changeCount;
        }
        a.anchor = given[axis]->anchor;
        a.position = given[axis]->position;
        a.docked = given[axis]->docked;
        a.size = given[axis]->size;
    }
    RecalcLayout();
    for (int axis = LLayoutDescriptor::kAxisX; axis <= LLayoutDescriptor::kAxisY; ++axis)
    {
        AxisPlacement stored;
        mLayout->GetAxisPlacement(axis, stored);
        if (!LLayoutDescriptor::SamePlacement(stored, *given[axis]))
        {
            return S_FALSE;
        }
    }
    return S_OK;
}

ORVRESULT LControl::OnResize(const SizeT<LONG>& size)
{
    const RCPtr<LControl> self(this);
    const SizeT<LONG> before(RoundDoubleToLong(mWidth), RoundDoubleToLong(mHeight));
    RecalcLayout();
    const SizeT<LONG> after(RoundDoubleToLong(mWidth), RoundDoubleToLong(mHeight));
    if (!mParent && mRootWindow && after == before && !(size == before))
    {
        // The layout fixes the size: the window keeps it.
        mRootWindow->SetWindowRect(GetRect().ToInt());
    }
    return S_OK;
}
} // namespace Orv
