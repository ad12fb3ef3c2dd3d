// The property bag: where the host keeps a control's saved properties between sessions.
//
// The control writes one entry per persisted property when the host saves it and reads
// them back when the host loads it; a new instance reads an empty bag so that every
// property takes its default. How a bag reaches a disk (the form file) is the host's
// business: the control sees only these two operations, each of which may fail with a
// vb::RuntimeError.
#pragma once

#include <sheenwork/vb/variant.h>

#include <string>
#include <vector>

namespace sheenwork::host {

class PropertyBag {
public:
    virtual ~PropertyBag() = default;

    // The value stored under `key`, or `default_value` when there is none.
    virtual vb::Variant ReadProperty(const std::string& key, const vb::Variant& default_value) = 0;

    // Stores `value` under `key`. A bag may leave out a value equal to `default_value`:
    // reading it back gives the default all the same.
    virtual void WriteProperty(const std::string& key, const vb::Variant& value,
                               const vb::Variant& default_value) = 0;
};

// A bag in memory, for hosts and tests: entries in the order they were first written,
// keys compared exactly. A value equal to its default is left out (and an entry already
// under that key removed), so a saved bag holds only what differs from a new instance.
// Objects are kept by reference, as a bag that has not been serialised yet holds them.
class MemoryPropertyBag final : public PropertyBag {
public:
    struct Entry {
        std::string key;
        vb::Variant value;
    };

    vb::Variant ReadProperty(const std::string& key, const vb::Variant& default_value) override;
    void WriteProperty(const std::string& key, const vb::Variant& value,
                       const vb::Variant& default_value) override;

    const std::vector<Entry>& Entries() const noexcept { return entries_; }

private:
    std::vector<Entry> entries_;
};

// Whether a bag may leave out `value` as equal to `default_value`: numbers (Booleans
// included) by their numeric value whatever their type, strings by their text, objects
// when they are the same object, Empty with Empty.
bool EqualsDefault(const vb::Variant& value, const vb::Variant& default_value);

}  // namespace sheenwork::host
