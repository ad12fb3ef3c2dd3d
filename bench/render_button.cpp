// Renders one default button to a PNG, start to finish, as a whole process: what a user
// of a command-line render pays on every run (fontconfig, the font file, the caption's
// glyphs, the paint and the PNG). Timed from outside over several runs, not here.
//
//   sheenwork-render-button OUT.png
#include <sheenwork/runtime/controls.h>
#include <sheenwork/runtime/form.h>

#include <cstdio>
#include <exception>

#include "png_io.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: sheenwork-render-button OUT.png\n");
        return 2;
    }
    try {
        using namespace sheenwork;
        auto gdi = gdi::MakeRasterGdi();
        runtime::VirtualClock clock;
        runtime::Runtime app(clock, *gdi, runtime::LinkedControls());
        runtime::Form& form = app.CreateForm("Form1", {0, 0, 75, 23});
        form.Add("Sheenwork.sheenButton", "sheenButton1", {0, 0, 75, 23});
        png::Write(argv[1], png::Image{75, 23, form.Compose()});
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "sheenwork-render-button: %s\n", e.what());
        return 1;
    }
}
