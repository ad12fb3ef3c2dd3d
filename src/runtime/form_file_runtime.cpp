// Between form files and the runtime: a description made live, and a live form described.
#include <sheenwork/host/property_bag.h>
#include <sheenwork/runtime/form.h>
#include <sheenwork/runtime/form_file.h>
#include <sheenwork/vb/stdfont.h>

#include <stdexcept>

namespace sheenwork::runtime {
namespace {

// A control gets fonts of its own: a description may be loaded more than once.
vb::Variant Copied(const vb::Variant& v) {
    if (const auto* o = std::get_if<vb::Object>(&v))
        if (const auto font = o->As<vb::StdFont>()) return vb::Variant(vb::Object(font->Clone()));
    return v;
}

Window& Named(Form& form, const std::string& name) {
    Window* w = form.Find(name);
    if (!w) throw std::invalid_argument("the form has no control named " + name);
    return *w;
}

}  // namespace

Form& LoadForm(Runtime& runtime, const FormFile& file) {
    if (runtime.FindForm(file.name))
        throw std::invalid_argument("the runtime already has a form named " + file.name);
    // Sizes of 0 are the file's to keep (a control it left without Width or Height): the
    // form and its controls are made as they were saved, past the checks of CreateForm
    // and Add. Negative sizes never come from a file, and the reader bounds the rest.
    Form& form = runtime.NewForm(file.name, RectOf(file.position, file.size));
    try {
        // The container's settings first: each control takes its font and colour as the
        // defaults of its own while it reads its bag.
        form.Caption(file.caption);
        form.BackColor(file.back_color);
        if (file.font) form.Font(file.font->Clone());
        for (const ControlDescription& c : file.controls) {
            Window& w = form.Create(c.class_name, c.name, RectOf(c.position, c.size), false);
            w.TabIndex(c.tab_index);
            host::MemoryPropertyBag bag;
            // Against no default, so that the bag keeps every entry the file holds.
            for (const FormFileProperty& p : c.properties)
                bag.WriteProperty(p.key, Copied(p.value), vb::Variant());
            const Held keep = Hold(w);
            keep->Control()->ReadProperties(bag);
        }
        if (!file.default_button.empty()) form.DefaultButton(&Named(form, file.default_button));
        if (!file.cancel_button.empty()) form.CancelButton(&Named(form, file.cancel_button));
    } catch (...) {
        runtime.DestroyForm(form);
        throw;
    }
    return form;
}

FormFile DescribeForm(const Form& form) {
    FormFile out;
    out.name = form.Name();
    out.caption = form.Caption();
    out.position = PositionOf(form.ScreenRect());
    out.size = SizeOf(form.ScreenRect());
    out.back_color = form.BackColor();
    if (form.Font()) out.font = form.Font()->Clone();
    if (const Window* w = form.DefaultButton()) out.default_button = w->Name();
    if (const Window* w = form.CancelButton()) out.cancel_button = w->Name();
    for (Window* w : form.Windows()) {
        ControlDescription c;
        c.class_name = w->ClassName();
        c.name = w->Name();
        c.position = PositionOf(w->Rect());
        c.size = SizeOf(w->Rect());
        c.tab_index = w->TabIndex();
        host::MemoryPropertyBag bag;
        if (w->Control()) {
            const Held keep = Hold(*w);
            keep->Control()->WriteProperties(bag);
        }
        for (const auto& e : bag.Entries()) c.properties.push_back({e.key, Copied(e.value)});
        out.controls.push_back(std::move(c));
    }
    return out;
}

void SaveForm(const Form& form, const std::filesystem::path& path, FileOps& ops) {
    WriteFormFile(DescribeForm(form), path, ops);
}

}  // namespace sheenwork::runtime
