// A visual part placed on a look: as the look's client part, or as one of the non-client parts
// docked to the look's edges by offsets.
#pragma once

#include "ControlBase/VisualPart.h"
#include "ControlBase/VisualPartDescriptor.h"

namespace Orv
{
// Where a docked part lies on its look. An edge takes part only when its bit is set (1 left,
// 2 top, 4 right, 8 bottom); right and bottom offsets count from the look's far edges. Width
// and height replace the part's own size when their flags are set.
struct DockingRecord
{
    static constexpr int kLeft = 1;
    static constexpr int kTop = 2;
    static constexpr int kRight = 4;
    static constexpr int kBottom = 8;
    static constexpr int kAllEdges = kLeft | kTop | kRight | kBottom;

    int offsetFlags = 0;
    LONG left = 0;
    LONG top = 0;
    LONG right = 0;
    LONG bottom = 0;
    LONG width = 0;
    LONG height = 0;
    bool hasWidth = false;
    bool hasHeight = false;
};

class LDockedPart : public virtual LRefCountedObject
{
public:
    LDockedPart(const RCPtr<LVisualPartDescriptor>& part, const DockingRecord& placement)
        : mPart(part)
        , mPlacement(placement)
    {
    }

    static RCPtr<LDockedPart> Create(const RCPtr<LVisualPartDescriptor>& part,
                                     const DockingRecord& placement)
    {
        return RCPtr<LDockedPart>(new LDockedPart(part, placement));
    }

    const RCPtr<LVisualPartDescriptor>& GetPart() const { return mPart; }
    const DockingRecord& GetPlacement() const { return mPlacement; }
    // The visual part of the part's descriptor; null without a descriptor.
    RCPtr<LVisualPart> GetVisualPart() const
    {
        return mPart != nullptr ? mPart->GetVisualPart() : RCPtr<LVisualPart>();
    }

private:
    RCPtr<LVisualPartDescriptor> mPart;
    DockingRecord mPlacement;
};
} // namespace Orv
