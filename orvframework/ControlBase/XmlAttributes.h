// The vocabulary of the skin and string-table documents, and the attributes of one element as
// the parser hands them over (UTF-8). Attribute values become the framework's wide strings here
// and nowhere else; numbers, flags and colours are read straight from the UTF-8 text.
#pragma once

#include "Renderer/ColorRGBA.h"
#include "Utilities/Storage/StringT.h"

#include <string>
#include <vector>

namespace Orv
{
// The elements of the two documents. Names are compared exactly, case-sensitively.
enum class XmlElement
{
    kUnknown,
    kApplication,
    kSkins,
    kSkin,
    kFontLocale,
    kFontXLat,
    kSubControl,
    kCreateParamList,
    kCreateParam,
    kLookList,
    kLookLists,
    kLook,
    kLooks,
    kClientPart,
    kTextProperties,
    kNonClientParts,
    kNonClientPart,
    kParts,
    kPart,
    kColorizers,
    kColorizer,
    kStringTable,
    kString,
    kLocale,
    kCount
};

// Every attribute name of the two documents. The attributes of the two axes of a sub-control
// follow each other, x first, so that an axis index can be added to the x attribute.
enum class XmlAttr
{
    kName,
    kClass,
    kId,
    kLcid,
    kXLat,
    kFontName,
    kFontSize,
    kFontStyle,
    kLookList,
    kFontInheritsFromParent,
    kFontSizeIsRelative,
    kClipToParent,
    kZOrder,
    kTabStop,
    kLayoutOrder,
    kIsVisible,
    kXPlacementAnchor,
    kYPlacementAnchor,
    kXIsDocked,
    kYIsDocked,
    kXPositionToControl,
    kYPositionToControl,
    kXPositionRel,
    kYPositionRel,
    kXPositionAbs,
    kYPositionAbs,
    kXSizeToControl,
    kYSizeToControl,
    kXSizeRel,
    kYSizeRel,
    kXSizeAbs,
    kYSizeAbs,
    kXMinSizeToControl,
    kYMinSizeToControl,
    kXMaxSizeToControl,
    kYMaxSizeToControl,
    kXMinSizeRel,
    kYMinSizeRel,
    kXMaxSizeRel,
    kYMaxSizeRel,
    kXMinSizeAbs,
    kYMinSizeAbs,
    kXMaxSizeAbs,
    kYMaxSizeAbs,
    kTextDecoration,
    kTextOverflowXType,
    kTextOverflowYType,
    kNumLooks,
    kIndex,
    kOffsetLeft,
    kOffsetTop,
    kOffsetRight,
    kOffsetBottom,
    kWidth,
    kHeight,
    kTextLeftRel,
    kTextLeftAbs,
    kTextRightRel,
    kTextRightAbs,
    kTextHAlign,
    kTextTopRel,
    kTextTopAbs,
    kTextBottomRel,
    kTextBottomAbs,
    kTextVAlign,
    kTextForegroundPart,
    kResizeType,
    kImageFile,
    kImageLocX,
    kImageLocY,
    kColorizerName,
    kColorizerAlphaMod,
    kColorizerMaskFile,
    kMaskLocX,
    kMaskLocY,
    kColorType,
    kColor,
    kGradientEndColor,
    kGradientStartX,
    kGradientStartY,
    kGradientEndX,
    kGradientEndY,
    kCount
};

// The attribute of axis (0 x, 1 y) of a pair whose x attribute is xAttribute.
constexpr XmlAttr ForAxis(XmlAttr xAttribute, int axis)
{
    return static_cast<XmlAttr>(static_cast<int>(xAttribute) + axis);
}

// The element of that name; kUnknown for any other name.
XmlElement FindXmlElement(const char* name);
// The attribute's name as the documents write it.
const char* GetXmlAttrName(XmlAttr attribute);

// Numbers of the documents: an optional "0x" and 1 to 8 hexadecimal digits (the 32 bits taken
// as a signed value), or a decimal integer with an optional sign that fits 32 bits; blanks
// around the number are allowed. False, value unchanged, for anything else.
bool ParseXmlInt(const char* text, int& value);
// A finite decimal number that fits a float, in the C library's notation (sign, digits,
// point, exponent), with blanks around allowed. False, value unchanged, for anything else.
bool ParseXmlFloat(const char* text, float& value);

class XmlAttributes
{
public:
    // Takes the parser's name and value pairs (a null-terminated array) of an element of that
    // kind. A name that the element does not know is kept in the unknown names.
    void Bind(XmlElement element, const char** pairs);

    bool Has(XmlAttr attribute) const { return Raw(attribute) != nullptr; }
    // The value as the parser gave it (UTF-8); null when absent.
    const char* Raw(XmlAttr attribute) const { return mValues[static_cast<int>(attribute)]; }

    // Each reader returns true when the attribute is present and readable, and then stores its
    // value; otherwise it leaves value alone. A present attribute that cannot be read (a bad
    // number or colour) is recorded as a problem and counts as absent.

    // The text, converted.
    bool GetText(XmlAttr attribute, WString& value) const;
    // true exactly for "True".
    bool GetBool(XmlAttr attribute, bool& value) const;
    bool GetInt(XmlAttr attribute, int& value);
    bool GetFloat(XmlAttr attribute, float& value);
    // A colour read into value, which starts as all zero.
    bool GetColor(XmlAttr attribute, ColorRGBA& value);

    const std::vector<std::string>& GetUnknownNames() const { return mUnknown; }
    // One line per attribute that could not be read.
    const std::vector<std::string>& GetProblems() const { return mProblems; }

private:
    void AddProblem(XmlAttr attribute, const char* what);

    const char* mValues[static_cast<int>(XmlAttr::kCount)] = {};
    std::vector<std::string> mUnknown;
    std::vector<std::string> mProblems;
};
} // namespace Orv
