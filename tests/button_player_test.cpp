// One player for every script that drives a sheenButton on a recording site: the property
// stories of tests/data/props (a file a story), the handler and painter sections of
// tests/data/input and tests/data/paint (`== TITLE` starts one), and the one-line painter
// cases of paint/captions.txt, pictures.txt and picture_states.txt (steps separated by
// ";"). A line is a step: its first cell holds the verb and its words, the cells after
// ` | ` what it expects; a list is its cells, each also split at ", ".
//
// Setting up
//   new / fresh            a new 75 x 23 instance, initialised, its log cleared / a button
//                          just created in a container of its own (name Knopf7, colour
//                          0x00336699, font Tahoma 8.25 bold), not yet initialised
//   (a section starts with a new 100 x 23 button at rest, window (0,0)-(100,23), whose
//   tracked fields sState sDropDownState bMouseOver bMouseEntered bHasFocus bSpaceDown
//   timer every check line compares with what `expect` and assignments said)
//   button WxH             a button of that size with the real painters, CornerColor magenta
//   caption WxH            a bare caption record: "OK" in DejaVu Sans 9.75 pt (12 hovered,
//                          7.5 pressed), fore colours 1 to 4, no control
//   picture WxH            a bare new record, UseMaskColor False, on a patterned surface
//   doomed AT              a second button the host destroys when the event AT is raised
//                          (or DoEvents); later steps drive it
//   NAME = VALUE           a record field (True/False, a number or constant, "text",
//                          font "NAME" SIZE, Nothing, a picture of tests/data/scenes/pictures),
//                          Image1 = WxH, or one of the site: timer, UserMode, under,
//                          cursor X,Y, parent_font none, right_to_left, extender_default,
//                          keyN (GetAsyncKeyState of key N); painters real; fail OP [N]
//                          (the site's OP fails with N, 5 unless given); silent BOOL;
//                          probe N (WriteCaption's step N fails); moves X (the host's
//                          MouseMove handler moves X there); look True (each DoEvents logs
//                          "seen STATE FOCUS OVER")
//   expect F=V ...         the tracked fields the last step changed (T/F for flags)
// Driving
//   do HANDLER [ARGS] [| ANSWER]   one notification, the site's log cleared first: Mouse*
//                          B S X Y, Key* K [S], KeyPress K, AccessKeyPress K, GotFocus,
//                          LostFocus, Timer, Redraw N, DrawAdded, BackColor C, Click,
//                          InitProperties, Paint, Resize, AmbientChanged NAME,
//                          OLECompleteDrag EFFECT (ANSWER: the effect handed back), About,
//                          QI.About (the tooltip manager's About)
//   let PROP VALUE [| N]   a late-bound assignment (Set for an object), answered 0 or N;
//                          VALUE as above, also font (Tahoma 8), font:NAME:SIZE, pic:NAME or
//                          picture (1 x 1), spev, list:NAME, 1e6 a Double
//   holder natural W H / holder picture W H   the picture holder's natural size, picture
//   paint [body [STATE] | ring SET | glyph]   WriteCaption alone on white / the body painter
//                          of the ButtonStyle on a cleared surface / drawMLine / the glyph
//   drawimage              DrawImage, the site's log cleared first
//   gradient L T R B FROM TO DIR   DrawGradient on the surface
//   back COLOR / font drop "NAME" POINTS   the surface's back colour / the drop label's font
// Checking
//   get PROP VALUE         a late-bound read; Image1.X the holder, rec.X the record's flag
//   prefix | VALUE         the access key the caption gives
//   did | STEPS            the log reduced: events with their arguments, Redraw "state"
//                          "highlight" (Redraw1 the second pass), drawMLine put on directly,
//                          SetFocus, DoEvents, Surface.Mouse*, xp, the timer, key states
//   log PREFIX,... | LIST  the entries starting with a prefix (* all); logfrom: from LIST's
//                          first; first/last PREFIX,... | TEXT the first or last starts so
//   rn | LIST              the repaints ("Redraw") and notifications ("N Prop")
//   watch PROP / seen      PROP read at every repaint and notification / each read the
//                          value it has now, which differs from the one before
//   args B S X Y           the host's arguments after the step; gone: the doomed button
//   boxes N / box I | FRAGMENT / text I | TEXT / title I | TITLE | STYLE / report I | N |
//                          DESCRIPTION | PROCEDURE | KIND | MODULE   the message boxes
//   pixel X Y [not] COLOR / pixels Y X0 C0 C1 ... / row Y X0 X1 COLOR / column X Y0 Y1 COLOR
//   count COLOR N / runs rows|columns COLOR AT:FIRST:LENGTH ... / forecolor COLOR
//   state rcDropDown|rcMain|ptSeparator L T R B / state bGlyphDrawn BOOL
//   keep / same / differs  the pixels (and the ink's box) kept, unchanged, changed
//   draws N / draw I L T R B [COLOR] / says "TEXT"   the DrawTextA calls that drew
//   writes L T R B FORMAT [COLOR [HEIGHT]]   measured at the full width less 3, then "OK"
//   fontheight N / ink EDGE OP N / drawn EDGE OP N (OP = <= < > or + on the kept ink)
//   centred L R SLACK / at X Y / current FIELD / soft BOOL
//   shows FIELD X Y [masked|blended]   the pattern with that picture over it, unscaled
// The rest of the property stories
//   clear / unfail         the site's log and the About window / the site's failures
//   theme NAME|none / version MAJOR.MINOR.BUILD PLATFORM / library PATH / file PATH TEXT
//   calls | LIST           the shell calls since the last check
//   onclick raise N / onclick read PROP   what the host's Click handler does
//   tips spy|failing|none|off / tips | LIST   the tooltip manager of later instances, its calls
//   load | K=V, ... / save [N] [| KEYS] / saved I | KEY   a bag read, written, its I-th key
//   about | CONTROL VERSION | PRODUCT | YEARS | LINKS / links I ...   the About window
//   read PATH | TEXT / has PATH | TEXT / exists PATH | BOOL / empty PATH | BOOL
//   spev METHOD ARG... [| RESULT]   a late-bound call of the SpEv object (#N: by
//                          dispatch id); RESULT "error N" for a call that must fail
//   call KIND MEMBER [VALUE] | ERROR [| DESCRIPTION]   a late-bound Get, Let, Set or
//                          Method of the button (#N: by id; Error.MEMBER the Error object's)
//   list NAME | ITEMS / items NAME | ITEMS   a list box and its items
//   fifo PATH / errorlog "FOLDER" / remove PATH / mkdir PATH / link TARGET PATH
//   handler N | DESCRIPTION | PROCEDURE | KIND | MODULE [| LINE]   reports an error
//   procedure NAME KIND MODULE | STEPS | RAN | ENDED   a procedure of the error trap run
//                          step by step: ran N, raise N, memory, fail TEXT, other
//   components / env NAME VALUE / filelimit BYTES|none / nostdin
// \r, \n and \0 in texts are those characters; $TMP is the script's scratch folder, $SRC
// the source tree.
#include <sheenwork/control/sheenButton.h>
#include <sheenwork/control/typelib.h>
#include <sheenwork/util/error.h>
#include <sheenwork/util/spev.h>
#include <sheenwork/vb/stdfont.h>
#include <sheenwork/vb/stdpicture.h>

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <fstream>
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
#include "support/list_box.h"
#include "support/recording_bag.h"
#include "support/recording_services.h"
#include "support/story.h"

namespace sheenwork {
namespace {

using gdi::ColorRef;
using Log = std::vector<std::string>;
using testing::ButtonFixture;
using testing::Row;
using testing::Unescape;
using TextCall = testing::RecordingGdi::Text;

// What a parameter of the player is: a name and its steps.
struct Script {
    std::string name;
    std::vector<Row> rows;
};
void PrintTo(const Script& s, std::ostream* os) { *os << s.rows.at(0).where; }

// `text` cut at every `mark`.
Log Cut(const std::string& text, const std::string& mark) {
    Log out;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = std::min(text.find(mark, at), text.size());
        out.push_back(text.substr(at, end - at));
        at = end + mark.size();
    }
    return out;
}

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

// The fields a section tracks, written as `expect` writes them.
std::map<std::string, std::string> Tracked(ButtonFixture& f) {
    const ButtonRecord& r = f.rec();
    return {{"sState", r.sState},
            {"sDropDownState", r.sDropDownState},
            {"bMouseOver", TF(r.bMouseOver)},
            {"bMouseEntered", TF(r.bMouseEntered)},
            {"bHasFocus", TF(r.bHasFocus)},
            {"bSpaceDown", TF(r.bSpaceDown)},
            {"timer", TF(f.site.timer_enabled)}};
}

// The log as `did` writes it: a body and the highlight step after it are one Redraw.
Log Reduced(const testing::CallLog& log) {
    Log out;
    std::string paint;
    for (const std::string& e :
         log.Only({"Event:", "Paint:XPBody", "Paint:drawMLine", "SetFocus", "DoEvents",
                   "Surface.Mouse", "xp ", "tmrMouseIn.Enabled ", "GetAsyncKeyState"})) {
        if (e.starts_with("Paint:XPBody ")) {
            paint =
                (e.back() == '0' ? "Redraw " : "Redraw1 ") + e.substr(13, e.rfind(" pass") - 13);
        } else if (e.starts_with("Paint:drawMLine ")) {
            out.push_back((paint.empty() ? "drawMLine" : paint) + " " + e.substr(16));
            paint.clear();
        } else {
            out.push_back(e.starts_with("Event:") ? e.substr(6) : e);
        }
    }
    return out;
}

// A host whose MouseMove handler moves X to `x`: the events share the host's variables.
struct Mover : testing::RecordingEvents {
    using RecordingEvents::RecordingEvents;
    vb::Single x = 0;
    void MouseMove(vb::Integer& Button, vb::Integer& Shift, vb::Single& X, vb::Single& Y) override {
        RecordingEvents::MouseMove(Button, Shift, X, Y);
        X = x;
    }
};

// The tooltip managers the stories install: one that logs its calls, one that fails.
struct SpyTips : QI {
    Log& log;
    bool failing;
    SpyTips(Log& l, bool f) : log(l), failing(f) {}
    void Create(vb::Variant form, vb::Variant control, std::string& tip, vb::Integer& delay,
                vb::Integer& width) override {
        if (failing) vb::Raise(91);
        // The surface answers hWnd alone: a property it lacks must be error 438.
        long left = -1;  // no surface
        try {
            std::vector<vb::Variant> none;
            if (const auto surface = std::get<vb::Object>(control).AsDispatch()) {
                left = 0;
                surface->Invoke("Left", vb::InvokeKind::PropertyGet, none);
            }
        } catch (const vb::RuntimeError& e) {
            left = e.Number();
        }
        log.push_back("Create " + tip + " " + std::to_string(delay) + " " + std::to_string(width) +
                      (left < 0      ? " no-surface"
                       : left == 438 ? ""
                                     : " Left " + std::to_string(left)) +
                      (std::holds_alternative<vb::Object>(form) ? "" : " no-form"));
    }
    void Remove(vb::Variant) override { log.push_back("Remove"); }
    void About() override {}
};

// A value as `let` writes it; pictures named pic:NAME are kept in `named`.
vb::Variant Value(const std::string& v, std::map<std::string, host::PictureRef>& named) {
    if (v == "True" || v == "False") return vb::Boolean(v == "True");
    if (v == "font") return vb::Object(std::make_shared<vb::StdFont>("Tahoma", 8));
    if (v.starts_with("font:")) {
        const auto colon = v.rfind(':');
        return vb::Object(
            std::make_shared<vb::StdFont>(v.substr(5, colon - 5), std::stod(v.substr(colon + 1))));
    }
    if (v == "picture" || v.starts_with("pic:")) {
        auto& p = named[v == "picture" ? v + std::to_string(named.size()) : v];
        if (!p) p = std::make_shared<vb::StdPicture>(1, 1, std::vector<std::uint32_t>{0xFF000000u});
        return vb::Object(p);
    }
    if (v == "spev") return vb::Object(std::make_shared<SpEv>());
    if (v == "Nothing") return vb::Object();
    if (v[0] == '"') return Unescape(v.substr(1, v.size() - 2));
    if (v.find('e') != std::string::npos) return vb::Double(std::stod(v));
    if (v.find('.') != std::string::npos) return vb::Single(std::stof(v));
    return static_cast<vb::Long>(std::stol(v, nullptr, 0));
}

// A late-bound call of a member by name, or by dispatch id written #N.
template <class Target>
InvokeResult Call(Target& target, const std::string& member, vb::InvokeKind kind,
                  std::vector<vb::Variant>& args) {
    if (member.starts_with('#')) return Invoke(target, std::stol(member.substr(1)), kind, args);
    return Invoke(target, member, kind, args);
}

const std::map<std::string, vb::InvokeKind> kKinds{{"Get", vb::InvokeKind::PropertyGet},
                                                   {"Let", vb::InvokeKind::PropertyLet},
                                                   {"Set", vb::InvokeKind::PropertySet},
                                                   {"Method", vb::InvokeKind::Method}};

// The record's flags `get rec.X` reads.
const std::map<std::string, vb::Boolean ButtonRecord::*> kFlags{
    {"bLoading", &ButtonRecord::bLoading},
    {"bHasFocus", &ButtonRecord::bHasFocus},
    {"bDefault", &ButtonRecord::bDefault}};

// The arguments of a notification, as the host's variables.
struct HostArgs {
    std::string text;
    std::vector<double> n;
    vb::Integer b = 0, s = 0;
    vb::Single x = 0, y = 0;
    vb::Long effect = 0;
};
using Handler = std::function<void(sheenButton&, HostArgs&)>;
const std::map<std::string, Handler> kHandlers{
    {"MouseDown", [](auto& c, auto& a) { c.UserControl_MouseDown(a.b, a.s, a.x, a.y); }},
    {"MouseMove", [](auto& c, auto& a) { c.UserControl_MouseMove(a.b, a.s, a.x, a.y); }},
    {"MouseUp", [](auto& c, auto& a) { c.UserControl_MouseUp(a.b, a.s, a.x, a.y); }},
    {"KeyDown", [](auto& c, auto& a) { c.UserControl_KeyDown(a.b, a.s); }},
    {"KeyUp", [](auto& c, auto& a) { c.UserControl_KeyUp(a.b, a.s); }},
    {"KeyPress", [](auto& c, auto& a) { c.UserControl_KeyPress(a.b); }},
    {"AccessKeyPress", [](auto& c, auto& a) { c.UserControl_AccessKeyPress(a.b); }},
    {"GotFocus", [](auto& c, auto&) { c.UserControl_GotFocus(); }},
    {"LostFocus", [](auto& c, auto&) { c.UserControl_LostFocus(); }},
    {"Timer", [](auto& c, auto&) { c.tmrMouseIn_Timer(); }},
    {"Redraw", [](auto& c, auto& a) { c.Redraw(vb::Integer(a.n.at(0))); }},
    {"DrawAdded", [](auto& c, auto&) { c.DrawAdded(); }},
    {"BackColor", [](auto& c, auto& a) { c.BackColor(vb::Long(a.n.at(0))); }},
    {"Click", [](auto& c, auto&) { c.UserControl_Click(); }},
    {"InitProperties", [](auto& c, auto&) { c.UserControl_InitProperties(); }},
    {"Paint", [](auto& c, auto&) { c.UserControl_Paint(); }},
    {"Resize", [](auto& c, auto&) { c.UserControl_Resize(); }},
    {"AmbientChanged", [](auto& c, auto& a) { c.UserControl_AmbientChanged(a.text); }},
    {"OLECompleteDrag", [](auto& c, auto& a) { c.UserControl_OLECompleteDrag(a.effect); }},
    {"About", [](auto& c, auto&) { c.About(); }},
    {"QI.About", [](auto& c, auto&) { c.Record().cQuickInfo->About(); }}};

class Player : public ::testing::TestWithParam<Script> {
protected:
    void TearDown() override {
        SetSilentError(vb::False);
        SetStepProbe({});
        SetQIFactory(nullptr);
        for (const auto& name : env) unsetenv(name.c_str());
        if (file_limit) FileLimit("none");
        if (saved_stdin >= 0) {
            dup2(saved_stdin, 0);
            close(saved_stdin);
        }
    }
    void Step(const Row& row);
    void Assign(const std::string& key, const std::vector<std::string>& value);
    void Do(const std::string& handler, const std::string& rest, const Row& row);
    void FileLimit(const std::string& bytes);

    void New(std::unique_ptr<ButtonFixture> f) {
        f_ = std::move(f);
        f_->site.on_about = [this](const host::AboutInfo& info) { shown = info; };
    }
    // "caption WxH" or "picture WxH", see the head of the file.
    void Bare(const std::string& kind, int width, int height) {
        bare_ = std::make_unique<BareButton>(width, height);
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
    // A second button on the fixture's site that the host destroys while the event `at`
    // (or DoEvents) is raised.
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

    vb::Variant Value(const std::string& text) {
        if (text.starts_with("list:")) return vb::Object(lists.at(text.substr(5)));
        return sheenwork::Value(text, pictures);
    }
    std::string Show(const vb::Variant& v) const;
    InvokeResult CallMember(const std::string& member, vb::InvokeKind kind,
                            std::vector<vb::Variant>& args) {
        if (member.starts_with("Error.")) return Call(ErrorObject(), member.substr(6), kind, args);
        return Call(f_->button, member, kind, args);
    }
    vb::Variant Get(const std::string& name);

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
    gdi::Rect Ink();
    std::vector<ColorRef> With(const vb::StdPicture* picture, int x0, int y0,
                               const std::string& how);

    std::optional<testing::RecordingServices> services{std::in_place};
    testing::TempDir tmp;
    std::vector<std::string> env;      // the variables the story set
    std::optional<rlimit> file_limit;  // the limit before the story's own
    void (*file_limit_signal)(int) = nullptr;
    int saved_stdin = -1;         // standard input while the story has it closed
    std::optional<Mover> mover_;  // outlives the button that raises events to it
    std::unique_ptr<ButtonFixture> f_ =
        std::make_unique<ButtonFixture>();  // until a script makes its own
    std::unique_ptr<BareButton> bare_;
    std::unique_ptr<sheenButton> doomed_;
    std::optional<ControlLiveness> alive_;
    std::map<std::string, std::string> expected_;  // the tracked fields; empty: none
    std::string args_;
    int steps_ = 0;
    std::vector<ColorRef> kept_;
    gdi::Rect kept_ink_{};
    PaintState ps_;
    std::map<std::string, host::PictureRef> pictures;
    testing::RecordingBag saved;
    host::AboutInfo shown;
    Log tips;
    std::map<std::string, std::shared_ptr<testing::ListBox>> lists;
    struct {
        std::string name, before;
        Log looks;
    } watched;  // a property and what it read before and at each repaint and notification
};

// A value as the stories write it.
std::string Player::Show(const vb::Variant& v) const {
    if (const auto* s = std::get_if<std::string>(&v)) return "\"" + *s + "\"";
    const auto* o = std::get_if<vb::Object>(&v);
    if (!o) return vb::CStr(v);
    if (o->IsNothing()) return "Nothing";
    if (const auto font = o->As<vb::StdFont>()) {
        std::ostringstream s;
        s << "font:" << font->Name() << ":" << font->Size();
        return s.str();
    }
    for (const auto& [name, pic] : pictures)
        if (vb::Object(pic) == *o) return name;
    return "an object";
}

vb::Variant Player::Get(const std::string& name) {
    auto& holder = Site().Holder();
    if (name == "Image1.Picture")
        return holder.Picture() ? vb::Object(holder.Picture()) : vb::Object();
    if (name == "Image1.Width") return holder.Width();
    if (name == "Surface.ScaleWidth") return Surface().ScaleWidth();
    if (name.starts_with("rec.")) return f_->rec().*kFlags.at(name.substr(4));
    std::vector<vb::Variant> none;
    const auto got = CallMember(name, vb::InvokeKind::PropertyGet, none);
    EXPECT_EQ(got.error, 0) << name;
    return got.value;
}

// "NAME = VALUE": the site's settings by name, the record's fields as the button scenes
// set them; a tracked field's expectation follows.
void Player::Assign(const std::string& key, const std::vector<std::string>& value) {
    ButtonRecord& r = doomed_ ? doomed_->Record() : Rec();
    auto& site = Site();
    const std::string& v = value.at(0);
    const vb::Boolean yes(v == "True");
    if (key.starts_with("key")) {
        const auto k = std::stoi(key.substr(3));
        site.key_state[k] = services->key_state[k] = std::int16_t(std::stoi(v, nullptr, 0));
    } else if (key == "timer" || key == "UserMode" || key == "right_to_left" ||
               key == "extender_default") {
        (key == "timer"           ? site.timer_enabled
         : key == "UserMode"      ? site.user_mode
         : key == "right_to_left" ? site.right_to_left
                                  : site.extender_default) = yes;
    } else if (key == "under") {
        site.window_under_cursor = std::stoi(v);
    } else if (key == "cursor") {
        std::sscanf(v.c_str(), "%d,%d", &site.cursor.x, &site.cursor.y);
    } else if (key == "parent_font") {
        site.parent_font = nullptr;
    } else if (key == "painters") {  // the real ones
        f_->button.SetPainters(nullptr);
    } else if (key == "fail") {
        site.FailOn(v, value.size() > 1 ? std::stol(value[1]) : 5);
    } else if (key == "silent") {
        SetSilentError(yes);
    } else if (key == "probe") {
        const int step = std::stoi(v);
        SetStepProbe([step](const Procedure& p, int at) {
            if (p.Name() == "WriteCaption" && at == step) vb::Raise(5);
        });
    } else if (key == "moves") {
        mover_.emplace(site.log).x = std::stof(v);
        f_->button.EventSink(&*mover_);
    } else if (key == "look") {
        site.on_do_events = [this] {
            const ButtonRecord& now = f_->rec();
            f_->site.log.Add("seen " + now.sState + " " + TF(now.bHasFocus) + " " +
                             TF(now.bMouseOver));
        };
    } else {
        std::vector<std::string> words{key, "="};
        words.insert(words.end(), value.begin(), value.end());
        scenes::Assign(site, r, words);
    }
    if (expected_.count(key) && !doomed_)
        expected_[key] = v == "True"    ? "T"
                         : v == "False" ? "F"
                         : v[0] == '"'  ? scenes::Unquote(v)
                                        : v;
}

// "do HANDLER ARGS [| ANSWER]": numbers are the host's variables, a word its text.
void Player::Do(const std::string& handler, const std::string& rest, const Row& row) {
    sheenButton& button = doomed_ ? *doomed_ : f_->button;
    HostArgs a;
    a.text = rest;
    for (const std::string& word : scenes::Split(rest))
        if (std::isdigit(static_cast<unsigned char>(word[0]))) a.n.push_back(std::stod(word));
    const auto i = [&](std::size_t k) { return vb::Integer(a.n.at(k)); };
    if (handler.starts_with("Mouse"))
        a.b = i(0), a.s = i(1), a.x = vb::Single(a.n.at(2)), a.y = vb::Single(a.n.at(3));
    if (handler.starts_with("Key") || handler == "AccessKeyPress")
        a.b = i(0), a.s = a.n.size() > 1 ? i(1) : 0;
    a.effect = a.n.empty() ? 0 : vb::Long(a.n[0]);
    Site().log.Clear();
    kHandlers.at(handler)(button, a);
    ++steps_;
    std::ostringstream host;  // the arguments as the host has them after the step
    host << a.b << " " << a.s << " " << a.x << " " << a.y;
    args_ = host.str();
    if (row.size() > 1) {
        EXPECT_EQ(std::to_string(a.effect), row[1]);
    }
}

// The columns and rows holding pixels other than white.
gdi::Rect Player::Ink() {
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
std::vector<ColorRef> Player::With(const vb::StdPicture* picture, int x0, int y0,
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

// One line: the verb and its words in the first cell, what it expects in the others.
void Player::Step(const Row& row) {
    std::istringstream words(row[0]);
    std::string verb, name, rest;
    words >> verb >> name;
    std::getline(words >> std::ws, rest);
    const std::vector<std::string> w = scenes::Split(row[0]);
    const std::string what = w.size() > 1 ? w[1] : "";
    // The cells from the i-th, each split at ", ".
    const auto list = [&](std::size_t i) {
        Log out;
        for (; i < row.size(); ++i)
            if (!row[i].empty())
                for (std::string& item : Cut(row[i], ", ")) out.push_back(std::move(item));
        return out;
    };
    // The site's log entries that start with one of the prefixes "a,b" ("*" every one).
    const auto only = [&](const std::string& prefixes) {
        Log each = Cut(prefixes, ",");
        std::replace(each.begin(), each.end(), std::string("*"), std::string());
        return Site().log.Only(each);
    };
    const auto& boxes = services->boxes;
    ButtonRecord& rec = Rec();
    const auto surface = [this]() -> host::Surface& {
        return Surface();
    };  // the site logs each ask
    const auto at = [&](int x, int y) { return surface().Gdi().GetPixel(surface().hDC(), x, y); };
    const auto n = [&](std::size_t i) { return static_cast<int>(scenes::Number(w.at(i))); };
    const auto color = [&](std::size_t i) { return static_cast<ColorRef>(n(i)); };
    const auto rect = [&](std::size_t i) { return RECT{n(i), n(i + 1), n(i + 2), n(i + 3)}; };
    const auto run = [&](int x, int y, int dx, int dy, int count, ColorRef want) {
        for (int k = 0; k < count; ++k)
            EXPECT_EQ(at(x + k * dx, y + k * dy), want) << x + k * dx << "," << y + k * dy;
    };
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
        const std::map<std::string, host::PictureRef> fields = {{"Picture", rec.Picture},
                                                                {"PictureOver", rec.PictureOver},
                                                                {"PictureDown", rec.PictureDown},
                                                                {"PictureDis", rec.PictureDis},
                                                                {"none", nullptr}};
        return fields.at(field);
    };
    if (name == "=") {
        Assign(verb, std::vector<std::string>(w.begin() + 2, w.end()));
    } else if (verb == "new" || verb == "fresh") {
        New(verb == "fresh" ? std::make_unique<ButtonFixture>(ButtonFixture::Fresh{})
                            : std::make_unique<ButtonFixture>());
    } else if (verb == "section") {
        New(std::make_unique<ButtonFixture>(100, 23));
        f_->site.window_rect = {0, 0, 100, 23};
        // Loading left the hover timer running; each section starts after its first tick
        // found the pointer elsewhere and stopped it.
        f_->site.timer_enabled = vb::False;
        expected_ = Tracked(*f_);
    } else if (verb == "button") {
        New(std::make_unique<ButtonFixture>(std::stoi(name),
                                            std::stoi(name.substr(name.find('x') + 1))));
        f_->button.SetPainters(DefaultPainters());
        f_->rec().CornerColor = 0xFF00FF;
        expected_.clear();
    } else if (verb == "caption" || verb == "picture") {
        Bare(verb, std::stoi(name), std::stoi(name.substr(name.find('x') + 1)));
        expected_.clear();
    } else if (verb == "doomed") {
        Doomed(name);
    } else if (verb == "expect") {
        std::istringstream pairs(row[0].substr(7));
        for (std::string pair; pairs >> pair;) {
            const auto eq = pair.find('=');
            if (!expected_.count(pair.substr(0, eq)))
                ADD_FAILURE() << "not a tracked field: " << pair;
            else if (!doomed_)
                expected_[pair.substr(0, eq)] = pair.substr(eq + 1);
        }
    } else if (verb == "do") {
        Do(name, rest, row);
    } else if (verb == "let") {
        std::vector<vb::Variant> args{Value(rest)};
        const bool object = std::holds_alternative<vb::Object>(args[0]);
        const auto kind = object ? vb::InvokeKind::PropertySet : vb::InvokeKind::PropertyLet;
        EXPECT_EQ(Invoke(f_->button, name, kind, args).error,
                  row.size() > 1 ? std::stol(row[1]) : 0);
    } else if (verb == "get") {
        EXPECT_EQ(Show(Get(name)), Show(Value(rest)));
    } else if (verb == "prefix") {
        EXPECT_EQ(Show(f_->button.GetPrefixText()), Show(Value(row[1])));
    } else if (verb == "holder") {
        std::istringstream size(rest);
        float width = 0, height = 0;
        size >> width >> height;
        if (name == "natural")
            Site().Holder().NaturalSize(width, height);
        else
            Site().Holder().Picture(std::make_shared<vb::StdPicture>(
                int(width), int(height), std::vector<std::uint32_t>(std::size_t(width * height))));
    } else if (verb == "did") {
        EXPECT_EQ(Reduced(Site().log), list(1));
    } else if (verb == "log" || verb == "logfrom") {
        Log got = only(name);
        const Log want = list(1);
        if (verb == "logfrom" && !want.empty())
            got.erase(got.begin(), std::find(got.begin(), got.end(), want[0]));
        EXPECT_EQ(got, want);
    } else if (verb == "first" || verb == "last") {
        const Log got = only(name);
        ASSERT_FALSE(got.empty());
        EXPECT_TRUE((verb == "first" ? got.front() : got.back()).starts_with(row[1])) << row[1];
    } else if (verb == "rn") {
        EXPECT_EQ(f_->RepaintsAndNotifications(), list(1));
    } else if (verb == "watch") {
        watched = {name, Show(Get(name)), {}};
        const auto look = [this] { watched.looks.push_back(Show(Get(watched.name))); };
        f_->site.on_property_changed = [look](const std::string&) { look(); };
        f_->painters->on_body = look;
    } else if (verb == "seen") {
        const std::string now = Show(Get(watched.name));
        EXPECT_NE(now, watched.before) << "choose a value that differs";
        for (const auto& look : watched.looks) EXPECT_EQ(look, now) << "stored too late";
    } else if (verb == "args") {
        EXPECT_EQ(args_, rest.empty() ? name : name + " " + rest);
    } else if (verb == "gone") {
        EXPECT_FALSE(doomed_);
        EXPECT_FALSE(alive_ && *alive_);
        EXPECT_TRUE(services->calls.empty()) << "the address was opened";
    } else if (verb == "keep") {  // the pixels, and the box of those other than white
        kept_ = Surface().Pixels();
        kept_ink_ = Ink();
    } else if (verb == "same" || verb == "differs") {
        EXPECT_EQ(Surface().Pixels() == kept_, verb == "same") << "the pixels";
    } else if (verb == "boxes") {
        ASSERT_EQ(boxes.size(), std::stoul(name));
    } else if (verb == "box" || verb == "report" || verb == "text" || verb == "title") {
        const auto i = std::stoul(name);
        ASSERT_LT(i, boxes.size());
        const auto& box = boxes[i];
        if (verb == "box") {
            EXPECT_NE(box.text.find(Unescape(row[1])), std::string::npos) << box.text;
        } else if (verb == "text") {
            EXPECT_EQ(box.text, Unescape(row[1]));
        } else if (verb == "title") {
            EXPECT_EQ(box.title, row[1]);
            EXPECT_EQ(box.style, std::stoi(row[2]));
        } else {
            EXPECT_EQ(box.text,
                      ErrorReportText(std::stol(row[1]), row[2], row[3], 0, row[4], row[5]));
        }
    } else if (verb == "clear") {
        Site().log.Clear();
        shown = {};
    } else if (verb == "unfail") {
        Site().ClearFailures();
    } else if (verb == "theme") {
        services->theme.reset();
        if (name != "none") services->theme = system::ThemeName{"", Unescape(name), ""};
    } else if (verb == "version") {
        unsigned major = 0, minor = 0, build = 0, platform = 0;
        char dot;
        std::istringstream(name + " " + rest) >> major >> dot >> minor >> dot >> build >> platform;
        services->version = system::VersionInfo{major, minor, build, platform};
    } else if (verb == "library") {
        services->library_path = name;
    } else if (verb == "file") {
        std::filesystem::create_directories(std::filesystem::path(name).parent_path());
        std::ofstream(name, std::ios::binary) << Unescape(rest);
    } else if (verb == "calls") {
        EXPECT_EQ(services->calls, list(1));
        services->calls.clear();
    } else if (verb == "onclick") {
        f_->events.on_click = [this, name, rest] {
            if (name == "raise")
                vb::Raise(std::stol(rest));
            else
                f_->site.log.Add("Seen " + rest + " " + Show(Get(rest)));
        };
    } else if (verb == "tips") {
        if (row.size() > 1 || name.empty()) {
            EXPECT_EQ(tips, list(1));
            tips.clear();
        } else if (name == "off") {
            SetQIFactory(nullptr);
        } else {
            SetQIFactory([this, name]() -> std::shared_ptr<QI> {
                tips.push_back("new manager");
                if (name == "none") return nullptr;
                return std::make_shared<SpyTips>(tips, name == "failing");
            });
        }
    } else if (verb == "load") {
        host::MemoryPropertyBag bag;
        for (const auto& kv : list(1)) {
            const auto eq = kv.find('=');
            bag.WriteProperty(kv.substr(0, eq), Value(kv.substr(eq + 1)), {});
        }
        f_->site.log.Clear();
        f_->button.UserControl_ReadProperties(bag);
    } else if (verb == "save") {
        saved = {};
        f_->button.UserControl_WriteProperties(saved);
        if (!name.empty()) {
            EXPECT_EQ(saved.writes.size(), std::stoul(name));
        }
        if (row.size() > 1) {
            EXPECT_EQ(saved.Written(), list(1));
        }
    } else if (verb == "saved") {
        const auto i = std::stoul(name);
        EXPECT_EQ(i < saved.writes.size() ? saved.writes[i].key : "(none)", row[1]);
    } else if (verb == "about") {
        EXPECT_EQ(shown.control + " " + shown.version, row[1]);
        EXPECT_EQ(shown.product, row[2]);
        EXPECT_EQ(shown.years, row[3]);
        EXPECT_EQ(shown.links.size(), std::stoul(row[4]));
    } else if (verb == "links") {
        std::istringstream which(name + " " + rest);
        for (std::size_t i; which >> i;) {
            EXPECT_LT(i, shown.links.size());
            if (i < shown.links.size()) host::OpenAboutLink(shown.links[i]);
        }
    } else if (verb == "spev") {
        std::vector<vb::Variant> args;
        for (const std::string& word : scenes::Split(rest)) args.push_back(Value(word));
        const std::size_t given = args.size();
        const auto got = Call(SpEvObject(), name, vb::InvokeKind::Method, args);
        EXPECT_EQ(args.size(), given) << "the defaults stay with the callee";
        if (row.size() > 1 && row[1].starts_with("error ")) {
            EXPECT_EQ(got.error, std::stol(row[1].substr(6)));
        } else {
            EXPECT_EQ(got.error, 0) << got.description;
            if (row.size() > 1) {
                EXPECT_EQ(Show(got.value), Show(Value(row[1])));
            }
        }
    } else if (verb == "call") {
        std::istringstream member_and_value(rest);
        std::string member, value;
        member_and_value >> member;
        std::getline(member_and_value >> std::ws, value);
        std::vector<vb::Variant> args;
        if (!value.empty()) args.push_back(Value(value));
        const auto got = CallMember(member, kKinds.at(name), args);
        EXPECT_EQ(got.error, std::stol(row[1]));
        if (row.size() > 2) {
            EXPECT_EQ(got.description, row[2]);
        }
    } else if (verb == "list") {
        lists[name] = std::make_shared<testing::ListBox>();
        lists[name]->items = list(1);
    } else if (verb == "items") {
        EXPECT_EQ(lists.at(name)->items, list(1));
    } else if (verb == "read") {
        EXPECT_EQ(testing::ReadFile(name), Unescape(row.size() > 1 ? row[1] : ""));
    } else if (verb == "fifo") {
        EXPECT_EQ(mkfifo(name.c_str(), 0600), 0);
    } else if (verb == "errorlog") {
        services->SetErrorLog(std::get<std::string>(Value(row[1])));
    } else if (verb == "handler") {
        ErrorHandler(std::stol(name), row[1], row[2], row.size() > 5 ? std::stol(row[5]) : 0,
                     row[3], row[4]);
    } else if (verb == "procedure") {
        std::istringstream words_after(rest);
        std::string kind, module;
        words_after >> kind >> module;
        const std::map<std::string, ModuleKind> kinds{
            {"UserControl", ModuleKind::UserControl},
            {"ClassModule", ModuleKind::ClassModule},
            {"StandardModule", ModuleKind::StandardModule}};
        Log ran;
        Procedure procedure{name, kinds.at(kind), module};
        for (const std::string& step : Cut(row[1], ", "))
            procedure([&] {
                std::istringstream actions(step);
                for (std::string action, argument; actions >> action;) {
                    if (action == "memory") throw std::bad_alloc();
                    if (action == "other") throw 42;
                    std::getline(actions >> std::ws, argument, action == "fail" ? '\n' : ' ');
                    if (action == "fail") throw std::runtime_error(argument);
                    if (action == "raise") vb::Raise(std::stol(argument));
                    ran.push_back(argument);
                }
            });
        EXPECT_EQ(ran, Cut(row[2], ", "));
        EXPECT_EQ(procedure.Ended(), row[3] == "True");
    } else if (verb == "components") {
        const std::string folder = SHEENWORK_TEST_COMPONENT_DIR;
        EXPECT_TRUE(std::filesystem::exists(
            folder + "/" + system::ComponentFileName("SheenlineErrorHandler.ErrorHandler")))
            << "the test component is built with the tests";
        services.emplace(std::vector<std::string>{folder});
    } else if (verb == "env") {
        setenv(name.c_str(), rest.c_str(), 1);
        env.push_back(name);
    } else if (verb == "filelimit") {
        FileLimit(name);
    } else if (verb == "nostdin") {
        saved_stdin = dup(0);
        close(0);
    } else if (verb == "exists" || verb == "empty") {
        const bool yes =
            verb == "exists" ? std::filesystem::exists(name) : std::filesystem::is_empty(name);
        EXPECT_EQ(yes, row[1] == "True");
    } else if (verb == "has") {
        EXPECT_NE(testing::ReadFile(name).find(Unescape(row[1])), std::string::npos);
    } else if (verb == "remove") {
        std::filesystem::remove(name);
    } else if (verb == "mkdir") {
        std::filesystem::create_directories(name);
    } else if (verb == "link") {
        std::filesystem::create_symlink(name, rest);
    } else if (verb == "back") {
        surface().BackColor(color(1));
    } else if (verb == "paint" || verb == "drawimage") {
        ++steps_;
        ps_ = PaintState{};
        PaintContext context{rec, Site(), surface(), ps_};
        if (bare_) bare_->gdi.texts.clear();
        if (verb == "drawimage") {
            Site().log.Clear();
            Painters{}.DrawImage(context);
        } else if (what.empty()) {
            surface().BackColor(0xFFFFFF);
            DefaultPainters()->WriteCaption(context);
        } else if (what == "body") {
            ps_.sDrawState = w.size() > 2 ? w[2] : "";
            surface().Cls();
            rec.ButtonStyle == cButtonWinXP ? DefaultPainters()->XPBody(context)
                                            : DefaultPainters()->OfficeBody(context);
        } else if (what == "ring") {
            DefaultPainters()->drawMLine(context, w.at(2)[0] == '"' ? scenes::Unquote(w[2]) : w[2]);
        } else {
            DefaultPainters()->DropDownGlyph(context);
        }
    } else if (verb == "gradient") {
        ++steps_;
        const gdi::Rect r{n(1), n(2), n(3), n(4)};
        DrawGradient(surface().Gdi(), surface().hDC(), &r, n(5), n(6), n(7));
    } else if (verb == "row") {
        run(n(2), n(1), 1, 0, n(3) - n(2) + 1, color(4));
    } else if (verb == "column") {
        run(n(1), n(2), 0, 1, n(3) - n(2) + 1, color(4));
    } else if (verb == "pixels") {
        for (std::size_t i = 3; i < w.size(); ++i)
            EXPECT_EQ(at(n(2) + int(i) - 3, n(1)), color(i)) << n(2) + int(i) - 3 << "," << n(1);
    } else if (verb == "pixel" && w.at(3) == "not") {
        EXPECT_NE(at(n(1), n(2)), color(4)) << n(1) << "," << n(2);
    } else if (verb == "pixel") {
        EXPECT_EQ(at(n(1), n(2)), color(3)) << n(1) << "," << n(2);
    } else if (verb == "count") {
        const auto px = surface().Pixels();
        EXPECT_EQ(std::count(px.begin(), px.end(), color(1)), n(2));
    } else if (verb == "runs") {  // runs rows|columns COLOR AT:FIRST:LENGTH ...
        const bool by_row = w.at(1) == "rows";
        const int width = int(surface().ScaleWidth()), height = int(surface().ScaleHeight());
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
    } else if (verb == "state" && what == "bGlyphDrawn") {  // what the glyph painter left
        EXPECT_EQ(bool(ps_.bGlyphDrawn), w.at(2) == "True");
    } else if (verb == "state") {
        const RECT got = what == "rcDropDown" ? ps_.rcDropDown
                         : what == "rcMain"   ? ps_.rcMain
                                              : ps_.ptSeparator;
        EXPECT_EQ(got, rect(2)) << what;
    } else if (verb == "font") {  // font drop "NAME" POINTS
        Site().lbl_drop_down_font->Name(scenes::Unquote(w.at(2)));
        Site().lbl_drop_down_font->Size(std::stod(w.at(3)));
    } else if (verb == "forecolor") {
        EXPECT_EQ(surface().ForeColor(), color(1));
    } else if (verb == "draws") {
        EXPECT_EQ(Draws().size(), std::size_t(n(1)));
    } else if (verb == "draw") {  // draw I L T R B [COLOR]
        const auto draws = Draws();
        EXPECT_LT(std::size_t(n(1)), draws.size());
        if (std::size_t(n(1)) >= draws.size()) return;
        EXPECT_EQ(draws[n(1)].rect, (RECT{n(2), n(3), n(4), n(5)}));
        if (w.size() > 6) {
            EXPECT_EQ(draws[n(1)].color, ColorRef(n(6)));
        }
    } else if (verb == "writes") {  // writes L T R B FORMAT [COLOR [HEIGHT]]
        const auto texts = bare_ ? bare_->gdi.texts : std::vector<TextCall>{};
        EXPECT_EQ(texts.size(), 2u);
        if (texts.size() != 2) return;
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
    } else if (verb == "says") {
        EXPECT_EQ(Draw().text, scenes::Unquote(w.at(1)));
    } else if (verb == "fontheight") {
        EXPECT_EQ(Surface().Font().PixelHeight(), n(1));
    } else if (verb == "ink") {
        edges(Ink());
    } else if (verb == "drawn") {
        edges(Draw().rect);
    } else if (verb == "centred") {  // centred LEFT RIGHT SLACK: the ink between them
        EXPECT_LE(std::abs((Ink().left - n(1)) - (n(2) - Ink().right)), n(3));
    } else if (verb == "at") {
        EXPECT_EQ(rec.sngX, std::stof(w.at(1)));
        EXPECT_EQ(rec.sngY, std::stof(w.at(2)));
    } else if (verb == "current") {
        EXPECT_EQ(rec.picCurrent, picture(w.at(1)));
    } else if (verb == "shows" && w.size() > 4 && w[4] == "blended") {
        // Inside the picture each channel may be 1 off the model's rounding.
        const auto shown_px = Surface().Pixels();
        const auto want = With(picture(w.at(1)).get(), n(2), n(3), w[4]);
        const auto& pic = *picture(w[1]);
        const int width = int(Surface().ScaleWidth());
        for (std::size_t i = 0; i < shown_px.size(); ++i) {
            const int x = static_cast<int>(i) % width - n(2);
            const int y = static_cast<int>(i) / width - n(3);
            const bool inside = x >= 0 && y >= 0 && x < pic.PixelWidth() && y < pic.PixelHeight();
            for (const int shift : {0, 8, 16})
                EXPECT_NEAR((shown_px[i] >> shift) & 0xFF, (want[i] >> shift) & 0xFF, inside)
                    << "pixel " << i << " channel " << shift;
        }
    } else if (verb == "shows") {  // shows FIELD X Y [masked|blended]
        EXPECT_EQ(Surface().Pixels(),
                  With(picture(w.at(1)).get(), n(2), n(3), w.size() > 4 ? w[4] : ""));
    } else if (verb == "soft") {
        EXPECT_EQ(rec.Picture->SoftAlpha(), w.at(1) == "True");
    } else {
        ADD_FAILURE() << "unknown step " << verb;
    }
}

// A limit on the size of files written (their signal ignored, the write fails instead), or
// "none": the limit as it was.
void Player::FileLimit(const std::string& bytes) {
    if (bytes == "none") {
        ASSERT_TRUE(file_limit);
        setrlimit(RLIMIT_FSIZE, &*file_limit);
        std::signal(SIGXFSZ, file_limit_signal);
        file_limit.reset();
        return;
    }
    file_limit.emplace();
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &*file_limit), 0);
    file_limit_signal = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = *file_limit;
    small.rlim_cur = std::stoul(bytes);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
}

// The property stories, a script a file.
std::vector<Script> Stories() {
    std::vector<Script> all;
    for (const auto& path : testing::Stories("props", ".txt")) {
        const std::string file = "props/" + path.filename().string();
        all.push_back({testing::StoryTestName(path), {Row{file, {"new"}}}});
        for (Row& row : testing::ReadTable(file)) all.back().rows.push_back(std::move(row));
    }
    return all;
}

// The sections of the files that walk a button, and the one-line cases of the painters'
// tables: "SIZE [picture] | steps separated by ;".
std::vector<Script> Sections() {
    std::vector<Script> all;
    for (const char* file : {"input/mouse", "input/keyboard", "input/redraw", "input/edges",
                             "paint/frames", "paint/steps"})
        for (Row& row : testing::ReadTable(file + std::string(".txt"))) {
            if (row[0].starts_with("== "))
                all.push_back({row[0].substr(3), {Row{row.where, {"section"}}}});
            else
                all.back().rows.push_back(std::move(row));
        }
    for (const std::string table : {"paint/captions", "paint/pictures", "paint/picture_states"})
        for (Row& row : testing::ReadTable(table + ".txt")) {
            const std::string kind = row[0].ends_with(" picture") ? "picture " : "caption ";
            Script s{row[0], {Row{row.where, {kind + row[0]}}}};
            std::string steps;
            for (std::size_t i = 1; i < row.size(); ++i) steps += (i > 1 ? " | " : "") + row[i];
            for (const std::string& step : Cut(steps, ";")) {
                Row cells{row.where, Cut(step, " | ")};
                for (auto& c : cells.cells) c.erase(0, c.find_first_not_of(' '));
                s.rows.push_back(std::move(cells));
            }
            all.push_back(std::move(s));
        }
    return all;
}

std::string ScriptName(const ::testing::TestParamInfo<Script>& info) {
    std::string name;
    for (char c : info.param.name) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return name + "_" + std::to_string(info.index);
}

TEST_P(Player, Runs) {
    const std::string source = SHEENWORK_SOURCE_DIR;
    const auto setup = {"do", "expect", "section", "button", "caption", "picture", "doomed"};
    for (Row row : GetParam().rows) {
        for (auto& c : row.cells) {
            for (std::size_t at; (at = c.find("$TMP")) != std::string::npos;)
                c.replace(at, 4, tmp.Path().string());
            for (std::size_t at; (at = c.find("$SRC")) != std::string::npos;)
                c.replace(at, 4, source);
        }
        SCOPED_TRACE(row.where + ": " + row[0]);
        Step(row);
        const std::string verb = row[0].substr(0, row[0].find(' '));
        const bool checks = std::find(setup.begin(), setup.end(), verb) == setup.end() &&
                            row[0].find(" = ") == std::string::npos;
        if (checks && !expected_.empty() && !doomed_ && !alive_) {
            EXPECT_EQ(Tracked(*f_), expected_);
        }
    }
    if (GetParam().rows.at(0)[0] != "new") {
        EXPECT_GT(steps_, 0) << "a script without a step";
    }
}

INSTANTIATE_TEST_SUITE_P(Props, Player, ::testing::ValuesIn(Stories()), ScriptName);
INSTANTIATE_TEST_SUITE_P(Sections, Player, ::testing::ValuesIn(Sections()), ScriptName);

}  // namespace
}  // namespace sheenwork
