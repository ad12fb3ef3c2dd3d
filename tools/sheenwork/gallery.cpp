// sheenwork gallery: every look and colour scheme, with the drop-down section on every
// side, each in every state, with caption and picture: one PNG per button and state and
// an index.html that shows them in a labelled grid with each button's property values.
//
// The buttons come from a form file the tool carries (gallery.sfm), written into the
// output folder beside the picture it names. Each picture is made as a user would see
// the button: the form loaded into the runtime, the button brought into its state by
// scripted input (the pointer resting on it, pressed, the focus), its surface written out.
#include <sheenwork/control/sheenButton.h>
#include <sheenwork/runtime/controls.h>
#include <sheenwork/runtime/form_file.h>
#include <sheenwork/runtime/library.h>
#include <sheenwork/runtime/script.h>

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <ostream>
#include <sstream>

#include "cli.h"
#include "png_io.h"

namespace sheenwork::cli {

extern const std::uint8_t kGalleryForm[];
extern const std::size_t kGalleryFormSize;

namespace {

// A state and the script that brings the button NAME into it.
struct State {
    const char* name;
    const char* script;
    bool enabled;
};
constexpr State kStates[] = {
    {"rest", "", true},
    {"hover", "move NAME 20 8\nwait 10\nmove NAME 21 8\n", true},
    {"pressed", "move NAME 20 8\nwait 10\nmove NAME 21 8\npress\n", true},
    {"focus", "focus NAME\n", true},
    {"disabled", "", false},
};

std::string Replace(std::string s, const std::string& what, const std::string& with) {
    for (std::size_t at; (at = s.find(what)) != std::string::npos;)
        s.replace(at, what.size(), with);
    return s;
}

// The property values the form file gives a button, for its label.
std::string Properties(const runtime::ControlDescription& c) {
    std::ostringstream s;
    for (const auto& p : c.properties) {
        s << (s.tellp() > 0 ? ", " : "") << p.key << " = ";
        if (const auto* o = std::get_if<vb::Object>(&p.value))
            s << (o->IsNothing() ? "Nothing" : "(picture)");
        else if (std::holds_alternative<std::string>(p.value))
            s << '"' << vb::CStr(p.value) << '"';
        else
            s << vb::CStr(p.value);
    }
    return s.str();
}

png::Image Render(const runtime::FormFile& file, const runtime::ControlDescription& c,
                  const State& state) {
    runtime::VirtualClock clock;
    auto gdi = gdi::MakePlatformGdi();
    runtime::Runtime rt(clock, *gdi, runtime::LinkedControls());
    runtime::Form& form = runtime::LoadForm(rt, file);
    runtime::Window& w = *form.Find(c.name);
    if (!state.enabled) w.Native<sheenButton>()->Enabled(vb::False);
    runtime::Driver(rt, form).Run(
        runtime::ParseScript(Replace(state.script, "NAME", c.name), state.name));
    return png::Image{w.Rect().Width(), w.Rect().Height(), w.Surface().Pixels()};
}

}  // namespace

int Gallery(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::string dir;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if ((args[i] == "-o" || args[i] == "--output") && i + 1 < args.size())
            dir = args[++i];
        else
            throw UsageError{"gallery: unexpected '" + args[i] + "'"};
    }
    if (dir.empty()) throw UsageError{"gallery needs -o DIR"};
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec) {
        err << "sheenwork: cannot make the folder " << dir << ": " << ec.message() << "\n";
        return kBadInput;
    }
    runtime::FormFile file;
    try {
        // The form and the picture it names, beside the pictures made from them.
        const auto* bitmap = SheenworkLibrary().FindBitmap(kToolboxBitmapId);
        runtime::ReplaceFile(std::filesystem::path(dir) / "toolbox.bmp",
                             std::string_view(reinterpret_cast<const char*>(bitmap->bmp.data()),
                                              bitmap->bmp.size()));
        const std::filesystem::path form = std::filesystem::path(dir) / "gallery.sfm";
        runtime::ReplaceFile(
            form, std::string_view(reinterpret_cast<const char*>(kGalleryForm), kGalleryFormSize));
        file = runtime::ReadFormFile(form);
    } catch (const std::exception& e) {
        err << "sheenwork: " << e.what() << "\n";
        return kBadInput;
    }

    std::ostringstream html;
    html << "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
         << "<title>Sheenwork gallery</title>\n<style>\n"
         << "body { font-family: sans-serif; background: #ECE9D8; }\n"
         << "table { border-collapse: collapse; }\n"
         << "td, th { padding: 6px 10px; text-align: left; vertical-align: top; }\n"
         << "img { image-rendering: pixelated; }\n"
         << ".props { font-size: 11px; color: #555; max-width: 260px; }\n"
         << "</style>\n</head>\n<body>\n<h1>sheenButton: every look, scheme, state and "
         << "drop-down side</h1>\n<p>From <a href=\"gallery.sfm\">gallery.sfm</a>.</p>\n"
         << "<table>\n<tr><th>button</th>";
    for (const State& s : kStates) html << "<th>" << s.name << "</th>";
    html << "<th>properties</th></tr>\n";

    const int total = static_cast<int>(file.controls.size() * std::size(kStates));
    Progress progress(err, total, isatty(STDERR_FILENO) != 0);
    for (const runtime::ControlDescription& c : file.controls) {
        html << "<tr><td>" << HtmlText(c.name) << "</td>";
        for (const State& state : kStates) {
            const std::string png_name = c.name + "_" + state.name + ".png";
            try {
                const png::Image image = Render(file, c, state);
                png::Write(dir + "/" + png_name, image);
                html << "<td><img src=\"" << HtmlText(png_name) << "\" alt=\"" << HtmlText(c.name)
                     << ", " << state.name << "\" width=\"" << image.width * 2 << "\" height=\""
                     << image.height * 2 << "\"></td>";
            } catch (const std::exception& e) {
                err << "sheenwork: " << e.what() << "\n";
                return kBadInput;
            }
            progress.Step(png_name);
        }
        html << "<td class=\"props\">" << HtmlText(Properties(c)) << "</td></tr>\n";
    }
    // The page tells whether every picture arrived: a checker reads this off the DOM.
    html << "</table>\n<script>\nwindow.addEventListener('load', () => {\n"
         << "  const images = [...document.images];\n"
         << "  const loaded = images.filter(i => i.complete && i.naturalWidth > 0).length;\n"
         << "  document.body.dataset.images = loaded + '/' + images.length;\n"
         << "});\n</script>\n</body>\n</html>\n";
    const std::filesystem::path page = std::filesystem::path(dir) / "index.html";
    try {
        runtime::ReplaceFile(page, html.str());
    } catch (const std::exception& e) {
        err << "sheenwork: " << e.what() << "\n";
        return kBadInput;
    }
    out << std::filesystem::absolute(page).string() << "\n";
    return kOk;
}

}  // namespace sheenwork::cli
