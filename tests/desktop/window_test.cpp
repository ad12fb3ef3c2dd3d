// The window host on a real X display (Xvfb), driven from outside as a user would: the
// runtime's stories replayed on `sheenwork run` (desktop/replay.h), the demo and a form
// file in a window.
#include <sheenwork/vb/color.h>

#include <gtest/gtest.h>

#include <signal.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "demo.h"
#include "desktop/replay.h"
#include "support/data.h"

namespace sheenwork::testing {
namespace {

// The story on `sheenwork run` (the story host: the tool's run with the test controls).
void ReplayOnWindowHost(const std::filesystem::path& path, int scale) {
    Display display;
    StoryHost host;
    host.argv = {SHEENWORK_STORY_HOST, "run", path.string(), "--trace", "--scale",
                 std::to_string(scale)};
    host.scale = scale;
    ReplayStory(path, display, host);
}

class WindowStory : public ::testing::TestWithParam<std::filesystem::path> {};
TEST_P(WindowStory, EventsAndPixelsAsHeadless) { ReplayOnWindowHost(GetParam(), 1); }
INSTANTIATE_TEST_SUITE_P(Stories, WindowStory, ::testing::ValuesIn(HostStories({}, {})),
                         [](const auto& info) { return testing::StoryTestName(info.param); });

// At scale 2 every pixel is a 2 x 2 block, the pointer's place is halved, and the
// tooltip is where it would be on a screen of half the size.
TEST(WindowScale, TwiceTheSizeSamePicture) {
    ReplayOnWindowHost(DataPath("runtime/button-tooltip.story"), 2);
}

gdi::Point Centre(gdi::Rect r) { return {r.left + r.Width() / 2, r.top + r.Height() / 2}; }

// A host on a fresh display, and where it shows its form.
struct Started {
    explicit Started(std::vector<std::string> argv)
        : host(display, std::move(argv), display.Env()), at(host.ShownForm()) {}
    Display display;
    Host host;
    gdi::Rect at;
};

// `sheenwork run --demo`: the window shows what the demo form renders headless (that
// screenshot is the README's picture); the drop-down section opens the menu below its
// button and an item closes it; About and OK open modal windows that Escape and Enter
// close; Escape on the form is its Cancel button, which ends the program.
TEST(WindowDemo, TheDemoAndItsWindows) {
    Started run({SHEENWORK_TOOL, "run", "--demo", "--trace"});
    Host& host = run.host;
    ASSERT_EQ(run.at.Width(), cli::kDemoWidth);
    ASSERT_EQ(run.at.Height(), cli::kDemoHeight);
    Linked headless;
    runtime::Form& form =
        headless.rt.CreateForm("Demo", runtime::PositionOf(run.at), runtime::SizeOf(run.at));
    const auto demo = cli::BuildDemo(form, {});
    const png::Image shot = run.display.Screenshot(run.at);
    EXPECT_TRUE(
        SamePicture(shot, Magnified(form.Compose(), run.at.Width(), run.at.Height(), 1), "demo"));
    std::filesystem::create_directories(SHEENWORK_TEST_OUTPUT_DIR);
    png::Write(std::string(SHEENWORK_TEST_OUTPUT_DIR) + "/run-demo.png", shot);
    const std::string docs = std::string(SHEENWORK_SOURCE_DIR) + "/docs/run-demo.png";
    if (std::getenv("SHEENWORK_UPDATE_GOLDEN")) png::Write(docs, shot);
    EXPECT_EQ(png::Read(docs).pixels, shot.pixels) << "the README's screenshot is out of date";

    // The section of the drop-down button: the menu, at the button's lower left.
    const gdi::Rect open = form.Find("cmdOpen")->ScreenRect();
    std::size_t mark = host.Mark();
    host.Click({open.right - 6, open.top + open.Height() / 2});
    host.WaitForEvent("cmdOpen DropDown", mark);
    const gdi::Rect m = Host::Shown(host.WaitForTrace("form show Menu", mark));
    EXPECT_EQ(m.left, open.left);
    EXPECT_EQ(m.top, open.bottom);
    mark = host.Mark();
    host.Click({m.left + 20, m.top + 1 + 22 + 11});
    host.WaitForEvent("mnu1 Click", mark);
    host.WaitForTrace("form hide", mark);
    // About and OK open their windows, which Escape and Enter close.
    for (const auto& [button, window, key, vk] :
         {std::tuple{"cmdAbout", "About", "Escape", 27}, {"cmdOK", "MessageBox", "Return", 13}}) {
        mark = host.Mark();
        host.Click(Centre(form.Find(button)->ScreenRect()));
        host.WaitForTrace(std::string("form show ") + window, mark);
        mark = host.Mark();
        host.Xdotool({"key", key}, "input keyup " + std::to_string(vk));
        host.WaitForTrace("form hide", mark);
    }

    // Escape clicks Cancel (what its status line says is a row of cli/demo.txt, played
    // headless; a repaint after a key reaching the screen, the stories' pictures); the
    // window stays until it is closed.
    mark = host.Mark();
    host.Xdotool({"key", "Escape"}, "input keyup 27");
    host.WaitForEvent("cmdCancel Click", mark);
    host.process().Signal(SIGTERM);
    EXPECT_EQ(host.process().Wait(), 0);
}

// `sheenwork run FORM`: the window shows the form file's form as it renders headless, and
// a click on its default button reaches it; and it takes whatever size a window manager
// gives it and shows the form at that size: the controls where they were, the form's
// colour everywhere else, as the headless form of that size is composed
// (tests/data/desktop/resizes.txt).
class WindowResized : public ::testing::TestWithParam<Row> {};
TEST_P(WindowResized, ShowsTheFormAtItsNewSize) {
    const int scale = std::stoi(GetParam()[0]);
    const std::string path = DataPath("cli/two.sfm");
    Started run({SHEENWORK_TOOL, "run", path, "--trace", "--scale", std::to_string(scale)});
    const bool resized = GetParam()[1] != "-";
    const int width = resized ? std::stoi(GetParam()[1]) : run.at.Width() * scale,
              height = resized ? std::stoi(GetParam()[2]) : run.at.Height() * scale;
    const runtime::Size size{width / scale, height / scale};
    if (resized) {
        const std::size_t mark = run.host.Mark();
        run.display.Xdotool({"search", "--class", "sheenwork-run", "windowsize", "%@",
                             std::to_string(width), std::to_string(height)});
        const std::string said = run.host.WaitForTrace(
            "form size frmTwo " + std::to_string(size.width) + " " + std::to_string(size.height),
            mark);
        const auto& lines = run.host.process().Lines();
        run.host.WaitForTrace(
            "settled",
            static_cast<std::size_t>(std::find(lines.begin(), lines.end(), said) - lines.begin()));
    }

    Linked headless;
    runtime::Form& form = headless.Load(path, run.at, size);
    png::Image want = Magnified(form.Compose(), size.width, size.height, scale);
    png::Image padded{width, height, {}};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            padded.pixels.push_back(x < want.width && y < want.height
                                        ? want.pixels[std::size_t(y) * want.width + x]
                                        : vb::TranslateColor(form.BackColor()));
    const gdi::Rect shown{run.at.left * scale, run.at.top * scale, run.at.left * scale + width,
                          run.at.top * scale + height};
    EXPECT_TRUE(SamePicture(run.display.Screenshot(shown), padded, "resized"));
    if (resized) return;
    const std::size_t mark = run.host.Mark();
    run.host.Click(Centre(form.Find("cmdOK")->ScreenRect()));
    run.host.WaitForEvent("cmdOK Click", mark);
}
INSTANTIATE_TEST_SUITE_P(Table, WindowResized,
                         ::testing::ValuesIn(ReadTable("desktop/resizes.txt")), RowName);

// A caption outside ASCII reaches the window manager (tests/data/desktop/captions.txt).
class WindowCaption : public ::testing::TestWithParam<Row> {};
TEST_P(WindowCaption, ReachesTheWindowManagerInUtf8) {
    TempDir tmp;
    const std::string path = tmp / "title.sfm";
    std::ofstream(path) << "Begin Form frmTitle\n    Caption = \"" << GetParam()[0]
                        << "\"\n    Width = 120\n    Height = 40\nEnd\n";
    Started run({SHEENWORK_TOOL, "run", path, "--trace"});
    std::vector<std::string> env = run.display.Env();
    env.push_back("LC_ALL=C.UTF-8");  // xprop writes what it reads as UTF-8
    Process xprop({"sh", "-c",
                   "xprop -id $(xdotool search --class sheenwork-run | head -1) "
                   "_NET_WM_NAME WM_NAME"},
                  env);
    for (const std::string& want : {GetParam()[1], GetParam()[2]})
        EXPECT_NO_THROW(xprop.WaitFor([&](const std::string& l) { return l == want; })) << want;
    run.host.process().Signal(SIGTERM);
}
INSTANTIATE_TEST_SUITE_P(Table, WindowCaption,
                         ::testing::ValuesIn(ReadTable("desktop/captions.txt")), RowName);

}  // namespace
}  // namespace sheenwork::testing
