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
// Controls live on the UI thread.
#pragma once

#include "ControlBase/ControlDescriptor.h"
#include "ControlBase/Look.h"
#include "ControlBase/MenuItemUpdater.h"
#include "ControlBase/RootWindowInterface.h"
#include "ObjectBase/TaggableObject.h"
#include "Utilities/Storage/Array.h"
#include "Utilities/Storage/ArrayBuffer.h"
#include "notification/NotificationCenter.h"
#include "notification/NotificationClient.h"
#include "notification/NotificationDistributor.h"
#include "notification/NotificationHandler.h"

namespace Orv
{
class LControl : public LNotificationClient, public LNotificationDistributor, public LTaggableObject
{
public:
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
    // Lays the control out from its layout descriptor. E_FAIL without a layout descriptor;
    // E_NOTIMPL otherwise: the layout passes are not part of this control model yet, and the
    // rectangle stays as it is.
    ORVRESULT RecalcLayout();

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
    // Weight 1 for the look at index, 0 for every other. E_INVALIDARG (nothing changed) for an
    // index without a look.
    virtual ORVRESULT SetActiveLook(int index);
    // Appends a look with weight 0. E_INVALIDARG for null.
    virtual ORVRESULT AddLook(const RCPtr<LLook>& look);
    // Makes a control that is being created match descriptor: the descriptor, a copy of its
    // layout, the looks of its look list (look 0 active), the "LABEL" text of the string table,
    // the unclipped counts of the ancestors; the children are taken out. E_INVALIDARG for
    // null; E_NOTIMPL for a control that is already created (applying a new skin to a live
    // control is not part of this control model yet).
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

private:
    // Adds delta to the unclipped counts of control and each of its ancestors.
    static void AddUnclipped(LControl* control, LONG delta);
    // This control's own share of an ancestor's unclipped count: its own unclipped
    // descendants, and itself when it does not clip to its parent.
    LONG UnclippedShare() const;
    bool ClipsToParent() const { return !mLayout || mLayout->clipToParent; }

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
};
} // namespace Orv
