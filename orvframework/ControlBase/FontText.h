// The text part of a look: a text, a font and a box, with the lines the text is laid out in and
// one rectangle per line. Lines and rectangles are made on first use (GetLineCount) and kept;
// changing the text, the font, the word-wrap flag or the box empties them, and the next use lays
// the text out again. A layout made while there was no measuring renderer (every size 0) is kept
// only until one is there. The layout itself lives with the renderer (Renderer/FontTextLayout.cpp).
#pragma once

#include "Renderer/Font.h"
#include "Utilities/Geometry/Geometry.h"
#include "Utilities/Storage/Array.h"
#include "Utilities/Storage/StringArrayT.h"

namespace Orv
{
class LFontText : public LRefCountedObject
{
public:
    LFontText() = default;

    const WString& GetText() const { return mText; }
    const ConstRCPtr<LFont>& GetFont() const { return mFont; }
    float GetHorizontalAlignment() const { return mHorizontalAlignment; }
    float GetVerticalAlignment() const { return mVerticalAlignment; }
    bool GetWordWrap() const { return mWordWrap; }
    LONG GetBoxWidth() const { return mBoxWidth; }
    LONG GetBoxHeight() const { return mBoxHeight; }

    void SetText(const WString& text)
    {
        if (!(text == mText))
        {
            mText = text;
            ClearLayout();
        }
    }
    void SetFont(const ConstRCPtr<LFont>& font)
    {
        if (!(font == mFont))
        {
            mFont = font;
            ClearLayout();
        }
    }
    // 0 left (top), 0.5 centred, 1 right (bottom): the fraction of the free width put before
    // each line, and of the free height put above the block of lines.
    void SetAlignment(float horizontal, float vertical)
    {
        if (horizontal != mHorizontalAlignment || vertical != mVerticalAlignment)
        {
            mHorizontalAlignment = horizontal;
            mVerticalAlignment = vertical;
            ClearLayout();
        }
    }
    // True when the flag changed.
    bool SetWordWrap(bool wrap)
    {
        if (wrap == mWordWrap)
        {
            return false;
        }
        mWordWrap = wrap;
        ClearLayout();
        return true;
    }
    // The box in pixels; its width is also the wrap width.
    void SetBoxSize(LONG width, LONG height)
    {
        if (width != mBoxWidth || height != mBoxHeight)
        {
            mBoxWidth = width;
            mBoxHeight = height;
            ClearLayout();
        }
    }

    // Lays the text out and places the lines when they are not made yet; the number of lines.
    int GetLineCount();
    // The number of lines the text takes at that width (wrapped when the word-wrap flag is set,
    // else split at line feeds) times the font's line height; nothing is kept.
    int GetHeightForWidth(int width) const;
    // The widest of the lines split at line feeds, plus 0.99, truncated.
    int MeasureWidestLine() const;
    // The size of the union of (0, 0, 0, 0) with every line rectangle, after GetLineCount.
    SizeT<LONG> GetTextSize();

    // The lines and their rectangles as last laid out (empty when not laid out).
    const WStringArray& GetLines() const { return mLines; }
    const Array<RectT<float>>& GetLineRects() const { return mLineRects; }

private:
    void ClearLayout()
    {
        mLines.RemoveAll();
        mLineRects.RemoveAll();
        mUnmeasured = false;
    }

    WString mText;
    ConstRCPtr<LFont> mFont;
    float mHorizontalAlignment = 0;
    float mVerticalAlignment = 0;
    bool mWordWrap = false;
    LONG mBoxWidth = 0;
    LONG mBoxHeight = 0;
    WStringArray mLines;
    Array<RectT<float>> mLineRects;
    // The lines and rectangles were made without a measuring renderer.
    bool mUnmeasured = false;
};
} // namespace Orv
