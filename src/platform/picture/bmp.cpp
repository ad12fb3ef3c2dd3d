// BMP files and the DIBs inside icons, read by our own code so that every size, offset
// and count a header claims is checked against the bytes that are really there.
//
// Supported: the 12-byte core header and the 40, 52, 56, 108 and 124-byte info headers;
// 1, 4 and 8 bits through a colour table, 16 and 32 bits as 5-5-5 / 8-8-8 or through
// bit fields, 24 bits; RLE8 and RLE4; rows bottom-up or (uncompressed) top-down.
#include <bit>
#include <cstdint>
#include <string>

#include "decode.h"

namespace sheenwork::picture::detail {
namespace {

using i64 = std::int64_t;
using std::to_string;

enum : std::uint32_t {
    kRgb = 0,
    kRle8 = 1,
    kRle4 = 2,
    kBitFields = 3,
    kJpeg = 4,
    kPng = 5,
    kAlphaBitFields = 6
};

// One colour channel of a bit-field pixel: where it sits and how wide it is. A channel
// narrower than 8 bits is widened by repeating its bits (5 bits abcde -> abcdeabc), as
// GDI widens 5-5-5 pixels; a wider one keeps its top 8 bits.
struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    int bits = 0;

    static Channel From(std::uint32_t mask, const char* name) {
        Channel c;
        c.mask = mask;
        if (mask == 0) return c;
        c.shift = std::countr_zero(mask);
        const std::uint32_t run = mask >> c.shift;
        if ((run & (run + 1)) != 0)
            Fail(std::string("the ") + name + " bit field is not one run of bits");
        c.bits = std::popcount(run);
        return c;
    }
    std::uint32_t Of(std::uint32_t pixel) const {
        if (bits == 0) return 0;
        const std::uint32_t v = (pixel & mask) >> shift;
        if (bits >= 8) return v >> (bits - 8);
        std::uint32_t out = 0;
        for (int pos = 8 - bits; pos > -bits; pos -= bits) out |= pos >= 0 ? v << pos : v >> -pos;
        return out & 0xFFu;
    }
};

struct Header {
    std::uint32_t size = 0;
    i64 width = 0, height = 0;  // height: rows of the picture (icons: colour rows only)
    bool top_down = false;
    int bpp = 0;
    std::uint32_t compression = kRgb;
    std::uint32_t size_image = 0;
    std::uint32_t colors_used = 0;
    int entry_size = 4;          // bytes per colour-table entry
    std::size_t masks_size = 0;  // bit-field masks stored after a 40-byte header
};

Header ReadHeader(const Reader& r, bool icon) {
    Header h;
    r.Need(0, 4, "the info header");
    h.size = r.U32(0);
    if (h.size == 12) {
        r.Need(0, 12, "the core header");
        h.width = r.U16(4);
        h.height = static_cast<std::int16_t>(r.U16(6));
        h.bpp = r.U16(10);
        h.entry_size = 3;
        if (h.bpp != 1 && h.bpp != 4 && h.bpp != 8 && h.bpp != 24)
            Fail("a core header with " + to_string(h.bpp) + " bits per pixel");
    } else if (h.size == 40 || h.size == 52 || h.size == 56 || h.size == 108 || h.size == 124) {
        r.Need(0, h.size, "the info header");
        h.width = r.I32(4);
        h.height = r.I32(8);
        h.bpp = r.U16(14);
        h.compression = r.U32(16);
        h.size_image = r.U32(20);
        h.colors_used = r.U32(32);
    } else {
        Fail("an info header of " + to_string(h.size) + " bytes, which is no known kind");
    }
    if (h.width <= 0) Fail("a width of " + to_string(h.width) + " pixels");
    if (h.height == 0) Fail("a height of 0 pixels");
    if (icon) {
        // An icon's height counts the colour rows and the AND mask's rows.
        if (h.height < 0 || h.height % 2 != 0)
            Fail("an icon height of " + to_string(h.height) + ", which is not twice the rows");
        h.height /= 2;
    } else if (h.height < 0) {
        h.top_down = true;
        h.height = -h.height;
    }
    CheckSize(h.width, h.height, "the bitmap");

    switch (h.compression) {
        case kRgb:
            if (h.bpp != 1 && h.bpp != 4 && h.bpp != 8 && h.bpp != 16 && h.bpp != 24 && h.bpp != 32)
                Fail(to_string(h.bpp) + " bits per pixel");
            break;
        case kRle8:
        case kRle4:
            if (h.bpp != (h.compression == kRle8 ? 8 : 4))
                Fail("RLE" + std::string(h.compression == kRle8 ? "8" : "4") + " data with " +
                     to_string(h.bpp) + " bits per pixel");
            if (h.top_down) Fail("RLE data in top-down row order");
            if (icon) Fail("RLE data in an icon");
            break;
        case kBitFields:
        case kAlphaBitFields:
            if (h.bpp != 16 && h.bpp != 32)
                Fail("bit fields with " + to_string(h.bpp) + " bits per pixel");
            if (h.size == 40) h.masks_size = h.compression == kBitFields ? 12 : 16;
            break;
        case kJpeg:
        case kPng: Fail("embedded JPEG or PNG data, which only printers take");
        default: Fail("compression " + to_string(h.compression) + ", which is no known kind");
    }
    return h;
}

// The colour-table entry for index i: black beyond the entries the table holds, as GDI
// shows indices past biClrUsed.
struct Palette {
    std::uint32_t entries[256] = {};
    std::uint32_t count = 0;
    std::uint32_t At(std::uint32_t i) const { return i < count ? entries[i] : 0xFF000000u; }
};

void Put(Pixels& out, i64 x, i64 y_from_top, std::uint32_t argb) {
    out.argb[static_cast<std::size_t>(y_from_top * out.width + x)] = argb;
}

// RLE8 / RLE4 from the bottom row up. Every run, literal block and delta must stay inside
// the picture, and the data must reach the last row or an end-of-picture marker; pixels
// the data skips stay opaque black, as they are in the bitmap GDI makes of it.
void DecodeRle(const Reader& r, std::size_t at, std::size_t size, bool four, const Palette& pal,
               Pixels& out) {
    const i64 w = out.width, h = out.height;
    const std::size_t end = at + size;
    i64 x = 0, y = 0;  // y counts from the bottom row
    auto put = [&](std::uint32_t index) { Put(out, x++, h - 1 - y, pal.At(index)); };
    for (;;) {
        if (end - at < 2) {
            if (y >= h) return;
            Fail("the RLE data ends in row " + to_string(y) + " of " + to_string(h) +
                 " before its end-of-picture marker");
        }
        const std::uint8_t n = r.U8(at), c = r.U8(at + 1);
        at += 2;
        if (n > 0) {
            if (y >= h) Fail("an RLE run lies below the last row");
            if (x + n > w)
                Fail("an RLE run of " + to_string(n) + " pixels at column " + to_string(x) +
                     " runs past the row of " + to_string(w));
            for (int i = 0; i < n; ++i) put(four ? ((i % 2 == 0) ? c >> 4 : c & 0x0F) : c);
            continue;
        }
        if (c == 0) {  // end of line
            x = 0;
            if (++y > h) Fail("the RLE data has more rows than the picture's " + to_string(h));
        } else if (c == 1) {  // end of picture
            return;
        } else if (c == 2) {  // delta
            if (end - at < 2) Fail("an RLE delta is cut off by the end of the data");
            x += r.U8(at);
            y += r.U8(at + 1);
            at += 2;
            if (x > w || y > h || (y == h && x > 0)) Fail("an RLE delta moves past the picture");
        } else {  // a literal block of c pixels, padded to a 16-bit boundary
            const std::size_t bytes = four ? (c + 1u) / 2 : c;
            const std::size_t padded = (bytes + 1) & ~std::size_t{1};
            if (end - at < bytes) Fail("an RLE literal block runs past the end of the data");
            if (y >= h) Fail("an RLE literal block lies below the last row");
            if (x + c > w)
                Fail("an RLE literal block of " + to_string(c) + " pixels at column " +
                     to_string(x) + " runs past the row of " + to_string(w));
            for (int i = 0; i < c; ++i) {
                const std::uint8_t b = r.U8(at + (four ? i / 2 : i));
                put(four ? ((i % 2 == 0) ? b >> 4 : b & 0x0F) : b);
            }
            at += std::min(padded, end - at);
        }
    }
}

}  // namespace

Pixels DecodeDib(const DibSource& source) {
    const Reader r(source.data);
    const Header h = ReadHeader(r, source.icon);

    // Bit-field masks: inside the larger headers, after the 40-byte one.
    Channel red, green, blue;
    if (h.compression == kBitFields || h.compression == kAlphaBitFields) {
        const std::size_t at = 40;  // right after the 40-byte part of every header
        r.Need(at, 12, "the bit-field masks");
        red = Channel::From(r.U32(at), "red");
        green = Channel::From(r.U32(at + 4), "green");
        blue = Channel::From(r.U32(at + 8), "blue");
    } else if (h.bpp == 16) {
        red = Channel::From(0x7C00, "red");
        green = Channel::From(0x03E0, "green");
        blue = Channel::From(0x001F, "blue");
    } else if (h.bpp == 32) {
        red = Channel::From(0x00FF0000, "red");
        green = Channel::From(0x0000FF00, "green");
        blue = Channel::From(0x000000FF, "blue");
    }

    // The colour table follows the header (and masks). Indexed pictures need every entry
    // they declare (all 2^bpp when biClrUsed is 0); deeper ones may carry an optional
    // table, which icons must step over.
    const std::size_t table_at = h.size + h.masks_size;
    Palette pal;
    std::size_t stored = h.colors_used;
    if (h.bpp <= 8) {
        if (stored == 0) stored = std::size_t{1} << h.bpp;
        pal.count = static_cast<std::uint32_t>(std::min<std::size_t>(stored, 1u << h.bpp));
    }
    const std::size_t read = h.bpp <= 8 ? pal.count : 0;
    if (!r.Has(table_at, read * h.entry_size))
        Fail("a colour table of " + to_string(read) + " entries that runs past the end (" +
             to_string(r.size()) + " bytes of DIB)");
    for (std::uint32_t i = 0; i < read; ++i) {
        const std::size_t e = table_at + i * h.entry_size;
        pal.entries[i] = 0xFF000000u | (r.U8(e + 2) << 16) | (r.U8(e + 1) << 8) |
                         static_cast<std::uint32_t>(r.U8(e));
    }

    std::size_t pixels_at;
    if (source.icon) {
        if (stored > (r.size() - std::min(r.size(), table_at)) / h.entry_size)
            Fail("a colour table of " + to_string(stored) + " entries that runs past the end");
        pixels_at = table_at + stored * h.entry_size;
    } else {
        pixels_at = source.pixel_offset;
        if (pixels_at < table_at + read * h.entry_size)
            Fail("pixel data at offset " + to_string(pixels_at + 14) +
                 ", inside the headers and colour table");
    }

    Pixels out;
    out.width = static_cast<int>(h.width);
    out.height = static_cast<int>(h.height);
    out.argb.assign(static_cast<std::size_t>(h.width * h.height), 0xFF000000u);

    if (h.compression == kRle8 || h.compression == kRle4) {
        if (pixels_at > r.size()) Fail("RLE data at an offset past the end of the file");
        std::size_t size = r.size() - pixels_at;
        if (h.size_image != 0) {
            if (h.size_image > size)
                Fail("RLE data of " + to_string(h.size_image) + " bytes, the file holds " +
                     to_string(size) + " after the headers");
            size = h.size_image;
        }
        DecodeRle(r, pixels_at, size, h.compression == kRle4, pal, out);
        return out;
    }

    const i64 stride = (h.width * h.bpp + 31) / 32 * 4;
    const i64 need = stride * h.height;
    if (!r.Has(pixels_at, static_cast<std::size_t>(need)))
        Fail("pixel data needs " + to_string(need) + " bytes at offset " + to_string(pixels_at) +
             ", the DIB has " + to_string(r.size()));
    const std::uint8_t* base = source.data.data() + pixels_at;
    bool any_alpha = false;
    for (i64 y = 0; y < h.height; ++y) {
        const std::uint8_t* row = base + (h.top_down ? y : h.height - 1 - y) * stride;
        for (i64 x = 0; x < h.width; ++x) {
            std::uint32_t c;
            switch (h.bpp) {
                case 1: c = pal.At((row[x >> 3] >> (7 - (x & 7))) & 1u); break;
                case 4: c = pal.At((row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0x0Fu); break;
                case 8: c = pal.At(row[x]); break;
                case 24:
                    c = 0xFF000000u | (row[x * 3 + 2] << 16) | (row[x * 3 + 1] << 8) | row[x * 3];
                    break;
                default: {
                    std::uint32_t p = row[x * (h.bpp / 8)] | (row[x * (h.bpp / 8) + 1] << 8);
                    if (h.bpp == 32)
                        p |= (static_cast<std::uint32_t>(row[x * 4 + 2]) << 16) |
                             (static_cast<std::uint32_t>(row[x * 4 + 3]) << 24);
                    c = 0xFF000000u | (red.Of(p) << 16) | (green.Of(p) << 8) | blue.Of(p);
                    // An icon's 32-bit entry keeps its own alpha byte.
                    if (source.icon && h.bpp == 32) {
                        const std::uint32_t a = row[x * 4 + 3];
                        any_alpha = any_alpha || a != 0;
                        c = (c & 0x00FFFFFFu) | (a << 24);
                    }
                }
            }
            Put(out, x, y, c);
        }
    }
    if (!source.icon) return out;

    // Icons: the AND mask follows, one bit per pixel, rows bottom-up. A 32-bit entry with
    // alpha of its own ignores the mask (as the system draws it) and may leave it out.
    const i64 mask_stride = (h.width + 31) / 32 * 4;
    const std::size_t mask_at = pixels_at + static_cast<std::size_t>(need);
    if (any_alpha) return out;
    if (!r.Has(mask_at, static_cast<std::size_t>(mask_stride * h.height)))
        Fail("the icon's AND mask runs past the end of its entry");
    for (i64 y = 0; y < h.height; ++y) {
        const std::uint8_t* row = source.data.data() + mask_at + (h.height - 1 - y) * mask_stride;
        for (i64 x = 0; x < h.width; ++x) {
            std::uint32_t& p = out.argb[static_cast<std::size_t>(y * h.width + x)];
            // Mask 1: the screen shows through. (Where the colour is not black as well the
            // system would invert the screen; a picture with alpha can only show it as
            // transparent.)
            p = ((row[x >> 3] >> (7 - (x & 7))) & 1u) ? 0u : (p | 0xFF000000u);
        }
    }
    return out;
}

Pixels DecodeBmpFile(Bytes file) {
    const Reader r(file);
    r.Need(0, 14, "the file header");
    const std::uint32_t offset = r.U32(10);
    if (offset < 14) Fail("pixel data at offset " + to_string(offset) + ", inside the file header");
    if (offset > file.size())
        Fail("pixel data at offset " + to_string(offset) + ", past the end of the file (" +
             to_string(file.size()) + " bytes)");
    return DecodeDib(DibSource{file.subspan(14), offset - 14u, false});
}

}  // namespace sheenwork::picture::detail
