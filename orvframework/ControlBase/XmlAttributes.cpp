#include "ControlBase/XmlAttributes.h"

#include "ControlBase/ColorHelpers.h"

#include <algorithm>
#include <bitset>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <limits>
#include <sstream>
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

// The blanks the C library's number readers skip.
bool IsCBlank(char c)
{
    return IsBlank(c) || c == '\v' || c == '\f';
}

bool IsHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

int HexValue(char c)
{
    return c <= '9' ? c - '0' : (c >= 'a' ? c - 'a' + 10 : c - 'A' + 10);
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

XmlNumber ParseXmlInt(const char* text, int& value)
{
    if (text == nullptr)
    {
        value = 0;
        return XmlNumber::kLeading;
    }
    const char* p = text;
    while (IsCBlank(*p))
    {
        ++p;
    }
    // What follows the number decides whether the text was the number alone.
    auto ended = [](const char* rest)
    {
        while (IsCBlank(*rest))
        {
            ++rest;
        }
        return *rest == 0 ? XmlNumber::kWhole : XmlNumber::kLeading;
    };
    if (p[0] == '0' && p[1] == 'x')
    {
        const char* digits = p + 2;
        while (*digits == '0' && IsHexDigit(digits[1]))
        {
            ++digits;
        }
        unsigned long long bits = 0;
        int count = 0;
        const char* q = digits;
        for (; IsHexDigit(*q); ++q)
        {
            if (++count > 8)
            {
                return XmlNumber::kTooLarge;
            }
            bits = (bits << 4) | static_cast<unsigned long long>(HexValue(*q));
        }
        value = static_cast<int>(static_cast<std::uint32_t>(bits));
        return q == p + 2 ? XmlNumber::kLeading : ended(q);
    }
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+')
    {
        ++p;
    }
    long long number = 0;
    const char* q = p;
    for (; *q >= '0' && *q <= '9'; ++q)
    {
        number = number * 10 + (*q - '0');
        if (number > static_cast<long long>(std::numeric_limits<int>::max()) + 1)
        {
            return XmlNumber::kTooLarge;
        }
    }
    if (negative)
    {
        number = -number;
    }
    if (number > std::numeric_limits<int>::max())
    {
        return XmlNumber::kTooLarge;
    }
    value = static_cast<int>(number);
    return q == p ? XmlNumber::kLeading : ended(q);
}

XmlNumber ParseXmlFloat(const char* text, float& value)
{
    if (text == nullptr)
    {
        value = 0;
        return XmlNumber::kLeading;
    }
    const char* p = text;
    while (IsCBlank(*p))
    {
        ++p;
    }
    // The longest prefix in the decimal notation: sign, digits, point, digits, exponent.
    const char* first = p;
    if (*p == '-' || *p == '+')
    {
        ++p;
    }
    const char* mantissa = p;
    while (*p >= '0' && *p <= '9')
    {
        ++p;
    }
    const bool integerDigits = p != mantissa;
    bool fractionDigits = false;
    if (*p == '.')
    {
        const char* fraction = p + 1;
        while (*fraction >= '0' && *fraction <= '9')
        {
            ++fraction;
        }
        fractionDigits = fraction != p + 1;
        if (integerDigits || fractionDigits)
        {
            p = fraction;
        }
    }
    if (!integerDigits && !fractionDigits)
    {
        value = 0;
        return XmlNumber::kLeading;
    }
    if (*p == 'e' || *p == 'E')
    {
        const char* exponent = p + 1;
        if (*exponent == '-' || *exponent == '+')
        {
            ++exponent;
        }
        if (*exponent >= '0' && *exponent <= '9')
        {
            while (*exponent >= '0' && *exponent <= '9')
            {
                ++exponent;
            }
            p = exponent;
        }
    }
    // from_chars takes no plus sign.
    const char* from = *first == '+' ? first + 1 : first;
    double number = 0;
    const auto [end, error] = std::from_chars(from, p, number, std::chars_format::general);
    if (error != std::errc() || end != p || !std::isfinite(number) ||
        std::fabs(number) > static_cast<double>(std::numeric_limits<float>::max()))
    {
        return XmlNumber::kTooLarge;
    }
    value = static_cast<float>(number);
    while (IsCBlank(*p))
    {
        ++p;
    }
    return *p == 0 ? XmlNumber::kWhole : XmlNumber::kLeading;
}

void XmlAttributes::Bind(XmlElement element, const char** pairs)
{
    std::fill(std::begin(mValues), std::end(mValues), nullptr);
    mUnknown.clear();
    mProblems.clear();
    mReported.clear();
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
    int number = 0;
    switch (ParseXmlInt(raw, number))
    {
        case XmlNumber::kWhole:
            break;
        case XmlNumber::kLeading:
            AddProblem(attribute, "read as " + std::to_string(number));
            break;
        case XmlNumber::kTooLarge:
            AddProblem(attribute, "does not fit 32 bits, ignored");
            return false;
    }
    value = number;
    return true;
}

bool XmlAttributes::GetFloat(XmlAttr attribute, float& value)
{
    const char* raw = Raw(attribute);
    if (raw == nullptr)
    {
        return false;
    }
    float number = 0;
    switch (ParseXmlFloat(raw, number))
    {
        case XmlNumber::kWhole:
            break;
        case XmlNumber::kLeading:
        {
            std::ostringstream read;
            read << "read as " << number;
            AddProblem(attribute, read.str());
            break;
        }
        case XmlNumber::kTooLarge:
            AddProblem(attribute, "does not fit a float, ignored");
            return false;
    }
    value = number;
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
        AddProblem(attribute, "is not 0x and 8, 6 or 2 hexadecimal digits: read as colour 0");
        color = ColorRGBA();
    }
    value = color;
    return true;
}

void XmlAttributes::AddProblem(XmlAttr attribute, const std::string& what)
{
    if (std::find(mReported.begin(), mReported.end(), attribute) != mReported.end())
    {
        return;
    }
    mReported.push_back(attribute);
    std::string line = "attribute ";
    line += GetXmlAttrName(attribute);
    line += " = \"";
    line += Raw(attribute);
    line += "\" ";
    line += what;
    mProblems.push_back(std::move(line));
}
} // namespace Orv
