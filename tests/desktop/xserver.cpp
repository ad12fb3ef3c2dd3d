#include "desktop/xserver.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <utility>

// Xlib last: its macros (True, False, None, Status) name things of ours.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace sheenwork::testing {
namespace {

bool OnPath(const std::string& program) {
    return std::system(("command -v " + program + " > /dev/null 2>&1").c_str()) == 0;
}

std::vector<char*> Argv(const std::vector<std::string>& v) {
    std::vector<char*> out;
    for (const auto& s : v) out.push_back(const_cast<char*>(s.c_str()));
    out.push_back(nullptr);
    return out;
}

// A refused request (a rectangle off the screen) is an answer, not the end of the test
// program, which is what Xlib's own handler makes of it.
int Refused(::Display*, XErrorEvent*) { return 0; }

}  // namespace

void RequireTools(const Tools& tools, const std::string& who) {
    std::string missing;
    for (const auto& [program, package] : tools)
        if (!OnPath(program)) missing += " " + program + " (Debian package " + package + ")";
    if (!missing.empty())
        throw std::runtime_error(who + " need:" + missing + "; `make deps` installs them");
}

Process::Process(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                 int seconds, bool quiet) {
    int in[2], out[2];
    if (pipe(in) != 0 || pipe(out) != 0) throw std::runtime_error("pipe failed");
    std::vector<std::string> full = {"timeout", "-k", "5", std::to_string(seconds)};
    full.insert(full.end(), argv.begin(), argv.end());
    pid_ = fork();
    if (pid_ < 0) throw std::runtime_error("fork failed");
    if (pid_ == 0) {
        setpgid(0, 0);
        // A test that is killed takes its programs with it (timeout passes the signal on).
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        dup2(in[0], STDIN_FILENO);
        dup2(out[1], STDOUT_FILENO);
        if (quiet) {
            const int null = open("/dev/null", O_WRONLY);
            dup2(null, STDERR_FILENO);
        }
        for (int fd : {in[0], in[1], out[0], out[1]}) close(fd);
        for (const auto& e : env) putenv(const_cast<char*>(e.c_str()));
        const auto args = Argv(full);
        execvp(args[0], args.data());
        _exit(127);
    }
    setpgid(pid_, pid_);
    close(in[0]);
    close(out[1]);
    in_ = in[1];
    out_ = out[0];
    signal(SIGPIPE, SIG_IGN);
}

Process::~Process() {
    if (pid_ > 0) {
        kill(-pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    if (in_ >= 0) close(in_);
    if (out_ >= 0) close(out_);
}

int Process::Read(std::chrono::steady_clock::time_point end) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                          end - std::chrono::steady_clock::now())
                          .count();
    if (left <= 0) return -1;
    pollfd p{out_, POLLIN, 0};
    if (poll(&p, 1, static_cast<int>(left)) > 0) {
        char buf[4096];
        const ssize_t n = read(out_, buf, sizeof buf);
        if (n <= 0) return 0;
        pending_.append(buf, static_cast<std::size_t>(n));
        output_.append(buf, static_cast<std::size_t>(n));
    }
    for (std::size_t at; (at = pending_.find('\n')) != std::string::npos;) {
        lines_.push_back(pending_.substr(0, at > 0 && pending_[at - 1] == '\r' ? at - 1 : at));
        pending_.erase(0, at + 1);
    }
    return 1;
}

std::size_t Process::Find(const std::function<bool(const std::string&)>& match, std::size_t from,
                          int seconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    for (std::size_t i = from;;) {
        for (; i < lines_.size(); ++i)
            if (match(lines_[i])) return i;
        const int read = Read(end);
        if (read < 0)
            throw std::runtime_error("no such line within " + std::to_string(seconds) + " s");
        if (read == 0) throw std::runtime_error("the process ended before the line came");
    }
}

void Process::Drain(int seconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    for (int read; (read = Read(end)) != 0;)
        if (read < 0)
            throw std::runtime_error("the output did not end within " + std::to_string(seconds) +
                                     " s");
    if (!pending_.empty()) lines_.push_back(std::exchange(pending_, {}));
}

std::string Process::WaitFor(const std::function<bool(const std::string&)>& match, int seconds) {
    const std::size_t at = Find(match, next_, seconds);
    next_ = at + 1;
    return lines_[at];
}

void Process::Send(const std::string& line) {
    const std::string l = line + "\n";
    if (write(in_, l.data(), l.size()) != static_cast<ssize_t>(l.size()))
        throw std::runtime_error("cannot write to the process");
}

int Process::Wait() {
    int status = 0;
    if (pid_ > 0 && waitpid(pid_, &status, 0) == pid_) pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

void Process::Signal(int sig) {
    if (pid_ > 0) kill(pid_, sig);
}

Display::Display() {
    RequireTools();
    // -displayfd: the server writes its display's number once it takes connections (and
    // picks a free one when none is given). -noreset: without it the server resets when
    // its last client leaves. -r: no key auto-repeat, so that a key held between
    // xdotool's down and up on a busy machine stays one press instead of repeating.
    std::vector<std::string> argv{"Xvfb",        "-displayfd", "1",   "-screen",  "0",
                                  "1024x768x24", "-nolisten",  "tcp", "-noreset", "-r"};
    // Within SHEENWORK_DISPLAYS, a number that looks free may be taken by a server another
    // test starts at the same moment: that server then ends at once, and the next number
    // is tried.
    int first = 0, last = -1;
    if (const char* range = std::getenv("SHEENWORK_DISPLAYS"))
        std::sscanf(range, "%d-%d", &first, &last);
    const auto start = [&](const std::vector<std::string>& command) {
        server_ = std::make_unique<Process>(command, std::vector<std::string>{}, 3600, true);
        name_ = ":" + server_->WaitFor([](const std::string& l) { return !l.empty(); }, 30);
    };
    for (int n = first; n <= last && name_.empty(); ++n) {
        if (access(("/tmp/.X11-unix/X" + std::to_string(n)).c_str(), F_OK) == 0 ||
            access(("/tmp/.X" + std::to_string(n) + "-lock").c_str(), F_OK) == 0)
            continue;
        std::vector<std::string> numbered = argv;
        numbered.insert(numbered.begin() + 1, ":" + std::to_string(n));
        try {
            start(numbered);
        } catch (const std::runtime_error&) {
            if (n == last) throw;
        }
    }
    if (name_.empty()) start(argv);
    Run({"xdpyinfo", "-display", name_});
}

Display::~Display() = default;

std::vector<std::string> Display::Env() const {
    return {"DISPLAY=" + name_, "SDL_VIDEODRIVER=x11"};
}

std::string Display::Run(const std::vector<std::string>& argv) const {
    Process p(argv, Env(), 30);
    const int code = p.Finish(30);
    if (code != 0) throw std::runtime_error(argv[0] + " failed with " + std::to_string(code));
    return p.Output();
}

void Display::Xdotool(const std::vector<std::string>& args) const {
    std::vector<std::string> argv = {"xdotool"};
    argv.insert(argv.end(), args.begin(), args.end());
    Run(argv);
}

png::Image Display::Screenshot(gdi::Rect rect) const {
    ::Display* x = XOpenDisplay(name_.c_str());
    if (!x) throw std::runtime_error("cannot open the X display " + name_);
    const auto previous = XSetErrorHandler(Refused);
    XImage* image = XGetImage(x, DefaultRootWindow(x), rect.left, rect.top, rect.Width(),
                              rect.Height(), AllPlanes, ZPixmap);
    XSetErrorHandler(previous);
    png::Image out{rect.Width(), rect.Height(), {}};
    const int depth = image ? image->depth : 0;
    for (int y = 0; depth == 24 && y < rect.Height(); ++y)
        for (int col = 0; col < rect.Width(); ++col) {
            // 0x00RRGGBB to the raster's 0x00BBGGRR.
            const unsigned long p = XGetPixel(image, col, y);
            out.pixels.push_back(
                static_cast<gdi::ColorRef>((p & 0xFF) << 16 | (p & 0xFF00) | (p >> 16 & 0xFF)));
        }
    if (image) XDestroyImage(image);
    XCloseDisplay(x);
    if (depth != 24)
        throw std::runtime_error("no 24-bit image of the screen of " + name_ + " (depth " +
                                 std::to_string(depth) + ")");
    return out;
}

}  // namespace sheenwork::testing
