// Menus: trees built in code, copied and taken apart, and menus read from (key, text) pairs.
#include "ControlTestSupport.h"

#include "ControlBase/MenuDescriptor.h"
#include "ControlBase/MenuItemDescriptor.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace Orv;

namespace
{
std::string Narrow(const WString& text)
{
    return text.ToNarrow().GetBuffer();
}

// A menu as text: items joined by ", "; an action item is its label, "|hot key" when it has
// one, and "{NOTIFICATION}"; a separator "-"; a sub-menu entry its label and hot key, then its
// items in "( )".
std::string Render(const LMenuDescriptor& menu)
{
    std::string out;
    for (unsigned int i = 0; i < menu.GetItemCount(); ++i)
    {
        const RCPtr<LMenuItemDescriptor> item = menu.GetItem(i);
        out += i > 0 ? ", " : "";
        if (item->IsSeparator())
        {
            out += "-";
            continue;
        }
        out += Narrow(item->GetLabel());
        if (!item->GetHotKeyText().IsEmpty())
        {
            out += "|" + Narrow(item->GetHotKeyText());
        }
        if (item->HasSubMenu())
        {
            out += "(" + Render(*item) + ")";
        }
        else
        {
            out += "{" + Narrow(item->GetNotificationName()) + "}";
        }
    }
    return out;
}

LMenuDescriptor::StringPairs
Pairs(std::initializer_list<std::pair<const wchar_t*, const wchar_t*>> list)
{
    LMenuDescriptor::StringPairs pairs;
    for (const auto& [key, text] : list)
    {
        pairs.emplace_back(WString(key), WString(text));
    }
    return pairs;
}

// Every item's parent is the menu that holds it.
void ExpectParentsSet(const LMenuDescriptor& menu)
{
    for (unsigned int i = 0; i < menu.GetItemCount(); ++i)
    {
        EXPECT_EQ(menu.GetItem(i)->GetParent().Get(), &menu);
        ExpectParentsSet(*menu.GetItem(i));
    }
}
} // namespace

TEST(MenuStrings, PairsBuildItemsSeparatorsSubMenusAndHotKeys)
{
    struct Case
    {
        const char* what;
        LMenuDescriptor::StringPairs pairs;
        std::string menu;
        size_t problems;
    };
    const Case cases[] = {
        {"the updater's File menu", Pairs({{L"00.NID_MENU_FILE_ITEM_1", L"Select Firmware File"}}),
         "Select Firmware File{NID_MENU_FILE_ITEM_1}", 0},
        {"items, a separator whatever its text, a sub-menu",
         Pairs({{L"00.NID_OPEN", L"Open|Ctrl+O"},
                {L"01.-", L"ignored"},
                {L"02.RECENT.", L"Recent|R"},
                {L"RECENT.00.NID_RECENT_1", L"one.dfu"},
                {L"RECENT.01.NID_RECENT_2", L"two.dfu"}}),
         "Open|Ctrl+O{NID_OPEN}, -, Recent|R(one.dfu{NID_RECENT_1}, two.dfu{NID_RECENT_2})", 0},
        {"sub-menus inside sub-menus",
         Pairs({{L"00.A.", L"A"}, {L"A.00.B.", L"B"}, {L"B.00.NID_DEEP", L"Deep"}}),
         "A(B(Deep{NID_DEEP}))", 0},
        {"the hot-key text: none, an empty label, only the first bar splits",
         Pairs({{L"00.NID_A", L"Plain"}, {L"01.NID_B", L"|Ctrl+B"}, {L"02.NID_C", L"a|b|c"}}),
         "Plain{NID_A}, |Ctrl+B{NID_B}, a|b|c{NID_C}", 0},
        {"1 and 01 are the same item number, 000 is item 0",
         Pairs({{L"000.NID_A", L"A"}, {L"1.NID_B", L"B"}, {L"01.NID_C", L"C"}}),
         "A{NID_A}, B{NID_B}", 1},
        {"an entry without a notification name",
         Pairs({{L"00.SUB.", L"Sub"}, {L"SUB.00", L"Nothing"}}), "Sub(Nothing{})", 0},
        {"item 01 missing: only item 00 is built",
         Pairs({{L"00.NID_A", L"A"}, {L"02.NID_C", L"C"}}), "A{NID_A}", 1},
        {"a second key with the same item number is left out",
         Pairs({{L"00.NID_A", L"A"}, {L"00.NID_B", L"B"}, {L"01.NID_C", L"C"}}),
         "A{NID_A}, C{NID_C}", 1},
        {"a sub-menu without entries gives no item",
         Pairs({{L"00.NID_A", L"A"}, {L"01.EMPTY.", L"Empty"}}), "A{NID_A}", 1},
        {"keys without an item number, or with an empty first part",
         Pairs({{L"NOINDEX", L"x"}, {L".00.NID_X", L"x"}, {L"00.NID_A", L"A"}, {L"", L"x"}}),
         "A{NID_A}", 3},
        {"a sub-menu that names itself is left out, its other entries stay",
         Pairs({{L"00.LOOP.", L"Loop"}, {L"LOOP.00.LOOP.", L"Again"}, {L"LOOP.01.NID_OK", L"Ok"}}),
         "Loop(Ok{NID_OK})", 1},
        {"a sub-menu that names an enclosing menu is left out",
         Pairs({{L"00.A.", L"A"},
                {L"A.00.B.", L"B"},
                {L"B.00.A.", L"Back to A"},
                {L"B.01.NID_OK", L"Ok"}}),
         "A(B(Ok{NID_OK}))", 1},
        {"a sub-menu whose entries all cycle opens nothing",
         Pairs({{L"00.NID_A", L"A"}, {L"01.SELF.", L"Self"}, {L"SELF.00.SELF.", L"Self"}}),
         "A{NID_A}, Self{}", 1},
        {"the same sub-menu twice is no cycle",
         Pairs({{L"00.S.", L"First"}, {L"01.S.", L"Second"}, {L"S.00.NID_S", L"s"}}),
         "First(s{NID_S}), Second(s{NID_S})", 0},
        {"no pairs", {}, "", 0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        std::vector<WString> problems;
        const RCPtr<LMenuDescriptor> menu =
            LMenuDescriptor::BuildFromStringPairs(c.pairs, &problems);
        ASSERT_TRUE(menu);
        EXPECT_FALSE(menu->GetParent());
        EXPECT_EQ(Render(*menu), c.menu);
        EXPECT_EQ(problems.size(), c.problems);
        for (const WString& problem : problems)
        {
            EXPECT_EQ(Narrow(problem).rfind("Menu entry \"", 0), 0u) << Narrow(problem);
        }
        ExpectParentsSet(*menu);
    }
}

TEST(MenuStrings, ItemsReadFromPairsAreEnabledAndUnchecked)
{
    const RCPtr<LMenuDescriptor> menu = LMenuDescriptor::BuildFromStringPairs(
        Pairs({{L"00.NID_A", L"A"}, {L"01.-", L""}, {L"02.S.", L"S"}, {L"S.00.NID_B", L"B"}}));
    for (unsigned int i = 0; i < menu->GetItemCount(); ++i)
    {
        MenuItemInfo info;
        ASSERT_EQ(menu->GetItemInfo(i, info), S_OK);
        EXPECT_TRUE(info.enabled) << i;
        EXPECT_FALSE(info.checked) << i;
    }
    EXPECT_TRUE(menu->GetItem(1)->IsSeparator());
    EXPECT_TRUE(menu->GetItem(1)->GetLabel().IsEmpty());
    EXPECT_TRUE(menu->GetItem(2)->GetNotificationName().IsEmpty());
}

TEST(MenuStrings, ProblemsAreNamedClearly)
{
    std::vector<WString> problems;
    LMenuDescriptor::BuildFromStringPairs(Pairs({{L"00.NID_A", L"A"},
                                                 {L"02.NID_C", L"C"},
                                                 {L"01.LOOP.", L"L"},
                                                 {L"LOOP.00.LOOP.", L"L"}}),
                                          &problems);
    ASSERT_EQ(problems.size(), 2u);
    EXPECT_EQ(Narrow(problems[0]),
              "Menu entry \"02.NID_C\" left out: item 2 is not the next item (1) of its menu");
    EXPECT_EQ(Narrow(problems[1]),
              "Menu entry \"LOOP.00.LOOP.\" left out: the sub-menu \"LOOP\" would contain itself");
}

TEST(MenuStrings, NestingAndSizeHaveLimits)
{
    // A chain of 40 sub-menus: the reader stops at its depth limit.
    LMenuDescriptor::StringPairs chain;
    chain.emplace_back(WString(L"00.M0."), WString(L"m0"));
    for (int i = 0; i < 40; ++i)
    {
        chain.emplace_back(
            WString((L"M" + std::to_wstring(i) + L".00.M" + std::to_wstring(i + 1) + L".").c_str()),
            WString(L"m"));
    }
    std::vector<WString> problems;
    RCPtr<LMenuDescriptor> menu = LMenuDescriptor::BuildFromStringPairs(chain, &problems);
    int depth = 0;
    for (RCPtr<LMenuDescriptor> level = menu; level->GetItemCount() > 0; level = level->GetItem(0))
    {
        ++depth;
    }
    EXPECT_EQ(depth, 32);
    ASSERT_FALSE(problems.empty());
    EXPECT_NE(Narrow(problems.back()).find("nested too deeply"), std::string::npos);

    // Sub-menus that each open the next one twice would double the items at every level.
    LMenuDescriptor::StringPairs doubling;
    doubling.emplace_back(WString(L"00.D0."), WString(L"d"));
    for (int i = 0; i < 30; ++i)
    {
        for (const wchar_t* index : {L".00.D", L".01.D"})
        {
            doubling.emplace_back(
                WString(
                    (L"D" + std::to_wstring(i) + index + std::to_wstring(i + 1) + L".").c_str()),
                WString(L"d"));
        }
    }
    doubling.emplace_back(WString(L"D30.00.NID_LEAF"), WString(L"leaf"));
    problems.clear();
    menu = LMenuDescriptor::BuildFromStringPairs(doubling, &problems);
    std::function<int(const LMenuDescriptor&)> count = [&count](const LMenuDescriptor& m)
    {
        int n = 0;
        for (unsigned int i = 0; i < m.GetItemCount(); ++i)
        {
            n += 1 + count(*m.GetItem(i));
        }
        return n;
    };
    EXPECT_EQ(count(*menu), 4096);
    ASSERT_FALSE(problems.empty());
    EXPECT_NE(Narrow(problems.back()).find("too many items"), std::string::npos);
}

TEST(MenuDescriptor, ItemsAreInsertedWhereAskedAndRefusedWhereTheyWouldBreakTheTree)
{
    const RCPtr<LMenuDescriptor> menu = LMenuDescriptor::Create();
    // The array's result: not negative on success.
    EXPECT_GE(menu->InsertItem(0, WString(L"B"), WString(L"NID_B"), false, true), 0);
    EXPECT_GE(menu->InsertItem(0, WString(L"A"), WString(L"NID_A"), true, false), 0);
    EXPECT_GE(menu->InsertSeparator(2), 0);
    EXPECT_EQ(Render(*menu), "A{NID_A}, B{NID_B}, -");
    // Past the end, null, an item of another menu, the menu itself or an enclosing one.
    EXPECT_TRUE(FAILED(menu->InsertItem(5, WString(L"X"), WString(L"NID_X"), true, false)));
    EXPECT_EQ(menu->InsertItem(0, RCPtr<LMenuItemDescriptor>()), E_INVALIDARG);
    EXPECT_EQ(menu->InsertItem(0, menu->GetItem(1)), E_INVALIDARG);
    const RCPtr<LMenuItemDescriptor> sub =
        LMenuItemDescriptor::CreateItem(WString(L"Sub"), WString(), true, false);
    const RCPtr<LMenuItemDescriptor> inner =
        LMenuItemDescriptor::CreateItem(WString(L"In"), WString(L"NID_IN"), true, false);
    ASSERT_GE(sub->InsertItem(0, inner), 0);
    EXPECT_EQ(inner->InsertItem(0, sub), E_INVALIDARG);
    EXPECT_EQ(inner->InsertItem(0, inner), E_INVALIDARG);
    EXPECT_GE(menu->InsertItem(3, sub), 0);
    EXPECT_EQ(Render(*menu), "A{NID_A}, B{NID_B}, -, Sub(In{NID_IN})");
    ExpectParentsSet(*menu);

    MenuItemInfo info;
    ASSERT_EQ(menu->GetItemInfo(1, info), S_OK);
    EXPECT_FALSE(info.enabled);
    EXPECT_TRUE(info.checked);
    EXPECT_EQ(info.label, WString(L"B"));
    info.enabled = true;
    EXPECT_EQ(menu->GetItemInfo(4, info), E_INVALIDARG);
    EXPECT_FALSE(info.enabled);
    EXPECT_FALSE(info.checked);
    EXPECT_TRUE(info.label.IsEmpty());
}

TEST(MenuDescriptor, ACloneIsDeepAndTheOriginalStaysAsItWas)
{
    const RCPtr<LMenuDescriptor> menu = LMenuDescriptor::BuildFromStringPairs(
        Pairs({{L"00.NID_A", L"A|F1"}, {L"01.-", L""}, {L"02.S.", L"S"}, {L"S.00.NID_B", L"B"}}));
    menu->GetItem(0)->SetStatusText(WString(L"status"));
    menu->GetItem(0)->SetChecked(true);
    const RCPtr<LMenuDescriptor> copy = menu->Clone();
    EXPECT_EQ(Render(*copy), Render(*menu));
    EXPECT_FALSE(copy->GetParent());
    ExpectParentsSet(*copy);
    EXPECT_NE(copy->GetItem(0).Get(), menu->GetItem(0).Get());
    EXPECT_NE(copy->GetItem(2)->GetItem(0).Get(), menu->GetItem(2)->GetItem(0).Get());
    EXPECT_EQ(copy->GetItem(0)->GetStatusText(), WString(L"status"));
    EXPECT_TRUE(copy->GetItem(0)->IsChecked());
    EXPECT_TRUE(copy->GetItem(1)->IsSeparator());
    // A change of the copy leaves the original alone.
    copy->GetItem(2)->GetItem(0)->SetLabel(WString(L"changed"));
    copy->Clear();
    EXPECT_EQ(copy->GetItemCount(), 0u);
    EXPECT_EQ(Render(*menu), "A|F1{NID_A}, -, S(B{NID_B})");
    EXPECT_EQ(menu->GetItem(0)->ToString(), WString(L"A"));
}

TEST(MenuDescriptor, AMenuNoLongerHeldTakesItselfApart)
{
    RCPtr<LMenuItemDescriptor> kept;
    RCPtr<LMenuItemDescriptor> deep;
    {
        RCPtr<LMenuDescriptor> menu = LMenuDescriptor::BuildFromStringPairs(
            Pairs({{L"00.NID_A", L"A"}, {L"01.S.", L"S"}, {L"S.00.NID_B", L"B"}}));
        kept = menu->GetItem(1);
        deep = kept->GetItem(0);
        // The items' references back to their menus are internal ones.
        EXPECT_EQ(menu->GetInternalRefCount(), 2);
        EXPECT_EQ(menu->GetRefCount(), 3);
        EXPECT_EQ(kept->GetInternalRefCount(), 1);
    }
    // The root went with its last outside reference, and let go of its items on the way.
    EXPECT_FALSE(kept->GetParent());
    EXPECT_EQ(kept->GetRefCount(), 2);
    EXPECT_EQ(kept->GetItemCount(), 1u);
    kept = nullptr;
    // Then the sub-menu, held only by its item.
    EXPECT_FALSE(deep->GetParent());
    EXPECT_EQ(deep->GetRefCount(), 1);
    EXPECT_EQ(deep->GetInternalRefCount(), 0);
}
