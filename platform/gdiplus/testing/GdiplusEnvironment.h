// For test programs that draw through GDI+: starts the interface once for every test of the
// program. Register it with ::testing::AddGlobalTestEnvironment(new GdiplusEnvironment).
#pragma once

#include "platform/GdiPlus.h"

#include <gtest/gtest.h>

class GdiplusEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        Gdiplus::GdiplusStartupInput input;
        ASSERT_EQ(GdiplusStartup(&mToken, &input, nullptr), Gdiplus::Ok);
    }
    void TearDown() override { GdiplusShutdown(mToken); }

private:
    ULONG_PTR mToken = 0;
};
