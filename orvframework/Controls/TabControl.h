// A row of tab buttons and one page shown at a time ("Framework.TabControl"). The skin gives the
// buttons as the children of "buttonHolder" and the pages as the children of "pageHolder"; they
// pair by position, so the button at index i belongs to the page at index i. A tab is named by
// its button's control name, and the selection is kept by that name: the selected index is
// looked up again from it each time.
//
// Every index here is a position in the holders' insertion order, SelectTabByIndex included.
//
// Before a selected tab is left, "NID_TAB_BECOMING_UNSELECTED" asks the listeners, who may keep
// the current tab or redirect to another one by overwriting the parameter's newIndex. One
// redirect is taken per selection: the tab it leads to is selected without asking again, so
// listeners that keep redirecting cannot recurse without end.
//
// UI thread only.
#pragma once

#include "Controls/Panel.h"
#include "Controls/TabBecomingUnselectedParams.h"
#include "notification/NotificationHandler.h"

namespace Orv
{
class LTabControl : public LPanel
{
public:
    LTabControl(const RCPtr<LControl>& parent, const RCPtr<LControlDescriptor>& descriptor);
    ~LTabControl() override;

    // The tab control's table first (once created), then the panel's chain.
    ORVRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                  const RCPtr<LNotification>& notification) override;
    ORVRESULT Unregister(const RCPtr<LNotificationDistributor>& source,
                         const wchar_t* name) override;

    // The panel's; then the holders are found, the first tab is selected and every button of
    // the holder is followed for its clicks. E_FAIL when the panel's fails, or when there is no
    // button holder or no tab button (no tab can be selected).
    ORVRESULT Initialize() override;
    // The base's; on a created control (a new skin) the stored tab is selected again. The
    // base's result.
    ORVRESULT ApplyDescriptor(const RCPtr<LControlDescriptor>& descriptor) override;
    // A top-level tab control that becomes visible gives the selected page the focus.
    void OnConditionsChange(const RCPtr<LConditionsParam>& param) override;

    // The number of tab buttons; 0 without a button holder.
    virtual unsigned int GetTabCount() const;
    // The index of the last button named exactly name (case-sensitive); -1 when none is, or
    // without a button holder.
    virtual int FindTabIndex(const WString& name) const;
    // FindTabIndex of the stored name.
    virtual int GetSelectedTabIndex() const;
    // The page at the selected index; null when there is none.
    virtual RCPtr<LControl> GetSelectedPage() const;
    virtual const WString& GetSelectedTabName() const;
    // The page paired with the tab of that name; null when there is none.
    virtual RCPtr<LControl> GetPageByName(const WString& name) const;
    // The page at index; null without a page holder, for an index not below GetTabCount, or
    // where the holder has no page.
    virtual RCPtr<LControl> GetPage(int index) const;
    // The button named name (FindTabIndex); null when there is none.
    virtual RCPtr<LControl> GetTabButtonByName(const WString& name) const;
    // The button at index; null without a button holder or for an index not below GetTabCount.
    virtual RCPtr<LControl> GetTabButton(int index) const;
    // Selects the tab of that name: the listeners are asked when a selected tab is left for
    // another one, every other page is hidden, the name stored, the tab's page shown, and
    // "NID_TAB_SELECTED" sent with it. A name that is no tab's hides every page, is stored all
    // the same and sends "NID_TAB_SELECTED" with null. E_FAIL without a button or page holder,
    // and when a listener redirected to an index outside the tabs (nothing changes then); S_OK
    // otherwise.
    virtual ORVRESULT SelectTab(const WString& name);
    // SelectTab with the name of the button at index. E_FAIL without a button holder or for an
    // index outside the buttons (nothing changes).
    virtual ORVRESULT SelectTabByIndex(int index);
    // Called while a tab is selected, after the name is stored and before its page shows; a
    // subclass's hook, nothing here.
    virtual void OnTabSelected(int index);

    const RCPtr<LControl>& GetButtonHolder() const { return mButtonHolder; }
    const RCPtr<LControl>& GetPageHolder() const { return mPageHolder; }

private:
    // A tab button was clicked: "NID_TAB_BUTTON_CLICKED", the selection, and when the listeners
    // kept or redirected it, the selected tab's button pressed again; the selected page gets
    // the focus. 1.
    ORVRESULT OnTabButtonClicked(const RCPtr<LNotificationDistributor>& source,
                                 const RCPtr<LNotification>& notification);
    void Send(const wchar_t* name, const RCPtr<LRefCountedObject>& param);

    RCPtr<LNotificationHandler<LTabControl>> mTabHandler;
    RCPtr<LControl> mButtonHolder;
    RCPtr<LControl> mPageHolder;
    WString mSelectedName;
    // Set while a redirect asked for by a listener is carried out: that selection does not ask
    // again.
    bool mRedirecting = false;
};
} // namespace Orv
