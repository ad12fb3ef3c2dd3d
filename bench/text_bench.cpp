// Text on our raster: the caption of a typical button ("&Speichern", 13 px, centred with
// word breaks on 75 x 23) drawn with a font used for the first time, with a family name
// used for the first time and with a warm font, and its DT_CALCRECT measure alone. `make bench`
// times the same DrawTextA calls on real GDI under Wine (reference/bench_main.cpp).
#include <benchmark/benchmark.h>

#include <sheenwork/gdi/gdi.h>

#include <cstring>
#include <string>

namespace {

using namespace sheenwork::gdi;

constexpr const char* kCaption = "&Speichern";
constexpr unsigned kFormat = DT_CENTER | DT_WORDBREAK;

LogFont Caption(const std::string& face) {
    LogFont lf;
    lf.lfHeight = -13;
    lf.lfQuality = ANTIALIASED_QUALITY;
    std::strncpy(lf.lfFaceName, face.c_str(), kLfFaceSize - 1);
    return lf;
}

class Button {
public:
    explicit Button(Gdi& g) : g_(g) {
        dc_ = g.CreateCompatibleDC(nullptr);
        bitmap_ = g.CreateSurfaceBitmap(75, 23);
        old_bitmap_ = g.SelectObject(dc_, bitmap_);
        Hgdiobj face = g.CreateSolidBrush(0x00D8E9EC);
        const Rect all{0, 0, 75, 23};
        g.FillRect(dc_, &all, face);
        g.DeleteObject(face);
        g.SetBkMode(dc_, TRANSPARENT);
        g.SetTextColor(dc_, 0x00000000);
    }
    ~Button() {
        g_.SelectObject(dc_, old_bitmap_);
        g_.DeleteObject(bitmap_);
        g_.DeleteDC(dc_);
    }
    Button(const Button&) = delete;
    Button& operator=(const Button&) = delete;

    Hdc dc() const { return dc_; }

private:
    Gdi& g_;
    Hdc dc_ = nullptr;
    Hgdiobj bitmap_ = nullptr, old_bitmap_ = nullptr;
};

// First use of a font, as real GDI's row times it: a new logical font for a face the
// process has already looked up ("Verdana", which resolves through fontconfig to the
// stand-in DejaVu Sans), so that the size, the metrics and the nine glyphs are realised
// afresh. The engine keeps the 64 most recently realised fonts; before each iteration,
// untimed, 64 other sizes push the caption's font out, as real GDI's 18 variants cycle
// past its cache of 10.
void DrawTextFirst(benchmark::State& state) {
    auto g = MakeRasterGdi();
    Button button(*g);
    const auto realize = [&](int height) {
        LogFont lf = Caption("Verdana");
        lf.lfHeight = height;
        Hgdiobj font = g->CreateFontIndirect(lf);
        Hgdiobj old = g->SelectObject(button.dc(), font);
        TextMetric tm;
        g->GetTextMetrics(button.dc(), &tm);
        g->SelectObject(button.dc(), old);
        g->DeleteObject(font);
    };
    realize(-13);  // the family's lookup, once per process
    for (auto _ : state) {
        state.PauseTiming();
        for (int height = -20; height > -84; --height) realize(height);
        state.ResumeTiming();
        Hgdiobj font = g->CreateFontIndirect(Caption("Verdana"));
        Hgdiobj old = g->SelectObject(button.dc(), font);
        Rect r{0, 0, 75, 23};
        benchmark::DoNotOptimize(g->DrawTextA(button.dc(), kCaption, -1, &r, kFormat));
        g->SelectObject(button.dc(), old);
        g->DeleteObject(font);
    }
}
BENCHMARK(DrawTextFirst)->Name("Text/DrawText-first/75x23")->Iterations(300);

// First use of a family name: each iteration asks for a face name never seen before
// ("Verdana 1", "Verdana 2", ...). None is installed, so each resolves through
// fontconfig to the same stand-in as "Verdana" (DejaVu Sans) at 13 px: the lookup, the
// metrics and the nine glyphs are all done afresh. The iteration count is fixed because
// every iteration leaves its font in the cache. Real GDI has no row of this: it looks
// names up in a table it builds once per process.
void DrawTextNewFamily(benchmark::State& state) {
    auto g = MakeRasterGdi();
    Button button(*g);
    static int serial = 0;
    for (auto _ : state) {
        Hgdiobj font = g->CreateFontIndirect(Caption("Verdana " + std::to_string(++serial)));
        Hgdiobj old = g->SelectObject(button.dc(), font);
        Rect r{0, 0, 75, 23};
        benchmark::DoNotOptimize(g->DrawTextA(button.dc(), kCaption, -1, &r, kFormat));
        g->SelectObject(button.dc(), old);
        g->DeleteObject(font);
    }
}
BENCHMARK(DrawTextNewFamily)->Name("Text/DrawText-new-family/75x23")->Iterations(300);

// The font is realised and its glyphs cached: what every later repaint pays.
void DrawTextCached(benchmark::State& state) {
    auto g = MakeRasterGdi();
    Button button(*g);
    Hgdiobj font = g->CreateFontIndirect(Caption("Verdana"));
    Hgdiobj old = g->SelectObject(button.dc(), font);
    Rect warm{0, 0, 75, 23};
    g->DrawTextA(button.dc(), kCaption, -1, &warm, kFormat);
    for (auto _ : state) {
        Rect r{0, 0, 75, 23};
        benchmark::DoNotOptimize(g->DrawTextA(button.dc(), kCaption, -1, &r, kFormat));
    }
    g->SelectObject(button.dc(), old);
    g->DeleteObject(font);
}
BENCHMARK(DrawTextCached)->Name("Text/DrawText-cached/75x23");

// The caption's measure, as the caption layout does it before drawing: (0, 0, 72, 0)
// with DT_CALCRECT | DT_WORDBREAK.
void CalcRect(benchmark::State& state) {
    auto g = MakeRasterGdi();
    Button button(*g);
    Hgdiobj font = g->CreateFontIndirect(Caption("Verdana"));
    Hgdiobj old = g->SelectObject(button.dc(), font);
    for (auto _ : state) {
        Rect r{0, 0, 72, 0};
        benchmark::DoNotOptimize(
            g->DrawTextA(button.dc(), kCaption, -1, &r, DT_CALCRECT | DT_WORDBREAK));
        benchmark::DoNotOptimize(r);
    }
    g->SelectObject(button.dc(), old);
    g->DeleteObject(font);
}
BENCHMARK(CalcRect)->Name("Text/CalcRect/75x23");

}  // namespace
