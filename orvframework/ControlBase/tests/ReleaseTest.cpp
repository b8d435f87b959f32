// Releasing a control tree: the links both ways are cut when the last outside reference goes.
#include "ControlTestSupport.h"

#include <algorithm>

using namespace Orv;
using namespace OrvTest;

namespace
{
using TreeRelease = ControlTest;

// Notes when it dies.
class TrackedSource : public LNotificationDistributor
{
public:
    explicit TrackedSource(bool* destroyed)
        : mDestroyed(destroyed)
    {
    }
    ~TrackedSource() override { *mDestroyed = true; }

private:
    bool* mDestroyed;
};

const LNotificationHandler<LControl>::Handler kOnTest =
    static_cast<LNotificationHandler<LControl>::Handler>(&RecordingControl::OnTest);

std::vector<std::string> Sorted(std::vector<std::string> names)
{
    std::sort(names.begin(), names.end());
    return names;
}
} // namespace

TEST_F(TreeRelease, TheWholeTreeDiesWithItsLastOutsideReference)
{
    const auto top = MakeDescriptor(L"top");
    const auto a = MakeDescriptor(L"a", top.Get());
    MakeDescriptor(L"a1", a.Get());
    MakeDescriptor(L"a2", a.Get());
    MakeDescriptor(L"b", top.Get());

    RCPtr<LControl> control;
    ASSERT_EQ(factory->CreateControl(control, top, nullptr), S_OK);
    // The updater holds its control: an internal reference.
    const LONG internal = control->GetInternalRefCount();
    RCPtr<LMenuItemUpdater> updater = control->GetMenuItemUpdater();
    EXPECT_EQ(control->GetMenuItemUpdater().Get(), updater.Get());
    EXPECT_EQ(updater->GetTarget().Get(), control.Get());
    EXPECT_EQ(control->GetInternalRefCount(), internal + 1);
    updater = nullptr;

    // The children subscribe to each other and to the top: more references both ways.
    RCPtr<LControl> childA = control->FindChildControl(WString(L"a"));
    RCPtr<LControl> childB = control->FindChildControl(WString(L"b"));
    ASSERT_EQ(childA->GetHandler()->SubscribeHandler(kOnTest, control, L"NID_RELEASE_TEST"), S_OK);
    ASSERT_EQ(control->GetHandler()->SubscribeHandler(kOnTest, childB, L"NID_RELEASE_TEST"), S_OK);
    EXPECT_TRUE(destroyed.empty());

    // The children held here outlive the top, without a parent.
    control = nullptr;
    EXPECT_EQ(destroyed, std::vector<std::string>{"top"});
    EXPECT_FALSE(childA->GetParent());
    EXPECT_FALSE(childB->GetParent());
    childA = nullptr;
    childB = nullptr;
    EXPECT_EQ(Sorted(destroyed), (std::vector<std::string>{"a", "a1", "a2", "b", "top"}));
}

TEST_F(TreeRelease, AChildHeldFromOutsideSurvivesWithoutItsParent)
{
    const auto top = MakeDescriptor(L"top");
    const auto a = MakeDescriptor(L"a", top.Get());
    MakeDescriptor(L"a1", a.Get());
    MakeDescriptor(L"b", top.Get());
    RCPtr<LControl> control;
    ASSERT_EQ(factory->CreateControl(control, top, nullptr), S_OK);
    control->GetMenuItemUpdater();
    const RCPtr<LControl> kept = control->FindChildControl(WString(L"a"));

    control = nullptr;
    EXPECT_EQ(Sorted(destroyed), (std::vector<std::string>{"b", "top"}));
    EXPECT_FALSE(kept->GetParent());
    ASSERT_EQ(kept->GetChildren().GetCount(), 1u);
    EXPECT_EQ(kept->GetChildren().GetAt(0, 0)->GetParent().Get(), kept.Get());
    EXPECT_EQ(kept->GetRefCount(), 2);
    EXPECT_EQ(kept->GetInternalRefCount(), 1);
}

TEST_F(TreeRelease, ReleasingCutsTheControlsNotificationLinks)
{
    bool sourceDestroyed = false;
    RCPtr<LNotificationDistributor> source(new TrackedSource(&sourceDestroyed));
    const auto top = MakeDescriptor(L"top");
    RCPtr<LControl> control;
    ASSERT_EQ(factory->CreateControl(control, top, nullptr), S_OK);
    // The control listens to the source, and another control listens to the control.
    ASSERT_EQ(control->GetHandler()->SubscribeHandler(kOnTest, source, L"NID_RELEASE_TEST"), S_OK);
    const RCPtr<RecordingControl> listener = MakeControl(L"listener");
    listener->Initialize();
    ASSERT_EQ(listener->GetHandler()->SubscribeHandler(kOnTest, control, L"NID_RELEASE_TEST"),
              S_OK);
    EXPECT_EQ(listener->LNotificationClient::GetRegistrationCount(), 1);

    control = nullptr;
    EXPECT_EQ(destroyed, std::vector<std::string>{"top"});
    EXPECT_EQ(listener->LNotificationClient::GetRegistrationCount(), 0);
    EXPECT_EQ(source->GetRegistrationCount(), 0);
    source = nullptr;
    EXPECT_TRUE(sourceDestroyed);
}
