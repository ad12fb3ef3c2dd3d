// The window host on a real X display (Xvfb), driven from outside as a user would: the
// pointer and the keys through xdotool, the screen read back with xwd. Each of the
// runtime's stories runs twice, on screen through `sheenwork run` and headless through
// the scripted driver; the events the window's buttons raise must be the story's, and
// after every section the window's pixels (and every tooltip's, with its place) must
// equal the headless render of the same form after the same script.
//
// Nothing here waits for time to pass: the host reports each input it handled and when
// it is on screen, and `wait` in a script is the host's own clock running.
#include <sheenwork/control/sheenButton.h>
#include <sheenwork/runtime/controls.h>
#include <sheenwork/runtime/script.h>

#include <gtest/gtest.h>

#include <signal.h>

#include <filesystem>
#include <map>
#include <optional>
#include <sstream>

#include "demo.h"

#include <sheenwork/runtime/form_file.h>
#include "desktop/xserver.h"
#include "support/logging_control.h"
#include "support/recording_services.h"
#include "support/story.h"

namespace sheenwork::testing {
namespace {

using runtime::Step;

// The picture of a form (or a popup) at `scale`, as the window must show it.
png::Image Magnified(const std::vector<gdi::ColorRef>& px, int w, int h, int scale) {
    png::Image out{w * scale, h * scale, {}};
    for (int y = 0; y < h * scale; ++y)
        for (int x = 0; x < w * scale; ++x)
            out.pixels.push_back(px[static_cast<std::size_t>(y / scale) * w + x / scale]);
    return out;
}

gdi::Rect Scaled(gdi::Rect r, int s) { return {r.left * s, r.top * s, r.right * s, r.bottom * s}; }

// Compares two pictures; on a difference writes both to the test output folder.
::testing::AssertionResult SamePixels(const png::Image& screen, const png::Image& headless,
                                      const std::string& what) {
    if (screen.width == headless.width && screen.height == headless.height &&
        screen.pixels == headless.pixels)
        return ::testing::AssertionSuccess();
    std::filesystem::create_directories(SHEENWORK_TEST_OUTPUT_DIR);
    std::string file = what;
    for (char& c : file)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '-';
    const std::string base = std::string(SHEENWORK_TEST_OUTPUT_DIR) + "/window-" + file;
    png::Write(base + "-screen.png", screen);
    png::Write(base + "-headless.png", headless);
    int differ = 0;
    if (screen.pixels.size() == headless.pixels.size())
        for (std::size_t i = 0; i < screen.pixels.size(); ++i)
            differ += screen.pixels[i] != headless.pixels[i];
    return ::testing::AssertionFailure()
           << what << ": the window differs from the headless render (" << differ << " pixels; "
           << screen.width << "x" << screen.height << " against " << headless.width << "x"
           << headless.height << "), see " << base << "-*.png";
}

// The X key name of a virtual key, and the virtual key the host reports for it (the
// left-hand key for a modifier named without its side).
struct XKey {
    std::string sym;
    int vk;
};
XKey XKeyOf(int vk) {
    static const std::map<int, XKey> named = {
        {runtime::VK_SPACE, {"space", 32}},
        {runtime::VK_RETURN, {"Return", 13}},
        {runtime::VK_ESCAPE, {"Escape", 27}},
        {runtime::VK_TAB, {"Tab", 9}},
        {runtime::VK_BACK, {"BackSpace", 8}},
        {runtime::VK_SHIFT, {"Shift_L", 160}},
        {runtime::VK_LSHIFT, {"Shift_L", 160}},
        {runtime::VK_RSHIFT, {"Shift_R", 161}},
        {runtime::VK_CONTROL, {"Control_L", 162}},
        {runtime::VK_LCONTROL, {"Control_L", 162}},
        {runtime::VK_RCONTROL, {"Control_R", 163}},
        {runtime::VK_MENU, {"Alt_L", 164}},
        // xdotool also presses Alt_L with Alt_R (the first key of their modifier); the
        // right Alt of a keyboard with AltGr is ISO_Level3_Shift, which comes alone.
        {runtime::VK_LMENU, {"Alt_L", 164}},
        {runtime::VK_RMENU, {"ISO_Level3_Shift", 165}},
        {0xBA, {"semicolon", 0xBA}},
        {0xBB, {"equal", 0xBB}},
        {0xBC, {"comma", 0xBC}},
        {0xBD, {"minus", 0xBD}},
        {0xBE, {"period", 0xBE}},
        {0xBF, {"slash", 0xBF}},
        {0xC0, {"grave", 0xC0}},
        {0xDB, {"bracketleft", 0xDB}},
        {0xDC, {"backslash", 0xDC}},
        {0xDD, {"bracketright", 0xDD}},
        {0xDE, {"apostrophe", 0xDE}},
    };
    if (const auto it = named.find(vk); it != named.end()) return it->second;
    if (vk >= 'A' && vk <= 'Z') return {std::string(1, static_cast<char>(vk - 'A' + 'a')), vk};
    if (vk >= '0' && vk <= '9') return {std::string(1, static_cast<char>(vk)), vk};
    if (vk >= runtime::VK_F1 && vk < runtime::VK_F1 + 12)
        return {"F" + std::to_string(vk - runtime::VK_F1 + 1), vk};
    throw std::runtime_error("no X key for virtual key " + std::to_string(vk));
}

// Stories the window can tell: the painter logs and the virtual clock's tick times are
// the headless test's own instruments.
bool OnScreen(const Story& story) {
    for (const auto& line : story.setup)
        if (line.rfind("paints ", 0) == 0 || line.rfind("timer ", 0) == 0) return false;
    return true;
}

// A host process on the display, with what it has said so far.
class Host {
public:
    Host(Display& display, std::vector<std::string> argv)
        : display_(display), process_(std::move(argv), display.Env()) {
        process_.WaitFor([](const std::string& l) { return Trace(l, "ready"); }, 30);
    }
    // "@T what" lines of the host itself, as against the buttons' events.
    static bool Trace(const std::string& line, const std::string& what) {
        const auto space = line.find(' ');
        return !line.empty() && line[0] == '@' && space != std::string::npos &&
               line.compare(space + 1, what.size(), what) == 0 &&
               (line.size() == space + 1 + what.size() || line[space + 1 + what.size()] == ' ');
    }
    static long long Time(const std::string& line) { return std::stoll(line.substr(1)); }
    // Waits until the host has said `line` and then that it is on screen.
    // Waits for a line of the host (its last lines in the failure): the next one not
    // looked at yet, or with `from` the first from there on.
    std::string WaitFor(const std::function<bool(const std::string&)>& match,
                        const std::string& what, std::optional<std::size_t> from = {}) {
        try {
            if (from) return process_.Lines()[process_.Find(match, *from)];
            return process_.WaitFor(match);
        } catch (const std::runtime_error& e) {
            std::string said;
            const auto& lines = process_.Lines();
            for (std::size_t i = lines.size() > 12 ? lines.size() - 12 : 0; i < lines.size(); ++i)
                said += "\n  " + lines[i];
            throw std::runtime_error("waiting for \"" + what + "\": " + e.what() +
                                     "; the host said last:" + said);
        }
    }
    // Where the lines of what happens next start.
    std::size_t Mark() const { return process_.Lines().size(); }
    std::string WaitForTrace(const std::string& what, std::optional<std::size_t> from = {}) {
        return WaitFor([&](const std::string& l) { return Trace(l, what); }, what, from);
    }
    void WaitForEvent(const std::string& event, std::size_t from) {
        WaitFor([&](const std::string& l) { return l == event; }, event, from);
    }
    // Waits until the host has said `line` and then that it is on screen.
    void Expect(const std::string& line) {
        WaitForTrace(line);
        WaitForTrace("settled");
    }
    void Xdotool(const std::vector<std::string>& args, const std::string& echo) {
        display_.Xdotool(args);
        Expect(echo);
    }
    Process& process() { return process_; }

private:
    Display& display_;
    Process process_;
};

// Replays script steps against the window as a user's input, as the driver does
// against the headless form.
class ScreenDriver {
public:
    ScreenDriver(Host& host, runtime::Form& form, int scale)
        : host_(host), form_(form), scale_(scale) {}

    void Run(const Step& s) {
        switch (s.kind) {
            case Step::Kind::Move: Move(Point(s)); break;
            case Step::Kind::Press: Button(s.button, true); break;
            case Step::Kind::Release: Button(s.button, false); break;
            case Step::Kind::Click:
                if (!s.target.empty() || s.at) Move(Point(s));
                Button(s.button, true);
                Button(s.button, false);
                break;
            case Step::Kind::KeyDown: Key({"keydown"}, s.key, "keydown"); break;
            case Step::Kind::KeyUp: Key({"keyup"}, s.key, "keyup"); break;
            case Step::Kind::KeyPress: Key({"key"}, s.key, "keyup"); break;
            case Step::Kind::Type:
                for (const char c : s.text) {
                    const auto k = *runtime::KeyForChar(c);
                    if (k.shift) Key({"keydown"}, runtime::VK_LSHIFT, "keydown");
                    Key({"key"}, k.vk, "keyup");
                    if (k.shift) Key({"keyup"}, runtime::VK_LSHIFT, "keyup");
                }
                break;
            case Step::Kind::Alt:
                host_.Xdotool({"keydown", "Alt_L", "key", XKeyOf(s.key).sym, "keyup", "Alt_L"},
                              "input keyup 164");
                break;
            case Step::Kind::Focus:
                host_.process().Send("focus " + s.target);
                host_.Expect("focused " + s.target);
                break;
            case Step::Kind::Wait:
                host_.process().Send("wait " + std::to_string(s.millis));
                host_.Expect("waited " + std::to_string(s.millis));
                break;
        }
    }

private:
    gdi::Point Point(const Step& s) const {
        const gdi::Rect f = form_.ScreenRect();
        if (s.target.empty()) {
            const gdi::Point p = s.at.value_or(gdi::Point{0, 0});
            return {f.left + p.x, f.top + p.y};
        }
        const gdi::Rect r = form_.Find(s.target)->ScreenRect();
        if (s.at) return {r.left + s.at->x, r.top + s.at->y};
        return {r.left + r.Width() / 2, r.top + r.Height() / 2};
    }
    void Move(gdi::Point p) {
        if (p == cursor_) return;  // no motion, nothing for the host to tell
        cursor_ = p;
        host_.Xdotool({"mousemove", std::to_string(p.x * scale_), std::to_string(p.y * scale_)},
                      "input move " + std::to_string(p.x) + " " + std::to_string(p.y));
    }
    void Button(int button, bool down) {
        const char* x = button == 1 ? "1" : button == 2 ? "3" : "2";  // X numbers them 1 3 2
        host_.Xdotool({down ? "mousedown" : "mouseup", x},
                      std::string(down ? "input down " : "input up ") + std::to_string(button));
    }
    void Key(std::vector<std::string> args, int vk, const char* echo) {
        const XKey k = XKeyOf(vk);
        args.push_back(k.sym);
        host_.Xdotool(args, std::string("input ") + echo + " " + std::to_string(k.vk));
    }
    Host& host_;
    runtime::Form& form_;
    int scale_;
    gdi::Point cursor_{0, 0};
};

// A story on screen and headless, section by section.
void ReplayStory(const std::filesystem::path& path, int scale) {
    const Story story = ReadStory(path);
    Display display;
    display.Xdotool({"mousemove", "0", "0"});  // where no form is
    Host host(display, {SHEENWORK_STORY_HOST, "run", path.string(), "--trace", "--scale",
                        std::to_string(scale)});

    RecordingServices services;
    runtime::VirtualClock clock;
    auto gdi = gdi::MakeRasterGdi();
    auto log = std::make_shared<NotificationLog>();
    runtime::Runtime headless(
        clock, *gdi,
        [logging = LoggingFactory(log, AccessKeys(story)), linked = runtime::LinkedControls()](
            const std::string& cls, host::ControlSite& site) {
            return cls.rfind("Test.", 0) == 0 ? logging(cls, site) : linked(cls, site);
        });
    runtime::Form& form = BuildStoryForm(headless, story);
    runtime::Driver driver(headless, form);
    ScreenDriver screen(host, form, scale);

    std::map<long, gdi::Rect> shown;  // the host's visible popups
    std::size_t read = host.process().Lines().size();
    long long last_input = 0;
    for (std::size_t n = 0; n < story.sections.size(); ++n) {
        SCOPED_TRACE(story.name + ", section " + std::to_string(n + 1));
        const runtime::Script script = runtime::ParseScript(story.sections[n].script, story.name);
        for (const Step& step : script.steps) {
            driver.Run(step, story.name);
            screen.Run(step);
        }
        std::vector<std::string> events;
        const auto& lines = host.process().Lines();
        for (; read < lines.size(); ++read) {
            const std::string& l = lines[read];
            if (l.empty() || l[0] != '@') {
                events.push_back(l);
                continue;
            }
            std::istringstream words(l);
            std::string at, what, kind;
            long hwnd = 0;
            words >> at >> what;
            if (what == "input") last_input = Host::Time(l);
            if (what != "popup") continue;
            words >> kind >> hwnd;
            if (kind == "hide") {
                shown.erase(hwnd);
                continue;
            }
            gdi::Rect r;
            words >> r.left >> r.top >> r.right >> r.bottom;
            shown[hwnd] = r;
            // A tooltip waits its initial delay from the pointer's last move.
            EXPECT_GE(Host::Time(l) - last_input, 500) << l;
        }
        EXPECT_EQ(events, ExpectedEvents(story.sections[n]));

        // The screen shows the form with its popups above it.
        std::vector<gdi::ColorRef> picture = form.Compose();
        const gdi::Rect fr = form.ScreenRect();
        for (runtime::Popup* p : form.Popups()) {
            if (!p->Visible()) continue;
            const gdi::Rect r = p->ScreenRect();
            const auto px = p->Surface().Pixels();
            for (int y = std::max(r.top, fr.top); y < std::min(r.bottom, fr.bottom); ++y)
                for (int x = std::max(r.left, fr.left); x < std::min(r.right, fr.right); ++x)
                    picture[std::size_t(y - fr.top) * fr.Width() + (x - fr.left)] =
                        px[std::size_t(y - r.top) * r.Width() + (x - r.left)];
        }
        EXPECT_TRUE(SamePixels(display.Screenshot(Scaled(fr, scale)),
                               Magnified(picture, fr.Width(), fr.Height(), scale),
                               story.name + " " + std::to_string(n + 1)));
        std::map<long, gdi::Rect> visible;
        for (runtime::Popup* p : form.Popups())
            if (p->Visible()) visible[p->Hwnd()] = p->ScreenRect();
        EXPECT_EQ(shown, visible);
        for (runtime::Popup* p : form.Popups()) {
            if (!p->Visible() || !shown.count(p->Hwnd())) continue;
            const gdi::Rect r = p->ScreenRect();
            EXPECT_TRUE(SamePixels(display.Screenshot(Scaled(r, scale)),
                                   Magnified(p->Surface().Pixels(), r.Width(), r.Height(), scale),
                                   story.name + " popup " + std::to_string(n + 1)));
        }
    }
    // The window closes as a program ends on SIGTERM: cleanly.
    host.process().Signal(SIGTERM);
    EXPECT_EQ(host.process().Wait(), 0);
}

class WindowStory : public ::testing::TestWithParam<std::filesystem::path> {};

TEST_P(WindowStory, EventsAndPixelsAsHeadless) {
    try {
        ReplayStory(GetParam(), 1);
    } catch (const std::exception& e) {
        FAIL() << e.what();
    }
}

std::vector<std::filesystem::path> ScreenStories() {
    std::vector<std::filesystem::path> out;
    for (const auto& p : Stories())
        if (OnScreen(ReadStory(p))) out.push_back(p);
    return out;
}

INSTANTIATE_TEST_SUITE_P(Stories, WindowStory, ::testing::ValuesIn(ScreenStories()),
                         [](const auto& info) { return testing::StoryTestName(info.param); });

// At scale 2 every pixel is a 2 x 2 block, the pointer's place is halved, and the
// tooltip is where it would be on a screen of half the size.
TEST(WindowScale, TwiceTheSizeSamePicture) {
    try {
        ReplayStory(std::string(SHEENWORK_TEST_DATA_DIR) + "/runtime/button-tooltip.story", 2);
    } catch (const std::exception& e) {
        FAIL() << e.what();
    }
}

}  // namespace
}  // namespace sheenwork::testing

namespace sheenwork::testing {
namespace {

gdi::Point Centre(gdi::Rect r) { return {r.left + r.Width() / 2, r.top + r.Height() / 2}; }

// `sheenwork run --demo`: the window shows what the demo form renders headless (that
// screenshot is the README's picture); the drop-down section opens the menu below its
// button and an item closes it; About and OK open modal windows that Escape and Enter
// close; Escape on the form is its Cancel button, which ends the program.
TEST(WindowDemo, TheDemoAndItsWindows) {
    try {
        Display display;
        display.Xdotool({"mousemove", "0", "0"});
        Host host(display, {SHEENWORK_TOOL, "run", "--demo", "--trace"});
        Process& p = host.process();
        gdi::Rect at;
        for (const auto& l : p.Lines())
            if (Host::Trace(l, "form show")) {
                std::istringstream words(l);
                std::string t, form, show, name;
                words >> t >> form >> show >> name >> at.left >> at.top >> at.right >> at.bottom;
            }
        ASSERT_EQ(at.Width(), cli::kDemoWidth);
        ASSERT_EQ(at.Height(), cli::kDemoHeight);

        runtime::VirtualClock clock;
        auto gdi = gdi::MakeRasterGdi();
        runtime::Runtime rt(clock, *gdi, runtime::LinkedControls());
        runtime::Form& form = rt.CreateForm("Demo", runtime::PositionOf(at), runtime::SizeOf(at));
        const auto demo = cli::BuildDemo(form, {});
        const png::Image shot = display.Screenshot(at);
        EXPECT_TRUE(
            SamePixels(shot, Magnified(form.Compose(), at.Width(), at.Height(), 1), "demo"));
        std::filesystem::create_directories(SHEENWORK_TEST_OUTPUT_DIR);
        png::Write(std::string(SHEENWORK_TEST_OUTPUT_DIR) + "/run-demo.png", shot);
        const std::string docs = std::string(SHEENWORK_SOURCE_DIR) + "/docs/run-demo.png";
        if (std::getenv("SHEENWORK_UPDATE_GOLDEN")) png::Write(docs, shot);
        EXPECT_EQ(png::Read(docs).pixels, shot.pixels) << "the README's screenshot is out of date";

        const auto move = [&](gdi::Point pt) {
            host.Xdotool({"mousemove", std::to_string(pt.x), std::to_string(pt.y)},
                         "input move " + std::to_string(pt.x) + " " + std::to_string(pt.y));
        };
        const auto click = [&](gdi::Point pt) {
            move(pt);
            host.Xdotool({"mousedown", "1"}, "input down 1");
            host.Xdotool({"mouseup", "1"}, "input up 1");
        };
        // The section of the drop-down button: the menu, at the button's lower left.
        const gdi::Rect open = form.Find("cmdOpen")->ScreenRect();
        std::size_t mark = host.Mark();
        click({open.right - 6, open.top + open.Height() / 2});
        host.WaitForEvent("cmdOpen DropDown", mark);
        const std::string menu = host.WaitForTrace("form show Menu", mark);
        std::istringstream words(menu);
        std::string t, f, s, name;
        gdi::Rect m;
        words >> t >> f >> s >> name >> m.left >> m.top >> m.right >> m.bottom;
        EXPECT_EQ(m.left, open.left);
        EXPECT_EQ(m.top, open.bottom);
        mark = host.Mark();
        click({m.left + 20, m.top + 1 + 22 + 11});
        host.WaitForEvent("mnu1 Click", mark);
        host.WaitForTrace("form hide", mark);

        mark = host.Mark();
        click(Centre(form.Find("cmdAbout")->ScreenRect()));
        host.WaitForTrace("form show About", mark);
        mark = host.Mark();
        host.Xdotool({"key", "Escape"}, "input keyup 27");
        host.WaitForTrace("form hide", mark);

        mark = host.Mark();
        click(Centre(form.Find("cmdOK")->ScreenRect()));
        host.WaitForTrace("form show MessageBox", mark);
        mark = host.Mark();
        host.Xdotool({"key", "Return"}, "input keyup 13");
        host.WaitForTrace("form hide", mark);

        mark = host.Mark();
        display.Xdotool({"key", "Escape"});
        host.WaitForEvent("cmdCancel Click", mark);
        EXPECT_EQ(p.Wait(), 0);
    } catch (const std::exception& e) {
        FAIL() << e.what();
    }
}

// `sheenwork run FORM`: the window shows the form file's form as it renders headless, and
// a click on its default button reaches it.
TEST(WindowForm, AFormFileInAWindow) {
    try {
        const std::string path = std::string(SHEENWORK_TEST_DATA_DIR) + "/cli/two.sfm";
        Display display;
        display.Xdotool({"mousemove", "0", "0"});
        Host host(display, {SHEENWORK_TOOL, "run", path, "--trace"});
        gdi::Rect at;
        for (const auto& l : host.process().Lines())
            if (Host::Trace(l, "form show")) {
                std::istringstream words(l);
                std::string t, form, show, name;
                words >> t >> form >> show >> name >> at.left >> at.top >> at.right >> at.bottom;
            }
        runtime::VirtualClock clock;
        auto gdi = gdi::MakeRasterGdi();
        runtime::Runtime rt(clock, *gdi, runtime::LinkedControls());
        runtime::FormFile file = runtime::ReadFormFile(path);
        file.position = runtime::PositionOf(at);
        file.size = runtime::SizeOf(at);
        runtime::Form& form = runtime::LoadForm(rt, file);
        ASSERT_EQ(at.Width(), form.Width());
        EXPECT_TRUE(SamePixels(display.Screenshot(at),
                               Magnified(form.Compose(), at.Width(), at.Height(), 1), "form"));
        const std::size_t mark = host.Mark();
        const gdi::Point ok = Centre(form.Find("cmdOK")->ScreenRect());
        host.Xdotool({"mousemove", std::to_string(ok.x), std::to_string(ok.y)},
                     "input move " + std::to_string(ok.x) + " " + std::to_string(ok.y));
        host.Xdotool({"mousedown", "1"}, "input down 1");
        host.Xdotool({"mouseup", "1"}, "input up 1");
        host.WaitForEvent("cmdOK Click", mark);
    } catch (const std::exception& e) {
        FAIL() << e.what();
    }
}

}  // namespace
}  // namespace sheenwork::testing
