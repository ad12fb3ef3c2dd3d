// The sheenwork command-line tool: its commands, each a function of its arguments that
// writes to the given streams and returns the process's exit code.
#pragma once

#include <sheenwork/desktop/app.h>

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

// `args` without the program name.
int Main(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

int Props(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int Render(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int Check(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int Gallery(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
// What a host of `run` may put in place of the tool's own: the reader of FORM (empty:
// the form files this build reads) and the control classes (empty: Sheenwork's).
struct RunOptions {
    desktop::FormLoader loader;
    runtime::ControlFactory controls;
};
int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
        const RunOptions& with = {});

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
