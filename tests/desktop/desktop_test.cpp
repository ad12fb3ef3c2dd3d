// The desktop host's rules that need no window: keys, buttons and pointer positions in
// the runtime's terms, the pixels a window and a pointer get, how long the loop sleeps,
// the dialogs' buttons and places, and a resting host drawing nothing.
#include <sheenwork/control/sheenButton.h>
#include <sheenwork/runtime/controls.h>
#include <sheenwork/runtime/keys.h>
#include <sheenwork/runtime/script.h>

#include <gtest/gtest.h>

#include <fstream>

#include "demo.h"
#include "desktop/dialogs.h"
#include "desktop/tracking_gdi.h"
#include "desktop/translate.h"

namespace sheenwork::desktop {
namespace {

using runtime::Millis;

// A key on a Windows keyboard and on SDL's: letters and digits by their symbol, the
// modifiers by side (AltGr as the right Alt), the US punctuation as the OEM keys.
TEST(Keys, VirtualKeysOfSdlKeys) {
    // clang-format off
    const std::pair<SDL_Keycode, int> rows[] = {
        {SDLK_a, 'A'}, {SDLK_z, 'Z'}, {SDLK_0, '0'}, {SDLK_9, '9'}, {SDLK_F1, 112},
        {SDLK_F12, 123}, {SDLK_F13, 124}, {SDLK_F24, 135}, {SDLK_KP_0, 0x60}, {SDLK_KP_1, 0x61},
        {SDLK_KP_9, 0x69}, {SDLK_KP_ENTER, 13}, {SDLK_RETURN, 13}, {SDLK_SPACE, 32},
        {SDLK_TAB, 9}, {SDLK_ESCAPE, 27}, {SDLK_BACKSPACE, 8}, {SDLK_LSHIFT, 160},
        {SDLK_RSHIFT, 161}, {SDLK_LCTRL, 162}, {SDLK_RCTRL, 163}, {SDLK_LALT, 164},
        {SDLK_RALT, 165}, {SDLK_MODE, 165}, {SDLK_LEFT, 37}, {SDLK_DOWN, 40}, {SDLK_DELETE, 46},
        {SDLK_SEMICOLON, 0xBA}, {SDLK_QUOTE, 0xDE}, {SDLK_BACKQUOTE, 0xC0}, {SDLK_PAGEUP, 0x21},
        {SDLK_INSERT, 0x2D}, {SDLK_KP_DIVIDE, 0x6F}, {SDLK_PAUSE, 0x13}, {SDLK_CAPSLOCK, 0x14},
        {SDLK_PAGEDOWN, 0x22}, {SDLK_END, 35}, {SDLK_HOME, 36}, {SDLK_UP, 38}, {SDLK_RIGHT, 39},
        {SDLK_PRINTSCREEN, 0x2C}, {SDLK_LGUI, 0x5B}, {SDLK_RGUI, 0x5C},
        {SDLK_APPLICATION, 0x5D}, {SDLK_KP_MULTIPLY, 0x6A}, {SDLK_KP_PLUS, 0x6B},
        {SDLK_KP_MINUS, 0x6D}, {SDLK_KP_PERIOD, 0x6E}, {SDLK_NUMLOCKCLEAR, 0x90},
        {SDLK_SCROLLLOCK, 0x91}, {SDLK_EQUALS, 0xBB}, {SDLK_COMMA, 0xBC}, {SDLK_MINUS, 0xBD},
        {SDLK_PERIOD, 0xBE}, {SDLK_SLASH, 0xBF}, {SDLK_LEFTBRACKET, 0xDB},
        {SDLK_BACKSLASH, 0xDC}, {SDLK_RIGHTBRACKET, 0xDD}, {SDLK_UNDO, 0}};
    // clang-format on
    for (const auto& [sym, vk] : rows) EXPECT_EQ(VirtualKeyOf(sym), vk) << SDL_GetKeyName(sym);
    EXPECT_EQ(ButtonOf(SDL_BUTTON_LEFT), 1);
    EXPECT_EQ(ButtonOf(SDL_BUTTON_RIGHT), 2);
    EXPECT_EQ(ButtonOf(SDL_BUTTON_MIDDLE), 4);
    EXPECT_EQ(ButtonOf(SDL_BUTTON_X1), 0);
}

// What the message loop types from the key itself, and which text SDL brings is typed:
// Alt+S brings "s", which Windows does not type; AltGr (Ctrl+Alt) types.
TEST(Keys, CharactersOfKeysAndText) {
    EXPECT_EQ(ControlCharOf(runtime::VK_RETURN, false, false), '\r');
    EXPECT_EQ(ControlCharOf(runtime::VK_ESCAPE, false, false), 27);
    EXPECT_EQ(ControlCharOf(runtime::VK_TAB, false, false), '\t');
    EXPECT_EQ(ControlCharOf(runtime::VK_BACK, false, false), 8);
    EXPECT_EQ(ControlCharOf('A', true, false), 1);
    EXPECT_EQ(ControlCharOf('Z', true, false), 26);
    EXPECT_EQ(ControlCharOf('5', true, false), 0);
    EXPECT_EQ(ControlCharOf(runtime::VK_RETURN, true, false), 0);
    EXPECT_EQ(ControlCharOf(runtime::VK_RETURN, false, true), 0);
    EXPECT_EQ(ControlCharOf('A', false, false), 0);  // its text comes from SDL
    EXPECT_EQ(ControlCharOf(runtime::VK_SPACE, false, false), 0);
    EXPECT_TRUE(TypesText(false, false, false));
    EXPECT_FALSE(TypesText(true, false, false));
    EXPECT_TRUE(TypesText(true, true, false));
    EXPECT_TRUE(TypesText(true, false, true));
}

// Pointer positions: a window pixel at any scale to the runtime's screen point; points
// left of or above a window (a captured drag) round down like the screen's own.
TEST(Pointer, WindowPixelsToScreenPoints) {
    EXPECT_EQ(ScreenPointOf({100, 50}, 0, 0, 1), (gdi::Point{100, 50}));
    EXPECT_EQ(ScreenPointOf({100, 50}, 7, 3, 1), (gdi::Point{107, 53}));
    EXPECT_EQ(ScreenPointOf({100, 50}, 7, 3, 2), (gdi::Point{103, 51}));
    EXPECT_EQ(ScreenPointOf({100, 50}, 8, 9, 3), (gdi::Point{102, 53}));
    EXPECT_EQ(ScreenPointOf({100, 50}, -1, -2, 2), (gdi::Point{99, 49}));
    EXPECT_EQ(ScreenPointOf({100, 50}, -3, -4, 2), (gdi::Point{98, 48}));
    // The motion SDL adds on leaving a window is no place of the pointer.
    SDL_Event motion{}, leave{}, other{};
    motion.type = SDL_MOUSEMOTION;
    motion.motion.windowID = 3;
    leave.type = SDL_WINDOWEVENT;
    leave.window.event = SDL_WINDOWEVENT_LEAVE;
    leave.window.windowID = 3;
    other = leave;
    other.window.windowID = 4;
    EXPECT_TRUE(IsLeaveEcho(motion, &leave));
    EXPECT_FALSE(IsLeaveEcho(motion, &other));
    EXPECT_FALSE(IsLeaveEcho(motion, nullptr));
    EXPECT_FALSE(IsLeaveEcho(motion, &motion));
    EXPECT_FALSE(IsLeaveEcho(leave, &leave));
    SDL_Event enter = leave;
    enter.window.event = SDL_WINDOWEVENT_ENTER;
    EXPECT_FALSE(IsLeaveEcho(motion, &enter));
}

// A form's 0x00BBGGRR picture into a window's 0x00RRGGBB rows (of their own pitch),
// each pixel a block of scale x scale; what lies past a row's pixels is left alone.
TEST(Pixels, MagnifiedExactly) {
    const std::vector<gdi::ColorRef> picture = {0x00112233, 0x00445566, 0x00778899, 0x00AABBCC};
    std::vector<std::uint32_t> out(5 * 4, 0xDEADBEEF);  // 4 x 4 pixels, rows of 5
    Magnify(picture, 2, 2, 2, out.data(), 5 * 4);
    const std::vector<std::uint32_t> want = {
        0x332211, 0x332211, 0x665544, 0x665544, 0xDEADBEEF,  //
        0x332211, 0x332211, 0x665544, 0x665544, 0xDEADBEEF,  //
        0x998877, 0x998877, 0xCCBBAA, 0xCCBBAA, 0xDEADBEEF,  //
        0x998877, 0x998877, 0xCCBBAA, 0xCCBBAA, 0xDEADBEEF,
    };
    EXPECT_EQ(out, want);
    std::vector<std::uint32_t> one(2);
    Magnify(picture, 2, 1, 1, one.data(), 8);
    EXPECT_EQ(one, (std::vector<std::uint32_t>{0x332211, 0x665544}));
}

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
    using C = runtime::Cursor;
    // clang-format off
    const std::pair<C, SDL_SystemCursor> stock[] = {
        {C::Cross, SDL_SYSTEM_CURSOR_CROSSHAIR}, {C::IBeam, SDL_SYSTEM_CURSOR_IBEAM},
        {C::SizeNS, SDL_SYSTEM_CURSOR_SIZENS}, {C::SizeWE, SDL_SYSTEM_CURSOR_SIZEWE},
        {C::SizeNESW, SDL_SYSTEM_CURSOR_SIZENESW}, {C::SizeNWSE, SDL_SYSTEM_CURSOR_SIZENWSE},
        {C::Size, SDL_SYSTEM_CURSOR_SIZEALL}, {C::SizeAll, SDL_SYSTEM_CURSOR_SIZEALL},
        {C::Hourglass, SDL_SYSTEM_CURSOR_WAIT}, {C::ArrowHourglass, SDL_SYSTEM_CURSOR_WAITARROW},
        {C::NoDrop, SDL_SYSTEM_CURSOR_NO}, {C::UpArrow, SDL_SYSTEM_CURSOR_ARROW},
        {C::Default, SDL_SYSTEM_CURSOR_ARROW}};
    // clang-format on
    for (const auto& [cursor, sdl] : stock)
        EXPECT_EQ(SystemCursorOf(cursor), sdl) << static_cast<int>(cursor);
}

// The loop sleeps until the earlier of the next timer and the next deadline, not at all
// while work waits, and without end when nothing is due: a resting host costs nothing.
TEST(Loop, SleepsUntilTheNextThingDue) {
    EXPECT_EQ(SleepFor(Millis(100), false, std::nullopt, std::nullopt), std::nullopt);
    EXPECT_EQ(SleepFor(Millis(100), true, Millis(200), std::nullopt), 0);
    EXPECT_EQ(SleepFor(Millis(100), false, Millis(110), std::nullopt), 10);
    EXPECT_EQ(SleepFor(Millis(100), false, std::nullopt, Millis(150)), 50);
    EXPECT_EQ(SleepFor(Millis(100), false, Millis(130), Millis(120)), 20);
    EXPECT_EQ(SleepFor(Millis(100), false, Millis(120), Millis(130)), 20);
    EXPECT_EQ(SleepFor(Millis(100), false, Millis(100), std::nullopt), 0);
    EXPECT_EQ(SleepFor(Millis(100), false, Millis(90), Millis(300)), 0);
    EXPECT_EQ(SleepFor(Millis(0), false, Millis(10'000'000'000LL), std::nullopt),
              std::numeric_limits<int>::max());
}

// Message boxes: each style's buttons and answers, what Escape and closing answer, and
// a box built on a runtime: its text, buttons, default and cancel, placed on its owner.
TEST(Dialogs, MessageBoxButtonsAnswersAndPlace) {
    const auto captions = [](int style) {
        std::string s;
        for (const BoxButton& b : MessageBoxButtons(style))
            s += std::string(b.caption) + "=" + std::to_string(b.answer) + " ";
        return s;
    };
    EXPECT_EQ(captions(0), "OK=1 ");
    EXPECT_EQ(captions(16), "OK=1 ");  // the icon bits do not change the buttons
    EXPECT_EQ(captions(1), "OK=1 Cancel=2 ");
    EXPECT_EQ(captions(2), "&Abort=3 &Retry=4 &Ignore=5 ");
    EXPECT_EQ(captions(3), "&Yes=6 &No=7 Cancel=2 ");
    EXPECT_EQ(captions(4 | 32), "&Yes=6 &No=7 ");
    EXPECT_EQ(captions(5), "&Retry=4 Cancel=2 ");
    EXPECT_EQ(CancelAnswer(16), 1);
    EXPECT_EQ(CancelAnswer(1), 2);
    EXPECT_EQ(CancelAnswer(3), 2);
    EXPECT_EQ(CancelAnswer(4), 0);
    EXPECT_EQ(CancelAnswer(2), 0);

    const gdi::Rect screen{0, 0, 1024, 768};
    EXPECT_EQ(CentredOn({100, 100, 300, 200}, 100, 40, screen), (gdi::Rect{150, 130, 250, 170}));
    EXPECT_EQ(CentredOn({-50, 700, 50, 760}, 200, 100, screen), (gdi::Rect{0, 668, 200, 768}));
    EXPECT_EQ(CentredOn({950, -10, 1024, 10}, 200, 100, screen), (gdi::Rect{824, 0, 1024, 100}));

    runtime::VirtualClock clock;
    auto gdi = gdi::MakeRasterGdi();
    runtime::Runtime rt(clock, *gdi, WithLabels(runtime::LinkedControls()));
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
    host::Surface text(*gdi, lw, lh);
    text.BackColor(label.BackColor());
    text.ForeColor(0x80000012);
    text.Font(vb::StdFont("Tahoma", 8.25));
    gdi::Rect all{0, 0, lw, lh};
    gdi->DrawTextA(text.hDC(), "Saved.", -1, &all, gdi::DT_WORDBREAK | gdi::DT_NOPREFIX);
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
    runtime::VirtualClock clock;
    auto gdi = gdi::MakeRasterGdi();
    runtime::Runtime rt(clock, *gdi, WithLabels(runtime::LinkedControls()));
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
TEST(Demo, TheStatusLineSaysWhatEachButtonDid) {
    std::ifstream in(std::string(SHEENWORK_TEST_DATA_DIR) + "/cli/demo.txt");
    ASSERT_TRUE(in);
    int cases = 0;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') continue;
        SCOPED_TRACE(line);
        ++cases;
        const std::string step = line.substr(0, line.find(" | "));
        const std::string said = line.substr(line.find(" | ") + 3);
        runtime::VirtualClock clock;
        auto gdi = gdi::MakeRasterGdi();
        runtime::Runtime rt(clock, *gdi, runtime::LinkedControls());
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
        EXPECT_EQ(form.Find(cli::kDemoStatus)->Native<sheenButton>()->Caption(), said);
    }
    EXPECT_EQ(cases, 8);
}

}  // namespace
}  // namespace sheenwork::desktop
