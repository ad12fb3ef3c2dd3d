// Keyboard, focus and access keys.
//
//   input           condition                  sState  bSpaceDown  bHasFocus  output
//   --------------  -------------------------  ------  ----------  ---------  --------------
//   KeyDown         KeyCode 32 (Space)         "down"  True        -          Redraw, KeyDown
//   KeyDown         other key                  -       -           -          KeyDown
//   KeyUp           KeyCode 32                 ""      False       -          Redraw, Click,
//                                                                             KeyUp
//   KeyUp           other key                  -       -           -          KeyUp
//   KeyPress        any                        -       -           -          KeyPress
//   GotFocus        bHasFocus False            -       -           True       "blue", Redraw
//   GotFocus        bHasFocus True             -       -           -          nothing
//   LostFocus       bHasFocus True             ""      -           False      Redraw
//   LostFocus       bHasFocus False            -       -           -          nothing
//   AccessKeyPress  13 or 27                   -       -           -          Click
//   AccessKeyPress  other, Alt and left Alt    -       -           True       Redraw, Click
//                   both set, KeyAscii not 0
//   AccessKeyPress  otherwise                  -       -           -          nothing
//
// Only Space presses the button; Enter and Escape reach it as the form's default or
// cancel button through AccessKeyPress and click without any repaint. Losing the focus
// keeps bSpaceDown: the Space key is still held, and its release still clicks.
#include <sheenwork/control/sheenButton.h>
#include <sheenwork/util/error.h>

namespace sheenwork {
namespace {

constexpr char kModule[] = "sheenButton";
constexpr vb::Integer kSpace = 32, kEnter = 13, kEscape = 27;
constexpr int VK_MENU = 18, VK_LMENU = 164;

}  // namespace

void sheenButton::UserControl_KeyDown(vb::Integer& KeyCode, vb::Integer& Shift) {
    Procedure p{"UserControl_KeyDown", ModuleKind::UserControl, kModule};
    // Auto-repeat sends this again and again while Space is held; each one repaints.
    if (KeyCode == kSpace) {
        p([&] { rec_.sState = "down"; });
        p([&] { rec_.bSpaceDown = vb::True; });
        p([&] { Redraw(0); });
    }
    p([&] { RaiseEvent([&](sheenButtonEvents& e) { e.KeyDown(KeyCode, Shift); }); });
}

void sheenButton::UserControl_KeyPress(vb::Integer& KeyAscii) {
    Procedure p{"UserControl_KeyPress", ModuleKind::UserControl, kModule};
    p([&] { RaiseEvent([&](sheenButtonEvents& e) { e.KeyPress(KeyAscii); }); });
}

// Click comes before KeyUp. The release clicks even when the press went elsewhere (the
// focus arrived while Space was held).
void sheenButton::UserControl_KeyUp(vb::Integer& KeyCode, vb::Integer& Shift) {
    Procedure p{"UserControl_KeyUp", ModuleKind::UserControl, kModule};
    const ControlLiveness alive = Liveness();
    if (KeyCode == kSpace) {
        p([&] { rec_.sState.clear(); });
        p([&] { rec_.bSpaceDown = vb::False; });
        p([&] { Redraw(0); });
        p([&] { UserControl_Click(); });
        if (!alive) return;
    }
    p([&] { RaiseEvent([&](sheenButtonEvents& e) { e.KeyUp(KeyCode, Shift); }); });
}

// The border goes on before the repaint, which then draws the focus look itself.
void sheenButton::UserControl_GotFocus() {
    Procedure p{"UserControl_GotFocus", ModuleKind::UserControl, kModule};
    if (rec_.bHasFocus) return;
    p([&] { rec_.bHasFocus = vb::True; });
    p([&] { drawMLine("blue"); });
    p([&] { Redraw(0); });
}

void sheenButton::UserControl_LostFocus() {
    Procedure p{"UserControl_LostFocus", ModuleKind::UserControl, kModule};
    if (!rec_.bHasFocus) return;
    p([&] { rec_.bHasFocus = vb::False; });
    p([&] { rec_.sState.clear(); });
    p([&] { Redraw(0); });
}

// The access key clicks only when typed with the left Alt key: both key states are
// asked, either Alt then the left one, and AltGr (the right Alt alone) leaves the
// second at 0. The default and cancel keys click as they are, without a repaint.
void sheenButton::UserControl_AccessKeyPress(vb::Integer& KeyAscii) {
    Procedure p{"UserControl_AccessKeyPress", ModuleKind::UserControl, kModule};
    if (KeyAscii == kEnter || KeyAscii == kEscape) {
        p([&] { UserControl_Click(); });
        return;
    }
    bool withAlt = false;
    p([&] {
        const std::int16_t alt = site_.GetAsyncKeyState(VK_MENU);
        const std::int16_t leftAlt = site_.GetAsyncKeyState(VK_LMENU);
        withAlt = alt != 0 && leftAlt != 0 && KeyAscii != 0;
    });
    if (!withAlt) return;
    p([&] { rec_.bHasFocus = vb::True; });
    p([&] { Redraw(0); });
    p([&] { UserControl_Click(); });
}

}  // namespace sheenwork
