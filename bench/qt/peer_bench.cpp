// Our Redraw beside Qt 6's own QPushButton painted by its Fusion and Windows styles, the
// same buttons at the same sizes, in one process. `make bench` prints the table
// (bench/peer_report.sh).
//
// Qt's side is what QPushButton's paint event does, into a premultiplied ARGB32 image: a
// painter begun on the image, the style option of the widget's state, and the style's
// CE_PushButton (bevel, label, menu arrow, focus). Fusion keeps each body it paints in
// Qt's pixmap cache and copies it at later paints; every case is painted once before it
// is timed, so that cache is warm, as are our text engine's and Qt's glyph caches.
//
// The three sides are interleaved: each round paints a batch of each side in turn,
// starting with another side every round, and keeps the time per paint of each batch.
// A case's figures are the medians of its batches, so that a burst of another process
// on a shared machine hits the three alike and drops out of the medians.
#include <benchmark/benchmark.h>

#include <sheenwork/control/sheenButton.h>
#include <sheenwork/runtime/controls.h>
#include <sheenwork/runtime/form.h>
#include <sheenwork/vb/stdfont.h>
#include <sheenwork/vb/stdpicture.h>

#include <QApplication>
#include <QIcon>
#include <QImage>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QStyle>
#include <QStyleFactory>
#include <QStyleOptionButton>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace sheenwork;

enum class Look { XP, Office, Browser };
enum class Press { Rest, Hover, Pressed };

// A row of the table. Qt has no Office or browser-toolbar look of its push button: those
// rows are Qt's hovered push button, the same work for its style as its XP-look row.
struct PeerCase {
    const char* name;
    Look look;
    Press press;
    bool caption, picture, drop_down;
};
constexpr PeerCase kCases[] = {
    {"xp", Look::XP, Press::Rest, false, false, false},
    {"xp-hover", Look::XP, Press::Hover, false, false, false},
    {"xp-pressed", Look::XP, Press::Pressed, false, false, false},
    {"xp-caption", Look::XP, Press::Rest, true, false, false},
    {"xp-picture-caption", Look::XP, Press::Rest, true, true, false},
    {"office-hover", Look::Office, Press::Hover, false, false, false},
    {"browser-hover", Look::Browser, Press::Hover, false, false, false},
    {"xp-drop-down", Look::XP, Press::Rest, false, false, true},
    {"xp-drop-down-caption", Look::XP, Press::Rest, true, false, true},
};
struct PeerSize {
    const char* name;
    int width, height;
};
constexpr PeerSize kSizes[] = {{"75x23", 75, 23}, {"300x100", 300, 100}};

constexpr const char* kCaption = "&Speichern";

// A 16 x 16 picture, mostly blue with a pattern of magenta: ours draws it with magenta as
// its mask colour, Qt as an icon whose magenta pixels are transparent.
std::vector<std::uint32_t> PicturePixels() {
    std::vector<std::uint32_t> px(16 * 16);
    for (int i = 0; i < 16 * 16; ++i)
        px[i] = ((i % 16) ^ (i / 16)) % 5 == 0 ? 0xFFFF00FFu : 0xFF3060C0u + (i & 0x3F);
    return px;
}

// Our button on a form of the headless runtime, the host every program runs it in.
class Ours {
public:
    Ours(const PeerCase& c, const PeerSize& size)
        : runtime_(clock_, *gdi_, runtime::LinkedControls()) {
        runtime::Form& form =
            runtime_.CreateForm("Form1", {0, 0}, {size.width + 20, size.height + 20});
        runtime::Window& window =
            form.Add("Sheenwork.sheenButton", "b", {10, 10}, {size.width, size.height});
        surface_ = &window.Surface();
        button_ = window.Native<sheenButton>();
        sheenButton& b = *button_;
        b.ButtonStyle(c.look == Look::XP       ? cButtonWinXP
                      : c.look == Look::Office ? cButtonOffice
                                               : cButtonIExplorer);
        b.ColorStyle(cXPBlue);
        // Verdana resolves to DejaVu Sans at 13 pixels, the font Qt's side is given.
        b.Font(std::make_shared<vb::StdFont>("Verdana", 9.75));
        b.Caption(c.caption ? kCaption : "");
        if (c.picture) {
            b.Picture(std::make_shared<vb::StdPicture>(16, 16, PicturePixels()));
            b.PictureAlign(cLinks_Mitte);
            b.MaskColor(0x00FF00FF);
            b.UseMaskColor(vb::True);
        }
        if (c.drop_down) b.DropDown(vb::True);
        ButtonRecord& r = b.Record();
        r.bMouseOver = vb::Boolean(c.press != Press::Rest);
        if (c.press == Press::Pressed) r.sState = "down";
        Paint();
    }
    void Paint() { button_->Redraw(0); }
    std::uint32_t Probe() { return surface_->Gdi().GetPixel(surface_->hDC(), 5, 5); }

private:
    runtime::VirtualClock clock_;
    std::unique_ptr<gdi::Gdi> gdi_ = gdi::MakeRasterGdi();
    runtime::Runtime runtime_;
    host::Surface* surface_ = nullptr;
    std::shared_ptr<sheenButton> button_;
};

// QPushButton with its style option at hand, as its paint event takes it.
class PeerButton : public QPushButton {
public:
    using QPushButton::initStyleOption;
};

class Theirs {
public:
    Theirs(QStyle* style, const PeerCase& c, const PeerSize& size)
        : image_(size.width, size.height, QImage::Format_ARGB32_Premultiplied),
          style_(style),
          hover_(c.press == Press::Hover) {
        image_.fill(Qt::transparent);
        button_.setStyle(style);
        button_.resize(size.width, size.height);
        QFont font("DejaVu Sans");
        font.setPixelSize(13);
        button_.setFont(font);
        if (c.caption) button_.setText(kCaption);
        if (c.picture) {
            QImage icon(16, 16, QImage::Format_ARGB32);
            const auto px = PicturePixels();
            for (int i = 0; i < 16 * 16; ++i)
                icon.setPixel(i % 16, i / 16, px[i] == 0xFFFF00FFu ? 0u : px[i]);
            button_.setIcon(QIcon(QPixmap::fromImage(icon)));
            button_.setIconSize(QSize(16, 16));
        }
        if (c.drop_down) button_.setMenu(&menu_);
        button_.setDown(c.press == Press::Pressed);
        if (c.press == Press::Pressed) hover_ = true;
        Paint();
    }
    void Paint() {
        QPainter painter(&image_);
        QStyleOptionButton option;
        button_.initStyleOption(&option);
        if (hover_) option.state |= QStyle::State_MouseOver;
        style_->drawControl(QStyle::CE_PushButton, &option, &painter, &button_);
    }
    std::uint32_t Probe() const { return image_.pixel(5, 5); }

private:
    QImage image_;
    QStyle* style_;
    bool hover_;
    QMenu menu_;
    PeerButton button_;
};

double Median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2), v.end());
    return v[v.size() / 2];
}

QStyle* Style(const char* name) {
    static std::array<std::unique_ptr<QStyle>, 2> styles;
    auto& slot = styles[name[0] == 'F' ? 0 : 1];
    if (!slot) {
        slot.reset(QStyleFactory::create(name));
        if (!slot) {
            std::fprintf(stderr, "sheenwork_qt_bench: Qt has no %s style\n", name);
            std::exit(1);
        }
    }
    return slot.get();
}

// One round: a batch of each side, each batch timed on its own.
constexpr int kBatch = 16;

void RunPeer(benchmark::State& state, const PeerCase& c, const PeerSize& size) {
    Ours ours(c, size);
    Theirs fusion(Style("Fusion"), c, size), windows(Style("Windows"), c, size);
    std::array<std::vector<double>, 3> samples;
    std::uint32_t seen = 0;
    const auto batch = [&](int side) {
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < kBatch; ++i) {
            if (side == 0)
                ours.Paint();
            else if (side == 1)
                fusion.Paint();
            else
                windows.Paint();
        }
        seen += side == 0 ? ours.Probe() : side == 1 ? fusion.Probe() : windows.Probe();
        const std::chrono::duration<double, std::nano> took =
            std::chrono::steady_clock::now() - start;
        samples[side].push_back(took.count() / kBatch);
    };
    int round = 0;
    for (auto _ : state) {
        for (int k = 0; k < 3; ++k) batch((round + k) % 3);
        ++round;
    }
    benchmark::DoNotOptimize(seen);
    const double o = Median(samples[0]), f = Median(samples[1]), w = Median(samples[2]);
    state.counters["ours_ns"] = o;
    state.counters["fusion_ns"] = f;
    state.counters["windows_ns"] = w;
    state.counters["fusion_per_ours"] = o > 0 ? f / o : 0;
    state.counters["windows_per_ours"] = o > 0 ? w / o : 0;
}

}  // namespace

int main(int argc, char** argv) {
    // No display is needed: Qt paints into images.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    for (const auto& size : kSizes)
        for (const auto& c : kCases)
            benchmark::RegisterBenchmark((std::string("peer/") + c.name + "/" + size.name).c_str(),
                                         [&c, &size](benchmark::State& s) { RunPeer(s, c, size); })
                ->Unit(benchmark::kMicrosecond);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
