// The fixture of the menus' tests: the main window of PopupMenuSkin.xml (400 x 300) with the
// string table of PopupMenuStrings.xml, its menu bar found in SetUp, screenshots of the whole
// window, and the rows of a popup as text.
#pragma once

#include "ControlWindowFixture.h"

#include "Controls/MainMenu.h"
#include "Controls/PopupMenu.h"

#include <cstdint>
#include <string>
#include <vector>

namespace OrvTest
{
class MenuWindowFixture : public ControlWindowFixture
{
public:
    static constexpr int kWidth = 400;
    static constexpr int kHeight = 300;

    MenuWindowFixture();

    void SetUp() override;

    // The whole window, saved as the artefact file.
    std::vector<std::uint32_t> Screenshot(const char* file);
    static std::uint32_t At(const std::vector<std::uint32_t>& pixels, int x, int y);

    // The rows of a popup as "label|key" (separators "-", sub-menus with ">").
    static std::string Rows(const Orv::LPopupMenu& popup);

    Orv::RCPtr<Orv::LMainMenu> mBar;
};
} // namespace OrvTest
