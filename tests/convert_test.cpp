// sheenwork convert between form files and Qt Designer .ui files: a form comes back from
// its .ui file with every property its controls end with, and a .ui file that cannot be
// used is refused with its file, line and column (tests/data/convert/*.ui, each naming
// its problem in its first comment).
#include <sheenwork/runtime/controls.h>
#include <sheenwork/runtime/form_file.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "support/data.h"
#include "support/form_compare.h"
#include "support/recording_services.h"
#include "support/refusal.h"
#include "support/story_play.h"
#include "ui_file.h"

namespace sheenwork {
namespace {

namespace fs = std::filesystem;

using testing::ReadFile;

// tests/data/convert/round_trips.txt: a form, and a picture it names to be put beside a
// copy of it (none: read where it is).
class ConvertRoundTrip : public ::testing::TestWithParam<testing::Row> {};

// Form file -> .ui -> form file, twice: the same form, property for property.
TEST_P(ConvertRoundTrip, KeepsEveryProperty) {
    testing::RecordingServices services;
    testing::TempDir tmp;
    fs::path source = fs::path(SHEENWORK_SOURCE_DIR) / GetParam()[0];
    if (GetParam().size() > 1) {
        const fs::path picture = fs::path(SHEENWORK_SOURCE_DIR) / GetParam()[1];
        fs::copy_file(source, tmp.Path() / source.filename());
        fs::copy_file(picture, tmp.Path() / picture.filename());
        source = tmp.Path() / source.filename();
    }
    testing::Linked original;
    runtime::Form& first = original.Load(source.string());
    const fs::path ui = tmp.Path() / "ui" / "form.ui";
    fs::create_directories(ui.parent_path());
    runtime::FormFile form = runtime::ReadFormFile(source);
    for (int round = 1; round <= 2; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        const std::string text = cli::FormatUiFile(form, ui);
        std::vector<std::string> notes;
        form = cli::ParseUiFile(text, ui, notes);
        EXPECT_TRUE(notes.empty()) << notes.front();
        testing::Linked again;
        EXPECT_EQ(testing::CompareForms(runtime::LoadForm(again.rt, form), first), "");
    }
}

INSTANTIATE_TEST_SUITE_P(Forms, ConvertRoundTrip,
                         ::testing::ValuesIn(testing::ReadTable("convert/round_trips.txt")),
                         testing::RowName);

class ConvertBadUi : public ::testing::TestWithParam<fs::path> {};

TEST_P(ConvertBadUi, IsRefusedWithItsPlace) {
    const std::string text = ReadFile(GetParam());
    // Its first comment: "<!-- LINE:COLUMN: what -->".
    const std::size_t open = text.find("<!-- ") + 5;
    const std::string want = text.substr(open, text.find(" -->") - open);
    std::vector<std::string> notes;
    const std::string problems = testing::Refusal<runtime::FormFileError>(
        [&] { cli::ParseUiFile(text, GetParam(), notes); },
        [](const auto& e) {
            return std::to_string(e.Problems().size()) + " " + e.Problems().at(0).Text();
        });
    EXPECT_EQ(problems.rfind("1 ", 0), 0u) << problems;
    EXPECT_NE(problems.find(GetParam().string() + ":" + want), std::string::npos) << problems;
}

std::vector<fs::path> BadUiFiles() {
    std::vector<fs::path> out;
    for (const auto& e : fs::directory_iterator(std::string(SHEENWORK_TEST_DATA_DIR) + "/convert"))
        if (e.path().extension() == ".ui") out.push_back(e.path());
    std::sort(out.begin(), out.end());
    return out;
}

INSTANTIATE_TEST_SUITE_P(Files, ConvertBadUi, ::testing::ValuesIn(BadUiFiles()),
                         [](const auto& info) { return testing::StoryTestName(info.param); });

// What a form file cannot hold is left out, each with a note naming its place; what a
// .ui file cannot carry is refused, and nothing is written.
TEST(Convert, NotesWhatItLeavesOutAndRefusesWhatItCannotCarry) {
    const fs::path path = std::string(SHEENWORK_TEST_DATA_DIR) + "/convert/notes/dlg.ui";
    std::istringstream text(ReadFile(path));
    std::vector<std::string> notes, want;
    std::string line;
    for (std::getline(text, line); std::getline(text, line) && line != "-->";)
        want.push_back(path.string() + ":" + line);
    const runtime::FormFile form = cli::ParseUiFile(text.str(), path, notes);
    EXPECT_EQ(notes, want);
    ASSERT_EQ(form.controls.size(), 1u);
    // Inside its group box, placed in the form's client area.
    EXPECT_EQ(form.controls[0].position, (runtime::Position{15, 26}));
    EXPECT_EQ(form.controls[0].size, (runtime::Size{90, 26}));
    ASSERT_EQ(form.controls[0].properties.size(), 1u);
    EXPECT_EQ(form.controls[0].properties[0].key, "Enabled");

    runtime::FormFile bad = form;
    bad.controls[0].properties.push_back({"Caption", vb::Variant(std::string("a\x01z"))});
    EXPECT_EQ(testing::Refusal<runtime::FormFileError>(
                  [&] { cli::FormatUiFile(bad, "out.ui"); },
                  [](const auto& e) { return e.Problems()[0].Text(); }),
              "out.ui: cmdOK.Caption holds the control character 0x01, which a .ui file "
              "cannot carry");
}

}  // namespace
}  // namespace sheenwork
