// Registration: what a library records in the registry so that hosts find its classes,
// their library file, their toolbox pictures and its type library.
#include <sheenwork/runtime/registration.h>
#include <sheenwork/system/services.h>

#include <filesystem>

namespace sheenwork::runtime {
namespace {

using system::Hive;

std::string ClassKey(const ClassDescription& cls) { return "CLSID\\" + cls.clsid.ToString(); }
std::string InterfaceKey(const InterfaceDescription& itf) {
    return "Interface\\" + itf.iid.ToString();
}
std::string TypeLibKey(const LibraryDescription& library) {
    return "TypeLib\\" + library.libid.ToString() + "\\" + library.Version();
}

// The interfaces the library's classes publish, each once.
std::vector<const InterfaceDescription*> Interfaces(const LibraryDescription& library) {
    std::vector<const InterfaceDescription*> out;
    for (const auto& c : library.classes)
        for (const auto* itf : {&c.default_interface, &c.event_interface})
            if (*itf->name) out.push_back(itf);
    return out;
}

}  // namespace

std::vector<RegistryValue> RegistrationValues(const LibraryDescription& library,
                                              const std::string& library_path) {
    const std::string libid = library.libid.ToString(), version = library.Version();
    std::vector<RegistryValue> v;
    for (const auto& c : library.classes) {
        const std::string prog_id = library.ProgId(c), key = ClassKey(c);
        v.push_back({prog_id, "", c.name});
        v.push_back({prog_id + "\\CLSID", "", c.clsid.ToString()});
        v.push_back({key, "", prog_id});
        v.push_back({key + "\\InprocServer32", "", library_path});
        // Like the controls of the platform, the objects live on the host's user
        // interface thread.
        v.push_back({key + "\\InprocServer32", "ThreadingModel", "Apartment"});
        v.push_back({key + "\\ProgID", "", prog_id});
        v.push_back({key + "\\TypeLib", "", libid});
        v.push_back({key + "\\Version", "", version});
        if (c.kind != ClassKind::Control) continue;
        v.push_back({key + "\\Control", "", ""});
        // The flags for the content aspect (DVASPECT_CONTENT = 1), none for the others.
        v.push_back({key + "\\MiscStatus", "", "0"});
        v.push_back({key + "\\MiscStatus\\1", "", std::to_string(c.misc_status)});
        v.push_back(
            {key + "\\ToolboxBitmap32", "", library_path + "," + std::to_string(c.toolbox_bitmap)});
    }
    const system::RegistryPlatform platform = system::Platform();
    for (const auto* itf : Interfaces(library)) {
        v.push_back({InterfaceKey(*itf), "", itf->name});
        // Dispatch interfaces reach other apartments through the platform's marshaller.
        if (*platform.dispatch_proxy) {
            v.push_back({InterfaceKey(*itf) + "\\ProxyStubClsid", "", platform.dispatch_proxy});
            v.push_back({InterfaceKey(*itf) + "\\ProxyStubClsid32", "", platform.dispatch_proxy});
        }
        v.push_back({InterfaceKey(*itf) + "\\TypeLib", "", libid});
        v.push_back({InterfaceKey(*itf) + "\\TypeLib", "Version", version});
    }
    // The type library lives in the library file itself.
    const std::string typelib = TypeLibKey(library);
    v.push_back({typelib, "", library.name});
    v.push_back({typelib + "\\0\\" + platform.typelib_platform, "", library_path});
    v.push_back({typelib + "\\FLAGS", "", "0"});
    v.push_back(
        {typelib + "\\HELPDIR", "", std::filesystem::path(library_path).parent_path().string()});
    return v;
}

std::vector<std::string> RegistrationKeys(const LibraryDescription& library) {
    std::vector<std::string> keys;
    for (const auto& c : library.classes) {
        keys.push_back(library.ProgId(c));
        keys.push_back(ClassKey(c));
    }
    for (const auto* itf : Interfaces(library)) keys.push_back(InterfaceKey(*itf));
    keys.push_back(TypeLibKey(library));
    return keys;
}

HResult RegisterServer(const LibraryDescription& library) noexcept {
    try {
        auto& services = system::Current();
        const std::string path = services.LibraryPath();
        if (path.empty()) return HResult::SelfRegClass;
        for (const auto& v : RegistrationValues(library, path))
            services.SetRegistryString(Hive::ClassesRoot, v.key, v.value, v.data);
        return HResult::Ok;
    } catch (...) {
        // Half a registration would point hosts at classes they cannot create.
        UnregisterServer(library);
        return HResult::SelfRegClass;
    }
}

HResult UnregisterServer(const LibraryDescription& library) noexcept {
    HResult result = HResult::Ok;
    try {
        auto& services = system::Current();
        for (const auto& key : RegistrationKeys(library)) {
            try {
                services.DeleteRegistryTree(Hive::ClassesRoot, key);
            } catch (...) {
                // The other trees still go.
                result = HResult::SelfRegClass;
            }
        }
    } catch (...) {
        result = HResult::SelfRegClass;
    }
    return result;
}

}  // namespace sheenwork::runtime
