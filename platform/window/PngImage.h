// PNG images of the program's cursor and icon resources, decoded into straight-alpha pixels.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace OrvPlatform::Window::Detail
{
struct PngImage
{
    int width = 0;
    int height = 0;
    // Rows top down, one 32-bit value per pixel: alpha, red, green, blue from the high byte
    // down, not premultiplied.
    std::vector<std::uint32_t> pixels;
};

// Decodes size bytes of PNG data; false (image untouched) when they are not a PNG image.
bool DecodePng(const unsigned char* data, std::size_t size, PngImage& image);
} // namespace OrvPlatform::Window::Detail
