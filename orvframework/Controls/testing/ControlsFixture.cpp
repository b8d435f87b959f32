#include "ControlsFixture.h"

#include "Controls/FrameworkControlTypes.h"

namespace OrvTest
{
std::string ControlsTestData(const char* file)
{
    return std::string(ORV_CONTROLS_TEST_DATA) + "/" + file;
}

std::string ControlsArtefact(const char* file)
{
    return std::string(ORV_CONTROLS_TEST_ARTEFACTS) + "/" + file;
}

ControlsFixture::ControlsFixture(const char* skinFile)
    : ApplicationFixture(ControlsTestData(skinFile).c_str())
{
    mApplication->controlTypes = Orv::GetFrameworkControlTypes();
    Orv::RegisterControlTypes(*mFactory, Orv::GetFrameworkControlTypes());
}
} // namespace OrvTest
