// sheenwork run: a form in a real window, or the built-in demo form.
#include <sheenwork/desktop/app.h>
#include <sheenwork/runtime/form_file.h>

#include <ostream>

#include "cli.h"
#include "demo.h"
#include "run.h"

namespace sheenwork::cli {

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
        const RunOptions& with) {
    std::string path;
    bool demo = false, trace = false;
    int scale = 1;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--demo") {
            demo = true;
        } else if (a == "--trace") {
            trace = true;
        } else if (a == "--scale") {
            if (i + 1 == args.size()) throw UsageError{"run: --scale needs a number"};
            const std::string& n = args[++i];
            if (n.size() != 1 || n[0] < '1' || n[0] > '8')
                throw UsageError{"run: --scale takes a whole number from 1 to 8, not '" + n + "'"};
            scale = n[0] - '0';
        } else if (!a.empty() && a[0] == '-') {
            throw UsageError{"run: unknown option '" + a + "'"};
        } else if (path.empty()) {
            path = a;
        } else {
            throw UsageError{"run: unexpected '" + a + "'"};
        }
    }
    if (demo == !path.empty()) throw UsageError{"run needs a FORM or --demo"};

    // A form file's problems are the file's, display or not: read it before any window.
    if (!path.empty() && !with.loader) {
        try {
            runtime::ReadFormFile(path);
        } catch (const runtime::FormFileError& e) {
            for (const auto& problem : e.Problems()) err << problem.Text() << "\n";
            return kBadInput;
        }
    }

    desktop::Options options;
    options.scale = scale;
    options.trace = trace ? &out : nullptr;
    options.controls = with.controls;
    std::unique_ptr<desktop::App> app;
    try {
        app = std::make_unique<desktop::App>(options);
    } catch (const desktop::DisplayError& e) {
        err << "sheenwork: " << e.what() << "\n";
        return kBadInput;
    }
    if (with.loader) app->SetFormLoader(with.loader);
    std::vector<std::unique_ptr<TracedEvents>> sinks;
    std::unique_ptr<Demo> built;
    if (demo) {
        runtime::Form& form = app->CreateForm("Demo", {kDemoWidth, kDemoHeight});
        desktop::App* a = app.get();
        built = BuildDemo(form, {[a](const std::string& name, runtime::Position at,
                                     runtime::Size size) -> runtime::Form& {
                                     return a->CreatePopupForm(name, at, size);
                                 },
                                 app->Trace()});
    } else {
        try {
            runtime::Form& form = app->Open(path);
            if (app->Trace()) TraceButtons(form, app->Trace(), sinks);
        } catch (const std::exception& e) {
            err << "sheenwork: " << e.what() << "\n";
            return kBadInput;
        }
    }
    const int code = app->Run();
    built.reset();
    sinks.clear();
    return code;
}

}  // namespace sheenwork::cli
