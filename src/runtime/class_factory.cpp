// Class factories, the count of live objects that keeps a library loaded, and creation
// by class name through the registry.
#include <sheenwork/runtime/library.h>
#include <sheenwork/runtime/registration.h>
#include <sheenwork/system/services.h>

#include <atomic>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <map>

namespace sheenwork::runtime {
namespace {

// Objects and factories alive that this library made. Every component library has its
// own copy of this counter, as its own DllCanUnloadNow answers for it alone.
std::atomic<long> g_alive{0};

// ": " and what the exception in flight says, when it says anything.
std::string Why() {
    try {
        throw;
    } catch (const std::exception& e) {
        return std::string(": ") + e.what();
    } catch (...) {
        return {};
    }
}

class Factory final : public ClassFactory {
public:
    explicit Factory(const ClassDescription& cls) : cls_(cls) {}

    const ClassDescription& Class() const noexcept override { return cls_; }

    Created CreateInstance(host::ControlSite* site) noexcept override {
        try {
            if ((cls_.misc_status & OLEMISC_SETCLIENTSITEFIRST) && !site)
                return {HResult::InvalidArg,
                        std::string(cls_.name) +
                            " is a control and is created on its site, but no site was given",
                        nullptr};
            return {HResult::Ok, {}, cls_.create(cls_, site)};
        } catch (const std::bad_alloc&) {
            return {HResult::OutOfMemory, "out of memory", nullptr};
        } catch (...) {
            return {HResult::Fail, std::string(cls_.name) + " could not be created" + Why(),
                    nullptr};
        }
    }

private:
    const ClassDescription& cls_;
};

std::string Hex(HResult result) {
    char text[11];
    std::snprintf(text, sizeof text, "0x%08X",
                  static_cast<unsigned>(static_cast<std::uint32_t>(result)));
    return text;
}

bool SameFile(const std::string& a, const std::string& b) {
    if (a == b) return true;
    std::error_code ec;
    return std::filesystem::equivalent(a, b, ec) && !ec;
}

// The DllGetClassObject of the library file at `path`; null with `error` set when it
// cannot be had.
DllGetClassObjectFn LoadedEntryPoint(const std::string& path, Created& error) {
    const system::EntryPoint entry = system::LibraryEntryPoint(path, "DllGetClassObject");
    if (!entry.loaded) {
        error = {HResult::DllNotFound, "cannot load " + path + ": " + entry.error, nullptr};
        return nullptr;
    }
    if (!entry.function) error = {HResult::ErrorInDll, path + " has no DllGetClassObject", nullptr};
    return reinterpret_cast<DllGetClassObjectFn>(entry.function);
}

// This library's own factories, as its DllGetClassObject hands them out.
std::int32_t OwnClassObject(const Guid* clsid, const Guid* iid, void** factory) {
    return static_cast<std::int32_t>(GetClassObject(SheenworkLibrary(), clsid, iid, factory));
}

}  // namespace

Object::Object() noexcept { ++g_alive; }
Object::~Object() { --g_alive; }
ClassFactory::ClassFactory() noexcept { ++g_alive; }
ClassFactory::~ClassFactory() { --g_alive; }

HResult GetClassObject(const LibraryDescription& library, const Guid* clsid, const Guid* iid,
                       void** factory) noexcept {
    if (!factory) return HResult::Pointer;
    *factory = nullptr;
    if (!clsid || !iid) return HResult::Pointer;
    const ClassDescription* cls = library.FindClass(*clsid);
    if (!cls) return HResult::ClassNotAvailable;
    if (!(*iid == kClassFactoryIid)) return HResult::NoInterface;
    try {
        *factory = static_cast<ClassFactory*>(new Factory(*cls));
        return HResult::Ok;
    } catch (...) {
        return HResult::OutOfMemory;
    }
}

HResult CanUnloadNow() noexcept { return g_alive == 0 ? HResult::Ok : HResult::False; }

Created CreateObject(std::string_view prog_id, host::ControlSite* site) noexcept {
    try {
        auto& services = system::Current();
        const std::string name(prog_id);
        const auto clsid_text =
            services.RegistryString(system::Hive::ClassesRoot, name + "\\CLSID", "");
        const auto clsid = Guid::Parse(clsid_text.value_or(""));
        if (!clsid) return {HResult::ClassNotRegistered, name + " is not registered", nullptr};
        const auto path = services.RegistryString(
            system::Hive::ClassesRoot, "CLSID\\" + clsid->ToString() + "\\InprocServer32", "");
        if (!path || path->empty())
            return {HResult::ClassNotRegistered, name + " has no library registered", nullptr};

        Created failure;
        const DllGetClassObjectFn get_class_object = SameFile(*path, services.LibraryPath())
                                                         ? &OwnClassObject
                                                         : LoadedEntryPoint(*path, failure);
        if (!get_class_object) return failure;
        void* raw = nullptr;
        const auto result =
            static_cast<HResult>(get_class_object(&*clsid, &kClassFactoryIid, &raw));
        if (result != HResult::Ok)
            return {result, *path + " gives no factory for " + name + " (" + Hex(result) + ")",
                    nullptr};
        // A library that reports success without a factory is not taken at its word.
        if (!raw) return {HResult::Fail, *path + " gave an empty factory for " + name, nullptr};
        const std::unique_ptr<ClassFactory> factory(static_cast<ClassFactory*>(raw));
        return factory->CreateInstance(site);
    } catch (...) {
        // The host's own services may fail in any way; the host hears it as a result.
        return {HResult::Fail, std::string(prog_id) + " could not be created" + Why(), nullptr};
    }
}

}  // namespace sheenwork::runtime
