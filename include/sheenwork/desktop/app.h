// The desktop host: the form runtime in real windows. Each form is a top-level window
// that shows the form's composed picture; the mouse, the keyboard and the real clock
// drive the runtime through the same entry points the scripted driver uses, so a
// window behaves as the headless tests do and shows the same pixels.
//
//   desktop::App app;                                  // opens the display
//   runtime::Form& form = app.CreateForm("Hello", {200, 60});     // width, height
//   auto save = app.AddButton(form, "cmdSave", {10, 10}, {100, 36});  // left, top; size
//   save->Caption("&Save");
//   save->EventSink(&handler);
//   return app.Run();                                  // until the last window closes
//
// Besides the forms: each visible popup of a form (a tooltip) is a borderless window of
// its own; message boxes and the About window are modal windows whose loop keeps the
// timers running; popup forms (a drop-down menu) are borderless forms that go away when
// a press lands outside them. The pointer takes the shape the window under it asks for.
//
// Nothing here names the windowing library: a program includes this header and links
// Sheenwork::desktop.
#pragma once

#include <sheenwork/gdi/gdi.h>
#include <sheenwork/runtime/form.h>

#include <functional>
#include <iosfwd>
#include <memory>
#include <stdexcept>
#include <string>

namespace sheenwork {
class sheenButton;
}

namespace sheenwork::desktop {

// Makes a form from a file on a runtime; throws std::runtime_error (its message names
// the file, and the line and column of a fault) when the file cannot be used.
using FormLoader = std::function<runtime::Form&(runtime::Runtime&, const std::string& path)>;

struct Options {
    // Every pixel shown as scale x scale screen pixels, without smoothing (1 to 8).
    int scale = 1;
    // A log of what the host does, one line each (see Trace below); null: none, unless
    // the environment has SHEENWORK_TRACE=1, which sends it to standard output.
    std::ostream* trace = nullptr;
    // The control classes forms are made of; empty: the linked Sheenwork classes.
    runtime::ControlFactory controls;
};

// The display could not be opened (no X11 or Wayland display, or the video system
// failed).
class DisplayError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The trace, for scripts that drive a window from outside and must know when it has
// caught up. Lines start with the host's clock in milliseconds:
//   @T ready                       every form is shown and presented
//   @T input move X Y | down B | up B | keydown VK | keyup VK | char C
//                                  an input the host handed to the runtime (screen
//                                  pixels of the runtime, virtual keys, ANSI codes)
//   @T popup show HWND L T R B | popup hide HWND     a popup window appeared / went
//   @T form show NAME L T R B | form hide HWND       a form's window appeared / went
//   @T form size NAME W H          a form took its window's new size (a window manager
//                                  or the user resized it: form windows are resizable,
//                                  and the new area shows the form's back colour)
//   @T waited MS | focused NAME    answers to the commands below
//   @T settled                     the input and commands handled so far are on screen
// With the trace on, the host also reads commands from standard input, one a line:
//   wait MS      answer "waited MS" once MS milliseconds have gone by on the host's clock
//               (the timers run meanwhile)
//   focus NAME   the program moves the focus to the control NAME of the active form
// The controls' own events are for the program to write (sheenwork run --trace writes
// every button's events to the same stream, without the @).

class App {
public:
    // Opens the display; throws DisplayError when there is none.
    explicit App(Options options = {});
    ~App();
    App(const App&) = delete;
    App& operator=(const App&) = delete;

    runtime::Runtime& Runtime();

    // A form whose client area is `size` pixels, centred on the screen (or with its
    // top-left corner at `at` on the screen), shown when the loop runs. Throws
    // std::invalid_argument for an empty or inverted size (runtime::CheckPlacement).
    runtime::Form& CreateForm(const std::string& name, runtime::Size size);
    runtime::Form& CreateForm(const std::string& name, runtime::Position at, runtime::Size size);
    // A borderless form at a place of the screen that goes away when a press lands
    // outside it or its window loses the keyboard: a drop-down menu.
    runtime::Form& CreatePopupForm(const std::string& name, runtime::Position at,
                                   runtime::Size size);
    // A form read from a file through the loader (SetFormLoader); throws
    // std::runtime_error when the file cannot be used.
    runtime::Form& Open(const std::string& path);
    void SetFormLoader(FormLoader loader) { loader_ = std::move(loader); }

    // A sheenButton as a new instance on a form, its top-left corner at `at` in the form's
    // client area and `size` pixels large. Throws std::invalid_argument as Form::Add does.
    std::shared_ptr<sheenButton> AddButton(runtime::Form& form, const std::string& name,
                                           runtime::Position at, runtime::Size size);

    // Runs until every form is closed or Quit is called; returns the exit code.
    int Run();
    // Ends Run (and any modal window) with `code`, once the current event is handled.
    void Quit(int code = 0);

    // The trace stream, or null.
    std::ostream* Trace() const;

    class Host;  // the windowing side, private to the library

private:
    std::unique_ptr<Host> host_;
    FormLoader loader_;
};

// The loader of form files: the file read strictly (runtime::ReadFormFile) and made live
// (runtime::LoadForm); its problems come back as a std::runtime_error naming file, line
// and column.
FormLoader DefaultFormLoader();

}  // namespace sheenwork::desktop
