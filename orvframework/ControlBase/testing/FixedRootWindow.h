// A window of a fixed client size for control trees that benchmarks and tests build without a
// real window: nothing is shown, captured or focused, no time passes and no key is a hot key.
#pragma once

#include "ControlBase/Control.h"
#include "ControlBase/RootWindowInterface.h"

namespace OrvTest
{
class FixedRootWindow : public Orv::IRootWindow
{
public:
    explicit FixedRootWindow(Orv::SizeT<LONG> size)
        : clientSize(size)
    {
    }
    void InvalidateControl(const Orv::RectT<LONG>&) override {}
    Orv::RCPtr<Orv::LControl> GetControlAt(const Orv::PointT<LONG>&, Orv::PointT<LONG>& local,
                                           bool) override
    {
        local = Orv::PointT<LONG>();
        return nullptr;
    }
    Orv::PointT<LONG> GetCursorPos() override { return Orv::PointT<LONG>(); }
    DWORD GetMouseButtons() override { return 0; }
    Orv::ORVRESULT SetCaptureControl(const Orv::RCPtr<Orv::LControl>&) override { return S_OK; }
    Orv::ORVRESULT ReleaseCaptureControl() override { return S_OK; }
    int SetCursor(int) override { return 0; }
    Orv::RCPtr<Orv::LControl> GetFocusControl() override { return nullptr; }
    void SetFocusControl(const Orv::RCPtr<Orv::LControl>&) override {}
    void ClearFocusControl() override {}
    DWORD GetTimeMs() override { return 0; }
    double GetElapsedSeconds() override { return 0; }
    Orv::RCPtr<Orv::LNotificationDistributor> GetIdleDistributor() override { return nullptr; }
    void CycleFocus(const Orv::RCPtr<Orv::LKeyParam>&) override {}
    Orv::ORVRESULT ProcessHotKey(const Orv::RCPtr<Orv::LKeyParam>&) override { return S_FALSE; }
    Orv::RectT<LONG> GetWorkArea() override { return Orv::RectT<LONG>(0, 0, 8192, 8192); }
    Orv::PointT<LONG> GetClientOrigin() override { return Orv::PointT<LONG>(); }
    Orv::SizeT<LONG> GetClientSize() override { return clientSize; }
    Orv::ORVRESULT SetWindowRect(const Orv::RectT<LONG>&) override { return S_OK; }

    Orv::SizeT<LONG> clientSize;
};
} // namespace OrvTest
