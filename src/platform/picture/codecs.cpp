// PNG, JPEG and GIF through their reference decoders (libpng, libjpeg-turbo, giflib).
// The libraries report errors through callbacks; each decoder turns them into
// BadPicture, checks the picture's size against our limits before the pixel buffer is
// made, and accepts a picture only when the library read all of it without complaint.
#include <gif_lib.h>
#include <png.h>
// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>
#include <cstdio>

#include <csetjmp>
#include <cstring>
#include <string>
#include <vector>

#include <sheenwork/picture/load.h>

#include "decode.h"

namespace sheenwork::picture::detail {
namespace {

// --- PNG ---------------------------------------------------------------------------

struct PngState {
    Bytes data;
    std::size_t at = 0;
    std::string error;
};

void PngReadData(png_structp png, png_bytep out, png_size_t n) {
    auto* s = static_cast<PngState*>(png_get_io_ptr(png));
    if (n > s->data.size() - s->at) png_error(png, "the data ends inside a chunk");
    std::memcpy(out, s->data.data() + s->at, n);
    s->at += n;
}
void PngError(png_structp png, png_const_charp message) {
    static_cast<PngState*>(png_get_error_ptr(png))->error = message;
    png_longjmp(png, 1);
}
void PngWarning(png_structp, png_const_charp) {}

struct PngGuard {
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~PngGuard() { png_destroy_read_struct(&png, info ? &info : nullptr, nullptr); }
};

// Runs libpng; false with state.error set when it gave up. Only plain data lives in
// this frame across setjmp: everything with a destructor (the row table too) is the
// caller's, since a longjmp out of libpng skips destructors.
bool RunPng(PngState& state, PngGuard& g, Pixels& out, std::vector<png_bytep>& rows,
            std::string& size_error) {
    if (setjmp(png_jmpbuf(g.png))) return false;
    png_set_read_fn(g.png, &state, PngReadData);
    png_set_user_limits(g.png, kMaxSide, kMaxSide);
    png_read_info(g.png, g.info);
    const png_uint_32 w = png_get_image_width(g.png, g.info);
    const png_uint_32 h = png_get_image_height(g.png, g.info);
    if (static_cast<std::int64_t>(w) * h > kMaxPixels) {
        size_error = "the PNG claims " + std::to_string(w) + " x " + std::to_string(h) +
                     " pixels, more than the " + std::to_string(kMaxPixels) + " that are loaded";
        return true;
    }
    const int color = png_get_color_type(g.png, g.info);
    const int depth = png_get_bit_depth(g.png, g.info);
    if (color == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(g.png);
    if (color == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand_gray_1_2_4_to_8(g.png);
    if (png_get_valid(g.png, g.info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(g.png);
    if (depth == 16) png_set_strip_16(g.png);
    if (color == PNG_COLOR_TYPE_GRAY || color == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb(g.png);
    // B, G, R, A in memory: one little-endian 0xAARRGGBB per pixel.
    png_set_bgr(g.png);
    png_set_filler(g.png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(g.png);
    png_read_update_info(g.png, g.info);
    if (png_get_rowbytes(g.png, g.info) != static_cast<png_size_t>(w) * 4)
        png_error(g.png, "an unexpected row layout after conversion");
    out.width = static_cast<int>(w);
    out.height = static_cast<int>(h);
    out.argb.assign(static_cast<std::size_t>(w) * h, 0);
    rows.assign(h, nullptr);
    for (png_uint_32 y = 0; y < h; ++y)
        rows[y] = reinterpret_cast<png_bytep>(out.argb.data() + static_cast<std::size_t>(y) * w);
    png_read_image(g.png, rows.data());
    png_read_end(g.png, nullptr);
    return true;
}

// --- JPEG --------------------------------------------------------------------------

struct JpegError {
    jpeg_error_mgr mgr;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void JpegExit(j_common_ptr cinfo) {
    auto* e = reinterpret_cast<JpegError*>(cinfo->err);
    cinfo->err->format_message(cinfo, e->message);
    std::longjmp(e->jump, 1);
}
// Warnings are corrupt or missing data (libjpeg would fill in grey and carry on); a
// picture decoded around them is not whole, so they refuse it too.
void JpegMessage(j_common_ptr cinfo, int level) {
    if (level < 0) JpegExit(cinfo);
}

struct JpegGuard {
    jpeg_decompress_struct cinfo;
    ~JpegGuard() { jpeg_destroy_decompress(&cinfo); }
};

// As RunPng: the CMYK line buffer is the caller's, out of the longjmp's way.
bool RunJpeg(Bytes file, JpegGuard& g, JpegError& err, Pixels& out,
             std::vector<std::uint8_t>& line, std::string& size_error) {
    if (setjmp(err.jump)) return false;
    jpeg_mem_src(&g.cinfo, file.data(), static_cast<unsigned long>(file.size()));
    jpeg_read_header(&g.cinfo, TRUE);
    const auto w = g.cinfo.image_width, h = g.cinfo.image_height;
    if (w > static_cast<unsigned>(kMaxSide) || h > static_cast<unsigned>(kMaxSide) ||
        static_cast<std::int64_t>(w) * h > kMaxPixels) {
        size_error = "the JPEG claims " + std::to_string(w) + " x " + std::to_string(h) +
                     " pixels, more than the limits of " + std::to_string(kMaxSide) +
                     " per side and " + std::to_string(kMaxPixels) + " in all";
        return true;
    }
    const bool cmyk = g.cinfo.jpeg_color_space == JCS_CMYK || g.cinfo.jpeg_color_space == JCS_YCCK;
    g.cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRA;
    jpeg_start_decompress(&g.cinfo);
    out.width = static_cast<int>(w);
    out.height = static_cast<int>(h);
    out.argb.assign(static_cast<std::size_t>(w) * h, 0);
    line.assign(cmyk ? static_cast<std::size_t>(w) * 4 : 0, 0);
    while (g.cinfo.output_scanline < h) {
        const std::size_t y = g.cinfo.output_scanline;
        auto* row = reinterpret_cast<std::uint8_t*>(out.argb.data() + y * w);
        JSAMPROW target = cmyk ? line.data() : row;
        jpeg_read_scanlines(&g.cinfo, &target, 1);
        if (!cmyk) continue;
        // Adobe's CMYK files store the inks inverted (255 = no ink).
        const bool inverted = g.cinfo.saw_Adobe_marker;
        for (std::size_t x = 0; x < w; ++x) {
            unsigned c = line[x * 4], m = line[x * 4 + 1], yy = line[x * 4 + 2],
                     k = line[x * 4 + 3];
            if (!inverted) c = 255 - c, m = 255 - m, yy = 255 - yy, k = 255 - k;
            out.argb[y * w + x] = 0xFF000000u | ((c * k + 127) / 255) << 16 |
                                  ((m * k + 127) / 255) << 8 | ((yy * k + 127) / 255);
        }
    }
    jpeg_finish_decompress(&g.cinfo);
    return true;
}

// --- GIF ---------------------------------------------------------------------------

struct GifInput {
    Bytes data;
    std::size_t at = 0;
};

int GifRead(GifFileType* gif, GifByteType* out, int n) {
    auto* in = static_cast<GifInput*>(gif->UserData);
    const std::size_t k =
        std::min<std::size_t>(static_cast<std::size_t>(n), in->data.size() - in->at);
    std::memcpy(out, in->data.data() + in->at, k);
    in->at += k;
    return static_cast<int>(k);
}

struct GifGuard {
    GifFileType* gif = nullptr;
    ~GifGuard() {
        int error = 0;
        if (gif != nullptr) DGifCloseFile(gif, &error);
    }
};

[[noreturn]] void GifFail(int error) {
    const char* text = GifErrorString(error);
    Fail(std::string("the GIF data is damaged: ") + (text != nullptr ? text : "unknown error"));
}

}  // namespace

Pixels DecodePng(Bytes file) {
    PngState state{file, 0, {}};
    PngGuard g;
    g.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &state, PngError, PngWarning);
    if (g.png == nullptr) throw std::bad_alloc();
    g.info = png_create_info_struct(g.png);
    if (g.info == nullptr) throw std::bad_alloc();
    Pixels out;
    std::vector<png_bytep> rows;
    std::string size_error;
    if (!RunPng(state, g, out, rows, size_error)) Fail("the PNG data is damaged: " + state.error);
    if (!size_error.empty()) Fail(size_error);
    return out;
}

Pixels DecodeJpeg(Bytes file) {
    JpegGuard g;
    JpegError err;
    g.cinfo.err = jpeg_std_error(&err.mgr);
    err.mgr.error_exit = JpegExit;
    err.mgr.emit_message = JpegMessage;
    jpeg_create_decompress(&g.cinfo);
    Pixels out;
    std::vector<std::uint8_t> line;
    std::string size_error;
    if (!RunJpeg(file, g, err, out, line, size_error))
        Fail(std::string("the JPEG data is damaged: ") + err.message);
    if (!size_error.empty()) Fail(size_error);
    return out;
}

Pixels DecodeGif(Bytes file) {
    GifInput input{file, 0};
    GifGuard g;
    int error = 0;
    g.gif = DGifOpen(&input, GifRead, &error);
    if (g.gif == nullptr) GifFail(error);
    GifFileType* gif = g.gif;
    int transparent = -1;
    for (;;) {
        GifRecordType type;
        if (DGifGetRecordType(gif, &type) == GIF_ERROR) GifFail(gif->Error);
        if (type == TERMINATE_RECORD_TYPE) Fail("the GIF holds no image");
        if (type == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType* ext = nullptr;
            if (DGifGetExtension(gif, &code, &ext) == GIF_ERROR) GifFail(gif->Error);
            // A graphic control block: flags, delay (2 bytes), transparent index.
            if (code == GRAPHICS_EXT_FUNC_CODE && ext != nullptr && ext[0] >= 4)
                transparent = (ext[1] & 1) ? ext[4] : -1;
            while (ext != nullptr)
                if (DGifGetExtensionNext(gif, &ext) == GIF_ERROR) GifFail(gif->Error);
            continue;
        }
        if (type != IMAGE_DESC_RECORD_TYPE) continue;
        if (DGifGetImageDesc(gif) == GIF_ERROR) GifFail(gif->Error);
        const GifImageDesc& d = gif->Image;
        const ColorMapObject* map = d.ColorMap != nullptr ? d.ColorMap : gif->SColorMap;
        if (map == nullptr) Fail("the GIF's first frame has no colour table");
        CheckSize(d.Width, d.Height, "the GIF's first frame");
        // The picture is the logical screen; a file that gives none gets the frame's extent.
        std::int64_t cw = gif->SWidth, ch = gif->SHeight;
        if (cw <= 0 || ch <= 0)
            cw = std::int64_t{d.Left} + d.Width, ch = std::int64_t{d.Top} + d.Height;
        CheckSize(cw, ch, "the GIF's screen");
        Pixels out;
        out.width = static_cast<int>(cw);
        out.height = static_cast<int>(ch);
        out.argb.assign(static_cast<std::size_t>(cw * ch), 0);  // outside the frame: clear
        std::vector<GifPixelType> line(static_cast<std::size_t>(d.Width));
        // Interlaced frames store rows 0, 8, 16 ..., then 4, 12 ..., 2, 6 ..., 1, 3 ....
        static constexpr int kStart[] = {0, 4, 2, 1}, kStep[] = {8, 8, 4, 2};
        const int passes = d.Interlace ? 4 : 1;
        for (int pass = 0; pass < passes; ++pass)
            for (int row = d.Interlace ? kStart[pass] : 0; row < d.Height;
                 row += d.Interlace ? kStep[pass] : 1) {
                if (DGifGetLine(gif, line.data(), d.Width) == GIF_ERROR) GifFail(gif->Error);
                const std::int64_t y = std::int64_t{d.Top} + row;
                if (y >= ch) continue;
                for (int x = 0; x < d.Width; ++x) {
                    const std::int64_t px = std::int64_t{d.Left} + x;
                    if (px >= cw) break;
                    const int index = line[static_cast<std::size_t>(x)];
                    std::uint32_t c = 0;
                    if (index != transparent) {
                        c = 0xFF000000u;
                        if (index < map->ColorCount) {
                            const GifColorType& e = map->Colors[index];
                            c |=
                                (static_cast<std::uint32_t>(e.Red) << 16) | (e.Green << 8) | e.Blue;
                        }
                    }
                    out.argb[static_cast<std::size_t>(y * cw + px)] = c;
                }
            }
        return out;
    }
}

}  // namespace sheenwork::picture::detail
