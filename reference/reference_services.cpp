// The services of the reference runner: a process that only paints into memory under
// Wine. There is no registry store (so no error log and no registration), no outside
// component, no sound and no browser; a report that would open a message box is written to standard
// error on one line, so that a failing paint shows in the run's output instead of waiting for a
// click.
#include <sheenwork/system/services.h>

#include <cstdio>
#include <stdexcept>
#include <string>

namespace sheenwork::system {

namespace {

class ReferenceServices final : public Services {
public:
    std::optional<std::string> RegistryString(Hive, const std::string&,
                                              const std::string&) override {
        return std::nullopt;
    }
    void SetRegistryString(Hive, const std::string&, const std::string&,
                           const std::string&) override {
        throw std::runtime_error("the reference runner has no registry store");
    }
    void DeleteRegistryTree(Hive, const std::string&) override {
        throw std::runtime_error("the reference runner has no registry store");
    }
    std::string LibraryPath() override { return {}; }
    std::string ProcessPath() override { return {}; }
    std::string NowText() override { return {}; }
    std::unique_ptr<ErrorComponent> CreateComponent(const std::string&) override { return nullptr; }
    int MessageBox(const std::string& text, const std::string& title, int) override {
        std::string line = text;
        for (std::size_t at = 0; (at = line.find("\r\n", at)) != std::string::npos;)
            line.replace(at, 2, " | ");
        std::fprintf(stderr, "[%s] %s\n", title.c_str(), line.c_str());
        return IDOK;
    }
    bool FindFirstFile(const std::string&) override { return false; }
    long ShellExecute(long, const std::string&, const std::string&, const std::string&,
                      const std::string&, int) override {
        return 2;  // ERROR_FILE_NOT_FOUND
    }
    bool PlaySound(const std::string&, unsigned) override { return false; }
    std::optional<VersionInfo> Version() override { return VersionInfo{5, 1, 2600, 2}; }
    std::optional<ThemeName> CurrentThemeName() override { return std::nullopt; }
    std::int16_t AsyncKeyState(int) override { return 0; }
};

}  // namespace

std::unique_ptr<Services> MakeDefaultServices() { return std::make_unique<ReferenceServices>(); }

}  // namespace sheenwork::system
