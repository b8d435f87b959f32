// Control classes of the framework tests. "Test.Panel" is a plain control that takes the focus
// and writes what reaches it into a journal ("left:down 1", "left:click"); "Test.Dialog" is a
// dialog. RegisterTestControls registers both with a factory.
#pragma once

#include "ControlBase/Control.h"
#include "ControlBase/ControlFactory.h"
#include "System/Dialog.h"

#include <string>
#include <vector>

namespace OrvTest
{
class TestPanel : public Orv::LControl
{
public:
    TestPanel(const Orv::RCPtr<Orv::LControl>& parent,
              const Orv::RCPtr<Orv::LControlDescriptor>& descriptor);

    // Makes the panel focusable.
    Orv::ORVRESULT Initialize() override;
    Orv::ORVRESULT OnMouseEnter() override;
    Orv::ORVRESULT OnMouseLeave() override;
    Orv::ORVRESULT OnMouseMove(const Orv::RCPtr<Orv::LPointWithModifiersParam>& param) override;
    Orv::ORVRESULT OnMouseDown(const Orv::RCPtr<Orv::LMouseButtonParam>& param) override;
    Orv::ORVRESULT OnMouseUp(const Orv::RCPtr<Orv::LMouseButtonParam>& param) override;
    Orv::ORVRESULT OnCaptureLost() override;
    Orv::ORVRESULT OnKey(const Orv::RCPtr<Orv::LKeyParam>& param) override;
    void OnLeftClickHook(const Orv::RCPtr<Orv::LMouseButtonParam>& param) override;
    void OnRightClickHook(const Orv::RCPtr<Orv::LMouseButtonParam>& param) override;
    // Takes the step when takesWheel is set.
    Orv::ORVRESULT OnWheel(const Orv::RCPtr<Orv::LMouseWheelParam>& param) override;
    Orv::ORVRESULT OnHWheel(const Orv::RCPtr<Orv::LMouseWheelParam>& param) override;
    // Notes the draw and, when fill is set, fills the control with it.
    Orv::ORVRESULT DrawContent(const Orv::ConstRCPtr<Orv::LRenderer>& renderer) override;

    bool takesWheel = false;
    // 0xAARRGGBB; 0 fills nothing.
    DWORD fill = 0;
    // The events, while set (shared by every test panel).
    static inline std::vector<std::string>* journal = nullptr;

    std::string Name() const { return GetName().ToNarrow().GetBuffer(); }

private:
    void Note(const std::string& event) const;
};

// The control of the tree under root (root included) with that name, searched depth first;
// null when there is none.
Orv::LControl* FindControl(Orv::LControl* root, const std::string& name);

// The test panel of the tree with that name, searched depth first; null when there is none.
TestPanel* FindPanel(const Orv::RCPtr<Orv::LControl>& root, const char* name);

void RegisterTestControls(Orv::LControlFactory& factory);
} // namespace OrvTest
