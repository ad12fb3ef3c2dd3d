// What the Qt widget shows, pixel for pixel, against the headless runtime's render of the
// same button in the same state: a table of looks, colour schemes, states and sizes
// (tests/data/qt/looks.txt), each row told as a little story to both sides.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>

#include "qt/qt_story.h"

namespace sheenwork::testing {
namespace {

struct Look {
    int line = 0;
    std::string state, look, scheme, size, properties;
};

std::vector<Look> Looks() {
    std::vector<Look> out;
    std::ifstream in(std::string(SHEENWORK_TEST_DATA_DIR) + "/qt/looks.txt");
    int n = 0;
    for (std::string line; std::getline(in, line);) {
        ++n;
        if (line.empty() || line[0] == '#') continue;
        std::istringstream words(line);
        Look l;
        l.line = n;
        words >> l.state >> l.look >> l.scheme >> l.size;
        std::getline(words, l.properties);
        out.push_back(l);
    }
    return out;
}

// The row as a story: a form with the button, its properties, and the steps that bring
// it into the state.
Story StoryOf(const Look& l) {
    static const std::map<std::string, int> looks = {{"WinXP", 0}, {"Office", 1}, {"IExplorer", 2}};
    static const std::map<std::string, int> schemes = {
        {"XPBlue", 0}, {"XPSilver", 1}, {"XPOlive", 2}, {"WinClassic", 5}, {"Custom", 99}};
    const int w = std::stoi(l.size), h = std::stoi(l.size.substr(l.size.find('x') + 1));
    Story s;
    s.name = "looks line " + std::to_string(l.line);
    std::string data = SHEENWORK_TEST_DATA_DIR, properties = l.properties;
    for (std::size_t at; (at = properties.find("$DATA")) != std::string::npos;)
        properties.replace(at, 5, data);
    s.setup = {
        "form 100 100 " + std::to_string(w + 40) + " " + std::to_string(h + 40),
        "control b Sheenwork.sheenButton 20 20 " + std::to_string(w) + " " + std::to_string(h),
        "set b ButtonStyle=" + std::to_string(looks.at(l.look)) + " ColorStyle=" +
            std::to_string(schemes.at(l.scheme)) + " Caption=\"&Save\"" + properties};
    std::string script;
    const std::string x = std::to_string(std::max(w / 3, 0));
    if (l.state == "hover") script = "move b " + x + " 5\nwait 10\nmove b " + x + " 6\n";
    if (l.state == "pressed") script = "move b " + x + " 5\npress\n";
    if (l.state == "focused") script = "focus b\n";
    if (l.state == "default") s.setup.push_back("default b");
    if (l.state == "disabled") s.setup.push_back("set b Enabled=False");
    if (l.state == "section") {
        s.setup.push_back("set b DropDown=True");
        script = "move b " + std::to_string(w - 4) + " 5\npress\n";
    }
    s.sections.push_back({script, {}});
    return s;
}

void PrintTo(const Look& l, std::ostream* out) {
    *out << "line " << l.line << ": " << l.state << " " << l.look << " " << l.scheme << " "
         << l.size;
}

class QtLooks : public ::testing::TestWithParam<Look> {};

TEST_P(QtLooks, GrabEqualsTheHeadlessRender) {
    const Look& l = GetParam();
    const Story story = StoryOf(l);
    std::unique_ptr<SideBySide> both;
    try {
        both = std::make_unique<SideBySide>(story);
        both->Run(story.sections[0].script);
    } catch (const std::exception& e) {
        FAIL() << e.what();
    }
    EXPECT_TRUE(both->SameControl(
        "b", story.name + " " + l.state + " " + l.look + " " + l.scheme + " " + l.size));
    EXPECT_TRUE(both->MessageBoxes().empty());
}

// The screen is the one the run asks for (SHEENWORK_QT_SCALE, 1 unless set): a run meant
// for two device pixels a pixel cannot pass on one.
TEST(QtScreen, ScaleIsTheOneAskedFor) {
    const QByteArray asked = qgetenv("SHEENWORK_QT_SCALE");
    EXPECT_EQ(TestScale(), asked.isEmpty() ? 1 : asked.toInt());
}

INSTANTIATE_TEST_SUITE_P(Table, QtLooks, ::testing::ValuesIn(Looks()), [](const auto& info) {
    const Look& l = info.param;
    std::string name = "line" + std::to_string(l.line) + "_" + l.state + "_" + l.look + "_" +
                       l.scheme + "_" + l.size;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return name;
});

}  // namespace
}  // namespace sheenwork::testing
