#include "MenuWindowFixture.h"

#include "TestControls.h"

#include <gtest/gtest.h>

namespace OrvTest
{
using namespace Orv;

namespace
{
std::string Narrow(const WString& text)
{
    return text.ToNarrow().GetBuffer();
}
} // namespace

MenuWindowFixture::MenuWindowFixture()
    : ControlWindowFixture("PopupMenuSkin.xml")
{
    WString strings;
    strings.AssignUtf8(ControlsTestData("PopupMenuStrings.xml").c_str());
    mFactory->LoadStringTables(strings, WString(L"::FRAMEWORK_STRINGS"), 9);
}

void MenuWindowFixture::SetUp()
{
    ControlWindowFixture::SetUp();
    mBar =
        RCPtr<LMainMenu>(RCPtr<LControl>(FindControl(mMain->GetRootControl().Get(), "mainMenu")));
    ASSERT_TRUE(mBar);
}

std::vector<std::uint32_t> MenuWindowFixture::Screenshot(const char* file)
{
    return ControlWindowFixture::Screenshot(file, kWidth, kHeight);
}

std::uint32_t MenuWindowFixture::At(const std::vector<std::uint32_t>& pixels, int x, int y)
{
    return pixels[static_cast<std::size_t>(y) * kWidth + static_cast<std::size_t>(x)];
}

std::string MenuWindowFixture::Rows(const LPopupMenu& popup)
{
    std::string out;
    for (int i = 0; i < popup.GetItemCount(); ++i)
    {
        const RCPtr<LMenuItemDescriptor> item = popup.GetMenuItem(i);
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
            out += ">";
        }
    }
    return out;
}
} // namespace OrvTest
