// Bitmaps: creation, pixels in the three formats, locking, copies, PNG decoding, GDI bitmaps.
#include "GdiPlusTestSupport.h"

#include <png.h>

#include <cstdio>
#include <cstring>
#include <unistd.h>

using namespace Gdiplus;

namespace
{
// PNG bytes of a width x height image, straight BGRA pixels, with or without alpha.
std::string EncodePng(int width, int height, const std::vector<std::uint32_t>& pixels, bool alpha)
{
    png_image image;
    std::memset(&image, 0, sizeof(image));
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = alpha ? PNG_FORMAT_BGRA : PNG_FORMAT_BGR;
    std::vector<unsigned char> rows;
    for (std::uint32_t p : pixels)
    {
        rows.push_back(static_cast<unsigned char>(p));
        rows.push_back(static_cast<unsigned char>(p >> 8));
        rows.push_back(static_cast<unsigned char>(p >> 16));
        if (alpha)
        {
            rows.push_back(static_cast<unsigned char>(p >> 24));
        }
    }
    png_alloc_size_t size = 0;
    EXPECT_TRUE(png_image_write_to_memory(&image, nullptr, &size, 0, rows.data(), 0, nullptr));
    std::string bytes(size, '\0');
    EXPECT_TRUE(png_image_write_to_memory(&image, bytes.data(), &size, 0, rows.data(), 0, nullptr));
    bytes.resize(size);
    return bytes;
}

// The way images are loaded from resources: bytes into global memory, a stream over it.
GpStatus DecodeThroughStream(const std::string& bytes, GpBitmap** bitmap)
{
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    std::memcpy(GlobalLock(memory), bytes.data(), bytes.size());
    GlobalUnlock(memory);
    IStream* stream = nullptr;
    EXPECT_EQ(CreateStreamOnHGlobal(memory, FALSE, &stream), S_OK);
    GpStatus status = GdipCreateBitmapFromStream(stream, bitmap);
    stream->Release();
    GlobalFree(memory);
    return status;
}

const std::vector<std::uint32_t> kFourPixels = {0xFFFF0000u, 0x8000FF00u, 0x010000FFu, 0x00000000u};
} // namespace

TEST(Bitmaps, StraightArgbKeepsEveryValueWhilePremultipliedFormatsConvert)
{
    // Values whose premultiplied form loses precision (low alpha) are the test.
    const ARGB values[] = {0xFFFFFFFFu, 0x80FF8040u, 0x01800000u, 0x02FF7F01u, 0x00123456u};
    for (PixelFormat format : {PixelFormat32bppARGB, PixelFormat32bppPARGB, PixelFormat32bppRGB})
    {
        GpBitmap* bitmap = nullptr;
        ASSERT_EQ(GdipCreateBitmapFromScan0(5, 1, 0, format, nullptr, &bitmap), Ok);
        for (int x = 0; x < 5; ++x)
        {
            EXPECT_EQ(GdipBitmapSetPixel(bitmap, x, 0, values[x]), Ok);
        }
        for (int x = 0; x < 5; ++x)
        {
            ARGB read = 0;
            EXPECT_EQ(GdipBitmapGetPixel(bitmap, x, 0, &read), Ok);
            ARGB expected = values[x];
            if (format == PixelFormat32bppRGB)
            {
                expected |= 0xFF000000u; // no alpha kept
            }
            else if (format == PixelFormat32bppPARGB)
            {
                // Kept premultiplied: the colour comes back as well as alpha allows.
                ARGB a = expected >> 24;
                auto premul = [a](ARGB c) { return (c * a + 127) / 255; };
                auto back = [a](ARGB p)
                { return a == 0 ? 0 : std::min<ARGB>(255, (p * 255 + a / 2) / a); };
                expected = a == 0 ? 0
                                  : a << 24 | back(premul(expected >> 16 & 0xFF)) << 16 |
                                        back(premul(expected >> 8 & 0xFF)) << 8 |
                                        back(premul(expected & 0xFF));
            }
            EXPECT_EQ(read, expected) << "format " << std::hex << format << " value " << values[x];
        }
        GdipDisposeImage(bitmap);
    }
}

TEST(Bitmaps, CallerMemoryIsThePixels)
{
    // Premultiplied memory is drawn on in place; straight memory is read before and written
    // after each drawing, and keeps the exact values of pixels nobody drew on.
    for (PixelFormat format : {PixelFormat32bppPARGB, PixelFormat32bppARGB})
    {
        std::vector<std::uint32_t> memory(3 * 2, 0x01800000u);
        memory[0] = 0;
        GpBitmap* bitmap = nullptr;
        ASSERT_EQ(GdipCreateBitmapFromScan0(3, 2, 12, format,
                                            reinterpret_cast<BYTE*>(memory.data()), &bitmap),
                  Ok);
        memory[1] = 0xFF00FF00u; // the caller changes its memory: the bitmap sees it
        ARGB read = 0;
        EXPECT_EQ(GdipBitmapGetPixel(bitmap, 1, 0, &read), Ok);
        EXPECT_EQ(read, 0xFF00FF00u);
        GpGraphics* g = nullptr;
        ASSERT_EQ(GdipGetImageGraphicsContext(bitmap, &g), Ok);
        GpSolidFill* red = nullptr;
        GdipCreateSolidFill(0xFFFF0000u, &red);
        EXPECT_EQ(GdipFillRectangleI(g, red, 0, 1, 1, 1), Ok);
        EXPECT_EQ(memory[3], 0xFFFF0000u);
        EXPECT_EQ(memory[1], 0xFF00FF00u);
        if (format == PixelFormat32bppARGB)
        {
            EXPECT_EQ(memory[2], 0x01800000u) << "an untouched low-alpha pixel is kept exactly";
        }
        GdipDeleteBrush(red);
        GdipDeleteGraphics(g);
        GdipDisposeImage(bitmap);
    }
}

TEST(Bitmaps, LockBitsReadsAndWritesARectangleInTheAskedFormat)
{
    GpBitmap* bitmap = nullptr;
    ASSERT_EQ(GdipCreateBitmapFromScan0(4, 3, 0, PixelFormat32bppARGB, nullptr, &bitmap), Ok);
    GdipBitmapSetPixel(bitmap, 2, 1, 0x80FF0000u);
    GpRect rect{1, 1, 2, 2};
    BitmapData data{};
    ASSERT_EQ(GdipBitmapLockBits(bitmap, &rect, ImageLockModeRead | ImageLockModeWrite,
                                 PixelFormat32bppPARGB, &data),
              Ok);
    EXPECT_EQ(data.Width, 2u);
    EXPECT_EQ(data.Height, 2u);
    EXPECT_EQ(data.PixelFormat, PixelFormat32bppPARGB);
    auto* rows = static_cast<std::uint32_t*>(data.Scan0);
    EXPECT_EQ(rows[1], 0x80800000u) << "premultiplied as asked";
    // While locked: a second lock and any other pixel use are refused.
    BitmapData other{};
    EXPECT_EQ(GdipBitmapLockBits(bitmap, nullptr, ImageLockModeRead, PixelFormat32bppARGB, &other),
              WrongState);
    ARGB color = 0;
    EXPECT_EQ(GdipBitmapGetPixel(bitmap, 0, 0, &color), WrongState);
    EXPECT_EQ(GdipBitmapSetPixel(bitmap, 0, 0, 0), WrongState);
    // Write a premultiplied half-transparent blue at the rectangle's (0, 1), i.e. pixel (1, 2).
    std::uint32_t* second =
        reinterpret_cast<std::uint32_t*>(static_cast<BYTE*>(data.Scan0) + data.Stride);
    second[0] = 0x80000080u;
    EXPECT_EQ(GdipBitmapUnlockBits(bitmap, &other), InvalidParameter) << "not the locked record";
    EXPECT_EQ(GdipBitmapUnlockBits(bitmap, &data), Ok);
    EXPECT_EQ(GdipBitmapUnlockBits(bitmap, &data), WrongState);
    EXPECT_EQ(GdipBitmapGetPixel(bitmap, 1, 2, &color), Ok);
    EXPECT_EQ(color, 0x800000FFu);
    EXPECT_EQ(GdipBitmapGetPixel(bitmap, 2, 1, &color), Ok);
    EXPECT_EQ(color, 0x80FF0000u) << "pixels read back unchanged stay exact";

    // A read-only lock writes nothing back; a caller's buffer is filled in place.
    ASSERT_EQ(GdipBitmapLockBits(bitmap, nullptr, ImageLockModeRead, PixelFormat32bppARGB, &data),
              Ok);
    static_cast<std::uint32_t*>(data.Scan0)[0] = 0xFFFFFFFFu;
    EXPECT_EQ(GdipBitmapUnlockBits(bitmap, &data), Ok);
    EXPECT_EQ(GdipBitmapGetPixel(bitmap, 0, 0, &color), Ok);
    EXPECT_EQ(color, 0u);
    std::uint32_t mine[2 * 2] = {};
    data.Scan0 = mine;
    data.Stride = 8;
    ASSERT_EQ(GdipBitmapLockBits(bitmap, &rect, ImageLockModeRead | ImageLockModeUserInputBuf,
                                 PixelFormat32bppARGB, &data),
              Ok);
    EXPECT_EQ(data.Scan0, mine);
    EXPECT_EQ(mine[1], 0x80FF0000u);
    EXPECT_EQ(GdipBitmapUnlockBits(bitmap, &data), Ok);

    const GpRect outside[] = {{3, 0, 2, 1}, {-1, 0, 1, 1}, {0, 0, 0, 1}};
    for (const GpRect& r : outside)
    {
        EXPECT_EQ(GdipBitmapLockBits(bitmap, &r, ImageLockModeRead, PixelFormat32bppARGB, &data),
                  InvalidParameter);
    }
    EXPECT_EQ(GdipBitmapLockBits(bitmap, nullptr, 0, PixelFormat32bppARGB, &data),
              InvalidParameter);
    EXPECT_EQ(GdipBitmapLockBits(bitmap, nullptr, ImageLockModeRead, 0x21808, &data),
              InvalidParameter);
    GdipDisposeImage(bitmap);
}

TEST(Bitmaps, CloneAreaCopiesARectangleIntoANewBitmap)
{
    GpBitmap* bitmap = nullptr;
    ASSERT_EQ(GdipCreateBitmapFromScan0(4, 4, 0, PixelFormat32bppARGB, nullptr, &bitmap), Ok);
    GdipBitmapSetPixel(bitmap, 2, 3, 0x01800000u);
    GdipBitmapSetPixel(bitmap, 3, 3, 0xFF123456u);
    GpBitmap* clone = nullptr;
    ASSERT_EQ(GdipCloneBitmapAreaI(2, 3, 2, 1, PixelFormat32bppARGB, bitmap, &clone), Ok);
    UINT width = 0, height = 0;
    GdipGetImageWidth(clone, &width);
    GdipGetImageHeight(clone, &height);
    EXPECT_EQ(width, 2u);
    EXPECT_EQ(height, 1u);
    ARGB color = 0;
    GdipBitmapGetPixel(clone, 0, 0, &color);
    EXPECT_EQ(color, 0x01800000u);
    GdipBitmapGetPixel(clone, 1, 0, &color);
    EXPECT_EQ(color, 0xFF123456u);
    // The copy is independent of its source.
    GdipBitmapSetPixel(bitmap, 3, 3, 0);
    GdipBitmapGetPixel(clone, 1, 0, &color);
    EXPECT_EQ(color, 0xFF123456u);
    GdipDisposeImage(clone);
    ASSERT_EQ(GdipCloneBitmapArea(1.0f, 1.0f, 2.0f, 2.0f, PixelFormat32bppRGB, bitmap, &clone), Ok);
    GpRectF bounds{};
    GpUnit unit = UnitWorld;
    EXPECT_EQ(GdipGetImageBounds(clone, &bounds, &unit), Ok);
    EXPECT_EQ(bounds.Width, 2.0f);
    EXPECT_EQ(unit, UnitPixel);
    GdipDisposeImage(clone);
    EXPECT_EQ(GdipCloneBitmapAreaI(3, 3, 2, 1, PixelFormat32bppARGB, bitmap, &clone),
              InvalidParameter);
    EXPECT_EQ(GdipCloneBitmapAreaI(0, 0, 1, 1, PixelFormat32bppARGB, nullptr, &clone),
              InvalidParameter);
    GdipDisposeImage(bitmap);
}

TEST(Bitmaps, PngDecodesFromAStreamAndAFile)
{
    struct Case
    {
        bool alpha;
        PixelFormat format;
    };
    for (Case c : {Case{true, PixelFormat32bppARGB}, Case{false, PixelFormat32bppRGB}})
    {
        std::string png = EncodePng(2, 2, kFourPixels, c.alpha);
        GpBitmap* fromStream = nullptr;
        ASSERT_EQ(DecodeThroughStream(png, &fromStream), Ok);
        char path[] = "/tmp/gdiplus-test-XXXXXX";
        int fd = mkstemp(path);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(write(fd, png.data(), png.size()), static_cast<ssize_t>(png.size()));
        close(fd);
        std::wstring widePath(path, path + std::strlen(path));
        GpBitmap* fromFile = nullptr;
        ASSERT_EQ(GdipCreateBitmapFromFile(widePath.c_str(), &fromFile), Ok);
        std::remove(path);
        for (GpBitmap* bitmap : {fromStream, fromFile})
        {
            PixelFormat format = 0;
            EXPECT_EQ(GdipGetImagePixelFormat(bitmap, &format), Ok);
            EXPECT_EQ(format, c.format);
            for (int i = 0; i < 4; ++i)
            {
                ARGB color = 0;
                EXPECT_EQ(GdipBitmapGetPixel(bitmap, i % 2, i / 2, &color), Ok);
                EXPECT_EQ(color, c.alpha ? kFourPixels[i] : (kFourPixels[i] | 0xFF000000u)) << i;
            }
            GdipDisposeImage(bitmap);
        }
    }
}

TEST(Bitmaps, UndecodableDataAndMissingFilesAreReported)
{
    GpBitmap* bitmap = nullptr;
    EXPECT_EQ(DecodeThroughStream("not an image at all", &bitmap), UnknownImageFormat);
    std::string png = EncodePng(2, 2, kFourPixels, true);
    EXPECT_EQ(DecodeThroughStream(png.substr(0, png.size() / 2), &bitmap), InvalidParameter);
    std::string damaged = png;
    damaged[20] ^= 0x55; // the header's checksum no longer matches
    EXPECT_EQ(DecodeThroughStream(damaged, &bitmap), InvalidParameter);
    EXPECT_EQ(GdipCreateBitmapFromFile(L"/no/such/image.png", &bitmap), Win32Error);
    EXPECT_EQ(GdipCreateBitmapFromFile(nullptr, &bitmap), InvalidParameter);
    EXPECT_EQ(GdipCreateBitmapFromStream(nullptr, &bitmap), InvalidParameter);
    EXPECT_EQ(bitmap, nullptr);
}

TEST(Bitmaps, CreationArgumentsAreChecked)
{
    GpBitmap* bitmap = nullptr;
    BYTE memory[64] = {};
    alignas(4) BYTE aligned[64] = {};
    EXPECT_EQ(GdipCreateBitmapFromScan0(0, 1, 0, PixelFormat32bppARGB, nullptr, &bitmap),
              InvalidParameter);
    EXPECT_EQ(GdipCreateBitmapFromScan0(1, -1, 0, PixelFormat32bppARGB, nullptr, &bitmap),
              InvalidParameter);
    EXPECT_EQ(GdipCreateBitmapFromScan0(1, 1, 0, 0x21808, nullptr, &bitmap), InvalidParameter);
    EXPECT_EQ(GdipCreateBitmapFromScan0(4, 1, 8, PixelFormat32bppARGB, aligned, &bitmap),
              InvalidParameter); // stride below width x 4
    EXPECT_EQ(GdipCreateBitmapFromScan0(2, 1, 10, PixelFormat32bppARGB, aligned, &bitmap),
              InvalidParameter);
    EXPECT_EQ(GdipCreateBitmapFromScan0(2, 1, -8, PixelFormat32bppARGB, memory, &bitmap),
              NotImplemented);
    EXPECT_EQ(GdipCreateBitmapFromScan0(40000, 1, 0, PixelFormat32bppARGB, nullptr, &bitmap),
              OutOfMemory);
    EXPECT_EQ(GdipCreateBitmapFromScan0(1, 1, 0, PixelFormat32bppARGB, nullptr, nullptr),
              InvalidParameter);
    EXPECT_EQ(bitmap, nullptr);
    ASSERT_EQ(GdipCreateBitmapFromScan0(2, 2, 0, PixelFormat32bppARGB, nullptr, &bitmap), Ok);
    ARGB color = 1;
    EXPECT_EQ(GdipBitmapGetPixel(bitmap, 0, 0, &color), Ok);
    EXPECT_EQ(color, 0u) << "new pixels are transparent";
    EXPECT_EQ(GdipBitmapGetPixel(bitmap, 2, 0, &color), InvalidParameter);
    EXPECT_EQ(GdipBitmapSetPixel(bitmap, 0, -1, 0), InvalidParameter);
    EXPECT_EQ(GdipGetImageWidth(bitmap, nullptr), InvalidParameter);
    EXPECT_EQ(GdipDisposeImage(nullptr), InvalidParameter);
    // A graphics keeps the pixels it draws on after the image handle is disposed.
    GpGraphics* g = nullptr;
    ASSERT_EQ(GdipGetImageGraphicsContext(bitmap, &g), Ok);
    EXPECT_EQ(GdipDisposeImage(bitmap), Ok);
    EXPECT_EQ(GdipGraphicsClear(g, 0xFF000000u), Ok);
    EXPECT_EQ(GdipDeleteGraphics(g), Ok);
}

TEST(Bitmaps, GdiBitmapIsTheImageOverTheBackgroundPremultiplied)
{
    GpBitmap* bitmap = nullptr;
    ASSERT_EQ(GdipCreateBitmapFromScan0(2, 1, 0, PixelFormat32bppARGB, nullptr, &bitmap), Ok);
    GdipBitmapSetPixel(bitmap, 0, 0, 0xFFFF0000u);
    GdipBitmapSetPixel(bitmap, 1, 0, 0x80FFFFFFu);
    struct Case
    {
        ARGB background;
        std::uint32_t second;
    };
    // Over opaque black the half-white pixel becomes opaque mid grey; over nothing it stays
    // half transparent, premultiplied.
    for (Case c : {Case{0xFF000000u, 0xFF808080u}, Case{0u, 0x80808080u}})
    {
        HBITMAP gdi = nullptr;
        ASSERT_EQ(GdipCreateHBITMAPFromBitmap(bitmap, &gdi, c.background), Ok);
        BITMAP info{};
        EXPECT_EQ(GetObjectW(gdi, sizeof(info), &info), static_cast<int>(sizeof(BITMAP)));
        EXPECT_EQ(info.bmWidth, 2);
        EXPECT_EQ(info.bmHeight, 1);
        EXPECT_EQ(info.bmBitsPixel, 32);
        auto* bits = static_cast<std::uint32_t*>(info.bmBits);
        EXPECT_EQ(bits[0], 0xFFFF0000u);
        EXPECT_EQ(bits[1], c.second);
        EXPECT_TRUE(DeleteObject(gdi));
        EXPECT_FALSE(DeleteObject(gdi));
        EXPECT_EQ(GetObjectW(gdi, sizeof(info), &info), 0);
    }
    GdipDisposeImage(bitmap);
}

TEST(Gdi, ScreenAndWindowContextsReport96DpiAndTheirWindow)
{
    for (HWND window : {static_cast<HWND>(nullptr), reinterpret_cast<HWND>(0x42)})
    {
        HDC dc = GetDC(window);
        ASSERT_NE(dc, nullptr);
        EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSX), 96);
        EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSY), 96);
        EXPECT_EQ(GetDeviceCaps(dc, 12), 0);
        EXPECT_EQ(WindowFromDC(dc), window);
        EXPECT_EQ(ReleaseDC(reinterpret_cast<HWND>(0x43), dc), 0) << "another window's context";
        EXPECT_EQ(ReleaseDC(window, dc), 1);
        EXPECT_EQ(ReleaseDC(window, dc), 0);
        EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSX), 0);
        EXPECT_EQ(WindowFromDC(dc), nullptr);
    }
}

TEST(Startup, VersionsTokensAndOutput)
{
    ULONG_PTR token = 0;
    GdiplusStartupInput input;
    GdiplusStartupOutput output{};
    EXPECT_EQ(GdiplusStartup(nullptr, &input, nullptr), InvalidParameter);
    EXPECT_EQ(GdiplusStartup(&token, nullptr, nullptr), InvalidParameter);
    input.GdiplusVersion = 3;
    EXPECT_EQ(GdiplusStartup(&token, &input, nullptr), UnsupportedGdiplusVersion);
    input.GdiplusVersion = 1;
    input.SuppressBackgroundThread = TRUE;
    EXPECT_EQ(GdiplusStartup(&token, &input, nullptr), InvalidParameter);
    ASSERT_EQ(GdiplusStartup(&token, &input, &output), Ok);
    ULONG_PTR hookToken = 1;
    EXPECT_EQ(output.NotificationHook(&hookToken), Ok);
    output.NotificationUnhook(hookToken);
    GdiplusShutdown(token);
    GdiplusShutdown(token); // a second shut-down of a token does not stop the others
    GdiplusShutdown(987654);
    // The program's own start-up still holds.
    GpPath* path = nullptr;
    EXPECT_EQ(GdipCreatePath(FillModeAlternate, &path), Ok);
    GdipDeletePath(path);
    void* memory = GdipAlloc(16);
    EXPECT_NE(memory, nullptr);
    GdipFree(memory);
}
