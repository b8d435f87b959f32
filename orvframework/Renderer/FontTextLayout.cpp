// Text layout of LFontText: splitting at line feeds, word wrap to the box width, and placing the
// lines in the box by the alignment factors. Everything is measured by the measuring renderer.
#include "ControlBase/FontText.h"
#include "Renderer/ProcessMeasurementRenderer.h"

#include <cwchar>

namespace Orv
{
namespace
{
// The line separator: one line feed.
const WString& LineSeparator()
{
    static const WString separator(L"\n");
    return separator;
}

const wchar_t* const kBlanks = L" \t\r\n";

// Measures texts in one font with the measuring renderer; everything is 0 without one.
class Measurer
{
public:
    explicit Measurer(const ConstRCPtr<LFont>& font)
        : mFont(font)
    {
        GetMeasurementRenderer(mRenderer);
    }

    RectT<float> Measure(const WString& text) const
    {
        return mRenderer == nullptr ? RectT<float>()
                                    : mRenderer.GetMutable()->MeasureString(text, mFont);
    }
    // The width counted from 0: the rectangle's width plus its x when x is not 0.
    static float WidthOf(const RectT<float>& extent)
    {
        return extent.x != 0 ? extent.width + extent.x : extent.width;
    }
    float Width(const WString& text) const { return WidthOf(Measure(text)); }
    bool CanMeasure() const { return mRenderer != nullptr; }
    int LineHeight() const { return mFont == nullptr ? 0 : mFont->GetHeight(); }

private:
    ConstRCPtr<LFont> mFont;
    ConstRCPtr<LRenderer> mRenderer;
};

int Length(const WString& text)
{
    return static_cast<int>(text.GetLength());
}

// Splits at every character of the separator set; one separator is skipped per break, so two in
// a row give an empty line, and a separator at the end gives no empty last line.
void Split(const WString& text, const WString& separators, WStringArray& lines)
{
    lines.RemoveAll();
    if (std::wcspbrk(text.GetBuffer(), separators.GetBuffer()) == nullptr)
    {
        lines.AddItem(text);
        return;
    }
    WString rest = text;
    while (!rest.IsEmpty())
    {
        const int run = static_cast<int>(std::wcscspn(rest.GetBuffer(), separators.GetBuffer()));
        lines.AddItem(rest.Left(run));
        if (run < Length(rest))
        {
            rest = rest.Mid(run + 1);
        }
        else
        {
            rest.Clear();
        }
    }
}

// How many leading characters of s go on a line of the width: all when s is narrower; else up to
// the last space whose text before it fits (or a hyphen after that space, kept on the line);
// else up to a hyphen that fits; a word that cannot be broken stays whole.
int Fit(const Measurer& measurer, float width, WString s)
{
    int result = 0;
    if (measurer.Width(s) < width)
    {
        result = Length(s);
    }
    else
    {
        for (;;)
        {
            const int space = s.ReverseFind(L' ');
            if (space >= 1)
            {
                const WString before = s.Left(space);
                if (measurer.Width(before) <= width)
                {
                    const int hyphenEnd = s.ReverseFind(L'-') + 1;
                    result =
                        hyphenEnd > Length(before) && measurer.Width(s.Left(hyphenEnd)) <= width
                            ? hyphenEnd
                            : Length(before);
                    break;
                }
                s = before;
                continue;
            }
            const int hyphenEnd = s.Left(Length(s) - 1).ReverseFind(L'-') + 1;
            if (hyphenEnd < 1)
            {
                result = Length(s);
                break;
            }
            if (measurer.Width(s.Left(hyphenEnd)) <= width)
            {
                result = hyphenEnd;
                break;
            }
            s = s.Left(hyphenEnd);
        }
    }
    return result < 1 ? Length(s) : result;
}

void WordWrap(const Measurer& measurer, const WString& text, float width, WStringArray& lines)
{
    lines.RemoveAll();
    WStringArray paragraphs;
    Split(text, LineSeparator(), paragraphs);
    for (unsigned int i = 0; i < paragraphs.GetCount(); ++i)
    {
        const WString& paragraph = paragraphs.GetConstElementPointer(i);
        int fit = Fit(measurer, width, paragraph);
        WString line = paragraph.Left(fit);
        WString rest = paragraph;
        int consumed = fit;
        while (consumed < Length(paragraph))
        {
            rest = rest.Mid(fit).TrimLeft(WString(kBlanks));
            if (!rest.IsEmpty())
            {
                lines.AddItem(line);
                fit = Fit(measurer, width, rest);
                line = rest.Left(fit);
            }
            consumed = Length(paragraph) - Length(rest) + fit;
        }
        lines.AddItem(line);
    }
}

void LayOut(const Measurer& measurer, const WString& text, bool wrap, int width,
            WStringArray& lines)
{
    if (wrap)
    {
        WordWrap(measurer, text, static_cast<float>(width), lines);
    }
    else
    {
        Split(text, LineSeparator(), lines);
    }
}
} // namespace

int LFontText::GetLineCount()
{
    const Measurer measurer(mFont);
    if (mUnmeasured && measurer.CanMeasure())
    {
        // Laid out while nothing could measure: every line was 0 by 0 at the wrong place.
        ClearLayout();
    }
    if (mLines.GetCount() == 0)
    {
        LayOut(measurer, mText, mWordWrap, mBoxWidth, mLines);
    }
    if (mLineRects.GetCount() == 0)
    {
        if (mLines.GetCount() == 0)
        {
            mLines.AddItem(WString());
        }
        const int lineHeight = measurer.LineHeight();
        const int blockHeight = lineHeight * static_cast<int>(mLines.GetCount());
        const float top = static_cast<float>(mBoxHeight - blockHeight) * mVerticalAlignment;
        for (unsigned int i = 0; i < mLines.GetCount(); ++i)
        {
            const RectT<float> extent = measurer.Measure(mLines.GetConstElementPointer(i));
            const float width = Measurer::WidthOf(extent);
            const float x = (static_cast<float>(mBoxWidth) - width) * mHorizontalAlignment;
            mLineRects.AddItem(
                RectT<float>(x, top + static_cast<float>(static_cast<int>(i) * lineHeight), width,
                             extent.height));
        }
        mUnmeasured = !measurer.CanMeasure();
    }
    return static_cast<int>(mLineRects.GetCount());
}

int LFontText::GetHeightForWidth(int width) const
{
    const Measurer measurer(mFont);
    WStringArray lines;
    LayOut(measurer, mText, mWordWrap, width, lines);
    return static_cast<int>(lines.GetCount()) * measurer.LineHeight();
}

int LFontText::MeasureWidestLine() const
{
    const Measurer measurer(mFont);
    WStringArray lines;
    Split(mText, LineSeparator(), lines);
    double widest = 0;
    for (unsigned int i = 0; i < lines.GetCount(); ++i)
    {
        const double width = measurer.Width(lines.GetConstElementPointer(i));
        widest = width > widest ? width : widest;
    }
    const double result = widest + 0.99;
    return result >= 2147483647.0 ? 2147483647 : static_cast<int>(result);
}

SizeT<LONG> LFontText::GetTextSize()
{
    GetLineCount();
    RectT<float> bounds(0, 0, 0, 0);
    for (unsigned int i = 0; i < mLineRects.GetCount(); ++i)
    {
        RectT<float>::Union(bounds, bounds, mLineRects.GetConstElementPointer(i));
    }
    auto clamp = [](float value)
    {
        const double limit = 8388608.0;
        const double v = value;
        return v < -limit ? -limit : v > limit ? limit : v;
    };
    return SizeT<LONG>(RoundDoubleToLong(clamp(bounds.width)),
                       RoundDoubleToLong(clamp(bounds.height)));
}
} // namespace Orv
