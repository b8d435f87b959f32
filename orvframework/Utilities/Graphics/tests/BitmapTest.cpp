#include "Utilities/Graphics/Bitmap.h"
#include "Utilities/Storage/OrvFile.h"

#include "GdiplusEnvironment.h"

#include <gtest/gtest.h>

#include <string>

using namespace Orv;

namespace
{
// GDI+ started for the whole program, as the application does at start-up.
::testing::Environment* const gEnvironment =
    ::testing::AddGlobalTestEnvironment(new GdiplusEnvironment);

// The 4 x 3 test image (pattern.png), red, green, blue, alpha per pixel.
constexpr BYTE kPattern[3][4][4] = {
    {{255, 0, 0, 255}, {0, 255, 0, 255}, {0, 0, 255, 255}, {255, 255, 255, 255}},
    {{0, 0, 0, 255}, {128, 64, 32, 255}, {10, 20, 30, 128}, {0, 0, 0, 0}},
    {{200, 100, 50, 255}, {1, 2, 3, 255}, {250, 251, 252, 255}, {90, 80, 70, 255}},
};

ColorRGBA PatternColor(int x, int y)
{
    const BYTE* p = kPattern[y][x];
    return ColorRGBA{p[0] / 255.0f, p[1] / 255.0f, p[2] / 255.0f, p[3] / 255.0f};
}

ARGB PatternArgb(int x, int y)
{
    const BYTE* p = kPattern[y][x];
    return static_cast<ARGB>(p[3]) << 24 | static_cast<ARGB>(p[0]) << 16 |
           static_cast<ARGB>(p[1]) << 8 | p[2];
}

void ExpectColor(const ColorRGBA& actual, const ColorRGBA& expected, const std::string& where)
{
    EXPECT_FLOAT_EQ(actual.red, expected.red) << where;
    EXPECT_FLOAT_EQ(actual.green, expected.green) << where;
    EXPECT_FLOAT_EQ(actual.blue, expected.blue) << where;
    EXPECT_FLOAT_EQ(actual.alpha, expected.alpha) << where;
}

// The image's pixel at x, y of a bitmap's own rectangle, as stored.
ARGB Stored(const LBitmap& bitmap, LONG x, LONG y)
{
    ARGB color = 0;
    EXPECT_EQ(
        GdipBitmapGetPixel(bitmap.GetGdiplusBitmap(), bitmap.GetX() + x, bitmap.GetY() + y, &color),
        Gdiplus::Ok);
    return color;
}

template <class E, class F>
void ExpectThrowWithPrefix(F f, const std::string& prefix)
{
    try
    {
        f();
        ADD_FAILURE() << "nothing thrown, expected " << prefix;
    }
    catch (const Exception<E>& error)
    {
        EXPECT_EQ(std::string(error.what()).substr(0, prefix.size()), prefix) << error.what();
    }
}

RCPtr<LColorizer> Solid(const ColorRGBA& color)
{
    return RCPtr<LColorizer>(new LColorizer(LColorizer::kSolid, color, color));
}

WString DataFile(const char* name)
{
    return WString((std::string(ORV_GRAPHICS_TEST_DATA) + "/" + name).c_str());
}
} // namespace

TEST(Bitmap, ResourceImageIsLoadedAndReadPixelByPixel)
{
    ConstRCPtr<LBitmap> bitmap = LBitmap::GetBitmap(WString(L"::Pattern.png"));
    ASSERT_NE(bitmap, nullptr);
    ASSERT_NE(bitmap->GetGdiplusBitmap(), nullptr);
    EXPECT_EQ(bitmap->GetX(), 0);
    EXPECT_EQ(bitmap->GetY(), 0);
    EXPECT_EQ(bitmap->GetWidth(), 4);
    EXPECT_EQ(bitmap->GetHeight(), 3);
    EXPECT_EQ(bitmap->GetName(), WString(L"::Pattern.png"));
    EXPECT_EQ(bitmap->GetKey(), WString(L"::PATTERN.PNG"));
    EXPECT_EQ(bitmap->GetParent(), nullptr);
    for (int y = 0; y < 3; ++y)
    {
        for (int x = 0; x < 4; ++x)
        {
            ExpectColor(bitmap->GetPixelColor(x, y), PatternColor(x, y),
                        std::to_string(x) + "," + std::to_string(y));
        }
    }
    EXPECT_EQ(bitmap->GetLastStatus(), Gdiplus::Ok);

    // Outside the bitmap: colour 0, and the failure is recorded.
    ExpectColor(bitmap->GetPixelColor(4, 0), ColorRGBA(), "4,0");
    ExpectColor(bitmap->GetPixelColor(0, -1), ColorRGBA(), "0,-1");
    EXPECT_EQ(bitmap->GetLastStatus(), Gdiplus::InvalidParameter);
}

TEST(Bitmap, NameCacheSharesBitmapsByName)
{
    ConstRCPtr<LBitmap> first = LBitmap::GetBitmap(WString(L"::Pattern.png"));
    EXPECT_EQ(LBitmap::GetBitmap(WString(L"::Pattern.png")), first);
    EXPECT_EQ(LBitmap::GetBitmap(WString(L"::PATTERN.png")), first);
    // The cache's reference is an internal one.
    EXPECT_EQ(first->GetRefCount(), 2);
    EXPECT_EQ(first->GetInternalRefCount(), 1);

    // Blanks and dots of the name become '_': "Blue Pattern.png" is BLUE_PATTERN_PNG.
    ConstRCPtr<LBitmap> blue = LBitmap::GetBitmap(WString(L"::Blue Pattern.png"));
    EXPECT_NE(blue, first);
    EXPECT_EQ(blue->GetWidth(), 4);
    ConstRCPtr<LBitmap> dotted = LBitmap::GetBitmap(WString(L"::blue.pattern.png"));
    EXPECT_NE(dotted, blue);
    EXPECT_EQ(dotted->GetWidth(), 4);

    // When the last outside holder lets go, the bitmap leaves the cache and dies.
    const UINT_PTR handle = first->GetHandle();
    first = nullptr;
    ConstRCPtr<LBitmap> again = LBitmap::GetBitmap(WString(L"::Pattern.png"));
    EXPECT_NE(again->GetHandle(), handle);
    EXPECT_EQ(again->GetRefCount(), 2);
}

TEST(Bitmap, MissingOrBrokenImagesGiveCachedEmptyBitmaps)
{
    for (const wchar_t* name :
         {L"::Nothing.png", L"::Not An Image.png", L"Pattern.png", L"/no/such/folder/pattern.png"})
    {
        ConstRCPtr<LBitmap> bitmap = LBitmap::GetBitmap(WString(name));
        ASSERT_NE(bitmap, nullptr);
        EXPECT_EQ(bitmap->GetGdiplusBitmap(), nullptr) << WString(name).ToNarrow().GetBuffer();
        EXPECT_EQ(bitmap->GetWidth(), 0);
        EXPECT_EQ(bitmap->GetHeight(), 0);
        EXPECT_EQ(LBitmap::GetBitmap(WString(name)), bitmap);
        // Nothing to read, cut, copy or colorize, and nothing goes wrong doing so.
        ExpectColor(bitmap->GetPixelColor(0, 0), ColorRGBA(), "empty");
        EXPECT_EQ(bitmap->CreateSubBitmap(0, 0, 2, 2)->GetWidth(), 0);
        RCPtr<LBitmap> copy = bitmap->CopyBitmap();
        EXPECT_EQ(copy->GetGdiplusBitmap(), nullptr);
        LBitmap::ApplyColorizer(copy, Solid(ColorRGBA{1, 0, 0, 1}), 1.0f);
    }
}

TEST(Bitmap, OtherNamesAreFilePaths)
{
    const WString path = DataFile("pattern.png");
    ConstRCPtr<LBitmap> bitmap = LBitmap::GetBitmap(path);
    ASSERT_NE(bitmap->GetGdiplusBitmap(), nullptr);
    EXPECT_EQ(bitmap->GetKey(), GetLongPath(path));
    EXPECT_EQ(bitmap->GetWidth(), 4);
    // Another spelling of the same file is the same bitmap: the key is the file's long form.
    EXPECT_EQ(LBitmap::GetBitmap(DataFile("../data/./pattern.png")), bitmap);
    EXPECT_EQ(Stored(*bitmap, 2, 1), PatternArgb(2, 1));
    EXPECT_EQ(Stored(*bitmap, 3, 1), PatternArgb(3, 1));
    // File names are case-sensitive here: another case names another (missing) file.
    ConstRCPtr<LBitmap> other = LBitmap::GetBitmap(DataFile("PATTERN.png"));
    EXPECT_NE(other, bitmap);
}

TEST(Bitmap, SubBitmapsAddOffsetsPointAtTheOwnerAndAreClipped)
{
    ConstRCPtr<LBitmap> owner = LBitmap::GetBitmap(WString(L"::Pattern.png"));
    RCPtr<LBitmap> part = owner->CreateSubBitmap(1, 1, 2, 2);
    EXPECT_EQ(part->GetX(), 1);
    EXPECT_EQ(part->GetY(), 1);
    EXPECT_EQ(part->GetWidth(), 2);
    EXPECT_EQ(part->GetHeight(), 2);
    EXPECT_EQ(part->GetParent(), owner);
    EXPECT_EQ(part->GetGdiplusBitmap(), owner->GetGdiplusBitmap());
    EXPECT_TRUE(part->GetKey().IsEmpty());
    EXPECT_NE(part->GetHandle(), owner->GetHandle());
    ExpectColor(part->GetPixelColor(0, 0), PatternColor(1, 1), "part 0,0");
    ExpectColor(part->GetPixelColor(1, 1), PatternColor(2, 2), "part 1,1");
    // Outside the part, even where the image goes on: nothing.
    ExpectColor(part->GetPixelColor(2, 0), ColorRGBA(), "part 2,0");

    // A part of a part: offsets add up, the parent is the owner; width 0 means the whole part.
    RCPtr<LBitmap> whole = part->CreateSubBitmap(0, 0, 0, 0);
    EXPECT_EQ(whole->GetX(), 1);
    EXPECT_EQ(whole->GetY(), 1);
    EXPECT_EQ(whole->GetWidth(), 2);
    EXPECT_EQ(whole->GetHeight(), 2);
    EXPECT_EQ(whole->GetParent(), owner);

    struct Row
    {
        LONG x, y, width, height;
        LONG expectedX, expectedY, expectedWidth, expectedHeight;
    };
    // Cut from the part at (1, 1), 2 by 2.
    const Row rows[] = {
        {1, 0, 5, 5, 2, 1, 1, 2},
        {-1, -1, 2, 2, 1, 1, 1, 1},
        {-5, 0, 3, 1, 1, 1, 0, 1},
        {3, 3, 1, 1, 3, 3, 0, 0},
        {0, 1, 2, 7, 1, 2, 2, 1},
        {0, 0, -1, 1, 1, 1, 2, 2},
        {2147483000, 0, 2147483000, 1, 3, 1, 0, 1},
    };
    for (const Row& row : rows)
    {
        RCPtr<LBitmap> cut = part->CreateSubBitmap(row.x, row.y, row.width, row.height);
        EXPECT_EQ(cut->GetX(), row.expectedX) << row.x << "," << row.y;
        EXPECT_EQ(cut->GetY(), row.expectedY) << row.x << "," << row.y;
        EXPECT_EQ(cut->GetWidth(), row.expectedWidth) << row.x << "," << row.y;
        EXPECT_EQ(cut->GetHeight(), row.expectedHeight) << row.x << "," << row.y;
        EXPECT_EQ(cut->GetParent(), owner);
    }
    // The part keeps the owner alive.
    const int references = owner->GetRefCount();
    RCPtr<LBitmap> another = owner->CreateSubBitmap(0, 0, 1, 1);
    EXPECT_EQ(owner->GetRefCount(), references + 1);
}

TEST(Bitmap, CopyBitmapMakesAnOwnerWithTheSameFormatAndPixels)
{
    ConstRCPtr<LBitmap> owner = LBitmap::GetBitmap(WString(L"::Pattern.png"));
    RCPtr<LBitmap> copy = owner->CreateSubBitmap(1, 1, 3, 2)->CopyBitmap();
    ASSERT_NE(copy->GetGdiplusBitmap(), nullptr);
    EXPECT_NE(copy->GetGdiplusBitmap(), owner->GetGdiplusBitmap());
    EXPECT_EQ(copy->GetParent(), nullptr);
    EXPECT_EQ(copy->GetX(), 0);
    EXPECT_EQ(copy->GetWidth(), 3);
    EXPECT_EQ(copy->GetHeight(), 2);
    Gdiplus::PixelFormat ownerFormat = 0;
    Gdiplus::PixelFormat copyFormat = 0;
    GdipGetImagePixelFormat(owner->GetGdiplusBitmap(), &ownerFormat);
    GdipGetImagePixelFormat(copy->GetGdiplusBitmap(), &copyFormat);
    EXPECT_EQ(copyFormat, ownerFormat);
    for (int y = 0; y < 2; ++y)
    {
        for (int x = 0; x < 3; ++x)
        {
            EXPECT_EQ(Stored(*copy, x, y), PatternArgb(x + 1, y + 1)) << x << "," << y;
        }
    }
}

TEST(Bitmap, SolidColorizerAtFullStrengthTurnsEveryPixelIntoItsColourKeepingAlpha)
{
    ConstRCPtr<LBitmap> owner = LBitmap::GetBitmap(WString(L"::Pattern.png"));
    RCPtr<LBitmap> copy = owner->CopyBitmap();
    LBitmap::ApplyColorizer(copy, Solid(ColorRGBA{51 / 255.0f, 102 / 255.0f, 204 / 255.0f, 1}),
                            1.0f);
    for (int y = 0; y < 3; ++y)
    {
        for (int x = 0; x < 4; ++x)
        {
            EXPECT_EQ(Stored(*copy, x, y), (PatternArgb(x, y) & 0xFF000000u) | 0x003366CCu)
                << x << "," << y;
        }
    }
    // The original is untouched.
    EXPECT_EQ(Stored(*owner, 1, 1), PatternArgb(1, 1));
}

TEST(Bitmap, SolidColorizerBlendsByAlphaTimesAmount)
{
    ConstRCPtr<LBitmap> owner = LBitmap::GetBitmap(WString(L"::Pattern.png"));
    RCPtr<LBitmap> copy = owner->CopyBitmap();
    // a = 0.5 x 0.5: each channel c becomes (c / 255 x 0.75 + colour x 0.25) x 255 + 0.5.
    LBitmap::ApplyColorizer(copy, Solid(ColorRGBA{0.2f, 0.3f, 0.8f, 0.5f}), 0.5f);
    EXPECT_EQ(Stored(*copy, 0, 0), 0xFFCC1333u); // 255, 0, 0 -> 204, 19, 51
    EXPECT_EQ(Stored(*copy, 1, 1), 0xFF6D434Bu); // 128, 64, 32 -> 109, 67, 75
    EXPECT_EQ(Stored(*copy, 3, 1) >> 24, 0u);
    EXPECT_EQ(Stored(*copy, 2, 1) >> 24, 128u);

    // A gradient whose colours are equal is solid.
    RCPtr<LBitmap> again = owner->CopyBitmap();
    LBitmap::ApplyColorizer(again,
                            RCPtr<LColorizer>(new LColorizer(LColorizer::kLinearGradient,
                                                             ColorRGBA{0.2f, 0.3f, 0.8f, 0.5f},
                                                             ColorRGBA{0.2f, 0.3f, 0.8f, 0.5f})),
                            0.5f);
    EXPECT_EQ(Stored(*again, 1, 1), 0xFF6D434Bu);
}

TEST(Bitmap, ColorizingPartImagesForTheLooks)
{
    ConstRCPtr<LBitmap> owner = LBitmap::GetBitmap(WString(L"::Pattern.png"));
    ConstRCPtr<LBitmap> part = owner->CreateSubBitmap(2, 0, 2, 3);
    const ConstRCPtr<LColorizer> red = Solid(ColorRGBA{1, 0, 0, 1});

    // With a source: a colorized copy of the source; the source stays as it was.
    RCPtr<LBitmap> colorized =
        LBitmap::CreateColorizedBitmap(red, 1.0f, SizeT<LONG>(9, 9), part, nullptr);
    EXPECT_EQ(colorized->GetParent(), nullptr);
    EXPECT_EQ(colorized->GetWidth(), 2);
    EXPECT_EQ(colorized->GetHeight(), 3);
    EXPECT_EQ(Stored(*colorized, 0, 0), 0xFFFF0000u);
    EXPECT_EQ(Stored(*colorized, 1, 1), 0x00FF0000u);
    EXPECT_EQ(Stored(*part, 0, 0), PatternArgb(2, 0));

    // Without a source: a fill of the size, with alpha times amount.
    RCPtr<LBitmap> fill = LBitmap::CreateColorizedBitmap(Solid(ColorRGBA{0.2f, 0.4f, 0.6f, 1}),
                                                         0.5f, SizeT<LONG>(5, 2), nullptr, nullptr);
    EXPECT_EQ(fill->GetWidth(), 5);
    EXPECT_EQ(fill->GetHeight(), 2);
    EXPECT_EQ(Stored(*fill, 4, 1), 0x80336699u);

    // Masks are not supported.
    ExpectThrowWithPrefix<std::domain_error>(
        [&] { LBitmap::CreateColorizedBitmap(red, 1.0f, SizeT<LONG>(2, 3), part, part); },
        "Domain Error : Orv::LBitmap::ApplyColorizer : ");
    ExpectThrowWithPrefix<std::domain_error>(
        [&] { LBitmap::CreateColorizedBitmap(red, 1.0f, SizeT<LONG>(2, 3), nullptr, part); },
        "Domain Error : Orv::LBitmap::ApplyColorizer : ");
}

TEST(Bitmap, FilledBitmapsAndTheirErrors)
{
    RCPtr<LBitmap> filled =
        LBitmap::CreateFilledBitmap(SizeT<LONG>(3, 2), ColorRGBA{1, 0.5f, 0, 1});
    ASSERT_NE(filled->GetGdiplusBitmap(), nullptr);
    // The rectangle is set to the size.
    EXPECT_EQ(filled->GetX(), 0);
    EXPECT_EQ(filled->GetY(), 0);
    EXPECT_EQ(filled->GetWidth(), 3);
    EXPECT_EQ(filled->GetHeight(), 2);
    Gdiplus::PixelFormat format = 0;
    GdipGetImagePixelFormat(filled->GetGdiplusBitmap(), &format);
    EXPECT_EQ(format, Gdiplus::PixelFormat32bppARGB);
    for (int y = 0; y < 2; ++y)
    {
        for (int x = 0; x < 3; ++x)
        {
            EXPECT_EQ(Stored(*filled, x, y), 0xFFFF8000u);
        }
    }

    for (const SizeT<LONG>& size : {SizeT<LONG>(0, 5), SizeT<LONG>(5, -1)})
    {
        ExpectThrowWithPrefix<std::runtime_error>(
            [&] { LBitmap::CreateFilledBitmap(size, ColorRGBA{}); },
            "Runtime Error : Orv::LBitmap::CreateFilledBitmap : ");
        ExpectThrowWithPrefix<std::runtime_error>(
            [&] { LBitmap::CreateColorizedBitmap(Solid(ColorRGBA{}), 1.0f, size); },
            "Runtime Error : Orv::LBitmap::CreateColorizedBitmap : ");
    }
}

TEST(Bitmap, GradientsAndMissingArgumentsThrow)
{
    const RCPtr<LColorizer> gradient(
        new LColorizer(LColorizer::kLinearGradient, ColorRGBA{1, 0, 0, 1}, ColorRGBA{0, 0, 1, 1}));
    ExpectThrowWithPrefix<std::domain_error>(
        [&] { LBitmap::CreateColorizedBitmap(gradient, 1.0f, SizeT<LONG>(4, 4)); },
        "Domain Error : Orv::LBitmap::CreateGradientFilledBitmap : ");
    RCPtr<LBitmap> copy = LBitmap::GetBitmap(WString(L"::Pattern.png"))->CopyBitmap();
    ExpectThrowWithPrefix<std::domain_error>(
        [&] { LBitmap::ApplyColorizer(copy, gradient, 1.0f); },
        "Domain Error : Orv::LBitmap::CreateGradientFilledBitmap : ");
    EXPECT_EQ(Stored(*copy, 0, 0), PatternArgb(0, 0));

    ExpectThrowWithPrefix<std::runtime_error>(
        [&] { LBitmap::ApplyColorizer(nullptr, Solid(ColorRGBA{}), 1.0f); },
        "Runtime Error : Orv::LBitmap::ApplyColorizer : ");
    ExpectThrowWithPrefix<std::runtime_error>([&] { LBitmap::ApplyColorizer(copy, nullptr, 1.0f); },
                                              "Runtime Error : Orv::LBitmap::ApplyColorizer : ");
}

TEST(Bitmap, ColorizingLockedPixelsThrowsAndRecordsTheStatus)
{
    RCPtr<LBitmap> copy = LBitmap::GetBitmap(WString(L"::Pattern.png"))->CopyBitmap();
    ConstRCPtr<LBitmapData> data = copy->GetBitmapData(Gdiplus::ImageLockModeRead);
    ExpectThrowWithPrefix<std::runtime_error>(
        [&] {
            LBitmap::ApplyColorizer(copy, Solid(ColorRGBA{1, 1, 1, 1}), 1.0f);
        },
        "Runtime Error : Orv::LBitmap::ApplyColorizer : ");
    EXPECT_EQ(copy->GetLastStatus(), Gdiplus::WrongState);
}

TEST(BitmapData, LockedPixelsOfOwnersAndParts)
{
    RCPtr<LBitmap> owner = LBitmap::GetBitmap(WString(L"::Pattern.png"))->CopyBitmap();
    {
        ConstRCPtr<LBitmapData> data = owner->GetBitmapData(Gdiplus::ImageLockModeRead);
        EXPECT_EQ(data->GetWidth(), 4);
        EXPECT_EQ(data->GetHeight(), 3);
        EXPECT_GE(data->GetRowStride(), 16);
        ASSERT_NE(data->GetPixelData(), nullptr);
        const BYTE* pixel = data->GetPixelAddress(1, 1);
        ASSERT_NE(pixel, nullptr);
        // Blue, green, red, alpha in memory.
        EXPECT_EQ(pixel[0], 32);
        EXPECT_EQ(pixel[1], 64);
        EXPECT_EQ(pixel[2], 128);
        EXPECT_EQ(pixel[3], 255);
        EXPECT_EQ(data->GetPixelAddress(4, 0), nullptr);
        EXPECT_EQ(data->GetPixelAddress(0, -1), nullptr);
        // While the data lives the image is locked.
        ExpectColor(owner->GetPixelColor(0, 0), ColorRGBA(), "locked");
        EXPECT_EQ(owner->GetLastStatus(), Gdiplus::WrongState);
    }
    ExpectColor(owner->GetPixelColor(0, 0), PatternColor(0, 0), "unlocked");

    // A part shares its parent's data: the pixels of the whole image.
    RCPtr<LBitmap> part = owner->CreateSubBitmap(2, 1, 2, 2);
    {
        ConstRCPtr<LBitmapData> data =
            part->GetBitmapData(Gdiplus::ImageLockModeRead | Gdiplus::ImageLockModeWrite);
        EXPECT_EQ(data->GetBitmap(), part);
        EXPECT_EQ(data->GetWidth(), 4);
        EXPECT_EQ(data->GetHeight(), 3);
        BYTE* pixel = data->GetPixelAddress(part->GetX(), part->GetY());
        ASSERT_NE(pixel, nullptr);
        EXPECT_EQ(pixel[3], 128);
        pixel[0] = 1;
        pixel[1] = 2;
        pixel[2] = 3;
    }
    // Written back when the lock ends.
    EXPECT_EQ(Stored(*owner, 2, 1), 0x80030201u);

    // Sharing the data of another image is refused.
    RCPtr<LBitmap> other = LBitmap::CreateFilledBitmap(SizeT<LONG>(2, 2), ColorRGBA{});
    ConstRCPtr<LBitmapData> otherData = other->GetBitmapData(Gdiplus::ImageLockModeRead);
    ExpectThrowWithPrefix<std::domain_error>(
        [&] { LBitmapData data(part, Gdiplus::ImageLockModeRead, otherData); },
        "Domain Error : Orv::LBitmapData::LBitmapData : ");
}
