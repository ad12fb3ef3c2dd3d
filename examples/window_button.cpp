// A window with one button: click it (or press Alt+S) and it says so; close the window to end.
#include <sheenwork/control/sheenButton.h>
#include <sheenwork/desktop/app.h>

#include <iostream>

using namespace sheenwork;

struct Handler : sheenButtonEvents {
    void Click() override { std::cout << "Saved." << std::endl; }
};

int main() {
    desktop::App app;  // opens the display: X11 or Wayland
    // A form of 200 x 60 pixels, centred; a button at (10, 10), 90 x 26 pixels.
    runtime::Form& form = app.CreateForm("Hello", {200, 60});
    auto save = app.AddButton(form, "cmdSave", {10, 10}, {90, 26});
    Handler handler;
    save->EventSink(&handler);
    save->Caption("&Save");  // the S is underlined and becomes the access key
    save->VeloToolTip("Says that it saved");
    return app.Run();  // until the window is closed
}
