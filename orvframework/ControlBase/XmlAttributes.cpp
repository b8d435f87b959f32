#include "ControlBase/XmlAttributes.h"

#include "ControlBase/ColorHelpers.h"

#include <algorithm>
#include <bitset>
#include <charconv>
#include <cmath>
#include <cstring>
#include <initializer_list>
#include <limits>
#include <string_view>
#include <unordered_map>

namespace Orv
{
namespace
{
constexpr int kAttrCount = static_cast<int>(XmlAttr::kCount);
constexpr int kElementCount = static_cast<int>(XmlElement::kCount);

// In the order of XmlAttr.
constexpr const char* kAttrNames[kAttrCount] = {
    "Name",
    "Class",
    "ID",
    "LCID",
    "XLat",
    "FontName",
    "FontSize",
    "FontStyle",
    "LookList",
    "FontInheritsFromParent",
    "FontSizeIsRelative",
    "ClipToParent",
    "Z_Order",
    "TabStop",
    "LayoutOrder",
    "IsVisible",
    "XPlacementAnchor",
    "YPlacementAnchor",
    "XIsDocked",
    "YIsDocked",
    "XPositionToControl",
    "YPositionToControl",
    "XPositionRel",
    "YPositionRel",
    "XPositionAbs",
    "YPositionAbs",
    "XSizeToControl",
    "YSizeToControl",
    "XSizeRel",
    "YSizeRel",
    "XSizeAbs",
    "YSizeAbs",
    "XMinSizeToControl",
    "YMinSizeToControl",
    "XMaxSizeToControl",
    "YMaxSizeToControl",
    "XMinSizeRel",
    "YMinSizeRel",
    "XMaxSizeRel",
    "YMaxSizeRel",
    "XMinSizeAbs",
    "YMinSizeAbs",
    "XMaxSizeAbs",
    "YMaxSizeAbs",
    "TextDecoration",
    "TextOverflowXType",
    "TextOverflowYType",
    "NumLooks",
    "Index",
    "OffsetLeft",
    "OffsetTop",
    "OffsetRight",
    "OffsetBottom",
    "Width",
    "Height",
    "TextLeftRel",
    "TextLeftAbs",
    "TextRightRel",
    "TextRightAbs",
    "TextHAlign",
    "TextTopRel",
    "TextTopAbs",
    "TextBottomRel",
    "TextBottomAbs",
    "TextVAlign",
    "TextForegroundPart",
    "ResizeType",
    "ImageFile",
    "ImageLocX",
    "ImageLocY",
    "ColorizerName",
    "ColorizerAlphaMod",
    "ColorizerMaskFile",
    "MaskLocX",
    "MaskLocY",
    "ColorType",
    "Color",
    "GradientEndColor",
    "GradientStartX",
    "GradientStartY",
    "GradientEndX",
    "GradientEndY",
};

// In the order of XmlElement; kUnknown has no name.
constexpr const char* kElementNames[kElementCount] = {
    "",
    "Application",
    "Skins",
    "Skin",
    "FontLocale",
    "FontXLat",
    "SubControl",
    "CreateParamList",
    "CreateParam",
    "LookList",
    "LookLists",
    "Look",
    "Looks",
    "ClientPart",
    "TextProperties",
    "NonClientParts",
    "NonClientPart",
    "Parts",
    "Part",
    "Colorizers",
    "Colorizer",
    "StringTable",
    "String",
    "Locale",
};

using AttrSet = std::bitset<kAttrCount>;

AttrSet Set(std::initializer_list<XmlAttr> attributes)
{
    AttrSet set;
    for (XmlAttr attribute : attributes)
    {
        set.set(static_cast<std::size_t>(attribute));
    }
    return set;
}

AttrSet Range(XmlAttr first, XmlAttr last)
{
    AttrSet set;
    for (int i = static_cast<int>(first); i <= static_cast<int>(last); ++i)
    {
        set.set(static_cast<std::size_t>(i));
    }
    return set;
}

// The attributes each element reads.
struct Vocabulary
{
    Vocabulary()
    {
        for (int i = 0; i < kAttrCount; ++i)
        {
            attributes.emplace(kAttrNames[i], static_cast<XmlAttr>(i));
        }
        for (int i = 1; i < kElementCount; ++i)
        {
            elements.emplace(kElementNames[i], static_cast<XmlElement>(i));
        }
        using A = XmlAttr;
        auto known = [this](XmlElement element, const AttrSet& set)
        { accepted[static_cast<int>(element)] = set; };
        known(XmlElement::kApplication, Set({A::kName}));
        known(XmlElement::kSkin,
              Set({A::kName, A::kFontName, A::kFontSize, A::kFontStyle, A::kLookList}));
        known(XmlElement::kFontLocale, Set({A::kLcid}));
        known(XmlElement::kFontXLat, Set({A::kName, A::kXLat}));
        known(XmlElement::kSubControl,
              Set({A::kName, A::kClass, A::kFontName, A::kFontSize, A::kFontStyle,
                   A::kFontInheritsFromParent, A::kFontSizeIsRelative}) |
                  Range(A::kClipToParent, A::kTextOverflowYType));
        known(XmlElement::kCreateParam, Set({A::kId}));
        known(XmlElement::kLookList, Set({A::kName, A::kNumLooks}));
        known(XmlElement::kLook, Set({A::kName, A::kIndex}));
        known(XmlElement::kClientPart, Set({A::kName}) | Range(A::kOffsetLeft, A::kOffsetBottom));
        known(XmlElement::kTextProperties, Range(A::kTextLeftRel, A::kTextForegroundPart));
        known(XmlElement::kNonClientParts, Set({A::kName}));
        known(XmlElement::kNonClientPart, Set({A::kName}) | Range(A::kOffsetLeft, A::kHeight));
        known(XmlElement::kPart,
              Set({A::kName, A::kWidth, A::kHeight}) | Range(A::kResizeType, A::kMaskLocY));
        known(XmlElement::kColorizer, Set({A::kName}) | Range(A::kColorType, A::kGradientEndY));
        known(XmlElement::kStringTable, Set({A::kId}));
        known(XmlElement::kString, Set({A::kId}));
        known(XmlElement::kLocale, Set({A::kLcid}));
    }

    std::unordered_map<std::string_view, XmlAttr> attributes;
    std::unordered_map<std::string_view, XmlElement> elements;
    AttrSet accepted[kElementCount];
};

const Vocabulary& GetVocabulary()
{
    static const Vocabulary vocabulary;
    return vocabulary;
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The text between leading and trailing blanks.
std::string_view Unpadded(const char* text)
{
    std::string_view view(text);
    while (!view.empty() && IsBlank(view.front()))
    {
        view.remove_prefix(1);
    }
    while (!view.empty() && IsBlank(view.back()))
    {
        view.remove_suffix(1);
    }
    return view;
}
} // namespace

XmlElement FindXmlElement(const char* name)
{
    const Vocabulary& vocabulary = GetVocabulary();
    const auto found = vocabulary.elements.find(name);
    return found == vocabulary.elements.end() ? XmlElement::kUnknown : found->second;
}

const char* GetXmlAttrName(XmlAttr attribute)
{
    const int index = static_cast<int>(attribute);
    return index >= 0 && index < kAttrCount ? kAttrNames[index] : "";
}

bool ParseXmlInt(const char* text, int& value)
{
    if (text == nullptr)
    {
        return false;
    }
    const std::string_view view = Unpadded(text);
    const char* first = view.data();
    const char* last = view.data() + view.size();
    if (view.size() > 2 && view[0] == '0' && view[1] == 'x')
    {
        first += 2;
        if (last - first > 8)
        {
            return false;
        }
        unsigned int bits = 0;
        const auto [end, error] = std::from_chars(first, last, bits, 16);
        if (error != std::errc() || end != last || first == last || *first == '-' || *first == '+')
        {
            return false;
        }
        value = static_cast<int>(bits);
        return true;
    }
    if (first != last && *first == '+')
    {
        ++first;
        if (first != last && *first == '-')
        {
            return false;
        }
    }
    int number = 0;
    const auto [end, error] = std::from_chars(first, last, number, 10);
    if (error != std::errc() || end != last || first == last)
    {
        return false;
    }
    value = number;
    return true;
}

bool ParseXmlFloat(const char* text, float& value)
{
    if (text == nullptr)
    {
        return false;
    }
    const std::string_view view = Unpadded(text);
    const char* first = view.data();
    const char* last = view.data() + view.size();
    if (first != last && *first == '+')
    {
        ++first;
        if (first != last && *first == '-')
        {
            return false;
        }
    }
    double number = 0;
    const auto [end, error] = std::from_chars(first, last, number, std::chars_format::general);
    if (error != std::errc() || end != last || first == last || !std::isfinite(number) ||
        std::fabs(number) > static_cast<double>(std::numeric_limits<float>::max()))
    {
        return false;
    }
    value = static_cast<float>(number);
    return true;
}

void XmlAttributes::Bind(XmlElement element, const char** pairs)
{
    std::fill(std::begin(mValues), std::end(mValues), nullptr);
    mUnknown.clear();
    mProblems.clear();
    const Vocabulary& vocabulary = GetVocabulary();
    const AttrSet& accepted = vocabulary.accepted[static_cast<int>(element)];
    for (const char** pair = pairs; pair != nullptr && pair[0] != nullptr; pair += 2)
    {
        const auto found = vocabulary.attributes.find(pair[0]);
        if (found == vocabulary.attributes.end() ||
            !accepted.test(static_cast<std::size_t>(found->second)))
        {
            mUnknown.emplace_back(pair[0]);
            continue;
        }
        const int index = static_cast<int>(found->second);
        // Of two attributes of one name the first stays (the parser refuses such elements).
        if (mValues[index] == nullptr)
        {
            mValues[index] = pair[1];
        }
    }
}

bool XmlAttributes::GetText(XmlAttr attribute, WString& value) const
{
    const char* raw = Raw(attribute);
    if (raw == nullptr)
    {
        return false;
    }
    value.AssignUtf8(raw);
    return true;
}

bool XmlAttributes::GetBool(XmlAttr attribute, bool& value) const
{
    const char* raw = Raw(attribute);
    if (raw == nullptr)
    {
        return false;
    }
    value = std::strcmp(raw, "True") == 0;
    return true;
}

bool XmlAttributes::GetInt(XmlAttr attribute, int& value)
{
    const char* raw = Raw(attribute);
    if (raw == nullptr)
    {
        return false;
    }
    if (!ParseXmlInt(raw, value))
    {
        AddProblem(attribute, "is not a 32-bit integer");
        return false;
    }
    return true;
}

bool XmlAttributes::GetFloat(XmlAttr attribute, float& value)
{
    const char* raw = Raw(attribute);
    if (raw == nullptr)
    {
        return false;
    }
    if (!ParseXmlFloat(raw, value))
    {
        AddProblem(attribute, "is not a number");
        return false;
    }
    return true;
}

bool XmlAttributes::GetColor(XmlAttr attribute, ColorRGBA& value)
{
    const char* raw = Raw(attribute);
    if (raw == nullptr)
    {
        return false;
    }
    ColorRGBA color;
    if (!ColorFromHexText(color, raw))
    {
        AddProblem(attribute, "is not a colour (0x and 8, 6 or 2 hexadecimal digits)");
        return false;
    }
    value = color;
    return true;
}

void XmlAttributes::AddProblem(XmlAttr attribute, const char* what)
{
    std::string line = "attribute ";
    line += GetXmlAttrName(attribute);
    line += " = \"";
    line += Raw(attribute);
    line += "\" ";
    line += what;
    mProblems.push_back(std::move(line));
}
} // namespace Orv
