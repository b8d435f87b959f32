// One look of a skin: a client part, the non-client parts around it, and, when the look shows
// text, where the text goes and which part gives its colour.
#pragma once

#include "ControlBase/DockedPart.h"
#include "Utilities/Storage/RCPtrArray.h"

namespace Orv
{
// The text area of a look: each edge an absolute offset plus a factor of the look's extent;
// the alignments place the lines inside it (0 left or top, 1 right or bottom).
struct TextPlacement
{
    float leftRel = 0;
    LONG leftAbs = 0;
    float rightRel = 0;
    LONG rightAbs = 0;
    float horizontalAlignment = 0;
    float topRel = 0;
    LONG topAbs = 0;
    float bottomRel = 0;
    LONG bottomAbs = 0;
    float verticalAlignment = 0;
    RCPtr<LVisualPartDescriptor> foregroundPart;
};

class LLookDescriptor : public virtual LRefCountedObject
{
public:
    explicit LLookDescriptor(const WString& name)
        : mName(name)
    {
    }

    static RCPtr<LLookDescriptor> Create(const WString& name)
    {
        return RCPtr<LLookDescriptor>(new LLookDescriptor(name));
    }

    // The name.
    WString ToString() const override { return mName; }

    const WString& GetName() const { return mName; }
    // Null until a client part is given.
    const RCPtr<LDockedPart>& GetClientPart() const { return mClientPart; }
    void SetClientPart(const RCPtr<LDockedPart>& part) { mClientPart = part; }
    // In document order.
    const RCPtrArray<LDockedPart>& GetNonClientParts() const { return mNonClientParts; }
    RCPtrArray<LDockedPart>& GetNonClientParts() { return mNonClientParts; }
    // Whether the look shows text, and where.
    bool HasText() const { return mHasText; }
    const TextPlacement& GetTextPlacement() const { return mTextPlacement; }
    void SetTextPlacement(const TextPlacement& placement)
    {
        mTextPlacement = placement;
        mHasText = true;
    }

private:
    WString mName;
    RCPtr<LDockedPart> mClientPart;
    RCPtrArray<LDockedPart> mNonClientParts;
    bool mHasText = false;
    TextPlacement mTextPlacement;
};

// A skin's list of looks, by look index; one list may be shared by many controls. Entries may be
// null (an index the skin left empty).
using LLookList = LRCPtrArray<LLookDescriptor>;
} // namespace Orv
