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
#include "ControlBase/MenuDescriptor.h"
#include "ControlBase/MenuItemUpdater.h"
#include "ControlBase/RootWindowInterface.h"
#include "ControlBase/UITarget.h"
#include "ObjectBase/TaggableObject.h"
#include "Renderer/Region.h"
#include "Renderer/Renderer.h"
#include "Utilities/Storage/Array.h"
#include "Utilities/Storage/ArrayBuffer.h"
#include "notification/ConditionsParam.h"
#include "notification/KeyParam.h"
#include "notification/NotificationCenter.h"
#include "notification/NotificationClient.h"
#include "notification/NotificationDistributor.h"
#include "notification/NotificationHandler.h"
#include "notification/SiblingKeyParam.h"

#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

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
        // The children by name (names are unique in a list), kept by Add, the removals and
        // SetChildControlName: a search by name does not compare every child's name.
        struct NameHash
        {
            using is_transparent = void;
            std::size_t operator()(std::wstring_view name) const
            {
                return std::hash<std::wstring_view>()(name);
            }
        };
        std::unordered_map<std::wstring, LControl*, NameHash, std::equal_to<>> byName;
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
    // The client rectangle as CalcClientRect last computed it: for a new rectangle and whenever
    // another look becomes the active one.
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
    // control drops its root window), lets parent work off its pending removals and joins
    // parent's child list. S_OK; the result of the child list's Add when parent refuses the
    // control, which is then left without a parent.
    ORVRESULT SetParent(const RCPtr<LControl>& parent);
    // For a top-level control: stores the root window and calls ProcessRootWindowAquired.
    // E_FAIL for a control that has a parent.
    ORVRESULT SetRootWindow(const RCPtr<IRootWindow>& rootWindow);
    // Made on first use.
    RCPtr<LMenuItemUpdater> GetMenuItemUpdater();
    // Asked by a menu before it shows item index of menu (notification name nid) to bring info
    // (enabled, checked, label) up to date. 1 here: not handled, info unchanged.
    virtual ORVRESULT UpdateMenuItem(const RCPtr<LMenuDescriptor>& menu, int index,
                                     const WString& nid, MenuItemInfo& info);
    // Whether the control takes the keys a menu bar hands back; false here.
    virtual bool IsKeyTarget() const { return false; }
    // The control itself when it is a key target, else its parent's answer; null at the top.
    virtual RCPtr<LControl> GetKeyTarget();
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
    // The tree got its root window: idle requests made before are subscribed there (a failed
    // subscription drops them), then each child is told, the last first.
    virtual ORVRESULT ProcessRootWindowAquired();
    // After child left the list from position (the child is still referenced for the call).
    virtual void OnChildRemoved(const RCPtr<LControl>& child, int position);
    // Weight 1 for the look at index, 0 for every other; the control is invalidated when a
    // weight changed. E_INVALIDARG (nothing changed) for an index without a look.
    virtual ORVRESULT SetActiveLook(int index);
    // Sets the weight of the look at index (with exclusive, every other look's weight to 0); the
    // control is invalidated when a weight changed, and when another look became the active one
    // the client rectangle is that look's (CalcClientRect, CheckClientExtent). E_INVALIDARG,
    // nothing changed, for an index without a look or a weight outside 0..1.
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
    // Applies the descriptor's create parameters: "INITIAL_VALUE" (SetValue with the text read
    // as a C double), "NOT_FOCUSABLE" (SetNotFocusable; when it is missing, or the descriptor
    // has no create parameters, not focusable exactly when the layout's tab stop is negative),
    // "USE_PARENT_TOOLTIP" and "WANTS_TAB". A flag is set when its text, lower-cased and
    // trimmed, is "true". The entries "CONTEXT_MENU.<key>" (create parameters, else the string
    // table's) become the context menu. S_OK.
    virtual ORVRESULT ReadCreateParams();
    // SetParent(this) on child and, when that succeeds, child's ApplyDescriptor(descriptor).
    // E_INVALIDARG when either is null; else the failure of SetParent or ApplyDescriptor's
    // result.
    virtual ORVRESULT AddChildControl(const RCPtr<LControl>& child,
                                      const RCPtr<LControlDescriptor>& descriptor);
    // The last step of creation; nothing in the base.
    virtual void OnCreated();
    // A copy of the tool-tip text; with use-parent-tool-tip set, the parent's tool-tip text
    // (ControlToolTip.cpp).
    virtual WString GetToolTipText() const;
    // Shows (arms) or hides the control's tool tip: the child "toolTip", made from the skin's
    // "toolTip" descriptor when the control has none (a tool tip may leave its parent when it
    // hides) and used again while it stays. S_OK; also when there is no text to show or no tool
    // tip to hide. E_FAIL when the skin has no "toolTip" descriptor or it makes no tool tip.
    virtual ORVRESULT ShowToolTip(bool show);
    // Whether the text is wider than the text area of the active look at the control's width
    // (controls that show their cut-off text as their tool tip ask it). False without an active
    // look; without a text part in it, whether there is any text.
    bool MeasureTextWidth() const;

    // --- Context menu (ControlContextMenu.cpp) ---

    // The entries whose names begin with prefix, sorted by name, with the prefix cut: the
    // create parameters, or, when none of them begins with prefix, the string table's entries.
    LMenuDescriptor::StringPairs GetCreateParamsWithPrefix(const WString& prefix) const;
    // Reads the menu of the entries "CONTEXT_MENU<index>.<key>" (for a negative index
    // "CONTEXT_MENU.<key>", the control's own context menu) into menu. S_OK; S_FALSE and null
    // when there are no such entries; E_OUTOFMEMORY when no menu could be made.
    ORVRESULT ReadContextMenuParams(int index, RCPtr<LMenuDescriptor>& menu) const;
    // The control's context menu; null when it has none.
    virtual const RCPtr<LMenuDescriptor>& GetContextMenu() const { return mContextMenu; }
    // Replaces the context menu (null: none); the commands of the old menu's items are
    // unsubscribed, those of the new one's subscribed. S_OK.
    ORVRESULT SetContextMenu(const RCPtr<LMenuDescriptor>& menu);
    // (Un)subscribes OnMenuCommand to the notifications of menu's items (sub-menus included) that
    // the window's or the application's hot keys bind, for notifications handed to the control
    // itself. Without a root window nothing is bound yet: the control subscribes again when its
    // tree gets one, and the window has the tree subscribe again once it binds its hot keys.
    // E_INVALIDARG for null; else S_OK.
    ORVRESULT SubscribeMenuCommands(const RCPtr<LMenuDescriptor>& menu, bool subscribe);
    // A chosen item whose notification is a hot key's: the notification goes where the hot key's
    // goes, the window's queue when the window binds it, else the application's queue. Always 1.
    ORVRESULT OnMenuCommand(const RCPtr<LNotificationDistributor>& source,
                            const RCPtr<LNotification>& notification);
    // Opens a popup menu for menu at the pointer: the child "contextMenu" made from the skin's
    // "contextMenu" descriptor (or the one still open), given the menu, offered to
    // OnContextMenuOpening, placed and shown. S_OK; E_INVALIDARG for null; E_FAIL when the skin
    // has no "contextMenu" descriptor or it makes no popup menu.
    ORVRESULT ShowContextMenu(const RCPtr<LMenuDescriptor>& menu);
    // Lets a class adjust its context menu's popup before it opens; nothing in the base.
    virtual void OnContextMenuOpening(const RCPtr<LControl>& popup);

    // --- Text ---

    // The text: stored, handed to every look's text part, the control laid out again when
    // relayout is set and an axis sizes by its text, the area invalidated. True when it changed.
    bool ApplyText(const WString& text, bool relayout);
    // ApplyText(text, true): S_OK when the text changed, S_FALSE when not.
    virtual ORVRESULT SetText(const WString& text);

    // --- Value range scales (ControlValue.cpp) ---

    // The scales of a value range.
    static constexpr int kLinearScale = 0;
    static constexpr int kLogarithmicScale = 1;
    double GetMinimum() const { return mMinimum; }
    double GetMaximum() const { return mMaximum; }
    int GetScale() const { return mScale; }
    // The tool tip is the parent's (create parameter "USE_PARENT_TOOLTIP"); a container also sets
    // it on the parts it makes its own.
    bool UsesParentToolTip() const { return mUseParentToolTip; }
    void SetUseParentToolTip(bool use) { mUseParentToolTip = use; }
    // An index a container gives the control (0 after construction). E_INVALIDARG, nothing
    // stored, for a negative one; else S_OK.
    ORVRESULT SetIndex(int index)
    {
        if (index < 0)
        {
            return E_INVALIDARG;
        }
        mIndex = index;
        return S_OK;
    }
    int GetIndex() const { return mIndex; }

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
    // With scrolling enabled: brings the area still to be drawn that meets the current clip up
    // to date on the scrolled surface (made, or moved by the offset applied since, first).
    // False when there is no surface to draw from (the children are then drawn directly).
    bool UpdateScrolledSurface(const ConstRCPtr<LRenderer>& renderer, ControlList& deferred);
    // Copies the surface's pixels for each rectangle of region inside the client rectangle.
    void DrawScrolledSurface(const ConstRCPtr<LRenderer>& renderer, const LRegion& region,
                             const RectT<double>& client);
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
    // The focused control's key (ControlKeys.cpp): offered to the control's own key bindings,
    // then to HandleUnusedKey; a key left over travels to the siblings and the window's key
    // bindings, a Tab moves the focus. S_OK when something took it, S_FALSE when not.
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
    // While set, a left press takes an idle request, given back when the capture ends.
    void SetSubscribeIdleOnPress(bool subscribe) { mSubscribeIdleOnPress = subscribe; }
    bool GetSubscribeIdleOnPress() const { return mSubscribeIdleOnPress; }
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

    // --- Keys and tab order (ControlKeys.cpp) ---

    // A key bound to the control and the notification it makes.
    struct KeyBinding
    {
        KeyCode key;
        const wchar_t* name;
    };
    // Binds key to the notification name. E_INVALIDARG when the key is bound already (by the
    // matching rule of KeyCode::Matches), is no key, or the name is empty; else S_OK.
    ORVRESULT AddKeyBinding(const KeyCode& key, const WString& name);
    // Binds the keys of table's entries whose IDs begin with prefix and a dot: the notification
    // is the ID after its last dot, the key the parsed text. E_INVALIDARG for a null table.
    ORVRESULT LoadKeyBindings(const RCPtr<LStringTable>& table, const WString& prefix);
    bool IsKeyBound(const KeyCode& key) const;
    // The notification bound to key; empty when none is.
    WString GetKeyBindingNotification(const KeyCode& key) const;
    // A copy of the bound keys.
    Array<KeyCode> GetKeyBindings() const;
    // Offers the key to the control's "NID_SIBLING_KEY" subscribers (its children with key
    // bindings) in tab order, the last first, skipping the control it comes from. S_OK when one
    // took it, S_FALSE when none did.
    virtual ORVRESULT OnSiblingKey(const RCPtr<LKeyParam>& param);
    // The handler with which a child with key bindings follows its parent's "NID_SIBLING_KEY":
    // a bound key is taken and turned into its notification. Always S_FALSE.
    ORVRESULT OnSiblingKeyBinding(const RCPtr<LNotificationDistributor>& source,
                                  const RCPtr<LNotification>& notification);
    // OnSiblingKey; for a key nobody took, the key bindings of the window and the application.
    virtual ORVRESULT RouteSiblingKey(const RCPtr<LKeyParam>& param);
    // Moves the focus among the children for a Tab (Shift: backward; Ctrl: leave this
    // container), escalating to the parent, or at the top to the root window, past the end.
    virtual ORVRESULT MoveFocusByTab(const RCPtr<LKeyParam>& param);
    // Writes receivers into out: those that are not children of the control first, in their
    // given order, then the children in ascending tab order (equal positions keep their given
    // order). OnSiblingKey offers the key from the last to the first, so the children come
    // first, the last in tab order before the others.
    virtual void
    OrderSiblingKeyReceivers(const RCPtr<LKeyParam>& param,
                             const std::vector<RCPtr<LNotificationReceiver>>& receivers,
                             std::vector<RCPtr<LNotificationReceiver>>& out);
    bool WantsTab() const { return mWantsTab; }

    // --- Dragging, idle work and axis animations (ControlDrag.cpp, ControlIdle.cpp) ---

    // Asks for "NID_IDLE" at the tree's root window; the first request subscribes. A tree
    // without a window keeps the request until it gets one (ProcessRootWindowAquired). A failed
    // subscription leaves no request (E_FAIL).
    ORVRESULT SubscribeIdle();
    // Gives one request back; the last one unsubscribes. S_FALSE when the control held none.
    ORVRESULT UnsubscribeIdle();
    LONG GetIdleRequestCount() const { return mIdleRequests; }
    // Starts (or, when it runs, retargets) the animation of an axis (0 x, 1 y): the content
    // offset moves by speed pixels a second within [lowEnd, highEnd]. E_INVALIDARG for another
    // axis or a speed that is not a number.
    ORVRESULT StartAxisAnimation(int axis, double speed, double highEnd, double lowEnd,
                                 const RCPtr<LControl>& target);
    // S_OK when the axis ran (its idle request is given back), S_FALSE when not.
    ORVRESULT StopAxisAnimation(int axis);
    bool IsAxisAnimating(int axis) const { return axis >= 0 && axis < 2 && mAxes[axis].running; }
    bool IsAxisThrown(int axis) const { return axis >= 0 && axis < 2 && mAxes[axis].thrown; }
    double GetAxisSpeed(int axis) const { return axis >= 0 && axis < 2 ? mAxes[axis].speed : 0; }
    // The drag velocity in pixels a second, kept while dragging.
    PointT<double> GetDragVelocity() const { return mDragVelocity; }
    // The idle pass: the axis animations (unless suspended), the class's own timers
    // (OnIdleTick), then the pending removals.
    ORVRESULT OnIdle(const RCPtr<LNotificationDistributor>& source,
                     const RCPtr<LNotification>& notification);
    // The timers of a control class, run by OnIdle in every idle pass while the control holds an
    // idle request; the base has none.
    virtual void OnIdleTick();
    void SetSuspendIdleWork(bool suspend) { mSuspendIdleWork = suspend; }
    // Records the drag origin anew from the press point moved by the drag's correction.
    virtual void RebaseDrag();
    // The drag modes (SetDragMode): what a left drag does to the control. The argument's bits
    // 0x1 and 0x2 choose the axes (none: both); kDragResizeEdges reads the edges from the bits
    // kEdgeLeft, kEdgeTop, kEdgeRight and kEdgeBottom.
    static constexpr int kDragNone = 0;
    static constexpr int kDragMove = 1;
    static constexpr int kDragResizeFar = 2;
    static constexpr int kDragResizeNear = 3;
    static constexpr int kDragResizeEdges = 4;
    static constexpr int kDragScroll = 5;
    static constexpr int kDragThrow = 6;
    static constexpr DWORD kDragAxisX = 0x1;
    static constexpr DWORD kDragAxisY = 0x2;
    static constexpr DWORD kEdgeLeft = 0x4;
    static constexpr DWORD kEdgeTop = 0x8;
    static constexpr DWORD kEdgeRight = 0x10;
    static constexpr DWORD kEdgeBottom = 0x20;
    // The bounds of a throw: its width is the x bound, its height the y bound. The base gives
    // the children's extent beyond the client area (0 where they fit).
    virtual RectT<double> GetThrowBounds(const LControl* control) const;
    // Hides child and queues it; the next idle pass detaches it. E_INVALIDARG for a control
    // that is not a child.
    ORVRESULT RemoveChildControl(const RCPtr<LControl>& child);
    // Detaches every queued child; the idle request of the queue is given back.
    void ProcessPendingRemovals();
    unsigned int GetPendingRemovalCount() const
    {
        return static_cast<unsigned int>(mPendingRemovals.size());
    }
    // Hides the control, switches its clipping to the parent on, ends its capture, gives back
    // every idle request and leaves the parent (a top-level control: its root window).
    virtual void Detach();

    // --- Scrolling (ControlScroll.cpp) ---

    // Applies a content offset, rounded to whole pixels: docked children follow, the control
    // redraws, "NID_SCROLL_OFFSET_CHANGE" goes out, the hover is found anew. S_FALSE when the
    // offset is the current one.
    virtual ORVRESULT NotifyScrollOffsetChange(const PointT<double>& offset);
    // With scrolling enabled: the pixels drawn for the old offset are kept for the new one (the
    // scrolled surface moves them when it is next drawn), and only the area the new offset
    // exposes is added to the area to be drawn.
    virtual void SetScrollOffset(const PointT<double>& oldOffset, const PointT<double>& newOffset);
    // (0, 0, client width, client height), clamped; the control's size without an active look.
    virtual RectT<double> GetClientExtent() const;
    // (content offset, client size), in whole pixels.
    RectT<double> GetVisibleContentRect() const;
    // Adds rect (content coordinates) to the area to be drawn when it meets the visible area;
    // with alsoInvalidate the control is invalidated there too.
    void InvalidateScrolledRect(const RectT<double>& rect, bool alsoInvalidate);
    // A child reports rect (content coordinates) as changed.
    virtual void InvalidateScrolledArea(const LControl* sender, const RectT<double>& rect);
    // Adopts the client geometry as the scrolled area: everything visible is to be drawn.
    void UpdateScrollExtent();
    // Switches the scrolled drawing on (the scrolled area is adopted) or off (the surface goes
    // and the control is redrawn whole).
    void SetScrollingEnabled(bool enabled);
    bool IsScrollingEnabled() const { return mScrollingEnabled; }
    // The part of the scrolled area still to be drawn (content coordinates).
    const LRegion& GetPendingInvalidRegion() const { return mPendingInvalid; }
    // Empties out, then moves into it every rectangle of the area still to be drawn that meets
    // rect (content coordinates); both regions are normalised and out is moved by the negative
    // applied offset (to the scrolled surface's coordinates).
    void TakePendingInvalidArea(const RectT<double>& rect, LRegion& out);
    // The area the last Draw brought up to date on the scrolled surface (content coordinates);
    // empty when it drew nothing there.
    const LRegion& GetLastScrolledUpdate() const { return mLastScrolledUpdate; }
    const PointT<double>& GetAppliedScrollOffset() const { return mAppliedScrollOffset; }
    bool IsClientRectChanged() const { return mClientRectChanged; }

    // --- Values (ControlValue.cpp) ---

    // Stores the value clamped to 0..1 and sends "NID_VALUE_CHANGE" with the value and its
    // mapping onto the range when it changed. A value that is not a number is refused: nothing
    // changes. The stored value.
    virtual double SetValue(double value);
    double GetValue() const { return mValue; }
    // Scale 0 linear (any range) or 1 logarithmic (both bounds above 0). E_INVALIDARG, nothing
    // changed, for another scale, a logarithmic range with a bound of 0 or less, or a bound that
    // is not a number.
    virtual ORVRESULT SetValueRange(double minimum, double maximum, int scale);
    // The value mapped onto the range.
    double GetMappedValue() const;
    // Called when the value changed, before the notification; nothing in the base.
    virtual void OnValueChangeHook();
    // Renames child; later siblings that refer to the old name in their layout follow. S_FALSE
    // when it has the name already, E_FAIL when a sibling bears it, E_INVALIDARG when it is no
    // child.
    ORVRESULT SetChildControlName(const RCPtr<LControl>& child, const WString& name);

    // --- Look regions and images (ControlLookSetters.cpp) ---

    // Replaces the region of the look at index by a copy of region and invalidates the control.
    // E_INVALIDARG when there is no such look.
    ORVRESULT SetLookRegion(int index, const LRegion& region);
    // The region of the look at index becomes the control's rectangle less the region of the
    // look at otherIndex. E_INVALIDARG unless both looks exist.
    ORVRESULT SetLookRegionSize(int index, int otherIndex);
    // Empty the region of a look, or of every look; nothing is invalidated.
    void ClearLookRegion(int index);
    void ClearLookRegions();
    // Gives the look at lookIndex (outside the looks: the active look, else the first) an image
    // drawn in place of its client part (override) or over it; null removes the image. S_OK when
    // the look changed, S_FALSE when there was nothing to change, E_FAIL without a look.
    ORVRESULT SetLookImage(const ConstRCPtr<LBitmap>& bitmap, int resizeType, int lookIndex,
                           bool override);
    // Replaces the part the text of the look at index is drawn in. E_FAIL without such a look,
    // E_INVALIDARG for null; else S_OK (also when it is that part already).
    ORVRESULT SetLookMember(const RCPtr<LVisualPart>& part, int index);
    // Writes the minimum and maximum of an axis and lays the control out. S_OK when the layout
    // holds exactly them afterwards, S_FALSE otherwise; another axis stores nothing (S_FALSE).
    ORVRESULT SetAxisSizeLimits(int axis, const LayoutSpec& minimum, const LayoutSpec& maximum);

protected:
    // The flag that the create parameter "WANTS_TAB" sets.
    void SetWantsTab(bool wantsTab) { mWantsTab = wantsTab; }
    // The factor the renderer's alpha is multiplied by while the control draws (1 after
    // construction); clamped to 0..1.
    void SetOpacity(float opacity);

private:
    // Subscribes OnIdle at the tree's root window. E_FAIL without a window, its idle
    // distributor or the handler.
    ORVRESULT SubscribeIdleAtWindow();
    // SetParent's second half: parent's pending removals are worked off, then the control joins
    // its list. S_OK for null, else the list's Add.
    ORVRESULT JoinParent(const RCPtr<LControl>& parent);
    // Whether child is drawn on this control's scrolled surface: it clips to this control and
    // is not docked on both axes.
    static bool IsOnScrolledSurface(const LControl* child);
    // The position in the z order after the children that clip to this control and are docked
    // on at most docked axes.
    unsigned int ClippedGroupEnd(int docked) const;
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
    // Starts the axis animations of a throw on the axes of the drag argument that move fast
    // enough (ControlDrag.cpp).
    void StartThrow();
    // The drag's pointer in the parent's coordinates less the press point.
    PointT<double> DragDelta(const PointT<LONG>& point) const;
    // Places and sizes the control by a drag of the given edges (ControlDrag.cpp).
    void ResizeByDrag(DWORD edges, const PointT<double>& delta);

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
    RCPtr<LMenuDescriptor> mContextMenu;
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
    bool mSubscribeIdleOnPress = false;
    // The left press holds an idle request until the capture ends.
    bool mPressHoldsIdle = false;
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
    // Keys.
    bool mWantsTab = false;
    bool mUseParentToolTip = false;
    int mIndex = 0;
    std::vector<KeyBinding> mKeyBindings;

    // Idle work, axis animations and pending removals.
    struct AxisAnimation
    {
        bool running = false;
        bool thrown = false;
        double speed = 0;
        double highEnd = 0;
        double lowEnd = 0;
        double lastStep = 0;
        // The part of a pixel not yet applied, and of a deceleration step not yet taken.
        double remainder = 0;
        double slowdown = 0;
        RCPtr<LControl> target;
    };
    LONG mIdleRequests = 0;
    AxisAnimation mAxes[2];
    double mThrowDeceleration = 1000.0;
    bool mSuspendIdleWork = false;
    std::vector<RCPtr<LControl>> mPendingRemovals;
    // The drag origin: size, the parent's content offset, the layout position values.
    SizeT<double> mDragOriginSize;
    PointT<double> mDragOriginOffset;
    PointT<double> mDragOriginPosition;
    // The control's own content offset at the drag start (the scrolling modes).
    PointT<double> mDragOriginContent;
    bool mDragUnclipped = false;

    // Scrolling.
    bool mScrollingEnabled = false;
    bool mScrollNotifying = false;
    bool mDockedChildMoving = false;
    PointT<double> mAppliedScrollOffset;
    PointT<double> mPreviousAppliedScrollOffset;
    RectT<double> mScrollLimits;
    LRegion mVisibleRegion;
    LRegion mPendingInvalid;
    // The scrolled surface: the children drawn for the visible area, kept between draws. The
    // renderer it was made by (for identity only), the offset its pixels were drawn for, and
    // whether this Draw may copy from it.
    ConstRCPtr<LRenderContextInfo> mScrollSurface;
    const LRenderer* mScrollSurfaceRenderer = nullptr;
    SizeT<LONG> mScrollSurfaceSize;
    PointT<double> mSurfaceOffset;
    bool mSurfaceReady = false;
    LRegion mLastScrolledUpdate;

    // Value.
    double mValue = 0;
    double mMinimum = 0;
    double mMaximum = 1;
    int mScale = kLinearScale;
};
} // namespace Orv
