// The trap skips exactly one statement: each statement of Redraw (with the drop-down
// glyph step inside it), ListSave, ListRead, TextRead and TextSave is failed in turn while errors
// are silent, and what the procedure did is compared with a hand-made account of what that one
// statement does.
#include <sheenwork/control/sheenButton.h>
#include <sheenwork/util/error.h>
#include <sheenwork/util/spev.h>
#include <sheenwork/vb/error.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <sstream>

#include "render/redraw.h"
#include "support/button_fixture.h"
#include "support/data.h"
#include "support/forwarding_gdi.h"
#include "support/list_box.h"
#include "support/recording_services.h"
#include "support/story.h"

namespace sheenwork {
namespace {

using Log = std::vector<std::string>;

// Fails the `fail`-th step (counted from 0 over every procedure called `name`, nested
// ones included) and counts how many steps such procedures began.
class FailOneStep {
public:
    FailOneStep(std::string name, int fail) : name_(std::move(name)), fail_(fail) {
        SetStepProbe([this](const Procedure& p, int) {
            if (p.Name() != name_) return;
            if (seen_++ == fail_) vb::Raise(5);
        });
    }
    ~FailOneStep() { SetStepProbe({}); }
    int Seen() const { return seen_; }

private:
    std::string name_;
    int fail_;
    int seen_ = 0;
};

// The recording painters, except that the XP body leaves a frame colour and the separator
// is the real one, so that the steps which carry them show in the log.
struct StepPainters : testing::RecordingPainters {
    using RecordingPainters::RecordingPainters;
    void XPBody(PaintContext& c) const override {
        RecordingPainters::XPBody(c);
        c.surface.ForeColor(0x00AA00);
    }
    void DropDownSeparator(PaintContext& c) const override { Painters::DropDownSeparator(c); }
};

class TrapSteps : public ::testing::Test {
protected:
    void SetUp() override { SetSilentError(vb::True); }
    void TearDown() override { SetSilentError(vb::False); }
    testing::RecordingServices services;
};

// An 80 x 24 button whose right-hand section is pressed under the pointer: the split
// paint, so that both passes and the glyph step run. `fresh` is a new instance's record,
// made before any step is failed or counted.
Log SplitPaint(const ButtonRecord& fresh) {
    auto raster = gdi::MakeRasterGdi();
    testing::RecordingGdi gdi(*raster);
    testing::RecordingSite site(gdi, 80, 24);
    sheenButton button(site);
    button.SetPainters(std::make_shared<StepPainters>(site.log));
    // A new instance's values on a surface that nothing has painted yet: the steps
    // below see the surface's first pen and font.
    ButtonRecord& r = button.Record() = fresh;
    r.DropDown = vb::True;
    r.DropDownColor = 0x0000FF;
    r.sState = r.sDropDownState = "down";
    r.bMouseOver = vb::True;
    // The surface holds the glyph font already, so that skipping its assignment shows
    // only as the missing calls.
    site.Surface().Font(*site.lbl_drop_down_font);
    site.log.Clear();
    gdi.note = [&site](std::string entry) { site.log.Add(std::move(entry)); };
    button.Redraw(0);
    return site.log.entries;
}

// The rows of a table whose first cell is `kind`, by the number in their second.
std::map<int, testing::Row> Rows(const std::string& table, const std::string& kind) {
    std::map<int, testing::Row> out;
    for (const auto& row : testing::ReadTable(table))
        if (row[0] == kind) out.emplace(std::stoi(row[1]), row);
    return out;
}

// tests/data/trap/redraw.txt: the whole paint, then per step, in the order the steps run
// (the second pass nests in the first), the calls that go and the calls that change.
TEST_F(TrapSteps, EachStatementOfRedrawAndItsGlyphStepIsSkippedAlone) {
    Log full;
    for (const auto& [n, row] : Rows("trap/redraw.txt", "paint")) full.push_back(row[2]);
    const ButtonRecord fresh = testing::NewInstanceRecord();
    ASSERT_EQ(SplitPaint(fresh), full);
    const auto steps = Rows("trap/redraw.txt", "step");
    {
        FailOneStep none("Redraw", -1);
        SplitPaint(fresh);
        ASSERT_EQ(none.Seen(), int(steps.size())) << "every statement is one step";
    }
    for (const auto& [k, row] : steps) {
        Log expected = full;
        std::istringstream changes(row[3]);
        for (std::string change; std::getline(changes >> std::ws, change, ';');)
            expected.at(std::stoul(change)) = change.substr(change.find(": ") + 2);
        std::set<std::size_t> gone;
        std::istringstream removed(row[2]);
        for (std::string range; removed >> range;) {
            const auto dash = range.find('-');
            for (auto i = std::stoul(range); i <= std::stoul(range.substr(dash + 1)); ++i)
                gone.insert(i);
        }
        for (auto i = gone.rbegin(); i != gone.rend(); ++i)
            expected.erase(expected.begin() + std::ptrdiff_t(*i));
        FailOneStep fail("Redraw", k);
        EXPECT_EQ(SplitPaint(fresh), expected) << row.where << ": " << row[4];
    }
    EXPECT_TRUE(services.boxes.empty());
}

using testing::ListBox;

std::optional<std::string> Contents(const std::string& path) {
    if (!std::filesystem::exists(path)) return std::nullopt;
    return testing::ReadFile(path);
}

// tests/data/trap/spev.txt: what ListSave, ListRead, TextRead and TextSave leave when one
// statement (or one item's) is skipped.
class TrapFileSteps : public TrapSteps, public ::testing::WithParamInterface<testing::Row> {};

TEST_P(TrapFileSteps, SkipOneStatementOrOneItem) {
    const testing::Row& row = GetParam();
    const std::string& procedure = row[0];
    const int k = std::stoi(row[1]);
    testing::TempDir dir;
    const std::string in = dir / "in.txt", out = dir / "out.txt";
    std::ofstream(in, std::ios::binary)
        << (procedure == "ListRead" ? "one\r\ntwo\r\nthree" : "a\r\nb");
    auto list = std::make_shared<ListBox>();
    list->items = procedure == "ListSave" ? Log{"a", "b", "c"} : Log{"kept"};
    vb::Variant arg{vb::Object(list)};
    FailOneStep fail(procedure, k);
    std::optional<std::string> got;
    if (procedure == "ListSave") SpEvObject().ListSave(arg, out, "[", "]");
    if (procedure == "ListRead") SpEvObject().ListRead(arg, in);
    if (procedure == "TextSave") SpEvObject().TextSave(out, "x");
    if (procedure == "TextRead") got = SpEvObject().TextRead(in);
    if (procedure.ends_with("Save")) got = Contents(out);
    if (procedure == "ListRead") {
        got = "";
        for (std::size_t i = 0; i < list->items.size(); ++i)
            *got += (i ? "," : "") + list->items[i];
    }
    EXPECT_EQ(got.value_or("(none)"), testing::Unescape(row.size() > 2 ? row[2] : ""));
    if (k < 0 || procedure.starts_with("Text")) {
        int steps = 0;
        for (const auto& r : testing::ReadTable("trap/spev.txt"))
            steps += r[0] == procedure && r[1] != "-1";
        EXPECT_EQ(fail.Seen(), steps) << "every statement is one step";
    }
    EXPECT_TRUE(services.boxes.empty());
}

INSTANTIATE_TEST_SUITE_P(Table, TrapFileSteps,
                         ::testing::ValuesIn(testing::ReadTable("trap/spev.txt")),
                         testing::RowName);

// Opens that fail on their own while errors are silent: no such file, a folder, no such
// folder. Nothing is reported.
TEST_F(TrapSteps, OpensThatFailAreSkippedQuietly) {
    testing::TempDir dir;
    EXPECT_EQ(SpEvObject().TextRead(dir / "missing.txt"), "");
    EXPECT_EQ(SpEvObject().TextRead(dir.Path().string()), "");
    SpEvObject().TextSave(dir / "none/out.txt", "x");
    EXPECT_FALSE(std::filesystem::exists(dir / "none"));
    EXPECT_TRUE(services.boxes.empty());
}

}  // namespace
}  // namespace sheenwork
