// System services for tests: the real Linux registry store, file search and component
// loading in a private folder, with message boxes, shell calls, sounds, theme, version and
// key state recorded or answered by the test. Installs itself for its lifetime.
#pragma once

#include <sheenwork/system/services.h>

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace sheenwork::testing {

// The lines of a file under tests/data (its path below it) that are neither empty nor
// comments ('#'); throws std::runtime_error when there is none.
std::vector<std::string> DataLines(const std::string& path);

// A fresh folder under the system's temporary folder, removed with the object.
class TempDir {
public:
    TempDir();
    ~TempDir();
    const std::filesystem::path& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

class RecordingServices final : public system::Services {
public:
    // `component_dirs` empty: no outside component can be found.
    explicit RecordingServices(std::vector<std::string> component_dirs = {});
    ~RecordingServices() override;

    TempDir config;
    std::string library_path = "/opt/app/bin/app";
    std::string now_text = "06.12.2026 16:13:23";
    std::optional<system::VersionInfo> version = system::VersionInfo{5, 1, 2600, 2};
    std::optional<system::ThemeName> theme =
        system::ThemeName{"Luna.msstyles", "NormalColor", "NormalSize"};
    std::map<int, std::int16_t> key_state;
    // Registry writes that succeed before every later one fails; -1: no failure.
    int registry_writes_left = -1;
    // Reading the registry fails with error 75 (Path/File access error).
    bool registry_unreadable = false;

    struct Box {
        std::string text, title;
        int style;
    };
    std::vector<Box> boxes;
    std::vector<std::string> calls;  // "ShellExecute ...", "PlaySound ..."
    // Told of each call as it is recorded.
    std::function<void(const std::string&)> on_call;

    void SetErrorLog(const std::string& folder);

    std::optional<std::string> RegistryString(system::Hive hive, const std::string& key,
                                              const std::string& value) override;
    void SetRegistryString(system::Hive hive, const std::string& key, const std::string& value,
                           const std::string& data) override;
    void DeleteRegistryTree(system::Hive hive, const std::string& key) override;
    std::string LibraryPath() override { return library_path; }
    std::string ProcessPath() override { return "/usr/bin/host-app"; }
    std::string NowText() override { return now_text; }
    std::unique_ptr<system::ErrorComponent> CreateComponent(const std::string& prog_id) override;
    int MessageBox(const std::string& text, const std::string& title, int style) override;
    bool FindFirstFile(const std::string& pattern) override;
    long ShellExecute(long hwnd, const std::string& operation, const std::string& file,
                      const std::string& parameters, const std::string& directory,
                      int show) override;
    bool PlaySound(const std::string& file, unsigned flags) override;
    std::optional<system::VersionInfo> Version() override { return version; }
    std::optional<system::ThemeName> CurrentThemeName() override { return theme; }
    std::int16_t AsyncKeyState(int virtual_key) override;

private:
    std::unique_ptr<system::Services> linux_;
};

}  // namespace sheenwork::testing
