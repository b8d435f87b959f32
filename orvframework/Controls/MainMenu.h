// The skinned menu bar of a window ("Framework.MainMenu"): one combo menu per top-level menu,
// each opening its child "popupMenu". The bar's menus come from "MENU_LABEL.<n>" entries (the
// titles) and "CONTEXT_MENU<n>." entries (the items), read from the bar's create parameters or,
// where it has none with that prefix, from its string table. New entries are made from the
// skin's "templateMenu" combo menu and lined up from left to right.
//
// Menus the skin itself places in the bar come first and are never renumbered; the positions of
// InsertMenu and the other operations count only the menus added at run time.
//
// Chosen items post their notifications into the root window's own queue. The bar remembers the
// control that had the focus before it took it and gives it back once an item is chosen.
//
// UI thread only.
#pragma once

#include "ControlBase/Control.h"
#include "ControlBase/MenuDescriptor.h"
#include "Controls/ComboMenu.h"
#include "Utilities/Storage/RCPtrArray.h"

#include <vector>

namespace Orv
{
class LMainMenu : public LControl
{
public:
    // Menu numbers read from the entries stay below this.
    static constexpr int kMaxMenus = 100;

    LMainMenu(const RCPtr<LControl>& parent, const RCPtr<LControlDescriptor>& descriptor);
    ~LMainMenu() override;

    // The control's, the skin's menus taken in, then the menus of the "MENU_LABEL." and
    // "CONTEXT_MENU<n>." entries; none when titles and menus do not pair up. The control's
    // result.
    ORVRESULT Initialize() override;
    // A null child named "templateMenu" only records the description as the template; else the
    // control's, and the first combo menu's description becomes the template while none is known.
    ORVRESULT AddChildControl(const RCPtr<LControl>& child,
                              const RCPtr<LControlDescriptor>& descriptor) override;
    // The run-time menus are made again after the new descriptor is applied.
    ORVRESULT ApplyDescriptor(const RCPtr<LControlDescriptor>& descriptor) override;
    // Every menu's popup posts into the root window's queue; then the control's.
    ORVRESULT ProcessRootWindowAquired() override;
    // Remembers the previous focus control when the bar comes to contain the focus.
    void OnConditionsChange(const RCPtr<LConditionsParam>& param) override;

    // Inserts a menu before the run-time menu at position (position = count appends). The
    // position used; E_INVALIDARG for a position outside 0..count, E_FAIL when no menu could be
    // made.
    ORVRESULT InsertMenu(int position, const WString& name, const WString& title,
                         const RCPtr<LMenuDescriptor>& descriptor);
    // The same before the run-time menu named beforeName (empty: append). E_INVALIDARG when no
    // run-time menu has that name.
    ORVRESULT InsertMenuBefore(const WString& beforeName, const WString& name, const WString& title,
                               const RCPtr<LMenuDescriptor>& descriptor);
    // The name of the run-time menu at position; empty out of range.
    WString GetMenuName(int position) const;
    // The position of the run-time menu named name; -1 when none.
    int IndexOfMenu(const WString& name) const;
    // The number of run-time menus.
    int GetMenuCount() const { return static_cast<int>(RuntimeMenus().size()); }
    // The run-time menu at position; null out of range.
    RCPtr<LComboMenu> GetMenuAt(int position) const;
    // The updater whose control brings the items up to date.
    void SetMenuItemUpdater(const RCPtr<LMenuItemUpdater>& updater) { mUpdater = updater; }
    // 1 without an updater; E_FAIL when its control is gone; else that control's answer.
    ORVRESULT UpdateMenuItem(const RCPtr<LMenuDescriptor>& menu, int index, const WString& nid,
                             MenuItemInfo& info) override;
    // The remembered control when it takes keys, else the parent's answer.
    RCPtr<LControl> GetKeyTarget() override;
    // The control that had the focus before the bar took it.
    const RCPtr<LControl>& GetRememberedKeyTarget() const { return mKeyTarget; }
    int GetSkinMenuCount() const { return mSkinMenuCount; }

private:
    // The run-time menus, in insertion order.
    std::vector<RCPtr<LComboMenu>> RuntimeMenus() const;
    // Makes the menu name at the end of the bar; null when it could not be made (or a child of
    // that name exists).
    RCPtr<LComboMenu> CreateMenuAtEnd(const WString& name);
    // Each run-time menu placed right of the menu before it, by its current name.
    void LinkPositions();
    // Gives a menu its title and its menu.
    static void SetMenuContent(const RCPtr<LComboMenu>& menu, const WString& title,
                               const RCPtr<LMenuDescriptor>& descriptor);

    RCPtrArray<LMenuDescriptor> mMenus;
    RCPtr<LControl> mKeyTarget;
    RCPtr<LControlDescriptor> mTemplate;
    RCPtr<LMenuItemUpdater> mUpdater;
    int mSkinMenuCount = 0;
    bool mTemplateSeen = false;
};
} // namespace Orv
