// Whether a control's text is cut off by the text area of its active look, measured by the GDI+
// renderer; and the part a look's text is drawn in, replaced at run time.
#include "ControlTreeSupport.h"

#include "Renderer/Gdi/GDIRenderer.h"
#include "Renderer/ProcessMeasurementRenderer.h"

using namespace Orv;
using namespace OrvTest;

namespace
{
class TextWidth : public ControlTreeTest
{
protected:
    void SetUp() override
    {
        ControlTreeTest::SetUp();
        measurer = new LGDIRenderer();
        SetMeasurementRenderer(ConstRCPtr<LRenderer>(measurer.Get()));
    }
    void TearDown() override
    {
        SetMeasurementRenderer(nullptr);
        ControlTreeTest::TearDown();
    }

    RCPtr<LGDIRenderer> measurer;
};

TEST_F(TextWidth, TheTextIsCutOffWhenItsFirstLineIsWiderThanTheTextArea)
{
    // "label" draws its text in an area 2 pixels in from the left and right.
    Show(SkinDocument(
             Sub("root", 0, 0, 400, 200, "grey", "",
                 Sub("narrow", 0, 0, 40, 20, "label") + Sub("wide", 0, 30, 300, 20, "label") +
                     Sub("plain", 0, 60, 40, 20, "red") + Sub("bare", 0, 90, 40, 20, nullptr))),
         L"root");
    struct Case
    {
        const char* control;
        const wchar_t* text;
        bool cutOff;
    };
    const Case cases[] = {
        {"narrow", L"Hi", false},
        {"narrow", L"A much longer text", true},
        {"narrow", L"", false},
        // Only the first line counts.
        {"narrow", L"Hi\nA much longer second line", false},
        {"wide", L"A much longer text", false},
        // A look without a text part: cut off whenever there is any text.
        {"plain", L"x", true},
        {"plain", L"", false},
        // No look at all.
        {"bare", L"A much longer text", false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(std::string(c.control) + " \"" + RecordingControl::Narrow(WString(c.text)) +
                     "\"");
        const RCPtr<LControl> control = At(c.control);
        control->SetText(WString(c.text));
        EXPECT_EQ(control->MeasureTextWidth(), c.cutOff);
    }
    // Without a weighted look nothing is measured.
    const RCPtr<LControl> narrow = At("narrow");
    narrow->SetText(WString(L"A much longer text"));
    ASSERT_EQ(narrow->SetLookWeight(0, 0.0f, false), S_OK);
    EXPECT_FALSE(narrow->MeasureTextWidth());
}

TEST_F(TextWidth, ALooksTextPartIsReplacedByAnotherPart)
{
    Show(SkinDocument(
             Sub("root", 0, 0, 400, 200, "grey", "",
                 Sub("label", 0, 0, 40, 20, "label") + Sub("green", 0, 30, 40, 20, "green"))),
         L"root");
    const RCPtr<LControl> label = At("label");
    const RCPtr<LVisualPart> red = label->GetLook(0)->GetForegroundPart();
    ASSERT_TRUE(red);
    // The client part of another control's look.
    const RCPtr<LVisualPart> green =
        At("green")->GetLook(0)->GetDescriptor()->GetClientPart()->GetVisualPart();
    ASSERT_TRUE(green);
    EXPECT_EQ(label->SetLookMember(green, 0), S_OK);
    EXPECT_EQ(label->GetLook(0)->GetForegroundPart().Get(), green.Get());
    EXPECT_EQ(label->SetLookMember(green, 0), S_OK);
    // No such look, or no part: nothing changes.
    EXPECT_EQ(label->SetLookMember(red, 1), E_FAIL);
    EXPECT_EQ(label->SetLookMember(red, -1), E_FAIL);
    EXPECT_EQ(label->SetLookMember(nullptr, 0), E_INVALIDARG);
    EXPECT_EQ(label->GetLook(0)->GetForegroundPart().Get(), green.Get());
}
} // namespace
