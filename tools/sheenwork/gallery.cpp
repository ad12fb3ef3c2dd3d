// sheenwork gallery: every look and colour scheme, with the drop-down section on every
// side, each in every state, with caption and picture: one PNG per button and state, an
// index.html that shows them in a labelled grid with each button's property values, and
// gallery.png, all of them in one labelled picture.
//
// The buttons come from a form file the tool carries (gallery.sfm), written into the
// output folder beside the picture it names. Each picture is made as a user would see
// the button: the form loaded into the runtime, the button brought into its state by
// scripted input (the pointer resting on it, pressed, the focus), its surface written out.
#include <sheenwork/control/sheenButton.h>
#include <sheenwork/host/surface.h>
#include <sheenwork/runtime/controls.h>
#include <sheenwork/runtime/form_file.h>
#include <sheenwork/runtime/library.h>
#include <sheenwork/runtime/script.h>
#include <sheenwork/vb/stdfont.h>

#include <unistd.h>

#include <algorithm>
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

// A state and the script that brings the button NAME into it, the pointer at (X, Y) on
// the button's body.
struct State {
    const char* name;
    const char* script;
    bool enabled;
};
constexpr State kStates[] = {
    {"rest", "", true},
    {"hover", "move NAME X Y\nwait 10\nmove NAME X1 Y\n", true},
    {"pressed", "move NAME X Y\nwait 10\nmove NAME X1 Y\npress\n", true},
    {"focus", "focus NAME\n", true},
    {"disabled", "", false},
};

std::string Replace(std::string s, const std::string& what, const std::string& with) {
    for (std::size_t at; (at = s.find(what)) != std::string::npos;)
        s.replace(at, what.size(), with);
    return s;
}

const vb::Variant* Property(const runtime::ControlDescription& c, const std::string& key) {
    for (const auto& p : c.properties)
        if (p.key == key) return &p.value;
    return nullptr;
}

// The centre of the button's body: of the button, less its drop-down section (at the
// left for DropDownAlign 0 and 1, the right for 2 and 3, the top for 4 and 5, the bottom
// for 6 and 7, DropDownSize pixels across), so that a press there presses the body.
gdi::Point BodyCentre(const runtime::ControlDescription& c) {
    gdi::Rect body = runtime::RectOf({0, 0}, c.size);
    const vb::Variant* drop_down = Property(c, "DropDown");
    if (drop_down && vb::CBool(*drop_down)) {
        const vb::Variant* align = Property(c, "DropDownAlign");
        const vb::Variant* size = Property(c, "DropDownSize");
        const int side = size ? vb::CInt(*size) : 16;
        switch (align ? vb::CLng(*align) : vb::Long{cDropDownRightDown}) {
            case cDropDownLeftDown:
            case cDropDownLeftUp: body.left += side; break;
            case cDropDownTopRight:
            case cDropDownTopLeft: body.top += side; break;
            case cDropDownBottomRight:
            case cDropDownBottomLeft: body.bottom -= side; break;
            default: body.right -= side; break;
        }
    }
    return {(body.left + body.right) / 2, (body.top + body.bottom) / 2};
}

// The control's properties as the form file writes them, one "Key = Value" after another
// (its place and size left out: the pictures show them).
std::string Properties(const runtime::ControlDescription& c, const std::filesystem::path& form) {
    runtime::FormFile one;
    one.name = "frmGallery";
    one.controls.push_back(c);
    std::istringstream lines(runtime::FormatFormFile(one, form));
    std::string out;
    bool inside = false;
    for (std::string line; std::getline(lines, line);) {
        const std::string text = line.substr(std::min(line.find_first_not_of(' '), line.size()));
        if (text.rfind("Begin " + c.class_name, 0) == 0) {
            inside = true;
        } else if (inside && line == "    End") {
            break;
        } else if (inside) {
            const std::string key = text.substr(0, text.find(' '));
            if (key == "Left" || key == "Top" || key == "Width" || key == "Height" ||
                key == "TabIndex")
                continue;
            out += (out.empty() ? "" : ", ") + text;
        }
    }
    return out;
}

png::Image Render(const runtime::FormFile& file, const runtime::ControlDescription& c,
                  const State& state) {
    runtime::VirtualClock clock;
    auto gdi = gdi::MakePlatformGdi();
    runtime::Runtime rt(clock, *gdi, runtime::LinkedControls());
    runtime::Form& form = runtime::LoadForm(rt, file);
    runtime::Window& w = *form.Find(c.name);
    if (!state.enabled) w.Native<sheenButton>()->Enabled(vb::False);
    const gdi::Point at = BodyCentre(c);
    std::string script = Replace(state.script, "NAME", c.name);
    script = Replace(script, "X1", std::to_string(at.x + 1));
    script = Replace(Replace(script, "X", std::to_string(at.x)), "Y", std::to_string(at.y));
    runtime::Driver(rt, form).Run(runtime::ParseScript(script, state.name));
    return png::Image{w.Rect().Width(), w.Rect().Height(), w.Surface().Pixels()};
}

// Every picture of the page in one: a row per button, a column per state, labelled, on
// the page's colour, at the size a screen shows them.
class Overview {
public:
    Overview(std::size_t rows, int cell_width, int cell_height)
        : cell_w_(cell_width + kGap), cell_h_(cell_height + kGap) {
        image_.width = kLabelWidth + static_cast<int>(std::size(kStates)) * cell_w_ + kGap;
        image_.height = kHeader + static_cast<int>(rows) * cell_h_ + kGap;
        image_.pixels.assign(static_cast<std::size_t>(image_.width) * image_.height, kPage);
        for (std::size_t i = 0; i < std::size(kStates); ++i)
            Label(kStates[i].name, Column(i), kGap, cell_w_, kHeader - kGap);
    }
    void Add(std::size_t row, std::size_t column, const png::Image& picture,
             const std::string& name) {
        const int y = kHeader + static_cast<int>(row) * cell_h_;
        if (column == 0) Label(name, kGap, y, kLabelWidth - kGap, cell_h_ - kGap);
        for (int py = 0; py < picture.height && py < cell_h_ - kGap; ++py)
            for (int px = 0; px < picture.width && px < cell_w_ - kGap; ++px)
                image_
                    .pixels[static_cast<std::size_t>(y + py) * image_.width + Column(column) + px] =
                    picture.pixels[static_cast<std::size_t>(py) * picture.width + px];
    }
    const png::Image& Image() const { return image_; }

private:
    static constexpr int kGap = 8, kLabelWidth = 100, kHeader = 24;
    static constexpr gdi::ColorRef kPage = 0x00D8E9EC;  // the XP dialog colour, #ECE9D8

    int Column(std::size_t i) const { return kLabelWidth + static_cast<int>(i) * cell_w_; }
    // `text` in Tahoma, black, vertically centred in the box at (x, y).
    void Label(const std::string& text, int x, int y, int width, int height) {
        host::Surface s(*gdi_, width, height);
        s.BackColor(kPage);
        s.ForeColor(0);
        s.Font(vb::StdFont("Tahoma", 8.25));
        gdi::Rect r{0, 0, width, height};
        s.Gdi().DrawTextA(s.hDC(), text.c_str(), -1, &r,
                          gdi::DT_SINGLELINE | gdi::DT_VCENTER | gdi::DT_NOPREFIX);
        const auto pixels = s.Pixels();
        for (int py = 0; py < height; ++py)
            for (int px = 0; px < width; ++px)
                image_.pixels[static_cast<std::size_t>(y + py) * image_.width + x + px] =
                    pixels[static_cast<std::size_t>(py) * width + px];
    }

    std::unique_ptr<gdi::Gdi> gdi_ = gdi::MakePlatformGdi();
    int cell_w_, cell_h_;
    png::Image image_;
};

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

    // The page fits a screen 1366 pixels wide: the pictures twice their size in five
    // columns, each button's properties on a line of their own below them.
    std::ostringstream html;
    html << "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
         << "<title>Sheenwork gallery</title>\n<style>\n"
         << "body { font-family: sans-serif; background: #ECE9D8; margin: 8px; }\n"
         << "table { border-collapse: collapse; }\n"
         << "td, th { padding: 4px 6px; text-align: left; vertical-align: middle; }\n"
         << "img { image-rendering: pixelated; display: block; }\n"
         << ".props td { font-size: 11px; color: #555; padding-bottom: 12px; }\n"
         << "</style>\n</head>\n<body>\n<h1>sheenButton: every look, scheme, state and "
         << "drop-down side</h1>\n<p>From <a href=\"gallery.sfm\">gallery.sfm</a>; the "
         << "pictures are twice their size on screen, the properties as the form file "
         << "writes them.</p>\n<table>\n<tr><th>button</th>";
    for (const State& s : kStates) html << "<th>" << s.name << "</th>";
    html << "</tr>\n";

    const int total = static_cast<int>(file.controls.size() * std::size(kStates));
    Progress progress(err, total, isatty(STDERR_FILENO) != 0);
    int cell_width = 0, cell_height = 0;
    for (const runtime::ControlDescription& c : file.controls) {
        cell_width = std::max(cell_width, c.size.width);
        cell_height = std::max(cell_height, c.size.height);
    }
    Overview overview(file.controls.size(), cell_width, cell_height);
    for (std::size_t row = 0; row < file.controls.size(); ++row) {
        const runtime::ControlDescription& c = file.controls[row];
        html << "<tr><th>" << HtmlText(c.name) << "</th>";
        for (std::size_t column = 0; column < std::size(kStates); ++column) {
            const State& state = kStates[column];
            const std::string png_name = c.name + "_" + state.name + ".png";
            try {
                const png::Image image = Render(file, c, state);
                png::Write(dir + "/" + png_name, image);
                overview.Add(row, column, image, c.name);
                html << "<td><img src=\"" << HtmlText(png_name) << "\" alt=\"" << HtmlText(c.name)
                     << ", " << state.name << "\" width=\"" << image.width * 2 << "\" height=\""
                     << image.height * 2 << "\"></td>";
            } catch (const std::exception& e) {
                err << "sheenwork: " << e.what() << "\n";
                return kBadInput;
            }
            progress.Step(png_name);
        }
        html << "</tr>\n<tr class=\"props\"><td></td><td colspan=\"" << std::size(kStates) << "\">"
             << HtmlText(Properties(c, std::filesystem::path(dir) / "gallery.sfm"))
             << "</td></tr>\n";
    }
    // The page tells whether every picture arrived and how wide it laid out: a checker
    // reads both off the DOM.
    html << "</table>\n<script>\nwindow.addEventListener('load', () => {\n"
         << "  const images = [...document.images];\n"
         << "  const loaded = images.filter(i => i.complete && i.naturalWidth > 0).length;\n"
         << "  document.body.dataset.images = loaded + '/' + images.length;\n"
         << "  document.body.dataset.width = document.documentElement.scrollWidth;\n"
         << "});\n</script>\n</body>\n</html>\n";
    try {
        png::Write(dir + "/gallery.png", overview.Image());
    } catch (const std::exception& e) {
        err << "sheenwork: " << e.what() << "\n";
        return kBadInput;
    }
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
