#include <sheenwork/runtime/description.h>

namespace sheenwork::runtime {

std::string LibraryDescription::Version() const {
    return std::to_string(major) + "." + std::to_string(minor);
}

std::string LibraryDescription::ProgId(const ClassDescription& cls) const {
    return std::string(name) + "." + cls.name;
}

const ClassDescription* LibraryDescription::FindClass(const Guid& clsid) const {
    for (const auto& c : classes)
        if (c.clsid == clsid) return &c;
    return nullptr;
}

const ClassDescription* LibraryDescription::FindClass(std::string_view class_name) const {
    for (const auto& c : classes)
        if (class_name == c.name) return &c;
    return nullptr;
}

const BitmapResource* LibraryDescription::FindBitmap(int id) const {
    for (const auto& b : bitmaps)
        if (b.id == id) return &b;
    return nullptr;
}

}  // namespace sheenwork::runtime
