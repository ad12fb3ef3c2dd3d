// The form runtime: input routing, focus, the default and cancel buttons, access keys and
// timers, told as stories (tests/data/runtime/*.story: a form, a script, the
// notifications the controls must get, in order); the key state, timers, scripts and
// forms on their own.
#include <sheenwork/control/sheenButton.h>
#include <sheenwork/desktop/app.h>
#include <sheenwork/picture/pointers.h>
#include <sheenwork/runtime/controls.h>
#include <sheenwork/runtime/form.h>
#include <sheenwork/runtime/form_file.h>
#include <sheenwork/runtime/keys.h>
#include <sheenwork/runtime/script.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "png_io.h"
#include "render/redraw.h"
#include "support/button_fixture.h"
#include "support/data.h"
#include "support/logging_control.h"
#include "support/recording_services.h"
#include "support/refusal.h"
#include "support/story.h"
#include "support/story_log.h"
#include "support/story_play.h"

namespace sheenwork::runtime {
namespace {

using Log = std::vector<std::string>;
using testing::Section;
using testing::Stories;
using testing::Story;

using testing::ReadFile;

// A story's form on the headless runtime (logging controls "Test.*" and the linked
// Sheenwork classes), its buttons' events, timer ticks with their time and shell calls
// logged as the stories expect them.
struct Bench : testing::Headless {
    explicit Bench(const Story& story) : Headless(story) {
        log->clock = &clock;
        services.on_call = [this](const std::string& call) {
            log->entries.push_back("shell " + call);
        };
        for (Window* w : form->Windows())
            if (const auto button = w->Native<sheenButton>()) {
                sinks.push_back(
                    std::make_unique<testing::RecordingEvents>(log->entries, w->Name() + " "));
                button->EventSink(sinks.back().get());
            }
    }
    // A bench of a form alone, at `form` ("L T W H").
    explicit Bench(const std::string& form = "0 0 200 100")
        : Bench(Story{"", {"form " + form}, {}}) {}
    std::vector<std::unique_ptr<testing::RecordingEvents>> sinks;
};

// The fields a story can look at: a window's button's state, its properties, the hover
// timer's, and the form's own (open, controls: how many it holds, boxes: the message boxes
// shown, cursor: the pointer the runtime shows, a Cursor's number or one of the XP hands).
std::string FieldOf(Runtime& runtime, const std::string& name, const std::string& field) {
    Form* const form = runtime.FindForm("Form1");
    if (name == "form" && field == "open") return form ? "yes" : "no";
    if (name == "form" && field == "controls")
        return form ? std::to_string(form->Windows().size()) : "none";
    if (name == "form" && field == "cursor") {
        const CursorShape shape = runtime.CurrentCursor();
        if (shape.cursor != Cursor::Custom) return std::to_string(static_cast<int>(shape.cursor));
        return shape.picture == picture::XPPointer(0)   ? "hand"
               : shape.picture == picture::XPPointer(1) ? "clicking-hand"
                                                        : "another picture";
    }
    if (name == "form" && field == "boxes") return std::to_string(runtime.MessageBoxes().size());
    Window* w = form ? form->Find(name) : nullptr;
    if (!w) return "no control " + name;
    if (field == "timer") return w->Site().tmrMouseInEnabled() ? "on" : "off";
    const auto b = w->Native<sheenButton>();
    if (!b) return "?";
    const std::string state = testing::FieldOf(*b, field);
    if (state != "?") return state;
    std::vector<vb::Variant> none;  // else a property, as a program reads it
    return vb::CStr(w->Instance()->Invoke(field, vb::InvokeKind::PropertyGet, none).value);
}

// The visible popups as a "popup" line says them, by place ("none" without one); the one
// shown followed by the golden picture `wanted` ends with when it looks like it.
std::string PopupsOf(Runtime& runtime, const std::string& wanted) {
    const std::string picture =
        wanted.ends_with(".png") ? wanted.substr(wanted.rfind(' ') + 1) : "";
    Form* const form = runtime.FindForm("Form1");
    std::string places;
    for (runtime::Popup* p : form ? form->Popups() : std::vector<runtime::Popup*>{}) {
        if (!p->Visible()) continue;
        const gdi::Rect r = p->ScreenRect();
        places += (places.empty() ? "" : ", ") + testing::PopupKey(0, r);
        if (picture.empty()) continue;
        const png::Image shown{r.Width(), r.Height(), p->Surface().Pixels()};
        const auto golden = testing::DataPath("golden/" + picture);
        if (std::getenv("SHEENWORK_UPDATE_GOLDEN")) png::Write(golden, shown);
        if (png::Read(golden).pixels == shown.pixels) places += " " + picture;
    }
    return places.empty() ? "none" : places;
}

class RuntimeStory : public ::testing::TestWithParam<std::filesystem::path> {};

TEST_P(RuntimeStory, ControlsGetTheirNotificationsInOrder) {
    const Story story = testing::ReadStory(GetParam());
    const auto b = std::make_unique<Bench>(story);  // a set-up line it cannot use fails here
    Driver driver(*b->runtime, *b->form);
    for (std::size_t n = 0; n < story.sections.size(); ++n) {
        SCOPED_TRACE("section " + std::to_string(n + 1));
        const Section& section = story.sections[n];
        b->log->entries.clear();
        testing::SetLines(*b->form, section.sets);
        driver.Run(ParseScript(section.script, story.name));
        testing::ExpectSection(
            section, b->log->entries,
            [&](const std::string& name, int x, int y) -> std::optional<gdi::ColorRef> {
                Form* const now = b->runtime->FindForm("Form1");  // a handler may close it
                Window* w = now ? now->Find(name) : nullptr;
                if (!w) return std::nullopt;
                return w->Surface().Pixels()[std::size_t(y) * w->Rect().Width() + x];
            },
            [&](const std::string& name, const std::string& field) {
                return FieldOf(*b->runtime, name, field);
            },
            [&](const std::string& wanted) { return PopupsOf(*b->runtime, wanted); });
    }
    EXPECT_TRUE(b->runtime->MessageBoxes().empty());
}

// The stories of tests/data/runtime, which the window hosts replay too, and those of its
// headless folder, which look at what only the runtime shows (its pointer, a form that
// closes).
std::vector<std::filesystem::path> AllStories() {
    std::vector<std::filesystem::path> out = Stories();
    for (const auto& e : std::filesystem::directory_iterator(testing::DataPath("runtime/headless")))
        out.push_back(e.path());
    return out;
}

INSTANTIATE_TEST_SUITE_P(Stories, RuntimeStory, ::testing::ValuesIn(AllStories()),
                         [](const auto& info) { return testing::StoryTestName(info.param); });

// A button's handlers that re-enter (tests/data/runtime/reenter.txt): they set properties,
// click again, show a modal message box whose loop runs the timers, remove their own
// window or destroy the form while the press refresh lets pending work run. Every path
// ends on live objects (the sanitizer build checks) with the events a user would expect.
class ReenteringHandler : public ::testing::TestWithParam<testing::Row> {};

TEST_P(ReenteringHandler, EndsOnLiveObjectsWithTheEventsAUserExpects) {
    const std::string kind = GetParam()[0];
    Bench b;
    Form& form = *b.form;
    Window& w = form.Add("Sheenwork.sheenButton", "go", {10, 10}, {90, 26});
    const auto button = w.Native<sheenButton>();
    std::vector<std::string> logged;
    testing::RecordingEvents sink(logged, "");
    std::string events;  // the clicks, presses and leaves
    int clicks = 0;
    sink.on_event = [&](const std::string& what) {
        if (what == "Click" || what == "MouseDown" || what == "MouseLeave")
            events += (events.empty() ? "" : " ") + what;
        if (what == "Click" && ++clicks == 1) {
            if (kind == "properties") {
                button->Caption("Again");
                button->ColorStyle(cXPOlive);
            }
            if (kind == "click-again") button->Value(vb::True);
            if (kind == "message-box") {
                b.runtime->MessageBox({"Saved.", "Demo", 64});
                EXPECT_EQ(button->Value(), vb::True);
            }
        }
        // Runs when the press refresh lets pending work run, mid-press.
        if (what == "MouseDown" && kind == "remove") b.runtime->Post([&] { form.Remove(w); });
        if (what == "MouseDown" && kind == "destroy")
            b.runtime->Post([&] { b.runtime->DestroyForm(form); });
    };
    button->EventSink(&sink);
    // A modal box keeps the loop going: the pointer has left, so the tick inside the box
    // raises MouseLeave.
    b.runtime->OnMessageBox([&](const MessageBoxRequest&) {
        b.runtime->MouseMove({150, 80});
        b.runtime->Advance(Millis(20));
        return 1;
    });
    Driver(*b.runtime, form).Run(ParseScript(testing::Unescape(GetParam()[1])));
    EXPECT_EQ(events, GetParam()[2]);
    std::istringstream fields(GetParam()[3]);  // NAME.FIELD=VALUE ...
    for (std::string pair; fields >> pair;) {
        const auto dot = pair.find('.'), eq = pair.find('=');
        EXPECT_EQ(FieldOf(*b.runtime, pair.substr(0, dot), pair.substr(dot + 1, eq - dot - 1)),
                  pair.substr(eq + 1))
            << pair;
    }
}

INSTANTIATE_TEST_SUITE_P(Table, ReenteringHandler,
                         ::testing::ValuesIn(testing::ReadTable("runtime/reenter.txt")),
                         testing::RowName);

// A window's and a popup's surfaces take the size of their rectangles (one pixel at the
// least), whichever side changes; a removed window is no longer found by name or handle.
TEST(Forms, SurfacesFollowTheirRectanglesAndRemovedWindowsAreGone) {
    Bench b;
    Form& form = *b.form;
    Window& w = form.Add("Test.Logger", "w", {10, 10}, {30, 20});
    const auto size = [](host::Surface& s) {
        return std::make_pair(s.ScaleWidth(), s.ScaleHeight());
    };
    EXPECT_EQ(size(w.Surface()), std::make_pair(30.0f, 20.0f));
    // The control hears Resize when its size changes, not when only its place does.
    const auto resizes = [&] { return std::ranges::count(b.log->entries, "w Resize"); };
    const auto before = resizes();
    w.Move({10, 10}, {30, 1});
    EXPECT_EQ(size(w.Surface()), std::make_pair(30.0f, 1.0f));
    w.Move({0, 0}, {1, 5});
    EXPECT_EQ(size(w.Surface()), std::make_pair(1.0f, 5.0f));
    w.Move({2, 3}, {1, 5});
    EXPECT_EQ(resizes() - before, 2);

    Popup& popup = form.AddPopup();
    popup.Move({0, 0, 20, 10});
    EXPECT_EQ(size(popup.Surface()), std::make_pair(20.0f, 10.0f));
    popup.Move({5, 5, 30, 15});  // only the width changes
    EXPECT_EQ(size(popup.Surface()), std::make_pair(25.0f, 10.0f));
    popup.Move({5, 5, 30, 8});  // only the height
    EXPECT_EQ(size(popup.Surface()), std::make_pair(25.0f, 3.0f));
    popup.Move({5, 5, 5, 8});  // empty: a surface of one pixel's width
    EXPECT_EQ(size(popup.Surface()), std::make_pair(1.0f, 3.0f));
    const long popup_hwnd = popup.Hwnd();
    form.RemovePopup(popup);
    EXPECT_EQ(form.FindPopup(popup_hwnd), nullptr);

    // Whoever still holds it (a handler that is running) sees it no longer alive; its
    // hover timer goes with it, so nothing is due any more.
    const long hwnd = w.Hwnd();
    const Held held = Hold(w);
    EXPECT_TRUE(held->Alive());
    w.Site().tmrMouseInEnabled(vb::True);
    EXPECT_TRUE(b.runtime->NextTimerDue());
    form.Remove(w);
    EXPECT_FALSE(held->Alive());
    EXPECT_FALSE(b.runtime->NextTimerDue());
    // Asked where it lies now, its site fails the call with "Invalid procedure call".
    EXPECT_EQ(testing::Refusal<vb::RuntimeError>(
                  [&] { held->Site().GetWindowRect(hwnd); },
                  [](const auto& e) { return std::to_string(e.Number()); }),
              "5");
    EXPECT_EQ(form.Find("w"), nullptr);
    EXPECT_EQ(form.FindByHwnd(hwnd), nullptr);
}

// A list of four numbers places nothing: some read it as left, top, right, bottom and
// others as left, top, width, height. A position and a size place everything.
template <class T>
constexpr bool kPlacesFourNumbers = requires(T& t, Form& f, const std::string& s) {
    t.Add(s, s, {10, 10, 100, 36});
}
|| requires(T& t, const std::string& s) { t.CreateForm(s, {10, 10, 100, 36}); }
|| requires(T& t, Form& f, const std::string& s) { t.AddButton(f, s, {10, 10, 100, 36}); }
|| requires(T& t) { t.Move({10, 10, 100, 36}); };
template <class T>
constexpr bool kPlacesPositionAndSize = requires(T& t, const std::string& s) {
    t.Add(s, s, {10, 10}, {100, 36});
}
|| requires(T& t, const std::string& s) { t.CreateForm(s, {10, 10}, {100, 36}); };
static_assert(!kPlacesFourNumbers<Form> && !kPlacesFourNumbers<Runtime> &&
              !kPlacesFourNumbers<Window> && !kPlacesFourNumbers<desktop::App>);
static_assert(kPlacesPositionAndSize<Form> && kPlacesPositionAndSize<Runtime> &&
              kPlacesPositionAndSize<desktop::App>);

// Placing a control, a form, or moving a control (tests/data/runtime/placements.txt): the
// rectangle it takes, or the refusal that names it and why, with nothing placed. A button
// placed inside its form shows on the form's picture from its left to its right edge.
TEST(Forms, PlacementsTakeAPositionAndASizeAndRefuseEmptyOnes) {
    for (const testing::Row& row : testing::ReadTable("runtime/placements.txt")) {
        const std::string& line = row[0];
        SCOPED_TRACE(row.where);
        std::istringstream words(line);
        std::string what, bang, want_error;
        Position at;
        Size size;
        gdi::Rect want;
        words >> what >> at.left >> at.top >> size.width >> size.height;
        const bool refused = (words >> std::ws).peek() == '!';
        if (refused) {
            words >> bang >> std::ws;
            std::getline(words, want_error);
        } else {
            words >> want.left >> want.top >> want.right >> want.bottom;
        }
        Bench b("0 0 300 200");
        Form& form = *b.form;
        std::string error;
        const auto attempt = [&](auto place) {
            try {
                place();
            } catch (const std::invalid_argument& e) {
                error = e.what();
            }
        };
        Window* placed = nullptr;
        if (what == "form") {
            attempt([&] { b.runtime->CreateForm("Form2", at, size); });
            EXPECT_EQ(b.runtime->FindForm("Form2") != nullptr, !refused);
            if (!refused) {
                EXPECT_EQ(b.runtime->FindForm("Form2")->ScreenRect(), want);
            }
        } else if (what == "control") {
            attempt([&] { form.Add("Sheenwork.sheenButton", "cmdSave", at, size); });
            placed = form.Find("cmdSave");
            EXPECT_EQ(placed != nullptr, !refused);
        } else {
            ASSERT_EQ(what, "move");
            placed = &form.Add("Sheenwork.sheenButton", "cmdSave", {1, 2}, {3, 4});
            attempt([&] { placed->Move(at, size); });
            if (refused) {
                EXPECT_EQ(placed->Rect(), (gdi::Rect{1, 2, 4, 6}));
            }
        }
        EXPECT_EQ(error, want_error);
        if (refused || !placed) continue;
        EXPECT_EQ(placed->Rect(), want);
        if (want.left < 1 || want.right >= form.Width() || want.bottom > form.Height()) continue;
        const auto picture = form.Compose();
        const auto pixel = [&](int x, int y) { return picture[y * form.Width() + x]; };
        const int y = (want.top + want.bottom) / 2;
        EXPECT_EQ(pixel(want.left - 1, y), pixel(0, 0));
        EXPECT_NE(pixel(want.left, y), pixel(0, 0));
        EXPECT_NE(pixel(want.right - 1, y), pixel(0, 0));
        EXPECT_EQ(pixel(want.right, y), pixel(0, 0));
    }
}

// GetAsyncKeyState as Windows answers it, step by step (tests/data/runtime/key_state.txt).
TEST(KeyState, DownNowAndPressedSinceTheLastQuery) {
    KeyState k;
    for (const testing::Row& row : testing::ReadTable("runtime/key_state.txt")) {
        // #N is the code N itself, even one no key has.
        const std::optional<int> key = row.size() < 2 || row[1].empty() ? std::optional<int>(0)
                                       : row[1][0] == '#' ? std::atoi(row[1].c_str() + 1)
                                                          : KeyFromName(row[1]);
        char got[16] = "";
        if (row[0] == "name") {
            std::snprintf(got, sizeof got, "%s", key ? std::to_string(*key).c_str() : "none");
            EXPECT_EQ(got, row[2]) << row.where;
            continue;
        }
        ASSERT_TRUE(key) << row.where << ": no such key";
        const int vk = *key;
        if (row[0] == "down") k.Down(vk);
        if (row[0] == "up") k.Up(vk);
        if (row[0] == "query")
            std::snprintf(got, sizeof got, "%04X", static_cast<std::uint16_t>(k.Query(vk)));
        if (row[0] == "down?") std::snprintf(got, sizeof got, "%s", k.IsDown(vk) ? "yes" : "no");
        if (row[0] == "shift") std::snprintf(got, sizeof got, "%d", k.ShiftMask());
        EXPECT_EQ(got, row.size() > 2 ? row[2] : "") << row.where;
    }
}

TEST(Timers, PlatformMinimumOneTickWhenOverdueAndOrderByDueTime) {
    VirtualClock clock;
    Timers t(clock);
    Log ticks;
    const auto fast =
        t.Create([&] { ticks.push_back("fast@" + std::to_string(clock.Now().count())); });
    const auto slow =
        t.Create([&] { ticks.push_back("slow@" + std::to_string(clock.Now().count())); });
    t.Interval(fast, Millis(1));
    t.Interval(slow, Millis(25));
    EXPECT_EQ(t.EffectiveInterval(fast), Millis(10));
    t.Enable(fast, true);
    t.Enable(slow, true);
    EXPECT_EQ(t.NextDue(), Millis(10));
    clock.Advance(Millis(60));  // late: each ticks once, the earlier due first
    while (t.RunOneDue()) {
    }
    EXPECT_EQ(ticks, (Log{"fast@60", "slow@60"}));
    EXPECT_EQ(t.NextDue(), Millis(70));
    t.Enable(fast, false);
    EXPECT_EQ(t.NextDue(), Millis(85));
    // A new interval on a running timer counts from now: 60 + 40.
    t.Interval(slow, Millis(40));
    EXPECT_EQ(t.NextDue(), Millis(100));
    // A tick that destroys its own timer.
    Timers::Id once = 0;
    once = t.Create([&] { t.Destroy(once); });
    t.Enable(once, true);
    clock.Advance(Millis(10));
    EXPECT_TRUE(t.RunOneDue());
    EXPECT_FALSE(t.Enabled(once));
}

// tests/data/runtime/script_errors.txt: every malformed line is refused with its line and
// column and what was expected; an unknown control's name when the step runs, on an empty
// form.
class MalformedScript : public ::testing::TestWithParam<testing::Row> {};

TEST_P(MalformedScript, NamesItsPlace) {
    Bench b;
    const auto run = [&] {
        Driver(*b.runtime, *b.form).Run(ParseScript(testing::Unescape(GetParam()[0]), "s"));
    };
    EXPECT_EQ(testing::Refusal<ScriptError>(run), testing::Unescape(GetParam()[1]));
}

INSTANTIATE_TEST_SUITE_P(Table, MalformedScript,
                         ::testing::ValuesIn(testing::ReadTable("runtime/script_errors.txt")),
                         testing::RowName);

TEST(Script, StepsKeepWhatTheLineSays) {
    const Script s = ParseScript(
        "  Move cmdOK 3 4 # to the corner\nCLICK right\ntype \"a\\\"b\\\\\"\nwait 0\n", "f");
    ASSERT_EQ(s.steps.size(), 4u);
    EXPECT_EQ(s.steps[0].kind, Step::Kind::Move);
    EXPECT_EQ(s.steps[0].target, "cmdOK");
    EXPECT_EQ(s.steps[0].column, 3);
    EXPECT_EQ(s.steps[0].at->x, 3);
    EXPECT_EQ(s.steps[0].at->y, 4);
    EXPECT_EQ(s.steps[1].button, 2);
    EXPECT_TRUE(s.steps[1].target.empty());
    EXPECT_EQ(s.steps[2].text, "a\"b\\");
    EXPECT_EQ(s.steps[3].line, 4);
}

// The topmost visible form and window under a point; the composed picture of a form has
// the back colour where no control is, and each control's surface in z-order.
TEST(Forms, HitTestingAndTheComposedPicture) {
    Bench b;
    Form& back = *b.form;
    Form& front = b.runtime->CreateForm("Front", {50, 0}, {100, 50});
    Window& low = back.Add("Test.Logger", "low", {0, 0}, {10, 10});
    Window& high = back.Add("Test.Logger", "high", {5, 5}, {10, 10});
    EXPECT_EQ(b.runtime->WindowFromPoint({7, 7}), high.Hwnd());
    back.BringToFront(low);
    EXPECT_EQ(b.runtime->WindowFromPoint({7, 7}), low.Hwnd());
    // The newest form is active and on top, until another is activated.
    EXPECT_EQ(b.runtime->ActiveForm(), &front);
    EXPECT_EQ(b.runtime->WindowFromPoint({60, 10}), front.Hwnd());
    b.runtime->Activate(back);
    EXPECT_EQ(b.runtime->WindowFromPoint({60, 10}), back.Hwnd());
    EXPECT_EQ(b.runtime->WindowFromPoint({-1, 10}), 0);
    EXPECT_THROW(back.Add("Test.Logger", "LOW", {0, 0}, {1, 1}), std::invalid_argument);
    EXPECT_THROW(back.Add("No.Such", "x", {0, 0}, {1, 1}), std::runtime_error);
    EXPECT_THROW(back.DefaultButton(&low), std::invalid_argument);

    // Windows partly off the form show the part that lies on it, nothing else.
    back.Add("Test.Logger", "right", {196, -2}, {10, 5}).Surface().BackColor(0x00AA0000);
    back.Add("Test.Logger", "left", {-4, 97}, {6, 6}).Surface().BackColor(0x0000AA00);
    back.BackColor(0x00112233);
    low.Surface().BackColor(0x000000FF);
    high.Surface().BackColor(0x0000FF00);
    const auto px = back.Compose();
    ASSERT_EQ(px.size(), 200u * 100u);
    for (const testing::Row& row : testing::ReadTable("runtime/compose.txt")) {
        const int x = std::stoi(row[0]), y = std::stoi(row[0].substr(row[0].find(',') + 1));
        char hex[16];
        std::snprintf(hex, sizeof hex, "%06X", px[static_cast<std::size_t>(y) * 200 + x]);
        EXPECT_EQ(hex, row[1]) << row.where;
    }
}

// The README shows examples/hello_button.cpp, which the build compiles and runs: the two
// must not drift apart.
TEST(Readme, ShowsTheExampleTheBuildRuns) {
    const std::string readme = ReadFile(std::string(SHEENWORK_SOURCE_DIR) + "/README.md");
    const std::string example =
        ReadFile(std::string(SHEENWORK_SOURCE_DIR) + "/examples/hello_button.cpp");
    ASSERT_FALSE(example.empty());
    EXPECT_NE(readme.find("```cpp\n" + example + "```"), std::string::npos);
    // Its form file sample reads and loads.
    const auto form_at = readme.find("```\nBegin Form frmOrder");
    ASSERT_NE(form_at, std::string::npos);
    const auto form_end = readme.find("```", form_at + 4);
    {
        Bench b;
        const FormFile file = ParseFormFile(readme.substr(form_at + 4, form_end - form_at - 4),
                                            std::string(SHEENWORK_SOURCE_DIR) + "/README.md");
        EXPECT_EQ(LoadForm(*b.runtime, file).Find("cmdOK")->Native<sheenButton>()->ColorStyle(),
                  cXPOlive);
    }
    // Its script sample is a script, and runs against the example's form.
    const auto at = readme.find("```\nmove cmdSave");
    ASSERT_NE(at, std::string::npos);
    const auto end = readme.find("```", at + 4);
    const Script script = ParseScript(readme.substr(at + 4, end - at - 4), "README.md");
    EXPECT_EQ(script.steps.size(), 7u);
    Bench b("100 100 200 60");
    Form& form = *b.form;
    form.Add("Sheenwork.sheenButton", "cmdSave", {10, 10}, {90, 26});
    Driver(*b.runtime, form).Run(script);
    // The window program too (the installed-package test runs it on a display).
    const std::string window =
        ReadFile(std::string(SHEENWORK_SOURCE_DIR) + "/examples/window_button.cpp");
    ASSERT_FALSE(window.empty());
    EXPECT_NE(readme.find("```cpp\n" + window + "```"), std::string::npos);
}

}  // namespace
}  // namespace sheenwork::runtime
