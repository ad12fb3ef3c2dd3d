// The trap skips exactly one statement: each statement of Redraw (with the drop-down
// glyph step inside it), ListSave, ListRead, TextRead and TextSave is failed in turn while errors
// are silent, and what the procedure did is compared with a hand-made account of what that one
// statement does.
#include <sheenwork/control/sheenButton.h>
#include <sheenwork/util/error.h>
#include <sheenwork/util/spev.h>
#include <sheenwork/vb/error.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <sstream>

#include "render/redraw.h"
#include "support/button_fixture.h"
#include "support/forwarding_gdi.h"
#include "support/list_box.h"
#include "support/recording_services.h"

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

std::string Hex(gdi::ColorRef c) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%06X", c);
    return buf;
}

// Our raster, with the calls that show what Redraw's statements did written to a log.
class StepGdi final : public testing::ForwardingGdi {
public:
    StepGdi(gdi::Gdi& inner) : ForwardingGdi(inner) {}
    testing::CallLog* log = nullptr;
    static std::string Box(int l, int t, int r, int b) {
        return std::to_string(l) + " " + std::to_string(t) + " " + std::to_string(r) + " " +
               std::to_string(b);
    }
    void Add(std::string entry) {
        if (log) log->Add(std::move(entry));
    }
    int FillRect(gdi::Hdc dc, const gdi::Rect* r, gdi::Hgdiobj brush) override {
        Add("FillRect " + Box(r->left, r->top, r->right, r->bottom));
        return g_.FillRect(dc, r, brush);
    }
    bool RoundRect(gdi::Hdc dc, int l, int t, int r, int b, int w, int h) override {
        Add("RoundRect " + Box(l, t, r, b));
        return g_.RoundRect(dc, l, t, r, b, w, h);
    }
    gdi::ColorRef SetTextColor(gdi::Hdc dc, gdi::ColorRef c) override {
        Add("SetTextColor " + Hex(c));
        return g_.SetTextColor(dc, c);
    }
    std::vector<gdi::ColorRef> ReadBitmap(gdi::Hgdiobj b) override {
        Add("ReadBitmap");
        return g_.ReadBitmap(b);
    }
    int StretchDIBits(gdi::Hdc dc, int x, int y, int w, int h, int xs, int ys, int ws, int hs,
                      const void* bits, const gdi::BitmapInfoHeader* info, unsigned usage,
                      std::uint32_t rop) override {
        Add("StretchDIBits " + Box(x, y, w, h));
        return g_.StretchDIBits(dc, x, y, w, h, xs, ys, ws, hs, bits, info, usage, rop);
    }
    int DrawTextA(gdi::Hdc dc, const char* t, int n, gdi::Rect* r, unsigned format) override {
        Add("DrawTextA \"" + std::string(t) + "\" " + std::to_string(n) + " " +
            Box(r->left, r->top, r->right, r->bottom));
        return g_.DrawTextA(dc, t, n, r, format);
    }
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
    StepGdi gdi(*raster);
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
    gdi.log = &site.log;
    button.Redraw(0);
    return site.log.entries;
}

TEST_F(TrapSteps, EachStatementOfRedrawAndItsGlyphStepIsSkippedAlone) {
    // What the whole split paint does, numbered for the table below.
    const Log full = {
        "Surface",                        // 0  first pass: the surface
        "FillRect 0 0 80 24",             // 1  Cls
        "Paint:XPBody \"\" pass 0",       // 2  body, normal
        "SetTextColor 00AA00",            // 3  (the body's frame colour)
        "Paint:DrawImage",                // 4
        "Paint:WriteCaption",             // 5
        "Paint:DropDownGlyph",            // 6  (nothing in the first pass)
        "Paint:drawMLine \"orange\"",     // 7
        "SetTextColor 00AA00",            // 8  fore colour := clrFrame
        "RoundRect 0 0 80 24",            // 9
        "ReadBitmap",                     // 10 snapshot
        "Surface",                        // 11 second pass
        "FillRect 0 0 80 24",             // 12
        "Paint:XPBody \"down\" pass 1",   // 13
        "SetTextColor 00AA00",            // 14
        "Paint:DropDownGlyph",            // 15
        "lblDropDown.Font",               // 16 glyph font ...
        "Surface.Font set",               // 17 ... given to the surface
        "SetTextColor 0000FF",            // 18 fore colour := DropDownColor
        "DrawTextA \"6\" -1 64 0 80 24",  // 19
        "Paint:drawMLine \"\"",           // 20
        "SetTextColor 00AA00",            // 21
        "RoundRect 0 0 80 24",            // 22
        "StretchDIBits 0 0 64 24",        // 23 rcMain copied back
        "FillRect 64 1 65 24",            // 24 separator
    };
    const ButtonRecord fresh = testing::NewInstanceRecord();
    ASSERT_EQ(SplitPaint(fresh), full);

    struct Skip {
        std::set<int> removed;
        std::map<int, std::string> changed;
    };
    const auto Union = [](std::set<int> a, std::initializer_list<int> b) {
        a.insert(b);
        return a;
    };
    const auto gone = [](int from, int to) {
        std::set<int> s;
        for (int i = from; i <= to; ++i) s.insert(i);
        return s;
    };
    // Per step, in the order the steps run (the second pass nests in the first):
    const std::vector<Skip> steps = {
        {gone(0, 24), {}},  // 0  without the surface there is nothing to paint on
        {},                 // 1  sDrawState: the first pass resolves "", its start value
        {},                 // 2  sHighlight := "": it is "" already
        {{1}, {}},          // 3  Cls
        {{2, 3}, {{8, "SetTextColor 000000"}}},  // 4  body: clrFrame takes the old pen
        {{}, {{8, "SetTextColor 000000"}}},      // 5  clrFrame keeps its 0
        {{4}, {}},                               // 6  picture
        {{5}, {}},                               // 7  caption
        {{6}, {}},                               // 8  glyph step
        {},                                      // 9    bGlyphDrawn := False (is False)
        {{}, {{7, "Paint:drawMLine \"\""}}},     // 10 highlight choice
        {{7}, {}},                               // 11 drawMLine
        {{8}, {}},                               // 12 fore colour := clrFrame
        {{9}, {}},                               // 13 RoundRect
        {{10, 23}, {}},                          // 14 no snapshot: nothing to copy back
        {gone(11, 24), {}},                      // 15 Redraw(1)
        {gone(11, 24), {}},                      // 16 second pass: the surface
        {{}, {{13, "Paint:XPBody \"\" pass 1"}, {20, "Paint:drawMLine \"orange\""}}},  // 17
        {},                                            // 18 sHighlight := ""
        {{12}, {}},                                    // 19 Cls
        {{13, 14}, {}},                                // 20 body
        {{}, {{21, "SetTextColor 000000"}}},           // 21 clrFrame
        {Union(gone(15, 19), {23, 24}), {}},           // 22 glyph step: no section, no rcMain
        {},                                            // 23   bGlyphDrawn := False (is False)
        {{16, 17}, {}},                                // 24   font
        {{18}, {}},                                    // 25   fore colour
        {{}, {{19, "DrawTextA \"6\" -1 64 0 0 0"}}},   // 26   rcDropDown := the button
        {{23}, {}},                                    // 27   rcMain := the button: empty copy
        {{}, {{19, "DrawTextA \"6\" -1 0 0 80 24"}}},  // 28   section's left edge
        {{}, {{23, "StretchDIBits 0 0 80 24"}}},       // 29   rcMain's right edge
        {{}, {{24, "FillRect 0 0 1 1"}}},              // 30   separator's ends
        {{}, {{19, "DrawTextA \"\" -1 64 0 80 24"}}},  // 31   glyph character
        {{19}, {}},                                    // 32   DrawTextA
        {{24}, {}},                                    // 33   bGlyphDrawn := True
        {},                                            // 34 highlight: "" either way
        {{20}, {}},                                    // 35 drawMLine
        {{21}, {}},                                    // 36 fore colour := clrFrame
        {{22}, {}},                                    // 37 RoundRect
        {{23}, {}},                                    // 38 copy back
        {{24}, {}},                                    // 39 separator
        {},                                            // 40 first pass's separator: none
    };
    {
        FailOneStep none("Redraw", -1);
        SplitPaint(fresh);
        ASSERT_EQ(none.Seen(), int(steps.size())) << "every statement is one step";
    }
    for (std::size_t k = 0; k < steps.size(); ++k) {
        Log expected;
        for (std::size_t i = 0; i < full.size(); ++i) {
            if (steps[k].removed.count(int(i))) continue;
            const auto c = steps[k].changed.find(int(i));
            expected.push_back(c == steps[k].changed.end() ? full[i] : c->second);
        }
        FailOneStep fail("Redraw", int(k));
        EXPECT_EQ(SplitPaint(fresh), expected) << "step " << k;
    }
    EXPECT_TRUE(services.boxes.empty());
}

using testing::ListBox;

std::optional<std::string> Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Open, take the list, count, one write per item, close.
TEST_F(TrapSteps, ListSaveSkipsOneItemOrOneStatement) {
    testing::TempDir dir;
    const std::vector<std::optional<std::string>> expected = {
        std::nullopt,             // 0 open: nothing is written anywhere
        "",                       // 1 the list: no count, no items
        "",                       // 2 the count stays 0
        "[b]\r\n[c]\r\n",         // 3 item 0
        "[a]\r\n[c]\r\n",         // 4 item 1
        "[a]\r\n[b]\r\n",         // 5 item 2
        "[a]\r\n[b]\r\n[c]\r\n",  // 6 close: the file is closed on the way out
    };
    for (std::size_t k = 0; k < expected.size(); ++k) {
        auto list = std::make_shared<ListBox>();
        list->items = {"a", "b", "c"};
        vb::Variant arg{vb::Object(list)};
        std::string name = dir / ("list" + std::to_string(k) + ".txt");
        FailOneStep fail("ListSave", int(k));
        SpEvObject().ListSave(arg, name, "[", "]");
        EXPECT_EQ(Contents(name), expected[k]) << "step " << k;
    }
    EXPECT_TRUE(services.boxes.empty());
}

// Open, take the list, then per line a read and an AddItem, close. A skipped read leaves
// the previous line, and the file position, where they were.
TEST_F(TrapSteps, ListReadSkipsOneReadOrOneAdd) {
    testing::TempDir dir;
    std::string name = dir / "list.txt";
    std::ofstream(name, std::ios::binary) << "one\r\ntwo\r\nthree";
    using Items = std::vector<std::string>;
    const std::vector<Items> expected = {
        {"kept"},                                // 0 open: nothing to read
        {"kept"},                                // 1 the list: every AddItem fails too
        {"kept", "", "one", "two", "three"},     // 2 first read
        {"kept", "two", "three"},                // 3 first add
        {"kept", "one", "one", "two", "three"},  // 4 second read
        {"kept", "one", "three"},                // 5 second add
        {"kept", "one", "two", "two", "three"},  // 6 third read
        {"kept", "one", "two"},                  // 7 third add
        {"kept", "one", "two", "three"},         // 8 close
    };
    for (std::size_t k = 0; k < expected.size(); ++k) {
        auto list = std::make_shared<ListBox>();
        list->items = {"kept"};
        vb::Variant arg{vb::Object(list)};
        FailOneStep fail("ListRead", int(k));
        SpEvObject().ListRead(arg, name);
        EXPECT_EQ(list->items, expected[k]) << "step " << k;
    }
    EXPECT_TRUE(services.boxes.empty());
}

// Open, read or write, close. A skipped open leaves no file: the statements after it fail
// on their own and are skipped too, so TextRead returns "" and nothing is written.
TEST_F(TrapSteps, TextReadAndTextSaveSkipOneStatement) {
    testing::TempDir dir;
    const std::string name = dir / "text.txt";
    std::ofstream(name, std::ios::binary) << "a\r\nb";
    const std::vector<std::string> read = {"", "", "a\r\nb"};  // open, read, close
    const std::vector<std::optional<std::string>> saved = {std::nullopt, "", "x"};
    for (const bool save : {false, true}) {
        const std::string procedure = save ? "TextSave" : "TextRead";
        for (int k = -1; k < 3; ++k) {
            FailOneStep fail(procedure, k);
            const std::string out = dir / ("out" + std::to_string(k) + ".txt");
            if (save) {
                SpEvObject().TextSave(out, "x");
                EXPECT_EQ(Contents(out), k < 0 ? "x" : saved[k]) << procedure << " step " << k;
            } else {
                EXPECT_EQ(SpEvObject().TextRead(name), k < 0 ? "a\r\nb" : read[k])
                    << procedure << " step " << k;
            }
            EXPECT_EQ(fail.Seen(), 3) << procedure << " has three statements";
        }
    }
    // Opens that fail on their own: no such file, a folder, no such folder.
    EXPECT_EQ(SpEvObject().TextRead(dir / "missing.txt"), "");
    EXPECT_EQ(SpEvObject().TextRead(dir.Path().string()), "");
    SpEvObject().TextSave(dir / "none/out.txt", "x");
    EXPECT_TRUE(services.boxes.empty());
}

}  // namespace
}  // namespace sheenwork
