// A root window for the control model tests: it hosts a root control, finds the control under a
// point through it, keeps hover, capture and focus the way a window does, and records what the
// controls ask of it (invalidated rectangles, cursors, window rectangles). Its clock, pointer
// position and held buttons are set by the test.
#pragma once

#include "ControlBase/Control.h"

#include <string>
#include <vector>

namespace OrvTest
{
class RecordingRootWindow : public Orv::IRootWindow
{
public:
    // Hosts control as the top-level control (gives it this window).
    void Host(const Orv::RCPtr<Orv::LControl>& control)
    {
        root = control;
        control->SetRootWindow(Orv::RCPtr<Orv::IRootWindow>(this));
    }
    // Lets go of everything (the tree and the window hold each other).
    void Close()
    {
        hover = nullptr;
        capture = nullptr;
        focus = nullptr;
        previousFocus = nullptr;
        if (root)
        {
            const Orv::RCPtr<Orv::LControl> control = root;
            root = nullptr;
            control->SetRootWindow(nullptr);
        }
    }

    void InvalidateControl(const Orv::RectT<LONG>& rect) override { invalidated.push_back(rect); }

    Orv::RCPtr<Orv::LControl> GetControlAt(const Orv::PointT<LONG>& point, Orv::PointT<LONG>& local,
                                           bool updateHover) override
    {
        ++searches;
        Orv::RCPtr<Orv::LControl> found;
        local = Orv::PointT<LONG>();
        if (root)
        {
            const Orv::RectT<LONG> at = root->GetRect().ToInt();
            LONG level = Orv::LControl::kNoUnclippedLevel;
            found = root->FindControlAt(Orv::PointT<LONG>(point.x - at.x, point.y - at.y), true,
                                        local, level);
        }
        if (updateHover)
        {
            SetHoverControl(found);
        }
        return found;
    }

    // While a control holds the capture no other control is hovered.
    void SetHoverControl(Orv::RCPtr<Orv::LControl> control)
    {
        if (capture && control.Get() != capture.Get())
        {
            control = nullptr;
        }
        if (control.Get() == hover.Get())
        {
            return;
        }
        const Orv::RCPtr<Orv::LControl> old = hover;
        hover = control;
        if (old && (old->GetParent() || old->GetRootWindow()))
        {
            old->OnMouseLeave();
        }
        if (control)
        {
            control->OnMouseEnter();
        }
    }

    Orv::PointT<LONG> GetCursorPos() override { return cursor; }
    DWORD GetMouseButtons() override { return buttons; }

    Orv::ORVRESULT SetCaptureControl(const Orv::RCPtr<Orv::LControl>& control) override
    {
        if (!control)
        {
            return E_INVALIDARG;
        }
        if (capture)
        {
            const Orv::RCPtr<Orv::LControl> old = capture;
            old->OnCaptureLost();
        }
        capture = control;
        return S_OK;
    }
    Orv::ORVRESULT ReleaseCaptureControl() override
    {
        capture = nullptr;
        return S_OK;
    }

    int SetCursor(int shown) override
    {
        cursors.push_back(shown);
        const int previous = currentCursor;
        currentCursor = shown;
        return previous;
    }

    Orv::RCPtr<Orv::LControl> GetFocusControl() override { return focus; }
    void SetFocusControl(const Orv::RCPtr<Orv::LControl>& control) override { focus = control; }
    void ClearFocusControl() override
    {
        previousFocus = focus;
        focus = nullptr;
    }

    DWORD GetTimeMs() override { return clock; }

    Orv::RectT<LONG> GetWorkArea() override { return workArea; }
    Orv::PointT<LONG> GetClientOrigin() override { return clientOrigin; }
    Orv::SizeT<LONG> GetClientSize() override { return clientSize; }
    Orv::ORVRESULT SetWindowRect(const Orv::RectT<LONG>& rect) override
    {
        windowRects.push_back(rect);
        return S_OK;
    }

    Orv::RCPtr<Orv::LControl> root;
    Orv::RCPtr<Orv::LControl> hover;
    Orv::RCPtr<Orv::LControl> capture;
    Orv::RCPtr<Orv::LControl> focus;
    Orv::RCPtr<Orv::LControl> previousFocus;
    std::vector<Orv::RectT<LONG>> invalidated;
    std::vector<int> cursors;
    std::vector<Orv::RectT<LONG>> windowRects;
    int currentCursor = 0;
    int searches = 0;
    Orv::PointT<LONG> cursor;
    DWORD buttons = 0;
    DWORD clock = 0;
    Orv::RectT<LONG> workArea{0, 0, 1920, 1080};
    Orv::PointT<LONG> clientOrigin{100, 50};
    Orv::SizeT<LONG> clientSize{640, 480};
};
} // namespace OrvTest
