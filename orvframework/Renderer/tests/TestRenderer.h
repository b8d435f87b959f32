// A back-end for the tests of the renderer interface: it keeps every base body of LRenderer
// (context stack and render state), records the order of the state calls that back-ends
// override, and measures text with fixed sizes (each character 10 pixels wide, every line 16
// high, the extent starting at a settable x), so that layout results can be worked out by hand.
#pragma once

#include "Renderer/Font.h"
#include "Renderer/Renderer.h"

#include <string>
#include <vector>

class TestRenderer : public Orv::LRenderer
{
public:
    static constexpr int kAdvance = 10;
    static constexpr int kLineHeight = 16;

    Orv::ORVRESULT GetFontMetrics(const Orv::ConstRCPtr<Orv::LFont>&, int& height, int& ascent,
                                  int& descent) override
    {
        ++metricsCalls;
        height = kLineHeight;
        ascent = -12;
        descent = 4;
        return S_OK;
    }
    Orv::RectT<float> MeasureString(const Orv::WString& text,
                                    const Orv::ConstRCPtr<Orv::LFont>&) override
    {
        return Orv::RectT<float>(extentX, 0, static_cast<float>(text.GetLength() * kAdvance),
                                 static_cast<float>(kLineHeight));
    }
    int GetRendererType() override { return 99; }
    Orv::ORVRESULT
    InitRenderContextInfo(const Orv::RectT<LONG>& bounds, HWND window, bool offscreen,
                          Orv::ConstRCPtr<Orv::LRenderContextInfo>& context) override;

    Orv::ORVRESULT SetStencil(const Orv::ConstRCPtr<Orv::LStencil>& stencil) override
    {
        calls.push_back("SetStencil");
        return LRenderer::SetStencil(stencil);
    }
    Orv::ORVRESULT SetClipRect(const Orv::RectT<double>& clip) override
    {
        calls.push_back("SetClipRect");
        return LRenderer::SetClipRect(clip);
    }
    Orv::ORVRESULT Translate(const Orv::PointT<double>& offset) override
    {
        calls.push_back("Translate");
        return LRenderer::Translate(offset);
    }

    using LRenderer::DrawString;
    Orv::ORVRESULT DrawString(const Orv::WString&, const Orv::ConstRCPtr<Orv::LFont>&,
                              const Orv::PointT<LONG>&, const Orv::ColorRGBA&) override
    {
        return S_OK;
    }
    Orv::ORVRESULT DrawRect(const Orv::RectT<LONG>&, const Orv::ColorRGBA&, float) override
    {
        return S_OK;
    }
    Orv::ORVRESULT FillRect(const Orv::RectT<LONG>&, const Orv::ColorRGBA&, bool) override
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
    Orv::ORVRESULT DrawBitmap(const Orv::ConstRCPtr<Orv::LBitmap>&, const Orv::RectT<LONG>&,
                              int) override
    {
        return S_OK;
    }
    Orv::ORVRESULT DrawRenderContext(const Orv::ConstRCPtr<Orv::LRenderContextInfo>&,
                                     const Orv::PointT<LONG>&, const Orv::RectT<LONG>&) override
    {
        return E_NOTIMPL;
    }
    Orv::ORVRESULT ScrollRenderContext(const Orv::ConstRCPtr<Orv::LRenderContextInfo>&,
                                       const Orv::PointT<LONG>&) override
    {
        return E_NOTIMPL;
    }

    int metricsCalls = 0;
    float extentX = 0;
    std::vector<std::string> calls;
};

// A plain context of the test back-end.
class TestRenderContext : public Orv::LRenderContextInfo
{
public:
    using LRenderContextInfo::LRenderContextInfo;
    Orv::SizeT<LONG> GetMaxSize() const override { return Orv::SizeT<LONG>(640, 480); }
};

inline Orv::ORVRESULT
TestRenderer::InitRenderContextInfo(const Orv::RectT<LONG>& bounds, HWND window, bool offscreen,
                                    Orv::ConstRCPtr<Orv::LRenderContextInfo>& context)
{
    context =
        Orv::ConstRCPtr<Orv::LRenderContextInfo>(new TestRenderContext(bounds, window, offscreen));
    return S_OK;
}
