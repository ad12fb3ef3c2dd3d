// sheenwork run: a form in a window. It lives in the sheenwork-run program, the only part
// of the tool that needs a display and links its libraries.
#pragma once

#include <sheenwork/desktop/app.h>

#include <iosfwd>
#include <string>
#include <vector>

namespace sheenwork::cli {

// What a host of `run` may put in place of the tool's own: the reader of FORM (empty:
// the form files this build reads) and the control classes (empty: Sheenwork's).
struct RunOptions {
    desktop::FormLoader loader;
    runtime::ControlFactory controls;
};
int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
        const RunOptions& with = {});

}  // namespace sheenwork::cli
