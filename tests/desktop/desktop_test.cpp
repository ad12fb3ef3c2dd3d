// The desktop host's rules that need no window: keys, buttons and pointer positions in
// the runtime's terms, the pixels a pointer gets, how long the loop sleeps, the dialogs'
// buttons and places, and a resting host drawing nothing.
#include <sheenwork/control/sheenButton.h>
#include <sheenwork/runtime/controls.h>
#include <sheenwork/runtime/keys.h>
#include <sheenwork/runtime/script.h>

#include <gtest/gtest.h>

#include "demo.h"
#include "desktop/dialogs.h"
#include "desktop/tracking_gdi.h"
#include "desktop/translate.h"
#include "support/data.h"
#include "support/story_play.h"

namespace sheenwork::desktop {
namespace {

using runtime::Millis;

// A cell's number (its last word), time or rectangle, and an SDL event ("motion 3").
long long N(const std::string& cell) { return std::stoll(cell.substr(cell.rfind(' ') + 1)); }
std::optional<runtime::Millis> Due(const std::string& cell) {
    return cell == "-" ? std::nullopt : std::optional(Millis(N(cell)));
}
gdi::Rect RectOf(const std::string& cell) {
    gdi::Rect r;
    std::istringstream(cell) >> r.left >> r.top >> r.right >> r.bottom;
    return r;
}
SDL_Event EventOf(const std::string& cell) {
    SDL_Event e = {};
    const std::string kind = cell.substr(0, cell.find(' '));
    const auto window = static_cast<Uint32>(N(cell));
    if (kind == "motion") {
        e.type = SDL_MOUSEMOTION;
        e.motion.windowID = window;
    } else {
        e.type = SDL_WINDOWEVENT;
        e.window.event = kind == "enter" ? SDL_WINDOWEVENT_ENTER : SDL_WINDOWEVENT_LEAVE;
        e.window.windowID = window;
    }
    return e;
}

// The host's rules, one case a row of tests/data/desktop/host.txt, led by its rule: keys,
// buttons and characters; pointer positions, leave echoes and pointer shapes; how long
// the loop sleeps (until the earlier of the next timer and the next deadline, not at all
// while work waits, and without end when nothing is due: a resting host costs nothing);
// message boxes' buttons and answers, and their places.
using Rule = std::function<void(const testing::Row&)>;
const std::map<std::string, Rule> kRules = {
    {"SdlKey",
     [](const testing::Row& r) {
         const SDL_Keycode sym = SDL_GetKeyFromName(r[1].c_str());
         ASSERT_NE(sym, SDLK_UNKNOWN);
         EXPECT_EQ(VirtualKeyOf(sym), std::stoi(r[2], nullptr, 0));
     }},
    {"ButtonOf",
     [](const testing::Row& r) {
         EXPECT_EQ(ButtonOf(static_cast<std::uint8_t>(N(r[1]))), N(r[2]));
     }},
    {"ControlChar",
     [](const testing::Row& r) {
         const int vk = r[1].size() == 1 ? r[1][0] : *runtime::KeyFromName(r[1]);
         EXPECT_EQ(ControlCharOf(vk, r[2] != "-", r[3] != "-"), N(r[4]));
     }},
    {"TypesText",
     [](const testing::Row& r) {
         EXPECT_EQ(TypesText(r[1] != "-", r[2] != "-", r[3] != "-"), N(r[4]) != 0);
     }},
    {"ScreenPoint",
     [](const testing::Row& r) {
         gdi::Point origin, pixel, want;
         std::istringstream(r[1] + " " + r[2] + " " + r[4]) >> origin.x >> origin.y >> pixel.x >>
             pixel.y >> want.x >> want.y;
         EXPECT_EQ(ScreenPointOf(origin, pixel.x, pixel.y, static_cast<int>(N(r[3]))), want);
     }},
    {"LeaveEcho",
     [](const testing::Row& r) {
         const SDL_Event first = EventOf(r[1]), next = r[2] == "-" ? SDL_Event{} : EventOf(r[2]);
         EXPECT_EQ(IsLeaveEcho(first, r[2] == "-" ? nullptr : &next), N(r[3]) != 0);
     }},
    {"Cursor",
     [](const testing::Row& r) {
         EXPECT_EQ(SystemCursorOf(static_cast<runtime::Cursor>(N(r[1]))), N(r[2]));
     }},
    {"SleepFor",
     [](const testing::Row& r) {
         const auto sleep = SleepFor(Millis(N(r[1])), r[2] != "-", Due(r[3]), Due(r[4]));
         EXPECT_EQ(sleep ? std::to_string(*sleep) : "ever", r[5]);
     }},
    {"MessageBox",
     [](const testing::Row& r) {
         std::string buttons;
         for (const BoxButton& b : MessageBoxButtons(static_cast<int>(N(r[1]))))
             buttons += (buttons.empty() ? "" : " ") + std::string(b.caption) + "=" +
                        std::to_string(b.answer);
         EXPECT_EQ(buttons, r[2]);
         EXPECT_EQ(CancelAnswer(static_cast<int>(N(r[1]))), N(r[3]));
     }},
    {"CentredOn",
     [](const testing::Row& r) {
         const gdi::Rect size = RectOf(r[2] + " 0 0");
         EXPECT_EQ(CentredOn(RectOf(r[1]), size.left, size.top, {0, 0, 1024, 768}), RectOf(r[3]));
     }},
};
class HostRule : public ::testing::TestWithParam<testing::Row> {};
TEST_P(HostRule, RowHolds) { kRules.at(GetParam()[0])(GetParam()); }
INSTANTIATE_TEST_SUITE_P(Table, HostRule,
                         ::testing::ValuesIn(testing::ReadTable("desktop/host.txt")),
                         testing::RowName);

// A colour cursor's pixels are premultiplied (the system blends them as they are),
// rounded to nearest, and magnified like the form.
TEST(Pixels, CursorPremultipliedAndMagnified) {
    const vb::StdPicture pic(2, 1, {0xFFFF8040u, 0x80FF8040u});
    EXPECT_EQ(CursorPixels(pic, 1), (std::vector<std::uint32_t>{0xFFFF8040u, 0x80804020u}));
    const vb::StdPicture clear(1, 1, {0x00FFFFFFu});
    EXPECT_EQ(CursorPixels(clear, 1), (std::vector<std::uint32_t>{0}));
    EXPECT_EQ(CursorPixels(pic, 2),
              (std::vector<std::uint32_t>{0xFFFF8040u, 0xFFFF8040u, 0x80804020u, 0x80804020u,
                                          0xFFFF8040u, 0xFFFF8040u, 0x80804020u, 0x80804020u}));
}

// A message box built on a runtime: its text, buttons, default and cancel, placed on its
// owner.
TEST(Dialogs, MessageBoxOnItsOwner) {
    testing::Linked linked(WithLabels(runtime::LinkedControls()));
    runtime::Runtime& rt = linked.rt;
    runtime::Form& owner = rt.CreateForm("Owner", {100, 100}, {400, 300});
    const auto box = MakeMessageBox(rt, {"Saved.", "Demo", 3}, owner.ScreenRect());
    runtime::Form& f = *box->form;
    EXPECT_EQ(f.Caption(), "Demo");
    EXPECT_EQ(rt.ActiveForm(), &f);
    ASSERT_EQ(f.Windows().size(), 4u);
    EXPECT_EQ(f.Windows()[0]->ClassName(), kLabelClass);
    EXPECT_EQ(f.DefaultButton(), f.Find("cmd0"));
    EXPECT_EQ(f.CancelButton(), f.Find("cmd2"));
    EXPECT_EQ(f.Focused(), f.Find("cmd0"));
    EXPECT_EQ(f.TabOrder().size(), 3u);  // the text takes no focus
    const gdi::Rect r = f.ScreenRect();
    EXPECT_LE(std::abs(r.left + r.right - (100 + 500)), 1);  // centred on its owner
    EXPECT_LE(std::abs(r.top + r.bottom - (100 + 400)), 1);
    // The buttons sit in a row, 6 pixels apart, 11 from the bottom.
    EXPECT_EQ(f.Find("cmd1")->Rect().left - f.Find("cmd0")->Rect().right, 6);
    EXPECT_EQ(f.Height() - f.Find("cmd0")->Rect().bottom, 11);
    // The text label has painted its text: dark pixels on the back colour.
    const auto px = f.Windows()[0]->Surface().Pixels();
    EXPECT_TRUE(std::any_of(px.begin(), px.end(), [](gdi::ColorRef c) { return c < 0x404040; }));
    // ... laid out by DrawTextA in the whole of its rectangle, from its top-left corner.
    host::Surface& label = f.Windows()[0]->Surface();
    const int lw = static_cast<int>(label.ScaleWidth()), lh = static_cast<int>(label.ScaleHeight());
    host::Surface text(*linked.gdi, lw, lh);
    text.BackColor(label.BackColor());
    text.ForeColor(0x80000012);
    text.Font(vb::StdFont("Tahoma", 8.25));
    gdi::Rect all{0, 0, lw, lh};
    linked.gdi->DrawTextA(text.hDC(), "Saved.", -1, &all, gdi::DT_WORDBREAK | gdi::DT_NOPREFIX);
    EXPECT_EQ(px, text.Pixels());
    // Escape answers Cancel, Enter the focused Yes; a click on No answers No.
    rt.KeyDown(runtime::VK_ESCAPE);
    EXPECT_EQ(box->answer, 2);
    box->answer = 0;
    rt.KeyDown(runtime::VK_RETURN);
    EXPECT_EQ(box->answer, 6);
    const gdi::Rect no = f.Find("cmd1")->ScreenRect();
    rt.MouseMove({no.left + 5, no.top + 5});
    rt.MouseDown(1);
    rt.MouseUp(1);
    EXPECT_EQ(box->answer, 7);
}

// The About window: its lines, a button per link and OK, which is default and cancel.
TEST(Dialogs, AboutWindow) {
    testing::Linked linked(WithLabels(runtime::LinkedControls()));
    runtime::Runtime& rt = linked.rt;
    const host::AboutInfo info{
        "Sheenwork", "sheenButton", "Us",
        "2.8.0",     "2003-2026",   {{"Help", "/nowhere/README.md", ""}, {"Web", "https://x", ""}}};
    const auto about = MakeAbout(rt, info, rt.Screen());
    runtime::Form& f = *about->form;
    EXPECT_EQ(f.Caption(), "About sheenButton");
    EXPECT_NE(f.Find("cmdLink0"), nullptr);
    EXPECT_NE(f.Find("cmdLink1"), nullptr);
    EXPECT_EQ(f.Find("cmdLink2"), nullptr);
    EXPECT_EQ(f.DefaultButton(), f.Find("cmdOK"));
    EXPECT_EQ(f.CancelButton(), f.Find("cmdOK"));
    EXPECT_EQ(f.Find("cmdOK")->Rect().right, f.Width() - 11);
    EXPECT_EQ(f.TabOrder().size(), 3u);  // the labels take no focus
    rt.KeyDown(runtime::VK_ESCAPE);
    EXPECT_EQ(about->answer, 1);
}

// The host presents only after something was drawn: a hover tick that finds the pointer
// still over its button draws nothing, and so costs no frame.
TEST(Loop, ARestingPointerDrawsNothing) {
    runtime::VirtualClock clock;
    TrackingGdi gdi(gdi::MakeRasterGdi());
    runtime::Runtime rt(clock, gdi, runtime::LinkedControls());
    runtime::Form& form = rt.CreateForm("Form1", {0, 0}, {200, 100});
    form.Add("Sheenwork.sheenButton", "b", {10, 10}, {90, 26});
    EXPECT_TRUE(gdi.TakeDrawn());
    EXPECT_FALSE(gdi.TakeDrawn());
    rt.MouseMove({20, 20});
    rt.Advance(Millis(10));
    rt.MouseMove({21, 20});  // MouseEnter: the hover look is painted
    EXPECT_TRUE(gdi.TakeDrawn());
    rt.Advance(Millis(1000));  // a hundred ticks
    EXPECT_FALSE(gdi.TakeDrawn());
    EXPECT_TRUE(rt.NextTimerDue().has_value());
    rt.MouseMove({150, 80});
    rt.Advance(Millis(10));  // MouseLeave repaints, and the timer stops
    EXPECT_TRUE(gdi.TakeDrawn());
    EXPECT_FALSE(rt.NextTimerDue().has_value());
}

// What the demo's status line says after each thing a user does (tests/data/cli/demo.txt):
// a script against the demo form, or "menu N", the arrow of cmdOpen and then the menu's
// item N, which also closes the menu. Escape clicks Cancel, and the form stays.
class Demo : public ::testing::TestWithParam<testing::Row> {};
TEST_P(Demo, TheStatusLineSaysWhatEachButtonDid) {
    const std::string& step = GetParam()[0];
    testing::Linked linked;
    runtime::Runtime& rt = linked.rt;
    runtime::Form& form = rt.CreateForm("Demo", {0, 0}, {cli::kDemoWidth, cli::kDemoHeight});
    const auto demo = cli::BuildDemo(form, {[&rt](const std::string& name, runtime::Position at,
                                                  runtime::Size size) -> runtime::Form& {
                                                return rt.CreateForm(name, at, size);
                                            },
                                            nullptr});
    if (step.rfind("menu ", 0) == 0) {
        runtime::Driver(rt, form).Run(runtime::ParseScript("click cmdOpen 108 20\n", "demo"));
        runtime::Form* menu = rt.FindForm("Menu");
        ASSERT_NE(menu, nullptr);
        runtime::Driver(rt, *menu).Run(
            runtime::ParseScript("click mnu" + step.substr(5) + "\n", "demo"));
        EXPECT_EQ(rt.FindForm("Menu"), nullptr);
    } else {
        runtime::Driver(rt, form).Run(runtime::ParseScript(step + "\n", "demo"));
    }
    EXPECT_EQ(rt.FindForm("Demo"), &form);
    EXPECT_EQ(form.Find(cli::kDemoStatus)->Native<sheenButton>()->Caption(), GetParam()[1]);
}
INSTANTIATE_TEST_SUITE_P(Table, Demo, ::testing::ValuesIn(testing::ReadTable("cli/demo.txt")),
                         testing::RowName);

}  // namespace
}  // namespace sheenwork::desktop
