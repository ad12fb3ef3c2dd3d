// The runtime's registration and class-factory services, behind a component library's
// four entry points, and the creation of objects by class name as a host does it.
//
// Registration records each class under HKEY_CLASSES_ROOT of the platform's registry:
//   <ProgID>                          = class name
//   <ProgID>\CLSID                    = {clsid}
//   CLSID\{clsid}                     = ProgID
//   CLSID\{clsid}\InprocServer32      = the library file; ThreadingModel = Apartment
//   CLSID\{clsid}\ProgID              = ProgID
//   CLSID\{clsid}\TypeLib             = {libid}
//   CLSID\{clsid}\Version             = major.minor
// and for a control also
//   CLSID\{clsid}\Control             (a marker, empty)
//   CLSID\{clsid}\MiscStatus          = 0; MiscStatus\1 = its OLEMISC flags in decimal
//   CLSID\{clsid}\ToolboxBitmap32     = <library file>,<bitmap resource id>
// then each interface under Interface\{iid} (its name, TypeLib = {libid} with Version)
// and the type library under TypeLib\{libid}\<version> (name, 0\linux = the library
// file, FLAGS, HELPDIR). Unregistering deletes exactly these trees.
#pragma once

#include <sheenwork/runtime/description.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace sheenwork::runtime {

// HRESULT-like results of the entry points and services.
enum class HResult : std::int32_t {
    Ok = 0,                                                       // S_OK
    False = 1,                                                    // S_FALSE
    NoInterface = static_cast<std::int32_t>(0x80004002u),         // E_NOINTERFACE
    Pointer = static_cast<std::int32_t>(0x80004003u),             // E_POINTER
    Fail = static_cast<std::int32_t>(0x80004005u),                // E_FAIL
    OutOfMemory = static_cast<std::int32_t>(0x8007000Eu),         // E_OUTOFMEMORY
    InvalidArg = static_cast<std::int32_t>(0x80070057u),          // E_INVALIDARG
    ClassNotAvailable = static_cast<std::int32_t>(0x80040111u),   // CLASS_E_CLASSNOTAVAILABLE
    ClassNotRegistered = static_cast<std::int32_t>(0x80040154u),  // REGDB_E_CLASSNOTREG
    DllNotFound = static_cast<std::int32_t>(0x800401F8u),         // CO_E_DLLNOTFOUND
    ErrorInDll = static_cast<std::int32_t>(0x800401F9u),          // CO_E_ERRORINDLL
    SelfRegClass = static_cast<std::int32_t>(0x80040201u),        // SELFREG_E_CLASS
};

// The interface a class factory is asked for from DllGetClassObject.
inline constexpr Guid kClassFactoryIid{
    0xA67BAF38, 0x0755, 0x4088, {0xB8, 0x39, 0xBB, 0x01, 0x99, 0xB6, 0x91, 0xBA}};

// The outcome of creating an object: the object, or the result and a sentence saying
// what went wrong.
struct Created {
    HResult result = HResult::Ok;
    std::string error;
    std::shared_ptr<Object> object;
};

// Makes the instances of one class. The caller owns it; a live factory keeps the
// library that made it loaded.
class ClassFactory {
public:
    virtual ~ClassFactory();
    ClassFactory(const ClassFactory&) = delete;
    ClassFactory& operator=(const ClassFactory&) = delete;

    virtual const ClassDescription& Class() const noexcept = 0;
    // A new instance. A class with OLEMISC_SETCLIENTSITEFIRST (a control) is created on
    // `site`, which must outlive it; without one the creation fails.
    virtual Created CreateInstance(host::ControlSite* site) noexcept = 0;

protected:
    ClassFactory() noexcept;
};

// One registry value that registration writes under HKEY_CLASSES_ROOT ("" names a key's
// default value).
struct RegistryValue {
    std::string key, value, data;
    friend bool operator==(const RegistryValue&, const RegistryValue&) = default;
};

// Everything registering `library` from the file `library_path` records, in order.
std::vector<RegistryValue> RegistrationValues(const LibraryDescription& library,
                                              const std::string& library_path);
// The keys whose trees hold all of it.
std::vector<std::string> RegistrationKeys(const LibraryDescription& library);

// The services behind the entry points. Registration writes through the process's
// system services, with the library file they name; a failure part-way removes what was
// written and gives SelfRegClass.
HResult RegisterServer(const LibraryDescription& library) noexcept;
HResult UnregisterServer(const LibraryDescription& library) noexcept;
// A new ClassFactory* in *factory for the class `clsid`, when `iid` is kClassFactoryIid.
HResult GetClassObject(const LibraryDescription& library, const Guid* clsid, const Guid* iid,
                       void** factory) noexcept;
// Ok when no object or factory made by this library is alive, else False.
HResult CanUnloadNow() noexcept;

// The shapes of the entry points, for hosts that look them up in a loaded library.
using DllRegisterServerFn = std::int32_t (*)();
using DllUnregisterServerFn = std::int32_t (*)();
using DllGetClassObjectFn = std::int32_t (*)(const Guid* clsid, const Guid* iid, void** factory);
using DllCanUnloadNowFn = std::int32_t (*)();

// Creates the class registered as `prog_id`, as a host does: the registry names its
// class identifier and library file; the library already in this process serves it
// directly, another file is loaded (and stays loaded) and asked through its
// DllGetClassObject.
Created CreateObject(std::string_view prog_id, host::ControlSite* site = nullptr) noexcept;

}  // namespace sheenwork::runtime
