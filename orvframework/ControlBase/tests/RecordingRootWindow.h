// A root window for the control model tests: it hosts a root control, finds the control under a
// point through it, keeps hover, capture and focus the way a window does, and records what the
// controls ask of it (invalidated rectangles, cursors, window rectangles). Its clock, pointer
// position and held buttons are set by the test.
#pragma once

#include "ControlBase/Control.h"

#include <stdexcept>
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
        idle->UnregisterAllClients();
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
        if (throwOnSearch)
        {
            throw std::runtime_error("search failed");
        }
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

    // The window's input roads, as a root window drives its controls: a move goes to the capture
    // control (relative to it) or to the control under the pointer, which becomes the hover
    // control; a press to the capture control or the control under the pointer; a release only
    // to the capture control; a wheel step to the capture control or the control under the
    // pointer, then, when not taken, to the focus control. Points are client coordinates.
    void Move(LONG x, LONG y)
    {
        cursor = Orv::PointT<LONG>(x, y);
        Orv::PointT<LONG> local;
        const Orv::RCPtr<Orv::LControl> found = GetControlAt(cursor, local, true);
        Orv::RCPtr<Orv::LControl> target = capture ? capture : found;
        if (target)
        {
            target->OnMouseMove(
                Orv::LPointWithModifiersParam::Create(capture ? Relative(x, y) : local, 0, 0));
        }
    }
    void Press(DWORD button, LONG x, LONG y)
    {
        if (!(cursor == Orv::PointT<LONG>(x, y)))
        {
            Move(x, y);
        }
        buttons |= button;
        Orv::PointT<LONG> local;
        Orv::RCPtr<Orv::LControl> target = capture;
        if (target)
        {
            local = Relative(x, y);
        }
        else
        {
            target = GetControlAt(cursor, local, true);
        }
        if (target)
        {
            target->OnMouseDown(
                Orv::LMouseButtonParam::Create(button, local, 0, false, buttons, 0));
        }
    }
    void ReleaseButton(DWORD button, LONG x, LONG y)
    {
        if (!(cursor == Orv::PointT<LONG>(x, y)))
        {
            Move(x, y);
        }
        buttons &= ~button;
        if (capture)
        {
            const Orv::RCPtr<Orv::LControl> target = capture;
            target->OnMouseUp(
                Orv::LMouseButtonParam::Create(button, Relative(x, y), 0, false, buttons, 0));
        }
    }
    Orv::ORVRESULT Wheel(LONG x, LONG y, LONG direction)
    {
        cursor = Orv::PointT<LONG>(x, y);
        Orv::PointT<LONG> local;
        Orv::RCPtr<Orv::LControl> target = capture ? capture : GetControlAt(cursor, local, true);
        if (!target)
        {
            return S_FALSE;
        }
        const Orv::RCPtr<Orv::LMouseWheelParam> param =
            Orv::LMouseWheelParam::Create(cursor, 0, direction);
        const bool vertical =
            direction == Orv::LControl::kWheelDown || direction == Orv::LControl::kWheelUp;
        Orv::ORVRESULT result =
            vertical ? target->OnMouseWheel(param) : target->OnMouseHWheel(param);
        if (result == S_FALSE && focus)
        {
            const Orv::RCPtr<Orv::LControl> focused = focus;
            result = vertical ? focused->OnMouseWheel(param) : focused->OnMouseHWheel(param);
        }
        return result;
    }
    // A client point relative to the capture control.
    Orv::PointT<LONG> Relative(LONG x, LONG y) const
    {
        const Orv::PointT<LONG> origin = Orv::RoundDoublePointToLong(capture->GetRectInRoot());
        return Orv::PointT<LONG>(x - origin.x, y - origin.y);
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
    double GetElapsedSeconds() override { return clock / 1000.0; }
    Orv::RCPtr<Orv::LNotificationDistributor> GetIdleDistributor() override { return idle; }
    void CycleFocus(const Orv::RCPtr<Orv::LKeyParam>& key) override
    {
        ++cycles;
        if (root)
        {
            const Orv::RCPtr<Orv::LControl> control = root;
            control->OnKillFocus();
            control->SetFocus((key->key.code & Orv::KeyCode::kShift) == 0);
        }
    }

    // Records the keys no control took; the window binds no hot keys.
    Orv::ORVRESULT ProcessHotKey(const Orv::RCPtr<Orv::LKeyParam>& key) override
    {
        hotKeys.push_back(key ? key->key.code : -1);
        return S_FALSE;
    }

    Orv::RectT<LONG> GetWorkArea() override { return workArea; }
    Orv::PointT<LONG> GetClientOrigin() override { return clientOrigin; }
    Orv::SizeT<LONG> GetClientSize() override { return clientSize; }
    Orv::ORVRESULT SetWindowRect(const Orv::RectT<LONG>& rect) override
    {
        windowRects.push_back(rect);
        return S_OK;
    }

    Orv::RCPtr<Orv::LControl> root;
    Orv::RCPtr<Orv::LNotificationDistributor> idle = new Orv::LNotificationDistributor();
    int cycles = 0;
    std::vector<LONG> hotKeys;
    Orv::RCPtr<Orv::LControl> hover;
    Orv::RCPtr<Orv::LControl> capture;
    Orv::RCPtr<Orv::LControl> focus;
    Orv::RCPtr<Orv::LControl> previousFocus;
    std::vector<Orv::RectT<LONG>> invalidated;
    std::vector<int> cursors;
    std::vector<Orv::RectT<LONG>> windowRects;
    int currentCursor = 0;
    int searches = 0;
    bool throwOnSearch = false;
    Orv::PointT<LONG> cursor;
    DWORD buttons = 0;
    DWORD clock = 0;
    Orv::RectT<LONG> workArea{0, 0, 1920, 1080};
    Orv::PointT<LONG> clientOrigin{100, 50};
    Orv::SizeT<LONG> clientSize{640, 480};
};
} // namespace OrvTest
