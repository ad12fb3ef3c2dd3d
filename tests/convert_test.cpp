// sheenwork convert between form files and Qt Designer .ui files: a form comes back from
// its .ui file with every property its controls end with, and a .ui file that cannot be
// used is refused with its file, line and column (tests/data/convert/*.ui, each naming
// its problem in its first comment).
#include <sheenwork/control/typelib.h>
#include <sheenwork/runtime/controls.h>
#include <sheenwork/runtime/form_file.h>
#include <sheenwork/vb/stdfont.h>
#include <sheenwork/vb/stdpicture.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/recording_services.h"
#include "ui_file.h"

namespace sheenwork {
namespace {

namespace fs = std::filesystem;

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// A property's value as a loaded control holds it, comparable across two loads: fonts by
// their description, pictures by the file they came from.
std::string Shown(const vb::Variant& v) {
    if (const auto* o = std::get_if<vb::Object>(&v)) {
        if (const auto f = o->As<vb::StdFont>())
            return f->Name() + " " + std::to_string(f->Size()) + " " + std::to_string(f->Weight()) +
                   " " + std::to_string(f->Italic().Bits()) +
                   std::to_string(f->Underline().Bits()) +
                   std::to_string(f->Strikethrough().Bits()) + " " + std::to_string(f->Charset());
        if (const auto p = o->As<vb::StdPicture>()) return "picture " + p->SourceFile();
        return o->IsNothing() ? "Nothing" : "object";
    }
    return vb::CStr(v);
}

// Everything a loaded form holds, one line each.
std::vector<std::string> Loaded(const runtime::FormFile& file) {
    runtime::VirtualClock clock;
    auto gdi = gdi::MakeRasterGdi();
    runtime::Runtime rt(clock, *gdi, runtime::LinkedControls());
    runtime::Form& form = runtime::LoadForm(rt, file);
    std::vector<std::string> out{
        "form " + form.Name() + " " + form.Caption() + " " +
        std::to_string(form.ScreenRect().left) + " " + std::to_string(form.ScreenRect().top) + " " +
        std::to_string(form.Width()) + " " + std::to_string(form.Height()) + " " +
        std::to_string(form.BackColor()) + " " + Shown(vb::Variant(vb::Object(form.Font()))) +
        " default " + (form.DefaultButton() ? form.DefaultButton()->Name() : "-") + " cancel " +
        (form.CancelButton() ? form.CancelButton()->Name() : "-")};
    for (runtime::Window* w : form.TabOrder()) out.push_back("tab " + w->Name());
    for (runtime::Window* w : form.Windows()) {
        const gdi::Rect r = w->Rect();
        out.push_back(w->Name() + " at " + std::to_string(r.left) + " " + std::to_string(r.top) +
                      " " + std::to_string(r.Width()) + " " + std::to_string(r.Height()));
        for (const PersistedProperty& key : sheenButtonPersisted()) {
            std::vector<vb::Variant> none;
            const auto got = w->Instance()->Invoke(key.key, vb::InvokeKind::PropertyGet, none);
            out.push_back(w->Name() + "." + key.key + " = " +
                          (got.error ? "error " + got.description : Shown(got.value)));
        }
    }
    return out;
}

// A form, and a picture it names to be put beside a copy of it (none: read where it is).
struct RoundTrip {
    const char* form;
    const char* picture;
};

class ConvertRoundTrip : public ::testing::TestWithParam<RoundTrip> {};

// Form file -> .ui -> form file, twice: the same form, property for property.
TEST_P(ConvertRoundTrip, KeepsEveryProperty) {
    testing::RecordingServices services;
    testing::TempDir tmp;
    fs::path source = fs::path(SHEENWORK_SOURCE_DIR) / GetParam().form;
    if (GetParam().picture) {
        const fs::path picture = fs::path(SHEENWORK_SOURCE_DIR) / GetParam().picture;
        fs::copy_file(source, tmp.Path() / source.filename());
        fs::copy_file(picture, tmp.Path() / picture.filename());
        source = tmp.Path() / source.filename();
    }
    const runtime::FormFile original = runtime::ReadFormFile(source);
    const fs::path ui = tmp.Path() / "ui" / "form.ui";
    fs::create_directories(ui.parent_path());
    runtime::FormFile form = original;
    for (int round = 1; round <= 2; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        const std::string text = cli::FormatUiFile(form, ui);
        std::vector<std::string> notes;
        form = cli::ParseUiFile(text, ui, notes);
        EXPECT_TRUE(notes.empty()) << notes.front();
        EXPECT_EQ(Loaded(form), Loaded(original));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Forms, ConvertRoundTrip,
    ::testing::Values(RoundTrip{"tests/data/formfile/example.sfm", nullptr},
                      RoundTrip{"tests/data/qt/three.sfm", nullptr},
                      RoundTrip{"tools/sheenwork/gallery.sfm", "resources/toolbox.bmp"}),
    [](const auto& info) { return fs::path(info.param.form).stem().string(); });

class ConvertBadUi : public ::testing::TestWithParam<fs::path> {};

TEST_P(ConvertBadUi, IsRefusedWithItsPlace) {
    const std::string text = ReadText(GetParam());
    // Its first comment: "<!-- LINE:COLUMN: what -->".
    const std::size_t open = text.find("<!-- ") + 5;
    const std::string want = text.substr(open, text.find(" -->") - open);
    std::vector<std::string> notes;
    try {
        cli::ParseUiFile(text, GetParam(), notes);
        FAIL() << "read without a problem";
    } catch (const runtime::FormFileError& e) {
        ASSERT_EQ(e.Problems().size(), 1u);
        EXPECT_NE(e.Problems()[0].Text().find(GetParam().string() + ":" + want), std::string::npos)
            << e.Problems()[0].Text();
    }
}

std::vector<fs::path> BadUiFiles() {
    std::vector<fs::path> out;
    for (const auto& e : fs::directory_iterator(std::string(SHEENWORK_TEST_DATA_DIR) + "/convert"))
        if (e.path().extension() == ".ui") out.push_back(e.path());
    std::sort(out.begin(), out.end());
    return out;
}

INSTANTIATE_TEST_SUITE_P(Files, ConvertBadUi, ::testing::ValuesIn(BadUiFiles()),
                         [](const auto& info) {
                             std::string name = info.param.stem().string();
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

// What a form file cannot hold is left out, each with a note naming its place; what a
// .ui file cannot carry is refused, and nothing is written.
TEST(Convert, NotesWhatItLeavesOutAndRefusesWhatItCannotCarry) {
    const fs::path path = std::string(SHEENWORK_TEST_DATA_DIR) + "/convert/notes/dlg.ui";
    std::istringstream text(ReadText(path));
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
    try {
        cli::FormatUiFile(bad, "out.ui");
        FAIL() << "a control character went into XML";
    } catch (const runtime::FormFileError& e) {
        EXPECT_EQ(e.Problems()[0].Text(),
                  "out.ui: cmdOK.Caption holds the control character 0x01, which a .ui file "
                  "cannot carry");
    }
}

}  // namespace
}  // namespace sheenwork
