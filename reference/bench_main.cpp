// The benchmark operations on real GDI (run under Wine): a plain timing loop, as Google
// Benchmark is not built for Windows here. Prints one line per operation in the same
// naming as the raster benchmarks so that the two tables can be read side by side.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <vector>
#include <string>

#include "../bench/ops.h"
#include "../bench/redraw_cases.h"
#include "../src/platform/gdi/win32/win32_gdi.h"

namespace {

// Runs `op` in batches that grow until one lasts at least 0.2 s, like Google Benchmark;
// returns nanoseconds per call and the batch size in `iterations`.
template <class Op, class Probe>
double TimeLoop(const LARGE_INTEGER& frequency, long long& iterations, Op op, Probe probe) {
    iterations = 1;
    double seconds = 0;
    for (;;) {
        LARGE_INTEGER start, stop;
        QueryPerformanceCounter(&start);
        for (long long i = 0; i < iterations; ++i) op();
        volatile auto seen = probe();
        (void)seen;
        QueryPerformanceCounter(&stop);
        seconds = double(stop.QuadPart - start.QuadPart) / double(frequency.QuadPart);
        if (seconds >= 0.2 || iterations >= (1LL << 30)) break;
        iterations *= seconds < 0.02 ? 10 : 2;
    }
    return seconds * 1e9 / static_cast<double>(iterations);
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
                HICON icon = CreateIconFromResourceEx(entry.data(), static_cast<DWORD>(entry.size()),
                                                      TRUE, 0x00030000, 32, 32, 0);
                DestroyIcon(icon);
            },
            [&] { return 0; });
        std::printf("%-40s %11.0f ns %12lld\n", "wine/picture/CreateIconFromResource32", load_ns,
                    iterations_out);
        HICON icon = CreateIconFromResourceEx(entry.data(), static_cast<DWORD>(entry.size()), TRUE,
                                              0x00030000, 32, 32, 0);
        const double draw_ns = TimeLoop(
            frequency, iterations_out, [&] { DrawIconEx(screen, 22, -4, icon, 32, 32, 0, nullptr, DI_NORMAL); },
            [&] { return GetPixel(screen, 37, 11); });
        std::printf("%-40s %11.0f ns %12lld\n", "wine/DrawIconEx-icon32/75x23", draw_ns, iterations_out);
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
        std::printf("%-40s %11.0f ns %12lld\n", "wine/AlphaBlend-32x23/75x23", blend_ns, iterations_out);
        SelectObject(src, old_src);
        SelectObject(dest, old_dest);
        gdi->DeleteObject(bitmap);
        gdi->DeleteObject(dest_bitmap);
        DeleteDC(src);
        DeleteDC(dest);
    }
    return 0;
}
