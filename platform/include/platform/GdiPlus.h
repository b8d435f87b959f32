// The GDI+ flat interface: images and bitmaps, graphics that draw on them, pens, brushes, paths,
// matrices, regions, fonts and string formats, drawn with cairo into memory; text through
// fontconfig and FreeType. Only the calls this program makes are declared.
//
// Conventions of this layer, as the interface documents them:
// - Every call returns a Status; a bad argument (a null object, a negative size, a value outside
//   an enumeration) gives InvalidParameter and changes nothing. Objects are created and deleted
//   by their own calls; GdiplusStartup must have been called (else GdiplusNotInitialized).
// - An image or graphics used by two threads at once answers ObjectBusy to the second (as does a
//   bitmap drawn on its own graphics); a locked bitmap answers WrongState to any other use of its
//   pixels until it is unlocked.
// - ARGB values and the 32bppARGB format are not premultiplied; 32bppPARGB is. Colours in memory
//   are bytes blue, green, red, alpha (the 32-bit value 0xAARRGGBB, little-endian).
// - The resolution is 96 DPI for graphics and bitmaps.
#pragma once

#include "platform/Gdi.h"
#include "platform/GlobalMemory.h"
#include "platform/Types.h"

namespace Gdiplus
{
// The enumerations have a fixed underlying type: any integer a caller passes is a value of the
// type, which the calls check and refuse.
enum Status : int
{
    Ok = 0,
    GenericError = 1,
    InvalidParameter = 2,
    OutOfMemory = 3,
    ObjectBusy = 4,
    InsufficientBuffer = 5,
    NotImplemented = 6,
    Win32Error = 7,
    WrongState = 8,
    Aborted = 9,
    FileNotFound = 10,
    ValueOverflow = 11,
    AccessDenied = 12,
    UnknownImageFormat = 13,
    FontFamilyNotFound = 14,
    FontStyleNotFound = 15,
    NotTrueTypeFont = 16,
    UnsupportedGdiplusVersion = 17,
    GdiplusNotInitialized = 18,
    PropertyNotFound = 19,
    PropertyNotSupported = 20,
};

using REAL = float;
using ARGB = DWORD;
using PixelFormat = INT;
using LANGID = WORD;
using GraphicsState = UINT;

// The pixel formats this layer keeps images in.
constexpr PixelFormat PixelFormat32bppRGB = 0x00022009;
constexpr PixelFormat PixelFormat32bppARGB = 0x0026200A;
constexpr PixelFormat PixelFormat32bppPARGB = 0x000E200B;

enum Unit : int
{
    UnitWorld = 0,
    UnitDisplay = 1,
    UnitPixel = 2,
    UnitPoint = 3,
    UnitInch = 4,
    UnitDocument = 5,
    UnitMillimeter = 6,
};

enum FillMode : int
{
    FillModeAlternate = 0, // even-odd
    FillModeWinding = 1,
};

enum SmoothingMode : int
{
    SmoothingModeInvalid = -1,
    SmoothingModeDefault = 0, // no anti-aliasing
    SmoothingModeHighSpeed = 1,
    SmoothingModeHighQuality = 2, // anti-aliased
    SmoothingModeNone = 3,
    SmoothingModeAntiAlias = 4,
};

enum InterpolationMode : int
{
    InterpolationModeInvalid = -1,
    InterpolationModeDefault = 0, // bilinear
    InterpolationModeLowQuality = 1,
    InterpolationModeHighQuality = 2,
    InterpolationModeBilinear = 3,
    InterpolationModeBicubic = 4,
    InterpolationModeNearestNeighbor = 5,
    InterpolationModeHighQualityBilinear = 6,
    InterpolationModeHighQualityBicubic = 7,
};

// For lines and outlines, Default, HighSpeed and None put pixel centres on whole coordinates (a
// one-pixel line at y = 5 covers exactly row 5); HighQuality and Half put pixel edges there.
// Fills and images always have pixel edges on whole coordinates.
enum PixelOffsetMode : int
{
    PixelOffsetModeInvalid = -1,
    PixelOffsetModeDefault = 0,
    PixelOffsetModeHighSpeed = 1,
    PixelOffsetModeHighQuality = 2,
    PixelOffsetModeNone = 3,
    PixelOffsetModeHalf = 4,
};

enum CompositingMode : int
{
    CompositingModeSourceOver = 0,
    CompositingModeSourceCopy = 1,
};

enum MatrixOrder : int
{
    MatrixOrderPrepend = 0,
    MatrixOrderAppend = 1,
};

enum CombineMode : int
{
    CombineModeReplace = 0,
    CombineModeIntersect = 1,
    CombineModeUnion = 2,
    CombineModeXor = 3,
    CombineModeExclude = 4,
    CombineModeComplement = 5,
};

enum FlushIntention : int
{
    FlushIntentionFlush = 0,
    FlushIntentionSync = 1,
};

enum FontStyle : int
{
    FontStyleRegular = 0,
    FontStyleBold = 1,
    FontStyleItalic = 2,
    FontStyleBoldItalic = 3,
    FontStyleUnderline = 4,
    FontStyleStrikeout = 8,
};

enum StringTrimming : int
{
    StringTrimmingNone = 0,
    StringTrimmingCharacter = 1,
    StringTrimmingWord = 2,
    StringTrimmingEllipsisCharacter = 3,
    StringTrimmingEllipsisWord = 4,
    StringTrimmingEllipsisPath = 5,
};

enum StringFormatFlags : int
{
    StringFormatFlagsDirectionRightToLeft = 0x0001,
    StringFormatFlagsDirectionVertical = 0x0002,
    StringFormatFlagsNoFitBlackBox = 0x0004,
    StringFormatFlagsDisplayFormatControl = 0x0020,
    StringFormatFlagsNoFontFallback = 0x0400,
    StringFormatFlagsMeasureTrailingSpaces = 0x0800,
    StringFormatFlagsNoWrap = 0x1000,
    StringFormatFlagsLineLimit = 0x2000,
    StringFormatFlagsNoClip = 0x4000,
};

enum ImageLockMode : int
{
    ImageLockModeRead = 0x0001,
    ImageLockModeWrite = 0x0002,
    ImageLockModeUserInputBuf = 0x0004,
};

struct PointF
{
    REAL X;
    REAL Y;
};

struct RectF
{
    REAL X;
    REAL Y;
    REAL Width;
    REAL Height;
};

struct Rect
{
    INT X;
    INT Y;
    INT Width;
    INT Height;
};

struct CharacterRange
{
    INT First;
    INT Length;
};

struct BitmapData
{
    UINT Width;
    UINT Height;
    INT Stride;
    INT PixelFormat; // a Gdiplus::PixelFormat value
    void* Scan0;
    UINT_PTR Reserved;
};

using DebugEventProc = void (*)(int level, char* message);
using NotificationHookProc = Status (*)(ULONG_PTR* token);
using NotificationUnhookProc = void (*)(ULONG_PTR token);
// Called while an image is drawn; returning TRUE stops the drawing (Aborted).
using DrawImageAbort = BOOL (*)(void* data);

// Which drawing a colour adjustment of image attributes applies to.
enum ColorAdjustType : int
{
    ColorAdjustTypeDefault = 0,
    ColorAdjustTypeBitmap = 1,
    ColorAdjustTypeBrush = 2,
    ColorAdjustTypePen = 3,
    ColorAdjustTypeText = 4,
    ColorAdjustTypeCount = 5,
    ColorAdjustTypeAny = 6,
};

enum ColorMatrixFlags : int
{
    ColorMatrixFlagsDefault = 0,
    ColorMatrixFlagsSkipGrays = 1,
    ColorMatrixFlagsAltGray = 2,
};

// A colour transform: a row vector (r, g, b, a, 1) times the matrix, channels in 0..1.
struct ColorMatrix
{
    REAL m[5][5];
};

struct GdiplusStartupInput
{
    UINT GdiplusVersion = 1; // 1 or 2
    DebugEventProc DebugEventCallback = nullptr;
    BOOL SuppressBackgroundThread = FALSE;
    BOOL SuppressExternalCodecs = FALSE;
};

struct GdiplusStartupOutput
{
    NotificationHookProc NotificationHook;
    NotificationUnhookProc NotificationUnhook;
};

// The objects of the flat interface, known to callers only by pointer; made and deleted by the
// calls below only.
class GpImage
{
public:
    virtual ~GpImage() = default;

protected:
    GpImage() = default;
};
class GpBitmap : public GpImage
{
protected:
    GpBitmap() = default;
};
class GpBrush
{
public:
    virtual ~GpBrush() = default;

protected:
    GpBrush() = default;
};
class GpSolidFill : public GpBrush
{
protected:
    GpSolidFill() = default;
};
class GpTexture : public GpBrush
{
protected:
    GpTexture() = default;
};
class GpGraphics;
class GpCachedBitmap;
class GpPen;
class GpPath;
class GpMatrix;
class GpRegion;
class GpFontFamily;
class GpFont;
class GpFontCollection;
class GpStringFormat;
class GpImageAttributes;

// Start-up and shut-down, counted: the interface works from the first start-up to the matching
// last shut-down. There is no background thread, so the output's hooks are no-ops.
Status GdiplusStartup(ULONG_PTR* token, const GdiplusStartupInput* input,
                      GdiplusStartupOutput* output);
void GdiplusShutdown(ULONG_PTR token);
} // namespace Gdiplus

using Gdiplus::GdiplusShutdown;
using Gdiplus::GdiplusStartup;
using GpStatus = Gdiplus::Status;
using GpUnit = Gdiplus::Unit;
using GpFillMode = Gdiplus::FillMode;
using GpMatrixOrder = Gdiplus::MatrixOrder;
using GpPointF = Gdiplus::PointF;
using GpRectF = Gdiplus::RectF;
using GpRect = Gdiplus::Rect;
using Gdiplus::ARGB;
using Gdiplus::GpBitmap;
using Gdiplus::GpBrush;
using Gdiplus::GpCachedBitmap;
using Gdiplus::GpFont;
using Gdiplus::GpFontCollection;
using Gdiplus::GpFontFamily;
using Gdiplus::GpGraphics;
using Gdiplus::GpImage;
using Gdiplus::GpImageAttributes;
using Gdiplus::GpMatrix;
using Gdiplus::GpPath;
using Gdiplus::GpPen;
using Gdiplus::GpRegion;
using Gdiplus::GpSolidFill;
using Gdiplus::GpStringFormat;
using Gdiplus::GpTexture;
using Gdiplus::REAL;

// Memory for the objects callers wrap around the handles.
void* GdipAlloc(size_t size);
void GdipFree(void* memory);

// ---- Images and bitmaps ----
// A bitmap of width x height (both above 0). With scan0 null the bitmap owns zeroed (transparent)
// pixels and stride is ignored; otherwise it uses the caller's memory, which must outlive it
// (stride a positive multiple of 4, at least width x 4).
GpStatus GdipCreateBitmapFromScan0(INT width, INT height, INT stride, Gdiplus::PixelFormat format,
                                   BYTE* scan0, GpBitmap** bitmap);
// A bitmap in the graphics' format (32bppPARGB) and resolution, transparent.
GpStatus GdipCreateBitmapFromGraphics(INT width, INT height, GpGraphics* target, GpBitmap** bitmap);
// Decodes a PNG image from the rest of the stream (UnknownImageFormat for other data,
// InvalidParameter for a damaged PNG). Images with alpha become 32bppARGB, others 32bppRGB.
GpStatus GdipCreateBitmapFromStream(IStream* stream, GpBitmap** bitmap);
// The same from a file (Win32Error when it cannot be read).
GpStatus GdipCreateBitmapFromFile(const WCHAR* filename, GpBitmap** bitmap);
GpStatus GdipDisposeImage(GpImage* image);
GpStatus GdipGetImageWidth(GpImage* image, UINT* width);
GpStatus GdipGetImageHeight(GpImage* image, UINT* height);
GpStatus GdipGetImageBounds(GpImage* image, GpRectF* bounds, GpUnit* unit);
GpStatus GdipGetImagePixelFormat(GpImage* image, Gdiplus::PixelFormat* format);
// A new bitmap holding a copy of a rectangle of the bitmap (which must lie inside it).
GpStatus GdipCloneBitmapAreaI(INT x, INT y, INT width, INT height, Gdiplus::PixelFormat format,
                              GpBitmap* source, GpBitmap** clone);
GpStatus GdipCloneBitmapArea(REAL x, REAL y, REAL width, REAL height, Gdiplus::PixelFormat format,
                             GpBitmap* source, GpBitmap** clone);
GpStatus GdipBitmapGetPixel(GpBitmap* bitmap, INT x, INT y, ARGB* color);
GpStatus GdipBitmapSetPixel(GpBitmap* bitmap, INT x, INT y, ARGB color);
// Gives the pixels of a rectangle (null: the whole bitmap) in the asked format; with
// ImageLockModeWrite they are written back at unlock. One lock at a time.
GpStatus GdipBitmapLockBits(GpBitmap* bitmap, const GpRect* rect, UINT flags,
                            Gdiplus::PixelFormat format, Gdiplus::BitmapData* lockedData);
GpStatus GdipBitmapUnlockBits(GpBitmap* bitmap, Gdiplus::BitmapData* lockedData);
// A GDI bitmap (a 32-bit top-down DIB section) of the image composed over the background
// colour; freed with DeleteObject.
GpStatus GdipCreateHBITMAPFromBitmap(GpBitmap* bitmap, HBITMAP* hbitmap, ARGB background);

// ---- Graphics ----
GpStatus GdipGetImageGraphicsContext(GpImage* image, GpGraphics** graphics);
// Graphics for a window: draws into the pixels the window layer lent for it (SetWindowPixels,
// platform/Gdi.h); a window without pixels (or null, the screen) shows nothing.
GpStatus GdipCreateFromHWND(HWND window, GpGraphics** graphics);
GpStatus GdipDeleteGraphics(GpGraphics* graphics);
GpStatus GdipFlush(GpGraphics* graphics, Gdiplus::FlushIntention intention);
GpStatus GdipGetDpiX(GpGraphics* graphics, REAL* dpi);
GpStatus GdipGetDpiY(GpGraphics* graphics, REAL* dpi);
GpStatus GdipSetSmoothingMode(GpGraphics* graphics, Gdiplus::SmoothingMode mode);
GpStatus GdipGetSmoothingMode(GpGraphics* graphics, Gdiplus::SmoothingMode* mode);
GpStatus GdipSetInterpolationMode(GpGraphics* graphics, Gdiplus::InterpolationMode mode);
GpStatus GdipGetInterpolationMode(GpGraphics* graphics, Gdiplus::InterpolationMode* mode);
GpStatus GdipSetPixelOffsetMode(GpGraphics* graphics, Gdiplus::PixelOffsetMode mode);
GpStatus GdipGetPixelOffsetMode(GpGraphics* graphics, Gdiplus::PixelOffsetMode* mode);
GpStatus GdipSetCompositingMode(GpGraphics* graphics, Gdiplus::CompositingMode mode);
GpStatus GdipGetCompositingMode(GpGraphics* graphics, Gdiplus::CompositingMode* mode);
GpStatus GdipTranslateWorldTransform(GpGraphics* graphics, REAL dx, REAL dy, GpMatrixOrder order);
GpStatus GdipResetWorldTransform(GpGraphics* graphics);
// The clip is kept in device pixels: a rectangle is moved by the world transform in force when it
// is set. Replace and Intersect are the combinations this layer draws.
GpStatus GdipSetClipRect(GpGraphics* graphics, REAL x, REAL y, REAL width, REAL height,
                         Gdiplus::CombineMode mode);
// Clips to the region (Replace), or to what the clip and the region share (Intersect); the
// region's rectangles are moved by the world transform like a clip rectangle.
GpStatus GdipSetClipRegion(GpGraphics* graphics, GpRegion* region, Gdiplus::CombineMode mode);
GpStatus GdipResetClip(GpGraphics* graphics);
// Fills the clip with the colour, replacing the pixels.
GpStatus GdipGraphicsClear(GpGraphics* graphics, ARGB color);

// ---- Pens, brushes, matrices and paths ----
GpStatus GdipCreatePen1(ARGB color, REAL width, GpUnit unit, GpPen** pen);
GpStatus GdipDeletePen(GpPen* pen);
GpStatus GdipCreateSolidFill(ARGB color, GpSolidFill** brush);
// A brush that tiles a rectangle of the image (copied: the image may be disposed afterwards),
// anchored at the world origin.
GpStatus GdipCreateTextureIA(GpImage* image, GpImageAttributes* attributes, REAL x, REAL y,
                             REAL width, REAL height, GpTexture** texture);
GpStatus GdipDeleteBrush(GpBrush* brush);
GpStatus GdipCreateMatrix(GpMatrix** matrix);
GpStatus GdipScaleMatrix(GpMatrix* matrix, REAL scaleX, REAL scaleY, GpMatrixOrder order);
GpStatus GdipDeleteMatrix(GpMatrix* matrix);
GpStatus GdipCreatePath(GpFillMode fillMode, GpPath** path);
GpStatus GdipDeletePath(GpPath* path);
GpStatus GdipClonePath(GpPath* path, GpPath** clone);
// The next line added starts a new figure.
GpStatus GdipStartPathFigure(GpPath* path);
// Lines join the current figure (the first point is linked to the figure's last one).
GpStatus GdipAddPathLine(GpPath* path, REAL x1, REAL y1, REAL x2, REAL y2);
GpStatus GdipAddPathLine2(GpPath* path, const GpPointF* points, INT count);
// A closed figure of its own (at least 3 points).
GpStatus GdipAddPathPolygon(GpPath* path, const GpPointF* points, INT count);
GpStatus GdipTransformPath(GpPath* path, GpMatrix* matrix);

// ---- Drawing ----
GpStatus GdipDrawLine(GpGraphics* graphics, GpPen* pen, REAL x1, REAL y1, REAL x2, REAL y2);
GpStatus GdipDrawRectangleI(GpGraphics* graphics, GpPen* pen, INT x, INT y, INT width, INT height);
GpStatus GdipFillRectangleI(GpGraphics* graphics, GpBrush* brush, INT x, INT y, INT width,
                            INT height);
GpStatus GdipFillRectangle(GpGraphics* graphics, GpBrush* brush, REAL x, REAL y, REAL width,
                           REAL height);
GpStatus GdipDrawPath(GpGraphics* graphics, GpPen* pen, GpPath* path);
GpStatus GdipFillPath(GpGraphics* graphics, GpBrush* brush, GpPath* path);
// Draws the source rectangle of the image (in srcUnit, which must be UnitPixel) into the
// destination rectangle, scaled with the graphics' interpolation mode; negative destination sizes
// mirror the image. Of image attributes the colour matrix that scales alpha is applied.
GpStatus GdipDrawImageRectRect(GpGraphics* graphics, GpImage* image, REAL dstx, REAL dsty,
                               REAL dstwidth, REAL dstheight, REAL srcx, REAL srcy, REAL srcwidth,
                               REAL srcheight, GpUnit srcUnit, const GpImageAttributes* attributes,
                               Gdiplus::DrawImageAbort abort, void* abortData);
// Draws the source rectangle unscaled with its top left corner at (x, y).
GpStatus GdipDrawImagePointRectI(GpGraphics* graphics, GpImage* image, INT x, INT y, INT srcx,
                                 INT srcy, INT srcwidth, INT srcheight, GpUnit srcUnit);
// A copy of the bitmap in the graphics' device format, drawn unscaled; the graphics' world
// transform must then be a translation (else WrongState).
GpStatus GdipCreateCachedBitmap(GpBitmap* bitmap, GpGraphics* graphics,
                                GpCachedBitmap** cachedBitmap);
GpStatus GdipDeleteCachedBitmap(GpCachedBitmap* cachedBitmap);
GpStatus GdipDrawCachedBitmap(GpGraphics* graphics, GpCachedBitmap* cachedBitmap, INT x, INT y);

// ---- Fonts ----
// A family installed on the machine, by its name in any letter case (FontFamilyNotFound when
// there is none). Font collections are not kept: the collection must be null.
GpStatus GdipCreateFontFamilyFromName(const WCHAR* name, GpFontCollection* collection,
                                      GpFontFamily** family);
// The generic sans-serif family; one object per process, which GdipDeleteFontFamily keeps.
GpStatus GdipGetGenericFontFamilySansSerif(GpFontFamily** family);
GpStatus GdipDeleteFontFamily(GpFontFamily* family);
// Design-unit metrics of the family's face for a style.
GpStatus GdipGetEmHeight(const GpFontFamily* family, INT style, USHORT* emHeight);
GpStatus GdipGetCellAscent(const GpFontFamily* family, INT style, USHORT* ascent);
GpStatus GdipGetCellDescent(const GpFontFamily* family, INT style, USHORT* descent);
// A font of the family; emSize in unit (UnitDisplay is not a font unit). Bold and italic faces
// the family lacks are synthesised; underline and strikeout are drawn as lines.
GpStatus GdipCreateFont(const GpFontFamily* family, REAL emSize, INT style, GpUnit unit,
                        GpFont** font);
GpStatus GdipDeleteFont(GpFont* font);
GpStatus GdipGetFontSize(GpFont* font, REAL* size);
// The line spacing in pixels at the resolution (font sizes in pixel or world units do not
// depend on it).
GpStatus GdipGetFontHeightGivenDPI(const GpFont* font, REAL dpi, REAL* height);

// ---- Strings, regions ----
GpStatus GdipCreateStringFormat(INT formatFlags, Gdiplus::LANGID language, GpStringFormat** format);
GpStatus GdipDeleteStringFormat(GpStringFormat* format);
GpStatus GdipSetStringFormatFlags(GpStringFormat* format, INT flags);
GpStatus GdipSetStringFormatTrimming(GpStringFormat* format, Gdiplus::StringTrimming trimming);
// At most 32 ranges (ValueOverflow beyond).
GpStatus GdipSetStringFormatMeasurableCharacterRanges(GpStringFormat* format, INT rangeCount,
                                                      const Gdiplus::CharacterRange* ranges);
GpStatus GdipGetStringFormatMeasurableCharacterRangeCount(GpStringFormat* format, INT* count);
GpStatus GdipCreateRegion(GpRegion** region); // the infinite region
// A region of one rectangle (an empty rectangle gives the empty region).
GpStatus GdipCreateRegionRect(const GpRectF* rect, GpRegion** region);
// Combines a rectangle into the region: CombineModeReplace, CombineModeIntersect and
// CombineModeUnion; the other modes are NotImplemented.
GpStatus GdipCombineRegionRect(GpRegion* region, const GpRectF* rect, Gdiplus::CombineMode mode);
GpStatus GdipDeleteRegion(GpRegion* region);
GpStatus GdipGetRegionBounds(GpRegion* region, GpGraphics* graphics, GpRectF* bounds);

// ---- Image attributes ----
GpStatus GdipCreateImageAttributes(GpImageAttributes** attributes);
GpStatus GdipDisposeImageAttributes(GpImageAttributes* attributes);
// Sets (enableFlag TRUE) or clears the colour matrix of the default or bitmap adjustment. Only a
// matrix that scales alpha alone is applied (the identity but for m[3][3] in 0..1), without
// gray handling; other matrices, adjustment types and flags are NotImplemented.
GpStatus GdipSetImageAttributesColorMatrix(GpImageAttributes* attributes,
                                           Gdiplus::ColorAdjustType type, BOOL enableFlag,
                                           const Gdiplus::ColorMatrix* colorMatrix,
                                           const Gdiplus::ColorMatrix* grayMatrix,
                                           Gdiplus::ColorMatrixFlags flags);
// Text layout: lines break at '\n' and, when the layout rectangle has a width, wrap at blanks
// before the width is passed (not with StringFormatFlagsNoWrap). The text starts one sixth of
// the em size right of the rectangle's left edge; the first line's top is the rectangle's top. A
// rectangle with a width and a height clips the text (not with StringFormatFlagsNoClip). Length
// -1 means up to the terminating zero; lengths count wide characters.
GpStatus GdipDrawString(GpGraphics* graphics, const WCHAR* text, INT length, const GpFont* font,
                        const GpRectF* layoutRect, const GpStringFormat* format,
                        const GpBrush* brush);
// Sets each region to the boxes (one per line) that the format's ranges take when the text is
// laid out as GdipDrawString lays it out; regionCount must equal the format's range count.
// Trailing blanks of a line take no room unless StringFormatFlagsMeasureTrailingSpaces is set.
GpStatus GdipMeasureCharacterRanges(GpGraphics* graphics, const WCHAR* text, INT length,
                                    const GpFont* font, const GpRectF& layoutRect,
                                    const GpStringFormat* format, INT regionCount,
                                    GpRegion** regions);
