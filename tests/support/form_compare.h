// Two loaded forms compared control by control, property by property, as every value a
// control saves: the form file round trips and the .ui conversion both ask whether a form
// came back the same.
#pragma once

#include <sheenwork/control/typelib.h>
#include <sheenwork/runtime/form.h>
#include <sheenwork/vb/stdfont.h>
#include <sheenwork/vb/stdpicture.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace sheenwork::testing {

// Every value a control saves, defaults included, in the order written.
struct EveryValue final : host::PropertyBag {
    std::vector<std::pair<std::string, vb::Variant>> values;
    vb::Variant ReadProperty(const std::string&, const vb::Variant& d) override { return d; }
    void WriteProperty(const std::string& key, const vb::Variant& v, const vb::Variant&) override {
        values.emplace_back(key, v);
    }
};

inline PersistedType TypeOf(const std::string& key) {
    for (const PersistedProperty& p : sheenButtonPersisted())
        if (key == p.key) return p.type;
    ADD_FAILURE() << "no key " << key;
    return PersistedType::String;
}

// "" when equal as the key's type has it: fonts by their attributes, pictures by their
// file and pixels, numbers by value; else what differs.
inline std::string Differs(const std::string& key, const vb::Variant& a, const vb::Variant& b) {
    bool same = false;
    switch (TypeOf(key)) {
        case PersistedType::Font: {
            const auto x = vb::CObj(a).As<vb::StdFont>(), y = vb::CObj(b).As<vb::StdFont>();
            same = x && y && *x == *y;
            break;
        }
        case PersistedType::Picture: {
            const auto x = vb::CObj(a).As<vb::StdPicture>(), y = vb::CObj(b).As<vb::StdPicture>();
            same = (!x && !y) || (x && y && x->SourceFile() == y->SourceFile() &&
                                  x->Pixels() == y->Pixels() && x->Type() == y->Type());
            break;
        }
        case PersistedType::String: same = vb::CStr(a) == vb::CStr(b); break;
        default: same = vb::CDbl(a) == vb::CDbl(b);
    }
    if (same) return "";
    const auto text = [](const vb::Variant& v) {
        return std::holds_alternative<vb::Object>(v) ? std::string("<object>") : vb::CStr(v);
    };
    return key + ": " + text(a) + " against " + text(b);
}

// "" when both forms hold the same controls with the same properties, in the same tab
// order.
inline std::string CompareForms(runtime::Form& a, runtime::Form& b) {
    if (a.Name() != b.Name() || a.Caption() != b.Caption() || a.BackColor() != b.BackColor() ||
        !(*a.Font() == *b.Font()) || a.ScreenRect() != b.ScreenRect())
        return "the forms differ";
    const auto name = [](const runtime::Window* w) { return w ? w->Name() : std::string(); };
    if (name(a.DefaultButton()) != name(b.DefaultButton()) ||
        name(a.CancelButton()) != name(b.CancelButton()))
        return "the default or cancel buttons differ";
    const auto wa = a.Windows(), wb = b.Windows(), ta = a.TabOrder(), tb = b.TabOrder();
    if (wa.size() != wb.size() || ta.size() != tb.size())
        return "the forms hold different numbers of controls";
    for (std::size_t i = 0; i < ta.size(); ++i)
        if (ta[i]->Name() != tb[i]->Name()) return "the tab orders differ";
    for (std::size_t i = 0; i < wa.size(); ++i) {
        if (wa[i]->Name() != wb[i]->Name() || wa[i]->Rect() != wb[i]->Rect() ||
            wa[i]->TabIndex() != wb[i]->TabIndex())
            return wa[i]->Name() + ": placed differently";
        EveryValue x, y;
        wa[i]->Control()->WriteProperties(x);
        wb[i]->Control()->WriteProperties(y);
        if (x.values.size() != y.values.size()) return wa[i]->Name() + ": other keys";
        for (std::size_t k = 0; k < x.values.size(); ++k) {
            if (x.values[k].first != y.values[k].first) return wa[i]->Name() + ": other keys";
            const std::string d =
                Differs(x.values[k].first, x.values[k].second, y.values[k].second);
            if (!d.empty()) return wa[i]->Name() + "." + d;
        }
    }
    return "";
}

}  // namespace sheenwork::testing
