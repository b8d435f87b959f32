// The centred slider ("Framework.CenteredSlider"): a slider whose skin adds two range panels,
// "lowRangeBounds" and "highRangeBounds" ("Framework.CenteredSliderBounds" panels), each with an
// optional child "fill". The slider keeps both panels' position on its axis at the thumb's
// centre, so that a skin can draw a bar from a fixed centre mark to the thumb; how far each panel
// reaches and which side it covers is the skin's layout. The panels and their fills let the
// mouse through to the thumb under them.
//
// Everything else is the slider's. A centred slider without a thumb (no "thumbStart") works as a
// slider and leaves its panels where the skin put them.
//
// UI thread only.
#pragma once

#include "Controls/Slider.h"

namespace Orv
{
class LCenteredSlider : public LSlider
{
public:
    LCenteredSlider(const RCPtr<LControl>& parent, const RCPtr<LControlDescriptor>& descriptor);
    LCenteredSlider(const RCPtr<LControl>& parent, const WString& name);
    ~LCenteredSlider() override;

    // The centred slider's handler table first, then the slider's chain.
    ORVRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                  const RCPtr<LNotification>& notification) override;
    ORVRESULT Unregister(const RCPtr<LNotificationDistributor>& source,
                         const wchar_t* name) override;

    // Moves the range panels to the thumb's centre on the track's axis: x on a horizontal
    // track, y on a vertical one, neither on a slanted one. Nothing without a thumb.
    virtual void SetBoundsPosFromThumbPos();

    // The slider's, then the panels follow the thumb.
    double ApplyValue(double t) override;
    // The slider's (a failure gives E_FAIL); the panels found and made transparent to the mouse,
    // the thumb's moves followed, the panels placed. S_OK.
    ORVRESULT Initialize() override;

    const RCPtr<LControl>& GetLowRangeBounds() const { return mLowRange; }
    const RCPtr<LControl>& GetHighRangeBounds() const { return mHighRange; }

private:
    // The thumb moved: the panels follow; the slider's drag tracking runs after (0).
    ORVRESULT OnThumbMouseMove(const RCPtr<LNotificationDistributor>& source,
                               const RCPtr<LNotification>& notification);

    RCPtr<LNotificationHandler<LCenteredSlider>> mCenteredHandler;
    RCPtr<LControl> mLowRange;
    RCPtr<LControl> mHighRange;
};
} // namespace Orv
