// Where a form's controls come from: the classes of a component library, made through
// its class factory, each hosted through the notifications its class understands.
#pragma once

#include <sheenwork/runtime/form.h>
#include <sheenwork/runtime/registration.h>

#include <memory>

namespace sheenwork {
class sheenButton;
}

namespace sheenwork::runtime {

// The classes of the Sheenwork library linked into this program, by their programmatic
// names ("Sheenwork.sheenButton"): made by its class factory, as the library's
// DllGetClassObject hands it out, without anything registered.
ControlFactory LinkedControls();

// Any class registered in the platform's registry, as a form designer creates controls
// (CreateObject): a registered component library is loaded when a form first uses it.
ControlFactory RegisteredControls();

// The notifications of a created object whose native instance the runtime knows how to
// host (a sheenButton); null for another.
std::shared_ptr<ControlNotifications> HostNotifications(std::shared_ptr<Object> object);

}  // namespace sheenwork::runtime
