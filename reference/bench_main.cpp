// The benchmark operations on real GDI (run under Wine): a plain timing loop, as Google
// Benchmark is not built for Windows here. Prints one line per operation in the same
// naming as the raster benchmarks so that the two tables can be read side by side.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "../bench/ops.h"
#include "../bench/redraw_cases.h"
#include "../src/platform/gdi/win32/win32_gdi.h"

// <windows.h> maps these to their A/W forms; here they name the Gdi interface's calls.
#undef CreateFontIndirect
#undef GetTextFace

namespace {

// Runs `op` in batches that grow until one lasts at least 0.2 s, like Google Benchmark,
// then times two more batches of that size; returns the median nanoseconds per call of
// the three and the batch size in `iterations`. The machine may be shared: one batch
// alone can catch another process's burst.
template <class Op, class Probe>
double TimeLoop(const LARGE_INTEGER& frequency, long long& iterations, Op op, Probe probe) {
    const auto batch = [&] {
        LARGE_INTEGER start, stop;
        QueryPerformanceCounter(&start);
        for (long long i = 0; i < iterations; ++i) op();
        volatile auto seen = probe();
        (void)seen;
        QueryPerformanceCounter(&stop);
        return double(stop.QuadPart - start.QuadPart) / double(frequency.QuadPart);
    };
    iterations = 1;
    double seconds = 0;
    for (;;) {
        seconds = batch();
        if (seconds >= 0.2 || iterations >= (1LL << 30)) break;
        iterations *= seconds < 0.02 ? 10 : 2;
    }
    double runs[3] = {seconds, batch(), batch()};
    std::sort(runs, runs + 3);
    return runs[1] * 1e9 / static_cast<double>(iterations);
}

// Makes the DejaVu faces known to this session, as the reference runner does: a fresh
// Wine prefix has not registered them, and the text timings use DejaVu Sans.
int AddDejaVuFonts() {
    const std::string folder = "Z:\\usr\\share\\fonts\\truetype\\dejavu\\";
    int added = 0;
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA((folder + "*.ttf").c_str(), &found);
    if (h == INVALID_HANDLE_VALUE) return 0;
    do {
        added += AddFontResourceExA((folder + found.cFileName).c_str(), FR_PRIVATE, nullptr) > 0;
    } while (FindNextFileA(h, &found));
    FindClose(h);
    return added;
}

// The caption timings of bench/text_bench.cpp: "&Speichern" in DejaVu Sans at 13 px,
// centred with word breaks on a 75 x 23 surface, with a font used for the first time,
// with a warm one, and its DT_CALCRECT measure alone.
void TimeText(sheenwork::gdi::Gdi& gdi, const LARGE_INTEGER& frequency) {
    if (AddDejaVuFonts() == 0) {
        std::fprintf(stderr, "sheenwork-reference-bench: no DejaVu font files found to add\n");
        return;
    }
    using sheenwork::gdi::Hgdiobj;
    const char* const caption = "&Speichern";
    const unsigned format = DT_CENTER | DT_WORDBREAK;
    auto font_of = [](int variant) {
        sheenwork::gdi::LogFont lf;
        lf.lfHeight = -13;
        lf.lfQuality = ANTIALIASED_QUALITY;
        // Variants that name the same face at the same size but are different logical
        // fonts to GDI, whose cache compares the whole LOGFONT: the family bits of
        // lfPitchAndFamily and the clip precision, neither of which changes the face
        // chosen for a face name that is installed.
        lf.lfPitchAndFamily = static_cast<std::uint8_t>((variant % 6) << 4);
        lf.lfClipPrecision = static_cast<std::uint8_t>((variant / 6) % 3);
        std::strcpy(lf.lfFaceName, "DejaVu Sans");
        return lf;
    };
    const sheenwork::gdi::Hdc dc = gdi.CreateCompatibleDC(nullptr);
    const Hgdiobj bitmap = gdi.CreateSurfaceBitmap(75, 23);
    const Hgdiobj old_bitmap = gdi.SelectObject(dc, bitmap);
    HDC hdc = reinterpret_cast<HDC>(dc);
    const RECT all{0, 0, 75, 23};
    HBRUSH face = CreateSolidBrush(0x00D8E9EC);
    FillRect(hdc, &all, face);
    DeleteObject(face);
    SetBkMode(hdc, TRANSPARENT);
    SetTextColor(hdc, 0);
    long long iterations_out = 0;
    auto draw = [&] {
        sheenwork::gdi::Rect r{0, 0, 75, 23};
        return gdi.DrawTextA(dc, caption, -1, &r, format);
    };

    // 18 variants, more than the 10 unused fonts GDI keeps: by the time a variant comes
    // round again it has been released, so every iteration realises the font and
    // renders its glyphs afresh.
    for (int v = 0; v < 18; ++v) {
        Hgdiobj f = gdi.CreateFontIndirect(font_of(v));
        Hgdiobj old = gdi.SelectObject(dc, f);
        if (gdi.GetTextFace(dc) != "DejaVu Sans")
            std::fprintf(stderr, "sheenwork-reference-bench: variant %d is drawn with %s\n", v,
                         gdi.GetTextFace(dc).c_str());
        gdi.SelectObject(dc, old);
        gdi.DeleteObject(f);
    }
    int variant = 0;
    const double first_ns = TimeLoop(
        frequency, iterations_out,
        [&] {
            Hgdiobj f = gdi.CreateFontIndirect(font_of(variant++ % 18));
            Hgdiobj old = gdi.SelectObject(dc, f);
            draw();
            gdi.SelectObject(dc, old);
            gdi.DeleteObject(f);
        },
        [&] { return GetPixel(hdc, 37, 11); });
    std::printf("%-40s %11.0f ns %12lld\n", "wine/Text/DrawText-first/75x23", first_ns,
                iterations_out);

    Hgdiobj font = gdi.CreateFontIndirect(font_of(0));
    Hgdiobj old_font = gdi.SelectObject(dc, font);
    draw();
    const double cached_ns =
        TimeLoop(frequency, iterations_out, draw, [&] { return GetPixel(hdc, 37, 11); });
    std::printf("%-40s %11.0f ns %12lld\n", "wine/Text/DrawText-cached/75x23", cached_ns,
                iterations_out);
    const double calc_ns = TimeLoop(
        frequency, iterations_out,
        [&] {
            sheenwork::gdi::Rect r{0, 0, 72, 0};
            gdi.DrawTextA(dc, caption, -1, &r, DT_CALCRECT | DT_WORDBREAK);
            return r.bottom;
        },
        [&] { return 0; });
    std::printf("%-40s %11.0f ns %12lld\n", "wine/Text/CalcRect/75x23", calc_ns, iterations_out);
    gdi.SelectObject(dc, old_font);
    gdi.DeleteObject(font);
    gdi.SelectObject(dc, old_bitmap);
    gdi.DeleteObject(bitmap);
    gdi.DeleteDC(dc);
}

}  // namespace

int main() {
    auto gdi = sheenwork::gdi::MakeWin32Gdi();
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    long long iterations_out = 0;
    std::printf("%-40s %14s %12s\n", "Benchmark (real GDI under Wine)", "Time", "Iterations");
    for (const auto& size : sheenwork::bench::kSizes)
        for (const auto& op : sheenwork::bench::kOps) {
            sheenwork::bench::Target target(*gdi, size.width, size.height);
            const double ns = TimeLoop(
                frequency, iterations_out, [&] { (target.*op.op)(); },
                [&] { return target.Probe(); });
            const std::string name = std::string("wine/") + op.name + "/" + size.name;
            std::printf("%-40s %11.0f ns %12lld\n", name.c_str(), ns, iterations_out);
        }
    // Whole repaints of the button, as bench/redraw_bench.cpp times them on our raster.
    for (const auto& size : sheenwork::bench::kRedrawSizes)
        for (const auto& c : sheenwork::bench::kRedrawCases)
            for (const bool hover : {false, true}) {
                sheenwork::bench::RedrawTarget target(*gdi, c, size, hover);
                const double ns = TimeLoop(
                    frequency, iterations_out, [&] { target.Paint(); },
                    [&] { return target.Probe(); });
                const std::string name =
                    std::string("wine/Redraw/") + c.name + (hover ? "-hover/" : "/") + size.name;
                std::printf("%-40s %11.0f ns %12lld\n", name.c_str(), ns, iterations_out);
            }
    // Pictures: a 32 x 32 32-bit icon made by the system from its resource bytes and
    // drawn with DrawIconEx, and the AlphaBlend that our PaintPicture uses, on 75 x 23.
    {
        std::vector<BYTE> entry(40 + 32 * 32 * 4 + 32 * 4, 0);
        BITMAPINFOHEADER header{};
        header.biSize = 40;
        header.biWidth = 32;
        header.biHeight = 64;
        header.biPlanes = 1;
        header.biBitCount = 32;
        std::memcpy(entry.data(), &header, sizeof header);
        for (int i = 0; i < 32 * 32; ++i) {
            const int x = i % 32, y = i / 32, d = (x - 16) * (x - 16) + (y - 16) * (y - 16);
            const BYTE a = d >= 256 ? 0 : static_cast<BYTE>(255 - d);
            const BYTE bgra[4] = {0x40, static_cast<BYTE>(y * 8), static_cast<BYTE>(x * 8), a};
            std::memcpy(entry.data() + 40 + i * 4, bgra, 4);
        }
        sheenwork::bench::Target target(*gdi, 75, 23);
        HDC screen = CreateCompatibleDC(nullptr);
        HBITMAP surface = CreateCompatibleBitmap(screen, 75, 23);
        HGDIOBJ old = SelectObject(screen, surface);
        const double load_ns = TimeLoop(
            frequency, iterations_out,
            [&] {
                HICON icon = CreateIconFromResourceEx(
                    entry.data(), static_cast<DWORD>(entry.size()), TRUE, 0x00030000, 32, 32, 0);
                DestroyIcon(icon);
            },
            [&] { return 0; });
        std::printf("%-40s %11.0f ns %12lld\n", "wine/picture/CreateIconFromResource32", load_ns,
                    iterations_out);
        HICON icon = CreateIconFromResourceEx(entry.data(), static_cast<DWORD>(entry.size()), TRUE,
                                              0x00030000, 32, 32, 0);
        const double draw_ns = TimeLoop(
            frequency, iterations_out,
            [&] { DrawIconEx(screen, 22, -4, icon, 32, 32, 0, nullptr, DI_NORMAL); },
            [&] { return GetPixel(screen, 37, 11); });
        std::printf("%-40s %11.0f ns %12lld\n", "wine/DrawIconEx-icon32/75x23", draw_ns,
                    iterations_out);
        DestroyIcon(icon);
        SelectObject(screen, old);
        DeleteObject(surface);
        DeleteDC(screen);

        std::vector<std::uint32_t> px(32 * 32, 0x80402010u);
        HDC dest = CreateCompatibleDC(nullptr);
        sheenwork::gdi::Hgdiobj dest_bitmap = gdi->CreateSurfaceBitmap(75, 23);
        HGDIOBJ old_dest = SelectObject(dest, reinterpret_cast<HGDIOBJ>(dest_bitmap));
        HDC src = CreateCompatibleDC(dest);
        sheenwork::gdi::Hgdiobj bitmap = gdi->CreateAlphaBitmap(32, 32, px.data());
        HGDIOBJ old_src = SelectObject(src, reinterpret_cast<HGDIOBJ>(bitmap));
        auto D = [](HDC h) { return reinterpret_cast<sheenwork::gdi::Hdc>(h); };
        const double blend_ns = TimeLoop(
            frequency, iterations_out,
            [&] {
                gdi->AlphaBlend(D(dest), 21, 0, 32, 23, D(src), 0, 4, 32, 23,
                                sheenwork::gdi::BlendFunction{});
            },
            [&] { return GetPixel(dest, 37, 11); });
        std::printf("%-40s %11.0f ns %12lld\n", "wine/AlphaBlend-32x23/75x23", blend_ns,
                    iterations_out);
        SelectObject(src, old_src);
        SelectObject(dest, old_dest);
        gdi->DeleteObject(bitmap);
        gdi->DeleteObject(dest_bitmap);
        DeleteDC(src);
        DeleteDC(dest);
    }
    TimeText(*gdi, frequency);
    // A default button with caption and masked picture, with warm and with cold glyphs,
    // as bench/redraw_bench.cpp times it (Verdana stands in as DejaVu Sans, which
    // TimeText has made known).
    for (const bool cold : {false, true}) {
        sheenwork::bench::ContentTarget target(*gdi, cold);
        const double ns = TimeLoop(
            frequency, iterations_out, [&] { target.Paint(); }, [&] { return target.Probe(); });
        std::printf("%-40s %11.0f ns %12lld\n",
                    cold ? "wine/Redraw/caption-picture-cold-glyphs/75x23"
                         : "wine/Redraw/caption-picture-cached/75x23",
                    ns, iterations_out);
    }
    return 0;
}
