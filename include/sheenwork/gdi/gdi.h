// The device-context interface: the GDI calls the control paints with.
//
// Every painter of the button is written against `gdi::Gdi`. Two implementations
// exist: `RasterGdi` (our software raster, the one the library ships on Linux) and
// `Win32Gdi` (a thin layer over real HDCs, built with mingw and run under Wine or on
// Windows). Because both take the same calls, any drawing code can be run on both and
// the resulting bitmaps compared pixel for pixel.
//
// The calls keep their Win32 names, argument order and meanings, so that a reader
// who knows GDI knows what each does; only the handle types are our own opaque ones.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <sheenwork/vb/syscolors.h>

namespace sheenwork::gdi {

// A colour as GDI stores it: 0x00BBGGRR. Plain colours only; system colours are
// resolved before they reach a device context.
using ColorRef = std::uint32_t;

constexpr ColorRef Rgb(unsigned r, unsigned g, unsigned b) {
    return (r & 0xFFu) | ((g & 0xFFu) << 8) | ((b & 0xFFu) << 16);
}
constexpr unsigned RedOf(ColorRef c) { return c & 0xFFu; }
constexpr unsigned GreenOf(ColorRef c) { return (c >> 8) & 0xFFu; }
constexpr unsigned BlueOf(ColorRef c) { return (c >> 16) & 0xFFu; }

constexpr ColorRef kClrInvalid = 0xFFFFFFFFu;  // GetPixel outside the bitmap, CLR_INVALID

// A GDI rectangle: left/top inside, right/bottom one past the last pixel.
// Width() == right - left; an empty or inverted rectangle paints nothing.
// The layout matches Win32's RECT, so a RECT* can be passed where a Rect* is wanted.
struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool Empty() const { return right <= left || bottom <= top; }
    friend bool operator==(const Rect&, const Rect&) = default;
};

struct Point {
    int x = 0, y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

// Opaque handles. In the raster they point at our own objects; in the Win32 layer they
// are the real HDC / HGDIOBJ values.
struct DcTag;
struct ObjTag;
using Hdc = DcTag*;
using Hgdiobj = ObjTag*;

// The 40-byte BITMAPINFOHEADER (same layout as Win32's).
#pragma pack(push, 2)
struct BitmapInfoHeader {
    std::uint32_t biSize = 40;
    std::int32_t biWidth = 0;
    std::int32_t biHeight = 0;
    std::uint16_t biPlanes = 1;
    std::uint16_t biBitCount = 24;
    std::uint32_t biCompression = 0;  // BI_RGB
    std::uint32_t biSizeImage = 0;
    std::int32_t biXPelsPerMeter = 0;
    std::int32_t biYPelsPerMeter = 0;
    std::uint32_t biClrUsed = 0;
    std::uint32_t biClrImportant = 0;
};
#pragma pack(pop)
static_assert(sizeof(BitmapInfoHeader) == 40);

// Raster operations (the ternary codes GDI uses).
enum : std::uint32_t {
    SRCCOPY = 0x00CC0020,
    SRCPAINT = 0x00EE0086,
    SRCAND = 0x008800C6,
    SRCINVERT = 0x00660046,
    SRCERASE = 0x00440328,
    NOTSRCCOPY = 0x00330008,
    NOTSRCERASE = 0x001100A6,
    MERGEPAINT = 0x00BB0226,
    DSTINVERT = 0x00550009,
    BLACKNESS = 0x00000042,
    WHITENESS = 0x00FF0062,
};

enum : int { TRANSPARENT = 1, OPAQUE = 2, NEWTRANSPARENT = 3 };
enum : int { CAPS1 = 94, C1_TRANSPARENT = 1 };
enum : int { PS_SOLID = 0, PS_NULL = 5 };
enum : int {
    WHITE_BRUSH = 0,
    BLACK_BRUSH = 4,
    NULL_BRUSH = 5,
    WHITE_PEN = 6,
    BLACK_PEN = 7,
    NULL_PEN = 8,
    SYSTEM_FONT = 13,
    DEFAULT_GUI_FONT = 17
};
enum : unsigned { DIB_RGB_COLORS = 0 };

// AlphaBlend's BLENDFUNCTION (same layout as Win32's). With AC_SRC_ALPHA the source's
// pixels are premultiplied and carry their own alpha.
enum : std::uint8_t { AC_SRC_OVER = 0, AC_SRC_ALPHA = 1 };
struct BlendFunction {
    std::uint8_t BlendOp = AC_SRC_OVER;
    std::uint8_t BlendFlags = 0;
    std::uint8_t SourceConstantAlpha = 255;
    std::uint8_t AlphaFormat = AC_SRC_ALPHA;
};
static_assert(sizeof(BlendFunction) == 4);

// Fonts: LOGFONTA's layout. lfHeight < 0 asks for a character (em) height of -lfHeight
// pixels, > 0 for a cell height (ascent + descent), 0 for the default size.
enum : std::uint8_t { ANSI_CHARSET = 0, DEFAULT_CHARSET = 1, SYMBOL_CHARSET = 2 };
enum : std::uint8_t { DEFAULT_QUALITY = 0, NONANTIALIASED_QUALITY = 3, ANTIALIASED_QUALITY = 4 };
enum : int { FW_NORMAL = 400, FW_BOLD = 700 };
inline constexpr int kLfFaceSize = 32;
struct LogFont {
    std::int32_t lfHeight = 0;
    std::int32_t lfWidth = 0;
    std::int32_t lfEscapement = 0;
    std::int32_t lfOrientation = 0;
    std::int32_t lfWeight = FW_NORMAL;
    std::uint8_t lfItalic = 0;
    std::uint8_t lfUnderline = 0;
    std::uint8_t lfStrikeOut = 0;
    std::uint8_t lfCharSet = ANSI_CHARSET;
    std::uint8_t lfOutPrecision = 0;
    std::uint8_t lfClipPrecision = 0;
    std::uint8_t lfQuality = DEFAULT_QUALITY;
    std::uint8_t lfPitchAndFamily = 0;
    char lfFaceName[kLfFaceSize] = {};
};
static_assert(sizeof(LogFont) == 60);

// The part of TEXTMETRIC the text layout uses, in pixels.
struct TextMetric {
    int tmHeight = 0;  // ascent + descent: the height of one line
    int tmAscent = 0;
    int tmDescent = 0;
    int tmInternalLeading = 0;
    int tmExternalLeading = 0;
    int tmAveCharWidth = 0;
    int tmMaxCharWidth = 0;
    int tmWeight = 0;
    friend bool operator==(const TextMetric&, const TextMetric&) = default;
};

struct Size {
    int cx = 0, cy = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

// DrawTextA's format flags.
enum : unsigned {
    DT_LEFT = 0x0,
    DT_CENTER = 0x1,
    DT_RIGHT = 0x2,
    DT_VCENTER = 0x4,
    DT_BOTTOM = 0x8,
    DT_WORDBREAK = 0x10,
    DT_SINGLELINE = 0x20,
    DT_NOCLIP = 0x100,
    DT_EXTERNALLEADING = 0x200,
    DT_CALCRECT = 0x400,
    DT_NOPREFIX = 0x800,
};

// DrawEdge: border kinds and side flags.
enum : unsigned {
    BDR_RAISEDOUTER = 0x1,
    BDR_SUNKENOUTER = 0x2,
    BDR_RAISEDINNER = 0x4,
    BDR_SUNKENINNER = 0x8,
    EDGE_RAISED = BDR_RAISEDOUTER | BDR_RAISEDINNER,
    EDGE_SUNKEN = BDR_SUNKENOUTER | BDR_SUNKENINNER,
    EDGE_ETCHED = BDR_SUNKENOUTER | BDR_RAISEDINNER,
    EDGE_BUMP = BDR_RAISEDOUTER | BDR_SUNKENINNER,
    BF_LEFT = 0x1,
    BF_TOP = 0x2,
    BF_RIGHT = 0x4,
    BF_BOTTOM = 0x8,
    BF_RECT = BF_LEFT | BF_TOP | BF_RIGHT | BF_BOTTOM,
    BF_MIDDLE = 0x800,
    BF_ADJUST = 0x2000,
};

// System colour indices DrawEdge reads (GetSysColor numbering).
enum : int {
    COLOR_3DFACE = 15,
    COLOR_3DSHADOW = 16,
    COLOR_3DHILIGHT = 20,
    COLOR_3DDKSHADOW = 21,
    COLOR_3DLIGHT = 22,
};

class Gdi {
public:
    Gdi() noexcept;
    virtual ~Gdi() = default;
    Gdi(const Gdi&) = delete;
    Gdi& operator=(const Gdi&) = delete;

    // A number of this Gdi's own, never given to another one in the process: what was
    // drawn through one Gdi can be told from what another drew, even when the second
    // lives where the first did.
    std::uint64_t Serial() const noexcept { return serial_; }

    // --- objects ---------------------------------------------------------------
    // A memory DC; its first bitmap is a 1 x 1 monochrome one, as in GDI.
    // `like` may be null (the screen).
    virtual Hdc CreateCompatibleDC(Hdc like) = 0;
    virtual bool DeleteDC(Hdc dc) = 0;
    // A colour bitmap of the format of the bitmap selected into `like` (32 bit for the
    // surfaces; monochrome when a monochrome bitmap is selected, as in GDI).
    virtual Hgdiobj CreateCompatibleBitmap(Hdc like, int width, int height) = 0;
    // planes 1 and bpp 1 gives a monochrome bitmap; `bits` (may be null) holds rows
    // padded to 16 bits, MSB first, 1 = white.
    virtual Hgdiobj CreateBitmap(int width, int height, unsigned planes, unsigned bpp,
                                 const void* bits) = 0;
    // A 32-bit top-down bitmap whose pixels `ReadBitmap` can return: what a surface
    // and every test scene draws into. All pixels start as 0 (black).
    virtual Hgdiobj CreateSurfaceBitmap(int width, int height) = 0;
    // The pixels of a bitmap as 0x00BBGGRR, row by row from the top (monochrome:
    // 0x000000 / 0xFFFFFF). Empty when `bitmap` is not a bitmap.
    virtual std::vector<ColorRef> ReadBitmap(Hgdiobj bitmap) = 0;
    virtual Hgdiobj CreatePen(int style, int width, ColorRef color) = 0;
    virtual Hgdiobj CreateSolidBrush(ColorRef color) = 0;
    virtual Hgdiobj GetStockObject(int which) = 0;
    // Returns the object previously selected of the same kind, or null on failure.
    virtual Hgdiobj SelectObject(Hdc dc, Hgdiobj obj) = 0;
    virtual bool DeleteObject(Hgdiobj obj) = 0;

    // --- state -----------------------------------------------------------------
    virtual ColorRef SetBkColor(Hdc dc, ColorRef color) = 0;
    virtual ColorRef GetBkColor(Hdc dc) = 0;
    virtual ColorRef SetTextColor(Hdc dc, ColorRef color) = 0;
    virtual ColorRef GetTextColor(Hdc dc) = 0;
    virtual int SetBkMode(Hdc dc, int mode) = 0;
    virtual int GetBkMode(Hdc dc) = 0;
    virtual int GetDeviceCaps(Hdc dc, int index) = 0;

    // --- drawing ---------------------------------------------------------------
    virtual bool MoveToEx(Hdc dc, int x, int y, Point* previous) = 0;
    virtual bool LineTo(Hdc dc, int x, int y) = 0;
    virtual ColorRef SetPixel(Hdc dc, int x, int y, ColorRef color) = 0;
    virtual ColorRef GetPixel(Hdc dc, int x, int y) = 0;
    virtual bool Rectangle(Hdc dc, int left, int top, int right, int bottom) = 0;
    virtual int FillRect(Hdc dc, const Rect* rect, Hgdiobj brush) = 0;
    virtual bool RoundRect(Hdc dc, int left, int top, int right, int bottom, int width,
                           int height) = 0;
    virtual bool DrawEdge(Hdc dc, Rect* rect, unsigned edge, unsigned flags) = 0;
    virtual bool DrawFocusRect(Hdc dc, const Rect* rect) = 0;
    virtual int StretchDIBits(Hdc dc, int xDest, int yDest, int destWidth, int destHeight, int xSrc,
                              int ySrc, int srcWidth, int srcHeight, const void* bits,
                              const BitmapInfoHeader* info, unsigned usage, std::uint32_t rop) = 0;
    virtual bool BitBlt(Hdc dest, int x, int y, int width, int height, Hdc src, int xSrc, int ySrc,
                        std::uint32_t rop) = 0;
    // The way back of ReadBitmap: `pixels` (width x height values 0x00BBGGRR, rows from
    // the top, the byte above blue 0 as in every value ReadBitmap gives) onto the DC's
    // bitmap with their first pixel at (0, 0): an unstretched SRCCOPY StretchDIBits of
    // them as a 32-bit top-down DIB, which is what this default does. An implementation
    // may copy them faster, to the same pixels.
    virtual int PutPixels(Hdc dc, const ColorRef* pixels, int width, int height);

    // --- text ------------------------------------------------------------------
    // A logical font; the face is found when the font is used. Selected into a DC like
    // pens and brushes (SelectObject gives back the previous font).
    virtual Hgdiobj CreateFontIndirect(const LogFont& font) = 0;
    // The family of the DC's font as it was realised: the requested one, or the one that
    // stands in for it when it is not installed.
    virtual std::string GetTextFace(Hdc dc) = 0;
    virtual bool GetTextMetrics(Hdc dc, TextMetric* metrics) = 0;
    // The advance width of the first `count` characters and the line height.
    virtual bool GetTextExtentPoint32(Hdc dc, const char* text, int count, Size* size) = 0;
    // Win32's DrawTextA with the flags above: `count` -1 means up to the terminating 0.
    // Draws in the DC's text colour, each line's extent first filled with the background
    // colour when the background mode is OPAQUE, clipped to `rect` unless DT_NOCLIP; with
    // DT_CALCRECT draws nothing and sets `rect` to the text's extent. Returns the height of the
    // text (0 on failure).
    virtual int DrawTextA(Hdc dc, const char* text, int count, Rect* rect, unsigned format) = 0;

    // --- alpha -----------------------------------------------------------------
    // A 32-bit top-down DIB section holding `argb` (width * height pixels 0xAARRGGBB,
    // B, G, R, A in memory), alpha bytes kept: the source AlphaBlend wants.
    virtual Hgdiobj CreateAlphaBitmap(int width, int height, const std::uint32_t* argb) = 0;
    // Win32's AlphaBlend: the source block stretched onto the destination block and
    // composited over it. Extents must not be negative and the source block must lie
    // inside the source bitmap, else nothing is drawn and the call fails.
    virtual bool AlphaBlend(Hdc dest, int xDest, int yDest, int destWidth, int destHeight, Hdc src,
                            int xSrc, int ySrc, int srcWidth, int srcHeight,
                            BlendFunction blend) = 0;

private:
    std::uint64_t serial_;
};

// DrawEdge takes its colours from the process's system-colour table.
using vb::SysColor;

// The platform's own GDI, what a program draws with: our raster on Linux, real GDI on
// Windows.
std::unique_ptr<Gdi> MakePlatformGdi();

// Our software raster. Counts its live DCs and GDI objects so that tests can prove a
// routine released everything it created.
std::unique_ptr<Gdi> MakeRasterGdi();

struct LiveObjects {
    int dcs = 0;
    int objects = 0;  // bitmaps, pens, brushes and fonts, stock objects excluded
    friend bool operator==(const LiveObjects&, const LiveObjects&) = default;
};
LiveObjects RasterLiveObjects(Gdi& raster);

// What the raster answers for GetDeviceCaps(CAPS1). By default 0, like a display
// driver without transparent blits; set C1_TRANSPARENT to make BitBlt honour the
// NEWTRANSPARENT background mode instead.
void SetRasterCaps1(Gdi& raster, int caps1);

}  // namespace sheenwork::gdi
