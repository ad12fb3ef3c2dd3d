// The container of sheenwork.exe under Wine, on an Xvfb display: the gallery form in a
// real window equals its headless render pixel for pixel, and the runtime's stories
// replayed on the container with xdotool give the same events, pixels and tooltips (the
// real tooltips_class32) as headless.
#include <sheenwork/runtime/controls.h>
#include <sheenwork/runtime/form_file.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "desktop/replay.h"
#include "support/data.h"
#include "support/wine_model_gdi.h"
#include "windows/wine.h"

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
        // The gallery form as the tool has it, in the runtime's default form font (Wine's
        // Tahoma on both sides, drawn from its 11-pixel bitmap strike).
        const std::string folder = wine.Dir() + "/drive_c/gallery";
        fs::create_directories(folder);
        fs::copy_file(std::string(SHEENWORK_SOURCE_DIR) + "/resources/toolbox.bmp",
                      folder + "/toolbox.bmp");
        fs::copy_file(std::string(SHEENWORK_SOURCE_DIR) + "/tools/sheenwork/gallery.sfm",
                      folder + "/gallery.sfm");
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
        wine.Must({"regsvr32", "/s", WinePath(WindowsFile("sheenwork.dll"))});
        StoryHost host;
        // The captions and the tips in Wine's Tahoma as installed, on both sides.
        host.argv = {"wine", WindowsFile("sheenwork-story-container.exe"), WinePath(GetParam())};
        host.wine = true;
        host.env = wine.Env();
        host.popups_by_handle = false;
        host.close_command = true;
        host.ready_seconds = kReadySeconds;
        host.name = "windows";
        host.x_instance = "sheenwork-story-container";
        ReplayStory(GetParam(), display, host);
    } catch (const std::exception& e) {
        FAIL() << e.what();
    }
}

INSTANTIATE_TEST_SUITE_P(Stories, WindowsStory, ::testing::ValuesIn(ContainerStories()),
                         [](const auto& info) { return StoryTestName(info.param); });

}  // namespace
}  // namespace sheenwork::testing
