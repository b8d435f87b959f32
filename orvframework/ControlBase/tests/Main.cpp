// GDI+ runs for every test of the program: looks load and colorize their images through it.
#include "GdiplusEnvironment.h"

// Registered before main runs; gtest_main then runs the tests inside it.
static ::testing::Environment* const gEnvironment =
    ::testing::AddGlobalTestEnvironment(new GdiplusEnvironment);
