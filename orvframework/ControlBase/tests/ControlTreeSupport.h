// A control tree in a window for the tests of layout, drawing, the hit search and input: a skin
// document is loaded through the factory, its top-level control made with CreateTopLevelControl
// into a recording root window and laid out; controls are found by their path of names; a
// journal records the notifications the controls send.
#pragma once

#include "ControlTestSupport.h"
#include "RecordingRootWindow.h"

#include "notification/Notification.h"
#include "notification/NotificationName.h"

#include <sstream>

namespace OrvTest
{
// A skin document whose colorizers, parts, looks and look lists come first: each colour below
// is a solid colorizer, a 1 x 1 colour-fill part stretched over the client area, a look and a
// look list of one look, all named by the colour ("grey", "red", "green", "blue", "yellow",
// "clear" (alpha 0)); "framed" is a grey look whose client part starts 10 pixels from the left,
// with a yellow non-client part filling that margin; "label" is a grey look with a text area 2
// pixels in from the left and right and 1 from the top and bottom, its text red. looks and
// lookLists are added to those elements; skins is the content of the skin "Default", secondSkin,
// when given, that of a skin "Second".
inline std::string SkinDocument(const std::string& skins, const std::string& looks = "",
                                const std::string& lookLists = "",
                                const std::string& secondSkin = "")
{
    const char* colours[][2] = {{"grey", "0xFF808080"},   {"red", "0xFFFF0000"},
                                {"green", "0xFF00FF00"},  {"blue", "0xFF0000FF"},
                                {"yellow", "0xFFFFFF00"}, {"clear", "0x00000000"}};
    std::ostringstream out;
    out << "<Skin_Definitions><Colorizers>";
    for (const auto& c : colours)
    {
        out << "<Colorizer Name=\"" << c[0] << "\" ColorType=\"SolidFill\" Color=\"" << c[1]
            << "\"/>";
    }
    out << "</Colorizers><Parts>";
    for (const auto& c : colours)
    {
        out << "<Part Name=\"" << c[0] << "\" Width=\"1\" Height=\"1\" ResizeType=\"Stretch\" "
            << "ColorizerName=\"" << c[0] << "\"/>";
    }
    out << "</Parts><Looks>";
    for (const auto& c : colours)
    {
        out << "<Look Name=\"" << c[0] << "\"><ClientPart Name=\"" << c[0]
            << "\" OffsetLeft=\"0\" OffsetTop=\"0\" OffsetRight=\"0\" OffsetBottom=\"0\"/></Look>";
    }
    out << "<Look Name=\"framed\"><ClientPart Name=\"grey\" OffsetLeft=\"10\" OffsetTop=\"0\" "
           "OffsetRight=\"0\" OffsetBottom=\"0\"/><NonClientParts><NonClientPart Name=\"yellow\" "
           "OffsetLeft=\"0\" OffsetTop=\"0\" OffsetBottom=\"0\" Width=\"10\"/>"
           "</NonClientParts></Look>";
    out << "<Look Name=\"label\"><ClientPart Name=\"grey\" OffsetLeft=\"0\" OffsetTop=\"0\" "
           "OffsetRight=\"0\" OffsetBottom=\"0\"/><TextProperties TextLeftRel=\"0\" "
           "TextLeftAbs=\"2\" TextRightRel=\"1\" TextRightAbs=\"-2\" TextHAlign=\"0\" "
           "TextTopRel=\"0\" TextTopAbs=\"1\" TextBottomRel=\"1\" TextBottomAbs=\"-1\" "
           "TextVAlign=\"0\" TextForegroundPart=\"red\"/></Look>";
    out << looks << "</Looks><LookLists>";
    for (const auto& c : colours)
    {
        out << "<LookList Name=\"" << c[0] << "\" NumLooks=\"1\"><Look Name=\"" << c[0]
            << "\" Index=\"0\"/></LookList>";
    }
    for (const char* name : {"framed", "label"})
    {
        out << "<LookList Name=\"" << name << "\" NumLooks=\"1\"><Look Name=\"" << name
            << "\" Index=\"0\"/></LookList>";
    }
    out << lookLists;
    out << "</LookLists><Skins><Skin Name=\"Default\">" << skins << "</Skin>";
    if (!secondSkin.empty())
    {
        out << "<Skin Name=\"Second\">" << secondSkin << "</Skin>";
    }
    out << "</Skins></Skin_Definitions>";
    return out.str();
}

// A sub-control of class Test.Recording placed at x, y with size w by h in its parent's client
// area, drawn with the look list look; attributes are added as written; children inside.
inline std::string Sub(const char* name, int x, int y, int w, int h, const char* look,
                       const std::string& attributes = "", const std::string& children = "")
{
    std::ostringstream out;
    out << "<SubControl Class=\"Test.Recording\" Name=\"" << name << "\" XPositionAbs=\"" << x
        << "\" YPositionAbs=\"" << y << "\" XSizeAbs=\"" << w << "\" YSizeAbs=\"" << h << "\" "
        << attributes << ">";
    if (look != nullptr)
    {
        out << "<Skin Name=\"" << name << "Skin\" LookList=\"" << look << "\"/>";
    }
    out << children << "</SubControl>";
    return out.str();
}

// Records "control:NAME" for each notification of the watched names that a watched control sends,
// NAME being the notification's name without "NID_" and "_CONDITION_CHANGE"
// ("button:MOUSE_DOWN", "button:HOVER", "button:CONDITION_CHANGE").
class NotificationJournal : public Orv::LNotificationClient
{
public:
    Orv::ORVRESULT ReceiveNotification(const Orv::RCPtr<Orv::LNotificationDistributor>& source,
                                       const Orv::RCPtr<Orv::LNotification>& notification) override
    {
        const auto* control = dynamic_cast<Orv::LControl*>(source.Get());
        std::string entry = control != nullptr ? RecordingControl::Narrow(control->GetName()) : "?";
        std::string name = RecordingControl::Narrow(Orv::WString(notification->id)).substr(4);
        const std::string suffix = "_CONDITION_CHANGE";
        if (name.size() > suffix.size() &&
            name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
        {
            name.resize(name.size() - suffix.size());
        }
        entries.push_back(entry + ":" + name);
        return S_OK;
    }

    void Watch(const Orv::RCPtr<Orv::LControl>& control,
               std::initializer_list<const wchar_t*> names)
    {
        for (const wchar_t* name : names)
        {
            RegisterNotification(Orv::RCPtr<Orv::LNotificationDistributor>(control.Get()), name);
        }
    }
    // Every condition and mouse notification of a control.
    void WatchAll(const Orv::RCPtr<Orv::LControl>& control)
    {
        Watch(control, {L"NID_CONDITION_CHANGE", L"NID_HAS_FOCUS_CONDITION_CHANGE",
                        L"NID_CONTAINS_FOCUS_CONDITION_CHANGE", L"NID_HOVER_CONDITION_CHANGE",
                        L"NID_CAPTURE_CONDITION_CHANGE", L"NID_LEFT_DRAG_CONDITION_CHANGE",
                        L"NID_MIDDLE_DRAG_CONDITION_CHANGE", L"NID_RIGHT_DRAG_CONDITION_CHANGE",
                        L"NID_ENABLED_CONDITION_CHANGE", L"NID_VISIBLITY_CONDITION_CHANGE",
                        L"NID_MOUSE_DOWN", L"NID_MOUSE_UP", L"NID_MOUSE_MOVE", L"NID_LEFT_CLICK",
                        L"NID_MIDDLE_CLICK", L"NID_RIGHT_CLICK"});
    }

    // The entries since the last call.
    std::vector<std::string> Take()
    {
        std::vector<std::string> taken;
        taken.swap(entries);
        return taken;
    }

    std::vector<std::string> entries;
};

// A control tree from a skin document in a 640 x 480 recording window.
class ControlTreeTest : public ControlTest
{
protected:
    void SetUp() override
    {
        ControlTest::SetUp();
        window = new RecordingRootWindow();
        window->clientSize = Orv::SizeT<LONG>(640, 480);
        factory->SetSkinFont(Orv::LFont::GetFont(Orv::WString(L"DejaVu Sans"), 10.0f, 0));
    }
    void TearDown() override
    {
        window->Close();
        root = nullptr;
        ControlTest::TearDown();
    }

    // Loads the skin document and shows its top-level control name, laid out in the window.
    void Show(const std::string& document, const wchar_t* name)
    {
        ASSERT_EQ(factory->LoadSkinDocument(AsDocument(document)), S_OK)
            << RecordingControl::Narrow(factory->GetLastErrorText());
        ASSERT_EQ(factory->CreateTopLevelControl(root, Orv::WString(name),
                                                 Orv::RCPtr<Orv::IRootWindow>(window.Get())),
                  S_OK);
        window->root = root;
        root->RecalcLayout();
    }

    // The control at a path of names below the top-level control ("left/inner"); the top-level
    // control for "".
    Orv::RCPtr<Orv::LControl> At(const std::string& path) const
    {
        Orv::RCPtr<Orv::LControl> control = root;
        std::istringstream parts(path);
        std::string name;
        while (control && std::getline(parts, name, '/'))
        {
            control = control->FindChildControl(Orv::WString(name.c_str()));
        }
        return control;
    }

    Orv::RCPtr<RecordingRootWindow> window;
    Orv::RCPtr<Orv::LControl> root;
};
} // namespace OrvTest
