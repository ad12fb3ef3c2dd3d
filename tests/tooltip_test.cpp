// The tooltip: our "tooltips_class32" against the real one under Wine (the same messages
// with the same answers, the same tips on the screen), the wrapper sheenToolTip sending
// exactly those messages and keeping to its edge cases, and the tip as a user meets it.
#include <sheenwork/control/sheenButton.h>
#include <sheenwork/runtime/controls.h>
#include <sheenwork/runtime/form.h>
#include <sheenwork/runtime/script.h>
#include <sheenwork/user/user.h>
#include <sheenwork/util/error.h>
#include <sheenwork/util/spev.h>

#include <sheenwork/vb/ansi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "png_io.h"
#include "support/logging_control.h"
#include "support/recording_services.h"
#include "tooltip/QI.h"
#include "tooltip/sequence.h"
#include "tooltip/sheenToolTip.h"

namespace sheenwork {
namespace {

using namespace tooltip_check;
using runtime::Millis;

// A form at the script's place with the tools A, B and C on it.
struct Desk {
    Desk() {
        form = &runtime.CreateForm("Form1", {kFormRect[0], kFormRect[1]},
                                   {kFormRect[2] - kFormRect[0], kFormRect[3] - kFormRect[1]});
        windows["F"] = form->Hwnd();
        windows["A"] = form->Add("Test.Logger", "A", {kToolRect[0], kToolRect[1]},
                                 {kToolRect[2] - kToolRect[0], kToolRect[3] - kToolRect[1]})
                           .Hwnd();
        windows["B"] = form->Add("Test.Logger", "B", {200, 20}, {100, 30}).Hwnd();
        windows["C"] = form->Add("Test.Logger", "C", {200, 100}, {100, 30}).Hwnd();
        runtime.MouseMove({10, 10});
    }
    user::Hwnd NewTip() {
        user::InitCommonControls();
        return user::CreateWindowExA(0, "tooltips_class32", "", user::TTS_ALWAYSTIP, 0, 0, 0, 0,
                                     form->Hwnd(), 0, 0, nullptr);
    }
    std::vector<runtime::Popup*> Shown() const {
        std::vector<runtime::Popup*> out;
        for (runtime::Popup* p : form->Popups())
            if (p->Visible()) out.push_back(p);
        return out;
    }
    testing::RecordingServices services;
    runtime::VirtualClock clock;
    std::unique_ptr<gdi::Gdi> gdi = gdi::MakeRasterGdi();
    runtime::Runtime runtime{clock, *gdi,
                             testing::LoggingFactory(std::make_shared<testing::NotificationLog>())};
    runtime::Form* form = nullptr;
    std::map<std::string, long> windows;
};

class OurChannel final : public Channel {
public:
    OurChannel(Desk& desk, user::Hwnd tip) : desk_(desk), tip_(tip) {}
    long Send(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) override {
        return static_cast<long>(user::SendMessageA(tip_, message, wParam, lParam));
    }
    long SendRecord(unsigned message, std::uintptr_t wParam, Record& r) override {
        user::TOOLINFOA ti;
        ti.uFlags = r.flags;
        ti.hwnd = static_cast<std::int32_t>(r.owner);
        ti.uId = static_cast<std::uint32_t>(r.tool);
        std::string buffer = r.buffer > 0 ? std::string(r.buffer, '\0') : r.text + '\0';
        std::optional<user::LentText> lent;
        if (r.has_text) {
            lent.emplace(std::span<char>(buffer.data(), buffer.size()));
            ti.lpszText = lent->Address();
        }
        const long answer = static_cast<long>(
            user::SendMessageA(tip_, message, wParam, reinterpret_cast<user::LParam>(&ti)));
        r.flags = ti.uFlags;
        r.owner = ti.hwnd;
        r.tool = ti.uId;
        r.has_text = ti.lpszText != 0;
        if (r.has_text) r.text = buffer.substr(0, buffer.find('\0'));
        return answer;
    }
    long SendRect(unsigned message, int (&rect)[4]) override {
        gdi::Rect r{rect[0], rect[1], rect[2], rect[3]};
        const long answer = static_cast<long>(
            user::SendMessageA(tip_, message, 0, reinterpret_cast<user::LParam>(&r)));
        rect[0] = r.left, rect[1] = r.top, rect[2] = r.right, rect[3] = r.bottom;
        return answer;
    }
    long Hwnd(const std::string& name) override { return desk_.windows.at(name); }

private:
    Desk& desk_;
    user::Hwnd tip_;
};

// What the real tooltip did: tooltip_probe.txt of tests/reference/run.sh.
struct RealTip {
    std::string name;
    gdi::Rect rect;
    std::vector<gdi::ColorRef> pixels;
};
struct Real {
    std::string error;
    std::vector<std::string> messages;
    std::string font;
    std::vector<RealTip> tips;
};
Real LoadReal() {
    Real real;
    const char* dir = std::getenv("SHEENWORK_REFERENCE_DIR");
    const std::string path = std::string(dir ? dir : "") + "/tooltip_probe.txt";
    std::ifstream in(path);
    if (!dir || !in) {
        real.error = "No results of the real tooltip at " + path +
                     ". Run `tests/reference/run.sh <build-dir>` (make reference); it needs "
                     "wine, mingw-w64 and Xvfb.";
        return real;
    }
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("message ", 0) == 0) real.messages.push_back(line.substr(8));
        if (line.rfind("font ", 0) == 0) real.font = line.substr(5);
        if (line.rfind("tip ", 0) == 0) {
            RealTip t;
            std::istringstream words(line.substr(4));
            words >> t.name >> t.rect.left >> t.rect.top >> t.rect.right >> t.rect.bottom;
            std::getline(in, line);  // "pixels"
            for (int y = 0; y < t.rect.Height() && std::getline(in, line); ++y) {
                std::istringstream row(line);
                for (std::string hex; row >> hex;)
                    t.pixels.push_back(static_cast<gdi::ColorRef>(std::stoul(hex, nullptr, 16)));
            }
            real.tips.push_back(std::move(t));
        }
    }
    return real;
}

TEST(RealTooltip, AnswersEveryMessageAsOurs) {
    const Real real = LoadReal();
    ASSERT_TRUE(real.error.empty()) << real.error;
    Desk desk;
    OurChannel channel(desk, desk.NewTip());
    EXPECT_EQ(Script(channel).Run(), real.messages);
    // The status font both sides draw the tip with.
    EXPECT_EQ(real.font, "Tahoma -11");
}

// Each tip appears where the real one does, with the same size, wrap, text position and
// pixels, after the initial delay (500 ms) with the cursor resting on the tool.
TEST(RealTooltip, ShowsTheSameTips) {
    const Real real = LoadReal();
    ASSERT_TRUE(real.error.empty()) << real.error;
    ASSERT_EQ(real.tips.size(), Tips().size());
    for (std::size_t i = 0; i < Tips().size(); ++i) {
        const Tip& tip = Tips()[i];
        const RealTip& wine = real.tips[i];
        SCOPED_TRACE(tip.name);
        Desk desk;
        const user::Hwnd tip_window = desk.NewTip();
        user::SendMessageA(tip_window, user::TTM_SETMAXTIPWIDTH, 0, 240);
        user::TOOLINFOA ti;
        ti.uFlags = user::TTF_IDISHWND | user::TTF_SUBCLASS;
        ti.uId = static_cast<std::uint32_t>(desk.windows["A"]);
        std::string text = tip.text;
        const user::LentText lent(std::span<char>(text.data(), text.size() + 1));
        ti.lpszText = lent.Address();
        user::SendMessageA(tip_window, user::TTM_ADDTOOLA, 0, reinterpret_cast<user::LParam>(&ti));
        desk.runtime.MouseMove({kCursor[0], kCursor[1]});
        desk.runtime.Advance(Millis(499));
        EXPECT_TRUE(desk.Shown().empty());
        desk.runtime.Advance(Millis(1));
        const auto shown = desk.Shown();
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0]->ScreenRect(), wine.rect);
        if (shown[0]->ScreenRect() != wine.rect) continue;
        // One difference, Wine's own way of drawing: with its font smoothing off (a new
        // prefix) it draws the status font's glyphs without grey levels, from outlines
        // hinted as for grey levels (the advances, and so the size and the wrap, are
        // those) but placed with the bi-level advances, so its lines run shorter or longer
        // than the width it measured; our text engine draws those outlines with their grey
        // levels at the measured advances. So everything outside the text rectangle
        // (border, background, the 2-pixel space) agrees pixel for pixel, and inside it
        // each line's ink starts at the same place and spans the same rows within 2 pixels.
        const auto ours = shown[0]->Surface().Pixels();
        const gdi::ColorRef back = 0xE1FFFF;
        const int w = wine.rect.Width(), h = wine.rect.Height();
        int differ = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const bool text = x >= 3 && x < w - 3 && y >= 3 && y < h - 3;
                if (!text && ours[y * w + x] != wine.pixels[y * w + x] && ++differ <= 5)
                    ADD_FAILURE() << "(" << x << ", " << y << "): ours " << std::hex
                                  << ours[y * w + x] << ", Wine's " << wine.pixels[y * w + x];
            }
        EXPECT_EQ(differ, 0);
        // The ink boxes, line by line (13 pixels a line from y = 3).
        const auto ink = [&](const std::vector<gdi::ColorRef>& px, int line) {
            gdi::Rect box{w, h, -1, -1};
            for (int y = 3 + 13 * line; y < std::min(h - 3, 3 + 13 * (line + 1)); ++y)
                for (int x = 3; x < w - 3; ++x)
                    if (gdi::GreenOf(px[y * w + x]) < gdi::GreenOf(back) / 2)
                        box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x),
                               std::max(box.bottom, y)};
            return box;
        };
        for (int line = 0; line < (h - 6) / 13; ++line) {
            const gdi::Rect a = ink(ours, line), b = ink(wine.pixels, line);
            EXPECT_LE(std::abs(a.left - b.left), 2) << "line " << line;
            EXPECT_LE(std::abs(a.top - b.top), 2) << "line " << line;
            EXPECT_LE(std::abs(a.bottom - b.bottom), 2) << "line " << line;
        }
    }
}

}  // namespace
}  // namespace sheenwork

namespace sheenwork {
namespace {

using namespace tooltip_check;
using runtime::Millis;

// A control as the wrapper reads it late-bound: its window and its container.
class Control final : public vb::Dispatch {
public:
    Control(long hwnd, vb::Variant container) : hwnd_(hwnd), container_(std::move(container)) {}
    vb::Variant Invoke(const std::string& name, vb::InvokeKind,
                       std::vector<vb::Variant>&) override {
        if (name == "hWnd") return vb::Variant(static_cast<vb::Long>(hwnd_));
        if (name == "Container" && !std::holds_alternative<vb::Empty>(container_))
            return container_;
        vb::Raise(438);
    }

private:
    long hwnd_;
    vb::Variant container_;
};

// The lines the wrapper's messages make, written as the script writes them.
struct Tap {
    explicit Tap(Desk& d) : desk(d) {
        user::SetMessageTap([this](user::Hwnd, unsigned m, user::WParam w, user::LParam l,
                                   user::LResult answer) { Add(m, w, l, answer); });
    }
    ~Tap() { user::SetMessageTap({}); }
    std::string Name(long hwnd) const {
        for (const auto& [name, h] : desk.windows)
            if (hwnd != 0 && h == hwnd) return name;
        return std::to_string(hwnd);
    }
    void Add(unsigned m, user::WParam w, user::LParam l, user::LResult answer) {
        const long a = static_cast<long>(answer);
        if (m == kAddToolA || m == kDelToolA || m == kUpdateTipTextA || m == kEnumToolsA) {
            const auto& ti = *reinterpret_cast<const user::TOOLINFOA*>(l);
            Record r{ti.uFlags, ti.hwnd, static_cast<long>(ti.uId), ti.lpszText != 0, {}, 0};
            if (r.has_text) {
                const auto text = user::TextAt(ti.lpszText);
                r.text = std::string(text.begin(), std::find(text.begin(), text.end(), '\0'));
            }
            lines.push_back(Line(m, w, "", a, RecordText(r, Name(r.owner), Name(r.tool))));
        } else if (m == kGetMargin || m == kSetMargin) {
            const auto& g = *reinterpret_cast<const gdi::Rect*>(l);
            const int r[4] = {g.left, g.top, g.right, g.bottom};
            lines.push_back(m == kGetMargin ? Line(m, w, "", a, RectText(r))
                                            : Line(m, w, RectText(r), a));
        } else if (m == kSetDelayTime || m == kSetMaxTipWidth || m == kSetTipBkColor ||
                   m == kSetTipTextColor) {
            lines.push_back(Line(m, w, std::to_string(l), a));
        } else {
            lines.push_back(Line(m, w, "", a));
        }
    }
    Desk& desk;
    std::vector<std::string> lines;
};

// The script is what the wrapper sends, call for call, with our class's answers.
TEST(SheenToolTip, SendsTheScriptsMessages) {
    std::vector<std::string> expected;
    {
        Desk desk;
        OurChannel channel(desk, desk.NewTip());
        expected = Script(channel).Run();
    }
    Desk desk;
    const vb::Variant form = vb::Object(desk.form->shared_from_this());
    const auto control = [&](const char* name) {
        return vb::Variant(vb::Object(std::make_shared<Control>(desk.windows[name], form)));
    };
    const vb::Variant A = control("A"), B = control("B"), C = control("C");
    tooltip::QI qi;
    Tap tap(desk);
    std::string text_a = kTextA, text_b = kTextB;
    vb::Integer delay = 3000, width = 240;
    {
        tooltip::sheenToolTip tip;
        ASSERT_EQ(tip.Create(form), vb::True);
        const auto h = tip.hwnd();
        EXPECT_EQ(tip.Create(form), vb::True);  // a second call keeps the window
        EXPECT_EQ(tip.hwnd(), h);
        tip.MaxTipWidth();
        for (int kind = 0; kind < 4; ++kind) tip.DelayTime(kind);
        tip.BackColor();
        tip.ForeColor();
        tip.Margin(0);
        EXPECT_TRUE(tap.lines.size() == 8u);
    }
    tap.lines.clear();
    // A fresh window for the rest: the defaults above were read on one already gone.
    Desk& d = desk;
    (void)d;
    qi.Create(form, A, text_a, delay, width);
    qi.Create(form, B, text_b, delay, width);
    tooltip::sheenToolTip& tip = *qi.Window();
    EXPECT_EQ(tip.AddTool(A, std::string("Other")), vb::False);
    EXPECT_EQ(tip.ToolText(A), kTextA);  // the first text stays
    EXPECT_EQ(tip.ToolText(B), kTextB.substr(0, 80));
    tip.ToolText(A, kTextA2);
    tip.DelayTime(0, 1000);
    for (int kind = 0; kind < 4; ++kind) tip.DelayTime(kind);
    EXPECT_EQ(tip.DelayTime(2), 10000);
    tap.lines.pop_back();
    tip.BackColor(0x00FFCC99);
    tip.ForeColor(0x00000080);
    EXPECT_EQ(tip.BackColor(), 0x00FFCC99);
    EXPECT_EQ(tip.ForeColor(), 0x00000080);
    tip.Margin(1, 4);
    tip.Margin(7, 9);
    EXPECT_EQ(tip.Margin(1), 4);
    tip.MaxTipWidth(0);
    EXPECT_EQ(tip.MaxTipWidth(), -1);
    qi.Remove(A);
    EXPECT_EQ(tip.RemoveTool(C), vb::False);
    EXPECT_EQ(tip.ToolCount(), 1);
    EXPECT_EQ(tip.ToolText(A), "");
    // The eight reads of the defaults, then the rest.
    std::vector<std::string> rest(expected.begin() + 8, expected.end());
    EXPECT_EQ(tap.lines, rest);
}

// A wrapper whose Create failed (not a form, or no window host) reads 0, "" and False and
// sends nothing; a control without a window fails through the trap.
TEST(SheenToolTip, WithoutAWindowSendsNothing) {
    Desk desk;
    const vb::Variant A = vb::Object(std::make_shared<Control>(desk.windows["A"], vb::Variant()));
    Tap tap(desk);
    tooltip::sheenToolTip tip;
    EXPECT_EQ(tip.Create(vb::Variant(std::string("Form1"))), vb::False);
    EXPECT_EQ(tip.Create(A), vb::False);
    EXPECT_EQ(tip.AddTool(A, std::string("x")), vb::False);
    EXPECT_EQ(tip.RemoveTool(A), vb::False);
    EXPECT_EQ(tip.BackColor() | tip.ForeColor() | tip.DelayTime(2) | tip.Margin(1) |
                  tip.MaxTipWidth() | tip.ToolCount() | tip.hwnd(),
              0);
    tip.DelayTime(2, 100);
    tip.MaxTipWidth(5);
    tip.ToolText(A, "x");
    EXPECT_EQ(tip.ToolText(A), "");
    EXPECT_TRUE(tap.lines.empty());
    // A control with no window: the trap reports AddTool and nothing is added.
    ASSERT_EQ(tip.Create(vb::Object(desk.form->shared_from_this())), vb::True);
    const vb::Variant nothing = vb::Object(std::make_shared<testing::TempDir>());
    EXPECT_EQ(tip.AddTool(nothing, std::string("x")), vb::False);
    ASSERT_EQ(desk.runtime.MessageBoxes().size(), 1u);
    EXPECT_NE(desk.runtime.MessageBoxes()[0].text.find("AddTool"), std::string::npos);
    EXPECT_NE(desk.runtime.MessageBoxes()[0].text.find("Klassenmodul sheenToolTip"),
              std::string::npos);
    EXPECT_EQ(tip.ToolCount(), 0);
}

}  // namespace
}  // namespace sheenwork

namespace sheenwork {
namespace {

using runtime::Millis;

// A user hovers a button with VeloToolTip set: after the initial delay the tip appears
// below the pointer, wrapped at 240 pixels (the golden image is the "wrapped" tip that
// RealTooltip checks against Wine's); after VeloToolTipDelay it goes; new text shows in
// place; UseVeloToolTip off removes the tool, on again adds it with the current text.
TEST(ButtonTooltip, ShowsHidesAndFollowsTheProperties) {
    testing::RecordingServices services;
    runtime::VirtualClock clock;
    auto gdi = gdi::MakeRasterGdi();
    runtime::Runtime rt(clock, *gdi, runtime::LinkedControls());
    using tooltip_check::kCursor;
    using tooltip_check::kFormRect;
    using tooltip_check::kToolRect;
    runtime::Form& form = rt.CreateForm("Form1", {kFormRect[0], kFormRect[1]},
                                        {kFormRect[2] - kFormRect[0], kFormRect[3] - kFormRect[1]});
    runtime::Window& w = form.Add("Sheenwork.sheenButton", "cmdSave", {kToolRect[0], kToolRect[1]},
                                  {kToolRect[2] - kToolRect[0], kToolRect[3] - kToolRect[1]});
    const auto button = w.Native<sheenButton>();
    button->VeloToolTip(tooltip_check::Tips()[1].text);
    button->VeloToolTipDelay(2000);
    const auto shown = [&]() -> runtime::Popup* {
        for (runtime::Popup* p : form.Popups())
            if (p->Visible()) return p;
        return nullptr;
    };
    rt.MouseMove({kCursor[0], kCursor[1]});
    rt.Advance(Millis(499));
    EXPECT_EQ(shown(), nullptr);
    rt.Advance(Millis(1));
    runtime::Popup* tip = shown();
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(tip->ScreenRect(), (gdi::Rect{149, 154, 393, 186}));
    const std::string golden = std::string(SHEENWORK_TEST_DATA_DIR) + "/golden/tooltip-wrapped.png";
    const png::Image actual{tip->ScreenRect().Width(), tip->ScreenRect().Height(),
                            tip->Surface().Pixels()};
    if (std::getenv("SHEENWORK_UPDATE_GOLDEN")) png::Write(golden, actual);
    EXPECT_EQ(png::Read(golden).pixels, actual.pixels);
    // The tip stays VeloToolTipDelay ms from its showing.
    rt.Advance(Millis(1999));
    EXPECT_NE(shown(), nullptr);
    rt.Advance(Millis(1));
    EXPECT_EQ(shown(), nullptr);
    // Shown again after the pointer left and came back; a new text takes its place.
    rt.MouseMove({10, 10});
    rt.Advance(Millis(200));
    rt.MouseMove({kCursor[0], kCursor[1]});
    rt.Advance(Millis(500));
    ASSERT_NE(shown(), nullptr);
    button->VeloToolTip("Save");
    ASSERT_NE(shown(), nullptr);
    EXPECT_EQ(shown()->ScreenRect(), (gdi::Rect{149, 154, 180, 173}));
    // A press hides it.
    rt.MouseDown(1);
    rt.MouseUp(1);
    EXPECT_EQ(shown(), nullptr);
    // Off: no tool, nothing shows; on again: the current text and delay.
    auto* qi = dynamic_cast<tooltip::QI*>(button->Record().cQuickInfo.get());
    ASSERT_NE(qi, nullptr);
    button->UseVeloToolTip(vb::False);
    EXPECT_EQ(qi->Window()->ToolCount(), 0);
    rt.MouseMove({10, 10});
    rt.MouseMove({kCursor[0], kCursor[1]});
    rt.Advance(Millis(1000));
    EXPECT_EQ(shown(), nullptr);
    button->UseVeloToolTip(vb::True);
    EXPECT_EQ(qi->Window()->ToolCount(), 1);
    EXPECT_EQ(
        qi->Window()->ToolText(vb::Object(std::make_shared<Control>(w.Hwnd(), vb::Variant()))),
        "Save");
    EXPECT_EQ(qi->Window()->DelayTime(2), 2000);
    rt.MouseMove({10, 10});
    rt.Advance(Millis(200));
    rt.MouseMove({kCursor[0], kCursor[1]});
    rt.Advance(Millis(500));
    EXPECT_NE(shown(), nullptr);
    EXPECT_TRUE(rt.MessageBoxes().empty());
}

// Files go in the ANSI code page: what it lacks becomes "?", every byte reads back.
TEST(SpEvAnsi, FilesAreWindows1252) {
    testing::RecordingServices services;
    testing::TempDir dir;
    SpEv& spev = SpEvObject();
    const std::string name = dir / "t.txt";
    spev.TextSave(name, "Gr\xC3\xBC\xC3\x9F\x65 \xE2\x82\xAC \xE2\x86\x92 \xF0\x9F\x98\x80 \xFF!");
    std::ifstream in(name, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(bytes,
              "Gr\xFC\xDF"
              "e \x80 ? ? ?!");
    // A malformed sequence stands for no character: each of its bytes becomes "?"
    // (an overlong "/", a surrogate, a code point past the last).
    EXPECT_EQ(vb::ToAnsi("a\xC0\xAF"
                         "b\xED\xA0\x80"
                         "c\xF4\x90\x80\x80"),
              "a??b???c????");
    std::ofstream(name, std::ios::binary) << "\x80\x81\x9F\xA0\xFF";
    EXPECT_EQ(spev.TextRead(name), "\xE2\x82\xAC\xC2\x81\xC5\xB8\xC2\xA0\xC3\xBF");
    EXPECT_TRUE(services.boxes.empty());
}

}  // namespace
}  // namespace sheenwork
