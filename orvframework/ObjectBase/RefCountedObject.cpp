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
    return RefCountOf(mCounts.fetch_add(1)) + 1;
}

LONG LRefCountedObject::Release()
{
    // Both counts are read and the reference count lowered in one step (a compare-exchange), so
    // that of two references released at once on different threads exactly one is seen as the
    // last outside one, and never one while another outside reference is held.
    std::uint64_t counts = mCounts.load();
    LONG count = 0;
    for (;;)
    {
        count = RefCountOf(counts);
        const LONG internal = InternalCountOf(counts);
        if (internal > 0 && count - internal == 1)
        {
            return ReleaseLastOutside();
        }
        if (mCounts.compare_exchange_weak(counts, counts - 1))
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
        if (GetInternalRefCount() > 0)
        {
            ReleaseInternalReferences();
        }
        if (GetRefCount() != 1)
        {
            expected = 1;
            mReleaseGuard.compare_exchange_strong(expected, 0);
        }
    }
    const LONG remaining = RefCountOf(mCounts.fetch_sub(1)) - 1;
    if (remaining == 0)
    {
        delete this;
    }
    return remaining;
}

ORVRESULT LRefCountedObject::ReleaseInternalReferences()
{
    const std::uint64_t counts = mCounts.load();
    return (InternalCountOf(counts) == 0 && RefCountOf(counts) == 1) ? S_OK : E_FAIL;
}

ConstRCPtr<LRefCountedObject, LRefCountedObject*> LRefCountedObject::CreateCopy() const
{
    ORV_THROW(std::logic_error, "CreateCopy() not implemented for RefCountedObject");
}

void LRefCountedObject::SetUnshareable(bool unshareable)
{
    if (unshareable && GetRefCount() > 1)
    {
        ORV_THROW(std::runtime_error);
    }
    mShareable = !unshareable;
}
} // namespace Orv
