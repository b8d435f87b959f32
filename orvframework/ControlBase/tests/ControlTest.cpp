// A control's creation sequence, its parent and root window, looks, and what Initialize takes.
#include "ControlTestSupport.h"
#include "RecordingRootWindow.h"

#include "OrvControlBase.h"
#include "notification/NotificationCenterManager.h"

using namespace Orv;
using namespace OrvTest;

namespace
{
using ControlLifecycle = ControlTest;

RCPtr<LLook> MakeLook(const wchar_t* name)
{
    RCPtr<LLook> look;
    return LLook::Create(look, LLookDescriptor::Create(WString(name)), false);
}

std::vector<float> Weights(const LControl& control)
{
    std::vector<float> weights;
    for (unsigned int i = 0; i < control.GetLookCount(); ++i)
    {
        weights.push_back(control.GetLookWeight(i));
    }
    return weights;
}

std::vector<std::string> ChildNames(const LControl& control)
{
    std::vector<std::string> names;
    for (unsigned int i = 0; i < control.GetChildren().GetCount(); ++i)
    {
        names.push_back(RecordingControl::Narrow(
            control.GetChildren().GetAt(i, LControl::kInsertionOrder)->GetName()));
    }
    return names;
}
} // namespace

TEST_F(ControlLifecycle, CreationRunsEachStepInOrderAndChildrenCompleteBeforeTheirParent)
{
    const auto top = MakeDescriptor(L"top");
    const auto a = MakeDescriptor(L"a", top.Get());
    MakeDescriptor(L"a1", a.Get());
    MakeDescriptor(L"b", top.Get());

    RCPtr<LControl> control;
    ASSERT_EQ(factory->CreateControl(control, top, nullptr), S_OK);
    ASSERT_TRUE(control);
    const std::vector<std::string> expected = {
        "top:construct",         "top:ApplyDescriptor",  "top:CreateChildControls",
        "a:construct (listed)",  "a:ApplyDescriptor",    "a:CreateChildControls",
        "a1:construct (listed)", "a1:ApplyDescriptor",   "a1:CreateChildControls",
        "a1:Initialize",         "a1:OnCreated",         "a:Initialize",
        "a:OnCreated",           "b:construct (listed)", "b:ApplyDescriptor",
        "b:CreateChildControls", "b:Initialize",         "b:OnCreated",
        "top:Initialize",        "top:OnCreated",
    };
    EXPECT_EQ(journal, expected);

    EXPECT_TRUE(control->IsCreated());
    EXPECT_EQ(control->GetDescriptor().Get(), top.Get());
    EXPECT_NE(control->GetLayout().Get(), top->GetLayout().Get());
    EXPECT_EQ(ChildNames(*control), (std::vector<std::string>{"a", "b"}));
    const RCPtr<LControl> childA = control->FindChildControl(WString(L"a"));
    ASSERT_TRUE(childA);
    EXPECT_TRUE(childA->IsCreated());
    EXPECT_EQ(childA->GetParent().Get(), control.Get());
    EXPECT_EQ(ChildNames(*childA), (std::vector<std::string>{"a1"}));
    EXPECT_FALSE(control->FindChildControl(WString(L"A")));
    EXPECT_FALSE(control->FindChildControl(WString(L"a1")));
    // Only the children's references to the parent are internal.
    EXPECT_EQ(control->GetInternalRefCount(), 2);
}

TEST_F(ControlLifecycle, DeferCreateIsTrueOnlyForTrueLowerCasedAndTrimmed)
{
    struct Case
    {
        const wchar_t* value;
        bool created;
    };
    const Case cases[] = {{L" TRUE ", false}, {L"true", false}, {L"\tTrue\r\n", false},
                          {L"yes", true},     {L"1", true},     {L"tru e", true},
                          {nullptr, true}};
    const auto top = MakeDescriptor(L"top");
    std::vector<std::string> expected;
    int index = 0;
    for (const Case& c : cases)
    {
        const std::wstring name = L"child" + std::to_wstring(index++);
        const auto child = MakeDescriptor(name.c_str(), top.Get());
        if (c.value != nullptr)
        {
            RCPtr<LStringTable> params(new LStringTable());
            params->SetCreateParam(WString(L"DEFER_CREATE"), WString(c.value));
            child->SetCreateParams(params);
        }
        if (c.created)
        {
            expected.push_back(RecordingControl::Narrow(WString(name.c_str())));
        }
    }
    RCPtr<LControl> control;
    ASSERT_EQ(factory->CreateControl(control, top, nullptr), S_OK);
    EXPECT_EQ(ChildNames(*control), expected);
}

TEST_F(ControlLifecycle, ParentAndRootWindow)
{
    const RCPtr<RecordingControl> loose = MakeControl(L"loose");
    EXPECT_FALSE(loose->GetParent());
    EXPECT_FALSE(loose->GetRootWindow());

    const RCPtr<RecordingControl> parent = MakeControl(L"parent");
    EXPECT_EQ(loose->SetParent(parent), S_OK);
    EXPECT_EQ(loose->GetParent().Get(), parent.Get());
    const unsigned int changes = parent->GetChildren().changeCount;
    EXPECT_EQ(loose->SetParent(parent), S_FALSE);
    EXPECT_EQ(parent->GetChildren().GetCount(), 1u);
    EXPECT_EQ(parent->GetChildren().changeCount, changes);

    // A child cannot take a root window; a top-level control can, and loses it when it
    // joins a parent.
    const RCPtr<IRootWindow> window(new RecordingRootWindow());
    EXPECT_EQ(loose->SetRootWindow(window), E_FAIL);
    EXPECT_FALSE(loose->GetRootWindow());
    EXPECT_EQ(parent->SetRootWindow(window), S_OK);
    EXPECT_EQ(parent->GetRootWindow().Get(), window.Get());
    const RCPtr<RecordingControl> grand = MakeControl(L"grand");
    EXPECT_EQ(parent->SetParent(grand), S_OK);
    EXPECT_FALSE(parent->GetRootWindow());

    // Leaving: back to no parent, out of the list.
    EXPECT_EQ(loose->SetParent(nullptr), S_OK);
    EXPECT_FALSE(loose->GetParent());
    EXPECT_EQ(parent->GetChildren().GetCount(), 0u);
    EXPECT_EQ(parent->GetInternalRefCount(), 0);
}

TEST_F(ControlLifecycle, ADuplicateChildNameIsRefusedAndReported)
{
    const RCPtr<RecordingControl> parent = MakeControl(L"parent");
    const RCPtr<RecordingControl> first = MakeControl(L"ok", parent);
    const RCPtr<RecordingControl> second = MakeControl(L"ok");
    EXPECT_EQ(second->SetParent(parent), E_FAIL);
    EXPECT_FALSE(second->GetParent());
    const RCPtr<RecordingControl> other = MakeControl(L"OK");
    EXPECT_EQ(other->SetParent(parent), S_OK);
    EXPECT_EQ(ChildNames(*parent), (std::vector<std::string>{"ok", "OK"}));

    // Made through the factory: the creator makes nothing, creating the children says so.
    const auto top = MakeDescriptor(L"top");
    MakeDescriptor(L"twin", top.Get());
    MakeDescriptor(L"twin", top.Get());
    RCPtr<LControl> control;
    testing::internal::CaptureStderr();
    ASSERT_EQ(factory->CreateControl(control, top, nullptr), S_OK);
    const std::string report = testing::internal::GetCapturedStderr();
    EXPECT_NE(report.find("top already has a child named twin"), std::string::npos) << report;
    EXPECT_EQ(ChildNames(*control), (std::vector<std::string>{"twin"}));
    EXPECT_EQ(control->CreateChildControls(top), E_FAIL);
    EXPECT_EQ(ChildNames(*control), (std::vector<std::string>{"twin"}));
}

TEST_F(ControlLifecycle, SetActiveLookLeavesExactlyOneLookAtFullWeight)
{
    const RCPtr<RecordingControl> control = MakeControl(L"looks");
    EXPECT_EQ(control->AddLook(nullptr), E_INVALIDARG);
    for (const wchar_t* name : {L"normal", L"hover", L"pressed"})
    {
        EXPECT_EQ(control->AddLook(MakeLook(name)), S_OK);
    }
    EXPECT_EQ(Weights(*control), (std::vector<float>{0, 0, 0}));
    EXPECT_EQ(control->SetActiveLook(2), S_OK);
    EXPECT_EQ(Weights(*control), (std::vector<float>{0, 0, 1}));
    EXPECT_EQ(control->SetActiveLook(0), S_OK);
    EXPECT_EQ(Weights(*control), (std::vector<float>{1, 0, 0}));
    EXPECT_EQ(control->SetActiveLook(3), E_INVALIDARG);
    EXPECT_EQ(control->SetActiveLook(-1), E_INVALIDARG);
    EXPECT_EQ(Weights(*control), (std::vector<float>{1, 0, 0}));
}

TEST_F(ControlLifecycle, InitializeTakesTheDefaultCenterAndTheTexts)
{
    // No string table: no texts, no subscriptions.
    const RCPtr<RecordingControl> plain = MakeControl(L"plain");
    ASSERT_EQ(plain->Initialize(), S_OK);
    EXPECT_TRUE(plain->GetToolTipText().IsEmpty());
    EXPECT_TRUE(plain->GetText().IsEmpty());
    EXPECT_EQ(plain->LNotificationClient::GetRegistrationCount(), 0);
    EXPECT_TRUE(plain->GetHandler());
    EXPECT_EQ(plain->GetNotificationCenter().Get(),
              GetNotificationCenterManager()->GetNotificationCenter(WString()).Get());

    const std::string strings = ReadFile(TestDataPath("AppStrings.xml"));
    const LControlFactory::Document document = AsDocument(strings);
    ASSERT_EQ(factory->LoadStringTableDocuments(&document, nullptr, 9), S_FALSE);
    const RCPtr<RecordingControl> main = MakeControl(L"mainControl");
    ASSERT_EQ(main->Initialize(), S_OK);
    EXPECT_EQ(main->GetText(), WString(L"Main"));
    EXPECT_EQ(main->GetToolTipText(), WString(L"The main control"));
    EXPECT_EQ(main->GetString(L"LABEL"), WString(L"Main"));
    EXPECT_TRUE(main->GetString(L"NO_SUCH_ID").IsEmpty());
    EXPECT_EQ(main->LNotificationClient::GetRegistrationCount(), 0);
}

TEST_F(ControlLifecycle, ApplyDescriptorBuildsTheLooksAndCountsAnUnclippedChild)
{
    const auto list = RCPtr<LLookList>(new LLookList(3));
    list->GetElementPointer(0) = LLookDescriptor::Create(WString(L"normal"));
    list->GetElementPointer(2) = LLookDescriptor::Create(WString(L"pressed"));
    const auto skin = LSkinDescriptor::Create(WString(L"skin"));
    skin->SetLookList(list);
    const auto descriptor = MakeDescriptor(L"floating");
    descriptor->SetSkin(skin);
    descriptor->GetLayout()->clipToParent = false;
    descriptor->GetLayout()->axes[0].textOverflow = LLayoutDescriptor::kOverflowWrap;

    const RCPtr<RecordingControl> grand = MakeControl(L"grand");
    const RCPtr<RecordingControl> parent = MakeControl(L"parent", grand);
    const RCPtr<RecordingControl> child(new RecordingControl(parent, descriptor));
    // The child joined before it had a layout: nothing counted yet.
    EXPECT_EQ(parent->GetUnclippedDescendantCount(), 0);
    ASSERT_EQ(child->ApplyDescriptor(descriptor), S_OK);
    EXPECT_EQ(parent->GetUnclippedDescendantCount(), 1);
    EXPECT_EQ(grand->GetUnclippedDescendantCount(), 1);

    // The empty entry of the list makes no look; look 0 is the active one.
    ASSERT_EQ(child->GetLookCount(), 2u);
    EXPECT_EQ(child->GetLook(0)->GetDescriptor()->GetName(), WString(L"normal"));
    EXPECT_EQ(child->GetLook(1)->GetDescriptor()->GetName(), WString(L"pressed"));
    EXPECT_TRUE(child->GetLook(0)->GetWordWrap());
    EXPECT_EQ(Weights(*child), (std::vector<float>{1, 0}));

    EXPECT_EQ(child->ApplyDescriptor(nullptr), E_INVALIDARG);
}
