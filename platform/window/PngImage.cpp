// PNG decoding through cairo, which hands out premultiplied pixels: they are divided back.
#include "PngImage.h"

#include <cairo.h>

#include <algorithm>
#include <cstring>
#include <utility>

namespace OrvPlatform::Window::Detail
{
namespace
{
struct Reader
{
    const unsigned char* data;
    std::size_t size;
    std::size_t offset;
};

cairo_status_t Read(void* closure, unsigned char* out, unsigned int length)
{
    auto* reader = static_cast<Reader*>(closure);
    if (reader->size - reader->offset < length)
    {
        return CAIRO_STATUS_READ_ERROR;
    }
    std::memcpy(out, reader->data + reader->offset, length);
    reader->offset += length;
    return CAIRO_STATUS_SUCCESS;
}

std::uint32_t Unpremultiply(std::uint32_t pixel)
{
    const std::uint32_t alpha = pixel >> 24;
    if (alpha == 0 || alpha == 255)
    {
        return alpha == 0 ? 0 : pixel;
    }
    auto channel = [&](int shift)
    {
        const std::uint32_t value = (pixel >> shift) & 0xFF;
        return std::min<std::uint32_t>(255, (value * 255 + alpha / 2) / alpha) << shift;
    };
    return (alpha << 24) | channel(16) | channel(8) | channel(0);
}
} // namespace

bool DecodePng(const unsigned char* data, std::size_t size, PngImage& image)
{
    if (data == nullptr || size == 0)
    {
        return false;
    }
    Reader reader{data, size, 0};
    cairo_surface_t* surface = cairo_image_surface_create_from_png_stream(&Read, &reader);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS)
    {
        cairo_surface_destroy(surface);
        return false;
    }
    cairo_surface_flush(surface);
    const int width = cairo_image_surface_get_width(surface);
    const int height = cairo_image_surface_get_height(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    const cairo_format_t format = cairo_image_surface_get_format(surface);
    const unsigned char* bytes = cairo_image_surface_get_data(surface);
    if (width <= 0 || height <= 0 || bytes == nullptr ||
        (format != CAIRO_FORMAT_ARGB32 && format != CAIRO_FORMAT_RGB24))
    {
        cairo_surface_destroy(surface);
        return false;
    }
    PngImage decoded;
    decoded.width = width;
    decoded.height = height;
    decoded.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y)
    {
        const auto* row = reinterpret_cast<const std::uint32_t*>(bytes + y * stride);
        for (int x = 0; x < width; ++x)
        {
            const std::uint32_t pixel =
                format == CAIRO_FORMAT_RGB24 ? (row[x] | 0xFF000000u) : Unpremultiply(row[x]);
            decoded.pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                           static_cast<std::size_t>(x)] = pixel;
        }
    }
    cairo_surface_destroy(surface);
    image = std::move(decoded);
    return true;
}
} // namespace OrvPlatform::Window::Detail
