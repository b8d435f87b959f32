#include "ControlBase/ControlDescriptor.h"

namespace Orv
{
LControlDescriptor::LControlDescriptor(const WString& className, const WString& name,
                                       LControlDescriptor* parent)
    : mClassName(className)
    , mName(name)
    , mParent(parent)
{
}

RCPtr<LControlDescriptor>& LControlDescriptor::Clone(RCPtr<LControlDescriptor>& out,
                                                     const WString& newName) const
{
    RCPtr<LControlDescriptor> copy(new LControlDescriptor(mClassName, mName, mParent));
    if (!newName.IsEmpty())
    {
        copy->mName = newName;
    }
    for (unsigned int i = 0; i < mChildren.GetCount(); ++i)
    {
        copy->mChildren.AddItem(mChildren.GetConstElementPointer(i));
    }
    copy->mSkin = mSkin;
    copy->mLayout = mLayout;
    copy->mCreateParams = mCreateParams;
    copy->mCreateFunction = mCreateFunction;
    out = copy;
    return out;
}

bool LControlDescriptor::GetCreateParamFlag(const wchar_t* name) const
{
    WString value;
    return mCreateParams && mCreateParams->Lookup(name, value) && value.ToLower().Trim() == L"true";
}
} // namespace Orv
