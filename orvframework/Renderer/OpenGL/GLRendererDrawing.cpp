// The OpenGL renderer's text slots, rectangles, lines and colour lists.
#include "Renderer/OpenGL/GLRenderer.h"

#include "Utilities/Geometry/RectOperations.h"

namespace Orv
{
namespace
{
// An integer rectangle as drawn: widened to doubles, a negative size flipped.
RectT<double> Drawn(const RectT<LONG>& rect)
{
    RectT<double> r = LongRectToDouble(rect);
    RoundRectOutward(r);
    return r;
}

void SetColor(const ColorRGBA& color)
{
    glColor4f(color.red, color.green, color.blue, color.alpha);
}
} // namespace

ORVRESULT LGLRenderer::GetFontMetrics(const ConstRCPtr<LFont>& font, int& height, int& ascent,
                                      int& descent)
{
    if (mFontRenderer == nullptr)
    {
        return E_NOTIMPL;
    }
    return mFontRenderer.GetMutable()->GetFontMetrics(font, height, ascent, descent);
}

RectT<float> LGLRenderer::MeasureString(const WString& text, const ConstRCPtr<LFont>& font)
{
    RectT<float> extent;
    if (mFontRenderer != nullptr)
    {
        mFontRenderer.GetMutable()->MeasureString(extent, text, font);
    }
    return extent;
}

ORVRESULT LGLRenderer::DrawString(const WString& text, const ConstRCPtr<LFont>& font,
                                  const PointT<LONG>& position, const ColorRGBA& color)
{
    if (mFontRenderer == nullptr || text.IsEmpty())
    {
        return S_OK;
    }
    // The glyphs are drawn in the current colour, the top of the line at the string's point.
    SetColor(color);
    const PointT<double> origin(static_cast<double>(position.x), static_cast<double>(position.y));
    Translate(origin);
    LFontRenderer& fontRenderer = *mFontRenderer.GetMutable();
    fontRenderer.ProcessString(text, font, fontRenderer.GetGlyphProcessor(), 0, 0.0f,
                               LGlyphProcessor::kModeDrawString);
    Translate(PointT<double>(-origin.x, -origin.y));
    return S_OK;
}

ORVRESULT LGLRenderer::DrawRect(const RectT<LONG>& rect, const ColorRGBA& color, float lineWidth)
{
    if (GetCurrentContext() == nullptr)
    {
        return S_OK;
    }
    const RectT<double> r = Drawn(rect);
    glLineWidth(lineWidth);
    SetColor(color);
    glBegin(GL_LINE_STRIP);
    glVertex2d(r.x, r.y);
    glVertex2d(r.x + r.width, r.y);
    glVertex2d(r.x + r.width, r.y + r.height);
    glVertex2d(r.x, r.y + r.height);
    glVertex2d(r.x, r.y);
    glEnd();
    return S_OK;
}

ORVRESULT LGLRenderer::FillRect(const RectT<LONG>& rect, const ColorRGBA& color, bool blend)
{
    LGLRenderContextInfo* context = GetCurrentContext();
    if (context == nullptr)
    {
        return S_OK;
    }
    const RectT<double> r = Drawn(rect);
    if (blend)
    {
        SetColor(color);
        glDisable(GL_TEXTURE_2D);
        glBegin(GL_QUADS);
        glVertex2d(r.x, r.y);
        glVertex2d(r.x + r.width, r.y);
        glVertex2d(r.x + r.width, r.y + r.height);
        glVertex2d(r.x, r.y + r.height);
        glEnd();
        return S_OK;
    }
    // The pixels of the rectangle become the colour: a clear, limited to the rectangle.
    const PointT<double>& origin = context->GetState().origin;
    ApplyScissor(RectT<double>(r.x + origin.x, r.y + origin.y, r.width, r.height));
    glClearColor(color.red, color.green, color.blue, color.alpha);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glClearColor(0, 0, 0, 0);
    ApplyStateClip();
    return S_OK;
}

ORVRESULT LGLRenderer::DrawFilledRect(const RectT<LONG>& rect, const ColorRGBA& fill,
                                      const ColorRGBA& outline, float lineWidth)
{
    if (fill.alpha > 0)
    {
        FillRect(rect, fill, true);
    }
    if (outline.alpha > 0)
    {
        DrawRect(rect, outline, lineWidth);
    }
    return S_OK;
}

ORVRESULT LGLRenderer::DrawLine(const PointT<float>& from, const PointT<float>& to,
                                const ColorRGBA& color, float width)
{
    if (GetCurrentContext() == nullptr)
    {
        return S_OK;
    }
    glLineWidth(width);
    SetColor(color);
    glBegin(GL_LINES);
    glVertex2f(from.x, from.y);
    glVertex2f(to.x, to.y);
    glEnd();
    return S_OK;
}

void LGLRenderer::DrawColorRects(const ColorRectListT<float>& list)
{
    const PointT<float>& scale = list.GetScale();
    for (int i = static_cast<int>(list.GetCount()) - 1; i >= 0; --i)
    {
        const RectT<float>& r = list.GetRect(static_cast<unsigned int>(i));
        const RectT<LONG> rect(RoundDoubleToLong(static_cast<double>(r.x) * scale.x),
                               RoundDoubleToLong(static_cast<double>(r.y) * scale.y),
                               RoundDoubleToLong(static_cast<double>(r.width) * scale.x),
                               RoundDoubleToLong(static_cast<double>(r.height) * scale.y));
        FillRect(rect, ColorRGBA::FromPacked(list.GetColor(static_cast<unsigned int>(i))), true);
    }
}

ORVRESULT LGLRenderer::DrawColorRectList(const ColorRectListT<float>& list,
                                         const PointT<double>& origin, bool cache)
{
    if (GetCurrentContext() == nullptr)
    {
        return S_OK;
    }
    glPushMatrix();
    glTranslatef(static_cast<GLfloat>(origin.x), static_cast<GLfloat>(origin.y), 0);
    if (!cache)
    {
        mColorRectCache.Invalidate(list);
        DrawColorRects(list);
        glPopMatrix();
        return S_OK;
    }
    const bool changed = list.TakeChanged();
    RCPtr<LGLDisplayList>& entry = mColorRectCache.GetEntry(list, changed);
    // The entry may be taken over while this draw runs: the list stays alive meanwhile.
    RCPtr<LGLDisplayList> lists = entry;
    if (lists == nullptr)
    {
        lists = LGLDisplayList::Create(1);
        entry = lists;
        lists->BeginRecord(0);
        DrawColorRects(list);
        lists->EndRecord();
    }
    lists->Call(0, 1);
    glPopMatrix();
    return S_OK;
}
} // namespace Orv
