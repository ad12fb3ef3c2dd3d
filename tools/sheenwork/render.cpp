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

namespace sheenwork::cli {
namespace {

// --at NAME:STATE brings one control into a state as a user would.
std::string StateScript(const std::string& at) {
    const auto colon = at.find(':');
    if (colon == std::string::npos || colon == 0)
        throw UsageError{"--at takes NAME:STATE, not '" + at + "'"};
    const std::string name = at.substr(0, colon), state = at.substr(colon + 1);
    const std::string hover = "move " + name + " 20 8\nwait 10\nmove " + name + " 21 8\n";
    if (state == "hover") return hover;
    if (state == "pressed") return hover + "press\n";
    if (state == "focus") return "focus " + name + "\n";
    if (state == "rest") return "";
    throw UsageError{"--at: the states are rest, hover, pressed and focus, not '" + state + "'"};
}

}  // namespace

int Render(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::string form_path, output, script_path;
    std::vector<std::string> states;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool has_value = i + 1 < args.size();
        if ((a == "-o" || a == "--output") && has_value)
            output = args[++i];
        else if (a == "--script" && has_value)
            script_path = args[++i];
        else if (a == "--at" && has_value)
            states.push_back(StateScript(args[++i]));
        else if (!a.empty() && a[0] != '-' && form_path.empty())
            form_path = a;
        else
            throw UsageError{"render: unexpected '" + a + "'"};
    }
    if (form_path.empty() || output.empty()) throw UsageError{"render needs FORM and -o OUT.png"};
    try {
        const runtime::FormFile file = runtime::ReadFormFile(form_path);
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
            err << "sheenwork: " << box.title << ": " << box.text << "\n";
        out << output << "\n";
        return rt.MessageBoxes().empty() ? kOk : kBadInput;
    } catch (const UsageError&) {
        throw;
    } catch (const std::exception& e) {
        err << e.what() << (std::string(e.what()).ends_with("\n") ? "" : "\n");
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
        const runtime::FormFile file = runtime::ReadFormFile(path, options);
        // Read cleanly: the controls must also take what the file gives them.
        runtime::VirtualClock clock;
        auto gdi = gdi::MakePlatformGdi();
        runtime::Runtime rt(clock, *gdi, runtime::LinkedControls());
        rt.OnMessageBox([](const runtime::MessageBoxRequest&) { return 1; });
        runtime::LoadForm(rt, file);
        for (const auto& box : rt.MessageBoxes()) {
            std::string text = box.text;
            for (std::size_t at; (at = text.find("\r\n")) != std::string::npos;)
                text.replace(at, 2, "; ");
            err << path << ": a control refused a value: " << text << "\n";
        }
        if (!rt.MessageBoxes().empty()) return kBadInput;
        // Texts reach the screen and the system through the ANSI code page, where a
        // character it does not have becomes "?": a warning, not a problem.
        const auto warn = [&](const std::string& where, const std::string& text) {
            if (vb::FromAnsi(vb::ToAnsi(text)) != text)
                err << path << ": warning: " << where
                    << ": characters outside Windows-1252 become \"?\"\n";
        };
        warn("the form's Caption", file.caption);
        for (const runtime::ControlDescription& c : file.controls)
            for (const runtime::FormFileProperty& p : c.properties)
                if (const auto* text = std::get_if<std::string>(&p.value))
                    warn(c.name + "." + p.key, *text);
        out << path << ": ok, " << file.controls.size() << " control"
            << (file.controls.size() == 1 ? "" : "s") << "\n";
        return kOk;
    } catch (const runtime::FormFileError& e) {
        for (const auto& problem : e.Problems()) err << problem.Text() << "\n";
        return kBadInput;
    } catch (const std::exception& e) {
        err << path << ": " << e.what() << "\n";
        return kBadInput;
    }
}

}  // namespace sheenwork::cli
