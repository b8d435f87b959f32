// Menus from (key, text) pairs, as a control's create parameters or string table give them.
//
// The key is split at "." into parts; a prefix that names the menu as a whole ("CONTEXT_MENU0.")
// has been cut by the caller. "NN.ACTION" is item NN of the top level, "NAME.NN.ACTION" item NN of
// the sub-menu NAME. NN is read as a decimal number ("0", "00" and "000" are all item 0). ACTION
// is a notification name the item fires, "-" for a separator, a sub-menu name with a "." after
// it (the key ends in ".") for an entry that opens that sub-menu, or nothing (an action item with
// no notification). The text is the label; a "|" in it puts the hot-key text after it.
//
// Items must come in ascending order without gaps, as sorted keys with two-digit numbers give
// them: an item whose number is not the next one of its menu is left out. So are keys without an
// item number, entries that open a sub-menu without entries, and entries that would open a menu
// they are part of (a cycle). A menu is built at most kMaxDepth levels deep and with at most
// kMaxItems items in all, so that no input makes it grow without bound. Each entry left out is
// reported.
#include "ControlBase/MenuDescriptor.h"
#include "ControlBase/MenuItemDescriptor.h"
#include "Utilities/Debug/DebugOutput.h"
#include "Utilities/Globals.h"

#include <climits>
#include <cwctype>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace Orv
{
namespace
{
constexpr int kMaxDepth = 32;
constexpr int kMaxItems = 4096;

struct Entry
{
    std::wstring key;
    std::wstring action;
    std::wstring text;
};
using EntryList = std::vector<Entry>;

// The decimal number at the start of text as the C library reads it (blanks, a sign, digits; 0
// when there are none), clamped to the range of int.
int ReadNumber(const std::wstring& text)
{
    size_t i = 0;
    while (i < text.size() && std::iswspace(static_cast<wint_t>(text[i])))
    {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-'))
    {
        negative = text[i] == L'-';
        ++i;
    }
    long long value = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i)
    {
        value = value * 10 + (text[i] - L'0');
        if (value > INT_MAX)
        {
            value = static_cast<long long>(INT_MAX) + 1;
        }
    }
    value = negative ? -value : value;
    return static_cast<int>(value < INT_MIN ? INT_MIN : (value > INT_MAX ? INT_MAX : value));
}

std::vector<std::wstring> SplitKey(const std::wstring& key)
{
    std::vector<std::wstring> parts;
    size_t start = 0;
    for (;;)
    {
        const size_t dot = key.find(L'.', start);
        parts.push_back(key.substr(start, dot == std::wstring::npos ? dot : dot - start));
        if (dot == std::wstring::npos)
        {
            return parts;
        }
        start = dot + 1;
    }
}

class MenuStringReader
{
public:
    explicit MenuStringReader(std::vector<WString>* problems)
        : mProblems(problems)
    {
    }

    // Step 1: the entries of each menu, in order.
    void Collect(const LMenuDescriptor::StringPairs& pairs)
    {
        for (const auto& [keyText, text] : pairs)
        {
            const std::wstring key(keyText.GetBuffer(), keyText.GetLength());
            const std::vector<std::wstring> parts = SplitKey(key);
            if (parts.size() < 2)
            {
                Report(key, L"the key has no item number");
                continue;
            }
            std::wstring name;
            int index = -1;
            size_t actionPart = 1;
            if (parts[0].empty())
            {
                index = -1;
            }
            else if (parts[0][0] >= L'0' && parts[0][0] <= L'9')
            {
                index = ReadNumber(parts[0]);
            }
            else
            {
                name = parts[0];
                index = ReadNumber(parts[1]);
                actionPart = 2;
            }
            std::wstring action;
            if (actionPart < parts.size())
            {
                action = parts[actionPart];
                if (key.back() == L'.')
                {
                    action += L'.';
                }
            }
            EntryList& list = name.empty() ? mTopLevel : mSubMenus[name];
            if (index != static_cast<int>(list.size()))
            {
                Report(key, L"item " + std::to_wstring(index) + L" is not the next item (" +
                                std::to_wstring(list.size()) + L") of its menu");
                continue;
            }
            list.push_back(Entry{key, action, std::wstring(text.GetBuffer(), text.GetLength())});
        }
    }

    // Step 2: the items of list into menu, sub-menus built where their entries point.
    void Build(const EntryList& list, LMenuDescriptor& menu, int depth)
    {
        for (const Entry& entry : list)
        {
            if (mItemCount >= kMaxItems)
            {
                Report(entry.key, L"the menu has too many items");
                return;
            }
            const size_t bar = entry.text.find(L'|');
            const WString label(entry.text.substr(0, bar).c_str());
            const WString hotKey(bar == std::wstring::npos ? L""
                                                           : entry.text.substr(bar + 1).c_str());
            if (!entry.action.empty() && entry.action.back() == L'.')
            {
                const std::wstring name = entry.action.substr(0, entry.action.size() - 1);
                const auto found = mSubMenus.find(name);
                if (found == mSubMenus.end())
                {
                    Report(entry.key, L"the sub-menu \"" + name + L"\" has no entries");
                    continue;
                }
                if (mBuilding.count(name) != 0)
                {
                    Report(entry.key, L"the sub-menu \"" + name + L"\" would contain itself");
                    continue;
                }
                if (depth >= kMaxDepth)
                {
                    Report(entry.key, L"the sub-menu \"" + name + L"\" is nested too deeply");
                    continue;
                }
                const RCPtr<LMenuItemDescriptor> item =
                    LMenuItemDescriptor::CreateItem(label, WString(), true, false);
                if (!hotKey.IsEmpty())
                {
                    item->SetHotKeyText(hotKey);
                }
                Append(menu, item);
                mBuilding.insert(name);
                Build(found->second, *item, depth + 1);
                mBuilding.erase(name);
            }
            else if (entry.action == L"-")
            {
                Append(menu, LMenuItemDescriptor::CreateSeparator());
            }
            else
            {
                const RCPtr<LMenuItemDescriptor> item = LMenuItemDescriptor::CreateItem(
                    label, WString(entry.action.c_str()), true, false);
                item->SetHotKeyText(hotKey);
                Append(menu, item);
            }
        }
    }

    const EntryList& TopLevel() const { return mTopLevel; }

private:
    void Append(LMenuDescriptor& menu, const RCPtr<LMenuItemDescriptor>& item)
    {
        menu.InsertItem(menu.GetItemCount(), item);
        ++mItemCount;
    }

    void Report(const std::wstring& key, const std::wstring& what)
    {
        const WString problem((L"Menu entry \"" + key + L"\" left out: " + what).c_str());
        GetDebugOutput().Narrow() << problem.ToNarrow().GetBuffer() << std::endl;
        if (mProblems != nullptr)
        {
            mProblems->push_back(problem);
        }
    }

    std::vector<WString>* mProblems;
    EntryList mTopLevel;
    // Ordered by name, code unit by code unit.
    std::map<std::wstring, EntryList> mSubMenus;
    // The sub-menus being built, from the top level down.
    std::set<std::wstring> mBuilding;
    int mItemCount = 0;
};
} // namespace

RCPtr<LMenuDescriptor> LMenuDescriptor::BuildFromStringPairs(const StringPairs& pairs,
                                                             std::vector<WString>* problems)
{
    MenuStringReader reader(problems);
    reader.Collect(pairs);
    const RCPtr<LMenuDescriptor> menu = Create();
    reader.Build(reader.TopLevel(), *menu, 0);
    return menu;
}
} // namespace Orv
