// A font by face name, size in points and style. Fonts are shared through a process-wide
// registry, one font per distinct (name without regard to case, exact size, style); the
// registry's references are internal references of the fonts, so a font leaves the registry and
// dies when its last outside holder lets go. Line height, ascent and descent are measured once,
// on first use, by the measuring renderer.
//
// Fonts are created, measured and released on the UI thread only.
#pragma once

#include "ObjectBase/RCPtr.h"
#include "Utilities/Storage/StringT.h"

namespace Orv
{
class LFont : public virtual LRefCountedObject
{
public:
    // Style bits, passed to the back-ends unchanged.
    static constexpr int kRegular = 0;
    static constexpr int kBold = 1;
    static constexpr int kItalic = 2;
    static constexpr int kUnderline = 4;
    static constexpr int kStrikeout = 8;

    // The registered font for the triple, made and registered when there is none.
    static ConstRCPtr<LFont> GetFont(const WString& name, float size, int style);
    // The font's id, never given to another font: the key of the back-ends' per-font caches.
    static int GetUniqueID(const ConstRCPtr<LFont>& font);

    const WString& GetName() const { return mName; }
    float GetSize() const { return mSize; }
    int GetStyle() const { return mStyle; }

    // The metrics in pixels; each measures the font first while the height is still negative.
    // Without a measuring renderer they are 0 (and measured again on the next call).
    int GetHeight() const;
    int GetAscent() const;
    int GetDescent() const;

    // Leaves the registry: S_OK, or E_FAIL when the font is no longer in it.
    ORVRESULT ReleaseInternalReferences() override;
    ~LFont() override;

private:
    LFont(const WString& name, float size, int style);
    // False when there is no measuring renderer.
    bool Measure() const;

    WString mName;
    float mSize;
    int mStyle;
    mutable int mHeight = -1;
    mutable int mAscent = 0;
    mutable int mDescent = 0;
    int mUniqueId;
};
} // namespace Orv
