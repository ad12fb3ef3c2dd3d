// sheenwork.dll as an in-process COM server: its entry points, the class factory, the
// registration of the class table and the library's own type library.
//
// Registration writes the same class table as everywhere (runtime/registration.h) into
// the real registry: machine-wide under HKEY_LOCAL_MACHINE\Software\Classes when this
// process may write there, otherwise (not elevated) for the user alone under
// HKEY_CURRENT_USER\Software\Classes, which is also what `regsvr32 /n /i:user` asks for
// through DllInstall. Unregistering removes the table from wherever it can.
#include <sheenwork/runtime/library.h>
#include <sheenwork/runtime/registration.h>
#include <sheenwork/system/services.h>

#include <cwchar>
#include <mutex>

#include "platform/host/win32/server.h"

namespace sheenwork::win32 {
namespace {

HMODULE g_module = nullptr;

using system::Hive;

// The class table under one of the two places that make up HKEY_CLASSES_ROOT, for as
// long as a registration service runs: writes and deletions of the classes go to that
// place; everything else goes on to the services in place.
class Scope final : public system::ServicesOverlay {
public:
    explicit Scope(Hive hive) : hive_(hive) {}
    void SetRegistryString(Hive hive, const std::string& key, const std::string& value,
                           const std::string& data) override {
        if (hive == Hive::ClassesRoot)
            return Inner().SetRegistryString(hive_, Classes(key), value, data);
        Inner().SetRegistryString(hive, key, value, data);
    }
    void DeleteRegistryTree(Hive hive, const std::string& key) override {
        if (hive == Hive::ClassesRoot) return Inner().DeleteRegistryTree(hive_, Classes(key));
        Inner().DeleteRegistryTree(hive, key);
    }

private:
    static std::string Classes(const std::string& key) { return "Software\\Classes\\" + key; }
    Hive hive_;
};

// Runs a registration service with the class table in one place.
HRESULT InScope(Hive hive, runtime::HResult (*service)(const runtime::LibraryDescription&)) {
    const Scope scope(hive);
    return static_cast<HRESULT>(service(SheenworkLibrary()));
}

// Whether this process may write the machine's classes.
bool MachineWritable() {
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Classes", 0,
                        KEY_CREATE_SUB_KEY | KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return false;
    ::RegCloseKey(key);
    return true;
}

HRESULT Register(bool per_user) {
    return InScope(per_user ? Hive::CurrentUser : Hive::LocalMachine, runtime::RegisterServer);
}

HRESULT Unregister(bool per_user) {
    // The user's own registration goes in any case; the machine's where it may.
    HRESULT result = InScope(Hive::CurrentUser, runtime::UnregisterServer);
    if (!per_user && MachineWritable()) {
        const HRESULT machine = InScope(Hive::LocalMachine, runtime::UnregisterServer);
        if (FAILED(machine)) result = machine;
    }
    return result;
}

class Factory final : public Unknown<IClassFactory> {
public:
    explicit Factory(const runtime::ClassDescription& cls) : cls_(cls) {}

    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        try {
            ComPtr<IUnknown> made = cls_.kind == runtime::ClassKind::Control
                                        ? NewButtonControl(cls_)
                                        : NewAutomationObject(cls_);
            return made->QueryInterface(iid, out);
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        } catch (...) {
            return E_FAIL;
        }
    }
    STDMETHODIMP LockServer(BOOL lock) override {
        if (lock)
            ModuleAddRef();
        else
            ModuleRelease();
        return S_OK;
    }

protected:
    void* Find(REFIID iid) override {
        if (iid == IID_IUnknown || iid == IID_IClassFactory)
            return static_cast<IClassFactory*>(this);
        return nullptr;
    }

private:
    const runtime::ClassDescription& cls_;
};

}  // namespace

HMODULE Module() { return g_module; }

GUID ToGuid(const runtime::Guid& g) {
    GUID out;
    out.Data1 = g.data1;
    out.Data2 = g.data2;
    out.Data3 = g.data3;
    for (int i = 0; i < 8; ++i) out.Data4[i] = g.data4[i];
    return out;
}

runtime::Guid FromGuid(const GUID& g) {
    runtime::Guid out;
    out.data1 = g.Data1;
    out.data2 = g.Data2;
    out.data3 = g.Data3;
    for (int i = 0; i < 8; ++i) out.data4[i] = g.Data4[i];
    return out;
}

ComPtr<ITypeInfo> TypeInfoOf(const GUID& guid) {
    // The type library is read once from the library file and kept.
    static std::mutex mutex;
    static ITypeLib* library = nullptr;
    std::lock_guard lock(mutex);
    if (!library) {
        wchar_t path[MAX_PATH];
        ::GetModuleFileNameW(g_module, path, MAX_PATH);
        if (FAILED(::LoadTypeLibEx(path, REGKIND_NONE, &library))) library = nullptr;
    }
    ComPtr<ITypeInfo> info;
    if (library) library->GetTypeInfoOfGuid(guid, info.put());
    return info;
}

}  // namespace sheenwork::win32

using namespace sheenwork;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        win32::g_module = instance;
        ::DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    const runtime::ClassDescription* cls = SheenworkLibrary().FindClass(win32::FromGuid(clsid));
    if (!cls) return CLASS_E_CLASSNOTAVAILABLE;
    try {
        return win32::Make<win32::Factory, IClassFactory>(*cls)->QueryInterface(iid, out);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

// The library stays while any object, factory or lock of it lives.
STDAPI DllCanUnloadNow() {
    return win32::ModuleCount() == 0 && runtime::CanUnloadNow() == runtime::HResult::Ok ? S_OK
                                                                                        : S_FALSE;
}

STDAPI DllRegisterServer() { return win32::Register(!win32::MachineWritable()); }

STDAPI DllUnregisterServer() { return win32::Unregister(!win32::MachineWritable()); }

// regsvr32 /i:user (with /n: alone) registers for the current user only, /u /i:user
// unregisters that.
STDAPI DllInstall(BOOL install, LPCWSTR command) {
    const bool per_user = command && _wcsicmp(command, L"user") == 0;
    if (command && *command && !per_user) return E_INVALIDARG;
    const bool user = per_user || !win32::MachineWritable();
    return install ? win32::Register(user) : win32::Unregister(user);
}
