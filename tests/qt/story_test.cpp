// The runtime's stories told to Qt widgets: every story whose controls the widgets can be
// (sheenButtons, and a plain control that takes the focus) is replayed as Qt input. The
// buttons' signals must be the story's events, their fields and pixels what the story
// says, and after every section the window (and every tooltip, with its place) must
// equal, pixel for pixel, the headless runtime's form after the same script.
#include <sheenwork/control/sheenButton.h>
#include <sheenwork/runtime/controls.h>

#include <gtest/gtest.h>

#include <sstream>

#include "qt/platform.h"
#include "qt/qt_story.h"
#include "support/recording_services.h"
#include "support/story_log.h"

namespace sheenwork::testing {
namespace {

bool InQt(const Story& story) {
    bool buttons = false;
    for (const auto& line : story.setup) {
        std::istringstream words(line);
        std::string verb, name, cls;
        words >> verb >> name >> cls;
        if (verb == "timer") return false;
        if (verb == "control" && cls != "Sheenwork.sheenButton" && cls != "Test.Logger")
            return false;
        buttons = buttons || cls == "Sheenwork.sheenButton";
    }
    return buttons;
}

std::vector<std::filesystem::path> QtStories() {
    std::vector<std::filesystem::path> out;
    for (const auto& p : Stories())
        if (InQt(ReadStory(p))) out.push_back(p);
    return out;
}

std::string Hex(gdi::ColorRef c) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%06X", c);
    return buf;
}

class QtStory : public ::testing::TestWithParam<std::filesystem::path> {};

TEST_P(QtStory, EventsFieldsAndPicturesAsHeadless) {
    const Story story = ReadStory(GetParam());
    std::unique_ptr<SideBySide> both;
    try {
        both = std::make_unique<SideBySide>(story);
    } catch (const std::exception& e) {
        FAIL() << e.what();
    }
    const int scale = TestScale();
    for (std::size_t n = 0; n < story.sections.size(); ++n) {
        const std::string where = story.name + ", section " + std::to_string(n + 1);
        SCOPED_TRACE(where);
        both->Run(story.sections[n].script);
        std::vector<std::string> events;
        for (const auto& line : story.sections[n].expected) {
            std::istringstream words(line);
            std::string first, name;
            words >> first >> name;
            if (first == "fields") {
                for (std::string pair; words >> pair;) {
                    const auto eq = pair.find('=');
                    EXPECT_EQ(FieldOf(*both->Qt().Button(name)->Native(), pair.substr(0, eq)),
                              pair.substr(eq + 1))
                        << line;
                }
            } else if (first == "pixel") {
                int x = 0, y = 0;
                std::string want;
                words >> x >> y >> want;
                const png::Image shown = Grabbed(*both->Qt().Button(name));
                EXPECT_EQ(
                    Hex(shown
                            .pixels[static_cast<std::size_t>(y * scale) * shown.width + x * scale]),
                    want)
                    << line;
            } else {
                events.push_back(line);
            }
        }
        EXPECT_EQ(both->Events(), events);
        // Each button, and the whole window where it holds buttons alone (a Qt line edit
        // is not the runtime's logging control).
        bool buttons_only = true;
        for (runtime::Window* w : both->Headless().Windows()) {
            if (qobject_cast<qt::Button*>(both->Qt().Control(w->Name()))) {
                EXPECT_TRUE(both->SameControl(w->Name(), where));
            } else {
                buttons_only = false;
            }
        }
        if (buttons_only) {
            EXPECT_TRUE(both->SameWindow(where));
        }
        EXPECT_TRUE(both->SameTooltips(where));
    }
    EXPECT_TRUE(both->MessageBoxes().empty());
}

INSTANTIATE_TEST_SUITE_P(Stories, QtStory, ::testing::ValuesIn(QtStories()),
                         [](const auto& info) { return StoryTestName(info.param); });

}  // namespace
}  // namespace sheenwork::testing
