#include <sheenwork/host/property_bag.h>

#include <algorithm>
#include <optional>

namespace sheenwork::host {
namespace {

std::optional<vb::Double> Number(const vb::Variant& v) {
    if (const auto* b = std::get_if<vb::Boolean>(&v)) return b->Bits();
    if (const auto* i = std::get_if<vb::Integer>(&v)) return *i;
    if (const auto* l = std::get_if<vb::Long>(&v)) return *l;
    if (const auto* s = std::get_if<vb::Single>(&v)) return *s;
    if (const auto* d = std::get_if<vb::Double>(&v)) return *d;
    return std::nullopt;
}

}  // namespace

bool EqualsDefault(const vb::Variant& value, const vb::Variant& default_value) {
    // A Long 0 written against an Integer 0 default is the same saved state: compare
    // numbers as numbers, not as the types that happen to carry them. Anything else is
    // equal only as the same kind of value (a number never equals a string).
    const auto a = Number(value), b = Number(default_value);
    if (a && b) return *a == *b;
    return value == default_value;
}

vb::Variant MemoryPropertyBag::ReadProperty(const std::string& key,
                                            const vb::Variant& default_value) {
    const auto it = std::find_if(entries_.begin(), entries_.end(),
                                 [&](const Entry& e) { return e.key == key; });
    return it == entries_.end() ? default_value : it->value;
}

void MemoryPropertyBag::WriteProperty(const std::string& key, const vb::Variant& value,
                                      const vb::Variant& default_value) {
    const auto it = std::find_if(entries_.begin(), entries_.end(),
                                 [&](const Entry& e) { return e.key == key; });
    if (EqualsDefault(value, default_value)) {
        // An older value under the key would otherwise be read back instead of the default.
        if (it != entries_.end()) entries_.erase(it);
    } else if (it != entries_.end()) {
        it->value = value;
    } else {
        entries_.push_back({key, value});
    }
}

}  // namespace sheenwork::host
