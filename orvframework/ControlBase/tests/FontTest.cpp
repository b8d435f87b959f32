// Control fonts: open attributes taken from the base font (the parent's or the skin font), sizes
// relative to it, a parent's change passed down to the children that inherit, and the system
// font when there is no base font at all.
#include "ControlTreeSupport.h"

using namespace Orv;
using namespace OrvTest;

namespace
{
std::string Described(const ConstRCPtr<LFont>& font)
{
    if (font == nullptr)
    {
        return "none";
    }
    char size[32];
    std::snprintf(size, sizeof(size), "%g", static_cast<double>(font->GetSize()));
    return RecordingControl::Narrow(font->GetName()) + " " + size + " " +
           std::to_string(font->GetStyle());
}

// root (skin font); under it: relative (inherits, 1.5 times), with all (inherits everything);
// fixed (inherits, but names everything), with fixedKid (inherits everything); loose (does not
// inherit, gives a size).
std::string FontTree()
{
    const std::string inherits = "FontInheritsFromParent=\"True\" ";
    return SkinDocument(
        Sub("root", 0, 0, 300, 200, "label", "",
            Sub("relative", 0, 0, 100, 20, "label",
                inherits + "FontSizeIsRelative=\"True\" FontSize=\"1.5\"",
                Sub("all", 0, 0, 50, 20, "label", inherits)) +
                Sub("fixed", 0, 30, 100, 20, "label",
                    inherits + "FontName=\"DejaVu Serif\" FontSize=\"9\" FontStyle=\"1\"",
                    Sub("fixedKid", 0, 0, 50, 20, "label", inherits)) +
                Sub("loose", 0, 60, 100, 20, "label", "FontSize=\"8\"")));
}

class ControlFonts : public ControlTreeTest
{
};
} // namespace

TEST_F(ControlFonts, OpenAttributesComeFromTheBaseFontAndFollowTheParent)
{
    Show(FontTree(), L"root");
    // Nothing given: the skin font itself.
    EXPECT_EQ(root->GetFont().Get(), factory->GetSkinFont().Get());
    EXPECT_EQ(Described(At("relative")->GetFont()), "DejaVu Sans 15 0");
    EXPECT_EQ(At("relative/all")->GetFont().Get(), At("relative")->GetFont().Get());
    EXPECT_EQ(Described(At("fixed")->GetFont()), "DejaVu Serif 9 1");
    EXPECT_EQ(Described(At("fixed/fixedKid")->GetFont()), "DejaVu Serif 9 1");
    EXPECT_EQ(Described(At("loose")->GetFont()), "DejaVu Sans 8 0");
    // The looks' text parts draw with it.
    EXPECT_EQ(At("fixed")->GetLook(0)->GetTextPart()->GetFont().Get(),
              At("fixed")->GetFont().Get());

    // The parent's font changes: the children that inherit follow, down the tree.
    ASSERT_EQ(root->SetFontByName(WString(), 12, -1, false), S_OK);
    EXPECT_EQ(Described(root->GetFont()), "DejaVu Sans 12 0");
    EXPECT_EQ(Described(At("relative")->GetFont()), "DejaVu Sans 18 0");
    EXPECT_EQ(Described(At("relative/all")->GetFont()), "DejaVu Sans 18 0");
    EXPECT_EQ(Described(At("fixed")->GetFont()), "DejaVu Serif 9 1");
    EXPECT_EQ(Described(At("fixed/fixedKid")->GetFont()), "DejaVu Serif 9 1");
    // One that does not inherit keeps taking the skin font's open attributes.
    EXPECT_EQ(Described(At("loose")->GetFont()), "DejaVu Sans 8 0");
}

TEST_F(ControlFonts, AnEqualFontChangesNothingButTheLooks)
{
    Show(FontTree(), L"root");
    const RCPtr<LControl> fixed = At("fixed");
    const ConstRCPtr<LFont> font = fixed->GetFont();
    fixed->GetLook(0)->SetFont(nullptr);
    window->invalidated.clear();
    EXPECT_EQ(fixed->SetFont(LFont::GetFont(WString(L"DejaVu Serif"), 9, 1)), S_FALSE);
    EXPECT_EQ(fixed->GetLook(0)->GetTextPart()->GetFont().Get(), font.Get());
    EXPECT_TRUE(window->invalidated.empty());
    EXPECT_EQ(fixed->SetFont(nullptr), E_INVALIDARG);
    // A new font relays the control out and invalidates it, and the child that follows it.
    EXPECT_EQ(fixed->SetFont(LFont::GetFont(WString(L"DejaVu Serif"), 11, 1)), S_OK);
    EXPECT_EQ(window->invalidated.size(), 2u);
    EXPECT_EQ(Described(At("fixed/fixedKid")->GetFont()), "DejaVu Serif 11 1");
}

TEST_F(ControlFonts, WithoutASkinFontTheSystemFontIsTheBase)
{
    factory->SetSkinFont(nullptr);
    const ConstRCPtr<LFont> system = LControl::GetSystemFont();
    ASSERT_NE(system, nullptr);
    EXPECT_FALSE(system->GetName().IsEmpty());
    EXPECT_GT(system->GetSize(), 0.0f);
    Show(FontTree(), L"root");
    EXPECT_EQ(root->GetFont().Get(), system.Get());
    EXPECT_EQ(At("relative")->GetFont()->GetSize(), system->GetSize() * 1.5f);
}
