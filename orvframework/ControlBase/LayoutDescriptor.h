// A control's placement rules: per axis an anchor, a position, a size, a minimum and a maximum,
// each relative to a reference (the parent, its client area, a named control, the control's
// children), plus the flags the child orders and the draw pass read (clip to parent, z order,
// tab stop, visible, enabled, docked). The skin reader fills one per control descriptor; every
// control works on its own copy (Clone).
#pragma once

#include "ObjectBase/RCPtr.h"
#include "Utilities/Storage/StringT.h"

namespace Orv
{
// One rule of an axis: a kind that says what the rule refers to, the name of a referenced
// control where the kind names one, a factor of the reference's extent and an absolute offset
// or size.
struct LayoutSpec
{
    int kind = 0;
    WString reference;
    float rel = 0;
    double abs = 0;
};

// An axis's placement: where the control sits (anchor, position rule, docked flag) and how large
// it is (size rule).
struct AxisPlacement
{
    float anchor = 0;
    LayoutSpec position;
    bool docked = false;
    LayoutSpec size;
};

class LLayoutDescriptor : public virtual LRefCountedObject
{
public:
    // Kinds of a position rule.
    enum PositionKind
    {
        kPositionParent = 0,
        kPositionClient = 1,
        kPositionSibling = 2,
    };
    // Kinds of a size rule; any value other than 0, 1 and 2 names a sibling.
    enum SizeKind
    {
        kSizeParent = 0,
        kSizeClient = 1,
        kSizeAbsolute = 2,
        kSizeSibling = 3,
    };
    // Kinds of a minimum or maximum; any value other than 0 follows children.
    enum LimitKind
    {
        kLimitAbsolute = 0,
        kLimitChildren = 1,
    };
    // Text overflow of an axis.
    enum TextOverflow
    {
        kOverflowClip = 0,
        kOverflowExpand = 1,
        kOverflowWrap = 2,
    };

    static constexpr int kAxisX = 0;
    static constexpr int kAxisY = 1;

    struct Axis
    {
        bool docked = false;
        // The fraction of the extent that lies before the position.
        float anchor = 0;
        LayoutSpec position{kPositionClient, WString(), 0, 0};
        LayoutSpec size{kSizeAbsolute, WString(), 0, 0};
        LayoutSpec minimum{kLimitAbsolute, WString(), 0, 0};
        LayoutSpec maximum{kLimitAbsolute, WString(), 0, 0};
        int textOverflow = kOverflowClip;
    };

    // The defaults of a new descriptor: clipped, visible, enabled, z order and tab stop 0,
    // placed at the parent's client origin, 16 by 40 pixels, no minimum or maximum.
    LLayoutDescriptor();

    static RCPtr<LLayoutDescriptor> Create()
    {
        return RCPtr<LLayoutDescriptor>(new LLayoutDescriptor());
    }
    // A new descriptor with every field copied, stored in out; returns out.
    RCPtr<LLayoutDescriptor>& Clone(RCPtr<LLayoutDescriptor>& out) const;

    // The placement, or the minimum and maximum, of axis 0 (x) or 1 (y). E_INVALIDARG for
    // another axis, else S_OK.
    ORVRESULT GetAxisPlacement(int axis, AxisPlacement& placement) const;
    ORVRESULT GetAxisLimits(int axis, LayoutSpec& minimum, LayoutSpec& maximum) const;

    // Rules compare field by field, numbers by value; the reference name counts only for the
    // kinds that name a control (a sibling position or size, a limit that follows children).
    static bool SamePosition(const LayoutSpec& a, const LayoutSpec& b);
    static bool SameSize(const LayoutSpec& a, const LayoutSpec& b);
    static bool SameLimit(const LayoutSpec& a, const LayoutSpec& b);
    // Anchor, position rule and docked flag, then the size rule.
    static bool SamePlacement(const AxisPlacement& a, const AxisPlacement& b);

    bool clipToParent = true;
    int zOrder = 0;
    // Negative: the control takes no focus.
    int tabStop = 0;
    bool visible = true;
    bool enabled = true;
    Axis axes[2];
    WString textDecoration;
    int layoutOrder = 0;
};
} // namespace Orv
