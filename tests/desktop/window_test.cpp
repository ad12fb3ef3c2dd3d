// The window host on a real X display (Xvfb), driven from outside as a user would: the
// runtime's stories replayed on `sheenwork run` (desktop/replay.h), the demo and a form
// file in a window.
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
#include "desktop/replay.h"
#include "desktop/xserver.h"

namespace sheenwork::testing {
namespace {

class WindowStory : public ::testing::TestWithParam<std::filesystem::path> {};

// The story on `sheenwork run` (the story host: the tool's run with the test controls).
void ReplayOnWindowHost(const std::filesystem::path& path, int scale) {
    Display display;
    StoryHost host;
    host.argv = {SHEENWORK_STORY_HOST, "run", path.string(), "--trace", "--scale",
                 std::to_string(scale)};
    host.scale = scale;
    ReplayStory(path, display, host);
}

TEST_P(WindowStory, EventsAndPixelsAsHeadless) {
    try {
        ReplayOnWindowHost(GetParam(), 1);
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
        ReplayOnWindowHost(std::string(SHEENWORK_TEST_DATA_DIR) + "/runtime/button-tooltip.story",
                           2);
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
        Host host(display, {SHEENWORK_TOOL, "run", "--demo", "--trace"}, display.Env());
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
            SamePixels(shot, Magnified(form.Compose(), at.Width(), at.Height(), 1), "window-demo"));
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
        Host host(display, {SHEENWORK_TOOL, "run", path, "--trace"}, display.Env());
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
                               Magnified(form.Compose(), at.Width(), at.Height(), 1),
                               "window-form"));
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
