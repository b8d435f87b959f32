#include "Controls/MainMenu.h"

#include "ControlBase/ControlFactory.h"
#include "Controls/ComboMenu.h"
#include "Controls/PopupMenu.h"
#include "System/RootWindow.h"

#include <cwchar>

namespace Orv
{
namespace
{
const wchar_t kTemplateMenuName[] = L"templateMenu";
const wchar_t kMenuLabelPrefix[] = L"MENU_LABEL.";

RCPtr<LNotificationQueue> RootQueueOf(const LControl& control)
{
    return RCPtr<LNotificationQueue>(
        dynamic_cast<LNotificationQueue*>(control.GetTreeRootWindow().Get()));
}
} // namespace

LMainMenu::LMainMenu(const RCPtr<LControl>& parent, const RCPtr<LControlDescriptor>& descriptor)
    : LControl(parent, descriptor)
{
}

LMainMenu::~LMainMenu()
{
    mMenus.RemoveAll();
    mKeyTarget = nullptr;
    mTemplate = nullptr;
    mUpdater = nullptr;
}

std::vector<RCPtr<LComboMenu>> LMainMenu::RuntimeMenus() const
{
    std::vector<RCPtr<LComboMenu>> menus;
    int skinMenus = mSkinMenuCount;
    const ChildControlList& children = GetChildren();
    for (unsigned int i = 0; i < children.GetCount(); ++i)
    {
        const RCPtr<LComboMenu> menu(children.GetAt(i, kInsertionOrder));
        if (!menu)
        {
            continue;
        }
        if (skinMenus > 0)
        {
            --skinMenus;
            continue;
        }
        menus.push_back(menu);
    }
    return menus;
}

RCPtr<LComboMenu> LMainMenu::GetMenuAt(int position) const
{
    const std::vector<RCPtr<LComboMenu>> menus = RuntimeMenus();
    if (position < 0 || position >= static_cast<int>(menus.size()))
    {
        return nullptr;
    }
    return menus[static_cast<size_t>(position)];
}

ORVRESULT LMainMenu::AddChildControl(const RCPtr<LControl>& child,
                                     const RCPtr<LControlDescriptor>& descriptor)
{
    if (!child && descriptor && descriptor->GetName() == WString(kTemplateMenuName))
    {
        mTemplate = descriptor;
        return S_OK;
    }
    const ORVRESULT result = LControl::AddChildControl(child, descriptor);
    if (SUCCEEDED(result) && !mTemplate && dynamic_cast<LComboMenu*>(child.Get()) != nullptr)
    {
        mTemplate = descriptor;
    }
    return result;
}

ORVRESULT LMainMenu::Initialize()
{
    const ORVRESULT result = LControl::Initialize();
    SetNotFocusable(true);
    const RCPtr<LMenuItemUpdater> updater = GetMenuItemUpdater();
    ChildControlList& children = GetChildren();
    for (unsigned int i = children.GetCount(); i-- > 0;)
    {
        if (i >= children.GetCount())
        {
            continue;
        }
        const RCPtr<LComboMenu> menu(children.GetAt(i, kInsertionOrder));
        if (!menu)
        {
            continue;
        }
        if (menu->GetName() == WString(kTemplateMenuName))
        {
            mTemplate = menu->GetDescriptor();
            menu->Detach();
            mTemplateSeen = true;
            continue;
        }
        menu->SetFocusBoundary(true);
        if (const RCPtr<LPopupMenu> popup = menu->GetPopupMenu())
        {
            popup->SetMenuItemUpdater(updater);
        }
        ++mSkinMenuCount;
        if (!mTemplate)
        {
            mTemplate = menu->GetDescriptor();
        }
    }

    // Titles by the number after the prefix.
    std::vector<WString> titles;
    const WString labelPrefix(kMenuLabelPrefix);
    for (const auto& [key, text] : GetCreateParamsWithPrefix(labelPrefix))
    {
        const int index = static_cast<int>(std::wcstol(key.GetBuffer(), nullptr, 10));
        if (index < 0 || index >= kMaxMenus)
        {
            continue;
        }
        if (static_cast<int>(titles.size()) < index + 1)
        {
            titles.resize(static_cast<size_t>(index) + 1);
        }
        titles[static_cast<size_t>(index)] = text;
    }

    // One menu per menu number, from 0 up to the first number without entries.
    mMenus.RemoveAll();
    for (int index = 0; index < kMaxMenus; ++index)
    {
        RCPtr<LMenuDescriptor> menu;
        if (ReadContextMenuParams(index, menu) != S_OK || !menu)
        {
            break;
        }
        mMenus.InsertItem(mMenus.GetCount(), menu);
    }
    if (!titles.empty() && mMenus.GetCount() == titles.size())
    {
        int failures = 0;
        for (size_t i = 0; i < titles.size(); ++i)
        {
            if (FAILED(InsertMenu(static_cast<int>(i) - failures, titles[i], titles[i],
                                  mMenus.GetConstElementPointer(static_cast<unsigned int>(i)))))
            {
                ++failures;
            }
        }
    }
    return result;
}

RCPtr<LComboMenu> LMainMenu::CreateMenuAtEnd(const WString& name)
{
    if (FindChildControl(name) || !mTemplate)
    {
        return nullptr;
    }
    const RCPtr<LControlFactory>& factory = GetControlFactory();
    if (!factory)
    {
        return nullptr;
    }
    RCPtr<LLayoutDescriptor> layout;
    if (mTemplate->GetLayout())
    {
        mTemplate->GetLayout()->Clone(layout);
    }
    RCPtr<LControlDescriptor> descriptor;
    LControlFactory::MakeControlDescriptor(descriptor, mTemplate, layout, name);
    RCPtr<LControl> control;
    if (FAILED(factory->CreateControl(control, descriptor, RCPtr<LControl>(this))) || !control)
    {
        return nullptr;
    }
    const RCPtr<LComboMenu> menu(control);
    if (!menu)
    {
        control->Detach();
        return nullptr;
    }
    // The bar itself takes no focus; its menus do, as the skin's own menus.
    menu->SetFocusBoundary(true);
    if (const RCPtr<LPopupMenu> popup = menu->GetPopupMenu())
    {
        popup->SetMenuItemUpdater(GetMenuItemUpdater());
        if (const RCPtr<LNotificationQueue> queue = RootQueueOf(*this))
        {
            popup->SetNotificationTarget(queue);
        }
    }
    return menu;
}

void LMainMenu::LinkPositions()
{
    if (!mTemplate || !mTemplate->GetLayout())
    {
        return;
    }
    AxisPlacement own;
    mTemplate->GetLayout()->GetAxisPlacement(LLayoutDescriptor::kAxisX, own);
    // The last skin menu, if any, is the first run-time menu's left neighbour.
    RCPtr<LComboMenu> previous;
    int skinMenus = mSkinMenuCount;
    const ChildControlList& children = GetChildren();
    for (unsigned int i = 0; i < children.GetCount() && skinMenus > 0; ++i)
    {
        const RCPtr<LComboMenu> menu(children.GetAt(i, kInsertionOrder));
        if (menu)
        {
            previous = menu;
            --skinMenus;
        }
    }
    for (const RCPtr<LComboMenu>& menu : RuntimeMenus())
    {
        AxisPlacement placement = own;
        if (previous || !mTemplateSeen)
        {
            if (previous)
            {
                placement.anchor = 0;
                placement.position.kind = LLayoutDescriptor::kPositionSibling;
                placement.position.reference = previous->GetName();
                placement.position.rel = 1;
                placement.position.abs = 0;
            }
        }
        menu->SetAxisPlacement(LLayoutDescriptor::kAxisX, placement);
        previous = menu;
    }
}

void LMainMenu::SetMenuContent(const RCPtr<LComboMenu>& menu, const WString& title,
                               const RCPtr<LMenuDescriptor>& descriptor)
{
    menu->SetText(title);
    const RCPtr<LPopupMenu> popup = menu->GetPopupMenu();
    if (popup && descriptor)
    {
        popup->ShowMenu(ConstRCPtr<LMenuDescriptor>(descriptor));
    }
}

ORVRESULT LMainMenu::InsertMenu(int position, const WString& name, const WString& title,
                                const RCPtr<LMenuDescriptor>& descriptor)
{
    const int count = GetMenuCount();
    if (position < 0 || position > count)
    {
        return E_INVALIDARG;
    }
    const RCPtr<LMainMenu> self(this);
    if (!CreateMenuAtEnd(name))
    {
        return E_FAIL;
    }
    std::vector<RCPtr<LComboMenu>> menus = RuntimeMenus();
    // Each menu after position takes over its left neighbour's title, menu and name; a name
    // being handed on is parked under a temporary name so that no two children share one.
    for (size_t k = menus.size() - 1; k > static_cast<size_t>(position); --k)
    {
        const RCPtr<LComboMenu>& from = menus[k - 1];
        const RCPtr<LComboMenu>& to = menus[k];
        const WString fromName = from->GetName();
        WString parked = fromName;
        parked.Append(L'_');
        SetChildControlName(RCPtr<LControl>(from.Get()), parked);
        SetChildControlName(RCPtr<LControl>(to.Get()), fromName);
        const RCPtr<LPopupMenu> fromPopup = from->GetPopupMenu();
        SetMenuContent(to, from->GetText(), fromPopup ? fromPopup->GetMenu() : nullptr);
    }
    const RCPtr<LComboMenu>& placed = menus[static_cast<size_t>(position)];
    SetChildControlName(RCPtr<LControl>(placed.Get()), name);
    SetMenuContent(placed, title, descriptor);
    LinkPositions();
    return position;
}

ORVRESULT LMainMenu::InsertMenuBefore(const WString& beforeName, const WString& name,
                                      const WString& title,
                                      const RCPtr<LMenuDescriptor>& descriptor)
{
    int position = GetMenuCount();
    if (!beforeName.IsEmpty())
    {
        position = IndexOfMenu(beforeName);
        if (position < 0)
        {
            return E_INVALIDARG;
        }
    }
    return InsertMenu(position, name, title, descriptor);
}

WString LMainMenu::GetMenuName(int position) const
{
    const RCPtr<LComboMenu> menu = GetMenuAt(position);
    return menu ? menu->GetName() : WString();
}

int LMainMenu::IndexOfMenu(const WString& name) const
{
    const std::vector<RCPtr<LComboMenu>> menus = RuntimeMenus();
    for (size_t i = 0; i < menus.size(); ++i)
    {
        if (menus[i]->GetName() == name)
        {
            return static_cast<int>(i);
        }
    }
    return -1;
}

ORVRESULT LMainMenu::UpdateMenuItem(const RCPtr<LMenuDescriptor>& menu, int index,
                                    const WString& nid, MenuItemInfo& info)
{
    if (!mUpdater)
    {
        return 1;
    }
    const RCPtr<LControl> target = mUpdater->GetTarget();
    if (!target)
    {
        return E_FAIL;
    }
    if (target.Get() == this)
    {
        return 1;
    }
    return target->UpdateMenuItem(menu, index, nid, info);
}

RCPtr<LControl> LMainMenu::GetKeyTarget()
{
    if (mKeyTarget && mKeyTarget->IsKeyTarget())
    {
        return mKeyTarget;
    }
    return GetParent() ? GetParent()->GetKeyTarget() : nullptr;
}

void LMainMenu::OnConditionsChange(const RCPtr<LConditionsParam>& param)
{
    LControl::OnConditionsChange(param);
    if (!param || (param->oldConditions & kContainsFocus) != 0 ||
        (param->newConditions & kContainsFocus) == 0)
    {
        return;
    }
    auto* window = dynamic_cast<LRootWindow*>(GetTreeRootWindow().Get());
    if (window != nullptr)
    {
        mKeyTarget = window->GetPreviousFocusControl();
    }
}

ORVRESULT LMainMenu::ProcessRootWindowAquired()
{
    if (const RCPtr<LNotificationQueue> queue = RootQueueOf(*this))
    {
        const ChildControlList& children = GetChildren();
        for (unsigned int i = 0; i < children.GetCount(); ++i)
        {
            const RCPtr<LComboMenu> menu(children.GetAt(i, kInsertionOrder));
            const RCPtr<LPopupMenu> popup = menu ? menu->GetPopupMenu() : nullptr;
            if (popup)
            {
                // A popup that has a target keeps it: a second one is refused.
                popup->SetNotificationTarget(queue);
            }
        }
    }
    return LControl::ProcessRootWindowAquired();
}

ORVRESULT LMainMenu::ApplyDescriptor(const RCPtr<LControlDescriptor>& descriptor)
{
    const RCPtr<LMainMenu> self(this);
    struct Noted
    {
        WString name;
        WString title;
        RCPtr<LMenuDescriptor> menu;
    };
    std::vector<Noted> noted;
    if (IsCreated())
    {
        for (const RCPtr<LComboMenu>& menu : RuntimeMenus())
        {
            const RCPtr<LPopupMenu> popup = menu->GetPopupMenu();
            noted.push_back({menu->GetName(), menu->GetText(), popup ? popup->GetMenu() : nullptr});
        }
    }
    const ORVRESULT result = LControl::ApplyDescriptor(descriptor);
    for (const Noted& entry : noted)
    {
        RCPtr<LComboMenu> menu(FindChildControl(entry.name));
        if (!menu)
        {
            menu = CreateMenuAtEnd(entry.name);
        }
        if (menu)
        {
            SetMenuContent(menu, entry.title, entry.menu);
        }
    }
    if (!noted.empty())
    {
        LinkPositions();
    }
    return result;
}
} // namespace Orv
