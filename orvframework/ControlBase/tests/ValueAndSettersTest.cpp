// Values and their ranges, look weights, child renaming, the content offset, idle requests and
// keys that a control keeps for itself, on controls of a skin document in a recording window.
#include "ControlTreeSupport.h"

#include "notification/KeyCode.h"
#include "notification/ValueParam.h"

#include <cmath>
#include <limits>

using namespace Orv;
using namespace OrvTest;

namespace
{
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();

// Notes the values a control reports.
class ValueJournal : public LNotificationClient
{
public:
    ORVRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>&,
                                  const RCPtr<LNotification>& notification) override
    {
        if (auto* value = dynamic_cast<LValueParam*>(notification->param.Get()))
        {
            values.push_back({value->value, value->scaledValue});
        }
        else
        {
            ++others;
        }
        return S_OK;
    }

    std::vector<std::pair<double, double>> values;
    int others = 0;
};

// A control that keeps Tab (as the create parameter "WANTS_TAB" makes it).
class TabKeeper : public RecordingControl
{
public:
    TabKeeper(const RCPtr<LControl>& parent, const RCPtr<LControlDescriptor>& descriptor)
        : RecordingControl(parent, descriptor)
    {
        SetWantsTab(true);
    }
};

class ValueAndSetters : public ControlTreeTest
{
protected:
    void SetUp() override
    {
        ControlTreeTest::SetUp();
        factory->RegisterControlCreateFunction(WString(L"Test.TabKeeper"),
                                               &CreateControlOf<TabKeeper>);
        Show(SkinDocument(Sub("root", 0, 0, 300, 200, "grey", "",
                              Sub("a", 10, 10, 50, 30, "two") + Sub("b", 70, 10, 50, 30, "red") +
                                  Sub("c", 130, 10, 50, 30, "red") +
                                  "<SubControl Class=\"Test.TabKeeper\" Name=\"keeper\" "
                                  "XPositionAbs=\"10\" YPositionAbs=\"50\" XSizeAbs=\"50\" "
                                  "YSizeAbs=\"30\"><Skin Name=\"keeperSkin\" LookList=\"red\"/>"
                                  "</SubControl>"),
                          "",
                          "<LookList Name=\"two\" NumLooks=\"2\"><Look Name=\"red\" Index=\"0\"/>"
                          "<Look Name=\"green\" Index=\"1\"/></LookList>"),
             L"root");
        ASSERT_TRUE(root);
    }
};

TEST_F(ValueAndSetters, ValuesAreClampedMappedAndSentOnlyWhenTheyChange)
{
    const RCPtr<LControl> a = At("a");
    const RCPtr<ValueJournal> journal(new ValueJournal());
    journal->RegisterNotification(RCPtr<LNotificationDistributor>(a.Get()), L"NID_VALUE_CHANGE");
    struct Case
    {
        double given;
        double stored;
        bool sent;
    };
    // Linear range 0..1 first.
    const Case cases[] = {
        {0.25, 0.25, true},     {1.5, 1.0, true},        {2.0, 1.0, false}, {-3.0, 0.0, true},
        {0.0, 0.0, false},      {kNaN, 0.0, false},      {0.5, 0.5, true},  {kNaN, 0.5, false},
        {kInfinity, 1.0, true}, {-kInfinity, 0.0, true},
    };
    for (const Case& c : cases)
    {
        const size_t before = journal->values.size();
        EXPECT_EQ(a->SetValue(c.given), c.stored) << c.given;
        EXPECT_EQ(a->GetValue(), c.stored) << c.given;
        EXPECT_EQ(journal->values.size() - before, c.sent ? 1u : 0u) << c.given;
    }

    // A logarithmic range maps the middle to the geometric mean.
    EXPECT_EQ(a->SetValueRange(10.0, 1000.0, 1), S_OK);
    a->SetValue(0.5);
    ASSERT_FALSE(journal->values.empty());
    EXPECT_DOUBLE_EQ(journal->values.back().first, 0.5);
    EXPECT_NEAR(journal->values.back().second, 100.0, 1e-9);
    EXPECT_EQ(a->SetValueRange(-2.0, 6.0, 0), S_OK);
    EXPECT_DOUBLE_EQ(a->GetMappedValue(), 2.0);
    EXPECT_FALSE(std::isnan(a->GetMappedValue()));
}

TEST_F(ValueAndSetters, BadRangesAreRefusedAndChangeNothing)
{
    const RCPtr<LControl> a = At("a");
    ASSERT_EQ(a->SetValueRange(2.0, 4.0, 0), S_OK);
    a->SetValue(0.5);
    struct Case
    {
        double minimum;
        double maximum;
        int scale;
        ORVRESULT result;
    };
    const Case cases[] = {
        {0.0, 10.0, 1, E_INVALIDARG},
        {1.0, -10.0, 1, E_INVALIDARG},
        {1.0, 10.0, 2, E_INVALIDARG},
        {1.0, 10.0, -1, E_INVALIDARG},
        {kNaN, 10.0, 0, E_INVALIDARG},
        {1.0, kNaN, 1, E_INVALIDARG},
        {-kInfinity, kInfinity, 0, E_INVALIDARG},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(a->SetValueRange(c.minimum, c.maximum, c.scale), c.result) << c.minimum;
        EXPECT_DOUBLE_EQ(a->GetMappedValue(), 3.0) << c.minimum;
    }
    // A linear range may run backwards.
    EXPECT_EQ(a->SetValueRange(10.0, 0.0, 0), S_OK);
    EXPECT_DOUBLE_EQ(a->GetMappedValue(), 5.0);
}

TEST_F(ValueAndSetters, LookWeightsOutsideTheRangeAreRefusedAndChangeNothing)
{
    const RCPtr<LControl> a = At("a");
    ASSERT_EQ(a->GetLookCount(), 2u);
    ASSERT_EQ(a->SetLookWeight(1, 0.5f, false), S_OK);
    struct Case
    {
        int index;
        float weight;
        bool exclusive;
        ORVRESULT result;
    };
    const Case cases[] = {
        {2, 0.5f, false, E_INVALIDARG},
        {-1, 0.5f, false, E_INVALIDARG},
        // An exclusive weight outside 0..1 must not leave the control without a visible look.
        {0, 1.5f, true, E_INVALIDARG},
        {0, -0.1f, true, E_INVALIDARG},
        {0, std::numeric_limits<float>::quiet_NaN(), true, E_INVALIDARG},
        {1, std::numeric_limits<float>::infinity(), false, E_INVALIDARG},
    };
    for (const Case& c : cases)
    {
        window->invalidated.clear();
        EXPECT_EQ(a->SetLookWeight(c.index, c.weight, c.exclusive), c.result) << c.index;
        EXPECT_EQ(a->GetLookWeight(0), 1.0f) << c.index;
        EXPECT_EQ(a->GetLookWeight(1), 0.5f) << c.index;
        EXPECT_TRUE(window->invalidated.empty()) << c.index;
    }
    EXPECT_EQ(a->SetLookWeight(1, 1.0f, true), S_OK);
    EXPECT_EQ(a->GetLookWeight(0), 0.0f);
    EXPECT_EQ(a->GetActiveLookIndex(), 1);
}

TEST_F(ValueAndSetters, RenamingAChildUpdatesTheReferencesOfLaterSiblingsOnly)
{
    const RCPtr<LControl> a = At("a");
    const RCPtr<LControl> b = At("b");
    const RCPtr<LControl> c = At("c");
    a->GetLayout()->axes[0].position.reference = WString(L"b");
    c->GetLayout()->axes[0].position.reference = WString(L"b");
    c->GetLayout()->axes[1].size.reference = WString(L"b");
    EXPECT_EQ(root->SetChildControlName(b, WString(L"b")), S_FALSE);
    EXPECT_EQ(root->SetChildControlName(b, WString(L"c")), E_FAIL);
    EXPECT_EQ(root->SetChildControlName(RCPtr<LControl>(), WString(L"x")), E_INVALIDARG);
    EXPECT_EQ(a->SetChildControlName(b, WString(L"x")), E_INVALIDARG);
    EXPECT_EQ(b->GetName(), WString(L"b"));

    EXPECT_EQ(root->SetChildControlName(b, WString(L"renamed")), S_OK);
    EXPECT_EQ(b->GetName(), WString(L"renamed"));
    EXPECT_EQ(root->FindChildControl(WString(L"renamed")).Get(), b.Get());
    EXPECT_FALSE(root->FindChildControl(WString(L"b")));
    // A child that leaves frees its name.
    EXPECT_GE(root->GetChildren().Remove(b.Get()), 0);
    EXPECT_FALSE(root->FindChildControl(WString(L"renamed")));
    EXPECT_EQ(root->GetChildren().Add(b.Get()), S_OK);
    EXPECT_EQ(root->FindChildControl(WString(L"renamed")).Get(), b.Get());
    EXPECT_EQ(a->GetLayout()->axes[0].position.reference, WString(L"b"));
    EXPECT_EQ(c->GetLayout()->axes[0].position.reference, WString(L"renamed"));
    EXPECT_EQ(c->GetLayout()->axes[1].size.reference, WString(L"renamed"));
}

TEST_F(ValueAndSetters, TheContentOffsetIsAppliedInWholePixelsOnce)
{
    const RCPtr<ValueJournal> journal(new ValueJournal());
    journal->RegisterNotification(RCPtr<LNotificationDistributor>(root.Get()),
                                  L"NID_SCROLL_OFFSET_CHANGE");
    const double bx = At("b")->GetRectInRoot().x;
    EXPECT_EQ(root->NotifyScrollOffsetChange(PointT<double>(10.5, -2.5)), S_OK);
    EXPECT_EQ(root->GetContentOffset().x, 11);
    EXPECT_EQ(root->GetContentOffset().y, -3);
    EXPECT_EQ(journal->others, 1);
    // The children moved with the content.
    EXPECT_EQ(At("b")->GetRectInRoot().x, bx - 11);
    EXPECT_EQ(root->NotifyScrollOffsetChange(PointT<double>(11.4, -3.4)), S_FALSE);
    EXPECT_EQ(journal->others, 1);
    EXPECT_EQ(root->GetVisibleContentRect(), RectT<double>(11, -3, 300, 200));
}

TEST_F(ValueAndSetters, IdleRequestsArePairedWithOneSubscription)
{
    const RCPtr<LControl> a = At("a");
    auto subscribers = [this]
    {
        const LNotificationDistributor::LNotificationClientPool* pool =
            window->idle->GetClientPool(InternNotificationName(L"NID_IDLE"));
        return pool != nullptr ? pool->GetRegistrationCount() : 0;
    };
    EXPECT_EQ(a->UnsubscribeIdle(), S_FALSE);
    EXPECT_EQ(a->SubscribeIdle(), S_OK);
    EXPECT_EQ(a->SubscribeIdle(), S_OK);
    EXPECT_EQ(subscribers(), 1);
    EXPECT_EQ(a->UnsubscribeIdle(), S_OK);
    EXPECT_EQ(subscribers(), 1);
    EXPECT_EQ(a->UnsubscribeIdle(), S_OK);
    EXPECT_EQ(subscribers(), 0);
    EXPECT_EQ(a->GetIdleRequestCount(), 0);

    // An axis that does not run gives nothing back.
    ASSERT_EQ(a->SubscribeIdle(), S_OK);
    EXPECT_EQ(a->StopAxisAnimation(0), S_FALSE);
    EXPECT_EQ(a->GetIdleRequestCount(), 1);
    EXPECT_EQ(a->StartAxisAnimation(0, kNaN, 10, 0, nullptr), E_INVALIDARG);
    EXPECT_EQ(a->StartAxisAnimation(2, 10, 10, 0, nullptr), E_INVALIDARG);
    EXPECT_EQ(a->StartAxisAnimation(0, 10, 10, 0, nullptr), S_OK);
    EXPECT_EQ(a->GetIdleRequestCount(), 2);
    // Leaving the tree gives back every request.
    a->Detach();
    EXPECT_EQ(subscribers(), 0);
    EXPECT_EQ(a->GetIdleRequestCount(), 0);
    EXPECT_FALSE(a->GetParent());

    // A control without a window keeps its request for the window it will have.
    EXPECT_EQ(a->SubscribeIdle(), S_OK);
    EXPECT_EQ(a->GetIdleRequestCount(), 1);
    EXPECT_EQ(subscribers(), 0);
}

TEST_F(ValueAndSetters, IdleWorkAskedForBeforeTheTreeHasAWindowRunsOnceItHasOne)
{
    const RCPtr<LControl> a = At("a");
    const RCPtr<LControl> b = At("b");
    // The tree leaves its window; an animation and a removal are asked for without one.
    root->SetRootWindow(nullptr);
    ASSERT_EQ(a->StartAxisAnimation(1, 100, 50, 0, nullptr), S_OK);
    ASSERT_EQ(root->RemoveChildControl(b), S_OK);
    EXPECT_EQ(a->GetIdleRequestCount(), 1);
    EXPECT_EQ(root->GetIdleRequestCount(), 1);
    EXPECT_FALSE(window->idle->IsClientRegistered(a.Get()));

    window->Host(root);
    EXPECT_TRUE(window->idle->IsClientRegistered(a.Get()));
    EXPECT_TRUE(window->idle->IsClientRegistered(root.Get()));
    window->clock = 100;
    window->idle->SendNotification(LNotification::Create(L"NID_IDLE", nullptr));
    // 100 pixels a second for 0.1 s; the queued child has left.
    EXPECT_EQ(a->GetContentOffset().y, 10);
    EXPECT_FALSE(b->GetParent());
    EXPECT_FALSE(root->FindChildControl(WString(L"b")));
    EXPECT_EQ(root->GetIdleRequestCount(), 0);
    EXPECT_FALSE(window->idle->IsClientRegistered(root.Get()));
}

TEST_F(ValueAndSetters, AChildMadeAgainUnderTheNameOfAQueuedRemovalJoinsItsParent)
{
    const RCPtr<LControl> c = At("c");
    ASSERT_EQ(root->RemoveChildControl(c), S_OK);
    // Before the idle pass the old child still holds its name in the list; the new one's
    // joining works off the queue first.
    const RCPtr<LControl> again(new RecordingControl(root, c->GetDescriptor()));
    EXPECT_EQ(again->GetParent().Get(), root.Get());
    EXPECT_EQ(root->FindChildControl(WString(L"c")).Get(), again.Get());
    EXPECT_FALSE(c->GetParent());
    EXPECT_EQ(root->GetIdleRequestCount(), 0);
}

TEST_F(ValueAndSetters, AControlThatWantsTabKeepsIt)
{
    const RCPtr<LControl> keeper = At("keeper");
    for (const RCPtr<LControl>& control : {root, At("a"), keeper})
    {
        control->SetNotFocusable(false);
    }
    ASSERT_EQ(keeper->SetFocus(true), S_OK);
    const RCPtr<LKeyParam> tab = LKeyParam::Create(KeyCode::FromVirtualKey(9, true, 0), false);
    keeper->OnKey(tab);
    EXPECT_EQ(window->focus.Get(), keeper.Get());
    EXPECT_EQ(window->cycles, 0);
    // The control can still leave with Ctrl+Tab, as a Tab on it in its parent: it is the last
    // in the tab order, so the window goes round to the first.
    const RCPtr<LKeyParam> ctrlTab =
        LKeyParam::Create(KeyCode::FromVirtualKey(9, true, KeyCode::kFlagCtrl), false);
    EXPECT_EQ(keeper->MoveFocusByTab(ctrlTab), S_OK);
    EXPECT_EQ(window->cycles, 1);
    EXPECT_EQ(window->focus.Get(), At("a").Get());
}

TEST_F(ValueAndSetters, TheNoWrapFlagKeepsATabWalkInsideItsContainer)
{
    const RCPtr<LControl> keeper = At("keeper");
    for (const RCPtr<LControl>& control : {root, At("a"), keeper})
    {
        control->SetNotFocusable(false);
    }
    At("b")->SetNotFocusable(true);
    At("c")->SetNotFocusable(true);
    struct Case
    {
        bool noWrap;
        bool backward;
        const char* from;
        const char* focus;
        int cycles;
    };
    // The tab order is a, keeper (b and c take no focus).
    const Case cases[] = {
        {false, false, "keeper", "keeper", 1}, // past the end: the window goes round
        {true, false, "keeper", "a", 0},       // round inside the container
        {false, true, "a", "a", 1},
        {true, true, "a", "keeper", 0},
        {true, false, "a", "keeper", 0}, // nothing wraps: as without the flag, past b and c
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(std::string(c.from) + (c.noWrap ? " no-wrap" : "") +
                     (c.backward ? " backward" : ""));
        const RCPtr<LControl> from = At(c.from);
        ASSERT_EQ(from->SetFocus(true), S_OK);
        window->cycles = 0;
        const RCPtr<LKeyParam> tab = LKeyParam::Create(
            KeyCode::FromVirtualKey(9, true, c.backward ? KeyCode::kFlagShift : 0), false);
        tab->noWrap = c.noWrap;
        tab->visitedControls.AddItem(RCPtr<LRefCountedObject>(from.Get()));
        EXPECT_EQ(root->MoveFocusByTab(tab), S_OK);
        EXPECT_EQ(window->cycles, c.cycles);
        if (c.cycles == 0)
        {
            EXPECT_EQ(window->focus.Get(), At(c.focus).Get())
                << (window->focus ? RecordingControl::Narrow(window->focus->GetName()) : "none");
        }
    }
}

TEST_F(ValueAndSetters, KeysNoControlTakesGoOnToTheWindowsHotKeys)
{
    const RCPtr<LControl> keeper = At("keeper");
    for (const RCPtr<LControl>& control : {root, At("a"), keeper})
    {
        control->SetNotFocusable(false);
    }
    const KeyCode f5 = KeyCode::FromVirtualKey(0x74, true, 0);
    const KeyCode ctrlX = KeyCode::FromCharacter('x', KeyCode::kFlagCtrl);
    // From a control deep in the tree, past its parent's siblings, and from the top-level
    // control itself.
    ASSERT_EQ(keeper->SetFocus(true), S_OK);
    EXPECT_EQ(keeper->OnKey(LKeyParam::Create(f5, false)), S_FALSE);
    ASSERT_EQ(root->SetFocus(true), S_OK);
    EXPECT_EQ(root->OnKey(LKeyParam::Create(ctrlX, false)), S_FALSE);
    EXPECT_EQ(window->hotKeys, (std::vector<LONG>{f5.code, ctrlX.code}));
    // Tab moves the focus instead.
    window->hotKeys.clear();
    keeper->OnKey(LKeyParam::Create(KeyCode::FromVirtualKey(9, true, 0), false));
    EXPECT_TRUE(window->hotKeys.empty());
}
} // namespace

namespace
{
TEST_F(ValueAndSetters, LookRegionsAndTheLookImageChangeOnlyLooksThatExist)
{
    const RCPtr<LControl> a = At("a");
    ASSERT_EQ(a->GetLookCount(), 2u);
    LRegion left;
    left.AddRect(RECT{0, 0, 20, 30});
    window->invalidated.clear();
    EXPECT_EQ(a->SetLookRegion(2, left), E_INVALIDARG);
    EXPECT_EQ(a->SetLookRegionSize(0, 2), E_INVALIDARG);
    EXPECT_TRUE(window->invalidated.empty());

    // Look 0 gets the left part, look 1 the rest of the 50 x 30 control.
    EXPECT_EQ(a->SetLookRegion(0, left), S_OK);
    EXPECT_FALSE(window->invalidated.empty());
    EXPECT_EQ(a->SetLookRegionSize(1, 0), S_OK);
    RECT bounds{};
    ASSERT_TRUE(a->GetLook(1)->GetClipRegion().GetBounds(bounds));
    EXPECT_EQ(bounds.left, 20);
    EXPECT_EQ(bounds.top, 0);
    EXPECT_EQ(bounds.right, 50);
    EXPECT_EQ(bounds.bottom, 30);
    a->ClearLookRegions();
    EXPECT_TRUE(a->GetLook(0)->GetClipRegion().IsEmpty());
    EXPECT_TRUE(a->GetLook(1)->GetClipRegion().IsEmpty());

    // No image to remove: nothing changes, nothing is invalidated.
    window->invalidated.clear();
    EXPECT_EQ(a->SetLookImage(nullptr, 0, 0, true), S_FALSE);
    EXPECT_TRUE(window->invalidated.empty());
}

TEST_F(ValueAndSetters, SizeLimitsOfAnAxis)
{
    const RCPtr<LControl> b = At("b");
    const LayoutSpec minimum{LLayoutDescriptor::kLimitAbsolute, WString(), 0, 80};
    const LayoutSpec maximum{LLayoutDescriptor::kLimitAbsolute, WString(), 0, 120};
    EXPECT_EQ(b->SetAxisSizeLimits(2, minimum, maximum), S_FALSE);
    EXPECT_EQ(b->GetRect().width, 50);
    EXPECT_EQ(b->SetAxisSizeLimits(0, minimum, maximum), S_OK);
    // The 50 pixels wide control grows to its new minimum.
    EXPECT_EQ(b->GetRect().width, 80);
    EXPECT_EQ(b->GetRect().height, 30);
}
} // namespace
