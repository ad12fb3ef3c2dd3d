// A list control as the host's late binding sees one: ListCount, List(i) and AddItem, for
// the list routines' tests.
#pragma once

#include <sheenwork/vb/error.h>
#include <sheenwork/vb/variant.h>

#include <string>
#include <vector>

namespace sheenwork::testing {

class ListBox final : public vb::Dispatch {
public:
    std::vector<std::string> items;
    vb::Variant Invoke(const std::string& name, vb::InvokeKind,
                       std::vector<vb::Variant>& args) override {
        if (name == "ListCount") return vb::Variant(static_cast<vb::Integer>(items.size()));
        if (name == "List")
            return vb::Variant(items.at(static_cast<std::size_t>(vb::CInt(args.at(0)))));
        if (name == "AddItem") {
            items.push_back(vb::CStr(args.at(0)));
            return {};
        }
        vb::Raise(438);
    }
};

}  // namespace sheenwork::testing
