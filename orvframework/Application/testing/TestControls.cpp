#include "TestControls.h"

#include "ControlBase/ControlCreator.h"
#include "Renderer/ColorRGBA.h"

#include <cstdio>

namespace OrvTest
{
using namespace Orv;

TestPanel::TestPanel(const RCPtr<LControl>& parent, const RCPtr<LControlDescriptor>& descriptor)
    : LControl(parent, descriptor)
{
}

ORVRESULT TestPanel::Initialize()
{
    const ORVRESULT result = LControl::Initialize();
    SetNotFocusable(false);
    return result;
}

void TestPanel::Note(const std::string& event) const
{
    if (journal != nullptr)
    {
        journal->push_back(Name() + ":" + event);
    }
}

ORVRESULT TestPanel::OnMouseEnter()
{
    Note("enter");
    return LControl::OnMouseEnter();
}

ORVRESULT TestPanel::OnMouseLeave()
{
    Note("leave");
    return LControl::OnMouseLeave();
}

ORVRESULT TestPanel::OnMouseMove(const RCPtr<LPointWithModifiersParam>& param)
{
    Note("move " + std::to_string(param->point.x) + "," + std::to_string(param->point.y));
    return LControl::OnMouseMove(param);
}

ORVRESULT TestPanel::OnMouseDown(const RCPtr<LMouseButtonParam>& param)
{
    Note("down " + std::to_string(param->button) + " " + std::to_string(param->point.x) + "," +
         std::to_string(param->point.y) + (param->pressed ? " double" : ""));
    return LControl::OnMouseDown(param);
}

ORVRESULT TestPanel::OnMouseUp(const RCPtr<LMouseButtonParam>& param)
{
    Note("up " + std::to_string(param->button) + " " + std::to_string(param->point.x) + "," +
         std::to_string(param->point.y) + (param->pressed ? " double" : ""));
    return LControl::OnMouseUp(param);
}

ORVRESULT TestPanel::OnCaptureLost()
{
    Note("capture lost");
    return LControl::OnCaptureLost();
}

ORVRESULT TestPanel::OnKey(const RCPtr<LKeyParam>& param)
{
    char text[64];
    std::snprintf(text, sizeof(text), "key %08x %d", static_cast<unsigned int>(param->key.code),
                  static_cast<int>(param->key.extra));
    Note(text);
    return LControl::OnKey(param);
}

void TestPanel::OnLeftClickHook(const RCPtr<LMouseButtonParam>& param)
{
    Note("click");
    LControl::OnLeftClickHook(param);
}

void TestPanel::OnRightClickHook(const RCPtr<LMouseButtonParam>& param)
{
    Note("right click");
    LControl::OnRightClickHook(param);
}

ORVRESULT TestPanel::OnWheel(const RCPtr<LMouseWheelParam>& param)
{
    Note("wheel " + std::to_string(param->amount));
    return takesWheel ? S_OK : LControl::OnWheel(param);
}

ORVRESULT TestPanel::OnHWheel(const RCPtr<LMouseWheelParam>& param)
{
    Note("hwheel " + std::to_string(param->amount));
    return takesWheel ? S_OK : LControl::OnHWheel(param);
}

ORVRESULT TestPanel::DrawContent(const ConstRCPtr<LRenderer>& renderer)
{
    Note("draw");
    if (fill != 0)
    {
        const RectT<double> rect = GetRect();
        renderer.GetMutable()->FillRect(
            RectT<LONG>(0, 0, RoundDoubleToLong(rect.width), RoundDoubleToLong(rect.height)),
            ColorRGBA::FromPacked(fill), true);
    }
    return LControl::DrawContent(renderer);
}

LControl* FindControl(LControl* root, const std::string& name)
{
    if (root == nullptr || std::string(root->GetName().ToNarrow().GetBuffer()) == name)
    {
        return root;
    }
    const LControl::ChildControlList& children = root->GetChildren();
    for (unsigned int i = 0; i < children.GetCount(); ++i)
    {
        if (LControl* found = FindControl(children.children.GetConstElementPointer(i).Get(), name))
        {
            return found;
        }
    }
    return nullptr;
}

TestPanel* FindPanel(const RCPtr<LControl>& root, const char* name)
{
    return dynamic_cast<TestPanel*>(FindControl(root.Get(), name));
}

void RegisterTestControls(LControlFactory& factory)
{
    factory.RegisterControlCreateFunction(WString(L"Test.Panel"), &CreateControlOf<TestPanel>);
    factory.RegisterControlCreateFunction(WString(L"Test.Dialog"), &CreateControlOf<LDialog>);
}
} // namespace OrvTest
