// Where the updater's skin puts the controls of its main window, read from the skin document
// itself, so that the tests that look at the window through the X server and click on it follow
// the skin as it changes.
#pragma once

#include <map>
#include <string>

namespace OrvTest
{
// A control's place in the main window: [left, right) x [top, bottom).
struct Place
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int CentreX() const { return (left + right) / 2; }
    int CentreY() const { return (top + bottom) / 2; }
};

class SkinPlaces
{
public:
    // Reads the skin document (the first skin's control tree); false with the reason in error
    // when it cannot be read or parsed.
    bool Read(const std::string& path, std::string& error);
    // The place of the named control, in window coordinates; an empty place when the skin has
    // no such control.
    Place Of(const std::string& name) const;

private:
    std::map<std::string, Place> mPlaces;
};
} // namespace OrvTest
