// The benchmark operations on real GDI (run under Wine): a plain timing loop, as Google
// Benchmark is not built for Windows here. Prints one line per operation in the same
// naming as the raster benchmarks so that the two tables can be read side by side.
#include <windows.h>

#include <cstdio>
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
    return 0;
}
