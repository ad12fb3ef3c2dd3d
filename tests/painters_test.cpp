// The painters. The caption and picture painters, WriteCaption and DrawImage, step by
// step: the DrawTextA calls they make (text, rectangle, flags and colour at the time of
// the call), where a picture goes and which one a state shows, the pixels they leave, the
// site's log and the error trap, as the cases of tests/data/paint/steps.txt and the
// one-line cases of captions.txt, pictures.txt and picture_states.txt say. The frame
// painters against models of their own: the gradient's kept bands and the pressed
// section's composition (input_test.cpp walks the hand-worked cases of
// tests/data/paint/frames.txt).
#include <gtest/gtest.h>

#include <sheenwork/control/enums.h>
#include <sheenwork/control/sheenButton.h>
#include <sheenwork/util/error.h>
#include <sheenwork/vb/stdpicture.h>
#include <sheenwork/vb/syscolors.h>

#include <array>
#include <map>
#include <memory>
#include <random>
#include <sstream>
#include <thread>

#include "button_scenes/button_scenes.h"
#include "render/basButton.h"
#include "render/redraw.h"
#include "scenes/scenes.h"
#include "support/button_fixture.h"
#include "support/data.h"
#include "support/forwarding_gdi.h"
#include "support/recording_services.h"
#include "support/recording_site.h"

namespace sheenwork {
namespace {

using gdi::ColorRef;
using testing::RecordingSite;

using TextCall = testing::RecordingGdi::Text;

// The pattern a picture button's surface holds before it paints.
ColorRef Beneath(int x, int y) { return gdi::Rgb(3 * x, 100 + 5 * y, 60); }

class Painting : public ::testing::Test {
protected:
    void SetUp() override { SetSilentError(vb::False); }
    void TearDown() override {
        SetSilentError(vb::False);
        SetStepProbe({});
    }

    void Make(int w, int h, bool picture) {
        site.reset();  // before the Gdi it draws through
        gdi = std::make_unique<testing::RecordingGdi>(*raster);
        site = std::make_unique<RecordingSite>(*gdi, w, h);
        rec = testing::NewInstanceRecord();
        if (picture) {
            rec.UseMaskColor = vb::False;
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) gdi->SetPixel(Surface().hDC(), x, y, Beneath(x, y));
            return;
        }
        rec.Caption = "OK";
        rec.Font = std::make_shared<vb::StdFont>("DejaVu Sans", 9.75);
        rec.FontOnMouseOver = std::make_shared<vb::StdFont>("DejaVu Sans", 12);
        rec.FontDown = std::make_shared<vb::StdFont>("DejaVu Sans", 7.5);
        rec.ForeColor = 0x000001;
        rec.ForeColorOver = 0x000002;
        rec.ForeColorDown = 0x000003;
        rec.ForeColorDis = 0x000004;
    }
    host::Surface& Surface() { return site->Surface(); }
    void Paint(bool caption) {
        gdi->texts.clear();
        PaintState ps;
        PaintContext c{rec, *site, Surface(), ps};
        if (caption) {
            Surface().BackColor(0xFFFFFF);
            DefaultPainters()->WriteCaption(c);
        } else {
            site->log.Clear();
            Painters{}.DrawImage(c);
        }
    }
    // The drawing calls, without the measurement.
    std::vector<TextCall> Draws() const {
        std::vector<TextCall> out;
        for (const auto& c : gdi->texts)
            if ((c.format & gdi::DT_CALCRECT) == 0) out.push_back(c);
        return out;
    }
    TextCall Draw() {
        const auto draws = Draws();
        EXPECT_EQ(draws.size(), 1u);
        return draws.empty() ? TextCall{} : draws.back();
    }
    // The columns and rows holding pixels other than white.
    gdi::Rect Ink() {
        const auto px = Surface().Pixels();
        const int w = static_cast<int>(Surface().ScaleWidth());
        gdi::Rect box{1 << 20, 1 << 20, -1, -1};
        for (std::size_t i = 0; i < px.size(); ++i)
            if (px[i] != 0xFFFFFF) {
                const int x = static_cast<int>(i) % w, y = static_cast<int>(i) / w;
                box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x + 1),
                       std::max(box.bottom, y + 1)};
            }
        return box;
    }
    // The pattern with `picture` (none: nothing) at (x0, y0) unscaled over it; masked, its
    // mask-colour pixels keep the pattern; blended, a pixel of alpha a shows a/255 of the
    // picture's and the rest of the pattern's.
    std::vector<ColorRef> With(const vb::StdPicture* picture, int x0, int y0,
                               const std::string& how) {
        std::vector<ColorRef> out;
        for (int y = 0; y < Surface().ScaleHeight(); ++y)
            for (int x = 0; x < Surface().ScaleWidth(); ++x) {
                const int px = x - x0, py = y - y0;
                ColorRef c = Beneath(x, y);
                if (picture != nullptr && px >= 0 && py >= 0 && px < picture->PixelWidth() &&
                    py < picture->PixelHeight()) {
                    const std::uint32_t p = picture->Pixel(px, py);
                    const int a = how == "blended" ? static_cast<int>(p >> 24) : 255;
                    const auto mix = [&](int shift) {
                        const int s = (p >> (16 - shift)) & 0xFF, d = (c >> shift) & 0xFF;
                        return d + (s - d) * a / 255;
                    };
                    if (how != "masked" || (p & 0xFFFFFFu) != 0xFF00FFu)
                        c = gdi::Rgb(mix(0), mix(8), mix(16));
                }
                out.push_back(c);
            }
        return out;
    }
    void Run(const testing::Row& steps);

    testing::RecordingServices services;  // reports land here instead of a message box
    std::unique_ptr<gdi::Gdi> raster = gdi::MakeRasterGdi();
    std::unique_ptr<testing::RecordingGdi> gdi;
    std::unique_ptr<RecordingSite> site;
    ButtonRecord rec;
};

void Painting::Run(const testing::Row& steps) {
    gdi::Rect kept{};
    int width = 0;
    for (const std::string& line : steps.cells) {
        SCOPED_TRACE(steps.where + ": " + line);
        const auto w = scenes::Split(line);
        if (w.empty()) continue;
        const auto n = [&](std::size_t i) { return static_cast<int>(scenes::Number(w.at(i))); };
        // EDGE OP VALUE against a rectangle; "+ N" is the kept rectangle's edge plus N.
        const auto edges = [&](const gdi::Rect& r) {
            const std::map<std::string, std::pair<int, int>> e = {
                {"left", {r.left, kept.left}},
                {"top", {r.top, kept.top}},
                {"right", {r.right, kept.right}},
                {"bottom", {r.bottom, kept.bottom}}};
            const auto [got, before] = e.at(w.at(1));
            const std::string& op = w.at(2);
            const int v = n(3);
            EXPECT_TRUE(op == "="    ? got == v
                        : op == "<=" ? got <= v
                        : op == "<"  ? got < v
                        : op == ">"  ? got > v
                                     : got == before + v)
                << got;
        };
        const auto picture = [&](const std::string& field) {
            const std::map<std::string, host::PictureRef> pictures = {
                {"Picture", rec.Picture},
                {"PictureOver", rec.PictureOver},
                {"PictureDown", rec.PictureDown},
                {"PictureDis", rec.PictureDis},
                {"none", nullptr}};
            return pictures.at(field);
        };
        if (w[0] == "case") {
            width = std::stoi(w.at(2));
            Make(width, std::stoi(w[2].substr(w[2].find('x') + 1)), w.size() > 3);
        } else if (w.size() > 2 && w[1] == "=" && w[2] == "Nothing") {
            (w[0] == "Font"       ? rec.Font
             : w[0] == "FontDown" ? rec.FontDown
                                  : rec.FontOnMouseOver) = nullptr;
        } else if (w.size() > 1 && w[1] == "=") {
            scenes::Assign(*site, rec, w);
        } else if (w[0] == "paint" || w[0] == "drawimage") {
            Paint(w[0] == "paint");
        } else if (w[0] == "draws") {
            EXPECT_EQ(Draws().size(), std::size_t(n(1)));
        } else if (w[0] == "draw") {  // draw I L T R B [COLOR]
            const auto draws = Draws();
            ASSERT_LT(std::size_t(n(1)), draws.size());
            EXPECT_EQ(draws[n(1)].rect, (RECT{n(2), n(3), n(4), n(5)}));
            if (w.size() > 6) {
                EXPECT_EQ(draws[n(1)].color, ColorRef(n(6)));
            }
        } else if (w[0] == "writes") {  // writes L T R B FORMAT [COLOR [HEIGHT]]
            ASSERT_EQ(gdi->texts.size(), 2u);
            EXPECT_EQ(gdi->texts[0].rect, (RECT{0, 0, width - 3, 0}));
            EXPECT_EQ(gdi->texts[0].format, gdi::DT_CALCRECT | gdi::DT_WORDBREAK);
            EXPECT_EQ(Draw().rect, (RECT{n(1), n(2), n(3), n(4)}));
            EXPECT_EQ(Draw().format, static_cast<unsigned>(n(5)));
            EXPECT_EQ(Draw().text, "OK");
            if (w.size() > 6) {
                EXPECT_EQ(Draw().color, ColorRef(n(6)));
                EXPECT_EQ(Surface().ForeColor(), Draw().color);
            }
            if (w.size() > 7) {
                EXPECT_EQ(Surface().Font().PixelHeight(), n(7));
            }
        } else if (w[0] == "text") {
            EXPECT_EQ(Draw().text, scenes::Unquote(w.at(1)));
        } else if (w[0] == "fontheight") {
            EXPECT_EQ(Surface().Font().PixelHeight(), n(1));
        } else if (w[0] == "ink") {
            edges(Ink());
        } else if (w[0] == "drawn") {
            edges(Draw().rect);
        } else if (w[0] == "centred") {  // centred LEFT RIGHT SLACK: the ink between them
            EXPECT_LE(std::abs((Ink().left - n(1)) - (n(2) - Ink().right)), n(3));
        } else if (w[0] == "keep") {
            kept = Ink();
        } else if (w[0] == "calls") {
            EXPECT_EQ(site->log.Only({"ScaleX", "ScaleY"}).size(), std::size_t(n(1)));
        } else if (w[0] == "asks") {  // asks NAME [ENTRY, ...]
            std::vector<std::string> entries;
            std::istringstream listed(line.substr(line.find(w.at(1)) + w[1].size()));
            for (std::string e; std::getline(listed >> std::ws, e, ',');) entries.push_back(e);
            EXPECT_EQ(site->log.Only({w[1]}), entries);
        } else if (w[0] == "at") {
            EXPECT_EQ(rec.sngX, std::stof(w.at(1)));
            EXPECT_EQ(rec.sngY, std::stof(w.at(2)));
        } else if (w[0] == "current") {
            EXPECT_EQ(rec.picCurrent, picture(w.at(1)));
        } else if (w[0] == "shows" && w.size() > 4 && w[4] == "blended") {
            // Inside the picture each channel may be 1 off the model's rounding.
            const auto shown = Surface().Pixels();
            const auto want = With(picture(w.at(1)).get(), n(2), n(3), w[4]);
            const auto& pic = *picture(w[1]);
            for (std::size_t i = 0; i < shown.size(); ++i) {
                const int x = static_cast<int>(i) % width - n(2);
                const int y = static_cast<int>(i) / width - n(3);
                const bool inside =
                    x >= 0 && y >= 0 && x < pic.PixelWidth() && y < pic.PixelHeight();
                for (const int shift : {0, 8, 16})
                    EXPECT_NEAR((shown[i] >> shift) & 0xFF, (want[i] >> shift) & 0xFF, inside)
                        << "pixel " << i << " channel " << shift;
            }
        } else if (w[0] == "shows") {  // shows FIELD X Y [masked|blended]
            EXPECT_EQ(Surface().Pixels(),
                      With(picture(w.at(1)).get(), n(2), n(3), w.size() > 4 ? w[4] : ""));
        } else if (w[0] == "soft") {
            EXPECT_EQ(rec.Picture->SoftAlpha(), w.at(1) == "True");
        } else if (w[0] == "pixel") {
            EXPECT_EQ(Surface().Pixels().at(std::size_t(n(2)) * width + n(1)), ColorRef(n(3)));
        } else if (w[0] == "fail") {
            site->FailOn(w.at(1));
        } else if (w[0] == "clear") {
            site->ClearFailures();
            services.boxes.clear();
        } else if (w[0] == "boxes") {
            ASSERT_EQ(services.boxes.size(), std::size_t(n(1)));
            if (w.size() > 2) {
                EXPECT_NE(services.boxes.back().text.find(w[2]), std::string::npos);
            }
        } else if (w[0] == "silent") {
            SetSilentError(vb::True);
        } else if (w[0] == "probe") {  // probe STEP: WriteCaption's step STEP fails
            const int step = n(1);
            SetStepProbe([step](const Procedure& p, int at) {
                if (p.Name() == "WriteCaption" && at == step) vb::Raise(5);
            });
        } else {
            ADD_FAILURE() << "no such line";
        }
    }
}

// The cases: those of steps.txt, a line each, and the one-line cases of the tables.
std::vector<testing::Row> Cases() {
    std::vector<testing::Row> out;
    for (testing::Row& line : testing::ReadTable("paint/steps.txt")) {
        if (line[0].rfind("case ", 0) == 0) out.push_back({line.where, {}});
        if (!out.empty()) out.back().cells.push_back(line[0]);
    }
    for (const char* table :
         {"paint/captions.txt", "paint/pictures.txt", "paint/picture_states.txt"})
        for (testing::Row& row : testing::ReadTable(table)) {
            testing::Row steps{row.where, {"case " + row.where + " " + row[0]}};
            std::istringstream in(row[1]);
            for (std::string step; std::getline(in, step, ';');) steps.cells.push_back(step);
            out.push_back(steps);
        }
    return out;
}

class PainterSteps : public Painting, public ::testing::WithParamInterface<testing::Row> {};

TEST_P(PainterSteps, LeaveWhatTheFileSays) { Run(GetParam()); }

INSTANTIATE_TEST_SUITE_P(Cases, PainterSteps, ::testing::ValuesIn(Cases()), testing::RowName);

constexpr ColorRef kCorner = 0xFF00FF;

// DrawGradient on its own, on a raster bitmap of the band's size; gives the bitmap.
std::vector<ColorRef> Gradient(const gdi::Rect& rc, vb::Long from, vb::Long to, vb::Long dir) {
    auto g = gdi::MakeRasterGdi();
    const auto dc = g->CreateCompatibleDC(nullptr);
    const auto bitmap = g->CreateSurfaceBitmap(rc.right, rc.bottom);
    const auto old = g->SelectObject(dc, bitmap);
    DrawGradient(*g, dc, &rc, from, to, dir);
    auto px = g->ReadBitmap(bitmap);
    g->SelectObject(dc, old);
    g->DeleteObject(bitmap);
    g->DeleteDC(dc);
    return px;
}

TEST(Gradient, BandsDrawnInTurnShowTheirOwnColoursAsOnAFirstDraw) {
    // The bytes of recent bands are kept for the next paint. Bands of a few sizes (so that
    // sizes repeat with other colours) in both directions, more than are kept and each
    // again later, must look as they do when drawn first, on a thread of their own.
    testing::RecordingServices services;
    std::mt19937 rng(18);
    const auto pick = [&](int lo, int hi) {
        return std::uniform_int_distribution<int>(lo, hi)(rng);
    };
    struct Band {
        gdi::Rect rc;
        vb::Long from, to, direction;
    };
    std::vector<Band> bands;
    for (int i = 0; i < 6; ++i)
        bands.push_back({gdi::Rect{0, 0, pick(1, 3) * 5, pick(1, 3) * 3},
                         static_cast<vb::Long>(rng() & 0xFFFFFF),
                         static_cast<vb::Long>(rng() & 0xFFFFFF), pick(0, 1)});
    for (int k = 0; k < 40; ++k) {
        const Band& b = bands[static_cast<std::size_t>(pick(0, 5))];
        std::vector<ColorRef> first;
        std::thread([&] { first = Gradient(b.rc, b.from, b.to, b.direction); }).join();
        EXPECT_EQ(Gradient(b.rc, b.from, b.to, b.direction), first) << "draw " << k;
    }
    EXPECT_TRUE(services.boxes.empty());
}

// A pressed section composes two pictures: the rest of the button (rcMain) as the same
// button paints at rest in one pass, the section as it paints pressed in one pass, then
// the separator. The rectangles and the separator come from the section table, so the
// check shares no geometry with the code under test.
TEST(DropDown, PressedSectionShowsTheRestingButtonAroundThePressedSection) {
    testing::RecordingServices services;
    constexpr ColorRef kSeparator = 0x0000FF;
    const std::array<vb::Long, 2> looks[] = {
        {0, cXPBlue}, {0, cXPSilver},     {0, cXPOlive},        {0, cWinClassic},
        {0, cCustom}, {cButtonOffice, 0}, {cButtonIExplorer, 0}};
    for (const auto [W, H, S] : {std::array{80, 24, 16}, std::array{61, 31, 12}})
        for (const auto [style, scheme] : looks)
            for (vb::Long align = 0; align <= 8; ++align)
                for (const bool over : {true, false}) {
                    // rcMain and the separator's ends, per alignment.
                    RECT main{0, 0, W, H}, sep{0, 0, 0, 0};
                    if (align <= 1) main.left = S, sep = {S, 1, S, H - 1};
                    if (align == 2 || align == 3)
                        main.right = W - S, sep = {W - S, 1, W - S, H - 1};
                    if (align == 4 || align == 5) main.top = S, sep = {1, S, W - 1, S};
                    if (align == 6 || align == 7)
                        main.bottom = H - S, sep = {1, H - S, W - 1, H - S};
                    const auto paint = [&](const char* state, const char* section) {
                        testing::ButtonFixture f(W, H);
                        f.button.SetPainters(DefaultPainters());
                        ButtonRecord& r = f.rec();
                        r.CornerColor = kCorner;
                        r.Caption = "";
                        r.ButtonStyle = style, r.ColorStyle = scheme;
                        r.DropDown = r.bHasFocus = vb::True;
                        r.DropDownSize = static_cast<vb::Integer>(S), r.DropDownAlign = align;
                        r.DropDownSeparatorColor = kSeparator;
                        r.bMouseOver = vb::Boolean(over);
                        r.sState = state, r.sDropDownState = section;
                        f.button.Redraw(0);
                        return f.site.Surface().Pixels();
                    };
                    const auto resting = paint("", ""), pressed = paint("down", "");
                    const auto composed = paint("down", "down");
                    int wrong = 0;
                    for (int y = 0; y < H; ++y)
                        for (int x = 0; x < W; ++x) {
                            const bool in_main = x >= main.left && x < main.right &&
                                                 y >= main.top && y < main.bottom;
                            const bool on_sep =
                                x >= sep.left && x <= sep.right && y >= sep.top && y <= sep.bottom;
                            const std::size_t i = std::size_t(y) * W + x;
                            const ColorRef want = on_sep    ? kSeparator
                                                  : in_main ? resting[i]
                                                            : pressed[i];
                            if (composed[i] != want && wrong++ < 3)
                                ADD_FAILURE()
                                    << W << "x" << H << " style " << style << " scheme " << scheme
                                    << " align " << align << " over " << over << ": (" << x << ", "
                                    << y << ") is " << std::hex << composed[i] << ", not " << want;
                        }
                }
}

}  // namespace
}  // namespace sheenwork
