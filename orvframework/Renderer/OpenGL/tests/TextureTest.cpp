// Textures and their images, display lists and the polygon filler, on their own.
#include "GLRendererTestSupport.h"

#include "Renderer/OpenGL/GLDisplayList.h"
#include "Renderer/OpenGL/GLPolygon.h"
#include "Renderer/OpenGL/GLTexture.h"

using namespace Orv;
using namespace OrvTest;

namespace
{
// The texels of the bound texture's level 0 (BGRA bytes as 0xAARRGGBB, rows as stored).
std::vector<std::uint32_t> Texels(const LGLTexture& texture)
{
    std::vector<std::uint32_t> texels(static_cast<size_t>(texture.GetTextureWidth()) *
                                      static_cast<size_t>(texture.GetTextureHeight()));
    glBindTexture(GL_TEXTURE_2D, texture.GetName());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_BGRA, GL_UNSIGNED_BYTE, texels.data());
    return texels;
}
} // namespace

TEST(GLTexture, SizesArePowersOfTwoUpTo16384)
{
    const std::pair<int, int> cases[] = {{-5, 0},        {0, 0},         {1, 1},     {2, 2},
                                         {3, 4},         {30, 32},       {100, 128}, {16384, 16384},
                                         {16385, 16384}, {100000, 16384}};
    for (const auto& [n, expected] : cases)
    {
        EXPECT_EQ(NextPowerOfTwo(n), expected) << n;
    }
}

TEST(GLTexture, AnImageFillsTheTopLeftCornerOfItsTexture)
{
    GLTarget target(8, 8);
    CurrentContext current(target);
    ConstRCPtr<LBitmap> bitmap = MakeBitmap(
        100, 30, [](LONG x, LONG y) -> ARGB { return 0xFF000000u | (x << 16) | (y << 8) | 7; });
    RCPtr<LGLTexture> texture(new LGLTexture());
    texture->SetBitmap(bitmap);
    EXPECT_EQ(texture->GetTextureWidth(), 128);
    EXPECT_EQ(texture->GetTextureHeight(), 32);
    EXPECT_EQ(texture->GetImageWidth(), 100);
    EXPECT_EQ(texture->GetScaledHeight(), 30);
    EXPECT_EQ(texture->GetBitmap(), bitmap);
    const std::vector<std::uint32_t> texels = Texels(*texture);
    EXPECT_EQ(texels[0], 0xFF000007u);
    EXPECT_EQ(texels[29 * 128 + 99], 0xFF631D07u);
    EXPECT_EQ(texels[5 * 128 + 42], 0xFF2A0507u);

    // Repeating: scaled to fill the texture, so that the pattern repeats without a gap.
    LGLTextureImage image;
    std::vector<std::uint32_t> pixels(100 * 30, 0xFF00FF00u);
    image.SetExternalData(pixels.data(), 400, 4, 100, 30, GL_BGRA, GL_UNSIGNED_BYTE);
    RCPtr<LGLTexture> repeating(new LGLTexture());
    repeating->Create(image, GL_RGBA8, LGLTexture::kRepeat, 1.0f);
    EXPECT_EQ(repeating->GetImageWidth(), 128);
    EXPECT_EQ(repeating->GetImageHeight(), 32);
    EXPECT_EQ(repeating->GetScaledWidth(), 100);
    EXPECT_TRUE(image.OwnsData());
    EXPECT_EQ(Texels(*repeating)[31 * 128 + 127], 0xFF00FF00u);
}

TEST(GLTexture, AnImageLargerThanTheLargestTextureIsScaledDownToIt)
{
    GLTarget target(100, 4);
    // 20000 pixels wide: the left half red, the right half blue.
    ConstRCPtr<LBitmap> wide =
        MakeBitmap(20000, 2, [](LONG x, LONG) -> ARGB { return x < 10000 ? kRedArgb : kBlueArgb; });
    target.Frame([&](LRenderer& r)
                 { r.DrawBitmap(wide, RectT<LONG>(0, 0, 100, 4), LRenderer::kResizeStretch); });
    const Picture picture = target.Read();
    EXPECT_EQ(picture.At(25, 1), kRedArgb);
    EXPECT_EQ(picture.At(75, 1), kBlueArgb);
    CurrentContext current(target);
    const LGLTexture* texture = target.renderer->GetTextureCache().GetEntryAt(0).object.Get();
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(texture->GetTextureWidth(), 16384);
    EXPECT_EQ(texture->GetImageWidth(), 16384);
    EXPECT_EQ(texture->GetScaledWidth(), 20000);
}

TEST(GLTexture, AlphaImagesComeFromLuminance)
{
    // Blue, green, red, alpha bytes; the alpha byte is not read.
    const std::uint32_t pixels[] = {0x00000000u, 0xFF000000u, 0xFFFFFFFFu,
                                    0xFFFF0000u, 0x00FFFFFFu, 0x80000000u};
    LGLTextureImage image;
    image.SetExternalData(pixels, 12, 4, 3, 2, GL_BGRA, GL_UNSIGNED_BYTE);
    image.ConvertToAlpha();
    EXPECT_EQ(image.GetFormat(), static_cast<GLenum>(GL_ALPHA));
    EXPECT_EQ(image.GetBytesPerPixel(), 1);
    EXPECT_EQ(image.GetStride(), 4);
    ASSERT_TRUE(image.OwnsData());
    const unsigned char* alpha = image.GetData();
    EXPECT_EQ(alpha[0], 0);   // all zero: transparent
    EXPECT_EQ(alpha[1], 255); // opaque black
    EXPECT_EQ(alpha[2], 0);   // white
    EXPECT_EQ(alpha[4], 179); // red: 255 - 76
    EXPECT_EQ(alpha[5], 0);   // transparent white
    EXPECT_EQ(alpha[6], 255); // transparent black is not all zero

    LGLTextureImage moved(std::move(image));
    EXPECT_EQ(moved.GetData(), alpha);
    EXPECT_EQ(image.GetData(), nullptr);
    EXPECT_EQ(image.GetWidth(), 0);
}

TEST(GLDisplayList, RangesAreCheckedAndNothingIsReservedBeforeRecording)
{
    GLTarget target(8, 8);
    CurrentContext current(target);
    RCPtr<LGLDisplayList> unused = LGLDisplayList::Create(1);
    EXPECT_EQ(unused->GetBase(), LGLDisplayList::kNoLists);
    EXPECT_EQ(unused->Call(0, 1), E_FAIL);
    EXPECT_EQ(unused->EndRecord(), E_FAIL);
    unused = nullptr;

    RCPtr<LGLDisplayList> lists = LGLDisplayList::Create(1);
    ASSERT_EQ(lists->BeginRecord(0), S_OK);
    glColor4f(1, 0, 0, 1);
    EXPECT_EQ(lists->EndRecord(), S_OK);
    const GLuint base = lists->GetBase();
    EXPECT_TRUE(glIsList(base));
    EXPECT_EQ(lists->Call(0, 2), E_INVALIDARG);
    EXPECT_EQ(lists->Call(1, 1), E_INVALIDARG);
    EXPECT_EQ(lists->Call(0, 1), S_OK);
    lists = nullptr;
    EXPECT_FALSE(glIsList(base));
}

TEST(GLPolygon, FewerThanThreePointsDrawNothingAndCrossingsNeedNoHelp)
{
    GLTarget target(32, 32);
    target.Start();
    target.renderer->FillRect(RectT<LONG>(0, 0, 32, 32), kWhite, true);
    glDisable(GL_TEXTURE_2D);
    glColor4f(1, 0, 0, 1);
    PolylineT<float> two;
    two.AddPoint(PointT<float>(1, 1));
    two.AddPoint(PointT<float>(30, 30));
    EXPECT_EQ(CGLPolygon().Tessellate(two), 0u);
    // An outline crossing itself: the crossing gets a vertex of its own (without one, the
    // tessellator would draw nothing and report an error).
    PolylineT<float> bowTie;
    for (const PointT<float>& p :
         {PointT<float>(0, 0), PointT<float>(32, 32), PointT<float>(32, 0), PointT<float>(0, 32)})
    {
        bowTie.AddPoint(p);
    }
    EXPECT_EQ(CGLPolygon().Tessellate(bowTie), 0u);
    target.Finish();
    const Picture picture = target.Read();
    picture.Save("polygon-crossings");
    EXPECT_EQ(picture.At(4, 16), kRedArgb);
    EXPECT_EQ(picture.At(28, 16), kRedArgb);
    EXPECT_EQ(picture.At(16, 4), kWhiteArgb);
    EXPECT_EQ(picture.At(16, 28), kWhiteArgb);
}
