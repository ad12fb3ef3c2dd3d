// sheenwork run on Windows: a form file in a window of the platform, each button hosted
// as an ActiveX control by the container of the platform layer.
#include <sheenwork/runtime/form_file.h>

#include <ostream>

#include "cli.h"
#include "platform/host/container.h"

namespace sheenwork::cli {

int RunContainer(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::string path;
    bool trace = false;
    for (const std::string& a : args) {
        if (a == "--trace")
            trace = true;
        else if (a == "--demo" || a == "--scale")
            throw UsageError{"run: " + a +
                             " is the Linux window host's; here run takes FORM [--trace]"};
        else if (!a.empty() && a[0] == '-')
            throw UsageError{"run: unknown option '" + a + "'"};
        else if (path.empty())
            path = a;
        else
            throw UsageError{"run: unexpected '" + a + "'"};
    }
    if (path.empty()) throw UsageError{"run needs a FORM"};
    runtime::FormFile form;
    try {
        form = runtime::ReadFormFile(path);
    } catch (const runtime::FormFileError& e) {
        for (const auto& problem : e.Problems()) err << problem.Text() << "\n";
        return kBadInput;
    }
    try {
        // With --trace the window also takes commands (focus NAME, wait MS) on its input.
        host::Container container({trace ? &out : nullptr, trace, ""});
        container.Open(form);
        return container.Run();
    } catch (const std::exception& e) {
        err << "sheenwork: " << e.what() << "\n";
        return kBadInput;
    }
}

}  // namespace sheenwork::cli
