#include "ObjectBase/RefCountedObject.h"

#include "ObjectBase/RCPtr.h"
#include "ObjectBase/TypeName.h"
#include "Utilities/Storage/StringT.h"
#include "platform/Interlocked.h"

#include <typeinfo>

namespace Orv
{
namespace
{
LONG ReadAtomic(const LONG& value)
{
    return InterlockedExchangeAdd(const_cast<LONG*>(&value), 0);
}
} // namespace

WString LRefCountedObject::ToString() const
{
    WString text(L"LRefCountedObject::ToString() not overridden. Returning TypeName: ");
    return text + WString(GetReadableTypeName(typeid(*this)).c_str());
}

void LRefCountedObject::Undo()
{
    ORV_THROW(std::logic_error, "Orv::LRefCountedObject::Undo",
              "Undo() not implemented for RefCountedObject");
}

LONG LRefCountedObject::AddRef()
{
    return InterlockedIncrement(&mRefCount);
}

LONG LRefCountedObject::Release()
{
    const LONG count = ReadAtomic(mRefCount);
    const LONG internal = ReadAtomic(mInternalRefCount);
    if (count - internal == 1)
    {
        // Only one Release at a time runs the hook; the releases the hook makes come back here,
        // see the guard set and only decrement.
        if (InterlockedCompareExchange(&mReleaseGuard, 1, 0) == 0)
        {
            if (ReadAtomic(mInternalRefCount) > 0)
            {
                ReleaseInternalReferences();
            }
            if (ReadAtomic(mRefCount) != 1)
            {
                InterlockedCompareExchange(&mReleaseGuard, 0, 1);
            }
        }
    }
    const LONG remaining = InterlockedDecrement(&mRefCount);
    if (remaining == 0)
    {
        delete this;
    }
    return remaining;
}

ORVRESULT LRefCountedObject::ReleaseInternalReferences()
{
    return (ReadAtomic(mInternalRefCount) == 0 && ReadAtomic(mRefCount) == 1) ? S_OK : E_FAIL;
}

ConstRCPtr<LRefCountedObject, LRefCountedObject*> LRefCountedObject::CreateCopy() const
{
    ORV_THROW(std::logic_error, "Orv::LRefCountedObject::CreateCopy",
              "CreateCopy() not implemented for RefCountedObject");
}

void LRefCountedObject::SetUnshareable(bool unshareable)
{
    if (unshareable && ReadAtomic(mRefCount) > 1)
    {
        ORV_THROW(std::runtime_error, "Orv::LRefCountedObject::SetUnshareable");
    }
    mShareable = !unshareable;
}

LONG LRefCountedObject::GetRefCount() const
{
    return ReadAtomic(mRefCount);
}

LONG LRefCountedObject::GetInternalRefCount() const
{
    return ReadAtomic(mInternalRefCount);
}

LONG LRefCountedObject::AddInternalReference()
{
    return InterlockedIncrement(&mInternalRefCount);
}

LONG LRefCountedObject::ReleaseInternalReference()
{
    return InterlockedDecrement(&mInternalRefCount);
}
} // namespace Orv
