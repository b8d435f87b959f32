// The child list: insertion and removal, the z and tab orders, the counts of unclipped
// descendants, and the list's errors.
#include "ControlTestSupport.h"

#include <functional>

using namespace Orv;
using namespace OrvTest;

namespace
{
using ChildList = ControlTest;

struct ChildSetup
{
    const wchar_t* name;
    bool clip;
    bool dockedX;
    bool dockedY;
    int zOrder;
    int tabStop;
};

// A parent with children made from the setups, in order.
RCPtr<RecordingControl> MakeFamily(std::initializer_list<ChildSetup> setups)
{
    const RCPtr<RecordingControl> parent = MakeControl(L"parent");
    for (const ChildSetup& setup : setups)
    {
        const auto descriptor = MakeDescriptor(setup.name);
        LLayoutDescriptor& layout = *descriptor->GetLayout();
        layout.clipToParent = setup.clip;
        layout.axes[0].docked = setup.dockedX;
        layout.axes[1].docked = setup.dockedY;
        layout.zOrder = setup.zOrder;
        layout.tabStop = setup.tabStop;
        const RCPtr<RecordingControl> child(new RecordingControl(parent, descriptor));
        child->ApplyDescriptor(descriptor);
    }
    return parent;
}

std::vector<std::string> Order(const LControl& control, int order)
{
    std::vector<std::string> names;
    for (unsigned int i = 0; i < control.GetChildren().GetCount(); ++i)
    {
        names.push_back(RecordingControl::Narrow(control.GetChildren().GetAt(i, order)->GetName()));
    }
    return names;
}
} // namespace

TEST_F(ChildList, ZOrderPutsClippedFirstThenFewerDockedAxesThenZThenInsertion)
{
    struct Case
    {
        std::initializer_list<ChildSetup> children;
        std::vector<std::string> zOrder;
    };
    const Case cases[] = {
        // Docked on fewer axes comes first, whatever the z-order numbers say.
        {{{L"A", true, false, false, 5, 0},
          {L"B", true, true, false, 1, 0},
          {L"C", true, false, false, 1, 0}},
         {"C", "A", "B"}},
        {{{L"A", false, false, false, 5, 0},
          {L"B", false, true, false, 1, 0},
          {L"C", false, false, false, 1, 0}},
         {"C", "A", "B"}},
        // Clipped before unclipped.
        {{{L"A", true, false, false, 5, 0},
          {L"B", false, true, false, 1, 0},
          {L"C", false, false, false, 1, 0}},
         {"A", "C", "B"}},
        // Both axes docked last among the clipped; equal keys keep insertion order.
        {{{L"D", true, true, true, -9, 0},
          {L"E", true, false, true, 0, 0},
          {L"F", true, false, false, 7, 0},
          {L"G", true, false, false, 7, 0},
          {L"H", false, false, false, -100, 0}},
         {"F", "G", "E", "D", "H"}},
    };
    for (const Case& c : cases)
    {
        const RCPtr<RecordingControl> parent = MakeFamily(c.children);
        EXPECT_EQ(Order(*parent, LControl::kZOrder), c.zOrder);
    }
}

TEST_F(ChildList, TabOrderSortsByTabStopThenInsertion)
{
    const RCPtr<RecordingControl> parent = MakeFamily({{L"three", true, false, false, 0, 3},
                                                       {L"none", true, false, false, 0, -1},
                                                       {L"one", true, false, false, 0, 1},
                                                       {L"oneAgain", true, false, false, 0, 1}});
    EXPECT_EQ(Order(*parent, LControl::kTabOrder),
              (std::vector<std::string>{"none", "one", "oneAgain", "three"}));
    EXPECT_EQ(Order(*parent, LControl::kInsertionOrder),
              (std::vector<std::string>{"three", "none", "one", "oneAgain"}));
}

TEST_F(ChildList, OrdersAreRebuiltOnTheFirstSortedReadAfterAChange)
{
    const RCPtr<RecordingControl> parent =
        MakeFamily({{L"late", true, false, false, 9, 0}, {L"early", true, false, false, 1, 0}});
    LControl::ChildControlList& list = parent->GetChildren();
    EXPECT_NE(list.sortedCount, list.changeCount);
    EXPECT_EQ(Order(*parent, LControl::kInsertionOrder),
              (std::vector<std::string>{"late", "early"}));
    // Reading in insertion order sorts nothing.
    EXPECT_NE(list.sortedCount, list.changeCount);
    EXPECT_EQ(Order(*parent, LControl::kZOrder), (std::vector<std::string>{"early", "late"}));
    EXPECT_EQ(list.sortedCount, list.changeCount);

    const RCPtr<RecordingControl> first = MakeControl(L"first");
    first->GetLayout()->zOrder = -1;
    first->SetParent(parent);
    EXPECT_NE(list.sortedCount, list.changeCount);
    EXPECT_EQ(Order(*parent, LControl::kZOrder),
              (std::vector<std::string>{"first", "early", "late"}));
    parent->GetChildren().Remove(first.Get());
    EXPECT_EQ(Order(*parent, LControl::kZOrder), (std::vector<std::string>{"early", "late"}));
}

TEST_F(ChildList, GetAtErrorsCarryTheListsTexts)
{
    const RCPtr<RecordingControl> parent = MakeFamily({{L"only", true, false, false, 0, 0}});
    const LControl::ChildControlList& constList = parent->GetChildren();
    LControl::ChildControlList& list = parent->GetChildren();
    struct Case
    {
        std::function<void()> call;
        const char* text;
    };
    const Case cases[] = {
        {[&] { list.GetAt(1, 0); },
         "Runtime Error : Orv::LControl::ChildControlList::GetAt : ControlBase\\Control : Line "
         "3356"},
        {[&] { list.GetAt(1, 2); },
         "Runtime Error : Orv::LControl::ChildControlList::GetAt : ControlBase\\Control : Line "
         "3356"},
        {[&] { list.GetAt(0, 3); },
         "Runtime Error : Orv::LControl::ChildControlList::GetAt : ControlBase\\Control : Line "
         "3376"},
        {[&] { list.GetAt(0, -1); },
         "Runtime Error : Orv::LControl::ChildControlList::GetAt : ControlBase\\Control : Line "
         "3376"},
        {[&] { constList.GetAt(1, 1); },
         "Runtime Error : Orv::LControl::ChildControlList::GetAt : ControlBase\\Control : Line "
         "3384"},
        {[&] { constList.GetAt(0, 3); },
         "Runtime Error : Orv::LControl::ChildControlList::GetAt : ControlBase\\Control : Line "
         "3404"},
    };
    for (const Case& c : cases)
    {
        try
        {
            c.call();
            ADD_FAILURE() << "no exception for " << c.text;
        }
        catch (const Exception<std::runtime_error>& error)
        {
            EXPECT_STREQ(error.what(), c.text);
        }
    }
    // An empty list has no position at all.
    const RCPtr<RecordingControl> empty = MakeControl(L"empty");
    EXPECT_THROW(empty->GetChildren().GetAt(0, 1), Exception<std::runtime_error>);
}

TEST_F(ChildList, AddRefusesNullDuplicatesAndCycles)
{
    const RCPtr<RecordingControl> grand = MakeControl(L"grand");
    const RCPtr<RecordingControl> parent = MakeControl(L"parent", grand);
    const RCPtr<RecordingControl> child = MakeControl(L"ok", parent);
    LControl::ChildControlList& list = parent->GetChildren();
    const unsigned int changes = list.changeCount;

    EXPECT_EQ(list.Add(nullptr), E_INVALIDARG);
    const RCPtr<RecordingControl> twin = MakeControl(L"ok");
    EXPECT_EQ(list.Add(twin.Get()), E_FAIL);
    // A control that has a parent, the owner itself and an ancestor of it.
    const RCPtr<RecordingControl> elsewhere = MakeControl(L"elsewhere", grand);
    EXPECT_EQ(list.Add(elsewhere.Get()), E_INVALIDARG);
    EXPECT_EQ(list.Add(parent.Get()), E_INVALIDARG);
    EXPECT_EQ(child->GetChildren().Add(grand.Get()), E_INVALIDARG);
    EXPECT_EQ(grand->SetParent(child), E_INVALIDARG);
    EXPECT_FALSE(grand->GetParent());

    EXPECT_EQ(list.GetCount(), 1u);
    EXPECT_EQ(list.changeCount, changes);
    EXPECT_FALSE(twin->GetParent());
    EXPECT_EQ(elsewhere->GetParent().Get(), grand.Get());

    const RCPtr<RecordingControl> other = MakeControl(L"OK");
    EXPECT_EQ(list.Add(other.Get()), S_OK);
    EXPECT_EQ(other->GetParent().Get(), parent.Get());
    EXPECT_EQ(parent->GetInternalRefCount(), 2);
}

TEST_F(ChildList, UnclippedDescendantsAreCountedUpTheAncestors)
{
    auto makeUnclipped = [](const wchar_t* name, const RCPtr<LControl>& parent)
    {
        const auto descriptor = MakeDescriptor(name);
        descriptor->GetLayout()->clipToParent = false;
        const RCPtr<RecordingControl> control(new RecordingControl(parent, descriptor));
        control->ApplyDescriptor(descriptor);
        return control;
    };
    const RCPtr<RecordingControl> grand = MakeControl(L"grand");
    const RCPtr<RecordingControl> owner = MakeControl(L"owner", grand);
    const RCPtr<RecordingControl> carrier = makeUnclipped(L"carrier", nullptr);
    makeUnclipped(L"y", carrier);
    makeUnclipped(L"z", carrier);
    EXPECT_EQ(carrier->GetUnclippedDescendantCount(), 2);

    // An unclipped child carrying two unclipped descendants counts 3 on every ancestor.
    ASSERT_EQ(carrier->SetParent(owner), S_OK);
    EXPECT_EQ(owner->GetUnclippedDescendantCount(), 3);
    EXPECT_EQ(grand->GetUnclippedDescendantCount(), 3);

    // Removing what is not a child changes nothing.
    const unsigned int changes = owner->GetChildren().changeCount;
    EXPECT_EQ(owner->GetChildren().Remove(grand.Get()), -1);
    EXPECT_EQ(owner->GetChildren().changeCount, changes);
    EXPECT_EQ(owner->GetUnclippedDescendantCount(), 3);

    EXPECT_EQ(owner->GetChildren().Remove(carrier.Get()), 0);
    EXPECT_EQ(owner->GetUnclippedDescendantCount(), 0);
    EXPECT_EQ(grand->GetUnclippedDescendantCount(), 0);
    EXPECT_EQ(carrier->GetUnclippedDescendantCount(), 2);
    EXPECT_FALSE(carrier->GetParent());
    EXPECT_EQ(owner->GetChildren().changeCount, changes + 1);
}

TEST_F(ChildList, ClearTakesEveryChildOutFromTheLast)
{
    const RCPtr<RecordingControl> owner = MakeControl(L"owner");
    std::vector<RCPtr<RecordingControl>> kept;
    for (const wchar_t* name : {L"c0", L"c1", L"c2"})
    {
        kept.push_back(MakeControl(name, owner));
    }
    const LONG internal = owner->GetInternalRefCount();
    EXPECT_EQ(owner->GetChildren().Clear(), 0);
    EXPECT_EQ(owner->removed, (std::vector<std::string>{"c2@2", "c1@1", "c0@0"}));
    EXPECT_EQ(owner->GetInternalRefCount(), internal - 3);
    for (const RCPtr<RecordingControl>& child : kept)
    {
        EXPECT_FALSE(child->GetParent());
        EXPECT_EQ(child->GetRefCount(), 1);
    }
    EXPECT_EQ(owner->GetChildren().Clear(), 1);
}
