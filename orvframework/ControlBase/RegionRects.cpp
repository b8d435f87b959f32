#include "ControlBase/RegionRects.h"

#include "Utilities/Storage/Array.h"

namespace Orv
{
PointT<double> GetRenderOrigin(const LRenderer& renderer)
{
    const LRenderContextInfo* context = renderer.GetCurrentRenderContext();
    return context != nullptr ? context->GetState().origin : PointT<double>();
}

void GetRegionRectsHere(const LRenderer& renderer, const LRegion& region,
                        std::vector<RectT<double>>& rects)
{
    rects.clear();
    Array<RectT<LONG>> raw;
    region.GetRects(raw);
    const PointT<double> origin = GetRenderOrigin(renderer);
    rects.reserve(raw.GetCount());
    for (unsigned int i = 0; i < raw.GetCount(); ++i)
    {
        const RectT<LONG>& r = raw.GetConstElementPointer(i);
        rects.emplace_back(static_cast<double>(r.x) - origin.x, static_cast<double>(r.y) - origin.y,
                           static_cast<double>(r.width), static_cast<double>(r.height));
    }
}
} // namespace Orv
