// Tab controls made by the factory from TabControlSkin.xml in a root window (SDL's offscreen
// driver), driven by clicks and by calls: selection by click and by index with the pages shown and
// hidden, the notifications with their parameters, listeners that keep, redirect or keep
// redirecting the selection, the getters, and tab controls whose skin lacks a holder.
//
// The window (400 x 300) holds "tabs" at (10, 10): the buttons "a", "b", "c" at window x 10, 110,
// 210 (90 x 30, y 10), their tab stops reversed; the pages "pageA", "pageB", "pageC" below them,
// each with a focusable button "fieldA", "fieldB", "fieldC".
#include "ControlWindowFixture.h"
#include "TestControls.h"

#include "Controls/Button.h"
#include "Controls/TabControl.h"
#include "notification/Notification.h"
#include "notification/NotificationClient.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace Orv;
using namespace OrvTest;

namespace
{
const wchar_t* const kButtonClicked = L"NID_TAB_BUTTON_CLICKED";
const wchar_t* const kBecomingUnselected = L"NID_TAB_BECOMING_UNSELECTED";
const wchar_t* const kSelected = L"NID_TAB_SELECTED";

// What a listener of the tab control received: the name and the parameter, and for the question
// the two indexes as they arrived.
struct Event
{
    std::wstring name;
    RCPtr<LRefCountedObject> param;
    int currentIndex = -2;
    int newIndex = -2;
};

class TabListener : public LNotificationClient
{
public:
    ORVRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>&,
                                  const RCPtr<LNotification>& notification) override
    {
        Event event{notification->id, notification->param};
        if (auto* question = dynamic_cast<LTabBecomingUnselectedParams*>(notification->param.Get()))
        {
            event.currentIndex = question->currentIndex;
            event.newIndex = question->newIndex;
            if (answer)
            {
                answer(*question);
            }
        }
        events.push_back(event);
        return S_OK;
    }
    int Count(const wchar_t* name) const
    {
        int count = 0;
        for (const Event& event : events)
        {
            count += event.name == name ? 1 : 0;
        }
        return count;
    }
    std::vector<std::wstring> Names() const
    {
        std::vector<std::wstring> names;
        for (const Event& event : events)
        {
            names.push_back(event.name);
        }
        return names;
    }

    std::vector<Event> events;
    // Answers the question "NID_TAB_BECOMING_UNSELECTED" asks; none leaves it as it is.
    std::function<void(LTabBecomingUnselectedParams&)> answer;
};

class TabControlTest : public ControlWindowFixture
{
public:
    TabControlTest()
        : ControlWindowFixture("TabControlSkin.xml")
    {
    }

    void SetUp() override
    {
        ControlWindowFixture::SetUp();
        mTabs = Tabs("tabs");
        ASSERT_TRUE(mTabs);
        mListener = new TabListener();
        for (const wchar_t* name : {kButtonClicked, kBecomingUnselected, kSelected})
        {
            mListener->RegisterNotification(RCPtr<LNotificationDistributor>(mTabs.Get()), name);
        }
    }

    void TearDown() override
    {
        mListener->UnregisterAllNotifications();
        ControlWindowFixture::TearDown();
    }

    RCPtr<LTabControl> Tabs(const std::string& name) const
    {
        return RCPtr<LTabControl>(
            dynamic_cast<LTabControl*>(FindControl(mMain->GetRootControl().Get(), name)));
    }
    LControl* Control(const std::string& name) const
    {
        LControl* control = FindControl(mMain->GetRootControl().Get(), name);
        EXPECT_NE(control, nullptr) << name;
        return control;
    }
    // The pages shown, as the letters of their names ("a" for "pageA").
    std::string ShownPages() const
    {
        std::string shown;
        for (const char* page : {"pageA", "pageB", "pageC"})
        {
            if (Control(page)->IsVisible(false))
            {
                shown += static_cast<char>(page[4] - 'A' + 'a');
            }
        }
        return shown;
    }
    // The buttons on (value 1), as their names.
    std::string CheckedButtons() const
    {
        std::string checked;
        for (const char* button : {"a", "b", "c"})
        {
            if (Control(button)->GetValue() >= 0.5)
            {
                checked += button;
            }
        }
        return checked;
    }
    static void ClickTab(ControlWindowFixture& fixture, char tab)
    {
        fixture.Click(10 + (tab - 'a') * 100 + 45, 25);
    }
    bool HasFocus(const std::string& name) const
    {
        return (Control(name)->GetConditions() & LControl::kHasFocus) != 0;
    }

    RCPtr<LTabControl> mTabs;
    RCPtr<TabListener> mListener;
};
} // namespace

TEST_F(TabControlTest, AfterCreationTheFirstTabInInsertionOrderIsSelected)
{
    // "c" comes first in the tab order; the first tab is the first button added.
    EXPECT_EQ(mTabs->GetTabCount(), 3u);
    EXPECT_EQ(mTabs->GetSelectedTabIndex(), 0);
    EXPECT_EQ(std::wstring(mTabs->GetSelectedTabName().GetBuffer()), L"a");
    EXPECT_EQ(mTabs->GetSelectedPage().Get(), Control("pageA"));
    EXPECT_EQ(ShownPages(), "a");
    EXPECT_EQ(CheckedButtons(), "a");

    // The getters pair buttons and pages by insertion order; anything outside gives null.
    struct Row
    {
        int index;
        const char* button;
        const char* page;
    };
    const Row rows[] = {{0, "a", "pageA"},
                        {1, "b", "pageB"},
                        {2, "c", "pageC"},
                        {3, nullptr, nullptr},
                        {-1, nullptr, nullptr}};
    for (const Row& row : rows)
    {
        EXPECT_EQ(mTabs->GetTabButton(row.index).Get(), row.button ? Control(row.button) : nullptr)
            << row.index;
        EXPECT_EQ(mTabs->GetPage(row.index).Get(), row.page ? Control(row.page) : nullptr)
            << row.index;
        if (row.button != nullptr)
        {
            const WString name(std::wstring(row.button, row.button + 1).c_str());
            EXPECT_EQ(mTabs->FindTabIndex(name), row.index);
            EXPECT_EQ(mTabs->GetTabButtonByName(name).Get(), Control(row.button));
            EXPECT_EQ(mTabs->GetPageByName(name).Get(), Control(row.page));
        }
    }
    // Names compare exactly.
    EXPECT_EQ(mTabs->FindTabIndex(WString(L"A")), -1);
    EXPECT_EQ(mTabs->FindTabIndex(WString(L"pageA")), -1);
    EXPECT_FALSE(mTabs->GetPageByName(WString(L"zz")));
    EXPECT_FALSE(mTabs->GetTabButtonByName(WString(L"zz")));
}

TEST_F(TabControlTest, ClickingATabAsksLeavesAndShowsItsPage)
{
    ClickTab(*this, 'b');

    ASSERT_EQ(mListener->Names(),
              (std::vector<std::wstring>{kButtonClicked, kBecomingUnselected, kSelected}));
    EXPECT_EQ(mListener->events[0].param.Get(), static_cast<LRefCountedObject*>(Control("b")));
    EXPECT_EQ(mListener->events[1].currentIndex, 0);
    EXPECT_EQ(mListener->events[1].newIndex, 1);
    EXPECT_EQ(mListener->events[2].param.Get(), static_cast<LRefCountedObject*>(Control("pageB")));
    EXPECT_EQ(mTabs->GetSelectedTabIndex(), 1);
    EXPECT_EQ(ShownPages(), "b");
    EXPECT_EQ(CheckedButtons(), "b");
    // The selected page takes the focus: its first focusable child.
    EXPECT_TRUE(HasFocus("fieldB"));

    ClickTab(*this, 'c');
    EXPECT_EQ(mTabs->GetSelectedTabIndex(), 2);
    EXPECT_EQ(ShownPages(), "c");
    EXPECT_EQ(CheckedButtons(), "c");
    EXPECT_TRUE(HasFocus("fieldC"));
    EXPECT_EQ(mListener->events[4].currentIndex, 1);
    EXPECT_EQ(mListener->events[4].newIndex, 2);
}

TEST_F(TabControlTest, ListenersKeepOrRedirectTheSelectionOnce)
{
    struct Row
    {
        const char* what;
        std::function<void(LTabBecomingUnselectedParams&)> answer;
        int selected;             // after clicking "b" with "a" selected
        const char* shown;        // pages shown
        const char* checked;      // buttons on
        int questions;            // "NID_TAB_BECOMING_UNSELECTED" sent
        const char* selectedPage; // the parameter of "NID_TAB_SELECTED"; null: none sent
    };
    const Row rows[] = {
        {"keeps the current tab",
         [](LTabBecomingUnselectedParams& q) { q.newIndex = q.currentIndex; }, 0, "a", "a", 1,
         "pageA"},
        {"redirects to c", [](LTabBecomingUnselectedParams& q) { q.newIndex = 2; }, 2, "c", "c", 1,
         "pageC"},
        {"redirects outside the tabs", [](LTabBecomingUnselectedParams& q) { q.newIndex = 7; }, 0,
         "a", "a", 1, nullptr},
        {"redirects negative", [](LTabBecomingUnselectedParams& q) { q.newIndex = -1; }, 0, "a",
         "a", 1, nullptr},
        // Without a bound this listener would be asked again for every redirect, for ever.
        {"always redirects to the next tab",
         [](LTabBecomingUnselectedParams& q) { q.newIndex = (q.newIndex + 1) % 3; }, 2, "c", "c", 1,
         "pageC"},
        {"always redirects back",
         [](LTabBecomingUnselectedParams& q)
         { q.newIndex = q.newIndex == q.currentIndex ? (q.currentIndex + 1) % 3 : q.currentIndex; },
         0, "a", "a", 1, "pageA"},
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.what);
        ASSERT_EQ(mTabs->SelectTab(WString(L"a")), S_OK);
        Control("a")->SetValue(1.0);
        mListener->events.clear();
        mListener->answer = row.answer;

        ClickTab(*this, 'b');

        EXPECT_EQ(mTabs->GetSelectedTabIndex(), row.selected);
        EXPECT_EQ(ShownPages(), row.shown);
        EXPECT_EQ(CheckedButtons(), row.checked);
        EXPECT_EQ(mListener->Count(kBecomingUnselected), row.questions);
        EXPECT_EQ(mListener->Count(kButtonClicked), 1);
        if (row.selectedPage == nullptr)
        {
            EXPECT_EQ(mListener->Count(kSelected), 0);
        }
        else
        {
            ASSERT_EQ(mListener->Count(kSelected), 1);
            EXPECT_EQ(mListener->events.back().param.Get(),
                      static_cast<LRefCountedObject*>(Control(row.selectedPage)));
        }
        mListener->answer = nullptr;
    }

    // Called directly, a listener that always redirects is asked once as well.
    mListener->events.clear();
    mListener->answer = [](LTabBecomingUnselectedParams& q) { q.newIndex = (q.newIndex + 1) % 3; };
    EXPECT_EQ(mTabs->SelectTab(WString(L"b")), S_OK);
    EXPECT_EQ(mListener->Count(kBecomingUnselected), 1);
    EXPECT_EQ(mTabs->GetSelectedTabIndex(), 2);
    EXPECT_EQ(mTabs->SelectTabByIndex(0), S_OK);
    EXPECT_EQ(mListener->Count(kBecomingUnselected), 2);
    EXPECT_EQ(mTabs->GetSelectedTabIndex(), 1);
    mListener->answer = nullptr;
}

TEST_F(TabControlTest, SelectingByIndexFollowsTheButtonsInsertionOrder)
{
    // In the tab order index 2 would be "a".
    EXPECT_EQ(mTabs->SelectTabByIndex(2), S_OK);
    EXPECT_EQ(std::wstring(mTabs->GetSelectedTabName().GetBuffer()), L"c");
    EXPECT_EQ(ShownPages(), "c");
    EXPECT_EQ(mTabs->SelectTabByIndex(1), S_OK);
    EXPECT_EQ(ShownPages(), "b");

    // Outside the buttons nothing changes and nothing is sent.
    mListener->events.clear();
    for (int index : {3, -1, 1000})
    {
        EXPECT_EQ(mTabs->SelectTabByIndex(index), E_FAIL) << index;
    }
    EXPECT_TRUE(mListener->events.empty());
    EXPECT_EQ(mTabs->GetSelectedTabIndex(), 1);
    EXPECT_EQ(ShownPages(), "b");
}

TEST_F(TabControlTest, SelectingTheSelectedTabAgainAsksNothingButShowsItsPage)
{
    Control("pageA")->SetVisible(false);
    Control("pageC")->SetVisible(true);
    EXPECT_EQ(mTabs->SelectTab(WString(L"a")), S_OK);
    EXPECT_EQ(mListener->Names(), std::vector<std::wstring>{kSelected});
    EXPECT_EQ(ShownPages(), "a");
}

TEST_F(TabControlTest, ANameOfNoTabHidesEveryPage)
{
    EXPECT_EQ(mTabs->SelectTab(WString(L"zz")), S_OK);
    // Leaving "a" is still asked about, towards no tab.
    ASSERT_EQ(mListener->Names(), (std::vector<std::wstring>{kBecomingUnselected, kSelected}));
    EXPECT_EQ(mListener->events[0].currentIndex, 0);
    EXPECT_EQ(mListener->events[0].newIndex, -1);
    EXPECT_FALSE(mListener->events[1].param);
    EXPECT_EQ(ShownPages(), "");
    EXPECT_EQ(std::wstring(mTabs->GetSelectedTabName().GetBuffer()), L"zz");
    EXPECT_EQ(mTabs->GetSelectedTabIndex(), -1);
    EXPECT_FALSE(mTabs->GetSelectedPage());

    // From no selected tab nothing is asked.
    mListener->events.clear();
    EXPECT_EQ(mTabs->SelectTab(WString(L"b")), S_OK);
    EXPECT_EQ(mListener->Names(), std::vector<std::wstring>{kSelected});
    EXPECT_EQ(ShownPages(), "b");
}

TEST_F(TabControlTest, RenamingTheSelectedButtonLosesTheSelection)
{
    const RCPtr<LControl> button(Control("a"));
    ASSERT_EQ(mTabs->GetButtonHolder()->SetChildControlName(button, WString(L"renamed")), S_OK);
    EXPECT_EQ(mTabs->GetSelectedTabIndex(), -1);
    EXPECT_FALSE(mTabs->GetSelectedPage());

    mListener->events.clear();
    EXPECT_EQ(mTabs->SelectTab(WString(L"renamed")), S_OK);
    EXPECT_EQ(mListener->Names(), std::vector<std::wstring>{kSelected});
    EXPECT_EQ(mTabs->GetSelectedTabIndex(), 0);
    EXPECT_EQ(ShownPages(), "a");
}

TEST_F(TabControlTest, ANewDescriptorKeepsTheSelectedTab)
{
    ASSERT_EQ(mTabs->SelectTab(WString(L"c")), S_OK);
    mListener->events.clear();
    EXPECT_EQ(mTabs->ApplyDescriptor(mTabs->GetDescriptor()), S_OK);
    EXPECT_EQ(mListener->Names(), std::vector<std::wstring>{kSelected});
    EXPECT_EQ(mTabs->GetSelectedTabIndex(), 2);
    EXPECT_EQ(ShownPages(), "c");
    // The buttons still lead to their tabs.
    ClickTab(*this, 'a');
    EXPECT_EQ(mTabs->GetSelectedTabIndex(), 0);
    EXPECT_EQ(ShownPages(), "a");
}

TEST_F(TabControlTest, WithoutAHolderNothingCanBeSelected)
{
    // A button holder without a page holder.
    const RCPtr<LTabControl> noPages = Tabs("noPages");
    ASSERT_TRUE(noPages);
    EXPECT_EQ(noPages->GetTabCount(), 1u);
    EXPECT_EQ(noPages->SelectTab(WString(L"x")), E_FAIL);
    EXPECT_EQ(noPages->SelectTabByIndex(0), E_FAIL);
    EXPECT_EQ(noPages->GetSelectedTabIndex(), -1);
    EXPECT_FALSE(noPages->GetPage(0));
    EXPECT_FALSE(noPages->GetPageByName(WString(L"x")));
    EXPECT_EQ(noPages->GetTabButton(0).Get(), Control("x"));
    const RCPtr<CountingClient> recorder(new CountingClient());
    recorder->RegisterNotification(RCPtr<LNotificationDistributor>(noPages.Get()), kButtonClicked);
    recorder->RegisterNotification(RCPtr<LNotificationDistributor>(noPages.Get()), kSelected);
    Click(10 + 45, 220 + 15);
    EXPECT_TRUE(recorder->received.empty());
    recorder->UnregisterAllNotifications();

    // A page holder and no tab button: the page stays as the skin made it.
    const RCPtr<LTabControl> noButtons = Tabs("noButtons");
    ASSERT_TRUE(noButtons);
    EXPECT_EQ(noButtons->GetTabCount(), 0u);
    EXPECT_EQ(noButtons->SelectTabByIndex(0), E_FAIL);
    EXPECT_FALSE(noButtons->GetPage(0));
    EXPECT_FALSE(noButtons->GetSelectedPage());
    EXPECT_TRUE(Control("lonePage")->IsVisible(false));
    // A name of no tab is taken: every page of the (no) tabs is hidden, none shown.
    EXPECT_EQ(noButtons->SelectTab(WString(L"zz")), S_OK);
    EXPECT_TRUE(Control("lonePage")->IsVisible(false));
}

namespace
{
// A tab control that is the window's own control.
class TopLevelTabControlTest : public ControlWindowFixture
{
public:
    TopLevelTabControlTest()
        : ControlWindowFixture("TabControlTopLevelSkin.xml")
    {
    }

    bool HasFocus(const std::string& name) const
    {
        const LControl* control = FindControl(mMain->GetRootControl().Get(), name);
        EXPECT_NE(control, nullptr) << name;
        return control != nullptr && (control->GetConditions() & LControl::kHasFocus) != 0;
    }
};
} // namespace

TEST_F(TopLevelTabControlTest, ShowingTheTopLevelTabControlFocusesItsSelectedPage)
{
    const RCPtr<LTabControl> tabs = DynamicCast<LTabControl>(mMain->GetRootControl());
    ASSERT_TRUE(tabs);
    ASSERT_EQ(tabs->SelectTab(WString(L"two")), S_OK);
    ASSERT_EQ(FindControl(tabs.Get(), "one")->SetFocus(true), S_OK);
    ASSERT_TRUE(HasFocus("one"));

    tabs->SetVisible(false);
    tabs->SetVisible(true);
    EXPECT_TRUE(HasFocus("fieldTwo"));
    EXPECT_FALSE(HasFocus("one"));
}

TEST_F(TabControlTest, ShowingATabControlInsideAWindowLeavesTheFocus)
{
    ASSERT_EQ(Control("x")->SetFocus(true), S_OK);
    mTabs->SetVisible(false);
    mTabs->SetVisible(true);
    EXPECT_TRUE(HasFocus("x"));
    EXPECT_FALSE(HasFocus("fieldA"));
}
