// The client rectangle of a control: the client part of its active look, from the moment a
// control made from a skin shows its look 0, and again each time another look becomes the
// active one.
#include "ControlTreeSupport.h"

using namespace Orv;
using namespace OrvTest;

namespace
{
// A panel 100 x 50 whose look 0 is "framed" (its client part starts 10 pixels from the left) and
// whose look 1 is "grey" (its client part is all of it).
class ClientRect : public ControlTreeTest
{
protected:
    void SetUp() override
    {
        ControlTreeTest::SetUp();
        Show(SkinDocument(Sub("root", 0, 0, 300, 200, "grey", "",
                              Sub("panel", 5, 5, 100, 50, "framedThenGrey")),
                          "",
                          "<LookList Name=\"framedThenGrey\" NumLooks=\"2\">"
                          "<Look Name=\"framed\" Index=\"0\"/><Look Name=\"grey\" Index=\"1\"/>"
                          "</LookList>"),
             L"root");
        ASSERT_TRUE(root);
        panel = At("panel");
        ASSERT_TRUE(panel);
    }

    RCPtr<LControl> panel;
};

const RectT<double> kFramed(10, 0, 90, 50);
const RectT<double> kWhole(0, 0, 100, 50);
} // namespace

TEST_F(ClientRect, IsTheClientPartOfTheLookThatShows)
{
    // The control was laid out before its look 0 showed; its rectangle has not changed since.
    EXPECT_EQ(panel->GetActiveLookIndex(), 0);
    EXPECT_EQ(panel->GetClientRect(), kFramed);
    EXPECT_FALSE(panel->IsClientRectChanged());

    const struct
    {
        const char* what;
        int index;
        float weight;
        bool exclusive;
        int active;
        RectT<double> client;
    } steps[] = {
        {"look 1 alone", 1, 1.0f, true, 1, kWhole},
        {"a weight on look 0 makes it the active look again", 0, 0.5f, false, 0, kFramed},
        {"a weight on a later look changes nothing", 1, 0.25f, false, 0, kFramed},
        {"no look weighted: the whole control", 0, 0.0f, true, -1, kWhole},
        {"look 0 alone", 0, 1.0f, true, 0, kFramed},
        {"the same look again", 0, 1.0f, true, 0, kFramed},
    };
    for (const auto& s : steps)
    {
        ASSERT_EQ(panel->SetLookWeight(s.index, s.weight, s.exclusive), S_OK) << s.what;
        EXPECT_EQ(panel->GetActiveLookIndex(), s.active) << s.what;
        EXPECT_EQ(panel->GetClientRect(), s.client) << s.what;
        EXPECT_FALSE(panel->IsClientRectChanged()) << s.what;
    }
}

TEST_F(ClientRect, TheScrolledAreaFollowsTheClientSizeOfTheLookThatShows)
{
    panel->SetScrollingEnabled(true);
    panel->UpdateScrollExtent();
    RECT bounds{};
    ASSERT_TRUE(panel->GetPendingInvalidRegion().GetBounds(bounds));
    EXPECT_EQ(bounds.right - bounds.left, 90);

    ASSERT_EQ(panel->SetActiveLook(1), S_OK);
    ASSERT_TRUE(panel->GetPendingInvalidRegion().GetBounds(bounds));
    EXPECT_EQ(bounds.left, 0);
    EXPECT_EQ(bounds.top, 0);
    EXPECT_EQ(bounds.right, 100);
    EXPECT_EQ(bounds.bottom, 50);
}
