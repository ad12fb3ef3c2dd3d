// `sheenwork run` for the window tests: the tool's own run command, with the runtime's
// stories as its form files (their set-up lines build the form) and the test controls
// beside the Sheenwork classes. Shell and sound calls are written out as "shell ..."
// lines instead of run, as the headless stories record them.
//
//   sheenwork-story-host run STORY [--scale N] --trace
#include <iostream>

#include "cli.h"
#include "run.h"
#include "support/logging_control.h"
#include "support/recording_services.h"
#include "support/story.h"

using namespace sheenwork;

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty() || args[0] != "run") {
        std::cerr << "usage: sheenwork-story-host run STORY [--scale N] --trace\n";
        return 2;
    }
    args.erase(args.begin());
    testing::RecordingServices services;
    services.on_call = [](const std::string& call) { std::cout << "shell " << call << "\n"; };
    // The loader builds the story's form; the logging controls write what they are told.
    auto log = std::make_shared<testing::NotificationLog>();
    log->on_entry = [](const std::string& entry) { std::cout << entry << "\n"; };
    const auto loader = [log](runtime::Runtime& rt, const std::string& path) -> runtime::Form& {
        const testing::Story story = testing::ReadStory(path);
        if (story.setup.empty() && story.sections.empty())
            throw std::runtime_error(path + ": no story here");
        return testing::BuildStoryForm(rt, story);
    };
    // The test controls need their access keys before the form exists: read them first.
    std::vector<std::string> keys;
    for (const auto& a : args)
        if (a.size() > 6 && a.substr(a.size() - 6) == ".story")
            keys = testing::AccessKeys(testing::ReadStory(a));
    cli::RunOptions options;
    options.controls = testing::LoggingFactory(log, keys);
    options.loader = loader;
    return cli::Run(args, std::cout, std::cerr, options);
}
