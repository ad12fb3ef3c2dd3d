// The sheenwork command-line tool: its commands, each a function of its arguments that
// writes to the given streams and returns the process's exit code.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace sheenwork::cli {

// Exit codes, as command-line conventions have them.
inline constexpr int kOk = 0;
inline constexpr int kBadInput = 1;  // a form, a script or a file that cannot be used
inline constexpr int kUsage = 2;     // the command line itself is wrong

// A wrong command line: the message and the usage line of the command.
struct UsageError {
    std::string message;
};

// A command: its arguments (without the command's name), the streams, the exit code.
using Command = int (*)(const std::vector<std::string>& args, std::ostream& out,
                        std::ostream& err);

// `args` without the program name. `run` is what the command of that name does: the
// window host is a program of its own (sheenwork-run), so that the other commands do not
// load the display libraries it needs.
int Main(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
         Command run);

int Props(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int Render(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int Check(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int Gallery(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int Convert(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// Shows "[#####.....] n/total what" on a terminal, nothing elsewhere.
class Progress {
public:
    Progress(std::ostream& err, int total, bool terminal);
    void Step(const std::string& what);
    ~Progress();

private:
    std::ostream& err_;
    int total_, done_ = 0;
    bool terminal_;
};

// Quotes a string for JSON: UTF-8 passes through, control characters are escaped.
std::string JsonString(const std::string& s);
// Escapes text for HTML.
std::string HtmlText(const std::string& s);

}  // namespace sheenwork::cli
