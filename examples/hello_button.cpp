// A form with one button; a script clicks it, then presses its access key.
#include <sheenwork/control/sheenButton.h>
#include <sheenwork/runtime/controls.h>
#include <sheenwork/runtime/script.h>

#include <iostream>

using namespace sheenwork;

struct Handler : sheenButtonEvents {
    void Click() override { std::cout << "Saved.\n"; }
};

int main() {
    auto gdi = gdi::MakeRasterGdi();  // our raster with GDI's pixel rules
    runtime::VirtualClock clock;      // time moves only when a script waits
    runtime::Runtime app(clock, *gdi, runtime::LinkedControls());
    // Where a form or a button goes: its top-left corner, then its width and height.
    runtime::Form& form = app.CreateForm("Form1", {100, 100}, {200, 60});
    runtime::Window& save = form.Add("Sheenwork.sheenButton", "cmdSave", {10, 10}, {90, 26});

    Handler handler;
    auto button = save.Native<sheenButton>();
    button->EventSink(&handler);
    button->Caption("&Save");  // the S is underlined and becomes the access key

    runtime::Driver(app, form).Run(runtime::ParseScript("click cmdSave\nalt S\n"));
    std::cout << form.Compose().size() << " pixels\n";  // the form as the screen shows it
}
