// A renderer for the drawing tests that records what it is asked to draw: each fill, bitmap and
// text with its rectangle and the clip rectangle, both in the render context's coordinates, the
// colour and the alpha of the render state. It keeps every base body of LRenderer (the context
// stack, the render state, clips and origins) and measures text with fixed sizes: each character
// 10 pixels wide, every line 16 pixels high.
#pragma once

#include "Renderer/Font.h"
#include "Renderer/Region.h"
#include "Renderer/Renderer.h"
#include "Utilities/Graphics/Bitmap.h"

#include <cstdio>
#include <string>
#include <vector>

namespace OrvTest
{
// A region of the rectangles (left, top, right, bottom), the last given first.
inline Orv::LRegion RegionOf(std::initializer_list<RECT> rects)
{
    Orv::LRegion region;
    for (const RECT& r : rects)
    {
        region.AddRect(r);
    }
    return region;
}

class RecordingRenderContext : public Orv::LRenderContextInfo
{
public:
    using LRenderContextInfo::LRenderContextInfo;
    Orv::SizeT<LONG> GetMaxSize() const override { return Orv::SizeT<LONG>(4096, 4096); }
};

class RecordingRenderer : public Orv::LRenderer
{
public:
    static constexpr int kAdvance = 10;
    static constexpr int kLineHeight = 16;

    struct Call
    {
        // "fill", "bitmap" or "text <the text>".
        std::string what;
        Orv::RectT<double> rect;
        Orv::RectT<double> clip;
        DWORD color = 0;
        float alpha = 1;
    };

    // "what x,y wxh clip x,y wxh alpha a #AARRGGBB".
    static std::string Describe(const Call& call)
    {
        char text[256];
        std::snprintf(text, sizeof(text), "%s %g,%g %gx%g clip %g,%g %gx%g alpha %g #%08X",
                      call.what.c_str(), call.rect.x, call.rect.y, call.rect.width,
                      call.rect.height, call.clip.x, call.clip.y, call.clip.width, call.clip.height,
                      static_cast<double>(call.alpha), static_cast<unsigned int>(call.color));
        return text;
    }
    std::vector<std::string> Described() const
    {
        std::vector<std::string> described;
        for (const Call& call : calls)
        {
            described.push_back(Describe(call));
        }
        return described;
    }

    Orv::ORVRESULT GetFontMetrics(const Orv::ConstRCPtr<Orv::LFont>&, int& height, int& ascent,
                                  int& descent) override
    {
        height = kLineHeight;
        ascent = -12;
        descent = 4;
        return S_OK;
    }
    Orv::RectT<float> MeasureString(const Orv::WString& text,
                                    const Orv::ConstRCPtr<Orv::LFont>&) override
    {
        return Orv::RectT<float>(0, 0, static_cast<float>(text.GetLength() * kAdvance),
                                 static_cast<float>(kLineHeight));
    }
    int GetRendererType() override { return 99; }
    Orv::ORVRESULT InitRenderContextInfo(const Orv::RectT<LONG>& bounds, HWND window,
                                         bool offscreen,
                                         Orv::ConstRCPtr<Orv::LRenderContextInfo>& context) override
    {
        context = Orv::ConstRCPtr<Orv::LRenderContextInfo>(
            new RecordingRenderContext(bounds, window, offscreen));
        return S_OK;
    }

    using LRenderer::DrawString;
    Orv::ORVRESULT DrawString(const Orv::WString& text, const Orv::ConstRCPtr<Orv::LFont>& font,
                              const Orv::PointT<LONG>& position,
                              const Orv::ColorRGBA& color) override
    {
        const Orv::RectT<float> extent = MeasureString(text, font);
        Record(std::string("text ") + text.ToNarrow().GetBuffer(),
               Orv::RectT<double>(position.x, position.y, extent.width, extent.height), color);
        return S_OK;
    }
    Orv::ORVRESULT FillRect(const Orv::RectT<LONG>& rect, const Orv::ColorRGBA& color,
                            bool) override
    {
        Record("fill", Orv::RectT<double>(rect.x, rect.y, rect.width, rect.height), color);
        return S_OK;
    }
    Orv::ORVRESULT DrawBitmap(const Orv::ConstRCPtr<Orv::LBitmap>&,
                              const Orv::RectT<LONG>& destination, int) override
    {
        Record(
            "bitmap",
            Orv::RectT<double>(destination.x, destination.y, destination.width, destination.height),
            Orv::ColorRGBA{});
        return S_OK;
    }
    Orv::ORVRESULT DrawRect(const Orv::RectT<LONG>&, const Orv::ColorRGBA&, float) override
    {
        return S_OK;
    }
    Orv::ORVRESULT DrawFilledRect(const Orv::RectT<LONG>&, const Orv::ColorRGBA&,
                                  const Orv::ColorRGBA&, float) override
    {
        return S_OK;
    }
    Orv::ORVRESULT DrawColorRectList(const Orv::ColorRectListT<float>&, const Orv::PointT<double>&,
                                     bool) override
    {
        return S_OK;
    }
    Orv::ORVRESULT DrawLine(const Orv::PointT<float>&, const Orv::PointT<float>&,
                            const Orv::ColorRGBA&, float) override
    {
        return S_OK;
    }
    Orv::ORVRESULT DrawLineSegments(Orv::PolylineT<float>&, const Orv::ColorRGBA&,
                                    const Orv::PointT<float>&, const Orv::PointT<float>&,
                                    bool) override
    {
        return S_OK;
    }
    Orv::ORVRESULT DrawPolyline(Orv::PolylineT<float>&, const Orv::ColorRGBA&,
                                const Orv::PointT<float>&, const Orv::PointT<float>&, bool) override
    {
        return S_OK;
    }
    Orv::ORVRESULT DrawPolygon(Orv::PolylineT<float>&, const Orv::ColorRGBA&,
                               const Orv::PointT<float>&, const Orv::PointT<float>&, bool) override
    {
        return S_OK;
    }
    Orv::ORVRESULT FillPolygon(Orv::PolylineT<float>&, const Orv::ColorRGBA&,
                               const Orv::PointT<float>&, const Orv::PointT<float>&, bool) override
    {
        return S_OK;
    }
    Orv::ORVRESULT DrawRenderContext(const Orv::ConstRCPtr<Orv::LRenderContextInfo>&,
                                     const Orv::PointT<LONG>&, const Orv::RectT<LONG>&) override
    {
        return S_OK;
    }
    Orv::ORVRESULT ScrollRenderContext(const Orv::ConstRCPtr<Orv::LRenderContextInfo>&,
                                       const Orv::PointT<LONG>&) override
    {
        return S_OK;
    }

    std::vector<Call> calls;

private:
    void Record(const std::string& what, const Orv::RectT<double>& rect,
                const Orv::ColorRGBA& color)
    {
        const Orv::LRenderContextInfo* context = GetCurrentRenderContext();
        Call call;
        call.what = what;
        call.rect = rect;
        call.color = Orv::ColorFromFloatRGBA(color);
        if (context != nullptr)
        {
            const Orv::RenderState& state = context->GetState();
            call.rect.x += state.origin.x;
            call.rect.y += state.origin.y;
            call.clip =
                Orv::RectT<double>(state.clip.x + state.origin.x, state.clip.y + state.origin.y,
                                   state.clip.width, state.clip.height);
            call.alpha = state.alpha;
        }
        calls.push_back(call);
    }
};
} // namespace OrvTest
