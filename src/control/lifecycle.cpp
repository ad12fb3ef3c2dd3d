// sheenButton's answers to the host's lifecycle notifications: a new instance, ambient
// changes (the default-button look), paint and resize.
#include <sheenwork/control/sheenButton.h>
#include <sheenwork/host/property_bag.h>
#include <sheenwork/util/error.h>

namespace sheenwork {
namespace {
constexpr char kModule[] = "sheenButton";
}  // namespace

void sheenButton::UserControl_InitProperties() {
    Procedure p{"UserControl_InitProperties", ModuleKind::UserControl, kModule};
    p([&] { site_.tmrMouseInEnabled(vb::False); });
    // A new instance differs from a loaded one only in where its values come from: an
    // empty bag gives every key its default, and the end of loading runs the same way.
    p([&] {
        host::MemoryPropertyBag empty;
        UserControl_ReadProperties(empty);
    });
}

void sheenButton::UserControl_AmbientChanged(const std::string& PropertyName) {
    Procedure p{"UserControl_AmbientChanged", ModuleKind::UserControl, kModule};
    // Only losing the focus removes the look; an ambient change never does.
    if (rec_.bHasFocus) return;
    if (PropertyName == "DisplayAsDefault")
        IgnoreErrors([&] { rec_.bDefault = site_.ExtenderDefault(); });
    // Any ambient change, not only DisplayAsDefault, brings back the look of a default
    // button that has lost the focus.
    vb::Boolean differed;
    p([&] { differed = vb::Boolean(rec_.bDefault != rec_.bHasFocus); });
    p([&] { rec_.bHasFocus = rec_.bDefault ? vb::True : vb::False; });
    p([&] {
        if (differed) Redraw(0);
    });
}

void sheenButton::UserControl_Paint() {
    Procedure p{"UserControl_Paint", ModuleKind::UserControl, kModule};
    p([&] { Redraw(0); });
}

// Every painter reads the surface's size when it runs, so a repaint is all a new size
// needs; the control imposes no size of its own.
void sheenButton::UserControl_Resize() {
    Procedure p{"UserControl_Resize", ModuleKind::UserControl, kModule};
    p([&] { Redraw(0); });
}

}  // namespace sheenwork
