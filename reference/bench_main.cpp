// The benchmark operations on real GDI (run under Wine): a plain timing loop, as Google
// Benchmark is not built for Windows here. Prints one line per operation in the same
// naming as the raster benchmarks so that the two tables can be read side by side.
#include <windows.h>

#include <cstdio>
#include <string>

#include "../bench/ops.h"
#include "../src/platform/gdi/win32/win32_gdi.h"

int main() {
    auto gdi = sheenwork::gdi::MakeWin32Gdi();
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    std::printf("%-40s %14s %12s\n", "Benchmark (real GDI under Wine)", "Time", "Iterations");
    for (const auto& size : sheenwork::bench::kSizes)
        for (const auto& op : sheenwork::bench::kOps) {
            sheenwork::bench::Target target(*gdi, size.width, size.height);
            // Grow the batch until it runs for at least 0.2 s, like Google Benchmark.
            long long iterations = 1;
            double seconds = 0;
            for (;;) {
                LARGE_INTEGER start, stop;
                QueryPerformanceCounter(&start);
                for (long long i = 0; i < iterations; ++i) (target.*op.op)();
                volatile auto probe = target.Probe();
                (void)probe;
                QueryPerformanceCounter(&stop);
                seconds = double(stop.QuadPart - start.QuadPart) / double(frequency.QuadPart);
                if (seconds >= 0.2 || iterations >= (1LL << 30)) break;
                iterations *= seconds < 0.02 ? 10 : 2;
            }
            const std::string name = std::string("wine/") + op.name + "/" + size.name;
            std::printf("%-40s %11.0f ns %12lld\n", name.c_str(), seconds * 1e9 / iterations,
                        iterations);
        }
    return 0;
}
