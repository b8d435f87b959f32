// A splitter: a thin control between two panes that the user drags to move the boundary between
// them. It works through the layout: its position on the drag axis refers to the pane before it
// (the skin names that pane as the position's reference control). Dragging changes that pane's
// size on the axis, and the layout then moves the splitter and every control placed after it.
//
// A drag is kept within limits: the pane before it keeps at least its minimum and at most its
// maximum size (0: no maximum), and so does each later sibling whose size or position the skin
// gives relative to the splitter. While the drag runs the splitter is placed absolutely; at its
// end it follows the pane again. When the parent is resized so that the splitter falls outside
// its limits, the pane is resized to bring it back to the nearest one.
//
// LSplitterH (a horizontal bar, dragged on y) and LSplitterV (a vertical bar, dragged on x) fix
// the orientation. Looks: 0 normal, 1 dragging away from it, 3 focused or hovered, 4 hovered
// (or dragging away from it while focused), 5 dragging over it, 6 disabled.
//
// UI thread only.
#pragma once

#include "ControlBase/Control.h"

namespace Orv
{
class LSplitterBase : public LControl
{
public:
    // The orientations.
    static constexpr int kHorizontal = 0;
    static constexpr int kVertical = 1;
    // The looks.
    enum Look
    {
        kLookNormal = 0,
        kLookDraggedAway = 1,
        kLookActive = 3,
        kLookHover = 4,
        kLookDraggedOver = 5,
        kLookDisabled = 6,
    };
    // The widest range a drag can have: 2^52.
    static constexpr double kUnlimited = 4503599627370496.0;

    LSplitterBase(const RCPtr<LControl>& parent, const RCPtr<LControlDescriptor>& descriptor,
                  int orientation);
    LSplitterBase(const RCPtr<LControl>& parent, const WString& name, int orientation);
    ~LSplitterBase() override;

    // Finds the reference pane, computes the limits, places the splitter absolutely.
    void OnDragStart() override;
    // Resizes the reference pane by the drag, within the limits.
    void OnDrag(const RCPtr<LPointWithModifiersParam>& param) override;
    // The splitter follows the reference pane again.
    void OnDragEnd() override;
    // The drag's limits: x the lowest coordinate on the drag axis, width the range.
    virtual RectT<double> GetDragLimits() const;
    // A left drag starts the drag mode; its end releases the reference; the look follows.
    void OnConditionsChange(const RCPtr<LConditionsParam>& param) override;
    // The control's; then the resize cursor of the orientation.
    ORVRESULT Initialize() override;
    // The control's relayout; then a splitter outside its limits is pulled back to the nearest.
    ORVRESULT OnResize(const SizeT<LONG>& size) override;

    int GetOrientation() const { return mOrientation; }
    // The drag axis: 1 (y) for a horizontal splitter, 0 (x) for a vertical one.
    int GetDragAxis() const { return mOrientation == kHorizontal ? 1 : 0; }
    // The pane being resized; null outside a drag.
    const RCPtr<LControl>& GetReference() const { return mReference; }

private:
    // The reference pane named by the splitter's position on the drag axis; null when the
    // position names none.
    RCPtr<LControl> FindReference() const;
    // The range of the splitter's coordinate p on the drag axis that keeps the reference and the
    // later siblings that refer to the splitter within their sizes.
    void ComputeLimits(double p, const LControl* reference, double& low, double& high) const;
    void ChooseLook(DWORD conditions);

    int mOrientation;
    double mMinLimit = 0;
    double mMaxLimit = kUnlimited;
    // The splitter's own position rule before the drag, and its coordinate then.
    LayoutSpec mSavedPosition;
    double mDragOrigin = 0;
    RCPtr<LControl> mReference;
    // The reference's size rule's absolute part at the drag start.
    double mReferenceStartSize = 0;
};
} // namespace Orv
