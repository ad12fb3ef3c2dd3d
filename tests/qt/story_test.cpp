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

// A window's handle is its host's own number: the Qt button's stands for the headless one.
std::string WithHandles(std::string line, const std::map<std::string, std::string>& handles) {
    for (const auto& [qt, headless] : handles)
        if (const auto at = line.find(" " + qt + " "); at != std::string::npos)
            line.replace(at + 1, qt.size(), headless);
    return line;
}

// The visible popups as "l t r b" with their pictures.
std::map<std::string, png::Image> HeadlessPopups(runtime::Form& form, int scale) {
    std::map<std::string, png::Image> out;
    for (runtime::Popup* p : form.Popups()) {
        if (!p->Visible()) continue;
        const gdi::Rect r = p->ScreenRect();
        out[std::to_string(r.left) + " " + std::to_string(r.top) + " " + std::to_string(r.right) +
            " " + std::to_string(r.bottom)] =
            Magnified(p->Surface().Pixels(), r.Width(), r.Height(), scale);
    }
    return out;
}

std::map<std::string, png::Image> QtPopups(int scale) {
    std::map<std::string, png::Image> out;
    for (QWidget* w : qt::Platform::Current()->VisiblePopups()) {
        const QRect g = w->geometry();
        const int l = g.left(), t = g.top();
        png::Image picture = Grabbed(*w);
        out[std::to_string(l) + " " + std::to_string(t) + " " +
            std::to_string(l + picture.width / scale) + " " +
            std::to_string(t + picture.height / scale)] = std::move(picture);
    }
    return out;
}

class QtStory : public ::testing::TestWithParam<std::filesystem::path> {};

TEST_P(QtStory, EventsFieldsAndPicturesAsHeadless) {
    const Story story = ReadStory(GetParam());
    RecordingServices services;
    runtime::VirtualClock clock;
    auto gdi = gdi::MakeRasterGdi();
    auto headless_log = std::make_shared<NotificationLog>();
    runtime::Runtime headless(
        clock, *gdi,
        [logging = LoggingFactory(headless_log, AccessKeys(story)),
         linked = runtime::LinkedControls()](const std::string& cls, host::ControlSite& site) {
            return cls.rfind("Test.", 0) == 0 ? logging(cls, site) : linked(cls, site);
        });
    runtime::Form* form = nullptr;
    NotificationLog log;
    TimerGate gate;
    QtStoryForm window(log);
    try {
        form = &BuildStoryForm(headless, story, {},
                               [&](runtime::Form& f, const std::string& verb,
                                   const std::string& name, const std::string&) {
                                   if (verb != "paints") return false;
                                   f.Find(name)->Native<sheenButton>()->SetPainters(
                                       std::make_shared<PaintLog>(name, *headless_log));
                                   return true;
                               });
        BuildStory(story, window);
    } catch (const std::exception& e) {
        FAIL() << e.what();
    }
    // Tooltips keep to the same screen on both sides.
    headless.Screen(qt::Platform::Current()->WorkArea());
    std::map<std::string, std::string> handles;
    for (runtime::Window* w : form->Windows())
        if (auto* b = qobject_cast<qt::Button*>(window.Control(w->Name())))
            handles[std::to_string(b->hwnd())] = std::to_string(w->Hwnd());
    runtime::Driver driver(headless, *form);
    QtDriver qt(window, gate);
    const int scale = TestScale();

    for (std::size_t n = 0; n < story.sections.size(); ++n) {
        const std::string where = story.name + ", section " + std::to_string(n + 1);
        SCOPED_TRACE(where);
        const runtime::Script script = runtime::ParseScript(story.sections[n].script, story.name);
        services.on_call = nullptr;
        for (const runtime::Step& step : script.steps) driver.Run(step, story.name);
        log.entries.clear();
        services.on_call = [&](const std::string& call) {
            log.entries.push_back(WithHandles("shell " + call, handles));
        };
        for (const runtime::Step& step : script.steps) qt.Run(step);
        services.on_call = nullptr;

        std::vector<std::string> events;
        for (const auto& line : story.sections[n].expected) {
            std::istringstream words(line);
            std::string first, name;
            words >> first >> name;
            if (first == "fields") {
                for (std::string pair; words >> pair;) {
                    const auto eq = pair.find('=');
                    EXPECT_EQ(FieldOf(*window.Button(name)->Native(), pair.substr(0, eq)),
                              pair.substr(eq + 1))
                        << line;
                }
            } else if (first == "pixel") {
                int x = 0, y = 0;
                std::string want;
                words >> x >> y >> want;
                const png::Image shown = Grabbed(*window.Button(name));
                EXPECT_EQ(
                    Hex(shown
                            .pixels[static_cast<std::size_t>(y * scale) * shown.width + x * scale]),
                    want)
                    << line;
            } else {
                events.push_back(line);
            }
        }
        EXPECT_EQ(log.entries, events);
        // The whole window where it holds buttons alone (a Qt line edit is not the
        // runtime's logging control), and each button.
        const gdi::Rect r = form->ScreenRect();
        bool buttons_only = true;
        for (runtime::Window* w : form->Windows()) {
            auto* b = qobject_cast<qt::Button*>(window.Control(w->Name()));
            buttons_only = buttons_only && b;
            if (b) {
                EXPECT_TRUE(SamePicture(
                    Grabbed(*b),
                    Magnified(w->Surface().Pixels(), w->Rect().Width(), w->Rect().Height(), scale),
                    where + " " + w->Name()));
            }
        }
        if (buttons_only) {
            EXPECT_TRUE(SamePicture(Grabbed(window.Window()),
                                    Magnified(form->Compose(), r.Width(), r.Height(), scale),
                                    where));
        }
        const auto want = HeadlessPopups(*form, scale);
        const auto got = QtPopups(scale);
        ASSERT_EQ(got.size(), want.size()) << "visible tooltips";
        for (const auto& [place, picture] : want) {
            ASSERT_TRUE(got.count(place)) << "no tooltip at " << place;
            EXPECT_TRUE(SamePicture(got.at(place), picture, where + " tooltip"));
        }
    }
    EXPECT_TRUE(headless.MessageBoxes().empty());
}

INSTANTIATE_TEST_SUITE_P(Stories, QtStory, ::testing::ValuesIn(QtStories()),
                         [](const auto& info) { return StoryTestName(info.param); });

}  // namespace
}  // namespace sheenwork::testing
