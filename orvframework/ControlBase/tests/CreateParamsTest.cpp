// The create parameters read while a control is made.
#include "ControlTreeSupport.h"

#include <iterator>
#include <string>
#include <vector>

using namespace Orv;
using namespace OrvTest;

namespace
{
using CreateParams = ControlTreeTest;
} // namespace

TEST_F(CreateParams, CreateParametersSetValueFocusabilityTabAndToolTipInheritance)
{
    const struct
    {
        const char* params; // the CreateParam elements; null: no create parameters at all
        const char* tabStop;
        double value;
        bool notFocusable;
        bool wantsTab;
        bool parentToolTip;
    } cases[] = {
        {nullptr, "0", 0, false, false, false},
        {nullptr, "-1", 0, true, false, false},
        // Parameters that do not name NOT_FOCUSABLE: the tab stop's sign still decides.
        {"<CreateParam ID=\"OTHER\">x</CreateParam>", "-1", 0, true, false, false},
        {"<CreateParam ID=\"OTHER\">x</CreateParam>", "3", 0, false, false, false},
        {"<CreateParam ID=\"NOT_FOCUSABLE\"> TRUE </CreateParam>", "2", 0, true, false, false},
        {"<CreateParam ID=\"NOT_FOCUSABLE\">yes</CreateParam>", "-2", 0, false, false, false},
        {"<CreateParam ID=\"INITIAL_VALUE\">0.25</CreateParam>", "0", 0.25, false, false, false},
        {"<CreateParam ID=\"INITIAL_VALUE\"> 7.5e-1xyz</CreateParam>", "0", 0.75, false, false,
         false},
        {"<CreateParam ID=\"INITIAL_VALUE\">1.5</CreateParam>", "0", 1.0, false, false, false},
        {"<CreateParam ID=\"INITIAL_VALUE\">-3</CreateParam>", "0", 0, false, false, false},
        {"<CreateParam ID=\"INITIAL_VALUE\">nan</CreateParam>", "0", 0, false, false, false},
        {"<CreateParam ID=\"INITIAL_VALUE\">abc</CreateParam>", "0", 0, false, false, false},
        {"<CreateParam ID=\"WANTS_TAB\">True</CreateParam>", "0", 0, false, true, false},
        {"<CreateParam ID=\"WANTS_TAB\">1</CreateParam>", "0", 0, false, false, false},
        {"<CreateParam ID=\"USE_PARENT_TOOLTIP\">\ttrue </CreateParam>", "0", 0, false, false,
         true},
        {"<CreateParam ID=\"INITIAL_VALUE\">0.5</CreateParam>"
         "<CreateParam ID=\"NOT_FOCUSABLE\">true</CreateParam>"
         "<CreateParam ID=\"WANTS_TAB\">true</CreateParam>"
         "<CreateParam ID=\"USE_PARENT_TOOLTIP\">true</CreateParam>",
         "0", 0.5, true, true, true},
    };
    // One child per case, made from one skin.
    std::string children;
    for (size_t i = 0; i < std::size(cases); ++i)
    {
        const auto& c = cases[i];
        const std::string params =
            c.params ? std::string("<CreateParamList>") + c.params + "</CreateParamList>" : "";
        children += Sub(std::string("c").append(std::to_string(i)).c_str(), 0, 0, 20, 20, "red",
                        std::string("TabStop=\"") + c.tabStop + "\"", params);
    }
    Show(SkinDocument(Sub("root", 0, 0, 100, 100, "grey", "", children)), L"root");
    for (size_t i = 0; i < std::size(cases); ++i)
    {
        const auto& c = cases[i];
        SCOPED_TRACE(std::string(c.params ? c.params : "(none)") + ", tab stop " + c.tabStop);
        const RCPtr<LControl> made = At(std::string("c").append(std::to_string(i)));
        ASSERT_TRUE(made);
        EXPECT_DOUBLE_EQ(made->GetValue(), c.value);
        EXPECT_EQ(made->IsNotFocusable(false), c.notFocusable);
        // The tab stop's sign follows the flag.
        EXPECT_EQ(made->GetLayout()->tabStop < 0, c.notFocusable);
        EXPECT_EQ(made->WantsTab(), c.wantsTab);
        EXPECT_EQ(made->UsesParentToolTip(), c.parentToolTip);
    }
}
