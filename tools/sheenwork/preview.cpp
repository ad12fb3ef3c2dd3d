#include "preview.h"

#include "cli.h"

namespace sheenwork::cli {

Preview::Preview(bool act) : act_(act), previous_(system::Installed()), inner_(system::Current()) {
    system::Install(this);
}

Preview::~Preview() {
    if (system::Installed() == this) system::Install(previous_);
}

long Preview::ShellExecute(long hwnd, const std::string& operation, const std::string& file,
                           const std::string& parameters, const std::string& directory, int show) {
    actions_.push_back(operation + " " + JsonString(file) + " " + JsonString(parameters));
    // What a started program answers: the click's result is not looked at anyway.
    constexpr long kStarted = 42;
    return act_ ? inner_.ShellExecute(hwnd, operation, file, parameters, directory, show)
                : kStarted;
}

bool Preview::PlaySound(const std::string& file, unsigned flags) {
    actions_.push_back("play " + JsonString(file));
    return act_ ? inner_.PlaySound(file, flags) : true;
}

std::optional<std::string> Preview::RegistryString(system::Hive hive, const std::string& key,
                                                   const std::string& value) {
    return inner_.RegistryString(hive, key, value);
}
void Preview::SetRegistryString(system::Hive hive, const std::string& key, const std::string& value,
                                const std::string& data) {
    inner_.SetRegistryString(hive, key, value, data);
}
void Preview::DeleteRegistryTree(system::Hive hive, const std::string& key) {
    inner_.DeleteRegistryTree(hive, key);
}
std::string Preview::LibraryPath() { return inner_.LibraryPath(); }
std::string Preview::ProcessPath() { return inner_.ProcessPath(); }
std::string Preview::NowText() { return inner_.NowText(); }
std::unique_ptr<system::ErrorComponent> Preview::CreateComponent(const std::string& prog_id) {
    return inner_.CreateComponent(prog_id);
}
int Preview::MessageBox(const std::string& text, const std::string& title, int style) {
    return inner_.MessageBox(text, title, style);
}
bool Preview::FindFirstFile(const std::string& pattern) { return inner_.FindFirstFile(pattern); }
std::optional<system::VersionInfo> Preview::Version() { return inner_.Version(); }
std::optional<system::ThemeName> Preview::CurrentThemeName() { return inner_.CurrentThemeName(); }
std::int16_t Preview::AsyncKeyState(int virtual_key) { return inner_.AsyncKeyState(virtual_key); }

}  // namespace sheenwork::cli
