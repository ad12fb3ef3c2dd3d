#include "windows/wine.h"

#include <sheenwork/text/fonts.h>
#include <sys/file.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "desktop/xserver.h"

namespace sheenwork::testing {
namespace {

namespace fs = std::filesystem;

const std::vector<std::string> kWineEnv = {"WINEDEBUG=-all",
                                           "WINEDLLOVERRIDES=mscoree,mshtml=", "WINEARCH=win64"};

int Exec(const std::vector<std::string>& argv, const std::vector<std::string>& env, int seconds) {
    return Process(argv, env, seconds, true).Finish(seconds + 10);
}

// The base prefix of this run: made by the first test that needs it, under a lock.
std::string BasePrefix() {
    const std::string root = SHEENWORK_WINE_DIR;
    fs::create_directories(root);
    const std::string base = root + "/base";
    const int lock = open((root + "/base.lock").c_str(), O_CREAT | O_RDWR, 0644);
    if (lock < 0 || flock(lock, LOCK_EX) != 0) throw std::runtime_error("cannot lock " + root);
    struct Unlock {
        int fd;
        ~Unlock() { close(fd); }
    } unlock{lock};
    if (fs::exists(base + "/ready")) return base;
    RequireTools({{"wine", "wine"}, {"wineserver", "wine"}, {"wineboot", "wine"}},
                 "the Windows tests");
    fs::remove_all(base);
    fs::create_directories(base);
    std::vector<std::string> env = kWineEnv;
    env.push_back("WINEPREFIX=" + base);
    const auto step = [&](const std::vector<std::string>& argv, const char* what) {
        if (Exec(argv, env, 300) != 0)
            throw std::runtime_error(std::string("making the base Wine prefix: ") + what +
                                     " failed");
    };
    step({"sh", "-c", "unset DISPLAY WAYLAND_DISPLAY; wineboot --init && wineserver -w"},
         "wineboot");
    // Windows' own faces (Marlett, Tahoma, ...): Debian's Wine does not load its font
    // folder by itself, and without Marlett the control draws its arrow as boxes where
    // our text engine, which reads that folder, draws the glyph. Wine reads the
    // prefix's Fonts folder, so the same files go there.
    const std::string wine_fonts = text::WineFontFolder();
    if (!fs::exists(wine_fonts + "/marlett.ttf"))
        throw std::runtime_error(wine_fonts +
                                 "/marlett.ttf is missing (Debian package fonts-wine)");
    for (const auto& f : fs::directory_iterator(wine_fonts))
        if (f.path().extension() == ".ttf")
            fs::create_symlink(f.path(),
                               base + "/drive_c/windows/Fonts/" + f.path().filename().string());
    // The settings of tests/data/windows/settings.reg: the fonts, the smoothing, the
    // tooltip without a visual style and Windows XP's system colours.
    step({"wine", "regedit", "/S",
          WinePath(std::string(SHEENWORK_TEST_DATA_DIR) + "/windows/settings.reg")},
         "regedit");
    // The registry reaches its files once the server has ended.
    step({"wineserver", "-w"}, "wineserver -w");
    std::ofstream(base + "/ready") << "ready\n";
    return base;
}

}  // namespace

std::string WindowsFile(const std::string& name) {
    const std::string path = std::string(SHEENWORK_WINDOWS_BUILD) + "/" + name;
    if (!fs::exists(path)) throw std::runtime_error(path + " is missing: `make windows` builds it");
    return path;
}

std::string WinePath(const std::string& path) {
    std::string out = "Z:" + fs::absolute(path).lexically_normal().string();
    for (char& c : out)
        if (c == '/') c = '\\';
    return out;
}

WinePrefix::WinePrefix(const std::string& name, const Display* display) {
    const std::string base = BasePrefix();
    dir_ = std::string(SHEENWORK_WINE_DIR) + "/" + name;
    fs::remove_all(dir_);
    // Hard links for the system's files, which nothing writes to; copies of the files
    // Wine rewrites in place (the registry, the .ini files), so that no test reaches
    // the base or another test's prefix through them.
    if (Exec({"cp", "-al", base, dir_}, {}, 120) != 0 ||
        Exec({"sh", "-c",
              "cd \"$0\" && find . -maxdepth 4 -type f \\( -name '*.reg' -o -name '*.ini' \\) | "
              "while read -r f; do cp --remove-destination \"$1/$f\" \"$f\" || exit 1; done",
              dir_, base},
             {}, 120) != 0)
        throw std::runtime_error("cannot copy the base Wine prefix to " + dir_);
    fs::remove(dir_ + "/ready");
    env_ = kWineEnv;
    env_.push_back("WINEPREFIX=" + dir_);
    if (display)
        for (const auto& e : display->Env()) env_.push_back(e);
}

WinePrefix::~WinePrefix() {
    try {
        Exec({"wineserver", "-k"}, env_, 30);
    } catch (...) {
    }
}

std::vector<std::string> WinePrefix::Env() const { return env_; }

WinePrefix::Result WinePrefix::Run(const std::vector<std::string>& args, int seconds) const {
    std::vector<std::string> argv{"wine"};
    argv.insert(argv.end(), args.begin(), args.end());
    Process p(argv, env_, seconds, true);
    const int code = p.Finish(seconds + 10);
    return {code, p.Lines()};
}

std::vector<std::string> WinePrefix::Must(const std::vector<std::string>& args, int seconds) const {
    const Result r = Run(args, seconds);
    if (r.code == 0) return r.lines;
    std::string said;
    for (const auto& l : r.lines) said += "\n  " + l;
    throw std::runtime_error("wine " + args.at(0) + " ended with " + std::to_string(r.code) + said);
}

}  // namespace sheenwork::testing
