// What the window tests drive: an Xvfb display of their own (24-bit, so that pixels
// arrive exactly), programs run on it under `timeout -k`, xdotool for input, one
// GetImage of the root window for screenshots, and a host process whose trace lines are
// read as they come.
//
// A missing tool is a failure, never a skip: the tests name the Debian package.
#pragma once

#include <sheenwork/gdi/gdi.h>

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "png_io.h"

namespace sheenwork::testing {

// Throws std::runtime_error naming the Debian package of each of `tools` (program and
// package) that is not installed, and who needs it: by default the programs the window
// tests need (Xvfb, xdpyinfo, xdotool, timeout).
using Tools = std::vector<std::pair<std::string, std::string>>;
void RequireTools(const Tools& tools = {{"Xvfb", "xvfb"},
                                        {"xdpyinfo", "x11-utils"},
                                        {"xdotool", "xdotool"},
                                        {"timeout", "coreutils"}},
                  const std::string& who = "the window tests");

// A child process with its standard input and output on pipes, in its own process group
// (ended with the group), run under `timeout -k 5 <seconds>`.
class Process {
public:
    // `quiet`: its standard error goes nowhere.
    Process(const std::vector<std::string>& argv, const std::vector<std::string>& env,
            int seconds = 120, bool quiet = false);
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    // The first line from line `from` on that satisfies `match`, reading more as they
    // come; its index. Every line read is kept (Lines), without the carriage return a
    // Windows program ends it with. Throws when the process ends first, or after
    // `seconds` without it (a hung host must not hang the test run).
    std::size_t Find(const std::function<bool(const std::string&)>& match, std::size_t from,
                     int seconds = 20);
    // The next line not looked at yet that satisfies `match`.
    std::string WaitFor(const std::function<bool(const std::string&)>& match, int seconds = 20);
    const std::vector<std::string>& Lines() const { return lines_; }
    // Everything it wrote, as it came (a binary output's bytes).
    const std::string& Output() const { return output_; }
    // Reads to the end of the output (a last line without its line end included); throws
    // after `seconds`.
    void Drain(int seconds);
    void Send(const std::string& line);
    // Waits for the end; the exit code (128 + n for a signal).
    int Wait();
    // Drains the output within `seconds`, then waits for the end; the exit code.
    int Finish(int seconds) {
        Drain(seconds);
        return Wait();
    }
    void Signal(int sig);

private:
    // Reads what has come by `end` and splits it into lines: 1, or 0 at the end of the
    // output, -1 once `end` has passed.
    int Read(std::chrono::steady_clock::time_point end);
    pid_t pid_ = -1;
    int in_ = -1, out_ = -1;
    std::string pending_, output_;
    std::vector<std::string> lines_;
    std::size_t next_ = 0;
};

// An Xvfb server on a free display, 1024 x 768 at 24 bits, kept up until destroyed. With
// SHEENWORK_DISPLAYS=FIRST-LAST set, the display is the first free number of that range.
class Display {
public:
    Display();
    ~Display();
    const std::string& Name() const { return name_; }
    // The environment a program on this display needs (DISPLAY, SDL_VIDEODRIVER=x11).
    std::vector<std::string> Env() const;
    // Runs a program on the display to its end, its output; throws when it fails.
    std::string Run(const std::vector<std::string>& argv) const;
    // xdotool with these arguments.
    void Xdotool(const std::vector<std::string>& args) const;
    // The screen's pixels in `rect` (0x00BBGGRR) as the server holds them, read with one
    // GetImage of the root window (a dump window by window, as xwd makes of windows with
    // colour maps of their own, as Wine's, leaves black where one covers another).
    png::Image Screenshot(gdi::Rect rect) const;

private:
    std::unique_ptr<Process> server_;
    std::string name_;
};

}  // namespace sheenwork::testing
