#include "Renderer/ProcessMeasurementRenderer.h"

namespace Orv
{
namespace
{
// Created on first use and never destroyed, so that fonts released at exit can still ask.
ConstRCPtr<LRenderer>& ProcessRenderer()
{
    static ConstRCPtr<LRenderer>* const renderer = new ConstRCPtr<LRenderer>();
    return *renderer;
}
} // namespace

void GetMeasurementRenderer(ConstRCPtr<LRenderer>& renderer)
{
    renderer = ProcessRenderer();
}

void SetMeasurementRenderer(const ConstRCPtr<LRenderer>& renderer)
{
    ProcessRenderer() = renderer;
}
} // namespace Orv
