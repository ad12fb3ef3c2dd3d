// A property bag in memory that logs the keys read and the writes, in order.
#pragma once

#include <sheenwork/host/property_bag.h>

#include <string>
#include <vector>

namespace sheenwork::testing {

struct RecordingBag final : host::PropertyBag {
    struct Write {
        std::string key;
        vb::Variant value, def;
    };
    host::MemoryPropertyBag stored;
    std::vector<std::string> reads;
    std::vector<Write> writes;

    vb::Variant ReadProperty(const std::string& key, const vb::Variant& def) override {
        reads.push_back(key);
        return stored.ReadProperty(key, def);
    }
    void WriteProperty(const std::string& key, const vb::Variant& value,
                       const vb::Variant& def) override {
        writes.push_back({key, value, def});
        stored.WriteProperty(key, value, def);
    }
    std::vector<std::string> Written() const {
        std::vector<std::string> out;
        for (const auto& w : writes) out.push_back(w.key);
        return out;
    }
    Write Find(const std::string& key) const {
        for (const auto& w : writes)
            if (w.key == key) return w;
        return {};
    }
};

}  // namespace sheenwork::testing
