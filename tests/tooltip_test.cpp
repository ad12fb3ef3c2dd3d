// The tooltip: our "tooltips_class32" against the real one under Wine (the same messages
// with the same answers, the same tips on the screen), the wrapper sheenToolTip sending
// exactly those messages call for call (tests/data/tooltip/calls.txt). The tip as a user
// meets it on a button is told by the runtime's stories.
#include <sheenwork/runtime/controls.h>
#include <sheenwork/runtime/form.h>
#include <sheenwork/user/user.h>
#include <sheenwork/util/spev.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <iomanip>

#include "support/data.h"
#include "support/story.h"
#include "support/story_play.h"
#include "tooltip/QI.h"
#include "tooltip/sequence.h"
#include "tooltip/sheenToolTip.h"

namespace sheenwork {
namespace {

using namespace tooltip_check;
using runtime::Millis;

// "L T W H" of a rectangle given as left, top, right, bottom.
std::string Place(const int (&r)[4]) {
    return std::to_string(r[0]) + " " + std::to_string(r[1]) + " " + std::to_string(r[2] - r[0]) +
           " " + std::to_string(r[3] - r[1]);
}

// The comparison's form at kFormRect on the headless runtime, with the controls of
// `controls` (story lines): by default the tools A (at kToolRect) and B and the window C.
struct Desk : testing::Headless {
    explicit Desk(std::vector<std::string> controls = {"control A Test.Logger " + Place(kToolRect),
                                                       "control B Test.Logger 200 20 100 30",
                                                       "control C Test.Logger 200 100 100 30"})
        : Headless(testing::Story{"tooltip", WithForm(std::move(controls)), {}}) {
        runtime->MouseMove({10, 10});
    }
    static std::vector<std::string> WithForm(std::vector<std::string> lines) {
        lines.insert(lines.begin(), "form " + Place(kFormRect));
        return lines;
    }
    // The form "F" or a control by name.
    long Hwnd(const std::string& name) const {
        return name == "F" ? form->Hwnd() : form->Find(name)->Hwnd();
    }
    user::Hwnd NewTip() {
        user::InitCommonControls();
        return user::CreateWindowExA(0, "tooltips_class32", "", user::TTS_ALWAYSTIP, 0, 0, 0, 0,
                                     form->Hwnd(), 0, 0, nullptr);
    }
    runtime::Popup* Shown() const {
        for (runtime::Popup* p : form->Popups())
            if (p->Visible()) return p;
        return nullptr;
    }
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
        if (r.has_text) ti.lpszText = lent.emplace(std::span<char>(buffer)).Address();
        const long answer = Send(message, wParam, reinterpret_cast<user::LParam>(&ti));
        Read(ti, r);
        return answer;
    }
    long SendRect(unsigned message, int (&rect)[4]) override {
        gdi::Rect r{rect[0], rect[1], rect[2], rect[3]};
        const long answer = Send(message, 0, reinterpret_cast<user::LParam>(&r));
        rect[0] = r.left, rect[1] = r.top, rect[2] = r.right, rect[3] = r.bottom;
        return answer;
    }
    long Hwnd(const std::string& name) override { return desk_.Hwnd(name); }
    static void Read(const user::TOOLINFOA& ti, Record& r) {
        r = {ti.uFlags, ti.hwnd, static_cast<long>(ti.uId), ti.lpszText != 0, {}, 0};
        if (!r.has_text) return;
        const auto text = user::TextAt(ti.lpszText);
        r.text = std::string(text.begin(), std::find(text.begin(), text.end(), '\0'));
    }

private:
    Desk& desk_;
    user::Hwnd tip_;
};

// What the real tooltip did: tooltip_probe.txt of tests/reference/run.sh.
struct Real {
    std::string error;
    std::vector<std::string> messages;
    std::string font;
    std::vector<std::pair<gdi::Rect, std::vector<gdi::ColorRef>>> tips;
};
Real LoadReal() {
    const char* dir = std::getenv("SHEENWORK_REFERENCE_DIR");
    const std::string path = std::string(dir ? dir : "") + "/tooltip_probe.txt";
    std::ifstream in(path);
    Real real;
    if (!dir || !in)
        real.error = "No results of the real tooltip at " + path +
                     ". Run `tests/reference/run.sh <build-dir>` (make reference); it needs "
                     "wine, mingw-w64 and Xvfb.";
    for (std::string line, name; std::getline(in, line);) {
        if (line.rfind("message ", 0) == 0) real.messages.push_back(line.substr(8));
        if (line.rfind("font ", 0) == 0) real.font = line.substr(5);
        if (line.rfind("tip ", 0) != 0) continue;
        gdi::Rect r;
        std::istringstream(line.substr(4)) >> name >> r.left >> r.top >> r.right >> r.bottom;
        std::vector<gdi::ColorRef> px;
        std::getline(in, line);  // "pixels"
        for (std::string hex; px.size() < std::size_t(r.Width() * r.Height()) && in >> hex;)
            px.push_back(static_cast<gdi::ColorRef>(std::stoul(hex, nullptr, 16)));
        real.tips.emplace_back(r, std::move(px));
    }
    return real;
}

// The messages of calls.txt, each answered by our class and by the real one as the line
// has it; both draw with the same status font. A class never registered makes no window.
TEST(Tooltip, AnswersEveryMessageAsTheLinesHaveIt) {
    Desk desk;
    OurChannel ours(desk, desk.NewTip());
    EXPECT_EQ(user::CreateWindowExA(0, "Button", "", 0, 0, 0, 0, 0, desk.form->Hwnd(), 0, 0, {}),
              0);
    const std::vector<std::string> lines = Messages(testing::DataPath("tooltip/calls.txt"));
    ASSERT_FALSE(lines.empty());
    for (const std::string& line : lines) EXPECT_EQ(tooltip_check::Send(ours, line), line);
}
TEST(RealTooltip, AnswersEveryMessageAsTheLinesHaveIt) {
    const Real real = LoadReal();
    ASSERT_TRUE(real.error.empty()) << real.error;
    EXPECT_EQ(real.messages, Messages(testing::DataPath("tooltip/calls.txt")));
    EXPECT_EQ(real.font, "Tahoma -11");
}

// Each tip appears where the real one does, with the same size, wrap, text position and
// pixels, after the initial delay (500 ms) with the cursor resting on the tool.
TEST(RealTooltip, ShowsTheSameTips) {
    const Real real = LoadReal();
    ASSERT_TRUE(real.error.empty()) << real.error;
    ASSERT_EQ(real.tips.size(), Tips().size());
    for (std::size_t i = 0; i < Tips().size(); ++i) {
        const auto& [rect, wine] = real.tips[i];
        SCOPED_TRACE(Tips()[i].name);
        Desk desk;
        OurChannel tip(desk, desk.NewTip());
        tip.Send(user::TTM_SETMAXTIPWIDTH, 0, 240);
        Record tool{
            user::TTF_IDISHWND | user::TTF_SUBCLASS, 0, desk.Hwnd("A"), true, Tips()[i].text, 0};
        tip.SendRecord(user::TTM_ADDTOOLA, 0, tool);
        desk.runtime->MouseMove({kCursor[0], kCursor[1]});
        desk.runtime->Advance(Millis(499));
        EXPECT_EQ(desk.Shown(), nullptr);
        desk.runtime->Advance(Millis(1));
        ASSERT_NE(desk.Shown(), nullptr);
        EXPECT_EQ(desk.Shown()->ScreenRect(), rect);
        if (desk.Shown()->ScreenRect() != rect) continue;
        // One difference, Wine's own way of drawing: with its font smoothing off (a new
        // prefix) it draws the status font's glyphs without grey levels, from outlines
        // hinted as for grey levels (the advances, and so the size and the wrap, are
        // those) but placed with the bi-level advances, so its lines run shorter or longer
        // than the width it measured; our text engine draws those outlines with their grey
        // levels at the measured advances. So everything outside the text rectangle
        // (border, background, the 2-pixel space) agrees pixel for pixel, and inside it
        // each line's ink starts at the same place and spans the same rows within 2 pixels.
        const auto ours = desk.Shown()->Surface().Pixels();
        const int w = rect.Width(), h = rect.Height();
        int differ = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                if ((x < 3 || x >= w - 3 || y < 3 || y >= h - 3) &&
                    ours[y * w + x] != wine[y * w + x] && ++differ <= 5)
                    ADD_FAILURE() << "(" << x << ", " << y << "): ours " << std::hex
                                  << ours[y * w + x] << ", Wine's " << wine[y * w + x];
        // The ink boxes, line by line (13 pixels a line from y = 3), ink being darker than
        // half the background's (0xE1FFFF) green.
        const auto ink = [&](const std::vector<gdi::ColorRef>& px, int line) {
            gdi::Rect box{w, h, -1, -1};
            for (int y = 3 + 13 * line; y < std::min(h - 3, 3 + 13 * (line + 1)); ++y)
                for (int x = 3; x < w - 3; ++x)
                    if (gdi::GreenOf(px[y * w + x]) < 0xFF / 2)
                        box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x),
                               std::max(box.bottom, y)};
            return box;
        };
        for (int line = 0; line < (h - 6) / 13; ++line) {
            const gdi::Rect a = ink(ours, line), b = ink(wine, line);
            EXPECT_LE(std::abs(a.left - b.left), 2) << "line " << line;
            EXPECT_LE(std::abs(a.top - b.top), 2) << "line " << line;
            EXPECT_LE(std::abs(a.bottom - b.bottom), 2) << "line " << line;
        }
    }
}

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

// The lines of the messages the wrapper sends, as calls.txt has them.
struct Tap {
    explicit Tap(Channel& names) {
        user::SetMessageTap([this, &names](user::Hwnd, unsigned m, user::WParam w, user::LParam l,
                                           user::LResult answer) {
            Record r;
            int rect[4] = {};
            if (CarriesRecord(m)) OurChannel::Read(*reinterpret_cast<const user::TOOLINFOA*>(l), r);
            // A tool is added with no rectangle and no instance, whatever a search left.
            if (m == user::TTM_ADDTOOLA) {
                const auto& ti = *reinterpret_cast<const user::TOOLINFOA*>(l);
                EXPECT_EQ(ti.rect, (gdi::Rect{0, 0, 0, 0}));
                EXPECT_EQ(ti.hinst, 0);
            }
            if (CarriesRect(m)) {
                const auto& g = *reinterpret_cast<const gdi::Rect*>(l);
                rect[0] = g.left, rect[1] = g.top, rect[2] = g.right, rect[3] = g.bottom;
            }
            lines.push_back(LineOf(names, m, w, l, static_cast<long>(answer), r, rect));
        });
    }
    ~Tap() { user::SetMessageTap({}); }
    std::vector<std::string> lines;
};

// Each call of calls.txt on the wrapper: what it returns and the messages it sends. "New"
// starts a wrapper of its own; "nothing" is an object without a window, (C) the control C
// outside any container.
TEST(SheenToolTip, SendsTheMessagesOfEachCall) {
    Desk desk;
    OurChannel names(desk, 0);
    const vb::Variant form = vb::Object(desk.form->shared_from_this());
    tooltip::QI qi;
    auto own = std::make_unique<tooltip::sheenToolTip>();
    tooltip::sheenToolTip* tip = own.get();
    Tap tap(names);
    for (const testing::Row& row : testing::ReadTable("tooltip/calls.txt")) {
        SCOPED_TRACE(row.where);
        std::istringstream in(row[0]);
        std::string call, target, text;
        std::vector<vb::Long> n;
        in >> call >> target >> std::ws;
        const bool has_text = in.peek() == '"';
        if (has_text) in >> std::quoted(text);
        for (vb::Long v; in >> v;) n.push_back(v);
        if (!target.empty() && std::isdigit(static_cast<unsigned char>(target.back())))
            n.insert(n.begin(), std::stol(target));
        const vb::Variant ctrl =
            target == "nothing" ? vb::Variant(vb::Object(std::make_shared<testing::TempDir>()))
            : target == "F"     ? form
            : target[0] == '"'  ? vb::Variant(target.substr(1, target.size() - 2))
            : target[0] == '('  ? vb::Variant(vb::Object(std::make_shared<Control>(
                                     desk.Hwnd(target.substr(1, 1)), vb::Variant())))
            : desk.form->Find(target)
                ? vb::Variant(vb::Object(std::make_shared<Control>(desk.Hwnd(target), form)))
                : vb::Variant();
        const auto b = [](vb::Boolean v) { return std::string(v ? "True" : "False"); };
        tap.lines.clear();
        std::string result = "-";
        const vb::Long i = n.empty() ? 0 : n[0];
        if (call == "New") {
            tip = (own = std::make_unique<tooltip::sheenToolTip>()).get();
        } else if (call == "Create") {
            const vb::Long before = tip->hwnd();
            result = b(tip->Create(ctrl));
            EXPECT_TRUE(before == 0 || tip->hwnd() == before);
        } else if (call == "QI.Create") {
            vb::Integer delay = static_cast<vb::Integer>(n.at(0)),
                        width = static_cast<vb::Integer>(n.at(1));
            qi.Create(form, ctrl, text, delay, width);
            tip = qi.Window();
        } else if (call == "QI.Remove") {
            qi.Remove(ctrl);
            ASSERT_NE(tip = qi.Window(), nullptr);
        } else if (call == "AddTool") {
            result = b(tip->AddTool(ctrl, text));
        } else if (call == "RemoveTool") {
            result = b(tip->RemoveTool(ctrl));
        } else if (call == "ToolText" && has_text) {
            tip->ToolText(ctrl, text);
        } else if (call == "ToolText") {
            result = '"' + tip->ToolText(ctrl) + '"';
        } else if (const bool set = n.size() > (call == "DelayTime" || call == "Margin"); !set) {
            result = std::to_string(call == "MaxTipWidth" ? tip->MaxTipWidth()
                                    : call == "DelayTime" ? tip->DelayTime(i)
                                    : call == "BackColor" ? tip->BackColor()
                                    : call == "ForeColor" ? tip->ForeColor()
                                    : call == "ToolCount" ? tip->ToolCount()
                                    : call == "hwnd"      ? tip->hwnd()
                                                          : tip->Margin(i));
        } else {
            if (call == "MaxTipWidth") tip->MaxTipWidth(static_cast<vb::Integer>(i));
            if (call == "DelayTime") tip->DelayTime(i, n.back());
            if (call == "BackColor") tip->BackColor(i);
            if (call == "ForeColor") tip->ForeColor(i);
            if (call == "Margin") tip->Margin(i, n.back());
        }
        EXPECT_EQ(result, row[1]);
        EXPECT_EQ(tap.lines, std::vector<std::string>(row.cells.begin() + 2, row.cells.end()));
    }
    // The one call that failed (AddTool of an object without a window) was reported by the
    // trap, naming the procedure and the module.
    ASSERT_EQ(desk.runtime->MessageBoxes().size(), 1u);
    EXPECT_NE(desk.runtime->MessageBoxes()[0].text.find("AddTool"), std::string::npos);
    EXPECT_NE(desk.runtime->MessageBoxes()[0].text.find("Klassenmodul sheenToolTip"),
              std::string::npos);
}

// A tool without text comes back without text, whatever the caller's lpszText held: a
// buffer or a number below 0x10000 (a string resource's).
TEST(Tooltip, ToolsWithoutTextAreEnumeratedWithoutIt) {
    Desk desk;
    OurChannel tip(desk, desk.NewTip());
    Record tool{user::TTF_IDISHWND, 0, desk.Hwnd("A"), false, "", 0};
    ASSERT_EQ(tip.SendRecord(user::TTM_ADDTOOLA, 0, tool), 1);
    for (const std::uint32_t text : {1u, 0xFFFFu}) {
        user::TOOLINFOA found;
        found.lpszText = text;
        EXPECT_EQ(tip.Send(user::TTM_ENUMTOOLSA, 0, reinterpret_cast<user::LParam>(&found)), 1);
        EXPECT_EQ(found.uId, static_cast<std::uint32_t>(desk.Hwnd("A")));
        EXPECT_EQ(found.lpszText, 0u) << text;
    }
}

// Two runtimes side by side: when the later one goes, tips are made by the one before it.
TEST(Tooltip, ARuntimeGoneHandsTipsBackToTheOneBeforeIt) {
    Desk desk;
    { testing::Linked later; }
    EXPECT_NE(desk.NewTip(), 0);
}

}  // namespace
}  // namespace sheenwork
