// Reading skin documents into descriptors: every element and attribute, the same document in
// UTF-16, the order of sub-controls, bad input, and the sources (resources and files).
#include "ControlTestSupport.h"

#include "ControlBase/ColorHelpers.h"
#include "ControlBase/DefinitionLoading.h"
#include "Utilities/Storage/UtfConversion.h"

#include <cstdint>
#include <cstdio>
#include <functional>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

using namespace Orv;
using namespace OrvTest;

namespace
{
using SkinLoading = ControlTest;

std::string N(const WString& text)
{
    return text.ToNarrow().GetBuffer();
}

std::string Color(const ColorRGBA& c)
{
    char text[64];
    std::snprintf(text, sizeof(text), "%08X", static_cast<unsigned int>(ColorFromFloatRGBA(c)));
    return text;
}

std::string Spec(const LayoutSpec& spec)
{
    std::ostringstream out;
    out << spec.kind << "/" << N(spec.reference) << "/" << spec.rel << "/" << spec.abs;
    return out.str();
}

void DumpPart(std::ostringstream& out, const RCPtr<LVisualPartDescriptor>& part)
{
    if (!part)
    {
        out << "none";
        return;
    }
    out << N(part->GetName()) << "(" << N(part->GetImage().file) << " " << part->GetImage().rect.x
        << "," << part->GetImage().rect.y << " " << part->GetWidth() << "x" << part->GetHeight()
        << " resize " << part->GetResizeType() << " alpha " << part->GetAlphaModifier() << " mask "
        << N(part->GetMask().file) << " " << part->GetMask().rect.x << "," << part->GetMask().rect.y
        << " colorizer ";
    if (const RCPtr<LColorizer>& c = part->GetColorizer())
    {
        out << N(c->GetName()) << " type " << c->GetColorType() << " " << Color(c->GetColor())
            << "->" << Color(c->GetEndColor()) << " (" << c->GetStartX() << "," << c->GetStartY()
            << ")-(" << c->GetEndX() << "," << c->GetEndY() << ")";
    }
    out << ")";
}

void DumpDocked(std::ostringstream& out, const RCPtr<LDockedPart>& docked)
{
    const DockingRecord& p = docked->GetPlacement();
    out << "[flags " << p.offsetFlags << " " << p.left << "," << p.top << "," << p.right << ","
        << p.bottom << " w " << p.width << (p.hasWidth ? "!" : "") << " h " << p.height
        << (p.hasHeight ? "!" : "") << " ";
    DumpPart(out, docked->GetPart());
    out << "]";
}

void DumpLook(std::ostringstream& out, const RCPtr<LLookDescriptor>& look)
{
    if (!look)
    {
        out << "      (empty)\n";
        return;
    }
    out << "      look " << N(look->GetName()) << " client ";
    if (look->GetClientPart())
    {
        DumpDocked(out, look->GetClientPart());
    }
    for (unsigned int i = 0; i < look->GetNonClientParts().GetCount(); ++i)
    {
        out << " nonclient ";
        DumpDocked(out, look->GetNonClientParts().GetConstElementPointer(i));
    }
    if (look->HasText())
    {
        const TextPlacement& t = look->GetTextPlacement();
        out << " text " << t.leftRel << "," << t.leftAbs << "," << t.rightRel << "," << t.rightAbs
            << "," << t.horizontalAlignment << "," << t.topRel << "," << t.topAbs << ","
            << t.bottomRel << "," << t.bottomAbs << "," << t.verticalAlignment << " ink ";
        DumpPart(out, t.foregroundPart);
    }
    out << "\n";
}

void DumpDescriptor(std::ostringstream& out, const RCPtr<LControlDescriptor>& d, int depth)
{
    const std::string pad(static_cast<std::size_t>(depth) * 2, ' ');
    out << pad << N(d->GetClassName()) << " " << N(d->GetName()) << "\n";
    if (const RCPtr<LLayoutDescriptor>& l = d->GetLayout())
    {
        out << pad << "  layout clip " << l->clipToParent << " z " << l->zOrder << " tab "
            << l->tabStop << " visible " << l->visible << " enabled " << l->enabled << " order "
            << l->layoutOrder << " decoration " << N(l->textDecoration) << "\n";
        for (const LLayoutDescriptor::Axis& a : l->axes)
        {
            out << pad << "  axis docked " << a.docked << " anchor " << a.anchor << " pos "
                << Spec(a.position) << " size " << Spec(a.size) << " min " << Spec(a.minimum)
                << " max " << Spec(a.maximum) << " overflow " << a.textOverflow << "\n";
        }
    }
    if (const RCPtr<LSkinDescriptor>& s = d->GetSkin())
    {
        out << pad << "  skin " << N(s->GetName()) << " font " << N(s->GetFontName()) << " "
            << s->GetFontSize() << " " << s->GetFontStyle() << " inherits "
            << s->GetFontInheritsFromParent() << " relative " << s->GetFontSizeIsRelative() << "\n";
        if (const RCPtr<LLookList>& list = s->GetLookList())
        {
            for (unsigned int i = 0; i < list->GetCount(); ++i)
            {
                DumpLook(out, list->GetConstElementPointer(i));
            }
        }
    }
    if (const RCPtr<LStringTable>& params = d->GetCreateParams())
    {
        for (const auto& [name, value] : params->GetEntries())
        {
            out << pad << "  param " << N(name) << "=" << N(value) << "\n";
        }
    }
    for (unsigned int i = 0; i < d->GetChildren().GetCount(); ++i)
    {
        DumpDescriptor(out, d->GetChildren().GetConstElementPointer(i), depth + 1);
    }
}

// Every skin of the factory as text.
std::string Dump(const LControlFactory& factory)
{
    std::ostringstream out;
    out << "application " << N(factory.GetApplicationName()) << "\n";
    for (unsigned int i = 0; i < factory.GetSkinCount(); ++i)
    {
        DumpDescriptor(out, factory.GetSkin(static_cast<int>(i)), 0);
    }
    return out.str();
}

// The document in UTF-16 with a byte-order mark, its declaration naming UTF-16.
std::string ToUtf16(const std::string& utf8, bool bigEndian)
{
    std::string text = utf8;
    const std::string declared = "encoding=\"UTF-8\"";
    const std::size_t at = text.find(declared);
    if (at != std::string::npos)
    {
        text.replace(at, declared.size(), "encoding=\"UTF-16\"");
    }
    const WString wide(text.c_str());
    std::string bytes = bigEndian ? std::string("\xFE\xFF") : std::string("\xFF\xFE");
    for (unsigned int i = 0; i < wide.GetLength(); ++i)
    {
        const auto code = static_cast<unsigned int>(wide.GetBuffer()[i]);
        std::vector<unsigned int> units;
        if (code > 0xFFFF)
        {
            units = {0xD800 + ((code - 0x10000) >> 10), 0xDC00 + ((code - 0x10000) & 0x3FF)};
        }
        else
        {
            units = {code};
        }
        for (const unsigned int unit : units)
        {
            const char high = static_cast<char>(unit >> 8);
            const char low = static_cast<char>(unit & 0xFF);
            bytes += bigEndian ? std::string{high, low} : std::string{low, high};
        }
    }
    return bytes;
}

RCPtr<LControlFactory> LoadFullSkin(const std::string& bytes)
{
    RCPtr<LControlFactory> factory(new LControlFactory(WString(L"Before")));
    // The font translations are those of the string tables' language.
    const std::string strings = ReadFile(TestDataPath("AppStrings.xml"));
    const LControlFactory::Document document = AsDocument(strings);
    EXPECT_EQ(factory->LoadStringTableDocuments(&document, nullptr, 9), S_FALSE);
    EXPECT_EQ(factory->LoadSkinDocument(AsDocument(bytes)), S_OK);
    return factory;
}

std::string Skins(const std::string& inside)
{
    return "<Skin_Definitions><Skins>" + inside + "</Skins></Skin_Definitions>";
}
} // namespace

TEST_F(SkinLoading, ColorizersAndPartsOfTheFixture)
{
    const RCPtr<LControlFactory> loaded = LoadFullSkin(ReadFile(TestDataPath("FullSkin.xml")));
    const RCPtr<LControlDescriptor> main =
        loaded->GetSkin(0)->GetChildren().GetConstElementPointer(0);
    const RCPtr<LLookList> buttonLooks =
        main->GetChildren().GetConstElementPointer(0)->GetSkin()->GetLookList();
    ASSERT_TRUE(buttonLooks);
    const RCPtr<LLookDescriptor> normal = buttonLooks->GetConstElementPointer(0);
    ASSERT_TRUE(normal);

    // A colour-fill part of a solid colorizer.
    const RCPtr<LVisualPartDescriptor> fill = normal->GetClientPart()->GetPart();
    EXPECT_EQ(fill->ToString(), WString(L"fill"));
    EXPECT_TRUE(fill->GetImage().file.IsEmpty());
    EXPECT_EQ(fill->GetWidth(), 10);
    EXPECT_EQ(fill->GetHeight(), 12);
    EXPECT_EQ(fill->GetResizeType(), LVisualPartDescriptor::kCenter);
    EXPECT_EQ(fill->GetAlphaModifier(), 1.0f);
    EXPECT_EQ(fill->GetColorizer()->ToString(), WString(L"solidRed"));
    EXPECT_EQ(fill->GetColorizer()->GetColorType(), LColorizer::kSolid);
    EXPECT_EQ(Color(fill->GetColorizer()->GetColor()), "FFFF0000");

    // An image part: lower-cased image path, the mask as written, a gradient colorizer.
    const RCPtr<LVisualPartDescriptor> frame =
        normal->GetNonClientParts().GetConstElementPointer(0)->GetPart();
    EXPECT_EQ(frame->GetImage().file, WString(L"images/frame.png"));
    EXPECT_EQ(frame->GetImage().rect, RectT<LONG>(4, 8, 32, 16));
    EXPECT_EQ(frame->GetWidth(), 32);
    EXPECT_EQ(frame->GetResizeType(), LVisualPartDescriptor::kTile);
    EXPECT_EQ(frame->GetAlphaModifier(), 0.5f);
    EXPECT_EQ(frame->GetMask().file, WString(L"Images/Mask.png"));
    EXPECT_EQ(frame->GetMask().rect, RectT<LONG>(1, 2, 32, 16));
    const RCPtr<LColorizer> fade = frame->GetColorizer();
    EXPECT_EQ(fade->GetColorType(), LColorizer::kLinearGradient);
    EXPECT_EQ(Color(fade->GetColor()), "80102030");
    EXPECT_EQ(Color(fade->GetEndColor()), "FF405060");
    EXPECT_EQ(fade->GetStartY(), 0.5f);
    EXPECT_EQ(fade->GetEndY(), 0.25f);

    // A radial gradient with a 2-digit colour (alpha only) and a 6-digit end colour (alpha 0).
    const RCPtr<LColorizer> glow = normal->GetTextPlacement().foregroundPart->GetColorizer();
    EXPECT_EQ(glow->GetColorType(), LColorizer::kRadialGradient);
    EXPECT_EQ(Color(glow->GetColor()), "33000000");
    EXPECT_EQ(Color(glow->GetEndColor()), "0000FF00");
}

TEST_F(SkinLoading, LooksLookListsAndSkinsOfTheFixture)
{
    const RCPtr<LControlFactory> loaded = LoadFullSkin(ReadFile(TestDataPath("FullSkin.xml")));
    EXPECT_EQ(loaded->GetApplicationName(), WString(L"TestApp"));
    ASSERT_EQ(loaded->GetSkinCount(), 2u);
    EXPECT_EQ(loaded->GetCurrentSkinIndex(), 0);
    const RCPtr<LControlDescriptor> root = loaded->GetSkin(0);
    EXPECT_EQ(root->GetClassName(), WString(L"Application"));
    EXPECT_EQ(root->GetName(), WString(L"TestApp"));
    EXPECT_EQ(root->GetParent(), nullptr);
    // The root's font name was translated for the language (0x0009) after the skin named it.
    const RCPtr<LSkinDescriptor> rootSkin = root->GetSkin();
    EXPECT_EQ(rootSkin->GetName(), WString(L"Default"));
    EXPECT_EQ(rootSkin->GetFontName(), WString(L"DejaVu Sans"));
    EXPECT_EQ(rootSkin->GetFontSize(), 9.5f);
    EXPECT_EQ(rootSkin->GetFontStyle(), 1);
    EXPECT_FALSE(rootSkin->GetLookList());
    // Each skin starts with no translations: the second one has none.
    EXPECT_EQ(loaded->TranslateFontName(WString(L"Arial")), WString(L"Arial"));

    const RCPtr<LControlDescriptor> main = root->GetChildren().GetConstElementPointer(0);
    EXPECT_EQ(main->GetParent(), root.Get());
    const RCPtr<LSkinDescriptor> mainSkin = main->GetSkin();
    EXPECT_EQ(mainSkin->GetName(), WString(L"mainSkin"));
    EXPECT_EQ(mainSkin->GetFontName(), WString(L"DejaVu Sans"));
    EXPECT_EQ(mainSkin->GetFontSize(), 2.0f);
    EXPECT_EQ(mainSkin->GetFontStyle(), 4);
    EXPECT_TRUE(mainSkin->GetFontInheritsFromParent());
    EXPECT_TRUE(mainSkin->GetFontSizeIsRelative());
    ASSERT_TRUE(mainSkin->GetLookList());
    EXPECT_EQ(mainSkin->GetLookList()->GetCount(), 1u);

    // A look list of three with an empty middle entry.
    const RCPtr<LControlDescriptor> first = main->GetChildren().GetConstElementPointer(0);
    const RCPtr<LLookList> buttonLooks = first->GetSkin()->GetLookList();
    ASSERT_EQ(buttonLooks->GetCount(), 3u);
    EXPECT_EQ(buttonLooks->GetConstElementPointer(0)->ToString(), WString(L"normal"));
    EXPECT_FALSE(buttonLooks->GetConstElementPointer(1));
    EXPECT_EQ(buttonLooks->GetConstElementPointer(2)->ToString(), WString(L"pressed"));
    // Sub-controls without font attributes: size 0 and style -1, not relative.
    EXPECT_EQ(first->GetSkin()->GetFontSize(), 0.0f);
    EXPECT_EQ(first->GetSkin()->GetFontStyle(), -1);
    EXPECT_TRUE(first->GetSkin()->GetFontName().IsEmpty());
    const RCPtr<LControlDescriptor> second = main->GetChildren().GetConstElementPointer(2);
    EXPECT_FALSE(second->GetSkin()->GetFontSizeIsRelative()) << "relative without a size";

    const RCPtr<LLookDescriptor> normal = buttonLooks->GetConstElementPointer(0);
    const DockingRecord& client = normal->GetClientPart()->GetPlacement();
    EXPECT_EQ(client.offsetFlags, DockingRecord::kAllEdges);
    EXPECT_EQ(RectT<LONG>(client.left, client.top, client.right, client.bottom),
              RectT<LONG>(2, 3, -4, -5));
    EXPECT_FALSE(client.hasWidth || client.hasHeight);
    ASSERT_EQ(normal->GetNonClientParts().GetCount(), 2u);
    const DockingRecord& left =
        normal->GetNonClientParts().GetConstElementPointer(0)->GetPlacement();
    EXPECT_EQ(left.offsetFlags, DockingRecord::kLeft | DockingRecord::kTop);
    EXPECT_EQ(left.top, 1);
    EXPECT_TRUE(left.hasWidth);
    EXPECT_EQ(left.width, 8);
    EXPECT_FALSE(left.hasHeight);
    const DockingRecord& right =
        normal->GetNonClientParts().GetConstElementPointer(1)->GetPlacement();
    EXPECT_EQ(right.offsetFlags, DockingRecord::kRight | DockingRecord::kBottom);
    EXPECT_EQ(right.right, -2);
    EXPECT_EQ(right.bottom, -3);
    EXPECT_TRUE(right.hasHeight);
    EXPECT_FALSE(right.hasWidth);
    ASSERT_TRUE(normal->HasText());
    const TextPlacement& text = normal->GetTextPlacement();
    EXPECT_EQ(text.leftAbs, 4);
    EXPECT_EQ(text.rightRel, 1.0f);
    EXPECT_EQ(text.rightAbs, -4);
    EXPECT_EQ(text.horizontalAlignment, 0.5f);
    EXPECT_EQ(text.topRel, 0.25f);
    EXPECT_EQ(text.topAbs, 16);
    EXPECT_EQ(text.bottomAbs, -2);
    EXPECT_EQ(text.verticalAlignment, 1.0f);
    EXPECT_EQ(text.foregroundPart->ToString(), WString(L"ink"));
    EXPECT_FALSE(buttonLooks->GetConstElementPointer(2)->HasText());

    // The second skin.
    const RCPtr<LControlDescriptor> other = loaded->GetSkin(1);
    EXPECT_EQ(other->GetSkin()->GetName(), WString(L"Second"));
    EXPECT_EQ(other->GetChildren().GetConstElementPointer(0)->GetLayout()->axes[0].size.abs, 320);
}

TEST_F(SkinLoading, SubControlLayoutsOfTheFixture)
{
    const RCPtr<LControlFactory> loaded = LoadFullSkin(ReadFile(TestDataPath("FullSkin.xml")));
    const RCPtr<LControlDescriptor> main =
        loaded->GetSkin(0)->GetChildren().GetConstElementPointer(0);
    const LLayoutDescriptor& layout = *main->GetLayout();
    EXPECT_FALSE(layout.clipToParent);
    EXPECT_EQ(layout.zOrder, 3);
    EXPECT_EQ(layout.layoutOrder, 1);
    // A skin's top-level control keeps its tab stop and visibility.
    EXPECT_EQ(layout.tabStop, 0);
    EXPECT_TRUE(layout.visible);
    EXPECT_TRUE(layout.enabled);
    EXPECT_EQ(layout.textDecoration, WString(L"underline"));
    const LLayoutDescriptor::Axis& x = layout.axes[0];
    const LLayoutDescriptor::Axis& y = layout.axes[1];
    EXPECT_EQ(x.anchor, 0.5f);
    EXPECT_EQ(y.anchor, 1.0f);
    EXPECT_TRUE(x.docked);
    EXPECT_FALSE(y.docked) << "\"true\" is not \"True\"";
    EXPECT_EQ(Spec(x.position), "0//0.5/-7");
    EXPECT_EQ(Spec(y.position), "1//0.25/32");
    EXPECT_EQ(Spec(x.size), "0//1/-10");
    EXPECT_EQ(Spec(y.size), "2//0.5/480");
    EXPECT_EQ(Spec(x.minimum), "1/Children/1/100");
    EXPECT_EQ(Spec(y.minimum), "0//0.5/50");
    EXPECT_EQ(Spec(x.maximum), "0//0.75/800");
    EXPECT_EQ(Spec(y.maximum), "1/footer/2/600");
    EXPECT_EQ(x.textOverflow, LLayoutDescriptor::kOverflowWrap);
    EXPECT_EQ(y.textOverflow, LLayoutDescriptor::kOverflowClip) << "Wrap is not read vertically";

    // Sorted by LayoutOrder: first (0), middle (1), second (2).
    const LControlDescriptor::Children& children = main->GetChildren();
    ASSERT_EQ(children.GetCount(), 3u);
    EXPECT_EQ(children.GetConstElementPointer(0)->GetName(), WString(L"first"));
    EXPECT_EQ(children.GetConstElementPointer(1)->GetName(), WString(L"middle"));
    const RCPtr<LControlDescriptor> second = children.GetConstElementPointer(2);
    EXPECT_EQ(second->GetName(), WString(L"second"));
    EXPECT_EQ(second->GetClassName(), WString(L"Test.Button"));
    // Deeper down, tab stop and visibility are read.
    EXPECT_EQ(second->GetLayout()->tabStop, -1);
    EXPECT_FALSE(second->GetLayout()->visible);
    EXPECT_EQ(Spec(second->GetLayout()->axes[0].position), "2/first/0/0");
    EXPECT_EQ(Spec(second->GetLayout()->axes[0].size), "1//0/16");
    EXPECT_EQ(Spec(second->GetLayout()->axes[1].size), "3/first/0/40");
    EXPECT_EQ(second->GetLayout()->axes[0].textOverflow, LLayoutDescriptor::kOverflowExpand);
    EXPECT_EQ(second->GetLayout()->axes[1].textOverflow, LLayoutDescriptor::kOverflowExpand);
    // A sub-control without attributes has the defaults.
    const LLayoutDescriptor defaults;
    const LLayoutDescriptor& middle = *children.GetConstElementPointer(1)->GetLayout();
    EXPECT_TRUE(middle.clipToParent);
    EXPECT_EQ(Spec(middle.axes[0].position), Spec(defaults.axes[0].position));
    EXPECT_EQ(Spec(middle.axes[0].size), "2//0/16");
    EXPECT_EQ(Spec(middle.axes[1].size), "2//0/40");
    EXPECT_EQ(Spec(middle.axes[1].maximum), "0//0/0");
}

TEST_F(SkinLoading, CreateParametersKeepTheirWholeText)
{
    const RCPtr<LControlFactory> loaded = LoadFullSkin(ReadFile(TestDataPath("FullSkin.xml")));
    const RCPtr<LControlDescriptor> main =
        loaded->GetSkin(0)->GetChildren().GetConstElementPointer(0);
    WString value;
    ASSERT_TRUE(main->GetCreateParams());
    ASSERT_TRUE(main->GetCreateParams()->Lookup(L"INITIAL_VALUE", value));
    EXPECT_EQ(value, WString(L"0.25"));
    // Pieces split at entity references and line breaks, joined.
    ASSERT_TRUE(main->GetCreateParams()->Lookup(L"DESCRIPTION", value));
    EXPECT_EQ(value, WString(L"Tom & Jerry\nsecond line \u263A"));
    const RCPtr<LControlDescriptor> first = main->GetChildren().GetConstElementPointer(0);
    EXPECT_TRUE(first->GetCreateParamFlag(L"DEFER_CREATE"));
    EXPECT_FALSE(main->GetCreateParamFlag(L"DEFER_CREATE"));
    EXPECT_FALSE(main->GetChildren().GetConstElementPointer(1)->GetCreateParams());
}

TEST_F(SkinLoading, TheSameDocumentInUtf16LoadsIdentically)
{
    const std::string utf8 = ReadFile(TestDataPath("FullSkin.xml"));
    const std::string expected = Dump(*LoadFullSkin(utf8));
    ASSERT_NE(expected.find("DejaVu Sans"), std::string::npos);
    for (const bool bigEndian : {false, true})
    {
        const std::string utf16 = ToUtf16(utf8, bigEndian);
        EXPECT_EQ(Dump(*LoadFullSkin(utf16)), expected) << (bigEndian ? "big" : "little");
    }
}

TEST_F(SkinLoading, EqualLayoutOrdersKeepTheDocumentOrder)
{
    std::string inside = "<Skin Name=\"s\"><SubControl Class=\"Test.Panel\" Name=\"top\">";
    std::vector<std::string> expected[2];
    for (int i = 0; i < 40; ++i)
    {
        const int order = (i * 7) % 3 == 0 ? 1 : 0;
        const std::string name = std::string("c").append(std::to_string(i));
        inside += "<SubControl Class=\"Test.Button\" Name=\"" + name + "\" LayoutOrder=\"" +
                  std::to_string(order) + "\"/>";
        expected[order].push_back(name);
    }
    inside += "</SubControl></Skin>";
    ASSERT_EQ(factory->LoadSkinDocument(AsDocument(Skins(inside))), S_OK);
    const LControlDescriptor::Children& children =
        factory->FindControlDescriptor(WString(L"top"))->GetChildren();
    std::vector<std::string> names;
    for (unsigned int i = 0; i < children.GetCount(); ++i)
    {
        names.push_back(N(children.GetConstElementPointer(i)->GetName()));
    }
    std::vector<std::string> order = expected[0];
    order.insert(order.end(), expected[1].begin(), expected[1].end());
    EXPECT_EQ(names, order);

    // A skin root's own children keep the document's order whatever their layout order.
    const std::string roots =
        Skins("<Skin Name=\"r\">"
              "<SubControl Class=\"Test.Panel\" Name=\"b\" LayoutOrder=\"2\"/>"
              "<SubControl Class=\"Test.Panel\" Name=\"a\" LayoutOrder=\"1\"/>"
              "</Skin>");
    ASSERT_EQ(factory->LoadSkinDocument(AsDocument(roots)), S_OK);
    factory->SetCurrentSkinIndex(1);
    const RCPtr<LControlDescriptor> root = factory->GetSkin(1);
    EXPECT_EQ(root->GetChildren().GetConstElementPointer(0)->GetName(), WString(L"b"));
}

TEST_F(SkinLoading, BadInputIsIgnoredReportedAndLosesNothing)
{
    struct Case
    {
        const char* what;
        std::string document;
        ORVRESULT result;
        const char* report;
        // Checks the factory after the load.
        std::function<void(LControlFactory&)> check;
    };
    auto skinOf = [](const std::string& definitions, const std::string& subControl)
    {
        return "<Skin_Definitions>" + definitions + "<Skins><Skin Name=\"bad\">" + subControl +
               "</Skin></Skins></Skin_Definitions>";
    };
    auto look = [](LControlFactory& f, unsigned int index)
    {
        const RCPtr<LControlDescriptor> d = f.FindControlDescriptor(WString(L"c"));
        return d && d->GetSkin() && d->GetSkin()->GetLookList()
                   ? d->GetSkin()->GetLookList()->GetConstElementPointer(index)
                   : RCPtr<LLookDescriptor>();
    };
    const std::string fill = "<Colorizers><Colorizer Name=\"red\" ColorType=\"SolidFill\" "
                             "Color=\"0xFFFF0000\"/></Colorizers><Parts><Part Name=\"p\" "
                             "Width=\"4\" Height=\"4\" ResizeType=\"Stretch\" "
                             "ColorizerName=\"red\"/></Parts>";
    const std::string withLook = "<SubControl Class=\"Test.Panel\" Name=\"c\"><Skin Name=\"k\" "
                                 "LookList=\"list\"/></SubControl>";
    const Case cases[] = {
        {"client part before any look",
         skinOf(fill + "<ClientPart Name=\"p\" OffsetLeft=\"0\" OffsetTop=\"0\" "
                       "OffsetRight=\"0\" OffsetBottom=\"0\"/>",
                ""),
         S_OK, "ClientPart outside a look ignored", nullptr},
        {"unknown attribute",
         skinOf("", "<SubControl Class=\"Test.Panel\" Name=\"c\" Colour=\"red\" Z_Order=\"2\"/>"),
         S_OK, "element SubControl: unknown attribute Colour ignored",
         [](LControlFactory& f)
         { EXPECT_EQ(f.FindControlDescriptor(WString(L"c"))->GetLayout()->zOrder, 2); }},
        {"look index out of range",
         skinOf(fill + "<Looks><Look Name=\"l\"/></Looks><LookLists><LookList Name=\"list\" "
                       "NumLooks=\"2\"><Look Name=\"l\" Index=\"2\"/><Look Name=\"l\" "
                       "Index=\"-1\"/><Look Name=\"l\" Index=\"1\"/></LookList></LookLists>",
                withLook),
         S_OK, "look list entry l with Index 2 outside the list's 2 looks ignored",
         [look](LControlFactory& f)
         {
             EXPECT_FALSE(look(f, 0));
             EXPECT_TRUE(look(f, 1));
         }},
        {"look list too long",
         skinOf("<LookLists><LookList Name=\"list\" NumLooks=\"100000\"/></LookLists>", withLook),
         S_OK, "LookList list with NumLooks 100000 (0 to 256) ignored",
         [](LControlFactory& f)
         { EXPECT_FALSE(f.FindControlDescriptor(WString(L"c"))->GetSkin()->GetLookList()); }},
        {"look list of negative size",
         skinOf("<LookLists><LookList Name=\"list\" NumLooks=\"-1\"/></LookLists>", ""), S_OK,
         "NumLooks -1", nullptr},
        {"sub-control outside a skin",
         "<Skin_Definitions><SubControl Class=\"Test.Panel\" Name=\"stray\"/></Skin_Definitions>",
         S_OK, "SubControl stray outside a skin ignored", nullptr},
        {"wrong kind of element", skinOf("<StringTable ID=\"x\"/><Unheard/>", ""), S_OK,
         "unknown element Unheard ignored", nullptr},
        {"sub-control without class", skinOf("", "<SubControl Name=\"c\"/>"), E_FAIL,
         "Bad Subcontrol Element", nullptr},
        {"malformed document", skinOf("", "<SubControl Class=\"Test.Panel\" Name=\"c\">"), E_FAIL,
         "mismatched tag", nullptr},
        {"not a document at all", "\x01\x02 nonsense", E_FAIL, "", nullptr},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        const RCPtr<LControlFactory> f(new LControlFactory(WString(L"TestApp")));
        const std::string good = ReadFile(TestDataPath("FullSkin.xml"));
        ASSERT_EQ(f->LoadSkinDocument(AsDocument(good)), S_OK);
        const std::string before = Dump(*f);
        testing::internal::CaptureStderr();
        const ORVRESULT result = f->LoadSkinDocument(AsDocument(c.document));
        const std::string report = testing::internal::GetCapturedStderr();
        EXPECT_EQ(result, c.result);
        EXPECT_NE(report.find(c.report), std::string::npos) << report;
        // What loaded before stays as it was.
        EXPECT_EQ(Dump(*f).substr(0, before.size()), before);
        if (FAILED(result))
        {
            EXPECT_NE(N(f->GetLastErrorText()).find(c.report), std::string::npos)
                << N(f->GetLastErrorText());
            EXPECT_GT(f->GetLastErrorLine(), 0);
        }
        else if (c.check)
        {
            f->SetCurrentSkinIndex(static_cast<int>(f->GetSkinCount()) - 1);
            c.check(*f);
        }
    }
}

TEST_F(SkinLoading, NumbersAndColoursAreReadAsTheDocumentsHaveAlwaysBeenRead)
{
    // A colorizer, a part of it, a look of the part, a list of two entries holding the look,
    // and a sub-control drawn with the list; each case writes one of these attributes.
    struct Case
    {
        const char* what;
        const char* color;
        const char* width;
        const char* index;
        std::string attributes;
        // Elements of the skin before the sub-control.
        std::string before;
        // What the descriptors hold, and what the report says.
        std::vector<std::string> held;
        const char* report;
    };
    const Case cases[] = {
        {"a colour of seven digits",
         "0x1234567",
         "4",
         "0",
         "",
         "",
         {"colorizer c type 0 00000000->00000000"},
         "element Colorizer: attribute Color = \"0x1234567\" is not 0x and 8, 6 or 2 "
         "hexadecimal digits: read as colour 0"},
        {"an empty colour", "", "4", "0", "", "", {"colorizer c type 0 00000000"}, "Color = \"\""},
        {"a colour with a bad digit",
         "0xFF00GG00",
         "4",
         "0",
         "",
         "",
         {"colorizer c type 0 00000000"},
         "Color = \"0xFF00GG00\""},
        {"a clean colour", "0x80FF0000", "4", "0", "", "", {"colorizer c type 0 80FF0000"}, ""},
        {"a width with a unit",
         "0xFFFF0000",
         "12px",
         "0",
         "",
         "",
         {" 12x4 resize"},
         "element Part: attribute Width = \"12px\" read as 12"},
        {"an index that is no number",
         "0xFFFF0000",
         "4",
         "abc",
         "",
         "",
         {"      look l client", "l client [flags 15 0,0,0,0 w 0 h 0 p(", "\n      (empty)\n"},
         "element Look: attribute Index = \"abc\" read as 0"},
        {"a z order with letters",
         "0xFFFF0000",
         "4",
         "1",
         "Z_Order=\"12abc\"",
         "",
         {"layout clip 1 z 12 ", "      (empty)\n      look l"},
         "element SubControl: attribute Z_Order = \"12abc\" read as 12"},
        {"an anchor with letters",
         "0xFFFF0000",
         "4",
         "0",
         "XPlacementAnchor=\"0.5x\"",
         "",
         {"axis docked 0 anchor 0.5 "},
         "attribute XPlacementAnchor = \"0.5x\" read as 0.5"},
        {"a size with a fraction",
         "0xFFFF0000",
         "4",
         "0",
         "YSizeAbs=\"2.9\" XPositionAbs=\" -7 \"",
         "",
         {"size 2//0/2 ", "pos 1//0/-7 "},
         "attribute YSizeAbs = \"2.9\" read as 2"},
        {"a real that is no number",
         "0xFFFF0000",
         "4",
         "0",
         "XPositionRel=\"nan\"",
         "",
         {"pos 1//0/0 "},
         "attribute XPositionRel = \"nan\" read as 0"},
        {"a font locale with letters",
         "0xFFFF0000",
         "4",
         "0",
         "FontName=\"Serif\"",
         "<FontLocale LCID=\"9abc\"/><FontXLat Name=\"Serif\" XLat=\"Sans\"/>",
         {"skin k font Sans "},
         "element FontLocale: attribute LCID = \"9abc\" read as 9"},
        {"numbers too large are still ignored",
         "0xFFFF0000",
         "4",
         "0",
         "XSizeAbs=\"99999999999\" LayoutOrder=\"0x123456789\" YPlacementAnchor=\"1e999\"",
         "",
         {"order 0 ", "size 2//0/16 "},
         "XSizeAbs = \"99999999999\" does not fit 32 bits, ignored"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        const std::string document =
            std::string("<Skin_Definitions><Colorizers><Colorizer Name=\"c\" "
                        "ColorType=\"SolidFill\" Color=\"") +
            c.color + "\"/></Colorizers><Parts><Part Name=\"p\" Width=\"" + c.width +
            "\" Height=\"4\" ResizeType=\"Stretch\" ColorizerName=\"c\"/></Parts><Looks><Look "
            "Name=\"l\"><ClientPart Name=\"p\" OffsetLeft=\"0\" OffsetTop=\"0\" "
            "OffsetRight=\"0\" OffsetBottom=\"0\"/></Look></Looks><LookLists><LookList "
            "Name=\"list\" NumLooks=\"2\"><Look Name=\"l\" Index=\"" +
            c.index + "\"/></LookList></LookLists><Skins><Skin Name=\"s\">" + c.before +
            "<SubControl Class=\"Test.Panel\" Name=\"c\" " + c.attributes +
            "><Skin Name=\"k\" LookList=\"list\"/></SubControl></Skin></Skins>"
            "</Skin_Definitions>";
        const RCPtr<LControlFactory> f(new LControlFactory(WString(L"TestApp")));
        // The font translations are those of the string tables' language, 9.
        const std::string strings = ReadFile(TestDataPath("AppStrings.xml"));
        const LControlFactory::Document tables = AsDocument(strings);
        f->LoadStringTableDocuments(&tables, nullptr, 9);
        testing::internal::CaptureStderr();
        EXPECT_EQ(f->LoadSkinDocument(AsDocument(document)), S_OK);
        const std::string report = testing::internal::GetCapturedStderr();
        const std::string held = Dump(*f);
        for (const std::string& part : c.held)
        {
            EXPECT_NE(held.find(part), std::string::npos) << part << " in\n" << held;
        }
        if (*c.report != 0)
        {
            EXPECT_NE(report.find(c.report), std::string::npos) << report;
            // Once, with the line.
            EXPECT_EQ(report.find(c.report), report.rfind(c.report)) << report;
            EXPECT_NE(report.find("Skin document line 1: "), std::string::npos) << report;
        }
        else
        {
            EXPECT_EQ(report.find("attribute"), std::string::npos) << report;
        }
    }
}

TEST_F(SkinLoading, ABadSubControlStopsTheParseWithItsTextAndLine)
{
    const std::string document = "<Skin_Definitions>\n<Skins>\n<Skin Name=\"s\">\n"
                                 "<SubControl Class=\"Test.Panel\" Name=\"kept\">\n"
                                 "<SubControl Class=\"Test.Button\" Name=\"late\" "
                                 "LayoutOrder=\"2\"/>\n"
                                 "<SubControl Class=\"Test.Button\" Name=\"early\" "
                                 "LayoutOrder=\"1\"/>\n"
                                 "<SubControl Class=\"Test.Panel\"/>\n"
                                 "<SubControl Class=\"Test.Panel\" Name=\"never\"/>\n"
                                 "</SubControl></Skin></Skins></Skin_Definitions>";
    testing::internal::CaptureStderr();
    EXPECT_EQ(factory->LoadSkinDocument(AsDocument(document)), E_FAIL);
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(N(factory->GetLastErrorText()),
              "Runtime Error : Bad Subcontrol Element : Orv::LControlFactory::XMLStartElement : "
              "ControlBase\\ControlFactory : Line 1089");
    EXPECT_EQ(factory->GetLastErrorLine(), 7);
    // What was read before the element stays, in layout order though its parent never ended.
    ASSERT_EQ(factory->GetSkinCount(), 1u);
    const RCPtr<LControlDescriptor> kept = factory->FindControlDescriptor(WString(L"kept"));
    ASSERT_TRUE(kept);
    ASSERT_EQ(kept->GetChildren().GetCount(), 2u);
    EXPECT_EQ(kept->GetChildren().GetConstElementPointer(0)->GetName(), WString(L"early"));
    EXPECT_EQ(kept->GetChildren().GetConstElementPointer(1)->GetName(), WString(L"late"));
}

TEST_F(SkinLoading, DeepNestingIsBoundedAndAnEmptyDocumentHoldsNothing)
{
    std::string inside = "<Skin Name=\"deep\">";
    const int depth =
        LControlFactory::kMaxSubControlDepth + LControlFactory::kMaxReportedProblems + 20;
    for (int i = 0; i < depth; ++i)
    {
        inside += "<SubControl Class=\"Test.Panel\" Name=\"n" + std::to_string(i) + "\">";
    }
    for (int i = 0; i < depth; ++i)
    {
        inside += "</SubControl>";
    }
    inside += "<SubControl Class=\"Test.Panel\" Name=\"after\"/></Skin>";
    testing::internal::CaptureStderr();
    EXPECT_EQ(factory->LoadSkinDocument(AsDocument(Skins(inside))), S_OK);
    const std::string report = testing::internal::GetCapturedStderr();
    EXPECT_NE(report.find("nested more than 256 deep ignored"), std::string::npos);
    EXPECT_NE(report.find("further problems are not reported"), std::string::npos);
    int levels = 0;
    for (RCPtr<LControlDescriptor> d = factory->FindControlDescriptor(WString(L"n0")); d;
         d = d->GetChildren().GetCount() != 0 ? d->GetChildren().GetConstElementPointer(0)
                                              : RCPtr<LControlDescriptor>())
    {
        ++levels;
    }
    EXPECT_EQ(levels, LControlFactory::kMaxSubControlDepth);
    EXPECT_TRUE(factory->FindControlDescriptor(WString(L"after")));

    const unsigned int skins = factory->GetSkinCount();
    EXPECT_EQ(factory->LoadSkinDocument(LControlFactory::Document{"", 0}), S_OK);
    EXPECT_EQ(factory->GetSkinCount(), skins);
}

TEST_F(SkinLoading, SourcesAreResourcesOrFiles)
{
    // The resource name is upper-cased, full stops and blanks becoming underscores.
    EXPECT_EQ(factory->LoadSkins(WString(L"::app skins.xml")), S_OK);
    ASSERT_EQ(factory->GetSkinCount(), 2u);
    testing::internal::CaptureStderr();
    EXPECT_EQ(factory->LoadSkins(WString(L"::NO_SUCH_SKINS")), E_FAIL);
    EXPECT_EQ(N(factory->GetLastErrorText()), "no ORVXML resource NO_SUCH_SKINS");
    // A resource of no bytes is not there.
    EXPECT_EQ(factory->LoadSkins(WString(L"::EMPTY_DOCUMENT")), E_FAIL);
    EXPECT_EQ(factory->LoadSkins(WString(TestDataPath("NoSuchFile.xml").c_str())), E_FAIL);
    const std::string report = testing::internal::GetCapturedStderr();
    EXPECT_NE(report.find("the file cannot be opened"), std::string::npos) << report;
    EXPECT_EQ(factory->GetSkinCount(), 2u);

    // A file; an empty file is an empty document.
    EXPECT_EQ(factory->LoadSkins(WString(TestDataPath("FullSkin.xml").c_str())), S_OK);
    EXPECT_EQ(factory->GetSkinCount(), 4u);
    EXPECT_EQ(factory->LoadSkins(WString(TestDataPath("Empty.xml").c_str())), S_OK);
    EXPECT_EQ(factory->GetSkinCount(), 4u);
    EXPECT_EQ(factory->GetCurrentSkinIndex(), 0);
}

TEST(XmlValues, NumbersAreReadAsTheCLibraryReadsThemAndColoursByTheirLength)
{
    struct IntCase
    {
        const char* text;
        XmlNumber read;
        int value;
    };
    const IntCase ints[] = {
        {"42", XmlNumber::kWhole, 42},
        {" -7 ", XmlNumber::kWhole, -7},
        {"+3", XmlNumber::kWhole, 3},
        {"0x7c04", XmlNumber::kWhole, 0x7C04},
        {"0x0009", XmlNumber::kWhole, 9},
        {" 0x0009 ", XmlNumber::kWhole, 9},
        {"0x00090", XmlNumber::kWhole, 0x90},
        {"0x12345", XmlNumber::kWhole, 0x12345},
        {"0xFFFFFFFF", XmlNumber::kWhole, -1},
        {"0x00000000FF", XmlNumber::kWhole, 0xFF},
        {"0x123456789", XmlNumber::kTooLarge, 99},
        {"0x0009x", XmlNumber::kLeading, 9},
        {"0X0009", XmlNumber::kLeading, 0},
        {"0x", XmlNumber::kLeading, 0},
        {"0xG", XmlNumber::kLeading, 0},
        {"0x-1", XmlNumber::kLeading, 0},
        {"", XmlNumber::kLeading, 0},
        {"abc", XmlNumber::kLeading, 0},
        {"3px", XmlNumber::kLeading, 3},
        {"2.9", XmlNumber::kLeading, 2},
        {"12abc", XmlNumber::kLeading, 12},
        {"- 1", XmlNumber::kLeading, 0},
        {"+-1", XmlNumber::kLeading, 0},
        {"2147483647", XmlNumber::kWhole, INT32_MAX},
        {"2147483648", XmlNumber::kTooLarge, 99},
        {"-2147483648", XmlNumber::kWhole, INT32_MIN},
        {"-2147483649", XmlNumber::kTooLarge, 99},
        {"99999999999999999999999", XmlNumber::kTooLarge, 99},
    };
    for (const IntCase& c : ints)
    {
        int value = 99;
        EXPECT_EQ(ParseXmlInt(c.text, value), c.read) << c.text;
        EXPECT_EQ(value, c.value) << c.text;
    }
    struct FloatCase
    {
        const char* text;
        XmlNumber read;
        float value;
    };
    const FloatCase floats[] = {
        {"0.5", XmlNumber::kWhole, 0.5f},     {" -2.25 ", XmlNumber::kWhole, -2.25f},
        {"1e2", XmlNumber::kWhole, 100.0f},   {"+.5", XmlNumber::kWhole, 0.5f},
        {"5.", XmlNumber::kWhole, 5.0f},      {"0.5x", XmlNumber::kLeading, 0.5f},
        {"1.5.2", XmlNumber::kLeading, 1.5f}, {"2e", XmlNumber::kLeading, 2.0f},
        {"2e+x", XmlNumber::kLeading, 2.0f},  {"0x10", XmlNumber::kLeading, 0.0f},
        {"nan", XmlNumber::kLeading, 0.0f},   {"inf", XmlNumber::kLeading, 0.0f},
        {".", XmlNumber::kLeading, 0.0f},     {"", XmlNumber::kLeading, 0.0f},
        {"1e39", XmlNumber::kTooLarge, 9.0f}, {"-1e999", XmlNumber::kTooLarge, 9.0f},
    };
    for (const FloatCase& c : floats)
    {
        float value = 9;
        EXPECT_EQ(ParseXmlFloat(c.text, value), c.read) << c.text;
        EXPECT_EQ(value, c.value) << c.text;
    }
    struct ColorCase
    {
        const char* text;
        bool ok;
        const char* packed;
    };
    const ColorCase colors[] = {
        {"0xFF43E346", true, "FF43E346"}, {"0X80102030", true, "80102030"},
        {"FF0000", true, "00FF0000"},     {"0x7F", true, "7F000000"},
        {"0x12345", false, "00000000"},   {"0xGG0000", false, "00000000"},
        {"", false, "00000000"},
    };
    for (const ColorCase& c : colors)
    {
        ColorRGBA color;
        EXPECT_EQ(ColorFromHexText(color, c.text), c.ok) << c.text;
        EXPECT_EQ(Color(color), c.packed) << c.text;
    }
    ColorRGBA untouched{0.5f, 0.5f, 0.5f, 0.5f};
    EXPECT_FALSE(ColorFromHexText(untouched, nullptr));
    EXPECT_EQ(untouched.red, 0.5f);
}

TEST_F(SkinLoading, TheDefinitionsComeFromTheResourcesOrAFolder)
{
    EXPECT_EQ(LoadDefinitions(*factory, WString(L"::"), 0x0407), S_OK);
    EXPECT_EQ(factory->GetLanguageId(), 0x0007);
    EXPECT_EQ(factory->GetSkinCount(), 2u);
    RCPtr<LStringTable> table;
    ASSERT_TRUE(factory->GetFrameworkStringTable(table));
    WString text;
    EXPECT_TRUE(table->Lookup(L"CANCEL", text));
    EXPECT_EQ(text, WString(L"Abbrechen"));

    // A folder of the three files.
    char folder[] = "/tmp/orv_definitions_XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::pair<const char*, const char*> files[] = {
        {"AppStrings.xml", "StringTables.xml"},
        {"FrameworkStrings.utf16.xml", "FrameworkStrings.xml"},
        {"FullSkin.xml", "Skins.xml"}};
    for (const auto& [from, to] : files)
    {
        std::ofstream(std::string(folder) + "/" + to, std::ios::binary)
            << ReadFile(TestDataPath(from));
    }
    const RCPtr<LControlFactory> fromFiles(new LControlFactory(WString(L"TestApp")));
    EXPECT_EQ(LoadDefinitions(*fromFiles, WString(folder), 9), S_OK);
    EXPECT_EQ(Dump(*fromFiles), Dump(*LoadFullSkin(ReadFile(TestDataPath("FullSkin.xml")))));
    EXPECT_EQ(fromFiles->GetStringTables().size(), 4u);

    // Without the string tables the skins still load; without the skins file they fail.
    std::remove((std::string(folder) + "/StringTables.xml").c_str());
    std::remove((std::string(folder) + "/FrameworkStrings.xml").c_str());
    testing::internal::CaptureStderr();
    const RCPtr<LControlFactory> partial(new LControlFactory(WString(L"TestApp")));
    EXPECT_EQ(LoadDefinitions(*partial, WString(folder), 9), S_OK);
    EXPECT_EQ(partial->GetSkinCount(), 2u);
    EXPECT_TRUE(partial->GetStringTables().empty());
    std::remove((std::string(folder) + "/Skins.xml").c_str());
    EXPECT_EQ(LoadDefinitions(*partial, WString(folder), 9), E_FAIL);
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(partial->GetSkinCount(), 2u);
    rmdir(folder);
}
