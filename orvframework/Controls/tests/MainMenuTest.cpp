// The menu bar of PopupMenuSkin.xml with its menus from PopupMenuStrings.xml, driven through a
// window (SDL's offscreen driver) by mouse and key messages on the application's manual clock:
// opening by click and by key, the sub-menu after its delay, choosing, disabled items, Escape,
// the bar's run-time menus and their order.
//
// The bar (0, 0, 400 x 24) holds "File" at (4, 2) and "Options" right of it, each 60 x 20;
// a menu's popup opens below its entry with rows 20 high.
#include "MenuWindowFixture.h"
#include "TestControls.h"

#include "Controls/ComboMenu.h"
#include "Controls/MainMenu.h"
#include "Controls/PopupMenu.h"
#include "System/WindowOSServices.h"
#include "notification/KeyCode.h"
#include "notification/MenuActivationParam.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

using namespace Orv;
using namespace OrvTest;

class MainMenuTest : public MenuWindowFixture
{
public:
    RCPtr<LComboMenu> Menu(int position) const { return mBar->GetMenuAt(position); }
    RCPtr<LPopupMenu> Popup(int position) const
    {
        const RCPtr<LComboMenu> menu = Menu(position);
        return menu ? menu->GetPopupMenu() : nullptr;
    }
    // The centre of a run-time menu's entry, in window coordinates.
    PointT<LONG> EntryCentre(int position) const
    {
        const RCPtr<LComboMenu> menu = Menu(position);
        const PointT<double> at = menu->GetRectInRoot();
        return PointT<LONG>(static_cast<LONG>(at.x + menu->GetRect().width / 2),
                            static_cast<LONG>(at.y + menu->GetRect().height / 2));
    }
    // The centre of row i of a popup, in window coordinates.
    static PointT<LONG> RowCentre(const RCPtr<LPopupMenu>& popup, int i)
    {
        const PointT<double> at = popup->GetRectInRoot();
        const RectT<double> row = popup->GetItemRect(i);
        return PointT<LONG>(static_cast<LONG>(at.x + row.x + row.width / 2),
                            static_cast<LONG>(at.y + row.y + row.height / 2));
    }
    // A point of row i's background near its right edge (past any text), in window coordinates.
    static PointT<LONG> RowEdge(const RCPtr<LPopupMenu>& popup, int i)
    {
        const PointT<LONG> centre = RowCentre(popup, i);
        return PointT<LONG>(
            static_cast<LONG>(popup->GetRectInRoot().x + popup->GetRect().width - 3), centre.y);
    }
    void ClickAt(const PointT<LONG>& point) { Click(point.x, point.y); }
    void MoveTo(const PointT<LONG>& point) { Mouse(WM_MOUSEMOVE, point.x, point.y); }
    // Records name when the root window's queue delivers it.
    void Listen(const wchar_t* name)
    {
        mRecorder->RegisterNotification(RCPtr<LNotificationDistributor>(mMain.Get()), name);
    }
};

TEST_F(MainMenuTest, TheBarTakesItsMenusFromTheStringTableInKeyOrder)
{
    ASSERT_EQ(mBar->GetMenuCount(), 2);
    EXPECT_EQ(mBar->GetMenuName(0), WString(L"File"));
    EXPECT_EQ(mBar->GetMenuName(1), WString(L"Options"));
    EXPECT_EQ(mBar->IndexOfMenu(WString(L"Options")), 1);
    EXPECT_EQ(mBar->IndexOfMenu(WString(L"templateMenu")), -1);
    EXPECT_EQ(Menu(0)->GetText(), WString(L"File"));
    // The template is no menu of its own; Options lines up right of File.
    EXPECT_FALSE(mBar->FindChildControl(WString(L"templateMenu")));
    EXPECT_EQ(Menu(0)->GetRect().x, 4);
    EXPECT_EQ(Menu(1)->GetRect().x, 64);
    // The sub-menu that names itself keeps only its other entry.
    EXPECT_EQ(Rows(*Popup(0)), "Open, -, Recent>, Disabled, Exit, Loop>");
    EXPECT_EQ(Rows(*Popup(1)), "Allow downgrade");
    const RCPtr<LMenuItemDescriptor> loop = Popup(0)->GetMenuItem(5);
    ASSERT_EQ(loop->GetItemCount(), 1u);
    EXPECT_EQ(loop->GetItem(0)->GetLabel(), WString(L"Fine"));
}
TEST_F(MainMenuTest, AClickOpensTheMenuAndASubMenuOpensAfterTheDelayThenTheChosenItemArrives)
{
    Listen(L"NID_TEST_RECENT_B");
    ClickAt(EntryCentre(0));
    const RCPtr<LPopupMenu> popup = Popup(0);
    ASSERT_TRUE(popup->IsVisible(false));
    EXPECT_TRUE(Menu(0)->IsDropDownShown());

    // Onto "Recent": its sub-menu waits for more than 250 ms of the clock.
    MoveTo(RowCentre(popup, 2));
    EXPECT_EQ(popup->GetSelectedIndex(), 2);
    EXPECT_TRUE(popup->IsSubMenuTimerRunning());
    IdlePass(250);
    EXPECT_FALSE(popup->GetOpenSubMenu());
    IdlePass(1);
    const RCPtr<LPopupMenu> subMenu = popup->GetOpenSubMenu();
    ASSERT_TRUE(subMenu);
    EXPECT_TRUE(subMenu->IsVisible(false));
    EXPECT_EQ(Rows(*subMenu), "First.dfu, Second.dfu");
    // Beside the row that opened it.
    EXPECT_EQ(subMenu->GetRectInRoot().x, popup->GetRectInRoot().x + popup->GetRect().width);
    EXPECT_EQ(subMenu->GetRectInRoot().y, popup->GetRectInRoot().y + popup->GetItemRect(2).y);

    // Into the sub-menu: the parent keeps the row that opened it.
    MoveTo(RowCentre(subMenu, 1));
    EXPECT_EQ(subMenu->GetSelectedIndex(), 1);
    EXPECT_EQ(popup->GetSelectedIndex(), 2);
    EXPECT_FALSE(popup->IsSubMenuTimerRunning());

    const std::vector<std::uint32_t> pixels = Screenshot("MainMenuOpenWithSubMenu.png");
    const PointT<LONG> entry = EntryCentre(0);
    const PointT<LONG> opener = RowEdge(popup, 2);
    const PointT<LONG> plain = RowEdge(popup, 0);
    const PointT<LONG> chosenEdge = RowEdge(subMenu, 1);
    const PointT<LONG> other = RowEdge(subMenu, 0);
    EXPECT_EQ(At(pixels, entry.x - 25, entry.y), 0xFF2060C0u);          // the open entry
    EXPECT_EQ(At(pixels, EntryCentre(1).x - 25, entry.y), 0xFF404040u); // the closed one
    EXPECT_EQ(At(pixels, opener.x, opener.y), 0xFF2060C0u);             // selected row
    EXPECT_EQ(At(pixels, plain.x, plain.y), 0xFF303030u);
    EXPECT_EQ(At(pixels, chosenEdge.x, chosenEdge.y), 0xFF3070D0u); // selected and hovered
    EXPECT_EQ(At(pixels, other.x, other.y), 0xFF303030u);
    // Nothing of the window shows through right of the sub-menu.
    EXPECT_EQ(At(pixels, chosenEdge.x + 6, chosenEdge.y), 0xFF000000u);
    const PointT<LONG> chosen = RowCentre(subMenu, 1);

    // Choosing closes the chain; the notification waits in the window's queue.
    ClickAt(chosen);
    EXPECT_FALSE(popup->IsVisible(false));
    EXPECT_FALSE(popup->GetOpenSubMenu());
    EXPECT_EQ(mRecorder->Count(L"NID_TEST_RECENT_B"), 0);
    IdlePass(0);
    EXPECT_EQ(mRecorder->Count(L"NID_TEST_RECENT_B"), 1);
    EXPECT_EQ(Menu(0)->GetActiveLookIndex(), LComboMenu::kLookNormal);
}

TEST_F(MainMenuTest, KeysMoveOpenAndCloseSubMenusAndEnterChooses)
{
    Listen(L"NID_TEST_RECENT_A");
    ClickAt(EntryCentre(0));
    const RCPtr<LPopupMenu> popup = Popup(0);
    ASSERT_TRUE(popup->IsVisible(false));
    // Keys go to the popup; a selection by key starts no timer.
    Key(VK_DOWN);
    EXPECT_EQ(popup->GetSelectedIndex(), 0);
    Key(VK_DOWN);
    Key(VK_DOWN);
    ASSERT_EQ(popup->GetSelectedIndex(), 2);
    EXPECT_FALSE(popup->IsSubMenuTimerRunning());

    // Right opens the sub-menu with its first row selected; Left closes it.
    Key(VK_RIGHT);
    RCPtr<LPopupMenu> subMenu = popup->GetOpenSubMenu();
    ASSERT_TRUE(subMenu);
    EXPECT_EQ(subMenu->GetSelectedIndex(), 0);
    Key(VK_LEFT);
    EXPECT_FALSE(popup->GetOpenSubMenu());
    EXPECT_TRUE(popup->IsVisible(false));

    // Escape in a sub-menu closes that level only; in the menu, the menu.
    Key(VK_RIGHT);
    ASSERT_TRUE(popup->GetOpenSubMenu());
    Key(VK_ESCAPE);
    EXPECT_FALSE(popup->GetOpenSubMenu());
    EXPECT_TRUE(popup->IsVisible(false));
    Key(VK_ESCAPE);
    EXPECT_FALSE(popup->IsVisible(false));
    EXPECT_FALSE(Menu(0)->IsDropDownShown());

    // Open again, into the sub-menu by key, Enter chooses.
    ClickAt(EntryCentre(0));
    ASSERT_TRUE(popup->IsVisible(false));
    popup->SelectItemRange(2, -1, true);
    Key(VK_RIGHT);
    subMenu = popup->GetOpenSubMenu();
    ASSERT_TRUE(subMenu);
    Key(VK_RETURN);
    EXPECT_FALSE(popup->IsVisible(false));
    IdlePass(0);
    EXPECT_EQ(mRecorder->Count(L"NID_TEST_RECENT_A"), 1);
}

TEST_F(MainMenuTest, ADisabledItemTakesNoSelectionAndChoosesNothing)
{
    Listen(L"NID_TEST_DISABLED");
    const RCPtr<LPopupMenu> popup = Popup(0);
    MenuItemInfo info;
    info.enabled = false;
    info.label = WString(L"Disabled");
    ASSERT_EQ(popup->UpdateItemState(3, info), S_OK);
    ClickAt(EntryCentre(0));
    ASSERT_TRUE(popup->IsVisible(false));
    const PointT<LONG> row = RowCentre(popup, 3);
    MoveTo(row);
    EXPECT_NE(popup->GetSelectedIndex(), 3);
    ClickAt(row);
    IdlePass(0);
    EXPECT_EQ(mRecorder->Count(L"NID_TEST_DISABLED"), 0);
    // The separator cannot be chosen either.
    EXPECT_FALSE(popup->CanSelectItem(1));
    EXPECT_FALSE(popup->CanSelectItem(3));
    EXPECT_TRUE(popup->CanSelectItem(4));
}

TEST_F(MainMenuTest, MovingToAPlainRowClosesTheOpenSubMenuAfterTheSameDelay)
{
    ClickAt(EntryCentre(0));
    const RCPtr<LPopupMenu> popup = Popup(0);
    MoveTo(RowCentre(popup, 2));
    IdlePass(251);
    ASSERT_TRUE(popup->GetOpenSubMenu());
    MoveTo(RowCentre(popup, 0));
    IdlePass(250);
    EXPECT_TRUE(popup->GetOpenSubMenu());
    IdlePass(1);
    EXPECT_FALSE(popup->GetOpenSubMenu());
    EXPECT_FALSE(popup->IsSubMenuTimerRunning());
}

TEST_F(MainMenuTest, WithOneMenuOpenPointingAtAnotherEntrySwitchesMenus)
{
    ClickAt(EntryCentre(0));
    ASSERT_TRUE(Popup(0)->IsVisible(false));
    MoveTo(EntryCentre(1));
    EXPECT_FALSE(Popup(0)->IsVisible(false));
    EXPECT_TRUE(Popup(1)->IsVisible(false));
    EXPECT_EQ(Menu(1)->GetActiveLookIndex(), LComboMenu::kLookOpen);
    EXPECT_EQ(Menu(0)->GetActiveLookIndex(), LComboMenu::kLookNormal);
}

TEST_F(MainMenuTest, InsertingMovesTheFollowingMenusAndBadPositionsChangeNothing)
{
    const RCPtr<LMenuDescriptor> help = LMenuDescriptor::Create();
    help->InsertItem(0, WString(L"About"), WString(L"NID_TEST_ABOUT"), true, false);
    EXPECT_EQ(mBar->InsertMenu(3, WString(L"Help"), WString(L"Help"), help), E_INVALIDARG);
    EXPECT_EQ(mBar->InsertMenuBefore(WString(L"Nope"), WString(L"Help"), WString(L"Help"), help),
              E_INVALIDARG);
    ASSERT_EQ(mBar->GetMenuCount(), 2);

    EXPECT_EQ(mBar->InsertMenu(0, WString(L"Help"), WString(L"Help"), help), 0);
    ASSERT_EQ(mBar->GetMenuCount(), 3);
    EXPECT_EQ(mBar->GetMenuName(0), WString(L"Help"));
    EXPECT_EQ(mBar->GetMenuName(1), WString(L"File"));
    EXPECT_EQ(mBar->GetMenuName(2), WString(L"Options"));
    EXPECT_EQ(Menu(1)->GetText(), WString(L"File"));
    EXPECT_EQ(Rows(*Popup(0)), "About");
    EXPECT_EQ(Rows(*Popup(2)), "Allow downgrade");
    // Still lined up from left to right.
    EXPECT_LT(Menu(0)->GetRect().x, Menu(1)->GetRect().x);
    EXPECT_LT(Menu(1)->GetRect().x, Menu(2)->GetRect().x);

    EXPECT_EQ(mBar->InsertMenuBefore(WString(), WString(L"Last"), WString(L"Last"), help), 3);
    EXPECT_EQ(mBar->GetMenuName(3), WString(L"Last"));
}

TEST_F(MainMenuTest, PressDragAndReleaseOnTheBarChoosesAnItem)
{
    Listen(L"NID_TEST_OPEN");
    const PointT<LONG> entry = EntryCentre(0);
    Press(entry.x, entry.y);
    const RCPtr<LPopupMenu> popup = Popup(0);
    ASSERT_TRUE(popup->IsVisible(false));
    // The press moved to the popup: dragging over a row selects it, the release chooses it.
    const PointT<LONG> open = RowCentre(popup, 0);
    MoveHeld(open.x, open.y - 5);
    MoveHeld(open.x, open.y);
    EXPECT_EQ(popup->GetSelectedIndex(), 0);
    Release(open.x, open.y);
    EXPECT_FALSE(popup->IsVisible(false));
    IdlePass(0);
    EXPECT_EQ(mRecorder->Count(L"NID_TEST_OPEN"), 1);
}

TEST_F(MainMenuTest, AHeldPressMovesIntoAnOpenSubMenuOfTheChain)
{
    Listen(L"NID_TEST_RECENT_A");
    const PointT<LONG> entry = EntryCentre(0);
    Press(entry.x, entry.y);
    const RCPtr<LPopupMenu> popup = Popup(0);
    const PointT<LONG> recent = RowCentre(popup, 2);
    MoveHeld(recent.x, recent.y);
    IdlePass(251);
    const RCPtr<LPopupMenu> subMenu = popup->GetOpenSubMenu();
    ASSERT_TRUE(subMenu);
    const PointT<LONG> first = RowCentre(subMenu, 0);
    MoveHeld(first.x, first.y);
    MoveHeld(first.x + 1, first.y);
    EXPECT_EQ(subMenu->GetSelectedIndex(), 0);
    Release(first.x + 1, first.y);
    EXPECT_FALSE(popup->IsVisible(false));
    IdlePass(0);
    EXPECT_EQ(mRecorder->Count(L"NID_TEST_RECENT_A"), 1);
}

TEST_F(MainMenuTest, AChosenItemGivesTheFocusBackToTheControlThatHadIt)
{
    const RCPtr<LControl> before = mMain->GetFocusControl();
    ASSERT_TRUE(before);
    ASSERT_EQ(before->GetName(), WString(L"paramsTarget"));
    ClickAt(EntryCentre(0));
    ASSERT_TRUE(Popup(0)->IsVisible(false));
    EXPECT_EQ(mBar->GetRememberedKeyTarget().Get(), before.Get());
    ClickAt(RowCentre(Popup(0), 0));
    EXPECT_EQ(mMain->GetFocusControl().Get(), before.Get());
}

TEST_F(MainMenuTest, ASkinChangeKeepsTheRunTimeMenus)
{
    const RCPtr<LMenuDescriptor> help = LMenuDescriptor::Create();
    help->InsertItem(0, WString(L"About"), WString(L"NID_TEST_ABOUT"), true, false);
    ASSERT_EQ(mBar->InsertMenu(2, WString(L"Help"), WString(L"Help"), help), 2);
    // The bar's own description applied again, as a skin change does.
    ASSERT_FALSE(FAILED(mBar->ApplyDescriptor(mBar->GetDescriptor())));
    ASSERT_EQ(mBar->GetMenuCount(), 3);
    EXPECT_EQ(mBar->GetMenuName(2), WString(L"Help"));
    EXPECT_EQ(Menu(2)->GetText(), WString(L"Help"));
    EXPECT_EQ(Rows(*Popup(2)), "About");
    EXPECT_EQ(Rows(*Popup(1)), "Allow downgrade");
}
