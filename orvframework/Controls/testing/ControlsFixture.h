// The fixture of the controls' tests: an application whose factory holds the stock control
// classes (and the framework's test classes) and a skin of Controls/tests/data; GDI+ is started
// and the windows are destroyed at the end.
#pragma once

#include "TestApplication.h"

#include <string>

namespace OrvTest
{
class ControlsFixture : public ApplicationFixture
{
protected:
    // skinFile: a file name in Controls/tests/data.
    explicit ControlsFixture(const char* skinFile);
};

// The path of a file in Controls/tests/data, and of a test artefact (a screenshot) in the build
// tree's Controls/artefacts.
std::string ControlsTestData(const char* file);
std::string ControlsArtefact(const char* file);
} // namespace OrvTest
