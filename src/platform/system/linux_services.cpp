// The Linux system services: a registry file store, shell open through xdg-open, sound
// through an installed wave player, the theme answer from the environment or the registry
// store, outside components as shared objects.
#include <sheenwork/system/services.h>

#include <dlfcn.h>
#include <glob.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <locale>
#include <map>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "util/ascii.h"

extern char** environ;

namespace sheenwork::system {
namespace {

std::string HiveName(Hive hive) {
    switch (hive) {
        case Hive::CurrentUser: return "HKEY_CURRENT_USER";
        case Hive::ClassesRoot: return "HKEY_CLASSES_ROOT";
        case Hive::LocalMachine: break;
    }
    return "HKEY_LOCAL_MACHINE";
}

// A key's default value is stored as "@", as registry export files write it.
std::string StoredName(const std::string& value) { return value.empty() ? "@" : value; }

std::string DefaultConfigDir() {
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg)
        return std::string(xdg) + "/sheenwork";
    if (const char* home = std::getenv("HOME"); home && *home)
        return std::string(home) + "/.config/sheenwork";
    return {};
}

// The registry store: an INI-like text file, one section per key, "name=data" lines.
//   [HKEY_CURRENT_USER\Software\Sheenline]
//   ErrorLog=/home/me/logs
//   [HKEY_CLASSES_ROOT\Sheenwork.sheenButton\CLSID]
//   @={28787686-6E3E-4536-B5D8-5912477E438D}
// Key and value names compare without regard to case, as the registry's do.
std::vector<std::string> ReadLines(const std::string& file) {
    std::vector<std::string> lines;
    std::ifstream in(file, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

std::string SectionOf(const std::string& line) {
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']')
        return line.substr(1, line.size() - 2);
    return {};
}

// Runs a program with an argument vector (never a shell string) and reaps it in the
// background unless `wait` is set. Returns whether it started.
bool Spawn(const std::vector<std::string>& args, bool wait) {
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return false;
    if (wait) {
        int status = 0;
        waitpid(pid, &status, 0);
    } else {
        std::thread([pid] {
            int status = 0;
            waitpid(pid, &status, 0);
        }).detach();
    }
    return true;
}

bool OnPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    if (!path) return false;
    std::stringstream dirs(path);
    std::string dir;
    while (std::getline(dirs, dir, ':'))
        if (!dir.empty() && access((dir + "/" + program).c_str(), X_OK) == 0) return true;
    return false;
}

class SharedObjectComponent final : public ErrorComponent {
public:
    SharedObjectComponent(void* handle, SheenworkRaiseErrorFn fn) : handle_(handle), fn_(fn) {}
    ~SharedObjectComponent() override { dlclose(handle_); }

    void RaiseError(const std::string& host_path, const LibraryInfo& library, long& number,
                    std::string& description, std::string& procedure, long& line,
                    std::string& module_kind, std::string& module_name) override {
        SheenworkLibraryInfo info{library.name.c_str(), library.folder.c_str(),
                                  library.version.c_str()};
        const char* desc = description.c_str();
        const char* proc = procedure.c_str();
        const char* kind = module_kind.c_str();
        const char* name = module_name.c_str();
        const int result =
            fn_(host_path.c_str(), &info, &number, &desc, &proc, &line, &kind, &name);
        // The arguments go by reference: take back what the component left in them.
        std::string d = desc ? desc : "", p = proc ? proc : "", k = kind ? kind : "",
                    n = name ? name : "";
        description = std::move(d);
        procedure = std::move(p);
        module_kind = std::move(k);
        module_name = std::move(n);
        if (result != 0)
            throw std::runtime_error("the error component reported failure " +
                                     std::to_string(result));
    }

private:
    void* handle_;
    SheenworkRaiseErrorFn fn_;
};

class LinuxServices final : public Services {
public:
    LinuxServices(std::string config_dir, std::vector<std::string> component_path)
        : config_dir_(config_dir.empty() ? DefaultConfigDir() : std::move(config_dir)),
          component_path_(std::move(component_path)) {
        if (component_path_.empty()) {
            if (const char* env = std::getenv("SHEENWORK_COMPONENT_PATH")) {
                std::stringstream dirs(env);
                std::string dir;
                while (std::getline(dirs, dir, ':'))
                    if (!dir.empty()) component_path_.push_back(dir);
            }
            const auto library = LibraryPath();
            if (!library.empty())
                component_path_.push_back(std::filesystem::path(library).parent_path());
            if (!config_dir_.empty()) component_path_.push_back(config_dir_ + "/components");
        }
    }

    std::optional<std::string> RegistryString(Hive hive, const std::string& key,
                                              const std::string& value) override {
        if (config_dir_.empty()) return std::nullopt;
        const std::string wanted = util::AsciiLower(HiveName(hive) + "\\" + key);
        const std::string wanted_value = util::AsciiLower(StoredName(value));
        bool in_key = false;
        for (const auto& line : ReadLines(RegistryFile(config_dir_))) {
            if (const auto section = SectionOf(line); !section.empty()) {
                in_key = util::AsciiLower(section) == wanted;
                continue;
            }
            if (!in_key) continue;
            const auto eq = line.find('=');
            if (eq == std::string::npos || util::AsciiLower(line.substr(0, eq)) != wanted_value)
                continue;
            std::string data = line.substr(eq + 1);
            if (const auto nul = data.find('\0'); nul != std::string::npos) data.resize(nul);
            return data;
        }
        return std::nullopt;
    }

    void SetRegistryString(Hive hive, const std::string& key, const std::string& value,
                           const std::string& data) override {
        if (config_dir_.empty()) throw std::runtime_error("no folder for the registry store");
        WriteRegistryString(config_dir_, hive, key, value, data);
    }

    void DeleteRegistryTree(Hive hive, const std::string& key) override {
        if (config_dir_.empty()) throw std::runtime_error("no folder for the registry store");
        system::DeleteRegistryTree(config_dir_, hive, key);
    }

    std::string LibraryPath() override {
        Dl_info info{};
        if (dladdr(reinterpret_cast<void*>(&MakeLinuxServices), &info) == 0 || !info.dli_fname)
            return {};
        std::error_code ec;
        auto path = std::filesystem::canonical(info.dli_fname, ec);
        if (ec) return ProcessPath();  // a bare name: the library is the executable itself
        return path.string();
    }

    std::string ProcessPath() override {
        std::error_code ec;
        auto path = std::filesystem::read_symlink("/proc/self/exe", ec);
        return ec ? std::string() : path.string();
    }

    std::string NowText() override {
        const std::time_t now = std::time(nullptr);
        std::tm local{};
        localtime_r(&now, &local);
        std::ostringstream out;
        try {
            out.imbue(std::locale(""));
        } catch (const std::exception&) {
            // An unknown LANG: the classic formats.
        }
        out << std::put_time(&local, "%x %X");
        return out.str();
    }

    std::unique_ptr<ErrorComponent> CreateComponent(const std::string& prog_id) override {
        const auto file = ComponentFileName(prog_id);
        for (const auto& dir : component_path_) {
            const auto path = dir + "/" + file;
            if (access(path.c_str(), R_OK) != 0) continue;
            void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
            if (!handle) continue;
            auto fn = reinterpret_cast<SheenworkRaiseErrorFn>(dlsym(handle, "SheenworkRaiseError"));
            if (!fn) {
                dlclose(handle);
                continue;
            }
            return std::make_unique<SharedObjectComponent>(handle, fn);
        }
        return nullptr;
    }

    int MessageBox(const std::string& text, const std::string& title, int) override {
        std::cerr << title << ":\n" << text << "\n";
        return IDOK;
    }

    bool FindFirstFile(const std::string& pattern) override {
        if (pattern.empty()) return false;
        // Only * and ? are wildcards here; a bracket is an ordinary character.
        std::string glob_pattern;
        for (char c : pattern) {
            if (c == '[')
                glob_pattern += "[[]";
            else
                glob_pattern += c;
        }
        glob_t found{};
        const int rc = glob(glob_pattern.c_str(), GLOB_NOSORT | GLOB_NOESCAPE, nullptr, &found);
        const bool any = rc == 0 && found.gl_pathc > 0;
        globfree(&found);
        return any;
    }

    long ShellExecute(long, const std::string& operation, const std::string& file,
                      const std::string& parameters, const std::string&, int) override {
        constexpr long kStarted = 42, kFileNotFound = 2, kNoAssociation = 31;
        if (!operation.empty() && util::AsciiLower(operation) != "open") return kNoAssociation;
        if (file.empty()) return kFileNotFound;
        // A program with parameters is started itself; anything else goes to the
        // desktop's opener, which takes one document or address.
        struct stat st {};
        if (!parameters.empty() && stat(file.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
            access(file.c_str(), X_OK) == 0) {
            std::vector<std::string> args{file};
            std::istringstream words(parameters);
            for (std::string w; words >> w;) args.push_back(w);
            return Spawn(args, false) ? kStarted : kFileNotFound;
        }
        // The opener: one the user configured (SHEENWORK_OPENER, or the registry value
        // "Opener" under HKEY_CURRENT_USER\Software\Sheenwork), which takes the document
        // and the parameters as arguments of their own; else the desktop's xdg-open,
        // which takes exactly one document or address, so parameters cannot go with it.
        std::string opener;
        if (const char* env = std::getenv("SHEENWORK_OPENER"); env && *env) opener = env;
        if (opener.empty())
            opener =
                RegistryString(Hive::CurrentUser, "Software\\Sheenwork", "Opener").value_or("");
        if (opener.empty()) return Spawn({"xdg-open", file}, false) ? kStarted : kNoAssociation;
        std::vector<std::string> args{opener, file};
        if (!parameters.empty()) args.push_back(parameters);
        return Spawn(args, false) ? kStarted : kNoAssociation;
    }

    bool PlaySound(const std::string& file, unsigned flags) override {
        constexpr unsigned kAsync = 1;
        struct stat st {};
        if (file.empty() || stat(file.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
        for (const char* player : {"paplay", "pw-play", "aplay"}) {
            if (!OnPath(player)) continue;
            std::vector<std::string> args{player};
            if (std::string(player) == "aplay") args.push_back("-q");
            args.push_back(file);
            return Spawn(args, (flags & kAsync) == 0);
        }
        return false;
    }

    std::optional<VersionInfo> Version() override {
        // The Windows version this platform answers as: XP (5.1) unless the environment
        // names another, so that version-dependent behaviour can be tried.
        VersionInfo v{5, 1, 2600, 2};
        if (const char* env = std::getenv("SHEENWORK_WINDOWS_VERSION")) {
            unsigned major = 0, minor = 0;
            if (std::sscanf(env, "%u.%u", &major, &minor) == 2) {
                v.major = major;
                v.minor = minor;
            }
        }
        return v;
    }

    std::optional<ThemeName> CurrentThemeName() override {
        // A desktop here has no visual styles of its own: the colour scheme reported as
        // active is the one configured, SHEENWORK_THEME_COLOR (tests) before the registry
        // value "ThemeColor" under HKEY_CURRENT_USER\Software\Sheenwork; with neither (or
        // an empty one) no visual style is active, the classic look.
        std::string color;
        if (const char* env = std::getenv("SHEENWORK_THEME_COLOR"))
            color = env;
        else
            color =
                RegistryString(Hive::CurrentUser, "Software\\Sheenwork", "ThemeColor").value_or("");
        if (color.empty()) return std::nullopt;
        return ThemeName{"C:\\WINDOWS\\resources\\Themes\\Luna\\Luna.msstyles", color,
                         "NormalSize"};
    }

    std::int16_t AsyncKeyState(int) override {
        // Outside a host there is no input device the library can see.
        return 0;
    }

private:
    std::string config_dir_;
    std::vector<std::string> component_path_;
};

}  // namespace

std::unique_ptr<Services> MakeLinuxServices(std::string config_dir,
                                            std::vector<std::string> component_path) {
    return std::make_unique<LinuxServices>(std::move(config_dir), std::move(component_path));
}

std::unique_ptr<Services> MakeDefaultServices() { return MakeLinuxServices(); }

RegistryPlatform Platform() noexcept { return {"linux", ""}; }

EntryPoint LibraryEntryPoint(const std::string& path, const char* name) {
    static std::map<std::string, void*> loaded;
    void*& handle = loaded[path];
    if (!handle) handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* why = dlerror();
        return {nullptr, false, why ? why : "?"};
    }
    return {dlsym(handle, name), true, {}};
}

std::string RegistryFile(const std::string& config_dir) { return config_dir + "/registry.ini"; }

std::string ComponentFileName(const std::string& prog_id) { return prog_id + ".so"; }

namespace {

// Readers see the old store or the new one, never half a file.
void ReplaceRegistryFile(const std::string& config_dir, const std::vector<std::string>& lines) {
    const std::string file = RegistryFile(config_dir);
    std::filesystem::create_directories(config_dir);
    const std::string part = file + ".part";
    {
        std::ofstream o(part, std::ios::binary | std::ios::trunc);
        for (const auto& line : lines) o << line << "\n";
        o.flush();
        if (!o) throw std::runtime_error("cannot write " + part);
    }
    std::filesystem::rename(part, file);
}

}  // namespace

void WriteRegistryString(const std::string& config_dir, Hive hive, const std::string& key,
                         const std::string& value, const std::string& data) {
    const std::string section = HiveName(hive) + "\\" + key;
    const std::string name = StoredName(value);
    std::vector<std::string> out;
    bool in_key = false, written = false;
    for (const auto& line : ReadLines(RegistryFile(config_dir))) {
        if (const auto s = SectionOf(line); !s.empty()) {
            if (in_key && !written) {
                out.push_back(name + "=" + data);
                written = true;
            }
            in_key = util::AsciiLower(s) == util::AsciiLower(section);
            out.push_back(line);
            continue;
        }
        if (in_key) {
            const auto eq = line.find('=');
            if (eq != std::string::npos &&
                util::AsciiLower(line.substr(0, eq)) == util::AsciiLower(name)) {
                if (!written) out.push_back(name + "=" + data);
                written = true;
                continue;
            }
        }
        out.push_back(line);
    }
    if (!written) {
        if (!in_key) out.push_back("[" + section + "]");
        out.push_back(name + "=" + data);
    }
    ReplaceRegistryFile(config_dir, out);
}

void DeleteRegistryTree(const std::string& config_dir, Hive hive, const std::string& key) {
    const std::string root = util::AsciiLower(HiveName(hive) + "\\" + key);
    std::vector<std::string> out;
    bool in_tree = false, changed = false;
    for (const auto& line : ReadLines(RegistryFile(config_dir))) {
        if (const auto s = SectionOf(line); !s.empty()) {
            const std::string name = util::AsciiLower(s);
            in_tree = name == root || name.starts_with(root + "\\");
        }
        if (in_tree)
            changed = true;
        else
            out.push_back(line);
    }
    if (changed) ReplaceRegistryFile(config_dir, out);
}

}  // namespace sheenwork::system
