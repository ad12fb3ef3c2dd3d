// The click routine and the drag-and-drop pass-through handlers.
#include <sheenwork/control/sheenButton.h>
#include <sheenwork/system/services.h>
#include <sheenwork/util/error.h>

namespace sheenwork {
namespace {
constexpr char kModule[] = "sheenButton";
constexpr int SW_HIDE = 0;

bool AllBlank(const std::string& s) { return s.find_first_not_of(' ') == std::string::npos; }
}  // namespace

void host::OpenAboutLink(const AboutLink& link) noexcept {
    constexpr int SW_SHOWNORMAL = 1;
    IgnoreErrors([&] {
        system::Current().ShellExecute(0, "open", link.target, link.parameters, "", SW_SHOWNORMAL);
    });
}

vb::Boolean FileExists(const std::string& sFile) {
    // No trap of its own: the caller's covers it.
    return vb::Boolean(system::Current().FindFirstFile(sFile));
}

// Every way of clicking ends here: Click is raised with Value True, then the wave file
// and the address are opened, in that order, and Value goes back to False.
void sheenButton::UserControl_Click() {
    Procedure p{"UserControl_Click", ModuleKind::UserControl, kModule};
    const ControlLiveness alive = Liveness();
    p([&] { rec_.Value = vb::True; });
    p([&] { RaiseEvent([](sheenButtonEvents& e) { e.Click(); }); });
    // The host's handler may have closed the form and destroyed the button.
    if (!alive) return;
    p([&] {
        const std::string wave = Wave();
        if (FileExists(wave)) {
            const long hwnd = site_.SurfaceHwnd();
            IgnoreErrors(
                [&] { system::Current().ShellExecute(hwnd, "open", wave, "", "", SW_HIDE); });
        }
    });
    p([&] {
        const std::string url = URL();
        if (!AllBlank(url)) {
            const long hwnd = site_.SurfaceHwnd();
            // The untrimmed address goes out, the parameters as the parameter string.
            IgnoreErrors([&] {
                system::Current().ShellExecute(hwnd, "open", url, rec_.UrlParam, "", SW_HIDE);
            });
        }
    });
    p([&] { rec_.Value = vb::False; });
}

void sheenButton::UserControl_OLECompleteDrag(vb::Long& Effect) {
    Procedure p{"UserControl_OLECompleteDrag", ModuleKind::UserControl, kModule};
    p([&] { RaiseEvent([&](sheenButtonEvents& e) { e.OLECompleteDrag(Effect); }); });
}

void sheenButton::UserControl_OLEDragDrop(host::DataObjectRef& Data, vb::Long& Effect,
                                          vb::Integer& Button, vb::Integer& Shift, vb::Single& X,
                                          vb::Single& Y) {
    Procedure p{"UserControl_OLEDragDrop", ModuleKind::UserControl, kModule};
    p([&] {
        RaiseEvent([&](sheenButtonEvents& e) { e.OLEDragDrop(Data, Effect, Button, Shift, X, Y); });
    });
}

void sheenButton::UserControl_OLEDragOver(host::DataObjectRef& Data, vb::Long& Effect,
                                          vb::Integer& Button, vb::Integer& Shift, vb::Single& X,
                                          vb::Single& Y, vb::Integer& State) {
    Procedure p{"UserControl_OLEDragOver", ModuleKind::UserControl, kModule};
    p([&] {
        RaiseEvent(
            [&](sheenButtonEvents& e) { e.OLEDragOver(Data, Effect, Button, Shift, X, Y, State); });
    });
}

void sheenButton::UserControl_OLEGiveFeedback(vb::Long& Effect, vb::Boolean& DefaultCursors) {
    Procedure p{"UserControl_OLEGiveFeedback", ModuleKind::UserControl, kModule};
    p([&] {
        RaiseEvent([&](sheenButtonEvents& e) { e.OLEGiveFeedback(Effect, DefaultCursors); });
    });
}

void sheenButton::UserControl_OLESetData(host::DataObjectRef& Data, vb::Integer& DataFormat) {
    Procedure p{"UserControl_OLESetData", ModuleKind::UserControl, kModule};
    p([&] { RaiseEvent([&](sheenButtonEvents& e) { e.OLESetData(Data, DataFormat); }); });
}

void sheenButton::UserControl_OLEStartDrag(host::DataObjectRef& Data, vb::Long& AllowedEffects) {
    Procedure p{"UserControl_OLEStartDrag", ModuleKind::UserControl, kModule};
    p([&] { RaiseEvent([&](sheenButtonEvents& e) { e.OLEStartDrag(Data, AllowedEffects); }); });
}

}  // namespace sheenwork
