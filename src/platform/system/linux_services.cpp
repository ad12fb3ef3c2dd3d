// The Linux system services: a registry file store, shell open through xdg-open, sound
// through an installed wave player, the theme answer from the environment or the registry
// store, outside components as shared objects.
#include <sheenwork/system/services.h>

#include <dirent.h>
#include <dlfcn.h>
#include <poll.h>
#include <spawn.h>
#include <sys/eventfd.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <locale>
#include <map>
#include <mutex>
#include <sstream>
#include <stdexcept>
#include <string_view>
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

// The children the library started and has not reaped yet. One thread waits for them all
// (through a process descriptor each, so that it sleeps until one ends) and goes when none
// is left; it never waits for a child of the host's own.
class Reaper {
public:
    static Reaper& Instance() {
        // Never destroyed: its thread may still run while the process ends.
        static Reaper* reaper = new Reaper;
        return *reaper;
    }

    void Adopt(pid_t pid) {
        const int fd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
        std::lock_guard lock(mutex_);
        children_.push_back({pid, fd});
        if (running_) {
            const std::uint64_t one = 1;
            static_cast<void>(::write(wake_, &one, sizeof one));
            return;
        }
        running_ = true;
        std::thread([this] { Run(); }).detach();
    }

private:
    struct Child {
        pid_t pid;
        int fd;  // -1 where the system offers no process descriptors
    };

    Reaper() : wake_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

    void Run() {
        for (;;) {
            std::vector<pollfd> fds{{wake_, POLLIN, 0}};
            bool without_fd = false;
            {
                std::lock_guard lock(mutex_);
                std::erase_if(children_, [](const Child& c) {
                    int status = 0;
                    const pid_t r = ::waitpid(c.pid, &status, WNOHANG);
                    if (r == 0 || (r < 0 && errno == EINTR)) return false;
                    if (c.fd >= 0) ::close(c.fd);
                    return true;
                });
                if (children_.empty()) {
                    running_ = false;
                    return;
                }
                for (const Child& c : children_) {
                    if (c.fd >= 0)
                        fds.push_back({c.fd, POLLIN, 0});
                    else
                        without_fd = true;
                }
            }
            // Without descriptors the ends are looked for ten times a second.
            ::poll(fds.data(), fds.size(), without_fd ? 100 : -1);
            std::uint64_t count = 0;
            static_cast<void>(::read(wake_, &count, sizeof count));
        }
    }

    std::mutex mutex_;
    std::vector<Child> children_;
    bool running_ = false;
    int wake_;
};

// Runs a program with an argument vector (never a shell string): `program` exactly as
// given, no search, and reaps it in the background unless `wait` is set. Returns whether
// it started.
bool Spawn(const std::string& program, const std::vector<std::string>& args, bool wait) {
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0)
        return false;
    if (wait) {
        int status = 0;
        waitpid(pid, &status, 0);
    } else {
        Reaper::Instance().Adopt(pid);
    }
    return true;
}

bool IsProgram(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
}

// The program file a name stands for: the name itself when it holds a separator, else the
// first folder of PATH that holds such a program, the current folder before them when
// `here_first` (the order in which the platform's shell finds the program a document
// names; the helper programs the library runs itself come from PATH alone). Empty when
// there is none.
std::string FindProgram(const std::string& name, bool here_first = false) {
    if (name.find('/') != std::string::npos) return IsProgram(name) ? name : std::string();
    if (here_first && IsProgram(name)) return "./" + name;
    const char* path = std::getenv("PATH");
    std::stringstream dirs(path ? path : "");
    for (std::string dir; std::getline(dirs, dir, ':');)
        if (!dir.empty() && IsProgram(dir + "/" + name)) return dir + "/" + name;
    return {};
}

// Whether `name` matches `pattern`: * any run of characters, ? any one character, every
// other character itself (a bracket too). A pattern ending in ".*" also matches the name
// without an extension ("*.*" matches every name, "read.*" matches "read"), as the
// platform's file search has it. Greedy with one point to return to: the time grows with
// the product of the lengths at worst, never exponentially.
bool WildcardMatch(std::string_view pattern, std::string_view name) {
    std::size_t p = 0, n = 0, star = std::string_view::npos, resume = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == name[n])) {
            ++p, ++n;
        } else if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            resume = n;
        } else if (star != std::string_view::npos) {
            p = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    if (p == pattern.size()) return true;
    return pattern.ends_with(".*") && WildcardMatch(pattern.substr(0, pattern.size() - 2), name);
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

    // As FindFirstFileA: wildcards in the last part of the name only, and the search stops
    // at the first entry of that one folder that matches. A name without wildcards is
    // found when its entry exists, even as a link that leads nowhere.
    bool FindFirstFile(const std::string& pattern) override {
        const std::size_t slash = pattern.rfind('/');
        const std::string name = slash == std::string::npos ? pattern : pattern.substr(slash + 1);
        const std::string folder = slash == std::string::npos ? "."
                                   : slash == 0               ? "/"
                                                              : pattern.substr(0, slash);
        // No name (an empty pattern, or a folder with its final separator), or a wildcard
        // in a folder's name: an invalid name there.
        if (name.empty() || folder.find_first_of("*?") != std::string::npos) return false;
        if (name.find_first_of("*?") == std::string::npos) {
            struct stat st {};
            return ::lstat(pattern.c_str(), &st) == 0;
        }
        DIR* dir = ::opendir(folder.c_str());
        if (dir == nullptr) return false;
        bool found = false;
        while (!found) {
            const dirent* entry = ::readdir(dir);
            if (entry == nullptr) break;
            found = WildcardMatch(name, entry->d_name);
        }
        ::closedir(dir);
        return found;
    }

    long ShellExecute(long, const std::string& operation, const std::string& file,
                      const std::string& parameters, const std::string&, int) override {
        constexpr long kStarted = 42, kFileNotFound = 2, kNoAssociation = 31;
        if (!operation.empty() && util::AsciiLower(operation) != "open") return kNoAssociation;
        if (file.empty()) return kFileNotFound;
        // A program with parameters is started itself, exactly the file found for its
        // name, with the parameters split as the platform's programs split their command
        // line; anything else goes to the desktop's opener.
        if (!parameters.empty()) {
            if (const std::string program = FindProgram(file, true); !program.empty()) {
                std::vector<std::string> args{file};
                for (std::string& a : SplitCommandLine(parameters)) args.push_back(std::move(a));
                return Spawn(program, args, false) ? kStarted : kFileNotFound;
            }
        }
        // A document that starts with "-" is a file of the current folder, never an option
        // of the opener (xdg-open knows no "--" that would end its options).
        const std::string document = file[0] == '-' ? "./" + file : file;
        // The opener: one the user configured (SHEENWORK_OPENER, or the registry value
        // "Opener" under HKEY_CURRENT_USER\Software\Sheenwork), which takes the document
        // and the parameters as arguments of their own; else the desktop's xdg-open,
        // which takes exactly one document or address, so parameters cannot go with it.
        std::string opener;
        if (const char* env = std::getenv("SHEENWORK_OPENER"); env && *env) opener = env;
        if (opener.empty())
            opener =
                RegistryString(Hive::CurrentUser, "Software\\Sheenwork", "Opener").value_or("");
        if (opener.empty()) opener = "xdg-open";
        const std::string program = FindProgram(opener);
        if (program.empty()) return kNoAssociation;
        std::vector<std::string> args{opener, document};
        if (!parameters.empty() && opener != "xdg-open") args.push_back(parameters);
        return Spawn(program, args, false) ? kStarted : kNoAssociation;
    }

    bool PlaySound(const std::string& file, unsigned flags) override {
        constexpr unsigned kAsync = 1;
        struct stat st {};
        if (file.empty() || stat(file.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
        for (const std::string player : {"paplay", "pw-play", "aplay"}) {
            const std::string program = FindProgram(player);
            if (program.empty()) continue;
            std::vector<std::string> args{player};
            if (player == "aplay") args.push_back("-q");
            args.push_back(file);
            return Spawn(program, args, (flags & kAsync) == 0);
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

std::vector<std::string> SplitCommandLine(std::string_view line) {
    std::vector<std::string> args;
    std::string arg;
    bool in_arg = false, quoted = false;
    for (std::size_t i = 0; i < line.size();) {
        const char c = line[i];
        if (!quoted && (c == ' ' || c == '\t')) {
            if (in_arg) args.push_back(std::move(arg));
            arg.clear();
            in_arg = false;
            ++i;
            continue;
        }
        in_arg = true;
        if (c == '\\') {
            const std::size_t start = i;
            while (i < line.size() && line[i] == '\\') ++i;
            const std::size_t n = i - start;
            if (i < line.size() && line[i] == '"') {
                arg.append(n / 2, '\\');
                if (n % 2 == 1) arg += line[i++];  // an escaped quote; else it quotes
            } else {
                arg.append(n, '\\');
            }
        } else if (c == '"') {
            if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
                arg += '"';
                i += 2;
            } else {
                quoted = !quoted;
                ++i;
            }
        } else {
            arg += c;
            ++i;
        }
    }
    if (in_arg) args.push_back(std::move(arg));
    return args;
}

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
