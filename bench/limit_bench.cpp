// The physical limit of the raster's whole-surface work: memset and memcpy of a surface
// of the same size, and for a repaint the floor of two memsets (the clear and the
// body's fill, which every look paints over the whole surface). `make bench` prints
// each beside our figure and real GDI's.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "ops.h"
#include "redraw_cases.h"

namespace {

using sheenwork::gdi::ColorRef;

std::size_t Bytes(int width, int height) {
    return static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * sizeof(ColorRef);
}

void Memset(benchmark::State& state, int width, int height, int times) {
    std::vector<ColorRef> surface(static_cast<std::size_t>(width) * height);
    unsigned char value = 0;
    for (auto _ : state) {
        for (int i = 0; i < times; ++i) std::memset(surface.data(), ++value, Bytes(width, height));
        benchmark::DoNotOptimize(surface.data());
        benchmark::ClobberMemory();
    }
}

void Memcpy(benchmark::State& state, int width, int height) {
    std::vector<ColorRef> from(static_cast<std::size_t>(width) * height, 0x00D7E0E0u);
    std::vector<ColorRef> to(from.size());
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), Bytes(width, height));
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
}

const bool kRegistered = [] {
    for (const auto& size : sheenwork::bench::kSizes) {
        const int w = size.width, h = size.height;
        benchmark::RegisterBenchmark((std::string("limit/memset/") + size.name).c_str(),
                                     [w, h](benchmark::State& s) { Memset(s, w, h, 1); });
        benchmark::RegisterBenchmark((std::string("limit/memcpy/") + size.name).c_str(),
                                     [w, h](benchmark::State& s) { Memcpy(s, w, h); });
    }
    for (const auto& size : sheenwork::bench::kRedrawSizes) {
        const int w = size.width, h = size.height;
        benchmark::RegisterBenchmark((std::string("limit/2xmemset/") + size.name).c_str(),
                                     [w, h](benchmark::State& s) { Memset(s, w, h, 2); });
    }
    return true;
}();

}  // namespace
