// Redraw of a whole button on our raster. The same repaints through real GDI under
// Wine are timed by `make bench` in the same run.
#include <benchmark/benchmark.h>

#include <string>

#include "redraw_cases.h"

namespace {

using namespace sheenwork::bench;

void RunRedraw(benchmark::State& state, const RedrawCase& c, const RedrawSize& size, bool hover) {
    auto gdi = sheenwork::gdi::MakeRasterGdi();
    RedrawTarget target(*gdi, c, size, hover);
    for (auto _ : state) {
        target.Paint();
        benchmark::DoNotOptimize(target.Probe());
    }
}

void RunContent(benchmark::State& state, bool cold) {
    auto gdi = sheenwork::gdi::MakeRasterGdi();
    ContentTarget target(*gdi, cold);
    for (auto _ : state) {
        target.Paint();
        benchmark::DoNotOptimize(target.Probe());
    }
}
BENCHMARK_CAPTURE(RunContent, cached, false)->Name("raster/Redraw/caption-picture-cached/75x23");
BENCHMARK_CAPTURE(RunContent, cold, true)->Name("raster/Redraw/caption-picture-cold-glyphs/75x23");

const bool kRegistered = [] {
    for (const auto& size : kRedrawSizes)
        for (const auto& c : kRedrawCases)
            for (const bool hover : {false, true})
                benchmark::RegisterBenchmark(
                    (std::string("raster/Redraw/") + c.name + (hover ? "-hover/" : "/") + size.name)
                        .c_str(),
                    [&c, size, hover](benchmark::State& s) { RunRedraw(s, c, size, hover); });
    return true;
}();

}  // namespace
