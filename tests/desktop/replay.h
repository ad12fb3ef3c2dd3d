// A story of the runtime replayed on a window host, driven from outside as a user would:
// the pointer and the keys through xdotool, the screen read back from the X server, beside the
// headless runtime (support/story_play.h). The hosts: `sheenwork run` on Linux, the
// container under Wine.
//
// Nothing here waits for time to pass: the host reports each input it handled and when
// it is on screen ("@T settled"), and `wait` in a script is the host's own clock running.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "desktop/xserver.h"
#include "support/pictures.h"
#include "support/story_play.h"

#include <sheenwork/vb/stdfont.h>

namespace sheenwork::testing {

// A host process on the display, with what it has said so far, and the story's screen
// it shows: input through xdotool, each step waited for until the host says it handled it
// and is on screen; the form and its popups read back from the screen.
class Host final : public StoryScreen {
public:
    // It may take `ready_seconds` to show its window, and three minutes more to its end.
    Host(Display& display, std::vector<std::string> argv, std::vector<std::string> env,
         int ready_seconds = 30)
        : display_(Cornered(display)),
          process_(std::move(argv), std::move(env), ready_seconds + 180) {
        process_.WaitFor([](const std::string& l) { return Trace(l, "ready"); }, ready_seconds);
    }
    // "@T what" lines of the host itself, as against the buttons' events.
    static bool Trace(const std::string& line, const std::string& what) {
        const auto space = line.find(' ');
        return !line.empty() && line[0] == '@' && space != std::string::npos &&
               line.compare(space + 1, what.size(), what) == 0 &&
               (line.size() == space + 1 + what.size() || line[space + 1 + what.size()] == ' ');
    }
    static long long Time(const std::string& line) { return std::stoll(line.substr(1)); }
    // The place of a form in a trace line "@T form show NAME L T R B".
    static gdi::Rect Shown(const std::string& line) {
        std::istringstream words(line);
        std::string t, form, show, name;
        gdi::Rect r;
        words >> t >> form >> show >> name >> r.left >> r.top >> r.right >> r.bottom;
        return r;
    }
    // Where the host showed its form last, by what it has said so far.
    gdi::Rect ShownForm() const {
        gdi::Rect at;
        for (const auto& l : process_.Lines())
            if (Trace(l, "form show")) at = Shown(l);
        return at;
    }
    // Waits for a line of the host (its last lines in the failure): the next one not
    // looked at yet, or with `from` the first from there on.
    std::string WaitFor(const std::function<bool(const std::string&)>& match,
                        const std::string& what, std::optional<std::size_t> from = {});
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
    // A click with the left button at a point of the screen.
    void Click(gdi::Point p) {
        Move(p);
        Button(1, true);
        Button(1, false);
    }
    Process& process() { return process_; }
    // The display with the pointer where no form is, before a host starts.
    static Display& Cornered(Display& display) {
        display.Xdotool({"mousemove", "0", "0"});
        return display;
    }

    // The story's screen, in control pixels (the window `scale` device pixels to one).
    void Begin() override { read_ = Mark(); }
    void Move(gdi::Point p) override {
        Xdotool({"mousemove", std::to_string(p.x * scale), std::to_string(p.y * scale)},
                "input move " + std::to_string(p.x) + " " + std::to_string(p.y));
    }
    void Button(int button, bool down) override;
    void Key(int vk, bool down) override;
    void Focus(const std::string& control) override {
        process_.Send("focus " + control);
        Expect("focused " + control);
    }
    void Wait(long long millis) override {
        process_.Send("wait " + std::to_string(millis));
        Expect("waited " + std::to_string(millis));
    }
    // The events since Begin; the host's own lines place its popups.
    std::vector<std::string> Events() override;
    std::optional<png::Image> Form(gdi::Rect screen, const png::Image& want) override;
    std::map<std::string, png::Image> Popups(
        const std::map<std::string, png::Image>& want) override;

private:
    Display& display_;
    Process process_;
    std::size_t read_ = 0;
    long long last_input_ = 0;
    std::map<long, gdi::Rect> shown_;  // the host's visible popups
};

struct StoryHost {
    // The host program with its arguments (the story's file among them) and what its
    // environment needs besides the display's.
    std::vector<std::string> argv;
    std::vector<std::string> env;
    int scale = 1;
    // The popups the host reports are the runtime's own windows, by their handles; else
    // they are matched by their places.
    bool popups_by_handle = true;
    // How the host is ended: SIGTERM, or the command "close" (a window closed by its user).
    bool close_command = false;
    // Seconds the host may take to show its window.
    int ready_seconds = 30;
    // The start of the names of the pictures a difference leaves in the test output.
    std::string name = "window";
    // The X instance name of the host's windows, when the form's window must be given the
    // keyboard focus from outside (Wine with no window manager leaves it where it was).
    std::string x_instance;
    // The form's font, when the host is given one (the headless form takes it too).
    host::FontRef form_font;
    // Where the host draws with real GDI under Wine: the headless side draws through
    // the model of Wine's two differences from Windows (support/wine_model_gdi.h).
    bool wine = false;
};

// Plays the story on the host and headless; failures are reported with EXPECT.
void ReplayStory(const std::filesystem::path& path, Display& display, const StoryHost& host);

// The screen's pixels at `rect` as they settle: a host whose drawing reaches the screen a
// moment after it said so (Wine flushes its window surfaces on its own time) gets a few
// tries at showing `want` before the last picture is taken as the answer.
png::Image Settled(Display& display, gdi::Rect rect, const png::Image& want);

}  // namespace sheenwork::testing
