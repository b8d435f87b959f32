// The combo menus of the bar of PopupMenuSkin.xml (entries 60 x 20, grey; lighter when hovered,
// blue while open, dark when disabled), driven through a window by mouse messages: a press opens
// the menu below its entry, choosing an item closes it and the entry shows the pointer over it
// again, a menu that would pass the window's right edge opens shifted left, and a disabled entry
// shows its look and opens nothing.
#include "MenuWindowFixture.h"
#include "TestControls.h"

#include "Controls/ComboMenu.h"
#include "Controls/MainMenu.h"
#include "Controls/PopupMenu.h"
#include "System/WindowOSServices.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

using namespace Orv;
using namespace OrvTest;

class ComboMenuTest : public MenuWindowFixture
{
public:
    PointT<LONG> Centre(const RCPtr<LControl>& control) const
    {
        const PointT<double> at = control->GetRectInRoot();
        return PointT<LONG>(static_cast<LONG>(at.x + control->GetRect().width / 2),
                            static_cast<LONG>(at.y + control->GetRect().height / 2));
    }
};

TEST_F(ComboMenuTest, APressOpensTheMenuAndAChoiceClosesItWithTheItemChecked)
{
    const RCPtr<LComboMenu> options = mBar->GetMenuAt(1);
    const RCPtr<LPopupMenu> popup = options->GetPopupMenu();
    ASSERT_TRUE(popup);
    EXPECT_FALSE(popup->ClosesItself());
    const PointT<LONG> entry = Centre(RCPtr<LControl>(options.Get()));
    Mouse(WM_MOUSEMOVE, entry.x, entry.y);
    EXPECT_EQ(options->GetActiveLookIndex(), LComboMenu::kLookHover);

    // The item is checked (as a menu item updater would report it) before the menu opens.
    MenuItemInfo info;
    info.enabled = true;
    info.checked = true;
    info.label = WString(L"Allow downgrade");
    ASSERT_EQ(popup->UpdateItemState(0, info), S_OK);
    Click(entry.x, entry.y);
    ASSERT_TRUE(popup->IsVisible(false));
    EXPECT_EQ(options->GetActiveLookIndex(), LComboMenu::kLookOpen);
    // Below the entry.
    EXPECT_EQ(popup->GetRectInRoot().x, options->GetRectInRoot().x);
    EXPECT_EQ(popup->GetRectInRoot().y, options->GetRectInRoot().y + 20);

    const std::vector<std::uint32_t> pixels = Screenshot("ComboMenuOpen.png");
    const PointT<double> at = popup->GetRectInRoot();
    const LONG rowY = static_cast<LONG>(at.y + 10);
    EXPECT_EQ(At(pixels, entry.x - 25, entry.y), 0xFF2060C0u);              // open entry
    EXPECT_EQ(At(pixels, static_cast<LONG>(at.x + 10), rowY), 0xFF20C020u); // the check
    EXPECT_EQ(At(pixels, static_cast<LONG>(at.x + popup->GetRect().width - 3), rowY),
              0xFF303030u);                                                      // the row
    EXPECT_EQ(At(pixels, static_cast<LONG>(at.x + 10), rowY + 20), 0xFF000000u); // below it

    // Choosing: the popup closes and the entry shows the pointer over it again.
    mRecorder->RegisterNotification(RCPtr<LNotificationDistributor>(mMain.Get()),
                                    L"NID_TEST_OPTION");
    Mouse(WM_MOUSEMOVE, static_cast<int>(at.x + 40), rowY);
    Click(static_cast<int>(at.x + 40), rowY);
    EXPECT_FALSE(popup->IsVisible(false));
    IdlePass(0);
    EXPECT_EQ(mRecorder->Count(L"NID_TEST_OPTION"), 1);
    Mouse(WM_MOUSEMOVE, entry.x, entry.y);
    EXPECT_EQ(options->GetActiveLookIndex(), LComboMenu::kLookHover);
    // The entry's text is the menu's title.
    EXPECT_EQ(options->GetText(), WString(L"Options"));
}

TEST_F(ComboMenuTest, AMenuThatWouldPassTheRightEdgeOpensShiftedLeft)
{
    const RCPtr<LPopupMenu> file = mBar->GetMenuAt(0)->GetPopupMenu();
    for (int i = 0; i < 4; ++i)
    {
        const WString name = WString::FromInt(i);
        ASSERT_EQ(mBar->InsertMenuBefore(WString(), name, name, file->GetMenu()), 2 + i);
    }
    const RCPtr<LComboMenu> last = mBar->GetMenuAt(5);
    ASSERT_EQ(last->GetRectInRoot().x, 304);
    const RCPtr<LPopupMenu> popup = last->GetPopupMenu();
    const PointT<LONG> entry = Centre(RCPtr<LControl>(last.Get()));
    Click(entry.x, entry.y);
    ASSERT_TRUE(popup->IsVisible(false));
    EXPECT_GT(304 + popup->GetRect().width, kWidth);
    EXPECT_EQ(popup->GetRectInRoot().x + popup->GetRect().width, kWidth);
    // Its sub-menu has no room on the right either: it opens to the left of the menu.
    popup->SelectItemRange(2, -1, true);
    Key(VK_RIGHT);
    const RCPtr<LPopupMenu> subMenu = popup->GetOpenSubMenu();
    ASSERT_TRUE(subMenu);
    EXPECT_EQ(subMenu->GetRectInRoot().x + subMenu->GetRect().width, popup->GetRectInRoot().x);
    Key(VK_ESCAPE);

    // A menu with room opens at its skin position again.
    Click(entry.x, entry.y);
    EXPECT_FALSE(popup->IsVisible(false));
    const RCPtr<LComboMenu> first = mBar->GetMenuAt(0);
    const PointT<LONG> firstEntry = Centre(RCPtr<LControl>(first.Get()));
    Click(firstEntry.x, firstEntry.y);
    EXPECT_EQ(first->GetPopupMenu()->GetRectInRoot().x, first->GetRectInRoot().x);
}

TEST_F(ComboMenuTest, ADisabledEntryShowsItsLookAndOpensNothing)
{
    const RCPtr<LComboMenu> file = mBar->GetMenuAt(0);
    const RCPtr<LComboMenu> options = mBar->GetMenuAt(1);
    options->SetEnabled(false);
    EXPECT_EQ(options->GetActiveLookIndex(), LComboMenu::kLookDisabled);
    // Not by a press, and not by hover switching from an open menu.
    const PointT<LONG> entry = Centre(RCPtr<LControl>(options.Get()));
    Click(entry.x, entry.y);
    EXPECT_FALSE(options->IsDropDownShown());
    const PointT<LONG> fileEntry = Centre(RCPtr<LControl>(file.Get()));
    Click(fileEntry.x, fileEntry.y);
    ASSERT_TRUE(file->IsDropDownShown());
    Mouse(WM_MOUSEMOVE, entry.x, entry.y);
    EXPECT_TRUE(file->IsDropDownShown());
    EXPECT_FALSE(options->IsDropDownShown());
}
