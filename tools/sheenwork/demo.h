// The form `sheenwork run --demo` opens, and the event writer `run --trace` gives every
// button. The demo form is built on any runtime, so that a test can render it headless
// and compare it with the window.
#pragma once

#include <sheenwork/control/events.h>
#include <sheenwork/runtime/form.h>

#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

namespace sheenwork::cli {

// A button's events written one a line as "<name> <event> <arguments>" (the notation of
// the runtime's stories), then handed to the program's own handlers.
class TracedEvents final : public sheenButtonEvents {
public:
    TracedEvents(std::string name, std::ostream* trace) : name_(std::move(name)), trace_(trace) {}
    std::function<void()> on_click, on_drop_down;

    void Click() override;
    void DropDown() override;
    void MouseEnter() override { Write("MouseEnter"); }
    void MouseLeave() override { Write("MouseLeave"); }
    void MouseDown(vb::Integer& b, vb::Integer& s, vb::Single& x, vb::Single& y) override;
    void MouseMove(vb::Integer& b, vb::Integer& s, vb::Single& x, vb::Single& y) override;
    void MouseUp(vb::Integer& b, vb::Integer& s, vb::Single& x, vb::Single& y) override;
    void KeyDown(vb::Integer& k, vb::Integer& s) override;
    void KeyUp(vb::Integer& k, vb::Integer& s) override;
    void KeyPress(vb::Integer& k) override;

private:
    void Write(const std::string& what);
    std::string name_;
    std::ostream* trace_;
};

// Gives every sheenButton of `form` a TracedEvents (kept in `sinks`).
void TraceButtons(runtime::Form& form, std::ostream* trace,
                  std::vector<std::unique_ptr<TracedEvents>>& sinks);

inline constexpr int kDemoWidth = 512, kDemoHeight = 204;
// The demo's status line: what the last button did.
inline constexpr char kDemoStatus[] = "lblStatus";

// What the demo asks of its host: a popup form for the drop-down menu.
struct DemoHost {
    std::function<runtime::Form&(const std::string& name, runtime::Position at, runtime::Size size)>
        popup_form;
    std::ostream* trace = nullptr;
};

// The demo's buttons on `form` (kDemoWidth x kDemoHeight): every look with caption,
// picture and tooltip, a drop-down button whose section opens a menu, About, OK (the
// default button: a message box) and Cancel (the cancel button), and a status line that
// says what each of them did (a menu item chosen, Cancel or Escape pressed).
struct Demo {
    std::vector<std::unique_ptr<TracedEvents>> sinks;
};
std::unique_ptr<Demo> BuildDemo(runtime::Form& form, DemoHost host);
// Writes `text` on the demo form's status line.
void SayInDemo(runtime::Form& form, const std::string& text);

}  // namespace sheenwork::cli
