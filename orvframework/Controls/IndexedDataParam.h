// The payloads of the check notifications of the checked lists ("NID_ITEM_CHECK_CHANGE",
// "NID_ITEM_CHECKBOX_CLICKED"): an item index with an optional object, and the same with a
// value (the check box's value at the time).
#pragma once

#include "ObjectBase/RCPtr.h"
#include "ObjectBase/RefCountedObject.h"
#include "Utilities/Storage/StringT.h"

namespace Orv
{
class LIndexedDataParam : public virtual LRefCountedObject
{
public:
    LIndexedDataParam(const RCPtr<LRefCountedObject>& data, int index);

    // "LIndexedDataParam: Index = <index>, Data = " followed by the data's own text (nothing
    // for null data).
    WString ToString() const override;

    // May be null.
    RCPtr<LRefCountedObject> data;
    int index;
};

class LIndexedDataWithValueParam : public LIndexedDataParam
{
public:
    LIndexedDataWithValueParam(const RCPtr<LRefCountedObject>& data, int index, double value);

    // A new parameter on the heap.
    static RCPtr<LIndexedDataWithValueParam> Create(const RCPtr<LRefCountedObject>& data, int index,
                                                    double value);

    // The base's text, then " Value = " and the value with six decimals.
    WString ToString() const override;

    double value;
};
} // namespace Orv
