// The Windows system services: the real registry, ShellExecuteA, sndPlaySoundA,
// MessageBoxA, FindFirstFileA, the version and the visual style of the running system,
// GetAsyncKeyState, and outside components created through COM by their ProgID.
#include <sheenwork/system/services.h>
#include <sheenwork/vb/error.h>

#include <map>
#include <stdexcept>
#include <vector>

#include "platform/win32/com.h"
#include "platform/win32/windows_api.h"

namespace sheenwork::system {
namespace {

HKEY Root(Hive hive) {
    switch (hive) {
        case Hive::CurrentUser: return HKEY_CURRENT_USER;
        case Hive::LocalMachine: return HKEY_LOCAL_MACHINE;
        case Hive::ClassesRoot: break;
    }
    return HKEY_CLASSES_ROOT;
}

[[noreturn]] void Fail(const std::string& what, LONG code) {
    throw std::runtime_error(what + " (error " + std::to_string(code) + ")");
}

// The module that holds this code: the library file, or the program it is linked into.
HMODULE ThisModule() {
    HMODULE module = nullptr;
    ::GetModuleHandleExA(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCSTR>(&ThisModule), &module);
    return module;
}

std::string ModulePath(HMODULE module) {
    std::vector<char> path(MAX_PATH);
    for (;;) {
        const DWORD n = ::GetModuleFileNameA(module, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        if (n < path.size()) return std::string(path.data(), n);
        path.resize(path.size() * 2);
    }
}

// The library, as the error component's second argument: its name, folder and version.
class LibraryObject final : public vb::Dispatch {
public:
    explicit LibraryObject(LibraryInfo info) : info_(std::move(info)) {}
    vb::Variant Invoke(const std::string& name, vb::InvokeKind,
                       std::vector<vb::Variant>&) override {
        if (_stricmp(name.c_str(), "Name") == 0) return info_.name;
        if (_stricmp(name.c_str(), "Folder") == 0 || _stricmp(name.c_str(), "Path") == 0)
            return info_.folder;
        if (_stricmp(name.c_str(), "Version") == 0) return info_.version;
        vb::Raise(438);
    }

private:
    LibraryInfo info_;
};

// An outside component, called late-bound: RaiseError with the report's arguments, the
// last six by reference.
class ComComponent final : public ErrorComponent {
public:
    explicit ComComponent(win32::ComPtr<IDispatch> d) : dispatch_(std::move(d)) {}
    void RaiseError(const std::string& host_path, const LibraryInfo& library, long& number,
                    std::string& description, std::string& procedure, long& line,
                    std::string& module_kind, std::string& module_name) override {
        const auto object = win32::ObjectFromDispatch(dispatch_.get()).AsDispatch();
        std::vector<vb::Variant> args{host_path,
                                      vb::Object(std::make_shared<LibraryObject>(library)),
                                      vb::Long{static_cast<vb::Long>(number)},
                                      description,
                                      procedure,
                                      vb::Long{static_cast<vb::Long>(line)},
                                      module_kind,
                                      module_name};
        object->Invoke("RaiseError", vb::InvokeKind::Method, args);
        number = vb::CLng(args[2]);
        description = vb::CStr(args[3]);
        procedure = vb::CStr(args[4]);
        line = vb::CLng(args[5]);
        module_kind = vb::CStr(args[6]);
        module_name = vb::CStr(args[7]);
    }

private:
    win32::ComPtr<IDispatch> dispatch_;
};

class Win32Services final : public Services {
public:
    std::optional<std::string> RegistryString(Hive hive, const std::string& key,
                                              const std::string& value) override {
        HKEY k = nullptr;
        // All specific rights and READ_CONTROL, as the library has always asked.
        if (::RegOpenKeyExA(Root(hive), key.c_str(), 0, 0x2003F, &k) != ERROR_SUCCESS &&
            ::RegOpenKeyExA(Root(hive), key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS)
            return std::nullopt;
        DWORD type = 0, size = 0;
        std::optional<std::string> out;
        if (::RegQueryValueExA(k, value.empty() ? nullptr : value.c_str(), nullptr, &type, nullptr,
                               &size) == ERROR_SUCCESS &&
            (type == REG_SZ || type == REG_EXPAND_SZ)) {
            std::string data(size, '\0');
            if (::RegQueryValueExA(k, value.empty() ? nullptr : value.c_str(), nullptr, &type,
                                   reinterpret_cast<BYTE*>(data.data()), &size) == ERROR_SUCCESS) {
                data.resize(std::min<std::size_t>(size, data.size()));
                out = data.substr(0, data.find('\0'));
            }
        }
        ::RegCloseKey(k);
        return out;
    }

    void SetRegistryString(Hive hive, const std::string& key, const std::string& value,
                           const std::string& data) override {
        HKEY k = nullptr;
        const LONG created = ::RegCreateKeyExA(Root(hive), key.c_str(), 0, nullptr, 0,
                                               KEY_SET_VALUE, nullptr, &k, nullptr);
        if (created != ERROR_SUCCESS) Fail("cannot create the key " + key, created);
        const LONG set = ::RegSetValueExA(k, value.empty() ? nullptr : value.c_str(), 0, REG_SZ,
                                          reinterpret_cast<const BYTE*>(data.c_str()),
                                          static_cast<DWORD>(data.size() + 1));
        ::RegCloseKey(k);
        if (set != ERROR_SUCCESS) Fail("cannot write " + key + "\\" + value, set);
    }

    void DeleteRegistryTree(Hive hive, const std::string& key) override {
        const LONG r = ::RegDeleteTreeA(Root(hive), key.c_str());
        if (r != ERROR_SUCCESS && r != ERROR_FILE_NOT_FOUND) Fail("cannot delete " + key, r);
        // RegDeleteTreeA empties the key; the key itself goes here.
        const LONG d = ::RegDeleteKeyA(Root(hive), key.c_str());
        if (d != ERROR_SUCCESS && d != ERROR_FILE_NOT_FOUND) Fail("cannot delete " + key, d);
    }

    std::string LibraryPath() override { return ModulePath(ThisModule()); }

    // The process list walked for this process, its executable's name made a full path.
    std::string ProcessPath() override {
        HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
        if (snapshot == INVALID_HANDLE_VALUE) return {};
        PROCESSENTRY32 entry{};
        entry.dwSize = sizeof entry;
        std::string name;
        const DWORD self = ::GetCurrentProcessId();
        for (BOOL more = ::Process32First(snapshot, &entry); more;
             more = ::Process32Next(snapshot, &entry))
            if (entry.th32ProcessID == self) {
                name = entry.szExeFile;
                break;
            }
        ::CloseHandle(snapshot);
        if (name.empty()) return {};
        char full[MAX_PATH];
        const DWORD n = ::GetFullPathNameA(name.c_str(), MAX_PATH, full, nullptr);
        return n > 0 && n < MAX_PATH ? std::string(full, n) : std::string();
    }

    std::string NowText() override {
        char date[128] = {}, time[128] = {};
        ::GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, date, sizeof date);
        ::GetTimeFormatA(LOCALE_USER_DEFAULT, 0, nullptr, nullptr, time, sizeof time);
        return std::string(date) + " " + time;
    }

    std::unique_ptr<ErrorComponent> CreateComponent(const std::string& prog_id) override {
        CLSID clsid;
        const std::wstring wide = win32::Wide(prog_id);
        if (FAILED(::CLSIDFromProgID(wide.c_str(), &clsid))) return nullptr;
        win32::ComPtr<IDispatch> d;
        if (FAILED(::CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IID_IDispatch,
                                      reinterpret_cast<void**>(d.put()))))
            return nullptr;
        return std::make_unique<ComComponent>(std::move(d));
    }

    int MessageBox(const std::string& text, const std::string& title, int style) override {
        return ::MessageBoxA(::GetActiveWindow(), text.c_str(), title.c_str(),
                             static_cast<UINT>(style));
    }

    bool FindFirstFile(const std::string& pattern) override {
        WIN32_FIND_DATAA data;
        HANDLE found = ::FindFirstFileA(pattern.c_str(), &data);
        if (found == INVALID_HANDLE_VALUE) return false;
        ::FindClose(found);
        return true;
    }

    long ShellExecute(long hwnd, const std::string& operation, const std::string& file,
                      const std::string& parameters, const std::string& directory,
                      int show) override {
        const auto nz = [](const std::string& s) { return s.empty() ? nullptr : s.c_str(); };
        const HINSTANCE r =
            ::ShellExecuteA(reinterpret_cast<HWND>(static_cast<INT_PTR>(hwnd)), nz(operation),
                            file.c_str(), nz(parameters), nz(directory), show);
        return static_cast<long>(reinterpret_cast<INT_PTR>(r));
    }

    bool PlaySound(const std::string& file, unsigned flags) override {
        return ::sndPlaySoundA(file.c_str(), flags) != FALSE;
    }

    std::optional<VersionInfo> Version() override {
        OSVERSIONINFOA info{};
        info.dwOSVersionInfoSize = sizeof info;  // 148
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
        if (!::GetVersionExA(&info)) return std::nullopt;
#pragma GCC diagnostic pop
        return VersionInfo{info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber,
                           info.dwPlatformId};
    }

    std::optional<ThemeName> CurrentThemeName() override {
        WCHAR file[260] = {}, color[255] = {}, size[255] = {};
        if (FAILED(::GetCurrentThemeName(file, 260, color, 255, size, 255))) return std::nullopt;
        return ThemeName{win32::Utf8(file), win32::Utf8(color), win32::Utf8(size)};
    }

    std::int16_t AsyncKeyState(int virtual_key) override {
        return static_cast<std::int16_t>(::GetAsyncKeyState(virtual_key));
    }
};

}  // namespace

std::unique_ptr<Services> MakeDefaultServices() { return std::make_unique<Win32Services>(); }

EntryPoint LibraryEntryPoint(const std::string& path, const char* name) {
    static std::map<std::string, HMODULE> loaded;
    HMODULE& module = loaded[path];
    if (!module) module = ::LoadLibraryA(path.c_str());
    if (!module) return {nullptr, false, "error " + std::to_string(::GetLastError())};
    return {reinterpret_cast<void*>(::GetProcAddress(module, name)), true, {}};
}

RegistryPlatform Platform() noexcept {
    // A 64-bit library's type library, and the platform's own marshaller of dispatch
    // interfaces (PSDispatch), as the type library's registration names them.
    return {"win64", "{00020420-0000-0000-C000-000000000046}"};
}

}  // namespace sheenwork::system
