// Setting OpenGL up: the pixel format and context, render contexts, the error reports and their
// texts.
#include "GLRendererTestSupport.h"

#include "ControlBase/ControlFactory.h"
#include "Renderer/OpenGL/GLErrorMessages.h"
#include "Renderer/OpenGL/WGLExtensions.h"

#include <string>

using namespace Orv;
using namespace OrvTest;

TEST(GLRendererSetUp, AContextIsMadeAndLeftNotCurrent)
{
    MessageBoxes boxes;
    GLTarget target(32, 16);
    LGLRenderer& renderer = *target.renderer;
    EXPECT_EQ(renderer.GetRendererType(), 0);
    EXPECT_NE(renderer.GetGLContext(), nullptr);
    EXPECT_EQ(renderer.GetPixelFormat(), 1);
    // The offscreen driver's format is single-buffered: the extension was asked for a format
    // that swaps by copying, had none, and the first context stays.
    EXPECT_FALSE(renderer.IsDoubleBuffered());
    EXPECT_FALSE(renderer.SwapsByCopying());
    EXPECT_EQ(renderer.GetPixelFormatDescriptor().dwFlags & PFD_DOUBLEBUFFER, 0u);
    EXPECT_EQ(wglGetCurrentContext(), nullptr);
    EXPECT_TRUE(boxes.shown.empty());

    auto* context = dynamic_cast<const LGLRenderContextInfo*>(target.context.Get());
    ASSERT_NE(context, nullptr);
    EXPECT_GE(context->GetMaxSize().width, 32);
    EXPECT_EQ(context->GetMaxSize(), context->GetMaxViewportSize());
    EXPECT_EQ(wglGetCurrentContext(), nullptr) << "InitRenderContextInfo leaves none current";
}

TEST(GLRendererSetUp, TheFactoryMakesTypeZeroOnceTheBackEndIsInstalled)
{
    HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 8, 8, nullptr, nullptr,
                                  nullptr, nullptr);
    LGLRenderer::InstallBackEnd();
    ConstRCPtr<LRenderer> made = LRenderer::Create(LRenderer::kOpenGL, RectT<LONG>(), window);
    EXPECT_NE(dynamic_cast<const LGLRenderer*>(made.Get()), nullptr);
    LRenderer::SetOpenGLMaker(nullptr);
    made = nullptr;
    DestroyWindow(window);
}

TEST(GLRendererSetUp, AContextMadeDuringAFrameLeavesTheFrameAsItWas)
{
    GLTarget target(32, 32);
    target.Start();
    LGLRenderer& r = *target.renderer;
    r.FillRect(RectT<LONG>(0, 0, 32, 32), kWhite, true);
    r.Translate(PointT<double>(10, 10));
    ConstRCPtr<LRenderContextInfo> other;
    EXPECT_EQ(r.InitRenderContextInfo(RectT<LONG>(0, 0, 16, 16), target.window, true, other), S_OK);
    EXPECT_EQ(wglGetCurrentContext(), r.GetGLContext());
    r.FillRect(RectT<LONG>(0, 0, 4, 4), kRed, true);
    r.Translate(PointT<double>(-10, -10));
    target.Finish();
    const Picture picture = target.Read();
    EXPECT_EQ(picture.At(10, 10), kRedArgb);
    EXPECT_EQ(picture.At(9, 9), kWhiteArgb);
}

TEST(GLRendererSetUp, ARenderContextForNoWindowIsReportedAndThrown)
{
    MessageBoxes boxes;
    GLTarget target(8, 8);
    ConstRCPtr<LRenderContextInfo> context;
    HWND notAWindow = reinterpret_cast<HWND>(0x5151);
    try
    {
        target.renderer->InitRenderContextInfo(RectT<LONG>(0, 0, 8, 8), notAWindow, false, context);
        FAIL() << "no throw";
    }
    catch (const std::runtime_error& error)
    {
        EXPECT_EQ(std::string(error.what())
                      .rfind("Runtime Error : Orv::LGLRenderer::InitRenderContextInfo : ", 0),
                  0u)
            << error.what();
    }
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].caption, L"OpenGL Error");
    // The step's text with the advice right behind it.
    EXPECT_EQ(boxes.shown[0].text,
              L"SetPixelFormat failed.Updating your video card driver, with the latest driver "
              L"from the manufacturer of your video card, may solve this issue.");
    EXPECT_EQ(boxes.shown[0].type, static_cast<UINT>(MB_ICONEXCLAMATION));
}

TEST(GLRendererSetUp, TheTextsComeFromTheFrameworkStringTable)
{
    const std::string document =
        "<Definitions><StringTable ID=\"Framework\">"
        "<String ID=\"GL_ERROR_CAPTION\"><Locale LCID=\"0x0009\">Graphics</Locale></String>"
        "<String ID=\"GL_ERROR_UPDATE_DRIVER\"><Locale LCID=\"0x0009\"> Try again.</Locale>"
        "</String><String ID=\"GL_ERROR_MESSAGE_MAKE_CONTEXT_CURRENT\"><Locale "
        "LCID=\"0x0009\">Error %d (%s), 100%%</Locale></String>"
        "</StringTable></Definitions>";
    RCPtr<LControlFactory> factory(new LControlFactory(WString(L"Test")));
    const LControlFactory::Document framework{document.data(), document.size()};
    factory->LoadStringTableDocuments(nullptr, &framework, 9);
    SetControlFactory(factory);

    EXPECT_EQ(GetGLErrorText(kGLErrorCaption), WString(L"Graphics"));
    // An id the table lacks falls back to English.
    EXPECT_EQ(GetGLErrorText(kGLErrorCreateContext), WString(L"wglCreateContext failed."));
    EXPECT_EQ(GetGLErrorText(L"NO_SUCH_ID"), WString());
    {
        MessageBoxes boxes;
        ShowGLSystemError(kGLErrorMakeContextCurrent, ERROR_INVALID_PIXEL_FORMAT);
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_EQ(boxes.shown[0].caption, L"Graphics");
        EXPECT_EQ(boxes.shown[0].text,
                  L"Error 2000 (The pixel format is not valid.\r\n), 100% Try again.");
        EXPECT_EQ(boxes.shown[0].type, static_cast<UINT>(MB_OK));
    }
    SetControlFactory(nullptr);
    EXPECT_EQ(GetGLErrorText(kGLErrorCaption), WString(L"OpenGL Error"));
}

TEST(GLRendererSetUp, SystemErrorFormatsPutInOnlyTheNumberAndTheText)
{
    struct Case
    {
        const wchar_t* format;
        size_t limit;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {L"failed with error %d: %s.", 179, L"failed with error 127: gone."},
        {L"%s, then %d, then %s", 179, L"gone, then 127, then gone"},
        // Nothing else is read as a conversion: no argument is taken for it.
        {L"%x %n %ls %5d 100%% %", 179, L"%x %n %ls %5d 100% %"},
        {L"error %d", 8, L"error 12"},
        {L"", 179, L""},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(FormatGLSystemError(WString(c.format), 127, WString(L"gone"), c.limit),
                  WString(c.expected))
            << WString(c.format).ToNarrow().GetBuffer();
    }
}

TEST(GLRendererSetUp, AnExtensionCountsOnlyAsAWholeName)
{
    struct Case
    {
        const char* list;
        const char* name;
        bool found;
    };
    const Case cases[] = {
        {"WGL_ARB_pixel_format", "WGL_ARB_pixel_format", true},
        {"WGL_A WGL_ARB_pixel_format WGL_B", "WGL_ARB_pixel_format", true},
        {"WGL_ARB_pixel_format_float", "WGL_ARB_pixel_format", false},
        {"WGL_ARB_pixel_format_float WGL_ARB_pixel_format", "WGL_ARB_pixel_format", true},
        {"XWGL_ARB_pixel_format", "WGL_ARB_pixel_format", false},
        {"WGL_ARB_pixel_formatWGL_ARB_pixel_format", "WGL_ARB_pixel_format", false},
        {"WGL_ARB_pixel_format", "WGL_ARB_pixel", false},
        {"WGL_A WGL_B", "WGL_A WGL_B", false},
        {"WGL_A", "", false},
        {"", "WGL_A", false},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(IsInExtensionList(c.list, c.name), c.found) << c.list << " / " << c.name;
    }

    // The driver's own list, asked with a current context; a name with a blank is not asked for.
    GLTarget target(8, 8);
    HDC dc = GetDC(target.window);
    ASSERT_TRUE(wglMakeCurrent(dc, target.renderer->GetGLContext()));
    EXPECT_TRUE(HasWGLExtension(dc, "WGL_ARB_pixel_format"));
    EXPECT_FALSE(HasWGLExtension(dc, "WGL_ARB_pixel"));
    EXPECT_FALSE(HasWGLExtension(dc, "WGL_ARB_pixel_format WGL_ARB_extensions_string"));
    EXPECT_FALSE(HasWGLExtension(dc, ""));
    wglMakeCurrent(nullptr, nullptr);
    // Without a current context the driver cannot be asked: that is reported, and the
    // extension counts as absent.
    MessageBoxes boxes;
    EXPECT_FALSE(HasWGLExtension(dc, "WGL_ARB_pixel_format"));
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text.rfind(L"wglGetProcAddress failed with error 127: ", 0), 0u);
    ReleaseDC(target.window, dc);
}
