// libFuzzer target: the script reader on any bytes, and every script that reads replayed
// against a form of three buttons (a default, a cancel and a drop-down button with a
// tooltip), as `sheenwork render --script` replays it. A script is read or refused with
// its line and column; a replay ends (its waits are bounded), names only controls of the
// form or is refused, and a click opens nothing. Nothing may crash, leak or trip a
// sanitizer.
#include <sheenwork/control/sheenButton.h>
#include <sheenwork/runtime/controls.h>
#include <sheenwork/runtime/script.h>
#include <sheenwork/system/services.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

using namespace sheenwork;

// The outside world as a preview sees it: nothing is opened or played, no message box
// waits, no log is written.
class NoShell final : public system::ForwardingServices {
public:
    NoShell() : ForwardingServices(Platform()) { system::Install(this); }
    ~NoShell() override { system::Install(nullptr); }
    std::optional<std::string> RegistryString(system::Hive, const std::string&,
                                              const std::string&) override {
        return std::nullopt;
    }
    int MessageBox(const std::string&, const std::string&, int) override { return 1; }
    long ShellExecute(long, const std::string&, const std::string&, const std::string&,
                      const std::string&, int) override {
        return 42;
    }
    bool PlaySound(const std::string&, unsigned) override { return true; }

private:
    static system::Services& Platform() {
        static const auto services = system::MakeDefaultServices();
        return *services;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    runtime::Script script;
    try {
        script = runtime::ParseScript(text, "input.txt");
    } catch (const runtime::ScriptError& e) {
        if (e.Line() < 1 || e.Column() < 1) std::abort();
        return 0;
    }
    static NoShell services;
    runtime::VirtualClock clock;
    auto gdi = gdi::MakeRasterGdi();
    runtime::Runtime rt(clock, *gdi, runtime::LinkedControls());
    runtime::Form& form = rt.CreateForm("frmFuzz", {0, 0}, {240, 80});
    runtime::Window& ok = form.Add("Sheenwork.sheenButton", "cmdOK", {10, 10}, {70, 18});
    runtime::Window& cancel = form.Add("Sheenwork.sheenButton", "cmdCancel", {90, 10}, {70, 18});
    runtime::Window& menu = form.Add("Sheenwork.sheenButton", "cmdMenu", {170, 10}, {60, 18});
    ok.Native<sheenButton>()->Caption("&OK");
    ok.Native<sheenButton>()->URL("https://example.org/");
    cancel.Native<sheenButton>()->Caption("&Cancel");
    menu.Native<sheenButton>()->DropDown(vb::True);
    menu.Native<sheenButton>()->VeloToolTip("More");
    form.DefaultButton(&ok);
    form.CancelButton(&cancel);
    try {
        runtime::Driver(rt, form).Run(script);
    } catch (const runtime::ScriptError& e) {
        // Only a step that names no control of the form is refused while it runs.
        if (e.Message().find("no control named") == std::string::npos) std::abort();
    }
    form.Compose();
    return 0;
}
