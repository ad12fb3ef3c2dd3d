// Forms of 10 to 5 000 buttons: read from their text and loaded into the runtime, painted
// (the composed picture), and saved (described and written as text); the time per button
// is the figure to watch, and it should not grow with the form. 5 000 buttons of 90 x 26
// on their form come to some 26 million pixels of surface, within the 32 Mi a form may
// have; 10 000 would be refused.
#include <benchmark/benchmark.h>

#include <sheenwork/runtime/controls.h>
#include <sheenwork/runtime/form.h>
#include <sheenwork/runtime/form_file.h>

#include <sstream>
#include <string>

namespace {

using namespace sheenwork;
using namespace sheenwork::runtime;

// A form of `n` buttons in rows of 100, every tenth one with a few properties of its own.
std::string FormText(int n) {
    std::ostringstream s;
    const int rows = (n + 99) / 100;
    s << "Begin Form frmMany\n    Width = " << 100 * 95 + 10 << "\n    Height = " << rows * 30 + 10
      << "\n";
    for (int i = 0; i < n; ++i) {
        s << "    Begin Sheenwork.sheenButton b" << i << "\n        Left = " << 10 + (i % 100) * 95
          << "\n        Top = " << 10 + (i / 100) * 30
          << "\n        Width = 90\n        Height = 26\n        TabIndex = " << i
          << "\n        Caption = \"Button " << i << "\"\n";
        if (i % 10 == 0) s << "        ColorStyle = 1\n        DropDown = True\n";
        s << "    End\n";
    }
    s << "End\n";
    return s.str();
}

void LoadPaintSave(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const std::string text = FormText(n);
    auto gdi = gdi::MakeRasterGdi();
    for (auto _ : state) {
        VirtualClock clock;
        Runtime rt(clock, *gdi, LinkedControls());
        const FormFile file = ParseFormFile(text, "many.sfm");
        Form& form = LoadForm(rt, file);
        const auto pixels = form.Compose();
        benchmark::DoNotOptimize(pixels.data());
        const std::string saved = FormatFormFile(DescribeForm(form), "many.sfm");
        benchmark::DoNotOptimize(saved.data());
    }
    state.counters["per button"] =
        benchmark::Counter(static_cast<double>(n), benchmark::Counter::kIsIterationInvariantRate |
                                                       benchmark::Counter::kInvert);
}
BENCHMARK(LoadPaintSave)
    ->Name("formfile/load-paint-save")
    ->Arg(10)
    ->Arg(100)
    ->Arg(1000)
    ->Arg(5000)
    ->Unit(benchmark::kMillisecond);

}  // namespace
