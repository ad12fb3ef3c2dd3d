// The window host on a real X display (Xvfb), driven from outside as a user would: the
// runtime's stories replayed on `sheenwork run` (desktop/replay.h), the demo and a form
// file in a window.
#include <sheenwork/control/sheenButton.h>
#include <sheenwork/runtime/controls.h>
#include <sheenwork/runtime/script.h>
#include <sheenwork/vb/color.h>

#include <gtest/gtest.h>

#include <signal.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <tuple>

#include "demo.h"

#include <sheenwork/runtime/form_file.h>
#include "desktop/replay.h"
#include "desktop/xserver.h"
#include "support/pictures.h"
#include "support/recording_services.h"

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
            SamePicture(shot, Magnified(form.Compose(), at.Width(), at.Height(), 1), "demo"));
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

        // Escape clicks Cancel, which says on the status line that it had nothing to
        // cancel; the window stays until it is closed.
        mark = host.Mark();
        host.Xdotool({"key", "Escape"}, "input keyup 27");
        host.WaitForEvent("cmdCancel Click", mark);
        cli::SayInDemo(form,
                       "Cancel (the cancel button, Escape): nothing to cancel. Close the "
                       "window to end.");
        runtime::Window& status = *form.Find(cli::kDemoStatus);
        const gdi::Rect line = status.ScreenRect();
        EXPECT_TRUE(SamePicture(
            display.Screenshot(line),
            Magnified(status.Surface().Pixels(), line.Width(), line.Height(), 1), "demo status"));
        p.Signal(SIGTERM);
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
        EXPECT_TRUE(SamePicture(display.Screenshot(at),
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

// A form window takes whatever size a window manager gives it and shows the form at that
// size: the controls where they were, the form's colour everywhere else, as the headless
// form of that size is composed. At scale 2 an odd size leaves a last column and row of
// the form's colour, never stale pixels.
TEST(WindowForm, AResizedWindowShowsTheFormAtItsNewSize) {
    try {
        const std::string path = std::string(SHEENWORK_TEST_DATA_DIR) + "/cli/two.sfm";
        for (const auto& [scale, width, height] : {std::tuple{1, 300, 120}, {2, 301, 121}}) {
            SCOPED_TRACE("scale " + std::to_string(scale));
            Display display;
            display.Xdotool({"mousemove", "0", "0"});
            Host host(display,
                      {SHEENWORK_TOOL, "run", path, "--trace", "--scale", std::to_string(scale)},
                      display.Env());
            gdi::Rect at;
            for (const auto& l : host.process().Lines())
                if (Host::Trace(l, "form show")) {
                    std::istringstream words(l);
                    std::string t, form, show, name;
                    words >> t >> form >> show >> name >> at.left >> at.top;
                }
            const std::size_t mark = host.Mark();
            display.Xdotool({"search", "--class", "sheenwork-run", "windowsize", "%@",
                             std::to_string(width), std::to_string(height)});
            const runtime::Size size{width / scale, height / scale};
            const std::string said =
                host.WaitForTrace("form size frmTwo " + std::to_string(size.width) + " " +
                                      std::to_string(size.height),
                                  mark);
            const auto& lines = host.process().Lines();
            host.WaitForTrace("settled",
                              static_cast<std::size_t>(std::find(lines.begin(), lines.end(), said) -
                                                       lines.begin()));

            runtime::VirtualClock clock;
            auto gdi = gdi::MakeRasterGdi();
            runtime::Runtime rt(clock, *gdi, runtime::LinkedControls());
            runtime::FormFile file = runtime::ReadFormFile(path);
            file.position = {at.left, at.top};
            file.size = size;
            runtime::Form& form = runtime::LoadForm(rt, file);
            png::Image want = Magnified(form.Compose(), size.width, size.height, scale);
            png::Image padded{width, height, {}};
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x)
                    padded.pixels.push_back(x < want.width && y < want.height
                                                ? want.pixels[std::size_t(y) * want.width + x]
                                                : vb::TranslateColor(form.BackColor()));
            const gdi::Rect shown{at.left * scale, at.top * scale, at.left * scale + width,
                                  at.top * scale + height};
            EXPECT_TRUE(SamePicture(display.Screenshot(shown), padded, "resized"));
        }
    } catch (const std::exception& e) {
        FAIL() << e.what();
    }
}

// A caption outside ASCII reaches the window manager in UTF-8, as the ANSI code page holds
// it: "?" for a character the code page lacks. _NET_WM_NAME is UTF-8; WM_NAME is Latin-1
// where every character has one (ICCCM's STRING), else UTF-8 too.
TEST(WindowForm, TheCaptionReachesTheWindowManagerInUtf8) {
    try {
        testing::TempDir tmp;
        const std::string path = (tmp.Path() / "title.sfm").string();
        const auto form = [&](const std::string& caption) {
            std::ofstream(path) << "Begin Form frmTitle\n    Caption = \"" << caption
                                << "\"\n    Width = 120\n    Height = 40\nEnd\n";
        };
        const struct {
            const char* caption;
            const char* net_wm_name;
            const char* wm_name;
        } cases[] = {
            {"\xC3\x9C"
             "bersicht \xE2\x80\x93 Gr\xC3\xB6\xC3\x9F"
             "e \xE2\x9C\x93",
             "_NET_WM_NAME(UTF8_STRING) = \"\xC3\x9C"
             "bersicht \xE2\x80\x93 Gr\xC3\xB6\xC3\x9F"
             "e ?\"",
             "WM_NAME(UTF8_STRING) = \"\xC3\x9C"
             "bersicht \xE2\x80\x93 Gr\xC3\xB6\xC3\x9F"
             "e ?\""},
            {"Gr\xC3\xB6\xC3\x9F"
             "e",
             "_NET_WM_NAME(UTF8_STRING) = \"Gr\xC3\xB6\xC3\x9F"
             "e\"",
             "WM_NAME(STRING) = \"Gr\xC3\xB6\xC3\x9F"
             "e\""},
        };
        for (const auto& c : cases) {
            SCOPED_TRACE(c.caption);
            form(c.caption);
            Display display;
            Host host(display, {SHEENWORK_TOOL, "run", path, "--trace"}, display.Env());
            std::vector<std::string> env = display.Env();
            env.push_back("LC_ALL=C.UTF-8");  // xprop writes what it reads as UTF-8
            Process xprop({"sh", "-c",
                           "xprop -id $(xdotool search --class sheenwork-run | head -1) "
                           "_NET_WM_NAME WM_NAME"},
                          env);
            const auto said = [&](const std::string& line) {
                return [line](const std::string& l) { return l == line; };
            };
            EXPECT_NO_THROW(xprop.WaitFor(said(c.net_wm_name))) << c.net_wm_name;
            EXPECT_NO_THROW(xprop.WaitFor(said(c.wm_name))) << c.wm_name;
            host.process().Signal(SIGTERM);
        }
    } catch (const std::exception& e) {
        FAIL() << e.what();
    }
}

}  // namespace
}  // namespace sheenwork::testing
