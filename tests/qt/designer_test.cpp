// The button in Qt Designer's world, with the form file tests/data/qt/three.sfm made a .ui
// file by `sheenwork convert` at build time: the .ui file loaded by QUiLoader through the
// Designer plugin and compiled by uic, each holding what tests/data/qt/three.txt says and
// showing what the headless runtime renders of the form file itself; and Qt Designer
// itself, on an Xvfb display of its own with the plugin on its plugin path, showing the
// buttons in its form editor with those pixels. The picture Designer's test takes is the
// README's (build/test-output/designer.png; docs/designer.png is a copy). (plugin-check, a
// ctest of its own, checks what Designer asks of the plugin.)
#include <QDir>
#include <QUiLoader>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "desktop/xserver.h"
#include "qt/qt_story.h"
#include "support/story_play.h"
#include "ui_three.h"

namespace sheenwork::testing {
namespace {

namespace fs = std::filesystem;

// The form as loaded in `folder` (where its picture paths start) by `load`, against the
// headless runtime's render of three.sfm at the test screen's scale.
void ExpectThree(const QString& folder, const std::function<QWidget*()>& load) {
    const std::string sfm = std::string(SHEENWORK_TEST_DATA_DIR) + "/qt/three.sfm";
    const QString before = QDir::currentPath();
    QDir::setCurrent(folder);
    std::unique_ptr<QWidget> form(load());
    QDir::setCurrent(before);
    ASSERT_TRUE(form);
    // Buttons made outside a designer, by the plugin too, are not in design mode.
    for (const qt::Button* b : form->findChildren<qt::Button*>()) EXPECT_FALSE(b->designMode());
    Steps(*form, ReadTable("qt/three.txt").at(0).cells);
    form->show();
    Linked linked;
    runtime::Form& headless = linked.Load(sfm);
    EXPECT_TRUE(
        SamePicture(Grabbed(*form),
                    Magnified(headless.Compose(), headless.Width(), headless.Height(), TestScale()),
                    "three.ui"));
}

TEST(QtUiFile, LoadsThroughQUiLoaderAndCompilesThroughUic) {
    QUiLoader loader;
    loader.clearPluginPaths();
    loader.addPluginPath(QFileInfo(SHEENWORK_DESIGNER_PLUGIN).absolutePath());
    ASSERT_TRUE(loader.availableWidgets().contains("sheenwork::qt::Button"));
    SCOPED_TRACE("QUiLoader");
    ExpectThree(SHEENWORK_QT_FORMS_DIR, [&] {
        QFile file(SHEENWORK_QT_FORMS_DIR "/three.ui");
        QWidget* form = file.open(QIODevice::ReadOnly) ? loader.load(&file) : nullptr;
        EXPECT_TRUE(form) << loader.errorString().toStdString();
        return form;
    });
    SCOPED_TRACE("uic");
    ExpectThree(SHEENWORK_QT_FORMS_DIR, [] {
        auto* form = new QWidget;
        Ui::frmThree().setupUi(form);
        return form;
    });
}

// Where `needle` lies in `haystack`, pixel for pixel; {-1, -1} when nowhere.
gdi::Point Find(const png::Image& haystack, const png::Image& needle) {
    for (int y = 0; y + needle.height <= haystack.height; ++y)
        for (int x = 0; x + needle.width <= haystack.width; ++x) {
            bool same = true;
            for (int j = 0; j < needle.height && same; ++j)
                same = std::equal(needle.pixels.begin() + j * needle.width,
                                  needle.pixels.begin() + (j + 1) * needle.width,
                                  haystack.pixels.begin() + (y + j) * haystack.width + x);
            if (same) return {x, y};
        }
    return {-1, -1};
}

TEST(QtDesigner, ShowsTheButtonsOfAConvertedForm) {
    RequireTools();
    ASSERT_TRUE(fs::exists(SHEENWORK_DESIGNER))
        << SHEENWORK_DESIGNER << " is missing (Debian's designer-qt6)";
    TempDir home;
    // Designer in one window with its docks, and no new-form dialog at the start.
    fs::create_directories(home.Path() / ".config/QtProject");
    std::ofstream(home.Path() / ".config/QtProject/designer.conf")
        << "[General]\nUIMode=2\n\n[newFormDialog]\nShowOnStartup=false\n";
    // The buttons as the headless runtime renders them.
    RecordingServices services;
    Linked headless;
    runtime::Form& loaded = headless.Load(DataPath("qt/three.sfm"));

    Display display;
    std::vector<std::string> env = display.Env();
    env.push_back("HOME=" + home.Path().string());
    env.push_back("XDG_CONFIG_HOME=" + (home.Path() / ".config").string());
    env.push_back("QT_QPA_PLATFORM=xcb");
    env.push_back("QT_PLUGIN_PATH=" +
                  fs::path(SHEENWORK_DESIGNER_PLUGIN).parent_path().parent_path().string());
    // The .ui file the build converted, from its folder, where its picture paths start.
    Process designer({"sh", "-c",
                      std::string("cd '") + SHEENWORK_QT_FORMS_DIR + "' && exec '" +
                          SHEENWORK_DESIGNER + "' three.ui"},
                     env, 120, true);
    display.Xdotool({"search", "--sync", "--onlyvisible", "--name", "Designer", "windowmove", "0",
                     "0", "windowsize", "1024", "768"});

    // Designer paints when it gets round to it: the buttons appear within a while.
    std::map<std::string, gdi::Point> found;
    png::Image screen;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (found.size() < 3 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        screen = display.Screenshot({0, 0, 1024, 768});
        for (runtime::Window* w : loaded.Windows()) {
            const gdi::Rect r = w->Rect();
            const gdi::Point at =
                Find(screen, png::Image{r.Width(), r.Height(), w->Surface().Pixels()});
            if (at.x >= 0) found[w->Name()] = at;
        }
    }
    EXPECT_EQ(found.size(), 3u) << "see " << SHEENWORK_TEST_OUTPUT_DIR << "/designer.png";
    // The picture: the first button selected, its properties in the editor.
    if (found.count("cmdSave")) {
        display.Xdotool({"mousemove", std::to_string(found["cmdSave"].x + 12),
                         std::to_string(found["cmdSave"].y + 12), "click", "1"});
        // The widget box shows the Sheenwork group, the property editor the button's
        // looks (both filters where Designer 6.4 puts them on a 1024 x 768 screen).
        display.Xdotool({"mousemove", "128", "91", "click", "1", "type", "sheen"});
        display.Xdotool({"mousemove", "717", "314", "click", "1", "type", "Style"});
        std::this_thread::sleep_for(std::chrono::seconds(2));
        screen = display.Screenshot({0, 0, 1024, 768});
    }
    fs::create_directories(SHEENWORK_TEST_OUTPUT_DIR);
    png::Write(std::string(SHEENWORK_TEST_OUTPUT_DIR) + "/designer.png", screen);
    // Where the form file placed them, relative to each other.
    if (found.size() == 3) {
        EXPECT_EQ(found["cmdClose"].y - found["cmdSave"].y, 42);
        EXPECT_EQ(found["cmdMore"].y - found["cmdSave"].y, 84);
        EXPECT_EQ(found["cmdClose"].x, found["cmdSave"].x);
    }
    designer.Signal(SIGTERM);
    designer.Wait();
}

}  // namespace
}  // namespace sheenwork::testing
