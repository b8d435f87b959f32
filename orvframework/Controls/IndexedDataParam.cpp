#include "Controls/IndexedDataParam.h"

namespace Orv
{
LIndexedDataParam::LIndexedDataParam(const RCPtr<LRefCountedObject>& data, int index)
    : data(data)
    , index(index)
{
}

WString LIndexedDataParam::ToString() const
{
    WString text = WString::CreateFormatted(L"LIndexedDataParam: Index = %d, Data = ", index);
    if (data)
    {
        text.Append(data->ToString());
    }
    return text;
}

LIndexedDataWithValueParam::LIndexedDataWithValueParam(const RCPtr<LRefCountedObject>& data,
                                                       int index, double value)
    : LIndexedDataParam(data, index)
    , value(value)
{
}

RCPtr<LIndexedDataWithValueParam>
LIndexedDataWithValueParam::Create(const RCPtr<LRefCountedObject>& data, int index, double value)
{
    return RCPtr<LIndexedDataWithValueParam>(new LIndexedDataWithValueParam(data, index, value));
}

WString LIndexedDataWithValueParam::ToString() const
{
    WString text = LIndexedDataParam::ToString();
    text.Append(WString(L" Value = "));
    text.Append(WString::FromDouble(value));
    return text;
}
} // namespace Orv
