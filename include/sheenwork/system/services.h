// The system services the library calls outside the host: registry, files, shell, sound,
// theme and version queries, the process and library paths, the clock, the message box
// and the outside error component.
//
// One process-wide instance serves the whole library. The default is the Linux
// implementation (a small registry file store under the user's configuration folder,
// xdg-open, a wave player, the theme answer from the environment or the registry store).
// A host installs its own to show message boxes in a window; tests install one that records.
#pragma once

#include <cstdint>
#include <ctime>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sheenwork::system {

// What the outside error component receives as its second argument.
struct LibraryInfo {
    std::string name;     // "Sheenwork"
    std::string folder;   // the folder of the file that holds the library
    std::string version;  // "2.8.0"
};

// An outside error-handling component created by its programmatic name. RaiseError
// takes the eight report arguments; the last six by reference. It throws when the call
// fails.
class ErrorComponent {
public:
    virtual ~ErrorComponent() = default;
    virtual void RaiseError(const std::string& host_path, const LibraryInfo& library, long& number,
                            std::string& description, std::string& procedure, long& line,
                            std::string& module_kind, std::string& module_name) = 0;
};

// The registry hives the library reads, and the one its registration writes.
enum class Hive { CurrentUser, LocalMachine, ClassesRoot };

// OSVERSIONINFO's fields that matter.
struct VersionInfo {
    unsigned major = 0, minor = 0, build = 0, platform_id = 0;
};

// The three names GetCurrentThemeName returns.
struct ThemeName {
    std::string file, color, size;
};

// Message box styles and answers (MB_* / ID* values).
enum : int { MB_OK = 0, MB_ICONSTOP = 16 };
enum : int { IDOK = 1 };

class Services {
public:
    virtual ~Services() = default;

    // RegOpenKeyExA + RegQueryValueExA of a string value; the text up to its first NUL.
    // Empty when the key or the value is missing.
    virtual std::optional<std::string> RegistryString(Hive hive, const std::string& key,
                                                      const std::string& value) = 0;
    // RegCreateKeyExA + RegSetValueExA of a string value ("" names the key's default
    // value). Throws when the registry cannot be written.
    virtual void SetRegistryString(Hive hive, const std::string& key, const std::string& value,
                                   const std::string& data) = 0;
    // RegDeleteTreeA: the key, its values and every key below it; nothing when it is
    // missing. Throws when the registry cannot be written.
    virtual void DeleteRegistryTree(Hive hive, const std::string& key) = 0;
    // Full path of the file that holds the library (the executable when linked in).
    virtual std::string LibraryPath() = 0;
    // Full path of the running host process's executable; "" when it cannot be found.
    virtual std::string ProcessPath() = 0;
    // The current local date and time in the user's short date and long time formats,
    // joined by one blank.
    virtual std::string NowText() = 0;
    // Creates the component named `prog_id`; null when none is installed.
    virtual std::unique_ptr<ErrorComponent> CreateComponent(const std::string& prog_id) = 0;
    // A modal message box; returns the button pressed.
    virtual int MessageBox(const std::string& text, const std::string& title, int style) = 0;
    // FindFirstFileA + FindClose: whether anything matches the name or wildcard pattern.
    virtual bool FindFirstFile(const std::string& pattern) = 0;
    // ShellExecuteA; the result is an instance-handle-like number, > 32 on success.
    virtual long ShellExecute(long hwnd, const std::string& operation, const std::string& file,
                              const std::string& parameters, const std::string& directory,
                              int show) = 0;
    // sndPlaySoundA; returns whether a sound was started.
    virtual bool PlaySound(const std::string& file, unsigned flags) = 0;
    // GetVersionExA; empty when the call fails.
    virtual std::optional<VersionInfo> Version() = 0;
    // GetCurrentThemeName; empty when no visual style is active.
    virtual std::optional<ThemeName> CurrentThemeName() = 0;
    // GetAsyncKeyState for a virtual-key code.
    virtual std::int16_t AsyncKeyState(int virtual_key) = 0;
};

// Services that hand every call to others: a wrapper derives from it and overrides only
// what it changes (the runtime routes message boxes and key states to itself; a preview
// records the shell's calls instead of making them).
class ForwardingServices : public Services {
public:
    explicit ForwardingServices(Services& inner) : inner_(inner) {}

    std::optional<std::string> RegistryString(Hive hive, const std::string& key,
                                              const std::string& value) override {
        return inner_.RegistryString(hive, key, value);
    }
    void SetRegistryString(Hive hive, const std::string& key, const std::string& value,
                           const std::string& data) override {
        inner_.SetRegistryString(hive, key, value, data);
    }
    void DeleteRegistryTree(Hive hive, const std::string& key) override {
        inner_.DeleteRegistryTree(hive, key);
    }
    std::string LibraryPath() override { return inner_.LibraryPath(); }
    std::string ProcessPath() override { return inner_.ProcessPath(); }
    std::string NowText() override { return inner_.NowText(); }
    std::unique_ptr<ErrorComponent> CreateComponent(const std::string& prog_id) override {
        return inner_.CreateComponent(prog_id);
    }
    int MessageBox(const std::string& text, const std::string& title, int style) override {
        return inner_.MessageBox(text, title, style);
    }
    bool FindFirstFile(const std::string& pattern) override {
        return inner_.FindFirstFile(pattern);
    }
    long ShellExecute(long hwnd, const std::string& operation, const std::string& file,
                      const std::string& parameters, const std::string& directory,
                      int show) override {
        return inner_.ShellExecute(hwnd, operation, file, parameters, directory, show);
    }
    bool PlaySound(const std::string& file, unsigned flags) override {
        return inner_.PlaySound(file, flags);
    }
    std::optional<VersionInfo> Version() override { return inner_.Version(); }
    std::optional<ThemeName> CurrentThemeName() override { return inner_.CurrentThemeName(); }
    std::int16_t AsyncKeyState(int virtual_key) override {
        return inner_.AsyncKeyState(virtual_key);
    }

protected:
    Services& inner_;
};

// The process-wide services. Install(nullptr) puts the default back. The installed
// object must outlive its use; the library never deletes it.
Services& Current() noexcept;
void Install(Services* services) noexcept;
// What Install last put in place; null while the default answers.
Services* Installed() noexcept;

// Services a host puts over the ones in place for as long as it lives: every call goes
// on to those, except the calls the host answers itself (its message boxes, its key
// state). Made, it is installed; destroyed, it puts back what was installed before,
// provided nothing was installed over it since.
class ServicesOverlay : public ForwardingServices {
public:
    ServicesOverlay();
    ~ServicesOverlay() override;
    ServicesOverlay(const ServicesOverlay&) = delete;
    ServicesOverlay& operator=(const ServicesOverlay&) = delete;

protected:
    // The services underneath.
    Services& Inner() { return inner_; }

private:
    Services* previous_;
};

// The platform's own services, which Current() answers while nothing is installed.
// Each platform build defines it once.
std::unique_ptr<Services> MakeDefaultServices();

// An exported function of a library file, for creating objects through another library:
// the file is loaded once and stays loaded for the process (a file that failed to load
// is tried again next time). `function` is null when the file cannot be loaded (`loaded`
// false, `error` says why) or exports no such function.
struct EntryPoint {
    void* function = nullptr;
    bool loaded = false;
    std::string error;
};
EntryPoint LibraryEntryPoint(const std::string& path, const char* name);

// What the platform's registration records besides the class table: the platform key
// under which the type library names its file ("linux", "win64"), and the class that
// marshals dispatch interfaces between apartments ("" where there is none).
struct RegistryPlatform {
    const char* typelib_platform;
    const char* dispatch_proxy;
};
RegistryPlatform Platform() noexcept;

// The Linux implementation. `config_dir` is where the registry store lives (default:
// $XDG_CONFIG_HOME/sheenwork or ~/.config/sheenwork); `component_path` the folders
// searched for outside components (default: $SHEENWORK_COMPONENT_PATH, then the
// library's folder, then <config_dir>/components).
std::unique_ptr<Services> MakeLinuxServices(std::string config_dir = {},
                                            std::vector<std::string> component_path = {});

// The registry store's file inside a configuration folder, writing one value to it and
// deleting a key tree from it (atomically: a temporary file renamed over the old one).
std::string RegistryFile(const std::string& config_dir);
void WriteRegistryString(const std::string& config_dir, Hive hive, const std::string& key,
                         const std::string& value, const std::string& data);
void DeleteRegistryTree(const std::string& config_dir, Hive hive, const std::string& key);

// The arguments a program of the platform takes from a command line, by its rules:
// blanks (spaces and tabs) separate arguments; double quotes make blanks part of an
// argument and are dropped ("a b"c is one argument, a bc); backslashes are themselves,
// except before a double quote, where each pair is one backslash and an odd one left
// over makes the quote a character of the argument; inside quotes, two double quotes are
// one. ShellExecute starts a program with its parameters split this way.
std::vector<std::string> SplitCommandLine(std::string_view line);

// The name a component's shared object has on Linux: "<prog_id>.so", exporting
//   extern "C" int SheenworkRaiseError(const char* host_path,
//                                      const SheenworkLibraryInfo* library,
//                                      long* number, const char** description,
//                                      const char** procedure, long* line,
//                                      const char** module_kind, const char** module_name);
// which returns 0 when it handled the error.
std::string ComponentFileName(const std::string& prog_id);

}  // namespace sheenwork::system

extern "C" {
struct SheenworkLibraryInfo {
    const char* name;
    const char* folder;
    const char* version;
};
typedef int (*SheenworkRaiseErrorFn)(const char* host_path, const SheenworkLibraryInfo* library,
                                     long* number, const char** description, const char** procedure,
                                     long* line, const char** module_kind,
                                     const char** module_name);
}
