// A container of ActiveX controls in real windows (Windows): a form in a top-level
// window, each control created through COM by its ProgID and hosted as an OLE container
// hosts one: client, in-place and control site, the ambient properties (UserMode,
// DisplayAsDefault, Font, BackColor), the extender (Name, Default, Cancel), an event
// sink, and the keys a form routes: Tab and Shift+Tab along the tab order, Enter to the
// button shown as default, Escape to the cancel button, Alt with an access key to the
// control whose mnemonics hold it.
//
// With a trace stream it writes what it does, as the window hosts of the tests read it:
// "@<ms> ready", each input ("@<ms> input move X Y", "input down 1", "input keydown 13",
// ...), "@<ms> settled" once an input has been handled and painted, the form and the
// tooltips shown ("@<ms> form show NAME l t r b", "@<ms> popup show HWND l t r b",
// "@<ms> popup hide HWND"), and every event of the controls as "<name> <event> <args>".
// With commands it also reads lines from standard input: "focus NAME", "wait MS" and
// "close" (the form is closed as its user closes it).
// A container initialises OLE on its thread for its lifetime; one a process.
#pragma once

#include <sheenwork/runtime/form_file.h>
#include <sheenwork/vb/stdfont.h>

#include <iosfwd>
#include <memory>
#include <string>

namespace sheenwork::host {

struct ContainerOptions {
    std::ostream* trace = nullptr;
    bool commands = false;
    // The library file that serves the classes the registry does not know ("": the
    // sheenwork.dll beside the program).
    std::string library;
};

class Container {
public:
    explicit Container(ContainerOptions options);
    ~Container();
    Container(const Container&) = delete;
    Container& operator=(const Container&) = delete;

    // The form, with each control loaded from its saved properties. Throws
    // std::runtime_error naming a control that cannot be created.
    void Open(const runtime::FormFile& form);
    // The form's font, which the controls added next take as their container's (the
    // runtime's form font, Tahoma 8.25, until set).
    void FormFont(const vb::StdFont& font);
    // An empty form, and a new control on top of the others (initialised as new).
    void NewForm(const std::string& name, runtime::Position at, runtime::Size size);
    void Add(const std::string& class_name, const std::string& name, runtime::Position at,
             runtime::Size size);
    // Assigns a property of a control late-bound, as a program does: `value` is the
    // text of the value, converted as an assignment converts it.
    void Set(const std::string& control, const std::string& property, const std::string& value);
    void DefaultButton(const std::string& control);
    void CancelButton(const std::string& control);

    // Shows the form and runs until it is closed; the exit code.
    int Run();

    // The platform's side of it.
    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};

}  // namespace sheenwork::host
