// What a headless command lets a form do outside the process. A click's document or
// address and its sound are the outside world: a preview records them (what the click
// would open or play) and carries them out only when asked.
#pragma once

#include <sheenwork/system/services.h>

#include <string>
#include <vector>

namespace sheenwork::cli {

// Installs itself in place of the services it wraps for its lifetime (create it before
// the runtime, which wraps what is in place when it starts).
class Preview final : public system::Services {
public:
    // `act`: open and play as well as record.
    explicit Preview(bool act);
    ~Preview() override;
    Preview(const Preview&) = delete;
    Preview& operator=(const Preview&) = delete;

    // One line per action, in order: `open "FILE" "PARAMETERS"` or `play "FILE"`, the
    // strings quoted as JSON quotes them (no control character is written raw).
    const std::vector<std::string>& Actions() const { return actions_; }

    std::optional<std::string> RegistryString(system::Hive hive, const std::string& key,
                                              const std::string& value) override;
    void SetRegistryString(system::Hive hive, const std::string& key, const std::string& value,
                           const std::string& data) override;
    void DeleteRegistryTree(system::Hive hive, const std::string& key) override;
    std::string LibraryPath() override;
    std::string ProcessPath() override;
    std::string NowText() override;
    std::unique_ptr<system::ErrorComponent> CreateComponent(const std::string& prog_id) override;
    int MessageBox(const std::string& text, const std::string& title, int style) override;
    bool FindFirstFile(const std::string& pattern) override;
    long ShellExecute(long hwnd, const std::string& operation, const std::string& file,
                      const std::string& parameters, const std::string& directory,
                      int show) override;
    bool PlaySound(const std::string& file, unsigned flags) override;
    std::optional<system::VersionInfo> Version() override;
    std::optional<system::ThemeName> CurrentThemeName() override;
    std::int16_t AsyncKeyState(int virtual_key) override;

private:
    bool act_;
    system::Services* previous_;
    system::Services& inner_;
    std::vector<std::string> actions_;
};

}  // namespace sheenwork::cli
