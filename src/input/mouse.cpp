// Mouse and hover: the press state, the drop-down section's press, the hand pointers and
// the hover timer that stands in for the leave notification the host never sends.
//
// Press state (sState, sDropDownState), one row per notification; "hand" is the pointer
// switch, made only with AutoXPMouseIcons:
//
//   input      condition                         sState  sDropDownState  output
//   ---------  --------------------------------  ------  --------------  ----------------------
//   MouseDown  sState "down"                     -       -               nothing at all
//   MouseDown  Button 2                          -       -               MouseDown
//   MouseDown  other button, in section          "down"  "down"          SetFocus, DropDown,
//                                                                        DrawAdded, Redraw,
//                                                                        clicking hand, MouseDown
//   MouseDown  other button, not in section      "down"  -               the same, no DropDown
//   MouseMove  Button 0                          ""      -               MouseMove, hand, border
//   MouseMove  Button 1, DropDown, over, leaves  ""      "n" (was down)  Redraw
//   MouseMove  Button 1, DropDown, over, enters  "down"  "down" (was n)  Redraw
//   MouseMove  Button 1, DropDown, not over      "down"  "down" (was n)  no repaint
//   MouseUp    any                               ""      ""              Redraw, own pointer,
//                                                                        border, MouseUp
//
// Hover (bMouseOver, bMouseEntered, the timer):
//
//   input      condition                         bMouseOver  bMouseEntered  output
//   ---------  --------------------------------  ----------  -------------  ------------------
//   MouseMove  timer off                         -           -              timer on
//   MouseMove  bMouseOver, not entered           -           True           MouseEnter, Redraw,
//                                                                           then MouseMove
//   tick       designer (UserMode False/failing) -           -              timer off
//   tick       strictly inside, own window       True        -              nothing
//   tick       outside, entered                  False       False          MouseLeave, Redraw,
//                                                                           timer off
//   tick       outside, not entered              False       -              timer off
//
// So MouseEnter needs a tick that saw the cursor and then a move; a cursor that enters
// and rests raises none. Each statement of a handler is one step of its trap. Raising an
// event, processing the host's messages (DrawAdded) and taking the focus run the host's
// code, which may destroy the control: a handler stops when its liveness token says so.
#include <sheenwork/control/sheenButton.h>
#include <sheenwork/util/error.h>

namespace sheenwork {
namespace {

constexpr char kModule[] = "sheenButton";
constexpr vb::Integer kCustomPointer = 99;
// The xp pointer shown while hovering and the one shown while pressed.
constexpr int kHandPointer = 0, kClickingPointer = 1;

}  // namespace

// The comparisons are strict and in single precision, the far edge computed as a Single
// first: a press exactly on the section's edge is not in it.
bool sheenButton::InDropDownSection(vb::Single X, vb::Single Y) {
    const auto size = static_cast<vb::Single>(rec_.DropDownSize);
    switch (rec_.DropDownAlign) {
        case cDropDownLeftDown:
        case cDropDownLeftUp: return X < size;
        case cDropDownRightDown:
        case cDropDownRightUp: {
            const vb::Single edge = site_.Surface().ScaleWidth() - size;
            return X > edge;
        }
        case cDropDownTopRight:
        case cDropDownTopLeft: return Y < size;
        case cDropDownBottomRight:
        case cDropDownBottomLeft: {
            const vb::Single edge = site_.Surface().ScaleHeight() - size;
            return Y > edge;
        }
        default: return false;
    }
}

// A press takes the focus, paints the pressed look and only then raises MouseDown, so
// that the host's handler sees the button pressed; DropDown comes before the paint. A
// right-button press only raises the event, and a press while one is held is ignored.
void sheenButton::UserControl_MouseDown(vb::Integer& Button, vb::Integer& Shift, vb::Single& X,
                                        vb::Single& Y) {
    Procedure p{"UserControl_MouseDown", ModuleKind::UserControl, kModule};
    const ControlLiveness alive = Liveness();
    if (rec_.sState == "down") return;
    if (Button != 2) {
        // The focus is a wish: a host that cannot give it still gets the press.
        p([&] { IgnoreErrors([&] { site_.SetFocus(); }); });
        if (!alive) return;
        p([&] { rec_.bHasFocus = vb::True; });
        p([&] { rec_.bMouseOver = vb::True; });
        p([&] {
            if (rec_.DropDown && InDropDownSection(X, Y)) rec_.sDropDownState = "down";
        });
        p([&] {
            if (rec_.sDropDownState == "down")
                RaiseEvent([](sheenButtonEvents& e) { e.DropDown(); });
        });
        if (!alive) return;
        // "down" before the press refresh: the messages it lets through see a pressed button.
        p([&] { rec_.sState = "down"; });
        p([&] { DrawAdded(); });
        if (!alive) return;
        p([&] { Redraw(0); });
        if (rec_.AutoXPMouseIcons) {
            p([&] { site_.SurfaceMousePointer(kCustomPointer); });
            p([&] { site_.SurfaceMouseIcon(site_.xpPointer(kClickingPointer)); });
        }
    }
    p([&] { RaiseEvent([&](sheenButtonEvents& e) { e.MouseDown(Button, Shift, X, Y); }); });
}

// The host's MouseMove handler runs before the timer is started and before the drop-down
// section is followed; whatever it assigns to the arguments is what the hit test uses.
void sheenButton::UserControl_MouseMove(vb::Integer& Button, vb::Integer& Shift, vb::Single& X,
                                        vb::Single& Y) {
    Procedure p{"UserControl_MouseMove", ModuleKind::UserControl, kModule};
    const ControlLiveness alive = Liveness();
    if (Button == 0) p([&] { rec_.sState.clear(); });
    if (rec_.bMouseOver && !rec_.bMouseEntered) {
        p([&] { rec_.bMouseEntered = vb::True; });
        p([&] { RaiseEvent([](sheenButtonEvents& e) { e.MouseEnter(); }); });
        if (!alive) return;
        p([&] { Redraw(0); });
    }
    p([&] { RaiseEvent([&](sheenButtonEvents& e) { e.MouseMove(Button, Shift, X, Y); }); });
    if (!alive) return;
    p([&] {
        if (!site_.tmrMouseInEnabled()) site_.tmrMouseInEnabled(vb::True);
    });

    // A press that began in the drop-down section follows the pointer in and out of it.
    if (Button == 1 && rec_.DropDown) {
        if (rec_.bMouseOver) {
            bool inSection = false;
            if (p([&] { inSection = InDropDownSection(X, Y); })) {
                if (inSection && rec_.sDropDownState == "n") {
                    p([&] { rec_.sDropDownState = "down"; });
                    p([&] { rec_.sState = "down"; });
                    p([&] { Redraw(0); });
                } else if (!inSection && rec_.sDropDownState == "down") {
                    p([&] { rec_.sDropDownState = "n"; });
                    p([&] { rec_.sState.clear(); });
                    p([&] { Redraw(0); });
                }
            }
            p([&] {
                if (rec_.sDropDownState == "down") rec_.sState = "down";
            });
        } else if (rec_.sDropDownState == "n") {
            // The timer saw the pointer leave the control: back to the pressed section,
            // unpainted until the pointer returns.
            p([&] { rec_.sDropDownState = "down"; });
            p([&] { rec_.sState = "down"; });
        }
    }

    const bool classic = rec_.ColorStyle == cWinClassic;
    if (rec_.sState != "down") {
        if (rec_.AutoXPMouseIcons) {
            p([&] { site_.SurfaceMousePointer(kCustomPointer); });
            p([&] { site_.SurfaceMouseIcon(site_.xpPointer(kHandPointer)); });
        }
        if (rec_.bMouseOver) {
            if (!classic) p([&] { drawMLine("orange"); });
        } else if (!classic && rec_.bHasFocus) {
            p([&] { drawMLine("blue"); });
        }
    } else if (!classic && !rec_.bMouseOver) {
        p([&] { drawMLine("orange"); });
    }
}

// A release of any button ends the press; the click that follows is the host's own
// notification. In the classic scheme the highlight is the inverting focus rectangle
// that the repaint has just drawn: drawing it again here would wipe it out, so the
// release leaves the highlight to the repaint there, as every other mouse handler does.
void sheenButton::UserControl_MouseUp(vb::Integer& Button, vb::Integer& Shift, vb::Single& X,
                                      vb::Single& Y) {
    Procedure p{"UserControl_MouseUp", ModuleKind::UserControl, kModule};
    p([&] { rec_.sState.clear(); });
    p([&] { rec_.sDropDownState.clear(); });
    p([&] { Redraw(0); });
    if (rec_.AutoXPMouseIcons) {
        p([&] { site_.SurfaceMousePointer(vb::CInt(rec_.MousePointer)); });
        p([&] { site_.SurfaceMouseIcon(rec_.MouseIcon); });
    }
    if (rec_.bHasFocus && rec_.ColorStyle != cWinClassic)
        p([&] { drawMLine(rec_.bMouseOver ? "orange" : "blue"); });
    p([&] { RaiseEvent([&](sheenButtonEvents& e) { e.MouseUp(Button, Shift, X, Y); }); });
}

// The leave the host does not report: while the timer runs, each tick looks whether the
// cursor is still over the control's own window. The border rows count as outside, and
// so does any window lying over the control.
void sheenButton::tmrMouseIn_Timer() {
    Procedure p{"tmrMouseIn_Timer", ModuleKind::UserControl, kModule};
    const ControlLiveness alive = Liveness();
    // A designer has no hover; a container that cannot say where it is counts as one.
    vb::Boolean userMode;
    p([&] { IgnoreErrors([&] { userMode = site_.AmbientUserMode(); }); });
    if (!userMode) {
        p([&] { site_.tmrMouseInEnabled(vb::False); });
        return;
    }

    long hwnd = 0, under = 0;
    gdi::Rect rc{};
    gdi::Point pt{};
    p([&] { hwnd = site_.SurfaceHwnd(); });
    p([&] { rc = site_.GetWindowRect(hwnd); });
    p([&] { pt = site_.GetCursorPos(); });
    p([&] { under = site_.WindowFromPoint(pt); });
    if (under == hwnd && rc.left < pt.x && pt.x < rc.right && rc.top < pt.y && pt.y < rc.bottom) {
        p([&] { rec_.bMouseOver = vb::True; });
        return;
    }

    p([&] { rec_.bMouseOver = vb::False; });
    if (rec_.bMouseEntered) {
        p([&] { rec_.bMouseEntered = vb::False; });
        p([&] { RaiseEvent([](sheenButtonEvents& e) { e.MouseLeave(); }); });
        if (!alive) return;
        p([&] { Redraw(0); });
    }
    p([&] { site_.tmrMouseInEnabled(vb::False); });
}

}  // namespace sheenwork
