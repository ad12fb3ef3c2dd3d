#include "support/logging_control.h"

#include <sheenwork/runtime/controls.h>
#include <sheenwork/vb/error.h>

#include "support/numbers.h"

namespace sheenwork::testing {
namespace {

class LoggingControl final : public runtime::ControlNotifications {
public:
    LoggingControl(std::shared_ptr<NotificationLog> log, host::ControlSite& site, std::string keys)
        : log_(std::move(log)), site_(site), keys_(std::move(keys)) {}

    void InitProperties() override {
        Add("InitProperties");
        if (!keys_.empty()) site_.SurfaceAccessKeys(keys_);
    }
    void AmbientChanged(const std::string& name) override {
        Add("AmbientChanged " + name + " " +
            (site_.AmbientDisplayAsDefault() ? "default" : "not-default"));
    }
    void Paint() override { Add("Paint"); }
    void Resize() override { Add("Resize"); }
    void MouseDown(int b, int s, float x, float y) override {
        Add("MouseDown", b, s, x, y);
        Misbehave("MouseDown");
    }
    void MouseMove(int b, int s, float x, float y) override { Add("MouseMove", b, s, x, y); }
    void MouseUp(int b, int s, float x, float y) override { Add("MouseUp", b, s, x, y); }
    void Click() override {
        Add("Click");
        Misbehave("Click");
    }
    void KeyDown(int& key, int shift) override { Add("KeyDown", key, shift); }
    void KeyPress(int& ascii) override { Add("KeyPress", ascii); }
    void KeyUp(int& key, int shift) override { Add("KeyUp", key, shift); }
    void GotFocus() override { Add("GotFocus"); }
    void LostFocus() override { Add("LostFocus"); }
    void AccessKeyPress(int ascii) override { Add("AccessKeyPress", ascii); }
    void Timer(const std::string& name) override {
        std::string at;
        if (log_->clock) at = " @" + std::to_string(log_->clock->Now().count());
        Add("Timer " + name + at);
        Misbehave("Timer");
    }
    void ReadProperties(host::PropertyBag&) override { Add("ReadProperties"); }
    void WriteProperties(host::PropertyBag&) override { Add("WriteProperties"); }
    std::shared_ptr<runtime::Object> Instance() override { return nullptr; }

private:
    // A control named "<what>Kills<When>" removes its own window ("Self") or destroys its
    // form ("Form") in the handler of <When>, and then goes on using its site.
    void Misbehave(const std::string& when) {
        const std::string name = site_.ExtenderName();
        if (name.size() < when.size() ||
            name.compare(name.size() - when.size(), when.size(), when) != 0)
            return;
        runtime::Form& form =
            *static_cast<runtime::Form*>(site_.Parent().As<runtime::Form>().get());
        if (name.rfind("SelfKills", 0) == 0) form.Remove(*form.Find(name));
        if (name.rfind("FormKills", 0) == 0) form.Owner().DestroyForm(form);
        site_.Surface().Cls();
        site_.tmrMouseInEnabled(vb::True);
        Add("after " + when);
    }
    // Logs "<name> <what> <numbers>", each number without trailing zeros.
    template <typename... Numbers>
    void Add(const std::string& what, Numbers... numbers) {
        log_->entries.push_back(site_.ExtenderName() + " " + what);
        ((log_->entries.back() += " " + Trimmed(numbers)), ...);
        if (log_->on_entry) log_->on_entry(log_->entries.back());
    }
    std::shared_ptr<NotificationLog> log_;
    host::ControlSite& site_;
    std::string keys_;
};

}  // namespace

runtime::ControlFactory LoggingFactory(std::shared_ptr<NotificationLog> log,
                                       std::vector<std::string> access_keys) {
    return [log, access_keys, linked = runtime::LinkedControls()](
               const std::string& class_name, host::ControlSite& site) -> runtime::CreatedControl {
        if (class_name.rfind("Test.", 0) != 0) return linked(class_name, site);
        if (class_name != "Test.Logger" && class_name != "Test.Button") return {};
        std::string keys;
        const std::string name = site.ExtenderName() + "=";
        for (const auto& k : access_keys)
            if (k.rfind(name, 0) == 0) keys = k.substr(name.size());
        return {std::make_shared<LoggingControl>(log, site, keys),
                class_name == "Test.Button" ? runtime::OLEMISC_ACTSLIKEBUTTON : 0u};
    };
}

}  // namespace sheenwork::testing
