// The base of every control: a node of a control tree with one parent (or, at the top, a root
// window), an ordered list of children, a layout descriptor, looks with weights, a string table
// for its texts, and a notification client and distributor of its own.
//
// Controls are made by the control factory through the creator registered for their class
// (ControlCreator.h), which runs one creation sequence: construct with (parent, name),
// ApplyDescriptor, CreateChildControls, Initialize, OnCreated, then the created flag. A
// constructed child is already in its parent's child list.
//
// A tree holds itself with references both ways: the parent's child list holds each child, and
// each child holds its parent, counted as an internal reference of the parent (a menu item
// updater's reference to its control counts the same way). When only internal references of a
// control remain, ReleaseInternalReferences cuts them, so a tree dies with its last outside
// reference.
//
// Coordinates are doubles. A control's rectangle is in its parent's client coordinates: those of
// the parent's client rectangle (the client part of its active look), shifted by the parent's
// content offset. A control's own coordinates have (0, 0) at its top-left corner.
//
// Results of the operations follow the house convention: S_OK, S_FALSE for "nothing to do" or
// "not handled", E_INVALIDARG for a bad argument, E_FAIL for a failed precondition.
//
// Controls live on the UI thread.
#pragma once

#include "ControlBase/ControlDescriptor.h"
#include "ControlBase/Look.h"
#include "ControlBase/MenuItemUpdater.h"
#include "ControlBase/RootWindowInterface.h"
#include "ControlBase/UITarget.h"
#include "ObjectBase/TaggableObject.h"
#include "Renderer/Region.h"
#include "Renderer/Renderer.h"
#include "Utilities/Storage/Array.h"
#include "Utilities/Storage/ArrayBuffer.h"
#include "notification/ConditionsParam.h"
#include "notification/NotificationCenter.h"
#include "notification/NotificationClient.h"
#include "notification/NotificationDistributor.h"
#include "notification/NotificationHandler.h"

namespace Orv
{
class LControl : public LNotificationClient,
                 public LNotificationDistributor,
                 public LTaggableObject,
                 public UITarget
{
public:
    using ControlList = RCPtrArray<LControl>;

    // The bits of the condition word (GetConditions).
    enum Condition : DWORD
    {
        kHasFocus = 0x1,
        kContainsFocus = 0x2,
        kHover = 0x4,
        kCapture = 0x8,
        kLeftDown = 0x10,
        kMiddleDown = 0x20,
        kRightDown = 0x40,
        kLeftDrag = 0x80,
        kMiddleDrag = 0x100,
        kRightDrag = 0x200,
        kEnabled = 0x400,
        kVisible = 0x800,
        kHoverOrForced = 0x1000,
    };

    // Mouse buttons, also as bits of a mask of held buttons.
    static constexpr DWORD kLeftButton = 1;
    static constexpr DWORD kMiddleButton = 2;
    static constexpr DWORD kRightButton = 4;

    // Wheel directions (LMouseWheelParam's amount).
    static constexpr LONG kWheelDown = 0;
    static constexpr LONG kWheelUp = 1;
    static constexpr LONG kWheelLeft = 2;
    static constexpr LONG kWheelRight = 3;

    // The lowest unclipped level: the control and all its ancestors clip to their parents.
    static constexpr LONG kNoUnclippedLevel = -2147483647 - 1;

    // The orders in which a child list can be read.
    enum ChildOrder
    {
        kInsertionOrder = 0,
        // Clipped children first, then by fewer docked axes, lower z-order number, earlier
        // insertion: the draw pass walks it forwards, the hit search backwards.
        kZOrder = 1,
        // By tab-stop number, then earlier insertion.
        kTabOrder = 2,
    };

    // A control's children in insertion order, with the z order and the tab order derived
    // from their layout descriptors. A change marks the two derived orders stale; the next read
    // in one of them sorts both. The list also keeps the owner's and its ancestors' counts of
    // descendants that do not clip to their parent.
    struct ChildControlList
    {
        explicit ChildControlList(LControl* owner);
        virtual ~ChildControlList();
        ChildControlList(const ChildControlList&) = delete;
        ChildControlList& operator=(const ChildControlList&) = delete;

        // The child at index in an order. Throws the runtime error "Runtime Error :
        // Orv::LControl::ChildControlList::GetAt : ControlBase\Control : Line 3356" (3384 for
        // the const form) for an index not below the count, and the one with "Line 3376"
        // (3404) for an order other than 0, 1 and 2.
        RCPtr<LControl>& GetAt(unsigned int index, int order);
        const RCPtr<LControl>& GetAt(unsigned int index, int order) const;
        // Appends child and makes the owner its parent. E_INVALIDARG for a null child, a child
        // that has another parent, or the owner or one of its ancestors; E_FAIL when a child of
        // the same name (compared case-sensitively) is in the list; S_OK otherwise. A refused
        // child is left as it was.
        ORVRESULT Add(LControl* child);
        // Takes child out (searching from the last position); its former position, -1 when it
        // is not in the list.
        int Remove(const LControl* child);
        // Takes every child out, the last first. 1 when the list was empty, else 0.
        int Clear();
        unsigned int GetCount() const { return children.GetCount(); }

        RCPtrArray<LControl> children;
        ArrayBuffer<unsigned int, 1, 0> tabOrder;
        ArrayBuffer<unsigned int, 1, 0> zOrder;
        // The orders are sorted exactly while the two counts are equal.
        unsigned int changeCount = 1;
        unsigned int sortedCount = 0;
        LControl* owner;

    private:
        void SortIfStale() const;
        void TakeOut(unsigned int position);
    };

    LControl(const RCPtr<LControl>& parent, const WString& name);
    // The descriptor's name; the form the creators use.
    LControl(const RCPtr<LControl>& parent, const RCPtr<LControlDescriptor>& descriptor);
    ~LControl() override;
    LControl(const LControl&) = delete;
    LControl& operator=(const LControl&) = delete;

    const WString& GetName() const { return mName; }
    // Null for a top-level control.
    const RCPtr<LControl>& GetParent() const { return mParent; }
    // Only a top-level control has one.
    const RCPtr<IRootWindow>& GetRootWindow() const { return mRootWindow; }
    const RCPtr<LControlDescriptor>& GetDescriptor() const { return mDescriptor; }
    // The control's own copy of its descriptor's layout.
    const RCPtr<LLayoutDescriptor>& GetLayout() const { return mLayout; }
    ChildControlList& GetChildren() { return mChildren; }
    const ChildControlList& GetChildren() const { return mChildren; }
    // The child of that name (case-sensitive), searching from the last added; null when none.
    RCPtr<LControl> FindChildControl(const WString& name) const;
    LONG GetUnclippedDescendantCount() const { return mUnclippedDescendants; }
    bool IsCreated() const { return mCreated; }
    // Set by the creator once the creation sequence has run.
    void SetCreated() { mCreated = true; }
    const WString& GetText() const { return mText; }
    unsigned int GetLookCount() const { return mLooks.GetCount(); }
    const RCPtr<LLook>& GetLook(unsigned int index) const;
    // 0 for an index without a look.
    float GetLookWeight(unsigned int index) const;
    RectT<double> GetRect() const { return RectT<double>(mX, mY, mWidth, mHeight); }
    PointT<double> GetContentOffset() const { return mContentOffset; }
    float GetOpacity() const { return mOpacity; }
    // The client rectangle as CalcClientRect last computed it.
    const RectT<double>& GetClientRect() const { return mClientRect; }
    // The top-level control of the tree (this control when it has no parent).
    LControl* GetTopLevelControl();
    // The root window of the tree: the top-level control's; null when it has none.
    const RCPtr<IRootWindow>& GetTreeRootWindow() const;
    // The default notification center, taken by Initialize.
    const RCPtr<LNotificationCenter>& GetNotificationCenter() const { return mNotificationCenter; }
    // The control's handler table, made by Initialize.
    const RCPtr<LNotificationHandler<LControl>>& GetHandler() const { return mHandler; }

    // 1 when parent is already the parent. Otherwise leaves the current parent (a top-level
    // control drops its root window) and joins parent's child list. S_OK; the result of the
    // child list's Add when parent refuses the control, which is then left without a parent.
    ORVRESULT SetParent(const RCPtr<LControl>& parent);
    // For a top-level control: stores the root window and calls ProcessRootWindowAquired.
    // E_FAIL for a control that has a parent.
    ORVRESULT SetRootWindow(const RCPtr<IRootWindow>& rootWindow);
    // Made on first use.
    RCPtr<LMenuItemUpdater> GetMenuItemUpdater();
    // The text of id in the control's string table; empty without a table or such an id.
    WString GetString(const wchar_t* id) const;
    // --- Layout (ControlLayout.cpp) ---

    // Lays the control out from its layout descriptor: the position and size rules, then the
    // minimum and the maximum, rounded outward to whole pixels, applied with SetRect. E_FAIL
    // without a layout descriptor, or for a top-level control without a root window; else
    // SetRect's result.
    ORVRESULT RecalcLayout();
    // The first pass: the rectangle the position and size rules of layout give under parent
    // (the control's own parent, or null for a top-level control, which is laid out against
    // screen, clientSize and freePoint instead). E_INVALIDARG without a layout, else S_OK.
    ORVRESULT ComputeLayoutRect(const LLayoutDescriptor* layout, const LControl* parent,
                                const RectT<double>& screen, const SizeT<double>& clientSize,
                                const PointT<double>& freePoint, RectT<double>& out) const;
    // The second and third passes: grow (shrink) rect to the axes' minimum (maximum). S_OK when
    // the rectangle changed, S_FALSE when not, E_FAIL when an axis's anchor was outside the range
    // its rule needs (that axis is left as it was).
    ORVRESULT ApplyMinimumSize(RectT<double>& rect);
    ORVRESULT ApplyMaximumSize(RectT<double>& rect);
    // The extent that children first..last (insertion order) need on an axis, the active look's
    // far margin included; 0 for an empty or invalid range.
    double GetChildrenExtent(int first, int last, int axis) const;
    // The smallest rectangle holding every child docked on neither axis, in whole pixels. False
    // and (0, 0, 0, 0) when there is no such child.
    bool GetChildrenBounds(RectT<double>& rect) const;
    // x2 = round(x + width), y2 = round(y + height), x = round(x), y = round(y), width = x2 - x,
    // height = y2 - y (half away from zero).
    static void RoundRectEdges(RectT<double>& rect);
    // Applies a laid-out rectangle: S_FALSE when it is the current one (nothing happens), else
    // S_OK. A new size tells the looks and relays the children out; the siblings added after the
    // control are laid out again; the old and the new area are invalidated.
    ORVRESULT SetRect(const PointT<double>& position, const SizeT<double>& size);
    // The size the minimum rules alone give the control (laid out with size 0 on each axis in
    // turn; the placement is restored).
    virtual SizeT<double> GetSmallestSize();
    // Per axis the fixed maximum (abs of a kind 0 maximum), 0 where there is none.
    virtual SizeT<double> GetAbsoluteMaximumSize() const;
    // Write the placement of one or both axes and lay the control out. S_OK when the layout
    // holds exactly the given rules afterwards, S_FALSE otherwise; another axis than 0 and 1
    // stores nothing (S_FALSE).
    ORVRESULT SetAxisPlacement(int axis, const AxisPlacement& placement);
    ORVRESULT SetPlacement(const AxisPlacement& x, const AxisPlacement& y);
    // The client rectangle: the client part of the active look, else (0, 0, width, height).
    virtual void CalcClientRect();
    virtual void CheckClientExtent();

    // Offers a notification to the control's handler table.
    ORVRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                  const RCPtr<LNotification>& notification) override;
    // Cuts the tree's links when only internal references remain: every client of the
    // control's distributor unregisters, the menu item updater lets go of the control, the
    // children leave, and the control unsubscribes everywhere. S_OK when afterwards only the
    // reference being released remains, else E_FAIL.
    ORVRESULT ReleaseInternalReferences() override;

    // The operations that control classes override, in the order of their slots.

    // A counted reference to the control's string table (null when it has none).
    virtual RCPtr<LStringTable> GetStringTable() const { return mStringTable; }
    // The tree got its root window: each child is told, the last first.
    virtual ORVRESULT ProcessRootWindowAquired();
    // After child left the list from position (the child is still referenced for the call).
    virtual void OnChildRemoved(const RCPtr<LControl>& child, int position);
    // Weight 1 for the look at index, 0 for every other; the control is invalidated when a
    // weight changed. E_INVALIDARG (nothing changed) for an index without a look.
    virtual ORVRESULT SetActiveLook(int index);
    // Sets the weight of the look at index (with exclusive, every other look's weight to 0); the
    // control is invalidated when a weight changed. E_INVALIDARG, nothing changed, for an index
    // without a look or a weight outside 0..1.
    ORVRESULT SetLookWeight(int index, float weight, bool exclusive);
    // Appends a look with weight 0. E_INVALIDARG for null.
    virtual ORVRESULT AddLook(const RCPtr<LLook>& look);
    // Makes the control match descriptor: the descriptor, a copy of its layout, the looks of its
    // look list, the font, the text. While the control is created: look 0 active, the "LABEL"
    // text, the condition tracking started. On a created (live) control, for a new skin: the
    // visible, enabled and focusable states carried over, a top-level window kept where it is,
    // and the children re-attached by name (sorted by layout order; those the new descriptor
    // does not name leave the tree). E_INVALIDARG for null; else S_OK.
    virtual ORVRESULT ApplyDescriptor(const RCPtr<LControlDescriptor>& descriptor);
    // Clears the children, then has the control factory make one child per sub-control
    // descriptor, in order, except those whose "DEFER_CREATE" create parameter is "true"
    // (lower-cased and trimmed); then RecalcLayout. E_FAIL when a child could not be made or
    // joined (a duplicate name), each reported in the debug output; else S_OK.
    virtual ORVRESULT CreateChildControls(const RCPtr<LControlDescriptor>& descriptor);
    // Takes the default notification center, makes the handler table, reads the create
    // parameters and the "TOOLTIP" text. S_OK.
    virtual ORVRESULT Initialize();
    // Applies the create parameters. E_NOTIMPL: reading create parameters is not part of this
    // control model yet.
    virtual ORVRESULT ReadCreateParams();
    // SetParent(this) on child and, when that succeeds, child's ApplyDescriptor(descriptor).
    // E_INVALIDARG when either is null; else the failure of SetParent or ApplyDescriptor's
    // result.
    virtual ORVRESULT AddChildControl(const RCPtr<LControl>& child,
                                      const RCPtr<LControlDescriptor>& descriptor);
    // The last step of creation; nothing in the base.
    virtual void OnCreated();
    // A copy of the tool-tip text.
    virtual WString GetToolTipText() const { return mToolTipText; }

    // --- Text ---

    // The text: stored, handed to every look's text part, the control laid out again when
    // relayout is set and an axis sizes by its text, the area invalidated. True when it changed.
    bool ApplyText(const WString& text, bool relayout);
    // ApplyText(text, true): S_OK when the text changed, S_FALSE when not.
    virtual ORVRESULT SetText(const WString& text);

    // --- Applying a descriptor (ControlApplyDescriptor.cpp) ---

    // Stores the clip-to-parent flag in the layout and keeps the parent's orders and the
    // unclipped counts up to date; the area is invalidated with the flag that shows it. Returns
    // the stored flag.
    virtual bool SetClipToParent(bool clip);

    // --- Drawing (ControlDrawing.cpp) ---

    // Draws the control in its parent's client coordinates: its looks by weight, its content,
    // text and children, its overlay, each rectangle of region (in the render context's
    // coordinates) under its own clip. Children that do not clip to their parent are appended to
    // deferred for the root window to draw on top. E_INVALIDARG when the clip-to-parent flag
    // equals unclippedPass (a clipped control is drawn by its parent only, an unclipped one in
    // the deferred pass only); else S_OK. Never throws for the content of a look.
    virtual ORVRESULT Draw(const ConstRCPtr<LRenderer>& renderer, const LRegion& region,
                           ControlList& deferred, bool unclippedPass);
    // Hooks drawn once per rectangle of the region, under its clip, in the control's own
    // coordinates; the base draws nothing (S_OK).
    virtual ORVRESULT DrawContent(const ConstRCPtr<LRenderer>& renderer);
    virtual ORVRESULT DrawOverlay(const ConstRCPtr<LRenderer>& renderer);
    // Draws the children that clip to this control, in z order, for the look at lookIndex.
    ORVRESULT DrawChildren(const ConstRCPtr<LRenderer>& renderer, const LRegion& region,
                           int lookIndex, ControlList& deferred);
    // Appends the control (when includeSelf and it does not clip to its parent) or, below it,
    // the descendants that do not clip to their parent; with checkVisibility a control that is
    // hidden or empty ends the search in its subtree. The number appended.
    int CollectUnclippedDescendants(ControlList& deferred, bool checkVisibility, bool includeSelf);
    // The first look with a weight above 0; -1 when none.
    int GetActiveLookIndex() const;
    // Invalidation. Invalidate takes a rectangle in the control's own coordinates and hands it,
    // in the parent's own coordinates, to InvalidateInParent, which clips it to the parent when
    // clip is set and carries it up to the root window's invalid region.
    virtual void Invalidate(const RectT<double>& rect, bool clip);
    virtual void InvalidateInParent(const RectT<double>& rect, bool clip);
    // Invalidates the whole control with its clip-to-parent flag.
    void InvalidateAll();
    // Invalidates the areas of the visible floating controls of the subtree (the control itself
    // when it does not clip to its parent).
    void InvalidateUnclipped();

    // --- Finding the control under a point (ControlHitSearch.cpp) ---

    // The deepest control under point (this control's coordinates), or null; local gets the
    // point in the found control's coordinates, level the unclipped level of the best control
    // found so far (start it at kNoUnclippedLevel). restrict is true at the top of the search.
    virtual RCPtr<LControl> FindControlAt(const PointT<LONG>& point, bool restrict,
                                          PointT<LONG>& local, LONG& level);
    // Whether point (own coordinates) lies inside the control's rectangle.
    virtual bool HitTest(const PointT<LONG>& point) const;
    // True when every look with a weight above 0 shows a colour of alpha 0 at point (also when
    // no look has weight).
    virtual bool IsTransparentAt(const PointT<LONG>& point) const;
    // The packed colour under point in the look at lookIndex (out of range: the first weighted
    // look, else the first look); transparent white without a look.
    virtual DWORD GetColorAt(const PointT<LONG>& point, int lookIndex) const;
    // The largest z-order number of the control and its ancestors that do not clip to their
    // parent; kNoUnclippedLevel when all clip.
    LONG GetUnclippedZLevel() const;
    // The position in the parent's own coordinates.
    PointT<double> GetPositionInParent() const;
    // The control's origin in its top-level control's coordinates.
    PointT<double> GetRectInRoot() const;
    // A point of other's coordinates in this control's coordinates.
    PointT<double> ConvertPointFrom(const LControl* other, const PointT<double>& point) const;
    // The position of child in an order, -1 when it is not a child.
    int GetChildIndex(const LControl* child, int order) const;
    // Every descendant, depth first (each child followed by its own descendants). The count.
    unsigned int CollectDescendants(ControlList& descendants) const;
    // The control that accepts a drop of dragged at point (root-window coordinates), or null.
    virtual RCPtr<LControl> FindDropTarget(const RCPtr<LControl>& dragged,
                                           const PointT<double>& point);
    // The base accepts nothing.
    virtual bool AcceptsDrop(const RCPtr<LControl>& dragged);

    // Edit commands (delete, cut, copy, paste) for the control that has the focus.
    enum EditCommand
    {
        kEditDelete = 0,
        kEditCut = 1,
        kEditCopy = 2,
        kEditPaste = 3,
    };
    // The control that takes the edit commands meant for this one: the control itself.
    virtual RCPtr<LControl> GetEditTarget() { return RCPtr<LControl>(this); }
    // Whether the control edits at all, and whether it can perform the command now; the base
    // edits nothing.
    virtual bool AcceptsEdit() const { return false; }
    virtual bool CanPerformEdit(int /*command*/) const { return false; }
    // Performs the command; the base throws the logic error "LControl::PerformEdit must be
    // overridden".
    virtual ORVRESULT PerformEdit(int command);
    // While set, the control itself is never the result of a search (its children still are).
    void SetSearchExcluded(bool excluded) { mSearchExcluded = excluded; }
    bool IsSearchExcluded() const { return mSearchExcluded; }

    // --- Conditions (ControlConditions.cpp) ---

    // The condition word.
    DWORD GetConditions() const;
    // Reports a change of the condition word: cursor, drag start and end, OnConditionsChange,
    // the condition notifications, the hover test, the children's derived bits.
    void DispatchConditionChanges();
    // The object every condition report carries.
    const RCPtr<LConditionsParam>& GetConditionsParam() const { return mConditionsParam; }
    void SetForcedHover(bool forced);
    // S_OK when the flag changed, S_FALSE when not.
    virtual ORVRESULT SetEnabled(bool enabled);
    // Returns IsVisible(true).
    virtual bool SetVisible(bool visible);
    // The visible flag and a positive size; recursive: also for every ancestor.
    bool IsVisible(bool recursive) const;
    // The enabled flag; recursive: also for every ancestor.
    bool IsEnabled(bool recursive) const;
    // Visible and enabled with the ancestors, not marked not focusable, and some child can take
    // the focus (itself or through its children).
    bool HasFocusableChild() const;
    // Called with the conditions parameter on every change; the base does nothing.
    virtual void OnConditionsChange(const RCPtr<LConditionsParam>& param);

    // --- Mouse input (ControlMouse.cpp) ---

    ORVRESULT OnMouseEnter() override;
    ORVRESULT OnMouseMove(const RCPtr<LPointWithModifiersParam>& param) override;
    ORVRESULT OnMouseDown(const RCPtr<LMouseButtonParam>& param) override;
    ORVRESULT OnMouseUp(const RCPtr<LMouseButtonParam>& param) override;
    ORVRESULT OnMouseLeave() override;
    // Takes the capture for a press. The buttons taken are 1, 2 and 4 while the root window
    // reports them held; S_FALSE for any other press.
    ORVRESULT OnMouseButtonDown(DWORD button, LONG x, LONG y) override;
    ORVRESULT OnCaptureLost() override;
    // Offers the key to HandleUnusedKey. S_FALSE when the control does not take input or the
    // key was not handled.
    ORVRESULT OnKey(const RCPtr<LKeyParam>& param) override;
    ORVRESULT OnMouseWheel(const RCPtr<LMouseWheelParam>& param) override;
    ORVRESULT OnMouseHWheel(const RCPtr<LMouseWheelParam>& param) override;
    ORVRESULT OnResize(const SizeT<LONG>& size) override;
    bool CanReleaseFocus() override;
    bool OnKillFocus() override;

    // Whether the control takes input: visible with its ancestors and enabled with them.
    bool AcceptsInput() const;
    // A finished click, to OnLeftClick, OnMiddleClick or OnRightClick by its button.
    virtual ORVRESULT OnClick(const RCPtr<LMouseButtonParam>& param);
    // The click hook, then "NID_LEFT_CLICK" (middle, right). E_INVALIDARG for null.
    virtual ORVRESULT OnLeftClick(const RCPtr<LMouseButtonParam>& param);
    virtual ORVRESULT OnMiddleClick(const RCPtr<LMouseButtonParam>& param);
    virtual ORVRESULT OnRightClick(const RCPtr<LMouseButtonParam>& param);
    // Gives the focus to this control or its nearest ancestor that can take it.
    virtual ORVRESULT TakeFocusFromClick(const RCPtr<LControl>& child);
    // The not-focusable flag; recursive: of the control or an ancestor, up to the first with a
    // focus boundary or without a parent.
    bool IsNotFocusable(bool recursive) const;
    void SetFocusBoundary(bool boundary) { mFocusBoundary = boundary; }
    // The cursor shown while the pointer is over the control (0: none).
    void SetCursor(int cursor);
    int GetCursor() const { return mCursor; }
    // Offers a wheel step to this control, then up the parent chain, or, past a floating
    // control, to the control beneath the pointer without it. The result of the handler that
    // took it; S_FALSE when none did; -1 for null.
    ORVRESULT RouteMouseWheel(const RCPtr<LMouseWheelParam>& param);
    // Wheel handlers: S_OK taken, S_FALSE not; the base takes nothing.
    virtual ORVRESULT OnWheel(const RCPtr<LMouseWheelParam>& param);
    virtual ORVRESULT OnHWheel(const RCPtr<LMouseWheelParam>& param);
    // The distance in pixels a pressed pointer must move to start a drag (0: at once). S_OK;
    // E_INVALIDARG for a negative value.
    ORVRESULT SetDragThreshold(LONG pixels);
    // What a left drag does (0: only the conditions change).
    ORVRESULT SetDragMode(int mode, DWORD argument);
    int GetDragMode() const { return mDragMode; }
    // The point of the last press in the parent's coordinates.
    const PointT<double>& GetPressPoint() const { return mPressPoint; }
    // The application clock at the press, at the last two moves and at the release.
    DWORD GetPressTime() const { return mPressTime; }
    DWORD GetLastMoveTime() const { return mLastMoveTime; }

    // --- Focus (ControlFocus.cpp) ---

    // Gives the focus to this control, or for a container to its first (forward) or last
    // focusable child. S_OK; S_FALSE when the tree holds no focus to move; E_FAIL when the focus
    // holder refuses to let it go or nothing can take it.
    virtual ORVRESULT SetFocus(bool forward);
    // Marks the control as containing the focus on behalf of child.
    ORVRESULT SetContainsFocus(const RCPtr<LControl>& child);
    // Visible and enabled with the ancestors, and not marked not focusable.
    bool IsFocusable() const;
    // S_OK; the focus moves to the parent when the control holds it and becomes not focusable.
    ORVRESULT SetNotFocusable(bool notFocusable);
    // The child that has or contains the focus, or null.
    RCPtr<LControl> GetChildContainingFocus() const;
    // The next child after start in the tab order that takes input (wrapping), or null.
    virtual RCPtr<LControl> FindNextFocusable(const RCPtr<LControl>& start, bool backward);
    // The first (last) child in the tab order that can take the focus, or null.
    RCPtr<LControl> FindFirstFocusable(bool backward);
    // The base takes no key (S_FALSE).
    virtual ORVRESULT HandleUnusedKey(const RCPtr<LKeyParam>& param);

    // --- Fonts (ControlFont.cpp) ---

    // The font from a name (empty: the base font's), a size (0 or less: the base's; with
    // sizeIsRelative a factor of the base's) and a style (-1: the base's). The base font is the
    // parent's when the control inherits its font, else the skin font; without one, the
    // system's interface font. The result of SetFont; E_FAIL when no font could be had.
    ORVRESULT SetFontByName(const WString& name, float size, int style, bool sizeIsRelative);
    // E_INVALIDARG for null; S_FALSE when the control has an equal font (the looks get it all
    // the same); else S_OK, and the children that inherit follow.
    ORVRESULT SetFont(const ConstRCPtr<LFont>& font);
    // Recomputes the font from the base font when the control inherits any part of it. S_OK.
    virtual ORVRESULT UpdateInheritedFont();
    // After the font changed; the base does nothing.
    virtual void OnFontChanged();
    const ConstRCPtr<LFont>& GetFont() const { return mFont; }
    void SetInheritsFont(bool inherits) { mInheritsFont = inherits; }
    // The font of the system's interface (name, size in points, style), null when it cannot be
    // had: the base font of last resort.
    static ConstRCPtr<LFont> GetSystemFont();

    // Hooks of the input operations; the base does nothing.
    virtual void OnLeftButtonDown(const RCPtr<LMouseButtonParam>& param);
    virtual void OnLeftButtonUp(const RCPtr<LMouseButtonParam>& param);
    virtual void OnMiddleButtonDown(const RCPtr<LMouseButtonParam>& param);
    virtual void OnMiddleButtonUp(const RCPtr<LMouseButtonParam>& param);
    virtual void OnRightButtonDown(const RCPtr<LMouseButtonParam>& param);
    virtual void OnRightButtonUp(const RCPtr<LMouseButtonParam>& param);
    virtual void OnMouseMoveHook(const RCPtr<LPointWithModifiersParam>& param);
    virtual void OnLeftClickHook(const RCPtr<LMouseButtonParam>& param);
    virtual void OnMiddleClickHook(const RCPtr<LMouseButtonParam>& param);
    virtual void OnRightClickHook(const RCPtr<LMouseButtonParam>& param);
    // Drag hooks: a left drag starts, moves (the pointer in the control's coordinates), ends,
    // while the drag mode is not 0. The base moves nothing.
    virtual void OnDragStart();
    virtual void OnDrag(const RCPtr<LPointWithModifiersParam>& param);
    virtual void OnDragEnd();

protected:
    // The factor the renderer's alpha is multiplied by while the control draws (1 after
    // construction); clamped to 0..1.
    void SetOpacity(float opacity);

private:
    // Adds delta to the unclipped counts of control and each of its ancestors.
    static void AddUnclipped(LControl* control, LONG delta);
    // This control's own share of an ancestor's unclipped count: its own unclipped
    // descendants, and itself when it does not clip to its parent.
    LONG UnclippedShare() const;
    bool ClipsToParent() const { return !mLayout || mLayout->clipToParent; }
    // Re-attaches the taken-out children whose names the new descriptor still has.
    void ReattachChildren(ControlList& old, const RCPtr<LControlDescriptor>& descriptor);
    // The client rectangle of the look at index in whole pixels, or the control's own
    // rectangle when that look is missing or has no client part.
    RectT<double> LookClientRect(int index) const;
    // The origin of the client rectangle of the first weighted look, else the first look.
    PointT<double> ClientOrigin() const;
    // The size rule of an axis gives it by its text.
    bool SizesByText() const;
    // The minimum and maximum pass of one axis (ControlLayout.cpp).
    ORVRESULT ApplyMinimumOnAxis(int axis, RectT<double>& rect);
    ORVRESULT ApplyMaximumOnAxis(int axis, RectT<double>& rect);
    // The target edge of a limit that follows children; false when the children give none.
    bool ChildrenLimit(const LayoutSpec& spec, int axis, double pos, double size, float anchor,
                       double& target) const;
    // The look pass of Draw (client parts when clientParts, else non-client parts).
    void DrawLooks(const ConstRCPtr<LRenderer>& renderer, const LRegion& region, bool clientParts);
    // Calls hook once per region rectangle inside the clip.
    void DrawPerRectangle(const ConstRCPtr<LRenderer>& renderer, const LRegion& region,
                          ORVRESULT (LControl::*hook)(const ConstRCPtr<LRenderer>&));
    // Collects the unclipped descendants when the control has any.
    void CollectFloating(ControlList& deferred);
    // The button index (0 left, 1 middle, 2 right) of a button bit; -1 for another value.
    static int ButtonIndex(DWORD button);
    void SendNamed(const wchar_t* name, const RCPtr<LRefCountedObject>& param);
    // The last step of taking the focus.
    ORVRESULT TakeFocus();

    RCPtr<LNotificationHandler<LControl>> mHandler;
    WString mName;
    RCPtr<LControlDescriptor> mDescriptor;
    RCPtr<LLayoutDescriptor> mLayout;
    double mX = 0;
    double mY = 0;
    double mWidth = 0;
    double mHeight = 0;
    PointT<double> mContentOffset;
    LONG mUnclippedDescendants = 0;
    RCPtrArray<LLook> mLooks;
    Array<float> mLookWeights;
    float mOpacity = 1.0f;
    RCPtr<LControl> mParent;
    RCPtr<IRootWindow> mRootWindow;
    RCPtr<LStringTable> mStringTable;
    WString mText;
    WString mToolTipText;
    RCPtr<LMenuItemUpdater> mMenuItemUpdater;
    RCPtr<LNotificationCenter> mNotificationCenter;
    ChildControlList mChildren;
    bool mCreated = false;

    // Applying a descriptor and layout.
    bool mReapplying = false;
    bool mRelayout = false;
    RectT<double> mClientRect;
    bool mClientRectChanged = false;
    bool mTextOffset = false;

    // Conditions.
    bool mHasFocus = false;
    bool mContainsFocus = false;
    bool mHover = false;
    bool mCapture = false;
    bool mButtonDown[3] = {false, false, false};
    bool mButtonDrag[3] = {false, false, false};
    bool mForcedHover = false;
    RCPtr<LConditionsParam> mConditionsParam;
    int mCursor = 0;
    int mPreviousCursor = 0;

    // Mouse input.
    RCPtr<LMouseButtonParam> mLastPress;
    PointT<double> mPressPoint;
    PointT<double> mDragCorrection;
    int mDragMode = 0;
    DWORD mDragArgument = 0;
    LONG mDragThreshold = 1;
    DWORD mPressTime = 0;
    DWORD mLastMoveTime = 0;
    DWORD mPreviousMoveTime = 0;
    DWORD mReleaseTime = 0;
    PointT<double> mDragVelocity;
    bool mNotFocusable = true;
    bool mFocusBoundary = false;
    bool mSearchExcluded = false;

    // Fonts.
    ConstRCPtr<LFont> mFont;
    bool mInheritsFont = false;
    bool mNameInherited = false;
    bool mSizeInherited = false;
    bool mStyleInherited = false;
    bool mSizeIsRelative = false;
    float mSizeFactor = 1.0f;
};
} // namespace Orv
