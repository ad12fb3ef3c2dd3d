// Redraw of a whole button on our raster. The same repaints through real GDI under
// Wine are timed by `make bench` in the same run.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>

#include "redraw_cases.h"

// Every allocation of the process is counted, so that a repaint's row can show how many
// it makes. The raster and the layout keep their working memory, so a warm repaint makes
// two: the copy of the caption's font the button hands its surface (setting a surface's
// font copies it), and the recording site's entry for that call.
std::atomic<long long> g_allocations{0};

void* Allocate(std::size_t n) {
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(n == 0 ? 1 : n)) return p;
    throw std::bad_alloc();
}

namespace {

using namespace sheenwork::bench;

void RunRedraw(benchmark::State& state, const RedrawCase& c, const RedrawSize& size, bool hover) {
    auto gdi = sheenwork::gdi::MakeRasterGdi();
    RedrawTarget target(*gdi, c, size, hover);
    target.Paint();  // warm: fonts realised, spare objects and working memory in place
    const long long before = g_allocations.load();
    for (auto _ : state) {
        target.Paint();
        benchmark::DoNotOptimize(target.Probe());
    }
    state.counters["allocs"] = benchmark::Counter(
        static_cast<double>(g_allocations.load() - before), benchmark::Counter::kAvgIterations);
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

void* operator new(std::size_t n) { return Allocate(n); }
void* operator new[](std::size_t n) { return Allocate(n); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
