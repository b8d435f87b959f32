// A control's tool tip: made from the skin's "toolTip" descriptor under the control, given the
// control's text and armed; used again on the next show; nothing shown without a descriptor.
#include "ControlTreeSupport.h"

#include "ControlBase/ToolTipInterface.h"

using namespace Orv;
using namespace OrvTest;

namespace
{
std::vector<std::string>* gCalls = nullptr;

// Stands in for the tool tip of the core controls: notes what it is asked.
class RecordingToolTip : public LControl, public IToolTip
{
public:
    RecordingToolTip(const RCPtr<LControl>& parent, const RCPtr<LControlDescriptor>& descriptor)
        : LControl(parent, descriptor)
    {
    }
    ORVRESULT BeginShow() override
    {
        gCalls->push_back("show " + RecordingControl::Narrow(GetText()));
        return S_OK;
    }
    ORVRESULT Hide() override
    {
        gCalls->push_back("hide");
        return S_OK;
    }
};

// A control with a tool-tip text of its own.
class Tipped : public RecordingControl
{
public:
    using RecordingControl::RecordingControl;
    WString GetToolTipText() const override { return WString(L"Tip of the panel"); }
};

// A part that shows its parent's tool tip, as "USE_PARENT_TOOLTIP" makes it.
class PartOfTipped : public RecordingControl
{
public:
    PartOfTipped(const RCPtr<LControl>& parent, const RCPtr<LControlDescriptor>& descriptor)
        : RecordingControl(parent, descriptor)
    {
        SetUseParentToolTip(true);
    }
};

class ToolTip : public ControlTreeTest
{
protected:
    void SetUp() override
    {
        ControlTreeTest::SetUp();
        factory->RegisterControlCreateFunction(WString(L"Test.ToolTip"),
                                               &CreateControlOf<RecordingToolTip>);
        factory->RegisterControlCreateFunction(WString(L"Test.Tipped"), &CreateControlOf<Tipped>);
        factory->RegisterControlCreateFunction(WString(L"Test.Part"),
                                               &CreateControlOf<PartOfTipped>);
        gCalls = &calls;
    }
    void TearDown() override
    {
        ControlTreeTest::TearDown();
        gCalls = nullptr;
    }

    // The tree: "panel" with a tool-tip text, its part "part" and a plain control "plain";
    // with toolTip, a "toolTip" descriptor in the skin.
    void ShowTree(bool toolTip)
    {
        const std::string tree =
            Sub("root", 0, 0, 300, 200, "grey", "",
                "<SubControl Class=\"Test.Tipped\" Name=\"panel\" XSizeAbs=\"100\" "
                "YSizeAbs=\"50\"><Skin Name=\"panelSkin\" LookList=\"red\"/>" +
                    std::string("<SubControl Class=\"Test.Part\" Name=\"part\" XSizeAbs=\"20\" "
                                "YSizeAbs=\"20\"><Skin Name=\"partSkin\" LookList=\"green\"/>"
                                "</SubControl></SubControl>") +
                    Sub("plain", 0, 60, 100, 50, "blue"));
        const std::string tip = toolTip ? "<SubControl Class=\"Test.ToolTip\" Name=\"toolTip\" "
                                          "XSizeAbs=\"80\" YSizeAbs=\"20\"/>"
                                        : "";
        Show(SkinDocument(tree + tip), L"root");
    }

    std::vector<std::string> calls;
};

TEST_F(ToolTip, AShownToolTipIsMadeOnceAndUsedAgain)
{
    ShowTree(true);
    const RCPtr<LControl> panel = At("panel");
    EXPECT_EQ(panel->ShowToolTip(true), S_OK);
    EXPECT_EQ(panel->ShowToolTip(false), S_OK);
    EXPECT_EQ(panel->ShowToolTip(true), S_OK);
    EXPECT_EQ(calls,
              (std::vector<std::string>{"show Tip of the panel", "hide", "show Tip of the panel"}));
    // One tool-tip child, however often it was shown.
    int tips = 0;
    for (unsigned int i = 0; i < panel->GetChildren().GetCount(); ++i)
    {
        tips += panel->GetChildren().children.GetConstElementPointer(i)->GetName() ==
                WString(L"toolTip");
    }
    EXPECT_EQ(tips, 1);
}

TEST_F(ToolTip, APartShowsTheToolTipOfItsParent)
{
    ShowTree(true);
    EXPECT_EQ(At("panel/part")->GetToolTipText(), WString(L"Tip of the panel"));
    EXPECT_EQ(At("panel/part")->ShowToolTip(true), S_OK);
    EXPECT_EQ(calls, std::vector<std::string>{"show Tip of the panel"});
    // Without a text nothing is made or shown.
    EXPECT_EQ(At("plain")->ShowToolTip(true), S_OK);
    EXPECT_FALSE(At("plain/toolTip"));
    EXPECT_EQ(At("plain")->ShowToolTip(false), S_OK);
    EXPECT_EQ(calls.size(), 1u);
}

TEST_F(ToolTip, WithoutAToolTipInTheSkinNothingIsShown)
{
    ShowTree(false);
    const RCPtr<LControl> panel = At("panel");
    EXPECT_EQ(panel->ShowToolTip(true), E_FAIL);
    EXPECT_EQ(panel->ShowToolTip(false), S_OK);
    EXPECT_FALSE(At("panel/toolTip"));
    EXPECT_TRUE(calls.empty());
}
} // namespace
