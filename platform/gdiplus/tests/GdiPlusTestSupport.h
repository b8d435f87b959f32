// What the GDI+ tests share: start-up for the whole program and small pixel helpers.
#pragma once

#include "platform/GdiPlus.h"

#include "GdiplusEnvironment.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// A bitmap with its graphics, deleted at the end of the test.
struct Canvas
{
    explicit Canvas(int width, int height,
                    Gdiplus::PixelFormat format = Gdiplus::PixelFormat32bppPARGB)
    {
        EXPECT_EQ(GdipCreateBitmapFromScan0(width, height, 0, format, nullptr, &bitmap),
                  Gdiplus::Ok);
        EXPECT_EQ(GdipGetImageGraphicsContext(bitmap, &graphics), Gdiplus::Ok);
    }
    ~Canvas()
    {
        GdipDeleteGraphics(graphics);
        GdipDisposeImage(bitmap);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    ARGB At(int x, int y) const
    {
        ARGB color = 0;
        EXPECT_EQ(GdipBitmapGetPixel(bitmap, x, y, &color), Gdiplus::Ok) << x << "," << y;
        return color;
    }
    // The picture as text, one character per pixel: '.' for the background value, '#' for
    // the given colour, '?' for anything else; rows separated by '\n'.
    std::string Picture(ARGB ink, ARGB background = 0) const
    {
        UINT width = 0, height = 0;
        GdipGetImageWidth(bitmap, &width);
        GdipGetImageHeight(bitmap, &height);
        std::string text;
        for (UINT y = 0; y < height; ++y)
        {
            for (UINT x = 0; x < width; ++x)
            {
                ARGB c = At(static_cast<int>(x), static_cast<int>(y));
                text += c == ink ? '#' : c == background ? '.' : '?';
            }
            text += '\n';
        }
        return text;
    }

    GpBitmap* bitmap = nullptr;
    GpGraphics* graphics = nullptr;
};

// Joins rows into the form Canvas::Picture gives.
inline std::string Rows(std::initializer_list<const char*> rows)
{
    std::string text;
    for (const char* row : rows)
    {
        text += row;
        text += '\n';
    }
    return text;
}
