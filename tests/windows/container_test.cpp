// The container of sheenwork.exe under Wine, on an Xvfb display: the gallery form in a
// real window equals its headless render pixel for pixel, and the runtime's stories
// replayed on the container with xdotool give the same events, pixels and tooltips (the
// real tooltips_class32) as headless.
#include <sheenwork/runtime/controls.h>

#include <gtest/gtest.h>

#include <filesystem>

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
        Host host(
            display,
            {"wine", WindowsFile("sheenwork.exe"), "run", "C:\\gallery\\gallery.sfm", "--trace"},
            wine.Env(), kReadySeconds);
        const gdi::Rect at = host.ShownForm();
        // Headless through the model of Wine's two differences from Windows' GDI.
        Linked linked(runtime::LinkedControls(), MakeWineModelGdi);
        runtime::Form& form = linked.Load(folder + "/gallery.sfm", at);
        ASSERT_EQ(at, form.ScreenRect());
        const png::Image headless = Magnified(form.Compose(), at.Width(), at.Height(), 1);
        const png::Image shot = Settled(display, at, headless);
        EXPECT_TRUE(SamePicture(shot, headless, "windows-gallery"));
        // The README's picture of the container is this screenshot.
        const std::string docs = std::string(SHEENWORK_SOURCE_DIR) + "/docs/windows-gallery.png";
        if (std::getenv("SHEENWORK_UPDATE_GOLDEN")) png::Write(docs, shot);
        EXPECT_EQ(png::Read(docs).pixels, shot.pixels) << "the README's screenshot is out of date";
        host.process().Send("close");
        EXPECT_EQ(host.process().Wait(), 0);
    } catch (const std::exception& e) {
        FAIL() << e.what();
    }
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

INSTANTIATE_TEST_SUITE_P(Stories, WindowsStory,
                         ::testing::ValuesIn(HostStories({"Sheenwork.sheenButton"}, {})),
                         [](const auto& info) { return StoryTestName(info.param); });

}  // namespace
}  // namespace sheenwork::testing
