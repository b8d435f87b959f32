#include "Renderer/Font.h"

#include "Renderer/ProcessMeasurementRenderer.h"
#include "Utilities/Storage/RCPtrArray.h"

#include <cwctype>

namespace Orv
{
namespace
{
using FontRegistry = RCPtrArray<LFont, 1, 0>;

// The registry, made on first use. Its references are internal references of the fonts.
FontRegistry* gRegistry = nullptr;
int gLastUniqueId = 0;

// At exit the registry lets go of every font still in it, first turning its references into
// plain ones, so that no font asks the registry to remove it while the registry is going.
struct RegistryRelease
{
    ~RegistryRelease()
    {
        FontRegistry* registry = gRegistry;
        gRegistry = nullptr;
        if (registry == nullptr)
        {
            return;
        }
        for (unsigned int i = 0; i < registry->GetCount(); ++i)
        {
            registry->GetElementPointer(i)->ReleaseInternalReference();
        }
        delete registry;
    }
} gRegistryRelease;

FontRegistry& Registry()
{
    if (gRegistry == nullptr)
    {
        gRegistry = new FontRegistry();
    }
    return *gRegistry;
}

bool SameNameIgnoringCase(const WString& a, const WString& b)
{
    if (a.GetBuffer() == b.GetBuffer())
    {
        return true;
    }
    const wchar_t* p = a.GetBuffer();
    const wchar_t* q = b.GetBuffer();
    for (; *p != 0 && *q != 0; ++p, ++q)
    {
        if (std::towlower(static_cast<wint_t>(*p)) != std::towlower(static_cast<wint_t>(*q)))
        {
            return false;
        }
    }
    return *p == 0 && *q == 0;
}

// The index of the last registered font matching the triple, -1 when there is none.
int FindFont(const FontRegistry& registry, const WString& name, float size, int style)
{
    for (int i = static_cast<int>(registry.GetCount()) - 1; i >= 0; --i)
    {
        const LFont* font = registry.GetConstElementPointer(static_cast<unsigned int>(i)).Get();
        if (SameNameIgnoringCase(font->GetName(), name) && font->GetSize() == size &&
            font->GetStyle() == style)
        {
            return i;
        }
    }
    return -1;
}
} // namespace

LFont::LFont(const WString& name, float size, int style)
    : mName(name)
    , mSize(size)
    , mStyle(style)
    , mUniqueId(++gLastUniqueId)
{
}

LFont::~LFont() = default;

ConstRCPtr<LFont> LFont::GetFont(const WString& name, float size, int style)
{
    FontRegistry& registry = Registry();
    const int found = FindFont(registry, name, size, style);
    if (found >= 0)
    {
        return registry.GetConstElementPointer(static_cast<unsigned int>(found));
    }
    RCPtr<LFont> font(new LFont(name, size, style));
    ORV_REQUIRE_SUCCESS(registry.AddItem(font));
    font->AddInternalReference();
    return font;
}

int LFont::GetUniqueID(const ConstRCPtr<LFont>& font)
{
    return font->mUniqueId;
}

bool LFont::Measure() const
{
    ConstRCPtr<LFont> self(const_cast<LFont*>(this));
    ConstRCPtr<LRenderer> renderer;
    GetMeasurementRenderer(renderer);
    if (renderer == nullptr)
    {
        return false;
    }
    int height = mHeight;
    int ascent = mAscent;
    int descent = mDescent;
    renderer.GetMutable()->GetFontMetrics(self, height, ascent, descent);
    mHeight = height;
    mAscent = ascent;
    mDescent = descent;
    return true;
}

int LFont::GetHeight() const
{
    if (mHeight < 0 && !Measure())
    {
        return 0;
    }
    return mHeight;
}

int LFont::GetAscent() const
{
    if (mHeight < 0 && !Measure())
    {
        return 0;
    }
    return mAscent;
}

int LFont::GetDescent() const
{
    if (mHeight < 0 && !Measure())
    {
        return 0;
    }
    return mDescent;
}

ORVRESULT LFont::ReleaseInternalReferences()
{
    if (gRegistry == nullptr)
    {
        return E_FAIL;
    }
    const int found = FindFont(*gRegistry, mName, mSize, mStyle);
    if (found < 0 ||
        gRegistry->GetConstElementPointer(static_cast<unsigned int>(found)).Get() != this)
    {
        return E_FAIL;
    }
    ReleaseInternalReference();
    gRegistry->RemoveItems(static_cast<unsigned int>(found), 1);
    return S_OK;
}
} // namespace Orv
