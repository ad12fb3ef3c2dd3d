#include "cli.h"

#include <cstdio>
#include <ostream>
#include <string_view>

#include "util/shown.h"

namespace sheenwork::cli {
namespace {

constexpr char kUsageText[] =
    "usage: sheenwork <command> [options]\n"
    "\n"
    "commands:\n"
    "  render FORM -o OUT.png [--script STEPS] [--at NAME:STATE]... [--trace] [--allow-shell]\n"
    "                                the form as the screen shows it, after bringing\n"
    "                                controls into a state (rest, hover, pressed, focus)\n"
    "                                and replaying a script of user actions; what a click\n"
    "                                would open or play is recorded, not done\n"
    "  check FORM                    every problem of a form file, as file:line:column\n"
    "  props [--format text|json]    the members of sheenButton as a property browser lists\n"
    "                                them: name, type, access, default and help string\n"
    "  gallery -o DIR                every look, colour scheme, state and drop-down side,\n"
    "                                with caption and picture, to PNGs and DIR/index.html\n"
#ifndef SHEENWORK_NO_UI_FILES
    "  convert FORM -o OUT.ui        a form file as a Qt Designer form (sheenwork::qt::Button\n"
    "  convert FORM.ui -o OUT        widgets), and a Designer form back to a form file\n"
#endif
    "  run FORM [--scale N] [--trace]\n"
    "                                the form in a window: mouse, keyboard, tooltips and\n"
    "                                message boxes work as in a program; --scale shows\n"
    "                                every pixel N x N (1 to 8); --trace writes what the\n"
    "                                window does and the buttons' events to standard output\n"
    "  run --demo [--scale N] [--trace]\n"
    "                                the built-in demo form: every look, a drop-down menu,\n"
    "                                tooltips, a default and a cancel button, About\n"
    "  help COMMAND                  one command's options, with an example (so does\n"
    "                                COMMAND --help)\n"
    "\n"
    "An option's value may follow it or be joined to it with '=': --format json and\n"
    "--format=json are the same.\n"
    "\n"
    "options:\n"
    "  --help      this text\n"
    "  --version   the version\n"
    "\n"
    "exit codes: 0 done, 1 bad input, 2 wrong command line\n";

struct CommandHelp {
    std::string_view name, text;
};

constexpr CommandHelp kCommandHelp[] = {
    {"render",
     "usage: sheenwork render FORM -o OUT.png [--at NAME:STATE]... [--script STEPS]\n"
     "                        [--trace] [--allow-shell]\n"
     "\n"
     "Paints the form as the screen shows it into OUT.png, after bringing controls into a\n"
     "state and then replaying a script of user actions (docs/form-file.md describes both\n"
     "files). A render is a preview: what a click would open or play (a button's URL and\n"
     "Wave) is recorded, not done.\n"
     "\n"
     "  -o, --output OUT.png  the picture to write; the name must end in .png\n"
     "  --at NAME:STATE       brings the control NAME to rest, hover, pressed or focus\n"
     "                        (may be given more than once)\n"
     "  --script STEPS        replays the script in the file STEPS (at most 1 MiB, its\n"
     "                        waits at most an hour in all)\n"
     "  --trace               prints what a click would open or play, one a line:\n"
     "                        open \"FILE\" \"PARAMETERS\" or play \"FILE\"\n"
     "  --allow-shell         opens and plays them as a program would: a form's URL may\n"
     "                        name any program, so only for forms you trust\n"
     "\n"
     "example:\n"
     "  sheenwork render form.sfm -o form.png --at cmdOK:hover --script clicks.txt --trace\n"},
    {"check",
     "usage: sheenwork check FORM\n"
     "\n"
     "Reads the form file as render and run do and lists its problems as\n"
     "FILE:LINE:COLUMN: message (the first 20, then how many more), then lets each control\n"
     "take its values; prints \"FORM: ok, N controls\" when there is none. A file that is\n"
     "not text is refused in one line.\n"
     "\n"
     "example:\n"
     "  sheenwork check form.sfm\n"},
    {"props",
     "usage: sheenwork props [--format text|json]\n"
     "\n"
     "Lists the members of sheenButton as a property browser does: name, type, access,\n"
     "default value and help string, as a table (text, the default) or as JSON, one object\n"
     "a member.\n"
     "\n"
     "example:\n"
     "  sheenwork props --format=json\n"},
    {"gallery",
     "usage: sheenwork gallery -o DIR\n"
     "\n"
     "Paints every look, colour scheme, state and drop-down side of the button, with\n"
     "caption and picture, into PNG files in DIR, and writes DIR/index.html, a page that\n"
     "shows them all.\n"
     "\n"
     "  -o, --output DIR  the folder to write (made when it is missing)\n"
     "\n"
     "example:\n"
     "  sheenwork gallery -o gallery\n"},
    {"run",
     "usage: sheenwork run FORM [--scale N] [--trace]\n"
     "       sheenwork run --demo [--scale N] [--trace]\n"
     "\n"
     "Shows the form in a window (X11 or Wayland): mouse, keyboard, tooltips and message\n"
     "boxes work as in a program, and a click opens what its button names. --demo shows\n"
     "the built-in demo form: every look, a drop-down menu, tooltips, a default and a\n"
     "cancel button, About.\n"
     "\n"
     "  --scale N  shows every pixel N x N (1 to 8)\n"
     "  --trace    writes what the window does and the buttons' events to standard output\n"
     "\n"
     "example:\n"
     "  sheenwork run --demo --scale 2\n"},
};

const CommandHelp* HelpOf(std::string_view command) {
    for (const CommandHelp& h : kCommandHelp)
        if (h.name == command) return &h;
    return nullptr;
}

// "--name=value" as the two arguments "--name" "value".
std::vector<std::string> Joined(const std::vector<std::string>& args) {
    std::vector<std::string> out;
    for (const std::string& a : args) {
        const std::size_t eq = a.find('=');
        if (a.starts_with("--") && eq != std::string::npos && eq > 2) {
            out.push_back(a.substr(0, eq));
            out.push_back(a.substr(eq + 1));
        } else {
            out.push_back(a);
        }
    }
    return out;
}

}  // namespace

int Main(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, Command run) {
    if (args.empty()) {
        err << kUsageText;
        return kUsage;
    }
    const std::string& command = args[0];
    const std::vector<std::string> rest = Joined({args.begin() + 1, args.end()});
    try {
        if (command == "--help" || command == "-h" || command == "help") {
            if (rest.empty()) {
                out << kUsageText;
                return kOk;
            }
            const CommandHelp* help = HelpOf(rest[0]);
            if (!help || rest.size() > 1)
                throw UsageError{"help takes one of render, check, props, gallery and run, not '" +
                                 util::Shown(rest.back()) + "'"};
            out << help->text;
            return kOk;
        }
        if (command == "--version") {
            out << "sheenwork 2.8.0\n";
            return kOk;
        }
        if (const CommandHelp* help = HelpOf(command)) {
            for (const std::string& a : rest)
                if (a == "--help" || a == "-h") {
                    out << help->text;
                    return kOk;
                }
        }
        if (command == "props") return Props(rest, out, err);
        if (command == "render") return Render(rest, out, err);
        if (command == "check") return Check(rest, out, err);
        if (command == "gallery") return Gallery(rest, out, err);
#ifndef SHEENWORK_NO_UI_FILES
        if (command == "convert") return Convert(rest, out, err);
#endif
        if (command == "run") return run(rest, out, err);
        throw UsageError{"unknown command '" + util::Shown(command) + "'"};
    } catch (const UsageError& e) {
        err << "sheenwork: " << util::Printable(e.message) << "\n"
            << "try 'sheenwork " << (HelpOf(command) ? "help " + command : "--help") << "'\n";
        return kUsage;
    }
}

Progress::Progress(std::ostream& err, int total, bool terminal)
    : err_(err), total_(total), terminal_(terminal) {}

void Progress::Step(const std::string& what) {
    ++done_;
    if (!terminal_) return;
    constexpr int kWidth = 30;
    const int filled = total_ > 0 ? done_ * kWidth / total_ : kWidth;
    err_ << "\r[" << std::string(static_cast<std::size_t>(filled), '#')
         << std::string(static_cast<std::size_t>(kWidth - filled), '.') << "] " << done_ << "/"
         << total_ << " " << what << "\x1b[K" << std::flush;
}

Progress::~Progress() {
    if (terminal_ && done_ > 0) err_ << "\n";
}

std::string JsonString(const std::string& s) {
    std::string out = "\"";
    for (const char c : s) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", u);
            out += buf;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string HtmlText(const std::string& s) {
    std::string out;
    for (const char c : s) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            default: out += c;
        }
    }
    return out;
}

}  // namespace sheenwork::cli
