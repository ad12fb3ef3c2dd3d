// sheenwork gallery: every look and colour scheme, in every state, with the drop-down
// section on every side, with caption and picture: one PNG per button and an index.html
// that shows them in a labelled grid with each button's property values.
//
// Each button is made as a user makes it: placed on a form of the runtime, its properties
// assigned, and brought into its state by scripted input (the pointer resting on it,
// pressed, the focus), then its surface is written out.
#include <sheenwork/control/enums.h>
#include <sheenwork/control/sheenButton.h>
#include <sheenwork/picture/load.h>
#include <sheenwork/runtime/controls.h>
#include <sheenwork/runtime/library.h>
#include <sheenwork/runtime/script.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <ostream>
#include <sstream>

#include "cli.h"
#include "png_io.h"

namespace sheenwork::cli {
namespace {

struct Look {
    const char* name;
    vb::Long button_style, color_style;
};
constexpr Look kLooks[] = {
    {"XP blue", cButtonWinXP, cXPBlue},     {"XP silver", cButtonWinXP, cXPSilver},
    {"XP olive", cButtonWinXP, cXPOlive},   {"classic", cButtonWinXP, cWinClassic},
    {"custom", cButtonWinXP, cCustom},      {"Office", cButtonOffice, cXPBlue},
    {"browser", cButtonIExplorer, cXPBlue},
};

struct Side {
    const char* name;
    bool drop_down;
    vb::Long align;
    vb::Integer size;  // a strip across the button is lower than one along its side
};
constexpr Side kSides[] = {
    {"no section", false, cDropDownRightDown, 16},
    {"section left", true, cDropDownLeftDown, 16},
    {"section right", true, cDropDownRightDown, 16},
    {"section top", true, cDropDownTopRight, 12},
    {"section bottom", true, cDropDownBottomLeft, 12},
};

// A state and the script that brings a button into it (the button is "b").
struct State {
    const char* name;
    const char* script;
    bool enabled;
};
constexpr State kStates[] = {
    {"rest", "", true},
    {"hover", "move b 20 8\nwait 10\nmove b 21 8\n", true},
    {"pressed", "move b 20 8\nwait 10\nmove b 21 8\npress\n", true},
    {"focus", "focus b\n", true},
    {"disabled", "", false},
};

constexpr int kWidth = 110, kHeight = 40;

std::string Slug(std::string s) {
    for (char& c : s)
        if (c == ' ') c = '-';
    return s;
}

// The properties a cell's button has besides those of a new instance, for its label.
std::string Properties(const Look& look, const Side& side) {
    std::ostringstream s;
    s << "Caption = \"&amp;Save\", ButtonStyle = " << look.button_style
      << ", ColorStyle = " << look.color_style
      << ", Picture = toolbox bitmap, PictureAlign = 3, AllPicturesSame = True";
    if (look.color_style == cCustom)
        s << ", BackColor = &amp;H00E0F0E0&amp;, BorderColor = &amp;H00206020&amp;";
    if (side.drop_down)
        s << ", DropDown = True, DropDownAlign = " << side.align
          << ", DropDownSize = " << side.size;
    return s.str();
}

png::Image Render(const Look& look, const Side& side, const State& state,
                  const host::PictureRef& picture) {
    runtime::VirtualClock clock;
    auto gdi = gdi::MakeRasterGdi();
    runtime::Runtime rt(clock, *gdi, runtime::LinkedControls());
    runtime::Form& form = rt.CreateForm("Gallery", {0, 0, kWidth + 20, kHeight + 20});
    runtime::Window& w =
        form.Add("Sheenwork.sheenButton", "b", {10, 10, 10 + kWidth, 10 + kHeight});
    const auto b = w.Native<sheenButton>();
    b->Caption("&Save");
    b->ButtonStyle(look.button_style);
    b->ColorStyle(look.color_style);
    if (look.color_style == cCustom) {
        b->BackColor(0x00E0F0E0);
        b->BackColorOver(0x00D0F0D0);
        b->BackColorDown(0x00B0E0B0);
        b->BorderColor(0x00206020);
    }
    b->PictureAlign(cLinks_Mitte);
    b->Picture(picture);
    b->AllPicturesSame(vb::True);  // the one picture in every state
    b->DropDown(vb::Boolean(side.drop_down));
    b->DropDownAlign(side.align);
    b->DropDownSize(side.size);
    b->Enabled(vb::Boolean(state.enabled));
    runtime::Driver(rt, form).Run(runtime::ParseScript(state.script, state.name));
    png::Image image{kWidth, kHeight, w.Surface().Pixels()};
    return image;
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
    const auto* bitmap = SheenworkLibrary().FindBitmap(kToolboxBitmapId);
    const host::PictureRef picture = picture::LoadPictureFromMemory(bitmap->bmp, "toolbox.bmp");

    std::ostringstream html;
    html << "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
         << "<title>Sheenwork gallery</title>\n<style>\n"
         << "body { font-family: sans-serif; background: #ECE9D8; }\n"
         << "table { border-collapse: collapse; }\n"
         << "td, th { padding: 6px 10px; text-align: left; vertical-align: top; }\n"
         << "img { image-rendering: pixelated; width: " << kWidth * 2 << "px; }\n"
         << ".props { font-size: 11px; color: #555; max-width: 220px; }\n"
         << "</style>\n</head>\n<body>\n<h1>sheenButton: every look, scheme, state and "
         << "drop-down side</h1>\n<table>\n<tr><th>look</th><th>section</th>";
    for (const State& s : kStates) html << "<th>" << s.name << "</th>";
    html << "<th>properties</th></tr>\n";

    const int total = static_cast<int>(std::size(kLooks) * std::size(kSides) * std::size(kStates));
    Progress progress(err, total, isatty(STDERR_FILENO) != 0);
    for (const Look& look : kLooks) {
        for (const Side& side : kSides) {
            html << "<tr><td>" << look.name << "</td><td>" << side.name << "</td>";
            for (const State& state : kStates) {
                const std::string file =
                    Slug(look.name) + "_" + Slug(side.name) + "_" + state.name + ".png";
                try {
                    png::Write(dir + "/" + file, Render(look, side, state, picture));
                } catch (const std::exception& e) {
                    err << "sheenwork: " << e.what() << "\n";
                    return kBadInput;
                }
                html << "<td><img src=\"" << HtmlText(file) << "\" alt=\"" << look.name << ", "
                     << side.name << ", " << state.name << "\" width=\"" << kWidth * 2
                     << "\" height=\"" << kHeight * 2 << "\"></td>";
                progress.Step(file);
            }
            html << "<td class=\"props\">" << Properties(look, side) << "</td></tr>\n";
        }
    }
    // The page tells whether every picture arrived: a checker reads this off the DOM.
    html << "</table>\n<script>\nwindow.addEventListener('load', () => {\n"
         << "  const images = [...document.images];\n"
         << "  const loaded = images.filter(i => i.complete && i.naturalWidth > 0).length;\n"
         << "  document.body.dataset.images = loaded + '/' + images.length;\n"
         << "});\n</script>\n</body>\n</html>\n";
    const std::string page = dir + "/index.html";
    {
        std::ofstream f(page + ".part", std::ios::binary | std::ios::trunc);
        f << html.str();
        f.flush();
        if (!f) {
            err << "sheenwork: cannot write " << page << "\n";
            return kBadInput;
        }
    }
    std::filesystem::rename(page + ".part", page, ec);
    if (ec) {
        err << "sheenwork: cannot write " << page << ": " << ec.message() << "\n";
        return kBadInput;
    }
    out << std::filesystem::absolute(page).string() << "\n";
    return kOk;
}

}  // namespace sheenwork::cli
