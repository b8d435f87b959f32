// The scroll bar ("Framework.ScrollBar"): a horizontal or vertical bar made of skin children,
// the buttons "dec" and "inc" and the panel "channel" ("Framework.ScrollChannel") that holds
// the button "thumb". Its value is the scroll position as a fraction in [0, 1]; its owner (as
// a rule a scroll view) listens to "NID_VALUE_CHANGE" and sets the range, the page fraction
// and the steps from its content.
//
// The bar moves its value by the arrow buttons (a line step per repeat), by a press in the
// channel (a page step at once, again after 0.4 s and then every 0.2 s, until the thumb reaches
// the pointer), by dragging the thumb, and by the keys its parent offers its children. A missing
// child switches off what needs it, without an error.
//
// UI thread only.
#pragma once

#include "ControlBase/Control.h"
#include "Controls/Button.h"

namespace Orv
{
class LScrollbar : public LControl
{
public:
    // The keys the bar takes (SetKeyMask).
    enum KeyMaskBit : unsigned
    {
        kKeyUp = 0x01,
        kKeyDown = 0x02,
        kKeyLeft = 0x04,
        kKeyRight = 0x08,
        kKeyPageUp = 0x10,
        kKeyPageDown = 0x20,
        kKeyHome = 0x40,
        kKeyEnd = 0x80,
        kAllKeys = 0xff,
    };

    // Where a press in the channel pages (GetPagingSide).
    enum PagingSide
    {
        kNotPaging = 0,
        // Toward "dec": the part of the track before the thumb.
        kPagingDec = 1,
        // Toward "inc": the part after the thumb.
        kPagingInc = 2,
    };

    // The defaults.
    static constexpr double kDefaultLineStep = 0.02;
    static constexpr double kDefaultPageStep = 0.2;
    static constexpr double kDefaultPageFraction = 0.1;
    static constexpr double kDefaultMinimumThumbLength = 10.0;
    static constexpr double kFirstPageDelay = 0.4;
    static constexpr double kPageInterval = 0.2;

    LScrollbar(const RCPtr<LControl>& parent, const RCPtr<LControlDescriptor>& descriptor);
    LScrollbar(const RCPtr<LControl>& parent, const WString& name);
    ~LScrollbar() override;

    // The bar's handler table first, then the control's; a table is consulted only once the
    // control is created.
    ORVRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                  const RCPtr<LNotification>& notification) override;
    ORVRESULT Unregister(const RCPtr<LNotificationDistributor>& source,
                         const wchar_t* name) override;

    // While the thumb is dragged the value is kept as pending (applied when the drag ends) and
    // the current value is returned. Otherwise the value is clamped to [0, 1] and stored (with
    // "NID_VALUE_CHANGE" when it changed), the thumb is placed, and the value is returned.
    double SetValue(double value) override;
    // Scale 0 (linear), or 1 (logarithmic) with both bounds above 0: stored, S_OK; anything else
    // E_INVALIDARG with the old range kept. Either way the value is taken through the range so
    // that its position in range units stays, and the thumb is placed.
    ORVRESULT SetValueRange(double minimum, double maximum, int scale) override;
    // Computes the track from the channel and the thumb's length and position.
    void CheckClientExtent() override;
    // Pages while a press in the channel is held.
    void OnIdleTick() override;
    // Finds the children, subscribes their notifications, gives "dec" and "inc" auto repeat,
    // finds the orientation, computes track and thumb, takes every key (SetKeyMask(0xff)).
    // E_FAIL when the control's Initialize fails.
    ORVRESULT Initialize() override;
    // The bar and its parts are not focusable; the minimum thumb length becomes the thumb's
    // thickness; track and thumb are computed again.
    void OnCreated() override;

    // Stores the low 8 bits of mask; E_INVALIDARG (the low bits still stored) for bits above
    // 0xff, else S_OK. The first non-zero mask subscribes the keys the parent offers.
    ORVRESULT SetKeyMask(unsigned mask);
    unsigned GetKeyMask() const { return mKeyMask; }

    // A normalized position in range units, and back (clamped to [0, 1]).
    double NormalizedToValue(double normalized) const;
    double ValueToNormalized(double value) const;

    // The owner's settings. The page fraction (the thumb's length as a fraction of the track)
    // is followed by RecalcThumb; the steps are in value units.
    void SetPageFraction(double fraction);
    double GetPageFraction() const { return mPageFraction; }
    void SetPageStep(double step) { mPageStep = step; }
    double GetPageStep() const { return mPageStep; }
    void SetLineStep(double step) { mLineStep = step; }
    double GetLineStep() const { return mLineStep; }
    // Sizes the thumb from the page fraction and places it.
    void RecalcThumb();

    // Whether a value set while dragging lands when the drag ends (on by default).
    void SetApplyPendingValue(bool apply) { mApplyPendingValue = apply; }
    // The value set while dragging; -1 when none waits.
    double GetPendingValue() const { return mPendingValue; }

    bool IsVertical() const { return mVertical; }
    bool IsDragging() const { return mDragging; }
    int GetPagingSide() const { return mPagingSide; }
    const RCPtr<LButton>& GetThumb() const { return mThumb; }
    // The channel ("channel"), null when the skin has none.
    const RCPtr<LControl>& GetChannel() const { return mChannel; }
    double GetThumbLength() const { return mThumbLength; }
    double GetMinimumThumbLength() const { return mMinimumThumbLength; }
    double GetTrackStart() const { return mTrackStart; }
    double GetTrackEnd() const { return mTrackEnd; }

private:
    ORVRESULT OnArrowRepeat(const RCPtr<LNotificationDistributor>& source,
                            const RCPtr<LNotification>& notification);
    ORVRESULT OnChannelButton(const RCPtr<LNotificationDistributor>& source,
                              const RCPtr<LNotification>& notification);
    ORVRESULT OnChannelHover(const RCPtr<LNotificationDistributor>& source,
                             const RCPtr<LNotification>& notification);
    ORVRESULT OnThumbMove(const RCPtr<LNotificationDistributor>& source,
                          const RCPtr<LNotification>& notification);
    ORVRESULT OnThumbDrag(const RCPtr<LNotificationDistributor>& source,
                          const RCPtr<LNotification>& notification);
    ORVRESULT OnSiblingKeyNotification(const RCPtr<LNotificationDistributor>& source,
                                       const RCPtr<LNotification>& notification);

    // The application's clock in seconds (0 without a root window).
    double Now() const;
    // The control's SetValue, then the thumb placed.
    double StoreValue(double value);
    // Places the thumb from the value (not while dragging).
    void PlaceThumb();
    // The value from the thumb's position.
    void ValueFromThumb();
    // The thumb's position along the axis (in the channel's client space).
    double ThumbPosition() const;
    // Makes position the thumb's fixed position along the axis.
    void MoveThumbTo(double position);
    // The paging side of a point of the channel's client space along the axis.
    int SideOf(double along) const;
    // The mouse's paging side over the channel now; 0 when it is not over the channel.
    int MouseSide() const;
    // Marks the paged part of the channel, or clears the mark.
    void UpdateHighlight();
    void ClearHighlight();
    // One page toward the paging side.
    void PageOnce();

    RCPtr<LNotificationHandler<LScrollbar>> mScrollbarHandler;
    bool mVertical = true;
    RCPtr<LButton> mThumb;
    RCPtr<LControl> mChannel;
    RCPtr<LButton> mDec;
    RCPtr<LButton> mInc;
    double mLineStep = kDefaultLineStep;
    double mPageStep = kDefaultPageStep;
    double mPageFraction = kDefaultPageFraction;
    double mMinimumThumbLength = kDefaultMinimumThumbLength;
    double mThumbLength = 0;
    double mTrackStart = 0;
    double mTrackEnd = 0;
    double mTrackOrigin = 0;
    bool mDragging = false;
    PointT<LONG> mGrabPoint;
    int mPagingSide = kNotPaging;
    bool mHoldsIdle = false;
    double mFirstPageDelay = kFirstPageDelay;
    double mPageInterval = kPageInterval;
    double mLastPageTick = 0;
    double mTimeToNextPage = 0;
    double mPendingValue = -1.0;
    bool mApplyPendingValue = true;
    unsigned mKeyMask = 0;
    bool mSiblingKeysSubscribed = false;
};
} // namespace Orv
