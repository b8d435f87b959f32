// The elements of a skin document: colorizers, parts, looks, look lists and skins with their
// trees of sub-controls, read into descriptors. Definitions are looked up by name when the
// referring element is read, so a definition comes before its first use; the first definition
// of a name is the one kept.
#include "ControlBase/ControlFactory.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace Orv
{
namespace
{
using A = XmlAttr;

std::string Narrow(const WString& text)
{
    return text.ToNarrow().GetBuffer();
}

bool Is(const char* text, const char* word)
{
    return std::strcmp(text, word) == 0;
}

// "Parent" and "Screen" 0, "Client" and "Active Window" 1, any other text names a control.
void ReadPositionReference(const char* text, LayoutSpec& spec)
{
    spec.reference.Clear();
    if (Is(text, "Parent") || Is(text, "Screen"))
    {
        spec.kind = LLayoutDescriptor::kPositionParent;
    }
    else if (Is(text, "Client") || Is(text, "Active Window"))
    {
        spec.kind = LLayoutDescriptor::kPositionClient;
    }
    else
    {
        spec.kind = LLayoutDescriptor::kPositionSibling;
        spec.reference.AssignUtf8(text);
    }
}

// As positions, and "Self" for an absolute size.
void ReadSizeReference(const char* text, LayoutSpec& spec)
{
    spec.reference.Clear();
    if (Is(text, "Parent") || Is(text, "Screen"))
    {
        spec.kind = LLayoutDescriptor::kSizeParent;
    }
    else if (Is(text, "Client") || Is(text, "Active Window"))
    {
        spec.kind = LLayoutDescriptor::kSizeClient;
    }
    else if (Is(text, "Self"))
    {
        spec.kind = LLayoutDescriptor::kSizeAbsolute;
    }
    else
    {
        spec.kind = LLayoutDescriptor::kSizeSibling;
        spec.reference.AssignUtf8(text);
    }
}

// "Self" for an absolute limit, any other text names the controls the limit follows.
void ReadLimitReference(const char* text, LayoutSpec& spec)
{
    spec.reference.Clear();
    if (Is(text, "Self"))
    {
        spec.kind = LLayoutDescriptor::kLimitAbsolute;
    }
    else
    {
        spec.kind = LLayoutDescriptor::kLimitChildren;
        spec.reference.AssignUtf8(text);
    }
}
} // namespace

template <class T>
bool LControlFactory::Register(std::map<WString, RCPtr<T>>& table, const WString& name,
                               const RCPtr<T>& object)
{
    return table.emplace(name, object).second;
}

template <class T>
RCPtr<T> LControlFactory::Lookup(const std::map<WString, RCPtr<T>>& table, const WString& name)
{
    const auto found = table.find(name);
    return found == table.end() ? RCPtr<T>() : found->second;
}

void LControlFactory::StartSkinElement(XmlElement element, OpenElement& open)
{
    XmlAttributes& attributes = mReader.attributes;
    switch (element)
    {
        case XmlElement::kSkin:
            StartSkin(open);
            break;
        case XmlElement::kFontLocale:
            attributes.GetInt(A::kLcid, mReader.fontLocale);
            break;
        case XmlElement::kFontXLat:
        {
            if (mReader.fontLocale != mLanguageId)
            {
                break;
            }
            WString name;
            WString translation;
            if (!attributes.GetText(A::kName, name) || !attributes.GetText(A::kXLat, translation))
            {
                ReportProblem("FontXLat without Name or XLat ignored");
                break;
            }
            mFontTranslations.emplace(name, translation);
            const RCPtr<LControlDescriptor>& current = mReader.currentDescriptor;
            if (current && current->GetSkin() && current->GetSkin()->GetFontName() == name)
            {
                current->GetSkin()->SetFontName(translation);
            }
            break;
        }
        case XmlElement::kSubControl:
            StartSubControl(open);
            break;
        case XmlElement::kCreateParamList:
            mReader.currentParams = new LStringTable();
            break;
        case XmlElement::kCreateParam:
            mReader.paramText.Clear();
            mReader.collectingParam = false;
            if (!mReader.currentParams)
            {
                ReportProblem("CreateParam outside a CreateParamList ignored");
            }
            else if (attributes.GetText(A::kId, mReader.currentParamId))
            {
                mReader.collectingParam = true;
            }
            break;
        case XmlElement::kLookList:
            StartLookList();
            break;
        case XmlElement::kLookLists:
            mReader.currentDescriptor = nullptr;
            break;
        case XmlElement::kLook:
            if (mReader.insideLooks)
            {
                StartLook();
            }
            else
            {
                StartLookEntry();
            }
            break;
        case XmlElement::kLooks:
            mReader.insideLooks = true;
            break;
        case XmlElement::kClientPart:
            StartClientPart();
            break;
        case XmlElement::kTextProperties:
            StartTextProperties();
            break;
        case XmlElement::kNonClientPart:
            StartNonClientPart();
            break;
        case XmlElement::kPart:
            StartPart();
            break;
        case XmlElement::kColorizer:
            StartColorizer();
            break;
        case XmlElement::kStringTable:
        case XmlElement::kString:
        case XmlElement::kLocale:
            ReportProblem(std::string(mReader.elementName) + " in a skin document ignored");
            break;
        default:
            // Grouping elements: Skins, Parts, Colorizers, NonClientParts.
            break;
    }
}

void LControlFactory::StartSkin(OpenElement& open)
{
    XmlAttributes& attributes = mReader.attributes;
    WString name;
    if (!attributes.GetText(A::kName, name))
    {
        ReportProblem("Skin without Name ignored");
        return;
    }
    if (!mReader.currentDescriptor)
    {
        // A skin of its own: a root descriptor holding the skin-wide font settings.
        const RCPtr<LSkinDescriptor> skin = LSkinDescriptor::Create(name);
        const RCPtr<LControlDescriptor> root =
            LControlDescriptor::Create(WString(L"Application"), mApplicationName, nullptr);
        mSkins.AddItem(root);
        mCurrentSkinIndex = static_cast<int>(mSkins.GetCount()) - 1;
        WString fontName;
        float fontSize = 0;
        int fontStyle = -1;
        if (attributes.GetText(A::kFontName, fontName))
        {
            skin->SetFontName(fontName);
        }
        if (attributes.GetFloat(A::kFontSize, fontSize))
        {
            skin->SetFontSize(fontSize);
        }
        if (attributes.GetInt(A::kFontStyle, fontStyle))
        {
            skin->SetFontStyle(fontStyle);
        }
        mFontTranslations.clear();
        root->SetSkin(skin);
        mReader.currentDescriptor = root;
        open.pushed = true;
        return;
    }
    if (mReader.currentDescriptor->GetParent() == nullptr)
    {
        ReportProblem("Skin directly inside a skin ignored");
        return;
    }
    // The skin of the current sub-control, with the font its attributes gave.
    const PendingFont& font = mReader.pendingFont;
    const RCPtr<LSkinDescriptor> skin = LSkinDescriptor::Create(name);
    skin->SetFontName(TranslateFontName(font.name));
    skin->SetFontSize(font.size);
    skin->SetFontStyle(font.style);
    skin->SetFontInheritsFromParent(font.inherits);
    skin->SetFontSizeIsRelative(font.relative);
    WString listName;
    if (attributes.GetText(A::kLookList, listName))
    {
        if (const RCPtr<LLookList> list = Lookup(mLookLists, listName))
        {
            skin->SetLookList(list);
        }
        else
        {
            ReportProblem("unknown look list " + Narrow(listName) + " ignored");
        }
    }
    mReader.currentDescriptor->SetSkin(skin);
}

void LControlFactory::StartSubControl(OpenElement& open)
{
    XmlAttributes& attributes = mReader.attributes;
    WString className;
    WString name;
    const bool hasClass = attributes.GetText(A::kClass, className);
    const bool hasName = attributes.GetText(A::kName, name);
    if (!hasClass || !hasName)
    {
        ThrowException<std::runtime_error>("Orv::LControlFactory::XMLStartElement",
                                           "ControlBase\\ControlFactory", 1089,
                                           {"Bad Subcontrol Element"});
    }
    if (!mReader.currentDescriptor)
    {
        ReportProblem("SubControl " + Narrow(name) + " outside a skin ignored");
        return;
    }
    if (mReader.subControlDepth >= kMaxSubControlDepth)
    {
        ReportProblem("SubControl " + Narrow(name) + " nested more than " +
                      std::to_string(kMaxSubControlDepth) + " deep ignored");
        return;
    }
    const RCPtr<LControlDescriptor> parent = mReader.currentDescriptor;
    const RCPtr<LControlDescriptor> descriptor =
        LControlDescriptor::Create(className, name, parent.Get());
    parent->GetChildren().AddItem(descriptor);
    const RCPtr<LLayoutDescriptor> layout = LLayoutDescriptor::Create();
    ReadSubControlLayout(*layout, parent->GetClassName() == L"Application");
    descriptor->SetLayout(layout);
    ReadPendingFont();
    open.pushed = true;
    open.previous = parent;
    open.made = descriptor;
    mReader.currentDescriptor = descriptor;
    ++mReader.subControlDepth;
}

void LControlFactory::ReadSubControlLayout(LLayoutDescriptor& layout, bool topLevel)
{
    XmlAttributes& attributes = mReader.attributes;
    attributes.GetBool(A::kClipToParent, layout.clipToParent);
    attributes.GetInt(A::kZOrder, layout.zOrder);
    // A skin's own top-level controls keep their tab stop and visibility.
    if (!topLevel)
    {
        attributes.GetInt(A::kTabStop, layout.tabStop);
    }
    attributes.GetInt(A::kLayoutOrder, layout.layoutOrder);
    if (!topLevel)
    {
        attributes.GetBool(A::kIsVisible, layout.visible);
    }
    for (int axis = 0; axis < 2; ++axis)
    {
        LLayoutDescriptor::Axis& a = layout.axes[axis];
        int abs = 0;
        attributes.GetFloat(ForAxis(A::kXPlacementAnchor, axis), a.anchor);
        attributes.GetBool(ForAxis(A::kXIsDocked, axis), a.docked);
        if (const char* reference = attributes.Raw(ForAxis(A::kXPositionToControl, axis)))
        {
            ReadPositionReference(reference, a.position);
        }
        attributes.GetFloat(ForAxis(A::kXPositionRel, axis), a.position.rel);
        if (attributes.GetInt(ForAxis(A::kXPositionAbs, axis), abs))
        {
            a.position.abs = abs;
        }
        if (const char* reference = attributes.Raw(ForAxis(A::kXSizeToControl, axis)))
        {
            ReadSizeReference(reference, a.size);
        }
        attributes.GetFloat(ForAxis(A::kXSizeRel, axis), a.size.rel);
        if (attributes.GetInt(ForAxis(A::kXSizeAbs, axis), abs))
        {
            a.size.abs = abs;
        }
        if (const char* reference = attributes.Raw(ForAxis(A::kXMinSizeToControl, axis)))
        {
            ReadLimitReference(reference, a.minimum);
        }
        if (const char* reference = attributes.Raw(ForAxis(A::kXMaxSizeToControl, axis)))
        {
            ReadLimitReference(reference, a.maximum);
        }
        attributes.GetFloat(ForAxis(A::kXMinSizeRel, axis), a.minimum.rel);
        attributes.GetFloat(ForAxis(A::kXMaxSizeRel, axis), a.maximum.rel);
        if (attributes.GetInt(ForAxis(A::kXMinSizeAbs, axis), abs))
        {
            a.minimum.abs = abs;
        }
        if (attributes.GetInt(ForAxis(A::kXMaxSizeAbs, axis), abs))
        {
            a.maximum.abs = abs;
        }
    }
    attributes.GetText(A::kTextDecoration, layout.textDecoration);
    if (const char* overflow = attributes.Raw(A::kTextOverflowXType))
    {
        if (Is(overflow, "Clip") || Is(overflow, "Expand") || Is(overflow, "Wrap"))
        {
            layout.axes[0].textOverflow = Is(overflow, "Clip") ? LLayoutDescriptor::kOverflowClip
                                          : Is(overflow, "Expand")
                                              ? LLayoutDescriptor::kOverflowExpand
                                              : LLayoutDescriptor::kOverflowWrap;
        }
        else
        {
            ReportProblem(std::string("TextOverflowXType ") + overflow +
                          " is not Clip, Expand or Wrap, ignored");
        }
    }
    if (const char* overflow = attributes.Raw(A::kTextOverflowYType))
    {
        if (Is(overflow, "Clip") || Is(overflow, "Expand"))
        {
            layout.axes[1].textOverflow = Is(overflow, "Clip") ? LLayoutDescriptor::kOverflowClip
                                                               : LLayoutDescriptor::kOverflowExpand;
        }
        else
        {
            ReportProblem(std::string("TextOverflowYType ") + overflow +
                          " is not Clip or Expand, ignored");
        }
    }
}

void LControlFactory::ReadPendingFont()
{
    XmlAttributes& attributes = mReader.attributes;
    PendingFont& font = mReader.pendingFont;
    font.inherits = false;
    font.relative = false;
    font.name.Clear();
    font.style = -1;
    attributes.GetBool(A::kFontInheritsFromParent, font.inherits);
    attributes.GetBool(A::kFontSizeIsRelative, font.relative);
    attributes.GetText(A::kFontName, font.name);
    if (!attributes.GetFloat(A::kFontSize, font.size))
    {
        font.size = 0;
        font.relative = false;
    }
    attributes.GetInt(A::kFontStyle, font.style);
}

void LControlFactory::StartLookList()
{
    XmlAttributes& attributes = mReader.attributes;
    WString name;
    int count = 0;
    if (!attributes.GetText(A::kName, name) || !attributes.GetInt(A::kNumLooks, count))
    {
        ReportProblem("LookList without Name or NumLooks ignored");
        return;
    }
    if (count < 0 || count > kMaxLooksPerList)
    {
        ReportProblem("LookList " + Narrow(name) + " with NumLooks " + std::to_string(count) +
                      " (0 to " + std::to_string(kMaxLooksPerList) + ") ignored");
        return;
    }
    if (mLookLists.find(name) == mLookLists.end())
    {
        const RCPtr<LLookList> list(new LLookList(static_cast<unsigned int>(count)));
        Register(mLookLists, name, list);
        mReader.currentLookList = list;
    }
    else
    {
        // The entries that follow belong to a list defined before: they are not taken.
        ReportProblem("LookList " + Narrow(name) + " defined twice, the first kept");
        mReader.currentLookList = nullptr;
    }
    if (const RCPtr<LControlDescriptor>& current = mReader.currentDescriptor)
    {
        if (current->GetSkin())
        {
            current->GetSkin()->SetLookList(Lookup(mLookLists, name));
        }
        else
        {
            ReportProblem("LookList " + Narrow(name) + " before the sub-control's skin not taken");
        }
    }
}

void LControlFactory::StartLookEntry()
{
    XmlAttributes& attributes = mReader.attributes;
    WString name;
    int index = 0;
    if (!mReader.currentLookList)
    {
        ReportProblem("Look outside a LookList and outside Looks ignored");
        return;
    }
    if (!attributes.GetText(A::kName, name) || !attributes.GetInt(A::kIndex, index))
    {
        ReportProblem("look list entry without Name or Index ignored");
        return;
    }
    LLookList& list = *mReader.currentLookList;
    if (index < 0 || static_cast<unsigned int>(index) >= list.GetCount())
    {
        ReportProblem("look list entry " + Narrow(name) + " with Index " + std::to_string(index) +
                      " outside the list's " + std::to_string(list.GetCount()) + " looks ignored");
        return;
    }
    const RCPtr<LLookDescriptor> look = Lookup(mLooks, name);
    if (!look)
    {
        ReportProblem("unknown look " + Narrow(name) + ": the entry stays empty");
        return;
    }
    list.GetElementPointer(static_cast<unsigned int>(index)) = look;
}

void LControlFactory::StartLook()
{
    WString name;
    if (!mReader.attributes.GetText(A::kName, name))
    {
        ReportProblem("Look without Name ignored");
        return;
    }
    mReader.currentLook = LLookDescriptor::Create(name);
    if (!Register(mLooks, name, mReader.currentLook))
    {
        ReportProblem("Look " + Narrow(name) + " defined twice, the first kept");
    }
}

void LControlFactory::StartClientPart()
{
    XmlAttributes& attributes = mReader.attributes;
    if (!mReader.currentLook)
    {
        ReportProblem("ClientPart outside a look ignored");
        return;
    }
    WString name;
    DockingRecord placement;
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    if (!attributes.GetText(A::kName, name) || !attributes.GetInt(A::kOffsetLeft, left) ||
        !attributes.GetInt(A::kOffsetTop, top) || !attributes.GetInt(A::kOffsetRight, right) ||
        !attributes.GetInt(A::kOffsetBottom, bottom))
    {
        ReportProblem("ClientPart without Name and its four offsets ignored");
        return;
    }
    const RCPtr<LVisualPartDescriptor> part = Lookup(mParts, name);
    if (!part)
    {
        ReportProblem("ClientPart of unknown part " + Narrow(name) + " ignored");
        return;
    }
    placement.offsetFlags = DockingRecord::kAllEdges;
    placement.left = left;
    placement.top = top;
    placement.right = right;
    placement.bottom = bottom;
    mReader.currentLook->SetClientPart(LDockedPart::Create(part, placement));
}

void LControlFactory::StartNonClientPart()
{
    XmlAttributes& attributes = mReader.attributes;
    if (!mReader.currentLook)
    {
        ReportProblem("NonClientPart outside a look ignored");
        return;
    }
    WString name;
    if (!attributes.GetText(A::kName, name))
    {
        ReportProblem("NonClientPart without Name ignored");
        return;
    }
    const RCPtr<LVisualPartDescriptor> part = Lookup(mParts, name);
    if (!part)
    {
        ReportProblem("NonClientPart of unknown part " + Narrow(name) + " ignored");
        return;
    }
    DockingRecord placement;
    const struct
    {
        A attribute;
        int flag;
        LONG* value;
    } offsets[] = {{A::kOffsetLeft, DockingRecord::kLeft, &placement.left},
                   {A::kOffsetTop, DockingRecord::kTop, &placement.top},
                   {A::kOffsetRight, DockingRecord::kRight, &placement.right},
                   {A::kOffsetBottom, DockingRecord::kBottom, &placement.bottom}};
    for (const auto& offset : offsets)
    {
        int value = 0;
        if (attributes.GetInt(offset.attribute, value))
        {
            placement.offsetFlags |= offset.flag;
            *offset.value = value;
        }
    }
    int width = 0;
    int height = 0;
    attributes.GetInt(A::kWidth, width);
    attributes.GetInt(A::kHeight, height);
    placement.width = width;
    placement.height = height;
    placement.hasWidth = width > 0;
    placement.hasHeight = height > 0;
    mReader.currentLook->GetNonClientParts().AddItem(LDockedPart::Create(part, placement));
}

void LControlFactory::StartTextProperties()
{
    XmlAttributes& attributes = mReader.attributes;
    if (!mReader.currentLook)
    {
        ReportProblem("TextProperties outside a look ignored");
        return;
    }
    TextPlacement text;
    int leftAbs = 0;
    int rightAbs = 0;
    int topAbs = 0;
    int bottomAbs = 0;
    WString foreground;
    if (!attributes.GetFloat(A::kTextLeftRel, text.leftRel) ||
        !attributes.GetInt(A::kTextLeftAbs, leftAbs) ||
        !attributes.GetFloat(A::kTextRightRel, text.rightRel) ||
        !attributes.GetInt(A::kTextRightAbs, rightAbs) ||
        !attributes.GetFloat(A::kTextHAlign, text.horizontalAlignment) ||
        !attributes.GetFloat(A::kTextTopRel, text.topRel) ||
        !attributes.GetInt(A::kTextTopAbs, topAbs) ||
        !attributes.GetFloat(A::kTextBottomRel, text.bottomRel) ||
        !attributes.GetInt(A::kTextBottomAbs, bottomAbs) ||
        !attributes.GetFloat(A::kTextVAlign, text.verticalAlignment) ||
        !attributes.GetText(A::kTextForegroundPart, foreground))
    {
        ReportProblem("TextProperties without all of its eleven attributes ignored");
        return;
    }
    text.foregroundPart = Lookup(mParts, foreground);
    if (!text.foregroundPart)
    {
        ReportProblem("TextProperties with unknown part " + Narrow(foreground) + " ignored");
        return;
    }
    text.leftAbs = leftAbs;
    text.rightAbs = rightAbs;
    text.topAbs = topAbs;
    text.bottomAbs = bottomAbs;
    mReader.currentLook->SetTextPlacement(text);
}

void LControlFactory::StartPart()
{
    XmlAttributes& attributes = mReader.attributes;
    WString name;
    int width = 0;
    int height = 0;
    const char* resize = attributes.Raw(A::kResizeType);
    if (!attributes.GetText(A::kName, name) || !attributes.GetInt(A::kWidth, width) ||
        !attributes.GetInt(A::kHeight, height) || resize == nullptr)
    {
        ReportProblem("Part without Name, Width, Height and ResizeType ignored");
        return;
    }
    int resizeType = LVisualPartDescriptor::kStretch;
    if (Is(resize, "Tile"))
    {
        resizeType = LVisualPartDescriptor::kTile;
    }
    else if (Is(resize, "Center"))
    {
        resizeType = LVisualPartDescriptor::kCenter;
    }
    else if (!Is(resize, "Stretch"))
    {
        ReportProblem("Part " + Narrow(name) + ": ResizeType " + resize +
                      " is not Stretch, Tile or Center: stretched");
    }

    ImageReference image;
    int x = 0;
    int y = 0;
    WString file;
    const bool hasImage = attributes.GetText(A::kImageFile, file) && !file.IsEmpty() &&
                          attributes.GetInt(A::kImageLocX, x) &&
                          attributes.GetInt(A::kImageLocY, y);
    if (hasImage)
    {
        image.file = mImagePathPrefix + file.ToLower();
        image.rect = RectT<LONG>(x, y, width, height);
    }
    RCPtr<LColorizer> colorizer;
    WString colorizerName;
    if (attributes.GetText(A::kColorizerName, colorizerName))
    {
        colorizer = Lookup(mColorizers, colorizerName);
        if (!colorizer)
        {
            ReportProblem("Part " + Narrow(name) + ": unknown colorizer " + Narrow(colorizerName) +
                          " ignored");
        }
    }
    if (!hasImage && !colorizer)
    {
        ReportProblem("Part " + Narrow(name) + " with neither image nor colorizer ignored");
        return;
    }
    float alphaModifier = 1.0f;
    attributes.GetFloat(A::kColorizerAlphaMod, alphaModifier);
    ImageReference mask;
    WString maskFile;
    if (attributes.GetText(A::kColorizerMaskFile, maskFile) && attributes.GetInt(A::kMaskLocX, x) &&
        attributes.GetInt(A::kMaskLocY, y))
    {
        mask.file = mImagePathPrefix + maskFile;
        mask.rect = RectT<LONG>(x, y, width, height);
    }
    const RCPtr<LVisualPartDescriptor> part =
        hasImage
            ? LVisualPartDescriptor::Create(name, image, resizeType, colorizer, alphaModifier, mask)
            : LVisualPartDescriptor::Create(name, colorizer, SizeT<LONG>(width, height), resizeType,
                                            alphaModifier, mask);
    if (!Register(mParts, name, part))
    {
        ReportProblem("Part " + Narrow(name) + " defined twice, the first kept");
    }
}

void LControlFactory::StartColorizer()
{
    XmlAttributes& attributes = mReader.attributes;
    WString name;
    const char* type = attributes.Raw(A::kColorType);
    ColorRGBA color;
    if (!attributes.GetText(A::kName, name) || type == nullptr ||
        !attributes.GetColor(A::kColor, color))
    {
        ReportProblem("Colorizer without Name, ColorType and Color ignored");
        return;
    }
    int colorType = LColorizer::kSolid;
    if (Is(type, "LinearGradient"))
    {
        colorType = LColorizer::kLinearGradient;
    }
    else if (Is(type, "RadialGradient"))
    {
        colorType = LColorizer::kRadialGradient;
    }
    ColorRGBA endColor;
    float startX = 0;
    float startY = 0;
    float endX = 0;
    float endY = 0;
    if (colorType != LColorizer::kSolid && !(attributes.GetColor(A::kGradientEndColor, endColor) &&
                                             attributes.GetFloat(A::kGradientStartX, startX) &&
                                             attributes.GetFloat(A::kGradientStartY, startY) &&
                                             attributes.GetFloat(A::kGradientEndX, endX) &&
                                             attributes.GetFloat(A::kGradientEndY, endY)))
    {
        ReportProblem("Colorizer " + Narrow(name) + " lacks a gradient attribute: a solid fill");
        colorType = LColorizer::kSolid;
        endColor = ColorRGBA();
    }
    const RCPtr<LColorizer> colorizer =
        LColorizer::Create(name, colorType, color, endColor, startX, startY, endX, endY);
    if (!Register(mColorizers, name, colorizer))
    {
        ReportProblem("Colorizer " + Narrow(name) + " defined twice, the first kept");
    }
}

void LControlFactory::EndSkinElement(OpenElement& open)
{
    switch (open.element)
    {
        case XmlElement::kSubControl:
            if (open.pushed)
            {
                // By layout order; equal orders keep the document's order.
                LControlDescriptor::Children& children = open.made->GetChildren();
                RCPtr<LControlDescriptor>* data = children.GetData();
                std::stable_sort(
                    data, data + children.GetCount(),
                    [](const RCPtr<LControlDescriptor>& a, const RCPtr<LControlDescriptor>& b)
                    { return a->GetLayout()->layoutOrder < b->GetLayout()->layoutOrder; });
                mReader.currentDescriptor = open.previous;
                --mReader.subControlDepth;
            }
            break;
        case XmlElement::kSkin:
            if (open.pushed)
            {
                mReader.currentDescriptor = nullptr;
            }
            break;
        case XmlElement::kCreateParamList:
            if (mReader.currentDescriptor && mReader.currentParams)
            {
                mReader.currentDescriptor->SetCreateParams(mReader.currentParams);
            }
            mReader.currentParams = nullptr;
            break;
        case XmlElement::kCreateParam:
            if (mReader.collectingParam && mReader.currentParams)
            {
                if (mReader.currentParamId.IsEmpty())
                {
                    ReportProblem("CreateParam with an empty ID ignored");
                }
                else
                {
                    mReader.currentParams->SetCreateParam(mReader.currentParamId,
                                                          mReader.paramText);
                }
            }
            mReader.collectingParam = false;
            mReader.paramText.Clear();
            break;
        case XmlElement::kLooks:
            mReader.insideLooks = false;
            break;
        default:
            break;
    }
}
} // namespace Orv
