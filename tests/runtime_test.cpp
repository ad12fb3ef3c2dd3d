// The form runtime: input routing, focus, the default and cancel buttons, access keys and
// timers, told as stories (tests/data/runtime/*.story: a form, a script, the
// notifications the controls must get, in order); the key state, timers, scripts and
// forms on their own.
#include <sheenwork/runtime/form.h>
#include <sheenwork/runtime/script.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/logging_control.h"
#include "support/recording_services.h"

namespace sheenwork::runtime {
namespace {

using Log = std::vector<std::string>;

std::string ReadText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// A runtime on a virtual clock with logging controls.
struct Bench {
    explicit Bench(std::vector<std::string> keys = {})
        : log(std::make_shared<testing::NotificationLog>()),
          runtime(clock, *gdi, testing::LoggingFactory(log, std::move(keys))) {
        log->clock = &clock;
    }
    testing::RecordingServices services;
    VirtualClock clock;
    std::unique_ptr<gdi::Gdi> gdi = gdi::MakeRasterGdi();
    std::shared_ptr<testing::NotificationLog> log;
    Runtime runtime;
};

// A story: its set-up lines, its script and the notifications expected.
struct Story {
    std::string name;
    std::vector<std::string> setup, expected;
    std::string script;
};

Story ReadStory(const std::filesystem::path& path) {
    Story story{path.stem().string(), {}, {}, {}};
    std::istringstream in(ReadText(path));
    int part = 0;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("--- script", 0) == 0) {
            part = 1;
            continue;
        }
        if (line.rfind("--- expect", 0) == 0) {
            part = 2;
            continue;
        }
        if (part == 1) {
            story.script += line + "\n";
            continue;
        }
        if (line.empty() || line[0] == '#') continue;
        (part == 0 ? story.setup : story.expected).push_back(line);
    }
    return story;
}

std::vector<std::filesystem::path> Stories() {
    std::vector<std::filesystem::path> out;
    for (const auto& e :
         std::filesystem::directory_iterator(std::string(SHEENWORK_TEST_DATA_DIR) + "/runtime"))
        if (e.path().extension() == ".story") out.push_back(e.path());
    std::sort(out.begin(), out.end());
    return out;
}

class RuntimeStory : public ::testing::TestWithParam<std::filesystem::path> {};

TEST_P(RuntimeStory, ControlsGetTheirNotificationsInOrder) {
    const Story story = ReadStory(GetParam());
    std::vector<std::string> keys;
    for (const auto& line : story.setup) {
        const auto at = line.find(" keys=");
        if (line.rfind("control ", 0) == 0 && at != std::string::npos) {
            std::istringstream words(line);
            std::string verb, name;
            words >> verb >> name;
            keys.push_back(name + "=" + line.substr(at + 6, line.find(' ', at + 6) - at - 6));
        }
    }
    Bench b(keys);
    Form* form = nullptr;
    for (const auto& line : story.setup) {
        std::istringstream words(line);
        std::string verb;
        words >> verb;
        if (verb == "form") {
            int l, t, w, h;
            words >> l >> t >> w >> h;
            form = &b.runtime.CreateForm("Form1", {l, t, l + w, t + h});
            continue;
        }
        if (!form) form = &b.runtime.CreateForm("Form1", {100, 100, 400, 300});
        std::string name;
        words >> name;
        if (verb == "control") {
            std::string cls;
            int l, t, w, h;
            words >> cls >> l >> t >> w >> h;
            Window& win = form->Add(cls, name, {l, t, l + w, t + h});
            for (std::string option; words >> option;) {
                if (option == "hidden") win.Visible(false);
                if (option == "disabled") win.Site().SurfaceEnabled(vb::False);
                if (option == "notab") win.TabStop(false);
                if (option.rfind("tab=", 0) == 0) win.TabIndex(std::stoi(option.substr(4)));
            }
        } else if (verb == "default") {
            form->DefaultButton(form->Find(name));
        } else if (verb == "cancel") {
            form->CancelButton(form->Find(name));
        } else if (verb == "timer") {
            form->Find(name)->Site().tmrMouseInEnabled(vb::True);
        } else {
            FAIL() << story.name << ": unknown set-up line " << line;
        }
    }
    b.log->entries.clear();
    Driver driver(b.runtime, *form);
    driver.Run(ParseScript(story.script, story.name));
    EXPECT_EQ(b.log->entries, story.expected);
    EXPECT_TRUE(b.runtime.MessageBoxes().empty());
}

INSTANTIATE_TEST_SUITE_P(Stories, RuntimeStory, ::testing::ValuesIn(Stories()),
                         [](const auto& info) { return info.param.stem().string(); });

// A handler may remove its own window or destroy its form; the notification still ends
// on live objects (the sanitizer build checks), and nothing more reaches them.
TEST(Forms, HandlersMayRemoveTheirWindowOrDestroyTheirForm) {
    Bench b;
    Form& form = b.runtime.CreateForm("Form1", {0, 0, 300, 100});
    form.Add("Test.Button", "SelfKillsClick", {0, 0, 50, 50});
    form.Add("Test.Button", "SelfKillsTimer", {60, 0, 110, 50});
    form.Add("Test.Button", "FormKillsMouseDown", {120, 0, 170, 50});
    form.Find("SelfKillsTimer")->Site().tmrMouseInEnabled(vb::True);
    b.log->entries.clear();
    Driver driver(b.runtime, form);
    driver.Run(ParseScript("click SelfKillsClick\nwait 30\nclick 10 10\n"));
    EXPECT_EQ(form.Windows().size(), 1u);
    EXPECT_EQ(b.log->entries,
              (Log{"SelfKillsClick MouseMove 0 0 25 25", "SelfKillsClick MouseDown 1 0 25 25",
                   "SelfKillsClick MouseUp 1 0 25 25", "SelfKillsClick Click",
                   "SelfKillsClick after Click", "SelfKillsTimer Timer tmrMouseIn @10",
                   "SelfKillsTimer after Timer"}));
    b.log->entries.clear();
    driver.Run(ParseScript("move 130 10\npress\nrelease\nwait 20\n"));
    EXPECT_EQ(b.log->entries, (Log{"FormKillsMouseDown MouseMove 0 0 10 10",
                                   "FormKillsMouseDown MouseDown 1 0 10 10",
                                   "FormKillsMouseDown after MouseDown"}));
    EXPECT_EQ(b.runtime.FindForm("Form1"), nullptr);
}

// GetAsyncKeyState as Windows answers it: bit 15 while down, bit 0 once per press since
// the last query; the left and right Alt keys hold the common one.
TEST(KeyState, DownNowAndPressedSinceTheLastQuery) {
    KeyState k;
    EXPECT_EQ(k.Query(VK_MENU), 0);
    k.Down(VK_LMENU);
    EXPECT_EQ(static_cast<std::uint16_t>(k.Query(VK_MENU)), 0x8001);
    EXPECT_EQ(static_cast<std::uint16_t>(k.Query(VK_MENU)), 0x8000);
    EXPECT_EQ(k.Query(VK_RMENU), 0);
    k.Down(VK_RMENU);
    k.Up(VK_LMENU);
    EXPECT_TRUE(k.IsDown(VK_MENU));  // the right one still holds it
    k.Up(VK_RMENU);
    EXPECT_FALSE(k.IsDown(VK_MENU));
    EXPECT_EQ(k.Query(VK_LMENU), 1);  // pressed and released since the last query
    EXPECT_EQ(k.Query(VK_LMENU), 0);
    EXPECT_EQ(k.Query(VK_RMENU), 1);
    k.Down(VK_LSHIFT);
    k.Down(VK_RCONTROL);
    EXPECT_EQ(k.ShiftMask(), kShiftMask | kCtrlMask);
    EXPECT_EQ(k.Query(0), 0);
    EXPECT_EQ(k.Query(300), 0);
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
    // A tick that destroys its own timer.
    Timers::Id once = 0;
    once = t.Create([&] { t.Destroy(once); });
    t.Enable(once, true);
    clock.Advance(Millis(10));
    EXPECT_TRUE(t.RunOneDue());
    EXPECT_FALSE(t.Enabled(once));
}

// Every malformed line is refused with its line and column and what was expected.
TEST(Script, MalformedLinesNameTheirPlace) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"mvoe 1 2",
         "s:1:1: unknown step 'mvoe'; expected move, press, release, click, key, type, alt, "
         "focus or wait"},
        {"move", "s:1:5: expected a control's name or a point"},
        {"move 1", "s:1:7: expected a y coordinate"},
        {"move 1 x", "s:1:8: expected a y coordinate, not 'x'"},
        {"move a 1", "s:1:9: expected a y coordinate"},
        {"move 1 2 3", "s:1:10: unexpected '3' at the end of the step"},
        {"press sideways", "s:1:7: unexpected 'sideways' at the end of the step"},
        {"release 1", "s:1:9: unexpected '1' at the end of the step"},
        {"click left a 1", "s:1:15: expected a y coordinate"},
        {"key", "s:1:4: expected down, up or press"},
        {"key hold A", "s:1:5: expected down, up or press after 'key', not 'hold'"},
        {"key down", "s:1:9: expected a key (Space, Enter, Escape, Tab, A, F1, a key code)"},
        {"key down Hyper", "s:1:10: unknown key 'Hyper'"},
        {"key up F25", "s:1:8: unknown key 'F25'"},
        {"type hello", "s:1:6: expected a quoted text, not 'hello'"},
        {"type \"open", "s:1:6: unterminated string"},
        {"type \"a\\qb\"", "s:1:8: unknown escape '\\q'; expected \\\", \\\\, \\n or \\t"},
        {"type \"\xe9\"", "s:1:6: no key types the character '\xe9'"},
        {"alt", "s:1:4: expected a key (Space, Enter, Escape, Tab, A, F1, a key code)"},
        {"focus", "s:1:6: expected a control's name"},
        {"wait", "s:1:5: expected a whole number of milliseconds"},
        {"wait -5", "s:1:6: expected a whole number of milliseconds, not '-5'"},
        {"wait 1.5", "s:1:6: expected a whole number of milliseconds, not '1.5'"},
        {"wait 10 # fine\n  wait soon",
         "s:2:8: expected a whole number of milliseconds, not 'soon'"},
        {"move 1 2\n\n# c\nkey press Tab Tab", "s:4:15: unexpected 'Tab' at the end of the step"},
    };
    for (const auto& [text, message] : cases) {
        try {
            ParseScript(text, "s");
            ADD_FAILURE() << "accepted: " << text;
        } catch (const ScriptError& e) {
            EXPECT_EQ(std::string(e.what()), message) << text;
        }
    }
    // Unknown names are found when the step runs, with the name's place.
    Bench b;
    Form& form = b.runtime.CreateForm("Form1", {0, 0, 100, 100});
    Driver driver(b.runtime, form);
    try {
        driver.Run(ParseScript("wait 1\nclick  nobody", "s"));
        ADD_FAILURE() << "ran";
    } catch (const ScriptError& e) {
        EXPECT_EQ(std::string(e.what()), "s:2:8: no control named 'nobody' on form Form1");
    }
}

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
    Form& back = b.runtime.CreateForm("Back", {0, 0, 200, 100});
    Form& front = b.runtime.CreateForm("Front", {50, 0, 150, 50});
    Window& low = back.Add("Test.Logger", "low", {0, 0, 10, 10});
    Window& high = back.Add("Test.Logger", "high", {5, 5, 15, 15});
    EXPECT_EQ(b.runtime.WindowFromPoint({7, 7}), high.Hwnd());
    back.BringToFront(low);
    EXPECT_EQ(b.runtime.WindowFromPoint({7, 7}), low.Hwnd());
    // The newest form is active and on top, until another is activated.
    EXPECT_EQ(b.runtime.ActiveForm(), &front);
    EXPECT_EQ(b.runtime.WindowFromPoint({60, 10}), front.Hwnd());
    b.runtime.Activate(back);
    EXPECT_EQ(b.runtime.WindowFromPoint({60, 10}), back.Hwnd());
    EXPECT_EQ(b.runtime.WindowFromPoint({-1, 10}), 0);
    EXPECT_THROW(back.Add("Test.Logger", "LOW", {0, 0, 1, 1}), std::invalid_argument);
    EXPECT_THROW(back.Add("No.Such", "x", {0, 0, 1, 1}), std::runtime_error);
    EXPECT_THROW(back.DefaultButton(&low), std::invalid_argument);

    back.BackColor(0x00112233);
    low.Surface().BackColor(0x000000FF);
    high.Surface().BackColor(0x0000FF00);
    const auto px = back.Compose();
    ASSERT_EQ(px.size(), 200u * 100u);
    EXPECT_EQ(px[0], 0x0000FFu);               // low, now on top
    EXPECT_EQ(px[7 * 200 + 7], 0x0000FFu);     // where both lie
    EXPECT_EQ(px[12 * 200 + 12], 0x00FF00u);   // high alone
    EXPECT_EQ(px[50 * 200 + 100], 0x112233u);  // the form
}

}  // namespace
}  // namespace sheenwork::runtime
