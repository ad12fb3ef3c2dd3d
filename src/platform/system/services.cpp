#include <sheenwork/system/services.h>

namespace sheenwork::system {

namespace {
Services* g_installed = nullptr;
}  // namespace

Services& Current() noexcept {
    if (g_installed) return *g_installed;
    static const std::unique_ptr<Services> fallback = MakeDefaultServices();
    return *fallback;
}

void Install(Services* services) noexcept { g_installed = services; }
Services* Installed() noexcept { return g_installed; }

ServicesOverlay::ServicesOverlay() : previous_(Installed()), inner_(Current()) { Install(this); }

ServicesOverlay::~ServicesOverlay() {
    if (Installed() == this) Install(previous_);
}

std::optional<std::string> ServicesOverlay::RegistryString(Hive hive, const std::string& key,
                                                           const std::string& value) {
    return inner_.RegistryString(hive, key, value);
}
void ServicesOverlay::SetRegistryString(Hive hive, const std::string& key, const std::string& value,
                                        const std::string& data) {
    inner_.SetRegistryString(hive, key, value, data);
}
void ServicesOverlay::DeleteRegistryTree(Hive hive, const std::string& key) {
    inner_.DeleteRegistryTree(hive, key);
}
std::string ServicesOverlay::LibraryPath() { return inner_.LibraryPath(); }
std::string ServicesOverlay::ProcessPath() { return inner_.ProcessPath(); }
std::string ServicesOverlay::NowText() { return inner_.NowText(); }
std::unique_ptr<ErrorComponent> ServicesOverlay::CreateComponent(const std::string& prog_id) {
    return inner_.CreateComponent(prog_id);
}
int ServicesOverlay::MessageBox(const std::string& text, const std::string& title, int style) {
    return inner_.MessageBox(text, title, style);
}
bool ServicesOverlay::FindFirstFile(const std::string& pattern) {
    return inner_.FindFirstFile(pattern);
}
long ServicesOverlay::ShellExecute(long hwnd, const std::string& operation, const std::string& file,
                                   const std::string& parameters, const std::string& directory,
                                   int show) {
    return inner_.ShellExecute(hwnd, operation, file, parameters, directory, show);
}
bool ServicesOverlay::PlaySound(const std::string& file, unsigned flags) {
    return inner_.PlaySound(file, flags);
}
std::optional<VersionInfo> ServicesOverlay::Version() { return inner_.Version(); }
std::optional<ThemeName> ServicesOverlay::CurrentThemeName() { return inner_.CurrentThemeName(); }
std::int16_t ServicesOverlay::AsyncKeyState(int virtual_key) {
    return inner_.AsyncKeyState(virtual_key);
}

}  // namespace sheenwork::system
