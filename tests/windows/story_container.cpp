// sheenwork-story-container.exe STORY [--font NAME SIZE]: a story of the runtime
// (tests/data/runtime) as a form of the container, its buttons ActiveX controls created as new,
// their properties set late-bound as a program sets them, then the window with the trace and the
// commands on standard input (focus, wait, close), for the Windows story test.
#include <fcntl.h>
#include <io.h>

#include <iostream>
#include <sstream>

#include <sheenwork/vb/stdfont.h>

#include "platform/host/container.h"
#include "support/story.h"

int main(int argc, char** argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    if (argc != 2 && argc != 5) {
        std::cerr << "usage: sheenwork-story-container.exe STORY [--font NAME SIZE]\n";
        return 2;
    }
    try {
        using namespace sheenwork;
        const testing::Story story = testing::ReadStory(argv[1]);
        host::Container container({&std::cout, true, ""});
        if (argc == 5) container.FormFont(vb::StdFont(argv[3], std::stod(argv[4])));
        bool form = false;
        for (const std::string& line : story.setup) {
            std::istringstream words(line);
            std::string verb, name;
            words >> verb;
            if (verb == "form") {
                int l, t, w, h;
                words >> l >> t >> w >> h;
                container.NewForm("Form1", {l, t}, {w, h});
                form = true;
                continue;
            }
            if (!form) container.NewForm("Form1", {100, 100}, {300, 200});
            form = true;
            words >> name;
            if (verb == "control") {
                std::string cls, option;
                int l, t, w, h;
                words >> cls >> l >> t >> w >> h;
                if (words >> option) throw std::runtime_error(line + ": no options here");
                container.Add(cls, name, {l, t}, {w, h});
            } else if (verb == "set") {
                for (const auto& [key, value] :
                     testing::Assignments(line.substr(line.find(name) + name.size())))
                    container.Set(name, key, value);
            } else if (verb == "default") {
                container.DefaultButton(name);
            } else if (verb == "cancel") {
                container.CancelButton(name);
            } else {
                throw std::runtime_error("a line the container cannot build: " + line);
            }
        }
        if (!form) container.NewForm("Form1", {100, 100}, {300, 200});
        return container.Run();
    } catch (const std::exception& e) {
        std::cerr << "sheenwork-story-container: " << e.what() << "\n";
        return 1;
    }
}
