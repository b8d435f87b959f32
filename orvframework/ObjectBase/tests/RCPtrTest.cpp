#include "ObjectBase/RCPtr.h"
#include "ObjectBase/Holder.h"

#include <gtest/gtest.h>

#include <string>

using Orv::ConstRCPtr;
using Orv::LRefCountedObject;
using Orv::RCPtr;

namespace
{
class Shape : public virtual LRefCountedObject
{
public:
    Shape() { ++alive; }
    Shape(const Shape& other)
        : LRefCountedObject(other)
        , value(other.value)
    {
        ++alive;
    }
    ~Shape() override { --alive; }
    int value = 0;
    static int alive;
};
int Shape::alive = 0;

class Circle : public Shape
{
};

class Square : public Shape
{
};

// A class that can be copied on write.
class Copyable : public Shape
{
public:
    ConstRCPtr<LRefCountedObject> CreateCopy() const override
    {
        ++copies;
        return ConstRCPtr<LRefCountedObject>(new Copyable(*this));
    }
    static int copies;
};
int Copyable::copies = 0;

// A copy that comes back as another class.
class Changeling : public Shape
{
public:
    ConstRCPtr<LRefCountedObject> CreateCopy() const override
    {
        return ConstRCPtr<LRefCountedObject>(new Square());
    }
};

class PointerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Shape::alive = 0;
        Copyable::copies = 0;
    }
    void TearDown() override { EXPECT_EQ(Shape::alive, 0) << "objects leaked or died twice"; }
};
} // namespace

TEST_F(PointerTest, AssignmentTakesTheNewReferenceBeforeDroppingTheOld)
{
    RCPtr<Shape> a(new Shape());
    RCPtr<Shape> b(a);
    EXPECT_EQ(a->GetRefCount(), 2);
    RCPtr<Shape>& self = a;
    a = self;
    b = a;
    EXPECT_EQ(a->GetRefCount(), 2);

    RCPtr<Shape> empty;
    empty = a;
    EXPECT_EQ(a->GetRefCount(), 3);
    empty = nullptr;
    EXPECT_EQ(a->GetRefCount(), 2);
    EXPECT_TRUE(empty.IsNull());

    // The last pointer to an object is assigned another object: the old one dies.
    RCPtr<Shape> only(new Shape());
    EXPECT_EQ(Shape::alive, 2);
    only = a;
    EXPECT_EQ(Shape::alive, 1);
}

TEST_F(PointerTest, ConversionsCastOrGiveNull)
{
    RCPtr<Circle> circle(new Circle());
    ConstRCPtr<Shape> shape(circle);
    EXPECT_EQ(circle->GetRefCount(), 2);

    RCPtr<Circle> back(shape);
    EXPECT_EQ(back.Get(), circle.Get());
    EXPECT_EQ(circle->GetRefCount(), 3);

    RCPtr<Square> wrong(shape);
    EXPECT_TRUE(wrong.IsNull());
    EXPECT_EQ(circle->GetRefCount(), 3);

    ConstRCPtr<LRefCountedObject> generic(circle);
    EXPECT_EQ(Orv::DynamicCast<Circle>(generic).Get(), circle.Get());
    EXPECT_TRUE(Orv::DynamicCast<Square>(generic).IsNull());
}

TEST_F(PointerTest, UnshareableObjectIsCopiedForEverySecondHolder)
{
    RCPtr<Copyable> first(new Copyable());
    first->value = 7;
    first->SetUnshareable(true);
    RCPtr<Copyable> second(first);
    EXPECT_NE(second.Get(), first.Get());
    EXPECT_EQ(Copyable::copies, 1);
    EXPECT_EQ(first->GetRefCount(), 1);
    EXPECT_EQ(second->GetRefCount(), 1);
    EXPECT_EQ(second->value, 7);
    EXPECT_TRUE(second->IsShareable());

    RCPtr<Copyable> third;
    third = first;
    EXPECT_NE(third.Get(), first.Get());
    EXPECT_EQ(Copyable::copies, 2);
}

TEST_F(PointerTest, UnshareCopiesOnlyWhenShared)
{
    RCPtr<Copyable> a(new Copyable());
    a.Unshare();
    EXPECT_EQ(Copyable::copies, 0);

    RCPtr<Copyable> b(a);
    const Copyable* original = a.Get();
    b.Unshare();
    EXPECT_EQ(Copyable::copies, 1);
    EXPECT_NE(b.Get(), original);
    EXPECT_EQ(a.Get(), original);
    EXPECT_EQ(a->GetRefCount(), 1);
    EXPECT_EQ(b->GetRefCount(), 1);

    RCPtr<Copyable> null;
    EXPECT_NO_THROW(null.Unshare());
}

TEST_F(PointerTest, UnshareOfAClassThatCannotCopyThrowsAndKeepsTheObject)
{
    RCPtr<Shape> a(new Shape());
    RCPtr<Shape> b(a);
    EXPECT_THROW(b.Unshare(), std::logic_error);
    EXPECT_EQ(b.Get(), a.Get());
    EXPECT_EQ(a->GetRefCount(), 2);

    // A copy of an unshareable object that cannot be copied fails without leaking a reference.
    RCPtr<Shape> lone(new Shape());
    lone->SetUnshareable(true);
    EXPECT_THROW(RCPtr<Shape> copy(lone), std::logic_error);
    EXPECT_EQ(lone->GetRefCount(), 1);
    RCPtr<Shape> target(new Shape());
    const Shape* before = target.Get();
    EXPECT_THROW(target = lone, std::logic_error);
    EXPECT_EQ(lone->GetRefCount(), 1);
    EXPECT_EQ(target.Get(), before) << "a failed assignment leaves the pointer as it was";
}

TEST_F(PointerTest, UnshareIntoAnotherClassThrowsAndLeavesNull)
{
    RCPtr<Changeling> a(new Changeling());
    RCPtr<Changeling> b(a);
    try
    {
        b.Unshare();
        FAIL() << "no exception";
    }
    catch (const std::logic_error& error)
    {
        const std::string text = error.what();
        EXPECT_EQ(text.rfind("Logic Error : (anonymous namespace)::Changeling : "
                             "Orv::ConstRCPtr<class (anonymous namespace)::Changeling,class "
                             "(anonymous namespace)::Changeling *>::Unshare : ",
                             0),
                  0u)
            << text;
    }
    EXPECT_TRUE(b.IsNull());
    EXPECT_EQ(a->GetRefCount(), 1);
}

TEST_F(PointerTest, MovesTransferTheReference)
{
    RCPtr<Shape> a(new Shape());
    RCPtr<Shape> b(std::move(a));
    EXPECT_TRUE(a.IsNull());
    EXPECT_EQ(b->GetRefCount(), 1);
    RCPtr<Shape> c;
    c = std::move(b);
    EXPECT_EQ(c->GetRefCount(), 1);
}

TEST(Holder, BoxesAValue)
{
    RCPtr<Orv::LHolder<int>> holder(new Orv::LHolder<int>(42));
    ConstRCPtr<LRefCountedObject> generic(holder);
    RCPtr<Orv::LHolder<int>> back(generic);
    ASSERT_FALSE(back.IsNull());
    EXPECT_EQ(back->GetValue(), 42);
    EXPECT_TRUE(RCPtr<Orv::LHolder<bool>>(generic).IsNull());
}

TEST(RCPtr, AdoptingTakesOverACountedReference)
{
    const int before = Shape::alive;
    auto* shape = new Circle();
    shape->AddRef();
    {
        RCPtr<Shape> adopted(shape, Orv::kAdoptReference);
        EXPECT_EQ(shape->GetRefCount(), 1);
        ConstRCPtr<Shape> second(adopted);
        EXPECT_EQ(shape->GetRefCount(), 2);
    }
    // The adopted reference went with the pointer.
    EXPECT_EQ(Shape::alive, before);
    RCPtr<Shape> none(nullptr, Orv::kAdoptReference);
    EXPECT_FALSE(none);
}
