// Context menus in a real popup menu, through a window of PopupMenuSkin.xml (SDL's offscreen
// driver): the entries of "CONTEXT_MENU." create parameters and of the string table, listed in
// key-name order; the popup placed at the pointer inside the window; an item bound to a global
// hot key shows the key's text and, chosen, goes where the key goes; Escape and a click elsewhere
// close the context menu.
#include "MenuWindowFixture.h"
#include "TestControls.h"

#include "Controls/PopupMenu.h"
#include "System/WindowOSServices.h"
#include "notification/KeyCode.h"
#include "notification/NotificationCenter.h"
#include "notification/NotificationCenterManager.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

using namespace Orv;
using namespace OrvTest;

class PopupMenuTest : public MenuWindowFixture
{
public:
    PopupMenuTest()
    {
        // Global hot keys, known before the window and its menus are made.
        mApplication->GetHotKeyManager()->AddHotKey(KeyCode::Parse(WString(L"Ctrl+VKEY_C")),
                                                    WString(L"NID_TEST_COPY"));
        mApplication->GetHotKeyManager()->AddHotKey(KeyCode::Parse(WString(L"Ctrl+VKEY_Q")),
                                                    WString(L"NID_TEST_EXIT"));
    }

    RCPtr<LControl> Control(const char* name) const
    {
        return mMain->GetRootControl()->FindChildControl(WString(name));
    }
    // Right click at a point: the control there opens its context menu.
    RCPtr<LPopupMenu> OpenContextMenu(const char* owner, int x, int y)
    {
        Mouse(WM_MOUSEMOVE, x, y);
        Mouse(WM_RBUTTONDOWN, x, y, MK_RBUTTON);
        Mouse(WM_RBUTTONUP, x, y);
        return RCPtr<LPopupMenu>(Control(owner)->FindChildControl(WString(L"contextMenu")));
    }
};

TEST_F(PopupMenuTest, ContextMenusListTheirEntriesInKeyOrderFromParametersOrStrings)
{
    const RCPtr<LPopupMenu> fromParams = OpenContextMenu("paramsTarget", 40, 220);
    ASSERT_TRUE(fromParams);
    EXPECT_TRUE(fromParams->IsVisible(false));
    EXPECT_TRUE((fromParams->GetConditions() & LControl::kHasFocus) != 0);
    // The parameters come out of order in the skin; the copy item shows its global hot key.
    EXPECT_EQ(Rows(*fromParams), "Cut, Copy|Ctrl+C, Paste");
    // At the pointer.
    EXPECT_EQ(fromParams->GetRectInRoot().x, 40);
    EXPECT_EQ(fromParams->GetRectInRoot().y, 220 - 0 + 0);
    Key(VK_ESCAPE);
    EXPECT_FALSE(Control("paramsTarget")->FindChildControl(WString(L"contextMenu")));

    const RCPtr<LPopupMenu> fromStrings = OpenContextMenu("stringsTarget", 300, 210);
    ASSERT_TRUE(fromStrings);
    EXPECT_EQ(Rows(*fromStrings), "Undo, Redo");
}

TEST_F(PopupMenuTest, AContextMenuNearTheCornerIsShiftedInsideTheWindow)
{
    // A press at the window's bottom-right corner: the menu's corner meets the window's.
    const RCPtr<LPopupMenu> popup = OpenContextMenu("stringsTarget", 379, 259);
    ASSERT_TRUE(popup);
    ASSERT_EQ(popup->GetItemCount(), 2);
    popup->SetVisible(false);
    Mouse(WM_MOUSEMOVE, 399, 299);
    popup->PlaceInRoot();
    const PointT<double> at = popup->GetRectInRoot();
    EXPECT_EQ(at.x + popup->GetRect().width, 400);
    EXPECT_EQ(at.y + popup->GetRect().height, 300);
}

TEST_F(PopupMenuTest, AnItemBoundToAGlobalHotKeyGoesWhereTheKeyGoes)
{
    mRecorder->RegisterNotification(
        RCPtr<LNotificationDistributor>(GetApplicationNotificationCenter().Get()),
        L"NID_TEST_COPY");
    const RCPtr<LPopupMenu> popup = OpenContextMenu("paramsTarget", 40, 210);
    ASSERT_TRUE(popup);
    const PointT<double> at = popup->GetRectInRoot();
    const RectT<double> row = popup->GetItemRect(1);
    Click(static_cast<int>(at.x + 10), static_cast<int>(at.y + row.y + row.height / 2));
    // Chosen: the menu is gone, and the key's notification is queued at the application.
    EXPECT_FALSE(Control("paramsTarget")->FindChildControl(WString(L"contextMenu")));
    IdlePass(0);
    EXPECT_EQ(mRecorder->Count(L"NID_TEST_COPY"), 1);
}

TEST_F(PopupMenuTest, TheMenuBarRowOfAGlobalHotKeyShowsItsText)
{
    const RCPtr<LPopupMenu> file(FindControl(mMain->GetRootControl().Get(), "popupMenu")
                                     ->GetParent()
                                     ->FindChildControl(WString(L"popupMenu")));
    ASSERT_TRUE(file);
    EXPECT_EQ(Rows(*file), "Open, -, Recent>, Disabled, Exit|Ctrl+Q, Loop>");
}

TEST_F(PopupMenuTest, AClickElsewhereClosesTheContextMenu)
{
    const RCPtr<LPopupMenu> popup = OpenContextMenu("paramsTarget", 40, 210);
    ASSERT_TRUE(popup);
    ASSERT_TRUE(popup->IsVisible(false));
    Click(330, 230);
    EXPECT_FALSE(Control("paramsTarget")->FindChildControl(WString(L"contextMenu")));
    // Opened again, it is a new menu with the same rows.
    const RCPtr<LPopupMenu> again = OpenContextMenu("paramsTarget", 40, 210);
    ASSERT_TRUE(again);
    EXPECT_EQ(Rows(*again), "Cut, Copy|Ctrl+C, Paste");
}

TEST_F(PopupMenuTest, TheKeyTextIsDrawnInTheInkOfTheRowLabel)
{
    const RCPtr<LPopupMenu> popup = OpenContextMenu("paramsTarget", 40, 210);
    ASSERT_TRUE(popup);
    const std::vector<std::uint32_t> pixels = Screenshot("PopupMenuContextMenu.png");
    // The key label of the "Copy" row: light ink, none of the label's own red.
    const PointT<double> at = popup->GetRectInRoot();
    const RectT<double> row = popup->GetItemRect(1);
    int light = 0;
    int red = 0;
    for (int y = static_cast<int>(at.y + row.y); y < static_cast<int>(at.y + row.y + row.height);
         ++y)
    {
        for (int x = static_cast<int>(at.x + popup->GetRect().width - 64);
             x < static_cast<int>(at.x + popup->GetRect().width - 4); ++x)
        {
            const std::uint32_t pixel =
                pixels[static_cast<std::size_t>(y) * kWidth + static_cast<std::size_t>(x)];
            const std::uint32_t r = (pixel >> 16) & 0xFF;
            const std::uint32_t g = (pixel >> 8) & 0xFF;
            light += r > 0xC0 && g > 0xC0 ? 1 : 0;
            red += r > 0xC0 && g < 0x40 ? 1 : 0;
        }
    }
    EXPECT_GT(light, 10);
    EXPECT_EQ(red, 0);
}
