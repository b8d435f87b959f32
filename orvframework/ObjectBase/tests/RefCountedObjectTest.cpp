#include "ObjectBase/RefCountedObject.h"
#include "ObjectBase/RCPtr.h"
#include "Utilities/Storage/StringT.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

using Orv::ConstRCPtr;
using Orv::LRefCountedObject;
using Orv::RCPtr;

namespace
{
class Tracked : public LRefCountedObject
{
public:
    explicit Tracked(int* destroyed)
        : mDestroyed(destroyed)
    {
    }
    ~Tracked() override { ++*mDestroyed; }

private:
    int* mDestroyed;
};

// An object whose own part holds a counted reference back to it.
class Owner : public virtual LRefCountedObject
{
public:
    explicit Owner(int* destroyed)
        : mDestroyed(destroyed)
    {
    }
    ~Owner() override { ++*mDestroyed; }

    void GiveBackReference()
    {
        mPart = this;
        AddInternalReference();
    }

    Orv::ORVRESULT ReleaseInternalReferences() override
    {
        ++hookCalls;
        if (mPart)
        {
            mPart = nullptr;
            ReleaseInternalReference();
        }
        return LRefCountedObject::ReleaseInternalReferences();
    }

    int hookCalls = 0;

private:
    ConstRCPtr<Owner> mPart;
    int* mDestroyed;
};

std::string Narrow(const Orv::WString& text)
{
    return text.ToNarrow().GetBuffer();
}
} // namespace

TEST(RefCountedObject, FirstReferenceAndLastRelease)
{
    int destroyed = 0;
    auto* object = new Tracked(&destroyed);
    EXPECT_EQ(object->GetRefCount(), 0);
    EXPECT_EQ(object->AddRef(), 1);
    EXPECT_EQ(object->AddRef(), 2);
    EXPECT_EQ(object->Release(), 1);
    EXPECT_EQ(destroyed, 0);
    EXPECT_EQ(object->Release(), 0);
    EXPECT_EQ(destroyed, 1);
}

TEST(RefCountedObject, LastOutsideReleaseDropsInternalReferencesOnce)
{
    int destroyed = 0;
    auto* owner = new Owner(&destroyed);
    owner->AddRef();
    owner->GiveBackReference();
    EXPECT_EQ(owner->GetRefCount(), 2);
    EXPECT_EQ(owner->GetInternalRefCount(), 1);

    // The override's own release of the back reference must not run the hook again.
    EXPECT_EQ(owner->Release(), 0);
    EXPECT_EQ(destroyed, 1);
}

TEST(RefCountedObject, HookRunsOnlyWhenTheLastOutsideReferenceGoes)
{
    int destroyed = 0;
    auto* owner = new Owner(&destroyed);
    owner->AddRef();
    owner->AddRef();
    owner->GiveBackReference();
    // count 3, internal 1: two outside references.
    EXPECT_EQ(owner->Release(), 2);
    EXPECT_EQ(owner->hookCalls, 0);
    EXPECT_EQ(owner->GetInternalRefCount(), 1);
    EXPECT_EQ(owner->Release(), 0);
    EXPECT_EQ(destroyed, 1);
}

TEST(RefCountedObject, BaseHookReportsWhetherOnlyOneOutsideReferenceIsLeft)
{
    int destroyed = 0;
    RCPtr<Tracked> object(new Tracked(&destroyed));
    EXPECT_EQ(object->ReleaseInternalReferences(), S_OK);
    RCPtr<Tracked> second(object);
    EXPECT_EQ(object->ReleaseInternalReferences(), E_FAIL);
}

TEST(RefCountedObject, SetUnshareableOnlyWithOneReference)
{
    int destroyed = 0;
    RCPtr<Tracked> object(new Tracked(&destroyed));
    object->SetUnshareable(true);
    EXPECT_FALSE(object->IsShareable());
    object->SetUnshareable(false);
    EXPECT_TRUE(object->IsShareable());

    object->AddRef();
    try
    {
        object->SetUnshareable(true);
        FAIL() << "no exception";
    }
    catch (const std::runtime_error& error)
    {
        const std::string text = error.what();
        EXPECT_EQ(text.rfind("Runtime Error : Orv::LRefCountedObject::SetUnshareable : "
                             "orvframework/ObjectBase/RefCountedObject.cpp : Line ",
                             0),
                  0u)
            << text;
    }
    EXPECT_TRUE(object->IsShareable());
    EXPECT_NO_THROW(object->SetUnshareable(false));
    object->Release();
}

TEST(RefCountedObject, DefaultToStringNamesTheClass)
{
    int destroyed = 0;
    RCPtr<Tracked> object(new Tracked(&destroyed));
    EXPECT_EQ(Narrow(object->ToString()),
              "LRefCountedObject::ToString() not overridden. Returning TypeName: (anonymous "
              "namespace)::Tracked");
}

TEST(RefCountedObject, CreateCopyAndUndoAreNotImplemented)
{
    int destroyed = 0;
    RCPtr<Tracked> object(new Tracked(&destroyed));
    try
    {
        object->CreateCopy();
        FAIL() << "no exception";
    }
    catch (const std::logic_error& error)
    {
        EXPECT_EQ(std::string(error.what())
                      .rfind("Logic Error : CreateCopy() not implemented for RefCountedObject : "
                             "Orv::LRefCountedObject::CreateCopy : ",
                             0),
                  0u)
            << error.what();
    }
    EXPECT_THROW(object->Undo(), std::logic_error);
}

TEST(RefCountedObject, ConcurrentHoldersDestroyItExactlyOnce)
{
    int destroyed = 0;
    {
        RCPtr<Tracked> shared(new Tracked(&destroyed));
        std::vector<std::thread> threads;
        for (int t = 0; t < 4; ++t)
        {
            threads.emplace_back(
                [shared]
                {
                    for (int i = 0; i < 10000; ++i)
                    {
                        RCPtr<Tracked> copy(shared);
                        RCPtr<Tracked> another;
                        another = copy;
                    }
                });
        }
        for (auto& thread : threads)
        {
            thread.join();
        }
        EXPECT_EQ(shared->GetRefCount(), 1);
    }
    EXPECT_EQ(destroyed, 1);
}

TEST(RefCountedObject, LastTwoOutsideReferencesReleasedAtOnceStillDropTheInternalOnes)
{
    // Two threads let go of the last two outside references at the same moment: exactly one of
    // them must see itself as the last and run the hook, or the object would live on, held only
    // by its own part.
    constexpr int kRounds = 20000;
    int destroyed = 0;
    Owner* owner = nullptr;
    // The round whose object may be released, and how many releases have been made in all.
    std::atomic<int> round{-1};
    std::atomic<int> released{0};
    auto releaser = [&]
    {
        for (int mine = 0; mine < kRounds; ++mine)
        {
            // Spins, so that both threads start together; lets others run when it waits long
            // (the machine may have fewer free cores than waiting threads).
            for (int spins = 0; round.load() != mine; ++spins)
            {
                if (spins > 1000)
                {
                    std::this_thread::yield();
                }
            }
            owner->Release();
            released.fetch_add(1);
            released.notify_one();
        }
    };
    std::thread first(releaser);
    std::thread second(releaser);
    for (int r = 0; r < kRounds; ++r)
    {
        owner = new Owner(&destroyed);
        owner->AddRef();
        owner->AddRef();
        owner->GiveBackReference();
        round = r;
        // Sleeps (without spinning) until both have released.
        for (int seen = released.load(); seen != 2 * (r + 1); seen = released.load())
        {
            released.wait(seen);
        }
        EXPECT_EQ(destroyed, r + 1) << "round " << r;
        destroyed = r + 1;
    }
    first.join();
    second.join();
}
