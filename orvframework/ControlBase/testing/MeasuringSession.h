// GDI+ and the process's measuring renderer for a benchmark's whole run (main holds it): started
// when made; when it ends the process's control factory and measuring renderer are dropped and
// GDI+ is shut down.
#pragma once

#include "ControlBase/ControlFactory.h"
#include "Renderer/Gdi/GDIRenderer.h"
#include "Renderer/ProcessMeasurementRenderer.h"

namespace OrvTest
{
class MeasuringSession
{
public:
    MeasuringSession()
    {
        Gdiplus::GdiplusStartupInput input;
        GdiplusStartup(&mToken, &input, nullptr);
        Orv::LGDIRenderer::InstallMeasurementRenderer();
    }
    ~MeasuringSession()
    {
        Orv::SetControlFactory(nullptr);
        Orv::SetMeasurementRenderer(nullptr);
        GdiplusShutdown(mToken);
    }
    MeasuringSession(const MeasuringSession&) = delete;
    MeasuringSession& operator=(const MeasuringSession&) = delete;

private:
    ULONG_PTR mToken = 0;
};
} // namespace OrvTest
