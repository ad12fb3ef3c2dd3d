// sheenwork-story-container.exe STORY: a story of the runtime
// (tests/data/runtime) as a form of the container, its buttons ActiveX controls created as new,
// their properties set late-bound as a program sets them, then the window with the trace and the
// commands on standard input (focus, wait, close), for the Windows story test.
#include <fcntl.h>
#include <io.h>

#include <iostream>

#include "platform/host/container.h"
#include "support/story.h"

namespace sheenwork::testing {
namespace {

// The container as a story's host: the set-up lines as a program builds the form.
class ContainerBuilder final : public StoryBuilder {
public:
    explicit ContainerBuilder(host::Container& container) : container_(container) {}
    void Form(gdi::Rect screen) override {
        container_.NewForm("Form1", runtime::PositionOf(screen), runtime::SizeOf(screen));
    }
    void Control(const std::string& name, const std::string& cls, gdi::Rect rect,
                 const std::vector<std::string>& options) override {
        if (!options.empty()) throw std::runtime_error(name + ": no options here");
        container_.Add(cls, name, runtime::PositionOf(rect), runtime::SizeOf(rect));
    }
    void Set(const std::string& name, const std::string& key, const std::string& value,
             const std::string&) override {
        container_.Set(name, key, value);
    }
    void Default(const std::string& name) override { container_.DefaultButton(name); }
    void Cancel(const std::string& name) override { container_.CancelButton(name); }
    bool Other(const std::string&, const std::string&, const std::string&) override {
        return false;
    }

private:
    host::Container& container_;
};

}  // namespace
}  // namespace sheenwork::testing

int main(int argc, char** argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    if (argc != 2) {
        std::cerr << "usage: sheenwork-story-container.exe STORY\n";
        return 2;
    }
    try {
        using namespace sheenwork;
        host::Container container({&std::cout, true, ""});
        testing::ContainerBuilder builder(container);
        testing::BuildStory(testing::ReadStory(argv[1]), builder);
        return container.Run();
    } catch (const std::exception& e) {
        std::cerr << "sheenwork-story-container: " << e.what() << "\n";
        return 1;
    }
}
