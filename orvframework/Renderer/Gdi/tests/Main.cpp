#include "GdiRendererTestSupport.h"

// Registered before main runs; gtest_main then runs the tests inside it.
static ::testing::Environment* const gEnvironment =
    ::testing::AddGlobalTestEnvironment(new GdiplusEnvironment);
