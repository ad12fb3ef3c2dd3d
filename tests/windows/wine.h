// What the Windows tests drive: the Windows build (make windows) and Wine prefixes of
// their own, each a copy of one base prefix made once per run (the Makefile removes it
// before a run) with the settings every test needs: DejaVu Sans where a form asks for
// Verdana, as our fontconfig has it, and the classic tooltip colours with no visual
// style. Every Wine program runs under `timeout -k`.
//
// A missing tool or build is a failure, never a skip: the tests say what is missing.
#pragma once

#include <string>
#include <vector>

namespace sheenwork::testing {

class Display;

// A file of the Windows build; throws naming `make windows` when it is not there.
std::string WindowsFile(const std::string& name);
// A Linux path as a Windows program reaches it (Z:\...).
std::string WinePath(const std::string& path);

class WinePrefix {
public:
    // A prefix named after the test, optionally with a display for its windows.
    explicit WinePrefix(const std::string& name, const Display* display = nullptr);
    ~WinePrefix();
    WinePrefix(const WinePrefix&) = delete;
    WinePrefix& operator=(const WinePrefix&) = delete;

    const std::string& Dir() const { return dir_; }
    std::vector<std::string> Env() const;

    struct Result {
        int code = 0;
        std::vector<std::string> lines;  // standard output
    };
    // `wine` with `args` to its end, within `seconds`.
    Result Run(const std::vector<std::string>& args, int seconds = 120) const;
    // The same, throwing with the output when the exit code is not 0.
    std::vector<std::string> Must(const std::vector<std::string>& args, int seconds = 120) const;

private:
    std::string dir_;
    std::vector<std::string> env_;
};

}  // namespace sheenwork::testing
