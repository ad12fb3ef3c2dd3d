// sheenwork render and sheenwork check: a form file to a picture, optionally after a
// scripted interaction, and a form file's problems.
#include <sheenwork/control/sheenButton.h>
#include <sheenwork/runtime/controls.h>
#include <sheenwork/runtime/form_file.h>
#include <sheenwork/runtime/script.h>
#include <sheenwork/vb/ansi.h>

#include <ostream>

#include "cli.h"
#include "png_io.h"
#include "preview.h"
#include "util/ascii.h"
#include "util/shown.h"

namespace sheenwork::cli {
namespace {

// --at NAME:STATE brings one control into a state as a user would.
std::string StateScript(const std::string& at) {
    const auto colon = at.find(':');
    if (colon == std::string::npos || colon == 0)
        throw UsageError{"--at takes NAME:STATE, not '" + util::Shown(at) + "'"};
    const std::string name = at.substr(0, colon), state = at.substr(colon + 1);
    const std::string hover = "move " + name + " 20 8\nwait 10\nmove " + name + " 21 8\n";
    if (state == "hover") return hover;
    if (state == "pressed") return hover + "press\n";
    if (state == "focus") return "focus " + name + "\n";
    if (state == "rest") return "";
    throw UsageError{"--at: the states are rest, hover, pressed and focus, not '" +
                     util::Shown(state) + "'"};
}

// Whether `path` names a PNG file: the picture written is one, and a name that says
// otherwise (out.jpg, out) would mislead whoever opens it.
bool EndsInPng(const std::string& path) { return util::AsciiLower(path).ends_with(".png"); }

// A control's report as one line: its CR LF as "; ", control characters escaped.
std::string OneLine(std::string text) {
    for (std::size_t at; (at = text.find("\r\n")) != std::string::npos;) text.replace(at, 2, "; ");
    return util::Printable(text);
}

}  // namespace

int Render(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::string form_path, output, script_path;
    std::vector<std::string> states;
    bool trace = false, allow_shell = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool has_value = i + 1 < args.size();
        if ((a == "-o" || a == "--output") && has_value)
            output = args[++i];
        else if (a == "--script" && has_value)
            script_path = args[++i];
        else if (a == "--at" && has_value)
            states.push_back(StateScript(args[++i]));
        else if (a == "--trace")
            trace = true;
        else if (a == "--allow-shell")
            allow_shell = true;
        else if (!a.empty() && a[0] != '-' && form_path.empty())
            form_path = a;
        else
            throw UsageError{"render: unexpected '" + util::Shown(a) + "'"};
    }
    if (form_path.empty() || output.empty()) throw UsageError{"render needs FORM and -o OUT.png"};
    if (!EndsInPng(output))
        throw UsageError{"render writes a PNG picture: the output's name must end in .png, not '" +
                         util::Shown(output) + "'"};
    try {
        const runtime::FormFile file = runtime::ReadFormFile(form_path);
        // Before the runtime, which takes the services in place when it starts.
        Preview preview(allow_shell);
        runtime::VirtualClock clock;
        auto gdi = gdi::MakePlatformGdi();
        runtime::Runtime rt(clock, *gdi, runtime::LinkedControls());
        runtime::Form& form = runtime::LoadForm(rt, file);
        runtime::Driver driver(rt, form);
        for (const std::string& s : states) driver.Run(runtime::ParseScript(s, "--at"));
        if (!script_path.empty()) driver.Run(runtime::LoadScript(script_path));
        png::Write(output, png::Image{form.Width(), form.Height(), form.Compose()});
        // What a control reported while it ran (its error boxes) is shown, not lost.
        for (const auto& box : rt.MessageBoxes())
            err << "sheenwork: " << util::Printable(box.title) << ": " << OneLine(box.text) << "\n";
        if (trace)
            for (const std::string& action : preview.Actions()) out << action << "\n";
        out << util::Printable(output) << "\n";
        return rt.MessageBoxes().empty() ? kOk : kBadInput;
    } catch (const UsageError&) {
        throw;
    } catch (const std::exception& e) {
        err << util::Printable(e.what()) << (std::string(e.what()).ends_with("\n") ? "" : "\n");
        return kBadInput;
    }
}

int Check(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.size() != 1 || args[0].empty() || args[0][0] == '-')
        throw UsageError{"check needs exactly one FORM"};
    const std::string& path = args[0];
    try {
        runtime::ReadOptions options;
        options.all_problems = true;
        runtime::FormFile file = runtime::ReadFormFile(path, options);
        // Read cleanly: the controls must also take what the file gives them. Their values
        // do not depend on their size, so each gets the smallest surface, and the check
        // needs no memory for pixels whatever sizes the file gives.
        for (runtime::ControlDescription& c : file.controls) c.size = {1, 1};
        file.size = {1, 1};
        Preview preview(false);
        runtime::VirtualClock clock;
        auto gdi = gdi::MakePlatformGdi();
        runtime::Runtime rt(clock, *gdi, runtime::LinkedControls());
        rt.OnMessageBox([](const runtime::MessageBoxRequest&) { return 1; });
        runtime::LoadForm(rt, file);
        for (const auto& box : rt.MessageBoxes())
            err << util::Printable(path) << ": a control refused a value: " << OneLine(box.text)
                << "\n";
        if (!rt.MessageBoxes().empty()) return kBadInput;
        // Texts reach the screen and the system through the ANSI code page, where a
        // character it does not have becomes "?": a warning, not a problem.
        const auto warn = [&](const std::string& where, const std::string& text) {
            if (vb::FromAnsi(vb::ToAnsi(text)) != text)
                err << util::Printable(path) << ": warning: " << where
                    << ": characters outside Windows-1252 become \"?\"\n";
        };
        warn("the form's Caption", file.caption);
        for (const runtime::ControlDescription& c : file.controls)
            for (const runtime::FormFileProperty& p : c.properties)
                if (const auto* text = std::get_if<std::string>(&p.value))
                    warn(c.name + "." + p.key, *text);
        out << util::Printable(path) << ": ok, " << file.controls.size() << " control"
            << (file.controls.size() == 1 ? "" : "s") << "\n";
        return kOk;
    } catch (const runtime::FormFileError& e) {
        for (const auto& problem : e.Problems()) err << problem.Text() << "\n";
        if (e.More() > 0)
            err << util::Printable(path) << ": … " << e.More() << " more problem"
                << (e.More() == 1 ? "" : "s") << "\n";
        return kBadInput;
    } catch (const std::exception& e) {
        err << util::Printable(path) << ": " << util::Printable(e.what()) << "\n";
        return kBadInput;
    }
}

}  // namespace sheenwork::cli
