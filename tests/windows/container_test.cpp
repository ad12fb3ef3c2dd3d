// The container of sheenwork.exe under Wine, on an Xvfb display: the gallery form in a
// real window equals its headless render pixel for pixel, and the runtime's stories
// replayed on the container with xdotool give the same events, pixels and tooltips (the
// real tooltips_class32) as headless.
#include <sheenwork/runtime/controls.h>
#include <sheenwork/runtime/form_file.h>
#include <sheenwork/text/fonts.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "desktop/replay.h"
#include "support/data.h"
#include "support/wine_model_gdi.h"
#include "windows/wine.h"
#include "windows/x_screen.h"

namespace sheenwork::testing {
namespace {

namespace fs = std::filesystem;

// The first start of a prefix's desktop under load takes its time.
constexpr int kReadySeconds = 120;

TEST(WindowsContainer, TheGalleryFormEqualsItsHeadlessRender) {
    try {
        Display display;
        WinePrefix wine("container-gallery", &display);
        wine.Must({"regsvr32", "/s", WinePath(WindowsFile("sheenwork.dll"))});
        // The gallery form, with Verdana (DejaVu Sans on both sides) for the form's font:
        // Wine draws the runtime's default form font, its own Tahoma, from the face's
        // bitmap strikes, where our text engine draws the outlines.
        const std::string folder = wine.Dir() + "/drive_c/gallery";
        fs::create_directories(folder);
        fs::copy_file(std::string(SHEENWORK_SOURCE_DIR) + "/resources/toolbox.bmp",
                      folder + "/toolbox.bmp");
        {
            std::ifstream in(std::string(SHEENWORK_SOURCE_DIR) + "/tools/sheenwork/gallery.sfm");
            std::ofstream out(folder + "/gallery.sfm");
            bool font = false;
            for (std::string line; std::getline(in, line);) {
                if (!font && line.find("Begin Sheenwork.") != std::string::npos) {
                    out << "    Begin Font\n        Name = \"Verdana\"\n        Size = 9.75\n    "
                           "End\n";
                    font = true;
                }
                out << line << "\n";
            }
        }
        std::vector<std::string> env = wine.Env();
        Process host(
            {"wine", WindowsFile("sheenwork.exe"), "run", "C:\\gallery\\gallery.sfm", "--trace"},
            env, 300);
        const std::string shown = host.WaitFor(
            [](const std::string& l) { return l.find(" form show ") != std::string::npos; },
            kReadySeconds);
        host.WaitFor([](const std::string& l) { return l.find(" ready") != std::string::npos; },
                     60);
        std::istringstream words(shown);
        std::string t, f, s, name;
        gdi::Rect at;
        words >> t >> f >> s >> name >> at.left >> at.top >> at.right >> at.bottom;

        // Headless through the model of Wine's two differences from Windows' GDI.
        runtime::VirtualClock clock;
        auto raster = gdi::MakeRasterGdi();
        auto gdi = MakeWineModelGdi(*raster);
        runtime::Runtime rt(clock, *gdi, runtime::LinkedControls());
        runtime::FormFile file = runtime::ReadFormFile(folder + "/gallery.sfm");
        file.position = runtime::PositionOf(at);
        runtime::Form& form = runtime::LoadForm(rt, file);
        ASSERT_EQ(at, form.ScreenRect());
        const png::Image headless = Magnified(form.Compose(), at.Width(), at.Height(), 1);
        const png::Image shot = Settled(display, at, headless);
        EXPECT_TRUE(SamePicture(shot, headless, "windows-gallery"));
        // The README's picture of the container is this screenshot.
        const std::string docs = std::string(SHEENWORK_SOURCE_DIR) + "/docs/windows-gallery.png";
        if (std::getenv("SHEENWORK_UPDATE_GOLDEN")) png::Write(docs, shot);
        EXPECT_EQ(png::Read(docs).pixels, shot.pixels) << "the README's screenshot is out of date";
        host.Send("close");
        EXPECT_EQ(host.Wait(), 0);
    } catch (const std::exception& e) {
        FAIL() << e.what();
    }
}

// Wine's Tahoma (fonts-wine), the tooltip's face (8 points, 11 pixels), is read by both
// sides, but not alike: Wine draws it at that size from the bitmap strike the file
// carries, or, without one, without grey levels as the face's gasp table asks at that
// size, and in both cases at other advances than those it measured the tip with; our
// text engine reads neither table and draws the outlines in grey levels at the advances
// it measures. The story's prefix gets the face as our engine reads it: the file without
// the strikes' tables (EBDT, EBLC, FontForge's BDF) and without gasp, so that the real tip
// is compared with the headless one pixel for pixel. (The gasp rule is a difference of
// our text engine from GDI itself, Windows' too, at the small sizes of such faces.)
void AsOurEngineReadsIt(const std::string& from, const std::string& to) {
    const std::string font = ReadFile(from);
    const auto u16 = [&](std::size_t at) {
        return static_cast<std::uint16_t>(std::uint8_t(font.at(at)) << 8 |
                                          std::uint8_t(font.at(at + 1)));
    };
    const auto u32 = [&](std::size_t at) { return std::uint32_t(u16(at)) << 16 | u16(at + 2); };
    const auto put = [](std::string& out, std::uint32_t v, int bytes) {
        for (int i = bytes - 1; i >= 0; --i) out += static_cast<char>(v >> 8 * i & 0xFF);
    };
    std::vector<std::size_t> kept;  // where each kept table's record starts
    for (std::size_t i = 0; i < u16(4); ++i) {
        const std::string tag = font.substr(12 + 16 * i, 4);
        if (!std::set<std::string>{"EBDT", "EBLC", "BDF ", "gasp"}.count(tag))
            kept.push_back(12 + 16 * i);
    }
    // The header's search fields follow the number of tables: the largest power of two
    // not above it, times 16; its logarithm; the rest times 16.
    std::uint32_t power = 1, log = 0;
    while (power * 2 <= kept.size()) power *= 2, ++log;
    std::string head = font.substr(0, 4), tables;
    put(head, kept.size(), 2);
    put(head, power * 16, 2);
    put(head, log, 2);
    put(head, (kept.size() - power) * 16, 2);
    const std::size_t start = 12 + 16 * kept.size();
    for (const std::size_t record : kept) {
        head += font.substr(record, 8);  // the tag and the checksum
        put(head, start + tables.size(), 4);
        put(head, u32(record + 12), 4);
        tables += font.substr(u32(record + 8), u32(record + 12));
        tables.resize((tables.size() + 3) / 4 * 4, '\0');
    }
    std::ofstream(to, std::ios::binary) << head << tables;
}

// Stories the container tells: the window host's, with Sheenwork's buttons alone.
std::vector<fs::path> ContainerStories() {
    std::vector<fs::path> out;
    for (const auto& p : Stories()) {
        const Story story = ReadStory(p);
        bool buttons_only = OnScreen(story);
        for (const auto& line : story.setup)
            if (line.rfind("control ", 0) == 0 &&
                line.find(" Sheenwork.sheenButton ") == std::string::npos)
                buttons_only = false;
        if (buttons_only) out.push_back(p);
    }
    return out;
}

class WindowsStory : public ::testing::TestWithParam<fs::path> {};

TEST_P(WindowsStory, EventsPixelsAndTooltipsAsHeadless) {
    try {
        Display display;
        WinePrefix wine("story-" + StoryTestName(GetParam()), &display);
        const std::string tahoma = wine.Dir() + "/drive_c/windows/Fonts/tahoma.ttf";
        fs::remove(tahoma);
        AsOurEngineReadsIt(text::WineFontFolder() + "/tahoma.ttf", tahoma);
        wine.Must({"regsvr32", "/s", WinePath(WindowsFile("sheenwork.dll"))});
        StoryHost host;
        // The captions in Verdana (DejaVu Sans on both sides): Wine draws the runtime's
        // default form font, its own Tahoma, from the face's bitmap strikes.
        host.argv = {"wine",
                     WindowsFile("sheenwork-story-container.exe"),
                     WinePath(GetParam()),
                     "--font",
                     "Verdana",
                     "9.75"};
        host.form_font = std::make_shared<vb::StdFont>("Verdana", 9.75);
        host.wine = true;
        host.env = wine.Env();
        host.popups_by_handle = false;
        host.close_command = true;
        host.ready_seconds = kReadySeconds;
        host.name = "windows";
        host.x_instance = "sheenwork-story-container";
        // The real tooltip is a window of its own over the form: the screen as X holds it.
        host.screenshot = [&display](gdi::Rect r) { return XScreen(display.Name(), r); };
        ReplayStory(GetParam(), display, host);
    } catch (const std::exception& e) {
        FAIL() << e.what();
    }
}

INSTANTIATE_TEST_SUITE_P(Stories, WindowsStory, ::testing::ValuesIn(ContainerStories()),
                         [](const auto& info) { return StoryTestName(info.param); });

}  // namespace
}  // namespace sheenwork::testing
