// The input handlers: the transition tables walked row by row from tests/data/input, the
// reading chosen where the mouse handling's own rules disagree, failing statements, and
// event handlers that destroy the button under the handler's feet.
#include <sheenwork/control/sheenButton.h>
#include <sheenwork/util/error.h>

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>

#include "support/button_fixture.h"
#include "support/recording_services.h"

namespace sheenwork {
namespace {

using testing::ButtonFixture;
using Fields = std::map<std::string, std::string>;

std::string TF(vb::Boolean b) { return b ? "T" : "F"; }

// The fields every row checks, written as the rows write them.
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

void Set(ButtonFixture& f, const std::string& key, const std::string& v) {
    ButtonRecord& r = f.rec();
    const vb::Boolean b(v == "T");
    const auto n = [&] { return std::stoi(v); };
    std::map<std::string, std::function<void()>> setters = {
        {"sState", [&] { r.sState = v; }},
        {"sDropDownState", [&] { r.sDropDownState = v; }},
        {"bMouseOver", [&] { r.bMouseOver = b; }},
        {"bMouseEntered", [&] { r.bMouseEntered = b; }},
        {"bHasFocus", [&] { r.bHasFocus = b; }},
        {"bSpaceDown", [&] { r.bSpaceDown = b; }},
        {"timer", [&] { f.site.timer_enabled = b; }},
        {"DropDown", [&] { r.DropDown = b; }},
        {"DropDownAlign", [&] { r.DropDownAlign = n(); }},
        {"DropDownSize", [&] { r.DropDownSize = vb::Integer(n()); }},
        {"AutoXPMouseIcons", [&] { r.AutoXPMouseIcons = b; }},
        {"ColorStyle", [&] { r.ColorStyle = n(); }},
        {"MousePointer", [&] { r.MousePointer = n(); }},
        {"UserMode", [&] { f.site.user_mode = b; }},
        {"under", [&] { f.site.window_under_cursor = n(); }},
        {"cursor", [&] { std::sscanf(v.c_str(), "%d,%d", &f.site.cursor.x, &f.site.cursor.y); }},
    };
    if (key.rfind("key", 0) == 0)
        f.site.key_state[std::stoi(key.substr(3))] = std::int16_t(n());
    else if (auto it = setters.find(key); it != setters.end())
        it->second();
    else
        ADD_FAILURE() << "no such key: " << key;
}

void Do(sheenButton& button, std::istringstream& in) {
    std::string h;
    in >> h;
    std::vector<double> a;
    for (double x; in >> x;) a.push_back(x);
    const auto i = [&](std::size_t k) { return vb::Integer(a.at(k)); };
    vb::Integer b = 0, s = 0;
    vb::Single x = 0, y = 0;
    if (h.rfind("Mouse", 0) == 0)
        b = i(0), s = i(1), x = vb::Single(a.at(2)), y = vb::Single(a.at(3));
    if (h == "MouseDown")
        button.UserControl_MouseDown(b, s, x, y);
    else if (h == "MouseMove")
        button.UserControl_MouseMove(b, s, x, y);
    else if (h == "MouseUp")
        button.UserControl_MouseUp(b, s, x, y);
    else if (h == "Timer")
        button.tmrMouseIn_Timer();
    else if (h == "KeyDown")
        b = i(0), s = i(1), button.UserControl_KeyDown(b, s);
    else if (h == "KeyUp")
        b = i(0), s = i(1), button.UserControl_KeyUp(b, s);
    else if (h == "KeyPress")
        b = i(0), button.UserControl_KeyPress(b);
    else if (h == "AccessKeyPress")
        b = i(0), button.UserControl_AccessKeyPress(b);
    else if (h == "GotFocus")
        button.UserControl_GotFocus();
    else if (h == "LostFocus")
        button.UserControl_LostFocus();
    else
        ADD_FAILURE() << "no such handler: " << h;
}

// The log as the rows write it: a body and the highlight step after it are one Redraw.
std::string Reduced(const testing::CallLog& log) {
    std::string out, paint;
    const auto add = [&](const std::string& e) { out += (out.empty() ? "" : " | ") + e; };
    for (const std::string& e :
         log.Only({"Event:", "Paint:XPBody", "Paint:drawMLine", "SetFocus", "DoEvents",
                   "Surface.Mouse", "xp ", "tmrMouseIn.Enabled ", "GetAsyncKeyState"})) {
        if (e.rfind("Paint:XPBody ", 0) == 0) {
            paint =
                (e.back() == '0' ? "Redraw " : "Redraw1 ") + e.substr(13, e.rfind(" pass") - 13);
        } else if (e.rfind("Paint:drawMLine ", 0) == 0) {
            add((paint.empty() ? "drawMLine" : paint) + " " + e.substr(16));
            paint.clear();
        } else {
            add(e.rfind("Event:", 0) == 0 ? e.substr(6) : e);
        }
    }
    return out.empty() ? "-" : out;
}

void Walk(const std::string& file) {
    testing::RecordingServices services;
    std::ifstream in(std::string(SHEENWORK_TEST_DATA_DIR) + "/input/" + file);
    ASSERT_TRUE(in) << file;
    std::unique_ptr<ButtonFixture> f;
    Fields expected;
    std::string line, title;
    int rows = 0;
    for (int number = 1; std::getline(in, line); ++number) {
        if (line.empty() || line[0] == '#') continue;
        SCOPED_TRACE(file + ":" + std::to_string(number) + " " + title);
        std::istringstream words(line);
        std::string verb;
        words >> verb;
        if (verb == "==") {
            title = line.substr(3);
            f = std::make_unique<ButtonFixture>(100, 23);
            f->site.window_rect = {0, 0, 100, 23};
            // Loading left the hover timer running; each section starts after its first
            // tick found the pointer elsewhere and stopped it.
            f->site.timer_enabled = vb::False;
            expected = Tracked(*f);
            continue;
        }
        ASSERT_TRUE(f) << "a row before its title";
        if (verb == "do") {
            f->site.log.Clear();
            Do(f->button, words);
            ++rows;
            continue;
        }
        for (std::string pair; (verb == "set" || verb == "expect") && words >> pair;) {
            const auto eq = pair.find('=');
            const std::string key = pair.substr(0, eq), value = pair.substr(eq + 1);
            if (verb == "set") Set(*f, key, value);
            if (expected.count(key))
                expected[key] = value;
            else if (verb == "expect")
                ADD_FAILURE() << "not a tracked field: " << key;
        }
        if (verb == "log") {
            EXPECT_EQ(Reduced(f->site.log), line.substr(4));
            EXPECT_EQ(Tracked(*f), expected);
        }
    }
    EXPECT_GT(rows, 10);
}

TEST(InputTransitions, MouseAndHover) { Walk("mouse.txt"); }
TEST(InputTransitions, KeyboardAndFocus) { Walk("keyboard.txt"); }

// MouseUp's step list puts the border on for any focused button, while the mouse
// handling's edge cases say its handlers never draw a highlight in the classic scheme
// (and every other highlight step of theirs skips it). We follow the edge cases: the
// classic highlight is the focus rectangle, which inverts, so drawing it again right
// after the repaint would take it off a button just clicked with the mouse.
TEST(InputReading, AClassicReleaseKeepsTheFocusRectangle) {
    testing::RecordingServices services;
    ButtonFixture f(60, 23);
    f.button.SetPainters(nullptr);
    ButtonRecord& r = f.rec();
    r.ColorStyle = cWinClassic;
    r.bHasFocus = r.bMouseOver = vb::True;
    r.sState = "down";
    vb::Integer b = 1, s = 0;
    vb::Single x = 5, y = 5;
    f.button.UserControl_MouseUp(b, s, x, y);
    const auto released = f.site.Surface().Image()->pixels;
    f.button.Redraw(0);
    EXPECT_EQ(released, f.site.Surface().Image()->pixels);
    r.bHasFocus = vb::False;
    f.button.Redraw(0);
    EXPECT_NE(released, f.site.Surface().Image()->pixels) << "the rectangle is there";
}

// The handlers hand the host's own variables to the events: a MouseMove handler that
// moves X moves the drop-down section test after it, and the host sees the change.
TEST(InputEdges, EventsShareTheNotificationsArguments) {
    struct Mover : testing::RecordingEvents {
        using RecordingEvents::RecordingEvents;
        void MouseMove(vb::Integer& B, vb::Integer& S, vb::Single& X, vb::Single& Y) override {
            RecordingEvents::MouseMove(B, S, X, Y);
            X = 50;
        }
    };
    ButtonFixture f(100, 23);
    Mover mover(f.site.log);
    f.button.EventSink(&mover);
    ButtonRecord& r = f.rec();
    r.DropDown = r.bMouseOver = r.bMouseEntered = vb::True;
    r.DropDownSize = 12;
    r.sState = r.sDropDownState = "down";
    vb::Integer b = 1, s = 0;
    vb::Single x = 95, y = 5;
    f.button.UserControl_MouseMove(b, s, x, y);
    EXPECT_EQ(x, 50);
    EXPECT_EQ(r.sDropDownState, "n");
}

// The messages the press refresh lets through see the press complete: focus, hover and
// "down" are all set before it.
TEST(InputEdges, ThePressRefreshSeesThePress) {
    ButtonFixture f(100, 23);
    int seen = 0;
    f.site.on_do_events = [&] {
        const ButtonRecord& r = f.rec();
        seen += r.sState == "down" && r.bHasFocus && r.bMouseOver;
    };
    vb::Integer b = 1, s = 0;
    vb::Single x = 5, y = 5;
    f.button.UserControl_MouseDown(b, s, x, y);
    EXPECT_EQ(seen, 1);
}

class InputFailures : public ::testing::Test {
protected:
    void TearDown() override { SetSilentError(vb::False); }
    testing::RecordingServices services;
    ButtonFixture f{100, 23};
    vb::Integer b = 1, s = 0;
    vb::Single x = 10, y = 5;
};

TEST_F(InputFailures, AFocusThatCannotBeGivenIsSkippedWithoutAReport) {
    f.site.FailOn("SetFocus");
    f.button.UserControl_MouseDown(b, s, x, y);
    EXPECT_TRUE(services.boxes.empty());
    EXPECT_EQ(Reduced(f.site.log),
              "SetFocus | DoEvents | Redraw \"down\" \"\" | MouseDown 1 0 10 5");
    EXPECT_TRUE(f.rec().bHasFocus);
}

TEST_F(InputFailures, AContainerThatCannotTellItsModeStopsTheTimer) {
    f.site.FailOn("Ambient.UserMode");
    f.site.timer_enabled = f.rec().bMouseEntered = vb::True;
    f.button.tmrMouseIn_Timer();
    EXPECT_TRUE(services.boxes.empty());
    EXPECT_EQ(f.site.log.Only({"tmrMouseIn", "GetCursorPos", "Event:"}),
              std::vector<std::string>{"tmrMouseIn.Enabled False"});
}

// A reported failure ends the tick where it happened; while errors are silent the tick
// goes on without the cursor and finds it gone.
TEST_F(InputFailures, AFailingCursorQueryEndsTheTickOrIsSkipped) {
    f.site.FailOn("GetCursorPos");
    f.site.timer_enabled = f.rec().bMouseOver = f.rec().bMouseEntered = vb::True;
    f.button.tmrMouseIn_Timer();
    ASSERT_EQ(services.boxes.size(), 1u);
    EXPECT_NE(services.boxes[0].text.find("/tmrMouseIn_Timer"), std::string::npos);
    EXPECT_EQ(Reduced(f.site.log), "-");
    EXPECT_TRUE(f.rec().bMouseOver && f.site.timer_enabled);

    SetSilentError(vb::True);
    f.site.log.Clear();
    f.button.tmrMouseIn_Timer();
    EXPECT_EQ(Reduced(f.site.log), "MouseLeave | Redraw \"\" \"\" | tmrMouseIn.Enabled False");
    EXPECT_EQ(services.boxes.size(), 1u);
}

// A statement that decides (a key-state query, a section test) and fails silently takes
// its decision with it: the access key does not click.
TEST_F(InputFailures, ASilentlyFailingAltQueryDoesNotClick) {
    SetSilentError(vb::True);
    f.site.FailOn("GetAsyncKeyState");
    vb::Integer ascii = 97;
    f.button.UserControl_AccessKeyPress(ascii);
    EXPECT_EQ(Reduced(f.site.log), "GetAsyncKeyState 18");
    EXPECT_FALSE(f.rec().bHasFocus);
}

// A host handler may close the form and destroy the button in the middle of any of its
// notifications, also from a message the press refresh lets through: the notification
// stops right there and touches nothing of the button (the sanitizer build sees any use
// after free; the log sees the steps that would have run).
TEST(InputReentry, AButtonDestroyedByItsHostStopsItsHandler) {
    struct Row {
        std::string at;  // the event (or DoEvents) during which the host destroys it
        std::function<void(sheenButton&)> act;
        std::string log;
        bool entered = true;
    };
    vb::Integer b = 1, s = 0, key = 32, ascii = 13;
    vb::Single x = 95, y = 5;
    const std::vector<Row> rows = {
        {"DropDown", [&](sheenButton& c) { c.UserControl_MouseDown(b, s, x, y); },
         "SetFocus | DropDown"},
        {"DoEvents", [&](sheenButton& c) { c.UserControl_MouseDown(b, s, x, y); },
         "SetFocus | DropDown | DoEvents"},
        {"MouseDown", [&](sheenButton& c) { c.UserControl_MouseDown(b, s, x, y); },
         "SetFocus | DropDown | DoEvents | Redraw \"\" \"orange\" | Redraw1 \"down\" \"\" | "
         "MouseDown 1 0 95 5"},
        {"MouseEnter", [&](sheenButton& c) { c.UserControl_MouseMove(b, s, x, y); }, "MouseEnter",
         false},
        {"MouseMove", [&](sheenButton& c) { c.UserControl_MouseMove(b, s, x, y); },
         "MouseMove 1 0 95 5"},
        {"MouseLeave", [&](sheenButton& c) { c.tmrMouseIn_Timer(); }, "MouseLeave"},
        {"Click", [&](sheenButton& c) { c.UserControl_KeyUp(key, s); },
         "Redraw \"\" \"orange\" | Click"},
        {"Click", [&](sheenButton& c) { c.UserControl_AccessKeyPress(ascii); }, "Click"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.at + " " + row.log);
        testing::RecordingServices services;
        ButtonFixture f(100, 23);  // its own button stays; the doomed one is on the heap
        auto button = std::make_unique<sheenButton>(f.site);
        button->SetPainters(f.painters);
        button->EventSink(&f.events);
        button->Record() = testing::NewInstanceRecord();
        ButtonRecord& r = button->Record();
        r.DropDown = r.bMouseOver = vb::True;
        r.bMouseEntered = vb::Boolean(row.entered);
        r.DropDownSize = 12;
        r.URL = "https://example.org/";
        const ControlLiveness alive = button->Liveness();
        f.events.on_event = [&](const std::string& name) {
            if (name == row.at) button.reset();
        };
        f.site.on_do_events = [&] {
            if (row.at == "DoEvents") button.reset();
        };
        row.act(*button);
        EXPECT_FALSE(button);
        EXPECT_FALSE(alive);
        EXPECT_EQ(Reduced(f.site.log), row.log);
        EXPECT_TRUE(services.calls.empty()) << "the address was opened";
    }
}

}  // namespace
}  // namespace sheenwork
