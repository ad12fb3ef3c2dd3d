// The form runtime with real buttons: one hover tick, a press-release-click cycle with its
// repaints, and a form of 100 buttons with the pointer resting on one for a virtual
// second (ticks and repaints counted).
#include <benchmark/benchmark.h>

#include <sheenwork/control/sheenButton.h>
#include <sheenwork/runtime/controls.h>
#include <sheenwork/runtime/form.h>

#include "render/redraw.h"

namespace {

using namespace sheenwork;
using namespace sheenwork::runtime;

// The default painters, counting whole repaints (each paints one body).
struct CountingPainters : Painters {
    mutable long bodies = 0;
    void XPBody(PaintContext& c) const override {
        ++bodies;
        DefaultPainters()->XPBody(c);
    }
};

struct FormBench {
    explicit FormBench(int buttons) : runtime(clock, *gdi, LinkedControls()) {
        form = &runtime.CreateForm("Form1", {0, 0}, {1000, 400});
        painters = std::make_shared<CountingPainters>();
        for (int i = 0; i < buttons; ++i) {
            const int x = 10 + (i % 10) * 95, y = 10 + (i / 10) * 35;
            Window& w =
                form->Add("Sheenwork.sheenButton", "b" + std::to_string(i), {x, y}, {90, 26});
            w.Native<sheenButton>()->SetPainters(painters);
        }
        // Pointer on the first button, seen by its timer, entered.
        runtime.MouseMove({30, 20});
        runtime.Advance(Millis(10));
        runtime.MouseMove({31, 20});
    }
    VirtualClock clock;
    std::unique_ptr<gdi::Gdi> gdi = gdi::MakeRasterGdi();
    Runtime runtime;
    Form* form = nullptr;
    std::shared_ptr<CountingPainters> painters;
};

void HoverTick(benchmark::State& state) {
    FormBench b(1);
    for (auto _ : state) b.runtime.Advance(Millis(10));  // exactly one tick
}
BENCHMARK(HoverTick)->Name("runtime/hover-tick");

void PressReleaseClick(benchmark::State& state) {
    FormBench b(1);
    long clicks = 0;
    struct Count : sheenButtonEvents {
        long* n;
        void Click() override { ++*n; }
    } sink;
    sink.n = &clicks;
    b.form->Find("b0")->Native<sheenButton>()->EventSink(&sink);
    const long before = b.painters->bodies;
    for (auto _ : state) {
        b.runtime.MouseDown(1);
        b.runtime.MouseUp(1);
    }
    state.counters["repaints/cycle"] =
        static_cast<double>(b.painters->bodies - before) / static_cast<double>(state.iterations());
    state.counters["clicks/cycle"] =
        static_cast<double>(clicks) / static_cast<double>(state.iterations());
}
BENCHMARK(PressReleaseClick)->Name("runtime/press-release-click");

// 100 buttons, the pointer resting on one: each iteration is one virtual second. Only
// the button under the pointer polls; resting costs no repaint.
void RestingPointer(benchmark::State& state) {
    FormBench b(100);
    long ticks = 0;
    const long before = b.painters->bodies;
    for (auto _ : state) {
        const Millis start = b.clock.Now();
        for (Millis t = start; t < start + Millis(1000); t += Millis(10)) {
            b.runtime.Advance(Millis(10));
            ++ticks;
        }
    }
    state.counters["ticks/s"] =
        static_cast<double>(ticks) / static_cast<double>(state.iterations());
    state.counters["repaints/s"] =
        static_cast<double>(b.painters->bodies - before) / static_cast<double>(state.iterations());
    state.counters["time/tick"] = benchmark::Counter(
        static_cast<double>(ticks), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(RestingPointer)->Name("runtime/100-buttons-resting-1s")->Unit(benchmark::kMicrosecond);

}  // namespace
