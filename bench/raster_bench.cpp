// Our raster's primitives on a button-sized and a screen-sized bitmap. The same
// operations through real GDI under Wine are timed by `make bench` in the same run.
#include <benchmark/benchmark.h>

#include <string>

#include "ops.h"

namespace {

void RunOp(benchmark::State& state, sheenwork::bench::Size size, sheenwork::bench::Op op) {
    auto gdi = sheenwork::gdi::MakeRasterGdi();
    sheenwork::bench::Target target(*gdi, size.width, size.height);
    for (auto _ : state) {
        (target.*op)();
        benchmark::DoNotOptimize(target.Probe());
    }
    state.SetItemsProcessed(state.iterations());
}

const bool kRegistered = [] {
    for (const auto& size : sheenwork::bench::kSizes)
        for (const auto& op : sheenwork::bench::kOps)
            benchmark::RegisterBenchmark(
                (std::string("raster/") + op.name + "/" + size.name).c_str(),
                [size, op](benchmark::State& s) { RunOp(s, size, op.op); });
    return true;
}();

}  // namespace
