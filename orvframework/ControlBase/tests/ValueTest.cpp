// A control's value and range, and the create parameters read while a control is made.
#include "ControlTreeSupport.h"

#include "notification/ValueParam.h"

#include <cmath>
#include <iterator>
#include <string>
#include <vector>

using namespace Orv;
using namespace OrvTest;

namespace
{
// Keeps the value parameters of the "NID_VALUE_CHANGE" notifications a control sends.
class ValueJournal : public LNotificationClient
{
public:
    ORVRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>&,
                                  const RCPtr<LNotification>& notification) override
    {
        const RCPtr<LValueParam> param(notification->param);
        values.push_back(param ? std::vector<double>{param->value, param->scaledValue}
                               : std::vector<double>{});
        return S_OK;
    }
    std::vector<std::vector<double>> values;
};

using ControlValues = ControlTreeTest;
} // namespace

TEST_F(ControlValues, CreateParametersSetValueFocusabilityTabAndToolTipInheritance)
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

TEST_F(ControlValues, TheValueIsClampedAndSentWithItsMappingOntoTheRange)
{
    Show(SkinDocument(Sub("root", 0, 0, 100, 100, "grey")), L"root");
    const RCPtr<ValueJournal> journal(new ValueJournal());
    journal->RegisterNotification(RCPtr<LNotificationDistributor>(root.Get()), L"NID_VALUE_CHANGE");

    ASSERT_EQ(root->SetValueRange(10, 20, LControl::kLinearScale), S_OK);
    EXPECT_DOUBLE_EQ(root->SetValue(1.5), 1.0);
    EXPECT_DOUBLE_EQ(root->SetValue(2.0), 1.0); // unchanged: nothing sent
    EXPECT_DOUBLE_EQ(root->SetValue(std::nan("")), 0.0);
    EXPECT_DOUBLE_EQ(root->SetValue(-1.0), 0.0);
    EXPECT_DOUBLE_EQ(root->SetValue(0.25), 0.25);
    ASSERT_EQ(journal->values.size(), 3u);
    EXPECT_EQ(journal->values[0], (std::vector<double>{1.0, 20.0}));
    EXPECT_EQ(journal->values[1], (std::vector<double>{0.0, 10.0}));
    EXPECT_EQ(journal->values[2], (std::vector<double>{0.25, 12.5}));

    // A new range sends nothing; the mapping follows it.
    ASSERT_EQ(root->SetValueRange(10, 1000, LControl::kLogarithmicScale), S_OK);
    EXPECT_EQ(journal->values.size(), 3u);
    root->SetValue(0.5);
    ASSERT_EQ(journal->values.size(), 4u);
    EXPECT_NEAR(journal->values[3][1], 100.0, 1e-9);

    // Refused ranges change nothing.
    for (const auto& range : {std::vector<double>{0, 10, 1}, std::vector<double>{-1, 10, 1},
                              std::vector<double>{10, 0, 1}, std::vector<double>{0, 1, 2},
                              std::vector<double>{0, 1, -1}})
    {
        EXPECT_EQ(root->SetValueRange(range[0], range[1], static_cast<int>(range[2])),
                  E_INVALIDARG);
    }
    EXPECT_EQ(root->GetMinimum(), 10);
    EXPECT_EQ(root->GetMaximum(), 1000);
    EXPECT_EQ(root->GetScale(), LControl::kLogarithmicScale);
    // A linear range may run backwards or through 0.
    EXPECT_EQ(root->SetValueRange(5, -5, LControl::kLinearScale), S_OK);
    EXPECT_DOUBLE_EQ(root->GetMappedValue(), 0.0);
}
