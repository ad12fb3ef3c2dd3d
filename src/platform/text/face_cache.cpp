#include "platform/text/face_cache.h"

#include <dlfcn.h>
#include <fontconfig/fontconfig.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <set>
#include <sstream>

namespace sheenwork::text {
namespace {

constexpr char kHeader[] = "sheenwork faces 1";

// The variables fontconfig reads to find its configuration, the user's folders and the
// language it matches for.
constexpr const char* kEnvironment[] = {"FONTCONFIG_FILE",
                                        "FONTCONFIG_PATH",
                                        "FONTCONFIG_SYSROOT",
                                        "HOME",
                                        "XDG_CONFIG_HOME",
                                        "XDG_DATA_HOME",
                                        "FC_LANG",
                                        "LC_ALL",
                                        "LC_CTYPE",
                                        "LANG"};

std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v != nullptr ? v : "";
}

// An environment value as the stamp writes it: "=value", or nothing when unset.
std::string EnvEntry(const char* name) {
    const char* v = std::getenv(name);
    return v != nullptr ? std::string("=") + v : std::string();
}

// A user folder under the XDG variable, or under HOME with the default; empty when
// neither is set.
std::string UserFolder(const char* variable, const char* under_home) {
    const std::string xdg = Env(variable);
    if (!xdg.empty()) return xdg;
    const std::string home = Env("HOME");
    return home.empty() ? std::string() : home + "/" + under_home;
}

bool OneLine(const std::string& s) { return s.find_first_of("\n\r") == std::string::npos; }
bool OneField(const std::string& s) { return OneLine(s) && s.find('\t') == std::string::npos; }

template <class Number>
bool ReadNumber(std::string_view s, Number& out) {
    const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), out);
    return error == std::errc() && end == s.data() + s.size();
}

// Splits `s` at the first `count` spaces: count words, then the rest of the line.
bool Words(std::string_view s, std::size_t count, std::vector<std::string_view>& out,
           std::string_view& rest) {
    out.clear();
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t space = s.find(' ');
        if (space == std::string_view::npos) return false;
        out.push_back(s.substr(0, space));
        s.remove_prefix(space + 1);
    }
    rest = s;
    return true;
}

// The file that holds this code (the shared library, or the program it is linked into)
// as the stamp notes a path. The faces kept were chosen by this code's rules of
// substitution; another build may choose otherwise, so its faces must not be taken.
std::string OwnBuild() {
    // dladdr names a shared library by its path, but the program itself by its argv[0],
    // which may be relative or a link: the program is read from /proc/self/exe instead.
    Dl_info info{};
    std::string path;
    if (dladdr(reinterpret_cast<void*>(&OwnBuild), &info) != 0 && info.dli_fname != nullptr &&
        std::strcmp(info.dli_fname, program_invocation_name) != 0)
        path = info.dli_fname;
    if (path.empty()) {
        char buffer[4096];
        const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
        if (n > 0) path.assign(buffer, static_cast<std::size_t>(n));
    }
    const FaceCache::Seen seen = FaceCache::Look(path);
    return std::to_string(seen.mtime) + ' ' + std::to_string(seen.size) + ' ' + path;
}

// The executable's own name, as fontconfig's rules see the program: only letters, digits,
// '.', '-' and '_' are kept in the file name.
std::string ProgramName() {
    char buffer[4096];
    const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    std::string path = n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : std::string();
    std::string name = path.substr(path.find_last_of('/') + 1);
    for (char& c : name)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '_'))
            c = '_';
    return name.empty() ? "program" : name;
}

}  // namespace

FaceCache::Seen FaceCache::Look(const std::string& path) {
    Seen seen{path, -1, -1};
    struct stat st {};
    if (stat(path.c_str(), &st) == 0) {
        seen.mtime = static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
        seen.size = static_cast<long long>(st.st_size);
    }
    return seen;
}

std::string FaceCache::Version() { return std::to_string(FcGetVersion()) + ' ' + OwnBuild(); }

FaceCache::Stamp FaceCache::CurrentStamp() {
    Stamp stamp;
    stamp.version = Version();
    for (const char* name : kEnvironment) stamp.environment.emplace_back(name, EnvEntry(name));
    std::set<std::string> paths;
    const auto add_list = [&](FcStrList* list, bool with_folder) {
        if (list == nullptr) return;
        while (FcChar8* p = FcStrListNext(list)) {
            const std::string path = reinterpret_cast<const char*>(p);
            paths.insert(path);
            if (with_folder) paths.insert(path.substr(0, path.find_last_of('/')));
        }
        FcStrListDone(list);
    };
    add_list(FcConfigGetConfigFiles(nullptr), true);
    add_list(FcConfigGetConfigDirs(nullptr), false);
    add_list(FcConfigGetFontDirs(nullptr), false);
    // Where a user's configuration and fonts go, whether or not there are any yet.
    const std::string config = UserFolder("XDG_CONFIG_HOME", ".config");
    const std::string data = UserFolder("XDG_DATA_HOME", ".local/share");
    const std::string home = Env("HOME");
    if (!config.empty())
        for (const char* p : {"/fontconfig", "/fontconfig/fonts.conf", "/fontconfig/conf.d"})
            paths.insert(config + p);
    if (!data.empty()) paths.insert(data + "/fonts");
    if (!home.empty())
        for (const char* p : {"/.fonts.conf", "/.fonts.conf.d", "/.fonts"}) paths.insert(home + p);
    paths.insert(WineFontFolder());
    for (const std::string& path : paths) stamp.paths.push_back(Look(path));
    return stamp;
}

bool FaceCache::Holds(const Stamp& stamp) {
    if (stamp.version != Version()) return false;
    if (stamp.environment.size() != std::size(kEnvironment)) return false;
    for (std::size_t i = 0; i < stamp.environment.size(); ++i)
        if (stamp.environment[i].first != kEnvironment[i] ||
            stamp.environment[i].second != EnvEntry(kEnvironment[i]))
            return false;
    return std::all_of(stamp.paths.begin(), stamp.paths.end(),
                       [](const Seen& seen) { return Look(seen.path) == seen; });
}

std::string FaceCache::Format(const Stamp& stamp, const std::vector<Face>& faces) {
    std::ostringstream out;
    out << kHeader << '\n' << "version " << stamp.version << '\n';
    for (const auto& [name, value] : stamp.environment) out << "env " << name << value << '\n';
    for (const Seen& seen : stamp.paths)
        out << "path " << seen.mtime << ' ' << seen.size << ' ' << seen.path << '\n';
    for (const Face& f : faces) {
        const ResolvedFace& r = f.resolved;
        out << "face " << f.weight << ' ' << f.italic << ' ' << r.bold << ' ' << r.italic << ' '
            << r.substituted << ' ' << r.index << ' ' << f.family << '\t' << r.family << '\t'
            << r.file << '\n';
    }
    return out.str();
}

bool FaceCache::Parse(const std::string& text, Stamp& stamp, std::vector<Face>& faces) {
    stamp = Stamp{};
    faces.clear();
    if (text.size() > kMaxBytes || text.empty() || text.back() != '\n') return false;
    std::vector<std::string_view> words;
    std::string_view rest;
    std::size_t at = 0;
    bool first = true;
    while (at < text.size()) {
        const std::size_t end = text.find('\n', at);
        const std::string_view line(text.data() + at, end - at);
        at = end + 1;
        if (first) {
            if (line != kHeader) return false;
            first = false;
        } else if (line.rfind("version ", 0) == 0) {
            stamp.version = std::string(line.substr(8));
        } else if (line.rfind("env ", 0) == 0) {
            const std::string_view entry = line.substr(4);
            const std::size_t eq = entry.find('=');
            stamp.environment.emplace_back(
                std::string(entry.substr(0, eq)),
                eq == std::string_view::npos ? std::string() : std::string(entry.substr(eq)));
        } else if (line.rfind("path ", 0) == 0) {
            Seen seen;
            if (!Words(line.substr(5), 2, words, rest) || !ReadNumber(words[0], seen.mtime) ||
                !ReadNumber(words[1], seen.size) || rest.empty())
                return false;
            seen.path = std::string(rest);
            stamp.paths.push_back(std::move(seen));
        } else if (line.rfind("face ", 0) == 0) {
            Face f;
            int flags[4];
            if (faces.size() >= kMaxFaces || !Words(line.substr(5), 6, words, rest) ||
                !ReadNumber(words[0], f.weight) || !ReadNumber(words[5], f.resolved.index))
                return false;
            for (int i = 0; i < 4; ++i)
                if (!ReadNumber(words[1 + i], flags[i]) || (flags[i] != 0 && flags[i] != 1))
                    return false;
            f.italic = flags[0] != 0;
            f.resolved.bold = flags[1] != 0;
            f.resolved.italic = flags[2] != 0;
            f.resolved.substituted = flags[3] != 0;
            const std::size_t tab1 = rest.find('\t');
            const std::size_t tab2 =
                tab1 == std::string_view::npos ? tab1 : rest.find('\t', tab1 + 1);
            if (tab2 == std::string_view::npos ||
                rest.find('\t', tab2 + 1) != std::string_view::npos)
                return false;
            f.family = std::string(rest.substr(0, tab1));
            f.resolved.family = std::string(rest.substr(tab1 + 1, tab2 - tab1 - 1));
            f.resolved.file = std::string(rest.substr(tab2 + 1));
            if (f.resolved.file.empty()) return false;
            faces.push_back(std::move(f));
        } else {
            return false;
        }
    }
    return !first;
}

FaceCache::FaceCache(std::string file) : file_(std::move(file)) {
    if (file_.empty()) return;
    struct stat st {};
    if (stat(file_.c_str(), &st) != 0 || !S_ISREG(st.st_mode) ||
        static_cast<unsigned long long>(st.st_size) > kMaxBytes)
        return;
    std::ifstream in(file_, std::ios::binary);
    std::string text(static_cast<std::size_t>(st.st_size), '\0');
    if (!in.read(text.data(), static_cast<std::streamsize>(text.size()))) return;
    Stamp stamp;
    std::vector<Face> faces;
    if (Parse(text, stamp, faces) && Holds(stamp)) {
        stamp_ = std::move(stamp);
        faces_ = std::move(faces);
    }
}

FaceCache& FaceCache::Session() {
    static FaceCache cache([] {
        const std::string folder = UserFolder("XDG_CACHE_HOME", ".cache");
        return folder.empty() ? std::string() : folder + "/sheenwork/faces-" + ProgramName();
    }());
    return cache;
}

std::optional<ResolvedFace> FaceCache::Find(const std::string& family, int weight,
                                            bool italic) const {
    for (const Face& f : faces_) {
        if (f.family != family || f.weight != weight || f.italic != italic) continue;
        struct stat st {};
        if (stat(f.resolved.file.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
        return f.resolved;
    }
    return std::nullopt;
}

void FaceCache::Keep(const std::string& family, int weight, bool italic, const ResolvedFace& face,
                     const Stamp& stamp) {
    if (file_.empty() || !OneField(family) || !OneField(face.family) || !OneField(face.file) ||
        face.file.empty())
        return;
    for (const Seen& seen : stamp.paths)
        if (!OneLine(seen.path) || seen.path.empty()) return;
    for (const auto& entry : stamp.environment)
        if (!OneLine(entry.second)) return;
    if (!(stamp == stamp_)) {
        stamp_ = stamp;
        faces_.clear();
    }
    const auto same = [&](const Face& f) {
        return f.family == family && f.weight == weight && f.italic == italic;
    };
    faces_.erase(std::remove_if(faces_.begin(), faces_.end(), same), faces_.end());
    if (faces_.size() >= kMaxFaces) return;
    faces_.push_back(Face{family, weight, italic, face});
    Save();
}

void FaceCache::Save() const {
    const std::string text = Format(stamp_, faces_);
    if (text.size() > kMaxBytes) return;
    const std::string folder = file_.substr(0, file_.find_last_of('/'));
    mkdir(folder.substr(0, folder.find_last_of('/')).c_str(), 0700);
    mkdir(folder.c_str(), 0700);
    // Written beside and renamed over the old file: a reader sees the old or the new.
    const std::string temporary = file_ + ".tmp" + std::to_string(getpid());
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out.write(text.data(), static_cast<std::streamsize>(text.size()))) {
            std::remove(temporary.c_str());
            return;
        }
    }
    if (std::rename(temporary.c_str(), file_.c_str()) != 0) std::remove(temporary.c_str());
}

}  // namespace sheenwork::text
