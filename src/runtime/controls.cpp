#include <sheenwork/control/sheenButton.h>
#include <sheenwork/runtime/controls.h>
#include <sheenwork/runtime/library.h>

#include <stdexcept>

namespace sheenwork::runtime {
namespace {

// A sheenButton as the runtime hosts it: each notification goes to the handler of the
// same name, with the host's variables handed in by reference.
class ButtonNotifications final : public ControlNotifications {
public:
    ButtonNotifications(std::shared_ptr<Object> object, std::shared_ptr<sheenButton> button)
        : object_(std::move(object)), button_(std::move(button)) {}

    void InitProperties() override { button_->UserControl_InitProperties(); }
    void ReadProperties(host::PropertyBag& bag) override {
        button_->UserControl_ReadProperties(bag);
    }
    void WriteProperties(host::PropertyBag& bag) override {
        button_->UserControl_WriteProperties(bag);
    }
    void AmbientChanged(const std::string& name) override {
        button_->UserControl_AmbientChanged(name);
    }
    void Paint() override { button_->UserControl_Paint(); }
    void Resize() override { button_->UserControl_Resize(); }
    void MouseDown(int button, int shift, float x, float y) override {
        vb::Integer b = Int(button), s = Int(shift);
        button_->UserControl_MouseDown(b, s, x, y);
    }
    void MouseMove(int button, int shift, float x, float y) override {
        vb::Integer b = Int(button), s = Int(shift);
        button_->UserControl_MouseMove(b, s, x, y);
    }
    void MouseUp(int button, int shift, float x, float y) override {
        vb::Integer b = Int(button), s = Int(shift);
        button_->UserControl_MouseUp(b, s, x, y);
    }
    void Click() override { button_->UserControl_Click(); }
    void KeyDown(int& key_code, int shift) override {
        vb::Integer k = Int(key_code), s = Int(shift);
        button_->UserControl_KeyDown(k, s);
        key_code = k;
    }
    void KeyPress(int& key_ascii) override {
        vb::Integer k = Int(key_ascii);
        button_->UserControl_KeyPress(k);
        key_ascii = k;
    }
    void KeyUp(int& key_code, int shift) override {
        vb::Integer k = Int(key_code), s = Int(shift);
        button_->UserControl_KeyUp(k, s);
        key_code = k;
    }
    void GotFocus() override { button_->UserControl_GotFocus(); }
    void LostFocus() override { button_->UserControl_LostFocus(); }
    void AccessKeyPress(int key_ascii) override {
        vb::Integer k = Int(key_ascii);
        button_->UserControl_AccessKeyPress(k);
    }
    void Timer(const std::string& name) override {
        if (name == "tmrMouseIn") button_->tmrMouseIn_Timer();
    }
    std::shared_ptr<Object> Instance() override { return object_; }

private:
    static vb::Integer Int(int v) { return static_cast<vb::Integer>(v); }
    std::shared_ptr<Object> object_;
    std::shared_ptr<sheenButton> button_;
};

// "Sheenwork.sheenButton" -> the class "sheenButton" of the library "Sheenwork".
const ClassDescription* LinkedClass(const std::string& prog_id) {
    const LibraryDescription& library = SheenworkLibrary();
    const std::string prefix = std::string(library.name) + ".";
    if (prog_id.rfind(prefix, 0) != 0) return nullptr;
    return library.FindClass(std::string_view(prog_id).substr(prefix.size()));
}

CreatedControl Hosted(std::shared_ptr<Object> object) {
    if (!object) return {};
    auto notifications = HostNotifications(object);
    if (!notifications) return {};
    return {std::move(notifications), object->Class().misc_status};
}

}  // namespace

std::shared_ptr<ControlNotifications> HostNotifications(std::shared_ptr<Object> object) {
    if (!object) return nullptr;
    if (auto button = object->Native<sheenButton>())
        return std::make_shared<ButtonNotifications>(object, std::move(button));
    return nullptr;
}

ControlFactory LinkedControls() {
    return [](const std::string& class_name, host::ControlSite& site) -> CreatedControl {
        const ClassDescription* cls = LinkedClass(class_name);
        if (!cls || cls->kind != ClassKind::Control) return {};
        void* made = nullptr;
        if (GetClassObject(SheenworkLibrary(), &cls->clsid, &kClassFactoryIid, &made) !=
            HResult::Ok)
            return {};
        const std::unique_ptr<ClassFactory> factory(static_cast<ClassFactory*>(made));
        Created created = factory->CreateInstance(&site);
        if (created.result != HResult::Ok) throw std::runtime_error(created.error);
        return Hosted(std::move(created.object));
    };
}

ControlFactory RegisteredControls() {
    return [](const std::string& class_name, host::ControlSite& site) -> CreatedControl {
        Created created = CreateObject(class_name, &site);
        if (created.result == HResult::ClassNotRegistered) return {};
        if (created.result != HResult::Ok) throw std::runtime_error(created.error);
        return Hosted(std::move(created.object));
    };
}

}  // namespace sheenwork::runtime
