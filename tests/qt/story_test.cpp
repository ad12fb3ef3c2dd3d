// The Qt widget against the headless runtime, told the same stories: every runtime story
// whose controls the widgets can be (sheenButtons, and a plain control that takes the
// focus), and a table of looks, schemes, states and sizes (tests/data/qt/looks.txt), each
// row a little story of one button brought into its state.
#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "qt/qt_story.h"

namespace sheenwork::testing {
namespace {

std::vector<std::filesystem::path> QtStories() {
    std::vector<std::filesystem::path> out;
    for (const auto& path : Stories()) {
        bool buttons = false, others = false;
        for (const auto& line : ReadStory(path).setup) {
            std::istringstream words(line);
            std::string verb, name, cls;
            words >> verb >> name >> cls;
            others = others || verb == "timer" ||
                     (verb == "control" && cls != "Sheenwork.sheenButton" && cls != "Test.Logger");
            buttons = buttons || cls == "Sheenwork.sheenButton";
        }
        if (buttons && !others) out.push_back(path);
    }
    return out;
}

class QtStory : public ::testing::TestWithParam<std::filesystem::path> {};
TEST_P(QtStory, EventsFieldsAndPicturesAsHeadless) { PlayOnQt(ReadStory(GetParam())); }
INSTANTIATE_TEST_SUITE_P(Stories, QtStory, ::testing::ValuesIn(QtStories()),
                         [](const auto& info) { return StoryTestName(info.param); });

// A row as a story: a form with the button, its properties, and the steps that bring it
// into the state.
class QtLooks : public ::testing::TestWithParam<Row> {};
TEST_P(QtLooks, GrabEqualsTheHeadlessRender) {
    static const std::map<std::string, int> looks = {{"WinXP", 0}, {"Office", 1}, {"IExplorer", 2}};
    static const std::map<std::string, int> schemes = {
        {"XPBlue", 0}, {"XPSilver", 1}, {"XPOlive", 2}, {"WinClassic", 5}, {"Custom", 99}};
    const Row& row = GetParam();
    const std::string& state = row[0];
    const int w = std::stoi(row[3]), h = std::stoi(row[3].substr(row[3].find('x') + 1));
    std::string properties = row[4];
    for (std::size_t at; (at = properties.find("$DATA")) != std::string::npos;)
        properties.replace(at, 5, SHEENWORK_TEST_DATA_DIR);
    Story s{"looks " + row.where, {}, {}};
    s.setup = {
        "form 100 100 " + std::to_string(w + 40) + " " + std::to_string(h + 40),
        "control b Sheenwork.sheenButton 20 20 " + std::to_string(w) + " " + std::to_string(h),
        "set b ButtonStyle=" + std::to_string(looks.at(row[1])) + " ColorStyle=" +
            std::to_string(schemes.at(row[2])) + " Caption=\"&Save\" " + properties};
    const std::string x = std::to_string(w / 3);
    std::string script = state == "hover"     ? "move b " + x + " 5\nwait 10\nmove b " + x + " 6\n"
                         : state == "pressed" ? "move b " + x + " 5\npress\n"
                         : state == "focused" ? "focus b\n"
                         : state == "section" ? "move b " + std::to_string(w - 4) + " 5\npress\n"
                                              : "";
    if (state == "default") s.setup.push_back("default b");
    if (state == "disabled") s.setup.push_back("set b Enabled=False");
    if (state == "section") s.setup.push_back("set b DropDown=True");
    s.sections.push_back({script, {}});
    PlayOnQt(s, false);
}
INSTANTIATE_TEST_SUITE_P(Table, QtLooks, ::testing::ValuesIn(ReadTable("qt/looks.txt")), RowName);

// The screen is the one the run asks for (SHEENWORK_QT_SCALE, 1 unless set): a run meant
// for two device pixels a pixel cannot pass on one.
TEST(QtScreen, ScaleIsTheOneAskedFor) {
    const QByteArray asked = qgetenv("SHEENWORK_QT_SCALE");
    EXPECT_EQ(TestScale(), asked.isEmpty() ? 1 : asked.toInt());
}

}  // namespace
}  // namespace sheenwork::testing
