// The button's handlers, its repaint and its painters, walked step by step from the files
// of tests/data/input and tests/data/paint: one step a line, the calls, events, fields,
// drawing calls and pixels it must leave after it. The one-line cases of
// paint/captions.txt, paint/pictures.txt and paint/picture_states.txt are such steps
// separated by ";".
#include <sheenwork/control/sheenButton.h>
#include <sheenwork/util/error.h>
#include <sheenwork/vb/stdpicture.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <sstream>

#include "button_scenes/button_scenes.h"
#include "render/basButton.h"
#include "render/redraw.h"
#include "scenes/scenes.h"
#include "support/button_fixture.h"
#include "support/data.h"
#include "support/forwarding_gdi.h"
#include "support/recording_services.h"

namespace sheenwork {
namespace {

using gdi::ColorRef;
using testing::ButtonFixture;
using Fields = std::map<std::string, std::string>;
using TextCall = testing::RecordingGdi::Text;

constexpr ColorRef kCorner = 0xFF00FF;

// The pattern a picture button's surface holds before it paints.
ColorRef Beneath(int x, int y) { return gdi::Rgb(3 * x, 100 + 5 * y, 60); }

// A new instance's record without a control, on a site that draws through a recording
// Gdi, for the caption and picture painters and the text calls they make.
struct BareButton {
    BareButton(int width, int height) : gdi(*raster), site(gdi, width, height) {}
    std::unique_ptr<gdi::Gdi> raster = gdi::MakeRasterGdi();
    testing::RecordingGdi gdi;
    testing::RecordingSite site;  // destroyed before the Gdi it draws through
    ButtonRecord rec = testing::NewInstanceRecord();
};

std::string TF(vb::Boolean b) { return b ? "T" : "F"; }

// The fields every `log` checks, written as the steps write them.
Fields Tracked(ButtonFixture& f) {
    const ButtonRecord& r = f.rec();
    return {{"sState", r.sState},
            {"sDropDownState", r.sDropDownState},
            {"bMouseOver", TF(r.bMouseOver)},
            {"bMouseEntered", TF(r.bMouseEntered)},
            {"bHasFocus", TF(r.bHasFocus)},
            {"bSpaceDown", TF(r.bSpaceDown)},
            {"timer", TF(f.site.timer_enabled)}};
}

std::string Joined(const std::vector<std::string>& entries, std::size_t cut = 0) {
    std::string out;
    for (const auto& e : entries) out += (out.empty() ? "" : " | ") + e.substr(cut);
    return out.empty() ? "-" : out;
}

// The log as the steps write it: a body and the highlight step after it are one Redraw.
std::string Reduced(const testing::CallLog& log) {
    std::vector<std::string> out;
    std::string paint;
    for (const std::string& e :
         log.Only({"Event:", "Paint:XPBody", "Paint:drawMLine", "SetFocus", "DoEvents",
                   "Surface.Mouse", "xp ", "tmrMouseIn.Enabled ", "GetAsyncKeyState"})) {
        if (e.rfind("Paint:XPBody ", 0) == 0) {
            paint =
                (e.back() == '0' ? "Redraw " : "Redraw1 ") + e.substr(13, e.rfind(" pass") - 13);
        } else if (e.rfind("Paint:drawMLine ", 0) == 0) {
            out.push_back((paint.empty() ? "drawMLine" : paint) + " " + e.substr(16));
            paint.clear();
        } else {
            out.push_back(e.rfind("Event:", 0) == 0 ? e.substr(6) : e);
        }
    }
    return Joined(out);
}

// A host whose MouseMove handler moves X to `x`: the events share the host's variables.
struct Mover : testing::RecordingEvents {
    using RecordingEvents::RecordingEvents;
    vb::Single x = 0;
    void MouseMove(vb::Integer& B, vb::Integer& S, vb::Single& X, vb::Single& Y) override {
        RecordingEvents::MouseMove(B, S, X, Y);
        X = x;
    }
};

// One case of steps; see the heads of tests/data/input/mouse.txt,
// tests/data/paint/frames.txt and tests/data/paint/steps.txt for their lines.
class Walk {
public:
    // A new 100 x 23 button at rest, whose tracked fields every check line compares.
    void Section() {
        f_ = std::make_unique<ButtonFixture>(100, 23);
        f_->site.window_rect = {0, 0, 100, 23};
        // Loading left the hover timer running; each section starts after its first tick
        // found the pointer elsewhere and stopped it.
        f_->site.timer_enabled = vb::False;
        expected_ = Tracked(*f_);
        tracked_ = true;
    }
    // "button WxH": a new button of that size with the real painters and a magenta
    // CornerColor, for the painters' pixels alone.
    void Painted(const std::string& size) {
        f_ = std::make_unique<ButtonFixture>(std::stoi(size),
                                             std::stoi(size.substr(size.find('x') + 1)));
        f_->button.SetPainters(DefaultPainters());
        f_->rec().CornerColor = kCorner;
        tracked_ = false;
    }
    // "caption WxH": a caption button, "OK" in DejaVu Sans 9.75 pt (12 hovered, 7.5
    // pressed) in fore colours 1 to 4; "picture WxH": a picture button, UseMaskColor False,
    // on a surface patterned beforehand. Neither has a control.
    void Bare(const std::string& kind, const std::string& size) {
        const int width = std::stoi(size), height = std::stoi(size.substr(size.find('x') + 1));
        bare_ = std::make_unique<BareButton>(width, height);
        tracked_ = false;
        ButtonRecord& rec = bare_->rec;
        if (kind == "picture") {
            rec.UseMaskColor = vb::False;
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x)
                    bare_->gdi.SetPixel(Surface().hDC(), x, y, Beneath(x, y));
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
    ~Walk() {
        SetSilentError(vb::False);
        SetStepProbe({});
    }

    // A second button on the fixture's site, on the heap, that the host destroys while
    // the notification named `at` (or DoEvents) is raised.
    void Doomed(const std::string& at) {
        doomed_ = std::make_unique<sheenButton>(f_->site);
        doomed_->SetPainters(f_->painters);
        doomed_->EventSink(&f_->events);
        doomed_->Record() = testing::NewInstanceRecord();
        alive_ = doomed_->Liveness();
        f_->site.window_rect = {0, 0, 75, 23};
        f_->site.timer_enabled = vb::True;
        f_->events.on_event = [this, at](const std::string& name) {
            if (name == at) doomed_.reset();
        };
        f_->site.on_do_events = [this, at] {
            if (at == "DoEvents") doomed_.reset();
        };
    }

    void Set(const std::string& key, const std::string& v) {
        ButtonRecord& r = doomed_ ? doomed_->Record() : Rec();
        auto& site = Site();
        const vb::Boolean b(v == "T");
        if (key.rfind("key", 0) == 0) {
            site.key_state[std::stoi(key.substr(3))] = std::int16_t(std::stoi(v));
        } else if (key == "sState" || key == "sDropDownState" || key == "URL") {
            (key == "URL" ? r.URL : key == "sState" ? r.sState : r.sDropDownState) = v;
        } else if (key == "bLoading" || key == "AutoXPMouseIcons") {
            (key == "bLoading" ? r.bLoading : r.AutoXPMouseIcons) = b;
        } else if (key == "MousePointer") {
            r.MousePointer = std::stoi(v);
        } else if (key == "timer") {
            site.timer_enabled = b;
        } else if (key == "UserMode") {
            site.user_mode = b;
        } else if (key == "under") {
            site.window_under_cursor = std::stoi(v);
        } else if (key == "cursor") {
            std::sscanf(v.c_str(), "%d,%d", &site.cursor.x, &site.cursor.y);
        } else if (key == "painters") {  // the real ones
            f_->button.SetPainters(nullptr);
        } else if (key == "fail") {
            site.FailOn(v);
        } else if (key == "silent") {
            SetSilentError(b);
        } else if (key == "probe") {  // WriteCaption's step N fails
            const int step = std::stoi(v);
            SetStepProbe([step](const Procedure& p, int at) {
                if (p.Name() == "WriteCaption" && at == step) vb::Raise(5);
            });
        } else if (key == "moves") {
            mover_.emplace(site.log).x = std::stof(v);
            f_->button.EventSink(&*mover_);
        } else if (key == "look") {  // each DoEvents logs the look it finds
            site.on_do_events = [this] {
                const ButtonRecord& now = f_->rec();
                f_->site.log.Add("seen " + now.sState + " " + TF(now.bHasFocus) + " " +
                                 TF(now.bMouseOver));
            };
        } else {
            scenes::Assign(site, r, {key, "=", v == "T" ? "True" : v == "F" ? "False" : v});
        }
    }

    void Do(std::istringstream& in) {
        sheenButton& button = doomed_ ? *doomed_ : f_->button;
        std::string h;
        in >> h;
        std::vector<double> a;
        for (std::string x; in >> x;) a.push_back(std::stod(x));  // 0x.. as hex
        const auto i = [&](std::size_t k) { return vb::Integer(a.at(k)); };
        vb::Integer b = 0, s = 0;
        vb::Single x = 0, y = 0;
        if (h.rfind("Mouse", 0) == 0)
            b = i(0), s = i(1), x = vb::Single(a.at(2)), y = vb::Single(a.at(3));
        if (h.rfind("Key", 0) == 0 || h == "AccessKeyPress") b = i(0), s = a.size() > 1 ? i(1) : 0;
        if (h == "MouseDown")
            button.UserControl_MouseDown(b, s, x, y);
        else if (h == "MouseMove")
            button.UserControl_MouseMove(b, s, x, y);
        else if (h == "MouseUp")
            button.UserControl_MouseUp(b, s, x, y);
        else if (h == "Timer")
            button.tmrMouseIn_Timer();
        else if (h == "KeyDown")
            button.UserControl_KeyDown(b, s);
        else if (h == "KeyUp")
            button.UserControl_KeyUp(b, s);
        else if (h == "KeyPress")
            button.UserControl_KeyPress(b);
        else if (h == "AccessKeyPress")
            button.UserControl_AccessKeyPress(b);
        else if (h == "GotFocus")
            button.UserControl_GotFocus();
        else if (h == "LostFocus")
            button.UserControl_LostFocus();
        else if (h == "Redraw")
            button.Redraw(i(0));
        else if (h == "DrawAdded")
            button.DrawAdded();
        else if (h == "BackColor")
            button.BackColor(static_cast<vb::Long>(a.at(0)));
        else
            ADD_FAILURE() << "no such step: " << h;
        std::ostringstream host;  // the arguments as the host has them after the step
        host << b << " " << s << " " << x << " " << y;
        args_ = host.str();
    }

    // A painter's line of frames.txt; false for a line of another kind.
    bool Paint(const std::vector<std::string>& w) {
        ButtonRecord& rec = Rec();
        host::Surface& surface = Surface();
        const auto at = [&](int x, int y) { return surface.Gdi().GetPixel(surface.hDC(), x, y); };
        const auto n = [&](std::size_t i) { return static_cast<int>(scenes::Number(w.at(i))); };
        const auto color = [&](std::size_t i) { return static_cast<ColorRef>(n(i)); };
        const auto rect = [&](std::size_t i) { return RECT{n(i), n(i + 1), n(i + 2), n(i + 3)}; };
        const auto run = [&](int x, int y, int dx, int dy, int count, ColorRef want) {
            for (int k = 0; k < count; ++k)
                EXPECT_EQ(at(x + k * dx, y + k * dy), want) << x + k * dx << "," << y + k * dy;
        };
        PaintContext context{rec, Site(), surface, ps_};
        const std::string what = w.size() > 1 ? w[1] : "";
        if (w.size() > 2 && w[1] == "=" && w[2] == "Nothing") {  // a font
            (w[0] == "Font"       ? rec.Font
             : w[0] == "FontDown" ? rec.FontDown
                                  : rec.FontOnMouseOver) = nullptr;
        } else if (w.size() > 1 && w[1] == "=") {
            scenes::Assign(Site(), rec, w);
        } else if (w[0] == "back") {
            surface.BackColor(color(1));
        } else if (w[0] == "paint" || w[0] == "drawimage") {
            // body [STATE] on a cleared surface, ring SET, glyph; alone: the caption on white
            ++steps_;
            ps_ = PaintState{};
            if (bare_) bare_->gdi.texts.clear();
            if (w[0] == "drawimage") {
                Site().log.Clear();
                Painters{}.DrawImage(context);
            } else if (what.empty()) {
                surface.BackColor(0xFFFFFF);
                DefaultPainters()->WriteCaption(context);
            } else if (what == "body") {
                ps_.sDrawState = w.size() > 2 ? w[2] : "";
                surface.Cls();
                rec.ButtonStyle == cButtonWinXP ? DefaultPainters()->XPBody(context)
                                                : DefaultPainters()->OfficeBody(context);
            } else if (what == "ring") {
                DefaultPainters()->drawMLine(context,
                                             w.at(2)[0] == '"' ? scenes::Unquote(w[2]) : w[2]);
            } else if (what == "glyph") {
                DefaultPainters()->DropDownGlyph(context);
            } else {
                return false;
            }
        } else if (w[0] == "gradient") {
            ++steps_;
            const gdi::Rect r{n(1), n(2), n(3), n(4)};
            DrawGradient(surface.Gdi(), surface.hDC(), &r, n(5), n(6), n(7));
        } else if (w[0] == "row") {
            run(n(2), n(1), 1, 0, n(3) - n(2) + 1, color(4));
        } else if (w[0] == "column") {
            run(n(1), n(2), 0, 1, n(3) - n(2) + 1, color(4));
        } else if (w[0] == "pixels") {
            for (std::size_t i = 3; i < w.size(); ++i)
                EXPECT_EQ(at(n(2) + int(i) - 3, n(1)), color(i))
                    << n(2) + int(i) - 3 << "," << n(1);
        } else if (w[0] == "pixel" && w.at(3) == "not") {
            EXPECT_NE(at(n(1), n(2)), color(4)) << n(1) << "," << n(2);
        } else if (w[0] == "pixel") {
            EXPECT_EQ(at(n(1), n(2)), color(3)) << n(1) << "," << n(2);
        } else if (w[0] == "count") {
            const auto px = surface.Pixels();
            EXPECT_EQ(std::count(px.begin(), px.end(), color(1)), n(2));
        } else if (w[0] == "runs") {  // runs rows|columns COLOR AT:FIRST:LENGTH ...
            const bool by_row = w.at(1) == "rows";
            const int width = int(surface.ScaleWidth()), height = int(surface.ScaleHeight());
            std::string said, want;
            for (int a = 0; a < (by_row ? height : width); ++a) {
                std::vector<int> ink;
                for (int b = 0; b < (by_row ? width : height); ++b)
                    if ((by_row ? at(b, a) : at(a, b)) == color(2)) ink.push_back(b);
                if (ink.empty()) continue;
                // A gap inside a row would be a broken triangle: count the span, not the ink.
                EXPECT_EQ(int(ink.size()), ink.back() - ink.front() + 1) << "at " << a;
                said += " " + std::to_string(a) + ":" + std::to_string(ink.front()) + ":" +
                        std::to_string(ink.size());
            }
            for (std::size_t i = 3; i < w.size(); ++i) want += " " + w[i];
            EXPECT_EQ(said, want);
        } else if (w[0] == "state" && what == "bGlyphDrawn") {  // what the glyph painter left
            EXPECT_EQ(bool(ps_.bGlyphDrawn), w.at(2) == "True");
        } else if (w[0] == "state") {
            const RECT got = what == "rcDropDown" ? ps_.rcDropDown
                             : what == "rcMain"   ? ps_.rcMain
                                                  : ps_.ptSeparator;
            EXPECT_EQ(got, rect(2)) << what;
        } else if (w[0] == "font") {  // font drop "NAME" POINTS
            Site().lbl_drop_down_font->Name(scenes::Unquote(w.at(2)));
            Site().lbl_drop_down_font->Size(std::stod(w.at(3)));
        } else if (w[0] == "forecolor") {
            EXPECT_EQ(surface.ForeColor(), color(1));
        } else {
            return false;
        }
        return true;
    }

    // A line of the caption and picture painters' cases; false for a line of another kind.
    bool Drawn(const std::vector<std::string>& w, const std::string& line) {
        const ButtonRecord& rec = Rec();
        const auto n = [&](std::size_t i) { return static_cast<int>(scenes::Number(w.at(i))); };
        // EDGE OP VALUE against a rectangle; "+ N" is the kept ink's edge plus N.
        const auto edges = [&](const gdi::Rect& r) {
            const std::map<std::string, int gdi::Rect::*> sides = {{"left", &gdi::Rect::left},
                                                                   {"top", &gdi::Rect::top},
                                                                   {"right", &gdi::Rect::right},
                                                                   {"bottom", &gdi::Rect::bottom}};
            const auto side = sides.at(w.at(1));
            const int got = r.*side, v = n(3);
            const std::string& op = w.at(2);
            EXPECT_TRUE(op == "="    ? got == v
                        : op == "<=" ? got <= v
                        : op == "<"  ? got < v
                        : op == ">"  ? got > v
                                     : got == kept_ink_.*side + v)
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
        if (w[0] == "draws") {
            EXPECT_EQ(Draws().size(), std::size_t(n(1)));
        } else if (w[0] == "draw") {  // draw I L T R B [COLOR]
            const auto draws = Draws();
            EXPECT_LT(std::size_t(n(1)), draws.size());
            if (std::size_t(n(1)) >= draws.size()) return true;
            EXPECT_EQ(draws[n(1)].rect, (RECT{n(2), n(3), n(4), n(5)}));
            if (w.size() > 6) {
                EXPECT_EQ(draws[n(1)].color, ColorRef(n(6)));
            }
        } else if (w[0] == "writes") {  // writes L T R B FORMAT [COLOR [HEIGHT]]
            const auto texts = bare_ ? bare_->gdi.texts : std::vector<TextCall>{};
            EXPECT_EQ(texts.size(), 2u);
            if (texts.size() != 2) return true;
            EXPECT_EQ(texts[0].rect, (RECT{0, 0, int(Surface().ScaleWidth()) - 3, 0}));
            EXPECT_EQ(texts[0].format, gdi::DT_CALCRECT | gdi::DT_WORDBREAK);
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
        } else if (w[0] == "calls") {
            EXPECT_EQ(Site().log.Only({"ScaleX", "ScaleY"}).size(), std::size_t(n(1)));
        } else if (w[0] == "asks") {  // asks NAME [ENTRY, ...]
            std::vector<std::string> entries;
            std::istringstream listed(line.substr(line.find(w.at(1)) + w[1].size()));
            for (std::string e; std::getline(listed >> std::ws, e, ',');) entries.push_back(e);
            EXPECT_EQ(Site().log.Only({w[1]}), entries);
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
            const int width = int(Surface().ScaleWidth());
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
        } else {
            return false;
        }
        return true;
    }

    // Checks a line: `log` the reduced log, `paints` the painters, `first`/`last` the
    // first or last painter, `all` every entry, `only P,Q = ...` the entries starting with
    // P or Q, `boxes N [WORD ...]` the message boxes, `gone` the doomed button.
    void Check(const std::string& verb, const std::string& want) {
        const auto& log = Site().log;
        const auto painted = log.Only({"Paint:"});
        if (verb == "boxes") {
            const std::vector<std::string> words = scenes::Split(want);
            ASSERT_EQ(services_.boxes.size(), std::stoul(words.at(0)));
            for (std::size_t i = 1; i < words.size(); ++i) {
                const std::string word = words[i][0] == '"' ? scenes::Unquote(words[i]) : words[i];
                EXPECT_NE(services_.boxes.back().text.find(word), std::string::npos)
                    << services_.boxes.back().text;
            }
            return;
        }
        if (verb == "gone") {
            EXPECT_FALSE(doomed_);
            EXPECT_FALSE(alive_ && *alive_);
            EXPECT_TRUE(services_.calls.empty()) << "the address was opened";
            return;
        }
        if (verb == "keep") {  // the pixels, and the box of those other than white
            kept_ = Surface().Pixels();
            kept_ink_ = Ink();
        } else if (verb == "same" || verb == "differs") {
            EXPECT_EQ(Surface().Pixels() == kept_, verb == "same") << "the pixels";
        } else if (verb == "clear") {  // the site fails nothing; the boxes are forgotten
            Site().ClearFailures();
            services_.boxes.clear();
        } else if (verb == "args") {
            EXPECT_EQ(args_, want);
        } else if (verb == "log") {
            EXPECT_EQ(Reduced(log), want);
        } else if (verb == "paints") {
            EXPECT_EQ(Joined(painted, 6), want);
        } else if (verb == "first" || verb == "last") {
            ASSERT_FALSE(painted.empty());
            EXPECT_EQ((verb == "first" ? painted.front() : painted.back()).substr(6), want);
        } else if (verb == "all") {
            EXPECT_EQ(Joined(log.entries), want);
        } else if (verb == "only") {
            std::vector<std::string> prefixes;
            std::istringstream list(want.substr(0, want.find(" = ")));
            for (std::string p; std::getline(list, p, ',');) prefixes.push_back(p);
            EXPECT_EQ(Joined(log.Only(prefixes)), want.substr(want.find(" = ") + 3));
        } else if (const auto w = scenes::Split(verb + " " + want);
                   !Drawn(w, verb + " " + want) && !Paint(w)) {
            ADD_FAILURE() << "no such line";
        }
        if (tracked_ && !doomed_ && !alive_) {
            EXPECT_EQ(Tracked(*f_), expected_);
        }
    }

    void Run(const testing::Case& c) {
        SetSilentError(vb::False);
        Section();
        for (const auto& [number, line] : c.lines) {
            SCOPED_TRACE(c.Where(number) + " " + c.title);
            std::istringstream words(line);
            std::string verb;
            words >> verb;
            const std::string rest = line.substr(std::min(line.size(), verb.size() + 1));
            if (verb == "do") {
                f_->site.log.Clear();
                Do(words);
                ++steps_;
            } else if (verb == "button") {
                Painted(rest);
            } else if (verb == "caption" || verb == "picture") {
                Bare(verb, rest);
            } else if (verb == "doomed") {
                Doomed(rest);
            } else if (verb == "set" || verb == "expect") {
                for (std::string pair; words >> pair;) {
                    const auto eq = pair.find('=');
                    const std::string key = pair.substr(0, eq), value = pair.substr(eq + 1);
                    if (verb == "set") Set(key, value);
                    if (expected_.count(key) && !doomed_)
                        expected_[key] = value;
                    else if (verb == "expect")
                        ADD_FAILURE() << "not a tracked field: " << key;
                }
            } else {
                Check(verb, rest);
            }
        }
        EXPECT_GT(steps_, 0) << "a case without a step";
    }

private:
    testing::RecordingSite& Site() { return bare_ ? bare_->site : f_->site; }
    ButtonRecord& Rec() { return bare_ ? bare_->rec : f_->rec(); }
    host::Surface& Surface() { return Site().Surface(); }

    // The DrawTextA calls that drew, without the measurement.
    std::vector<TextCall> Draws() const {
        std::vector<TextCall> out;
        for (const auto& c : bare_ ? bare_->gdi.texts : std::vector<TextCall>{})
            if ((c.format & gdi::DT_CALCRECT) == 0) out.push_back(c);
        return out;
    }
    // The one call that drew.
    TextCall Draw() const {
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

    testing::RecordingServices services_;
    std::optional<Mover> mover_;  // outlives the button that raises events to it
    std::unique_ptr<ButtonFixture> f_;
    std::unique_ptr<BareButton> bare_;
    std::unique_ptr<sheenButton> doomed_;
    std::optional<ControlLiveness> alive_;
    Fields expected_;
    std::string args_;
    bool tracked_ = true;
    int steps_ = 0;
    std::vector<gdi::ColorRef> kept_;
    gdi::Rect kept_ink_{};
    PaintState ps_;
};

// The cases of the files that walk a button, and the one-line cases of the painters'
// tables: "SIZE [picture] | steps separated by ;".
std::vector<testing::Case> Sections() {
    std::vector<testing::Case> all;
    for (const char* file : {"input/mouse", "input/keyboard", "input/redraw", "input/edges",
                             "paint/frames", "paint/steps"})
        for (testing::Case& c : testing::ReadCases(file + std::string(".txt"), "=="))
            all.push_back(std::move(c));
    for (const std::string table : {"paint/captions", "paint/pictures", "paint/picture_states"})
        for (const testing::Row& row : testing::ReadTable(table + ".txt")) {
            const int number = std::stoi(row.where.substr(row.where.rfind(':') + 1));
            const std::string kind = row[0].ends_with(" picture") ? "picture " : "caption ";
            testing::Case c{table + ".txt", row[0], number, {{number, kind + row[0]}}};
            std::istringstream steps(row[1]);
            for (std::string step; std::getline(steps >> std::ws, step, ';');)
                c.lines.emplace_back(number, step);
            all.push_back(std::move(c));
        }
    return all;
}

class InputSteps : public ::testing::TestWithParam<testing::Case> {};
TEST_P(InputSteps, LeaveWhatTheFileSays) { Walk().Run(GetParam()); }
INSTANTIATE_TEST_SUITE_P(Sections, InputSteps, ::testing::ValuesIn(Sections()), testing::CaseName);

}  // namespace
}  // namespace sheenwork
