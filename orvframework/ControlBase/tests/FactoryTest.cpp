// The control factory: its registry of classes, making controls from descriptors, finding the
// current skin's descriptors, its font settings and the string tables it hands out.
#include "ControlTestSupport.h"
#include "RecordingRootWindow.h"

using namespace Orv;
using namespace OrvTest;

namespace
{
using Factory = ControlTest;

int gCalls = 0;

RCPtr<LControl>& CountingCreator(RCPtr<LControl>& result, const RCPtr<LControl>& parent,
                                 const RCPtr<LControlDescriptor>& descriptor)
{
    ++gCalls;
    return CreateControlOf<RecordingControl>(result, parent, descriptor);
}

RCPtr<LControl>& MakesNothing(RCPtr<LControl>& result, const RCPtr<LControl>&,
                              const RCPtr<LControlDescriptor>&)
{
    result = nullptr;
    return result;
}

// A skin document from its Skins' contents.
std::string Skins(const std::string& inside)
{
    return "<Skin_Definitions><Skins>" + inside + "</Skins></Skin_Definitions>";
}
} // namespace

TEST_F(Factory, TheFirstRegistrationOfANameStays)
{
    CreateFunction found = nullptr;
    ASSERT_EQ(factory->GetControlCreateFunction(WString(L"Test.Panel"), found), S_OK);
    EXPECT_EQ(found, &CreateControlOf<RecordingControl>);
    EXPECT_EQ(factory->RegisterControlCreateFunction(WString(L"Test.Panel"), &MakesNothing), S_OK);
    ASSERT_EQ(factory->GetControlCreateFunction(WString(L"Test.Panel"), found), S_OK);
    EXPECT_EQ(found, &CreateControlOf<RecordingControl>);
}

TEST_F(Factory, AnUnregisteredClassThrowsTheSameTextForEveryName)
{
    for (const wchar_t* name : {L"Test.Unknown", L"test.panel", L""})
    {
        const auto descriptor = LControlDescriptor::Create(WString(name), WString(L"x"), nullptr);
        RCPtr<LControl> control;
        try
        {
            factory->CreateControl(control, descriptor, nullptr);
            ADD_FAILURE() << "no exception";
        }
        catch (const Exception<std::runtime_error>& error)
        {
            EXPECT_STREQ(error.what(),
                         "Runtime Error : Orv::LControlFactory::GetControlCreateFunction"
                         " : ControlBase\\ControlFactory : Line 51");
        }
        EXPECT_FALSE(control);
    }
}

TEST_F(Factory, ADescriptorKeepsItsCreateFunction)
{
    factory->RegisterControlCreateFunction(WString(L"Test.Counted"), &CountingCreator);
    const auto descriptor =
        LControlDescriptor::Create(WString(L"Test.Counted"), WString(L"counted"), nullptr);
    EXPECT_EQ(descriptor->GetCreateFunction(), nullptr);
    gCalls = 0;
    RCPtr<LControl> first;
    RCPtr<LControl> second;
    ASSERT_EQ(factory->CreateControl(first, descriptor, nullptr), S_OK);
    EXPECT_EQ(descriptor->GetCreateFunction(), &CountingCreator);
    ASSERT_EQ(factory->CreateControl(second, descriptor, nullptr), S_OK);
    EXPECT_EQ(gCalls, 2);
    EXPECT_NE(first.Get(), second.Get());

    // A kept function is used without a search: no registration is needed.
    const auto kept =
        LControlDescriptor::Create(WString(L"Test.NeverRegistered"), WString(L"kept"), nullptr);
    kept->SetCreateFunction(&CountingCreator);
    RCPtr<LControl> control;
    EXPECT_EQ(factory->CreateControl(control, kept, nullptr), S_OK);
    EXPECT_EQ(gCalls, 3);
}

TEST_F(Factory, MakingNothingIsAFailure)
{
    RCPtr<LControl> control(MakeControl(L"old"));
    EXPECT_EQ(factory->CreateControl(control, nullptr, nullptr), E_FAIL);
    EXPECT_FALSE(control);

    factory->RegisterControlCreateFunction(WString(L"Test.Null"), nullptr);
    factory->RegisterControlCreateFunction(WString(L"Test.Nothing"), &MakesNothing);
    for (const wchar_t* className : {L"Test.Null", L"Test.Nothing"})
    {
        const auto descriptor =
            LControlDescriptor::Create(WString(className), WString(L"x"), nullptr);
        EXPECT_EQ(factory->CreateControl(control, descriptor, nullptr), E_FAIL);
        EXPECT_FALSE(control);
    }
}

TEST_F(Factory, WithoutSkinsEveryReaderOfTheCurrentSkinAnswersNothing)
{
    EXPECT_EQ(factory->GetSkinCount(), 0u);
    EXPECT_FALSE(factory->FindControlDescriptor(WString(L"mainControl")));
    WString fontName(L"kept");
    float fontSize = 3;
    int fontStyle = 7;
    EXPECT_EQ(factory->GetSkinFontSettings(fontName, fontSize, fontStyle), E_FAIL);
    EXPECT_EQ(fontName, WString(L"kept"));
    RCPtr<LControl> control;
    EXPECT_EQ(factory->CreateTopLevelControl(control, WString(L"mainControl"), nullptr), E_FAIL);
    EXPECT_FALSE(control);
    EXPECT_EQ(factory->ReapplyDescriptor(MakeControl(L"mainControl")), E_FAIL);
    EXPECT_EQ(factory->ReapplyDescriptor(nullptr), E_FAIL);

    // The same for a current index outside the loaded skins.
    const std::string document = Skins("<Skin Name=\"one\"><SubControl Class=\"Test.Panel\" "
                                       "Name=\"mainControl\"/></Skin>");
    ASSERT_EQ(factory->LoadSkinDocument(AsDocument(document)), S_OK);
    for (const int index : {-1, 1, 1000})
    {
        factory->SetCurrentSkinIndex(index);
        EXPECT_FALSE(factory->GetSkin(index));
        EXPECT_FALSE(factory->FindControlDescriptor(WString(L"mainControl"))) << index;
        EXPECT_EQ(factory->GetSkinFontSettings(fontName, fontSize, fontStyle), E_FAIL);
        EXPECT_EQ(factory->CreateTopLevelControl(control, WString(L"mainControl"), nullptr),
                  E_FAIL);
    }
    factory->SetCurrentSkinIndex(0);
    EXPECT_TRUE(factory->FindControlDescriptor(WString(L"mainControl")));
}

TEST_F(Factory, FindControlDescriptorSearchesTheCurrentSkinsTopLevelFromTheLast)
{
    const std::string document =
        Skins("<Skin Name=\"one\">"
              "  <SubControl Class=\"Test.Panel\" Name=\"twice\" Z_Order=\"1\">"
              "    <SubControl Class=\"Test.Button\" Name=\"nested\"/>"
              "  </SubControl>"
              "  <SubControl Class=\"Test.Panel\" Name=\"twice\" Z_Order=\"2\"/>"
              "</Skin>"
              "<Skin Name=\"two\"><SubControl Class=\"Test.Panel\" Name=\"twice\" "
              "Z_Order=\"3\"/></Skin>");
    ASSERT_EQ(factory->LoadSkinDocument(AsDocument(document)), S_OK);
    ASSERT_EQ(factory->GetSkinCount(), 2u);
    EXPECT_EQ(factory->GetCurrentSkinIndex(), 0);
    ASSERT_TRUE(factory->FindControlDescriptor(WString(L"twice")));
    EXPECT_EQ(factory->FindControlDescriptor(WString(L"twice"))->GetLayout()->zOrder, 2);
    EXPECT_FALSE(factory->FindControlDescriptor(WString(L"nested")));
    EXPECT_FALSE(factory->FindControlDescriptor(WString(L"Twice")));
    factory->SetCurrentSkinIndex(1);
    EXPECT_EQ(factory->FindControlDescriptor(WString(L"twice"))->GetLayout()->zOrder, 3);
}

TEST_F(Factory, ATopLevelControlIsMadeVisibleAndGivenItsRootWindow)
{
    const std::string document =
        Skins("<Skin Name=\"one\"><SubControl Class=\"Test.Panel\" Name=\"main\">"
              "<SubControl Class=\"Test.Button\" Name=\"child\" IsVisible=\"False\"/>"
              "</SubControl></Skin>");
    ASSERT_EQ(factory->LoadSkinDocument(AsDocument(document)), S_OK);
    const RCPtr<LControlDescriptor> descriptor = factory->FindControlDescriptor(WString(L"main"));
    descriptor->GetLayout()->visible = false;

    const RCPtr<IRootWindow> window(new RecordingRootWindow());
    RCPtr<LControl> control;
    ASSERT_EQ(factory->CreateTopLevelControl(control, WString(L"main"), window), S_OK);
    EXPECT_TRUE(descriptor->GetLayout()->visible);
    EXPECT_EQ(control->GetRootWindow().Get(), window.Get());
    const RCPtr<LControl> child = control->FindChildControl(WString(L"child"));
    ASSERT_TRUE(child);
    EXPECT_FALSE(child->GetLayout()->visible);
    EXPECT_FALSE(child->GetRootWindow());
    EXPECT_EQ(factory->CreateTopLevelControl(control, WString(L"child"), window), E_FAIL);
}

TEST_F(Factory, ReapplyDescriptorFindsTheDescriptorOfTheControlsName)
{
    const std::string document =
        Skins("<Skin Name=\"one\"><SubControl Class=\"Test.Panel\" Name=\"main\"/></Skin>");
    ASSERT_EQ(factory->LoadSkinDocument(AsDocument(document)), S_OK);
    const RCPtr<RecordingControl> fresh = MakeControl(L"main");
    EXPECT_EQ(factory->ReapplyDescriptor(fresh), S_OK);
    EXPECT_EQ(fresh->GetDescriptor().Get(), factory->FindControlDescriptor(WString(L"main")).Get());
    EXPECT_EQ(factory->ReapplyDescriptor(MakeControl(L"other")), E_FAIL);
}

TEST_F(Factory, SkinFontSettingsCopyOnlyWhatTheSkinSets)
{
    struct Case
    {
        const char* attributes;
        ORVRESULT result;
        const wchar_t* name;
        float size;
        int style;
    };
    const Case cases[] = {
        {"", S_FALSE, L"caller", 42.0f, 9},
        {"FontName=\"Sans\" FontSize=\"11\" FontStyle=\"3\"", S_OK, L"Sans", 11.0f, 3},
        {"FontSize=\"0.5\"", S_FALSE, L"caller", 42.0f, 9},
        {"FontSize=\"1\" FontStyle=\"-1\"", S_OK, L"caller", 1.0f, 9},
        {"FontStyle=\"0\"", S_OK, L"caller", 42.0f, 0},
    };
    for (const Case& c : cases)
    {
        const RCPtr<LControlFactory> own(new LControlFactory(WString(L"TestApp")));
        const std::string document = Skins(std::string("<Skin Name=\"s\" ") + c.attributes + "/>");
        ASSERT_EQ(own->LoadSkinDocument(AsDocument(document)), S_OK);
        WString name(L"caller");
        float size = 42.0f;
        int style = 9;
        EXPECT_EQ(own->GetSkinFontSettings(name, size, style), c.result) << c.attributes;
        EXPECT_EQ(name, WString(c.name)) << c.attributes;
        EXPECT_EQ(size, c.size) << c.attributes;
        EXPECT_EQ(style, c.style) << c.attributes;
    }
}

TEST_F(Factory, DescriptorsMadeInCodeShareWhatTheirModelHolds)
{
    const auto model = MakeDescriptor(L"model");
    MakeDescriptor(L"child", model.Get());
    RCPtr<LStringTable> params(new LStringTable());
    model->SetCreateParams(params);
    model->SetCreateFunction(&CreateControlOf<RecordingControl>);
    const RCPtr<LLayoutDescriptor> layout = LLayoutDescriptor::Create();

    RCPtr<LControlDescriptor> made;
    LControlFactory::MakeControlDescriptor(made, model, layout, WString(L"made"));
    ASSERT_TRUE(made);
    EXPECT_EQ(made->GetName(), WString(L"made"));
    EXPECT_EQ(made->GetClassName(), model->GetClassName());
    EXPECT_EQ(made->GetLayout().Get(), layout.Get());
    EXPECT_EQ(made->GetCreateParams().Get(), params.Get());
    EXPECT_EQ(made->GetCreateFunction(), model->GetCreateFunction());
    ASSERT_EQ(made->GetChildren().GetCount(), 1u);
    EXPECT_EQ(made->GetChildren().GetConstElementPointer(0).Get(),
              model->GetChildren().GetConstElementPointer(0).Get());

    // A clone with an empty name keeps the name; the child arrays are separate.
    RCPtr<LControlDescriptor> clone;
    model->Clone(clone, WString());
    EXPECT_EQ(clone->GetName(), WString(L"model"));
    clone->GetChildren().AddItem(MakeDescriptor(L"extra"));
    EXPECT_EQ(model->GetChildren().GetCount(), 1u);
    EXPECT_EQ(made->GetChildren().GetCount(), 1u);

    RCPtr<LControl> control;
    ASSERT_EQ(factory->CreateControl(control, made, nullptr), S_OK);
    EXPECT_EQ(control->GetName(), WString(L"made"));
}

TEST_F(Factory, StringTablesAreHandedOutAsCopiesByCaseSensitiveKeys)
{
    const std::string strings = ReadFile(TestDataPath("AppStrings.xml"));
    const LControlFactory::Document document = AsDocument(strings);
    ASSERT_EQ(factory->LoadStringTableDocuments(&document, nullptr, 9), S_FALSE);

    RCPtr<LStringTable> first;
    RCPtr<LStringTable> second;
    factory->GetApplicationStringTable(first);
    factory->GetApplicationStringTable(second);
    ASSERT_TRUE(first);
    ASSERT_TRUE(second);
    EXPECT_NE(first.Get(), second.Get());
    EXPECT_EQ(first->GetEntries(), second->GetEntries());
    EXPECT_EQ(first->SetCreateParam(WString(L"APP_TITLE"), WString(L"changed")), S_FALSE);
    EXPECT_EQ(first->SetCreateParam(WString(L"NEW"), WString(L"new")), S_OK);
    EXPECT_EQ(first->SetCreateParam(WString(), WString(L"x")), E_INVALIDARG);
    WString text;
    EXPECT_TRUE(first->Lookup(L"APP_TITLE", text));
    EXPECT_EQ(text, WString(L"changed"));
    RCPtr<LStringTable> third;
    factory->GetApplicationStringTable(third);
    EXPECT_TRUE(third->Lookup(L"APP_TITLE", text));
    EXPECT_EQ(text, WString(L"Firmware Updater"));
    EXPECT_FALSE(third->Lookup(L"app_title", text));

    // A sub-control's table: its parent's class, "|" and its name.
    RCPtr<LControl> panel;
    ASSERT_EQ(factory->CreateControl(
                  panel,
                  LControlDescriptor::Create(WString(L"Test.Panel"), WString(L"panel"), nullptr),
                  nullptr),
              S_OK);
    RCPtr<LStringTable> table;
    EXPECT_TRUE(factory->GetStringTable(table, panel, WString(L"second")));
    EXPECT_FALSE(factory->GetStringTable(table, panel, WString(L"Second")));
    EXPECT_TRUE(factory->GetStringTable(table, nullptr, WString(L"mainControl")));
    EXPECT_FALSE(factory->GetStringTable(table, nullptr, WString(L"maincontrol")));
    EXPECT_FALSE(factory->GetFrameworkStringTable(table));
}
