// Reference-counted pointers with copy-on-write.
//
// A non-null pointer owns one counted reference. Every constructor and assignment ends with
// Acquire: AddRef, then Unshare when the object is marked unshareable, so an unshareable
// object is never held by two pointers.
#pragma once

#include "ObjectBase/RefCountedObject.h"
#include "ObjectBase/TypeName.h"

#include <type_traits>
#include <typeinfo>
#include <utility>

namespace Orv
{
// Marks a pointer construction that takes over one reference the caller has already counted
// (the count is not raised again).
struct AdoptReference
{
};
inline constexpr AdoptReference kAdoptReference{};

template <class T, class P = T*>
class ConstRCPtr
{
public:
    using ElementType = T;

    ConstRCPtr() noexcept = default;
    ConstRCPtr(std::nullptr_t) noexcept {}
    ConstRCPtr(T* object)
        : mPointer(object)
    {
        AcquireOnConstruction();
    }
    // object's count already includes this pointer's reference.
    ConstRCPtr(T* object, AdoptReference) noexcept
        : mPointer(object)
    {
    }
    ConstRCPtr(const ConstRCPtr& other)
        : mPointer(other.mPointer)
    {
        AcquireOnConstruction();
    }
    ConstRCPtr(ConstRCPtr&& other) noexcept
        : mPointer(std::exchange(other.mPointer, nullptr))
    {
    }
    // From a pointer to a derived class: a base-class conversion.
    template <class U, class Q>
    requires std::is_convertible_v<U*, T*> ConstRCPtr(const ConstRCPtr<U, Q>& other)
        : mPointer(other.GetMutable())
    {
        AcquireOnConstruction();
    }
    ~ConstRCPtr() { ReleaseObject(mPointer); }

    ConstRCPtr& operator=(const ConstRCPtr& other)
    {
        Reset(other.mPointer);
        return *this;
    }
    ConstRCPtr& operator=(ConstRCPtr&& other) noexcept
    {
        if (this != &other)
        {
            T* old = std::exchange(mPointer, std::exchange(other.mPointer, nullptr));
            ReleaseObject(old);
        }
        return *this;
    }
    ConstRCPtr& operator=(T* object)
    {
        Reset(object);
        return *this;
    }
    ConstRCPtr& operator=(std::nullptr_t)
    {
        Reset(nullptr);
        return *this;
    }

    // Copy-on-write: when the object has other holders, this pointer takes a copy of it.
    void Unshare();

    const T* Get() const noexcept { return mPointer; }
    const T* operator->() const noexcept { return mPointer; }
    const T& operator*() const noexcept { return *mPointer; }
    explicit operator bool() const noexcept { return mPointer != nullptr; }
    bool IsNull() const noexcept { return mPointer == nullptr; }

    // The held pointer without const, for the conversions and for RCPtr.
    T* GetMutable() const noexcept { return mPointer; }

    friend bool operator==(const ConstRCPtr& a, const ConstRCPtr& b) noexcept
    {
        return a.mPointer == b.mPointer;
    }
    friend bool operator==(const ConstRCPtr& a, std::nullptr_t) noexcept
    {
        return a.mPointer == nullptr;
    }

protected:
    // Stores object, Acquires it, then Releases the old one (in that order).
    void Reset(T* object)
    {
        if (object == mPointer)
        {
            return;
        }
        T* old = mPointer;
        mPointer = object;
        try
        {
            Acquire();
        }
        catch (...)
        {
            // The copy could not be made: the pointer keeps what it held before.
            ReleaseObject(std::exchange(mPointer, old));
            throw;
        }
        ReleaseObject(old);
    }

    static LRefCountedObject* Base(T* object) noexcept
    {
        return static_cast<LRefCountedObject*>(const_cast<std::remove_const_t<T>*>(object));
    }

    static void ReleaseObject(T* object)
    {
        if (object != nullptr)
        {
            Base(object)->Release();
        }
    }

    void Acquire()
    {
        if (mPointer != nullptr)
        {
            Base(mPointer)->AddRef();
            if (!Base(mPointer)->IsShareable())
            {
                Unshare();
            }
        }
    }

    // A constructor that cannot complete its Acquire gives its reference back.
    void AcquireOnConstruction()
    {
        try
        {
            Acquire();
        }
        catch (...)
        {
            ReleaseObject(std::exchange(mPointer, nullptr));
            throw;
        }
    }

    T* mPointer = nullptr;
};

template <class T, class P = T*>
class RCPtr : public ConstRCPtr<T, P>
{
    using Base = ConstRCPtr<T, P>;

public:
    RCPtr() noexcept = default;
    RCPtr(std::nullptr_t) noexcept {}
    RCPtr(T* object)
        : Base(object)
    {
    }
    RCPtr(T* object, AdoptReference adopt) noexcept
        : Base(object, adopt)
    {
    }
    RCPtr(const RCPtr& other)
        : Base(other)
    {
    }
    RCPtr(RCPtr&& other) noexcept
        : Base(std::move(other))
    {
    }
    template <class U, class Q>
    requires std::is_convertible_v<U*, T*> RCPtr(const RCPtr<U, Q>& other)
        : Base(other.GetMutable())
    {
    }
    // From a const pointer to another class: a dynamic cast, null when the object is not a T.
    template <class U, class Q>
    explicit RCPtr(const ConstRCPtr<U, Q>& other)
        : Base(dynamic_cast<T*>(other.GetMutable()))
    {
    }

    RCPtr& operator=(const RCPtr& other)
    {
        Base::operator=(other);
        return *this;
    }
    RCPtr& operator=(RCPtr&& other) noexcept
    {
        Base::operator=(std::move(other));
        return *this;
    }
    RCPtr& operator=(T* object)
    {
        Base::operator=(object);
        return *this;
    }
    RCPtr& operator=(std::nullptr_t)
    {
        Base::operator=(nullptr);
        return *this;
    }

    T* Get() const noexcept { return this->mPointer; }
    T* operator->() const noexcept { return this->mPointer; }
    T& operator*() const noexcept { return *this->mPointer; }
};

template <class T, class P>
void ConstRCPtr<T, P>::Unshare()
{
    if (mPointer == nullptr || Base(mPointer)->GetRefCount() <= 1)
    {
        return;
    }
    {
        ConstRCPtr<LRefCountedObject, LRefCountedObject*> copy = Base(mPointer)->CreateCopy();
        ConstRCPtr converted(dynamic_cast<T*>(copy.GetMutable()));
        if (converted.mPointer != mPointer)
        {
            Reset(converted.mPointer);
        }
    }
    if (mPointer == nullptr)
    {
        const std::string typeName = GetReadableTypeName(typeid(T));
        const std::string function =
            "Orv::ConstRCPtr<class " + typeName + ",class " + typeName + " *>::Unshare";
        ThrowException<std::logic_error>(function, __FILE__, __LINE__, {typeName});
    }
}

template <class T, class U, class P>
RCPtr<T> DynamicCast(const ConstRCPtr<U, P>& pointer)
{
    return RCPtr<T>(pointer);
}
} // namespace Orv
