// The base of the controls whose content can be larger than the control itself (panels, list
// boxes, text boxes). It keeps a client extent, the size of the content in pixels, and scrolls
// the content through the content offset the control keeps. Three optional skin children take
// part: the scroll bars "hBar" and "vBar" (LScrollbar; any other class counts as absent) and the
// "corner", whose size the skin gives both bars. A bar shows only while the content does not
// fit: hiding collapses its thin side to 0 through the layout, its visible flag stays. The bars
// and the offset move together, the wheel steps the bars, and the extent can follow the
// children ("AUTO_CLIENT_EXTENT_X", "AUTO_CLIENT_EXTENT_Y").
//
// The view sends "NID_CLIENT_EXTENT_CHANGE" (no parameter) when its extent changes, and
// "NID_SCROLL_OFFSET_CHANGE" as every control does.
//
// UI thread only. Three re-entry flags keep the layout, the offset and the client-rectangle
// paths from recursing into each other.
#pragma once

#include "ControlBase/Control.h"
#include "Controls/Scrollbar.h"

namespace Orv
{
class LScrollView : public LControl
{
public:
    // Bits of the automatic client extent (SetAutoClientExtent).
    static constexpr unsigned kAutoExtentX = 0x1;
    static constexpr unsigned kAutoExtentY = 0x2;
    // Axes of the bars: 0 the horizontal bar, 1 the vertical one.
    static constexpr int kHorizontal = 0;
    static constexpr int kVertical = 1;

    LScrollView(const RCPtr<LControl>& parent, const RCPtr<LControlDescriptor>& descriptor);
    LScrollView(const RCPtr<LControl>& parent, const WString& name);
    ~LScrollView() override;

    // The view's handler table first (once created), then the control's.
    ORVRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                  const RCPtr<LNotification>& notification) override;
    ORVRESULT Unregister(const RCPtr<LNotificationDistributor>& source,
                         const wchar_t* name) override;

    // Finds "corner", "hBar" and "vBar", subscribes the bars' "NID_VALUE_CHANGE" and lays the
    // bars out; with a bar, scrolling is enabled (the content is drawn on a scrolled surface).
    // The control's failure is returned at once.
    ORVRESULT Initialize() override;
    // The control's, then the automatic extent from "AUTO_CLIENT_EXTENT_X" and
    // "AUTO_CLIENT_EXTENT_Y" (margins 0) when the descriptor has create parameters.
    ORVRESULT ReadCreateParams() override;
    // Before creation ends only the control's; on a live view (a new skin) the bars are
    // connected again (nothing is subscribed twice) and the extent and the bars follow.
    ORVRESULT ApplyDescriptor(const RCPtr<LControlDescriptor>& descriptor) override;

    // The vertical wheel steps the vertical bar (the horizontal one with Alt when both show, or
    // when it is the only one shown); the horizontal wheel the horizontal bar, else the
    // vertical one. Shift steps a page. S_FALSE when no bar is shown, else S_OK.
    ORVRESULT OnWheel(const RCPtr<LMouseWheelParam>& param) override;
    ORVRESULT OnHWheel(const RCPtr<LMouseWheelParam>& param) override;

    // Stores the extent and tells OnClientExtentChange and the clients
    // ("NID_CLIENT_EXTENT_CHANGE"). 1 when both axes equal the stored ones
    // within 2.220446049250313e-15 (nothing happens), else 0.
    int SetClientExtent(double x, double y);
    // The size of the content in pixels.
    const PointT<double>& GetExtent() const { return mClientExtent; }
    // Stores which axes follow the children (kAutoExtentX, kAutoExtentY) with a margin each,
    // then follows them. 0.
    int SetAutoClientExtent(unsigned mask, int marginX, int marginY);
    unsigned GetAutoClientExtent() const { return mAutoExtent; }
    // The extent of the followed axes from the children and the margins: SetClientExtent's
    // result, 1 when no axis follows.
    int UpdateAutoClientExtent();
    // Each bar's range, page fraction and steps from the extent and the visible size; the
    // offset follows a bar whose position changed with them.
    void UpdateScrollbars();
    // Decides which bars show. 1 when entered again while it runs (nothing happens), else 0.
    int LayoutScrollbars();
    // (width, height): the corner's size when there is a corner, else the vertical bar's width
    // and the horizontal bar's height (0 for a missing bar).
    SizeT<double> GetScrollbarSizes() const;
    // Whether the bar of axis exists, is visible by its layout and has a positive size.
    bool IsScrollbarShown(int axis) const;
    // The farthest rightward and downward child edges (children docked on an axis do not count
    // on it; the bars and the corner count like any child), in whole pixels.
    PointT<double> GetContentChildrenExtent() const;

    // The allowed offsets: (0, 0, maximum x, maximum y), a maximum being the extent less the
    // visible size (not below 0), or 2^52 for an axis whose extent is not above 0.
    virtual RectT<double> GetScrollLimits() const;
    // The client rectangle less the shown bars (never negative).
    virtual RectT<double> GetVisibleClientRect() const;

    const RCPtr<LScrollbar>& GetHBar() const { return mHBar; }
    const RCPtr<LScrollbar>& GetVBar() const { return mVBar; }
    const RCPtr<LControl>& GetCorner() const { return mCorner; }
    // The thickness a shown bar takes: x the vertical bar's width, y the horizontal bar's height.
    const PointT<double>& GetBarThickness() const { return mBarThickness; }

    // Control operations the view takes part in.
    void CalcClientRect() override;
    void CheckClientExtent() override;
    // The bars follow the applied offset (without reacting to their own notification).
    void SetScrollOffset(const PointT<double>& oldOffset, const PointT<double>& newOffset) override;
    ORVRESULT NotifyScrollOffsetChange(const PointT<double>& offset) override;
    // A child changed: the extent follows it (the bars, for a child docked on both axes).
    void InvalidateScrolledArea(const LControl* sender, const RectT<double>& rect) override;
    // The scrolled area: the offset (not below 0) and the visible size bounded by the
    // children's bounds (at least 1 on each axis).
    RectT<double> GetClientExtent() const override;
    // Where the layout sets no fixed maximum, the children's extent.
    SizeT<double> GetAbsoluteMaximumSize() const override;
    void OnChildRemoved(const RCPtr<LControl>& child, int position) override;

protected:
    // The extent changed: the bars are laid out, then the scrolled area is adopted when
    // scrolling is enabled.
    virtual void OnClientExtentChange();
    // Hooks: the visible client rectangle changed; a bar (axis) was shown or hidden.
    virtual void OnVisibleRectChange();
    virtual void OnScrollbarVisibilityChange(int axis);

    // Finds the bar thicknesses, subscribes the bars (once) and lays them out.
    void ConnectScrollbars();
    // Shows or hides the bar of axis by the thin size of the corner (or of the bar itself).
    void ShowScrollbar(int axis, bool show);

    // Non-zero on an axis: it scrolls by whole lines of mLineSize pixels (set by subclasses; a
    // line size of 0 or less scrolls continuously).
    int mLineMode[2] = {0, 0};
    int mLineSize[2] = {0, 0};
    PointT<double> mClientExtent;

private:
    ORVRESULT OnScrollbarValueChange(const RCPtr<LNotificationDistributor>& source,
                                     const RCPtr<LNotification>& notification);
    // The bar of axis, null when absent.
    const RCPtr<LScrollbar>& BarOf(int axis) const { return axis == kVertical ? mVBar : mHBar; }
    bool InLineMode(int axis) const { return mLineMode[axis] != 0 && mLineSize[axis] > 0; }
    void UpdateScrollbar(int axis);
    RectT<double> LookClientRectOrBounds() const;

    RCPtr<LNotificationHandler<LScrollView>> mScrollViewHandler;
    bool mInLayout = false;
    bool mInScroll = false;
    bool mInClientRect = false;
    RCPtr<LScrollbar> mHBar;
    RCPtr<LScrollbar> mVBar;
    RCPtr<LControl> mCorner;
    PointT<double> mBarThickness;
    unsigned mAutoExtent = 0;
    int mExtentMargin[2] = {0, 0};
    bool mHBarSubscribed = false;
    bool mVBarSubscribed = false;
};
} // namespace Orv
