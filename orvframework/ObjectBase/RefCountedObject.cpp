#include "ObjectBase/RefCountedObject.h"

#include "ObjectBase/RCPtr.h"
#include "ObjectBase/TypeName.h"
#include "Utilities/Storage/StringT.h"

#include <typeinfo>

namespace Orv
{
WString LRefCountedObject::ToString() const
{
    WString text(L"LRefCountedObject::ToString() not overridden. Returning TypeName: ");
    return text + WString(GetReadableTypeName(typeid(*this)).c_str());
}

void LRefCountedObject::Undo()
{
    ORV_THROW(std::logic_error, "Undo() not implemented for RefCountedObject");
}

LONG LRefCountedObject::AddRef()
{
    return mRefCount.fetch_add(1) + 1;
}

LONG LRefCountedObject::Release()
{
    // The count is read and lowered in one step (a compare-exchange), so that of two references
    // released at once on different threads exactly one is seen as the last outside one.
    LONG count = mRefCount.load();
    for (;;)
    {
        const LONG internal = mInternalRefCount.load();
        if (internal > 0 && count - internal == 1)
        {
            return ReleaseLastOutside();
        }
        if (mRefCount.compare_exchange_weak(count, count - 1))
        {
            break;
        }
    }
    if (count == 1)
    {
        delete this;
    }
    return count - 1;
}

LONG LRefCountedObject::ReleaseLastOutside()
{
    // Only one Release at a time runs the hook; the releases the hook makes come back here,
    // see the guard set and only decrement.
    LONG expected = 0;
    if (mReleaseGuard.compare_exchange_strong(expected, 1))
    {
        if (mInternalRefCount.load() > 0)
        {
            ReleaseInternalReferences();
        }
        if (mRefCount.load() != 1)
        {
            expected = 1;
            mReleaseGuard.compare_exchange_strong(expected, 0);
        }
    }
    const LONG remaining = mRefCount.fetch_sub(1) - 1;
    if (remaining == 0)
    {
        delete this;
    }
    return remaining;
}

ORVRESULT LRefCountedObject::ReleaseInternalReferences()
{
    return (mInternalRefCount.load() == 0 && mRefCount.load() == 1) ? S_OK : E_FAIL;
}

ConstRCPtr<LRefCountedObject, LRefCountedObject*> LRefCountedObject::CreateCopy() const
{
    ORV_THROW(std::logic_error, "CreateCopy() not implemented for RefCountedObject");
}

void LRefCountedObject::SetUnshareable(bool unshareable)
{
    if (unshareable && mRefCount.load() > 1)
    {
        ORV_THROW(std::runtime_error);
    }
    mShareable = !unshareable;
}
} // namespace Orv
