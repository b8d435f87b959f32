// The base of every shared object: a reference count, a count of the references that the
// object's own parts hold back to it (internal references), and copy-on-write support.
#pragma once

#include "ObjectBase/Exception.h"
#include "platform/Types.h"

#include <atomic>
#include <cstdint>

namespace Orv
{
template <class C, class O>
class StringT;
using WString = StringT<wchar_t, char>;

template <class T, class P>
class ConstRCPtr;
class LRefCountedObject;

class IStringable
{
public:
    virtual ~IStringable() = default;
    virtual WString ToString() const = 0;
};

class IUndoable : public IStringable
{
public:
    virtual void Undo() = 0;
};

class LRefCountedObject : public IUndoable
{
public:
    LRefCountedObject() = default;
    // A copy is a new object: it starts with no references, shareable.
    LRefCountedObject(const LRefCountedObject&)
        : IUndoable()
    {
    }
    LRefCountedObject& operator=(const LRefCountedObject&) { return *this; }

    // "LRefCountedObject::ToString() not overridden. Returning TypeName: " and the class name.
    WString ToString() const override;
    // Throws: no shared object can undo.
    void Undo() override;
    // Returns the count after the increment.
    virtual LONG AddRef();
    // Returns the count after the decrement; the object is gone when that is 0. When the caller
    // holds the last outside reference and internal references remain, the object first drops
    // them. Otherwise this is one atomic step.
    virtual LONG Release();
    // Drops the references that the object's own parts hold to it; the base only reports
    // S_OK when no internal reference remains and one reference is left, else E_FAIL.
    virtual ORVRESULT ReleaseInternalReferences();
    // A new object with the same content (count taken by the returned pointer). Only copyable
    // classes override it; the base throws.
    virtual ConstRCPtr<LRefCountedObject, LRefCountedObject*> CreateCopy() const;
    ~LRefCountedObject() override = default;

    // true: every new pointer to the object takes its own copy. Throws when the object already
    // has more than one reference.
    void SetUnshareable(bool unshareable);
    bool IsShareable() const { return mShareable; }

    LONG GetRefCount() const { return RefCountOf(mCounts.load()); }
    LONG GetInternalRefCount() const { return InternalCountOf(mCounts.load()); }
    // Called by the operation that stores (or drops) a counted reference to this object in an
    // object that this object owns. The mark is set after that reference is taken and cleared
    // before it is dropped: otherwise a release on another thread in between sees one outside
    // reference fewer than there are and drops the internal ones while they are still used.
    LONG AddInternalReference() { return InternalCountOf(mCounts.fetch_add(kOneInternal)) + 1; }
    LONG ReleaseInternalReference() { return InternalCountOf(mCounts.fetch_sub(kOneInternal)) - 1; }

private:
    // Both counts live in one word, so that a release reads them as one state: the reference
    // count in the low half, the internal count in the high half.
    static constexpr std::uint64_t kOneInternal = std::uint64_t{1} << 32;
    static LONG RefCountOf(std::uint64_t counts)
    {
        return static_cast<LONG>(static_cast<std::uint32_t>(counts));
    }
    static LONG InternalCountOf(std::uint64_t counts)
    {
        return static_cast<LONG>(static_cast<std::uint32_t>(counts >> 32));
    }

    // The release that runs the internal-reference hook.
    LONG ReleaseLastOutside();

    std::atomic<std::uint64_t> mCounts{0};
    std::atomic<LONG> mReleaseGuard{0};
    bool mShareable = true;
};
} // namespace Orv
