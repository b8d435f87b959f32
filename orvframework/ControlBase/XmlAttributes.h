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

// How the text of a number was read.
enum class XmlNumber
{
    // The text is the number (blanks around it aside).
    kWhole,
    // A leading number was read and the rest of the text ignored; a text that does not begin
    // with a number reads as 0.
    kLeading,
    // The number does not fit: nothing is read.
    kTooLarge,
};

// Integers of the documents, as the C library's atoi reads them: leading blanks, an optional
// sign and the digits up to the first other character; after "0x" (blanks before it allowed)
// the hexadecimal digits up to the first other character instead, all of them, as one 32-bit
// value taken as signed. A number beyond 32 bits is kTooLarge, value unchanged; otherwise value
// holds the number read (0 when there is none).
XmlNumber ParseXmlInt(const char* text, int& value);
// Reals of the documents, as the C library's atof reads decimal numbers: leading blanks, an
// optional sign, digits with an optional point and an optional exponent, up to the first other
// character. A number that does not fit a float is kTooLarge, value unchanged; otherwise value
// holds the number read (0 when there is none: "nan" and "inf" are no numbers here).
XmlNumber ParseXmlFloat(const char* text, float& value);

class XmlAttributes
{
public:
    // Takes the parser's name and value pairs (a null-terminated array) of an element of that
    // kind. A name that the element does not know is kept in the unknown names.
    void Bind(XmlElement element, const char** pairs);

    bool Has(XmlAttr attribute) const { return Raw(attribute) != nullptr; }
    // The value as the parser gave it (UTF-8); null when absent.
    const char* Raw(XmlAttr attribute) const { return mValues[static_cast<int>(attribute)]; }

    // Each reader returns true when the attribute is present and stores its value; otherwise
    // it leaves value alone. A value that is not written cleanly is read as the documents have
    // always been read (the leading number, a colour of another form as colour 0) and recorded
    // as a problem, once per attribute; a number too large for its type is recorded and counts
    // as absent.

    // The text, converted.
    bool GetText(XmlAttr attribute, WString& value) const;
    // true exactly for "True".
    bool GetBool(XmlAttr attribute, bool& value) const;
    bool GetInt(XmlAttr attribute, int& value);
    bool GetFloat(XmlAttr attribute, float& value);
    // "0x" (or "0X") and 8 (AARRGGBB), 6 (RRGGBB, alpha 0) or 2 (AA) hexadecimal digits; any
    // other text is colour 0.
    bool GetColor(XmlAttr attribute, ColorRGBA& value);

    const std::vector<std::string>& GetUnknownNames() const { return mUnknown; }
    // One line per attribute that was not written cleanly.
    const std::vector<std::string>& GetProblems() const { return mProblems; }

private:
    void AddProblem(XmlAttr attribute, const std::string& what);

    const char* mValues[static_cast<int>(XmlAttr::kCount)] = {};
    std::vector<std::string> mUnknown;
    std::vector<std::string> mProblems;
    // The attributes already recorded as problems.
    std::vector<XmlAttr> mReported;
};
} // namespace Orv
