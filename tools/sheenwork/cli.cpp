#include "cli.h"

#include <cstdio>
#include <ostream>

namespace sheenwork::cli {
namespace {

constexpr char kUsageText[] =
    "usage: sheenwork <command> [options]\n"
    "\n"
    "commands:\n"
    "  render FORM -o OUT.png [--script STEPS] [--at NAME:STATE]...\n"
    "                                the form as the screen shows it, after bringing\n"
    "                                controls into a state (rest, hover, pressed, focus)\n"
    "                                and replaying a script of user actions\n"
    "  check FORM                    every problem of a form file, as file:line:column\n"
    "  props [--format text|json]   the members of sheenButton as a property browser lists\n"
    "                                them: name, type, access, default and help string\n"
    "  gallery -o DIR                every look, colour scheme, state and drop-down side,\n"
    "                                with caption and picture, to PNGs and DIR/index.html\n"
    "  convert FORM -o OUT.ui        a form file as a Qt Designer form (sheenwork::qt::Button\n"
    "  convert FORM.ui -o OUT        widgets), and a Designer form back to a form file\n"
    "  run FORM [--scale N] [--trace]\n"
    "                                the form in a window: mouse, keyboard, tooltips and\n"
    "                                message boxes work as in a program; --scale shows\n"
    "                                every pixel N x N (1 to 8); --trace writes what the\n"
    "                                window does and the buttons' events to standard output\n"
    "  run --demo [--scale N] [--trace]\n"
    "                                the built-in demo form: every look, a drop-down menu,\n"
    "                                tooltips, a default and a cancel button, About\n"
    "\n"
    "options:\n"
    "  --help      this text\n"
    "  --version   the version\n"
    "\n"
    "exit codes: 0 done, 1 bad input, 2 wrong command line\n";

}  // namespace

int Main(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, Command run) {
    if (args.empty()) {
        err << kUsageText;
        return kUsage;
    }
    const std::string& command = args[0];
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    try {
        if (command == "--help" || command == "-h" || command == "help") {
            out << kUsageText;
            return kOk;
        }
        if (command == "--version") {
            out << "sheenwork 2.8.0\n";
            return kOk;
        }
        if (command == "props") return Props(rest, out, err);
        if (command == "render") return Render(rest, out, err);
        if (command == "check") return Check(rest, out, err);
        if (command == "gallery") return Gallery(rest, out, err);
        if (command == "convert") return Convert(rest, out, err);
        if (command == "run") return run(rest, out, err);
        throw UsageError{"unknown command '" + command + "'"};
    } catch (const UsageError& e) {
        err << "sheenwork: " << e.message << "\n"
            << "try 'sheenwork --help'\n";
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
